// Message output of the eqc stand-in: fills the placeholders of a message text, prints the line
// on the message unit and keeps a log that tests read back.
//
// Placeholders, filled left to right: "%I" the next integer, "%R" the next real (printed with six
// significant digits), "%S" the next character item without its trailing blanks, "%E" the
// element number and "%N" the node number. A missing array gives 0 or a blank item. Any other
// "%" is printed as it stands.

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "runtime/fortran_chars.h"
#include "runtime/units.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/message_state.h"
#include "siblings/eqc/records.h"

namespace eqc_detail {
namespace {

constinit MessageState* gState = nullptr;

std::string_view levelPrefix(int level) {
  if (level <= -3) return " ***SYSTEM ERROR: ";
  if (level == -2) return " ***ERROR: ";
  if (level == -1) return " ***WARNING: ";
  if (level == 0) return "";
  return " ***NOTE: ";
}

// Each line goes to the message unit of CLINES; standard error stands in while that word is 0
// or its unit is not connected for formatted output.
void writeToMessageUnit(int level, std::string_view text) {
  std::string line(levelPrefix(level));
  line.append(text);
  const Int unit = rec::i(CLINES, eqc_records::kMessageUnit);
  if (unit > 0 && fio::writeLine(unit, line) == fio::kOk) return;
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
}

// Where the values for the placeholders come from.
struct Values {
  const Int* integers = nullptr;
  int integerLimit = -1;  // -1: as many as the text asks for
  const Real* reals = nullptr;
  const char* strings = nullptr;
  Int itemLength = 0;       // length of each character item; 0 with terminated items
  bool terminatedItems = false;
  int element = 0;
  int node = 0;
};

class Filler {
 public:
  explicit Filler(const Values& values) : v_(values), nextString_(values.strings) {}

  std::string fill(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 32);
    for (std::size_t k = 0; k < text.size(); ++k) {
      const char c = text[k];
      if (c == '%' && k + 1 < text.size() && appendValue(text[k + 1], out)) {
        ++k;
        continue;
      }
      out.push_back(c);
    }
    return out;
  }

 private:
  bool appendValue(char kind, std::string& out) {
    switch (kind) {
      case 'I': out += std::to_string(nextInteger()); return true;
      case 'R': out += formatReal(nextReal()); return true;
      case 'S': out += nextItem(); return true;
      case 'E': out += std::to_string(v_.element); return true;
      case 'N': out += std::to_string(v_.node); return true;
      default: return false;
    }
  }

  Int nextInteger() {
    const int k = integerCount_++;
    if (v_.integers == nullptr || (v_.integerLimit >= 0 && k >= v_.integerLimit)) return 0;
    return v_.integers[k];
  }

  Real nextReal() {
    const int k = realCount_++;
    return v_.reals == nullptr ? 0.0 : v_.reals[k];
  }

  static std::string formatReal(Real value) {
    char buffer[40];
    const int n = std::snprintf(buffer, sizeof buffer, "%.6G", value);
    return std::string(buffer, static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(sizeof buffer) - 1)));
  }

  std::string nextItem() {
    if (nextString_ == nullptr) return {};
    if (v_.terminatedItems) {
      std::string item(nextString_);
      nextString_ += item.size() + 1;
      return std::string(fchar::trimmed(item));
    }
    if (v_.itemLength <= 0) return {};
    const char* item = nextString_;
    nextString_ += v_.itemLength;
    return std::string(fchar::view(item, v_.itemLength));
  }

  Values v_;
  int integerCount_ = 0;
  int realCount_ = 0;
  const char* nextString_;
};

std::string fillText(const char* text, Int textLength, const Values& values) {
  return Filler(values).fill(fchar::view(text, textLength));
}

Values fixedItems(const Int* integers, const Real* reals, const char* strings, Int stringLength) {
  Values values;
  values.integers = integers;
  values.reals = reals;
  values.strings = strings;
  values.itemLength = stringLength;
  return values;
}

void printFixed(const Int* level, const char* text, Int textLength, const Values& values, bool filed) {
  emitMessage(level != nullptr ? *level : -3, fillText(text, textLength, values), values.element, values.node,
              filed);
}

}  // namespace

