// Normal distance of a point to a facet with smoothed nodal normals: orthogonal projection on flat
// facets, a grid scan of the normal residual on a warped facet with varied normals, the overshoot
// window, the quarter walk of a curved 8-node facet, the degenerate flag and the message.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "siblings/eqc/testing.h"
#include "tests/geometry/cylinders/cylinder_model.h"
#include "zmx/geometry/facets.h"
#include "zmx/geometry/feet.h"

namespace {

// The first element class whose facet type satisfies the test.
template <class Want>
Int classWith(Want want) {
  for (Int c = 1; c <= 182; ++c) {
    Int type = 0;
    GETSURFACEFACETTYPE(&c, &type);
    if (want(type)) return c;
  }
  return 0;
}

Int plainClass() {
  return classWith([](Int t) { return t != 9 && t != 12 && t != 13 && t != 14; });
}

struct Foot {
  double xi, eta, distance, t[6], normal[3], x[3], overshoot;
  Logical found;
  Int k, degenerate;
};

// The angle record of a cylindrical facet: total angle, then the midside angles.
using Record = std::array<double, 4>;

Foot foot(const std::vector<double>& x, const std::vector<double>& nn, const double* p, Int n, double tol, Int cls,
          const Record& c = {}) {
  Foot f{};
  f.k = 0;
  const Int ld = 3;
  FNDNORMALDISTTOSURF(x.data(), &ld, nn.data(), &ld, p, &f.xi, &f.eta, &n, &tol, &f.found, &f.distance, f.t,
                      "MASTER", 6, f.normal, f.x, &f.overshoot, &f.k, &cls, c.data(), &f.degenerate);
  return f;
}

double dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Appends v made a unit vector to a list of nodal normals.
void appendUnit(std::vector<double>& nn, const double (&v)[3]) {
  const double l = std::sqrt(dot(v, v));
  nn.insert(nn.end(), {v[0] / l, v[1] / l, v[2] / l});
}

// Nodes of a flat facet in the plane through o spanned by e1, e2, at the facet coordinates given.
std::vector<double> flatNodes(const std::vector<std::array<double, 2>>& at, const double* o, const double* e1,
                              const double* e2) {
  std::vector<double> x;
  for (auto [a, b] : at)
    for (int i = 0; i < 3; ++i) x.push_back(o[i] + a * e1[i] + b * e2[i]);
  return x;
}

TEST(NormalDistance, FlatFacetsGiveTheOrthogonalProjection) {
  const Int cls = plainClass();
  ASSERT_NE(cls, 0);
  const double o[3] = {0.3, -0.2, 0.5}, e1[3] = {2.0, 0.2, 0.1}, e2[3] = {-0.1, 1.5, 0.3};
  double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
  const double ln = std::sqrt(dot(n, n));
  for (double& v : n) v /= ln;
  const std::vector<std::array<double, 2>> tri = {{0, 0}, {1, 0}, {0, 1}, {0.5, 0}, {0.5, 0.5}, {0, 0.5}};
  const std::vector<std::array<double, 2>> quad = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1},
                                                   {1, 0},   {0, 1},  {-1, 0}, {0, 0}};
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (Int nodes : {3, 4, 6, 8, 9}) {
    SCOPED_TRACE(nodes);
    const bool triangle = nodes == 3 || nodes == 6;
    std::vector<std::array<double, 2>> at(triangle ? tri.begin() : quad.begin(),
                                          (triangle ? tri.begin() : quad.begin()) + nodes);
    const std::vector<double> x = flatNodes(at, o, e1, e2);
    std::vector<double> nn;
    for (Int j = 0; j < nodes; ++j) nn.insert(nn.end(), n, n + 3);
    for (int s = 0; s < 40; ++s) {
      double a = unit(rng), b = unit(rng);
      if (triangle && a + b > 1) a = 1 - a, b = 1 - b;
      if (!triangle) a = 2 * a - 1, b = 2 * b - 1;
      const double h = 2.0 * (unit(rng) - 0.5);
      double p[3];
      for (int i = 0; i < 3; ++i) p[i] = o[i] + a * e1[i] + b * e2[i] + h * n[i];
      const Foot f = foot(x, nn, p, nodes, 0.01, cls);
      ASSERT_EQ(f.found, kTrue);
      EXPECT_NEAR(f.xi, a, 1e-9);
      EXPECT_NEAR(f.eta, b, 1e-9);
      EXPECT_NEAR(f.distance, -h, 1e-9);
      EXPECT_EQ(f.overshoot, 0.0);
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(f.x[i], p[i] - h * n[i], 1e-9);
      EXPECT_NEAR(dot(f.t, f.normal), 0.0, 1e-12);
      EXPECT_NEAR(dot(f.t, f.t), 1.0, 1e-12);
      EXPECT_NEAR(dot(f.t + 3, f.t), 0.0, 1e-12);
    }
  }
  // The overshoot window of a 4-node facet: 1 < |xi| <= 2 tol + 1 is found with (|xi| - 1) / 2.
  const std::vector<double> x4 = flatNodes({quad.begin(), quad.begin() + 4}, o, e1, e2);
  std::vector<double> nn4;
  for (int j = 0; j < 4; ++j) nn4.insert(nn4.end(), n, n + 3);
  for (auto [xi, found] : {std::pair{1.015, true}, std::pair{1.03, false}}) {
    double p[3];
    for (int i = 0; i < 3; ++i) p[i] = o[i] + xi * e1[i] + 0.2 * e2[i] + 0.3 * n[i];
    const Foot f = foot(x4, nn4, p, 4, 0.01, cls);
    EXPECT_EQ(f.found, found ? kTrue : kFalse) << xi;
    if (found) EXPECT_NEAR(f.overshoot, 0.0075, 1e-9);
    else EXPECT_EQ(f.distance, -1e36);
  }
  // A triangle or 4-node face of a cylindrical class (an end face of its solids) is one like any
  // other: the same foot, without a message.
  const Int cylinderClass = classWith([](Int t) { return t == 13; });
  ASSERT_NE(cylinderClass, 0);
  eqc_testing::clearMessages();
  for (Int nodes : {3, 4}) {
    const bool triangle = nodes == 3;
    const std::vector<double> x = flatNodes({(triangle ? tri : quad).begin(), (triangle ? tri : quad).begin() + nodes},
                                            o, e1, e2);
    const std::vector<double> nn(nn4.begin(), nn4.begin() + 3 * nodes);
    double p[3];
    for (int i = 0; i < 3; ++i) p[i] = o[i] + 0.25 * e1[i] + 0.5 * e2[i] + 0.4 * n[i];
    const Foot f = foot(x, nn, p, nodes, 0.01, cylinderClass);
    EXPECT_EQ(f.found, kTrue) << nodes;
    EXPECT_NEAR(f.xi, 0.25, 1e-9);
    EXPECT_NEAR(f.eta, 0.5, 1e-9);
    EXPECT_NEAR(f.distance, -0.4, 1e-9);
  }
  EXPECT_EQ(eqc_testing::messages().size(), 0u);

  // A facet facing the x axis takes its first tangent from the z axis: t1 = z, t2 = n x z.
  const std::vector<double> yz = {0, -1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1};
  std::vector<double> nx;
  for (int j = 0; j < 4; ++j) nx.insert(nx.end(), {1.0, 0.0, 0.0});
  const double px[3] = {0.5, 0.2, -0.3};
  const Foot fx = foot(yz, nx, px, 4, 0.01, cls);
  ASSERT_EQ(fx.found, kTrue);
  EXPECT_NEAR(fx.distance, -0.5, 1e-12);
  const double tangents[6] = {0, 0, 1, 0, -1, 0};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(fx.t[i], tangents[i], 1e-15);
}

