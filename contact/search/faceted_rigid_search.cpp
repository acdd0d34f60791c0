// The closest contact of one slave point on a faceted rigid surface: candidate facets from the
// search tree (or a walk from the previous contact), bounded and sorted; projection onto them in
// order; edges, the centre and the internal edges of split 6-node triangles where no projection
// falls on a facet; then the nearest of face, edge, vertex, internal edge and centre, with the
// surface extended by a fraction of the facet size at its boundary.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "contact/search/search_core.h"
#include "contact/search/search_stamps.h"
#include "geometry/facets/facet_properties.h"
#include "geometry/normals/edge_vertex_normals.h"
#include "runtime/record.h"
#include "siblings/eqc/eqc_messages.h"
#include "zmx/contact/search.h"
#include "zmx/geometry/normals.h"
#include "zmx/geometry/projection.h"
#include "zmx/numerics/sorting.h"

namespace zmx::contact {

namespace {
constinit SearchStamps* gStamps = nullptr;
}  // namespace

SearchStamps& rigidSearchStamps() {
  if (gStamps == nullptr) gStamps = new SearchStamps();
  return *gStamps;
}

void releaseRigidSearchStamps() {
  delete gStamps;
  gStamps = nullptr;
}

}  // namespace zmx::contact

namespace {

constexpr Real kUnset = 1e36;
constexpr Real kEps = 2.22e-16;
constexpr Real kTiny = 1e-36;

// The surface and the point of one search.
struct Search {
  Int nfacet;
  const Int* facetElement;
  const Int* facetTable;
  Int ldFacet;
  const Int* edgeTable;
  Int ldEdge;
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
  Int dim;
  Real* nodeDistance;
  Real* bound;
  Int* candidates;
  bool split;
  bool quadratic;
  const char* name;
  Real extension;
  const Real* searchDb;
  const Real* disp;
  Real dispScale;
  bool useDisp;
  // Three coordinates a node, not displaced: the common case, read without the general steps.
  bool plain = dim == 3 && !useDisp;

  const Int* facet(Int f) const { return facetTable + static_cast<long long>(f - 1) * ldFacet; }
  const Int* edge(Int e) const { return edgeTable + static_cast<long long>(e - 1) * ldEdge; }
  const Int* facetsAt(Int n) const { return nodeFacets + static_cast<long long>(n - 1) * ldNodeFacets; }
  bool nodeValid(Int n) const { return n - static_cast<long long>(offset) >= 1 && n - static_cast<long long>(offset) <= nnode; }
  bool facetValid(Int f) const { return f >= 1 && f <= nfacet; }

