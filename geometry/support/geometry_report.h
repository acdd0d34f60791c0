// Messages of the surface-geometry routines: a text with its integers and reals through the
// message routines at a level.
#pragma once

#include <initializer_list>
#include <string_view>

#include "runtime/fortran_types.h"

namespace zmx::geometry {

inline constexpr Int kError = -2;
inline constexpr Int kSystemError = -3;

// KVXERR with the text's "%I" filled from integers and "%R" from reals, in order.
void report(Int level, std::string_view text, std::initializer_list<Int> integers = {},
            std::initializer_list<Real> reals = {});
// The same through KVXERR1, which takes no element or node here.
void reportCounted(Int level, std::string_view text, std::initializer_list<Int> integers);

}  // namespace zmx::geometry
