// Message output and the message accumulator of the sibling library eqc, as this library calls
// them. Levels: -3 system error, -2 error, -1 warning, 1 information (0 prints the text alone).
//
// Texts carry placeholders filled left to right: "%I" from successive integers, "%R" from
// successive reals, "%S" from successive items of the character array (each item as long as the
// character argument's length), "%E" the element number and "%N" the node number.
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
ZMX_EXPORT void KVXERR(const Int* level, const char* text, Int textLength, const Int* integers, const Real* reals,
                       const char* strings, Int stringLength);
ZMX_EXPORT void KVXERR1(const Int* level, const char* text, Int textLength, const Int* integers, const Real* reals,
                        const char* strings, Int stringLength, const Int* element, const Int* node);
// The same, for messages whose entity the caller files with MSGACCESS right after.
ZMX_EXPORT void KVXNERR(const Int* level, const char* text, Int textLength, const Int* integers, const Real* reals,
                        const char* strings, Int stringLength);
ZMX_EXPORT void KVXNERR1(const Int* level, const char* text, Int textLength, const Int* integers, const Real* reals,
                         const char* strings, Int stringLength, const Int* element, const Int* node);
// Two single integers for the first and the second "%I".
ZMX_EXPORT void KVXNERR2I(const Int* level, const char* text, Int textLength, const Int* first, const Int* second,
                          const Real* reals, const char* strings, Int stringLength);

// Operation 1 files the entity under the message key (a negative integer).
ZMX_EXPORT void MSGACCESS(const Int* operation, const Int* entity, const Int* key);
// Called at job exit (operation 3): hands the pending messages to the analysis database.
ZMX_EXPORT void MSGACCESSADB(const Int* operation, const Int* first, const Int* second);
}

// Terminated text; integers and reals may be null when the text does not use them; successive
// "%S" take successive terminated strings laid one after another in strings.
ZMX_EXPORT void kvxerrC(int level, const char* text, const int* integers, const double* reals, const char* strings);

// Writes an already formatted, terminated text at the level.
ZMX_EXPORT void cfi_WriteMessage(int level, const char* text);

// The accumulator in plain-call form. Operation 1 files entity *count under key and returns
// null; 2 returns the entities filed under key and writes their number into *count; 3 returns
// the keys that have entities and writes their number; 4 clears everything and writes 0. The
// array handed back stays valid until the next call.
ZMX_EXPORT int* msgaccessC(int operation, int* count, int key);

ZMX_EXPORT void eqc_initialize(int& counter);
ZMX_EXPORT void eqc_finalize(int& counter);
