// Numbering of distinct section records, and the driver that numbers materials and sections.
//
// Sections are compared kind by kind; a material reference counts as equal when the two
// addresses are equal or their materials were merged. A section takes the number of the first
// earlier section of the same kind and part that compares equal; otherwise the next new number
// (one count for all kinds).

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <tuple>
#include <vector>

#include "model/merging/merge_support.h"
#include "model/support/model_report.h"
#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/model_parts.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/records.h"
#include "siblings/inp/solver_parts.h"
#include "storage/db_units/work_room.h"
#include "zmx/model/merging.h"
#include "zmx/storage.h"

namespace {

using zmx::model::merge::SlotRecord;
using zmx::model::merge::sameReal;

// CSLV words: material records from word 2 to word 3, section records from word 5 ...
constexpr int kMaterialFirst = 2, kMaterialEnd = 3, kSectionFirst = 5;
// ... to CSLEF word 49.
constexpr int kSectionEnd = 49;
// CSLV word 8: the address the offsets of the element-list entries count from.
constexpr int kElementListsBase = 8;
constexpr std::size_t kElementSlot = 2;

constexpr Int kUnmergedKind = 16, kPartOnlyKind = 15;

// Section kinds by the CSLEF word pairs that bound their address ranges, in order of test.
struct KindRange {
  int first, end;
  Int kind;
};
constexpr KindRange kKindRanges[] = {{2, 30, 1},  {3, 36, 2},   {4, 5, 3},    {30, 3, 11}, {5, 6, 4},
                                     {6, 7, 5},   {7, 21, 6},   {21, 8, 7},   {40, 45, 12}, {27, 28, 8},
                                     {26, 27, 9}, {23, 24, 10}, {41, 44, 14}, {15, 16, 13}, {38, 40, 15}};

Int kindOf(Int address) {
  for (const KindRange& r : kKindRanges)
    if (address >= rec::i(CSLEF, r.first) && address < rec::i(CSLEF, r.end)) return r.kind;
  return kUnmergedKind;
}

// One comparison of two section records; the first failed test decides.
class SectionComparison {
 public:
  SectionComparison(const SlotRecord& a, const SlotRecord& b, const Int* mapm, Int materialFirst, Int materialEnd)
      : a_(a), b_(b), mapm_(mapm), materialFirst_(materialFirst), materialEnd_(materialEnd) {}

  bool ok() const { return ok_; }

  // Integer slot k of both records equal.
  SectionComparison& exact(long k) { return test(k, k, [&] { return a_.integer(k) == b_.integer(k); }); }
  SectionComparison& exactRange(long first, long last) {
    for (long k = first; k <= last && ok_; ++k) exact(k);
    return *this;
  }
  // All 8 bytes of slot k equal.
  SectionComparison& bits(long k) { return test(k, k, [&] { return a_.sameBits(k, b_, k); }); }
  SectionComparison& real(long k) { return test(k, k, [&] { return sameReal(a_.real(k), b_.real(k)); }); }
  SectionComparison& reals(long first, long last) {
    for (long k = first; k <= last && ok_; ++k) real(k);
    return *this;
  }
  // Both zero or both non-zero.
  SectionComparison& alike(long k) {
    return test(k, k, [&] { return (a_.integer(k) == 0) == (b_.integer(k) == 0); });
  }
  SectionComparison& holds(bool condition) {
    ok_ = ok_ && condition;
    return *this;
  }
  // Material reference in slot k of both records: equal addresses pass; otherwise the merge
  // numbers decide.
  bool materialsMatch(long k) {
    if (!ok_ || !a_.holds(k) || !b_.holds(k)) return ok_ = false;
    const Int x = a_.integer(k), y = b_.integer(k);
    if (x == y) return true;
    return ok_ = sameMaterialNumber(x, y);
  }

 private:
  template <class Test>
  SectionComparison& test(long ka, long kb, Test t) {
    ok_ = ok_ && a_.holds(ka) && b_.holds(kb) && t();
    return *this;
  }
  bool sameMaterialNumber(Int x, Int y) const {
    const auto inRange = [this](Int w) { return w >= materialFirst_ && w < materialEnd_; };
    return inRange(x) && inRange(y) && mapm_[x - materialFirst_] == mapm_[y - materialFirst_];
  }

