// Per-section geometry of the thick and layered shells: the local derivatives, interpolated
// normal and curvature terms of one sub-layout, the four-node projected-coordinate treatment, and
// the check wrappers of the thick shells.
#include <algorithm>
#include <cmath>

#include "elements/geometry/element_records.h"
#include "elements/geometry/element_support.h"
#include "elements/shells/shell_support.h"
#include "runtime/record.h"
#include "siblings/dm2/element_numbers.h"
#include "siblings/eqc/element_checks.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/line_shell_checks.h"
#include "siblings/eqc/records.h"
#include "zmx/elements/shells.h"

namespace {

using namespace zmx_elements;
using namespace zmx_elements::typeword;
using zmx_shells::kMaxShellNodes;

bool projectedType(Int type) { return type == 2021 || type == 2031 || type == 2022; }

const Int* program() { return &rec::i(CPROG, eqc_records::kProgramKind); }

void clear(Real* a, Int n) {
  const Real zero = 0.0;
  ASET(a, &zero, &n);
}

Real reciprocalLength(V3 v) {
  const Real q = dot(v, v);
  return q <= 1.0e-36 ? 1.0 : 1.0 / std::sqrt(q);
}

}  // namespace

namespace zmx_shells {

// Steps shared by LHSG02GEOM and SHR_LSCGEOM after their check: local derivatives (18 reals),
// the interpolated normal into point words 7-9, its derivatives and the curvature terms.
void sectionDerivatives(const Real* X, Int ldim, const Real* table, Int nodes, Int i, const Real* normals,
                        Real* point, const Real* matrix, Real* curvature, Real* derivatives, V3& dn1, V3& dn2) {
  const long long n = nodes;
  const Real* value = &table[n * (3LL * i - 3)];
  const Real* dxi = &table[n * (3LL * i - 2)];
  const Real* deta = &table[n * (3LL * i - 1)];
  V3 normal;
  dn1 = dn2 = V3{};
  for (int k = 0; k < nodes; ++k) {
    const Real d1 = matrix[0] * dxi[k] + matrix[1] * deta[k];
    const Real d2 = matrix[2] * dxi[k] + matrix[3] * deta[k];
    derivatives[k] = d1;
    derivatives[9 + k] = d2;
    const V3 Nk = load(&normals[3 * k]);
    normal = normal + value[k] * Nk;
    dn1 = dn1 + d1 * Nk;
    dn2 = dn2 + d2 * Nk;
  }
  (void)X;
  (void)ldim;
  store(normal, &point[6]);
  const V3 t1 = load(&point[0]), t2 = load(&point[3]);
  curvature[0] = -dot(dn1, t1);
  curvature[1] = 0.0;
  curvature[2] = -0.5 * (dot(dn1, t2) + dot(dn2, t1));
  curvature[3] = -dot(dn2, t2);
}

}  // namespace zmx_shells

