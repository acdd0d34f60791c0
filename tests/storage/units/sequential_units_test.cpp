// Sequential job units (DBSA, DBSASC, DBFLTP) and user-named files (DBUSRF).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/fortran_chars.h"
#include "runtime/record.h"
#include "runtime/units.h"
#include "siblings/eqc/job_testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/storage/units/lost_descriptor.h"
#include "tests/support/host_fixture.h"
#include "zmx/storage.h"

namespace {

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class JobFiles : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    folder_ = zmxtest::scratchFolder("job_files_" +
                                     std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    rec::setChars(CJBPAR, 1, 256, "job");
    rec::setChars(CJBPAR, 257, 256, "old");
    rec::setChars(CJBPAR, 1537, 256, folder_ + "/");
    rec::setChars(CJBPAR, 2049, 256, folder_ + "/");
    rec::i(CLINES, eqc_records::kInputUnit) = 5;
    rec::i(CLINES, eqc_records::kPrintUnit) = 6;
  }
  void TearDown() override {
    for (Int unit = 1; unit <= 100; ++unit) fio::close(unit);
    rec::clear(CBUFFA);
    rec::clear(CJBPAR);
    rec::clear(CPROG);
    rec::clear(CWORK);
    rec::clear(CLINES);
    rec::clear(CERRCD);
    rec::clear(CUSRFN);
    rec::clear(CUSRFI);
    HostFixture::TearDown();
  }
  std::string path(const std::string& name) const { return folder_ + "/" + name; }
  std::string folder_;
};

Int dbsa(Int unit, std::vector<double>& buffer, Int op) {
  Int status = -1;
  const Int n = static_cast<Int>(buffer.size());
  DBSA(&unit, buffer.data(), &n, &op, &status);
  return status;
}

Int dbsasc(Int unit, std::string& text, Int op) {
  Int status = -1;
  const Int n = static_cast<Int>(text.size());
  DBSASC(&unit, text.data(), n, &n, &op, &status);
  return status;
}

TEST_F(JobFiles, UnformattedBlocksRoundTripAndEndReadsAsOnes) {
  std::vector<double> block{1.0, 2.0, 3.0};
  EXPECT_EQ(dbsa(8, block, 1), 0);
  EXPECT_EQ(rec::i(CBUFFA, 8), 1);
  EXPECT_TRUE(std::filesystem::exists(path("job.fil")));
  EXPECT_EQ(dbsa(8, block, 2), 0);
  std::vector<double> back(3, 0.0);
  EXPECT_EQ(dbsa(8, back, 0), 0);
  EXPECT_EQ(back, block);
  // Past the end of unit 8: status 1, the buffer holds integer 1 in every slot, and no message.
  EXPECT_EQ(dbsa(8, back, 0), 1);
  for (int k = 1; k <= 3; ++k) EXPECT_EQ(rec::slotI(back.data(), k), 1);
  EXPECT_TRUE(eqc_testing::messages().empty());
  EXPECT_EQ(rec::i(CBUFFA, 8), 4);
}

TEST_F(JobFiles, ReadFailureOnAScratchUnitIsReportedUnlessQuiet) {
  std::vector<double> buffer(2, 0.0);
  EXPECT_EQ(dbsa(10, buffer, 0), 1);
  EXPECT_TRUE(eqc_testing::printed("SEQUENTIAL I/O ERROR ON UNIT 10"));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  eqc_testing::clearMessages();
  rec::i(CWORK, 30) = 1;
  EXPECT_EQ(dbsa(10, buffer, 0), 1);
  EXPECT_TRUE(eqc_testing::messages().empty());
  // An unknown operation is a failed read.
  rec::i(CWORK, 30) = 0;
  EXPECT_EQ(dbsa(10, buffer, 3), 1);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
}

