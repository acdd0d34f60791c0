// Pseudo-element classes and the surfaces of the output database, read back through the writer
// stand-in's view.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <string>
#include <vector>

#include "siblings/dm2/node_packages.h"
#include "tests/odb/surfaces/odb_test_support.h"
#include "tests/support/odb_model_builder.h"
#include "zmx/geometry/facets.h"
#include "zmx/odb.h"

namespace {

using namespace odbtest;
using zmxtest::I;
using zmxtest::N;

// The pseudo-element type names by row (0 single node, then facet node count) and column.
const char* const kTable[10][3] = {
    {"RNODE2D", "RNODE2D", "RNODE3D"}, {"PSURF2", "PSURF1", "PSURF3"},    {"LSURF2", "LSURF1", "LSURF3"},
    {"LSURF5", "LSURF4", "TSURF1"},    {"DUMMYA4", "DUMMY24", "QSURF1"},  {"DUMMYA5", "DUMMY25", "DUMMY35"},
    {"DUMMYA6", "DUMMY26", "TSURF2"},  {"DUMMYA7", "DUMMY27", "DUMMY37"}, {"DUMMYA8", "DUMMY28", "QSURF2"},
    {"DUMMYA9", "DUMMY29", "QSURF3"}};

class SurfaceClasses : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    restart();
  }
  // A new database and a class table sized as the layout sizes it: the classes before the first
  // one, and 126 slots (252 integers) behind them.
  void restart(Int fixedClasses = 0) {
    handle = openDatabase("surface_classes");
    table.assign(28 * static_cast<std::size_t>(fixedClasses) + 252, 0);
    first = fixedClasses + 1;
    count = fixedClasses;
    lastIndex = 0;
    slot = -1;
  }
  // Chooses a class; gives the type name the class was defined with ("" when none).
  std::string choose(Int n, Int s, Int gate, Int cylindrical, Int second, Int k) {
    ODBCLSURF(record.data(), table.data(), &n, &first, &count, &lastIndex, &slot, &s, &gate, &cylindrical, &second,
              &k, &handle);
    const auto* c = classWithId(dm2_testing::outputDatabase(handle), slot);
    return c != nullptr ? c->typeName : "";
  }
  std::vector<double> record = std::vector<double>(64, 0.0);
  std::vector<Int> table;
  Int handle = 0, first = 1, count = 0, lastIndex = 0, slot = -1;
};

