// The modified triangle and tetrahedron place their interior node (and face points) at the
// centroids of straight-sided elements and, in the analysis kind 0 only, give it the nodal data
// of its neighbours; LC3DG8 turns a node table into the check's local frame.
#include <gtest/gtest.h>

#include <random>

#include "siblings/dm2/element_memory_testing.h"
#include "tests/elements/geometry/geometry_harness.h"

namespace {

using namespace geometry_test;

constexpr double kC = -1.0 / 15.0, kM = 0.4;
const std::vector<double> kTriangleWeights{kC, kC, kC, kM, kM, kM};
const std::vector<double> kTetWeights{0.006803281, 0.006803281, 0.006803281, 0.006803281, 0.162131146,
                                      0.162131146, 0.162131146, 0.162131146, 0.162131146, 0.162131146};

std::vector<Real> mid(const std::vector<Real>& a, const std::vector<Real>& b) {
  std::vector<Real> m(a.size());
  for (std::size_t d = 0; d < a.size(); ++d) m[d] = (a[d] + b[d]) / 2;
  return m;
}

class ModifiedElements : public GeometryTest {
 protected:
  // Nodal data of `nodes` nodes: a2 rows 1-4, a24 blocks, a25 scalars, nodal variable 8.
  void fillNodalData(int nodes) {
    a3 = 4;
    a2.assign(4 * nodes, 0.0);
    for (std::size_t k = 0; k < a2.size(); ++k) a2[k] = 0.5 + static_cast<double>(k % 7) - 0.1 * static_cast<double>(k);
    rec::i(CNSPRE, 2) = 2;
    rec::i(CNSPRE, 3) = 4;
    rec::i(CGN, 6) = 1;
    rec::i(CGN, 7) = 2;
    rec::i(CGN, 15) = 2;
    a27 = 1;
    a24.assign(4 * nodes, 0.0);
    for (std::size_t k = 0; k < a24.size(); ++k) a24[k] = 1.0 + static_cast<double>(k);
    a26 = 1;
    a25.assign(nodes, 0.0);
    for (int n = 0; n < nodes; ++n) a25[n] = n * n;
    nodal.assign(8 * nodes, 0.0);
    for (std::size_t k = 0; k < nodal.size(); ++k) nodal[k] = std::sin(1.0 + static_cast<double>(k));
    dm2_element_testing::setNodalVariable(8, nodal);
  }

  // The interior node (`interior`, from 1) has the weighted data of nodes 1..weights.size().
  void expectInteriorData(int interior, const std::vector<double>& w) {
    auto sum = [&](auto value) {
      double s = 0;
      for (std::size_t n = 0; n < w.size(); ++n) s += w[n] * value(static_cast<int>(n));
      return s;
    };
    const int i = interior - 1;
    for (int row : {1, 2})
      EXPECT_NEAR(a2[row + 4 * i], sum([&](int n) { return a2[row + 4 * n]; }), 1e-12) << "row " << row + 1;
    EXPECT_NE(a2[0 + 4 * i], sum([&](int n) { return a2[4 * n]; })) << "row 1 is outside CNSPRE";
    const double first = sum([&](int n) { return a24[4 * n]; });
    EXPECT_NEAR(a24[4 * i], first, 1e-12);
    EXPECT_NEAR(a24[4 * i + 2], first, 1e-12) << "copied into the next block";
    EXPECT_NEAR(a25[i], sum([&](int n) { return a25[n]; }), 1e-12);
    const auto after = dm2_element_testing::nodalVariable(8);
    for (int layer = 0; layer < 2; ++layer)
      for (int v = 0; v < 2; ++v) {
        const double expected = sum([&](int n) { return nodal[8 * n + 4 * layer + v]; });
        EXPECT_NEAR(after[8 * i + 4 * layer + v], expected, 1e-12);
        EXPECT_NEAR(after[8 * i + 4 * layer + 2 + v], expected, 1e-12) << "both blocks of the layer";
      }
  }

