// Edge and vertex normals against geometry: planar facets at a known angle, fans, seams of 6-node
// triangles from both sides, radial normals on an exact cylinder, 2-D segments, and the sorted
// lookup twins against the plain routines under an identity key list.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "siblings/eqc/testing.h"
#include "tests/geometry/cylinders/cylinder_model.h"
#include "tests/support/host_fixture.h"
#include "zmx/geometry.h"

namespace {

using EdgeVertexNormals = zmxtest::HostFixture;
using V3 = std::array<double, 3>;

V3 unit(V3 v) {
  const double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  return {v[0] / l, v[1] / l, v[2] / l};
}
V3 facetNormal(const std::vector<double>& x, int a, int b, int c) {
  const V3 u = {x[3 * b] - x[3 * a], x[3 * b + 1] - x[3 * a + 1], x[3 * b + 2] - x[3 * a + 2]};
  const V3 v = {x[3 * c] - x[3 * a], x[3 * c + 1] - x[3 * a + 1], x[3 * c + 2] - x[3 * a + 2]};
  return unit({u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]});
}

// A facet record: node count in word 2, node numbers from word 8.
std::vector<int> record(std::vector<int> nodes) {
  std::vector<int> r(16, 0);
  r[1] = static_cast<int>(nodes.size());
  for (std::size_t k = 0; k < nodes.size(); ++k) r[7 + k] = nodes[k];
  return r;
}

// An identity key list over nodes 1..count.
struct Keys {
  std::vector<int> map, keys, columns;
  explicit Keys(int count) : map(count), keys(count), columns(count) {
    std::iota(map.begin(), map.end(), 1);
    keys = map;
    columns = map;
  }
};

V3 edge(const std::vector<int>& edgeNodes, double s, const std::vector<int>& a, const std::vector<int>& b,
        const std::vector<double>& x, int facets, bool sorted = false, int kindA = 0, const double* cylA = nullptr,
        int kindB = 0, const double* cylB = nullptr, Logical sub = kFalse) {
  V3 n{9, 9, 9};
  const int ld = 3, offset = 0;
  const double none[4] = {0, 0, 0, 0};
  if (cylA == nullptr) cylA = none;
  if (cylB == nullptr) cylB = none;
  if (!sorted) {
    NORMAL_ON_EDGE(edgeNodes.data(), &s, a.data(), b.data(), &sub, x.data(), &ld, &offset, n.data(), &facets, &kindA, cylA,
                   &kindB, cylB);
  } else {
    const Keys k(static_cast<int>(x.size() / 3));
    const int count = static_cast<int>(k.keys.size());
    Logical failed = 7;
    NORMAL_ON_EDGE_B(edgeNodes.data(), &s, a.data(), b.data(), &sub, x.data(), &ld, n.data(), k.map.data(), k.keys.data(),
                     k.columns.data(), &count, &failed, &facets, &kindA, cylA, &kindB, cylB);
    EXPECT_EQ(failed, kFalse);
  }
  return n;
}

