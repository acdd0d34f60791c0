// Named records of the element geometry and what the element routines share about them (not
// exported beyond the library).
#pragma once

#include <cstddef>

#include "runtime/fortran_types.h"
#include "zmx/elements/geometry.h"

namespace zmx_elements {

// CPHCON: characteristic element length.
inline constexpr int kStructuralCount = 1;  // structural elements measured
inline constexpr int kInterfaceCount = 2;   // interface elements measured
inline constexpr int kSectorCount = 3;      // sectors of a cyclic-symmetry model (set outside)
inline constexpr int kStructuralSum = 11;   // real: sum of the structural length measures
inline constexpr int kCharacteristicLength = 13;  // real: set outside from the sums
inline constexpr int kInterfaceSum = 17;    // real: sum of the interface length measures

// CAXIMODEL word 2: non-zero for an axisymmetric model (set by the hosts).
inline constexpr int kAxisymmetricModel = 2;
// CNSPRE words 2 and 3: rows first..end-1 of the nodal value array that an interior node receives.
inline constexpr int kFirstPresetRow = 2;
inline constexpr int kEndPresetRow = 3;

// Words of the element-type record read by the element geometry.
namespace typeword {
inline constexpr int kType = 1, kFamily = 4, kCoordinates = 7, kWord8 = 8, kRadialNodes = 9, kPoints = 14,
                     kSecondPoints = 15, kWord16 = 16, kWord19 = 19, kCoordinateBlock = 24, kWord27 = 27,
                     kWord29 = 29, kWord31 = 31, kNodeCount = 36, kWord45 = 45, kStationPoints = 49, kWord56 = 56,
                     kAxisymmetric = 65, kExtraNode = 68;
}

// Word k (from 1) of an element-type record.
inline Int word(const Int* rec, int k) { return rec[k - 1]; }

// The program kind of CPROG word 1, -1 taken as 0.
Int programKind();

// One structural element measured: count 1 and the scaled measure into CPHCON.
void addStructural(Real scaledMeasure);

// "SYSTEM ERROR IN <routine>" at level -3, with an integer for a "%I" the text may carry.
void systemError(const char* text, Int value);

}  // namespace zmx_elements
