// Test-facing side of the utl stand-in: the command line the library reads.
#pragma once

#include <string>

#include "runtime/fortran_types.h"

namespace utl_testing {

ZMX_EXPORT void setCommandLine(const std::string& key, const std::string& value);
// Removes every key.
ZMX_EXPORT void clearCommandLine();

}  // namespace utl_testing
