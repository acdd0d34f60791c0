// Contact-control echoes and the long-label table against the records gfortran writes for the
// contact layout (flag field, text, value at once after the last part).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/eqc_labels.h"
#include "siblings/eqc/job_testing.h"
#include "siblings/eqc/page_control_testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/model/printers/expected_lines.h"
#include "tests/support/host_fixture.h"
#include "zmx/model/printers.h"
#include "zmx/storage/sets.h"

namespace {

using namespace printers_test;

double chars8(std::string_view text) {
  char piece[8];
  for (std::size_t k = 0; k < 8; ++k) piece[k] = k < text.size() ? text[k] : ' ';
  double slot;
  std::memcpy(&slot, piece, 8);
  return slot;
}

double integerSlot(int value) { return eqc_testing::integerSlot(value); }

struct Pair {
  std::string slave = "SLAVE", master = "MASTER";
  int points = 0;
  double tensile = 0.0, overclosure = 0.0;
  int searches = 0, friction = 0, automatic = 0, iterations = 3;
  double tolerances[4] = {10.0, 2.0, 1.0, 2.0};
  int stabilization = 0;
  double patch = 0.0;
  bool zeroNames = false;  // name slots of zero bytes, as a record without names holds them

  std::vector<double> slots() const {
    std::vector<double> s(19, 0.0);  // slots 2 to 20
    s[0] = zeroNames ? 0.0 : chars8(slave);
    s[1] = zeroNames ? 0.0 : chars8(master);
    s[2] = integerSlot(points);
    s[3] = tensile;
    s[4] = overclosure;
    s[5] = integerSlot(searches);
    s[6] = integerSlot(0);
    s[7] = integerSlot(friction);
    s[8] = integerSlot(automatic);
    s[9] = integerSlot(iterations);
    for (int k = 0; k < 4; ++k) s[static_cast<std::size_t>(10 + k)] = tolerances[k];
    s[14] = integerSlot(stabilization);
    s[18] = patch;
    return s;
  }
};

class ContactControls : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    startPrinting();
    eqc_testing::setSlideLineStore({});
    eqc_testing::appendSlideLineRecord({0});  // address 1 is not a pair record
    eqc_testing::clearMessages();
  }
  void pairs(const std::vector<Pair>& list) {
    int first = 0;
    for (const Pair& p : list) {
      const int address = eqc_testing::appendSlideLineSlots(p.slots());
      if (first == 0) first = address;
    }
    rec::i(CSLES, 33) = first;
    rec::i(CSLES, 26) = static_cast<int>(eqc_testing::slideLineStore().size()) + 1;
  }
  // The global record: controls from slot 5.
  std::vector<double> global(const Pair& p) const {
    std::vector<double> g(20, 0.0);
    rec::setSlotI(g.data(), 3, 5);
    g[4] = integerSlot(p.points);
    g[5] = p.tensile;
    g[6] = p.overclosure;
    g[7] = integerSlot(p.friction);
    g[8] = integerSlot(p.automatic);
    g[9] = integerSlot(p.iterations);
    for (int k = 0; k < 4; ++k) g[static_cast<std::size_t>(10 + k)] = p.tolerances[k];
    g[14] = integerSlot(p.stabilization);
    return g;
  }
  void line(bool flagged, std::string_view text) { e.put("(1X,A4,A)", {C(flagged ? "*** " : "    "), C(text)}); }
  void value(bool flagged, std::string_view text, int v) {
    e.put("(1X,A4,A,I12)", {C(flagged ? "*** " : "    "), C(text), I(v)});
  }
  void value(bool flagged, std::string_view text, double v) {
    e.put("(1X,A4,A,1PE12.3)", {C(flagged ? "*** " : "    "), C(text), R(v)});
  }
  void automaticTolerances() {
    line(true, "AUTOMATIC TOLERANCES FOR OVERCLOSURE AND SEPARATION ");
    line(true, "PRESSURE ARE APPLIED");
  }
  void tolerances(const Pair& p, const bool flags[5]) {
    value(flags[0], "NUMBER OF ITERATION BEFORE TIGHT TOLERANCES ARE APPLIED", p.iterations);
    const char* texts[] = {"LOOSE TOLERANCE FOR NEGATIVE CONTACT PRESSURE", "LOOSE TOLERANCE FOR OVERCLOSURE DISTANCE",
                           "TIGHT TOLERANCE FOR NEGATIVE CONTACT PRESSURE", "TIGHT TOLERANCE FOR OVERCLOSURE DISTANCE"};
    for (int k = 0; k < 4; ++k) value(flags[k + 1], texts[k], p.tolerances[k]);
  }
  void limits(const Pair& p) {
    const bool any = p.points != 0;
    line(any, "MAXIMUM NUMBER OF POINTS PERMITTED TO VIOLATE INTERFACE");
    value(any, "CONDITION IN ANY INCREMENT", p.points);
    line(any && p.tensile != 0.0, "MAXIMUM TENSILE STRESS PERMITTED AT A CONTACT POINT FOR");
    value(any && p.tensile != 0.0, "THE SOLUTION TO BE ACCEPTED", p.tensile);
    line(any && p.overclosure != 0.0, "MAXIMUM OVERCLOSURE PERMITTED BETWEEN INTERFACES FOR");
    value(any && p.overclosure != 0.0, "THE SOLUTION TO BE ACCEPTED", p.overclosure);
    line(false, "AUTOMATIC TOLERANCES FOR OVERCLOSURE AND SEPARATION ");
    line(false, "PRESSURE ARE SUPPRESSED");
  }
  Expected e;
};

