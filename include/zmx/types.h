// Scalar types of the library's ABI and the export marker.
//
// INTEGER is a 4-byte signed integer, REAL an 8-byte double and LOGICAL a 4-byte integer written
// as -1 (true) or 0 (false). Callers test logicals in one of two ways, and each routine says which.
#pragma once

#include <cstdint>

#define ZMX_EXPORT __attribute__((visibility("default")))

using Int = std::int32_t;
using Real = double;
using Logical = std::int32_t;

inline constexpr Logical kTrue = -1;
inline constexpr Logical kFalse = 0;

// A logical written by this suite's older code is tested on its lowest bit: -1 and odd values
// are true.
constexpr bool isTrueLowBit(Logical value) { return (value & 1) != 0; }

// Where a routine treats any nonzero word as true.
constexpr bool isTrueNonZero(Logical value) { return value != 0; }

constexpr Logical toLogical(bool value) { return value ? kTrue : kFalse; }
