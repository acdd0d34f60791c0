// The step-procedure echoes against the records gfortran writes for the same formats and values,
// with the paging counts each printer announces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/control_records.h"
#include "siblings/eqc/page_control_testing.h"
#include "siblings/eqc/eqc_labels.h"
#include "siblings/eqc/testing.h"
#include "tests/model/printers/expected_lines.h"
#include "tests/support/host_fixture.h"
#include "zmx/model/printers.h"
#include "zmx/storage/records.h"
#include "zmx/storage/sets.h"

namespace {

using namespace printers_test;

constexpr Int N = 30;  // where the procedure's own data begin
const Int kPrint[1] = {kUnit};

class StepPrinters : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    startPrinting();
    rec::i(CELFLG, 26) = 0;
    for (int k = 0; k < 5; ++k) rec.real(N + k, 0.125 * (k + 1));
    rec.real(N + 3, 2.5);
  }
  std::vector<int> pages() const { return eqc_page_testing::paginCounts(); }

  void heading(std::string_view title, int istep = 7, int indent = 24) {
    expected.put("(/,/," + std::to_string(indent) + "X,'S T E P',3X,I5,5X,'" + std::string(title) + "')",
                 {I(istep)});
  }
  void description() { expected.description(rec); }
  double at(int k) const { return rec::slotR(rec.data(), k); }
  void automatic() {
    expected.put("(/,5X,'AUTOMATIC TIME CONTROL WITH -')");
    expected.put(
        "(10X,'A SUGGESTED INITIAL TIME INCREMENT OF',13X,1P,G12.3,/,10X,'AND A TOTAL TIME PERIOD OF',24X,1P,G12.3,/,"
        "10X,'THE MINIMUM TIME INCREMENT ALLOWED IS',13X,1P,G12.3,/,10X,'THE MAXIMUM TIME INCREMENT ALLOWED "
        "IS',13X,1P,G12.3)",
        {R(at(N)), R(at(N + 1)), R(at(N + 2)), R(at(N + 3))});
  }
  void fixed() {
    expected.put("(/,10X,'FIXED TIME INCREMENTS')");
    expected.put("(10X,'TIME INCREMENT IS',33X,1P,G12.3,/,10X,'TIME PERIOD IS',36X,G12.3)",
                 {R(at(N)), R(at(N + 1))});
  }
  void controlledBy() { expected.put("(/,5X,'THE SIZE OF THE TIME INCREMENT IS CONTROLLED BY -')"); }
  void expectPrinted() { EXPECT_EQ(printedText(), expected.text()); }

  StepRecord rec;
  Expected expected;
};

TEST_F(StepPrinters, LineCodesPrintTheirLinesAndUnknownCodesCountNothing) {
  const Real values[4] = {1.5e-3, 12.0, -3.25e7, 0.0};
  for (Int code : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 0}) {
    Int nval = 4;
    HSTEPU(values, &nval, &code, kPrint);
  }
  Int one = 1;
  Int negative = -3;
  HSTEPU(rec.data() + 5, &negative, &one, kPrint);
  expected.put("(/,5X,'EXPLICIT TIME INTEGRATION WILL BE USED THROUGH',' THE ENTIRE STEP')")
      .put("(/,10X,'LARGE DISPLACEMENT THEORY WILL BE USED')")
      .put("(/,5X,'AUTOMATIC TIME CONTROL WITH -')")
      .put("(10X,'A SUGGESTED INITIAL TIME INCREMENT OF',13X,1P,G12.3,/,10X,'AND A TOTAL TIME PERIOD OF',24X,1P,"
           "G12.3,/,10X,'THE MINIMUM TIME INCREMENT ALLOWED IS',13X,1P,G12.3,/,10X,'THE MAXIMUM TIME INCREMENT "
           "ALLOWED IS',13X,1P,G12.3)",
           {R(values[0]), R(values[1]), R(values[2]), R(values[3])})
      .put("(/,10X,'FIXED TIME INCREMENTS')")
      .put("(/,5X,'THE SIZE OF THE TIME INCREMENT IS CONTROLLED BY -')")
      .put("(10X,'THE PARAMETER  CETOL',30X,1P,G12.3)", {R(values[0])})
      .put("(10X,'THE TEMPERATURE CHANGE PER INCREMENT NOT EXCEEDING',8X,1P,G12.3)", {R(values[0])})
      .put("(10X,'TIME INCREMENT IS',33X,1P,G12.3,/,10X,'TIME PERIOD IS',36X,G12.3)", {R(values[0]), R(values[1])})
      .put("(10X,'THE EMISSIVITY CHANGE PER INCREMENT NOT EXCEEDING',8X,1P,G12.3)", {R(values[0])})
      .put("(10X,'THE NORMALIZED CONCENTRATION CHANGE PER INCREMENT ','NOT EXCEEDING',1P,G12.3)", {R(values[0])})
      .put("(10X,'A TOTAL TIME PERIOD OF',24X,1P,G12.3)", {R(values[0])})
      .put("(/,10X,'UNSYMMETRIC MATRIX STORAGE AND SOLUTION WILL ','BE USED')")
      .put("(/,5X,'AUTOMATIC LOAD CONTROL WITH -')")
      .put("(10X,'A SUGGESTED INITIAL LOAD PROPORTIONALITY FACTOR ','OF',1X,1P,G12.3,/,10X,'AND A TOTAL LOAD "
           "PROPORTIONALITY FACTOR OF',9X,1P,G12.3,/,10X,'THE MINIMUM ARC LENGTH INCREMENT ALLOWED IS',8X,1P,G12.3,/,"
           "10X,'THE MAXIMUM ARC LENGTH INCREMENT ALLOWED IS',8X,1P,G12.3)",
           {R(values[0]), R(values[1]), R(values[2]), R(values[3])})
      .put("(/,10X,'FIXED ARC LENGTH INCREMENTS')")
      .put("(10X,'ARC LENGTH INCREMENT IS',27X,1P,G12.3,/,10X,'TOTAL LOAD PROPORTIONALITY FACTOR IS',14X,G12.3)",
           {R(values[0]), R(values[1])})
      .put("(/,/,10X,10A8)");
  expectPrinted();
  EXPECT_EQ(pages(), (std::vector<int>{2, 2, 2, 4, 2, 0, 0, 0, 0, 2, 1, 1, 2, 1, 0, 1, 1, 1, 2, 4, 1, 2, 0, 0, 3}));
}

