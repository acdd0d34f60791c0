#include "siblings/eqc/fortran_text.h"

#include <cstring>

void lxftoc(char* out, const char* text, Int length) {
  Int n = length > 0 ? length : 0;
  while (n > 0 && text[n - 1] == ' ') --n;
  if (n > 0) std::memcpy(out, text, static_cast<std::size_t>(n));
  out[n] = '\0';
}
