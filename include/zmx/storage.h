// Storage, files and module frame: the exported routines and records of subsystem 1.
#pragma once

#include "runtime/fortran_types.h"
#include "runtime/record.h"
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
  // A folder a host builds for itself, outside the manager: it goes on from the record's next
  // free address, counts its spill files from address 0 and has no directory or size lists, so
  // its spill files lie in the current directory and hold 2147483647 bytes each. The two texts
  // and the writable text belong to the host; the folder keeps none of them.
  sdb_Folder(const char* jobName, const char* firstText, const char* secondText, char* workText,
             sdb_FolderRecord* record, const char* folderName);
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

// Named node and element sets. A set list hashes set names (at most 80 characters, no trailing
// blanks) into 997 buckets; a bucket holds the head record of a chain. The member, internal-number
// and sorted internal-number arrays are address words (tag "SETA") so that upper-case callers can
// keep them in 4-byte integers.

class cow_String;

namespace zmx {
template <class V>
class FlatIntMap;
// Label -> 0-based position in the model's label list.
using LabelTable = FlatIntMap<Int>;
}  // namespace zmx

class ZMX_EXPORT SetRecord {
 public:
  static constexpr int kNameLength = 80;

  SetRecord() = default;
  // Releases this record's name and arrays and every record chained after it.
  ~SetRecord();
  SetRecord(const SetRecord&) = delete;
  SetRecord& operator=(const SetRecord&) = delete;

  // Adds n members to the set of the name in this chain (this record is the chain's head).
  // 1: a new set; 0: an existing set; -1: an existing set whose sorted flag differed from
  // sorted (it is sorted from now on). A sorted add sorts the caller's members in place: its
  // distinct members then stand ascending at the front.
  int AddSet(const char* name, int n, int* members, int sorted);
  // True when the set was in this chain and is removed.
  bool DeleteSet(const char* name);
  SetRecord* GetSet(const char* name);

  bool IsEmpty() const { return name_ == nullptr; }
  const char* Name() const { return name_ != nullptr ? name_ : ""; }
  int MemberCount() const { return members_.count; }
  const int* Members() const { return members_.data; }
  Int MembersWord() const { return members_.word; }
  int InternalCount() const { return internal_.count; }
  const int* Internal() const { return internal_.data; }
  Int InternalWord() const { return internal_.word; }
  // The sorted copy of the internal numbers (InternalCount() of them), 0 when none was made.
  Int SortedInternalWord() const { return sortedInternal_.word; }
  const int* SortedInternal() const { return sortedInternal_.data; }
  int SortedFlag() const { return sorted_; }
  SetRecord* Next() const { return next_; }

  // Internal numbers from the label table: each member found gives its position + 1, absent
  // members are skipped; nothing happens without a table or labels. With sortedCopy the
  // internal numbers are also kept sorted.
  void ConvertSingleSet(const zmx::LabelTable* table, int labelCount, bool sortedCopy);

 private:
  friend class SetList;

  // An owned int array laid into the address space.
  struct WordArray {
    int* data = nullptr;
    Int word = 0;
    int count = 0;
  };

  static int FindValue(const int* values, int n, int value);
  static int Sort(int* values, int n);
  static int SortWith(int* values, int n, int* scratch);
  static int Bubble(int* values, int n);
  static int Merge(int* out, const int* a, int na, const int* b, int nb);

  void Fill(const char* name, int n, int* members, int sorted);
  void AddToExisting(int n, int* members, int sorted);
  void Release();
  void TakeFrom(SetRecord& other);
  void ConvertToInternal(const int* labels, int n, bool sortedCopy, bool general, const zmx::LabelTable& table);
  void Exclude(const int* list, int m);
  void MakeSortedCopy();

  char* name_ = nullptr;
  WordArray members_;
  WordArray internal_;
  WordArray sortedInternal_;
  SetRecord* next_ = nullptr;
  int sorted_ = 1;
};

class ZMX_EXPORT SetList {
 public:
  static constexpr int kBuckets = 997;

  SetList();
  ~SetList();
  SetList(const SetList&) = delete;
  SetList& operator=(const SetList&) = delete;

  // 0, or -1 when an existing set's sorted flag differed (see SetRecord::AddSet).
  int AddSet(const char* name, int n, int* members, int sorted);
  // True when a set of the name was removed.
  bool DeleteSet(const char* name);
  SetRecord* GetSet(const char* name);
  // Internal numbers of every set from the label list (labels ascending unless general) and
  // the table built from it.
  void CreateInternal(const int* labels, int n, bool sortedCopy, bool general, const zmx::LabelTable& table);
  // Removes the members of the sets whose names begin with one of the k names from every
  // other set.
  void RemoveFakeElement(int capacity, const char* const* names, const int* lengths, int k);
  // The first set for null, else the set after the named one; null at the end.
  SetRecord* FindNextSet(const char* name);
  // The number of sets; when there is one, its first name goes into firstName (81 bytes).
  int GetNumberSets(char* firstName);

 private:
  static int Hash(const char* name);
  SetRecord* FirstSetFrom(int bucket);

  SetRecord* buckets_ = nullptr;
  int count_ = 0;
};

// The element and node set lists; null until operation 0 of dbesetC / dbnsetC.
ZMX_EXPORT extern SetList* eslist;
ZMX_EXPORT extern SetList* nslist;

