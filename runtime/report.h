// How the run-time layer reports a misuse it has caught (a bad address word, a record word out
// of range). The message library installs its writer when it comes up; until then reports go
// to standard error. Level -3 is a system error.
#pragma once

#include <string_view>

#include "runtime/fortran_types.h"

namespace zmxrt {

using ReportWriter = void (*)(int level, std::string_view text);

ZMX_EXPORT void setReportWriter(ReportWriter writer);
ZMX_EXPORT void report(int level, std::string_view text);

}  // namespace zmxrt
