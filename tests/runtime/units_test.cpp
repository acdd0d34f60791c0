// Numbered units: connection rules, positioning, inquiry, failures as IOSTAT values, formatted
// input, internal files, and files written by gfortran.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "runtime/format.h"
#include "runtime/units.h"
#include "tests/support/bounded_child.h"
#include "tests/support/host_fixture.h"

namespace {

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

fio::OpenRequest request(const std::string& file, fio::Status status, fio::Form form = fio::Form::Formatted,
                   fio::Access access = fio::Access::Sequential) {
  fio::OpenRequest s;
  s.file = file;
  s.status = status;
  s.form = form;
  s.access = access;
  return s;
}

class Units : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = zmxtest::scratchFolder("units_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  }
  void TearDown() override {
    for (Int unit = 1; unit <= 99; ++unit)
      if (unit != 5 && unit != 6) fio::close(unit);
  }
  std::string path(const std::string& name) const { return folder_ + "/" + name; }
  std::string folder_;
};

TEST_F(Units, OpenStatusesFollowFortranRules) {
  EXPECT_EQ(fio::open(20, request(path("a.txt"), fio::Status::Old)), fio::kOpenFailed);
  EXPECT_FALSE(fio::isOpen(20));
  EXPECT_EQ(fio::open(20, request(path("a.txt"), fio::Status::New)), fio::kOk);
  EXPECT_EQ(fio::writeLine(20, "abc"), fio::kOk);
  EXPECT_EQ(fio::close(20), fio::kOk);
  EXPECT_EQ(fio::open(20, request(path("a.txt"), fio::Status::New)), fio::kOpenFailed);
  EXPECT_EQ(fio::open(20, request(path("a.txt"), fio::Status::Old, fio::Form::Formatted, fio::Access::Append)), fio::kOk);
  EXPECT_EQ(fio::writeLine(20, "def"), fio::kOk);
  // Opening a connected unit closes the first file.
  EXPECT_EQ(fio::open(20, request(path("b.txt"), fio::Status::Unknown)), fio::kOk);
  EXPECT_EQ(fileText(path("a.txt")), "abc\ndef\n");
  const fio::FileInquiry b = fio::inquireFile(path("b.txt"));
  EXPECT_TRUE(b.exists);
  EXPECT_TRUE(b.opened);
  EXPECT_EQ(b.unit, 20);
  const fio::FileInquiry a = fio::inquireFile(path("a.txt") + "   ");
  EXPECT_TRUE(a.exists);
  EXPECT_FALSE(a.opened);
  EXPECT_FALSE(fio::inquireFile(path("none")).exists);
  const fio::UnitInquiry u = fio::inquireUnit(20);
  EXPECT_TRUE(u.opened);
  EXPECT_EQ(u.name, path("b.txt"));
  EXPECT_FALSE(fio::inquireUnit(21).opened);
  EXPECT_FALSE(fio::inquireUnit(-1).exists);
  EXPECT_EQ(fio::close(20, true), fio::kOk);
  EXPECT_FALSE(std::filesystem::exists(path("b.txt")));
  EXPECT_EQ(fio::close(20), fio::kOk);  // closing again is harmless
}

TEST_F(Units, ScratchFilesVanishAndSequentialFilesEndAtTheLastWrite) {
  EXPECT_EQ(fio::open(21, request("", fio::Status::Scratch, fio::Form::Unformatted)), fio::kOk);
  const double x = 2.0;
  EXPECT_EQ(fio::writeRecord(21, &x, 8), fio::kOk);
  EXPECT_EQ(fio::rewind(21), fio::kOk);
  double y = 0;
  EXPECT_EQ(fio::readRecord(21, &y, 8), fio::kOk);
  EXPECT_EQ(y, 2.0);
  EXPECT_EQ(fio::inquireUnit(21).name, "");
  fio::close(21);

  EXPECT_EQ(fio::open(22, request(path("seq.txt"), fio::Status::Replace)), fio::kOk);
  for (const char* line : {"one", "two", "three"}) fio::writeLine(22, line);
  fio::rewind(22);
  fio::writeLine(22, "ONE");
  fio::close(22);
  EXPECT_EQ(fileText(path("seq.txt")), "ONE\n");
}

TEST_F(Units, FailuresAreIostatValuesNeverCrashes) {
  double buffer[4] = {};
  std::string line;
  EXPECT_EQ(fio::writeRecord(40, buffer, 8), fio::kNotConnected);
  EXPECT_EQ(fio::readRecord(40, buffer, 8), fio::kNotConnected);
  EXPECT_EQ(fio::readLine(40, line), fio::kNotConnected);
  EXPECT_EQ(fio::write(40, "(I5)", {1}), fio::kNotConnected);
  EXPECT_EQ(fio::rewind(40), fio::kNotConnected);
  EXPECT_EQ(fio::writeLine(1000, "x"), fio::kBadUnit);
  EXPECT_EQ(fio::open(-3, request(path("x"), fio::Status::Unknown)), fio::kBadUnit);
  // Wrong form for the transfer.
  ASSERT_EQ(fio::open(41, request(path("f.txt"), fio::Status::Replace)), fio::kOk);
  EXPECT_EQ(fio::writeRecord(41, buffer, 8), fio::kWrongForm);
  ASSERT_EQ(fio::open(42, request(path("u.bin"), fio::Status::Replace, fio::Form::Unformatted)), fio::kOk);
  EXPECT_EQ(fio::writeLine(42, "x"), fio::kWrongForm);
  // A truncated record: the marker promises more bytes than the file holds.
  std::ofstream(path("cut.bin"), std::ios::binary) << std::string("\x10\x00\x00\x00" "abcd", 8);
  ASSERT_EQ(fio::open(43, request(path("cut.bin"), fio::Status::Old, fio::Form::Unformatted)), fio::kOk);
  EXPECT_EQ(fio::readRecord(43, buffer, 16), fio::kReadFailed);
  std::string whole;
  fio::rewind(43);
  EXPECT_EQ(fio::readWholeRecord(43, whole), fio::kReadFailed);
  // Mismatched trailing marker.
  std::ofstream(path("bad.bin"), std::ios::binary) << std::string("\x04\x00\x00\x00" "abcd" "\x05\x00\x00\x00", 12);
  ASSERT_EQ(fio::open(44, request(path("bad.bin"), fio::Status::Old, fio::Form::Unformatted)), fio::kOk);
  EXPECT_EQ(fio::readRecord(44, buffer, 4), fio::kReadFailed);
  // A malformed format and an item of the wrong type.
  EXPECT_EQ(fio::write(41, "(I5", {1}), fio::kBadFormat);
  EXPECT_FALSE(fio::isValid(fio::format("(Q7)")));
  EXPECT_EQ(fio::write(41, "(I5)", {1.5}), fio::kItemMismatch);
  EXPECT_EQ(fio::write(41, "(F5.1)", {"text"}), fio::kItemMismatch);
  // Items left but no data descriptor to take them.
  EXPECT_EQ(fio::write(41, "('x')", {1}), fio::kBadFormat);
}

TEST_F(Units, StandardUnitsAndMemoryRedirection) {
  EXPECT_TRUE(fio::isOpen(6));
  EXPECT_TRUE(fio::isOpen(0));
  EXPECT_TRUE(fio::isOpen(5));
  ASSERT_EQ(fio::openMemory(6), fio::kOk);
  fio::write(6, "(1X,A,I3)", {"six", 6});
  EXPECT_EQ(fio::memoryText(6), " six  6\n");
  fio::close(6);
  EXPECT_TRUE(fio::isOpen(6));  // back to standard output
  ASSERT_EQ(fio::openMemory(30, "12 34\nsecond\n"), fio::kOk);
  Int a = 0, b = 0;
  EXPECT_EQ(fio::read(30, fio::format("(2I3)"), {fio::in(a), fio::in(b)}), fio::kOk);
  EXPECT_EQ(a, 12);
  EXPECT_EQ(b, 34);
  std::string line;
  EXPECT_EQ(fio::readLine(30, line), fio::kOk);
  EXPECT_EQ(line, "second");
  EXPECT_EQ(fio::readLine(30, line), fio::kEnd);
}

TEST_F(Units, FormattedInputReadsWhatTheEngineWrites) {
  const Real values[4] = {1.25e-7, -3.5, 6.02214076e23, 0.0};
  const Int integers[2] = {-42, 7};
  const fio::Format& f = fio::format("(2I6,4E24.16)");
  char line[200];
  ASSERT_EQ(fio::writeInternal(line, 200, f, {fio::outArray(integers, 2), fio::outArray(values, 4)}), fio::kOk);
  Int backI[2] = {};
  Real backR[4] = {};
  ASSERT_EQ(fio::readInternal(line, 200, f, {fio::inArray(backI, 2), fio::inArray(backR, 4)}), fio::kOk);
  EXPECT_EQ(backI[0], -42);
  EXPECT_EQ(backI[1], 7);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(backR[k], values[k]);
  // Fields without a point take d decimals; blanks are ignored; an exponent may lack its letter.
  Real x = 0, y = 0, z = 0;
  const char text[] = "  125 0.1+100 1 5";
  ASSERT_EQ(fio::readInternal(text, 17, fio::format("(F5.2,F8.0,F4.1)"), {fio::in(x), fio::in(y), fio::in(z)}), fio::kOk);
  EXPECT_DOUBLE_EQ(x, 1.25);
  EXPECT_DOUBLE_EQ(y, 1e99);
  EXPECT_DOUBLE_EQ(z, 1.5);
  Int bad = 0;
  EXPECT_EQ(fio::readInternal("12x45", 5, fio::format("(I5)"), {fio::in(bad)}), fio::kReadFailed);
  // Aw reads: a wide field gives its rightmost characters, a narrow one is padded.
  char four[4], six[6];
  ASSERT_EQ(fio::readInternal("abcdefghij", 10, fio::format("(A6,A3)"), {fio::in(four, 4), fio::in(six, 6)}), fio::kOk);
  EXPECT_EQ(std::string(four, 4), "cdef");
  EXPECT_EQ(std::string(six, 6), "ghi   ");
}

TEST_F(Units, InternalFilesHoldRecordsOfFixedLength) {
  char records[3 * 10];
  std::memset(records, '#', sizeof records);
  ASSERT_EQ(fio::writeInternal(records, 10, 3, fio::format("(I3,/,A)"), {fio::OutItem(5), fio::OutItem("ab")}), fio::kOk);
  EXPECT_EQ(std::string(records, 20), "  5       ab        ");
  EXPECT_EQ(std::string(records + 20, 10), "##########");
  EXPECT_EQ(fio::writeInternal(records, 10, 1, fio::format("(A)"), {"longer than ten"}), fio::kWriteFailed);
  EXPECT_EQ(std::string(records, 10), "longer tha");
  EXPECT_EQ(fio::writeInternal(records, 10, 1, fio::format("(I1,/,I1)"), {1, 2}), fio::kWriteFailed);
  Int n = 0;
  EXPECT_EQ(fio::readInternal(records, 10, 1, fio::format("(/,I3)"), {fio::in(n)}), fio::kEnd);
}

TEST_F(Units, ReversionRestartsAtTheLastTopLevelGroup) {
  const Int values[7] = {1, 2, 3, 4, 5, 6, 7};
  const auto records = fio::formatRecords(fio::format("(1X,'head',2(I2),' |',(I2,'.'))"), {fio::outArray(values, 7)});
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(records[0], " head 1 2 | 3.");
  EXPECT_EQ(records[1], " 4.");
  EXPECT_EQ(records[4], " 7.");
}

TEST_F(Units, GfortranUnformattedFilesReadBackAndWriteAlike) {
  ASSERT_EQ(std::system((std::string(UNFORMATTED_REFERENCE) + " " + folder_).c_str()), 0);
  ASSERT_EQ(fio::open(50, request(path("records.bin"), fio::Status::Old, fio::Form::Unformatted)), fio::kOk);
  Int n = 0;
  double three[3] = {};
  ASSERT_EQ(fio::readRecord(50, {{&n, 4}, {three, 24}}), fio::kOk);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(three[2], 4.25);
  std::string whole = "junk";
  ASSERT_EQ(fio::readWholeRecord(50, whole), fio::kOk);
  EXPECT_TRUE(whole.empty());
  std::vector<double> block(512);
  ASSERT_EQ(fio::readRecord(50, block.data(), 512 * 8), fio::kOk);
  EXPECT_EQ(block[511], 64.0);
  Int seven = 0;
  char letters[8];
  ASSERT_EQ(fio::readRecord(50, {{&seven, 4}, {letters, 8}}), fio::kOk);
  EXPECT_EQ(std::string(letters, 8), "ABCDEFGH");
  EXPECT_EQ(fio::readRecord(50, &seven, 4), fio::kEnd);
  fio::close(50);
  // The same records written here give the same bytes.
  ASSERT_EQ(fio::open(51, request(path("mine.bin"), fio::Status::Replace, fio::Form::Unformatted)), fio::kOk);
  const double values[3] = {1.5, -2.0, 4.25};
  fio::writeRecord(51, {{&n, 4}, {values, 24}});
  fio::writeRecord(51, nullptr, 0);
  fio::writeRecord(51, block.data(), 512 * 8);
  fio::writeRecord(51, {{&seven, 4}, {"ABCDEFGH", 8}});
  fio::close(51);
  EXPECT_EQ(fileText(path("mine.bin")), fileText(path("records.bin")));
}

// Writing a record makes it the last one: a file written over a longer one, a file read,
// rewound, read in part and written on, and a file only read hold what the gfortran program
// leaves in them when it ends with their units still connected; so do ours after a process that
// ends by exit.
TEST_F(Units, FilesEndAfterTheirLastRecordAsGfortranLeavesThem) {
  ASSERT_EQ(std::system((std::string(UNFORMATTED_REFERENCE) + " " + folder_).c_str()), 0);
  const std::string names[3] = {"a.seq", "b.seq", "c.seq"};
  const Int one = 1, two = 2, three = 3, nine = 9, eight = 8;
  const double first = 1.5, second[2] = {2.5, 3.5}, last = 8.5;
  auto connect = [&](Int unit, fio::Status status) {
    return fio::open(unit, request(path("mine." + names[unit - 60]), status, fio::Form::Unformatted));
  };
  const int code = zmxtest::runInBoundedChild([&]() -> int {
    for (Int unit : {60, 61, 62}) {
      connect(unit, fio::Status::Replace);
      fio::writeRecord(unit, {{&one, 4}, {&first, 8}});
      fio::writeRecord(unit, {{&two, 4}, {second, 16}});
      fio::writeRecord(unit, &three, 4);
      fio::close(unit);
    }
    std::string record;
    connect(60, fio::Status::Unknown);
    fio::writeRecord(60, &nine, 4);
    connect(61, fio::Status::Old);
    for (int k = 0; k < 2; ++k) fio::readWholeRecord(61, record);
    fio::rewind(61);
    fio::readWholeRecord(61, record);
    fio::writeRecord(61, {{&eight, 4}, {&last, 8}});
    connect(62, fio::Status::Unknown);
    fio::readWholeRecord(62, record);
    std::exit(0);
  });
  EXPECT_EQ(code, 0);
  for (const std::string& name : names) EXPECT_EQ(fileText(path("mine." + name)), fileText(path(name))) << name;
  // Turning to read after a write finds the end of the file.
  ASSERT_EQ(connect(62, fio::Status::Old), fio::kOk);
  fio::readRecord(62, nullptr, 0);
  fio::writeRecord(62, &eight, 4);
  EXPECT_EQ(fio::readRecord(62, nullptr, 0), fio::kEnd);

  // A forked child shares the file and its position: when it ends, it leaves the file whole while
  // the parent reads it from the start.
  fio::rewind(62);
  for (Int k = 0; k < 2000; ++k) fio::writeRecord(62, &k, 4);
  fio::flush(62);
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    char go = 0;
    if (::read(ready[0], &go, 1) != 1) std::_Exit(1);
    std::exit(0);
  }
  fio::rewind(62);
  fio::readRecord(62, nullptr, 0);
  ASSERT_EQ(::write(ready[1], "x", 1), 1);
  int childStatus = 0;
  ::waitpid(child, &childStatus, 0);
  ::close(ready[0]), ::close(ready[1]);
  int records = 1;
  while (fio::readRecord(62, nullptr, 0) == fio::kOk) ++records;
  EXPECT_EQ(records, 2000);
}

