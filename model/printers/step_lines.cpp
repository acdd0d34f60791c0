// The line printer that the step-procedure echoes share (HSTEPU, by line code) and the pieces of
// their common frame.

#include <string>

#include "model/printers/print_support.h"
#include "model/printers/step_lines.h"
#include "zmx/model/printers.h"

namespace zmx::steps {

namespace {

struct CodedLine {
  Int code;
  std::string_view format;
  int values;  // reals printed (the description is handled apart)
  Int lines;   // counted for paging after the line
};

constexpr CodedLine kLines[] = {
    {2, "(/,5X,'EXPLICIT TIME INTEGRATION WILL BE USED THROUGH',' THE ENTIRE STEP')", 0, 2},
    {3, "(/,10X,'LARGE DISPLACEMENT THEORY WILL BE USED')", 0, 2},
    {4, "(/,5X,'AUTOMATIC TIME CONTROL WITH -')", 0, 2},
    {5,
     "(10X,'A SUGGESTED INITIAL TIME INCREMENT OF',13X,1P,G12.3,/,10X,'AND A TOTAL TIME PERIOD OF',24X,1P,G12.3,/,"
     "10X,'THE MINIMUM TIME INCREMENT ALLOWED IS',13X,1P,G12.3,/,10X,'THE MAXIMUM TIME INCREMENT ALLOWED "
     "IS',13X,1P,G12.3)",
     4, 4},
    {6, "(/,10X,'FIXED TIME INCREMENTS')", 0, 2},
    {11, "(/,5X,'THE SIZE OF THE TIME INCREMENT IS CONTROLLED BY -')", 0, 2},
    {12, "(10X,'THE PARAMETER  CETOL',30X,1P,G12.3)", 1, 1},
    {13, "(10X,'THE TEMPERATURE CHANGE PER INCREMENT NOT EXCEEDING',8X,1P,G12.3)", 1, 1},
    {14, "(10X,'TIME INCREMENT IS',33X,1P,G12.3,/,10X,'TIME PERIOD IS',36X,G12.3)", 2, 2},
    {15, "(10X,'THE EMISSIVITY CHANGE PER INCREMENT NOT EXCEEDING',8X,1P,G12.3)", 1, 1},
    {17, "(10X,'THE NORMALIZED CONCENTRATION CHANGE PER INCREMENT ','NOT EXCEEDING',1P,G12.3)", 1, 1},
    {18, "(10X,'A TOTAL TIME PERIOD OF',24X,1P,G12.3)", 1, 1},
    {19, "(/,10X,'UNSYMMETRIC MATRIX STORAGE AND SOLUTION WILL ','BE USED')", 0, 1},
    {20, "(/,5X,'AUTOMATIC LOAD CONTROL WITH -')", 0, 2},
    {21,
     "(10X,'A SUGGESTED INITIAL LOAD PROPORTIONALITY FACTOR ','OF',1X,1P,G12.3,/,10X,'AND A TOTAL LOAD "
     "PROPORTIONALITY FACTOR OF',9X,1P,G12.3,/,10X,'THE MINIMUM ARC LENGTH INCREMENT ALLOWED IS',8X,1P,G12.3,/,"
     "10X,'THE MAXIMUM ARC LENGTH INCREMENT ALLOWED IS',8X,1P,G12.3)",
     4, 4},
    {22, "(/,10X,'FIXED ARC LENGTH INCREMENTS')", 0, 1},
    {23,
     "(10X,'ARC LENGTH INCREMENT IS',27X,1P,G12.3,/,10X,'TOTAL LOAD PROPORTIONALITY FACTOR IS',14X,G12.3)", 2, 2},
};

}  // namespace

Real realAt(const Real* rec, long long k) { return printing::realAt(rec, k); }
Int integerAt(const Real* rec, long long k) { return printing::integerAt(rec, k); }
Int printUnit(const Int* iprint) { return iprint[0]; }

void heading(std::string_view title, const Int* istep, const Int* iprint, int indent) {
  std::string format = "(/,/," + std::to_string(indent) + "X,'S T E P',3X,I5,5X,'";
  format.append(title).append("')");
  printing::put(printUnit(iprint), format, {*istep});
  printing::pagin(3, iprint);
}

void description(const Real* rec, const Int* iprint) { line(kDescription, at(rec, 6), iprint, 10); }

void line(Int code, const Real* values, const Int* iprint, Int nval) { HSTEPU(values, &nval, &code, iprint); }

void automaticIncrements(const Real* values, const Int* iprint) {
  line(kAutomaticTime, nullptr, iprint);
  line(kAutomaticValues, values, iprint, 4);
}

void fixedIncrements(const Real* values, const Int* iprint) {
  line(kFixedTime, nullptr, iprint);
  line(kFixedValues, values, iprint, 2);
}

void stabilization(Real intensity, Real factor, const Int* iprint) {
  if (intensity != 0.0) {
    printing::put(printUnit(iprint),
                  "(/,5X,'AUTOMATIC STABILIZATION WITH DISSIPATION ','INTENSITY = ',1P,G11.3)", {intensity});
  } else if (factor != 0.0) {
    printing::put(printUnit(iprint), "(/,5X,'AUTOMATIC STABILIZATION WITH DISSIPATION ','FACTOR = ',1P,G11.3)",
                  {factor});
  } else {
    return;
  }
  printing::pagin(2, iprint);
}

}  // namespace zmx::steps

extern "C" void HSTEPU(const Real* values, const Int* nval, const Int* code, const Int* iprint) {
  const Int unit = zmx::steps::printUnit(iprint);
  if (*code == zmx::steps::kDescription) {
    const Int pieces = *nval < 0 ? 0 : *nval;
    zmx::printing::put(unit, "(/,/,10X,10A8)",
                       {fio::outChars(reinterpret_cast<const char*>(values), static_cast<std::size_t>(pieces), 8)});
    zmx::printing::pagin(3, iprint);
    return;
  }
  for (const auto& coded : zmx::steps::kLines) {
    if (coded.code != *code) continue;
    switch (coded.values) {
      case 0:
        zmx::printing::put(unit, coded.format);
        break;
      case 1:
        zmx::printing::put(unit, coded.format, {values[0]});
        break;
      case 2:
        zmx::printing::put(unit, coded.format, {values[0], values[1]});
        break;
      default:
        zmx::printing::put(unit, coded.format, {values[0], values[1], values[2], values[3]});
        break;
    }
    zmx::printing::pagin(coded.lines, iprint);
    return;
  }
  zmx::printing::pagin(0, iprint);
}
