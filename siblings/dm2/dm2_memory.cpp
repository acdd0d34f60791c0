#include "siblings/dm2/dm2_memory.h"

#include <new>

#include "siblings/dm2/adb_model.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/eqc_messages.h"

namespace {

constinit adb_MemoryManagement gPool{};
constinit int gFailuresToCome = 0;
constinit int gLiveBlocks = 0;

}  // namespace

void adb_Kvxerr1(int level, const char* text, int value) { kvxerrC(level, text, &value, nullptr, ""); }

adb_MemoryManagement& adb_MemoryManagement::Pool() { return gPool; }

void* adb_MemoryManagement::Allocate(std::size_t bytes) {
  if (gFailuresToCome > 0) {
    --gFailuresToCome;
    return nullptr;
  }
  if (bytes > dm2_detail::kLargestBlock) return nullptr;
  void* block = ::operator new(bytes, std::nothrow);
  if (block != nullptr) ++gLiveBlocks;
  return block;
}

void adb_MemoryManagement::Release(void* block) {
  if (block == nullptr) return;
  ::operator delete(block);
  --gLiveBlocks;
}

namespace dm2_testing {
void failNextAllocations(int n) { gFailuresToCome = n > 0 ? n : 0; }
int liveAllocations() { return gLiveBlocks; }
}  // namespace dm2_testing
