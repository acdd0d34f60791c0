#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <tuple>

#include "runtime/address_space.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/storage.h"

namespace {

class SurfaceRegistry : public zmxtest::HostFixture {
 protected:
  void makeDb(Int slots, Int pool) { SHR_CREATEMODELSURFACEDB(&slots, &pool); }

  Int add(const std::string& name, Int n) { return SHR_ADDSURFACE(name.data(), static_cast<Int>(name.size()), &n); }

  Int open(const std::string& name) {
    Int status = 99;
    SHR_OPENSURFACE(name.data(), static_cast<Int>(name.size()), &status);
    return status;
  }

  Int* list(Int operation, Int n) {
    Int count = -1;
    const Int word = SHR_ACCESSSURFACE(&operation, &count);
    EXPECT_EQ(count, 0);
    return mem32::at<Int>(word, static_cast<std::size_t>(n));
  }

  Int count() {
    const Int operation = 0;
    Int n = -1;
    EXPECT_EQ(SHR_ACCESSSURFACE(&operation, &n), 0);
    return n;
  }

  // Adds a surface and fills its lists with first(k) = base + k, second(k) = -(base + k).
  void addFilled(const std::string& name, Int n, Int base) {
    ASSERT_EQ(add(name, n), 0);
    Int* first = list(1, n);
    Int* second = list(2, n);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    for (Int k = 0; k < n; ++k) {
      first[k] = base + k;
      second[k] = -(base + k);
    }
  }

  shr_ModelSurfaceDb* db() { return omi_Singleton<shr_SurfaceDb>::Instance()->getCurrentModelSurfaceDb(); }
};

TEST_F(SurfaceRegistry, SurfacesKeepTheirListsAndBlocksLieEndToEnd) {
  makeDb(4, 100);
  addFilled("TOP", 3, 10);
  addFilled("BOTTOM  ", 2, 50);  // trailing blanks are not part of the name
  EXPECT_EQ(db()->surfaceCount(), 2);
  EXPECT_EQ(db()->nextFreeWord(), (2 * 3 + 2) + (2 * 2 + 2));

  ASSERT_EQ(open("TOP"), 0);
  EXPECT_EQ(count(), 3);
  const Int* first = list(1, 3);
  const Int* second = list(2, 3);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first[0], 10);
  EXPECT_EQ(first[2], 12);
  EXPECT_EQ(second[2], -12);
  // Block header in front of the first list: 2n + 2 and n.
  EXPECT_EQ(first[-2], 8);
  EXPECT_EQ(first[-1], 3);

  ASSERT_EQ(open("BOTTOM"), 0);
  EXPECT_EQ(count(), 2);
  // The second surface's block starts right after the first one's.
  EXPECT_EQ(list(1, 2), second + 3 + 2);
  EXPECT_EQ(list(1, 2)[1], 51);
  EXPECT_EQ(list(2, 2)[0], -50);
}

TEST_F(SurfaceRegistry, DuplicateNameReturnsOneAndKeepsTheOpenSurface) {
  makeDb(4, 100);
  ASSERT_EQ(add("A", 1), 0);
  ASSERT_EQ(add("B", 2), 0);
  ASSERT_EQ(open("A"), 0);
  EXPECT_EQ(add("B", 5), 1);
  EXPECT_EQ(count(), 1);  // A is still the open surface
  EXPECT_EQ(db()->surfaceCount(), 2);
  EXPECT_TRUE(eqc_testing::messages().empty());
}

TEST_F(SurfaceRegistry, EmptySurfaceTakesTwoWordsAndOpenOfUnknownKeepsOpen) {
  makeDb(2, 10);
  ASSERT_EQ(add("EMPTY", 0), 0);
  EXPECT_EQ(count(), 0);
  EXPECT_EQ(db()->nextFreeWord(), 2);
  EXPECT_EQ(open("NOSUCH"), -1);
  EXPECT_EQ(open("EMPTY0000"), -1);  // longer than a surface name: no such surface either
  EXPECT_EQ(db()->openIndex(), 0);
  EXPECT_TRUE(eqc_testing::messages().empty());
  Int op = 7, n = 5;
  EXPECT_EQ(SHR_ACCESSSURFACE(&op, &n), 0);
  EXPECT_EQ(n, 0);
}

