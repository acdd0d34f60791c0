// Facet properties at one point of a facet's coordinates: point, tangents, unit normal and, on
// request, second derivatives (line facets of two-dimensional surfaces and facets of
// three-dimensional ones), and the smoothed normal field of a facet with its derivatives, local
// directions and curvature terms.

#include <cmath>

#include "geometry/facets/facet_functions.h"
#include "geometry/facets/facet_properties.h"
#include "siblings/eqc/facet_shapes.h"
#include "zmx/geometry/facets.h"
#include "zmx/numerics/rotations.h"

namespace zmx::geometry {

bool unitLength(Real* v, int count) {
  Real square = 0.0;
  for (int i = 0; i < count; ++i) square += v[i] * v[i];
  const Real length = std::sqrt(square);
  if (!(length > 0.0) || !std::isfinite(length)) return false;
  const Real inverse = 1.0 / length;
  for (int i = 0; i < count; ++i) v[i] *= inverse;
  return true;
}

bool unitCross(const Real* a, const Real* b, Real* n) {
  n[0] = a[1] * b[2] - a[2] * b[1];
  n[1] = a[2] * b[0] - a[0] * b[2];
  n[2] = a[0] * b[1] - a[1] * b[0];
  return unitLength(n, 3);
}

namespace {

// The line functions: 2 nodes, 3 nodes (quadratic), or one straight half of a 3-node line.
int lineFunctions(Int n, bool halves, Int half, Real xi, Real* f, Real* d, Real* dd) {
  if (n == 2 || (n != 2 && halves)) {
    const int first = n == 2 || half == 1 ? 0 : 1;
    for (int j = 0; j < 3; ++j) f[j] = d[j] = dd[j] = 0.0;
    f[first] = 0.5 * (1.0 - xi);
    f[first + 1] = 0.5 * (1.0 + xi);
    d[first] = -0.5;
    d[first + 1] = 0.5;
    return n == 2 ? 2 : 3;
  }
  f[0] = 0.5 * xi * (xi - 1.0), f[1] = 1.0 - xi * xi, f[2] = 0.5 * xi * (xi + 1.0);
  d[0] = xi - 0.5, d[1] = -2.0 * xi, d[2] = xi + 0.5;
  dd[0] = 1.0, dd[1] = -2.0, dd[2] = 1.0;
  return 3;
}

// The sibling's ANORM with its status, over the shared normalisation.
void normalise(Real* v, Int count, Int* status) {
  if (!unitLength(v, count)) *status = 1;
}

void crossNormal(const Real* t1, const Real* t2, Real* normal, Int* status) {
  if (!unitCross(t1, t2, normal)) *status = 1;
}

// The 3-node triangle: the functions of EQC_INTT3 (1 - xi - eta, xi, eta), summed in the same
// order as for every other facet, without a call per evaluation on the projections' hot path.
bool flatTriangleProperties(bool withSecond, bool pointOnly, Real xi, Real eta, const Real* x, Int ld, Real* point,
                            Real* normal, Real* tangents, Real* second, Int* status) {
  const Real* x1 = x;
  const Real* x2 = x + ld;
  const Real* x3 = x + 2 * static_cast<long long>(ld);
  const Real f1 = 1.0 - xi - eta;
  for (int i = 0; i < 3; ++i) point[i] = 0.0 + f1 * x1[i] + xi * x2[i] + eta * x3[i];
  if (pointOnly) return true;
  for (int i = 0; i < 3; ++i) {
    tangents[i] = 0.0 + -1.0 * x1[i] + 1.0 * x2[i] + 0.0 * x3[i];
    tangents[3 + i] = 0.0 + -1.0 * x1[i] + 0.0 * x2[i] + 1.0 * x3[i];
  }
  crossNormal(tangents, tangents + 3, normal, status);
  if (withSecond)
    for (int i = 0; i < 12; ++i) second[i] = 0.0;
  return true;
}

}  // namespace

void lineProperties(bool withSecond, bool pointOnly, Real xi, Int n, bool halves, Int half, const Real* x, Int ld,
                    Real* point, Real* normal, Real* tangent, Real* second, Int* status) {
  *status = 0;
  Real f[3], d[3], dd[3];
  const int nodes = lineFunctions(n, halves, half, xi, f, d, dd);
  Real p[2] = {0, 0}, t[2] = {0, 0}, s[2] = {0, 0};
  for (int j = 0; j < nodes; ++j) {
    const Real* xj = x + static_cast<long long>(j) * ld;
    for (int i = 0; i < 2; ++i) {
      p[i] += f[j] * xj[i];
      t[i] += d[j] * xj[i];
      s[i] += dd[j] * xj[i];
    }
  }
  point[0] = p[0], point[1] = p[1];
  if (pointOnly) return;
  tangent[0] = t[0], tangent[1] = t[1];
  normal[0] = -t[1], normal[1] = t[0];
  normalise(normal, 2, status);
  if (withSecond) second[0] = s[0], second[1] = s[1];
}

bool facetProperties(bool withSecond, bool pointOnly, Real xi, Real eta, Int n, bool subRegion, Int k,
                     bool cylindrical, const Real* cylinder, const Real* x, Int ld, Real* point, Real* normal,
                     Real* tangents, Real* second, Int* status) {
  *status = 0;
  if (n == 3) return flatTriangleProperties(withSecond, pointOnly, xi, eta, x, ld, point, normal, tangents, second, status);
  if (n == 4) return bilinearProperties(withSecond, pointOnly, xi, eta, x, ld, point, normal, tangents, second, status);
  FacetWeights s;
  facetWeights(s, n, xi, eta, subRegion, k, cylindrical, cylinder, withSecond, true);
  if (pointOnly) {
    combine(s, x, ld, 3, 1, point);
    return true;
  }
  // d2/dxi2, d2/dxi deta, d2/deta dxi, d2/deta2.
  Real rows[18];
  combine(s, x, ld, 3, withSecond ? 6 : 3, rows);
  for (int i = 0; i < 3; ++i) point[i] = rows[i];
  for (int i = 0; i < 6; ++i) tangents[i] = rows[3 + i];
  crossNormal(tangents, tangents + 3, normal, status);
  if (!withSecond) return true;
  for (int i = 0; i < 3; ++i) {
    second[i] = rows[9 + i];
    second[3 + i] = second[6 + i] = rows[12 + i];
    second[9 + i] = rows[15 + i];
  }
  return true;
}

}  // namespace zmx::geometry

