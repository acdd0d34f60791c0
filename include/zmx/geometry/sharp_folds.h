// Surface geometry: sharp folds between neighbouring segments of a rigid slide line.
#pragma once

#include "zmx/types.h"

extern "C" {

// Classifies the junction of two neighbouring segments of a two-dimensional slide line and, for
// a fold, projects a node of one segment onto the other.
//
// X and Y hold the current coordinates and the increments of the nodes (columns; X - Y is the
// start of the increment) with leading dimensions LDX and LDY. Codes: 0 no fold of interest,
// 1 a fold turning counter-clockwise, 3 a sharp clockwise fold, 2 a sharp clockwise fold whose
// projected node lies on the other segment. DIST2 is the squared distance of the projection
// (1e36 when it misses the segment), XI its local coordinate (written whenever a projection is
// made, 0.0 otherwise). A SHARP other than 0 skips the sharp-fold test, CROSSING 1 skips the
// test against the start of the increment. NCOORD coordinates enter the projection.

// Straight segments I-J and J-K. TOWARDS true projects I onto J-K (XI = -1 at J, +1 at K),
// false projects K onto I-J (XI = -1 at I, +1 at J).
ZMX_EXPORT void CHECKSHARPFOLD1(Int* CODE, Real* DIST2, Real* XI, const Logical* TOWARDS, const Int* I,
                                const Int* J, const Int* K, const Real* X, const Real* Y, const Real* TOL,
                                const Int* SHARP, const Int* LDX, const Int* LDY, const Int* NCOORD,
                                const Int* CROSSING);

// Three-node segments N1-N2-N3 and N3-N4-N5 (N2, N4 the middle nodes). TOWARDS true projects
// onto the second segment, false onto the first (XI = -1, 0, +1 at its three nodes). MIDDLE true
// takes the directions at N3 from the middle nodes and projects the middle node of the other
// segment instead of its far end. At most three coordinates.
ZMX_EXPORT void CHECKSHARPFOLD2(Int* CODE, Real* DIST2, Real* XI, const Logical* TOWARDS, const Int* N1,
                                const Int* N2, const Int* N3, const Int* N4, const Int* N5, const Real* X,
                                const Real* Y, const Real* TOL, const Int* SHARP, const Int* LDX, const Int* LDY,
                                const Int* NCOORD, const Int* CROSSING, const Logical* MIDDLE);

}  // extern "C"
