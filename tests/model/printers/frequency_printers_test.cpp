// Random-response and steady-state dynamics echoes against gfortran, and the frequency bounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/control_records.h"
#include "siblings/eqc/page_control_testing.h"
#include "tests/model/printers/expected_lines.h"
#include "tests/support/host_fixture.h"
#include "zmx/model/printers.h"

namespace {

using namespace printers_test;

constexpr Int N = 20;
const Int kPrint[1] = {kUnit};

constexpr const char* kRangeHeader =
    "(10X,'FREQUENCY RANGE DEFINITIONS (CYCLES/TIME)',/,10X,9X,'LOW',9X,'HIGH',5X,'POINTS',9X,'BIAS',3X,'TYPE OF "
    "SCALING',/,/)";

// Two ranges (logarithmic and linear) and the points after them.
StepRecord frequencyRecord(int rangesAt, int ranges, const std::vector<double>& points) {
  StepRecord rec(120);
  rec.integer(rangesAt, ranges);
  for (int r = 0; r < ranges; ++r) {
    const int first = N + 5 + 5 * r;
    rec.real(first, 1.5 * (r + 1)).real(first + 1, 1000.0 * (r + 1)).integer(first + 2, 20 + r);
    rec.real(first + 3, 0.5 + r).integer(first + 4, r);
  }
  for (std::size_t k = 0; k < points.size(); ++k) rec.real(N + 5 + 5 * ranges + static_cast<int>(k), points[k]);
  return rec;
}

void ranges(Expected& e, const char* format, int count) {
  const char* scaling[2][2] = {{"LOGARITH", "MIC     "}, {"LINEAR  ", "        "}};
  for (int r = 0; r < count; ++r)
    e.put(format, {R(1.5 * (r + 1)), R(1000.0 * (r + 1)), I(20 + r), R(0.5 + r), C(scaling[r][0]), C(scaling[r][1])});
}

// The random-response echo up to its range header: step line, description, variance method.
Expected randomResponseHead(const StepRecord& rec, int step) {
  Expected e;
  e.put("(/,/,24X,'S T E P',3X,I5,5X,'R A N D O M    R E S P O N S E   A N A L Y S I S         ')", {I(step)});
  e.description(rec);
  e.put("(10X,'THE VARIANCE WILL BE COMPUTED NUMERICALLY  ')").put(kRangeHeader);
  return e;
}

// A titled list of frequency points, five to a line.
void pointLines(Expected& e, const char* title, const std::vector<double>& points) {
  e.put(title);
  std::vector<Item> values;
  for (double p : points) values.push_back(R(p));
  e.put("(10X,5(1P,G12.3))", values);
}

class FrequencyPrinters : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    startPrinting();
  }
};

TEST_F(FrequencyPrinters, RandomResponseWithRangesAndAdditionalPoints) {
  const std::vector<double> points = {3.0, 7.5, 11.0, 250.0, 1.0e4, 2.0e-3, 42.0};
  StepRecord rec = frequencyRecord(N + 1, 2, points);
  rec.integer(N + 2, static_cast<int>(points.size()));
  Int istep = 6;
  HRRES(rec.ints(), rec.data(), &N, &istep, kPrint);
  Expected e = randomResponseHead(rec, 6);
  ranges(e, "(18X,2(1P,G10.3),I6,5X,1P,G13.3,2X,2A8)", 2);
  pointLines(e, "(/,/,10X,'ADDITIONAL POINTS',/)", points);
  EXPECT_EQ(printedText(), e.text());
  // The points are counted nine to a line, plus two.
  EXPECT_EQ(eqc_page_testing::paginCounts(), (std::vector<int>{3, 3, 1, 4, 2, 2}));
}

TEST_F(FrequencyPrinters, AScalingCodeWithoutANameLeavesItsColumnsBlank) {
  StepRecord rec = frequencyRecord(N + 1, 1, {});
  rec.integer(N + 5 + 4, 7);
  Int istep = 2;
  HRRES(rec.ints(), rec.data(), &N, &istep, kPrint);
  Expected e = randomResponseHead(rec, 2);
  e.put("(18X,2(1P,G10.3),I6,5X,1P,G13.3,2X,2A8)",
        {R(1.5), R(1000.0), I(20), R(0.5), C("        "), C("        ")});
  EXPECT_EQ(printedText(), e.text());
}

