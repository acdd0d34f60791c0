// Slots of the point-index and result arrays of a rigid slide-line point, shared by the point
// kernel and the searches (not exported).
#pragma once

#include "runtime/fortran_types.h"

namespace zmx_slide {

inline constexpr Real kUnset = 1.0e36;  // not found, infinite
inline constexpr Real kTiny = 1.0e-36;  // floor of squared lengths and divisors
inline constexpr int kMaxPointNodes = 6;

// Point-index slots.
inline constexpr int kSlotCount = 17;  // m, the nodes that define the point
inline constexpr int kSlotSlave = 18;
inline constexpr int kSlotNode1 = 19;
inline constexpr int kSlotNode2 = 20;
inline constexpr int kSlotNode3 = 21;

// Result slots.
inline constexpr int kSlotClearance = 13;
inline constexpr int kSlotMarker = 24;
inline constexpr int kSlotShape = 25;
inline constexpr int kSlotShapeDerivative = 31;
inline constexpr int kSlotFirstExtensionFrame = 36;
inline constexpr int kSlotLastExtensionFrame = 39;
inline constexpr int kSlotCopyValues = 42;
inline constexpr int kSlotCopyDerivatives = 48;

}  // namespace zmx_slide
