// The output-variable vocabularies: element, nodal and modal variable tables (a name of 8
// characters and a default key per row), their key tables per group of request kinds, the
// numbered stems and the load-type names. Names are packed 8 characters a row, blank-padded.
// The data are generated (vocabulary_tables.cpp); the key tables 25A, 25B and 36 change at run
// time and live in output_names.cpp, initialised from their Initial copies here.
#pragma once

#include "runtime/fortran_types.h"

namespace zmx::vocabulary {

inline constexpr int kNameLength = 8;
inline constexpr int kElementRows = 1008;
inline constexpr int kNodalRows = 265;
inline constexpr int kModalRows = 46;
inline constexpr int kElementStems = 12;
inline constexpr int kNodalStems = 5;
inline constexpr int kModalStems = 9;
inline constexpr int kLoadTypes = 145;

extern const char kElementNames[kElementRows * 8 + 1];
extern const Int kElementDefaultKeys[kElementRows];
extern const Int kElementTable21[kElementRows];
extern const Int kElementTable15[kElementRows];
extern const Int kElementTable25AInitial[kElementRows];
extern const Int kElementTable25BInitial[kElementRows];
extern const Int kElementTable29[kElementRows];
extern const Int kElementTable35[kElementRows];
extern const Int kElementTable36Initial[kElementRows];
extern const Int kElementTable37[kElementRows];
extern const Int kElementTable50036[kElementRows];
extern const Int kElementTable231[kElementRows];

extern const char kNodalNames[kNodalRows * 8 + 1];
extern const Int kNodalDefaultKeys[kNodalRows];
extern const Int kNodalTable121[kNodalRows];
extern const Int kNodalTable125A[kNodalRows];
extern const Int kNodalTable125B[kNodalRows];
extern const Int kNodalTable135[kNodalRows];

extern const char kModalNames[kModalRows * 8 + 1];
extern const Int kModalDefaultKeys[kModalRows];
extern const Int kModalTable122[kModalRows];
extern const Int kModalTable126[kModalRows];
extern const Int kModalTable15[kModalRows];

extern const char kElementStemNames[kElementStems * 8 + 1];
extern const Int kElementStemLengths[kElementStems];
extern const Int kElementStemBases[kElementStems];
extern const char kNodalStemNames[kNodalStems * 8 + 1];
extern const Int kNodalStemLengths[kNodalStems];
extern const Int kNodalStemBases[kNodalStems];
extern const char kModalStemNames[kModalStems * 8 + 1];
extern const Int kModalStemLengths[kModalStems];
extern const Int kModalStemBases[kModalStems];

extern const char kLoadTypeNames[kLoadTypes * 8 + 1];

}  // namespace zmx::vocabulary