TEST_F(FrequencyPrinters, SteadyStateDynamicsStoresTheMethodAndPrintsSinglePoints) {
  const std::vector<double> points = {5.0, 6.0, 8.0, 13.0, 21.0, 34.0};
  StepRecord rec = frequencyRecord(N + 2, 2, points);
  rec.integer(N + 1, 3).integer(N + 3, static_cast<int>(points.size()));
  rec.integer(N + 5 + 10 + static_cast<int>(points.size()), 1);
  Int istep = 8;
  HSSRES(rec.ints(), rec.data(), &N, &istep, kPrint);
  EXPECT_EQ(rec::i(CPROD, 19), 3);
  Expected e;
  e.put("(/,/,24X,'S T E P',3X,I5,5X,'S T E A D Y   S T A T E   A N A L Y S I S                ')", {I(8)});
  e.description(rec);
  e.put("(10X,'SUBSPACE CALCULATION WITH REAL MATRICES ONLY',/)").put(kRangeHeader);
  ranges(e, "(10X,2(1P,G13.3),I9,4X,1P,G13.3,2X,2A8)", 2);
  e.put("(10X,'INTERVAL WILL BE DIVIDED FIRST USING ',/,/,'EIGENFREQUENCIES.',/)");
  pointLines(e, "(/,/,10X,'SINGLE FREQUENCY POINTS',/)", points);
  EXPECT_EQ(printedText(), e.text());
  EXPECT_EQ(eqc_page_testing::paginCounts(), (std::vector<int>{3, 3, 2, 2, 2, 2, 4, 1}));

  // Without ranges or points only the method (5: not printed) is left, and FREQBOUND keeps its
  // start values; with them it spans the ranges and the points.
  Real low = 0.0, high = 0.0;
  FREQBOUND(&N, rec.ints(), rec.data(), &low, &high);
  EXPECT_EQ(low, 1.5);
  EXPECT_EQ(high, 2000.0);
  StepRecord empty(120);
  empty.integer(N + 1, 5);
  startPrinting();
  HSSRES(empty.ints(), empty.data(), &N, &istep, kPrint);
  EXPECT_EQ(rec::i(CPROD, 19), 5);
  EXPECT_EQ(eqc_page_testing::paginCounts(), (std::vector<int>{3, 3}));
  FREQBOUND(&N, empty.ints(), empty.data(), &low, &high);
  EXPECT_EQ(low, 1.0e36);
  EXPECT_EQ(high, -1.0e36);
}

TEST_F(FrequencyPrinters, NegativeCountsInTheRecordReadNothingBeforeOrBeyondIt) {
  // A record whose counts are damaged: nothing is read before the ranges or past the record.
  for (Int rangesWord : {N + 1, N + 2}) {
    StepRecord rec = frequencyRecord(rangesWord, 0, {});
    rec.integer(rangesWord, -1000000).integer(N + 2, rangesWord == N + 1 ? 0 : -1000000);
    rec.integer(N + 3, -7);
    Int istep = 2;
    HRRES(rec.ints(), rec.data(), &N, &istep, kPrint);
    HSSRES(rec.ints(), rec.data(), &N, &istep, kPrint);
    Real low = 0.0, high = 0.0;
    FREQBOUND(&N, rec.ints(), rec.data(), &low, &high);
    EXPECT_EQ(low, 1.0e36);
    EXPECT_EQ(high, -1.0e36);
  }
}

TEST(FrequencyBounds, SinglePointsBeyondTheRangesWiden) {
  StepRecord rec = frequencyRecord(N + 2, 1, {0.25, 5000.0});
  rec.integer(N + 3, 2);
  Real low = 0.0, high = 0.0;
  FREQBOUND(&N, rec.ints(), rec.data(), &low, &high);
  EXPECT_EQ(low, 0.25);
  EXPECT_EQ(high, 5000.0);
}

}  // namespace
