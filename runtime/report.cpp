#include "runtime/report.h"

#include <cstdio>

namespace zmxrt {
namespace {
constinit ReportWriter gWriter = nullptr;
}

void setReportWriter(ReportWriter writer) { gWriter = writer; }

void report(int level, std::string_view text) {
  if (gWriter != nullptr) {
    gWriter(level, text);
    return;
  }
  std::fprintf(stderr, " ***ERROR (level %d): %.*s\n", level, static_cast<int>(text.size()), text.data());
}

}  // namespace zmxrt
