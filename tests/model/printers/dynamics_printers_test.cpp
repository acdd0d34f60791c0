// Dynamics, eigenvalue and output-settings echoes against gfortran, with the characteristic
// element length and the cyclic-symmetry sectors that the element geometry leaves in CPHCON.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/record.h"
#include "runtime/units.h"
#include "siblings/eqc/control_records.h"
#include "siblings/eqc/page_control_testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/model/printers/expected_lines.h"
#include "tests/support/host_fixture.h"
#include "zmx/elements/geometry.h"
#include "zmx/model/printers.h"

namespace {

using namespace printers_test;

constexpr Int N = 30;
const Int kPrint[1] = {kUnit};

class DynamicsPrinters : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    startPrinting();
    rec::clear(CPHCON);
    rec::i(CTOLP, 14) = 0;
    rec::i(CPROG, eqc_records::kProgramKind) = 0;
    for (int k = 0; k < 4; ++k) rec.real(N + k, 0.5 * (k + 1));
    eqc_testing::clearMessages();
  }
  double at(int k) const { return rec::slotR(rec.data(), k); }
  void heading(std::string_view title, int istep = 3) {
    e.put("(/,/,24X,'S T E P',3X,I5,5X,'" + std::string(title) + "')", {I(istep)});
  }
  void description() { e.description(rec); }
  void fixed() {
    e.put("(/,10X,'FIXED TIME INCREMENTS')");
    e.put("(10X,'TIME INCREMENT IS',33X,1P,G12.3,/,10X,'TIME PERIOD IS',36X,G12.3)", {R(at(N)), R(at(N + 1))});
  }
  void automatic() {
    e.put("(/,5X,'AUTOMATIC TIME CONTROL WITH -')");
    e.put(
        "(10X,'A SUGGESTED INITIAL TIME INCREMENT OF',13X,1P,G12.3,/,10X,'AND A TOTAL TIME PERIOD OF',24X,1P,G12.3,/,"
        "10X,'THE MINIMUM TIME INCREMENT ALLOWED IS',13X,1P,G12.3,/,10X,'THE MAXIMUM TIME INCREMENT ALLOWED "
        "IS',13X,1P,G12.3)",
        {R(at(N)), R(at(N + 1)), R(at(N + 2)), R(at(N + 3))});
  }
  std::vector<int> pages() const { return eqc_page_testing::paginCounts(); }
  // Runs the dynamics echo of the procedure; gives the explicit flag it sets.
  Int dynamics(Int kproc, Int istep) {
    Int unused = 0, expl = 9;
    HSTEPD(rec.data(), &N, &unused, &kproc, &istep, kPrint, &expl);
    return expl;
  }
  // Runs the eigenvalue echo of step 2; the load case it sets stays for the next call.
  void eigen(Int kproc, Int unsym, Int lanczos) {
    Int istep = 2;
    std::vector<Real> buf(40);
    HSTEPE(rec.ints(), rec.data(), &N, &kproc, &istep, kPrint, &unsym, &lcase, &lanczos, buf.data());
  }
  void eigenHead(std::string_view kind) {
    e.put("(/,/,24X,'S T E P',3X,I5,5X,'C A L C U L A T I O N   O F   E I G E N V A L U E S')", {I(2)});
    e.put(kind);
    description();
  }
  // The Lanczos solver on a cyclic-symmetry model: its mode range and the eigenvalue count.
  void lanczosCyclic(Int lowest, Int highest, Int eigenvalues) {
    e.put("(/,5X,'THE LANCZOS EIGENSOLVER IS USED FOR THIS ANALYSIS')");
    e.put("(5X,'CYCLIC SYMMETRY MODEL IS SOLVED')");
    e.put("(5X,'LOWEST NUMBER OF CYCLIC SYMMETRY MODE',2X,I5)", {I(lowest)});
    e.put("(5X,'HIGHEST NUMBER OF CYCLIC SYMMETRY MODE',1X,I5)", {I(highest)});
    e.put("(5X,'NUMBER OF EIGENVALUES',18X,I5)", {I(eigenvalues)});
  }

  StepRecord rec{120};
  Expected e;
  Int lcase = 0;
};

