// ELGGEN sends each family to its check with the record words the check reads, checks radial
// coordinates, and the characteristic length gains each element's scaled measure.
#include <gtest/gtest.h>

#include <cmath>

#include "runtime/address_space.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/eqc/eqc_messages.h"
#include "tests/elements/geometry/geometry_harness.h"

namespace {

using namespace geometry_test;
using eqc_checks_testing::CheckCall;

constexpr Real kMeasure = 6.0;

std::vector<std::string> names(const std::vector<CheckCall>& calls) {
  std::vector<std::string> n;
  for (const auto& c : calls) n.push_back(c.name);
  return n;
}

struct Row {
  Int family, type;
  int nodes;
  Words words;
  std::vector<std::string> checks;
};

TEST_F(GeometryTest, EveryFamilyReachesItsCheck) {
  const std::vector<Row> rows = {
      {2, 1, 3, {{14, 1}}, {"EQC_LC2DGT_ERRWARN"}},
      {4, 1, 6, {{14, 3}}, {"EQC_LC2DGT_ERRWARN"}},
      {2, 1, 4, {{14, 1}}, {"EQC_LC2DGR_ERRWARN"}},
      {2, 1, 4, {{14, 2}}, {"EQC_LC2DG_ERRWARN"}},
      {4, 1, 8, {{14, 4}}, {"EQC_LC2DG_ERRWARN"}},
      {5, 1, 4, {{14, 1}}, {"EQC_LC2DG_ERRWARN"}},
      {9, 1, 4, {{14, 1}}, {"EQC_LC2DG_ERRWARN"}},
      {9, 1, 6, {{14, 3}}, {"EQC_LC2DGT_ERRWARN"}},
      {8, 1, 4, {{14, 1}}, {"EQC_LC2DGR_ERRWARN"}},
      {3, 1, 20, {{14, 8}}, {"EQC_LC3DG_CHECK_ERRWARN"}},
      {3, 1, 8, {{14, 8}}, {"EQC_LC3DGT_ERRWARN"}},
      {6, 1, 8, {{14, 8}, {15, 8}}, {"EQC_LC3DG2"}},
      {7, 1, 8, {{14, 8}, {15, 8}}, {"EQC_LC3DG2"}},
      {10, 1, 5, {{14, 2}}, {"EQC_LINF2D"}},
      {11, 1, 18, {{14, 8}}, {"EQC_LINF3D"}},
      {12, 1, 7, {}, {"EQC_LC2DG6C"}},
      {14, 1, 7, {}, {"EQC_LC2DG6C"}},
      {13, 1, 11, {}, {"EQC_LC3DG10C"}},
      {62, 1, 3, {{9, 3}}, {"EQC_LACIN2DAX"}},
      {63, 1, 4, {{9, 4}}, {"EQC_LACIN3D"}},
      {64, 1, 3, {{9, 3}}, {"EQC_LACIN2DAX"}},
      {204, 1, 4, {}, {"EQC_LSGBAT"}},
      {213, 1, 4, {{14, 4}}, {"EQC_LMEMG_CHECK", "EQC_2NDORDER_DISTORTIONCHECK"}},
      {214, 7, 3, {{14, 2}}, {"EQC_LAXMEMG", "EQC_3NLINE_ERRWARN"}},
      {419, 7, 2, {{14, 2}}, {"EQC_LAXMEMG"}},
      {307, 252, 4, {{14, 1}}, {"EQC_LRIGS"}},
      {402, 3103, 2, {}, {"EQC_LSPRING"}},
      {410, 224, 4, {}, {"EQC_LRIGID_CHECK"}},
      {420, 1, 4, {{14, 4}}, {"EQC_LSURFELEG_CHECK"}},
  };
  for (const Row& r : rows) {
    eqc_checks_testing::clearCalls();
    eqc_testing::clearMessages();
    const bool planar = r.family == 2 || r.family == 4 || r.family == 5 || r.family == 8 || r.family == 9 ||
                        r.family == 10 || r.family == 12 || r.family == 14;
    const bool acoustic = r.family >= 62 && r.family <= 64;
    std::vector<std::vector<Real>> c = planar ? planarNodes(r.nodes) : solidNodes(r.nodes);
    if (acoustic)
      for (auto& node : c) node.resize(r.family == 63 ? 6 : 5, 0.5);
    element(r.family, r.type, c, r.words);
    run();
    EXPECT_EQ(names(calls()), r.checks) << "family " << r.family;
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 0) << "family " << r.family;
    for (const auto& call : calls()) {
      if (call.name == "EQC_LSPRING" || call.name == "EQC_3NLINE_ERRWARN") continue;
      EXPECT_NE(std::find(call.ints.begin(), call.ints.end(), 501), call.ints.end()) << call.name << ": element number";
    }
  }
  EXPECT_EQ(a7, 4) << "the integer beside the node list";
}

