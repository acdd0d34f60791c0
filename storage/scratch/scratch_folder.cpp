// Scratch-database folders: 64-bit address spaces over series of spill files, with bump
// allocation of sector-aligned space and mapped buffers read from and written to it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "storage/scratch/scratch_support.h"
#include "zmx/storage.h"

namespace {

using zmx::scratch::addToTally;
using zmx::scratch::SpillFile;
using zmx::scratch::spillFileHolding;
using zmx::scratch::takeFromTally;

// A buffer of the library's own; the run ends (reported) when memory is out.
void* allocateBuffer(std::size_t bytes) {
  void* p = std::malloc(std::max<std::size_t>(bytes, 1));
  if (p == nullptr) sdb_OutOfMemoryError(bytes);
  return p;
}

}  // namespace

sdb_Folder::sdb_Folder(const char* jobName, const char* folderName, unsigned directoryCount, unsigned sizeCount,
                       const char* const* directories, const std::uint32_t* sizes, sdb_FolderRecord* record)
    : handler_(jobName, directoryCount, sizeCount, directories, sizes, folderName),
      jobName_(jobName),
      record_(record),
      directoryCount_(directoryCount),
      sizeCount_(sizeCount),
      directories_(directories),
      sizes_(sizes) {
  std::snprintf(extension_, sizeof extension_, ".%.3s", folderName != nullptr ? folderName : "");
  ResetFolderRecord(record);
}

sdb_Folder::sdb_Folder(const char* jobName, const char* /*firstText*/, const char* /*secondText*/, char* /*workText*/,
                       sdb_FolderRecord* record, const char* folderName)
    : sdb_Folder(jobName, folderName, 0, 0, nullptr, nullptr, record) {
  // Its spill files count from address 0, whatever start the record holds; Allocate moves on
  // to the file that holds the next free address.
  fileIndex_ = 0;
  fileStart_ = sdb_SULong();
  fileFree_ = FileSize(0) > nextFree_.Value() ? FileSize(0) - nextFree_.Value() : 0;
}

sdb_Folder::~sdb_Folder() {
  if (!handler_.CompleteWrite()) WriteError();
}

std::uint64_t sdb_Folder::FileSize(std::uint64_t k) const { return zmx::scratch::spillFileSize(sizes_, sizeCount_, k); }

void sdb_Folder::ResetFolderRecord(sdb_FolderRecord* record) {
  record_ = record;
  nextFree_ = record->nextFree;
  // The current file is the one that starts at the recorded start; its free bytes are what
  // lies beyond the next free address, so a reopened folder never hands out used space.
  const SpillFile file = spillFileHolding(sizes_, sizeCount_, record->fileStart.Value());
  fileIndex_ = file.index;
  fileStart_ = sdb_SULong::FromValue(file.start);
  const std::uint64_t end = file.start + file.size;
  fileFree_ = end > nextFree_.Value() ? end - std::max(nextFree_.Value(), file.start) : 0;
}

