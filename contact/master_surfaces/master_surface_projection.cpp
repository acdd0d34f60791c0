// The closest contact of one slave point on an element-based master surface (faces of underlying
// elements: 3-, 4-, 6-, 8- and 9-node facets, cylindrical facets among them), in three forms:
//
//   RSLID_SURFACE           candidates from a walk that starts at the previous contact, or from the
//                           surface's deformable search tree, or every facet when no tree is loaded;
//   RSLID_SURFACE_B         node coordinates found through a sorted key list; without a previous
//                           contact every node that has a key is measured and every facet whose
//                           nodes all have one is a candidate;
//   RSLID_SURFACE_NOSEARCH  no search: the one entity the caller names is evaluated, with wider
//                           windows on edges and internal edges and no extension limit.
//
// Candidates are taken in the order of a lower bound on their distance; the point is projected
// onto each; where no projection falls on a facet its edges (straight, quadratic, curved arcs of
// cylindrical facets, or two straight halves of a split 6-node triangle), centre and internal
// edges are measured; then face, edge, vertex, internal edge or centre wins. Edge and vertex
// contacts at the surface's boundary stand only within an extension of a fraction of the facet
// size. Nothing is allocated: the caller's work arrays hold distances and candidates, and the
// search stamps tell which NODE_DIST entries belong to this call.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "contact/search/search_core.h"
#include "contact/search/search_stamps.h"
#include "geometry/facets/facet_properties.h"
#include "runtime/record.h"
#include "siblings/eqc/eqc_arrays.h"
#include "zmx/contact/master_surfaces.h"
#include "zmx/contact/search.h"
#include "zmx/geometry/cylinders.h"
#include "zmx/geometry/normals.h"
#include "zmx/geometry/projection.h"
#include "zmx/numerics/sorting.h"

namespace {

constexpr Real kUnset = 1e36;
constexpr Real kEps = 2.22e-16;
constexpr Real kTiny = 1e-36;
constexpr int kSlotKind = 16, kSlotEntity = 17, kSlotCorner = 18, kSlotRetry = 19;

// The three forms differ in how nodes are found, in the windows of edges and internal edges and
// in what happens beyond the extension.
enum class Form { kSearch, kKeyed, kNoSearch };

// Windows on the parameters of feet on straight edges (the boundary edge's window; without a
// search every edge's), on curves (the end tolerance), on the two halves of a split edge and on
// internal edges.
struct Windows {
  Real straightLow, straightHigh;
  Real curveTolerance;
  Real halfLowBoundary, halfLowShared, halfHighBoundary, halfHighShared;
  Real internalLow, internalHigh;
};

constexpr Windows kSearchWindows{-0.001, 1.001, 0.001, -0.001, 0.0, 1.001, 1.0, 0.0, 1.0};
constexpr Windows kNoSearchWindows{-0.05, 1.05, 0.05, -0.05, -kEps, 1.05, 1.0, -0.05, 1.05};

// The surface, the point and the caller's work arrays of one call.
struct Surface {
  Form form;
  Int nfacet;
  const Int* facetElement;
  const Int* facetTable;
  Int ldFacet;
  const Int* edgeTable;
  const Int* edgeFacets;
  const Int* nodeFacets;
  Int ldNodeFacets;
  const Int* freeVertices;
  Int freeCount;
  const Real* facetSize;
  Real surfaceSize;
  Int nnode, offset;
  const Real* p;
  const Real* coords;
  Int ldCoord;
  Real* nodeDist;
  Real* bound;
  Int* candidates;
  bool split, quadratic;
  const char* name;
  Real extension;
  const Int* facetKind;
  const Real* facetAngles;
  // Key lookups of the keyed forms.
  const Int* nodeKey = nullptr;
  const Int* keyList = nullptr;
  const Int* keyColumn = nullptr;
  Int nkey = 0;
  mutable Int guess = 1;

  bool keyed() const { return form != Form::kSearch; }
  const Windows& windows() const { return form == Form::kNoSearch ? kNoSearchWindows : kSearchWindows; }
  const Int* facet(Int f) const { return facetTable + static_cast<long long>(f - 1) * ldFacet; }
  const Int* edge(Int e) const { return edgeTable + 4LL * (e - 1); }
  const Int* facetsAt(Int n) const { return nodeFacets + static_cast<long long>(n - 1) * ldNodeFacets; }
  long long entry(Int n) const { return static_cast<long long>(n) - offset; }
  bool nodeValid(Int n) const { return entry(n) >= 1 && entry(n) <= nnode; }
  bool facetValid(Int f) const { return f >= 1 && f <= nfacet; }
  bool cylindrical(Int f) const { return facetKind[f - 1] == 1; }
  const Real* angles(Int f) const { return facetAngles + 4LL * (f - 1); }
  bool boundaryEdge(Int e) const { return edge(e)[0] == 1; }
  Int nodeCount(Int f) const { return std::clamp<Int>(facet(f)[1], 0, 9); }

