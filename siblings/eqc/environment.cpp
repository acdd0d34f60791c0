// Environment lookup for the library's run switches.

#include <cstdlib>
#include <string>
#include <string_view>

#include "runtime/fortran_chars.h"
#include "siblings/eqc/eqc_services.h"

extern "C" void LXGENV(const char* name, Int nameLength, char* value, Int valueLength, Int* length) {
  const std::string key = fchar::toString(name, nameLength);
  const char* found = key.empty() ? nullptr : std::getenv(key.c_str());
  const std::string_view text = found != nullptr ? std::string_view(found) : std::string_view();
  fchar::assign(value, valueLength, text);
  if (length != nullptr) *length = static_cast<Int>(text.size());
}
