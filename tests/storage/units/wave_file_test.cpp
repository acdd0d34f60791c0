// The wave-kinematics data file, read from files written by gfortran.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/record.h"
#include "runtime/units.h"
#include "siblings/eqc/job_testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/storage/units/lost_descriptor.h"
#include "tests/support/bounded_child.h"
#include "tests/support/host_fixture.h"
#include "tests/support/mapped_array.h"
#include "tests/support/truncation.h"
#include "zmx/storage.h"

namespace {

class WaveFile : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    folder_ = zmxtest::scratchFolder("wave_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    ASSERT_EQ(std::system((std::string(UNFORMATTED_REFERENCE) + " " + folder_).c_str()), 0);
    rec::setChars(CJBPAR, 2049, 256, folder_ + "/");
    array_.assign(64, -9.0);
  }
  void TearDown() override {
    fio::close(46);
    rec::clear(CJBPAR);
    rec::clear(CPLDBPT);
    HostFixture::TearDown();
  }

  Int call(Int op) {
    Int status = -1;
    DBPELACONTROL(&op, array_.data(), &status);
    return status;
  }
  // Codes the file name into the first words of the array, as the caller does.
  void name(const std::string& file) {
    std::memset(array_.data(), 0, 32);
    std::memcpy(array_.data(), file.data(), std::min<std::size_t>(file.size(), 32));
  }
  Int slotI(int k) const { return rec::slotI(array_.data(), k); }
  Real slotR(int k) const { return rec::slotR(array_.data(), k); }

  std::string folder_;
  std::vector<double> array_;
};

TEST_F(WaveFile, ThreeDirectionalGridIsReadIntoTheDocumentedWords) {
  name("wave3d.bin");
  ASSERT_EQ(call(0), 0);
  EXPECT_EQ(rec::i(CPLDBPT, 5), 1);
  ASSERT_EQ(call(10), 0);
  EXPECT_EQ(rec::i(CPLDBPT, 5), 2);
  EXPECT_EQ(slotI(1), 2);
  EXPECT_EQ(slotR(2), 0.25);
  EXPECT_EQ(slotI(3), 2);
  EXPECT_EQ(slotI(4), 2);
  EXPECT_EQ(slotI(5), 3);
  EXPECT_EQ(slotI(6), 1);
  EXPECT_EQ(slotR(7), -9.0);  // word 7 is not written
  for (int k = 0; k < 6; ++k) EXPECT_EQ(slotR(8 + k), k + 1.0);
  const double grid[] = {0.5, 1.5, -1.0, 1.0, -10.0, -5.0, 0.0};
  for (int k = 0; k < 7; ++k) EXPECT_EQ(slotR(14 + k), grid[k]);
  EXPECT_EQ(slotR(21), -9.0);
  EXPECT_TRUE(eqc_testing::messages().empty());
  EXPECT_EQ(eqc_job_testing::liveScratchBlocks(), 0);
  // The caller goes on reading the kinematics on the same unit.
  float next = 0;
  EXPECT_EQ(fio::readRecord(46, &next, 4), fio::kOk);
  EXPECT_EQ(next, 99.0f);
  // A read right after a rewind gives the same words again.
  const std::vector<double> first = array_;
  ASSERT_EQ(call(2), 0);
  EXPECT_EQ(rec::i(CPLDBPT, 5), 1);
  ASSERT_EQ(call(10), 0);
  EXPECT_EQ(array_, first);
  ASSERT_EQ(call(1), 0);
  EXPECT_EQ(rec::i(CPLDBPT, 5), 0);
}

TEST_F(WaveFile, TwoDirectionalGridEndsWithOneZero) {
  name("wave2d.bin");
  ASSERT_EQ(call(0), 0);
  ASSERT_EQ(call(10), 0);
  EXPECT_EQ(slotI(5), 1);
  EXPECT_EQ(slotI(6), 0);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(slotR(8 + k), k + 1.0);
  const double grid[] = {0.5, 1.5, -1.0, 1.0, 0.0};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(slotR(11 + k), grid[k]);
  EXPECT_EQ(slotR(16), -9.0);
  // NY = 1 and NZ = 1 leave no vertical variation.
  EXPECT_TRUE(eqc_testing::printed("ILLEGAL NUMBER OF GRIDPOINTS DEFINING THE VERTICAL VARIATION OF THE WAVE KINEMATICS"));
}

TEST_F(WaveFile, MissingFileAndOtherOperations) {
  name("none.bin");
  EXPECT_EQ(call(0), 1);
  EXPECT_TRUE(eqc_testing::printed("CANNOT OPEN WAVE KINEMATICS DATA FILE " + folder_ + "/none.bin"));
  EXPECT_EQ(call(3), 0);
  EXPECT_EQ(call(2), 0);
  EXPECT_TRUE(eqc_testing::printed("CANNOT REWIND THE WAVE KINEMATICS DATA FILE"));
  // Reading without an open unit fails like any other read.
  EXPECT_EQ(call(10), 1);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN dbPelaControl WHEN READING THE WAVE KINEMATICS DATA"));
  EXPECT_EQ(slotR(5), -9.0);
  // A close that fails is reported, with status 1.
  name("wave2d.bin");
  ASSERT_EQ(call(0), 0);
  zmxtest::loseDescriptor(folder_ + "/wave2d.bin");
  EXPECT_EQ(call(1), 1);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN dbPelaControl.  CANNOT CLOSE THE WAVE KINEMATICS DATA FILE"));
}

