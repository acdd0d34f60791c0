#include <gtest/gtest.h>

#include <vector>

#include "runtime/address_space.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/dm2_memory.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"

namespace {

// Reads a list the database handed back as an address word and a length.
std::vector<Int> intsAt(Int word, Int count) {
  const Int* p = mem32::at<Int>(word, static_cast<std::size_t>(count), dm2::kDataTag);
  return p == nullptr ? std::vector<Int>{} : std::vector<Int>(p, p + count);
}

class Dm2Adb : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    dm2_testing::resetModel();
  }
  void TearDown() override {
    dm2_testing::resetModel();
    HostFixture::TearDown();
  }

  // Two nodes and one shell-like element with a section-point sub-layout holding an inner
  // layout.
  Int buildElement() {
    dm2_testing::addNode({.userNumber = 101, .coordinates = {0, 0, 0}, .slideLineAddresses = {7, 9},
                          .dofList = {1, 2, 3}, .dofWord = 57});
    dm2_testing::addNode({.userNumber = 102, .coordinates = {1, 0, 0}});
    const Int type = dm2_testing::addElementType(
        {.typeCode = 290, .familyCode = 309, .dimension = 3, .nodeCount = 2, .words = {{14, 1}, {48, 6}}});
    dm2_testing::Layout inner;
    inner.variables.push_back({.id = 99, .reals = {0, 4.5, 0, 0, 0, 0}, .rows = 2, .columns = 3});
    dm2_testing::Layout point;
    point.variables.push_back({.id = 54, .integer = true, .ints = {11, 12}});
    point.sublayouts.push_back(inner);
    dm2_testing::Element element{.userNumber = 5001, .type = type, .nodes = {1, 2}, .section = 4321,
                                 .slideLine = 8765, .recordAddresses = {300, 301, 302},
                                 .slideLineAddresses = {400}, .classValue = 17};
    element.layout.variables.push_back({.id = 19, .integer = true, .ints = {3}});
    element.layout.variables.push_back({.id = 18, .reals = {0, 0, 1, 0, 0, 1}});
    element.layout.sublayouts.push_back(point);
    return dm2_testing::addElement(element);
  }
};

