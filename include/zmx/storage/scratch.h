// Solver scratch database: the manager, folders, spill files and overlapped I/O handlers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "zmx/types.h"

// ---- Solver scratch database ----------------------------------------------------------------



// A 64-bit address inside a scratch-database folder, held as two unsigned words, high word
// first. Arithmetic carries from the low into the high word.
struct sdb_SULong {
  std::uint32_t high = 0;
  std::uint32_t low = 0;

  constexpr sdb_SULong() = default;
  constexpr sdb_SULong(std::uint32_t lowWord, std::uint32_t highWord) : high(highWord), low(lowWord) {}
  constexpr explicit sdb_SULong(std::uint32_t lowWord) : low(lowWord) {}
  static constexpr sdb_SULong FromValue(std::uint64_t value) {
    return sdb_SULong(static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(value >> 32));
  }
  // What an allocation that can never be satisfied gives.
  static constexpr sdb_SULong Invalid() { return FromValue(~std::uint64_t{0}); }

  constexpr std::uint64_t Value() const { return std::uint64_t{high} << 32 | low; }
  constexpr bool IsValid() const { return Value() != ~std::uint64_t{0}; }
  constexpr sdb_SULong operator+(std::uint64_t bytes) const { return FromValue(Value() + bytes); }
  constexpr bool operator==(const sdb_SULong& other) const = default;
};
static_assert(sizeof(sdb_SULong) == 8);

enum class sdb_FolderNames : std::int32_t { none = 0, sdb = 1, opr = 2, scr = 3, fct = 4, sol = 5, lnc = 6, eig = 7, cop = 8 };

enum sdb_IssueAccessMode : std::int32_t { sdb_Read = 1, sdb_Modify = 2, sdb_WriteNew = 3 };
enum sdb_Manager_Initialize : std::int32_t { sdb_Manager_Create = 0 };
enum sdb_Manager_Status : std::int32_t { sdb_Manager_Opened = 0, sdb_Manager_CannotOpen = 1 };

// Where a folder stands, kept in the header: its next free address and the start of its
// current spill file.
struct sdb_FolderRecord {
  sdb_SULong nextFree;
  sdb_SULong fileStart;
};
static_assert(sizeof(sdb_FolderRecord) == 16);

// Bookkeeping at the head of a buffer made by CreateMap; the data follow at kDataOffset.
struct sdb_MemoryPointer {
  static constexpr std::size_t kDataOffset = 48;  // record, pad, and 16-byte alignment of the data
  void* data = nullptr;
  sdb_IssueAccessMode mode{};  // 0 in the empty pointer
  std::size_t allocated = 0;  // record, pad and data
  sdb_SULong address;
};
static_assert(sizeof(sdb_MemoryPointer) + 4 <= sdb_MemoryPointer::kDataOffset);

namespace zmxrt {
class AsyncFile;
class AsyncRequest;
}  // namespace zmxrt

// One kind of transfer of an overlapped I/O handler: its open spill file, its sector-aligned
// buffer and the transfer under way. The read-ahead slot keeps a spare buffer so that the next
// read-ahead runs while the previous one is copied out.
struct shr_sdb_AsyncIOSlot {
  int pending = 0;                  // a transfer was started and not yet taken over
  zmxrt::AsyncFile* file = nullptr;
  zmxrt::AsyncRequest* request = nullptr;
  char* buffer = nullptr;
  char* aligned = nullptr;
  std::size_t capacity = 0;
  std::size_t transferSize = 0;
  std::size_t requestedSize = 0;
  std::size_t lead = 0;             // bytes read before the address, to start on a sector
  sdb_SULong address;
  int completed = 1;                // the transfer is known to be finished
  sdb_SULong fileStart;
  sdb_SULong fileEnd;
  char* spareBuffer = nullptr;
  char* spareAligned = nullptr;
  std::size_t spareCapacity = 0;
  void* handedOver = nullptr;       // a caller's allocation the write slot holds (WriteHandingOver)
  std::size_t handedOverBytes = 0;
  std::uint64_t writesBefore = 0;   // writes the handler had started when this transfer started
};

