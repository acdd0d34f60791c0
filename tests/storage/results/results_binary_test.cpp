#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "tests/storage/results/results_support.h"
#include "tests/support/mapped_array.h"

namespace {

using namespace results_test;

class ResultsBinary : public ResultsFile {
 protected:
  // Writes records whose lengths sum to `words`, then the end record; the blocks of the file.
  std::vector<Block> fileEndingAfter(int words) {
    for (int left = words; left > 0;) {
      const int length = std::min(left, 500);
      EXPECT_EQ(write(counting(1, length)), 0);
      left -= length;
    }
    EXPECT_EQ(control(10), 0);
    bool wellFormed = false;
    auto blocks = blocksOf(path("job.fil"), &wellFormed);
    EXPECT_TRUE(wellFormed);
    return blocks;
  }
};

TEST_F(ResultsBinary, RecordsComeBackWordForWordAcrossBlocks) {
  std::vector<Record> written;
  for (int k = 0; k < 40; ++k) {
    Record r = counting(1 + k % 7, 2 + (k * 37) % 300, 0.25 * k);
    r.push_back(textWord("NODE-SET"));
    r[0] += 1;
    written.push_back(r);
    ASSERT_EQ(write(r), 0);
  }
  ASSERT_EQ(control(10), 0);
  ASSERT_EQ(control(2), 0);
  const std::vector<Record> back = readAll();
  ASSERT_EQ(back.size(), written.size() + 1);
  for (std::size_t k = 0; k < written.size(); ++k) EXPECT_EQ(back[k], written[k]) << "record " << k;
  EXPECT_EQ(back.back()[1], 2001.0);
  Int status = 0;
  read(&status);
  EXPECT_EQ(status, 1) << "the data end after the last block";
}

TEST_F(ResultsBinary, EndRecordFillsTheRestOfItsBlock) {
  const auto blocks = fileEndingAfter(700);
  ASSERT_EQ(blocks.size(), 2u);
  // 700 words: 188 words of block 2 used, the end record takes the other 324.
  EXPECT_EQ(blocks[1][188], 324.0);
  EXPECT_EQ(blocks[1][189], 2001.0);
  for (int k = 190; k < 512; ++k) EXPECT_EQ(blocks[1][static_cast<std::size_t>(k)], 0.0);
}

TEST_F(ResultsBinary, OneWordLeftGivesAStraddlingEndRecordOf513) {
  const auto blocks = fileEndingAfter(511);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0][511], 513.0);
  EXPECT_EQ(blocks[1][0], 2001.0);
  for (int k = 1; k < 512; ++k) EXPECT_EQ(blocks[1][static_cast<std::size_t>(k)], 0.0);
  ASSERT_EQ(control(2), 0);
  std::vector<Int> statuses;
  const auto back = readAll(&statuses);
  ASSERT_FALSE(back.empty());
  EXPECT_EQ(back.back().size(), 513u);
  EXPECT_EQ(back.back()[1], 2001.0);
  EXPECT_EQ(statuses.back(), 0);
}

TEST_F(ResultsBinary, FullBlockAndFreshStreamEndWithAWholeEndBlock) {
  const auto blocks = fileEndingAfter(512);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[1][0], 512.0);
  EXPECT_EQ(blocks[1][1], 2001.0);
  EXPECT_EQ(blocks[1][511], 0.0);

  // A stream that never received a record.
  Int unit = 8, op = 6, none = 0, status = 0;
  DBSA(&unit, nullptr, &none, &op, &status);
  INITF();
  ASSERT_EQ(control(10), 0);
  const auto alone = blocksOf(path("job.fil"));
  ASSERT_EQ(alone.size(), 1u);
  EXPECT_EQ(alone[0][0], 512.0);
  EXPECT_EQ(alone[0][1], 2001.0);
  for (int k = 2; k < 512; ++k) EXPECT_EQ(alone[0][static_cast<std::size_t>(k)], 0.0);
}

TEST_F(ResultsBinary, RewindAfterTheEndAddsNoBlock) {
  fileEndingAfter(1000);
  ASSERT_EQ(control(2), 0);
  ASSERT_EQ(control(3), 0);
  EXPECT_EQ(blocksOf(path("job.fil")).size(), 2u);
}

