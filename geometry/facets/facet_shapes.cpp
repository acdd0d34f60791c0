// Facet shape functions: the choice of functions for a facet, the point and first and second
// derivative vectors of a facet, and the sub-region interpolations of quadratic facets (a 6-node
// triangle as three bilinear quadrilaterals, an 8- or 9-node quadrilateral as four quarters).

#include <cmath>

#include "geometry/cylinders/cylinder_functions.h"
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

// Adds value to facet node `node` (1-based) of an n-node facet; on the 8-node facet the centre is
// carried with -1/4 to each corner and 1/2 to each midside node.
void addToNode(Real* to, int n, int node, Real value) {
  if (node < 9 || n == 9) {
    to[node - 1] += value;
    return;
  }
  for (int j = 0; j < 4; ++j) to[j] -= 0.25 * value;
  for (int j = 4; j < 8; ++j) to[j] += 0.5 * value;
}

void quarterShape(int n, Int k, const Real* xi, const Real* eta, Real* shape, const Int* mode) {
  const int quarter = k >= 1 && k <= 3 ? k - 1 : 3;
  const Real qxi = 2.0 * *xi + kQuarterShift[quarter][0];
  const Real qeta = 2.0 * *eta + kQuarterShift[quarter][1];
  Real bilinear[12];
  EQC_INTQ4(&qxi, &qeta, bilinear, mode);
  const Real* derivatives = bilinear + (*mode == kDerivativesOnly ? 0 : 4);
  Real* out = shape;
  if (*mode == kValuesAndDerivatives) {
    for (int j = 0; j < n; ++j) out[j] = 0.0;
    for (int c = 0; c < 4; ++c) addToNode(out, n, kQuarterCorners[quarter][c], bilinear[c]);
    out += n;
  }
  for (int j = 0; j < 2 * n; ++j) out[j] = 0.0;
  // The quarter's coordinates change twice as fast as the facet's.
  for (int c = 0; c < 4; ++c) {
    addToNode(out, n, kQuarterCorners[quarter][c], 2.0 * derivatives[c]);
    addToNode(out + n, n, kQuarterCorners[quarter][c], 2.0 * derivatives[4 + c]);
  }
}

// ---- Second derivatives of the plain facets ---------------------------------------------------------

void zeroSecond(int n, FacetFunctions& s) {
  for (int j = 0; j < n; ++j) s.fxx[j] = s.fxe[j] = s.fee[j] = 0.0;
}

void bilinearSecond(FacetFunctions& s) {
  zeroSecond(4, s);
  s.fxe[0] = s.fxe[2] = 0.25;
  s.fxe[1] = s.fxe[3] = -0.25;
}

void quadraticTriangleSecond(FacetFunctions& s) {
  static constexpr Real kXX[6] = {4, 4, 0, -8, 0, 0};
  static constexpr Real kXE[6] = {4, 0, 0, -4, 4, -4};
  static constexpr Real kEE[6] = {4, 0, 4, 0, 0, -8};
  for (int j = 0; j < 6; ++j) {
    s.fxx[j] = kXX[j];
    s.fxe[j] = kXE[j];
    s.fee[j] = kEE[j];
  }
}

void serendipitySecond(Real xi, Real eta, FacetFunctions& s) {
  // Corners at (xc, ec) = (+-1, +-1): N = (1 + xc xi)(1 + ec eta)(xc xi + ec eta - 1) / 4.
  static constexpr Real kXc[4] = {-1, 1, 1, -1};
  static constexpr Real kEc[4] = {-1, -1, 1, 1};
  for (int j = 0; j < 4; ++j) {
    const Real xc = kXc[j], ec = kEc[j];
    s.fxx[j] = 0.5 * (1.0 + ec * eta);
    s.fxe[j] = 0.25 * xc * ec * (2.0 * xc * xi + 2.0 * ec * eta + 1.0);
    s.fee[j] = 0.5 * (1.0 + xc * xi);
  }
  s.fxx[4] = eta - 1.0, s.fxe[4] = xi, s.fee[4] = 0.0;
  s.fxx[5] = 0.0, s.fxe[5] = -eta, s.fee[5] = -(1.0 + xi);
  s.fxx[6] = -(1.0 + eta), s.fxe[6] = -xi, s.fee[6] = 0.0;
  s.fxx[7] = 0.0, s.fxe[7] = eta, s.fee[7] = xi - 1.0;
}

