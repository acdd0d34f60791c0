// What the small-sliding clearances share: the displacement of each node of a pair, including
// nodes with a single degree of freedom that move along their stored unit normal.
#pragma once

#include "runtime/fortran_types.h"

namespace zmx::small_sliding {

// The unit normal stored for a one-dof master node (internal index node of the node database
// ndb) in its nodal-normal record of the slide-line database. The record is read into storage of
// the routine's own, never into rec, whose room the callers do not give. dim reals are written; a
// node without such a record is reported at level -3 with the text and then gets the zero vector,
// so that its displacement adds nothing.
void storedNormal(const Int* ndb, Int node, int dim, Real* rec, const char* missingText, Real* normal);

// Displacement vectors of the pair's nodes as u holds them: the slave first, then the master
// nodes, each taking stride entries, or one entry times a unit normal when it is a one-dof node.
struct PairDisplacements {
  const Real* u;
  int dim;
  Int stride;           // entries of an ordinary node
  bool slaveOneDof;
  const Real* slaveNormal;
  bool mastersOneDof;

  // The slave's displacement.
  void slave(Real* d) const;
  // Master node i (from 1); normal is its stored normal when masters are one-dof nodes.
  void master(Int i, const Real* normal, Real* d) const;
};

}  // namespace zmx::small_sliding
