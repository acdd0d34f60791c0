// Midside interpolation reproduces linear fields on straight-edged elements whose midside nodes
// sit anywhere along their edges; the tetrahedron radii match an independent solve; the layered
// brick points integrate distorted bricks exactly; the circumferential functions reproduce their
// cosines; the brick's mixed derivatives match finite differences.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/elements/extrapolation.h"

namespace {

using V3 = std::array<double, 3>;

V3 lerp(const V3& a, const V3& b, double t) { return {a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1]), a[2] + t * (b[2] - a[2])}; }

struct Element {
  std::vector<V3> X;
  std::vector<std::array<int, 3>> triples;  // (a, m, b): node m placed on segment a-b
  std::vector<int> centroidOfFirst8;        // nodes placed at the mean of nodes 1-8
};

// Random corners, then every midside, face and centre node placed along its segment in order.
std::vector<V3> place(const Element& e, int corners, std::mt19937& rng, std::size_t nn) {
  std::uniform_real_distribution<double> u(-1, 1), t(0.2, 0.8);
  std::vector<V3> X(nn, V3{0, 0, 0});
  for (int c = 0; c < corners; ++c) X[c] = {u(rng) + 2 * (c & 1), u(rng) + 2 * ((c >> 1) & 1), u(rng) + 2 * (c >> 2)};
  for (const auto& tr : e.triples)
    if (tr[1] <= static_cast<int>(nn)) X[tr[1] - 1] = lerp(X[tr[0] - 1], X[tr[2] - 1], t(rng));
  for (int c : e.centroidOfFirst8)
    if (c <= static_cast<int>(nn)) {
      V3 s{0, 0, 0};
      for (int k = 0; k < 8; ++k)
        for (int d = 0; d < 3; ++d) s[d] += X[k][d] / 8;
      X[c - 1] = s;
    }
  return X;
}

class Midside : public zmxtest::HostFixture {};

