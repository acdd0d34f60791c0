// Interface elements on slave surfaces: their characteristic length and the value of their node
// in the slave-surface data record " INFOSLV" (temperature or pore-pressure degree of freedom).
#include <algorithm>
#include <string>
#include <vector>

#include "elements/geometry/element_records.h"
#include "elements/geometry/element_support.h"
#include "elements/interface/interface_support.h"
#include "runtime/record.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/import_services.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/slide_line_codes.h"
#include "storage/db_units/work_room.h"
#include "zmx/contact/slide_surfaces.h"
#include "zmx/elements/interface.h"
#include "zmx/numerics/sorting.h"

namespace {

using namespace zmx_interface;

// Outcome of the node's lookup in the " INFOSLV" record.
enum class Lookup { kMissingRecord, kNoSurface, kDone };

// Finds the surface entry named by the element record's slot 3 and the node in its sorted node
// list: the node's value goes into info slot 1; a node not listed is reported under -3006.
// ASURFREC leaves the record it found in the buffer where it fits the buffer's room (to the end
// of its block in the address space, else the capacity); a longer one is read here into storage
// of its own. The record is read within its own length and that room. An entry, a step or a
// node list that would run past that ends the walk as if nothing matched (reported at level -3).
Lookup lookUpNode(const void* record, void* info, const Int* capacity, Int node, const char* systemText) {
  Int address = 0;
  ASURFREC(" INFOSLV", 8, &address, info, capacity);
  if (address == 0) {
    zmx_elements::message(-2, systemText, 0);
    return Lookup::kMissingRecord;
  }
  const zmx::units::WorkRoom room(info, *capacity);
  std::vector<Real> own;
  const bool inBuffer = room.holds(DBSLLENGTH(&address));
  if (!inBuffer) eqc::readSlideLineRecord(address, own);
  const void* surfaces = inBuffer ? info : own.data();
  const long long length = inBuffer ? std::min<long long>(rec::slotI(info, 1), room.units())
                                    : static_cast<long long>(own.size());
  auto damaged = [&] {
    zmx_elements::message(-3, systemText, 0);
    return Lookup::kNoSurface;
  };
  constexpr long long kFirstEntry = 6;
  if (!rec::spanInside(1, kFirstEntry - 1, length)) return damaged();
  const Int entries = rec::slotI(surfaces, 4);
  const long long offset = rec::slotI(surfaces, 5);
  const char* wanted = static_cast<const char*>(record) + 8 * 2;
  long long s = kFirstEntry;
  for (Int k = 1; k <= entries; ++k) {
    if (!rec::spanInside(s, 2, length)) return damaged();
    const char* name = static_cast<const char*>(surfaces) + 8 * (s);
    if (BCU_ACOMP(name, 8, wanted, 8) == 0) {
      // The node count sits in slot o + s - 1, the node numbers take n 4-byte words from slot
      // o + s and the values end at slot o + s + 3n - 1.
      if (!rec::spanInside(offset + s - 1, 1, length)) return damaged();
      const Int n = rec::slotI(surfaces, offset + s - 1);
      if (n < 0 || !rec::spanInside(offset + s, 3LL * n, length)) return damaged();
      const Int* nodes = reinterpret_cast<const Int*>(static_cast<const char*>(surfaces) + 8 * (offset + s - 1));
      Int position = 1, status = 0;
      HUNTI(nodes, &n, &node, &position, &status);
      if (status == 0 && position >= 1 && position <= n) {
        rec::setSlotR(info, 1, rec::slotI(surfaces, offset + s + 2 * n + position - 1));
      } else {
        char decoded[8];
        const Int eight = 8;
        Int used = 0;
        ACODEC(name, decoded, 8, &eight, &used);
        const Int level = -2, key = -3006, file = 1;
        const Real noReal = 0.0;
        const char* text = "FAILURE TO FIND NODE %I OF SLAVE SURFACE %S IN INFOSLV. THIS MAY BE DUE TO PREVIOUS ERRORS.";
        KVXNERR(&level, text, static_cast<Int>(std::char_traits<char>::length(text)), &node, &noReal, decoded, 8);
        MSGACCESS(&file, &node, &key);
      }
      return Lookup::kDone;
    }
    const Int step = rec::slotI(surfaces, s);
    if (step < 1) return damaged();
    s += step;
  }
  return Lookup::kNoSurface;
}

}  // namespace

extern "C" {

void LIGSL2(const Int* n, void* /*buffer*/, const Int* addresses, const Int* count, const Int* type, void* info,
            const Int* flag7, const Int* flag8, const Int* capacity, const Real* X, const Int* ldim, const Int* node) {
  if (*type != 281) {
    addBoth(endDistance(X, *ldim, *n, 2));
    return;
  }
  std::vector<Real> record;
  if (!readRecord(lastInRange(addresses, *count, rec::i(CSLEF, 29), rec::i(CSLEF, 31)), record)) return;
  const Real length = rec::slotR(record.data(), 14);
  if (length > 2.22e-16) addBoth(length);
  if (*flag7 <= 0 && *flag8 <= 0) return;
  if (lookUpNode(record.data(), info, capacity, *node, "SYSTEM ERROR IN LIGSL2 - FAILURE TO READ SLAVE SURFACE INFO") !=
      Lookup::kNoSurface)
    return;
  if (*flag7 != 0)
    rec::setSlotR(info, 1, 11.0);
  else if (*flag8 != 0)
    rec::setSlotR(info, 1, 8.0);
}

void LIGSL3(void* /*buffer*/, const Int* addresses, const Int* count, const Int* type, const Int* n, void* info,
            const Int* capacity, const Real* X, const Int* ldim, const Int* node) {
  if (*type != 290) {
    addBoth(endDistance(X, *ldim, *n, 3));
    return;
  }
  std::vector<Real> record;
  if (!readRecord(lastInRange(addresses, *count, rec::i(CSLEF, 29), rec::i(CSLEF, 31)), record)) return;
  addBoth(rec::slotR(record.data(), 14));
  const Int kind = rec::slotI(record.data(), 11);
  if (kind != 2 && kind != 4) return;
  if (lookUpNode(record.data(), info, capacity, *node, "SYSTEM ERROR IN LIGSL3 - FAILURE TO READ SLAVE SURFACE INFO") ==
      Lookup::kNoSurface)
    rec::setSlotR(info, 1, 0.0);
}

}  // extern "C"
