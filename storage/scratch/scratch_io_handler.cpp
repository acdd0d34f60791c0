// Overlapped I/O of one scratch-database folder: write-behind, read-ahead and blocking reads
// over the folder's spill files.
//
// Consistency rules: a read, a read-ahead and a queued wish that is started all first wait for
// a pending write of any of their bytes (and of bytes after them in the same spill file); a
// write drops the queued wishes and the read-ahead that share bytes with it. So a read always
// gives the bytes last written, and a read past the end of a spill file always fails.
//
// Streaming: a write copies the caller's bytes, or takes over the caller's whole buffer
// (WriteHandingOver), so the caller is free at once; handed-over writes run two deep in the one
// write file, so the file never waits for the caller. One read-ahead is under way at a time; a
// hit starts the next wish before its bytes are copied out, from the slot's other buffer.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "runtime/async_file.h"
#include "storage/scratch/scratch_support.h"
#include "zmx/storage.h"

namespace {

using zmx::scratch::roundUp;

void report(const std::string& text) { cfi_WriteMessage(-3, text.c_str()); }

template <class... Args>
std::string format(const char* pattern, Args... args) {
  char buffer[1024];
  std::snprintf(buffer, sizeof buffer, pattern, args...);
  return buffer;
}

bool overlaps(std::uint64_t a, std::size_t aSize, std::uint64_t b, std::size_t bSize) {
  return a < b + bSize && b < a + aSize;
}

// A slot's two buffers trade places: one can be filled or emptied while the other is in use.
void swapBuffers(shr_sdb_AsyncIOSlot& slot) {
  std::swap(slot.buffer, slot.spareBuffer);
  std::swap(slot.aligned, slot.spareAligned);
  std::swap(slot.capacity, slot.spareCapacity);
}

// Requests larger than this are cut into pieces of this size (a value, not the class member, so
// that no symbol of it is needed).
constexpr std::size_t kPiece = shr_sdb_AsyncIOHandler::kLargestTransfer;

// An offset off a sector boundary is reported; the transfer goes ahead all the same (reads start
// on the sector before it, writes go through the page cache).
std::int64_t checkedOffset(std::uint64_t offset, std::size_t sector) {
  if (offset % sector != 0)
    report("shr_sdb_AsyncIOHandler::SetFileOffset - alignment error - contact your VELTRO agent");
  return static_cast<std::int64_t>(offset);
}

constexpr const char* kReadFailure = "DURING READ. EXECUTION TERMINATED. CONTACT YOUR VELTRO AGENT.";
constexpr const char* kWriteFailure = "DURING WRITE. EXECUTION TERMINATED. CONTACT YOUR VELTRO AGENT.";

}  // namespace

// ---- Request list -------------------------------------------------------------------------------

shr_sdb_AsyncIORequestList::~shr_sdb_AsyncIORequestList() {
  std::free(entries_);
  std::free(freeStack_);
}

void shr_sdb_AsyncIORequestList::Resize() {
  // The entries are packed in queue order into the grown array.
  const int capacity = capacity_ + 4;
  auto* entries = static_cast<Entry*>(std::malloc(sizeof(Entry) * static_cast<std::size_t>(capacity)));
  auto* stack = static_cast<int*>(std::malloc(sizeof(int) * static_cast<std::size_t>(capacity)));
  if (entries == nullptr || stack == nullptr) sdb_OutOfMemoryError(sizeof(Entry) * static_cast<std::size_t>(capacity));
  int packed = 0;
  for (int k = head_; k >= 0; k = entries_[k].next, ++packed) {
    entries[packed] = entries_[k];
    entries[packed].previous = packed - 1;
    entries[packed].next = packed + 1;
  }
  if (packed > 0) entries[packed - 1].next = -1;
  head_ = packed > 0 ? 0 : -1;
  tail_ = packed - 1;
  freeCount_ = 0;
  for (int k = capacity - 1; k >= packed; --k) stack[freeCount_++] = k;
  std::free(entries_);
  std::free(freeStack_);
  entries_ = entries;
  freeStack_ = stack;
  capacity_ = capacity;
}

