// Message lines on the printed output and the heading notice, read back from units kept in
// memory; the notices are compared with golden files written from the box lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/record.h"
#include "runtime/units.h"
#include "siblings/eqc/job_testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/run_services.h"
#include "siblings/eqc/run_testing.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/messages.h"

namespace {

constexpr Int kPrintUnit = 66;
constexpr Int kMessageUnit = 67;

class PrintedLines : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    for (const Int unit : {kPrintUnit, kMessageUnit}) ASSERT_EQ(fio::openMemory(unit), fio::kOk);
    rec::i(CLINES, eqc_records::kPrintUnit) = kPrintUnit;
    rec::i(CLINES, eqc_records::kMessageUnit) = kMessageUnit;
    eqc_job_testing::resetPaging();
  }
  void TearDown() override {
    for (const Int unit : {kPrintUnit, kMessageUnit}) fio::close(unit);
    rec::i(CLINES, eqc_records::kPrintUnit) = 0;
    rec::i(CLINES, eqc_records::kMessageUnit) = 0;
    ::unsetenv("VELTRO_SEQ");
    HostFixture::TearDown();
  }

  static void message(const std::string& format, Real real, Int integer, const std::string& strings) {
    KVXMES(format.data(), static_cast<Int>(format.size()), &real, &integer, strings.data(),
           static_cast<Int>(strings.size()));
  }
  static void message2(const std::string& format, Real real, Int integer, const std::string& strings) {
    const Int seventh = 1, eighth = 2;
    KVXMES2(format.data(), static_cast<Int>(format.size()), &real, &integer, strings.data(),
            static_cast<Int>(strings.size()), &seventh, &eighth);
  }
};

// The third argument is the line builder's real list and the fourth its integer list.
TEST_F(PrintedLines, KvxmesWritesOnThePrintUnitOrTheMessageUnitWhenThatIsZero) {
  const std::string format = "ELEMENT %I HAS THE VALUE %R IN SET %S";
  message(format, 2.5, 17, "BOLTS   ");
  message2(format, -1.0, 3, "NUTS");
  rec::i(CLINES, eqc_records::kPrintUnit) = 0;
  message(format, 0.125, 4, "WASHERS");
  EXPECT_EQ(fio::memoryText(kPrintUnit), "ELEMENT 17 HAS THE VALUE 2.5 IN SET BOLTS\n");
  EXPECT_EQ(fio::memoryText(kMessageUnit),
            "ELEMENT 3 HAS THE VALUE -1 IN SET NUTS\nELEMENT 4 HAS THE VALUE 0.125 IN SET WASHERS\n");
  EXPECT_TRUE(eqc_testing::messages().empty());
}

// A text longer than the 500-character line: what fits is written in print lines of 80 columns
// (continuations after the 11-blank indent), and only then is the failure reported.
TEST_F(PrintedLines, ALineTooLongIsWrittenThenReported) {
  std::string words;
  for (int k = 0; words.size() < 600; ++k) words += "word" + std::to_string(k) + " ";
  rec::i(CLINES, eqc_records::kMessageUnit) = kPrintUnit;
  eqc_testing::setEcho(true);
  message("%S", 0.0, 0, words);
  eqc_testing::setEcho(false);

  std::istringstream in(fio::memoryText(kPrintUnit));
  std::vector<std::string> printed;
  for (std::string line; std::getline(in, line);) printed.push_back(line);
  ASSERT_GE(printed.size(), 8u);
  EXPECT_EQ(printed.back(), " ***SYSTEM ERROR: SYSTEM ERROR IN KVXMES");
  printed.pop_back();
  std::string joined;
  for (std::size_t k = 0; k < printed.size(); ++k) {
    EXPECT_LE(printed[k].size(), 80u);
    if (k > 0) {
      ASSERT_EQ(printed[k].substr(0, 11), std::string(11, ' '));
      EXPECT_NE(printed[k][11], ' ');
      joined += ' ';
    }
    joined += printed[k].substr(k > 0 ? 11 : 0);
  }
  std::string expected = words.substr(0, 500);
  expected.erase(expected.find_last_not_of(' ') + 1);
  EXPECT_EQ(joined, expected);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
}

std::string golden(const std::string& name) {
  std::ifstream in(ZMX_SOURCE_DIR "/tests/golden/heading_notice/" + name + ".txt", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct NoticeCase {
  const char* golden;
  const char* release;
  const char* build;
  Logical nonNuclear;
};

TEST_F(PrintedLines, TheHeadingNoticeOfEachKindOfRelease) {
  const NoticeCase cases[] = {
      {"development", "6.0-12", "2026_12_07-0930 build 4711", kFalse},
      {"release", "6.5-1", "2026_12_07-0930 build 4711", kFalse},
      {"nuclear", "6.5-1N", "2026_12_07-0930 build 4711", kFalse},
      {"pre_release", "6.5-PRE1", "2026_12_07-0930 build 4711", kFalse},
      {"maintenance", "6.5-2", "2026_12_07-0930 build 4711", kFalse},
      {"not_nuclear_warning", "6.5-1", "2026_12_07-0930 build 4711", kTrue},
  };
  for (const NoticeCase& c : cases) {
    SCOPED_TRACE(c.golden);
    ASSERT_EQ(fio::openMemory(kPrintUnit), fio::kOk);
    eqc_job_testing::resetPaging();
    eqc_run_testing::setRelease(c.release);
    IFC_GETVERSIONNUMBER(&rec::i(CLINES, 1));
    ::setenv("VELTRO_SEQ", c.build, 1);
    const Int unused = 0;
    PHNOTE(&unused, &c.nonNuclear);
    EXPECT_EQ(fio::memoryText(kPrintUnit), golden(c.golden));
    EXPECT_EQ(eqc_job_testing::pagingCalls(), std::vector<int>{21});
    fio::close(kPrintUnit);
  }
  EXPECT_TRUE(eqc_testing::messages().empty());
}

TEST_F(PrintedLines, ABuildIdentifierTooLongIsReportedAndCut) {
  eqc_run_testing::setRelease("6.5-2");
  IFC_GETVERSIONNUMBER(&rec::i(CLINES, 1));
  ::setenv("VELTRO_SEQ", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd", 1);
  const Int unused = 0;
  const Logical no = kFalse;
  PHNOTE(&unused, &no);
  const auto messages = eqc_testing::messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].level, -3);
  EXPECT_EQ(messages[0].text,
            "Length of snapshot number (40) is too long in shr/impl/phnote. ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
  EXPECT_EQ(fio::memoryText(kPrintUnit), golden("long_build_id"));
  EXPECT_EQ(eqc_job_testing::pagingCalls(), std::vector<int>{21});
}

}  // namespace
