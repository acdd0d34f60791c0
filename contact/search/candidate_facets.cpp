// Candidate facets of a rigid surface for one point from its search tree: the leaves whose boxes
// hold the point (else those of the nearest boxes), a lower bound of the distance to each, and the
// nearest node met.

#include <cmath>

#include "contact/search/search_tree_checks.h"
#include "runtime/record.h"
#include "zmx/contact/search.h"

namespace {

constexpr Int kHeaderWords = 4;

// The header of a search-tree block (its total length, record length, node count and the word of
// its first record) holds when the records lie after the header and within the block's length,
// and that length within the room of the block where the block lies in the address space.
bool headerHolds(const Real* searchDb, Int total, Int length, Int nodes, Int first) {
  if (length < zmx::contact::kTreeRecordWords || nodes < 0 || first <= kHeaderWords) return false;
  const long long bytes = zmx::contact::knownBytes(searchDb);
  if (bytes >= 0 && total > bytes / static_cast<long long>(sizeof(Real))) return false;
  return rec::spanInside(first, static_cast<long long>(length) * nodes, total);
}

// A leaf facet f names a facet of the tree (one leaf per facet, so never more than its nodes) and
// a column of the facet table, whose node count fits its leading dimension, within the table's
// and the facet sizes' blocks where those are known.
bool facetHolds(Int f, Int nodes, const Int* facetTable, Int facetLd, const Real* facetSize) {
  constexpr Int kFirstNodeRow = 8;
  if (f < 1 || f > nodes || facetLd < kFirstNodeRow) return false;
  const long long tableBytes = zmx::contact::knownBytes(facetTable);
  const long long sizeBytes = zmx::contact::knownBytes(facetSize);
  if (tableBytes >= 0 && static_cast<long long>(f) * facetLd * static_cast<long long>(sizeof(Int)) > tableBytes)
    return false;
  if (sizeBytes >= 0 && static_cast<long long>(f) * static_cast<long long>(sizeof(Real)) > sizeBytes) return false;
  const Int facetNodes = facetTable[static_cast<long long>(f - 1) * facetLd + 1];
  return facetNodes >= 0 && facetNodes <= facetLd - (kFirstNodeRow - 1);
}

}  // namespace

extern "C" {

void FIND_CANDIDATE_FACETS(const Real* searchDb, const Int*, const Int* facetTable, const Int* facetLd,
                           const Real* facetSize, const Int* nodeCount, const Int* nodeOffset, const Real* point,
                           const Real* coords, const Int* dimension, Real* nodeDistance, Real* bound, Int* candidates,
                           Int* count, Real* dmin, Int* nearest) {
  constexpr Real kUnset = 1e36;
  *dmin = kUnset;
  *count = 0;
  *nearest = 0;
  const Int dim = *dimension;
  if (!(std::fabs(point[0]) < kUnset && std::fabs(point[1]) < kUnset && std::fabs(point[dim - 1]) < kUnset)) return;
  const Int total = rec::slotI(searchDb, 1), length = rec::slotI(searchDb, 2), nodes = rec::slotI(searchDb, 3),
            first = rec::slotI(searchDb, 4);
  if (!headerHolds(searchDb, total, length, nodes, first)) return zmx::contact::reportInvalidRigidTree();
  const Real* records = searchDb + (first - 1);
  const Int* recordInts = reinterpret_cast<const Int*>(records);
  for (const Int operation : {0, 2}) {
    SHR_CONTACTSRCHDBDEFVSRIGID(&operation, point, dimension, candidates, count, recordInts, records, &length, &nodes);
    if (*count > 0) break;
  }
  if (*count <= 0) return;
  for (Int i = 0; i < *count; ++i) {
    if (!facetHolds(candidates[i], nodes, facetTable, *facetLd, facetSize)) {
      *count = 0;
      return zmx::contact::reportInvalidRigidTree();
    }
  }
  for (Int j = 0; j < *nodeCount; ++j) nodeDistance[j] = kUnset;
  for (Int i = 0; i < *count; ++i) {
    const Int f = candidates[i];
    const Int* column = facetTable + static_cast<long long>(f - 1) * *facetLd;
    Real m = kUnset;
    for (Int k = 0; k < column[1]; ++k) {
      const Int n = column[7 + k];
      const long long j = static_cast<long long>(n) - *nodeOffset;
      if (j < 1 || j > *nodeCount) continue;
      Real& d = nodeDistance[j - 1];
      if (d == kUnset) {
        const Real* x = coords + (j - 1) * dim;
        Real sum = 0.0;
        for (Int c = 0; c < dim; ++c) sum += (x[c] - point[c]) * (x[c] - point[c]);
        d = std::sqrt(sum);
        if (d < *dmin) *dmin = d, *nearest = n;
      }
      m = std::fmin(m, d);
    }
    bound[i] = m - facetSize[f - 1];
  }
}

}  // extern "C"