TEST_F(ContactControls, GlobalControlsAtTheirDefaultsPrintNothingEvenWithStabilization) {
  Pair p;
  p.stabilization = 1;
  p.tolerances[0] = 10.0 + 1.0e-16;  // within the tolerance of the comparison
  HGLOBALCONTCTRL(global(p).data());
  EXPECT_EQ(printedText(), "");
}

TEST_F(ContactControls, GlobalAutomaticTolerancesWithOneTightToleranceChanged) {
  Pair p;
  p.automatic = 1;
  HGLOBALCONTCTRL(global(p).data());
  const bool none[5] = {false, false, false, false, false};
  e.blank().put("(1X,A)", {C("CONTACT CONTROLS APPLIED TO ALL CONTACT PAIRS:")});
  automaticTolerances();
  tolerances(p, none);
  line(false, "STABILIZATION CONTROL IS SUPPRESSED");
  line(false, "FRICTION IS INCLUDED IN INCREMENT THAT THE CONTACT POINT CLOSES");
  const auto note = [&] {
    e.blank();
    line(true, "INDICATES USE OF NON-DEFAULT CONTROLS APPLIED TO ALL CONTACT PAIRS ");
    line(false, "UNLESS SPECIFICALLY OVERRIDDEN BY A LOCAL SURFACE BEHAVIOR OR ");
    line(false, "A CONTACT CONTROLS FOR A SPECIFIC CONTACT PAIR");
    e.blank();
  };
  note();
  p.tolerances[3] = 1.5;
  HGLOBALCONTCTRL(global(p).data());
  const bool tight[5] = {false, false, false, false, true};
  e.blank().put("(1X,A)", {C("CONTACT CONTROLS APPLIED TO ALL CONTACT PAIRS:")});
  automaticTolerances();
  tolerances(p, tight);
  line(false, "STABILIZATION CONTROL IS SUPPRESSED");
  line(false, "FRICTION IS INCLUDED IN INCREMENT THAT THE CONTACT POINT CLOSES");
  note();
  EXPECT_EQ(printedText(), e.text());
  EXPECT_EQ(eqc_page_testing::paginCounts(), (std::vector<int>{2, 2, 1, 1, 4, 2, 2, 1, 1, 4}));
}

