// Nodal normals and tangent evaluation points. Summed over a sphere octant meshed with every facet
// kind, the nodal normals approach the radial direction as the mesh is refined; the derivatives
// at each node and line point recover that point from fields the facet's functions reproduce; and
// the small cases of straight and curved segments and flat facets.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "tests/geometry/normals/normal_points.h"
#include "tests/support/host_fixture.h"
#include "zmx/geometry.h"

namespace {

using NodalNormals = zmxtest::HostFixture;
using V3 = std::array<double, 3>;

// Element classes by their facets: 6-node triangles taken whole, 6-node triangles split into
// sub-quadrilaterals (facet type 9), 8- and 9-node quadrilaterals, a cylindrical class.
constexpr int kTriangleClass = 16, kSplitTriangleClass = 99, kQuadClass = 17, kCylinderClass = 169;

V3 unit(V3 v) {
  const double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  return {v[0] / l, v[1] / l, v[2] / l};
}

// A mesh of the unit sphere's octant x, y, z >= 0: points of barycentric coordinates on the
// triangle of the three axes, pushed out to the sphere; nodes shared by position.
struct Octant {
  std::vector<double> x;  // 3 per node
  std::vector<std::vector<int>> facets;
  std::map<std::array<long long, 3>, int> index;

  int node(double a, double b, double c) {
    const V3 p = unit({a, b, c});
    const std::array<long long, 3> key = {std::llround(p[0] * 1e9), std::llround(p[1] * 1e9), std::llround(p[2] * 1e9)};
    auto [it, fresh] = index.try_emplace(key, static_cast<int>(x.size() / 3) + 1);
    if (fresh) x.insert(x.end(), p.begin(), p.end());
    return it->second;
  }

