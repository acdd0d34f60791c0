// The closest contact of one slave point on a faceted rigid surface: candidate facets from the
// search tree (or a walk from the previous contact), bounded and sorted; projection onto them in
// order; edges, the centre and the internal edges of split 6-node triangles where no projection
// falls on a facet; then the nearest of face, edge, vertex, internal edge and centre, with the
// surface extended by a fraction of the facet size at its boundary.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

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

  const Int* facet(Int f) const { return facetTable + static_cast<long long>(f - 1) * ldFacet; }
  const Int* edge(Int e) const { return edgeTable + static_cast<long long>(e - 1) * ldEdge; }
  const Int* facetsAt(Int n) const { return nodeFacets + static_cast<long long>(n - 1) * ldNodeFacets; }
  bool nodeValid(Int n) const { return n - static_cast<long long>(offset) >= 1 && n - static_cast<long long>(offset) <= nnode; }
  bool facetValid(Int f) const { return f >= 1 && f <= nfacet; }

  // The coordinates of node n (3 values, z 0 in two dimensions), displaced when asked.
  void node(Int n, Real* x) const {
    const long long j = static_cast<long long>(n) - offset;
    for (int i = 0; i < 3; ++i) x[i] = 0.0;
    if (j < 1 || j > nnode) return;
    for (Int i = 0; i < dim; ++i) {
      x[i] = coords[(j - 1) * dim + i];
      if (useDisp) x[i] += dispScale * disp[(j - 1) * dim + i];
    }
  }
  Real distanceTo(const Real* x) const {
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
};

// The distance of node n from the point: this search's entry of NODE_DIST, else computed once.
Real nodeDistance(const Search& s, zmx::contact::SearchStamps& stamps, Int n, Candidates& c) {
  const long long j = static_cast<long long>(n) - s.offset;
  if (j < 1 || j > s.nnode) return kUnset;
  if (stamps.nodeCurrent(j)) return s.nodeDistance[j - 1];
  Real x[3];
  s.node(n, x);
  const Real d = s.distanceTo(x);
  s.nodeDistance[j - 1] = d;
  stamps.markNode(j);
  if (d < c.dmin) c.dmin = d, c.nearest = n;
  return d;
}

void addCandidate(const Search& s, zmx::contact::SearchStamps& stamps, Int f, Candidates& c) {
  const Int* column = s.facet(f);
  Real m = kUnset;
  for (Int k = 0; k < column[1]; ++k) m = std::min(m, nodeDistance(s, stamps, column[7 + k], c));
  s.candidates[c.count] = f;
  s.bound[c.count] = m - s.facetSize[f - 1];
  ++c.count;
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
  for (Int i = 0; i < found; ++i) {
    const Int f = s.candidates[i];
    if (s.facetValid(f)) addCandidate(s, stamps, f, c);
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
    const Int* at = s.facetsAt(node);
    for (Int k = 1; k <= at[0]; ++k) {
      const Int f = at[k];
      if (!s.facetValid(f) || !stamps.markFacet(f)) continue;
      addCandidate(s, stamps, f, c);
    }
    if (c.nearest == 0) return false;
    if (c.nearest == node) return true;
    node = c.nearest;
  }
}

// ---- Records ----------------------------------------------------------------------------------------

struct FaceRecord {
  Real distance = -kUnset, g = kUnset, xi = 0.0, eta = 0.0;
  Int facet = 0, sub = 0;
  bool failed = false;
  Real foot[3] = {}, normal[3] = {}, tangents[6] = {};
};

struct Records {
  FaceRecord face;
  Real edgeDistance = kUnset, edgeS = 0.0;
  Int edge = 0;
  Real centreDistance = kUnset;
  Int centreFacet = 0;
  Real internalDistance = kUnset, internalT = 0.0;
  Int internalCode = 0;
};

// The replacement rule of the face record.
bool replaces(const FaceRecord& r, Real distance, Real g, bool failed) {
  const Real a = std::fabs(distance), held = std::fabs(r.distance);
  if (held > a + kEps) return true;
  if (std::fabs(held - a) > kEps) return false;
  if (g + kEps < r.g) return true;
  if (std::fabs(r.g - g) > kEps) return false;
  return (distance > 0 && r.distance < 0) ||
         (!failed && r.failed && ((distance > 0 && r.distance >= 0) || (distance <= 0 && r.distance < 0)));
}