// A warped 4-node facet with nodal normals tilted away from its geometric normals.
struct Warped {
  std::vector<double> x, nn;
  void at(double xi, double eta, double* pos, double* normal) const {
    const double s[4] = {(1 - xi) * (1 - eta) / 4, (1 + xi) * (1 - eta) / 4, (1 + xi) * (1 + eta) / 4,
                         (1 - xi) * (1 + eta) / 4};
    for (int i = 0; i < 3; ++i) {
      pos[i] = normal[i] = 0.0;
      for (int j = 0; j < 4; ++j) pos[i] += s[j] * x[3 * j + i], normal[i] += s[j] * nn[3 * j + i];
    }
    const double l = std::sqrt(dot(normal, normal));
    for (int i = 0; i < 3; ++i) normal[i] /= l;
  }
  // |(P - x) x n| at (xi, eta).
  double residual(const double* p, double xi, double eta) const {
    double pos[3], n[3], d[3];
    at(xi, eta, pos, n);
    for (int i = 0; i < 3; ++i) d[i] = p[i] - pos[i];
    const double c[3] = {d[1] * n[2] - d[2] * n[1], d[2] * n[0] - d[0] * n[2], d[0] * n[1] - d[1] * n[0]};
    return std::sqrt(dot(c, c));
  }
};