MessageState& messageState() {
  if (gState == nullptr) gState = new MessageState();
  return *gState;
}

void emitMessage(int level, std::string text, int element, int node, bool filed) {
  MessageState& state = messageState();
  if (state.echo) writeToMessageUnit(level, text);
  state.log.push_back({level, std::move(text), element, node, filed});
}

std::string fillPlaceholders(const char* text, Int textLength, const Int* integers, const Real* reals,
                             const char* strings, Int stringLength) {
  return fillText(text, textLength, fixedItems(integers, reals, strings, stringLength));
}

void reportSystemError(const char* text, int value) { kvxerrC(-3, text, &value, nullptr, nullptr); }

}  // namespace eqc_detail

using eqc_detail::fixedItems;
using eqc_detail::printFixed;
using eqc_detail::Values;

namespace {
// The element and node numbers for "%E" and "%N"; 0 where the caller passes none.
Values withEntity(Values values, const Int* element, const Int* node) {
  values.element = element != nullptr ? *element : 0;
  values.node = node != nullptr ? *node : 0;
  return values;
}
}  // namespace

extern "C" {

void KVXERR(const Int* level, const char* text, Int textLength, const Int* integers, const Real* reals,
            const char* strings, Int stringLength) {
  printFixed(level, text, textLength, fixedItems(integers, reals, strings, stringLength), false);
}

void KVXERR1(const Int* level, const char* text, Int textLength, const Int* integers, const Real* reals,
             const char* strings, Int stringLength, const Int* element, const Int* node) {
  printFixed(level, text, textLength, withEntity(fixedItems(integers, reals, strings, stringLength), element, node),
             false);
}

void KVXNERR(const Int* level, const char* text, Int textLength, const Int* integers, const Real* reals,
             const char* strings, Int stringLength) {
  printFixed(level, text, textLength, fixedItems(integers, reals, strings, stringLength), true);
}

void KVXNERR1(const Int* level, const char* text, Int textLength, const Int* integers, const Real* reals,
              const char* strings, Int stringLength, const Int* element, const Int* node) {
  printFixed(level, text, textLength, withEntity(fixedItems(integers, reals, strings, stringLength), element, node),
             true);
}

void KVXNERR2I(const Int* level, const char* text, Int textLength, const Int* first, const Int* second,
               const Real* reals, const char* strings, Int stringLength) {
  const Int pair[2] = {first != nullptr ? *first : 0, second != nullptr ? *second : 0};
  Values values = fixedItems(pair, reals, strings, stringLength);
  values.integerLimit = 2;
  printFixed(level, text, textLength, values, true);
}

}  // extern "C"

void kvxerrC(int level, const char* text, const int* integers, const double* reals, const char* strings) {
  Values values;
  values.integers = integers;
  values.reals = reals;
  values.strings = strings;
  values.terminatedItems = true;
  std::string_view whole = text != nullptr ? std::string_view(text) : std::string_view();
  eqc_detail::emitMessage(level, eqc_detail::Filler(values).fill(fchar::trimmed(whole)), 0, 0, false);
}

void cfi_WriteMessage(int level, const char* text) {
  eqc_detail::emitMessage(level, text != nullptr ? std::string(text) : std::string(), 0, 0, false);
}

// ---- test view ----------------------------------------------------------------------------------

namespace eqc_testing {

std::vector<Message> messages() { return eqc_detail::messageState().log; }

void clearMessages() { eqc_detail::messageState().log.clear(); }

int countAtLevel(int level) {
  const auto& log = eqc_detail::messageState().log;
  return static_cast<int>(std::count_if(log.begin(), log.end(), [level](const Message& m) { return m.level == level; }));
}

bool printed(const std::string& fragment) {
  const auto& log = eqc_detail::messageState().log;
  return std::any_of(log.begin(), log.end(),
                     [&fragment](const Message& m) { return m.text.find(fragment) != std::string::npos; });
}

void setEcho(bool on) { eqc_detail::messageState().echo = on; }

}  // namespace eqc_testing
