// Surface registry: per model, named surfaces with two integer lists each, laid end to end in
// a pool of 32-bit words. One model is current and one of its surfaces is open at a time.
#include <cstring>
#include <string>

#include "runtime/address_space.h"
#include "runtime/fortran_chars.h"
#include "siblings/dm2/dm2_memory.h"
#include "siblings/eqc/eqc_messages.h"
#include "zmx/storage.h"

template <>
shr_SurfaceDb* omi_Singleton<shr_SurfaceDb>::Instance() {
  if (instance == nullptr) instance = new shr_SurfaceDb();
  return instance;
}

template <>
void omi_SingletonBase<shr_SurfaceDb>::Finalize() {
  delete instance;
  instance = nullptr;
}

template class omi_SingletonBase<shr_SurfaceDb>;
template class omi_Singleton<shr_SurfaceDb>;

namespace {

constexpr mem32::Tag kPoolTag = mem32::tag("SURF");

void* allocateWords(long long words) {
  if (words < 0) return nullptr;
  return adb_MemoryManagement::Pool().Allocate(static_cast<std::size_t>(words) * 4 + (words == 0 ? 4 : 0));
}

void release(void* block) {
  if (block != nullptr) adb_MemoryManagement::Pool().Release(block);
}

void systemError(const std::string& text) { cfi_WriteMessage(-3, text.c_str()); }

void reportLimit(const char* routine, const char* what) {
  systemError(std::string("SYSTEM ERROR IN ModelSurfaceDb::") + routine + " - " + what);
}

}  // namespace

// ---- shr_ModelSurfaceDb ---------------------------------------------------------------------

shr_ModelSurfaceDb::shr_ModelSurfaceDb(int slots, int poolWords) {
  const long long tableWords = static_cast<long long>(slots) * kWordsPerSlot;
  table_ = static_cast<Slot*>(allocateWords(tableWords));
  if (table_ == nullptr) {
    adb_Kvxerr1(-3, "SYSTEM ERROR IN ModelSurfaceDb::ModelSurfaceDb - UNABLE TO ALLOCATE %I WORDS",
                static_cast<int>(tableWords));
    return;
  }
  pool_ = static_cast<Int*>(allocateWords(poolWords));
  if (pool_ != nullptr) poolWord_ = mem32::map(pool_, static_cast<std::size_t>(poolWords) * 4, kPoolTag);
  if (pool_ == nullptr || poolWord_ == 0) {
    adb_Kvxerr1(-3, "SYSTEM ERROR IN ModelSurfaceDb::ModelSurfaceDb - UNABLE TO ALLOCATE %I WORDS", poolWords);
    release(pool_);
    release(table_);
    pool_ = nullptr;
    table_ = nullptr;
    return;
  }
  std::memset(static_cast<void*>(table_), 0, static_cast<std::size_t>(slots) * sizeof(Slot));
  std::memset(pool_, 0, static_cast<std::size_t>(poolWords) * 4);
  slots_ = slots;
  poolWords_ = poolWords;
}

shr_ModelSurfaceDb::~shr_ModelSurfaceDb() {
  if (poolWord_ != 0) mem32::unmap(poolWord_);
  release(pool_);
  release(table_);
}

int shr_ModelSurfaceDb::find(const char* name) const {
  for (int k = 0; k < count_; ++k)
    if (std::strcmp(table_[k].name, name) == 0) return k;
  return -1;
}

int shr_ModelSurfaceDb::addSurface(const char* name, int n) {
  if (std::strlen(name) > static_cast<std::size_t>(kNameLength)) {
    reportLimit("AddSurface", "SURFACE NAME LONGER THAN 8 CHARACTERS");
    return 1;
  }
  if (find(name) >= 0) return 1;
  if (count_ >= slots_) {
    reportLimit("AddSurface", "TOO MANY SURFACES FOR THE SURFACE TABLE");
    return 1;
  }
  const long long blockWords = 2LL * n + 2;
  if (n < 0 || nextFree_ + blockWords > poolWords_) {
    reportLimit("AddSurface", "SURFACE DATABASE TOO SMALL");
    return 1;
  }
  Slot& slot = table_[count_];
  std::memset(slot.name, 0, sizeof slot.name);
  std::memcpy(slot.name, name, std::strlen(name));
  slot.block = nextFree_;
  pool_[nextFree_] = static_cast<Int>(blockWords);
  pool_[nextFree_ + 1] = n;
  open_ = count_;
  ++count_;
  nextFree_ += static_cast<int>(blockWords);
  return 0;
}

void shr_ModelSurfaceDb::openSurface(const char* name, int& status) {
  const int k = find(name);
  if (k < 0) {
    status = -1;
    return;
  }
  status = 0;
  open_ = k;
}

int shr_ModelSurfaceDb::SurfaceAccess(int operation, int& count) {
  count = 0;
  if (open_ < 0) {
    systemError("SYSTEM ERROR IN ModelSurfaceDb::SurfaceAccess - ACCESSING INFO FOR A CLOSED SURFACE");
    return 0;
  }
  const int block = table_[open_].block;
  const int n = pool_[block + 1];
  switch (operation) {
    case 0:
      count = n;
      return 0;
    case 1:
      return poolWord_ + 4 * (block + 2);
    case 2:
      return poolWord_ + 4 * (block + 2 + n);
    default:
      return 0;
  }
}

void shr_ModelSurfaceDb::closeSurface() { open_ = -1; }

// ---- shr_SurfaceDbEntry ---------------------------------------------------------------------

shr_SurfaceDbEntry::shr_SurfaceDbEntry(const char* name) {
  std::strncpy(name_, name, kModelNameLength);
  name_[kModelNameLength] = '\0';
}

