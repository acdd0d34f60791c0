// Checked access to single named variables of an element's layouts, with the addressing and the
// reports of the manipulators, for entries that work without the storage tree.
#pragma once

#include "siblings/dm2/dsa_layouts.h"
#include "zmx/sensitivity/manipulators.h"

namespace zmx::dsa {

class NamedVariables : public dsa_DataManip {
 public:
  NamedVariables(ElementLayout* layout, const char* entry) : dsa_DataManip(layout, nullptr, nullptr, 0, entry) {}
  void manip(const Layout&, Int, Int, const adb_dsaVars&, const VarBlock&) override {}

  // Values of variable id of the layout in the copy; null (reported) when the layout lacks it.
  Real* values(const Layout& layout, Int id, int copy, Int& size) {
    Span s;
    size = 0;
    if (!span(layout, id, copy, s)) return nullptr;
    size = s.size();
    return s.values;
  }
  // Values of variable id in copy 0 of its storage class.
  Real* values(const Layout& layout, Int id, Int& size) { return values(layout, id, 0, size); }
  void fail() const { report(); }
};

}  // namespace zmx::dsa
