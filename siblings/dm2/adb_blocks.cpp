// Global memory blocks, work blocks and temporary blocks of the analysis database.
#include <algorithm>
#include <string>

#include "siblings/dm2/adb_model.h"
#include "siblings/dm2/block_failures.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/dm2_memory.h"

using dm2_detail::MemoryBlock;

namespace {

using Blocks = std::vector<std::unique_ptr<MemoryBlock>>;

Blocks::iterator findBlock(Blocks& blocks, Int word) {
  return std::find_if(blocks.begin(), blocks.end(), [word](const auto& b) { return b->word == word; });
}

// A new zeroed block of count units of unit bytes kept in blocks; 0 (reported) when the size
// is negative or the block cannot be had.
Int newBlock(Blocks& blocks, Int count, std::size_t unit, const char* routine) {
  std::unique_ptr<MemoryBlock> block;
  if (count >= 0 && !dm2_detail::refuseBlock()) block = dm2_detail::makeBlock(static_cast<std::size_t>(count) * unit);
  if (block == nullptr) {
    adb_Kvxerr1(-3, (std::string("SYSTEM ERROR IN ") + routine + " - UNABLE TO ALLOCATE %I WORDS").c_str(), count);
    return 0;
  }
  blocks.push_back(std::move(block));
  return blocks.back()->word;
}

// Unmaps and drops the block of the word; false when blocks holds none.
bool dropBlock(Blocks& blocks, Int word) {
  const auto it = findBlock(blocks, word);
  if (it == blocks.end()) return false;
  mem32::unmap((*it)->word);
  blocks.erase(it);
  return true;
}

}  // namespace

extern "C" {

Int ADB_GLOBALMEMOPEN(const Int* handle) {
  auto& globals = dm2_detail::model().globalBlocks;
  if (*handle < 1 || static_cast<std::size_t>(*handle) > globals.size()) {
    adb_Kvxerr1(-3, "SYSTEM ERROR IN ADB_GLOBALMEMOPEN - NO GLOBAL BLOCK OF HANDLE %I", *handle);
    return 0;
  }
  MemoryBlock& block = *globals[static_cast<std::size_t>(*handle - 1)];
  ++block.opens;
  return block.word;
}

Int ADB_GLOBALMEMOPENI(const Int* size) {
  return newBlock(dm2_detail::model().workBlocks, *size, sizeof(Int), "ADB_GLOBALMEMOPENI");
}

void ADB_MEMCLOSE(const Int* address) {
  dm2_detail::Model& m = dm2_detail::model();
  if (dropBlock(m.workBlocks, *address)) return;
  const auto global = findBlock(m.globalBlocks, *address);
  if (global != m.globalBlocks.end() && (*global)->opens > 0) {
    --(*global)->opens;
    return;
  }
  adb_Kvxerr1(-3, "SYSTEM ERROR IN ADB_MEMCLOSE - NO OPEN BLOCK AT %I", *address);
}

Int RDM_ALLOCATETEMPORARY(const Int* size) {
  return newBlock(dm2_detail::model().temporaries, *size, 8, "RDM_ALLOCATETEMPORARY");
}

void RDM_RELEASETEMPORARY(const Int* address) {
  if (!dropBlock(dm2_detail::model().temporaries, *address))
    adb_Kvxerr1(-3, "SYSTEM ERROR IN RDM_RELEASETEMPORARY - NO TEMPORARY BLOCK AT %I", *address);
}

}  // extern "C"
