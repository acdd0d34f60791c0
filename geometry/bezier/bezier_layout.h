// Where the Bezier kernels find things: the words of CBZIER and the node and record layouts they
// fix. Shared by the patch and segment kernels and the global patch search.
#pragma once

#include "runtime/record.h"
#include "zmx/geometry/bezier.h"

namespace zmx::bezier {

// Markers and tolerances: not yet computed or infinite, not found, ties, and the floor below which
// a length or determinant counts as zero.
inline constexpr Real kUnset = 1.0e36;
inline constexpr Real kNotFound = -1.0e36;
inline constexpr Real kTie = 2.22e-16;
inline constexpr Real kTiny = 1.0e-36;

// Words of CBZIER.
inline constexpr int kNodeStride = 2;        // reals per node
inline constexpr int kPatchDataStride = 3;   // reals per patch in the patch data
inline constexpr int kNeighbourC1C2 = 4;     // entries of the neighbours across C1-C2, C2-C3, C3-C1
inline constexpr int kNeighbourC2C3 = 5;
inline constexpr int kNeighbourC3C1 = 6;
inline constexpr int kCornerC1 = 7;          // 3-D: corners C1, C2, C3 at words 7, 8, 9
inline constexpr int kSegmentQ0 = 7;         // 2-D: Q0, Q3, Q1, Q2 at words 7 to 10
inline constexpr int kRecordSlots = 23;      // slots per patch or segment record
inline constexpr int kEdgeStride = 29;       // integers per edge record
inline constexpr int kFirstSampleOffset = 40;

inline Int word(int k) { return rec::i(CBZIER, k); }

// The word of CBZIER that holds record offset k of a patch (offsets 1 to 19).
constexpr int offsetWord(int k) { return k + 3; }

// Integer entry of record number (1-based) at the offset that CBZIER word `entryWord` holds.
inline Int recordEntry(const void* records, Int number, int entryWord) {
  return rec::slotI(records, static_cast<long long>(number - 1) * word(kRecordSlots) + word(entryWord) + 1);
}

// First of the node's reals (x, then y, z), 0-based: position (node - 1) * stride + 2, 1-based.
inline const Real* nodePoint(const Real* nodes, Int node) {
  return nodes + static_cast<long long>(node - 1) * word(kNodeStride) + 1;
}

}  // namespace zmx::bezier
