// Character arguments: a pointer followed by the caller's field length.
//
// Fields are blank-padded and of fixed length. These helpers never read or write past the
// length the caller passed; a null pointer or a length of 0 or less is an empty field.
#pragma once

#include <string>
#include <string_view>

#include "runtime/fortran_types.h"

namespace fchar {

// The whole field as the caller passed it.
inline std::string_view field(const char* text, Int length) {
  if (text == nullptr || length <= 0) return {};
  return {text, static_cast<std::size_t>(length)};
}

// The field without its trailing blanks.
inline std::string_view trimmed(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  return text.substr(0, end);
}

inline std::string_view view(const char* text, Int length) { return trimmed(field(text, length)); }

// Copies src into the caller's field of the given length, cutting or padding with blanks.
inline void assign(char* dst, Int length, std::string_view src) {
  if (dst == nullptr || length <= 0) return;
  const auto n = static_cast<std::size_t>(length);
  const std::size_t copied = src.size() < n ? src.size() : n;
  for (std::size_t k = 0; k < copied; ++k) dst[k] = src[k];
  for (std::size_t k = copied; k < n; ++k) dst[k] = ' ';
}

// Blank-padded comparison: the shorter text is taken as if padded with blanks.
inline int compare(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() > b.size() ? a.size() : b.size();
  for (std::size_t k = 0; k < n; ++k) {
    const auto ca = static_cast<unsigned char>(k < a.size() ? a[k] : ' ');
    const auto cb = static_cast<unsigned char>(k < b.size() ? b[k] : ' ');
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return 0;
}

inline bool equal(std::string_view a, std::string_view b) { return compare(a, b) == 0; }

// A terminated copy of a field without its trailing blanks.
inline std::string toString(const char* text, Int length) { return std::string(view(text, length)); }

}  // namespace fchar