TEST_F(StepPrinters, HeatTransferSteadyTransientAndFixed) {
  rec.real(N + 4, 0.0).real(N + 5, 40.0).real(N + 6, 0.02);
  Int steady = 31, transient = 33, fixedCode = 32, istep = 7;
  HSTEPH(rec.data(), &N, &steady, &istep, kPrint);
  heading("S T E A D Y   S T A T E   H E A T   T R A N S F E R");
  description();
  automatic();
  // With emissivity defined, every form adds the emissivity lines; a termination rate adds its own.
  rec::i(CELFLG, 26) = 1;
  rec.real(N + 4, 1.0e-3);
  HSTEPH(rec.data(), &N, &steady, &istep, kPrint);
  heading("S T E A D Y   S T A T E   H E A T   T R A N S F E R");
  description();
  automatic();
  controlledBy();
  expected.put("(10X,'THE EMISSIVITY CHANGE PER INCREMENT NOT EXCEEDING',8X,1P,G12.3)", {R(0.02)});
  HSTEPH(rec.data(), &N, &transient, &istep, kPrint);
  heading("T R A N S I E N T   H E A T   T R A N S F E R");
  description();
  automatic();
  controlledBy();
  expected.put("(10X,'THE TEMPERATURE CHANGE PER INCREMENT NOT EXCEEDING',8X,1P,G12.3)", {R(40.0)});
  controlledBy();
  expected.put("(10X,'THE EMISSIVITY CHANGE PER INCREMENT NOT EXCEEDING',8X,1P,G12.3)", {R(0.02)});
  expected.put(
      "(/,10X,'THE ANALYSIS WILL TERMINATE IF THE TEMPERATURE',/,10X,'CHANGE RATE IN AN INCREMENT IS LESS "
      "THAN',10X,1P,G12.3)",
      {R(1.0e-3)});
  rec::i(CELFLG, 26) = 0;
  HSTEPCTE(rec.data(), &N, &(fixedCode = 76), &istep, kPrint);
  heading("T R A N S I E N T   T H E R M A L - E L E C T R I C A L");
  description();
  fixed();
  expected.put(
      "(/,10X,'THE ANALYSIS WILL TERMINATE IF THE TEMPERATURE',/,10X,'CHANGE RATE IN AN INCREMENT IS LESS "
      "THAN',10X,1P,G12.3)",
      {R(1.0e-3)});
  expectPrinted();
  EXPECT_EQ(pages(), (std::vector<int>{3, 3, 2, 4, 3, 3, 2, 4, 2, 1, 3, 3, 2, 4, 2, 1, 2, 1, 3, 3, 3, 2, 2, 3}));
}