sdb_SULong sdb_Folder::Allocate(std::size_t size, unsigned alignment) {
  const std::uint64_t sector = handler_.SectorSize();
  const std::uint64_t unit = (std::max<std::uint64_t>(alignment, sector) + sector - 1) / sector * sector;
  std::uint64_t index = fileIndex_;
  std::uint64_t start = fileStart_.Value();
  std::uint64_t next = std::max(nextFree_.Value(), start);
  std::uint64_t free = fileFree_;
  // The folder stands at the file, with the next free address and the bytes free in it.
  const auto standAt = [this](std::uint64_t file, std::uint64_t first, std::uint64_t nextFree, std::uint64_t bytesFree) {
    fileIndex_ = file;
    fileStart_ = sdb_SULong::FromValue(first);
    fileFree_ = bytesFree;
    nextFree_ = sdb_SULong::FromValue(nextFree);
    record_->nextFree = nextFree_;
    record_->fileStart = fileStart_;
    if (sdb_Manager* manager = gettheSdbManager()) manager->MarkHeaderDirty();
  };
  for (;;) {
    const std::uint64_t gap = (unit - (next - start) % unit) % unit;
    if (size + gap <= free) {
      standAt(index, start, next + gap + size, free - size - gap);
      return sdb_SULong::FromValue(next + gap);
    }
    // The next spill file, or the one that holds the next free address when that lies further
    // on: never below what was handed out already.
    const SpillFile file = spillFileHolding(sizes_, sizeCount_, std::max(start + FileSize(index), nextFree_.Value()));
    index = file.index;
    start = file.start;
    next = std::max(start, nextFree_.Value());
    free = start + file.size - next;
    if (index >= sizeCount_ && size > file.size) break;  // the last size of the list, reused, is too small
  }
  standAt(index, start, next, free);  // the files passed over stay behind
  char text[400];
  std::snprintf(text, sizeof text,
                "After %d spill files have been created, there is no file size in the size list for file %s that can "
                "satisfy the minimum required file size of %d bytes",
                static_cast<int>(index), Name(), static_cast<int>(std::min<std::size_t>(size, 2147483647u)));
  cfi_WriteMessage(-3, text);
  return sdb_SULong::Invalid();
}

void sdb_Folder::UseFileCache() { handler_.UseFileCache(); }

void sdb_Folder::ReadAhead(sdb_SULong address, std::size_t size) { handler_.ReadAhead(address, size); }

void sdb_Folder::WriteError() {
  const Int letters[3] = {static_cast<unsigned char>(extension_[1]), static_cast<unsigned char>(extension_[2]),
                          static_cast<unsigned char>(extension_[3])};
  SDB_WRITEFAIL(letters);
}

// ---- Regular folder -----------------------------------------------------------------------------

sdb_Folder* sdb_RegularFolder::Construct(void* place, const char* jobName, const char* folderName,
                                         unsigned directoryCount, unsigned sizeCount, const char* const* directories,
                                         const std::uint32_t* sizes, sdb_FolderRecord* record) {
  return new (place) sdb_RegularFolder(jobName, folderName, directoryCount, sizeCount, directories, sizes, record);
}

bool sdb_RegularFolder::ReadInto(sdb_SULong address, std::size_t size, void* buffer) {
  return size != 0 && handler_.Read(address, size, buffer) == size;
}

void sdb_RegularFolder::WriteFrom(sdb_SULong address, std::size_t size, const void* buffer) {
  if (handler_.Write(address, size, buffer) != size) WriteError();
}

void* sdb_RegularFolder::Map(sdb_IssueAccessMode mode, sdb_SULong address, std::size_t size) {
  addToTally(size);
  void* buffer = allocateBuffer(size);
  if ((mode == sdb_Read || mode == sdb_Modify) && !ReadInto(address, size, buffer)) {
    takeFromTally(size);
    std::free(buffer);
    return nullptr;
  }
  return buffer;
}

void sdb_RegularFolder::UnMap(sdb_IssueAccessMode mode, sdb_SULong address, std::size_t size, void* buffer) {
  if ((mode == sdb_Modify || mode == sdb_WriteNew) && size != 0 && buffer != nullptr) WriteFrom(address, size, buffer);
  std::free(buffer);
  takeFromTally(size);
}

void sdb_RegularFolder::Sync(sdb_IssueAccessMode mode, sdb_SULong address, std::size_t size, void* buffer) {
  if (mode == sdb_Read)
    ReadInto(address, size, buffer);  // a failure is reported by the handler
  else if (mode == sdb_WriteNew)
    WriteFrom(address, size, buffer);
}

sdb_MemoryPointer* sdb_RegularFolder::Fill(sdb_MemoryPointer* pointer, sdb_IssueAccessMode mode, sdb_SULong address) {
  pointer->data = reinterpret_cast<char*>(pointer) + sdb_MemoryPointer::kDataOffset;
  pointer->mode = mode;
  pointer->address = address;
  return pointer;
}

