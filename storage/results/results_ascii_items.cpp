// Items of the ASCII results form: an integer "I" with a two-character width and its digits, a
// real "D" in 22 characters (1PD22.15), and a text "A" with the 8 bytes of the word. Writers
// and readers convert one item in place in the line buffer.
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "siblings/eqc/eqc_arrays.h"
#include "storage/results/results_internal.h"
#include "zmx/storage.h"

namespace zmx::results {
namespace {

constexpr Int kIntegerLimit = 1000000000;
constexpr int kRealItem = 23;
constexpr int kTextItem = 9;
constexpr int kFailedIntegerItem = 4;
constexpr Real kTiny = 1.0e-35;
constexpr int kMantissaDigits = 15;
constexpr long long kDigitsLimit = 100000000000LL;  // beyond any 10-digit field

void setWord(Real* word, Real value) { std::memcpy(word, &value, sizeof value); }

void setIntegerWord(Real* word, Int value) {
  const Int one = 1;
  ACOPID(&value, word, &one);
}

void setBlankWord(Real* word) { std::memset(word, ' ', sizeof *word); }

bool printable(unsigned char c) { return c >= 32 && c <= 126; }

// Writes the real as 1PD22.15: sign or blank, d.ddddddddddddddd, then D+xx (or +xxx without the
// letter for three-digit exponents). False when the value has no such form.
bool formatReal(Real value, char* out) {
  if (!std::isfinite(value)) return false;
  char digits[32];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, std::fabs(value),
                                          std::chars_format::scientific, kMantissaDigits);
  if (error != std::errc()) return false;
  // digits: d.ddddddddddddddde+xx (or e+xxx)
  const char* e = static_cast<const char*>(std::memchr(digits, 'e', static_cast<std::size_t>(end - digits)));
  if (e == nullptr || e - digits != 2 + kMantissaDigits) return false;
  const char sign = e[1];
  const std::size_t exponentDigits = static_cast<std::size_t>(end - (e + 2));
  out[0] = std::signbit(value) ? '-' : ' ';
  std::memcpy(out + 1, digits, 2 + kMantissaDigits);
  char* tail = out + 3 + kMantissaDigits;
  if (exponentDigits == 2) {
    tail[0] = 'D';
    tail[1] = sign;
    std::memcpy(tail + 2, e + 2, 2);
  } else {  // a double's decimal exponent has two or three digits
    tail[0] = sign;
    std::memcpy(tail + 1, e + 2, 3);
  }
  return true;
}

// A real in the writer's form, tolerant of blanks around it and of the exponent letters D and E.
bool parseReal(std::string_view field, Real& value) {
  std::size_t k = 0;
  while (k < field.size() && field[k] == ' ') ++k;
  std::string normal;
  if (k < field.size() && (field[k] == '-' || field[k] == '+')) {
    if (field[k] == '-') normal += '-';
    ++k;
  }
  bool mantissa = false, point = false;
  for (; k < field.size(); ++k) {
    const char c = field[k];
    if (c >= '0' && c <= '9') {
      mantissa = true;
      normal += c;
    } else if (c == '.' && !point) {
      point = true;
      normal += c;
    } else {
      break;
    }
  }
  if (!mantissa) return false;
  if (k < field.size() && field[k] != ' ') {
    if (field[k] == 'D' || field[k] == 'E' || field[k] == 'd' || field[k] == 'e') ++k;
    normal += 'e';
    if (k < field.size() && (field[k] == '+' || field[k] == '-')) normal += field[k++];
    bool exponent = false;
    for (; k < field.size() && field[k] >= '0' && field[k] <= '9'; ++k) {
      exponent = true;
      normal += field[k];
    }
    if (!exponent) return false;
  }
  while (k < field.size() && field[k] == ' ') ++k;
  if (k != field.size()) return false;
  const auto [end, error] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
  return error == std::errc() && end == normal.data() + normal.size() && std::isfinite(value);
}

// Digits of an (Iw) field: leading blanks, an optional sign, then digits only.
bool parseInteger(std::string_view field, long long& value) {
  std::size_t k = 0;
  while (k < field.size() && field[k] == ' ') ++k;
  bool negative = false;
  if (k < field.size() && (field[k] == '-' || field[k] == '+')) negative = field[k++] == '-';
  if (k == field.size()) return false;
  value = 0;
  for (; k < field.size(); ++k) {
    if (field[k] < '0' || field[k] > '9' || value > kDigitsLimit) return false;
    value = 10 * value + (field[k] - '0');
  }
  if (negative) value = -value;
  return true;
}

// The value in decimal with its minus sign (|value| below 10^9); the number of characters.
int decimalDigits(Int value, char* out) {
  char reversed[12];
  int n = 0;
  long long magnitude = value < 0 ? -static_cast<long long>(value) : value;
  do {
    reversed[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude > 0);
  int width = 0;
  if (value < 0) out[width++] = '-';
  while (n > 0) out[width++] = reversed[--n];
  return width;
}

void integerWriteFailed(Real* word, char* text, Int textLength, Int* status) {
  message(-2, "CANNOT CONVERT DATA FROM AN INTEGER TO A CHARACTER STRING.  SETTING INTEGER TO 0");
  (void)word;
  if (textLength >= kFailedIntegerItem) std::memcpy(text, "I 10", kFailedIntegerItem);
  *status = 2;
}

}  // namespace
}  // namespace zmx::results