TEST(NormalDistance, WarpedFacetFootMatchesAGridScanOfTheNormalResidual) {
  const Int cls = plainClass();
  std::mt19937 rng(8);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int s = 0; s < 30; ++s) {
    Warped w;
    const double corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int j = 0; j < 4; ++j) {
      w.x.insert(w.x.end(), {corners[j][0], corners[j][1], 0.15 * (unit(rng) - 0.5)});
      appendUnit(w.nn, {0.15 * (unit(rng) - 0.5), 0.15 * (unit(rng) - 0.5), 1.0});
    }
    const double p[3] = {1.2 * (unit(rng) - 0.5), 1.2 * (unit(rng) - 0.5), 0.6 * (unit(rng) - 0.5)};
    // Grid scan, then local refinement of the residual's minimum.
    double best = 1e300, bx = 0, be = 0;
    for (int i = 0; i <= 100; ++i)
      for (int j = 0; j <= 100; ++j) {
        const double r = w.residual(p, -1 + i / 50.0, -1 + j / 50.0);
        if (r < best) best = r, bx = -1 + i / 50.0, be = -1 + j / 50.0;
      }
    for (double h = 0.02; h > 1e-12; h *= 0.5)
      for (bool moved = true; moved;) {
        moved = false;
        for (auto [dx, de] : {std::pair{h, 0.0}, {-h, 0.0}, {0.0, h}, {0.0, -h}}) {
          const double r = w.residual(p, bx + dx, be + de);
          if (r < best) best = r, bx += dx, be += de, moved = true;
        }
      }
    if (std::fabs(bx) > 0.99 || std::fabs(be) > 0.99) continue;
    const Foot f = foot(w.x, w.nn, p, 4, 0.01, cls);
    ASSERT_EQ(f.found, kTrue) << s;
    EXPECT_NEAR(f.xi, bx, 1e-6) << s;
    EXPECT_NEAR(f.eta, be, 1e-6) << s;
    double pos[3], n[3];
    w.at(f.xi, f.eta, pos, n);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(f.x[i], pos[i], 1e-12);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(f.normal[i], n[i], 1e-12);
    EXPECT_LE(w.residual(p, f.xi, f.eta), 1e-6 * std::fabs(f.distance) + 1e-12);
    double d[3] = {pos[0] - p[0], pos[1] - p[1], pos[2] - p[2]};
    EXPECT_NEAR(f.distance, dot(d, n), 1e-12);
  }
}

