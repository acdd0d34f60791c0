// Solution-control defaults and the control tables: each table at its defaults and with controls
// moved off their defaults by the smallest step, against the records gfortran writes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/control_records.h"
#include "siblings/eqc/page_control_testing.h"
#include "tests/model/printers/expected_lines.h"
#include "tests/support/host_fixture.h"
#include "zmx/model/printers.h"
#include "zmx/storage/results.h"

namespace {

using namespace printers_test;

constexpr int K = 10;  // ICONT(1): real control m is RCONT(K+m)
constexpr int L = 50;  // ICONT(1) + ICONT(2): start of the tolerance block
const Int kPrint[1] = {kUnit};

// The step's controls, set to the defaults as the analysts list them.
struct Controls {
  std::vector<Real> icont = std::vector<Real>(40, 0.0);
  std::vector<Real> rcont = std::vector<Real>(200, 0.0);

  Controls() {
    setInt(1, K);
    setInt(2, L - K);
    const int ints[][2] = {{5, 4}, {6, 8}, {4, 9}, {7, 16}, {8, 10}, {9, 4}, {10, 12}, {11, 5}, {22, 6}, {12, 3}};
    for (const auto& [word, value] : ints) setInt(word, value);
    const double reals[] = {0.25, 0.5, 0.75, 0.85, 0.25, 0.25, 1.5, 0.75, 0.8, 1.5, 1.25, 2.0, 1.0, 0.1, 1.0, 0.95};
    for (int m = 4; m <= 19; ++m) real(m) = reals[m - 4];
    real(25) = 4.0, real(26) = 0.25, real(27) = 0.25, real(28) = 0.15;
    real(1) = real(2) = real(3) = 1.0e-5;
    real(30) = 0.005, real(31) = 0.1, real(32) = real(33) = 1.0e-5;
    real(29) = 1.0, real(34) = 1.0e-8;
    const double field[] = {0.005, 0.01, 0.0, -0.01, 0.02, 1.0e-5, 0.001, 1.0e-8, 1.0e-5};
    for (int j = 1; j <= 8; ++j)
      for (int b = 0; b < 9; ++b) tolerance(j, b) = field[b];
  }
  void setInt(int word, int value) { rec::setSlotI(icont.data(), word, value); }
  Real& real(int m) { return rcont[static_cast<std::size_t>(K + m - 1)]; }
  Real& tolerance(int j, int block) { return rcont[static_cast<std::size_t>(L + j + 8 * block - 1)]; }
};

double off(double value) { return std::nextafter(value, 1.0e300); }

class ControlTables : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    startPrinting();
    const char* labels = "FORCE    MOMENT   FLUX     CHARGE   CONCENTR VOLUME   CURRENT  PORE     ";
    const char* names = "DISPLACEROTATIONTEMPERATPOTENTIACONCENTRVOLUME  VOLTAGE PRESSURE";
    rec::setChars(CFLDLB, 1, 72, labels);
    rec::setChars(CFLDLB, 73, 64, names);
  }
  Controls c;
  Expected e;
};

struct Row {
  const char* format;
  bool integer;
  int index;  // ICONT word, or m of RCONT(K+m)
};