TEST_F(JobFiles, ErrorOperationReportsAndLeavesThePosition) {
  std::vector<double> one{4.0}, two{5.0};
  dbsa(11, one, 1);
  dbsa(11, two, 1);
  dbsa(11, one, 2);
  std::vector<double> back{0.0};
  EXPECT_EQ(dbsa(11, back, 0), 0);
  EXPECT_EQ(dbsa(11, back, 4), 0);
  EXPECT_EQ(eqc_testing::countAtLevel(-2), 1);
  EXPECT_TRUE(eqc_testing::printed("SEQUENTIAL I/O ERROR ON UNIT 11"));
  EXPECT_EQ(dbsa(11, back, 0), 0);
  EXPECT_EQ(back[0], 5.0);
}

TEST_F(JobFiles, CloseAndDeleteLetsTheNextCallStartAFreshFile) {
  std::vector<double> block{7.0};
  dbsa(9, block, 1);
  EXPECT_TRUE(std::filesystem::exists(path("job.sel")));
  EXPECT_EQ(dbsa(9, block, 6), 0);
  EXPECT_EQ(rec::i(CBUFFA, 9), 0);
  EXPECT_FALSE(std::filesystem::exists(path("job.sel")));
  std::vector<double> back{0.0};
  EXPECT_EQ(dbsa(9, back, 0), 1);  // a fresh, empty file
  EXPECT_TRUE(std::filesystem::exists(path("job.sel")));
}

TEST_F(JobFiles, OldUnitWithoutItsFileFailsItsReadsAndWrites) {
  std::vector<double> block{1.0};
  EXPECT_EQ(dbsa(23, block, 1), 1);
  EXPECT_TRUE(eqc_testing::printed("OUT OF DISK SPACE OR DISK QUOTA EXCEEDED."));
  EXPECT_EQ(dbsa(23, block, 0), 1);
}

TEST_F(JobFiles, ExplicitProgramKeepsErrorCodesInsteadOfMessages) {
  rec::i(CPROG, 1) = 2;
  rec::setChars(CJBPAR, 769, 256, path("missing/out.dat"));
  std::vector<double> block{1.0};
  EXPECT_EQ(dbsa(13, block, 1), 1);
  EXPECT_EQ(rec::i(CERRCD, 1), 1);
  EXPECT_EQ(rec::i(CBUFFA, 13), 0);
  std::string line(80, 'x');
  EXPECT_EQ(dbsasc(13, line, 1), 1);
  EXPECT_TRUE(eqc_testing::messages().empty());
  // Units 8 and 9 of the explicit program take the name of string 2.
  EXPECT_EQ(dbsa(8, block, 1), 0);
  EXPECT_TRUE(std::filesystem::exists(path("old.fil")));
}

TEST_F(JobFiles, TextLinesRoundTripInEightyColumns) {
  std::string line = "*HEADING LINE";
  line.resize(80, ' ');
  EXPECT_EQ(dbsasc(15, line, 1), 0);
  std::string second(80, 'z');
  EXPECT_EQ(dbsasc(15, second, 10), 0);
  EXPECT_EQ(dbsasc(15, line, 2), 0);
  std::string back(80, '?');
  EXPECT_EQ(dbsasc(15, back, 0), 0);
  EXPECT_EQ(back, line);
  EXPECT_EQ(dbsasc(15, back, 0), 0);
  EXPECT_EQ(back, second);
  EXPECT_EQ(dbsasc(15, back, 0), 1);
  EXPECT_EQ(back, std::string(80, ' '));
  EXPECT_EQ(fileText(path("job.015")), std::string(line) + "\n" + second + "\n");
  EXPECT_EQ(dbsasc(15, back, 4), 0);
  EXPECT_EQ(eqc_testing::countAtLevel(-2), 1);
  EXPECT_EQ(dbsasc(15, back, 7), 0);  // other codes do nothing
  // A shorter text goes out right-justified in its 80 columns, and comes back from them.
  std::string word = "HELLO";
  EXPECT_EQ(dbsasc(16, word, 1), 0);
  EXPECT_EQ(dbsasc(16, word, 2), 0);
  std::string shortBack(5, '?');
  EXPECT_EQ(dbsasc(16, shortBack, 0), 0);
  EXPECT_EQ(shortBack, "HELLO");
  EXPECT_EQ(fileText(path("job.016")), std::string(75, ' ') + "HELLO\n");
}

