// Record units: node records by node number, restart-file records, the in-core substructure
// store and the CM and M units. A record is a run of 8-byte words whose word 1 holds its length
// in words; the paged units go through DBRAN over their page tables, the CM and M units through
// DBSEQ, records of a substructure library to the sibling store DBSUP.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cstdint>
#include <string>

#include "runtime/address_space.h"
#include "runtime/format.h"
#include "runtime/record.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/eqc_units.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/unit_records.h"
#include "storage/db_units/paged_units.h"
#include "zmx/storage.h"

namespace {

using zmx::units::PagedUnit;
using zmx::units::pagedUnit;

constexpr Int kNodeUnit = 18, kStoreUnit = 3, kRestartReadUnit = 22, kRestartWriteUnit = 23;
constexpr Int kRestartFileUnit = 11;
constexpr Int kKindNodeRecords = 9, kKindCmRecords = 14, kKindMRecords = 27;
constexpr Int kRowWords = 25;
constexpr Int kCmBlock = 512;
constexpr long long kWalkLimit = 10'000'000;

// CDND, CDSUS, CDSUPS, CDRR, CDRW words.
constexpr int kNodeLength = 24, kNodeStore = 25, kPreReadsStore = 35;
constexpr int kHighWater = 24, kCurrentRow = 34, kPackRows = 36;
constexpr int kFirstRow = 1, kTableAddress = 3;
constexpr int kRestartReadFile = 2;
constexpr int kRestartHighest = 10, kCmAddress = 11, kStepEntries = 12;

void systemError(const std::string& text) {
  const Int level = -3;
  const Int none = 0;
  const Real noReal = 0.0;
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), &none, &noReal, " ", 1);
}

void systemErrorWith(const std::string& text, Int value) {
  const Int level = -3;
  const Real noReal = 0.0;
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), &value, &noReal, " ", 1);
}

Int programKind() { return rec::i(CPROG, eqc_records::kProgramKind); }

// Integer value of 8-byte word k (1-based) of an array: an integer slot or an integer-valued real.
Int wordValue(const void* array, Int k = 1) {
  const Int one = 1;
  Int value = 0;
  ACOPDI(static_cast<const char*>(array) + 8 * (k - 1), &value, &one);
  return value;
}

// The index area of units 18 and 3: word (word 1) of the block at the address word (word 3).
template <class R>
Int* blockIndexArea(const R& record) {
  const Int block = rec::i(record, 3);
  if (block == 0) return nullptr;
  return mem32::at<Int>(block + 4 * (rec::i(record, 1) - 1));
}

void unitTransfer(Int unit, Int operation, void* array, Int length, Int address) {
  const PagedUnit& u = *pagedUnit(unit);
  Int* index = nullptr;
  if (unit == kNodeUnit) index = blockIndexArea(CDNDIC);
  if (unit == kStoreUnit) index = blockIndexArea(CDSSIC);
  if (unit == kRestartReadUnit) index = CDRRIC.w;
  if (unit == kRestartWriteUnit) index = CDRWIC.w;
  zmx::units::transfer(u, operation, array, length, address, index);
}

// The unit DBRE reads from: the restart file being read, or the one being written.
Int restartReadUnit() {
  return rec::i(CDRR, kRestartReadFile) == kRestartFileUnit ? kRestartReadUnit : kRestartWriteUnit;
}

// ---- substructure-store table -------------------------------------------------------------

// The 25 words of a table row (row relative to CDSUPS word 1), or null (reported).
Int* tableRow(Int row) {
  const long long absolute = static_cast<long long>(row) + rec::i(CDSUPS, kFirstRow) - 1;
  const long long word = rec::i(CDSUPS, kTableAddress) + 4LL * kRowWords * (absolute - 1);
  if (absolute < 1 || word > INT32_MAX) {
    systemErrorWith("SYSTEM ERROR IN DBSUPS - ROW %I", row);
    return nullptr;
  }
  return mem32::at<Int>(static_cast<Int>(word), kRowWords);
}

// Words of a row, 1-based.
struct Row {
  Int* w;
  Int& operator[](int k) const { return w[k - 1]; }
};

// Start and length words of a kind's region: 1 and 2, 3 and 4, 5 and 6, 7 and 8.
int regionStartWord(Int kind) { return kind >= 1 && kind <= 4 ? 2 * kind - 1 : 0; }

void storeTransfer(Int operation, Int kind, Int* index, void* array, Row row) {
  if (kind == 1) {
    const Int length = row[11];
    unitTransfer(kStoreUnit, operation, array, length, row[1] + (*index - 1) * length);
    return;
  }
  if (kind != 3 && kind != 4) return;
  const Int address = *index + row[regionStartWord(kind)] - 1;
  const Int length = operation == 0 ? 0 : wordValue(array);
  unitTransfer(kStoreUnit, operation, array, length, address);
  *index += wordValue(array);
}

