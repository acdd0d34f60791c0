#include <gtest/gtest.h>

#include <vector>

#include "runtime/record.h"
#include "runtime/units.h"
#include "siblings/eqc/eqc_units.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "siblings/eqc/unit_records.h"
#include "tests/storage/db_units/unit_fixture.h"
#include "zmx/storage.h"

namespace {

using zmxtest::UnitFixture;

std::vector<Real> makeRecord(Int length, Real first) {
  std::vector<Real> words(static_cast<std::size_t>(length));
  for (Int k = 1; k < length; ++k) words[static_cast<std::size_t>(k)] = first + k;
  rec::setSlotI(words.data(), 1, length);
  return words;
}

using OwnStream = zmxtest::OwnStream;

class SequentialUnits : public UnitFixture {
 protected:
  void SetUp() override {
    UnitFixture::SetUp();
    makePools(4, 512);
  }
  void cmUnit(Int fileUnit) {
    const Int words[] = {512, fileUnit, 0, 513, 0};
    std::copy(std::begin(words), std::end(words), CDCM.w);
  }
};

// The status word is no input: a stale 1 on entry changes nothing that is read. It is the unit
// layer's word, set where a block is read and otherwise left as it came.
TEST_F(SequentialUnits, CmRecordsAreReadWithTheirOwnLengthAcrossBlocks) {
  const std::vector<Real> a = makeRecord(5, 10.0), b = makeRecord(600, 20.0), c = makeRecord(3, 30.0);
  OwnStream writer{41};
  for (std::vector<Real> r : {a, b, c}) writer.call(1, &r);
  writer.call(3);
  cmUnit(41);
  std::vector<Real> back(700, 0.0);
  Int status = 1;
  const Int read = 0, own = 0;
  DBCM(&read, back.data(), &own, &status);  // block 1 is read
  EXPECT_EQ(std::vector<Real>(back.begin(), back.begin() + 5), a);
  EXPECT_EQ(status, 0);
  DBCM(&read, back.data(), &own, &status);
  EXPECT_EQ(std::vector<Real>(back.begin(), back.begin() + 600), b);
  EXPECT_EQ(status, 0);
  status = 1;
  DBCM(&read, back.data(), &own, &status);  // within block 2
  EXPECT_EQ(std::vector<Real>(back.begin(), back.begin() + 3), c);
  EXPECT_EQ(status, 1);
}

TEST_F(SequentialUnits, CmWritesTakeTheRecordLengthWhenNoCountIsGiven) {
  cmUnit(42);
  std::vector<Real> r = makeRecord(600, 1.0);
  Int status = 0;
  const Int write = 1, own = 0;
  DBCM(&write, r.data(), &own, &status);  // the first block goes out when the second begins
  ASSERT_EQ(fio::rewind(42), fio::kOk);
  std::vector<Real> block(512);
  ASSERT_EQ(fio::readRecord(42, block.data(), 8 * block.size()), fio::kOk);
  EXPECT_EQ(block, std::vector<Real>(r.begin(), r.begin() + 512));

  rec::i(CDCM, 1) = 256;
  DBCM(&write, r.data(), &own, &status);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DBCM"));
}

TEST_F(SequentialUnits, CmRecordsFromTheRestartFileCopyIntoTheMlStoreAtARelativeAddress) {
  op(0, 23, 1);
  rec::i(CDRR, 2) = 0;
  std::vector<Real> r = makeRecord(7, 30.0);
  Int cmAddress = 40, status = 0;
  const Int write = 1;
  DBRE(&write, r.data(), &cmAddress, &status);

  rec::i(CDRW, 11) = 40;
  rec::i(CDMLIX, 3) = 101;  // block 2 starts at absolute address 101
  std::vector<Real> array(16, 0.0);
  Int relative = 5, none = 0;
  const Int block = 2, restart = 2;
  CMTOML(array.data(), &relative, &block, &none, &restart);
  EXPECT_EQ(rec::i(CDRW, 11), 47);  // the CM stream in the restart file advanced
  EXPECT_EQ(relative, 12);           // the ML address advanced, still relative

  std::vector<Real> back(16, 0.0);
  Int absolute = 105;
  const Int read = 0, own = 0;
  DBML(&read, &block, &own, back.data(), back.data(), &absolute, &status);
  EXPECT_EQ(std::vector<Real>(back.begin(), back.begin() + 7), r);
  relative = 5;
  std::fill(back.begin(), back.end(), 0.0);
  DBMLRL(&read, &block, &own, back.data(), back.data(), &relative, &status);
  EXPECT_EQ(std::vector<Real>(back.begin(), back.begin() + 7), r);
  EXPECT_EQ(status, 0);

  Int which = 3;
  DBCM1(&read, back.data(), &own, &none, &which, &status);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN SUBROUTINE DBCM1"));
}

TEST_F(SequentialUnits, TracedMlAddressesArePrintedRelative) {
  ASSERT_EQ(fio::openMemory(61), fio::kOk);
  rec::i(CLINES, 13) = 61;
  rec::i(CTFV, 7) = 1;
  rec::i(CDMLIX, 1) = 1;
  std::vector<Real> r = makeRecord(3, 0.0);
  Int relative = 9, status = 0;
  const Int write = 1, block = 1, own = 0;
  DBMLRL(&write, &block, &own, r.data(), r.data(), &relative, &status);
  EXPECT_EQ(fio::memoryText(61), "\n  DBMLRL: RELATIVE ADDRESS =            9\n");
  // Other operations go to the ML store as they are: no trace, the address left relative.
  const Int other = 3, before = relative;
  DBMLRL(&other, &block, &own, r.data(), r.data(), &relative, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(relative, before);
  EXPECT_EQ(fio::memoryText(61), "\n  DBMLRL: RELATIVE ADDRESS =            9\n");
}

// A read of a count the caller gives takes that many words; DBCM1 at address 0 reads the CM unit
// with the record's own length.
TEST_F(SequentialUnits, CountedCmReadsAndTheCmUnitThroughDbcm1) {
  const std::vector<Real> a = makeRecord(5, 10.0), b = makeRecord(4, 20.0);
  OwnStream writer{47};
  for (std::vector<Real> r : {a, b}) writer.call(1, &r);
  writer.call(3);
  cmUnit(47);
  std::vector<Real> back(8, -1.0);
  Int status = 1, address = 0;
  const Int read = 0, three = 3, two = 2, own = 0, cm = 1;
  DBCM(&read, back.data(), &three, &status);
  EXPECT_EQ(std::vector<Real>(back.begin(), back.begin() + 4), (std::vector<Real>{a[0], a[1], a[2], -1.0}));
  DBCM(&read, back.data(), &two, &status);  // the rest of the record
  EXPECT_EQ(back[0], a[3]);
  EXPECT_EQ(back[1], a[4]);
  DBCM1(&read, back.data(), &own, &address, &cm, &status);
  EXPECT_EQ(std::vector<Real>(back.begin(), back.begin() + 4), b);
  EXPECT_EQ(address, 0);
  EXPECT_EQ(status, 0);
}

TEST_F(SequentialUnits, TheMUnitKeepsItsRecordsThroughPoolMovesAndRewinds) {
  const Int words[] = {512, 43, 0, 0, 513, 0, 0};
  std::copy(std::begin(words), std::end(words), CDM.w);
  op(0, 18, 1);  // slot 1 for another unit, so that packing moves unit 6
  op(0, 6, 1);
  ASSERT_EQ(rec::i(CDM, 4), rec::i(CDBPP, 22));
  std::vector<Real> a = makeRecord(3, 1.0), b = makeRecord(4, 2.0);
  rec::setSlotI(b.data(), 1, -4);  // a negative length marks the record; its size is |word 1|
  Int status = 0;
  const Int write = 1, read = 0;
  SHR_DBM(&write, a.data(), &status);
  SHR_DBM(&write, b.data(), &status);

  op(1, 18, 1);
  EXPECT_EQ(op(3, 0), 3);  // unit 6's buffer moves to slot 4 with its contents
  EXPECT_EQ(rec::i(CDM, 4), rec::i(CDBPP, 24));
  Int code = 2, unit = 6, slot = 4;
  DBAL1(&code, &unit, &slot, &status);  // handed back: rewind
  std::vector<Real> back(8, 0.0);
  status = 1;  // stale: the record is read whole all the same
  SHR_DBM(&read, back.data(), &status);
  EXPECT_EQ(std::vector<Real>(back.begin(), back.begin() + 3), a);
  status = 0;
  SHR_DBM(&read, back.data(), &status);
  EXPECT_EQ(std::vector<Real>(back.begin(), back.begin() + 4), b);
  EXPECT_EQ(status, 0);
}

TEST_F(SequentialUnits, AHostOnlyKindDoesNoFileWorkForTheSingleBufferUnits) {
  const Int words[] = {512, 44, 0, 0, 513, 0, 0};
  std::copy(std::begin(words), std::end(words), CDME.w);
  op(0, 12, 1);
  ASSERT_EQ(rec::i(CDME, 4), rec::i(CDBPP, 21));
  rec::i(CPROG, 1) = 3;
  const Int w[] = {512, 44, 1, 1, 20, 1};  // a modified block in the buffer
  std::copy(std::begin(w), std::end(w), CDME.w);
  for (Int code : {1, 2, 4}) {
    Int unit = 12, slot = 1, status = 5;
    DBAL1(&code, &unit, &slot, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(std::vector<Int>(CDME.w, CDME.w + 6), std::vector<Int>(std::begin(w), std::end(w))) << code;
  }
  EXPECT_FALSE(fio::isOpen(44));
}

TEST_F(SequentialUnits, TheStoreFormOfTheMUnitReadsZerosWithoutARecordAndRewindsToOne) {
  rec::i(CDM, 7) = 9;
  rec::i(CDSINX, 74) = 0;
  rec::i(CGM, 14) = 5;
  std::vector<Real> array(6, 7.0);
  Int status = 0;
  const Int read = 0, rewind = 2;
  SHR_DBM(&read, array.data(), &status);
  EXPECT_EQ(array, (std::vector<Real>{0, 0, 0, 0, 0, 7.0}));
  SHR_DBM(&rewind, array.data(), &status);
  EXPECT_EQ(rec::i(CDM, 7), 1);
}

// A store write that the store refuses (no library open) still moves the address past the record,
// by the array's word 1 (its absolute value for M records); a failed read leaves it.
TEST_F(SequentialUnits, StoreWritesMoveTheAddressPastTheRecordEvenWhenRefused) {
  std::vector<Real> r = makeRecord(4, 1.0);
  Int address = 10, status = 0;
  const Int write = 1, read = 0, n = 4, own = 0, store = 1;
  DBCM1(&write, r.data(), &n, &address, &store, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(address, 14);
  DBCM1(&read, r.data(), &own, &address, &store, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(address, 14);

  rec::i(CDM, 7) = 40;
  rec::i(CDSINX, 74) = 1;
  rec::setSlotI(r.data(), 1, -4);
  SHR_DBM(&write, r.data(), &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(rec::i(CDM, 7), 44);
  SHR_DBM(&read, r.data(), &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(rec::i(CDM, 7), 44);
}

}  // namespace
