// Solution controls: their defaults (PRINST and the setters), the printed control tables of the
// implicit and explicit programs with each non-default value marked, and two small services.
//
// ICONT is the step's integer control array (8-byte slots, integer in the low word); ICONT(1) is
// K, the real control m being RCONT(K+m); the tolerance block follows RCONT(K + ICONT(2)).

#include <cmath>
#include <string>
#include <string_view>

#include "model/printers/print_support.h"
#include "runtime/record.h"
#include "siblings/eqc/control_records.h"
#include "zmx/model/printers.h"
#include "zmx/storage/results.h"

namespace {

using zmx::printing::mark;
using zmx::printing::pagin;
using zmx::printing::put;

constexpr int kFields = 8;
constexpr int kFieldArrays = 9;
constexpr int kExplicitFields = 2;
constexpr int kExplicitArrays = 8;

// Every default of the implicit controls, as PRINST sets them.
struct Defaults {
  Int own[3];
  Int timeInts[10];
  Int lineSearchInt;
  Real compat[3];
  Real compatPair[2];
  Real timeReals[16];
  Real ownPair[2];
  Real ownReals[3];
  Real lineSearch[4];
  Real conversionRatio;
  Real fields[kFieldArrays][kFields];
  Real compatLast[2];
  Real zeroFieldRatio;
};

Defaults implicitDefaults(Int kproc) {
  Defaults d{};
  Real(&f)[kFieldArrays][kFields] = d.fields;
  PRINST(&d.own[0], &d.own[1], &d.own[2], &d.timeInts[0], &d.timeInts[1], &d.timeInts[2], &d.timeInts[3],
         &d.timeInts[4], &d.timeInts[5], &d.timeInts[6], &d.timeInts[7], &d.timeInts[8], &d.timeInts[9],
         &d.lineSearchInt, &d.compat[0], &d.compat[1], &d.compat[2], d.compatPair, &d.timeReals[0], &d.timeReals[1],
         &d.timeReals[2], &d.timeReals[3], &d.timeReals[4], &d.timeReals[5], &d.timeReals[6], &d.timeReals[7],
         &d.timeReals[8], &d.timeReals[9], &d.timeReals[10], &d.timeReals[11], &d.timeReals[12], &d.timeReals[13],
         &d.timeReals[14], &d.timeReals[15], d.ownPair, &d.ownReals[0], &d.ownReals[1], &d.ownReals[2],
         &d.lineSearch[0], &d.lineSearch[1], &d.lineSearch[2], &d.lineSearch[3], &d.conversionRatio, f[0], f[1],
         f[2], f[3], f[4], f[5], f[6], f[7], &d.compatLast[0], &d.compatLast[1], &kproc, f[8], &d.zeroFieldRatio);
  return d;
}

struct ExplicitDefaults {
  Int ints[7];     // ICONT(4) to ICONT(10)
  Real reals[17];  // RCONT(K+3) to RCONT(K+19)
  Real fields[kExplicitArrays][kExplicitFields];
};

ExplicitDefaults explicitDefaults() {
  ExplicitDefaults d{};
  Int* i = d.ints;
  Real* r = d.reals;
  ICONX(&i[0], &i[1], &i[2], &i[3], &i[4], &i[5], &i[6], &r[0], &r[1], &r[2], &r[3], &r[4], &r[5], &r[6], &r[7],
        &r[8], &r[9], &r[10], &r[11], &r[12], &r[13], &r[14], &r[15], &r[16]);
  Real(&f)[kExplicitArrays][kExplicitFields] = d.fields;
  ICONXF(f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]);
  return d;
}

// The step's controls and the marks printed so far.
class Table {
 public:
  Table(const void* icont, const Real* rcont) : icont_(icont), rcont_(rcont), unit_(zmx::printing::controlUnit()) {}

  Int icont(int k) const { return zmx::printing::integerAt(icont_, k); }
  Int k() const { return icont(1); }
  Int tolerances() const { return icont(1) + icont(2); }
  Real rcont(long long k) const { return rcont_[k - 1]; }

