// Nodal tributary areas against independent integrals: a 5 x 5 Gauss rule (collapsed on
// triangles) of N_i dA on flat facets of every shape, Pappus' theorem on axisymmetric lines,
// refined sphere meshes, an exact cylinder, curved cylindrical facets off their cylinder against
// the cylindrical rule written out; the table kept in WORK against fresh calls.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <vector>

#include "siblings/eqc/circular_arcs.h"
#include "siblings/eqc/facet_shapes.h"
#include "siblings/eqc/testing.h"
#include "tests/geometry/cylinders/cylinder_model.h"
#include "zmx/geometry/tributary.h"

namespace {

constexpr double kPi = std::numbers::pi;

using Coords = std::vector<double>;  // 3 reals per node
using ShapeFn = void (*)(const double*, const double*, double*, const int*);

// Element classes with the facet shapes used here.
constexpr int kTriangle3 = 13, kQuad4 = 14, kTriangle6 = 16, kQuad8 = 18, kQuad9 = 63;
constexpr int kWedge = 21, kWedge15 = 17;

struct Surface {
  std::vector<double> area;  // area[k] for node k
  std::vector<double> work = std::vector<double>(243, 0.0);
  double total = 0.0;
  int count = 0, lastClass = 0, lastFace = 0;
  double cylpar[4] = {0, 0, 0, 0};
  explicit Surface(int nodes) : area(nodes + 1, 0.0) {}