TEST_F(SurfaceClasses, EveryRuleOfTheTypeTableChoosesItsNameAndEqualKeysShareOneClass) {
  struct Case {
    Int n, s, gate, cylindrical, second, k;
    std::string name;
  };
  std::vector<Case> cases;
  for (Int n = 1; n <= 9; ++n)
    for (Int s = 1; s <= 3; ++s) cases.push_back({n, s, -1, 0, 0, 0, kTable[n][s - 1]});
  for (Int s = 1; s <= 3; ++s) cases.push_back({1, s, 0, 0, 0, 0, kTable[0][s - 1]});
  cases.push_back({1, 2, 0, 0, 0, 0, "RNODE2D"});  // same key as a row-0 case: shared
  const char* rigid[4] = {"ARSSE", "ARSSS", "ARSC", "ARSR"};
  for (Int k = 1; k <= 4; ++k) cases.push_back({1, 3, 0, 0, 0, k, rigid[k - 1]});
  cases.push_back({3, 3, 0, 0, 1, 0, "LSURF6"});   // second order in three dimensions
  cases.push_back({3, 2, 0, 0, 1, 0, "LSURF4"});   // second order elsewhere keeps the table
  cases.push_back({6, 3, 0, 1, 0, 0, "CYLSURF1"});
  cases.push_back({9, 3, 0, 1, 0, 0, "CYLSURF2"});
  cases.push_back({4, 1, 0, 1, 1, 0, "CYLSURF2"});

  // The table has room for nine pseudo-element classes: the cases go in groups of nine.
  for (std::size_t from = 0; from < cases.size(); from += 9) {
    restart();
    const std::vector<Case> group(cases.begin() + static_cast<std::ptrdiff_t>(from),
                                  cases.begin() + static_cast<std::ptrdiff_t>(std::min(from + 9, cases.size())));
    std::set<std::tuple<Int, Int, Int, Int, Int, Int>> keys;
    for (const Case& c : group) {
      const std::string name = choose(c.n, c.s, c.gate, c.cylindrical, c.second, c.k);
      EXPECT_EQ(name, c.name) << c.n << " " << c.s << " gate " << c.gate << " k " << c.k;
      keys.emplace(c.n, c.s, c.gate, c.cylindrical, c.second, c.k);
    }
    const Int classes = count;
    EXPECT_EQ(classes, static_cast<Int>(keys.size()));  // a repeated key shares its class
    // Every case again: found, never appended or defined again.
    const std::size_t defined = dm2_testing::outputDatabase(handle)->classes.size();
    for (const Case& c : group) EXPECT_EQ(choose(c.n, c.s, c.gate, c.cylindrical, c.second, c.k), c.name);
    EXPECT_EQ(count, classes);
    EXPECT_EQ(dm2_testing::outputDatabase(handle)->classes.size(), defined);
  }
  // "TSURF1" and "LSURF6", "PSURF2" and "RNODE2D" are different classes.
  restart();
  const Int tsurf = (choose(3, 3, 0, 0, 0, 0), slot), lsurf6 = (choose(3, 3, 0, 0, 1, 0), slot);
  const Int psurf2 = (choose(1, 1, -1, 0, 0, 0), slot), rnode = (choose(1, 1, 0, 0, 0, 0), slot);
  EXPECT_NE(tsurf, lsurf6);
  EXPECT_NE(psurf2, rnode);
  // A hit at the cached index leaves the class slot as the caller has it.
  choose(2, 3, 0, 0, 0, 0);
  slot = 4711;
  EXPECT_EQ(choose(2, 3, 0, 0, 0, 0), "");
  EXPECT_EQ(slot, 4711);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(SurfaceClasses, NodeCountsColumnsAndRigidKindsOutsideTheTableChooseNoClass) {
  for (Int n : {0, 10}) {
    eqc_testing::clearMessages();
    lastIndex = 3;
    slot = 5;
    EXPECT_EQ(choose(n, 3, 0, 0, 0, 0), "");
    EXPECT_EQ(count, 0);
    EXPECT_EQ(lastIndex, 0);
    EXPECT_EQ(slot, -1);
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
    EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ODBCLSURF.  SURFACE CLASS REQUESTS A"));
  }
  EXPECT_TRUE(dm2_testing::outputDatabase(handle)->classes.empty());
  // A rigid kind past the four names is refused where it would name the type, and elsewhere is
  // only a member of the class key.
  eqc_testing::clearMessages();
  EXPECT_EQ(choose(1, 3, 0, 0, 0, 5), "");
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_EQ(choose(3, 3, 0, 0, 0, 5), "TSURF1");
  EXPECT_EQ(count, 1);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  // Likewise a column outside 1 to 3 is refused only where it picks from the table: cylindrical
  // and rigid-kind names take none, and the key keeps it (-10 s for a cylindrical facet).
  EXPECT_EQ(choose(6, 5, 0, 1, 0, 0), "CYLSURF1");
  EXPECT_EQ(table[28 * 1 + 2], -50);
  EXPECT_EQ(choose(1, 5, 0, 0, 0, 4), "ARSR");
  EXPECT_EQ(count, 3);
  EXPECT_EQ(choose(3, 5, 0, 0, 0, 0), "");
  EXPECT_EQ(choose(1, 0, 0, 0, 0, 0), "");
  EXPECT_EQ(count, 3);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 3);
}

