// Facet coordinates of points on facets: round trips over every facet kind, the point built from a
// map the facet's shape functions reproduce exactly (an exact cylinder, or the shape functions
// themselves on distorted curved cylindrical facets), inverted as a vertex, as an edge point and
// as a point anywhere.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "siblings/eqc/testing.h"
#include "tests/geometry/cylinders/cylinder_model.h"
#include "zmx/geometry/feet.h"

namespace {
namespace eqct = eqc_testing;

struct Param {
  double xi, eta;
};

struct Kind {
  std::string name;
  int n;
  bool subRegion, cylindrical;
  std::vector<double> c;          // angle record
  std::vector<Param> nodes;       // facet coordinates of the nodes (area coordinates for triangles)
  std::function<void(Param, double*)> map;
  bool triangle() const { return !cylindrical && (n == 3 || n == 6); }
};

// A gently curved map in the span of every quadratic shape family.
void curved(Param p, double* x) {
  x[0] = 2.0 * p.xi + 0.1 * p.xi * p.xi * p.eta + 0.3;
  x[1] = 1.5 * p.eta + 0.1 * p.xi * p.eta * p.eta - 0.2;
  x[2] = 0.2 * p.xi * p.xi + 0.15 * p.eta * p.eta + 0.1 * p.xi * p.eta;
}
void quadratic(Param p, double* x) {
  x[0] = 2.0 * p.xi + 0.1 * p.xi * p.xi + 0.3;
  x[1] = 1.5 * p.eta + 0.1 * p.xi * p.eta - 0.2;
  x[2] = 0.2 * p.xi * p.xi + 0.15 * p.eta * p.eta + 0.1 * p.xi * p.eta;
}
void bilinear(Param p, double* x) {
  x[0] = 2.0 * p.xi + 0.1 * p.xi * p.eta;
  x[1] = 1.5 * p.eta - 0.05 * p.xi * p.eta;
  x[2] = 0.2 * p.xi * p.eta + 0.1 * p.xi;
}
void linear(Param p, double* x) {
  x[0] = 2.0 * p.xi + 0.3 * p.eta + 1.0;
  x[1] = -0.4 * p.xi + 1.7 * p.eta;
  x[2] = 0.3 * p.xi - 0.2 * p.eta + 0.5;
}
constexpr double kR = 1.3, kA = 0.9;
void cylinder(Param p, double* x) {  // xi along the axis, eta the angle
  x[0] = kR * std::cos(p.eta + 0.2);
  x[1] = kR * std::sin(p.eta + 0.2);
  x[2] = 0.8 * p.xi;
}

const std::vector<Param> kQuad9 = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}, {0, 0}};
const std::vector<Param> kTri6 = {{0, 0}, {1, 0}, {0, 1}, {0.5, 0}, {0.5, 0.5}, {0, 0.5}};

std::vector<Kind> kinds() {
  auto first = [](int n, const std::vector<Param>& all) { return std::vector<Param>(all.begin(), all.begin() + n); };
  const std::vector<Param> cyl6 = {{-1, 0}, {1, 0}, {1, kA}, {-1, kA}, {1, kA / 2}, {-1, kA / 2}};
  const std::vector<Param> cyl9 = {{-1, 0}, {1, 0},      {1, kA},      {-1, kA},    {0, 0},
                                   {1, kA / 2}, {0, kA}, {-1, kA / 2}, {0, kA / 2}};
  const std::vector<Param> flat6 = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {1, 0}, {-1, 0}};
  return {
      {"tri3", 3, false, false, {}, first(3, kTri6), linear},
      {"quad4", 4, false, false, {}, first(4, kQuad9), bilinear},
      {"tri6", 6, false, false, {}, kTri6, quadratic},
      {"tri6 sub-regions", 6, true, false, {}, kTri6, linear},
      {"quad8", 8, false, false, {}, first(8, kQuad9), curved},
      {"quad9", 9, false, false, {}, kQuad9, curved},
      {"cyl6", 6, false, true, {kA, kA / 2, kA / 2, 0}, cyl6, cylinder},
      {"cyl9", 9, false, true, {kA, kA / 2, kA / 2, kA / 2}, cyl9, cylinder},
      {"cyl6 flat", 6, false, true, {0, 0, 0, 0}, flat6, linear},
      {"cyl9 flat", 9, false, true, {0, 0, 0, 0}, kQuad9, linear},
  };
}

