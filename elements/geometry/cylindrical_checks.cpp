// Check wrappers of the cylindrical elements. Each works in a scratch block of the element: the
// element data first, then the averaged nodal normals that the cylindrical routines fill (and for
// the solids the station angles, the radial vector, the axis data, radii and axial coordinates).
// The block is opened at least as large as the normals written into it.
#include <algorithm>

#include "elements/geometry/element_records.h"
#include "runtime/address_space.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/element_memory.h"
#include "siblings/eqc/circular_arcs.h"
#include "siblings/eqc/element_checks.h"
#include "siblings/eqc/eqc_arrays.h"
#include "zmx/geometry/cylinders.h"

namespace {

using namespace zmx_elements::typeword;
using zmx_elements::word;

long long nonNegative(Int value) { return value > 0 ? value : 0; }

// A scratch block of the element, closed when it goes out of scope.
class ElementBlock {
 public:
  ElementBlock(const Int* handle, long long reals) {
    reals_ = static_cast<Int>(std::min<long long>(reals, 0x7fffffff / 8));
    word_ = ADB_MEMOPEN(handle, &reals_);
    if (word_ != 0) data_ = mem32::at<Real>(word_, static_cast<std::size_t>(std::max(reals_, 1)), dm2::kBlockTag);
  }
  ~ElementBlock() {
    if (word_ != 0) ADB_MEMCLOSE(&word_);
  }
  ElementBlock(const ElementBlock&) = delete;
  ElementBlock& operator=(const ElementBlock&) = delete;
  Real* data() const { return data_; }

 private:
  Int word_ = 0;
  Int reals_ = 0;
  Real* data_ = nullptr;
};

// Element variable 60, the cylinder data: count reals (zeros when the element has none).
void cylinderData(const Int* handle, Real* out, int count) {
  std::fill(out, out + count, 0.0);
  const Int id = 60;
  const Int address = GETVARDRW(handle, &id);
  if (address == 0) return;
  const Real* values = mem32::at<Real>(address, static_cast<std::size_t>(count), dm2::kDataTag);
  if (values != nullptr) std::copy(values, values + count, out);
}

enum class Shell { Membrane, Surface };

// The membrane and surface elements share their steps; only the check differs.
void shellCheck(Shell kind, const Int* element, Real* data, const Real* X, const Int* ldim, const Real* section,
                const Int* rec, Int* status, const Int* handle) {
  const Int w24 = word(rec, kCoordinateBlock), w36 = word(rec, kNodeCount), w14 = word(rec, kPoints);
  const Int w15 = word(rec, kSecondPoints), w49 = word(rec, kStationPoints);
  const long long normals = 3 * nonNegative(w36) * (nonNegative(w14) + nonNegative(w15));
  ElementBlock block(handle, std::max<long long>(nonNegative(w24), normals));
  if (block.data() == nullptr) return;
  ACOPY(data, block.data(), &w24);
  Real variable60[2];
  cylinderData(handle, variable60, 2);
  const Real angles[3] = {0.0, variable60[0], variable60[1]};
  SHR_MCYLANORMIT1(block.data(), angles, ldim, rec, element);
  Real measure = 0.0;
  if (kind == Shell::Membrane)
    EQC_CYLMEMG_CHECK(X, block.data(), section + 6, &measure, element, &w36, &w14, ldim, status, angles, &w49);
  else
    EQC_LCYLSURFELEG_CHECK(X, block.data(), angles, &measure, element, &w36, &w14, ldim, &w49, status);
  zmx_elements::addStructural(measure / w14);
  Real nodalAngles[3] = {}, axis[6] = {};
  Int error = 0;
  const Logical shellNodes = kFalse;
  SHR_CCYLNODALANGLES(nodalAngles, X, &w36, ldim, &shellNodes, axis, &error);
  EQC_LCYLCHECK_ERRWARN2(angles, nodalAngles, X, element, ldim, &w36, status, &shellNodes);
}

}  // namespace

extern "C" {

void SHR_LCYLMEMG_CHECK(const Int* element, Real* data, const Real* X, const Int* ldim, const Real* section,
                        const Int* rec, Int* status, const Int* handle) {
  shellCheck(Shell::Membrane, element, data, X, ldim, section, rec, status, handle);
}

void SHR_LCYLSURFELE_CHECK(const Int* handle, const Real* X, Real* data, const Int* rec, const Int* element,
                           const Int* ldim, Int* status) {
  shellCheck(Shell::Surface, element, data, X, ldim, nullptr, rec, status, handle);
}

void SHR_LCYLCHECK(const Int* handle, const Real* X, Real* data, const Int* rec, const Int* element, const Int* ldim,
                   Int* status) {
  Int section = 0, record = 0;
  ELAYOACCESS(handle, &section, &record);
  const Int w24 = word(rec, kCoordinateBlock), w36 = word(rec, kNodeCount), w14 = word(rec, kPoints);
  const Int w15 = word(rec, kSecondPoints), w56 = word(rec, kWord56), w49 = word(rec, kStationPoints);
  const Int w7 = word(rec, kCoordinates);
  const long long n = nonNegative(w36), base = nonNegative(w24);
  const long long points = w14 == w15 ? nonNegative(w56) + nonNegative(w14) : nonNegative(w14) + nonNegative(w15);
  const long long layout = base + n + 6 * nonNegative(w49) + 12;
  ElementBlock block(handle, std::max(layout, 4 * n * points));
  Real* b = block.data();
  if (b == nullptr) return;
  ACOPY(data, b, &w24);
  Real variable60[8];
  cylinderData(handle, variable60, 8);
  b[base] = 0.0;
  b[base + 1] = variable60[0];
  b[base + 2] = variable60[1];
  std::copy(variable60 + 2, variable60 + 8, b + base + n + 5);
  SHR_CYLANORMI1(b, b + base, b + base + n, b + base + n + 3, b + base + n + 12, b + base + n + 3 * nonNegative(w49) + 12,
                 X, rec, ldim);
  Real measure = 0.0;
  EQC_LCYLCHECK_ERRWARN(b, X, &measure, element, ldim, &w14, &w15, &w56, &w36, status);
  zmx_elements::addStructural(2.0 * measure / (w14 * w7));
  const Logical solid = kTrue;
  EQC_LCYLCHECK_ERRWARN2(b + base, variable60 + 2, X, element, ldim, &w36, status, &solid);
}

}  // extern "C"