TEST_F(JobFiles, TextUnitWithoutRuleGivesABlankLine) {
  std::string text = "untouched";
  EXPECT_EQ(dbsasc(20, text, 0), 1);
  EXPECT_EQ(text, std::string(9, ' '));
  EXPECT_EQ(rec::i(CBUFFA, 20), 0);
  EXPECT_FALSE(fio::isOpen(20));
}

TEST_F(JobFiles, UnitOutsideTheCounterRecordIsReported) {
  std::vector<double> block{1.0};
  EXPECT_EQ(dbsa(0, block, 1), 1);
  EXPECT_EQ(dbsa(5000, block, 1), 1);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DBSA"));
}

TEST_F(JobFiles, FileTypeFromTheFirstCharacterOrTheFirstRecord) {
  Int type = -1, status = -1;
  const Int unit = 8;
  // A text file that begins with '*' is formatted, whatever else it would read as.
  std::ofstream(path("job.fil"), std::ios::binary) << std::string("*\x00\x00\x00", 4) << "abcd*\x04\x00\x00\x00";
  DBFLTP(&unit, &type, &status);
  EXPECT_EQ(type, 1);
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(fio::isOpen(unit));
  std::filesystem::remove(path("job.fil"));
  std::vector<double> block{2.5};
  dbsa(8, block, 1);
  dbsa(8, block, 5);
  DBFLTP(&unit, &type, &status);
  EXPECT_EQ(type, 2);
  EXPECT_EQ(status, 0);
  std::ofstream(path("job.fil"), std::ios::binary) << "plain text\n";
  DBFLTP(&unit, &type, &status);
  EXPECT_EQ(type, 0);
  EXPECT_EQ(status, 1);
}

// A host passes a blank-padded name field whose length is the one that follows it.
TEST_F(JobFiles, FileTypeOfAGivenNameTakesTheFieldLength) {
  const std::string name = path("given.bin");
  Int status = -1;
  const Int unit = 40;
  ASSERT_EQ(fio::open(unit, {name, fio::Status::New, fio::Access::Sequential, fio::Form::Unformatted}), fio::kOk);
  const Int first = 42;
  ASSERT_EQ(fio::writeRecord(unit, &first, sizeof first), fio::kOk);
  fio::close(unit);
  char field[256];
  std::memset(field, ' ', sizeof field);
  std::memcpy(field, name.data(), name.size());
  Int type = -1, word = 0;
  DBFLTP1(&unit, &type, field, static_cast<Int>(sizeof field), &word, &status);
  EXPECT_EQ(type, 2);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(word, 42);
  EXPECT_FALSE(fio::isOpen(unit));
  // Cut short, the name names no file.
  DBFLTP1(&unit, &type, field, static_cast<Int>(name.size()) - 1, &word, &status);
  EXPECT_EQ(type, 0);
  EXPECT_EQ(status, 1);
}

TEST_F(JobFiles, ReopenedDataFileAppendsOrEndsTheJob) {
  const std::string data = path("run.dat");
  std::ofstream(data) << "first\n";
  rec::i(CLINES, eqc_records::kPrintUnit) = 40;
  SHR_REOPENDATAFILE(data.data(), static_cast<Int>(data.size()));
  fio::writeLine(40, "second");
  fio::close(40);
  EXPECT_EQ(fileText(data), "first\nsecond\n");
  eqc_job_testing::interceptExit(true);
  const std::string missing = path("none.dat");
  SHR_REOPENDATAFILE(missing.data(), static_cast<Int>(missing.size()));
  EXPECT_EQ(eqc_job_testing::exitCodes(), std::vector<int>{1});
  eqc_job_testing::interceptExit(false);
}

// ---- user-named files -------------------------------------------------------------------------