  // Triangles of k divisions a side; 6 nodes when quadratic.
  void triangles(int k, bool quadratic) {
    const double n = 2.0 * k;
    auto at = [&](int i, int j) { return node(1 - i / n - j / n, i / n, j / n); };
    for (int I = 0; I < k; ++I)
      for (int J = 0; I + J < k; ++J) {
        const int i = 2 * I, j = 2 * J;
        std::vector<int> up = {at(i, j), at(i + 2, j), at(i, j + 2)};
        if (quadratic) up.insert(up.end(), {at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
        facets.push_back(up);
        if (I + J + 2 > k) continue;
        std::vector<int> down = {at(i + 2, j), at(i + 2, j + 2), at(i, j + 2)};
        if (quadratic) down.insert(down.end(), {at(i + 2, j + 1), at(i + 1, j + 2), at(i + 1, j + 1)});
        facets.push_back(down);
      }
  }

  // Three quadrilateral patches (a vertex, two edge midpoints and the centre), k x k facets each.
  void quadrilaterals(int k, int nodes) {
    const V3 e[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int q = 0; q < 3; ++q) {
      const V3 &a = e[q], &b = e[(q + 1) % 3], &c = e[(q + 2) % 3];
      const V3 corner[4] = {a, {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2}, {1.0 / 3, 1.0 / 3, 1.0 / 3},
                            {(a[0] + c[0]) / 2, (a[1] + c[1]) / 2, (a[2] + c[2]) / 2}};
      const double n = 2.0 * k;
      auto at = [&](int i, int j) {
        const double s = i / n, t = j / n, w[4] = {(1 - s) * (1 - t), s * (1 - t), s * t, (1 - s) * t};
        V3 p{0, 0, 0};
        for (int m = 0; m < 4; ++m)
          for (int d = 0; d < 3; ++d) p[d] += w[m] * corner[m][d];
        return node(p[0], p[1], p[2]);
      };
      for (int I = 0; I < k; ++I)
        for (int J = 0; J < k; ++J) {
          const int i = 2 * I, j = 2 * J;
          std::vector<int> f = {at(i, j), at(i + 2, j), at(i + 2, j + 2), at(i, j + 2)};
          if (nodes >= 8) f.insert(f.end(), {at(i + 1, j), at(i + 2, j + 1), at(i + 1, j + 2), at(i, j + 1)});
          if (nodes == 9) f.push_back(at(i + 1, j + 1));
          facets.push_back(f);
        }
    }
  }

  // The largest angle between a normalised nodal sum and the radial direction.
  double worstAngle(bool flat, int elementClass) const {
    std::vector<double> a(x.size(), 0.0);
    for (const auto& f : facets) {
      const int n = static_cast<int>(f.size()), three = 3, cls = elementClass;
      const Logical flag = flat ? kTrue : kFalse;
      int status = -1;
      SHR_SURFACENORMAL(a.data(), x.data(), f.data(), &n, &three, &flag, &cls, &status);
      EXPECT_EQ(status, 0);
    }
    double worst = 0;
    for (size_t j = 0; j < x.size(); j += 3) {
      const V3 n = unit({a[j], a[j + 1], a[j + 2]});
      worst = std::max(worst, std::acos(std::min(1.0, n[0] * x[j] + n[1] * x[j + 1] + n[2] * x[j + 2])));
    }
    return worst;
  }
};

TEST_F(NodalNormals, SummedNormalsOfASphereOctantApproachTheRadialDirection) {
  // Each halving of the facets divides the worst angle by at least this much: first order for
  // flat facets and for 6-node triangles seen through their sub-quadrilaterals, second order
  // (less a margin) for the curved facets' own tangents.
  struct Case {
    std::string name;
    int nodes;
    bool flat;
    int elementClass;
    double rate;
  };
  const Case cases[] = {{"3 flat", 3, true, 0, 1.8},
                        {"3 curved path", 3, false, kTriangleClass, 1.8},
                        {"4 flat", 4, true, 0, 1.8},
                        {"6", 6, false, kTriangleClass, 3.0},
                        {"6 split", 6, false, kSplitTriangleClass, 1.8},
                        {"8", 8, false, kQuadClass, 3.5},
                        {"9", 9, false, kQuadClass, 3.5}};
  for (const Case& c : cases) {
    double previous = 0.0;
    for (int k : {2, 4, 8}) {
      Octant o;
      if (c.nodes == 3 || c.nodes == 6) o.triangles(k, c.nodes == 6);
      else o.quadrilaterals(k, c.nodes);
      const double worst = o.worstAngle(c.flat, c.elementClass);
      if (k > 2) {
        EXPECT_GT(previous / worst, c.rate) << c.name << " k " << k;
      }
      previous = worst;
    }
  }
}

// The point at which TANGENTINTER_AT_POINT evaluated, recovered from the derivatives of xi eta
// (which every facet but the 3-node triangle reproduces), or on a curved cylindrical facet of
// xi cos eta and xi sin eta.
normal_points::P2 recovered(const std::vector<double>& d, int n, const std::vector<normal_points::P2>& nodes,
                            bool curved) {
  double a = 0, b = 0, c = 0, e = 0;
  for (int j = 0; j < n; ++j) {
    const normal_points::P2 p = nodes[j];
    const double f = curved ? p.x * std::cos(p.y) : p.x * p.y, g = curved ? p.x * std::sin(p.y) : 0.0;
    a += d[j] * f, b += d[n + j] * f, c += d[j] * g, e += d[n + j] * g;
  }
  if (!curved) return {b, a};
  const double eta = std::atan2(c, a);
  return {e * std::cos(eta) - b * std::sin(eta), eta};
}

TEST_F(NodalNormals, TangentPointsLieAtTheNodesAndOnTheLines) {
  using namespace normal_points;
  struct Case {
    Kind kind;
    int family, n, lines;
  };
  const Case cases[] = {{Kind::kTriangle, 3, 3, 9},     {Kind::kTriangle, 3, 6, 9},      {Kind::kQuad, 4, 4, 12},
                        {Kind::kQuad, 4, 8, 12},        {Kind::kQuad, 4, 9, 12},         {Kind::kFlatCylinder, 4, 6, 14},
                        {Kind::kFlatCylinder, 4, 9, 14}, {Kind::kCurvedCylinder, 4, 6, 14}, {Kind::kCurvedCylinder, 4, 9, 14}};
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> param(0.0, 0.5);
  for (const Case& c : cases) {
    const Cylinder cyl = c.kind == Kind::kCurvedCylinder ? curvedCylinder(1.1) : Cylinder{};
    const int cylindrical = c.kind == Kind::kFlatCylinder || c.kind == Kind::kCurvedCylinder ? 1 : 0;
    const bool curved = c.kind == Kind::kCurvedCylinder;
    std::vector<P2> nodes;
    for (int j = 1; j <= c.n; ++j) nodes.push_back(nodePoint(c.kind, j, c.n, cyl));
    const int facet[2] = {c.family, c.n};
    const std::vector<double> record(cyl.data, cyl.data + (c.n == 6 ? 3 : 4));  // a 6-node facet's reals only
    for (int m = 1; m <= c.n + c.lines + 1; ++m) {
      const double t = m == c.n + 5 ? 0.5 : param(rng);
      std::vector<double> d(2 * c.n + 1, 7.0);
      TANGENTINTER_AT_POINT(facet, &m, &t, &cylindrical, record.data(), d.data());
      EXPECT_EQ(d[2 * c.n], 7.0);  // nothing past the 2n derivatives
      const P2 want = m <= c.n ? nodePoint(c.kind, m, c.n, cyl)
                               : normalPoint(c.kind, std::min(m - c.n, c.lines), t, cyl, c.n);
      if (c.n == 3) {
        // Constant derivatives: those of xi and eta.
        EXPECT_NEAR(d[1], 1.0, 1e-15);
        EXPECT_NEAR(d[5], 1.0, 1e-15);
        continue;
      }
      const P2 got = recovered(d, c.n, nodes, curved);
      EXPECT_NEAR(got.x, want.x, 1e-12) << static_cast<int>(c.kind) << "/" << c.n << " m " << m;
      EXPECT_NEAR(got.y, want.y, 1e-12) << static_cast<int>(c.kind) << "/" << c.n << " m " << m;
    }
  }
}

struct Arrays {
  std::vector<double> a, x;
  explicit Arrays(std::vector<double> coords) : a(coords.size(), 0.0), x(std::move(coords)) {}
  int add(std::vector<int> nodes, int dim, Logical flat, int elementClass = 0) {
    const int n = static_cast<int>(nodes.size());
    int status = -1;
    SHR_SURFACENORMAL(a.data(), x.data(), nodes.data(), &n, &dim, &flat, &elementClass, &status);
    return status;
  }
  V3 at(int node) const { return {a[3 * node - 3], a[3 * node - 2], a[3 * node - 1]}; }
};

TEST_F(NodalNormals, SegmentsAndFlatFacets) {
  // A straight segment (flag 1 counts as true: its lowest bit is set).
  Arrays s({0, 0, 0, 1, 0, 0});
  EXPECT_EQ(s.add({1, 2}, 2, 1), 0);
  EXPECT_EQ(s.at(1), (V3{0, 1, 0}));
  EXPECT_EQ(s.at(2), (V3{0, 1, 0}));

  // A 3-node segment on y = x^2 has the parabola's own normals at its nodes.
  Arrays p({-1, 1, 0, 0, 0, 0, 1, 1, 0});
  EXPECT_EQ(p.add({1, 2, 3}, 2, kFalse), 0);
  const double r5 = 1 / std::sqrt(5.0);
  const V3 want[3] = {{2 * r5, r5, 0}, {0, 1, 0}, {-2 * r5, r5, 0}};
  for (int j = 1; j <= 3; ++j)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(p.at(j)[c], want[j - 1][c], 1e-15) << j;

  // A vanishing tangent falls back on the chord; three coincident nodes give nothing.
  Arrays chord({0, 0, 0, 1, 0, 0, 4, 0, 0});
  EXPECT_EQ(chord.add({1, 2, 3}, 2, kFalse), 0);
  EXPECT_EQ(chord.at(1), (V3{0, 1, 0}));
  Arrays same({2, 3, 0, 2, 3, 0, 2, 3, 0});
  EXPECT_EQ(same.add({1, 2, 3}, 2, kFalse), 1);
  EXPECT_EQ(same.a, std::vector<double>(9, 0.0));

  // A flat quadrilateral in z = 0, counter-clockwise, adds (0, 0, 1) at each node; a collinear
  // triangle adds nothing.
  Arrays q({0, 0, 0, 2, 0, 0, 2, 1, 0, 0, 1, 0, 1, 0, 0});
  EXPECT_EQ(q.add({1, 2, 3, 4}, 3, kTrue), 0);
  for (int j = 1; j <= 4; ++j) EXPECT_EQ(q.at(j), (V3{0, 0, 1}));
  Arrays line({0, 0, 0, 1, 0, 0, 2, 0, 0});
  EXPECT_EQ(line.add({1, 2, 3}, 3, kTrue), 1);
  EXPECT_EQ(line.a, std::vector<double>(9, 0.0));

  // Two nodes add 1 to their third components; one node has its first component set to 1.
  Arrays few({0, 0, 0, 1, 0, 0});
  few.a = {5, 5, 5, 5, 5, 5};
  EXPECT_EQ(few.add({1, 2}, 3, kTrue), 0);
  EXPECT_EQ(few.a, (std::vector<double>{5, 5, 6, 5, 5, 6}));
  EXPECT_EQ(few.add({2}, 3, kTrue), 0);
  EXPECT_EQ(few.at(2), (V3{1, 5, 6}));
  EXPECT_EQ(few.add({1, 2, 1, 2, 1}, 3, kTrue), 1);

  // On the curved path: a 6-node cylindrical facet and a 4-node facet have no nodal normals here.
  std::vector<double> coords;
  for (int j = 0; j < 6; ++j) coords.insert(coords.end(), {double(j % 2), double(j / 2), 0.1 * j});
  Arrays cyl(coords);
  EXPECT_EQ(cyl.add({1, 2, 3, 4, 5, 6}, 3, kFalse, kCylinderClass), 1);
  EXPECT_EQ(cyl.add({1, 2, 4, 3}, 3, kFalse, kQuadClass), 1);
  EXPECT_EQ(cyl.a, std::vector<double>(18, 0.0));

  // Facets with no normal anywhere add nothing and say so: a segment of one node or of one point,
  // a curved segment of two nodes, a split 6-node triangle (class 99) and an 8-node facet on one
  // line.
  std::vector<double> onLine;
  for (int j = 0; j < 8; ++j) onLine.insert(onLine.end(), {double(j), 0.0, 0.0});
  Arrays none(onLine);
  none.x[3] = 0.0;  // node 2 on node 1
  EXPECT_EQ(none.add({1}, 2, kTrue), 1);
  EXPECT_EQ(none.add({1, 2}, 2, kTrue), 1);
  EXPECT_EQ(none.add({1, 3}, 2, kFalse), 1);
  none.x[3] = 1.0;
  EXPECT_EQ(none.add({1, 2, 3, 4, 5, 6}, 3, kFalse, kSplitTriangleClass), 1);
  EXPECT_EQ(none.add({1, 2, 3, 4, 5, 6, 7, 8}, 3, kFalse, kQuadClass), 1);
  EXPECT_EQ(none.a, std::vector<double>(24, 0.0));
}

}  // namespace
