// Element operators of 4-node plane and axisymmetric quadrilaterals: mean deformation gradient,
// logarithmic strain and principal rotation, right stretch, director triads and hourglass forces.

#include <cmath>

#include "import/operators/operator_support.h"
#include "zmx/import/operators.h"
#include "zmx/import/state.h"

namespace {

using zmx::ops::at;
using zmx::ops::kTiny;

constexpr float kTwentyFourth = 0.041666668F;

struct Corners {
  float r[4], z[4];  // first and second coordinate of nodes 1 to 4
};

Corners gather(const Int* connectivity, long long ld, long long ldn, long long i, const float* nodes) {
  Corners c;
  for (int k = 0; k < 4; ++k) {
    const long long node = at(connectivity, ld, i, k + 1);
    c.r[k] = nodes[(node - 1) * ldn];
    c.z[k] = nodes[(node - 1) * ldn + 1];
  }
  return c;
}

// The axisymmetric weights of one element: radial br, axial bz, hoop h, and the volume per radian.
struct AxisymmetricWeights {
  float br[4], bz[4], h[4], volume;
};

AxisymmetricWeights axisymmetricWeights(const Corners& c) {
  const float* r = c.r;
  const float* z = c.z;
  const float S = r[0] + r[1] + r[2] + r[3];
  const float P = (r[1] - r[0]) + (r[2] - r[3]);
  const float Q = (r[3] - r[1]) + (r[2] - r[0]);
  const float a = (r[2] - r[3]) * (z[0] - z[1]) - (r[0] - r[1]) * (z[2] - z[3]);
  const float b = (r[1] - r[2]) * (z[0] - z[3]) - (r[0] - r[3]) * (z[1] - z[2]);
  const float cc = 0.125F * ((r[0] - r[2]) * (z[1] - z[3]) - (r[1] - r[3]) * (z[0] - z[2]));
  const float s = 0.125F * S;
  AxisymmetricWeights w;
  w.volume = (b * Q + a * P) * kTwentyFourth + S * cc;
  w.br[0] = ((z[2] - z[1]) * Q + (z[3] - z[2]) * P) * kTwentyFourth + s * (z[1] - z[3]);
  w.br[1] = ((z[0] - z[3]) * Q + (z[2] - z[3]) * P) * kTwentyFourth + s * (z[2] - z[0]);
  w.br[2] = ((z[3] - z[0]) * Q + (z[0] - z[1]) * P) * kTwentyFourth + s * (z[3] - z[1]);
  w.br[3] = ((z[1] - z[2]) * Q + (z[1] - z[0]) * P) * kTwentyFourth + s * (z[0] - z[2]);
  w.bz[0] = ((r[1] - r[2]) * Q + (r[2] - r[3]) * P) * kTwentyFourth + s * (r[3] - r[1]);
  w.bz[1] = ((r[3] - r[0]) * Q + (r[3] - r[2]) * P) * kTwentyFourth + s * (r[0] - r[2]);
  w.bz[2] = ((r[0] - r[3]) * Q + (r[1] - r[0]) * P) * kTwentyFourth + s * (r[1] - r[3]);
  w.bz[3] = ((r[2] - r[1]) * Q + (r[0] - r[1]) * P) * kTwentyFourth + s * (r[2] - r[0]);
  w.h[0] = cc - (b + a) * kTwentyFourth;
  w.h[1] = cc + (a - b) * kTwentyFourth;
  w.h[2] = cc + (b + a) * kTwentyFourth;
  w.h[3] = cc - (a - b) * kTwentyFourth;
  return w;
}


// cos and sin of the angle of a rotation pair.
inline void pairAngle(const float* pairs, long long n, long long i, float& c, float& s) {
  const float q1 = pairs[i - 1], q2 = pairs[i - 1 + n];
  c = q2 * q2 - q1 * q1;
  s = 2.0F * q1 * q2;
}

// Hourglass forces from a shape vector g and the components turned by the pair.
void hourglassForces(const float* components, long long n, long long i, const float g[4], const float* pairs,
                     float* forces) {
  float c, s;
  pairAngle(pairs, n, i, c, s);
  const float q1 = components[i - 1], q2 = components[i - 1 + n];
  const float qx = c * q1 - s * q2, qy = c * q2 + s * q1;
  float* f = forces + 8 * (i - 1);
  for (int k = 0; k < 4; ++k) {
    f[2 * k] = g[k] * qx;
    f[2 * k + 1] = g[k] * qy;
  }
}

Corners cornersOf(const float* corners, long long n, long long i) {
  Corners c;
  for (int k = 0; k < 4; ++k) {
    c.r[k] = at(corners, n, i, k + 1);
    c.z[k] = at(corners, n, i, k + 5);
  }
  return c;
}

}  // namespace

