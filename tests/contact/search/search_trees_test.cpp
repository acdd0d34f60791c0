// Search trees against hand-checked blocks, invariants on random meshes, brute force for both
// queries, the exact peak size of a rigid build, refused blocks and malformed trees.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <set>
#include <vector>

#include "runtime/record.h"
#include "siblings/dm2/block_failures_testing.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/testing.h"
#include "tests/support/closest_point.h"
#include "tests/support/host_fixture.h"
#include "tests/support/mapped_array.h"
#include "zmx/contact.h"
#include "zmx/storage/db_units.h"

namespace {

using SearchTrees = zmxtest::HostFixture;
using zmxtest::Point3;

constexpr int kLd = 10;  // facet table column: word 2 count, words 8.. nodes (3 here)

struct Mesh {
  std::vector<int> table;
  std::vector<double> coords;
  int facets = 0;
};

// n random triangles of about size `size` in a box of side `span` (z flat when twoD).
Mesh randomMesh(int n, std::mt19937& rng, double span = 10, double size = 0.5, bool twoD = false) {
  std::uniform_real_distribution<double> d(0, 1);
  Mesh m;
  m.facets = n;
  for (int j = 0; j < n; ++j) {
    const double c[3] = {span * d(rng), span * d(rng), twoD ? 0.0 : span * d(rng)};
    std::vector<int> column(kLd, 0);
    column[1] = 3;
    for (int k = 0; k < 3; ++k) {
      for (int i = 0; i < 3; ++i) m.coords.push_back(i == 2 && twoD ? 0.0 : c[i] + size * (d(rng) - 0.5));
      column[7 + k] = 3 * j + k + 1;
    }
    m.table.insert(m.table.end(), column.begin(), column.end());
  }
  return m;
}

struct Node {
  int parent, sibling, child, leaf;
  double box[6];
};

// Builds the rigid tree of m (three coordinates a node) into block, grown against capacity.
void buildRigid(const Mesh& m, double margin, double* block, int* capacity) {
  const int offset = 0, three = 3;
  SHR_CREATESRCHDBDEFVSRIGID(&m.facets, m.table.data(), &kLd, &offset, m.coords.data(), &three, block,
                             reinterpret_cast<int*>(block), capacity, &margin);
}

std::vector<Node> rigidTree(const Mesh& m, double margin, std::vector<double>& block, int d = 3) {
  int capacity = static_cast<int>(block.size());
  const int offset = 0;
  std::vector<double> coords = m.coords;
  if (d == 2) {
    coords.clear();
    for (std::size_t k = 0; k < m.coords.size(); k += 3) coords.insert(coords.end(), {m.coords[k], m.coords[k + 1]});
  }
  SHR_CREATESRCHDBDEFVSRIGID(&m.facets, m.table.data(), &kLd, &offset, coords.data(), &d, block.data(),
                             reinterpret_cast<int*>(block.data()), &capacity, &margin);
  const int count = rec::slotI(block.data(), 3);
  std::vector<Node> nodes(count);
  for (int r = 0; r < count; ++r) {
    const double* w = block.data() + 4 + 10 * r;
    nodes[r] = {rec::slotI(w, 1), rec::slotI(w, 2), rec::slotI(w, 3), rec::slotI(w, 10), {}};
    for (int k = 0; k < 6; ++k) nodes[r].box[k] = w[3 + k];
  }
  return nodes;
}

std::vector<int> rigidQuery(int operation, const std::vector<double>& block, const Point3& p, int dimension = 3) {
  std::vector<int> items(rec::slotI(block.data(), 3) + 1, -1);
  int count = -1;
  const int length = rec::slotI(block.data(), 2), nodes = rec::slotI(block.data(), 3);
  const double* records = block.data() + 4;
  SHR_CONTACTSRCHDBDEFVSRIGID(&operation, p.data(), &dimension, items.data(), &count,
                              reinterpret_cast<const int*>(records), records, &length, &nodes);
  items.resize(std::max(count, 0));
  return items;
}

std::vector<int> deformableQuery(int operation, const Point3& p, int facets, int* error) {
  std::vector<int> items(facets + 1, -1);
  int count = -1;
  const int dimension = 3, length = 10, none = 0;
  SHR_CONTACTSRCHDBDEFVSDEF(&operation, nullptr, &length, &none, p.data(), &dimension, items.data(), &count, error);
  items.resize(std::max(count, 0));
  return items;
}

bool holds(const double* box, const Point3& p) {
  for (int i = 0; i < 3; ++i)
    if (!(box[i] <= p[i] && p[i] <= box[3 + i])) return false;
  return true;
}

TEST_F(SearchTrees, HandCheckedBlocks) {
  std::vector<double> block(200, 0.0);
  // One facet: the root is its leaf, with the facet box.
  Mesh one;
  one.facets = 1;
  one.table = {0, 3, 0, 0, 0, 0, 0, 1, 2, 3};
  one.coords = {0, 0, 0, 2, 0, 1, 0, 3, 0};
  auto nodes = rigidTree(one, 0.5, block);
  EXPECT_EQ(rec::slotI(block.data(), 1), 14);
  EXPECT_EQ(rec::slotI(block.data(), 2), 10);
  EXPECT_EQ(rec::slotI(block.data(), 4), 5);
  ASSERT_EQ(nodes.size(), 1u);
  EXPECT_EQ(nodes[0].parent, 0);
  EXPECT_EQ(nodes[0].sibling, 0);
  EXPECT_EQ(nodes[0].child, 0);
  EXPECT_EQ(nodes[0].leaf, 1);
  const double box[6] = {-0.5, -0.5, -0.5, 2.5, 3.5, 1.5};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(nodes[0].box[k], box[k]);
  // Two facets: the root and two leaves, the lower centroid on x first.
  Mesh two = one;
  two.facets = 2;
  two.table = {0, 3, 0, 0, 0, 0, 0, 4, 5, 6, 0, 3, 0, 0, 0, 0, 0, 1, 2, 3};
  two.coords.insert(two.coords.end(), {10, 0, 0, 12, 0, 0, 10, 1, 0});
  nodes = rigidTree(two, 0.0, block);
  ASSERT_EQ(nodes.size(), 3u);
  EXPECT_EQ(nodes[0].child, 2);
  EXPECT_EQ(nodes[1].leaf, 2);  // facet 2 holds nodes 1-3, the lower centroid
  EXPECT_EQ(nodes[1].sibling, 3);
  EXPECT_EQ(nodes[2].leaf, 1);
  EXPECT_EQ(nodes[2].parent, 1);
  // Facets sharing one centroid: each a leaf of the root, carrying the root's box.
  Mesh same;
  same.facets = 3;
  for (int j = 0; j < 3; ++j) {
    same.table.insert(same.table.end(), {0, 3, 0, 0, 0, 0, 0, 3 * j + 1, 3 * j + 2, 3 * j + 3});
    const double s = j + 1.0;
    same.coords.insert(same.coords.end(), {-s, 0, 0, s, 0, 0, 0, 0, 0});
  }
  nodes = rigidTree(same, 0.0, block);
  ASSERT_EQ(nodes.size(), 4u);
  for (int r = 1; r < 4; ++r) {
    EXPECT_EQ(nodes[r].leaf, r);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(nodes[r].box[k], nodes[0].box[k]);
  }
  // Two dimensions: every z word is 0.
  std::mt19937 rng(1);
  const Mesh flat = randomMesh(50, rng);
  nodes = rigidTree(flat, 0.1, block.size() < 2000 ? (block.resize(4000), block) : block, 2);
  for (const Node& n : nodes) EXPECT_TRUE(n.box[2] == 0.0 && n.box[5] == 0.0);
  // A deformable facet of no nodes stands as its first node: a box of that point alone, no
  // margin, beside a triangle that holds it.
  Mesh bare;
  bare.facets = 2;
  bare.table = {0, 3, 0, 0, 0, 0, 0, 1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0};
  bare.coords = {0, 0, 0, 10, 0, 0, 0, 10, 10, 1, 1, 1};
  const int offset = 0, three = 3;
  const double margin = 0.5;
  SHR_CREATESRCHDBDEFVSDEF(&bare.facets, bare.table.data(), &kLd, &offset, bare.coords.data(), &three, &margin);
  int error = -1;
  const auto atNode = deformableQuery(0, {1, 1, 1}, 2, &error);
  EXPECT_EQ(std::set<int>(atNode.begin(), atNode.end()), (std::set<int>{1, 2}));
  EXPECT_EQ(deformableQuery(0, {0, 0, 0}, 2, &error), std::vector<int>{1});
  EXPECT_EQ(deformableQuery(0, {1, 1, 1 + 1e-9}, 2, &error), std::vector<int>{1});
  EXPECT_EQ(error, 0);
  // Centroids all at x = 1e40, beyond the boxes' starting bounds: no spread along x, so both
  // builds split along y and the point near the first triangle finds it alone.
  Mesh far;
  far.facets = 2;
  far.table = {0, 3, 0, 0, 0, 0, 0, 1, 2, 3, 0, 3, 0, 0, 0, 0, 0, 4, 5, 6};
  far.coords = {1e40, 0, 0, 1e40, 1, 0, 1e40, 0, 1, 1e40, 10, 0, 1e40, 11, 0, 1e40, 10, 1};
  rigidTree(far, 0.0, block);
  EXPECT_EQ(rigidQuery(0, block, {1e40, 0.2, 0.2}), std::vector<int>{1});
  const double noMargin = 0.0;
  SHR_CREATESRCHDBDEFVSDEF(&far.facets, far.table.data(), &kLd, &offset, far.coords.data(), &three, &noMargin);
  EXPECT_EQ(deformableQuery(0, {1e40, 0.2, 0.2}, 2, &error), std::vector<int>{1});
  // A facet's own box starts at its first node too: with a margin of 1e38 it reaches from
  // 1e40 - 1e38, far from the origin.
  far.facets = 1;
  rigidTree(far, 1e38, block);
  EXPECT_TRUE(rigidQuery(0, block, {0, 0.2, 0.2}).empty());
  const double wide = 1e38;
  SHR_CREATESRCHDBDEFVSDEF(&far.facets, far.table.data(), &kLd, &offset, far.coords.data(), &three, &wide);
  EXPECT_TRUE(deformableQuery(0, {0, 0.2, 0.2}, 2, &error).empty());
  // No facets: the empty header, and nothing found.
  Mesh none;
  nodes = rigidTree(none, 0.0, block);
  EXPECT_EQ(rec::slotI(block.data(), 1), 4);
  EXPECT_EQ(rec::slotI(block.data(), 3), 0);
  EXPECT_TRUE(rigidQuery(0, block, {0, 0, 0}).empty());
  EXPECT_TRUE(rigidQuery(2, block, {0, 0, 0}).empty());
}

TEST_F(SearchTrees, RandomMeshesKeepTheInvariantsAndBothQueriesMatchBruteForce) {
  std::mt19937 rng(9);
  std::uniform_real_distribution<double> d(-2, 12);
  // 30000 facets need item arrays of more than 2 MB, which the build takes in large pages.
  for (int n : {7, 300, 30000}) {
    const Mesh m = randomMesh(n, rng);
    const double margin = 0.05;
    std::vector<double> block(4 + 100 * static_cast<std::size_t>(n) + 1000, 0.0);
    const auto nodes = rigidTree(m, margin, block);
    const int count = static_cast<int>(nodes.size());
    std::vector<int> leafOf(n + 1, 0);
    std::vector<int> under(count + 1, 0);
    for (int r = count; r >= 1; --r) {
      const Node& node = nodes[r - 1];
      if (r > 1) {
        EXPECT_GE(node.parent, nodes[r - 2].parent);  // breadth-first numbers
        EXPECT_LT(node.parent, r);
        for (int k = 0; k < 3; ++k) {
          EXPECT_LE(nodes[node.parent - 1].box[k], node.box[k]);
          EXPECT_GE(nodes[node.parent - 1].box[3 + k], node.box[3 + k]);
        }
      }
      if (node.leaf != 0) {
        EXPECT_EQ(node.child, 0);
        ASSERT_EQ(leafOf[node.leaf], 0) << "facet in two leaves";
        leafOf[node.leaf] = r;
        under[r] += 1;
        // The leaf box holds the facet's margin box.
        for (int c = 0; c < 3; ++c)
          for (int i = 0; i < 3; ++i) {
            const double x = m.coords[9 * (node.leaf - 1) + 3 * c + i];
            EXPECT_LE(node.box[i], x - margin + 1e-12);
            EXPECT_GE(node.box[3 + i], x + margin - 1e-12);
          }
      } else {
        EXPECT_NE(node.child, 0);
      }
      if (r > 1) under[node.parent] += under[r];
    }
    for (int j = 1; j <= n; ++j) EXPECT_NE(leafOf[j], 0);
    // The exact peak of the build: header, facets, build records, finished records.
    long long peak = 4 + 10LL * n + 10LL * count;
    for (int r = 1; r <= count; ++r) peak += 11 + under[r];
    if (n == 300) {
      // The block grows through DBCORE: a capacity one short is raised by the length asked for,
      // and the tree is built alike in a block whose room holds the peak. A block known to be one
      // short, or a heap array of exactly the capacity passed, is refused after DBCORE is asked.
      std::vector<double> exact(peak + 8, 7.0);
      int capacity = static_cast<int>(peak), less = static_cast<int>(peak - 1);
      buildRigid(m, margin, exact.data(), &capacity);
      EXPECT_EQ(capacity, peak);
      EXPECT_EQ(rec::slotI(exact.data(), 3), count);
      eqc_testing::clearMessages();
      const Int tally = rec::i(CSIZE, zmx::units::kCoreGrowth);
      zmxtest::MappedArray grown(static_cast<std::size_t>(peak));
      buildRigid(m, margin, grown.data(), &less);
      EXPECT_EQ(less, 2 * peak - 1);
      EXPECT_EQ(rec::i(CSIZE, zmx::units::kCoreGrowth), tally + peak);
      EXPECT_TRUE(eqc_testing::messages().empty());
      const long long finished = 4 + 10LL * count;
      EXPECT_TRUE(std::equal(grown.data(), grown.data() + finished, exact.begin()));
      zmxtest::MappedArray small(static_cast<std::size_t>(peak - 1));
      std::vector<double> heap(static_cast<std::size_t>(peak - 1), 7.0);
      for (double* refused : {small.data(), heap.data()}) {
        eqc_testing::clearMessages();
        less = static_cast<int>(peak - 1);
        buildRigid(m, margin, refused, &less);
        EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE."));
        EXPECT_EQ(eqc_testing::messages().size(), 1u);
        EXPECT_EQ(rec::slotI(refused, 1), 4);
        EXPECT_EQ(rec::slotI(refused, 3), 0);
      }
      EXPECT_TRUE(small.guardsKept());
      // Room for the facets and half the build records: refused while the nodes are split.
      const long long half = 4 + 10LL * n + (peak - 4 - 10LL * n) / 2;
      zmxtest::MappedArray midway(static_cast<std::size_t>(half));
      eqc_testing::clearMessages();
      less = static_cast<int>(half);
      buildRigid(m, margin, midway.data(), &less);
      EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE."));
      EXPECT_EQ(rec::slotI(midway.data(), 3), 0);
      EXPECT_TRUE(midway.guardsKept());
    }
    // The deformable tree of the same mesh answers alike; the build leaves only the tree's two
    // arrays behind.
    rigidQuery(6, block, {0, 0, 0});
    const int offset = 0, three = 3;
    SHR_CREATESRCHDBDEFVSDEF(&m.facets, m.table.data(), &kLd, &offset, m.coords.data(), &three, &margin);
    EXPECT_EQ(dm2_testing::temporaryBlocks(), 2);
    for (int trial = 0; trial < 40; ++trial) {
      const Point3 p = {d(rng), d(rng), d(rng)};
      // Operation 0: the facets whose leaf boxes hold the point.
      std::set<int> want;
      for (const Node& node : nodes)
        if (node.leaf != 0 && holds(node.box, p)) want.insert(node.leaf);
      const auto got = rigidQuery(0, block, p);
      EXPECT_EQ(std::set<int>(got.begin(), got.end()), want);
      EXPECT_EQ(got.size(), want.size());
      int error = -1;
      EXPECT_EQ(deformableQuery(0, p, n, &error), got);
      EXPECT_EQ(error, 0);
      // Operation 2: the nearest facet is always among the answers.
      const auto near = rigidQuery(2, block, p);
      EXPECT_EQ(deformableQuery(2, p, n, &error), near);
      double best = 1e300;
      int nearest = 0;
      for (int j = 0; j < n; ++j) {
        const double* x = &m.coords[9 * j];
        const Point3 q = zmxtest::closestOnTriangle(p, {x[0], x[1], x[2]}, {x[3], x[4], x[5]}, {x[6], x[7], x[8]});
        const double dist = std::hypot(q[0] - p[0], q[1] - p[1], q[2] - p[2]);
        if (dist < best) best = dist, nearest = j + 1;
      }
      EXPECT_NE(std::find(near.begin(), near.end(), nearest), near.end()) << "n " << n << " trial " << trial;
    }
  }
}

// Node numbers at or below the offset: a deformable facet leaves its later ones out of its box
// (facet 2 spans x = 5 only, not back to node 0's place); a first one, or any one in a rigid build,
// is a facet the build cannot take.
TEST_F(SearchTrees, NodesAtOrBelowTheOffset) {
  Mesh m;
  m.facets = 2;
  m.coords = {0, 0, 0, 1, 0, 0, 0, 1, 0, 5, 0, 0, 5, 1, 0};
  m.table.assign(2 * kLd, 0);
  m.table[1] = 3, m.table[7] = 1, m.table[8] = 2, m.table[9] = 3;
  m.table[kLd + 1] = 3, m.table[kLd + 7] = 4, m.table[kLd + 8] = 0, m.table[kLd + 9] = 5;
  const int offset = 0, three = 3;
  const double margin = 0.1;
  eqc_testing::clearMessages();
  SHR_CREATESRCHDBDEFVSDEF(&m.facets, m.table.data(), &kLd, &offset, m.coords.data(), &three, &margin);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  int error = -1;
  EXPECT_EQ(deformableQuery(0, {5.05, 0.5, 0.0}, 2, &error), std::vector<int>{2});
  EXPECT_EQ(error, 0);
  EXPECT_TRUE(deformableQuery(0, {3.0, 0.5, 0.0}, 2, &error).empty());

  std::vector<double> block(2000, 0.0);
  int capacity = static_cast<int>(block.size());
  buildRigid(m, margin, block.data(), &capacity);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN pre_createsearchdb - FAILURE TO CREATE SEARCH TREE."));
  EXPECT_EQ(rec::slotI(block.data(), 3), 0);
  eqc_testing::clearMessages();
  std::swap(m.table[kLd + 7], m.table[kLd + 8]);  // the first node of facet 2 is 0
  SHR_CREATESRCHDBDEFVSDEF(&m.facets, m.table.data(), &kLd, &offset, m.coords.data(), &three, &margin);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN pre_createsearchdb - FAILURE TO CREATE SEARCH TREE."));
  EXPECT_TRUE(deformableQuery(0, {5.05, 0.5, 0.0}, 2, &error).empty());
  EXPECT_EQ(error, 1);
}

TEST_F(SearchTrees, RefusedBlocksAndMalformedTreesEndCleanly) {
  std::mt19937 rng(3);
  const Mesh m = randomMesh(40, rng);
  const int offset = 0, three = 3;
  const double margin = 0.1;
  // A deformable build whose first, second or third block is refused: the message, no tree (an
  // earlier one is gone too), nothing left behind.
  std::vector<double> none(14, 0.0);
  rigidQuery(6, none, {0, 0, 0});
  SHR_CREATESRCHDBDEFVSDEF(&m.facets, m.table.data(), &kLd, &offset, m.coords.data(), &three, &margin);
  int error = -1;
  deformableQuery(0, {5, 5, 5}, 40, &error);
  EXPECT_EQ(error, 0);
  for (int refused : {1, 2, 3}) {
    eqc_testing::clearMessages();
    dm2_testing::refuseNextBlocks(refused);
    SHR_CREATESRCHDBDEFVSDEF(&m.facets, m.table.data(), &kLd, &offset, m.coords.data(), &three, &margin);
    dm2_testing::refuseNextBlocks(0);
    EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN pre_createsearchdb - FAILURE TO CREATE SEARCH TREE.")) << refused;
    EXPECT_TRUE(deformableQuery(0, {5, 5, 5}, 40, &error).empty());
    EXPECT_EQ(error, 1);
    EXPECT_EQ(dm2_testing::temporaryBlocks(), 0);
  }
  // A rigid build whose partition list is refused: the empty header.
  std::vector<double> block(20000, 0.0);
  int capacity = static_cast<int>(block.size());
  dm2_testing::refuseNextBlocks(1);
  buildRigid(m, margin, block.data(), &capacity);
  EXPECT_EQ(rec::slotI(block.data(), 3), 0);
  EXPECT_EQ(dm2_testing::openBlocks(), 0);
  // A facet whose node count does not fit its column.
  Mesh bad = m;
  bad.table[kLd * 5 + 1] = 4;
  eqc_testing::clearMessages();
  buildRigid(bad, margin, block.data(), &capacity);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN pre_createsearchdb - FAILURE TO CREATE SEARCH TREE."));
  EXPECT_EQ(rec::slotI(block.data(), 3), 0);
  // A leading dimension far below a column's words: no column fits, in either build.
  const int tiny = -2147483647 - 1 + 3;
  eqc_testing::clearMessages();
  SHR_CREATESRCHDBDEFVSDEF(&m.facets, m.table.data(), &tiny, &offset, m.coords.data(), &three, &margin);
  SHR_CREATESRCHDBDEFVSRIGID(&m.facets, m.table.data(), &tiny, &offset, m.coords.data(), &three, block.data(),
                             reinterpret_cast<int*>(block.data()), &capacity, &margin);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);
  EXPECT_EQ(rec::slotI(block.data(), 3), 0);
  // Records loaded (operation 1) while their arrays are refused: no tree, nothing left behind.
  {
    std::vector<double> tree(20000, 0.0);
    const int built = static_cast<int>(rigidTree(m, margin, tree).size());
    const int load = 1, length = 10;
    int items = 0, count = -1;
    error = -1;
    dm2_testing::refuseNextBlocks(1);
    SHR_CONTACTSRCHDBDEFVSDEF(&load, tree.data() + 4, &length, &built, tree.data(), &three, &items, &count, &error);
    dm2_testing::refuseNextBlocks(0);
    EXPECT_TRUE(deformableQuery(0, {5, 5, 5}, 40, &error).empty());
    EXPECT_EQ(error, 1);
    EXPECT_EQ(dm2_testing::temporaryBlocks(), 0);
  }
  // A tree whose root is its own child: the queries stop with the message.
  std::vector<double> loop(14, 0.0);
  rec::setSlotI(loop.data(), 2, 10), rec::setSlotI(loop.data(), 3, 1), rec::setSlotI(loop.data(), 4, 5);
  rec::setSlotI(loop.data(), 4 + 3, 1);
  for (int k = 0; k < 3; ++k) loop[4 + 3 + k] = -1, loop[4 + 6 + k] = 1;
  eqc_testing::clearMessages();
  EXPECT_TRUE(rigidQuery(0, loop, {0, 0, 0}).empty());
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN PRE_CONTACTSRCHDBDEFVSRIGID - INVALID SEARCH TREE."));
  EXPECT_TRUE(rigidQuery(2, loop, {0, 0, 0}).empty());
  // Operation codes the routines do not serve; freeing twice.
  eqc_testing::clearMessages();
  rigidQuery(1, loop, {0, 0, 0});
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN PRE_CONTACTSRCHDBDEFVSRIGID - UNKNOWN OPERATION CODE."));
  deformableQuery(4, {0, 0, 0}, 1, &error);
  EXPECT_EQ(error, 1);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN PRE_CONTACTSEARCHDB - UNKNOWN OPERATION CODE."));
  deformableQuery(6, {0, 0, 0}, 1, &error);
  deformableQuery(6, {0, 0, 0}, 1, &error);
  EXPECT_EQ(error, 0);
  rigidQuery(6, loop, {0, 0, 0});
  EXPECT_EQ(dm2_testing::temporaryBlocks(), 0);
}

}  // namespace