TEST_F(Midside, LinearFieldsComeBackAtEveryGeneratedNode) {
  std::mt19937 rng(11);
  const V3 g{0.7, -1.3, 2.1};
  auto f = [&](const V3& x, int row) { return 0.25 * row + g[0] * x[0] + g[1] * x[1] + g[2] * x[2]; };
  struct Shape {
    const char* name;
    int corners;
    int nn;
    Element e;
    int kind;  // 1 beam, 2 shell, 3 solid
    Int type = 0;
  };
  const std::vector<std::array<int, 3>> brickEdges{{1, 9, 2},  {2, 10, 3}, {3, 11, 4}, {1, 12, 4}, {5, 13, 6},  {6, 14, 7},
                                                   {7, 15, 8}, {5, 16, 8}, {1, 17, 5}, {2, 18, 6}, {3, 19, 7},  {4, 20, 8},
                                                   {9, 22, 11}, {13, 23, 15}, {9, 24, 13}, {14, 25, 10}, {11, 26, 15},
                                                   {16, 27, 12}};
  const std::vector<std::array<int, 3>> wedgeEdges{{1, 7, 2},   {2, 8, 3},   {1, 9, 3},   {4, 10, 5},
                                                   {5, 11, 6},  {4, 12, 6},  {1, 13, 4},  {2, 14, 5},
                                                   {3, 15, 6},  {13, 16, 14}, {14, 17, 15}, {15, 18, 13}};
  const std::vector<std::array<int, 3>> tetEdges{{1, 5, 2}, {2, 6, 3}, {1, 7, 3}, {1, 8, 4}, {2, 9, 4}, {3, 10, 4}};
  const std::vector<Shape> shapes{
      {"beam", 3, 3, {{}, {{1, 2, 3}}, {}}, 1},
      {"triangle", 3, 6, {{}, {{1, 4, 2}, {2, 5, 3}, {1, 6, 3}}, {}}, 2},
      {"quadrilateral 8", 4, 8, {{}, {{1, 5, 2}, {2, 6, 3}, {3, 7, 4}, {1, 8, 4}}, {}}, 2},
      {"quadrilateral 9", 4, 9, {{}, {{1, 5, 2}, {2, 6, 3}, {3, 7, 4}, {1, 8, 4}, {8, 9, 6}}, {}}, 2, 2009},
      {"tetrahedron 10", 4, 10, {{}, tetEdges, {}}, 3},
      {"tetrahedron 11", 4, 11, {{}, tetEdges, {}}, 3},
      {"wedge 15", 6, 15, {{}, wedgeEdges, {}}, 3},
      {"wedge 18", 6, 18, {{}, wedgeEdges, {}}, 3},
      {"brick 20", 8, 20, {{}, brickEdges, {21}}, 3},
      {"brick 21", 8, 21, {{}, brickEdges, {21}}, 3},
      {"brick 27", 8, 27, {{}, brickEdges, {21}}, 3},
  };
  const Int ld = 2;
  rec::i(CGN, 7) = ld;
  for (const Shape& s : shapes) {
    // Beam, triangle, quad corners are in the first nodes; the brick corners fill a box.
    auto X = place(s.e, s.corners, rng, s.nn);
    // Nodes the interpolation produces: the midsides of the triples and the centre of the brick;
    // every other node holds the field already.
    std::vector<bool> made(s.nn, false);
    for (const auto& tr : s.e.triples)
      if (tr[1] <= s.nn) made[tr[1] - 1] = true;
    for (int c : s.e.centroidOfFirst8)
      if (c <= s.nn) made[c - 1] = true;
    std::vector<double> x(3 * s.nn), F(ld * s.nn, -77.0);
    for (int n = 0; n < s.nn; ++n)
      for (int d = 0; d < 3; ++d) x[3 * n + d] = X[n][d];
    for (int n = 0; n < s.nn; ++n)
      for (int r = 0; r < ld; ++r)
        if (!made[n]) F[r + ld * n] = f(X[n], r);
    const Int nn = s.nn, zero = 0, three = 3, kind = s.kind, type = s.type;
    const Int coded[2] = {0, 0};
    if (s.kind == 1 || s.kind == 2) {
      TFVMIDELEM(coded, x.data(), F.data(), &type, &nn, &zero, &three, &kind, &zero, &zero, &nn);
      for (int n = 0; n < s.nn; ++n)
        for (int r = 0; r < ld; ++r) EXPECT_NEAR(F[r + ld * n], f(X[n], r), 1e-12) << s.name << " node " << n + 1;
    } else {
      TFVMIDELEM(coded, x.data(), F.data(), &type, &nn, &zero, &three, &kind, &zero, &zero, &nn);
      for (int n = 0; n < s.nn; ++n) {
        EXPECT_NEAR(F[ld * n], f(X[n], 0), 1e-12) << s.name << " node " << n + 1;
        if (made[n]) {
          EXPECT_EQ(F[1 + ld * n], -77.0) << s.name << ": a solid interpolates its first row only";
        }
      }
    }
  }
}