bool shr_sdb_AsyncIORequestList::CheckForDuplicateEntry(sdb_SULong address) const {
  for (int k = head_; k >= 0; k = entries_[k].next)
    if (entries_[k].address == address) return true;
  return false;
}

bool shr_sdb_AsyncIORequestList::AddEntry(sdb_SULong address, std::size_t size) {
  if (freeCount_ == 0) Resize();
  if (CheckForDuplicateEntry(address)) return false;
  const int k = freeStack_[--freeCount_];
  entries_[k] = Entry{address, size, tail_, -1};
  if (tail_ >= 0)
    entries_[tail_].next = k;
  else
    head_ = k;
  tail_ = k;
  ++count_;
  return true;
}

void shr_sdb_AsyncIORequestList::Unlink(int k) {
  Entry& e = entries_[k];
  if (e.previous >= 0)
    entries_[e.previous].next = e.next;
  else
    head_ = e.next;
  if (e.next >= 0)
    entries_[e.next].previous = e.previous;
  else
    tail_ = e.previous;
  freeStack_[freeCount_++] = k;
  --count_;
}

void shr_sdb_AsyncIORequestList::RemoveEntry(sdb_SULong address) {
  for (int k = head_; k >= 0; k = entries_[k].next)
    if (entries_[k].address == address) {
      Unlink(k);
      return;
    }
}

void shr_sdb_AsyncIORequestList::RemoveOverlapping(sdb_SULong address, std::size_t size) {
  for (int k = head_; k >= 0;) {
    const int next = entries_[k].next;
    if (overlaps(entries_[k].address.Value(), entries_[k].size, address.Value(), size)) Unlink(k);
    k = next;
  }
}

int shr_sdb_AsyncIORequestList::GetNextEntry(sdb_SULong& address, std::size_t& size) {
  if (head_ < 0) return 0;
  address = entries_[head_].address;
  size = entries_[head_].size;
  Unlink(head_);
  return 1;
}

// ---- Handler ------------------------------------------------------------------------------------

shr_sdb_AsyncIOHandler::shr_sdb_AsyncIOHandler(const char* jobName, unsigned directoryCount, unsigned sizeCount,
                                               const char* const* directories, const std::uint32_t* sizes,
                                               const char* folderName)
    : jobName_(jobName != nullptr ? jobName : ""),
      directoryCount_(directoryCount),
      sizeCount_(sizeCount),
      directories_(directories),
      sizes_(sizes),
      sectorSize_(ntSectorSize()) {
  std::snprintf(extension_, sizeof extension_, ".%.3s", folderName != nullptr ? folderName : "");
  for (auto& slot : slots_) slot.request = new zmxrt::AsyncRequest();
  earlier_.request = new zmxrt::AsyncRequest();
}

shr_sdb_AsyncIOHandler::~shr_sdb_AsyncIOHandler() {
  static constexpr const char* kCountTexts[kSlotCount] = {
      "shr_sdb_AsyncIOHandler::~shr_sdb_AsyncIOHandler - I/O error in write slots - contact your VELTRO agent",
      "shr_sdb_AsyncIOHandler::~shr_sdb_AsyncIOHandler - I/O error in read slots - contact your VELTRO agent",
      "shr_sdb_AsyncIOHandler::~shr_sdb_AsyncIOHandler - I/O error in blocking read - contact your VELTRO agent"};
  CompleteEarlierWrite(kCountTexts[kWriteSlot]);
  for (int k = 0; k < kSlotCount; ++k) {
    if (slots_[k].pending != 0 && slots_[k].completed == 0) CompleteSlot(k, kCountTexts[k]);
    CloseSlotFile(k);
    FreeSlot(slots_[k]);
    std::free(slots_[k].handedOver);
    delete slots_[k].request;
  }
  std::free(earlier_.handedOver);
  delete earlier_.request;
}

