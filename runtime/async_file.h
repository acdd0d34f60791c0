// Overlapped file I/O over open/pread/pwrite.
//
// An AsyncFile is one open file with a worker thread of its own. A transfer is started with a
// request record that the caller keeps alive until the transfer is complete; it then runs in the
// background, in the order started, and the caller asks for its result with or without waiting.
//
// Reads may bypass the page cache (O_DIRECT) where the file system accepts it; the caller then
// hands sector-aligned buffers and whole sectors. A file system that refuses direct I/O (tmpfs,
// or an unaligned transfer) is read through the cache instead, so a read never fails for that
// reason. Writes always go through the page cache: scratch data need no durability, and a
// direct read on Linux first writes back the dirty cached pages of its range, so the bytes read
// are always the bytes last written.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "runtime/fortran_types.h"

namespace zmxrt {

class AsyncFile;

// The completion record of one transfer (what an overlapped block and its event are on other
// systems). Idle until started; complete once the worker has finished the transfer.
class ZMX_EXPORT AsyncRequest {
 public:
  AsyncRequest() = default;
  AsyncRequest(const AsyncRequest&) = delete;
  AsyncRequest& operator=(const AsyncRequest&) = delete;

 private:
  friend class AsyncFile;
  bool write_ = false;
  void* buffer_ = nullptr;
  std::size_t size_ = 0;
  std::uint64_t offset_ = 0;
  bool faulted_ = false;  // a test's fault, bound to the transfer when it starts
  std::size_t faultBytes_ = 0;
  int faultError_ = 0;
  std::atomic<bool> complete_ = true;  // set by the worker under the file's lock, after the results
  std::size_t count_ = 0;
  int error_ = 0;
};

class ZMX_EXPORT AsyncFile {
 public:
  // Opens the file, creating it (mode 0640) when it does not exist; never truncates. A file
  // opened for writing is write-only, one opened for reading read-only. directReads asks for
  // reads that bypass the page cache. Null, with errno in error, when the file cannot be opened.
  static std::unique_ptr<AsyncFile> open(const std::string& path, bool forWriting, bool directReads, int& error);

  // Waits for every transfer started, stops the worker and closes the file.
  ~AsyncFile();
  AsyncFile(const AsyncFile&) = delete;
  AsyncFile& operator=(const AsyncFile&) = delete;

  // Starts a transfer of size bytes at the file offset. The buffer and the request must stay
  // untouched until the request is complete.
  void startRead(AsyncRequest& request, void* buffer, std::size_t size, std::uint64_t offset);
  void startWrite(AsyncRequest& request, const void* buffer, std::size_t size, std::uint64_t offset);

  // True when the request is complete (after waiting for it when wait is set); count then holds
  // the bytes moved and error the errno of a failed transfer (0 when none). A read past the end
  // of the file counts only the bytes the file held; the rest of its buffer is set to zeros.
  bool result(AsyncRequest& request, bool wait, std::size_t& count, int& error);

  // Waits for every transfer, closes the file and gives errno of a failed close (0 when none).
  int close();

  bool readsAreDirect() const;

 private:
  struct Worker;
  AsyncFile(int fd, bool directReads);
  void start(AsyncRequest& request);

  std::unique_ptr<Worker> worker_;
};

// The system's page size in bytes.
ZMX_EXPORT std::size_t pageSize();

// The alignment, in bytes, that direct transfers need on the file system of the directory ("" is
// the current directory): offsets, sizes and buffers in whole sectors. 512 when the system does
// not tell.
ZMX_EXPORT std::size_t sectorSize(const std::string& directory);

// The system's text for an errno value.
ZMX_EXPORT std::string systemErrorText(int error);

}  // namespace zmxrt

// Test-facing fault injection: makes the coming transfers of a kind fail in a chosen way.
namespace zmxrt_testing {

struct TransferFault {
  bool write = true;            // the kind of transfer it hits
  std::size_t skip = 0;         // transfers of that kind that go through first
  std::size_t bytesMoved = 0;   // bytes that still reach the file (or the buffer) before it fails
  int error = 0;                // errno of the failure; 0 gives a short count without an error
};

ZMX_EXPORT void injectTransferFault(const TransferFault& fault);
ZMX_EXPORT void clearTransferFaults();

// Makes every write wait this long in the background before it starts, so that a caller that
// does not wait for a write it depends on is caught (0, the default, for none).
ZMX_EXPORT void setWriteDelay(unsigned microseconds);

}  // namespace zmxrt_testing
