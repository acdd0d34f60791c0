// Scratch-database partitions: growing blocks of typed arrays named by object ids, recorded in
// the header, and the issues that map a partition's space into memory whole or window by window.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "storage/scratch/scratch_support.h"
#include "zmx/storage.h"

namespace {

using zmx::scratch::reportLimit;
using zmx::scratch::roundUp;

constexpr std::uint32_t kTypeBits = 7;
constexpr std::uint32_t kWordArray = 4;    // integers and objects
constexpr std::uint32_t kDoubleArray = 2;

}  // namespace

// ---- Partition ----------------------------------------------------------------------------------

sdb_Manager* sdb_Partition::Manager() const { return gettheSdbManager(); }

sdb_Partition::sdb_Partition(sdb_FolderNames folder) {
  sdb_Manager* manager = Manager();
  if (manager == nullptr) return;
  id_ = manager->CreatePartition(folder);
  if (id_ < 0) return;
  record_ = manager->OpenPartition(id_);
  if (record_ == nullptr) return;
  record_->folder = static_cast<std::uint32_t>(folder);
  record_->flags = (record_->flags & ~kStateMask) | kCreated;
  flags_ = record_->flags;
}

sdb_Partition::sdb_Partition(sdb_PartitionId id) : id_(id) {
  sdb_Manager* manager = Manager();
  if (manager == nullptr) return;
  record_ = manager->OpenPartition(id);
  if (record_ == nullptr) return;
  size_ = record_->size;
  record_->flags = (record_->flags & ~kStateMask) | kInUse;
  flags_ = record_->flags;
  // Space reserved by an earlier program holds the size stored at its close.
  haveSpace_ = record_->nextSpaceIssue >= 1;
  if (haveSpace_) reserved_ = Reservation();
}

sdb_Partition::~sdb_Partition() {
  if (record_ == nullptr) return;
  // A partition that grew after its space was reserved moves to space that holds all of it, so
  // that the size stored here is always the size of its space.
  if (haveSpace_ && Reservation() > reserved_ && Manager() != nullptr) {
    issueRecord_ = Manager()->AccessIssueTable(static_cast<int>(record_->issueIndex));
    if (issueRecord_ != nullptr) ReserveSpace(Manager()->GetPageSize());
  }
  record_->flags = (flags_ & ~kStateMask) | kClosed;
  record_->size = size_;
}

sdb_FolderNames sdb_Partition::Folder() const {
  return record_ != nullptr ? static_cast<sdb_FolderNames>(record_->folder) : sdb_FolderNames::none;
}

std::uint64_t sdb_Partition::Reservation() const {
  return fixedIssueSize_ != 0 ? roundUp(size_, fixedIssueSize_) : size_;
}

void sdb_Partition::SetFixedIssueSize(std::uint32_t bytes) {
  fixedIssueSize_ = bytes;
  if (haveSpace_) reserved_ = std::max(reserved_, Reservation());
}

void sdb_Partition::AllocateGeneric(sdb_GenericOid& oid, std::uint32_t count, std::uint32_t unit) {
  const std::uint64_t offset = roundUp(size_, unit);
  const std::uint64_t end = offset + std::uint64_t{count} * unit;
  if (record_ == nullptr || end > 0xFFFFFFFFu) {
    reportLimit("sdb_Partition::AllocateGeneric", "PARTITION SIZE");
    return;
  }
  oid.partition = id_;
  oid.count = count;
  oid.offset = static_cast<std::uint32_t>(offset / unit);
  size_ = static_cast<std::uint32_t>(end);
  ++objects_;
}

void sdb_Partition::AllocateInteger(sdb_IntegerOid& oid, std::uint32_t count) {
  oid.flags = (oid.flags & ~kTypeBits) | kWordArray;
  AllocateGeneric(oid, count, 4);
}