void shr_sdb_AsyncIOHandler::FreeSlot(shr_sdb_AsyncIOSlot& slot) {
  std::free(slot.buffer);
  std::free(slot.spareBuffer);
  slot.buffer = slot.aligned = slot.spareBuffer = slot.spareAligned = nullptr;
  slot.capacity = slot.spareCapacity = 0;
}

const char* shr_sdb_AsyncIOHandler::Directory(std::uint64_t k) const {
  if (directoryCount_ == 0) return "";
  return directories_[std::min<std::uint64_t>(k, directoryCount_ - 1)];
}

std::string shr_sdb_AsyncIOHandler::FileName(std::uint64_t k) const {
  std::string name = std::string(Directory(k)) + jobName_ + extension_;
  if (k >= 1) name += "." + std::to_string(k);
  return name;
}

void shr_sdb_AsyncIOHandler::SizeSlotMemory(shr_sdb_AsyncIOSlot& slot, std::size_t size) {
  if (slot.capacity >= size) return;
  std::free(slot.buffer);
  slot.buffer = slot.aligned = nullptr;
  slot.capacity = 0;
  // Aligned to whole pages as well as sectors: a direct transfer then moves whole pages.
  const std::size_t alignment = std::max<std::size_t>(sectorSize_, ntPageSize());
  const std::size_t bytes = size + 2 * alignment;
  slot.buffer = static_cast<char*>(std::malloc(bytes));
  if (slot.buffer == nullptr) sdb_OutOfMemoryError(bytes);
  const auto start = reinterpret_cast<std::uintptr_t>(slot.buffer);
  slot.aligned = slot.buffer + (roundUp(start, alignment) - start);
  slot.capacity = size;
}

bool shr_sdb_AsyncIOHandler::TakeOver(zmxrt::AsyncFile& file, zmxrt::AsyncRequest& request, std::size_t needed,
                                      bool writing, const char* countText) {
  std::size_t count = 0;
  int error = 0;
  file.result(request, true, count, error);
  if (error == 0 && count >= needed) return true;
  if (error == ENOSPC || error == EDQUOT)
    report(format("I/O ERROR ON SOLVER FILE %s. OUT OF DISK SPACE.", extension_) + " EXECUTION TERMINATED.");
  else if (error != 0)
    report(format("I/O ERROR On SOLVER FILE %s. UNKNOWN ERROR %u ", extension_, static_cast<unsigned>(error)) +
           (writing ? kWriteFailure : kReadFailure));
  else if (countText != nullptr)
    report(countText);
  return false;
}

bool shr_sdb_AsyncIOHandler::CompleteSlot(int k, const char* countText) {
  shr_sdb_AsyncIOSlot& slot = slots_[k];
  const bool ok = TakeOver(*slot.file, *slot.request, slot.lead + slot.requestedSize, k == kWriteSlot, countText);
  slot.completed = 1;
  return ok;
}

bool shr_sdb_AsyncIOHandler::CompleteEarlierWrite(const char* countText) {
  if (earlier_.pending == 0) return true;
  earlier_.pending = 0;
  return TakeOver(*slots_[kWriteSlot].file, *earlier_.request, earlier_.size, true, countText);
}

bool shr_sdb_AsyncIOHandler::CloseSlotFile(int k) {
  shr_sdb_AsyncIOSlot& slot = slots_[k];
  if (slot.file == nullptr) return true;
  const std::uint64_t closedStart = slot.fileStart.Value();
  const int error = slot.file->close();
  delete slot.file;
  slot.file = nullptr;
  slot.fileStart = slot.fileEnd = sdb_SULong();
  if (error == 0) return true;
  const std::uint64_t index = zmx::scratch::spillFileHolding(sizes_, sizeCount_, closedStart).index;
  report(format("Async I/O ERROR WHEN CLOSING SOLVER FILE %s IN DIRECTORY %s: %s", extension_, Directory(index),
                zmxrt::systemErrorText(error).c_str()));
  return false;
}

