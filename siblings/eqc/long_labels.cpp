// Long-label store of the eqc stand-in.
#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/fortran_chars.h"
#include "siblings/eqc/eqc_labels.h"

namespace {

constexpr int kShortLength = 8;

struct LabelStore {
  std::vector<std::string> labels;
  std::size_t capacity = 999999;
};

constinit LabelStore* gStore = nullptr;

LabelStore& store() {
  if (gStore == nullptr) gStore = new LabelStore();  // lives until the process ends
  return *gStore;
}

Int registerLabel(std::string_view label, Int* status) {
  if (label.size() <= static_cast<std::size_t>(kShortLength)) return 0;
  LabelStore& s = store();
  const auto found = std::find(s.labels.begin(), s.labels.end(), label);
  if (found != s.labels.end()) return static_cast<Int>(found - s.labels.begin()) + 1;
  if (s.labels.size() >= s.capacity) {
    *status = 2;
    return 0;
  }
  s.labels.emplace_back(label);
  return static_cast<Int>(s.labels.size());
}

// The entry number of a token " L" + I6, or 0.
std::size_t tokenEntry(std::string_view field) {
  if (field.size() < kShortLength || field.substr(0, 2) != " L") return 0;
  if (!fchar::trimmed(field.substr(kShortLength)).empty()) return 0;
  unsigned entry = 0;
  char rest = 0;
  const std::string digits(field.substr(2, 6));
  if (std::sscanf(digits.c_str(), "%u%c", &entry, &rest) != 1) return 0;
  return entry;
}

void expand(char* label, Int labelLength) {
  const std::size_t entry = tokenEntry(fchar::field(label, labelLength));
  const LabelStore& s = store();
  if (entry >= 1 && entry <= s.labels.size()) fchar::assign(label, labelLength, s.labels[entry - 1]);
}

}  // namespace

extern "C" Int LABELACCESS(const Int* operation, char* label, Int labelLength, Int* status) {
  switch (*operation) {
    case 0:
      return registerLabel(fchar::view(label, labelLength), status);
    case 1:
    case 11:
      expand(label, labelLength);
      return 0;
    case 5:
      return static_cast<Int>(store().labels.size());
    default:
      return 0;
  }
}

namespace eqc_testing {

std::vector<std::string> longLabels() { return store().labels; }

void resetLongLabels(int capacity) {
  store().labels.clear();
  store().capacity = static_cast<std::size_t>(std::max(capacity, 0));
}

}  // namespace eqc_testing
