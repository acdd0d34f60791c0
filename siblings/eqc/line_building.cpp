#include "siblings/eqc/line_building.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "runtime/fortran_chars.h"
#include "runtime/units.h"
#include "siblings/eqc/message_state.h"

namespace {

constexpr std::size_t kPrintWidth = 80;

void buildLine(const char* format, Int formatLength, const Int* integers, const Real* reals, const char* strings,
               Int stringLength, char* line, Int lineLength, const Int* capacity, Int* status) {
  const std::string filled =
      eqc_detail::fillPlaceholders(format, formatLength, integers, reals, strings, stringLength);
  const Int room = std::min(lineLength, capacity != nullptr ? *capacity : lineLength);
  const bool fits = filled.size() <= static_cast<std::size_t>(std::max<Int>(room, 0));
  fchar::assign(line, lineLength, std::string_view(filled).substr(0, fits ? filled.size() : std::max<Int>(room, 0)));
  if (!fits && status != nullptr) *status = 1;
}

// The longest piece of text that fits the width, cut after its last blank when it has one.
std::size_t pieceLength(std::string_view text, std::size_t width) {
  if (text.size() <= width) return text.size();
  const std::size_t blank = text.substr(0, width + 1).find_last_of(' ');
  return blank != std::string_view::npos && blank > 0 ? blank : width;
}

}  // namespace

extern "C" {

void LINBLD(const char* format, Int formatLength, const Int* integers, const Real* reals, const char* strings,
            Int stringLength, char* line, Int lineLength, const Int* capacity, Int* status) {
  buildLine(format, formatLength, integers, reals, strings, stringLength, line, lineLength, capacity, status);
}

void LINBLD1(const char* format, Int formatLength, const Int* integers, const Real* reals, const char* strings,
             Int stringLength, const void* /*seventh*/, const void* /*eighth*/, char* line, Int lineLength,
             const Int* capacity, Int* status) {
  buildLine(format, formatLength, integers, reals, strings, stringLength, line, lineLength, capacity, status);
}

void LINBRK(const Int* /*mode*/, const char* indent, Int indentLength, const char* line, Int lineLength,
            const Int* unit) {
  if (unit == nullptr) return;
  const std::string_view margin = fchar::field(indent, std::min<Int>(indentLength, kPrintWidth - 1));
  std::string_view rest = fchar::view(line, lineLength);
  std::string printLine;
  std::size_t width = kPrintWidth;
  do {
    const std::size_t n = pieceLength(rest, width);
    printLine.append(rest.substr(0, n));
    fio::writeLine(*unit, fchar::trimmed(printLine));
    rest.remove_prefix(n);
    rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
    printLine.assign(margin);
    width = kPrintWidth - margin.size();
  } while (!rest.empty());
}

}  // extern "C"