sdb_MemoryPointer* sdb_RegularFolder::CreateMap(sdb_IssueAccessMode mode, sdb_SULong address, std::size_t size) {
  const std::size_t bytes = sdb_MemoryPointer::kDataOffset + size;
  addToTally(bytes);
  auto* pointer = new (allocateBuffer(bytes)) sdb_MemoryPointer();
  pointer->allocated = bytes;
  Fill(pointer, mode, address);
  if (address.Value() + size > nextFree_.Value()) {
    std::fprintf(stderr, "o_fileExtension = %s\n", extension_);
    std::fprintf(stderr, "o_allocatedSize = %u\n", nextFree_.low);
    std::fprintf(stderr, "offset = %u\n", address.low);
    std::fprintf(stderr, "size = %u\n", static_cast<unsigned>(size));
  }
  if ((mode == sdb_Read || mode == sdb_Modify) && !ReadInto(address, size, pointer->data)) {
    UnMap(sdb_Read, address, 0, pointer);
    return &empty_;
  }
  return pointer;
}

sdb_MemoryPointer* sdb_RegularFolder::Remap(sdb_IssueAccessMode mode, sdb_SULong address, std::size_t oldSize,
                                            std::size_t newSize, sdb_MemoryPointer* pointer) {
  bool held = pointer != nullptr && pointer != &empty_;
  if (held) oldSize = std::min(oldSize, pointer->allocated - sdb_MemoryPointer::kDataOffset);
  const bool sameBytes = held && pointer->address == address && newSize <= oldSize;
  if (held && (pointer->mode == sdb_Modify || pointer->mode == sdb_WriteNew) && oldSize != 0 && pointer->data != nullptr) {
    if (sameBytes) {
      WriteFrom(pointer->address, oldSize, pointer->data);
    } else {
      pointer = HandOver(pointer, oldSize);
      held = pointer != nullptr;
    }
  }
  const std::size_t bytes = sdb_MemoryPointer::kDataOffset + newSize;
  if (!held || pointer->allocated < bytes) {
    if (held) UnMap(sdb_Read, address, 0, pointer);
    addToTally(bytes);
    pointer = new (allocateBuffer(bytes)) sdb_MemoryPointer();
    pointer->allocated = bytes;
  }
  Fill(pointer, mode, address);
  const bool reads = mode == sdb_Read || mode == sdb_Modify;
  if (newSize == 0 || (reads && !sameBytes && !ReadInto(address, newSize, pointer->data))) {
    UnMap(sdb_Read, address, 0, pointer);
    return &empty_;
  }
  return pointer;
}

// Writes a mapping's bytes by handing its whole allocation to the handler, which gives back one
// whose write has finished (or none): no copy of the bytes on the streaming road.
sdb_MemoryPointer* sdb_RegularFolder::HandOver(sdb_MemoryPointer* pointer, std::size_t size) {
  void* allocation = pointer;
  std::size_t allocated = pointer->allocated;
  if (handler_.WriteHandingOver(pointer->address, size, pointer->data, allocation, allocated) != size) WriteError();
  if (allocation == pointer) return pointer;  // kept: the bytes were copied, or not written
  takeFromTally(pointer->allocated);
  if (allocation == nullptr) return nullptr;
  addToTally(allocated);
  auto* back = new (allocation) sdb_MemoryPointer();
  back->allocated = allocated;
  return back;
}

void sdb_RegularFolder::UnMap(sdb_IssueAccessMode /*mode*/, sdb_SULong /*address*/, std::size_t size,
                              sdb_MemoryPointer* pointer) {
  if (pointer == nullptr || pointer == &empty_) return;
  if ((pointer->mode == sdb_Modify || pointer->mode == sdb_WriteNew) && size != 0 && pointer->data != nullptr)
    WriteFrom(pointer->address, size, pointer->data);
  takeFromTally(pointer->allocated);
  pointer->~sdb_MemoryPointer();
  std::free(pointer);
}