Int dbusrf(Int op, Int unit, const std::string& name, Int type, Int* outunit) {
  Int status = -1;
  DBUSRF(&op, &unit, outunit, name.data(), static_cast<Int>(name.size()), &type, &status);
  return status;
}

TEST_F(JobFiles, SameNameOnSameUnitOpensOnce) {
  Int out = 0;
  EXPECT_EQ(dbusrf(1, 31, "mine.out", 1, &out), 0);
  EXPECT_EQ(out, 31);
  EXPECT_EQ(dbusrf(1, 31, "mine.out", 1, &out), 0);
  EXPECT_EQ(out, 31);
  EXPECT_EQ(rec::i(CUSRFN, 1), 1);
  EXPECT_EQ(rec::i(CUSRFN, 2), 20);
  EXPECT_EQ(rec::i(CUSRFN, 3), 31);
  EXPECT_EQ(rec::i(CBUFFA, 31), 1);
  EXPECT_EQ(fchar::trimmed(rec::chars(CUSRFI, 1, 80)), "mine.out");
}

TEST_F(JobFiles, SecondNameTakesTheUnitAndTheFirstReopensAtItsEnd) {
  Int out = 0;
  dbusrf(1, 31, "a.txt", 1, &out);
  fio::writeLine(31, "one");
  dbusrf(1, 31, "b.txt", 1, &out);
  EXPECT_EQ(rec::i(CUSRFN, 3), -31);
  EXPECT_EQ(rec::i(CUSRFN, 4), 31);
  fio::writeLine(31, "other");
  EXPECT_EQ(dbusrf(1, 31, "a.txt", 1, &out), 0);
  EXPECT_EQ(out, 31);
  EXPECT_EQ(rec::i(CUSRFN, 4), -31);
  fio::writeLine(31, "two");
  fio::close(31);
  EXPECT_EQ(fileText(path("a.txt")), "one\ntwo\n");
  EXPECT_EQ(fileText(path("b.txt")), "other\n");
}

TEST_F(JobFiles, TwentyFirstNameIsRefused) {
  Int out = 0;
  for (int k = 1; k <= 20; ++k) EXPECT_EQ(dbusrf(1, 30 + k, "f" + std::to_string(k) + ".txt", 2, &out), 0);
  EXPECT_EQ(dbusrf(1, 60, "f21.txt", 2, &out), 1);
  EXPECT_TRUE(eqc_testing::printed("TOO MANY USER SPECIFIED INPUT/OUTPUT FILES"));
  EXPECT_EQ(out, 6);  // the caller falls back to the printed-output unit
  EXPECT_EQ(rec::i(CUSRFN, 1), 20);
  EXPECT_FALSE(fio::isOpen(60));
  EXPECT_EQ(dbusrf(6, 0, " ", 0, &out), 0);
  EXPECT_EQ(rec::i(CUSRFN, 1), 0);
  EXPECT_FALSE(fio::isOpen(31));
  EXPECT_EQ(rec::i(CBUFFA, 31), 0);
}

