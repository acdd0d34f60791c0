// Test-facing side of the dm2 stand-in's sensitivity layouts: builds them, fills the id tables
// and shows the calls the library made.
#pragma once

#include <vector>

#include "siblings/dm2/dsa_layouts.h"

namespace dm2_dsa_testing {

struct VarPlan {
  Int id = 0;
  Int points = 0;  // 0: listed but absent
  Int storageClass = 0;
};

// One block: its variables (companions included), and the copy addressing of every class.
struct BlockPlan {
  std::vector<VarPlan> variables{};
  Int baseIndex = 1;
  Int stride = 1;
};

struct RebarPlan {
  BlockPlan block{};
  std::vector<BlockPlan> mats{};
};

struct SectPlan {
  BlockPlan block{};
  std::vector<RebarPlan> rebars{};
  std::vector<BlockPlan> mats{};
};

struct ElementPlan {
  BlockPlan block{};
  std::vector<SectPlan> sects{};
  std::vector<RebarPlan> rebars{};
};

// Builds the layouts and attaches them to the element handle (0: no element); returns them.
// Each class copy is sized to its variables and filled with zeros.
ZMX_EXPORT ElementLayout* buildElementLayout(const ElementPlan& plan, Int element = 0);
// Copies 0 to 2 of a class of a layout, as reals.
ZMX_EXPORT std::vector<Real>& copyData(const Layout& layout, Int storageClass, int copy);
// Copy 2 into copy 0 of every class of every layout of the element, as an increment's end does.
ZMX_EXPORT void endIncrement(ElementLayout* layout);

ZMX_EXPORT void setVarID(Int kind, Int id, adb_dsaVars vars);
ZMX_EXPORT void setParentVarID(Int id, Int parent);
ZMX_EXPORT void setVarFormat(Int id, adb_dsaVarFormat format);
ZMX_EXPORT void setFormatSize(Int format, Int size);
// The elements given to refreshrwbuffer, in call order.
ZMX_EXPORT std::vector<Int> refreshedElements();
// Drops every layout (their words turn stale) and every table.
ZMX_EXPORT void resetLayouts();

}  // namespace dm2_dsa_testing
