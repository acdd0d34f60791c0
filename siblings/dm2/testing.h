// Test-facing side of the dm2 stand-in: builds the analysis-database model that the upper-case
// calls of dm2_adb.h read, and shows what the library did with memory.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "runtime/fortran_types.h"

namespace dm2_testing {

struct Node {
  Int userNumber = 0;
  std::vector<Real> coordinates{};
  std::vector<Int> slideLineAddresses{};  // ADB_NODEACCESS operation 1
  std::vector<Int> dofList{};             // ADB_NODEACCESS operation 2
  Int dofWord = 0;                      // word 1 of the node record (operation 0)
};

struct ElementType {
  Int typeCode = 0;    // word 1
  Int familyCode = 0;  // word 4
  Int dimension = 0;   // word 7: coordinates per node
  Int nodeCount = 0;   // word 36
  std::vector<std::pair<int, Int>> words{};  // further words: (word from 1, value)
};

// A real variable (reals) or an integer variable (ints, integer = true). rows x columns is
// what QUERYVAR reports; both 0 means (length, 1). Given sizes fix the length (zero-filled).
struct Variable {
  Int id = 0;
  bool integer = false;
  std::vector<Real> reals{};
  std::vector<Int> ints{};
  Int rows = 0;
  Int columns = 0;
};

struct Layout {
  std::vector<Variable> variables{};
  std::vector<Layout> sublayouts{};  // GETSUBLAYOUT index 1, 2, ...
};

struct Element {
  Int userNumber = 0;                   // ELEMACCESS 0
  Int type = 0;                         // from addElementType; ELEMACCESS 2
  std::vector<Int> nodes{};               // internal node indices; ELEMACCESS 1
  Int section = 0;                      // section record address; ELEMACCESS 3
  Int slideLine = 0;                    // slide-line record address; ELEMACCESS 18
  std::vector<Int> recordAddresses{};     // ELEMACCESS 4
  std::vector<Int> slideLineAddresses{};  // ELEMACCESS 10
  std::vector<Int> dofEntries{};          // ELEMACCESS 13
  Int classValue = 0;                   // ELEMACCESS 15
  Layout layout{};
};

// Adds a node; returns its internal index (1, 2, ...).
ZMX_EXPORT Int addNode(const Node& node);
// The node database handle for ADB_GETNODE.
ZMX_EXPORT Int nodeDatabase();
// Adds an element type; returns its number for Element::type (1, 2, ...).
ZMX_EXPORT Int addElementType(const ElementType& type);
// Adds an element; returns its element handle (which is also its layout handle).
ZMX_EXPORT Int addElement(const Element& element);
// Adds a zeroed global block of words 8-byte words; returns its memory handle for
// ADB_GLOBALMEMOPEN.
ZMX_EXPORT Int addGlobalBlock(std::size_t words);
// Drops the whole model, every block and every handle given out (they turn stale).
ZMX_EXPORT void resetModel();

// Blocks opened by ADB_GLOBALMEMOPEN or ADB_GLOBALMEMOPENI and not yet closed.
ZMX_EXPORT int openBlocks();
// Temporary blocks not yet released.
ZMX_EXPORT int temporaryBlocks();

// adb_MemoryManagement: the next n Allocate calls fail; blocks allocated and not released.
ZMX_EXPORT void failNextAllocations(int n);
ZMX_EXPORT int liveAllocations();

}  // namespace dm2_testing
