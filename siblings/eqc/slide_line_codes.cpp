#include "siblings/eqc/slide_line_codes.h"

#include "runtime/fortran_chars.h"

extern "C" void ACODCE(const char* name, Int nameLength, void* code, const Int* n) {
  const std::string_view field = fchar::field(name, nameLength);
  char* out = static_cast<char*>(code);
  for (Int k = 0; k < *n; ++k) {
    const auto at = static_cast<std::size_t>(k);
    out[k] = at < field.size() ? field[at] : ' ';
  }
}
