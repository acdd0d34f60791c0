// The printed echo of dynamics and eigenvalue steps and of a step's restart, output and control
// settings; these read the characteristic element length and the cyclic-symmetry sector count
// that the element geometry leaves in CPHCON.

#include <cstring>
#include <string_view>
#include <vector>

#include "model/printers/print_support.h"
#include "model/printers/step_lines.h"
#include "model/support/model_report.h"
#include "runtime/record.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/control_records.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/records.h"
#include "zmx/elements/geometry.h"
#include "zmx/model/printers.h"

namespace {

using namespace zmx::steps;
using zmx::printing::pagin;
using zmx::printing::put;

constexpr int kMeasuredElementsWord = 1;  // CPHCON: structural elements measured
constexpr int kSectorsWord = 3;           // CPHCON: cyclic-symmetry sectors
constexpr int kCharacteristicLengthWord = 13;  // CPHCON: the length, bytes 49 to 56
constexpr int kHalfStepCheckWord = 14;    // CTOLP
constexpr int kStepRecordsFirst = 15;     // CSLV: step records searched for the cyclic request
constexpr int kStepRecordsEnd = 16;
constexpr Int kCyclicRequest = 153;
constexpr Int kListEnd = 2147483647;
constexpr long long kRecordLimit = 10000000;

void explicitIncrementation(const Real* rec, Int N, const Int* iprint) {
  const Int unit = printUnit(iprint);
  if (integerAt(rec, N + 16) == 1) {
    put(unit,
        "(/,/,5X,'DIRECT TIME INCREMENTATION WILL BE USED:',/,/,5X,'     TIME INCREMENT IS',28X,1P,G12.3,/,5X,'     "
        "TIME PERIOD IS',31X,1P,G12.3,/)",
        {realAt(rec, N), realAt(rec, N + 1)});
  } else if (integerAt(rec, N + 17) == 1) {
    put(unit,
        "(/,/,5X,'FIXED TIME INCREMENTATION WILL BE USED:',/,/,5X,'     TIME PERIOD IS',31X,1P,G12.3,/,5X,'     "
        "SCALING FACTOR IS ',25X,1P,G12.3,/)",
        {realAt(rec, N + 1), realAt(rec, N + 19)});
  } else if (integerAt(rec, N + 18) == 1) {
    put(unit,
        "(/,/,5X,'ELEMENT BY ELEMENT TIME INCREMENTATION WILL BE ','USED:',/,/,5X,'     TIME PERIOD IS',31X,1P,"
        "G12.3,/,5X,'     MAXIMUM TIME INCREMENT IS',20X,1P,G12.3,/,5X,'     SCALING FACTOR IS ',26X,1P,G12.3,/)",
        {realAt(rec, N + 1), realAt(rec, N + 3), realAt(rec, N + 19)});
  } else {
    put(unit,
        "(/,/,5X,'AUTOMATIC TIME INCREMENTATION WILL BE USED:',/,/,5X,'     TIME PERIOD IS',31X,1P,G12.3,/,5X,'     "
        "SCALING FACTOR IS ',25X,1P,G12.3,/)",
        {realAt(rec, N + 1), realAt(rec, N + 19)});
  }
  pagin(3, iprint);
}

void bulkViscosity(Real linear, Real quadratic, const Int* iprint) {
  if (linear == 0.0 && quadratic == 0.0) return;
  put(printUnit(iprint), kBulkViscosity, {linear, quadratic});
  pagin(3, iprint);
}

void printed(std::string_view format, Int lines, const Int* iprint) {
  put(printUnit(iprint), format);
  pagin(lines, iprint);
}

void explicitDynamics(const Real* rec, Int N, const Int* kproc, const Int* istep, const Int* iprint) {
  const Int unit = printUnit(iprint);
  if (*kproc == 17) {
    put(unit, "(/,/,24X,'S T E P',3X,I5,5X,'E X P L I C I T   D Y N A M I C   A N A L Y S I S')", {*istep});
  } else {
    put(unit,
        "(/,/,12X,'S T E P',2X,I5,10X,'E X P L I C I T   D Y N A M I C',/,/,15X,'C O U P L E D  ','T E M P E R A "
        "T U R E - D I S P L A C E M E N T  ','A N A L Y S I S')",
        {*istep});
  }
  pagin(3, iprint);
  explicitIncrementation(rec, N, iprint);
  bulkViscosity(realAt(rec, N + 5), realAt(rec, N + 6), iprint);
  if (integerAt(rec, 26) != 0) printed("(/,10X,'LARGE DISPLACEMENT THEORY WILL BE USED')", 2, iprint);
  if (integerAt(rec, N + 7) == 1) printed(kAdiabatic, 2, iprint);
  printed("(/,5X,'DIAGNOSTICS:')", 2, iprint);
  switch (integerAt(rec, N + 13)) {
    case 1:
      printed("(/,10X,'SUMMARY DIAGNOSTICS ARE REQUESTED FOR INITIAL',' CONTACT OVERCLOSURE')", 2, iprint);
      break;
    case 2:
      printed("(/,10X,'DETAILED DIAGNOSTICS ARE REQUESTED FOR INITIAL',' CONTACT OVERCLOSURE')", 2, iprint);
      break;
    default:
      break;
  }
  const Int speed = integerAt(rec, N + 14);
  if (speed == 0) {
    printed("(/,10X,'DEFORMATION SPEED DIAGNOSTIC IS DISABLED.')", 2, iprint);
  } else if (speed == 1 || speed == 2) {
    put(unit, speed == 1 ? "(/,10X,'SUMMARY DIAGNOSTICS ARE REQUESTED FOR',' DEFORMATION SPEED CHECK')"
                         : "(/,10X,'DETAILED DIAGNOSTICS ARE REQUESTED FOR',' DEFORMATION SPEED CHECK')");
    put(unit,
        "(10X,'DEFORMATION SPEED/WAVE SPEED WARNING RATIO IS    ',1P,G12.3,/,10X,'DEFORMATION SPEED/WAVE SPEED "
        "CUTOFF RATIO IS     ',1P,G12.3)",
        {realAt(rec, N + 20), realAt(rec, N + 15)});
    pagin(4, iprint);
  }
  static constexpr std::string_view kAdaptive[] = {
      "(/,10X,'DIAGNOSTICS FOR ADAPTIVE MESHING ARE OFF')",
      "(/,10X,'SUMMARY DIAGNOSTICS ARE REQUESTED FOR ADAPTIVE MESHING')",
      "(/,10X,'DETAILED DIAGNOSTICS ARE REQUESTED FOR ADAPTIVE MESHING')",
      "(/,10X,'STEP SUMMARY DIAGNOSTICS ARE REQUESTED FOR ','ADAPTIVE MESHING')"};
  const Int adaptive = integerAt(rec, N + 23);
  if (adaptive >= 0 && adaptive <= 3) printed(kAdaptive[adaptive], 2, iprint);
}

void implicitDynamics(const Real* rec, Int N, Int kproc, const Int* istep, const Int* iprint) {
  const Int unit = printUnit(iprint);
  heading("D Y N A M I C   A N A L Y S I S - I M P L I C I T  I N T E G R A T I O N", istep, iprint);
  description(rec, iprint);
  if (kproc > 13)
    printed("(/,5X,'THE DOUBLY ASYMPTOTIC APPROXIMATION WILL BE USED ','FOR FLUID-SOLID INTERACTION MODELING.')", 2,
            iprint);
  if (kproc == 12)
    fixedIncrements(at(rec, N), iprint);
  else
    automaticIncrements(at(rec, N), iprint);
  if (integerAt(rec, N + 6) == 1) {
    printed("(/,10X,'THE HALF STEP RESIDUAL WILL NOT BE CALCULATED')", 2, iprint);
  } else if (realAt(rec, N + 5) != 0.0) {
    put(unit, "(10X,'TOLERANCE ON HALF STEP RESIDUAL',19X,1P,G12.3)", {realAt(rec, N + 5)});
    pagin(1, iprint);
    if (rec::i(CPHCON, kMeasuredElementsWord) == 0 && rec::i(CTOLP, kHalfStepCheckWord) == 1)
      zmx::model::report(zmx::model::kWarning,
                         "NO CHARACTERISTIC ELEMENT LENGTH FOUND.  HAFTOL NOT CHECKED IN MOMENT EQUATIONS.");
  }
  if (integerAt(rec, N + 7) != 0) printed("(/,10X,'INITIAL ACCELERATIONS WILL NOT BE CALCULATED')", 2, iprint);
  put(unit, "(/,10X,'HILBER-HUGHES OPERATOR PARAMETER (ALPHA) IS',7X,1P,G12.3)", {realAt(rec, N + 4)});
  if (integerAt(rec, N + 8) == 1) printed(kAdiabatic, 2, iprint);
  if (integerAt(rec, N + 11) == 1) printed(kAcceptedAtLimit, 3, iprint);
  pagin(2, iprint);
  bulkViscosity(realAt(rec, N + 9), realAt(rec, N + 10), iprint);
}

struct CyclicModes {
  Int lowest;
  Int highest;
  Int evenOnly;
};

// The cyclic-symmetry request among the step records (a later one replaces an earlier one), or
// the modes that the sector count gives.
// The records are read into storage of the walk's own, sized to each record: the caller's buffer
// has no stated room. A record that cannot be read shows as length 0 and ends the walk.
CyclicModes cyclicModes() {
  const Int sectors = rec::i(CPHCON, kSectorsWord);
  CyclicModes modes{0, sectors / 2, 0};
  Int address = rec::i(CSLV, kStepRecordsFirst);
  const Int end = rec::i(CSLV, kStepRecordsEnd);
  std::vector<Real> record;
  const auto word = [&](int w) {
    Int value;
    std::memcpy(&value, reinterpret_cast<const char*>(record.data()) + 4 * (w - 1), sizeof value);
    return value;
  };
  constexpr std::size_t kRequestSlots = 5;  // words 1 to 9
  for (long long count = 0; count < kRecordLimit; ++count) {
    if (address >= end) return modes;
    eqc::readSlideLineRecord(address, record, kRequestSlots);
    const Int length = word(1) < 0 ? -word(1) : word(1);
    if (length == 0) break;
    if (word(3) == kCyclicRequest) {
      modes.lowest = word(5);
      modes.highest = word(7) == kListEnd ? 0 : word(7);
      modes.evenOnly = word(9);
    }
    address += length;
  }
  zmx::model::report(zmx::model::kSystemError, "SYSTEM ERROR IN HSTEPE - LOOP 150 LIMIT EXCEEDED");
  return modes;
}

void cyclicSymmetry(const Int* iprint) {
  const Int unit = printUnit(iprint);
  put(unit, "(5X,'CYCLIC SYMMETRY MODEL IS SOLVED')");
  const CyclicModes modes = cyclicModes();
  put(unit, "(5X,'LOWEST NUMBER OF CYCLIC SYMMETRY MODE',2X,I5)", {modes.lowest});
  put(unit, "(5X,'HIGHEST NUMBER OF CYCLIC SYMMETRY MODE',1X,I5)", {modes.highest});
  if (modes.evenOnly == 1) put(unit, "(5X,'ONLY EVEN CYCLIC SYMMETRY MODES REQUESTED')");
}

// HSTEPT writes some lines also on the unit of CLINES word 13 (for program kinds other than 0
// and 3), counting them with that word as the print record.
struct SettingUnits {
  const Int* print = &rec::i(CLINES, 14);
  const Int* second = &rec::i(CLINES, 13);
  bool both() const {
    const Int kind = rec::i(CPROG, eqc_records::kProgramKind);
    return kind != 0 && kind != 3;
  }
};

void onBoth(const SettingUnits& u, Int code, const Real* values) {
  line(code, values, u.print);
  if (u.both()) line(code, values, u.second);
}

void implicitSettings(const Real* rec, const Real* values, Int nrst, Int ipflag, Int kproc) {
  const SettingUnits u;
  const Int unit = *u.print;
  if (nrst != 0) {
    put(unit, "(/,5X,'RESTART FILE WILL BE WRITTEN EVERY',I6,2X,'INCREMENTS')", {nrst > 0 ? nrst : -nrst});
    if (nrst < 0) put(unit, "(/,5X,'ONLY THE LATEST INCREMENT WILL BE RETAINED')");
    pagin(2, u.print);
  }
  if (kproc == 92 || integerAt(rec, 27) == 0) {
    put(unit, "(/,5X,'THE MAXIMUM NUMBER OF INCREMENTS IN THIS STEP IS',17X,I7)", {integerAt(rec, 28)});
    pagin(2, u.print);
  }
  if (integerAt(rec, 27) != 0) {
    constexpr std::string_view kPerturbation =
        "(/,5X,'THIS IS A LINEAR PERTURBATION STEP.',/,5X,'ALL LOADS ARE DEFINED AS CHANGE IN LOAD TO THE "
        "REFERENCE STATE')";
    put(*u.second, kPerturbation);
    pagin(2, u.second);
    if (u.both()) {
      put(unit, kPerturbation);
      pagin(2, u.print);
    }
  }
  if (integerAt(rec, 26) != 0) onBoth(u, kLargeDisplacement, values);
  if (integerAt(rec, 47) != 0) onBoth(u, kUnsymmetric, values);
  switch (integerAt(rec, 30)) {
    case 1:
      put(unit, "(/,5X,'LINEAR EXTRAPOLATION WILL BE USED')");
      break;
    case 2:
      put(unit, "(/,5X,'PARABOLIC EXTRAPOLATION WILL BE USED')");
      break;
    default:
      put(unit, "(/,5X,'EXTRAPOLATION WILL NOT BE USED')");
      break;
  }
  pagin(2, u.print);
  if (rec::i(CPHCON, kMeasuredElementsWord) != 0) {
    put(unit, "(/,5X,'CHARACTERISTIC ELEMENT LENGTH  ',1P,G12.3)", {rec::r(CPHCON, kCharacteristicLengthWord)});
    pagin(2, u.print);
  }
  if (integerAt(rec, 33) != 0) {
    put(unit, "(/,5X,'TORQUE PRINTOUT FLAGGED FOR EVERY',I6,' INCREMENTS OF THIS STEP')", {integerAt(rec, 33)});
    pagin(2, u.print);
  }
  static constexpr std::pair<Int, std::string_view> kDetails[] = {
      {1, "(/,5X,'OUTPUT OF RESIDUALS DURING EQUILIBRIUM ITERATION',' IS SUPPRESSED')"},
      {2, "(/,5X,'DETAILED OUTPUT OF CONTACT CHANGES DURING ITERATION',' REQUESTED')"},
      {4, "(/,5X,'DETAILS REGARDING ACTUAL SOLUTION WAVEFRONT REQUES','TED')"},
      {16, "(/,5X,'DETAILED OUTPUT OF EXCESSIVE ELEMENT DISTORTIONS',' REQUESTED')"},
      {32, "(/,5X,'DETAILED OUTPUT OF PLASTICITY FAILURES DURING ITERA','TION REQUESTED')"},
      {64, "(/,5X,'DETAILED OUTPUT OF MODEL CHANGE REQUESTED')"}};
  const Int bits = integerAt(rec, 35);
  for (const auto& [bit, format] : kDetails) {
    if ((bits & bit) == 0) continue;
    put(unit, format);
    pagin(2, u.print);
  }
  put(unit,
      ipflag == 0 ? "(/,5X,'PRINT OF INCREMENT NUMBER, TIME, ETC., TO THE ','MESSAGE FILE EVERY',I6,'  INCREMENTS')"
                  : "(/,5X,'PRINT OF INCREMENT NUMBER, TIME, ETC., EVERY',I6,'  INCREMENTS')",
      {integerAt(rec, 34)});
  pagin(2, u.print);
  if (rec::i(CWORK, 26) == 1) {
    put(unit, "(/,5X,'FILE OUTPUT WILL BE WRITTEN IN CARD IMAGE',' FORMAT')");
    pagin(2, u.print);
  }
  if (rec::i(CWORK, 28) == 1) {
    put(unit, "(/,5X,'THE NEUTRAL PLOTFILE WILL BE WRITTEN IN CARD IMAGE',' FORMAT')");
    pagin(2, u.print);
  }
}

void explicitSettings(const Real* rec, const Real* values, Int nint, Int ipflag, Int kproc) {
  const SettingUnits u;
  const Int unit = *u.print;
  if (nint != 0) {
    put(unit, "(/,5X,'RESTART FILE WILL BE WRITTEN AT',I6,' EVENLY ','SPACED INTERVALS DURING THIS STEP')",
        {nint > 0 ? nint : -nint});
    if (nint < 0) {
      put(unit, "(/,5X,'ONLY THE LATEST INCREMENT WILL BE RETAINED')");
    } else if (ipflag != 0) {
      if (integerAt(rec, 49) == 0)
        put(unit,
            "(10X,'THE RESTART FILE WILL BE WRITTEN AT THE ','INCREMENT FOLLOWING THE TIMEMARKS',/,10X,'OF THE "
            "EVENLY SPACED INTERVALS.')");
      else if (integerAt(rec, 49) == 1)
        put(unit,
            "(10X,'THE TIME INCREMENTATION WILL BE ADJUSTED SO THAT',' THE RESTART FILE WILL ',/,10X,'BE WRITTEN AT "
            "THE EXACT ','TIMEMARKS OF THE EVENLY SPACED INTERVALS. ')");
    }
    pagin(2, u.print);
  }
  const Real history = realAt(rec, 42);
  if (history >= 0.0) {
    if (history == 0.0)
      put(unit, "(/,5X,'HISTORY OUTPUT WILL BE WRITTEN AT EVERY INCREMENT')");
    else
      put(unit, "(/,5X,'HISTORY OUTPUT WILL BE WRITTEN AT TIME INTERVALS ','OF ',1P,G12.3)", {history});
    pagin(2, u.print);
  }
  const Int fileOutput = integerAt(rec, 43);
  if (fileOutput != 0 && fileOutput != -1) {
    if (ipflag == 0) {
      put(unit, "(/,5X,'FILE OUTPUT WILL BE WRITTEN  ',I6,' TIMES DURING THIS STEP')", {fileOutput});
    } else {
      put(unit, "(/,5X,'FILE OUTPUT WILL BE WRITTEN AT',I6,' EVENLY ',' SPACED INTERVALS DURING THIS STEP')",
          {fileOutput});
      if (integerAt(rec, 48) == 0)
        put(unit,
            "(10X,'THE OUTPUT FILE WILL BE WRITTEN AT THE ','INCREMENT FOLLOWING THE TIMEMARKS',/,10X,'OF THE "
            "EVENLY SPACED INTERVALS.')");
      else if (integerAt(rec, 48) == 1)
        put(unit,
            "(10X,'THE TIME INCREMENTATION WILL BE ADJUSTED SO THAT',' THE OUTPUT FILE WILL ',/,10X,'BE WRITTEN AT "
            "THE EXACT ','TIMEMARKS OF THE EVENLY SPACED INTERVALS. ')");
    }
    pagin(2, u.print);
  }
  if (kproc == 18 && integerAt(rec, 26) != 0) onBoth(u, kLargeDisplacement, values);
}

}  // namespace