// The length check refuses a 600-word record quietly; switched off, the record is read whole,
// except into a caller's array whose known room is smaller.
TEST_F(ResultsBinary, RecordOf600WordsSpansTwoBlocksAndIsReadWholeWithTheCheckOff) {
  const Record written = counting(2, 600);
  ASSERT_EQ(write(written), 0);
  ASSERT_EQ(control(10), 0);
  const auto blocks = blocksOf(path("job.fil"));
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0][0], 600.0);
  EXPECT_EQ(blocks[1][600 - 512 - 1], 600.0 - 2);  // the last word of the record
  ASSERT_EQ(control(2), 0);
  rec::i(CDFILE, zmx::results::kLengthCheckOff) = 0;
  eqc_testing::clearMessages();
  Int status = 0;
  read(&status);
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(eqc_testing::messages().empty());
  ASSERT_EQ(control(2), 0);

  rec::i(CDFILE, zmx::results::kLengthCheckOff) = 1;
  EXPECT_EQ(read(&status), written);
  EXPECT_EQ(status, 0);
  ASSERT_EQ(control(2), 0);

  zmxtest::MappedArray array(599);
  const Int mode = 0;
  SHR_DBFILE(&mode, array.data(), &status);
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(eqc_testing::printed("RECORD LENGTH 600 IS OUTSIDE THE RANGE 2 TO 599"));
  EXPECT_TRUE(array.guardsKept());
}

TEST_F(ResultsBinary, DamagedLengthWordsAreRefused) {
  for (double length : {0.0, 1.0, -5.0, 515.0, 1e300, std::numeric_limits<double>::quiet_NaN()}) {
    Record r = counting(1, 10);
    r[0] = length;
    Int unit = 8, op = 6, none = 0, status = 0;
    DBSA(&unit, nullptr, &none, &op, &status);
    INITF();
    // Written by the block layer directly, since the record writer takes the length as given.
    Int count = 10, write = 1;
    DBSEQ(&write, workBuffer(), r.data(), &count, &rec::i(CDFILE, 5), &rec::i(CDFILE, 2),
          &rec::i(CDFILE, 1), &rec::i(CDFILE, 3), &rec::i(CDFILE, 6), &status);
    ASSERT_EQ(control(10), 0);
    ASSERT_EQ(control(2), 0);
    read(&status);
    EXPECT_EQ(status, 1) << length;
  }
}

TEST_F(ResultsBinary, RewindWithOnlyBlockOneWrittenKeepsItAndWritesFromWordOne) {
  ASSERT_EQ(write(counting(1, 10)), 0);
  ASSERT_EQ(control(2), 0);
  EXPECT_EQ(rec::i(CDFILE, 5), 1);
  EXPECT_EQ(rec::i(CDFILE, 3), 1);
  ASSERT_EQ(write(counting(3, 4, 9.0)), 0);
  ASSERT_EQ(control(10), 0);
  ASSERT_EQ(control(2), 0);
  const auto back = readAll();
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0], counting(3, 4, 9.0));
}

TEST_F(ResultsBinary, RewindAfterReadingBlockOneReadsItAgain) {
  for (int k = 0; k < 3; ++k) ASSERT_EQ(write(counting(1, 100, k)), 0);
  ASSERT_EQ(control(10), 0);
  ASSERT_EQ(control(2), 0);
  Int status = 0;
  const Record first = read(&status);
  ASSERT_EQ(rec::i(CDFILE, 3), 1);
  ASSERT_EQ(control(2), 0);
  EXPECT_EQ(read(&status), first);
  EXPECT_EQ(status, 0);
  // And a write after that rewind starts block 1 of the file.
  ASSERT_EQ(control(2), 0);
  ASSERT_EQ(write(counting(5, 3)), 0);
  ASSERT_EQ(control(10), 0);
  ASSERT_EQ(control(2), 0);
  EXPECT_EQ(read(&status), counting(5, 3));
}

