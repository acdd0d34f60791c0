// Lists the output-database gathering reads from the slide-line database: the node references
// of rigid surfaces, the hourglass-material values, the part count and the node labels.
#include <cstring>
#include <limits>
#include <set>
#include <unordered_map>
#include <utility>

#include "odb/gathering.h"
#include "odb/writer_tables.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/import_services.h"
#include "zmx/numerics/sorting.h"
#include "zmx/storage/db_units.h"
#include "zmx/storage/records.h"

namespace zmx::odb {

namespace {

// Room of a list that nothing bounds: the entries run on as far as the records give them.
constexpr long long kUnbounded = std::numeric_limits<long long>::max() / kReferenceSlots;

Int nodeLabel(Int nodeDatabase, Int node) {
  const Int handle = ADB_GETNODE(&nodeDatabase, &node);
  Int label = 0;
  const Int op = 3;
  if (handle != 0) ADB_NODEACCESS(&op, &handle, &label);
  return label;
}

class References {
 public:
  References(void* list, long long capacity) : list_(list), capacity_(capacity) {}
  // Adds an entry; false (reported) when the list is full.
  bool add(Int node, Int number, Int flag) {
    if (count_ >= capacity_) {
      zmx::units::reportMemoryFailure();
      return false;
    }
    const long long first = count_ * kReferenceSlots;
    for (int k = 1; k <= kReferenceSlots; ++k) rec::setSlotI(list_, first + k, 0);
    rec::setSlotI(list_, first + kReferenceNode, node);
    rec::setSlotI(list_, first + kReferenceNumber, number);
    rec::setSlotI(list_, first + kReferenceFlag, flag);
    ++count_;
    entries_.emplace(node, number);
    return true;
  }
  // True when an entry of this node and number is in the list, from either walk.
  bool has(Int node, Int number) const { return entries_.contains({node, number}); }
  Int count() const { return static_cast<Int>(count_); }