void openRegion(Int kind, Row row, Int hw) {
  if (kind == 1 && row[1] == 0) row[1] = hw + 1;
  if (kind == 3 || kind == 4) row[regionStartWord(kind)] = hw + 1;
}

void closeRegion(Int kind, Int index, Row row, Int& hw) {
  if (kind == 1) {
    row[2] = index * row[11];
    hw = std::max(hw, row[1] + row[2] - 1);
  } else if (kind == 3 || kind == 4) {
    const int start = regionStartWord(kind);
    row[start + 1] = index - 1;
    hw = std::max(hw, index + row[start] - 2);
  }
}

// Moves length words from old to next in pieces of at most one page through the buffer.
void moveWords(Real* buffer, Int from, Int to, Int length) {
  const Int page = std::max(rec::i(CDSUS, 1), 1);
  for (Int done = 0; done < length;) {
    const Int piece = std::min(page, length - done);
    unitTransfer(kStoreUnit, 0, buffer, piece, from + done);
    unitTransfer(kStoreUnit, 1, buffer, piece, to + done);
    done += piece;
  }
}

// Packs the regions of the table rows end to end from address 1 in the order of their starts.
void packStore(Real* buffer, Int& hw) {
  const Int rows = rec::i(CDSUS, kPackRows);
  for (Int r = 1; r <= rows; ++r) {
    Int* words = tableRow(r);
    if (words == nullptr) return;
    for (int start : {1, 3, 5, 7}) words[start - 1] = -words[start - 1];
  }
  Int next = 1;
  for (Int placed = 0; placed < 4 * rows; ++placed) {
    Int* chosen = nullptr;
    Int chosenOld = 0;
    for (Int r = 1; r <= rows; ++r) {
      Int* words = tableRow(r);
      for (int start : {1, 3, 5, 7}) {
        const Int old = -words[start - 1];
        if (words[start - 1] < 0 && (chosen == nullptr || old < chosenOld)) {
          chosen = &words[start - 1];
          chosenOld = old;
        }
      }
    }
    if (chosen == nullptr) break;
    const Int length = chosen[1];
    *chosen = next;
    if (next != chosenOld) moveWords(buffer, chosenOld, next, length);
    next += length;
  }
  hw = next - 1;
}

// ---- restart step directory ---------------------------------------------------------------

struct StepEntry {
  Int step, increment, value1, value2, flag;
};

// One directory record as the walk sees it: where it lies, its length and the next address.
// Entries are read one at a time from the unit, so nothing is sized by the record's length
// word: a damaged length only bounds the entries that are looked at.
struct DirectoryRecord {
  Int address = 0;
  Int length = 0;
  Int next = 0;
};

// Reads count words at address + offset of the restart unit DBRE reads from; false (nothing
// read) when the span leaves the word addresses of the unit.
bool readDirectoryWords(Int address, long long offset, Real* words, Int count) {
  const long long first = static_cast<long long>(address) + offset;
  if (first < 1 || first + count - 1 > INT32_MAX) return false;
  unitTransfer(restartReadUnit(), 0, words, count, static_cast<Int>(first));
  return true;
}

// The head of the record at address: its length and its next address (word 3). False, reported,
// for a record too short to hold the next address or one that runs past the unit's addresses.
bool readDirectoryHead(Int address, DirectoryRecord& record) {
  Real head[3] = {};
  if (!readDirectoryWords(address, 0, head, 3) || wordValue(head) < 3 ||
      static_cast<long long>(address) + wordValue(head) - 1 > INT32_MAX) {
    systemErrorWith("SYSTEM ERROR IN MRESTSTEPINC - DAMAGED DIRECTORY RECORD AT %I", address);
    return false;
  }
  record = {address, wordValue(head), wordValue(head, 3)};
  return true;
}

// Entry e (0-based) of a record, or false when the record ends before it or its flag is 0.
bool readDirectoryEntry(const DirectoryRecord& record, Int e, StepEntry& entry) {
  const long long first = 4 + 6LL * e;  // the entry's words first .. first + 4
  Real words[5] = {};
  if (first + 4 > record.length || !readDirectoryWords(record.address, first - 1, words, 5)) return false;
  entry = {wordValue(words, 1), wordValue(words, 2), wordValue(words, 3), wordValue(words, 4), wordValue(words, 5)};
  return entry.flag != 0;
}