TEST_F(SurfaceClasses, BeyondTheNineClassesTheLayoutKeepsNothingIsWritten) {
  // Two fixed classes and the layout's room behind them; the fixed classes must stay as they are.
  restart(2);
  std::fill_n(table.begin(), 56, 77);
  std::vector<std::string> chosen;
  for (Int n = 1; n <= 9; ++n)
    for (Int s = 1; s <= 3; ++s) chosen.push_back(choose(n, s, -1, 0, 0, 0));
  for (std::size_t k = 0; k < chosen.size(); ++k)
    EXPECT_EQ(chosen[k], k < 9 ? kTable[k / 3 + 1][k % 3] : "") << k;
  EXPECT_EQ(count, 11);
  EXPECT_EQ(lastIndex, 0);
  EXPECT_EQ(slot, -1);
  EXPECT_TRUE(std::all_of(table.begin(), table.begin() + 56, [](Int w) { return w == 77; }));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 18);
  EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE."));
  const std::size_t defined = dm2_testing::outputDatabase(handle)->classes.size();
  EXPECT_EQ(defined, 9u);

  // A rigid surface that needs a tenth class writes no element and no set, and takes no label.
  eqc_testing::clearMessages();
  const double name = 0.0;
  Int classIndex = -5, label = -5, counter = -40;
  const Int node = 7;
  ODBRSURFA(record.data(), table.data(), &name, &classIndex, &label, &node, &first, &count, &counter, &handle);
  EXPECT_EQ(classIndex, 0);
  EXPECT_EQ(label, 0);
  EXPECT_EQ(counter, -40);
  EXPECT_EQ(count, 11);
  EXPECT_EQ(dm2_testing::outputDatabase(handle)->classes.size(), defined);
  for (const auto& c : dm2_testing::outputDatabase(handle)->classes) EXPECT_TRUE(c.elements.empty());
  EXPECT_TRUE(dm2_testing::outputDatabase(handle)->sets.empty());
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);

  // A class count short of the classes before the first pseudo-element class is refused.
  restart(3);
  count = 1;
  eqc_testing::clearMessages();
  EXPECT_EQ(choose(3, 3, 0, 0, 0, 0), "");
  EXPECT_EQ(count, 1);
  EXPECT_EQ(slot, -1);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ODBCLSURF"));
}

// Element classes of the facet catalogue with the facet type and order asked for (0 when none).
Int catalogueClass(bool wanted(Int type, bool firstOrder)) {
  for (Int c = 1; c <= zmx::catalogue::kClasses; ++c)
    if (wanted(rec::i(CSURFACEDEF, zmx::catalogue::kFacetType + c - 1),
               rec::i(CSURFACEDEF, zmx::catalogue::kLinear + c - 1) != 0))
      return c;
  return 0;
}

// A slave-surface record: kind, the slot-5 flag, the slot-8 field and facets of (facet, class,
// element label, node labels).
struct Facet {
  Int facet, elementClass, element;
  std::vector<Int> nodes;
};
std::vector<zmxtest::Slot> slaveSurface(const std::string& name, Int kind, Int flag, const std::string& field,
                                        const std::vector<Facet>& facets) {
  std::vector<zmxtest::Slot> s = {I(30), N(name), I(kind), I(flag), I(static_cast<Int>(facets.size())), I(10),
                                  N(field), I(0)};
  for (const Facet& f : facets) {
    s.push_back(I(6 + static_cast<Int>(f.nodes.size())));
    s.push_back(I(0));
    s.push_back(I(f.facet));
    s.push_back(I(f.elementClass));
    s.push_back(I(f.element));
    s.push_back(I(static_cast<Int>(f.nodes.size())));
    for (Int n : f.nodes) s.push_back(I(n));
  }
  return s;
}

