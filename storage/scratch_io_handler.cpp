// Overlapped I/O of one scratch-database folder: write-behind, read-ahead and blocking reads
// over the folder's spill files.
//
// Consistency rules: a read, a read-ahead and a queued wish that is started all first wait for
// a pending write of any of their bytes; a write drops the queued wishes and the read-ahead that
// share bytes with it. So a read always gives the bytes last written.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/async_file.h"
#include "siblings/eqc/eqc_messages.h"
#include "zmx/storage.h"

namespace {

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

std::size_t roundUp(std::size_t value, std::size_t unit) { return (value + unit - 1) / unit * unit; }

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
    : jobName_(jobName),
      directoryCount_(directoryCount),
      sizeCount_(sizeCount),
      directories_(directories),
      sizes_(sizes),
      sectorSize_(ntSectorSize()) {
  std::snprintf(extension_, sizeof extension_, ".%.3s", folderName);
  for (auto& slot : slots_) slot.request = new zmxrt::AsyncRequest();
}

shr_sdb_AsyncIOHandler::~shr_sdb_AsyncIOHandler() {
  static constexpr const char* kCountTexts[3] = {
      "shr_sdb_AsyncIOHandler::~shr_sdb_AsyncIOHandler - I/O error in write slots - contact your VELTRO agent",
      "shr_sdb_AsyncIOHandler::~shr_sdb_AsyncIOHandler - I/O error in read slots - contact your VELTRO agent",
      "shr_sdb_AsyncIOHandler::~shr_sdb_AsyncIOHandler - I/O error in blocking read - contact your VELTRO agent"};
  for (int k = 0; k < 3; ++k) {
    if (slots_[k].pending != 0 && slots_[k].completed == 0) CompleteSlot(k, true, kCountTexts[k]);
    CloseSlotFile(k);
    FreeSlot(slots_[k]);
    delete slots_[k].request;
  }
}

void shr_sdb_AsyncIOHandler::FreeSlot(shr_sdb_AsyncIOSlot& slot) {
  std::free(slot.buffer);
  std::free(slot.spareBuffer);
  slot.buffer = slot.aligned = slot.spareBuffer = slot.spareAligned = nullptr;
  slot.capacity = slot.spareCapacity = 0;
}

std::uint64_t shr_sdb_AsyncIOHandler::FileSize(std::uint64_t k) const {
  if (sizeCount_ == 0) return 2147483647u;
  return sizes_[std::min<std::uint64_t>(k, sizeCount_ - 1)];
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
  const std::size_t bytes = size + 2 * sectorSize_;
  slot.buffer = static_cast<char*>(std::malloc(bytes));
  if (slot.buffer == nullptr) sdb_OutOfMemoryError(bytes);
  const auto start = reinterpret_cast<std::uintptr_t>(slot.buffer);
  slot.aligned = slot.buffer + (roundUp(start, sectorSize_) - start);
  slot.capacity = size;
}

bool shr_sdb_AsyncIOHandler::CompleteSlot(int k, bool wait, const char* countText, bool* busy) {
  shr_sdb_AsyncIOSlot& slot = slots_[k];
  std::size_t count = 0;
  int error = 0;
  if (busy != nullptr) *busy = false;
  if (!slot.file->result(*slot.request, wait, count, error)) {
    if (busy != nullptr) *busy = true;
    return false;
  }
  slot.completed = 1;
  if (error == 0 && count >= slot.lead + slot.requestedSize) return true;
  if (error == ENOSPC || error == EDQUOT)
    report(format("I/O ERROR ON SOLVER FILE %s. OUT OF DISK SPACE.", extension_) + " EXECUTION TERMINATED.");
  else if (error != 0)
    report(format("I/O ERROR On SOLVER FILE %s. UNKNOWN ERROR %u ", extension_, static_cast<unsigned>(error)) +
           (k == kWriteSlot ? kWriteFailure : kReadFailure));
  else
    report(countText);
  return false;
}

bool shr_sdb_AsyncIOHandler::CloseSlotFile(int k) {
  shr_sdb_AsyncIOSlot& slot = slots_[k];
  if (slot.file == nullptr) return true;
  const int error = slot.file->close();
  delete slot.file;
  slot.file = nullptr;
  slot.fileStart = slot.fileEnd = sdb_SULong();
  if (error == 0) return true;
  report(format("Async I/O ERROR WHEN CLOSING SOLVER FILE %s IN DIRECTORY %s: %s", extension_,
                Directory(0), zmxrt::systemErrorText(error).c_str()));
  return false;
}

std::int64_t shr_sdb_AsyncIOHandler::SetFileOffset(sdb_SULong address, std::size_t size, int k, bool forWriting) {
  shr_sdb_AsyncIOSlot& slot = slots_[k];
  const std::uint64_t first = address.Value();
  const std::uint64_t end = first + size;
  if (slot.file != nullptr && first >= slot.fileStart.Value() && end <= slot.fileEnd.Value())
    return static_cast<std::int64_t>(first - slot.fileStart.Value());

  // The file that holds the first byte: a request that starts where a file starts is its.
  std::uint64_t index = 0;
  std::uint64_t start = 0;
  while (start + FileSize(index) <= first) start += FileSize(index++);
  const std::uint64_t fileEnd = start + FileSize(index);
  if (end > fileEnd) {
    report("shr_sdb_AsyncIOHandler::SetFileOffset - I/O internal error - contact your VELTRO agent");
    return -1;  // it would spill into bytes that belong to the next file
  }
  if (slot.file != nullptr) {
    bool ok = true;
    if (slot.pending != 0 && slot.completed == 0)
      ok = CompleteSlot(k, true, "shr_sdb_AsyncIOHandler::SetFileOffset - size error - contact your VELTRO agent");
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
  // An offset off a sector boundary needs no report: reads start on the sector before it.
  return static_cast<std::int64_t>(first - start);
}

bool shr_sdb_AsyncIOHandler::HandleConflictingWrite(sdb_SULong address, std::size_t size) {
  shr_sdb_AsyncIOSlot& slot = slots_[kWriteSlot];
  if (slot.pending == 0 || slot.completed != 0) return true;
  if (!overlaps(slot.address.Value(), slot.requestedSize, address.Value(), size)) return true;
  const bool ok =
      CompleteSlot(kWriteSlot, true, "shr_sdb_AsyncIOHandler::HandleConflictingWrite - size error - contact your VELTRO agent");
  slot.pending = 0;
  return ok;
}

bool shr_sdb_AsyncIOHandler::CompleteWrite() {
  shr_sdb_AsyncIOSlot& slot = slots_[kWriteSlot];
  if (slot.pending == 0 || slot.completed != 0) return true;
  const bool ok =
      CompleteSlot(kWriteSlot, true, "shr_sdb_AsyncIOHandler::Write - I/O error with write sizes in clear - contact your VELTRO agent");
  slot.pending = 0;
  return ok;
}

void shr_sdb_AsyncIOHandler::InvalidateReadAhead(sdb_SULong address, std::size_t size) {
  requests_.RemoveOverlapping(address, size);
  shr_sdb_AsyncIOSlot& slot = slots_[kReadAheadSlot];
  if (slot.pending == 0 || !overlaps(slot.address.Value(), slot.requestedSize, address.Value(), size)) return;
  if (slot.completed == 0) CompleteSlot(kReadAheadSlot, true, "");  // its bytes are dropped either way
  slot.pending = 0;
  slot.completed = 1;
}

std::size_t shr_sdb_AsyncIOHandler::Write(sdb_SULong address, std::size_t size, const void* buffer) {
  bool ok = true;
  for (std::size_t done = 0; done < size || (size == 0 && done == 0);) {
    const std::size_t piece = std::min(size - done, kLargestTransfer);
    ok = WritePiece(address + done, piece, static_cast<const char*>(buffer) + done) && ok;
    if (size == 0) break;
    done += piece;
  }
  return ok ? size : 0;
}

bool shr_sdb_AsyncIOHandler::WritePiece(sdb_SULong address, std::size_t size, const char* buffer) {
  const bool previousOk = CompleteWrite();
  if (size == 0) return previousOk;
  InvalidateReadAhead(address, size);
  const std::int64_t offset = SetFileOffset(address, size, kWriteSlot, true);
  if (offset < 0) return false;
  shr_sdb_AsyncIOSlot& slot = slots_[kWriteSlot];
  SizeSlotMemory(slot, size);
  slot.address = address;
  slot.requestedSize = size;
  slot.lead = 0;
  slot.transferSize = size;  // writes go through the page cache: exactly the caller's bytes
  slot.pending = 1;
  slot.completed = 0;
  std::memcpy(slot.aligned, buffer, size);
  slot.file->startWrite(*slot.request, slot.aligned, size, static_cast<std::uint64_t>(offset));
  return previousOk;
}

bool shr_sdb_AsyncIOHandler::StartRead(int k, sdb_SULong address, std::size_t size, const char* countText) {
  (void)countText;  // a transfer never finishes at once here; its count is checked when taken over
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
  slot.file->startRead(*slot.request, slot.aligned, transfer, static_cast<std::uint64_t>(offset) - lead);
  return true;
}

void shr_sdb_AsyncIOHandler::ReadAhead(sdb_SULong address, std::size_t size) {
  for (std::size_t done = 0; done < size; done += kLargestTransfer)
    ReadAheadPiece(address + done, std::min(size - done, kLargestTransfer));
}

void shr_sdb_AsyncIOHandler::ReadAheadPiece(sdb_SULong address, std::size_t size) {
  if (!HandleConflictingWrite(address, size)) return;
  shr_sdb_AsyncIOSlot& slot = slots_[kReadAheadSlot];
  if (slot.pending == 0) {
    StartRead(kReadAheadSlot, address, size, "shr_sdb_AsyncIOHandler::ReadAhead - I/O error in sizes read - contact your VELTRO agent");
    return;
  }
  if (slot.address == address) {
    if (size > slot.requestedSize)
      report("shr_sdb_AsyncIOHandler::ReadAhead - I/O error in sizes - contact your VELTRO agent");
    return;
  }
  requests_.AddEntry(address, size);  // a duplicate wish is ignored
}

std::size_t shr_sdb_AsyncIOHandler::Read(sdb_SULong address, std::size_t size, void* buffer) {
  bool ok = true;
  for (std::size_t done = 0; done < size; done += kLargestTransfer) {
    const std::size_t piece = std::min(size - done, kLargestTransfer);
    ok = ReadPiece(address + done, piece, static_cast<char*>(buffer) + done) == piece && ok;
  }
  return ok ? size : 0;
}

std::size_t shr_sdb_AsyncIOHandler::ReadPiece(sdb_SULong address, std::size_t size, char* buffer) {
  if (!HandleConflictingWrite(address, size)) return 0;
  shr_sdb_AsyncIOSlot& ahead = slots_[kReadAheadSlot];
  // A read larger than the read-ahead it meets is served as a miss.
  const bool hit = ahead.pending != 0 && ahead.address == address && size <= ahead.requestedSize;
  if (hit) {
    bool ok = true;
    if (ahead.completed == 0)
      ok = CompleteSlot(kReadAheadSlot, true, "shr_sdb_AsyncIOHandler::Read - I/O error with read sizes - contact your VELTRO agent");
    const std::size_t lead = ahead.lead;
    // The finished buffer becomes the spare, so the next wish can start before the copy.
    std::swap(ahead.buffer, ahead.spareBuffer);
    std::swap(ahead.aligned, ahead.spareAligned);
    std::swap(ahead.capacity, ahead.spareCapacity);
    const char* data = ahead.spareAligned + lead;
    ahead.pending = 0;
    ahead.completed = 1;
    sdb_SULong next;
    std::size_t nextSize = 0;
    while (ahead.pending == 0 && requests_.GetNextEntry(next, nextSize) != 0)
      if (HandleConflictingWrite(next, nextSize))
        StartRead(kReadAheadSlot, next, nextSize, "shr_sdb_AsyncIOHandler::READ - I/O error in read ahead sizes - contact your VELTRO agent");
    if (!ok) return 0;
    std::memcpy(buffer, data, size);
    return size;
  }
  requests_.RemoveEntry(address);
  if (!StartRead(kBlockingSlot, address, size, "")) return 0;
  shr_sdb_AsyncIOSlot& slot = slots_[kBlockingSlot];
  const bool ok =
      CompleteSlot(kBlockingSlot, true, "shr_sdb_AsyncIOHandler::Read - I/O error with blocking read sizes - contact your VELTRO agent");
  slot.pending = 0;
  if (!ok) return 0;
  std::memcpy(buffer, slot.aligned + slot.lead, size);
  return size;
}

void shr_sdb_AsyncIOHandler::UseFileCache() {
  useFileCache_ = 1;
  shr_sdb_AsyncIOSlot& ahead = slots_[kReadAheadSlot];
  if (ahead.pending != 0 && ahead.completed == 0)
    CompleteSlot(kReadAheadSlot, true, "shr_sdb_AsyncIOHandler::UseFileCache - I/O error in read slots - contact your VELTRO agent");
  shr_sdb_AsyncIOSlot& blocking = slots_[kBlockingSlot];
  if (blocking.pending != 0 && blocking.completed == 0)
    report("shr_sdb_AsyncIOHandler::UseFileCache - I/O error in blocking read - contact your VELTRO agent");
  // A finished read-ahead keeps its bytes; only the files are reopened with the new flags.
  const int aheadPending = ahead.pending;
  CloseSlotFile(kReadAheadSlot);
  CloseSlotFile(kBlockingSlot);
  ahead.pending = aheadPending;
}
