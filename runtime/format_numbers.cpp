// Numeric edit descriptors. Digits come from std::to_chars, which rounds correctly (ties to
// even on the exact binary value), as gfortran's own conversion does; the surrounding layout
// (optional leading zero, exponent without its letter beyond 99, '*' fill) follows gfortran.

#include "runtime/format_numbers.h"

#include <charconv>
#include <cmath>

namespace fio::numbers {
namespace {

constexpr int kBuffer = 400;  // holds the fixed form of the largest double

void putStars(std::string& out, int width) { out.append(static_cast<std::size_t>(width > 0 ? width : 1), '*'); }

// Right-aligns body (with an optional sign) in the width, or fills it with '*'.
void putAligned(std::string& out, bool negative, std::string_view body, int width) {
  const std::size_t length = body.size() + (negative ? 1 : 0);
  if (width == 0) {
    if (negative) out.push_back('-');
    out.append(body);
    return;
  }
  if (length > static_cast<std::size_t>(width)) return putStars(out, width);
  out.append(static_cast<std::size_t>(width) - length, ' ');
  if (negative) out.push_back('-');
  out.append(body);
}

// NaN and infinities as gfortran writes them.
bool putNonFinite(std::string& out, double value, int width) {
  if (std::isfinite(value)) return false;
  if (std::isnan(value)) {
    putAligned(out, false, "NaN", width);
  } else {
    const bool negative = value < 0;
    const int room = width - (negative ? 1 : 0);
    putAligned(out, negative, (width == 0 || room >= 8) ? "Infinity" : "Inf", width);
  }
  return true;
}

// The value to `digits` significant digits: the digits (no point) and the decimal exponent of
// the first one (value = 0.d1d2... * 10^(exponent + 1)).
int significantDigits(double magnitude, int digits, char* out) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific,
                                    digits - 1);
  int n = 0;
  const char* p = buffer;
  for (; p < result.ptr && *p != 'e'; ++p)
    if (*p != '.') out[n++] = *p;
  int exponent = 0;
  std::from_chars(p + 1 + (p + 1 < result.ptr && p[1] == '+' ? 1 : 0), result.ptr, exponent);
  return exponent;
}

void appendExponentDigits(std::string& out, int value, int digits) {
  char buffer[12];
  for (int k = digits - 1; k >= 0; --k) {
    buffer[k] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  out.append(buffer, static_cast<std::size_t>(digits));
}

}  // namespace