// Curved cylindrical facets with a midside angle of their own on every line, nodes moved off the
// cylinder: the facet is the map of its own shape functions.
std::vector<Kind> distortedCylinders() {
  std::mt19937 rng(31);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::vector<Kind> out;
  for (int trial = 0; trial < 16; ++trial) {
    const int n = trial % 2 ? 9 : 6;
    const cylinder_model::Cylinder cyl(rng);
    const double total = 0.3 + 1.2 * u(rng), h0 = u(rng) - 0.5, h = 0.3 + u(rng);
    std::vector<double> c = {total, 0, 0, 0};
    for (int l = 1; l <= (n == 6 ? 2 : 3); ++l) c[l] = total * (0.3 + 0.4 * u(rng));
    std::vector<double> x = cylinder_model::facetNodes(cyl, n, total, {c[1], c[2], c[3]}, h0, h);
    for (double& v : x) v += 0.02 * cyl.radius * (u(rng) - 0.5);
    const auto map = [n, c, x](Param p, double* y) {
      const auto v = cylinder_model::interpolate(cylinder_model::facetShapes(n, p.xi, p.eta, c.data()), n, x);
      std::copy(v.begin(), v.end(), y);
    };
    std::vector<Param> nodes = {{-1, 0}, {1, 0}, {1, total}, {-1, total}};
    if (n == 6)
      nodes.insert(nodes.end(), {{1, c[2]}, {-1, c[1]}});
    else
      nodes.insert(nodes.end(), {{0, 0}, {1, c[3]}, {0, total}, {-1, c[1]}, {0, c[2]}});
    out.push_back({"distorted cyl" + std::to_string(n) + " " + std::to_string(trial), n, false, true, c, nodes, map});
  }
  return out;
}

std::vector<double> nodesOf(const Kind& kind) {
  std::vector<double> x;
  for (const Param& p : kind.nodes) {
    double y[3];
    kind.map(p, y);
    x.insert(x.end(), y, y + 3);
  }
  return x;
}

// Facet coordinates of the sub-region point, as area coordinates of the triangle.
Param toArea(int k, Param p) {
  const double a1 = (5 * p.xi + 5 - p.eta - p.xi * p.eta) / 24, a2 = (5 * p.eta + 5 - p.xi - p.xi * p.eta) / 24;
  const double far = (7 - 2 * p.xi - 2 * p.eta + p.xi * p.eta) / 12;
  return k == 1 ? Param{a1, a2} : k == 2 ? Param{far, a1} : Param{a2, far};
}

struct Result {
  Param p;
  int k, result;
};

Result invert(const Kind& kind, const std::vector<double>& x, Param target, int where, std::vector<Int> marks,
              double s) {
  double pt[3];
  kind.map(target, pt);
  Result r{{7, 7}, 7, 7};
  const Int n = kind.n;
  const Int w = where;
  marks.resize(n, 0);
  const Logical sub = kind.subRegion ? kTrue : kFalse, cyl = kind.cylindrical ? kTrue : kFalse;
  std::vector<double> c = kind.c;
  c.resize(4, 0.0);
  const double tol = 0.01;
  Int k = 0, result = 0;
  FNDPARACOORDONSURF(x.data(), &n, pt, &r.p.xi, &r.p.eta, &w, marks.data(), &s, &k, &sub, &cyl, c.data(), &tol,
                     &result);
  r.k = k, r.result = result;
  if (kind.subRegion && result == 0) r.p = toArea(k, r.p);
  return r;
}

TEST(FacetInversion, RoundTripsOnEveryFacetKindInEveryMode) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<Kind> all = kinds();
  for (Kind& k : distortedCylinders()) all.push_back(std::move(k));
  for (const Kind& kind : all) {
    SCOPED_TRACE(kind.name);
    const std::vector<double> x = nodesOf(kind);
    const double extent = kind.cylindrical ? kind.c[0] : 0.0;
    auto check = [&](Param target, const Result& r, const std::string& what) {
      ASSERT_EQ(r.result, 0) << what;
      EXPECT_NEAR(r.p.xi, target.xi, 1e-9) << what;
      EXPECT_NEAR(r.p.eta, target.eta, 1e-9) << what;
    };
    // Anywhere.
    for (int i = 0; i < 40; ++i) {
      Param t;
      if (kind.triangle()) {
        double a = unit(rng), b = unit(rng);
        if (a + b > 1) a = 1 - a, b = 1 - b;
        t = {a, b};
      } else {
        t = {2 * unit(rng) - 1, extent != 0 ? extent * unit(rng) : 2 * unit(rng) - 1};
      }
      check(t, invert(kind, x, t, 3, {}, 0.0), "anywhere");
    }
    // Vertices.
    const int corners = kind.triangle() ? 3 : 4;
    for (int v = 1; v <= corners; ++v) {
      std::vector<Int> marks(kind.n, 0);
      marks[v - 1] = 1;
      check(kind.nodes[v - 1], invert(kind, x, kind.nodes[v - 1], 1, marks, 0.0), "vertex " + std::to_string(v));
    }
    // Edges, both ways round, the other end marked 3.
    for (int a = 1; a <= corners; ++a) {
      const int b = a % corners + 1;
      for (auto [from, to] : {std::pair{a, b}, std::pair{b, a}}) {
        const double s = unit(rng);
        const Param pa = kind.nodes[from - 1], pb = kind.nodes[to - 1];
        Param t{pa.xi + s * (pb.xi - pa.xi), pa.eta + s * (pb.eta - pa.eta)};
        double along = s;
        // Along a cylinder's axis... of angles: s is the distance in eta from the edge's first end.
        if (extent != 0 && pa.xi == pb.xi) along = std::fabs(t.eta - pa.eta);
        std::vector<Int> marks(kind.n, 0);
        marks[from - 1] = 1;
        marks[to - 1] = 3;
        check(t, invert(kind, x, t, 2, marks, along), "edge " + std::to_string(from) + "-" + std::to_string(to));
      }
    }
  }
}

