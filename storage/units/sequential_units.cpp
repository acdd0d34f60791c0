// Sequential job files read and written a block at a time: DBSA for unformatted records of
// 8-byte words, DBSASC for lines of text. Each opens its unit on first use by a fixed rule per
// unit number, and counts every call in the unit's CBUFFA word.

#include <algorithm>
#include <string>

#include "runtime/fortran_chars.h"
#include "runtime/format.h"
#include "runtime/record.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/records.h"
#include "storage/units/file_support.h"
#include "zmx/storage.h"

CERRCD_t CERRCD{};

namespace {

using namespace zmx::files;

constexpr int kReadFailuresQuiet = 30;  // CWORK: 1 = read failures of DBSA are not reported
constexpr int kErrorCode = 1;           // CERRCD
constexpr Int kOpenFailedCode = 1;
constexpr Int kWriteFailedCode = 2;
constexpr Int kCheckedUnit = 13;        // the explicit program's output unit

constexpr std::string_view kIoError = "SEQUENTIAL I/O ERROR ON UNIT %I";
constexpr std::string_view kDiskFull = "SEQUENTIAL I/O ERROR ON UNIT %I.  OUT OF DISK SPACE OR DISK QUOTA EXCEEDED.";

enum Operation : Int { kRead = 0, kWrite = 1, kRewind = 2, kReportError = 4, kClose = 5, kCloseDelete = 6,
                       kWriteAlso = 10 };

bool explicitProgram() { return programKind() == kExplicitProgram; }

// How a unit is opened on first use.
struct OpenRule {
  bool opens = false;
  bool scratch = false;
  int name = kJobName;
  int directory = kJobDirectory;
  fio::Status status = fio::Status::Unknown;
  bool givenFile = false;  // the explicit program's unit 13: the file named by string 4
};

OpenRule ruleFor(Int unit, bool formatted) {
  OpenRule rule;
  rule.opens = true;
  switch (unit) {
    case 8:
    case 9:
      if (explicitProgram()) rule.name = kSecondName;
      return rule;
    case 13: rule.givenFile = explicitProgram(); return rule;
    case 15:
    case 16:
    case 17:
    case 18:
      rule.directory = kSecondDirectory;
      rule.status = formatted ? fio::Status::Unknown : fio::Status::Old;
      return rule;
    case 23:
      rule.status = fio::Status::Old;
      rule.opens = !formatted;
      return rule;
    case 71:
    case 72:
      rule.name = kSecondName;
      rule.status = fio::Status::Old;
      return rule;
    default:
      rule.opens = !formatted;
      rule.scratch = true;
      rule.status = fio::Status::Scratch;
      return rule;
  }
}

// Opens the unit by its rule; the IOSTAT (kOpenFailed also when the unit has no rule).
int openByRule(Int unit, bool formatted) {
  const OpenRule rule = ruleFor(unit, formatted);
  if (!rule.opens) return fio::kOpenFailed;
  const fio::Form form = formatted ? fio::Form::Formatted : fio::Form::Unformatted;
  if (rule.scratch) return openUnit(unit, {}, fio::Status::Scratch, form);
  const std::string name = rule.givenFile ? std::string(fchar::view(jobString(kGivenFile).data(), 255))
                                          : jobFileName(jobString(rule.name), jobString(rule.directory), unit);
  return openUnit(unit, name, rule.status, form);
}

// The explicit program's unit 13 is the only open whose outcome is tested.
bool openFailedForExplicitOutput(Int unit, int iostat) {
  if (iostat == fio::kOk || unit != kCheckedUnit || !explicitProgram()) return false;
  rec::i(CERRCD, kErrorCode) = kOpenFailedCode;
  return true;
}

bool quietReadFailure(Int unit) {
  static constexpr Int kQuietUnits[] = {8, 13, 15, 16, 17, 18, 44};
  return std::find(std::begin(kQuietUnits), std::end(kQuietUnits), unit) != std::end(kQuietUnits) ||
         rec::i(CWORK, kReadFailuresQuiet) == 1;
}

void failRead(Int unit, void* buffer, Int n, Int* status) {
  *status = 1;
  const Int one = 1;
  if (n > 0) ASETDI(buffer, &one, &n);
  if (!quietReadFailure(unit)) sayInteger(-3, kIoError, unit);
}

// Opens the unit on first use and counts the call; false when the request ends here.
bool prepare(Int unit, bool formatted, Int* status, Int** counter) {
  *counter = useCounter(unit, formatted ? "DBSASC" : "DBSA");
  if (*counter == nullptr) {
    *status = 1;
    return false;
  }
  if (**counter == 0) {
    const int iostat = openByRule(unit, formatted);
    if (openFailedForExplicitOutput(unit, iostat)) {
      *status = 1;
      return false;
    }
    if (formatted && !ruleFor(unit, true).opens) {
      *status = 1;
      return false;
    }
  }
  ++**counter;
  return true;
}

}  // namespace

