// Element geometry checks of the eqc stand-in, one per element family, as the element library
// calls them (upper-case convention, every argument by pointer). Each stand-in check records its
// call for the tests (element_checks_testing.h) and writes the length measure the test set; it
// prints nothing and reads no geometry.
//
// Argument names: X node coordinates (leading dimension ldim, or a fixed local copy), data the
// element data array, section the section record's reals 7 to 9, wNN words of the element-type
// record, status the caller's check status word.
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
ZMX_EXPORT void EQC_LC2DG_ERRWARN(const Real* X, Real* data, const Real* section, Real* measure, const Int* element,
                                  const Int* w27, const Int* w14, const Int* w15, const Int* w36, const Int* w68,
                                  const Int* w19, const Int* w4, const Int* w45, Int* status);
ZMX_EXPORT void EQC_LC2DGR_ERRWARN(const Real* X, Real* data, const Real* section, Real* measure, const Int* element,
                                   const Int* w36, const Int* w9, const Int* w68, const Int* w65, Int* status);
ZMX_EXPORT void EQC_LC2DGT_ERRWARN(const Real* X, Real* data, const Real* section, Real* measure, const Int* element,
                                   const Int* w68, const Int* w14, const Int* w15, const Int* w36, const Int* w4,
                                   const Int* w19, Int* status);
ZMX_EXPORT void EQC_LC3DGT_ERRWARN(const Real* X, Real* data, Real* measure, const Int* element, const Int* ldim,
                                   const Int* w36, const Int* w14, const Int* w15, Int* status);
ZMX_EXPORT void EQC_LC3DG_CHECK_ERRWARN(const Real* X, Real* data, Real* measure, const Int* element, const Int* ldim,
                                        const Int* w1, const Int* w14, const Int* w15, const Int* w56, const Int* w36,
                                        Int* status);
ZMX_EXPORT void EQC_LC3DG2(const Real* X, Real* data, const Int* element, const Int* ldim, const Int* w14,
                           const Int* w15, const Int* w36, const Int* w56, Real* measure1, Real* measure2, Int* status);
ZMX_EXPORT void EQC_LINF2D(const Real* X, Real* data, const Real* section, Real* measure, const Int* element,
                           const Int* w36, const Int* w14, const Int* w19, Int* status);
ZMX_EXPORT void EQC_LINF3D(const Real* X, Real* data, Real* measure, const Int* element, const Int* w36,
                           const Int* w14, Int* status);
ZMX_EXPORT void EQC_LMEMG_CHECK(const Real* X, Real* data, const Real* section, Real* measure, const Int* element,
                                const Int* w36, const Int* w14, const Int* ldim, const Int* w1, Int* status);
ZMX_EXPORT void EQC_2NDORDER_DISTORTIONCHECK(const Int* element, const Real* X, const Int* ldim, const Int* w36,
                                             Int* status);
ZMX_EXPORT void EQC_LSURFELEG_CHECK(const Real* X, Real* data, Real* measure, const Int* element, const Int* w36,
                                    const Int* w14, const Int* ldim, const Int* w1, Int* status);
// axisymmetric: a logical; nodeList: the element's internal node indices.
ZMX_EXPORT void EQC_LACIN2DAX(const Real* section, Real* data, const Real* X, Real* measure, Int* status,
                              const Logical* axisymmetric, const Int* element, const Int* w16, const Int* w9,
                              const Int* w8, Real* a28, const Int* nodeList);
ZMX_EXPORT void EQC_LACIN3D(const Real* section, Real* data, const Real* X, Real* measure, Int* status,
                            const Int* element, const Int* w16, const Int* w9, const Int* w8, Real* a28,
                            const Int* nodeList);
ZMX_EXPORT void EQC_LC3DG10C(const Real* X, Real* data, Real* measure, const Int* element, Int* status);
ZMX_EXPORT void EQC_LC2DG6C(const Real* X, Real* data, const Real* section, const Int* element, const Int* w19,
                            const Int* w68, Int* status);
// Cylindrical checks: block the element's scratch block (element data, then normals and axis data).
ZMX_EXPORT void EQC_LCYLCHECK_ERRWARN(Real* block, const Real* X, Real* measure, const Int* element, const Int* ldim,
                                      const Int* w14, const Int* w15, const Int* w56, const Int* w36, Int* status);
// angles: the three station angles; axis: the 6-real axis record (solid) or the nodal angles.
ZMX_EXPORT void EQC_LCYLCHECK_ERRWARN2(const Real* angles, const Real* axis, const Real* X, const Int* element,
                                       const Int* ldim, const Int* w36, Int* status, const Logical* solid);
ZMX_EXPORT void EQC_CYLMEMG_CHECK(const Real* X, Real* block, const Real* section, Real* measure, const Int* element,
                                  const Int* w36, const Int* w14, const Int* ldim, Int* status, const Real* angles,
                                  const Int* w49);
ZMX_EXPORT void EQC_LCYLSURFELEG_CHECK(const Real* X, Real* block, const Real* angles, Real* measure,
                                       const Int* element, const Int* w36, const Int* w14, const Int* ldim,
                                       const Int* w49, Int* status);
// Rigid elements measure themselves into the characteristic-length cells they are given: each
// count gains 1, the structural sum the measure, the interface sum the second measure.
ZMX_EXPORT void EQC_LRIGS(const Int* element, Real* a1, Real* data, const Real* X, const Int* w36, const Int* ldim,
                          const Int* w14, Int* structuralCount, Int* interfaceCount, Real* structuralSum,
                          Real* interfaceSum);
ZMX_EXPORT void EQC_LAXMEMG(const Real* X, Real* data, const Int* element, const Int* w36, const Int* ldim,
                            const Int* w1, const Int* w14, Int* status);
ZMX_EXPORT void EQC_3NLINE_ERRWARN(const Real* X, const Int* ldim, const Int* coordinates, const Int* element,
                                   Int* status, const Int* option);
ZMX_EXPORT void EQC_LRIGID_CHECK(const Real* X, const Int* element, const Int* w36, const Int* ldim, Int* status);
ZMX_EXPORT void EQC_LSPRING(const Real* X, const Int* ldim, const Int* element);
ZMX_EXPORT void EQC_LSGBAT(const Int* element, const Real* X, const Int* ldim, const Int* ldimCopy, const Int* w36,
                           const Int* kind, Real* work, const Int* program, Real* a15, Real* a16, const Int* a17);
// The local frame of a brick: work(1..9) a 3 x 3 matrix T (one axis per column), work(10) a scalar.
ZMX_EXPORT void EQC_LC3DG(Real* work, const Real* table, const void* a3, const Int* n, const void* a4,
                          const Int* option);
}