constexpr const char* kPerturbation =
    "(/,5X,'THIS IS A LINEAR PERTURBATION STEP.',/,5X,'ALL LOADS ARE DEFINED AS CHANGE IN LOAD TO THE "
    "REFERENCE STATE')";
constexpr const char* kLargeDisplacement = "(/,10X,'LARGE DISPLACEMENT THEORY WILL BE USED')";
constexpr const char* kUnsymmetric = "(/,10X,'UNSYMMETRIC MATRIX STORAGE AND SOLUTION WILL ','BE USED')";
constexpr const char* kImplicit = "D Y N A M I C   A N A L Y S I S - I M P L I C I T  I N T E G R A T I O N";
constexpr const char* kBulk =
    "(10X,'LINEAR BULK VISCOSITY PARAMETER IS',7X,1P,G12.3,/,10X,'QUADRATIC BULK VISCOSITY PARAMETER "
    "IS',7X,1P,G12.3)";

TEST_F(DynamicsPrinters, ImplicitDynamicsWithEveryOptionalLine) {
  rec.real(N + 4, -0.05).real(N + 5, 0.1).integer(N + 7, 1).integer(N + 8, 1).integer(N + 11, 1);
  rec.real(N + 9, 0.06).real(N + 10, 1.2);
  rec::i(CTOLP, 14) = 1;
  EXPECT_EQ(dynamics(14, 3), 0);
  heading(kImplicit);
  description();
  e.put("(/,5X,'THE DOUBLY ASYMPTOTIC APPROXIMATION WILL BE USED ','FOR FLUID-SOLID INTERACTION MODELING.')");
  automatic();
  e.put("(10X,'TOLERANCE ON HALF STEP RESIDUAL',19X,1P,G12.3)", {R(0.1)});
  e.put("(/,10X,'INITIAL ACCELERATIONS WILL NOT BE CALCULATED')");
  e.put("(/,10X,'HILBER-HUGHES OPERATOR PARAMETER (ALPHA) IS',7X,1P,G12.3)", {R(-0.05)});
  e.put("(/,10X,'ADIABATIC STRESS ANALYSIS WILL BE PERFORMED ',/)");
  e.put(
      "(/,5X,'THE SOLUTION TO EACH INCREMENT WILL BE ACCEPTED ','WHEN THE ITERATION LIMIT',/,5X,'HAS BEEN "
      "REACHED',' EVEN IF THE EQUILIBRIUM TOLERANCES ARE STILL EXCEEDED.',/,5X,'---WARNING--- INTERPRET ANY "
      "OUT-OF-EQUILIBRIUM RESULTS WITH ','CAUTION')");
  e.put(kBulk, {R(0.06), R(1.2)});
  EXPECT_EQ(printedText(), e.text());
  EXPECT_EQ(pages(), (std::vector<int>{3, 3, 2, 2, 4, 1, 2, 2, 3, 2, 3}));
  EXPECT_TRUE(eqc_testing::printed("NO CHARACTERISTIC ELEMENT LENGTH FOUND.  HAFTOL NOT CHECKED IN MOMENT EQUATIONS."));

  // Fixed increments, no half-step residual; with a measured length there is no warning.
  startPrinting();
  e = Expected();
  eqc_testing::clearMessages();
  rec::i(CPHCON, 1) = 4;
  rec.integer(N + 6, 1).integer(N + 7, 0).integer(N + 8, 0).integer(N + 11, 0).real(N + 9, 0.0).real(N + 10, 0.0);
  dynamics(12, 3);
  heading(kImplicit);
  description();
  fixed();
  e.put("(/,10X,'THE HALF STEP RESIDUAL WILL NOT BE CALCULATED')");
  e.put("(/,10X,'HILBER-HUGHES OPERATOR PARAMETER (ALPHA) IS',7X,1P,G12.3)", {R(-0.05)});
  EXPECT_EQ(printedText(), e.text());
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
}

