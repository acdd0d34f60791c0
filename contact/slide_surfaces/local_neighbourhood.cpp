// The nodes of a faceted slide surface near a slave point: from the nodes of the point's contact
// entity (which count as within the radius) the search spreads facet by facet. A facet met from a
// listed node is taken when one of its nodes lies within the radius (its nodes then count as
// within too) or when the listed node it is met from is within; its nodes not yet listed are
// appended. The list itself lives in the caller's output slots, so nothing is allocated.
//
// A facet that is neither near nor met from a within node is left unmarked, so a within node met
// later still takes it; and a node that becomes within during its own turn goes over its facets
// once more. The result is thus the closure of those rules whatever the node numbering.

#include <algorithm>
#include <cmath>

#include "runtime/record.h"
#include "zmx/contact/slide_surfaces.h"

namespace {

constexpr Real kNotListed = 1e36;
constexpr int kFacetCountRow = 2;
constexpr int kFacetFirstNodeRow = 8;
enum ContactKind : Int { kVertex = 1, kEdge = 2, kFace = 3, kCentre = 4, kInternalEdge = 5 };

struct Neighbourhood {
  const Int* facetTable;
  long long ldFacet;
  const Int* edgeTable;
  const Int* nodeFacets;
  long long ldNodeFacets;
  const Real* coords;
  long long ldCoord;
  Int nodes, offset, facets;
  Real radius;
  const Real* point;
  Real* nodeDist;
  Int* facetSeen;
  Int* nodeWithin;
  void* list;  // slot k + 1 holds the k-th node number found
  Int count = 0;

  bool isNode(Int n) const { return n > offset && static_cast<long long>(n) - offset <= nodes; }
  bool isFacet(Int f) const { return f >= 1 && f <= facets; }
  long long entry(Int n) const { return static_cast<long long>(n) - offset - 1; }  // 0-based
  Int edgeNode(Int e, int row) const { return edgeTable[4LL * (e - 1) + row - 1]; }
  // A column's node count is read only as far as the column holds nodes.
  Int facetNodeCount(Int f) const {
    const Int n = facetTable[ldFacet * (f - 1) + kFacetCountRow - 1];
    return static_cast<Int>(std::clamp<long long>(n, 0, std::max<long long>(ldFacet - (kFacetFirstNodeRow - 1), 0)));
  }
  Int facetNode(Int f, Int k) const { return facetTable[ldFacet * (f - 1) + kFacetFirstNodeRow - 2 + k]; }
  Int nodeFacetCount(Int n) const {
    return static_cast<Int>(std::clamp<long long>(nodeFacets[ldNodeFacets * (n - 1)], 0, std::max(ldNodeFacets - 1, 0LL)));
  }
  Int nodeFacet(Int n, Int k) const { return nodeFacets[ldNodeFacets * (n - 1) + k]; }

  bool listed(Int n) const { return nodeDist[entry(n)] != kNotListed; }
  bool within(Int n) const { return nodeWithin[entry(n)] == 1; }

