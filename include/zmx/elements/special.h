// Element library, special elements: pipe elbows, hydrostatic fluid elements with their cavity
// volumes and orientation segments, gap frames and the initial transformation data of some shells.
//
// X one column per node (leading dimension ldim); section the element's section record; rec the
// element-type record; element the element number. Messages are given only when CPROG word 1 is 0
// (a program kind of -1 counts as 0).
#pragma once

#include "zmx/types.h"

extern "C" {
// Elbow: LEG300PGEOM at each section point (outputs dropped), then the three-node line check for
// type 2302.
ZMX_EXPORT void LEG300P(const Int* element, const Real* section, const Real* X, const Int* ldim, const Int* rec);
// Elbow geometry at section point k: length, inverse length of the axis tangent and the
// right-handed triad (a x T, a, T) column by column; a chord short enough for the bend adds one
// structural element to CPHCON at the first point.
ZMX_EXPORT void LEG300PGEOM(const Int* element, const Int* k, const Int* rec, const Real* X, const Int* ldim,
                            const Real* section, Real* length, Real* inverseLength, Real* triad, Int* flag);
// Hydrostatic fluid element: its volume into volume (element variable 136; may be null), the
// cavity table pairs (8-byte slots: user number of the reference node, summed volume; a free pair
// holds 0) and the orientation segments into the segment table segments(L, 5) after its rows
// filled rows. The cavity table has no capacity argument: the scan stops after 10,000,000 pairs
// with a system error.
ZMX_EXPORT void LSGFLUID(const Real* section, Int* segments, Int* rowsFilled, const Int* L, void* cavities,
                         Real* volume, const Int* element, const Int* nodeList, const Int* rec, const Real* X,
                         const Int* ldim, const Int* nodeDatabase);
// Volume of one fluid element between its facet and the reference node (column 3, 4 or 5 of X
// for 2-, 3- and 4-node facets) times f for the planar type 3401. 3421 is the volume of revolution
// about the symmetry axis and needs the reference node on that axis (r = 0). 3412 is the exact
// cone volume over the bilinear facet. Other types leave the volume as it is.
ZMX_EXPORT void LFLVOL(Real* volume, const Int* user, const Int* type, const Real* f, const Real* X, const Int* ldim,
                       const Int* dofWord);
// Gap frame (10 reals): for types 201 and 291 the unit gap direction (the gap record's direction
// when given, else node 1 to node 2) in reals 7-9 and a right-handed orthonormal pair in 1-6;
// real 10 the gap record's real 8; opening := -real 4.
ZMX_EXPORT void GAP_GEOM(const Int* element, Real* frame, Real* opening, const Real* gap, const Real* X,
                         const Int* ldim, const Int* type);
// Initial transformation data; a1 handed to HELSAX, a5 4 reals, a6 to a9 reals, a10 4, a11 5,
// a12 4 and a13 2 reals.
ZMX_EXPORT void EQTRNINI(const void* a1, const Int* a2, const Int* element, const Int* rec, const Real* a5,
                         const Real* a6, const Real* a7, const Real* a8, const Real* a9, Real* a10, Real* a11,
                         Real* a12, Real* a13);
// S = diag(t^2 c, d/b), W = (1, 1, 0, 0, 1), R = diag(t, 1/b); 1/b is taken as 1 when b^2 <= 1e-36.
ZMX_EXPORT void HELSAX(const void* a1, const Real* t, const Real* b, const Real* c, const Real* d, Real* S, Real* W,
                       Real* R);
}