  // The coordinates of node n (3 values, z 0 in two dimensions), displaced when asked.
  void node(Int n, Real* x) const {
    const long long j = static_cast<long long>(n) - offset;
    if (j < 1 || j > nnode) {
      x[0] = x[1] = x[2] = 0.0;
      return;
    }
    const Real* at = coords + (j - 1) * dim;
    if (plain) {
      x[0] = at[0], x[1] = at[1], x[2] = at[2];
      return;
    }
    x[0] = at[0], x[1] = dim > 1 ? at[1] : 0.0, x[2] = dim > 2 ? at[2] : 0.0;
    if (!useDisp) return;
    const Real* by = disp + (j - 1) * dim;
    for (Int i = 0; i < dim; ++i) x[i] += dispScale * by[i];
  }
  // Asks the memory for the coordinates of facet f's nodes.
  void prefetchNodes(Int f) const {
    const Int* column = facet(f);
    const Int nn = std::clamp<Int>(column[1], 0, 9);
    for (Int k = 0; k < nn; ++k) {
      const long long j = static_cast<long long>(column[7 + k]) - offset;
      if (j >= 1 && j <= nnode) __builtin_prefetch(coords + (j - 1) * dim);
    }
  }
  // The coordinates of facet f's nodes (3 rows a node, up to 9 nodes); returns their count.
  Int facetNodes(Int f, Real* x) const {
    const Int* column = facet(f);
    const Int nn = std::clamp<Int>(column[1], 0, 9);
    for (Int k = 0; k < nn; ++k) node(column[7 + k], x + 3 * k);
    return nn;
  }
  Real distanceTo(const Real* x) const {
    if (plain) return std::sqrt((p[0] - x[0]) * (p[0] - x[0]) + (p[1] - x[1]) * (p[1] - x[1]) + (p[2] - x[2]) * (p[2] - x[2]));
    Real s = 0.0;
    for (Int i = 0; i < dim; ++i) s += (p[i] - x[i]) * (p[i] - x[i]);
    return std::sqrt(s);
  }
};

// ---- Candidates ------------------------------------------------------------------------------------

struct Candidates {
  Int count = 0;
  Real dmin = kUnset;
  Int nearest = 0;
  Real firstBest = kUnset;  // the least face distance of a flat triangle that holds the foot
};

// The distance of node n (at x) from the point: this search's entry of NODE_DIST, else computed once.
[[gnu::always_inline]] inline Real nodeDistance(const Search& s, zmx::contact::SearchStamps& stamps, Int n, const Real* x,
                                                Candidates& c) {
  const long long j = static_cast<long long>(n) - s.offset;
  if (j < 1 || j > s.nnode) return kUnset;
  if (stamps.nodeCurrent(j)) return s.nodeDistance[j - 1];
  const Real d = s.distanceTo(x);
  s.nodeDistance[j - 1] = d;
  stamps.markNode(j);
  if (d < c.dmin) c.dmin = d, c.nearest = n;
  return d;
}

// Rounding allowance on a distance d compared with another: 1e-9 of it and of the surface size, at
// least a few units of 2.22e-16.
Real slack(const Search& s, Real d) { return 1e-9 * (std::fabs(d) + s.surfaceSize) + 4.0 * kEps; }

// Whether a local edge of facet f is a boundary edge.
bool onBoundary(const Search& s, Int f) {
  const Int* column = s.facet(f);
  for (Int k = 1; k <= std::min<Int>(column[0], 4); ++k)
    if (s.edge(column[2 + k])[0] == 1) return true;
  return false;
}

// Lower bounds of a candidate's distance, from its nodes at x and its candidate bound b. A flat
// triangle: near is its exact distance. A projection onto it is taken only within 0.001 (in area
// coordinates) of it, or across a boundary edge, so every distance it gives the search lies above
// its plane's distance and, without boundary edges, above near less 0.005 of its longest side
// (tight). When the foot on the plane lies inside it, its face distance is the plane's: a first
// best. A 2-node segment or a 4-node facet lies within the box of its nodes; curved facets have b.
zmx::contact::SearchStamps::FacetReach reachOfFacet(const Search& s, const Real* x, Int nn, Real b, Candidates& c) {
  using zmx::geometry::dot3;
  constexpr Real kNone = -kUnset;
  if (s.dim == 3 && nn == 3) {
    const Real u[3] = {x[3] - x[0], x[4] - x[1], x[5] - x[2]}, v[3] = {x[6] - x[0], x[7] - x[1], x[8] - x[2]};
    const Real d[3] = {s.p[0] - x[0], s.p[1] - x[1], s.p[2] - x[2]};
    const Real uu = dot3(u, u), uv = dot3(u, v), vv = dot3(v, v), du = dot3(d, u), dv = dot3(d, v);
    const Real det = uu * vv - uv * uv;
    // A triangle near collapse is left to the projection, which reports it.
    if (!(det >= 1e-8 * uu * vv)) return {b, kNone, kNone, 0.0, false};
    // The plane's distance |n . d| / |n| with n = u x v, |n|^2 = det; the foot's area
    // coordinates times det.
    const Real n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    const Real plane = std::fabs(dot3(n, d)) / std::sqrt(det);
    const Real xi = du * vv - uv * dv, eta = uu * dv - uv * du;
    const Real span = std::max({uu, vv, uu + vv - 2.0 * uv});
    if (std::min({xi, eta, det - xi - eta}) >= 1e-9 * det) {
      if (s.extension >= 0.0) c.firstBest = std::min(c.firstBest, plane);
      return {plane, plane, plane, span, false};
    }
    // The exact distance waits until a candidate needs it (see settled); near is meanwhile the
    // distance from the point to the plane's part beyond the farthest side line the foot lies
    // outside (the foot's area coordinate times det over the side's length and sqrt(det) is its
    // distance from that line), less a rounding allowance; on a thin triangle only the plane's.
    Real outside = 0.0;
    if (det >= 1e-4 * uu * vv) {
      const Real zeta = det - xi - eta;
      if (xi < 0.0) outside = std::max(outside, xi * xi / vv);
      if (eta < 0.0) outside = std::max(outside, eta * eta / uu);
      if (zeta < 0.0) outside = std::max(outside, zeta * zeta / (uu + vv - 2.0 * uv));
    }
    const Real across = dot3(n, d), lower = std::sqrt((across * across + outside) / det);
    const Real near = std::max(plane, lower - slack(s, lower) - 1e-9 * std::sqrt(span));
    return {near, plane, kNone, span, true};
  }
  if (!((s.dim == 2 && nn == 2) || (s.dim == 3 && nn == 4))) return {b, kNone, kNone, 0.0, false};
  return {std::max(b, zmx::contact::boxDistance(s.p, x, nn, s.dim)), kNone, kNone, 0.0, false};
}

// What the search noted of candidate f, with the exact distance of a flat triangle whose foot lies
// outside it worked out on first use.
const zmx::contact::SearchStamps::FacetReach& settled(const Search& s, zmx::contact::SearchStamps& stamps, Int f) {
  auto& reach = stamps.reach(f);
  if (reach.pending) {
    reach.pending = false;
    Real x[27];
    s.facetNodes(f, x);
    reach.near = zmx::contact::triangleDistance(s.p, x, x + 3, x + 6);
    reach.tight = std::max(reach.plane, reach.near - 0.005 * std::sqrt(reach.span));
  }
  return reach;
}

// Whether every side of flat triangle f (longest side squared span) lies farther from the point
// than limit plus 0.005 of its longest side. When the foot on its plane lies outside it, its
// nearest point lies on a side, so this is whether near less that allowance exceeds limit,
// without working out near. Nodes within reach, or beyond the side clearance, decide without the
// sides.
bool sidesBeyond(const Search& s, Int f, Real limit, Real span) {
  const Real reach = limit + 0.005 * std::sqrt(span);
  const Int* column = s.facet(f);
  Real nearest = kUnset;
  bool measured = true;
  for (Int k = 0; k < 3 && measured; ++k) {
    measured = s.nodeValid(column[7 + k]);
    if (measured) nearest = std::min(nearest, s.nodeDistance[column[7 + k] - static_cast<long long>(s.offset) - 1]);
  }
  if (measured && nearest <= reach) return false;
  if (measured && nearest * nearest > zmx::contact::sideClearance(reach, span)) return true;
  Real x[27];
  s.facetNodes(f, x);
  for (int k = 0; k < 3; ++k)
    if (zmx::contact::sideWithin(s.p, x + 3 * k, x + 3 * ((k + 1) % 3), reach)) return false;
  return true;
}

// Whether candidate f cannot change the result: every distance it can give lies beyond `least`.
bool beyond(const Search& s, zmx::contact::SearchStamps& stamps, Int f, Real least) {
  const Real limit = least + slack(s, least);
  const auto& reach = stamps.reach(f);
  if (reach.plane > limit) return true;
  if (!reach.pending) return reach.tight > limit && !onBoundary(s, f);
  return (reach.near - 0.005 * std::sqrt(reach.span) > limit || sidesBeyond(s, f, limit, reach.span)) &&
         !onBoundary(s, f);
}

// The coordinates of facet f's nodes into x and the least of their distances from the point, each
// node measured once a search. Plain nodes of a facet with at most 9 of them are read in one pass.
Real measureNodes(const Search& s, zmx::contact::SearchStamps& stamps, Int f, Real* x, Int& nn, Candidates& c) {
  const Int* column = s.facet(f);
  Real m = kUnset;
  if (s.plain && column[1] >= 0 && column[1] <= 9) {
    nn = column[1];
    for (Int k = 0; k < nn; ++k) {
      Real* xk = x + 3 * k;
      const Int n = column[7 + k];
      const long long j = static_cast<long long>(n) - s.offset;
      if (j < 1 || j > s.nnode) {
        xk[0] = xk[1] = xk[2] = 0.0;
        continue;
      }
      const Real* at = s.coords + 3 * (j - 1);
      xk[0] = at[0], xk[1] = at[1], xk[2] = at[2];
      m = std::min(m, nodeDistance(s, stamps, n, xk, c));
    }
    return m;
  }
  nn = s.facetNodes(f, x);
  for (Int k = 0; k < column[1]; ++k) {
    Real y[3];
    if (k >= nn) s.node(column[7 + k], y);
    m = std::min(m, nodeDistance(s, stamps, column[7 + k], k < nn ? x + 3 * k : y, c));
  }
  return m;
}

void addCandidate(const Search& s, zmx::contact::SearchStamps& stamps, Int f, Candidates& c) {
  Real x[27];
  Int nn = 0;
  const Real m = measureNodes(s, stamps, f, x, nn, c);
  const Real b = m - s.facetSize[f - 1];
  s.candidates[c.count] = f;
  s.bound[c.count] = b;
  ++c.count;
  stamps.reach(f) = reachOfFacet(s, x, nn, b, c);
}

void treeCandidates(const Search& s, zmx::contact::SearchStamps& stamps, Candidates& c) {
  const Int length = rec::slotI(s.searchDb, 2), nodes = rec::slotI(s.searchDb, 3), first = rec::slotI(s.searchDb, 4);
  const Real* records = s.searchDb + (first - 1);
  Int found = 0;
  for (const Int operation : {0, 2}) {
    SHR_CONTACTSRCHDBDEFVSRIGID(&operation, s.p, &s.dim, s.candidates, &found, reinterpret_cast<const Int*>(records),
                                records, &length, &nodes);
    if (found > 0) break;
  }
  // The facets lie scattered in the host's arrays: ask for all their columns, then for all their
  // nodes, before reading any, so that the memory fetches overlap.
  for (Int i = 0; i < found; ++i)
    if (s.facetValid(s.candidates[i])) __builtin_prefetch(s.facet(s.candidates[i]) + 1);
  for (Int i = 0; i < found; ++i)
    if (s.facetValid(s.candidates[i])) s.prefetchNodes(s.candidates[i]);
  for (Int i = 0; i < found; ++i) {
    const Int f = s.candidates[i];
    if (s.facetValid(f)) addCandidate(s, stamps, f, c);
  }
}

// The facets at node n that are not candidates yet join them.
void gatherFacetsAt(const Search& s, zmx::contact::SearchStamps& stamps, Int n, Candidates& c) {
  const Int* at = s.facetsAt(n);
  for (Int k = 1; k <= at[0]; ++k) {
    const Int f = at[k];
    if (!s.facetValid(f) || !stamps.markFacet(f)) continue;
    addCandidate(s, stamps, f, c);
  }
}

// The walk from the previous contact; false for a contact the surface does not hold.
bool walkCandidates(const Search& s, zmx::contact::SearchStamps& stamps, Int kind, Int entity, Candidates& c) {
  if (entity < 1) return false;
  Int start = 0;
  if (kind == 1) {
    if (!s.nodeValid(entity) || s.facetsAt(entity)[0] < 1 || !s.facetValid(s.facetsAt(entity)[1])) return false;
    start = s.facet(s.facetsAt(entity)[1])[7];
  } else if (kind == 2) {
    start = s.edge(entity)[1];
  } else {
    const Int f = kind == 5 ? entity / 10 : entity;
    if (!s.facetValid(f)) return false;
    start = s.facet(f)[7];
  }
  for (Int node = start;;) {
    if (!s.nodeValid(node)) return false;
    stamps.markGathered(static_cast<long long>(node) - s.offset);
    gatherFacetsAt(s, stamps, node, c);
    if (c.nearest == 0) return false;
    if (c.nearest == node) return true;
    node = c.nearest;
  }
}

// ---- Records ----------------------------------------------------------------------------------------

struct Records {
  zmx::contact::FaceRecord face;
  Real edgeDistance = kUnset, edgeS = 0.0;
  Int edge = 0;
  Real centreDistance = kUnset;
  Int centreFacet = 0;
  Real internalDistance = kUnset, internalT = 0.0;
  Int internalCode = 0;
};

struct Projection {
  Logical found;
  Real xi, eta, distance, g, tangents[6], normal[3], foot[3];
  Int sub, status;
};

Projection project(const Search& s, const Real* x, Int nn) {
  Projection r{};
  const Int ld = 3;
  const Logical collapsed = toLogical(s.split && ((s.dim == 3 && nn == 6) || (s.dim == 2 && nn == 3))), no = kFalse;
  const Real noAngle[4] = {0, 0, 0, 0};
  CALPERPDISTTOSURF(x, &ld, s.p, &r.xi, &r.eta, &nn, &s.extension, &r.found, &r.distance, r.tangents, s.name, 8,
                    r.normal, r.foot, &r.g, &r.sub, &collapsed, &s.dim, &no, noAngle, &r.status);
  return r;
}

// The boundary test: a foot beyond a local edge that is not a boundary edge is not taken.
bool withinBoundary(const Search& s, Int f, const Projection& r, bool failed) {
  const Int* column = s.facet(f);
  const Int edges = std::clamp<Int>(column[0], 0, 4);
  bool free[4] = {false, false, false, false};
  for (Int k = 1; k <= edges; ++k) free[k - 1] = s.edge(column[2 + k])[0] == 1;
  return zmx::contact::footWithinBoundary(column[0], free, r.xi, r.eta, r.sub, failed, 0.0);
}

Real segmentParameter(const Search& s, const Real* a, const Real* b) { return zmx::contact::segmentParameter(s.p, a, b); }

Real distanceAlong(const Search& s, const Real* a, const Real* b, Real t, Real* q) {
  for (int i = 0; i < 3; ++i) q[i] = a[i] + t * (b[i] - a[i]);
  return s.distanceTo(q);
}

void fallBacks(const Search& s, Int f, const Real* x, Int nn, Records& r) {
  const Int* column = s.facet(f);
  if (s.split && nn == 6) {
    Real c[3];
    zmx::contact::centreOf(x, c);
    const Real d = s.distanceTo(c);
    if (d + kEps < r.centreDistance) r.centreDistance = d, r.centreFacet = f;
    for (int k = 4; k <= 6; ++k) {
      const Real* xk = x + 3 * (k - 1);
      const Real t = segmentParameter(s, c, xk);
      if (!(t >= 0.0 && t <= 1.0)) continue;
      Real q[3];
      const Real dk = distanceAlong(s, c, xk, t, q);
      if (dk + kEps < r.internalDistance) r.internalDistance = dk, r.internalCode = 10 * f + k, r.internalT = t;
    }
  }
  for (Int k = 1; k <= column[0]; ++k) {
    const Int e = column[2 + k];
    const Int* edge = s.edge(e);
    const bool boundary = edge[0] == 1;
    const Int count = s.quadratic ? 3 : 2;
    Real y[9] = {};
    for (Int j = 0; j < count; ++j) s.node(edge[1 + j], y + 3 * j);
    bool found = false;
    Real d = kUnset, param = 0.0, q[3];
    if (s.split && nn == 6 && s.quadratic) {
      Real t = segmentParameter(s, y, y + 3);
      if (t <= 1.0 && (t >= 0.0 || (boundary && t >= -0.001))) {
        found = true, d = distanceAlong(s, y, y + 3, t, q), param = t / 2.0;
      } else {
        t = segmentParameter(s, y + 3, y + 6);
        if (t >= 0.0 && (t <= 1.0 || (boundary && t <= 1.001)))
          found = true, d = distanceAlong(s, y + 3, y + 6, t, q), param = 0.5 + t / 2.0;
      }
    } else if (!s.quadratic) {
      const Real t = segmentParameter(s, y, y + 3);
      if (t >= -0.001 && t <= 1.001) {
        found = boundary || (t >= 0.0 && t <= 1.0);
        if (found) d = distanceAlong(s, y, y + 3, t, q), param = t;
      }
    } else {
      Real roots[3], distances[3], lengthTolerance;
      Int feet = 0;
      Logical hit = kFalse;
      const Logical no = kFalse, yes = kTrue;
      const Real tolerance = 0.001, noAngle[2] = {0.0, 0.0};
      FNDPERPDISTTOCURVE(y, s.p, roots, &feet, &no, &tolerance, &no, &yes, &no, noAngle, &hit);
      if (isTrueLowBit(hit)) {
        GETPERPDISTTOCURVE(y, s.p, roots, &feet, distances, &tolerance, &lengthTolerance, &no, &no, &no, noAngle);
        for (Int i = 0; i < feet; ++i)
          if (i == 0 || std::fabs(distances[i]) < d) d = std::fabs(distances[i]), param = roots[i];
        found = feet > 0 && (boundary || (param >= 0.0 && param <= 1.0));
      }
    }
    if (found && d + kEps < r.edgeDistance) r.edgeDistance = d, r.edgeS = param, r.edge = e;
  }
}

// Steps 4-5 over candidates first .. end - 1 in the order of their bounds: projection, boundary
// test, face record or fall-backs, until a bound passes best or the cut-off. A candidate none of
// whose distances can come below best, or below the face distance of a triangle that holds the
// foot (a face the loop takes in its turn), cannot change the result and is passed by. True when
// the point lies on a facet (nothing can be nearer).
bool examineInOrder(const Search& s, zmx::contact::SearchStamps& stamps, Int first, Int end, Real cutOff,
                    const Candidates& c, Real& best, Records& r) {
  for (Int i = first; i < end; ++i) {
    const Real b = s.bound[i];
    const Int f = s.candidates[i];
    if (best < b || b > cutOff) break;
    const Real least = std::min(best, c.firstBest);
    if (beyond(s, stamps, f, least)) continue;
    Real x[27];
    const Int nn = s.facetNodes(f, x);
    Projection pr = project(s, x, nn);
    const bool failed = pr.status != 0;
    if (failed) {
      if (!s.quadratic) {
        zmx::contact::facetMessage(s.facetElement[f - 1], s.name, false);
      } else {
        pr = project(s, x, nn == 3 ? 2 : nn == 6 ? 3 : 4);
        if (pr.status != 0) zmx::contact::facetMessage(s.facetElement[f - 1], s.name, true);
      }
    }
    bool found = isTrueLowBit(pr.found);
    if (found && pr.g > 0.001) found = withinBoundary(s, f, pr, failed);
    if (found) {
      const Real a = std::fabs(pr.distance);
      best = std::min(best, a);
      if (zmx::contact::replaces(r.face, pr.distance, pr.g, failed)) {
        zmx::contact::FaceRecord& face = r.face;
        face.distance = pr.distance, face.g = pr.g, face.facet = f, face.sub = pr.sub, face.xi = pr.xi,
        face.eta = pr.eta, face.failed = failed;
        std::memcpy(face.tangents, pr.tangents, sizeof face.tangents);
        std::memcpy(face.normal, pr.normal, sizeof face.normal);
        std::memcpy(face.foot, pr.foot, sizeof face.foot);
        if (a < kEps && pr.g < kEps) return true;
      }
    } else if (s.dim == 3) {
      fallBacks(s, f, x, nn, r);
    }
  }
  return false;
}

// The distance within which a nearer contact than the records' may lie. A face accepted just
// beyond its facet's edge counts with its distance from the facet itself, so that the facet is
// within reach: the spread starts from it.
Real reachOf(const Search& s, zmx::contact::SearchStamps& stamps, const Records& r, const Candidates& c) {
  Real d = std::min({c.dmin, r.edgeDistance, r.internalDistance, r.centreDistance});
  if (r.face.facet != 0) d = std::min(d, std::max(std::fabs(r.face.distance), settled(s, stamps, r.face.facet).near));
  return d + slack(s, d);
}

// The facet across side k (0-based, from corner k to the next) of facet f joins the candidates;
// across an edge that more than two facets share, every facet at the side's end nodes.
void gatherAcross(const Search& s, zmx::contact::SearchStamps& stamps, Int f, Int k, Int nn, Candidates& c) {
  const Int* column = s.facet(f);
  const Int e = column[3 + k];
  if (e < 1) return;
  const Int sharing = s.edge(e)[0];
  if (sharing == 2) {
    const Int* pair = s.edgeFacets + 2 * static_cast<long long>(e - 1);
    const Int g = pair[0] == f ? pair[1] : pair[0];
    if (s.facetValid(g) && stamps.markFacet(g)) addCandidate(s, stamps, g, c);
    return;
  }
  if (sharing < 2) return;
  for (const Int n : {column[7 + k], column[7 + (k + 1) % nn]})
    if (s.nodeValid(n) && stamps.markGathered(static_cast<long long>(n) - s.offset)) gatherFacetsAt(s, stamps, n, c);
}

// After the walk, the candidates the walk passed by that could be nearer than the answer found
// (within spread of the point): from every candidate within the spread, for a facet with straight
// sides in three dimensions the facets across its sides within it, for a straight segment the
// facets at its ends within it, for a curved facet the facets at all its nodes; and so on from
// them. Returns the first new candidate.
Int gatherWithinSpread(const Search& s, zmx::contact::SearchStamps& stamps, Real spread, Candidates& c) {
  const Int first = c.count;
  const auto gatherAt = [&](Int n) {
    if (s.nodeValid(n) && stamps.markGathered(static_cast<long long>(n) - s.offset)) gatherFacetsAt(s, stamps, n, c);
  };
  for (Int i = 0; i < c.count; ++i) {
    const Int f = s.candidates[i];
    if (!(s.bound[i] <= spread && stamps.reach(f).plane <= spread)) continue;
    const Int* column = s.facet(f);
    const Int nn = std::clamp<Int>(column[1], 0, 9);
    bool straight = s.dim == 3 ? nn == 3 || nn == 4 : nn == 2;
    // The node distances were measured when the facet became a candidate; a facet with a node
    // within the spread needs no exact distance.
    Real distances[4], nearest = kUnset;
    for (Int k = 0; k < nn && straight; ++k) {
      straight = s.nodeValid(column[7 + k]);
      if (straight) distances[k] = s.nodeDistance[column[7 + k] - static_cast<long long>(s.offset) - 1];
      if (straight) nearest = std::min(nearest, distances[k]);
    }
    // A straight-sided facet in three dimensions is left by its sides within the spread (none
    // when the facet lies beyond it), so a lower bound of its distance beyond the spread is enough
    // to pass it by; the others need their exact distance within it.
    if (!(nearest <= spread) && !((straight && s.dim == 3 ? stamps.reach(f) : settled(s, stamps, f)).near <= spread))
      continue;
    if (!straight) {
      for (Int k = 0; k < nn; ++k) gatherAt(column[7 + k]);
    } else if (s.dim == 2) {
      for (Int k = 0; k < nn; ++k)
        if (distances[k] <= spread) gatherAt(column[7 + k]);
    } else {
      const auto corner = [&](Int k, Real* x) { s.node(column[7 + k], x); };
      const Real span = stamps.reach(f).span;
      const unsigned sides = zmx::contact::sidesWithinMask(s.p, distances, nn, spread, corner, span > 0.0 ? span : 1e300);
      for (Int k = 0; k < nn; ++k)
        if ((sides >> k & 1u) != 0) gatherAcross(s, stamps, f, k, nn, c);
    }
  }
  return first;
}

// ---- Results ------------------------------------------------------------------------------------------

struct Output {
  Real* real;   // CONTACT_REAL, 1-based through at()
  void* slots;  // CONTACT_INT
  Real& at(int k) const { return real[k - 1]; }
  void slot(int k, Int v) const { rec::setSlotI(slots, k, v); }
};

void clearResult(const Output& o) {
  for (int k = 8; k <= 44; ++k) o.at(k) = 0.0;
  for (int k = 45; k <= 48; ++k) o.slot(k, 0);
}

void noContact(const Output& o, Int* kind, Int* entity, Int* count) {
  o.at(1) = -kUnset;
  clearResult(o);
  *kind = *entity = *count = 0;
}

// The sign rule of edge, vertex, internal-edge and centre contacts: writes the distance and the
// normal; h (the component along n) for the extension rule.
Real signedResult(const Search& s, const Output& o, const Real* q, const Real* n, Real distance) {
  const int dim = s.dim;
  Real r[3] = {0, 0, 0};
  for (int i = 0; i < dim; ++i) r[i] = s.p[i] - q[i];
  Real h = 0.0;
  for (int i = 0; i < dim; ++i) h -= n[i] * r[i];
  if (!zmx::geometry::unitLength(r, dim)) {
    for (int i = 0; i < dim; ++i) o.at(11 + i) = n[i];
    o.at(1) = distance;
    return h;
  }
  Real along = 0.0;
  for (int i = 0; i < dim; ++i) along += n[i] * r[i];
  if (along < 0.0) {
    o.at(1) = distance;
    for (int i = 0; i < dim; ++i) o.at(11 + i) = -r[i];
  } else {
    o.at(1) = -distance;
    for (int i = 0; i < dim; ++i) o.at(11 + i) = r[i];
  }
  return h;
}

// Over the surface extended at its boundary: the distance h along n and the foot P + h n; false
// (no contact) when the offset across n exceeds the extension.
bool extended(const Search& s, const Output& o, const Real* n, Real h, Real distance, Real limit) {
  const Real w = std::sqrt(std::max(distance * distance - h * h, 0.0));
  if (s.extension * limit < w) return false;
  o.at(1) = h;
  for (Int i = 0; i < s.dim; ++i) o.at(11 + i) = n[i], o.at(8 + i) = s.p[i] + h * n[i];
  return true;
}

// Node coordinates for the normal routines: displaced when the search is.
bool fetchNode(void* context, Int node, int dim, Real* out) {
  const auto* s = static_cast<const Search*>(context);
  Real x[3];
  s->node(node, x);
  for (int i = 0; i < dim; ++i) out[i] = x[i];
  return true;
}

}  // namespace