  SlotRecord a_, b_;
  const Int* mapm_;
  Int materialFirst_, materialEnd_;
  bool ok_ = true;
};

// The tests end with the material of slot k: equal addresses pass every test, merged materials
// decide the comparison.
bool endWithMaterial(SectionComparison& c, long k) { return c.ok() && c.materialsMatch(k); }

// Entry loops of kinds 1 and 3: each entry's integer, zero-or-not flag and material must match.
// Every entry is compared, also after a merged material: sections whose later entries name
// different materials are different sections.
bool entriesMatch(SectionComparison& c, long count, long first, long keySlot, long flagSlot, long materialSlot) {
  for (long e = 0; e < count && c.ok(); ++e) {
    const long base = first + 4 * e;
    c.exact(base + keySlot).alike(base + flagSlot);
    if (c.ok()) c.materialsMatch(base + materialSlot);
  }
  return c.ok();
}

void compareKind13(SectionComparison& c, const SlotRecord& a) {
  c.bits(4).exact(5);
  if (!c.ok()) return;
  const Int s = a.integer(5);
  const long length = a.length;
  if (s == 20 && length == 29) c.reals(6, 9).real(12).exact(10);
  if (s == 20 && length == 77) c.reals(6, 9).exact(10).exact(11);
  if (s == 21 && (length == 29 || length == 77)) c.reals(6, 9).reals(11, 14).exact(10);
  if ((s == 22 && (length == 11 || length == 18)) || s == 10) c.reals(6, 8).exact(10).exact(8).exact(9);
  if (s == 11) c.reals(6, 9).exact(13).exact(14);
  if (s == 12) c.reals(6, 10).exact(14);
  if (s == 30) c.reals(6, 7).exact(8).exact(9);
  if (s == 31) c.reals(6, 8).exact(12).exact(13);
  if (s == 211 || s == 212 || s == 215) c.reals(6, 8).exact(9).exact(10);
  if (s == 221 || s == 222 || s == 224 || s == 225) c.reals(6, 9).exact(10).exact(11);
}

bool sameSection(Int kind, const SlotRecord& a, const SlotRecord& b, const Int* mapm, Int materialFirst,
                 Int materialEnd, Int flagA) {
  if (kind < 1 || kind > 14) return kind != 0 && kind != kPartOnlyKind && kind != kUnmergedKind;
  if (!a.holds(1) || !b.holds(1) || a.length != b.length) return false;
  SectionComparison c(a, b, mapm, materialFirst, materialEnd);
  switch (kind) {
    case 1:
      if (a.holds(3) && a.integer(3) < 1) {
        c.alike(4).exactRange(6, 8).holds(b.holds(3) && b.integer(3) < 1);
        return c.ok() && entriesMatch(c, a.integer(7), 10, 0, 2, 1);
      }
      c.alike(4).exact(6).holds(b.holds(3) && b.integer(3) >= 1);
      return endWithMaterial(c, 3);
    case 2:
      if (flagA == 0) {
        c.exact(4).exact(5).exactRange(16, 18);
        if (b.holds(4) && b.integer(4) > 100) c.exact(19);
        return endWithMaterial(c, 3);
      }
      c.exact(3).exact(11).exact(13).exactRange(21, 23).reals(4, 7).reals(17, 20);
      return endWithMaterial(c, 15);
    case 3:
      if (b.holds(3) && b.integer(3) == 0) {
        c.alike(11);
        return endWithMaterial(c, 10);
      }
      c.holds(b.holds(3)).exact(11).exact(18).alike(13).holds(b.holds(10));
      return c.ok() && entriesMatch(c, a.integer(11), b.integer(10), 0, 3, 2);
    case 4:
    case 5:
    case 6:
    case 7:
      c.alike(4).exactRange(5, a.length);
      return endWithMaterial(c, 3);
    case 8:
    case 12:
      return endWithMaterial(c, 3);
    case 9:
      c.exact(4).real(5);
      return endWithMaterial(c, 3);
    case 10:
    case 14:
      c.exactRange(3, a.length);
      return c.ok();
    case 11:
      c.alike(4);
      return endWithMaterial(c, 3);
    default:  // 13
      compareKind13(c, a);
      return endWithMaterial(c, 3);
  }
}

// Integer views of the work array's integer areas.
Int* integers(Real* slots) { return reinterpret_cast<Int*>(slots); }

long halfUp(long words) { return (words + 1) / 2; }

Int elementTypeCode(Int handle) {
  const Int typeOperation = 2;
  Int words = 0;
  const Int word = ELEMACCESS(&typeOperation, &handle, &words);
  const Int* type = words >= 1 ? mem32::at<Int>(word, 1) : nullptr;
  return type != nullptr ? type[0] : 0;
}

// The element an entry of the element list names: the entry holds the offset of an element-list
// record after CSLV word 8, and slot 2 of that record is the element. 0 when it cannot be read.
Int elementOfEntry(const Real* elementList, Int e) {
  const long long address =
      static_cast<long long>(rec::i(CSLV, kElementListsBase)) + rec::slotI(elementList, 6 + 2 * static_cast<long>(e)) - 1;
  if (address < 1 || address > INT32_MAX) return 0;
  std::vector<Real> record;
  if (!eqc::readSlideLineRecord(static_cast<Int>(address), record, kElementSlot)) return 0;
  const Int element = rec::slotI(record.data(), kElementSlot);
  return ADB_ELEMGET(&element);
}

// Marks the sections that elements use: the flag map (beam sections of type codes 2201 to 2302)
// and, with several solver parts, the part of each section.
void markSectionsOfElements(const Real* elementList, const Int* partTable, Int* partMap, Int* flagMap,
                            Int sectionFirst, Int sectionEnd) {
  const Int countQuery = 0, askCount = -1, askPart = 0;
  const Int parts = INP_SOLVERPARTINDEX(&countQuery, &askCount);
  const Int entries = rec::slotI(elementList, 2);
  for (Int e = 0; e < entries; ++e) {
    const Int handle = elementOfEntry(elementList, e);
    if (handle == 0) continue;
    const Int sectionOperation = 3, numberOperation = 0;
    Int out = 0;
    const Int address = ELEMACCESS(&sectionOperation, &handle, &out);
    if (address < sectionFirst || address >= sectionEnd) continue;
    const Int type = elementTypeCode(handle);
    flagMap[address - sectionFirst] = type >= 2201 && type <= 2302 ? 1 : 0;
    if (parts >= 2) partMap[address - sectionFirst] = ELEMACCESS(&numberOperation, &handle, &out);
  }
  if (parts < 2) return;
  // Entry e of the part-number table (counted from 1) names the part of element e.
  for (long w = 0; w < static_cast<long>(sectionEnd) - sectionFirst; ++w)
    if (partMap[w] > 0) partMap[w] = INP_SOLVERPARTINDEX(&partTable[partMap[w] - 1], &askPart);
}

}  // namespace