const Row kTimeRows[] = {
    {"(1X,A4,'FIRST EQUILIBRIUM ITERATION FOR CONSECUTIVE ','DIVERGENCE CHECK',10X,I5)", true, 5},
    {"(1X,A4,'EQUILIBRIUM ITERATION AT WHICH LOG. CONVERGENCE RATE',' CHECK BEGINS',5X,I5)", true, 6},
    {"(1X,A4,'EQUILIBRIUM ITERATION AFTER WHICH ALTERNATE RESIDUAL',' IS USED',10X,I5)", true, 4},
    {"(1X,A4,'MAXIMUM EQUILIBRIUM ITERATIONS ALLOWED',32X,I5)", true, 7},
    {"(1X,A4,'EQUILIBRIUM ITERATION COUNT FOR CUT-BACK IN NEXT',' INCREMENT',12X,I5)", true, 8},
    {"(1X,A4,'MAXIMUM EQUILIB. ITERS IN TWO INCREMENTS FOR TIME',' INCREMENT INCREASE',2X,I5)", true, 9},
    {"(1X,A4,'MAXIMUM ITERATIONS FOR SEVERE DISCONTINUITIES',25X,I5)", true, 10},
    {"(1X,A4,'MAXIMUM CUT-BACKS ALLOWED IN AN INCREMENT',29X,I5)", true, 11},
    {"(1X,A4,'MAXIMUM DISCON. ITERS IN TWO INCREMENTS FOR TIME',' INCREMENT INCREASE',3X,I5)", true, 22},
    {"(1X,A4,'CONSECUTIVE INCS MEETING TIME INTEG. ','TOL. FOR TIME INC. INCREASE',6X,I5)", true, 12},
    {"(1X,A4,'CUT-BACK FACTOR AFTER DIVERGENCE',31X,1P,G12.4)", false, 4},
    {"(1X,A4,'CUT-BACK FACTOR FOR TOO SLOW CONVERGENCE',23X,1P,G12.4)", false, 5},
    {"(1X,A4,'CUT-BACK FACTOR AFTER TOO MANY EQUILIBRIUM ITERATIONS',10X,1P,G12.4)", false, 6},
    {"(1X,A4,'CUT-BACK FACTOR AFTER TOO MANY SEVERE DISCONTINUITY',' ITERATIONS',1X,1P,G12.4)", false, 8},
    {"(1X,A4,'CUT-BACK FACTOR AFTER PROBLEMS IN ELEMENT ASSEMBLY',13X,1P,G12.4)", false, 9},
    {"(1X,A4,'INCREASE FACTOR AFTER TWO INCREMENTS THAT CONVERGE',' QUICKLY',5X,1P,G12.4)", false, 10},
    {"(1X,A4,'MAX. TIME INCREMENT INCREASE FACTOR ALLOWED',20X,1P,G12.4)", false, 13},
    {"(1X,A4,'MAX. TIME INCREMENT INCREASE FACTOR ALLOWED',' (DYNAMICS) ',8X,1P,G12.4)", false, 14},
    {"(1X,A4,'MAX. TIME INCREMENT INCREASE FACTOR ALLOWED',' (DIFFUSION) ',7X,1P,G12.4)", false, 15},
    {"(1X,A4,'MINIMUM TIME INCREMENT RATIO FOR EXTRAPOLATION TO ','OCCUR',8X,1P,G12.4)", false, 17},
    {"(1X,A4,'CUT-BACK FACTOR WHEN TIME INTEGRATION ACCURACY TOL.',' EXCEEDED',3X,1P,G12.4)", false, 7},
    {"(1X,A4,'MAX. RATIO OF TIME INTEG. MEASURE TO TOL. FOR TIME ','INC. INCREASE',1P,G11.4)", false, 11},
    {"(1X,A4,'INCREASE FACTOR FOR TIME INCREMENT WHEN POSSIBLE',15X,1P,G12.4)", false, 12},
    {"(1X,A4,'MIN. TIME INC. INCREASE FACTOR IN LINEAR TRANSIENT',' PROBLEMS',4X,1P,G12.4)", false, 16},
    {"(1X,A4,'MAX. RATIO OF TIME INCREMENT TO STABILITY LIMIT',16X,1P,G12.4)", false, 18},
    {"(1X,A4,'FRACTION OF STABILITY LIMIT FOR NEW TIME INCREMENT',13X,1P,G12.4)", false, 19},
};

void expectRow(Expected& e, Controls& c, const Row& row, bool marked) {
  if (row.integer)
    e.put(row.format, {C(marked ? "*** " : "    "), I(rec::slotI(c.icont.data(), row.index))});
  else
    e.put(row.format, {C(marked ? "*** " : "    "), R(c.real(row.index))});
}