  // The coordinates of node n; false when its key is not in the key list.
  bool node(Int n, Real* x) const {
    long long column = entry(n);
    if (keyed()) {
      Int flag = 1;
      const Int key = nodeKey[n - 1];
      HUNTI(keyList, &nkey, &key, &guess, &flag);
      if (flag != 0 || guess < 1 || guess > nkey) return false;
      column = keyColumn[guess - 1];
    }
    const Real* c = coords + (column - 1) * ldCoord;
    x[0] = c[0], x[1] = c[1], x[2] = c[2];
    return true;
  }
  // The coordinates of the facet's nodes into x (3 x nn); false on a failed lookup.
  bool facetNodes(Int f, Real* x) const {
    const Int* column = facet(f);
    for (Int k = 0; k < nodeCount(f); ++k) {
      if (!node(column[7 + k], x + 3 * k)) return false;
    }
    return true;
  }
  Real distanceTo(const Real* x) const {
    const Real dx = p[0] - x[0], dy = p[1] - x[1], dz = p[2] - x[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
  }
  bool freeVertex(Int n) const {
    if (freeCount < 1) return false;
    Int position = 1, flag = 1;
    HUNTI(freeVertices, &freeCount, &n, &position, &flag);
    return flag == 0;
  }
};

bool pointSet(const Real* p) {
  for (int i = 0; i < 3; ++i) {
    if (!(std::fabs(p[i]) < kUnset)) return false;
  }
  return true;
}

// ---- Candidates --------------------------------------------------------------------------------------

struct Candidates {
  Int count = 0;
  Real dmin = kUnset;
  Int nearest = 0;
  bool lookupFailed = false;
  // What the walk noted of a facet measured with its corner box: a bound on the squared length
  // of every side (the box's diagonal squared) and the distance of its nearest node. Kept by
  // facet in a small direct-mapped table (the candidates are sorted in between); a facet that
  // lost its slot, or was not measured so, has none. Only the slots marked in filled are read, so
  // the table needs no clearing per call.
  struct Boxed {
    Int facet;
    Real span, nearest;
  };
  static constexpr Int kBoxedSlots = 64;
  std::uint64_t filled = 0;
  Boxed boxed[kBoxedSlots];
  static Int slotOf(Int f) { return f & (kBoxedSlots - 1); }
  void keepBoxed(Int f, Real span, Real nearest) {
    boxed[slotOf(f)] = {f, span, nearest};
    filled |= std::uint64_t{1} << slotOf(f);
  }
  const Boxed* boxedOf(Int f) const {
    const Boxed& b = boxed[slotOf(f)];
    return (filled >> slotOf(f) & 1u) != 0 && b.facet == f ? &b : nullptr;
  }
  Real spanOf(Int f) const { return boxedOf(f) != nullptr ? boxedOf(f)->span : 1e300; }
};

// This call's distance of node n: from NODE_DIST when stamped in this call, else measured now.
Real nodeDistance(const Surface& s, zmx::contact::SearchStamps& stamps, Int n, Candidates& c, bool fresh) {
  if (!s.nodeValid(n)) return kUnset;
  const long long j = s.entry(n);
  if (!fresh && stamps.nodeCurrent(j)) return s.nodeDist[j - 1];
  Real x[3];
  if (!s.node(n, x)) {
    c.lookupFailed = true;
    return kUnset;
  }
  const Real d = s.distanceTo(x);
  s.nodeDist[j - 1] = d;
  stamps.markNode(j);
  if (d < c.dmin) c.dmin = d, c.nearest = n;
  return d;
}

void addCandidate(const Surface& s, Int f, Real nearestOfFacet, Candidates& c) {
  s.candidates[c.count] = f;
  s.bound[c.count] = nearestOfFacet - s.facetSize[f - 1];
  ++c.count;
}

// Whether facet f is a 3- or 4-node facet that is not cylindrical: it lies within the convex hull
// of its corners (a bilinear facet too).
bool hullBounded(const Surface& s, Int f) {
  const Int nn = s.nodeCount(f);
  return (nn == 3 || nn == 4) && !s.cylindrical(f);
}

// Whether one of facet f's edges is a boundary edge.
inline bool hasBoundaryEdge(const Surface& s, Int f) {
  const Int* column = s.facet(f);
  const Int edges = std::clamp<Int>(column[0], 0, 4);
  for (Int k = 0; k < edges; ++k) {
    if (s.edgeTable[4LL * (column[3 + k] - 1)] == 1) return true;
  }
  return false;
}

// A projection onto a hull-bounded facet without boundary edges stands only up to 0.001 in facet
// coordinates beyond its edges (across a boundary edge it stands within the extension): every
// distance it gives lies above its distance from the point less this allowance.
Real allowance(const Surface& s, Int f) { return 0.005 * s.facetSize[f - 1]; }

// Two reals operated on together, element by element, each as it would be alone.
typedef Real RealPair __attribute__((vector_size(2 * sizeof(Real))));

// Measures the facet's nodes (fresh: again, whatever NODE_DIST holds) and adds it.
bool measureAndAdd(const Surface& s, zmx::contact::SearchStamps& stamps, Int f, Candidates& c, bool fresh) {
  const Int* column = s.facet(f);
  Real m = kUnset;
  for (Int k = 0; k < s.nodeCount(f); ++k) {
    m = std::min(m, nodeDistance(s, stamps, column[7 + k], c, fresh));
    if (c.lookupFailed) return false;
  }
  addCandidate(s, f, m, c);
  return true;
}

// After a walk: measures the facet's nodes and adds it, with the bound of a hull-bounded facet
// without boundary edges raised to the distance from the point to the box of its corners less
// the allowance (cheap, and exact for facets along the axes).
bool measureAndAddBoxed(const Surface& s, zmx::contact::SearchStamps& stamps, Int f, Candidates& c) {
  const Int* column = s.facet(f);
  const Int nn = s.nodeCount(f);
  if (!hullBounded(s, f)) return measureAndAdd(s, stamps, f, c, false);
  // The corner box: x and y side by side, each lane taking its minimum and maximum as std::min
  // and std::max take them (the earlier value unless the new one is strictly beyond it).
  Real m = kUnset, lz = kUnset, hz = -kUnset;
  RealPair lxy = {kUnset, kUnset}, hxy = {-kUnset, -kUnset};
  for (Int k = 0; k < nn; ++k) {
    const Int n = column[7 + k];
    const long long j = s.entry(n);
    if (j < 1 || j > s.nnode) return measureAndAdd(s, stamps, f, c, false);
    Real y[3];
    const Real* x = s.coords + (j - 1) * s.ldCoord;
    if (s.keyed()) {
      if (!s.node(n, y)) return !(c.lookupFailed = true);
      x = y;
    }
    Real d;
    if (stamps.nodeCurrent(j)) {
      d = s.nodeDist[j - 1];
    } else {
      d = s.distanceTo(x);
      s.nodeDist[j - 1] = d;
      stamps.markNode(j);
      if (d < c.dmin) c.dmin = d, c.nearest = n;
    }
    m = std::min(m, d);
    RealPair xy;
    std::memcpy(&xy, x, sizeof xy);
    lxy = xy < lxy ? xy : lxy, hxy = hxy < xy ? xy : hxy;
    lz = std::min(lz, x[2]), hz = std::max(hz, x[2]);
  }
  addCandidate(s, f, m, c);
  const RealPair wxy = (hxy - lxy) * (hxy - lxy);
  const Real wz = hz - lz;
  c.keepBoxed(f, wxy[0] + wxy[1] + wz * wz, m);
  // The gap between the point and the box along each axis: std::max(std::max(lo - p, p - hi), 0).
  RealPair pxy;
  std::memcpy(&pxy, s.p, sizeof pxy);
  const RealPair below = lxy - pxy, above = pxy - hxy, zero = {0.0, 0.0};
  RealPair gxy = below < above ? above : below;
  gxy = gxy < zero ? zero : gxy;
  gxy *= gxy;
  const Real gz = std::max(std::max(lz - s.p[2], s.p[2] - hz), 0.0);
  const Real d = std::sqrt(gxy[0] + gxy[1] + gz * gz) - allowance(s, f);
  if (d > s.bound[c.count - 1] && !hasBoundaryEdge(s, f)) s.bound[c.count - 1] = d;
  return true;
}

// The node the walk starts from; 0 for a previous contact that the surface does not hold.
Int walkStart(const Surface& s, Int kind, Int entity) {
  if (entity < 1) return 0;
  switch (kind) {
    case 1:
      if (!s.nodeValid(entity) || s.facetsAt(entity)[0] < 1 || !s.facetValid(s.facetsAt(entity)[1])) return 0;
      return s.facet(s.facetsAt(entity)[1])[7];
    case 2:
      return s.edge(entity)[1];
    default: {
      const Int f = kind == 5 ? entity / 10 : entity;
      return s.facetValid(f) ? s.facet(f)[7] : 0;
    }
  }
}

// The facets at node n that are not candidates yet join them; false on a failed lookup.
bool gatherFacetsAt(const Surface& s, zmx::contact::SearchStamps& stamps, Int n, Candidates& c) {
  const Int* at = s.facetsAt(n);
  for (Int k = 1; k <= at[0]; ++k) {
    const Int f = at[k];
    if (s.facetValid(f) && stamps.markFacet(f) && !measureAndAddBoxed(s, stamps, f, c)) return false;
  }
  return true;
}

// The bound of candidate f raised to its exact distance from the point (less the allowance) when
// it is flat: a triangle, or a 4-node facet flat to 1e-9 of its size, whose distance is its
// plane's when the foot on the plane lies within its four sides and otherwise that of the nearest
// of the four triangles of its corners, which cover it. Worked out only for candidates the loop
// reaches, and only as far as the caller asks: once a triangle lies within enough (less the
// allowance), the nearest one does too, and the rest are not measured; the bound returned is then
// that triangle's, within enough as the exact one is.
Real exactBound(const Surface& s, Int f, Real bound, const Real* x, Real enough) {
  if (!hullBounded(s, f) || hasBoundaryEdge(s, f)) return bound;
  const Real size = s.facetSize[f - 1];
  if (s.nodeCount(f) == 3) return std::max(bound, zmx::contact::triangleDistance(s.p, x, x + 3, x + 6) - allowance(s, f));
  using zmx::geometry::dot3;
  Real u[3], v[3], w[3], n[3];
  for (int k = 0; k < 3; ++k) u[k] = x[3 + k] - x[k], v[k] = x[6 + k] - x[k], w[k] = x[9 + k] - x[k];
  n[0] = u[1] * v[2] - u[2] * v[1], n[1] = u[2] * v[0] - u[0] * v[2], n[2] = u[0] * v[1] - u[1] * v[0];
  const Real area = std::sqrt(dot3(n, n));
  if (!(area > 0.0) || std::fabs(dot3(n, w)) > 1e-9 * size * area) return bound;
  Real d = -1.0;
  bool inside = true;
  for (int k = 0; k < 4 && inside; ++k) {
    const Real* a = x + 3 * k;
    const Real* b = x + 3 * ((k + 1) % 4);
    const Real side[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, to[3] = {s.p[0] - a[0], s.p[1] - a[1], s.p[2] - a[2]};
    const Real across[3] = {side[1] * to[2] - side[2] * to[1], side[2] * to[0] - side[0] * to[2], side[0] * to[1] - side[1] * to[0]};
    inside = dot3(across, n) >= 0.0;
  }
  if (inside) {
    const Real to[3] = {s.p[0] - x[0], s.p[1] - x[1], s.p[2] - x[2]};
    d = std::fabs(dot3(to, n)) / area;
  } else {
    static constexpr int kTriangles[4][3] = {{0, 1, 2}, {0, 2, 3}, {0, 1, 3}, {1, 2, 3}};
    for (int k = 0; k < 4; ++k) {
      const int* t = kTriangles[k];
      const Real e = zmx::contact::triangleDistance(s.p, x + 3 * t[0], x + 3 * t[1], x + 3 * t[2]);
      if (k == 0 || e < d) d = e;
      if (d - allowance(s, f) <= enough) break;
    }
  }
  return std::max(bound, d - allowance(s, f));
}

// Whether candidate f certainly lies within best and limit by its nearest node: no point of the
// facet that decides its distance lies farther than that node, up to rounding (1e-9 of the node's
// distance and the facet's extent, far above it), so its exact bound lies within them too.
bool withinByNode(const Surface& s, const Candidates& c, Int f, Real best, Real limit) {
  const Candidates::Boxed* b = c.boxedOf(f);
  if (b == nullptr) return false;
  const Real above = b->nearest + 1e-9 * (b->nearest + std::sqrt(b->span)) - allowance(s, f);
  return above <= best && above <= limit;
}

// The greedy walk: the facets at the current node become candidates, and the walk moves to the
// nearest node met until that stays where it is.
void walk(const Surface& s, zmx::contact::SearchStamps& stamps, Int kind, Int entity, Candidates& c) {
  for (Int node = walkStart(s, kind, entity); s.nodeValid(node);) {
    stamps.markGathered(s.entry(node));
    if (!gatherFacetsAt(s, stamps, node, c)) return;
    if (c.nearest == 0 || c.nearest == node) return;
    node = c.nearest;
  }
  c.nearest = 0;
}

// Every facet whose nodes all have a distance in NODE_DIST, bounded by the nearest of them.
void allFacets(const Surface& s, Candidates& c) {
  for (Int f = 1; f <= s.nfacet; ++f) {
    const Int* column = s.facet(f);
    Real m = kUnset;
    bool measured = true;
    for (Int k = 0; k < s.nodeCount(f) && measured; ++k) {
      const Int n = column[7 + k];
      measured = s.nodeValid(n) && s.nodeDist[s.entry(n) - 1] != kUnset;
      if (measured) m = std::min(m, s.nodeDist[s.entry(n) - 1]);
    }
    if (measured) addCandidate(s, f, m, c);
  }
}

// Without a previous contact: the deformable tree's facets that hold the point, else those of
// the nearest boxes; every node and facet when no tree is loaded.
void treeCandidates(const Surface& s, zmx::contact::SearchStamps& stamps, Candidates& c) {
  const Real records = 1.0;
  const Int one = 1, three = 3;
  Int found = 0, status = 0;
  for (const Int operation : {0, 2}) {
    found = 0;
    SHR_CONTACTSRCHDBDEFVSDEF(&operation, &records, &one, &one, s.p, &three, s.candidates, &found, &status);
    if (status != 0 || found > 0) break;
  }
  if (status == 0) {
    for (Int i = 0; i < found; ++i) {
      const Int f = s.candidates[i];
      if (s.facetValid(f)) measureAndAdd(s, stamps, f, c, true);
    }
    return;
  }
  for (Int n = s.offset + 1; n <= s.offset + s.nnode; ++n) nodeDistance(s, stamps, n, c, true);
  if (c.nearest == 0) return;
  allFacets(s, c);
}

// Without a previous contact in the keyed form: every node with a key, every facet whose nodes
// all have one.
void keyedCandidates(const Surface& s, zmx::contact::SearchStamps& stamps, Candidates& c) {
  s.guess = 1;
  for (Int n = s.offset + 1; n <= s.offset + s.nnode; ++n) {
    nodeDistance(s, stamps, n, c, true);
    if (c.lookupFailed) s.nodeDist[s.entry(n) - 1] = kUnset, c.lookupFailed = false;
  }
  if (c.nearest != 0) allFacets(s, c);
}

}  // namespace

namespace {

// ---- Projection onto the candidates -------------------------------------------------------------------

struct Projection {
  Logical found = kFalse;
  Real xi = 0, eta = 0, distance = 0, excess = kUnset, tangents[6] = {}, normal[3] = {}, foot[3] = {};
  Int corner = 0, status = 0;
};

Projection projectOnto(const Surface& s, Int f, const Real* x, Int nn) {
  Projection r;
  const Int three = 3;
  const Logical collapsed = toLogical(s.split && nn == 6), cylindrical = toLogical(s.cylindrical(f));
  CALPERPDISTTOSURF(x, &three, s.p, &r.xi, &r.eta, &nn, &s.extension, &r.found, &r.distance, r.tangents, s.name, 8,
                    r.normal, r.foot, &r.excess, &r.corner, &collapsed, &three, &cylindrical, s.angles(f), &r.status);
  return r;
}

// The projection of a candidate, again on its corner nodes when the facet has no normal (only for
// facets with middle nodes that are not cylindrical), with the facet messages.
Projection projectCandidate(const Surface& s, Int f, const Real* x, bool& retry) {
  const Int nn = s.nodeCount(f);
  Projection r = projectOnto(s, f, x, nn);
  retry = r.status != 0;
  if (!retry) return r;
  if (!s.quadratic || s.cylindrical(f)) {
    zmx::contact::facetMessage(s.facetElement[f - 1], s.name, false);
  } else {
    r = projectOnto(s, f, x, nn == 3 || nn == 6 ? 3 : 4);
    if (r.status != 0) zmx::contact::facetMessage(s.facetElement[f - 1], s.name, true);
  }
  return r;
}

// A foot beyond a local edge of the facet stands only across a boundary edge.
bool withinBoundary(const Surface& s, Int f, const Projection& r, bool retry) {
  const Int* column = s.facet(f);
  const Int edges = std::clamp<Int>(column[0], 0, 4);
  bool free[4] = {false, false, false, false};
  for (Int k = 1; k <= edges; ++k) free[k - 1] = s.boundaryEdge(column[2 + k]);
  const Real angle = s.cylindrical(f) ? s.angles(f)[0] : 0.0;
  return zmx::contact::footWithinBoundary(column[0], free, r.xi, r.eta, r.corner, retry, angle);
}

// ---- Edges, centres and internal edges ------------------------------------------------------------

struct Fallbacks {
  Real edgeDistance = kUnset, edgeS = 0.0;
  Int edge = 0, edgeFacet = 0;
  // Edges measured from a plain facet (not cylindrical, not split): measured again from the
  // facet on their other side they would give the same foot, which cannot replace the first.
  Int plainEdges[64];  // the first plainCount are set
  int plainCount = 0;
  bool measuredPlain(Int e) const {
    for (int k = 0; k < plainCount; ++k) {
      if (plainEdges[k] == e) return true;
    }
    return false;
  }
  Real centreDistance = kUnset;
  Int centreFacet = 0;
  Real internalDistance = kUnset, internalT = 0.0;
  Int internalCode = 0;
};

Real distanceAlong(const Surface& s, const Real* a, const Real* b, Real t, Real* q) {
  for (int i = 0; i < 3; ++i) q[i] = a[i] + t * (b[i] - a[i]);
  return s.distanceTo(q);
}

// One edge of a facet as measured: its node coordinates, whether it is curved (an arc of a
// cylindrical facet) and its angle pair.
struct EdgeNodes {
  Real y[9];  // the first 3 x count are written before they are read
  Int count = 0;  // 2 or 3
  Logical curved = kFalse;
  Real pair[2] = {0.0, 0.0};
};

// Nodes of edge e of facet f (local edge j, 0 when unknown); false on a failed lookup. A third row
// that names no node leaves a straight 2-node edge.
bool gatherEdge(const Surface& s, Int f, Int j, Int e, EdgeNodes& g) {
  const Int* row = s.edge(e);
  const Int wanted = s.cylindrical(f) || s.quadratic ? 3 : 2;
  Int labels[3] = {0, 0, 0};
  g.count = 0;
  for (Int k = 1; k <= wanted; ++k) {
    const Int n = row[k];
    if (s.entry(n) < 1) continue;
    if (!s.node(n, g.y + 3 * g.count)) return false;
    labels[g.count++] = n;
  }
  g.curved = kFalse;
  g.pair[0] = g.pair[1] = 0.0;
  if (s.cylindrical(f) && (j == 0 || j == 2 || j == 4)) {
    const Int one = 1, nn = s.nodeCount(f);
    SHR_GETCYLEDGEANGLES(s.facet(f) + 7, &one, &nn, labels, &one, &g.count, s.angles(f), g.pair, &g.curved);
  }
  return true;
}

struct EdgeFoot {
  bool found = false;
  Real distance = kUnset, s = 0.0;
};

EdgeFoot footOnSegment(const Surface& s, const Real* a, const Real* b, Real t, Real scale, Real shift) {
  Real q[3];
  return {true, distanceAlong(s, a, b, t, q), shift + scale * t};
}

// The foot of the point on an edge within the form's windows.
EdgeFoot measureEdge(const Surface& s, const EdgeNodes& g, bool boundary, bool halves) {
  const Windows& w = s.windows();
  const bool search = s.form != Form::kNoSearch;
  if (halves) {
    const Real s1 = zmx::contact::segmentParameter(s.p, g.y, g.y + 3);
    if (s1 <= 1.0 && s1 >= (boundary ? w.halfLowBoundary : w.halfLowShared)) return footOnSegment(s, g.y, g.y + 3, s1, 0.5, 0.0);
    const Real s2 = zmx::contact::segmentParameter(s.p, g.y + 3, g.y + 6);
    if (s2 >= w.halfLowShared && s2 <= (boundary ? w.halfHighBoundary : w.halfHighShared))
      return footOnSegment(s, g.y + 3, g.y + 6, s2, 0.5, 0.5);
    return {};
  }
  if (g.count == 3 && (s.quadratic || isTrueLowBit(g.curved))) {
    Real roots[3] = {}, distances[3] = {}, lengthTolerance = 0.0;
    Int feet = 0;
    Logical hit = kFalse;
    const Logical straight = toLogical(!s.quadratic), plane = kFalse, filter = kTrue;
    FNDPERPDISTTOCURVE(g.y, s.p, roots, &feet, &straight, &w.curveTolerance, &plane, &filter, &g.curved, g.pair, &hit);
    if (!isTrueLowBit(hit) || feet < 1) return {};
    feet = std::min<Int>(feet, 3);
    GETPERPDISTTOCURVE(g.y, s.p, roots, &feet, distances, &w.curveTolerance, &lengthTolerance, &straight, &plane,
                       &g.curved, g.pair);
    EdgeFoot r{true, std::fabs(distances[0]), roots[0]};
    for (Int i = 1; i < feet; ++i) {
      if (std::fabs(distances[i]) < r.distance) r.distance = std::fabs(distances[i]), r.s = roots[i];
    }
    if (search && !boundary) {
      const Real end = isTrueLowBit(g.curved) && std::fabs(g.pair[0]) > kEps ? g.pair[0] : 1.0;
      r.found = r.s >= 0.0 && r.s <= end;
    }
    return r;
  }
  const Real t = zmx::contact::segmentParameter(s.p, g.y, g.y + 3);
  if (!(t >= w.straightLow && t <= w.straightHigh)) return {};
  EdgeFoot r = footOnSegment(s, g.y, g.y + 3, t, 1.0, 0.0);
  if (search && !boundary) r.found = t >= 0.0 && t <= 1.0;
  return r;
}

// Centre, internal edges and edges of a facet onto which no projection fell; false on a failed lookup.
bool measureFallbacks(const Surface& s, Int f, const Real* x, Fallbacks& r) {
  const Int* column = s.facet(f);
  const bool splitFacet = s.split && s.nodeCount(f) == 6;
  if (splitFacet) {
    Real c[3];
    zmx::contact::centreOf(x, c);
    const Real d = s.distanceTo(c);
    if (d + kEps < r.centreDistance) r.centreDistance = d, r.centreFacet = f;
    for (int k = 4; k <= 6; ++k) {
      const Real* xk = x + 3 * (k - 1);
      const Real t = zmx::contact::segmentParameter(s.p, c, xk);
      if (!(t >= s.windows().internalLow && t <= s.windows().internalHigh)) continue;
      Real q[3];
      const Real dk = distanceAlong(s, c, xk, t, q);
      if (dk + kEps < r.internalDistance) r.internalDistance = dk, r.internalT = t, r.internalCode = 10 * f + k;
    }
  }
  const bool plain = !splitFacet && !s.cylindrical(f);
  for (Int j = 1; j <= column[0]; ++j) {
    const Int e = column[2 + j];
    if (plain) {
      if (r.measuredPlain(e)) continue;
      if (r.plainCount < 64) r.plainEdges[r.plainCount++] = e;
    }
    EdgeNodes g;
    if (!gatherEdge(s, f, j, e, g)) return false;
    if (g.count < 2) continue;
    const EdgeFoot foot = measureEdge(s, g, s.boundaryEdge(e), splitFacet && g.count == 3);
    if (foot.found && foot.distance + kEps < r.edgeDistance) {
      r.edgeDistance = foot.distance, r.edgeS = foot.s, r.edge = e, r.edgeFacet = f;
    }
  }
  return true;
}

// ---- Results ---------------------------------------------------------------------------------------------

struct Output {
  Real* result;   // PROJ_RESULT, 15 reals
  void* state;    // NODE_STATE: slots 16-19
  Int* kind;
  Int* entity;
  Int* count;     // null for the form without a count
  Logical* lookupFailed;  // null for RSLID_SURFACE
  Real& at(int k) const { return result[k - 1]; }
  void slot(int k, Int v) const { rec::setSlotI(state, k, v); }
  // The contact handed back; the form without a search hands none back.
  void contact(Int k, Int e) const {
    if (kind != nullptr) *kind = k, *entity = e;
  }
  void clear() const {
    for (int k = 1; k <= 15; ++k) at(k) = 0.0;
    for (int k = kSlotKind; k <= kSlotRetry; ++k) slot(k, 0);
  }
  // Nothing found: the cleared result with no distance, no contact.
  void nothing() const {
    clear();
    at(13) = -kUnset;
    contact(0, 0);
    if (count != nullptr) *count = 0;
    if (lookupFailed != nullptr) *lookupFailed = kFalse;
  }
  bool failed() const {
    if (lookupFailed != nullptr) *lookupFailed = kTrue;
    return false;
  }
};

// The direction rule: positions 4-6 the unit direction from the result point X to the point, turned
// to the side of the entity's normal n, and the distance D negative on that side; the normal and +D
// when the point lies on the entity. Returns whether the direction had a length.
bool directionRule(const Surface& s, const Output& o, const Real* x, const Real* n, Real d) {
  Real v[3] = {s.p[0] - x[0], s.p[1] - x[1], s.p[2] - x[2]};
  const Int three = 3;
  Int status = 0;
  ANORM(v, &three, &status);
  if (status != 0) {
    for (int i = 0; i < 3; ++i) o.at(4 + i) = n[i];
    o.at(13) = d;
    return false;
  }
  const bool along = n[0] * v[0] + n[1] * v[1] + n[2] * v[2] >= 0.0;
  for (int i = 0; i < 3; ++i) o.at(4 + i) = along ? v[i] : -v[i];
  o.at(13) = along ? -d : d;
  return true;
}

Real normalComponent(const Surface& s, const Real* x, const Real* n) {
  return n[0] * (s.p[0] - x[0]) + n[1] * (s.p[1] - x[1]) + n[2] * (s.p[2] - x[2]);
}

// Onto the surface extended across its boundary: the foot P - a n, distance -a along n.
void extendedFoot(const Surface& s, const Output& o, const Real* n, Real a) {
  for (int i = 0; i < 3; ++i) o.at(4 + i) = n[i], o.at(1 + i) = s.p[i] - a * n[i];
  o.at(13) = -a;
}

// Whether the point lies within the extension h x EXTENSION of a boundary entity at distance d.
bool withinExtension(const Surface& s, Real d, Real a, Real h) { return std::sqrt(std::fabs(d * d - a * a)) <= h * s.extension; }

void faceResult(const Output& o, const zmx::contact::FaceRecord& face) {
  for (int i = 0; i < 3; ++i) o.at(1 + i) = face.foot[i], o.at(4 + i) = face.normal[i];
  for (int i = 0; i < 6; ++i) o.at(7 + i) = face.tangents[i];
  o.at(13) = face.distance, o.at(14) = face.xi, o.at(15) = face.eta;
  o.slot(kSlotKind, 3), o.slot(kSlotEntity, face.facet), o.slot(kSlotCorner, face.sub), o.slot(kSlotRetry, face.failed ? 1 : 0);
  o.contact(3, face.facet);
}

}  // namespace

namespace {

// The point on edge e at parameter t (an angle along a curved edge) and the edge's normal there;
// false on a failed lookup or a failure of the keyed normal.
bool edgePointAndNormal(const Surface& s, Int f, Int e, Real t, Real* x, Real* n) {
  EdgeNodes g;
  if (!gatherEdge(s, f, 0, e, g)) return false;
  const Int three = 3;
  const Logical halves = toLogical(s.split && s.nodeCount(f) == 6 && g.count == 3);
  const Logical straight = toLogical(!s.quadratic || g.count < 3);
  COORDS_ON_EDGE(x, &t, g.y, &halves, &straight, &g.curved, g.pair, &three);
  const Int* row = s.edge(e);
  const Int f1 = s.facetValid(s.edgeFacets[2LL * (e - 1)]) ? s.edgeFacets[2LL * (e - 1)] : f;
  const Int second = s.edgeFacets[2LL * (e - 1) + 1];
  const Int f2 = s.facetValid(second) ? second : f1;  // a free edge passes its first record, unread
  const Int kind1 = s.facetKind[f1 - 1], kind2 = s.facetKind[f2 - 1], facets = row[0];
  const Logical sub = toLogical(s.split);
  if (!s.keyed()) {
    NORMAL_ON_EDGE(row + 1, &t, s.facet(f1), s.facet(f2), &sub, s.coords, &s.ldCoord, &s.offset, n, &facets, &kind1,
                   s.angles(f1), &kind2, s.angles(f2));
    return true;
  }
  Logical failed = kFalse;
  NORMAL_ON_EDGE_B(row + 1, &t, s.facet(f1), s.facet(f2), &sub, s.coords, &s.ldCoord, n, s.nodeKey, s.keyList,
                   s.keyColumn, &s.nkey, &failed, &facets, &kind1, s.angles(f1), &kind2, s.angles(f2));
  return !isTrueLowBit(failed);
}

// The vertex normal and the mean size of the node's facets; false on a failed keyed normal.
bool vertexNormal(const Surface& s, Int node, Real* n, Real* mean) {
  const Logical sub = toLogical(s.split);
  if (!s.keyed()) {
    const Logical cylinders = kTrue;
    NORMAL_ON_VERTEX(s.facetsAt(node), s.facetTable, &s.ldFacet, &sub, s.coords, &s.ldCoord, &s.offset, n,
                     s.facetSize, mean, &cylinders, s.facetKind, s.facetAngles);
    return true;
  }
  Logical failed = kFalse;
  NORMAL_ON_VERTEX_B(s.facetsAt(node), s.facetTable, &s.ldFacet, &sub, s.coords, &s.ldCoord, n, s.nodeKey,
                     s.keyList, s.keyColumn, &s.nkey, &failed, s.facetSize, mean, s.facetKind, s.facetAngles);
  return !isTrueLowBit(failed);
}

// What a boundary entity beyond the extension leaves: no distance, no contact, the count reset;
// RSLID_SURFACE may keep the entity.
void beyondExtension(const Output& o, bool keep, Int kind, Int entity) {
  o.at(13) = -kUnset;
  o.slot(kSlotKind, 0), o.slot(kSlotEntity, 0);
  if (o.count != nullptr) *o.count = 0;
  if (keep) o.contact(kind, entity);
}

bool edgeResult(const Surface& s, const Output& o, Int f, Int e, Real t, Real d, bool keep) {
  o.at(14) = t;
  o.slot(kSlotKind, 2), o.slot(kSlotEntity, e);
  Real x[3], n[3];
  if (!edgePointAndNormal(s, f, e, t, x, n)) return o.failed();
  for (int i = 0; i < 3; ++i) o.at(1 + i) = x[i];
  const Real a = normalComponent(s, x, n);
  if (directionRule(s, o, x, n, d) && s.boundaryEdge(e)) {
    const Int f1 = s.facetValid(s.edgeFacets[2LL * (e - 1)]) ? s.edgeFacets[2LL * (e - 1)] : f;
    if (s.form != Form::kNoSearch && !withinExtension(s, d, a, s.facetSize[f1 - 1])) {
      o.at(14) = 0.0;
      beyondExtension(o, keep, 2, e);
      if (keep) o.at(14) = t;
      return true;
    }
    extendedFoot(s, o, n, a);
  }
  o.contact(2, e);
  return true;
}

bool vertexResult(const Surface& s, const Output& o, Int node, Real d, bool keep) {
  o.slot(kSlotKind, 1), o.slot(kSlotEntity, node);
  Real x[3], n[3], h = 0.0;
  if (!s.node(node, x) || !vertexNormal(s, node, n, &h)) return o.failed();
  for (int i = 0; i < 3; ++i) o.at(1 + i) = x[i];
  const Real a = normalComponent(s, x, n);
  if (directionRule(s, o, x, n, d) && s.freeVertex(node)) {
    if (s.form != Form::kNoSearch && !withinExtension(s, d, a, h)) {
      beyondExtension(o, keep, 1, node);
      return true;
    }
    extendedFoot(s, o, n, a);
  }
  o.contact(1, node);
  return true;
}

// Centre (t < 0) or internal edge (code = 10 x facet + midside node k, t from the centre).
bool splitResult(const Surface& s, const Output& o, Int code, Real t, Real d, bool centre) {
  const Int f = centre ? code : code / 10, k = centre ? 4 : code - 10 * f;
  Real x[27], c[3], q[3], n[3];
  if (!s.facetNodes(f, x)) return o.failed();
  zmx::contact::centreOf(x, c);
  const Real* xk = x + 3 * (k - 1);
  for (int i = 0; i < 3; ++i) q[i] = centre ? c[i] : (1.0 - t) * c[i] + t * xk[i];
  const Int sub = centre ? 1 : k - 3, three = 3;
  const Real xi = 1.0, eta = centre ? 1.0 : 1.0 - 2.0 * t;
  Int status = 0;
  NORMALONINTERNALEDGE(&sub, &xi, &eta, x, &three, n, &status);
  if (!centre) o.at(14) = t;
  o.slot(kSlotKind, centre ? 4 : 5), o.slot(kSlotEntity, code);
  for (int i = 0; i < 3; ++i) o.at(1 + i) = q[i];
  directionRule(s, o, q, n, d);
  o.contact(centre ? 4 : 5, code);
  return true;
}

// The searching forms: candidates, projections, fall-backs and the final choice.
void search(const Surface& s, const Output& o, Int kind, Int entity, bool keep) {
  if (!pointSet(s.p)) return o.nothing();
  zmx::contact::SearchStamps& stamps = zmx::contact::rigidSearchStamps();
  stamps.begin(s.nnode, s.nfacet);
  Candidates c;
  if (kind != 0) {
    walk(s, stamps, kind, entity, c);
  } else if (s.form == Form::kSearch) {
    treeCandidates(s, stamps, c);
  } else {
    keyedCandidates(s, stamps, c);
  }
  if (c.lookupFailed) return (void)o.failed();
  if (c.count == 0 || c.nearest == 0) return o.nothing();

  const Int one = 1;
  Int status = 0;
  ASORT4(s.bound, s.candidates, &one, &c.count, &status);

  // The candidates first .. end - 1 in order of their bounds, up to the best distance so far and
  // the cut-off; after a walk a flat candidate is passed by when its exact distance lies beyond
  // them. False on a failed lookup.
  zmx::contact::FaceRecord face;
  Fallbacks fb;
  Real best = c.dmin;
  const auto cutOff = [&] { return std::min(3.0 * c.dmin, c.dmin + 0.25 * s.surfaceSize); };
  const auto examine = [&](Int first, Int end) {
    const Real limit = cutOff();
    best = std::min(best, c.dmin);
    for (Int i = first; i < end; ++i) {
      const Real b = s.bound[i];
      const Int f = s.candidates[i];
      if (b > best || b > limit) break;
      Real x[27];  // the facet's 3 x nn coordinates
      if (!s.facetNodes(f, x)) return false;
      if (kind != 0 && !withinByNode(s, c, f, best, limit)) {
        const Real exact = exactBound(s, f, b, x, std::min(best, limit));
        if (exact > best || exact > limit) continue;
      }
      bool retry = false;
      const Projection pr = projectCandidate(s, f, x, retry);
      bool found = isTrueLowBit(pr.found);
      if (found && pr.excess > 0.001) found = withinBoundary(s, f, pr, retry);
      if (!found) {
        if (!measureFallbacks(s, f, x, fb)) return false;
        continue;
      }
      best = std::min(best, std::fabs(pr.distance));
      if (!zmx::contact::replaces(face, pr.distance, pr.excess, retry)) continue;
      face.distance = pr.distance, face.g = pr.excess, face.xi = pr.xi, face.eta = pr.eta, face.facet = f;
      face.sub = pr.corner, face.failed = retry;
      std::memcpy(face.foot, pr.foot, sizeof face.foot);
      std::memcpy(face.normal, pr.normal, sizeof face.normal);
      std::memcpy(face.tangents, pr.tangents, sizeof face.tangents);
      if (std::fabs(pr.distance) < kEps && pr.excess < kEps) break;
    }
    return true;
  };
  if (!examine(0, c.count)) return (void)o.failed();
  if (kind != 0) {
    // After a walk, the facets it passed by that could still give a nearer answer. The facets
    // within reach of the answer found need not hang together: on the concave side of an edge the
    // walk can end on the one face while the point lies nearer to the other. The two faces join
    // at the edge, which lies within sqrt(2) of the reach when they meet at a right angle or
    // flatter, and so does every facet and side on the way from the one foot to the other: the
    // spread goes across the sides within that distance of the facets within it (by their bounds,
    // which never exceed their distances); a curved facet opens at all its nodes.
    const Real faceReach = std::fabs(face.distance);
    const Real reach = std::min({faceReach, fb.edgeDistance, c.dmin, fb.centreDistance, fb.internalDistance});
    const Real spread = std::sqrt(2.0) * reach * (1.0 + 1e-9);
    const auto openings = [&](Int i, Int* nodes) -> Int {
      if (!(s.bound[i] <= spread)) return 0;
      const Int f = s.candidates[i], nn = s.nodeCount(f);
      const Int* column = s.facet(f);
      Real distances[4];
      long long entries[4];
      bool measured = hullBounded(s, f);
      for (Int k = 0; k < nn && measured; ++k) {
        measured = s.nodeValid(column[7 + k]);
        if (measured) entries[k] = s.entry(column[7 + k]), distances[k] = s.nodeDist[entries[k] - 1];
      }
      if (!measured) {
        std::copy_n(column + 7, nn, nodes);
        return nn;
      }
      // A side opens at its nearer end, so one whose nearer end is gathered already needs no test.
      // The others open as in sidesWithinMask: at once with an end within reach, never with the
      // nearer end beyond the side clearance (formed for the first side that needs it), else by
      // the side's own distance (the corners were looked up when the facet was measured).
      Int count = 0;
      Real clear = -1.0;
      for (Int k = 0; k < nn; ++k) {
        const Int next = k + 1 == nn ? 0 : k + 1, end = distances[k] <= distances[next] ? k : next;
        if (stamps.gatheredCurrent(entries[end])) continue;
        const Real nearer = std::min(distances[k], distances[next]);
        if (nearer > spread) {
          if (clear < 0.0) clear = zmx::contact::sideClearance(spread, c.spanOf(f));
          if (nearer * nearer > clear) continue;
          Real a[3], b[3];
          s.node(column[7 + k], a), s.node(column[7 + next], b);
          if (!zmx::contact::sideWithin(s.p, a, b, spread)) continue;
        }
        nodes[count++] = column[7 + end];
      }
      return count;
    };
    const Int first =
        zmx::contact::spreadWithin(s, stamps, c, openings, [&](Int n) { return gatherFacetsAt(s, stamps, n, c); });
    if (c.lookupFailed) return (void)o.failed();
    // Most of them lie beyond the answer: only the others are ordered and examined.
    Int kept = zmx::contact::keepWithin(s.bound, s.candidates, first, c.count, std::min({best, c.dmin, cutOff()}));
    c.count = first + kept;
    if (kept > 0) {
      ASORT4(s.bound + first, s.candidates + first, &one, &kept, &status);
      if (!examine(first, first + kept)) return (void)o.failed();
    }
  }

  o.clear();
  o.contact(0, 0);
  ++*o.count;
  if (o.lookupFailed != nullptr) *o.lookupFailed = kFalse;
  const Real tau = s.surfaceSize * kEps, df = std::fabs(face.distance);
  const Real de = fb.edgeDistance, dv = c.dmin, dc = fb.centreDistance, di = fb.internalDistance;
  if (df <= di + tau && df <= dc + tau && df <= dv + tau && df <= de + tau) return faceResult(o, face);
  if (de <= di && de <= dc && de <= dv && de <= df) return (void)edgeResult(s, o, fb.edgeFacet, fb.edge, fb.edgeS, de, keep);
  if (dv <= di && dv <= dc && dv <= de && dv <= df) return (void)vertexResult(s, o, c.nearest, dv, keep);
  if (di <= dc && di <= de && di <= dv && di <= df)
    return (void)splitResult(s, o, fb.internalCode, fb.internalT, di, false);
  if (dc <= di && dc <= de && dc <= dv && dc <= df) return (void)splitResult(s, o, fb.centreFacet, 0.0, dc, true);
}

// The form without a search: the named entity alone; false on a failed lookup.
bool evaluate(const Surface& s, const Output& o, Int kind, Int entity) {
  if (!pointSet(s.p) || entity < 1) return true;
  Real x[27] = {};
  switch (kind) {
    case 1:
      if (!s.nodeValid(entity)) return true;
      if (!s.node(entity, x)) return false;
      return vertexResult(s, o, entity, s.distanceTo(x), false);
    case 2: {
      const Int f = s.edgeFacets[2LL * (entity - 1)];
      if (!s.facetValid(f)) return true;
      EdgeNodes g;
      if (!gatherEdge(s, f, 0, entity, g)) return false;
      if (g.count < 2) return true;
      const EdgeFoot foot = measureEdge(s, g, s.boundaryEdge(entity), s.split && s.nodeCount(f) == 6 && g.count == 3);
      return !foot.found || edgeResult(s, o, f, entity, foot.s, foot.distance, false);
    }
    case 3: {
      if (!s.facetValid(entity)) return true;
      if (!s.facetNodes(entity, x)) return false;
      bool retry = false;
      const Projection pr = projectCandidate(s, entity, x, retry);
      if (!isTrueLowBit(pr.found)) return true;
      zmx::contact::FaceRecord face;
      face.distance = pr.distance, face.g = pr.excess, face.xi = pr.xi, face.eta = pr.eta, face.facet = entity;
      face.sub = pr.corner, face.failed = retry;
      std::memcpy(face.foot, pr.foot, sizeof face.foot);
      std::memcpy(face.normal, pr.normal, sizeof face.normal);
      std::memcpy(face.tangents, pr.tangents, sizeof face.tangents);
      faceResult(o, face);
      return true;
    }
    case 4:
    case 5: {
      const Int f = kind == 4 ? entity : entity / 10, k = entity - 10 * f;
      if (!s.facetValid(f) || s.nodeCount(f) != 6 || (kind == 5 && (k < 4 || k > 6))) return true;
      if (!s.facetNodes(f, x)) return false;
      Real c[3], q[3];
      zmx::contact::centreOf(x, c);
      if (kind == 4) return splitResult(s, o, f, 0.0, s.distanceTo(c), true);
      const Real t = zmx::contact::segmentParameter(s.p, c, x + 3 * (k - 1));
      if (!(t >= s.windows().internalLow && t <= s.windows().internalHigh)) return true;
      return splitResult(s, o, entity, t, distanceAlong(s, c, x + 3 * (k - 1), t, q), false);
    }
    default:
      return true;
  }
}

}  // namespace

namespace {

// The surface name as messages print it: 8 characters, blank-padded or cut from the caller's field.
struct Name8 {
  char text[8];
  Name8(const char* name, Int length) {
    if (name != nullptr && length >= 8) {
      std::memcpy(text, name, 8);
      return;
    }
    for (Int k = 0; k < 8; ++k) text[k] = name != nullptr && k < length ? name[k] : ' ';
  }
};

}  // namespace

extern "C" {

void RSLID_SURFACE(const Int* NFACET, const Int* FACET_ELEMENT, const Int* FACET_TABLE, const Int* LDFACET,
                   const Int* EDGE_TABLE, const Int* EDGE_FACETS, const Int* NODE_FACETS, const Int* FREE_VERTICES,
                   const Int* NFREE_VERTICES, const Real* FACET_SIZE, const Real* SURFACE_SIZE, const Int* NNODE,
                   const Int* NODE_OFFSET, const Int*, const Int* LDNODEFAC, const Real* POINT, const Real* COORDS,
                   const Int* LDCOORD, Real* NODE_DIST, Real* CAND_BOUND, Int* CAND_FACET, void* NODE_STATE,
                   Real* PROJ_RESULT, const Int* SPLIT_T6, const Int* QUADRATIC, const char* SURFACE_NAME,
                   Int NAMELEN, Int* CONTACT_KIND, Int* CONTACT_ENTITY, Int* CONTACT_COUNT, const Real* EXTENSION,
                   const Logical* KEEP_BOUNDARY, const Int* FACET_KIND, const Real* FACET_ANGLES) {
  const Name8 name(SURFACE_NAME, NAMELEN);
  const Surface s{Form::kSearch, *NFACET,    FACET_ELEMENT, FACET_TABLE, *LDFACET,   EDGE_TABLE,   EDGE_FACETS,
                  NODE_FACETS,   *LDNODEFAC, FREE_VERTICES, *NFREE_VERTICES, FACET_SIZE, *SURFACE_SIZE, *NNODE,
                  *NODE_OFFSET,  POINT,      COORDS,        *LDCOORD,    NODE_DIST,  CAND_BOUND,   CAND_FACET,
                  *SPLIT_T6 == 1, *QUADRATIC != 0, name.text, *EXTENSION, FACET_KIND, FACET_ANGLES};
  const Output o{PROJ_RESULT, NODE_STATE, CONTACT_KIND, CONTACT_ENTITY, CONTACT_COUNT, nullptr};
  search(s, o, *CONTACT_KIND, *CONTACT_ENTITY, isTrueLowBit(*KEEP_BOUNDARY));
}

void RSLID_SURFACE_B(const Int* NFACET, const Int* FACET_ELEMENT, const Int* FACET_TABLE, const Int* LDFACET,
                     const Int* EDGE_TABLE, const Int* EDGE_FACETS, const Int* NODE_FACETS, const Int* FREE_VERTICES,
                     const Int* NFREE_VERTICES, const Real* FACET_SIZE, const Real* SURFACE_SIZE, const Int* NNODE,
                     const Int* NODE_OFFSET, const Int*, const Int* LDNODEFAC, const Real* POINT, const Real* COORDS,
                     const Int* LDCOORD, Real* NODE_DIST, Real* CAND_BOUND, Int* CAND_FACET, void* NODE_STATE,
                     Real* PROJ_RESULT, const Int* SPLIT_T6, const Int* QUADRATIC, const char* SURFACE_NAME,
                     Int NAMELEN, Int* CONTACT_KIND, Int* CONTACT_ENTITY, Int* CONTACT_COUNT, const Real* EXTENSION,
                     const Int* NODE_KEY, const Int* KEY_LIST, const Int* KEY_COLUMN, const Int* NKEY,
                     Logical* LOOKUP_FAILED, const Int* FACET_KIND, const Real* FACET_ANGLES) {
  const Name8 name(SURFACE_NAME, NAMELEN);
  Surface s{Form::kKeyed, *NFACET,    FACET_ELEMENT, FACET_TABLE, *LDFACET,   EDGE_TABLE,   EDGE_FACETS,
            NODE_FACETS,  *LDNODEFAC, FREE_VERTICES, *NFREE_VERTICES, FACET_SIZE, *SURFACE_SIZE, *NNODE,
            *NODE_OFFSET, POINT,      COORDS,        *LDCOORD,    NODE_DIST,  CAND_BOUND,   CAND_FACET,
            *SPLIT_T6 == 1, *QUADRATIC != 0, name.text, *EXTENSION, FACET_KIND, FACET_ANGLES};
  s.nodeKey = NODE_KEY, s.keyList = KEY_LIST, s.keyColumn = KEY_COLUMN, s.nkey = *NKEY;
  const Output o{PROJ_RESULT, NODE_STATE, CONTACT_KIND, CONTACT_ENTITY, CONTACT_COUNT, LOOKUP_FAILED};
  o.clear();
  o.at(13) = -kUnset;
  *LOOKUP_FAILED = kTrue;
  search(s, o, *CONTACT_KIND, *CONTACT_ENTITY, false);
}

void RSLID_SURFACE_NOSEARCH(const Int* NFACET, const Int* FACET_ELEMENT, const Int* FACET_TABLE, const Int* LDFACET,
                            const Int* EDGE_TABLE, const Int* EDGE_FACETS, const Int* NODE_FACETS,
                            const Int* FREE_VERTICES, const Int* NFREE_VERTICES, const Real* FACET_SIZE, const Int*,
                            const Int* LDNODEFAC, const Real* POINT, const Real* COORDS, const Int* LDCOORD,
                            void* NODE_STATE, Real* PROJ_RESULT, const Int* SPLIT_T6, const Int* QUADRATIC,
                            const char* SURFACE_NAME, Int NAMELEN, const Int* CONTACT_KIND, const Int* CONTACT_ENTITY,
                            const Int* NODE_KEY, const Int* KEY_LIST, const Int* KEY_COLUMN, const Int* NKEY,
                            const Real* EXTENSION, Logical* LOOKUP_FAILED, const Int* FACET_KIND,
                            const Real* FACET_ANGLES) {
  const Name8 name(SURFACE_NAME, NAMELEN);
  // No node count here: any positive node number may be looked up through its key.
  Surface s{Form::kNoSearch, *NFACET,    FACET_ELEMENT, FACET_TABLE, *LDFACET,  EDGE_TABLE, EDGE_FACETS,
            NODE_FACETS,     *LDNODEFAC, FREE_VERTICES, *NFREE_VERTICES, FACET_SIZE, 0.0, 2147483647,
            0,               POINT,      COORDS,        *LDCOORD,   nullptr,   nullptr,    nullptr,
            *SPLIT_T6 == 1,  *QUADRATIC != 0, name.text, *EXTENSION, FACET_KIND, FACET_ANGLES};
  s.nodeKey = NODE_KEY, s.keyList = KEY_LIST, s.keyColumn = KEY_COLUMN, s.nkey = *NKEY;
  const Output o{PROJ_RESULT, NODE_STATE, nullptr, nullptr, nullptr, LOOKUP_FAILED};
  o.clear();
  o.at(13) = -kUnset;
  *LOOKUP_FAILED = kTrue;
  *LOOKUP_FAILED = toLogical(!evaluate(s, o, *CONTACT_KIND, *CONTACT_ENTITY));
}

}  // extern "C"
