// Storage, files and module frame: the exported routines and records of subsystem 1.
#pragma once

#include "runtime/fortran_types.h"
#include "siblings/utl/utl_singleton.h"

// ---- Module frame ---------------------------------------------------------------------------

// Use-counted start and end of the library: the first shr_initialize brings up the sibling
// libraries and this library's modules, the last shr_finalize takes them down again. Each module
// that acts adds 1 to (or takes 1 from) the caller's counter.
ZMX_EXPORT void shr_initialize(int& counter);
ZMX_EXPORT void shr_finalize(int& counter);

// Memory-tally-in-pre flag: nonzero (the default) selects the pre-processor wording of the
// out-of-memory message.
ZMX_EXPORT int shr_getMemoryTallyInPre();
ZMX_EXPORT void shr_setMemoryTallyInPre(int value);

// A signal handler a host may install: it only raises the signal-received flag.
ZMX_EXPORT void shr_signalHandler(int signal);
ZMX_EXPORT void MemoryExhaustedHandler();
ZMX_EXPORT void SHR_COMMON();

// Place-holders for routines that exist only in builds for other machines.
ZMX_EXPORT void dummy_nec_shr_abubblesort();
ZMX_EXPORT void dummy_nec_shr_aqsort2();
ZMX_EXPORT void dummy_rs6000_shr_sysparams();
ZMX_EXPORT void dummy_vpp_shr_vmemcpy_1();
ZMX_EXPORT void dummy_vpp_shr_vmemcpy_2();
ZMX_EXPORT void dummy_vpp_shr_vmemset();

namespace zmx {
// The signal-received flag raised by shr_signalHandler (0 until a signal arrives).
ZMX_EXPORT int signalReceived();
}  // namespace zmx

// ---- Surface registry -------------------------------------------------------------------------

// Per model, a small database of named surfaces, each holding two integer lists of n entries.
// A surface's block in the pool is 2n + 2 words: 2n + 2, n, the first list, the second list.
class ZMX_EXPORT shr_ModelSurfaceDb {
 public:
  static constexpr int kNameLength = 8;
  static constexpr int kWordsPerSlot = 4;

  shr_ModelSurfaceDb(int slots, int poolWords);
  ~shr_ModelSurfaceDb();
  shr_ModelSurfaceDb(const shr_ModelSurfaceDb&) = delete;
  shr_ModelSurfaceDb& operator=(const shr_ModelSurfaceDb&) = delete;

  // 0 when the surface was added (it becomes the open surface); 1 when the name is taken or a
  // limit of the database is broken (nothing changes then).
  int addSurface(const char* name, int n);
  // status 0 and the surface becomes open; -1 when there is no such surface.
  void openSurface(const char* name, int& status);
  // Operation 0: count := n, result 0; 1: address word of the first list; 2: of the second.
  int SurfaceAccess(int operation, int& count);
  void closeSurface();

  int surfaceCount() const { return count_; }
  int openIndex() const { return open_; }
  int nextFreeWord() const { return nextFree_; }

 private:
  struct Slot {
    char name[kNameLength + 1];  // terminated
    int block;                   // first word of the surface's block in the pool, 0-based
  };
  static_assert(sizeof(Slot) == kWordsPerSlot * 4);

  int find(const char* name) const;

  Slot* table_ = nullptr;
  Int* pool_ = nullptr;
  Int poolWord_ = 0;  // address word of pool_
  int open_ = -1;
  int nextFree_ = 0;
  int count_ = 0;
  int slots_ = 0;
  int poolWords_ = 0;
};

class ZMX_EXPORT shr_SurfaceDbEntry {
 public:
  static constexpr int kModelNameLength = 255;

  explicit shr_SurfaceDbEntry(const char* name);
  ~shr_SurfaceDbEntry();
  shr_SurfaceDbEntry(const shr_SurfaceDbEntry&) = delete;
  shr_SurfaceDbEntry& operator=(const shr_SurfaceDbEntry&) = delete;

  shr_SurfaceDbEntry* getNext() const;
  void setNext(shr_SurfaceDbEntry* next);
  const char* getModelName() const;
  shr_ModelSurfaceDb* getModelSurfaceDb() const;
  // Gives the model its surface database unless it has one.
  void attachModelSurfaceDb(int slots, int poolWords);

 private:
  char name_[kModelNameLength + 1] = {};
  shr_ModelSurfaceDb* db_ = nullptr;
  shr_SurfaceDbEntry* next_ = nullptr;
};

