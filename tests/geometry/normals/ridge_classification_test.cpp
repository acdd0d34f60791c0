// Ridge classes of master-surface nodes on hand-built fans of facets, each placed in a random
// rotation: a flat fan is smooth, a 90-degree fold is a ridge, and a straight one gives its
// direction. Degenerate facets and labels not in the list never make ridges, and every output
// array is sized exactly as the routine's contract says, so the sanitizers see any overrun.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <random>
#include <vector>

#include "siblings/eqc/adaptive_mesh_testing.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/geometry.h"

namespace {

using RidgeClassification = zmxtest::HostFixture;
using V3 = std::array<double, 3>;

constexpr int kUnset = -7;
const double kCos30 = std::cos(M_PI / 6);

double dot(const V3& a, const V3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// A random rotation (columns orthonormal, right-handed).
struct Rotation {
  V3 c[3];
  explicit Rotation(std::mt19937& rng) {
    std::normal_distribution<double> g;
    V3 a{g(rng), g(rng), g(rng)}, b{g(rng), g(rng), g(rng)};
    const double la = std::sqrt(dot(a, a));
    for (double& v : a) v /= la;
    const double ab = dot(a, b);
    for (int i = 0; i < 3; ++i) b[i] -= ab * a[i];
    const double lb = std::sqrt(dot(b, b));
    for (double& v : b) v /= lb;
    c[0] = a, c[1] = b, c[2] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
  }
  V3 operator()(const V3& p) const {
    V3 r{0, 0, 0};
    for (int k = 0; k < 3; ++k)
      for (int i = 0; i < 3; ++i) r[i] += p[k] * c[k][i];
    return r;
  }
};

// Nodes by label and facets in the slide-line layout (length, two words, the node labels).
struct Fan {
  int dim = 3;
  std::map<int, V3> nodes;
  std::vector<double> slots;
  std::vector<int> positions;

  void facet(const std::vector<int>& labels) {
    positions.push_back(static_cast<int>(slots.size()) + 1);
    slots.push_back(eqc_testing::integerSlot(static_cast<int>(labels.size()) + 3));
    slots.push_back(eqc_testing::integerSlot(0));
    slots.push_back(eqc_testing::integerSlot(0));
    for (int n : labels) slots.push_back(eqc_testing::integerSlot(n));
  }
};

struct Result {
  int classification = kUnset;
  std::vector<double> local, normals;
  std::vector<int> ridge;
  int ends[2] = {-1, -1};

  V3 column(int k) const { return {local[3 * k], local[3 * k + 1], local[3 * k + 2]}; }
  V3 normal(int i) const { return {normals[3 * i], normals[3 * i + 1], normals[3 * i + 2]}; }
};

// Classifies node; the listed labels are those of the fan unless some are left out.
Result classify(const Fan& fan, int node, double c, const std::vector<int>& leftOut = {}) {
  std::vector<int> labels;
  std::vector<double> coords;
  for (const auto& [label, x] : fan.nodes) {
    if (std::find(leftOut.begin(), leftOut.end(), label) != leftOut.end()) continue;
    labels.push_back(label);
    coords.insert(coords.end(), x.begin(), x.begin() + fan.dim);
  }
  eqc_adaptive_testing::setAdaptiveNodeCount(static_cast<int>(labels.size()));
  Result r;
  const int m = static_cast<int>(fan.positions.size());
  r.local.assign(fan.dim * fan.dim, 9.0);
  r.normals.assign(3 * m, 9.0);
  r.ridge.assign(m * (m - 1), 0);
  SHR_MSRIDGES(&r.classification, r.local.data(), &node, &m, fan.slots.data(), r.normals.data(), fan.positions.data(),
               r.ridge.data(), coords.data(), &c, &fan.dim, labels.data(), r.ends);
  return r;
}

void expectFrame(const Result& r) {
  for (int a = 0; a < 3; ++a)
    for (int b = 0; b < 3; ++b) EXPECT_NEAR(dot(r.column(a), r.column(b)), a == b ? 1.0 : 0.0, 1e-14);
}

void expectNear(const V3& a, const V3& b, double tolerance = 1e-14) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], tolerance);
}

