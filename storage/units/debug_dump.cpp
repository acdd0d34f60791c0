// The debug dump: one run-wide target (a file on unit 201, one of the job's standard outputs, or
// nothing) chosen by DWTO and recorded in CDWFIL, and the writers that each put one labelled item
// there and flush it.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/fortran_chars.h"
#include "runtime/format.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/records.h"
#include "storage/units/file_support.h"
#include "zmx/storage.h"

CDWFIL_t CDWFIL{};

namespace {

using namespace zmx::files;

constexpr int kUnitWord = 1;
constexpr int kLimitWord = 2;
constexpr int kNameFirst = 9;
constexpr Int kNameLength = 255;
constexpr Int kDumpFileUnit = 201;
constexpr Int kDefaultLimit = 100000;
constexpr Int kLogUnit = 0;
constexpr Int kStandardOutputUnit = 6;
constexpr int kTextLength = 99;
constexpr int kSlideLineVolumes = 15;
constexpr int kSlideLineEnd = 16;
constexpr long kMaxRecords = 10'000'000;

Int dumpUnit() { return rec::i(CDWFIL, kUnitWord); }
bool dumpingOff() { return dumpUnit() < 0; }
void flushDump() {
  const Int unit = dumpUnit();
  DBFLUS(&unit);
}
std::string_view label(const char* text, Int length) { return fchar::field(text, length); }

// ---- DWTO -----------------------------------------------------------------------------------

std::string makeName(std::string_view base, std::string_view directory, std::string_view extension) {
  char result[kNameLength];
  DWMKNAME(result, kNameLength, base.data(), static_cast<Int>(base.size()), directory.data(),
           static_cast<Int>(directory.size()), extension.data(), static_cast<Int>(extension.size()));
  return std::string(fchar::view(result, kNameLength));
}

void selectDefault() {
  rec::i(CDWFIL, kLimitWord) = kDefaultLimit;
  const Int kind = programKind();
  rec::i(CDWFIL, kUnitWord) = kind == 0 ? kStandardOutputUnit
                              : kind == kPreProcessor ? rec::i(CLINES, eqc_records::kMessageUnit)
                                                      : -1;
  rec::setChars(CDWFIL, kNameFirst, kNameLength, "");
}

// Connects unit 201 to the file: a replaced file starts empty, an appended one goes on at its end
// (or where the still-open unit stopped).
void connectFile(const std::string& file, bool replace) {
  const std::string_view stored = rec::chars(CDWFIL, kNameFirst, kNameLength);
  const bool sameName = fchar::equal(stored, file);
  if (!sameName && fio::isOpen(kDumpFileUnit)) fio::close(kDumpFileUnit);
  rec::setChars(CDWFIL, kNameFirst, kNameLength, file);
  if (replace) {
    if (fio::inquireFile(file).exists && openUnit(kDumpFileUnit, file, fio::Status::Old, fio::Form::Formatted) == fio::kOk)
      fio::close(kDumpFileUnit, true);
    openUnit(kDumpFileUnit, file, fio::Status::New, fio::Form::Formatted);
    return;
  }
  if (sameName && fio::isOpen(kDumpFileUnit)) return;
  if (fio::inquireFile(file).exists)
    openUnit(kDumpFileUnit, file, fio::Status::Old, fio::Form::Formatted, fio::Access::Append);
  else
    openUnit(kDumpFileUnit, file, fio::Status::New, fio::Form::Formatted);
}

// ---- dwgp -----------------------------------------------------------------------------------

bool printable(const char* bytes, int n) {
  for (int k = 0; k < n; ++k)
    if (!std::isprint(static_cast<unsigned char>(bytes[k]))) return false;
  return true;
}

std::string realColumn(double value, const int* integers, const char* bytes) {
  char text[64];
  std::snprintf(text, sizeof text, "%12g", value);
  if (std::strchr(text, 'n') != nullptr) return "     *      ";
  if (value == 0.0) return "     0.     ";
  if (integers[1] == 0 || printable(bytes, 4)) {
    if (std::fabs(value) < 1e-26) return "     <      ";
    if (std::fabs(value) > 1e26) return "     >      ";
  }
  return text;
}

std::string textColumn(const char* bytes) {
  if (printable(bytes, 8)) return "[" + std::string(bytes, 8) + "]";
  if (printable(bytes, 4)) return "[" + std::string(bytes, 4) + "]x   ";
  return {};
}

// Writes the label's characters, cut or padded to n, as n one-character items.
fio::OutItem labelCharacters(std::string& padded, std::string_view text, std::size_t n) {
  padded.assign(text.substr(0, std::min(text.size(), n)));
  padded.resize(n, ' ');
  return fio::outChars(padded.data(), n, 1);
}

// A matrix A(m, n) row by row: the label (list-directed), the header with m and n, then one
// record per row.
template <class T>
void dumpByRows(std::string_view text, const T* a, Int m, Int n, std::string_view header, std::string_view row) {
  if (dumpingOff()) return;
  const Int unit = dumpUnit();
  fio::writeList(unit, {text});
  fio::write(unit, fio::format(header), {m, n});
  const fio::Format& rowFormat = fio::format(row);
  for (Int i = 0; i < m; ++i)
    fio::write(unit, rowFormat,
               {fio::outArray(a + i, static_cast<std::size_t>(std::max<Int>(n, 0)), static_cast<std::size_t>(m))});
  flushDump();
}

// A matrix A(m, n) column by column, one record per column, then the flush.
template <class T>
void writeColumns(const T* a, Int m, Int n, std::string_view column) {
  const fio::Format& columnFormat = fio::format(column);
  const auto rows = static_cast<std::size_t>(std::max<Int>(m, 0));
  for (Int j = 0; j < n; ++j) fio::write(dumpUnit(), columnFormat, {fio::outArray(a + j * rows, rows)});
  flushDump();
}

}  // namespace

