// Every extrapolation rule carries each polynomial field its point lattice supports to the nodes
// and to the centre; the quoted weights hold; the node-list edges behave as the rules say.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/elements/extrapolation/matrix_test_support.h"
#include "zmx/elements/extrapolation.h"

namespace {

using namespace extrapolation_test;

const Int kToNodes = 1, kToCentre = 0;
const Pt kOrigin{0, 0, 0, 0};

template <class Call>
std::vector<double> matrix(std::size_t reals, Call call) {
  std::vector<double> W = zeros(reals);
  call(W.data());
  return W;
}

// Reproduction at the nodes and at the centre, for several random fields.
template <class Call>
void checkRule(const std::string& what, int ld, const std::vector<Pt>& points, const std::vector<Pt>& nodes,
               std::function<Field(unsigned)> field, Call call) {
  const Int nn = static_cast<Int>(nodes.size());
  const auto W = matrix(static_cast<std::size_t>(ld) * nn, [&](double* w) { call(w, &nn, &kToNodes); });
  const auto C = matrix(static_cast<std::size_t>(ld) * nn, [&](double* w) { call(w, &nn, &kToCentre); });
  for (unsigned seed = 1; seed <= 3; ++seed) {
    expectReproduces(W, ld, points, nodes, field(seed), what);
    expectReproduces(C, ld, points, {kOrigin}, field(seed), what + " centre");
  }
  for (Int n = 1; n <= nn; ++n) EXPECT_NEAR(columnSum(W, ld, n), 1.0, 1e-12) << what << " column " << n;
}

std::function<Field(unsigned)> tensor(int dims, int degree) {
  return [=](unsigned seed) { return tensorField(dims, degree, seed); };
}

std::vector<Pt> firstNodes(std::vector<Pt> nodes, std::size_t n) {
  nodes.resize(n);
  return nodes;
}

TEST(ExtrapolationMatrices, TensorRulesReproduceTheirLatticePolynomials) {
  const auto line2 = lattice(1, gauss2()), line3 = lattice(1, gauss3());
  const std::vector<Pt> lineNodes{{-1}, {0}, {1}};
  checkRule("LX2 two points", 2, line2, lineNodes, tensor(1, 1),
            [](double* w, const Int*, const Int* f) { const Int nip = 2, n = 3; LX2(w, &n, &nip, f); });
  checkRule("LX2 three points", 3, line3, lineNodes, tensor(1, 2),
            [](double* w, const Int*, const Int* f) { const Int nip = 3, n = 3; LX2(w, &n, &nip, f); });
  checkRule("LX3", 3, line3, {{-1}, {1}, {0}, {0}}, tensor(1, 2), LX3);
  checkRule("LX22", 4, lattice(2, gauss2()), quadNodes(), tensor(2, 1), LX22);
  checkRule("LX33", 9, lattice(2, gauss3()), firstNodes(quadNodes(), 8), tensor(2, 2), LX33);
  checkRule("LX222", 8, lattice(3, gauss2()), firstNodes(brickNodes(), 20), tensor(3, 1), LX222);
  checkRule("LX333", 27, lattice(3, gauss3()), brickNodes(), tensor(3, 2),
            [](double* w, const Int* nn, const Int* f) { const Int T = 4030; LX333(&T, w, nn, f); });
  checkRule("LX22I", 4, lattice(2, gauss2()), fiveNodes(), tensor(2, 1),
            [](double* w, const Int* nn, const Int* f) { const Int T = 81; LX22I(w, nn, f, &T); });
  checkRule("LX22I code 92", 4, lattice(2, gauss2()), {{-1, -1}, {0, -1}, {-1, 0}, {-1, 0}, {0, -1}}, tensor(2, 1),
            [](double* w, const Int* nn, const Int* f) { const Int T = 92; LX22I(w, nn, f, &T); });
  checkRule("LX33I", 9, lattice(2, gauss3()), fiveNodes(), tensor(2, 2),
            [](double* w, const Int* nn, const Int* f) { const Int T = 81; LX33I(w, nn, f, &T); });
  checkRule("LX222I", 8, lattice(3, gauss2()), eighteenNodes(), tensor(3, 1),
            [](double* w, const Int* nn, const Int* f) { const Int T = 90; LX222I(w, nn, f, &T); });
  auto folded = eighteenNodes();
  for (int n = 4; n < 8; ++n) folded[n] = folded[n + 4];
  checkRule("LX222I code 99", 8, lattice(3, gauss2()), folded, tensor(3, 1),
            [](double* w, const Int* nn, const Int* f) { const Int T = 99; LX222I(w, nn, f, &T); });
  checkRule("LX333I", 27, lattice(3, gauss3()), eighteenNodes(), tensor(3, 2), LX333I);
}

TEST(ExtrapolationMatrices, FourteenPointBrickUsesItsCornersInNodeOrder) {
  constexpr double c = 0.7587869106393282;
  std::vector<Pt> points;
  for (int n = 0; n < 8; ++n) points.push_back({brickNodes()[n][0] * c, brickNodes()[n][1] * c, brickNodes()[n][2] * c});
  for (int k = 0; k < 6; ++k) points.push_back({5, 5, 5});  // face points: any value must get no weight
  checkRule("LX222R", 14, points, brickNodes(), tensor(3, 1),
            [](double* w, const Int* nn, const Int* f) { const Int T = 4341; LX222R(&T, w, nn, f); });
  auto W = sentinel(14 * 27);
  const Int T = 4341, nn = 27;
  LX222R(&T, W.data(), &nn, &kToNodes);
  for (int n = 0; n < 27; ++n)
    for (int p = 8; p < 14; ++p) EXPECT_TRUE(std::isnan(W[p + 14 * n])) << "face row " << p + 1 << " node " << n + 1;
  EXPECT_NEAR(W[0], 1.5566472038, 1e-9);
  EXPECT_NEAR(W[1], -0.2134901498, 1e-9);
  EXPECT_NEAR(W[2], 0.0292796235, 1e-9);  // point 3 is the corner (+, +, -)
  EXPECT_NEAR(W[6], -0.0040156249, 1e-9);
  for (int p = 0; p < 4; ++p) EXPECT_NEAR(W[p + 14 * 21], 0.2897366319, 1e-9) << "node 22";
  for (int p = 4; p < 8; ++p) EXPECT_NEAR(W[p + 14 * 21], -0.0397366319, 1e-9) << "node 22";
}

TEST(ExtrapolationMatrices, SelectorRulesAreConstantThroughTheThickness) {
  for (Int s = 1; s <= 3; ++s) {
    const int a = s == 1 ? 1 : (s == 2 ? 2 : 0), b = s == 1 ? 2 : (s == 2 ? 0 : 1);
    std::vector<Pt> planeNodes;
    for (const Pt& x : brickNodes()) planeNodes.push_back({x[a], x[b]});
    const std::string tag = " selector " + std::to_string(s);
    checkRule("LSOL2" + tag, 4, lattice(2, gauss2()), planeNodes, tensor(2, 1),
              [s](double* w, const Int* nn, const Int* f) { LSOL2(w, nn, f, &s); });
    checkRule("LSOL3" + tag, 9, lattice(2, gauss3()), planeNodes, tensor(2, 2),
              [s](double* w, const Int* nn, const Int* f) { const Int T = 1; LSOL3(&T, w, nn, f, &s); });
    constexpr double c = 0.5783149319662402;
    const std::vector<Pt> five{{-c, -c}, {c, -c}, {c, c}, {-c, c}, {9, 9}};
    checkRule("LSOL5" + tag, 5, five, planeNodes, tensor(2, 1),
              [s](double* w, const Int* nn, const Int* f) { const Int T = 1; LSOL5(&T, w, nn, f, &s); });
  }
  // Codes 500-599 list nodes 1-21 and then the face centres whose bits are set: 22 + 2 = 24, 27.
  const Int T = 500 + 0b100100, nn = 23, s = 3;
  auto W = zeros(9 * 23), reference = zeros(9 * 27);
  LSOL3(&T, W.data(), &nn, &kToNodes, &s);
  const Int all = 27, plain = 1;
  LSOL3(&plain, reference.data(), &all, &kToNodes, &s);
  EXPECT_TRUE(std::equal(W.begin() + 9 * 21, W.begin() + 9 * 22, reference.begin() + 9 * 23));  // node 24
  EXPECT_TRUE(std::equal(W.begin() + 9 * 22, W.begin() + 9 * 23, reference.begin() + 9 * 26));  // node 27
  // Selector 3: nodes 5 to 8 share the columns of nodes 1 to 4.
  auto S = zeros(4 * 8);
  const Int eight = 8;
  LSOL2(S.data(), &eight, &kToNodes, &s);
  EXPECT_TRUE(std::equal(S.begin(), S.begin() + 16, S.begin() + 16));
  // The five-point rule writes its centre point's weight 0 in every column, whatever W held.
  auto S5 = sentinel(5 * 9);
  const Int nine = 9;
  LSOL5(&plain, S5.data(), &nine, &kToNodes, &s);
  EXPECT_NEAR(S5[0], 1.8620808233, 1e-9);
  EXPECT_NEAR(S5[1], -0.4975, 1e-9);
  EXPECT_NEAR(S5[2], 0.1329191767, 1e-9);
  for (int n = 0; n < 9; ++n) EXPECT_EQ(S5[4 + 5 * n], 0.0) << "node " << n + 1;
  auto C5 = sentinel(5 * 2);
  LSOL5(&plain, C5.data(), &nine, &kToCentre, &s);
  EXPECT_EQ(std::vector<double>(C5.begin(), C5.begin() + 5), std::vector<double>({0.25, 0.25, 0.25, 0.25, 0.0}));
  EXPECT_TRUE(std::isnan(C5[5])) << "the centre fills column 1 only";
}

TEST(ExtrapolationMatrices, QuotedTensorWeights) {
  auto W = zeros(8 * 20);
  const Int nn = 20;
  LX222(W.data(), &nn, &kToNodes);
  EXPECT_NEAR(W[0], 2.5490, 1e-4);
  EXPECT_NEAR(W[1], -0.6830, 1e-4);
  EXPECT_NEAR(W[3], 0.1830, 1e-4);
  EXPECT_NEAR(W[7], -0.0490, 1e-4);
  const double node9[8] = {0.9330, 0.9330, -0.25, -0.25, -0.25, -0.25, 0.0670, 0.0670};
  const double node17[8] = {0.9330, -0.25, -0.25, 0.0670, 0.9330, -0.25, -0.25, 0.0670};
  for (int p = 0; p < 8; ++p) {
    EXPECT_NEAR(W[p + 8 * 8], node9[p], 1e-4);
    EXPECT_NEAR(W[p + 8 * 16], node17[p], 1e-4);
  }
  auto Q = zeros(9 * 9);
  const Int nine = 9;
  LX33(Q.data(), &nine, &kToNodes);
  EXPECT_NEAR(Q[0], 2.1869, 1e-4);
  EXPECT_TRUE(std::equal(Q.begin(), Q.begin() + 9, Q.begin() + 72)) << "node 9 takes node 1's weights";
  auto L = zeros(4 * 10);
  const Int ten = 10;
  LX22(L.data(), &ten, &kToNodes);
  EXPECT_TRUE(std::equal(L.begin(), L.begin() + 4, L.begin() + 36)) << "node 10 takes node 1's weights";
  EXPECT_NEAR(L[4 * 4], 0.6830, 1e-4);
  EXPECT_NEAR(L[4 * 4 + 2], -0.1830, 1e-4);
  // The centre of the brick: 0.125 into the eight rows of column 1 and nothing else.
  auto C = sentinel(8 * 20);
  LX222(C.data(), &nn, &kToCentre);
  for (int p = 0; p < 8; ++p) EXPECT_EQ(C[p], 0.125);
  EXPECT_TRUE(std::all_of(C.begin() + 8, C.end(), [](double v) { return std::isnan(v); }));
  // Two points with the centre flag: (0.5, 0.5) in all three columns.
  auto T2 = zeros(6);
  const Int two = 2, three = 3;
  LX2(T2.data(), &three, &two, &kToCentre);
  for (double v : T2) EXPECT_DOUBLE_EQ(v, 0.5);
}

// ---- triangles, tetrahedra, wedges ----

std::vector<Pt> symmetricOrbit(int corners, double own) {
  const double other = (1.0 - own) / (corners - 1);
  std::vector<Pt> points;
  for (int c = 0; c < corners; ++c) {
    Pt L{0, 0, 0, 0};
    for (int k = 0; k < corners; ++k) L[k] = k == c ? own : other;
    points.push_back(L);
  }
  return points;
}

// The six-point triangle: orbit 1 near the corners, orbit 2 near the midsides 1-2, 2-3, 3-1.
std::vector<Pt> sixPointTriangle() {
  auto points = symmetricOrbit(3, 0.816847572980459);
  const double small = 0.10810301816807, large = 0.445948490915965;
  points.push_back({large, large, small});
  points.push_back({small, large, large});
  points.push_back({large, small, large});
  return points;
}

TEST(ExtrapolationMatrices, TrianglesAndTetrahedraReproduceLinearAndQuadraticFields) {
  const Pt triCentre{1.0 / 3, 1.0 / 3, 1.0 / 3};
  const Pt tetCentre{0.25, 0.25, 0.25, 0.25};
  auto check = [&](const std::string& what, int ld, const std::vector<Pt>& points, const std::vector<Pt>& nodes,
                   int corners, int degree, auto call) {
    const Int nn = static_cast<Int>(nodes.size());
    const auto W = matrix(static_cast<std::size_t>(ld) * nn, [&](double* w) { call(w, nn, kToNodes); });
    const auto C = matrix(static_cast<std::size_t>(ld) * nn, [&](double* w) { call(w, nn, kToCentre); });
    for (unsigned seed = 1; seed <= 3; ++seed) {
      expectReproduces(W, ld, points, nodes, simplexField(corners, degree, seed), what);
      expectReproduces(C, ld, points, {corners == 3 ? triCentre : tetCentre}, simplexField(corners, degree, seed),
                       what + " centre");
    }
  };
  const auto tri3 = symmetricOrbit(3, 2.0 / 3.0);
  check("LXTRI3", 3, tri3, firstNodes(triangleNodes(), 3), 3, 1, [](double* w, Int, Int f) { LXTRI3(w, &f); });
  check("LXTRI6", 3, tri3, triangleNodes(), 3, 1, [](double* w, Int nn, Int f) { const Int nip = 3; LXTRI6(w, &nip, &nn, &f); });
  check("LXTRI6C", 3, symmetricOrbit(3, 11.0 / 18.0), triangleNodes(), 3, 1,
        [](double* w, Int nn, Int f) { LXTRI6C(w, &nn, &f); });
  check("LXTR66", 6, sixPointTriangle(), triangleNodes(), 3, 2,
        [](double* w, Int nn, Int f) { const Int nip = 6; LXTR66(w, &nip, &nn, &f); });
  check("LXTT4", 4, symmetricOrbit(4, 0.5854101966249685), tetrahedronNodes(), 4, 1,
        [](double* w, Int nn, Int f) { LXTT4(w, &nn, &f); });
  check("LXTET10C", 4, symmetricOrbit(4, 25.0 / 48.0), tetrahedronNodes(), 4, 1,
        [](double* w, Int nn, Int f) { LXTET10C(w, &nn, &f); });

  // Fifteen points: 1 the centroid, 2-5 the vertex orbit, 6-9 weightless, 10-15 the edge orbit.
  std::vector<Pt> points{tetCentre};
  for (const Pt& p : symmetricOrbit(4, 1.0 - 3 * 0.0919710780527)) points.push_back(p);
  for (int k = 0; k < 4; ++k) points.push_back({7, 7, 7, 7});
  const int edges[6][2] = {{0, 1}, {1, 2}, {2, 0}, {0, 3}, {1, 3}, {2, 3}};
  for (const auto& e : edges) {
    Pt L{0.0563508326896, 0.0563508326896, 0.0563508326896, 0.0563508326896};
    L[e[0]] = L[e[1]] = 0.4436491673104;
    points.push_back(L);
  }
  const double t = 1.0 / 3.0;
  auto nodes15 = tetrahedronNodes();
  for (const Pt& extra : {tetCentre, Pt{t, t, t, 0}, Pt{t, t, 0, t}, Pt{0, t, t, t}, Pt{t, 0, t, t}})
    nodes15.push_back(extra);
  check("LXTT15", 15, points, nodes15, 4, 2, [](double* w, Int nn, Int f) { LXTT15(w, &nn, &f); });
}

TEST(ExtrapolationMatrices, QuotedSimplexWeights) {
  const Int six = 6, nip6 = 6, ten = 10, fifteen = 15;
  auto T6 = zeros(36);
  LXTR66(T6.data(), &nip6, &six, &kToNodes);
  const double corner1[6] = {1.873659, 0.138560, 0.138560, -0.638560, 0.126341, -0.638560};
  for (int p = 0; p < 6; ++p) EXPECT_NEAR(T6[p], corner1[p], 2e-6);
  auto T6c = zeros(36);
  LXTR66(T6c.data(), &nip6, &six, &kToCentre);
  for (int p = 0; p < 3; ++p) EXPECT_NEAR(T6c[p], -0.092373, 2e-6);
  for (int p = 3; p < 6; ++p) EXPECT_NEAR(T6c[p], 0.425706, 2e-6);

  auto C = zeros(18);
  LXTRI6C(C.data(), &six, &kToNodes);
  EXPECT_NEAR(C[0], 1.93333333, 1e-8);
  EXPECT_NEAR(C[1], -0.46666667, 1e-8);
  EXPECT_NEAR(C[9], 0.73333333, 1e-8);
  EXPECT_NEAR(C[11], -0.46666667, 1e-8);
  auto E = zeros(40);
  LXTET10C(E.data(), &ten, &kToNodes);
  EXPECT_NEAR(E[0], 2.32692303, 1e-7);
  EXPECT_NEAR(E[1], -0.442307676, 1e-7);
  EXPECT_NEAR(E[16], 0.94230768, 1e-7);
  EXPECT_NEAR(E[18], -0.442307676, 1e-7);
  auto F = zeros(40);
  LXTT4(F.data(), &ten, &kToNodes);
  EXPECT_NEAR(F[0], 1.927051, 1e-6);
  EXPECT_NEAR(F[1], -0.309017, 1e-6);
  EXPECT_NEAR(F[16], 0.809017, 1e-6);

  auto Q = zeros(15 * 15);
  LXTT15(Q.data(), &fifteen, &kToNodes);
  for (int n = 0; n < 15; ++n)
    for (int p : {0, 5, 6, 7, 8}) EXPECT_EQ(Q[p + 15 * n], 0.0) << "weightless point " << p + 1;
  EXPECT_NEAR(Q[1], 2.8792, 1e-4);
  for (int p : {2, 3, 4}) EXPECT_NEAR(Q[p], 0.3765, 1e-4);
  for (int p = 9; p < 15; ++p) EXPECT_TRUE(std::abs(Q[p] + 0.8771) < 1e-4 || std::abs(Q[p] + 0.1258) < 1e-4) << p + 1;
  for (int p = 1; p <= 4; ++p) EXPECT_NEAR(Q[p + 15 * 4], 0.1670, 1e-4) << "midside 5";
  EXPECT_NEAR(Q[9 + 15 * 4], 1.2564, 1e-4);
  std::vector<double> rest(Q.begin() + 15 * 4 + 10, Q.begin() + 15 * 4 + 15);
  EXPECT_EQ(std::count_if(rest.begin(), rest.end(), [](double v) { return std::abs(v + 0.2225) < 1e-4; }), 4);
  EXPECT_EQ(std::count_if(rest.begin(), rest.end(), [](double v) { return std::abs(v + 0.0346) < 1e-4; }), 1);
}

// Wedge nodes: in-plane area coordinates and the thickness coordinate.
std::vector<Pt> wedgeNodes(int count) {
  const auto tri = triangleNodes();
  std::vector<Pt> nodes;
  auto add = [&](int position, double zeta) {
    Pt p = tri[position];
    p[3] = zeta;
    nodes.push_back(p);
  };
  for (int i = 0; i < 3; ++i) add(i, -1);
  for (int i = 0; i < 3; ++i) add(i, 1);
  for (int i = 3; i < 6; ++i) add(i, -1);
  for (int i = 3; i < 6; ++i) add(i, 1);
  for (int i = 0; i < 3; ++i) add(i, 0);
  nodes.resize(count);
  return nodes;
}

// Points: the in-plane points of each layer (fastest), layers at the line abscissae.
std::vector<Pt> wedgePoints(const std::vector<Pt>& plane, const std::vector<double>& line) {
  std::vector<Pt> points;
  for (double zeta : line)
    for (Pt p : plane) {
      p[3] = zeta;
      points.push_back(p);
    }
  return points;
}

// Linear in the area coordinates times a polynomial of `degree` in the thickness coordinate.
Field wedgeField(int degree, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-1, 1);
  std::vector<double> c(9);
  for (double& v : c) v = u(rng);
  return [=](const Pt& x) {
    double sum = 0;
    for (int i = 0; i < 3; ++i)
      for (int k = 0; k <= degree; ++k) sum += c[i + 3 * k] * x[i] * std::pow(x[3], k);
    return sum;
  };
}

