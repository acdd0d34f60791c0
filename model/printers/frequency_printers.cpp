// Frequency-domain steps: the echo of random-response and steady-state dynamics steps and the
// bounds of a step's frequency points. The record holds NR ranges of five slots from slot N+5
// (low, high, points, bias, scaling code), then the single points or additional points.

#include <algorithm>
#include <string_view>

#include "model/printers/print_support.h"
#include "model/printers/step_lines.h"
#include "runtime/record.h"
#include "siblings/eqc/control_records.h"
#include "zmx/model/printers.h"

namespace {

using namespace zmx::steps;
using zmx::printing::pagin;
using zmx::printing::put;

constexpr long long kRangeSlots = 5;  // positions are worked in 64 bits: counts come from the record
constexpr int kSolutionMethodWord = 19;  // CPROD

std::string_view scalingName(Int code) {
  if (code == 0) return "LOGARITHMIC     ";
  if (code == 1) return "LINEAR          ";
  return "                ";
}

void ranges(std::string_view rowFormat, const Real* rec, long long N, Int count, const Int* iprint) {
  for (Int r = 0; r < count; ++r) {
    const long long first = N + 5 + kRangeSlots * r;
    const std::string_view scaling = scalingName(integerAt(rec, first + 4));
    put(printUnit(iprint), rowFormat,
        {realAt(rec, first), realAt(rec, first + 1), integerAt(rec, first + 2), realAt(rec, first + 3),
         scaling.substr(0, 8), scaling.substr(8, 8)});
  }
  pagin(count, iprint);
}

// Where the points stand after nr ranges. Counts come from the record: a negative one forms no
// position before the ranges and no list of wrapped size.
long long pointsFrom(long long N, Int nr) { return N + 5 + kRangeSlots * std::max(nr, Int{0}); }

// The count reals from slot first, five a line.
void points(const Real* rec, long long first, Int count, const Int* iprint) {
  put(printUnit(iprint), "(10X,5(1P,G12.3))",
      {fio::outArray(at(rec, first), static_cast<std::size_t>(std::max(count, Int{0})))});
}

}  // namespace

extern "C" {

void HRRES(const Int* irec, const Real* rec, const Int* n, const Int* istep, const Int* iprint) {
  (void)irec;
  const long long N = *n;
  const Int unit = printUnit(iprint);
  heading("R A N D O M    R E S P O N S E   A N A L Y S I S         ", istep, iprint);
  description(rec, iprint);
  put(unit, "(10X,'THE VARIANCE WILL BE COMPUTED NUMERICALLY  ')");
  pagin(1, iprint);
  put(unit, kFrequencyRangeHeader);
  pagin(4, iprint);
  const Int nr = integerAt(rec, N + 1);
  ranges("(18X,2(1P,G10.3),I6,5X,1P,G13.3,2X,2A8)", rec, N, nr, iprint);
  const Int na = integerAt(rec, N + 2);
  if (na > 0) {
    put(unit, "(/,/,10X,'ADDITIONAL POINTS',/)");
    points(rec, pointsFrom(N, nr), na, iprint);
    pagin((na - 1) / 9 + 2, iprint);
  }
}

void HSSRES(const Int* irec, const Real* rec, const Int* n, const Int* istep, const Int* iprint) {
  (void)irec;
  static constexpr std::string_view kMethods[] = {
      "(10X,'DIRECT CALCULATION WITH REAL MATRICES ONLY',/)", "(10X,'DIRECT CALCULATION WITH COMPLEX MATRICES',/)",
      "(10X,'SUBSPACE CALCULATION WITH REAL MATRICES ONLY',/)",
      "(10X,'SUBSPACE CALCULATION WITH COMPLEX MATRICES',/)"};
  const long long N = *n;
  const Int unit = printUnit(iprint);
  heading("S T E A D Y   S T A T E   A N A L Y S I S                ", istep, iprint);
  description(rec, iprint);
  const Int method = integerAt(rec, N + 1);
  rec::i(CPROD, kSolutionMethodWord) = method;
  if (method >= 1 && method <= 4) {
    put(unit, kMethods[method - 1]);
    pagin(2, iprint);
  }
  const Int nr = integerAt(rec, N + 2);
  if (nr != 0) {
    put(unit, kFrequencyRangeHeader);
    pagin(2, iprint);
    ranges("(10X,2(1P,G13.3),I9,4X,1P,G13.3,2X,2A8)", rec, N, nr, iprint);
  }
  const Int ns = integerAt(rec, N + 3);
  if (integerAt(rec, pointsFrom(N, nr) + std::max(ns, Int{0})) == 1) {
    put(unit, "(10X,'INTERVAL WILL BE DIVIDED FIRST USING ',/,/,'EIGENFREQUENCIES.',/)");
    pagin(2, iprint);
  }
  if (ns != 0) {
    put(unit, "(/,/,10X,'SINGLE FREQUENCY POINTS',/)");
    pagin(4, iprint);
    points(rec, pointsFrom(N, nr), ns, iprint);
    pagin((ns - 1) / 9 + 1, iprint);
  }
}

void FREQBOUND(const Int* n, const Int* irec, const Real* rec, Real* flow, Real* fhigh) {
  (void)irec;
  const long long N = *n;
  *flow = 1.0e36;
  *fhigh = -1.0e36;
  const Int nr = integerAt(rec, N + 2);
  const Int ns = integerAt(rec, N + 3);
  for (Int r = 0; r < nr; ++r) {
    const long long first = N + 5 + kRangeSlots * r;
    *flow = std::min(*flow, realAt(rec, first));
    *fhigh = std::max(*fhigh, realAt(rec, first + 1));
  }
  for (Int s = 0; s < ns; ++s) {
    const Real point = realAt(rec, pointsFrom(N, nr) + s);
    *flow = std::min(*flow, point);
    *fhigh = std::max(*fhigh, point);
  }
}

}  // extern "C"