extern "C" {

void SETNUMSHEARPOINT(const Int* nodes, const Int* k, const Int* family, Int* count, Int* perEdge) {
  *count = 0;
  *perEdge = 0;
  if (*family == 210) {
    *count = (*nodes - 1) * *k + (*k - 1) * *nodes;
    return;
  }
  if (*family == 216) {
    *count = 4, *perEdge = 2;
    return;
  }
  switch (*nodes) {
    case 4: *count = 4, *perEdge = 2; return;
    case 3: *count = 3, *perEdge = 3; return;
    case 6: *count = 6, *perEdge = 3; return;
    case 9: *count = 12, *perEdge = 3; return;
    default: return;
  }
}

Int LHSG01(const Int* element, const Real* X, const Int* ldim, const Real* a4, const Int* w8, const Int* type,
           const Int* w14, Int* a8) {
  const Int result = EQC_LHSG01(X, a4, ldim, w8, w14, type, element, a8);
  if (*w8 != 3) return result;
  const Int two = 2, zero = 0;
  EQC_3NLINE_ERRWARN(X, ldim, &two, element, a8, &zero);
  return 0;
}

Int LHSG002(const Real* X, const Int* ldim, const Real* a3, const Int* nodes, const Int* handle, const Int* a6,
            Int* a7) {
  const ElementView e = viewElement(*handle);
  const Int c212 = 212, zero = 0;
  Real work1[256] = {}, work2[256] = {};
  const Int result = EQC_LHSG002(X, a3, a6, ldim, nodes, &e.rec[kType - 1],
                                 &e.number, &e.rec[kPoints - 1], &e.rec[kFamily - 1], &c212, program(), &zero, &zero,
                                 work1, work2, a7);
  if (*nodes != 8 && *nodes != 6) return result;
  EQC_2NDORDER_DISTORTIONCHECK(&e.number, X, ldim, nodes, a7);
  return 0;
}

void LHSG02GEOM(const Real* X, const Int* ldim, const Real* table, const Int* nodes, const Int* i,
                const Real* normals, const Int* flag, const Int* handle, Real* area, Real* point, Real* matrix,
                Real* curvature, Real* a13, Real* a14, Real* a15, Real* a16, Real* derivatives, Real* a18, Real* a19,
                Real* a20, Real* a21, Real* a22, Real* a23, const Int* a24, const Int* a25) {
  if (*nodes < 1 || *nodes > kMaxShellNodes) return systemError("SYSTEM ERROR IN LHSG02GEOM: %I NODES", *nodes);
  const ElementView e = viewElement(*handle);
  const Int user = GETJELNO(handle);
  const Int type = word(e.rec, kType), family = word(e.rec, kFamily);
  const Int w14 = word(e.rec, kPoints), w48 = word(e.rec, 48), c212 = 212;
  EQC_LHSG02(X, ldim, table, nodes, i, flag, &user, area, point, matrix, nodes, &w14, &family, &c212, program(), a25);
  *a21 = 0.0;
  clear(a13, 2), clear(a15, 2), clear(a18, *nodes), clear(a19, 4), clear(a20, 4), clear(a22, 2), clear(a23, 4);
  clear(derivatives, 18);
  Int count = 0, perEdge = 0;
  SETNUMSHEARPOINT(nodes, &w48, &family, &count, &perEdge);
  clear(curvature, 4);
  V3 dn1, dn2;
  zmx_shells::sectionDerivatives(X, *ldim, table, *nodes, *i, normals, point, matrix, curvature, derivatives, dn1, dn2);
  const V3 t1 = load(&point[0]), t2 = load(&point[3]);
  const long long n = *nodes;
  if (*nodes == 8) {
    V3 T1, T2;
    for (int k = 1; k <= 8; ++k) {
      T1 = T1 + table[(k - 1) + n * (3LL * *i - 2)] * column(X, *ldim, k);
      T2 = T2 + table[(k - 1) + n * (3LL * *i - 1)] * column(X, *ldim, k);
    }
    const V3 normal = load(&point[6]);
    a16[0] = reciprocalLength(T1), a16[1] = reciprocalLength(T2);
    a14[0] = dot(T1, normal) * a16[0], a14[1] = dot(T2, normal) * a16[1];
  } else if (*nodes == 4) {
    if (type == 2022) S4TSGEOM(area, point, derivatives, X, ldim, nodes);
    LSG45(X, ldim, normals, &type, &user, area, point, derivatives, a13, a15, a18, a19, a20, a21, a22, a23, a24);
  }
  if (type >= 2021 && type <= 2025) {
    matrix[0] = dot(dn1, t1), matrix[1] = dot(dn1, t2), matrix[2] = dot(dn2, t1), matrix[3] = dot(dn2, t2);
  }
}

void LSG45(const Real* X, const Int* ldim, const Real* normals, const Int* type, const Int* user, Real* area,
           const Real* axes, const Real* derivatives, Real* a9, Real* a10, Real* b, Real* edgeWeights,
           Real* inverseJacobian, Real* areaOut, Real* coefficients, Real* vector, const Int* flag) {
  *areaOut = 0.0;
  const Int ld = *ldim;
  const V3 e1 = load(&axes[0]), e2 = load(&axes[3]);
  Real p[8];
  for (int k = 1; k <= 4; ++k) {
    p[2 * (k - 1)] = dot(column(X, ld, k), e1);
    p[2 * (k - 1) + 1] = dot(column(X, ld, k), e2);
  }
  const Real x1 = p[0], y1 = p[1], x2 = p[2], y2 = p[3], x3 = p[4], y3 = p[5], x4 = p[6], y4 = p[7];
  if (*area < 1.0e-36) *area = 1.0;
  const Real scale = 0.25 / *area;
  b[0] = ((y2 - y3) * x4 + (y4 - y2) * x3 + (y3 - y4) * x2) * scale;
  b[1] = ((y4 - y3) * x1 + (y3 - y1) * x4 + (y1 - y4) * x3) * scale;
  b[2] = ((y4 - y1) * x2 + (y2 - y4) * x1 + (y1 - y2) * x4) * scale;
  b[3] = ((y2 - y1) * x3 + (y1 - y3) * x2 + (y3 - y2) * x1) * scale;
  const bool projected = *flag == 0 && projectedType(*type);
  if (projectedType(*type))
    for (int k = 1; k <= 4; ++k) {
      const V3 edge = column(X, ld, k % 4 + 1) - column(X, ld, k);
      edgeWeights[k - 1] = dot(edge, edge) > 1.0e-36 ? 0.5 * *area : 0.0;
    }
  for (int r = 1; r <= 3; ++r) {
    Real P = 0.0, Q = 0.0, S1 = 0.0, S2 = 0.0;
    for (int k = 1; k <= 4; ++k) {
      P += b[k - 1] * at(X, ld, r, k);
      Q += b[k - 1] * normals[3 * (k - 1) + (r - 1)];
      S1 += derivatives[k - 1] * at(X, ld, r, k);
      S2 += derivatives[9 + k - 1] * at(X, ld, r, k);
    }
    a9[0] += S1 * P, a9[1] += S2 * P;
    a10[0] += S1 * Q, a10[1] += S2 * Q;
  }
  Real g[6], det = 0.0, g11 = 0.0, g12 = 0.0, g22 = 0.0;
  LHSG02GEOM1(X, ldim, type, g, &det, &g11, &g12, &g22, areaOut, flag);
  if (!projected) return;
  const V3 g1 = load(&g[0]), g2 = load(&g[3]);
  const Real K11 = dot(g1, e1), K12 = dot(g2, e1), K21 = dot(g1, e2), K22 = dot(g2, e2);
  const Real jacobian = K11 * K22 - K21 * K12;
  const Real inverse = jacobian <= 2.22e-16 ? 1.0 : 1.0 / jacobian;
  inverseJacobian[0] = K22 * inverse, inverseJacobian[1] = -K21 * inverse;
  inverseJacobian[2] = -K12 * inverse, inverseJacobian[3] = K11 * inverse;
  Real c1 = 0.0, c2 = 0.0, v[4] = {};
  LTSCOEFF(p, &c1, &c2, &v[0], &v[1], &v[2], &v[3], user);
  bool degenerate = false;
  for (int k = 1; k <= 4; ++k) {
    const int j = k % 4 + 1;
    degenerate = degenerate || (at(X, ld, 1, k) == at(X, ld, 1, j) && at(X, ld, 2, k) == at(X, ld, 2, j) &&
                                at(X, ld, 3, k) == at(X, ld, 3, j));
  }
  coefficients[0] = c1, coefficients[1] = c2;
  for (int k = 0; k < 4; ++k) vector[k] = v[k] * (degenerate ? 0.0 : 1.0);
}

void LHSG02GEOM1(const Real* X, const Int* ldim, const Int* type, Real* g, Real* det, Real* g11, Real* g12, Real* g22,
                 Real* area, const Int* flag) {
  const Int ld = *ldim;
  const V3 x1 = column(X, ld, 1), x2 = column(X, ld, 2), x3 = column(X, ld, 3), x4 = column(X, ld, 4);
  const V3 g1 = 0.25 * (x2 + x3 - x1 - x4), g2 = 0.25 * (x3 + x4 - x1 - x2);
  store(g1, &g[0]);
  store(g2, &g[3]);
  *det = *g11 = *g12 = *g22 = 0.0;
  if (*flag != 0 || !projectedType(*type)) return;
  *g11 = dot(g1, g1), *g12 = dot(g1, g2), *g22 = dot(g2, g2);
  *det = *g11 * *g22 - *g12 * *g12;
  *area = *det <= 1.0e-36 ? 1.0 : 4.0 * std::sqrt(*det);
}

void LTSCOEFF(const Real* p, Real* a, Real* b, Real* v1, Real* v2, Real* v3, Real* v4, const Int* user) {
  const Real x1 = p[0], y1 = p[1], x2 = p[2], y2 = p[3], x3 = p[4], y3 = p[5], x4 = p[6], y4 = p[7];
  const Real J11 = (x2 + x3 - x1 - x4) / 4, J12 = (y2 + y3 - y1 - y4) / 4;
  const Real J21 = (x3 + x4 - x1 - x2) / 4, J22 = (y3 + y4 - y1 - y2) / 4;
  const Real hx = (x1 - x2 + x3 - x4) / 4, hy = (y1 - y2 + y3 - y4) / 4;
  Real det = J11 * J22 - J12 * J21;
  if (det <= 0.0) {
    messageFiled(-2, "PROJECTED COORDINATES FOR ELEMENT %I ARE HIGHLY DISTORTED. CHECK COORDINATES OF THE ELEMENT",
                 *user, *user, -2005);
    det = 1.0;
  }
  const Real s = (hy * J11 - hx * J12) / det, t = (hx * J22 - hy * J21) / det;
  const Real u = 1.0 - s * s / 3.0, v = 1.0 - t * t / 3.0;
  const Real C11 =
      (hx * hx + 2 * hx * J21 * s + 2 * hx * J11 * t - 2 * J11 * J21 * s * t) / 9 + (J21 * J21 * v + J11 * J11 * u) / 3;
  const Real C22 =
      (hy * hy + 2 * hy * J22 * s + 2 * hy * J12 * t - 2 * J12 * J22 * s * t) / 9 + (J22 * J22 * v + J12 * J12 * u) / 3;
  const Real C12 = (hx * hy + s * (hy * J21 + hx * J22) + t * (hy * J11 + hx * J12) - (J11 * J22 + J12 * J21) * s * t) / 9 +
                   (J21 * J22 * v + J11 * J12 * u) / 3;
  const Real D = C11 - C22;
  Real R = std::sqrt(D * D + 4 * C12 * C12);
  if (R < 1.0e-36) R = 1.0;
  const Real F = 8 * ((J21 * J21 + J12 * J12 - J11 * J11 - J22 * J22) * C12 / R + (J11 * J12 - J21 * J22) * D / R) /
                 ((4 * det) * (4 * det));
  *a = (2 * (hy * J12 - hx * J11) * C12 / R + (hy * J11 + hx * J12) * D / R) * F;
  *b = (2 * (hy * J22 - hx * J21) * C12 / R + (hy * J21 + hx * J22) * D / R) * F;
  Real w[4] = {0.5 + s, -0.5 - t, 0.5 - s, -0.5 + t};
  const Int four = 4;
  Int zero = 0;
  ANORM(w, &four, &zero);
  *v1 = w[0], *v2 = w[1], *v3 = w[2], *v4 = w[3];
}

void S4TSGEOM(Real* area, Real* frame, Real* derivatives, const Real* X, const Int* ldim, const Int* nodes) {
  const Int ld = *ldim;
  static constexpr Real kDxi[4] = {-0.25, 0.25, 0.25, -0.25}, kDeta[4] = {-0.25, -0.25, 0.25, 0.25};
  V3 g1, g2;
  for (int k = 1; k <= 4; ++k) {
    g1 = g1 + kDxi[k - 1] * column(X, ld, k);
    g2 = g2 + kDeta[k - 1] * column(X, ld, k);
  }
  Real G1[3], G2[3];
  store(g1, G1);
  store(g2, G2);
  std::fill_n(frame, 9, 0.0);
  AXPRD(G1, G2, &frame[6]);
  V3 n = load(&frame[6]);
  // The length itself (not its square) decides, so a small element that has an area also has a
  // normal and a frame.
  *area = norm(n);
  n = *area <= 1.0e-36 ? V3{} : (1.0 / *area) * n;
  store(n, &frame[6]);
  *area *= 4.0;
  if (*area > 1.0e-36) ALOCAL(frame);
  const V3 e1 = load(&frame[0]), e2 = load(&frame[3]);
  const Real j11 = dot(g1, e1), j12 = dot(g1, e2), j21 = dot(g2, e1), j22 = dot(g2, e2);
  const Real det = j11 * j22 - j12 * j21;
  Real inv[4] = {};
  if (std::fabs(det) > 1.0e-36) inv[0] = j22 / det, inv[1] = -j12 / det, inv[2] = -j21 / det, inv[3] = j11 / det;
  std::fill_n(derivatives, 18, 0.0);
  const Int n4 = std::min<Int>(*nodes, 4);
  for (int k = 0; k < n4; ++k) {
    derivatives[k] = inv[0] * kDxi[k] + inv[1] * kDeta[k];
    derivatives[9 + k] = inv[2] * kDxi[k] + inv[3] * kDeta[k];
  }
}

}  // extern "C"
