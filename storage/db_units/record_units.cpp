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
#include "siblings/eqc/bounded_reads.h"
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

// ---- records whose word 1 gives their length -------------------------------------------------

// A length word taken as a count of words: its absolute value where the sign is a mark (M
// records), in 64 bits, so that INT_MIN does not wrap.
long long lengthOf(const void* word1, bool absolute = false) {
  const long long value = wordValue(word1);
  return absolute ? std::llabs(value) : value;
}

// Whether a record of length words read from a file may go to array at address: at least one
// word, its end and the next address inside the 32-bit word addresses, and no more than the
// array's room where the array lies in the address space (its room is known there).
bool recordFits(long long length, Int address, const void* array) {
  const long long room = eqc::knownRoom(array);
  return length >= 1 && static_cast<long long>(address) + length <= INT32_MAX && (room < 0 || length <= room);
}

// Reports a damaged record length with the routine's text ("... %I"), the length cut to an Int.
void damagedLength(const char* text, long long length) {
  systemErrorWith(text, static_cast<Int>(std::clamp<long long>(length, INT32_MIN, INT32_MAX)));
}

// Reads the record at address of a paged unit whose word 1 gives its length. The length word is
// read apart first; a record that does not fit (recordFits) is reported with the text and
// nothing reaches the array. The length read, or 0.
Int readOwnRecord(Int unit, void* array, Int address, const char* text) {
  Real head = 0.0;
  unitTransfer(unit, 0, &head, 1, address);
  const long long length = lengthOf(&head);
  if (!recordFits(length, address, array)) {
    damagedLength(text, length);
    return 0;
  }
  unitTransfer(unit, 0, array, static_cast<Int>(length), address);
  return static_cast<Int>(length);
}

// The same for a record of the sibling substructure store (a read of length 0 there takes the
// record's own length): the length word first, then exactly that many words. Returns the length
// read, or 0 with status 1 (reported) or the store's own status.
Int readOwnStoreRecord(Int kind, Int address, void* array, bool absolute, const char* text, Int* status) {
  const Int read = 0, one = 1;
  Real head = 0.0;
  DBSUP(&read, &kind, &address, &head, &one, status);
  if (*status != 0) return 0;
  const long long length = lengthOf(&head, absolute);
  if (!recordFits(length, address, array)) {
    damagedLength(text, length);
    *status = 1;
    return 0;
  }
  const Int words = static_cast<Int>(length);
  DBSUP(&read, &kind, &address, array, &words, status);
  return *status == 0 ? words : 0;
}

