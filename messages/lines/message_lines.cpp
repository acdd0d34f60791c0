// One message line on the printed output: built from a format and argument lists by the
// sibling line builder, then written broken into print lines. A line that could not be built
// is written as far as it was built, and the failure reported after it.

#include <cstring>

#include "runtime/record.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/line_building.h"
#include "siblings/eqc/records.h"
#include "zmx/messages/lines.h"

namespace {

constexpr Int kLineLength = 500;
constexpr Int kIndentLength = 11;
constexpr Int kBreakForKvxmes = 2;
constexpr Int kBreakForKvxmes2 = 1;

struct LineBuffers {
  char line[kLineLength];
  char indent[kIndentLength];
  Int capacity = kLineLength;
  Int status = 0;

  LineBuffers() {
    std::memset(line, ' ', sizeof line);
    std::memset(indent, ' ', sizeof indent);
  }
};

Int printUnitOrMessageUnit() {
  const Int unit = rec::i(CLINES, eqc_records::kPrintUnit);
  return unit != 0 ? unit : rec::i(CLINES, eqc_records::kMessageUnit);
}

void writeAndReport(LineBuffers& b, Int mode, Int unit, const char* failure) {
  LINBRK(&mode, b.indent, kIndentLength, b.line, kLineLength, &unit);
  if (b.status == 0) return;
  const Int level = -3, noInteger = 0;
  const Real noReal = 0.0;
  KVXERR(&level, failure, static_cast<Int>(std::strlen(failure)), &noInteger, &noReal, " ", 1);
}

}  // namespace

extern "C" {

void KVXMES(const char* format, Int formatLength, const Real* reals, const Int* integers, const char* strings,
            Int stringLength) {
  LineBuffers b;
  const Int unit = printUnitOrMessageUnit();
  LINBLD(format, formatLength, integers, reals, strings, stringLength, b.line, kLineLength, &b.capacity, &b.status);
  writeAndReport(b, kBreakForKvxmes, unit, "SYSTEM ERROR IN KVXMES");
}

void KVXMES2(const char* format, Int formatLength, const Real* reals, const Int* integers, const char* strings,
             Int stringLength, const void* seventh, const void* eighth) {
  LineBuffers b;
  const Int unit = rec::i(CLINES, eqc_records::kMessageUnit);
  LINBLD1(format, formatLength, integers, reals, strings, stringLength, seventh, eighth, b.line, kLineLength,
          &b.capacity, &b.status);
  writeAndReport(b, kBreakForKvxmes2, unit, "SYSTEM ERROR IN KVXMES2");
}

}  // extern "C"