// The set services by operation code. name: a terminated name (trailing blanks and anything
// past 80 characters are not part of it); operations 9, 10 and 14 write a name back, so the
// buffer must hold 81 bytes. The result is an address word of an int array, or 0.
ZMX_EXPORT int dbesetC(int operation, char* name, int& count, int* members, int& status);
ZMX_EXPORT int dbnsetC(int operation, char* name, int& count, int* members, int& status);

extern "C" {
// The same for upper-case callers: the name is a blank-padded field of the caller's length
// (read as 80 characters), names handed back are written blank-padded to that length.
ZMX_EXPORT Int DBESET(const Int* operation, char* name, Int nameLength, Int* count, Int* members, Int* status);
ZMX_EXPORT Int DBNSET(const Int* operation, char* name, Int nameLength, Int* count, Int* members, Int* status);
}

// Handle-based containers. CREATE gives a handle (an address word tagged by family; 0 when no
// memory); every other routine takes the handle itself, by value, first. A handle of another
// family or of a deleted container is reported and nothing is done. INSERT of a present key
// replaces its value. GETMAP and the pair-set GET write as many entries as the container holds:
// callers size the arrays (SIZE for the maps, their own pair count for the pair set).
extern "C" {
ZMX_EXPORT Int SHR_MAPINT2INTCREATE();
ZMX_EXPORT Int SHR_MAPINT2INTCREATECOPY(Int handle);
ZMX_EXPORT Int SHR_MAPINT2INTCLEAR(Int handle);
ZMX_EXPORT Int SHR_MAPINT2INTDELETE(Int handle);
ZMX_EXPORT Int SHR_MAPINT2INTINSERT(Int handle, const Int* key, const Int* value);
ZMX_EXPORT Int SHR_MAPINT2INTINSERTLIST(Int handle, const Int* keys, const Int* values, const Int* n);
ZMX_EXPORT Int SHR_MAPINT2INTISMEMBER(Int handle, const Int* key);
ZMX_EXPORT Int SHR_MAPINT2INTISEMPTY(Int handle);
ZMX_EXPORT Int SHR_MAPINT2INTSIZE(Int handle);
// The key must be present (test with ISMEMBER); an absent key gives 0.
ZMX_EXPORT Int SHR_MAPINT2INTGET(Int handle, const Int* key);
ZMX_EXPORT Int SHR_MAPINT2INTGETLIST(Int handle, const Int* keys, Int* values, const Int* n);
ZMX_EXPORT Int SHR_MAPINT2INTGETMAP(Int handle, Int* keys, Int* values);

// String keys are compared without their trailing blanks. GET of an absent key gives 0.
ZMX_EXPORT Int SHR_MAPSTRING2INTCREATE();
ZMX_EXPORT Int SHR_MAPSTRING2INTCREATECOPY(Int handle);
ZMX_EXPORT Int SHR_MAPSTRING2INTCLEAR(Int handle);
ZMX_EXPORT Int SHR_MAPSTRING2INTDELETE(Int handle);
ZMX_EXPORT Int SHR_MAPSTRING2INTINSERT(Int handle, const char* key, Int keyLength, const Int* value);
ZMX_EXPORT Int SHR_MAPSTRING2INTISMEMBER(Int handle, const char* key, Int keyLength);
ZMX_EXPORT Int SHR_MAPSTRING2INTISEMPTY(Int handle);
ZMX_EXPORT Int SHR_MAPSTRING2INTSIZE(Int handle);
ZMX_EXPORT Int SHR_MAPSTRING2INTGET(Int handle, const char* key, Int keyLength);

// Array-valued maps: GET gives -1 for an absent key, -2 when the stored length exceeds the
// capacity, else the length. GETITER gives an iterator over a copy of the keys (0 for an empty
// map); GETNEXT gives 1 for a 0 or spent iterator, else the next key and 0. The iterator
// releases itself after its last key.
ZMX_EXPORT Int SHR_MAPINT2FINTCREATE();
ZMX_EXPORT Int SHR_MAPINT2FINTCLEAR(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FINTDELETE(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FINTINSERT(Int handle, const Int* key, const Int* values, const Int* n);
ZMX_EXPORT Int SHR_MAPINT2FINTISMEMBER(Int handle, const Int* key);
ZMX_EXPORT Int SHR_MAPINT2FINTISEMPTY(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FINTSIZE(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FINTGET(Int handle, const Int* key, Int* values, const Int* capacity);
ZMX_EXPORT Int SHR_MAPINT2FINTGETITER(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FINTGETNEXT(Int iterator, Int* key);

ZMX_EXPORT Int SHR_MAPINT2FDBLCREATE();
ZMX_EXPORT Int SHR_MAPINT2FDBLCLEAR(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FDBLDELETE(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FDBLINSERT(Int handle, const Int* key, const Real* values, const Int* n);
ZMX_EXPORT Int SHR_MAPINT2FDBLISMEMBER(Int handle, const Int* key);
ZMX_EXPORT Int SHR_MAPINT2FDBLISEMPTY(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FDBLSIZE(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FDBLGET(Int handle, const Int* key, Real* values, const Int* capacity);
ZMX_EXPORT Int SHR_MAPINT2FDBLGETITER(Int handle);
ZMX_EXPORT Int SHR_MAPINT2FDBLGETNEXT(Int iterator, Int* key);

// GETNEXT writes the key blank-padded; a key longer than the field gives 1 and the iterator
// stays where it is.
ZMX_EXPORT Int SHR_MAPSTR2FDBLCREATE();
ZMX_EXPORT Int SHR_MAPSTR2FDBLCLEAR(Int handle);
ZMX_EXPORT Int SHR_MAPSTR2FDBLDELETE(Int handle);
ZMX_EXPORT Int SHR_MAPSTR2FDBLINSERT(Int handle, const char* key, Int keyLength, const Real* values, const Int* n);
ZMX_EXPORT Int SHR_MAPSTR2FDBLISMEMBER(Int handle, const char* key, Int keyLength);
ZMX_EXPORT Int SHR_MAPSTR2FDBLISEMPTY(Int handle);
ZMX_EXPORT Int SHR_MAPSTR2FDBLSIZE(Int handle);
ZMX_EXPORT Int SHR_MAPSTR2FDBLGET(Int handle, const char* key, Int keyLength, Real* values, const Int* capacity);
ZMX_EXPORT Int SHR_MAPSTR2FDBLGETITER(Int handle);
ZMX_EXPORT Int SHR_MAPSTR2FDBLGETNEXT(Int iterator, char* key, Int keyLength);

// A set of (key, value) pairs; INSERT adds the pair even when it is present already.
ZMX_EXPORT Int SHR_INTEGERPAIRSETCREATE();
ZMX_EXPORT Int SHR_INTEGERPAIRSETCLEAR(Int handle);
ZMX_EXPORT Int SHR_INTEGERPAIRSETDELETE(Int handle);
ZMX_EXPORT Int SHR_INTEGERPAIRSETINSERT(Int handle, const Int* key, const Int* value);
ZMX_EXPORT Int SHR_INTEGERPAIRSETINSERTUNIQUE(Int handle, const Int* key, const Int* value);
ZMX_EXPORT Int SHR_INTEGERPAIRSETISMEMBER(Int handle, const Int* key, const Int* value);
ZMX_EXPORT Int SHR_INTEGERPAIRSETISKEYMEMBER(Int handle, const Int* key);
ZMX_EXPORT Int SHR_INTEGERPAIRSETISEMPTY(Int handle);
ZMX_EXPORT Int SHR_INTEGERPAIRSETGET(Int handle, const Int* key, Int* values);
ZMX_EXPORT Int SHR_INTEGERPAIRSETGETMAP(Int handle, Int* keys, Int* values);

// Red-black trees in parallel 1-based arrays (keys, left, right, colour: 1 red, 0 black; node
// 0 is none). NTRROT rotates on the search path of key below y and returns the lifted node;
// NTRSPL splits node on the way down an insertion, updating parent and node.
ZMX_EXPORT Int NTRROT(const Int* key, const Int* y, const Int* keys, Int* left, Int* right, Int* colour);
ZMX_EXPORT Int NTRSPL(const Int* key, const Int* greatGrandparent, const Int* grandparent, Int* parent, Int* node,
                      const Int* keys, Int* left, Int* right, Int* colour, const Int* head);
// Drops pairs equal to their predecessor in both arrays, packing the rest forward; count
// receives the number dropped.
ZMX_EXPORT void REMOVEDUPLICATEINT2(Int* a, Int* b, const Int* n, Int* count);

// Long labels: hands the operation and the 80-character label to the label store.
ZMX_EXPORT Int DBLABEL(const Int* operation, char* label, Int labelLength);
// The directory part of a file name, its full length and whether it is absolute (a leading
// "/" on this platform).
ZMX_EXPORT void SHR_GETPATH(const char* file, Int fileLength, char* directory, Int directoryLength,
                            Int* directoryLengthOut, Int* absolute);
// Rewrites the path in place in native form: trimmed, "\" turned into "/", left-aligned.
ZMX_EXPORT void SHR_CONVERTTONATIVE(char* path, Int pathLength);
}

namespace zmx {
// Replaces the first character of every occurrence of pattern in text by the first character
// of replacement, resuming one position after each hit.
ZMX_EXPORT void substitute(cow_String& text, const char* pattern, const char* replacement);
}  // namespace zmx


// ---- Sequential units, user-named files, debug dump, size reports, wave file ----------------

// Sequential job files (unformatted blocks of 8-byte words and lines of text), opened on first
// use by a fixed rule per unit number; CBUFFA word u counts the calls on unit u.
// CERRCD word 1: I/O error code of the explicit program (1 an open failed, 2 a write failed).
ZMX_RECORD_TYPE(CERRCD, 2);
extern "C" {
ZMX_EXPORT extern CERRCD_t CERRCD;
// op 0 read, 1 write, 2 rewind, 4 report an error, 5 close, 6 close and delete; status 0 or 1.
ZMX_EXPORT void DBSA(const Int* unit, void* buffer, const Int* n, const Int* op, Int* status);
ZMX_EXPORT void DBSAR(const Int* unit, void* buffer, const Int* n, Int* counters, Int* spare, Int* status);
// op 0 read, 1 and 10 write, 2 rewind, 4 report an error; one line of n characters.
ZMX_EXPORT void DBSASC(const Int* unit, char* text, Int textLength, const Int* n, const Int* op, Int* status);
ZMX_EXPORT void DBSASR(const Int* unit, char* text, Int textLength, const Int* width, const Int* n, Int* endFlag,
                       Int* errorFlag);
// type 1 formatted (first character '*'), 2 unformatted; status 0 found, 1 not.
ZMX_EXPORT void DBFLTP(const Int* unit, Int* type, Int* status);
ZMX_EXPORT void DBFLTP1(const Int* unit, Int* type, const char* name, Int nameLength, const Int* length, Int* word,
                        Int* status);
// Reopens the printed-output unit of CLINES on the named file for appending; ends the job when
// it cannot.
ZMX_EXPORT void SHR_REOPENDATAFILE(const char* name, Int nameLength);
}

// User-named files, at most 20. CUSRFN: word 1 entries in use, word 2 the maximum (20), words 3
// to 22 the unit of each entry (negative: closed since). CUSRFI: the 80-character names.
ZMX_RECORD_TYPE(CUSRFN, 22);
ZMX_RECORD_TYPE(CUSRFI, 20 * 80 / 4);
extern "C" {
ZMX_EXPORT extern CUSRFN_t CUSRFN;
ZMX_EXPORT extern CUSRFI_t CUSRFI;
// op 0 open for reading, 1 for writing, 2 rewind, 4 empty the table, 5 close and forget, 6 close
// all; type 1 formatted, 2 unformatted; outunit the unit to use; status 0 or 1.
ZMX_EXPORT void DBUSRF(const Int* op, Int* unit, Int* outunit, const char* name, Int nameLength, const Int* type,
                       Int* status);
}

// Debug dump. CDWFIL word 1: the dump unit (-1 off, 0 the job's log, 6 standard output, the
// printed-output or message unit of CLINES, 201 the dump file); word 2: the largest count DWGN
// dumps without a warning; characters 9 to 263: the name of the file on unit 201.
ZMX_RECORD_TYPE(CDWFIL, 68);
extern "C" {
ZMX_EXPORT extern CDWFIL_t CDWFIL;
// Selects the target: "off", blank (the default), ".dat", ".log", ".msg" (pre-processor), an
// extension of the job name or a file name; a leading '>' replaces the file instead of appending.
ZMX_EXPORT void DWTO(const char* name, Int nameLength);
ZMX_EXPORT void DWMKNAME(char* result, Int resultLength, const char* base, Int baseLength, const char* directory,
                         Int directoryLength, const char* extension, Int extensionLength);
ZMX_EXPORT void DW2I(const char* label, Int labelLength, const Int* first, const Int* second);
ZMX_EXPORT void DW2R(const char* label, Int labelLength, const Real* first, const Real* second);
ZMX_EXPORT void DWCH(const char* label, Int labelLength);
ZMX_EXPORT void DWAI(const char* label, Int labelLength, const Int* a, const Int* m, const Int* n);
ZMX_EXPORT void DWAR(const char* label, Int labelLength, const Real* a, const Int* m, const Int* n);
ZMX_EXPORT void DWTAI(const char* label, Int labelLength, const Int* a, const Int* m, const Int* n);
ZMX_EXPORT void DWTAR(const char* label, Int labelLength, const Real* a, const Int* m, const Int* n);
ZMX_EXPORT void DWVI(const char* label, Int labelLength, const Int* v, const Int* n);
ZMX_EXPORT void DWVR(const char* label, Int labelLength, const Real* v, const Int* n);
ZMX_EXPORT void DWGN(const char* label, Int labelLength, const void* words, const Int* n);
ZMX_EXPORT void DWGR(const char* label, Int labelLength, const void* record);
// One 8-byte word as DWGN shows it, blank-padded into text; length the characters used.
ZMX_EXPORT void DWGP1(const void* word, char* text, Int textLength, Int* length);
ZMX_EXPORT void DWSLDB(void* buffer);
ZMX_EXPORT void DWENICS(const Int* codes, const Int* values, const Int* n, const Int* unit, const Int* nodeDatabase,
                        const Int* nodeIndex);
}
// The body of DWGP1: the word seen as a real, as two integers and as 8 bytes, written as a
// terminated text (at most 64 characters with its terminator); returns its length.
ZMX_EXPORT int dwgp(const double* real, const int* integers, const char* bytes, char* text, int* length);

// Size reports on the printed-output unit. CNSIZ words 2 to 17: expected sizes in words of the
// 16 data-base units of the solver's unit list; words 24 to 26: the three restart-file sizes.
ZMX_RECORD_TYPE(CNSIZ, 32);
extern "C" {
ZMX_EXPORT extern CNSIZ_t CNSIZ;
ZMX_EXPORT void PRINTPROBLEMSIZE();
ZMX_EXPORT void PRINTRESTARTFILESIZE();
// sizes: megabytes of the solver factor, operator and solution files and of the Lanczos vector,
// eigenvector and scratch files.
ZMX_EXPORT void PRINTSPARSESOLVERSIZEINFO(const Int* units, const Real* sizes, const Real* total, const Real* upperBound,
                                          const Int* lanczos, const Int* wavefront, const Real* operations);
}

// Wave-kinematics data file on unit 46. CPLDBPT word 5: 0 closed, 1 open before its first
// record, 2 header and grid read. op 0 open (the 32-character name coded at the start of the
// array), 1 close, 2 rewind, 10 read the header and grid into the array of 8-byte words.
ZMX_RECORD_TYPE(CPLDBPT, 8);
extern "C" {
ZMX_EXPORT extern CPLDBPT_t CPLDBPT;
ZMX_EXPORT void DBPELACONTROL(const Int* op, void* array, Int* status);
}

// ---- Results file, results units, run-wide defaults, orderly exit ---------------------------

#include "runtime/record.h"  // named record types

// Records of the results file: 8-byte words, word 1 the record length L (itself included) and
// word 2 the key, both integer-valued reals. Key 2001 ends a file. The binary form packs the
// records into blocks of 512 words; the ASCII form writes them as tagged items in 80-column
// lines. Every routine reports through a trailing status: 0 success, 1 failure or end of data,
// 2 a record written or read with conversion errors or read after a damaged record was skipped.

// Descriptor of the first results stream in binary form.
ZMX_RECORD_TYPE(CDFILE, 8);
// Descriptor of the second results stream (unit 9) in binary form, and its block buffer.
ZMX_RECORD_TYPE(CDFILR, 6);
ZMX_RECORD_TYPE(CDFILS, 2 * 512);
// Word 1: form of the second stream, 1 ASCII, anything else binary.
ZMX_RECORD_TYPE(COUTF, 2);
// ASCII descriptors of the first and second stream, and the line buffers: characters 1-128 the
// active line, 129-256 the second stream's line while the first is active, 257-384 a save area.
ZMX_RECORD_TYPE(CDAFLE, 6);
ZMX_RECORD_TYPE(CDAFLR, 6);
ZMX_RECORD_TYPE(CDFLAS, 384 / 4);
// Results units of user programs: eight columns of 30 words (one row per unit 1 to 30), the
// parked block buffers of binary units (512 words each) and line buffers of ASCII units (128
// characters each).
ZMX_RECORD_TYPE(CDPF, 8 * 30);
ZMX_RECORD_TYPE(CDFILB, 30 * 2 * 512);
ZMX_RECORD_TYPE(CDFILA, 30 * 128 / 4);
// Field labels: eight conjugate names of 9 characters, then eight field names of 8.
ZMX_RECORD_TYPE(CFLDLB, (8 * 9 + 8 * 8) / 4);
// Dynamic-procedure values and the output-database state.
ZMX_RECORD_TYPE(CDYN, 100);
ZMX_RECORD_TYPE(CODB, 64);

extern "C" {
ZMX_EXPORT extern CDFILE_t CDFILE;
ZMX_EXPORT extern CDFILR_t CDFILR;
ZMX_EXPORT extern CDFILS_t CDFILS;
ZMX_EXPORT extern COUTF_t COUTF;
ZMX_EXPORT extern CDAFLE_t CDAFLE;
ZMX_EXPORT extern CDAFLR_t CDAFLR;
ZMX_EXPORT extern CDFLAS_t CDFLAS;
ZMX_EXPORT extern CDPF_t CDPF;
ZMX_EXPORT extern CDFILB_t CDFILB;
ZMX_EXPORT extern CDFILA_t CDFILA;
ZMX_EXPORT extern CFLDLB_t CFLDLB;
ZMX_EXPORT extern CDYN_t CDYN;
ZMX_EXPORT extern CODB_t CODB;
}

namespace zmx::results {

inline constexpr int kBlockWords = 512;
inline constexpr int kLineLength = 80;
inline constexpr int kLineBuffer = 128;
inline constexpr int kEndKey = 2001;
// Longest record a reader stores when the caller gives no size of its array.
inline constexpr int kMaxRecordWords = 514;
inline constexpr int kResultsUnits = 30;

// CDFILE words.
inline constexpr int kBlockLength = 1;
inline constexpr int kUnit = 2;
inline constexpr int kBlockCount = 3;
inline constexpr int kBufferBase = 4;
inline constexpr int kPosition = 5;
inline constexpr int kState = 6;
inline constexpr int kLengthCheckOff = 7;
inline constexpr int kRunDefaultsMark = 8;
// CDFILR words.
inline constexpr int kSecondBlockLength = 1;
inline constexpr int kSecondUnit = 2;
inline constexpr int kSecondBlockCount = 3;
inline constexpr int kSecondPosition = 4;
inline constexpr int kSecondState = 5;
inline constexpr int kSecondInitMark = 6;
// CDAFLE and CDAFLR words.
inline constexpr int kLineLengthWord = 1;
inline constexpr int kLineUnit = 2;
inline constexpr int kLinePosition = 3;
inline constexpr int kLineLast = 4;
inline constexpr int kLineState = 5;
// CDPF columns.
inline constexpr int kDefined = 1;
inline constexpr int kSavedLength = 2;
inline constexpr int kSavedBlockCount = 3;
inline constexpr int kSavedBase = 4;
inline constexpr int kSavedPosition = 5;
inline constexpr int kSavedState = 6;
inline constexpr int kSavedLast = 7;
inline constexpr int kUnitForm = 8;
// Forms.
inline constexpr int kAscii = 1;
inline constexpr int kBinary = 2;

// Word of CDPF column `column` for unit u.
constexpr int unitWord(int column, int unit) { return kResultsUnits * (column - 1) + unit; }

}  // namespace zmx::results

extern "C" {
// Block-buffered transfer of 8-byte words over a caller-kept block state. buffer is the unit's
// block buffer (block length words). Operation 0 reads count words into data, 1 writes them,
// 2 rewinds, 3 (and above) writes out a modified buffer and rewinds. status is set by the
// sequential unit layer only.
ZMX_EXPORT void DBSEQ(const Int* operation, void* buffer, void* data, const Int* count, Int* position,
                      const Int* unit, const Int* blockLength, Int* blockCount, Int* state, Int* status);
// One record on the first results stream (binary or ASCII as CWORK word 26 says). Mode 0 reads,
// 1 writes, 2 rewinds, 3 writes out and rewinds, 10 and above ends the file.
ZMX_EXPORT void SHR_DBFILE(const Int* mode, Real* record, Int* status);
// Writes a record to the second results stream; a record with key 2001 ends the stream.
ZMX_EXPORT void SHR_DBFILW(const Int* mode, Real* record, Int* status);
// One record on a user-named file: operation 0 reads, 1 writes, 2 and above are handed to the
// user-file table. form 1 is ASCII, anything else binary.
ZMX_EXPORT void DBFILF(const Int* operation, Real* record, Int* unit, const char* name, Int nameLength,
                       const Int* form, Int* status);
// Called once the end record of the first stream is out; does nothing.
ZMX_EXPORT void DBFIN(const Int* unit);

// The ASCII codec over the active descriptor CDAFLE and line buffer (CDFLAS characters 1-128):
// operation 0 reads a record, 1 writes one, 10 ends the stream, others go to the line layer.
ZMX_EXPORT void DBFILA(const Int* operation, Real* record, Int* status);
// Line layer: 0 reads a line, 1 writes one, 10 finishes a written stream, 2 finishes and
// rewinds; other operations go to the sequential unit unchanged.
ZMX_EXPORT void DBSEQA(const Int* operation, char* buffer, Int bufferLength, const Int* size, Int* position,
                       const Int* unit, const Int* lineLength, Int* last, Int* state, Int* status);
// Writes items next..lastInteger as integers, then up to lastReal as reals, advancing next.
ZMX_EXPORT void AFILCH(const Int* operation, const Int* lastInteger, const Int* lastReal, Int* next, Real* record,
                       Int* status);
// Item writers: one item of the word at text (at most textLength characters are written);
// each returns the characters it used and sets status 0 or 2.
ZMX_EXPORT Int AINTCH(Real* word, char* text, Int textLength, Int* status);
ZMX_EXPORT Int ADRLCH(Real* word, char* text, Int textLength, Int* status);
ZMX_EXPORT Int ARCHCH(Real* word, char* text, Int textLength, Int* status);
// Item readers: text starts at the item's tag; at most textLength characters are read.
ZMX_EXPORT Int ACHINT(const char* text, Int textLength, Real* word, Int* status);
ZMX_EXPORT Int ACHDRL(const char* text, Int textLength, Real* word, Int* status);
ZMX_EXPORT Int ACHRCH(const char* text, Int textLength, Real* word, Int* status);

// Results units of user programs: declares the units of LRUNIT(2, count) (unit, form) and opens
// their files; makes a declared unit current; the starting values of the results streams; and a
// block of n 4-byte words from the heap as an address word (0 when none is left).
ZMX_EXPORT void SHR_INITPF(const char* name, Int nameLength, const Int* count, const Int* units,
                           const Int* outputForm);
ZMX_EXPORT void SHR_DBRNU(const Int* unit);
ZMX_EXPORT void INITF();
ZMX_EXPORT Int SHR_DBGETM(const Int* n);

// Run-wide defaults: constants and unit numbers, the defaults of a run, the pre-processor mark,
// and the NaN fill of a new array that "KVX_PATTERN" asks for.
ZMX_EXPORT void FIXCON();
ZMX_EXPORT void FIXVAL();
ZMX_EXPORT void INITXX();
ZMX_EXPORT void DBINIT(Real* array, const Int* count, const char* name, Int nameLength);

// Orderly exit of every kind of program, the sparse-operator switch, and an empty routine.
ZMX_EXPORT void SHR_XIT();
ZMX_EXPORT Int SHR_GETSPARSEFLAG(Int* flag);
ZMX_EXPORT void DBED();

// Width changes of integers in place (8-byte words to 4-byte integers and back), an overlap-safe
// copy of 8-byte words, and the date (16 characters in 4 integers) and time (8 in 2).
ZMX_EXPORT void ACOPEI(void* array, const Int* n);
ZMX_EXPORT void ACOPIE(void* array, const Int* n);
ZMX_EXPORT void ACOPY1(const void* from, void* to, const Int* n);
ZMX_EXPORT void ADATIM(Int* date, Int* time);

// Part maps: the named substructure's map (name + ".prt" in the input directory), the job's
// global map, closing the current map unsaved, and clearing the substructure-odb-open word.
ZMX_EXPORT void SHR_MAKEPRTMAPCURRENT(const char* name, Int nameLength);
ZMX_EXPORT void SHR_MAKEGLOBALPRTMAPCURRENT();
ZMX_EXPORT void SHR_CLOSENOSAVEPRTMAPCURRENT();
ZMX_EXPORT void SHR_CLOSESUBSTRODB();
}

// ---- Page pools, record units, substructure libraries ---------------------------------------

#include <vector>

#include "runtime/record.h"  // named record types

class cow_String;

// Page-pool table: owner unit of slot i (words 1-20), base word of its pool (21-40, set by the
// host), in-use flag (41-60: 1 in use, 0 idle with the owner's data kept), slot count (61).
ZMX_RECORD_TYPE(CDBPP, 62);
// Single-buffer units 6 (CDM) and 12 (CDME): block length, file unit, blocks since rewind, base
// word of the buffer, next position, buffer state; CDM word 7 the substructure-store address.
ZMX_RECORD_TYPE(CDM, 8);
ZMX_RECORD_TYPE(CDME, 8);
// Page tables of the paged units 3, 16, 18, 22 and 23 with their unit words.
ZMX_RECORD_TYPE(CDSUS, 40);
ZMX_RECORD_TYPE(CDHY, 18);
ZMX_RECORD_TYPE(CDND, 38);
ZMX_RECORD_TYPE(CDRR, 88);
ZMX_RECORD_TYPE(CDRW, 18);
// Word 3: words by which DBCORE has grown work arrays during the run.
ZMX_RECORD_TYPE(CSIZE, 4);
// Index areas of units 18 and 3 (word 1 the first word in the memory block of the address
// word 3) and of units 22 and 23 (the records themselves).
ZMX_RECORD_TYPE(CDNDIC, 4);
ZMX_RECORD_TYPE(CDSSIC, 4);
ZMX_RECORD_TYPE(CDRRIC, 64);
ZMX_RECORD_TYPE(CDRWIC, 64);
// Substructure-store table: word 1 its first row, word 3 the address word of its rows.
ZMX_RECORD_TYPE(CDSUPS, 4);
// CM unit: block length (512), file unit, blocks since rewind, position, buffer state.
ZMX_RECORD_TYPE(CDCM, 6);
// Word 7: 1 traces ML-store addresses.
ZMX_RECORD_TYPE(CTFV, 8);
// Word 7: ML-store word of the selection context.
ZMX_RECORD_TYPE(CMLADR, 8);

extern "C" {
ZMX_EXPORT extern CDBPP_t CDBPP;
ZMX_EXPORT extern CDM_t CDM;
ZMX_EXPORT extern CDME_t CDME;
ZMX_EXPORT extern CDSUS_t CDSUS;
ZMX_EXPORT extern CDHY_t CDHY;
ZMX_EXPORT extern CDND_t CDND;
ZMX_EXPORT extern CDRR_t CDRR;
ZMX_EXPORT extern CDRW_t CDRW;
ZMX_EXPORT extern CSIZE_t CSIZE;
ZMX_EXPORT extern CDNDIC_t CDNDIC;
ZMX_EXPORT extern CDSSIC_t CDSSIC;
ZMX_EXPORT extern CDRRIC_t CDRRIC;
ZMX_EXPORT extern CDRWIC_t CDRWIC;
ZMX_EXPORT extern CDSUPS_t CDSUPS;
ZMX_EXPORT extern CDCM_t CDCM;
ZMX_EXPORT extern CTFV_t CTFV;
ZMX_EXPORT extern CMLADR_t CMLADR;

// Page pools: operation 0 gives unit n pools, 1 stops using n of them (data kept), 2 gives up n
// without keeping data, 3 and 4 pack the table (unit receives the last free slot), 5 closes the
// unit (n receives the number of pools it was using).
ZMX_EXPORT void DBALOC(const Int* operation, Int* unit, Int* n);
// Tells one unit about one pool (codes 0 new, 1 taken, 2 handed back, 3 moved, 4 taken unwritten,
// 5 closing). For code 3 unit holds the slot the pool comes from and receives its owner.
// status 2 when the unit would hold more pages than it may.
ZMX_EXPORT void DBAL1(const Int* operation, Int* unit, const Int* slot, Int* status);
// The single-buffer form over the words of CDM or CDME.
ZMX_EXPORT void DBAL2(const Int* operation, const Int* slot, Int* base, const Int* fileUnit, const Int* blockLength,
                      Int* blocks, Int* state, Int* position, Int* status);
// The paged form over a unit's page table. A page beyond the table's maximum is refused with
// status 2 and the table is left as it was.
ZMX_EXPORT void DBAL3(const Int* operation, const Int* slot, Int* bases, const Int* fileUnit, const Int* pageLength,
                      Int* records, Int* modified, Int* ages, Int* count, const Int* oldSlot, Int* highest,
                      Int* status);
// Grows a work array of limit words by n words when n > limit (limit then becomes limit + n).
ZMX_EXPORT void DBCORE(const Int* n, Int* limit);
// Raises the analysis database's stack memory in use by 8n bytes; non-zero on success.
ZMX_EXPORT Int SHR_DBCORE(const Int* n);
}

namespace zmx::units {

// CDBPP
inline constexpr int kSlots = 20;
inline constexpr int kOwner = 0;     // + slot
inline constexpr int kBase = 20;     // + slot
inline constexpr int kInUse = 40;    // + slot
inline constexpr int kSlotCount = 61;

// Single-buffer unit words (CDM, CDME; CDCM words 1-5 are the same block state without a base).
inline constexpr int kBlockLength = 1;
inline constexpr int kFileUnit = 2;
inline constexpr int kBlocks = 3;
inline constexpr int kBufferBase = 4;
inline constexpr int kPosition = 5;
inline constexpr int kState = 6;
inline constexpr int kStoreAddress = 7;  // CDM

// CSIZE
inline constexpr int kCoreGrowth = 3;

}  // namespace zmx::units

extern "C" {
// Node record of one node: operation 0 reads, 1 writes (paged unit 18 or the substructure store,
// by the kind of program).
ZMX_EXPORT void DBND(const Int* operation, void* array, const Int* node);
// In-core substructure store (unit 3): 0 read, 1 write, 2 open a region, 3 close it, 4 pack,
// others clear the region; kind 1 node records, 3 and 4 variable-length records (index advances).
ZMX_EXPORT void DBSUPS(const Int* operation, const Int* kind, Int* index, void* array, const Int* row, Int* status);
// Restart-file records: 0 read, 1 write, 2 skip one record of the file being read; address
// advances by the record's length.
ZMX_EXPORT void DBRE(const Int* operation, void* array, Int* address, Int* status);
// Looks up the step directory of the restart file from address (array is the record buffer).
ZMX_EXPORT void SHR_MRESTSTEPINC(void* array, const Int* address, Int* step, Int* increment, Int* value1,
                                 Int* value2);
// CM unit: operation 0 reads, any other writes, n words (0: the record's own length).
ZMX_EXPORT void DBCM(const Int* operation, void* array, const Int* n, Int* status);
// One CM record from the CM unit or the substructure store (which 1) or the restart file (2).
ZMX_EXPORT void DBCM1(const Int* operation, void* array, const Int* n, Int* address, const Int* which, Int* status);
// Copies one CM record into block k of the ML store at relative address n.
ZMX_EXPORT void CMTOML(void* array, Int* n, const Int* k, Int* address, const Int* which);
// ML-store access with an address relative to block k.
ZMX_EXPORT void DBMLRL(const Int* operation, const Int* k, const Int* n, void* array1, void* array2, Int* address,
                       Int* status);
// M unit 6: operation 0 or below reads, 1 writes, 2 and above rewinds (store form only).
ZMX_EXPORT void SHR_DBM(const Int* operation, void* array, Int* status);
}

extern "C" {
// Opens, keeps or closes the substructure library of the selection and enters a substructure.
// operation 1 enters, 2 opens only; request 0 closes the selection, otherwise it is the number
// of the substructure in the library. status: positive selects the caller's row of the in-core
// store; negative uses the substructure under its own (third) name. prtFlag receives 1 when the
// substructure's ".prt" can be used. stateHandle and odbHandle (-1: none yet) receive the
// substructure's state file and output database. limit is the caller's work-array size, grown
// to hold the index words; indexWords receives the index record as 4-byte integers (CDSINX word
// 281 of them). Names: the library (80 characters), the job's working name, the substructure's
// long label and its identifier "Z<n>" (160 each).
ZMX_EXPORT void DBSUPERLIB(const Int* operation, const Int* request, Int* status, Int* prtFlag, const Int* row,
                           Int* stateHandle, Int* odbHandle, Int* limit, void* indexWords, const char* library,
                           Int libraryLength, char* second, Int secondLength, char* third, Int thirdLength,
                           char* fourth, Int fourthLength);
// Library names and long labels by operation: 0 hands out the names table, the index record,
// the library number and the selection context (7 words); 1, 2 and 4 write the index record
// back; 3 and 5 take the names table and switch to library `request`; names is a table of
// 500 entries of 81 characters.
ZMX_EXPORT void GETSUPLIBNAME(const Int* operation, const Int* request, Int* indexArray, Int* context,
                              Int* libraryNumber, Int* dofWord, Int* dbHandle, char* name, Int nameLength,
                              char* names, Int namesLength, char* second, Int secondLength);
// Closes the selection, writing back the library's index words when they changed.
ZMX_EXPORT void SUPCLS();
// Compacts the open library file (block count must be 29).
ZMX_EXPORT void DBSUPC(Int* indexRecords, Int* entries, Real* buffer, const Int* blockCount, const Int* bufferLength);
// active(k) := 1 for each dof k that the flags or a retained code of the first `nodes` nodes
// make active; a retained code is 100 (node - 1) + dof.
ZMX_EXPORT void SHR_SUBSTRACTIVEDOF(Int* active, const Int* codes, const Int* n, const Int* nodes, const Int* flags);
// Completes the retained codes so that each node carries whole groups (at most 6 codes per node).
ZMX_EXPORT void SHR_SUPACT(Int* codes, Int* n, const Int* nodes);
}

// Plain-call forms: the names as strings; indexWords is the address word of the index words
// (0: none). dbSuperLibC copies the third and fourth names back (and the second when the status
// comes back negative); getsuplibnameC lays the list into the names table for operations 3
// and 5, and appends the names handed out by operation 0 (up to the first empty one, 499 at most).
ZMX_EXPORT void dbSuperLibC(int operation, int request, int& status, cow_String& library, cow_String& second,
                            int& prtFlag, int& stateHandle, int& odbHandle, cow_String& fourth, cow_String& third,
                            int& limit, int row, int indexWords);
ZMX_EXPORT void getsuplibnameC(int operation, int request, Int* indexArray, Int* context, int& libraryNumber,
                               int& dofWord, cow_String& name, std::vector<cow_String>& names, int& dbHandle,
                               cow_String& second);
