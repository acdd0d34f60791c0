// User-named files: a table of at most 20 files, each with its 80-character name and the unit it
// is connected to. Opened under the job directory on request, found again by name, rewound,
// closed and forgotten. A unit taken by another name closes the first file and marks its entry
// closed (negative unit); asking for the first name again reopens it.

#include <algorithm>
#include <string>

#include "runtime/fortran_chars.h"
#include "runtime/record.h"
#include "siblings/eqc/records.h"
#include "storage/units/file_support.h"
#include "zmx/storage.h"

CUSRFN_t CUSRFN{};
CUSRFI_t CUSRFI{};

namespace {

using namespace zmx::files;

constexpr int kCount = 1;
constexpr int kMaximum = 2;
constexpr int kFirstUnitWord = 3;
constexpr Int kMaxEntries = 20;
constexpr Int kNameLength = 80;

enum Operation : Int { kOpenRead = 0, kOpenWrite = 1, kRewind = 2, kForget = 4, kClose = 5, kCloseAll = 6 };
enum FileType : Int { kFormatted = 1, kUnformatted = 2 };

constexpr std::string_view kCannotCloseUnit = "CANNOT CLOSE FILE UNIT %I";

Int count() { return rec::i(CUSRFN, kCount); }
Int& entryUnit(Int k) { return rec::i(CUSRFN, kFirstUnitWord + k - 1); }
std::string_view entryName(Int k) { return rec::chars(CUSRFI, kNameLength * (k - 1) + 1, kNameLength); }
void setEntry(Int k, std::string_view name, Int unit) {
  rec::setChars(CUSRFI, kNameLength * (k - 1) + 1, kNameLength, name);
  entryUnit(k) = unit;
}

// The caller's name as an 80-character field: cut or padded with blanks.
std::string nameField(const char* name, Int length) {
  std::string field(fchar::field(name, std::min(length, kNameLength)));
  field.resize(kNameLength, ' ');
  return field;
}

std::string fullName(const std::string& name, Int unit) {
  return jobFileName(name, jobString(kJobDirectory), unit);
}

void setUseCounter(Int unit, Int value) {
  if (Int* counter = useCounter(unit, "DBUSRF")) *counter = value;
}

// Closes the file of entry k and marks it closed; false after the message when the close fails.
bool closeEntry(Int k) {
  const Int unit = entryUnit(k);
  if (fio::close(unit) != fio::kOk) {
    sayInteger(-2, kCannotCloseUnit, unit);
    return false;
  }
  entryUnit(k) = -unit;
  setUseCounter(unit, 0);
  return true;
}

// The entry other than `except` that holds the unit open, 0 when none.
Int entryHolding(Int unit, Int except) {
  for (Int k = 1; k <= count(); ++k)
    if (k != except && entryUnit(k) == unit) return k;
  return 0;
}

// Frees the unit from any other entry; false (status 1, outunit 0) when that close fails.
bool freeUnit(Int unit, Int except, Int* outunit, Int* status) {
  const Int holder = entryHolding(unit, except);
  if (holder == 0 || closeEntry(holder)) return true;
  *status = 1;
  *outunit = 0;
  return false;
}

int openFile(const std::string& file, Int unit, Int op, Int type, bool reopen) {
  const fio::Form form = type == kUnformatted ? fio::Form::Unformatted : fio::Form::Formatted;
  if (op == kOpenRead) return openUnit(unit, file, fio::Status::Old, form);
  if (reopen) return openUnit(unit, file, fio::Status::Old, form, fio::Access::Append);
  return openUnit(unit, file, fio::Status::Unknown, form);
}

void reportOpenFailure(Int op, const std::string& file) {
  if (op == kOpenRead) sayString(-3, "CANNOT OPEN INPUT FILE %S.  FILE NAMES ARE CASE SENSITIVE", file);
  else sayString(-3, "CANNOT OPEN OUTPUT FILE %S", file);
}

bool typeKnown(Int type) { return type == kFormatted || type == kUnformatted; }

// Opens the named file on the unit for entry k, reopened to append to it, or for a new entry
// (k = 0), once the unit is freed from any other entry. False (status 1) when it is not opened:
// an illegal type frees the unit and opens nothing.
bool openForEntry(Int op, Int unit, Int k, Int* outunit, const std::string& name, Int type, Int* status) {
  if (!freeUnit(unit, k, outunit, status)) return false;
  if (!typeKnown(type)) {
    *status = 1;
    return false;
  }
  const std::string file = fullName(name, unit);
  if (file.empty() || openFile(file, unit, op, type, k != 0) != fio::kOk) {
    if (!file.empty()) reportOpenFailure(op, file);
    *status = 1;
    return false;
  }
  return true;
}

// An illegal type is reported and the request goes on: a file found open is used, but none is
// opened (status 1, since the file asked for is not there).
void openNamed(Int op, Int unit, Int* outunit, const std::string& name, Int type, Int* status) {
  if (!typeKnown(type)) sayInteger(-3, "ILLEGAL FILE TYPE IN DBUSRF", type);
  for (Int k = 1; k <= count(); ++k) {
    if (entryName(k) != name) continue;
    if (entryUnit(k) == unit) {
      *outunit = unit;
      return;
    }
    if (entryUnit(k) != -unit) continue;
    if (!openForEntry(op, unit, k, outunit, name, type, status)) return;
    entryUnit(k) = unit;
    setUseCounter(unit, 1);
    *outunit = unit;
    return;
  }
  if (count() >= kMaxEntries) {
    say(-3, "TOO MANY USER SPECIFIED INPUT/OUTPUT FILES");
    *status = 1;
    return;
  }
  if (!openForEntry(op, unit, 0, outunit, name, type, status)) return;
  if (Int* counter = useCounter(unit, "DBUSRF")) ++*counter;
  const Int k = count() + 1;
  rec::i(CUSRFN, kCount) = k;
  setEntry(k, name, unit);
  *outunit = unit;
}

// The first entry that is this name open on the unit, or another name holding the unit, wins;
// with none, the unit is handed back as it is.
void rewindNamed(Int unit, Int* outunit, const std::string& name, Int* status) {
  for (Int k = 1; k <= count(); ++k) {
    if (entryName(k) == name && entryUnit(k) == unit) {
      fio::rewind(unit);
      *outunit = unit;
      return;
    }
    if (entryName(k) != name && entryUnit(k) == unit) {
      if (!closeEntry(k)) {
        *status = 1;
        *outunit = 0;
        return;
      }
      *outunit = unit;
      return;
    }
  }
  *outunit = unit;
}

void removeEntry(Int k) {
  const Int n = count();
  for (Int j = k; j < n; ++j) setEntry(j, entryName(j + 1), entryUnit(j + 1));
  setEntry(n, "", 0);
  rec::i(CUSRFN, kCount) = n - 1;
}

void closeNamed(Int unit, Int* outunit, const std::string& name, Int* status) {
  *outunit = 0;
  for (Int k = 1; k <= count(); ++k) {
    if (entryName(k) != name || (entryUnit(k) != unit && entryUnit(k) != -unit)) continue;
    if (entryUnit(k) == unit) {
      if (fio::close(unit) != fio::kOk) {
        sayInteger(-2, kCannotCloseUnit, unit);
        *status = 1;
        return;
      }
      setUseCounter(unit, 0);
    }
    removeEntry(k);
    return;
  }
  sayString(-2, "CANNOT CLOSE FILE %S", fullName(name, unit));
  *status = 1;
}

void forgetAll() {
  for (Int k = 1; k <= kMaxEntries; ++k) setEntry(k, "", 0);
  rec::i(CUSRFN, kCount) = 0;
}

void closeAll(Int* outunit, Int* status) {
  *outunit = 0;
  for (Int k = 1; k <= count(); ++k) {
    const Int unit = entryUnit(k);
    if (unit > 0) {
      if (fio::close(unit) != fio::kOk) {
        sayInteger(-2, kCannotCloseUnit, unit);
        *status = 1;
        return;
      }
      setUseCounter(unit, 0);
    }
    setEntry(k, "", 0);
  }
  rec::i(CUSRFN, kCount) = 0;
}

}  // namespace