// Writes a wave file of the given header with this run-time (its framing is gfortran's).
void writeWave(const std::string& path, Int n, float dt, Int nx, Int ny, Int nz, Int points, Int grid) {
  fio::OpenRequest request;
  request.file = path;
  request.status = fio::Status::Replace;
  request.form = fio::Form::Unformatted;
  ASSERT_EQ(fio::open(47, request), fio::kOk);
  const Int flag = 0;
  fio::writeRecord(47, {{&n, 4}, {&dt, 4}, {&nx, 4}, {&ny, 4}, {&nz, 4}, {&flag, 4}});
  std::vector<float> values(static_cast<std::size_t>(std::max(points, grid)));
  for (std::size_t k = 0; k < values.size(); ++k) values[k] = static_cast<float>(k + 1);
  if (points >= 0) fio::writeRecord(47, values.data(), 4 * static_cast<std::size_t>(points));
  if (grid >= 0) fio::writeRecord(47, values.data(), 4 * static_cast<std::size_t>(grid));
  fio::close(47);
}

// Header checks are reported and the read goes on: a zero count reads zero values.
TEST_F(WaveFile, ZeroGridCountsAreReportedAndTheFileIsStillRead) {
  writeWave(folder_ + "/nox.bin", 1, -1.0f, 0, 2, 0, 3, 2);
  name("nox.bin");
  ASSERT_EQ(call(0), 0);
  EXPECT_EQ(call(10), 0);
  EXPECT_TRUE(eqc_testing::printed("ILLEGAL TIME INCREMENT -1 FOR WAVE KINEMATICS DATA"));
  EXPECT_TRUE(eqc_testing::printed("ILLEGAL NUMBER OF X GRIDPOINTS 0 FOR WAVE KINEMATICS DATA"));
  EXPECT_EQ(rec::i(CPLDBPT, 5), 2);
  EXPECT_EQ(slotI(3), 0);
  EXPECT_EQ(slotI(5), 1);
  const double twoDirectional[] = {1, 2, 3, 1, 2, 0.0};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(slotR(8 + k), twoDirectional[k]) << k;
  EXPECT_EQ(slotR(14), -9.0);
  ASSERT_EQ(call(1), 0);

  writeWave(folder_ + "/noy.bin", 1, 1.0f, 2, 0, 3, 3, 5);
  array_.assign(64, -9.0);
  name("noy.bin");
  eqc_testing::clearMessages();
  ASSERT_EQ(call(0), 0);
  EXPECT_EQ(call(10), 0);
  EXPECT_TRUE(eqc_testing::printed("ILLEGAL NUMBER OF Y GRIDPOINTS 0 FOR WAVE KINEMATICS DATA"));
  EXPECT_EQ(rec::i(CPLDBPT, 5), 2);
  EXPECT_EQ(slotI(4), 0);
  const double threeDirectional[] = {1, 2, 3, 1, 2, 3, 4, 5};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(slotR(8 + k), threeDirectional[k]) << k;
  EXPECT_EQ(slotR(16), -9.0);
  EXPECT_EQ(eqc_job_testing::liveScratchBlocks(), 0);
}

// A negative count, or counts asking for more values than the file holds, stop the read reported.
TEST_F(WaveFile, CountsTheFileCannotHoldStopTheRead) {
  struct Header {
    Int points, nx, ny, nz;
  };
  for (const Header h : {Header{2000000000, 2, 2, 2}, Header{1, 2, 2147483647, 5}, Header{1, -1, 2, 2}, Header{-1, 2, 2, 2}}) {
    writeWave(folder_ + "/bad.bin", h.points, 1.0f, h.nx, h.ny, h.nz, 3, 6);
    name("bad.bin");
    ASSERT_EQ(call(0), 0);
    eqc_testing::clearMessages();
    const std::vector<double> before = array_;
    EXPECT_EQ(call(10), 1);
    EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN dbPelaControl WHEN READING THE WAVE KINEMATICS DATA"));
    EXPECT_EQ(array_, before);
    EXPECT_EQ(rec::i(CPLDBPT, 5), 1);
    EXPECT_EQ(eqc_job_testing::liveScratchBlocks(), 0);
  }
}

