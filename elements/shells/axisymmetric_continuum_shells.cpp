// Axisymmetric and continuum shells: shear normals along the meridian, the continuum shell's
// mid-surface and directors, the edge shear normals of the four-node shells, and the services
// for surface measures, nodal area weights, section thickness and integration points.
#include <algorithm>
#include <cmath>
#include <limits>

#include "elements/geometry/element_records.h"
#include "elements/geometry/element_support.h"
#include "elements/shells/shell_support.h"
#include "runtime/record.h"
#include "siblings/dm2/element_numbers.h"
#include "siblings/eqc/element_checks.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/line_shell_checks.h"
#include "siblings/eqc/records.h"
#include "zmx/elements/shells.h"
#include "zmx/elements/special.h"
#include "zmx/numerics/kernels.h"
#include "zmx/storage/records.h"

namespace {

using namespace zmx_elements;
using namespace zmx_elements::typeword;
using namespace zmx_shells;

const Int* program() { return &rec::i(CPROG, eqc_records::kProgramKind); }

void storeVariable(Int layout, Int id, const Real* values, Int count) {
  if (Real* v = realVariable(layout, id, count)) std::copy_n(values, count, v);
}

void clear(Real* a, Int n) { std::fill_n(a, n, 0.0); }

constexpr Real kUnitSection[5] = {1.0, 1.0, 0.0, 0.0, 1.0};
constexpr int kContinuumPairs = 4;

// Normal (-t_z, t_r)/|t| of a meridian tangent, zero for a vanishing tangent.
V3 meridianNormal(Real tr, Real tz) {
  const Real length = std::sqrt(tr * tr + tz * tz);
  if (length <= 1.0e-36) return {};
  return {-tz / length, 0.0, tr / length};
}

V3 meridianNormalAt(const Real* X, Int ld, int n, Real xi) {
  Real N[3], dN[3];
  lineShape(n, xi, N, dN);
  Real tr = 0.0, tz = 0.0;
  for (int k = 1; k <= n; ++k) tr += dN[k - 1] * at(X, ld, 1, k), tz += dN[k - 1] * at(X, ld, 2, k);
  return meridianNormal(tr, tz);
}

}  // namespace

