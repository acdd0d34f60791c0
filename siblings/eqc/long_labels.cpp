// Long-label store of the eqc stand-in.
#include <algorithm>
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
  bool retrievalFails = false;
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

// A label token: " L" and the label number in six digits, then blanks. Gives the number, or 0.
std::size_t tokenNumber(std::string_view field) {
  constexpr std::size_t kTokenLength = 8;
  if (field.size() < kTokenLength || field.substr(0, 2) != " L") return 0;
  std::size_t number = 0;
  for (std::size_t k = 2; k < kTokenLength; ++k) {
    const char c = field[k];
    if (c == ' ' && number == 0) continue;
    if (c < '0' || c > '9') return 0;
    number = 10 * number + static_cast<std::size_t>(c - '0');
  }
  if (field.find_first_not_of(' ', kTokenLength) != std::string_view::npos) return 0;
  return number;
}

// Operations 1 and 11 turn a field that holds a label token into the label it stands for; gives
// the label's number, or 0 for any other field.
Int expandToken(char* label, Int labelLength) {
  const std::size_t number = tokenNumber(fchar::field(label, labelLength));
  const LabelStore& s = store();
  if (number == 0 || number > s.labels.size()) return 0;
  fchar::assign(label, labelLength, s.labels[number - 1]);
  return static_cast<Int>(number);
}

}  // namespace

extern "C" Int LABELACCESS(const Int* operation, char* label, Int labelLength, Int* status) {
  switch (*operation) {
    case 1:
    case 11:
      if (const Int number = expandToken(label, labelLength); number != 0) return number;
      [[fallthrough]];
    case 0:
      return registerLabel(fchar::view(label, labelLength), status);
    case 5:
      return static_cast<Int>(store().labels.size());
    case 6:
      if (store().retrievalFails) *status = 1;
      return 0;
    default:
      return 0;
  }
}

namespace eqc_testing {

std::vector<std::string> longLabels() { return store().labels; }

void resetLongLabels(int capacity) {
  store().labels.clear();
  store().capacity = static_cast<std::size_t>(std::max(capacity, 0));
  store().retrievalFails = false;
}

void failLabelRetrieval(bool fails) { store().retrievalFails = fails; }

}  // namespace eqc_testing
