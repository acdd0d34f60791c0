// Paged units of the eqc stand-in: the direct-access files behind them (DBDA) and the page
// replacement over a unit's page table (DBRAN). Each file unit is one file of fixed-length
// records in the job directory, read and written with pread and pwrite.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <string>

#include "runtime/address_space.h"
#include "runtime/fortran_chars.h"
#include "runtime/record.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/eqc_units.h"
#include "siblings/eqc/records.h"

namespace {

struct UnitFile {
  std::string path;  // attached path, empty: the default name
  int fd = -1;
};

constinit std::map<Int, UnitFile>* gUnits = nullptr;

std::map<Int, UnitFile>& units() {
  if (gUnits == nullptr) gUnits = new std::map<Int, UnitFile>();
  return *gUnits;
}

void systemError(const std::string& text) { cfi_WriteMessage(-3, text.c_str()); }

// A job string up to its first NUL (an unset record), without trailing blanks.
std::string jobString(int first) {
  std::string_view text = rec::chars(CJBPAR, first, eqc_records::kJobStringLength);
  text = text.substr(0, text.find('\0') == std::string_view::npos ? text.size() : text.find('\0'));
  return std::string(fchar::trimmed(text));
}

// The job file of the unit: job directory, job name ("job" when none) and the unit's extension.
std::string defaultPath(Int fileUnit) {
  std::string job = jobString(eqc_records::kJobNameFirst);
  if (job.empty()) job = "job";
  const std::string directory = jobString(eqc_records::kJobDirectoryFirst);
  char full[1024];
  Int status = 0;
  BCU_MKNAME(full, sizeof full, job.data(), static_cast<Int>(job.size()), directory.data(),
             static_cast<Int>(directory.size()), &fileUnit, &rec::i(CPROG, eqc_records::kProgramKind), &status);
  return status == 0 ? std::string(fchar::view(full, sizeof full)) : directory + job + "." + std::to_string(fileUnit);
}

int openUnit(Int fileUnit) {
  UnitFile& unit = units()[fileUnit];
  if (unit.fd >= 0) return unit.fd;
  const std::string path = eqc_units::filePath(fileUnit);
  unit.fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (unit.fd < 0) systemError("SYSTEM ERROR IN DBDA - CANNOT OPEN " + path);
  return unit.fd;
}

void closeUnit(Int fileUnit) {
  if (gUnits == nullptr) return;
  auto found = gUnits->find(fileUnit);
  if (found == gUnits->end() || found->second.fd < 0) return;
  ::close(found->second.fd);
  found->second.fd = -1;
}

bool readRecord(int fd, char* page, std::size_t bytes, off_t offset) {
  std::size_t done = 0;
  while (done < bytes) {
    const ssize_t got = ::pread(fd, page + done, bytes - done, offset + static_cast<off_t>(done));
    if (got < 0) return false;
    if (got == 0) break;  // beyond the end: the rest was never written
    done += static_cast<std::size_t>(got);
  }
  std::memset(page + done, 0, bytes - done);
  return true;
}

bool writeRecord(int fd, const char* page, std::size_t bytes, off_t offset) {
  std::size_t done = 0;
  while (done < bytes) {
    const ssize_t put = ::pwrite(fd, page + done, bytes - done, offset + static_cast<off_t>(done));
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

// ---- DBRAN --------------------------------------------------------------------------------

// One paged unit as DBRAN sees it through its arguments; entries are 0-based here.
struct PageTable {
  Int fileUnit;
  Int pageLength;
  Int* records;
  Int* modified;
  Int* count;
  Int* ages;
  const Int* bases;
  Int* highest;
  Int* counter;
};

Real* pageWords(Int base, Int pageLength) {
  const long long word = static_cast<long long>(rec::i(CSP, eqc_records::kWorkSpaceBase)) + 8LL * (base - 1);
  if (base < 1 || word < INT_MIN || word > INT_MAX) {
    systemError("SYSTEM ERROR IN DBRAN - PAGE OUTSIDE THE WORK SPACE");
    return nullptr;
  }
  return mem32::at<Real>(static_cast<Int>(word), static_cast<std::size_t>(pageLength));
}

// Ages are use stamps from the unit's counter word; before it overflows they are renumbered
// by rank, which keeps their order.
Int nextStamp(PageTable& t) {
  if (*t.counter >= INT_MAX - 1) {
    const Int n = *t.count;
    for (Int rank = 1; rank <= n; ++rank) {
      Int oldest = -1;
      for (Int k = 0; k < n; ++k)
        if (t.ages[k] >= rank && (oldest < 0 || t.ages[k] < t.ages[oldest])) oldest = k;
      if (oldest >= 0) t.ages[oldest] = rank;  // ranks below stay put, the rest move down
    }
    *t.counter = n;
  }
  return ++*t.counter;
}

Int victim(const PageTable& t) {
  Int chosen = 0;
  for (Int k = 0; k < *t.count; ++k) {
    if (t.records[k] == 0) return k;
    if (t.ages[k] < t.ages[chosen]) chosen = k;
  }
  return chosen;
}

// Entry (0-based) of the page that holds record number page, loading it when needed; -1 when
// the page cannot be had.
Int pageFor(PageTable& t, Int page) {
  for (Int k = 0; k < *t.count; ++k)
    if (t.records[k] == page) return k;
  if (*t.count < 1) {
    systemError("SYSTEM ERROR IN DBRAN - UNIT HAS NO PAGES");
    return -1;
  }
  const Int k = victim(t);
  Real* words = pageWords(t.bases[k], t.pageLength);
  if (words == nullptr) return -1;
  if (t.records[k] != 0 && t.modified[k] != 0) {
    const Int write = 1;
    DBDA(&t.fileUnit, words, &t.pageLength, &t.records[k], &write);
    *t.highest = std::max(*t.highest, t.records[k]);
  }
  // The file decides what the record holds: a record beyond its end reads as zeros.
  const Int read = 0;
  DBDA(&t.fileUnit, words, &t.pageLength, &page, &read);
  t.records[k] = page;
  t.modified[k] = 0;
  return k;
}

bool transfer(PageTable& t, bool write, char* data, long long address, long long length) {
  const long long pageLength = t.pageLength;
  while (length > 0) {
    const long long page = (address - 1) / pageLength + 1;
    const long long offset = (address - 1) % pageLength;
    if (page > INT_MAX) break;
    const Int k = pageFor(t, static_cast<Int>(page));
    if (k < 0) return false;
    Real* words = pageWords(t.bases[k], t.pageLength);
    if (words == nullptr) return false;
    const long long n = std::min(length, pageLength - offset);
    const std::size_t bytes = 8 * static_cast<std::size_t>(n);
    if (write) {
      std::memcpy(words + offset, data, bytes);
      t.modified[k] = 1;
    } else {
      std::memcpy(data, words + offset, bytes);
    }
    t.ages[k] = nextStamp(t);
    data += bytes;
    address += n;
    length -= n;
  }
  return length <= 0;
}

}  // namespace

namespace eqc_units {

void attach(Int fileUnit, const std::string& path) {
  closeUnit(fileUnit);
  units()[fileUnit].path = path;
}

std::string filePath(Int fileUnit) {
  if (gUnits != nullptr) {
    auto found = gUnits->find(fileUnit);
    if (found != gUnits->end() && !found->second.path.empty()) return found->second.path;
  }
  return defaultPath(fileUnit);
}

void closeAll() {
  if (gUnits == nullptr) return;
  for (auto& [unit, file] : *gUnits)
    if (file.fd >= 0) ::close(file.fd);
  gUnits->clear();
}

}  // namespace eqc_units

extern "C" {

void DBDA(const Int* fileUnit, void* page, const Int* words, const Int* record, const Int* operation) {
  if (*operation == 5) {
    closeUnit(*fileUnit);
    return;
  }
  if (*operation != 0 && *operation != 1) {
    systemError("SYSTEM ERROR IN DBDA - OPERATION " + std::to_string(*operation));
    return;
  }
  if (page == nullptr || *words < 1 || *record < 1) {
    systemError("SYSTEM ERROR IN DBDA - RECORD " + std::to_string(*record));
    return;
  }
  const int fd = openUnit(*fileUnit);
  if (fd < 0) return;
  const std::size_t bytes = 8 * static_cast<std::size_t>(*words);
  const off_t offset = static_cast<off_t>(*record - 1) * static_cast<off_t>(bytes);
  const bool done = *operation == 0 ? readRecord(fd, static_cast<char*>(page), bytes, offset)
                                    : writeRecord(fd, static_cast<const char*>(page), bytes, offset);
  if (!done) systemError("SYSTEM ERROR IN DBDA - I/O ERROR ON " + eqc_units::filePath(*fileUnit));
}

void DBRAN(const Int* operation, void* array, const Int* length, const Int* address, const Int* fileUnit,
           const Int* pageLength, Int* records, Int* modified, Int* pageCount, Int* ages, const Int* bases,
           Int* highest, Int* /*indexArea*/, Int* counter, Int* /*closing*/) {
  if (*operation != 0 && *operation != 1) {
    systemError("SYSTEM ERROR IN DBRAN - OPERATION " + std::to_string(*operation));
    return;
  }
  if (*pageLength < 1 || *address < 1 || *length < 0) {
    systemError("SYSTEM ERROR IN DBRAN - ADDRESS " + std::to_string(*address) + " LENGTH " +
                std::to_string(*length));
    return;
  }
  PageTable table{*fileUnit, *pageLength, records, modified, pageCount, ages, bases, highest, counter};
  char* data = static_cast<char*>(array);
  long long words = *length;
  if (*operation == 0 && words == 0) {
    if (!transfer(table, false, data, *address, 1)) return;
    const Int one = 1;
    Int own = 0;
    ACOPDI(data, &own, &one);
    // A record longer than the array, where the array's room is known, is not copied.
    const long long room = eqc::knownRoom(array);
    if (own < 1 || (room >= 0 && own > room)) {
      systemError("SYSTEM ERROR IN DBRAN - RECORD LENGTH " + std::to_string(own) + " AT ADDRESS " +
                  std::to_string(*address));
      return;
    }
    words = own;
  }
  transfer(table, *operation == 1, data, *address, words);
}

}  // extern "C"
