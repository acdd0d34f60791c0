// Circle geometry of the eqc sibling library that the cylindrical facets and elements use.
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
// The circle through three points in space. centre := its centre relative to p1; angles := (0,
// theta2, theta3), the angles of p1, p2 and p3 about the centre measured from p1 in the sense
// p1 -> p2 -> p3, so that 0 < theta2 < theta3 < 2 pi. error := 1, with zero centre and angles,
// when the points are collinear or two of them coincide; else 0.
ZMX_EXPORT void BCU_TRICIRCUMCENTER3D(const Real* p1, const Real* p2, const Real* p3, Real* centre, Real* angles,
                                      Int* error);
// Circumferential integration rule of a cylindrical element whose angular stations sit at the
// nodal angles (theta1, theta2, theta3): three-point Gauss-Legendre in the angle over
// [theta1, theta3]. angles := the three point angles, ascending; weights := their weights, which
// add up to theta3 - theta1.
ZMX_EXPORT void EQC_CCYLWEIGHTS(Real* weights, Real* angles, const Real* nodalAngles);
}
