#include "elements/geometry/interior_nodes.h"

#include <algorithm>

#include "elements/geometry/element_records.h"
#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/element_memory.h"
#include "siblings/eqc/records.h"
#include "zmx/storage/db_units.h"

namespace zmx_elements {

namespace {
Real weighted(const Real* w, int count, auto&& valueOf) {
  Real sum = 0.0;
  for (int i = 0; i < count; ++i) sum += w[i] * valueOf(i + 1);
  return sum;
}
}  // namespace

void interiorNodeData(const NodalData& d, int interior, const Real* w, int count, bool wholeFirstBlock) {
  const Int first = rec::i(CNSPRE, kFirstPresetRow), end = rec::i(CNSPRE, kEndPresetRow);
  Real* column = d.values + d.valueRows * (interior - 1);
  for (long long k = first; k < end; ++k)
    column[k - 1] = weighted(w, count, [&](int n) { return d.values[(k - 1) + d.valueRows * (n - 1)]; });
  const Int write = 1;
  DBND(&write, column, &d.nodeList[interior - 1]);

  auto internal = [&](int n) -> long long { return d.nodeList[n - 1]; };
  // A node number below 1 names no node and has no entry in the per-node arrays.
  bool named = internal(interior) >= 1;
  for (int n = 1; n <= count; ++n) named = named && internal(n) >= 1;
  if (!named) return;
  if (rec::i(CGN, 6) != 0) {
    const long long perNode = (d.blocks + 1) * d.cgn7;
    auto start = [&](int n) { return d.perNodeBlocks + perNode * (internal(n) - 1); };
    const long long values = wholeFirstBlock ? d.cgn7 : 1;
    for (long long i = 0; i < values; ++i) {
      const Real value = weighted(w, count, [&](int n) { return start(n)[i]; });
      for (long long b = 0; b <= d.blocks; ++b) start(interior)[b * d.cgn7 + i] = value;
    }
  }
  if (d.scalars)
    d.perNodeScalar[internal(interior) - 1] = weighted(w, count, [&](int n) { return d.perNodeScalar[internal(n) - 1]; });
  if (d.layers != 0) {
    const Int id = 8, mode = 1;
    const Int address = ADB_GETVARNDRW(d.handle, &id, &mode);
    if (address == 0) return;
    // Per node: `layers` layers of two blocks of cgn7 values; each layer's first block is
    // interpolated and stored in both blocks of the interior node.
    const long long perNode = 2 * d.cgn7 * d.layers;
    long long highest = internal(interior);
    for (int n = 1; n <= count; ++n) highest = std::max(highest, internal(n));
    Real* nodal = mem32::at<Real>(address, static_cast<std::size_t>(perNode * highest), dm2::kDataTag);
    if (nodal == nullptr) return;
    for (long long l = 0; l < d.layers; ++l)
      for (long long i = 0; i < d.cgn7; ++i) {
        auto at = [&](int n) -> Real& { return nodal[perNode * (internal(n) - 1) + 2 * d.cgn7 * l + i]; };
        const Real value = weighted(w, count, [&](int n) { return at(n); });
        at(interior) = value;
        nodal[perNode * (internal(interior) - 1) + 2 * d.cgn7 * l + d.cgn7 + i] = value;
      }
  }
}

}  // namespace zmx_elements
