// The parts of the analysis database (their elements, each with its type code and node list),
// element lookup by element-list entry, node variables and variable lengths, as the model-data
// routines call them.
#pragma once

#include <vector>

#include "runtime/fortran_types.h"
#include "zmx/singleton.h"

// One part: its elements in order, each with a type code and a list of internal node indices.
class ZMX_EXPORT adb_Part {
 public:
  Int ElementCount() const { return static_cast<Int>(types_.size()); }
  // Element k from 1; 0 and an empty list outside the part.
  Int TypeCode(Int k) const;
  const Int* Nodes(Int k, Int& count) const;

 private:
  friend class adb_Manager;
  std::vector<Int> types_;
  std::vector<std::size_t> firsts_;  // element k's nodes are nodes_[firsts_[k-1] .. firsts_[k])
  std::vector<Int> nodes_;
};

class ZMX_EXPORT adb_Manager {
 public:
  Int PartCount() const { return static_cast<Int>(parts_.size()); }
  // Part index from 1; null outside.
  const adb_Part* GetPart(Int index) const;

  // Adds a part from a flat node list (element k's nodes from firsts[k-1] to firsts[k]);
  // returns its index.
  Int AddPart(std::vector<Int> types, std::vector<std::size_t> firsts, std::vector<Int> nodes);
  void Clear() { parts_.clear(); }

 private:
  friend class omi_Singleton<adb_Manager>;
  friend class omi_SingletonBase<adb_Manager>;
  adb_Manager() = default;
  std::vector<adb_Part> parts_;
};

extern template class omi_SingletonBase<adb_Manager>;
extern template class omi_Singleton<adb_Manager>;

extern "C" {
// The element handle that an element-list entry names; 0 (reported) for an entry never mapped.
ZMX_EXPORT Int ADB_ELEMGET(const Int* entry);
// Number of values of the layout's variable, 0 when it has none.
ZMX_EXPORT Int QUERYVARLENE(const Int* layout, const Int* id);
// Address of the reals of node variable id of the node with the internal index in the node
// database; 0 when the node has no such variable.
ZMX_EXPORT Int ADB_GETVARNDR(const Int* nodeDatabase, const Int* index, const Int* id);
}
