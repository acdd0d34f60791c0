#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "siblings/eqc/job_testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/run_testing.h"
#include "siblings/eqc/testing.h"
#include "siblings/inp/solver_part_map.h"
#include "siblings/utl/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/storage.h"

namespace {

class RunDefaults : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    eqc_job_testing::interceptExit(true);
    eqc_run_testing::clearJobCalls();
  }
};

std::string packed(const Int* words, int characters) {
  return std::string(reinterpret_cast<const char*>(words), static_cast<std::size_t>(characters));
}

TEST_F(RunDefaults, FixvalGivesTheRunItsDefaults) {
  eqc_run_testing::setClock("12-06-2026", "07:15:30");
  rec::i(CONTRO, 100) = 9;
  rec::i(COUNT, 20) = 9;
  rec::setR(COUNT, 11, 4.0);
  FIXVAL();
  EXPECT_EQ(rec::i(CPROG, 1), 1);
  EXPECT_EQ(rec::i(CLINES, 12), 5);
  EXPECT_EQ(rec::i(CLINES, 13), 6);
  EXPECT_EQ(rec::i(CLINES, 14), 7);
  EXPECT_EQ(rec::i(CBUFFA, 1), 1);
  EXPECT_EQ(rec::i(CONTRO, 100), 0);
  EXPECT_EQ(rec::i(CONTRO, 1), 1);
  EXPECT_EQ(rec::i(COUNT, 20), 0);
  EXPECT_EQ(rec::i(COUNT, 27), 1);
  EXPECT_EQ(rec::r(COUNT, 11), 1.0e36);
  EXPECT_EQ(rec::r(CAVRGK, 3), 1.0);
  EXPECT_EQ(rec::i(CODB, 3), -1);
  EXPECT_EQ(rec::i(CWORK, 26), 2);
  EXPECT_EQ(rec::i(CDFILE, 8), 1);
  EXPECT_EQ(rec::i(CSLES, 1), 59);
  EXPECT_EQ(rec::i(CDSINX, 281), 140);
  EXPECT_EQ(rec::i(CUSRFN, 2), 20);
  EXPECT_EQ(rec::chars(CHEAD, 1, 288), std::string(288, ' '));
  EXPECT_EQ(packed(&rec::i(CLINES, 3), 16), "06-DEC-2026     ");
  EXPECT_EQ(packed(&rec::i(CLINES, 7), 8), "07:15:30");
  EXPECT_EQ(packed(&rec::i(CLINES, 1), 8), "6.14-1  ");

  // A results program (kind 0) gets the message unit 6 from a later FIXCON.
  rec::i(CPROG, 1) = 0;
  FIXCON();
  EXPECT_EQ(rec::i(CLINES, 14), 6);
}

TEST_F(RunDefaults, FieldLabelsPairConjugatesWithFields) {
  FIXCON();
  EXPECT_EQ(rec::chars(CFLDLB, 1, 9), "FORCE    ");
  EXPECT_EQ(rec::chars(CFLDLB, 19, 9), "HEAT FLUX");
  EXPECT_EQ(rec::chars(CFLDLB, 73, 8), "DISP.   ");
  EXPECT_EQ(rec::chars(CFLDLB, 73 + 8, 8), "ROTATION");
  EXPECT_EQ(rec::chars(CFLDLB, 73 + 6 * 8, 8), rec::chars(CFLDLB, 73 + 7 * 8, 8));
  EXPECT_EQ(rec::chars(CFLDLB, 73 + 7 * 8, 8), "E. POT. ");
}

TEST_F(RunDefaults, DbinitFillsWithNaNOnlyWhenTheVersionAndTheEnvironmentAskForIt) {
  std::vector<double> a(5, 1.0);
  const Int n = 5;
  const std::string name = "DISPLACEMENTS";
  auto run = [&] {
    a.assign(5, 1.0);
    eqc_testing::clearMessages();
    DBINIT(a.data(), &n, name.data(), static_cast<Int>(name.size()));
  };
  eqc_run_testing::setRelease("6.0-DEV");
  FIXCON();
  setenv("KVX_PATTERN", "PATTERN", 1);
  run();
  for (double v : a) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    EXPECT_EQ(bits, 0x7FFFFFFF7FFFFFFFull);
  }
  EXPECT_EQ(eqc_testing::countAtLevel(1), 1);
  EXPECT_TRUE(eqc_testing::printed("DISPLACEMENTS"));
  EXPECT_TRUE(eqc_testing::printed("INITIALIZED TO"));

  setenv("KVX_PATTERN", "random", 1);
  run();
  EXPECT_EQ(a[0], 1.0);
  unsetenv("KVX_PATTERN");
  run();
  EXPECT_EQ(a[0], 1.0);
  setenv("KVX_PATTERN", "pattern", 1);
  eqc_run_testing::setRelease("6.14-1");
  FIXCON();
  run();
  EXPECT_EQ(a[0], 1.0);
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
  unsetenv("KVX_PATTERN");
}

