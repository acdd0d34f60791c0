// The printed echo of the contact controls: the controls of all contact pairs, those of each pair
// in two layouts, and the table of long labels that printed tables referenced.
//
// A control line is one blank, a four-character flag field ("*** " for a value that differs from
// its default, four blanks otherwise) and the text; a text in two parts takes two lines, each with
// the item's flag, and a value follows the last part at once.

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "model/support/model_report.h"
#include "model/printers/print_support.h"
#include "runtime/fortran_chars.h"
#include "runtime/record.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/eqc_labels.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/page_control.h"
#include "siblings/eqc/records.h"
#include "zmx/model/printers.h"
#include "zmx/storage/sets.h"

namespace {

using zmx::printing::integerAt;
using zmx::printing::mark;
using zmx::printing::pagin;
using zmx::printing::put;
using zmx::printing::realAt;

constexpr Int kLabelLength = 80;
constexpr long long kRecordLimit = 10000000;
// A pair-control record: the echo reads its slots up to slot 20 (the contact patch).
constexpr std::size_t kPairRecordSlots = 20;
constexpr Real kTolerance = 2.22e-16;
constexpr Real kPatchNotPrinted = 1.0e36;
constexpr int kPairFirstWord = 33;  // CSLES: first pair-control record
constexpr int kPairEndWord = 26;    // CSLES: end of the pair-control records (exclusive)
constexpr int kLabelUnitWord = 13;  // CLINES: unit of the label table

struct Defaults {
  static constexpr Int kIterations = 3;
  static constexpr Real kTolerances[4] = {10.0, 2.0, 1.0, 2.0};
};

class Echo {
 public:
  Echo() : print_(zmx::printing::controlRecord()), unit_(zmx::printing::controlUnit()) {}

  void blank() { fio::writeLine(unit_, ""); }
  void heading(std::string_view text) { put(unit_, "(1X,A)", {text}); }
  // Each part on its own line with the flag; the value (if any) after the last part.
  void text(bool flagged, std::initializer_list<std::string_view> parts) {
    note_ = note_ || flagged;
    for (std::string_view part : parts) put(unit_, "(1X,A4,A)", {mark(flagged), part});
  }
  void integer(bool flagged, std::string_view first, std::string_view last, Int value) {
    note_ = note_ || flagged;
    if (!first.empty()) put(unit_, "(1X,A4,A)", {mark(flagged), first});
    put(unit_, "(1X,A4,A,I12)", {mark(flagged), last, value});
  }
  void real(bool flagged, std::string_view first, std::string_view last, Real value) {
    note_ = note_ || flagged;
    if (!first.empty()) put(unit_, "(1X,A4,A)", {mark(flagged), first});
    put(unit_, "(1X,A4,A,1PE12.3)", {mark(flagged), last, value});
  }
  // A closing note: "*** " on its first line, four blanks on the others, blank lines around it.
  void closingNote(std::initializer_list<std::string_view> lines) {
    blank();
    bool first = true;
    for (std::string_view line : lines) {
      put(unit_, "(1X,A4,A)", {mark(first), line});
      first = false;
    }
    blank();
    pagin(4, print_);
  }
  void pages(Int lines) { pagin(lines, print_); }
  bool flagged() const { return note_; }