TEST_F(WaveFile, TruncatedRecordOrNoScratchBlockFailsTheRead) {
  writeWave(folder_ + "/short.bin", 2, 1.0f, 2, 2, 3, 6, 3);  // record 3 lacks values
  name("short.bin");
  ASSERT_EQ(call(0), 0);
  const std::vector<double> before = array_;
  EXPECT_EQ(call(10), 1);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN dbPelaControl WHEN READING THE WAVE KINEMATICS DATA"));
  EXPECT_EQ(array_, before);
  EXPECT_EQ(eqc_job_testing::liveScratchBlocks(), 0);
  name("wave3d.bin");
  ASSERT_EQ(call(0), 0);
  const std::vector<double> named = array_;
  eqc_job_testing::failNextScratchBlock(true);
  EXPECT_EQ(call(10), 1);
  EXPECT_TRUE(eqc_testing::printed("MEMORY ALLOCATION ERROR.  EXECUTION TERMINATED"));
  EXPECT_EQ(array_, named);
}

// A well-formed file whose counts ask for more words than the caller's array holds, where the
// array lies in the address space: nothing is written past it, and the read fails reported.
TEST_F(WaveFile, AGridLargerThanAMappedArrayIsNotRead) {
  struct Counts {
    Int points, nx, ny, nz;
  };
  // 7 header words, 3 per point, the grid: 7 + 6 + 7 = 20 words for the first.
  for (const Counts c : {Counts{2, 2, 2, 3}, Counts{5, 2, 2, 3}, Counts{1, 5, 2, 0}, Counts{100, 50, 50, 50}}) {
    const Int grid = c.nx + c.ny + (c.nz == 0 ? 0 : c.nz);
    writeWave(folder_ + "/wide.bin", c.points, 0.5f, c.nx, c.ny, c.nz, 3 * c.points, grid);
    zmxtest::MappedArray array(20);
    std::memset(array.data(), 0, 32);
    std::memcpy(array.data(), "wide.bin", 8);
    Int status = -1;
    const Int open = 0, read = 10, close = 1;
    DBPELACONTROL(&open, array.data(), &status);
    ASSERT_EQ(status, 0);
    eqc_testing::clearMessages();
    DBPELACONTROL(&read, array.data(), &status);
    const long long need = 7 + 3LL * c.points + grid + (c.nz == 0 ? 1 : 0);
    EXPECT_EQ(status, need <= 20 ? 0 : 1) << need;
    EXPECT_EQ(eqc_testing::countAtLevel(-3), need <= 20 ? 0 : 1) << need;
    EXPECT_TRUE(array.guardsKept()) << need;
    DBPELACONTROL(&close, array.data(), &status);
  }
}

// A well-formed file cut at every record boundary and in between: the read either gives the whole
// of what the file held (the cut lies past the grid record) or fails reported with the array as it
// was; nothing is written past a mapped array, each round in a child of its own.
TEST_F(WaveFile, ATruncatedFileIsReadWholeOrRefused) {
  constexpr Int kPoints = 4, kNx = 3, kNy = 2, kNz = 3, kRoom = 40;
  const std::string whole = folder_ + "/whole.bin", cut = folder_ + "/cut.bin";
  writeWave(whole, kPoints, 0.5f, kNx, kNy, kNz, 3 * kPoints, kNx + kNy + kNz);
  // Records are framed by a 4-byte length before and after.
  const std::uintmax_t header = 8 + 24, points = header + 8 + 12 * kPoints;
  const std::uintmax_t grid = points + 8 + 4 * (kNx + kNy + kNz);
  ASSERT_EQ(std::filesystem::file_size(whole), grid);
  const auto read = [&](const std::string& file, zmxtest::MappedArray& array) {
    std::memset(array.data(), 0, 32);
    std::memcpy(array.data(), file.data(), file.size());
    Int status = -1;
    const Int open = 0, readGrid = 10;
    DBPELACONTROL(&open, array.data(), &status);
    if (status != 0) return Int{-1};
    eqc_testing::clearMessages();
    DBPELACONTROL(&readGrid, array.data(), &status);
    return status;
  };
  zmxtest::MappedArray reference(kRoom);
  ASSERT_EQ(read("whole.bin", reference), 0);
  const std::vector<Real> expected(reference.data(), reference.data() + kRoom);
  const Int closeOp = 1;
  Int closed = 0;
  DBPELACONTROL(&closeOp, reference.data(), &closed);
  for (const std::uintmax_t length : zmxtest::truncationLengths(grid + 1, {header, points, grid})) {
    zmxtest::writeTruncatedCopy(whole, cut, length);
    const int code = zmxtest::runInBoundedChild([&] {
      zmxtest::MappedArray array(kRoom);
      const Int status = read("cut.bin", array);
      const std::vector<Real> got(array.data(), array.data() + kRoom);
      int faults = array.guardsKept() ? 0 : 8;
      if (length >= grid) return faults | (status == 0 && got == expected ? 0 : 1);
      std::vector<Real> named(kRoom, zmxtest::MappedArray::kGuard);
      std::memset(named.data(), 0, 32);
      std::memcpy(named.data(), "cut.bin", 7);
      if (status != 1) faults |= 1;
      if (eqc_testing::countAtLevel(-3) == 0) faults |= 2;
      if (got != named) faults |= 4;
      return faults;
    });
    EXPECT_EQ(code, 0) << "cut at " << length << " bytes (1 status, 2 no message, 4 array changed, 8 written past)";
  }
}

}  // namespace
