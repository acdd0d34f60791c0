#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/storage/results/results_support.h"
#include "tests/support/bounded_child.h"

namespace {

using namespace results_test;
using zmx::results::unitWord;

class ResultsUnits : public ResultsFile {
 protected:
  // Declares the (unit, form) pairs for the results files of the job; the output stream is binary.
  void declare(const std::vector<std::pair<Int, Int>>& units) {
    std::vector<Int> lrunit;
    for (const auto& [unit, form] : units) {
      lrunit.push_back(unit);
      lrunit.push_back(form);
    }
    const std::string name = folder_ + "/job";
    const Int count = static_cast<Int>(units.size()), output = 2;
    SHR_INITPF(name.data(), static_cast<Int>(name.size()), &count, lrunit.data(), &output);
  }

  // Writes the records into the results file of the unit in its form, as an analysis would.
  void prepare(Int unit, Int form, const std::vector<Record>& records) {
    declare({{unit, form}});
    rec::i(CDFILE, 2) = unit;
    rec::i(CDAFLE, 2) = unit;
    rec::i(CWORK, eqc_records::kResultsForm) = form;
    for (const Record& r : records) ASSERT_EQ(write(r), 0);
    ASSERT_EQ(control(10), 0);
    for (Int u = 1; u <= 40; ++u) fio::close(u);
    rec::clear(CBUFFA);
  }

