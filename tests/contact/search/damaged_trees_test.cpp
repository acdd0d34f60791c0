// Search trees damaged after they were built: links that lead back into the walk, header words and
// leaf facets out of their block. The output lists are exactly as long as the tree has leaves,
// so a walk that writes one entry too many is caught by the sanitizers.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <random>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "tests/support/mapped_array.h"
#include "zmx/contact.h"

namespace {

using DamagedTrees = zmxtest::HostFixture;

constexpr int kLd = 10;
constexpr int kRecord = 10;
constexpr const char* kInvalidRigid = "SYSTEM ERROR IN PRE_CONTACTSRCHDBDEFVSRIGID - INVALID SEARCH TREE.";
constexpr const char* kInvalidDeformable = "SYSTEM ERROR IN PRE_CONTACTSEARCHDB - INVALID SEARCH TREE.";

// A row of small triangles along x: facet j spans x = j .. j + 1, all at y, z in [0, 1].
struct Surface {
  int facets = 0;
  std::vector<int> table;
  std::vector<double> coords, size;
  std::vector<double> block;  // the rigid tree, cut to its header and records
  int built = 0;              // its node count as built
  int nodes() const { return rec::slotI(block.data(), 3); }
  double* record(int r) { return block.data() + 4 + static_cast<long long>(kRecord) * (r - 1); }
};

Surface surface(int facets) {
  Surface s;
  s.facets = facets;
  for (int j = 0; j < facets; ++j) {
    std::vector<int> column(kLd, 0);
    column[1] = 3;
    const double corners[9] = {double(j), 0, 0, j + 1.0, 0, 0, j + 0.5, 1, 0.5};
    for (int k = 0; k < 3; ++k) column[7 + k] = 3 * j + k + 1;
    s.coords.insert(s.coords.end(), corners, corners + 9);
    s.table.insert(s.table.end(), column.begin(), column.end());
    s.size.push_back(1.5);
  }
  s.block.assign(20000, 0.0);
  int capacity = static_cast<int>(s.block.size());
  const int offset = 0, three = 3;
  const double margin = 0.01;
  SHR_CREATESRCHDBDEFVSRIGID(&s.facets, s.table.data(), &kLd, &offset, s.coords.data(), &three, s.block.data(),
                             reinterpret_cast<int*>(s.block.data()), &capacity, &margin);
  s.built = s.nodes();
  s.block.resize(4 + static_cast<std::size_t>(kRecord) * s.built);
  return s;
}

// The leaf of the tree whose box holds the point, and its facet.
int leafHolding(Surface& s, const std::vector<double>& p) {
  for (int r = 1; r <= s.nodes(); ++r) {
    const double* w = s.record(r);
    bool inside = rec::slotI(w, 10) != 0;
    for (int i = 0; i < 3 && inside; ++i) inside = w[3 + i] <= p[i] && p[i] <= w[6 + i];
    if (inside) return r;
  }
  return 0;
}

// A rigid query into a list with room for exactly one entry per leaf.
int rigidQuery(Surface& s, int operation, const std::vector<double>& p) {
  std::vector<int> items(static_cast<std::size_t>(s.facets));
  int count = -1;
  const int length = kRecord, nodes = s.nodes(), three = 3;
  const double* records = s.block.data() + 4;
  SHR_CONTACTSRCHDBDEFVSRIGID(&operation, p.data(), &three, items.data(), &count,
                              reinterpret_cast<const int*>(records), records, &length, &nodes);
  return count;
}

// The same tree loaded as the deformable one and queried likewise.
int deformableQuery(Surface& s, int operation, const std::vector<double>& p, int* error) {
  const int load = 1, length = kRecord, nodes = s.nodes(), three = 3;
  std::vector<int> items(static_cast<std::size_t>(s.facets));
  int count = -1;
  SHR_CONTACTSRCHDBDEFVSDEF(&load, s.block.data() + 4, &length, &nodes, p.data(), &three, items.data(), &count, error);
  SHR_CONTACTSRCHDBDEFVSDEF(&operation, nullptr, &length, &nodes, p.data(), &three, items.data(), &count, error);
  return count;
}

TEST_F(DamagedTrees, ALinkBackIntoTheWalkIsFoundBeforeTheListOverflows) {
  const std::vector<double> p = {3.5, 0.5, 0.25};
  // Each damage makes a walk meet a node again: a leaf or inner node that is its own next
  // sibling, a sibling chain that returns to its start, a child link to the root.
  enum Damage { kSelfSibling, kChainBack, kChildToRoot };
  for (const Damage damage : {kSelfSibling, kChainBack, kChildToRoot}) {
    for (const int operation : {0, 2}) {
      Surface s = surface(16);
      const int leaf = leafHolding(s, p);
      ASSERT_GT(leaf, 0);
      const int parent = rec::slotI(s.record(leaf), 1);
      const int first = rec::slotI(s.record(parent), 3);
      int last = first;
      while (rec::slotI(s.record(last), 2) != 0) last = rec::slotI(s.record(last), 2);
      if (damage == kSelfSibling) rec::setSlotI(s.record(leaf), 2, leaf);
      if (damage == kChainBack) rec::setSlotI(s.record(last), 2, first);
      if (damage == kChildToRoot) rec::setSlotI(s.record(leaf), 3, 1), rec::setSlotI(s.record(leaf), 10, 0);
      // The far query starts from a point outside every box, so that it walks the whole tree.
      const std::vector<double> q = operation == 0 ? p : std::vector<double>{3.5, 50.0, 0.25};
      eqc_testing::clearMessages();
      EXPECT_EQ(rigidQuery(s, operation, q), 0) << damage << " op " << operation;
      EXPECT_TRUE(eqc_testing::printed(kInvalidRigid)) << damage << " op " << operation;
      EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
      int error = -1;
      eqc_testing::clearMessages();
      EXPECT_EQ(deformableQuery(s, operation, q, &error), 0) << damage << " op " << operation;
      EXPECT_EQ(error, 1);
      EXPECT_TRUE(eqc_testing::printed(kInvalidDeformable)) << damage << " op " << operation;
    }
  }
}

TEST_F(DamagedTrees, RandomLinkDamageNeverWritesPastTheLeaves) {
  // Any link word of any node set to a value a damaged block may hold: the query stays within the
  // list (one entry per leaf) and gives either no facet with the message or facets of the tree.
  std::mt19937 rng(5);
  const Surface intact = surface(24);
  const int n = rec::slotI(intact.block.data(), 3);
  const int values[] = {0, 1, -1, INT_MIN, INT_MAX, INT_MAX - 1, n, n + 1};
  std::uniform_int_distribution<int> node(1, n), word(1, 3), pick(0, 9);
  std::uniform_real_distribution<double> x(-1.0, 25.0);
  for (int round = 0; round < 400; ++round) {  // each round damages a fresh copy
    Surface s = intact;
    const int r = node(rng), k = word(rng) == 3 ? 10 : 1 + word(rng);
    const int v = pick(rng) < 8 ? values[pick(rng) % 8] : node(rng);
    rec::setSlotI(s.record(r), k, v);
    const std::vector<double> p = {x(rng), 0.5, 0.25};
    for (const int operation : {0, 2}) {
      const int count = rigidQuery(s, operation, p);
      EXPECT_GE(count, 0) << r << " " << k << " " << v;
      EXPECT_LE(count, s.facets) << r << " " << k << " " << v;
    }
  }
}

// FIND_CANDIDATE_FACETS over a surface whose tables have a column for every tree node, so that
// every facet number the tree block admits can be looked up.
struct Candidates {
  int count = -1, nearest = -1;
  double dmin = -1;
};

Candidates findCandidates(Surface& s, const std::vector<double>& p) {
  std::vector<int> table = s.table;
  table.resize(static_cast<std::size_t>(kLd) * s.built, 0);
  std::vector<double> size = s.size;
  size.resize(static_cast<std::size_t>(s.built), 0.0);
  const int points = static_cast<int>(s.coords.size() / 3), offset = 0, three = 3;
  std::vector<double> distance(static_cast<std::size_t>(points)), bound(static_cast<std::size_t>(s.facets));
  std::vector<int> candidates(static_cast<std::size_t>(s.facets));
  Candidates c;
  FIND_CANDIDATE_FACETS(s.block.data(), &s.facets, table.data(), &kLd, size.data(), &points, &offset, p.data(),
                        s.coords.data(), &three, distance.data(), bound.data(), candidates.data(), &c.count, &c.dmin,
                        &c.nearest);
  return c;
}

TEST_F(DamagedTrees, CandidateFacetsRefuseHeadersAndLeavesOutsideTheBlock) {
  const std::vector<double> p = {3.5, 0.5, 0.25};
  {
    Surface s = surface(8);
    const Candidates c = findCandidates(s, p);
    ASSERT_GT(c.count, 0) << "the intact tree answers";
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  }
  struct Case {
    const char* what;
    int slot;    // header word (1..4) or, from 100, word slot - 100 of the leaf holding the point
    int value;
  };
  const int big = INT_MAX, small = 3;
  const std::vector<Case> cases = {
      {"block length 0", 1, 0},           {"block length 3", 1, 3},            {"block length min", 1, INT_MIN},
      {"block length one short", 1, -2},  {"record length 0", 2, 0},          {"record length -1", 2, -1},         {"record length 9", 2, 9},
      {"record length max", 2, big},       {"record length min", 2, INT_MIN},   {"node count max", 3, big},
      {"node count max - 3", 3, big - small}, {"node count -1", 3, -1},         {"node count min", 3, INT_MIN},
      {"first word 0", 4, 0},              {"first word -1", 4, -1},            {"first word 4", 4, 4},
      {"first word 6", 4, 6},              {"first word max", 4, big},          {"first word max - 3", 4, big - small},
      {"first word min", 4, INT_MIN},      {"leaf facet -1", 110, -1},          {"leaf facet min", 110, INT_MIN},
      {"leaf facet max", 110, big},        {"leaf facet max - 3", 110, big - small},
  };
  for (const Case& k : cases) {
    Surface s = surface(8);
    if (k.slot == 1 && k.value == -2) {
      rec::setSlotI(s.block.data(), 1, rec::slotI(s.block.data(), 1) - 1);
    } else if (k.slot < 100) {
      rec::setSlotI(s.block.data(), k.slot, k.value);
    } else {
      const int leaf = leafHolding(s, p);
      ASSERT_GT(leaf, 0);
      rec::setSlotI(s.record(leaf), k.slot - 100, k.value);
    }
    eqc_testing::clearMessages();
    const Candidates c = findCandidates(s, p);
    EXPECT_EQ(c.count, 0) << k.what;
    EXPECT_EQ(c.dmin, 1e36) << k.what;
    EXPECT_EQ(c.nearest, 0) << k.what;
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 1) << k.what;
  }
  // A leaf one past the node count, and a facet whose node count runs past its column.
  {
    Surface s = surface(8);
    rec::setSlotI(s.record(leafHolding(s, p)), 10, s.nodes() + 1);
    eqc_testing::clearMessages();
    EXPECT_EQ(findCandidates(s, p).count, 0);
    EXPECT_TRUE(eqc_testing::printed(kInvalidRigid));
  }
  // A facet table laid in the address space has known room: a leaf facet within the node count
  // but past the table's last column is refused.
  {
    Surface s = surface(8);
    ASSERT_LT(s.facets, s.nodes());
    rec::setSlotI(s.record(leafHolding(s, p)), 10, s.facets + 1);
    zmxtest::MappedArray table(static_cast<std::size_t>(s.facets) * kLd / 2);
    std::memcpy(table.data(), s.table.data(), s.table.size() * sizeof(int));
    std::vector<double> size(static_cast<std::size_t>(s.built), 1.5);
    const int points = static_cast<int>(s.coords.size() / 3), offset = 0, three = 3;
    std::vector<double> distance(static_cast<std::size_t>(points)), bound(static_cast<std::size_t>(s.facets));
    std::vector<int> candidates(static_cast<std::size_t>(s.facets));
    Candidates c;
    eqc_testing::clearMessages();
    FIND_CANDIDATE_FACETS(s.block.data(), &s.facets, reinterpret_cast<const int*>(table.data()), &kLd, size.data(),
                          &points, &offset, p.data(), s.coords.data(), &three, distance.data(), bound.data(),
                          candidates.data(), &c.count, &c.dmin, &c.nearest);
    EXPECT_EQ(c.count, 0);
    EXPECT_TRUE(eqc_testing::printed(kInvalidRigid));
    EXPECT_TRUE(table.guardsKept());
  }
  for (const int facetNodes : {4, big, -1}) {
    Surface s = surface(8);
    const int f = rec::slotI(s.record(leafHolding(s, p)), 10);
    s.table[static_cast<std::size_t>(kLd) * (f - 1) + 1] = facetNodes;
    eqc_testing::clearMessages();
    EXPECT_EQ(findCandidates(s, p).count, 0) << facetNodes;
    EXPECT_TRUE(eqc_testing::printed(kInvalidRigid)) << facetNodes;
  }
}

}  // namespace