  Real distance(Int n) const {
    if (listed(n)) return nodeDist[entry(n)];
    const Real* x = coords + ldCoord * entry(n);
    const Real dx = point[0] - x[0], dy = point[1] - x[1], dz = point[2] - x[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
  }

  void append(Int n) {
    if (!isNode(n) || listed(n) || count == nodes) return;
    nodeDist[entry(n)] = distance(n);
    ++count;
    rec::setSlotI(list, count + 1, n);
  }

  void seedFacet(Int f) {
    facetSeen[f - 1] = 1;
    for (Int k = 1; k <= facetNodeCount(f); ++k) seed(facetNode(f, k));
  }

  void seed(Int n) {
    if (!isNode(n)) return;
    append(n);
    nodeWithin[entry(n)] = 1;
  }

  bool near(Int f) const {
    for (Int k = 1; k <= facetNodeCount(f); ++k) {
      const Int n = facetNode(f, k);
      if (isNode(n) && distance(n) <= radius) return true;
    }
    return false;
  }

  void visit(Int f, bool fromWithin) {
    const bool isNear = near(f);
    if (!isNear && !fromWithin) return;
    facetSeen[f - 1] = 1;
    for (Int k = 1; k <= facetNodeCount(f); ++k) {
      const Int n = facetNode(f, k);
      if (!isNode(n)) continue;
      if (isNear) nodeWithin[entry(n)] = 1;
      append(n);
    }
  }

  void visitFacetsAt(Int n, bool fromWithin) {
    for (Int k = 1; k <= nodeFacetCount(n); ++k) {
      const Int f = nodeFacet(n, k);
      if (isFacet(f) && facetSeen[f - 1] == 0) visit(f, fromWithin);
    }
  }

  void expand(Int n) {
    const bool wasWithin = within(n);
    visitFacetsAt(n, wasWithin);
    if (!wasWithin && within(n)) visitFacetsAt(n, true);
  }

  // Whether the contact names a node, edge or facet of the surface.
  bool names(Int kind, Int entity) const {
    switch (kind) {
      case kVertex:
        return isNode(entity);
      case kEdge:
        return entity >= 1 && isNode(edgeNode(entity, 2)) && isNode(edgeNode(entity, 3)) &&
               (edgeNode(entity, 4) <= 0 || isNode(edgeNode(entity, 4)));
      case kFace:
      case kCentre:
        return isFacet(entity);
      case kInternalEdge:
        return isFacet(entity / 10);
      default:
        return false;
    }
  }

  void seedContact(Int kind, Int entity) {
    switch (kind) {
      case kVertex:
        seed(entity);
        return;
      case kEdge:
        for (int row = 2; row <= 4; ++row) {
          if (row < 4 || edgeNode(entity, row) > 0) seed(edgeNode(entity, row));
        }
        return;
      case kInternalEdge:
        seedFacet(entity / 10);
        return;
      default:
        seedFacet(entity);
        return;
    }
  }
};

}  // namespace

extern "C" void GETLOCALNEIGHSLIDESURF(const Int* NODE_LABEL, const Int* N, const Int* OFFSET, const Int* FACET_TABLE,
                                       const Int* LDFACET, const Int* EDGE_TABLE, const Int* NODE_FACETS,
                                       const Int* LDNODEFAC, const Real* COORDS, const Int* LDCOORD,
                                       void* NEIGHBOURS, const Real* R, const Int* CONTACT_KIND,
                                       const Int* CONTACT_ENTITY, const Real* POINT, Real* NODE_DIST,
                                       Int* FACET_SEEN, const Int* NFACETS, Int* NODE_WITHIN, const Real* LIMIT) {
  const Int nodes = *N, offset = *OFFSET;
  if (*R >= *LIMIT) {
    rec::setSlotI(NEIGHBOURS, 1, nodes);
    for (Int j = 1; j <= nodes; ++j) rec::setSlotI(NEIGHBOURS, j + 1, NODE_LABEL[offset + j - 1]);
    return;
  }
  Neighbourhood hood{FACET_TABLE, *LDFACET, EDGE_TABLE, NODE_FACETS, *LDNODEFAC, COORDS, *LDCOORD, nodes, offset,
                     *NFACETS, *R, POINT, NODE_DIST, FACET_SEEN, NODE_WITHIN, NEIGHBOURS};
  if (!hood.names(*CONTACT_KIND, *CONTACT_ENTITY)) return;
  for (Int j = 0; j < nodes; ++j) {
    NODE_DIST[j] = kNotListed;
    NODE_WITHIN[j] = 0;
  }
  for (Int f = 0; f < *NFACETS; ++f) FACET_SEEN[f] = 0;

  hood.seedContact(*CONTACT_KIND, *CONTACT_ENTITY);
  for (Int k = 1; k <= hood.count; ++k) hood.expand(rec::slotI(NEIGHBOURS, k + 1));

  rec::setSlotI(NEIGHBOURS, 1, hood.count);
  for (Int k = 1; k <= hood.count; ++k) {
    rec::setSlotI(NEIGHBOURS, k + 1, NODE_LABEL[rec::slotI(NEIGHBOURS, k + 1) - 1]);
  }
}