TEST(NormalDistance, QuarterWalkDegenerateNormalsAndUnsupportedCounts) {
  const Int cls = plainClass();
  // A curved 8-node facet (normals spread by more than 2.5 degrees): a point over quarter 3 is
  // found there after quarters 1 and 2 reject their feet.
  std::vector<double> x, nn;
  const double at[8][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}};
  for (auto [a, b] : at) {
    const double z = 0.1 * (a * a + b * b);
    x.insert(x.end(), {a, b, z});
    appendUnit(nn, {-0.2 * a, -0.2 * b, 1.0});
  }
  const double p[3] = {0.5, 0.4, 0.5};
  Foot f = foot(x, nn, p, 8, 0.01, cls);
  ASSERT_EQ(f.found, kTrue);
  EXPECT_GT(f.xi, 0.0);
  EXPECT_GT(f.eta, 0.0);
  double c[3] = {(p[1] - f.x[1]) * f.normal[2] - (p[2] - f.x[2]) * f.normal[1],
                 (p[2] - f.x[2]) * f.normal[0] - (p[0] - f.x[0]) * f.normal[2],
                 (p[0] - f.x[0]) * f.normal[1] - (p[1] - f.x[1]) * f.normal[0]};
  EXPECT_LE(std::sqrt(dot(c, c)), 1e-6);

  // Zero nodal normals: the evaluator fails at the first start, which lies inside.
  const std::vector<double> zero(24, 0.0);
  for (Int n : {8, 3}) {  // the triangle's first start lies inside it as well
    f = foot(x, zero, p, n, 0.01, cls);
    EXPECT_EQ(f.degenerate, 1) << n;
    EXPECT_EQ(f.found, kFalse);
    EXPECT_EQ(f.overshoot, 1e36);
  }

  // A 6-node triangle of facet type 9 worked as sub-quadrilaterals: a point over the corner-2
  // region is found there after sub-region 1 rejects its foot (argument 18 advanced to 2).
  const Int split = classWith([](Int t) { return t == 9; });
  ASSERT_NE(split, 0);
  const std::vector<double> tri = {0, 0, 0, 2, 0, 0, 0, 2, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  std::vector<double> up;
  for (int j = 0; j < 6; ++j) up.insert(up.end(), {0.0, 0.0, 1.0});
  const double over2[3] = {1.6, 0.2, 0.7};
  f = foot(tri, up, over2, 6, 0.01, split);
  ASSERT_EQ(f.found, kTrue);
  EXPECT_EQ(f.k, 2);
  EXPECT_NEAR(f.x[0], 1.6, 1e-6);  // converged to 1e-6 of the distance
  EXPECT_NEAR(f.x[1], 0.2, 1e-6);
  EXPECT_NEAR(f.distance, -0.7, 1e-9);

  eqc_testing::clearMessages();
  f = foot(x, nn, p, 5, 0.01, cls);
  EXPECT_EQ(f.found, kFalse);
  ASSERT_EQ(eqc_testing::messages().size(), 1u);
  EXPECT_EQ(eqc_testing::messages()[0].level, -3);
  EXPECT_EQ(eqc_testing::messages()[0].text,
            "SYSTEM ERROR IN fndNormalDistToSurf - A SURFACE FACET OF MASTER MASTER CANNOT HAVE 5 NODES");
}

