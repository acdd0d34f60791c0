// Triangulated rigid surfaces with every array the faceted rigid-surface search reads, its search
// tree, one call of the search, and the exact closest point by brute force over the triangles.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <vector>

#include "tests/support/closest_point.h"
#include "zmx/contact.h"

namespace rigid_test {

using zmxtest::Point3;

// A triangulated surface with every array the search reads.
struct Surface {
  std::vector<double> coords;
  std::vector<std::array<int, 3>> triangles;
  std::vector<int> facetTable, edgeTable, edgeFacets, nodeFacets, freeVertices, elements;
  std::vector<double> facetSize, block;
  int ldNodeFacets = 0;
  double surfaceSize = 0;
  static constexpr int kLdFacet = 10, kLdEdge = 4;

  void finish(double margin) {
    const int nf = static_cast<int>(triangles.size()), nn = static_cast<int>(coords.size() / 3);
    std::map<std::pair<int, int>, int> edgeOf;
    std::vector<std::vector<std::pair<int, int>>> at(nn + 1);
    facetTable.assign(kLdFacet * nf, 0);
    for (int f = 0; f < nf; ++f) {
      int* column = &facetTable[kLdFacet * f];
      column[0] = 3, column[1] = 3;
      double size = 0;
      for (int k = 0; k < 3; ++k) {
        const int a = triangles[f][k], b = triangles[f][(k + 1) % 3];
        column[7 + k] = a;
        at[a].push_back({f + 1, k + 1});
        const auto key = std::minmax(a, b);
        auto it = edgeOf.find(key);
        if (it == edgeOf.end()) {
          it = edgeOf.emplace(key, static_cast<int>(edgeOf.size()) + 1).first;
          edgeTable.insert(edgeTable.end(), {0, a, b, 0});
          edgeFacets.insert(edgeFacets.end(), {0, 0});
        }
        const int e = it->second;
        edgeFacets[2 * (e - 1) + edgeTable[kLdEdge * (e - 1)]] = f + 1;
        ++edgeTable[kLdEdge * (e - 1)];
        column[3 + k] = e;
        for (int c = 0; c < 3; ++c) size = std::max(size, std::fabs(coords[3 * (a - 1) + c] - coords[3 * (b - 1) + c]));
      }
      facetSize.push_back(2 * size);
      elements.push_back(1000 + f + 1);
    }
    std::size_t most = 0;
    for (const auto& list : at) most = std::max(most, list.size());
    ldNodeFacets = static_cast<int>(2 * most + 1);
    nodeFacets.assign(static_cast<std::size_t>(ldNodeFacets) * nn, 0);
    for (int n = 1; n <= nn; ++n) {
      int* column = &nodeFacets[static_cast<std::size_t>(ldNodeFacets) * (n - 1)];
      const int m = static_cast<int>(at[n].size());
      column[0] = m;
      for (int i = 0; i < m; ++i) column[1 + i] = at[n][i].first, column[1 + m + i] = at[n][i].second;
    }
    for (std::size_t e = 0; e < edgeFacets.size() / 2; ++e)
      if (edgeTable[kLdEdge * e] == 1) freeVertices.insert(freeVertices.end(), {edgeTable[kLdEdge * e + 1], edgeTable[kLdEdge * e + 2]});
    std::sort(freeVertices.begin(), freeVertices.end());
    freeVertices.erase(std::unique(freeVertices.begin(), freeVertices.end()), freeVertices.end());
    surfaceSize = 0;
    for (double s : facetSize) surfaceSize = std::max(surfaceSize, s);
    buildTree(margin);
  }

  // The search tree, with boxes grown by margin.
  void buildTree(double margin) {
    const int nf = static_cast<int>(triangles.size());
    block.assign(4 + 400 * nf + 1000, 0.0);
    int capacity = static_cast<int>(block.size());
    const int offset = 0, three = 3;
    SHR_CREATESRCHDBDEFVSRIGID(&nf, facetTable.data(), &kLdFacet, &offset, coords.data(), &three, block.data(),
                               reinterpret_cast<int*>(block.data()), &capacity, &margin);
  }

  struct Result {
    std::vector<double> real = std::vector<double>(50, 777.0);
    std::vector<double> slots = std::vector<double>(50, 555.0);
    int kind = 0, entity = 0, count = 0;
    double distance() const { return real[0]; }
    Point3 foot() const { return {real[7], real[8], real[9]}; }
  };

