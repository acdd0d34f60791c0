// Test-facing side of the eqc run services: the closing calls of a job, the clock and the release.
// XITJOB ends the job through BCU_EXIT, which eqc_job_testing::interceptExit intercepts.
#pragma once

#include <string>
#include <vector>

#include "runtime/fortran_types.h"

namespace eqc_run_testing {

// The job-service calls since the last clear, in order: "XITMSG", "XITJOB", "JOBTIME a b".
ZMX_EXPORT std::vector<std::string> jobCalls();
ZMX_EXPORT void clearJobCalls();

// Fixed date ("MM-DD-YYYY") and time ("HH:MM:SS") texts; empty texts return to the clock.
ZMX_EXPORT void setClock(const std::string& date, const std::string& time);

// The release identifier IFC_GETVERSIONNUMBER hands out (8 characters, blank-padded).
ZMX_EXPORT void setRelease(const std::string& release);

}  // namespace eqc_run_testing