// Curved quadratic facets on the paraboloid z = a x^2 + b y^2 (node (x, y) at facet coordinates
// (x, y), so the facet is the paraboloid exactly) with nodal normals of a sheared field: points
// whose Newton steps run past the plain ten, within the wide bounds (a 6-node triangle, the
// sub-regions of a split one, 8- and 9-node quarters), up to the cap of fifteen. The foot lies on
// the paraboloid, P on its normal line; a triangle's normal is its vertex normals' interpolation
// at the foot's area coordinates.
TEST(NormalDistance, LongSearchesOnCurvedQuadraticFacetsEndOnTheirFoot) {
  const Int plain = plainClass(), split = classWith([](Int t) { return t == 9; });
  struct Case {
    Int n;
    bool split;
    double a, b, tilt, p[3];
  };
  const Case cases[] = {
      {6, false, -0.37174117214578439, 1.2174321608283063, 0.12265386163941172,
       {0.59155431793862046, -0.025009154694909996, 1.0044603923130451}},
      {6, true, -1.4732619595747076, 0.016391792480038192, 0.2077767349541281,
       {0.28306855053650204, 0.69051711841066532, 0.63061941780618147}},
      {8, false, -1.0141863014364092, 1.3469310479104024, -0.52866110903081653,
       {0.9275987617290733, 0.17842613436479207, -0.72691864029830811}},
      {9, false, -0.69299685092469132, 0.99507776898991118, 0.061589926581149076,
       {-1.0318044120460808, -0.066059900537688065, 1.4565889627725854}},
  };
  const double tri[6][2] = {{0, 0}, {1, 0}, {0, 1}, {0.5, 0}, {0.5, 0.5}, {0, 0.5}};
  const double quad[9][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}, {0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    std::vector<double> x, nn;
    for (Int j = 0; j < c.n; ++j) {
      const double X = c.n == 6 ? tri[j][0] : quad[j][0], Y = c.n == 6 ? tri[j][1] : quad[j][1];
      x.insert(x.end(), {X, Y, c.a * X * X + c.b * Y * Y});
      appendUnit(nn, {-2 * c.a * X + c.tilt * Y, -2 * c.b * Y - c.tilt * X, 1});
    }
    const Foot f = foot(x, nn, c.p, c.n, 0.01, c.split ? split : plain);
    ASSERT_EQ(f.found, kTrue);
    // A split triangle's sub-regions are bilinear: its foot is off the paraboloid, and its area
    // coordinates come from the sub-region's map.
    double u = f.x[0], v = f.x[1];
    if (c.split) {
      const double s = (5 * f.xi + 5 - f.eta - f.xi * f.eta) / 24, r = (5 * f.eta + 5 - f.xi - f.xi * f.eta) / 24,
                   m = (7 - 2 * f.xi - 2 * f.eta + f.xi * f.eta) / 12;
      const double area[3][2] = {{s, r}, {m, s}, {r, m}};
      ASSERT_TRUE(f.k >= 1 && f.k <= 3);
      u = area[f.k - 1][0], v = area[f.k - 1][1];
    } else {
      EXPECT_NEAR(f.x[2], c.a * f.x[0] * f.x[0] + c.b * f.x[1] * f.x[1], 1e-12);
      EXPECT_NEAR(f.x[0], f.xi, 1e-12);
      EXPECT_NEAR(f.x[1], f.eta, 1e-12);
    }
    const double d[3] = {c.p[0] - f.x[0], c.p[1] - f.x[1], c.p[2] - f.x[2]};
    const double cr[3] = {d[1] * f.normal[2] - d[2] * f.normal[1], d[2] * f.normal[0] - d[0] * f.normal[2],
                          d[0] * f.normal[1] - d[1] * f.normal[0]};
    EXPECT_LE(std::sqrt(dot(cr, cr)), 1.5e-6 * std::sqrt(dot(d, d)));
    EXPECT_NEAR(f.distance, -dot(d, f.normal), 1e-12);
    if (c.n == 6) {
      const double w[3] = {1 - u - v, u, v};
      double m[3] = {0, 0, 0};
      for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) m[i] += w[j] * nn[3 * j + i];
      const double l = std::sqrt(dot(m, m));
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(f.normal[i], m[i] / l, 1e-12);
    }
  }
}

// The position and unit normal of a cylindrical facet's foot are the facet's own at its (xi, eta),
// exactly, and P lies on the normal's line to the search's convergence (each of the two tangential
// components within 1e-6 of the distance). Gives P - x.
cylinder_model::Vec expectOnNormalLine(const Foot& f, int n, const std::vector<double>& x, const std::vector<double>& nn,
                                       const Record& record, const double* p) {
  const cylinder_model::Shapes w = cylinder_model::facetShapes(n, f.xi, f.eta, record.data());
  const auto at = cylinder_model::interpolate(w, n, x), normal = cylinder_model::interpolate(w, n, nn);
  const double ln = cylinder_model::norm(normal);
  cylinder_model::Vec d;
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(f.x[i], at[i], 1e-12);
    EXPECT_NEAR(f.normal[i], normal[i] / ln, 1e-12);
    d[i] = p[i] - f.x[i];
  }
  EXPECT_LE(cylinder_model::norm(cylinder_model::cross(d, {f.normal[0], f.normal[1], f.normal[2]})),
            1.5e-6 * cylinder_model::norm(d) + 1e-13);
  return d;
}

