// Character fields and terminated strings, a bit array of 31 bits per word, a bit test, a
// pseudo-random generator and a ten-digit decimal integer that compares as a number.

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "runtime/fortran_chars.h"
#include "zmx/numerics.h"

namespace {

constexpr int kBitsPerWord = 31;  // the sign bit of a bit-array word is never used
constexpr int kLargeIntDigits = 10;

// ---- Bit array ----------------------------------------------------------------------------------

Int power2(int exponent) { return static_cast<Int>(1) << exponent; }

// Whether position b (1 to 31) of the word is set, found by taking off the higher positions.
bool bitIsSet(Int word, int b) {
  Int rest = word;
  for (int p = kBitsPerWord; p > b; --p)
    if (rest >= power2(p - 1)) rest -= power2(p - 1);
  return rest >= power2(b - 1);
}

bool isWhiteSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

}  // namespace

// ---- shr_LargeInt -------------------------------------------------------------------------------

shr_LargeInt::shr_LargeInt(const char* text) {
  std::memset(digits_, '0', kLargeIntDigits);
  digits_[kLargeIntDigits] = '\0';
  significant_ = 1;
  if (text == nullptr) return;
  while (*text == '0') ++text;
  // More than ten significant digits do not fit the field: the leading ten are kept.
  const std::size_t length = std::min<std::size_t>(std::strlen(text), kLargeIntDigits);
  if (length == 0) return;
  std::memcpy(digits_ + (kLargeIntDigits - length), text, length);
  significant_ = static_cast<int>(length);
}

int shr_LargeInt::compare(const shr_LargeInt& other) const {
  if (significant_ != other.significant_) return significant_ < other.significant_ ? -1 : 1;
  return std::memcmp(digits_, other.digits_, kLargeIntDigits);
}

bool shr_LargeInt::operator==(shr_LargeInt other) const { return compare(other) == 0; }
bool shr_LargeInt::operator<(shr_LargeInt other) const { return compare(other) < 0; }
bool shr_LargeInt::operator<=(shr_LargeInt other) const { return compare(other) <= 0; }
bool shr_LargeInt::operator>(shr_LargeInt other) const { return compare(other) > 0; }
bool shr_LargeInt::operator>=(shr_LargeInt other) const { return compare(other) >= 0; }

// ---- Terminated strings -------------------------------------------------------------------------

int apsc2f(char* field, const char* string, int fieldLength) {
  const std::size_t length = std::strlen(string);
  fchar::assign(field, fieldLength, std::string_view(string, length));
  return length >= static_cast<std::size_t>(std::max(fieldLength, 0)) ? 0 : static_cast<int>(length);
}

void apcomp(char* string) {
  char* out = string;
  for (const char* in = string; *in != '\0'; ++in)
    if (!isWhiteSpace(*in)) *out++ = *in;
  *out = '\0';
}

void apstrip(char* string) {
  const char* first = string;
  while (*first != '\0' && isWhiteSpace(*first)) ++first;
  std::size_t length = std::strlen(first);
  while (length > 0 && isWhiteSpace(first[length - 1])) --length;
  std::memmove(string, first, length);
  string[length] = '\0';
}

extern "C" {

// ---- Random numbers, bits -----------------------------------------------------------------------

void ARAND(Real* x, Int* seed) {
  // 32-bit signed arithmetic: the product wraps as the 4-byte integer it is kept in.
  const auto product = static_cast<std::int32_t>(static_cast<std::uint32_t>(125LL * *seed));
  *seed = product % 2796203;
  *x = *seed / 2796204.0;
}

void PGRBIT(const Int* operation, Int* bits, const Int* size, const Int* k, Int* result) {
  *result = 0;
  if (*operation == 0) {
    std::fill_n(bits, std::max<long long>(2LL * *size, 0), 0);
    return;
  }
  if (*operation < 1 || *operation > 3 || *k < 1) return;  // no bit 0 or below
  Int& word = bits[(*k - 1) / kBitsPerWord];
  const int b = *k - kBitsPerWord * ((*k - 1) / kBitsPerWord);
  const bool set = bitIsSet(word, b);
  if (*operation == 1 && !set) word += power2(b - 1);
  if (*operation == 2 && set) word -= power2(b - 1);
  if (*operation == 3) *result = set ? 0 : 1;
}

Int LTACDF(const Int* n, const Int* k) {
  if (*n < 1 || *n > 31) return 0;
  const std::int64_t modulus = std::int64_t{1} << *n;
  return (static_cast<std::int64_t>(*k) % modulus) / (modulus / 2) > 0 ? 1 : 0;
}

// ---- Character fields ---------------------------------------------------------------------------

void VUPCAS(char* text, Int textLength, const Int* n) {
  const Int m = std::min(*n, textLength);
  for (Int i = 0; i < m; ++i)
    if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 'a' + 'A');
}

void SHR_ACOMPCASEPRESERV(const char* a, Int aLength, const char* b, Int bLength, Int* equal) {
  // The texts as terminated strings without their trailing blanks, compared in place.
  const std::string_view first = fchar::view(a, aLength), second = fchar::view(b, bLength);
  *equal = first.size() == second.size() &&
                   std::equal(first.begin(), first.end(), second.begin(),
                              [](char x, char y) {
                                return std::toupper(static_cast<unsigned char>(x)) ==
                                       std::toupper(static_cast<unsigned char>(y));
                              })
               ? 1
               : 0;
}

void SHR_STRLENEXCPTRAILBLANKS(const char* text, Int textLength, const Int* n, Int* length) {
  const Int m = std::min(*n, textLength);
  Int last = m;
  while (last > 0 && text[last - 1] == ' ') --last;
  *length = std::max<Int>(last, 1);
}

void ACODEE(const char* text, Int textLength, void* items, const Int* n) {
  constexpr Int kLongest = 132;
  char work[136];
  std::memset(work, ' ', sizeof work);
  // The count fixes the items; past the passed text the field stays blank.
  const long long count = std::min<long long>(*n, kLongest);
  const Int m = static_cast<Int>(std::clamp<long long>(std::min<long long>(count, textLength), 0, kLongest));
  if (m > 0) std::memcpy(work, text, static_cast<std::size_t>(m));
  // 8 bytes per item, the division truncating toward zero: counts from -6 to 0 give one blank
  // item, counts of -7 and below none.
  const long long itemCount = (count - 1) / 8 + 1;
  if (itemCount > 0) std::memcpy(items, work, static_cast<std::size_t>(itemCount) * 8);
}

}  // extern "C"
