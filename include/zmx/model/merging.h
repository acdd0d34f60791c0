// Merging of duplicate material and section records of the slide-line database: every material
// record and every section record gets a new number, equal for records that define the same
// thing. Records are arrays of 8-byte slots, slot 1 the length; a test that would read past a
// record's length fails.
#pragma once

#include "zmx/types.h"

extern "C" {
// Numbers materials (CSLV words 2 to 3) and sections (CSLV word 5 to CSLEF word 49). RESULT is
// N x 2: each section's address and number, in address order. WORK holds the section list, the
// material map and a mirror of the records; CAPACITY is its length in 8-byte slots, which DBCORE
// raises to each phase's need. A need beyond the array's room (to the end of its block in the
// address space, else CAPACITY as passed) is reported ("MEMORY FAILURE.") and the routine returns
// without writing that phase. The element list record holds
// its entry count in slot 2 and entries from slot 6, two slots apart; the part-number table is
// read from its second word on.
ZMX_EXPORT void MERGESECTION1(const Int* database, Int* result, Real* work, const Int* n, const Real* elementList,
                              Real* scratch, const Int* partTable, Int* capacity);
// MAPM(a - start + 1) := the number of the material record at address a (1, 2, ... in order of
// first appearance); MATS receives the records at their addresses' places.
ZMX_EXPORT void MERGEMATERIAL(Int* mapm, Real* mats, const Int* start, const Int* end);
// SAME := 1 when every option of A compares equal to the same option of B, else 0.
ZMX_EXPORT void COMPAREMATERIAL(Int* same, const Real* a, const Real* b);
// Numbers the sections from SECTIONFIRST to SECTIONEND. With several solver parts, entry e of
// PARTTABLE (counted from 1) names the part of element e; PARTMAP receives the part of each
// section word.
ZMX_EXPORT void MERGESECTION(const Int* database, Int* result, Real* mirror, const Real* elementList, Real* scratch,
                             const Int* partTable, Int* partMap, const Int* sectionFirst, const Int* sectionEnd,
                             Int* sectionList, const Int* n, const Int* mapm, const Int* materialFirst,
                             const Int* materialEnd, Int* flagMap);
// SAME := 1 when section records A and B of the kind define the same section.
ZMX_EXPORT void COMPARESECTION(const Int* kind, const Real* a, const Real* b, Int* same, const Int* mapm,
                               const Int* materialFirst, const Int* materialEnd, const Int* flagA);
}
