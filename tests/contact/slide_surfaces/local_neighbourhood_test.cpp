// The nodes near a slave point on a faceted slide surface, against a naive fixed-point model of
// the rules: a facet with a listed node is taken when one of its nodes lies within the radius
// (its nodes then count as within) or when one of its nodes is within; the seed counts as within.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <random>
#include <set>
#include <vector>

#include "runtime/record.h"
#include "zmx/contact.h"

namespace {

using Vec = std::array<double, 3>;
constexpr int kFacetRows = 16;  // row 2 the node count, rows 8 onward the nodes

// A surface of nodes offset + 1 .. offset + N laid out as the caller's arrays.
struct Surface {
  Int offset = 0;
  std::vector<Vec> coords;                // by entry j
  std::vector<std::vector<Int>> facets;   // node numbers
  std::vector<std::array<Int, 3>> edges;  // node numbers, third 0 for a 2-node edge
  Int lastFacetCount = -1;                // when not -1: the node count written for the last facet
  Int lastNodeFacetCount = -1;            // when not -1: the facet count written for the last node

  Int nodes() const { return static_cast<Int>(coords.size()); }
  Int label(Int n) const { return 1000 + 7 * n; }

  struct Call {
    Int count = 0;
    std::vector<Int> labels;
    std::vector<double> slots;
  };

  Call neighbours(Int kind, Int entity, const Vec& point, double radius, double limit = 1e30) const {
    const Int n = nodes(), nf = static_cast<Int>(facets.size());
    std::vector<Int> labels(static_cast<std::size_t>(offset + n));
    for (Int m = 1; m <= offset + n; ++m) labels[static_cast<std::size_t>(m - 1)] = label(m);
    std::vector<Int> table(static_cast<std::size_t>(kFacetRows * nf), 0);
    std::vector<std::vector<Int>> at(static_cast<std::size_t>(offset + n));
    for (Int f = 1; f <= nf; ++f) {
      const auto& nodesOf = facets[static_cast<std::size_t>(f - 1)];
      table[static_cast<std::size_t>(kFacetRows * (f - 1) + 1)] = static_cast<Int>(nodesOf.size());
      for (std::size_t k = 0; k < nodesOf.size(); ++k) {
        table[static_cast<std::size_t>(kFacetRows * (f - 1) + 7) + k] = nodesOf[k];
        at[static_cast<std::size_t>(nodesOf[k] - 1)].push_back(f);
      }
    }
    std::size_t most = 1;
    for (const auto& list : at) most = std::max(most, list.size());
    const Int ldNodeFacets = static_cast<Int>(most) + 1;
    std::vector<Int> nodeFacets(static_cast<std::size_t>(ldNodeFacets * (offset + n)), 0);
    for (std::size_t m = 0; m < at.size(); ++m) {
      nodeFacets[m * static_cast<std::size_t>(ldNodeFacets)] = static_cast<Int>(at[m].size());
      std::copy(at[m].begin(), at[m].end(), nodeFacets.begin() + static_cast<long>(m * ldNodeFacets + 1));
    }
    if (lastFacetCount != -1) table[static_cast<std::size_t>(kFacetRows * (nf - 1) + 1)] = lastFacetCount;
    if (lastNodeFacetCount != -1) nodeFacets[static_cast<std::size_t>(ldNodeFacets * (offset + n - 1))] = lastNodeFacetCount;
    std::vector<Int> edgeTable;
    for (const auto& e : edges) edgeTable.insert(edgeTable.end(), {0, e[0], e[1], e[2]});
    edgeTable.resize(std::max<std::size_t>(edgeTable.size(), 4));
    const Int ldCoord = 4;
    std::vector<double> x(static_cast<std::size_t>(ldCoord * n), 0.0);
    for (Int j = 0; j < n; ++j) std::copy_n(coords[static_cast<std::size_t>(j)].begin(), 3, x.begin() + ldCoord * j);

    Call call;
    call.slots.assign(static_cast<std::size_t>(n) + 4, -3.25);  // N + 1 slots, then guards
    std::vector<double> dist(static_cast<std::size_t>(n));
    std::vector<Int> seen(static_cast<std::size_t>(nf)), within(static_cast<std::size_t>(n));
    const Int ldFacet = kFacetRows;
    GETLOCALNEIGHSLIDESURF(labels.data(), &n, &offset, table.data(), &ldFacet, edgeTable.data(), nodeFacets.data(),
                           &ldNodeFacets, x.data(), &ldCoord, call.slots.data(), &radius, &kind, &entity,
                           point.data(), dist.data(), seen.data(), &nf, within.data(), &limit);
    if (call.slots[0] == -3.25) return call;  // untouched
    call.count = rec::slotI(call.slots.data(), 1);
    for (Int k = 1; k <= call.count; ++k) call.labels.push_back(rec::slotI(call.slots.data(), k + 1));
    return call;
  }