// Curved cylindrical facets on exact and on distorted cylinders (nodes moved off the cylinder,
// nodal normals tilted, every midside angle its own): a point set off along the smoothed normal
// of a chosen facet point has that point as its foot, with the overshoot a little beyond the
// facet's sides and no foot further out. Flat cylindrical facets (total angle 0) still give the
// orthogonal projection.
TEST(NormalDistance, CylindricalFacetFootIsThePointWhoseSmoothedNormalPassesThroughIt) {
  const Int cls = classWith([](Int t) { return t == 13; });
  ASSERT_NE(cls, 0);
  // Radius 1 about the z axis, angles 0 to 1, heights -1 and 1: a point half a radius out over
  // the middle has its foot at the first start.
  std::vector<double> x, nn;
  for (auto [t, z] : {std::pair{0.0, -1.0}, {0.0, 1.0}, {1.0, 1.0}, {1.0, -1.0}, {0.5, 1.0}, {0.5, -1.0}}) {
    x.insert(x.end(), {std::cos(t), std::sin(t), z});
    nn.insert(nn.end(), {std::cos(t), std::sin(t), 0.0});
  }
  const double p[3] = {1.5 * std::cos(0.5), 1.5 * std::sin(0.5), 0.0};
  Foot f = foot(x, nn, p, 6, 0.01, cls, {1.0, 0.5, 0.5, 0.5});
  EXPECT_EQ(f.found, kTrue);
  EXPECT_EQ(f.xi, 0.0);
  EXPECT_EQ(f.eta, 0.5);
  EXPECT_NEAR(f.distance, -0.5, 1e-15);
  EXPECT_EQ(f.overshoot, 0.0);
  f = foot(x, std::vector<double>(18, 0.0), p, 6, 0.01, cls, {1.0, 0.5, 0.5, 0.5});
  EXPECT_EQ(f.degenerate, 1);
  EXPECT_EQ(f.found, kFalse);
  EXPECT_EQ(f.distance, -1e36);

  std::mt19937 rng(54);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const double tol = 0.01;
  int found = 0;
  for (int trial = 0; trial < 400; ++trial) {
    SCOPED_TRACE(trial);
    const int n = trial % 2 ? 9 : 6;
    const bool distorted = trial % 4 >= 2;
    const cylinder_model::Cylinder c(rng);
    const double total = 0.3 + 1.2 * u(rng), h0 = u(rng) - 0.5, h = 0.3 + u(rng);
    Record record{total, 0, 0, 0};
    for (int l = 1; l <= (n == 6 ? 2 : 3); ++l) record[l] = total * (0.3 + 0.4 * u(rng));
    x = cylinder_model::facetNodes(c, n, total, {record[1], record[2], record[3]}, h0, h);
    nn.clear();
    for (int j = 0; j < n; ++j) {
      cylinder_model::Vec r;
      for (int i = 0; i < 3; ++i) r[i] = x[3 * j + i] - c.centre[i];
      const double along = cylinder_model::dot(r, c.axis);
      for (int i = 0; i < 3; ++i) r[i] = (r[i] - along * c.axis[i]) / c.radius;
      if (distorted)
        for (int i = 0; i < 3; ++i) r[i] += 0.1 * (u(rng) - 0.5), x[3 * j + i] += 0.08 * c.radius * (u(rng) - 0.5);
      const double l = cylinder_model::norm(r);
      for (int i = 0; i < 3; ++i) nn.push_back(r[i] / l);
    }
    // The chosen point: inside, a little beyond a side (within the tolerance), or well beyond.
    const int where = trial / 4 % 5;
    double xi = 1.96 * u(rng) - 0.98, eta = total * (0.02 + 0.96 * u(rng));
    if (where == 1) xi = std::copysign(1.0 + 0.8 * tol * u(rng), xi);
    if (where == 2) eta = u(rng) < 0.5 ? -0.8 * tol * total * u(rng) : total * (1.0 + 0.8 * tol * u(rng));
    if (where == 3) eta = u(rng) < 0.5 ? -0.05 * total : 1.05 * total;
    const cylinder_model::Shapes w = cylinder_model::facetShapes(n, xi, eta, record.data());
    const auto at = cylinder_model::interpolate(w, n, x);
    auto normal = cylinder_model::interpolate(w, n, nn);
    const double ln = cylinder_model::norm(normal);
    for (double& v : normal) v /= ln;
    if (!distorted) {  // the facet is the cylinder
      const auto exact = c.at(eta, h0 + (xi + 1) * h);
      for (int i = 0; i < 3; ++i) ASSERT_NEAR(at[i], exact[i], 1e-12);
    }
    const double off = c.radius * (0.6 * u(rng) - 0.3);
    double q[3];
    for (int i = 0; i < 3; ++i) q[i] = at[i] + off * normal[i];
    f = foot(x, nn, q, n, tol, cls, record);
    if (where == 3) {
      EXPECT_EQ(f.found, kFalse);
      EXPECT_EQ(f.distance, -1e36);
      continue;
    }
    ASSERT_EQ(f.found, kTrue);
    ++found;
    // The foot is the chosen point to the search's convergence (tangential residual 1e-6 of the
    // distance); position and normal are the facet's there, exactly.
    EXPECT_NEAR(f.xi, xi, 2e-6);
    EXPECT_NEAR(f.eta, eta, 2e-6);
    EXPECT_NEAR(f.distance, -off, 2e-6);
    const cylinder_model::Vec d = expectOnNormalLine(f, n, x, nn, record, q);
    EXPECT_NEAR(f.distance, -cylinder_model::dot(d, {f.normal[0], f.normal[1], f.normal[2]}), 1e-12);
    const double over = std::max({std::fabs(f.xi) > 1 ? 0.5 * (std::fabs(f.xi) - 1) : 0.0,
                                  f.eta > total ? (f.eta - total) / total : 0.0, f.eta < 0 ? -f.eta / total : 0.0});
    EXPECT_NEAR(f.overshoot, over, 1e-15);
  }
  EXPECT_GT(found, 300);

  // A 9-node facet on the unit cylinder about z, its nodal normals turned about the axis in
  // proportion to xi and tilted along it: none of the six cylindrical starts converges inside, and
  // the foot is found from the starts of the quarters (quarter 3 here), tested as the cylindrical
  // facet it is.
  {
    const double a = 1.1304320838124802, turn = 0.45532005326657388;
    const double nodes9[9][2] = {{-1, 0}, {1, 0}, {1, a}, {-1, a}, {0, 0}, {1, a / 2}, {0, a}, {-1, a / 2}, {0, a / 2}};
    x.clear(), nn.clear();
    for (auto [z, t] : nodes9) {
      x.insert(x.end(), {std::cos(t), std::sin(t), z});
      appendUnit(nn, {std::cos(t + turn * z), std::sin(t + turn * z), -0.56957744374803054 * z - 0.17703305755596943});
    }
    const double q[3] = {0.73143546654197, 2.6032293405363895, -0.24711390083111962};
    const Record record{a, a / 2, a / 2, a / 2};
    f = foot(x, nn, q, 9, 0.01, cls, record);
    ASSERT_EQ(f.found, kTrue);
    EXPECT_NEAR(f.xi, 0.6490186353, 1e-9);
    EXPECT_NEAR(f.eta, 1.127612554, 1e-9);
    EXPECT_NEAR(f.distance, -1.945271547, 1e-9);
    EXPECT_EQ(f.overshoot, 0.0);
    expectOnNormalLine(f, 9, x, nn, record, q);
  }

  // Flat cylindrical facets: a 6-node facet with eta in [-1, 1] along the cylinder's functions, a
  // 9-node one as a 9-node quadrilateral.
  const double o[3] = {0.3, -0.2, 0.5}, e1[3] = {1.2, 0.2, 0.1}, e2[3] = {-0.1, 0.9, 0.3};
  double normal[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
  const double ln = std::sqrt(dot(normal, normal));
  for (double& v : normal) v /= ln;
  const std::vector<std::array<double, 2>> six = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {1, 0}, {-1, 0}};
  const std::vector<std::array<double, 2>> nine = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1},
                                                   {1, 0},   {0, 1},  {-1, 0}, {0, 0}};
  for (Int n : {6, 9}) {
    x = flatNodes(n == 6 ? six : nine, o, e1, e2);
    nn.clear();
    for (Int j = 0; j < n; ++j) nn.insert(nn.end(), normal, normal + 3);
    for (int s = 0; s < 20; ++s) {
      const double a = 2 * u(rng) - 1, b = 2 * u(rng) - 1, off = u(rng) - 0.5;
      double q[3];
      for (int i = 0; i < 3; ++i) q[i] = o[i] + a * e1[i] + b * e2[i] + off * normal[i];
      f = foot(x, nn, q, n, tol, cls);
      ASSERT_EQ(f.found, kTrue) << n;
      EXPECT_NEAR(f.xi, a, 1e-9);
      EXPECT_NEAR(f.eta, b, 1e-9);
      EXPECT_NEAR(f.distance, -off, 1e-9);
    }
  }
}

}  // namespace
