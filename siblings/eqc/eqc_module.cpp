// Initialise and finalise pair of the eqc stand-in. While the module is up, the run-time's
// misuse reports are printed as messages, so they reach the message unit and the log.

#include <string>
#include <string_view>

#include "runtime/module_log.h"
#include "runtime/report.h"
#include "siblings/eqc/eqc_messages.h"

namespace {
constinit zmxrt::UseCount gUse{};

void reportAsMessage(int level, std::string_view text) { cfi_WriteMessage(level, std::string(text).c_str()); }
}  // namespace

void eqc_initialize(int& counter) {
  if (zmxrt::standInUp("eqc_initialize", gUse, counter)) zmxrt::setReportWriter(reportAsMessage);
}

void eqc_finalize(int& counter) {
  if (zmxrt::standInDown("eqc_finalize", gUse, counter)) zmxrt::setReportWriter(nullptr);
}
