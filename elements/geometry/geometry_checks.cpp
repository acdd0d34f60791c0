// Wrappers between the geometry entry and the element checks of the sibling library: each gathers
// the coordinates its check expects, passes the element-type record words the check reads, calls
// it and adds the element's length measure, scaled per family, to the characteristic length.
#include <algorithm>

#include "elements/geometry/element_records.h"
#include "runtime/record.h"
#include "siblings/eqc/element_checks.h"
#include "siblings/eqc/records.h"

namespace {

using namespace zmx_elements::typeword;
using zmx_elements::addStructural;
using zmx_elements::word;

// Copies `rows` reals of each of `nodes` node columns (`stride` reals apart) into a local array of
// `rows` per node; false (reported as a system error of the routine) when they do not fit.
template <std::size_t Capacity>
bool gather(Real (&local)[Capacity], const Real* X, long long stride, int rows, long long nodes,
            const char* systemErrorText) {
  if (nodes < 0 || nodes * rows > static_cast<long long>(Capacity)) {
    zmx_elements::systemError(systemErrorText, static_cast<Int>(nodes));
    return false;
  }
  std::fill(std::begin(local), std::end(local), 0.0);
  for (long long n = 0; n < nodes; ++n)
    for (int r = 0; r < rows; ++r) local[r + rows * n] = X[r + stride * n];
  return true;
}

// Nodes of a planar element with its extra node when word 68 asks for it.
long long withExtraNode(const Int* rec, Int nodes) { return nodes + (word(rec, kExtraNode) != 0 ? 1 : 0); }

// The section record's reals 7 to 9.
const Real* sectionReals(const Real* section) { return section + 6; }

void acousticInfinite(const char* name, int rows, bool threeD, bool axisymmetric, const Int* element,
                      const Real* section, Real* data, const Int* rec, const Real* X, Int* status, Real* a28,
                      const Int* nodeList) {
  Real local[48];
  const Int w16 = word(rec, kWord16), w9 = word(rec, kRadialNodes), w8 = word(rec, kWord8);
  const long long capacity = threeD ? 8 : 3;
  if (w9 > capacity) {
    zmx_elements::systemError(name, w9);
    return;
  }
  if (!gather(local, X, rows, rows, w9, name)) return;
  Real measure = 0.0;
  if (threeD) {
    EQC_LACIN3D(section, data, local, &measure, status, element, &w16, &w9, &w8, a28, nodeList);
    addStructural(0.25 * measure);
  } else {
    const Logical axi = toLogical(axisymmetric);
    EQC_LACIN2DAX(section, data, local, &measure, status, &axi, element, &w16, &w9, &w8, a28, nodeList);
    addStructural(measure);
  }
}

}  // namespace