TEST_F(Dm2Adb, NodesReadBackThroughNodeAccess) {
  buildElement();
  const Int db = dm2_testing::nodeDatabase();
  const Int one = 1;
  const Int node = ADB_GETNODE(&db, &one);
  ASSERT_NE(node, 0);

  Int out = -1;
  const Int op3 = 3;
  EXPECT_EQ(ADB_NODEACCESS(&op3, &node, &out), 0);
  EXPECT_EQ(out, 101);

  const Int op0 = 0;
  const Int record = ADB_NODEACCESS(&op0, &node, &out);
  EXPECT_EQ(intsAt(record, 2), (std::vector<Int>{57, 101}));  // degree-of-freedom word, user number

  const Int op1 = 1;
  const Int slide = ADB_NODEACCESS(&op1, &node, &out);
  EXPECT_EQ(intsAt(slide, out), (std::vector<Int>{7, 9}));

  const Int op2 = 2;
  const Int dofs = ADB_NODEACCESS(&op2, &node, &out);
  EXPECT_EQ(intsAt(dofs, out), (std::vector<Int>{1, 2, 3}));

  const Int two = 2;
  const Int second = ADB_GETNODE(&db, &two);
  out = -1;
  ADB_NODEACCESS(&op1, &second, &out);
  EXPECT_EQ(out, 0);  // a node without slide-line records
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(Dm2Adb, ElementDataReadBackThroughElementAccess) {
  const Int element = buildElement();
  Int section = -1;
  Int record = -1;
  const Int layout = ELAYOACCESS(&element, &section, &record);
  ASSERT_NE(layout, 0);
  EXPECT_EQ(section, 4321);
  EXPECT_EQ(record, 8765);

  auto access = [&](Int operation, Int& out) {
    out = -1;
    return ELEMACCESS(&operation, &layout, &out);
  };
  Int out = 0;
  access(0, out);
  EXPECT_EQ(out, 5001);
  const Int nodes = access(1, out);
  EXPECT_EQ(intsAt(nodes, out), (std::vector<Int>{1, 2}));
  const Int type = access(2, out);
  ASSERT_EQ(out, dm2::kTypeRecordWords);
  const std::vector<Int> words = intsAt(type, out);
  EXPECT_EQ(words[0], 290);
  EXPECT_EQ(words[3], 309);
  EXPECT_EQ(words[6], 3);
  EXPECT_EQ(words[13], 1);
  EXPECT_EQ(words[35], 2);
  EXPECT_EQ(words[47], 6);
  access(3, out);
  EXPECT_EQ(out, 4321);
  const Int records = access(4, out);
  EXPECT_EQ(intsAt(records, out), (std::vector<Int>{300, 301, 302}));
  const Int slide = access(10, out);
  EXPECT_EQ(intsAt(slide, out), (std::vector<Int>{400}));
  const Int dofs = access(13, out);
  EXPECT_EQ(intsAt(dofs, out), (std::vector<Int>{1, 2}));  // no entries given: the node list
  EXPECT_EQ(access(15, out), 17);
  EXPECT_EQ(out, 17);
  access(18, out);
  EXPECT_EQ(out, 8765);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(Dm2Adb, VariablesOfNestedLayoutsReadAndWrite) {
  const Int element = buildElement();
  const Int op0 = 0;
  const Int op1 = 1;
  const Int first = 1;
  const Int s1 = GETSUBLAYOUT(&op0, &element, &first);
  const Int s2 = GETSUBLAYOUT(&op1, &s1, &first);
  ASSERT_NE(s1, 0);
  ASSERT_NE(s2, 0);

  const Int v99 = 99;
  Int rows = 0;
  Int columns = 0;
  EXPECT_EQ(QUERYVAR(&s2, &v99, &rows, &columns), kTrue);
  EXPECT_EQ(rows * columns, 6);
  const Real* v = mem32::at<Real>(GETVARDR(&s2, &v99), 6, dm2::kDataTag);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v[1], 4.5);

  Real* w = mem32::at<Real>(GETVARDRW(&s2, &v99), 6, dm2::kDataTag);
  ASSERT_NE(w, nullptr);
  w[5] = -2.0;
  EXPECT_EQ(mem32::at<Real>(GETVARDW(&s2, &v99), 6, dm2::kDataTag)[5], -2.0);

  const Int v54 = 54;
  const Int* iv = mem32::at<Int>(GETVARIR(&s1, &v54), 2, dm2::kDataTag);
  ASSERT_NE(iv, nullptr);
  EXPECT_EQ(iv[1], 12);
  const Int v19 = 19;
  EXPECT_EQ(*mem32::at<Int>(GETVARIRW(&element, &v19), 1, dm2::kDataTag), 3);

  // A variable of one layout is not visible in another.
  EXPECT_EQ(QUERYVAR(&s1, &v99, &rows, &columns), kFalse);
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(columns, 0);
  EXPECT_EQ(GETVARDR(&s1, &v99), 0);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(Dm2Adb, BadHandlesAreReportedNotDereferenced) {
  const Int element = buildElement();
  const Int db = dm2_testing::nodeDatabase();
  const Int one = 1;
  const Int node = ADB_GETNODE(&db, &one);

  const Int three = 3;
  const Int zero = 0;
  EXPECT_EQ(ADB_GETNODE(&db, &three), 0);  // index past the last node
  EXPECT_EQ(ADB_GETNODE(&db, &zero), 0);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);

  Int out = -1;
  const Int op7 = 7;
  EXPECT_EQ(ADB_NODEACCESS(&op7, &node, &out), 0);  // unknown operation
  EXPECT_EQ(out, 0);
  EXPECT_EQ(ELEMACCESS(&op7, &element, &out), 0);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 4);

  // A sub-layout is no element; an element layout takes no operation 1; no second sub-layout.
  const Int op0 = 0;
  const Int op1 = 1;
  const Int two = 2;
  const Int s1 = GETSUBLAYOUT(&op0, &element, &one);
  const Int op2 = 2;
  out = -1;
  EXPECT_EQ(ELEMACCESS(&op2, &s1, &out), 0);
  EXPECT_EQ(out, 0);
  EXPECT_EQ(GETSUBLAYOUT(&op1, &element, &one), 0);
  EXPECT_EQ(GETSUBLAYOUT(&op0, &element, &two), 0);
  const Int v18 = 18;
  EXPECT_EQ(GETVARIR(&element, &v18), 0);  // a real variable asked for as integers
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 8);

  // After a reset every handle is stale.
  dm2_testing::resetModel();
  out = -1;
  EXPECT_EQ(ADB_NODEACCESS(&three, &node, &out), 0);
  EXPECT_EQ(out, 0);
  Int section = -1;
  EXPECT_EQ(ELAYOACCESS(&element, &section, &out), 0);
  EXPECT_EQ(section, 0);
  EXPECT_EQ(ADB_GETNODE(&db, &one), 0);
  Int rows = -1;
  Int columns = -1;
  EXPECT_EQ(QUERYVAR(&element, &v18, &rows, &columns), kFalse);
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 12);
}