namespace {

using zmx::geometry::dot3;

// The functions of the smoothed normal field: M, dM/dxi, dM/deta of nodes nodes.
struct NormalField {
  int nodes;
  Real f[9], fx[9], fe[9];
};

// Sub-quadrilateral k of a 6-node triangle: the area coordinates (u, v) of its point and the
// Jacobian (du/dxi, du/deta; dv/dxi, dv/deta).
void subToArea(Int k, Real xi, Real eta, Real& u, Real& v, Real (&j)[2][2]) {
  const Real a = (5.0 * xi + 5.0 - eta - xi * eta) / 24.0, b = (5.0 * eta + 5.0 - xi - xi * eta) / 24.0;
  const Real c = (7.0 - 2.0 * xi - 2.0 * eta + xi * eta) / 12.0;
  const Real da[2] = {(5.0 - eta) / 24.0, (-1.0 - xi) / 24.0}, db[2] = {(-1.0 - eta) / 24.0, (5.0 - xi) / 24.0};
  const Real dc[2] = {(eta - 2.0) / 12.0, (xi - 2.0) / 12.0};
  const Real* du;
  const Real* dv;
  if (k == 1)
    u = a, v = b, du = da, dv = db;
  else if (k == 2)
    u = c, v = a, du = dc, dv = da;
  else
    u = b, v = c, du = db, dv = dc;
  j[0][0] = du[0], j[0][1] = du[1], j[1][0] = dv[0], j[1][1] = dv[1];
}

void normalField(Int n, Real xi, Real eta, bool subRegion, Int k, bool cylindrical,
                 const zmx::geometry::FacetWeights& coordinates, NormalField& m) {
  const Int mode = 0;
  if (!cylindrical && n == 6) {
    // The three vertex normals only.
    Real shape[9];
    m.nodes = 3;
    if (!subRegion) {
      EQC_INTT3(&xi, &eta, shape, &mode);
      for (int j = 0; j < 3; ++j) m.f[j] = shape[j], m.fx[j] = shape[3 + j], m.fe[j] = shape[6 + j];
      return;
    }
    Real u, v, jac[2][2];
    subToArea(k, xi, eta, u, v, jac);
    EQC_INTT3(&u, &v, shape, &mode);
    for (int j = 0; j < 3; ++j) {
      m.f[j] = shape[j];
      m.fx[j] = shape[3 + j] * jac[0][0] + shape[6 + j] * jac[1][0];
      m.fe[j] = shape[3 + j] * jac[0][1] + shape[6 + j] * jac[1][1];
    }
    return;
  }
  if (!cylindrical && (n == 8 || n == 9)) {
    Real shape[27];
    m.nodes = n;
    (n == 8 ? INTQ8C : INTQ9C)(&k, &xi, &eta, shape, &mode);
    for (int j = 0; j < n; ++j) m.f[j] = shape[j], m.fx[j] = shape[n + j], m.fe[j] = shape[2 * n + j];
    return;
  }
  m.nodes = coordinates.nodes;
  for (int j = 0; j < m.nodes; ++j)
    m.f[j] = coordinates.w[0][j], m.fx[j] = coordinates.w[1][j], m.fe[j] = coordinates.w[2][j];
}

}  // namespace