  void add(int elementClass, int face, const Coords& x, const std::vector<int>& nodes) {
    const int n = static_cast<int>(nodes.size());
    BTRIBUTARY(&elementClass, &face, &n, x.data(), area.data() + 1, work.data(), &total, &count, &lastClass, &lastFace,
               nodes.data(), cylpar);
  }
  void addLinear(int elementClass, int face, const Coords& x, const std::vector<int>& nodes) {
    const int n = static_cast<int>(nodes.size());
    BTRIBUTARYLINEAR(&elementClass, &face, &n, x.data(), area.data() + 1, work.data(), &lastClass, &lastFace,
                     nodes.data(), cylpar);
  }
};

std::vector<int> numbered(int n) {
  std::vector<int> v(n);
  for (int k = 0; k < n; ++k) v[k] = k + 1;
  return v;
}

// 5-point Gauss-Legendre on [-1, 1].
constexpr double kG5[5] = {-0.9061798459386640, -0.5384693101056831, 0.0, 0.5384693101056831, 0.9061798459386640};
constexpr double kW5[5] = {0.2369268850561891, 0.4786286704993665, 0.5688888888888889, 0.4786286704993665,
                           0.2369268850561891};

// Integral of N_i |dx/dxi x dx/deta| over the facet: a 5 x 5 Gauss rule on the square, collapsed
// onto the triangle for triangles.
std::vector<double> oracleShares(ShapeFn shapes, int n, bool triangle, const Coords& x) {
  std::vector<double> shares(n, 0.0);
  std::vector<double> f(3 * n);
  const int mode = 0;
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 5; ++j) {
      double xi = kG5[i], eta = kG5[j], w = kW5[i] * kW5[j];
      if (triangle) {
        const double u = (xi + 1) / 2, v = (eta + 1) / 2 * (1 - u);
        w *= (1 - u) / 4;
        xi = u;
        eta = v;
      }
      shapes(&xi, &eta, f.data(), &mode);
      double a[3] = {}, b[3] = {};
      for (int k = 0; k < n; ++k)
        for (int c = 0; c < 3; ++c) {
          a[c] += f[n + k] * x[3 * k + c];
          b[c] += f[2 * n + k] * x[3 * k + c];
        }
      const double nrm[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
      const double da = std::sqrt(nrm[0] * nrm[0] + nrm[1] * nrm[1] + nrm[2] * nrm[2]);
      for (int k = 0; k < n; ++k) shares[k] += w * f[k] * da;
    }
  return shares;
}

// A flat facet in a random plane: 2-D points (u, v) mapped by an orthonormal frame.
Coords inPlane(const std::vector<std::array<double, 2>>& uv, std::mt19937& rng) {
  std::uniform_real_distribution<double> d(-1.0, 1.0);
  double e1[3] = {d(rng), d(rng), d(rng)}, e2[3] = {d(rng), d(rng), d(rng)};
  const double l1 = std::sqrt(e1[0] * e1[0] + e1[1] * e1[1] + e1[2] * e1[2]);
  for (double& c : e1) c /= l1;
  const double p = e1[0] * e2[0] + e1[1] * e2[1] + e1[2] * e2[2];
  for (int c = 0; c < 3; ++c) e2[c] -= p * e1[c];
  const double l2 = std::sqrt(e2[0] * e2[0] + e2[1] * e2[1] + e2[2] * e2[2]);
  for (double& c : e2) c /= l2;
  const double origin[3] = {d(rng), d(rng), d(rng)};
  Coords x;
  for (const auto& q : uv)
    for (int c = 0; c < 3; ++c) x.push_back(origin[c] + q[0] * e1[c] + q[1] * e2[c]);
  return x;
}

double polygonArea(const std::vector<std::array<double, 2>>& corners) {
  double a = 0.0;
  for (std::size_t k = 0; k < corners.size(); ++k) {
    const auto& p = corners[k];
    const auto& q = corners[(k + 1) % corners.size()];
    a += p[0] * q[1] - q[0] * p[1];
  }
  return a / 2;
}

// Straight-sided facets: corners, then midside nodes at the side midpoints, then the centre.
std::vector<std::array<double, 2>> withMidsides(const std::vector<std::array<double, 2>>& corners, bool centre) {
  auto out = corners;
  const std::size_t n = corners.size();
  for (std::size_t k = 0; k < n; ++k)
    out.push_back({(corners[k][0] + corners[(k + 1) % n][0]) / 2, (corners[k][1] + corners[(k + 1) % n][1]) / 2});
  if (centre) {
    std::array<double, 2> c{0, 0};
    for (const auto& p : corners) c = {c[0] + p[0] / n, c[1] + p[1] / n};
    out.push_back(c);
  }
  return out;
}

TEST(TributaryAreas, FlatFacetsOfEveryShapeMatchAHighOrderRule) {
  std::mt19937 rng(110);
  std::uniform_real_distribution<double> jitter(-0.25, 0.25);
  struct Case {
    int elementClass, n;
    ShapeFn shapes;
    bool triangle;
  };
  const Case cases[] = {{kTriangle3, 3, EQC_INTT3, true},   {kQuad4, 4, EQC_INTQ4, false},
                        {kTriangle6, 6, EQC_INTT6, true},   {kQuad8, 8, EQC_INTQ8, false},
                        {kQuad9, 9, EQC_INTQ9, false}};
  for (int trial = 0; trial < 20; ++trial)
    for (const Case& c : cases) {
      std::vector<std::array<double, 2>> corners;
      if (c.triangle)
        corners = {{jitter(rng), jitter(rng)}, {2 + jitter(rng), jitter(rng)}, {jitter(rng), 1.5 + jitter(rng)}};
      else
        corners = {{jitter(rng), jitter(rng)},
                   {2 + jitter(rng), jitter(rng)},
                   {2 + jitter(rng), 1.5 + jitter(rng)},
                   {jitter(rng), 1.5 + jitter(rng)}};
      const auto uv = c.n <= 4 ? corners : withMidsides(corners, c.n == 9);
      const Coords x = inPlane(uv, rng);
      Surface s(c.n);
      s.add(c.elementClass, 1, x, numbered(c.n));
      const auto expected = oracleShares(c.shapes, c.n, c.triangle, x);
      double sum = 0.0;
      for (int k = 0; k < c.n; ++k) {
        EXPECT_NEAR(s.area[k + 1], expected[k], 1e-13) << "class " << c.elementClass << " node " << k + 1;
        sum += s.area[k + 1];
      }
      const double area = polygonArea(corners);
      EXPECT_NEAR(sum, area, 1e-13);
      EXPECT_NEAR(s.total, std::sqrt(area), 1e-13);
      EXPECT_EQ(s.count, 1);
    }
}

TEST(TributaryAreas, LinesTheirLengthsAndRevolvedAreas) {
  // Straight 2-D segment: half the length each; the size sum grows by the length.
  Surface plane(2);
  plane.add(1, 1, {0, 0, 0, 2, 0, 0}, {1, 2});
  EXPECT_DOUBLE_EQ(plane.area[1], 1.0);
  EXPECT_DOUBLE_EQ(plane.area[2], 1.0);
  EXPECT_DOUBLE_EQ(plane.total, 2.0);
  EXPECT_EQ(plane.count, 1);
  // The same in an axisymmetric model from r = 1 to r = 3: the revolved area 8 pi split
  // 10 pi / 3 and 14 pi / 3; the size sum is the length.
  Surface axi(2);
  axi.add(3, 1, {1, 0, 0, 3, 0, 0}, {1, 2});
  EXPECT_NEAR(axi.area[1], 10 * kPi / 3, 1e-13);
  EXPECT_NEAR(axi.area[2], 14 * kPi / 3, 1e-13);
  EXPECT_NEAR(axi.total, 2.0, 1e-15);
  // A straight 3-node line (midside node in the middle) in an axisymmetric model: Pappus gives
  // 2 pi r_mean L; the plain length goes to the size sum. In the plane the shares are L/6, 2L/3,
  // L/6.
  const Coords line = {1, 0, 0, 2, 1, 0, 3, 2, 0};
  const double length = std::sqrt(8.0);
  Surface axiLine(3), planeLine(3);
  axiLine.add(8, 1, line, {1, 2, 3});
  planeLine.add(7, 1, line, {1, 2, 3});
  EXPECT_NEAR(axiLine.area[1] + axiLine.area[2] + axiLine.area[3], 2 * kPi * 2.0 * length, 1e-12);
  EXPECT_NEAR(axiLine.total, length, 1e-14);
  EXPECT_NEAR(planeLine.area[1], length / 6, 1e-14);
  EXPECT_NEAR(planeLine.area[2], 2 * length / 3, 1e-14);
  EXPECT_NEAR(planeLine.total, length, 1e-14);
  // Taken as linear: the chord of nodes 1 and 3, the midside node receives nothing.
  Surface chord(3);
  chord.addLinear(8, 1, line, {1, 2, 3});
  EXPECT_NEAR(chord.area[1], kPi * length * (2 * 1 + 3) / 3, 1e-12);
  EXPECT_EQ(chord.area[2], 0.0);
  EXPECT_NEAR(chord.area[3], kPi * length * (2 * 3 + 1) / 3, 1e-12);
}

TEST(TributaryAreas, EdgeCasesOfTheSurfaceLoop) {
  // Unit square: four quarters, size sum 1. Flat straight 8-node square of area 1: -1/12 at the
  // corners, 1/3 at the midside nodes.
  Surface square(4);
  square.add(kQuad4, 1, {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}, numbered(4));
  for (int k = 1; k <= 4; ++k) EXPECT_NEAR(square.area[k], 0.25, 1e-15);
  EXPECT_NEAR(square.total, 1.0, 1e-15);
  Surface serendipity(8);
  serendipity.add(kQuad8, 1, {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0.5, 0, 0, 1, 0.5, 0, 0.5, 1, 0, 0, 0.5, 0},
                  numbered(8));
  // (to the 14 digits of the rule's constants)
  for (int k = 1; k <= 4; ++k) EXPECT_NEAR(serendipity.area[k], -1.0 / 12, 1e-13);
  for (int k = 5; k <= 8; ++k) EXPECT_NEAR(serendipity.area[k], 1.0 / 3, 1e-13);
  // Taken as linear, the same facet gives its corners a quarter each.
  Surface corners(8);
  corners.addLinear(kQuad8, 1, {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0.5, 0, 0, 1, 0.5, 0, 0.5, 1, 0, 0, 0.5, 0},
                    numbered(8));
  for (int k = 1; k <= 8; ++k) EXPECT_NEAR(corners.area[k], k <= 4 ? 0.25 : 0.0, 1e-15);

  // Node numbers of 0 or below receive nothing and leave the size sum.
  Surface dropped(4);
  dropped.add(kQuad4, 1, {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}, {1, 0, -3, 4});
  EXPECT_NEAR(dropped.area[1] + dropped.area[4], 0.5, 1e-15);
  EXPECT_NEAR(dropped.total, std::sqrt(0.5), 1e-15);

  // Right triangle by its angles: 0.25, 0.125, 0.125.
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0}, c[3] = {0, 1, 0};
  double s1, s2, s3;
  BTRIBUTARYTRI(a, b, c, &s1, &s2, &s3);
  EXPECT_NEAR(s1, 0.25, 1e-15);
  EXPECT_NEAR(s2, 0.125, 1e-15);
  EXPECT_NEAR(s3, 0.125, 1e-15);
  BTRIBUTARYTRI(a, b, b, &s1, &s2, &s3);
  EXPECT_EQ(s1 + s2 + s3, 0.0);

