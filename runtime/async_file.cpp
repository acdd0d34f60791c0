#include "runtime/async_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace {

// The fault a test has armed, if any; consulted by the workers.
struct FaultState {
  std::mutex lock;
  bool armed = false;
  zmxrt_testing::TransferFault fault;
};
constinit std::atomic<FaultState*> gFaults = nullptr;  // made once, under gFaultsLock
constinit std::atomic<unsigned> gWriteDelay = 0;
constinit std::mutex gFaultsLock;

FaultState& faults() {
  std::lock_guard guard(gFaultsLock);
  if (gFaults.load(std::memory_order_relaxed) == nullptr) gFaults.store(new FaultState(), std::memory_order_release);
  return *gFaults.load(std::memory_order_relaxed);
}

// The armed fault when it hits this transfer (and disarms it).
std::optional<zmxrt_testing::TransferFault> takeFault(bool write) {
  if (gFaults.load(std::memory_order_acquire) == nullptr) return std::nullopt;  // no test has armed one
  FaultState& state = faults();
  std::lock_guard guard(state.lock);
  if (!state.armed || state.fault.write != write) return std::nullopt;
  if (state.fault.skip > 0) {
    --state.fault.skip;
    return std::nullopt;
  }
  state.armed = false;
  return state.fault;
}

struct Outcome {
  std::size_t count = 0;
  int error = 0;
};

Outcome writeAll(int fd, const char* data, std::size_t size, std::uint64_t offset) {
  Outcome out;
  while (out.count < size) {
    const ssize_t n = ::pwrite(fd, data + out.count, size - out.count, static_cast<off_t>(offset + out.count));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      out.error = n < 0 ? errno : EIO;
      break;
    }
    out.count += static_cast<std::size_t>(n);
  }
  return out;
}

bool setDirect(int fd, bool on) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0) return false;
  return ::fcntl(fd, F_SETFL, on ? (flags | O_DIRECT) : (flags & ~O_DIRECT)) == 0;
}

}  // namespace

namespace zmxrt {

struct AsyncFile::Worker {
  int fd = -1;
  std::atomic<bool> direct = false;
  std::mutex lock;
  std::condition_variable wake;  // a request was queued, or the worker is to stop
  std::condition_variable done;  // a request completed
  std::deque<AsyncRequest*> queue;
  std::atomic<int> queued = 0;  // the queue's length, for a worker looking without the lock
  bool stop = false;
  std::thread thread;

  void run();
  Outcome perform(AsyncRequest& request);
  Outcome readAll(char* data, std::size_t size, std::uint64_t offset);
};

// A hand-over between the caller and the worker costs two thread wake-ups; a streaming caller
// gives the next transfer within microseconds, so each side first looks for a while before it
// sleeps. A caller that waits for a read looks longer: it has nothing else to do, and a wake-up
// after a read leaves the file idle until the caller starts the next one. One that waits for a
// write does not: the write through the page cache needs the processor.
constexpr auto kSpin = std::chrono::microseconds(100);
constexpr auto kReadResultSpin = std::chrono::microseconds(2000);

template <class Ready>
bool spinFor(Ready ready, std::chrono::microseconds spin = kSpin) {
  const auto until = std::chrono::steady_clock::now() + spin;
  do {
    for (int k = 0; k < 64; ++k)
      if (ready()) return true;
    std::this_thread::yield();  // the other side may be waiting for this processor
  } while (std::chrono::steady_clock::now() < until);
  return ready();
}

void AsyncFile::Worker::run() {
  std::unique_lock guard(lock);
  for (;;) {
    if (!stop && queue.empty()) {
      guard.unlock();
      spinFor([this] { return queued.load(std::memory_order_acquire) != 0; });
      guard.lock();
    }
    wake.wait(guard, [this] { return stop || !queue.empty(); });
    if (queue.empty()) return;
    AsyncRequest* request = queue.front();
    guard.unlock();
    const Outcome out = perform(*request);
    guard.lock();
    queue.pop_front();
    queued.fetch_sub(1, std::memory_order_release);
    request->count_ = out.count;
    request->error_ = out.error;
    request->complete_.store(true, std::memory_order_release);
    // Woken after the lock is let go: a waiter woken under it would only block on it again.
    guard.unlock();
    done.notify_all();
    guard.lock();
  }
}

Outcome AsyncFile::Worker::perform(AsyncRequest& request) {
  char* data = static_cast<char*>(request.buffer_);
  std::size_t size = request.size_;
  if (request.faulted_) size = std::min(size, request.faultBytes_);
  if (const unsigned delay = gWriteDelay.load(); delay != 0 && request.write_)
    std::this_thread::sleep_for(std::chrono::microseconds(delay));
  Outcome out = request.write_ ? writeAll(fd, data, size, request.offset_) : readAll(data, size, request.offset_);
  if (request.faulted_ && out.error == 0) out.error = request.faultError_;
  return out;
}

Outcome AsyncFile::Worker::readAll(char* data, std::size_t size, std::uint64_t offset) {
  Outcome out;
  while (out.count < size) {
    const ssize_t n = ::pread(fd, data + out.count, size - out.count, static_cast<off_t>(offset + out.count));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EINVAL && direct && setDirect(fd, false)) {
      direct = false;  // the file system or this transfer's alignment refuses direct reads
      continue;
    }
    if (n < 0) {
      out.error = errno;
      break;
    }
    if (n == 0) break;  // end of file
    out.count += static_cast<std::size_t>(n);
    if (direct && out.count < size) break;  // a direct read is short only at the end of the file
  }
  // Bytes past the end of the file read as zeros; the count tells how many the file held, so the
  // caller sees a read that ran past the end as short.
  if (out.error == 0 && out.count < size) std::memset(data + out.count, 0, size - out.count);
  return out;
}

