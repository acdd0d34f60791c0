// Output-database writer: boundary-condition node sets, element sets and node sets of one part.
// Names are blank-padded character fields; every argument by pointer.
#pragma once

#include "zmx/types.h"

extern "C" {

// One node set per boundary-condition slot in use and step. work holds workSize integers for the
// pair lists and the sets; flagTable the CBCODB word 5 flags of a row.
ZMX_EXPORT void ODBBCSETSSUPER(void* record, Int* work, void* partBuffer, const Int* partTable, Int* flagTable,
                               const Int* part, const Int* trace, const Int* handle, const Int* workSize,
                               const Int* nodeDatabase);
// Gathers and writes the sets of one step: sets of setLength integers (count, members) in
// setArea, pair lists of pairCount entries (addresses, slots, rows one list after another).
ZMX_EXPORT void ODBBCWRITE(Int* setArea, const Int* pairs, void* record, const Int* flagTable, const Int* step,
                           const Int* setLength, const Int* setCount, const Int* pairCount, const Int* trace,
                           const Int* handle, const Int* partMode, const Int* nodeDatabase, const void* loadCases,
                           const Int* loadCaseCount);
// The 80-character set name and 8-character short name of a slot.
ZMX_EXPORT void OBCDES(char* name, Int nameLength, char* shortName, Int shortNameLength, const Int* slot,
                       const Int* step, const Int* part, const char* loadCase, Int loadCaseLength,
                       const Int* labelLength, const Int* loadCaseFlag);
// Element sets of the directory, members of the current part only; ODBELSET also the sets only the
// set services know, its coded names of the first pass going into written.
ZMX_EXPORT void ODBELSETSUPER(const void* directory, void* record, const Int* elementTable, const Int* part,
                              const Int* trace, const Int* handle);
ZMX_EXPORT void ODBELSET(const void* directory, void* record, void* written, const Int* elementTable,
                         const Int* part, const Int* trace, const Int* handle);
// Node sets of the directory; nodeMap two integers per internal node (word 1 the part).
ZMX_EXPORT void ODBNSETSUPER(const void* directory, void* record, const Int* nodeLabels, const Int* nodeMap,
                             const Int* part, const Int* trace, const Int* handle);
ZMX_EXPORT void ODBNSET(const void* directory, void* record, void* written, const Int* nodeLabels,
                        const Int* nodeMap, const Int* part, const Int* trace, const Int* handle);
}