void sdb_Partition::AllocateDouble(sdb_DoubleOid& oid, std::uint32_t count) {
  oid.flags = (oid.flags & ~kTypeBits) | kDoubleArray;
  AllocateGeneric(oid, count, 8);
}

void sdb_Partition::AllocateObject(sdb_GenericObjectOid& oid, std::uint32_t count, std::uint32_t objectSize,
                                   int /*reserved*/) {
  oid.flags = (oid.flags & ~kTypeBits) | kWordArray;
  const std::uint64_t words = (std::uint64_t{count} * objectSize + 3) / 4;
  if (words > 0xFFFFFFFFu) {
    reportLimit("sdb_Partition::AllocateObject", "PARTITION SIZE");
    return;
  }
  AllocateGeneric(oid, static_cast<std::uint32_t>(words), 4);
}

// Reserves space for the current size, carrying over what the earlier space held. The space is
// written whole, zeros after the carried bytes, so that an issue of any mode finds all of its
// bytes in the spill file: a read past a file's end fails.
bool sdb_Partition::ReserveSpace(unsigned alignment) {
  sdb_RegularFolder* folder = Manager()->GetFolder(Folder());
  if (folder == nullptr) return false;
  const std::uint64_t need = Reservation();
  const sdb_SULong address = folder->Allocate(need, alignment);
  if (!address.IsValid()) return false;
  if (need > 0) {
    void* space = folder->Map(sdb_WriteNew, address, need);
    std::memset(space, 0, need);
    if (haveSpace_ && reserved_ > 0) folder->Sync(sdb_Read, issueRecord_->address, std::min(reserved_, need), space);
    folder->UnMap(sdb_WriteNew, address, need, space);
  }
  issueRecord_->folder = record_->folder;
  issueRecord_->address = address;
  reserved_ = need;
  haveSpace_ = true;
  return true;
}

sdb_PrtIssueRcrd* sdb_Partition::AccessIssue(int issue, sdb_IssueAccessMode /*mode*/, unsigned alignment) {
  sdb_Manager* manager = Manager();
  if (record_ == nullptr || manager == nullptr) return nullptr;
  if ((record_->flags & kStateMask) == kCreated) {
    record_->flags = (record_->flags & ~kStateMask) | kInUse;
    record_->size = size_;
    flags_ = record_->flags;
  }
  if (record_->issueReserved == 0) {
    const int index = manager->AllocateIssueTable(1);
    if (index < 0) return nullptr;
    record_->issueReserved = 1;
    record_->issueIndex = static_cast<std::uint32_t>(index);
    issueRecord_ = manager->AccessIssueTable(index);
  } else if (openIssues_ == 0 || issueRecord_ == nullptr) {
    issueRecord_ = manager->AccessIssueTable(static_cast<int>(record_->issueIndex));
  }
  if (issueRecord_ == nullptr) return nullptr;
  // Space is reserved once, by the first issue; a partition that grew since gets space that
  // holds all of it before a larger issue is mapped.
  const bool grown = haveSpace_ && Reservation() > reserved_;
  if (grown && openIssues_ > 0) {
    // Moving the space now would leave the open issue writing its bytes to the old place.
    reportLimit("sdb_Partition::AccessIssue", "PARTITION SPACE");
    return nullptr;
  }
  if ((!haveSpace_ || grown) && !ReserveSpace(alignment)) return nullptr;
  ++openIssues_;
  return manager->AccessIssueTable(static_cast<int>(record_->issueIndex) + issue);
}

void sdb_Partition::ReleaseIssue(int issue) {
  if (record_ == nullptr) return;
  if (openIssues_ > 0) --openIssues_;
  if (static_cast<std::uint32_t>(issue) >= record_->nextSpaceIssue) ++record_->nextSpaceIssue;
}

sdb_MMapPartition::sdb_MMapPartition(sdb_FolderNames folder) : sdb_Partition(folder) {}
sdb_MMapPartition::sdb_MMapPartition(sdb_PartitionId id) : sdb_Partition(id) {}

