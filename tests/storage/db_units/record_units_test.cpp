#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <map>
#include <random>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_units.h"
#include "siblings/eqc/job_testing.h"
#include "siblings/eqc/run_testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "siblings/eqc/unit_records.h"
#include "tests/storage/db_units/unit_fixture.h"
#include "tests/support/bounded_child.h"
#include "tests/support/mapped_array.h"
#include "zmx/storage.h"

namespace {

using zmxtest::UnitFixture;

// A record of 8-byte words whose word 1 holds its length as an integer slot.
std::vector<Real> makeRecord(Int length, Real fill) {
  std::vector<Real> words(static_cast<std::size_t>(length), fill);
  rec::setSlotI(words.data(), 1, length);
  return words;
}

class RecordUnits : public UnitFixture {
 protected:
  void SetUp() override {
    UnitFixture::SetUp();
    makePools(12, 16);
  }

  void node(Int operation, std::vector<Real>& array, Int n) { DBND(&operation, array.data(), &n); }

  Int restart(Int operation, std::vector<Real>& array, Int& address) {
    Int status = -1;
    DBRE(&operation, array.data(), &address, &status);
    return status;
  }
};

TEST_F(RecordUnits, NodeZeroAndAZeroRecordLengthTransferNothing) {
  op(0, 18, 2);
  std::vector<Real> array(4, 3.0);
  node(1, array, 0);  // no node 0 in the analysis
  rec::i(CDND, 24) = 0;
  node(1, array, 5);
  node(0, array, 5);
  EXPECT_EQ(array, std::vector<Real>(4, 3.0));
  EXPECT_EQ(rec::i(CDND, 3), 0);  // no page was loaded
  EXPECT_EQ(rec::i(CDND, 4), 0);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  // In the pre-processor any node number goes to the unit: node 0 is DBRAN's bad address.
  rec::i(CPROG, 1) = 1;
  rec::i(CDND, 24) = 4;
  node(0, array, 0);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DBRAN - ADDRESS -3"));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_EQ(array, std::vector<Real>(4, 3.0));
  // A record longer than an array whose room is known is not read into it.
  zmxtest::MappedArray small(4);
  rec::i(CDND, 24) = 5;
  const Int read = 0, second = 2;
  DBND(&read, small.data(), &second);
  EXPECT_TRUE(small.guardsKept());
  EXPECT_EQ(small[0], zmxtest::MappedArray::kGuard);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DBND - NODE RECORD LENGTH 5"));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);
}

TEST_F(RecordUnits, NodeRecordsAtRandomNodesReadBackAfterPageEvictions) {
  op(0, 18, 3);  // 3 pages of 16 words for records of 5 words: records straddle pages
  rec::i(CDND, 24) = 5;
  // The unit's index area lies in a memory block of the host, from its word 3 on.
  std::vector<Int> area(16, 0);
  const Int block = mem32::map(area.data(), area.size() * sizeof(Int), mem32::tag("NDIC"));
  rec::i(CDNDIC, 3) = block;
  rec::i(CDNDIC, 1) = 3;
  std::mt19937 random(7);
  std::map<Int, std::vector<Real>> written;
  for (int k = 0; k < 4000; ++k) {
    const Int n = 1 + static_cast<Int>(random() % 600);
    if (random() % 2 == 0) {
      std::vector<Real> array(5);
      for (Real& w : array) w = static_cast<Real>(random() % 100000) / 7.0;
      node(1, array, n);
      written[n] = array;
    } else if (written.count(n) != 0) {
      std::vector<Real> array(5, -1.0);
      node(0, array, n);
      ASSERT_EQ(array, written[n]) << "node " << n << " at step " << k;
    }
  }
  // Everything again after the unit gave its pools back and got fresh ones.
  op(5, 18, 0);
  op(0, 18, 2);
  for (const auto& [n, expected] : written) {
    std::vector<Real> array(5, -1.0);
    node(0, array, n);
    ASSERT_EQ(array, expected) << "node " << n;
  }
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  rec::clear(CDNDIC);
  mem32::unmap(block);
}

TEST_F(RecordUnits, RestartRecordsReadBackFromTheFileBeingWrittenAndTheFileBeingRead) {
  op(0, 23, 1);
  op(0, 22, 3);
  rec::i(CDRW, 3) = 11;  // the restart file
  rec::i(CDRR, 2) = 12;  // not 11: reads come back from the file being written
  std::mt19937 random(11);
  // Records laid end to end, written in random order.
  std::vector<std::pair<Int, std::vector<Real>>> records;
  Int next = 1;
  for (int k = 0; k < 300; ++k) {
    std::vector<Real> r = makeRecord(2 + static_cast<Int>(random() % 40), 0.0);
    for (std::size_t w = 1; w < r.size(); ++w) r[w] = static_cast<Real>(k) + static_cast<Real>(w) / 64.0;
    records.emplace_back(next, r);
    next += static_cast<Int>(r.size());
  }
  std::vector<std::size_t> order(records.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::shuffle(order.begin(), order.end(), random);
  Int highest = 0;
  for (std::size_t k : order) {
    Int address = records[k].first;
    EXPECT_EQ(restart(1, records[k].second, address), 0);
    EXPECT_EQ(address, records[k].first + static_cast<Int>(records[k].second.size()));
    highest = std::max(highest, address);
    EXPECT_EQ(rec::i(CDRW, 10), highest);
  }
  std::vector<Real> buffer(64);
  std::shuffle(order.begin(), order.end(), random);
  for (std::size_t k : order) {
    Int address = records[k].first;
    restart(0, buffer, address);
    ASSERT_EQ(std::vector<Real>(buffer.begin(), buffer.begin() + static_cast<long>(records[k].second.size())),
              records[k].second);
  }

  // Once the writer's page is out, the same file is read through unit 22, record by record.
  op(5, 23, 0);
  rec::i(CDRR, 2) = 11;
  Int address = 1;
  for (const auto& [start, expected] : records) {
    ASSERT_EQ(address, start);
    Int skipped = address;
    restart(2, buffer, skipped);  // skip reads the length alone
    restart(0, buffer, address);
    ASSERT_EQ(skipped, address);
    ASSERT_EQ(buffer[1], expected[1]);
    ASSERT_EQ(buffer[expected.size() - 1], expected.back());
  }
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);

  restart(7, buffer, address);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN SUBROUTINE DBRE: JOP = 7"));
}

class SubstructureStore : public RecordUnits {
 protected:
  void SetUp() override {
    RecordUnits::SetUp();
    op(0, 3, 2);
    table_.assign(2 * 25, 0);
    tableWord_ = mem32::map(table_.data(), table_.size() * sizeof(Int), mem32::tag("SUPS"));
    rec::i(CDSUPS, 1) = 1;
    rec::i(CDSUPS, 3) = tableWord_;
    rec::i(CDSUS, 36) = 2;
    eqc_job_testing::interceptExit(true);
  }
  void TearDown() override {
    mem32::unmap(tableWord_);
    RecordUnits::TearDown();
  }

