// Segmented packages: long arrays written once into a scratch-database folder segment by segment
// and read back forwards or backwards with the neighbour segment read ahead; and the element
// operator store made of four of them.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "storage/scratch/scratch_support.h"
#include "zmx/storage.h"

namespace {

using Rcd = opr_SegmentedPkg_Rcd;

void report(const char* routine, const char* what) { zmx::scratch::reportSystemError(routine, what); }

void tally(std::int64_t bytes) {
  if (bytes >= 0)
    zmx::scratch::addToTally(static_cast<std::size_t>(bytes));
  else
    zmx::scratch::takeFromTally(static_cast<std::size_t>(-bytes));
}

constexpr std::uint32_t kEntryWords = 3;

// True when bytes from address lie in what the folder has handed out: a stored table or segment
// said to lie further on is damaged, and mapping it would read what was never written.
bool inFolder(const sdb_RegularFolder& folder, sdb_SULong address, std::uint64_t bytes) {
  const std::uint64_t start = address.Value(), end = folder.NextFree().Value();
  return start <= end && bytes <= end - start;
}

}  // namespace

// ---- Record -------------------------------------------------------------------------------------

void opr_SegmentedPkg_Rcd::AllocateFor(std::uint32_t mostIndexEntries, std::uint32_t segmentLength,
                                       std::uint32_t elementSize) {
  const std::uint32_t page = ntPageSize();
  const std::uint32_t perPage = page / elementSize;
  std::uint32_t shift = 1;
  if (perPage >= 3)
    for (shift = 2; (1u << shift) < perPage;) ++shift;
  w[kMostIndexEntries] = mostIndexEntries;
  w[kSegmentLength] = segmentLength;
  w[kPageSize] = page;
  w[kPageShift] = shift;
  w[kLeastPages] = 100;
  w[kState] = kAllocated;
}

opr_DoubleSegmentedPkg_Rcd::opr_DoubleSegmentedPkg_Rcd() = default;
opr_UIntSegmentedPkg_Rcd::opr_UIntSegmentedPkg_Rcd() = default;

void opr_DoubleSegmentedPkg_Rcd::Allocate(std::uint32_t mostIndexEntries, std::uint32_t segmentLength) {
  AllocateFor(mostIndexEntries, segmentLength, 8);
}

void opr_UIntSegmentedPkg_Rcd::Allocate(std::uint32_t mostIndexEntries, std::uint32_t segmentLength) {
  AllocateFor(mostIndexEntries, segmentLength, 4);
}

// ---- Package ------------------------------------------------------------------------------------

opr_SegmentedPkg::opr_SegmentedPkg(opr_SegmentedPkg_Rcd& record, sdb_FolderNames folder, AccessType access,
                                   std::uint32_t elementSize, bool doublePackage)
    : access_(access), record_(record), elementSize_(elementSize), doublePackage_(doublePackage) {
  entries_ = record.w[Rcd::kIndexEntriesUsed];
  mostEntries_ = record.w[Rcd::kMostIndexEntries];
  total_ = access == writing ? 0 : record.w[Rcd::kTotalElements];
  if (sdb_Manager* manager = gettheSdbManager()) folder_ = manager->GetFolder(folder);
}

opr_SegmentedPkg::~opr_SegmentedPkg() { Close(); }

void* opr_SegmentedPkg::SegmentBytes() const { return segment_ != nullptr ? segment_->data : nullptr; }

sdb_SULong opr_SegmentedPkg::EntryAddress(std::uint32_t segment) const {
  const std::uint32_t* entry = Entry(segment);
  return sdb_SULong(entry[1], entry[0]);
}

sdb_IssueAccessMode opr_SegmentedPkg::ReadingMode() const {
  return doublePackage_ && access_ == readingWithWriteBack ? sdb_Modify : sdb_Read;
}

bool opr_SegmentedPkg::StartTable() {
  tableCapacity_ = std::max<std::uint32_t>(mostEntries_, 1);
  const std::size_t bytes = (std::size_t{IndexWords()} + kEntryWords * tableCapacity_) * 4;
  table_ = static_cast<std::uint32_t*>(std::calloc(bytes, 1));
  if (table_ == nullptr) sdb_OutOfMemoryError(bytes);
  tally(static_cast<std::int64_t>(bytes));
  return true;
}

// More segments than the record foresaw: the table doubles its room for entries.
bool opr_SegmentedPkg::GrowTable() {
  const std::uint32_t capacity = tableCapacity_ * 2;
  const std::size_t oldBytes = (std::size_t{IndexWords()} + kEntryWords * tableCapacity_) * 4;
  const std::size_t bytes = (std::size_t{IndexWords()} + kEntryWords * capacity) * 4;
  auto* grown = static_cast<std::uint32_t*>(std::realloc(table_, bytes));
  if (grown == nullptr) sdb_OutOfMemoryError(bytes);
  std::memset(reinterpret_cast<char*>(grown) + oldBytes, 0, bytes - oldBytes);
  table_ = grown;
  tableCapacity_ = capacity;
  tally(static_cast<std::int64_t>(bytes - oldBytes));
  return true;
}