std::int64_t shr_sdb_AsyncIOHandler::SetFileOffset(sdb_SULong address, std::size_t size, int k, bool forWriting) {
  shr_sdb_AsyncIOSlot& slot = slots_[k];
  const std::uint64_t first = address.Value();
  const std::uint64_t end = first + size;
  if (slot.file != nullptr && first >= slot.fileStart.Value() && end <= slot.fileEnd.Value())
    return checkedOffset(first - slot.fileStart.Value(), sectorSize_);

  // The file that holds the first byte: a request that starts where a file starts is its.
  const zmx::scratch::SpillFile holding = zmx::scratch::spillFileHolding(sizes_, sizeCount_, first);
  const std::uint64_t index = holding.index;
  const std::uint64_t start = holding.start;
  const std::uint64_t fileEnd = start + holding.size;
  if (end < first || end > fileEnd) {
    report("shr_sdb_AsyncIOHandler::SetFileOffset - I/O internal error - contact your VELTRO agent");
    return -1;  // it would spill into bytes that belong to the next file
  }
  if (slot.file != nullptr) {
    bool ok = k != kWriteSlot ||
              CompleteEarlierWrite("shr_sdb_AsyncIOHandler::SetFileOffset - size error - contact your VELTRO agent");
    if (slot.pending != 0 && slot.completed == 0)
      ok = CompleteSlot(k, "shr_sdb_AsyncIOHandler::SetFileOffset - size error - contact your VELTRO agent") && ok;
    CloseSlotFile(k);
    if (!ok && k == kWriteSlot) return -1;  // the failed write is this caller's news
  }
  int error = 0;
  auto file = zmxrt::AsyncFile::open(FileName(index), forWriting, useFileCache_ == 0, error);
  if (!file) {
    report(format("Async I/O ERROR WHEN OPENING SOLVER FILE %s IN DIRECTORY %s: %s", extension_, Directory(index),
                  zmxrt::systemErrorText(error).c_str()));
    return -1;
  }
  slot.file = file.release();
  slot.fileStart = sdb_SULong::FromValue(start);
  slot.fileEnd = sdb_SULong::FromValue(fileEnd);
  slot.completed = 1;
  slot.pending = 0;
  slot.transferSize = slot.requestedSize = 0;
  return checkedOffset(first - start, sectorSize_);
}

// A read waits for the pending writes of its bytes, and for those after them in the same spill
// file: they may lengthen the file past the read's bytes, and whether a read of bytes never
// written comes back whole must not depend on when a write ends. Only a failed write of the
// read's own bytes fails the read.
bool shr_sdb_AsyncIOHandler::HandleConflictingWrite(sdb_SULong address, std::size_t size) {
  static constexpr const char* kText =
      "shr_sdb_AsyncIOHandler::HandleConflictingWrite - size error - contact your VELTRO agent";
  shr_sdb_AsyncIOSlot& slot = slots_[kWriteSlot];
  const std::uint64_t first = address.Value();
  const bool sameFile = slot.file != nullptr && first >= slot.fileStart.Value() && first < slot.fileEnd.Value();
  const auto reaches = [&](std::uint64_t writeAddress, std::size_t writeSize) {
    return overlaps(writeAddress, writeSize, first, size) || (sameFile && writeAddress + writeSize > first);
  };
  const bool latest = slot.pending != 0 && slot.completed == 0 && reaches(slot.address.Value(), slot.requestedSize);
  const bool earlier = earlier_.pending != 0 && reaches(earlier_.address.Value(), earlier_.size);
  if (!latest && !earlier) return true;
  const bool earlierShares = earlier && overlaps(earlier_.address.Value(), earlier_.size, first, size);
  const bool latestShares = latest && overlaps(slot.address.Value(), slot.requestedSize, first, size);
  // A failed write of other bytes stays news for the writer's next write.
  const auto judge = [&](bool written, bool shares) {
    if (!written && !shares) writeFailed_ = true;
    return written || !shares;
  };
  bool ok = judge(CompleteEarlierWrite(kText), earlierShares);  // it runs before the latest one
  if (latest) {
    ok = judge(CompleteSlot(kWriteSlot, kText), latestShares) && ok;
    slot.pending = 0;
  }
  return ok;
}

