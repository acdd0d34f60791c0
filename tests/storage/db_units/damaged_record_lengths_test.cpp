// Records of the paged and sequential units whose length word is damaged. Every reader that
// takes the length from the record (DBRE read and skip, DBCM1 from the restart file, the
// kind 3 and 4 regions of DBSUPS, DBCM and the M unit) meets the same table of length words;
// the caller's array is a block in the address space whose room is known. A damaged length
// gives status 1 and a level -3 message, leaves the address where it was and writes nothing
// past the array.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "runtime/units.h"
#include "siblings/eqc/eqc_units.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "siblings/eqc/unit_records.h"
#include "tests/storage/db_units/unit_fixture.h"
#include "tests/support/bounded_child.h"
#include "tests/support/mapped_array.h"
#include "zmx/storage.h"

namespace {

constexpr Int kRoom = 8;
constexpr Int kAt = 5;

// Length words a damaged file may hold, with the room of the caller's array around them.
const std::vector<Int> kDamagedLengths{0, -1, INT_MIN, INT_MIN + 1, INT_MAX, INT_MAX - 3, kRoom + 1, 1 << 28};

// A record of kRoom words (word 1 its length) whose word 1 is then replaced by lengthWord.
std::vector<Real> damagedRecord(Int lengthWord) {
  std::vector<Real> r(kRoom, 4.25);
  rec::setSlotI(r.data(), 1, lengthWord);
  return r;
}

using OwnStream = zmxtest::OwnStream;

class DamagedRecordLengths : public zmxtest::UnitFixture {
 protected:
  void SetUp() override {
    UnitFixture::SetUp();
    makePools(8, 512);  // a pool holds a block of the M unit
  }

  // Writes the record with a sound length through DBRE, then its damaged word 1 alone.
  void restartRecord(Int lengthWord) {
    std::vector<Real> r = damagedRecord(kRoom);
    Int address = kAt, status = 0;
    const Int write = 1;
    DBRE(&write, r.data(), &address, &status);
    r = damagedRecord(lengthWord);
    const Int one = 1;
    address = kAt;
    Int* w = CDRW.w;
    DBRAN(&write, r.data(), &one, &address, &w[2], &w[1], &w[3], &w[5], &w[7], &w[6], &w[4], &w[8], CDRWIC.w,
          &CDIC.w[7], &w[16]);
  }