// address + by, when that is still a word address; otherwise address unchanged and false.
bool advance(Int& address, long long by) {
  const long long next = static_cast<long long>(address) + by;
  if (next < INT32_MIN || next > INT32_MAX) return false;
  address = static_cast<Int>(next);
  return true;
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

constexpr const char* kStoreLength = "SYSTEM ERROR IN DBSUPS - RECORD LENGTH %I";

// A read or write of one record of a kind's region; status 1 (reported) for a record that lies
// outside the unit's word addresses or a read the array cannot hold.
void storeTransfer(Int operation, Int kind, Int* index, void* array, Row row, Int* status) {
  if (kind == 1) {
    const Int length = row[11];
    const long long address = row[1] + (static_cast<long long>(*index) - 1) * length;
    if (address < 1 || (operation == 0 && !recordFits(length, static_cast<Int>(address), array)) ||
        address + length > INT32_MAX) {
      damagedLength(kStoreLength, length);
      *status = 1;
      return;
    }
    unitTransfer(kStoreUnit, operation, array, length, static_cast<Int>(address));
    return;
  }
  if (kind != 3 && kind != 4) return;
  const long long address = static_cast<long long>(*index) + row[regionStartWord(kind)] - 1;
  if (address < 1 || address > INT32_MAX) {
    systemErrorWith("SYSTEM ERROR IN DBSUPS - ADDRESS %I", *index);
    *status = 1;
    return;
  }
  Int length = 0;
  if (operation == 0) {
    length = readOwnRecord(kStoreUnit, array, static_cast<Int>(address), kStoreLength);
  } else {
    length = wordValue(array);
    if (length < 1 || address + length > INT32_MAX) length = 0;
    if (length == 0) damagedLength(kStoreLength, wordValue(array));
    if (length != 0) unitTransfer(kStoreUnit, operation, array, length, static_cast<Int>(address));
  }
  if (length == 0 || !advance(*index, length)) *status = 1;
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

// Moves length words from old to next in pieces of at most one page through the buffer, and no
// larger than the buffer where its room is known.
void moveWords(Real* buffer, Int from, Int to, Int length) {
  const long long room = eqc::knownRoom(buffer);
  const Int page = static_cast<Int>(std::max<long long>(room < 0 ? rec::i(CDSUS, 1) : std::min<long long>(rec::i(CDSUS, 1), room), 1));
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

// Reads a directory record into the caller's array with DBRE, as the lookup's work record. The
// array holds a record of the layout: the head and CDRW word 12 entries. A longer record is
// damage and stays out of it; its entries are still looked at one at a time.
void readIntoArray(void* array, const DirectoryRecord& record) {
  const long long layout = 3 + 6LL * std::max<Int>(rec::i(CDRW, kStepEntries), 0);
  if (record.length > layout) return;
  const Int read = 0;
  Int address = record.address, status = 0;
  DBRE(&read, array, &address, &status);
}

// Walks the directory records from address, reading each into the array and handing each entry
// (up to the first with flag 0 in each record) to visit; false when the walk ran past the record
// limit. A damaged record (reported) ends the walk with what was found before it.
//
// A chain that never ends loops back on itself. The visitors only overwrite what they keep or
// take a maximum, so once one whole turn of the loop has been walked, further whole turns change
// nothing: they are skipped (the loop is found by Brent's method) and only the remainder is
// walked. The result is that of the full walk, without ten million reads.
template <class Visit>
bool walkDirectory(void* array, Int address, Visit visit) {
  DirectoryRecord record;
  Int turnStart = address;  // where the current turn of the loop search began
  long long turnLength = 0, power = 1;
  bool skipped = false;
  for (long long records = 0; records < kWalkLimit; ++records) {
    if (!readDirectoryHead(address, record)) return true;
    readIntoArray(array, record);
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

// A sequential unit as DBSEQ sees it: its record (block length, file unit and block count in
// words 1-3, then position and state at words of their own) and its block buffer.
struct SequentialUnit {
  Int* words;
  int positionWord, stateWord;
  Real* buffer;

  Int& word(int k) const { return words[k - 1]; }
  void transfer(Int operation, void* data, Int count, Int* status) const {
    using namespace zmx::units;
    DBSEQ(&operation, buffer, data, &count, &word(positionWord), &word(kFileUnit), &word(kBlockLength),
          &word(kBlocks), &word(stateWord), status);
  }
};

// CDCM: the block state of words 1-5 and a buffer of its own.
SequentialUnit cmUnit() { return {CDCM.w, 4, 5, gCmBuffer}; }

// CDM: the buffer is the unit's pool.
SequentialUnit mUnit() {
  using namespace zmx::units;
  return {CDM.w, kPosition, kState, workSpaceWords(rec::i(CDM, kBufferBase), rec::i(CDM, kBlockLength))};
}

// Reads count words. The status word is the unit layer's, passed through as DBSEQ passes it: set
// where a block is read, otherwise left as it came in. Whether the words were read is told apart,
// since a stale value on entry would hide it.
bool readWords(const SequentialUnit& unit, void* data, Int count, Int* status) {
  const Int blocks = unit.word(zmx::units::kBlocks);
  Int own = 0;
  unit.transfer(0, data, count, &own);
  if (own != 0 || unit.word(zmx::units::kBlocks) != blocks) *status = own;
  return own == 0;
}

// Reads one record whose word 1 gives its length (its absolute value where the sign marks the
// record): the length word, then the other length - 1 words behind it. A length the array cannot
// hold is reported with the text, status 1.
void readLengthLedRecord(const SequentialUnit& unit, void* array, bool absolute, const char* text, Int* status) {
  if (!readWords(unit, array, 1, status)) return;
  const long long length = lengthOf(array, absolute);
  if (!recordFits(length, 1, array)) {
    damagedLength(text, length);
    *status = 1;
    return;
  }
  if (length > 1) unit.transfer(0, static_cast<char*>(array) + 8, static_cast<Int>(length - 1), status);
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

constexpr const char* kNodeLength_ = "SYSTEM ERROR IN DBND - NODE RECORD LENGTH %I";

void DBND(const Int* operation, void* array, const Int* node) {
  const Int kind = programKind();
  if (kind != 0 && kind != 1) return;
  if (kind == 0 && *node <= 0) return;
  Int status = 0;
  if (rec::i(CDND, kNodeStore) == 0) {
    const Int length = rec::i(CDND, kNodeLength);
    if (length == 0) return;
    // A node number below 1 (program kind 1) gives an address below 1, which DBRAN reports.
    const long long address = (static_cast<long long>(*node) - 1) * length + 1;
    if (address < INT32_MIN || !recordFits(length, static_cast<Int>(std::min<long long>(address, INT32_MAX)), array)) {
      damagedLength(kNodeLength_, length);
      return;
    }
    unitTransfer(kNodeUnit, *operation, array, length, static_cast<Int>(address));
    return;
  }
  if (kind == 0 || (*operation == 0 && rec::i(CDND, kPreReadsStore) == 0)) {
    // The store reads a node record of the length its index record gives (CDSINX).
    const Int length = rec::i(CDSINX, eqc_records::kNodeRecordLength);
    if (*operation == 0 && !recordFits(length, 1, array)) {
      damagedLength(kNodeLength_, length);
      return;
    }
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
  if (words == nullptr) {  // reported; a read then has nothing to give
    *status = 1;
    return;
  }
  const Row r{words};
  switch (*operation) {
    case 0:
    case 1:
      storeTransfer(*operation, *kind, index, array, r, status);
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
  constexpr const char* kDamaged = "SYSTEM ERROR IN SUBROUTINE DBRE: RECORD LENGTH %I";
  *status = 0;
  long long length = 0;
  switch (*operation) {
    case 0:
      length = readOwnRecord(restartReadUnit(), array, *address, kDamaged);
      break;
    case 1:
      length = lengthOf(array);
      if (length < 0 || static_cast<long long>(*address) + length > INT32_MAX) {
        damagedLength(kDamaged, length);
        length = 0;
        break;
      }
      rec::i(CDRW, kRestartHighest) = std::max(rec::i(CDRW, kRestartHighest), static_cast<Int>(*address + length));
      unitTransfer(kRestartWriteUnit, 1, array, static_cast<Int>(length), *address);
      if (length == 0) return;
      break;
    case 2:
      unitTransfer(kRestartReadUnit, 0, array, 1, *address);
      length = lengthOf(array);
      if (length < 1 || static_cast<long long>(*address) + length > INT32_MAX) {
        damagedLength(kDamaged, length);
        length = 0;
      }
      break;
    default:
      systemErrorWith("SYSTEM ERROR IN SUBROUTINE DBRE: JOP = %I", *operation);
      advance(*address, lengthOf(array));
      return;
  }
  // A record that was refused leaves the address where it was.
  if (length == 0 || !advance(*address, length)) *status = 1;
}

void SHR_MRESTSTEPINC(void* array, const Int* address, Int* step, Int* increment, Int* value1, Int* value2) {
  *value1 = 0;
  *value2 = -1;
  if (*address == 0) return;
  if (*step == 0 || *increment == -1) {
    const bool allSteps = *step == 0;
    const bool lastIncrement = *increment == -1;
    const Int wanted = *step;
    const bool done = walkDirectory(array, *address, [&](const StepEntry& e) {
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
  const bool done = walkDirectory(array, *address, [&](const StepEntry& e) {
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
    cmUnit().transfer(1, array, *n != 0 ? *n : wordValue(array), status);
  } else if (*n != 0) {
    cmUnit().transfer(0, array, *n, status);
  } else {
    readLengthLedRecord(cmUnit(), array, false, "SYSTEM ERROR IN DBCM - RECORD LENGTH %I", status);
  }
}

void DBCM1(const Int* operation, void* array, const Int* n, Int* address, const Int* which, Int* status) {
  *status = 0;
  if (*which == 1) {
    if (*address != 0) {
      const bool reading = *operation == 0;
      if (reading && *n == 0)
        readOwnStoreRecord(kKindCmRecords, *address, array, false, "SYSTEM ERROR IN SUBROUTINE DBCM1: RECORD LENGTH %I",
                           status);
      else
        DBSUP(operation, &kKindCmRecords, address, array, n, status);
      // A write moves the address past the record whether or not the store took it; a failed
      // read leaves it, since the array then holds no record whose length could be taken.
      if ((*status == 0 || !reading) && !advance(*address, lengthOf(array))) *status = 1;
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

constexpr const char* kMLength = "SYSTEM ERROR IN DBM - RECORD LENGTH %I";

void SHR_DBM(const Int* operation, void* array, Int* status) {
  Int& storeAddress = rec::i(CDM, zmx::units::kStoreAddress);
  const bool inStore = storeAddress != 0;
  const bool reading = *operation <= 0;
  if (reading && !inStore) {
    readLengthLedRecord(mUnit(), array, true, kMLength, status);
    return;
  }
  if (inStore && *operation >= 2) {
    storeAddress = 1;
    return;
  }
  if (reading) {
    if (rec::i(CDSINX, 74) <= 0) {
      const Real zero = 0.0;
      ASET(static_cast<Real*>(array), &zero, &rec::i(CGM, 14));
      return;
    }
    const Int length = readOwnStoreRecord(kKindMRecords, storeAddress, array, true, kMLength, status);
    if (*status == 0 && !advance(storeAddress, length)) *status = 1;
    return;
  }
  // A write of |word 1| words.
  const long long length = lengthOf(array, true);
  if (length > INT32_MAX) {
    damagedLength(kMLength, length);
    *status = 1;
    return;
  }
  const Int words = static_cast<Int>(length);
  if (!inStore) {
    mUnit().transfer(1, array, words, status);
    return;
  }
  const Int write = 1;
  DBSUP(&write, &kKindMRecords, &storeAddress, array, &words, status);
  // The store address moves past the record whether or not the store took it.
  if (!advance(storeAddress, length)) *status = 1;
}

}  // extern "C"