  static Int use(Int unit) {
    SHR_DBRNU(&unit);
    return rec::i(CWORK, eqc_records::kResultsForm);
  }
};

std::vector<Record> records(int key, int count, int length) {
  std::vector<Record> out;
  for (int k = 0; k < count; ++k) out.push_back(counting(key, length, 1000.0 * key + k));
  return out;
}

TEST_F(ResultsUnits, InvalidUnitsAreReportedAndTheProgramStopsAfterAllEntries) {
  declare({{5, 2}, {6, 2}, {9, 2}, {10, 1}, {13, 2}, {0, 2}, {31, 2}, {14, 2}, {14, 1}, {15, 3}});
  for (int unit : {5, 6, 9, 10, 13, 0, 31})
    EXPECT_TRUE(eqc_testing::printed(std::to_string(unit) +
                                     " IS NOT A VALID UNIT NUMBER FOR READING RESULTS FILES.  VALID UNIT NUMBERS ARE "
                                     "1-4, 7-8 AND 14-30"));
  EXPECT_TRUE(eqc_testing::printed("UNIT 14 HAS ALREADY BEEN DEFINED"));
  EXPECT_TRUE(eqc_testing::printed("UNIT 15 IN ENTRY 10 OF LRUNIT HAS THE INVALID FORM 3"));
  EXPECT_EQ(eqc_testing::countAtLevel(-2), 9);
  EXPECT_EQ(eqc_job_testing::exitCodes(), std::vector<int>{0});
  EXPECT_EQ(rec::i(CPROG, 1), 0);
  // Nothing was opened for an entry in error; the valid one was.
  EXPECT_EQ(rec::i(CBUFFA, 14), 1);
  EXPECT_EQ(rec::i(CBUFFA, 15), 0);
}

// A results file that cannot be opened is reported by the unit run time; the unit is marked
// opened all the same, so its reads end at once.
TEST_F(ResultsUnits, AFileThatCannotBeOpenedIsReportedByTheRunTime) {
  const std::string name = folder_ + "/no-such-folder/job";
  const Int count = 1, output = 2;
  const std::vector<Int> lrunit = {14, 2};
  const std::size_t exits = eqc_job_testing::exitCodes().size();
  SHR_INITPF(name.data(), static_cast<Int>(name.size()), &count, lrunit.data(), &output);
  EXPECT_TRUE(eqc_testing::printed("I/O ERROR ON UNIT 14: CANNOT OPEN FILE " + name));
  EXPECT_EQ(eqc_testing::countAtLevel(-2), 1);
  EXPECT_EQ(rec::i(CBUFFA, 14), 1);
  EXPECT_EQ(eqc_job_testing::exitCodes().size(), exits);  // nothing in error: the program goes on
  EXPECT_EQ(use(14), 2);
  Int status = 0;
  read(&status);
  EXPECT_EQ(status, 1);
}

TEST_F(ResultsUnits, UnitEightIsReadableWithoutSwitching) {
  prepare(8, 1, records(11, 3, 6));
  declare({{8, 1}});
  EXPECT_EQ(rec::i(CWORK, eqc_records::kResultsForm), 1);
  EXPECT_EQ(readAll().size(), 4u);
}

TEST_F(ResultsUnits, FormSwitchFollowsTheLastUnitMadeCurrent) {
  // Unit 10 is no unit of a user program; 20 stands in for it.
  declare({{20, 2}, {14, 1}, {8, 2}});
  EXPECT_EQ(eqc_testing::countAtLevel(-2), 0);
  EXPECT_EQ(use(14), 1);
  EXPECT_EQ(use(8), 2);
  EXPECT_EQ(rec::i(CDFILE, 2), 8);
  // An undeclared unit changes nothing.
  const CDFILE_t binary = CDFILE;
  const CDAFLE_t ascii = CDAFLE;
  EXPECT_EQ(use(21), 2);
  EXPECT_TRUE(eqc_testing::printed("UNIT 21 HAS NOT BEEN OPENED.  CHECK LRUNIT IN THE CALL TO INITPF"));
  EXPECT_EQ(std::memcmp(&binary, &CDFILE, sizeof binary), 0);
  EXPECT_EQ(std::memcmp(&ascii, &CDAFLE, sizeof ascii), 0);
}

TEST_F(ResultsUnits, UnitsReadAsIfAloneWhenSwitchedMidBlockAndMidLine) {
  const auto binary20 = records(1, 30, 40), binary8 = records(2, 25, 33);
  const auto ascii15 = records(5, 20, 7), ascii14 = records(11, 15, 4);
  prepare(20, 2, binary20);
  prepare(8, 2, binary8);
  prepare(15, 1, ascii15);
  prepare(14, 1, ascii14);
  declare({{20, 2}, {15, 1}, {8, 2}, {14, 1}});
  EXPECT_EQ(eqc_testing::countAtLevel(-2), 0);
  std::vector<std::vector<Record>> got(31);
  const std::vector<Int> order = {20, 15, 8, 15, 14, 20, 8, 14, 15, 20};
  for (int round = 0; round < 40; ++round) {
    for (Int unit : order) {
      use(unit);
      for (int k = 0; k < 3; ++k) {
        Int status = 0;
        const Record r = read(&status);
        if (status == 0) got[static_cast<std::size_t>(unit)].push_back(r);
      }
    }
  }
  auto withEnd = [](std::vector<Record> v) {
    v.push_back({2.0, 2001.0});
    return v;
  };
  const auto endBlock = [](std::size_t words) {
    Record r(words, 0.0);
    r[0] = static_cast<double>(words);
    r[1] = 2001.0;
    return r;
  };
  std::vector<Record> want20 = binary20, want8 = binary8;
  want20.push_back(endBlock(512 - (30 * 40) % 512));
  want8.push_back(endBlock(512 - (25 * 33) % 512));
  EXPECT_EQ(got[20], want20);
  EXPECT_EQ(got[8], want8);
  EXPECT_EQ(got[15], withEnd(ascii15));
  EXPECT_EQ(got[14], withEnd(ascii14));
}

TEST_F(ResultsUnits, OutputStreamFormIsTheCallersChoice) {
  const std::string name = folder_ + "/job";
  const Int none = 0, ascii = 1;
  SHR_INITPF(name.data(), static_cast<Int>(name.size()), &none, nullptr, &ascii);
  EXPECT_EQ(rec::i(COUTF, 1), 1);
  Int status = -1;
  Record r = record(5, {4.0});
  SHR_DBFILW(nullptr, r.data(), &status);
  Record end = {2.0, 2001.0};
  SHR_DBFILW(nullptr, end.data(), &status);
  EXPECT_EQ(linesOf(path("job.sel"))[0].substr(0, 44), "*I 13I 15D 4.000000000000000D+00*I 12I 42001");
}

TEST_F(ResultsUnits, HeapBlocksAreAddressWords) {
  const Int words = 100;
  const Int word = SHR_DBGETM(&words);
  ASSERT_NE(word, 0);
  Int* block = mem32::at<Int>(word, 100);
  ASSERT_NE(block, nullptr);
  block[99] = 7;
  EXPECT_EQ(mem32::blockBytes(word), 400u);
  const Int negative = -1;
  EXPECT_EQ(SHR_DBGETM(&negative), 0);
}

// Jobs in one folder, each a process of its own that leaves its results unit open and ends by
// exit or by the orderly exit. A shorter file written over a longer one ends after its own end
// record, in both forms: it is byte for byte the file the same job writes into an empty folder,
// and reading it ends there. A job that only reads the file leaves it whole.
TEST_F(ResultsUnits, ResultsFilesEndAfterTheirLastRecordWhenTheJobEnds) {
  const std::string alone = folder_ + "/alone";
  std::filesystem::create_directories(alone);
  auto job = [&](Int form, int count, bool orderly, const std::string& folder) {
    rec::setChars(CJBPAR, eqc_records::kJobDirectoryFirst, eqc_records::kJobStringLength, folder + "/");
    const int code = zmxtest::runInBoundedChild([&]() -> int {
      rec::i(CWORK, eqc_records::kResultsForm) = form;
      Int status = 0;
      if (count < 0) read(&status);  // a reading job
      for (const Record& r : records(5, count, 50)) write(r);
      if (count >= 0) control(10);
      eqc_job_testing::interceptExit(false);
      if (orderly) SHR_XIT();
      std::exit(0);
    });
    EXPECT_EQ(code, 0);
  };
  for (Int form : {1, 2}) {
    std::filesystem::remove(path("job.fil"));
    job(form, 12, false, folder_);
    job(form, 2, true, folder_);
    job(form, 2, false, alone);
    job(form, -1, true, folder_);
    const std::vector<char> bytes = fileBytes(path("job.fil"));
    EXPECT_TRUE(bytes == fileBytes(alone + "/job.fil")) << form << ": " << bytes.size() << " bytes";
    if (form == 2) {
      EXPECT_EQ(bytes.size(), 4096u + 8u);
    }
    rec::setChars(CJBPAR, eqc_records::kJobDirectoryFirst, eqc_records::kJobStringLength, folder_ + "/");
    INITF();
    rec::i(CWORK, eqc_records::kResultsForm) = form;
    std::vector<Int> statuses;
    EXPECT_EQ(readAll(&statuses).size(), 3u) << form;
    Int status = 0;
    read(&status);
    EXPECT_EQ(status, 1) << form;
    fio::close(8);
    rec::clear(CBUFFA);
  }
}

}  // namespace