TEST_F(EdgeVertexNormals, PlanarFacetsAtAKnownAngleAndFans) {
  // Two triangles hinged on the edge 1-2 (the x axis) at the angle 2 alpha.
  for (double alpha : {0.1, 0.7, 1.3}) {
    const std::vector<double> x = {0, 0, 0, 2, 0, 0, 1, std::cos(alpha), std::sin(alpha), 1, -std::cos(alpha),
                                   std::sin(alpha)};
    const auto a = record({1, 2, 3}), b = record({2, 1, 4});
    for (bool sorted : {false, true}) {
      const V3 n = edge({1, 2, 0}, 0.3, a, b, x, 2, sorted);
      EXPECT_NEAR(n[0], 0.0, 1e-15);
      EXPECT_NEAR(n[1], 0.0, 1e-15);
      EXPECT_NEAR(n[2], 1.0, 1e-15);  // the bisector of the two facet normals
      const V3 one = edge({1, 2, 0}, 0.3, a, b, x, 1, sorted);
      const V3 want = facetNormal(x, 0, 1, 2);
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(one[i], want[i], 1e-15);
    }
  }
  // A fan of k triangles around an apex: the normalised sum of their normals, the mean value.
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> d(0.5, 1.5);
  for (int k : {3, 5, 8}) {
    std::vector<double> x = {0, 0, 1};
    for (int i = 0; i < k; ++i) {
      const double angle = 2 * M_PI * i / k, r = d(rng);
      x.insert(x.end(), {r * std::cos(angle), r * std::sin(angle), 0.3 * d(rng)});
    }
    const int ld = 16;
    std::vector<int> table(16 * k, 0), vertex = {k};
    std::vector<double> values(k);
    V3 sum{0, 0, 0};
    for (int i = 0; i < k; ++i) {
      const int b = 2 + i, c = 2 + (i + 1) % k;
      const auto r = record({1, b, c});
      std::copy(r.begin(), r.end(), table.begin() + 16 * i);
      vertex.push_back(i + 1);
      values[i] = d(rng);
      const V3 n = facetNormal(x, 0, b - 1, c - 1);
      for (int j = 0; j < 3; ++j) sum[j] += n[j];
    }
    for (int i = 0; i < k; ++i) vertex.push_back(1);  // the apex is node 1 of each facet
    const V3 want = unit(sum);
    const Logical no = kFalse;
    const int three = 3, offset = 0;
    const std::vector<int> kinds(k, 0);
    const std::vector<double> cylinders(4 * k, 0.0);
    V3 n;
    double mean = 0;
    NORMAL_ON_VERTEX(vertex.data(), table.data(), &ld, &no, x.data(), &three, &offset, n.data(), values.data(), &mean, &no,
                     kinds.data(), cylinders.data());
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(n[j], want[j], 1e-14);
    EXPECT_NEAR(mean, std::accumulate(values.begin(), values.end(), 0.0) / k, 1e-15);
    const Keys keys(k + 1);
    const int count = k + 1;
    Logical failed = 7;
    V3 nb;
    double meanB = 0;
    NORMAL_ON_VERTEX_B(vertex.data(), table.data(), &ld, &no, x.data(), &three, nb.data(), keys.map.data(),
                       keys.keys.data(), keys.columns.data(), &count, &failed, values.data(), &meanB, kinds.data(),
                       cylinders.data());
    EXPECT_EQ(failed, kFalse);
    EXPECT_EQ(nb, n);
    EXPECT_EQ(meanB, mean);
    if (k != 3) continue;
    // A node missing from the sorted keys: failure at once, the mean holding the sum so far.
    const int fewer = 2;  // keys of nodes 1 and 2 only; facet 1 needs node 3
    NORMAL_ON_VERTEX_B(vertex.data(), table.data(), &ld, &no, x.data(), &three, nb.data(), keys.map.data(),
                       keys.keys.data(), keys.columns.data(), &fewer, &failed, values.data(), &meanB, kinds.data(),
                       cylinders.data());
    EXPECT_EQ(failed, kTrue);
    EXPECT_EQ(meanB, values[0]);
    // Records of node counts no facet has (5 nodes; 8 on a cylindrical facet) add no normal, only
    // their value to the mean.
    std::vector<int> more(table);
    for (const int count : {5, 8}) {
      std::vector<int> r = record({1, 2, 3, 4, 5, 6, 7, 8});
      r[1] = count;
      more.insert(more.end(), r.begin(), r.end());
    }
    std::vector<int> wider = {k + 2};
    for (int i = 1; i <= k + 2; ++i) wider.push_back(i);
    for (int i = 1; i <= k + 2; ++i) wider.push_back(1);
    std::vector<int> wideKinds(kinds);
    wideKinds.insert(wideKinds.end(), {0, 1});
    std::vector<double> wideValues(values), wideCylinders(cylinders);
    wideValues.insert(wideValues.end(), {5.0, 7.0});
    wideCylinders.insert(wideCylinders.end(), {0.5, 0.2, 0.3, 0.25, 0.5, 0.2, 0.3, 0.25});
    const Logical yes = kTrue;
    std::vector<double> xx(x);
    xx.resize(3 * 8, 0.5);
    V3 nw;
    double meanW = 0;
    NORMAL_ON_VERTEX(wider.data(), more.data(), &ld, &no, xx.data(), &three, &offset, nw.data(), wideValues.data(),
                     &meanW, &yes, wideKinds.data(), wideCylinders.data());
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(nw[j], want[j], 1e-14);
    EXPECT_NEAR(meanW, (std::accumulate(values.begin(), values.end(), 0.0) + 12.0) / (k + 2), 1e-15);
  }
  // Two dimensions: two segments meeting at node 2, the sum of (-t_y, t_x) turned normals.
  const std::vector<double> polyline = {0, 0, 1, 0, 2, 1};
  const std::vector<int> table = {0, 2, 0, 0, 0, 0, 0, 1, 2, 0, 2, 0, 0, 0, 0, 0, 2, 3};
  const std::vector<int> vertex = {2, 1, 2, 2, 1};
  const int ld = 9, two = 2, offset = 0;
  const Logical no = kFalse;
  const int kinds[2] = {0, 0};
  const double values[2] = {1, 3}, cylinders[8] = {};
  double n[2], mean;
  NORMAL_ON_VERTEX(vertex.data(), table.data(), &ld, &no, polyline.data(), &two, &offset, n, values, &mean, &no, kinds,
                   cylinders);
  const V3 want = unit({0 + -std::sqrt(0.5), 1 + std::sqrt(0.5), 0});
  EXPECT_NEAR(n[0], want[0], 1e-15);
  EXPECT_NEAR(n[1], want[1], 1e-15);
  EXPECT_EQ(mean, 2.0);
  // No facet at all: a zero normal and a zero mean.
  const std::vector<int> empty = {0};
  NORMAL_ON_VERTEX(empty.data(), table.data(), &ld, &no, polyline.data(), &two, &offset, n, values, &mean, &no, kinds,
                   cylinders);
  EXPECT_EQ(n[0], 0.0);
  EXPECT_EQ(mean, 0.0);
}

