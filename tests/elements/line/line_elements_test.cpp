// Beams, trusses and frames: orientation points, the side of the nodal normals, section directions
// and the section points of beam sections.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "siblings/eqc/orientation_points.h"
#include "tests/elements/element_model.h"
#include "tests/support/mapped_array.h"
#include "zmx/elements/line.h"

namespace {

using namespace element_model;

double slotOf(int value) { return eqc_testing::integerSlot(value); }

// Type-23 records: the count, then (element, point) in ascending element order.
void orientationPoints(const std::vector<std::pair<int, std::array<Real, 3>>>& points) {
  std::vector<std::vector<double>> records{{0.0, slotOf(static_cast<int>(points.size()))}};
  for (const auto& [element, p] : points) records.push_back({0.0, slotOf(element), 0.0, p[0], p[1], p[2]});
  eqc_testing::setOrientationRecords(records);
}

Real dot3(const Real* a, const Real* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

class LineElements : public ElementTest {
 protected:
  void TearDown() override {
    eqc_testing::setOrientationRecords({});
    ElementTest::TearDown();
  }
};

TEST_F(LineElements, OrientationPointsFoundMissingAndStoppedAtAHigherElement) {
  orientationPoints({{5, {1, 2, 3}}, {7, {4, 5, 6}}, {9, {7, 8, 9}}});
  Real p[3] = {};
  Int flag = -5;
  for (const auto& [element, want] : std::vector<std::pair<Int, Int>>{{7, 0}, {6, 1}, {10, 1}, {5, 0}}) {
    NGNORX(p, &element, &flag);
    EXPECT_EQ(flag, want) << element;
  }
  EXPECT_EQ(std::vector<Real>(p, p + 3), std::vector<Real>({1, 2, 3}));
  // A higher element number ends the scan: a later record for the element is never reached.
  orientationPoints({{5, {1, 2, 3}}, {8, {0, 0, 0}}, {6, {4, 5, 6}}});
  const Int six = 6;
  NGNORX(p, &six, &flag);
  EXPECT_EQ(flag, 1);
  orientationPoints({});
  NGNORX(p, &six, &flag);
  EXPECT_EQ(flag, 1);
  eqc_testing::setOrientationRecords({});
  NGNORX(p, &six, &flag);
  EXPECT_EQ(flag, 1) << "no record at all";
}

TEST_F(LineElements, PlanarBeamNormalsTurnedToTheSideOfTheAxisNormal) {
  std::mt19937 random(7);
  std::uniform_real_distribution<Real> u(-1.0, 1.0);
  for (int trial = 0; trial < 20; ++trial) {
    const bool three = trial % 2 == 1;
    Coordinates nodes;
    for (int k = 0; k < (three ? 3 : 2); ++k) nodes.push_back({u(random), u(random), 0.0, u(random), u(random)});
    build({.family = 101, .nodes = nodes, .words = {{14, 2}}, .variables = {reals(18, 2 * (three ? 3 : 2))},
           .sublayouts = {{reals(17, 1), reals(27, 2), reals(52, 2), reals(53, 1)},
                          {reals(17, 1), reals(27, 2), reals(52, 2), reals(53, 1)}}});
    const std::vector<Real> given = X;
    LBG002(X.data(), &ldim, &handle, &status);
    const int e = three ? 3 : 2;
    const Real m[2] = {-(given[5 * (e - 1) + 1] - given[1]), given[5 * (e - 1)] - given[0]};
    const auto stored = variable(18, 2 * e);
    for (int j = 1; j <= e; ++j) {
      const Real* n = &given[5 * (j - 1) + 3];
      const Real sign = m[0] * n[0] + m[1] * n[1] < 0.0 ? -1.0 : 1.0;
      EXPECT_EQ(x(4, j), sign * n[0]);
      EXPECT_EQ(x(5, j), sign * n[1]);
      EXPECT_EQ(stored[2 * (j - 1)], x(4, j));
      EXPECT_EQ(stored[2 * (j - 1) + 1], x(5, j));
    }
    // Section point k: the checks' variables 17 and 27 copied into 53 and 52.
    EXPECT_EQ(variable(53, 1, 2), std::vector<Real>({102.0}));
    EXPECT_EQ(variable(52, 2, 2), std::vector<Real>({202.0, 302.0}));
    EXPECT_EQ(callsNamed("EQC_3NLINE_ERRWARN").size(), three ? 1u : 0u);
    eqc_checks_testing::clearCalls();
  }
}

TEST_F(LineElements, SpatialBeamSectionDirectionsAreUnitAndOrthogonal) {
  std::mt19937 random(11);
  std::uniform_real_distribution<Real> u(-1.0, 1.0);
  for (int trial = 0; trial < 20; ++trial) {
    const int n = trial % 2 == 0 ? 2 : 3;
    Coordinates nodes;
    for (int k = 0; k < n; ++k) nodes.push_back({u(random), u(random), u(random), u(random), u(random), u(random)});
    // The section record in the slide-line database: a = reals 8 to 10.
    std::vector<double> record(11, 0.0);
    const Real a[3] = {u(random), u(random), u(random)};
    record[6] = a[0], record[7] = a[1], record[8] = a[2];
    eqc_testing::setSlideLineStore({});
    const Int address = eqc_testing::appendSlideLineSlots(record);
    build({.family = 103, .nodes = nodes, .words = {{14, 1}}, .variables = {reals(18, 6 * n)},
           .sublayouts = {{reals(17, 3), reals(27, 6), reals(52, 6), reals(53, 3)}}, .section = address});
    const std::vector<Real> given = X;
    std::vector<Real> section(16, 0.0);
    LBG102(X.data(), &ldim, section.data(), &handle, &status);
    const int e = n == 3 ? 3 : 2;
    Real t[3], m[3];
    for (int r = 0; r < 3; ++r) t[r] = given[6 * (e - 1) + r] - given[r];
    m[0] = t[1] * a[2] - t[2] * a[1], m[1] = t[2] * a[0] - t[0] * a[2], m[2] = t[0] * a[1] - t[1] * a[0];
    const auto stored = variable(18, 6 * n);
    for (int j = 1; j <= n; ++j) {
      const Real sign = dot3(m, &given[6 * (j - 1) + 3]) < 0.0 ? -1.0 : 1.0;
      for (int r = 0; r < 3; ++r) EXPECT_EQ(x(4 + r, j), sign * given[6 * (j - 1) + 3 + r]);
      const Real* b = &stored[6 * (j - 1)];
      EXPECT_NEAR(dot3(b, b), 1.0, 1e-14);
      EXPECT_NEAR(dot3(b, &stored[6 * (j - 1) + 3]), 0.0, 1e-14) << "b is orthogonal to the normal";
    }
    EXPECT_EQ(variable(53, 3, 1), std::vector<Real>({100, 101, 102}));
    EXPECT_EQ(variable(52, 6, 1), std::vector<Real>({200, 201, 202, 203, 204, 205}));
  }
  // The section record read for a goes on into a section array whose block holds it.
  {
    std::vector<double> record(11, 0.0);
    record[6] = 0.25, record[7] = 0.5, record[8] = 0.75;
    eqc_testing::setSlideLineStore({});
    const Int address = eqc_testing::appendSlideLineSlots(record);
    build({.family = 103, .nodes = {{0, 0, 0, 0, 0, 1}, {1, 0, 0, 0, 0, 1}}, .words = {{14, 0}},
           .variables = {reals(18, 12)}, .section = address});
    zmxtest::MappedArray mapped(16);
    LBG102(X.data(), &ldim, mapped.data(), &handle, &status);
    EXPECT_EQ(rec::slotI(mapped.data(), 1), 12);
    EXPECT_EQ(std::vector<Real>(mapped.data() + 7, mapped.data() + 10), std::vector<Real>({0.25, 0.5, 0.75}));
    EXPECT_TRUE(mapped.guardsKept());
  }
  // A normal along the axis: coinciding directions, filed once per node under -2016.
  eqc_testing::clearMessages();
  build({.family = 103, .nodes = {{0, 0, 0, 1, 0, 0}, {2, 0, 0, 0, 0, 1}}, .words = {{14, 0}},
         .variables = {reals(18, 12)}});
  rec::i(CPROG, eqc_records::kProgramKind) = 1;
  std::vector<Real> section(16, 0.0);
  LBG102(X.data(), &ldim, section.data(), &handle, &status);
  EXPECT_EQ(eqc_testing::filed(-2016), std::vector<int>({501}));
  const auto stored = variable(18, 12);
  EXPECT_EQ(std::vector<Real>(stored.begin(), stored.begin() + 3), std::vector<Real>({0, 0, 0}));
  EXPECT_NEAR(stored[7], 1.0, 1e-15) << "node 2: b = N x T = z x x = y";
}

TEST_F(LineElements, SpatialBeamOrientationPointOutranksTheSectionDirection) {
  // Axis along x. The section record's direction (0, 1, 0) gives m = t x a = z, which turns no
  // normal in the x-y plane; the orientation point (0, 0, 5) gives a = z and m = x x z = -y, so a
  // normal along +y is turned and one along -y kept.
  std::vector<double> record(11, 0.0);
  record[7] = 1.0;
  eqc_testing::setSlideLineStore({});
  const Int address = eqc_testing::appendSlideLineSlots(record);
  for (const bool point : {false, true}) {
    orientationPoints(point ? std::vector<std::pair<int, std::array<Real, 3>>>{{501, {0, 0, 5}}}
                            : std::vector<std::pair<int, std::array<Real, 3>>>{});
    build({.family = 103, .nodes = {{0, 0, 0, 0, 1, 0}, {2, 0, 0, 0, -1, 0}}, .words = {{14, 0}},
           .variables = {reals(18, 12)}, .section = address});
    std::vector<Real> section(16, 0.0);
    LBG102(X.data(), &ldim, section.data(), &handle, &status);
    EXPECT_EQ(x(5, 1), point ? -1.0 : 1.0) << point;
    EXPECT_EQ(x(5, 2), -1.0) << point;
  }
}

TEST_F(LineElements, ThickBeamAndFrameUseTheOrientationPoint) {
  // LTHBM: point (0, 5, 0) off an axis along x; normals opposite y get reversed.
  orientationPoints({{501, {0, 5, 0}}});
  build({.family = 104, .nodes = {{0, 0, 0, 0, -1, 0}, {2, 0, 0, 0, 1, 0}, {0, 0, 0, 0, 0, 0}},
         .words = {{14, 1}, {8, 2}, {36, 2}}, .variables = {reals(18, 12)}, .sublayouts = {{reals(27, 6), reals(52, 6)}}});
  std::vector<Real> section(16, 0.0), data(8, 0.0);
  LTHBM(section.data(), X.data(), &ldim, data.data(), &handle, &status);
  EXPECT_EQ(std::vector<Real>(X.begin() + 12, X.begin() + 15), std::vector<Real>({0, 5, 0})) << "column w8 + 1";
  const auto stored = variable(18, 12);
  // m = t x a = x x y = z: both normals have m . n = 0 and stay; b = (n1 + n2) x t = 0 -> stays zero.
  EXPECT_EQ(std::vector<Real>(stored.begin() + 3, stored.begin() + 6), std::vector<Real>({0, -1, 0}));
  EXPECT_EQ(variable(52, 6, 1), std::vector<Real>({200, 201, 202, 203, 204, 205}));
  // With a normal off the axis plane: b = s x t normalised.
  build({.family = 104, .nodes = {{0, 0, 0, 0, 1, 1}, {2, 0, 0, 0, 1, 1}, {0, 0, 0, 0, 0, 0}},
         .words = {{14, 0}, {8, 2}, {36, 2}}, .variables = {reals(18, 12)}});
  LTHBM(section.data(), X.data(), &ldim, data.data(), &handle, &status);
  const auto turned = variable(18, 12);
  EXPECT_NEAR(turned[1], 1.0 / std::sqrt(2.0), 1e-15);
  EXPECT_NEAR(turned[2], -1.0 / std::sqrt(2.0), 1e-15);

  // Without a usable orientation the normal cannot be formed: the point on node 1, or no point
  // and a section direction of zero length. Each names its cause once, at level -2, and the
  // routine goes on to store its axes.
  struct Missing {
    bool point;
    const char* cause;
  };
  for (const Missing m : {Missing{true, "CHECK THE COORDINATES OF THE NODE USED TO DEFINE THE BEAM SECTION ORIENTATION"},
                          Missing{false, "CHECK THE INPUT GIVEN UNDER *BEAM SECTION OR *BEAM GENERAL SECTION"}}) {
    orientationPoints(m.point ? std::vector<std::pair<int, std::array<Real, 3>>>{{501, {1, 1, 1}}}
                              : std::vector<std::pair<int, std::array<Real, 3>>>{});
    eqc_testing::clearMessages();
    build({.family = 104, .nodes = {{1, 1, 1, 0, 0, 1}, {3, 1, 1, 0, 0, 1}, {0, 0, 0, 0, 0, 0}},
           .words = {{14, 0}, {8, 2}, {36, 2}}, .variables = {reals(18, 12)}});
    std::vector<Real> none(16, 0.0);
    LTHBM(none.data(), X.data(), &ldim, data.data(), &handle, &status);
    ASSERT_EQ(eqc_testing::countAtLevel(-2), 1) << m.cause;
    EXPECT_TRUE(eqc_testing::printed(std::string("THE NORMAL TO ELEMENT 501 CANNOT BE CALCULATED. ") + m.cause));
    EXPECT_EQ(variable(18, 12)[5], 1.0) << "the normals are still stored";
  }

  // Frame: the orientation at right angles to the axis, in the plane of axis and point.
  orientationPoints({{501, {1, 3, 4}}});
  build({.family = 414, .type = 3652, .nodes = {{0, 0, 0}, {3, 0, 0}}, .variables = {reals(18, 6)}});
  SHR_FRAMEG(X.data(), &ldim, section.data(), &handle, &status);
  const auto v = variable(18, 6);
  EXPECT_NEAR(v[0], 0.0, 1e-15);
  EXPECT_NEAR(v[1], 0.6, 1e-15);
  EXPECT_NEAR(v[2], 0.8, 1e-15);
  EXPECT_EQ(v[3], v[0]);
}

TEST_F(LineElements, ThickBeamChecksSeeTheAxesItStores) {
  // Stored before: b of node 1 along z, of node 2 along -z; normals that are about to change.
  const std::vector<Real> before = {0, 0, 1, 7, 7, 7, 0, 0, -1, 7, 7, 7};
  const Coordinates nodes = {{0, 0, 0, 0, -1, 0}, {2, 0, 0, 0.6, 0.8, 0}, {0, 0, 0, 0, 0, 0}};
  std::vector<Real> section(16, 0.0), data(8, 0.0);
  section[8] = 1.0;  // the section's orientation a = (0, 1, 0)
  for (const Int kind : {0, 1, 2}) {
    eqc_checks_testing::clearCalls();
    build({.family = 104, .nodes = nodes, .words = {{14, 2}, {8, 2}, {36, 2}},
           .variables = {{18, false, before}},
           .sublayouts = {{reals(27, 6), reals(52, 6)}, {reals(27, 6), reals(52, 6)}}});
    rec::i(CPROG, eqc_records::kProgramKind) = kind;
    LTHBM(section.data(), X.data(), &ldim, data.data(), &handle, &status);
    const auto stored = variable(18, 12);
    const auto checks = callsNamed("EQC_LTHBMG");
    ASSERT_EQ(checks.size(), 2u) << kind;
    for (const auto& check : checks) EXPECT_EQ(check.reals, stored) << "kind " << kind << ": the stored axes";
    // The normals are always renewed from the coordinates, as they stand after the side check.
    for (int j = 1; j <= 2; ++j)
      for (int r = 0; r < 3; ++r) EXPECT_EQ(stored[6 * (j - 1) + 3 + r], x(4 + r, j)) << kind;
    if (kind == 0) {
      // b = (n1 + n2) x t, normalised: (0.6, -0.2, 0) x (2, 0, 0) points along +z.
      EXPECT_NEAR(stored[2], 1.0, 1e-15);
      EXPECT_EQ(stored[2], stored[8]);
    } else {
      EXPECT_EQ(std::vector<Real>(stored.begin(), stored.begin() + 3), std::vector<Real>({0, 0, 1}));
      EXPECT_EQ(std::vector<Real>(stored.begin() + 6, stored.begin() + 9), std::vector<Real>({0, 0, -1}))
          << "the stored b of node 2 is kept";
    }
  }
}

TEST_F(LineElements, TrussAddsItsMeasureUnlessItsSectionIsExcluded) {
  eqc_checks_testing::setMeasures(2.5);
  rec::i(CSLEF, 31) = 100, rec::i(CSLEF, 13) = 200;
  const std::vector<Int> rec = {1, 0, 0, 1, 0, 0, 3};
  std::vector<Int> words(80, 0);
  words[6] = 3, words[35] = 3;
  X = {0, 0, 0, 1, 0, 0, 2, 0, 0};
  ldim = 3;
  const Int element = 12;
  for (const Int address : {99, 100, 199, 200}) {
    LTRUSG(&element, &address, words.data(), &status, X.data(), &ldim);
  }
  EXPECT_EQ(rec::i(CPHCON, 1), 2);
  EXPECT_EQ(rec::r(CPHCON, 11), 5.0);
  EXPECT_EQ(callsNamed("EQC_3NLINE_ERRWARN").size(), 4u);
  EXPECT_EQ(callsNamed("EQC_LTRUSG_ERRWARN")[0].coordinates, std::vector<Real>({0, 0, 0, 1, 0, 0, 2, 0, 0}));
}

TEST_F(LineElements, SectionPointsOfDamagedCountsStayInTheirOutput) {
  // Counts near the integer limit in every kind: no overflow while the points are numbered (the
  // sanitizer run checks), four to six points as usual.
  const int big = 2147483647, least = -2147483647 - 1;
  for (const int kind : {2, 3, 4, 5, 6, 7, 10, 11}) {
    for (const int value : {big, big - 1, least, -1}) {
      std::vector<double> s(40, 0.0), out(20, 0.0);
      s[0] = slotOf(40), s[3] = slotOf(kind), s[18] = slotOf(value), s[19] = slotOf(value), s[20] = slotOf(value);
      Int count = 0;
      ESXBM(s.data(), out.data(), &count);
      EXPECT_GE(count, 3) << kind << " " << value;
      EXPECT_LE(count, 6) << kind << " " << value;
    }
  }
  // Kind 12 with a point count near the limit and no count given: an output record that lies in
  // the address space is written only within its block, with the system error.
  rec::i(CPROG, eqc_records::kProgramKind) = 2;
  for (const int points : {big, big - 1, 100}) {
    std::vector<double> s(40, 0.0);
    s[0] = slotOf(40), s[3] = slotOf(12), s[4] = slotOf(big), s[5] = slotOf(30), s[29] = slotOf(points);
    zmxtest::MappedArray out(40);
    Int count = 0;
    eqc_testing::clearMessages();
    ESXBM(s.data(), out.data(), &count);
    EXPECT_EQ(count, 30) << points;
    EXPECT_TRUE(out.guardsKept()) << points;
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 1) << points;
  }
}

TEST_F(LineElements, SectionPointsOfEveryKind) {
  auto section = [](int kind, int a, int b, int c, int s5 = 0, int s6 = 0, std::vector<std::pair<int, int>> extra = {}) {
    std::vector<double> s(40, 0.0);
    s[0] = slotOf(40);  // the record's length
    s[3] = slotOf(kind), s[18] = slotOf(a), s[19] = slotOf(b), s[20] = slotOf(c), s[4] = slotOf(s5), s[5] = slotOf(s6);
    for (auto [slot, value] : extra) s[slot - 1] = slotOf(value);
    return s;
  };
  auto points = [](const std::vector<double>& s, Int count = 0) {
    std::vector<double> out(20, 0.0);
    ESXBM(s.data(), out.data(), &count);
    std::vector<Int> p;
    for (Int k = 0; k < count; ++k) p.push_back(rec::slotI(out.data(), 11 + k));
    return p;
  };
  EXPECT_EQ(points(section(2, 9, 0, 0)), std::vector<Int>({1, 3, 5, 7}));
  EXPECT_EQ(points(section(3, 5, 4, 0)), std::vector<Int>({1, 5, 8, 12}));
  EXPECT_EQ(points(section(4, 5, 3, 0)), std::vector<Int>({5, 8, 11, 14}));
  EXPECT_EQ(points(section(5, 5, 4, 3)), std::vector<Int>({1, 5, 8, 10}));
  EXPECT_EQ(points(section(6, 5, 4, 0)), std::vector<Int>({1, 5, 16, 20}));
  EXPECT_EQ(points(section(7, 5, 0, 0)), std::vector<Int>({1, 5, 9, 13, 17, 21}));
  EXPECT_EQ(points(section(9, 3, 0, 0)), std::vector<Int>({1, 3, 5, 7, 9, 11}));
  EXPECT_EQ(points(section(10, 3, 4, 0)), std::vector<Int>({1, 4, 9, 12}));
  EXPECT_EQ(points(section(11, 3, 4, 0)), std::vector<Int>({1, 4, 6}));
  EXPECT_TRUE(points(section(8, 3, 4, 0)).empty());
  // Kind 12: s from the slot named by slot 6; s + 1 points unless 2s + 1 exceeds slot 5.
  const auto codes = points(section(12, 6, 0, 0, 20, 30, {{30, 4}}));  // count s + 1, three codes
  ASSERT_EQ(codes.size(), 5u);
  EXPECT_EQ(std::vector<Int>(codes.begin(), codes.begin() + 3), std::vector<Int>({-1, 5, 4}));
  rec::i(CPROG, eqc_records::kProgramKind) = 2;
  EXPECT_EQ(points(section(12, 6, 0, 0, 20, 30, {{30, 4}})), std::vector<Int>({1, 3, 5, 7, 9}));
  EXPECT_EQ(points(section(12, 6, 0, 0, 8, 30, {{30, 4}})), std::vector<Int>({1, 3, 5, 7}));
  // A count given on entry bounds what is written, with a system error.
  std::vector<double> out(20, 0.0);
  Int count = 2;
  const auto s = section(12, 6, 0, 0, 20, 30, {{30, 4}});
  ESXBM(s.data(), out.data(), &count);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(rec::slotI(out.data(), 13), 0) << "nothing beyond the given count";
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ESXBM"));
  // Slot 6 naming a slot past the record's length: reported, nothing read or written.
  eqc_testing::clearMessages();
  out.assign(20, 0.0);
  count = 0;
  const auto past = section(12, 6, 0, 0, 20, 41);
  ESXBM(past.data(), out.data(), &count);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(out, std::vector<double>(20, 0.0));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
}

}  // namespace