 private:
  const Int* print_;
  Int unit_;
  bool note_ = false;
};

bool differs(Real value, Real fallback) { return std::abs(value - fallback) > kTolerance; }

// The limits of a solution that has no automatic tolerances: points, tensile stress, overclosure.
void limits(Echo& out, Int points, Real tensile, Real overclosure) {
  const bool any = points != 0;
  out.integer(any, "MAXIMUM NUMBER OF POINTS PERMITTED TO VIOLATE INTERFACE", "CONDITION IN ANY INCREMENT", points);
  out.real(any && tensile != 0.0, "MAXIMUM TENSILE STRESS PERMITTED AT A CONTACT POINT FOR",
           "THE SOLUTION TO BE ACCEPTED", tensile);
  out.real(any && overclosure != 0.0, "MAXIMUM OVERCLOSURE PERMITTED BETWEEN INTERFACES FOR",
           "THE SOLUTION TO BE ACCEPTED", overclosure);
  out.pages(3);
  out.text(false, {"AUTOMATIC TOLERANCES FOR OVERCLOSURE AND SEPARATION ", "PRESSURE ARE SUPPRESSED"});
}

void tolerances(Echo& out, Int iterations, const Real* values) {
  out.integer(iterations != Defaults::kIterations, "", "NUMBER OF ITERATION BEFORE TIGHT TOLERANCES ARE APPLIED",
              iterations);
  static constexpr std::string_view kTexts[4] = {
      "LOOSE TOLERANCE FOR NEGATIVE CONTACT PRESSURE", "LOOSE TOLERANCE FOR OVERCLOSURE DISTANCE",
      "TIGHT TOLERANCE FOR NEGATIVE CONTACT PRESSURE", "TIGHT TOLERANCE FOR OVERCLOSURE DISTANCE"};
  for (int k = 0; k < 4; ++k) out.real(differs(values[k], Defaults::kTolerances[k]), "", kTexts[k], values[k]);
}

void stabilizationAndFriction(Echo& out, Int stabilization, Int friction) {
  if (stabilization == 1)
    out.text(true, {"VISCOUS DAMPING FOR STABILIZATION IS INCLUDED WHILE CONTACT IS NOT ESTABLISHED"});
  else
    out.text(false, {"STABILIZATION CONTROL IS SUPPRESSED"});
  out.pages(1);
  if (friction == 0 || friction == 1) {
    out.text(false, {"FRICTION IS INCLUDED IN INCREMENT THAT THE CONTACT POINT CLOSES"});
    out.pages(1);
  } else if (friction == 2) {
    out.text(true, {"FRICTION IS NEGLECTED IN INCREMENT THAT THE CONTACT POINT CLOSES"});
    out.pages(1);
  }
}

// The 80-character field of a coded surface name in a slot, as decoded.
std::string decodedName(const Real* record, int slot) {
  char field[kLabelLength];
  const Int coded = 8;
  Int moved = 0;
  ACODEC(record + (slot - 1), field, kLabelLength, &coded, &moved);
  return {field, static_cast<std::size_t>(kLabelLength)};
}

// The decoded name expanded through the label store.
std::string surfaceName(const Real* record, int slot) {
  std::string field = decodedName(record, slot);
  const Int expand = 1;
  DBLABEL(&expand, field.data(), kLabelLength);
  return field;
}

// Blank as decoded: a slot of zero bytes holds no name either.
bool blankName(const Real* record, int slot) { return fchar::trimmed(decodedName(record, slot)).empty(); }

// Walks the pair-control records from CSLES word 33 to word 26; visit gets each record. Records
// are read into storage of the walk's own, sized to the record: the callers' buffers have no
// stated room. Gives false when the walk ran away (too many records, or a record of length 0,
// which is how a record that cannot be read shows).
template <class Visit>
bool walkPairs(Visit visit) {
  Int address = rec::i(CSLES, kPairFirstWord);
  const Int end = rec::i(CSLES, kPairEndWord);
  std::vector<Real> record;
  for (long long count = 0; count < kRecordLimit; ++count) {
    if (address >= end) return true;
    eqc::readSlideLineRecord(address, record, kPairRecordSlots);
    const Int length = integerAt(record.data(), 1);
    if (length == 0) return false;
    visit(record.data());
    address += length;
  }
  return address >= end;
}

void localPair(Echo& out, const Real* p, bool& note) {
  if (blankName(p, 2) && blankName(p, 3)) return;
  const std::string slave(fchar::trimmed(surfaceName(p, 2)));
  const std::string master(fchar::trimmed(surfaceName(p, 3)));
  out.blank();
  out.heading("CONTACT CONTROLS APPLIED TO CONTACT PAIR (" + slave + "," + master + "):");
  out.pages(1);
  if (integerAt(p, 10) != 1) {
    limits(out, integerAt(p, 4), realAt(p, 5), realAt(p, 6));
  } else {
    out.text(true, {"AUTOMATIC TOLERANCES FOR OVERCLOSURE AND SEPARATION ", "PRESSURE ARE APPLIED"});
    out.pages(2);
    const Real values[4] = {realAt(p, 12), realAt(p, 13), realAt(p, 14), realAt(p, 15)};
    tolerances(out, integerAt(p, 11), values);
    out.pages(4);
  }
  stabilizationAndFriction(out, integerAt(p, 16), integerAt(p, 9));
  const Real patch = realAt(p, 20);
  if (patch == kPatchNotPrinted) return;
  if (patch == 0.0)
    out.text(false, {"THE AUTOMATED CONTACT PATCH ALGORITHM WILL BE USED"});
  else
    out.real(true, "", "A FIXED CONTACT PATCH WITH A SLIDE DISTANCE OF", patch);
  out.pages(1);
  note = true;
}

// The older pair layout: ten columns in, no flag field.
class Indented {
 public:
  Indented() : unit_(zmx::printing::controlUnit()) {}
  void blank() { fio::writeLine(unit_, ""); }
  void text(std::string_view text) { put(unit_, "(10X,A)", {text}); }
  void integer(std::string_view text, Int value, std::string_view edit = "I12") {
    put(unit_, "(10X,A," + std::string(edit) + ")", {text, value});
  }
  void real(std::string_view text, Real value) { put(unit_, "(10X,A,1PE12.3)", {text, value}); }
  // A tolerance line's text is a 49-character field, blank-padded on the right, then the value.
  void tolerance(std::string_view text, Real value) {
    std::string field(text);
    field.resize(49, ' ');
    put(unit_, "(10X,A49,1PE12.3)", {std::string_view(field), value});
  }