TEST_F(GeometryTest, ChecksGetTheStatedArguments) {
  // LC2DG: local 2 x 9 copy with the extra node, section reals 7-9, words 27, 14, 15, 36, 68, 19, 4, 45.
  section[6] = 7.5;
  auto nodes = planarNodes(5);
  element(2, 1, nodes, {{36, 4}, {68, 1}, {27, 270}, {14, 2}, {15, 150}, {19, 190}, {45, 450}});
  run();
  auto c = calls();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].name, "EQC_LC2DG_ERRWARN");
  EXPECT_EQ(c[0].ints, std::vector<Int>({501, 270, 2, 150, 4, 1, 190, 2, 450, 77}));
  EXPECT_EQ(c[0].arrays[0], data.data());
  EXPECT_EQ(c[0].arrays[1], section.data() + 6);
  for (int n = 0; n < 5; ++n) {
    EXPECT_EQ(c[0].coordinates[2 * n], nodes[n][0]);
    EXPECT_EQ(c[0].coordinates[2 * n + 1], nodes[n][1]);
  }
  EXPECT_EQ(c[0].coordinates[10], 0.0);

  // LC3DG_CHECK gets X itself with its leading dimension and words 1, 14, 15, 56, 36.
  eqc_checks_testing::clearCalls();
  element(3, 33, solidNodes(20), {{14, 8}, {15, 27}, {56, 560}});
  run();
  c = calls();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].ints, std::vector<Int>({501, 3, 33, 8, 27, 560, 20, 77}));
  EXPECT_EQ(c[0].arrays[0], X.data());

  // Acoustic infinite 3-D: six reals per node, node list and a28 handed on.
  eqc_checks_testing::clearCalls();
  std::vector<std::vector<Real>> six;
  for (int n = 0; n < 4; ++n) six.push_back({1.0 * n, 2.0, 3.0, 4.0, 5.0, 6.0 + n});
  element(63, 1, six, {{9, 4}, {16, 160}, {8, 80}});
  run();
  c = calls();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].ints, std::vector<Int>({77, 501, 160, 4, 80}));
  EXPECT_EQ(c[0].coordinates[6 * 3 + 5], 9.0);
  EXPECT_EQ(c[0].arrays[2], a28.data());

  // Battery shells: the leading dimension and its copy, the program kind and the imported flag.
  eqc_checks_testing::clearCalls();
  rec::i(CPROG, eqc_records::kProgramKind) = 0;
  imported = 1;
  element(204, 1, solidNodes(4));
  run();
  c = calls();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].ints, std::vector<Int>({501, 3, 3, 4, 2, 0, 1}));  // kind 2: CPROG 0, not an axisymmetric model
  EXPECT_NE(c[0].arrays[4], static_cast<const void*>(&ldim)) << "a copy of the leading dimension";
}

TEST_F(GeometryTest, AxisymmetricShellWithADamagedPointCountStillReachesItsCheck) {
  // Word 48 of the type record (points through the section) near the integer limit: the shear
  // normals' size is not formed in 32 bits (the sanitizer run checks), no variable is asked for.
  for (const Int k : {2147483647, 2147483646, 1073741824}) {
    eqc_checks_testing::clearCalls();
    Words words = {{14, 1}, {7, 3}, {48, k}};
    element(210, 1, std::vector<std::vector<Real>>(2, std::vector<Real>(6, 0.0)), words);
    for (int n = 0; n < 2; ++n) X[6 * n] = n, X[6 * n + 4] = 1.0;
    run();
    const auto c = calls();
    ASSERT_FALSE(c.empty()) << k;
    EXPECT_EQ(c[0].name, std::string("EQC_LSGSAX")) << k;
  }
}