TEST_F(StepPrinters, MassDiffusionSteadyStatePrintsTheFixedValuesWithoutTheirHeading) {
  rec.real(N + 5, 0.3);
  Int steady = 34, transient = 36, istep = 2;
  HMDIF(rec.data(), &N, &steady, &istep, kPrint);
  heading("S T E A D Y   S T A T E   M A S S    D I F F U S I O N", 2);
  description();
  expected.put("(10X,'TIME INCREMENT IS',33X,1P,G12.3,/,10X,'TIME PERIOD IS',36X,G12.3)", {R(at(N)), R(at(N + 1))});
  expected.put(
      "(/,10X,'THE ANALYSIS WILL TERMINATE IF THE NORMALIZED',/,10X,'CONCENTRATION CHANGE RATE IN AN INCREMENT "
      "IS',' LESS THAN',10X,1P,G12.3)",
      {R(at(N + 4))});
  rec.real(N + 4, 0.0);
  HMDIF(rec.data(), &N, &transient, &istep, kPrint);
  heading("T R A N S I E N T   M A S S   D I F F U S I O N", 2);
  description();
  automatic();
  controlledBy();
  expected.put("(10X,'THE NORMALIZED CONCENTRATION CHANGE PER INCREMENT ','NOT EXCEEDING',1P,G12.3)", {R(0.3)});
  expectPrinted();
}

TEST_F(StepPrinters, ViscoTreatsAnAbsentCetolAsFixedIncrementation) {
  Int unused = 0, istep = 3;
  rec.real(N + 4, 1.0e36).real(N + 8, 0.0).real(N + 9, 2.0e-4);
  HSTEPC(rec.data(), &N, &unused, &unused, &istep, kPrint);
  heading("V I S C O   A N A L Y S I S", 3);
  description();
  fixed();
  expected.put("(/,5X,'AUTOMATIC STABILIZATION WITH DISSIPATION ','FACTOR = ',1P,G11.3)", {R(2.0e-4)});
  rec.real(N + 4, 0.05).integer(N + 5, 1).real(N + 8, 3.0e-3);
  HSTEPC(rec.data(), &N, &unused, &unused, &istep, kPrint);
  heading("V I S C O   A N A L Y S I S", 3);
  description();
  automatic();
  controlledBy();
  expected.put("(10X,'THE PARAMETER  CETOL',30X,1P,G12.3)", {R(0.05)});
  expected.put("(/,5X,'EXPLICIT TIME INTEGRATION WILL BE USED THROUGH',' THE ENTIRE STEP')");
  expected.put("(/,5X,'AUTOMATIC STABILIZATION WITH DISSIPATION ','INTENSITY = ',1P,G11.3)", {R(3.0e-3)});
  expectPrinted();
}

TEST_F(StepPrinters, SoilsGeostaticSteadyAndConsolidation) {
  Int istep = 4;
  Int geostatic = 61, steadyFixed = 62, consolidation = 65, fixedConsolidation = 64;
  HSTPSL(rec.data(), &N, &geostatic, &istep, kPrint);
  heading("G E O S T A T I C   S T R E S S   A N A L Y S I S", 4);
  description();
  HSTPSL(rec.data(), &N, &steadyFixed, &istep, kPrint);
  heading("S T E A D Y   S T A T E   S O I L   A N A L Y S I S", 4);
  description();
  fixed();
  rec.real(N + 5, 12.5).integer(N + 7, 1).real(N + 6, 0.07).real(N + 4, 1.0e-2).real(N + 8, 0.5);
  HSTPSL(rec.data(), &N, &consolidation, &istep, kPrint);
  heading("C O N S O L I D A T I O N   A N A L Y S I S", 4);
  description();
  expected.put("(10X,'MAX. PORE PRESSURE CHANGE PERMITTED IN AN INC.',4X,1P,G12.3)", {R(12.5)});
  expected.put(
      "(10X,'A SUGGESTED INITIAL TIME INCREMENT OF',13X,1P,G12.3,/,10X,'AND A TOTAL TIME PERIOD OF',24X,1P,G12.3,/,"
      "10X,'THE MINIMUM TIME INCREMENT ALLOWED IS',13X,1P,G12.3,/,10X,'THE MAXIMUM TIME INCREMENT ALLOWED "
      "IS',13X,1P,G12.3)",
      {R(at(N)), R(at(N + 1)), R(at(N + 2)), R(at(N + 3))});
  expected.put("(/)");
  expected.put("(10X,'THE PARAMETER  CETOL',30X,1P,G12.3)", {R(0.07)});
  expected.put(
      "(10X,'THE ANALYSIS WILL TERMINATE AT THE FINAL TIME ','SPECIFIED',/,10X,'OR WHEN THE RATE OF CHANGE OF "
      "PORE PRESSURE ','FALLS BELOW',1P,G12.3)",
      {R(1.0e-2)});
  expected.put("(/,5X,'AUTOMATIC STABILIZATION WITH DISSIPATION ','INTENSITY = ',1P,G11.3)", {R(0.5)});
  rec.integer(N + 7, 0).real(N + 4, 0.0).real(N + 8, 0.0);
  HSTPSL(rec.data(), &N, &fixedConsolidation, &istep, kPrint);
  heading("C O N S O L I D A T I O N   A N A L Y S I S", 4);
  description();
  fixed();
  expected.put("(/)");
  expected.put("(/,10X,'CREEP, SWELLING, AND VISCOELASTIC EFFECTS ARE ','OMITTED IN THIS STEP')");
  expected.put("(10X,'THE ANALYSIS WILL TERMINATE AT THE FINAL TIME ','SPECIFIED',/)");
  expectPrinted();
}