sdb_PrtIssueRcrd* sdb_MMapPartition::AssignIssue(int issue, sdb_IssueAccessMode mode) {
  sdb_Manager* manager = gettheSdbManager();
  return AccessIssue(issue, mode, manager != nullptr ? manager->GetPageSize() : 1);
}

sdb_SGMMapPartition::sdb_SGMMapPartition(sdb_FolderNames folder, std::uint32_t issueSize) : sdb_MMapPartition(folder) {
  TakeIssueSize(issueSize);
}

sdb_SGMMapPartition::sdb_SGMMapPartition(sdb_PartitionId id, std::uint32_t issueSize) : sdb_MMapPartition(id) {
  TakeIssueSize(issueSize);
}

void sdb_SGMMapPartition::TakeIssueSize(std::uint32_t issueSize) {
  sdb_Manager* manager = gettheSdbManager();
  const unsigned page = manager != nullptr ? manager->GetPageSize() : 0;
  if (page == 0 || issueSize == 0 || issueSize % page != 0) {
    const int values[1] = {static_cast<int>(issueSize)};
    kvxerrC(-3, "SYSTEM ERROR IN sdb_SGMMapPartition - ISSUE SIZE %I IS NOT A WHOLE NUMBER OF PAGES", values, nullptr,
            nullptr);
    return;
  }
  SetFixedIssueSize(issueSize);
}

// ---- Issues -------------------------------------------------------------------------------------

sdb_Issue::sdb_Issue(sdb_Partition& partition, sdb_IssueAccessMode mode) : partition_(&partition), mode_(mode) {
  issueRecord_ = partition.AssignIssue(0, mode);
  if (issueRecord_ == nullptr) return;
  size_ = partition.FixedIssueSize() != 0 ? partition.FixedIssueSize() : partition.Size();
  folder_ = static_cast<sdb_FolderNames>(issueRecord_->folder);
  if (sdb_Manager* manager = gettheSdbManager()) folderObject_ = manager->GetFolder(folder_);
  issueRecord_->mode = static_cast<std::uint32_t>(mode);
  address_ = issueRecord_->address;
}

sdb_Issue::~sdb_Issue() {
  if (issueRecord_ == nullptr) return;
  size_ = 0;
  issueRecord_->mode = sdb_Read;
  partition_->ReleaseIssue(0);
}

void* sdb_Issue::Located(const sdb_GenericOid& oid, std::uint64_t unit, std::uint64_t bytes, sdb_DbBasePter& base) {
  base.issue = this;
  base.callerWord = oid.callerWord;
  const std::uint64_t first = unit * oid.offset;
  if (data_ == nullptr || first + bytes > size_) return nullptr;
  return static_cast<char*>(data_) + first;
}

int* sdb_Issue::AccessInteger(const sdb_IntegerOid& oid, sdb_DbBasePter& base) {
  return static_cast<int*>(Located(oid, 4, 4ull * oid.count, base));
}

double* sdb_Issue::AccessDouble(const sdb_DoubleOid& oid, sdb_DbBasePter& base) {
  return static_cast<double*>(Located(oid, 8, 8ull * oid.count, base));
}

void* sdb_Issue::AccessObject(const sdb_GenericObjectOid& oid, sdb_DbBasePter& base, std::uint32_t /*objectSize*/) {
  return Located(oid, 4, 4ull * oid.count, base);
}

sdb_MMapPartition::Issue::Issue(sdb_MMapPartition& partition, sdb_IssueAccessMode mode) : sdb_Issue(partition, mode) {
  sdb_Manager* manager = gettheSdbManager();
  if (folderObject_ == nullptr || manager == nullptr) return;
  if (address_.Value() % manager->GetPageSize() == 0) data_ = folderObject_->Map(mode, address_, size_);
}

sdb_MMapPartition::Issue::~Issue() {
  if (data_ != nullptr) folderObject_->UnMap(mode_, address_, size_, data_);
  data_ = nullptr;
}

