// Recording stand-ins for the element geometry checks: each keeps its arguments and hands back
// the measures the test set.
#include <algorithm>
#include <initializer_list>

#include "siblings/eqc/element_checks.h"
#include "siblings/eqc/element_checks_testing.h"

namespace {

using eqc_checks_testing::CheckCall;

struct State {
  std::vector<CheckCall> calls;
  Real measure = 0.0;
  Real second = 0.0;
  Real frame[10] = {};
};

State& state() {
  static State s;
  return s;
}

std::vector<Real> copyOf(const Real* values, long long count) {
  if (values == nullptr || count <= 0) return {};
  return {values, values + count};
}

// Coordinates of a check that reads X with its leading dimension and node count.
std::vector<Real> nodeBlock(const Real* X, const Int* ldim, const Int* nodes) { return copyOf(X, 1LL * *ldim * *nodes); }

void record(const char* name, std::initializer_list<const Int*> ints, std::initializer_list<const void*> arrays,
            std::vector<Real> coordinates, std::vector<Real> reals = {}) {
  CheckCall call{name, {}, std::vector<const void*>(arrays.begin(), arrays.end()), std::move(coordinates), std::move(reals)};
  for (const Int* value : ints) call.ints.push_back(*value);
  state().calls.push_back(std::move(call));
}

void measure(Real* out) { *out = state().measure; }

}  // namespace

namespace eqc_checks_testing {
std::vector<CheckCall> calls() { return state().calls; }
void clearCalls() { state().calls.clear(); }
void setMeasures(Real first, Real second) {
  state().measure = first;
  state().second = second;
}
void setFrame(const std::vector<Real>& T, Real scalar) {
  std::fill(std::begin(state().frame), std::end(state().frame), 0.0);
  std::copy_n(T.begin(), std::min<std::size_t>(T.size(), 9), state().frame);
  state().frame[9] = scalar;
}
void recordCall(CheckCall call) { state().calls.push_back(std::move(call)); }
Real currentMeasure() { return state().measure; }
}  // namespace eqc_checks_testing