AsyncFile::AsyncFile(int fd, bool directReads) : worker_(std::make_unique<Worker>()) {
  worker_->fd = fd;
  worker_->direct = directReads;
  worker_->thread = std::thread([w = worker_.get()] { w->run(); });
}

std::unique_ptr<AsyncFile> AsyncFile::open(const std::string& path, bool forWriting, bool directReads, int& error) {
  const int access = forWriting ? O_WRONLY : O_RDONLY;
  const int flags = access | O_CREAT | O_CLOEXEC;
  bool direct = directReads && !forWriting;
  int fd = ::open(path.c_str(), flags | (direct ? O_DIRECT : 0), 0640);
  if (fd < 0 && direct && errno == EINVAL) {
    direct = false;
    fd = ::open(path.c_str(), flags, 0640);
  }
  if (fd < 0) {
    error = errno;
    return nullptr;
  }
  error = 0;
  return std::unique_ptr<AsyncFile>(new AsyncFile(fd, direct));
}

AsyncFile::~AsyncFile() { close(); }

void AsyncFile::start(AsyncRequest& request) {
  const auto fault = takeFault(request.write_);
  request.faulted_ = fault.has_value();
  request.faultBytes_ = fault ? fault->bytesMoved : 0;
  request.faultError_ = fault ? fault->error : 0;
  {
    std::lock_guard guard(worker_->lock);
    request.complete_.store(false, std::memory_order_relaxed);
    request.count_ = 0;
    request.error_ = 0;
    worker_->queue.push_back(&request);
    worker_->queued.fetch_add(1, std::memory_order_release);
  }
  worker_->wake.notify_one();  // outside the lock, so that the worker does not wake into it
}

void AsyncFile::startRead(AsyncRequest& request, void* buffer, std::size_t size, std::uint64_t offset) {
  request.write_ = false;
  request.buffer_ = buffer;
  request.size_ = size;
  request.offset_ = offset;
  start(request);
}

void AsyncFile::startWrite(AsyncRequest& request, const void* buffer, std::size_t size, std::uint64_t offset) {
  request.write_ = true;
  request.buffer_ = const_cast<void*>(buffer);  // the worker only reads it
  request.size_ = size;
  request.offset_ = offset;
  start(request);
}

bool AsyncFile::result(AsyncRequest& request, bool wait, std::size_t& count, int& error) {
  if (wait)
    spinFor([&request] { return request.complete_.load(std::memory_order_acquire); },
            request.write_ ? kSpin : kReadResultSpin);
  std::unique_lock guard(worker_->lock);
  if (wait) worker_->done.wait(guard, [&request] { return request.complete_.load(); });
  if (!request.complete_.load()) return false;
  count = request.count_;
  error = request.error_;
  return true;
}

int AsyncFile::close() {
  if (!worker_ || worker_->fd < 0) return 0;
  {
    std::lock_guard guard(worker_->lock);
    worker_->stop = true;
    worker_->wake.notify_one();
  }
  worker_->thread.join();  // the worker drains its queue before it stops
  const int status = ::close(worker_->fd);
  worker_->fd = -1;
  return status == 0 ? 0 : errno;
}

bool AsyncFile::readsAreDirect() const { return worker_->direct; }

std::size_t pageSize() {
  const long size = ::sysconf(_SC_PAGESIZE);
  return size > 0 ? static_cast<std::size_t>(size) : 4096;
}

std::size_t sectorSize(const std::string& directory) {
  struct statx info {};
  const char* path = directory.empty() ? "." : directory.c_str();
  if (::statx(AT_FDCWD, path, 0, STATX_DIOALIGN, &info) == 0 && (info.stx_mask & STATX_DIOALIGN) != 0 &&
      info.stx_dio_offset_align > 0)
    return info.stx_dio_offset_align;
  return 512;
}

std::string systemErrorText(int error) {
  char buffer[256];
  return ::strerror_r(error, buffer, sizeof buffer);
}

}  // namespace zmxrt

namespace zmxrt_testing {

void injectTransferFault(const TransferFault& fault) {
  FaultState& state = faults();
  std::lock_guard guard(state.lock);
  state.fault = fault;
  state.armed = true;
}

void setWriteDelay(unsigned microseconds) { gWriteDelay.store(microseconds); }

void clearTransferFaults() {
  FaultState& state = faults();
  std::lock_guard guard(state.lock);
  state.armed = false;
}

}  // namespace zmxrt_testing