TEST_F(StepPrinters, CoupledSteadyStatePrintsTheDescriptionTwice) {
  Int steady = 71, transient = 73, istep = 5;
  rec.integer(N + 6, 1);
  HSTPTD(rec.data(), &N, &steady, &istep, kPrint);
  const char* title = "C O U P L E D - T E M P E R A T U R E - D I S P L A C E M E N T   A N A L Y S I S";
  heading(title, 5);
  description();
  expected.put("(/,10X,'STEADY STATE ANALYSIS')");
  description();
  automatic();
  rec.integer(N + 6, 0).integer(N + 7, 1).real(N + 4, 25.0).real(N + 5, 1.0e36).real(N + 9, 0.25);
  HSTPTD(rec.data(), &N, &transient, &istep, kPrint);
  heading(title, 5);
  description();
  automatic();
  expected.put("(/,10X,'CREEP AND SWELLING EFFECTS ARE OMITTED IN THIS ST','EP')");
  expected.put("(/,5X,'EXPLICIT TIME INTEGRATION WILL BE USED THROUGH',' THE ENTIRE STEP')");
  controlledBy();
  expected.put("(10X,'THE TEMPERATURE CHANGE PER INCREMENT NOT EXCEEDING',8X,1P,G12.3)", {R(25.0)});
  expected.put("(/,5X,'AUTOMATIC STABILIZATION WITH DISSIPATION ','FACTOR = ',1P,G11.3)", {R(0.25)});
  expectPrinted();
}

TEST_F(StepPrinters, TransportCountsEightLinesWhateverItPrints) {
  Int automaticCode = 85, fixedCode = 86, istep = 9;
  const char* title = "S T E A D Y   S T A T E   T R A N S P O R T   A N A L Y S I S";
  rec.integer(N + 4, 0);
  HSSTRANS(rec.data(), &N, &fixedCode, &istep, kPrint);
  heading(title, 9, 18);
  description();
  fixed();
  expected.put("(/,5X,'INERTIA EFFECTS ARE IGNORED IN THIS STEP.')");
  rec.integer(N + 4, 1).integer(N + 5, 1).integer(N + 7, 3);
  HSSTRANS(rec.data(), &N, &automaticCode, &istep, kPrint);
  heading(title, 9, 18);
  description();
  automatic();
  expected.put(
      "(/,5X,'THE SOLUTION TO EACH INCREMENT WILL BE ACCEPTED ','WHEN THE ITERATION LIMIT',/,5X,'HAS BEEN "
      "REACHED',' EVEN IF THE EQUILIBRIUM TOLERANCES ARE STILL EXCEEDED.',/,5X,'---WARNING--- INTERPRET ANY "
      "OUT-OF-EQUILIBRIUM RESULTS WITH ','CAUTION')");
  expected.put("(/,5X,'INERTIA EFFECTS ARE INCLUDED IN THIS STEP.')");
  expected.put(
      "(/,5X,'VISCOELASTIC MATERIAL EFFECTS ARE INCLUDED IN ','THIS STEP. THE VISCOUS ',/,5X,'STRESSES WILL BE "
      "','INCREASED LINEARLY, FROM THE VALUES AT THE BEGINNING ',/,5X,'OF THE STEP TO THE VALUES AT THE END OF "
      "THE STEP.',/,/)");
  expectPrinted();
  EXPECT_EQ(pages(), (std::vector<int>{3, 3, 2, 2, 8, 3, 3, 2, 4, 2, 8}));
}

