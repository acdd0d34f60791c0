// Numerical utilities: sorts and searches in ordered lists.
#pragma once

#include "zmx/types.h"

extern "C" {

// ---- Sorting and ordered search -------------------------------------------------------------
//
// Arrays are 1-based in the arithmetic; a strided array holds entry j at (j - 1) * ld. A count
// of 1 or less leaves every sort's arrays unchanged.

// Quicksorts of real keys ascending (status 0); companions move with their keys: ib strided by
// ld (ASORT4), the reals b (ASORT10), columns of m reals of v and the integers ib, ic (ASORT13,
// ASORT14).
ZMX_EXPORT void ASORT4(Real* keys, Int* ib, const Int* ld, const Int* n, Int* status);
ZMX_EXPORT void ASORT10(Real* keys, Real* b, const Int* n, Int* status);
ZMX_EXPORT void ASORT13(Real* keys, Real* v, Int* ib, const Int* m, const Int* n, Int* status);
ZMX_EXPORT void ASORT14(Real* keys, Real* v, Int* ib, Int* ic, const Int* m, const Int* n, Int* status);
// Heapsorts of integer keys ascending: a with b and c (the fifth argument is not read); the
// strided ia alone (status 0).
ZMX_EXPORT void ASORT6(Int* a, Int* b, Int* c, const Int* n, const Int* unused);
ZMX_EXPORT void ASORT9(Int* ia, const Int* ld, const Int* n, Int* status);
// Sort ascending, then keep one entry of each run of equal values and drop zeros; n receives the
// count kept. status 1 (nothing done) for n < 0, else 0.
ZMX_EXPORT void ASORT1(Int* a, Int* n, Int* status);
ZMX_EXPORT void ASORT11(Int* ia, const Int* ld, Int* n, Int* status);
// Integer keys a ascending with b moved along: ASORT2 orders equal keys by b. status -1 for
// n < 0, else 0.
ZMX_EXPORT void ASORT2(Int* a, Int* b, const Int* n, Int* status);
ZMX_EXPORT void ASORT5(Int* a, Int* b, const Int* n, Int* status);
// Three reals ascending.
ZMX_EXPORT void ASORTA(Real* a);
// d(1..3) descending with the columns of v(3, 3); kind 7 orders all three, any other kind only
// d(1) and d(2).
ZMX_EXPORT void ASORTD(Real* d, Real* v, const Int* kind);
// Keys ascending by magnitude (equal magnitudes: negative first) with columns of m reals of v.
ZMX_EXPORT void ABSORT(Real* a, Real* v, const Int* n, const Int* m);

// Hunt in an ordered (ascending or descending) table from the guess in position: position
// receives the index of an equal entry (flag 0), else of the last entry before x in the table's
// order (flag 1), 0 before the first or beyond the last entry. HUNTIFO and HUNTI1 (strided)
// give the first of equal entries.
ZMX_EXPORT void HUNTI(const Int* table, const Int* n, const Int* x, Int* position, Int* flag);
ZMX_EXPORT void HUNTIFO(const Int* table, const Int* n, const Int* x, Int* position, Int* flag);
ZMX_EXPORT void HUNTI1(const Int* table, const Int* ld, const Int* n, const Int* x, Int* position, Int* flag);
// The same on a strided real table with the tolerance 2.22e-13 times its span: found 1 when x
// lies within it of the entry at position; position n + 1 beyond the last entry.
ZMX_EXPORT void HUNTF(const Real* table, const Int* n, const Real* x, Int* position, Int* found, const Int* ld);

// mode >= 0: mapsub(i) := position of jsub(i) in jset, 0 when absent (a level -3 message when
// check = 1); mode 0 then clears ldset * nset words of mapset and sets mapset(mapsub(i)) := i.
// mode < 0: mapset(j) := position of jset(j) in jsub, 0 when absent.
ZMX_EXPORT void ASUBSET(const Int* mode, const Int* check, const Int* jsub, const Int* ldsub, const Int* nsub,
                        const Int* jset, const Int* ldset, const Int* nset, Int* mapsub, Int* mapset);
// c := the na 8-byte slots of a, then every slot of b whose integer is not among those of a.
ZMX_EXPORT void AUNIONSET(const void* a, const Int* na, const void* b, const Int* nb, void* c, Int* nc);
// Sorts a ascending; map(k) receives the position before sorting of the k-th sorted entry.
ZMX_EXPORT void CREATE_INVERSE_MAP(Int* a, Int* map, const Int* n);

}  // extern "C"
