// The faceted rigid-surface search over curved 4-, 8- and 9-node facets against the closest point
// found by dense sampling of the same facets (bilinear, serendipity and Lagrange shapes written out
// here), cold and warm along paths of small steps, over faces, a ridge and a valley; and over rings
// of curved facets on cylinders.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <random>
#include <vector>

#include "tests/contact/master_surfaces/master_surface_harness.h"
#include "tests/support/host_fixture.h"
#include "zmx/contact.h"

namespace {

using CurvedFacetSearch = zmxtest::HostFixture;
using P3 = std::array<double, 3>;

// Curved everywhere, with a ridge along x = 0 and a valley along y = 0.5 (facet edges there).
double height(double x, double y) {
  return 0.25 * (x * x - 0.6 * y * y) + 0.1 * x * y - 0.3 * std::fabs(x) + 0.2 * std::fabs(y - 0.5);
}

// Facet node k (0-based) at (xi, eta): corners, midsides, centre.
constexpr double kAt[9][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}, {0, 0}};

double shape(int nn, int k, double xi, double eta) {
  const double a = kAt[k][0], b = kAt[k][1];
  if (nn == 4) return (1 + a * xi) * (1 + b * eta) / 4;
  if (nn == 8) {
    if (k < 4) return (1 + a * xi) * (1 + b * eta) * (a * xi + b * eta - 1) / 4;
    return a == 0 ? (1 - xi * xi) * (1 + b * eta) / 2 : (1 + a * xi) * (1 - eta * eta) / 2;
  }
  const auto l = [](double c, double s) { return c < 0 ? s * (s - 1) / 2 : c > 0 ? s * (s + 1) / 2 : 1 - s * s; };
  return l(a, xi) * l(b, eta);
}

// A grid of g x g quadrilateral facets of nn nodes over [-1, 1]^2 on the surface z = height(x, y).
struct Grid {
  int nn, g;
  static constexpr int kLdFacet = 16, kLdEdge = 4;
  std::vector<double> coords, facetSize, block;
  std::vector<int> facetTable, edgeTable, edgeFacets, nodeFacets, freeVertices, elements;
  int ldNodeFacets = 0, nodes = 0;
  double surfaceSize = 0;