bool shr_sdb_AsyncIOHandler::CompleteWrite() {
  static constexpr const char* kText =
      "shr_sdb_AsyncIOHandler::Write - I/O error with write sizes in clear - contact your VELTRO agent";
  shr_sdb_AsyncIOSlot& slot = slots_[kWriteSlot];
  const bool failedMeanwhile = std::exchange(writeFailed_, false);
  bool ok = CompleteEarlierWrite(kText) && !failedMeanwhile;
  if (slot.pending == 0 || slot.completed != 0) return ok;
  ok = CompleteSlot(kWriteSlot, kText) && ok;
  slot.pending = 0;
  return ok;
}

void shr_sdb_AsyncIOHandler::InvalidateReadAhead(sdb_SULong address, std::size_t size) {
  requests_.RemoveOverlapping(address, size);
  shr_sdb_AsyncIOSlot& slot = slots_[kReadAheadSlot];
  if (slot.pending == 0 || !overlaps(slot.address.Value(), slot.requestedSize, address.Value(), size)) return;
  if (slot.completed == 0)  // its bytes are dropped either way: one past the file's end is no fault
    CompleteSlot(kReadAheadSlot, nullptr);
  slot.pending = 0;
  slot.completed = 1;
}

std::size_t shr_sdb_AsyncIOHandler::Write(sdb_SULong address, std::size_t size, const void* buffer) {
  bool ok = true;
  for (std::size_t done = 0; done < size || (size == 0 && done == 0);) {
    const std::size_t piece = std::min(size - done, kPiece);
    ok = WritePiece(address + done, piece, static_cast<const char*>(buffer) + done) && ok;
    if (size == 0) break;
    done += piece;
  }
  return ok ? size : 0;
}

bool shr_sdb_AsyncIOHandler::WritePiece(sdb_SULong address, std::size_t size, const char* buffer) {
  if (size == 0) return CompleteWrite();
  shr_sdb_AsyncIOSlot& slot = slots_[kWriteSlot];
  // The bytes go into the spare buffer while the write before them may still be under way.
  swapBuffers(slot);
  SizeSlotMemory(slot, size);
  std::memcpy(slot.aligned, buffer, size);
  const bool previousOk = CompleteWrite();
  InvalidateReadAhead(address, size);
  const std::int64_t offset = SetFileOffset(address, size, kWriteSlot, true);
  if (offset < 0) return false;
  StartWrite(address, size, slot.aligned, offset);
  return previousOk;
}

void shr_sdb_AsyncIOHandler::StartWrite(sdb_SULong address, std::size_t size, const void* data, std::int64_t offset) {
  shr_sdb_AsyncIOSlot& slot = slots_[kWriteSlot];
  slot.address = address;
  slot.requestedSize = size;
  slot.lead = 0;
  slot.transferSize = size;  // writes go through the page cache: exactly the caller's bytes
  slot.pending = 1;
  slot.completed = 0;
  ++writesStarted_;
  slot.file->startWrite(*slot.request, data, size, static_cast<std::uint64_t>(offset));
}