extern "C" {

void EDI_OPE_C2DQ4STRAIN(const Int* copy, const Int* first, const Int* last, const Int* ld, const Int* ldn,
                         const Int* connectivity, const float* reference, const float* current, const float* stored,
                         float* gradient) {
  if (zmx::ops::copyStored(copy, first, last, ld, 5, stored, gradient)) return;
  for (long long i = *first; i <= *last; ++i) {
    const Corners X = gather(connectivity, *ld, *ldn, i, reference);
    const Corners x = gather(connectivity, *ld, *ldn, i, current);
    const float X13 = X.r[0] - X.r[2], X24 = X.r[1] - X.r[3], Y24 = X.z[1] - X.z[3], Y31 = X.z[2] - X.z[0];
    const float inverseArea = 1.0F / (0.5F * (X13 * Y24 + X24 * Y31));
    const float bx1 = 0.5F * Y24, bx2 = 0.5F * Y31, by1 = -0.5F * X24, by2 = 0.5F * X13;
    const float x13 = x.r[0] - x.r[2], x24 = x.r[1] - x.r[3], y13 = x.z[0] - x.z[2], y24 = x.z[1] - x.z[3];
    at(gradient, *ld, i, 1) = (x24 * bx2 + x13 * bx1) * inverseArea;
    at(gradient, *ld, i, 2) = (y24 * by2 + y13 * by1) * inverseArea;
    at(gradient, *ld, i, 3) = at(stored, *ld, i, 3);
    at(gradient, *ld, i, 4) = (x24 * by2 + x13 * by1) * inverseArea;
    at(gradient, *ld, i, 5) = (y24 * bx2 + y13 * bx1) * inverseArea;
  }
}

void EDI_OPE_CAXQ4STRAIN(const Int* copy, const Int* first, const Int* last, const Int* ld, const Int* ldn,
                         const Int* connectivity, const float* reference, const float* current, const float* stored,
                         float* gradient) {
  if (zmx::ops::copyStored(copy, first, last, ld, 5, stored, gradient)) return;
  for (long long i = *first; i <= *last; ++i) {
    const AxisymmetricWeights w = axisymmetricWeights(gather(connectivity, *ld, *ldn, i, reference));
    const Corners x = gather(connectivity, *ld, *ldn, i, current);
    const float inverseVolume = 1.0F / w.volume;
    float f11 = 0, f22 = 0, f12 = 0, f21 = 0, f33 = 0;
    for (int k = 0; k < 4; ++k) {
      f11 += x.r[k] * w.br[k];
      f22 += x.z[k] * w.bz[k];
      f12 += x.r[k] * w.bz[k];
      f21 += x.z[k] * w.br[k];
      f33 += x.r[k] * w.h[k];
    }
    at(gradient, *ld, i, 1) = f11 * inverseVolume;
    at(gradient, *ld, i, 2) = f22 * inverseVolume;
    at(gradient, *ld, i, 3) = f33 * inverseVolume;
    at(gradient, *ld, i, 4) = f12 * inverseVolume;
    at(gradient, *ld, i, 5) = f21 * inverseVolume;
  }
}

void EDI_UTI_C2DSTRAIN(const Int* axisymmetric, const Int* copy, const Int* strainFlag, const Int* n,
                       const float* storedPairs, const float* storedGradient, const float* referenceStretches,
                       const Int* rotate, const Int* connectivity, const Int* ldn, const Int* start,
                       const float* current, const float* reference, float* strain, float* gradient, float* pairs) {
  const Int one = 1;
  const Int* block = connectivity + (*start - 1);
  if (*axisymmetric == 0)
    EDI_OPE_C2DQ4STRAIN(copy, &one, n, n, ldn, block, reference, current, storedGradient, gradient);
  else
    EDI_OPE_CAXQ4STRAIN(copy, &one, n, n, ldn, block, reference, current, storedGradient, gradient);
  if (*strainFlag == 0) return;
  const long long m = *n;
  for (long long i = 1; i <= m; ++i) {
    const float f11 = at(gradient, m, i, 1), f22 = at(gradient, m, i, 2), f33 = at(gradient, m, i, 3);
    const float f12 = at(gradient, m, i, 4), f21 = at(gradient, m, i, 5);
    const float b11 = f11 * f11 + f12 * f12, b22 = f21 * f21 + f22 * f22, b12 = f11 * f21 + f12 * f22;
    // One plane rotation to the principal axes; a repeated value keeps the axes as they are.
    const float d = 0.5F * (b11 - b22);
    const float radius = std::sqrt(d * d + b12 * b12);
    const float s = d >= 0.0F ? radius : -radius;
    const float e = std::fabs(s) <= kTiny ? 1.0F : 0.0F;
    const float c2 = d / (s + e), t = b12 / (s + e);
    const float cosine = std::sqrt((1.0F + c2) * (1.0F - e) * 0.5F) + e;
    const float sine = (1.0F - e) * t / (2.0F * cosine);
    const float cc = cosine * cosine, ss = sine * sine;
    const float lambda1 = b11 * cc + b22 * ss + b12 * t, lambda2 = b11 * ss + b22 * cc - b12 * t;
    const float l1 = std::log(std::sqrt(std::fmax(lambda1, kTiny)) / at(referenceStretches, m, i, 1));
    const float l2 = std::log(std::sqrt(std::fmax(lambda2, kTiny)) / at(referenceStretches, m, i, 2));
    at(strain, m, i, 1) = cc * l1 + ss * l2;
    at(strain, m, i, 2) = ss * l1 + cc * l2;
    at(strain, m, i, 3) = f33 > 0.0F ? std::log(f33) : 0.0F;
    at(strain, m, i, 4) = cosine * sine * (l1 - l2);
  }
  const Int inverse = 1;
  if (*rotate != 0) ACC_GDB_SYMROTS31S31(n, &inverse, storedPairs, strain, strain);
  for (long long i = 1; i <= m; ++i) {
    const bool identity = *copy == 0 && *rotate == 0;
    at(pairs, m, i, 1) = identity ? 0.0F : at(storedPairs, m, i, 1);
    at(pairs, m, i, 2) = identity ? 1.0F : at(storedPairs, m, i, 2);
  }
}

void EDI_UTI_STRETCHU2D(const Int* first, const Int* last, const Int* ld, const float* pairs, const float* gradient,
                        float* stretch) {
  for (long long i = *first; i <= *last; ++i) {
    const float q1 = at(pairs, *ld, i, 1), q2 = at(pairs, *ld, i, 2);
    const float c = 1.0F - 2.0F * q1 * q1, s = 2.0F * q1 * q2;
    const float f11 = at(gradient, *ld, i, 1), f22 = at(gradient, *ld, i, 2), f12 = at(gradient, *ld, i, 4),
                f21 = at(gradient, *ld, i, 5);
    at(stretch, *ld, i, 1) = c * f11 + s * f21;
    at(stretch, *ld, i, 2) = c * f22 - s * f12;
    at(stretch, *ld, i, 3) = at(gradient, *ld, i, 3);
    at(stretch, *ld, i, 4) = c * f12 + s * f22;
  }
}

void EDI_OPE_DIRECTORC2D(const Int* n, const float* pairs, float* triads, const Int* rotated) {
  for (long long i = 1; i <= *n; ++i) {
    float c = 1.0F, s = 0.0F;
    if (*rotated != 0) pairAngle(pairs, *n, i, c, s);
    const float r[3][3] = {{c, -s, 0.0F}, {s, c, 0.0F}, {0.0F, 0.0F, 1.0F}};
    zmx::ops::writeTriad(triads, i, r);
  }
}

void EDI_OPE_DIRECTORS2D(const Int* n, const float* pairs, float* triads) {
  const Int rotated = 1;
  EDI_OPE_DIRECTORC2D(n, pairs, triads, &rotated);
}

void EDI_UTI_C2DQ4HGFORCE(const Int* n, const float* components, const float* corners, const float* area,
                          float* forces, const float* pairs) {
  for (long long i = 1; i <= *n; ++i) {
    const Corners c = cornersOf(corners, *n, i);
    const float* x = c.r;
    const float* y = c.z;
    const float inverseArea = 1.0F / area[i - 1];
    const float g[4] = {((y[2] - y[1]) * (x[2] - x[3]) + (y[2] - y[3]) * (x[1] - x[2])) * inverseArea,
                        ((y[2] - y[3]) * (x[3] - x[0]) + (y[0] - y[3]) * (x[2] - x[3])) * inverseArea,
                        ((y[0] - y[3]) * (x[0] - x[1]) + (y[0] - y[1]) * (x[3] - x[0])) * inverseArea,
                        ((y[0] - y[1]) * (x[1] - x[2]) + (y[2] - y[1]) * (x[0] - x[1])) * inverseArea};
    hourglassForces(components, *n, i, g, pairs, forces);
  }
}

void EDI_UTI_CAXQ4HGFORCE(const Int* n, const float* components, const float* corners, const float* volume,
                          float* forces, const float* pairs) {
  for (long long i = 1; i <= *n; ++i) {
    const Corners c = cornersOf(corners, *n, i);
    const AxisymmetricWeights w = axisymmetricWeights(c);
    const float inverseVolume = 1.0F / volume[i - 1];
    const float hr = ((c.r[3] - c.r[2]) + (c.r[1] - c.r[0])) * inverseVolume;
    const float hz = ((c.z[3] - c.z[2]) + (c.z[1] - c.z[0])) * inverseVolume;
    float g[4];
    for (int k = 0; k < 4; ++k) g[k] = hz * w.bz[k] - hr * w.br[k];
    hourglassForces(components, *n, i, g, pairs, forces);
  }
}

}  // extern "C"
