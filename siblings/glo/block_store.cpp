// The block store of the glo stand-in: folders read from database files, partitions bound to
// handles, and blocks carved from the caller's base array.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/report.h"
#include "siblings/glo/block_store.h"
#include "siblings/glo/database_file.h"
#include "siblings/glo/testing.h"

namespace {

// The first index the store may not hand out: indexes stay below it, whatever the base array.
constexpr std::int64_t kIndexLimit = 134217729;
constexpr Int kScratchMode = 512;

struct Folder {
  bool open = false;
  bool loaded = false;
  std::vector<glo_store::Partition> partitions;
};

struct Handle {
  Int mode = 0;
  bool bound = false;
  Int unit = 0;
  std::size_t partition = 0;
};

struct Store {
  bool started = false;
  Int base = 0;
  std::int64_t capacity = 0;            // words of the base array the store may use
  std::map<Int, Folder> folders;        // by unit
  std::map<Int, Handle> handles;        // by handle word
  Int nextHandle = 1;
  std::map<std::int64_t, std::int64_t> blocks;  // outstanding: first index -> words taken
  std::vector<glo_testing::OpenCall> opens;
};

constinit Store* gStore = nullptr;

Store& store() {
  if (gStore == nullptr) gStore = new Store();
  return *gStore;
}

void fail(const std::string& routine, const std::string& what) {
  zmxrt::report(-3, "SYSTEM ERROR IN " + routine + " - " + what);
}

std::string folderFile(Int unit) {
  char name[16];
  std::snprintf(name, sizeof name, "FOR%04d", static_cast<int>(unit));
  const char* path = std::getenv(name);
  return path != nullptr ? std::string(path) : std::string();
}

// First fit in the gaps between outstanding blocks; 0 when nothing fits.
std::int64_t carve(Store& s, std::int64_t words) {
  std::int64_t next = 1;
  for (const auto& [first, taken] : s.blocks) {
    if (first - next >= words) break;
    next = first + taken;
  }
  if (next - 1 > s.capacity - words) return 0;
  s.blocks.emplace(next, words);
  return next;
}

Int* wordsAt(const Store& s, std::int64_t index, std::int64_t count) {
  return mem32::at<Int>(static_cast<Int>(s.base + 4 * (index - 1)), static_cast<std::size_t>(count));
}

// A new block of length words filled from source (zeros when null); its index or 0.
Int handOut(Store& s, const std::string& routine, std::int64_t length, const std::int32_t* source) {
  const std::int64_t index = carve(s, length > 0 ? length : 1);
  if (index == 0) {
    fail(routine, "NO ROOM FOR A BLOCK OF " + std::to_string(length) + " WORDS");
    return 0;
  }
  Int* target = wordsAt(s, index, length);
  if (target == nullptr) {
    s.blocks.erase(index);
    return 0;
  }
  if (length > 0) {
    if (source != nullptr)
      std::memcpy(target, source, static_cast<std::size_t>(length) * 4);
    else
      std::memset(target, 0, static_cast<std::size_t>(length) * 4);
  }
  return static_cast<Int>(index);
}

const glo_store::Partition* boundPartition(Store& s, Int handle) {
  const auto h = s.handles.find(handle);
  if (h == s.handles.end() || !h->second.bound) return nullptr;
  const auto f = s.folders.find(h->second.unit);
  if (f == s.folders.end() || !f->second.open) return nullptr;
  return &f->second.partitions[h->second.partition];
}

void find(const Int* unit, const Int* number, Int* instance, Int* key, bool last) {
  Store& s = store();
  const Int wantInstance = *instance;
  const Int wantKey = *key;
  *instance = 0;
  *key = 0;
  const auto f = s.folders.find(*unit);
  if (f == s.folders.end() || !f->second.open) return;
  const auto& parts = f->second.partitions;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    const glo_store::Partition& p = parts[last ? parts.size() - 1 - k : k];
    if (p.number != *number || (wantInstance != 0 && p.instance != wantInstance) || (wantKey != 0 && p.key != wantKey))
      continue;
    *instance = p.instance;
    *key = p.key;
    return;
  }
}

}  // namespace