TEST_F(EdgeVertexNormals, SeamsOfSixNodeTrianglesAgreeFromBothSides) {
  // A curved 6-node triangle on z = (x^2 + x y - y^2) / 3.
  const double at[6][2] = {{0, 0}, {1, 0}, {0, 1}, {0.5, 0}, {0.5, 0.5}, {0, 0.5}};
  std::vector<double> x;
  for (const auto& p : at) x.insert(x.end(), {p[0], p[1], (p[0] * p[0] + p[0] * p[1] - p[1] * p[1]) / 3});
  const int ld = 3;
  std::mt19937 rng(2);
  std::uniform_real_distribution<double> d(-0.9, 0.9);
  for (int trial = 0; trial < 20; ++trial) {
    const int k = 1 + trial % 3, next = k % 3 + 1, previous = (k + 1) % 3 + 1;
    const double t = d(rng), one = 1.0;
    V3 a, b, c;
    int status = 9;
    NORMALONINTERNALEDGE(&k, &one, &t, x.data(), &ld, a.data(), &status);
    EXPECT_EQ(status, 0);
    NORMALONINTERNALEDGE(&next, &t, &one, x.data(), &ld, b.data(), &status);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], 1e-14);
    NORMALONINTERNALEDGE(&k, &t, &one, x.data(), &ld, b.data(), &status);
    NORMALONINTERNALEDGE(&previous, &one, &t, x.data(), &ld, c.data(), &status);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(b[i], c[i], 1e-14);
    // Inside a sub-quadrilateral: the facet's own normal there.
    const double xi = d(rng), eta = d(rng);
    NORMALONINTERNALEDGE(&k, &xi, &eta, x.data(), &ld, a.data(), &status);
    const int mode = 1, n = 6;
    const Logical yes = kTrue, no = kFalse;
    const double none[4] = {};
    double point[3], tangents[6], second[12];
    V3 own;
    FACET_3D_FACETFACE_PROP(&mode, &xi, &eta, &n, &yes, &k, &no, none, x.data(), &ld, point, own.data(), tangents,
                            second, &status);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], own[i], 1e-14);
  }
  // A flat 6-node triangle: the plane's normal on every seam and at the centroid; an edge on the
  // sub-facet path at s = 0.5 uses the first corner's sub-facet.
  std::vector<double> flat;
  for (const auto& p : at) flat.insert(flat.end(), {p[0], 2 * p[1], 0.5 * p[0]});
  const V3 plane = unit({-1, 0, 2});
  const int k = 2;
  const double one = 1.0, half = 0.3;
  V3 n;
  int status = 0;
  NORMALONINTERNALEDGE(&k, &one, &one, flat.data(), &ld, n.data(), &status);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(n[i], plane[i], 1e-15);
  NORMALONINTERNALEDGE(&k, &one, &half, flat.data(), &ld, n.data(), &status);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(n[i], plane[i], 1e-15);
  const auto r = record({1, 2, 3, 4, 5, 6});
  n = edge({1, 4, 2}, 0.5, r, r, flat, 1, false, 0, nullptr, 0, nullptr, kTrue);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(n[i], plane[i], 1e-15);
}