TEST_F(Midside, EdgesOfTheTriplesAndTheRoutines) {
  // A midside node at a quarter of its edge.
  const double P[9] = {0, 1, 4, 0, 0, 0, 0, 0, 0};
  double V[3] = {8, 0, 4};
  TFVMIDINTER(P, V);
  EXPECT_DOUBLE_EQ(V[1], 7.0);
  const double same[9] = {1, 1, 2, 1, 1, 1, 1, 1, 1};
  double W[3] = {3, 0, 5};
  TFVMIDINTER(same, W);
  EXPECT_EQ(W[1], 3.0);

  // A nine-node shell of code 2006 keeps its centre value.
  const Int ld = 1, nine = 9, keep = 2006;
  rec::i(CGN, 7) = ld;
  std::vector<double> x(27, 0.0), F{1, 2, 3, 4, 0, 0, 0, 0, 42};
  const double xy[9][2] = {{0, 0}, {2, 0}, {2, 2}, {0, 2}, {1, 0}, {2, 1}, {1, 2}, {0, 1}, {1, 1}};
  for (int n = 0; n < 9; ++n) x[3 * n] = xy[n][0], x[3 * n + 1] = xy[n][1];
  const Int coded[2] = {0, 0};
  TFVMID3DSHLORPLN(x.data(), F.data(), &nine, &keep, &ld, coded);
  EXPECT_EQ(F[8], 42.0);
  // Only nine nodes take the centre triple: ten quadrilateral nodes of another code keep node 9.
  const Int ten = 10, other = 2007;
  x.resize(30, 0.0);
  F = {1, 2, 3, 4, 0, 0, 0, 0, 42, 7};
  TFVMID3DSHLORPLN(x.data(), F.data(), &ten, &other, &ld, coded);
  EXPECT_EQ(F[8], 42.0);
  EXPECT_DOUBLE_EQ(F[4], 1.5);  // the edge midsides are formed

  // A 21-node brick: node 21 the mean of its eight corners, no face centres.
  std::vector<double> bx(3 * 21, 0.0), bf(21, 0.0);
  for (int c = 0; c < 8; ++c) bf[c] = c + 1;
  const Int n21 = 21;
  TFVMID3D20TO27(bx.data(), bf.data(), &n21, &ld);
  EXPECT_DOUBLE_EQ(bf[20], 4.5);

  // Fewer than ten solid nodes, or a beam of other than three nodes: nothing moves.
  std::vector<double> small(8, 5.0), sx(24, 0.0);
  const Int eight = 8, four = 4;
  TFVMID3DSOL(sx.data(), small.data(), &eight, &ld);
  TFVMIDBEAM(sx.data(), small.data(), &four, &ld);
  EXPECT_EQ(small, std::vector<double>(8, 5.0));

  // A planar element without flags and with four nodes, and a five-node shell, are not available.
  eqc_testing::clearMessages();
  Int coded8[2];
  std::memcpy(coded8, "CPE4    ", 8);
  const Int zero = 0, two = 2, kind = 2, five = 5, type = 1;
  std::vector<double> F4(4, 1.0);
  TFVMIDELEM(coded8, sx.data(), F4.data(), &type, &four, &zero, &two, &kind, &zero, &zero, &four);
  TFVMID3DSHLORPLN(sx.data(), F4.data(), &five, &type, &ld, coded8);
  const auto messages = eqc_testing::messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].level, -3);
  EXPECT_EQ(messages[0].text, "INTERPOLATION FOR THE MIDSIDE NODE IS CURRENTLY NOT AVAILABLE FOR ELEMENT TYPE CPE4");
}