  // Runs read (status out, address in and out) for every damaged length in a bounded child:
  // status 1, a level -3 message, the address unchanged and nothing past the array.
  void sweep(const std::string& what, const std::function<void(Int)>& prepare,
             const std::function<Int(Real*, Int&)>& read, const std::vector<Int>& lengths = kDamagedLengths) {
    const auto attempt = [&] {
      eqc_testing::clearMessages();
      zmxtest::MappedArray array(kRoom);
      Int address = kAt;
      const Int status = read(array.data(), address);
      int faults = 0;
      if (status != 1) faults |= 1;
      if (eqc_testing::countAtLevel(-3) == 0) faults |= 2;
      if (address != kAt) faults |= 4;
      if (!array.guardsKept()) faults |= 8;
      return faults;
    };
    for (const Int lengthWord : lengths) {
      prepare(lengthWord);
      const int code = zmxtest::runInBoundedChild(attempt);
      EXPECT_EQ(code, 0) << what << " with length word " << lengthWord
                         << " (1 status, 2 no message, 4 address moved, 8 written past)";
      if (code != 0) continue;
      // A damage the child met safely is met in this process too, so that its guard counts as run.
      prepare(lengthWord);
      EXPECT_EQ(attempt(), 0) << what << " with length word " << lengthWord << ", in this process";
    }
  }
};

TEST_F(DamagedRecordLengths, RestartRecordsReadAndSkipped) {
  op(0, 23, 1);
  op(0, 22, 2);
  rec::i(CDRW, 3) = 11;
  const auto prepare = [this](Int lengthWord) { restartRecord(lengthWord); };
  rec::i(CDRR, 2) = 12;  // reads come back from the file being written
  sweep("DBRE read", prepare, [](Real* array, Int& address) {
    Int status = 0;
    const Int read = 0;
    DBRE(&read, array, &address, &status);
    return status;
  });
  sweep("DBCM1 from the restart file", prepare, [](Real* array, Int& address) {
    Int status = 0, none = 0;
    const Int read = 0, restart = 2, own = 0;
    rec::i(CDRW, 11) = address;
    DBCM1(&read, array, &own, &none, &restart, &status);
    address = rec::i(CDRW, 11);
    return status;
  });
  // A skip reads the length word alone, from the file being read: only lengths that leave the
  // addresses are damaged.
  rec::i(CDRR, 2) = 11;
  const auto written = [&](Int lengthWord) {
    restartRecord(lengthWord);
    op(5, 23, 0);  // the writer's pages go to the file
    op(5, 22, 0);  // and the reader starts without pages of the last round
    op(0, 23, 1);
    op(0, 22, 2);
  };
  sweep("DBRE skip", written, [](Real* array, Int& address) {
    Int status = 0;
    const Int skip = 2;
    DBRE(&skip, array, &address, &status);
    return status;
  }, {0, -1, INT_MIN, INT_MAX, INT_MAX - 3});
}

TEST_F(DamagedRecordLengths, RegionsOfTheInCoreSubstructureStore) {
  op(0, 3, 2);
  std::vector<Int> table(25, 0);
  const Int tableWord = mem32::map(table.data(), table.size() * sizeof(Int), mem32::tag("SUPS"));
  rec::i(CDSUPS, 1) = 1;
  rec::i(CDSUPS, 3) = tableWord;
  table[4] = 1;  // the kind-3 region starts at word 1 of the unit
  table[6] = 1;  // and the kind-4 region too
  for (const Int kind : {3, 4}) {
    sweep("DBSUPS kind " + std::to_string(kind),
          [&](Int lengthWord) {
            std::vector<Real> r = damagedRecord(kRoom);
            Int index = kAt, status = 0;
            const Int write = 1, row = 1;
            DBSUPS(&write, &kind, &index, r.data(), &row, &status);
            r = damagedRecord(lengthWord);
            const Int one = 1;
            Int address = kAt;
            Int* w = CDSUS.w;
            DBRAN(&write, r.data(), &one, &address, &w[1], &w[0], &w[2], &w[16], &w[31], &w[24], &w[9], &w[32],
                  nullptr, &CDIC.w[5], &w[37]);
          },
          [&](Real* array, Int& index) {
            Int status = 0;
            const Int read = 0, row = 1;
            DBSUPS(&read, &kind, &index, array, &row, &status);
            return status;
          });
  }
  mem32::unmap(tableWord);
}

TEST_F(DamagedRecordLengths, RecordsOfTheCmAndMUnits) {
  // Each round writes a file of its own unit.
  Int fileUnit = 60;
  const auto sequentialFile = [&fileUnit](Int lengthWord) {
    OwnStream writer{++fileUnit};
    std::vector<Real> r = damagedRecord(lengthWord);
    writer.call(1, &r);
    writer.call(3);
  };
  sweep("DBCM", sequentialFile,
        [&](Real* array, Int&) {
          const Int words[] = {512, fileUnit, 0, 513, 0};
          std::copy(std::begin(words), std::end(words), CDCM.w);
          Int status = 0;
          const Int read = 0, own = 0;
          DBCM(&read, array, &own, &status);
          return status;
        });
  // Word 1 of an M record is a length whose sign marks the record: -2^31 has no magnitude.
  const Int mWords[] = {512, 0, 0, 0, 513, 0, 0};
  std::copy(std::begin(mWords), std::end(mWords), CDM.w);
  op(0, 6, 1);
  sweep("DBM", sequentialFile,
        [&](Real* array, Int&) {
          const Int words[] = {512, fileUnit, 0, rec::i(CDM, 4), 513, 0, 0};
          std::copy(std::begin(words), std::end(words), CDM.w);
          Int status = 0;
          const Int read = 0;
          SHR_DBM(&read, array, &status);
          return status;
        },
        {0, INT_MIN, INT_MIN + 1, INT_MAX, INT_MAX - 3, kRoom + 1, -(kRoom + 1), 1 << 28});
}

// The random-access routine itself, asked for a record of its own length, copies none longer
// than an array whose room it knows.
TEST_F(DamagedRecordLengths, TheRandomAccessRoutineKeepsToAKnownRoom) {
  op(0, 23, 1);
  rec::i(CDRW, 3) = 11;
  for (const Int lengthWord : {kRoom + 1, 1 << 20, INT_MAX}) {
    restartRecord(lengthWord);
    eqc_testing::clearMessages();
    zmxtest::MappedArray array(kRoom);
    const Int read = 0, own = 0;
    Int address = kAt;
    Int* w = CDRW.w;
    DBRAN(&read, array.data(), &own, &address, &w[2], &w[1], &w[3], &w[5], &w[7], &w[6], &w[4], &w[8], CDRWIC.w,
          &CDIC.w[7], &w[16]);
    EXPECT_TRUE(array.guardsKept()) << lengthWord;
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 1) << lengthWord;
  }
}

}  // namespace