TEST_F(DynamicsPrinters, SubspaceAndExplicitDynamicsPrintNoDescription) {
  dynamics(13, 4);
  heading("D Y N A M I C   A N A L Y S I S - S U B S P A C E   I N T E G R A T I O N", 4);
  fixed();
  rec.integer(N + 16, 0).integer(N + 18, 1).real(N + 19, 0.9).real(N + 5, 0.06).integer(26, 1);
  rec.integer(N + 7, 1).integer(N + 13, 2).integer(N + 14, 1).real(N + 20, 0.4).real(N + 15, 1.0);
  rec.integer(N + 23, 3);
  EXPECT_EQ(dynamics(74, 4), 1);
  e.put(
      "(/,/,12X,'S T E P',2X,I5,10X,'E X P L I C I T   D Y N A M I C',/,/,15X,'C O U P L E D  ','T E M P E R A T U "
      "R E - D I S P L A C E M E N T  ','A N A L Y S I S')",
      {I(4)});
  e.put(
      "(/,/,5X,'ELEMENT BY ELEMENT TIME INCREMENTATION WILL BE ','USED:',/,/,5X,'     TIME PERIOD IS',31X,1P,G12.3,/,"
      "5X,'     MAXIMUM TIME INCREMENT IS',20X,1P,G12.3,/,5X,'     SCALING FACTOR IS ',26X,1P,G12.3,/)",
      {R(at(N + 1)), R(at(N + 3)), R(0.9)});
  e.put(kBulk, {R(0.06), R(0.0)});
  e.put(kLargeDisplacement);
  e.put("(/,10X,'ADIABATIC STRESS ANALYSIS WILL BE PERFORMED ',/)");
  e.put("(/,5X,'DIAGNOSTICS:')");
  e.put("(/,10X,'DETAILED DIAGNOSTICS ARE REQUESTED FOR INITIAL',' CONTACT OVERCLOSURE')");
  e.put("(/,10X,'SUMMARY DIAGNOSTICS ARE REQUESTED FOR',' DEFORMATION SPEED CHECK')");
  e.put(
      "(10X,'DEFORMATION SPEED/WAVE SPEED WARNING RATIO IS    ',1P,G12.3,/,10X,'DEFORMATION SPEED/WAVE SPEED "
      "CUTOFF RATIO IS     ',1P,G12.3)",
      {R(0.4), R(1.0)});
  e.put("(/,10X,'STEP SUMMARY DIAGNOSTICS ARE REQUESTED FOR ','ADAPTIVE MESHING')");
  // Direct incrementation takes precedence; the explicit heading of procedure 17.
  rec.integer(N + 16, 1).integer(N + 17, 1).real(N + 5, 0.0).integer(26, 0).integer(N + 7, 0);
  rec.integer(N + 13, 0).integer(N + 14, 0).integer(N + 23, 7);
  dynamics(17, 4);
  e.put("(/,/,24X,'S T E P',3X,I5,5X,'E X P L I C I T   D Y N A M I C   A N A L Y S I S')", {I(4)});
  e.put(
      "(/,/,5X,'DIRECT TIME INCREMENTATION WILL BE USED:',/,/,5X,'     TIME INCREMENT IS',28X,1P,G12.3,/,5X,'     "
      "TIME PERIOD IS',31X,1P,G12.3,/)",
      {R(at(N)), R(at(N + 1))});
  e.put("(/,5X,'DIAGNOSTICS:')");
  e.put("(/,10X,'DEFORMATION SPEED DIAGNOSTIC IS DISABLED.')");
  EXPECT_EQ(printedText(), e.text());
  EXPECT_EQ(pages(), (std::vector<int>{3, 2, 2, 3, 3, 3, 2, 2, 2, 2, 4, 2, 3, 3, 2, 2}));
}

