// Node references of rigid surfaces, hourglass values and the part count, read from the
// slide-line records the model builder lays out.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/record.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/odb/surfaces/odb_test_support.h"
#include "tests/support/host_fixture.h"
#include "tests/support/odb_model_builder.h"
#include "zmx/odb.h"

namespace {

using zmxtest::A;
using zmxtest::I;
using zmxtest::N;

// The record buffer of the work-array layout: the largest of CGM words 40 to 54.
Int recordBufferSlots() {
  Int m = 0;
  for (int w = 40; w <= 54; ++w) m = std::max(m, rec::i(CGM, w));
  return m;
}

class NodeReferences : public zmxtest::HostFixture {
 protected:
  struct Entry {
    Int node, number, flag;
    bool operator==(const Entry&) const = default;
  };
  // The list holds 20 entries; the record buffer exactly the layout's slots.
  std::vector<Entry> references() {
    std::vector<double> list(5 * 20, -1.0), buffer(static_cast<std::size_t>(recordBufferSlots()));
    Int count = -1;
    const Int database = dm2_testing::nodeDatabase();
    NODRFN(list.data(), buffer.data(), &count, &database);
    std::vector<Entry> out;
    for (Int k = 0; k < count; ++k)
      out.push_back({rec::slotI(list.data(), 5 * k + 1), rec::slotI(list.data(), 5 * k + 2),
                     rec::slotI(list.data(), 5 * k + 3)});
    return out;
  }
  zmxtest::OdbModelBuilder builder;
};

TEST_F(NodeReferences, NodeRecordsAndRigidSurfaceRecordsGiveEntriesOnce) {
  const int nodeRecord = builder.nodeRecord(11, {I(55), I(1)});
  builder.node(7, {0, 0, 0});
  const int shortRecord = builder.nodeRecord(11, {I(56)});  // too short for its slot 3: reported
  const Int second = builder.node(8, {1, 0, 0}, 4, {shortRecord, nodeRecord});
  // Surfaces of rigid surfaces on the node labelled 7: kept once; a blank name, another kind, a
  // surface not of a rigid surface and an unknown label give nothing.
  const int rigid = builder.surfaceRecord({I(30), N("RIGID"), I(0), I(2), I(0), I(0), I(0), I(91), I(0), I(7)});
  builder.surfaceRecord({I(30), N("RIGID"), I(0), I(2), I(0), I(0), I(0), I(91), I(0), I(7)});
  builder.surfaceRecord({I(30), N(""), I(0), I(2), I(0), I(0), I(0), I(92), I(0), I(7)});
  builder.surfaceRecord({I(31), N("OTHER"), I(0), I(2), I(0), I(0), I(0), I(93), I(0), I(7)});
  builder.surfaceRecord({I(30), N("SLAVE"), I(0), I(1), I(0), I(0), I(0), I(94), I(0), I(7)});
  builder.surfaceRecord({I(30), N("LOST"), I(0), I(2), I(0), I(0), I(0), I(95), I(0), I(99)});
  builder.build();
  (void)rigid;
  EXPECT_EQ(references(), (std::vector<Entry>{{second, 55, 1}, {1, 91, 0}}));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN NODRFN"));
  // A surface record of length 0 ends the walk over them with the routine's system error.
  std::vector<double> store = eqc_testing::slideLineStore();
  rec::setSlotI(store.data() + rec::i(CSLV, 7) - 1, 1, 0);
  eqc_testing::setSlideLineStore(store);
  eqc_testing::clearMessages();
  EXPECT_EQ(references(), (std::vector<Entry>{{second, 55, 1}}));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);
}

// A rigid surface known twice: from its reference node's record and from the named surface of
// the rigid surface on the same node. Gives the rigid-surface record.
int rigidSurfaceKnownTwice(zmxtest::OdbModelBuilder& b) {
  const int rigid = b.record(2, {I(3)});
  const int reference = b.nodeRecord(11, {A(rigid), I(0)});
  const Int n1 = b.node(7, {0, 0, 0}, 4, {reference}), n2 = b.node(8, {1, 0, 0});
  b.surfaceRecord({I(30), N("RSURF"), I(3), I(2), I(0), I(0), I(0), A(rigid), I(0), I(7)});
  const Int type = b.elementType("T3D2", 2010, 300, 2);
  b.part("XIDA", {b.element(11, type, {n1, n2})}, {n1, n2});
  return rigid;
}