class Surfaces : public zmxtest::HostFixture {
 protected:
  // Writes the builder's model (one hexahedron, one part) and gives the database.
  const dm2_testing::OutputDatabase* write() {
    const Real corners[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    std::vector<Int> nodes;
    for (int k = 0; k < 8; ++k) nodes.push_back(builder.node(101 + k, {corners[k][0], corners[k][1], corners[k][2]}));
    const Int hex = builder.element(1, builder.elementType("C3D8", 3008, 100, 8), nodes);
    builder.part("XIDCUBE", {hex}, nodes);
    return writeModel(builder, work, "odb_surfaces");
  }
  zmxtest::OdbModelBuilder builder;
  std::vector<double> work;
};

TEST_F(Surfaces, SlaveSurfacesAreWrittenAsPseudoElementsWithTheirSets) {
  const Int linear = catalogueClass([](Int type, bool first) { return type != 13 && type != 14 && first; });
  const Int quadratic = catalogueClass([](Int type, bool first) { return type != 13 && type != 14 && !first; });
  const Int cylinder = catalogueClass([](Int type, bool) { return type == 13; });
  ASSERT_NE(linear * quadratic * cylinder, 0);
  builder.pseudoLabelStart = 1000;
  builder.surfaceRecord(slaveSurface("TOP", 3, 0, "", {{1, linear, 1, {105, 106, 107, 108}},
                                                         {2, linear, 1, {101, 102, 103}},
                                                         {3, quadratic, 1, {101, 102, 103}},
                                                         {1, cylinder, 1, {101, 102, 103, 104, 105, 106}},
                                                         {3, cylinder, 1, {101, 102, 103, 104, 105, 106}}}));
  builder.surfaceRecord(slaveSurface("OWN", 2, 0, "LABELS", {{1, linear, 77, {101}}}));
  builder.surfaceRecord(slaveSurface("EDGE", 1, 0, "", {{1, linear, 1, {102}}}));
  builder.surfaceRecord(slaveSurface("SKIPPED", 3, 3, "", {{1, linear, 1, {101, 102, 103}}}));
  builder.surfaceRecord(slaveSurface("", 3, 0, "", {{1, linear, 1, {101, 102, 103}}}));
  builder.surfaceRecord(slaveSurface("EMPTY", 3, 0, "", {}));
  builder.surfaceRecord(slaveSurface("BAD", 3, 0, "", {{1, linear, 1, {}}, {1, linear, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}}));
  const auto* db = write();
  ASSERT_NE(db, nullptr);

  const auto* top = setNamed(db, "surface", "TOP");
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->members, (std::vector<Int>{-1001, -1002, -1003, -1004, -1005}));
  EXPECT_EQ(top->firstName, "TOP");
  EXPECT_EQ(top->firstLength, 80);
  EXPECT_EQ(top->flag, 0);
  const std::map<std::string, std::vector<Int>> expected = {
      {"QSURF1", {-1001}}, {"TSURF1", {-1002}}, {"LSURF6", {-1003}}, {"TSURF2", {-1004}}, {"CYLSURF1", {-1005}},
      {"RNODE2D", {77}},   {"PSURF2", {-1006}}};
  for (const auto& [type, labels] : expected) {
    const auto* c = classNamed(db, type);
    ASSERT_NE(c, nullptr) << type;
    std::vector<Int> got;
    for (const auto& e : c->elements) got.push_back(e.label);
    EXPECT_EQ(got, labels) << type;
  }
  const auto* quad = classNamed(db, "QSURF1");
  EXPECT_EQ(quad->elements[0].row, (std::vector<Int>{105, 106, 107, 108}));
  EXPECT_EQ(classNamed(db, "CYLSURF1")->elements[0].row, (std::vector<Int>{101, 102, 103, 104, 105, 106}));
  ASSERT_NE(setNamed(db, "surface", "OWN"), nullptr);
  EXPECT_EQ(setNamed(db, "surface", "OWN")->members, (std::vector<Int>{77}));
  EXPECT_EQ(setNamed(db, "surface", "SKIPPED"), nullptr);
  EXPECT_EQ(setNamed(db, "surface", "EMPTY"), nullptr);
  EXPECT_EQ(setNamed(db, "surface", "BAD"), nullptr);
  EXPECT_EQ(db->sets.size(), 3u + 2u);  // TOP, OWN, EDGE and the part's element and node sets
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);  // the 0- and 10-node facets of BAD
  EXPECT_TRUE(db->errors.empty());
  EXPECT_TRUE(dm2_testing::writerErrors().empty());
}

