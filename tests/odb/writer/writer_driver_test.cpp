// The writer end to end: a gathered model written into a new output database, read back through
// the writer stand-in's view.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/record.h"
#include "siblings/dm2/node_packages.h"
#include "siblings/dm2/output_testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/slide_line_codes.h"
#include "siblings/eqc/testing.h"
#include "siblings/eqc/writer_services.h"
#include "tests/odb/surfaces/odb_test_support.h"
#include "tests/support/host_fixture.h"
#include "tests/support/mapped_array.h"
#include "tests/support/odb_model_builder.h"
#include "zmx/odb.h"
#include "zmx/storage/db_units.h"

namespace {

using dm2_testing::OutputDatabase;
using odbtest::kIdentity;
using odbtest::superModel;
using zmxtest::A;
using zmxtest::I;
using zmxtest::N;
using zmxtest::R;

class OdbWriter : public zmxtest::HostFixture {
 protected:
  // Runs the gathering with the rotation G (by columns) and translation t; gives the handle.
  Int write(const std::array<Real, 9>& g = kIdentity, const std::array<Real, 3>& t = {0, 0, 0}, Int core = 200000) {
    work.assign(static_cast<std::size_t>(core), 0.0);
    coreCount = core;
    return superModel(builder.build(), work.data(), coreCount, zmxtest::scratchFolder("odb_writer") + "/model", g, t,
                      -7);
  }
  Int resultSlot(int k) const { return rec::slotI(work.data(), k); }

