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

// ---- Closest points on B-spline edges and faces ---------------------------------------------------
//
// The edge and face data are passed on to the evaluators above unchanged, in their order:
// edges (P, NKNOT, T, CP, LDIM, NDIM[, W]) and faces (PU, PV, NKU, NKV, TU, TV, CP, LDIM, NCU,
// NDIM, W) with (LPERU, LPERV, UMIN, UMAX, VMIN, VMAX, LRAT). Logicals are tested on their
// lowest bit. No routine here allocates or prints.
//
// The foot of point pt on an edge by Newton steps on t (second-order steps where they land in
// [lo, hi]), at most eight of them. Out: distance (signed (x - P) . n when NDIM = 2, else
// |x - P|; -1e36 when not found), foot x, unit tangent and, for NDIM = 2, the curvature
// (n . x'') / |x'|^2; ierr the evaluator's flag, 1 without convergence, or ANORM's.
ZMX_EXPORT void FNDDISTTOBSPLINE(const Real* pt, const Logical* rational, const Int* p, const Int* nknot,
                                 const Real* t, const Real* cp, const Int* ldim, const Int* ndim, const Real* w,
                                 Int* ispan, const Logical* lper, const Real* lo, const Real* hi,
                                 const Real* distanceTolerance, const Real* parameterTolerance, Real* u,
                                 Real* distance, Real* foot, Real* tangent, Real* curvature, Int* ierr);
// The foot on a face by damped Newton steps on (u, v), at most eleven. Out: signed distance
// (x - P) . n, foot x, unit tangents x_u/|x_u| and x_v/|x_v| (6), normal curvatures (3) and
// the eight skew terms (non-zero only when the tangents are more than a degree from orthogonal).
ZMX_EXPORT void FNDDISTTO3DBSPLINE(const Real* pt, const Int* pu, const Int* pv, const Int* nku, const Int* nkv,
                                   const Real* tu, const Real* tv, const Real* cp, const Int* ldim, const Int* ncu,
                                   const Int* ndim, const Real* w, Real* u, Real* v, Int* ispanu, Int* ispanv,
                                   const Logical* lperu, const Logical* lperv, const Real* umin, const Real* umax,
                                   const Real* vmin, const Real* vmax, const Logical* lrat,
                                   const Real* distanceTolerance, const Real* parameterTolerance, Real* distance,
                                   Real* foot, Real* tangents, Real* curvatures, Real* skew, Int* ierr);
// A better start t for candidate k of the n start parameters candidates: the nearest of the
// samples between the midpoints to the neighbouring candidates, refined by up to five halvings
// towards the second nearest. Nothing is written with fewer than two samples or k outside 1..n.
ZMX_EXPORT void IMPROVE_GUESS_2DBSPLINE(const Real* pt, const Logical* rational, const Int* p, const Int* nknot,
                                        const Real* t, const Real* cp, const Int* ldim, const Int* ndim,
                                        const Real* w, const Int* ispan, const Logical* lper, const Real* umin,
                                        const Real* umax, Real* u, const Real* candidates, const Int* k,
                                        const Int* n);
// The same on the grid of samples in u and v around candidate (ku, kv).
ZMX_EXPORT void IMPROVE_GUESS_3DBSPLINE(const Real* pt, const Int* pu, const Int* pv, const Int* nku, const Int* nkv,
                                        const Real* tu, const Real* tv, const Real* cp, const Int* ldim,
                                        const Int* ncu, const Int* ndim, const Real* w, Real* u, Real* v,
                                        const Int* ispanu, const Int* ispanv, const Logical* lperu,
                                        const Logical* lperv, const Real* umin, const Real* umax, const Real* vmin,
                                        const Real* vmax, const Logical* lrat, const Real* candidatesU,
                                        const Real* candidatesV, const Int* ku, const Int* kv, const Int* nu,
                                        const Int* nv);
// distance := the distance from pt to the nearest boundary control point of the net
// cn(ld, nu, nv): the columns u = 1 and nu when flagU is 1 or iu1 != iu2, the rows v = 1 and nv
// when flagV is 1 or iv1 != iv2; 1e18 when neither.
ZMX_EXPORT void DISTTOEDGE3DBSPLINE(Real* distance, const Real* pt, const Int* iu1, const Int* iv1, const Int* iu2,
                                    const Int* iv2, const Real* cn, const Int* ld, const Int* nu, const Int* nv,
                                    const Int* flagU, const Int* flagV);

// ---- Closest point on a B-spline edge or face of many candidate pieces ----------------------------
//
// Candidates are tried nearest first (distance to the reference point less 2.5 radii) until the
// key passes the best distance found or min(3 dmin, dmin + L/4). The work array holds 2 NSEG + 1
// (2 NA NB) reals; when size is smaller, DBCORE grows size by that many (a failed raise is
// reported and the search goes on). The keys are written to the array only within its room (to
// the end of its block in the address space, else size as passed); beyond it they go to storage
// of the library's own.
// status 0 found, 1 not (results at their start values).
ZMX_EXPORT void BSPLINESEARCH2D(const Real* x, const Real* q, const Real* u0, const Int* span0, const Real* radius,
                                const Int* nseg, const Logical* rational, const Int* p, const Int* ldq,
                                const Real* cp, const Int* ldim, const Real* w, const Real* t, const Int* nknot,
                                const Logical* lper, const Real* umin, const Real* umax, const Real* length,
                                Real* work, Int* size, Int* span, Real* u, Real* distance, Real* foot,
                                Real* tangent, Real* curvature, Int* status);
ZMX_EXPORT void BSPLINESEARCH3D(const Real* x, const Real* q, const Int* ldq, const Int* na, const Int* nb,
                                const Real* u0, const Real* v0, const Int* spanu0, const Int* spanv0,
                                const Real* radius, const Int* pu, const Int* pv, const Int* nku, const Int* nkv,
                                const Real* tu, const Real* tv, const Real* cp, const Int* ldim, const Int* ncu,
                                const Int* ndim, const Real* w, Real* u, Real* v, Int* spanu, Int* spanv,
                                const Logical* lperu, const Logical* lperv, const Real* umin, const Real* umax,
                                const Real* vmin, const Real* vmax, const Real* length, const Logical* lrat,
                                Real* distance, Real* foot, Real* tangents, Real* curvatures, Real* skew, Real* work,
                                Int* size, Int* status);
}
