// Surface geometry: points and derivatives of B-spline edges and faces.
#pragma once

#include "zmx/types.h"

extern "C" {

// ---- B-spline edges and faces -------------------------------------------------------------------
//
// Degree P (PU, PV) from 1 to 5; knot vector T(NKNOT) without the first and the last knot of the
// full vector (n control points: NKNOT = n + P - 1; a clamped end carries P equal knots). Control
// points CP(LDIM, n), of which the first NDIM (1 to 3) coordinates are used; weights W(n) of a
// rational edge. LPER (lowest bit): periodic, the parameter wraps into [UMIN, UMAX]; otherwise a
// parameter within 1e-6 of the range (2.22e-16 for the derivative forms) of an end is taken onto
// it. ISPAN: span guess in, span used out (T(ISPAN) <= U < T(ISPAN + 1)); 0 when U lies outside
// the knots. IERR 0 evaluated, 1 not (output zero). D(LDD, NDER + 1): column k + 1 the k-th
// derivative; columns beyond the degree stay 0 on a non-rational edge. A rational edge takes
// NDER up to 4.
ZMX_EXPORT void BSPLINENONRATEDGE(Real* x, const Int* p, const Int* nknot, const Real* t, const Real* cp,
                                  const Int* ldim, const Int* ndim, const Real* u, Int* ispan, const Logical* lper,
                                  const Real* umin, const Real* umax, Int* ierr);
ZMX_EXPORT void BSPLINERATEDGE(Real* x, const Int* p, const Int* nknot, const Real* t, const Real* cp, const Int* ldim,
                               const Int* ndim, const Real* w, const Real* u, Int* ispan, const Logical* lper,
                               const Real* umin, const Real* umax, Int* ierr);
ZMX_EXPORT void BSPLINENONRATEDGE_DERIV(Real* d, const Int* ldd, const Int* nder, const Int* p, const Int* nknot,
                                        const Real* t, const Real* cp, const Int* ldim, const Int* ndim,
                                        const Real* u, Int* ispan, const Logical* lper, const Real* umin,
                                        const Real* umax, Int* ierr);
ZMX_EXPORT void BSPLINERATEDGE_DERIV(Real* d, const Int* ldd, const Int* nder, const Int* p, const Int* nknot,
                                     const Real* t, const Real* cp, const Int* ldim, const Int* ndim, const Real* w,
                                     const Real* u, Int* ispan, const Logical* lper, const Real* umin,
                                     const Real* umax, Int* ierr);

// Faces: the tensor product of a u-direction (PU, NKU, TU, LPERU, UMIN, UMAX) and a v-direction,
// each as an edge's. Control net CP(LDIM, NCU, NCV) and weights W(NCU, NCV), read when LRAT
// (lowest bit) is set. A direction asked outside its knots sets its span to 0. D(LDD, m): the
// derivative of order k in u and l in v in column s(s + 1)/2 + l + 1 with s = k + l <= NDER,
// so the columns run S, S_u, S_v, S_uu, S_uv, S_vv, ...; a rational face takes NDER up to 5.
ZMX_EXPORT void BSPLINE_FACE(Real* x, const Int* pu, const Int* pv, const Int* nku, const Int* nkv, const Real* tu,
                             const Real* tv, const Real* cp, const Int* ldim, const Int* ncu, const Int* ndim,
                             const Real* w, const Real* u, const Real* v, Int* ispanu, Int* ispanv,
                             const Logical* lperu, const Logical* lperv, const Real* umin, const Real* umax,
                             const Real* vmin, const Real* vmax, const Logical* lrat, Int* ierr);
ZMX_EXPORT void BSPLINE_FACE_DERIV(Real* d, const Int* ldd, const Int* nder, const Int* pu, const Int* pv,
                                   const Int* nku, const Int* nkv, const Real* tu, const Real* tv, const Real* cp,
                                   const Int* ldim, const Int* ncu, const Int* ndim, const Real* w, const Real* u,
                                   const Real* v, Int* ispanu, Int* ispanv, const Logical* lperu,
                                   const Logical* lperv, const Real* umin, const Real* umax, const Real* vmin,
                                   const Real* vmax, const Logical* lrat, Int* ierr);
}