extern "C" {

void DBSAR(const Int* unit, void* buffer, const Int* n, Int* /*counters*/, Int* /*spare*/, Int* status) {
  const Int words = std::max<Int>(*n, 0);
  *status = fio::readRecord(*unit, buffer, 8 * static_cast<std::size_t>(words)) == fio::kOk ? 0 : 1;
}

void DBSA(const Int* unit, void* buffer, const Int* n, const Int* op, Int* status) {
  *status = 0;
  Int* counter = nullptr;
  if (!prepare(*unit, false, status, &counter)) return;
  const Int words = std::max<Int>(*n, 0);
  switch (*op) {
    case kRead: {
      Int spare = 0;
      DBSAR(unit, buffer, &words, counter, &spare, status);
      if (*status != 0) failRead(*unit, buffer, words, status);
      return;
    }
    case kWrite:
      if (fio::writeRecord(*unit, buffer, 8 * static_cast<std::size_t>(words)) == fio::kOk) return;
      *status = 1;
      if (explicitProgram()) rec::i(CERRCD, kErrorCode) = kWriteFailedCode;
      else sayInteger(-3, kDiskFull, *unit);
      return;
    case kRewind: fio::rewind(*unit); return;
    case kReportError: sayInteger(-2, kIoError, *unit); return;
    case kClose:
    case kCloseDelete:
      fio::close(*unit, *op == kCloseDelete);
      *counter = 0;
      return;
    default: failRead(*unit, buffer, words, status); return;
  }
}

void DBSASR(const Int* unit, char* text, Int textLength, const Int* width, const Int* n, Int* endFlag,
            Int* errorFlag) {
  *endFlag = 0;
  *errorFlag = 0;
  const Int length = std::min(std::max<Int>(*n, 0), textLength);
  // (Aw) input: a field wider than the text gives its rightmost characters. A width below 1
  // names no field: the text's own length is read.
  const std::string format = *width >= 1 ? "(A" + std::to_string(*width) + ")" : "(A)";
  const int iostat = fio::read(*unit, fio::format(format), {fio::in(text, static_cast<std::size_t>(length))});
  if (iostat == fio::kEnd) *endFlag = 1;
  else if (iostat != fio::kOk) *errorFlag = 1;
}

void DBSASC(const Int* unit, char* text, Int textLength, const Int* n, const Int* op, Int* status) {
  *status = 0;
  const Int length = std::min(std::max<Int>(*n, 0), textLength);
  Int* counter = nullptr;
  if (!prepare(*unit, true, status, &counter)) {
    if (counter != nullptr && !(*unit == kCheckedUnit && explicitProgram())) fchar::assign(text, length, "");
    return;
  }
  switch (*op) {
    case kRead: {
      Int endFlag = 0, errorFlag = 0;
      const Int width = 80;
      DBSASR(unit, text, textLength, &width, &length, &endFlag, &errorFlag);
      if (endFlag != 0) {
        *status = 1;
        fchar::assign(text, length, "");
      } else if (errorFlag != 0) {
        sayInteger(-3, kIoError, *unit);
        *status = 1;  // a failed read is never reported as success
      }
      return;
    }
    case kWrite:
    case kWriteAlso: {
      static const fio::Format& line = fio::format("(A80)");
      const int iostat = fio::write(*unit, line, {std::string_view(text, static_cast<std::size_t>(length))});
      if (iostat == fio::kOk) return;
      // A failed write is never reported as success; the explicit program reads CERRCD instead
      // of a message.
      *status = 1;
      if (explicitProgram()) rec::i(CERRCD, kErrorCode) = kWriteFailedCode;
      else sayInteger(-3, kIoError, *unit);
      return;
    }
    case kRewind: fio::rewind(*unit); return;
    case kReportError: sayInteger(-2, kIoError, *unit); return;
    default: return;
  }
}

void DBFLTP1(const Int* unit, Int* type, const char* name, Int nameLength, Int* word, Int* status) {
  *status = 1;
  *type = 0;
  const std::string file(fchar::view(name, nameLength));
  if (openUnit(*unit, file, fio::Status::Old, fio::Form::Formatted) == fio::kOk) {
    std::string first;
    if (fio::readLine(*unit, first) == fio::kOk && !first.empty() && first[0] == '*') {
      *type = 1;
      *status = 0;
      fio::close(*unit);
      return;
    }
    fio::close(*unit);
  }
  if (openUnit(*unit, file, fio::Status::Old, fio::Form::Unformatted) == fio::kOk) {
    Int value = 0;
    if (fio::readRecord(*unit, &value, sizeof value) == fio::kOk) {
      *type = 2;
      *status = 0;
      if (word != nullptr) *word = value;
    }
  }
  fio::close(*unit);
}

void DBFLTP(const Int* unit, Int* type, Int* status) {
  *status = 1;
  *type = 0;
  const std::string file =
      jobFileName(jobString(explicitProgram() ? kSecondName : kJobName), jobString(kJobDirectory), *unit);
  Int word = 0;
  DBFLTP1(unit, type, file.data(), static_cast<Int>(file.size()), &word, status);
}

void SHR_REOPENDATAFILE(const char* name, Int nameLength) {
  const Int unit = rec::i(CLINES, eqc_records::kPrintUnit);
  const std::string file(fchar::view(name, std::min<Int>(nameLength, 255)));
  if (openUnit(unit, file, fio::Status::Old, fio::Form::Formatted, fio::Access::Append) == fio::kOk) return;
  fio::writeLine(fio::kStandardOutput, " ***ERROR: UNABLE TO OPEN OUTPUT FILE");
  const Int code = 1;
  BCU_EXIT(&code);
}

}  // extern "C"