TEST_F(GeometryTest, LineShellSpecialAndInterfaceFamiliesReachTheirRoutines) {
  struct Row {
    Int family, type;
    int nodes;
    const char* check;  // the check its routine calls first
  };
  const std::vector<Row> rows = {{1, 1, 2, "EQC_LTRUSG_ERRWARN"}, {410, 3451, 2, "EQC_LTRUSG_ERRWARN"},
                                 {101, 1, 2, "EQC_LBG002GO"},      {102, 1, 2, "EQC_LTHBM2DG"},
                                 {103, 1, 2, "EQC_LBG102GO"},      {105, 1, 2, "EQC_LBG102GO"},
                                 {104, 1, 2, "EQC_LTHBMG"},        {201, 1, 4, "EQC_LSG002"},
                                 {202, 1, 4, "EQC_LSG8"},          {203, 1, 4, "EQC_LSG8"},
                                 {205, 2302, 3, "EQC_3NLINE_ERRWARN"}, {206, 2302, 3, "EQC_3NLINE_ERRWARN"},
                                 {207, 1, 2, "EQC_LSG001"},        {410, 3452, 2, "EQC_LSG001"},
                                 {208, 1, 3, "EQC_LSNORS"},        {210, 1, 2, "EQC_LSGSAX"},
                                 {211, 1, 2, "EQC_LHSG01"},        {212, 1, 8, "EQC_LHSG002"},
                                 {216, 1, 8, "EQC_LSC"}};
  for (const Row& row : rows) {
    eqc_checks_testing::clearCalls();
    eqc_testing::clearMessages();
    Words words = {{14, 1}, {7, 3}};
    if (row.family == 216) words.push_back({36, 4});
    element(row.family, row.type, std::vector<std::vector<Real>>(row.nodes, std::vector<Real>(6, 0.0)), words);
    for (int k = 0; k < row.nodes; ++k) X[6 * k] = k, X[6 * k + 4] = 1.0, X[6 * k + 5] = 0.25 * k;
    if (row.family == 216)
      for (int k = 4; k < 8; ++k) X[6 * k + 2] = 1.0;
    run();
    const auto c = calls();
    ASSERT_FALSE(c.empty()) << row.family;
    EXPECT_EQ(c[0].name, row.check) << row.family;
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 0) << row.family;
  }
  // Characteristic lengths of the interface families: a 2 x 2 point surface and a contact pair.
  rec::clear(CPHCON);
  element(304, 1, {{0, 0, 0}, {2, 0, 0}, {2, 3, 0}, {0, 3, 0}}, {{14, 4}});
  run();
  EXPECT_EQ(rec::i(CPHCON, 1), 1);
  EXPECT_NEAR(cphconReal(11), 2.5, 1e-12);  // the mean of the half side lengths summed
  element(307, 300, {{0, 0, 0}, {3, 4, 0}});
  run();
  EXPECT_EQ(rec::i(CPHCON, 2), 1);
  EXPECT_NEAR(cphconReal(17), 5.0, 1e-12);
  // Slave-surface elements: without an element record LIGSL3 measures node 1 to node n in space,
  // LIGSL2 in the plane; type 290 then copies argument 1 into variable 99.
  rec::clear(CPHCON);
  dm2_testing::Variable v99{99, false, std::vector<Real>(2, -1.0)};
  element(309, 290, {{0, 0, 0}, {2, 3, 6}}, {{7, 3}}, {v99});
  a1[0] = 4.5;
  run();
  EXPECT_EQ(rec::i(CPHCON, 2), 0) << "type 290 measures its record only";
  const Int id99 = 99, zero = 0, one = 1;
  const Int first = GETSUBLAYOUT(&zero, &handle, &one), second = GETSUBLAYOUT(&one, &first, &one);
  EXPECT_EQ(mem32::at<Real>(GETVARDRW(&second, &id99), 2, dm2::kDataTag)[0], 4.5);
  element(309, 291, {{0, 0, 0}, {2, 3, 6}}, {{7, 3}}, {v99});
  run();
  EXPECT_NEAR(cphconReal(17), 7.0, 1e-14);
  element(309, 282, {{0, 0, 0}, {2, 3, 6}}, {{7, 2}}, {v99});
  run();
  EXPECT_NEAR(cphconReal(17), 7.0 + std::sqrt(13.0), 1e-14);
  // A frame with orientation variable 18 and no orientation point stores zeros.
  dm2_testing::Variable v18{18, false, std::vector<Real>(6, 7.0)};
  element(414, 3652, solidNodes(2), {}, {v18});
  run();
  const Int id = 18;
  const Real* stored = mem32::at<Real>(GETVARDRW(&handle, &id), 6, dm2::kDataTag);
  EXPECT_EQ(std::vector<Real>(stored, stored + 6), std::vector<Real>(6, 0.0));
  // A fluid element files its volume under its reference node in the cavity table.
  dm2_testing::Variable v136{136, false, std::vector<Real>(1, 0.0)};
  element(408, 3411, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{8, 4}, {9, 3}}, {v136});
  run();
  EXPECT_EQ(rec::slotI(cavities.data(), 1), 1004);
  EXPECT_NEAR(rec::slotR(cavities.data(), 2), -1.0 / 6.0, 1e-15);
  EXPECT_EQ(rowsFilled, 3);
  // Codes outside the rows do nothing at all.
  eqc_testing::clearMessages();
  eqc_checks_testing::clearCalls();
  for (Int family : {0, 50, 99, 100, 106, 199, 200, 250, 299, 300, 350, 399, 400, 450, 499, 500}) {
    element(family, 1, solidNodes(2));
    run();
  }
  for (const auto& [family, type] : std::vector<std::pair<Int, Int>>{{402, 3104}, {410, 1}, {408, 3431}, {414, 1}}) {
    element(family, type, solidNodes(2));
    run();
  }
  EXPECT_TRUE(eqc_testing::messages().empty());
  EXPECT_TRUE(calls().empty());
}

