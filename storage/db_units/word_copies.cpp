// Integer-width changes in place, an overlap-safe copy of 8-byte words, and the date and time
// packed into integers for headings and records.
#include <array>
#include <cstring>
#include <string>

#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/run_services.h"
#include "zmx/storage.h"

namespace {

constexpr std::array<const char*, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// The month of a two-character field read as (I2) with blanks ignored, as a formatted read does by
// default (" 1" and "1 " are both 1); anything else that is not a digit gives 0, which names no month.
int monthNumber(const char* field) {
  int value = 0;
  for (int k = 0; k < 2; ++k) {
    const char c = field[k];
    if (c == ' ') continue;
    if (c < '0' || c > '9') return 0;
    value = 10 * value + (c - '0');
  }
  return value;
}

}  // namespace

extern "C" {

void ACOPEI(void* array, const Int* n) {
  // Forwards: 4-byte word i lies at or before the 8-byte word i it comes from.
  auto* bytes = static_cast<unsigned char*>(array);
  for (Int i = 0; n != nullptr && i < *n; ++i) std::memmove(bytes + 4 * i, bytes + 8 * i, 4);
}

void ACOPIE(void* array, const Int* n) {
  // Backwards: 8-byte word i lies at or after the 4-byte word i it comes from.
  auto* bytes = static_cast<unsigned char*>(array);
  const Int zero = 0;
  for (Int i = (n != nullptr ? *n : 0) - 1; i >= 0; --i) {
    std::memmove(bytes + 8 * i, bytes + 4 * i, 4);
    std::memcpy(bytes + 8 * i + 4, &zero, 4);
  }
}

void ACOPY1(const void* from, void* to, const Int* n) { BCU_COPYOVERLAP(from, to, n); }

void ADATIM(Int* date, Int* time) {
  char mmddyyyy[10];
  LXDATE(mmddyyyy, sizeof mmddyyyy);
  const int month = monthNumber(mmddyyyy);
  const char* name = month >= 1 && month <= 12 ? kMonths[static_cast<std::size_t>(month - 1)] : "???";
  std::string text;
  text.append(mmddyyyy + 3, 2).append("-").append(name).append("-").append(mmddyyyy + 6, 4).append(5, ' ');
  LFC_XUT_CHARTOINTG(text.data(), static_cast<Int>(text.size()), 16, date);
  char hhmmss[8];
  LXTIME(hhmmss, sizeof hhmmss);
  LFC_XUT_CHARTOINTG(hhmmss, sizeof hhmmss, 8, time);
}

}  // extern "C"