class ZMX_EXPORT shr_SurfaceDb {
 public:
  ~shr_SurfaceDb();
  shr_SurfaceDb(const shr_SurfaceDb&) = delete;
  shr_SurfaceDb& operator=(const shr_SurfaceDb&) = delete;

  shr_SurfaceDbEntry* locate(const char* name) const;
  // The entry becomes current; it joins the end of the model list unless it is null or there.
  void setCurrentModelDb(shr_SurfaceDbEntry* entry);
  shr_SurfaceDbEntry* getCurrentEntry() const;
  shr_ModelSurfaceDb* getCurrentModelSurfaceDb() const;
  shr_SurfaceDbEntry* getFirstEntry() const { return first_; }

 private:
  friend class omi_Singleton<shr_SurfaceDb>;
  friend class omi_SingletonBase<shr_SurfaceDb>;
  shr_SurfaceDb();
  void appendDbEntry(shr_SurfaceDbEntry* entry);

  shr_SurfaceDbEntry* first_ = nullptr;
  shr_SurfaceDbEntry* current_ = nullptr;
};

extern template class omi_SingletonBase<shr_SurfaceDb>;
extern template class omi_Singleton<shr_SurfaceDb>;

extern "C" {
ZMX_EXPORT void SHR_MKMODELSURFACEDBCURRENT(const char* model, Int modelLength);
ZMX_EXPORT void SHR_CREATEMODELSURFACEDB(const Int* slots, const Int* poolWords);
ZMX_EXPORT Int SHR_ADDSURFACE(const char* name, Int nameLength, const Int* n);
ZMX_EXPORT void SHR_OPENSURFACE(const char* name, Int nameLength, Int* status);
ZMX_EXPORT Int SHR_ACCESSSURFACE(const Int* operation, Int* count);
ZMX_EXPORT void SHR_CLOSESURFACE();
}

// ---- Solver scratch database ----------------------------------------------------------------