extern "C" {

void HSTEPD(const Real* rec, const Int* n, const Int* unused, const Int* kproc, const Int* istep, const Int* iprint,
            Int* expl) {
  (void)unused;
  const Int N = *n;
  const Int k = *kproc;
  *expl = (k == 17 || k == 74) ? 1 : 0;
  if (k == 13) {
    heading("D Y N A M I C   A N A L Y S I S - S U B S P A C E   I N T E G R A T I O N", istep, iprint);
    fixedIncrements(at(rec, N), iprint);
  } else if (*expl == 1) {
    explicitDynamics(rec, N, kproc, istep, iprint);
  } else {
    implicitDynamics(rec, N, k, istep, iprint);
  }
}

void HSTEPE(const Int* irec, const Real* rec, const Int* n, const Int* kproc, const Int* istep, const Int* iprint,
            const Int* unsym, Int* lcase, const Int* lancz, Real* /*buf*/) {
  (void)irec;
  const Int N = *n;
  const Int unit = printUnit(iprint);
  const bool buckling = *kproc == 42;
  const bool lanczos = *lancz == 1;
  const Real upper = realAt(rec, N + 1);
  const Real lower = lanczos ? realAt(rec, N + 6) : -1.0e36;
  heading("C A L C U L A T I O N   O F   E I G E N V A L U E S", istep, iprint);
  put(unit, buckling ? "(/,44X,'F O R   B U C K L I N G   P R E D I C T I O N',/)"
                     : "(/,44X,'F O R   N A T U R A L   F R E Q U E N C I E S',/)");
  pagin(3, iprint);
  description(rec, iprint);
  if (lanczos) {
    put(unit, "(/,5X,'THE LANCZOS EIGENSOLVER IS USED FOR THIS ANALYSIS')");
    if (rec::i(CPHCON, kSectorsWord) != 0) cyclicSymmetry(iprint);
  } else {
    put(unit, "(/,5X,'THE SUBSPACE ITERATION METHOD IS USED FOR THIS ANALYSIS')");
  }
  pagin(2, iprint);
  put(unit, "(5X,'NUMBER OF EIGENVALUES',18X,I5)", {integerAt(rec, N)});
  pagin(1, iprint);
  if (upper <= 1.0e19) {
    if (buckling)
      put(unit, "(5X,'LARGEST EIGENVALUE OF INTEREST  ',3X,1P,G12.5)", {upper});
    else
      put(unit, "(5X,'HIGHEST FREQUENCY OF INTEREST',3X,E12.5)", {upper});
    pagin(2, iprint);
  }
  if (lanczos) {
    if (!buckling && lower > -1.0e18) {
      put(unit, "(5X,'LOWEST FREQUENCY OF INTEREST ',3X,E12.5)", {lower});
      pagin(2, iprint);
    } else if (buckling && lower > -1.0e36) {
      put(unit, "(5X,'SMALLEST EIGENVALUE OF INTEREST ',3X,1P,G12.5)", {lower});
      pagin(2, iprint);
    }
  }
  if (lanczos)
    put(unit, "(5X,'MAXIMUM NUMBER OF STEPS WITHIN RUN',5X,I5)", {integerAt(rec, N + 2)});
  else
    put(unit, "(5X,'MAXIMUM NUMBER OF ITERATIONS',11X,I5)", {integerAt(rec, N + 2)});
  pagin(1, iprint);
  if (lanczos)
    put(unit, "(5X,'BLOCK SIZE FOR LANCZOS PROCEDURE',7X,I5)", {integerAt(rec, N + 3) - integerAt(rec, N)});
  else
    put(unit, "(5X,'NUMBER OF VECTORS IN ITERATION',9X,I5)", {integerAt(rec, N + 3)});
  pagin(1, iprint);
  const Real shift = realAt(rec, N + 4);
  if (shift != 0.0) {
    put(unit, buckling ? "(5X,'SHIFT POINT',3X,1P,G11.3)" : "(5X,'SHIFT POINT, IN (CYCLES/TIME)**2, IS',3X,1P,G11.3)",
        {shift});
    pagin(1, iprint);
  }
  if (!buckling) {
    put(unit, integerAt(rec, N + 7) == 0
                  ? "(5X,'THE EIGENVECTORS ARE SCALED SO THAT ','THE LARGEST DISPLACEMENT ENTRY IN EACH VECTOR IS "
                    "UNITY')"
                  : "(5X,'THE EIGENVECTORS ARE SCALED SO THAT ','THE GENERALIZED MASS IN EACH VECTOR IS UNITY')");
    pagin(1, iprint);
  }
  *lcase = 1;
  if (buckling && integerAt(rec, N + 5) != 0) {
    put(unit, "(5X,'THE BUCKLING MODE CONSTRAINTS ARE DEFINED AS LOAD ','CASE 2')");
    pagin(1, iprint);
    *lcase = 2;
  } else if (!buckling) {
    *lcase = integerAt(rec, N + 5);
  }
  if (!buckling && realAt(rec, N + 9) != -1.0)
    put(unit, "(5X,'PROPERTY EVALUATION',16X,1P,G12.5)", {realAt(rec, N + 9)});
  if (*unsym == 1)
    zmx::model::report(zmx::model::kError,
                       "EIGENVALUE ANALYSIS REQUESTED WITH NON-SYMMETRIC MATRIX.  ONLY SYMMETRIC MATRICES ARE "
                       "ALLOWED");
}

void HSTEPT(const Real* rec, const Real* values, const Int* nrst, const Int* nint, const Int* ipflag) {
  const Int kproc = integerAt(rec, 5);
  if (kproc == 98 || kproc == 51) return;
  if (kproc == 17 || kproc == 18 || kproc == 74)
    explicitSettings(rec, values, *nint, *ipflag, kproc);
  else
    implicitSettings(rec, values, *nrst, *ipflag, kproc);
}

}  // extern "C"
