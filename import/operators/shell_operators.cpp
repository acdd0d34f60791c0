// Element operators of 4-node membranes and shells: director triads with the drill angle,
// hourglass forces in global axes, drilling moments as vectors, the rotational hourglass
// measure, and the small-strain stretch and in-plane transfer of section quantities.

#include <cmath>

#include "import/operators/operator_support.h"
#include "zmx/import/operators.h"

namespace {

using zmx::ops::at;

struct V3 {
  float x, y, z;
};

V3 add(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 sub(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 mul(V3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V3 unit(V3 a) { return mul(a, 1.0F / std::sqrt(dot(a, a))); }
V3 apply(const float r[3][3], V3 v) {
  return {r[0][0] * v.x + r[0][1] * v.y + r[0][2] * v.z, r[1][0] * v.x + r[1][1] * v.y + r[1][2] * v.z,
          r[2][0] * v.x + r[2][1] * v.y + r[2][2] * v.z};
}

// Triad of the element's quaternion turned about its normal by the angle of the pair (s, c).
void drilledTriad(const float* quaternions, long long n, long long i, float s, float c, float r[3][3]) {
  const V3 q{quaternions[i - 1], quaternions[i - 1 + n], quaternions[i - 1 + 2 * n]};
  const float q4 = quaternions[i - 1 + 3 * n];
  float m[3][3];
  zmx::ops::quaternionMatrix(q.x, q.y, q.z, q4, m);
  const V3 normal{m[0][2], m[1][2], m[2][2]};
  const V3 sn = mul(normal, s);
  const V3 p = add(add(mul(q, c), mul(sn, q4)), cross(sn, q));
  const float p4 = c * q4 - dot(sn, q);
  zmx::ops::quaternionMatrix(p.x, p.y, p.z, p4, r);
}

V3 corner(const float* corners, long long n, long long i, int k) {
  return {at(corners, n, i, k + 1), at(corners, n, i, k + 5), at(corners, n, i, k + 9)};
}

// Hourglass forces of membranes (three components) and shells (two).
void hourglass(const Int* n, const float* components, const float* corners, const float* area, float* forces,
               const float* pairs, const float* quaternions, bool membrane) {
  const long long m = *n;
  for (long long i = 1; i <= m; ++i) {
    float r[3][3];
    zmx::ops::elementMatrix(quaternions, m, i, r);
    const V3 e1{r[0][0], r[1][0], r[2][0]}, e2{r[0][1], r[1][1], r[2][1]};
    float xi[4], eta[4];
    for (int k = 0; k < 4; ++k) {
      const V3 x = corner(corners, m, i, k);
      xi[k] = dot(x, e1);
      eta[k] = dot(x, e2);
    }
    const float inverse = 1.0F / area[i - 1];
    const float g[4] = {((eta[2] - eta[1]) * (xi[2] - xi[3]) + (eta[2] - eta[3]) * (xi[1] - xi[2])) * inverse,
                        ((eta[2] - eta[3]) * (xi[3] - xi[0]) + (eta[0] - eta[3]) * (xi[2] - xi[3])) * inverse,
                        ((eta[0] - eta[3]) * (xi[0] - xi[1]) + (eta[0] - eta[1]) * (xi[3] - xi[0])) * inverse,
                        ((eta[0] - eta[1]) * (xi[1] - xi[2]) + (eta[2] - eta[1]) * (xi[0] - xi[1])) * inverse};
    const float p1 = pairs[i - 1], p2 = pairs[i - 1 + m];
    const float c = p2 * p2 - p1 * p1, s = 2.0F * p1 * p2;
    const float q1 = at(components, m, i, 1), q2 = at(components, m, i, 2);
    const float q3 = membrane ? at(components, m, i, 3) : 0.0F;
    const V3 q{c * q1 - s * q2, c * q2 + s * q1, q3};
    float* out = forces + 12 * (i - 1);
    for (int k = 0; k < 4; ++k) {
      const V3 f = apply(r, mul(q, g[k]));
      out[3 * k] = f.x;
      out[3 * k + 1] = f.y;
      out[3 * k + 2] = f.z;
    }
  }
}

}  // namespace

extern "C" {

void EDI_OPE_DIRECTORM3D(const Int* n, const float* drill, const float* quaternions, float* triads) {
  const Int none = 0;
  EDI_OPE_DIRECTORS3D(n, drill, quaternions, triads, drill, &none);
}

void EDI_OPE_DIRECTORS3D(const Int* n, const float* drill, const float* quaternions, float* triads,
                         const float* orientation, const Int* orientationFlag) {
  const long long m = *n;
  for (long long i = 1; i <= m; ++i) {
    float s = drill[i - 1], c = drill[i - 1 + m];
    if (*orientationFlag != 0) {
      const float sa = orientation[i - 1], ca = orientation[i - 1 + m];
      const float sum = s * ca + c * sa;
      c = c * ca - s * sa;
      s = sum;
    }
    float r[3][3];
    drilledTriad(quaternions, m, i, s, c, r);
    zmx::ops::writeTriad(triads, i, r);
  }
}

void EDI_UTI_M3DQ4HGFORCE(const Int* n, const float* components, const float* corners, const float* area,
                          float* forces, const float* pairs, const float* quaternions) {
  hourglass(n, components, corners, area, forces, pairs, quaternions, true);
}

void EDI_UTI_S3DQ4HGFORCE(const Int* n, const float* components, const float* corners, const float* area,
                          float* forces, const float* pairs, const float* quaternions) {
  hourglass(n, components, corners, area, forces, pairs, quaternions, false);
}

void EDI_UTI_S3DQ4DRILLMOMENT(const Int* n, const float* moments, float* vectors, const float* quaternions) {
  const long long m = *n;
  for (long long i = 1; i <= m; ++i) {
    float r[3][3];
    zmx::ops::elementMatrix(quaternions, m, i, r);
    float* out = vectors + 12 * (i - 1);
    for (int k = 0; k < 4; ++k)
      for (int c = 0; c < 3; ++c) out[3 * k + c] = at(moments, m, i, k + 1) * r[c][2];
  }
}

void EDI_UTI_S3DQ4ROTHGMAGNITUDE(const Int* n, const float* corners, float* measures, const float* flags,
                                 const float* nodalQuaternions) {
  const long long m = *n;
  for (long long i = 1; i <= m; ++i) {
    V3 X[4];
    for (int k = 0; k < 4; ++k) X[k] = corner(corners, m, i, k);
    const V3 a1 = sub(add(X[1], X[2]), add(X[0], X[3]));
    const V3 a2 = sub(add(X[2], X[3]), add(X[0], X[1]));
    const V3 h = add(sub(X[0], X[1]), sub(X[2], X[3]));
    V3 normal[4];
    if (flags[i - 1] == 0.0F) {
      normal[0] = unit(cross(sub(a1, h), sub(a2, h)));
      normal[1] = unit(cross(sub(a1, h), add(a2, h)));
      normal[2] = unit(cross(add(a1, h), add(a2, h)));
      normal[3] = unit(cross(add(a1, h), sub(a2, h)));
    } else {
      normal[0] = normal[1] = normal[2] = normal[3] = unit(cross(sub(X[1], X[0]), sub(X[2], X[3])));
    }
    const V3 e = cross(a1, a2);
    // Within about 0.1 degree of the global x axis the reference direction is z, else x.
    const bool alongX = (e.y * e.y + e.z * e.z) / dot(e, e) <= 3.0461697e-6F;
    const V3 reference = alongX ? V3{0, 0, 1} : V3{1, 0, 0};
    V3 rBar{0, 0, 0}, sBar{0, 0, 0}, hg{0, 0, 0};
    for (int k = 0; k < 4; ++k) {
      float r[3][3];
      const auto Q = [&](int c) { return at(nodalQuaternions, m, i, 4 * c + k + 1); };
      zmx::ops::quaternionMatrix(Q(0), Q(1), Q(2), Q(3), r);
      rBar = add(rBar, apply(r, reference));
      sBar = add(sBar, apply(r, cross(normal[k], reference)));
      hg = k % 2 == 0 ? add(hg, apply(r, normal[k])) : sub(hg, apply(r, normal[k]));
    }
    rBar = mul(rBar, 0.25F);
    sBar = mul(sBar, 0.25F);
    hg = mul(hg, 0.25F);
    measures[2 * (i - 1)] = -dot(hg, sBar);
    measures[2 * (i - 1) + 1] = dot(hg, rBar);
  }
}

void EDI_UTI_SHELLSMALLSTRETCH(const Int* first, const Int* last, const Int* ld, const float* gradient,
                               float* stretch) {
  for (long long i = *first; i <= *last; ++i) {
    at(stretch, *ld, i, 1) = at(gradient, *ld, i, 1);
    at(stretch, *ld, i, 2) = at(gradient, *ld, i, 2);
    at(stretch, *ld, i, 3) = at(gradient, *ld, i, 3);
    at(stretch, *ld, i, 4) = 0.5F * (at(gradient, *ld, i, 4) + at(gradient, *ld, i, 5));
  }
}

void EDI_UTI_SHELLSMALLTRANSFER(const Int* n, const Int* element, const Int* layout, const float* factor,
                                const float* coefficients, float* vector) {
  const long long m = *n, i = *element;
  const float a = at(coefficients, m, i, 3), b = at(coefficients, m, i, 4);
  const float D = *factor * at(coefficients, m, i, 5);
  float* w = vector;
  if (*layout == 31 || *layout == 21) {
    const int shear = *layout == 31 ? 3 : 2;  // position of 12 from 0
    const float w1 = w[0], w2 = w[1], w12 = w[shear];
    w[0] = a * w1 + b * w2 - 2.0F * D * w12;
    w[1] = b * w1 + a * w2 + 2.0F * D * w12;
    w[shear] = (a - b) * w12 - D * (w2 - w1);
    return;
  }
  const float w1 = w[0], w2 = w[1], w4 = w[3], w5 = w[4], S = w4 + w5;
  w[0] = a * w1 + b * w2 - D * S;
  w[1] = b * w1 + a * w2 + D * S;
  w[3] = a * w4 - b * w5 - D * (w2 - w1);
  w[4] = a * w5 - b * w4 - D * (w2 - w1);
}

}  // extern "C"