  std::vector<Real> nodal;
};

TEST_F(ModifiedElements, TriangleInteriorNodeAtTheCentroidAndItsData) {
  std::mt19937 rng(2);
  std::uniform_real_distribution<double> u(-3, 3);
  std::vector<std::vector<Real>> c{{u(rng), u(rng)}, {u(rng), u(rng)}, {u(rng), u(rng)}};
  c.push_back(mid(c[0], c[1]));
  c.push_back(mid(c[1], c[2]));
  c.push_back(mid(c[2], c[0]));
  c.push_back({0, 0});
  c.push_back({9.5, -9.5});
  rec::i(CPROG, eqc_records::kProgramKind) = 0;
  fillNodalData(8);
  element(12, 1, c, {{68, 1}, {19, 190}});
  run();
  const auto calls = eqc_checks_testing::calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].ints, std::vector<Int>({501, 190, 1, 77}));
  for (int d = 0; d < 2; ++d) {
    EXPECT_NEAR(calls[0].coordinates[12 + d], (c[0][d] + c[1][d] + c[2][d]) / 3, 1e-12);
    EXPECT_EQ(calls[0].coordinates[14 + d], c[7][d]) << "the extra node";
  }
  expectInteriorData(7, kTriangleWeights);
  EXPECT_EQ(rec::i(CPHCON, 1), 0);

  // Another program kind touches no nodal data.
  rec::i(CPROG, eqc_records::kProgramKind) = 1;
  fillNodalData(8);
  const auto before2 = a2, before24 = a24, before25 = a25;
  element(14, 1, c);
  run();
  EXPECT_EQ(a2, before2);
  EXPECT_EQ(a24, before24);
  EXPECT_EQ(a25, before25);
  EXPECT_EQ(dm2_element_testing::nodalVariable(8), nodal);
}

TEST_F(ModifiedElements, TetrahedronInteriorAndFacePointsAtTheCentroids) {
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> u(-3, 3);
  std::vector<std::vector<Real>> c;
  for (int k = 0; k < 4; ++k) c.push_back({u(rng), u(rng), u(rng)});
  const int edges[6][2] = {{0, 1}, {1, 2}, {2, 0}, {0, 3}, {1, 3}, {2, 3}};
  for (const auto& e : edges) c.push_back(mid(c[e[0]], c[e[1]]));
  c.push_back({0, 0, 0});
  rec::i(CPROG, eqc_records::kProgramKind) = -1;  // taken as 0
  fillNodalData(11);
  eqc_checks_testing::setMeasures(4.5);
  element(13, 1, c);
  run();
  const auto calls = eqc_checks_testing::calls();
  ASSERT_EQ(calls.size(), 1u);
  const auto& local = calls[0].coordinates;
  const int faces[4][3] = {{0, 2, 1}, {0, 1, 3}, {1, 2, 3}, {2, 0, 3}};
  for (int d = 0; d < 3; ++d) {
    EXPECT_NEAR(local[30 + d], (c[0][d] + c[1][d] + c[2][d] + c[3][d]) / 4, 1e-8);
    for (int f = 0; f < 4; ++f)
      EXPECT_NEAR(local[3 * (11 + f) + d], (c[faces[f][0]][d] + c[faces[f][1]][d] + c[faces[f][2]][d]) / 3, 1e-12)
          << "face " << f + 1;
  }
  EXPECT_EQ(rec::i(CPHCON, 1), 1);
  EXPECT_DOUBLE_EQ(cphconReal(11), 3.0);
  expectInteriorData(11, kTetWeights);
}

TEST_F(ModifiedElements, Lc3dg8WritesTheTableInTheCheckFrame) {
  const std::vector<Real> T{0, 1, 0, -1, 0, 0, 0, 0, 1};  // local axes as columns
  eqc_checks_testing::setFrame(T, 0.75);
  for (Int n : {8, 4, 9}) {
    std::vector<Real> table(4 * n), out(40, -3.0);
    for (Int k = 0; k < n; ++k) {
      table[k] = 100 + k;
      table[k + n] = k;
      table[k + 2 * n] = 2.0 * k;
      table[k + 3 * n] = -1.0 * k;
    }
    const Real a3 = 1.0;
    const Int a4 = 2;
    LC3DG8(out.data(), table.data(), &a3, &a4, &n);
    for (Int k = 0; k < n; ++k) {
      EXPECT_EQ(out[k], 2.0 * k);       // axis 1 = (0, 1, 0)
      EXPECT_EQ(out[k + n], -1.0 * k);  // axis 2 = (-1, 0, 0)
      EXPECT_EQ(out[k + 2 * n], -1.0 * k);
    }
    // The scalar at position 25 (behind eight nodes' coordinates), or right behind a longer table.
    const std::size_t scalar = std::max<std::size_t>(24, 3 * static_cast<std::size_t>(n));
    EXPECT_EQ(out[scalar], 0.75) << n;
    for (std::size_t k = 3 * static_cast<std::size_t>(n); k < out.size(); ++k)
      if (k != scalar) {
        EXPECT_EQ(out[k], -3.0) << n << " " << k;
      }
  }
  const auto calls = eqc_checks_testing::calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].ints, std::vector<Int>({8, 0}));
}

}  // namespace
