// Message helper shared by the numerical routines: a fixed text at a level through KVXERR, with
// the zero integer, the zero real and the one blank character that these reports always pass.
#pragma once

#include <string_view>

#include "runtime/fortran_types.h"

namespace zmx::numerics {

void reportFixed(Int level, std::string_view text);

// Levels of the message routines.
inline constexpr Int kWarning = -1;
inline constexpr Int kError = -2;
inline constexpr Int kSystemError = -3;

}  // namespace zmx::numerics
