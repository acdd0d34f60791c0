#include <algorithm>
#include <cstring>
#include <string_view>

#include "runtime/fortran_chars.h"
#include "siblings/utl/testing.h"
#include "siblings/utl/utl.h"

template class omi_SingletonBase<utl_CommandLine>;
template class omi_Singleton<utl_CommandLine>;

const cow_String& utl_CommandLine::ConstGetValue(const char* key) const {
  const std::string_view wanted = key == nullptr ? std::string_view() : std::string_view(key);
  for (const auto& [name, value] : values_)
    if (name == wanted) return value;
  return none_;
}

// The test side's way in to the values.
struct utl_CommandLineAccess {
  static auto& values() { return thr_GlobalSingleton<utl_CommandLine>::Instance()->values_; }
};

namespace utl_testing {

void setCommandLine(const std::string& key, const std::string& value) {
  auto& values = utl_CommandLineAccess::values();
  const auto it = std::find_if(values.begin(), values.end(), [&](const auto& entry) { return entry.first == key; });
  const cow_String text(value.data(), value.size());
  if (it != values.end())
    it->second = text;
  else
    values.emplace_back(key, text);
}

void clearCommandLine() { utl_CommandLineAccess::values().clear(); }

}  // namespace utl_testing

extern "C" void UTL_COMMANDLINESTRING(const char* key, Int keyLength, char* value, Int valueLength, Int* status) {
  const std::string name = fchar::toString(key, keyLength);
  const cow_String& found = thr_GlobalSingleton<utl_CommandLine>::Instance()->ConstGetValue(name.c_str());
  fchar::assign(value, valueLength, std::string_view(found.CStr(), found.Length()));
  if (found.Length() == 0)
    *status = 1;
  else if (found.Length() > static_cast<std::size_t>(std::max<Int>(valueLength, 0)))
    *status = 2;
  else
    *status = 0;
}
