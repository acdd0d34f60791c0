// The debug dump: target selection by DWTO and the writers' lines, compared with gfortran.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/fortran_chars.h"
#include "runtime/record.h"
#include "runtime/units.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/storage.h"

namespace {

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void dwto(const std::string& name) { DWTO(name.data(), static_cast<Int>(name.size())); }

std::string storedName() { return std::string(fchar::trimmed(rec::chars(CDWFIL, 9, 255))); }

class DebugDump : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    folder_ = zmxtest::scratchFolder("debug_dump_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    rec::setChars(CJBPAR, 1, 256, "job");
    rec::setChars(CJBPAR, 1537, 256, folder_ + "/");
    rec::i(CPROG, 1) = 0;
    rec::i(CLINES, eqc_records::kPrintUnit) = 6;
    rec::i(CLINES, eqc_records::kMessageUnit) = 7;
  }
  void TearDown() override {
    fio::close(201);
    rec::clear(CDWFIL);
    rec::clear(CJBPAR);
    rec::clear(CPROG);
    rec::clear(CLINES);
    HostFixture::TearDown();
  }
  std::string folder_;
};

TEST_F(DebugDump, TargetSelectionByName) {
  dwto("off      ");
  EXPECT_EQ(rec::i(CDWFIL, 1), -1);
  dwto("   ");
  EXPECT_EQ(rec::i(CDWFIL, 1), 6);
  EXPECT_EQ(rec::i(CDWFIL, 2), 100000);
  dwto(".dat");
  EXPECT_EQ(rec::i(CDWFIL, 1), 6);
  dwto(".log");
  EXPECT_EQ(rec::i(CDWFIL, 1), 0);
  // ".msg" is the message unit only in the pre-processor; elsewhere it names a file.
  dwto(".msg");
  EXPECT_EQ(rec::i(CDWFIL, 1), 201);
  EXPECT_EQ(storedName(), folder_ + "/job.msg");
  rec::i(CPROG, 1) = 1;
  dwto(".msg");
  EXPECT_EQ(rec::i(CDWFIL, 1), 7);
  dwto(" ");
  EXPECT_EQ(rec::i(CDWFIL, 1), 7);
  EXPECT_EQ(storedName(), "");
  rec::i(CPROG, 1) = 2;
  dwto(" ");
  EXPECT_EQ(rec::i(CDWFIL, 1), -1);
  // The same letters in upper case name a file.
  dwto("OFF");
  EXPECT_EQ(rec::i(CDWFIL, 1), 201);
  EXPECT_EQ(storedName(), folder_ + "/OFF");
}

TEST_F(DebugDump, ReplaceAppendAndOwnPath) {
  const std::string file = folder_ + "/job.dbg";
  std::ofstream(file) << "old line\n";
  dwto(">.dbg");
  DWCH(" first", 6);
  EXPECT_EQ(fileText(file), "  first\n");
  dwto(".dbg");  // same name, unit still open: goes on where it stopped
  DWCH(" second", 7);
  EXPECT_EQ(fileText(file), "  first\n  second\n");
  dwto("off");
  DWCH(" hidden", 7);
  dwto(" ");  // the default blanks the name but leaves unit 201 connected
  EXPECT_TRUE(fio::isOpen(201));
  dwto(".dbg");  // closes and reopens the file, appending
  DWCH(" third", 6);
  EXPECT_EQ(fileText(file), "  first\n  second\n  third\n");
  const std::string own = folder_ + "/sub/own.txt";
  std::filesystem::create_directories(folder_ + "/sub");
  dwto(own);
  EXPECT_EQ(storedName(), own);
  DWCH(" elsewhere", 10);
  EXPECT_EQ(fileText(own), "  elsewhere\n");
  EXPECT_FALSE(fio::isOpen(201) && fio::inquireUnit(201).name == file);
}

TEST_F(DebugDump, OverlongNameIsReportedAndSwitchesOff) {
  char result[255];
  const std::string base(250, 'b');
  DWMKNAME(result, 255, base.data(), 250, "/dir/", 5, ".ext", 4);
  EXPECT_TRUE(eqc_testing::printed("FILE NAMES CANNOT BE LONGER THAN 255 CHARACTERS"));
  EXPECT_EQ(std::string(result, 255), std::string(255, ' '));
  dwto(std::string(300, 'x'));
  EXPECT_EQ(rec::i(CDWFIL, 1), -1);
}

