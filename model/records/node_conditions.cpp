// Node-level model services: a node's constraint flags from its boundary-condition records, and
// its local transformation from a transformation record.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/records.h"
#include "zmx/model/records.h"
#include "zmx/numerics.h"
#include "zmx/storage.h"

namespace {

constexpr std::size_t kTransformSlots = 11;
constexpr Int kDofWordOperation = 0, kRecordListOperation = 1, kConditionListOperation = 2;

// CGN word 4: flag words per node. CSLNS word 3: boundary-condition records lie below it.
constexpr int kFlagsPerNode = 4, kConditionRecordsEnd = 3;
// CSLNF words 4 and 5: the transformation records.
constexpr int kTransformFirst = 4, kTransformEnd = 5;
// CGN word 9: coordinates per node.
constexpr int kCoordinates = 9;
// CONTRO words.
constexpr int kFlagEncoding = 17, kUnitValueSwitch = 124;
constexpr Int kHalvedFlags = 4;
// CELGI word 33: the scratch record of SHR_CALLNODBC.
constexpr int kScratchRecordWord = 33;

// Slots of a boundary-condition record.
constexpr int kDofSlot = 2, kValueSlot = 3, kTypeSlot = 14, kLabelSlot = 16;

constexpr int kLargestDof = 30;

Int dofPosition(Int d) { return d >= 1 && d <= kLargestDof ? rec::i(CLDOF, d) : 0; }

// Adds value to the flag of degree of freedom d, when the model uses it and its flag word is
// one of the node's.
void addToDof(Int* iflags, Int d, Int value) {
  const Int p = dofPosition(d);
  if (p >= 1 && p <= rec::i(CGN, kFlagsPerNode)) iflags[p - 1] += value;
}

bool blankLabel(const Real* record) {
  Real label;
  std::memset(&label, ' ', sizeof label);
  if (rec::slotI(record, 1) >= kLabelSlot) std::memcpy(&label, record + (kLabelSlot - 1), sizeof label);
  Int flag = 0;
  BCU_COMP_BLANK(&label, &flag);
  return flag != 0;
}

constexpr Real kTiny = 1e-12;

void completeFrom(Real* t) { ALOCAL(t); }

Real dot(const Real* a, const Real* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void cross(const Real* a, const Real* b, Real* c) {
  const Real x = a[1] * b[2] - a[2] * b[1], y = a[2] * b[0] - a[0] * b[2], z = a[0] * b[1] - a[1] * b[0];
  c[0] = x;
  c[1] = y;
  c[2] = z;
}

// The node's offset from the definition point (its missing coordinates 0).
void offsetFrom(const Real* definition, const Real* node, Real* d) {
  const Int k = rec::i(CGN, kCoordinates);
  for (int i = 0; i < 3; ++i) d[i] = (i < k ? node[i] : 0.0) - definition[i];
}

void cylindricalFrame(const Real* definition, const Real* node, Real* t) {
  const Real* a = definition + 3;
  for (int i = 0; i < 3; ++i) t[6 + i] = a[i];
  Real d[3];
  offsetFrom(definition, node, d);
  const Real along = dot(d, a);
  for (int i = 0; i < 3; ++i) d[i] -= along * a[i];
  const Real squared = dot(d, d);
  if (squared <= kTiny) {
    completeFrom(t);
    return;
  }
  const Real length = std::sqrt(squared);
  for (int i = 0; i < 3; ++i) t[i] = d[i] / length;
  cross(a, t, t + 3);
}

void sphericalFrame(const Real* definition, const Real* node, Real* t) {
  Real d[3];
  offsetFrom(definition, node, d);
  const Real squared = dot(d, d);
  if (squared <= kTiny) {
    for (int i = 0; i < 9; ++i) t[i] = i % 4 == 0 ? 1.0 : 0.0;
    return;
  }
  Real e[3], w[3];
  for (int i = 0; i < 3; ++i) e[i] = d[i] / std::sqrt(squared);
  cross(definition + 3, e, w);
  const Real wSquared = dot(w, w);
  if (wSquared <= kTiny) {
    // Complete a frame about e, then cycle its columns so that e comes first.
    Real frame[9] = {};
    for (int i = 0; i < 3; ++i) frame[6 + i] = e[i];
    completeFrom(frame);
    for (int i = 0; i < 3; ++i) {
      t[i] = frame[6 + i];
      t[3 + i] = frame[i];
      t[6 + i] = frame[3 + i];
    }
    return;
  }
  for (int i = 0; i < 3; ++i) {
    t[i] = e[i];
    t[3 + i] = w[i] / std::sqrt(wSquared);
  }
  cross(t, t + 3, t + 6);
}

}  // namespace

extern "C" {

void SHR_ELBCB(const Int* type, Int* iflags, const Int* value) {
  static constexpr int kDofs[14][7] = {{},
                                       {1, 5, 6},
                                       {2, 4, 6},
                                       {3, 4, 5},
                                       {2, 3, 4},
                                       {1, 3, 5},
                                       {1, 2, 6},
                                       {1, 2, 3, 4, 5, 6},
                                       {1, 2, 3},
                                       {},
                                       {},
                                       {},
                                       {1, 2, 3},
                                       {1, 2, 3}};
  if (*type < 1 || *type > 13) return;
  for (const int d : kDofs[*type])
    if (d != 0) addToDof(iflags, d, *value);
}

void SHR_NODBC(Real* slrec, Int* iflags, Int* ilast, const Int* node) {
  Int count = 0;
  const Int listWord = ADB_NODEACCESS(&kConditionListOperation, node, &count);
  const Int words = rec::i(CGN, kFlagsPerNode);
  for (Int k = 0; k < words; ++k) iflags[k] = 0;
  const Int* addresses = count > 0 ? mem32::at<Int>(listWord, static_cast<std::size_t>(count)) : nullptr;
  if (addresses == nullptr) return;
  const Int end = rec::i(CSLNS, kConditionRecordsEnd);
  const bool unitValues = rec::i(CONTRO, kFlagEncoding) == 1 || rec::i(CONTRO, kUnitValueSwitch) != 0;
  // The caller's scratch record receives each record when its room is known (a scratch in the
  // work space); any other scratch has no stated room, and the records go into storage of the
  // routine's own instead. Either keeps the last record read for the next equal address.
  const long long room = eqc::knownRoom(slrec);
  const bool intoScratch = room >= kTypeSlot;
  std::vector<Real> own;
  for (Int k = 0; k < count && addresses[k] != 0; ++k) {
    const Int a = addresses[k];
    if (a >= end) continue;
    if (a != *ilast || (!intoScratch && own.empty())) {
      const bool read = intoScratch ? eqc::readSlideLineRecord(a, slrec, room)
                                    : eqc::readSlideLineRecord(a, own, kTypeSlot);
      *ilast = read ? a : 0;
      if (!read) continue;
    }
    const Real* record = intoScratch ? slrec : own.data();
    if (!blankLabel(record)) continue;
    Int v = rec::slotI(record, kValueSlot);
    if (v > 0 && unitValues) v = 1;
    const Int dof = rec::slotI(record, kDofSlot);
    if (dof == 0) {
      const Int type = rec::slotI(record, kTypeSlot);
      SHR_ELBCB(&type, iflags, &v);
    } else {
      addToDof(iflags, dof, v);
    }
  }
}

void SHR_CALLNODBC(Int* iflags, const Int* n, const Int* node) {
  const long long word = static_cast<long long>(rec::i(CSP, eqc_records::kWorkSpaceBase)) +
                         (static_cast<long long>(rec::i(CELGI, kScratchRecordWord)) + rec::i(CSP, 1)) * 8 - 16;
  Real* scratch = word >= INT32_MIN && word <= INT32_MAX ? mem32::at<Real>(static_cast<Int>(word), 1) : nullptr;
  if (scratch == nullptr) return;
  Int ilast = 0;
  SHR_NODBC(scratch, iflags, &ilast, node);
  const bool halved = rec::i(CONTRO, kFlagEncoding) == kHalvedFlags;
  for (Int k = 0; k < *n; ++k) iflags[k] = halved ? iflags[k] / 2 : iflags[k] % 2;
}

void ELTRM(Real* t, const Int* kind, const Real* definition, const Real* node) {
  if (*kind == 1)
    std::memcpy(t, definition, 9 * sizeof(Real));
  else if (*kind == 2)
    cylindricalFrame(definition, node, t);
  else
    sphericalFrame(definition, node, t);
  if (rec::i(CLDOF, 3) == 0) {
    t[2] = t[5] = 0.0;
    t[6] = t[7] = t[8] = 0.0;
  }
}

void SHR_NODTRA(Real* vec, Real* /*slrec*/, const Int* itrans, const Int* nv, Int* iflag, const Real* coordinates,
                const Int* node, const Int* ldv) {
  Int count = 0;
  const Int listWord = ADB_NODEACCESS(&kRecordListOperation, node, &count);
  const Int* addresses = count > 0 ? mem32::at<Int>(listWord, static_cast<std::size_t>(count)) : nullptr;
  const Int first = rec::i(CSLNF, kTransformFirst), end = rec::i(CSLNF, kTransformEnd);
  Int found = 0;
  for (Int k = 0; addresses != nullptr && k < count && found == 0; ++k)
    if (addresses[k] >= first && addresses[k] < end) found = addresses[k];
  if (found == 0) {
    *iflag = 1;
    return;
  }
  *iflag = 0;
  // Read into storage of the routine's own (the caller's scratch record has no stated room), with
  // the kind in slot 2 and nine definition reals from slot 3.
  std::vector<Real> transform;
  eqc::readSlideLineRecord(found, transform, kTransformSlots);
  const Int kind = rec::slotI(transform.data(), 2);
  Real t[9];
  ELTRM(t, &kind, transform.data() + 2, coordinates);
  Int unused = 0;
  const Int recordWord = ADB_NODEACCESS(&kDofWordOperation, node, &unused);
  const Int* record = mem32::at<Int>(recordWord, 1);
  const Int dofWord = record != nullptr ? record[0] : 0;
  NODTRN(&dofWord, t, vec, itrans, nv, ldv);
}

}  // extern "C"