  void search(const Point3& p, Result& r, double extension = 0.1, const std::vector<double>* disp = nullptr,
              double scale = 0.0, const std::vector<double>* coordsOverride = nullptr) {
    const int nf = static_cast<int>(triangles.size()), nn = static_cast<int>(coords.size() / 3), offset = 0, three = 3;
    const int freeCount = static_cast<int>(freeVertices.size()), split = 0, quadratic = 0, unused = 0;
    const int useDisp = disp != nullptr ? 1 : 0;
    std::vector<double> nodeDistance(nn), bound(nf);
    std::vector<int> candidates(nf);
    const std::vector<double>& x = coordsOverride != nullptr ? *coordsOverride : coords;
    const std::vector<double> noDisp(1, 0.0);
    FACETEDRIGIDSURFSEARCH(&nf, elements.data(), facetTable.data(), &kLdFacet, edgeTable.data(), &kLdEdge,
                           edgeFacets.data(), nodeFacets.data(), freeVertices.data(), &freeCount, facetSize.data(),
                           &surfaceSize, &nn, &offset, &unused, &ldNodeFacets, p.data(), x.data(), &three,
                           nodeDistance.data(), bound.data(), candidates.data(), r.slots.data(), r.real.data(), &split,
                           &quadratic, "RIGID   ", 8, &r.kind, &r.entity, &r.count, &extension, block.data(),
                           disp != nullptr ? disp->data() : noDisp.data(), &scale, &useDisp);
  }

  // The exact closest point of the surface.
  Point3 closest(const Point3& p, double& distance) const {
    distance = 1e300;
    Point3 best{};
    for (const auto& t : triangles) {
      const auto node = [&](int n) { return Point3{coords[3 * (n - 1)], coords[3 * (n - 1) + 1], coords[3 * (n - 1) + 2]}; };
      const Point3 q = zmxtest::closestOnTriangle(p, node(t[0]), node(t[1]), node(t[2]));
      const double d = std::hypot(q[0] - p[0], q[1] - p[1], q[2] - p[2]);
      if (d < distance) distance = d, best = q;
    }
    return best;
  }
};

// A sphere of radius 1 from a latitude-longitude grid, facets facing out.
inline Surface sphere(int rings, int sectors) {
  Surface s;
  s.coords = {0, 0, 1};
  for (int i = 1; i < rings; ++i)
    for (int j = 0; j < sectors; ++j) {
      const double t = M_PI * i / rings, f = 2 * M_PI * j / sectors;
      s.coords.insert(s.coords.end(), {std::sin(t) * std::cos(f), std::sin(t) * std::sin(f), std::cos(t)});
    }
  s.coords.insert(s.coords.end(), {0, 0, -1});
  const int south = static_cast<int>(s.coords.size() / 3);
  const auto at = [&](int i, int j) { return 2 + (i - 1) * sectors + (j % sectors); };
  for (int j = 0; j < sectors; ++j) s.triangles.push_back({1, at(1, j), at(1, j + 1)});
  for (int i = 1; i < rings - 1; ++i)
    for (int j = 0; j < sectors; ++j) {
      s.triangles.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1)});
      s.triangles.push_back({at(i, j), at(i + 1, j + 1), at(i, j + 1)});
    }
  for (int j = 0; j < sectors; ++j) s.triangles.push_back({at(rings - 1, j), south, at(rings - 1, j + 1)});
  s.finish(0.2);
  return s;
}

// A torus (radii 1 and 0.3) from a grid of nu x nv quadrilaterals, each split along a diagonal:
// long thin facets where nu is small against nv, so that the node nearest to a point is often not
// a node of the facet that holds its closest point.
inline Surface torus(int nu, int nv) {
  Surface s;
  for (int i = 0; i < nu; ++i)
    for (int j = 0; j < nv; ++j) {
      const double u = 2 * M_PI * i / nu, v = 2 * M_PI * j / nv, r = 1 + 0.3 * std::cos(v);
      s.coords.insert(s.coords.end(), {r * std::cos(u), r * std::sin(u), 0.3 * std::sin(v)});
    }
  const auto at = [&](int i, int j) { return 1 + (i % nu) * nv + (j % nv); };
  for (int i = 0; i < nu; ++i)
    for (int j = 0; j < nv; ++j) {
      s.triangles.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1)});
      s.triangles.push_back({at(i, j), at(i + 1, j + 1), at(i, j + 1)});
    }
  return s;
}

// The two triangles of the quadrilateral a b c d (in that order round it).
inline void addQuad(Surface& s, int a, int b, int c, int d) {
  s.triangles.push_back({a, b, c});
  s.triangles.push_back({a, c, d});
}

