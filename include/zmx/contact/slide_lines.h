// Contact search and sliding: master points of slave nodes on rigid slide lines.
//
// Point-index arrays are arrays of 8-byte slots with the integer in the low 4 bytes of its slot;
// the high 4 bytes are neither read nor written. Slots 17 (m: 0 nothing found, 1 vertex, 2 or 3
// point of a segment or corner, 5 junction of two three-node segments), 18 (the slave node) and
// 19 .. 18 + m (the nodes of the master point) are used. Result arrays are 8-byte reals: 1-3
// the master point, 4-6 the unit normal, 7-9 the unit tangent, 10-12 the binormal, 13 the
// clearance (-1e36 when nothing was found), 14 the offset, 15-16 curvature terms, 24 -1.0,
// 25-30 shape-function values, 31-36 their derivatives per unit length, 36-41 extension
// frames, 42-53 the copy blocks. Slots 1-3, 7-9, 15 and 16 are accumulated into: pass them as 0.
#pragma once

#include "zmx/types.h"

extern "C" {

// The contact frame and clearance of the slave node (point slot 18) at the master point of
// point slots 17-23 and result slots 25-36. D2N holds the second derivatives of the shape
// functions (read for m > 2), L2 the squared distance from the slave node to the master point,
// FIRST and LAST the end nodes of an open line (0 for a closed line). TYPE above 280 selects the
// one-sided plane rules.
ZMX_EXPORT void RSLIDE(const void* POINTS, Real* RESULT, const Real* X, const Int* LD, const Real* D2N,
                       const Int* NDIR, const Real* L2, const Real* OFFSET, const Int* FIRST, const Int* LAST,
                       const Int* TYPE);

// Searches of one slave node against an open line of straight segments (nodes S+1 .. LAST after
// the spare column S). IDENT gives each node column its identity: a line node with the slave's
// identity cuts the line (LAST is then written back). SMOOTH is the corner smoothing fraction,
// PREVSEG the segment of the previous master point; FOLD (LOGICAL) restricts the search to its
// neighbourhood with the sharp-fold test. ENDTOL lets the foot pass an unextended end, EXTDIR
// holds the unit extension directions of the first and the last end (zero: none). COPYA and
// COPYB (LOGICAL) request the copy blocks of result slots 42-53.
ZMX_EXPORT void RSLID1(void* POINTS, Real* RESULT, const Int* IDENT, Real* X, const Int* LD, const Int* NSEG,
                       const Real* SMOOTH, const Real* OFFSET, const Int* SLAVE, Int* LAST, const Int* NDIR,
                       const Int* S, const Logical* COPYA, const Logical* COPYB, const Int* TYPE,
                       const Int* PREVSEG, const Logical* FOLD, const Real* Y, const Int* LDY, const Int* SHARP,
                       const Int* CROSSING, const Real* ENDTOL, const Real* EXTDIR);

// The same for a closed line (the segment after the last node returns to S+1); LAST comes back 0.
ZMX_EXPORT void RSLID1C(void* POINTS, Real* RESULT, Real* X, const Int* LD, const Int* NSEG, const Real* SMOOTH,
                        const Real* OFFSET, const Int* SLAVE, Int* LAST, const Int* NDIR, const Int* S,
                        const Logical* COPYA, const Logical* COPYB, const Int* TYPE, const Int* PREVSEG,
                        const Logical* FOLD, const Real* Y, const Int* LDY, const Int* SHARP, const Int* CROSSING);

// Open and closed lines of three-node segments (nodes S+1 .. LAST after the spare columns S-1
// and S; segment j is S+2j-1, S+2j, S+2j+1). A negative PREVSEG selects the middle-node fold
// test and is written back positive.
ZMX_EXPORT void RSLID2(void* POINTS, Real* RESULT, const Int* IDENT, Real* X, const Int* LD, const Int* NSEG,
                       const Real* SMOOTH, const Real* OFFSET, const Int* SLAVE, Int* LAST, const Int* NDIR,
                       const Int* S, const Logical* COPYA, const Logical* COPYB, const Int* TYPE, Int* PREVSEG,
                       const Logical* FOLD, const Real* Y, const Int* LDY, const Int* SHARP, const Int* CROSSING,
                       const Real* ENDTOL, const Real* EXTDIR);

ZMX_EXPORT void RSLID2C(void* POINTS, Real* RESULT, Real* X, const Int* LD, const Int* NSEG, const Real* SMOOTH,
                        const Real* OFFSET, const Int* SLAVE, Int* LAST, const Int* NDIR, const Int* S,
                        const Logical* COPYA, const Logical* COPYB, const Int* TYPE, Int* PREVSEG,
                        const Logical* FOLD, const Real* Y, const Int* LDY, const Int* SHARP, const Int* CROSSING);

}  // extern "C"