// ---- Segmented issues ---------------------------------------------------------------------------

sdb_SGMMapPartition::Issue::Issue(sdb_SGMMapPartition& partition, sdb_IssueAccessMode mode)
    : sdb_Issue(partition, mode) {
  sdb_Manager* manager = gettheSdbManager();
  if (folderObject_ == nullptr || manager == nullptr || partition.FixedIssueSize() == 0) return;
  reserved_ = partition.Reserved();
  if (address_.Value() % manager->GetPageSize() != 0 || !Fits(0, size_, "sdb_SGMMapPartition::Issue::Issue")) return;
  data_ = folderObject_->Map(mode, address_, size_);
}

sdb_SGMMapPartition::Issue::~Issue() {
  if (data_ == nullptr) return;
  const bool writes = mode_ == sdb_Modify || mode_ == sdb_WriteNew;
  const bool inside = offset_.Value() + size_ <= reserved_;
  folderObject_->UnMap(writes && inside ? sdb_WriteNew : sdb_Read, address_ + offset_.Value(), size_, data_);
  data_ = nullptr;
}

bool sdb_SGMMapPartition::Issue::Fits(std::uint64_t offset, std::uint64_t bytes, const char* routine) const {
  if (offset + bytes <= reserved_) return true;
  reportLimit(routine, "PARTITION SPACE");
  return false;
}

void sdb_SGMMapPartition::Issue::AccessForward() {
  if (data_ == nullptr) return;
  const std::uint64_t old = offset_.Value();
  offset_ = offset_ + size_;
  // A modify window is written back before the next one is read into the same buffer; a window
  // past the partition's space is never written (the bytes there belong to others).
  if ((mode_ == sdb_WriteNew || mode_ == sdb_Modify) && Fits(old, size_, "sdb_SGMMapPartition::Issue::AccessForward"))
    folderObject_->Sync(sdb_WriteNew, address_ + old, size_, data_);
  if ((mode_ == sdb_Read || mode_ == sdb_Modify) && Fits(offset_.Value(), size_, "sdb_SGMMapPartition::Issue::AccessForward"))
    folderObject_->Sync(sdb_Read, address_ + offset_.Value(), size_, data_);
}

sdb_SegmentAddress sdb_SGMMapPartition::Issue::FlushSegment(const void* end) {
  sdb_SegmentAddress segment;
  if (data_ == nullptr) return segment;
  const auto used = static_cast<const char*>(end) - static_cast<const char*>(data_);
  const std::uint64_t page = gettheSdbManager()->GetPageSize();
  if (used < 0 || static_cast<std::uint64_t>(used) > size_) {
    reportLimit("sdb_SGMMapPartition::Issue::FlushSegment", "WINDOW");
    return segment;
  }
  const std::uint64_t bytes = std::max<std::uint64_t>(1, (static_cast<std::uint64_t>(used) + page - 1) / page) * page;
  if (!Fits(offset_.Value(), bytes, "sdb_SGMMapPartition::Issue::FlushSegment")) return segment;
  folderObject_->Sync(sdb_WriteNew, address_ + offset_.Value(), bytes, data_);
  segment.offset = offset_;
  segment.size = static_cast<std::uint32_t>(bytes);
  offset_ = offset_ + bytes;
  return segment;
}

void sdb_SGMMapPartition::Issue::AccessSegment(const sdb_SegmentAddress& segment) {
  if (data_ == nullptr) return;
  if (segment.size > size_) {
    reportLimit("sdb_SGMMapPartition::Issue::AccessSegment", "WINDOW");
    return;
  }
  if (!Fits(segment.offset.Value(), segment.size, "sdb_SGMMapPartition::Issue::AccessSegment")) return;
  offset_ = segment.offset;
  folderObject_->Sync(sdb_Read, address_ + offset_.Value(), segment.size, data_);
}