 private:
  Int unit_;
};

void olderPair(Indented& out, const Real* r, bool& first) {
  if (blankName(r, 2) && blankName(r, 3)) return;
  if (first) {
    if (rec::i(CLINES, 9) < rec::i(CLINES, 10) + 4) NEWPAG();
    out.blank();
    out.blank();
    out.text("C O N T A C T    C O N T R O L S");
    out.blank();
    out.blank();
    out.text("--- NOTE --- NON-STANDARD SOLUTION CONTROLS HAVE");
    out.text("BEEN SPECIFIED FOR ONE OR MORE CONTACT PAIRS.");
    out.text("INTERPRET RESULTS WITH CAUTION.");
    pagin(6, zmx::printing::controlRecord());
    first = false;
  }
  const std::string slave = surfaceName(r, 2);
  const std::string master = surfaceName(r, 3);
  out.blank();
  out.text("CONTROLS FOR CONTACT PAIR FORMED BY:");
  out.text("SLAVE SURFACE " + slave);
  out.text("MASTER SURFACE" + master);
  const bool automatic = integerAt(r, 10) == 1;
  if (!automatic) {
    out.text("MAXIMUM NUMBER OF POINTS PERMITTED TO VIOLATE");
    out.integer("INTERFACE CONDITIONS IN ANY INCREMENT ", integerAt(r, 4));
    out.text("MAXIMUM TENSILE STRESS PERMITTED AT A CONTACTING");
    out.real("POINT FOR THE SOLUTION TO BE ACCEPTED ", realAt(r, 5));
    out.text("MAXIMUM OVERCLOSURE PERMITTED BETWEEN INTERFACES");
    out.real("FOR THE SOLUTION TO BE ACCEPTED ", realAt(r, 6));
    out.integer("MAXIMUM NUMBER OF TIMES ALLOWED FOR LOCAL SEARCHING ", integerAt(r, 7), "I9");
    pagin(7, zmx::printing::controlRecord());
  }
  const Int friction = integerAt(r, 9);
  if (friction == 1 || friction == 2) {
    out.text(friction == 1 ? "FRICTION IS INCLUDED IN INCREMENT THAT THE CONTACT"
                           : "FRICTION IS NEGLECTED IN INCREMENT THAT THE CONTACT");
    out.text("POINT CLOSES FOR THIS CONTACT PAIR");
    pagin(2, zmx::printing::controlRecord());
  }
  if (realAt(r, 20) != 0.0) {
    out.real("A FIXED CONTACT PATCH WITH A SLIDE DISTANCE OF ", realAt(r, 20));
    pagin(1, zmx::printing::controlRecord());
  }
  if (integerAt(r, 16) == 1) {
    out.text("VISCOUS DAMPING FOR STABILIZATION IS INCLUDED ");
    out.text("WHILE CONTACT IS NOT ESTABLISHED");
  }
  if (!automatic) return;
  out.text("AUTOMATIC TOLERANCES SELECTED");
  pagin(1, zmx::printing::controlRecord());
  const Int iterations = integerAt(r, 11);
  bool nonStandard = iterations != Defaults::kIterations;
  for (int k = 0; k < 4; ++k) nonStandard = nonStandard || realAt(r, 12 + k) != Defaults::kTolerances[k];
  if (!nonStandard) return;
  out.blank();
  out.blank();
  out.text("---- WARNING ---- UNDOCUMENTED NON-STANDARD SOLUTION ");
  out.text("CONTROLS HAVE BEEN USED. INTERPRET RESULTS WITH CAUTION.");
  out.integer("NUMBER OF ITERACTION BEFORE TIGHT TOLERANCES ARE APPLIED", iterations);
  out.tolerance("LOOSE TOLERANCE FOR NEGATIVE CONTACT PRESSURE", realAt(r, 12));
  out.tolerance("LOOSE TOLERANCE FOR OVERCLOSURE DISTANCE", realAt(r, 13));
  out.tolerance("TIGHT TOLERANCE FOR NEGATIVE CONTACT PRESSURE", realAt(r, 14));
  out.tolerance("TIGHT TOLERANCE FOR OVERCLOSURE DISTANCE", realAt(r, 15));
  out.blank();
  pagin(7, zmx::printing::controlRecord());
}

Int longLabelCount() {
  const Int count = 5;
  char unused = ' ';
  Int status = 0;
  return LABELACCESS(&count, &unused, 1, &status);
}

}  // namespace

