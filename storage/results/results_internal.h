// Helpers shared by the results-file routines (binary form, ASCII form, results units).
#pragma once

#include <initializer_list>
#include <string_view>

#include "runtime/fortran_types.h"

namespace zmx::results {

// Operations of the record routines and the block and line layers under them.
inline constexpr Int kRead = 0;
inline constexpr Int kWrite = 1;
inline constexpr Int kRewind = 2;
inline constexpr Int kEndPass = 3;
inline constexpr Int kReportError = 4;
inline constexpr Int kEndMode = 10;

// Buffer states: filled by a read, modified by a write and not yet out, neither.
inline constexpr Int kStateRead = -1;
inline constexpr Int kStateModified = 1;
inline constexpr Int kStateIdle = 0;

// Whether sequential unit u is open (its CBUFFA word is not 0).
bool unitOpen(Int unit);

// Reports text through KVXERR at the level, with its integers and its "%S" items (each of
// stringLength characters, laid one after another in strings).
void message(int level, std::string_view text, std::initializer_list<Int> integers = {},
             std::string_view strings = {}, Int stringLength = 0);

// The integer of an 8-byte record word (an integer-valued real, or an integer in the low half
// of the slot), rounded and saturated to the integer range. False for a NaN, which names no
// integer.
bool integerOfWord(const void* word, Int& value);

// The message of a record whose length lies outside [2, limit]; the record is not read.
void reportRecordLength(Int length, Int limit);

// Item tags and layout classes of the ASCII form.
inline constexpr char kIntegerTag = 'I';
inline constexpr char kRealTag = 'D';
inline constexpr char kTextTag = 'A';
inline constexpr int kNoClass = -1;

// Class of the key in the key table, kNoClass when the key is not there.
int keyClass(Int key);
// The tag of item i (1-based) of a record of length L with the key of that class.
char itemTag(Int key, int keyClass, Int length, Int item, const Real* record);

// The first stream's block buffer in the work space (CSP word 3, CDFILE word 4); null, reported,
// when there is none.
Real* firstStreamBuffer();

// The ASCII form of the second stream (exchanged with the first around each write) and of a
// user-named file (kept apart from the first stream).
void asciiSecondStream(Int op, Real* record, Int* status);
void asciiUserFile(Int op, Real* record, Int* unit, const char* name, Int nameLength, const Int* form,
                   Int* status);

}  // namespace zmx::results