shr_SurfaceDbEntry::~shr_SurfaceDbEntry() { delete db_; }

shr_SurfaceDbEntry* shr_SurfaceDbEntry::getNext() const { return next_; }
void shr_SurfaceDbEntry::setNext(shr_SurfaceDbEntry* next) { next_ = next; }
const char* shr_SurfaceDbEntry::getModelName() const { return name_; }
shr_ModelSurfaceDb* shr_SurfaceDbEntry::getModelSurfaceDb() const { return db_; }

void shr_SurfaceDbEntry::attachModelSurfaceDb(int slots, int poolWords) {
  if (db_ == nullptr) db_ = new shr_ModelSurfaceDb(slots, poolWords);
}

// ---- shr_SurfaceDb --------------------------------------------------------------------------

shr_SurfaceDb::shr_SurfaceDb() {
  first_ = new shr_SurfaceDbEntry("global");
  current_ = first_;
}

shr_SurfaceDb::~shr_SurfaceDb() {
  while (first_ != nullptr) {
    shr_SurfaceDbEntry* next = first_->getNext();
    delete first_;
    first_ = next;
  }
  current_ = nullptr;
}

shr_SurfaceDbEntry* shr_SurfaceDb::locate(const char* name) const {
  for (shr_SurfaceDbEntry* entry = first_; entry != nullptr; entry = entry->getNext())
    if (std::strcmp(entry->getModelName(), name) == 0) return entry;
  return nullptr;
}

void shr_SurfaceDb::setCurrentModelDb(shr_SurfaceDbEntry* entry) {
  current_ = entry;
  if (entry == nullptr) return;
  for (shr_SurfaceDbEntry* e = first_; e != nullptr; e = e->getNext())
    if (e == entry) return;
  appendDbEntry(entry);
}

shr_SurfaceDbEntry* shr_SurfaceDb::getCurrentEntry() const { return current_; }

shr_ModelSurfaceDb* shr_SurfaceDb::getCurrentModelSurfaceDb() const {
  return current_ == nullptr ? nullptr : current_->getModelSurfaceDb();
}

// The list always holds "global", made with the registry.
void shr_SurfaceDb::appendDbEntry(shr_SurfaceDbEntry* entry) {
  entry->setNext(nullptr);
  shr_SurfaceDbEntry* last = first_;
  while (last->getNext() != nullptr) last = last->getNext();
  last->setNext(entry);
}

// ---- Upper-case wrappers --------------------------------------------------------------------

namespace {

shr_SurfaceDb& registry() { return *omi_Singleton<shr_SurfaceDb>::Instance(); }

// The current model's database; reported when the model has none.
shr_ModelSurfaceDb* currentDb(const char* routine) {
  shr_ModelSurfaceDb* db = registry().getCurrentModelSurfaceDb();
  if (db == nullptr) systemError(std::string("SYSTEM ERROR IN ") + routine + " - THE CURRENT MODEL HAS NO SURFACE DATABASE");
  return db;
}

// A new surface's name of the caller, trimmed; false (reported) when it is longer than a slot holds.
bool newSurfaceName(const char* name, Int length, std::string& out) {
  out = fchar::toString(name, length);
  if (out.size() <= static_cast<std::size_t>(shr_ModelSurfaceDb::kNameLength)) return true;
  systemError("SYSTEM ERROR IN SHR_ADDSURFACE - SURFACE NAME LONGER THAN 8 CHARACTERS");
  return false;
}

}  // namespace

void SHR_MKMODELSURFACEDBCURRENT(const char* model, Int modelLength) {
  const std::string name = fchar::toString(model, modelLength);
  if (name.size() > static_cast<std::size_t>(shr_SurfaceDbEntry::kModelNameLength)) {
    systemError("SYSTEM ERROR IN SHR_MKMODELSURFACEDBCURRENT - MODEL NAME LONGER THAN 255 CHARACTERS");
    return;
  }
  shr_SurfaceDb& db = registry();
  shr_SurfaceDbEntry* entry = db.locate(name.c_str());
  if (entry == nullptr) entry = new shr_SurfaceDbEntry(name.c_str());
  db.setCurrentModelDb(entry);
}

void SHR_CREATEMODELSURFACEDB(const Int* slots, const Int* poolWords) {
  shr_SurfaceDbEntry* entry = registry().getCurrentEntry();
  if (entry == nullptr) return;
  entry->attachModelSurfaceDb(*slots, *poolWords);  // a negative size cannot be had (reported)
}

Int SHR_ADDSURFACE(const char* name, Int nameLength, const Int* n) {
  std::string surface;
  if (!newSurfaceName(name, nameLength, surface)) return 1;
  shr_ModelSurfaceDb* db = currentDb("SHR_ADDSURFACE");
  return db == nullptr ? 1 : db->addSurface(surface.c_str(), *n);
}

// A name longer than a slot holds names no surface: status -1, like any other unknown name.
void SHR_OPENSURFACE(const char* name, Int nameLength, Int* status) {
  *status = -1;
  const std::string surface = fchar::toString(name, nameLength);
  if (shr_ModelSurfaceDb* db = currentDb("SHR_OPENSURFACE")) db->openSurface(surface.c_str(), *status);
}

Int SHR_ACCESSSURFACE(const Int* operation, Int* count) {
  *count = 0;
  shr_ModelSurfaceDb* db = currentDb("SHR_ACCESSSURFACE");
  return db == nullptr ? 0 : db->SurfaceAccess(*operation, *count);
}

void SHR_CLOSESURFACE() {
  if (shr_ModelSurfaceDb* db = currentDb("SHR_CLOSESURFACE")) db->closeSurface();
}