TEST_F(EdgeVertexNormals, CylindricalEdgesAreRadialAndStrayEdgesAreReported) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> d(0, 1);
  for (int trial = 0; trial < 10; ++trial) {
    const cylinder_model::Cylinder c(rng);
    const double total = 0.4 + d(rng), mid = total * (0.3 + 0.4 * d(rng));
    // Two 6-node facets stacked along the axis: the first's arc 2-5-3 is the second's 1-6-4.
    const double heights[3] = {-1, 0, 1};
    std::vector<double> x;
    for (double h : heights)
      for (double angle : {0.0, mid, total}) {
        const auto p = c.at(angle, h);
        x.insert(x.end(), p.begin(), p.end());
      }
    // Nodes: level l (0, 1, 2) at angles 0, mid, total -> 3 l + 1, 3 l + 2, 3 l + 3.
    const auto a = record({1, 4, 6, 3, 5, 2}), b = record({4, 7, 9, 6, 8, 5});
    const double cylinder[4] = {total, mid, mid, 0};
    const double s = total * d(rng);
    for (bool sorted : {false, true}) {
      const V3 n = edge({4, 5, 6}, s, a, b, x, 2, sorted, 1, cylinder, 1, cylinder);
      const auto foot = c.at(s, 0), axis = c.at(s, 0, 0.0);
      const V3 radial = unit({foot[0] - axis[0], foot[1] - axis[1], foot[2] - axis[2]});
      const double along = n[0] * radial[0] + n[1] * radial[1] + n[2] * radial[2];
      EXPECT_NEAR(std::fabs(along), 1.0, 1e-12) << trial;
    }
  }
  // An edge whose first node the facet does not carry.
  eqc_testing::clearMessages();
  const std::vector<double> x = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  const auto a = record({1, 2, 3});
  const V3 n = edge({7, 2, 0}, 0.5, a, a, x, 1);
  EXPECT_NEAR(n[2], 1.0, 1e-15);
  const auto messages = eqc_testing::messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].level, -2);
  EXPECT_EQ(messages[0].text, "SYSTEM ERROR IN normal_on_edge - the point is not at the edge");

  // Neither end among the corners of an 8-node facet: reported once for the first end and once for
  // the other; the facet's normal at (0, 0) still comes back.
  const std::vector<double> square = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0, 0, -1, 0, 1, 0, 0, 0, 1, 0, -1, 0, 0};
  const auto eight = record({1, 2, 3, 4, 5, 6, 7, 8});
  for (bool sorted : {false, true}) {
    eqc_testing::clearMessages();
    EXPECT_NEAR(edge({97, 98, 99}, 0.5, eight, eight, square, 1, sorted)[2], 1.0, 1e-15);
    const auto stray = eqc_testing::messages();
    ASSERT_EQ(stray.size(), 2u);
    EXPECT_EQ(stray[1].text, sorted ? "SYSTEM ERROR IN normal_on_edge_b - the point is not at the edge"
                                    : "SYSTEM ERROR IN normal_on_edge - the point is not at the edge");
  }
}