// Walks the directory records from address, handing each entry (up to the first with flag 0
// in each record) to visit; false when the walk ran past the record limit. A damaged record
// (reported) ends the walk with what was found before it.
//
// A chain that never ends loops back on itself. The visitors only overwrite what they keep or
// take a maximum, so once one whole turn of the loop has been walked, further whole turns change
// nothing: they are skipped (the loop is found by Brent's method) and only the remainder is
// walked. The result is that of the full walk, without ten million reads.
template <class Visit>
bool walkDirectory(Int address, Visit visit) {
  DirectoryRecord record;
  Int turnStart = address;  // where the current turn of the loop search began
  long long turnLength = 0, power = 1;
  bool skipped = false;
  for (long long records = 0; records < kWalkLimit; ++records) {
    if (!readDirectoryHead(address, record)) return true;
    StepEntry entry{};
    for (Int e = 0; e < rec::i(CDRW, kStepEntries) && readDirectoryEntry(record, e, entry); ++e) visit(entry);
    address = record.next;
    if (address == 0) return true;
    if (skipped) continue;
    ++turnLength;
    if (address == turnStart) {  // one whole turn of the loop has just been walked
      records += (kWalkLimit - 1 - records) / turnLength * turnLength;
      skipped = true;
    } else if (turnLength == power) {
      turnStart = address;
      turnLength = 0;
      power *= 2;
    }
  }
  return false;
}

// ---- CM and M units -----------------------------------------------------------------------

constinit Real gCmBuffer[kCmBlock] = {};

void cmSequential(Int operation, void* data, Int count, Int* status) {
  Int* w = CDCM.w;
  DBSEQ(&operation, gCmBuffer, data, &count, &w[3], &w[1], &w[0], &w[2], &w[4], status);
}

void mSequential(Int operation, void* data, Int count, Int* status) {
  Int* w = CDM.w;
  Real* buffer = zmx::units::workSpaceWords(w[3], w[0]);
  DBSEQ(&operation, buffer, data, &count, &w[4], &w[1], &w[0], &w[2], &w[5], status);
}

constexpr int kTraceMlAddresses = 7;  // CTFV

// An empty line, then the relative address, list-directed on the print unit.
void traceRelativeAddress(Int address) {
  const Int unit = rec::i(CLINES, eqc_records::kPrintUnit);
  fio::writeList(unit, {});
  fio::writeList(unit, {" DBMLRL: RELATIVE ADDRESS = ", address});
}

}  // namespace