extern "C" {

void COMPARESECTION(const Int* kind, const Real* a, const Real* b, Int* same, const Int* mapm, const Int* materialFirst,
                    const Int* materialEnd, const Int* flagA) {
  const bool equal = sameSection(*kind, SlotRecord::of(a), SlotRecord::of(b), mapm, *materialFirst, *materialEnd,
                                 *flagA);
  *same = equal ? 1 : 0;
}

void MERGESECTION(const Int* /*database*/, Int* result, Real* mirror, const Real* elementList, Real* /*scratch*/,
                  const Int* partTable, Int* partMap, const Int* sectionFirst, const Int* sectionEnd, Int* sectionList,
                  const Int* n, const Int* mapm, const Int* materialFirst, const Int* materialEnd, Int* flagMap) {
  const Int first = *sectionFirst, end = *sectionEnd, capacity = std::max<Int>(*n, 0);
  const long words = std::max<long>(static_cast<long>(end) - first, 0);
  std::fill(partMap, partMap + words, 0);
  std::fill(flagMap, flagMap + words, 0);
  // When memory runs out the numbering stops there; the failure is reported.
  zmx::model::withMemory([&] {
    std::vector<long> offsets = zmx::model::merge::readRecords(mirror, first, end);
    if (static_cast<long>(offsets.size()) > capacity) offsets.resize(static_cast<std::size_t>(capacity));
    for (std::size_t j = 0; j < offsets.size(); ++j) {
      Int* entry = sectionList + 4 * j;
      entry[0] = static_cast<Int>(offsets[j] + 1);
      entry[1] = static_cast<Int>(first + offsets[j]);
      entry[2] = entry[3] = 0;
    }
    markSectionsOfElements(elementList, partTable, partMap, flagMap, first, end);
    // Candidates bucketed by kind, part and record length (every comparison needs all three equal);
    // within a bucket they stay in address order.
    std::map<std::tuple<Int, Int, long>, std::vector<std::size_t>> buckets;
    Int count = 0;
    for (std::size_t j = 0; j < offsets.size(); ++j) {
      const long offset = offsets[j];
      const Int address = static_cast<Int>(first + offset), kind = kindOf(address), part = partMap[offset];
      const SlotRecord record = SlotRecord::of(mirror + offset);
      Int number = 0;
      if (kind != kUnmergedKind) {
        auto& bucket = buckets[{kind, part, kind == kPartOnlyKind ? 0 : record.length}];
        for (const std::size_t earlier : bucket) {
          const bool equal = kind == kPartOnlyKind ||
                             sameSection(kind, record, SlotRecord::of(mirror + offsets[earlier]), mapm, *materialFirst,
                                         *materialEnd, flagMap[offset]);
          if (equal) {
            number = sectionList[4 * earlier + 3];
            break;
          }
        }
        bucket.push_back(j);
      }
      if (number == 0) number = ++count;
      sectionList[4 * j + 2] = kind;
      sectionList[4 * j + 3] = number;
      result[j] = address;
      result[capacity + j] = number;
    }
  });
}

void MERGESECTION1(const Int* database, Int* result, Real* work, const Int* n, const Real* elementList, Real* scratch,
                   const Int* partTable, Int* capacity) {
  const Int materialFirst = rec::i(CSLV, kMaterialFirst), materialEnd = rec::i(CSLV, kMaterialEnd);
  const Int sectionFirst = rec::i(CSLV, kSectionFirst), sectionEnd = rec::i(CSLEF, kSectionEnd);
  const long sections = std::max<Int>(*n, 0);
  const long materialWords = std::max<long>(static_cast<long>(materialEnd) - materialFirst, 0);
  const long sectionWords = std::max<long>(static_cast<long>(sectionEnd) - sectionFirst, 0);
  const long listSlots = 2 * sections, mapSlots = halfUp(materialWords);
  // Each phase grows the work array through DBCORE and is refused beyond the array's room.
  const zmx::units::WorkRoom room(work, *capacity);
  if (!room.growOrRefuse(listSlots + mapSlots + materialWords, capacity)) return;
  Int* sectionList = integers(work);
  Int* mapm = integers(work + listSlots);
  Real* mirror = work + listSlots + mapSlots;
  MERGEMATERIAL(mapm, mirror, &materialFirst, &materialEnd);
  const long sectionMapSlots = halfUp(sectionWords);
  if (!room.growOrRefuse(listSlots + mapSlots + sectionWords + 2 * sectionMapSlots, capacity)) return;
  Int* partMap = integers(mirror + sectionWords);
  Int* flagMap = integers(mirror + sectionWords + sectionMapSlots);
  // The table's first word is not an element's entry: MERGESECTION takes it from its second word on.
  MERGESECTION(database, result, mirror, elementList, scratch, partTable + 1, partMap, &sectionFirst, &sectionEnd,
               sectionList, n, mapm, &materialFirst, &materialEnd, flagMap);
}

}  // extern "C"
