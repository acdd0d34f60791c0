// Category texts, section points and connectivity expansion of element classes.
#include <gtest/gtest.h>
#include <gsl/gsl_integration.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "runtime/fortran_chars.h"
#include "runtime/record.h"
#include "siblings/dm2/output_testing.h"
#include "siblings/dm2/output_writer.h"
#include "siblings/eqc/eqc_labels.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/odb/surfaces/odb_test_support.h"
#include "tests/support/host_fixture.h"
#include "tests/support/odb_model_builder.h"
#include "zmx/odb.h"
#include "zmx/storage/sets.h"

namespace {

using odbtest::longLabelToken;
using zmxtest::A;
using zmxtest::I;
using zmxtest::N;
using zmxtest::R;
using zmxtest::Slot;

class ElementClasses : public zmxtest::HostFixture {
 protected:
  // Builds the model, reads the section record into the buffer; gives its address.
  Int load(int section) {
    builder.build();
    const Int address = builder.address(section);
    const Int read = 0;
    buffer.assign(512, 0.0);
    DBSL(&read, buffer.data(), &address);
    return address;
  }
  std::string category(int section, Int typeCode, const std::vector<std::string>& names = {}) {
    return categoryOf(load(section), typeCode, names);
  }
  // The category of the section record in the buffer at the address.
  std::string categoryOf(Int address, Int typeCode, const std::vector<std::string>& names = {}) {
    const Int type[4] = {typeCode, 0, 0, 0};
    std::string field(132, '?');
    std::string nameFields;
    for (const auto& n : names) nameFields += n + std::string(80 - n.size(), ' ');
    Int count = static_cast<Int>(names.size());
    const Int max = count;
    GETCATEGORY(buffer.data(), type, field.data(), 132, &address, &count, nameFields.data(), 80, &max);
    return std::string(fchar::view(field.data(), 132));
  }
  struct Points {
    Int points = 0, layered = 0, several = 0, profile = 0, two = 0;
    std::vector<float> first, second;
    std::vector<Int> counts;
  };
  // The position and count arrays are as large as the layout's count array (CGM word 80 slots)
  // lets them be: two integers a slot, positions for as many points.
  Points position(int section, Int typeCode) {
    const Int address = load(section);
    Points p;
    const std::size_t room = 2 * static_cast<std::size_t>(rec::i(CGM, 80));
    positions.assign(2 * room, -9.0f);
    counts.assign(room, -9);
    GETPOSITION(buffer.data(), buffer.data(), &p.points, &address, &typeCode, &p.layered, &p.several, &p.profile,
                &p.two, positions.data(), counts.data());
    p.first.assign(positions.begin(), positions.begin() + p.points);
    p.second.assign(positions.begin() + p.points, positions.begin() + 2 * p.points);
    p.counts.assign(counts.begin(), std::find(counts.begin(), counts.end(), -9));
    return p;
  }

  // An elbow section: points through the thickness 0.2 and around the mid-surface radius 1.
  int elbow(Int around, Int through) {
    std::vector<Slot> slots(20, I(0));
    slots[3 - 2] = I(through);
    slots[14 - 2] = R(0.2);
    slots[17 - 2] = R(1.0);
    slots[21 - 2] = I(around);
    return builder.record(3, slots);
  }
  // The two points (1.5, -2.5) and (3.25, 4.75) of a beam section with both coordinates.
  static void expectTwoBeamPoints(const Points& p, Int profile) {
    EXPECT_EQ(p.profile, profile);
    EXPECT_EQ(p.two, 1);
    EXPECT_EQ(p.first, (std::vector<float>{1.5f, 3.25f}));
    EXPECT_EQ(p.second, (std::vector<float>{-2.5f, 4.75f}));
  }