TEST_F(Midside, EachCaseHandsTheElementToItsRoutine) {
  // The same element through TFVMIDELEM and through the routine its case names, on the same data.
  using Routine = std::function<void(const double*, double*, const Int*)>;
  const Int coded[2] = {0, 0};
  // A routine of (X, F, nn, ld) with its node count fixed.
  const auto withNodes = [](auto* routine, Int n) -> Routine {
    return [routine, n](const double* X, double* F, const Int* ld) { routine(X, F, &n, ld); };
  };
  const Routine beam = withNodes(TFVMIDBEAM, 3), solid = withNodes(TFVMID3DSOL, 10);
  const Routine shell = [&](const double* X, double* F, const Int* ld) {
    const Int n = 8, type = 2007;
    TFVMID3DSHLORPLN(X, F, &n, &type, ld, coded);
  };
  const Routine nothing = [](const double*, double*, const Int*) {};
  struct Case {
    const char* what;
    Int dimension, k1, k2, k3, kind, type, nn;
    Routine routine;
  };
  const std::vector<Case> cases = {
      {"planar, K1", 2, 1, 0, 0, 2, 2007, 3, beam},
      {"planar, K2", 2, 0, 1, 0, 2, 2007, 3, beam},
      {"planar, line kind", 2, 0, 0, 0, 1, 2007, 3, beam},
      {"planar, K3", 2, 0, 0, 1, 2, 2007, 4, shell},
      {"planar, more than four nodes", 2, 0, 0, 0, 2, 2007, 8, shell},
      {"spatial, K1", 3, 1, 1, 1, 3, 2007, 3, beam},
      {"spatial, K2", 3, 0, 1, 1, 3, 2007, 8, shell},
      {"spatial, solid kind", 3, 0, 0, 1, 3, 2007, 10, solid},
      {"spatial, shell kind", 3, 0, 0, 0, 2, 2007, 8, shell},
      {"spatial, type below 200", 3, 0, 0, 0, 0, 150, 3, beam},
      {"spatial, type above 300", 3, 0, 0, 0, 0, 301, 3, beam},
      {"spatial, type 200 to 300", 3, 0, 0, 0, 0, 250, 3, nothing},
  };
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> u(-1, 1);
  const Int ld = 2;
  rec::i(CGN, 7) = ld;
  std::vector<double> X(3 * 10), F(ld * 10);
  for (double& v : X) v = u(rng);
  for (double& v : F) v = u(rng);
  for (const Case& c : cases) {
    std::vector<double> got = F, want = F;
    const Int shellNodes = 8;
    TFVMIDELEM(coded, X.data(), got.data(), &c.type, &c.nn, &c.k1, &c.dimension, &c.kind, &c.k3, &c.k2, &shellNodes);
    c.routine(X.data(), want.data(), &ld);
    EXPECT_EQ(got, want) << c.what;
    EXPECT_EQ(got != F, c.what != std::string("spatial, type 200 to 300")) << c.what;
  }
}

TEST(MidsideOrder, FirstMatchingLineDecides) {
  auto order = [](Int dimension, Int k1, Int k2, Int nn, Int kind, Int k3, Int type) {
    Int o = -1;
    TFV1OR2ORDER(&dimension, &k1, &k2, &nn, &kind, &k3, &type, &o);
    return o;
  };
  EXPECT_EQ(order(2, 1, 0, 2, 0, 0, 0), 1);
  EXPECT_EQ(order(2, 0, 0, 3, 1, 0, 0), 2);
  EXPECT_EQ(order(2, 0, 0, 4, 2, 1, 0), 1);
  EXPECT_EQ(order(2, 0, 0, 4, 2, 0, 0), 0);
  EXPECT_EQ(order(2, 0, 0, 8, 2, 0, 0), 2);
  EXPECT_EQ(order(3, 1, 1, 2, 3, 1, 250), 1);
  EXPECT_EQ(order(3, 1, 0, 3, 3, 0, 250), 2);
  EXPECT_EQ(order(3, 0, 1, 4, 0, 0, 0), 1);
  EXPECT_EQ(order(3, 0, 0, 8, 3, 0, 0), 1);
  EXPECT_EQ(order(3, 0, 0, 10, 3, 0, 0), 2);
  EXPECT_EQ(order(3, 0, 0, 8, 2, 0, 0), 2);
  EXPECT_EQ(order(3, 0, 0, 3, 0, 0, 150), 2);
  EXPECT_EQ(order(3, 0, 0, 3, 0, 0, 200), 0);
  EXPECT_EQ(order(3, 0, 0, 3, 0, 0, 300), 0);
}

// Circumcentre by solving 2 (p_i - p_1) . c = |p_i|^2 - |p_1|^2 (Cramer's rule).
double circumradius(const std::vector<V3>& p) {
  double A[3][3], b[3];
  for (int i = 0; i < 3; ++i) {
    double s = 0;
    for (int d = 0; d < 3; ++d) {
      A[i][d] = 2 * (p[i + 1][d] - p[0][d]);
      s += p[i + 1][d] * p[i + 1][d] - p[0][d] * p[0][d];
    }
    b[i] = s;
  }
  auto det = [](double M[3][3]) {
    return M[0][0] * (M[1][1] * M[2][2] - M[1][2] * M[2][1]) - M[0][1] * (M[1][0] * M[2][2] - M[1][2] * M[2][0]) +
           M[0][2] * (M[1][0] * M[2][1] - M[1][1] * M[2][0]);
  };
  const double D = det(A);
  V3 c;
  for (int k = 0; k < 3; ++k) {
    double M[3][3];
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) M[i][j] = j == k ? b[i] : A[i][j];
    c[k] = det(M) / D;
  }
  return std::sqrt(std::pow(c[0] - p[0][0], 2) + std::pow(c[1] - p[0][1], 2) + std::pow(c[2] - p[0][2], 2));
}