TEST_F(ContactControls, GlobalLimitsWithoutAutomaticTolerances) {
  Pair p;
  p.points = 5;
  p.overclosure = 0.1;
  p.friction = 2;
  p.stabilization = 1;
  HGLOBALCONTCTRL(global(p).data());
  e.blank().put("(1X,A)", {C("CONTACT CONTROLS APPLIED TO ALL CONTACT PAIRS:")});
  limits(p);
  line(true, "VISCOUS DAMPING FOR STABILIZATION IS INCLUDED WHILE CONTACT IS NOT ESTABLISHED");
  line(true, "FRICTION IS NEGLECTED IN INCREMENT THAT THE CONTACT POINT CLOSES");
  e.blank();
  line(true, "INDICATES USE OF NON-DEFAULT CONTROLS APPLIED TO ALL CONTACT PAIRS ");
  line(false, "UNLESS SPECIFICALLY OVERRIDDEN BY A LOCAL SURFACE BEHAVIOR OR ");
  line(false, "A CONTACT CONTROLS FOR A SPECIFIC CONTACT PAIR");
  e.blank();
  EXPECT_EQ(printedText(), e.text());
  EXPECT_EQ(eqc_page_testing::paginCounts(), (std::vector<int>{2, 3, 2, 1, 1, 4}));
}

TEST_F(ContactControls, PairControlsSkipBlankPairsAndEndAtAnUnprintedPatch) {
  Pair automaticPair;
  automaticPair.slave = "TOP";
  automaticPair.master = "BASE";
  automaticPair.automatic = 1;
  automaticPair.tolerances[3] = 1.5;
  Pair blank;
  blank.slave = blank.master = "";
  Pair unnamed;
  unnamed.zeroNames = true;
  unnamed.patch = 0.5;
  Pair limited;
  limited.points = 2;
  limited.tensile = 3.0;
  limited.patch = 1.0e36;
  limited.friction = 1;
  Pair fixedPatch;
  fixedPatch.patch = 0.75;
  pairs({automaticPair, blank, unnamed, limited, fixedPatch});
  Real buffer[40];
  Int skip = 1;
  HLOCALCONTCTRL(buffer, &skip);
  EXPECT_EQ(printedText(), "");
  skip = 0;
  HLOCALCONTCTRL(buffer, &skip);
  const bool tight[5] = {false, false, false, false, true};
  e.blank().put("(1X,A)", {C("CONTACT CONTROLS APPLIED TO CONTACT PAIR (TOP,BASE):")});
  automaticTolerances();
  tolerances(automaticPair, tight);
  line(false, "STABILIZATION CONTROL IS SUPPRESSED");
  line(false, "FRICTION IS INCLUDED IN INCREMENT THAT THE CONTACT POINT CLOSES");
  line(false, "THE AUTOMATED CONTACT PATCH ALGORITHM WILL BE USED");
  e.blank().put("(1X,A)", {C("CONTACT CONTROLS APPLIED TO CONTACT PAIR (SLAVE,MASTER):")});
  limits(limited);
  line(false, "STABILIZATION CONTROL IS SUPPRESSED");
  line(false, "FRICTION IS INCLUDED IN INCREMENT THAT THE CONTACT POINT CLOSES");
  e.blank().put("(1X,A)", {C("CONTACT CONTROLS APPLIED TO CONTACT PAIR (SLAVE,MASTER):")});
  limits(fixedPatch);
  line(false, "STABILIZATION CONTROL IS SUPPRESSED");
  line(false, "FRICTION IS INCLUDED IN INCREMENT THAT THE CONTACT POINT CLOSES");
  value(true, "A FIXED CONTACT PATCH WITH A SLIDE DISTANCE OF", 0.75);
  e.blank();
  line(true, "INDICATES USE OF NON-DEFAULT CONTACT CONTROLS APPLIED TO A CONTACT");
  line(false, "PAIR UNLESS SPECIFICALLY OVERRIDDEN BY ANY LOCAL SURFACE BEHAVIOR.");
  e.blank();
  EXPECT_EQ(printedText(), e.text());

  // A pair whose patch is not printed does not by itself bring the closing note.
  startPrinting();
  eqc_testing::setSlideLineStore({});
  pairs({limited});
  HLOCALCONTCTRL(buffer, &skip);
  EXPECT_EQ(printedText().find("INDICATES"), std::string::npos);
  EXPECT_EQ(eqc_page_testing::paginCounts(), (std::vector<int>{1, 3, 1, 1}));
}