void putInteger(std::string& out, long long value, int width, int minDigits) {
  const bool negative = value < 0;
  unsigned long long magnitude = negative ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  char buffer[32];
  int n = 0;
  while (magnitude > 0) {
    buffer[sizeof buffer - 1 - n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  const int digits = minDigits < 0 ? (n == 0 ? 1 : n) : (n > minDigits ? n : minDigits);
  if (digits > static_cast<int>(sizeof buffer)) return putStars(out, width);
  while (n < digits) buffer[sizeof buffer - 1 - n++] = '0';
  putAligned(out, negative, std::string_view(buffer + sizeof buffer - n, static_cast<std::size_t>(n)), width);
}

void putFixed(std::string& out, double value, int width, int decimals, int scale) {
  if (putNonFinite(out, value, width)) return;
  const bool negative = std::signbit(value);
  double magnitude = std::fabs(value);
  if (scale != 0) magnitude *= std::pow(10.0, scale);
  char buffer[kBuffer];
  const auto result = std::to_chars(buffer, buffer + kBuffer - 1, magnitude, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return putStars(out, width);
  char* end = result.ptr;
  if (decimals == 0) *end++ = '.';
  std::string_view body(buffer, static_cast<std::size_t>(end - buffer));
  const std::size_t length = body.size() + (negative ? 1 : 0);
  if (width > 0 && length > static_cast<std::size_t>(width) && body.size() > 1 && body[0] == '0' && body[1] == '.')
    body.remove_prefix(1);
  putAligned(out, negative, body, width);
}

void putExponent(std::string& out, double value, int width, int decimals, int exponentDigits, int scale,
                 char letter) {
  if (putNonFinite(out, value, width)) return;
  const int digits = scale > 0 ? decimals + 1 : decimals + scale;
  if (digits <= 0 || digits > 40 || scale > decimals + 1) return putStars(out, width);
  char mantissa[48];
  int exponent = 0;
  const double magnitude = std::fabs(value);
  if (magnitude == 0.0) {
    for (int k = 0; k < digits; ++k) mantissa[k] = '0';
  } else {
    exponent = significantDigits(magnitude, digits, mantissa) + 1 - scale;
  }
  std::string body;
  body.reserve(64);
  if (scale <= 0) {
    body.append("0.");
    body.append(static_cast<std::size_t>(-scale), '0');
    body.append(mantissa, static_cast<std::size_t>(digits));
  } else {
    body.append(mantissa, static_cast<std::size_t>(scale));
    body.push_back('.');
    body.append(mantissa + scale, static_cast<std::size_t>(digits - scale));
  }
  const int shown = exponent < 0 ? -exponent : exponent;
  if (exponentDigits > 0) {
    int limit = 1;
    for (int k = 0; k < exponentDigits; ++k) limit *= 10;
    if (shown >= limit) return putStars(out, width);
    body.push_back(letter);
    body.push_back(exponent < 0 ? '-' : '+');
    appendExponentDigits(body, shown, exponentDigits);
  } else if (shown <= 99) {
    body.push_back(letter);
    body.push_back(exponent < 0 ? '-' : '+');
    appendExponentDigits(body, shown, 2);
  } else if (shown <= 999) {
    body.push_back(exponent < 0 ? '-' : '+');
    appendExponentDigits(body, shown, 3);
  } else {
    return putStars(out, width);
  }
  const bool negative = std::signbit(value);
  std::string_view text(body);
  if (width > 0 && text.size() + (negative ? 1 : 0) > static_cast<std::size_t>(width) && scale <= 0)
    text.remove_prefix(1);
  putAligned(out, negative, text, width);
}

void putGeneral(std::string& out, double value, int width, int decimals, int exponentDigits, int scale) {
  if (putNonFinite(out, value, width)) return;
  const int trailing = exponentDigits > 0 ? exponentDigits + 2 : 4;
  const double magnitude = std::fabs(value);
  int position = 1;  // decimal exponent of the value rounded to d digits, plus one
  if (magnitude != 0.0 && decimals > 0) {
    char digits[48];
    position = significantDigits(magnitude, decimals < 40 ? decimals : 40, digits) + 1;
  }
  if (decimals > 0 && position >= 0 && position <= decimals) {
    const std::size_t before = out.size();
    putFixed(out, value, width > trailing ? width - trailing : 0, decimals - (magnitude == 0.0 ? 1 : position), 0);
    if (width > 0 && out.size() - before < static_cast<std::size_t>(width))
      out.append(static_cast<std::size_t>(width) - (out.size() - before), ' ');
    return;
  }
  putExponent(out, value, width, decimals, exponentDigits, scale, 'E');
}

void putText(std::string& out, std::string_view text, int width) {
  if (width < 0) {
    out.append(text);
    return;
  }
  const auto w = static_cast<std::size_t>(width);
  if (w > text.size()) {
    out.append(w - text.size(), ' ');
    out.append(text);
  } else {
    out.append(text.substr(0, w));
  }
}

void putListInteger(std::string& out, long long value) {
  out.push_back(' ');
  putInteger(out, value, 11, -1);
}

void putListReal(std::string& out, double value) {
  out.push_back(' ');
  if (putNonFinite(out, value, 25)) return;
  constexpr int kDigits = 17;
  const double magnitude = std::fabs(value);
  int position = 1;
  if (magnitude != 0.0) {
    char digits[48];
    position = significantDigits(magnitude, kDigits, digits) + 1;
  }
  if (position >= 0 && position <= kDigits) {
    putFixed(out, value, 20, kDigits - position, 0);
    out.append(5, ' ');
    return;
  }
  putExponent(out, value, 25, kDigits - 1, 3, 1, 'E');
}

bool getInteger(std::string_view field, Int& value) {
  char text[64];
  int n = 0;
  for (const char c : field) {
    if (c == ' ' || c == '\t') continue;
    if (n >= 63) return false;
    text[n++] = c;
  }
  if (n == 0) {
    value = 0;
    return true;
  }
  long long parsed = 0;
  const char* first = text;
  if (*first == '+') ++first;
  const auto result = std::from_chars(first, text + n, parsed);
  if (result.ec != std::errc() || result.ptr != text + n || parsed < INT32_MIN || parsed > INT32_MAX) return false;
  value = static_cast<Int>(parsed);
  return true;
}

bool getReal(std::string_view field, int decimals, double& value) {
  std::string text;
  text.reserve(field.size() + 2);
  bool point = false;
  bool exponent = false;
  for (const char c : field) {
    if (c == ' ' || c == '\t') continue;
    if (c == '.') point = true;
    if (c == 'e' || c == 'E' || c == 'd' || c == 'D' || c == 'q' || c == 'Q') {
      exponent = true;
      text.push_back('e');
      continue;
    }
    // A sign after the first digit opens an exponent without its letter: 0.1+100.
    if ((c == '+' || c == '-') && !text.empty() && text.back() != 'e' && !exponent) {
      exponent = true;
      text.push_back('e');
    }
    text.push_back(c);
  }
  if (text.empty()) {
    value = 0.0;
    return true;
  }
  const char* first = text.c_str();
  if (*first == '+') ++first;
  double parsed = 0.0;
  const auto result = std::from_chars(first, text.c_str() + text.size(), parsed);
  if (result.ec != std::errc() && result.ec != std::errc::result_out_of_range) return false;
  if (result.ptr != text.c_str() + text.size()) return false;
  if (!point && decimals > 0) parsed /= std::pow(10.0, decimals);
  value = parsed;
  return true;
}

}  // namespace fio::numbers