extern "C" {

void DBND(const Int* operation, void* array, const Int* node) {
  const Int kind = programKind();
  if (kind != 0 && kind != 1) return;
  if (kind == 0 && *node <= 0) return;
  Int status = 0;
  if (rec::i(CDND, kNodeStore) == 0) {
    const Int length = rec::i(CDND, kNodeLength);
    if (length != 0) unitTransfer(kNodeUnit, *operation, array, length, (*node - 1) * length + 1);
    return;
  }
  if (kind == 0 || (*operation == 0 && rec::i(CDND, kPreReadsStore) == 0)) {
    const Int none = 0;
    DBSUP(operation, &kKindNodeRecords, node, array, &none, &status);
    return;
  }
  Int index = *node;
  const Int kindNodes = 1;
  DBSUPS(operation, &kindNodes, &index, array, &rec::i(CDSUS, kCurrentRow), &status);
}

void DBSUPS(const Int* operation, const Int* kind, Int* index, void* array, const Int* row, Int* status) {
  *status = 0;
  if (*kind == 2 && *operation != 4) {
    systemError("SYSTEM ERROR IN DBSUPS - MATERIAL POINT DATABASE IS NOT USED ANYMORE");
    SHR_XIT();
    return;
  }
  Int& hw = rec::i(CDSUS, kHighWater);
  if (*operation == 4) {
    packStore(static_cast<Real*>(array), hw);
    return;
  }
  Int* words = tableRow(*row);
  if (words == nullptr) return;
  const Row r{words};
  switch (*operation) {
    case 0:
    case 1:
      storeTransfer(*operation, *kind, index, array, r);
      return;
    case 2:
      openRegion(*kind, r, hw);
      return;
    case 3:
      closeRegion(*kind, *index, r, hw);
      return;
    default:
      if (const int start = regionStartWord(*kind)) {
        r[start] = 0;
        r[start + 1] = 0;
      }
      return;
  }
}

void DBRE(const Int* operation, void* array, Int* address, Int* status) {
  *status = 0;
  switch (*operation) {
    case 0:
      unitTransfer(restartReadUnit(), 0, array, 0, *address);
      break;
    case 1: {
      const Int length = wordValue(array);
      Int& highest = rec::i(CDRW, kRestartHighest);
      highest = std::max(highest, *address + length);
      unitTransfer(kRestartWriteUnit, 1, array, length, *address);
      break;
    }
    case 2:
      unitTransfer(kRestartReadUnit, 0, array, 1, *address);
      break;
    default:
      systemErrorWith("SYSTEM ERROR IN SUBROUTINE DBRE: JOP = %I", *operation);
      break;
  }
  *address += wordValue(array);
}

void SHR_MRESTSTEPINC(void* /*array*/, const Int* address, Int* step, Int* increment, Int* value1, Int* value2) {
  *value1 = 0;
  *value2 = -1;
  if (*address == 0) return;
  if (*step == 0 || *increment == -1) {
    const bool allSteps = *step == 0;
    const bool lastIncrement = *increment == -1;
    const Int wanted = *step;
    const bool done = walkDirectory(*address, [&](const StepEntry& e) {
      if (allSteps) {
        *step = e.step;
        if (lastIncrement) *increment = e.increment;
      } else if (e.step == wanted) {
        *increment = std::max(*increment, e.increment);
      } else {
        return;
      }
      *value1 = e.value1;
      *value2 = e.value2;
    });
    if (!done) systemError("SYSTEM ERROR IN MRESTSTEPINC-LOOP 1 EXCEEDED");
    return;
  }
  const bool done = walkDirectory(*address, [&](const StepEntry& e) {
    if (e.increment > 0 && (e.step < *step || (e.step == *step && e.increment <= *increment))) {
      *value1 = e.value1;
      *value2 = e.value2;
    }
  });
  if (!done) systemError("SYSTEM ERROR IN MRESTSTEPINC-LOOP 2 EXCEEDED");
}

void DBCM(const Int* operation, void* array, const Int* n, Int* status) {
  if (rec::i(CDCM, zmx::units::kBlockLength) != kCmBlock) {
    systemError("SYSTEM ERROR IN DBCM");
    return;
  }
  if (*operation != 0) {
    cmSequential(1, array, *n != 0 ? *n : wordValue(array), status);
    return;
  }
  if (*n != 0) {
    cmSequential(0, array, *n, status);
    return;
  }
  cmSequential(0, array, 1, status);
  const Int length = wordValue(array);
  if (length > 1) cmSequential(0, static_cast<char*>(array) + 8, length - 1, status);
}

void DBCM1(const Int* operation, void* array, const Int* n, Int* address, const Int* which, Int* status) {
  *status = 0;
  if (*which == 1) {
    if (*address != 0) {
      DBSUP(operation, &kKindCmRecords, address, array, n, status);
      *address += wordValue(array);
    } else {
      DBCM(operation, array, n, status);
    }
  } else if (*which == 2) {
    DBRE(operation, array, &rec::i(CDRW, kCmAddress), status);
  } else {
    systemError("SYSTEM ERROR IN SUBROUTINE DBCM1");
  }
}

void CMTOML(void* array, Int* n, const Int* k, Int* address, const Int* which) {
  const Int read = 0, write = 1, own = 0;
  Int status = 0;
  DBCM1(&read, array, &own, address, which, &status);
  DBMLRL(&write, k, &own, array, array, n, &status);
}

void DBMLRL(const Int* operation, const Int* k, const Int* n, void* array1, void* array2, Int* address,
            Int* status) {
  if (*operation != 0 && *operation != 1) {
    DBML(operation, k, n, array1, array2, address, status);
    return;
  }
  if (rec::i(CTFV, kTraceMlAddresses) == 1) traceRelativeAddress(*address);
  const Int offset = rec::i(CDMLIX, 2 * *k - 1) - 1;
  *address += offset;
  DBML(operation, k, n, array1, array2, address, status);
  *address -= offset;
}

void SHR_DBM(const Int* operation, void* array, Int* status) {
  Int& storeAddress = rec::i(CDM, zmx::units::kStoreAddress);
  if (storeAddress == 0) {
    if (*operation <= 0) {
      mSequential(0, array, 1, status);
      const Int length = std::abs(wordValue(array));
      if (length > 1) mSequential(0, static_cast<char*>(array) + 8, length - 1, status);
    } else {
      mSequential(1, array, std::abs(wordValue(array)), status);
    }
    return;
  }
  if (*operation >= 2) {
    storeAddress = 1;
    return;
  }
  if (*operation <= 0 && rec::i(CDSINX, 74) <= 0) {
    const Real zero = 0.0;
    ASET(static_cast<Real*>(array), &zero, &rec::i(CGM, 14));
    return;
  }
  const Int op = *operation <= 0 ? 0 : 1;
  const Int length = op == 0 ? 0 : std::abs(wordValue(array));
  DBSUP(&op, &kKindMRecords, &storeAddress, array, &length, status);
  storeAddress += op == 0 ? std::abs(wordValue(array)) : length;
}

}  // extern "C"