TEST(ExtrapolationMatrices, WedgesReproduceLinearInPlaneTimesTheirThicknessDegree) {
  const Pt centre{1.0 / 3, 1.0 / 3, 1.0 / 3, 0};
  auto check = [&](const std::string& what, int ld, const std::vector<Pt>& points, int nn, int degree, auto call,
                   bool centreExact) {
    const Int n = nn;
    const auto W = matrix(static_cast<std::size_t>(ld) * nn, [&](double* w) { call(w, &n, &kToNodes); });
    const auto C = matrix(static_cast<std::size_t>(ld) * nn, [&](double* w) { call(w, &n, &kToCentre); });
    for (unsigned seed = 1; seed <= 3; ++seed) {
      expectReproduces(W, ld, points, wedgeNodes(nn), wedgeField(degree, seed), what);
      if (centreExact) expectReproduces(C, ld, points, {centre}, wedgeField(degree, seed), what + " centre");
    }
    EXPECT_NEAR(columnSum(C, ld, 1), 1.0, 1e-9) << what;
  };
  const std::vector<Pt> sideless{{1.0 / 3, 1.0 / 3, 1.0 / 3}};
  // LXTP2R: two points through the thickness, one in-plane position each.
  {
    const Int six = 6;
    auto W = zeros(12);
    LXTP2R(W.data(), &six, &kToNodes);
    const Field f = [](const Pt& x) { return 0.3 - 1.7 * x[3]; };
    expectReproduces(W, 2, {{0, 0, 0, -kG2}, {0, 0, 0, kG2}}, wedgeNodes(6), f, "LXTP2R");
    auto C = zeros(12);
    LXTP2R(C.data(), &six, &kToCentre);
    expectReproduces(C, 2, {{0, 0, 0, -kG2}, {0, 0, 0, kG2}}, {centre}, f, "LXTP2R centre");
    EXPECT_EQ(std::count(C.begin() + 2, C.end(), 0.0), 10) << "column 1 only";
  }
  const auto tri3 = symmetricOrbit(3, 2.0 / 3.0);
  check("LXTP2", 6, wedgePoints(tri3, gauss2()), 6, 1, LXTP2, true);
  check("LXTP9R", 9, wedgePoints(tri3, gauss3()), 15, 2,
        [](double* w, const Int* nn, const Int* f) { const Int T = 70; LXTP9R(w, nn, &T, f); }, false);
  check("LXTP9", 18, wedgePoints(sixPointTriangle(), gauss3()), 15, 2,
        [](double* w, const Int* nn, const Int* f) { const Int T = 4144; LXTP9(w, nn, &T, f); }, false);
  auto W = zeros(9 * 15);
  const Int nn = 15, T = 70;
  LXTP9R(W.data(), &nn, &T, &kToNodes);
  EXPECT_NEAR(W[0], 2.4647, 1e-4);
  EXPECT_NEAR(W[1], -0.4929, 1e-4);
  EXPECT_NEAR(W[3], -1.1111, 1e-4);
  EXPECT_NEAR(W[6], 0.3131, 1e-4);
  EXPECT_NEAR(W[3 + 9 * 12], 1.6667, 1e-4);
  auto P = zeros(18 * 15);
  LXTP9(P.data(), &nn, &T, &kToNodes);
  // Node 1 from orbit 1 (share 3 w1, in-plane 1.252529519) and orbit 2 (share 3 w2, -1.639955404),
  // both times the bottom layer's line factor at -1.
  const double t = -1.0 / kG3, bottom = t * (t - 1.0) / 2.0;
  EXPECT_NEAR(P[0], 0.329855231 * 1.252529519 * bottom, 1e-8);
  EXPECT_NEAR(P[4], 0.670144769 * -1.639955404 * bottom, 1e-8);
}

