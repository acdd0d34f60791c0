// Array routines of eqc as the library calls them: upper-case convention, every argument by
// address, arrays indexed from 1 in the arithmetic. A count below 1 changes nothing.
//
// An 8-byte slot holds either a real or an integer in its low 4 bytes with 0 in the high 4.
// The slot readers (ACOPDI, ACOPDJ) accept both: a slot whose high word is 0 (or the sign
// extension of a negative low word) holds an integer; any other slot is a real whose value is
// rounded to the nearest integer, saturated to the integer range, NaN giving 0.
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
// to(i) := from(i), n reals. Overlapping arrays are copied as if through a temporary.
ZMX_EXPORT void ACOPY(const Real* from, Real* to, const Int* n);
// to(i) := from(i), n integers.
ZMX_EXPORT void ACOPII(const Int* from, Int* to, const Int* n);
// a(i) := value, n reals.
ZMX_EXPORT void ASET(Real* a, const Real* value, const Int* n);
// a(i) := value, n integers.
ZMX_EXPORT void ASETI(Int* a, const Int* value, const Int* n);
// Slot i of a := the integer value, n slots.
ZMX_EXPORT void ASETDI(void* slots, const Int* value, const Int* n);
// to(i) := the integer of slot i, n values.
ZMX_EXPORT void ACOPDI(const void* slots, Int* to, const Int* n);
ZMX_EXPORT void ACOPDJ(const void* slots, Int* to, const Int* n);
// to(i) := from(i) as a real value, n values.
ZMX_EXPORT void ACOPID(const Int* from, Real* to, const Int* n);
// Slot i of to := from(i) as an integer slot, n values.
ZMX_EXPORT void ACOPJD(const Int* from, void* slots, const Int* n);
// Scales the n-vector v to unit length in place; status 0, or 1 with v unchanged when v has
// zero (or non-finite) length.
ZMX_EXPORT void ANORM(Real* v, const Int* n, Int* status);
// c := a x b for 3-vectors; c may be a or b.
ZMX_EXPORT void AXPRD(const Real* a, const Real* b, Real* c);
// C := A B with A l x m, B m x n and C l x n, column-major; C may share storage with A or B.
ZMX_EXPORT void APRD(const Real* a, const Real* b, Real* c, const Int* l, const Int* m, const Int* n);
// b := s a, n reals.
ZMX_EXPORT void AMULT(const Real* a, const Real* s, Real* b, const Int* n);
// Completes a right-handed orthonormal frame (3 x 3, column-major) from the unit vector in its
// third column: columns 1 and 2 become unit vectors with column 1 x column 2 = column 3.
ZMX_EXPORT void ALOCAL(Real* frame);
// Copies n 8-byte slots from to to.
ZMX_EXPORT void BCU_COPY(const void* from, void* to, const Int* n);
// Copies n 8-byte words from a to b; the arrays may overlap.
ZMX_EXPORT void BCU_COPYOVERLAP(const void* a, void* b, const Int* n);
// flag := 1 when the 8 bytes of the value are all blanks (or all unset, 0), else 0.
ZMX_EXPORT void BCU_COMP_BLANK(const void* value, Int* flag);
// Sort n integers of a ascending; the forms with b move b(i) with a(i). BCU_SORTCOMPINT2
// orders pairs with equal a by b.
ZMX_EXPORT void BCU_SORTINT1(Int* a, const Int* n);
ZMX_EXPORT void BCU_SORTINT2(Int* a, Int* b, const Int* n);
ZMX_EXPORT void BCU_SORTCOMPINT2(Int* a, Int* b, const Int* n);

// Shape-function tables of the facet integration rules: for each point of the rule, three rows
// of n reals (the values, the derivatives by the first and by the second facet coordinate), in
// the node order of the plain facets. Points of a product rule run with the first coordinate
// fastest.
// 3-node triangle at its centroid (1 point, 9 reals).
ZMX_EXPORT void EQC_INTTR3(Real* table);
// 4-node quadrilateral at the order x order Gauss points (order 1 to 3).
ZMX_EXPORT void EQC_INTOCA(Real* table, const Int* order);
// 6-node triangle at the points (1/6, 1/6), (2/3, 1/6), (1/6, 2/3) (3 points, 54 reals).
ZMX_EXPORT void EQC_INTTR6(Real* table);
// 9-node quadrilateral at the order x order Gauss points (order 1 to 3).
ZMX_EXPORT void EQC_INTTC9(Real* table, const Int* order);
// Any other order leaves the table as it was.
}
