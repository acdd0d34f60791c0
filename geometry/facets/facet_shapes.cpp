// Facet shape functions: the choice of functions for a facet, the point and first and second
// derivative vectors of a facet, and the sub-region interpolations of quadratic facets (a 6-node
// triangle as three bilinear quadrilaterals, an 8- or 9-node quadrilateral as four quarters).

#include <cmath>

#include "geometry/cylinders/cylinder_functions.h"
#include "geometry/facets/facet_functions.h"
#include "geometry/support/geometry_report.h"
#include "siblings/eqc/facet_shapes.h"
#include "zmx/geometry/facets.h"

namespace {

using zmx::geometry::FacetFunctions;

constexpr Int kValuesAndDerivatives = 0;
constexpr Int kDerivativesOnly = 1;

// ---- 6-node triangle through sub-quadrilaterals ----------------------------------------------------

// Sub-quadrilateral k (0-based) has the corners vertex k, the midside node after it, the centroid
// and the midside node before it; "other" is the third midside node.
struct SubQuadrilateral {
  int vertex, after, before, other;
};
constexpr SubQuadrilateral kSubQuadrilaterals[3] = {{0, 3, 5, 4}, {1, 4, 3, 5}, {2, 5, 4, 3}};

// Sub-region 1, 2, any other 3, as an index 0 to 2.
int subRegion(Int k) { return k == 1 ? 0 : k == 2 ? 1 : 2; }

// The six values and their derivatives by the sub-quadrilateral's coordinates.
void subTriangleFunctions(int region, Real xi, Real eta, Real* f, Real* fx, Real* fe) {
  const SubQuadrilateral& q = kSubQuadrilaterals[region];
  const Real xm = 1.0 - xi, xp = 1.0 + xi, em = 1.0 - eta, ep = 1.0 + eta;
  // Bilinear functions of corners 1 to 4 (vertex, after, centroid, before) and their derivatives.
  const Real b[4] = {0.25 * xm * em, 0.25 * xp * em, 0.25 * xp * ep, 0.25 * xm * ep};
  const Real bx[4] = {-0.25 * em, 0.25 * em, 0.25 * ep, -0.25 * ep};
  const Real be[4] = {-0.25 * xm, -0.25 * xp, 0.25 * xp, 0.25 * xm};
  const auto assign = [&](const Real* from, Real* to) {
    // The centroid carries 1/12 to each vertex and 1/4 to each midside node.
    for (int j = 0; j < 3; ++j) to[j] = from[2] / 12.0;
    for (int j = 3; j < 6; ++j) to[j] = from[2] / 4.0;
    to[q.vertex] += from[0];
    to[q.after] += from[1];
    to[q.before] += from[3];
  };
  if (f != nullptr) assign(b, f);
  assign(bx, fx);
  assign(be, fe);
}

// Cross derivatives of the sub-quadrilateral functions, constant on each.
void subTriangleCross(int region, Real* fxe) {
  const SubQuadrilateral& q = kSubQuadrilaterals[region];
  for (int j = 0; j < 3; ++j) fxe[j] = 1.0 / 48.0;
  fxe[q.vertex] = 13.0 / 48.0;
  fxe[q.after] = fxe[q.before] = -3.0 / 16.0;
  fxe[q.other] = 1.0 / 16.0;
}

void storeShape(const Real* f, const Real* fx, const Real* fe, int n, Real* shape, Int mode) {
  Real* out = shape;
  if (mode != kDerivativesOnly)
    for (int j = 0; j < n; ++j) *out++ = f[j];
  for (int j = 0; j < n; ++j) *out++ = fx[j];
  for (int j = 0; j < n; ++j) *out++ = fe[j];
}

// ---- Quadrilaterals through quarters --------------------------------------------------------------

// Facet nodes (1-based) at the quarter's bilinear corners; 9 is the centre.
constexpr int kQuarterCorners[4][4] = {{1, 5, 9, 8}, {5, 2, 6, 9}, {9, 6, 3, 7}, {8, 9, 7, 4}};
// The quarter's coordinates are 2 xi + shift.
constexpr Real kQuarterShift[4][2] = {{1.0, 1.0}, {-1.0, 1.0}, {-1.0, -1.0}, {1.0, -1.0}};

// Writes one row (values, or derivatives scaled by factor) of the facet's n functions from the
// quarter's four bilinear ones; on the 8-node facet the centre is carried with -1/4 to each
// corner and 1/2 to each midside node.
template <int n>
void distribute(int quarter, const Real* bilinear, Real factor, Real* row) {
  for (int j = 0; j < n; ++j) row[j] = 0.0;
  for (int c = 0; c < 4; ++c) {
    const int node = kQuarterCorners[quarter][c];
    const Real value = factor * bilinear[c];
    if (n == 9 || node < 9) {
      row[node - 1] += value;
      continue;
    }
    for (int j = 0; j < 4; ++j) row[j] -= 0.25 * value;
    for (int j = 4; j < 8; ++j) row[j] += 0.5 * value;
  }
}

template <int n>
void quarterShape(Int k, const Real* xi, const Real* eta, Real* shape, const Int* mode) {
  const int quarter = k >= 1 && k <= 3 ? k - 1 : 3;
  const Real qxi = 2.0 * *xi + kQuarterShift[quarter][0];
  const Real qeta = 2.0 * *eta + kQuarterShift[quarter][1];
  Real bilinear[12];
  EQC_INTQ4(&qxi, &qeta, bilinear, mode);
  const Real* derivatives = bilinear + (*mode == kDerivativesOnly ? 0 : 4);
  Real* out = shape;
  if (*mode == kValuesAndDerivatives) {
    distribute<n>(quarter, bilinear, 1.0, out);
    out += n;
  }
  // The quarter's coordinates change twice as fast as the facet's.
  distribute<n>(quarter, derivatives, 2.0, out);
  distribute<n>(quarter, derivatives + 4, 2.0, out + n);
}

// ---- Second derivatives of the plain facets ---------------------------------------------------------
//
// Each fills the three blocks of n second derivatives: d2/dxi2, d2/dxi deta, d2/deta2.

void bilinearSecond(Real* d2) {
  static constexpr Real kSecond[12] = {0, 0, 0, 0, 0.25, -0.25, 0.25, -0.25, 0, 0, 0, 0};
  for (int j = 0; j < 12; ++j) d2[j] = kSecond[j];
}

void quadraticTriangleSecond(Real* d2) {
  static constexpr Real kSecond[18] = {4, 4, 0, -8, 0, 0, 4, 0, 0, -4, 4, -4, 4, 0, 4, 0, 0, -8};
  for (int j = 0; j < 18; ++j) d2[j] = kSecond[j];
}

void serendipitySecond(Real xi, Real eta, Real* d2) {
  Real* xx = d2;
  Real* xe = d2 + 8;
  Real* ee = d2 + 16;
  // Corners at (xc, ec) = (+-1, +-1): N = (1 + xc xi)(1 + ec eta)(xc xi + ec eta - 1) / 4.
  static constexpr Real kXc[4] = {-1, 1, 1, -1};
  static constexpr Real kEc[4] = {-1, -1, 1, 1};
  for (int j = 0; j < 4; ++j) {
    const Real xc = kXc[j], ec = kEc[j];
    xx[j] = 0.5 * (1.0 + ec * eta);
    xe[j] = 0.25 * xc * ec * (2.0 * xc * xi + 2.0 * ec * eta + 1.0);
    ee[j] = 0.5 * (1.0 + xc * xi);
  }
  xx[4] = eta - 1.0, xe[4] = xi, ee[4] = 0.0;
  xx[5] = 0.0, xe[5] = -eta, ee[5] = -(1.0 + xi);
  xx[6] = -(1.0 + eta), xe[6] = -xi, ee[6] = 0.0;
  xx[7] = 0.0, xe[7] = eta, ee[7] = xi - 1.0;
}

void lagrangeSecond(Real xi, Real eta, Real* d2) {
  static constexpr int kXiIndex[9] = {0, 2, 2, 0, 1, 2, 1, 0, 1};
  static constexpr int kEtaIndex[9] = {0, 0, 2, 2, 0, 1, 2, 1, 1};
  static constexpr Real kSecond[3] = {1.0, -2.0, 1.0};
  const Real p[3] = {0.5 * xi * (xi - 1.0), 1.0 - xi * xi, 0.5 * xi * (xi + 1.0)};
  const Real dp[3] = {xi - 0.5, -2.0 * xi, xi + 0.5};
  const Real q[3] = {0.5 * eta * (eta - 1.0), 1.0 - eta * eta, 0.5 * eta * (eta + 1.0)};
  const Real dq[3] = {eta - 0.5, -2.0 * eta, eta + 0.5};
  for (int j = 0; j < 9; ++j) {
    const int a = kXiIndex[j], b = kEtaIndex[j];
    d2[j] = kSecond[a] * q[b];
    d2[9 + j] = dp[a] * dq[b];
    d2[18 + j] = p[a] * kSecond[b];
  }
}

void noSecond(Real, Real, Real* d2) {
  for (int j = 0; j < 27; ++j) d2[j] = 0.0;
}
void bilinearSecondAt(Real, Real, Real* d2) { bilinearSecond(d2); }
void quadraticTriangleSecondAt(Real, Real, Real* d2) { quadraticTriangleSecond(d2); }

using ShapeRoutine = void (*)(const Real*, const Real*, Real*, const Int*);
using SecondRoutine = void (*)(Real, Real, Real*);

// A plain facet: the mode-0 array of the shape routine and the second derivatives beside it.
void plainWeights(zmx::geometry::FacetWeights& s, int n, ShapeRoutine routine, SecondRoutine secondRoutine, Real xi,
                  Real eta, bool second) {
  const Int mode = kValuesAndDerivatives;
  routine(&xi, &eta, s.first, &mode);
  if (second) secondRoutine(xi, eta, s.second);
  s.nodes = n;
  for (int r = 0; r < 3; ++r) {
    s.w[r] = s.first + r * n;
    s.w[3 + r] = s.second + r * n;
  }
}

// ld is fixed at 3 when fixedLd is (the common case, which the compiler then unrolls).
template <int n, int dim, bool fixedLd>
void accumulate(const zmx::geometry::FacetWeights& s, const Real* x, long long variableLd, int rows, Real* out) {
  const long long ld = fixedLd ? 3 : variableLd;
  for (int r = 0; r < rows; ++r) {
    const Real* w = s.w[r];
    Real a = 0.0, b = 0.0, c = 0.0;
    for (int j = 0; j < n; ++j) {
      const Real* xj = x + j * ld;
      a += w[j] * xj[0];
      b += w[j] * xj[1];
      if constexpr (dim == 3) c += w[j] * xj[2];
    }
    out[dim * r] = a;
    out[dim * r + 1] = b;
    if constexpr (dim == 3) out[dim * r + 2] = c;
  }
}

template <int n>
void accumulateIn(const zmx::geometry::FacetWeights& s, const Real* x, Int ld, int dim, int rows, Real* out) {
  if (dim == 3 && ld == 3)
    accumulate<n, 3, true>(s, x, ld, rows, out);
  else if (dim == 3)
    accumulate<n, 3, false>(s, x, ld, rows, out);
  else
    accumulate<n, 2, false>(s, x, ld, rows, out);
}

Real lengthOrOne(const Real* v) {
  const Real length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  return length < 1e-36 ? 1.0 : length;
}

}  // namespace

