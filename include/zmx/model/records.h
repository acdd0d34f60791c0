// Node and element model records: degree-of-freedom counts and categories, position codes of an
// element's output points, node constraint flags and transformations, connector names, load-case
// names, mass-reading flags, region labels, points on a circular arc, and beam section axes.
#pragma once

#include "zmx/record_types.h"
#include "zmx/types.h"

// The arc that BCIR set up last: in-plane unit vectors e1 (words 1-6) and e2 (7-12), the centre
// (13-18), the radius (19-20), the opening angle (21-22), the direction vectors G1 to G4 (23-46)
// and the unit plane normal (47-52); reals in two words each.
ZMX_RECORD_TYPE(CIRGEN, 64);

extern "C" {
ZMX_EXPORT extern CIRGEN_t CIRGEN;

// ---- Degrees of freedom and element position codes ---------------------------------------------

// NCUM(1..8) := N1..N4, their sum, and the running sums N1, N1+N2, N1+N2+N3.
ZMX_EXPORT void DOFCOUNT(Int* ncum, const Int* n1, const Int* n2, const Int* n3, const Int* n4);
// The categories of degrees of freedom the model uses (from CLDOF), in a fixed order.
ZMX_EXPORT void DOFCATEGORIZATION(Int* ncat, Int* icat, const Int* iopt);
// Position codes of an element whose record word 15 is 201 (n its word 45); otherwise nothing.
ZMX_EXPORT void ELSEL(const Int* element, Int* list, const Int* nsp, const Int* itype, Int* nl1, Int* nl2);
ZMX_EXPORT void LESET2(Int* list, const Int* nsp, const Int* itype, Int* nl1, Int* nl2, const Int* n);
ZMX_EXPORT void LESET3(Int* list, const Int* nsp, Int* nl1, Int* nl2, const Int* n);

// ---- Node conditions and transformations -------------------------------------------------------

// The node's constraint flags (CGN word 4 words, indexed by CLDOF position) from its unlabelled
// boundary-condition records; SLREC receives each record, ILAST the address read last.
ZMX_EXPORT void SHR_NODBC(Real* slrec, Int* iflags, Int* ilast, const Int* node);
// SHR_NODBC with the scratch record that CELGI word 33 places in the work space, then each of the
// n flags reduced to its low bit (halved when CONTRO word 17 is 4).
ZMX_EXPORT void SHR_CALLNODBC(Int* iflags, const Int* n, const Int* node);
// Adds value to the flags of the degrees of freedom that condition type constrains.
ZMX_EXPORT void SHR_ELBCB(const Int* type, Int* iflags, const Int* value);
// Applies the node's transformation (its first record in CSLNF words 4 to 5) to NV vectors LDV
// apart; IFLAG := 1 when the node has none.
ZMX_EXPORT void SHR_NODTRA(Real* vec, Real* slrec, const Int* itrans, const Int* nv, Int* iflag,
                           const Real* coordinates, const Int* node, const Int* ldv);
// Local axes (columns of T) of transformation kind 1 (given), 2 (cylindrical) or other (spherical)
// at the node.
ZMX_EXPORT void ELTRM(Real* t, const Int* kind, const Real* definition, const Real* node);

// ---- Connectors, load cases, mass reading ------------------------------------------------------

// Names of the two components of a connector (record words 13 and 15), each in one field of the
// passed length, blank when unknown.
ZMX_EXPORT void SHR_CONNECTORTYPE(const Int* connector, char* ctype, Int ctypeLength);
// The n load-case names (8 characters held as reals) of the first step record of kind 4.
ZMX_EXPORT void SHR_LOADCASENAMES(Real* names, const Int* n);
ZMX_EXPORT void SHR_SETMASSREADFLAGS(const Int* element, Int* flags, Logical* lread1, Logical* lread2, Int* itype);

// ---- Regions and arcs --------------------------------------------------------------------------

// Labels the nodes reached by the part's elements (IMODE 1: type codes 6000 to 6999; 2: all) by
// connected region, 1, 2, ... in the order of each region's earliest founding element; the other
// nodes keep their labels. Returns NREG, the number of regions.
ZMX_EXPORT Int SHR_CHECKUNCONNECTEDREGIONS(const Int* imode, const Int* part, Int* ireg, Int* nreg, const Int* nel,
                                           const Int* nnodes);
// IMODE nonzero sets up the arc through P1 and P2 about PC (PC 4-6 the plane normal, 0 when none);
// IMODE 0 gives the point at XI (and with IREQ a unit direction in XOUT 4-6).
ZMX_EXPORT void BCIR(Real* p1, Real* p2, const Real* pc, Real* xout, const Real* xi, const Int* ireq,
                     const Int* imode, Int* ierr);

// ---- Beam section axes -------------------------------------------------------------------------

// BSAX (2 NV reals) from the element's variables 18, 20 and 26 and the nodal solution U
// (components after CNS word 2).
ZMX_EXPORT void SHR_BSECT(const Int* nnode, const Int* itype, const Int* nv, const Int* ld, Real* bsax,
                          const Int* layout, const Real* u);
// The same from the node records: U's components after NODEOFFSET, the nodes' reference directions
// in REFERENCE (as variable 18 lays them out), rotation components of node variable 12 masked by
// the node's constraint flags (SHR_NODBC with SLREC and ILAST into IFLAGS), the nodes by internal
// index in NODELIST of the node database.
ZMX_EXPORT void SHR_BSECTMOD(const Int* nnode, const Int* itype, const Int* nv, const Int* ld, const Int* nodeOffset,
                             Real* bsax, const Real* u, Real* slrec, Int* ilast, const Real* reference, Int* iflags,
                             const Int* nodeList, const Int* nodeDatabase);
}