TEST_F(ContactControls, OlderLayoutWithItsWarningBlockAndRunawayRecord) {
  Pair limited;
  limited.points = 4;
  limited.tensile = 2.0;
  limited.searches = 7;
  limited.friction = 1;
  limited.patch = 2.5;
  limited.stabilization = 1;
  Pair automaticPair;
  automaticPair.automatic = 1;
  automaticPair.iterations = 5;
  pairs({limited, automaticPair});
  rec::i(CLINES, 9) = 50;
  rec::i(CLINES, 10) = 48;
  std::vector<Real> real(40), whole(40);
  HESCONTCTRL(reinterpret_cast<Int*>(whole.data()), real.data(), nullptr);
  EXPECT_EQ(eqc_page_testing::newPages(), 1);
  const auto text = [&](std::string_view t) { e.put("(10X,A)", {C(t)}); };
  const std::string slave = std::string("SLAVE").append(75, ' ');
  const std::string master = std::string("MASTER").append(74, ' ');
  e.blank().blank();
  text("C O N T A C T    C O N T R O L S");
  e.blank().blank();
  text("--- NOTE --- NON-STANDARD SOLUTION CONTROLS HAVE");
  text("BEEN SPECIFIED FOR ONE OR MORE CONTACT PAIRS.");
  text("INTERPRET RESULTS WITH CAUTION.");
  e.blank();
  text("CONTROLS FOR CONTACT PAIR FORMED BY:");
  text("SLAVE SURFACE " + slave);
  text("MASTER SURFACE" + master);
  text("MAXIMUM NUMBER OF POINTS PERMITTED TO VIOLATE");
  e.put("(10X,A,I12)", {C("INTERFACE CONDITIONS IN ANY INCREMENT "), I(4)});
  text("MAXIMUM TENSILE STRESS PERMITTED AT A CONTACTING");
  e.put("(10X,A,1PE12.3)", {C("POINT FOR THE SOLUTION TO BE ACCEPTED "), R(2.0)});
  text("MAXIMUM OVERCLOSURE PERMITTED BETWEEN INTERFACES");
  e.put("(10X,A,1PE12.3)", {C("FOR THE SOLUTION TO BE ACCEPTED "), R(0.0)});
  e.put("(10X,A,I9)", {C("MAXIMUM NUMBER OF TIMES ALLOWED FOR LOCAL SEARCHING "), I(7)});
  text("FRICTION IS INCLUDED IN INCREMENT THAT THE CONTACT");
  text("POINT CLOSES FOR THIS CONTACT PAIR");
  e.put("(10X,A,1PE12.3)", {C("A FIXED CONTACT PATCH WITH A SLIDE DISTANCE OF "), R(2.5)});
  text("VISCOUS DAMPING FOR STABILIZATION IS INCLUDED ");
  text("WHILE CONTACT IS NOT ESTABLISHED");
  e.blank();
  text("CONTROLS FOR CONTACT PAIR FORMED BY:");
  text("SLAVE SURFACE " + slave);
  text("MASTER SURFACE" + master);
  text("AUTOMATIC TOLERANCES SELECTED");
  e.blank().blank();
  text("---- WARNING ---- UNDOCUMENTED NON-STANDARD SOLUTION ");
  text("CONTROLS HAVE BEEN USED. INTERPRET RESULTS WITH CAUTION.");
  e.put("(10X,A,I12)", {C("NUMBER OF ITERACTION BEFORE TIGHT TOLERANCES ARE APPLIED"), I(5)});
  const char* texts[] = {"LOOSE TOLERANCE FOR NEGATIVE CONTACT PRESSURE", "LOOSE TOLERANCE FOR OVERCLOSURE DISTANCE",
                         "TIGHT TOLERANCE FOR NEGATIVE CONTACT PRESSURE", "TIGHT TOLERANCE FOR OVERCLOSURE DISTANCE"};
  for (int k = 0; k < 4; ++k)
    e.put("(10X,A49,1PE12.3)", {C(std::string(texts[k]).append(49 - std::strlen(texts[k]), ' ')),
                                R(automaticPair.tolerances[k])});
  e.blank();
  EXPECT_EQ(printedText(), e.text());
  EXPECT_EQ(eqc_page_testing::paginCounts(), (std::vector<int>{6, 7, 2, 1, 1, 7}));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);

  // A record of length 0 ends the walk with the runaway message.
  startPrinting();
  eqc_testing::setSlideLineStore({});
  eqc_testing::appendSlideLineRecord({0});
  rec::i(CSLES, 33) = 1;
  rec::i(CSLES, 26) = 100;
  std::vector<double> zero = eqc_testing::slideLineStore();
  zero[0] = integerSlot(0);
  eqc_testing::setSlideLineStore(zero);
  HESCONTCTRL(reinterpret_cast<Int*>(whole.data()), real.data(), nullptr);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN HESCONTCTRL - LOOP 800 LIMIT EXCEEDED"));
}