void opr_SegmentedPkg::ComputeSegmentLength(std::uint32_t elements) {
  const std::uint64_t perPage = std::uint64_t{1} << record_.w[Rcd::kPageShift];
  std::uint64_t length = (elements + perPage - 1) / perPage * perPage;
  length = std::max(length, std::uint64_t{record_.w[Rcd::kLeastPages]} * perPage);
  segmentLength_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(length, 0xFFFFFFFFu / elementSize_ / perPage * perPage));
  record_.w[Rcd::kSegmentLength] = segmentLength_;
}

void* opr_SegmentedPkg::CreateSegmentBytes(std::uint32_t n) {
  if (access_ != writing || turned_ != 0 || folder_ == nullptr) {
    report("opr_SegmentedPkg::CreateSegment", "THE PACKAGE IS NOT WRITING");
    return nullptr;
  }
  std::uint32_t& length = record_.w[Rcd::kSegmentLength];
  if (n > length) {
    length = static_cast<std::uint32_t>(std::max<std::uint64_t>(2ull * length, n));
    segmentLength_ = 0;
  }
  if (segmentLength_ == 0) ComputeSegmentLength(length);
  if (n > segmentLength_) {
    report("opr_SegmentedPkg::CreateSegment", "SEGMENT LENGTH LIMIT EXCEEDED");
    return nullptr;
  }
  const std::size_t bytes = std::size_t{segmentLength_} * elementSize_;
  const sdb_SULong address = folder_->Allocate(bytes, record_.w[Rcd::kPageSize]);
  if (!address.IsValid()) return nullptr;  // reported; the package stays as it was

  if (table_ == nullptr) {
    StartTable();
    segment_ = folder_->CreateMap(sdb_WriteNew, address, bytes);
  } else {
    total_ += used_;
    Entry(writing_)[2] = used_;
    segment_ = folder_->Remap(sdb_WriteNew, address, std::size_t{used_} * elementSize_, bytes, segment_);
  }
  if (segments_ == tableCapacity_) GrowTable();
  writing_ = segments_++;
  current_ = writing_;
  used_ = n;  // the caller fills the n elements it asked for
  capacity_ = segmentLength_;
  table_[2 * entryInUse_ + 1] = 0;
  std::uint32_t* entry = Entry(writing_);
  entry[0] = address.high;
  entry[1] = address.low;
  entry[2] = segmentLength_;
  return segment_->data;
}

bool opr_SegmentedPkg::TurnsToReading() const {
  if (access_ == writing) return true;
  return doublePackage_ && access_ == accessType3;
}

void opr_SegmentedPkg::TurnToReading() {
  if (access_ == writing && turned_ == 0 && segments_ > 0) {
    // The segment being written is complete now; its length and elements count from here on.
    Entry(writing_)[2] = used_;
    total_ += used_;
  }
  current_ = direction_ > 0 ? 0 : (segments_ > 0 ? segments_ - 1 : 0);
  if (access_ == writing) access_ = reading;
  turned_ = 1;
}

bool opr_SegmentedPkg::ReadStoredTable() {
  if (record_.w[Rcd::kState] != Rcd::kStored) {
    report("opr_SegmentedPkg::AccessSegment", "THE PACKAGE HAS NOT BEEN STORED");
    return false;
  }
  entries_ = record_.w[Rcd::kIndexEntriesUsed];
  segments_ = record_.w[Rcd::kSegments];
  const sdb_SULong address(record_.w[Rcd::kTableLow], record_.w[Rcd::kTableHigh]);
  // The entry marks read at the start lie in the index words of the table.
  if (!inFolder(*folder_, address, TableBytes()) || std::uint64_t{entries_} > std::uint64_t{mostEntries_} + 1) {
    report("opr_SegmentedPkg::AccessSegment", "THE STORED PACKAGE IS DAMAGED");
    return false;
  }
  storedTable_ = folder_->CreateMap(sdb_Read, address, TableBytes());
  if (storedTable_->data == nullptr) return false;
  table_ = static_cast<std::uint32_t*>(storedTable_->data);
  tableCapacity_ = segments_;
  // Every segment the table names must lie in written space.
  for (std::uint32_t k = 0; k < segments_; ++k) {
    if (!inFolder(*folder_, EntryAddress(k), std::uint64_t{Entry(k)[2]} * elementSize_)) {
      report("opr_SegmentedPkg::AccessSegment", "THE STORED PACKAGE IS DAMAGED");
      folder_->UnMap(sdb_Read, sdb_SULong(), 0, storedTable_);
      storedTable_ = nullptr;
      table_ = nullptr;
      segments_ = 0;
      return false;
    }
  }
  return true;
}

