// Solver scratch database: partitions, issues, object ids and segmented packages.
#pragma once

#include "zmx/storage/scratch.h"

// ---- Partitions, issues and object ids

struct sdb_PartitionRecord {
  std::uint32_t size;            // bytes
  std::uint32_t folder;          // sdb_FolderNames
  std::uint32_t issueReserved;   // 1 once an issue record is reserved
  std::uint32_t nextSpaceIssue;  // the issue that still needs space of its own
  std::uint32_t flags;           // state in bits 1 to 3: 2 created, 6 in use, 4 closed
  std::uint32_t issueIndex;      // of the partition's record in the issue table
};
static_assert(sizeof(sdb_PartitionRecord) == 24);

struct sdb_PrtIssueRcrd {
  std::uint32_t folder;
  std::uint32_t mode;  // of the issue open, 1 when none
  sdb_SULong address;  // of the partition's space
};
static_assert(sizeof(sdb_PrtIssueRcrd) == 16);

// Names an array inside a partition: its type flags, partition, count and offset in units.
struct sdb_GenericOid {
  std::uint32_t flags = 0;
  std::uint32_t unused = 0;
  std::int32_t partition = 0;
  std::int32_t callerWord = 0;
  std::uint32_t count = 0;
  std::uint32_t offset = 0;
};
struct sdb_IntegerOid : sdb_GenericOid {};
struct sdb_DoubleOid : sdb_GenericOid {};
struct sdb_GenericObjectOid : sdb_GenericOid {};
static_assert(sizeof(sdb_GenericOid) == 24);

class sdb_Issue;
struct sdb_DbBasePter {
  sdb_Issue* issue = nullptr;
  std::int32_t callerWord = 0;
};

struct sdb_SegmentAddress {
  sdb_SULong offset;
  std::uint32_t size = 0;
};

class ZMX_EXPORT sdb_Partition {
 public:
  static constexpr std::uint32_t kStateMask = 0xE, kCreated = 2, kInUse = 6, kClosed = 4;

  explicit sdb_Partition(sdb_FolderNames folder);
  explicit sdb_Partition(sdb_PartitionId id);
  virtual ~sdb_Partition();
  sdb_Partition(const sdb_Partition&) = delete;
  sdb_Partition& operator=(const sdb_Partition&) = delete;

  // The issue record of issue n with its space reserved; null when there is none.
  virtual sdb_PrtIssueRcrd* AssignIssue(int issue, sdb_IssueAccessMode mode) = 0;
  void ReleaseIssue(int issue);

  void AllocateInteger(sdb_IntegerOid& oid, std::uint32_t count);
  void AllocateDouble(sdb_DoubleOid& oid, std::uint32_t count);
  void AllocateObject(sdb_GenericObjectOid& oid, std::uint32_t count, std::uint32_t objectSize, int reserved);

  bool IsValid() const { return record_ != nullptr; }
  sdb_PartitionId Id() const { return id_; }
  std::uint32_t Size() const { return size_; }
  std::uint32_t FixedIssueSize() const { return fixedIssueSize_; }
  int ObjectCount() const { return objects_; }
  int OpenIssues() const { return openIssues_; }
  sdb_FolderNames Folder() const;
  // Bytes of the space reserved for the partition's issues (0 before the first issue).
  std::uint64_t Reserved() const { return reserved_; }

 protected:
  sdb_PrtIssueRcrd* AccessIssue(int issue, sdb_IssueAccessMode mode, unsigned alignment);
  // Bytes the space of an issue must hold for the current size.
  std::uint64_t Reservation() const;
  void SetFixedIssueSize(std::uint32_t bytes);

 private:
  void AllocateGeneric(sdb_GenericOid& oid, std::uint32_t count, std::uint32_t unit);
  bool ReserveSpace(unsigned alignment);
  sdb_Manager* Manager() const;

  sdb_PartitionId id_ = -1;
  std::uint32_t size_ = 0;
  std::uint32_t fixedIssueSize_ = 0;
  int objects_ = 0;
  int openIssues_ = 0;
  sdb_PartitionRecord* record_ = nullptr;
  sdb_PrtIssueRcrd* issueRecord_ = nullptr;
  std::uint32_t flags_ = 0;
  std::uint64_t reserved_ = 0;
  bool haveSpace_ = false;  // space has been reserved for the partition's issues
};

class ZMX_EXPORT sdb_MMapPartition : public sdb_Partition {
 public:
  explicit sdb_MMapPartition(sdb_FolderNames folder);
  explicit sdb_MMapPartition(sdb_PartitionId id);
  sdb_PrtIssueRcrd* AssignIssue(int issue, sdb_IssueAccessMode mode) override;
  class Issue;
};

