// Results units of user programs: up to 30 declared units, each a results file in binary or
// ASCII form. One binary and one ASCII unit are current at a time; the others' block state and
// buffers are parked per unit in CDPF, CDFILB and CDFILA. INITF gives the results streams their
// starting values, and SHR_DBGETM hands out heap blocks as address words.
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "runtime/address_space.h"
#include "runtime/fortran_chars.h"
#include "runtime/units.h"
#include "siblings/eqc/run_services.h"
#include "siblings/eqc/records.h"
#include "storage/results/results_internal.h"
#include "siblings/eqc/eqc_job.h"
#include "zmx/storage.h"

extern "C" {
constinit CDPF_t CDPF{};
constinit CDFILB_t CDFILB{};
constinit CDFILA_t CDFILA{};
}

namespace zmx::results {
namespace {

constexpr mem32::Tag kHeapTag = mem32::tag("DBGM");
constexpr Int kWorkSpaceWords = kBlockWords;
constexpr int kJobStrings = 9;
constexpr int kClearedNames = 20;
constexpr int kFileNameLength = 255;

// The work space of the first stream's block buffer, made once per process.
constinit Int gWorkSpace = 0;

Int& column(int c, Int unit) { return rec::i(CDPF, unitWord(c, unit)); }

bool validUserUnit(Int u) { return (u >= 1 && u <= 4) || u == 7 || u == 8 || (u >= 14 && u <= kResultsUnits); }

bool inTable(Int u) { return u >= 1 && u <= kResultsUnits; }

// True when the unit is declared with the form, so that its columns hold its own state.
bool declaredAs(Int u, Int form) { return inTable(u) && column(kDefined, u) == u && column(kUnitForm, u) == form; }

char* parkedBlock(Int u) { return reinterpret_cast<char*>(CDFILB.w) + 8 * kBlockWords * (u - 1); }
char* parkedLine(Int u) { return reinterpret_cast<char*>(CDFILA.w) + kLineBuffer * (u - 1); }
char* activeLine() { return reinterpret_cast<char*>(CDFLAS.w); }

void blankJobStrings(std::string_view name) {
  const int length = eqc_records::kJobStringLength;
  rec::setChars(CJBPAR, eqc_records::kJobNameFirst, length, name);
  for (int k = 2; k <= kJobStrings; ++k) rec::setChars(CJBPAR, 1 + length * (k - 1), length, "");
  rec::setChars(CJBPAR, eqc_records::kLibraryNamesFirst, eqc_records::kLibraryNameLength * kClearedNames, "");
}

// The file of the unit, as the job's naming rule makes it; false when the rule fails.
bool fileName(Int unit, std::string& name) {
  char out[kFileNameLength];
  const int length = eqc_records::kJobStringLength;
  const char* strings = rec::chars(CJBPAR, 1, length * kJobStrings).data();
  Int status = 0;
  BCU_MKNAME(out, kFileNameLength, strings, length, strings + (eqc_records::kJobDirectoryFirst - 1), length, &unit,
             &rec::i(CPROG, eqc_records::kProgramKind), &status);
  name = fchar::toString(out, kFileNameLength);
  return status == 0;
}

// Opens the unit on its results file and marks it opened; false when the file name cannot be
// made. A failing open is the run time's to report: the unit is marked all the same, and its
// reads then fail.
bool openUnit(Int unit, fio::Form form) {
  std::string name;
  if (!fileName(unit, name)) return false;
  fio::OpenRequest request;
  request.file = name;
  request.status = fio::Status::Unknown;
  request.form = form;
  fio::openReportingFailure(unit, request);
  fio::rewind(unit);
  rec::i(CBUFFA, unit) = 1;
  return true;
}

// Declares entry i (unit u, form f); false when the entry is in error.
bool declare(Int i, Int u, Int f) {
  if (!validUserUnit(u)) {
    message(-2,
            "%I IS NOT A VALID UNIT NUMBER FOR READING RESULTS FILES.  VALID UNIT NUMBERS ARE 1-4, 7-8 AND 14-30",
            {u});
    return false;
  }
  if (column(kDefined, u) != 0) {
    message(-2, "UNIT %I HAS ALREADY BEEN DEFINED", {u});
    return false;
  }
  column(kDefined, u) = u;
  column(kUnitForm, u) = f;
  if (f == kAscii) {
    column(kSavedLength, u) = kLineLength;
    column(kSavedPosition, u) = 1;
    column(kSavedLast, u) = 0;
    column(kSavedState, u) = 0;
    std::memset(parkedLine(u), ' ', kLineBuffer);
    return openUnit(u, fio::Form::Formatted);
  }
  if (f == kBinary) {
    column(kSavedBlockCount, u) = 0;
    column(kSavedLength, u) = kBlockWords;
    column(kSavedPosition, u) = kBlockWords + 1;
    column(kSavedState, u) = 0;
    column(kSavedBase, u) = rec::i(CDFILE, kBufferBase);
    return openUnit(u, fio::Form::Unformatted);
  }
  message(-2, "UNIT %I IN ENTRY %I OF LRUNIT HAS THE INVALID FORM %I.  VALID FORMS ARE 1 (ASCII) AND 2 (BINARY)",
          {u, i, f});
  return false;
}

void switchBinary(Int unit) {
  const Int outgoing = rec::i(CDFILE, kUnit);
  if (outgoing == unit) return;
  Real* buffer = firstStreamBuffer();
  if (buffer == nullptr) return;
  if (declaredAs(outgoing, kBinary)) {
    column(kSavedLength, outgoing) = rec::i(CDFILE, kBlockLength);
    column(kSavedBlockCount, outgoing) = rec::i(CDFILE, kBlockCount);
    column(kSavedBase, outgoing) = rec::i(CDFILE, kBufferBase);
    column(kSavedPosition, outgoing) = rec::i(CDFILE, kPosition);
    column(kSavedState, outgoing) = rec::i(CDFILE, kState);
    std::memcpy(parkedBlock(outgoing), buffer, 8 * kBlockWords);
  }
  rec::i(CDFILE, kBlockLength) = column(kSavedLength, unit);
  rec::i(CDFILE, kBlockCount) = column(kSavedBlockCount, unit);
  rec::i(CDFILE, kBufferBase) = column(kSavedBase, unit);
  rec::i(CDFILE, kPosition) = column(kSavedPosition, unit);
  rec::i(CDFILE, kState) = column(kSavedState, unit);
  rec::i(CDFILE, kUnit) = unit;
  if (Real* incoming = firstStreamBuffer(); incoming != nullptr) std::memcpy(incoming, parkedBlock(unit), 8 * kBlockWords);
}

void switchAscii(Int unit) {
  const Int outgoing = rec::i(CDAFLE, kLineUnit);
  if (outgoing == unit) return;
  if (declaredAs(outgoing, kAscii)) {
    column(kSavedLength, outgoing) = rec::i(CDAFLE, kLineLengthWord);
    column(kSavedPosition, outgoing) = rec::i(CDAFLE, kLinePosition);
    column(kSavedLast, outgoing) = rec::i(CDAFLE, kLineLast);
    column(kSavedState, outgoing) = rec::i(CDAFLE, kLineState);
    std::memcpy(parkedLine(outgoing), activeLine(), kLineBuffer);
  }
  rec::i(CDAFLE, kLineLengthWord) = column(kSavedLength, unit);
  rec::i(CDAFLE, kLinePosition) = column(kSavedPosition, unit);
  rec::i(CDAFLE, kLineLast) = column(kSavedLast, unit);
  rec::i(CDAFLE, kLineState) = column(kSavedState, unit);
  rec::i(CDAFLE, kLineUnit) = unit;
  std::memcpy(activeLine(), parkedLine(unit), kLineBuffer);
}

}  // namespace
}  // namespace zmx::results

