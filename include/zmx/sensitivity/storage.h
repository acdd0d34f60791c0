// Variable storage of the current element: per variable block of the element's layout, the
// variables present, their storage classes and their sensitivity descriptors.
#pragma once

#include <memory>
#include <vector>

#include "zmx/types.h"

class Layout;
class ElementLayout;
class SectIntLayout;
class RebarLayout;
class MatPointLayout;
struct adb_dsaVars;
// Kind of a variable block (0 element, 1 section point, 3 material point); the analysis
// database defines its values.
enum VarBlockTypeKey : int;

// Where a variable or a companion lies in its layout, found once when the storage is formed:
// its storage class, its first real in the copies of that class and its number of reals
// (points times values per point); size -1 when the layout lacks it.
struct dsa_VarPlace {
  Int id = -1;
  Int storageClass = 0;
  Int first = 0;
  Int size = -1;
};

// The variable itself (place 0) and its companions d0 to d2 (places 1 to 3), and per companion
// the number of whole blocks shaped like the variable it holds (-1 when the variable or the
// companion is missing), so that a walk checks a block number with one comparison.
struct dsa_VarAccess {
  void Locate(const Layout& layout, Int id, const adb_dsaVars& vars);
  dsa_VarPlace place[4];
  Int blocks[3] = {-1, -1, -1};
};

// The present variables of one block, ids ascending.
class ZMX_EXPORT dsa_Var {
 public:
  dsa_Var() = default;
  dsa_Var(const dsa_Var&) = delete;
  dsa_Var& operator=(const dsa_Var&) = delete;
  ~dsa_Var();
  void FormStorage(const Layout& layout, Int nIds, VarBlockTypeKey kind);

  Int count = 0;
  std::unique_ptr<Int[]> ids;
  std::unique_ptr<Int[]> classes;
  std::unique_ptr<adb_dsaVars[]> descriptors;
  std::unique_ptr<dsa_VarAccess[]> access;  // where each variable and its companions lie
  // The additions a perturbation or difference walk makes in this block, in walk order, formed at
  // the first walk of each of their variants (by mode and control words): a slot is a storage
  // class times 3 plus a copy; blocks as in dsa_VarAccess.
  struct Step {
    Int selfSlot, selfFirst, storeSlot, storeFirst, size, blocks;
  };
  static constexpr int kWalkVariants = 8;
  mutable std::vector<Step> steps[kWalkVariants];
  mutable bool stepsFormed[kWalkVariants] = {};
};

// Finds where variable id of the layout lies; false (place.size -1) when the layout lacks it or
// it runs past its class's copies.
ZMX_EXPORT bool dsa_LocateVar(const Layout& layout, Int id, dsa_VarPlace& place);

class ZMX_EXPORT dsa_MatVar {
 public:
  void FormStorage(const MatPointLayout& layout);
  dsa_Var var;
};

class ZMX_EXPORT dsa_RebarVar {
 public:
  void FormStorage(const RebarLayout& layout);
  Int count = 0;  // stays 0
  std::vector<dsa_MatVar> mats;
};

class ZMX_EXPORT dsa_SectVar {
 public:
  void FormStorage(const SectIntLayout& layout);
  // Destroyed in the order var, rebars, mats.
  std::vector<dsa_MatVar> mats;
  std::vector<dsa_RebarVar> rebars;
  dsa_Var var;
};

class ZMX_EXPORT dsa_VarStorage {
 public:
  void FormStorage(const ElementLayout& layout);
  // Destroyed in the order var, section points, rebar layers.
  std::vector<dsa_RebarVar> rebars;
  std::vector<dsa_SectVar> sects;
  dsa_Var var;
  // The element layout the tree was formed from, and its address word: the places fit that
  // layout, so a walk over it need not check them again.
  const ElementLayout* formedFrom = nullptr;
  Int formedWord = 0;
};

extern "C" {
// Forms the storage of the element layout (an element handle) into the sensitivity state; a
// storage the state still holds is destroyed first.
ZMX_EXPORT void ELDSAFORMSTORAGE(const Int* layout);
ZMX_EXPORT void ELDSADELSTORAGE();
}
