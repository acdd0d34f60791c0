#include "runtime/record.h"

#include <climits>
#include <string>

#include "runtime/report.h"

namespace rec::detail {
namespace {
constinit std::int32_t gScratch[kScratchWords] = {};
}

void reportBadWord(std::size_t words, long long first, long long count) {
  // The last word saturates rather than overflow for a wild first word or count.
  long long last = 0;
  if (__builtin_add_overflow(first, count - 1, &last)) last = first < 0 ? LLONG_MIN : LLONG_MAX;
  std::string text = "SYSTEM ERROR IN record access - WORDS " + std::to_string(first) + " TO " +
                     std::to_string(last) + " OUTSIDE A RECORD OF " + std::to_string(words) + " WORDS";
  zmxrt::report(-3, text);
}

// Character positions first..first+length-1 lie in words (first + 3) / 4 onward.
void reportBadChars(std::size_t words, long long first, long long length) {
  const auto wordOf = [](long long position) { return position / 4 + (position % 4 > 0 ? 1 : 0); };
  reportBadWord(words, wordOf(first), wordOf(length));
}

std::int32_t* scratchWords() {
  for (auto& word : gScratch) word = 0;
  return gScratch;
}

}  // namespace rec::detail
