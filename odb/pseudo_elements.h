// Pseudo-elements of the output-database writer: the facets of surfaces, slide lines and slide
// planes and the reference nodes of rigid surfaces, written as elements of pseudo-element classes
// that the class chooser finds or appends behind the element classes.
#pragma once

#include <algorithm>
#include <limits>

#include "odb/writer_tables.h"

namespace zmx::odb {

// Words of a pseudo-element class record beside those of writer_tables.h.
inline constexpr int kPseudoNodes = 1;     // facet node count
inline constexpr int kPseudoKey = 3;       // -s, or -10 s for a cylindrical facet
inline constexpr int kPseudoRigid = 15;    // rigid kind
inline constexpr int kPseudoOrder = 19;    // second-order bit
inline constexpr int kPseudoGate = 23;     // single-node gate of a one-node class (part of the key)
inline constexpr Int kMaxFacetNodes = 9;

// One facet's class request.
struct FacetKey {
  Int nodes = 0;
  Int column = 0;  // s: 1 axisymmetric, 2 planar, 3 three-dimensional
  bool gate = false, cylindrical = false, secondOrder = false;
  Int rigidKind = 0;
};

// The class table as the surface writers see it, with the room behind the element classes.
struct PseudoClasses {
  void* record;     // passed on to the class definition
  Int* classTable;
  Int firstClass;
  Int* classCount;
  Int lastClass;    // room: the highest class index that may be appended
  const Int* handle;
};

// Chooses (finds, or appends and defines) the class of a facet. lastIndex and slot are the
// caller's cache (start values 0 and -1). False, with slot -1 and lastIndex 0, when no class
// can be chosen (reported).
bool chooseClass(const PseudoClasses& t, const FacetKey& key, Int* lastIndex, Int* slot);

// Writes pseudo-elements of one call: its class cache and the label list of the current set.
class PseudoWriter {
 public:
  PseudoWriter(const PseudoClasses& classes, Int* labelCounter, Int* labels, long long labelRoom)
      : t_(classes), counter_(labelCounter), labels_(labels), room_(labelRoom) {}
  // Chooses the class and defines one pseudo-element on the node labels (at most 9 are used);
  // the label is the given one, or the next from the counter when label is null. Gives the
  // label written, or 0 when nothing was written.
  Int write(const FacetKey& key, const Int* nodeLabels, Int count, const Int* label = nullptr, bool list = true);
  Int classIndex() const { return lastIndex_; }
  Int listed() const { return listed_; }
  void clearList() { listed_ = 0; }
  // Defines the surface set of the listed labels under one name (both names) when any is listed.
  void defineSet(const char* name, Int length);
  const Int* handle() const { return t_.handle; }
  const PseudoClasses& classes() const { return t_; }
  Int nextLabel() { return --*counter_; }

 private:
  PseudoClasses t_;
  Int* counter_;
  Int* labels_;
  long long room_;
  Int listed_ = 0;
  Int lastIndex_ = 0;
  Int slot_ = -1;
};

// The pseudo-element class room of a class table whose element classes end before firstClass.
inline Int pseudoClassLimit(Int firstClass) {
  return static_cast<Int>(std::min<long long>(std::max<Int>(firstClass, 1) - 1LL + kSpareClasses,
                                              std::numeric_limits<Int>::max()));
}

// True when internal node n lies in the model and was written by part (node map word 1).
bool inPart(const Int* nodeMap, Int n, Int part);
// True when the 8 bytes of a coded name are all zero (no name).
bool noName(const void* code);

}  // namespace zmx::odb