void lagrangeSecond(Real xi, Real eta, FacetFunctions& s) {
  static constexpr int kXiIndex[9] = {0, 2, 2, 0, 1, 2, 1, 0, 1};
  static constexpr int kEtaIndex[9] = {0, 0, 2, 2, 0, 1, 2, 1, 1};
  const auto quadratic = [](Real t, Real* f, Real* d) {
    f[0] = 0.5 * t * (t - 1.0), f[1] = 1.0 - t * t, f[2] = 0.5 * t * (t + 1.0);
    d[0] = t - 0.5, d[1] = -2.0 * t, d[2] = t + 0.5;
  };
  static constexpr Real kSecond[3] = {1.0, -2.0, 1.0};
  Real p[3], dp[3], q[3], dq[3];
  quadratic(xi, p, dp);
  quadratic(eta, q, dq);
  for (int j = 0; j < 9; ++j) {
    const int a = kXiIndex[j], b = kEtaIndex[j];
    s.fxx[j] = kSecond[a] * q[b];
    s.fxe[j] = dp[a] * dq[b];
    s.fee[j] = p[a] * kSecond[b];
  }
}

// Functions of a plain facet from the shape routine's mode-0 array.
template <int n>
void fromArray(void (*routine)(const Real*, const Real*, Real*, const Int*), Real xi, Real eta, FacetFunctions& s) {
  Real shape[3 * n];
  const Int mode = kValuesAndDerivatives;
  routine(&xi, &eta, shape, &mode);
  for (int j = 0; j < n; ++j) {
    s.f[j] = shape[j];
    s.fx[j] = shape[n + j];
    s.fe[j] = shape[2 * n + j];
  }
}

// The functions of the facet and their second derivatives; false for a node count no plain facet
// has.
bool facetFunctions(Int n, Real xi, Real eta, Int k, bool cylindrical, const Real* cylinder, FacetFunctions& s) {
  if (cylindrical) {
    zmx::geometry::cylinderFunctions(n == 6 ? 6 : 9, xi, eta, cylinder, true, s);
    return true;
  }
  switch (n) {
    case 3:
      fromArray<3>(EQC_INTT3, xi, eta, s);
      zeroSecond(3, s);
      return true;
    case 4:
      fromArray<4>(EQC_INTQ4, xi, eta, s);
      bilinearSecond(s);
      return true;
    case 6:
      if (k < 1) {
        fromArray<6>(EQC_INTT6, xi, eta, s);
        quadraticTriangleSecond(s);
      } else {
        subTriangleFunctions(subRegion(k), xi, eta, s.f, s.fx, s.fe);
        zeroSecond(6, s);
        subTriangleCross(subRegion(k), s.fxe);
      }
      return true;
    case 8:
      fromArray<8>(EQC_INTQ8, xi, eta, s);
      serendipitySecond(xi, eta, s);
      return true;
    case 9:
      fromArray<9>(EQC_INTQ9, xi, eta, s);
      lagrangeSecond(xi, eta, s);
      return true;
    default:
      return false;
  }
}

// ---- Seams of the sub-quadrilaterals -----------------------------------------------------------------

struct SubPoint {
  int region;
  Real xi, eta;
};

constexpr Real kSeam = 0.99;