TEST_F(GeometryTest, SmallSlidingInterfacesMeasureTheirRecordOnlyWithVariable99) {
  // The element's record (slot 14 the length 2.5) on its interface list; variable 99 of the
  // second sub-layout present as reals, absent, or held as integers.
  eqc_testing::setSlideLineStore({});
  std::vector<double> slots(14, 0.0);
  slots[12] = 2.5;
  const Int address = eqc_testing::appendSlideLineSlots(slots);
  rec::clear(CSLEF);
  rec::i(CSLEF, 29) = 1, rec::i(CSLEF, 31) = address + 15;
  recordAddresses = {address};
  struct Case {
    Int family;
    std::vector<dm2_testing::Variable> variables;
    int measured;
  };
  const std::vector<Case> cases = {{305, {{99, false, {0, 1}}}, 1},
                                   {306, {{99, false, {0, 1, 0}}}, 1},
                                   {305, {}, 0},
                                   {306, {{99, true, {}, {0, 1}}}, 0}};
  for (const Case& c : cases) {
    rec::clear(CPHCON);
    element(c.family, 294, solidNodes(2), {}, c.variables);
    run();
    EXPECT_EQ(rec::i(CPHCON, 2), c.measured) << c.family << " with " << c.variables.size() << " variables";
    EXPECT_EQ(cphconReal(17), 2.5 * c.measured);
    EXPECT_EQ(rec::i(CPHCON, 1), 0) << "no structural measure";
  }
  recordAddresses.clear();
  rec::clear(CSLEF);
}