// A first facet entry past the record, a class outside the facet table and a step of 0 before the
// last facet are reported; the facets before them are written. An analysis-time facet on a node
// outside the model is reported and written with user number 0.
TEST_F(Surfaces, DamagedFacetEntriesAreReported) {
  const Int linear = catalogueClass([](Int type, bool first) { return type != 13 && type != 14 && first; });
  std::vector<zmxtest::Slot> far = slaveSurface("FAR", 3, 0, "", {{1, linear, 1, {101, 102, 103}}});
  far[7 - 2] = I(99);  // slot 7: the first entry
  std::vector<zmxtest::Slot> stop =
      slaveSurface("STOP", 3, 0, "", {{1, linear, 1, {101, 102, 103}}, {1, linear, 1, {104, 105, 106}}});
  stop[10 - 2] = I(0);  // the first entry's step
  builder.surfaceRecord(far);
  builder.surfaceRecord(slaveSurface("ODD", 3, 0, "", {{1, 999, 1, {101, 102, 103}}}));
  builder.surfaceRecord(stop);
  builder.analysisRecord({I(132), N("OUTSIDE"), I(0), I(6), I(1), I(99)});
  const auto* db = write();
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(setNamed(db, "surface", "FAR"), nullptr);
  EXPECT_EQ(setNamed(db, "surface", "ODD"), nullptr);
  ASSERT_NE(setNamed(db, "surface", "STOP"), nullptr);
  EXPECT_EQ(setNamed(db, "surface", "STOP")->members.size(), 1u);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 3);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ODBSURFACE. FACET ENTRY OUTSIDE THE RECORD"));
  std::vector<Int> table(28 * 130, 0), labels(64, 0);
  std::vector<double> record(64, 0.0);
  Int first = 2, count = 1, counter = -10, handle = dm2_testing::outputDatabases().back();
  const Int adb = 1, nodeDatabase = ADB_GETNDB(&adb);
  ODBSURFACEEXP(record.data(), labels.data(), table.data(), &first, &count, &counter, &handle, &nodeDatabase);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ODBSURFACEEXP. NODE 99 OUTSIDE THE MODEL"));
  ASSERT_NE(setNamed(db, "surface", "OUTSIDE"), nullptr);
  EXPECT_EQ(classNamed(db, "PSURF1")->elements.back().row, (std::vector<Int>{0}));
}

TEST_F(Surfaces, AnalysisTimeSurfacesCollapseQuadrilateralsAndSkipSlaveSurfaceNames) {
  builder.pseudoLabelStart = 10;
  builder.surfaceRecord(slaveSurface("SLAVE", 3, 0, "", {}));
  // Kind 130: slot 4 nodes per facet, slot 6 the index of the facet count, slot 9 the flags.
  builder.analysisRecord({I(130), N("QUADS"), I(4), I(0), I(10), I(0), I(0), I(0), I(2), I(0), I(0),
                          I(1), I(2), I(3), I(0), I(5), I(6), I(7), I(8)});
  builder.analysisRecord({I(130), N("SLAVE"), I(4), I(0), I(10), I(0), I(0), I(0), I(1), I(0), I(1), I(2), I(3), I(4)});
  builder.analysisRecord({I(130), N("AXI"), I(2), I(0), I(10), I(0), I(0), I(8), I(1), I(0), I(1), I(2)});
  builder.analysisRecord({I(132), N("POINTS"), I(0), I(6), I(2), I(3), I(4)});
  builder.analysisRecord({I(132), N("NONE"), I(0), I(6), I(0)});
  const std::string longName = "AN_ANALYSIS_SURFACE_OF_A_LONG_NAME";
  builder.analysisRecord({I(132), N(longLabelToken(longName)), I(0), I(6), I(1), I(1)});
  const auto* db = write();
  ASSERT_NE(db, nullptr);
  const std::size_t setsBefore = db->sets.size();
  std::vector<Int> table(28 * 130, 0), labels(64, 0);
  std::vector<double> record(64, 0.0);
  Int first = 2, count = 1, counter = -10, handle = db == nullptr ? 0 : dm2_testing::outputDatabases().back();
  const Int adb = 1, nodeDatabase = ADB_GETNDB(&adb);
  ODBSURFACEEXP(record.data(), labels.data(), table.data(), &first, &count, &counter, &handle, &nodeDatabase);

  const auto* quads = setNamed(db, "surface", "QUADS");
  ASSERT_NE(quads, nullptr);
  EXPECT_EQ(quads->members, (std::vector<Int>{-11, -12}));
  const auto* q = classNamed(db, "QSURF1");
  ASSERT_NE(q, nullptr);
  ASSERT_EQ(q->elements.size(), 2u);
  EXPECT_EQ(q->elements[0].row, (std::vector<Int>{101, 102, 103, 101}));  // zero fourth node: the first
  EXPECT_EQ(q->elements[1].row, (std::vector<Int>{105, 106, 107, 108}));
  const auto* axi = classNamed(db, "LSURF2");
  ASSERT_NE(axi, nullptr);
  EXPECT_EQ(axi->elements[0].row, (std::vector<Int>{102, 101}));  // two nodes swapped
  const auto* points = classNamed(db, "PSURF1");
  ASSERT_NE(points, nullptr);
  EXPECT_EQ(points->elements.size(), 3u);  // two of POINTS, one of the long name
  EXPECT_EQ(points->elements[1].row, (std::vector<Int>{104}));
  EXPECT_EQ(setNamed(db, "surface", "SLAVE"), nullptr);
  EXPECT_EQ(setNamed(db, "surface", "NONE"), nullptr);
  ASSERT_NE(setNamed(db, "surface", longName), nullptr);  // a long label's token is expanded
  EXPECT_EQ(setNamed(db, "surface", longName)->members, (std::vector<Int>{-16}));
  EXPECT_EQ(db->sets.size(), setsBefore + 4);
  EXPECT_EQ(count, 4);  // three classes behind the one element class
  EXPECT_EQ(counter, -16);
}