// A curved 6-node triangle is three bilinear quadrilaterals (a corner, the midside nodes after and
// before it, and the centre (X1 + X2 + X3) / 12 + (X4 + X5 + X6) / 4): inside one the normal is that
// of its surface by central differences; on an internal edge the mean of the two that meet there;
// at the centre the mean of all three.
TEST_F(EdgeVertexNormals, InternalEdgeNormalsMatchFiniteDifferencesOfTheSubQuadrilaterals) {
  const std::vector<double> x = {0, 0, 0.1, 1, 0, -0.2, 0, 1, 0.3, 0.5, 0.05, 0.2, 0.45, 0.55, -0.1, 0.05, 0.5, 0.25};
  const int ld = 3;
  V3 centre{};
  for (int j = 0; j < 6; ++j)
    for (int i = 0; i < 3; ++i) centre[i] += x[3 * j + i] * (j < 3 ? 1.0 / 12 : 0.25);
  // Sub-quadrilateral k's point at (xi, eta): corners at k, the midside after k, the centre, the
  // midside before k.
  const auto point = [&](int k, double xi, double eta) {
    static constexpr int kAfter[3] = {4, 5, 6}, kBefore[3] = {6, 4, 5};
    const std::array<V3, 4> c = {V3{x[3 * (k - 1)], x[3 * (k - 1) + 1], x[3 * (k - 1) + 2]},
                                 V3{x[3 * (kAfter[k - 1] - 1)], x[3 * (kAfter[k - 1] - 1) + 1], x[3 * (kAfter[k - 1] - 1) + 2]},
                                 centre,
                                 V3{x[3 * (kBefore[k - 1] - 1)], x[3 * (kBefore[k - 1] - 1) + 1], x[3 * (kBefore[k - 1] - 1) + 2]}};
    const double w[4] = {(1 - xi) * (1 - eta) / 4, (1 + xi) * (1 - eta) / 4, (1 + xi) * (1 + eta) / 4,
                         (1 - xi) * (1 + eta) / 4};
    V3 q{};
    for (int a = 0; a < 4; ++a)
      for (int i = 0; i < 3; ++i) q[i] += w[a] * c[a][i];
    return q;
  };
  const auto differenced = [&](int k, double xi, double eta) {
    const double h = 1e-6;
    const V3 a = point(k, xi + h, eta), b = point(k, xi - h, eta), c = point(k, xi, eta + h), d = point(k, xi, eta - h);
    const V3 u = {a[0] - b[0], a[1] - b[1], a[2] - b[2]}, v = {c[0] - d[0], c[1] - d[1], c[2] - d[2]};
    return unit({u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]});
  };
  const auto expectNormal = [&](int k, double xi, double eta, const V3& expected) {
    V3 n;
    int status = 9;
    NORMALONINTERNALEDGE(&k, &xi, &eta, x.data(), &ld, n.data(), &status);
    EXPECT_EQ(status, 0);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(n[i], expected[i], 1e-8) << k << " " << xi << " " << eta;
  };
  std::mt19937 rng(8);
  std::uniform_real_distribution<double> d(-0.95, 0.95);
  for (int k = 1; k <= 3; ++k) {
    const int next = k % 3 + 1;
    for (int trial = 0; trial < 10; ++trial) {
      const double xi = d(rng), eta = d(rng), t = d(rng);
      expectNormal(k, xi, eta, differenced(k, xi, eta));
      const V3 a = differenced(k, 1.0, t), b = differenced(next, t, 1.0);
      expectNormal(k, 1.0, t, unit({a[0] + b[0], a[1] + b[1], a[2] + b[2]}));
    }
  }
  const V3 a = differenced(1, 1, 1), b = differenced(2, 1, 1), c = differenced(3, 1, 1);
  expectNormal(2, 1.0, 1.0, unit({a[0] + b[0] + c[0], a[1] + b[1] + c[1], a[2] + b[2] + c[2]}));
}