  // A point-like class: every node 1, nothing counted. An unknown class: reported at level -2,
  // its first three nodes share the flat triangle.
  eqc_testing::setEcho(false);
  eqc_testing::clearMessages();
  Surface point(1);
  point.add(28, 1, {5, 5, 5}, {1});
  EXPECT_EQ(point.area[1], 1.0);
  EXPECT_EQ(point.count, 0);
  Surface unknown(3);
  unknown.add(500, 1, {0, 0, 0, 1, 0, 0, 0, 1, 0}, {1, 2, 3});
  EXPECT_TRUE(eqc_testing::printed("SYSTEM - UNDERLYING ELEMENT OF CLASS 500 IS NOT CURRENTLY SUPPORTED"));
  EXPECT_EQ(eqc_testing::countAtLevel(-2), 1);
  EXPECT_NEAR(unknown.area[1], 0.25, 1e-15);
  // A 2-node line facet of a class no method takes (68): reported, and no third node is read.
  Surface line(2);
  line.add(68, 1, {0, 0, 0, 1, 0, 0}, {1, 2});
  EXPECT_TRUE(eqc_testing::printed("SYSTEM - UNDERLYING ELEMENT OF CLASS 68 IS NOT CURRENTLY SUPPORTED"));
  EXPECT_EQ(line.area[1] + line.area[2], 0.0);
}

// A wedge face 1 (triangle) then face 3 (quadrilateral) of one class: each integrated with its
// own rule; and faces 1-2 of the wedge-like and cylindrical-end classes take their flat rules.
TEST(TributaryAreas, MixedFaceClassesUseTheRuleOfEachFace) {
  const Coords triangle = {0, 0, 0, 2, 0, 0, 0, 2, 0};
  const Coords quad = {0, 0, 0, 2, 0, 0, 2, 0, 3, 0, 0, 3};
  Surface s(4);
  s.add(kWedge, 1, triangle, {1, 2, 3});
  s.add(kWedge, 3, quad, {1, 2, 3, 4});
  s.add(kWedge, 2, triangle, {1, 2, 3});
  EXPECT_NEAR(s.area[1] + s.area[2] + s.area[3] + s.area[4], 2 + 6 + 2, 1e-13);
  EXPECT_NEAR(s.area[4], 1.5, 1e-13);
  // 146 and 158 are wedges too; the flat ends of cylindrical classes are plain faces.
  const Coords quad8 = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0.5, 0, 0, 1, 0.5, 0, 0.5, 1, 0, 0, 0.5, 0};
  const Coords tri6 = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0.5, 0, 0, 0.5, 0.5, 0, 0, 0.5, 0};
  const Coords quad4 = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  struct End {
    int elementClass;
    const Coords* x;
    int n;
    double area;
  };
  const End ends[] = {{146, &triangle, 3, 2.0}, {158, &triangle, 3, 2.0}, {169, &quad4, 4, 1.0},
                      {170, &quad8, 8, 1.0},    {173, &triangle, 3, 2.0}, {174, &tri6, 6, 0.5}};
  for (const End& e : ends) {
    Surface one(e.n);
    one.add(e.elementClass, 2, *e.x, numbered(e.n));
    double sum = 0.0;
    for (int k = 1; k <= e.n; ++k) sum += one.area[k];
    EXPECT_NEAR(sum, e.area, 1e-13) << "class " << e.elementClass;
  }
  // Faces 1-2 of the 15-node wedge taken as linear: their corners.
  Surface linear(6);
  linear.addLinear(kWedge15, 1, tri6, numbered(6));
  linear.addLinear(162, 2, tri6, numbered(6));
  EXPECT_NEAR(linear.area[1] + linear.area[2] + linear.area[3], 1.0, 1e-15);
  EXPECT_EQ(linear.area[4] + linear.area[5] + linear.area[6], 0.0);
}