namespace zmx::geometry {

// ---- Seams of the sub-quadrilaterals -----------------------------------------------------------------

constexpr Real kSeam = 0.99;

int subPointsAt(Int k, Real xi, Real eta, SubPoint (&points)[3]) {
  points[0] = {k == 1 ? 0 : k == 2 ? 1 : 2, xi, eta};
  if (k < 1 || k > 3) return 1;
  const int next = (k % 3), previous = (k + 1) % 3;  // the regions after and before k, 0-based
  int count = 1;
  if (xi > kSeam) {
    points[count++] = {next, eta, 1.0};
    if (eta > kSeam) points[count++] = {previous, 1.0, 1.0};
  } else if (eta > kSeam) {
    points[count++] = {previous, 1.0, xi};
  }
  return count;
}

void subJacobian(int region, Real xi, Real eta, Real (&j)[2][2]) {
  const Real a = (5.0 - eta) / 24.0, b = (-1.0 - xi) / 24.0, c = (-1.0 - eta) / 24.0, d = (5.0 - xi) / 24.0;
  const Real e = (eta - 2.0) / 12.0, g = (xi - 2.0) / 12.0;
  switch (region) {
    case 0: j[0][0] = a, j[0][1] = b, j[1][0] = c, j[1][1] = d; break;
    case 1: j[0][0] = e, j[0][1] = g, j[1][0] = a, j[1][1] = b; break;
    default: j[0][0] = c, j[0][1] = d, j[1][0] = e, j[1][1] = g; break;
  }
}

bool facetWeights(FacetWeights& s, Int n, Real xi, Real eta, bool throughSubRegion, Int k, bool cylindrical,
                  const Real* cylinder, bool second, bool otherAsNine) {
  // The 3- and 4-node facets keep their own functions whatever the cylindrical flag says.
  if (cylindrical && n != 3 && n != 4) {
    s.nodes = n == 6 ? 6 : 9;
    cylinderFunctions(s.nodes, xi, eta, cylinder, second, s.cylinder);
    const Real* rows[6] = {s.cylinder.f, s.cylinder.fx, s.cylinder.fe, s.cylinder.fxx, s.cylinder.fxe, s.cylinder.fee};
    for (int r = 0; r < 6; ++r) s.w[r] = rows[r];
    return true;
  }
  switch (n) {
    case 3: plainWeights(s, 3, EQC_INTT3, noSecond, xi, eta, second); return true;
    case 4: plainWeights(s, 4, EQC_INTQ4, bilinearSecondAt, xi, eta, second); return true;
    case 6:
      if (!throughSubRegion) {
        plainWeights(s, 6, EQC_INTT6, quadraticTriangleSecondAt, xi, eta, second);
        return true;
      }
      // Bilinear on the sub-quadrilateral: only the cross derivatives, constant, are not zero.
      subTriangleFunctions(subRegion(k), xi, eta, s.first, s.first + 6, s.first + 12);
      if (second) {
        for (int j = 0; j < 18; ++j) s.second[j] = 0.0;
        subTriangleCross(subRegion(k), s.second + 6);
      }
      s.nodes = 6;
      for (int r = 0; r < 3; ++r) s.w[r] = s.first + 6 * r, s.w[3 + r] = s.second + 6 * r;
      return true;
    case 8: plainWeights(s, 8, EQC_INTQ8, serendipitySecond, xi, eta, second); return true;
    case 9: plainWeights(s, 9, EQC_INTQ9, lagrangeSecond, xi, eta, second); return true;
    default:
      if (!otherAsNine) return false;
      plainWeights(s, 9, EQC_INTQ9, lagrangeSecond, xi, eta, second);
      return true;
  }
}

void combine(const FacetWeights& s, const Real* x, Int ld, int dim, int rows, Real* out) {
  switch (s.nodes) {
    case 3: accumulateIn<3>(s, x, ld, dim, rows, out); break;
    case 4: accumulateIn<4>(s, x, ld, dim, rows, out); break;
    case 6: accumulateIn<6>(s, x, ld, dim, rows, out); break;
    case 8: accumulateIn<8>(s, x, ld, dim, rows, out); break;
    default: accumulateIn<9>(s, x, ld, dim, rows, out); break;
  }
}

}  // namespace zmx::geometry