  Grid(int count, int cells) : nn(count), g(cells) {
    const int m = 2 * g + 1;  // nodes of the fine grid a side
    const auto number = [&](int i, int j) { return 1 + i * m + j; };
    for (int i = 0; i < m; ++i)
      for (int j = 0; j < m; ++j) {
        const double x = -1 + 2.0 * i / (m - 1), y = -1 + 2.0 * j / (m - 1);
        coords.insert(coords.end(), {x, y, height(x, y)});
      }
    nodes = m * m;
    std::map<std::pair<int, int>, int> edgeOf;
    std::vector<std::vector<std::pair<int, int>>> at(nodes + 1);
    for (int ci = 0; ci < g; ++ci)
      for (int cj = 0; cj < g; ++cj) {
        const int f = static_cast<int>(elements.size()) + 1;
        std::vector<int> column(kLdFacet, 0);
        column[0] = 4, column[1] = nn;
        int labels[9];
        for (int k = 0; k < 9; ++k)
          labels[k] = number(2 * ci + 1 + static_cast<int>(kAt[k][0]), 2 * cj + 1 + static_cast<int>(kAt[k][1]));
        for (int k = 0; k < nn; ++k) {
          column[7 + k] = labels[k];
          at[labels[k]].push_back({f, k + 1});
        }
        // Local edges: eta = -1, xi = +1, eta = +1, xi = -1 (first corner, middle, second corner).
        static constexpr int kEdge[4][3] = {{0, 4, 1}, {1, 5, 2}, {2, 6, 3}, {3, 7, 0}};
        double lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
        for (int k = 0; k < nn; ++k)
          for (int c = 0; c < 3; ++c) lo[c] = std::min(lo[c], coords[3 * (labels[k] - 1) + c]),
                                    hi[c] = std::max(hi[c], coords[3 * (labels[k] - 1) + c]);
        for (int k = 0; k < 4; ++k) {
          const int a = labels[kEdge[k][0]], mid = labels[kEdge[k][1]], b = labels[kEdge[k][2]];
          auto it = edgeOf.find(std::minmax(a, b));
          if (it == edgeOf.end()) {
            it = edgeOf.emplace(std::minmax(a, b), static_cast<int>(edgeOf.size()) + 1).first;
            if (nn == 4)
              edgeTable.insert(edgeTable.end(), {0, a, b, 0});
            else
              edgeTable.insert(edgeTable.end(), {0, a, mid, b});
            edgeFacets.insert(edgeFacets.end(), {0, 0});
          }
          const int e = it->second;
          edgeFacets[2 * (e - 1) + edgeTable[kLdEdge * (e - 1)]] = f;
          ++edgeTable[kLdEdge * (e - 1)];
          column[3 + k] = e;
        }
        facetTable.insert(facetTable.end(), column.begin(), column.end());
        facetSize.push_back(2 * std::max({hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]}));
        elements.push_back(f);
      }
    // 4-node facets leave the fine grid's middle nodes without facets.
    std::size_t most = 0;
    for (const auto& list : at) most = std::max(most, list.size());
    ldNodeFacets = static_cast<int>(2 * most + 1);
    nodeFacets.assign(static_cast<std::size_t>(ldNodeFacets) * nodes, 0);
    for (int n = 1; n <= nodes; ++n) {
      int* column = &nodeFacets[static_cast<std::size_t>(ldNodeFacets) * (n - 1)];
      const int count = static_cast<int>(at[n].size());
      column[0] = count;
      for (int k = 0; k < count; ++k) column[1 + k] = at[n][k].first, column[1 + count + k] = at[n][k].second;
    }
    for (std::size_t e = 0; e < edgeFacets.size() / 2; ++e)
      if (edgeTable[kLdEdge * e] == 1)
        for (int r = 1; r <= 3; ++r)
          if (edgeTable[kLdEdge * e + r] != 0) freeVertices.push_back(edgeTable[kLdEdge * e + r]);
    std::sort(freeVertices.begin(), freeVertices.end());
    freeVertices.erase(std::unique(freeVertices.begin(), freeVertices.end()), freeVertices.end());
    surfaceSize = *std::max_element(facetSize.begin(), facetSize.end());
    const int nf = g * g, offset = 0, three = 3;
    block.assign(4 + 400 * nf + 1000, 0.0);
    int capacity = static_cast<int>(block.size());
    const double margin = 2.0 / g;
    SHR_CREATESRCHDBDEFVSRIGID(&nf, facetTable.data(), &kLdFacet, &offset, coords.data(), &three, block.data(),
                               reinterpret_cast<int*>(block.data()), &capacity, &margin);
  }

  P3 point(int f, double xi, double eta) const {
    P3 q{};
    for (int k = 0; k < nn; ++k) {
      const int n = facetTable[kLdFacet * (f - 1) + 7 + k];
      const double w = shape(nn, k, xi, eta);
      for (int c = 0; c < 3; ++c) q[c] += w * coords[3 * (n - 1) + c];
    }
    return q;
  }

  // The least distance from p to the facets: a 40 x 40 sampling of each, then a shrinking 5 x 5
  // sampling around the best sample.
  double closest(const P3& p) const {
    const auto distance = [&](int f, double xi, double eta) {
      const P3 q = point(f, xi, eta);
      return std::hypot(q[0] - p[0], q[1] - p[1], q[2] - p[2]);
    };
    double best = 1e300;
    for (int f = 1; f <= g * g; ++f) {
      double bx = 0, by = 0, bd = 1e300;
      for (int i = 0; i <= 40; ++i)
        for (int j = 0; j <= 40; ++j) {
          const double xi = -1 + i / 20.0, eta = -1 + j / 20.0, d = distance(f, xi, eta);
          if (d < bd) bd = d, bx = xi, by = eta;
        }
      for (double h = 0.05; h > 1e-10; h *= 0.5) {
        const double cx = bx, cy = by;
        for (int i = -2; i <= 2; ++i)
          for (int j = -2; j <= 2; ++j) {
            const double xi = std::clamp(cx + i * h / 2, -1.0, 1.0), eta = std::clamp(cy + j * h / 2, -1.0, 1.0);
            const double d = distance(f, xi, eta);
            if (d < bd) bd = d, bx = xi, by = eta;
          }
      }
      best = std::min(best, bd);
    }
    return best;
  }

  struct Result {
    std::vector<double> real = std::vector<double>(50, 0.0), slots = std::vector<double>(50, 0.0);
    int kind = 0, entity = 0, count = 0;
  };

  void search(const P3& p, Result& r) {
    const int nf = g * g, offset = 0, three = 3, nfree = static_cast<int>(freeVertices.size()), split = 0,
              quadratic = nn > 4 ? 1 : 0, unused = 0, noDisp = 0;
    std::vector<double> nodeDistance(nodes), bound(nf);
    std::vector<int> candidates(nf);
    const double extension = 0.1, scale = 0.0;
    FACETEDRIGIDSURFSEARCH(&nf, elements.data(), facetTable.data(), &kLdFacet, edgeTable.data(), &kLdEdge,
                           edgeFacets.data(), nodeFacets.data(), freeVertices.data(), &nfree, facetSize.data(),
                           &surfaceSize, &nodes, &offset, &unused, &ldNodeFacets, p.data(), coords.data(), &three,
                           nodeDistance.data(), bound.data(), candidates.data(), r.slots.data(), r.real.data(),
                           &split, &quadratic, "CURVED  ", 8, &r.kind, &r.entity, &r.count, &extension, block.data(),
                           &scale, &scale, &noDisp);
  }
};