TEST_F(RunDefaults, ExitClosesWhatEachKindOfProgramKeeps) {
  struct Case {
    Int kind;
    std::vector<std::vector<int>> adbCalls;
    std::vector<int> exits;
    Int odbFlagAfter;
  };
  const std::vector<Case> cases = {
      {-1, {{3, 0, 0}}, {0}, 1},
      {0, {{3, 0, 0}}, {0}, 1},
      {1, {}, {0}, 0},
      {2, {}, {0, 0}, 1},
      {3, {}, {0}, 1},
  };
  for (const Case& c : cases) {
    rec::i(CPROG, 1) = c.kind;
    rec::i(CNDEXS, 8707) = 1;
    const auto adbBefore = eqc_testing::adbAccessCalls().size();
    const auto exitsBefore = eqc_job_testing::exitCodes().size();
    eqc_run_testing::clearJobCalls();
    SHR_XIT();
    const auto adb = eqc_testing::adbAccessCalls();
    EXPECT_EQ(std::vector<std::vector<int>>(adb.begin() + static_cast<long>(adbBefore), adb.end()), c.adbCalls)
        << c.kind;
    const auto exits = eqc_job_testing::exitCodes();
    EXPECT_EQ(std::vector<int>(exits.begin() + static_cast<long>(exitsBefore), exits.end()), c.exits) << c.kind;
    EXPECT_EQ(eqc_run_testing::jobCalls(), (std::vector<std::string>{"XITMSG", "XITJOB"}));
    EXPECT_EQ(rec::i(CNDEXS, 8707), c.odbFlagAfter) << c.kind;
  }
  EXPECT_EQ(rec::i(CPROG, 1), 3);
  rec::i(CPROG, 1) = -1;
  SHR_XIT();
  EXPECT_EQ(rec::i(CPROG, 1), 0);
}

TEST_F(RunDefaults, ExplicitProgramEndsTheProcessAtItsExit) {
  eqc_job_testing::interceptExit(false);
  rec::i(CPROG, 1) = 2;
  EXPECT_EXIT(SHR_XIT(), ::testing::ExitedWithCode(0), "");
}

TEST_F(RunDefaults, SparseFlagFollowsTheVariablesExistence) {
  Int flag = -1;
  unsetenv("VTQ_USE_SPARSE_OPERATORS");
  EXPECT_EQ(SHR_GETSPARSEFLAG(&flag), 0);
  EXPECT_EQ(flag, 0);
  setenv("VTQ_USE_SPARSE_OPERATORS", "", 1);
  EXPECT_EQ(SHR_GETSPARSEFLAG(&flag), 1);
  EXPECT_EQ(flag, 1);
  unsetenv("VTQ_USE_SPARSE_OPERATORS");
  DBED();
}

TEST(WordCopies, WidthChangesInPlaceRoundTrip) {
  std::vector<std::int64_t> words = {1, -7, 123456789, 0, 42};
  for (auto& w : words) w &= 0xFFFFFFFF;  // integers in the low halves, high halves 0
  const auto original = words;
  const Int n = 5;
  ACOPEI(words.data(), &n);
  const auto* narrow = reinterpret_cast<const Int*>(words.data());
  EXPECT_EQ((std::vector<Int>(narrow, narrow + 5)), (std::vector<Int>{1, -7, 123456789, 0, 42}));
  ACOPIE(words.data(), &n);
  EXPECT_EQ(words, original);

  std::vector<std::int64_t> one = {0x0000000500000009LL, 0x0000000300000004LL};
  const Int single = 1;
  ACOPEI(one.data(), &single);
  EXPECT_EQ(one[0], 0x0000000500000009LL) << "only the first 4 bytes change (and stay the same)";
  one[0] = 0x0000000500000009LL;
  const Int none = 0;
  ACOPIE(one.data(), &none);
  EXPECT_EQ(one[0], 0x0000000500000009LL);
}

TEST(WordCopies, OverlapCopyMovesEightByteWords) {
  std::vector<double> a = {1, 2, 3, 4, 5};
  const Int four = 4;
  ACOPY1(a.data(), a.data() + 1, &four);
  EXPECT_EQ(a, (std::vector<double>{1, 1, 2, 3, 4}));
  ACOPY1(a.data() + 1, a.data(), &four);
  EXPECT_EQ(a, (std::vector<double>{1, 2, 3, 4, 4}));
}

TEST(WordCopies, DateAndTimeTexts) {
  Int date[4], time[2];
  eqc_run_testing::setClock("12-06-2026", "23:59:01");
  ADATIM(date, time);
  EXPECT_EQ(packed(date, 16), "06-DEC-2026     ");
  EXPECT_EQ(packed(time, 8), "23:59:01");
  eqc_run_testing::setClock("13-01-2027", "00:00:00");
  ADATIM(date, time);
  EXPECT_EQ(packed(date, 16), "01-" "???" "-2027     ");
  eqc_run_testing::setClock(" 1-31-2027", "00:00:00");
  ADATIM(date, time);
  EXPECT_EQ(packed(date, 16), "31-JAN-2027     ");
  eqc_run_testing::setClock("", "");
  ADATIM(date, time);
  EXPECT_NE(packed(date, 16).substr(3, 3), "???");
}

TEST_F(RunDefaults, PartMapsSwitchBetweenTheSubstructureAndTheJob) {
  utl_testing::setCommandLine("indir", "/models/input");
  inp_testing::clearPartMapCalls();
  const std::string name = "BRACKET     ";
  SHR_MAKEPRTMAPCURRENT(name.data(), static_cast<Int>(name.size()));
  SHR_CLOSENOSAVEPRTMAPCURRENT();
  SHR_MAKEGLOBALPRTMAPCURRENT();
  EXPECT_EQ(inp_testing::partMapCalls(),
            (std::vector<std::string>{"MakeCurrent /models/input/BRACKET.prt", "CloseNoSave", "MakeCurrent"}));
  rec::i(CNDEXS, 8707) = 1;
  SHR_CLOSESUBSTRODB();
  SHR_CLOSESUBSTRODB();
  EXPECT_EQ(rec::i(CNDEXS, 8707), 0);
  utl_testing::clearCommandLine();
}

}  // namespace
