// Element checks of the eqc stand-in for beams, trusses, shells and line springs, as the element
// library calls them. Like the continuum checks (element_checks.h) each records its call
// (eqc_checks_testing::calls) and writes the length measure the test set; the checks that give a
// result return checkResult (0 unless a test sets it).
//
// Two compute what their callers rely on:
// - EQC_LHSG02, for sub-layout i of a shell with the shape-function table a (one row per node,
//   three columns per sub-layout: value, d/dxi, d/deta): the parametric tangents
//   g1 = sum a(k, 3i-1) x_k and g2 = sum a(k, 3i) x_k; the local frame e1 = g1/|g1|,
//   e2 = (g1 x g2 / |g1 x g2|) x e1 written to point(1..6); area := |g1 x g2| times the weight set by
//   setShellPointWeight (1 by default); matrix := the inverse of J, J(b, a) = g_b . e_a, row by row,
//   so that d/de_a = sum_b matrix(a, b) d/dxi_b. A degenerate point leaves zeros.
// - EQC_LSGSAXGEOM at meridional point i of an axisymmetric shell of n nodes (2 or 3) with
//   `points` Gauss points along the meridian (1, 2 or 3): t := the radius r at the point,
//   b := |dx/dxi| there, c := b x r. w1 to w4 are not written.
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
ZMX_EXPORT void EQC_LTRUSG_ERRWARN(const Real* X, const Int* n, const Int* d, const Int* element, Real* measure,
                                   Int* status);
ZMX_EXPORT void EQC_LBG002GO(const Real* X, const Int* ldim, const Real* normals, const Int* n, const Int* k,
                             Real* v17, Real* scratch);
ZMX_EXPORT void EQC_LBG002G(const Real* X, const Int* ldim, const Real* normals, const Int* n, const Int* k,
                            Real* v27, const Int* element, Int* status);
ZMX_EXPORT void EQC_LTHBM2DG(const Real* X, const Int* ldim, const Real* normals, Real* data, const Int* k,
                             Real* v27, const Int* element, Int* status);
ZMX_EXPORT void EQC_LBG102GO(const Real* X, const Int* ldim, const Real* axes, const Int* n, const Int* k, Real* v17,
                             Real* scratch);
ZMX_EXPORT void EQC_LBG102G(const Real* X, const Int* ldim, const Real* axes, const Int* n, const Int* k, Real* v27,
                            const Int* element, Int* status);
ZMX_EXPORT void EQC_LTHBMG(const Real* X, const Int* ldim, const Real* axes, Real* data, const Int* k, Real* v27,
                           const Int* element, Int* status);
ZMX_EXPORT void EQC_LSG002(const Real* X, const void* a6, const Int* ldim, Real* local, const Int* element,
                           const Int* a8, const Int* w1, const Int* nodes, const Int* w8, const Int* w14,
                           const Int* w4, const Int* c212, const void* a9, const void* a10, const Int* a11,
                           const Int* program, Int* a12);
ZMX_EXPORT void EQC_LSG8(const Real* X, const void* a3, const Int* ldim, const Int* nodes, const Int* w9,
                         const Int* w14, const Int* element, const Int* a7, const Int* a4, const Int* program,
                         const Int* w1, const void* a11, const void* a12, const Int* a13, Int* a15);
ZMX_EXPORT void EQC_LSG001(const Real* X, const void* a3, const void* a5, const void* a6, const Int* a7,
                           const Int* ldim, const Int* nodes, const Int* recordLength, const Int* w14,
                           const Int* zero, const Int* program, const Logical* a4, const Int* scratch,
                           Int* a10);
ZMX_EXPORT Int EQC_LHSG01(const Real* X, const void* a4, const Int* ldim, const Int* w8, const Int* w14,
                          const Int* type, const Int* element, Int* a8);
ZMX_EXPORT Int EQC_LHSG002(const Real* X, const void* a3, const Int* a6, const Int* ldim, const Int* nodes,
                           const Int* w1, const Int* element, const Int* w14, const Int* w4, const Int* c212,
                           const Int* program, const Int* zero1, const Int* zero2, Real* work1, Real* work2,
                           Int* a7);
ZMX_EXPORT void EQC_LHSG02(const Real* X, const Int* ldim, const Real* table, const Int* nodes, const Int* i,
                           const void* flag, const Int* element, Real* area, Real* point, Real* matrix,
                           const Int* nodes2, const Int* w14, const Int* w4, const Int* c212, const Int* program,
                           const void* a25);
ZMX_EXPORT void EQC_LSGSAX(const Real* X, const Int* a6, const Int* ldim, const Int* nodes, const Int* element,
                           const Int* points, const Int* program, const void* a11, const void* a12, const Int* a13,
                           Int* a14);
ZMX_EXPORT void EQC_LSGSAXGEOM(const Int* i, const Int* points, const Int* nodes, const Real* X, const Int* ldim,
                               Real* w1, Real* t, Real* b, Real* w2, const Real* a7, Real* w3, Real* c, Real* w4);
ZMX_EXPORT void EQC_LSC(const Real* mid, const Real* directors, const Int* m, const Int* w8, const Int* element,
                        const void* a6, const void* a7, const Int* a8, Int* a9, const Int* a10, const void* a4,
                        const Int* w1, const Int* w14);
ZMX_EXPORT Int EQC_LSNORS(const Real* normals, const Int* nodes, const Int* element);
ZMX_EXPORT Int EQC_LSGLS(const Real* X, const Int* ldim, const void* a4, const Int* element, const Int* w8,
                         const Int* w1, Real* work, const Int* w14, const Int* a5);
}

namespace eqc_checks_testing {
// The weight by which EQC_LHSG02 multiplies det J (1 by default).
ZMX_EXPORT void setShellPointWeight(Real weight);
// What the checks with a result return (0 by default).
ZMX_EXPORT void setCheckResult(Int result);
}  // namespace eqc_checks_testing
