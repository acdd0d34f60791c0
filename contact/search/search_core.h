// Pieces that every faceted contact search shares: the record of the best face contact and its
// replacement rule, the facet messages, the boundary test of a projection that fell beyond a
// local edge, the foot on a segment and the centre of a split 6-node triangle.
#pragma once

#include <algorithm>

#include "contact/search/search_stamps.h"
#include "runtime/fortran_types.h"

namespace zmx::contact {

// The best face contact so far: signed distance, excess beyond the facet (0 inside), facet
// coordinates, facet, sub-facet corner, whether its facet needed the corner retry, and its foot,
// normal and tangents.
struct FaceRecord {
  Real distance = -1e36, g = 1e36, xi = 0.0, eta = 0.0;
  Int facet = 0, sub = 0;
  bool failed = false;
  Real foot[3] = {}, normal[3] = {}, tangents[6] = {};
};

// Whether a projection (distance, excess g, retry flag) replaces the record: nearer by more than
// 2.22e-16; on a tie the smaller excess; then a positive distance over a negative one, and a
// facet without retry over one with it.
bool replaces(const FaceRecord& r, Real distance, Real g, bool failed);

// The facet without a normal (retry false, key -2124) or without one on its corner nodes too
// (retry true, key -2123), reported at level -2 under its underlying element.
void facetMessage(Int element, const char* surfaceName, bool retry);

// Whether a foot that lies beyond the facet stands: only across its boundary edges. freeEdge(k),
// k = 1 .. edges (1-based), tells whether local edge k is a boundary edge; sub is the sub-facet
// corner of a split 6-node triangle (coordinates then in [-1, 1]); cylinderAngle is the total
// angle W of a cylindrical facet, whose eta runs from 0 to W (0 for other facets). Two edges are a
// segment of a two-dimensional surface.
bool footWithinBoundary(Int edges, const bool* freeEdge, Real xi, Real eta, Int sub, bool failed, Real cylinderAngle);

// The parameter of the foot of p on the segment a -> b (0 for a segment of squared length at
// most 1e-36).
Real segmentParameter(const Real* p, const Real* a, const Real* b);

// The centre of a split 6-node triangle (x: 3 x 6): the mean of the centroids of its four
// straight sub-triangles.
void centreOf(const Real* x, Real* c);

// The distance from p to the triangle a b c.
Real triangleDistance(const Real* p, const Real* a, const Real* b, const Real* c);

// The distance from p to the box of the nn points x (3 rows a point; the first dim rows count).
Real boxDistance(const Real* p, const Real* x, Int nn, Int dim);

// Moves the candidates first .. count - 1 whose bound does not exceed limit, in their order, to
// the front of that range; returns how many there are.
Int keepWithin(Real* bound, Int* candidates, Int first, Int count, Real limit);

// A walk from the previous contact stops at a node nearer than its neighbours, yet the closest
// point can lie on a facet without that node: across a sharp edge, on long thin facets, or where
// the surface bends towards the point. The facets within some distance of the point hang together
// through the sides they share, as long as that distance reaches the sides on the way; so the
// spread goes from candidate to candidate across their sides. openings(i, nodes) writes the nodes
// through which the spread goes on from candidate i (none: i lies beyond reach) and returns their
// count (at most 9); the facets at each of them not gathered yet join the candidates
// (gatherAt(node), false to stop), and so on from them. The surface s gives node validity, the
// node offset and the candidate list; c.count is the number of candidates. Returns the first new
// candidate.
template <class Surface, class Candidates, class Openings, class GatherAt>
Int spreadWithin(const Surface& s, SearchStamps& stamps, Candidates& c, Openings openings, GatherAt gatherAt) {
  const Int first = c.count;
  Int nodes[9];
  for (Int i = 0; i < c.count; ++i) {
    const Int count = std::clamp<Int>(openings(i, nodes), 0, 9);
    for (Int k = 0; k < count; ++k) {
      const Int n = nodes[k];
      if (s.nodeValid(n) && stamps.markGathered(static_cast<long long>(n) - s.offset) && !gatherAt(n)) return first;
    }
  }
  return first;
}

// Whether the segment a b comes within reach of p.
bool sideWithin(const Real* p, const Real* a, const Real* b, Real reach);

// The squared distance from p beyond which the nearer end of a side lies too far for the side to
// come within reach: every point of a side lies within half of it from an end, so its squared
// distance is at least that end's less a quarter of the side's squared length, at most span.
inline Real sideClearance(Real reach, Real span) { return reach * reach * (1.0 + 1e-12) + 0.25 * span; }

// The sides of a facet with straight sides between its corners (their distances from p in
// distances) whose distance from p does not exceed reach, as bits: bit k for the side from corner k
// to the next. A side with an end within reach needs no more; so does one whose nearer end lies
// beyond the side clearance of reach and span. For the others corner(k, x) gives the coordinates of
// corner k (0-based) and the side's own distance decides.
template <class CornerAt>
unsigned sidesWithinMask(const Real* p, const Real* distances, Int corners, Real reach, CornerAt corner,
                         Real span = 1e300) {
  unsigned mask = 0;
  const Real clear = sideClearance(reach, span);
  for (Int k = 0; k < corners; ++k) {
    const Int next = k + 1 == corners ? 0 : k + 1;
    const Real nearer = std::min(distances[k], distances[next]);
    if (nearer > reach) {
      if (nearer * nearer > clear) continue;
      Real a[3], b[3];
      corner(k, a), corner(next, b);
      if (!sideWithin(p, a, b, reach)) continue;
    }
    mask |= 1u << k;
  }
  return mask;
}

}  // namespace zmx::contact
