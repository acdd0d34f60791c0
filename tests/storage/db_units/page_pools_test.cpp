#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "runtime/record.h"
#include "siblings/dm2/dm2_state.h"
#include "siblings/eqc/eqc_units.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "siblings/eqc/unit_records.h"
#include "tests/storage/db_units/unit_fixture.h"
#include "zmx/storage.h"

namespace {

using zmxtest::UnitFixture;

class PagePools : public UnitFixture {
 protected:
  // Page count and first base word of unit 18 (CDND).
  Int ndPages() { return rec::i(CDND, 33); }
  Int ndBase(Int page) { return rec::i(CDND, 9 + page); }

  // Reads record `record` of a unit's file (page length words), zeros beyond its end.
  std::vector<Real> fileRecord(Int fileUnit, Int record) {
    std::vector<Real> words(static_cast<std::size_t>(pageLength_), 0.0);
    std::ifstream in(eqc_units::filePath(fileUnit), std::ios::binary);
    in.seekg(static_cast<std::streamoff>(record - 1) * pageLength_ * 8);
    in.read(reinterpret_cast<char*>(words.data()), static_cast<std::streamsize>(words.size() * 8));
    return words;
  }

  void writeNode(Int node, Real value) {
    std::vector<Real> record(static_cast<std::size_t>(rec::i(CDND, 24)), value);
    const Int write = 1;
    DBND(&write, record.data(), &node);
  }
};

TEST_F(PagePools, AnIdleSlotOfTheUnitIsHandedBackLowestFirstBeforeAFreeOne) {
  makePools(4, 8);
  op(0, 18, 2);
  ASSERT_EQ(ndPages(), 2);
  op(1, 18, 2);
  EXPECT_EQ(inUse(1), 0);
  EXPECT_EQ(owner(1), 18);
  pool(1)[0] = 42.0;  // data kept while idle

  op(0, 18, 1);
  EXPECT_EQ(inUse(1), 1);
  EXPECT_EQ(inUse(2), 0);
  EXPECT_EQ(owner(3), 0);    // no free slot was used
  EXPECT_EQ(ndPages(), 2);   // code 2: the page table is unchanged
  EXPECT_EQ(pool(1)[0], 42.0);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(PagePools, WithEverySlotInUseARequestIsASystemError) {
  makePools(3, 8);
  op(0, 18, 2);
  op(0, 3, 1);
  op(0, 22, 1);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DBALOC"));
  EXPECT_EQ(rec::i(CDRR, 83), 0);
}

TEST_F(PagePools, TheHighestIdleSlotOfAnotherUnitIsTakenAndItsOwnerWritesBackFirst) {
  makePools(3, 8);
  rec::i(CDND, 24) = 4;  // node records of 4 words: two per page
  op(0, 18, 2);
  op(0, 3, 1);
  writeNode(1, 1.5);  // page 1 of unit 18, modified
  writeNode(3, 3.5);  // page 2
  op(1, 18, 2);       // both pools of unit 18 idle
  op(1, 3, 1);

  op(0, 22, 1);  // slot 3 (unit 3's, the highest idle) is taken
  EXPECT_EQ(owner(3), 22);
  EXPECT_EQ(rec::i(CDSUS, 32), 0);
  EXPECT_EQ(rec::i(CDRR, 83), 1);
  EXPECT_EQ(rec::i(CDRR, 23), rec::i(CDBPP, 23));

  op(0, 22, 1);  // then slot 2: unit 18 writes its page back before it loses it
  EXPECT_EQ(owner(2), 22);
  EXPECT_EQ(ndPages(), 1);
  const Int fileUnit = rec::i(CDND, 2);
  const Int lostRecord = ndBase(1) == rec::i(CDBPP, 21) ? 2 : 1;
  EXPECT_EQ(fileRecord(fileUnit, lostRecord)[0], lostRecord == 1 ? 1.5 : 3.5);
  EXPECT_EQ(rec::i(CDND, 34), lostRecord);  // highest record written
}

TEST_F(PagePools, PackingWritesBackIdleSlotsAndMovesPoolsInUseToTheTop) {
  makePools(3, 8);
  rec::i(CDND, 24) = 8;  // one node record per page
  op(0, 18, 1);          // slot 1
  op(0, 3, 1);           // slot 2
  op(0, 22, 1);          // slot 3
  writeNode(1, 7.0);     // unit 18's page holds record 1
  // Unit 3's page: a record number and modified, so packing writes it back.
  rec::i(CDSUS, 3) = 5;
  rec::i(CDSUS, 17) = 1;
  pool(2)[0] = 9.0;
  op(1, 3, 1);

  EXPECT_EQ(op(3, 0), 1);
  EXPECT_EQ(owner(1), 0);
  EXPECT_EQ(owner(2), 18);
  EXPECT_EQ(inUse(2), 1);
  EXPECT_EQ(owner(3), 22);
  EXPECT_EQ(rec::i(CDND, 10), rec::i(CDBPP, 22));  // unit 18's page now in slot 2's pool
  EXPECT_EQ(pool(2)[0], 7.0);                       // with its contents
  EXPECT_EQ(rec::i(CDSUS, 32), 0);
  EXPECT_EQ(fileRecord(rec::i(CDSUS, 2), 5)[0], 9.0);

  std::vector<Real> back(8);
  const Int read = 0, node = 1;
  DBND(&read, back.data(), &node);
  EXPECT_EQ(back[0], 7.0);
}

TEST_F(PagePools, ClosingAUnitCountsItsPoolsInUseAndFreesEverySlot) {
  makePools(4, 8);
  op(0, 18, 3);
  op(1, 18, 1);
  EXPECT_EQ(op(5, 18, 99), 2);
  for (Int slot = 1; slot <= 3; ++slot) {
    EXPECT_EQ(owner(slot), 0);
    EXPECT_EQ(inUse(slot), 0);
  }
  EXPECT_EQ(ndPages(), 0);
  EXPECT_EQ(op(0, 18, 2), 2);  // the count given back serves a new request
  EXPECT_EQ(ndPages(), 2);
}

TEST_F(PagePools, CodesBeyondFiveOnlyIdleTheLowestSlotUnlessTheHostPacks) {
  makePools(3, 8);
  op(0, 18, 2);
  EXPECT_EQ(op(9, 18, 5), 1);  // each pass finds slot 1 again: one flag cleared, nothing taken
  EXPECT_EQ(owner(1), 18);
  EXPECT_EQ(inUse(1), 0);
  EXPECT_EQ(inUse(2), 1);
  EXPECT_EQ(ndPages(), 2);
  EXPECT_EQ(op(-1, 18, 5), 0);

  rec::i(CPROG, 1) = 3;  // a host-only kind packs instead
  Int unit = 18, n = 0;
  const Int code = 9;
  DBALOC(&code, &unit, &n);
  EXPECT_EQ(unit, 2);
  EXPECT_EQ(owner(3), 18);
  EXPECT_EQ(ndPages(), 1);
}

TEST_F(PagePools, OperationTwoGivesUpPoolsWithoutWritingThem) {
  makePools(2, 8);
  rec::i(CDND, 24) = 8;
  op(0, 18, 1);
  writeNode(1, 5.0);
  op(2, 18, 1);
  EXPECT_EQ(owner(1), 0);
  EXPECT_EQ(ndPages(), 0);
  EXPECT_EQ(rec::i(CDND, 34), 1);  // the record counts as written
  EXPECT_FALSE(std::filesystem::exists(eqc_units::filePath(rec::i(CDND, 2))) &&
               fileRecord(rec::i(CDND, 2), 1)[0] == 5.0);
  op(2, 18, 1);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DBALOC"));
}

TEST_F(PagePools, APageBeyondAUnitsMaximumIsRefusedAndThePageTableStaysAsItWas) {
  makePools(10, 8);
  op(0, 9, 8);
  ASSERT_EQ(rec::i(CDSEL, 37), 8);
  const CDSEL_t before = CDSEL;
  op(0, 9, 1);
  EXPECT_TRUE(eqc_testing::printed("TOO MANY PAGE POOLS ALLOCATED FOR UNIT 9"));
  EXPECT_EQ(std::vector<Int>(before.w, before.w + 50), std::vector<Int>(CDSEL.w, CDSEL.w + 50));
  EXPECT_EQ(owner(9), 0);
  EXPECT_EQ(inUse(9), 0);

  // A request of two more pools tries both: each is refused and told, nothing changes.
  eqc_testing::clearMessages();
  op(0, 9, 2);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);
  EXPECT_EQ(std::vector<Int>(before.w, before.w + 50), std::vector<Int>(CDSEL.w, CDSEL.w + 50));
  EXPECT_EQ(owner(9) + owner(10), 0);

  eqc_testing::clearMessages();
  op(0, 23, 1);
  op(0, 23, 1);
  EXPECT_TRUE(eqc_testing::printed("TOO MANY PAGE POOLS ALLOCATED FOR UNIT 23"));
  EXPECT_EQ(rec::i(CDRW, 8), 1);

  // Told directly, DBAL3 refuses with status 2 as well.
  Int code = 0, unit = 23, slot = 10, status = 0;
  DBAL1(&code, &unit, &slot, &status);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(rec::i(CDRW, 8), 1);
}

TEST_F(PagePools, RetiredUnitsAndMissingPagesAreSystemErrors) {
  makePools(2, 8);
  const std::array<std::pair<Int, const char*>, 5> retired{{{1, "Element data base not used any more"},
                                                            {5, "Element operator data base not used any more"},
                                                            {7, "Material point data base not used any more"},
                                                            {8, "Material point data base not used any more"},
                                                            {20, "Wavefront solver data base not used any more"}}};
  for (const auto& [unit, text] : retired) {
    eqc_testing::clearMessages();
    Int code = 0, u = unit, slot = 1, status = 7;
    DBAL1(&code, &u, &slot, &status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(eqc_testing::countAtLevel(-3), 1);
    EXPECT_EQ(eqc_testing::messages()[0].text.find(text) != std::string::npos, true) << text;
  }
  eqc_testing::clearMessages();
  Int code = 3, unit = 21, slot = 1, status = 0;  // a move from a slot beyond the table
  DBAL1(&code, &unit, &slot, &status);
  EXPECT_EQ(unit, 0);
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
  code = 1, unit = 18, slot = 2;
  DBAL1(&code, &unit, &slot, &status);  // unit 18 has no page in slot 2
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DBAL3"));

  // A move of a page the unit does not hold changes nothing of its table.
  eqc_testing::clearMessages();
  std::array<Int, 4> bases{}, records{}, modified{}, ages{};
  Int count = 0, highest = 0;
  const Int move = 3, fileUnit = 40, pageLength = 8, oldSlot = 2;
  DBAL3(&move, &slot, bases.data(), &fileUnit, &pageLength, records.data(), modified.data(), ages.data(), &count,
        &oldSlot, &highest, &status);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DBAL3"));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(bases, (std::array<Int, 4>{}));
  // A page table of the host's own has no maximum of a unit: pages are added as asked.
  const Int add = 0;
  for (Int k = 1; k <= 3; ++k)
    DBAL3(&add, &slot, bases.data(), &fileUnit, &pageLength, records.data(), modified.data(), ages.data(), &count,
          &oldSlot, &highest, &status);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(ages, (std::array<Int, 4>{-1, -2, -3, 0}));
  EXPECT_EQ(status, 0);
  // A code the single-buffer form does not know does nothing.
  eqc_testing::clearMessages();
  Int base = 5, blocks = 1, state = 1, position = 3;
  const Int unknown = 6, blockLength = 8;
  DBAL2(&unknown, &slot, &base, &fileUnit, &blockLength, &blocks, &state, &position, &status);
  EXPECT_EQ((std::array<Int, 4>{base, blocks, state, position}), (std::array<Int, 4>{5, 1, 1, 3}));
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(eqc_testing::messages().empty());
  // A buffer whose base word lies before the work space is not copied from when it moves.
  base = 0;
  DBAL2(&move, &slot, &base, &fileUnit, &blockLength, &blocks, &state, &position, &status);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR - POOL OUTSIDE THE WORK SPACE"));
  EXPECT_EQ(base, rec::i(CDBPP, 20 + slot));  // the slot's base word
}

TEST_F(PagePools, CoreExtensionGrowsByTheRequestNotByTheShortfall) {
  rec::i(CSIZE, 3) = 40;  // growth earlier in the run
  Int limit = 100, n = 100;
  EXPECT_EQ(DBCORE(&n, &limit), 100) << "within the limit the request comes back";
  EXPECT_EQ(limit, 100);
  EXPECT_EQ(rec::i(CSIZE, 3), 40);
  n = 101;
  EXPECT_EQ(DBCORE(&n, &limit), 141) << "beyond it the run's new core tally";
  EXPECT_EQ(limit, 201);
  EXPECT_EQ(rec::i(CSIZE, 3), 141);
  EXPECT_EQ(dm2_testing::stackInUse(), 8 * 101);

  n = 150;  // the tally itself as the limit is raised once
  EXPECT_EQ(DBCORE(&n, &rec::i(CSIZE, 3)), 291);
  EXPECT_EQ(rec::i(CSIZE, 3), 291);

  dm2_testing::setStackLimit(dm2_testing::stackInUse() + 8);
  n = 1000;
  EXPECT_EQ(DBCORE(&n, &limit), 291);
  EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE."));
  EXPECT_EQ(limit, 201);
  EXPECT_EQ(rec::i(CSIZE, 3), 291);

  // A limit or tally that would pass the largest 32-bit count is a memory failure too.
  dm2_testing::setStackLimit(1LL << 40);
  const long long stack = dm2_testing::stackInUse();
  for (const auto& [tally, before] : {std::pair<Int, Int>{291, 1500000000}, {1000000000, 10}}) {
    rec::i(CSIZE, 3) = tally;
    eqc_testing::clearMessages();
    limit = before, n = 1500000001;
    DBCORE(&n, &limit);
    EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE."));
    EXPECT_EQ(limit, before);
    EXPECT_EQ(rec::i(CSIZE, 3), tally);
    EXPECT_EQ(dm2_testing::stackInUse(), stack);
  }
}

// A reference model of the slot table, written from the allocation rules.
struct SlotModel {
  static constexpr Int kSlots = 6;
  std::array<Int, kSlots + 1> owner{}, inUse{};
  std::array<Int, 32> pages{};

  static Int maxPages(Int unit) { return unit == 9 ? 8 : unit == 23 ? 1 : unit == 16 ? 2 : 7; }

  void give(Int unit, Int n) {
    for (Int k = 0; k < n; ++k) {
      Int slot = 0;
      for (Int s = 1; s <= kSlots && slot == 0; ++s)
        if (owner[s] == unit && inUse[s] == 0) slot = s;
      if (slot != 0) {
        inUse[slot] = 1;
        continue;
      }
      for (Int s = 1; s <= kSlots && slot == 0; ++s)
        if (owner[s] == 0) slot = s;
      if (slot == 0) {
        for (Int s = kSlots; s >= 1 && slot == 0; --s)
          if (inUse[s] == 0) slot = s;
        if (slot == 0) return;
        --pages[owner[slot]];
        owner[slot] = 0;
      }
      if (pages[unit] >= maxPages(unit)) continue;  // refused: the slot stays free
      owner[slot] = unit;
      inUse[slot] = 1;
      ++pages[unit];
    }
  }
  void idle(Int unit, Int n) {
    for (Int k = 0; k < n; ++k) {
      Int slot = 0;
      for (Int s = 1; s <= kSlots && slot == 0; ++s)
        if (owner[s] == unit && inUse[s] == 1) slot = s;
      if (slot == 0) return;
      inUse[slot] = 0;
    }
  }
  void drop(Int unit, Int n) {
    for (Int k = 0; k < n; ++k) {
      Int slot = 0;
      for (Int s = 1; s <= kSlots && slot == 0; ++s)
        if (owner[s] == unit) slot = s;
      if (slot == 0) return;
      owner[slot] = inUse[slot] = 0;
      --pages[unit];
    }
  }
  Int pack() {
    for (Int s = 1; s <= kSlots; ++s)
      if (owner[s] != 0 && inUse[s] == 0) {
        --pages[owner[s]];
        owner[s] = 0;
      }
    Int t = kSlots;
    for (Int s = kSlots; s >= 1; --s) {
      if (inUse[s] == 0) continue;
      if (s != t) {
        owner[t] = owner[s];
        inUse[t] = 1;
        owner[s] = inUse[s] = 0;
      }
      --t;
    }
    return t;
  }
  Int close(Int unit) {
    Int used = 0;
    for (Int s = 1; s <= kSlots; ++s)
      if (owner[s] == unit) {
        used += inUse[s];
        owner[s] = inUse[s] = 0;
        --pages[unit];
      }
    return used;
  }
};

TEST_F(PagePools, RandomRequestsAgreeWithAReferenceModelOfSlotsAndPageCounts) {
  makePools(SlotModel::kSlots, 4);
  const Int units[] = {3, 16, 18, 22, 23};
  std::mt19937 random(20261207);
  SlotModel model;
  for (int step = 0; step < 3000; ++step) {
    const Int unit = units[random() % 5];
    const Int n = static_cast<Int>(random() % 3);
    const Int operation = static_cast<Int>(random() % 6);
    Int expected = 0;
    switch (operation) {
      case 0: model.give(unit, n); break;
      case 1: model.idle(unit, n); break;
      case 2: model.drop(unit, n); break;
      case 3: case 4: expected = model.pack(); break;
      default: expected = model.close(unit); break;
    }
    const Int got = op(operation, unit, n);
    if (operation >= 3) {
      ASSERT_EQ(got, expected) << "step " << step;
    }
    for (Int s = 1; s <= SlotModel::kSlots; ++s) {
      ASSERT_EQ(owner(s), model.owner[s]) << "step " << step << " slot " << s;
      ASSERT_EQ(inUse(s), model.inUse[s]) << "step " << step << " slot " << s;
    }
    for (Int u : units) {
      const Int count = u == 23 ? rec::i(CDRW, 8) : u == 16 ? rec::i(CDHY, 16) : u == 3 ? rec::i(CDSUS, 32)
                        : u == 18 ? rec::i(CDND, 33) : rec::i(CDRR, 83);
      ASSERT_EQ(count, model.pages[static_cast<std::size_t>(u)]) << "step " << step << " unit " << u;
    }
  }
  EXPECT_EQ(eqc_testing::printed("SYSTEM ERROR IN DBAL3"), false);
}

}  // namespace