TEST_F(JobFiles, BlankNamesFailuresAndUnknownNames) {
  Int out = -1;
  EXPECT_EQ(dbusrf(1, 31, std::string(80, ' '), 1, &out), 0);
  EXPECT_EQ(out, 6);
  EXPECT_EQ(dbusrf(0, 31, " ", 1, &out), 0);
  EXPECT_EQ(out, 5);
  EXPECT_EQ(rec::i(CUSRFN, 1), 0);
  EXPECT_EQ(dbusrf(0, 31, "absent.txt", 1, &out), 1);
  EXPECT_TRUE(eqc_testing::printed("CANNOT OPEN INPUT FILE " + path("absent.txt") + ".  FILE NAMES ARE CASE SENSITIVE"));
  EXPECT_EQ(out, 5);
  EXPECT_EQ(dbusrf(1, 31, "typed.txt", 3, &out), 1);
  EXPECT_TRUE(eqc_testing::printed("ILLEGAL FILE TYPE IN DBUSRF"));
  EXPECT_FALSE(fio::isOpen(31));
  EXPECT_EQ(dbusrf(5, 31, "never.txt", 1, &out), 1);
  EXPECT_TRUE(eqc_testing::printed("CANNOT CLOSE FILE " + path("never.txt")));
  EXPECT_EQ(out, 0);
  // A rewind with an empty table hands the unit back.
  out = 77;
  EXPECT_EQ(dbusrf(2, 31, "never.txt", 1, &out), 0);
  EXPECT_EQ(out, 31);
  // An illegal type is reported, and a file already open under the name is still used.
  ASSERT_EQ(dbusrf(1, 32, "open.txt", 1, &out), 0);
  eqc_testing::clearMessages();
  out = 77;
  EXPECT_EQ(dbusrf(1, 32, "open.txt", 3, &out), 0);
  EXPECT_TRUE(eqc_testing::printed("ILLEGAL FILE TYPE IN DBUSRF"));
  EXPECT_EQ(out, 32);
  // An illegal type for a new name, or for a closed entry reopened, still closes the file that
  // holds the unit; nothing is opened in its place.
  ASSERT_EQ(dbusrf(1, 54, "k.txt", 1, &out), 0);
  EXPECT_EQ(dbusrf(1, 54, "new.txt", 3, &out), 1);
  EXPECT_EQ(rec::i(CUSRFN, 4), -54);
  EXPECT_FALSE(fio::isOpen(54));
  EXPECT_EQ(rec::i(CBUFFA, 54), 0);
  EXPECT_EQ(rec::i(CUSRFN, 1), 2);
  ASSERT_EQ(dbusrf(1, 55, "m.txt", 1, &out), 0);
  ASSERT_EQ(dbusrf(1, 55, "n.txt", 1, &out), 0);  // m.txt closed, n.txt on 55
  EXPECT_EQ(dbusrf(1, 55, "m.txt", 3, &out), 1);
  EXPECT_EQ(rec::i(CUSRFN, 5), -55);
  EXPECT_EQ(rec::i(CUSRFN, 6), -55);
  EXPECT_FALSE(fio::isOpen(55));
  // A rewind of an unknown name frees the unit from the file that holds it.
  EXPECT_EQ(dbusrf(2, 32, "other.txt", 1, &out), 0);
  EXPECT_EQ(out, 32);
  EXPECT_FALSE(fio::isOpen(32));
  EXPECT_EQ(rec::i(CUSRFN, 3), -32);
  EXPECT_EQ(dbusrf(9, 31, "x", 1, &out), 0);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DBUSRF"));
}

// A file that cannot be opened for output is reported; a close that fails is reported with its
// unit and ends the request with status 1, whether the close frees the unit for another name,
// rewinds, closes one name or closes them all.
TEST_F(JobFiles, FailedOpensAndClosesAreReported) {
  Int out = 0;
  std::ofstream(path("plain.txt")) << "a file, not a folder";
  rec::setChars(CJBPAR, 1537, 256, path("plain.txt") + "/");  // the job directory is a file
  EXPECT_EQ(dbusrf(1, 31, "x.dat", 1, &out), 1);
  EXPECT_TRUE(eqc_testing::printed("CANNOT OPEN OUTPUT FILE " + path("plain.txt/x.dat")));
  EXPECT_EQ(out, 6);
  EXPECT_EQ(rec::i(CUSRFN, 1), 0);
  rec::setChars(CJBPAR, 1537, 256, folder_ + "/");

  struct Case {
    Int op;
    const char* name;
    Int out;
  };
  for (const Case c : {Case{1, "other.txt", 6}, Case{2, "other.txt", 0}, Case{5, "held.txt", 0}, Case{6, " ", 0}}) {
    ASSERT_EQ(dbusrf(1, 35, "held.txt", 1, &out), 0) << c.op;
    zmxtest::loseDescriptor(path("held.txt"));
    eqc_testing::clearMessages();
    out = 77;
    EXPECT_EQ(dbusrf(c.op, 35, c.name, 1, &out), 1) << c.op;
    EXPECT_EQ(out, c.out) << c.op;
    EXPECT_TRUE(eqc_testing::printed("CANNOT CLOSE FILE UNIT 35")) << c.op;
    EXPECT_FALSE(fio::isOpen(35)) << c.op;
    EXPECT_FALSE(std::filesystem::exists(path("other.txt"))) << c.op;
    dbusrf(4, 0, " ", 0, &out);
  }
}