// A partition read and written through a window of a fixed number of pages.
class ZMX_EXPORT sdb_SGMMapPartition : public sdb_MMapPartition {
 public:
  // The issue size must be a whole, nonzero number of pages (refused, reported, otherwise).
  sdb_SGMMapPartition(sdb_FolderNames folder, std::uint32_t issueSize);
  sdb_SGMMapPartition(sdb_PartitionId id, std::uint32_t issueSize);
  class Issue;

 private:
  void TakeIssueSize(std::uint32_t issueSize);
};

// One use of a partition's space.
class ZMX_EXPORT sdb_Issue {
 public:
  sdb_Issue(sdb_Partition& partition, sdb_IssueAccessMode mode);
  virtual ~sdb_Issue();
  sdb_Issue(const sdb_Issue&) = delete;
  sdb_Issue& operator=(const sdb_Issue&) = delete;

  // The array of the oid in the mapped data; null when the issue has no data or the array lies
  // outside it.
  int* AccessInteger(const sdb_IntegerOid& oid, sdb_DbBasePter& base);
  double* AccessDouble(const sdb_DoubleOid& oid, sdb_DbBasePter& base);
  void* AccessObject(const sdb_GenericObjectOid& oid, sdb_DbBasePter& base, std::uint32_t objectSize);

  void* Data() const { return data_; }
  std::uint64_t Size() const { return size_; }
  sdb_SULong Address() const { return address_; }
  sdb_IssueAccessMode Mode() const { return mode_; }

 protected:
  void* Located(const sdb_GenericOid& oid, std::uint64_t unit, std::uint64_t bytes, sdb_DbBasePter& base);

  std::uint64_t size_ = 0;
  sdb_FolderNames folder_ = sdb_FolderNames::none;
  void* data_ = nullptr;
  sdb_Partition* partition_;
  sdb_PrtIssueRcrd* issueRecord_ = nullptr;
  sdb_RegularFolder* folderObject_ = nullptr;
  sdb_SULong address_;
  sdb_IssueAccessMode mode_;
};

class ZMX_EXPORT sdb_MMapPartition::Issue : public sdb_Issue {
 public:
  Issue(sdb_MMapPartition& partition, sdb_IssueAccessMode mode);
  ~Issue() override;
};

class ZMX_EXPORT sdb_SGMMapPartition::Issue : public sdb_Issue {
 public:
  Issue(sdb_SGMMapPartition& partition, sdb_IssueAccessMode mode);
  ~Issue() override;

  // Moves the window on by its size: mode 1 reads the next window, mode 3 writes the one just
  // filled, mode 2 does both.
  void AccessForward();
  // Writes the window's data up to end in whole pages and moves the window past them.
  sdb_SegmentAddress FlushSegment(const void* end);
  // Reads a flushed segment back into the window.
  void AccessSegment(const sdb_SegmentAddress& segment);
  sdb_SULong WindowOffset() const { return offset_; }

 private:
  bool Fits(std::uint64_t offset, std::uint64_t bytes, const char* routine) const;

  sdb_SULong offset_;
  std::uint64_t reserved_ = 0;
};

// ---- Segmented packages and the element operator store

// The persistent record of a segmented package, kept by the caller.
struct ZMX_EXPORT opr_SegmentedPkg_Rcd {
  enum Word : int {
    kMostIndexEntries = 0, kIndexEntriesUsed = 1, kSegments = 2, kTableHigh = 5, kTableLow = 6,
    kSegmentLength = 7, kTotalElements = 8, kPageSize = 9, kPageShift = 10, kLeastPages = 11, kState = 12
  };
  static constexpr std::uint32_t kNew = 1, kStored = 2, kAllocated = 3;

  std::uint32_t w[13] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, kNew};

 protected:
  void AllocateFor(std::uint32_t mostIndexEntries, std::uint32_t segmentLength, std::uint32_t elementSize);
};
static_assert(sizeof(opr_SegmentedPkg_Rcd) == 52);

struct ZMX_EXPORT opr_DoubleSegmentedPkg_Rcd : opr_SegmentedPkg_Rcd {
  opr_DoubleSegmentedPkg_Rcd();  // all zero, a new record
  void Allocate(std::uint32_t mostIndexEntries, std::uint32_t segmentLength);
};
struct ZMX_EXPORT opr_UIntSegmentedPkg_Rcd : opr_SegmentedPkg_Rcd {
  opr_UIntSegmentedPkg_Rcd();  // all zero, a new record
  void Allocate(std::uint32_t mostIndexEntries, std::uint32_t segmentLength);
};

// A long array written once, segment by segment, into a folder and read back forwards or
// backwards with the neighbour segment read ahead.
class ZMX_EXPORT opr_SegmentedPkg {
 public:
  enum AccessType : int { reading = 0, readingWithWriteBack = 1, writing = 2, accessType3 = 3 };

  virtual ~opr_SegmentedPkg();
  opr_SegmentedPkg(const opr_SegmentedPkg&) = delete;
  opr_SegmentedPkg& operator=(const opr_SegmentedPkg&) = delete;

