// Messages of the model-data routines: a text at a level through KVXERR, with up to two integers
// for its "%I" placeholders and the one blank character these reports pass.
#pragma once

#include <new>
#include <stdexcept>
#include <string_view>

#include "storage/db_units/work_room.h"
#include "zmx/types.h"

namespace zmx::model {

inline constexpr Int kInformation = 1;
inline constexpr Int kWarning = -1;
inline constexpr Int kError = -2;
inline constexpr Int kSystemError = -3;

void report(Int level, std::string_view text);
void report(Int level, std::string_view text, Int first, Int second = 0);
// The text with the items of a character array (itemLength characters each) for its "%S".
void reportNames(Int level, std::string_view text, const char* items, Int itemLength);

// Runs body; when memory runs out, or a size asked for is beyond any that can be held, reports
// "MEMORY FAILURE." (level -3) and returns false, so that no exception leaves the library.
template <class Body>
bool withMemory(Body&& body) {
  try {
    body();
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  zmx::units::reportMemoryFailure();
  return false;
}

}  // namespace zmx::model
