// Element library: the input-time geometry entry ELGGEN, the wrappers between it and the element
// checks of the sibling library, and the records of the characteristic element length.
//
// Common arguments: section the element's section record (its reals 7 to 9 go to the checks),
// data the element data array, rec the element-type record (4-byte words), X the node coordinates
// (leading dimension ldim, one column per node in element order), status the check status word
// handed to every check unchanged. Each wrapper sets a length measure to 0, calls its check and
// adds the measure it gets back, scaled, to CPHCON (count plus 1). A wrapper whose element has
// more nodes than its local coordinate copy holds reports "SYSTEM ERROR IN" and its name at level
// -3 and does nothing else.
#pragma once

#include "zmx/record_types.h"
#include "zmx/types.h"

// Characteristic element length: word 1 count of structural elements measured, 2 count of
// interface elements, 3 sectors of a cyclic-symmetry model; reals at words 11-12 (sum of the
// structural measures), 13-14 (the characteristic length, set outside this library) and 17-18 (sum
// of the interface measures). Never cleared by this library.
ZMX_RECORD_TYPE(CPHCON, 32);
// Axisymmetric model data of the hosts; word 2 non-zero marks an axisymmetric model.
ZMX_RECORD_TYPE(CAXIMODEL, 24);
// Words 2 and 3: the rows first..end-1 of the nodal value array that interior and centre nodes
// receive; the other words are not used.
ZMX_RECORD_TYPE(CNSPRE, 8);

