// The printed echo of the step procedures of heat transfer, mass diffusion, thermal-electrical,
// steady-state transport, soils, coupled temperature-displacement, visco, modal dynamics and
// response spectrum steps.

#include <string>

#include "model/printers/print_support.h"
#include "model/printers/step_lines.h"
#include "runtime/record.h"
#include "siblings/eqc/eqc_job.h"
#include "zmx/storage/sets.h"
#include "zmx/model/printers.h"
#include "zmx/storage/records.h"

namespace {

using namespace zmx::steps;
using zmx::printing::pagin;
using zmx::printing::put;

constexpr Int kLongLabel = 80;

bool emissivityDefined() { return rec::i(CELFLG, zmx::element_flags::kEmissivity) != 0; }

struct HeatTitles {
  Int steadyCode;
  Int fixedCode;
  std::string_view steady;
  std::string_view transient;
};

// Heat transfer and thermal-electrical steps share their groups.
void heatLike(const HeatTitles& t, const Real* rec, const Int* n, const Int* kproc, const Int* istep,
              const Int* iprint) {
  const Int unit = printUnit(iprint);
  const Int N = *n;
  heading(*kproc == t.steadyCode ? t.steady : t.transient, istep, iprint);
  description(rec, iprint);
  if (*kproc == t.steadyCode) {
    automaticIncrements(at(rec, N), iprint);
    if (emissivityDefined()) {
      line(kIncrementControl, nullptr, iprint);
      line(kEmissivityChange, at(rec, N + 6), iprint, 1);
    }
    return;
  }
  if (*kproc == t.fixedCode) {
    fixedIncrements(at(rec, N), iprint);
  } else {
    automaticIncrements(at(rec, N), iprint);
    line(kIncrementControl, nullptr, iprint);
    line(kTemperatureChange, at(rec, N + 5), iprint, 1);
  }
  if (emissivityDefined()) {
    line(kIncrementControl, nullptr, iprint);
    line(kEmissivityChange, at(rec, N + 6), iprint, 1);
  }
  if (realAt(rec, N + 4) != 0.0) {
    put(unit,
        "(/,10X,'THE ANALYSIS WILL TERMINATE IF THE TEMPERATURE',/,10X,'CHANGE RATE IN AN INCREMENT IS LESS "
        "THAN',10X,1P,G12.3)",
        {realAt(rec, N + 4)});
    pagin(3, iprint);
  }
}

void creepOmitted(std::string_view format, const Int* iprint) {
  put(printUnit(iprint), format);
  pagin(2, iprint);
}

}  // namespace