TEST_F(ControlTables, DefaultsOfEverySetter) {
  Controls d;
  Int own[3], t[10], l1;
  Real c3[3], pair[2], tr[16], ownPair[2], own3[3], lr[4], fs1, f[9][8], c2[2], fs2;
  Int kproc = 85;
  PRINST(&own[0], &own[1], &own[2], &t[0], &t[1], &t[2], &t[3], &t[4], &t[5], &t[6], &t[7], &t[8], &t[9], &l1, &c3[0],
         &c3[1], &c3[2], pair, &tr[0], &tr[1], &tr[2], &tr[3], &tr[4], &tr[5], &tr[6], &tr[7], &tr[8], &tr[9], &tr[10],
         &tr[11], &tr[12], &tr[13], &tr[14], &tr[15], ownPair, &own3[0], &own3[1], &own3[2], &lr[0], &lr[1], &lr[2],
         &lr[3], &fs1, f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], &c2[0], &c2[1], &kproc, f[8], &fs2);
  EXPECT_EQ((std::vector<int>{own[0], own[1], own[2]}), (std::vector<int>{30, 35, 9}));
  EXPECT_EQ((std::vector<int>(t, t + 10)), (std::vector<int>{3, 8, 9, 16, 10, 4, 5, 5, 6, 3}));
  for (int m = 4; m <= 19; ++m) EXPECT_EQ(tr[m - 4], d.real(m)) << m;
  EXPECT_EQ(l1, 0);
  EXPECT_EQ((std::vector<double>(lr, lr + 4)), (std::vector<double>{4.0, 0.25, 0.25, 0.15}));
  EXPECT_EQ((std::vector<double>{c3[0], c3[1], c3[2], pair[0], pair[1], c2[0], c2[1]}),
            (std::vector<double>{1.0e-5, 1.0e-5, 1.0e-5, 0.005, 0.1, 1.0e-5, 1.0e-5}));
  EXPECT_EQ((std::vector<double>{ownPair[0], ownPair[1], own3[0], own3[1], own3[2]}), std::vector<double>(5, 0.0));
  for (int j = 1; j <= 8; ++j)
    for (int b = 0; b < 9; ++b) EXPECT_EQ(f[b][j - 1], d.tolerance(j, b)) << j << " " << b;
  EXPECT_EQ(fs1, 1.0);
  EXPECT_EQ(fs2, 1.0e-8);
}

TEST_F(ControlTables, FullTimeTableAtDefaultsThenEveryControlOneStepOff) {
  Int kproc = 1, unused = 0, accur = 1, full = 1;
  HSTTIM(c.icont.data(), c.rcont.data(), &kproc, &unused, &accur, kPrint, &full);
  e.put("(/,1X,'TIME INCREMENTATION CONTROL PARAMETERS:')");
  for (const Row& row : kTimeRows) expectRow(e, c, row, false);
  EXPECT_EQ(eqc_page_testing::paginCounts(), (std::vector<int>{11, 1, 9, 4, 2}));
  for (const Row& row : kTimeRows) {
    if (row.integer)
      c.setInt(row.index, rec::slotI(c.icont.data(), row.index) + 1);
    else
      c.real(row.index) = off(c.real(row.index));
  }
  HSTTIM(c.icont.data(), c.rcont.data(), &kproc, &unused, &accur, kPrint, &full);
  e.put("(/,1X,'TIME INCREMENTATION CONTROL PARAMETERS:')");
  for (const Row& row : kTimeRows) expectRow(e, c, row, true);
  e.put(
      "(/,1X,'*** INDICATES USE OF NON-DEFAULT TIME ','INCREMENTATION CONTROL PARAMETER',/,5X,'SELECTED WITH "
      "','*CONTROLS')");
  EXPECT_EQ(printedText(), e.text());
}