std::size_t shr_sdb_AsyncIOHandler::WriteHandingOver(sdb_SULong address, std::size_t size, const void* data,
                                                     void*& allocation, std::size_t& allocated) {
  if (size == 0 || size > kPiece) return Write(address, size, data);
  shr_sdb_AsyncIOSlot& slot = slots_[kWriteSlot];
  InvalidateReadAhead(address, size);
  const bool inOpenFile = slot.file != nullptr && address.Value() >= slot.fileStart.Value() &&
                          address.Value() + size <= slot.fileEnd.Value();
  // Two writes may run: the one before this may go on, the one before that must be done.
  const bool failedMeanwhile = inOpenFile && std::exchange(writeFailed_, false);
  const bool ok = (inOpenFile ? CompleteEarlierWrite(
                                    "shr_sdb_AsyncIOHandler::Write - I/O error with write sizes in clear - contact your VELTRO agent")
                              : CompleteWrite()) &&
                  !failedMeanwhile;
  const std::int64_t offset = SetFileOffset(address, size, kWriteSlot, true);
  if (offset < 0) return 0;
  // The latest write becomes the earlier one; the caller gets back the allocation whose write
  // is done, and this write queues behind the earlier one in the same file.
  std::swap(earlier_.request, slot.request);
  earlier_.address = slot.address;
  earlier_.size = slot.requestedSize;
  earlier_.pending = slot.pending != 0 && slot.completed == 0 ? 1 : 0;
  std::swap(earlier_.handedOver, slot.handedOver);
  std::swap(earlier_.handedOverBytes, slot.handedOverBytes);
  std::swap(slot.handedOver, allocation);
  std::swap(slot.handedOverBytes, allocated);
  StartWrite(address, size, data, offset);
  return ok ? size : 0;
}

// A transfer never finishes at once here: its count is checked when it is taken over.
bool shr_sdb_AsyncIOHandler::StartRead(int k, sdb_SULong address, std::size_t size) {
  const std::int64_t offset = SetFileOffset(address, size, k, false);
  if (offset < 0) return false;
  shr_sdb_AsyncIOSlot& slot = slots_[k];
  const std::size_t lead = static_cast<std::size_t>(offset) % sectorSize_;
  const std::size_t transfer = roundUp(lead + size, sectorSize_);
  SizeSlotMemory(slot, transfer);
  slot.address = address;
  slot.requestedSize = size;
  slot.lead = lead;
  slot.transferSize = transfer;
  slot.pending = 1;
  slot.completed = 0;
  slot.writesBefore = writesStarted_;
  slot.file->startRead(*slot.request, slot.aligned, transfer, static_cast<std::uint64_t>(offset) - lead);
  return true;
}

void shr_sdb_AsyncIOHandler::ReadAhead(sdb_SULong address, std::size_t size) {
  for (std::size_t done = 0; done < size; done += kPiece)
    ReadAheadPiece(address + done, std::min(size - done, kPiece));
}

void shr_sdb_AsyncIOHandler::ReadAheadPiece(sdb_SULong address, std::size_t size) {
  if (!HandleConflictingWrite(address, size)) return;
  const shr_sdb_AsyncIOSlot& slot = slots_[kReadAheadSlot];
  if (slot.pending == 0) {
    requests_.RemoveEntry(address);  // a wish queued earlier is served by this read
    StartRead(kReadAheadSlot, address, size);
    return;
  }
  if (slot.address == address) {  // under way already: no second read of it
    if (size > slot.requestedSize)
      report("shr_sdb_AsyncIOHandler::ReadAhead - I/O error in sizes - contact your VELTRO agent");
    return;
  }
  requests_.AddEntry(address, size);  // a duplicate wish is ignored
}

std::size_t shr_sdb_AsyncIOHandler::Read(sdb_SULong address, std::size_t size, void* buffer) {
  bool ok = true;
  for (std::size_t done = 0; done < size; done += kPiece) {
    const std::size_t piece = std::min(size - done, kPiece);
    ok = ReadPiece(address + done, piece, static_cast<char*>(buffer) + done) == piece && ok;
  }
  return ok ? size : 0;
}