TEST(Tetradii, AgainstAnIndependentSolve) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(-1, 1);
  for (int trial = 0; trial < 50; ++trial) {
    std::vector<V3> p(4);
    for (auto& q : p) q = {u(rng), u(rng), u(rng)};
    V3 e1, e2, e3;
    for (int d = 0; d < 3; ++d) e1[d] = p[1][d] - p[0][d], e2[d] = p[2][d] - p[0][d], e3[d] = p[3][d] - p[0][d];
    double volume = (e1[0] * (e2[1] * e3[2] - e2[2] * e3[1]) - e1[1] * (e2[0] * e3[2] - e2[2] * e3[0]) +
                     e1[2] * (e2[0] * e3[1] - e2[1] * e3[0])) / 6;
    if (volume < 0) std::swap(p[1], p[2]), volume = -volume;  // corners in the positive order
    auto area = [&](int a, int b, int c) {
      V3 x, y;
      for (int d = 0; d < 3; ++d) x[d] = p[b][d] - p[a][d], y[d] = p[c][d] - p[a][d];
      return 0.5 * std::sqrt(std::pow(x[1] * y[2] - x[2] * y[1], 2) + std::pow(x[2] * y[0] - x[0] * y[2], 2) +
                             std::pow(x[0] * y[1] - x[1] * y[0], 2));
    };
    const double S = area(0, 1, 2) + area(0, 1, 3) + area(0, 2, 3) + area(1, 2, 3);
    double X[12];
    for (int c = 0; c < 4; ++c)
      for (int d = 0; d < 3; ++d) X[3 * c + d] = p[c][d];
    double rin = 0, rout = 0;
    TETRADII(X, &rin, &rout);
    EXPECT_NEAR(rout, circumradius(p), 1e-9 * circumradius(p)) << trial;
    EXPECT_NEAR(rin, 3 * volume / S, 1e-12) << trial;
  }
  const double regular[12] = {0, 0, 0, 1, 0, 0, 0.5, std::sqrt(3.0) / 2, 0, 0.5, std::sqrt(3.0) / 6, std::sqrt(2.0 / 3.0)};
  double rin = 0, rout = 0;
  TETRADII(regular, &rin, &rout);
  EXPECT_NEAR(rin, 0.2041, 1e-4);
  EXPECT_NEAR(rout, 0.6124, 1e-4);
  // Flat: four corners in a plane, and a unit square with one corner lifted by 1e-20 (a volume
  // above 1e-36, but the edge products of the four nearly cocircular corners leave no
  // circumscribed radius above 2.22e-16 times the shortest edge).
  const std::array<double, 12> flats[] = {{0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0},
                                          {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 1e-20}};
  for (const auto& flat : flats) {
    TETRADII(flat.data(), &rin, &rout);
    EXPECT_EQ(rin, 0.0) << flat[11];
    EXPECT_EQ(rout, 1e36) << flat[11];
  }
}

// ---- layered brick points ----

struct Section {
  std::vector<double> slots = std::vector<double>(40, 0.0);
  Section(int orientation, const std::vector<std::pair<double, int>>& layers) {
    int total = 0;
    rec::setSlotI(slots.data(), 6, orientation);
    rec::setSlotI(slots.data(), 7, static_cast<Int>(layers.size()));
    for (std::size_t L = 0; L < layers.size(); ++L) {
      rec::setSlotR(slots.data(), 9 + 4 * L, layers[L].first);
      rec::setSlotI(slots.data(), 10 + 4 * L, layers[L].second);
      total += layers[L].second;
    }
    rec::setSlotI(slots.data(), 8, total);
  }
};