TEST_F(Dm2Adb, GlobalAndWorkBlocksAreCountedUntilClosed) {
  const Int handle = dm2_testing::addGlobalBlock(4);
  const Int base = ADB_GLOBALMEMOPEN(&handle);
  ASSERT_NE(base, 0);
  EXPECT_EQ(mem32::blockBytes(base), 32u);
  mem32::at<Real>(base, 4, dm2::kBlockTag)[3] = 2.5;
  EXPECT_EQ(ADB_GLOBALMEMOPEN(&handle), base);  // the same block, opened twice
  EXPECT_EQ(dm2_testing::openBlocks(), 2);

  const Int size = 6;
  const Int work = ADB_GLOBALMEMOPENI(&size);
  const Int* zeroed = mem32::at<Int>(work, 6, dm2::kBlockTag);
  ASSERT_NE(zeroed, nullptr);
  EXPECT_EQ(std::vector<Int>(zeroed, zeroed + 6), std::vector<Int>(6, 0));
  EXPECT_EQ(dm2_testing::openBlocks(), 3);

  ADB_MEMCLOSE(&work);
  EXPECT_FALSE(mem32::valid(work, 4, dm2::kBlockTag));  // a closed work block is gone
  ADB_MEMCLOSE(&base);
  ADB_MEMCLOSE(&base);
  EXPECT_EQ(dm2_testing::openBlocks(), 0);
  EXPECT_EQ(mem32::at<Real>(base, 4, dm2::kBlockTag)[3], 2.5);  // a global block outlives its opens
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);

  ADB_MEMCLOSE(&base);  // closed more often than opened
  ADB_MEMCLOSE(&work);  // already freed
  const Int none = 2;
  EXPECT_EQ(ADB_GLOBALMEMOPEN(&none), 0);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 3);
  EXPECT_EQ(dm2_testing::openBlocks(), 0);
}

TEST_F(Dm2Adb, TemporaryBlocksAreSizedInEightByteWords) {
  const Int size = 5;
  const Int block = RDM_ALLOCATETEMPORARY(&size);
  ASSERT_NE(block, 0);
  EXPECT_EQ(mem32::blockBytes(block), 40u);
  EXPECT_EQ(dm2_testing::temporaryBlocks(), 1);
  RDM_RELEASETEMPORARY(&block);
  EXPECT_EQ(dm2_testing::temporaryBlocks(), 0);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);

  RDM_RELEASETEMPORARY(&block);
  const Int negative = -1;
  EXPECT_EQ(RDM_ALLOCATETEMPORARY(&negative), 0);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);
}

TEST_F(Dm2Adb, PoolAllocationFailsWhenAskedOrTooLarge) {
  adb_MemoryManagement& pool = adb_MemoryManagement::Pool();
  const int before = dm2_testing::liveAllocations();
  void* a = pool.Allocate(64);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(dm2_testing::liveAllocations(), before + 1);

  dm2_testing::failNextAllocations(2);
  EXPECT_EQ(pool.Allocate(8), nullptr);
  EXPECT_EQ(pool.Allocate(8), nullptr);
  void* b = pool.Allocate(8);
  EXPECT_NE(b, nullptr);
  EXPECT_EQ(pool.Allocate(std::size_t{1} << 32), nullptr);

  pool.Release(a);
  pool.Release(b);
  pool.Release(nullptr);
  EXPECT_EQ(dm2_testing::liveAllocations(), before);
}

TEST_F(Dm2Adb, Kvxerr1FillsTheIntegerPlaceholder) {
  adb_Kvxerr1(-3, "SYSTEM ERROR IN X - UNABLE TO ALLOCATE %I WORDS", 48);
  ASSERT_EQ(eqc_testing::messages().size(), 1u);
  EXPECT_EQ(eqc_testing::messages()[0].level, -3);
  EXPECT_TRUE(eqc_testing::printed("UNABLE TO ALLOCATE 48 WORDS"));
}

}  // namespace
