// Analytical rigid surfaces of the output database: each is its own pseudo-element and the
// pseudo-element of its reference node, with a set of the reference node and a set of both.
#include <cstdio>
#include <cstring>

#include "odb/pseudo_elements.h"
#include "runtime/fortran_chars.h"
#include "siblings/dm2/output_writer.h"
#include "siblings/eqc/records.h"
#include "zmx/odb/surfaces.h"

namespace zmx::odb {

namespace {

constexpr int kNameLength = 80;

// The reference node's pseudo-element (row 0 of the column) and, when asked, its set "rn..." with
// the second name "Rigid Reference Node #..."; gives its label, 0 when nothing was written.
Int writeReferenceNode(PseudoWriter& w, Int column, Int node, bool withSet = true) {
  FacetKey key;
  key.nodes = 1;
  key.column = column;
  const Int label = w.write(key, &node, 1, nullptr, false);
  if (label == 0 || !withSet) return label;
  // Room for the longest name: the 22-character text and an eleven-character label.
  char text[kNameLength + 1];
  char first[kNameLength], second[kNameLength];
  std::snprintf(text, sizeof text, "rn%10d", node);
  fchar::assign(first, kNameLength, text);
  std::snprintf(text, sizeof text, node < 1000000000 ? "Rigid Reference Node #%d" : "Rigid Reference Node #%10d", node);
  fchar::assign(second, kNameLength, text);
  const Int one = 1, zero = 0;
  DM2_DEFINESURFACESET(w.handle(), first, kNameLength, second, kNameLength, &one, &label, &zero);
  return label;
}

// A rigid surface of kind k in the column: its element, its reference node and both sets.
void writeRigidSurface(const PseudoClasses& t, Int* counter, const void* name, Int node, Int rigidKind, Int column,
                       Int* classIndex, Int* label) {
  Int labels[2] = {0, 0};
  PseudoWriter w(t, counter, labels, 0);
  FacetKey key;
  key.nodes = 1;
  key.column = column;
  key.rigidKind = rigidKind;
  const Int own = w.write(key, &node, 1, nullptr, false);
  *classIndex = w.classIndex();
  *label = own;
  if (own == 0) return;
  const Int reference = writeReferenceNode(w, column, node);
  if (reference == 0) return;
  char setName[kNameLength];
  if (!noName(name)) {
    decodeName(name, setName, 11);
  } else {
    char text[kNameLength + 1];
    std::snprintf(text, sizeof text, node <= 99999 ? "Rigid Surface : Node %5d" : "Rigid Surface : Node %10d", node);
    fchar::assign(setName, kNameLength, text);
  }
  const Int list[2] = {reference, own};
  const Int two = 2, zero = 0;
  DM2_DEFINESURFACESET(w.handle(), setName, kNameLength, setName, kNameLength, &two, list, &zero);
}

PseudoClasses classesOf(void* record, Int* classTable, const Int* firstClass, Int* classCount, const Int* handle) {
  return {record, classTable, *firstClass, classCount, pseudoClassLimit(*firstClass), handle};
}

}  // namespace

}  // namespace zmx::odb

using namespace zmx::odb;

extern "C" {

void ODBRSURFS(void* record, Int* classTable, const void* name, Int* classIndex, Int* label, const Int* node,
               const Int* firstClass, const Int* axisymmetric, Int* classCount, Int* labelCounter, const Int* handle) {
  writeRigidSurface(classesOf(record, classTable, firstClass, classCount, handle), labelCounter, name, *node,
                    *axisymmetric == 1 ? 2 : 1, 2, classIndex, label);
}

void ODBRSURFC(void* record, Int* classTable, const void* name, Int* classIndex, Int* label, const Int* node,
               const Int* firstClass, Int* classCount, Int* labelCounter, const Int* handle) {
  writeRigidSurface(classesOf(record, classTable, firstClass, classCount, handle), labelCounter, name, *node, 3, 3,
                    classIndex, label);
}

void ODBRSURFA(void* record, Int* classTable, const void* name, Int* classIndex, Int* label, const Int* node,
               const Int* firstClass, Int* classCount, Int* labelCounter, const Int* handle) {
  writeRigidSurface(classesOf(record, classTable, firstClass, classCount, handle), labelCounter, name, *node, 4, 3,
                    classIndex, label);
}

void ODBRSURFUSER(void* record, Int* classTable, const void* /*name*/, const Int* node, const Int* firstClass,
                  Int* classCount, Int* labelCounter, const Int* handle) {
  // The reference node is always written; its set only for the kinds up to 4 and kind 7.
  const Int kind = rec::slotI(record, 2);
  Int none = 0;
  PseudoWriter w(classesOf(record, classTable, firstClass, classCount, handle), labelCounter, &none, 0);
  writeReferenceNode(w, rec::i(CEOSZ, kDirections), *node, kind <= 4 || kind == 7);
}

}  // extern "C"