struct BrickPoint {
  double wt, w1, w2, zeta, xi, eta;
};

BrickPoint brickPoint(const Section& s, Int p, Int nip) {
  BrickPoint b{};
  LBRICPTS(&p, &nip, s.slots.data(), &b.wt, &b.w1, &b.w2, &b.zeta, &b.xi, &b.eta);
  return b;
}

TEST(Lbricpts, QuotedPointsAndWeights) {
  const Section one(1, {{1.0, 3}});
  const double wt[3] = {1.0 / 3, 4.0 / 3, 1.0 / 3}, zeta[3] = {-1, 0, 1};
  for (Int p = 1; p <= 3; ++p) {
    const auto b = brickPoint(one, p, 15);
    EXPECT_NEAR(b.wt, wt[p - 1], 1e-15);
    EXPECT_NEAR(b.zeta, zeta[p - 1], 1e-15);
  }
  for (Int p = 13; p <= 15; ++p) {
    const auto b = brickPoint(one, p, 15);
    EXPECT_EQ(b.xi, 0.0);
    EXPECT_EQ(b.eta, 0.0);
    EXPECT_EQ(b.w1, 0.0133333333333332);
  }
  // Layers (0.4, 3 points) and (0.6, 2 points): the even layer takes the trapezoid rule.
  const Section two(1, {{0.4, 3}, {0.6, 2}});
  const double z2[5] = {-1, -0.6, -0.2, -0.2, 1}, w2[5] = {0.4 / 3, 1.6 / 3, 0.4 / 3, 0.6, 0.6};
  for (Int p = 1; p <= 5; ++p) {
    const auto b = brickPoint(two, p, 5);
    EXPECT_NEAR(b.zeta, z2[p - 1], 1e-15) << p;
    EXPECT_NEAR(b.wt, w2[p - 1], 1e-15) << p;
  }
  // Through the thickness every layer, odd or even, integrates a linear field exactly.
  const Section mixed(1, {{0.25, 2}, {0.35, 4}, {0.15, 3}, {0.25, 6}});
  double integral = 0.0;
  for (Int p = 1; p <= 15; ++p) {
    const auto b = brickPoint(mixed, p, 15);
    integral += b.wt * (3.0 - 2.0 * b.zeta);
  }
  EXPECT_NEAR(integral, 6.0, 1e-14);
  const Section mirrored(0, {{0.4, 3}, {0.6, 2}});
  EXPECT_NEAR(brickPoint(mirrored, 2, 5).zeta, 0.6, 1e-15);
  // A section point past the layers' total: weight and coordinate 0.
  Section short_(1, {{1.0, 3}});
  rec::setSlotI(short_.slots.data(), 8, 4);
  const auto past = brickPoint(short_, 4, 4);
  EXPECT_EQ(past.wt, 0.0);
  EXPECT_EQ(past.zeta, 0.0);
}

