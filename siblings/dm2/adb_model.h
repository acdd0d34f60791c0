// The in-memory analysis database behind the upper-case calls: what the tests build through
// dm2_testing and the blocks handed out. Every object is mapped into the 32-bit space once, when
// it is made, and unmapped when the model is reset, so handles kept past a reset turn stale.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "siblings/dm2/testing.h"

namespace dm2_detail {

// The analysis database serves a 32-bit process: no block reaches 2 GiB.
inline constexpr std::size_t kLargestBlock = 0x7fffffff;

// A list or record handed out as one data word.
struct IntList {
  std::vector<Int> values;
  Int word = 0;
};

struct NodeRecord {
  Int userNumber = 0;
  std::vector<Real> coordinates;
  IntList record;  // word 1 degree-of-freedom word, word 2 user number
  IntList slideLineAddresses;
  IntList dofList;
  Int word = 0;  // node reference
};

struct VariableRecord {
  Int id = 0;
  bool integer = false;
  std::vector<Real> reals;
  std::vector<Int> ints;
  Int rows = 0;
  Int columns = 0;
  Int word = 0;  // address of the data
};

struct ElementRecord;

struct LayoutRecord {
  int level = 0;                     // 0 the element's own layout, 1 a sub-layout, ...
  ElementRecord* element = nullptr;  // set on the element's own layout only
  std::vector<VariableRecord> variables;
  std::vector<std::unique_ptr<LayoutRecord>> sublayouts;
  Int word = 0;  // layout handle
};

struct ElementRecord {
  Int userNumber = 0;
  Int typeRecord = 0;  // data word of the element-type record, 0 when the type is unknown
  Int section = 0;
  Int slideLine = 0;
  Int classValue = 0;
  IntList nodes;
  IntList recordAddresses;
  IntList slideLineAddresses;
  IntList dofEntries;
  LayoutRecord layout;
};

struct MemoryBlock {
  std::unique_ptr<std::uint64_t[]> storage;  // 8-byte aligned
  Int word = 0;
  int opens = 0;  // global blocks: opens not yet closed
};

struct Model {
  Int nodeDatabase = 0;
  std::vector<std::unique_ptr<NodeRecord>> nodes;
  std::vector<std::unique_ptr<IntList>> typeRecords;
  std::vector<std::unique_ptr<ElementRecord>> elements;
  std::vector<std::unique_ptr<MemoryBlock>> globalBlocks;  // memory handle k is entry k - 1
  std::vector<std::unique_ptr<MemoryBlock>> workBlocks;    // open ADB_GLOBALMEMOPENI blocks
  std::vector<std::unique_ptr<MemoryBlock>> temporaries;
};

Model& model();

// A zeroed block of bytes (rounded up to 8-byte words), mapped as a memory block; null when
// the block cannot be mapped.
std::unique_ptr<MemoryBlock> makeBlock(std::size_t bytes);

}  // namespace dm2_detail
