// Boundary-condition node sets, element sets and node sets of the output database.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "runtime/units.h"
#include "siblings/dm2/node_packages.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/job_testing.h"
#include "siblings/eqc/restart_record.h"
#include "tests/odb/surfaces/odb_test_support.h"
#include "tests/support/mapped_array.h"
#include "tests/support/odb_model_builder.h"
#include "zmx/odb.h"
#include "zmx/storage/db_units.h"
#include "zmx/storage/records.h"
#include "zmx/storage/sets.h"

namespace {

using namespace odbtest;
using zmxtest::I;

std::pair<std::string, std::string> describe(Int slot, Int step, Int part = 0, const std::string& loadCase = "") {
  char name[80], brief[8];
  const Int flag = loadCase.empty() ? 0 : 1, length = static_cast<Int>(loadCase.size());
  OBCDES(name, 80, brief, 8, &slot, &step, &part, loadCase.c_str(), length, &length, &flag);
  return {std::string(name, 80), std::string(brief, 8)};
}

std::string pad(const std::string& s, std::size_t n) { return (s + std::string(n, ' ')).substr(0, n); }

// The database's sets from the index `from` on, a line each: kind, both names, flag and members.
std::vector<std::string> setLines(const dm2_testing::OutputDatabase& db, std::size_t from = 0) {
  std::vector<std::string> lines;
  for (std::size_t k = from; k < db.sets.size(); ++k) {
    const auto& s = db.sets[k];
    std::string line = s.kind + " " + s.firstName + "|" + s.secondName + " " + std::to_string(s.flag) + " [";
    for (Int m : s.members) line += " " + std::to_string(m);
    lines.push_back(line + " ]");
  }
  return lines;
}

class SetNames : public zmxtest::HostFixture {};

// A batch part of one element on node 5, which carries a pore-pressure condition of the base state.
void poreOnOneBatchNode(zmxtest::OdbModelBuilder& b) {
  const Int n = b.node(5, {0, 0, 0});
  std::vector<zmxtest::Slot> s(38, I(0));
  s[0] = I(8);
  s[1] = I(1);
  s[37] = I(1);
  b.boundaryConditions(n, {b.bcRecord(s)});
  const Int e = b.element(1, b.elementType("T3D2", 2010, 300, 2), {n, n});
  b.part(" PIBATCH", {e}, {n});
}

TEST_F(SetNames, EveryKindOfSlotIsNamedAsTheTableSays) {
  rec::i(CBCODB, 2) = 19;
  rec::i(CBCODB, 3) = 32;
  rec::i(CBCODB, 4) = 33;
  rec::i(CBCODB, 5) = 35;
  EXPECT_EQ(describe(1, 1), std::make_pair(pad("Step    1 Disp dof  1", 80), pad("DISP", 8)));
  EXPECT_EQ(describe(12, 7), std::make_pair(pad("Step    7 Vel  dof  6", 80), pad("VEL", 8)));
  EXPECT_EQ(describe(15, 12, 3), std::make_pair(pad("Step   12 Part        3 Acc  dof  3", 80), pad("ACCEL", 8)));
  const char* driven[13] = {"XSYMM",  "YSYMM",  "ZSYMM",  "XASYMM",   "YASYMM",   "ZASYMM",  "ENCASTRE",
                            "PINNED", "NOWARP", "NOOVAL", "NODEFORM", "SHELLTOS", "SHELLTOS"};
  for (Int type = 1; type <= 13; ++type) {
    const std::string text = type == 12 ? "DRIVEN" : pad(driven[type - 1], 8);
    EXPECT_EQ(describe(18 + type, 2), std::make_pair(pad("Step    2 Type " + text, 80), pad(driven[type - 1], 8)));
  }
  EXPECT_EQ(describe(32, 1), std::make_pair(pad("Step    1 Pore ", 80), pad("POR", 8)));
  EXPECT_EQ(describe(33, 1), std::make_pair(pad("Step    1 Temp dof 11", 80), pad("TEMP", 8)));
  EXPECT_EQ(describe(35, 1), std::make_pair(pad("Step    1 Temp dof 13", 80), pad("TEMP", 8)));
  EXPECT_EQ(describe(36, 1), std::make_pair(pad("Step    1", 80), pad("", 8)));
  EXPECT_EQ(describe(1, -1), std::make_pair(pad(" Disp dof  1", 80), pad("DISP", 8)));
  EXPECT_EQ(describe(32, 1, 0, "LC7"), std::make_pair(pad("Step    1 Load case LC7 Pore ", 80), pad("POR", 8)));
}

class OdbSets : public zmxtest::HostFixture {
 protected:
  const dm2_testing::OutputDatabase* write() { return writeModel(builder, work, "odb_sets"); }
  // A boundary-condition record: type, slot 3, kind, driven type and row.
  int condition(Int type, Int counts, Int kind, Int driven, Int row) {
    std::vector<zmxtest::Slot> s(38, I(0));
    s[0] = I(type);
    s[1] = I(counts);
    s[10] = I(kind);
    s[12] = I(driven);
    s[37] = I(row);
    return builder.bcRecord(s);
  }
  // The set directories, and the writer's tables as the gathering left them in the work array.
  struct Tables {
    std::vector<double> elementDirectory, nodeDirectory;
    const Int *elementTable, *nodeLabels, *nodeMap;
  };
  Tables tables() const {
    Tables t{std::vector<double>(64), std::vector<double>(64), at(5), at(8), at(10)};
    const Int read = 0, elementAt = rec::i(CSLV, 8), nodeAt = rec::i(CSLV, 9);
    DBSL(&read, t.elementDirectory.data(), &elementAt);
    DBSL(&read, t.nodeDirectory.data(), &nodeAt);
    return t;
  }
  // Part XIDA of nodes 101 to 104 (on the x axis) and the bar 11 on the first two; gives the bar.
  Int partOfFourNodes(std::vector<Int>& nodes) {
    nodes = nodesOnXAxis(builder, 4);
    const Int e1 = builder.element(11, builder.elementType("T3D2", 2010, 300, 2), {nodes[0], nodes[1]});
    builder.part("XIDA", {e1}, nodes);
    return e1;
  }
  const Int* at(int resultSlot) const {
    return reinterpret_cast<const Int*>(work.data() + rec::slotI(work.data(), resultSlot) - 1);
  }
  zmxtest::OdbModelBuilder builder;
  std::vector<double> work;
};

// The slot a record counts under, 0 when none (R = 34: two temperature slots).
Int expectedSlot(Int type, Int counts, Int kind, Int driven, Int row) {
  if (counts != 1 || row != 1) return 0;
  if (type >= 1 && type <= 6) return 6 * kind + type;
  if (type == 0) return driven >= 1 && driven <= 13 ? 18 + driven : 0;
  if (type == 8) return 32;
  if (type >= 11 && type <= 12) return 22 + type;
  return 0;
}

TEST_F(OdbSets, RandomBoundaryConditionsGroupByTheirSlotInEveryStep) {
  std::mt19937 rng(29);
  builder.bcDegrees = 2;
  builder.steps = 2;
  std::vector<Int> batch, other;
  for (Int k = 0; k < 12; ++k) batch.push_back(builder.node(500 + 3 * k, {Real(k), 0, 0}));
  for (Int k = 0; k < 4; ++k) other.push_back(builder.node(900 + k, {Real(k), 1, 0}));
  const Int type = builder.elementType("T3D2", 2010, 300, 2);
  const Int e1 = builder.element(1, type, {batch[0], batch[1]});
  const Int e2 = builder.element(2, type, {other[0], other[1]});
  builder.part(" PIBATCH", {e1}, batch);
  builder.part("XIDOTHER", {e2}, other);

  struct Record {
    int id;
    Int slot;
  };
  std::vector<Record> records;
  const Int types[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, -1};
  records.push_back({condition(1, 1, 0, 0, 1), 1});  // the displacement of dof 1
  for (int r = 0; r < 40; ++r) {
    const Int t = types[rng() % 15], counts = rng() % 4 == 0 ? 0 : 1, kind = static_cast<Int>(rng() % 3);
    const Int driven = static_cast<Int>(rng() % 14) + 1, row = rng() % 4 == 0 ? 2 : 1;
    records.push_back({condition(t, counts, kind, driven, row), expectedSlot(t, counts, kind, driven, row)});
  }
  std::map<Int, std::vector<Int>> expected;  // slot -> labels, nodes in list order
  auto carry = [&](const std::vector<Int>& nodes, bool counted) {
    for (Int n : nodes) {
      std::vector<int> carried;
      for (const Record& r : records)
        if (rng() % 4 == 0 || (n == nodes[0] && r.slot == 1)) carried.push_back(r.id);
      builder.boundaryConditions(n, carried);
      if (!counted) continue;
      for (const Record& r : records) {
        if (r.slot == 0 || std::find(carried.begin(), carried.end(), r.id) == carried.end()) continue;
        auto& labels = expected[r.slot];
        const Int label = 500 + 3 * (n - batch[0]);
        if (std::find(labels.begin(), labels.end(), label) == labels.end()) labels.push_back(label);
      }
    }
  };
  carry(batch, true);
  carry(other, false);
  const auto* db = write();
  ASSERT_NE(db, nullptr);

  // The batch part's sets are written again in each of the two parts, alike.
  std::map<std::string, std::vector<Int>> got;
  std::map<std::string, int> times;
  for (const auto& s : db->sets)
    if (s.kind == "node" && s.secondName.rfind("Step", 0) == 0) {
      EXPECT_EQ(s.firstName, s.secondName);
      EXPECT_EQ(s.flag, 1);
      if (!got.emplace(s.secondName, s.members).second) {
        EXPECT_EQ(got[s.secondName], s.members);
      }
      ++times[s.secondName];
    }
  for (const auto& [name, n] : times) EXPECT_EQ(n, 2) << name;
  std::map<std::string, std::vector<Int>> want;
  for (Int step = 1; step <= 2; ++step)
    for (const auto& [slot, labels] : expected) {
      const std::string name = describe(slot, step).first;
      want[name.substr(0, name.find_last_not_of(' ') + 1)] = labels;
    }
  EXPECT_EQ(got, want);
  EXPECT_EQ(got.count("Step    1 Disp dof  1"), 1u);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(OdbSets, BatchEntriesOfOneNameGatherIntoTheSameSetsEachNodeOnce) {
  builder.steps = 1;
  const int dof1 = condition(1, 1, 0, 0, 1);
  std::vector<Int> n;
  for (Int label = 700; label <= 703; ++label) {
    n.push_back(builder.node(label, {Real(label), 0, 0}));
    builder.boundaryConditions(n.back(), {dof1});
  }
  const Int type = builder.elementType("T3D2", 2010, 300, 2);
  builder.part(" PIBATCH", {builder.element(1, type, {n[0], n[1]})}, {n[0], n[1], n[0]});
  builder.part(" PIBATCH", {builder.element(2, type, {n[2], n[3]})}, {n[2], n[3]});
  const auto* db = write();
  ASSERT_NE(db, nullptr);
  // Each of the two written parts writes the step's sets once per batch entry.
  std::vector<std::vector<Int>> got;
  for (const auto& set : db->sets)
    if (set.secondName == "Step    1 Disp dof  1") got.push_back(set.members);
  const std::vector<Int> first = {700, 701}, both = {700, 701, 702, 703};
  EXPECT_EQ(got, (std::vector<std::vector<Int>>{first, both, first, both}));
}

TEST_F(OdbSets, RestartsChooseTheStepRange) {
  struct Case {
    Int restarted, inside, from, steps;
    std::vector<Int> written;
  };
  const std::vector<Case> cases = {{0, 0, 0, 2, {1, 2}},    {1, 0, 3, 5, {3, 4, 5}}, {1, 0, 3, 0, {3}},
                                   {1, 1, 3, 2, {4, 5}},    {0, 0, 0, 0, {}}};
  for (const Case& c : cases) {
    zmxtest::OdbModelBuilder b;
    poreOnOneBatchNode(b);
    b.steps = c.steps;
    std::vector<double> w;
    const Int adb = b.build();
    rec::i(CREST, 10) = c.restarted;
    rec::i(CREST, 11) = c.inside;
    rec::i(CREST, 12) = c.from;
    const Int handle = superModel(adb, w, 100000, "odb_sets", "steps");
    std::vector<Int> steps;
    for (const auto& set : dm2_testing::outputDatabase(handle)->sets)
      if (set.secondName.rfind("Step", 0) == 0) {
        steps.push_back(std::stoi(set.secondName.substr(5, 4)));
        EXPECT_EQ(set.members, (std::vector<Int>{5}));
      }
    EXPECT_EQ(steps, c.written) << c.restarted << c.inside << " " << c.from << " " << c.steps;
    rec::clear(CREST);
  }
}

TEST_F(OdbSets, BoundarySetsGrowTheWorkSizeThroughDbcoreAndWriteOnlyWithinTheRoom) {
  poreOnOneBatchNode(builder);
  builder.steps = 1;
  const auto* db = write();
  ASSERT_NE(db, nullptr);
  const Int handle = dm2_testing::outputDatabases().back();
  // One set of the one node, one pair: 1 x 2 + 3 + 2 = 7 integers. With a size of 1 the pair
  // list is full at once and DBCORE is first asked for the size and the node count (2) more.
  Int bufferSlots = 0;
  for (int w = 40; w <= 54; ++w) bufferSlots = std::max(bufferSlots, rec::i(CGM, w));
  std::vector<double> record(static_cast<std::size_t>(bufferSlots));
  std::vector<Int> flags(static_cast<std::size_t>(rec::i(CBCODB, 5)));
  const Int part = 1, trace = 0, nodeDatabase = dm2_testing::nodeDatabase();
  auto run = [&](Int* work, Int size) {
    eqc_testing::clearMessages();
    const Int tally = rec::i(CSIZE, zmx::units::kCoreGrowth);
    const std::size_t before = db->sets.size();
    ODBBCSETSSUPER(record.data(), work, nullptr, nullptr, flags.data(), &part, &trace, &handle, &size, &nodeDatabase);
    return std::pair{rec::i(CSIZE, zmx::units::kCoreGrowth) - tally, db->sets.size() - before};
  };
  for (const Int size : {4, 1}) {
    zmxtest::MappedArray work(8);  // 16 integers
    const auto [booked, sets] = run(reinterpret_cast<Int*>(work.data()), size);
    EXPECT_EQ(booked, size == 4 ? 7 : 2 + 7) << size;
    ASSERT_EQ(sets, 1u) << size;
    EXPECT_EQ(db->sets.back().members, (std::vector<Int>{5}));
    EXPECT_TRUE(work.guardsKept());
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  }
  // A heap array of the 4 integers passed: DBCORE books the need as asked, the array is not
  // written past its 4 integers and no set is written.
  std::vector<Int> heap(4, -1);
  const auto [booked, sets] = run(heap.data(), 4);
  EXPECT_EQ(booked, 7);
  EXPECT_EQ(sets, 0u);
  EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE."));
  EXPECT_EQ(heap, std::vector<Int>(4, -1));
}

TEST_F(OdbSets, ElementAndNodeSetsKeepTheMembersOfEachPart) {
  const std::vector<Int> nodes = nodesOnXAxis(builder, 8);
  const Int type = builder.elementType("T3D2", 2010, 300, 2);
  const Int e1 = builder.element(11, type, {nodes[0], nodes[1]});
  const Int e2 = builder.element(12, type, {nodes[4], nodes[5]});
  builder.part("XIDA", {e1}, {nodes[0], nodes[1], nodes[2], nodes[3]});
  builder.part("XIDB", {e2}, {nodes[4], nodes[5], nodes[6], nodes[7]});
  builder.elementSet("ESET", {e1, e2});
  builder.elementSet("", {e2});
  builder.nodeSet("NSET", {nodes[0], nodes[4]});
  builder.nodeSet("", {nodes[1], nodes[5]});
  const auto* db = write();
  ASSERT_NE(db, nullptr);
  const std::vector<std::string> written = setLines(*db);
  const std::vector<std::string> expected = {
      "element XIDA|XIDA 0 [ 11 ]",          "element ESET|ESET 0 [ 11 ]",
      "node SET          1|XIDA 0 [ 101 102 103 104 ]", "node SET          3|NSET 0 [ 101 ]",
      "node SET          4| ALL NODES 0 [ 102 ]",       "element XIDB|XIDB 0 [ 12 ]",
      "element ESET|ESET 0 [ 12 ]",          "element | ALL ELEMENTS 1 [ 12 ]",
      "node SET          2|XIDB 0 [ 105 106 107 108 ]", "node SET          3|NSET 0 [ 105 ]",
      "node SET          4| ALL NODES 0 [ 106 ]"};
  EXPECT_EQ(written, expected);
}

// In a part-label mode above 1 a part entry is taken when its expanded label reads " P", an
// eight-column part number and " PIBATCH"; the set is named with that part number. With tracing,
// the gathering prints its heading, each set's name and its node labels eight to a line in ten
// columns; the set writers at a trace level above 1 print each set's name and call PAGING(1).
TEST_F(OdbSets, NumberedPartLabelsAndTracedSets) {
  const int dof1 = condition(1, 1, 0, 0, 1);
  std::vector<Int> numbered, other;
  for (Int label = 201; label <= 210; ++label) {
    numbered.push_back(builder.node(label, {Real(label), 0, 0}));
    builder.boundaryConditions(numbered.back(), {dof1});
  }
  for (Int label : {301, 302, 303}) {
    other.push_back(builder.node(label, {Real(label), 1, 0}));
    builder.boundaryConditions(other.back(), {dof1});
  }
  const Int e = builder.element(1, builder.elementType("T3D2", 2010, 300, 2), {numbered[0], numbered[1]});
  builder.part("XIDA", {e}, {numbered[0], numbered[1]});
  builder.nodeSet(longLabelToken(" P       3 PIBATCH"), numbered);
  builder.nodeSet(longLabelToken(" P      1X PIBATCH"), {other[0]});
  builder.nodeSet(longLabelToken(" Q       4 PIBATCH"), {other[1]});
  builder.nodeSet(" PIBATCH", {other[2]});
  const auto* db = write();
  ASSERT_NE(db, nullptr);
  const Int handle = dm2_testing::outputDatabases().back();

  constexpr Int kUnit = 66;
  ASSERT_EQ(fio::openMemory(kUnit), fio::kOk);
  rec::i(CLINES, eqc_records::kPrintUnit) = kUnit;
  eqc_job_testing::resetPaging();
  const Int nodes = rec::i(CGN, 2), width = nodes + 1, one = 1, step = 1, trace = 1, mode = 2, none = 0;
  const Int pairs[3] = {builder.address(dof1), 1, 1};
  std::vector<Int> flags(static_cast<std::size_t>(rec::i(CBCODB, 5)), 0), area(static_cast<std::size_t>(width));
  flags[0] = 1;
  std::vector<double> record(64);
  const Int nodeDatabase = dm2_testing::nodeDatabase();
  const std::size_t before = db->sets.size();
  ODBBCWRITE(area.data(), pairs, record.data(), flags.data(), &step, &width, &one, &one, &trace, &handle, &mode,
             &nodeDatabase, nullptr, &none);
  ASSERT_EQ(db->sets.size(), before + 1);
  const std::string name = describe(1, 1, 3).first;
  EXPECT_EQ(db->sets.back().firstName, "Step    1 Part        3 Disp dof  1");
  EXPECT_EQ(db->sets.back().members, (std::vector<Int>{201, 202, 203, 204, 205, 206, 207, 208, 209, 210}));
  std::string lines = "Nodes with boundary conditions: \n" + name + "\n";
  char text[16];
  for (Int label = 201; label <= 210; ++label) {
    std::snprintf(text, sizeof text, "%10d", label);
    lines += text;
    if (label == 208 || label == 210) lines += "\n";
  }
  EXPECT_EQ(fio::memoryText(kUnit), lines);
  // A part list longer than the record buffer, or a node list naming a node outside the model,
  // is reported.
  const std::vector<double> intact = eqc_testing::slideLineStore();
  std::vector<double> store = intact;
  const double* directory = intact.data() + rec::i(CSLV, 9) - 1;
  const Int numberedList = rec::i(CSLV, 9) + rec::slotI(directory, 8) - 1;  // the second entry's list
  rec::setSlotI(store.data() + numberedList - 1, 4, 999);
  eqc_testing::setSlideLineStore(store);
  eqc_testing::clearMessages();
  ODBBCWRITE(area.data(), pairs, record.data(), flags.data(), &step, &width, &one, &one, &none, &handle, &mode,
             &nodeDatabase, nullptr, &none);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ODBBCWRITE. NODE 999 OUTSIDE THE MODEL"));
  EXPECT_EQ(db->sets.back().members.size(), 9u);
  eqc_testing::setSlideLineStore(intact);
  const std::vector<Int> buffers(CGM.w + 39, CGM.w + 54);
  for (int w = 40; w <= 54; ++w) rec::i(CGM, w) = 2;
  ODBBCWRITE(area.data(), pairs, record.data(), flags.data(), &step, &width, &one, &one, &none, &handle, &mode,
             &nodeDatabase, nullptr, &none);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ODBBCWRITE"));
  std::copy(buffers.begin(), buffers.end(), CGM.w + 39);

  // The element and node sets of part 1 at trace level 2.
  const Tables t = tables();
  ASSERT_EQ(fio::openMemory(kUnit), fio::kOk);
  const Int part = 1, traceSets = 2;
  ODBELSETSUPER(t.elementDirectory.data(), record.data(), t.elementTable, &part, &traceSets, &handle);
  ODBNSETSUPER(t.nodeDirectory.data(), record.data(), t.nodeLabels, t.nodeMap, &part, &traceSets, &handle);
  // The node set of the numbered label holds nodes 201 and 202 of part 1 too.
  EXPECT_EQ(fio::memoryText(kUnit), "WRITING ELEMENT SET " + pad("XIDA", 80) + "\nWRITING NODE SET " + pad("XIDA", 80) +
                                        "\nWRITING NODE SET " + pad(" P       3 PIBATCH", 80) + "\n");
  EXPECT_EQ(eqc_job_testing::pagingCalls(), (std::vector<int>{1, 1, 1}));
  // A node-set member record of length 0 ends the node sets with the routine's system error.
  std::vector<double> damaged = intact;
  rec::setSlotI(damaged.data() + numberedList - 1, 1, 0);
  eqc_testing::setSlideLineStore(damaged);
  eqc_testing::clearMessages();
  ODBNSETSUPER(t.nodeDirectory.data(), record.data(), t.nodeLabels, t.nodeMap, &part, &traceSets, &handle);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ODBNSETSUPER"));
  fio::close(kUnit);
  rec::i(CLINES, eqc_records::kPrintUnit) = 0;
}

TEST_F(OdbSets, TwinsAddTheSetServicesSetsOnce) {
  std::vector<Int> nodes;
  const Int e1 = partOfFourNodes(nodes);
  builder.elementSet("", {e1});
  builder.nodeSet("", {nodes[2]});
  const auto* db = write();
  ASSERT_NE(db, nullptr);
  const Int handle = dm2_testing::outputDatabases().back();
  const std::size_t before = db->sets.size();

  Int op = 0, count = 0, status = 0;
  char field[80];
  DBESET(&op, field, 80, &count, nullptr, &status);
  DBNSET(&op, field, 80, &count, nullptr, &status);
  auto add = [&](bool elements, const std::string& name, std::vector<Int> members) {
    const Int two = 2;
    std::string f = pad(name, 80);
    Int n = static_cast<Int>(members.size());
    (elements ? DBESET : DBNSET)(&two, f.data(), 80, &n, members.data(), &status);
  };
  add(true, "XIDA", {11});         // also in the directory: written once
  add(true, "EXTRA", {11, 12});
  add(false, "XIDA", {101});
  add(false, " BOUNDRY", {101});   // never written
  add(false, "NODES2", {102, 103});
  add(false, "", {104});           // blank: " ALL NODES", a blank first name and flag 0

  const Tables t = tables();
  const std::vector<double>& elementDirectory = t.elementDirectory;
  const std::vector<double>& nodeDirectory = t.nodeDirectory;
  const Int *elementTable = t.elementTable, *nodeLabels = t.nodeLabels, *nodeMap = t.nodeMap;
  std::vector<double> record(64), written(16);
  const Int part = 1, trace = 0;
  ODBELSET(elementDirectory.data(), record.data(), written.data(), elementTable, &part, &trace, &handle);
  ODBNSET(nodeDirectory.data(), record.data(), written.data(), nodeLabels, nodeMap, &part, &trace, &handle);

  const std::vector<std::string> added = setLines(*db, before);
  const std::vector<std::string> expected = {
      "element XIDA|XIDA 0 [ 11 ]", "element | ALL ELEMENTS 0 [ 11 ]", "element EXTRA|EXTRA 0 [ 11 12 ]",
      "node SET          1|XIDA 0 [ 101 102 103 104 ]", "node SET          2| ALL NODES 0 [ 103 ]",
      "node | ALL NODES 0 [ 104 ]", "node NODES2|NODES2 0 [ 102 103 ]"};
  EXPECT_EQ(added, expected);
  // A node-set directory that names no set: the set service's sets are written all the same.
  std::vector<double> noSets(8, 0.0), noneWritten(16);
  rec::setSlotI(noSets.data(), 1, 8);
  const std::size_t after = db->sets.size();
  ODBNSET(noSets.data(), record.data(), noneWritten.data(), nodeLabels, nodeMap, &part, &trace, &handle);
  ASSERT_EQ(db->sets.size(), after + 3);
  EXPECT_EQ(db->sets[after].secondName, " ALL NODES");
  EXPECT_EQ(db->sets[after + 1].firstName, "NODES2");
  EXPECT_EQ(db->sets[after + 2].firstName, "XIDA");
  op = 1;
  DBESET(&op, field, 80, &count, nullptr, &status);
  DBNSET(&op, field, 80, &count, nullptr, &status);
}

TEST_F(OdbSets, DirectoryOffsetsPastTheAddressesAreReportedNotFollowed) {
  // Each list offset of the element-set and node-set directories (parts and named sets) damaged in
  // turn to a value whose address lies beyond the integers: the set is reported, not read. (Node
  // sets follow one another from the first list, so only the first node-set offset is read.)
  const int big = 2147483647, least = -2147483647 - 1;
  for (const int directoryWord : {8, 9}) {
    for (const int value : {big, big - 1, least, least + 1}) {
      for (int entry = 1;; ++entry) {
        builder = zmxtest::OdbModelBuilder();
        std::vector<Int> nodes;
        const Int e1 = partOfFourNodes(nodes);
        builder.elementSet("ESET", {e1});
        builder.nodeSet("NSET", {nodes[0]});
        const Int adb = builder.build();
        std::vector<double> store = eqc_testing::slideLineStore();
        double* directory = store.data() + (rec::i(CSLV, directoryWord) - 1);
        if (entry > (directoryWord == 9 ? 1 : rec::slotI(directory, 2))) break;
        rec::setSlotI(directory, 6 + 2 * (entry - 1), value);
        eqc_testing::setSlideLineStore(store);
        eqc_testing::clearMessages();
        superModel(adb, work, 200000, "odb_sets_damaged");
        EXPECT_GE(eqc_testing::countAtLevel(-3), 1) << directoryWord << " " << entry << " " << value;
        EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN")) << directoryWord << " " << entry << " " << value;
      }
    }
  }
}

}  // namespace