// Cube-sphere meshes of radius R: each cube face cut into m x m quadrilaterals whose nodes are
// projected onto the sphere, as 8- or 9-node quadrilaterals or as pairs of 6-node triangles.
double sphereTotal(int nodesPerFacet, int m, double radius) {
  Surface s(1);
  auto onSphere = [&](int face, double a, double b) {
    double p[3];
    const int axis = face / 2;
    const double sign = face % 2 == 0 ? 1.0 : -1.0;
    p[axis] = sign;
    p[(axis + 1) % 3] = a;
    p[(axis + 2) % 3] = sign * b;
    const double l = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    return std::array<double, 3>{radius * p[0] / l, radius * p[1] / l, radius * p[2] / l};
  };
  double sum = 0.0;
  for (int face = 0; face < 6; ++face)
    for (int i = 0; i < m; ++i)
      for (int j = 0; j < m; ++j) {
        const double a0 = -1 + 2.0 * i / m, a1 = -1 + 2.0 * (i + 1) / m;
        const double b0 = -1 + 2.0 * j / m, b1 = -1 + 2.0 * (j + 1) / m;
        const double am = (a0 + a1) / 2, bm = (b0 + b1) / 2;
        std::vector<std::array<double, 2>> uv;
        int elementClass = kQuad9;
        if (nodesPerFacet == 6) {
          // Two triangles: corners, then the midpoints of their sides in parameter space.
          for (const auto& t : {std::array<std::array<double, 2>, 3>{{{a0, b0}, {a1, b0}, {a1, b1}}},
                                std::array<std::array<double, 2>, 3>{{{a0, b0}, {a1, b1}, {a0, b1}}}}) {
            std::vector<std::array<double, 2>> tri(t.begin(), t.end());
            tri = withMidsides(tri, false);
            Coords x;
            for (const auto& q : tri)
              for (double c : onSphere(face, q[0], q[1])) x.push_back(c);
            std::fill(s.area.begin(), s.area.end(), 0.0);
            s.add(kTriangle6, 1, x, std::vector<int>(6, 1));
            sum += s.area[1];
          }
          continue;
        }
        uv = {{a0, b0}, {a1, b0}, {a1, b1}, {a0, b1}, {am, b0}, {a1, bm}, {am, b1}, {a0, bm}};
        if (nodesPerFacet == 9)
          uv.push_back({am, bm});
        else
          elementClass = kQuad8;
        Coords x;
        for (const auto& q : uv)
          for (double c : onSphere(face, q[0], q[1])) x.push_back(c);
        std::fill(s.area.begin(), s.area.end(), 0.0);
        s.add(elementClass, 1, x, std::vector<int>(nodesPerFacet, 1));
        sum += s.area[1];
      }
  return sum;
}

TEST(TributaryAreas, CurvedSphereMeshesTendToTheSphereArea) {
  const double radius = 1.7, exact = 4 * kPi * radius * radius;
  for (int n : {6, 8, 9}) {
    double previous = 1e36;
    for (int m : {2, 4, 8}) {
      const double error = std::fabs(sphereTotal(n, m, radius) - exact) / exact;
      EXPECT_LT(error, previous / 3) << n << " nodes, " << m << " per cube edge";
      previous = error;
    }
    EXPECT_LT(previous, 2e-4) << n << " nodes";
  }
}

// Interleaved full and linear calls on one WORK, and two surfaces on two WORKs, give what fresh
// calls with empty tables give.
TEST(TributaryAreas, KeptTablesGiveWhatFreshCallsGive) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> d(-0.2, 0.2);
  auto wobbly = [&](int n) {
    Coords x;
    const double base[9][2] = {{0, 0}, {2, 0}, {2, 2}, {0, 2}, {1, 0}, {2, 1}, {1, 2}, {0, 1}, {1, 1}};
    for (int k = 0; k < n; ++k) x.insert(x.end(), {base[k][0] + d(rng), base[k][1] + d(rng), d(rng)});
    return x;
  };
  struct Call {
    int elementClass, face, n;
    bool linear;
    Coords x;
  };
  std::vector<Call> calls;
  for (int k = 0; k < 30; ++k) {
    const int pick = k % 5;
    const int classes[5] = {kQuad8, kQuad9, kQuad4, kQuad8, kWedge15};
    const int n[5] = {8, 9, 4, 8, 8};
    calls.push_back({classes[pick], pick == 4 ? 3 : 1, n[pick], k % 3 == 1, wobbly(n[pick])});
  }
  auto fresh = [](const Call& c) {
    Surface s(c.n);
    if (c.linear)
      s.addLinear(c.elementClass, c.face, c.x, numbered(c.n));
    else
      s.add(c.elementClass, c.face, c.x, numbered(c.n));
    return s.area;
  };
  Surface one(9), first(9), second(9);
  for (std::size_t k = 0; k < calls.size(); ++k) {
    const Call& c = calls[k];
    std::fill(one.area.begin(), one.area.end(), 0.0);
    if (c.linear)
      one.addLinear(c.elementClass, c.face, c.x, numbered(c.n));
    else
      one.add(c.elementClass, c.face, c.x, numbered(c.n));
    Surface& other = k % 2 == 0 ? first : second;
    std::fill(other.area.begin(), other.area.end(), 0.0);
    other.add(c.elementClass, c.face, c.x, numbered(c.n));
    const auto expected = fresh(c);
    Call full = c;
    full.linear = false;
    const auto expectedFull = fresh(full);
    for (int j = 1; j <= c.n; ++j) {
      EXPECT_EQ(one.area[j], expected[j]) << "call " << k;
      EXPECT_EQ(other.area[j], expectedFull[j]) << "call " << k;
    }
  }
}