TEST_F(ContactControls, LabelTokensAreMarkedAndListed) {
  eqc_testing::resetLongLabels();
  const Int registerOp = 0;
  for (int k = 1; k <= 120; ++k) {
    char label[80];
    const std::string text = "A LONG SURFACE LABEL NUMBER " + std::to_string(k);
    for (int c = 0; c < 80; ++c) label[c] = c < static_cast<int>(text.size()) ? text[c] : ' ';
    DBLABEL(&registerOp, label, 80);
  }
  std::vector<Int> idx(120);
  Int mode = 0;
  HLABEL(&mode, idx.data());
  EXPECT_EQ(idx[11], 12);
  const auto convert = [&](std::string token) {
    LABINP(token.data(), 8, idx.data());
    return token;
  };
  EXPECT_EQ(convert(" L000012"), "  -12-  ");
  EXPECT_EQ(convert(" L     7"), "  -7-   ");
  EXPECT_EQ(convert(" L000107"), " -107-  ");
  EXPECT_EQ(convert(" L000121"), " L000121");  // beyond the labels
  EXPECT_EQ(convert(" L0001X2"), " L0001X2");  // not a number
  EXPECT_EQ(convert("SURF    "), "SURF    ");
  EXPECT_LT(idx[11], 0);
  EXPECT_LT(idx[6], 0);
  EXPECT_LT(idx[106], 0);
  EXPECT_EQ(idx[0], 1);
  eqc_job_testing::resetPaging();
  mode = 1;
  HLABEL(&mode, idx.data());
  e.put("(/)").put("(A)", {C("LABELS REFERENCED IN THE ABOVE TABLE")}).blank();
  const auto label = [](int k) { return std::string("A LONG SURFACE LABEL NUMBER " + std::to_string(k)).append(80 - 28 - (k > 99 ? 3 : k > 9 ? 2 : 1), ' '); };
  e.put("(A,A80)", {C("      -7-      "), C(label(7))});
  e.put("(A,A80)", {C("      -12-     "), C(label(12))});
  e.put("(A,A80)", {C("      -107-    "), C(label(107))});
  EXPECT_EQ(printedText(), e.text());
  EXPECT_EQ(eqc_job_testing::pagingCalls(), (std::vector<int>{4, 1, 1, 1}));
}

}  // namespace
