// The cylindrical rules carry fields that are polynomial in the plane and circular (1, cos, sin)
// around the axis from the integration points at the circumferential rule's angles to the nodes
// at their stations' angles.
#include <gtest/gtest.h>

#include <cmath>

#include "siblings/eqc/circular_arcs.h"
#include "tests/elements/extrapolation/matrix_test_support.h"
#include "zmx/elements/extrapolation.h"

namespace {

using namespace extrapolation_test;

using Routine = void (*)(Real*, const Int*, const Real*, const Int*);

// Nodes of each station in in-plane order, as the cylindrical elements place them.
struct Stations {
  std::vector<std::vector<int>> nodes;  // station 1 (first angle), 2 (middle), 3 (last angle)
};

const Stations kShell6{{{1, 2}, {6, 5}, {4, 3}}};
const Stations kSolid9{{{1, 2, 3}, {7, 8, 9}, {4, 5, 6}}};
const Stations kSolid12{{{1, 2, 3, 4}, {9, 10, 11, 12}, {5, 6, 7, 8}}};
const Stations kSolid18{{{1, 2, 3, 10, 11, 12}, {7, 8, 9, 16, 17, 18}, {4, 5, 6, 13, 14, 15}}};
const Stations kSolid24{{{1, 2, 3, 4, 13, 14, 15, 16}, {9, 10, 11, 12, 21, 22, 23, 24}, {5, 6, 7, 8, 17, 18, 19, 20}}};

struct Rule {
  const char* name;
  Routine routine;
  int nodes;
  Stations stations;
  std::vector<Pt> inPlanePoints;  // in-plane points of one station
  std::vector<Pt> inPlaneNodes;   // in-plane position of each list place
  std::function<double(const Pt&)> plane;
};

TEST(CylindricalRules, CircularTimesInPlaneFieldsReachTheNodes) {
  const Real data[3] = {0.2, 0.65, 1.3};  // first, middle and last nodal angle
  Real weights[3], angles[3];
  EQC_CCYLWEIGHTS(weights, angles, data);
  const double a = 0.4, b = -1.1, c = 0.7;
  auto circular = [&](double theta) { return a + b * std::cos(theta) + c * std::sin(theta); };
  auto bilinear = [](const Pt& x) { return 1.0 + 0.3 * x[0] - 0.2 * x[1] + 0.5 * x[0] * x[1]; };
  auto biquadratic = [](const Pt& x) { return 1.0 + 0.3 * x[0] * x[0] - 0.2 * x[1] + 0.5 * x[0] * x[1] * x[1]; };
  auto linear3 = [](const Pt& L) { return 0.5 * L[0] - 1.5 * L[1] + 2.0 * L[2]; };
  auto constant = [](const Pt&) { return 1.0; };
  auto line = [](const Pt& x) { return 2.0 - 0.75 * x[0]; };
  const std::vector<Rule> rules{
      {"SHR_LX2THETA", SHR_LX2THETA, 6, kShell6, {{0}}, {{0}, {0}}, constant},
      {"SHR_LX3THETA", SHR_LX3THETA, 6, kShell6, lattice(1, gauss2()), {{-1}, {1}}, line},
      {"SHR_LX22THETA 12", SHR_LX22THETA, 12, kSolid12, lattice(2, gauss2()), quadNodes(), bilinear},
      {"SHR_LX22THETA 24", SHR_LX22THETA, 24, kSolid24, lattice(2, gauss2()), quadNodes(), bilinear},
      {"SHR_LX33THETA", SHR_LX33THETA, 24, kSolid24, lattice(2, gauss3()), quadNodes(), biquadratic},
      {"SHR_LXTRI9THETA", SHR_LXTRI9THETA, 9, kSolid9, {{0}}, {{0}, {0}, {0}}, constant},
      {"SHR_LXTRI18THETA", SHR_LXTRI18THETA, 18, kSolid18,
       {{2.0 / 3, 1.0 / 6, 1.0 / 6}, {1.0 / 6, 2.0 / 3, 1.0 / 6}, {1.0 / 6, 1.0 / 6, 2.0 / 3}}, triangleNodes(), linear3},
  };
  const Int toNodes = 1, toCentre = 0;
  for (const Rule& r : rules) {
    const int ip = static_cast<int>(r.inPlanePoints.size());
    const int ld = 3 * ip;
    const Int nn = r.nodes;
    auto W = zeros(static_cast<std::size_t>(ld) * nn), C = zeros(static_cast<std::size_t>(ld) * nn);
    r.routine(W.data(), &nn, data, &toNodes);
    r.routine(C.data(), &nn, data, &toCentre);
    // Point (i, k): in-plane point i at the k-th point angle.
    auto pointValue = [&](int p) { return r.plane(r.inPlanePoints[p % ip]) * circular(angles[p / ip]); };
    for (int s = 0; s < 3; ++s)
      for (std::size_t place = 0; place < r.stations.nodes[s].size(); ++place) {
        const int n = r.stations.nodes[s][place];
        double value = 0;
        for (int p = 0; p < ld; ++p) value += W[p + ld * (n - 1)] * pointValue(p);
        EXPECT_NEAR(value, r.plane(r.inPlaneNodes[place]) * circular(data[s]), 1e-12) << r.name << " node " << n;
      }
    EXPECT_NEAR(columnSum(C, ld, 1), 1.0, 1e-12) << r.name;
  }
  // The element centre weights the stations by the rule's weights, third station included.
  auto C = zeros(12 * 12);
  const Int twelve = 12;
  SHR_LX22THETA(C.data(), &twelve, data, &toCentre);
  const double sum = weights[0] + weights[1] + weights[2];
  for (int p = 0; p < 12; ++p) EXPECT_NEAR(C[p], 0.25 * weights[p / 4] / sum, 1e-15) << p;
  // A node past the layout's stations (node 25 of the 24-node layout) sits at no station: its
  // column is left as it was.
  auto P = sentinel(12 * 25);
  const Int past = 25;
  SHR_LX22THETA(P.data(), &past, data, &toNodes);
  for (int p = 0; p < 12; ++p) {
    EXPECT_TRUE(std::isnan(P[p + 12 * 24])) << p;
    EXPECT_FALSE(std::isnan(P[p + 12 * 23])) << p;
  }
}

TEST(CylindricalRules, ElnexSendsTheCylindricalCodesToTheirRules) {
  const Real data[3] = {0.0, 0.4, 0.9};
  const Int flag = 1, zero = 0, d = 3;
  const std::vector<std::pair<Int, std::pair<Routine, Int>>> codes{
      {1501, {SHR_LX22THETA, 12}}, {1551, {SHR_LX33THETA, 24}}, {1577, {SHR_LXTRI9THETA, 9}},
      {1578, {SHR_LXTRI18THETA, 18}}, {3565, {SHR_LX2THETA, 6}}, {157, {SHR_LX3THETA, 6}}};
  for (const auto& [type, rule] : codes) {
    const Int nn = rule.second, nip = 27;
    auto got = zeros(27 * 27), want = zeros(27 * 27);
    ELNEX(got.data(), &flag, &zero, &zero, &nip, &zero, &type, &nn, &d, &zero, data);
    rule.first(want.data(), &nn, data, &flag);
    EXPECT_EQ(got, want) << type;
  }
}

}  // namespace
