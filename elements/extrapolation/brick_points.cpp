// Point utilities of solid elements at their integration points: the weights and natural
// coordinates of one point of a layered element, the circumferential interpolation functions of
// elements that vary around a circumference, and the corrected mixed second derivatives of the
// eight-node brick's shape functions.
#include <cmath>

#include "elements/extrapolation/rule_support.h"
#include "runtime/record.h"
#include "zmx/elements/extrapolation.h"

namespace {

using zmx_extrapolation::kGauss2;
using zmx_extrapolation::kGauss3;
using zmx_extrapolation::kGauss3Weights;

// Slots of the layered section record (8-byte slots).
constexpr int kOrientationSlot = 6;
constexpr int kLayerCountSlot = 7;
constexpr int kSectionPointsSlot = 8;
constexpr int kFirstLayerSlot = 9;  // four slots per layer: thickness fraction, then its point count
constexpr int kLayerSlots = 4;

struct InPlanePoint {
  Real w1 = 0.0, w2 = 0.0, xi = 0.0, eta = 0.0;
};

InPlanePoint inPlanePoint(long long m, long long q) {
  InPlanePoint r;
  if (m == 1) {
    r = {2.0, 2.0, 0.0, 0.0};
  } else if (m == 4 && q >= 1 && q <= 4) {
    const long long i = (q - 1) % 2, j = (q - 1) / 2;
    r = {1.0, 1.0, i == 0 ? -kGauss2 : kGauss2, j == 0 ? -kGauss2 : kGauss2};
  } else if (m == 5 && q >= 1 && q <= 5) {
    const Real a = zmx_extrapolation::kPlanar5Corner;
    constexpr int kSigns[5][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}, {0, 0}};
    r.w1 = q == 5 ? zmx_extrapolation::kPlanar5CentreWeight : zmx_extrapolation::kPlanar5CornerWeight;
    r.w2 = 1.0;
    r.xi = kSigns[q - 1][0] * a;
    r.eta = kSigns[q - 1][1] * a;
  } else if (m == 9 && q >= 1 && q <= 9) {
    const long long i = (q - 1) % 3, j = (q - 1) / 3;
    constexpr Real kAbscissae[3] = {-kGauss3, 0.0, kGauss3};
    r = {kGauss3Weights[i], kGauss3Weights[j], kAbscissae[i], kAbscissae[j]};
  }
  return r;
}

// Through-thickness weight of section point k of n in a layer, on [-1, 1]. An odd count takes
// Simpson's pattern 2, 8, 4, 8, ..., 8, 2 over 3 (n - 1); an even count the trapezoid rule, 1 / (n - 1)
// at the ends and 2 / (n - 1) inside, since Simpson's pattern on an even count does not even
// integrate a constant.
Real thicknessWeight(long long k, long long n) {
  if (n == 1) return 2.0;
  const Real span = static_cast<Real>(n - 1);
  const bool end = k == 1 || k == n;
  if (n % 2 == 0) return (end ? 1.0 : 2.0) / span;
  const Real simpson = end ? 2.0 : (k % 2 == 0 ? 8.0 : 4.0);
  return simpson / (3.0 * span);
}

// Station cosines of the circumferential interpolation: cos((j - 1) pi / (n - 1)), n = 2..5.
constexpr Real kHalfRoot2 = 0.70710678118654752;
constexpr Real kStationCosines[4][5] = {
    {1.0, -1.0}, {1.0, 0.0, -1.0}, {1.0, 0.5, -0.5, -1.0}, {1.0, kHalfRoot2, 0.0, -kHalfRoot2, -1.0}};

}  // namespace