TEST_F(SurfaceRegistry, AccessToAClosedSurfaceIsReported) {
  makeDb(2, 10);
  ASSERT_EQ(add("S", 1), 0);
  SHR_CLOSESURFACE();
  Int op = 1, n = 5;
  EXPECT_EQ(SHR_ACCESSSURFACE(&op, &n), 0);
  EXPECT_EQ(n, 0);
  ASSERT_EQ(eqc_testing::messages().size(), 1u);
  EXPECT_EQ(eqc_testing::messages().back().level, -3);
  EXPECT_EQ(eqc_testing::messages().back().text,
            "SYSTEM ERROR IN ModelSurfaceDb::SurfaceAccess - ACCESSING INFO FOR A CLOSED SURFACE");
}

TEST_F(SurfaceRegistry, BrokenLimitsReturnOneAndChangeNothing) {
  makeDb(2, 12);
  ASSERT_EQ(add("FIRST", 2), 0);  // 6 words
  const int used = db()->nextFreeWord();

  // Pool too small for the block.
  EXPECT_EQ(add("BIG", 3), 1);
  EXPECT_EQ(eqc_testing::messages().back().text,
            "SYSTEM ERROR IN ModelSurfaceDb::AddSurface - SURFACE DATABASE TOO SMALL");
  // Name longer than 8 characters.
  EXPECT_EQ(add("NINECHARS", 0), 1);
  EXPECT_EQ(eqc_testing::messages().back().text,
            "SYSTEM ERROR IN SHR_ADDSURFACE - SURFACE NAME LONGER THAN 8 CHARACTERS");
  // The same name handed to the model's database directly.
  EXPECT_EQ(db()->addSurface("NINECHARS", 0), 1);
  EXPECT_EQ(eqc_testing::messages().back().text,
            "SYSTEM ERROR IN ModelSurfaceDb::AddSurface - SURFACE NAME LONGER THAN 8 CHARACTERS");
  // A negative entry count.
  EXPECT_EQ(add("NEG", -1), 1);
  EXPECT_EQ(db()->surfaceCount(), 1);
  EXPECT_EQ(db()->nextFreeWord(), used);
  EXPECT_EQ(db()->openIndex(), 0);

  ASSERT_EQ(add("SECOND", 2), 0);  // exactly fills the pool
  EXPECT_EQ(db()->nextFreeWord(), 12);
  EXPECT_EQ(add("THIRD", 0), 1);  // no slot left
  EXPECT_EQ(db()->surfaceCount(), 2);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 5);

  // The registered surfaces are intact.
  ASSERT_EQ(open("FIRST"), 0);
  EXPECT_EQ(count(), 2);
}

TEST_F(SurfaceRegistry, ModelsAreFoundByNameAndNewOnesAppendWithoutDatabase) {
  makeDb(2, 10);
  ASSERT_EQ(add("G", 1), 0);
  SHR_MKMODELSURFACEDBCURRENT("lib1   ", 7);
  shr_SurfaceDb* registry = omi_Singleton<shr_SurfaceDb>::Instance();
  EXPECT_STREQ(registry->getCurrentEntry()->getModelName(), "lib1");
  EXPECT_EQ(registry->getCurrentModelSurfaceDb(), nullptr);
  EXPECT_EQ(registry->getFirstEntry()->getNext(), registry->getCurrentEntry());
  EXPECT_EQ(add("X", 1), 1);  // the model has no database yet
  EXPECT_TRUE(eqc_testing::printed("THE CURRENT MODEL HAS NO SURFACE DATABASE"));

  makeDb(1, 4);
  ASSERT_EQ(add("G", 1), 0);  // same surface name, other model

  SHR_MKMODELSURFACEDBCURRENT("global", 6);
  EXPECT_EQ(registry->getCurrentEntry(), registry->getFirstEntry());
  ASSERT_EQ(open("G"), 0);
  EXPECT_EQ(registry->getFirstEntry()->getNext()->getNext(), nullptr);
}