TEST_F(ControlTables, IterationTableKnowsTheDefaultsOfProcedures85And86) {
  c.setInt(5, 3);
  c.setInt(10, 5);
  Int kproc = 86, unused = 0, accur = 0, full = 0;
  HSTTIM(c.icont.data(), c.rcont.data(), &kproc, &unused, &accur, kPrint, &full);
  const Row rows[] = {kTimeRows[0], kTimeRows[2], kTimeRows[3], kTimeRows[6]};
  e.put("(/,1X,'ITERATION CONTROL PARAMETERS:')");
  for (const Row& row : rows) expectRow(e, c, row, false);
  kproc = 1;
  HSTTIM(c.icont.data(), c.rcont.data(), &kproc, &unused, &accur, kPrint, &full);
  e.put("(/,1X,'ITERATION CONTROL PARAMETERS:')");
  expectRow(e, c, rows[0], true);
  expectRow(e, c, rows[1], false);
  expectRow(e, c, rows[2], false);
  expectRow(e, c, rows[3], true);
  e.put("(/,1X,'*** INDICATES USE OF NON-DEFAULT ITERATION ','CONTROL PARAMETER',/,5X,'SELECTED WITH *CONTROLS')");
  EXPECT_EQ(printedText(), e.text());
  EXPECT_EQ(eqc_page_testing::paginCounts(), (std::vector<int>{6, 6, 3}));
}

TEST_F(ControlTables, LineSearchTable) {
  Int kproc = 1;
  const char* rows[] = {"(1X,A4,'MAXIMUM CORRECTION SCALE FACTOR',32X,1P,G12.3)",
                        "(1X,A4,'MINIMUM CORRECTION SCALE FACTOR',32X,1P,G12.3)",
                        "(1X,A4,'RESIDUAL REDUCTION FACTOR TO END LINE SEARCHING',16X,1P,G12.3)",
                        "(1X,A4,'RATIO OF NEW TO OLD SCALE FACTORS TO END LINE SEARCHING',8X,1P,G12.3)"};
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) c.real(27) = off(c.real(27));
    HSTLS(c.icont.data(), c.rcont.data(), kPrint, &kproc);
    e.put("(/,1X,'LINE SEARCH TOLERANCE PARAMETERS:')");
    e.put("(1X,A4,'MAXIMUM NUMBER OF ZERO-FINDING ITERATIONS',31X,I3)", {C("    "), I(0)});
    for (int k = 0; k < 4; ++k) e.put(rows[k], {C(pass == 1 && k == 2 ? "*** " : "    "), R(c.real(25 + k))});
  }
  e.put(
      "(/,1X,'*** INDICATES USE OF NON-DEFAULT LINE SEARCH ','TOLERANCE PARAMETER',/,5X,'SELECTED WITH *CONTROLS')");
  EXPECT_EQ(printedText(), e.text());
  EXPECT_EQ(eqc_page_testing::paginCounts(), (std::vector<int>{6, 6, 3}));
}