TEST_F(RidgeClassification, AFlatFanIsSmoothWhateverItsDegenerateOrUnlistedFacets) {
  std::mt19937 rng(1);
  const Rotation rot(rng);
  Fan fan;
  // Node 50 at the centre of a 3 x 3 grid of nodes in the rotated plane z = 0.
  const int grid[3][3] = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) fan.nodes[grid[i][j]] = rot({j - 1.0, i - 1.0, 0.0});
  fan.facet({10, 20, 50, 40});
  fan.facet({20, 30, 60, 50});
  fan.facet({50, 60, 90, 80});
  fan.facet({40, 50, 80, 70});
  fan.facet({40, 50, 60});   // collinear: no normal
  fan.facet({50, 80, 99});   // 99 is not in the list
  fan.nodes[99] = rot({0.5, 0.5, 3.0});
  const Result r = classify(fan, 50, kCos30, {99});
  EXPECT_EQ(r.classification, 4);
  expectNear(r.column(2), rot({0, 0, 1}));
  expectFrame(r);
  for (int i = 0; i < 4; ++i) expectNear(r.normal(i), rot({0, 0, 1}));
  EXPECT_EQ(r.normal(4), (V3{1e36, 1e36, 1e36}));
  EXPECT_EQ(r.normal(5), (V3{1e36, 1e36, 1e36}));
  EXPECT_EQ(r.ends[0], -1);
  EXPECT_TRUE(eqc_testing::messages().empty());
}

TEST_F(RidgeClassification, AFacetRecordWithADamagedLengthHasNoNormal) {
  // The flat fan with a last facet whose length word is damaged: no label past the records is
  // read, and the facet simply has no normal.
  std::mt19937 rng(2);
  const Rotation rot(rng);
  for (const int length : {-2147483647 - 1, -2147483647, -2147483646, -1, 0, 2}) {
    Fan fan;
    const int grid[3][3] = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) fan.nodes[grid[i][j]] = rot({j - 1.0, i - 1.0, 0.0});
    fan.facet({10, 20, 50, 40});
    fan.facet({20, 30, 60, 50});
    fan.facet({50, 60, 90, 80});
    fan.facet({40, 50, 80, 70});
    fan.slots[static_cast<std::size_t>(fan.positions.back() - 1)] = eqc_testing::integerSlot(length);
    const Result r = classify(fan, 50, kCos30);
    EXPECT_EQ(r.classification, 4) << length;
    EXPECT_EQ(r.normal(3), (V3{1e36, 1e36, 1e36})) << length;
  }
}

// An L-shaped fold along the x axis through node 50: two triangles on z = 0 (y < 0) and two on
// y = 0 (z > 0); the fold's nodes 20 at -x and 40 at +x (moved by `bend`).
Fan fold(const Rotation& rot, const V3& bend = {0, 0, 0}) {
  Fan fan;
  fan.nodes[50] = rot({0, 0, 0});
  fan.nodes[20] = rot({-1, 0, 0});
  fan.nodes[40] = rot({1 + bend[0], bend[1], bend[2]});
  fan.nodes[30] = rot({0, -1, 0});
  fan.nodes[60] = rot({0, 0, 1});
  fan.facet({50, 20, 30});
  fan.facet({50, 30, 40});
  fan.facet({50, 40, 60});
  fan.facet({50, 60, 20});
  return fan;
}