extern "C" {

void FACET_2D_FACETFACE_PROP(const Int* noSecond, const Real* xi, const Int* n, const Logical* halves, const Int* half,
                             const Real* x, const Int* ld, Real* point, Real* normal, Real* tangent, Real* second,
                             Int* status) {
  zmx::geometry::lineProperties(*noSecond == 0, false, *xi, *n, isTrueLowBit(*halves), *half, x, *ld, point, normal,
                                tangent, second, status);
}

void FACET_2D_LINETOFACE_PROP(const Int* mode, const Real* xi, const Int* n, const Logical* halves, const Int* half,
                              const Real* x, const Int* ld, Real* point, Real* normal, Real* tangent, Int* status) {
  zmx::geometry::lineProperties(false, *mode == 1, *xi, *n, isTrueLowBit(*halves), *half, x, *ld, point, normal,
                                tangent, nullptr, status);
}

void FACET_3D_FACETFACE_PROP(const Int* mode, const Real* xi, const Real* eta, const Int* n, const Logical* subRegion,
                             const Int* k, const Logical* cylindrical, const Real* cylinder, const Real* x,
                             const Int* ld, Real* point, Real* normal, Real* tangents, Real* second, Int* status) {
  zmx::geometry::facetProperties(*mode != 1, false, *xi, *eta, *n, isTrueLowBit(*subRegion), *k,
                                 isTrueLowBit(*cylindrical), cylinder, x, *ld, point, normal, tangents, second, status);
}

void FACET_3D_LINETOFACE_PROP(const Int* mode, const Real* xi, const Real* eta, const Int* n, const Logical* subRegion,
                              const Int* k, const Real* x, const Int* ld, Real* point, Real* normal, Real* tangents,
                              Int* status) {
  zmx::geometry::facetProperties(false, *mode == 1, *xi, *eta, *n, isTrueLowBit(*subRegion), *k, false, nullptr, x,
                                 *ld, point, normal, tangents, nullptr, status);
}

void FACET_3D_FACE_PROP(const Int* mode, const Real* xi, const Real* eta, const Int* n, const Logical* subRegionFlag,
                        const Int* k, const Logical* cylindricalFlag, const Real* cylinder, const Real* x,
                        const Int* ldx, const Real* v, const Int* ldv, Real* referenceNormal, Real* firstDirection,
                        const Real* secondDirection, Real* point, Real* tangents, Real* normal, Real* normalDerivatives,
                        Real* directions, Real* curvature, Int* status) {
  *status = 0;
  const bool withDerivatives = *mode == 0;
  const bool subRegion = isTrueLowBit(*subRegionFlag);
  const bool cylindrical = isTrueLowBit(*cylindricalFlag) && *n != 3 && *n != 4;
  zmx::geometry::FacetWeights s;
  zmx::geometry::facetWeights(s, *n, *xi, *eta, subRegion, *k, cylindrical, cylinder, false, true);
  Real rows[9];
  zmx::geometry::combine(s, x, *ldx, 3, withDerivatives ? 3 : 1, rows);
  for (int i = 0; i < 3; ++i) point[i] = rows[i];
  if (withDerivatives)
    for (int i = 0; i < 6; ++i) tangents[i] = rows[3 + i];
  NormalField m;
  normalField(*n, *xi, *eta, subRegion, *k, cylindrical, s, m);
  Real w[3] = {0, 0, 0}, wx[3] = {0, 0, 0}, we[3] = {0, 0, 0};
  for (int j = 0; j < m.nodes; ++j) {
    const Real* vj = v + static_cast<long long>(j) * *ldv;
    for (int i = 0; i < 3; ++i) w[i] += m.f[j] * vj[i], wx[i] += m.fx[j] * vj[i], we[i] += m.fe[j] * vj[i];
  }
  const Real length = std::sqrt(dot3(w, w));
  if (length <= 2.22e-16) {
    *status = 1;
    return;
  }
  for (int i = 0; i < 3; ++i) normal[i] = w[i] / length;
  ROTATE_ORIENTATION(firstDirection, secondDirection, referenceNormal, normal, directions, directions + 3);
  if (!withDerivatives) return;
  const Real* dw[2] = {wx, we};
  for (int a = 0; a < 2; ++a) {
    const Real along = dot3(normal, dw[a]);
    for (int i = 0; i < 3; ++i) normalDerivatives[3 * a + i] = (dw[a][i] - along * normal[i]) / length;
  }
  // -(d1 . dn/dxi) n, -(d2 . dn/dxi) n, -(d1 . dn/deta) n, -(d2 . dn/deta) n.
  for (int a = 0; a < 2; ++a)
    for (int b = 0; b < 2; ++b) {
      const Real c = -dot3(directions + 3 * b, normalDerivatives + 3 * a);
      for (int i = 0; i < 3; ++i) curvature[3 * (2 * a + b) + i] = c * normal[i];
    }
}

}  // extern "C"
