// Passes over every node of a slide line, two runs of nodes side by side in the two lanes of a
// vector pair: whether any node may lie nearer to the slave node than a distance, and whether a
// block of straight segments holds no candidate within reach. They decide only whether the
// exact per-node and per-segment rules need to run, and they err only towards running them:
// every value compared is formed as the rules form it, or is a lower bound formed from the same
// terms.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstring>

#include "runtime/fortran_types.h"

namespace zmx_slide {

using Pair = Real __attribute__((vector_size(16)));
using Quad = Int __attribute__((vector_size(16)));

// Whether one of the eight integers from v equals value.
inline bool anyOfEight(const Int* v, Int value) {
  Quad a, b;
  std::memcpy(&a, v, sizeof a);
  std::memcpy(&b, v + 4, sizeof b);
  const Quad w = {value, value, value, value};
  const Quad hit = (a == w) | (b == w);
  long halves[2];
  std::memcpy(halves, &hit, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

// Coordinate i of the nodes p and p + apart.
inline Pair lanes(const Real* p, long apart, int i) { return Pair{p[i], p[apart + i]}; }

inline Real laneMin(Pair v) { return std::min(v[0], v[1]); }
inline Real laneMax(Pair v) { return std::max(v[0], v[1]); }

// Whether some of count nodes (columns of ld reals from x) may lie nearer to s than d2 (squared)
// in the first two directions. The squared difference along the given axis alone, formed as in
// the full distance, is a lower bound of it: false means that no node is nearer. Four nodes per
// step, in two lanes.
inline bool someNodeMayBeNearer(const Real* x, long ld, long count, const Real* s, Real d2, int axis) {
  const Real sa = s[axis];
  const Pair sv = {sa, sa};
  Pair lowA = {1.0e300, 1.0e300}, lowB = lowA;
  const Real* p = x + axis;
  long n = 0;
  for (; n + 4 <= count; n += 4, p += 4 * ld) {
    const Pair a = Pair{p[0], p[ld]} - sv, b = Pair{p[2 * ld], p[3 * ld]} - sv;
    const Pair a2 = a * a, b2 = b * b;
    lowA = a2 < lowA ? a2 : lowA;
    lowB = b2 < lowB ? b2 : lowB;
  }
  Real low = std::min(laneMin(lowA), laneMin(lowB));
  for (; n < count; ++n, p += ld) low = std::min(low, (p[0] - sa) * (p[0] - sa));
  return low < d2;
}

// The axis along which a line's nodes spread more, judged from its first and middle nodes.
inline int spreadAxis(const Real* first, const Real* middle) {
  return std::fabs(middle[0] - first[0]) >= std::fabs(middle[1] - first[1]) ? 0 : 1;
}

// How many whole blocks of eight straight segments, of at most `blocks` from the segment that
// starts at node column xa, are out of reach one after another: every segment of a block has a
// positive chord, no end node with the slave node's identity (ident: the identities of the end
// nodes from the first segment's, null for none) and an end node farther from s, squared, than
// slack + max(f1 q, f2 qNext), q being the segment's quarter squared chord and qNext the next
// one's (f1 >= f2). The distance along the axis stands for an end node's full distance (it is
// not larger), and the longest chord of the block and the one after it for each q and qNext.
template <int N, int Axis>
long farBlocksOfEight(const Real* xa, long ld, const Real* s, Real slack, Real f1, const Int* ident, Int own,
                      long blocks) {
  constexpr int kSteps = 4;
  const long apart = kSteps * ld;  // the second lane takes the last four segments of a block
  const Pair sa = {s[Axis], s[Axis]};
  long passed = 0;
  for (const Real* a = xa; passed < blocks; ++passed, a += 8 * ld) {
    if (ident != nullptr && anyOfEight(ident + 8 * passed, own)) break;
    Pair prev[N];
    for (int i = 0; i < N; ++i) prev[i] = lanes(a, apart, i);
    // The shortest and longest chords, and their sum, which is not a number when one is not.
    Pair nearest = {1.0e300, 1.0e300}, longest = {0.0, 0.0}, shortest = nearest, total = longest;
    const Real* p = a + ld;
    for (int k = 0; k < kSteps; ++k, p += ld) {
      Pair chord;
      for (int i = 0; i < N; ++i) {
        const Pair b = lanes(p, apart, i), c = b - prev[i];
        chord = i == 0 ? c * c : chord + c * c;
        prev[i] = b;
      }
      const Pair d = sa - prev[Axis];
      const Pair dA = d * d;
      shortest = chord < shortest ? chord : shortest;
      total += chord;
      longest = chord > longest ? chord : longest;
      nearest = dA < nearest ? dA : nearest;
    }
    if (!(laneMin(shortest) * 0.25 > 0.0) || total[0] != total[0] || total[1] != total[1]) break;
    const Real* last = a + 8 * ld;
    Real after = (last[ld] - last[0]) * (last[ld] - last[0]);
    for (int i = 1; i < N; ++i) after += (last[ld + i] - last[i]) * (last[ld + i] - last[i]);
    const Real q = std::max(laneMax(longest), after) * 0.25;
    if (!(laneMin(nearest) > slack + f1 * q)) break;
  }
  return passed;
}

}  // namespace zmx_slide