TEST_F(RidgeClassification, FoldsAreRidgesAndStraightFoldsGiveTheirDirection) {
  std::mt19937 rng(2);
  for (int n = 0; n < 5; ++n) {
    const Rotation rot(rng);
    Result r = classify(fold(rot), 50, kCos30);
    EXPECT_EQ(r.classification, 3);
    EXPECT_EQ(r.ends[0], 20);
    EXPECT_EQ(r.ends[1], 40);
    expectNear(r.column(0), rot({-1, 0, 0}));
    expectFrame(r);
    EXPECT_EQ(std::vector<int>(r.ridge.begin(), r.ridge.begin() + 2), (std::vector<int>{20, 40}));

    // Bent away from the line through the node: a ridge, not a straight one; the system keeps the
    // averaged normal.
    r = classify(fold(rot, {0, 0, 0.8}), 50, kCos30);
    EXPECT_EQ(r.classification, 2);
    EXPECT_EQ(r.ends[0], -1);
    expectFrame(r);
    // A threshold below every pair's cosine finds no ridge.
    r = classify(fold(rot), 50, -0.5);
    EXPECT_EQ(r.classification, 4);
  }
  EXPECT_TRUE(eqc_testing::messages().empty());
}

TEST_F(RidgeClassification, CancellingNormalsLeaveTheClassUnsetUnlessEveryDirectionCounts) {
  std::mt19937 rng(3);
  const Rotation rot(rng);
  Fan fan;
  fan.nodes[1] = rot({0, 0, 0}), fan.nodes[2] = rot({1, 0, 0}), fan.nodes[3] = rot({0, 1, 0});
  fan.facet({1, 2, 3});
  fan.facet({1, 3, 2});
  Result r = classify(fan, 1, 0.5);
  EXPECT_EQ(r.classification, kUnset);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(r.local[i], 0.0);
  r = classify(fan, 1, -1.0);
  EXPECT_EQ(r.classification, kUnset);
  expectNear(r.column(2), rot({0, 0, 1}));
  expectFrame(r);
  // The node itself not in the list: no facet has a normal.
  r = classify(fan, 1, 0.5, {1});
  EXPECT_EQ(r.classification, kUnset);
  EXPECT_EQ(r.normal(0), (V3{1e36, 1e36, 1e36}));
}

TEST_F(RidgeClassification, SharedNodesBeyondTheListsCapacityAreNotWritten) {
  // Three quadrilaterals on the same four nodes: the first two opposite, the third twisted, so
  // that every pair folds and shares three nodes besides the node: nine for a list of six.
  Fan fan;
  fan.nodes[1] = {0, 0, 0}, fan.nodes[2] = {1, 0, 0}, fan.nodes[3] = {1, 1, 0.3}, fan.nodes[4] = {0, 1, 0};
  fan.facet({1, 2, 3, 4});
  fan.facet({1, 4, 3, 2});
  fan.facet({1, 2, 4, 3});
  const Result r = classify(fan, 1, kCos30);
  EXPECT_EQ(r.classification, 2);
  EXPECT_EQ(std::vector<int>(r.ridge.begin(), r.ridge.begin() + 3), (std::vector<int>{2, 3, 4}));
}

TEST_F(RidgeClassification, TwoDimensionalNodesUseATwoByTwoSystem) {
  Fan straight;
  straight.dim = 2;
  straight.nodes[5] = {-1, 0, 0}, straight.nodes[6] = {0, 0, 0}, straight.nodes[7] = {2, 0, 0};
  straight.facet({5, 6});
  straight.facet({6, 7});
  Result r = classify(straight, 6, kCos30);
  EXPECT_EQ(r.classification, 4);
  EXPECT_EQ(r.local, (std::vector<double>{1, 0, 0, 1}));

  Fan corner = straight;
  corner.nodes[7] = {0, 2, 0};
  r = classify(corner, 6, kCos30);
  EXPECT_EQ(r.classification, 2);
  const double h = std::sqrt(0.5);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(r.local[i], (std::vector<double>{h, h, -h, h})[i], 1e-15);
  EXPECT_EQ(r.normal(1), (V3{-1, 0, 0}));
}

}  // namespace