// Curved 6- and 9-node cylindrical facets off their cylinder, every midside angle its own: at every
// vertex and at random points of every edge (straight ones by fraction, curved ones by angle) the
// normal is the sum of the facets' unit normals t1 x t2 from the closed-form arc functions of their
// records, at the facet point found from the corners' own coordinates. A facet's record for the
// edge routines holds its own reals only (three for 6 nodes).
TEST_F(EdgeVertexNormals, CurvedCylindricalFacetsSumTheNormalsOfTheirArcFunctions) {
  std::mt19937 rng(54);
  std::uniform_real_distribution<double> d(0, 1);
  for (int trial = 0; trial < 60; ++trial) {
    const cylinder_model::Cylinder c(rng);
    const int n = trial % 2 == 0 ? 6 : 9;
    // Facet A has nodes 1..n; facet B shares A's curved edge 2-3 as its own edge 1-4 (with its
    // midside node) and has nodes of its own beyond n.
    std::vector<double> x;
    std::vector<std::vector<double>> records;
    for (int f = 0; f < 2; ++f) {
      const double total = 0.2 + 2 * d(rng);
      records.push_back({total, total * (0.2 + 0.6 * d(rng)), total * (0.2 + 0.6 * d(rng))});
      if (n == 9) records[f].push_back(total * (0.2 + 0.6 * d(rng)));
      const auto nodes = cylinder_model::facetNodes(c, n, total, {records[f].begin() + 1, records[f].end()}, d(rng), 1);
      x.insert(x.end(), nodes.begin(), nodes.end());
    }
    for (double& v : x) v += 0.2 * (d(rng) - 0.5);
    std::vector<int> labels[2];
    for (int j = 1; j <= n; ++j) labels[0].push_back(j), labels[1].push_back(n + j);
    labels[1][0] = 2, labels[1][3] = 3, labels[1][n == 6 ? 5 : 7] = n == 6 ? 5 : 6;
    const auto corner = [&](int f, int j, double (&at)[2]) {  // facet coordinates of node j
      const auto& r = records[f];
      const double six[6][2] = {{-1, 0}, {1, 0}, {1, r[0]}, {-1, r[0]}, {1, r[2]}, {-1, r[1]}};
      const double nine[9][2] = {{-1, 0}, {1, 0}, {1, r[0]}, {-1, r[0]}, {0, 0}, {1, n == 9 ? r[3] : 0}, {0, r[0]}, {-1, r[1]}, {0, r[2]}};
      at[0] = n == 6 ? six[j - 1][0] : nine[j - 1][0], at[1] = n == 6 ? six[j - 1][1] : nine[j - 1][1];
    };
    const auto normalOf = [&](int f, double xi, double eta) {
      const auto w = cylinder_model::facetFunctions(n, records[f].data(), xi, eta);
      cylinder_model::Vec t1{}, t2{};
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < 3; ++i) {
          const double xj = x[3 * (labels[f][j] - 1) + i];
          t1[i] += w[1][j] * xj, t2[i] += w[2][j] * xj;
        }
      const V3 m = unit(cylinder_model::cross(t1, t2));
      return m;
    };
    const auto expectNear = [&](const V3& got, const V3& want, const char* what) {
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], want[i], 1e-11) << what << " trial " << trial;
    };
    const std::vector<int> a = record(labels[0]), b = record(labels[1]);
    // Every edge of A from either end: the triple (first corner, midside node or 0, other corner).
    const int corners[8][2] = {{1, 2}, {2, 1}, {2, 3}, {3, 2}, {3, 4}, {4, 3}, {4, 1}, {1, 4}};
    for (const auto& e : corners) {
      double from[2], to[2];
      corner(0, e[0], from), corner(0, e[1], to);
      const bool curved = from[0] == to[0];
      const double total = records[0][0], s = curved ? total * d(rng) : d(rng);
      const double xi = curved ? from[0] : from[0] + s * (to[0] - from[0]);
      const double eta = curved ? (from[1] == 0 ? s : total - s) : from[1];
      const int side = !curved ? (from[1] == 0 ? 5 : 7) : from[0] > 0 ? (n == 6 ? 5 : 6) : (n == 6 ? 6 : 8);
      const std::vector<int> triple = {e[0], n == 6 && !curved ? e[1] : side, n == 6 && !curved ? 0 : e[1]};
      for (bool sorted : {false, true}) expectNear(edge(triple, s, a, a, x, 1, sorted, 1, records[0].data(), 1, nullptr), normalOf(0, xi, eta), "edge");
    }
    // A's edge 2-3 is B's edge 1-4: both facets' normals.
    const double s = records[0][0] * d(rng);
    const V3 na = normalOf(0, 1, s), nb = normalOf(1, -1, s);
    const V3 both = unit({na[0] + nb[0], na[1] + nb[1], na[2] + nb[2]});
    for (bool sorted : {false, true})
      expectNear(edge({2, n == 6 ? 5 : 6, 3}, s, a, b, x, 2, sorted, 1, records[0].data(), 1, records[1].data()), both, "shared edge");
    // Vertices: every node of A alone, and node 2 of A, which is node 1 of B.
    const int ld = 16, three = 3, offset = 0;
    std::vector<int> table(a), kinds = {1, 1};
    table.insert(table.end(), b.begin(), b.end());
    std::vector<double> angles(8, 0.0), values = {0.5, 1.5};
    for (int f = 0; f < 2; ++f) std::copy(records[f].begin(), records[f].end(), angles.begin() + 4 * f);
    const Keys keys(2 * n);
    const int count = 2 * n;
    const Logical no = kFalse, yes = kTrue;
    for (int p = 0; p <= n; ++p) {
      const std::vector<int> vertex = p == 0 ? std::vector<int>{2, 1, 2, 2, 1} : std::vector<int>{1, 1, p};
      double at[2];
      corner(0, p == 0 ? 2 : p, at);
      V3 want = normalOf(0, at[0], at[1]);
      if (p == 0) {
        const V3 other = normalOf(1, -1, 0);
        want = unit({want[0] + other[0], want[1] + other[1], want[2] + other[2]});
      }
      V3 got, gotB;
      double mean = 0, meanB = 0;
      Logical failed = 7;
      NORMAL_ON_VERTEX(vertex.data(), table.data(), &ld, &no, x.data(), &three, &offset, got.data(), values.data(), &mean,
                       &yes, kinds.data(), angles.data());
      NORMAL_ON_VERTEX_B(vertex.data(), table.data(), &ld, &no, x.data(), &three, gotB.data(), keys.map.data(),
                         keys.keys.data(), keys.columns.data(), &count, &failed, values.data(), &meanB, kinds.data(),
                         angles.data());
      expectNear(got, want, "vertex");
      expectNear(gotB, want, "vertex, sorted lookup");
      EXPECT_EQ(mean, p == 0 ? 1.0 : 0.5);
      EXPECT_EQ(failed, kFalse);
    }
  }
}