extern "C" {

void DSM_MAN_START(const Int*, const Int* base, const Int*, const Int*) {
  Store& s = store();
  s.folders.clear();
  for (auto& [word, handle] : s.handles) handle.bound = false;
  s.blocks.clear();
  s.base = *base;
  const std::int64_t words = static_cast<std::int64_t>(mem32::bytesFrom(*base) / 4);
  s.capacity = words < kIndexLimit - 1 ? words : kIndexLimit - 1;
  s.started = s.capacity > 0;
  if (!s.started) fail("DSM_MAN_START", "THE BASE ARRAY IS NOT IN A MAPPED BLOCK");
}

void DSM_MAN_END() {
  Store& s = store();
  s.started = false;
  s.folders.clear();
  for (auto& [word, handle] : s.handles) handle.bound = false;
}

void DSM_FOL_OPEN(const Int* unit, const Int*) {
  Folder& folder = store().folders[*unit];
  folder = Folder{};
  folder.open = true;
  const std::string path = folderFile(*unit);
  std::string reason;
  bool missing = false;
  folder.loaded = glo_store::readFolderFile(path, folder.partitions, reason, missing);
  if (!folder.loaded && !missing) fail("DSM_FOL_OPEN", "DATABASE FILE " + path + ": " + reason);
}

void DSM_FOL_CLOSE(const Int* unit, const Int*) {
  Store& s = store();
  s.folders.erase(*unit);
  for (auto& [word, handle] : s.handles)
    if (handle.unit == *unit) handle.bound = false;
}

void DSM_FOL_STATUS(const Int* unit, Int* status) {
  const auto f = store().folders.find(*unit);
  *status = f != store().folders.end() && f->second.open && f->second.loaded ? 0 : 1;
}

void DSM_PAR_INIT(const Int* mode, Int* handle) {
  if (*handle != 0) return;
  Store& s = store();
  *handle = s.nextHandle++;
  s.handles[*handle] = Handle{*mode, false, 0, 0};
}

void DSM_PAR_FINDFIRST(const Int* unit, const Int* number, Int* instance, const Int*, Int* key) {
  find(unit, number, instance, key, false);
}

void DSM_PAR_FINDLAST(const Int* unit, const Int* number, Int* instance, const Int*, Int* key) {
  find(unit, number, instance, key, true);
}

void DSM_PAR_OPEN(const Int* unit, const Int* handle, const Int* number, const Int* instance, const Int*,
                  const Int* key) {
  Store& s = store();
  s.opens.push_back(glo_testing::OpenCall{*unit, *number, *instance, *key});
  const auto h = s.handles.find(*handle);
  if (h == s.handles.end()) {
    fail("DSM_PAR_OPEN", "HANDLE " + std::to_string(*handle) + " WAS NEVER MADE");
    return;
  }
  h->second.bound = false;
  const auto f = s.folders.find(*unit);
  if (f == s.folders.end() || !f->second.open) return;
  const auto& parts = f->second.partitions;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    if (parts[k].number == *number && parts[k].instance == *instance && parts[k].key == *key) {
      h->second = Handle{h->second.mode, true, *unit, k};
      return;
    }
  }
}

void DSM_PAR_CLOSE(const Int* handle) {
  const auto h = store().handles.find(*handle);
  if (h != store().handles.end()) h->second.bound = false;
}

void DSM_BLO_ACCESS(const Int* kind, const Int* handle, const Int* block, const Int* length, Int* index) {
  Store& s = store();
  *index = 0;
  const std::string routine = "DSM_BLO_ACCESS";
  if (!s.started) return fail(routine, "THE STORE IS NOT STARTED");
  if (*length < 0) return fail(routine, "NEGATIVE BLOCK LENGTH " + std::to_string(*length));
  if (*kind == 1 || *kind == 2) {
    const auto h = s.handles.find(*handle);
    if (*block != 0 || h == s.handles.end() || h->second.mode != kScratchMode)
      return fail(routine, "NO SCRATCH PARTITION FOR HANDLE " + std::to_string(*handle));
    *index = handOut(s, routine, *length, nullptr);
    return;
  }
  if (*kind != 17 && *kind != 18) return fail(routine, "UNKNOWN KIND " + std::to_string(*kind));
  const glo_store::Partition* part = boundPartition(s, *handle);
  if (part == nullptr) return fail(routine, "HANDLE " + std::to_string(*handle) + " IS NOT OPEN");
  if (*block < 1 || static_cast<std::size_t>(*block) > part->blocks.size())
    return fail(routine, "PARTITION " + std::to_string(part->number) + " HAS NO BLOCK " + std::to_string(*block));
  const auto& stored = part->blocks[static_cast<std::size_t>(*block - 1)];
  if (static_cast<std::size_t>(*length) > stored.size())
    return fail(routine, "BLOCK " + std::to_string(*block) + " OF PARTITION " + std::to_string(part->number) +
                             " HOLDS " + std::to_string(stored.size()) + " WORDS, NOT " + std::to_string(*length));
  *index = handOut(s, routine, *length, stored.data());
}

void DSM_BLO_RELEASE(const Int*, const Int* index) {
  if (*index == kIndexLimit) return;
  if (store().blocks.erase(*index) == 0) fail("DSM_BLO_RELEASE", "INDEX " + std::to_string(*index) + " IS NOT A BLOCK");
}

void GLO_UTI_COPYI(const Int* n, const Int* from, Int* to) {
  if (*n > 0) std::memmove(to, from, static_cast<std::size_t>(*n) * 4);
}

void GLO_UTI_COPYR(const Int* n, const float* from, float* to) {
  if (*n > 0) std::memmove(to, from, static_cast<std::size_t>(*n) * 4);
}

void GLO_UTI_BROADCASTI(const Int* n, const Int* value, Int* to) {
  for (Int k = 0; k < *n; ++k) to[k] = *value;
}

void GLO_UTI_BROADCASTR(const Int* n, const float* value, float* to) {
  for (Int k = 0; k < *n; ++k) to[k] = *value;
}

}  // extern "C"

namespace glo_testing {

int outstandingBlocks() { return static_cast<int>(store().blocks.size()); }

std::vector<OpenCall> opens() { return store().opens; }

int opensOf(int unit, int number) {
  int count = 0;
  for (const OpenCall& call : store().opens) count += call.unit == unit && call.number == number ? 1 : 0;
  return count;
}

bool writeFolder(const std::string& path, const std::vector<RawPartition>& partitions) {
  std::vector<glo_store::Partition> stored;
  for (const RawPartition& p : partitions) stored.push_back({p.number, p.instance, p.key, p.blocks});
  return glo_store::writeFolderFile(path, stored);
}

void resetStore() {
  Store& s = store();
  s = Store{};
}

}  // namespace glo_testing
