#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
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

// Every word FIXVAL writes, checked against records that held a sentinel before the call: the
// listed words get their defaults and every other word keeps the sentinel. The record's own
// contents come back when the check is done, for the tests that follow.
template <class R>
class Expected {
 public:
  explicit Expected(R& live) : live_(live), saved_(live) {
    std::memset(live_.w, kSentinel, sizeof live_.w);
    want_ = live_;
  }
  ~Expected() { live_ = saved_; }
  Expected(const Expected&) = delete;
  Expected& operator=(const Expected&) = delete;
  Expected& ints(int first, int last, Int value) {
    for (int k = first; k <= last; ++k) rec::i(want_, k) = value;
    return *this;
  }
  Expected& real(int first, Real value) {
    rec::setR(want_, first, value);
    return *this;
  }
  Expected& text(int first, std::string_view chars) {
    rec::setChars(want_, first, static_cast<int>(chars.size()), chars);
    return *this;
  }
  void check(const char* name) const {
    for (std::size_t k = 0; k < std::size(live_.w); ++k)
      EXPECT_EQ(live_.w[k], want_.w[k]) << name << " word " << k + 1;
  }

 private:
  static constexpr int kSentinel = 0x5A;
  R& live_;
  const R saved_;
  R want_;
};

TEST_F(RunDefaults, FixvalWritesExactlyItsWords) {
  eqc_run_testing::setClock("12-06-2026", "07:15:30");
  eqc_run_testing::setRelease("6.14-1");
  Expected prog(CPROG);
  Expected lines(CLINES);
  Expected labels(CFLDLB);
  Expected warn(CWARN);
  Expected sles(CSLES);
  Expected sinx(CDSINX);
  Expected smnx(CDSMNX);
  Expected slns(CSLNS);
  Expected usrfn(CUSRFN);
  Expected usrfi(CUSRFI);
  Expected buffa(CBUFFA);
  Expected head(CHEAD);
  Expected contro(CONTRO);
  Expected error(CERROR);
  Expected odb(CODB);
  Expected work(CWORK);
  Expected avrgk(CAVRGK);
  Expected count(COUNT);
  Expected dyn(CDYN);
  Expected negy(CENEGY);
  Expected dfile(CDFILE);
  FIXVAL();

  prog.ints(1, 1, 1);
  lines.text(1, "6.14-1  ").text(9, "06-DEC-2026     07:15:30").ints(11, 11, 0).ints(12, 12, 5).ints(13, 13, 6)
      .ints(14, 14, 7).ints(16, 17, 0).ints(19, 19, 0);
  const char* conjugates[] = {"FORCE", "MOMENT", "HEAT FLUX", "VOL. FLUX", "MASS FLUX", "CAV. VOL.", "CURRENT",
                              "CHARGE"};
  const char* fields[] = {"DISP.", "ROTATION", "TEMP.", "P.PRESS.", "CONCENT.", "H.PRESS.", "E. POT.", "E. POT."};
  for (int k = 0; k < 8; ++k) {
    labels.text(1 + 9 * k, (std::string(conjugates[k]) + "         ").substr(0, 9));
    labels.text(73 + 8 * k, (std::string(fields[k]) + "        ").substr(0, 8));
  }
  warn.ints(1, 2, 0);
  sles.ints(1, 1, 59);
  sinx.ints(281, 281, 140);
  smnx.ints(1, 1, 6).ints(6, 6, 350);
  slns.ints(1, 1, 22);
  usrfn.ints(1, 1, 0).ints(2, 2, 20).ints(3, 22, 0);
  usrfi.text(1, std::string(20 * 80, ' '));
  buffa.ints(1, 1, 1).ints(2, 33, 0);
  head.text(1, std::string(288, ' '));
  contro.ints(1, 134, 0).ints(1, 1, 1);
  for (int k = 7; k <= 27; k += 2) error.real(k, 0.0);
  error.real(31, 0.0).real(37, 0.0).real(47, 0.0);
  odb.ints(1, 2, 0).ints(3, 3, -1);
  work.ints(26, 26, 2).ints(27, 28, 0);
  avrgk.real(1, 1.0).real(3, 1.0).ints(5, 6, 1);
  count.ints(1, 1, 0).ints(3, 3, 0).ints(19, 24, 0).ints(27, 27, 1);
  for (int k : {47, 48, 49, 50, 51, 84, 88, 89}) count.ints(k, k, 0);
  for (int k = 5; k <= 15; k += 2) count.real(k, 0.0);
  count.real(17, 0.0).real(29, 0.0).real(11, 1.0e36);
  for (int k = 1; k <= 77; k += 2) dyn.real(k, 0.0);
  dyn.ints(71, 86, 0);
  for (int k : {1, 17, 43, 45, 47}) negy.real(k, 0.0);
  dfile.ints(8, 8, 1);

  prog.check("CPROG");
  lines.check("CLINES");
  labels.check("CFLDLB");
  warn.check("CWARN");
  sles.check("CSLES");
  sinx.check("CDSINX");
  smnx.check("CDSMNX");
  slns.check("CSLNS");
  usrfn.check("CUSRFN");
  usrfi.check("CUSRFI");
  buffa.check("CBUFFA");
  head.check("CHEAD");
  contro.check("CONTRO");
  error.check("CERROR");
  odb.check("CODB");
  work.check("CWORK");
  avrgk.check("CAVRGK");
  count.check("COUNT");
  dyn.check("CDYN");
  negy.check("CENEGY");
  dfile.check("CDFILE");
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
  eqc_run_testing::setClock("1 -31-2027", "00:00:00");  // blanks of an (I2) field are ignored
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