TEST_F(DynamicsPrinters, EigenvaluesWithCyclicSymmetry) {
  eqc_testing::setSlideLineStore({});
  const int first = eqc_testing::appendSlideLineRecord({0, 7});
  rec::i(CSLV, 15) = first;
  rec::i(CSLV, 16) = static_cast<int>(eqc_testing::slideLineStore().size()) + 1;
  rec::i(CPHCON, 3) = 7;
  rec.integer(N, 10).real(N + 1, 500.0).integer(N + 2, 30).integer(N + 3, 18).real(N + 4, 0.0);
  rec.integer(N + 5, 2).real(N + 6, 1.0).integer(N + 7, 1).real(N + 9, -1.0);
  eigen(41, 0, 1);
  EXPECT_EQ(lcase, 2);
  eigenHead("(/,44X,'F O R   N A T U R A L   F R E Q U E N C I E S',/)");
  lanczosCyclic(0, 3, 10);
  e.put("(5X,'HIGHEST FREQUENCY OF INTEREST',3X,E12.5)", {R(500.0)});
  e.put("(5X,'LOWEST FREQUENCY OF INTEREST ',3X,E12.5)", {R(1.0)});
  e.put("(5X,'MAXIMUM NUMBER OF STEPS WITHIN RUN',5X,I5)", {I(30)});
  e.put("(5X,'BLOCK SIZE FOR LANCZOS PROCEDURE',7X,I5)", {I(8)});
  e.put("(5X,'THE EIGENVECTORS ARE SCALED SO THAT ','THE GENERALIZED MASS IN EACH VECTOR IS UNITY')");
  EXPECT_EQ(printedText(), e.text());
  EXPECT_EQ(pages(), (std::vector<int>{3, 3, 3, 2, 1, 2, 2, 1, 1, 1}));

  // Eight sectors give mode 4; a request record (word 3 = 153) replaces the default, and its
  // highest mode 2147483647 reads as 0.
  const auto modes = [&](int sectors) {
    startPrinting();
    rec::i(CPHCON, 3) = sectors;
    eigen(41, 0, 1);
    return printedText();
  };
  EXPECT_NE(modes(8).find("HIGHEST NUMBER OF CYCLIC SYMMETRY MODE     4"), std::string::npos);
  eqc_testing::appendSlideLineRecord({153, 2, 2147483647, 1});
  rec::i(CSLV, 16) = static_cast<int>(eqc_testing::slideLineStore().size()) + 1;
  const std::string text = modes(8);
  EXPECT_NE(text.find("LOWEST NUMBER OF CYCLIC SYMMETRY MODE      2"), std::string::npos);
  EXPECT_NE(text.find("HIGHEST NUMBER OF CYCLIC SYMMETRY MODE     0"), std::string::npos);
  EXPECT_NE(text.find("ONLY EVEN CYCLIC SYMMETRY MODES REQUESTED"), std::string::npos);
}

TEST_F(DynamicsPrinters, BucklingBySubspaceIterationAndANonSymmetricRequest) {
  rec.integer(N, 4).real(N + 1, 1.0e20).integer(N + 2, 25).integer(N + 3, 8).real(N + 4, 2.5);
  rec.integer(N + 5, 1);
  eigen(42, 1, 0);
  EXPECT_EQ(lcase, 2);
  eigenHead("(/,44X,'F O R   B U C K L I N G   P R E D I C T I O N',/)");
  e.put("(/,5X,'THE SUBSPACE ITERATION METHOD IS USED FOR THIS ANALYSIS')");
  e.put("(5X,'NUMBER OF EIGENVALUES',18X,I5)", {I(4)});
  e.put("(5X,'MAXIMUM NUMBER OF ITERATIONS',11X,I5)", {I(25)});
  e.put("(5X,'NUMBER OF VECTORS IN ITERATION',9X,I5)", {I(8)});
  e.put("(5X,'SHIFT POINT',3X,1P,G11.3)", {R(2.5)});
  e.put("(5X,'THE BUCKLING MODE CONSTRAINTS ARE DEFINED AS LOAD ','CASE 2')");
  EXPECT_EQ(printedText(), e.text());
  EXPECT_TRUE(eqc_testing::printed(
      "EIGENVALUE ANALYSIS REQUESTED WITH NON-SYMMETRIC MATRIX.  ONLY SYMMETRIC MATRICES ARE ALLOWED"));
  EXPECT_EQ(eqc_testing::countAtLevel(-2), 1);
}

