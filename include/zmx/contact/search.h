// Contact search: bounding-box trees over the facets of master surfaces and their queries.
//
// Facet table (integers, one column of leading dimension ld per facet): word 2 the node count c,
// words 8 to 7 + c the node numbers; node n is column n - offset of the coordinates. A tree node
// record is 10 8-byte words (integers in the low 4 bytes): 1 parent, 2 next sibling, 3 first
// child, 4-9 the box (xmin, ymin, zmin, xmax, ymax, zmax), 10 the leaf's facet (0 inside); record
// 1 is the root, records stand in breadth-first order. A rigid block: word 1 its length 4 + 10 x
// nodes, 2 the record length 10, 3 the node count, 4 the word of record 1 (5), then the records.
#pragma once

#include "zmx/types.h"

extern "C" {

// Builds the tree of a deformable surface's n facets (coordinates x, y, z in columns of leading
// dimension ld; boxes widened by margin) and loads it as the process's deformable tree.
ZMX_EXPORT void SHR_CREATESRCHDBDEFVSDEF(const Int* n, const Int* facets, const Int* facetLd, const Int* offset,
                                         const Real* coords, const Int* ld, const Real* margin);
// Builds the tree of a rigid surface (d coordinates a node, 2 or 3) as a block in the caller's
// array (blockReals and blockInts the same storage) of capacity words, which is also its work
// area; the build needs
// 4 + 10 n + the sum over tree nodes of (11 + facets under the node) + 10 x nodes words at its
// peak. The capacity is raised through DBCORE as the build needs; the array is written only
// within its room (to the end of its block in the address space, else the capacity passed).
// Beyond it: "MEMORY FAILURE." at level -3, the empty header 4, 10, 0, 5.
ZMX_EXPORT void SHR_CREATESRCHDBDEFVSRIGID(const Int* n, const Int* facets, const Int* facetLd, const Int* offset,
                                           const Real* coords, const Int* d, Real* blockReals, Int* blockInts,
                                           Int* capacity, const Real* margin);
// The process's deformable tree: operation 1 loads count records of recordLength words, 0 gives
// the facets whose leaf boxes hold the point, 2 those of the boxes nearest to it, 6 frees the
// tree. error 1 for a query without a tree, an unknown operation or an invalid tree.
ZMX_EXPORT void SHR_CONTACTSRCHDBDEFVSDEF(const Int* operation, const Real* records, const Int* recordLength,
                                          const Int* count, const Real* point, const Int* dimension, Int* items,
                                          Int* itemCount, Int* error);
// The same queries (0, 2; 6 frees the scratch arrays) on a rigid block's records read in place
// (from header word 4 on, as integers and as reals).
ZMX_EXPORT void SHR_CONTACTSRCHDBDEFVSRIGID(const Int* operation, const Real* point, const Int* dimension, Int* items,
                                            Int* itemCount, const Int* recordInts, const Real* recordReals,
                                            const Int* recordLength, const Int* count);

// Candidate facets of a rigid surface for a point (x, y, z; x, y when dimension is 2) from its
// block searchDb: the tree's containing leaves, else its nearest ones; bound(i) = the nearest
// node distance of candidate i less its facet size (never above the true distance); nodeDistance
// (nodeCount entries, node n at n - offset) the node distances met, 1e36 elsewhere; dmin and
// nearest the nearest node met (1e36, 0 for none, an unset point or an empty tree).
ZMX_EXPORT void FIND_CANDIDATE_FACETS(const Real* searchDb, const Int* facetCount, const Int* facetTable,
                                      const Int* facetLd, const Real* facetSize, const Int* nodeCount,
                                      const Int* nodeOffset, const Real* point, const Real* coords,
                                      const Int* dimension, Real* nodeDistance, Real* bound, Int* candidates,
                                      Int* count, Real* dmin, Int* nearest);

// The closest contact of a slave point on a faceted rigid surface (see the surface arrays in the
// routine's description): CONTACT_REAL 1 the signed distance (-1e36 none), 8-10 the foot, 11-13
// the unit normal, 14-19 a face's tangents, 20-42 zero, 43-44 local coordinates; CONTACT_INT slots
// 45 kind (0 none, 1 vertex, 2 edge, 3 face, 4 centre, 5 internal edge), 46 entity, 47 sub-facet,
// 48 failed projection. contactKind/contactEntity hand the previous contact in (0: search the
// tree) and the new one out; contactCount counts the calls in a row with contact.
ZMX_EXPORT void FACETEDRIGIDSURFSEARCH(const Int* nfacet, const Int* facetElement, const Int* facetTable,
                                       const Int* ldFacet, const Int* edgeTable, const Int* ldEdge,
                                       const Int* edgeFacets, const Int* nodeFacets, const Int* freeVertices,
                                       const Int* freeCount, const Real* facetSize, const Real* surfaceSize,
                                       const Int* nnode, const Int* nodeOffset, const Int* unused,
                                       const Int* ldNodeFacets, const Real* point, const Real* coords,
                                       const Int* dimension, Real* nodeDistance, Real* bound, Int* candidates,
                                       void* contactInt, Real* contactReal, const Int* splitT6, const Int* quadratic,
                                       const char* surfaceName, Int surfaceNameLength, Int* contactKind,
                                       Int* contactEntity, Int* contactCount, const Real* extension,
                                       const Real* searchDb, const Real* disp, const Real* dispScale,
                                       const Int* useDisp);

}  // extern "C"