  zmxtest::OdbModelBuilder builder;
  std::vector<double> buffer;
  std::vector<float> positions;
  std::vector<Int> counts;
};

TEST_F(ElementClasses, CategoryWordsAndTheirAppendedParts) {
  const int material = builder.record(2, {N("STEEL")});
  const int solid = builder.record(2, {I(0), A(material)});
  const int layered = builder.record(2, {I(0), I(-1)});
  const int membrane = builder.record(30, {I(0), A(material)});
  const int beam = builder.record(3, {N("BEAMS"), I(0), I(5)});
  const int general = builder.record(3, {N("BEAMS"), I(0), I(106)});
  const int odd = builder.record(3, {N("BEAMS"), I(0), I(9)});
  const int elbow = builder.record(3, {N("ELB"), I(1)});
  const int shellGeneral = builder.record(4, {N("SG"), I(0), A(material), I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(1), I(3)});
  const int shellLayers = builder.record(4, {N("SL"), I(2), I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(3)});
  const int shellPoints = builder.record(4, {N("SP"), I(5), I(0), I(0), I(0), I(0), I(0), I(0), I(2), I(1)});
  const int spring = builder.record(5, {I(0)});
  const int coupling = builder.record(38, {I(0)});
  const int surface = builder.record(45, {I(0)});
  const int connector = builder.record(41, {I(0)});
  const int gasket = builder.record(35, {N("GSKT")});

  EXPECT_EQ(category(solid, 100), "solid < STEEL >");
  EXPECT_EQ(category(layered, 100), "solid < composite >");
  EXPECT_EQ(category(membrane, 100), "membrane < STEEL >");
  EXPECT_EQ(category(membrane, 100, {"R1", "R2"}), "membrane with rebar<R1><R2>");
  EXPECT_EQ(category(beam, 100), "beam < I-section > < elset = BEAMS >");
  EXPECT_EQ(category(general, 100), "beam general < rectangular > < elset = BEAMS >");
  EXPECT_EQ(category(odd, 100), "beam < elset = BEAMS >");
  EXPECT_EQ(category(elbow, 2201), "elbow < elset = ELB >");
  EXPECT_EQ(category(shellGeneral, 100), "shell general < STEEL > < elset = SG >");
  EXPECT_EQ(category(shellLayers, 100), "shell < composite > < elset = SL >");
  EXPECT_EQ(category(shellLayers, 100, {"RB"}), "shell composite with rebar< elset = SL > <RB>");
  // Five section points: "< ", the digit and " section points > " and one blank more (22
  // characters: 29 less the seven leading blanks of the eight-digit field); kind slot 10 + 2 names
  // slot 4, which holds no named record.
  EXPECT_EQ(category(shellPoints, 100), "shell < 5 section points >");
  EXPECT_EQ(category(shellPoints, 100, {"RB"}), "shell with rebar< 5 section points >  <RB>");
  // A kind slot past the record (slot 10 + 2 = 52) is reported and names nothing.
  const int shellFar = builder.record(4, {N("SP"), I(5), I(0), I(0), I(0), I(0), I(0), I(0), I(50), I(1)});
  EXPECT_EQ(category(shellFar, 100), "shell < 5 section points >");
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN GETCATEGORY"));
  eqc_testing::clearMessages();
  EXPECT_EQ(category(spring, 100), "spring");
  EXPECT_EQ(category(coupling, 100), "coupling");
  EXPECT_EQ(category(surface, 100), "surface section");
  EXPECT_EQ(category(surface, 100, {"R"}), "surface section with rebar<R>");
  EXPECT_EQ(category(connector, 100), "connector");
  EXPECT_EQ(category(gasket, 100), "gasket < elset = GSKT >");
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(ElementClasses, EveryRangeHasItsWord) {
  const std::vector<std::pair<int, std::string>> words = {
      {36, "frame"},     {6, "dashpot"},      {7, "mass"},    {21, "rotaryi"},     {8, "gap < elset = G >"},
      {9, "dragchain"},  {42, "pipe-soil"},   {40, "heatcap"}, {26, "fluid"},      {27, "fluid link"},
      {12, "unknown category"}};
  std::vector<int> records;
  for (const auto& [word, text] : words) records.push_back(builder.record(word, {N("G")}));
  for (std::size_t k = 0; k < words.size(); ++k)
    EXPECT_EQ(category(records[k], 100), words[k].second) << words[k].first;
}

TEST_F(ElementClasses, BeamProfilesAreNamedByTheirNumber) {
  const std::vector<std::string> profiles = {"general", "pipe",  "box", "circular", "I-section", "rectangular",
                                             "hexagonal", "",    "",    "trapezoidal", "L-section", "", ""};
  std::vector<std::pair<int, std::string>> beams;
  for (Int p = 1; p <= 13; ++p) {
    const std::string& name = profiles[static_cast<std::size_t>(p - 1)];
    const std::string part = name.empty() ? "" : "< " + name + " > ";
    beams.emplace_back(builder.record(3, {N("B"), I(0), I(p)}), "beam " + part + "< elset = B >");
    beams.emplace_back(builder.record(3, {N("B"), I(0), I(100 + p)}), "beam general " + part + "< elset = B >");
  }
  for (const auto& [section, text] : beams) EXPECT_EQ(category(section, 100), text);
}

// The orientation kind by the section's range, its slot 4 and the type code; the largest beam
// class counts the classes whose section lies in the beam range.
TEST_F(ElementClasses, OrientationKindsAndTheLargestBeamClass) {
  struct Case {
    int word;
    Int slot4, typeCode, kind;
  };
  const std::vector<Case> cases = {{2, 0, 100, 0},  {2, 5, 100, 2},  {2, 0, 4301, 2}, {2, 0, 4302, 2}, {30, 0, 100, 2},
                                   {3, 5, 100, 0},  {36, 5, 100, 0}, {4, 0, 100, 2},  {5, 0, 100, 0},  {5, 1, 100, 2},
                                   {21, 1, 100, 2}, {23, 0, 100, 0}, {23, 1, 100, 2}, {42, 1, 100, 2}, {35, 0, 100, 2},
                                   {45, 0, 100, 2}, {12, 0, 100, 0}, {9, 1, 100, 0},  {38, 1, 100, 0}};
  std::vector<int> records;
  for (const Case& c : cases) records.push_back(builder.record(c.word, {I(0), I(0), I(c.slot4)}));
  for (std::size_t k = 0; k < cases.size(); ++k) {
    const Int address = load(records[k]);
    Int kind = -1;
    GETORIENT(buffer.data(), &address, &kind, &cases[k].typeCode);
    EXPECT_EQ(kind, cases[k].kind) << cases[k].word << " " << cases[k].slot4 << " " << cases[k].typeCode;
  }
  // Classes on a beam section (5 elements), a frame section (9) and a solid section (20).
  std::vector<Int> table(3 * 28, 0);
  const int sections[3] = {records[5], records[6], records[0]};
  const Int elements[3] = {5, 9, 20};
  for (int c = 0; c < 3; ++c) {
    table[static_cast<std::size_t>(28 * c + 2)] = builder.address(sections[c]);
    table[static_cast<std::size_t>(28 * c + 18)] = elements[c];
  }
  for (const auto& [count, largest] : std::vector<std::pair<Int, Int>>{{0, 0}, {1, 5}, {3, 9}}) {
    Int maximum = -1;
    ODBMAXBEAM(table.data(), &count, &maximum);
    EXPECT_EQ(maximum, largest) << count;
  }
}

TEST_F(ElementClasses, CategoryIsCutAt132WithBothMessages) {
  const int membrane = builder.record(30, {I(0), I(0)});
  std::vector<std::string> names;
  for (int k = 0; k < 20; ++k) names.push_back("REBARNAME" + std::to_string(k));
  const std::string text = category(membrane, 100, names);
  EXPECT_EQ(text.size(), 132u);
  EXPECT_EQ(text.substr(0, 30), "membrane with rebar<REBARNAME0");
  EXPECT_TRUE(eqc_testing::printed("THE REBAR NAMES ARE TOO LONG. USE SHORTER ONES IN THE MODEL."));
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN GETCATEGORY"));
  EXPECT_EQ(eqc_testing::countAtLevel(-2), 1);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
}

TEST_F(ElementClasses, ANamedRecordLongerThanTheLayoutsBufferIsNotRead) {
  std::vector<Slot> material = {N("STEEL")};
  material.resize(40, I(0));
  const int membrane = builder.record(30, {I(0), A(builder.record(2, material))});
  const Int address = load(membrane);
  for (int w = 40; w <= 54; ++w) rec::i(CGM, w) = 20;  // every record buffer of the layout: 20 slots
  EXPECT_EQ(categoryOf(address, 100), "membrane");
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN GETCATEGORY"));
}

TEST_F(ElementClasses, ElsetNameIsCutToKeepTheCategoryWithin80) {
  const std::string token = longLabelToken("A_VERY_LONG_ELEMENT_SET_NAME_THAT_RUNS_ON_AND_ON");
  const int general = builder.record(3, {N(token), I(0), I(106)});
  // "beam general < rectangular > " is 29 characters; "< elset = " and " > " take 13 more.
  EXPECT_EQ(category(general, 100), "beam general < rectangular > < elset = A_VERY_LONG_ELEMENT_SET_NAME_THAT_RUNS >");
}

TEST_F(ElementClasses, LayeredSolidPointsByHand) {
  // Three layers: thickness 1 with 3 points, 2 with 2 points, 1 with 1 point; total 4.
  const int section = builder.record(2, {I(0), I(-1), I(0), I(0), I(0), I(3), I(6), R(1), I(3), I(0), I(0), R(2),
                                         I(2), I(0), I(0), R(1), I(1)});
  const Points p = position(section, 100);
  EXPECT_EQ(p.points, 6);
  EXPECT_EQ(p.layered, 1);
  EXPECT_EQ(p.several, 1);
  EXPECT_EQ(p.first, (std::vector<float>{-0.5f, -0.375f, -0.25f, -0.25f, 0.25f, 0.375f}));
  EXPECT_EQ(p.second, std::vector<float>(6, 0.0f));
  EXPECT_EQ(p.counts, (std::vector<Int>{3, 5, 6}));
}

TEST_F(ElementClasses, ShellGaussRuleMatchesGslNodes) {
  // Two layers of thickness 1 and 3 with 5 and 7 Gauss points; S = slot 10 + 1 = 20.
  std::vector<Slot> slots = {I(0), I(12), I(0), I(0), I(0), I(0), I(0), I(0), I(19), I(2), I(0), I(0), I(0),
                             I(0), I(0), I(0), I(2)};
  while (slots.size() < 30) slots.push_back(I(0));
  slots[19 - 2] = I(5);  // slot 19: count of layer 1
  slots[20 - 2] = R(1);  // slot 20: thickness of layer 1
  slots[23 - 2] = I(7);
  slots[24 - 2] = R(3);
  const int section = builder.record(4, slots);
  const Points p = position(section, 100);
  ASSERT_EQ(p.points, 12);
  EXPECT_EQ(p.several, 1);
  EXPECT_EQ(p.counts, (std::vector<Int>{5, 12}));
  std::vector<double> expected;
  for (const auto& [order, a, b] : {std::tuple{5, -0.5, -0.25}, std::tuple{7, -0.25, 0.5}}) {
    gsl_integration_glfixed_table* table = gsl_integration_glfixed_table_alloc(static_cast<std::size_t>(order));
    std::vector<double> nodes;
    for (int i = 0; i < order; ++i) {
      double x = 0, w = 0;
      gsl_integration_glfixed_point(a, b, static_cast<std::size_t>(i), &x, &w, table);
      nodes.push_back(x);
    }
    gsl_integration_glfixed_table_free(table);
    std::sort(nodes.begin(), nodes.end());
    expected.insert(expected.end(), nodes.begin(), nodes.end());
  }
  for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_NEAR(p.first[k], expected[k], 1e-6) << k;
}

TEST_F(ElementClasses, ElbowPointsLieOnTheirCircles) {
  const Points p = position(elbow(8, 3), 2250);
  ASSERT_EQ(p.points, 24);
  EXPECT_EQ(p.profile, 2);
  EXPECT_EQ(p.two, 1);
  for (int j = 0; j < 8; ++j)
    for (int i = 0; i < 3; ++i) {
      const std::size_t k = static_cast<std::size_t>(3 * j + i);
      const double r = 0.9 + 0.1 * i, angle = 2 * std::numbers::pi * j / 8;
      EXPECT_NEAR(std::hypot(p.first[k], p.second[k]), r, 1e-6);
      EXPECT_NEAR(p.first[k], r * std::cos(angle), 1e-6);
      EXPECT_NEAR(p.second[k], r * std::sin(angle), 1e-6);
    }
}

TEST_F(ElementClasses, BeamProfilesTakeTheirPointsAndTheTwoCoordinateFlagFromTheSection) {
  // Slot 4 the profile, 5 the points, slots 6 + 7 + 5 the first point's two slots (11 slots a
  // point), 16 the two-coordinate flag.
  auto beam = [&](Int profile, Int two) {
    std::vector<Slot> slots(40, I(0));
    slots[4 - 2] = I(profile);
    slots[5 - 2] = I(2);
    slots[6 - 2] = I(10);
    slots[7 - 2] = I(5);
    slots[16 - 2] = I(two);
    slots[20 - 2] = R(1.5);
    slots[21 - 2] = R(-2.5);
    slots[31 - 2] = R(3.25);
    slots[32 - 2] = R(4.75);
    return builder.record(3, slots);
  };
  const int both = beam(5, 1), one = beam(5, 0), none = beam(8, 1);
  expectTwoBeamPoints(position(both, 100), 7);
  const Points q = position(one, 100);
  EXPECT_EQ(q.two, 0);
  EXPECT_EQ(q.first, (std::vector<float>{-2.5f, 4.75f}));
  EXPECT_EQ(q.second, (std::vector<float>{0.0f, 0.0f}));
  // A profile without a code gives no points, yet still hands out the flag.
  const Points r = position(none, 100);
  EXPECT_EQ(r.points, 0);
  EXPECT_EQ(r.profile, 0);
  EXPECT_EQ(r.two, 1);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

// A general beam takes its points from slot 18 on, two slots each, with profile code 10; a shell
// of layers by slot 12 has three points a layer spread over each layer; a surface section has one
// point at 0; layers of no thickness give no points; a beam record too short for its slot 16 is
// reported.
TEST_F(ElementClasses, GeneralBeamsLayerShellsAndSurfaceSections) {
  std::vector<Slot> general(30, I(0));
  general[4 - 2] = I(105);
  general[16 - 2] = I(1);
  general[18 - 2] = I(20);
  general[19 - 2] = I(2);
  general[20 - 2] = R(1.5);
  general[21 - 2] = R(-2.5);
  general[22 - 2] = R(3.25);
  general[23 - 2] = R(4.75);
  auto layerShell = [&](Real t1, Real t2) {
    std::vector<Slot> slots(30, I(0));
    slots[12 - 2] = I(t2 < 0 ? 1 : 2);
    slots[13 - 2] = I(20);
    slots[20 - 2] = R(t1);
    slots[23 - 2] = R(t2);
    return builder.record(4, slots);
  };
  const int beam = builder.record(3, general), shell = layerShell(1, 3), thin = layerShell(0, -1);
  const int surface = builder.record(45, {I(0)}), none = builder.record(4, std::vector<Slot>(20, I(0)));
  const int shortBeam = builder.record(3, {I(0), I(5), I(2)});

  expectTwoBeamPoints(position(beam, 100), 10);
  const Points l = position(shell, 100);
  EXPECT_EQ(l.points, 6);
  EXPECT_EQ(l.layered, 1);
  EXPECT_EQ(l.several, 1);
  EXPECT_EQ(l.first, (std::vector<float>{-0.5f, -0.375f, -0.25f, -0.25f, 0.125f, 0.5f}));
  EXPECT_EQ(l.counts, (std::vector<Int>{3, 6}));
  const Points t = position(thin, 100);
  EXPECT_EQ(t.points, 0);
  EXPECT_EQ(t.counts, std::vector<Int>{});
  const Points n = position(none, 100);
  EXPECT_EQ(n.points, 0);
  EXPECT_EQ(n.layered, 1);
  const Points f = position(surface, 100);
  EXPECT_EQ(f.points, 1);
  EXPECT_EQ(f.first, std::vector<float>{0.0f});
  EXPECT_EQ(f.counts, std::vector<Int>{1});
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  const Points s = position(shortBeam, 100);
  EXPECT_EQ(s.points, 0);
  EXPECT_EQ(s.profile, 0);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN GETPOSITION"));
}

TEST_F(ElementClasses, SectionPointCountsBeyondTheRoomGiveNoPoints) {
  // The builder's CGM word 80 is 64: room for 128 points. Counts are taken in 64 bits, so a
  // product that wraps in 32 bits (65536 x 65536) is refused as well.
  const int fits = elbow(8, 16);
  struct Refused {
    int section;
    Int typeCode;
  };
  const std::vector<Refused> refused = {
      {elbow(3, 43), 2250},
      {elbow(2000000000, 2), 2250},
      {elbow(65536, 65536), 2250},
      {builder.record(2, {I(0), I(-1), I(0), I(0), I(0), I(1), I(2000000000), R(1), I(1)}), 100},  // slot 8
      {builder.record(2, {I(0), I(-1), I(0), I(0), I(0), I(1), I(1), R(1), I(2000000000)}), 100},  // a layer's count
      {builder.record(4, {I(0), I(2000000000), I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(0),
                          I(0), I(0), I(0), I(1)}), 100}};  // shell, slot 3

  const Points p = position(fits, 2250);
  EXPECT_EQ(p.points, 128);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  for (const Refused& r : refused) {
    eqc_testing::clearMessages();
    const Points q = position(r.section, r.typeCode);
    EXPECT_EQ(q.points, 0) << r.section;
    EXPECT_TRUE(std::all_of(positions.begin(), positions.end(), [](float x) { return x == -9.0f; })) << r.section;
    EXPECT_TRUE(std::all_of(counts.begin(), counts.end(), [](Int c) { return c == -9; })) << r.section;
    EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE.")) << r.section;
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 1) << r.section;
  }
}

// A type record: type code, the 8-character name in words 2 and 3, family, connector kind.
std::vector<Int> typeRecord(Int typeCode, const std::string& name, Int family, Int connectorKind = 0) {
  std::vector<Int> t(64, 0);
  t[0] = typeCode;
  const std::string eight = (name + std::string(8, ' ')).substr(0, 8);
  std::memcpy(&t[1], eight.data(), 8);
  t[3] = family;
  t[45] = connectorKind;
  return t;
}

// A class record as the gathering leaves it: section address, slots -1, word 17, the names.
std::vector<Int> classRecord(Int section, Int value, Int names = 0) {
  std::vector<Int> r(28, 0);
  r[2] = section;
  r[6] = r[8] = -1;
  r[16] = value;
  r[20] = names;
  return r;
}

// ODBCLASS tells the writer the type name, the category, the section reference and points, the
// orientation kind, the connector names with their kind and, for family 417, the connector class.
TEST_F(ElementClasses, ClassDefinitionsAsTheWriterIsTold) {
  const std::string label = "A_CONNECTOR_NAME_LONGER_THAN_EIGHT";
  const std::string token = longLabelToken(label);
  const int material = builder.record(2, {N("STEEL")});
  const int solid = builder.record(2, {I(0), A(material), I(7)});  // slot 4 set: orientation kind 2
  const int behaviour = builder.record(41, {N("BEHAV")});
  const int connector = builder.record(41, {N("CSECT"), A(behaviour), I(0), I(0), I(0), I(21), I(22)});
  std::vector<Int> nodes;
  for (Int k = 1; k <= 17; ++k) nodes.push_back(builder.node(500 + k, {0, 0, 0}));
  const Int grounded = builder.element(31, builder.elementType("CONN", 3491, 417, 2, {{46, 33}}), {0, nodes[3]});
  const Int variable = builder.element(32, builder.elementType("C3D15V", 72, 100, 18), nodes);
  builder.build();
  dm2_testing::resetOutputWriter();
  const Int handle = odbtest::openNewFile(zmxtest::scratchFolder("odb_classes") + "/classes.odb");
  const std::vector<double> names = {zmxtest::nameSlot("HINGE"), zmxtest::nameSlot(token), zmxtest::nameSlot("X")};
  struct Case {
    std::vector<Int> type, record;
    Int flag;
    std::string typeName, category;
    Int points, namesKind, orientation;
    std::vector<std::string> names;
  };
  const Int solidAddress = builder.address(solid), connectorAddress = builder.address(connector);
  const std::string blank;
  const std::vector<Case> cases = {
      {typeRecord(100, "CONN3D", 419), classRecord(0, 8, 2), 1, "CONN3D", "unknown category", 2, 2, 0,
       {"HINGE", label}},
      {typeRecord(100, "CONN3D", 213), classRecord(0, 8, 1), 1, "CONN3D", "unknown category", 1, 1, 0, {"HINGE"}},
      {typeRecord(100, "CONN3D", 213), classRecord(0, 8, 1), 0, "CONN3D", "unknown category", 0, 0, 0, {}},
      {typeRecord(3008, "C3D8", 100), classRecord(solidAddress, 4), 0, "C3D8", "solid < STEEL >", 0, 0, 2, {}},
      {typeRecord(2403, "M3D4", 100), classRecord(solidAddress, 4), 0, "M3D4", "solid < STEEL >", 0, 0, 0, {}},
      {typeRecord(10001, "R3D4", 100), classRecord(0, 5), 0, "RNODE3D", "unknown category", 0, 0, 0, {}},
      {typeRecord(3491, "CONN", 417, 33), classRecord(connectorAddress, 6), 0, "CONN3D2G", "connector", 0, 0, 0, {}}};
  std::vector<float> positions(256, -1.0f);
  std::vector<Int> counts(128, -1);
  std::vector<double> sectionBuffer(static_cast<std::size_t>(rec::i(CGM, 40)));
  const Int maxNames = 3;
  for (const Case& c : cases) {
    std::vector<Int> record = c.record;
    ODBCLASS(sectionBuffer.data(), record.data(), c.type.data(), positions.data(), &handle, counts.data(), names.data(),
             &maxNames, &c.flag);
    const dm2_testing::OutputDatabase* db = dm2_testing::outputDatabase(handle);
    ASSERT_NE(db, nullptr);
    const dm2_testing::OdbClass& k = db->classes.back();
    SCOPED_TRACE(c.typeName + " " + std::to_string(c.type[3]));
    EXPECT_EQ(record[6], k.id);
    EXPECT_EQ(k.typeName, c.typeName);
    EXPECT_EQ(k.category, c.category);
    EXPECT_EQ(k.points, c.points);
    EXPECT_EQ(k.first, std::vector<float>(static_cast<std::size_t>(c.points), 0.0f));
    EXPECT_EQ(k.namesKind, c.namesKind);
    EXPECT_EQ(k.orientationKind, c.orientation);
    EXPECT_EQ(record[14], c.record[2] > 0 ? c.orientation : 0);
    EXPECT_EQ(k.classValue, c.record[16]);
    EXPECT_EQ(k.one, 1);
    std::vector<std::string> given;
    for (const auto& n : k.names)
      if (!n.empty()) given.push_back(n);
    EXPECT_EQ(given, c.names);
    char reference[16];
    std::snprintf(reference, sizeof reference, "S%9d", c.record[2]);
    EXPECT_EQ(k.sectionReference, c.record[2] > 0 ? std::string(reference) : blank);
  }
  const dm2_testing::OutputDatabase* db = dm2_testing::outputDatabase(handle);
  ASSERT_EQ(db->connectorClasses.size(), 1u);
  odbtest::expectConnectorClass(db->connectorClasses[0], "CSECT", "BEHAV", 21, 22);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);

  // ODBELEMENT: the label and row of each element; a grounded connector of the class just defined
  // goes to its connector class with its first node 0; type code 72 opens zeros for its absent
  // optional nodes 1 and 3.
  std::vector<Int> classTable = cases.back().record;
  classTable[8] = db->connectorClasses[0].id;
  std::vector<Int> labels(30);
  for (Int k = 0; k < 30; ++k) labels[static_cast<std::size_t>(k)] = 501 + k;
  const std::vector<Int> connectorType = typeRecord(3491, "CONN", 417, 33), variableType = typeRecord(72, "C3D15V", 100);
  Int label1 = 0, label2 = 0;
  std::vector<Int> row1(2, -1), row2(18, -1);
  const Int one = 1, two = 2, eighteen = 18;
  ODBELEMENT(&grounded, labels.data(), classTable.data(), connectorType.data(), &one, &label1, row1.data(), &two, &handle);
  ODBELEMENT(&variable, labels.data(), classTable.data(), variableType.data(), &one, &label2, row2.data(), &eighteen,
             &handle);
  EXPECT_EQ(label1, 31);
  EXPECT_EQ(row1, (std::vector<Int>{504, 0}));
  EXPECT_EQ(label2, 32);
  std::vector<Int> want(labels.begin(), labels.begin() + 15);
  for (Int v : {0, 516, 0}) want.push_back(v);
  EXPECT_EQ(row2, want);
  db = dm2_testing::outputDatabase(handle);
  ASSERT_EQ(db->connectorClasses[0].connectors.size(), 1u);
  EXPECT_EQ(db->connectorClasses[0].connectors[0].label, 31);
  EXPECT_EQ(db->connectorClasses[0].connectors[0].node1, 0);
  EXPECT_EQ(db->connectorClasses[0].connectors[0].node2, 504);
  EXPECT_TRUE(dm2_testing::writerErrors().empty());

  // Refused, each reported and nothing defined: a section address no record has; more connector
  // names than the position array holds points for (128 here). An element node outside the model
  // is reported and written as label 0.
  const std::size_t defined = db->classes.size();
  eqc_testing::clearMessages();
  std::vector<Int> lost = classRecord(999999, 8);
  ODBCLASS(sectionBuffer.data(), lost.data(), cases[3].type.data(), positions.data(), &handle, counts.data(),
           names.data(), &maxNames, &cases[3].flag);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ODBCLASS"));
  const Int many = 129, on = 1;
  const std::vector<double> manyNames(129, zmxtest::nameSlot("N"));
  std::vector<Int> crowded = classRecord(0, 8, many);
  ODBCLASS(sectionBuffer.data(), crowded.data(), cases[0].type.data(), positions.data(), &handle, counts.data(),
           manyNames.data(), &many, &on);
  EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE."));
  EXPECT_EQ(dm2_testing::outputDatabase(handle)->classes.size(), defined);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);
  const Int stray = builder.element(33, builder.elementType("T3D2", 2010, 300, 2), {nodes[0], 40});
  builder.build();
  std::vector<Int> row3(2, -1);
  Int label3 = 0;
  ODBELEMENT(&stray, labels.data(), classTable.data(), variableType.data(), &one, &label3, row3.data(), &two, &handle);
  EXPECT_EQ(row3, (std::vector<Int>{501, 0}));
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ODBELEMENT. NODE 40 OUTSIDE THE MODEL"));
}

