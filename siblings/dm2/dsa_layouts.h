// Variable layouts of an element as the design-sensitivity code walks them: the element's own
// block, its section points, its rebar layers and their material points. Each layout owns a
// VarBlock that says, per variable id, how many points the variable has in the block (0: absent),
// its storage class and its position; each storage class of a layout keeps three copies of its
// data (copy k of class c starts at Copies(c).base[k]; a variable's values in copy k start at
// base[k] + (baseIndex + position) * stride reals).
//
// Layouts are reached from an element handle (adb_dsaElementLayout) and, as address words of
// their own tags, through GETSUBLAYOUT (operation 0: section point k of an element layout;
// operation 1: material point k of a section point) and GETVARDRW (copy 0 of the variable).
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "runtime/fortran_types.h"

// Kind of a variable block, and so of the id space of its variables.
enum VarBlockTypeKey : int { kElementVarBlock = 0, kSectionVarBlock = 1, kMatPointVarBlock = 3 };

// Companions of a variable: d[0] its saved initial state, d[1] and d[2] its derivative stores;
// -1 where it has none.
struct adb_dsaVars {
  Int d[4];
};

// The global format record of a variable id: count times the size of the format gives the values
// per point.
struct adb_dsaVarFormat {
  Int count = 0;
  Int format = 0;
};

class ZMX_EXPORT VarBlock {
 public:
  struct Entry {
    Int points = 0;
    Int storageClass = 0;
    Int position = 0;
  };
  // Ids 0 to DefinedIds() - 1 are the block's own; companions may lie beyond.
  Int DefinedIds() const { return definedIds_; }
  // Entry of the id, null when the block has no entry for it.
  const Entry* Find(Int id) const {
    return id >= 0 && static_cast<std::size_t>(id) < entries_.size() ? &entries_[static_cast<std::size_t>(id)] : nullptr;
  }
  Int Points(Int id) const {
    const Entry* e = Find(id);
    return e ? e->points : 0;
  }
  Int StorageClass(Int id) const {
    const Entry* e = Find(id);
    return e ? e->storageClass : 0;
  }

 private:
  friend class Layout;
  friend struct dm2_dsa_detail;
  Int definedIds_ = 0;
  std::vector<Entry> entries_;
};

class ZMX_EXPORT Layout {
 public:
  static constexpr int kStorageClasses = 10;
  struct Copies {
    Real* base[3] = {nullptr, nullptr, nullptr};
    std::size_t length = 0;  // reals in each copy
    Int baseIndex = 0;
    Int stride = 1;
  };
  const VarBlock& Block() const { return block_; }
  // Null for a class outside 0 to 9.
  const Copies* ClassCopies(Int storageClass) const {
    return storageClass >= 0 && storageClass < kStorageClasses ? &copies_[storageClass] : nullptr;
  }
  Int Word() const { return word_; }
  virtual ~Layout();

 protected:
  Layout() = default;

 private:
  friend struct dm2_dsa_detail;
  VarBlock block_;
  Copies copies_[kStorageClasses];
  std::vector<Real> data_[kStorageClasses][3];
  Int dataWords_[kStorageClasses][3] = {};
  Int word_ = 0;
};

class ZMX_EXPORT MatPointLayout : public Layout {
 public:
  ~MatPointLayout() override;  // out of line: the type's information lives in this library
};

class ZMX_EXPORT RebarLayout : public Layout {
 public:
  ~RebarLayout() override;
  Int NumMatPoints() const { return static_cast<Int>(mats_.size()); }
  MatPointLayout* MatPoint(Int k) const { return mats_[static_cast<std::size_t>(k - 1)].get(); }

 private:
  friend struct dm2_dsa_detail;
  std::vector<std::unique_ptr<MatPointLayout>> mats_;
};

class ZMX_EXPORT SectIntLayout : public Layout {
 public:
  ~SectIntLayout() override;
  Int NumMatPoints() const { return static_cast<Int>(mats_.size()); }
  Int NumRebars() const { return static_cast<Int>(rebars_.size()); }
  MatPointLayout* MatPoint(Int k) const { return mats_[static_cast<std::size_t>(k - 1)].get(); }
  RebarLayout* Rebar(Int k) const { return rebars_[static_cast<std::size_t>(k - 1)].get(); }

 private:
  friend struct dm2_dsa_detail;
  std::vector<std::unique_ptr<MatPointLayout>> mats_;
  std::vector<std::unique_ptr<RebarLayout>> rebars_;
};

class ZMX_EXPORT ElementLayout : public Layout {
 public:
  ~ElementLayout() override;
  Int NumSectPoints() const { return static_cast<Int>(sects_.size()); }
  Int NumRebars() const { return static_cast<Int>(rebars_.size()); }
  SectIntLayout* SectPoint(Int k) const { return sects_[static_cast<std::size_t>(k - 1)].get(); }
  RebarLayout* Rebar(Int k) const { return rebars_[static_cast<std::size_t>(k - 1)].get(); }
  Int Element() const { return element_; }

 private:
  friend struct dm2_dsa_detail;
  std::vector<std::unique_ptr<SectIntLayout>> sects_;
  std::vector<std::unique_ptr<RebarLayout>> rebars_;
  Int element_ = 0;
};

// Descriptor of the variable id in the id space of the block kind.
ZMX_EXPORT adb_dsaVars adb_dsaVarID(Int kind, Int id);
// The id whose format record a companion id beyond its block's own ids uses.
ZMX_EXPORT Int adb_dsaParentVarID(Int id);
// Global format record of an id (count 0 for an unknown id).
ZMX_EXPORT const adb_dsaVarFormat& getglobalVarFormat(Int id);
ZMX_EXPORT Int getglobalVarFormatSize(Int format);
// The element layout of the element handle; null (reported) when the element has none.
ZMX_EXPORT ElementLayout* adb_dsaElementLayout(Int element);
// Refreshes the read-write buffers of the element (recorded).
ZMX_EXPORT void refreshrwbuffer(Int element, ElementLayout* layout);

namespace dm2_dsa_detail_api {
// Served for GETSUBLAYOUT and GETVARDRW when the word is an element handle with a sensitivity
// layout or one of its sub-layouts; false when the word is none of those.
bool subLayout(Int operation, Int word, Int index, Int& result);
bool variableAddress(Int word, Int id, Int& result);
}  // namespace dm2_dsa_detail_api
