#include <gtest/gtest.h>

#include <map>
#include <string>

#include "siblings/eqc/testing.h"
#include "tests/import/import_fixture.h"
#include "zmx/import.h"

namespace importtest {
namespace {

using namespace glo_testing;

class ModelInquiries : public ImportFixture {
 protected:
  void release(std::initializer_list<Int*> integers, std::initializer_list<Int*> reals = {}) {
    for (Int* index : integers) REL_GDB_INTG(index);
    for (Int* index : reals) REL_GDB_REAL(index);
  }
};

TEST_F(ModelInquiries, NodesOfEveryDomainAndTheSecondGroupLandAtTheirGlobalPositions) {
  startSample();
  Int labels = 0, coordinates = 0;
  ACC_MDB_NODEMODELDATA(&labels, &coordinates);
  ASSERT_NE(labels, kNoBlock);
  // Expected from the physical model: label and origin + local coordinate at each position.
  std::map<int, std::pair<int, Vec3>> expected;
  for (const DomainModel& d : model_.domains) {
    for (std::size_t i = 0; i < d.labels.size(); ++i) {
      Vec3 x;
      for (int k = 0; k < 3; ++k) x[k] = static_cast<float>(d.origin[k]) + static_cast<float>(d.local[i][k]);
      expected[d.positions[i]] = {d.labels[i], x};
    }
    for (std::size_t i = 0; i < d.secondLabels.size(); ++i) expected[d.secondPositions[i]] = {d.secondLabels[i], d.secondCoordinates[i]};
  }
  ASSERT_EQ(expected.size(), 7u);
  for (const auto& [g, node] : expected) {
    EXPECT_EQ(intAt(labels, g), node.first);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(realAt(coordinates, 3LL * (g - 1) + k + 1), static_cast<float>(node.second[k]));
  }

  Int rotating = 0;
  const Int on = 1, off = 0;
  ACC_MDB_ROTNODEMODELDATA(&on, &rotating);
  EXPECT_EQ(ints(rotating, 7), (std::vector<int>{0, 102, 0, 104, 0, 201, 0}));
  Int none = 0;
  ACC_MDB_ROTNODEMODELDATA(&off, &none);
  EXPECT_EQ(ints(none, 7), std::vector<int>(7, 0));

  Int answer = -1;
  for (const auto& [label, found] : std::map<Int, Int>{{202, 0}, {101, 0}, {999, 1}}) {
    INQ_MDB_NODEID(&label, &answer);
    EXPECT_EQ(answer, found) << label;
  }
  Int nodes = 0, classes = 0, components = 0, rot = 0, one = 0, values = 0;
  INQ_PDB_MODEL(&nodes, &classes, &components);
  EXPECT_EQ(std::vector<int>({nodes, classes, components}), (std::vector<int>{7, 5, 3}));
  INQ_PDB_NODEMODELCOMP(&components, &rot, &one, &values);
  EXPECT_EQ(std::vector<int>({components, rot, one, values}), (std::vector<int>{3, 3, 1, 2}));
  release({&labels, &rotating, &none}, {&coordinates});
  EXPECT_TRUE(eqc_testing::messages().empty());
  closeClean();
}

TEST_F(ModelInquiries, ElementLabelsConnectivityAndClassSearch) {
  startSample();
  for (Int k = 1; k <= 5; ++k) {
    const ClassModel& c = model_.classes[static_cast<std::size_t>(k - 1)];
    Int labels = 0, connectivity = 0;
    ACC_MDB_ELEMMODELDATA(&k, &labels, &connectivity);
    ASSERT_NE(labels, kNoBlock);
    EXPECT_EQ(ints(labels, static_cast<int>(c.labels.size())), c.labels);
    if (c.type < 1) {
      EXPECT_EQ(connectivity, kNoBlock);
    } else {
      // Global positions of the local nodes, element by element.
      const DomainModel& d = model_.domains[static_cast<std::size_t>(c.domain - 1)];
      std::vector<int> expected;
      for (const auto& element : c.nodes)
        for (int local : element) expected.push_back(d.positions[static_cast<std::size_t>(local - 1)]);
      EXPECT_EQ(ints(connectivity, static_cast<int>(expected.size())), expected) << k;
      REL_GDB_INTG(&connectivity);
    }
    REL_GDB_INTG(&labels);
  }
  for (Int k : {0, 6}) {
    Int labels = 0, connectivity = 0;
    ACC_MDB_ELEMMODELDATA(&k, &labels, &connectivity);
    EXPECT_EQ(labels, kNoBlock);
    EXPECT_EQ(connectivity, kNoBlock);
  }
  Int found = -1;
  for (const auto& [label, k] : std::map<Int, Int>{{22, 2}, {41, 4}, {51, 5}, {999, 0}}) {
    INQ_MDB_WHICHCLASS(&label, &found);
    EXPECT_EQ(found, k) << label;
  }
  closeClean();
}

TEST_F(ModelInquiries, AClassWithoutElementsGivesEmptyBlocks) {
  ClassModel empty;
  empty.code = 9220;
  empty.groupSize = 0;
  model_.classes.push_back(empty);
  startSample();
  Int k = static_cast<Int>(model_.classes.size()), labels = 0, connectivity = 0;
  ACC_MDB_ELEMMODELDATA(&k, &labels, &connectivity);
  EXPECT_TRUE(eqc_testing::messages().empty());
  ASSERT_NE(labels, kNoBlock);
  ASSERT_NE(connectivity, kNoBlock);
  release({&labels, &connectivity});
  closeClean();
}

TEST_F(ModelInquiries, SetsIncludingEmptyOnesAndSetsOutOfRange) {
  startSample();
  Int sets = 0, names = 0, counts = 0;
  ACC_MDB_ELEMSETDATA(&sets, &names, &counts);
  ASSERT_EQ(sets, 2);
  char name[8];
  for (Int s = 1; s <= 2; ++s) {
    CNQ_GDB_GETNAME(name, 8, &s, work() + names - 1);
    EXPECT_EQ(std::string(name, 8), s == 1 ? "EALL    " : "ENONE   ");
  }
  EXPECT_EQ(ints(counts, 2), (std::vector<int>{5, 5}));
  release({&names, &counts});

  const Int first = 1;
  Int count = 0, block = 0;
  ACC_MDB_ELEMSETCLASSES(&first, &count, &block);
  ASSERT_EQ(count, 5);
  EXPECT_EQ(ints(block, 15), (std::vector<int>{2, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  release({&block});
  for (Int k = 1; k <= 5; ++k) {
    ACC_MDB_ELSETCLASSMEMBERS(&first, &k, &count, &block);
    const std::vector<int>& members = model_.elementSets[0].classMembers[static_cast<std::size_t>(k - 1)];
    ASSERT_EQ(count, static_cast<Int>(members.size()));
    EXPECT_EQ(ints(block, count), members);
    release({&block});
  }

  ACC_MDB_NODESETDATA(&sets, &names, &counts);
  ASSERT_EQ(sets, 2);
  EXPECT_EQ(ints(counts, 2), (std::vector<int>{3, 0}));
  release({&names, &counts});
  for (Int s = 1; s <= 2; ++s) {
    ACC_MDB_NODESETMEMBERS(&s, &count, &block);
    EXPECT_EQ(ints(block, count), model_.nodeSets[static_cast<std::size_t>(s - 1)].labels);
    EXPECT_NE(block, kNoBlock);
    release({&block});
  }
  for (Int s : {0, 3}) {
    count = 9;
    ACC_MDB_NODESETMEMBERS(&s, &count, &block);
    EXPECT_EQ(block, kNoBlock);
    EXPECT_EQ(count, 0);
    const Int k = 1;
    ACC_MDB_ELSETCLASSMEMBERS(&s, &k, &count, &block);
    EXPECT_EQ(block, kNoBlock);
    ACC_MDB_ELEMSETCLASSES(&s, &count, &block);
    EXPECT_EQ(block, kNoBlock);
  }
  EXPECT_TRUE(eqc_testing::messages().empty());
  closeClean();
}

// One class per row of the class-description table, with the expected family, sub-kind, r11 and
// whether r13 carries the first section entry's word 5.
struct ClassRow {
  int type, code, flags, word19;
  int family, subKind, r11;
  bool r13;
};

TEST_F(ModelInquiries, ClassDescriptionFollowsEveryRowOfItsTable) {
  const std::vector<ClassRow> rows = {
      {10, 9220, 2097152, 0, 1, 2, 0, true}, {10, 9220, 0, 0, 1, 1, 0, true},   {10, 25604, 0, 0, 1, 3, 0, false},
      {10, 15368, 0, 0, 1, 4, 0, false},     {10, 13316, 0, 1, 4, 4, 0, true},  {10, 13316, 0, 0, 12, 4, 0, true},
      {10, 8706, 0, 0, 1, 6, 0, false},      {10, 12802, 0, 0, 1, 7, 0, false}, {10, 8449, 0, 0, 7, 4, 0, false},
      {10, 12545, 0, 0, 7, 4, 0, false},     {10, 9999, 0, 0, 1, 4, 0, false},  {20, 4, 131072, 0, 2, 4, 0, true},
      {20, 4, 0, 0, 2, 4, 1, true},          {30, 8706, 0, 0, 3, 6, 0, false},  {30, 12802, 0, 0, 3, 7, 0, false},
      {30, 8707, 0, 0, 3, 8, 0, false},      {30, 12803, 0, 0, 3, 9, 0, false}, {30, 8, 0, 0, 3, 4, 0, false},
      {41, 12288 + 2, 0, 0, 5, 4, 0, true},  {41, 24576 + 2, 0, 0, 5, 3, 0, true}, {41, 8192 + 2, 0, 0, 5, 5, 0, true},
      {41, 2, 0, 0, 5, 4, 0, true},          {11, 4, 0, 0, 10, 4, 0, false},    {21, 4, 0, 0, 11, 4, 0, false},
      {50, 4, 0, 0, 6, 4, 0, false}};
  model_.classes.clear();
  model_.elementSets.clear();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    ClassModel c;
    c.type = rows[r].type;
    c.code = rows[r].code;
    c.flags = rows[r].flags;
    c.recordWord19 = rows[r].word19;
    c.labels = {static_cast<int>(1000 + r), static_cast<int>(2000 + r)};
    c.hasConnectivity = false;
    c.typeWord5 = 5 + static_cast<int>(r);
    c.typeWord24 = 24;
    c.typeWord32 = 32;
    c.sectionWord17 = 17;
    c.firstEntryWord5 = 500 + static_cast<int>(r);
    c.sections = {{1, {10, 11}, 0.5}, {2, {20, 21}, -0.25}, {3, {30, 31}, 8.0}};
    model_.classes.push_back(c);
  }
  startSample();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const ClassRow& row = rows[r];
    const Int k = static_cast<Int>(r + 1);
    Int v[13];
    INQ_PDB_CLASS(&k, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9], &v[10], &v[11], &v[12]);
    SCOPED_TRACE(r);
    EXPECT_EQ(v[0], 2);
    EXPECT_EQ(v[1], row.code & 31);
    EXPECT_EQ(v[2], 5 + static_cast<int>(r));
    EXPECT_EQ(v[3], 3);
    EXPECT_EQ(v[4], 17);
    EXPECT_EQ(v[5], row.family);
    EXPECT_EQ(v[6], row.subKind);
    EXPECT_EQ(v[10], row.r11);
    EXPECT_EQ(v[11], row.type == 20 ? 24 : 32);
    EXPECT_EQ(v[12], row.r13 ? 500 + static_cast<int>(r) : 0);
    EXPECT_EQ(ints(v[7], 3), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(ints(v[8], 6), (std::vector<int>{10, 11, 20, 21, 30, 31}));
    EXPECT_EQ(reals(v[9], 3), (std::vector<float>{0.5F, -0.25F, 8.0F}));
    release({&v[7], &v[8]}, {&v[9]});
  }
  const Int beyond = static_cast<Int>(rows.size() + 1);
  Int v[13];
  INQ_PDB_CLASS(&beyond, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9], &v[10], &v[11], &v[12]);
  EXPECT_EQ(std::vector<int>({v[7], v[8], v[9]}), std::vector<int>(3, kNoBlock));
  EXPECT_TRUE(eqc_testing::messages().empty());
  closeClean();
}

}  // namespace
}  // namespace importtest
