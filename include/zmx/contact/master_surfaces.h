// Contact search and sliding: the closest contact of a slave point on an element-based master
// surface (faces of underlying elements, cylindrical facets among them).
//
// Surface arrays (column-major, 1-based): FACET_TABLE column f: row 1 the number of edges (3 or 4),
// row 2 the node count (3, 4, 6, 8, 9), rows 4.. the facet's edges in local order, rows 8.. its
// nodes; EDGE_TABLE (4, edges): row 1 the number of facets at the edge (1 = boundary), rows 2-4 the
// end, (middle,) end nodes; EDGE_FACETS (2, edges); NODE_FACETS column n (node number): count,
// facets, then the node's position in each; FREE_VERTICES ascending; FACET_SIZE, FACET_KIND (1 =
// cylindrical) and FACET_ANGLES (4 reals) per facet. Node n is column n - NODE_OFFSET of COORDS.
//
// PROJ_RESULT (15 reals): 1-3 the closest point, 4-6 the unit normal (or direction), 7-12 a face
// contact's tangents, 13 the signed distance (-1e36 none), 14-15 facet coordinates, or 14 the
// edge or internal-edge parameter. NODE_STATE: 8-byte slots; only 16 (kind), 17 (entity), 18 (the
// sub-facet corner of a face contact) and 19 (1 when its facet needed the corner retry) are
// written. Contact kinds: 0 none, 1 vertex (node), 2 edge, 3 face (facet), 4 centre of a split
// 6-node triangle (facet), 5 its internal edge (10 x facet + midside node 4, 5 or 6).
#pragma once

#include "zmx/types.h"

extern "C" {

// From the previous contact (CONTACT_KIND, CONTACT_ENTITY) by a walk over the facets, or with kind
// 0 from the loaded deformable search tree (every facet without one). CONTACT_COUNT rises by one
// per search that chooses, and is 0 when nothing is found or the point lies beyond the surface's
// extension (KEEP_BOUNDARY then still hands back the boundary edge or vertex).
ZMX_EXPORT void RSLID_SURFACE(const Int* NFACET, const Int* FACET_ELEMENT, const Int* FACET_TABLE, const Int* LDFACET,
                              const Int* EDGE_TABLE, const Int* EDGE_FACETS, const Int* NODE_FACETS,
                              const Int* FREE_VERTICES, const Int* NFREE_VERTICES, const Real* FACET_SIZE,
                              const Real* SURFACE_SIZE, const Int* NNODE, const Int* NODE_OFFSET, const Int* DIMENSION,
                              const Int* LDNODEFAC, const Real* POINT, const Real* COORDS, const Int* LDCOORD,
                              Real* NODE_DIST, Real* CAND_BOUND, Int* CAND_FACET, void* NODE_STATE,
                              Real* PROJ_RESULT, const Int* SPLIT_T6, const Int* QUADRATIC, const char* SURFACE_NAME,
                              Int NAMELEN, Int* CONTACT_KIND, Int* CONTACT_ENTITY, Int* CONTACT_COUNT,
                              const Real* EXTENSION, const Logical* KEEP_BOUNDARY, const Int* FACET_KIND,
                              const Real* FACET_ANGLES);

// The same with node n's coordinates in column KEY_COLUMN(p) of COORDS, p the position of
// NODE_KEY(n) in the ascending KEY_LIST; kind 0 measures every node with a key and takes every
// facet whose nodes all have one. LOOKUP_FAILED is true when a key was missing (outputs as far
// as written).
ZMX_EXPORT void RSLID_SURFACE_B(const Int* NFACET, const Int* FACET_ELEMENT, const Int* FACET_TABLE,
                                const Int* LDFACET, const Int* EDGE_TABLE, const Int* EDGE_FACETS,
                                const Int* NODE_FACETS, const Int* FREE_VERTICES, const Int* NFREE_VERTICES,
                                const Real* FACET_SIZE, const Real* SURFACE_SIZE, const Int* NNODE,
                                const Int* NODE_OFFSET, const Int* DIMENSION, const Int* LDNODEFAC, const Real* POINT,
                                const Real* COORDS, const Int* LDCOORD, Real* NODE_DIST, Real* CAND_BOUND,
                                Int* CAND_FACET, void* NODE_STATE, Real* PROJ_RESULT, const Int* SPLIT_T6,
                                const Int* QUADRATIC, const char* SURFACE_NAME, Int NAMELEN, Int* CONTACT_KIND,
                                Int* CONTACT_ENTITY, Int* CONTACT_COUNT, const Real* EXTENSION, const Int* NODE_KEY,
                                const Int* KEY_LIST, const Int* KEY_COLUMN, const Int* NKEY, Logical* LOOKUP_FAILED,
                                const Int* FACET_KIND, const Real* FACET_ANGLES);

// The one entity named by CONTACT_KIND and CONTACT_ENTITY, evaluated without a search: edges within
// 5 % beyond their ends, internal edges likewise, boundary entities without an extension limit.
ZMX_EXPORT void RSLID_SURFACE_NOSEARCH(const Int* NFACET, const Int* FACET_ELEMENT, const Int* FACET_TABLE,
                                       const Int* LDFACET, const Int* EDGE_TABLE, const Int* EDGE_FACETS,
                                       const Int* NODE_FACETS, const Int* FREE_VERTICES, const Int* NFREE_VERTICES,
                                       const Real* FACET_SIZE, const Int* DIMENSION, const Int* LDNODEFAC,
                                       const Real* POINT, const Real* COORDS, const Int* LDCOORD, void* NODE_STATE,
                                       Real* PROJ_RESULT, const Int* SPLIT_T6, const Int* QUADRATIC,
                                       const char* SURFACE_NAME, Int NAMELEN, const Int* CONTACT_KIND,
                                       const Int* CONTACT_ENTITY, const Int* NODE_KEY, const Int* KEY_LIST,
                                       const Int* KEY_COLUMN, const Int* NKEY, const Real* EXTENSION,
                                       Logical* LOOKUP_FAILED, const Int* FACET_KIND, const Real* FACET_ANGLES);

}  // extern "C"