  // Moves to the next segment in the direction (the first call to the first, or backward the
  // last, segment); gives 0 forward, the caller's index word backward.
  std::uint32_t AccessSegment();
  void UseFileCache();
  // 1 forward (the default), -1 backward.
  void SetDirection(int direction) { direction_ = direction < 0 ? -1 : 1; }
  // The caller's index area at the head of the segment table (2 x most index entries + 2
  // words); null until the table exists.
  std::uint32_t* IndexArea() { return table_; }
  // Elements of the current segment; its data through the typed packages.
  std::uint32_t UsedElements() const { return used_; }
  std::uint32_t Segments() const { return segments_; }
  std::uint32_t CurrentSegment() const { return current_; }
  std::uint64_t TotalElements() const { return total_; }

 protected:
  opr_SegmentedPkg(opr_SegmentedPkg_Rcd& record, sdb_FolderNames folder, AccessType access, std::uint32_t elementSize,
                   bool doublePackage);
  void* CreateSegmentBytes(std::uint32_t elements);
  void* SegmentBytes() const;

 private:
  std::uint32_t IndexWords() const { return 2 * mostEntries_ + 2; }
  std::uint32_t* Entry(std::uint32_t segment) const { return table_ + IndexWords() + 3 * segment; }
  sdb_SULong EntryAddress(std::uint32_t segment) const;
  std::uint64_t TableBytes() const { return (std::uint64_t{IndexWords()} + 3 * segments_) * 4; }
  bool GrowTable();
  bool StartTable();
  void ComputeSegmentLength(std::uint32_t elements);
  bool TurnsToReading() const;
  void TurnToReading();
  bool ReadStoredTable();
  void MapCurrent(bool first);
  void Close();
  void StoreTable();
  sdb_IssueAccessMode ReadingMode() const;

  std::uint32_t entries_ = 0;
  std::uint32_t mostEntries_ = 0;
  std::uint32_t segments_ = 0;
  std::uint32_t currentEntry_ = 0;
  std::uint32_t entryInUse_ = 0;
  std::uint32_t current_ = 0;
  std::uint32_t writing_ = 0;
  std::uint32_t used_ = 0;
  std::uint32_t capacity_ = 0;
  std::uint64_t total_ = 0;
  int turned_ = 0;
  std::uint32_t segmentLength_ = 0;
  AccessType access_;
  int direction_ = 1;
  std::uint32_t* table_ = nullptr;
  std::uint32_t tableCapacity_ = 0;  // segment entries the table buffer holds
  sdb_MemoryPointer* segment_ = nullptr;
  sdb_MemoryPointer* storedTable_ = nullptr;
  opr_SegmentedPkg_Rcd& record_;
  sdb_RegularFolder* folder_ = nullptr;
  std::uint32_t elementSize_;
  bool doublePackage_;
  bool started_ = false;  // the first AccessSegment has run
};

class ZMX_EXPORT opr_DoubleSegmentedPkg : public opr_SegmentedPkg {
 public:
  opr_DoubleSegmentedPkg(opr_DoubleSegmentedPkg_Rcd& record, sdb_FolderNames folder, AccessType access);
  // A new segment with room for at least n elements, of which n are used; null when it could
  // not be made.
  double* CreateSegment(std::uint32_t n);
  double* SegmentData() const { return static_cast<double*>(SegmentBytes()); }
};

class ZMX_EXPORT opr_UIntSegmentedPkg : public opr_SegmentedPkg {
 public:
  opr_UIntSegmentedPkg(opr_UIntSegmentedPkg_Rcd& record, sdb_FolderNames folder, AccessType access);
  std::uint32_t* CreateSegment(std::uint32_t n);
  std::uint32_t* SegmentData() const { return static_cast<std::uint32_t*>(SegmentBytes()); }
};

struct ZMX_EXPORT opr_ElementOperator_Rcd {
  std::uint32_t head[13] = {};
  opr_UIntSegmentedPkg_Rcd unsignedPackage;
  opr_DoubleSegmentedPkg_Rcd doublePackage[3];
};
static_assert(sizeof(opr_ElementOperator_Rcd) == 65 * 4);

// The element operators of an analysis: one unsigned and three double packages in folder opr.
class ZMX_EXPORT opr_ElementOperator {
 public:
  opr_ElementOperator(opr_ElementOperator_Rcd& record, opr_SegmentedPkg::AccessType access,
                      opr_SegmentedPkg::AccessType fourthAccess);
  ~opr_ElementOperator() = default;

  opr_UIntSegmentedPkg& UnsignedPackage() { return unsigned_; }
  opr_DoubleSegmentedPkg& DoublePackage(int k) { return k == 0 ? first_ : k == 1 ? second_ : third_; }

 private:
  opr_UIntSegmentedPkg unsigned_;
  opr_DoubleSegmentedPkg first_;
  opr_DoubleSegmentedPkg second_;
  opr_DoubleSegmentedPkg third_;
  opr_ElementOperator_Rcd& record_;
};
