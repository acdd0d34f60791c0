// Smoothed normals where a facet mesh has none of its own: on the seams of a 6-node triangle's
// sub-quadrilaterals, on an edge shared by facets and at a vertex shared by facets, each the
// normalised sum of the unit normals of the facets there, evaluated at the very point.

#include "geometry/normals/edge_vertex_normals.h"

#include <algorithm>
#include <cmath>

#include "geometry/cylinders/cylinder_functions.h"
#include "geometry/facets/facet_functions.h"
#include "geometry/facets/facet_properties.h"
#include "geometry/facets/facet_record.h"
#include "geometry/support/geometry_report.h"
#include "siblings/eqc/facet_shapes.h"
#include "zmx/geometry/cylinders.h"
#include "zmx/geometry/facets.h"
#include "zmx/geometry/normals.h"
#include "zmx/numerics/sorting.h"

namespace zmx::geometry {

namespace {

constexpr Real kFlat = 2.22e-16;
constexpr int kMostNodes = 9;

bool normalise(Real* v, int count) { return unitLength(v, count); }
bool crossNormal(const Real* t1, const Real* t2, Real* n) { return unitCross(t1, t2, n); }

// One facet with its nodes' coordinates gathered (3 rows a node; 2 in two dimensions).
struct Facet {
  Int nodes = 0;
  const Int* labels = nullptr;
  Real x[3 * kMostNodes] = {};
};

bool gather(const NodeAccess& access, const Int* record, int dim, Facet& f) {
  const FacetRecord r{record};
  f.nodes = r.nodes();
  f.labels = r.nodeList();
  if (f.nodes < 1 || f.nodes > kMostNodes) return true;
  if (access.startFacet != nullptr) access.startFacet(access.context);
  for (Int j = 0; j < f.nodes; ++j)
    if (!access.fetch(access.context, f.labels[j], dim, f.x + 3 * j)) return false;
  return true;
}

// Derivatives dN/dxi (n values) then dN/deta (n values) of a facet of nn nodes; false for a node
// count no facet has.
bool shapeDerivatives(Int nn, Real xi, Real eta, bool cylindrical, bool subRegion, const Real* cylinder, Real* d) {
  const Int derivatives = 1;
  if (nn == 3) return EQC_INTT3(&xi, &eta, d, &derivatives), true;
  if (nn == 4) return EQC_INTQ4(&xi, &eta, d, &derivatives), true;
  if (cylindrical) {
    if (nn == 6) return INTSCYL6(&xi, &eta, cylinder, d, &derivatives), true;
    if (nn == 9) return INTSCYL9(&xi, &eta, cylinder, d, &derivatives), true;
    return false;
  }
  if (nn == 6 && !subRegion) return EQC_INTT6(&xi, &eta, d, &derivatives), true;
  if (nn == 8) return EQC_INTQ8(&xi, &eta, d, &derivatives), true;
  if (nn == 9) return EQC_INTQ9(&xi, &eta, d, &derivatives), true;
  return false;
}

// The unit normal of the facet at (xi, eta) (sub-quadrilateral corner on the sub-facet path);
// false when the facet has no such normal. The normal then holds what the normalisation left.
bool facetNormal(const Facet& f, Real xi, Real eta, bool subPath, Int corner, bool cylindrical, const Real* cylinder,
                 Real* n) {
  if (subPath) {
    const Int three = 3;
    Int status = 0;
    NORMALONINTERNALEDGE(&corner, &xi, &eta, f.x, &three, n, &status);
    return true;
  }
  Real d[2 * kMostNodes];
  if (!shapeDerivatives(f.nodes, xi, eta, cylindrical, false, cylinder, d)) return false;
  Real t1[3] = {0, 0, 0}, t2[3] = {0, 0, 0};
  for (Int j = 0; j < f.nodes; ++j)
    for (int i = 0; i < 3; ++i) t1[i] += d[j] * f.x[3 * j + i], t2[i] += d[f.nodes + j] * f.x[3 * j + i];
  crossNormal(t1, t2, n);
  return true;
}

// ---- Edges ------------------------------------------------------------------------------------------

// Facet coordinates of the point at s along the edge from corner p1 to corner q; false when the
// pair is out of range (the point is then taken at (0, 0) of sub-facet 1).
struct EdgePoint {
  Real xi = 0.0, eta = 0.0;
  Int corner = 1;
};

bool inRange(int p1, int q, int corners) { return p1 >= 1 && p1 <= corners && q >= 1 && q <= corners; }

bool subFacetPoint(int p1, int q, Real s, EdgePoint& e) {
  if (!inRange(p1, q, 3) || p1 == q) return false;
  const bool firstHalf = s <= 0.5;
  const Real v = 4.0 * (firstHalf ? s : 1.0 - s) - 1.0;
  const int from = firstHalf ? p1 : q, to = firstHalf ? q : p1;
  e.corner = from;
  if (to == from % 3 + 1)
    e.xi = v, e.eta = -1.0;
  else
    e.xi = -1.0, e.eta = v;
  return true;
}

bool trianglePoint(int p1, int q, Real s, EdgePoint& e) {
  if (!inRange(p1, q, 3)) return false;
  switch (p1) {
    case 1: q == 2 ? (e.xi = s, e.eta = 0.0) : (e.xi = 0.0, e.eta = s); break;
    case 2: q == 1 ? (e.xi = 1.0 - s, e.eta = 0.0) : (e.xi = 1.0 - s, e.eta = s); break;
    default: q == 1 ? (e.xi = 0.0, e.eta = 1.0 - s) : (e.xi = s, e.eta = 1.0 - s); break;
  }
  return true;
}

bool quadrilateralPoint(int p1, int q, Real s, EdgePoint& e) {
  if (!inRange(p1, q, 4)) return false;
  const Real a = 2.0 * s - 1.0, b = 2.0 * (1.0 - s) - 1.0;
  switch (p1) {
    case 1: q == 2 ? (e.xi = a, e.eta = -1.0) : (e.xi = -1.0, e.eta = a); break;
    case 2: q == 1 ? (e.xi = b, e.eta = -1.0) : (e.xi = 1.0, e.eta = a); break;
    case 3: q == 2 ? (e.xi = 1.0, e.eta = b) : (e.xi = b, e.eta = 1.0); break;
    default: q == 1 ? (e.xi = -1.0, e.eta = b) : (e.xi = a, e.eta = 1.0); break;
  }
  return true;
}

bool cylinderPoint(int p1, int q, Real s, Real total, EdgePoint& e) {
  if (std::fabs(total) <= kFlat) return quadrilateralPoint(p1, q, s, e);
  if (!inRange(p1, q, 4)) return false;
  const Real a = 2.0 * s - 1.0, b = 2.0 * (1.0 - s) - 1.0;
  switch (p1) {
    case 1: q == 2 ? (e.xi = a, e.eta = 0.0) : (e.xi = -1.0, e.eta = s); break;
    case 2: q == 1 ? (e.xi = b, e.eta = 0.0) : (e.xi = 1.0, e.eta = s); break;
    case 3: q == 2 ? (e.xi = 1.0, e.eta = total - s) : (e.xi = b, e.eta = total); break;
    default: q == 1 ? (e.xi = -1.0, e.eta = total - s) : (e.xi = a, e.eta = total); break;
  }
  return true;
}

// Adds the unit normal of one facet at the edge point to the sum; false when a node is missing.
bool addEdgeFacet(const NodeAccess& access, const Int* edge, Real s, const Int* record, Int kind,
                  const Real* cylinder, bool subFacets, Real* sum, const char* message) {
  Facet f;
  if (!gather(access, record, 3, f)) return false;
  const Int nn = f.nodes;
  if (nn < 1 || nn > kMostNodes) return true;  // no facet of the catalogue: nothing to add
  const Real total = kind == 1 ? cylinder[0] : 0.0;
  const bool cylindrical = kind == 1 && !(nn == 9 && std::fabs(total) <= kFlat);
  int p1 = 0, p2 = 0, p3 = 0;
  for (int i = 1; i <= std::min<Int>(nn, 4); ++i) {
    if (f.labels[i - 1] == edge[0])
      p1 = i;
    else if (f.labels[i - 1] == edge[1])
      p2 = i;
    else if (f.labels[i - 1] == edge[2])
      p3 = i;
  }
  const auto report = [&] { zmx::geometry::report(kError, message); };
  if (p1 == 0) report();
  EdgePoint e;
  bool placed = true;
  int q = 1, corners = 4;  // the other end, and the corners it may be
  const bool subPath = subFacets && nn == 6;
  if (subPath) {
    q = p3, corners = 3;
    placed = subFacetPoint(p1, q, s, e);
  } else if (cylindrical) {
    q = p3 != 0 ? p3 : p2;
    placed = cylinderPoint(p1, q, s, total, e);
  } else if (nn == 3 || nn == 6) {
    q = nn == 6 ? p3 : (p2 >= 1 && p2 <= 3 ? p2 : p3), corners = 3;
    placed = trianglePoint(p1, q, s, e);
  } else if (nn == 4 || nn == 8 || nn == 9) {
    q = nn != 4 ? p3 : (p2 >= 1 && p2 <= 4 ? p2 : p3);
    placed = quadrilateralPoint(p1, q, s, e);
  }
  if (!placed) {
    // A first end already reported is reported again when the other end is not a corner either.
    if (p1 != 0 || q < 1 || q > corners) report();
    e = EdgePoint{};
  }
  Real n[3] = {0, 0, 0};
  if (facetNormal(f, e.xi, e.eta, subPath, e.corner, cylindrical, cylinder, n))
    for (int i = 0; i < 3; ++i) sum[i] += n[i];
  return true;
}

// ---- Vertices ---------------------------------------------------------------------------------------

struct VertexPoint {
  Real xi = 0.0, eta = 0.0;
  Int corner = 0;
};

VertexPoint vertexPoint(Int nn, int p, int dim, bool subPath, bool cylindrical, const Real* cylinder) {
  VertexPoint v;
  if (dim == 2) {
    v.xi = p == 1 ? -1.0 : (nn == 2 || p != 2) ? 1.0 : 0.0;
    return v;
  }
  if (subPath) {
    static constexpr int kCorner[7] = {0, 1, 2, 3, 1, 2, 1};
    static constexpr Real kAt[7][2] = {{0, 0}, {-1, -1}, {-1, -1}, {-1, -1}, {1, -1}, {1, -1}, {-1, 1}};
    const int q = p >= 1 && p <= 6 ? p : 3;
    v.corner = kCorner[q], v.xi = kAt[q][0], v.eta = kAt[q][1];
    return v;
  }
  static constexpr Real kSquare[10][2] = {{0, 0}, {-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}, {0, 0}};
  if (cylindrical) {
    const Real a = cylinder[0];
    if (std::fabs(a) > kFlat) {
      const Real six[7][2] = {{0, 0}, {-1, 0}, {1, 0}, {1, a}, {-1, a}, {1, cylinder[2]}, {-1, cylinder[1]}};
      const Real nine[10][2] = {{0, 0},  {-1, 0}, {1, 0},           {1, a},          {-1, a},
                                {0, 0},  {1, cylinder[3]}, {0, a}, {-1, cylinder[1]}, {0, cylinder[2]}};
      const int q = std::clamp(p, 0, nn == 6 ? 6 : 9);
      v.xi = nn == 6 ? six[q][0] : nine[q][0];
      v.eta = nn == 6 ? six[q][1] : nine[q][1];
      return v;
    }
    if (nn == 6) {
      const Real flat6[7][2] = {{0, 0}, {-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {1, 0}, {-1, 0}};
      const int q = std::clamp(p, 0, 6);
      v.xi = flat6[q][0], v.eta = flat6[q][1];
      return v;
    }
    const int q = std::clamp(p, 0, 9);
    v.xi = kSquare[q][0], v.eta = kSquare[q][1];
    return v;
  }
  if (nn == 3 || nn == 6) {
    static constexpr Real kTriangle[6][2] = {{0, 0}, {1, 0}, {0, 1}, {0.5, 0}, {0.5, 0.5}, {0, 0.5}};
    const int q = p >= 1 && p <= 5 ? p : 6;
    v.xi = kTriangle[q - 1][0], v.eta = kTriangle[q - 1][1];
    return v;
  }
  if (nn == 4 || nn == 8 || nn == 9) {
    const int q = std::clamp(p, 0, 9);
    v.xi = kSquare[q][0], v.eta = kSquare[q][1];
  }
  return v;
}

}  // namespace

bool edgeNormal(const NodeAccess& nodes, const Int* edge, Real s, const Int* const (&records)[2],
                const Int (&kinds)[2], const Real* const (&cylinders)[2], int facets, bool subFacets, Real* normal,
                const char* edgeMessage) {
  for (int i = 0; i < 3; ++i) normal[i] = 0.0;
  for (int k = 0; k < (facets == 1 ? 1 : 2); ++k)
    if (!addEdgeFacet(nodes, edge, s, records[k], kinds[k], cylinders[k], subFacets, normal, edgeMessage)) return false;
  normalise(normal, 3);
  return true;
}

bool vertexNormal(const NodeAccess& nodes, const Int* vertex, const Int* table, Int ld, bool subFacets, int dim,
                  Real* normal, const Real* values, Real* mean, bool cylindricalSurface, const Int* kinds,
                  const Real* cylinders) {
  for (int i = 0; i < dim; ++i) normal[i] = 0.0;
  *mean = 0.0;
  const Int m = vertex[0];
  if (m < 1) return true;
  Real sum = 0.0;
  for (Int i = 0; i < m; ++i) {
    const Int facet = vertex[1 + i];
    const int position = vertex[1 + m + i];
    sum += values[facet - 1];
    Facet f;
    if (!gather(nodes, table + static_cast<long long>(facet - 1) * ld, dim, f)) {
      *mean = sum;
      return false;
    }
    const Int nn = f.nodes;
    const bool cylindrical = cylindricalSurface && kinds[facet - 1] == 1;
    const Real* cylinder = cylinders + 4 * static_cast<long long>(facet - 1);
    const bool subPath = dim == 3 && subFacets && nn == 6;
    const VertexPoint at = vertexPoint(nn, position, dim, subPath, cylindrical, cylinder);
    Real n[3] = {0, 0, 0};
    if (dim == 2) {
      if (nn != 2 && nn != 3) continue;
      const Real d[3] = {nn == 2 ? -0.5 : at.xi - 0.5, nn == 2 ? 0.5 : -2.0 * at.xi, at.xi + 0.5};
      Real t[2] = {0, 0};
      for (Int j = 0; j < nn; ++j) t[0] += d[j] * f.x[3 * j], t[1] += d[j] * f.x[3 * j + 1];
      n[0] = -t[1], n[1] = t[0];
      normalise(n, 2);
    } else if (!facetNormal(f, at.xi, at.eta, subPath, at.corner, cylindrical, cylinder, n)) {
      continue;
    }
    for (int c = 0; c < dim; ++c) normal[c] += n[c];
  }
  normalise(normal, dim);
  *mean = sum / m;
  return true;
}

}  // namespace zmx::geometry

namespace {

using zmx::geometry::NodeAccess;

// Node n in column n - offset of an array of leading dimension ld.
struct OffsetColumns {
  const Real* x;
  Int ld, offset;
};

bool offsetFetch(void* context, Int node, int dim, Real* out) {
  const auto* c = static_cast<const OffsetColumns*>(context);
  const long long column = static_cast<long long>(node) - c->offset;
  for (int i = 0; i < dim; ++i) out[i] = column >= 1 ? c->x[(column - 1) * c->ld + i] : 0.0;
  return true;
}

// Node n through its key map(n), the key's position in the sorted list and the column list; the
// position of one lookup is the guess of the next, 1 at the start of each facet.
struct SortedColumns {
  const Real* x;
  Int ld;
  const Int *map, *keys, *columns;
  Int count, position;
};

bool sortedFetch(void* context, Int node, int dim, Real* out) {
  auto* c = static_cast<SortedColumns*>(context);
  if (node < 1) return false;
  const Int key = c->map[node - 1];
  Int miss = 1;
  HUNTI(c->keys, &c->count, &key, &c->position, &miss);
  if (miss != 0) return false;
  const long long column = c->columns[c->position - 1];
  for (int i = 0; i < dim; ++i) out[i] = c->x[(column - 1) * c->ld + i];
  return true;
}

void restartGuess(void* context) { static_cast<SortedColumns*>(context)->position = 1; }

}  // namespace

extern "C" {

void NORMALONINTERNALEDGE(const Int* k, const Real* xi, const Real* eta, const Real* x, const Int* ld, Real* normal,
                          Int* status) {
  *status = 0;
  for (int i = 0; i < 3; ++i) normal[i] = 0.0;
  zmx::geometry::SubPoint points[3];
  const int count = zmx::geometry::subPointsAt(*k, *xi, *eta, points);
  for (int p = 0; p < count; ++p) {
    const Int corner = points[p].region + 1, derivatives = 1;
    Real d[12];
    INTT6C(&corner, &points[p].xi, &points[p].eta, d, &derivatives);
    Real j[2][2];
    zmx::geometry::subJacobian(points[p].region, points[p].xi, points[p].eta, j);
    Real det = j[0][0] * j[1][1] - j[0][1] * j[1][0];
    if (std::fabs(det) < 1e-36) det = 1.0;
    Real t1[3] = {0, 0, 0}, t2[3] = {0, 0, 0};
    for (int node = 0; node < 6; ++node) {
      const Real dr = (j[1][1] * d[node] - j[1][0] * d[6 + node]) / det;
      const Real ds = (j[0][0] * d[6 + node] - j[0][1] * d[node]) / det;
      const Real* xj = x + static_cast<long long>(node) * *ld;
      for (int i = 0; i < 3; ++i) t1[i] += dr * xj[i], t2[i] += ds * xj[i];
    }
    Real n[3];
    if (!zmx::geometry::crossNormal(t1, t2, n)) {
      *status = 1;
      return;
    }
    for (int i = 0; i < 3; ++i) normal[i] += n[i];
  }
  if (!zmx::geometry::normalise(normal, 3)) *status = 1;
}

void NORMAL_ON_EDGE(const Int* edge, const Real* s, const Int* first, const Int* second, const Logical* subFacets,
                    const Real* x, const Int* ld, const Int* offset, Real* normal, const Int* facets,
                    const Int* firstKind, const Real* firstCylinder, const Int* secondKind,
                    const Real* secondCylinder) {
  OffsetColumns columns{x, *ld, *offset};
  const NodeAccess access{offsetFetch, &columns, nullptr};
  zmx::geometry::edgeNormal(access, edge, *s, {first, second}, {*firstKind, *secondKind},
                            {firstCylinder, secondCylinder}, *facets, isTrueLowBit(*subFacets), normal,
                            "SYSTEM ERROR IN normal_on_edge - the point is not at the edge");
}

void NORMAL_ON_EDGE_B(const Int* edge, const Real* s, const Int* first, const Int* second, const Logical* subFacets,
                      const Real* x, const Int* ld, Real* normal, const Int* map, const Int* keys, const Int* columns,
                      const Int* keyCount, Logical* failed, const Int* facets, const Int* firstKind,
                      const Real* firstCylinder, const Int* secondKind, const Real* secondCylinder) {
  *failed = kTrue;
  SortedColumns sorted{x, *ld, map, keys, columns, *keyCount, 1};
  const NodeAccess access{sortedFetch, &sorted, restartGuess};
  if (zmx::geometry::edgeNormal(access, edge, *s, {first, second}, {*firstKind, *secondKind},
                                {firstCylinder, secondCylinder}, *facets, isTrueLowBit(*subFacets), normal,
                                "SYSTEM ERROR IN normal_on_edge_b - the point is not at the edge"))
    *failed = kFalse;
}

void NORMAL_ON_VERTEX(const Int* vertex, const Int* table, const Int* tableLd, const Logical* subFacets, const Real* x,
                      const Int* ld, const Int* offset, Real* normal, const Real* values, Real* mean,
                      const Logical* cylindricalSurface, const Int* kinds, const Real* cylinders) {
  OffsetColumns columns{x, *ld, *offset};
  const NodeAccess access{offsetFetch, &columns, nullptr};
  zmx::geometry::vertexNormal(access, vertex, table, *tableLd, isTrueLowBit(*subFacets), *ld == 2 ? 2 : 3, normal,
                              values, mean, isTrueLowBit(*cylindricalSurface), kinds, cylinders);
}

void NORMAL_ON_VERTEX_B(const Int* vertex, const Int* table, const Int* tableLd, const Logical* subFacets,
                        const Real* x, const Int* ld, Real* normal, const Int* map, const Int* keys,
                        const Int* columns, const Int* keyCount, Logical* failed, const Real* values, Real* mean,
                        const Int* kinds, const Real* cylinders) {
  *failed = kTrue;
  SortedColumns sorted{x, *ld, map, keys, columns, *keyCount, 1};
  const NodeAccess access{sortedFetch, &sorted, restartGuess};
  if (zmx::geometry::vertexNormal(access, vertex, table, *tableLd, isTrueLowBit(*subFacets), 3, normal, values, mean,
                                  true, kinds, cylinders))
    *failed = kFalse;
}

}  // extern "C"