  void integerRow(std::string_view format, Int value, Int fallback) {
    put(unit_, format, {note(value != fallback), value});
  }
  void realRow(std::string_view format, Real value, Real fallback) {
    put(unit_, format, {note(value != fallback), value});
  }
  void realRow(std::string_view format, std::string_view text, Real value, Real fallback) {
    put(unit_, format, {note(value != fallback), text, value});
  }
  void realRow(std::string_view format, std::string_view a, std::string_view b, Real value, Real fallback) {
    put(unit_, format, {note(value != fallback), a, b, value});
  }
  void markedRow(std::string_view format, std::string_view text, Real value) {
    put(unit_, format, {note(true), text, value});
  }
  void plain(std::string_view format, std::initializer_list<fio::OutItem> items = {}) { put(unit_, format, items); }

  // Marks the row when asked and remembers that a mark was printed.
  std::string_view note(bool differs) {
    marked_ = marked_ || differs;
    return mark(differs);
  }
  bool marked() const { return marked_; }

 private:
  const void* icont_;
  const Real* rcont_;
  Int unit_;
  bool marked_ = false;
};

void setSlot(void* icont, int k, Int value) { rec::setSlotI(icont, k, value); }

}  // namespace

extern "C" {

void ICONTF(const Int* j, Real* a1, Real* a2, Real* a3, Real* a4, Real* a5, Real* a6, Real* a7, Real* a8, Real* a9,
            Real* s1, Real* s2) {
  const Int e = *j - 1;
  Real* arrays[kFieldArrays] = {a1, a2, a3, a4, a5, a6, a7, a8, a9};
  static constexpr Real kValues[kFieldArrays] = {0.005, 0.01, 0.0, -0.01, 0.02, 1.0e-5, 0.001, 1.0e-8, 1.0e-5};
  for (int a = 0; a < kFieldArrays; ++a) arrays[a][e] = kValues[a];
  *s1 = 1.0;
  *s2 = 1.0e-8;
}

void ICONTC(Real* r1, Real* r2, Real* r3, Real* pair, Real* r4, Real* r5) {
  *r1 = *r2 = *r3 = 1.0e-5;
  pair[0] = 0.005;
  pair[1] = 0.1;
  *r4 = *r5 = 1.0e-5;
}

void ICONTT(Int* i1, Int* i2, Int* i3, Int* i4, Int* i5, Int* i6, Int* i7, Int* i8, Int* i9, Int* i10, Real* r1,
            Real* r2, Real* r3, Real* r4, Real* r5, Real* r6, Real* r7, Real* r8, Real* r9, Real* r10, Real* r11,
            Real* r12, Real* r13, Real* r14, Real* r15, Real* r16) {
  Int* ints[10] = {i1, i2, i3, i4, i5, i6, i7, i8, i9, i10};
  static constexpr Int kInts[10] = {4, 8, 9, 16, 10, 4, 12, 5, 6, 3};
  for (int k = 0; k < 10; ++k) *ints[k] = kInts[k];
  Real* reals[16] = {r1, r2, r3, r4, r5, r6, r7, r8, r9, r10, r11, r12, r13, r14, r15, r16};
  static constexpr Real kReals[16] = {0.25, 0.5, 0.75, 0.85, 0.25, 0.25, 1.5, 0.75,
                                      0.8,  1.5, 1.25, 2.0,  1.0,  0.1,  1.0, 0.95};
  for (int k = 0; k < 16; ++k) *reals[k] = kReals[k];
}

void ICONTL(Int* i1, Real* r1, Real* r2, Real* r3, Real* r4) {
  *i1 = 0;
  *r1 = 4.0;
  *r2 = 0.25;
  *r3 = 0.25;
  *r4 = 0.15;
}

void PRINST(Int* i1, Int* i2, Int* i3, Int* t1, Int* t2, Int* t3, Int* t4, Int* t5, Int* t6, Int* t7, Int* t8,
            Int* t9, Int* t10, Int* l1, Real* c1, Real* c2, Real* c3, Real* cpair, Real* tr1, Real* tr2, Real* tr3,
            Real* tr4, Real* tr5, Real* tr6, Real* tr7, Real* tr8, Real* tr9, Real* tr10, Real* tr11, Real* tr12,
            Real* tr13, Real* tr14, Real* tr15, Real* tr16, Real* ownPair, Real* own1, Real* own2, Real* own3,
            Real* lr1, Real* lr2, Real* lr3, Real* lr4, Real* fscalar1, Real* f1, Real* f2, Real* f3, Real* f4,
            Real* f5, Real* f6, Real* f7, Real* f8, Real* c4, Real* c5, const Int* kproc, Real* f9,
            Real* fscalar2) {
  for (Int j = 1; j <= kFields; ++j) ICONTF(&j, f1, f2, f3, f4, f5, f6, f7, f8, f9, fscalar1, fscalar2);
  ICONTC(c1, c2, c3, cpair, c4, c5);
  ICONTT(t1, t2, t3, t4, t5, t6, t7, t8, t9, t10, tr1, tr2, tr3, tr4, tr5, tr6, tr7, tr8, tr9, tr10, tr11, tr12,
         tr13, tr14, tr15, tr16);
  if (*kproc == 85 || *kproc == 86) {
    *t1 = 3;
    *t7 = 5;
  }
  ICONTL(l1, lr1, lr2, lr3, lr4);
  *i1 = 30;
  *i2 = 35;
  *i3 = 9;
  ownPair[0] = ownPair[1] = 0.0;
  *own1 = *own2 = *own3 = 0.0;
}

void ICONX(Int* i1, Int* i2, Int* i3, Int* i4, Int* i5, Int* i6, Int* i7, Real* r1, Real* r2, Real* r3, Real* r4,
           Real* r5, Real* r6, Real* r7, Real* r8, Real* r9, Real* r10, Real* r11, Real* r12, Real* r13, Real* r14,
           Real* r15, Real* r16, Real* r17) {
  Int* ints[7] = {i1, i2, i3, i4, i5, i6, i7};
  static constexpr Int kInts[7] = {10, 20, 20, 0, 0, 0, 0};
  for (int k = 0; k < 7; ++k) *ints[k] = kInts[k];
  Real* reals[17] = {r1, r2, r3, r4, r5, r6, r7, r8, r9, r10, r11, r12, r13, r14, r15, r16, r17};
  static constexpr Real kReals[17] = {0.75, 0.05, 0.5,    0.75, 0.25, 15.0, 7.5, 1.5,   0.8,
                                      50.0, 5000.0, 1.5, 3.0,  0.5,  0.3,  1.0, 0.0001};
  for (int k = 0; k < 17; ++k) *reals[k] = kReals[k];
}

void ICONXF(Real* a1, Real* a2, Real* a3, Real* a4, Real* a5, Real* a6, Real* a7, Real* a8) {
  Real* arrays[kExplicitArrays] = {a1, a2, a3, a4, a5, a6, a7, a8};
  static constexpr Real kValues[kExplicitArrays] = {0.005, 0.01, 0.0, 0.0, 0.001, 0.005, 0.001, 1.0e-6};
  for (int a = 0; a < kExplicitArrays; ++a) arrays[a][0] = arrays[a][1] = kValues[a];
}

void HSTTIM(const void* icont, const Real* rcont, const Int* kproc, const Int* unused, const Int* accur,
            const Int* iprint, const Int* full) {
  (void)unused;
  const Defaults d = implicitDefaults(*kproc);
  Table t(icont, rcont);
  const Int K = t.k();
  const auto row = [&](std::string_view format, int word, Int fallback) {
    t.integerRow(format, t.icont(word), fallback);
  };
  const auto real = [&](std::string_view format, int m, Real fallback) { t.realRow(format, t.rcont(K + m), fallback); };
  constexpr std::string_view kRow1 =
      "(1X,A4,'FIRST EQUILIBRIUM ITERATION FOR CONSECUTIVE ','DIVERGENCE CHECK',10X,I5)";
  constexpr std::string_view kRow3 =
      "(1X,A4,'EQUILIBRIUM ITERATION AFTER WHICH ALTERNATE RESIDUAL',' IS USED',10X,I5)";
  constexpr std::string_view kRow4 = "(1X,A4,'MAXIMUM EQUILIBRIUM ITERATIONS ALLOWED',32X,I5)";
  constexpr std::string_view kRow7 = "(1X,A4,'MAXIMUM ITERATIONS FOR SEVERE DISCONTINUITIES',25X,I5)";
  if (*full == 0) {
    t.plain("(/,1X,'ITERATION CONTROL PARAMETERS:')");
    row(kRow1, 5, d.timeInts[0]);
    row(kRow3, 4, d.timeInts[2]);
    row(kRow4, 7, d.timeInts[3]);
    row(kRow7, 10, d.timeInts[6]);
    pagin(6, iprint);
  } else {
    t.plain("(/,1X,'TIME INCREMENTATION CONTROL PARAMETERS:')");
    row(kRow1, 5, d.timeInts[0]);
    row("(1X,A4,'EQUILIBRIUM ITERATION AT WHICH LOG. CONVERGENCE RATE',' CHECK BEGINS',5X,I5)", 6, d.timeInts[1]);
    row(kRow3, 4, d.timeInts[2]);
    row(kRow4, 7, d.timeInts[3]);
    row("(1X,A4,'EQUILIBRIUM ITERATION COUNT FOR CUT-BACK IN NEXT',' INCREMENT',12X,I5)", 8, d.timeInts[4]);
    row("(1X,A4,'MAXIMUM EQUILIB. ITERS IN TWO INCREMENTS FOR TIME',' INCREMENT INCREASE',2X,I5)", 9,
        d.timeInts[5]);
    row(kRow7, 10, d.timeInts[6]);
    row("(1X,A4,'MAXIMUM CUT-BACKS ALLOWED IN AN INCREMENT',29X,I5)", 11, d.timeInts[7]);
    row("(1X,A4,'MAXIMUM DISCON. ITERS IN TWO INCREMENTS FOR TIME',' INCREMENT INCREASE',3X,I5)", 22,
        d.timeInts[8]);
    pagin(11, iprint);
    if (*accur != 0) {
      row("(1X,A4,'CONSECUTIVE INCS MEETING TIME INTEG. ','TOL. FOR TIME INC. INCREASE',6X,I5)", 12, d.timeInts[9]);
      pagin(1, iprint);
    }
    // RCONT(K+m) has the default of the ICONTT real m-3.
    const auto fallback = [&](int m) { return d.timeReals[m - 4]; };
    real("(1X,A4,'CUT-BACK FACTOR AFTER DIVERGENCE',31X,1P,G12.4)", 4, fallback(4));
    real("(1X,A4,'CUT-BACK FACTOR FOR TOO SLOW CONVERGENCE',23X,1P,G12.4)", 5, fallback(5));
    real("(1X,A4,'CUT-BACK FACTOR AFTER TOO MANY EQUILIBRIUM ITERATIONS',10X,1P,G12.4)", 6, fallback(6));
    real("(1X,A4,'CUT-BACK FACTOR AFTER TOO MANY SEVERE DISCONTINUITY',' ITERATIONS',1X,1P,G12.4)", 8, fallback(8));
    real("(1X,A4,'CUT-BACK FACTOR AFTER PROBLEMS IN ELEMENT ASSEMBLY',13X,1P,G12.4)", 9, fallback(9));
    real("(1X,A4,'INCREASE FACTOR AFTER TWO INCREMENTS THAT CONVERGE',' QUICKLY',5X,1P,G12.4)", 10, fallback(10));
    real("(1X,A4,'MAX. TIME INCREMENT INCREASE FACTOR ALLOWED',20X,1P,G12.4)", 13, fallback(13));
    real("(1X,A4,'MAX. TIME INCREMENT INCREASE FACTOR ALLOWED',' (DYNAMICS) ',8X,1P,G12.4)", 14, fallback(14));
    real("(1X,A4,'MAX. TIME INCREMENT INCREASE FACTOR ALLOWED',' (DIFFUSION) ',7X,1P,G12.4)", 15, fallback(15));
    real("(1X,A4,'MINIMUM TIME INCREMENT RATIO FOR EXTRAPOLATION TO ','OCCUR',8X,1P,G12.4)", 17, fallback(17));
    pagin(9, iprint);
    if (*accur != 0) {
      real("(1X,A4,'CUT-BACK FACTOR WHEN TIME INTEGRATION ACCURACY TOL.',' EXCEEDED',3X,1P,G12.4)", 7, fallback(7));
      real("(1X,A4,'MAX. RATIO OF TIME INTEG. MEASURE TO TOL. FOR TIME ','INC. INCREASE',1P,G11.4)", 11,
           fallback(11));
      real("(1X,A4,'INCREASE FACTOR FOR TIME INCREMENT WHEN POSSIBLE',15X,1P,G12.4)", 12, fallback(12));
      real("(1X,A4,'MIN. TIME INC. INCREASE FACTOR IN LINEAR TRANSIENT',' PROBLEMS',4X,1P,G12.4)", 16, fallback(16));
      pagin(4, iprint);
    }
    real("(1X,A4,'MAX. RATIO OF TIME INCREMENT TO STABILITY LIMIT',16X,1P,G12.4)", 18, fallback(18));
    real("(1X,A4,'FRACTION OF STABILITY LIMIT FOR NEW TIME INCREMENT',13X,1P,G12.4)", 19, fallback(19));
    pagin(2, iprint);
  }
  if (!t.marked()) return;
  if (*full != 0)
    t.plain(
        "(/,1X,'*** INDICATES USE OF NON-DEFAULT TIME ','INCREMENTATION CONTROL PARAMETER',/,5X,'SELECTED WITH "
        "','*CONTROLS')");
  else
    t.plain(
        "(/,1X,'*** INDICATES USE OF NON-DEFAULT ITERATION ','CONTROL PARAMETER',/,5X,'SELECTED WITH *CONTROLS')");
  pagin(3, iprint);
}

void HSTLS(const void* icont, const Real* rcont, const Int* iprint, const Int* kproc) {
  const Defaults d = implicitDefaults(*kproc);
  Table t(icont, rcont);
  const Int K = t.k();
  t.plain("(/,1X,'LINE SEARCH TOLERANCE PARAMETERS:')");
  t.integerRow("(1X,A4,'MAXIMUM NUMBER OF ZERO-FINDING ITERATIONS',31X,I3)", t.icont(21), d.lineSearchInt);
  t.realRow("(1X,A4,'MAXIMUM CORRECTION SCALE FACTOR',32X,1P,G12.3)", t.rcont(K + 25), d.lineSearch[0]);
  t.realRow("(1X,A4,'MINIMUM CORRECTION SCALE FACTOR',32X,1P,G12.3)", t.rcont(K + 26), d.lineSearch[1]);
  t.realRow("(1X,A4,'RESIDUAL REDUCTION FACTOR TO END LINE SEARCHING',16X,1P,G12.3)", t.rcont(K + 27),
            d.lineSearch[2]);
  t.realRow("(1X,A4,'RATIO OF NEW TO OLD SCALE FACTORS TO END LINE SEARCHING',8X,1P,G12.3)", t.rcont(K + 28),
            d.lineSearch[3]);
  pagin(6, iprint);
  if (!t.marked()) return;
  t.plain(
      "(/,1X,'*** INDICATES USE OF NON-DEFAULT LINE SEARCH ','TOLERANCE PARAMETER',/,5X,'SELECTED WITH *CONTROLS')");
  pagin(3, iprint);
}

void HSTTOL(const void* icont, const Real* rcont, const Int* averageAsValue, const Int* iprint,
            const Int* field3From5, const Int* field4From6, const Int* kproc) {
  constexpr int kLabelsFirst = 1;  // CFLDLB: eight labels of 9 characters
  constexpr int kNamesFirst = 73;  // then eight names of 8
  const auto label = [](int j) { return rec::chars(CFLDLB, kLabelsFirst + 9 * (j - 1), 9); };
  const auto name = [](int j) { return rec::chars(CFLDLB, kNamesFirst + 8 * (j - 1), 8); };
  const auto copyField = [&](int to, int from) {
    const std::string fromLabel(label(from));
    const std::string fromName(name(from));
    rec::setChars(CFLDLB, kLabelsFirst + 9 * (to - 1), 9, fromLabel);
    rec::setChars(CFLDLB, kNamesFirst + 8 * (to - 1), 8, fromName);
  };
  const Defaults d = implicitDefaults(*kproc);
  Table t(icont, rcont);
  const Int K = t.k();
  const Int L = t.tolerances();
  for (int j = 1; j <= kFields; ++j) {
    if (t.icont(12 + j) != 1) continue;
    if (j == 3 && *field3From5 != 0) copyField(3, 5);
    if (j == 4 && *field4From6 != 0) copyField(4, 6);
    const std::string lab(label(j));
    const std::string nam(name(j));
    const auto value = [&](int block) { return t.rcont(L + j + 8 * block); };
    const auto fallback = [&](int array) { return d.fields[array - 1][j - 1]; };
    pagin(10, iprint);
    t.plain("(/,1X,'CONVERGENCE TOLERANCE PARAMETERS FOR ',A9)", {std::string_view(lab)});
    t.realRow("(1X,A4,'CRITERION FOR RESIDUAL ',A9,' FOR A NONLINEAR ','PROBLEM',7X,1P,G12.3)", lab, value(0),
              fallback(1));
    t.realRow("(1X,A4,'CRITERION FOR ',A8,' CORRECTION IN A NONLINEAR',' PROBLEM',7X,1P,G12.3)", nam, value(1),
              fallback(2));
    constexpr std::string_view kInitial = "(1X,A4,'INITIAL VALUE OF TIME AVERAGE ',A9,19X,1P,G12.3)";
    const Real average = value(2);
    const Real initial = value(3);
    if (average == 0.0) {
      if (initial > 0.0)
        t.markedRow(kInitial, lab, initial);
      else if (*averageAsValue == 1)
        t.plain(kInitial, {t.note(false), std::string_view(lab), -initial});
      else
        t.plain("(5X,'INIT. VALUE OF TIME AVG. ',A9,' IS TIME AVG. ',A9,' IN PREVIOUS STEP')",
                {std::string_view(lab), std::string_view(lab)});
      t.plain("(5X,'AVERAGE ',A9,' IS TIME AVERAGE ',A9)", {std::string_view(lab), std::string_view(lab)});
    } else {
      t.markedRow("(1X,A4,'USER DEFINED VALUE OF AVERAGE ',A9,' NORM',14X,1P,G12.3)", lab, average);
    }
    t.realRow("(1X,A4,'ALTERNATE CRIT. FOR RESIDUAL ',A9,' FOR A ','NONLINEAR PROBLEM',1X,1P,G12.3)", lab, value(4),
              fallback(5));
    const bool zeroMarked = value(5) != fallback(6);
    if (zeroMarked) rec::i(CTOLM, 82 + j) = 1;
    t.realRow("(1X,A4,'CRITERION FOR ZERO ',A9,' RELATIVE TO TIME AVRG. ',A9,2X,1P,G12.3)", lab, lab, value(5),
              fallback(6));
    t.realRow("(1X,A4,'CRITERION FOR RESIDUAL ',A9,' WHEN THERE IS ','ZERO FLUX',7X,1P,G12.3)", lab, value(5),
              fallback(6));
    t.realRow("(1X,A4,'CRITERION FOR ',A8,' CORRECTION WHEN THERE IS ','ZERO FLUX',6X,1P,G12.3)", nam, value(6),
              fallback(7));
    t.realRow("(1X,A4,'CRITERION FOR RESIDUAL ',A9,' FOR ','A LINEAR INCREMENT',8X,1P,G12.3)", lab, value(7),
              fallback(8));
    t.realRow("(1X,A4,'FIELD CONVERSION RATIO',41X,1P,G12.3)", t.rcont(K + 29), d.conversionRatio);
    t.realRow("(1X,A4,'CRITERION FOR ZERO ',A9,' REL. TO TIME',' AVRG. MAX. ',A9,1X,1P,G12.3)", lab, lab, value(8),
              fallback(9));
    if (j == 1)
      t.realRow("(1X,A4,'CRITERION FOR ZERO ',A8,' RELATIVE TO ','CHARACTERISTIC LENGTH',2X,1P,G12.3)", nam,
                t.rcont(K + 34), d.zeroFieldRatio);
  }
  t.realRow("(/,1X,A4,'VOLUMETRIC STRAIN COMPATIBILITY TOLERANCE FOR ','HYBRID SOLIDS',4X,1P,G12.3)", t.rcont(K + 1),
            d.compat[0]);
  t.realRow("(1X,A4,'AXIAL STRAIN COMPATIBILITY TOLERANCE FOR HYBRID',' BEAMS',10X,1P,G12.3)", t.rcont(K + 2),
            d.compat[1]);
  t.realRow("(1X,A4,'TRANS. SHEAR STRAIN COMPATIBILITY TOLERANCE FOR ','HYBRID BEAMS',3X,1P,G12.3)", t.rcont(K + 3),
            d.compat[2]);
  t.realRow("(1X,A4,'SOFT CONTACT CONSTRAINT COMPATIBILITY TOLERANCE ','FOR P>P0',7X,1P,G12.3)", t.rcont(K + 30),
            d.compatPair[0]);
  t.realRow("(1X,A4,'SOFT CONTACT CONSTRAINT COMPATIBILITY TOLERANCE ','FOR P=0.0',6X,1P,G12.3)", t.rcont(K + 31),
            d.compatPair[1]);
  t.realRow("(1X,A4,'DISPLACEMENT COMPATIBILITY TOLERANCE ','FOR DCOUP ELEMENTS',8X,1P,G12.3)", t.rcont(K + 32),
            d.compatLast[0]);
  t.realRow("(1X,A4,'ROTATION COMPATIBILITY TOLERANCE ','FOR DCOUP ELEMENTS',12X,1P,G12.3)", t.rcont(K + 33),
            d.compatLast[1]);
  pagin(6, iprint);
  if (!t.marked()) return;
  t.plain(
      "(/,1X,'*** INDICATES USE OF NON-DEFAULT CONVERGENCE ','TOLERANCE PARAMETER',/,5X,'SELECTED WITH *CONTROLS')");
  pagin(3, iprint);
}

void HSTTIMX(void* icont, Real* rcont, const Int* kproc) {
  const ExplicitDefaults d = explicitDefaults();
  const Int K = zmx::printing::integerAt(icont, 1);
  if (*kproc != 18 && *kproc != 21) {
    for (int k = 0; k < 7; ++k) setSlot(icont, 4 + k, d.ints[k]);
    for (int m = 3; m <= 19; ++m) rcont[K + m - 1] = d.reals[m - 3];
    return;
  }
  Table t(icont, rcont);
  const auto fallback = [&](int m) { return d.reals[m - 3]; };
  const auto real = [&](std::string_view format, int m) { t.realRow(format, t.rcont(K + m), fallback(m)); };
  const auto row = [&](std::string_view format, int word) { t.integerRow(format, t.icont(word), d.ints[word - 4]); };
  t.plain("(/,1X,'TIME INCREMENTATION CONTROL PARAMETERS:')");
  row("(1X,A4,'NUMBER OF ITERATIONS FOR MOVING AVERAGE FLUX ',13X,I5)", 4);
  row("(1X,A4,'NUMBER OF ITERATIONS FOR LEAST SQUARES FIT   ',13X,I5)", 5);
  row("(1X,A4,'NUMBER OF TARGET EQUILIBRIUM ITERATIONS      ',13X,I5)", 6);
  row("(1X,A4,'CONTACT TRACK (0 - ADAP, 1 - INC, 2 - ALWAYS)     ',8X,I5)", 7);
  row("(1X,A4,'FLUX CONVERGENCE FLAG (0 - YES, 1 - NO)           ',8X,I5)", 8);
  row("(1X,A4,'FLETCHER-REEVES FLAG (0 - NO, 1 - YES)            ',8X,I5)", 9);
  row("(1X,A4,'ILL-CONDITIONING CHECK (0 - NO, 1 - YES)          ',8X,I5)", 10);
  real("(1X,A4,'SCALE FACTOR FOR LOWER BOUND OF CONVERGENCE TEST ',6X,1P,G12.4)", 9);
  real("(1X,A4,'SCALE FACTOR FOR UPPER BOUND OF CONVERGENCE TEST ',6X,1P,G12.4)", 8);
  real("(1X,A4,'SCALE FACTOR FOR LOWER BOUND OF 1ST INCREMENT    ',6X,1P,G12.4)", 14);
  real("(1X,A4,'SCALE FACTOR FOR UPPER BOUND OF 1ST INCREMENT    ',6X,1P,G12.4)", 15);
  real("(1X,A4,'CUT-BACK FACTOR FOR FAILED CONVERGENCE           ',6X,1P,G12.4)", 5);
  real("(1X,A4,'CUT-BACK FACTOR FOR SLOW CONVERGENCE             ',6X,1P,G12.4)", 6);
  real("(1X,A4,'CUT-BACK FACTOR FOR ELEMENT DISTORTION           ',6X,1P,G12.4)", 7);
  real("(1X,A4,'CUT-BACK FACTOR FOR EXCESSIVE STRAIN INCREMENT   ',6X,1P,G12.4)", 3);
  real("(1X,A4,'INCREASE FACTOR FOR RAPID CONVERGENCE            ',6X,1P,G12.4)", 10);
  real("(1X,A4,'FLUX NORM DIVERGENCE LIMIT                       ',6X,1P,G12.4)", 12);
  real("(1X,A4,'FIELD NORM DIVERGENCE LIMIT                      ',6X,1P,G12.4)", 13);
  real("(1X,A4,'PERCENTAGE FACTOR FOR TURNING ON STEEPEST DESCENT',6X,1P,G12.4)", 17);
  real("(1X,A4,'CONTACT RELAXATION FACTOR                        ',6X,1P,G12.4)", 11);
  real("(1X,A4,'STEEPEST DESCENT RELAXATION FACTOR               ',6X,1P,G12.4)", 16);
  real("(1X,A4,'MONOTONIC PROJECTION FACTOR                      ',6X,1P,G12.4)", 18);
  real("(1X,A4,'STRAIN INCREMENT THRESHOLD                       ',6X,1P,G12.4)", 4);
  real("(1X,A4,'POSITIVE SLOPE THRESHOLD                         ',6X,1P,G12.4)", 19);
}

void HSTTOLX(void* icont, Real* rcont, const Int* kproc) {
  const ExplicitDefaults d = explicitDefaults();
  const Int L = zmx::printing::integerAt(icont, 1) + zmx::printing::integerAt(icont, 2);
  if (*kproc != 18 && *kproc != 21) {
    for (int j = 1; j <= kExplicitFields; ++j)
      for (int block = 0; block < kExplicitArrays; ++block) rcont[L + j + 8 * block - 1] = d.fields[block][j - 1];
    return;
  }
  Table t(icont, rcont);
  constexpr int kLabelsFirst = 1;
  constexpr int kNamesFirst = 73;
  for (int j = 1; j <= kExplicitFields; ++j) {
    if (t.icont(12 + j) != 1) continue;
    const std::string lab(rec::chars(CFLDLB, kLabelsFirst + 9 * (j - 1), 9));
    // The 8-character name: in an A9 field it stands right-justified behind one blank.
    const std::string nam(rec::chars(CFLDLB, kNamesFirst + 8 * (j - 1), 8));
    const auto value = [&](int block) { return t.rcont(L + j + 8 * block); };
    const auto fallback = [&](int block) { return d.fields[block][j - 1]; };
    t.plain("(/,1X,'CONVERGENCE TOLERANCE PARAMETERS FOR ',A9)", {std::string_view(lab)});
    t.realRow("(1X,A4,'CRITERION FOR RESIDUAL ',A9,' ',25X,1P,G12.3)", lab, value(0), fallback(0));
    t.realRow("(1X,A4,'CRITERION FOR ',A8,' CORRECTIONS ',23X,1P,G12.3)", nam, value(1), fallback(1));
    if (value(3) > 0.0) t.markedRow("(1X,A4,'INITIAL VALUE OF TIME AVERAGE ',A9,19X,1P,G12.3)", lab, value(3));
    if (value(2) > 0.0)
      t.markedRow("(1X,A4,'USER DEFINED VALUE OF AVERAGE ',A9,' NORM',14X,1P,G12.3)", lab, value(2));
    t.realRow("(1X,A4,'FLUX ACCEPTANCE RELATIVE TO UQBAR ',A9,15X,1P,G12.3)", lab, value(5), fallback(5));
    t.realRow("(1X,A4,'FIELD ACCEPTANCE RELATIVE TO ',A9,' CORRECTION',9X,1P,G12.3)", nam, value(6), fallback(6));
    t.realRow("(1X,A4,'CRITERION FOR ZERO FLUX FOR ',A9,21X,1P,G12.3)", lab, value(4), fallback(4));
    t.realRow("(1X,A4,'CRITERION FOR ZERO FIELD FOR ',A9,20X,1P,G12.3)", nam, value(7), fallback(7));
  }
}

void SHR_GETLOCALPARAMETERS(Int* ia, Int* ib, Real* r) {
  using eqc_records::realWord;
  *ia = 100;
  *ib = rec::i(CDYN, 72);
  *r = std::abs(rec::r(CTOLM, realWord(71)) + rec::r(CTOLM, realWord(206))) * rec::r(CTOLP, realWord(52));
}

}  // extern "C"