extern "C" {

void LC2DG(const Real* section, Real* data, const Int* rec, const Int* w36, const Int* element, Int* status,
           const Real* X, const Int* ldim) {
  Real local[18];
  if (!gather(local, X, *ldim, 2, withExtraNode(rec, *w36), "SYSTEM ERROR IN LC2DG: %I NODES")) return;
  const Int w27 = word(rec, kWord27), w14 = word(rec, kPoints), w15 = word(rec, kSecondPoints);
  const Int w68 = word(rec, kExtraNode), w19 = word(rec, kWord19), w4 = word(rec, kFamily), w45 = word(rec, kWord45);
  Real measure = 0.0;
  EQC_LC2DG_ERRWARN(local, data, sectionReals(section), &measure, element, &w27, &w14, &w15, w36, &w68, &w19, &w4,
                    &w45, status);
  addStructural(measure / w14);
}

void LC2DGR(const Real* section, Real* data, const Int* rec, const Int* element, Int* status, const Real* X,
            const Int* ldim) {
  const Int w36 = word(rec, kNodeCount);
  Real local[18];
  if (!gather(local, X, *ldim, 2, withExtraNode(rec, w36), "SYSTEM ERROR IN LC2DGR: %I NODES")) return;
  const Int w9 = word(rec, kRadialNodes), w68 = word(rec, kExtraNode), w65 = word(rec, kAxisymmetric);
  Real measure = 0.0;
  EQC_LC2DGR_ERRWARN(local, data, sectionReals(section), &measure, element, &w36, &w9, &w68, &w65, status);
  addStructural(measure);
}

void LC2DGT(const Real* section, Real* data, const Int* w36, const Int* rec, const Int* element, Int* status,
            const Real* X, const Int* ldim) {
  Real local[14];
  if (!gather(local, X, *ldim, 2, withExtraNode(rec, *w36), "SYSTEM ERROR IN LC2DGT: %I NODES")) return;
  const Int w68 = word(rec, kExtraNode), w14 = word(rec, kPoints), w15 = word(rec, kSecondPoints);
  const Int w4 = word(rec, kFamily), w19 = word(rec, kWord19);
  Real measure = 0.0;
  EQC_LC2DGT_ERRWARN(local, data, sectionReals(section), &measure, element, &w68, &w14, &w15, w36, &w4, &w19, status);
  addStructural(measure / (2.0 * w14));
}

void LC3DGT(const Int* element, Real* data, const Real* X, const Int* w36, const Int* ldim, const Int* rec,
            Int* status) {
  const Int w14 = word(rec, kPoints), w15 = word(rec, kSecondPoints), w7 = word(rec, kCoordinates);
  Real measure = 0.0;
  EQC_LC3DGT_ERRWARN(X, data, &measure, element, ldim, w36, &w14, &w15, status);
  addStructural(measure / (w7 * w14));
}

void LC3DG_CHECK(const Int* element, Real* data, const Real* X, const Int* w36, const Int* ldim, const Int* rec,
                 Int* status) {
  const Int w1 = word(rec, kType), w14 = word(rec, kPoints), w15 = word(rec, kSecondPoints);
  const Int w56 = word(rec, kWord56), w7 = word(rec, kCoordinates);
  Real measure = 0.0;
  EQC_LC3DG_CHECK_ERRWARN(X, data, &measure, element, ldim, &w1, &w14, &w15, &w56, w36, status);
  addStructural(2.0 * measure / (w7 * w14));
}

void LC3DG2(const Int* element, Real* data, const Real* X, const Int* ldim, const Int* rec, Int* status) {
  const Int w14 = word(rec, kPoints), w15 = word(rec, kSecondPoints), w36 = word(rec, kNodeCount);
  const Int w56 = word(rec, kWord56), w7 = word(rec, kCoordinates);
  Real measure1 = 0.0, measure2 = 0.0;
  EQC_LC3DG2(X, data, element, ldim, &w14, &w15, &w36, &w56, &measure1, &measure2, status);
  addStructural(w15 != w14 ? 2.0 * measure1 / w7 : 2.0 * measure2 / (w15 * w7));
}

void LINF2D(const Int* element, const Real* section, Real* data, const Int* w36, const Int* rec, Int* status,
            const Real* X, const Int* ldim) {
  Real local[10];
  if (!gather(local, X, *ldim, 2, *w36, "SYSTEM ERROR IN LINF2D: %I NODES")) return;
  const Int w14 = word(rec, kPoints), w19 = word(rec, kWord19);
  Real measure = 0.0;
  EQC_LINF2D(local, data, sectionReals(section), &measure, element, w36, &w14, &w19, status);
  addStructural(measure * 2.0 * 0.5);
}

void LINF3D(const Int* element, Real* data, const Int* w36, const Int* rec, Int* status, const Real* X,
            const Int* ldim) {
  Real local[54];
  if (!gather(local, X, *ldim, 3, *w36, "SYSTEM ERROR IN LINF3D: %I NODES")) return;
  const Int w14 = word(rec, kPoints);
  Real measure = 0.0;
  EQC_LINF3D(local, data, &measure, element, w36, &w14, status);
  addStructural(0.25 * measure);
}

void LMEMG_CHECK(const Int* element, Real* data, const Real* X, const Int* ldim, const Real* section, const Int* rec,
                 Int* status) {
  const Int w36 = word(rec, kNodeCount), w14 = word(rec, kPoints), w1 = word(rec, kType);
  Real measure = 0.0;
  EQC_LMEMG_CHECK(X, data, sectionReals(section), &measure, element, &w36, &w14, ldim, &w1, status);
  EQC_2NDORDER_DISTORTIONCHECK(element, X, ldim, &w36, status);
  addStructural((w36 == 3 || w36 == 6) ? measure / (2.0 * w14) : measure / w14);
}

void SHR_LSURFELEG_CHECK(const Int* element, Real* data, const Real* X, const Int* ldim, const Int* rec, Int* status) {
  const Int w36 = word(rec, kNodeCount), w14 = word(rec, kPoints), w1 = word(rec, kType);
  Real measure = 0.0;
  EQC_LSURFELEG_CHECK(X, data, &measure, element, &w36, &w14, ldim, &w1, status);
  addStructural((w36 == 3 || w36 == 6) ? measure / (2.0 * w14) : measure / w14);
}

void SHR_LACIN2D(const Int* element, const Real* section, Real* data, const Int* rec, const Real* X, Int* status,
                 Real* a28, const Int* nodeList) {
  acousticInfinite("SYSTEM ERROR IN SHR_LACIN2D: %I NODES", 5, false, false, element, section, data, rec, X, status,
                   a28, nodeList);
}

void SHR_LACINAX(const Int* element, const Real* section, Real* data, const Int* rec, const Real* X, Int* status,
                 Real* a28, const Int* nodeList) {
  acousticInfinite("SYSTEM ERROR IN SHR_LACINAX: %I NODES", 5, false, true, element, section, data, rec, X, status,
                   a28, nodeList);
}

void SHR_LACIN3D(const Int* element, const Real* section, Real* data, const Int* rec, const Real* X, Int* status,
                 Real* a28, const Int* nodeList) {
  acousticInfinite("SYSTEM ERROR IN SHR_LACIN3D: %I NODES", 6, true, false, element, section, data, rec, X, status,
                   a28, nodeList);
}

void LRIGS(const Int* element, Real* a1, Real* data, const Real* X, const Int* w36, const Int* ldim, const Int* w14) {
  using namespace zmx_elements;
  Int structural = rec::i(CPHCON, kStructuralCount);
  Int interface = rec::i(CPHCON, kInterfaceCount);
  Real structuralSum = rec::r(CPHCON, kStructuralSum);
  Real interfaceSum = rec::r(CPHCON, kInterfaceSum);
  EQC_LRIGS(element, a1, data, X, w36, ldim, w14, &structural, &interface, &structuralSum, &interfaceSum);
  rec::i(CPHCON, kStructuralCount) = structural;
  rec::i(CPHCON, kInterfaceCount) = interface;
  rec::setR(CPHCON, kStructuralSum, structuralSum);
  rec::setR(CPHCON, kInterfaceSum, interfaceSum);
}

void LAXMEMG(const Int* element, Real* data, const Int* w36, const Real* X, const Int* ldim, const Int* w1,
             const Int* w14, Int* status) {
  EQC_LAXMEMG(X, data, element, w36, ldim, w1, w14, status);
  if (*w36 == 3) {
    const Int two = 2, zero = 0;
    EQC_3NLINE_ERRWARN(X, ldim, &two, element, status, &zero);
  }
}

void LRIGID_CHECK(const Int* element, const Real* X, const Int* ldim, const Int* rec, Int* status) {
  const Int w36 = word(rec, kNodeCount);
  EQC_LRIGID_CHECK(X, element, &w36, ldim, status);
}

void LSPRING_CHECK(const Real* X, const Int* ldim, const Int* element) { EQC_LSPRING(X, ldim, element); }

void LSGBAT(const Int* element, const Real* X, const Int* ldim, const Int* w36, const Int* kind, Real* work, Real* a15,
            Real* a16, const Int* a17) {
  const Int ldimCopy = *ldim;
  EQC_LSGBAT(element, X, ldim, &ldimCopy, w36, kind, work, &rec::i(CPROG, eqc_records::kProgramKind), a15, a16, a17);
}

void LC3DG8(Real* out, const Real* table, const void* a3, const void* a4, const Int* n) {
  Real work[10] = {};
  const Int zero = 0;
  EQC_LC3DG(work, table, a3, n, a4, &zero);
  const long long count = *n;
  for (long long k = 0; k < count; ++k)
    for (int c = 0; c < 3; ++c)
      out[k + count * c] = work[3 * c] * table[k + count] + work[3 * c + 1] * table[k + 2 * count] +
                           work[3 * c + 2] * table[k + 3 * count];
  // The scalar goes to position 25, behind the coordinates of eight nodes; a table of more nodes
  // would have it overwrite a coordinate, so there it goes right behind them.
  if (count >= 0) out[std::max(24LL, 3 * count)] = work[9];
}

}  // extern "C"
