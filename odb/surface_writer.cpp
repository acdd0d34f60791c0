// Surfaces of the output database: the class chooser of pseudo-elements and the writers of the
// element-based surfaces of the slave-surface records and of the analysis-time surface records.
#include <algorithm>
#include <cstring>
#include <vector>

#include "odb/pseudo_elements.h"
#include "odb/surface_walks.h"
#include "runtime/fortran_chars.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/output_writer.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/import_services.h"
#include "siblings/eqc/slide_line_codes.h"
#include "storage/db_units/work_room.h"
#include "zmx/geometry/facets.h"
#include "zmx/odb/surfaces.h"
#include "zmx/storage/sets.h"

namespace zmx::odb {

namespace {

// Names by rigid kind 1 to 4, then rows 0 (single node) to 9 by column s = 1, 2, 3.
constexpr const char* kRigidNames[4] = {"ARSSE", "ARSSS", "ARSC", "ARSR"};
constexpr const char* kTypeNames[10][3] = {
    {"RNODE2D", "RNODE2D", "RNODE3D"}, {"PSURF2", "PSURF1", "PSURF3"},    {"LSURF2", "LSURF1", "LSURF3"},
    {"LSURF5", "LSURF4", "TSURF1"},    {"DUMMYA4", "DUMMY24", "QSURF1"},  {"DUMMYA5", "DUMMY25", "DUMMY35"},
    {"DUMMYA6", "DUMMY26", "TSURF2"},  {"DUMMYA7", "DUMMY27", "DUMMY37"}, {"DUMMYA8", "DUMMY28", "QSURF2"},
    {"DUMMYA9", "DUMMY29", "QSURF3"}};

const char* typeName(const FacetKey& key) {
  if (key.cylindrical) return key.nodes == 6 ? "CYLSURF1" : "CYLSURF2";
  const int column = std::clamp<Int>(key.column, 1, 3) - 1;
  if (!key.gate && key.nodes == 1) return key.rigidKind == 0 ? kTypeNames[0][column] : kRigidNames[key.rigidKind - 1];
  if (key.column == 3 && key.secondOrder && key.nodes == 3) return "LSURF6";
  return kTypeNames[key.nodes][column];
}

// Formed in 64 bits: a cylindrical facet's column is any integer the caller gives.
Int classKey(const FacetKey& key) {
  return static_cast<Int>(key.cylindrical ? -10LL * key.column : -static_cast<long long>(key.column));
}

bool matches(const Int* r, const FacetKey& key) {
  return r[kPseudoNodes - 1] == key.nodes && r[kPseudoKey - 1] == classKey(key) &&
         r[kPseudoRigid - 1] == key.rigidKind && r[kPseudoOrder - 1] == (key.secondOrder ? 1 : 0) &&
         r[kPseudoGate - 1] == (key.nodes == 1 && key.gate ? 1 : 0);
}

void defineTypeClass(const PseudoClasses& t, Int* r, const FacetKey& key) {
  char name[8];
  fchar::assign(name, 8, typeName(key));
  Int type[4] = {0, 0, 0, 0};
  const Int eight = 8;
  ACODCE(name, 8, type + 1, &eight);
  // No section: the record buffer stands in for the arrays, none of which is written.
  ClassDefinition d{t.record, 0, r, type, static_cast<float*>(t.record), 0, static_cast<Int*>(t.record), 0, t.handle,
                    t.record, 0, 2};
  defineClass(d);
}

}  // namespace

bool chooseClass(const PseudoClasses& t, const FacetKey& key, Int* lastIndex, Int* slot) {
  // The rigid kind names a type only for a single node outside the gate, and the column only
  // where a name is taken from the table; elsewhere each is only a member of the key.
  const bool rigidName = !key.cylindrical && !key.gate && key.nodes == 1 && key.rigidKind != 0;
  const bool columnName = !key.cylindrical && !rigidName;
  if (key.nodes < 1 || key.nodes > kMaxFacetNodes || (columnName && (key.column < 1 || key.column > 3)) ||
      (rigidName && (key.rigidKind < 1 || key.rigidKind > 4))) {
    if (key.nodes < 1 || key.nodes > kMaxFacetNodes)
      report(-3, "SYSTEM ERROR IN ODBCLSURF.  SURFACE CLASS REQUESTS A %I-NODED FACET", key.nodes);
    else
      systemError("ODBCLSURF");
    *lastIndex = 0;
    *slot = -1;
    return false;
  }
  Int found = 0;
  const Int lastKnown = std::min(*t.classCount, t.lastClass);
  for (Int c = std::max<Int>(t.firstClass, 1); c <= lastKnown && found == 0; ++c)
    if (matches(t.classTable + static_cast<long long>(c - 1) * kClassWords, key)) found = c;
  if (found != 0) {
    if (found != *lastIndex) {
      *lastIndex = found;
      *slot = classWord(t.classTable, found, kClassSlot);
    }
  } else {
    // A new class goes behind the fixed ones and within the room the class table keeps for them.
    const bool behindFixed = *t.classCount + 1 >= std::max<Int>(t.firstClass, 1);
    if (!behindFixed || *t.classCount + 1 > t.lastClass) {
      if (behindFixed)
        zmx::units::reportMemoryFailure();
      else
        systemError("ODBCLSURF");
      *lastIndex = 0;
      *slot = -1;
      return false;
    }
    found = ++*t.classCount;
    Int* r = t.classTable + static_cast<long long>(found - 1) * kClassWords;
    std::fill_n(r, kClassWords, 0);
    r[kClassSlot - 1] = -1;
    r[kClassConnectorSlot - 1] = -1;
    r[kPseudoNodes - 1] = key.nodes;
    r[kPseudoKey - 1] = classKey(key);
    r[kPseudoRigid - 1] = key.rigidKind;
    r[kPseudoOrder - 1] = key.secondOrder ? 1 : 0;
    r[kPseudoGate - 1] = key.nodes == 1 && key.gate ? 1 : 0;
    *lastIndex = found;
  }
  Int* r = t.classTable + static_cast<long long>(found - 1) * kClassWords;
  if (r[kClassUsed - 1] == 0) {
    r[kClassUsed - 1] = 1;
    defineTypeClass(t, r, key);
    *slot = r[kClassSlot - 1];
  }
  return true;
}

Int PseudoWriter::write(const FacetKey& key, const Int* nodeLabels, Int count, const Int* label, bool list) {
  if (!chooseClass(t_, key, &lastIndex_, &slot_)) return 0;
  if (list && listed_ >= room_) {
    systemError("WRITING A SURFACE SET. TOO MANY FACETS");
    return 0;
  }
  const Int written = label != nullptr ? *label : nextLabel();
  Int row[kMaxFacetNodes] = {};
  std::copy_n(nodeLabels, std::clamp<Int>(count, 0, kMaxFacetNodes), row);
  DM2_DEFINESINGLEELEMENT(t_.handle, &slot_, &written, row);
  if (list) labels_[listed_++] = written;
  return written;
}

void PseudoWriter::defineSet(const char* name, Int length) {
  if (listed_ == 0) return;
  const Int zero = 0;
  DM2_DEFINESURFACESET(t_.handle, name, length, name, length, &listed_, labels_, &zero);
}

bool inPart(const Int* nodeMap, Int n, Int part) {
  return n >= 1 && n <= rec::i(CGN, kNodeCount) && nodeMap[kNodeMapWords * static_cast<long long>(n - 1)] == part;
}

bool noName(const void* code) {
  char bytes[8];
  std::memcpy(bytes, code, 8);
  return std::all_of(bytes, bytes + 8, [](char c) { return c == 0; });
}

namespace {

const char* slotBytes(const void* record, long long k) { return static_cast<const char*>(record) + 8 * (k - 1); }

// The facets of one slave-surface record.
void writeSlaveSurface(const void* r, Int length, PseudoWriter& w) {
  char name[80];
  decodeName(slotBytes(r, 3), name, 11);
  if (length < 8 || rec::slotI(r, 5) == 3 || name[0] == ' ') return;
  const Int kind = rec::slotI(r, 4);
  FacetKey key;
  key.gate = kind == 1;
  key.column = kind == 4 ? 1 : kind;
  Int blank = 0;
  BCU_COMP_BLANK(slotBytes(r, 8), &blank);
  w.clearList();
  const Int facets = rec::slotI(r, 6);
  long long p = rec::slotI(r, 7);
  for (Int f = 1; f <= facets; ++f) {
    if (p < 1 || p + 5 > length) {
      systemError("ODBSURFACE. FACET ENTRY OUTSIDE THE RECORD");
      break;
    }
    const Int facet = rec::slotI(r, p + 2), c = rec::slotI(r, p + 3), elementLabel = rec::slotI(r, p + 4);
    const Int n = rec::slotI(r, p + 5);
    if (c < 1 || c > catalogue::kClasses || p + 5 + std::clamp<Int>(n, 0, kMaxFacetNodes) > length) {
      systemError("ODBSURFACE. FACET ENTRY OUTSIDE THE RECORD");
    } else {
      Int nodes[kMaxFacetNodes] = {};
      for (Int k = 0; k < std::clamp<Int>(n, 0, kMaxFacetNodes); ++k) nodes[k] = rec::slotI(r, p + 6 + k);
      const Int facetType = rec::i(CSURFACEDEF, catalogue::kFacetType + c - 1);
      key.nodes = n;
      key.cylindrical = facetType == 14 || (facetType == 13 && facet > 2);
      key.secondOrder = rec::i(CSURFACEDEF, catalogue::kLinear + c - 1) == 0;
      w.write(key, nodes, n, blank == 1 ? nullptr : &elementLabel);
    }
    const Int step = rec::slotI(r, p);
    if (step < 1) {
      if (f < facets) systemError("ODBSURFACE. FACET ENTRY OUTSIDE THE RECORD");
      break;
    }
    p += step;
  }
  w.defineSet(name, 80);
}

// True when a slave-surface record carries the coded name; a record that cannot be read ends the scan.
bool slaveSurfaceNamed(const void* code) {
  std::vector<double> scratch;
  bool found = false;
  long long address = rec::i(CSLV, kSlaveSurfacesFirst);
  for (long long n = 0; address < rec::i(CSLV, kSlaveSurfacesEnd) && !found; ++n) {
    Int at = static_cast<Int>(address);
    const Int length = DBSLLENGTH(&at);
    if (length < 1 || length > recordBufferSlots() || n >= kWalkLimit) {
      report(-3, "SYSTEM ERROR 2 IN ODBSURFACEEXP");
      break;
    }
    scratch.assign(static_cast<std::size_t>(length), 0.0);
    readRecord(at, scratch.data(), length);
    found = length >= 3 && BCU_ACOMP(slotBytes(scratch.data(), 3), 8, static_cast<const char*>(code), 8) == 0;
    address += length;
  }
  return found;
}

Int userNumber(Int nodeDatabase, Int n) {
  if (n == 0) return 0;
  if (n < 0 || n > rec::i(CGN, kNodeCount)) {
    report(-3, "SYSTEM ERROR IN ODBSURFACEEXP. NODE %I OUTSIDE THE MODEL", n);
    return 0;
  }
  const Int node = ADB_GETNODE(&nodeDatabase, &n);
  const Int op3 = 3;
  Int user = 0;
  if (node != 0) ADB_NODEACCESS(&op3, &node, &user);
  return user;
}

void writeAnalysisSurface(const void* r, Int length, PseudoWriter& w, Int nodeDatabase) {
  const Int kind = rec::slotI(r, 2);
  char name[80];
  decodeName(slotBytes(r, 3), name, -1);
  if (name[0] == ' ' && name[1] == 'L') {
    const Int op = 11;
    DBLABEL(&op, name, 80);
  }
  if (slaveSurfaceNamed(slotBytes(r, 3))) return;
  w.clearList();
  const bool facetNodes = kind == 130;
  const long long start = rec::slotI(r, facetNodes ? 6 : 5);
  if (start < 1 || start > length || (facetNodes && length < 9)) {
    systemError("ODBSURFACEEXP");
    return;
  }
  const Int facets = rec::slotI(r, start);
  const Int np = facetNodes ? rec::slotI(r, 4) : 1;
  if (facets < 0 || np < 0 || start + static_cast<long long>(facets) * (facetNodes ? np + 1LL : 1LL) > length) {
    systemError("ODBSURFACEEXP. FACETS OUTSIDE THE RECORD");
    return;
  }
  FacetKey key;
  if (facetNodes) {
    key.column = np >= 4 ? 3 : 2;
    if ((rec::slotI(r, 9) & 8) != 0) key.column = 1;
  } else {
    key.column = 2;
    key.gate = true;
  }
  key.nodes = np;
  for (Int f = 0; f < facets; ++f) {
    Int nodes[kMaxFacetNodes] = {};
    const long long first = facetNodes ? start + facets + 1 + static_cast<long long>(f) * np : start + 1 + f;
    for (Int k = 0; k < std::min(np, kMaxFacetNodes); ++k) nodes[k] = rec::slotI(r, first + k);
    if (np == 2) std::swap(nodes[0], nodes[1]);
    const Int label = w.nextLabel();
    Int users[kMaxFacetNodes] = {};
    for (Int k = 0; k < std::min(np, kMaxFacetNodes); ++k) users[k] = userNumber(nodeDatabase, nodes[k]);
    if (np >= 4 && nodes[3] == 0) users[3] = users[0];
    w.write(key, users, np, &label);
  }
  w.defineSet(name, 80);
}

}  // namespace

void writeSurfaces(const SurfaceCall& call) {
  PseudoWriter w(call.classes, call.labelCounter, call.labels, call.labelRoom);
  walkRecords(rec::i(CSLV, kSlaveSurfacesFirst), rec::i(CSLV, kSlaveSurfacesEnd), call.classes.record,
              call.recordSlots, "SYSTEM ERROR 1 IN ODBSURFACE", "ODBSURFACE", [&](Int, Int length) {
                if (length >= 3 && rec::slotI(call.classes.record, 2) == 30)
                  writeSlaveSurface(call.classes.record, length, w);
                return true;
              });
}

void writeAnalysisSurfaces(const SurfaceCall& call, Int nodeDatabase) {
  PseudoWriter w(call.classes, call.labelCounter, call.labels, call.labelRoom);
  walkRecords(rec::i(CSLV, kRigidFirst), rec::i(CSLV, kRigidEnd), call.classes.record, call.recordSlots,
              "SYSTEM ERROR 1 IN ODBSURFACEEXP", "ODBSURFACEEXP", [&](Int, Int length) {
                const Int kind = length >= 3 ? rec::slotI(call.classes.record, 2) : 0;
                if (kind == 130 || kind == 132) writeAnalysisSurface(call.classes.record, length, w, nodeDatabase);
                return true;
              });
}

SurfaceCall surfaceCall(void* record, Int* labels, Int* classTable, const Int* firstClass, Int* classCount,
                        Int* labelCounter, const Int* handle) {
  const long long slots = recordBufferSlots();
  return {{record, classTable, *firstClass, classCount, pseudoClassLimit(*firstClass), handle}, slots, labels,
          2 * slots, labelCounter};
}

}  // namespace zmx::odb