TEST_F(CurvedFacetSearch, FourEightAndNineNodeFacetsAgainstDenseSampling) {
  for (const int nn : {4, 8, 9}) {
    Grid grid(nn, 4);
    std::mt19937 rng(nn);
    std::uniform_real_distribution<double> d(-1, 1);
    int kinds[6] = {};
    for (int path = 0; path < 30; ++path) {
      const double x = 0.7 * d(rng), y = 0.7 * d(rng);
      P3 p = {x, y, height(x, y) + 0.3 * d(rng)};
      Grid::Result warm;
      for (int step = 0; step < 4; ++step) {
        for (double& c : p) c += 0.03 * d(rng);
        const double exact = grid.closest(p);
        grid.search(p, warm);
        Grid::Result cold;
        grid.search(p, cold);
        ASSERT_GE(warm.kind, 1) << nn;
        ++kinds[warm.kind];
        // A face accepted within 0.001 of its facet's range may lie a little nearer.
        EXPECT_LE(std::fabs(warm.real[0]), exact + 1e-7) << nn << " " << path << " " << step;
        EXPECT_GE(std::fabs(warm.real[0]), exact - 2e-3) << nn << " " << path << " " << step;
        EXPECT_NEAR(warm.real[0], cold.real[0], 1e-10) << nn << " " << path << " " << step;
      }
    }
    EXPECT_GT(kinds[3], 60) << nn;
    EXPECT_GT(kinds[2], 2) << nn;  // on the ridge
  }
}

}  // namespace

