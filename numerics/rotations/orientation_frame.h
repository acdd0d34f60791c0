// What the material and the node orientations share (not exported): the orientation record's
// slots, the directions of the rectangular, cylindrical and spherical systems, the additional
// rotation, and printing a message that files its element under a key.
#pragma once

#include <string_view>

#include "runtime/fortran_types.h"

namespace zmx_orientation {

// Slots (8-byte words, from 1) of the orientation record.
inline constexpr int kNameSlot = 3;
inline constexpr int kPointASlot = 4;   // 4-6
inline constexpr int kPointBSlot = 7;   // 7-9
inline constexpr int kAxisSlot = 10;    // integer
inline constexpr int kAngleSlot = 11;
inline constexpr int kCosineSlot = 12;
inline constexpr int kSineSlot = 13;
inline constexpr int kFirstNodeSlot = 14;   // integer
inline constexpr int kSecondNodeSlot = 15;  // integer

// System types.
inline constexpr Int kSupplied = 0;
inline constexpr Int kRectangular = 1;
inline constexpr Int kCylindrical = 2;
inline constexpr Int kUserDirections = 4;
inline constexpr Int kRectangularThirdFirst = 5;
inline constexpr Int kNodeDefinedOffset = 100;

// Directions d[m] (direction m + 1), three components each.
struct Directions {
  Real d[3][3];
};

// Scales the 3-vector to unit length (eqc ANORM); false, with v unchanged, when it is zero.
bool normalise(Real* v);

// Axis of the additional rotation (1 to 3) from slot 10; a value outside that range would
// select no direction and is taken as 3.
Int rotationAxis(const Real* ori);

// Directions of system type 1, 2, 5 or (any other) spherical from the points a and b and the
// point x. Type 0 is not handled here. Returns false when the cylindrical radial direction or
// the spherical polar direction vanishes (the point is on the axis or at the centre).
bool systemDirections(Int type, const Real* a, const Real* b, const Real* x, Directions& frame);

// The additional rotation of slots 11 to 13 about axis k, when the angle is not 0.
void applyAdditionalRotation(const Real* ori, Int k, Directions& frame);

// Writes the directions as the rows of A (column-major 3 x 3).
void storeAsRows(const Directions& frame, Real* A);

// Prints the text through KVXNERR1 with the integers, the element for "%E" and the node for
// "%N", then files the element under the key.
void printAndFile(Int level, std::string_view text, const Int* integers, Int element, Int node, Int key);
// Files the element under the key without printing.
void fileOnly(Int element, Int key);

}  // namespace zmx_orientation