TEST_F(StepPrinters, FixedIncrementsOfMassDiffusionAndCoupledStepsAndTheOtherViscoelasticTexts) {
  Int fixedDiffusion = 35, fixedCoupled = 72, transport = 85, istep = 6;
  rec.real(N + 4, 0.0).integer(N + 6, 1).real(N + 8, 0.0).real(N + 9, 0.0);
  HMDIF(rec.data(), &N, &fixedDiffusion, &istep, kPrint);
  heading("T R A N S I E N T   M A S S   D I F F U S I O N", 6);
  description();
  fixed();
  HSTPTD(rec.data(), &N, &fixedCoupled, &istep, kPrint);
  heading("C O U P L E D - T E M P E R A T U R E - D I S P L A C E M E N T   A N A L Y S I S", 6);
  description();
  fixed();
  const char* texts[] = {
      "(/,5X,'VISCOELASTIC MATERIAL EFFECTS ARE INCLUDED IN ','THIS STEP. THE VISCOUS ',/,5X,'STRESSES WILL BE "
      "','APPLIED INSTANTANEOUSLY AT THE BEGINNING OF THE STEP.',/,/)",
      "(/,5X,'MATERIAL CONVECTION IN THE VISCOELASTIC MATERIAL IS',' IGNORED IN THIS STEP. ',/,5X,'THE FULLY "
      "RELAXED LONG-TERM SOLUTION WILL BE COMPUTED.',/,/)"};
  for (const int choice : {1, 2}) {
    rec.integer(N + 4, 0).integer(N + 5, 0).integer(N + 7, choice);
    HSSTRANS(rec.data(), &N, &transport, &istep, kPrint);
    heading("S T E A D Y   S T A T E   T R A N S P O R T   A N A L Y S I S", 6, 18);
    description();
    automatic();
    expected.put("(/,5X,'INERTIA EFFECTS ARE IGNORED IN THIS STEP.')");
    expected.put(texts[choice - 1]);
  }
  expectPrinted();
  EXPECT_EQ(pages(), (std::vector<int>{3, 3, 2, 2, 3, 3, 2, 2, 3, 3, 2, 4, 8, 3, 3, 2, 4, 8}));
}

TEST_F(StepPrinters, ModalDynamicsAndResponseSpectrum) {
  Int istep = 11;
  rec.integer(N + 2, 1);
  HMODYN(rec.data(), &N, &istep, kPrint);
  heading("M O D A L   D Y N A M I C   A N A L Y S I S", 11);
  description();
  fixed();
  expected.put("(/,10X,'INITIAL CONDITIONS WILL BE USED',/)");
  // Spectrum: CQC modes, SRSS components; direction 2 has no scale factor and is left out.
  eqc_testing::resetLongLabels();
  char longName[80];
  const std::string spectrum = "A SPECTRUM NAME LONGER THAN EIGHT CHARACTERS";
  for (int k = 0; k < 80; ++k) longName[k] = k < static_cast<int>(spectrum.size()) ? spectrum[k] : ' ';
  const Int registerOp = 0;
  DBLABEL(&registerOp, longName, 80);
  StepRecord s;
  s.integer(N, 4).integer(N + 1, 2);
  s.text(N + 5, " L000001").real(N + 6, 1.0).real(N + 7, 0.0).real(N + 8, -0.5).real(N + 9, 9.81);
  s.text(N + 10, "SHOCK2").real(N + 14, 0.0);
  s.text(N + 15, "SHOCK3").real(N + 16, 0.25).real(N + 19, 2.0);
  HSPEC(s.data(), &N, &istep, kPrint);
  heading("R E S P O N S E   S P E C T R U M", 11);
  expected.description(s);
  const std::string spectrumFormat =
      "(/,5X,'NAME OF SPECTRUM         ',A80,/,5X,'DIRECTION OF EXCITATION  ',3(1P,G10.3),/,5X,'SCALE FACTOR     "
      "        ',1P,G10.3)";
  expected.put(
      "(/,/,24X,'MODES ARE ADDED ACCORDING TO    ',A4,/,24X,'COMPONENTS ADDED ACCORDING TO   ',A8,A1)",
      {C("CQC     "), C("SRSS    "), C(" ")});
  expected.put(spectrumFormat, {C(std::string(longName, 80)), R(1.0), R(0.0), R(-0.5), R(9.81)});
  expected.put(spectrumFormat, {C(std::string("SHOCK3").append(75, ' ')), R(0.25), R(0.0), R(0.0), R(2.0)});
  expectPrinted();
  EXPECT_EQ(pages(), (std::vector<int>{3, 3, 2, 2, 3, 3, 3, 4, 4, 4}));
}

}  // namespace