TEST(TributaryAreas, LinearRefusesCylindersAndTakesShellEdgesAsLines) {
  eqc_testing::setEcho(false);
  eqc_testing::clearMessages();
  Surface s(6);
  s.addLinear(169, 3, Coords(18, 1.0), numbered(6));
  EXPECT_TRUE(eqc_testing::printed("SYSTEM - CYLINDRICAL FACET OF CLASS 169 CAN NOT BE REGARDED AS LINEAR."));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  for (double a : s.area) EXPECT_EQ(a, 0.0);
  // Edge 3 of a 3-node shell (class 22) and of an 8-node shell (class 25): straight 2- and
  // 3-node lines of length 2, never integrated as faces.
  Surface edges(3);
  edges.addLinear(22, 3, {0, 0, 0, 0, 2, 0}, {1, 2});
  EXPECT_NEAR(edges.area[1], 1.0, 1e-15);
  EXPECT_NEAR(edges.area[2], 1.0, 1e-15);
  Surface curved(3), full(3);
  curved.addLinear(25, 4, {0, 0, 0, 0, 1, 0, 0, 2, 0}, {1, 2, 3});
  full.add(25, 4, {0, 0, 0, 0, 1, 0, 0, 2, 0}, {1, 2, 3});
  EXPECT_NEAR(curved.area[1], 1.0, 1e-15);
  EXPECT_EQ(curved.area[2], 0.0);
  EXPECT_NEAR(full.area[1] + full.area[2] + full.area[3], 2.0, 1e-14);
  EXPECT_NEAR(full.total, 2.0, 1e-14);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
}

// A cylinder of radius R about the z axis: nodes at angles theta0 + (0, A/2, A) (the midside
// angle off-centre for the 9-node facet's middle row), z from 0 to H.
struct CylinderFacet {
  double radius = 1.3, height = 2.0, start = 0.4, angle = 0.9;
  Coords x;
  double cylpar[4] = {0, 0, 0, 0};
  explicit CylinderFacet(int n, double first = 0.4) : start(first) {
    auto at = [&](double theta, double z) {
      x.insert(x.end(), {radius * std::cos(start + theta), radius * std::sin(start + theta), z});
    };
    const double half = angle / 2, off = 0.4 * angle;
    if (n == 6) {
      at(0, 0), at(0, height), at(angle, height), at(angle, 0), at(off, height), at(half, 0);
      cylpar[0] = angle, cylpar[1] = half, cylpar[2] = off;
    } else {
      at(0, 0), at(0, height), at(angle, height), at(angle, 0), at(0, height / 2), at(off, height),
          at(angle, height / 2), at(half, 0), at(0.55 * angle, height / 2);
      cylpar[0] = angle, cylpar[1] = half, cylpar[2] = 0.55 * angle, cylpar[3] = off;
    }
  }
  // The unit circumferential tangent at node k.
  std::array<double, 3> tangent(int k) const {
    const double theta = std::atan2(x[3 * k + 1], x[3 * k]);
    return {-std::sin(theta), std::cos(theta), 0.0};
  }
};

TEST(CylindricalTributaryAreas, ExactCylinderAreaElementsAndNodeTangents) {
  for (int n : {6, 9}) {
    CylinderFacet c(n);
    std::vector<double> table(243), shares(27), da(9), nodevec(3 * n);
    int lastClass = 0;
    const int elementClass = n == 6 ? 169 : 170;
    BAREA3DSURFACE_CYL(table.data(), &n, &n, c.x.data(), shares.data(), da.data(), &elementClass, &lastClass, c.cylpar,
                       nodevec.data());
    EXPECT_EQ(lastClass, elementClass);
    // Weighted area elements: the exact area R A H (the weights are the rule's).
    double lateral = 0.0;
    for (int p = 0; p < n; ++p) EXPECT_NEAR(da[p], c.radius * c.height / 2, 1e-12) << p;
    for (int k = 0; k < n; ++k) lateral += shares[k];
    for (int k = 0; k < n; ++k) {
      const auto t = c.tangent(k);
      for (int d = 0; d < 3; ++d) EXPECT_NEAR(nodevec[3 * k + d], t[d], 1e-12) << n << " node " << k;
    }
    // The normal shares of a full ring of facets add up to the ring's area projected on the node
    // normals; for one facet their sum lies below R A H and above it less the chord effect.
    EXPECT_LT(lateral, c.radius * c.angle * c.height * (1 + 1e-12));
    EXPECT_GT(lateral, c.radius * c.angle * c.height * std::cos(c.angle));

    // The driver: three values per node, the first facet's tangent kept; a flat record gives
    // equal columns and no tangent.
    std::vector<double> area3(3 * n, 0.0), vec3(3 * n, 0.0);
    double total = 0.0;
    int count = 0, lc = 0, lf = 0;
    const int face = 3;
    const auto nodes = numbered(n);
    BTRIBUTARY_CYL(&elementClass, &face, &n, c.x.data(), area3.data(), vec3.data(), &total, &count, &lc, &lf,
                   nodes.data(), c.cylpar);
    for (int k = 0; k < n; ++k) {
      for (int d = 0; d < 3; ++d) EXPECT_NEAR(area3[3 * k + d], shares[k + 9 * d], 1e-14);
      for (int d = 0; d < 3; ++d) EXPECT_EQ(vec3[3 * k + d], nodevec[3 * k + d]);
    }
    EXPECT_NEAR(total, std::sqrt(lateral), 1e-12);
    EXPECT_EQ(count, 1);
    // A second facet leaves the tangents and adds its shares.
    const CylinderFacet next(n, 2.0);
    const std::vector<double> firstVec = vec3;
    BTRIBUTARY_CYL(&elementClass, &face, &n, next.x.data(), area3.data(), vec3.data(), &total, &count, &lc, &lf,
                   nodes.data(), next.cylpar);
    EXPECT_EQ(vec3, firstVec);
    EXPECT_NEAR(area3[0], 2 * shares[0], 1e-13);
    EXPECT_EQ(count, 2);

    const double flat[4] = {0, 0, 0, 0};
    std::vector<double> flatShares(27), flatVec(3 * n, 5.0);
    BAREA3DSURFACE_CYL(table.data(), &n, &n, c.x.data(), flatShares.data(), da.data(), &elementClass, &lastClass,
                       flat, flatVec.data());
    for (int k = 0; k < n; ++k) {
      EXPECT_EQ(flatShares[k], flatShares[k + 9]);
      EXPECT_EQ(flatShares[k], flatShares[k + 18]);
    }
    for (double v : flatVec) EXPECT_EQ(v, 0.0);
  }
}