std::size_t shr_sdb_AsyncIOHandler::ReadPiece(sdb_SULong address, std::size_t size, char* buffer) {
  if (!HandleConflictingWrite(address, size)) return 0;
  // A read larger than the read-ahead it meets is reported and served as a miss: the read-ahead
  // holds fewer bytes than the caller asks for.
  const shr_sdb_AsyncIOSlot& ahead = slots_[kReadAheadSlot];
  if (ahead.pending != 0 && ahead.address == address) {
    if (size > ahead.requestedSize)
      report("shr_sdb_AsyncIOHandler::Read - I/O error with read ahead - contact your VELTRO agent");
    else if (const std::optional<std::size_t> taken = TakeReadAhead(size, buffer))
      return *taken;
  }
  requests_.RemoveEntry(address);
  if (!StartRead(kBlockingSlot, address, size)) return 0;
  shr_sdb_AsyncIOSlot& slot = slots_[kBlockingSlot];
  const bool ok =
      CompleteSlot(kBlockingSlot, "shr_sdb_AsyncIOHandler::Read - I/O error with blocking read sizes - contact your VELTRO agent");
  slot.pending = 0;
  if (!ok) return 0;
  std::memcpy(buffer, slot.aligned + slot.lead, size);
  return size;
}

// A read that hits the read-ahead: its bytes are taken over, and the oldest wish starts before
// they are copied out. A read-ahead that ran past the end of its file while a write started
// after it could lengthen the file gives nothing, unreported: its bytes are read again, so that
// what a read gives never depends on which transfer ran first.
std::optional<std::size_t> shr_sdb_AsyncIOHandler::TakeReadAhead(std::size_t size, char* buffer) {
  shr_sdb_AsyncIOSlot& ahead = slots_[kReadAheadSlot];
  bool ok = true;
  const bool writtenSince = ahead.writesBefore != writesStarted_;
  if (ahead.completed == 0)
    ok = CompleteSlot(kReadAheadSlot, writtenSince ? nullptr
                                                   : "shr_sdb_AsyncIOHandler::Read - I/O error with read sizes - contact your VELTRO agent");
  // The finished buffer becomes the spare: the next read-ahead lands in the other one.
  swapBuffers(ahead);
  const char* data = ahead.spareAligned + ahead.lead;
  ahead.pending = 0;
  ahead.completed = 1;
  StartQueuedWish();
  if (!ok) return writtenSince ? std::nullopt : std::optional<std::size_t>(0);
  std::memcpy(buffer, data, size);
  return size;
}

// Starts the oldest wish that can be started in the idle read-ahead slot.
void shr_sdb_AsyncIOHandler::StartQueuedWish() {
  sdb_SULong next;
  std::size_t nextSize = 0;
  while (slots_[kReadAheadSlot].pending == 0 && requests_.GetNextEntry(next, nextSize) != 0)
    if (HandleConflictingWrite(next, nextSize)) StartRead(kReadAheadSlot, next, nextSize);
}

void shr_sdb_AsyncIOHandler::UseFileCache() {
  useFileCache_ = 1;
  shr_sdb_AsyncIOSlot& ahead = slots_[kReadAheadSlot];
  // A read-ahead that failed is dropped: a later read of its bytes reads them again.
  if (ahead.pending != 0 && ahead.completed == 0 &&
      !CompleteSlot(kReadAheadSlot, "shr_sdb_AsyncIOHandler::UseFileCache - I/O error in read slots - contact your VELTRO agent"))
    ahead.pending = 0;
  shr_sdb_AsyncIOSlot& blocking = slots_[kBlockingSlot];
  if (blocking.pending != 0 && blocking.completed == 0)
    report("shr_sdb_AsyncIOHandler::UseFileCache - I/O error in blocking read - contact your VELTRO agent");
  // A finished read-ahead keeps its bytes; only the files are reopened with the new flags.
  for (int k : {kReadAheadSlot, kBlockingSlot}) {
    const int pending = slots_[k].pending;
    CloseSlotFile(k);
    slots_[k].pending = pending;
  }
}