using namespace zmx::odb;

extern "C" {

void ODBCLSURF(void* record, Int* classTable, const Int* n, const Int* firstClass, Int* classCount, Int* lastIndex,
               Int* classSlot, const Int* column, const Int* gate, const Int* cylindrical, const Int* secondOrder,
               const Int* rigidKind, const Int* handle) {
  FacetKey key;
  key.nodes = *n;
  key.column = *column;
  key.gate = (*gate & 1) != 0;
  key.cylindrical = (*cylindrical & 1) != 0;
  key.secondOrder = (*secondOrder & 1) != 0;
  key.rigidKind = *rigidKind;
  chooseClass({record, classTable, *firstClass, classCount, pseudoClassLimit(*firstClass), handle}, key, lastIndex,
              classSlot);
}

void ODBSURFACE(void* record, Int* labels, Int* classTable, const Int* firstClass, Int* classCount,
                Int* labelCounter, const Int* handle) {
  guarded([&] { writeSurfaces(surfaceCall(record, labels, classTable, firstClass, classCount, labelCounter, handle)); });
}

void ODBSURFACEEXP(void* record, Int* labels, Int* classTable, const Int* firstClass, Int* classCount,
                   Int* labelCounter, const Int* handle, const Int* nodeDatabase) {
  guarded([&] {
    writeAnalysisSurfaces(surfaceCall(record, labels, classTable, firstClass, classCount, labelCounter, handle),
                          *nodeDatabase);
  });
}

}  // extern "C"