TEST(FacetInversion, StartsMessagesAndRejections) {
  const Kind quad = kinds()[1];
  std::vector<double> x = nodesOf(quad);
  eqct::clearMessages();
  // No node marked 1 for an edge: one level -2 message, the search still finds the point.
  Result r = invert(quad, x, {0.3, -0.4}, 2, {0, 3, 0, 0}, 0.5);
  EXPECT_EQ(r.result, 0);
  EXPECT_NEAR(r.p.xi, 0.3, 1e-9);
  ASSERT_EQ(eqct::messages().size(), 1u);
  EXPECT_EQ(eqct::messages()[0].level, -2);
  EXPECT_EQ(eqct::messages()[0].text, "SYSTEM ERROR IN fndParaCoordOnSurf - the point is not at the edge");

  // A point off the facet beyond the tolerance is not found; a triangle point with xi = eta = 0.9
  // lies beyond the hypotenuse, but a triangle takes the box of its two coordinates.
  r = invert(quad, x, {1.5, 0.0}, 3, {}, 0.0);
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.p.xi, 0.0);
  const Kind tri = kinds()[2];
  x = nodesOf(tri);
  r = invert(tri, x, {0.9, 0.9}, 3, {}, 0.0);
  EXPECT_EQ(r.result, 0);
  EXPECT_NEAR(r.p.xi, 0.9, 1e-9);
  EXPECT_NEAR(r.p.eta, 0.9, 1e-9);
  EXPECT_EQ(invert(tri, x, {1.02, 0.5}, 3, {}, 0.0).result, 1);

  // Sub-region vertex without a marked node: message, k = 1, not found.
  const Kind sub = kinds()[3];
  x = nodesOf(sub);
  eqct::clearMessages();
  r = invert(sub, x, {0.0, 0.0}, 1, {0, 0, 0, 0, 0, 0}, 0.0);
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.k, 1);
  ASSERT_EQ(eqct::messages().size(), 1u);
  EXPECT_EQ(eqct::messages()[0].text,
            "SYSTEM ERROR IN fndParaCoordOnSurf - the point is not at the vertex");

  // An edge whose other end is not a corner: the message at level -3 on a cylindrical facet (-2
  // elsewhere), and the search from the nearest node still finds the point.
  for (const int which : {6, 1}) {
    const Kind kind = kinds()[which];
    x = nodesOf(kind);
    eqct::clearMessages();
    const Param at = which == 6 ? Param{0.2, 0.4 * kA} : Param{0.2, 0.4};
    r = invert(kind, x, at, 2, {1, 0, 0, 0}, 0.5);
    EXPECT_EQ(r.result, 0) << kind.name;
    EXPECT_NEAR(r.p.xi, at.xi, 1e-9) << kind.name;
    EXPECT_NEAR(r.p.eta, at.eta, 1e-9) << kind.name;
    ASSERT_EQ(eqct::messages().size(), 1u);
    EXPECT_EQ(eqct::messages()[0].level, which == 6 ? -3 : -2) << kind.name;
  }

  // A facet of a node count no facet has: not found, at once.
  Kind five = quad;
  five.n = 5;
  five.nodes.push_back({0.0, -1.0});
  x = nodesOf(five);
  r = invert(five, x, {0.1, 0.2}, 3, {}, 0.0);
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.p.xi, 0.0);
  EXPECT_EQ(r.p.eta, 0.0);
}

}  // namespace