extern "C" {

ZMX_EXPORT extern CPHCON_t CPHCON;
ZMX_EXPORT extern CAXIMODEL_t CAXIMODEL;
ZMX_EXPORT extern CNSPRE_t CNSPRE;

// ---- The entry ------------------------------------------------------------------------------

// The geometry work of one element (a28 arguments as the hosts pass them): fetches the element's
// number, type record and node list, checks the radial coordinates of axisymmetric elements
// (zeroing small negative radii where the program allows), then hands the element to the one
// geometry routine its family code selects. a6 X(a8, nodes); a7 receives the integer beside the
// node list; a10 the fluid segment table (a11 its leading dimension, a12 its rows filled), a13 the
// fluid cavity table; a1 the buffer that receives the slave-surface record of the interface elements
// (its slot 1 their node's value), a14 its capacity in 8-byte slots; a17 imported-element flag; a18
// element handle; a19 an integer of the shells; a20 check status; a21 a record buffer of the line
// springs; a22 node database. Arrays a family does not use may be null.
ZMX_EXPORT void ELGGEN(Real* a1, Real* a2, const Int* a3, Real* a4, Real* a5, Real* a6, Int* a7, const Int* a8,
                       const Int* a9, Int* a10, const Int* a11, Int* a12, void* a13, const Int* a14, Real* a15, Real* a16,
                       const Int* a17, const Int* a18, const Int* a19, Int* a20, void* a21, const Int* a22,
                       const Int* a23, Real* a24, Real* a25, const Int* a26, const Int* a27, Real* a28);

// ---- Check wrappers that add to CPHCON --------------------------------------------------------

ZMX_EXPORT void LC2DG(const Real* section, Real* data, const Int* rec, const Int* w36, const Int* element,
                      Int* status, const Real* X, const Int* ldim);
ZMX_EXPORT void LC2DGR(const Real* section, Real* data, const Int* rec, const Int* element, Int* status,
                       const Real* X, const Int* ldim);
ZMX_EXPORT void LC2DGT(const Real* section, Real* data, const Int* w36, const Int* rec, const Int* element,
                       Int* status, const Real* X, const Int* ldim);
ZMX_EXPORT void LC3DGT(const Int* element, Real* data, const Real* X, const Int* w36, const Int* ldim,
                       const Int* rec, Int* status);
ZMX_EXPORT void LC3DG_CHECK(const Int* element, Real* data, const Real* X, const Int* w36, const Int* ldim,
                            const Int* rec, Int* status);
ZMX_EXPORT void LC3DG2(const Int* element, Real* data, const Real* X, const Int* ldim, const Int* rec, Int* status);
ZMX_EXPORT void LINF2D(const Int* element, const Real* section, Real* data, const Int* w36, const Int* rec,
                       Int* status, const Real* X, const Int* ldim);
ZMX_EXPORT void LINF3D(const Int* element, Real* data, const Int* w36, const Int* rec, Int* status, const Real* X,
                       const Int* ldim);
ZMX_EXPORT void LMEMG_CHECK(const Int* element, Real* data, const Real* X, const Int* ldim, const Real* section,
                            const Int* rec, Int* status);
ZMX_EXPORT void SHR_LSURFELEG_CHECK(const Int* element, Real* data, const Real* X, const Int* ldim, const Int* rec,
                                    Int* status);
// Acoustic infinite elements: X holds 5 (6 in three dimensions) reals per node; a28 and the node
// list go to the check.
ZMX_EXPORT void SHR_LACIN2D(const Int* element, const Real* section, Real* data, const Int* rec, const Real* X,
                            Int* status, Real* a28, const Int* nodeList);
ZMX_EXPORT void SHR_LACINAX(const Int* element, const Real* section, Real* data, const Int* rec, const Real* X,
                            Int* status, Real* a28, const Int* nodeList);
ZMX_EXPORT void SHR_LACIN3D(const Int* element, const Real* section, Real* data, const Int* rec, const Real* X,
                            Int* status, Real* a28, const Int* nodeList);
// Rigid elements: the check itself updates CPHCON words 1, 2, 11-12 and 17-18.
ZMX_EXPORT void LRIGS(const Int* element, Real* a1, Real* data, const Real* X, const Int* w36, const Int* ldim,
                      const Int* w14);

// Modified second-order triangle (7 nodes) and tetrahedron (11 nodes): the wrapper places the
// interior node (and the tetrahedron's face points) for the check and, in the pre-processor's
// analysis kind (CPROG word 1 = 0), gives the interior node its nodal data: rows CNSPRE words
// 2..3-1 of the nodal value array a2(a3, nodes) and its node record (DBND); a24 per-node blocks of
// (a27 + 1) x cgn7 reals when CGN word 6 is set; a25 one real per node when a26 is set; the
// nodal array ADB_GETVARNDRW(a23, 8, 1) of cgn15 layers of two blocks of cgn7 reals per node.
ZMX_EXPORT void LC2DG6C(const Real* section, Real* a2, const Int* a3, Real* data, const Int* rec,
                        const Int* element, const Int* nodeList, Int* status, const Real* X, const Int* ldim,
                        const Int* a23, const Int* cgn7, const Int* a27, const Int* cgn15, Real* a24, Real* a25,
                        const Int* a26);
ZMX_EXPORT void LC3DG10C(Real* data, Real* a2, const Int* a3, const Int* element, const Int* nodeList, Int* status,
                         const Real* X, const Int* ldim, const Int* a23, const Int* cgn7, const Int* a27,
                         const Int* cgn15, Real* a24, Real* a25, const Int* a26);

// Cylindrical elements: a scratch block of the element (ADB_MEMOPEN) holds the element data, the
// averaged nodal normals and, for solids, the axis data; closed before returning.
ZMX_EXPORT void SHR_LCYLCHECK(const Int* handle, const Real* X, Real* data, const Int* rec, const Int* element,
                              const Int* ldim, Int* status);
ZMX_EXPORT void SHR_LCYLMEMG_CHECK(const Int* element, Real* data, const Real* X, const Int* ldim,
                                   const Real* section, const Int* rec, Int* status, const Int* handle);
ZMX_EXPORT void SHR_LCYLSURFELE_CHECK(const Int* handle, const Real* X, Real* data, const Int* rec,
                                      const Int* element, const Int* ldim, Int* status);

// ---- Check wrappers that add nothing ------------------------------------------------------------

ZMX_EXPORT void LAXMEMG(const Int* element, Real* data, const Int* w36, const Real* X, const Int* ldim,
                        const Int* w1, const Int* w14, Int* status);
ZMX_EXPORT void LRIGID_CHECK(const Int* element, const Real* X, const Int* ldim, const Int* rec, Int* status);
ZMX_EXPORT void LSPRING_CHECK(const Real* X, const Int* ldim, const Int* element);
ZMX_EXPORT void LSGBAT(const Int* element, const Real* X, const Int* ldim, const Int* w36, const Int* kind,
                       Real* work, Real* a15, Real* a16, const Int* a17);

// out(k, c) = sum over r of T(r, c) table(k, r + 1) for the n nodes (table with leading dimension
// n, coordinates in its columns 2 to 4) in the local frame T of the sibling check, then out(3n + 1)
// the check's scalar. a3 and a4 go to the check unchanged.
ZMX_EXPORT void LC3DG8(Real* out, const Real* table, const void* a3, const void* a4, const Int* n);

}  // extern "C"