TEST_F(DebugDump, WritersMatchGfortran) {
  const std::string reference = folder_ + "/reference.txt";
  ASSERT_EQ(std::system((std::string(DUMP_REFERENCE) + " " + reference).c_str()), 0);
  dwto(">mine.txt");
  const Int three = 3, minusFour = -4;
  DW2I("pair", 4, &three, &minusFour);
  const Real a = 1.5, b = -2.25e-3;
  DW2R(" two reals", 10, &a, &b);
  DWCH(" ++ dumping sldb ", 17);
  Int ia[6] = {1, 2, 3, 4, 5, 6};
  const Int two = 2, one = 1, fifteen = 15, twelve = 12, nine = 9, twentyFive = 25;
  DWAI("imat", 4, ia, &two, &three);
  Int row[15];
  for (int k = 0; k < 15; ++k) row[k] = 11 * (k + 1);
  DWAI("long row", 8, row, &one, &fifteen);
  Real ra[24];
  for (int k = 0; k < 24; ++k) ra[k] = 1.5 * (k + 1);
  DWAR("rmat", 4, ra, &two, &twelve);
  Int it[6];
  for (int k = 0; k < 6; ++k) it[k] = k + 1 - 3;
  DWTAI("tlabel", 6, it, &three, &two);
  Real rt[12];
  for (int k = 0; k < 12; ++k) rt[k] = -0.25 * (k + 1);
  DWTAR("trmat", 5, rt, &twelve, &one);
  Int iv[25];
  for (int k = 0; k < 25; ++k) iv[k] = (k + 1) * (k + 1);
  DWVI("vec", 3, iv, &twentyFive);
  Real rv[9];
  for (int k = 0; k < 9; ++k) rv[k] = 1.0 / (k + 1);
  DWVR("rvec", 4, rv, &nine);
  EXPECT_EQ(fileText(folder_ + "/mine.txt"), fileText(reference));
}

TEST_F(DebugDump, WordDumpShowsRealsIntegersAndText) {
  char text[64];
  int length = 0;
  double tiny = 0;
  const int seven[2] = {7, 0};
  std::memcpy(&tiny, seven, 8);
  dwgp(&tiny, seven, reinterpret_cast<const char*>(seven), text, &length);
  EXPECT_EQ(std::string(text), "       <                 7,          0           ");
  EXPECT_EQ(length, static_cast<int>(std::strlen(text)));
  const char letters[9] = "ABCDEFGH";
  double asReal = 0;
  int asIntegers[2];
  std::memcpy(&asReal, letters, 8);
  std::memcpy(asIntegers, letters, 8);
  dwgp(&asReal, asIntegers, letters, text, &length);
  EXPECT_NE(std::string(text).find("[ABCDEFGH]"), std::string::npos);
  EXPECT_NE(std::string(text).find(std::to_string(asIntegers[0]) + ","), std::string::npos);
  const double zero = 0.0;
  const int zeros[2] = {0, 0};
  dwgp(&zero, zeros, reinterpret_cast<const char*>(zeros), text, &length);
  EXPECT_EQ(std::string(text).substr(0, 14), "       0.     ");
  const double nan = std::nan("");
  int nanWords[2];
  std::memcpy(nanWords, &nan, 8);
  dwgp(&nan, nanWords, reinterpret_cast<const char*>(nanWords), text, &length);
  EXPECT_EQ(std::string(text).substr(0, 14), "       *      ");
  // A real of the ordinary range keeps its %12g text.
  const double plain = -1.5;
  int plainWords[2];
  std::memcpy(plainWords, &plain, 8);
  dwgp(&plain, plainWords, reinterpret_cast<const char*>(plainWords), text, &length);
  EXPECT_EQ(std::string(text).substr(0, 14), "          -1.5");
}

TEST_F(DebugDump, WordDumpWarnsAboveTheLimitAndWrapsPositions) {
  dwto(" ");
  dwto(">words.txt");
  std::vector<double> words(100001, 0.0);
  const Int n = 100001;
  DWGN("big", 3, words.data(), &n);
  const std::string text = fileText(folder_ + "/words.txt");
  EXPECT_EQ(text.substr(0, text.find('\n')), "Dump of big to position *****");
  EXPECT_NE(text.find(" dwgn: error: len=  100001 > max =  100000\n"), std::string::npos);
  EXPECT_NE(text.find(" (9999) "), std::string::npos);
  EXPECT_NE(text.find(" (   0) "), std::string::npos);  // position 10000
  EXPECT_NE(text.find(" (   1) "), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 1), "\n");
  std::size_t lines = 0;
  for (char c : text) lines += c == '\n';
  EXPECT_EQ(lines, 1u + 1u + 100001u + 1u);
}