TEST_F(DynamicsPrinters, OutputSettingsOfImplicitAndExplicitSteps) {
  const Real values[4] = {};
  Int nrst = -5, nint = 0, ipflag = 0;
  StepRecord s(60);
  s.integer(5, 98);
  HSTEPT(s.data(), values, &nrst, &nint, &ipflag);
  EXPECT_EQ(printedText(), "");
  const Int second = 62;
  fio::openMemory(second);
  rec::i(CLINES, 13) = second;
  rec::i(CPROG, eqc_records::kProgramKind) = 1;
  rec::i(CPHCON, 1) = 3;
  rec::setR(CPHCON, 13, 0.125);
  s.integer(5, 1).integer(27, 1).integer(28, 100).integer(26, 1).integer(47, 1).integer(30, 2);
  s.integer(33, 4).integer(35, 1 + 8 + 64).integer(34, 3);
  rec::i(CWORK, 26) = 1;
  HSTEPT(s.data(), values, &nrst, &nint, &ipflag);
  e.put("(/,5X,'RESTART FILE WILL BE WRITTEN EVERY',I6,2X,'INCREMENTS')", {I(5)});
  e.put("(/,5X,'ONLY THE LATEST INCREMENT WILL BE RETAINED')");
  e.put(kPerturbation);
  e.put(kLargeDisplacement);
  e.put(kUnsymmetric);
  e.put("(/,5X,'PARABOLIC EXTRAPOLATION WILL BE USED')");
  e.put("(/,5X,'CHARACTERISTIC ELEMENT LENGTH  ',1P,G12.3)", {R(0.125)});
  e.put("(/,5X,'TORQUE PRINTOUT FLAGGED FOR EVERY',I6,' INCREMENTS OF THIS STEP')", {I(4)});
  e.put("(/,5X,'OUTPUT OF RESIDUALS DURING EQUILIBRIUM ITERATION',' IS SUPPRESSED')");
  e.put("(/,5X,'DETAILED OUTPUT OF MODEL CHANGE REQUESTED')");
  e.put("(/,5X,'PRINT OF INCREMENT NUMBER, TIME, ETC., TO THE ','MESSAGE FILE EVERY',I6,'  INCREMENTS')", {I(3)});
  e.put("(/,5X,'FILE OUTPUT WILL BE WRITTEN IN CARD IMAGE',' FORMAT')");
  EXPECT_EQ(printedText(), e.text());
  Expected other;
  other.put(kPerturbation);
  other.put(kLargeDisplacement);
  other.put(kUnsymmetric);
  EXPECT_EQ(fio::memoryText(second), other.text());
  const auto calls = eqc_page_testing::paginCalls();
  ASSERT_EQ(calls.size(), 14u);
  EXPECT_EQ(calls[1].unit, second);  // the perturbation text on the second unit comes first
  EXPECT_EQ(calls[2].unit, kUnit);
  rec::i(CWORK, 26) = 0;

  // Explicit: restart intervals adjusted to the timemarks, history at intervals, file output.
  startPrinting();
  e = Expected();
  s.integer(5, 18).integer(49, 1).real(42, 0.01).integer(43, 5).integer(48, 0).integer(26, 0);
  nint = 4;
  ipflag = 1;
  HSTEPT(s.data(), values, &nrst, &nint, &ipflag);
  e.put("(/,5X,'RESTART FILE WILL BE WRITTEN AT',I6,' EVENLY ','SPACED INTERVALS DURING THIS STEP')", {I(4)});
  e.put(
      "(10X,'THE TIME INCREMENTATION WILL BE ADJUSTED SO THAT',' THE RESTART FILE WILL ',/,10X,'BE WRITTEN AT THE "
      "EXACT ','TIMEMARKS OF THE EVENLY SPACED INTERVALS. ')");
  e.put("(/,5X,'HISTORY OUTPUT WILL BE WRITTEN AT TIME INTERVALS ','OF ',1P,G12.3)", {R(0.01)});
  e.put("(/,5X,'FILE OUTPUT WILL BE WRITTEN AT',I6,' EVENLY ',' SPACED INTERVALS DURING THIS STEP')", {I(5)});
  e.put(
      "(10X,'THE OUTPUT FILE WILL BE WRITTEN AT THE ','INCREMENT FOLLOWING THE TIMEMARKS',/,10X,'OF THE EVENLY "
      "SPACED INTERVALS.')");
  EXPECT_EQ(printedText(), e.text());
  EXPECT_EQ(eqc_page_testing::paginCounts(), (std::vector<int>{2, 2, 2}));
}