// Flat cylindrical facets (total angle 0) on the surface z = 0.3 xi eta + 0.2 eta^2 over (xi, eta),
// which their functions (linear or quadratic across, quadratic along eta in [-1, 1]) reproduce:
// the vertex normal at each node is the surface's unit normal (-0.3 eta, -0.3 xi - 0.4 eta, 1)
// there.
TEST_F(EdgeVertexNormals, FlatCylindricalFacetVerticesTakeTheSurfaceNormal) {
  for (int n : {6, 9}) {
    const double six[6][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {1, 0}, {-1, 0}};
    const double nine[9][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}, {0, 0}};
    std::vector<double> x;
    std::vector<int> labels;
    for (int j = 0; j < n; ++j) {
      const double xi = n == 6 ? six[j][0] : nine[j][0], eta = n == 6 ? six[j][1] : nine[j][1];
      x.insert(x.end(), {xi, eta, 0.3 * xi * eta + 0.2 * eta * eta});
      labels.push_back(j + 1);
    }
    const std::vector<int> table = record(labels);
    const int ld = 16, three = 3, offset = 0;
    const std::vector<int> kinds = {1};
    const std::vector<double> angles(4, 0.0), values = {2.0};
    const Logical no = kFalse, yes = kTrue;
    for (int p = 1; p <= n; ++p) {
      const std::vector<int> vertex = {1, 1, p};
      const double xi = x[3 * p - 3], eta = x[3 * p - 2];
      const V3 want = unit({-0.3 * eta, -0.3 * xi - 0.4 * eta, 1.0});
      V3 got{9, 9, 9};
      double mean = 0.0;
      NORMAL_ON_VERTEX(vertex.data(), table.data(), &ld, &no, x.data(), &three, &offset, got.data(), values.data(), &mean,
                       &yes, kinds.data(), angles.data());
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], want[i], 1e-14) << n << " node " << p;
      EXPECT_EQ(mean, 2.0);
    }
  }
}

}  // namespace
