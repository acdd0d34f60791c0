// Nodal data of an interior (or centre) node formed from the element's other nodes with fixed
// weights, in the analysis kind 0: the preset rows of the nodal value array and the node record
// (DBND), the per-node blocks (when CGN word 6 is set), the per-node scalars and the layers of
// nodal variable 8 (CGN word 15 of them). Not exported.
#pragma once

#include "runtime/fortran_types.h"

namespace zmx_elements {

// Where an element's nodal data live and how many rows of each they fill.
struct NodalData {
  Real* values;  // nodal value array, leading dimension valueRows
  long long valueRows;
  const Int* nodeList;
  const Int* handle;  // of ADB_GETVARNDRW
  long long cgn7;
  long long blocks;  // further blocks of the per-node array
  long long layers;  // cgn15
  Real* perNodeBlocks;
  Real* perNodeScalar;
  bool scalars;
};

// Gives element node `interior` its data from nodes 1..count with weights w. With
// wholeFirstBlock the rule is applied to every value of each node's first block (and copied into
// the interior node's further blocks); otherwise to the first value only.
void interiorNodeData(const NodalData& d, int interior, const Real* w, int count, bool wholeFirstBlock);

}  // namespace zmx_elements