// The cylindrical branch of BAREA3DSURFACE: one share per node, the area elements those of
// BAREA3DSURFACE_CYL; then a plain rule on the same WORK is rebuilt, not taken from the cylinder.
TEST(CylindricalTributaryAreas, CylinderBranchAndThePlainTableAfterIt) {
  CylinderFacet c(9);
  std::vector<double> work(243), shares(9), da(9), cylShares(27), cylDa(9), vec(27);
  int lastClass = 0, n = 9, rule = 2, odd = 1, elementClass = 170;
  BAREA3DSURFACE(work.data(), &n, &n, &rule, c.x.data(), shares.data(), da.data(), &elementClass, &lastClass, &odd,
                 c.cylpar);
  std::vector<double> table(243);
  int other = 0;
  BAREA3DSURFACE_CYL(table.data(), &n, &n, c.x.data(), cylShares.data(), cylDa.data(), &elementClass, &other,
                     c.cylpar, vec.data());
  for (int k = 0; k < 9; ++k) {
    EXPECT_NEAR(shares[k], cylShares[k], 1e-14);
    EXPECT_NEAR(da[k], cylDa[k], 1e-14);
  }
  // Same class, same WORK, now a plain 9-node face: the table is rebuilt.
  Surface reference(9), reused(9);
  reused.work = work;
  reused.lastClass = 170;
  reused.lastFace = 3;
  const Coords flat = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0.5, 0, 0, 1, 0.5, 0, 0.5, 1, 0, 0, 0.5, 0, 0.5, 0.5, 0};
  int nine = 9, five = 5, even = 0;
  BAREA3DSURFACE(reused.work.data(), &nine, &nine, &five, flat.data(), shares.data(), da.data(), &elementClass,
                 &reused.lastClass, &even, c.cylpar);
  BAREA3DSURFACE(reference.work.data(), &nine, &nine, &five, flat.data(), cylShares.data(), cylDa.data(),
                 &elementClass, &reference.lastClass, &even, c.cylpar);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(shares[k], cylShares[k]);
  // A rule that does not fit its counts is reported and gives zeros.
  eqc_testing::setEcho(false);
  eqc_testing::clearMessages();
  int four = 4;
  BAREA3DSURFACE(work.data(), &four, &nine, &five, flat.data(), shares.data(), da.data(), &elementClass, &lastClass,
                 &even, c.cylpar);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_EQ(shares[0], 0.0);
}


// The cylindrical rule written out from its definition for a facet of n nodes and angle record
// rec: per point (xi fastest; along eta the circumferential points and weights of the first
// edge's arc) the weight, the shape values, the area element and the unit normal and tangents;
// per node the unit normal and tangents, zero where the normal has no length.
struct CylinderRuleOracle {
  int n = 0;
  double w[9] = {}, f[9][9] = {}, da[9] = {};
  double point[3][9][3] = {}, node[3][9][3] = {};  // [normal, d/dxi, d/deta][point or node][component]