TEST(ExtrapolationMatrices, LayeredRulesSendPlanesToNodeLayers) {
  // Four-node layers of a layered solid with 2 x 2 points per plane: constant through the thickness,
  // bilinear in the plane, the field comes back at every node of every layer.
  for (Int layers = 2; layers <= 5; ++layers) {
    const Int perPlane = 4, nodes = 4 * layers, nip = 2 * layers * perPlane;
    auto W = zeros(static_cast<std::size_t>(nip) * nodes);
    LXSOLA(W.data(), &nip, &kToNodes, &layers, &nodes, &nip, &perPlane);
    std::vector<Pt> points, nodeCoords;
    for (int L = 0; L < 2 * layers; ++L)
      for (const Pt& p : lattice(2, gauss2())) points.push_back(p);
    for (int l = 0; l < layers; ++l)
      for (int n = 0; n < 4; ++n) nodeCoords.push_back(quadNodes()[n]);
    expectReproduces(W, nip, points, nodeCoords, tensorField(2, 1, 5), "LXSOLA layers " + std::to_string(layers));
    for (Int n = 1; n <= nodes; ++n) EXPECT_NEAR(columnSum(W, nip, n), 1.0, 1e-12) << layers << " " << n;
  }
  // Three node layers: planes 3 and 4 give half each to layer 2; planes 2 and 5 nothing.
  const Int layers = 3, perPlane = 1, nodes = 3, nip = 6;
  auto W = zeros(18);
  LXSOLA(W.data(), &nip, &kToNodes, &layers, &nodes, &nip, &perPlane);
  const double expected[18] = {1, 0, 0, 0, 0, 0, 0, 0, 0.5, 0.5, 0, 0, 0, 0, 0, 0, 0, 1};
  for (int k = 0; k < 18; ++k) EXPECT_EQ(W[k], expected[k]) << k;
  // Centre flag: one column per plane.
  auto C = zeros(16 * 8);
  const Int four = 4, two = 2, n8 = 8, p16 = 16;
  LXSOLA(C.data(), &p16, &kToCentre, &two, &n8, &p16, &four);
  for (int L = 0; L < 4; ++L) EXPECT_NEAR(columnSum(C, 16, L + 1), 1.0, 1e-12);
  // Axisymmetric line layers: two points per plane, three nodes per layer, linear fields.
  const Int lineNodes = 9, lineNip = 12;
  auto A = zeros(12 * 9);
  LXSAXA(A.data(), &lineNip, &kToNodes, &layers, &lineNodes, &lineNip, &two);
  std::vector<Pt> points, nodeCoords;
  for (int L = 0; L < 6; ++L)
    for (const Pt& p : lattice(1, gauss2())) points.push_back(p);
  for (int l = 0; l < 3; ++l)
    for (double x : {-1.0, 0.0, 1.0}) nodeCoords.push_back({x});
  expectReproduces(A, 12, points, nodeCoords, tensorField(1, 1, 9), "LXSAXA");
  // One point per plane of a line layer: both nodes of the layer take the plane's point, the
  // middle layer half of each of planes 3 and 4.
  const Int one = 1, pairs = 6;
  auto S = zeros(6 * 6);
  LXSAXA(S.data(), &nip, &kToNodes, &layers, &pairs, &nip, &one);
  for (int p = 0; p < 6; ++p)
    for (int n = 0; n < 6; ++n) {
      const double want = (p == 0 && n < 2) || (p == 5 && n >= 4) ? 1.0 : ((p == 2 || p == 3) && n / 2 == 1 ? 0.5 : 0.0);
      EXPECT_EQ(S[p + 6 * n], want) << "point " << p + 1 << " node " << n + 1;
    }
}