TEST_F(ElementClasses, ExpandedConnectivityGivesTheListBackWithoutItsZeros) {
  for (Int code : {70, 71, 72, 73, 74, 75, 76, 77, 500, 513, 542, 563, 599, 637, 699}) {
    const bool small = code < 100;
    const Int fixed = small ? 15 : 21, optional = small ? 3 : 6, bits = small ? code % 10 : code % 100;
    const Int present = fixed + std::popcount(static_cast<unsigned>(bits & ((1 << optional) - 1)));
    std::vector<Int> row(static_cast<std::size_t>(fixed + optional), 0), given;
    for (Int k = 0; k < present; ++k) given.push_back(row[static_cast<std::size_t>(k)] = 100 + k);
    ELEXPND(row.data(), &code);
    std::vector<Int> back;
    for (Int v : row)
      if (v != 0) back.push_back(v);
    EXPECT_EQ(back, given) << code;
    for (Int j = 1; j <= optional; ++j) {
      if (((bits >> (j - 1)) & 1) == 0) {
        EXPECT_EQ(row[static_cast<std::size_t>(fixed + j - 1)], 0) << code << " " << j;
      }
    }
  }
  Int other[4] = {1, 2, 3, 4};
  const Int code = 3008;
  ELEXPND(other, &code);
  EXPECT_EQ(other[3], 4);
}

}  // namespace