TEST_F(ResultsBinary, RewindAfterSeveralBlocksWritesTheBufferAndReadsFromBlockOne) {
  for (int k = 0; k < 12; ++k) ASSERT_EQ(write(counting(1, 100, k)), 0);
  ASSERT_EQ(control(2), 0);
  EXPECT_EQ(blocksOf(path("job.fil")).size(), 3u);
  Int status = 0;
  EXPECT_EQ(read(&status), counting(1, 100, 0));
  // Records of block 1 kept in the buffer outlast a second rewind or end of pass.
  for (Int mode : {2, 3}) {
    ASSERT_EQ(control(2), 0);
    for (int key = 1; key <= 3; ++key) ASSERT_EQ(write(counting(key, 10)), 0);
    ASSERT_EQ(control(2), 0);
    ASSERT_EQ(control(mode), 0);
    ASSERT_EQ(control(2), 0);
    for (int key = 1; key <= 3; ++key) EXPECT_EQ(read(&status), counting(key, 10)) << mode;
  }
}

TEST_F(ResultsBinary, StepBackModesFailWithTheUnitMessageAndMoveNothing) {
  ASSERT_EQ(write(counting(1, 700)), 0);
  const CDFILE_t before = CDFILE;
  for (Int mode = 4; mode <= 9; ++mode) {
    eqc_testing::clearMessages();
    EXPECT_EQ(control(mode), 1);
    EXPECT_TRUE(eqc_testing::printed("SEQUENTIAL I/O ERROR ON UNIT 8"));
    EXPECT_EQ(std::memcmp(&before, &CDFILE, sizeof before), 0);
  }
}

// A mode below 0, a record whose length word is no integer and block descriptors that cannot
// hold a record are refused with status 1, and no file is written.
TEST_F(ResultsBinary, RefusedModesRecordsAndDescriptorsWriteNothing) {
  EXPECT_EQ(control(-1), 1);
  Record r = counting(1, 10);
  r[0] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(write(r), 1);
  using zmx::results::kBlockLength;
  for (const Int length : {0, -3}) {
    rec::i(CDFILE, kBlockLength) = length;
    EXPECT_EQ(write(counting(1, 10)), 1) << length;
    EXPECT_EQ(control(10), 1) << length;
  }
  INITF();
  rec::i(CDFILR, zmx::results::kSecondBlockLength) = 1;  // no room for the end record's two words
  Record end = {2.0, 2001.0};
  Int status = -1;
  SHR_DBFILW(nullptr, end.data(), &status);
  EXPECT_EQ(status, 1);
  rec::i(CDFILR, zmx::results::kSecondBlockLength) = 0;
  Record data = counting(7, 5);
  SHR_DBFILW(nullptr, data.data(), &status);
  EXPECT_EQ(status, 1);
  EXPECT_FALSE(std::filesystem::exists(path("job.fil")));
  EXPECT_FALSE(std::filesystem::exists(path("job.sel")));
}

TEST_F(ResultsBinary, AsciiFormSwitchLeavesTheBinaryDescriptorAlone) {
  rec::i(CWORK, eqc_records::kResultsForm) = 1;
  const CDFILE_t before = CDFILE;
  ASSERT_EQ(write(counting(1, 5)), 0);
  ASSERT_EQ(control(10), 0);
  EXPECT_EQ(std::memcmp(&before, &CDFILE, sizeof before), 0);
}

TEST_F(ResultsBinary, SecondStreamEndsWithTheStandardEndRecord) {
  Int status = -1;
  Record r = counting(7, 30);
  SHR_DBFILW(nullptr, r.data(), &status);
  EXPECT_EQ(status, 0);
  Record end = {99.0, 2001.0, 5.0, 6.0};
  SHR_DBFILW(nullptr, end.data(), &status);
  EXPECT_EQ(status, 0);
  const auto blocks = blocksOf(path("job.sel"));
  ASSERT_EQ(blocks.size(), 1u);
  for (int k = 0; k < 30; ++k) EXPECT_EQ(blocks[0][static_cast<std::size_t>(k)], r[static_cast<std::size_t>(k)]);
  EXPECT_EQ(blocks[0][30], 482.0);
  EXPECT_EQ(blocks[0][31], 2001.0);
  EXPECT_EQ(blocks[0][32], 0.0);
}

