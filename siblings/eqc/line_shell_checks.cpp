// Recording stand-ins for the beam, truss, shell and line-spring checks; EQC_LHSG02 and
// EQC_LSGSAXGEOM compute the point geometry their callers use.
#include "siblings/eqc/line_shell_checks.h"

#include <cmath>
#include <initializer_list>

#include "siblings/eqc/element_checks_testing.h"

namespace {

using eqc_checks_testing::CheckCall;

constinit Real gWeight = 1.0;
constinit Int gResult = 0;

void record(const char* name, std::initializer_list<const Int*> ints, std::initializer_list<const void*> arrays,
            const Real* X = nullptr, long long count = 0) {
  CheckCall call{name, {}, std::vector<const void*>(arrays.begin(), arrays.end()), {}, {}};
  for (const Int* value : ints) call.ints.push_back(*value);
  if (X != nullptr && count > 0) call.coordinates.assign(X, X + count);
  eqc_checks_testing::recordCall(std::move(call));
}

void measure(Real* out) { *out = eqc_checks_testing::currentMeasure(); }

long long block(const Int* ldim, const Int* nodes) { return *nodes > 0 && *ldim > 0 ? 1LL * *ldim * *nodes : 0; }

Real dot3(const Real* a, const Real* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
void cross3(const Real* a, const Real* b, Real* c) {
  c[0] = a[1] * b[2] - a[2] * b[1];
  c[1] = a[2] * b[0] - a[0] * b[2];
  c[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

namespace eqc_checks_testing {
void setShellPointWeight(Real weight) { gWeight = weight; }
void setCheckResult(Int result) { gResult = result; }
}  // namespace eqc_checks_testing

extern "C" {

void EQC_LTRUSG_ERRWARN(const Real* X, const Int* n, const Int* d, const Int* element, Real* m, Int* status) {
  record("EQC_LTRUSG_ERRWARN", {n, d, element, status}, {}, X, 9);
  measure(m);
}

void EQC_LBG002GO(const Real* X, const Int* ldim, const Real* normals, const Int* n, const Int* k, Real* v17,
                  Real* scratch) {
  record("EQC_LBG002GO", {ldim, n, k}, {normals, v17, scratch}, X, block(ldim, n));
  v17[0] = 100.0 + *k;
}

void EQC_LBG002G(const Real* X, const Int* ldim, const Real* normals, const Int* n, const Int* k, Real* v27,
                 const Int* element, Int* status) {
  record("EQC_LBG002G", {ldim, n, k, element, status}, {normals, v27}, X, block(ldim, n));
  v27[0] = 200.0 + *k;
  v27[1] = 300.0 + *k;
}

void EQC_LTHBM2DG(const Real* X, const Int* ldim, const Real* normals, Real* data, const Int* k, Real* v27,
                  const Int* element, Int* status) {
  record("EQC_LTHBM2DG", {ldim, k, element, status}, {normals, data, v27});
  (void)X;
  v27[0] = 200.0 + *k;
  v27[1] = 300.0 + *k;
}

void EQC_LBG102GO(const Real* X, const Int* ldim, const Real* axes, const Int* n, const Int* k, Real* v17,
                  Real* scratch) {
  record("EQC_LBG102GO", {ldim, n, k}, {axes, v17, scratch}, X, block(ldim, n));
  for (int r = 0; r < 3; ++r) v17[r] = 100.0 * *k + r;
}

void EQC_LBG102G(const Real* X, const Int* ldim, const Real* axes, const Int* n, const Int* k, Real* v27,
                 const Int* element, Int* status) {
  record("EQC_LBG102G", {ldim, n, k, element, status}, {axes, v27}, X, block(ldim, n));
  for (int r = 0; r < 6; ++r) v27[r] = 200.0 * *k + r;
}

void EQC_LTHBMG(const Real* X, const Int* ldim, const Real* axes, Real* data, const Int* k, Real* v27,
                const Int* element, Int* status) {
  // Kept with the call: the axes of the two end nodes as the check saw them (b, then the normal).
  eqc_checks_testing::recordCall(CheckCall{
      "EQC_LTHBMG", {*ldim, *k, *element, *status}, {axes, data, v27}, {}, std::vector<Real>(axes, axes + 12)});
  (void)X;
  for (int r = 0; r < 6; ++r) v27[r] = 200.0 * *k + r;
}

void EQC_LSG002(const Real* X, const void* a6, const Int* ldim, Real* local, const Int* element, const Int* a8,
                const Int* w1, const Int* nodes, const Int* w8, const Int* w14, const Int* w4, const Int* c212,
                const void* a9, const void* a10, const Int* a11, const Int* program, Int* a12) {
  record("EQC_LSG002", {ldim, element, a8, w1, nodes, w8, w14, w4, c212, a11, program, a12}, {a6, local, a9, a10}, X,
         block(ldim, nodes));
}

void EQC_LSG8(const Real* X, const void* a3, const Int* ldim, const Int* nodes, const Int* w9, const Int* w14,
              const Int* element, const Int* a7, const Int* a4, const Int* program, const Int* w1, const void* a11,
              const void* a12, const Int* a13, Int* a15) {
  record("EQC_LSG8", {ldim, nodes, w9, w14, element, a7, a4, program, w1, a13, a15}, {a3, a11, a12}, X,
         block(ldim, nodes));
}

void EQC_LSG001(const Real* X, const void* a3, const void* a5, const void* a6, const Int* a7, const Int* ldim,
                const Int* nodes, const Int* recordLength, const Int* w14, const Int* zero, const Int* program,
                const Logical* a4, const Int* scratch, Int* a10) {
  record("EQC_LSG001", {a7, ldim, nodes, recordLength, w14, zero, program, a4, scratch, a10}, {a3, a5, a6}, X,
         block(ldim, nodes));
}

Int EQC_LHSG01(const Real* X, const void* a4, const Int* ldim, const Int* w8, const Int* w14, const Int* type,
               const Int* element, Int* a8) {
  record("EQC_LHSG01", {ldim, w8, w14, type, element, a8}, {X, a4});
  return gResult;
}

Int EQC_LHSG002(const Real* X, const void* a3, const Int* a6, const Int* ldim, const Int* nodes, const Int* w1,
                const Int* element, const Int* w14, const Int* w4, const Int* c212, const Int* program,
                const Int* zero1, const Int* zero2, Real* work1, Real* work2, Int* a7) {
  record("EQC_LHSG002", {a6, ldim, nodes, w1, element, w14, w4, c212, program, zero1, zero2, a7},
         {a3, work1, work2}, X, block(ldim, nodes));
  return gResult;
}

void EQC_LHSG02(const Real* X, const Int* ldim, const Real* table, const Int* nodes, const Int* i, const void* flag,
                const Int* element, Real* area, Real* point, Real* matrix, const Int* nodes2, const Int* w14,
                const Int* w4, const Int* c212, const Int* program, const void* a25) {
  record("EQC_LHSG02", {ldim, nodes, i, element, nodes2, w14, w4, c212, program}, {table, flag, a25});
  const long long n = *nodes, ld = *ldim;
  Real g1[3] = {}, g2[3] = {};
  for (long long k = 0; k < n; ++k)
    for (int r = 0; r < 3; ++r) {
      g1[r] += table[k + n * (3LL * *i - 2)] * X[ld * k + r];
      g2[r] += table[k + n * (3LL * *i - 1)] * X[ld * k + r];
    }
  for (int r = 0; r < 6; ++r) point[r] = 0.0;
  for (int r = 0; r < 4; ++r) matrix[r] = 0.0;
  *area = 0.0;
  Real normal[3];
  cross3(g1, g2, normal);
  const Real detJ = std::sqrt(dot3(normal, normal));
  const Real l1 = std::sqrt(dot3(g1, g1));
  if (detJ <= 1.0e-18 || l1 <= 1.0e-18) return;
  Real e1[3], e2[3];
  for (int r = 0; r < 3; ++r) {
    e1[r] = g1[r] / l1;
    normal[r] /= detJ;
  }
  cross3(normal, e1, e2);
  for (int r = 0; r < 3; ++r) {
    point[r] = e1[r];
    point[3 + r] = e2[r];
  }
  *area = detJ * gWeight;
  // J(b, a) = g_b . e_a; its inverse row by row.
  const Real j11 = dot3(g1, e1), j12 = dot3(g1, e2), j21 = dot3(g2, e1), j22 = dot3(g2, e2);
  const Real det = j11 * j22 - j12 * j21;
  matrix[0] = j22 / det;
  matrix[1] = -j12 / det;
  matrix[2] = -j21 / det;
  matrix[3] = j11 / det;
}

void EQC_LSGSAX(const Real* X, const Int* a6, const Int* ldim, const Int* nodes, const Int* element, const Int* points,
                const Int* program, const void* a11, const void* a12, const Int* a13, Int* a14) {
  record("EQC_LSGSAX", {a6, ldim, nodes, element, points, program, a13, a14}, {a11, a12}, X, block(ldim, nodes));
}

void EQC_LSGSAXGEOM(const Int* i, const Int* points, const Int* nodes, const Real* X, const Int* ldim, Real* w1,
                    Real* t, Real* b, Real* w2, const Real* a7, Real* w3, Real* c, Real* w4) {
  record("EQC_LSGSAXGEOM", {i, points, nodes, ldim}, {a7, w1, w2, w3, w4});
  static constexpr Real kAbscissae[3][3] = {
      {0.0, 0.0, 0.0}, {-0.57735026918963, 0.57735026918963, 0.0}, {-0.77459666924148, 0.0, 0.77459666924148}};
  const int rule = *points >= 1 && *points <= 3 ? *points : 1;
  const Real xi = kAbscissae[rule - 1][(*i >= 1 && *i <= rule) ? *i - 1 : 0];
  Real N[3], dN[3];
  if (*nodes == 3) {
    N[0] = 0.5 * xi * (xi - 1.0), N[1] = 1.0 - xi * xi, N[2] = 0.5 * xi * (xi + 1.0);
    dN[0] = xi - 0.5, dN[1] = -2.0 * xi, dN[2] = xi + 0.5;
  } else {
    N[0] = 0.5 * (1.0 - xi), N[1] = 0.5 * (1.0 + xi), N[2] = 0.0;
    dN[0] = -0.5, dN[1] = 0.5, dN[2] = 0.0;
  }
  const int n = *nodes == 3 ? 3 : 2;
  Real r = 0.0, dr = 0.0, dz = 0.0;
  for (int k = 0; k < n; ++k) {
    r += N[k] * X[1LL * *ldim * k];
    dr += dN[k] * X[1LL * *ldim * k];
    dz += dN[k] * X[1LL * *ldim * k + 1];
  }
  *t = r;
  *b = std::sqrt(dr * dr + dz * dz);
  *c = *b * r;
}

void EQC_LSC(const Real* mid, const Real* directors, const Int* m, const Int* w8, const Int* element, const void* a6,
             const void* a7, const Int* a8, Int* a9, const Int* a10, const void* a4, const Int* w1, const Int* w14) {
  record("EQC_LSC", {m, w8, element, a8, a9, a10, w1, w14}, {directors, a6, a7, a4}, mid, 3LL * *m);
}

Int EQC_LSNORS(const Real* normals, const Int* nodes, const Int* element) {
  record("EQC_LSNORS", {nodes, element}, {}, normals, 3LL * *nodes);
  return gResult;
}

Int EQC_LSGLS(const Real* X, const Int* ldim, const void* a4, const Int* element, const Int* w8, const Int* w1,
              Real* work, const Int* w14, const Int* a5) {
  record("EQC_LSGLS", {ldim, element, w8, w1, w14, a5}, {X, a4, work});
  return gResult;
}

}  // extern "C"
