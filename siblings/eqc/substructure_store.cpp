// Substructure record store of the eqc stand-in: the open library is the file of unit 9, paged
// through the page table CDSEL. Its layout, in 8-byte words:
//   1-6    the index words (CDSMNX 1-6) as integer slots: 1 the address before the first index
//          record, 2 the record count, 3 the number of substructures, 4 the words in use,
//          5 the address of the label record, 6 free
//   7      the release text, 8 characters
//   8      the mark "ZMXSLIB "
//   17...  index records (140 integer slots each), then the data blocks they point to
// A label record is its length, the label count, then 20 words (160 characters) per label.
// Besides it holds the ML store (in memory) and the file helpers of the substructure code.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <system_error>
#include <vector>

#include "runtime/fortran_chars.h"
#include "runtime/record.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/orientation_points.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/eqc_units.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/unit_records.h"
#include "siblings/eqc/writer_services.h"

namespace {

using namespace eqc_records;

constexpr Int kHeaderWords = 16;
constexpr Int kReleaseWord = 7;
constexpr Int kMarkWord = 8;
constexpr char kMark[] = "ZMXSLIB ";
constexpr char kRelease[] = "6.14    ";
constexpr Int kWordsInUse = 4;   // CDSMNX
constexpr Int kLabelRecord = 5;  // CDSMNX
constexpr Int kLabelWords = 20;  // 160 characters
constexpr Int kDefaultPageLength = 512;
constexpr Int kDefaultFileUnit = 29;

Int& sel(int k) { return rec::i(CDSEL, k); }

// One transfer on unit 9 through its page table.
void unit9(Int operation, void* array, Int length, Int address) {
  DBRAN(&operation, array, &length, &address, &sel(kFileUnit), &sel(kPageLength), &sel(kSelRecords),
        &sel(kSelModified), &sel(kSelPageCount), &sel(kSelAges), &sel(kSelBases), &sel(kSelHighest), nullptr,
        &rec::i(CDIC, kCounterUnit9), &sel(kSelClosing));
}

bool libraryOpen() { return sel(kSelOpenLibrary) != 0 && sel(kSelPageCount) > 0; }

void noteWritten(Int address, Int length) {
  const Int end = address + length - 1;
  sel(kSelWordsInUse) = std::max(sel(kSelWordsInUse), end);
  rec::i(CDSMNX, kWordsInUse) = std::max(rec::i(CDSMNX, kWordsInUse), end);
}

// Integers to and from integer slots.
void readIntegers(Int* to, Int count, Int address) {
  std::vector<Real> slots(static_cast<std::size_t>(count));
  unit9(0, slots.data(), count, address);
  ACOPDI(slots.data(), to, &count);
}

void writeIntegers(const Int* from, Int count, Int address) {
  std::vector<Real> slots(static_cast<std::size_t>(count));
  ACOPJD(from, slots.data(), &count);
  unit9(1, slots.data(), count, address);
  noteWritten(address, count);
}

Int slotValue(const void* slots) {
  const Int one = 1;
  Int value = 0;
  ACOPDI(slots, &value, &one);
  return value;
}

// The magnitude of a length word in 64 bits (-2^31 has none in 32).
long long magnitude(Int value) { return std::llabs(static_cast<long long>(value)); }

// True when length words from address stay inside the file's word addresses.
bool spanFits(long long address, long long length) { return address >= 1 && length >= 1 && address + length <= INT32_MAX; }

// A record whose word 1 holds its length (its absolute value for M records).
void readOwnLength(void* array, Int address, Int* status) {
  unit9(0, array, 1, address);
  const long long length = magnitude(slotValue(array));
  if (!spanFits(address, length)) {
    *status = 1;
    return;
  }
  unit9(0, array, static_cast<Int>(length), address);
}

void writeHeader() {
  std::vector<Real> header(kHeaderWords, 0.0);
  const Int n = kIndexWords;
  ACOPJD(&rec::i(CDSMNX, 1), header.data(), &n);
  std::memcpy(&header[kReleaseWord - 1], kRelease, 8);
  std::memcpy(&header[kMarkWord - 1], kMark, 8);
  unit9(1, header.data(), kHeaderWords, 1);
}

bool readHeader(std::vector<Real>& header) {
  header.assign(kHeaderWords, 0.0);
  unit9(0, header.data(), kHeaderWords, 1);
  return std::memcmp(&header[kMarkWord - 1], kMark, 8) == 0;
}

struct MlStore {
  std::vector<Real> words;
};
constinit MlStore* gMl = nullptr;

MlStore& ml() {
  if (gMl == nullptr) gMl = new MlStore();
  return *gMl;
}

// One ML-store transfer of DBML; a read longer than room slots moves nothing and gives status 1.
void mlTransfer(Int operation, Int block, Int length, void* array1, long long room, Int* address, Int* status) {
  *status = 0;
  if (operation == 0 && block == eqc_detail::kOrientationPointRecords)
    return eqc_detail::readOrientationRecord(array1, room, address, status);
  if ((operation != 0 && operation != 1) || *address < 1) {
    *status = 1;
    return;
  }
  std::vector<Real>& store = ml().words;
  const auto first = static_cast<std::size_t>(*address - 1);
  long long words = length;
  if (words == 0) {
    if (operation == 1)
      words = magnitude(slotValue(array1));
    else if (first < store.size())
      words = magnitude(slotValue(&store[first]));
  }
  if (!spanFits(*address, words) || (operation == 0 && words > room)) {
    *status = 1;
    return;
  }
  const std::size_t end = first + static_cast<std::size_t>(words);
  if (operation == 1) {
    if (store.size() < end) store.resize(end, 0.0);
    std::memcpy(&store[first], array1, 8 * static_cast<std::size_t>(words));
  } else {
    if (store.size() < end) {
      *status = 1;
      return;
    }
    std::memcpy(array1, &store[first], 8 * static_cast<std::size_t>(words));
  }
  *address += static_cast<Int>(words);
}

bool fileError(const std::error_code& error) { return static_cast<bool>(error); }

}  // namespace