using namespace zmx::results;

extern "C" {

Int AINTCH(Real* word, char* text, Int textLength, Int* status) {
  *status = 0;
  Int value = 0;
  if (!integerOfWord(word, value)) {
    integerWriteFailed(word, text, textLength, status);
    return kFailedIntegerItem;
  }
  if (value >= kIntegerLimit || value <= -kIntegerLimit) {
    message(-2, value > 0 ? "INTEGER GREATER THAN 1000000000 IS TOO LONG FOR ALLOCATED SPACE"
                          : "INTEGER LESS THAN -1000000000 IS TOO LONG FOR ALLOCATED SPACE");
    integerWriteFailed(word, text, textLength, status);
    return kFailedIntegerItem;
  }
  char digits[12];
  const int width = decimalDigits(value, digits);
  if (textLength < 3 + width) {
    integerWriteFailed(word, text, textLength, status);
    return kFailedIntegerItem;
  }
  text[0] = kIntegerTag;
  text[1] = width >= 10 ? static_cast<char>('0' + width / 10) : ' ';
  text[2] = static_cast<char>('0' + width % 10);
  std::memcpy(text + 3, digits, static_cast<std::size_t>(width));
  return 3 + width;
}

Int ADRLCH(Real* word, char* text, Int textLength, Int* status) {
  *status = 0;
  if (textLength < kRealItem) {
    *status = 2;
    return 0;
  }
  Real value;
  std::memcpy(&value, word, sizeof value);
  if (std::fabs(value) < kTiny) {
    value = 0.0;
    setWord(word, value);
  }
  text[0] = kRealTag;
  if (!formatReal(value, text + 1)) {
    message(-2, "CANNOT CONVERT A FLOATING POINT REAL NUMBER TO A CHARACTER STRING.  SETTING THE REAL NUMBER TO "
                "0.0");
    formatReal(0.0, text + 1);
    *status = 2;
  }
  return kRealItem;
}

Int ARCHCH(Real* word, char* text, Int textLength, Int* status) {
  *status = 0;
  if (textLength < kTextItem) {
    *status = 2;
    return 0;
  }
  char original[8];
  std::memcpy(original, word, sizeof original);
  text[0] = kTextTag;
  bool replaced = false;
  for (int k = 0; k < 8; ++k) {
    const bool keep = printable(static_cast<unsigned char>(original[k]));
    text[1 + k] = keep ? original[k] : ' ';
    replaced = replaced || !keep;
  }
  if (replaced) {
    message(-1, "A POSSIBLE NON-PRINTABLE CHARACTER  WAS FOUND IN STRING %S.  IT HAS BEEN CONVERTED TO A BLANK", {},
            std::string_view(original, sizeof original), 8);
    *status = 2;
  }
  return kTextItem;
}

Int ACHINT(Real* word, const char* text, Int textLength, Int* status) {
  *status = 0;
  long long width = 0, value = 0;
  const std::string_view item(text, textLength > 0 ? static_cast<std::size_t>(textLength) : 0);
  // A width of 0 or above 10 stores 0 and passes over its characters, where the text holds them.
  const bool widthRead = item.size() >= 3 && parseInteger(item.substr(1, 2), width);
  if (widthRead && (width == 0 || width > 10) && static_cast<std::size_t>(3 + width) <= item.size()) {
    setIntegerWord(word, 0);
    return static_cast<Int>(3 + width);
  }
  const bool converted = widthRead && width >= 1 && width <= 10 &&
                         item.size() >= static_cast<std::size_t>(3 + width) &&
                         parseInteger(item.substr(3, static_cast<std::size_t>(width)), value) &&
                         value >= std::numeric_limits<Int>::min() && value <= std::numeric_limits<Int>::max();
  if (!converted) {
    message(-2, "CANNOT CONVERT A CHARACTER STRING TO AN INTEGERSETTING THE INTEGER TO ZERO");
    setIntegerWord(word, 0);
    *status = 2;
    return kFailedIntegerItem;
  }
  setIntegerWord(word, static_cast<Int>(value));
  return static_cast<Int>(3 + width);
}

Int ACHDRL(Real* word, const char* text, Int textLength, Int* status) {
  *status = 0;
  Real value = 0.0;
  if (textLength < kRealItem || !parseReal(std::string_view(text + 1, kRealItem - 1), value)) {
    message(-2, "CANNOT CONVERT A CHARACTER STRING TO A REAL FLOATING POINT NUMBER.  SETTING THE STRING TO BLANK");
    setWord(word, 0.0);
    *status = 2;
    return kRealItem;
  }
  setWord(word, value);
  return kRealItem;
}

Int ACHRCH(Real* word, const char* text, Int textLength, Int* status) {
  *status = 0;
  if (textLength < kTextItem) {
    message(-2, "CANNOT CONVERT A CHARACTER STRING TO A STRINGSETTING THE STRING TO BLANK");
    setBlankWord(word);
    *status = 2;
    return kTextItem;
  }
  std::memcpy(word, text + 1, 8);
  return kTextItem;
}

}  // extern "C"