// Read-ahead wishes not yet started, oldest first: entries linked in one array, with a stack
// of free entries; the array grows by 4 entries when full.
class ZMX_EXPORT shr_sdb_AsyncIORequestList {
 public:
  shr_sdb_AsyncIORequestList() = default;
  ~shr_sdb_AsyncIORequestList();
  shr_sdb_AsyncIORequestList(const shr_sdb_AsyncIORequestList&) = delete;
  shr_sdb_AsyncIORequestList& operator=(const shr_sdb_AsyncIORequestList&) = delete;

  // Queues a wish at the tail; a wish for an address already queued is ignored (false).
  bool AddEntry(sdb_SULong address, std::size_t size);
  // Drops the oldest wish for the address, if any.
  void RemoveEntry(sdb_SULong address);
  // Drops every wish that shares a byte with [address, address + size).
  void RemoveOverlapping(sdb_SULong address, std::size_t size);
  // 1 and the oldest wish, which leaves the list; 0 when the list is empty.
  int GetNextEntry(sdb_SULong& address, std::size_t& size);
  bool CheckForDuplicateEntry(sdb_SULong address) const;
  int Count() const { return count_; }

 private:
  struct Entry {
    sdb_SULong address;
    std::size_t size = 0;
    int previous = -1;
    int next = -1;
  };
  void Resize();
  void Unlink(int index);

  Entry* entries_ = nullptr;
  int* freeStack_ = nullptr;
  int capacity_ = 0;
  int freeCount_ = 0;
  int count_ = 0;
  int head_ = -1;
  int tail_ = -1;
};

// Moves bytes between memory and one folder's spill files: writes behind, reads ahead, and
// blocking reads, each kind in a slot of its own. Read and Write give the size on success and 0
// when the transfer (or, for Write, the write before it) failed; every failure is reported.
class ZMX_EXPORT shr_sdb_AsyncIOHandler {
 public:
  static constexpr std::size_t kLargestTransfer = 41943040;  // 40 MiB

  shr_sdb_AsyncIOHandler(const char* jobName, unsigned directoryCount, unsigned sizeCount,
                         const char* const* directories, const std::uint32_t* sizes, const char* folderName);
  ~shr_sdb_AsyncIOHandler();
  shr_sdb_AsyncIOHandler(const shr_sdb_AsyncIOHandler&) = delete;
  shr_sdb_AsyncIOHandler& operator=(const shr_sdb_AsyncIOHandler&) = delete;

  std::size_t Read(sdb_SULong address, std::size_t size, void* buffer);
  std::size_t Write(sdb_SULong address, std::size_t size, const void* buffer);
  // Writes size bytes at data, which lie inside a malloc'd allocation that the caller gives up:
  // the handler keeps it until the write is done and gives back, in allocation and allocated,
  // the allocation of its previous such write (or null). When the bytes cannot be handed over
  // they are copied as by Write and allocation is left as it was.
  std::size_t WriteHandingOver(sdb_SULong address, std::size_t size, const void* data, void*& allocation,
                               std::size_t& allocated);
  void ReadAhead(sdb_SULong address, std::size_t size);
  void UseFileCache();
  // Waits for the write under way; false when it failed (it is then reported).
  bool CompleteWrite();

  const shr_sdb_AsyncIORequestList& Requests() const { return requests_; }
  std::size_t SectorSize() const { return sectorSize_; }

 private:
  enum SlotIndex { kWriteSlot = 0, kReadAheadSlot = 1, kBlockingSlot = 2, kSlotCount = 3 };

  std::size_t ReadPiece(sdb_SULong address, std::size_t size, char* buffer);
  bool WritePiece(sdb_SULong address, std::size_t size, const char* buffer);
  void ReadAheadPiece(sdb_SULong address, std::size_t size);
  // The offset inside the spill file that holds the request, opening that file in the slot when
  // needed; -1 when the request cannot be served.
  std::int64_t SetFileOffset(sdb_SULong address, std::size_t size, int slot, bool forWriting);
  bool HandleConflictingWrite(sdb_SULong address, std::size_t size);
  void InvalidateReadAhead(sdb_SULong address, std::size_t size);
  std::optional<std::size_t> TakeReadAhead(std::size_t size, char* buffer);
  void StartQueuedWish();
  void SizeSlotMemory(shr_sdb_AsyncIOSlot& slot, std::size_t size);
  bool StartRead(int slot, sdb_SULong address, std::size_t size);
  void StartWrite(sdb_SULong address, std::size_t size, const void* data, std::int64_t offset);
  // Waits for the slot's transfer and marks it complete; a failure is reported with countText
  // (or the system error's text) and gives false. A null countText leaves a short count unreported.
  bool CompleteSlot(int slot, const char* countText);
  bool CloseSlotFile(int slot);
  void FreeSlot(shr_sdb_AsyncIOSlot& slot);
  std::string FileName(std::uint64_t fileIndex) const;
  const char* Directory(std::uint64_t fileIndex) const;

