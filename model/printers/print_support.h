// Printing of the step, solution-control and contact-control echoes: formatted lines on a unit,
// the paging counts, the four-character mark of a non-default value and the procedure record.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "runtime/fortran_types.h"
#include "runtime/format.h"

namespace zmx::printing {

// Writes the items through the format on the unit.
void put(Int unit, std::string_view format, std::initializer_list<fio::OutItem> items = {});
// PAGIN with the print record.
void pagin(Int lines, const Int* printRecord);

// "*** " for a value that differs from its default, four blanks otherwise.
std::string_view mark(bool differs);

// The unit on which the control tables and HSTEPT print (CLINES word 14).
Int controlUnit();
// CLINES word 14 as the print record handed to PAGIN by the printers that are given none.
const Int* controlRecord();

// Slot k (1-based) of a record of 8-byte slots, as a real or as the integer it holds.
Real realAt(const void* rec, long long k);
Int integerAt(const void* rec, long long k);

inline constexpr Real kNotGiven = 1.0e36;

}  // namespace zmx::printing