TEST_F(Surfaces, AWalkThatMeetsAZeroLengthRecordStopsWithItsMessage) {
  builder.surfaceRecord(slaveSurface("TOP", 3, 0, "", {{1, 1, 1, {101, 102, 103}}}));
  builder.analysisRecord({I(132), N("POINTS"), I(0), I(6), I(1), I(3)});
  const auto* db = write();
  ASSERT_NE(db, nullptr);
  // Append a record of length 0 to the slave-surface range and write the surfaces again.
  std::vector<Int> table(28 * 130, 0), labels(64, 0);
  std::vector<double> record(64, 0.0);
  Int first = 2, count = 1, counter = -100, handle = dm2_testing::outputDatabases().back();
  const std::size_t sets = db->sets.size();
  eqc_testing::clearMessages();
  std::vector<double> store = eqc_testing::slideLineStore();
  const Int end = rec::i(CSLV, 8);
  store.insert(store.begin() + end - 1, slot(0));
  rec::i(CSLV, 8) = end + 1;
  eqc_testing::setSlideLineStore(store);
  ODBSURFACE(record.data(), labels.data(), table.data(), &first, &count, &counter, &handle);
  EXPECT_EQ(db->sets.size(), sets + 1);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR 1 IN ODBSURFACE"));
  // The name scan of the analysis-time surfaces stops at the same record, once, and the surface
  // it could not match is written.
  ++rec::i(CSLV, 15);
  ++rec::i(CSLV, 16);
  const Int adb = 1, nodeDatabase = ADB_GETNDB(&adb);
  ODBSURFACEEXP(record.data(), labels.data(), table.data(), &first, &count, &counter, &handle, &nodeDatabase);
  EXPECT_EQ(db->sets.size(), sets + 2);
  EXPECT_EQ(db->sets.back().secondName, "POINTS");
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR 2 IN ODBSURFACEEXP"));
}

TEST_F(Surfaces, AnalysisTimeSurfaceWithCountsPastItsRecordIsReportedNotWritten) {
  // The facet record of QUADS with one of its counts damaged: nodes per facet (slot 4), the index
  // of the facet count (slot 6) or the facet count itself (slot 10).
  builder.analysisRecord({I(130), N("QUADS"), I(4), I(0), I(10), I(0), I(0), I(0), I(2), I(0), I(0), I(1), I(2),
                          I(3), I(0), I(5), I(6), I(7), I(8)});
  const auto* db = write();
  ASSERT_NE(db, nullptr);
  const std::vector<double> intact = eqc_testing::slideLineStore();
  const Int address = rec::i(CSLV, 15);
  const int big = 2147483647, least = -2147483647 - 1;
  for (const int slotOfCount : {4, 6, 10}) {
    for (const int value : {big, big - 1, big - 5, -1, least}) {
      std::vector<double> store = intact;
      rec::setSlotI(store.data() + (address - 1), slotOfCount, value);
      eqc_testing::setSlideLineStore(store);
      const std::size_t setsBefore = db->sets.size();
      std::vector<Int> table(28 * 130, 0), labels(64, 0);
      std::vector<double> record(64, 0.0);
      Int first = 2, count = 1, counter = -10, handle = dm2_testing::outputDatabases().back();
      const Int adb = 1, nodeDatabase = ADB_GETNDB(&adb);
      eqc_testing::clearMessages();
      ODBSURFACEEXP(record.data(), labels.data(), table.data(), &first, &count, &counter, &handle, &nodeDatabase);
      EXPECT_EQ(db->sets.size(), setsBefore) << slotOfCount << " " << value;
      EXPECT_EQ(eqc_testing::countAtLevel(-3), 1) << slotOfCount << " " << value;
    }
  }
}

}  // namespace