  // A handed-over write that still runs while the latest one queues behind it.
  struct EarlierWrite {
    zmxrt::AsyncRequest* request = nullptr;
    sdb_SULong address;
    std::size_t size = 0;
    int pending = 0;
    void* handedOver = nullptr;
    std::size_t handedOverBytes = 0;
  };
  bool TakeOver(zmxrt::AsyncFile& file, zmxrt::AsyncRequest& request, std::size_t needed, bool writing,
                const char* countText);
  bool CompleteEarlierWrite(const char* countText);

  shr_sdb_AsyncIOSlot slots_[kSlotCount];
  EarlierWrite earlier_;
  shr_sdb_AsyncIORequestList requests_;
  const char* jobName_;
  unsigned directoryCount_;
  unsigned sizeCount_;
  const char* const* directories_;
  const std::uint32_t* sizes_;
  std::size_t sectorSize_;
  char extension_[8] = {};  // "." and the folder's three letters
  int useFileCache_ = 0;
  std::uint64_t writesStarted_ = 0;
  bool writeFailed_ = false;  // a write failed while a read waited for it: the writer's news
};

class sdb_Folder;
class sdb_RegularFolder;
// Builds a folder object in place.
using sdb_FolderFactory = sdb_Folder* (*)(void* place, const char* jobName, const char* folderName,
                                           unsigned directoryCount, unsigned sizeCount, const char* const* directories,
                                           const std::uint32_t* sizes, sdb_FolderRecord* record);

// A folder: a 64-bit address space laid over a series of spill files, with bump allocation.
class ZMX_EXPORT sdb_Folder {
 public:
  sdb_Folder(const char* jobName, const char* folderName, unsigned directoryCount, unsigned sizeCount,
             const char* const* directories, const std::uint32_t* sizes, sdb_FolderRecord* record);
  // A folder a host builds for itself, outside the manager: it goes on from the record's next
  // free address, counts its spill files from address 0 and has no directory or size lists, so
  // its spill files lie in the current directory and hold 2147483647 bytes each. The two texts
  // and the writable text belong to the host; the folder keeps none of them.
  sdb_Folder(const char* jobName, const char* firstText, const char* secondText, char* workText,
             sdb_FolderRecord* record, const char* folderName);
  virtual ~sdb_Folder();
  sdb_Folder(const sdb_Folder&) = delete;
  sdb_Folder& operator=(const sdb_Folder&) = delete;

  virtual void* Map(sdb_IssueAccessMode mode, sdb_SULong address, std::size_t size) = 0;
  virtual void UnMap(sdb_IssueAccessMode mode, sdb_SULong address, std::size_t size, void* buffer) = 0;
  virtual void Sync(sdb_IssueAccessMode mode, sdb_SULong address, std::size_t size, void* buffer) = 0;

  // Aligned space of size bytes inside one spill file; sdb_SULong::Invalid() (reported) when
  // no file of the size list can hold it.
  sdb_SULong Allocate(std::size_t size, unsigned alignment);
  // Takes the next free address and the current spill file from the record from now on.
  void ResetFolderRecord(sdb_FolderRecord* record);
  void UseFileCache();
  void ReadAhead(sdb_SULong address, std::size_t size);
  // Reports that a write of this folder failed.
  void WriteError();

  const char* Name() const { return extension_ + 1; }
  sdb_SULong NextFree() const { return nextFree_; }
  shr_sdb_AsyncIOHandler& Handler() { return handler_; }

 protected:
  std::uint64_t FileSize(std::uint64_t fileIndex) const;

