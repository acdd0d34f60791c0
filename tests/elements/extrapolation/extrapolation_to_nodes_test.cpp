// ELNEX chooses the rule its codes name; ELNEXT carries value sets to the nodes and prints its
// warning; ELNEXTRB accumulates rebar values with the first column.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "runtime/record.h"
#include "runtime/units.h"
#include "siblings/eqc/job_testing.h"
#include "siblings/eqc/records.h"
#include "tests/elements/extrapolation/matrix_test_support.h"
#include "tests/support/host_fixture.h"
#include "zmx/elements/extrapolation.h"

namespace {

using namespace extrapolation_test;

struct Case {
  const char* branch;
  Int type, nip, nn, dimension, selector, flag;
  std::function<void(double*)> reference;  // the rule ELNEX should have called, on a cleared matrix
  Int layers = 0, layerNodes = 0, perPlane = 0;
};

void constant(double* w, Int nip, Int columns) {
  for (Int n = 0; n < columns; ++n) w[nip * n] = 1.0;
}

TEST(ElnexDispatch, EachBranchCallsItsRule) {
  const std::vector<Case> cases = {
      {"selector, one point", 500, 1, 8, 3, 3, 1, [](double* w) { constant(w, 1, 8); }},
      {"selector, four points", 500, 4, 8, 3, 2, 1, [](double* w) { const Int nn = 8, s = 2, f = 1; LSOL2(w, &nn, &f, &s); }},
      {"selector, five points", 600, 5, 20, 3, 1, 1,
       [](double* w) { const Int T = 600, nn = 20, s = 1, f = 1; LSOL5(&T, w, &nn, &f, &s); }},
      {"selector, nine points", 521, 9, 22, 3, 3, 1,
       [](double* w) { const Int T = 521, nn = 22, s = 3, f = 1; LSOL3(&T, w, &nn, &f, &s); }},
      {"shell codes, four points", 151, 4, 8, 3, 0, 1, [](double* w) { const Int nn = 8, f = 1; LX22(w, &nn, &f); }},
      {"shell codes, three points", 3560, 3, 6, 3, 0, 1,
       [](double* w) { const Int nip = 3, m = 6, f = 1; LXTRI6(w, &nip, &m, &f); }},
      {"shell codes, nine points", 160, 9, 8, 3, 0, 1, [](double* w) { const Int nn = 8, f = 1; LX33(w, &nn, &f); }},
      {"shell codes, one point", 151, 1, 4, 3, 0, 1, [](double* w) { constant(w, 1, 4); }},
      {"line codes, quadratic", 1002, 3, 3, 3, 0, 1, [](double* w) { const Int n = 3, nip = 3, f = 1; LX2(w, &n, &nip, &f); }},
      {"line codes, three nodes", 1003, 3, 2, 3, 0, 1, [](double* w) { const Int n = 3, f = 1; LX3(w, &n, &f); }},
      {"line codes, constant", 1001, 2, 2, 3, 0, 1, [](double* w) { constant(w, 2, 2); }},
      {"pipe code 2511", 2511, 2, 3, 3, 0, 1, [](double* w) { const Int n = 3, nip = 2, f = 1; LX2(w, &n, &nip, &f); }},
      {"gasket", 3801, 4, 8, 3, 0, 1, [](double* w) { const Int nn = 8, nip = 4, f = 1, T = 3801; LXTGASKET(w, &nn, &nip, &f, &T); }},
      {"pipe-soil", 3621, 2, 4, 3, 0, 1, [](double* w) { const Int nip = 2, f = 1; LXPSI(w, &nip, &f); }},
      {"triangle 2001", 2001, 3, 3, 2, 0, 1, [](double* w) { const Int f = 1; LXTRI3(w, &f); }},
      {"triangle 2003", 2003, 3, 6, 2, 0, 1, [](double* w) { const Int nip = 3, m = 6, f = 1; LXTRI6(w, &nip, &m, &f); }},
      {"axisymmetric layers", 2601, 4, 6, 2, 0, 1,
       [](double* w) { const Int nip = 4, f = 1, L = 1, n = 3, pp = 2; LXSAXA(w, &nip, &f, &L, &n, &nip, &pp); }, 1, 3, 2},
      {"codes to 4000", 3000, 4, 4, 2, 0, 1, [](double* w) { const Int nn = 4, f = 1; LX22(w, &nn, &f); }},
      {"codes to 4000, one point", 3000, 1, 4, 2, 0, 1, [](double* w) { constant(w, 1, 4); }},
      {"5001", 5001, 8, 8, 3, 0, 1,
       [](double* w) { const Int nn = 8, f = 1, T = 5001, nip = 8; LX222N(w, &nn, &f, &T, &nip); }},
      {"5002", 5002, 9, 8, 2, 0, 1, [](double* w) { const Int nn = 8, f = 1; LX33(w, &nn, &f); }},
      {"5011", 5011, 3, 3, 2, 0, 1, [](double* w) { const Int f = 1; LXTRI3(w, &f); }},
      {"5012", 5012, 6, 6, 2, 0, 1, [](double* w) { const Int nip = 6, nn = 6, f = 1; LXTR66(w, &nip, &nn, &f); }},
      {"other codes from 5000", 6000, 3, 3, 2, 0, 1, [](double* w) { const Int n = 3, f = 1; LX3(w, &n, &f); }},
      {"4109", 4109, 6, 6, 2, 0, 1, [](double* w) { const Int nip = 6, nn = 6, f = 1; LXTR66(w, &nip, &nn, &f); }},
      {"4104", 4104, 3, 3, 2, 0, 1, [](double* w) { const Int nn = 3, f = 1; LXTR3N(w, &nn, &f); }},
      {"4022", 4022, 9, 8, 2, 0, 1, [](double* w) { const Int nn = 8, f = 1; LX33(w, &nn, &f); }},
      {"4021", 4021, 3, 3, 2, 0, 1, [](double* w) { const Int n = 3, nip = 3, f = 1; LX2(w, &n, &nip, &f); }},
      {"4001", 4001, 8, 8, 3, 0, 1,
       [](double* w) { const Int nn = 8, f = 1, T = 4001, nip = 8; LX222N(w, &nn, &f, &T, &nip); }},
      {"4142", 4142, 15, 10, 3, 0, 1, [](double* w) { const Int nn = 10, f = 1; LXTT15(w, &nn, &f); }},
      {"4144", 4144, 18, 15, 3, 0, 1, [](double* w) { const Int nn = 15, f = 1, T = 4144; LXTP9(w, &nn, &T, &f); }},
      {"4030", 4030, 27, 27, 3, 0, 1, [](double* w) { const Int nn = 27, f = 1, T = 4030; LX333(&T, w, &nn, &f); }},
      {"4301", 4301, 2, 4, 3, 0, 1, [](double* w) { constant(w, 2, 4); }},
      {"4321", 4321, 4, 4, 3, 0, 1, [](double* w) { const Int nn = 4, f = 1; LX22(w, &nn, &f); }},
      {"4341, fourteen points", 4341, 14, 20, 3, 0, 1,
       [](double* w) { const Int nn = 20, f = 1, T = 4341; LX222R(&T, w, &nn, &f); }},
      {"4341, eight points", 4341, 8, 20, 3, 0, 1, [](double* w) { const Int nn = 20, f = 1; LX222(w, &nn, &f); }},
      {"unlisted 4500", 4500, 8, 8, 3, 0, 1, [](double*) {}},
      {"brick, eight points", 520, 8, 20, 3, 0, 1, [](double* w) { const Int nn = 20, f = 1; LX222(w, &nn, &f); }},
      {"brick, 27 points", 520, 27, 27, 3, 0, 1,
       [](double* w) { const Int nn = 27, f = 1, T = 520; LX333(&T, w, &nn, &f); }},
      {"brick, fourteen points", 520, 14, 8, 3, 0, 1,
       [](double* w) { const Int nn = 8, f = 1, T = 520; LX222R(&T, w, &nn, &f); }},
      {"brick, three nodes", 520, 3, 3, 3, 0, 1, [](double* w) { const Int n = 3, nip = 3, f = 1; LX2(w, &n, &nip, &f); }},
      {"brick, one point", 520, 1, 8, 3, 0, 1, [](double* w) { constant(w, 1, 8); }},
      {"infinite brick, 27 points", 90, 27, 18, 3, 0, 1, [](double* w) { const Int nn = 18, f = 1; LX333I(w, &nn, &f); }},
      {"infinite brick, eight points", 99, 8, 18, 3, 0, 1,
       [](double* w) { const Int nn = 18, f = 1, T = 99; LX222I(w, &nn, &f, &T); }},
      {"T = 9 in three dimensions", 9, 8, 8, 3, 0, 1, [](double* w) { const Int nn = 8, f = 1; LX222(w, &nn, &f); }},
      {"T = 8 is planar", 8, 4, 8, 3, 0, 1, [](double* w) { const Int nn = 8, f = 1; LX22(w, &nn, &f); }},
      {"layered solid", 741, 8, 8, 3, 0, 1,
       [](double* w) { const Int nip = 8, f = 1, L = 2, n = 8, pp = 2; LXSOLA(w, &nip, &f, &L, &n, &nip, &pp); }, 2, 8, 2},
      {"modified triangle", 370, 3, 6, 2, 0, 1, [](double* w) { const Int nn = 6, f = 1; LXTRI6C(w, &nn, &f); }},
      {"modified tetrahedron", 374, 4, 10, 3, 0, 1, [](double* w) { const Int nn = 10, f = 1; LXTET10C(w, &nn, &f); }},
      {"tetrahedron, four points", 341, 4, 10, 3, 0, 1, [](double* w) { const Int nn = 10, f = 1; LXTT4(w, &nn, &f); }},
      {"wedge, two points", 342, 2, 6, 3, 0, 1, [](double* w) { const Int nn = 6, f = 1; LXTP2R(w, &nn, &f); }},
      {"wedge, nine points", 343, 9, 15, 3, 0, 1, [](double* w) { const Int nn = 15, f = 1, T = 343; LXTP9R(w, &nn, &T, &f); }},
      {"tetrahedron, fifteen points", 7044, 15, 10, 3, 0, 1, [](double* w) { const Int nn = 10, f = 1; LXTT15(w, &nn, &f); }},
      {"tetrahedron, other count", 345, 6, 10, 3, 0, 1, [](double* w) { constant(w, 6, 10); }},
      {"wedge codes 70-77", 72, 9, 15, 3, 0, 1, [](double* w) { const Int nn = 15, f = 1, T = 72; LXTP9R(w, &nn, &T, &f); }},
      {"one point per node", 201, 4, 8, 3, 0, 1,
       [](double* w) { for (int p = 0; p < 4; ++p) w[p + 4 * p] = w[p + 4 * (p + 4)] = 1.0; }},
      {"one point per node, centre, one point", 201, 1, 8, 3, 0, 0, [](double* w) { w[0] = 1.0; }},
      {"one point per node, centre, three points", 230, 3, 6, 3, 0, 0, [](double* w) { w[1] = 1.0; }},
      {"one point per node, centre, nine points", 4250, 9, 18, 3, 0, 0, [](double* w) { w[8] = 1.0; }},
      {"one point per node, centre, four points", 299, 4, 8, 3, 0, 0,
       [](double* w) { for (int p = 0; p < 4; ++p) w[p] = 0.25; }},
      {"3651 to the nodes", 3651, 3, 3, 3, 0, 1, [](double* w) { for (int n = 0; n < 3; ++n) w[n + 3 * n] = 1.0; }},
      {"planar, one point", 30, 1, 4, 2, 0, 1, [](double* w) { constant(w, 1, 4); }},
      {"planar, two points, three nodes", 30, 2, 3, 2, 0, 1,
       [](double* w) { const Int n = 3, nip = 2, f = 1; LX2(w, &n, &nip, &f); }},
      {"planar infinite, four points", 85, 4, 5, 2, 0, 1,
       [](double* w) { const Int nn = 5, f = 1, T = 85; LX22I(w, &nn, &f, &T); }},
      {"planar, three points", 30, 3, 6, 2, 0, 1, [](double* w) { const Int nip = 3, m = 6, f = 1; LXTRI6(w, &nip, &m, &f); }},
      {"planar infinite, nine points", 85, 9, 5, 2, 0, 1,
       [](double* w) { const Int nn = 5, f = 1, T = 85; LX33I(w, &nn, &f, &T); }},
      {"planar, nine points", 30, 9, 8, 2, 0, 1, [](double* w) { const Int nn = 8, f = 1; LX33(w, &nn, &f); }},
      {"two-node solid", 30, 2, 2, 3, 0, 1, [](double* w) { constant(w, 2, 2); }},
  };
  for (const Case& c : cases) {
    const std::size_t reals = static_cast<std::size_t>(c.nip) * std::max<Int>(c.nn, 27) + 64;
    auto got = zeros(reals), want = zeros(reals);
    const Real cylinder[3] = {0, 0, 0};
    ELNEX(got.data(), &c.flag, &c.layers, &c.layerNodes, &c.nip, &c.perPlane, &c.type, &c.nn, &c.dimension,
          &c.selector, cylinder);
    c.reference(want.data());
    EXPECT_EQ(got, want) << c.branch;
  }
}

TEST(ElnexDispatch, ConstantPointAndCentreEdges) {
  const Real cylinder[3] = {0, 0, 0};
  auto run = [&](Int type, Int nip, Int nn, Int flag, Int selector, Int nodesLayered = 0) {
    auto W = sentinel(static_cast<std::size_t>(nip) * std::max<Int>(nn, 3));
    const Int layers = 0, perPlane = 0, d = 3;
    ELNEX(W.data(), &flag, &layers, &nodesLayered, &nip, &perPlane, &type, &nn, &d, &selector, cylinder);
    return W;
  };
  // With the selector on and one point, three columns of ones for the three-column codes.
  const auto S = run(1003, 1, 2, 1, 1);
  EXPECT_EQ(S, std::vector<double>({1, 1, 1}));
  // 3651 with the centre flag: W(3, 3) = 1 only.
  const auto P = run(3651, 3, 3, 0, 0);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(P[k], k == 8 ? 1.0 : 0.0) << k;
  // One point per node with nine points and ten nodes: nodes 17 and 18 take point 9.
  const auto O = run(210, 9, 18, 1, 0, 0);
  EXPECT_EQ(O[8 + 9 * 16], 1.0);
  EXPECT_EQ(O[8 + 9 * 17], 1.0);
  EXPECT_EQ(O[0 + 9 * 8], 1.0);  // node 9 takes point 1 (offset 8)
  // ELNEX itself writes only within nip x max(nodes, 3), even where a rule's own size is larger:
  // a three-point line for one point, the 2 x 2 rule for two points, nodes p + nip past the nodes.
  struct Bounded {
    Int type, nip, nn, flag, layerNodes;
  };
  for (const Bounded b : {Bounded{1, 1, 3, 0, 0}, Bounded{3000, 2, 4, 1, 0}, Bounded{201, 4, 4, 1, 8}}) {
    const std::size_t room = static_cast<std::size_t>(b.nip) * std::max<Int>(b.nn, 3);
    auto W = sentinel(room + 64);
    const Int layers = 0, perPlane = 0, d = 3, noSelector = 0;
    ELNEX(W.data(), &b.flag, &layers, &b.layerNodes, &b.nip, &perPlane, &b.type, &b.nn, &d, &noSelector, cylinder);
    EXPECT_NEAR(W[0], b.type == 1 ? 0.0 : (b.type == 201 ? 1.0 : 1.8660254037844386), 1e-9) << b.type;
    for (std::size_t k = room; k < W.size(); ++k) EXPECT_TRUE(std::isnan(W[k])) << b.type << " entry " << k + 1;
  }
  // ELNEXT passes the same room: a three-point line into a one-point array keeps to it.
  std::vector<double> room = sentinel(3 + 8);
  const Int ld = 1, ncomp = 1, nip = 1, K = 1, flag = 1, zero = 0, type = 520, nn = 3, d = 3;
  const Real V[1] = {2.0};
  Real O2[3] = {0, 0, 0};
  ELNEXT(V, O2, room.data(), &ld, &ncomp, &nip, &K, &flag, &zero, &zero, &zero, &type, &nn, &d, &zero, &zero, &zero,
         cylinder);
  for (int k = 3; k < 11; ++k) EXPECT_TRUE(std::isnan(room[k])) << k;
}

class Elnext : public zmxtest::HostFixture {};

TEST_F(Elnext, CarriesEveryValueSetToTheNodesAndLeavesOtherRowsAlone) {
  // Twenty-node brick, 2 x 2 x 2 points, K value sets of ncomp components in rows of ld: fewer
  // components than rows, rows filled by the components, and more than eight components.
  struct Shape {
    Int ld, ncomp, K;
  };
  for (const Shape s : {Shape{6, 4, 3}, Shape{3, 3, 3}, Shape{10, 9, 1}, Shape{11, 11, 2}}) {
    const Int ld = s.ld, ncomp = s.ncomp, nip = 8, K = s.K, flag = 1, zero = 0, type = 520, nn = 20, d = 3;
    const auto points = lattice(3, gauss2());
    const auto nodes = brickNodes();
    std::vector<double> V(ld * K * nip), O = sentinel(ld * K * nn), W(nip * nn);
    auto field = [](int i, int k, const Pt& x) {
      return 0.5 + i - 2.0 * k * x[0] + 0.25 * (i + 1) * x[1] + k * x[2] * x[0];
    };
    for (int p = 0; p < nip; ++p)
      for (int k = 0; k < K; ++k)
        for (int i = 0; i < ld; ++i) V[i + ld * (k + K * p)] = i < ncomp ? field(i, k, points[p]) : 99.0;
    const Real cylinder[3] = {0, 0, 0};
    ELNEXT(V.data(), O.data(), W.data(), &ld, &ncomp, &nip, &K, &flag, &zero, &zero, &zero, &type, &nn, &d, &zero,
           &zero, &zero, cylinder);
    for (int m = 0; m < nn; ++m)
      for (int k = 0; k < K; ++k)
        for (int i = 0; i < ld; ++i) {
          const double got = O[i + ld * (k + K * m)];
          if (i < ncomp)
            EXPECT_NEAR(got, field(i, k, nodes[m]), 1e-12) << ld << "/" << ncomp << " node " << m + 1 << " set " << k + 1;
          else
            EXPECT_TRUE(std::isnan(got)) << "row " << i + 1 << " must stay";
        }
  }
}

TEST_F(Elnext, CentreOutputsAndThePointThreeCodes) {
  const Real cylinder[3] = {0, 0, 0};
  // Layered solid with the centre flag: 2 x layers output positions, one per plane.
  {
    const Int ld = 1, ncomp = 1, nip = 16, K = 1, flag = 0, layers = 2, layerNodes = 8, perPlane = 4, type = 741,
              nn = 8, d = 3, zero = 0;
    std::vector<double> V(16), O = sentinel(8), W(16 * 8);
    for (int p = 0; p < 16; ++p) V[p] = p / 4;  // plane L holds L - 1
    ELNEXT(V.data(), O.data(), W.data(), &ld, &ncomp, &nip, &K, &flag, &layers, &layerNodes, &perPlane, &type, &nn,
           &d, &zero, &zero, &zero, cylinder);
    for (int L = 0; L < 4; ++L) EXPECT_NEAR(O[L], L, 1e-12);
    EXPECT_TRUE(std::isnan(O[4]));
  }
  // 3651: every value set takes point 3's value times the third column's sum.
  {
    const Int ld = 2, ncomp = 2, nip = 3, K = 2, flag = 0, zero = 0, type = 3651, nn = 3, d = 3;
    const std::vector<double> V{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    std::vector<double> O = sentinel(12), W(9);
    ELNEXT(V.data(), O.data(), W.data(), &ld, &ncomp, &nip, &K, &flag, &zero, &zero, &zero, &type, &nn, &d, &zero,
           &zero, &zero, cylinder);
    EXPECT_EQ(O[0], 5.0);
    EXPECT_EQ(O[1], 6.0);
    EXPECT_EQ(O[2], 5.0);
    EXPECT_EQ(O[3], 6.0);
    EXPECT_TRUE(std::isnan(O[4]));
  }
  // Codes 1003, 1013, 1103, 1113: three output positions with either flag.
  {
    const Int ld = 1, ncomp = 1, nip = 3, K = 1, flag = 0, zero = 0, type = 1013, nn = 2, d = 3;
    const std::vector<double> V{1, 4, 9};
    std::vector<double> O = sentinel(4), W(9);
    ELNEXT(V.data(), O.data(), W.data(), &ld, &ncomp, &nip, &K, &flag, &zero, &zero, &zero, &type, &nn, &d, &zero,
           &zero, &zero, cylinder);
    for (int m = 0; m < 3; ++m) EXPECT_FALSE(std::isnan(O[m]));
    EXPECT_TRUE(std::isnan(O[3]));
    EXPECT_NEAR(O[0], 4.0, 1e-12);  // the centre: the middle point of the three-point line
  }
}

TEST_F(Elnext, ConstantThroughThicknessWarningMatchesItsGoldenFile) {
  const Int unit = 66;
  ASSERT_EQ(fio::openMemory(unit), 0);
  rec::i(CLINES, eqc_records::kPrintUnit) = unit;
  eqc_job_testing::resetPaging();
  const Real cylinder[3] = {0, 0, 0};
  const Int ld = 1, ncomp = 1, nip = 4, K = 1, flag = 1, zero = 0, type = 500, nn = 8, d = 3, key = 6, selector = 3;
  std::vector<double> V{1, 2, 3, 4}, O(8), W(32);
  for (Int print : {1, 2}) {
    ELNEXT(V.data(), O.data(), W.data(), &ld, &ncomp, &nip, &K, &flag, &zero, &zero, &zero, &type, &nn, &d, &print,
           &key, &selector, cylinder);
  }
  const Int otherKey = 5;
  const Int two = 2;
  ELNEXT(V.data(), O.data(), W.data(), &ld, &ncomp, &nip, &K, &flag, &zero, &zero, &zero, &type, &nn, &d, &two,
         &otherKey, &selector, cylinder);
  EXPECT_EQ(eqc_job_testing::pagingCalls(), std::vector<int>({3, 3}));
  std::ifstream golden(std::string(ZMX_SOURCE_DIR) + "/tests/golden/extrapolation_warning.txt");
  std::stringstream expected;
  expected << golden.rdbuf();
  EXPECT_EQ(fio::memoryText(unit), expected.str());
  fio::close(unit);
}

TEST(Elnextrb, AdvancesItsSourceColumnOncePerPoint) {
  // Two points with the centre flag of a two-point line: W(p, 1) = 0.5. Rows 1-2 values, row 3 the
  // identifier; two output columns one column apart.
  const Int ld = 3, ncomp = 2, nip = 2, nc = 2, stride = 1, flag = 0, zero = 0, type = 2511, nn = 3, d = 3;
  const Real cylinder[3] = {0, 0, 0};
  auto run = [&](const std::vector<double>& ids) {
    std::vector<double> V(3 * 6), O = sentinel(3 * 2), W(6);
    for (int c = 0; c < 6; ++c) {
      V[3 * c] = 10.0 * (c + 1);
      V[3 * c + 1] = c + 1;
      V[3 * c + 2] = ids[c];
    }
    ELNEXTRB(V.data(), O.data(), W.data(), &ld, &ncomp, &nip, &nc, &stride, &flag, &zero, &zero, &zero, &type, &nn,
             &d, &zero, cylinder);
    EXPECT_TRUE(std::isnan(O[2]) && std::isnan(O[5])) << "row ld is not an output row";
    return std::vector<double>{O[0], O[1], O[3], O[4]};
  };
  // Equal identifiers: point 1 reads columns 1, 2 and point 2 columns 3, 4.
  EXPECT_EQ(run({7, 7, 7, 7, 7, 7}), std::vector<double>({20, 2, 30, 3}));
  // Different identifiers skip one further column: point 2 reads columns 4, 5.
  EXPECT_EQ(run({7, 8, 7, 8, 7, 8}), std::vector<double>({25, 2.5, 35, 3.5}));
  // A zero first identifier does not skip.
  EXPECT_EQ(run({0, 8, 0, 8, 0, 8}), std::vector<double>({20, 2, 30, 3}));
}

}  // namespace