TEST_F(NodeReferences, ARigidSurfaceKnownFromItsNodeAndItsSurfaceIsWrittenOnce) {
  const int rigid = rigidSurfaceKnownTwice(builder);
  builder.build();
  EXPECT_EQ(references(), (std::vector<Entry>{{1, builder.address(rigid), 0}}));

  std::vector<double> work;
  const auto* db = odbtest::writeModel(builder, work, "odb_rigid_once");
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(rec::slotI(work.data(), 4), 1);
  const auto* arsr = odbtest::classNamed(db, "ARSR");
  ASSERT_NE(arsr, nullptr);
  EXPECT_EQ(arsr->elements.size(), 1u);
  EXPECT_EQ(std::count_if(db->sets.begin(), db->sets.end(), [](const auto& set) { return set.secondName == "RSURF"; }),
            1);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(NodeReferences, AWorkArrayOfAnySizeIsNeverWrittenPast) {
  // Every core count below the one the model needs fails whole: reported, no file, the core
  // count changed only by what DBCORE was asked; the array, exactly that large, is never written
  // past.
  rigidSurfaceKnownTwice(builder);
  const Int adb = builder.build();
  const Real g[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1}, t[3] = {0, 0, 0};
  const std::string name = zmxtest::scratchFolder("odb_any_core") + "/model";
  Int handle = 0;
  Int core = 1;
  for (; handle == 0 && core < 20000; ++core) {
    eqc_testing::clearMessages();
    std::vector<double> work(static_cast<std::size_t>(core), -1.0);
    Int given = core;
    ODB_CREATESUPERMODEL(&adb, &handle, g, t, work.data(), &given, name.c_str(), static_cast<Int>(name.size()));
    if (handle != 0) {
      EXPECT_EQ(rec::slotI(work.data(), 4), 1) << core;
      EXPECT_LE(given, core);
      break;
    }
    ASSERT_GE(given, core);
    ASSERT_EQ(rec::slotI(work.data(), 1), 0) << core;
    ASSERT_TRUE(eqc_testing::printed("MEMORY FAILURE.")) << core;
    ASSERT_TRUE(dm2_testing::outputDatabases().empty()) << core;
  }
  EXPECT_NE(handle, 0);
}

TEST_F(NodeReferences, AnalysisTimeRigidSurfacesFindTheirReferenceRecords) {
  builder.analysisTimeRigid = 1;
  builder.node(1, {0, 0, 0});
  builder.record(24, {I(0), I(3)});                              // reference node 3
  builder.record(24, {I(0), I(4), I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(0), N("NAMED")});
  const int byNode = builder.analysisRecord({I(138), N("A"), I(0), I(3)});
  const int byName = builder.analysisRecord({I(138), N("NAMED"), I(0), I(0)});
  const int lost = builder.analysisRecord({I(138), N("B"), I(0), I(9)});
  builder.analysisRecord({I(130), N("C"), I(0), I(3)});
  builder.build();
  EXPECT_EQ(references(), (std::vector<Entry>{{3, builder.address(byNode), 0},
                                              {4, builder.address(byName), 0},
                                              {0, builder.address(lost), 0}}));
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN NODRFN"));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
}

TEST_F(NodeReferences, HourglassValuesAndPartsAreCounted) {
  builder.record(10, {I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(7)});
  builder.record(10, {I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(3)});
  builder.record(10, {I(0)});  // too short for its slot 14: reported
  // Records of the second range: slot 8 values taken every third slot from slot (slot 9) + 1.
  builder.record(28, {I(0), I(0), I(0), I(0), I(0), I(0), I(2), I(10), I(0), I(5), I(0), I(0), I(7)});
  builder.record(28, {I(0), I(0), I(0), I(0), I(0), I(0), I(0), I(10)});
  builder.record(28, {I(0)});                                                   // too short: reported
  builder.record(28, {I(0), I(0), I(0), I(0), I(0), I(0), I(3), I(10), I(0)});  // values past it: reported
  builder.elementSet("XIDA", {});
  builder.elementSet("XIDB", {});
  builder.elementSet(" PIC", {});
  builder.elementSet("PID", {});
  builder.elementSet("OTHER", {});
  builder.build();
  rec::i(CSLEF, 11) = rec::i(CSLEF, 42);  // the hourglass range is the segment of word 10
  rec::i(CGM, 44) = 16;
  std::vector<double> buffer(40);
  Int count = 0;
  HMATI(buffer.data(), &count);
  ASSERT_EQ(count, 3);
  const Int* values = reinterpret_cast<const Int*>(buffer.data());
  EXPECT_EQ(std::vector<Int>(values, values + 3), (std::vector<Int>{3, 5, 7}));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 3);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN HMATI"));
  Int parts = 0;
  buffer.assign(static_cast<std::size_t>(rec::i(CGM, 47)), 0.0);  // the element-set buffer of the layout
  ODBGETNPART(buffer.data(), &parts);
  EXPECT_EQ(parts, 3);
  // A directory that does not fit the buffer, or names more entries than it holds, is reported.
  eqc_testing::clearMessages();
  const Int room = rec::i(CGM, 47);
  rec::i(CGM, 47) = 1;
  ODBGETNPART(buffer.data(), &parts);
  EXPECT_EQ(parts, 0);
  rec::i(CGM, 47) = room;
  std::vector<double> store = eqc_testing::slideLineStore();
  rec::setSlotI(store.data() + rec::i(CSLV, 8) - 1, 2, 1000);
  eqc_testing::setSlideLineStore(store);
  ODBGETNPART(buffer.data(), &parts);
  EXPECT_EQ(parts, 3);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ODBGETNPART"));
}

}  // namespace
