// PAGIN and NEWPAG of the eqc stand-in: they record what they are told, as PAGING does.
#include <vector>

#include "siblings/eqc/page_control.h"
#include "siblings/eqc/page_control_testing.h"

namespace {

struct PageControl {
  std::vector<eqc_page_testing::PaginCall> calls;
  int newPages = 0;
};

constinit PageControl* gPages = nullptr;

PageControl& pages() {
  if (gPages == nullptr) gPages = new PageControl();  // lives until the process ends
  return *gPages;
}

}  // namespace

extern "C" {

void PAGIN(const Int* lines, const Int* printRecord) {
  pages().calls.push_back({lines != nullptr ? *lines : 0, printRecord != nullptr ? *printRecord : 0});
}

void NEWPAG() { ++pages().newPages; }

}  // extern "C"

namespace eqc_page_testing {

std::vector<PaginCall> paginCalls() { return pages().calls; }

std::vector<int> paginCounts() {
  std::vector<int> counts;
  for (const auto& call : pages().calls) counts.push_back(call.lines);
  return counts;
}

int newPages() { return pages().newPages; }

void resetPageControl() {
  pages().calls.clear();
  pages().newPages = 0;
}

}  // namespace eqc_page_testing