TEST_F(DynamicsPrinters, ExplicitIncrementationAndDiagnosticChoices) {
  // Fixed incrementation with summary overclosure diagnostics, then automatic with the adaptive
  // meshing levels 0 to 2; each block counts as the text gives.
  rec.real(N + 19, 0.8).integer(N + 14, 3);
  const std::string_view adaptive[] = {
      "(/,10X,'DIAGNOSTICS FOR ADAPTIVE MESHING ARE OFF')",
      "(/,10X,'SUMMARY DIAGNOSTICS ARE REQUESTED FOR ADAPTIVE MESHING')",
      "(/,10X,'DETAILED DIAGNOSTICS ARE REQUESTED FOR ADAPTIVE MESHING')"};
  for (int level = 0; level < 3; ++level) {
    const bool fixedSteps = level == 0;
    rec.integer(N + 17, fixedSteps ? 1 : 0).integer(N + 13, fixedSteps ? 1 : 0).integer(N + 23, level);
    dynamics(17, 5);
    e.put("(/,/,24X,'S T E P',3X,I5,5X,'E X P L I C I T   D Y N A M I C   A N A L Y S I S')", {I(5)});
    e.put(fixedSteps ? "(/,/,5X,'FIXED TIME INCREMENTATION WILL BE USED:',/,/,5X,'     TIME PERIOD IS',31X,1P,G12.3,"
                       "/,5X,'     SCALING FACTOR IS ',25X,1P,G12.3,/)"
                     : "(/,/,5X,'AUTOMATIC TIME INCREMENTATION WILL BE USED:',/,/,5X,'     TIME PERIOD IS',31X,1P,"
                       "G12.3,/,5X,'     SCALING FACTOR IS ',25X,1P,G12.3,/)",
          {R(at(N + 1)), R(0.8)});
    e.put("(/,5X,'DIAGNOSTICS:')");
    if (fixedSteps) e.put("(/,10X,'SUMMARY DIAGNOSTICS ARE REQUESTED FOR INITIAL',' CONTACT OVERCLOSURE')");
    e.put(adaptive[level]);
  }
  EXPECT_EQ(printedText(), e.text());
  EXPECT_EQ(pages(), (std::vector<int>{3, 3, 2, 2, 2, 3, 3, 2, 2, 3, 3, 2, 2}));
}

TEST_F(DynamicsPrinters, BucklingByLanczosAndAnUnreadableStepRecord) {
  // The cyclic walk meets an address past the last record before the range ends: the runaway
  // message, and the modes found so far.
  eqc_testing::setSlideLineStore({});
  rec::i(CSLV, 15) = eqc_testing::appendSlideLineRecord({153, 1, 5, 0});
  rec::i(CSLV, 16) = static_cast<int>(eqc_testing::slideLineStore().size()) + 50;
  rec::i(CPHCON, 3) = 6;
  rec.integer(N, 3).real(N + 1, 40.0).integer(N + 2, 20).integer(N + 3, 9).real(N + 4, 0.0).real(N + 6, -2.5);
  eigen(42, 0, 1);
  EXPECT_EQ(lcase, 1);
  eigenHead("(/,44X,'F O R   B U C K L I N G   P R E D I C T I O N',/)");
  lanczosCyclic(1, 5, 3);
  e.put("(5X,'LARGEST EIGENVALUE OF INTEREST  ',3X,1P,G12.5)", {R(40.0)});
  e.put("(5X,'SMALLEST EIGENVALUE OF INTEREST ',3X,1P,G12.5)", {R(-2.5)});
  e.put("(5X,'MAXIMUM NUMBER OF STEPS WITHIN RUN',5X,I5)", {I(20)});
  e.put("(5X,'BLOCK SIZE FOR LANCZOS PROCEDURE',7X,I5)", {I(6)});
  EXPECT_EQ(printedText(), e.text());
  EXPECT_EQ(pages(), (std::vector<int>{3, 3, 3, 2, 1, 2, 2, 1, 1}));
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN HSTEPE - LOOP 150 LIMIT EXCEEDED"));
}