#include <cstddef>
#include <cstdint>
#include <string>


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
  std::int32_t mode = 0;
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
  // The second read-ahead lane lets the next wish run while the read-ahead before it is taken
  // over, so a streaming reader always has a read under way.
  enum SlotIndex { kWriteSlot = 0, kReadAheadSlot = 1, kBlockingSlot = 2, kReadAheadLane = 3 };

  std::size_t ReadPiece(sdb_SULong address, std::size_t size, char* buffer);
  bool WritePiece(sdb_SULong address, std::size_t size, const char* buffer);
  void ReadAheadPiece(sdb_SULong address, std::size_t size);
  // The offset inside the spill file that holds the request, opening that file in the slot when
  // needed; -1 when the request cannot be served.
  std::int64_t SetFileOffset(sdb_SULong address, std::size_t size, int slot, bool forWriting);
  bool HandleConflictingWrite(sdb_SULong address, std::size_t size);
  void InvalidateReadAhead(sdb_SULong address, std::size_t size);
  void DropReadAhead(int slot, sdb_SULong address, std::size_t size);
  std::size_t TakeReadAhead(int slot, std::size_t size, char* buffer);
  void StartQueuedWishes();
  void SizeSlotMemory(shr_sdb_AsyncIOSlot& slot, std::size_t size);
  bool StartRead(int slot, sdb_SULong address, std::size_t size);
  void StartWrite(sdb_SULong address, std::size_t size, const void* data, std::int64_t offset);
  // Waits for the slot's transfer and marks it complete; a failure is reported with countText
  // (or the system error's text) and gives false.
  bool CompleteSlot(int slot, const char* countText);
  bool CloseSlotFile(int slot);
  void FreeSlot(shr_sdb_AsyncIOSlot& slot);
  std::string FileName(std::uint64_t fileIndex) const;
  std::uint64_t FileSize(std::uint64_t fileIndex) const;
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

  shr_sdb_AsyncIOSlot slots_[4];
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
  virtual ~sdb_Folder();
  sdb_Folder(const sdb_Folder&) = delete;
  sdb_Folder& operator=(const sdb_Folder&) = delete;

  virtual void* Map(int mode, sdb_SULong address, std::size_t size) = 0;
  virtual void UnMap(int mode, sdb_SULong address, std::size_t size, void* buffer) = 0;
  virtual void Sync(int mode, sdb_SULong address, std::size_t size, void* buffer) = 0;

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
  void* Map(int mode, sdb_SULong address, std::size_t size) override;
  // Writes the buffer back (modes 2 and 3) and frees it.
  void UnMap(int mode, sdb_SULong address, std::size_t size, void* buffer) override;
  // Mode 1 reads the buffer again, mode 3 writes it, mode 2 does nothing.
  void Sync(int mode, sdb_SULong address, std::size_t size, void* buffer) override;

  sdb_MemoryPointer* CreateMap(int mode, sdb_SULong address, std::size_t size);
  sdb_MemoryPointer* Remap(int mode, sdb_SULong address, std::size_t oldSize, std::size_t newSize,
                           sdb_MemoryPointer* pointer);
  void UnMap(int mode, sdb_SULong address, std::size_t size, sdb_MemoryPointer* pointer);
  // What failed maps give: no data.
  sdb_MemoryPointer* EmptyPointer() { return &empty_; }

 private:
  bool ReadInto(sdb_SULong address, std::size_t size, void* buffer);
  void WriteFrom(sdb_SULong address, std::size_t size, const void* buffer);
  sdb_MemoryPointer* Fill(sdb_MemoryPointer* pointer, int mode, sdb_SULong address);
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
  unsigned GetPageSize() const { return pageSize_; }
  unsigned GetSectorSize() const { return sectorSize_; }

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
  sdb_RegularFolder* BuildFolder(unsigned slot, sdb_FolderRecord* record);
  void DestroyFolders();

  int partitionOpenCount_ = 0;
  unsigned headerSize_ = 0;
  unsigned pageSize_ = 0;
  unsigned sectorSize_ = 0;
  char* jobName_ = nullptr;
  const char* defaultDirectory_ = "";
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
  virtual sdb_PrtIssueRcrd* AssignIssue(int issue, int mode) = 0;
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
  sdb_PrtIssueRcrd* AccessIssue(int issue, int mode, unsigned alignment);
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
  using sdb_Partition::sdb_Partition;
  sdb_PrtIssueRcrd* AssignIssue(int issue, int mode) override;
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
  sdb_Issue(sdb_Partition& partition, int mode);
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
  int Mode() const { return mode_; }

 protected:
  void* Located(const sdb_GenericOid& oid, std::uint64_t unit, std::uint64_t bytes, sdb_DbBasePter& base);

  std::uint64_t size_ = 0;
  sdb_FolderNames folder_ = sdb_FolderNames::none;
  void* data_ = nullptr;
  sdb_Partition* partition_;
  sdb_PrtIssueRcrd* issueRecord_ = nullptr;
  sdb_RegularFolder* folderObject_ = nullptr;
  sdb_SULong address_;
  int mode_;
};

class ZMX_EXPORT sdb_MMapPartition::Issue : public sdb_Issue {
 public:
  Issue(sdb_MMapPartition& partition, int mode);
  ~Issue() override;
};

class ZMX_EXPORT sdb_SGMMapPartition::Issue : public sdb_Issue {
 public:
  Issue(sdb_SGMMapPartition& partition, int mode);
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
  void Allocate(std::uint32_t mostIndexEntries, std::uint32_t segmentLength);
};
struct ZMX_EXPORT opr_UIntSegmentedPkg_Rcd : opr_SegmentedPkg_Rcd {
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
  opr_SegmentedPkg(opr_SegmentedPkg_Rcd& record, sdb_FolderNames folder, int access, std::uint32_t elementSize,
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
  int ReadingMode() const;

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
  int access_;
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
  opr_DoubleSegmentedPkg(opr_DoubleSegmentedPkg_Rcd& record, sdb_FolderNames folder, int access);
  // A new segment with room for at least n elements, of which n are used; null when it could
  // not be made.
  double* CreateSegment(std::uint32_t n);
  double* SegmentData() const { return static_cast<double*>(SegmentBytes()); }
};

class ZMX_EXPORT opr_UIntSegmentedPkg : public opr_SegmentedPkg {
 public:
  opr_UIntSegmentedPkg(opr_UIntSegmentedPkg_Rcd& record, sdb_FolderNames folder, int access);
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
  opr_ElementOperator(opr_ElementOperator_Rcd& record, int access, int fourthAccess);
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

// ---- Named sets, handle-based containers, long labels and path names -----------------------

// ---- Sequential units, user-named files, debug dump, size reports, wave file ----------------

// ---- Results file, results units, run-wide defaults, orderly exit ---------------------------

// ---- Page pools, record units, substructure libraries ---------------------------------------