// Random format texts and random record files: every call returns an IOSTAT and touches
// nothing outside its buffers (the sanitizer preset runs this too).
TEST_F(Units, RandomFormatsAndRecordFilesNeverCrash) {
  std::mt19937 random(12345);
  const std::string alphabet = "()0123456789,./:'\"AIFEDGXTLRPHBSZ -+*";
  const Int integers[3] = {1, -22, 333};
  const Real reals[3] = {1.5, -2.5e300, 0.0};
  char buffer[64];
  for (int trial = 0; trial < 20000; ++trial) {
    std::string text = "(";
    const int length = static_cast<int>(random() % 14);
    for (int k = 0; k < length; ++k) text.push_back(alphabet[random() % alphabet.size()]);
    if (random() % 4 != 0) text.push_back(')');
    const fio::Format& f = fio::format(text);
    int iostat = 0;
    fio::formatRecords(f, {fio::outArray(integers, 3), fio::outArray(reals, 3), "chars"}, &iostat);
    fio::writeInternal(buffer, sizeof buffer, f, {fio::outArray(reals, 2)});
    Int i = 0;
    Real r = 0;
    char c[5];
    fio::readInternal("12345 6.7e8 abc --+.e", 21, f, {fio::in(i), fio::in(r), fio::in(c, 5)});
  }
  for (int trial = 0; trial < 300; ++trial) {
    std::string bytes;
    const int size = static_cast<int>(random() % 40);
    for (int k = 0; k < size; ++k) bytes.push_back(static_cast<char>(random() % 8 == 0 ? random() % 256 : random() % 12));
    std::ofstream(path("random.bin"), std::ios::binary) << bytes;
    ASSERT_EQ(fio::open(52, request(path("random.bin"), fio::Status::Old, fio::Form::Unformatted)), fio::kOk);
    for (int k = 0; k < 4; ++k) {
      double item[2];
      std::string whole;
      const int status = k % 2 == 0 ? fio::readRecord(52, item, sizeof item) : fio::readWholeRecord(52, whole);
      EXPECT_TRUE(status == fio::kOk || status == fio::kEnd || status == fio::kReadFailed ||
                  status == fio::kRecordTooShort);
    }
    fio::close(52);
  }
}

}  // namespace