extern "C" void DBUSRF(const Int* op, Int* unit, Int* outunit, const char* name, Int nameLength, const Int* type,
                       Int* status) {
  *status = 0;
  rec::i(CUSRFN, kMaximum) = kMaxEntries;
  if (*unit < 0) *unit = -*unit;
  const std::string field = nameField(name, nameLength);
  const bool blank = fchar::trimmed(field).empty();
  switch (*op) {
    case kOpenRead:
    case kOpenWrite:
      if (blank) {
        *outunit = rec::i(CLINES, *op == kOpenRead ? eqc_records::kInputUnit : eqc_records::kPrintUnit);
        return;
      }
      openNamed(*op, *unit, outunit, field, *type, status);
      break;
    case kRewind:
      if (!blank) rewindNamed(*unit, outunit, field, status);
      break;
    case kForget: forgetAll(); break;
    case kClose:
      if (!blank) closeNamed(*unit, outunit, field, status);
      break;
    case kCloseAll: closeAll(outunit, status); break;
    default: say(-3, "SYSTEM ERROR IN DBUSRF"); break;
  }
  if (*status == 1 && (*op == kOpenRead || *op == kOpenWrite))
    *outunit = rec::i(CLINES, *op == kOpenRead ? eqc_records::kInputUnit : eqc_records::kPrintUnit);
}