extern "C" {

void HGLOBALCONTCTRL(const Real* g) {
  const Int n = integerAt(g, 3);
  const Int points = integerAt(g, n);
  const Real tensile = realAt(g, n + 1);
  const Real overclosure = realAt(g, n + 2);
  const Int friction = integerAt(g, n + 3);
  const bool automatic = integerAt(g, n + 4) == 1;
  const Int iterations = integerAt(g, n + 5);
  const Real values[4] = {realAt(g, n + 6), realAt(g, n + 7), realAt(g, n + 8), realAt(g, n + 9)};
  bool nonDefault = iterations != Defaults::kIterations || integerAt(g, n + 4) != 0 || friction != 0 ||
                    overclosure != 0.0 || points != 0 || tensile != 0.0;
  for (int k = 0; k < 4; ++k) nonDefault = nonDefault || differs(values[k], Defaults::kTolerances[k]);
  if (!nonDefault) return;
  Echo out;
  out.blank();
  out.heading("CONTACT CONTROLS APPLIED TO ALL CONTACT PAIRS:");
  out.pages(2);
  if (automatic)
    out.text(true, {"AUTOMATIC TOLERANCES FOR OVERCLOSURE AND SEPARATION ", "PRESSURE ARE APPLIED"});
  else
    limits(out, points, tensile, overclosure);
  out.pages(2);
  if (automatic) tolerances(out, iterations, values);
  stabilizationAndFriction(out, integerAt(g, n + 10), friction);
  if (out.flagged())
    out.closingNote({"INDICATES USE OF NON-DEFAULT CONTROLS APPLIED TO ALL CONTACT PAIRS ",
                     "UNLESS SPECIFICALLY OVERRIDDEN BY A LOCAL SURFACE BEHAVIOR OR ",
                     "A CONTACT CONTROLS FOR A SPECIFIC CONTACT PAIR"});
}

void HLOCALCONTCTRL(Real* /*p*/, const Int* skip) {
  if (*skip != 0 || rec::i(CSLES, kPairFirstWord) <= 0) return;
  Echo out;
  bool note = false;
  walkPairs([&](const Real* p) { localPair(out, p, note); });
  if (note)
    out.closingNote({"INDICATES USE OF NON-DEFAULT CONTACT CONTROLS APPLIED TO A CONTACT",
                     "PAIR UNLESS SPECIFICALLY OVERRIDDEN BY ANY LOCAL SURFACE BEHAVIOR."});
}

void HESCONTCTRL(Int* /*p*/, Real* /*r*/, const void* /*unused*/) {
  if (rec::i(CSLES, kPairFirstWord) <= 0) return;
  Indented out;
  bool first = true;
  const bool ended = walkPairs([&](const Real* r) { olderPair(out, r, first); });
  if (!ended) zmx::model::report(zmx::model::kSystemError, "SYSTEM ERROR IN HESCONTCTRL - LOOP 800 LIMIT EXCEEDED");
}

void HLABEL(const Int* mode, Int* idx) {
  const Int n = longLabelCount();
  if (*mode == 0) {
    for (Int i = 1; i <= n; ++i) idx[i - 1] = i;
    return;
  }
  const Int unit = rec::i(CLINES, kLabelUnitWord);
  bool first = true;
  for (Int i = 1; i <= n; ++i) {
    if (idx[i - 1] >= 0) continue;
    char field[kLabelLength];
    fio::writeInternal(field, kLabelLength, fio::format("(' L',I6)"), {i});
    const Int expand = 1;
    DBLABEL(&expand, field, kLabelLength);
    if (first) {
      put(unit, "(/)");
      put(unit, "(A)", {"LABELS REFERENCED IN THE ABOVE TABLE"});
      fio::writeLine(unit, "");
      const Int lines = 4;
      PAGING(&lines);
      first = false;
    }
    const std::string number = std::to_string(i);
    const std::string line = "      -" + number + "-" + std::string(7 - number.size(), ' ');
    put(unit, "(A,A80)", {std::string_view(line), std::string_view(field, kLabelLength)});
    const Int one = 1;
    PAGING(&one);
  }
}

void LABINP(char* token, Int tokenLength, Int* idx) {
  constexpr Int kToken = 8;
  if (tokenLength < kToken || token[0] != ' ' || token[1] != 'L') return;
  Int n = 0;
  if (fio::readInternal(token + 2, 6, fio::format("(I6)"), {fio::in(n)}) != fio::kOk) return;
  if (n < 1 || n > longLabelCount()) return;
  if (idx[n - 1] > 0) idx[n - 1] = -idx[n - 1];
  const std::string digits = std::to_string(n);
  static constexpr std::string_view kBefore[] = {"  -", "  -", " -", " -", "-", "-"};
  static constexpr std::string_view kAfter[] = {"-   ", "-  ", "-  ", "- ", "- ", "-"};
  const std::size_t d = digits.size() - 1;
  fchar::assign(token, kToken, std::string(kBefore[d]) + digits + std::string(kAfter[d]));
}

}  // extern "C"
