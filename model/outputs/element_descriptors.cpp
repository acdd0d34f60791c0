// Output-database descriptors of the variables of an element output request: how many entries
// each variable makes and the three sizes of each entry, left in CDWSP.

#include <algorithm>

#include "model/outputs/descriptors.h"
#include "model/support/model_report.h"
#include "runtime/record.h"
#include "siblings/eqc/records.h"
#include "zmx/model/outputs.h"
#include "zmx/storage/records.h"
#include "zmx/storage/results.h"

namespace {

namespace ds = zmx::descriptors;
using ds::among;
using ds::Wide;
using zmx::counts::times;

constexpr int kLastTensorTypeWord = 4;  // CODB
constexpr int kBlockEndWord = 17;       // CELGI: end of the element's output-database block
constexpr int kBlockStartWord = 106;    // CELGI

// The request record's slots that the descriptors read; slot numbers are summed in 64 bits.
struct Request {
  const void* rec;
  Int kind;      // slot 2
  Int list;      // slot 7: position p of the variable list
  Int last;      // slot p: last position of the list
  Int sections;  // slot p - 1
  Int position;  // slot 10
  Int count;     // slot 29
  Int elementClass;  // slot 23

  Int slot(Wide k) const { return rec::slotI(rec, k); }
  Int key(Wide s) const { return slot(Wide{list} + sections + s); }
};

// Keys whose values come per node (forces, fluxes, currents).
bool perNode(Int key) { return among(key, {127, 15, 10}); }

// The first sizes of a tensor pair by tensor type (ETENSOR gives 7 to 11).
void tensorPair(Int type, Int sizes[2]) {
  sizes[0] = type == 9 || type == 11 ? 2 : 3;
  sizes[1] = type == 10 || type == 11 ? 2 : 4;
}

Int tensorType(const Request& q, Int key) {
  Int type = 7;
  ETENSOR(q.rec, &key, &type);
  rec::i(CODB, kLastTensorTypeWord) = type;
  return type;
}

void tensorEntries(const Request& q, Int key, Wide m, Int s, Int& count) {
  Int sizes[2];
  tensorPair(tensorType(q, key), sizes);
  for (Int first : sizes) ds::addEntry(count, first, times(m, first), times(s, m, first));
}

Wide components(const Request& q, Int key) {
  if (key >= 1000) return 1;
  // ELOPS1's count, kept in 64 bits: a count beyond a word is halved from its true value.
  const Int ndi = q.slot(19), nshr = q.slot(20);
  const Int x7 = q.slot(31), x8 = q.slot(32), x9 = q.slot(15), x10 = q.slot(26), x11 = q.slot(34);
  Wide c = ds::elementComponents(key, {ndi, nshr, Wide{ndi} + nshr, x7, x8, x9, x10, x11, q.slot(17)});
  const bool halved = rec::i(CONTRO, 59) != 0 || rec::i(CONTRO, 50) == 3;
  if (halved && c != 1 &&
      among(key, {11, 21, 62, 65, 88, 101, 103, 110, 13, 29, 162, 164, 163, 83, 149, 175, 152, 153, 155, 156, 159,
                  160, 166, 167, 15, 48, 125, 50, 51, 46, 49, 96, 95, 39, 94}))
    c /= 2;
  if (perNode(key)) c -= 1;
  return c;
}

// The entries of the variable with key k. Sizes are products of the caller's counts, worked out
// in 64 bits; addEntry holds each within a word.
void variableEntries(const Request& q, Int k, Int nval, Int npt, Int s, Int& count) {
  const Wide m = times(nval, npt);
  const bool byClass = q.elementClass == 1 || q.elementClass == 4;
  if (q.position == 2) {
    const Int base = k >= 1000 ? k / 1000 : k;
    const Wide first = perNode(base) ? times(nval, q.count) : byClass ? m : nval;
    ds::addEntry(count, first, first, times(s, first));
    return;
  }
  Int type = 1;
  if (q.kind == 226 || q.kind == 326)
    type = 1;
  else
    GETEOTYP(&k, &type);
  switch (type) {
    case 3:
      tensorEntries(q, k, m, s, count);
      break;
    case 5:
      tensorEntries(q, k, m, s, count);
      tensorEntries(q, k * 1000 + 100, m, s, count);
      break;
    case 2:
    case 4: {
      const Int first = ds::vectorSize();
      const Wide second = perNode(k) ? times(first, nval, q.count) : times(first, m);
      ds::addEntry(count, first, second, times(s, second));
      break;
    }
    case 7: {
      const Int first = q.slot(17) < 1101 ? 2 : 4;
      ds::addEntry(count, first, times(first, nval), times(first, nval));
      break;
    }
    case 1: {
      const Wide c = components(q, k);
      const Wide first = byClass ? m : perNode(k) ? times(nval, q.count) : nval;
      ds::addEntry(count, first, times(first, c), times(s, first, c));
      break;
    }
    case 6: {
      const Int first = tensorType(q, k) <= 9 ? 4 : 2;  // ETENSOR gives 7 to 11
      ds::addEntry(count, first, times(first, m), times(s, first, m));
      break;
    }
    default:
      zmx::model::report(zmx::model::kSystemError, "INVALID OUTPUT TYPE IN EJODBO");
      break;
  }
}

}  // namespace

extern "C" void EJODBO(const Int* npt, const Int* nval, Int* nsp, const void* rec, const Int* start) {
  ds::clearForFill(1, 2 * (Wide{rec::i(CELGI, kBlockEndWord)} - rec::i(CELGI, kBlockStartWord)));
  Request q{rec, rec::slotI(rec, 2), 0, 0, 0, 0, 0, 0};
  if ((q.kind == 202 || q.kind == 203) && q.slot(12) != 0) return;
  rec::i(CODB, kLastTensorTypeWord) = 0;
  q.list = q.slot(7);
  q.last = q.slot(q.list);
  q.sections = q.slot(Wide{q.list} - 1);
  q.position = q.slot(10);
  q.count = q.slot(29);
  q.elementClass = q.slot(23);
  *nsp = q.sections;
  const Int s = std::max<Int>(q.sections, 1);
  const Wide final = std::min<Wide>(Wide{*start} + 3, q.last);
  if (q.kind == 206 || q.kind == 207 || ((q.kind == 326 || q.kind == 226 || q.kind == 227) && q.elementClass == 3)) {
    rec::i(CDWSP, ds::kThirdSizeWord + 1) = 0;
    for (Wide position = *start; position <= final; ++position)
      if (q.key(position) != 0) rec::i(CDWSP, ds::kCountWord) = 1;
    return;
  }
  Int count = 0;
  for (Int j = 1; j <= 4; ++j) {
    const Wide position = Wide{*start} + j - 1;
    if (position > final) break;
    const Int k = q.key(position);
    if (k == 0 || k == 98 || k == 83) continue;
    const Int before = count;
    variableEntries(q, k, *nval, *npt, s, count);
    if (count > before) rec::i(CDWSP, 1 + j) = before + 1;
  }
  if (count > ds::kMaxEntries) zmx::model::report(zmx::model::kSystemError, "SYSTEM ERROR IN EJODBO");
}
