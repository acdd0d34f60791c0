// Node, element and variable access of the analysis database.
#include <algorithm>
#include <string>

#include "siblings/dm2/adb_model.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/dsa_layouts.h"
#include "siblings/dm2/dm2_memory.h"

using dm2_detail::ElementRecord;
using dm2_detail::IntList;
using dm2_detail::LayoutRecord;
using dm2_detail::NodeRecord;
using dm2_detail::VariableRecord;

namespace {

Int handOut(const IntList& list, Int* out) {
  *out = static_cast<Int>(list.values.size());
  return list.word;
}

Int giveValue(Int value, Int* out) {
  *out = value;
  return value;
}

LayoutRecord* layoutOf(Int word) { return mem32::at<LayoutRecord>(word, 1, dm2::kLayoutTag); }

ElementRecord* elementOf(Int word, const char* routine) {
  LayoutRecord* layout = layoutOf(word);
  if (layout == nullptr) return nullptr;
  if (layout->element == nullptr) {
    adb_Kvxerr1(-3, (std::string("SYSTEM ERROR IN ") + routine + " - NOT AN ELEMENT LAYOUT: %I").c_str(), word);
    return nullptr;
  }
  return layout->element;
}

const VariableRecord* variableOf(Int layoutWord, Int id) {
  const LayoutRecord* layout = layoutOf(layoutWord);
  if (layout == nullptr) return nullptr;
  const auto& vars = layout->variables;
  const auto it = std::find_if(vars.begin(), vars.end(), [id](const VariableRecord& v) { return v.id == id; });
  return it == vars.end() ? nullptr : &*it;
}

Int variableAddress(const Int* layout, const Int* id, bool integer, const char* routine) {
  if (Int sensitivity = 0; !integer && dm2_dsa_detail_api::variableAddress(*layout, *id, sensitivity)) return sensitivity;
  const VariableRecord* v = variableOf(*layout, *id);
  if (v == nullptr) return 0;
  if (v->integer != integer) {
    adb_Kvxerr1(-3, (std::string("SYSTEM ERROR IN ") + routine + " - VARIABLE %I IS OF THE OTHER KIND").c_str(),
                *id);
    return 0;
  }
  return v->word;
}

}  // namespace

extern "C" {

Int ADB_GETNODE(const Int* nodeDatabase, const Int* index) {
  auto* m = mem32::at<dm2_detail::Model>(*nodeDatabase, 1, dm2::kNodeDatabaseTag);
  if (m == nullptr) return 0;
  if (*index < 1 || static_cast<std::size_t>(*index) > m->nodes.size()) {
    adb_Kvxerr1(-3, "SYSTEM ERROR IN ADB_GETNODE - NO NODE OF INTERNAL INDEX %I", *index);
    return 0;
  }
  return m->nodes[static_cast<std::size_t>(*index - 1)]->word;
}

Int ADB_NODEACCESS(const Int* operation, const Int* node, Int* out) {
  *out = 0;
  const NodeRecord* n = mem32::at<NodeRecord>(*node, 1, dm2::kNodeTag);
  if (n == nullptr) return 0;
  switch (*operation) {
    case 0: {
      Int length = 0;
      return handOut(n->record, &length);
    }
    case 1:
      return handOut(n->slideLineAddresses, out);
    case 2:
      return handOut(n->dofList, out);
    case 3:
      *out = n->userNumber;
      return 0;
    default:
      adb_Kvxerr1(-3, "SYSTEM ERROR IN ADB_NODEACCESS - UNKNOWN OPERATION %I", *operation);
      return 0;
  }
}

Int ELAYOACCESS(const Int* element, Int* section, Int* record) {
  *section = 0;
  *record = 0;
  const ElementRecord* e = elementOf(*element, "ELAYOACCESS");
  if (e == nullptr) return 0;
  *section = e->section;
  *record = e->slideLine;
  return e->layout.word;
}

Int ELEMACCESS(const Int* operation, const Int* layout, Int* out) {
  *out = 0;
  const ElementRecord* e = elementOf(*layout, "ELEMACCESS");
  if (e == nullptr) return 0;
  switch (*operation) {
    case 0:
      return giveValue(e->userNumber, out);
    case 1:
      return handOut(e->nodes, out);
    case 2:
      if (e->typeRecord != 0) *out = dm2::kTypeRecordWords;
      return e->typeRecord;
    case 3:
      return giveValue(e->section, out);
    case 4:
      return handOut(e->recordAddresses, out);
    case 10:
      return handOut(e->slideLineAddresses, out);
    case 13:
      return handOut(e->dofEntries, out);
    case 15:
      return giveValue(e->classValue, out);
    case 18:
      return giveValue(e->slideLine, out);
    default:
      adb_Kvxerr1(-3, "SYSTEM ERROR IN ELEMACCESS - UNKNOWN OPERATION %I", *operation);
      return 0;
  }
}

Int GETSUBLAYOUT(const Int* operation, const Int* layout, const Int* index) {
  if (Int sensitivity = 0; dm2_dsa_detail_api::subLayout(*operation, *layout, *index, sensitivity)) return sensitivity;
  const LayoutRecord* l = layoutOf(*layout);
  if (l == nullptr) return 0;
  const bool levelFits = (*operation == 0 && l->level == 0) || (*operation == 1 && l->level >= 1);
  if (!levelFits) {
    adb_Kvxerr1(-3, "SYSTEM ERROR IN GETSUBLAYOUT - OPERATION %I DOES NOT FIT THE LAYOUT", *operation);
    return 0;
  }
  if (*index < 1 || static_cast<std::size_t>(*index) > l->sublayouts.size()) {
    adb_Kvxerr1(-3, "SYSTEM ERROR IN GETSUBLAYOUT - NO SUB-LAYOUT %I", *index);
    return 0;
  }
  return l->sublayouts[static_cast<std::size_t>(*index - 1)]->word;
}

Logical QUERYVAR(const Int* layout, const Int* id, Int* rows, Int* columns) {
  *rows = 0;
  *columns = 0;
  const VariableRecord* v = variableOf(*layout, *id);
  if (v == nullptr) return kFalse;
  *rows = v->rows;
  *columns = v->columns;
  return kTrue;
}

Int GETVARDR(const Int* layout, const Int* id) { return variableAddress(layout, id, false, "GETVARDR"); }
Int GETVARDRW(const Int* layout, const Int* id) { return variableAddress(layout, id, false, "GETVARDRW"); }
Int GETVARDW(const Int* layout, const Int* id) { return variableAddress(layout, id, false, "GETVARDW"); }
Int GETVARIR(const Int* layout, const Int* id) { return variableAddress(layout, id, true, "GETVARIR"); }
Int GETVARIRW(const Int* layout, const Int* id) { return variableAddress(layout, id, true, "GETVARIRW"); }

}  // extern "C"
