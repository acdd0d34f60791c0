// Run-wide defaults: the constants and unit numbers of a run (FIXCON), the defaults of the
// named records at the start of a run (FIXVAL), the pre-processor mark (INITXX), and the NaN
// fill of new arrays that a debugging run asks for (DBINIT).
#include <array>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "runtime/fortran_chars.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/run_services.h"
#include "siblings/eqc/records.h"
#include "zmx/storage.h"

extern "C" {
constinit CFLDLB_t CFLDLB{};
constinit CDYN_t CDYN{};
constinit CODB_t CODB{};
}

namespace {

// CFLDLB: the conjugate (flux) names of 9 characters, then the field names of 8, pairwise.
constexpr int kConjugateWidth = 9;
constexpr int kFieldWidth = 8;
constexpr int kLabelPairs = 8;
constexpr std::array<std::string_view, kLabelPairs> kConjugateNames = {
    "FORCE", "MOMENT", "HEAT FLUX", "VOL. FLUX", "MASS FLUX", "CAV. VOL.", "CURRENT", "CHARGE"};
constexpr std::array<std::string_view, kLabelPairs> kFieldNames = {
    "DISP.", "ROTATION", "TEMP.", "P.PRESS.", "CONCENT.", "H.PRESS.", "E. POT.", "E. POT."};

// CLINES words.
constexpr int kRelease = 1;
constexpr int kDateFirst = 3;
constexpr int kTimeFirst = 7;
constexpr int kHeadingCharacters = 288;
constexpr Int kMostUserFiles = 20;

void setLabels() {
  for (int k = 0; k < kLabelPairs; ++k) {
    const auto pair = static_cast<std::size_t>(k);
    rec::setChars(CFLDLB, 1 + kConjugateWidth * k, kConjugateWidth, kConjugateNames[pair]);
    rec::setChars(CFLDLB, 1 + kConjugateWidth * kLabelPairs + kFieldWidth * k, kFieldWidth, kFieldNames[pair]);
  }
}

template <class R>
void setInts(R& record, int first, int last, Int value) {
  for (int k = first; k <= last; ++k) rec::i(record, k) = value;
}

// Reals held in words first..last (last is the second word of the last real).
template <class R>
void setReals(R& record, int first, int last, Real value) {
  for (int k = first; k < last; k += 2) rec::setR(record, k, value);
}

bool patternRequested() {
  char release[8];
  LFC_XUT_INTGTOCHAR(release, sizeof release, sizeof release, &rec::i(CLINES, kRelease));
  if (release[2] != '0') return false;
  const std::string name = "KVX_PATTERN";
  char value[80];
  Int length = 0;
  LXGENV(name.data(), static_cast<Int>(name.size()), value, sizeof value, &length);
  if (length <= 0) return false;
  const std::string_view head(value, 7);
  return head == "pattern" || head == "PATTERN";
}

}  // namespace

