// Messages of the model-data routines, sent through the message routines of eqc with empty
// integer and real arrays unless a value is given.
#pragma once

#include <string_view>

#include "runtime/fortran_types.h"
#include "siblings/eqc/eqc_messages.h"

namespace zmx::model {

inline constexpr Int kInformation = 1;
inline constexpr Int kWarning = -1;
inline constexpr Int kError = -2;
inline constexpr Int kSystemError = -3;

// The text alone, or with the items of a character array (count items of itemLength each) for
// its "%S" placeholders.
inline void report(Int level, std::string_view text, const char* items = nullptr, Int itemLength = 0) {
  const Int noInteger = 0;
  const Real noReal = 0.0;
  const char blank = ' ';
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), &noInteger, &noReal, items != nullptr ? items : &blank,
         items != nullptr ? itemLength : 1);
}

// The text with one integer for its "%I".
inline void reportInteger(Int level, std::string_view text, Int value) {
  const Real noReal = 0.0;
  const char blank = ' ';
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), &value, &noReal, &blank, 1);
}

}  // namespace zmx::model