TEST(Lbricpts, IntegratesTheVolumeOfDistortedBricks) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> u(-0.25, 0.25);
  const double corners[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
  for (int trial = 0; trial < 4; ++trial) {
    double X[8][3];
    for (int n = 0; n < 8; ++n)
      for (int d = 0; d < 3; ++d) X[n][d] = corners[n][d] * (1.0 + d) + u(rng);
    auto detJ = [&](double r, double s, double t) {
      double J[3][3] = {};
      for (int n = 0; n < 8; ++n) {
        const double a = corners[n][0], b = corners[n][1], c = corners[n][2];
        const double dN[3] = {a * (1 + b * s) * (1 + c * t) / 8, b * (1 + a * r) * (1 + c * t) / 8,
                              c * (1 + a * r) * (1 + b * s) / 8};
        for (int i = 0; i < 3; ++i)
          for (int j = 0; j < 3; ++j) J[i][j] += dN[i] * X[n][j];
      }
      return J[0][0] * (J[1][1] * J[2][2] - J[1][2] * J[2][1]) - J[0][1] * (J[1][0] * J[2][2] - J[1][2] * J[2][0]) +
             J[0][2] * (J[1][0] * J[2][1] - J[1][1] * J[2][0]);
    };
    // Reference: four-point Gauss in each direction (det J is at most quadratic in each).
    const double g4[4] = {-0.8611363115940526, -0.3399810435848563, 0.3399810435848563, 0.8611363115940526};
    const double w4[4] = {0.3478548451374538, 0.6521451548625461, 0.6521451548625461, 0.3478548451374538};
    double volume = 0;
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j)
        for (int k = 0; k < 4; ++k) volume += w4[i] * w4[j] * w4[k] * detJ(g4[i], g4[j], g4[k]);
    const Section layered(1, {{0.3, 3}, {0.5, 5}, {0.2, 3}});
    for (Int m : {4, 9}) {
      const Int nip = 11 * m;
      double sum = 0;
      for (Int p = 1; p <= nip; ++p) {
        const auto b = brickPoint(layered, p, nip);
        sum += b.wt * b.w1 * b.w2 * detJ(b.xi, b.eta, b.zeta);
      }
      EXPECT_NEAR(sum, volume, 1e-12 * volume) << "trial " << trial << " in-plane points " << m;
    }
  }
}

TEST(Lsoa8j, ReproducesTheCosinesOfItsStations) {
  const double pi = 3.14159265358979;
  for (Int n = 2; n <= 5; ++n)
    for (Int flag : {0, 1})
      for (Int i = 0; i <= 2 * n; ++i) {
        double H[10], S[4], Co[4];
        LSOA8J(&n, &i, H, S, Co, &flag);
        const double theta = flag == 0 ? (i - 1) * pi / (2 * n - 1) : i * pi / n;
        for (int m = 0; m < n; ++m) {
          double value = 0, derivative = 0;
          for (int j = 0; j < n; ++j) {
            const double station = j * pi / (n - 1);
            value += H[j] * std::cos(m * station);
            derivative += H[n + j] * std::cos(m * station);
          }
          EXPECT_NEAR(value, std::cos(m * theta), 1e-12) << n << " " << flag << " " << i << " m " << m;
          EXPECT_NEAR(derivative, -m * std::sin(m * theta), 1e-12) << n << " " << flag << " " << i << " m " << m;
        }
        for (int k = 1; k <= 4; ++k) {
          EXPECT_NEAR(S[k - 1], k < n || k == 1 ? std::sin(k * theta) : 0.0, 1e-15);
          EXPECT_NEAR(Co[k - 1], k < n || k == 1 ? std::cos(k * theta) : 0.0, 1e-15);
        }
      }
  double H[10], S[4], Co[4];
  const Int five = 5, two = 2, flagOne = 1, flagZero = 0, one = 1;
  LSOA8J(&five, &two, H, S, Co, &flagOne);
  const double quoted[5] = {-0.16363, 0.56803, 0.73176, -0.22254, 0.08637};
  for (int j = 0; j < 5; ++j) EXPECT_NEAR(H[j], quoted[j], 1e-5);
  LSOA8J(&two, &one, H, S, Co, &flagZero);
  EXPECT_EQ(std::vector<double>(H, H + 4), std::vector<double>({1, 0, 0, 0}));
}

