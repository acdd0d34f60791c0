// Node references of rigid surfaces, hourglass values and the part count, read from the
// slide-line records the model builder lays out.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/record.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "tests/support/odb_model_builder.h"
#include "zmx/odb.h"

namespace {

using zmxtest::I;
using zmxtest::N;

class NodeReferences : public zmxtest::HostFixture {
 protected:
  struct Entry {
    Int node, number, flag;
    bool operator==(const Entry&) const = default;
  };
  std::vector<Entry> references(Int capacity = 20) {
    std::vector<double> list(5 * static_cast<std::size_t>(capacity) + 5, -1.0), buffer(64);
    Int count = -1;
    const Int database = dm2_testing::nodeDatabase(), slots = 64;
    NODRFN(list.data(), buffer.data(), &count, &database, &capacity, &slots);
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
  const Int second = builder.node(8, {1, 0, 0}, 4, {nodeRecord});
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
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);

  // No room for the second entry: reported, the list holds what fits.
  eqc_testing::clearMessages();
  EXPECT_EQ(references(1).size(), 1u);
  EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE."));
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
  const Int capacity = 40;
  HMATI(buffer.data(), &count, &capacity);
  ASSERT_EQ(count, 2);
  const Int* values = reinterpret_cast<const Int*>(buffer.data());
  EXPECT_EQ(values[0], 3);
  EXPECT_EQ(values[1], 7);
  Int parts = 0;
  const Int slots = 40;
  ODBGETNPART(buffer.data(), &parts, &slots);
  EXPECT_EQ(parts, 3);
}

}  // namespace