extern "C" {

void DBSUP(const Int* operation, const Int* kind, const Int* address, void* array, const Int* length,
           Int* status) {
  *status = 0;
  if (*kind == 21 && *operation == 0) {  // the substructure's stored CGM
    eqc_detail::readStoredModelCounts(array, *length, status);
    return;
  }
  if (!libraryOpen() || (*operation != 0 && *operation != 1)) {
    *status = 1;
    return;
  }
  const bool write = *operation == 1;
  Int where = *address;
  Int words = *length;
  switch (*kind) {
    case 0:  // the header's index words
      if (write) {
        rec::i(CDSMNX, kWordsInUse) = std::max(rec::i(CDSMNX, kWordsInUse), sel(kSelWordsInUse));
        writeHeader();
      } else {
        readIntegers(static_cast<Int*>(array), kIndexWords, 1);
      }
      return;
    case 1:  // an index record
      if (where <= kHeaderWords) break;
      if (write)
        writeIntegers(static_cast<const Int*>(array), kIndexRecordWords, where);
      else
        readIntegers(static_cast<Int*>(array), kIndexRecordWords, where);
      return;
    case 9: {  // a node record of the current substructure
      const Int recordLength = rec::i(CDSINX, kNodeRecordLength);
      const Int start = rec::i(CDSINX, kNodeRecordsStart);
      if (recordLength < 1 || start < 1 || where < 1) break;
      const long long first = start + (static_cast<long long>(where) - 1) * recordLength;
      if (!spanFits(first, recordLength)) break;
      where = static_cast<Int>(first);
      if (words == 0 || !write) words = recordLength;
      unit9(*operation, array, words, where);
      if (write) noteWritten(where, words);
      return;
    }
    case 14:
    case 27:
      if (where <= kHeaderWords) break;
      if (write) {
        const long long length = words != 0 ? words : magnitude(slotValue(array));
        if (!spanFits(where, length)) break;
        words = static_cast<Int>(length);
        unit9(1, array, words, where);
        noteWritten(where, words);
      } else if (words == 0) {
        readOwnLength(array, where, status);
      } else {
        if (!spanFits(where, words)) break;
        unit9(0, array, words, where);
      }
      return;
    default:
      break;
  }
  *status = 1;
}

void DBSUPR(char* release, Int releaseLength, Int* status) {
  *status = 1;
  fchar::assign(release, releaseLength, "");
  if (!libraryOpen()) return;
  std::vector<Real> header;
  if (!readHeader(header)) return;
  for (Int k = 1; k <= kIndexWords; ++k) {
    rec::i(CDSMNX, k) = slotValue(&header[static_cast<std::size_t>(k - 1)]);
    rec::i(CDSMNX, k + kIndexWords) = rec::i(CDSMNX, k);
  }
  fchar::assign(release, releaseLength,
                fchar::trimmed(std::string_view(reinterpret_cast<const char*>(&header[kReleaseWord - 1]), 8)));
  *status = 0;
}

void DBSUPL(char* names, Int nameLength, const Int* capacity, Int* count, Int* status) {
  *count = 0;
  *status = 1;
  const Int address = rec::i(CDSMNX, kLabelRecord);
  if (!libraryOpen() || address <= kHeaderWords) return;
  Real head[2] = {};
  unit9(0, head, 2, address);
  const Int labels = slotValue(&head[1]);
  if (labels < 0) return;
  // Labels beyond the file's word addresses are not there.
  const long long fit = (static_cast<long long>(INT32_MAX) - address - 2) / kLabelWords;
  const Int kept = static_cast<Int>(std::min<long long>({labels, *capacity, fit}));
  std::vector<Real> text(kLabelWords);
  for (Int k = 0; k < kept; ++k) {
    unit9(0, text.data(), kLabelWords, address + 2 + k * kLabelWords);
    fchar::assign(names + static_cast<std::ptrdiff_t>(k) * nameLength, nameLength,
                  std::string_view(reinterpret_cast<const char*>(text.data()), 8 * kLabelWords));
  }
  *count = kept;
  *status = 0;
}

void SUPOPN() {
  if (sel(kPageLength) < 1) sel(kPageLength) = kDefaultPageLength;
  if (sel(kFileUnit) == 0) sel(kFileUnit) = kDefaultFileUnit;
  const std::string path(fchar::trimmed(rec::chars(CDSELF, 1, 80)));
  eqc_units::attach(sel(kFileUnit), path);
  std::error_code error;
  const auto bytes = std::filesystem::file_size(path, error);
  const long long pageBytes = 8LL * sel(kPageLength);
  sel(kSelHighest) = fileError(error) ? 0 : static_cast<Int>((static_cast<long long>(bytes) + pageBytes - 1) / pageBytes);
  std::vector<Real> header;
  if (sel(kSelHighest) > 0 && readHeader(header)) {
    Int release = 0;
    DBSUPR(nullptr, 0, &release);
    sel(kSelWordsInUse) = std::max(rec::i(CDSMNX, kWordsInUse), kHeaderWords);
    return;
  }
  rec::clear(CDSMNX);
  rec::i(CDSMNX, kIndexAreaBase) = kHeaderWords;
  rec::i(CDSMNX, kWordsInUse) = kHeaderWords;
  sel(kSelWordsInUse) = kHeaderWords;
  writeHeader();
}

void DBSUPW(Int* status) { *status = libraryOpen() ? 1 : 0; }

void DBML(const Int* operation, const Int* block, const Int* length, void* array1, void* /*array2*/,
          Int* address, Int* status) {
  // The caller's array holds what is moved: callers outside the library are bound by that.
  mlTransfer(*operation, *block, *length, array1, std::numeric_limits<long long>::max(), address, status);
}

Int FILECOPY(const char* from, Int fromLength, const char* to, Int toLength) {
  std::error_code error;
  std::filesystem::copy_file(fchar::toString(from, fromLength), fchar::toString(to, toLength),
                             std::filesystem::copy_options::overwrite_existing, error);
  return fileError(error) ? 1 : 0;
}

Int DELETEFILE(const char* name, Int nameLength) {
  std::error_code error;
  const bool removed = std::filesystem::remove(fchar::toString(name, nameLength), error);
  return removed && !fileError(error) ? 0 : 1;
}

}  // extern "C"

namespace eqc {

void readMlRecord(Int block, Int length, void* buffer, long long room, Int* address, Int* status) {
  mlTransfer(0, block, length, buffer, room, address, status);
}

}  // namespace eqc