  double distance(Int n, const Vec& p) const {
    const Vec& x = coords[static_cast<std::size_t>(n - offset - 1)];
    return std::hypot(p[0] - x[0], p[1] - x[1], p[2] - x[2]);
  }

  // The closure of the rules, by iterating to a fixed point; the labels found, as a set.
  std::set<Int> model(const std::vector<Int>& seed, const Vec& point, double radius) const {
    std::set<Int> listed(seed.begin(), seed.end()), within = listed;
    for (bool changed = true; changed;) {
      changed = false;
      for (const auto& f : facets) {
        const auto in = [&](const std::set<Int>& s) {
          return std::any_of(f.begin(), f.end(), [&](Int m) { return s.count(m) > 0; });
        };
        if (!in(listed)) continue;
        const bool near = std::any_of(f.begin(), f.end(), [&](Int m) { return distance(m, point) <= radius; });
        if (!near && !in(within)) continue;
        for (Int m : f) {
          changed |= listed.insert(m).second;
          if (near) changed |= within.insert(m).second;
        }
      }
    }
    std::set<Int> labels;
    for (Int m : listed) labels.insert(label(m));
    return labels;
  }
};

// A wavy grid of quadrilaterals, some split into triangles, with its nodes numbered at random,
// its facets in random order and every edge of the facets in the edge table.
Surface randomGrid(std::mt19937& rng, int nx, int ny) {
  Surface s;
  s.offset = std::uniform_int_distribution<Int>(0, 5)(rng);
  const int count = nx * ny;
  std::vector<Int> number(static_cast<std::size_t>(count));
  std::iota(number.begin(), number.end(), s.offset + 1);
  std::shuffle(number.begin(), number.end(), rng);
  s.coords.resize(static_cast<std::size_t>(count));
  std::uniform_real_distribution<double> wobble(-0.2, 0.2);
  for (int i = 0; i < nx; ++i) {
    for (int k = 0; k < ny; ++k) {
      const Int n = number[static_cast<std::size_t>(i * ny + k)];
      s.coords[static_cast<std::size_t>(n - s.offset - 1)] = {i + wobble(rng), k + wobble(rng), wobble(rng)};
    }
  }
  const auto node = [&](int i, int k) { return number[static_cast<std::size_t>(i * ny + k)]; };
  std::bernoulli_distribution split(0.3);
  for (int i = 0; i + 1 < nx; ++i) {
    for (int k = 0; k + 1 < ny; ++k) {
      const Int a = node(i, k), b = node(i + 1, k), c = node(i + 1, k + 1), d = node(i, k + 1);
      if (split(rng)) {
        s.facets.push_back({a, b, c});
        s.facets.push_back({a, c, d});
      } else {
        s.facets.push_back({a, b, c, d});
      }
    }
  }
  std::shuffle(s.facets.begin(), s.facets.end(), rng);
  std::set<std::pair<Int, Int>> edges;
  for (const auto& f : s.facets) {
    for (std::size_t k = 0; k < f.size(); ++k) {
      const Int p = f[k], q = f[(k + 1) % f.size()];
      edges.insert({std::min(p, q), std::max(p, q)});
    }
  }
  for (const auto& [p, q] : edges) s.edges.push_back({p, q, 0});
  return s;
}

TEST(LocalNeighbourhood, EqualsTheClosureOfItsRulesOnRandomMeshesWhateverTheNumbering) {
  std::mt19937 rng(103);
  for (int trial = 0; trial < 150; ++trial) {
    SCOPED_TRACE(trial);
    Surface s = randomGrid(rng, 4 + trial % 7, 3 + trial % 5);
    const Int n = s.nodes(), nf = static_cast<Int>(s.facets.size());
    const Vec point = {std::uniform_real_distribution<double>(-1, 9)(rng),
                       std::uniform_real_distribution<double>(-1, 7)(rng),
                       std::uniform_real_distribution<double>(-0.5, 0.5)(rng)};
    const double radius = std::uniform_real_distribution<double>(0.0, 2.5)(rng);
    const Int kind = 1 + trial % 5;
    Int entity = 0;
    std::vector<Int> seed;
    if (kind == 1) {
      entity = s.offset + std::uniform_int_distribution<Int>(1, n)(rng);
      seed = {entity};
    } else if (kind == 2) {
      entity = std::uniform_int_distribution<Int>(1, static_cast<Int>(s.edges.size()))(rng);
      const auto& e = s.edges[static_cast<std::size_t>(entity - 1)];
      seed = {e[0], e[1]};
    } else {
      const Int f = std::uniform_int_distribution<Int>(1, nf)(rng);
      entity = kind == 5 ? 10 * f + 4 : f;
      seed = s.facets[static_cast<std::size_t>(f - 1)];
    }
    const auto call = s.neighbours(kind, entity, point, radius);
    const std::set<Int> found(call.labels.begin(), call.labels.end());
    EXPECT_EQ(found.size(), call.labels.size()) << "a node listed twice";
    EXPECT_EQ(found, s.model(seed, point, radius));
    EXPECT_EQ(call.labels[0], s.label(seed[0]));  // the seed comes first
    for (std::size_t k = static_cast<std::size_t>(n) + 1; k < call.slots.size(); ++k) {
      EXPECT_EQ(call.slots[k], -3.25) << "slot " << k + 1 << " beyond N + 1 written";
    }
  }
}

// A strip of three quadrilaterals, nodes 1-4 along y = 0 and 5-8 along y = 1 (offset 2).
Surface strip() {
  Surface s;
  s.offset = 2;
  for (int row = 0; row < 2; ++row) {
    for (int col = 0; col < 4; ++col) s.coords.push_back({double(col), double(row), 0.0});
  }
  s.facets = {{3, 4, 8, 7}, {4, 5, 9, 8}, {5, 6, 10, 9}};
  s.edges = {{3, 4, 0}, {4, 5, 0}, {5, 6, 0}, {8, 9, 10}};
  return s;
}

TEST(LocalNeighbourhood, ListsInTheOrderFoundAndKeepsToItsEdges) {
  const Surface s = strip();
  const auto labels = [&](std::vector<Int> nodes) {
    for (Int& n : nodes) n = s.label(n);
    return nodes;
  };
  // Node 3 and its facet are near; node 4 is within and takes the second facet; nodes 5 and 9
  // are not within, so the third facet stays out.
  EXPECT_EQ(s.neighbours(1, 3, {0, 0, 0}, 0.5).labels, labels({3, 4, 8, 7, 5, 9}));
  // R = 0 still takes the facets at the seed nodes; a seed of an edge with a middle node.
  EXPECT_EQ(s.neighbours(2, 4, {9, 9, 9}, 0.0).labels, labels({8, 9, 10, 3, 4, 7, 5, 6}));
  // The far end reached through near facets: every facet is near.
  EXPECT_EQ(s.neighbours(3, 1, {1.5, 0.5, 0}, 1.0).labels, labels({3, 4, 8, 7, 5, 9, 6, 10}));
  // At or above the limit: every node in node order, whatever the contact.
  EXPECT_EQ(s.neighbours(99, -4, {0, 0, 0}, 2.0, 2.0).labels, labels({3, 4, 5, 6, 7, 8, 9, 10}));
  // Below the limit, an unknown kind or an entity naming nothing leaves the output untouched.
  for (auto [kind, entity] : {std::pair<Int, Int>{0, 3}, {6, 3}, {1, 2}, {1, 11}, {2, 0}, {3, 4}, {4, 0}, {5, 41}}) {
    EXPECT_EQ(s.neighbours(kind, entity, {0, 0, 0}, 0.5).count, 0) << kind << " " << entity;
    EXPECT_TRUE(s.neighbours(kind, entity, {0, 0, 0}, 0.5).labels.empty());
  }
  // A centre or internal edge seeds its facet as a face does.
  EXPECT_EQ(s.neighbours(5, 25, {9, 9, 9}, 0.0).labels, s.neighbours(3, 2, {9, 9, 9}, 0.0).labels);
}

TEST(LocalNeighbourhood, CountsPastTheirColumnsAreReadOnlyAsFarAsTheColumns) {
  // The last facet's node count, or the last node's facet count, damaged: the tables (sized
  // exactly) are never read past; the answer is that of the columns' own entries.
  const Surface intact = strip();
  const auto want = intact.neighbours(3, 3, {2.5, 0.5, 0}, 0.8).labels;
  for (const Int value : {2147483647, 2147483646, 2147483640, kFacetRows}) {
    Surface s = strip();
    s.lastFacetCount = value;
    const auto got = s.neighbours(3, 3, {2.5, 0.5, 0}, 0.8).labels;
    EXPECT_EQ(std::set<Int>(got.begin(), got.end()), std::set<Int>(want.begin(), want.end())) << value;
    Surface t = strip();
    t.lastNodeFacetCount = value;
    EXPECT_EQ(t.neighbours(3, 3, {2.5, 0.5, 0}, 0.8).labels, want) << value;
  }
}

TEST(LocalNeighbourhood, NodeThatBecomesWithinDuringItsTurnTakesItsEarlierFacets) {
  // Three triangles meet only at node 2: G (1, 2, 3) from the seed, X (2, 4, 5), H (2, 6, 7),
  // with only node 7 within R. Node 2 is reached through G, meets X before the near facet H makes
  // it within; X belongs to the neighbourhood all the same.
  Surface s;
  s.coords = {{0, 0, 0}, {1, 0, 0}, {0.5, -1, 0}, {1.5, -1, 0}, {2, -1, 0}, {1.5, 1, 0}, {2, 1, 0}};
  s.facets = {{1, 2, 3}, {2, 4, 5}, {2, 6, 7}};
  std::vector<Int> expected = {1, 2, 3, 6, 7, 4, 5};
  for (Int& n : expected) n = s.label(n);
  EXPECT_EQ(s.neighbours(1, 1, {2.1, 1, 0}, 0.2).labels, expected);
}

}  // namespace