namespace {

// What FIND_CANDIDATE_FACETS gives for a point over the rigid tree in block of mesh m.
struct CandidateList {
  std::vector<double> distance, bound;
  std::vector<int> facets;
  int count = -1, nearest = -1;
  double dmin = -1;
};

CandidateList candidatesOf(const std::vector<double>& block, const Mesh& m, const std::vector<double>& size,
                           const Point3& p) {
  const int nodes = static_cast<int>(m.coords.size() / 3), offset = 0, three = 3;
  CandidateList c{std::vector<double>(nodes), std::vector<double>(m.facets), std::vector<int>(m.facets)};
  FIND_CANDIDATE_FACETS(block.data(), &m.facets, m.table.data(), &kLd, size.data(), &nodes, &offset, p.data(),
                        m.coords.data(), &three, c.distance.data(), c.bound.data(), c.facets.data(), &c.count, &c.dmin,
                        &c.nearest);
  return c;
}

TEST_F(SearchTrees, CandidateBoundsNeverExceedTheDistanceAndTheNearestNodeIsFoundFirst) {
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> d(-1, 11);
  const Mesh m = randomMesh(500, rng, 10, 0.8);
  std::vector<double> block(200000, 0.0);
  rigidTree(m, 0.05, block);
  // Facet sizes: the largest distance from a node to the facet's other points.
  std::vector<double> size(m.facets);
  for (int j = 0; j < m.facets; ++j) {
    const double* x = &m.coords[9 * j];
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b)
        size[j] = std::max(size[j], std::hypot(x[3 * a] - x[3 * b], x[3 * a + 1] - x[3 * b + 1], x[3 * a + 2] - x[3 * b + 2]));
  }
  for (int trial = 0; trial < 50; ++trial) {
    const Point3 p = {d(rng), d(rng), d(rng)};
    const CandidateList c = candidatesOf(block, m, size, p);
    const auto& [distance, bound, candidates, count, nearest, dmin] = c;
    ASSERT_GT(count, 0);
    auto want = rigidQuery(0, block, p);
    if (want.empty()) want = rigidQuery(2, block, p);
    ASSERT_EQ(std::vector<int>(candidates.begin(), candidates.begin() + count), want);
    double best = 1e36;
    int first = 0;
    for (int i = 0; i < count; ++i) {
      const int f = candidates[i];
      const double* x = &m.coords[9 * (f - 1)];
      const Point3 q = zmxtest::closestOnTriangle(p, {x[0], x[1], x[2]}, {x[3], x[4], x[5]}, {x[6], x[7], x[8]});
      EXPECT_LE(bound[i], std::hypot(q[0] - p[0], q[1] - p[1], q[2] - p[2]) + 1e-12);
      for (int k = 0; k < 3; ++k) {
        const int n = m.table[kLd * (f - 1) + 7 + k];
        const double dx = x[3 * k] - p[0], dy = x[3 * k + 1] - p[1], dz = x[3 * k + 2] - p[2];
        const double dn = std::sqrt(dx * dx + dy * dy + dz * dz);
        EXPECT_EQ(distance[n - 1], dn);
        if (dn < best) best = dn, first = n;
      }
    }
    EXPECT_EQ(dmin, best);
    EXPECT_EQ(nearest, first);
  }
  // A point at 1e36 is unset: nothing.
  const CandidateList unset = candidatesOf(block, m, size, {0.7, 0.5, 1e36});
  EXPECT_EQ(unset.count, 0);
  EXPECT_EQ(unset.dmin, 1e36);
  EXPECT_EQ(unset.nearest, 0);
}