  shr_sdb_AsyncIOHandler handler_;
  char extension_[8] = {};  // "." and the folder's three letters
  const char* jobName_;
  sdb_SULong nextFree_;
  sdb_FolderRecord* record_;
  unsigned directoryCount_;
  unsigned sizeCount_;
  std::uint64_t fileIndex_ = 0;
  std::uint64_t fileFree_ = 0;
  sdb_SULong fileStart_;
  const char* const* directories_;
  const std::uint32_t* sizes_;
};

class ZMX_EXPORT sdb_RegularFolder : public sdb_Folder {
 public:
  using sdb_Folder::sdb_Folder;
  static sdb_Folder* Construct(void* place, const char* jobName, const char* folderName, unsigned directoryCount,
                               unsigned sizeCount, const char* const* directories, const std::uint32_t* sizes,
                               sdb_FolderRecord* record);

  // A buffer of size bytes holding the folder's bytes at the address (modes 1 and 2) or
  // nothing yet (mode 3); null when the read fails.
  void* Map(sdb_IssueAccessMode mode, sdb_SULong address, std::size_t size) override;
  // Writes the buffer back (modes 2 and 3) and frees it.
  void UnMap(sdb_IssueAccessMode mode, sdb_SULong address, std::size_t size, void* buffer) override;
  // Mode 1 reads the buffer again, mode 3 writes it, mode 2 does nothing.
  void Sync(sdb_IssueAccessMode mode, sdb_SULong address, std::size_t size, void* buffer) override;

  sdb_MemoryPointer* CreateMap(sdb_IssueAccessMode mode, sdb_SULong address, std::size_t size);
  sdb_MemoryPointer* Remap(sdb_IssueAccessMode mode, sdb_SULong address, std::size_t oldSize, std::size_t newSize,
                           sdb_MemoryPointer* pointer);
  void UnMap(sdb_IssueAccessMode mode, sdb_SULong address, std::size_t size, sdb_MemoryPointer* pointer);
  // What failed maps give: no data.
  sdb_MemoryPointer* EmptyPointer() { return &empty_; }

 private:
  bool ReadInto(sdb_SULong address, std::size_t size, void* buffer);
  void WriteFrom(sdb_SULong address, std::size_t size, const void* buffer);
  sdb_MemoryPointer* Fill(sdb_MemoryPointer* pointer, sdb_IssueAccessMode mode, sdb_SULong address);
  sdb_MemoryPointer* HandOver(sdb_MemoryPointer* pointer, std::size_t size);

  sdb_MemoryPointer empty_;
};

struct sdb_PartitionRecord;
struct sdb_PrtIssueRcrd;
using sdb_PartitionId = std::int32_t;

// The process-wide scratch database: the header page, the folders and their spill files.
class ZMX_EXPORT sdb_Manager {
 public:
  static constexpr unsigned kFolderSlots = 9;
  static constexpr unsigned kArenaBytes = 6624;

  // The header page's words (byte offsets) and tables.
  static constexpr unsigned kFirstWord = 0, kHeaderSizeWord = 4, kFlagsWord = 8, kNextPartitionWord = 24,
                            kPageSizeWord = 28, kFolderTableWord = 40, kPartitionTableWord = 44,
                            kIssueTableWord = 48;
  static constexpr unsigned kFolderTable = 52, kFolderCapacity = 10, kPartitionTable = 228, kPartitionCapacity = 20,
                            kIssueTable = 724;
  static constexpr unsigned kFolderRecords = 68, kPartitionRecords = 244, kIssueRecords = 740;
  static constexpr unsigned kHeaderProbe = 756;  // what an open reads first
  static constexpr std::uint32_t kDirtyBit = 1;

  static sdb_Manager* CreateSdb();
  // Opens the database of the job; sdb_Manager_CannotOpen (reported) leaves no manager.
  static sdb_Manager_Status OpenSdb();
  static int SetJump();

  explicit sdb_Manager(sdb_Manager_Initialize);
  sdb_Manager();
  ~sdb_Manager();
  sdb_Manager(const sdb_Manager&) = delete;
  sdb_Manager& operator=(const sdb_Manager&) = delete;