// The rows of one field of the convergence-tolerance table after its heading and time averages.
void fieldRows(Expected& e, Controls& c, int j, const std::string& label, const std::string& name, bool zeroMarked) {
  const auto v = [&](int block) { return R(c.tolerance(j, block)); };
  const auto m = [](bool marked) { return C(marked ? "*** " : "    "); };
  e.put("(1X,A4,'ALTERNATE CRIT. FOR RESIDUAL ',A9,' FOR A ','NONLINEAR PROBLEM',1X,1P,G12.3)",
        {m(false), C(label), v(4)});
  e.put("(1X,A4,'CRITERION FOR ZERO ',A9,' RELATIVE TO TIME AVRG. ',A9,2X,1P,G12.3)",
        {m(zeroMarked), C(label), C(label), v(5)});
  e.put("(1X,A4,'CRITERION FOR RESIDUAL ',A9,' WHEN THERE IS ','ZERO FLUX',7X,1P,G12.3)",
        {m(zeroMarked), C(label), v(5)});
  e.put("(1X,A4,'CRITERION FOR ',A8,' CORRECTION WHEN THERE IS ','ZERO FLUX',6X,1P,G12.3)", {m(false), C(name), v(6)});
  e.put("(1X,A4,'CRITERION FOR RESIDUAL ',A9,' FOR ','A LINEAR INCREMENT',8X,1P,G12.3)", {m(false), C(label), v(7)});
  e.put("(1X,A4,'FIELD CONVERSION RATIO',41X,1P,G12.3)", {m(false), R(c.real(29))});
  e.put("(1X,A4,'CRITERION FOR ZERO ',A9,' REL. TO TIME',' AVRG. MAX. ',A9,1X,1P,G12.3)",
        {m(false), C(label), C(label), v(8)});
}

// The first three rows of a field's tolerances.
void fieldHead(Expected& e, Controls& c, const std::string& label, const std::string& name, int j) {
  e.put("(/,1X,'CONVERGENCE TOLERANCE PARAMETERS FOR ',A9)", {C(label)});
  e.put("(1X,A4,'CRITERION FOR RESIDUAL ',A9,' FOR A NONLINEAR ','PROBLEM',7X,1P,G12.3)",
        {C("    "), C(label), R(c.tolerance(j, 0))});
  e.put("(1X,A4,'CRITERION FOR ',A8,' CORRECTION IN A NONLINEAR',' PROBLEM',7X,1P,G12.3)",
        {C("    "), C(name), R(c.tolerance(j, 1))});
}

// The compatibility tolerances at their defaults, then the note on marked rows.
void compatibilityRowsAndNote(Expected& e, Controls& c) {
  const char* compat[] = {
      "(/,1X,A4,'VOLUMETRIC STRAIN COMPATIBILITY TOLERANCE FOR ','HYBRID SOLIDS',4X,1P,G12.3)",
      "(1X,A4,'AXIAL STRAIN COMPATIBILITY TOLERANCE FOR HYBRID',' BEAMS',10X,1P,G12.3)",
      "(1X,A4,'TRANS. SHEAR STRAIN COMPATIBILITY TOLERANCE FOR ','HYBRID BEAMS',3X,1P,G12.3)",
      "(1X,A4,'SOFT CONTACT CONSTRAINT COMPATIBILITY TOLERANCE ','FOR P>P0',7X,1P,G12.3)",
      "(1X,A4,'SOFT CONTACT CONSTRAINT COMPATIBILITY TOLERANCE ','FOR P=0.0',6X,1P,G12.3)",
      "(1X,A4,'DISPLACEMENT COMPATIBILITY TOLERANCE ','FOR DCOUP ELEMENTS',8X,1P,G12.3)",
      "(1X,A4,'ROTATION COMPATIBILITY TOLERANCE ','FOR DCOUP ELEMENTS',12X,1P,G12.3)"};
  const int compatM[] = {1, 2, 3, 30, 31, 32, 33};
  for (int k = 0; k < 7; ++k) e.put(compat[k], {C("    "), R(c.real(compatM[k]))});
  e.put("(/,1X,'*** INDICATES USE OF NON-DEFAULT CONVERGENCE ','TOLERANCE PARAMETER',/,5X,'SELECTED WITH *CONTROLS')");
}

