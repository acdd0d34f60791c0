// Numbering of distinct material records: two materials get the same number when every option
// compares equal, option by option in list order. Numbers are 1, 2, 3, ... in order of first
// appearance; a record takes the number of the first earlier record that compares equal.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "model/merging/merge_support.h"
#include "model/support/model_report.h"
#include "runtime/record.h"
#include "siblings/eqc/eqc_services.h"
#include "zmx/model/merging.h"

namespace {

using zmx::model::merge::SlotRecord;

// Options whose values are integers held in their slots.
bool integerValued(Int code) {
  switch (code) {
    case 67: case 75: case 211: case 213: case 221: case 360: case 430: case 535: case 971: case 972:
    case 974: case 1181: case 1198: case 1260: case 1261: case 1262:
      return true;
    default:
      return false;
  }
}

// Options whose rows end in a value compared bit for bit.
bool lastValueBitwise(Int code) {
  return (code >= 1152 && code <= 1157) || (code >= 1163 && code <= 1167) || code == 1170;
}

constexpr Int kNeverMerged = 601;

// The table header of an option: D at slot l, flags, R, W, rows from l + D + 3.
struct OptionTable {
  Int d = 0, rows = 0, width = 0;
  long first = 0;  // slot of the first row value
};

bool readTable(const SlotRecord& r, Int l, OptionTable& t) {
  if (!r.holds(l)) return false;
  t.d = r.integer(l);
  if (t.d < 0 || !r.holds(static_cast<long>(l) + t.d + 2)) return false;
  t.rows = r.integer(l + t.d + 1);
  t.width = r.integer(l + t.d + 2);
  t.first = static_cast<long>(l) + t.d + 3;
  if (t.rows < 0 || t.width < 0) return false;
  const long values = static_cast<long>(t.rows) * t.width;
  return values == 0 || r.holds(t.first + values - 1);
}

bool sameOption(const SlotRecord& a, const SlotRecord& b, Int k) {
  const Int code = a.integer(4 + 2 * k);
  if (code != b.integer(4 + 2 * k) || code == kNeverMerged) return false;
  OptionTable ta, tb;
  if (!readTable(a, a.integer(5 + 2 * k), ta) || !readTable(b, b.integer(5 + 2 * k), tb)) return false;
  if (ta.d != tb.d || ta.rows != tb.rows || ta.width != tb.width) return false;
  const long flagsA = ta.first - ta.d - 2, flagsB = tb.first - tb.d - 2;
  for (Int m = 0; m < ta.d; ++m)
    if (a.integer(flagsA + m) != b.integer(flagsB + m)) return false;
  const bool integers = integerValued(code), bitwiseLast = lastValueBitwise(code);
  for (Int row = 0; row < ta.rows; ++row) {
    for (Int col = 0; col < ta.width; ++col) {
      const long sa = ta.first + static_cast<long>(row) * ta.width + col;
      const long sb = tb.first + static_cast<long>(row) * tb.width + col;
      bool same;
      if (integers)
        same = a.integer(sa) == b.integer(sb);
      else if (bitwiseLast && col == ta.width - 1)
        same = a.sameBits(sa, b, sb);
      else
        same = zmx::model::merge::sameReal(a.real(sa), b.real(sb));
      if (!same) return false;
    }
  }
  return true;
}

bool sameMaterial(const SlotRecord& a, const SlotRecord& b) {
  if (!a.holds(3) || !b.holds(3)) return false;
  const Int n = a.integer(3);
  if (n != b.integer(3) || n < 0) return false;
  if (!a.holds(5 + 2 * static_cast<long>(n)) || !b.holds(5 + 2 * static_cast<long>(n))) return false;
  for (Int k = 1; k <= n; ++k)
    if (!sameOption(a, b, k)) return false;
  return true;
}

// A key that equal materials share: the option count and each option's code, D, R and W.
std::uint64_t materialKey(const SlotRecord& r) {
  std::uint64_t h = 1469598103934665603ull;
  const auto mix = [&h](std::uint64_t v) { h = (h ^ v) * 1099511628211ull; };
  if (!r.holds(3)) return h;
  const Int n = r.integer(3);
  mix(static_cast<std::uint32_t>(n));
  if (n < 0 || !r.holds(5 + 2 * static_cast<long>(n))) return h;
  for (Int k = 1; k <= n; ++k) {
    mix(static_cast<std::uint32_t>(r.integer(4 + 2 * k)));
    OptionTable t;
    if (readTable(r, r.integer(5 + 2 * k), t)) {
      mix(static_cast<std::uint32_t>(t.d));
      mix(static_cast<std::uint32_t>(t.rows));
      mix(static_cast<std::uint32_t>(t.width));
    }
  }
  return h;
}

bool hasNeverMergedOption(const SlotRecord& r) {
  if (!r.holds(3)) return false;
  const Int n = r.integer(3);
  for (Int k = 1; k <= n && r.holds(4 + 2 * static_cast<long>(k)); ++k)
    if (r.integer(4 + 2 * k) == kNeverMerged) return true;
  return false;
}

// Numbers the material records from start to end into mapm.
void numberMaterials(Int* mapm, Real* mats, Int start, Int end) {
  const std::vector<long> offsets = zmx::model::merge::readRecords(mats, start, end);
  // Candidates are bucketed by a key that equal records share; within a bucket they stay in
  // address order, so the first equal one is the first equal record of all.
  std::unordered_map<std::uint64_t, std::vector<long>> buckets;
  Int count = 0;
  for (const long offset : offsets) {
    const SlotRecord record = SlotRecord::of(mats + offset);
    Int number = 0;
    std::vector<long>* bucket = nullptr;
    if (!hasNeverMergedOption(record)) {
      bucket = &buckets[materialKey(record)];
      for (const long earlier : *bucket)
        if (sameMaterial(record, SlotRecord::of(mats + earlier))) {
          number = mapm[earlier];
          break;
        }
    }
    if (number == 0) number = ++count;
    // Every record stays a candidate: equality within a tolerance is not transitive.
    if (bucket != nullptr) bucket->push_back(offset);
    mapm[offset] = number;
  }
}

}  // namespace

extern "C" {

void COMPAREMATERIAL(Int* same, const Real* a, const Real* b) {
  *same = sameMaterial(SlotRecord::of(a), SlotRecord::of(b)) ? 1 : 0;
}

void MERGEMATERIAL(Int* mapm, Real* mats, const Int* start, const Int* end) {
  const long words = std::max<long>(static_cast<long>(*end) - *start, 0);
  std::fill(mapm, mapm + words, 0);
  zmx::model::withMemory([&] { numberMaterials(mapm, mats, *start, *end); });
}

}  // extern "C"