  sdb_RegularFolder* GetFolder(sdb_FolderNames folder);
  sdb_FolderRecord* AssignFolder(sdb_FolderNames folder);
  sdb_FolderRecord* OpenFolder(sdb_FolderNames folder);
  // A new partition id, or -1 (reported) when the partition table is full.
  sdb_PartitionId CreatePartition(sdb_FolderNames folder);
  // The record of the id; null (reported) for an id outside the table.
  sdb_PartitionRecord* OpenPartition(sdb_PartitionId id);
  // The first of n new issue records, or -1 (reported) when the issue table cannot hold them.
  int AllocateIssueTable(unsigned n);
  sdb_PrtIssueRcrd* AccessIssueTable(int index);
  unsigned GetPageSize() const;
  unsigned GetSectorSize() const;

  void AssignFolderName(sdb_FolderNames folder, const char* name, unsigned objectSize, sdb_FolderFactory factory);
  void DeclareFolders();
  void ReadFolders();

  // Re-reads the header and re-points the folders at it; writes it back and clears the dirty
  // bit in memory.
  void Lock();
  void ReleaseLock();

  void MarkHeaderDirty();
  const unsigned char* Header() const { return header_; }
  unsigned HeaderSize() const { return headerSize_; }
  int PartitionOpenCount() const { return partitionOpenCount_; }
  const char* Directory(sdb_FolderNames folder, unsigned index) const;
  std::uint32_t SpillSize(sdb_FolderNames folder, unsigned index) const;
  unsigned DirectoryCount(sdb_FolderNames folder) const;
  unsigned SizeCount(sdb_FolderNames folder) const;

 private:
  std::uint32_t Word(unsigned offset) const;
  void SetWord(unsigned offset, std::uint32_t value);
  void BeginConstruction();
  void SetUpDirectories();
  void CreateDatabaseFiles() const;
  void FillNewHeader();
  bool ReadExistingHeader();
  bool HeaderIsSound() const;
  void AbandonOpen();
  sdb_FolderRecord* FolderRecord(unsigned slot);
  sdb_RegularFolder* CreateFolder(unsigned slot, sdb_FolderRecord* record);
  void DestroyFolders();

  int partitionOpenCount_ = 0;
  unsigned headerSize_ = 0;
  unsigned pageSize_ = 0;
  unsigned sectorSize_ = 0;
  char* jobName_ = nullptr;
  char* inputDirectory_ = nullptr;
  char folderName_[kFolderSlots][4] = {};
  unsigned char* arena_ = nullptr;
  unsigned arenaSize_ = 0;
  unsigned arenaUsed_ = 0;
  sdb_FolderFactory factory_[kFolderSlots] = {};
  unsigned objectPlace_[kFolderSlots] = {};
  unsigned directoryCount_[kFolderSlots] = {};
  unsigned sizeCount_[kFolderSlots] = {};
  const char** directories_[kFolderSlots] = {};
  std::uint32_t* sizes_[kFolderSlots] = {};
  unsigned char* listBlock_ = nullptr;
  unsigned char state_[kFolderSlots] = {};
  std::uint32_t* nextPartitionCell_ = nullptr;
  unsigned char* header_ = nullptr;
  sdb_RegularFolder* folder_[kFolderSlots] = {};
  sdb_FolderRecord temporaryRecord_;
  void (*previousNewHandler_)() = nullptr;
  bool openFailed_ = false;
};

ZMX_EXPORT sdb_Manager* gettheSdbManager();
ZMX_EXPORT int validatetheSdbManager();
// Opens the job's database; null when it cannot be opened or no memory is left.
ZMX_EXPORT sdb_Manager* newtheSdbManager();
ZMX_EXPORT void deletetheSdbManager();

ZMX_EXPORT unsigned ntPageSize();
ZMX_EXPORT unsigned ntSectorSize();
// Reports that memory ran out and ends the scratch-database operation by throwing
// std::bad_alloc; it is also the new-handler while a manager exists.
[[noreturn]] ZMX_EXPORT void sdb_OutOfMemoryError(std::size_t size);

extern "C" {
// Reports a failed write of the folder whose three-letter name the three character codes hold.
ZMX_EXPORT void SDB_WRITEFAIL(const Int* extension);
}