TEST(Lc3dgc, MixedDerivativesAgainstFiniteDifferencesAndAnEvaluation) {
  const double corners[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
  auto N = [&](int n, double r, double s, double t) {
    return (1 + corners[n][0] * r) * (1 + corners[n][1] * s) * (1 + corners[n][2] * t) / 8;
  };
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> u(-1, 1);
  double X[24], A[9], D[40];
  for (int n = 0; n < 8; ++n)
    for (int d = 0; d < 3; ++d) X[3 * n + d] = corners[n][d] * 2 + 0.3 * u(rng);
  for (double& a : A) a = u(rng);
  for (double& v : D) v = u(rng);
  const double g = 0.57735026918963, h = 1e-4;
  for (Int p = 1; p <= 8; ++p) {
    const double xi[3] = {((p - 1) % 2 == 0) ? -g : g, (((p - 1) / 2) % 2 == 0) ? -g : g, p <= 4 ? -g : g};
    // Mixed second derivatives by central differences: (xi, eta), (xi, zeta), (eta, zeta).
    const int pairs[3][2] = {{0, 1}, {0, 2}, {1, 2}};
    double P[3][8], T[3][3];
    for (int m = 0; m < 3; ++m)
      for (int n = 0; n < 8; ++n) {
        auto at = [&](double da, double db) {
          double q[3] = {xi[0], xi[1], xi[2]};
          q[pairs[m][0]] += da;
          q[pairs[m][1]] += db;
          return N(n, q[0], q[1], q[2]);
        };
        P[m][n] = (at(h, h) - at(h, -h) - at(-h, h) + at(-h, -h)) / (4 * h * h);
      }
    for (int d = 0; d < 3; ++d)
      for (int m = 0; m < 3; ++m) {
        T[d][m] = 0;
        for (int n = 0; n < 8; ++n) T[d][m] += P[m][n] * X[3 * n + d];
      }
    double out[80];
    std::fill(std::begin(out), std::end(out), -5.0);
    LC3DGC(X, A, out, D, &p);
    for (int k = 0; k < 25; ++k) EXPECT_EQ(out[k], -5.0);
    for (int k = 73; k < 80; ++k) EXPECT_EQ(out[k], -5.0);
    auto a = [&](int r, int c) { return A[(r - 1) + 3 * (c - 1)]; };
    const double C[6][3] = {{a(1, 1) * a(2, 1), a(1, 1) * a(3, 1), a(2, 1) * a(3, 1)},
                            {a(1, 2) * a(2, 2), a(1, 2) * a(3, 2), a(2, 2) * a(3, 2)},
                            {a(1, 3) * a(2, 3), a(1, 3) * a(3, 3), a(2, 3) * a(3, 3)},
                            {a(1, 1) * a(2, 2), a(1, 1) * a(3, 2), a(2, 1) * a(3, 2)},
                            {a(1, 1) * a(2, 3), a(1, 1) * a(3, 3), a(2, 1) * a(3, 3)},
                            {a(1, 2) * a(2, 3), a(1, 2) * a(3, 3), a(2, 2) * a(3, 3)}};
    for (int n = 0; n < 8; ++n) {
      double Q[3];
      for (int m = 0; m < 3; ++m) {
        Q[m] = P[m][n];
        for (int d = 0; d < 3; ++d) {
          double U = 0;
          for (int c = 0; c < 3; ++c) U += a(d + 1, c + 1) * T[c][m];
          Q[m] -= U * D[8 * (d + 1) + n];
        }
      }
      for (int grp = 0; grp < 6; ++grp)
        EXPECT_NEAR(out[25 + 8 * grp + n], C[grp][0] * Q[0] + C[grp][1] * Q[1] + C[grp][2] * Q[2], 1e-6)
            << "point " << p << " group " << grp + 1 << " node " << n + 1;
    }
  }
  // The undistorted cube with the identity: groups 1-3 vanish, 4-6 are the patterns themselves.
  double cube[24], I[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1}, out[80];
  for (int n = 0; n < 8; ++n)
    for (int d = 0; d < 3; ++d) cube[3 * n + d] = corners[n][d];
  const Int first = 1;
  LC3DGC(cube, I, out, D, &first);
  const double P1[8] = {0.19717, -0.19717, 0.19717, -0.19717, 0.05283, -0.05283, 0.05283, -0.05283};
  for (int n = 0; n < 8; ++n) {
    for (int grp = 0; grp < 3; ++grp) EXPECT_EQ(out[25 + 8 * grp + n], 0.0);
    EXPECT_NEAR(out[25 + 24 + n], P1[n], 1e-5);
  }
}

}  // namespace