extern "C" {

void THICKSHELLSHEARNORM(const Real* X, const Int* ldim, const Real* normals, const Int* type, Real* out,
                         const Real* thickness, const Int* nodes) {
  if (*nodes < 4) return;
  const bool crossed = *type == 2021 || *type == 2022, meanOnly = *type == 2031;
  if (!crossed && !meanOnly && *nodes != 4) return;
  for (int i = 1; i <= 4; ++i) {
    const int j = i % 4 + 1;
    const V3 e = column(X, *ldim, j) - column(X, *ldim, i);
    const V3 m = 0.5 * (load(&normals[3 * (i - 1)]) + load(&normals[3 * (j - 1)]));
    Real* triple = &out[3 * (i - 1)];
    const bool edge = dot(e, e) > 1.0e-36;
    if (crossed) {
      store(edge ? cross(e, cross(m, e)) : m, triple);
      if (edge) {
        const Int three = 3;
        Real length = 0.0;
        Int flag = 0;
        ANORML(triple, &three, &length, &flag);
      }
    } else if (meanOnly) {
      store(edge ? unitOrSame(m) : m, triple);
    } else {
      const Real inverse = edge ? 1.0 / norm(e) : 1.0;
      triple[0] = dot(m, e) * inverse * (i == 4 ? -1.0 : 1.0);
      triple[1] = inverse;
      triple[2] = 0.5 * *thickness;
    }
  }
}

void LSGSAX(const Int* element, const Real* X, const Int* ldim, const Int* nodes, const Int* points, const Int* a6,
            const Real* a7, const Int* rec, const Int* a9, const Int* handle, Real* a11, Real* a12, const Int* a13,
            Int* a14) {
  const Int k = word(rec, 48);
  const Int m = *points > 0 ? word(rec, kPoints) / *points : 0;
  const ElementView e = viewElement(*handle);
  // Worked in 64 bits: a damaged count of the type record asks for no variable rather than wrapping.
  const long long shearReals = 3 * ((*nodes - 1LL) * k + (k - 1LL) * *nodes);
  if (*nodes >= 2 && *nodes <= 3 && shearReals > 0 && shearReals <= std::numeric_limits<Int>::max())
    if (Real* shear = realVariable(e.layout, 22, static_cast<Int>(shearReals))) SAXASHEARNORMALS(nodes, &k, X, ldim, shear);
  EQC_LSGSAX(X, a6, ldim, nodes, element, points, program(), a11, a12, a13, a14);
  for (Int i = 1; i <= *points; ++i) {
    Real w1 = 0.0, t = 0.0, b = 0.0, w2 = 0.0, w3 = 0.0, c = 0.0, w4 = 0.0;
    EQC_LSGSAXGEOM(&i, points, nodes, X, ldim, &w1, &t, &b, &w2, a7, &w3, &c, &w4);
    for (Int j = 1; j <= m; ++j) {
      const Int sub = subLayout(*handle, i + (j - 1) * *points);
      Real S[4], W[5], R[4];
      HELSAX(a9, &t, &b, &c, a7, S, W, R);
      storeVariable(sub, 17, S, 4);
      storeVariable(sub, 29, W, 5);
      storeVariable(sub, 36, R, 4);
    }
  }
  if (*nodes == 3) {
    const Int two = 2, zero = 0;
    EQC_3NLINE_ERRWARN(X, ldim, &two, element, a14, &zero);
  }
}

void SAXASHEARNORMALS(const Int* nodes, const Int* k, const Real* X, const Int* ldim, Real* out) {
  const int n = *nodes;
  if (n != 2 && n != 3) return;
  V3 meridional[2], nodal[3];
  if (n == 2) {
    const V3 chord = meridianNormal(at(X, *ldim, 1, 2) - at(X, *ldim, 1, 1), at(X, *ldim, 2, 2) - at(X, *ldim, 2, 1));
    meridional[0] = chord;
    nodal[0] = nodal[1] = chord;
  } else {
    meridional[0] = meridianNormalAt(X, *ldim, 3, -kGauss2);
    meridional[1] = meridianNormalAt(X, *ldim, 3, kGauss2);
    for (int j = 0; j < 3; ++j) nodal[j] = meridianNormalAt(X, *ldim, 3, j - 1.0);
  }
  long long p = 0;
  for (Int s = 1; s <= 2 * *k - 1; ++s) {
    const bool odd = s % 2 == 1;
    const int count = odd ? n - 1 : n;
    for (int q = 0; q < count; ++q) store(odd ? meridional[q] : nodal[q], &out[3 * p++]);
  }
}

void SHR_LSC(const Int* layout, const Int* handle, const Real* X, Real* a4, const Int* ldim, Real* a6, Real* a7,
             const Int* a8, Int* a9, const Int* cprog, Int* a11) {
  (void)a11;
  const ElementView e = viewLayout(*layout);
  const Int m = word(e.rec, kNodeCount), w1 = word(e.rec, kType), w8 = word(e.rec, kWord8);
  const Int w14 = word(e.rec, kPoints);
  // The section-point shape table is formed before anything is written: an element whose pair
  // count or point count has no in-plane rule is reported and left alone.
  if (m > kContinuumPairs || !zmx_shells::hasShapeFunctions(m)) return systemError("SYSTEM ERROR IN SHR_LSC: %I NODES", m);
  Real table[kContinuumPairs * 3 * kMaxShellNodes] = {};
  if (w14 != 0 && !zmx_shells::shapeTable(m, w14, table))
    return systemError("SYSTEM ERROR IN SHR_LSC: %I SECTION POINTS", w14);
  Real mid[3 * kContinuumPairs] = {}, directors[3 * kContinuumPairs] = {};
  Real product = 1.0;
  for (int k = 1; k <= m; ++k) {
    const V3 bottom = column(X, *ldim, k), top = column(X, *ldim, k + 4);
    const V3 d = top - bottom;
    store(0.5 * (top + bottom), &mid[3 * (k - 1)]);
    store(d, &directors[3 * (k - 1)]);
    product *= dot(d, d);
    const Int three = 3;
    Int flag = 0;
    ANORM(&directors[3 * (k - 1)], &three, &flag);
  }
  if (product < 1.0e-36) {
    const Int level = -2, none = 0;
    const Real noReal = 0.0;
    const char* text = "THE THICKNESS OF ELEMENT %E IS SMALL OR NEGATIVE. CHECK NODAL COORDINATES AND ELEMENT "
                       "CONNECTIVITY.";
    KVXERR1(&level, text, static_cast<Int>(std::char_traits<char>::length(text)), &none, &noReal, " ", 1, &e.number,
            &none);
  }
  EQC_LSC(mid, directors, &m, &w8, &e.number, a6, a7, a8, a9, cprog, a4, &w1, &w14);
  storeVariable(e.layout, 18, directors, 3 * m);
  Real shear[12] = {};
  const Real noThickness = 0.0;
  const Int three = 3;
  THICKSHELLSHEARNORM(mid, &three, directors, &w1, shear, &noThickness, &m);
  storeVariable(e.layout, 23, shear, 12);
  storeVariable(e.layout, 22, shear, 12);
  for (Int i = 1; i <= w14; ++i) {
    Int nodes = 0;
    Real area = 0.0, point[9] = {}, matrix[4] = {}, curvature[4], a13[2], a14[2], a15[2], a16[2], derivatives[18];
    Real a18[kMaxShellNodes], a19[4], a20[4], a21, a22[2], a23[4];
    SHR_LSCGEOM(mid, table, &nodes, &i, directors, e.rec, handle, &area, point, matrix, curvature, a13, a14, a15, a16,
                derivatives, a18, a19, a20, &a21, a22, a23, a4);
    const Int sub = subLayout(*handle, i);
    storeVariable(sub, 17, matrix, 4);
    storeVariable(sub, 29, kUnitSection, 5);
  }
}

void SHR_LSCGEOM(const Real* mid, const Real* table, Int* nodes, const Int* i, const Real* directors, const Int* rec,
                 const Int* handle, Real* area, Real* point, Real* matrix, Real* curvature, Real* a13, Real* a14,
                 Real* a15, Real* a16, Real* derivatives, Real* a18, Real* a19, Real* a20, Real* a21, Real* a22,
                 Real* a23, const void* a25) {
  const Int user = GETJELNO(handle);
  const Int type = word(rec, kType), family = word(rec, kFamily), w14 = word(rec, kPoints);
  *nodes = word(rec, kNodeCount);
  if (*nodes < 1 || *nodes > kContinuumPairs) return systemError("SYSTEM ERROR IN SHR_LSCGEOM: %I NODES", *nodes);
  const Int three = 3, c212 = 212, zero = 0;
  EQC_LHSG02(mid, &three, table, nodes, i, directors, &user, area, point, matrix, nodes, &w14, &family, &c212, &zero,
             a25);
  clear(derivatives, 18), clear(curvature, 4);
  V3 dn1, dn2;
  sectionDerivatives(mid, 3, table, *nodes, *i, directors, point, matrix, curvature, derivatives, dn1, dn2);
  *a21 = 0.0;
  clear(a13, 2), clear(a14, 2), clear(a15, 2), clear(a16, 2), clear(a18, *nodes), clear(a19, 4), clear(a20, 4);
  clear(a22, 2), clear(a23, 4);
  const Int flag = rec::i(CPROC, zmx::procedure::kAnalysisTimeRigidSurfaces);
  if (*nodes == 4)
    LSG45(mid, &three, directors, &type, &user, area, point, derivatives, a13, a15, a18, a19, a20, a21, a22, a23,
          &flag);
  const V3 t1 = load(&point[0]), t2 = load(&point[3]);
  matrix[0] = dot(dn1, t1), matrix[1] = dot(dn1, t2), matrix[2] = dot(dn2, t1), matrix[3] = dot(dn2, t2);
}

void LSGSAXSURF(const Int* p, const Int* nodes, const Int* flag, const Real* X, const Int* ldim, Real* measure) {
  const int n = *nodes == 3 ? 3 : 2;
  Real N[3], dN[3];
  lineShape(n, gaussAbscissa(n, *p), N, dN);
  Real r = 0.0, dr = 0.0, dz = 0.0;
  for (int k = 1; k <= n; ++k) {
    r += N[k - 1] * at(X, *ldim, 1, k);
    dr += dN[k - 1] * at(X, *ldim, 1, k), dz += dN[k - 1] * at(X, *ldim, 2, k);
  }
  Real J = std::sqrt(dr * dr + dz * dz);
  // The Gauss weights apply to the three-point rule only; the two-point weights are 1.
  if (*flag == 2 && n == 3) J *= gauss3Weight(*p);
  *measure = J * kTwoPi * r;
}

void SHELLNODALWEIGHTS(const Real* X, const Int* ldim, Real* weights) {
  const Int ld = *ldim;
  const V3 x1 = column(X, ld, 1), x2 = column(X, ld, 2), x3 = column(X, ld, 3), x4 = column(X, ld, 4);
  const V3 n = unitOrSame(cross(x3 - x1, x4 - x2));
  const Real T[4] = {dot(n, cross(x2 - x1, x4 - x1)) / 16, dot(n, cross(x2 - x1, x3 - x2)) / 16,
                     dot(n, cross(x3 - x4, x3 - x2)) / 16, dot(n, cross(x3 - x4, x4 - x1)) / 16};
  for (int c = 0; c < 4; ++c)
    weights[c] = 16.0 / 9.0 * T[c] + 8.0 / 9.0 * (T[(c + 1) % 4] + T[(c + 3) % 4]) + 4.0 / 9.0 * T[(c + 2) % 4];
}

void SHR_CSHELLSECTTHICK(const Real* points, const Real* vectors, Real* thickness) {
  Real n[3];
  store(cross(load(&points[6]) - load(&points[0]), load(&points[3]) - load(&points[9])), n);
  const Int three = 3;
  Int flag = 0;
  ANORM(n, &three, &flag);
  const V3 mean = 0.25 * (load(&vectors[0]) + load(&vectors[3]) + load(&vectors[6]) + load(&vectors[9]));
  *thickness = dot(load(n), mean);
}

void ELAYINT(const Int* flag, Int* c1, Int* c2, Int* p1, Int* p2) {
  *p1 = 1, *p2 = 1;
  if (*flag == 0) return;
  *p1 = *c1 == 27 ? 3 : (*c1 == 14 ? 5 : (*c1 == 8 ? 2 : 1));
  *c1 = *p1 == 5 ? *p1 : *p1 * *p1;
  *p2 = *c2 == 27 ? 3 : (*c2 == 8 ? 2 : 1);
  *c2 = *p2 * *p2;
}

}  // extern "C"