extern "C" {

void FIXCON() {
  IFC_GETVERSIONNUMBER(&rec::i(CLINES, kRelease));
  setLabels();
  rec::i(CLINES, eqc_records::kInputUnit) = 5;
  rec::i(CLINES, eqc_records::kPrintUnit) = 6;
  rec::i(CLINES, eqc_records::kMessageUnit) = rec::i(CPROG, eqc_records::kProgramKind) == 1 ? 7 : 6;
  rec::i(CLINES, 17) = 0;
  rec::i(CLINES, 19) = 0;
  rec::i(CWARN, 1) = 0;
  rec::i(CWARN, 2) = 0;
  rec::i(CSLES, 1) = 59;
  rec::i(CDSINX, 281) = 140;
  rec::i(CDSMNX, 1) = 6;
  rec::i(CDSMNX, 6) = 350;
  rec::i(CSLNS, 1) = 22;
  rec::i(CUSRFN, 1) = 0;
  rec::i(CUSRFN, 2) = kMostUserFiles;
  // Empties the user-file table without closing anything.
  const Int emptyTable = 4, type = 0;
  Int unit = 0, outUnit = 0, status = 0;
  const std::string blankName(32, ' ');
  DBUSRF(&emptyTable, &unit, &outUnit, blankName.data(), static_cast<Int>(blankName.size()), &type, &status);
}

void INITXX() {
  rec::i(CPROG, eqc_records::kProgramKind) = 1;
  rec::i(CBUFFA, 1) = 1;
  setInts(CBUFFA, 2, 33, 0);
}

void FIXVAL() {
  INITXX();
  FIXCON();
  const Int headingWords = kHeadingCharacters / 8;
  BCU_SET_BLANK(CHEAD.w, &headingWords);
  setInts(CONTRO, 1, 134, 0);
  setReals(CERROR, 7, 28, 0.0);
  rec::i(CODB, 1) = 0;
  rec::i(CODB, 2) = 0;
  rec::i(CODB, 3) = -1;
  rec::i(CWORK, eqc_records::kResultsForm) = zmx::results::kBinary;
  rec::i(CWORK, 27) = 0;
  rec::i(CWORK, 28) = 0;
  rec::i(CONTRO, 65) = 0;
  rec::i(CONTRO, 1) = 1;
  rec::setR(CAVRGK, 1, 1.0);
  rec::setR(CAVRGK, 3, 1.0);
  rec::i(CAVRGK, 5) = 1;
  rec::i(CAVRGK, 6) = 1;
  for (int k : {11, 16, 17}) rec::i(CLINES, k) = 0;
  for (int k : {47, 48, 84, 49, 51, 50, 88, 89}) rec::i(COUNT, k) = 0;
  ADATIM(&rec::i(CLINES, kDateFirst), &rec::i(CLINES, kTimeFirst));
  rec::setR(COUNT, 7, 0.0);
  rec::setR(COUNT, 17, 0.0);
  setInts(COUNT, 19, 24, 0);
  rec::i(COUNT, 1) = 0;
  rec::i(COUNT, 27) = 1;
  rec::i(COUNT, 3) = 0;
  setReals(CDYN, 1, 78, 0.0);
  setInts(CDYN, 71, 86, 0);
  rec::setR(CERROR, 37, 0.0);
  rec::setR(CERROR, 31, 0.0);
  setReals(COUNT, 5, 16, 0.0);
  rec::setR(COUNT, 29, 0.0);
  for (int k : {1, 47, 17, 45, 43}) rec::setR(CENEGY, k, 0.0);
  rec::i(CONTRO, 28) = 0;
  rec::setR(COUNT, 11, 1.0e36);
  rec::i(CONTRO, 44) = 0;
  rec::setR(CERROR, 47, 0.0);
  rec::i(CONTRO, 76) = 0;
  rec::i(CDFILE, zmx::results::kRunDefaultsMark) = 1;
}

void DBINIT(Real* array, const Int* count, const char* name, Int nameLength) {
  if (!patternRequested()) return;
  const std::uint64_t bits = 0x7FFFFFFF7FFFFFFFull;
  Real quietNaN;
  std::memcpy(&quietNaN, &bits, sizeof quietNaN);
  for (Int k = 0; array != nullptr && count != nullptr && k < *count; ++k) array[k] = quietNaN;
  std::string strings(160, ' ');
  const std::string_view given = fchar::field(name, nameLength);
  strings.replace(0, std::min<std::size_t>(given.size(), 80), given.substr(0, 80));
  const std::string_view pattern = "Z'7FFFFFFF7FFFFFFF' (NaN)";
  strings.replace(80, pattern.size(), pattern);
  const std::string text = "%S INITIALIZED TO %S";
  const Int level = 1, noInteger = 0;
  const Real noReal = 0.0;
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), &noInteger, &noReal, strings.data(), 80);
}

}  // extern "C"