  Int& row(Int r, Int word) { return table_[static_cast<std::size_t>(25 * (r - 1) + word - 1)]; }

  void store(Int operation, Int kind, Int& index, std::vector<Real>& array, Int r = 1) {
    Int status = -1;
    DBSUPS(&operation, &kind, &index, array.data(), &r, &status);
    EXPECT_EQ(status, 0);
  }

  // Writes records of the lengths into a kind's region of a row, from a high-water mark.
  void fillRegion(Int kind, Int r, const std::vector<Int>& lengths, Real tag) {
    Int index = 1;
    std::vector<Real> none;
    store(2, kind, index, none, r);
    for (Int length : lengths) {
      std::vector<Real> record = makeRecord(length, tag);
      store(1, kind, index, record, r);
    }
    store(3, kind, index, none, r);
  }

  std::vector<Int> table_;
  Int tableWord_ = 0;
};

TEST_F(SubstructureStore, RegionsOpenAtTheHighWaterMarkAndRecordsAdvanceTheirIndex) {
  row(1, 11) = 3;  // node records of 3 words
  Int index = 0;
  std::vector<Real> none;
  store(2, 1, index, none);
  EXPECT_EQ(row(1, 1), 1);
  for (Int n = 1; n <= 4; ++n) {
    std::vector<Real> record(3, static_cast<Real>(n));
    store(1, 1, n, record);
  }
  index = 4;
  store(3, 1, index, none);
  EXPECT_EQ(row(1, 2), 12);
  EXPECT_EQ(rec::i(CDSUS, 24), 12);

  fillRegion(3, 1, {4, 2, 5}, 9.0);
  EXPECT_EQ(row(1, 5), 13);
  EXPECT_EQ(row(1, 6), 11);
  EXPECT_EQ(rec::i(CDSUS, 24), 23);

  index = 5;  // the second record of kind 3
  std::vector<Real> back(8, 0.0);
  store(0, 3, index, back);
  EXPECT_EQ(rec::slotI(back.data(), 1), 2);
  EXPECT_EQ(index, 7);
  Int n = 3;
  store(0, 1, n, back);
  EXPECT_EQ(back[0], 3.0);

  store(9, 3, index, none);  // any other operation clears the region
  EXPECT_EQ(row(1, 5), 0);
  EXPECT_EQ(row(1, 6), 0);
}

TEST_F(SubstructureStore, PackingMovesTheRegionThatLiesFirstToAddressOneAndTheOtherBehindIt) {
  // Leave a gap first, then the kind-4 region of row 2, then the kind-3 region of row 1.
  rec::i(CDSUS, 24) = 20;
  fillRegion(4, 2, {3, 4}, 4.0);  // words 21-27
  rec::i(CDSUS, 24) = 40;
  fillRegion(3, 1, {6}, 3.0);     // words 41-46
  std::vector<Real> buffer(16);
  Int index = 0;
  store(4, 1, index, buffer);
  EXPECT_EQ(row(2, 7), 1);
  EXPECT_EQ(row(1, 5), 8);
  EXPECT_EQ(rec::i(CDSUS, 24), 13);

  std::vector<Real> back(8, 0.0);
  index = 4;
  store(0, 4, index, back, 2);
  EXPECT_EQ(rec::slotI(back.data(), 1), 4);
  EXPECT_EQ(back[3], 4.0);
  index = 1;
  store(0, 3, index, back, 1);
  EXPECT_EQ(rec::slotI(back.data(), 1), 6);
  EXPECT_EQ(back[5], 3.0);
}

// In the analysis program the node records of a substructure in use live in its row of the
// in-core store: DBND writes and reads them there, as DBSUPS gives them.
TEST_F(SubstructureStore, AnalysisNodeRecordsGoToTheCurrentRow) {
  rec::i(CPROG, 1) = 1;
  row(2, 11) = 3;
  Int index = 0;
  std::vector<Real> none;
  store(2, 1, index, none, 2);
  rec::i(CDND, 25) = 1;  // the store is in use
  rec::i(CDND, 35) = 1;  // and reads come from it too
  rec::i(CDSUS, 34) = 2;
  for (Int n = 1; n <= 3; ++n) {
    std::vector<Real> record = {n + 0.5, n + 0.25, n + 0.125};
    node(1, record, n);
  }
  std::vector<Real> back(3, 0.0);
  node(0, back, 2);
  EXPECT_EQ(back, (std::vector<Real>{2.5, 2.25, 2.125}));
  Int n = 3;
  store(0, 1, n, back, 2);
  EXPECT_EQ(back, (std::vector<Real>{3.5, 3.25, 3.125}));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

// A row before the table, or an address before word 1 of the unit, is reported and refused with
// status 1, and nothing is read.
TEST_F(SubstructureStore, RequestsOutsideTheStoreAreRefused) {
  struct Case {
    Int kind, index, row;
    const char* text;
  };
  row(1, 5) = 1;   // the kind-3 region starts at word 1
  row(1, 11) = 3;  // node records of 3 words, their region never opened
  for (const Case c : {Case{3, 1, 0, "SYSTEM ERROR IN DBSUPS - ROW 0"}, Case{3, 0, 1, "SYSTEM ERROR IN DBSUPS - ADDRESS 0"},
                       Case{1, 1, 1, "SYSTEM ERROR IN DBSUPS - RECORD LENGTH 3"}}) {
    eqc_testing::clearMessages();
    std::vector<Real> array(4, -2.0);
    Int index = c.index, status = 0;
    const Int read = 0;
    DBSUPS(&read, &c.kind, &index, array.data(), &c.row, &status);
    EXPECT_EQ(status, 1) << c.text;
    EXPECT_TRUE(eqc_testing::printed(c.text)) << c.text;
    EXPECT_EQ(array, std::vector<Real>(4, -2.0)) << c.text;
  }
  // A restart record or an M record whose length word no record can have is not written.
  op(0, 23, 1);
  std::vector<Real> record = makeRecord(4, 1.0);
  rec::setSlotI(record.data(), 1, -4);
  Int address = 5;
  EXPECT_EQ(restart(1, record, address), 1);
  EXPECT_EQ(address, 5);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN SUBROUTINE DBRE: RECORD LENGTH -4"));
  rec::i(CDM, 7) = 40;
  rec::setSlotI(record.data(), 1, std::numeric_limits<Int>::min());
  Int status = 0;
  const Int write = 1;
  SHR_DBM(&write, record.data(), &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(rec::i(CDM, 7), 40);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DBM - RECORD LENGTH 2147483647"));
}

TEST_F(SubstructureStore, TheRetiredKindEndsTheJob) {
  eqc_run_testing::clearJobCalls();
  Int index = 1;
  std::vector<Real> none(1);
  Int operation = 1, kind = 2, r = 1, status = 0;
  DBSUPS(&operation, &kind, &index, none.data(), &r, &status);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DBSUPS - MATERIAL POINT DATABASE IS NOT USED ANYMORE"));
  const auto calls = eqc_run_testing::jobCalls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "XITJOB"), calls.end());
}

class StepDirectory : public RecordUnits {
 protected:
  void SetUp() override {
    UnitFixture::SetUp();
    makePools(2, 64);  // a directory record fits one page
    op(0, 23, 1);
    rec::i(CDRR, 2) = 0;
    rec::i(CDRW, 12) = 3;
  }