  zmxtest::OdbModelBuilder builder;
  std::vector<double> work;
  Int coreCount = 0;
};

// A unit cube of one hexahedron with a solid section of a named material and an orientation, and
// a grounded connector on its last node.
struct Cube {
  std::vector<Int> nodes;
  Int hex = 0, connector = 0;
};

Cube unitCube(zmxtest::OdbModelBuilder& b) {
  Cube c;
  const Real corners[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
  for (int k = 0; k < 8; ++k) c.nodes.push_back(b.node(101 + k, {corners[k][0], corners[k][1], corners[k][2]}));
  const int material = b.record(2, {N("STEEL")});
  const int solid = b.record(2, {I(0), A(material), I(1)}, 1);
  const int behaviour = b.record(41, {N("BEHAV")});
  const int connectorSection = b.record(41, {N("CONNSECT"), A(behaviour), I(0), I(0), I(0), I(11), I(12)}, 2);
  const Int hexType = b.elementType("C3D8", 3008, 100, 8);
  const Int connType = b.elementType("CONNX", 3491, 417, 2, {{46, 33}});
  c.hex = b.element(1, hexType, c.nodes, solid);
  c.connector = b.element(2, connType, {0, c.nodes[6]}, connectorSection);
  b.orientation(1, "ORI1", {1, 0, 0, 0, 1, 0}, 3, 0.5);
  b.orientation(0, "SKIPPED", {1, 0, 0, 0, 1, 0});
  b.orientation(100, "SKIPPED2", {1, 0, 0, 0, 1, 0});
  b.part("XIDCUBE", {c.hex, c.connector}, c.nodes);
  return c;
}

TEST_F(OdbWriter, UnitCubeIsWrittenWithItsFileFieldsNodesClassesAndRows) {
  builder.title = "CUBE UNDER LOAD";
  unitCube(builder);
  const std::array<Real, 9> g = {0, 1, 0, -1, 0, 0, 0, 0, 1};  // 90 degrees about z, by columns
  const std::array<Real, 3> t = {10, 20, 30};
  const Int handle = write(g, t);
  const OutputDatabase* db = dm2_testing::outputDatabase(handle);
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(db->solver, "VELTRO/Standard");
  EXPECT_EQ(db->solverLength, 24);
  EXPECT_EQ(db->pathLength, 255);
  EXPECT_EQ(db->title, "CUBE UNDER LOAD");
  EXPECT_EQ(db->titleLength, 80);
  EXPECT_EQ(db->releaseLength, 8);
  EXPECT_EQ(db->release, "6.4-1");
  EXPECT_EQ(db->directions, 3);
  EXPECT_NE(db->path.find("model.odb"), std::string::npos);
  ASSERT_EQ(db->nodes.size(), 8u);
  for (int k = 0; k < 8; ++k) {
    const auto& n = db->nodes[static_cast<std::size_t>(k)];
    const Real x[3] = {static_cast<Real>(k == 1 || k == 2 || k == 5 || k == 6), static_cast<Real>(k == 2 || k == 3 || k == 6 || k == 7),
                       static_cast<Real>(k >= 4)};
    EXPECT_EQ(n.label, 101 + k);
    for (int i = 0; i < 3; ++i) {
      Real y = t[static_cast<std::size_t>(i)];
      for (int j = 0; j < 3; ++j) y += g[static_cast<std::size_t>(j + 3 * i)] * x[j];  // G^T x
      EXPECT_FLOAT_EQ(n.x[static_cast<std::size_t>(i)], static_cast<float>(y)) << k << " " << i;
    }
  }
  ASSERT_EQ(db->orientations.size(), 1u);
  EXPECT_EQ(db->orientations[0].name, "ORI1");
  for (float o : db->orientations[0].origin) EXPECT_FLOAT_EQ(o, 0.5f);
  EXPECT_EQ(db->orientations[0].integer, 3);

  ASSERT_EQ(db->classes.size(), 2u);
  const auto& hex = db->classes[0];
  EXPECT_EQ(hex.typeName, "C3D8");
  EXPECT_EQ(hex.category, "solid < STEEL >");
  EXPECT_EQ(hex.orientationKind, 2);
  EXPECT_EQ(hex.sectionReference.substr(0, 1), "S");
  ASSERT_EQ(hex.elements.size(), 1u);
  EXPECT_EQ(hex.elements[0].label, 1);
  EXPECT_EQ(hex.elements[0].row, (std::vector<Int>{101, 102, 103, 104, 105, 106, 107, 108}));
  const auto& conn = db->classes[1];
  EXPECT_EQ(conn.typeName, "CONN3D2G");
  EXPECT_EQ(conn.category, "connector");
  ASSERT_EQ(conn.elements.size(), 1u);
  EXPECT_EQ(conn.elements[0].row, (std::vector<Int>{107, 0}));
  ASSERT_EQ(db->connectorClasses.size(), 1u);
  odbtest::expectConnectorClass(db->connectorClasses[0], "CONNSECT", "BEHAV", 11, 12);
  ASSERT_EQ(db->connectorClasses[0].connectors.size(), 1u);
  EXPECT_EQ(db->connectorClasses[0].connectors[0].node1, 0);
  EXPECT_EQ(db->connectorClasses[0].connectors[0].node2, 107);
  EXPECT_TRUE(db->errors.empty());
  EXPECT_TRUE(dm2_testing::writerErrors().empty()) << dm2_testing::writerErrors()[0];
  EXPECT_EQ(dm2_testing::openNodePackages(), 0);
  EXPECT_EQ(dm2_testing::nodePackageRequests(), (std::vector<Int>{2, 1}));
  const auto monitor = eqc_testing::jobMonitorMessages();
  ASSERT_EQ(monitor.size(), 1u);
  EXPECT_EQ(monitor[0].kind, "Odb_File");
  EXPECT_EQ(monitor[0].text, db->path);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0) << eqc_testing::messages()[0].text;

  // The result record.
  EXPECT_EQ(resultSlot(2), 2);
  EXPECT_EQ(resultSlot(3), 1);
  EXPECT_EQ(resultSlot(5), 14);
  EXPECT_EQ(rec::slotI(work.data(), 14), 1);  // element 1: class 1
  EXPECT_EQ(rec::slotI(work.data(), 16), 2);  // element 2: class 2
  EXPECT_GT(resultSlot(1), resultSlot(13));

  // The transcript at the path holds one line per call.
  dm2_testing::closeOutputDatabase(handle);
  std::ifstream file(db->path);
  std::string first;
  std::getline(file, first);
  EXPECT_EQ(first.rfind("OPENNEWFILE | \"" + db->path + "\" | 3 | \"CUBE UNDER LOAD\" | \"VELTRO/Standard\" | \"6.4-1\"", 0), 0u)
      << first;
}

// Connector names read by the driver reach the writer with the class (names kind 2 for family
// 419, one point per name); names in another order make another class; a name beyond the room
// of an element is reported and not kept. A node's first record of the node-record range goes to
// its node map entry beside its part. An element whose type has no rebar or layer words takes the
// last of its records in the rebar-section range as its section.
TEST_F(OdbWriter, ConnectorNamesNodeRecordsAndRecordSectionsReachTheWriter) {
  builder.connectorNames = 2;
  builder.connectorFlag = 1;
  const int solid = builder.record(2, {I(0), I(0)}, 1);
  const int r1 = builder.nodeRecord(4, {I(0)}), r2 = builder.nodeRecord(4, {I(0)});
  const Int a = builder.node(1, {0, 0, 0}, 4, {solid, r2, r1}), b = builder.node(2, {1, 0, 0}, 4, {solid});
  const int n1 = builder.record(15, {I(0), I(0), N("FIRST")}), n2 = builder.record(15, {I(0), I(0), N("SECOND")});
  const int n3 = builder.record(15, {I(0), I(0), N("THIRD")});
  const int rebar = builder.record(31, {I(0), I(a)}, 2);  // slot 3: a reference node to the slide-line writer
  const Int joint = builder.elementType("JOINT", 3000, 419, 2);
  const Int bar = builder.elementType("T3D2", 2010, 300, 2);
  const Int e1 = builder.element(11, joint, {a, b}, 0, {n1, n2});
  const int shortName = builder.record(15, {I(0)});  // too short to hold a name: reported, passed over
  const Int e2 = builder.element(12, joint, {a, b}, 0, {shortName, n1, n2});
  const Int e3 = builder.element(13, joint, {b, a}, 0, {n2, n1});
  const Int e4 = builder.element(14, joint, {a, b}, 0, {n1, n3, n2});
  const Int e5 = builder.element(15, bar, {a, b}, solid, {rebar, solid});
  builder.part("XIDJOINTS", {e1, e2, e3, e4, e5}, {a, b});
  const Int handle = write();
  const OutputDatabase* db = dm2_testing::outputDatabase(handle);
  ASSERT_NE(db, nullptr);
  ASSERT_EQ(db->classes.size(), 5u);
  EXPECT_EQ(db->classes[4].typeName, "RNODE2D");  // the reference node of the rebar-section record
  const std::vector<std::vector<std::string>> names = {{"FIRST", "SECOND"}, {"SECOND", "FIRST"}, {"FIRST", "THIRD"}};
  const std::vector<std::vector<Int>> labels = {{11, 12}, {13}, {14}};
  for (std::size_t c = 0; c < 3; ++c) {
    const auto& k = db->classes[c];
    EXPECT_EQ(k.typeName, "JOINT") << c;
    EXPECT_EQ(k.namesKind, 2) << c;
    EXPECT_EQ(k.points, 2) << c;
    EXPECT_EQ(std::vector<std::string>(k.names.begin(), k.names.begin() + 2), names[c]) << c;
    std::vector<Int> written;
    for (const auto& e : k.elements) written.push_back(e.label);
    EXPECT_EQ(written, labels[c]) << c;
  }
  char reference[16];
  std::snprintf(reference, sizeof reference, "S%9d", builder.address(rebar));
  EXPECT_EQ(db->classes[3].sectionReference, reference);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ODBCLASS1. TOO MANY CONNECTOR NAMES FOR ELEMENT 4"));
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ODBCLASS1"));
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN WRITEMODELODBSUPER"));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 3);
  // The node map: part 1 for both nodes; node 1's first record in the range is r2, node 2 has none.
  const Int map = resultSlot(10);
  for (const auto& [node, record] : std::vector<std::pair<Int, Int>>{{1, builder.address(r2)}, {2, 0}}) {
    Int words[2];
    std::memcpy(words, &work[static_cast<std::size_t>(map + node - 2)], sizeof words);
    EXPECT_EQ(words[0], 1) << node;
    EXPECT_EQ(words[1], record) << node;
  }
}

// Damaged records of the slide-line database, each in turn: a directory that names more entries
// than it holds, a node or element list naming a number outside the model, an orientation record
// too short for its fields. Each is reported and the rest written.
TEST_F(OdbWriter, DamagedListsAndRecordsAreReportedAndPassedOver) {
  unitCube(builder);
  builder.build();
  const std::vector<double> intact = eqc_testing::slideLineStore();
  auto listOf = [&](int directoryWord) {
    const Int directory = rec::i(CSLV, directoryWord);
    return directory + rec::slotI(intact.data() + directory - 1, 6) - 1;
  };
  struct Damage {
    Int address;
    int slot;
    Int value;
    std::string text;
  };
  const std::vector<Damage> damages = {
      {rec::i(CSLV, 8), 2, 1000, "SYSTEM ERROR IN WRITEMODELODBSUPER"},
      {listOf(9), 3, 99, "SYSTEM ERROR IN ODBNODES. NODE 99 OUTSIDE THE MODEL"},
      {listOf(8), 2, 99, "SYSTEM ERROR IN WRITEMODELODBSUPER. ELEMENT 99 OUTSIDE THE MODEL"},
      {rec::i(CSLV, 3), 1, 9, "SYSTEM ERROR IN SHR_ODBORIENTATION"},
      {rec::i(CSLEF, 49), 2, 1000, "SYSTEM ERROR IN ODB_CREATESUPERMODEL"}};
  for (const Damage& d : damages) {
    std::vector<double> store = intact;
    rec::setSlotI(store.data() + d.address - 1, d.slot, d.value);
    eqc_testing::setSlideLineStore(store);
    eqc_testing::clearMessages();
    const Int handle = superModel(1, work, 200000, "odb_damaged");
    EXPECT_TRUE(eqc_testing::printed(d.text)) << d.text;
    ASSERT_NE(dm2_testing::outputDatabase(handle), nullptr) << d.text;
    EXPECT_FALSE(dm2_testing::outputDatabase(handle)->classes.empty()) << d.text;
  }
}

TEST_F(OdbWriter, ModelWithoutElementsOpensNothing) {
  builder.node(1, {0, 0, 0});
  const Int handle = write();
  EXPECT_EQ(handle, 0);
  EXPECT_TRUE(dm2_testing::outputDatabases().empty());
  EXPECT_TRUE(eqc_testing::messages().empty());
}

TEST_F(OdbWriter, TwoDimensionalNodesOfAClearFlagGetZeroDepth) {
  Cube c = unitCube(builder);
  builder.twoDimensionalFlag = 1;
  const Int handle = write();
  (void)c;
  const OutputDatabase* db = dm2_testing::outputDatabase(handle);
  ASSERT_NE(db, nullptr);
  for (const auto& n : db->nodes) EXPECT_GT(n.x[2] + 1.0f, 0.0f);
  // Clear bit 3 on every node: all depths become 0.
  zmxtest::OdbModelBuilder again;
  again.twoDimensionalFlag = 1;
  const Real corner[3] = {2, 3, 4};
  const Int n1 = again.node(5, {corner[0], corner[1], corner[2]}, 0);
  const Int n2 = again.node(6, {1, 1, 1}, 4);
  const Int type = again.elementType("B31", 2100, 300, 2);
  const Int e = again.element(9, type, {n1, n2});
  again.part("XIDBEAM", {e}, {n1, n2});
  work.assign(100000, 0.0);
  Int core = 100000;
  const std::string name = zmxtest::scratchFolder("odb_writer2d") + "/beam";
  const Int h = superModel(again.build(), work.data(), core, name, kIdentity, {0, 0, 5});
  const OutputDatabase* d2 = dm2_testing::outputDatabase(h);
  ASSERT_NE(d2, nullptr);
  ASSERT_EQ(d2->nodes.size(), 2u);
  EXPECT_EQ(d2->nodes[0].x, (std::array<float, 3>{2, 3, 0}));
  EXPECT_EQ(d2->nodes[1].x, (std::array<float, 3>{1, 1, 6}));
}

TEST_F(OdbWriter, TwoPartsWriteEachElementOnceAndAMissingPartIsReported) {
  const Int a = builder.node(1, {0, 0, 0}), b = builder.node(2, {1, 0, 0}), c = builder.node(3, {2, 0, 0});
  const Int type = builder.elementType("T3D2", 2010, 300, 2);
  const Int e1 = builder.element(11, type, {a, b});
  const Int e2 = builder.element(12, type, {b, c});
  const Int e3 = builder.element(13, type, {a, c});
  builder.part("XIDONE", {e1, e3}, {a, b});
  builder.elementSet("PIPE", {e2});        // not a part: no leading blank
  builder.part(" PITWO", {e2}, {b, c});
  builder.elementSet("XIDLOST", {});       // a part without node data
  const Int handle = write();
  const OutputDatabase* db = dm2_testing::outputDatabase(handle);
  ASSERT_NE(db, nullptr);
  // The class is defined again in the second part; each element is written once.
  ASSERT_EQ(db->classes.size(), 2u);
  std::vector<Int> written;
  for (const auto& cls : db->classes)
    for (const auto& e : cls.elements) written.push_back(e.label);
  EXPECT_EQ(written, (std::vector<Int>{11, 13, 12}));
  EXPECT_EQ(db->title, "");  // a heading of blank words
  EXPECT_EQ(db->nodes.size(), 4u);  // node 2 belongs to both parts
  EXPECT_TRUE(eqc_testing::printed("NODE DATA FOR PART XIDLOST NOT FOUND"));
  EXPECT_EQ(eqc_testing::countAtLevel(-2), 0);
}

TEST_F(OdbWriter, ElementOfLabelZeroHasNoClassAndIsFiledUnderItsKey) {
  const Int a = builder.node(1, {0, 0, 0}), b = builder.node(2, {1, 0, 0});
  const Int type = builder.elementType("T3D2", 2010, 300, 2);
  const Int e1 = builder.element(11, type, {a, b});
  const Int e2 = builder.element(0, type, {a, b});  // label 0: not classified
  builder.part("XIDONE", {e1, e2}, {a, b});
  superModel(builder.build(), work, 100000, "odb_label_zero", "m");
  EXPECT_TRUE(eqc_testing::printed("CLASS UNKNOWN FOR ELEMENT 0"));
  ASSERT_FALSE(eqc_testing::filed(-2511).empty());
  EXPECT_EQ(eqc_testing::filed(-2511).back(), 0);
}

TEST_F(OdbWriter, TooSmallAWorkArrayOpensNoFileAndKeepsTheCoreCount) {
  unitCube(builder);
  builder.storeCounts = true;
  // 60 slots: the stored CGM (100 integers from slot 51) does not fit; 110: its integers fit
  // packed but not one to a slot.
  for (const Int core : {60, 110}) {
    eqc_testing::clearMessages();
    const Int handle = write({1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0}, core);
    EXPECT_EQ(handle, 0);
    if (core == 60) {
      EXPECT_EQ(coreCount, core);  // nothing booked before the stored copy is refused
    }
    EXPECT_EQ(resultSlot(1), 0);
    EXPECT_TRUE(dm2_testing::outputDatabases().empty());
    EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE."));
    EXPECT_EQ(rec::i(CGM, 1), 100);  // put back
  }
}

TEST_F(OdbWriter, AWorkArrayOfKnownRoomIsGrownThroughDbcoreWithinThatRoom) {
  unitCube(builder);
  const Int adb = builder.build();
  const std::string name = zmxtest::scratchFolder("odb_known_room") + "/m";
  for (const std::size_t room : {std::size_t{200000}, std::size_t{60}}) {
    eqc_testing::clearMessages();
    zmxtest::MappedArray mapped(room);
    const Int tally = rec::i(CSIZE, zmx::units::kCoreGrowth);
    Int core = 60;
    const Int h = superModel(adb, mapped.data(), core, name);
    EXPECT_TRUE(mapped.guardsKept()) << room;
    if (room == 60) {  // the model does not fit the array's own room: nothing is booked
      EXPECT_EQ(h, 0);
      EXPECT_EQ(core, 60);
      EXPECT_EQ(rec::i(CSIZE, zmx::units::kCoreGrowth), tally);
      EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE."));
      continue;
    }
    EXPECT_NE(h, 0);
    EXPECT_GE(core, rec::slotI(mapped.data(), 1));
    EXPECT_EQ(rec::i(CSIZE, zmx::units::kCoreGrowth) - tally, core - 60);
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  }
}

// The spare classes behind the class table are written only where the array holds them, even
// when no element makes a class (nothing is then written to the database, but the result record
// is laid out).
TEST_F(OdbWriter, AModelWithoutElementsIsNeverWrittenPastItsWorkArray) {
  builder.node(1, {0, 0, 0});
  const Int adb = builder.build();
  const std::string name = zmxtest::scratchFolder("odb_no_elements") + "/m";
  auto write = [&](std::size_t room) {
    zmxtest::MappedArray mapped(room, 200);
    Int core = static_cast<Int>(room);
    superModel(adb, mapped.data(), core, name);
    EXPECT_TRUE(mapped.guardsKept()) << room;
    return rec::slotI(mapped.data(), 1);  // the result record's last slot, 0 when refused
  };
  for (std::size_t room = 1; room <= 600; ++room) write(room);
  EXPECT_GT(write(200000), 13);
}

TEST_F(OdbWriter, StoredCountsAreUsedWhileWritingAndPutBack) {
  unitCube(builder);
  const Int adb = builder.build();
  const std::vector<Int> model(CGM.w, CGM.w + 100);
  // The boundary-condition table lies behind the part table, CGM word 41 slots behind its buffer.
  auto bcTableSlot = [&](const std::vector<Int>& stored) {
    eqc_testing::setStoredModelCounts(stored);
    std::vector<double> w(200000);
    Int core = 200000;
    superModel(adb, w.data(), core, zmxtest::scratchFolder("odb_stored") + "/m");
    EXPECT_EQ(std::vector<Int>(CGM.w, CGM.w + 100), model);
    return rec::i(CNODE, 6);
  };
  const Int plain = bcTableSlot({});
  std::vector<Int> stored = model;
  stored[40] += 100;  // word 41
  EXPECT_EQ(bcTableSlot(stored), plain + 100);
  stored[0] = 0;  // a count outside CGM: nothing is loaded
  EXPECT_EQ(bcTableSlot(stored), plain);
}

TEST_F(OdbWriter, TheDriverReadsTheDatabaseForLabelsAndTypesAndReportsPartsNotFound) {
  const std::vector<Int> nodes = odbtest::nodesOnXAxis(builder, 17);
  const Int bar = builder.elementType("T3D2", 2010, 300, 2);
  const Int e1 = builder.element(11, bar, {nodes[0], nodes[1]});
  const Int e2 = builder.element(12, builder.elementType("C3D17", 3810, 100, 17), nodes);
  builder.part("XIDONE", {e1, e2}, nodes);
  const Int adb = builder.build();
  // The driver alone, told of three parts. A caller's tables: element 1 without class and with a
  // stale label, element 2 of class 1 with the spare word 0; part records filled with 99.
  std::vector<double> b1(64), b2(64), b3(64), work(2000), refs(10), names(4), connectorBuffer(64);
  std::vector<Int> elementTable = {0, 0, 999, 0, 1, 0, 12, 0}, classTable(28 * 130), partTable(28 * 3, 99);
  std::vector<Int> nodeMap(2 * 17), bcTable(40), labels(20);
  for (Int w : {7, 9}) classTable[static_cast<std::size_t>(w - 1)] = -1;
  classTable[10] = 1;   // labels from position 1
  classTable[12] = 2;   // rows from position 2
  classTable[18] = 1;   // one element
  classTable[26] = 17;  // of 17 nodes
  std::vector<Int> nodeLabels;
  for (Int k = 1; k <= 17; ++k) nodeLabels.push_back(100 + k);
  const Int references = 0, m13 = 2000, m14 = 16, unused = 0, expected = 3, solver = 0, connectorFlag = 0;
  Int classes = 1, handle = 0;
  const std::string path = zmxtest::scratchFolder("odb_parts") + "/m";
  const std::array<Real, 9> g = kIdentity;
  const std::array<Real, 3> t = {0, 0, 0};
  WRITEMODELODBSUPER(b1.data(), b2.data(), b3.data(), elementTable.data(), work.data(), refs.data(), nodeLabels.data(),
                     classTable.data(), partTable.data(), nodeMap.data(), bcTable.data(), &references, &m13, &m14,
                     &unused, path.c_str(), static_cast<Int>(path.size()), &expected, &classes, g.data(), t.data(), &adb, &handle, &solver, names.data(),
                     connectorBuffer.data(), &connectorFlag, labels.data());
  EXPECT_TRUE(eqc_testing::printed("CLASS UNKNOWN FOR ELEMENT 11"));
  ASSERT_FALSE(eqc_testing::filed(-2511).empty());
  EXPECT_EQ(eqc_testing::filed(-2511).back(), 11);
  // Element 2 is placed as type 3810: its ninth node moves to the end of the row.
  const OutputDatabase* db = dm2_testing::outputDatabase(handle);
  ASSERT_NE(db, nullptr);
  ASSERT_EQ(db->classes.size(), 1u);
  ASSERT_EQ(db->classes[0].elements.size(), 1u);
  EXPECT_EQ(db->classes[0].elements[0].label, 12);
  EXPECT_EQ(db->classes[0].elements[0].row,
            (std::vector<Int>{101, 102, 103, 104, 105, 106, 107, 108, 110, 111, 112, 113, 114, 115, 116, 117, 109}));
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN WRITEODB. UNABLE TO LOCATE PART DATA FOR 2 PARTS"));
  EXPECT_EQ(eqc_testing::countAtLevel(-2), 1);
  EXPECT_EQ(nodeMap[0], 1);  // node 1 written by part 1
  // Words 1 and 3 and the coded name of the part record; its other words stay.
  EXPECT_EQ(partTable[0], rec::i(CSLV, 8) + 6);  // the element list behind the directory
  EXPECT_NE(partTable[2], 99);
  std::vector<Int> coded(20);
  const Int eighty = 80;
  ACODCE(("XIDONE" + std::string(74, ' ')).c_str(), 80, coded.data(), &eighty);
  EXPECT_EQ(std::vector<Int>(partTable.begin() + 4, partTable.begin() + 24), coded);
  for (std::size_t w : {1, 3, 24, 25, 26, 27}) EXPECT_EQ(partTable[w], 99) << w;
  EXPECT_TRUE(std::all_of(partTable.begin() + 28, partTable.end(), [](Int w) { return w == 99; }));

  // A class table without label positions for a class of the part: reported, the element not
  // placed. A work array smaller than the record buffer and the count array: nothing opened.
  auto again = [&](Int room) {
    eqc_testing::clearMessages();
    const std::size_t databases = dm2_testing::outputDatabases().size();
    WRITEMODELODBSUPER(b1.data(), b2.data(), b3.data(), elementTable.data(), work.data(), refs.data(),
                       nodeLabels.data(), classTable.data(), partTable.data(), nodeMap.data(), bcTable.data(),
                       &references, &room, &m14, &unused, path.c_str(), static_cast<Int>(path.size()), &expected,
                       &classes, g.data(), t.data(), &adb, &handle, &solver, names.data(), connectorBuffer.data(),
                       &connectorFlag, labels.data());
    return dm2_testing::outputDatabases().size() - databases;
  };
  classTable[10] = 0;
  EXPECT_EQ(again(m13), 1u);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN WRITEMODELODBSUPER"));
  EXPECT_TRUE(dm2_testing::outputDatabase(handle)->classes.at(0).elements.empty());
  EXPECT_EQ(again(1), 0u);
  EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE."));
}

}  // namespace
