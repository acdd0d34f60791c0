// Contact search and sliding: services around slide surfaces. The slave-surface record of the
// slide-line database by name, a node of a slide surface's node list, the rotation of a slave
// node about an axis, and the nodes of a faceted slide surface near a slave point.
#pragma once

#include "zmx/types.h"

extern "C" {

// Address of the slave-surface record (type 30) whose coded name (slot 3) is NAME's first 8
// characters, blank-padded; 0 when none. BUFFER (CAPACITY 8-byte slots) receives each record
// read on the way. For a record longer than CAPACITY the implicit program asks DBCORE for its
// length (the raised capacity holds for the rest of the walk) and the pre-processor reports by
// how many words the memory must grow; a record beyond
// the buffer's room (to the end of its block in the address space, else CAPACITY) is read into
// storage of the library's own and compared there. A record whose length word is below 1 ends
// the walk with a system error.
ZMX_EXPORT void ASURFREC(const char* NAME, Int NAMELEN, Int* ADDRESS, void* BUFFER, const Int* CAPACITY);

// Looks NODE up in LIST(OFFSET+1 .. OFFSET+N). FOUND = 1 when listed (else 0); at its first
// position p, POS1 = 1 when KIND is 1 and VALUES1(p) > 0, POS101 = 1 when KIND is 101 and
// VALUES101(p) > 0 (else 0).
ZMX_EXPORT void FIND_SLIDESURFACE_NODE(const Int* LIST, const Int* OFFSET, const Int* N, const Int* NODE,
                                       const Int* KIND, const Int* VALUES1, const Int* VALUES101, Int* FOUND,
                                       Int* POS1, Int* POS101);

// Turns P by THETA radians about the axis from A = AXIS(1:3) to B = AXIS(4:6), right-handed.
// P on the axis, or A = B, leaves P as it is.
ZMX_EXPORT void ROTATESLAVENODE(const Real* AXIS, const Real* THETA, Real* P);

// The identifiers (NODE_LABEL) of the surface nodes near POINT, starting from the contact entity
// (kinds 1 vertex, 2 edge, 3 facet, 4 centre, 5 internal edge = 10 x facet + midside node) and
// spreading over every facet with a node within R, and every facet at a node of such a facet or
// of the seed. NEIGHBOURS (8-byte slots): slot 1 the count c, slots 2 .. c + 1 the identifiers in
// the order found (at most N + 1 slots). R >= LIMIT lists every node in node order. An unknown
// kind, or an entity that names nothing of the surface, leaves NEIGHBOURS untouched. NODE_DIST,
// FACET_SEEN and NODE_WITHIN are work arrays (N, NFACETS, N).
ZMX_EXPORT void GETLOCALNEIGHSLIDESURF(const Int* NODE_LABEL, const Int* N, const Int* OFFSET, const Int* FACET_TABLE,
                                       const Int* LDFACET, const Int* EDGE_TABLE, const Int* NODE_FACETS,
                                       const Int* LDNODEFAC, const Real* COORDS, const Int* LDCOORD,
                                       void* NEIGHBOURS, const Real* R, const Int* CONTACT_KIND,
                                       const Int* CONTACT_ENTITY, const Real* POINT, Real* NODE_DIST,
                                       Int* FACET_SEEN, const Int* NFACETS, Int* NODE_WITHIN, const Real* LIMIT);

}  // extern "C"