TEST_F(GeometryTest, EightNodeShellOfACentreCodeFormsItsCentreValueOnly) {
  // Type 2006 with eight nodes in its list: the centre rule fills column 9 of the value array; the
  // missing ninth node has no per-node entry, so the per-node blocks stay as they are.
  rec::i(CPROG, eqc_records::kProgramKind) = 0;
  rec::i(CNSPRE, 2) = 1, rec::i(CNSPRE, 3) = 2;
  rec::i(CGN, 6) = 1, rec::i(CGN, 7) = 1;
  const Real at[8][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}};
  std::vector<std::vector<Real>> nodes;
  for (const auto& p : at) nodes.push_back({p[0], p[1], 0, 0, 0, 1});
  element(203, 2006, nodes, {{14, 1}});
  for (int k = 0; k < 8; ++k) a2[4 * k] = 1.0 + at[k][0] - at[k][1] + at[k][0] * at[k][0];
  for (std::size_t k = 0; k < a24.size(); ++k) a24[k] = static_cast<Real>(k);
  const std::vector<Real> blocks = a24;
  run();
  EXPECT_NEAR(a2[4 * 8], 1.0, 1e-14);  // the quadratic field at the centre
  EXPECT_EQ(a24, blocks);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(GeometryTest, CharacteristicLengthForEveryScaleFactor) {
  eqc_checks_testing::setMeasures(kMeasure, 10.0);
  struct Scaled {
    Int family;
    int nodes;
    Words words;
    Real added;
  };
  // Words: 7 coordinates per node (the dimension), 14 and 15 point counts.
  const std::vector<Scaled> cases = {
      {2, 4, {{14, 2}}, kMeasure / 2},
      {2, 4, {{14, 1}}, kMeasure},                   // LC2DGR
      {2, 3, {{14, 3}}, kMeasure / 6},               // LC2DGT
      {3, 8, {{14, 4}}, kMeasure / (3 * 4)},         // LC3DGT
      {3, 20, {{14, 4}}, 2 * kMeasure / (3 * 4)},    // LC3DG_CHECK
      {6, 8, {{14, 4}, {15, 2}}, 2 * kMeasure / 3},  // first measure when 14 and 15 differ
      {6, 8, {{14, 4}, {15, 4}}, 2 * 10.0 / (4 * 3)},
      {10, 4, {{14, 2}}, kMeasure},
      {11, 8, {{14, 2}}, 0.25 * kMeasure},
      {213, 3, {{14, 3}}, kMeasure / 6},
      {213, 4, {{14, 3}}, kMeasure / 3},
      {420, 6, {{14, 3}}, kMeasure / 6},
      {420, 8, {{14, 3}}, kMeasure / 3},
      {62, 3, {{9, 3}}, kMeasure},
      {64, 2, {{9, 2}}, kMeasure},
      {63, 8, {{9, 8}}, 0.25 * kMeasure},
      {13, 11, {}, 2 * kMeasure / 3},
  };
  Int count = 0;
  Real sum = 0;
  for (const Scaled& s : cases) {
    const bool planar = s.family == 2 || s.family == 10;
    auto c = planar ? planarNodes(s.nodes) : solidNodes(s.nodes);
    if (s.family == 62 || s.family == 64)
      for (auto& n : c) n.resize(5, 0.0);
    if (s.family == 63)
      for (auto& n : c) n.resize(6, 0.0);
    element(s.family, 1, c, s.words);
    run();
    ++count;
    sum += s.added;
    EXPECT_EQ(rec::i(CPHCON, 1), count) << "family " << s.family;
    EXPECT_NEAR(cphconReal(11), sum, 1e-12) << "family " << s.family;
  }
  // A zero measure still counts; the modified triangle adds nothing.
  eqc_checks_testing::setMeasures(0.0, 0.0);
  element(2, 1, planarNodes(4), {{14, 2}});
  run();
  EXPECT_EQ(rec::i(CPHCON, 1), count + 1);
  element(12, 1, planarNodes(7));
  run();
  EXPECT_EQ(rec::i(CPHCON, 1), count + 1);
  EXPECT_NEAR(cphconReal(11), sum, 1e-12);
  // The rigid check updates the four cells itself.
  eqc_checks_testing::setMeasures(2.0, 3.0);
  rec::setR(CPHCON, 17, 1.0);
  element(307, 251, solidNodes(4), {{14, 1}});
  run();
  EXPECT_EQ(rec::i(CPHCON, 1), count + 2);
  EXPECT_EQ(rec::i(CPHCON, 2), 1);
  EXPECT_NEAR(cphconReal(11), sum + 2.0, 1e-12);
  EXPECT_EQ(cphconReal(17), 4.0);
}

TEST_F(GeometryTest, TooManyNodesForTheLocalCopyIsASystemError) {
  eqc_checks_testing::setMeasures(kMeasure);
  element(2, 1, planarNodes(10), {{36, 9}, {68, 1}, {14, 2}});
  run();
  EXPECT_TRUE(calls().empty());
  EXPECT_EQ(rec::i(CPHCON, 1), 0);
  ASSERT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN LC2DG"));
  eqc_testing::clearMessages();
  element(62, 1, std::vector<std::vector<Real>>(4, std::vector<Real>(5, 0.0)), {{9, 4}});
  run();
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN SHR_LACIN2D"));
  EXPECT_TRUE(calls().empty());
  // Node counts in the type record beyond what a shell, a beam or a line spring has room for.
  struct Damaged {
    Int family, nodes;
    const char* text;
  };
  for (const Damaged d : {Damaged{201, 12, "SYSTEM ERROR IN LSG002: 12 NODES"},
                          Damaged{103, 4, "SYSTEM ERROR IN LBG102: 4 NODES"},
                          Damaged{208, 10, "SYSTEM ERROR IN LSGLS: 10 NODES"},
                          Damaged{203, 5, "SYSTEM ERROR IN LSG8: 5 NODES"}}) {
    eqc_testing::clearMessages();
    eqc_checks_testing::clearCalls();
    element(d.family, 1, std::vector<std::vector<Real>>(d.nodes, std::vector<Real>(6, 0.0)), {{14, 1}});
    run();
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 1) << d.text;
    EXPECT_TRUE(eqc_testing::printed(d.text)) << d.text;
    EXPECT_TRUE(calls().empty()) << d.text;
  }
}

