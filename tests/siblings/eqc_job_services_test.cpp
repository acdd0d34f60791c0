// Job services of the eqc stand-in and the message unit.
#include <gtest/gtest.h>

#include <string>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "runtime/units.h"
#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/job_testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"

namespace {

std::string makeName(const std::string& name, const std::string& directory, Int unit, Int* status) {
  char result[40];
  const Int kind = 0;
  BCU_MKNAME(result, 40, name.data(), static_cast<Int>(name.size()), directory.data(),
             static_cast<Int>(directory.size()), &unit, &kind, status);
  return std::string(result, 40);
}

TEST(EqcJobServices, JobFileNamesJoinDirectoryNameAndExtension) {
  Int status = -1;
  EXPECT_EQ(makeName("job   ", "/run/   ", 8, &status), "/run/job.fil" + std::string(28, ' '));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(makeName("job", "/run/", 15, &status), "/run/job.015" + std::string(28, ' '));
  EXPECT_EQ(makeName("/own/data.txt", "/run/", 31, &status), "/own/data.txt" + std::string(27, ' '));
  EXPECT_EQ(makeName("  ", "/run/", 8, &status), std::string(40, ' '));
  EXPECT_EQ(makeName(std::string(38, 'x'), "/run/", 8, &status), std::string(40, ' '));
  EXPECT_EQ(status, 1);
}

TEST(EqcJobServices, CharacterHelpersHonourTheLengthGiven) {
  Int first = -1, last = -1, flag = -1;
  const Int six = 6, three = 3;
  LENSTR("  ab  cd", 8, &six, &first, &last);
  EXPECT_EQ(first, 3);
  EXPECT_EQ(last, 4);
  LENSTR("        ", 8, &six, &first, &last);
  EXPECT_EQ(last, 0);
  PTHLOC("ab/cd", 5, &three, &flag);
  EXPECT_EQ(flag, 1);
  PTHLOC("ab/cd", 5, &six, &flag);  // the length passed is the bound
  EXPECT_EQ(flag, 1);
  PTHLOC("abcd", 4, &six, &flag);
  EXPECT_EQ(flag, 0);
  char field[6];
  Int moved = 0;
  ACODEC("xyz", field, 6, &six, &moved);
  EXPECT_EQ(std::string(field, 6), "xyz   ");
  EXPECT_EQ(moved, 3);
  ACODEC("abcdefgh", field, 6, &six, &moved);  // unterminated within the field
  EXPECT_EQ(std::string(field, 6), "abcdef");
}

TEST(EqcJobServices, ScratchBlocksAreAddressWords) {
  const Int take = 1, giveBack = 0, words = 10;
  Int index = 0, status = -1;
  DBGETM(&take, &words, &index, &status);
  ASSERT_EQ(status, 0);
  float* block = mem32::at<float>(index, 10, eqc_job::kScratchBlockTag);
  ASSERT_NE(block, nullptr);
  block[9] = 1.0f;
  EXPECT_EQ(eqc_job_testing::liveScratchBlocks(), 1);
  DBGETM(&giveBack, &words, &index, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(eqc_job_testing::liveScratchBlocks(), 0);
  DBGETM(&giveBack, &words, &index, &status);
  EXPECT_EQ(status, 1);
}

TEST(EqcJobServices, MessagesPrintOnTheMessageUnit) {
  eqc_testing::setEcho(true);
  rec::i(CLINES, eqc_records::kMessageUnit) = 37;
  ASSERT_EQ(fio::openMemory(37), fio::kOk);
  const Int level = -1, value = 12;
  KVXERR(&level, "UNIT %I IS BUSY", 15, &value, nullptr, nullptr, 0);
  EXPECT_EQ(fio::memoryText(37), " ***WARNING: UNIT 12 IS BUSY\n");
  fio::close(37);
  rec::i(CLINES, eqc_records::kMessageUnit) = 0;
  eqc_testing::setEcho(false);
}

TEST(EqcJobServices, PagingCountsAndInterceptedExit) {
  eqc_job_testing::resetPaging();
  const Int six = 6, two = 2;
  PAGING(&six);
  PAGING(&two);
  EXPECT_EQ(eqc_job_testing::pagedLines(), 8);
  eqc_job_testing::interceptExit(true);
  const Int code = 3;
  BCU_EXIT(&code);
  EXPECT_EQ(eqc_job_testing::exitCodes(), std::vector<int>{3});
  eqc_job_testing::interceptExit(false);
}

}  // namespace