TEST_F(DynamicsPrinters, OutputSettingsChoicesOfEachBranch) {
  const Real values[4] = {};
  StepRecord s(60);
  Int nrst = 0, nint = 0, ipflag = 1;
  // Procedure 92 prints the increment limit even in a perturbation step; extrapolation 1 and none.
  rec::i(CWORK, 28) = 1;
  s.integer(5, 92).integer(27, 1).integer(28, 40).integer(30, 1).integer(34, 2);
  HSTEPT(s.data(), values, &nrst, &nint, &ipflag);
  s.integer(5, 1).integer(27, 0).integer(30, 5);
  HSTEPT(s.data(), values, &nrst, &nint, &ipflag);
  rec::i(CWORK, 28) = 0;
  const char* increments = "(/,5X,'THE MAXIMUM NUMBER OF INCREMENTS IN THIS STEP IS',17X,I7)";
  const char* every = "(/,5X,'PRINT OF INCREMENT NUMBER, TIME, ETC., EVERY',I6,'  INCREMENTS')";
  const char* plotfile = "(/,5X,'THE NEUTRAL PLOTFILE WILL BE WRITTEN IN CARD IMAGE',' FORMAT')";
  e.put(increments, {I(40)});
  e.put(kPerturbation);  // CLINES words 13 and 14 name the same unit here
  e.put("(/,5X,'LINEAR EXTRAPOLATION WILL BE USED')");
  e.put(every, {I(2)});
  e.put(plotfile);
  e.put(increments, {I(40)});
  e.put("(/,5X,'EXTRAPOLATION WILL NOT BE USED')");
  e.put(every, {I(2)});
  e.put(plotfile);
  EXPECT_EQ(printedText(), e.text());

  // Explicit: the latest restart only; restart at the increment after the timemarks; history at
  // every increment; file output a number of times; a large-displacement procedure 18.
  const auto explicitStep = [&](Int restart, Int flag, Real history, Int output, Int adjusted) {
    nint = restart;
    ipflag = flag;
    s.integer(5, 18).integer(26, 1).real(42, history).integer(43, output).integer(48, adjusted).integer(49, 0);
    HSTEPT(s.data(), values, &nrst, &nint, &ipflag);
  };
  startPrinting();
  e = Expected();
  explicitStep(-3, 0, 0.0, 4, 0);
  explicitStep(2, 1, -1.0, 6, 1);
  const char* intervals = "(/,5X,'RESTART FILE WILL BE WRITTEN AT',I6,' EVENLY ','SPACED INTERVALS DURING THIS STEP')";
  e.put(intervals, {I(3)});
  e.put("(/,5X,'ONLY THE LATEST INCREMENT WILL BE RETAINED')");
  e.put("(/,5X,'HISTORY OUTPUT WILL BE WRITTEN AT EVERY INCREMENT')");
  e.put("(/,5X,'FILE OUTPUT WILL BE WRITTEN  ',I6,' TIMES DURING THIS STEP')", {I(4)});
  e.put(kLargeDisplacement);
  e.put(intervals, {I(2)});
  e.put(
      "(10X,'THE RESTART FILE WILL BE WRITTEN AT THE ','INCREMENT FOLLOWING THE TIMEMARKS',/,10X,'OF THE "
      "EVENLY SPACED INTERVALS.')");
  e.put("(/,5X,'FILE OUTPUT WILL BE WRITTEN AT',I6,' EVENLY ',' SPACED INTERVALS DURING THIS STEP')", {I(6)});
  e.put(
      "(10X,'THE TIME INCREMENTATION WILL BE ADJUSTED SO THAT',' THE OUTPUT FILE WILL ',/,10X,'BE WRITTEN AT THE "
      "EXACT ','TIMEMARKS OF THE EVENLY SPACED INTERVALS. ')");
  e.put(kLargeDisplacement);
  EXPECT_EQ(printedText(), e.text());
  EXPECT_EQ(pages(), (std::vector<int>{2, 2, 2, 2, 2, 2, 2}));
}

}  // namespace