void facetMessage(const Search& s, Int f, bool retry) {
  static constexpr char kFirst[] =
      "A FACET OF SURFACE %S WITH UNDERLYING ELEMENT %I HAS A ZERO NORMAL VECTOR OR COINCIDENT TANGENT VECTORS. "
      "CHECK CONNECTIVITY OF THE UNDERLYING ELEMENT.";
  static constexpr char kSecond[] =
      "A FACET OF SURFACE %S WITH UNDERLYING ELEMENT %I HAS A ZERO TANGENT VECTOR OR COINCIDENT TANGENT VECTORS. "
      "CHECK CONNECTIVITY OF THE UNDERLYING ELEMENT.";
  const Int level = -2, element = s.facetElement[f - 1], key = retry ? -2123 : -2124, file = 1;
  const Real zero = 0.0;
  const char* text = retry ? kSecond : kFirst;
  const Int length = static_cast<Int>(retry ? sizeof kSecond - 1 : sizeof kFirst - 1);
  KVXNERR(&level, text, length, &element, &zero, s.name, 8);
  MSGACCESS(&file, &element, &key);
}

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
  const Int edges = column[0];
  const auto boundary = [&](Int k) { return k >= 1 && k <= edges && s.edge(column[2 + k])[0] == 1; };
  bool found = true;
  const Real xi = r.xi, eta = r.eta;
  if (edges == 2) {
    if (!failed && r.sub > 0) {
      if (xi < -1.002) {
        if (r.sub == 1) found = found && boundary(1);
      } else if (xi > 1.002 && r.sub == 2) {
        found = found && boundary(2);
      }
    } else if (xi < -1.002) {
      found = boundary(1);
    } else if (xi > 1.002) {
      found = boundary(2);
    }
  } else if (edges == 3) {
    if (!failed && r.sub > 0) {
      static constexpr Int kAcross[4] = {2, 3, 1, 2};
      if (xi < -1.002) found = found && boundary(kAcross[r.sub <= 3 ? r.sub : 0]);
      if (eta < -1.002) found = found && boundary(r.sub);
    } else {
      if (xi < -0.001) found = found && boundary(3);
      if (eta < -0.001) found = found && boundary(1);
      if (1.0 - xi - eta < -0.001) found = found && boundary(2);
    }
  } else if (edges == 4) {
    if (xi < -1.002)
      found = found && boundary(4);
    else if (xi > 1.002)
      found = found && boundary(2);
    if (eta < -1.002)
      found = found && boundary(1);
    else if (eta > 1.002)
      found = found && boundary(3);
  }
  return found;
}

// The foot of the point on segment a -> b as its parameter (0 for a degenerate segment).
Real segmentParameter(const Search& s, const Real* a, const Real* b) {
  Real num = 0.0, den = 0.0;
  for (int i = 0; i < 3; ++i) num += (s.p[i] - a[i]) * (b[i] - a[i]), den += (b[i] - a[i]) * (b[i] - a[i]);
  return den <= kTiny ? 0.0 : num / den;
}

Real distanceAlong(const Search& s, const Real* a, const Real* b, Real t, Real* q) {
  for (int i = 0; i < 3; ++i) q[i] = a[i] + t * (b[i] - a[i]);
  return s.distanceTo(q);
}

// Centre and internal edges of a split 6-node triangle.
void centreOf(const Real* x, Real* c) {
  for (int i = 0; i < 3; ++i) c[i] = (x[i] + x[3 + i] + x[6 + i]) / 12.0 + (x[9 + i] + x[12 + i] + x[15 + i]) / 4.0;
}

void fallBacks(const Search& s, Int f, const Real* x, Int nn, Records& r) {
  const Int* column = s.facet(f);
  if (s.split && nn == 6) {
    Real c[3];
    centreOf(x, c);
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
  if (*contactKind == 0)
    treeCandidates(s, stamps, c);
  else if (!walkCandidates(s, stamps, *contactKind, *contactEntity, c))
    c.count = 0;
  if (c.count == 0 || c.nearest == 0) return noContact(o, contactKind, contactEntity, contactCount);

  // 3. Cut-off and order.
  const Real cutOff = std::min(c.dmin + 0.25 * s.surfaceSize, 3.0 * c.dmin);
  const Int one = 1;
  Int status = 0;
  ASORT4(bound, candidates, &one, &c.count, &status);

  // 4-5. The candidates in order of their bounds.
  Records r;
  Real best = c.dmin;
  for (Int i = 0; i < c.count; ++i) {
    const Real b = bound[i];
    const Int f = candidates[i];
    if (best < b || b > cutOff) break;
    const Int* column = s.facet(f);
    const Int nn = std::clamp<Int>(column[1], 0, 9);
    Real x[27] = {};
    for (Int k = 0; k < nn; ++k) s.node(column[7 + k], x + 3 * k);
    Projection pr = project(s, x, nn);
    const bool failed = pr.status != 0;
    if (failed) {
      if (!s.quadratic) {
        facetMessage(s, f, false);
      } else {
        pr = project(s, x, nn == 3 ? 2 : nn == 6 ? 3 : 4);
        if (pr.status != 0) facetMessage(s, f, true);
      }
    }
    bool found = isTrueLowBit(pr.found);
    if (found && pr.g > 0.001) found = withinBoundary(s, f, pr, failed);
    if (found) {
      const Real a = std::fabs(pr.distance);
      best = std::min(best, a);
      if (replaces(r.face, pr.distance, pr.g, failed)) {
        FaceRecord& face = r.face;
        face.distance = pr.distance, face.g = pr.g, face.facet = f, face.sub = pr.sub, face.xi = pr.xi,
        face.eta = pr.eta, face.failed = failed;
        std::memcpy(face.tangents, pr.tangents, sizeof face.tangents);
        std::memcpy(face.normal, pr.normal, sizeof face.normal);
        std::memcpy(face.foot, pr.foot, sizeof face.foot);
        if (a < kEps && pr.g < kEps) break;
      }
    } else if (s.dim == 3) {
      fallBacks(s, f, x, nn, r);
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
  centreOf(x, centre);
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