// The sub-quadrilaterals that hold the point: its own, and the neighbours whose seam it lies on.
int subPointsAt(Int k, Real xi, Real eta, SubPoint (&points)[3]) {
  points[0] = {subRegion(k), xi, eta};
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

// Jacobian (du/dxi, du/deta; dv/dxi, dv/deta) of sub-quadrilateral r's map onto the triangle's
// area coordinates (u, v) of vertices 2 and 3.
void subJacobian(int region, Real xi, Real eta, Real (&j)[2][2]) {
  const Real a = (5.0 - eta) / 24.0, b = (-1.0 - xi) / 24.0, c = (-1.0 - eta) / 24.0, d = (5.0 - xi) / 24.0;
  const Real e = (eta - 2.0) / 12.0, g = (xi - 2.0) / 12.0;
  switch (region) {
    case 0: j[0][0] = a, j[0][1] = b, j[1][0] = c, j[1][1] = d; break;
    case 1: j[0][0] = e, j[0][1] = g, j[1][0] = a, j[1][1] = b; break;
    default: j[0][0] = c, j[0][1] = d, j[1][0] = e, j[1][1] = g; break;
  }
}

Real lengthOrOne(const Real* v) {
  const Real length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  return length < 1e-36 ? 1.0 : length;
}

}  // namespace

extern "C" {

void INTT6C(const Int* k, const Real* xi, const Real* eta, Real* shape, const Int* mode) {
  Real f[6], fx[6], fe[6];
  subTriangleFunctions(subRegion(*k), *xi, *eta, f, fx, fe);
  storeShape(f, fx, fe, 6, shape, *mode);
}

void INTQ8C(const Int* k, const Real* xi, const Real* eta, Real* shape, const Int* mode) {
  quarterShape(8, *k, xi, eta, shape, mode);
}

void INTQ9C(const Int* k, const Real* xi, const Real* eta, Real* shape, const Int* mode) {
  quarterShape(9, *k, xi, eta, shape, mode);
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
  for (int i = 0; i < 18; ++i) result[i] = 0.0;
  const bool curvedFacet = isTrueLowBit(*cylindrical);
  FacetFunctions s;
  if (!facetFunctions(*n, *xi, *eta, *k, curvedFacet, cylinder, s)) {
    zmx::geometry::report(zmx::geometry::kError, "SYSTEM ERROR IN facet_deriv - THE NUMBER OF VERTICES OF A FACET IS %I",
                          {*n});
    return;
  }
  const int nodes = curvedFacet ? (*n == 6 ? 6 : 9) : *n;
  for (int j = 0; j < nodes; ++j) {
    const Real* xj = x + 3 * j;
    const Real weights[6] = {s.f[j], s.fx[j], s.fe[j], s.fxx[j], s.fxe[j], s.fee[j]};
    for (int r = 0; r < 6; ++r)
      for (int i = 0; i < 3; ++i) result[3 * r + i] += weights[r] * xj[i];
  }
}

void INTT6C_M(const Int* k, const Real* xi, const Real* eta, const Real* x, Real* shape, const Int* mode) {
  for (int i = 0; i < 18; ++i) shape[i] = 0.0;
  SubPoint points[3];
  const int count = subPointsAt(*k, *xi, *eta, points);
  const bool values = *mode != kDerivativesOnly;
  Real* dU = shape + (values ? 6 : 0);
  Real* dV = dU + 6;
  for (int p = 0; p < count; ++p) {
    Real f[6], fx[6], fe[6];
    subTriangleFunctions(points[p].region, points[p].xi, points[p].eta, f, fx, fe);
    if (values)
      for (int j = 0; j < 6; ++j) shape[j] += f[j];
    // Derivatives by the area coordinates through the inverse of the sub-quadrilateral's Jacobian.
    Real jac[2][2];
    subJacobian(points[p].region, points[p].xi, points[p].eta, jac);
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
    for (int i = 0; i < (values ? 18 : 12); ++i) shape[i] *= share;
  }
}

}  // extern "C"