TEST_F(DebugDump, SlideLineDatabaseWalksEveryRecordByVolume) {
  eqc_testing::setSlideLineStore({});
  const int first = eqc_testing::appendSlideLineRecord({5, 6});
  const int second = eqc_testing::appendSlideLineRecord({9});
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 4);
  rec::clear(CSLV);
  for (int j = 1; j <= 15; ++j) rec::i(CSLV, j) = j == 1 ? 1 : 4;
  rec::i(CSLV, 16) = 6;
  rec::i(CSLEF, 1) = 3;
  rec::i(CSLEF, 2) = 11;
  rec::i(CSLEF, 3) = 12;
  dwto(">sldb.txt");
  double buffer[16];
  DWSLDB(buffer);
  const std::string text = fileText(folder_ + "/sldb.txt");
  EXPECT_EQ(text.substr(0, 19), "  ++ dumping sldb \n");
  EXPECT_NE(text.find("Common block cslef: iesol.. to position     2\n(  1)    11    12\n"), std::string::npos);
  EXPECT_NE(text.find(" ------------- VOLUME            1           1\n"), std::string::npos);
  EXPECT_NE(text.find(" ------------- VOLUME           15          15\n"), std::string::npos);
  EXPECT_NE(text.find("  Address, vol            4          15\n"), std::string::npos);
  EXPECT_NE(text.find("Dump of  dbsl record:  to position     2\n"), std::string::npos);
  EXPECT_FALSE(eqc_testing::printed("LIMIT EXCEEDED"));
  rec::clear(CSLV);
  rec::clear(CSLEF);
}

TEST_F(DebugDump, NothingIsWrittenWhenOff) {
  dwto(">quiet.txt");
  dwto("off");
  const Int one = 1;
  DW2I("x", 1, &one, &one);
  DWCH("x", 1);
  EXPECT_EQ(fileText(folder_ + "/quiet.txt"), "");
}

}  // namespace

#include "siblings/dm2/testing.h"

namespace {

TEST_F(DebugDump, CodedNodeListGoesToTheUnitGiven) {
  dm2_testing::resetModel();
  std::vector<Int> index{0};  // offset 0 is not a node
  for (Int k = 1; k <= 12; ++k) {
    dm2_testing::Node node;
    node.userNumber = 1000 + k;
    index.push_back(dm2_testing::addNode(node));
  }
  std::vector<Int> codes, values;
  for (Int k = 1; k <= 12; ++k) {
    codes.push_back(100 * k + (k % 6) + 1);
    values.push_back(-k);
  }
  ASSERT_EQ(fio::openMemory(38), fio::kOk);
  const Int n = 12, unit = 38, database = dm2_testing::nodeDatabase();
  rec::i(CDWFIL, 1) = -1;  // the dump target does not matter here
  DWENICS(codes.data(), values.data(), &n, &unit, &database, index.data());
  const std::string text = fio::memoryText(38);
  std::string expected = " NODE/DF";
  for (Int k = 1; k <= 10; ++k) {
    char pair[16];
    std::snprintf(pair, sizeof pair, "%9d/%2d", 1000 + k, (k % 6) + 1);
    expected += pair;
  }
  expected += "\n NODE/DF     1011/ 6     1012/ 1\n NICNAME";
  for (Int k = 1; k <= 10; ++k) {
    char value[16];
    std::snprintf(value, sizeof value, "%12d", -k);
    expected += value;
  }
  expected += "\n NICNAME         -11         -12\n";
  EXPECT_EQ(text, expected);
  fio::close(38);
  dm2_testing::resetModel();
}

}  // namespace

namespace {

// A record whose length word is 0 would hold the walk in place for ten million records; the walk
// stops at once with the limit message instead.
TEST_F(DebugDump, DamagedSlideLineRecordStopsTheWalk) {
  eqc_testing::setSlideLineStore({eqc_testing::integerSlot(2), eqc_testing::integerSlot(7),
                                  eqc_testing::integerSlot(0), eqc_testing::integerSlot(0)});
  rec::clear(CSLV);
  for (int j = 1; j <= 15; ++j) rec::i(CSLV, j) = 1;
  rec::i(CSLV, 16) = 5;
  dwto(">damaged.txt");
  double buffer[8];
  DWSLDB(buffer);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN STEP - LOOP 400 LIMIT EXCEEDED"));
  const std::string text = fileText(folder_ + "/damaged.txt");
  EXPECT_NE(text.find("  Address, vol            3          15\n"), std::string::npos);
  EXPECT_EQ(text.find("  Address, vol            4"), std::string::npos);
  rec::clear(CSLV);
}

}  // namespace
