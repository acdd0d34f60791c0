// Page pools: the work space is cut into at most 20 pools that DBALOC hands to the data-base
// units, takes back, moves and packs; each change is told to the unit concerned through DBAL1,
// which turns it into work on the unit's page table (DBAL3) or single buffer (DBAL2). DBCORE
// grows a caller's work array on demand.

#include <algorithm>
#include <climits>

#include "runtime/record.h"
#include "siblings/dm2/dm2_state.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/eqc_units.h"
#include "siblings/eqc/records.h"
#include "storage/db_units/paged_units.h"
#include "zmx/storage.h"

namespace {

using namespace zmx::units;

constexpr int kProgramKindHostOnly = 3;

// Codes of the notices DBALOC sends through DBAL1.
enum Notice : Int { kNew = 0, kTaken = 1, kHandedBack = 2, kMoved = 3, kTakenUnwritten = 4, kClosing = 5 };

Int& owner(Int slot) { return rec::i(CDBPP, kOwner + slot); }
Int& inUse(Int slot) { return rec::i(CDBPP, kInUse + slot); }
// Base word of a slot's pool; 0 for a slot number outside the table.
Int slotBase(Int slot) { return slot >= 1 && slot <= kSlots ? rec::i(CDBPP, kBase + slot) : 0; }
Int slotCount() { return std::clamp(rec::i(CDBPP, kSlotCount), 0, kSlots); }
Int programKind() { return rec::i(CPROG, eqc_records::kProgramKind); }

void systemError(const char* text) {
  const Int level = -3;
  const Int none = 0;
  const Real noReal = 0.0;
  KVXERR(&level, text, static_cast<Int>(std::char_traits<char>::length(text)), &none, &noReal, " ", 1);
}

void allocationError() { systemError("SYSTEM ERROR IN DBALOC"); }

Int notify(Int code, Int unit, Int slot) {
  Int status = 0;
  DBAL1(&code, &unit, &slot, &status);
  return status;
}

// Lowest slot (1 to the count) that satisfies the test, 0 when none does.
template <class Test>
Int lowestSlot(Test test) {
  for (Int slot = 1; slot <= slotCount(); ++slot)
    if (test(slot)) return slot;
  return 0;
}

template <class Test>
Int highestSlot(Test test) {
  for (Int slot = slotCount(); slot >= 1; --slot)
    if (test(slot)) return slot;
  return 0;
}

// One pool for the unit (operation 0); false when no slot can be found and the request ends.
bool givePool(Int unit) {
  if (Int slot = lowestSlot([&](Int s) { return owner(s) == unit && inUse(s) == 0; })) {
    inUse(slot) = 1;
    notify(kHandedBack, unit, slot);
    return true;
  }
  Int slot = lowestSlot([](Int s) { return owner(s) == 0; });
  if (slot == 0) {
    slot = highestSlot([](Int s) { return inUse(s) == 0; });
    if (slot == 0) {
      allocationError();
      return false;
    }
    notify(kTaken, owner(slot), slot);
  }
  owner(slot) = unit;
  inUse(slot) = 1;
  if (notify(kNew, unit, slot) == 2) {
    // The unit refused a page beyond its maximum: the slot stays free, and the request goes on
    // with its next pool.
    owner(slot) = 0;
    inUse(slot) = 0;
  }
  return true;
}

bool idlePool(Int unit) {
  const Int slot = lowestSlot([&](Int s) { return owner(s) == unit && inUse(s) == 1; });
  if (slot == 0) {
    allocationError();
    return false;
  }
  inUse(slot) = 0;
  return true;
}

bool dropPool(Int unit) {
  notify(kHandedBack, unit, 0);
  const Int slot = lowestSlot([&](Int s) { return owner(s) == unit; });
  if (slot == 0) {
    allocationError();
    return false;
  }
  inUse(slot) = 0;
  owner(slot) = 0;
  notify(kTakenUnwritten, unit, slot);
  return true;
}

// Frees idle slots and moves the pools in use to the top of the table; returns the last free slot.
Int pack() {
  const Int n = slotCount();
  for (Int slot = 1; slot <= n; ++slot) {
    if (owner(slot) != 0 && inUse(slot) == 0) {
      notify(kTaken, owner(slot), slot);
      owner(slot) = 0;
    }
  }
  Int target = n;
  for (Int slot = n; slot >= 1; --slot) {
    if (inUse(slot) == 0) continue;
    if (slot != target) {
      Int from = slot;
      Int status = 0;
      Int code = kMoved;
      DBAL1(&code, &from, &target, &status);
      inUse(target) = inUse(slot);
      owner(target) = owner(slot);
      inUse(slot) = 0;
      owner(slot) = 0;
    }
    --target;
  }
  return target;
}

// Takes every pool of the unit back (writing modified pages); the number it was using. With
// takeAll false (operation codes beyond 5) each pass finds the same lowest slot again.
Int closeUnit(Int unit, bool takeAll) {
  Int used = 0;
  Int last = 0;
  Int lowest = lowestSlot([&](Int s) { return owner(s) == unit; });
  for (Int pass = 1; pass <= slotCount() && lowest != 0; ++pass) {
    last = lowest;
    if (inUse(lowest) != 0) ++used;
    inUse(lowest) = 0;
    if (takeAll) {
      notify(kTaken, unit, lowest);
      owner(lowest) = 0;
      lowest = lowestSlot([&](Int s) { return owner(s) == unit; });
    }
  }
  notify(kClosing, unit, last);
  return used;
}

// ---- DBAL3 --------------------------------------------------------------------------------

// Page (1-based) whose base word is base, 0 when none.
Int pageWithBase(const Int* bases, Int count, Int base) {
  for (Int k = 1; k <= count; ++k)
    if (bases[k - 1] == base) return k;
  return 0;
}

void pageTableError() { systemError("SYSTEM ERROR IN DBAL3"); }

Int maxPagesOf(const Int* count) {
  const PagedUnit* unit = pagedUnitOfCount(count);
  return unit != nullptr ? unit->maxPages : INT_MAX;
}

}  // namespace

