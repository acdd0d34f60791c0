// Test-facing side of the eqc job services: the end of the job, the clock and the release.
#pragma once

#include <string>
#include <vector>

#include "runtime/fortran_types.h"

namespace eqc_testing {

// Whether XITJOB ends the process (the default). Switched off, it notes the call and returns.
ZMX_EXPORT void setJobEndsProcess(bool on);
// The job-service calls since the last clear, in order: "XITMSG", "XITJOB", "JOBTIME a b".
ZMX_EXPORT std::vector<std::string> jobCalls();
ZMX_EXPORT void clearJobCalls();

// Fixed date ("MM-DD-YYYY") and time ("HH:MM:SS") texts; empty texts return to the clock.
ZMX_EXPORT void setClock(const std::string& date, const std::string& time);

// The release identifier IFC_GETVERSIONNUMBER hands out (8 characters, blank-padded).
ZMX_EXPORT void setRelease(const std::string& release);

}  // namespace eqc_testing