// The box [0, size]^3 with m[i] cells along axis i, facets facing out.
inline Surface box(const std::array<int, 3>& m, const std::array<double, 3>& size) {
  Surface s;
  std::map<std::array<int, 3>, int> id;
  const auto node = [&](std::array<int, 3> ijk) {
    const auto [it, fresh] = id.emplace(ijk, static_cast<int>(id.size()) + 1);
    if (fresh)
      for (int c = 0; c < 3; ++c) s.coords.push_back(size[c] * ijk[c] / m[c]);
    return it->second;
  };
  for (int axis = 0; axis < 3; ++axis)
    for (int side = 0; side < 2; ++side) {
      const int u = (axis + 1) % 3, v = (axis + 2) % 3;
      for (int i = 0; i < m[u]; ++i)
        for (int j = 0; j < m[v]; ++j) {
          const auto at = [&](int a, int b) {
            std::array<int, 3> ijk{};
            ijk[axis] = side * m[axis], ijk[u] = a, ijk[v] = b;
            return node(ijk);
          };
          // u x v points along +axis: the order turns for the side at 0.
          if (side == 1)
            addQuad(s, at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
          else
            addQuad(s, at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j));
        }
    }
  return s;
}

// A closed prism over the regular hexagon of circumradius 1 about the z axis, from z = 0 to
// height: each side k cells across and layers cells high, each end a fan about its centre.
inline Surface hexagonalPrism(int k, int layers, double height) {
  Surface s;
  const int ring = 6 * k;
  for (int l = 0; l <= layers; ++l)
    for (int i = 0; i < ring; ++i) {
      const int side = i / k;
      const double t = static_cast<double>(i % k) / k, a0 = M_PI / 3 * side, a1 = M_PI / 3 * (side + 1);
      s.coords.insert(s.coords.end(), {(1 - t) * std::cos(a0) + t * std::cos(a1), (1 - t) * std::sin(a0) + t * std::sin(a1),
                                       height * l / layers});
    }
  const auto at = [&](int l, int i) { return 1 + l * ring + i % ring; };
  for (int l = 0; l < layers; ++l)
    for (int i = 0; i < ring; ++i) addQuad(s, at(l, i), at(l, i + 1), at(l + 1, i + 1), at(l + 1, i));
  s.coords.insert(s.coords.end(), {0, 0, 0, 0, 0, height});
  const int bottom = static_cast<int>(s.coords.size() / 3) - 1, top = bottom + 1;
  for (int i = 0; i < ring; ++i) {
    s.triangles.push_back({bottom, at(0, i + 1), at(0, i)});
    s.triangles.push_back({top, at(layers, i), at(layers, i + 1)});
  }
  return s;
}

// Two flat faces along the y axis, width cells of h across, that meet at x = z = 0 at the angle
// given (in degrees) on their concave side: the floor z = 0 from x = 0 to a cells of h, and the
// wall from the meeting line along (cos angle, 0, sin angle), b cells of h. The facets face into
// the groove.
inline Surface groove(double angle, int a, int b, int width, double h) {
  Surface s;
  const double c = std::cos(angle * M_PI / 180), d = std::sin(angle * M_PI / 180);
  // Column i of nodes: the wall's from i = -b to -1 (farthest first), the floor's from 0 to a.
  for (int i = -b; i <= a; ++i)
    for (int j = 0; j <= width; ++j) {
      const double r = h * std::abs(i);
      if (i < 0)
        s.coords.insert(s.coords.end(), {r * c, h * j, r * d});
      else
        s.coords.insert(s.coords.end(), {r, h * j, 0.0});
    }
  const auto at = [&](int i, int j) { return 1 + (i + b) * (width + 1) + j; };
  for (int i = -b; i < a; ++i)
    for (int j = 0; j < width; ++j) addQuad(s, at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
  return s;
}

// The mean length of the triangles' sides.
inline double meanSide(const Surface& s) {
  double sum = 0;
  for (const auto& t : s.triangles)
    for (int k = 0; k < 3; ++k) {
      const int a = t[k] - 1, b = t[(k + 1) % 3] - 1;
      sum += std::hypot(s.coords[3 * a] - s.coords[3 * b], s.coords[3 * a + 1] - s.coords[3 * b + 1],
                        s.coords[3 * a + 2] - s.coords[3 * b + 2]);
    }
  return sum / (3.0 * s.triangles.size());
}

}  // namespace rigid_test