using namespace zmx::results;

extern "C" {

Int SHR_DBGETM(const Int* n) {
  if (n == nullptr || *n < 0) return 0;
  const std::size_t bytes = 4 * static_cast<std::size_t>(*n);
  void* block = std::malloc(bytes > 0 ? bytes : 1);
  if (block == nullptr) return 0;
  const Int word = mem32::map(block, bytes, kHeapTag);
  if (word == 0) std::free(block);
  return word;
}

void INITF() {
  FIXCON();
  rec::i(CLINES, 9) = 99999;
  rec::i(CLINES, 10) = 0;
  rec::i(CWORK, eqc_records::kQuietEndOfData) = 1;
  const Int thousand = 1000, one = 1;
  JOBTIME(&thousand, &one);
  rec::i(CDFILE, kUnit) = 8;
  rec::i(CDFILE, kBlockCount) = 0;
  rec::i(CDFILE, kBlockLength) = kBlockWords;
  rec::i(CDFILE, kState) = 0;
  rec::i(CDFILE, kPosition) = kBlockWords + 1;
  rec::i(CDFILE, kLengthCheckOff) = 1;
  // The block buffer is made once and kept for the life of the process.
  if (gWorkSpace == 0) {
    const Int words = 2 * kWorkSpaceWords;
    gWorkSpace = SHR_DBGETM(&words);
  }
  rec::i(CSP, eqc_records::kWorkSpaceBase) = gWorkSpace;
  rec::i(CDFILE, kBufferBase) = 1;
  rec::i(CSP, eqc_records::kWorkSpaceWords) = kWorkSpaceWords;
  rec::i(CDFILR, kSecondUnit) = 9;
  rec::i(CDFILR, kSecondBlockLength) = kBlockWords;
  rec::i(CDFILR, kSecondBlockCount) = 1;
  rec::i(CDFILR, kSecondPosition) = 1;
  rec::i(CDFILR, kSecondState) = 0;
  rec::i(CDFILR, kSecondInitMark) = 1;
  const auto startLine = [](auto& descriptor, Int unit) {
    rec::i(descriptor, kLineUnit) = unit;
    rec::i(descriptor, kLineLast) = 0;
    rec::i(descriptor, kLineLengthWord) = kLineLength;
    rec::i(descriptor, kLineState) = 0;
    rec::i(descriptor, kLinePosition) = 1;
  };
  startLine(CDAFLE, 8);
  startLine(CDAFLR, 9);
  // Line buffers start blank, so that a padded last line holds blanks only.
  std::memset(CDFLAS.w, ' ', sizeof CDFLAS.w);
  rec::i(CWORK, eqc_records::kResultsForm) = kBinary;
  rec::i(CWORK, 28) = 0;
}

void SHR_INITPF(const char* name, Int nameLength, const Int* count, const Int* units, const Int* outputForm) {
  rec::i(CPROG, eqc_records::kProgramKind) = 0;
  blankJobStrings(fchar::field(name, nameLength));
  INITF();
  rec::i(COUTF, 1) = *outputForm;
  rec::clear(CDPF);
  bool failed = false;
  for (Int i = 1; i <= *count; ++i) {
    const Int u = units[2 * (i - 1)], f = units[2 * (i - 1) + 1];
    failed = !declare(i, u, f) || failed;
  }
  if (failed) SHR_XIT();
  const Int unit8Form = column(kUnitForm, 8);
  if (unit8Form == kAscii || unit8Form == kBinary) rec::i(CWORK, eqc_records::kResultsForm) = unit8Form;
}

void SHR_DBRNU(const Int* unit) {
  const Int u = *unit;
  if (!inTable(u) || column(kDefined, u) != u) {
    message(-2, "UNIT %I HAS NOT BEEN OPENED.  CHECK LRUNIT IN THE CALL TO INITPF", {u});
    return;
  }
  const Int form = column(kUnitForm, u);
  if (form == kBinary) switchBinary(u);
  if (form == kAscii) switchAscii(u);
  if (form == kBinary || form == kAscii) rec::i(CWORK, eqc_records::kResultsForm) = form;
}

}  // extern "C"