TEST_F(JobFiles, RewindCloseAndForget) {
  Int out = 0;
  dbusrf(1, 32, "r.txt", 1, &out);
  fio::writeLine(32, "line");
  EXPECT_EQ(dbusrf(2, 32, "r.txt", 1, &out), 0);
  std::string back;
  fio::flush(32);
  dbusrf(0, 33, "r.txt", 1, &out);
  EXPECT_EQ(fio::readLine(33, back), fio::kOk);
  EXPECT_EQ(back, "line");
  EXPECT_EQ(rec::i(CUSRFN, 1), 2);
  EXPECT_EQ(dbusrf(5, 32, "r.txt", 1, &out), 0);
  EXPECT_EQ(out, 0);
  EXPECT_EQ(rec::i(CUSRFN, 1), 1);
  EXPECT_EQ(rec::i(CUSRFN, 3), 33);
  EXPECT_FALSE(fio::isOpen(32));
  EXPECT_EQ(dbusrf(4, 0, " ", 0, &out), 0);
  EXPECT_EQ(rec::i(CUSRFN, 1), 0);
  EXPECT_TRUE(fio::isOpen(33));  // forgetting closes nothing
  // A negative unit is made positive in the caller's variable.
  Int unit = -34;
  const Int op = 1, type = 1;
  Int status = 0;
  const std::string name(80, 'n');
  DBUSRF(&op, &unit, &out, name.data(), 80, &type, &status);
  EXPECT_EQ(unit, 34);
  EXPECT_EQ(out, 34);
}

}  // namespace

namespace {

// The decision over the text: a failed read or write of DBSASC gives status 1 after its message.
TEST_F(JobFiles, FailedTextReadOrWriteGivesStatusOne) {
  fio::OpenRequest full;
  full.file = "/dev/full";
  full.status = fio::Status::Old;
  ASSERT_EQ(fio::open(15, full), fio::kOk);
  rec::i(CBUFFA, 15) = 1;
  std::string line(80, 'w');
  Int status = 0;
  for (int k = 0; k < 2000 && status == 0; ++k) status = dbsasc(15, line, 1);
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(eqc_testing::printed("SEQUENTIAL I/O ERROR ON UNIT 15"));
  fio::close(15);
  eqc_testing::clearMessages();
  fio::OpenRequest folder;
  folder.file = folder_;
  folder.status = fio::Status::Old;
  ASSERT_EQ(fio::open(16, folder), fio::kOk);  // a directory opens for reading but cannot be read
  rec::i(CBUFFA, 16) = 1;
  EXPECT_EQ(dbsasc(16, line, 0), 1);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_TRUE(eqc_testing::printed("SEQUENTIAL I/O ERROR ON UNIT 16"));
}

TEST_F(JobFiles, FailedBlockWriteReportsAFullDisk) {
  fio::OpenRequest full;
  full.file = "/dev/full";
  full.status = fio::Status::Old;
  full.form = fio::Form::Unformatted;
  ASSERT_EQ(fio::open(11, full), fio::kOk);
  rec::i(CBUFFA, 11) = 1;
  std::vector<double> block(20000, 1.0);
  EXPECT_EQ(dbsa(11, block, 1), 1);
  EXPECT_TRUE(eqc_testing::printed("SEQUENTIAL I/O ERROR ON UNIT 11.  OUT OF DISK SPACE OR DISK QUOTA EXCEEDED."));
}

}  // namespace