namespace {

// The nodes of rings of cylindrical facets (random spans and midside angles on random cylinders,
// then moved off them) as ordinary curved facets, which this search takes them for: 9-node
// quadrilaterals, and each 9-node cell as two 6-node triangles. Cold and warm answers against
// the closest point of the facets' shapes written out here.
TEST_F(CurvedFacetSearch, RingsOfQuadraticFacetsOnCylindersAgainstTheirShapes) {
  using namespace master_test;
  std::mt19937 rng(101);
  for (const int nn : {6, 9}) {
    for (const double off : {0.0, 0.04}) {
      SCOPED_TRACE(::testing::Message() << nn << " nodes, moved by " << off);
      const cylinder_model::Cylinder c(rng);
      const double r = c.radius, height = 2 * r;
      Surface s = cylinderRing(c, 6, 2, height, 9, off * r, rng);
      std::vector<Facet> facets;
      for (const Facet& f : s.facets) {
        const auto& n = f.nodes;
        if (nn == 9) facets.push_back({n, 0, {}});
        else facets.push_back({{n[0], n[1], n[2], n[4], n[5], n[8]}, 0, {}}), facets.push_back({{n[0], n[2], n[3], n[8], n[6], n[7]}, 0, {}});
      }
      s.facets = facets;
      s.quadratic = true;
      s.build();
      const auto point = [&](const Facet& f, double xi, double eta) {
        Vec q{0, 0, 0};
        const double l[3] = {1 - xi - eta, xi, eta};
        for (int k = 0; k < nn; ++k) {
          const double w = nn == 9 ? shape(9, k, xi, eta)
                           : k < 3 ? l[k] * (2 * l[k] - 1) : 4 * l[k - 3] * l[(k - 2) % 3];
          q = q + w * s.at(f.nodes[static_cast<std::size_t>(k)]);
        }
        return q;
      };
      const int nf = s.facetCount(), offset = 0, three = 3, ldEdge = 4, ldFacet = kFacetRows;
      std::vector<double> block(4 + 400 * nf + 1000, 0.0);
      int capacity = static_cast<int>(block.size());
      const double margin = 0.5 * r;
      SHR_CREATESRCHDBDEFVSRIGID(&nf, s.facetTable.data(), &ldFacet, &offset, s.x.data(), &three, block.data(),
                                 reinterpret_cast<int*>(block.data()), &capacity, &margin);
      const auto search = [&](const Vec& p, Grid::Result& a) {
        const int nnode = s.nodes(), split = 0, quadratic = 1, unused = 0, noDisp = 0;
        std::vector<double> nodeDistance(static_cast<std::size_t>(nnode)), bound(static_cast<std::size_t>(nf));
        std::vector<int> candidates(static_cast<std::size_t>(nf));
        const double extension = 0.1, scale = 0.0;
        FACETEDRIGIDSURFSEARCH(&nf, s.facetElement.data(), s.facetTable.data(), &ldFacet, s.edgeTable.data(), &ldEdge,
                               s.edgeFacets.data(), s.nodeFacets.data(), s.freeVertices.data(), &s.freeCount,
                               s.facetSize.data(), &s.surfaceSize, &nnode, &offset, &unused, &s.ldNodeFacets, p.data(),
                               s.x.data(), &three, nodeDistance.data(), bound.data(), candidates.data(),
                               a.slots.data(), a.real.data(), &split, &quadratic, "RING    ", 8, &a.kind, &a.entity,
                               &a.count, &extension, block.data(), &scale, &scale, &noDisp);
      };
      std::uniform_real_distribution<double> angle(0.0, 2 * std::acos(-1.0)), rho(0.6 * r, 1.4 * r), z(0.1, 0.9);
      Grid::Result warm;
      int faces = 0;
      for (int i = 0; i < 60; ++i) {
        const cylinder_model::Vec pc = c.at(angle(rng), z(rng) * height, rho(rng));
        const Vec p{pc[0], pc[1], pc[2]};
        double exact = 1e300;
        for (const Facet& f : s.facets) {
          const auto x = [&](double xi, double eta) { return point(f, xi, eta); };
          exact = std::min(exact, nn == 9 ? patchDistance(x, p, -1, 1, -1, 1, false, nullptr, exact + 0.3 * r)
                                          : patchDistance(x, p, 0, 1, 0, 1, true, nullptr, exact + 0.3 * r));
        }
        Grid::Result cold;
        search(p, cold);
        search(p, warm);
        for (const Grid::Result* a : {&cold, &warm}) {
          ASSERT_NE(a->kind, 0) << i;
          const double d = std::fabs(a->real[0]);
          const Vec foot{a->real[7], a->real[8], a->real[9]};
          EXPECT_LE(d, exact + 1e-7 * r) << i << " kind " << a->kind;
          EXPECT_GE(d, exact - (a->kind == 3 ? 2e-3 : 1e-7) * r) << i << " kind " << a->kind;
          EXPECT_NEAR(norm(p - foot), d, 1e-9 * r) << i;
          if (a->kind != 3) continue;
          ++faces;
          const Facet& f = s.facets[static_cast<std::size_t>(a->entity - 1)];
          EXPECT_LT(norm(point(f, a->real[42], a->real[43]) - foot), 1e-8 * r) << i;
        }
      }
      EXPECT_GT(faces, 100);
    }
  }
}

}  // namespace