TEST(ExtrapolationMatrices, CopyMaps) {
  const Int eight = 8, nip8 = 8, one = 1, six = 6;
  auto N = zeros(64);
  const Int brick = 4001;
  LX222N(N.data(), &eight, &kToNodes, &brick, &nip8);
  const int nearest[8] = {1, 2, 4, 3, 5, 6, 8, 7};
  for (int n = 0; n < 8; ++n) EXPECT_EQ(N[nearest[n] - 1 + 8 * n], 1.0);
  EXPECT_EQ(std::count(N.begin(), N.end(), 1.0), 8);
  auto Nc = zeros(64);
  LX222N(Nc.data(), &eight, &kToCentre, &brick, &one);
  EXPECT_EQ(Nc[0], 1.0);
  auto Nw = zeros(36);
  const Int wedge = 4141;
  LX222N(Nw.data(), &six, &kToNodes, &wedge, &six);
  for (int n = 0; n < 6; ++n) EXPECT_EQ(Nw[n + 6 * n], 1.0);
  auto N1 = zeros(8);
  LX222N(N1.data(), &eight, &kToNodes, &brick, &one);
  EXPECT_EQ(N1, std::vector<double>(8, 1.0)) << "one point: every node takes it";
  auto Nm = zeros(64);
  LX222N(Nm.data(), &eight, &kToCentre, &brick, &nip8);
  EXPECT_NEAR(columnSum(Nm, 8, 1), 1.0, 1e-15);

  const Int three = 3;
  auto P = zeros(18);
  LXPSI(P.data(), &three, &kToNodes);
  const int source[6] = {1, 2, 2, 1, 3, 3};
  for (int n = 0; n < 6; ++n) EXPECT_EQ(P[source[n] - 1 + 3 * n], 1.0);
  auto Pc = zeros(18);
  LXPSI(Pc.data(), &three, &kToCentre);
  EXPECT_NEAR(columnSum(Pc, 3, 1), 1.0, 1e-15);

  auto G = zeros(4 * 8);
  const Int four = 4, gasket = 3801;
  LXTGASKET(G.data(), &eight, &four, &kToNodes, &gasket);
  for (int p = 0; p < 4; ++p) EXPECT_EQ(G[p + 4 * p] + G[p + 4 * (p + 4)], 2.0);
  auto Gc = zeros(9 * 18);
  const Int nine = 9, gasket3 = 3805;
  LXTGASKET(Gc.data(), &eight, &nine, &kToCentre, &gasket);
  EXPECT_EQ(Gc[8], 1.0);
  auto G3 = zeros(9);
  LXTGASKET(G3.data(), &six, &three, &kToCentre, &gasket3);
  EXPECT_EQ(G3[1], 1.0);
  // The other centre rules of the gasket: one point, or the mean of all points.
  struct Centre {
    Int nip, type;
    std::vector<double> column;
  };
  for (const Centre& c : {Centre{1, 3801, {1}}, Centre{3, 3801, {1.0 / 3, 1.0 / 3, 1.0 / 3}},
                          Centre{4, 3805, {0.25, 0.25, 0.25, 0.25}}}) {
    auto Gk = zeros(static_cast<std::size_t>(c.nip) * 8);
    LXTGASKET(Gk.data(), &eight, &c.nip, &kToCentre, &c.type);
    std::vector<double> want = zeros(Gk.size());
    std::copy(c.column.begin(), c.column.end(), want.begin());
    EXPECT_EQ(Gk, want) << c.nip << " points, type " << c.type;
  }

  auto R = zeros(9);
  LXTR3N(R.data(), &three, &kToNodes);
  EXPECT_EQ(R[0] + R[4] + R[8], 3.0);
  auto Y = sentinel(9);
  LXPY2(Y.data(), &three, &kToNodes);
  LXPY3(Y.data(), &three, &kToNodes);
  EXPECT_TRUE(std::all_of(Y.begin(), Y.end(), [](double v) { return std::isnan(v); }));
}

}  // namespace
