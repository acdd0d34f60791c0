// Conversion of single values to and from the text of one edit descriptor, as gfortran writes
// and reads them. Each writer appends exactly the field's characters (its width, or the natural
// length for a width of 0) to out.
#pragma once

#include <string>
#include <string_view>

#include "runtime/fortran_types.h"

namespace fio::numbers {

// Iw.m (m < 0: none).
void putInteger(std::string& out, long long value, int width, int minDigits);
// Fw.d with the scale factor k (the value is multiplied by 10^k).
void putFixed(std::string& out, double value, int width, int decimals, int scale);
// Ew.d, Dw.d (letter 'D'), Ew.dEe (exponentDigits e, 0 when absent), with the scale factor k.
void putExponent(std::string& out, double value, int width, int decimals, int exponentDigits, int scale,
                 char letter);
// Gw.d(Ee) for a real.
void putGeneral(std::string& out, double value, int width, int decimals, int exponentDigits, int scale);
// Aw (width < 0: the text's own length).
void putText(std::string& out, std::string_view text, int width);

// List-directed forms: a blank, then the integer right-aligned in 11 columns; a blank, then the
// real in 25 columns as gfortran writes double precision.
void putListInteger(std::string& out, long long value);
void putListReal(std::string& out, double value);

// Reading one field: blanks are ignored, an empty field is 0. False when the field is not a
// number. A real without a decimal point takes `decimals` decimals.
bool getInteger(std::string_view field, Int& value);
bool getReal(std::string_view field, int decimals, double& value);

}  // namespace fio::numbers