// Only the length-check switch of the first stream is set: a user-named file switches the check
// back on.
TEST_F(ResultsBinary, UserNamedFileLeavesTheFirstStreamUntouched) {
  ASSERT_EQ(write(counting(1, 50)), 0);
  ASSERT_EQ(rec::i(CDFILE, zmx::results::kLengthCheckOff), 1);
  CDFILE_t before = CDFILE;
  rec::i(before, zmx::results::kLengthCheckOff) = 0;
  const std::vector<double> buffer(workBuffer(),
                                   workBuffer() + 512);
  const std::string name = "mine.res";
  Int unit = 31, form = 2, status = -1;
  for (int k = 0; k < 8; ++k) {
    Record r = counting(2, 200, k);
    Int op = 1;
    DBFILF(&op, r.data(), &unit, name.data(), static_cast<Int>(name.size()), &form, &status);
    ASSERT_EQ(status, 0);
  }
  Record end = {2.0, 2001.0};
  Int op = 1;
  DBFILF(&op, end.data(), &unit, name.data(), static_cast<Int>(name.size()), &form, &status);
  EXPECT_EQ(std::memcmp(&before, &CDFILE, sizeof before), 0);
  EXPECT_EQ(std::vector<double>(workBuffer(),
                                workBuffer() + 512),
            buffer);

  op = 2;
  DBFILF(&op, nullptr, &unit, name.data(), static_cast<Int>(name.size()), &form, &status);
  op = 0;
  // The rewind wrote out the last, partly filled block first.
  for (int k = 0; k <= 8; ++k) {
    Record r(514, 0.0);
    DBFILF(&op, r.data(), &unit, name.data(), static_cast<Int>(name.size()), &form, &status);
    ASSERT_EQ(status, 0);
    r.resize(static_cast<std::size_t>(r[0]));
    EXPECT_EQ(r, k < 8 ? counting(2, 200, k) : end);
  }
  // The first stream now refuses a record longer than 514 words.
  ASSERT_EQ(write(counting(2, 600)), 0);
  ASSERT_EQ(control(10), 0);
  ASSERT_EQ(control(2), 0);
  EXPECT_EQ(read(&status), counting(1, 50));
  read(&status);
  EXPECT_EQ(status, 1);
}

// DBSEQ keeps to what memory needs: a position past the block length means the block is used
// up, a block may be one word long, and no block may be longer than the buffer holds.
TEST_F(ResultsBinary, TheBlockLayerTakesAnyPositionPastTheBlockAndShortBlocks) {
  const Int writeOp = 1, readOp = 0, endPassOp = 3, unit = 40;
  std::vector<double> buffer(512, 0.0);
  Record data = {1.5, 2.5, 3.5};
  Int count = 3, length = 1, position = 2, blocks = 0, state = 0, status = -1;
  DBSEQ(&writeOp, buffer.data(), data.data(), &count, &position, &unit, &length, &blocks, &state, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(blocks, 3);
  EXPECT_EQ(position, 2);
  length = 512;
  position = 600;
  blocks = 0;
  DBSEQ(&writeOp, buffer.data(), data.data(), &count, &position, &unit, &length, &blocks, &state, &status);
  EXPECT_EQ(position, 4);
  DBSEQ(&endPassOp, buffer.data(), nullptr, &count, &position, &unit, &length, &blocks, &state, &status);
  // Words 1 and 2 went out in one-word blocks, then a block of 512 holding the three words.
  position = 513;
  Record back(3, 0.0);
  count = 1;
  length = 1;
  for (double expected : {1.5, 2.5}) {
    DBSEQ(&readOp, buffer.data(), back.data(), &count, &position, &unit, &length, &blocks, &state, &status);
    EXPECT_EQ(back[0], expected);
  }
  length = 512;
  position = 600;
  count = 3;
  DBSEQ(&readOp, buffer.data(), back.data(), &count, &position, &unit, &length, &blocks, &state, &status);
  EXPECT_EQ(back, data);
  EXPECT_EQ(status, 0);

  // A block longer than the buffer's known room is refused before anything moves.
  zmxtest::MappedArray small(100);
  length = 101;
  position = 1;
  status = 0;
  DBSEQ(&writeOp, small.data(), data.data(), &count, &position, &unit, &length, &blocks, &state, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(position, 1);
  EXPECT_TRUE(small.guardsKept());

  // The record routines take the same block states.
  rec::i(CDFILE, 5) = 600;
  EXPECT_EQ(write(counting(1, 5)), 0);
  EXPECT_EQ(rec::i(CDFILE, 5), 6);
}

}  // namespace