extern "C" {

void LBRICPTS(const Int* point, const Int* nip, const void* section, Real* thicknessWeightOut, Real* weight1,
              Real* weight2, Real* thicknessCoordinate, Real* xi, Real* eta) {
  *weight1 = *weight2 = *xi = *eta = 0.0;
  *thicknessWeightOut = *thicknessCoordinate = 0.0;
  const long long NS = rec::slotI(section, kSectionPointsSlot);
  if (NS < 1 || *point < 1) return;
  const long long s = (*point - 1) % NS + 1;
  const long long q = (*point - 1) / NS + 1;
  const long long m = *nip / NS;
  const InPlanePoint in = inPlanePoint(m, q);
  *weight1 = in.w1;
  *weight2 = in.w2;
  *xi = in.xi;
  *eta = in.eta;

  const long long layers = rec::slotI(section, kLayerCountSlot);
  long long before = 0;
  Real cumulative = 0.0;
  for (long long L = 1; L <= layers; ++L) {
    const long long first = kFirstLayerSlot + kLayerSlots * (L - 1);
    const Real t = rec::slotR(section, first);
    const long long n = rec::slotI(section, first + 1);
    cumulative += t;
    if (before + n < s) {
      before += n;
      continue;
    }
    const long long k = s - before;
    const Real zeta = n == 1 ? 0.0 : 2.0 * static_cast<Real>(k - 1) / static_cast<Real>(n - 1) - 1.0;
    const Real orientation = rec::slotI(section, kOrientationSlot) > 0 ? 1.0 : -1.0;
    *thicknessWeightOut = thicknessWeight(k, n) * t;
    *thicknessCoordinate = (2.0 * cumulative - (1.0 - zeta) * t - 1.0) * orientation;
    return;
  }
  // A section point beyond the layers' total keeps weight and coordinate 0.
}

void LSOA8J(const Int* stations, const Int* index, Real* H, Real* S, Real* Co, const Int* flag) {
  for (int k = 0; k < 4; ++k) S[k] = Co[k] = 0.0;
  const int n = *stations;
  const Real pi = 3.14159265358979;
  const Real theta = *flag == 0 ? (*index - 1) * pi / (2 * n - 1) : *index * pi / n;
  for (int k = 1; k <= n - 1 || k == 1; ++k) {
    if (k > 4) break;
    S[k - 1] = std::sin(k * theta);
    Co[k - 1] = std::cos(k * theta);
  }
  if (n < 2 || n > 5) return;
  // A combination of 1, cos(theta), ..., cos((n - 1) theta) is a polynomial of degree n - 1 in
  // c = cos(theta): each station's function is the Lagrange polynomial in c through the stations.
  const Real* cj = kStationCosines[n - 2];
  const Real c = std::cos(theta);
  const Real dc = -std::sin(theta);
  for (int j = 0; j < n; ++j) {
    Real value = 1.0, derivative = 0.0;
    for (int l = 0; l < n; ++l) {
      if (l == j) continue;
      const Real scale = 1.0 / (cj[j] - cj[l]);
      derivative = derivative * (c - cj[l]) * scale + value * scale;
      value *= (c - cj[l]) * scale;
    }
    H[j] = value;
    H[n + j] = derivative * dc;
  }
}

void LC3DGC(const Real* X, const Real* A, Real* out, const Real* D, const Int* point) {
  const int p = *point;
  const int k = (p - 1) / 4 + 1;
  const int r = p - 4 * (k - 1);
  const int j = (r - 1) / 2 + 1;
  const int i = r - 2 * (j - 1);
  const Real xi = i == 1 ? -kGauss2 : kGauss2;
  const Real eta = j == 1 ? -kGauss2 : kGauss2;
  const Real zeta = k == 1 ? -kGauss2 : kGauss2;
  const Real am = (1 - xi) / 8, ap = (1 + xi) / 8;
  const Real bm = (1 - eta) / 8, bp = (1 + eta) / 8;
  const Real cm = (1 - zeta) / 8, cp = (1 + zeta) / 8;
  // Mixed second derivatives of the trilinear shape functions: (xi, eta), (xi, zeta), (eta, zeta).
  const Real P[3][8] = {{cm, -cm, cm, -cm, cp, -cp, cp, -cp},
                        {bm, -bm, -bp, bp, -bm, bm, bp, -bp},
                        {am, ap, -ap, -am, -am, -ap, ap, am}};
  Real U[3][3];  // U(d, m) = sum over c of A(d, c) T(c, m), T(c, m) = sum over n of Pm(n) X(c, n)
  Real T[3][3];
  for (int c = 0; c < 3; ++c)
    for (int m = 0; m < 3; ++m) {
      Real sum = 0.0;
      for (int n = 0; n < 8; ++n) sum += P[m][n] * X[c + 3 * n];
      T[c][m] = sum;
    }
  for (int d = 0; d < 3; ++d)
    for (int m = 0; m < 3; ++m) U[d][m] = A[d] * T[0][m] + A[d + 3] * T[1][m] + A[d + 6] * T[2][m];
  Real Q[3][8];
  for (int m = 0; m < 3; ++m)
    for (int n = 0; n < 8; ++n)
      Q[m][n] = P[m][n] - (U[0][m] * D[8 + n] + U[1][m] * D[16 + n] + U[2][m] * D[24 + n]);
  auto a = [A](int row, int col) { return A[(row - 1) + 3 * (col - 1)]; };
  const Real C[6][3] = {{a(1, 1) * a(2, 1), a(1, 1) * a(3, 1), a(2, 1) * a(3, 1)},
                        {a(1, 2) * a(2, 2), a(1, 2) * a(3, 2), a(2, 2) * a(3, 2)},
                        {a(1, 3) * a(2, 3), a(1, 3) * a(3, 3), a(2, 3) * a(3, 3)},
                        {a(1, 1) * a(2, 2), a(1, 1) * a(3, 2), a(2, 1) * a(3, 2)},
                        {a(1, 1) * a(2, 3), a(1, 1) * a(3, 3), a(2, 1) * a(3, 3)},
                        {a(1, 2) * a(2, 3), a(1, 2) * a(3, 3), a(2, 2) * a(3, 3)}};
  for (int g = 0; g < 6; ++g)
    for (int n = 0; n < 8; ++n) out[25 + 8 * g + n] = C[g][0] * Q[0][n] + C[g][1] * Q[1][n] + C[g][2] * Q[2][n];
}

}  // extern "C"
