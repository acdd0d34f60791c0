// Test-facing side of the eqc stand-in's element checks: the calls made, with their arguments,
// and the length measures the checks hand back.
#pragma once

#include <string>
#include <vector>

#include "runtime/fortran_types.h"

namespace eqc_checks_testing {

struct CheckCall {
  std::string name;
  std::vector<Int> ints;            // the integer arguments, in order
  std::vector<const void*> arrays;  // the array arguments as passed, in order
  std::vector<Real> coordinates;    // the node coordinates as the check saw them
  std::vector<Real> reals;          // small real arrays copied during the call (angles, axis data)
};

ZMX_EXPORT std::vector<CheckCall> calls();
ZMX_EXPORT void clearCalls();
// The measures every check writes (the second one for the two-measure checks); default 0.
ZMX_EXPORT void setMeasures(Real measure, Real second = 0.0);
// What EQC_LC3DG writes: the matrix T (column-major) and the scalar.
ZMX_EXPORT void setFrame(const std::vector<Real>& T, Real scalar);

}  // namespace eqc_checks_testing

namespace eqc_checks_testing {
// Adds a call to the record (for checks kept in other files of the stand-in); the measure the
// checks write.
ZMX_EXPORT void recordCall(CheckCall call);
ZMX_EXPORT Real currentMeasure();
}  // namespace eqc_checks_testing
