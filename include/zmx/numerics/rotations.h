// Numerical utilities: rotation vectors, quaternions, material and node orientations.
#pragma once

#include "zmx/types.h"

extern "C" {

// ---- Rotation vectors and quaternions -------------------------------------------------------

// Rotation vectors: direction the axis, length the angle in radians. Quaternions are stored with
// the vector part first and the scalar last (flag even) or the scalar first (flag odd); the
// plane form holds the out-of-plane component and the scalar.
// Y := R applied to the N columns of X (3 x N; Y may be X); a copy when CONTRO word 2 is 0.
ZMX_EXPORT void SHR_ANROT(const Real* X, Real* Y, const Real* R, const Int* N);
// The same with the switch passed (0 = copy).
ZMX_EXPORT void ANROTSHR(const Real* X, Real* Y, const Real* R, const Int* N, const Int* IFLAG);
// R3 := rotation R1 applied after R2.
ZMX_EXPORT void COMPROT(const Real* R1, const Real* R2, Real* R3);
// On entry R = R0 + increment; on exit R0 composed with the increment (increment first).
ZMX_EXPORT void SHR_ROTUP(Real* R, const Real* R0);
// T := [c -s; s c], the plane rotation that takes direction A to direction B.
ZMX_EXPORT void COMPUTEROT2D(const Real* A, const Real* B, Real* T);
// S := skew matrix of W (S v = W x v).
ZMX_EXPORT void SHR_AXIALTOSKEW(const Real* W, Real* S);
// Rotates the tangents T1, T2 by the rotation that takes N to NNEW; a nearly reversed normal
// first turns N and T1 round in the caller's arrays.
ZMX_EXPORT void ROTATE_ORIENTATION(Real* T1, const Real* T2, Real* N, const Real* NNEW, Real* T1NEW, Real* T2NEW);
// Quaternion of the rotation matrix R (3 x 3) in the order chosen by IFLAG.
ZMX_EXPORT void CALQUAT(Real* Q, const Real* R, const Int* IFLAG);
// Z := conj(A) B in the vector-first order; the plane form when NDIM < 3. Z may be A or B.
ZMX_EXPORT void QUATM(const Real* A, const Real* B, Real* Z, const Int* NDIM);
// Z (3 x 3) := R(q) S R(q)^T of the six-word tensor A (11, 22, 33, 12, 13, 23) when MODE(1) = 1;
// MODE(2) 1 or 3 adds a pass rounded to single precision. The last argument is not read.
ZMX_EXPORT void QUATROT(const Real* A, const Real* Q, Real* Z, const Int* NQ, const Int* IFLAG, const Int* MODE,
                        const void* unused);
// Z := the tensor of a principal-frame record A (3 values, then the quaternion), optionally
// after the further rotation B (MODE(1) = 2), printed when IPRINT is not 0.
ZMX_EXPORT void QUATDEB(const Real* A, const Real* B, Real* Z, const Int* NDIM, const Int* IFLAG, const Int* MODE,
                        const Int* IPRINT);
// P(1..3) := principal values of the tensor S (NDI direct, NSHR shear components; a strain for
// the strain output types of KTYPE), P(4..7) := quaternion of the right-handed principal frame
// (vector first), in the plane form (P(4), P(5)) unless 7 <= KSPACE <= 9. A one-direct-component
// tensor with KSPACE 9 and one shear is first spread to two direct components (S and NDI change).
ZMX_EXPORT void CALPRINQUAT(Real* S, Real* P, const Int* KTYPE, const Int* KSPACE, Int* NDI, const Int* NSHR);


// ---- Material and node orientations ---------------------------------------------------------

// Directions are 3 x 3 column-major, column m direction m; ORI is an orientation record of
// 8-byte slots (3 the coded name, 4-6 point a, 7-9 point b, 10 the axis and 11-13 the angle,
// cosine and sine of the additional rotation, 14-15 local node numbers).
// Material directions at one point of an element. A is output (input for system types 0 and 4)
// and comes back with the directions as rows, except for element types 300 to 399. ORI is
// changed (node-defined points into slots 4-9, global shell directions into slots 1-6): pass a
// working copy. A node-defined type (over 100) comes back reduced by 100.
ZMX_EXPORT void MORIENT(Real* A, Real* ORI, const Real* X, const Real* S, const Int* element, const Real* nodes,
                        const Int* point, const Int* layer, Int* type, const Int* nodeCount, const Int* kind,
                        Int* reversed, const Int* elementType, const Int* ncoords);
// Local directions of the orientation at a node, as the rows of A; node is the node record
// (word 2 the node number). Failures are printed at level -3 and the routine goes on.
ZMX_EXPORT void NORIENT(Real* A, const Real* ORI, const Real* X, const Int* node, const Int* type);
// Transforms n node vectors of U (stride ld) in place by T: two components in two-dimensional
// models (CLDOF word 3 = 0), else three, and words 4-6 as well when code mod 64 is 63. With
// flag 0, T is first transposed IN PLACE and stays transposed for the caller.
ZMX_EXPORT void NODTRN(const Int* code, Real* T, Real* U, const Int* flag, const Int* n, const Int* ld);
// Mode 0: T := the in-plane rotation stored in element variable 34. Otherwise: variable 32 :=
// the two direction columns of D (flag 0) or D with the in-plane rotation T applied, and, when
// flag2 is not 0, variable 34 := (T11, T12).
ZMX_EXPORT void MORIENTS(const Int* mode, Real* T, const Real* D, const Int* flag, const Int* layout,
                         const Int* flag2);
// Mode 0 stores rows 1 and 2 of A (or A11 and A12) in variable 32; B := transpose of A always.
ZMX_EXPORT void MORIENTW(const Real* A, Real* B, const Int* ndi, const Int* nshr, const Int* mode,
                         const Int* layout, const Int* kind);
// Variable 32 := rows 1 and 2 of A and of B (type code 3491), else (A11, A12, B11, B12).
ZMX_EXPORT void CONNMORIENTW(const Real* A, const Real* B, const Int* type, const Int* layout);

}  // extern "C"
