// Element library, interface elements: characteristic lengths of contact and slide-line elements,
// the slave-surface data of a node (" INFOSLV"), small-sliding degree-of-freedom entries, and the
// stored nodal normals of line springs with their design-sensitivity perturbation.
//
// Record buffers hold slide-line database records (8-byte slots, slot 1 the length; integers in
// the low word of a slot); they must hold the longest record read into them. addresses is the
// element's list of slide-line record addresses (count of them); the element's record is the last
// one in its kind's range. Walks over a record never go past its length: an entry, node list,
// element list or sensitivity block that would run past it ends the walk as if nothing matched.
#pragma once

#include "zmx/types.h"

extern "C" {
// m integration points (record word 14), n nodes (word 36).
ZMX_EXPORT void LIASI(const Int* m, const Int* n, const Real* X, const Int* ldim);
ZMX_EXPORT void LIRS(const Real* X, const Int* ldim, void* buffer, const Int* rec, const Int* addresses,
                     const Int* count);
// info receives the " INFOSLV" record (capacity its size in slots, handed to the record lookup);
// its slot 1 receives the node's value. flag7 and flag8: temperature and pore-pressure words.
ZMX_EXPORT void LIGSL2(const Int* n, void* buffer, const Int* addresses, const Int* count, const Int* type,
                       void* info, const Int* flag7, const Int* flag8, const Int* capacity, const Real* X,
                       const Int* ldim, const Int* node);
ZMX_EXPORT void LIGSL3(void* buffer, const Int* addresses, const Int* count, const Int* type, const Int* n,
                       void* info, const Int* capacity, const Real* X, const Int* ldim, const Int* node);
// Small-sliding entries of element variable 99 (s reals); only entries 1..s are read or written.
ZMX_EXPORT void LIGSMALLSLID(Real* v99, const Int* s, void* buffer, const Int* addresses, const Int* count,
                             const Int* rec, const Int* sublayout, const Int* nodeDatabase, const Int* nodeList);
// Line spring: the stored normals (at most 9 nodes), then the check; returns the check's result.
ZMX_EXPORT Int LSGLS(void* buffer, const Real* X, const Int* ldim, const Real* a4, const Int* nodes,
                     const Int* element, const Int* rec, const Int* nodeDatabase, const Int* nodeList);
// normals (3 per node): the user's, replaced by the stored normal of each record that lists the
// element (a later record replaces an earlier); returns the check's result.
ZMX_EXPORT Int LSNORS(Real* normals, const Real* X, const Int* ldim, void* buffer, const Int* nodes,
                      const Int* element, const Int* nodeDatabase, const Int* nodeList);
// Rows 4 to r of each node's column of a(ld, nodes) := the stored normal, perturbed first by dv
// times its derivative for design parameter word 8 of parameters when perturb is non-zero.
ZMX_EXPORT void LSNORGET(Real* a, const Int* ld, const Int* r, void* buffer, const Int* element, const Int* nodes,
                         const Int* perturb, const Int* parameters, const Real* dv, const Int* nodeDatabase,
                         const Int* nodeList);
ZMX_EXPORT void DSADBSLPERT(void* buffer, const Int* parameter, const Real* dv);
// Empty routines kept for the hosts that call them.
ZMX_EXPORT void LIG001();
ZMX_EXPORT void LIGSLP();
ZMX_EXPORT void LINCOMPMODEEL();
}