extern "C" {

void DBALOC(const Int* operation, Int* unit, Int* n) {
  const Int op = *operation;
  if (op == 0) {
    for (Int k = 0; k < *n; ++k)
      if (!givePool(*unit)) return;
  } else if (op == 1) {
    for (Int k = 0; k < *n; ++k)
      if (!idlePool(*unit)) return;
  } else if (op == 2) {
    for (Int k = 0; k < *n; ++k)
      if (!dropPool(*unit)) return;
  } else if (op == 3 || op == 4 || programKind() == kProgramKindHostOnly) {
    *unit = pack();
  } else {
    *n = closeUnit(*unit, op == 5);
  }
}

void DBAL1(const Int* operation, Int* unit, const Int* slot, Int* status) {
  *status = 0;
  Int oldSlot = 0;
  if (*operation == kMoved) {
    oldSlot = *unit;
    *unit = oldSlot >= 1 && oldSlot <= kSlots ? owner(oldSlot) : 0;  // no slot: no unit to tell
  }
  const Int level = -3;
  const Real noReal = 0.0;
  auto retired = [&](const char* text) {
    KVXERR(&level, text, static_cast<Int>(std::char_traits<char>::length(text)), unit, &noReal, " ", 1);
  };
  switch (*unit) {
    case 1:
      retired("Element data base not used any more");
      return;
    case 5:
      retired("Element operator data base not used any more");
      return;
    case 7:
    case 8:
      retired("Material point data base not used any more");
      return;
    case 20:
      retired("Wavefront solver data base not used any more");
      return;
    case 6:
    case 12: {
      auto& r = *unit == 6 ? CDM.w : CDME.w;
      DBAL2(operation, slot, &r[kBufferBase - 1], &r[kFileUnit - 1], &r[kBlockLength - 1], &r[kBlocks - 1],
            &r[kState - 1], &r[kPosition - 1], status);
      return;
    }
    default:
      break;
  }
  const PagedUnit* paged = pagedUnit(*unit);
  if (paged == nullptr) return;
  const PagedUnit& u = *paged;
  DBAL3(operation, slot, &u.word(u.bases), &u.word(u.fileUnitWord), &u.word(u.pageLengthWord), &u.word(u.records),
        &u.word(u.modified), &u.word(u.ages), &u.word(u.count), &oldSlot, &u.word(u.highest), status);
  if (u.word(u.count) > u.maxPages) *status = 2;
  if (*status == 2) {
    const char text[] = "TOO MANY PAGE POOLS ALLOCATED FOR UNIT %I";
    KVXERR(&level, text, static_cast<Int>(sizeof text - 1), unit, &noReal, " ", 1);
  }
}

void DBAL3(const Int* operation, const Int* slot, Int* bases, const Int* fileUnit, const Int* pageLength,
           Int* records, Int* modified, Int* ages, Int* count, const Int* oldSlot, Int* highest, Int* status) {
  *status = 0;
  switch (*operation) {
    case kNew: {
      if (*count >= maxPagesOf(count)) {
        *status = 2;
        return;
      }
      const Int k = ++*count;
      bases[k - 1] = slotBase(*slot);
      records[k - 1] = 0;
      modified[k - 1] = 0;
      ages[k - 1] = -k;
      return;
    }
    case kTaken:
    case kTakenUnwritten: {
      const Int k = pageWithBase(bases, *count, slotBase(*slot));
      if (k == 0) {
        pageTableError();
        return;
      }
      if (records[k - 1] != 0 && modified[k - 1] != 0) {
        if (*operation == kTaken) {
          Real* page = workSpaceWords(bases[k - 1], *pageLength);
          const Int write = 1;
          if (page != nullptr) DBDA(fileUnit, page, pageLength, &records[k - 1], &write);
        }
        *highest = std::max(*highest, records[k - 1]);
      }
      const Int last = *count;
      for (Int* entry : {bases, records, modified, ages}) {
        entry[k - 1] = entry[last - 1];
        entry[last - 1] = 0;
      }
      --*count;
      return;
    }
    case kMoved: {
      const Int k = pageWithBase(bases, *count, slotBase(*oldSlot));
      if (k == 0) {
        pageTableError();
        return;
      }
      if (records[k - 1] != 0) {
        const Real* from = workSpaceWords(slotBase(*oldSlot), *pageLength);
        Real* to = workSpaceWords(slotBase(*slot), *pageLength);
        if (from != nullptr && to != nullptr) ACOPY(from, to, pageLength);
      }
      bases[k - 1] = slotBase(*slot);
      return;
    }
    case kClosing: {
      const Int close = 5;
      const Int noRecord = 0;
      DBDA(fileUnit, nullptr, pageLength, &noRecord, &close);
      return;
    }
    default:
      return;
  }
}

void DBAL2(const Int* operation, const Int* slot, Int* base, const Int* fileUnit, const Int* blockLength,
           Int* blocks, Int* state, Int* position, Int* status) {
  *status = 0;
  const bool hostOnly = programKind() == kProgramKindHostOnly;
  auto sequential = [&](Int op) {
    const Int none = 0;
    Real* buffer = workSpaceWords(*base, *blockLength);
    DBSEQ(&op, buffer, nullptr, &none, position, fileUnit, blockLength, blocks, state, status);
  };
  switch (*operation) {
    case kNew:
      *base = slotBase(*slot);
      return;
    case kTaken:
      if (!hostOnly && *blocks != 0) sequential(3);
      return;
    case kHandedBack:
    case kTakenUnwritten:
      if (!hostOnly) sequential(2);
      return;
    case kMoved:
    case kClosing:
      if (slotBase(*slot) == 0) return;
      if (*blocks != 0) {
        const Real* from = workSpaceWords(*base, *blockLength);
        Real* to = workSpaceWords(slotBase(*slot), *blockLength);
        if (from != nullptr && to != nullptr) ACOPY(from, to, blockLength);
      }
      *base = slotBase(*slot);
      return;
    default:
      return;
  }
}

Int DBCORE(const Int* n, Int* limit) {
  if (*n <= *limit) return *n;
  Int& tally = rec::i(CSIZE, kCoreGrowth);
  // A limit or tally past the largest 32-bit count cannot be booked: nothing is raised.
  const auto fits = [&](Int word) { return static_cast<long long>(word) + *n <= INT_MAX; };
  if (!fits(tally) || !fits(*limit) || SHR_DBCORE(n) == 0) {
    systemError("MEMORY FAILURE.");
    return tally;
  }
  const Int grow = *n;
  tally += grow;
  if (limit != &tally) *limit += grow;
  return tally;
}

Int SHR_DBCORE(const Int* n) {
  rdm_Memory* memory = omi_Singleton<rdm_MemoryManager>::Instance()->GetPtrToMemoryObj();
  return memory->SetStackUse(memory->StackMemInUse() + 8LL * *n);
}

}  // extern "C"