extern "C" {

void INTT6C(const Int* k, const Real* xi, const Real* eta, Real* shape, const Int* mode) {
  Real f[6], fx[6], fe[6];
  subTriangleFunctions(subRegion(*k), *xi, *eta, f, fx, fe);
  storeShape(f, fx, fe, 6, shape, *mode);
}

void INTQ8C(const Int* k, const Real* xi, const Real* eta, Real* shape, const Int* mode) {
  quarterShape<8>(*k, xi, eta, shape, mode);
}

void INTQ9C(const Int* k, const Real* xi, const Real* eta, Real* shape, const Int* mode) {
  quarterShape<9>(*k, xi, eta, shape, mode);
}

void FACET_3D_SHAPEVALUES(const Real* xi, const Real* eta, const Int* n, const Logical* subRegionFlag, const Int* k,
                          Real* shape) {
  const Int mode = kValuesAndDerivatives;
  switch (*n) {
    case 3: EQC_INTT3(xi, eta, shape, &mode); break;
    case 4: EQC_INTQ4(xi, eta, shape, &mode); break;
    case 6:
      if (isTrueLowBit(*subRegionFlag))
        INTT6C(k, xi, eta, shape, &mode);
      else
        EQC_INTT6(xi, eta, shape, &mode);
      break;
    case 8: EQC_INTQ8(xi, eta, shape, &mode); break;
    default: EQC_INTQ9(xi, eta, shape, &mode); break;
  }
}

void FACET_DERIV(const Real* x, const Int* n, const Real* xi, const Real* eta, Real* result, const Int* k,
                 const Logical* cylindrical, const Real* cylinder) {
  zmx::geometry::FacetWeights s;
  if (zmx::geometry::facetWeights(s, *n, *xi, *eta, *k >= 1, *k, isTrueLowBit(*cylindrical), cylinder, true, false)) {
    zmx::geometry::combine(s, x, 3, 3, 6, result);
    return;
  }
  for (int i = 0; i < 18; ++i) result[i] = 0.0;
  zmx::geometry::report(zmx::geometry::kError, "SYSTEM ERROR IN facet_deriv - THE NUMBER OF VERTICES OF A FACET IS %I",
                        {*n});
}

void INTT6C_M(const Int* k, const Real* xi, const Real* eta, const Real* x, Real* shape, const Int* mode) {
  // A mode-1 array holds only the 12 derivatives: nothing is written past them.
  const bool values = *mode != kDerivativesOnly;
  const int length = values ? 18 : 12;
  for (int i = 0; i < length; ++i) shape[i] = 0.0;
  zmx::geometry::SubPoint points[3];
  const int count = zmx::geometry::subPointsAt(*k, *xi, *eta, points);
  Real* dU = shape + (values ? 6 : 0);
  Real* dV = dU + 6;
  for (int p = 0; p < count; ++p) {
    Real f[6], fx[6], fe[6];
    subTriangleFunctions(points[p].region, points[p].xi, points[p].eta, f, fx, fe);
    if (values)
      for (int j = 0; j < 6; ++j) shape[j] += f[j];
    // Derivatives by the area coordinates through the inverse of the sub-quadrilateral's Jacobian.
    Real jac[2][2];
    zmx::geometry::subJacobian(points[p].region, points[p].xi, points[p].eta, jac);
    Real det = jac[0][0] * jac[1][1] - jac[0][1] * jac[1][0];
    if (std::fabs(det) < 1e-36) det = 1.0;
    Real fu[6], fv[6], tu[3] = {}, tv[3] = {};
    for (int j = 0; j < 6; ++j) {
      fu[j] = (jac[1][1] * fx[j] - jac[1][0] * fe[j]) / det;
      fv[j] = (-jac[0][1] * fx[j] + jac[0][0] * fe[j]) / det;
      for (int i = 0; i < 3; ++i) {
        tu[i] += fu[j] * x[3 * j + i];
        tv[i] += fv[j] * x[3 * j + i];
      }
    }
    const Real lu = lengthOrOne(tu), lv = lengthOrOne(tv);
    for (int j = 0; j < 6; ++j) {
      dU[j] += fu[j] / lu;
      dV[j] += fv[j] / lv;
    }
  }
  if (count > 1) {
    const Real share = 1.0 / count;
    for (int i = 0; i < length; ++i) shape[i] *= share;
  }
}

}  // extern "C"