 private:
  void* list_;
  long long capacity_;
  long long count_ = 0;
  std::set<std::pair<Int, Int>> entries_;
};

// Finds, in [CSLEF word 24, word 25), the first record for which match(buffer, length) holds;
// gives its address or 0.
template <class Match>
Int findReferenceRecord(void* buffer, long long bufferSlots, Match&& match) {
  Int found = 0;
  walkRecords(rec::i(CSLEF, 24), rec::i(CSLEF, 25), buffer, bufferSlots, nullptr, "NODRFN",
              [&](Int address, Int length) {
                if (!match(length)) return true;
                found = address;
                return false;
              });
  return found;
}

}  // namespace

bool gatherNodeReferences(void* list, void* buffer, long long bufferSlots, Int* count, Int nodeDatabase,
                          long long capacity) {
  *count = 0;
  References refs(list, capacity);
  const Int nodes = std::max<Int>(rec::i(CGN, kNodeCount), 0);
  // Internal node by label, made when the first record needs it.
  std::unordered_map<Int, Int> byLabel;
  bool labelsKnown = false;
  auto internalNode = [&](Int label) {
    if (!labelsKnown) {
      for (Int i = 1; i <= nodes; ++i)
        if (const Int l = nodeLabel(nodeDatabase, i); l > 0) byLabel.emplace(l, i);
      labelsKnown = true;
    }
    const auto it = byLabel.find(label);
    return it == byLabel.end() ? 0 : it->second;
  };

  bool ok = true;
  if (rec::i(CSLNF, kNodeRefsFirst) != rec::i(CSLNF, kNodeRefsEnd)) {
    for (Int i = 1; i <= nodes && ok; ++i) {
      const Int handle = ADB_GETNODE(&nodeDatabase, &i);
      Int n = 0;
      const Int op = 1;
      const Int word = handle != 0 ? ADB_NODEACCESS(&op, &handle, &n) : 0;
      const Int* addresses = n > 0 ? mem32::at<Int>(word, static_cast<std::size_t>(n), dm2::kDataTag) : nullptr;
      for (Int k = 0; addresses != nullptr && k < n && ok; ++k) {
        const Int a = addresses[k];
        if (a < rec::i(CSLNF, kNodeRefsFirst) || a >= rec::i(CSLNF, kNodeRefsEnd)) continue;
        const Int length = readRecord(a, buffer, bufferSlots);
        if (length < 3) {
          systemError("NODRFN");
          continue;
        }
        ok = refs.add(i, rec::slotI(buffer, 2), rec::slotI(buffer, 3));
      }
    }
  }
  if (!ok) return false;

  if (rec::i(CPROC, zmx::procedure::kAnalysisTimeRigidSurfaces) != 1) {
    walkRecords(rec::i(CSLV, kSlaveSurfacesFirst), rec::i(CSLV, kSlaveSurfacesEnd), buffer, bufferSlots, nullptr,
                "NODRFN", [&](Int, Int length) {
                  if (length < 11 || rec::slotI(buffer, 2) != 30 || rec::slotI(buffer, 6) != 0 ||
                      rec::slotI(buffer, 5) != 2)
                    return true;
                  char name[80];
                  decodeName(static_cast<const char*>(buffer) + 16, name, 11);
                  if (name[0] == ' ') return true;
                  const Int node = internalNode(rec::slotI(buffer, 11));
                  if (node == 0) return true;
                  const Int number = rec::slotI(buffer, 9);
                  if (refs.has(node, number)) return true;
                  ok = refs.add(node, number, 0);
                  return ok;
                });
  } else {
    walkRecords(rec::i(CSLV, kRigidFirst), rec::i(CSLV, kRigidEnd), buffer, bufferSlots, nullptr, "NODRFN",
                [&](Int address, Int length) {
                  if (length < 5 || rec::slotI(buffer, 2) != 138) return true;
                  const Int v = rec::slotI(buffer, 5);
                  char name[8];
                  std::memcpy(name, static_cast<const char*>(buffer) + 16, 8);  // slot 3
                  // The search below reads into the same buffer; the walk re-reads its own record.
                  Int node = 0;
                  if (v != 0) {
                    const Int at = findReferenceRecord(buffer, bufferSlots, [&](Int len) {
                      return len >= 3 && rec::slotI(buffer, 3) == v;
                    });
                    if (at != 0) node = v;
                    else report(-3, "SYSTEM ERROR IN NODRFN");
                  } else {
                    findReferenceRecord(buffer, bufferSlots, [&](Int len) {
                      if (len < 13 || BCU_ACOMP(static_cast<const char*>(buffer) + 8 * 12, 8, name, 8) != 0)
                        return false;
                      node = rec::slotI(buffer, 3);
                      return true;
                    });
                  }
                  ok = refs.add(node, address, 0);
                  readRecord(address, buffer, bufferSlots);
                  return ok;
                });
  }
  *count = refs.count();
  return ok;
}

bool gatherHourglassValues(void* buffer, long long capacity, Int* count) {
  *count = 0;
  const long long offset = rec::i(CGM, kCgmConnectorBuffer);
  const long long recordSlots = std::min<long long>(offset, capacity);
  long long n = 0;
  bool ok = true;
  auto put = [&](Int value) {
    if (offset + n + 1 > capacity) {
      if (ok) zmx::units::reportMemoryFailure();
      ok = false;
      return false;
    }
    rec::setSlotI(buffer, offset + n + 1, value);
    ++n;
    return true;
  };
  walkRecords(rec::i(CSLEF, 10), rec::i(CSLEF, 11), buffer, recordSlots, nullptr, "HMATI", [&](Int, Int length) {
    if (length < 14) {
      systemError("HMATI");
      return true;
    }
    return put(rec::slotI(buffer, 14));
  });
  if (ok)
    walkRecords(rec::i(CSLEF, 28), rec::i(CSLEF, 29), buffer, recordSlots, nullptr, "HMATI", [&](Int, Int length) {
      if (length < 9) {
        systemError("HMATI");
        return true;
      }
      const Int values = rec::slotI(buffer, 8), s = rec::slotI(buffer, 9);
      if (values < 0 || s < 0 || (values > 0 && s + 1 + 3LL * (values - 1) > length)) {
        systemError("HMATI");
        return true;
      }
      for (Int j = 0; j < values; ++j)
        if (!put(rec::slotI(buffer, s + 1 + 3LL * j))) return false;
      return true;
    });
  if (!ok) return false;
  // Move the values to the front, pack them to integers and keep each distinct non-zero one once.
  char* slots = static_cast<char*>(buffer);
  if (n > 0) std::memmove(slots, slots + 8 * offset, static_cast<std::size_t>(8 * n));
  Int packed = static_cast<Int>(n), status = 0;
  ACOPEI(buffer, &packed);
  ASORT1(static_cast<Int*>(buffer), &packed, &status);
  *count = packed;
  return true;
}

bool isPartName(const char name[80]) {
  return std::memcmp(name, "XID", 3) == 0 || std::memcmp(name, " PI", 3) == 0;
}

Int countParts(void* buffer, long long bufferSlots) {
  const Int directory = rec::i(CSLV, kElementSetDirectory);
  if (directory == 0) return 0;
  const Int length = readRecord(directory, buffer, bufferSlots);
  if (length < 2) {
    systemError("ODBGETNPART");
    return 0;
  }
  const Int entries = rec::slotI(buffer, 2);
  Int parts = 0;
  for (Int j = 1; j <= entries; ++j) {
    const long long nameSlot = 5 + 2LL * (j - 1);
    if (nameSlot + 1 > length) {
      systemError("ODBGETNPART");
      break;
    }
    char name[80];
    decodeName(static_cast<const char*>(buffer) + 8 * (nameSlot - 1), name, 1);
    if (isPartName(name)) ++parts;
  }
  return parts;
}

}  // namespace zmx::odb

using namespace zmx::odb;

extern "C" {

// The exported forms take the arguments of the gathering: the record buffer has the slots of the
// layout's record buffer; the lists run to the end of the caller's array, which nothing here bounds.
void NODRFN(void* references, void* buffer, Int* count, const Int* nodeDatabase) {
  *count = 0;
  guarded([&] {
    gatherNodeReferences(references, buffer, recordBufferSlots(), count, *nodeDatabase, kUnbounded);
  });
}

void HMATI(void* buffer, Int* count) { gatherHourglassValues(buffer, kUnbounded, count); }

void ODBGETNPART(void* buffer, Int* count) { *count = countParts(buffer, elementSetBufferSlots()); }

void GETEXT2INTNODE(Int* labels, const Int* nodeCount, const Int* nodeDatabase) {
  for (Int i = 1; i <= *nodeCount; ++i) labels[i - 1] = nodeLabel(*nodeDatabase, i);
}

}  // extern "C"