  CylinderRuleOracle(int nodes, const Coords& x, const std::vector<double>& rec) : n(nodes) {
    const auto frame = [&](double xi, double eta, double* f, double* area, double (*unit)[9][3], int at) {
      const auto s = cylinder_model::facetShapes(n, xi, eta, rec.data());
      double t[3][3] = {};
      for (int j = 0; j < n; ++j)
        for (int c = 0; c < 3; ++c) t[1][c] += s.fx[j] * x[3 * j + c], t[2][c] += s.fe[j] * x[3 * j + c];
      for (int c = 0, a = 1, b = 2; c < 3; ++c, a = (a + 1) % 3, b = (b + 1) % 3)
        t[0][c] = t[1][a] * t[2][b] - t[1][b] * t[2][a];
      const double normal = std::sqrt(t[0][0] * t[0][0] + t[0][1] * t[0][1] + t[0][2] * t[0][2]);
      if (f != nullptr) std::copy(s.f, s.f + n, f), *area = normal;
      for (int v = 0; v < 3; ++v) {
        const double l = std::sqrt(t[v][0] * t[v][0] + t[v][1] * t[v][1] + t[v][2] * t[v][2]);
        for (int c = 0; c < 3; ++c) unit[v][at][c] = normal > 0 && l > 0 ? t[v][c] / l : 0.0;
      }
    };
    const bool nine = n == 9;
    const double g[3] = {-0.77459666924148, 0.0, 0.77459666924148}, gw[3] = {5.0 / 9, 8.0 / 9, 5.0 / 9};
    const double g2[2] = {-0.57735026918963, 0.57735026918963};
    double etaWeights[3], etaPoints[3];
    const double arc[3] = {0, rec[1], rec[0]};
    EQC_CCYLWEIGHTS(etaWeights, etaPoints, arc);
    const int across = nine ? 3 : 2;
    for (int p = 0; p < n; ++p) {
      const int i = p % across, j = p / across;
      w[p] = (nine ? gw[i] : 1.0) * etaWeights[j];
      frame(nine ? g[i] : g2[i], etaPoints[j], f[p], &da[p], point, p);
    }
    const double a = rec[0];
    const double six[6][2] = {{-1, 0}, {1, 0}, {1, a}, {-1, a}, {1, rec[2]}, {-1, rec[1]}};
    for (int k = 0; k < n; ++k) {
      const double nineAt[9][2] = {{-1, 0}, {1, 0}, {1, a},       {-1, a},     {0, 0},
                                   {1, nine ? rec[3] : 0}, {0, a}, {-1, rec[1]}, {0, rec[2]}};
      const double* at = nine ? nineAt[k] : six[k];
      frame(at[0], at[1], nullptr, nullptr, node, k);
    }
  }
  // Node k's share with the vectors v (0 normal, 1 d/dxi, 2 d/deta): the sum over the points of
  // N_k W DA times the point's unit vector, projected on the node's.
  double share(int k, int v) const {
    double sum = 0.0;
    for (int c = 0; c < 3; ++c) {
      double along = 0.0;
      for (int p = 0; p < n; ++p) along += f[p][k] * w[p] * da[p] * point[v][p][c];
      sum += along * node[v][k][c];
    }
    return sum;
  }
};

// Curved 6- and 9-node cylindrical facets with their nodes moved off the cylinder and unequal
// midside angles, each angle record on the heap exactly as long as the facet reads it: every
// routine that takes the record gives the rule written out above.
TEST(CylindricalTributaryAreas, CurvedFacetsOffTheCylinderFollowTheRuleWrittenOut) {
  std::mt19937 rng(54);
  std::uniform_real_distribution<double> d(0, 1);
  for (int trial = 0; trial < 60; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    const cylinder_model::Cylinder c(rng);
    const int n = trial % 2 == 0 ? 6 : 9;
    const double total = 0.3 + 1.5 * d(rng);
    std::vector<double> rec = {total};
    for (int k = 0; k < n / 3; ++k) rec.push_back(total * (0.3 + 0.4 * d(rng)));
    const double height = c.radius * total * (0.5 + d(rng));
    Coords x = cylinder_model::facetNodes(c, n, total, {rec.begin() + 1, rec.end()}, 0, height / 2);
    for (double& v : x) v += 0.04 * c.radius * total * (2 * d(rng) - 1);
    const CylinderRuleOracle o(n, x, rec);
    const double scale = c.radius * total * height * 1e-12;

    std::vector<double> table(243), shares(27), da(9), nodevec(3 * n), one(9);
    const int elementClass = n == 6 ? 169 : 170;
    int lastClass = 0;
    BAREA3DSURFACE_CYL(table.data(), &n, &n, x.data(), shares.data(), da.data(), &elementClass, &lastClass,
                       rec.data(), nodevec.data());
    const int odd = 1, rule = 2;
    std::vector<double> work(243), oneDa(9);
    BAREA3DSURFACE(work.data(), &n, &n, &rule, x.data(), one.data(), oneDa.data(), &elementClass, &lastClass, &odd,
                   rec.data());
    double sum = 0.0;
    for (int p = 0; p < n; ++p) {
      EXPECT_NEAR(da[p], o.da[p], 1e-12 * c.radius * height);
      EXPECT_NEAR(oneDa[p], o.da[p], 1e-12 * c.radius * height);
    }
    for (int k = 0; k < n; ++k) {
      for (int v = 0; v < 3; ++v) EXPECT_NEAR(shares[k + 9 * v], o.share(k, v), scale) << k << " " << v;
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(nodevec[3 * k + i], o.node[2][k][i], 1e-12);
      EXPECT_NEAR(one[k], o.share(k, 0), scale) << k;
      sum += o.share(k, 0);
    }

    // The drivers on a cylindrical class (facet type 13 or 14): node k is node number n + 1 - k.
    const int driverClass = trial % 4 < 2 ? elementClass : n == 6 ? 171 : 172, face = trial % 4 < 2 ? 3 : 1;
    std::vector<int> nodes(n);
    for (int k = 0; k < n; ++k) nodes[k] = n - k;
    std::vector<double> area(n, 0.0), area3(3 * n, 0.0), vec3(3 * n, 0.0);
    double total1 = 0.0, total3 = 0.0;
    int count1 = 0, count3 = 0, lc = 0, lf = 0, lc3 = 0, lf3 = 0;
    BTRIBUTARY(&driverClass, &face, &n, x.data(), area.data(), work.data(), &total1, &count1, &lc, &lf, nodes.data(),
               rec.data());
    BTRIBUTARY_CYL(&driverClass, &face, &n, x.data(), area3.data(), vec3.data(), &total3, &count3, &lc3, &lf3,
                   nodes.data(), rec.data());
    for (int k = 0; k < n; ++k) {
      const int at = n - 1 - k;
      EXPECT_NEAR(area[at], o.share(k, 0), scale) << k;
      for (int v = 0; v < 3; ++v) EXPECT_NEAR(area3[3 * at + v], o.share(k, v), scale) << k << " " << v;
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(vec3[3 * at + i], o.node[2][k][i], 1e-12);
    }
    EXPECT_NEAR(total1, std::sqrt(sum), 1e-12 * std::sqrt(c.radius * total * height));
    EXPECT_NEAR(total3, std::sqrt(sum), 1e-12 * std::sqrt(c.radius * total * height));
    EXPECT_EQ(count1, 1);
    EXPECT_EQ(count3, 1);
    // Taken as linear the facet is refused and adds nothing.
    eqc_testing::setEcho(false);
    eqc_testing::clearMessages();
    const std::vector<double> before = area;
    BTRIBUTARYLINEAR(&driverClass, &face, &n, x.data(), area.data(), work.data(), &lc, &lf, nodes.data(), rec.data());
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
    EXPECT_EQ(area, before);
  }
}

}  // namespace