extern "C" {

void FACETEDRIGIDSURFSEARCH(const Int* nfacet, const Int* facetElement, const Int* facetTable, const Int* ldFacet,
                            const Int* edgeTable, const Int* ldEdge, const Int* edgeFacets, const Int* nodeFacets,
                            const Int* freeVertices, const Int* freeCount, const Real* facetSize,
                            const Real* surfaceSize, const Int* nnode, const Int* nodeOffset, const Int*,
                            const Int* ldNodeFacets, const Real* point, const Real* coords, const Int* dimension,
                            Real* nodeDistance, Real* bound, Int* candidates, void* contactInt, Real* contactReal,
                            const Int* splitT6, const Int* quadratic, const char* surfaceName, Int,
                            Int* contactKind, Int* contactEntity, Int* contactCount, const Real* extension,
                            const Real* searchDb, const Real* disp, const Real* dispScale, const Int* useDisp) {
  const Search s{*nfacet,      facetElement, facetTable, *ldFacet,     edgeTable,   *ldEdge,     edgeFacets,
                 nodeFacets,   *ldNodeFacets, freeVertices, *freeCount, facetSize,   *surfaceSize, *nnode,
                 *nodeOffset,  point,        coords,     *dimension,   nodeDistance, bound,      candidates,
                 *splitT6 == 1, *quadratic != 0, surfaceName, *extension, searchDb,  disp,        *dispScale,
                 *useDisp != 0};
  const Output o{contactReal, contactInt};
  // An unset point (or NaN) has no contact.
  for (Int i = 0; i < s.dim; ++i)
    if (!(std::fabs(point[i]) < kUnset)) return noContact(o, contactKind, contactEntity, contactCount);

  // 1. Candidates, from the tree or by the walk from the previous contact.
  zmx::contact::SearchStamps& stamps = zmx::contact::rigidSearchStamps();
  stamps.begin(s.nnode, s.nfacet);
  Candidates c;
  const bool walked = *contactKind != 0;
  if (!walked)
    treeCandidates(s, stamps, c);
  else if (!walkCandidates(s, stamps, *contactKind, *contactEntity, c))
    c.count = 0;
  if (c.count == 0 || c.nearest == 0) return noContact(o, contactKind, contactEntity, contactCount);

  // 3. Cut-off and order.
  const Int one = 1;
  Int status = 0;
  ASORT4(bound, candidates, &one, &c.count, &status);

  // 4-5. The candidates in order of their bounds; after a walk, those it passed by.
  Records r;
  Real best = c.dmin;
  const bool onFacet =
      examineInOrder(s, stamps, 0, c.count, std::min(c.dmin + 0.25 * s.surfaceSize, 3.0 * c.dmin), c, best, r);
  if (walked && !onFacet) {
    // The walk ends at a node nearer than its neighbours, yet the nearest facet can lie across a
    // concave edge, farther from the point than the answer found. The faces on either side of such
    // an edge, and the edge, lie within sqrt(2) of the answer's distance when they meet at a right
    // angle or flatter, and so does every facet and side on the way from the one foot to the other.
    const Int first = gatherWithinSpread(s, stamps, std::sqrt(2.0) * reachOf(s, stamps, r, c), c);
    // Most of them lie beyond the answer or the cut-off: only the others are ordered and examined.
    best = std::min(best, c.dmin);
    const Real cutOff = std::min(c.dmin + 0.25 * s.surfaceSize, 3.0 * c.dmin);
    Int kept = 0;
    for (Int i = first; i < c.count; ++i) {
      if (!(bound[i] <= std::min(best, cutOff)) || beyond(s, stamps, candidates[i], best)) continue;
      bound[first + kept] = bound[i], candidates[first + kept] = candidates[i];
      ++kept;
    }
    c.count = first + kept;
    if (kept > 0) {
      ASORT4(bound + first, candidates + first, &one, &kept, &status);
      examineInOrder(s, stamps, first, c.count, cutOff, c, best, r);
    }
  }

  // 6. Selection.
  clearResult(o);
  *contactKind = *contactEntity = 0;
  ++*contactCount;
  const Real tau = s.surfaceSize * kEps, faceDistance = std::fabs(r.face.distance);
  const Real di = r.internalDistance, dc = r.centreDistance, de = r.edgeDistance, dv = c.dmin;
  const auto notBelow = [&](Real v) { return v + tau >= faceDistance; };
  const zmx::geometry::NodeAccess access{fetchNode, const_cast<Search*>(&s), nullptr};
  if (notBelow(di) && notBelow(dc) && notBelow(dv) && notBelow(de)) {
    o.at(1) = r.face.distance;
    for (Int i = 0; i < s.dim; ++i) o.at(8 + i) = r.face.foot[i], o.at(11 + i) = r.face.normal[i];
    for (int i = 0; i < 6; ++i) o.at(14 + i) = r.face.tangents[i];
    o.at(43) = r.face.xi;
    if (s.dim == 3) o.at(44) = r.face.eta;
    o.slot(45, 3), o.slot(46, r.face.facet), o.slot(47, r.face.sub), o.slot(48, r.face.failed ? 1 : 0);
    *contactKind = 3, *contactEntity = r.face.facet;
    return;
  }
  if (de <= di && de <= dc && de <= dv && de <= faceDistance) {
    const Int e = r.edge;
    const Int* edge = s.edge(e);
    const Real t = r.edgeS;
    Real y[9] = {}, q[3];
    for (Int j = 0; j < (s.quadratic ? 3 : 2); ++j) s.node(edge[1 + j], y + 3 * j);
    if (s.split && s.quadratic) {
      const Real u = t <= 0.5 ? 2.0 * t : 2.0 * t - 1.0;
      const Real* a = t <= 0.5 ? y : y + 3;
      for (int i = 0; i < 3; ++i) q[i] = (1.0 - u) * a[i] + u * a[3 + i];
    } else if (!s.quadratic) {
      for (int i = 0; i < 3; ++i) q[i] = (1.0 - t) * y[i] + t * y[3 + i];
    } else {
      const Real n1 = (t - 1.0) * (2.0 * t - 1.0), n2 = 4.0 * t * (1.0 - t), n3 = t * (2.0 * t - 1.0);
      for (int i = 0; i < 3; ++i) q[i] = n1 * y[i] + n2 * y[3 + i] + n3 * y[6 + i];
    }
    o.slot(45, 2), o.slot(46, e);
    o.at(43) = t;
    for (int i = 0; i < 3; ++i) o.at(8 + i) = q[i];
    // The edge normal; a free edge hands its first facet twice (the second is not read).
    const Int first = s.edgeFacets[2 * (e - 1)], second = s.edgeFacets[2 * (e - 1) + 1];
    const Int triple[3] = {edge[1], edge[2], s.quadratic ? edge[3] : 0};
    const Real noAngle[4] = {0, 0, 0, 0};
    Real n[3];
    zmx::geometry::edgeNormal(access, triple, t, {s.facet(first), s.facet(second != 0 ? second : first)}, {0, 0},
                              {noAngle, noAngle}, edge[0], s.split, n,
                              "SYSTEM ERROR IN normal_on_edge - the point is not at the edge");
    const Real h = signedResult(s, o, q, n, de);
    if (edge[0] == 1 && !extended(s, o, n, h, de, s.facetSize[first - 1])) {
      o.at(1) = -kUnset;
      o.slot(45, 0), o.slot(46, 0);
      o.at(43) = 0.0;
      *contactCount = 0;
      return;
    }
    *contactKind = 2, *contactEntity = e;
    return;
  }
  if (dv <= di && dv <= dc && dv <= de && dv <= faceDistance) {
    const Int node = c.nearest;
    Real x[3], n[3] = {0, 0, 0}, mean = 0.0;
    s.node(node, x);
    o.slot(45, 1), o.slot(46, node);
    for (Int i = 0; i < s.dim; ++i) o.at(8 + i) = x[i];
    const Int noKinds[1] = {0};
    const Real noAngles[4] = {0, 0, 0, 0};
    zmx::geometry::vertexNormal(access, s.facetsAt(node), s.facetTable, s.ldFacet, s.split, s.dim == 2 ? 2 : 3, n,
                                s.facetSize, &mean, false, noKinds, noAngles);
    const Real h = signedResult(s, o, x, n, dv);
    Int position = 1, miss = 1;
    HUNTI(s.freeVertices, &s.freeCount, &node, &position, &miss);
    if (miss == 0 && s.freeCount > 0 && !extended(s, o, n, h, dv, mean)) {
      o.at(1) = -kUnset;
      o.slot(45, 0), o.slot(46, 0);
      *contactCount = 0;
      return;
    }
    *contactKind = 1, *contactEntity = node;
    return;
  }
  const bool internal = di <= dc && di <= de && di <= dv && di <= faceDistance;
  const Int f = internal ? r.internalCode / 10 : r.centreFacet;
  if (!s.facetValid(f)) return noContact(o, contactKind, contactEntity, contactCount);  // no distance at all (NaN)
  Real x[18], centre[3], q[3], n[3];
  for (Int k = 0; k < 6; ++k) s.node(s.facet(f)[7 + k], x + 3 * k);
  zmx::contact::centreOf(x, centre);
  const Int ld = 3;
  Int normalStatus = 0;
  if (internal) {
    const Int k = r.internalCode - 10 * f, corner = k - 3;
    const Real t = r.internalT, xi = 1.0, eta = 1.0 - 2.0 * t;
    for (int i = 0; i < 3; ++i) q[i] = (1.0 - t) * centre[i] + t * x[3 * (k - 1) + i];
    NORMALONINTERNALEDGE(&corner, &xi, &eta, x, &ld, n, &normalStatus);
    o.slot(45, 5), o.slot(46, r.internalCode);
    o.at(43) = t;
    *contactKind = 5, *contactEntity = r.internalCode;
  } else {
    const Int corner = 1;
    const Real one1 = 1.0;
    for (int i = 0; i < 3; ++i) q[i] = centre[i];
    NORMALONINTERNALEDGE(&corner, &one1, &one1, x, &ld, n, &normalStatus);
    o.slot(45, 4), o.slot(46, f);
    *contactKind = 4, *contactEntity = f;
  }
  for (int i = 0; i < 3; ++i) o.at(8 + i) = q[i];
  signedResult(s, o, q, n, internal ? di : dc);
}

}  // extern "C"