extern "C" {

void HSTEPH(const Real* rec, const Int* n, const Int* kproc, const Int* istep, const Int* iprint) {
  heatLike({31, 32, "S T E A D Y   S T A T E   H E A T   T R A N S F E R",
            "T R A N S I E N T   H E A T   T R A N S F E R"},
           rec, n, kproc, istep, iprint);
}

void HSTEPCTE(const Real* rec, const Int* n, const Int* kproc, const Int* istep, const Int* iprint) {
  heatLike({75, 76, "S T E A D Y   S T A T E   T H E R M A L - E L E C T R I C A L",
            "T R A N S I E N T   T H E R M A L - E L E C T R I C A L"},
           rec, n, kproc, istep, iprint);
}

void HMDIF(const Real* rec, const Int* n, const Int* kproc, const Int* istep, const Int* iprint) {
  const Int N = *n;
  heading(*kproc == 34 ? "S T E A D Y   S T A T E   M A S S    D I F F U S I O N"
                       : "T R A N S I E N T   M A S S   D I F F U S I O N",
          istep, iprint);
  description(rec, iprint);
  if (*kproc == 34) {
    line(kFixedValues, at(rec, N), iprint, 2);
  } else if (*kproc == 35) {
    fixedIncrements(at(rec, N), iprint);
  } else {
    automaticIncrements(at(rec, N), iprint);
    line(kIncrementControl, nullptr, iprint);
    line(kConcentrationChange, at(rec, N + 5), iprint, 1);
  }
  if (realAt(rec, N + 4) != 0.0) {
    put(printUnit(iprint),
        "(/,10X,'THE ANALYSIS WILL TERMINATE IF THE NORMALIZED',/,10X,'CONCENTRATION CHANGE RATE IN AN INCREMENT "
        "IS',' LESS THAN',10X,1P,G12.3)",
        {realAt(rec, N + 4)});
    pagin(3, iprint);
  }
}

void HSTEPC(const Real* rec, const Int* n, const Int* unused1, const Int* unused2, const Int* istep,
            const Int* iprint) {
  (void)unused1;
  (void)unused2;
  const Int N = *n;
  heading("V I S C O   A N A L Y S I S", istep, iprint);
  description(rec, iprint);
  if (realAt(rec, N + 4) != zmx::printing::kNotGiven) {
    automaticIncrements(at(rec, N), iprint);
    line(kIncrementControl, nullptr, iprint);
    line(kCetol, at(rec, N + 4), iprint, 1);
  } else {
    fixedIncrements(at(rec, N), iprint);
  }
  if (integerAt(rec, N + 5) != 0) line(kExplicitIntegration, nullptr, iprint);
  stabilization(realAt(rec, N + 8), realAt(rec, N + 9), iprint);
}

void HSTPSL(const Real* rec, const Int* n, const Int* kproc, const Int* istep, const Int* iprint) {
  const Int N = *n;
  const Int unit = printUnit(iprint);
  const Int k = *kproc;
  heading(k <= 61   ? "G E O S T A T I C   S T R E S S   A N A L Y S I S"
          : k <= 63 ? "S T E A D Y   S T A T E   S O I L   A N A L Y S I S"
                    : "C O N S O L I D A T I O N   A N A L Y S I S",
          istep, iprint);
  description(rec, iprint);
  if (k == 62) fixedIncrements(at(rec, N), iprint);
  if (k == 63) automaticIncrements(at(rec, N), iprint);
  if (k >= 64) {
    if (k == 64) {
      fixedIncrements(at(rec, N), iprint);
    } else {
      put(unit, "(10X,'MAX. PORE PRESSURE CHANGE PERMITTED IN AN INC.',4X,1P,G12.3)", {realAt(rec, N + 5)});
      pagin(1, iprint);
      line(kAutomaticValues, at(rec, N), iprint, 4);
    }
    put(unit, "(/)");
    if (integerAt(rec, N + 7) == 0)
      creepOmitted("(/,10X,'CREEP, SWELLING, AND VISCOELASTIC EFFECTS ARE ','OMITTED IN THIS STEP')", iprint);
    else if (k == 65)
      line(kCetol, at(rec, N + 6), iprint, 1);
    if (realAt(rec, N + 4) != 0.0)
      put(unit,
          "(10X,'THE ANALYSIS WILL TERMINATE AT THE FINAL TIME ','SPECIFIED',/,10X,'OR WHEN THE RATE OF CHANGE OF "
          "PORE PRESSURE ','FALLS BELOW',1P,G12.3)",
          {realAt(rec, N + 4)});
    else
      put(unit, "(10X,'THE ANALYSIS WILL TERMINATE AT THE FINAL TIME ','SPECIFIED',/)");
    pagin(3, iprint);
  }
  stabilization(realAt(rec, N + 8), realAt(rec, N + 9), iprint);
}

void HSTPTD(const Real* rec, const Int* n, const Int* kproc, const Int* istep, const Int* iprint) {
  const Int N = *n;
  const Int k = *kproc;
  heading("C O U P L E D - T E M P E R A T U R E - D I S P L A C E M E N T   A N A L Y S I S", istep, iprint);
  description(rec, iprint);
  if (k == 71) {
    put(printUnit(iprint), "(/,10X,'STEADY STATE ANALYSIS')");
    pagin(2, iprint);
    description(rec, iprint);
    automaticIncrements(at(rec, N), iprint);
  } else if (k == 72) {
    fixedIncrements(at(rec, N), iprint);
  } else {
    automaticIncrements(at(rec, N), iprint);
  }
  if (integerAt(rec, N + 6) == 0) {
    creepOmitted("(/,10X,'CREEP AND SWELLING EFFECTS ARE OMITTED IN THIS ST','EP')", iprint);
    if (integerAt(rec, N + 7) != 0) line(kExplicitIntegration, nullptr, iprint);
  }
  if (k == 73) {
    line(kIncrementControl, nullptr, iprint);
    line(kTemperatureChange, at(rec, N + 4), iprint, 1);
    if (realAt(rec, N + 5) != zmx::printing::kNotGiven) line(kCetol, at(rec, N + 5), iprint, 1);
  }
  stabilization(realAt(rec, N + 8), realAt(rec, N + 9), iprint);
}

void HSSTRANS(const Real* rec, const Int* n, const Int* kproc, const Int* istep, const Int* iprint) {
  const Int N = *n;
  const Int unit = printUnit(iprint);
  heading("S T E A D Y   S T A T E   T R A N S P O R T   A N A L Y S I S", istep, iprint, 18);
  description(rec, iprint);
  if (*kproc == 86)
    fixedIncrements(at(rec, N), iprint);
  else
    automaticIncrements(at(rec, N), iprint);
  if (integerAt(rec, N + 4) == 1) {
    put(unit, kAcceptedAtLimit);
    pagin(2, iprint);
  }
  if (integerAt(rec, N + 5) != 0)
    put(unit, "(/,5X,'INERTIA EFFECTS ARE INCLUDED IN THIS STEP.')");
  else
    put(unit, "(/,5X,'INERTIA EFFECTS ARE IGNORED IN THIS STEP.')");
  switch (integerAt(rec, N + 7)) {
    case 1:
      put(unit,
          "(/,5X,'VISCOELASTIC MATERIAL EFFECTS ARE INCLUDED IN ','THIS STEP. THE VISCOUS ',/,5X,'STRESSES WILL BE "
          "','APPLIED INSTANTANEOUSLY AT THE BEGINNING OF THE STEP.',/,/)");
      break;
    case 2:
      put(unit,
          "(/,5X,'MATERIAL CONVECTION IN THE VISCOELASTIC MATERIAL IS',' IGNORED IN THIS STEP. ',/,5X,'THE FULLY "
          "RELAXED LONG-TERM SOLUTION WILL BE COMPUTED.',/,/)");
      break;
    case 3:
      put(unit,
          "(/,5X,'VISCOELASTIC MATERIAL EFFECTS ARE INCLUDED IN ','THIS STEP. THE VISCOUS ',/,5X,'STRESSES WILL BE "
          "','INCREASED LINEARLY, FROM THE VALUES AT THE BEGINNING ',/,5X,'OF THE STEP TO THE VALUES AT THE END OF "
          "THE STEP.',/,/)");
      break;
    default:
      break;
  }
  pagin(8, iprint);
}

void HMODYN(const Real* rec, const Int* n, const Int* istep, const Int* iprint) {
  const Int N = *n;
  heading("M O D A L   D Y N A M I C   A N A L Y S I S", istep, iprint);
  description(rec, iprint);
  fixedIncrements(at(rec, N), iprint);
  if (integerAt(rec, N + 2) == 1) {
    put(printUnit(iprint), "(/,10X,'INITIAL CONDITIONS WILL BE USED',/)");
    pagin(3, iprint);
  }
}

void HSPEC(const Real* rec, const Int* n, const Int* istep, const Int* iprint) {
  static constexpr std::string_view kModeSums[] = {"ABS     ", "SRSS    ", "TENP    ", "CQC     ", "NRL     "};
  const Int N = *n;
  const Int unit = printUnit(iprint);
  heading("R E S P O N S E   S P E C T R U M", istep, iprint);
  description(rec, iprint);
  const Int sum = integerAt(rec, N);
  const std::string_view modes = sum >= 2 && sum <= 5 ? kModeSums[sum - 1] : kModeSums[0];
  const std::string_view components = integerAt(rec, N + 1) == 2 ? "SRSS     " : "ALGEBRAIC";
  put(unit,
      "(/,/,24X,'MODES ARE ADDED ACCORDING TO    ',A4,/,24X,'COMPONENTS ADDED ACCORDING TO   ',A8,A1)",
      {modes, components.substr(0, 8), components.substr(8, 1)});
  pagin(4, iprint);
  for (Int direction = 0; direction < 3; ++direction) {
    const Int first = N + 5 + 5 * direction;
    const Real scale = realAt(rec, first + 4);
    if (scale == 0.0) continue;
    char name[kLongLabel];
    const Int coded = 8;
    Int moved = 0;
    ACODEC(at(rec, first), name, kLongLabel, &coded, &moved);
    const Int expand = 1;
    DBLABEL(&expand, name, kLongLabel);
    put(unit,
        "(/,5X,'NAME OF SPECTRUM         ',A80,/,5X,'DIRECTION OF EXCITATION  ',3(1P,G10.3),/,5X,'SCALE FACTOR     "
        "        ',1P,G10.3)",
        {std::string_view(name, kLongLabel), realAt(rec, first + 1), realAt(rec, first + 2),
         realAt(rec, first + 3), scale});
    pagin(4, iprint);
  }
}

}  // extern "C"
