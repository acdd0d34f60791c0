// Contact search: small-sliding geometry. The master surface near a slave node is replaced by a
// tangent line (two dimensions) or plane (three dimensions) fixed to the master; the routines give
// the clearance h = n . (P - Xs) of the slave node Xs to it (P the foot of the perpendicular), the
// foot's local coordinates, the normal, tangents and foot, and unless mode is 1 advance h by the
// exact first-order change for the displacements u. Column 1 of x is the slave node; master node i
// of a deformable pair is column k + i, the reference node of a rigid master column 2.
//
// A one-dof node moves along its unit normal only: ns for the slave, and for a master node the
// normal stored in its nodal-normal record of the slide-line database (read into rec). A master
// node without such a record is reported at level -3 and then moves with the zero vector.
// A singular plane system leaves xi = 0, p = P0 and h = -1e36 plus the update terms. A
// two-dimensional tangent of squared length below 1e-36 gives h = -1e36 and xi = 1e18.
//
// The rigid two-dimensional update uses the unscaled normal (-t2, t1): it is the exact first-order
// change when the host passes a unit tangent, as it does. The foot on the tangent line is the
// straight-segment foot of the curve kernels, computed in closed form.
#pragma once

#include "zmx/types.h"

extern "C" {

ZMX_EXPORT void SMSLIDDEF2DHDIST(Real* h, Real* xi, Real* n, Real* t, Real* p, const Real* wa, const Real* wt,
                                 const Real* x, const Int* ldx, const Int* m, const Int* k, const Real* tm,
                                 const Real* u, const Int* mode, const Int* ldu);
ZMX_EXPORT void SMSLIDDEF2DHDIST_1DOF(Real* h, Real* xi, Real* n, Real* t, Real* p, const Real* wa, const Real* wt,
                                      const Real* x, const Int* ldx, const Int* m, const Int* k, const Real* tm,
                                      const Real* u, const Int* ldu, Real* rec, const Logical* sone,
                                      const Logical* mone, const Real* ns, const Int* ndb, const Int* nix);
ZMX_EXPORT void SMSLIDDEF3DHDIST(Real* h, Real* xi1, Real* xi2, Real* n, Real* tt, Real* p, const Real* wa,
                                 const Real* wt1, const Real* wt2, const Real* x, const Int* ldx, const Int* m,
                                 const Int* k, const Real* tm, const Real* u, const Int* mode);
ZMX_EXPORT void SMSLIDDEF3DHDIST_1DOF(Real* h, Real* xi1, Real* xi2, Real* n, Real* tt, Real* p, const Real* wa,
                                      const Real* wt1, const Real* wt2, const Real* x, const Int* ldx,
                                      const Int* m, const Int* k, const Real* tm, const Real* u, Real* rec,
                                      const Logical* sone, const Logical* mone, const Real* ns, const Int* ndb,
                                      const Int* nix);
ZMX_EXPORT void SMSLIDRIGID2DHDIST(Real* h, Real* xi, Real* n, Real* t, Real* off, const Real* anc, const Real* tr,
                                   const Real* x, const Int* ldx, const Real* u, Real* p, const Int* mode);
ZMX_EXPORT void SMSLIDRIGID2DHDIST_1DOF(Real* h, Real* xi, Real* n, Real* t, Real* off, const Real* anc,
                                        const Real* tr, const Real* x, const Int* ldx, const Real* u, Real* p,
                                        const Real* ns);
ZMX_EXPORT void SMSLIDRIGID3DHDIST(Real* h, Real* xi, Real* n, Real* tt, Real* on, Real* ot1, Real* ot2, Real* off,
                                   const Real* anc, const Real* tr1, const Real* tr2, const Real* x, const Int* ldx,
                                   const Real* u, Real* p, const Int* mode);
ZMX_EXPORT void SMSLIDRIGID3DHDIST_1DOF(Real* h, Real* xi, Real* n, Real* tt, Real* on, Real* ot1, Real* ot2,
                                        Real* off, const Real* anc, const Real* tr1, const Real* tr2, const Real* x,
                                        const Int* ldx, const Real* u, Real* p, const Real* ns);

// The same clearance for a deformable three-dimensional master whose tangent plane tref (T1 then
// T2, reference configuration x0) turns with the master: mode 0 keeps tref's orientation and (in
// the plain form) updates h; any other mode turns it by the rotation that aligns the reference
// normal with the current one followed by the twist that aligns the tangent bisectors, and the
// plain form then makes no update (the one-dof form always updates). w is m x 2 (one column per
// tangent). dm(9 (m + 1)) receives, per master node i, the 3 x 3 derivative D(i) of the plane's
// rotation by that node's displacement at dm(9 i + 1); dm(1..9) stays 0. A degenerate frame
// (weighted tangent, normal or bisector below 1e-36) returns h = -1e36 and zero results.
ZMX_EXPORT void SHR_SMSLIDDEF3DHDIST(Real* h, Real* xi1, Real* xi2, Real* n, Real* tt, Real* p, const Real* wa,
                                     const Real* w, const Real* x, const Int* ldx, const Int* m, const Int* k,
                                     const Real* u, const Int* mode, const Real* x0, const Real* tref, Real* dm);
ZMX_EXPORT void SHR_SMSLIDDEF3DHDIST_1DOF(Real* h, Real* xi1, Real* xi2, Real* n, Real* tt, Real* p,
                                          const Real* wa, const Real* w, const Real* x, const Int* ldx,
                                          const Int* m, const Int* k, const Real* u, Real* rec,
                                          const Logical* sone, const Logical* mone, const Real* ns, const Int* ndb,
                                          const Int* nix, const Real* x0, const Real* tref, Real* dm,
                                          const Int* mode);

// Extends the degree-of-freedom list of a small-sliding contact element (layout lay) by the
// codes of its master nodes, read from element variables 99 and 54; ndofs := the new length,
// nmst := the number of master nodes.
ZMX_EXPORT void SHR_SETSMSLIDCONTACT(const Int* lay, Int* dofs, Int* ndofs, Int* nmst);
// Kept for the hosts that call it; does nothing.
ZMX_EXPORT void SLIDEPLANE_GEOM();

}  // extern "C"
