// Character routines of the eqc stand-in.

#include <algorithm>
#include <cstring>

#include "runtime/fortran_chars.h"
#include "siblings/eqc/eqc_chars.h"

extern "C" void ACODEC(const void* items, char* text, Int textLength, const Int* n) {
  const Int wanted = n != nullptr ? std::clamp<Int>(*n, 0, std::max<Int>(textLength, 0)) : 0;
  fchar::assign(text, textLength, std::string_view(static_cast<const char*>(items), static_cast<std::size_t>(wanted)));
}

int apsf2c(char* string, const char* field, int fieldLength) {
  const std::string_view text = fchar::view(field, fieldLength);
  if (!text.empty()) std::memcpy(string, text.data(), text.size());
  string[text.size()] = '\0';
  return static_cast<int>(text.size());
}