// ---- radial coordinates ----

struct Radial {
  Int program;
  Int imported;
  Real r;  // node 2's radius as a multiple of the tolerance length
  int level;
  Int key;
  bool zeroed;
};

TEST_F(GeometryTest, NegativeRadiiAreZeroedOrReported) {
  // Three nodes: edge 1-2 of length 2, edge 2-3 of length 5, so L = 5 and the tolerance 5e-5.
  const std::vector<Radial> cases = {
      {1, 0, -0.5e-5, -1, -3001, true},  {1, 0, -1.0e-5, -2, -3003, false}, {0, 1, -0.5e-5, -1, -3002, true},
      {-1, 1, -0.5e-5, -1, -3002, true}, {0, 0, -0.5e-5, -2, -3003, false}, {2, 1, -1e-9, -2, -3003, false},
      {1, 0, 0.0, 0, 0, false},
  };
  for (const Radial& c : cases) {
    eqc_testing::clearMessages();
    rec::i(CPROG, eqc_records::kProgramKind) = c.program;
    imported = c.imported;
    const Real r = c.r * 5.0;
    element(2, 1, {{1.0, 0.0}, {r, 0.0}, {r + 3.0, 4.0}}, {{65, 1}, {9, 3}, {14, 1}}, {}, 777);
    run();
    const auto m = eqc_testing::messages();
    if (c.level == 0) {
      EXPECT_TRUE(m.empty());
      continue;
    }
    ASSERT_EQ(m.size(), 1u) << c.program << " " << c.r;
    EXPECT_EQ(m[0].level, c.level);
    EXPECT_EQ(eqc_testing::filed(c.key), std::vector<int>({1002})) << "the user node number";
    EXPECT_EQ(X[2], c.zeroed ? 0.0 : r);
    const auto check = calls().back();
    EXPECT_EQ(check.coordinates[2], c.zeroed ? 0.0 : r) << "the check gets the zeroed radius";
    int cleared = 0;
    msgaccessC(4, &cleared, 0);
  }
  eqc_testing::clearMessages();
  rec::i(CPROG, eqc_records::kProgramKind) = 1;
  element(2, 1, {{1.0, 0.0}, {-1e-6, 0.0}, {3.0, 4.0}}, {{65, 1}, {9, 3}, {14, 1}}, {}, 777);
  run();
  EXPECT_EQ(eqc_testing::messages()[0].text.substr(0, 98),
            "THE RADIAL CURRENT COORDINATE OF NODE NUMBER 1002 RESIDING ON REACTIVATED AXYSYMMETRIC ELEMENT 777");
  EXPECT_TRUE(eqc_testing::printed("HAS A NEGATIVE  VALUE"));
  EXPECT_TRUE(eqc_testing::printed("THIS VALUE HAS BEEN ASSUMED  SMALL ENOUGH TO BE TAKEN AS ZERO"));
  // Two nodes: L is the distance between them only.
  eqc_testing::clearMessages();
  element(2, 1, {{0.0, 0.0}, {-0.9e-5, 1.0}, {50.0, 0.0}}, {{65, 1}, {9, 2}, {14, 1}});
  run();
  EXPECT_EQ(eqc_testing::countAtLevel(-1), 1);
  element(2, 1, {{0.0, 0.0}, {-1.1e-5, 1.0}, {50.0, 0.0}}, {{65, 1}, {9, 2}, {14, 1}});
  run();
  EXPECT_EQ(eqc_testing::countAtLevel(-2), 1);
}

}  // namespace