namespace {

// The classes of contact facets (facet types 9 and 12) take the contact-area routines: their
// 3-node lines LCONTACTAREA6C (revolved in the axisymmetric class 98) and their 6-node triangles
// LCONTACTAREA10C. The cylindrical driver gives every method but the cylinder's one share that
// all three columns take, equal to the plain driver's. A facet of fewer nodes than its method
// reads is reported and adds nothing.
TEST(TributaryAreas, ContactClassesTakeTheContactAreaRoutinesAndTheCylindricalDriverAgrees) {
  const Coords line = {1, 0, 0, 2, 1, 0, 4, 1, 0};
  const Coords triangle = {0, 0, 0, 2, 0, 0.1, 0, 2, 0.2, 1, 0, 0.05, 1, 1, 0.15, 0, 1, 0.1};
  const Coords quad = {0, 0, 0, 2, 0, 0, 2, 1, 0, 0, 1, 0};
  struct Case {
    int elementClass;
    const Coords& x;
    int n;
  };
  for (const Case& c : {Case{97, line, 3}, Case{98, line, 3}, Case{99, triangle, 6}, Case{14, quad, 4}}) {
    SCOPED_TRACE(c.elementClass);
    double expected[6] = {}, length = 0.0;
    const int ld = 3, axisymmetric = c.elementClass == 98 ? 1 : 0;
    if (c.n == 3) LCONTACTAREA6C(c.x.data(), &ld, &axisymmetric, expected, &length);
    if (c.n == 6) LCONTACTAREA10C(c.x.data(), &ld, expected);
    if (c.n == 4) std::fill_n(expected, 4, 0.5);
    double sum = 0.0;
    for (int k = 0; k < c.n; ++k) sum += expected[k];
    Surface s(c.n);
    s.add(c.elementClass, 1, c.x, numbered(c.n));
    for (int k = 0; k < c.n; ++k) EXPECT_NEAR(s.area[k + 1], expected[k], 1e-14) << k;
    // The size sum: the length of an axisymmetric line, the share sum of a plane one, else its root.
    const double size = c.elementClass == 98 ? length : c.elementClass == 97 ? sum : std::sqrt(sum);
    EXPECT_NEAR(s.total, size, 1e-14);
    EXPECT_EQ(s.count, 1);

    std::vector<double> area3(3 * c.n, 0.0), vec3(3 * c.n, 0.0);
    double total = 0.0;
    int count = 0, lastClass = 0, lastFace = 0, face = 1, n = c.n;
    const std::vector<int> nodes = numbered(c.n);
    BTRIBUTARY_CYL(&c.elementClass, &face, &n, c.x.data(), area3.data(), vec3.data(), &total, &count, &lastClass,
                   &lastFace, nodes.data(), s.cylpar);
    for (int k = 0; k < c.n; ++k)
      for (int v = 0; v < 3; ++v) EXPECT_NEAR(area3[3 * k + v], expected[k], 1e-14) << k;
    EXPECT_NEAR(total, size, 1e-14);
  }
  eqc_testing::setEcho(false);
  eqc_testing::clearMessages();
  Surface few(3);
  few.add(99, 1, triangle, numbered(3));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_EQ(few.area, std::vector<double>(4, 0.0));
  EXPECT_EQ(few.count, 0);

  // A flat cylindrical facet (total angle 0) by either surface routine: the plain shares of the
  // cylinder's rule. Counts the cylinder's rule does not
  // have are reported and give zeros.
  const Coords flat = {0, 0, 0, 2, 0, 0, 2, 1, 0, 0, 1, 0, 2, 0.5, 0, 0, 0.5, 0};
  const double none[4] = {0, 0, 0, 0};
  std::vector<double> work(243), table(243), shares(27, 9.0), one(9, 9.0), da(9), vec(18);
  int six = 6, rule = 2, cyl = 1, elementClass = 169, lastClass = 0, other = 0;
  BAREA3DSURFACE(work.data(), &six, &six, &rule, flat.data(), one.data(), da.data(), &elementClass, &lastClass, &cyl,
                 none);
  BAREA3DSURFACE_CYL(table.data(), &six, &six, flat.data(), shares.data(), da.data(), &elementClass, &other, none,
                     vec.data());
  // Linear across, quadratic along: the area 2 times 1/2 times 1/6 (corners) or 2/3 (midsides).
  const double exact[6] = {1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6, 2.0 / 3, 2.0 / 3};
  for (int k = 0; k < 6; ++k) {
    EXPECT_NEAR(one[k], exact[k], 1e-14) << k;
    EXPECT_NEAR(shares[k], exact[k], 1e-14) << k;
  }
  eqc_testing::clearMessages();
  int five = 5;
  BAREA3DSURFACE_CYL(table.data(), &six, &five, flat.data(), shares.data(), da.data(), &elementClass, &other, none,
                     vec.data());
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_EQ(std::vector<double>(shares.begin(), shares.end()), std::vector<double>(27, 0.0));
}

}  // namespace
