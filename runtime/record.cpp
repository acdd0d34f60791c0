#include "runtime/record.h"

#include <string>

#include "runtime/report.h"

namespace rec::detail {
namespace {
constinit std::int32_t gScratch[kScratchWords] = {};
}

void reportBadWord(std::size_t words, long long first, long long count) {
  std::string text = "SYSTEM ERROR IN record access - WORDS " + std::to_string(first) + " TO " +
                     std::to_string(first + count - 1) + " OUTSIDE A RECORD OF " + std::to_string(words) +
                     " WORDS";
  zmxrt::report(-3, text);
}

std::int32_t* scratchWords() {
  for (auto& word : gScratch) word = 0;
  return gScratch;
}

}  // namespace rec::detail
