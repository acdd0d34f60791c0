// Edge and vertex normals as the searches call them: over an accessor of node coordinates, so
// that a search can hand them coordinates of its own (displaced, or found through a key list).
#pragma once

#include "runtime/fortran_types.h"

namespace zmx::geometry {

// The coordinates (dim reals) of node `node`; false when the node cannot be found.
struct NodeAccess {
  bool (*fetch)(void* context, Int node, int dim, Real* out);
  void* context;
  // Called before the nodes of each facet are fetched (a search may restart its guess).
  void (*startFacet)(void* context);
};

// The normal at the point at parameter s of an edge (edge: first corner, then the other corner, or
// the midside node and the other corner) shared by facets (1 or 2) facets; false when a node could
// not be fetched. `routine` names the edge message.
bool edgeNormal(const NodeAccess& nodes, const Int* edge, Real s, const Int* const (&records)[2],
                const Int (&kinds)[2], const Real* const (&cylinders)[2], int facets, bool subFacets, Real* normal,
                const char* edgeMessage);

// The normal at a vertex from every facet of its list, and the mean facet value; false when a
// node could not be fetched (mean then the running sum). dim 2 takes 2-node and 3-node segments.
bool vertexNormal(const NodeAccess& nodes, const Int* vertex, const Int* table, Int ld, bool subFacets, int dim,
                  Real* normal, const Real* values, Real* mean, bool cylindricalSurface, const Int* kinds,
                  const Real* cylinders);

}  // namespace zmx::geometry
