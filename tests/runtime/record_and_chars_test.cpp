#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "runtime/fortran_chars.h"
#include "runtime/record.h"
#include "runtime/report.h"

namespace {

ZMX_RECORD_TYPE(TESTREC, 6);

std::vector<std::string>& reports() {
  static std::vector<std::string> log;
  return log;
}

class Records : public ::testing::Test {
 protected:
  void SetUp() override {
    reports().clear();
    zmxrt::setReportWriter([](int, std::string_view text) { reports().emplace_back(text); });
  }
  void TearDown() override { zmxrt::setReportWriter(nullptr); }
  TESTREC_t record{};
};

TEST_F(Records, WordsAreOneBasedAndRealsSpanTwoWords) {
  rec::i(record, 1) = 7;
  rec::i(record, 6) = -1;
  EXPECT_EQ(record.w[0], 7);
  EXPECT_EQ(record.w[5], -1);
  rec::setR(record, 2, 2.5);
  EXPECT_EQ(rec::r(record, 2), 2.5);
  EXPECT_EQ(rec::i(record, 1), 7);
  EXPECT_TRUE(reports().empty());
  EXPECT_EQ(rec::words<TESTREC_t>(), 6u);
}

TEST_F(Records, WordsOutsideTheRecordAreReportedAndNeverTouched) {
  TESTREC_t before = record;
  rec::i(record, 7) = 99;
  rec::i(record, 0) = 99;
  rec::setR(record, 6, 1.0);  // would need words 6 and 7
  EXPECT_EQ(rec::r(record, 6), 0.0);
  rec::setChars(record, 20, 8, "ABCDEFGH");  // characters 20..27 of 24
  EXPECT_TRUE(rec::chars(record, 24, 2).empty());
  EXPECT_EQ(reports().size(), 6u);
  EXPECT_EQ(0, std::memcmp(&before, &record, sizeof record));
  EXPECT_NE(reports()[0].find("SYSTEM ERROR IN record access"), std::string::npos);
}

TEST_F(Records, WildWordNumbersAndLengthsAreReportedWithoutOverflow) {
  const TESTREC_t before = record;
  constexpr long long kHuge = std::numeric_limits<long long>::max();
  constexpr long long kLeast = std::numeric_limits<long long>::min();
  rec::i(record, kHuge) = 1;
  rec::i(record, kLeast) = 1;
  rec::setR(record, kHuge, 1.0);
  rec::setChars(record, kHuge, 2, "AB");
  rec::setChars(record, 1, kHuge, "AB");
  rec::setChars(record, 2, -1, "AB");
  EXPECT_TRUE(rec::chars(record, kHuge - 1, kHuge).empty());
  EXPECT_EQ(reports().size(), 7u);
  EXPECT_EQ(0, std::memcmp(&before, &record, sizeof record));
  // The full record is still a valid range.
  EXPECT_EQ(rec::chars(record, 1, 24).size(), 24u);
  EXPECT_EQ(reports().size(), 7u);
}

TEST_F(Records, CharacterRangesArePaddedAndCut) {
  rec::setChars(record, 5, 8, "JOB");
  EXPECT_EQ(rec::chars(record, 5, 8), "JOB     ");
  rec::setChars(record, 1, 4, "LONGER");
  EXPECT_EQ(rec::chars(record, 1, 4), "LONG");
  EXPECT_EQ(rec::chars(record, 5, 3), "JOB");
}

TEST(Slots, IntegerSitsInTheLowWordAndTheHighWordIsZero) {
  double slots[2];
  std::memset(slots, 0xff, sizeof slots);
  rec::setSlotI(slots, 2, -5);
  std::int32_t words[4];
  std::memcpy(words, slots, sizeof words);
  EXPECT_EQ(words[2], -5);
  EXPECT_EQ(words[3], 0);
  EXPECT_EQ(words[0], -1);  // slot 1 untouched
  EXPECT_EQ(rec::slotI(slots, 2), -5);
  rec::setSlotR(slots, 1, 3.25);
  EXPECT_EQ(rec::slotR(slots, 1), 3.25);
  EXPECT_EQ(rec::slotI(slots, 2), -5);
}

TEST(CharacterArguments, ViewsAssignmentAndBlankPaddedComparison) {
  const char text[] = "NAME    xxxx";
  EXPECT_EQ(fchar::view(text, 8), "NAME");
  EXPECT_EQ(fchar::field(text, 8), "NAME    ");
  EXPECT_TRUE(fchar::view(nullptr, 5).empty());
  EXPECT_TRUE(fchar::view(text, -3).empty());
  EXPECT_EQ(fchar::view("        ", 8), "");

  char out[6] = {'#', '#', '#', '#', '#', '@'};
  fchar::assign(out, 5, "AB");
  EXPECT_EQ(std::string(out, 6), "AB   @");
  fchar::assign(out, 5, "ABCDEFG");
  EXPECT_EQ(std::string(out, 6), "ABCDE@");
  fchar::assign(out, 0, "Z");
  EXPECT_EQ(out[0], 'A');

  EXPECT_TRUE(fchar::equal("AB", "AB   "));
  EXPECT_FALSE(fchar::equal("AB", "ABC"));
  EXPECT_LT(fchar::compare("AB", "AB!"), 0);  // the blank pad sorts below "!"
  EXPECT_GT(fchar::compare("ABC", "AB"), 0);
  EXPECT_GT(fchar::compare("\x80", "A"), 0);  // bytes compare unsigned
}

}  // namespace
