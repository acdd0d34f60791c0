// The gathering steps of the output-database writer as the work-array layout calls them, with the
// room of each region, so that nothing is written past the host's array.
#pragma once

#include "runtime/fortran_types.h"

namespace zmx::odb {

struct ClassifyArgs {
  void* buffer;            // section record buffer (record-buffer slots)
  Int* classTable;         // room for coreCount slots
  Int sectionMap;          // container handle, 0 for none
  Int* elementTable;
  Int* classCount;
  Int* coreCount;          // room of the class table in slots
  Int* connectorTable;
  void* connectorBuffer;   // CGM word 44 slots
  void* connectorNames;    // namesPerElement slots per element
  Int namesPerElement;
  Int connectorFlag;
  Int* arraySize;
};

// Classifies every element; false (reported) when the class table has no room left.
bool classifyElements(const ClassifyArgs& args);

// Node references into capacity entries; false when they do not fit (reported).
bool gatherNodeReferences(void* references, void* buffer, long long bufferSlots, Int* count, Int nodeDatabase,
                          long long capacity);
// Sorted distinct values into the buffer of capacity slots; false when they do not fit.
bool gatherHourglassValues(void* buffer, long long capacity, Int* count);
// Number of parts of the element-set directory read into the buffer.
Int countParts(void* buffer, long long bufferSlots);

// The type record of an element handle (ELEMACCESS operation 2), or null when it has none.
const Int* typeRecordOf(Int element);

// True when the 80-character name (after DBLABEL operation 1) names a part.
bool isPartName(const char name[80]);

}  // namespace zmx::odb
