// Element-based master surfaces for the projection tests: facets given by their node numbers,
// laid out as the caller's arrays (facet table with local edges, edge table with its facets,
// facets per node with each node's position, free vertices, sizes, cylindrical angle records),
// one call of each of the three projections, and brute-force closest points to compare with.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "runtime/record.h"
#include "tests/geometry/cylinders/cylinder_model.h"
#include "zmx/contact.h"
#include "zmx/geometry.h"

namespace master_test {

using Vec = std::array<double, 3>;

inline Vec operator+(const Vec& a, const Vec& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
inline Vec operator-(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
inline Vec operator*(double s, const Vec& a) { return {s * a[0], s * a[1], s * a[2]}; }
inline double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline Vec cross(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline double norm(const Vec& a) { return std::sqrt(dot(a, a)); }

constexpr Int kFacetRows = 16;  // 1 edges, 2 nodes, 4.. local edges, 8.. nodes

struct Facet {
  std::vector<Int> nodes;        // node numbers, corners first
  Int kind = 0;                  // 1 cylindrical
  std::array<double, 4> angles{};
};

// Corner pairs and middle node position (0 none) of the local edges of a facet.
struct LocalEdge {
  int a, b, middle;
};

inline std::vector<LocalEdge> localEdges(const Facet& f) {
  const std::size_t n = f.nodes.size();
  if (f.kind == 1) {
    if (n == 6) return {{1, 2, 0}, {2, 3, 5}, {3, 4, 0}, {4, 1, 6}};
    return {{1, 2, 5}, {2, 3, 6}, {3, 4, 7}, {4, 1, 8}};
  }
  if (n == 3) return {{1, 2, 0}, {2, 3, 0}, {3, 1, 0}};
  if (n == 6) return {{1, 2, 4}, {2, 3, 5}, {3, 1, 6}};
  if (n == 4) return {{1, 2, 0}, {2, 3, 0}, {3, 4, 0}, {4, 1, 0}};
  return {{1, 2, 5}, {2, 3, 6}, {3, 4, 7}, {4, 1, 8}};
}

struct Surface {
  Int offset = 0;
  std::vector<Vec> coords;  // entry j = node offset + j
  std::vector<Facet> facets;
  bool quadratic = false;   // edges carry their middle nodes

  // The caller's arrays, after build().
  std::vector<Int> facetTable, edgeTable, edgeFacets, nodeFacets, freeVertices, facetElement, facetKind;
  std::vector<double> facetSize, facetAngles, x;
  Int ldNodeFacets = 0, ldCoord = 3, freeCount = 0;
  double surfaceSize = 0.0;
  std::vector<std::vector<Int>> edgeNodes;  // per edge: end, (middle,) end

  Int nodes() const { return static_cast<Int>(coords.size()); }
  Int facetCount() const { return static_cast<Int>(facets.size()); }
  const Vec& at(Int n) const { return coords[static_cast<std::size_t>(n - offset - 1)]; }

  void build() {
    const Int nf = facetCount();
    facetTable.assign(static_cast<std::size_t>(kFacetRows * nf), 0);
    facetElement.resize(static_cast<std::size_t>(nf));
    facetKind.resize(static_cast<std::size_t>(nf));
    facetSize.resize(static_cast<std::size_t>(nf));
    facetAngles.assign(static_cast<std::size_t>(4 * nf), 0.0);
    std::map<std::pair<Int, Int>, Int> edgeOf;
    edgeTable.clear();
    edgeFacets.clear();
    edgeNodes.clear();
    std::vector<std::vector<std::pair<Int, Int>>> atNode(static_cast<std::size_t>(offset + nodes()));
    Vec lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
    for (Int f = 1; f <= nf; ++f) {
      const Facet& facet = facets[static_cast<std::size_t>(f - 1)];
      Int* column = facetTable.data() + kFacetRows * (f - 1);
      const auto local = localEdges(facet);
      column[0] = static_cast<Int>(local.size());
      column[1] = static_cast<Int>(facet.nodes.size());
      for (std::size_t k = 0; k < facet.nodes.size(); ++k) {
        column[7 + k] = facet.nodes[k];
        atNode[static_cast<std::size_t>(facet.nodes[k] - 1)].push_back({f, static_cast<Int>(k + 1)});
      }
      double size = 0.0;
      for (std::size_t j = 0; j < local.size(); ++j) {
        const Int a = facet.nodes[static_cast<std::size_t>(local[j].a - 1)];
        const Int b = facet.nodes[static_cast<std::size_t>(local[j].b - 1)];
        size = std::max(size, norm(at(a) - at(b)));
        const auto key = std::make_pair(std::min(a, b), std::max(a, b));
        auto found = edgeOf.find(key);
        if (found == edgeOf.end()) {
          const Int e = static_cast<Int>(edgeNodes.size()) + 1;
          found = edgeOf.emplace(key, e).first;
          const bool middle = local[j].middle > 0 && (quadratic || facet.kind == 1);
          const Int m = middle ? facet.nodes[static_cast<std::size_t>(local[j].middle - 1)] : 0;
          edgeNodes.push_back(middle ? std::vector<Int>{a, m, b} : std::vector<Int>{a, b});
          edgeTable.insert(edgeTable.end(), {0, a, middle ? m : b, middle ? b : 0});
          edgeFacets.insert(edgeFacets.end(), {f, 0});
        } else {
          edgeFacets[static_cast<std::size_t>(2 * (found->second - 1) + 1)] = f;
        }
        ++edgeTable[static_cast<std::size_t>(4 * (found->second - 1))];
        column[3 + j] = found->second;
      }
      facetElement[static_cast<std::size_t>(f - 1)] = 5000 + f;
      facetKind[static_cast<std::size_t>(f - 1)] = facet.kind;
      facetSize[static_cast<std::size_t>(f - 1)] = size;
      std::copy(facet.angles.begin(), facet.angles.end(), facetAngles.begin() + 4 * (f - 1));
      for (Int n : facet.nodes) {
        for (int i = 0; i < 3; ++i) {
          lo[i] = std::min(lo[i], at(n)[i]);
          hi[i] = std::max(hi[i], at(n)[i]);
        }
      }
    }
    surfaceSize = norm(hi - lo);
    // Facets per node by node number: count, facets, then the node's position in each.
    std::size_t most = 1;
    for (const auto& list : atNode) most = std::max(most, list.size());
    ldNodeFacets = static_cast<Int>(2 * most + 1);
    nodeFacets.assign(static_cast<std::size_t>(ldNodeFacets) * atNode.size(), 0);
    for (std::size_t m = 0; m < atNode.size(); ++m) {
      Int* column = nodeFacets.data() + m * static_cast<std::size_t>(ldNodeFacets);
      column[0] = static_cast<Int>(atNode[m].size());
      for (std::size_t k = 0; k < atNode[m].size(); ++k) {
        column[1 + k] = atNode[m][k].first;
        column[1 + atNode[m].size() + k] = atNode[m][k].second;
      }
    }
    std::set<Int> free;
    for (std::size_t e = 0; e < edgeNodes.size(); ++e) {
      if (edgeTable[4 * e] == 1) free.insert(edgeNodes[e].begin(), edgeNodes[e].end());
    }
    freeVertices.assign(free.begin(), free.end());
    freeCount = static_cast<Int>(freeVertices.size());
    freeVertices.push_back(0);  // never read: keeps data() valid for a closed surface
    x.assign(static_cast<std::size_t>(ldCoord * nodes()), 0.0);
    for (Int j = 0; j < nodes(); ++j) std::copy_n(coords[static_cast<std::size_t>(j)].begin(), 3, x.begin() + ldCoord * j);
  }
};

// What a projection hands back.
struct Answer {
  std::array<double, 15> result{};
  std::array<Int, 4> slots{};  // NODE_STATE slots 16-19
  Int kind = 0, entity = 0, count = 0;
  Logical lookupFailed = 0;
  std::vector<double> state;  // every NODE_STATE slot, to see that only 16-19 change
  Vec point() const { return {result[0], result[1], result[2]}; }
  Vec normal() const { return {result[3], result[4], result[5]}; }
  double distance() const { return result[12]; }
};

struct Options {
  Int split = 0;
  double extension = 0.1;
  Logical keepBoundary = 0;
  const char* name = "SURF-A  ";  // the surface name for messages, and its length
  Int nameLength = 8;
};

constexpr int kStateSlots = 24;
constexpr double kStateFill = -7.75;

inline void readState(Answer& a) {
  for (int k = 0; k < 4; ++k) a.slots[static_cast<std::size_t>(k)] = rec::slotI(a.state.data(), 16 + k);
}

struct Work {
  std::vector<double> nodeDist, bound;
  std::vector<Int> candidates;
  explicit Work(const Surface& s)
      : nodeDist(static_cast<std::size_t>(s.nodes()), 1e36),
        bound(static_cast<std::size_t>(s.facetCount()) + 1),
        candidates(static_cast<std::size_t>(s.facetCount()) + 1) {}
};

// RSLID_SURFACE from the previous contact (kind, entity, count) in `previous`.
inline Answer project(const Surface& s, Work& w, const Vec& p, const Answer& previous, const Options& o = {}) {
  Answer a;
  a.state.assign(kStateSlots, kStateFill);
  a.result.fill(-99.0);
  a.kind = previous.kind;
  a.entity = previous.entity;
  a.count = previous.count;
  const Int nf = s.facetCount(), nn = s.nodes(), unused = 0, ldFacet = kFacetRows;
  const Int quadratic = s.quadratic ? 1 : 0;
  RSLID_SURFACE(&nf, s.facetElement.data(), s.facetTable.data(), &ldFacet, s.edgeTable.data(), s.edgeFacets.data(),
                s.nodeFacets.data(), s.freeVertices.data(), &s.freeCount, s.facetSize.data(), &s.surfaceSize, &nn,
                &s.offset, &unused, &s.ldNodeFacets, p.data(), s.x.data(), &s.ldCoord, w.nodeDist.data(),
                w.bound.data(), w.candidates.data(), a.state.data(), a.result.data(), &o.split, &quadratic,
                o.name, o.nameLength, &a.kind, &a.entity, &a.count, &o.extension, &o.keepBoundary, s.facetKind.data(),
                s.facetAngles.data());
  readState(a);
  return a;
}

// The key lists of the keyed forms: node n has key 3n + 1; keys are listed ascending with the
// column of their node; `drop` leaves one node's key out.
struct Keys {
  std::vector<Int> nodeKey, keyList, keyColumn;
  Keys(const Surface& s, Int drop = 0) {
    nodeKey.resize(static_cast<std::size_t>(s.offset + s.nodes()));
    for (Int n = 1; n <= s.offset + s.nodes(); ++n) nodeKey[static_cast<std::size_t>(n - 1)] = 3 * n + 1;
    for (Int n = s.offset + 1; n <= s.offset + s.nodes(); ++n) {
      if (n == drop) continue;
      keyList.push_back(3 * n + 1);
      keyColumn.push_back(n - s.offset);
    }
    keyList.push_back(0);  // never read: keeps data() valid
  }
  Int count() const { return static_cast<Int>(keyList.size()) - 1; }
};

inline Answer projectKeyed(const Surface& s, Work& w, const Keys& k, const Vec& p, const Answer& previous,
                           const Options& o = {}) {
  Answer a;
  a.state.assign(kStateSlots, kStateFill);
  a.result.fill(-99.0);
  a.kind = previous.kind;
  a.entity = previous.entity;
  a.count = previous.count;
  a.lookupFailed = 5;
  const Int nf = s.facetCount(), nn = s.nodes(), unused = 0, ldFacet = kFacetRows, nkey = k.count();
  const Int quadratic = s.quadratic ? 1 : 0;
  RSLID_SURFACE_B(&nf, s.facetElement.data(), s.facetTable.data(), &ldFacet, s.edgeTable.data(), s.edgeFacets.data(),
                  s.nodeFacets.data(), s.freeVertices.data(), &s.freeCount, s.facetSize.data(), &s.surfaceSize, &nn,
                  &s.offset, &unused, &s.ldNodeFacets, p.data(), s.x.data(), &s.ldCoord, w.nodeDist.data(),
                  w.bound.data(), w.candidates.data(), a.state.data(), a.result.data(), &o.split, &quadratic,
                  o.name, o.nameLength, &a.kind, &a.entity, &a.count, &o.extension, k.nodeKey.data(), k.keyList.data(),
                  k.keyColumn.data(), &nkey, &a.lookupFailed, s.facetKind.data(), s.facetAngles.data());
  readState(a);
  return a;
}

inline Answer evaluate(const Surface& s, const Keys& k, const Vec& p, Int kind, Int entity, const Options& o = {}) {
  Answer a;
  a.state.assign(kStateSlots, kStateFill);
  a.result.fill(-99.0);
  a.kind = kind;
  a.entity = entity;
  a.lookupFailed = 5;
  const Int nf = s.facetCount(), unused = 0, ldFacet = kFacetRows, nkey = k.count();
  const Int quadratic = s.quadratic ? 1 : 0;
  RSLID_SURFACE_NOSEARCH(&nf, s.facetElement.data(), s.facetTable.data(), &ldFacet, s.edgeTable.data(),
                         s.edgeFacets.data(), s.nodeFacets.data(), s.freeVertices.data(), &s.freeCount,
                         s.facetSize.data(), &unused, &s.ldNodeFacets, p.data(), s.x.data(), &s.ldCoord,
                         a.state.data(), a.result.data(), &o.split, &quadratic, o.name, o.nameLength, &a.kind, &a.entity,
                         k.nodeKey.data(), k.keyList.data(), k.keyColumn.data(), &nkey, &o.extension,
                         &a.lookupFailed, s.facetKind.data(), s.facetAngles.data());
  readState(a);
  return a;
}

// Loads the surface's deformable search tree (boxes widened by margin), or frees it.
inline void loadTree(const Surface& s, double margin) {
  const Int nf = s.facetCount(), ldFacet = kFacetRows;
  SHR_CREATESRCHDBDEFVSDEF(&nf, s.facetTable.data(), &ldFacet, &s.offset, s.x.data(), &s.ldCoord, &margin);
}
inline void freeTree() {
  const Int six = 6, one = 1, three = 3;
  const double records = 1.0;
  Int items = 0, count = 0, error = 0;
  const double p[3] = {0, 0, 0};
  SHR_CONTACTSRCHDBDEFVSDEF(&six, &records, &one, &one, p, &three, &items, &count, &error);
}

// ---- Brute force -----------------------------------------------------------------------------------

inline Vec closestOnTriangle(const Vec& p, const Vec& a, const Vec& b, const Vec& c) {
  const Vec ab = b - a, ac = c - a, ap = p - a;
  const double d1 = dot(ab, ap), d2 = dot(ac, ap);
  if (d1 <= 0 && d2 <= 0) return a;
  const Vec bp = p - b;
  const double d3 = dot(ab, bp), d4 = dot(ac, bp);
  if (d3 >= 0 && d4 <= d3) return b;
  const double vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) return a + (d1 / (d1 - d3)) * ab;
  const Vec cp = p - c;
  const double d5 = dot(ab, cp), d6 = dot(ac, cp);
  if (d6 >= 0 && d5 <= d6) return c;
  const double vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) return a + (d2 / (d2 - d6)) * ac;
  const double va = d3 * d6 - d5 * d4;
  if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0) return b + ((d4 - d3) / ((d4 - d3) + (d5 - d6))) * (c - b);
  const double denom = 1.0 / (va + vb + vc);
  return a + (vb * denom) * ab + (vc * denom) * ac;
}

// The exact closest point of a surface of flat 3- and 4-node facets (a quadrilateral as its two
// triangles).
inline Vec bruteClosest(const Surface& s, const Vec& p) {
  Vec best{};
  double bestD = 1e300;
  const auto consider = [&](Int a, Int b, Int c) {
    const Vec q = closestOnTriangle(p, s.at(a), s.at(b), s.at(c));
    const double d = norm(p - q);
    if (d < bestD) {
      bestD = d;
      best = q;
    }
  };
  for (const Facet& f : s.facets) {
    consider(f.nodes[0], f.nodes[1], f.nodes[2]);
    if (f.nodes.size() == 4) consider(f.nodes[0], f.nodes[2], f.nodes[3]);
  }
  return best;
}

// ---- Surfaces --------------------------------------------------------------------------------------

// The closed surface of the box [0, a] x [0, b] x [0, c], m facets along each side, normals out.
inline Surface box(int m, double a, double b, double c) {
  Surface s;
  std::map<std::array<long, 3>, Int> number;
  const auto node = [&](const Vec& v) {
    const std::array<long, 3> key{std::lround(v[0] / a * m), std::lround(v[1] / b * m), std::lround(v[2] / c * m)};
    auto found = number.find(key);
    if (found != number.end()) return found->second;
    s.coords.push_back(v);
    return number[key] = static_cast<Int>(s.coords.size());
  };
  const Vec size{a, b, c};
  for (int axis = 0; axis < 3; ++axis) {
    const int u = (axis + 1) % 3, v = (axis + 2) % 3;
    for (int side = 0; side < 2; ++side) {
      for (int i = 0; i < m; ++i) {
        for (int k = 0; k < m; ++k) {
          std::array<Int, 4> q;
          const int di[4] = {0, 1, 1, 0}, dk[4] = {0, 0, 1, 1};
          for (int c4 = 0; c4 < 4; ++c4) {
            Vec pnt{};
            pnt[static_cast<std::size_t>(axis)] = side * size[static_cast<std::size_t>(axis)];
            pnt[static_cast<std::size_t>(u)] = (i + di[c4]) * size[static_cast<std::size_t>(u)] / m;
            pnt[static_cast<std::size_t>(v)] = (k + dk[c4]) * size[static_cast<std::size_t>(v)] / m;
            q[static_cast<std::size_t>(c4)] = node(pnt);
          }
          // Counter-clockwise seen from outside.
          if (side == 1) s.facets.push_back({{q[0], q[1], q[2], q[3]}});
          else s.facets.push_back({{q[0], q[3], q[2], q[1]}});
        }
      }
    }
  }
  return s;
}

// A torus about z (radii big and small), nu x nv quadrilaterals each split into two triangles.
inline Surface torus(int nu, int nv, double big, double small) {
  Surface s;
  const double pi = std::acos(-1.0);
  for (int i = 0; i < nu; ++i) {
    for (int k = 0; k < nv; ++k) {
      const double u = 2 * pi * i / nu, v = 2 * pi * k / nv;
      s.coords.push_back({(big + small * std::cos(v)) * std::cos(u), (big + small * std::cos(v)) * std::sin(u),
                          small * std::sin(v)});
    }
  }
  const auto node = [&](int i, int k) { return static_cast<Int>(((i + nu) % nu) * nv + (k + nv) % nv + 1); };
  for (int i = 0; i < nu; ++i) {
    for (int k = 0; k < nv; ++k) {
      s.facets.push_back({{node(i, k), node(i + 1, k), node(i + 1, k + 1)}});
      s.facets.push_back({{node(i, k), node(i + 1, k + 1), node(i, k + 1)}});
    }
  }
  return s;
}

// ---- Curved cylindrical facets ------------------------------------------------------------------

// A closed ring of cylindrical facets of 6 or 9 nodes on the cylinder c between heights 0 and
// `height`: nt facets around of random angular spans and random midside angles on every arc, nz
// along the axis (xi running down it, so that the facets' normals point out); then every node is
// moved off the cylinder by up to `distortion` along each axis. The angle records are those of
// the ring before the move. A regular ring has equal spans and its midside nodes halfway.
inline Surface cylinderRing(const cylinder_model::Cylinder& c, int nt, int nz, double height, int nodesPerFacet,
                            double distortion, std::mt19937& rng, bool regular = false) {
  Surface s;
  const double jitter = regular ? 0.0 : 1.0;
  std::uniform_real_distribution<double> spread(1 - 0.25 * jitter, 1 + 0.25 * jitter),
      middle(0.5 - 0.15 * jitter, 0.5 + 0.15 * jitter), move(-distortion, distortion);
  std::vector<double> start(static_cast<std::size_t>(nt + 1), 0.0);
  for (int i = 0; i < nt; ++i) start[static_cast<std::size_t>(i + 1)] = start[static_cast<std::size_t>(i)] + spread(rng);
  const double pi = std::acos(-1.0), scale = 2 * pi / start.back();
  for (double& t : start) t *= scale;
  std::map<std::pair<int, int>, double> midAngle;  // (facet column, height station) -> angle
  std::map<std::pair<int, int>, Int> number;       // (angle station, height station) -> node
  const auto angleOf = [&](int ti, int zi) {
    const int i = (ti / 2) % nt;
    if (ti % 2 == 0) return start[static_cast<std::size_t>(ti / 2)];
    auto found = midAngle.find({i, zi});
    if (found == midAngle.end()) {
      const double span = start[static_cast<std::size_t>(i + 1)] - start[static_cast<std::size_t>(i)];
      found = midAngle.emplace(std::make_pair(i, zi), start[static_cast<std::size_t>(i)] + middle(rng) * span).first;
    }
    return found->second;
  };
  const auto node = [&](int ti, int zi) {
    const auto key = std::make_pair(ti % (2 * nt), zi);
    auto found = number.find(key);
    if (found != number.end()) return found->second;
    const cylinder_model::Vec x = c.at(angleOf(key.first, zi), height * zi / (2.0 * nz));
    s.coords.push_back({x[0] + move(rng), x[1] + move(rng), x[2] + move(rng)});
    return number[key] = static_cast<Int>(s.coords.size());
  };
  for (int i = 0; i < nt; ++i) {
    for (int k = 0; k < nz; ++k) {
      const int t0 = 2 * i, t1 = 2 * i + 2, tm = 2 * i + 1, z0 = 2 * k + 2, z1 = 2 * k, zm = 2 * k + 1;
      Facet f;
      f.kind = 1;
      const double a = angleOf(t0, z0), total = start[static_cast<std::size_t>(i + 1)] - a;
      if (nodesPerFacet == 6) {
        f.nodes = {node(t0, z0), node(t0, z1), node(t1, z1), node(t1, z0), node(tm, z1), node(tm, z0)};
        f.angles = {total, angleOf(tm, z0) - a, angleOf(tm, z1) - a, 0.0};
      } else {
        f.nodes = {node(t0, z0), node(t0, z1), node(t1, z1), node(t1, z0), node(t0, zm),
                   node(tm, z1), node(t1, zm), node(tm, z0), node(tm, zm)};
        f.angles = {total, angleOf(tm, z0) - a, angleOf(tm, zm) - a, angleOf(tm, z1) - a};
      }
      s.facets.push_back(f);
    }
  }
  return s;
}

// The point of cylindrical facet f at (xi, theta), from the cylinder model's written-out facet
// functions and the facet's nodes.
inline Vec cylindricalPoint(const Surface& s, const Facet& f, double xi, double theta) {
  const auto n = static_cast<int>(f.nodes.size());
  const auto w = cylinder_model::facetFunctions(n, f.angles.data(), xi, theta);
  Vec q{0, 0, 0};
  for (int j = 0; j < n; ++j) q = q + w[0][static_cast<std::size_t>(j)] * s.at(f.nodes[static_cast<std::size_t>(j)]);
  return q;
}

// The least distance from p to the patch x(u, v) over u in [u0, u1], v in [v0, v1] (with
// `triangle`, the part with (u - u0) / (u1 - u0) + (v - v0) / (v1 - v0) <= 1): a 16 x 16 sampling,
// then a shrinking 5 x 5 pattern around the best point, unless the sampling stays beyond `within`.
// Gives the distance and (u, v) there.
template <class Patch>
double patchDistance(const Patch& x, const Vec& p, double u0, double u1, double v0, double v1, bool triangle,
                     double* uv = nullptr, double within = 1e300) {
  const auto clamp = [&](double& u, double& v) {
    double a = std::clamp((u - u0) / (u1 - u0), 0.0, 1.0), b = std::clamp((v - v0) / (v1 - v0), 0.0, 1.0);
    if (triangle && a + b > 1) a /= a + b, b = 1 - a;
    u = u0 + a * (u1 - u0), v = v0 + b * (v1 - v0);
  };
  double best = 1e300, bu = u0, bv = v0;
  const auto consider = [&](double u, double v) {
    clamp(u, v);
    const double d = norm(p - x(u, v));
    if (d < best) best = d, bu = u, bv = v;
  };
  for (int i = 0; i <= 16; ++i)
    for (int k = 0; k <= 16; ++k) consider(u0 + (u1 - u0) * i / 16, v0 + (v1 - v0) * k / 16);
  for (double h = 1.0 / 16; h > 1e-10 && best <= within; h *= 0.5) {
    const double cu = bu, cv = bv;
    for (int i = -2; i <= 2; ++i)
      for (int k = -2; k <= 2; ++k) consider(cu + i * h * (u1 - u0) / 2, cv + k * h * (v1 - v0) / 2);
  }
  if (uv != nullptr) uv[0] = bu, uv[1] = bv;
  return best;
}

// The open cylinder of radius r about z from z = 0 to z = h: nt x nz cylindrical facets of 6 or 9
// nodes of equal spans, midside nodes halfway.
inline Surface cylinder(int nt, int nz, double r, double h, int nodesPerFacet) {
  std::mt19937 rng(0);
  cylinder_model::Cylinder c(rng);
  c.centre = {0, 0, 0}, c.axis = {0, 0, 1}, c.u = {1, 0, 0}, c.v = {0, 1, 0}, c.radius = r, c.origin = 0;
  return cylinderRing(c, nt, nz, h, nodesPerFacet, 0.0, rng, true);
}

}  // namespace master_test
