// Character routines of the eqc stand-in.

#include <algorithm>
#include <cstring>

#include "runtime/fortran_chars.h"
#include "siblings/eqc/eqc_chars.h"

int apsf2c(char* string, const char* field, int fieldLength) {
  const std::string_view text = fchar::view(field, fieldLength);
  if (!text.empty()) std::memcpy(string, text.data(), text.size());
  string[text.size()] = '\0';
  return static_cast<int>(text.size());
}
