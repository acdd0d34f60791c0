// Labelling of the nodes of one part by connected region through its elements.
//
// A region is founded by an element none of whose nodes is labelled yet; regions that an element
// joins merge, the merged region keeping the earliest founding. Regions are numbered 1, 2, ... in
// the order of their earliest founding element, which is the numbering that relabelling the
// model at every merge (and closing the gap each merge leaves) gives; union-find reaches it in
// near-linear time.

#include <algorithm>
#include <numeric>
#include <vector>

#include "model/support/model_report.h"
#include "siblings/dm2/model_parts.h"
#include "zmx/model/records.h"

namespace {

constexpr Int kConnectorModeFirst = 6000, kConnectorModeLast = 6999;

bool selected(Int mode, Int type) {
  if (mode == 1) return type >= kConnectorModeFirst && type <= kConnectorModeLast;
  return mode == 2;
}

// Union-find over the nodes; each root keeps the earliest founding of its region.
class Regions {
 public:
  explicit Regions(Int nodes) : parent_(static_cast<std::size_t>(nodes) + 1, 0), founding_(parent_.size(), 0) {}

  bool labelled(Int node) const { return parent_[node] != 0; }

  Int root(Int node) {
    Int r = node;
    while (parent_[r] != r) r = parent_[r];
    while (parent_[node] != r) {
      const Int next = parent_[node];
      parent_[node] = r;
      node = next;
    }
    return r;
  }

  void found(Int node, Int order) {
    parent_[node] = node;
    founding_[node] = order;
  }

  // Joins node (labelled or not) to the region of root r; returns the root of the union.
  Int join(Int r, Int node) {
    if (!labelled(node)) {
      parent_[node] = r;
      return r;
    }
    Int other = root(node);
    if (other == r) return r;
    if (founding_[other] < founding_[r]) std::swap(other, r);
    parent_[other] = r;
    return r;
  }

  Int founding(Int node) { return founding_[root(node)]; }

 private:
  std::vector<Int> parent_;    // 0: unlabelled; a root is its own parent
  std::vector<Int> founding_;  // per root: the order of its earliest founding element
};

}  // namespace

namespace {

// Labels the nodes of the part's first 'elements' elements that the mode selects; returns the
// number of regions.
Int labelRegions(Int mode, const adb_Part& p, Int elements, Int nodes, Int* ireg) {
  Regions regions(nodes);
  Int foundings = 0;
  for (Int e = 1; e <= elements; ++e) {
    if (!selected(mode, p.TypeCode(e))) continue;
    Int count = 0;
    const Int* list = p.Nodes(e, count);
    Int r = 0;
    for (Int k = 0; k < count && r == 0; ++k)
      if (list[k] >= 1 && list[k] <= nodes && regions.labelled(list[k])) r = regions.root(list[k]);
    if (r == 0) {
      for (Int k = 0; k < count && r == 0; ++k)
        if (list[k] >= 1 && list[k] <= nodes) {
          r = list[k];
          regions.found(r, ++foundings);
        }
      if (r == 0) continue;
    }
    for (Int k = 0; k < count; ++k)
      if (list[k] >= 1 && list[k] <= nodes) r = regions.join(r, list[k]);
  }
  // Regions numbered by their earliest founding: rank the surviving foundings.
  std::vector<Int> rank(static_cast<std::size_t>(foundings) + 1, 0);
  for (Int node = 1; node <= nodes; ++node)
    if (regions.labelled(node)) rank[regions.founding(node)] = 1;
  Int regionCount = 0;
  for (Int f = 1; f <= foundings; ++f)
    if (rank[f] != 0) rank[f] = ++regionCount;
  for (Int node = 1; node <= nodes; ++node)
    if (regions.labelled(node)) ireg[node - 1] = rank[regions.founding(node)];
  return regionCount;
}

}  // namespace

extern "C" {

Int SHR_CHECKUNCONNECTEDREGIONS(const Int* imode, const Int* part, Int* ireg, Int* nreg, const Int* nel,
                                const Int* nnodes) {
  *nreg = 0;
  const adb_Part* p = omi_Singleton<adb_Manager>::Instance()->GetPart(*part);
  if (*nel < 1 || p == nullptr || *nnodes < 1) return 0;
  zmx::model::withMemory([&] { *nreg = labelRegions(*imode, *p, std::min(*nel, p->ElementCount()), *nnodes, ireg); });
  return *nreg;
}

}  // extern "C"