// Points 1e18 and more from every box, whose squared gaps pass 1e36: the nearest boxes still give
// candidates, on the rigid and the deformable tree alike. Three triangles along x make a root and
// three leaves, all as near as rounding tells from (0.7, 0.5, 1.1e18): all three.
TEST_F(SearchTrees, FarPointsStillFindTheNearestBoxes) {
  Mesh row;
  row.facets = 3;
  for (int j = 0; j < 3; ++j) {
    row.table.insert(row.table.end(), {0, 3, 0, 0, 0, 0, 0, 3 * j + 1, 3 * j + 2, 3 * j + 3});
    const double x = 5.0 * j;
    row.coords.insert(row.coords.end(), {x, 0, 0, x + 1, 0, 0, x, 1, 0});
  }
  std::vector<double> block(400, 0.0);
  ASSERT_EQ(rigidTree(row, 0.1, block).size(), 4u);
  const Point3 far = {0.7, 0.5, 1.1e18};
  const CandidateList c = candidatesOf(block, row, std::vector<double>(3, std::sqrt(2.0)), far);
  ASSERT_EQ(c.count, 3);
  EXPECT_EQ(std::set<int>(c.facets.begin(), c.facets.end()), (std::set<int>{1, 2, 3}));
  EXPECT_EQ(c.nearest, 1);
  const int offset = 0, three = 3;
  const double margin = 0.1;
  SHR_CREATESRCHDBDEFVSDEF(&row.facets, row.table.data(), &kLd, &offset, row.coords.data(), &three, &margin);
  int error = -1;
  EXPECT_EQ(deformableQuery(2, far, 3, &error), rigidQuery(2, block, far));
  // Farther along every axis and in the plane: never without a facet while the gaps are finite.
  for (const Point3& p : {Point3{-3e18, 0, 0}, Point3{0, 1e30, 0}, Point3{1e150, -1e150, 1e150}}) {
    EXPECT_FALSE(rigidQuery(2, block, p).empty());
    EXPECT_FALSE(rigidQuery(2, block, p, 2).empty());
    EXPECT_FALSE(deformableQuery(2, p, 3, &error).empty());
  }
}

}  // namespace
