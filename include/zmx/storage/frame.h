// Module frame, surface registry, run-wide defaults and orderly exit.
#pragma once

#include "zmx/types.h"
#include "zmx/singleton.h"

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

// The registry's single object belongs to this library, which defines these two members: every
// library that reaches the registry goes through the one exported copy of each.
template <>
shr_SurfaceDb* omi_Singleton<shr_SurfaceDb>::Instance();
template <>
void omi_SingletonBase<shr_SurfaceDb>::Finalize();
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


// ---- Run-wide defaults and orderly exit ------------------------------------------------------

extern "C" {
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
}
