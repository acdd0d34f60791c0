// Element library, shells: the input-time geometry of the general, thick, layered, axisymmetric
// and continuum shells (checks, nodal normals and directors, transverse-shear tying data, the
// per-section frame, derivatives and curvature terms), and services the analysis programs call.
//
// X holds one column per node (rows 1-3 x, y, z; rows 4-6 the user's nodal normal), leading
// dimension ldim; normals are 3 reals per node. handle is the element handle of the analysis
// database. Arguments named aN are the dispatcher's, handed to the checks unchanged. Shells of
// more than 9 nodes, or with more than 9 sub-layouts, are a system error ("SYSTEM ERROR IN
// <routine>: %I NODES"). A quotient whose squared length is at most 1e-36 takes the reciprocal 1,
// so no infinity reaches an element variable.
//
// Shape-function tables (row per node, three columns per sub-layout: value, d/dxi, d/deta): LSG8
// and SHR_LSC use the element's own shape functions at the in-plane points of its sub-layouts,
// Gauss points in lattice order (xi fastest; 1, 2 x 2 or 3 x 3) for quadrilaterals, the centroid
// or the three-point rule (1/6, 1/6), (2/3, 1/6), (1/6, 2/3) for triangles.
#pragma once

#include "zmx/types.h"

extern "C" {
// ---- General shells -------------------------------------------------------------------------

// Families 202 (a4 the integer element variable 19) and 203 (a4 an integer 0). a7 is set to 1
// and, with a14, handed to LHSG02GEOM; a8(a9, 9) the nodal value array whose centre node (9) the
// types 2006 and 2023 fill in the analysis kind 0, with a20 the per-node blocks and a16 the
// handle of nodal variable 8.
ZMX_EXPORT void LSG8(const Real* X, const Int* ldim, Real* a3, const Int* a4, const Int* nodes, const Int* handle,
                     Int* a7, Real* a8, const Int* a9, const Int* nodeList, Real* a11, Real* a12, const Int* a13,
                     const Int* a14, Int* a15, const Int* a16, const Int* cgn7, const Int* a18, const Int* cgn15,
                     Real* a20);
// Six-node triangle tying data: area the area measure; shear points 18 reals ((n.t)/|t|, 1/|t|,
// 0.2 area per point), interior derivative data 18 reals and the constant 9 x 3 table (27 reals).
ZMX_EXPORT void LSGS6(const Real* area, const Real* X, const Int* ldim, const Real* normals, Real* points,
                      Real* interior, Real* table);
// Nine-node quadrilateral tying points: areas the four sub-layout area measures; points 36 reals
// ((n.t)/|t|, 1/|t|, reference value per point, 12 points on six lines). The further systems of
// the element are not part of this routine: a6 and a7 are left untouched.
ZMX_EXPORT void LSGS9(const Real* areas, const Real* X, const Int* ldim, const Real* normals, Real* points, Real* a6,
                      Real* a7);
// Family 201: check, normals into variable 18; nodes receives record word 36. Returns 0 (the
// distortion check gives no result).
ZMX_EXPORT Int LSG002(const Int* element, const Real* X, const Int* ldim, const Int* rec, const Int* handle,
                      Real* a6, Int* nodes, const Int* a8, Real* a9, Real* a10, const Int* a11, Int* a12);
// Families 207 and 410/3452 (a4 false or true): check and normals (rows 4-5) into variable 18.
ZMX_EXPORT void LSG001(const Real* X, const Int* ldim, Real* a3, const Logical* a4, Real* a5, Real* a6,
                       const Int* a7, const Int* handle, const Int* nodes, Int* a10);
// Surface measure at integration point p of a line shell of 2 or 3 nodes (r, z).
ZMX_EXPORT void LSG001SURF(Real* measure, const Real* X, const Int* p, const Int* ldim, const Int* rec);

// ---- Thick and layered shells -----------------------------------------------------------------

ZMX_EXPORT void SETNUMSHEARPOINT(const Int* nodes, const Int* k, const Int* family, Int* count, Int* perEdge);
// Family 211; returns the check's result, or 0 after the three-node line check when w8 is 3.
ZMX_EXPORT Int LHSG01(const Int* element, const Real* X, const Int* ldim, const Real* a4, const Int* w8,
                      const Int* type, const Int* w14, Int* a8);
// Family 212; returns the check's result, or 0 after the distortion check for 6 or 8 nodes.
ZMX_EXPORT Int LHSG002(const Real* X, const Int* ldim, const Real* a3, const Int* nodes, const Int* handle,
                       const Int* a6, Int* a7);
// Geometry of sub-layout i (25 arguments): area, point (tangents 1-6 as the check leaves them,
// normal 7-9), matrix (2 x 2 row by row, or the normal-derivative products for types 2021-2025),
// curvature (4), a13-a16 (2 each), derivatives (d1 in 1-9, d2 in 10-18), a18 (per node), a19,
// a20 (4), a21, a22 (2), a23 (4); a24 the flag of LSG45, a25 handed to the check.
ZMX_EXPORT void LHSG02GEOM(const Real* X, const Int* ldim, const Real* table, const Int* nodes, const Int* i,
                           const Real* normals, const Int* flag, const Int* handle, Real* area, Real* point,
                           Real* matrix, Real* curvature, Real* a13, Real* a14, Real* a15, Real* a16,
                           Real* derivatives, Real* a18, Real* a19, Real* a20, Real* a21, Real* a22, Real* a23,
                           const Int* a24, const Int* a25);
ZMX_EXPORT void LSG45(const Real* X, const Int* ldim, const Real* normals, const Int* type, const Int* user,
                      Real* area, const Real* axes, const Real* derivatives, Real* a9, Real* a10, Real* b,
                      Real* edgeWeights, Real* inverseJacobian, Real* areaOut, Real* coefficients, Real* vector,
                      const Int* flag);
ZMX_EXPORT void LHSG02GEOM1(const Real* X, const Int* ldim, const Int* type, Real* g, Real* det, Real* g11, Real* g12,
                            Real* g22, Real* area, const Int* flag);
// p: projected corners x1, y1, ..., x4, y4. An inverted projection files the user element number
// under -2005 and goes on with det = 1.
ZMX_EXPORT void LTSCOEFF(const Real* p, Real* a, Real* b, Real* v1, Real* v2, Real* v3, Real* v4, const Int* user);
ZMX_EXPORT void S4TSGEOM(Real* area, Real* frame, Real* derivatives, const Real* X, const Int* ldim,
                         const Int* nodes);

// ---- Axisymmetric and continuum shells ----------------------------------------------------------

// Edge shear normals of a four-node shell (12 reals); nothing is written for fewer than 4 nodes.
ZMX_EXPORT void THICKSHELLSHEARNORM(const Real* X, const Int* ldim, const Real* normals, const Int* type,
                                    Real* out, const Real* thickness, const Int* nodes);
// Family 210; a7 the dispatcher's real handed to the geometry check and HELSAX (as d), a9 handed
// to HELSAX.
ZMX_EXPORT void LSGSAX(const Int* element, const Real* X, const Int* ldim, const Int* nodes, const Int* points,
                       const Int* a6, const Real* a7, const Int* rec, const Int* a9, const Int* handle, Real* a11,
                       Real* a12, const Int* a13, Int* a14);
ZMX_EXPORT void SAXASHEARNORMALS(const Int* nodes, const Int* k, const Real* X, const Int* ldim, Real* out);
// Family 216: bottom nodes in columns 1-4, top nodes 5-8 (node k pairs with node k + 4).
ZMX_EXPORT void SHR_LSC(const Int* layout, const Int* handle, const Real* X, Real* a4, const Int* ldim, Real* a6,
                        Real* a7, const Int* a8, Int* a9, const Int* program, Int* a11);
// One sub-layout of the continuum shell: mid (3 x nodes), table, nodes (out: record word 36), i,
// directors, rec, handle, then the outputs of LHSG02GEOM from the area on (10 the matrix, set last
// to the normal-derivative products; 11 the curvature terms); 23 handed to the check.
ZMX_EXPORT void SHR_LSCGEOM(const Real* mid, const Real* table, Int* nodes, const Int* i, const Real* directors,
                            const Int* rec, const Int* handle, Real* area, Real* point, Real* matrix,
                            Real* curvature, Real* a13, Real* a14, Real* a15, Real* a16, Real* derivatives, Real* a18,
                            Real* a19, Real* a20, Real* a21, Real* a22, Real* a23, const void* a25);
ZMX_EXPORT void LSGSAXSURF(const Int* p, const Int* nodes, const Int* flag, const Real* X, const Int* ldim,
                           Real* measure);
ZMX_EXPORT void SHELLNODALWEIGHTS(const Real* X, const Int* ldim, Real* weights);
ZMX_EXPORT void SHR_CSHELLSECTTHICK(const Real* points, const Real* vectors, Real* thickness);
ZMX_EXPORT void ELAYINT(const Int* flag, Int* c1, Int* c2, Int* p1, Int* p2);
}