extern "C" {

void DWMKNAME(char* result, Int resultLength, const char* base, Int baseLength, const char* directory,
              Int directoryLength, const char* extension, Int extensionLength) {
  fchar::assign(result, resultLength, "");
  Int hasPath = 0;
  PTHLOC(base, baseLength, &baseLength, &hasPath);
  Int first[3] = {0, 0, 0}, last[3] = {0, 0, 0};
  LENSTR(base, baseLength, &baseLength, &first[0], &last[0]);
  if (hasPath == 0) LENSTR(directory, directoryLength, &directoryLength, &first[1], &last[1]);
  LENSTR(extension, extensionLength, &extensionLength, &first[2], &last[2]);
  auto piece = [&](const char* text, int k) {
    return last[k] == 0 ? std::string_view() : std::string_view(text + first[k] - 1, static_cast<std::size_t>(last[k] - first[k] + 1));
  };
  const std::string_view b = piece(base, 0), d = piece(directory, 1), e = piece(extension, 2);
  if (static_cast<long>(b.size() + d.size() + e.size()) > resultLength) {
    sayInteger(-3, "FILE NAMES CANNOT BE LONGER THAN %I CHARACTERS", resultLength);
    return;
  }
  if (b.empty()) return;
  fchar::assign(result, resultLength, std::string(d) + std::string(b) + std::string(e));
}

void DWTO(const char* name, Int nameLength) {
  const std::string_view whole = fchar::field(name, nameLength);
  if (fchar::equal(whole, "off")) {
    rec::i(CDWFIL, kUnitWord) = -1;
    return;
  }
  if (fchar::trimmed(whole).empty()) return selectDefault();
  const bool replace = whole.front() == '>';
  const std::string_view rest = replace ? whole.substr(1) : whole;
  if (programKind() == kPreProcessor && fchar::equal(rest, ".msg")) {
    rec::i(CDWFIL, kUnitWord) = rec::i(CLINES, eqc_records::kMessageUnit);
    return;
  }
  if (fchar::equal(rest, ".dat")) {
    rec::i(CDWFIL, kUnitWord) = rec::i(CLINES, eqc_records::kPrintUnit);
    return;
  }
  if (fchar::equal(rest, ".log")) {
    rec::i(CDWFIL, kUnitWord) = kLogUnit;
    return;
  }
  const std::string_view directory = jobString(kJobDirectory);
  const std::string file = !rest.empty() && rest.front() == '.' ? makeName(jobString(kJobName), directory, rest)
                                                                : makeName(rest, directory, " ");
  if (file.empty()) {
    // An over-long composed name: nothing sensible to open, so dumping is switched off.
    rec::i(CDWFIL, kUnitWord) = -1;
    return;
  }
  rec::i(CDWFIL, kUnitWord) = kDumpFileUnit;
  connectFile(file, replace);
}

void DW2I(const char* text, Int textLength, const Int* first, const Int* second) {
  if (dumpingOff()) return;
  fio::writeList(dumpUnit(), {label(text, textLength), *first, *second});
  flushDump();
}

void DW2R(const char* text, Int textLength, const Real* first, const Real* second) {
  if (dumpingOff()) return;
  static const fio::Format& line = fio::format("(1X,A,2E15.8)");
  fio::write(dumpUnit(), line, {label(text, textLength), *first, *second});
  flushDump();
}

void DWCH(const char* text, Int textLength) {
  if (dumpingOff()) return;
  static const fio::Format& line = fio::format("(1X,A)");
  fio::write(dumpUnit(), line, {label(text, textLength)});
  flushDump();
}

void DWAI(const char* text, Int textLength, const Int* a, const Int* m, const Int* n) {
  dumpByRows(label(text, textLength), a, *m, *n, "(\" iarray \",I5,\" X \",I5)", "(3X,12(I5,1X))");
}

void DWAR(const char* text, Int textLength, const Real* a, const Int* m, const Int* n) {
  dumpByRows(label(text, textLength), a, *m, *n, "(\" array \",I5,\" X \",I5)", "(3X,10E15.8)");
}

void DWTAI(const char* text, Int textLength, const Int* a, const Int* m, const Int* n) {
  if (dumpingOff()) return;
  static const fio::Format& header = fio::format("(30A1,\" iarray \",I5,\" X \",I5,\" transposed\")");
  fio::writeList(dumpUnit(), {});
  std::string padded;
  fio::write(dumpUnit(), header, {labelCharacters(padded, label(text, textLength), 30), *m, *n});
  writeColumns(a, *m, *n, "(3X,12(I5,1X))");
}

void DWTAR(const char* text, Int textLength, const Real* a, const Int* m, const Int* n) {
  if (dumpingOff()) return;
  static const fio::Format& header = fio::format("(\" array \",I5,\" X \",I5,\"transposed\")");
  fio::writeList(dumpUnit(), {label(text, textLength)});
  fio::write(dumpUnit(), header, {*m, *n});
  writeColumns(a, *m, *n, "(3X,10E12.5)");
}

void DWVI(const char* text, Int textLength, const Int* v, const Int* n) {
  if (dumpingOff()) return;
  static const fio::Format& header = fio::format("(A,\" to position \",I5)");
  static const fio::Format& line = fio::format("(\"(\",I3,\") \",20(I5,1X))");
  const Int unit = dumpUnit();
  fio::write(unit, header, {label(text, textLength), *n});
  for (Int first = 1; first <= *n; first += 10) {
    const Int count = std::min(first + 9, *n) - first + 1;
    fio::write(unit, line, {first % 1000, fio::outArray(v + first - 1, static_cast<std::size_t>(count))});
  }
  flushDump();
}

void DWVR(const char* text, Int textLength, const Real* v, const Int* n) {
  if (dumpingOff()) return;
  static const fio::Format& line = fio::format("(\"(\",I3,\") \",20E12.5)");
  const Int unit = dumpUnit();
  fio::writeList(unit, {label(text, textLength)});
  for (Int first = 1; first <= *n; first += 8) {
    const Int count = std::min(first + 7, *n) - first + 1;
    fio::write(unit, line, {first % 1000, fio::outArray(v + first - 1, static_cast<std::size_t>(count))});
  }
  flushDump();
}

void DWGP1(const void* word, char* text, Int textLength, Int* length) {
  double real = 0.0;
  int integers[2] = {0, 0};
  char bytes[8];
  std::memcpy(&real, word, 8);
  std::memcpy(integers, word, 8);
  std::memcpy(bytes, word, 8);
  char formatted[128];
  int n = 0;
  dwgp(&real, integers, bytes, formatted, &n);
  const Int limit = kTextLength;
  ACODEC(formatted, text, textLength, &limit, length);
}

void DWGN(const char* text, Int textLength, const void* words, const Int* n) {
  if (dumpingOff()) return;
  static const fio::Format& header = fio::format("(\"Dump of \",A,\" to position \",I5)");
  static const fio::Format& warning = fio::format("(\" dwgn: error: len=\",I8,\" > max =\",I8)");
  static const fio::Format& line = fio::format("(1X,\"(\",I4,\")\",1X,99A1)");
  const Int unit = dumpUnit();
  const Int limit = rec::i(CDWFIL, kLimitWord);
  fio::write(unit, header, {label(text, textLength), *n});
  if (*n > limit) fio::write(unit, warning, {*n, limit});
  char shown[kTextLength];
  for (Int k = 1; k <= *n; ++k) {
    Int length = 0;
    DWGP1(static_cast<const char*>(words) + 8 * static_cast<std::size_t>(k - 1), shown, kTextLength, &length);
    fio::write(unit, line, {k % 10000, fio::outChars(shown, static_cast<std::size_t>(length), 1)});
  }
  fio::writeList(unit, {});
  flushDump();
}

void DWGR(const char* text, Int textLength, const void* record) {
  if (dumpingOff()) return;
  Int count = 0;
  const Int one = 1;
  ACOPDI(record, &count, &one);
  DWGN(text, textLength, record, &count);
}

void DWSLDB(void* /*buffer*/) {
  if (dumpingOff()) return;
  static constexpr std::string_view kHeading = " ++ dumping sldb ";
  DWCH(kHeading.data(), static_cast<Int>(kHeading.size()));
  struct Range {
    const Int* words;
    std::size_t size;
    std::string_view label;
  };
  const Range ranges[] = {{CSLEF.w, std::size(CSLEF.w), "Common block cslef: iesol.."},
                          {CSLNF.w, std::size(CSLNF.w), "Common block cslnf: indpth.."},
                          {CSLNS.w, std::size(CSLNS.w), "Common block cslns: inbdry.."},
                          {CSLES.w, std::size(CSLES.w), "Common block csles: ieload.."}};
  for (const Range& range : ranges) {
    const Int count = std::clamp<Int>(range.words[0] - 1, 0, static_cast<Int>(range.size) - 1);
    DWVI(range.label.data(), static_cast<Int>(range.label.size()), range.words + 1, &count);
  }
  Int address = 1;
  Int volume = 0;
  std::vector<Real> record;
  for (long walked = 0; walked < kMaxRecords; ++walked) {
    if (address >= rec::i(CSLV, kSlideLineEnd)) return;
    if (volume < kSlideLineVolumes && address >= rec::i(CSLV, volume + 1)) {
      for (Int j = volume + 1; j <= kSlideLineVolumes; ++j)
        if (address >= rec::i(CSLV, j)) volume = j;
      static constexpr std::string_view kBlank = " ", kVolume = "------------- VOLUME ";
      DWCH(kBlank.data(), 1);
      DW2I(kVolume.data(), static_cast<Int>(kVolume.size()), &volume, &volume);
      DWCH(kBlank.data(), 1);
    }
    // Each record is read into storage of the dump's own, sized to the record, so no record can
    // run past the caller's buffer; a record that cannot be read shows as length 0.
    eqc::readSlideLineRecord(address, record);
    static constexpr std::string_view kAddress = " Address, vol ", kRecord = " dbsl record: ";
    DW2I(kAddress.data(), static_cast<Int>(kAddress.size()), &address, &volume);
    DWGR(kRecord.data(), static_cast<Int>(kRecord.size()), record.data());
    Int length = 0;
    const Int one = 1;
    ACOPDI(record.data(), &length, &one);
    if (length < 1) break;  // a damaged record would hold the walk in place
    address += length;
  }
  say(-3, "SYSTEM ERROR IN STEP - LOOP 400 LIMIT EXCEEDED");
}

void DWENICS(const Int* codes, const Int* values, const Int* n, const Int* unit, const Int* nodeDatabase,
             const Int* nodeIndex) {
  static const fio::Format& pairs = fio::format("(\" NODE/DF\",10(I9,\"/\",I2))");
  static const fio::Format& names = fio::format("(\" NICNAME\",10I12)");
  const Int count = std::max<Int>(*n, 0);
  for (Int first = 0; first < count; first += 10) {
    Int row[20];
    const Int block = std::min<Int>(10, count - first);
    for (Int k = 0; k < block; ++k) {
      const Int code = codes[first + k];
      const Int node = code / 100;
      const Int reference = ADB_GETNODE(nodeDatabase, &nodeIndex[node]);
      const Int userNumber = 3;
      Int user = 0;
      ADB_NODEACCESS(&userNumber, &reference, &user);
      row[2 * k] = user;
      row[2 * k + 1] = code - 100 * node;
    }
    fio::write(*unit, pairs, {fio::outArray(row, static_cast<std::size_t>(2 * block))});
  }
  fio::write(*unit, names, {fio::outArray(values, static_cast<std::size_t>(count))});
  DBFLUS(unit);
}

}  // extern "C"

int dwgp(const double* real, const int* integers, const char* bytes, char* text, int* length) {
  const std::string column = realColumn(*real, integers, bytes);
  const std::string chars = textColumn(bytes);
  const int n = std::sprintf(text, "  %12s %11d,%11d %10s", column.c_str(), integers[0], integers[1], chars.c_str());
  if (length != nullptr) *length = n;
  return n;
}