TEST_F(ControlTables, AUserAverageAndAnInitialAverageTakenAsAValue) {
  c.setInt(14, 1);  // field 2: a user-defined average norm, always marked
  c.setInt(16, 1);  // field 4: the initial average from the caller's value, unmarked
  c.tolerance(2, 2) = 0.3;
  c.tolerance(4, 3) = -2.0;
  Int kproc = 1, averageAsValue = 1, copy = 0;
  HSTTOL(c.icont.data(), c.rcont.data(), &averageAsValue, kPrint, &copy, &copy, &kproc);
  fieldHead(e, c, "MOMENT   ", "ROTATION", 2);
  e.put("(1X,A4,'USER DEFINED VALUE OF AVERAGE ',A9,' NORM',14X,1P,G12.3)", {C("*** "), C("MOMENT   "), R(0.3)});
  fieldRows(e, c, 2, "MOMENT   ", "ROTATION", false);
  fieldHead(e, c, "CHARGE   ", "POTENTIA", 4);
  e.put("(1X,A4,'INITIAL VALUE OF TIME AVERAGE ',A9,19X,1P,G12.3)", {C("    "), C("CHARGE   "), R(2.0)});
  e.put("(5X,'AVERAGE ',A9,' IS TIME AVERAGE ',A9)", {C("CHARGE   "), C("CHARGE   ")});
  fieldRows(e, c, 4, "CHARGE   ", "POTENTIA", false);
  compatibilityRowsAndNote(e, c);
  EXPECT_EQ(printedText(), e.text());
}

TEST_F(ControlTables, ConvergenceTolerancesWithTimeAveragesAndCopiedLabels) {
  c.setInt(13, 1);  // field 1 active
  c.setInt(15, 1);  // field 3 active, takes the labels of field 5
  c.tolerance(1, 3) = 0.4;          // initial time average given: always marked
  c.tolerance(3, 3) = -2.0;         // from the previous step
  c.tolerance(3, 5) = off(1.0e-5);  // marks rows 5 and 6 and sets the flag of field 3
  Int kproc = 1, averageAsValue = 0, copy3 = 1, copy4 = 0;
  HSTTOL(c.icont.data(), c.rcont.data(), &averageAsValue, kPrint, &copy3, &copy4, &kproc);
  const auto head = [&](const std::string& label, const std::string& name, int j) { fieldHead(e, c, label, name, j); };
  head("FORCE    ", "DISPLACE", 1);
  e.put("(1X,A4,'INITIAL VALUE OF TIME AVERAGE ',A9,19X,1P,G12.3)", {C("*** "), C("FORCE    "), R(0.4)});
  e.put("(5X,'AVERAGE ',A9,' IS TIME AVERAGE ',A9)", {C("FORCE    "), C("FORCE    ")});
  fieldRows(e, c, 1, "FORCE    ", "DISPLACE", false);
  e.put("(1X,A4,'CRITERION FOR ZERO ',A8,' RELATIVE TO ','CHARACTERISTIC LENGTH',2X,1P,G12.3)",
        {C("    "), C("DISPLACE"), R(c.real(34))});
  head("CONCENTR ", "CONCENTR", 3);
  e.put("(5X,'INIT. VALUE OF TIME AVG. ',A9,' IS TIME AVG. ',A9,' IN PREVIOUS STEP')",
        {C("CONCENTR "), C("CONCENTR ")});
  e.put("(5X,'AVERAGE ',A9,' IS TIME AVERAGE ',A9)", {C("CONCENTR "), C("CONCENTR ")});
  fieldRows(e, c, 3, "CONCENTR ", "CONCENTR", true);
  compatibilityRowsAndNote(e, c);
  EXPECT_EQ(printedText(), e.text());
  EXPECT_EQ(eqc_page_testing::paginCounts(), (std::vector<int>{10, 10, 6, 3}));
  EXPECT_EQ(rec::i(CTOLM, 85), 1);
  EXPECT_EQ(rec::i(CTOLM, 83), 0);
  // The record keeps the copied texts.
  EXPECT_EQ(rec::chars(CFLDLB, 19, 9), "CONCENTR ");
}