  // Writes a directory record of up to 3 entries (step, increment, value1, value2) at address.
  void directory(Int address, Int next, const std::vector<std::array<Int, 4>>& entries) {
    std::vector<Real> r = makeRecord(3 + 3 * 6, 0.0);
    rec::setSlotI(r.data(), 3, next);
    for (std::size_t e = 0; e < entries.size(); ++e) {
      for (int w = 0; w < 4; ++w) rec::setSlotI(r.data(), static_cast<long long>(4 + 6 * e + w), entries[e][w]);
      rec::setSlotI(r.data(), static_cast<long long>(8 + 6 * e), 1);
    }
    for (std::size_t e = entries.size(); e < 3; ++e) rec::setSlotI(r.data(), static_cast<long long>(8 + 6 * e), 0);
    restart(1, r, address);
  }

  // Writes word 1 of the array alone at address of the file being written, as DBRAN writes it.
  void writeFirstWord(std::vector<Real>& array, Int address) {
    const Int write = 1, one = 1;
    Int* w = CDRW.w;
    DBRAN(&write, array.data(), &one, &address, &w[2], &w[1], &w[3], &w[5], &w[7], &w[6], &w[4], &w[8], CDRWIC.w,
          &CDIC.w[7], &w[16]);
  }

  // The lookup with a work array of 32 words whose room is known; a write past it fails the test.
  std::array<Int, 4> lookup(Int address, Int step, Int increment) {
    zmxtest::MappedArray buffer(32);
    Int v1 = 99, v2 = 99;
    SHR_MRESTSTEPINC(buffer.data(), &address, &step, &increment, &v1, &v2);
    EXPECT_TRUE(buffer.guardsKept());
    return {step, increment, v1, v2};
  }
};

TEST_F(StepDirectory, LooksUpTheLastStepTheLargestIncrementAndTheLastEntryAtOrBeforeARequest) {
  directory(1, 30, {{1, 1, 10, 11}, {1, 2, 12, 13}, {2, 1, 20, 21}});
  directory(30, 0, {{2, 3, 22, 23}, {2, 2, 24, 25}});
  EXPECT_EQ(lookup(0, 5, 5), (std::array<Int, 4>{5, 5, 0, -1}));
  EXPECT_EQ(lookup(1, 0, -1), (std::array<Int, 4>{2, 2, 24, 25}));
  EXPECT_EQ(lookup(1, 0, 7), (std::array<Int, 4>{2, 7, 24, 25}));  // the increment is kept
  EXPECT_EQ(lookup(1, 2, -1), (std::array<Int, 4>{2, 3, 24, 25}));
  EXPECT_EQ(lookup(1, 1, -1), (std::array<Int, 4>{1, 2, 12, 13}));
  EXPECT_EQ(lookup(1, 2, 2), (std::array<Int, 4>{2, 2, 24, 25}));
  EXPECT_EQ(lookup(1, 2, 1), (std::array<Int, 4>{2, 1, 20, 21}));
  EXPECT_EQ(lookup(1, 1, 9), (std::array<Int, 4>{1, 9, 12, 13}));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

// The walks of a directory, record by record up to the record limit, as the lookup defines them.
struct DirectoryModel {
  std::map<Int, std::pair<Int, std::vector<std::array<Int, 4>>>> records;  // address: next, entries

  std::array<Int, 4> lookup(Int address, Int step, Int increment, bool& ranOut) const {
    Int v1 = 0, v2 = -1;
    const bool anyStep = step == 0 || increment == -1;
    const bool allSteps = step == 0, lastIncrement = increment == -1;
    const Int wanted = step;
    ranOut = true;
    std::vector<const std::pair<Int, std::vector<std::array<Int, 4>>>*> at(
        static_cast<std::size_t>(records.rbegin()->first) + 1, nullptr);
    for (const auto& [a, record] : records) at[static_cast<std::size_t>(a)] = &record;
    for (long long n = 0; n < 10'000'000; ++n) {
      const auto& [next, entries] = *at[static_cast<std::size_t>(address)];
      for (const auto& [s, i, a, b] : entries) {
        if (anyStep && allSteps) {
          step = s;
          if (lastIncrement) increment = i;
        } else if (anyStep && s == wanted) {
          increment = std::max(increment, i);
        } else if (anyStep || i <= 0 || s > step || (s == step && i > increment)) {
          continue;
        }
        v1 = a;
        v2 = b;
      }
      address = next;
      if (address == 0) {
        ranOut = false;
        break;
      }
    }
    return {step, increment, v1, v2};
  }
};

// Chains that run into a loop (of three records behind one, of five behind two, of two alone)
// end where the full walk of ten million records would end, in every form of the lookup.
TEST_F(StepDirectory, ALoopedChainGivesTheResultOfTheFullWalk) {
  const auto check = [this](const DirectoryModel& model, Int first) {
    for (const auto& [address, record] : model.records) directory(address, record.first, record.second);
    const std::array<std::array<Int, 2>, 4> requests{{{0, -1}, {0, 3}, {1, -1}, {2, 1}}};
    for (const auto& [step, increment] : requests) {
      bool ranOut = false;
      const std::array<Int, 4> expected = model.lookup(first, step, increment, ranOut);
      ASSERT_TRUE(ranOut);
      eqc_testing::clearMessages();
      EXPECT_EQ(lookup(first, step, increment), expected) << step << " " << increment;
      EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
    }
  };
  DirectoryModel three;
  three.records[1] = {30, {{1, 1, 10, 11}}};
  three.records[30] = {60, {{2, 1, 20, 21}, {1, 4, 14, 15}}};
  three.records[60] = {90, {{2, 2, 22, 23}}};
  three.records[90] = {30, {{3, 1, 30, 31}, {1, 2, 12, 13}}};
  check(three, 1);
  DirectoryModel five;
  for (Int k = 0; k < 7; ++k) {
    const Int next = k < 6 ? 200 + 30 * (k + 1) : 260;
    five.records[200 + 30 * k] = {next, {{k % 3 + 1, k + 1, 100 + k, 200 + k}}};
  }
  check(five, 200);
  DirectoryModel two;
  two.records[400] = {430, {{1, 1, 40, 41}}};
  two.records[430] = {400, {{2, 2, 43, 44}}};
  check(two, 400);
}

TEST_F(StepDirectory, RecordsOfTheLayoutLandInTheCallersArrayALongerOneStaysOut) {
  // A sound record (3 + 6 x 3 = 21 words), a shorter one, then one far longer than the layout,
  // chained 1 -> 30 -> 60. The entries of all three are looked at; the array ends holding the
  // shorter record over the sound one, and nothing of the longer one.
  std::vector<Real> sound = makeRecord(21, 2.0), shorter = makeRecord(9, 0.0), longer = makeRecord(200, 0.0);
  const auto link = [](std::vector<Real>& r, Int next, std::array<Int, 4> entry) {
    rec::setSlotI(r.data(), 3, next);
    for (int w = 0; w < 4; ++w) rec::setSlotI(r.data(), 4 + w, entry[static_cast<std::size_t>(w)]);
    rec::setSlotI(r.data(), 8, 1);
    if (r.size() > 14) rec::setSlotI(r.data(), 14, 0);
  };
  link(sound, 30, {1, 1, 10, 11});
  link(shorter, 60, {2, 1, 20, 21});
  link(longer, 0, {3, 4, 5, 6});
  for (auto [at, record] : {std::pair{1, &sound}, {30, &shorter}, {60, &longer}}) restart(1, *record, at);
  zmxtest::MappedArray array(32);
  Int address = 1, step = 0, increment = -1, v1 = 0, v2 = 0;
  SHR_MRESTSTEPINC(array.data(), &address, &step, &increment, &v1, &v2);
  EXPECT_EQ((std::array<Int, 4>{step, increment, v1, v2}), (std::array<Int, 4>{3, 4, 5, 6}));
  std::vector<Real> expected = sound;
  std::copy(shorter.begin(), shorter.end(), expected.begin());
  expected.resize(32, zmxtest::MappedArray::kGuard);
  EXPECT_EQ(std::vector<Real>(array.data(), array.data() + 32), expected);
  EXPECT_TRUE(array.guardsKept());
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(StepDirectory, ARunawayChainIsReportedInBothWalks) {
  directory(1, 1, {{1, 1, 10, 11}});  // points at itself
  lookup(1, 0, -1);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN MRESTSTEPINC-LOOP 1 EXCEEDED"));
  lookup(1, 1, 1);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN MRESTSTEPINC-LOOP 2 EXCEEDED"));
}

// Damaged length words of a directory record and entry counts of CDRW word 12 near the integer
// limit: the walk reads the entries the record holds and nothing it does not, without memory of
// the record's size; a record too short for its next address, or one running past the unit's
// addresses, is reported, and so is one the layout admits but the work array cannot hold. Each
// round runs in a child limited in memory and time.
TEST_F(StepDirectory, DamagedLengthWordsAndEntryCountsReadOnlyTheEntriesTheRecordHolds) {
  constexpr Int kAt = 5;
  const std::vector<std::array<Int, 4>> entries{{1, 1, 10, 11}, {1, 2, 12, 13}, {2, 1, 20, 21}, {2, 5, 22, 23}};
  const Int intMax = std::numeric_limits<Int>::max(), intMin = std::numeric_limits<Int>::min();
  std::vector<Real> r = makeRecord(27, 0.0);
  rec::setSlotI(r.data(), 3, 0);
  for (std::size_t e = 0; e < entries.size(); ++e) {
    for (int w = 0; w < 4; ++w) rec::setSlotI(r.data(), static_cast<long long>(4 + 6 * e + w), entries[e][w]);
    rec::setSlotI(r.data(), static_cast<long long>(8 + 6 * e), 1);
  }
  Int address = kAt;
  restart(1, r, address);
  for (const Int lengthWord : {0, -1, 1, 2, 3, 14, 26, 27, 1 << 28, intMin, intMax, intMax - 4, intMax - 40}) {
    rec::setSlotI(r.data(), 1, lengthWord);  // the length word alone is damaged
    writeFirstWord(r, kAt);
    const bool damaged = lengthWord < 3 || static_cast<long long>(kAt) + lengthWord - 1 > intMax;
    for (const Int entriesWord : {3, intMax, intMax - 1}) {
      rec::i(CDRW, 12) = entriesWord;
      // Entries past the record's 27 words read as flag 0 from the unit.
      const long long held = damaged ? 0 : std::min<long long>((lengthWord - 2LL) / 6, 4);  // entry e ends at word 8 + 6e
      const long long seen = std::min<long long>(held, entriesWord);
      std::array<Int, 4> expected{0, -1, 0, -1};
      if (seen > 0) {
        const auto& last = entries[static_cast<std::size_t>(seen - 1)];
        expected = {last[0], last[1], last[2], last[3]};
      }
      const bool beyondArray = lengthWord > 32 && lengthWord <= 3 + 6LL * entriesWord;
      const auto attempt = [&] {
        eqc_testing::clearMessages();
        const bool right = lookup(kAt, 0, -1) == expected;
        const bool reported = eqc_testing::countAtLevel(-3) > 0;
        return right && reported == (damaged || beyondArray) && !::testing::Test::HasFailure() ? 0 : 1;
      };
      // A damaged record the child met safely is met in this process too, so that its guard counts.
      const int code = damaged ? zmxtest::runInBoundedChildThenHere(attempt) : zmxtest::runInBoundedChild(attempt);
      EXPECT_EQ(code, 0) << "length " << lengthWord << " entries " << entriesWord;
    }
  }
}

}  // namespace