// Maps the current segment, after a read-ahead of the one that follows in the direction.
void opr_SegmentedPkg::MapCurrent(bool first) {
  const std::int64_t neighbour = std::int64_t{current_} + direction_;
  if (doublePackage_ && neighbour >= 0 && neighbour < segments_)
    folder_->ReadAhead(EntryAddress(static_cast<std::uint32_t>(neighbour)),
                       std::size_t{Entry(static_cast<std::uint32_t>(neighbour))[2]} * elementSize_);
  const std::size_t bytes = std::size_t{Entry(current_)[2]} * elementSize_;
  if (first)
    segment_ = folder_->CreateMap(ReadingMode(), EntryAddress(current_), bytes);
  else
    segment_ = folder_->Remap(ReadingMode(), EntryAddress(current_), std::size_t{used_} * elementSize_, bytes, segment_);
  used_ = segment_->data != nullptr ? Entry(current_)[2] : 0;
  capacity_ = used_;
}

std::uint32_t opr_SegmentedPkg::AccessSegment() {
  if (folder_ == nullptr) return 0;
  if (!started_ && access_ != writing) {
    if (!ReadStoredTable()) return 0;
    started_ = true;
    if (segments_ == 0) return 0;
    current_ = direction_ > 0 ? 0 : segments_ - 1;
    currentEntry_ = direction_ > 0 ? 0 : (entries_ > 0 ? entries_ - 1 : 0);
    MapCurrent(true);
  } else {
    started_ = true;
    const bool first = segment_ == nullptr;
    if (TurnsToReading()) {
      TurnToReading();
    } else {
      const std::int64_t next = std::int64_t{current_} + direction_;
      if (next < 0 || next >= segments_) {  // past either end: no segment
        if (segment_ != nullptr) folder_->UnMap(ReadingMode(), EntryAddress(current_), std::size_t{used_} * elementSize_, segment_);
        segment_ = nullptr;
        used_ = capacity_ = 0;
        return 0;
      }
      current_ = static_cast<std::uint32_t>(next);
    }
    if (segments_ == 0) return 0;
    MapCurrent(first);
  }
  return direction_ > 0 ? 0 : table_[2 * currentEntry_ + 1];
}

void opr_SegmentedPkg::UseFileCache() {
  if (folder_ != nullptr) folder_->UseFileCache();
}

void opr_SegmentedPkg::StoreTable() {
  if (table_ == nullptr) StartTable();
  const std::uint64_t bytes = TableBytes();
  const sdb_SULong address = folder_->Allocate(bytes, 4);
  if (!address.IsValid()) return;  // reported; the record keeps its earlier state
  folder_->Sync(sdb_WriteNew, address, bytes, table_);
  record_.w[Rcd::kTableHigh] = address.high;
  record_.w[Rcd::kTableLow] = address.low;
  record_.w[Rcd::kTotalElements] = static_cast<std::uint32_t>(total_);
  record_.w[Rcd::kIndexEntriesUsed] = entryInUse_;
  record_.w[Rcd::kSegments] = segments_;
  record_.w[Rcd::kState] = Rcd::kStored;
}

void opr_SegmentedPkg::Close() {
  if (folder_ == nullptr) return;
  const bool writer = access_ == writing && turned_ == 0;
  if (segment_ != nullptr && writer && segments_ > 0) {
    Entry(writing_)[2] = used_;
    total_ += used_;
  }
  if (segment_ != nullptr)
    folder_->UnMap(writer ? sdb_WriteNew : ReadingMode(), EntryAddress(current_), std::size_t{used_} * elementSize_,
                   segment_);
  segment_ = nullptr;
  if (writer || turned_ != 0) StoreTable();
  if (storedTable_ != nullptr) {
    folder_->UnMap(sdb_Read, sdb_SULong(), 0, storedTable_);
  } else if (table_ != nullptr) {
    std::free(table_);
    tally(-static_cast<std::int64_t>((std::size_t{IndexWords()} + kEntryWords * tableCapacity_) * 4));
  }
  storedTable_ = nullptr;
  table_ = nullptr;
}

// ---- Typed packages -----------------------------------------------------------------------------

opr_DoubleSegmentedPkg::opr_DoubleSegmentedPkg(opr_DoubleSegmentedPkg_Rcd& record, sdb_FolderNames folder,
                                               AccessType access)
    : opr_SegmentedPkg(record, folder, access, 8, true) {}

double* opr_DoubleSegmentedPkg::CreateSegment(std::uint32_t n) { return static_cast<double*>(CreateSegmentBytes(n)); }

opr_UIntSegmentedPkg::opr_UIntSegmentedPkg(opr_UIntSegmentedPkg_Rcd& record, sdb_FolderNames folder,
                                           AccessType access)
    : opr_SegmentedPkg(record, folder, access, 4, false) {}

std::uint32_t* opr_UIntSegmentedPkg::CreateSegment(std::uint32_t n) {
  return static_cast<std::uint32_t*>(CreateSegmentBytes(n));
}

opr_ElementOperator::opr_ElementOperator(opr_ElementOperator_Rcd& record, opr_SegmentedPkg::AccessType access,
                                         opr_SegmentedPkg::AccessType fourthAccess)
    : unsigned_(record.unsignedPackage, sdb_FolderNames::opr, access),
      first_(record.doublePackage[0], sdb_FolderNames::opr, access),
      second_(record.doublePackage[1], sdb_FolderNames::opr, access),
      third_(record.doublePackage[2], sdb_FolderNames::opr, fourthAccess),
      record_(record) {}