extern "C" {

void EQC_LC2DG_ERRWARN(const Real* X, Real* data, const Real* section, Real* m, const Int* element, const Int* w27,
                       const Int* w14, const Int* w15, const Int* w36, const Int* w68, const Int* w19, const Int* w4,
                       const Int* w45, Int* status) {
  record("EQC_LC2DG_ERRWARN", {element, w27, w14, w15, w36, w68, w19, w4, w45, status}, {data, section},
         copyOf(X, 18));
  measure(m);
}

void EQC_LC2DGR_ERRWARN(const Real* X, Real* data, const Real* section, Real* m, const Int* element, const Int* w36,
                        const Int* w9, const Int* w68, const Int* w65, Int* status) {
  record("EQC_LC2DGR_ERRWARN", {element, w36, w9, w68, w65, status}, {data, section}, copyOf(X, 18));
  measure(m);
}

void EQC_LC2DGT_ERRWARN(const Real* X, Real* data, const Real* section, Real* m, const Int* element, const Int* w68,
                        const Int* w14, const Int* w15, const Int* w36, const Int* w4, const Int* w19, Int* status) {
  record("EQC_LC2DGT_ERRWARN", {element, w68, w14, w15, w36, w4, w19, status}, {data, section}, copyOf(X, 14));
  measure(m);
}

void EQC_LC3DGT_ERRWARN(const Real* X, Real* data, Real* m, const Int* element, const Int* ldim, const Int* w36,
                        const Int* w14, const Int* w15, Int* status) {
  record("EQC_LC3DGT_ERRWARN", {element, ldim, w36, w14, w15, status}, {X, data}, nodeBlock(X, ldim, w36));
  measure(m);
}

void EQC_LC3DG_CHECK_ERRWARN(const Real* X, Real* data, Real* m, const Int* element, const Int* ldim, const Int* w1,
                             const Int* w14, const Int* w15, const Int* w56, const Int* w36, Int* status) {
  record("EQC_LC3DG_CHECK_ERRWARN", {element, ldim, w1, w14, w15, w56, w36, status}, {X, data},
         nodeBlock(X, ldim, w36));
  measure(m);
}

void EQC_LC3DG2(const Real* X, Real* data, const Int* element, const Int* ldim, const Int* w14, const Int* w15,
                const Int* w36, const Int* w56, Real* m1, Real* m2, Int* status) {
  record("EQC_LC3DG2", {element, ldim, w14, w15, w36, w56, status}, {X, data}, nodeBlock(X, ldim, w36));
  *m1 = state().measure;
  *m2 = state().second;
}

void EQC_LINF2D(const Real* X, Real* data, const Real* section, Real* m, const Int* element, const Int* w36,
                const Int* w14, const Int* w19, Int* status) {
  record("EQC_LINF2D", {element, w36, w14, w19, status}, {data, section}, copyOf(X, 10));
  measure(m);
}

void EQC_LINF3D(const Real* X, Real* data, Real* m, const Int* element, const Int* w36, const Int* w14, Int* status) {
  record("EQC_LINF3D", {element, w36, w14, status}, {data}, copyOf(X, 54));
  measure(m);
}

void EQC_LMEMG_CHECK(const Real* X, Real* data, const Real* section, Real* m, const Int* element, const Int* w36,
                     const Int* w14, const Int* ldim, const Int* w1, Int* status) {
  record("EQC_LMEMG_CHECK", {element, w36, w14, ldim, w1, status}, {X, data, section}, nodeBlock(X, ldim, w36));
  measure(m);
}

void EQC_2NDORDER_DISTORTIONCHECK(const Int* element, const Real* X, const Int* ldim, const Int* w36, Int* status) {
  record("EQC_2NDORDER_DISTORTIONCHECK", {element, ldim, w36, status}, {X}, nodeBlock(X, ldim, w36));
}

void EQC_LSURFELEG_CHECK(const Real* X, Real* data, Real* m, const Int* element, const Int* w36, const Int* w14,
                         const Int* ldim, const Int* w1, Int* status) {
  record("EQC_LSURFELEG_CHECK", {element, w36, w14, ldim, w1, status}, {X, data}, nodeBlock(X, ldim, w36));
  measure(m);
}

void EQC_LACIN2DAX(const Real* section, Real* data, const Real* X, Real* m, Int* status, const Logical* axisymmetric,
                   const Int* element, const Int* w16, const Int* w9, const Int* w8, Real* a28, const Int* nodeList) {
  record("EQC_LACIN2DAX", {status, axisymmetric, element, w16, w9, w8}, {section, data, a28, nodeList},
         copyOf(X, 15));
  measure(m);
}

void EQC_LACIN3D(const Real* section, Real* data, const Real* X, Real* m, Int* status, const Int* element,
                 const Int* w16, const Int* w9, const Int* w8, Real* a28, const Int* nodeList) {
  record("EQC_LACIN3D", {status, element, w16, w9, w8}, {section, data, a28, nodeList}, copyOf(X, 48));
  measure(m);
}

void EQC_LC3DG10C(const Real* X, Real* data, Real* m, const Int* element, Int* status) {
  record("EQC_LC3DG10C", {element, status}, {data}, copyOf(X, 45));
  measure(m);
}

void EQC_LC2DG6C(const Real* X, Real* data, const Real* section, const Int* element, const Int* w19, const Int* w68,
                 Int* status) {
  record("EQC_LC2DG6C", {element, w19, w68, status}, {data, section}, copyOf(X, 16));
}

void EQC_LCYLCHECK_ERRWARN(Real* block, const Real* X, Real* m, const Int* element, const Int* ldim, const Int* w14,
                           const Int* w15, const Int* w56, const Int* w36, Int* status) {
  record("EQC_LCYLCHECK_ERRWARN", {element, ldim, w14, w15, w56, w36, status}, {block, X}, nodeBlock(X, ldim, w36));
  measure(m);
}

void EQC_LCYLCHECK_ERRWARN2(const Real* angles, const Real* axis, const Real* X, const Int* element, const Int* ldim,
                            const Int* w36, Int* status, const Logical* solid) {
  std::vector<Real> reals = copyOf(angles, 3);
  const std::vector<Real> second = copyOf(axis, *solid != 0 ? 6 : 3);
  reals.insert(reals.end(), second.begin(), second.end());
  record("EQC_LCYLCHECK_ERRWARN2", {element, ldim, w36, status, solid}, {angles, axis, X}, nodeBlock(X, ldim, w36),
         std::move(reals));
}

void EQC_CYLMEMG_CHECK(const Real* X, Real* block, const Real* section, Real* m, const Int* element, const Int* w36,
                       const Int* w14, const Int* ldim, Int* status, const Real* angles, const Int* w49) {
  record("EQC_CYLMEMG_CHECK", {element, w36, w14, ldim, status, w49}, {X, block, section}, nodeBlock(X, ldim, w36),
         copyOf(angles, 3));
  measure(m);
}

void EQC_LCYLSURFELEG_CHECK(const Real* X, Real* block, const Real* angles, Real* m, const Int* element,
                            const Int* w36, const Int* w14, const Int* ldim, const Int* w49, Int* status) {
  record("EQC_LCYLSURFELEG_CHECK", {element, w36, w14, ldim, w49, status}, {X, block}, nodeBlock(X, ldim, w36),
         copyOf(angles, 3));
  measure(m);
}

void EQC_LRIGS(const Int* element, Real* a1, Real* data, const Real* X, const Int* w36, const Int* ldim,
               const Int* w14, Int* structuralCount, Int* interfaceCount, Real* structuralSum, Real* interfaceSum) {
  record("EQC_LRIGS", {element, w36, ldim, w14}, {a1, data, X}, nodeBlock(X, ldim, w36));
  *structuralCount += 1;
  *interfaceCount += 1;
  *structuralSum += state().measure;
  *interfaceSum += state().second;
}

void EQC_LAXMEMG(const Real* X, Real* data, const Int* element, const Int* w36, const Int* ldim, const Int* w1,
                 const Int* w14, Int* status) {
  record("EQC_LAXMEMG", {element, w36, ldim, w1, w14, status}, {X, data}, nodeBlock(X, ldim, w36));
}

void EQC_3NLINE_ERRWARN(const Real* X, const Int* ldim, const Int* coordinates, const Int* element, Int* status,
                        const Int* option) {
  const Int three = 3;
  record("EQC_3NLINE_ERRWARN", {ldim, coordinates, element, status, option}, {X}, nodeBlock(X, ldim, &three));
}

void EQC_LRIGID_CHECK(const Real* X, const Int* element, const Int* w36, const Int* ldim, Int* status) {
  record("EQC_LRIGID_CHECK", {element, w36, ldim, status}, {X}, nodeBlock(X, ldim, w36));
}

void EQC_LSPRING(const Real* X, const Int* ldim, const Int* element) {
  record("EQC_LSPRING", {ldim, element}, {X}, {});
}

void EQC_LSGBAT(const Int* element, const Real* X, const Int* ldim, const Int* ldimCopy, const Int* w36,
                const Int* kind, Real* work, const Int* program, Real* a15, Real* a16, const Int* a17) {
  record("EQC_LSGBAT", {element, ldim, ldimCopy, w36, kind, program, a17}, {X, work, a15, a16, ldimCopy, a17},
         nodeBlock(X, ldim, w36));
}

void EQC_LC3DG(Real* work, const Real* table, const void* a3, const Int* n, const void* a4, const Int* option) {
  record("EQC_LC3DG", {n, option}, {table, a3, a4}, {});
  std::copy(std::begin(state().frame), std::end(state().frame), work);
}

}  // extern "C"
