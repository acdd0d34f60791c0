// Contact areas of quadratic facets: the exact nodal areas of a plane bilinear quadrilateral, the
// lumped lengths of a 3-node edge and the nodal areas of a 6-node triangular face taken as three
// quadrilaterals around an interior point.

#include <cmath>

#include "numerics/kernels/kernel_support.h"
#include "zmx/geometry/tributary.h"

namespace {

using zmx_numerics::cross3;
using zmx_numerics::dot3;

constexpr Real kTwoPi = 6.28318530717958;
constexpr Real kTiny = 1e-36;

// Weights of the interior point of the 6-node face (point 7), and its three quadrilaterals.
constexpr Real kInteriorWeight[6] = {-1.0 / 15.0, -1.0 / 15.0, -1.0 / 15.0, 2.0 / 5.0, 2.0 / 5.0, 2.0 / 5.0};
constexpr int kQuadrilaterals[3][4] = {{1, 4, 7, 6}, {2, 5, 7, 4}, {3, 6, 7, 5}};

Real norm3(const Real* v) { return std::sqrt(dot3(v, v)); }

}  // namespace

extern "C" {

void LQUADBODYOP(const Real* p, Real* areas, Real* area) {
  auto x = [&](int k) { return p[2 * (k - 1)]; };
  auto y = [&](int k) { return p[2 * (k - 1) + 1]; };
  const Real q = ((x(3) - x(1)) * (y(4) - y(2)) + (x(2) - x(4)) * (y(3) - y(1))) / 8.0;
  const Real f = ((x(2) - x(1)) * (y(3) - y(4)) + (x(3) - x(4)) * (y(1) - y(2))) / 24.0;
  const Real j = ((x(3) - x(2)) * (y(4) - y(1)) + (x(1) - x(4)) * (y(3) - y(2))) / 24.0;
  areas[0] = q - f - j;
  areas[1] = q + f - j;
  areas[2] = q + f + j;
  areas[3] = q - f + j;
  *area = 4.0 * q;
}

void LCONTACTAREA6C(const Real* coords, const Int* ldx, const Int* iaxi, Real* shares, Real* length) {
  const Real* node[3] = {coords, coords + *ldx, coords + 2 * *ldx};
  shares[0] = shares[1] = shares[2] = 0.0;
  *length = 0.0;
  for (int a = 0; a < 2; ++a) {
    const Real* pa = node[a];
    const Real* pb = node[a + 1];
    Real piece = std::sqrt((pb[0] - pa[0]) * (pb[0] - pa[0]) + (pb[1] - pa[1]) * (pb[1] - pa[1]));
    *length += piece;
    if (*iaxi != 0) piece *= kTwoPi * (pa[0] + pb[0]) / 2.0;
    shares[a] += piece / 2.0;
    shares[a + 1] += piece / 2.0;
  }
}

void LCONTACTAREA10C(const Real* coords, const Int* /*unused*/, Real* shares) {
  Real point[7][3];
  for (int j = 0; j < 6; ++j)
    for (int c = 0; c < 3; ++c) point[j][c] = coords[3 * j + c];
  for (int c = 0; c < 3; ++c) {
    point[6][c] = 0.0;
    for (int j = 0; j < 6; ++j) point[6][c] += kInteriorWeight[j] * point[j][c];
  }
  Real pointArea[7] = {};
  for (const auto& quad : kQuadrilaterals) {
    const Real* p[4] = {point[quad[0] - 1], point[quad[1] - 1], point[quad[2] - 1], point[quad[3] - 1]};
    // Twice the tangents at the centre, the normal, and an in-plane frame (a, b).
    Real a[3], b[3], c[3];
    for (int k = 0; k < 3; ++k) {
      a[k] = (-p[0][k] + p[1][k] + p[2][k] - p[3][k]) / 2.0;
      b[k] = (-p[0][k] - p[1][k] + p[2][k] + p[3][k]) / 2.0;
    }
    cross3(a, b, c);
    const Real la = norm3(a), lc = norm3(c);
    if (la > kTiny && lc > kTiny)
      for (int k = 0; k < 3; ++k) {
        a[k] /= la;
        c[k] /= lc;
      }
    cross3(c, a, b);
    Real plane[8];
    for (int k = 0; k < 4; ++k) {
      plane[2 * k] = dot3(p[k], a);
      plane[2 * k + 1] = dot3(p[k], b);
    }
    Real areas[4], total;
    LQUADBODYOP(plane, areas, &total);
    for (int k = 0; k < 4; ++k) pointArea[quad[k] - 1] += areas[k];
  }
  for (int j = 0; j < 6; ++j) shares[j] = pointArea[j] + kInteriorWeight[j] * pointArea[6];
}

}  // extern "C"