TEST_F(ControlTables, ExplicitTablesResetOtherProceduresAndPrintFor18And21) {
  Int other = 17;
  HSTTIMX(c.icont.data(), c.rcont.data(), &other);
  HSTTOLX(c.icont.data(), c.rcont.data(), &other);
  EXPECT_EQ(printedText(), "");
  const int ints[] = {10, 20, 20, 0, 0, 0, 0};
  for (int k = 0; k < 7; ++k) EXPECT_EQ(rec::slotI(c.icont.data(), 4 + k), ints[k]);
  const double reals[] = {0.75, 0.05, 0.5, 0.75, 0.25, 15.0, 7.5, 1.5, 0.8, 50.0, 5000.0, 1.5, 3.0, 0.5, 0.3, 1.0, 1.0e-4};
  for (int m = 3; m <= 19; ++m) EXPECT_EQ(c.real(m), reals[m - 3]) << m;
  const double field[] = {0.005, 0.01, 0.0, 0.0, 0.001, 0.005, 0.001, 1.0e-6};
  for (int j = 1; j <= 2; ++j)
    for (int b = 0; b < 8; ++b) EXPECT_EQ(c.tolerance(j, b), field[b]);

  c.setInt(14, 1);              // field 2 active
  c.tolerance(2, 3) = 0.5;      // initial average: printed, marked
  c.tolerance(2, 2) = 0.7;      // user-defined average: printed, marked
  c.tolerance(2, 7) = 2.0e-6;   // zero field criterion off its default
  c.setInt(7, 2);               // contact track
  Int explicitCode = 21;
  HSTTIMX(c.icont.data(), c.rcont.data(), &explicitCode);
  HSTTOLX(c.icont.data(), c.rcont.data(), &explicitCode);
  e.put("(/,1X,'TIME INCREMENTATION CONTROL PARAMETERS:')");
  const char* intRows[] = {"(1X,A4,'NUMBER OF ITERATIONS FOR MOVING AVERAGE FLUX ',13X,I5)",
                           "(1X,A4,'NUMBER OF ITERATIONS FOR LEAST SQUARES FIT   ',13X,I5)",
                           "(1X,A4,'NUMBER OF TARGET EQUILIBRIUM ITERATIONS      ',13X,I5)",
                           "(1X,A4,'CONTACT TRACK (0 - ADAP, 1 - INC, 2 - ALWAYS)     ',8X,I5)",
                           "(1X,A4,'FLUX CONVERGENCE FLAG (0 - YES, 1 - NO)           ',8X,I5)",
                           "(1X,A4,'FLETCHER-REEVES FLAG (0 - NO, 1 - YES)            ',8X,I5)",
                           "(1X,A4,'ILL-CONDITIONING CHECK (0 - NO, 1 - YES)          ',8X,I5)"};
  for (int k = 0; k < 7; ++k)
    e.put(intRows[k], {C(k == 3 ? "*** " : "    "), I(rec::slotI(c.icont.data(), 4 + k))});
  const std::pair<const char*, int> realRows[] = {
      {"(1X,A4,'SCALE FACTOR FOR LOWER BOUND OF CONVERGENCE TEST ',6X,1P,G12.4)", 9},
      {"(1X,A4,'SCALE FACTOR FOR UPPER BOUND OF CONVERGENCE TEST ',6X,1P,G12.4)", 8},
      {"(1X,A4,'SCALE FACTOR FOR LOWER BOUND OF 1ST INCREMENT    ',6X,1P,G12.4)", 14},
      {"(1X,A4,'SCALE FACTOR FOR UPPER BOUND OF 1ST INCREMENT    ',6X,1P,G12.4)", 15},
      {"(1X,A4,'CUT-BACK FACTOR FOR FAILED CONVERGENCE           ',6X,1P,G12.4)", 5},
      {"(1X,A4,'CUT-BACK FACTOR FOR SLOW CONVERGENCE             ',6X,1P,G12.4)", 6},
      {"(1X,A4,'CUT-BACK FACTOR FOR ELEMENT DISTORTION           ',6X,1P,G12.4)", 7},
      {"(1X,A4,'CUT-BACK FACTOR FOR EXCESSIVE STRAIN INCREMENT   ',6X,1P,G12.4)", 3},
      {"(1X,A4,'INCREASE FACTOR FOR RAPID CONVERGENCE            ',6X,1P,G12.4)", 10},
      {"(1X,A4,'FLUX NORM DIVERGENCE LIMIT                       ',6X,1P,G12.4)", 12},
      {"(1X,A4,'FIELD NORM DIVERGENCE LIMIT                      ',6X,1P,G12.4)", 13},
      {"(1X,A4,'PERCENTAGE FACTOR FOR TURNING ON STEEPEST DESCENT',6X,1P,G12.4)", 17},
      {"(1X,A4,'CONTACT RELAXATION FACTOR                        ',6X,1P,G12.4)", 11},
      {"(1X,A4,'STEEPEST DESCENT RELAXATION FACTOR               ',6X,1P,G12.4)", 16},
      {"(1X,A4,'MONOTONIC PROJECTION FACTOR                      ',6X,1P,G12.4)", 18},
      {"(1X,A4,'STRAIN INCREMENT THRESHOLD                       ',6X,1P,G12.4)", 4},
      {"(1X,A4,'POSITIVE SLOPE THRESHOLD                         ',6X,1P,G12.4)", 19}};
  for (const auto& [format, m] : realRows) e.put(format, {C("    "), R(c.real(m))});
  e.put("(/,1X,'CONVERGENCE TOLERANCE PARAMETERS FOR ',A9)", {C("MOMENT   ")});
  e.put("(1X,A4,'CRITERION FOR RESIDUAL ',A9,' ',25X,1P,G12.3)", {C("    "), C("MOMENT   "), R(0.005)});
  e.put("(1X,A4,'CRITERION FOR ',A8,' CORRECTIONS ',23X,1P,G12.3)", {C("    "), C("ROTATION"), R(0.01)});
  e.put("(1X,A4,'INITIAL VALUE OF TIME AVERAGE ',A9,19X,1P,G12.3)", {C("*** "), C("MOMENT   "), R(0.5)});
  e.put("(1X,A4,'USER DEFINED VALUE OF AVERAGE ',A9,' NORM',14X,1P,G12.3)", {C("*** "), C("MOMENT   "), R(0.7)});
  e.put("(1X,A4,'FLUX ACCEPTANCE RELATIVE TO UQBAR ',A9,15X,1P,G12.3)", {C("    "), C("MOMENT   "), R(0.005)});
  e.put("(1X,A4,'FIELD ACCEPTANCE RELATIVE TO ',A9,' CORRECTION',9X,1P,G12.3)",
        {C("    "), C("ROTATION"), R(0.001)});
  e.put("(1X,A4,'CRITERION FOR ZERO FLUX FOR ',A9,21X,1P,G12.3)", {C("    "), C("MOMENT   "), R(0.001)});
  e.put("(1X,A4,'CRITERION FOR ZERO FIELD FOR ',A9,20X,1P,G12.3)", {C("*** "), C("ROTATION"), R(2.0e-6)});
  EXPECT_EQ(printedText(), e.text());
  EXPECT_TRUE(eqc_page_testing::paginCounts().empty());
}

TEST_F(ControlTables, LocalParametersForTheHost) {
  rec::i(CDYN, 72) = 17;
  rec::setR(CTOLM, eqc_records::realWord(71), -3.0);
  rec::setR(CTOLM, eqc_records::realWord(206), 1.0);
  rec::setR(CTOLP, eqc_records::realWord(52), 0.25);
  Int ia = 0, ib = 0;
  Real r = 0.0;
  SHR_GETLOCALPARAMETERS(&ia, &ib, &r);
  EXPECT_EQ(ia, 100);
  EXPECT_EQ(ib, 17);
  EXPECT_EQ(r, 0.5);
}

}  // namespace