TEST_F(SurfaceRegistry, SecondCreateOfAModelDatabaseChangesNothing) {
  makeDb(1, 4);
  shr_ModelSurfaceDb* before = db();
  ASSERT_EQ(add("A", 1), 0);
  makeDb(10, 1000);
  EXPECT_EQ(db(), before);
  EXPECT_EQ(add("B", 0), 1);  // still one slot
}

TEST_F(SurfaceRegistry, OverlongModelNameIsRefused) {
  const std::string name(256, 'M');
  SHR_MKMODELSURFACEDBCURRENT(name.data(), static_cast<Int>(name.size()));
  EXPECT_TRUE(eqc_testing::printed("MODEL NAME LONGER THAN 255 CHARACTERS"));
  EXPECT_STREQ(omi_Singleton<shr_SurfaceDb>::Instance()->getCurrentEntry()->getModelName(), "global");

  const std::string longest(255, 'M');
  SHR_MKMODELSURFACEDBCURRENT(longest.data(), static_cast<Int>(longest.size()));
  EXPECT_EQ(omi_Singleton<shr_SurfaceDb>::Instance()->getCurrentEntry()->getModelName(), longest);
}

TEST_F(SurfaceRegistry, AllocationFailureIsReportedWithTheWordsAskedFor) {
  const int liveBefore = dm2_testing::liveAllocations();
  dm2_testing::failNextAllocations(1);
  makeDb(3, 40);
  ASSERT_EQ(eqc_testing::messages().size(), 1u);
  EXPECT_EQ(eqc_testing::messages().back().level, -3);
  EXPECT_EQ(eqc_testing::messages().back().text,
            "SYSTEM ERROR IN ModelSurfaceDb::ModelSurfaceDb - UNABLE TO ALLOCATE 12 WORDS");
  EXPECT_EQ(add("A", 1), 1);

  // The pool that cannot be had is reported with its own size, and the table is given back.
  SHR_MKMODELSURFACEDBCURRENT("other", 5);
  eqc_testing::clearMessages();
  makeDb(1, std::numeric_limits<Int>::max());
  ASSERT_EQ(eqc_testing::messages().size(), 1u);
  EXPECT_EQ(eqc_testing::messages().back().text,
            "SYSTEM ERROR IN ModelSurfaceDb::ModelSurfaceDb - UNABLE TO ALLOCATE 2147483647 WORDS");
  EXPECT_EQ(dm2_testing::liveAllocations(), liveBefore);
  EXPECT_EQ(add("B", 0), 1);

  // A negative size cannot be had either: the same report, with the words asked for.
  for (const auto& [model, slots, pool, text] : {std::tuple{"slots", -1, 10, "UNABLE TO ALLOCATE -4 WORDS"},
                                                 std::tuple{"pools", 2, -7, "UNABLE TO ALLOCATE -7 WORDS"}}) {
    SHR_MKMODELSURFACEDBCURRENT(model, 5);
    eqc_testing::clearMessages();
    makeDb(slots, pool);
    ASSERT_EQ(eqc_testing::messages().size(), 1u);
    EXPECT_EQ(eqc_testing::messages().back().level, -3);
    EXPECT_EQ(eqc_testing::messages().back().text, std::string("SYSTEM ERROR IN ModelSurfaceDb::ModelSurfaceDb - ") + text);
    EXPECT_EQ(add("C", 0), 1);
  }
  EXPECT_EQ(dm2_testing::liveAllocations(), liveBefore);
}

TEST_F(SurfaceRegistry, ListWordsGoStaleWhenTheRegistryEnds) {
  makeDb(1, 8);
  ASSERT_EQ(add("A", 2), 0);
  Int op = 1, n = 0;
  const Int word = SHR_ACCESSSURFACE(&op, &n);
  ASSERT_NE(mem32::at<Int>(word, 2), nullptr);
  omi_SingletonBase<shr_SurfaceDb>::Finalize();
  EXPECT_EQ(mem32::at<Int>(word, 2), nullptr);
  EXPECT_TRUE(eqc_testing::printed("STALE ADDRESS WORD"));
}

}  // namespace
