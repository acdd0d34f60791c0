// Clearance of a slave node to the tangent line or plane of its small-sliding master, deformable
// (interpolated from the master nodes) or rigid (carried by the rigid body's reference node), and
// its exact first-order change for the given displacements.

#include <cmath>

#include "contact/small_sliding/one_dof_nodes.h"
#include "siblings/eqc/eqc_arrays.h"
#include "zmx/contact/small_sliding.h"
#include "zmx/geometry/planes.h"
#include "zmx/numerics/rotations.h"

namespace {

using zmx::small_sliding::PairDisplacements;
using zmx::small_sliding::storedNormal;

constexpr Real kUnset = -1e36;
constexpr Real kTiny = 1e-36;
constexpr char kMissing2D[] =
    "SYSTEM ERROR IN SmSlidDef2DHdist_1dof - COULD NOT FIND THE REFERENCE TO THE NORMAL VECTOR";
constexpr char kMissing3D[] =
    "SYSTEM ERROR IN SmSlidDef3DHdist_1dof - COULD NOT FIND THE REFERENCE TO THE NORMAL VECTOR";

Real dot(const Real* a, const Real* b, int dim) {
  Real s = 0.0;
#pragma GCC unroll 3
  for (int c = 0; c < dim; ++c) s += a[c] * b[c];
  return s;
}

// y = A x for a dim x dim column-major A.
void matrixTimes(const Real* a, const Real* x, Real* y, int dim) {
#pragma GCC unroll 3
  for (int r = 0; r < dim; ++r) {
    y[r] = 0.0;
#pragma GCC unroll 3
    for (int c = 0; c < dim; ++c) y[r] += a[c * dim + r] * x[c];
  }
}

void crossProduct(const Real* a, const Real* b, Real* c) {
  const Real x = a[1] * b[2] - a[2] * b[1], y = a[2] * b[0] - a[0] * b[2], z = a[0] * b[1] - a[1] * b[0];
  c[0] = x, c[1] = y, c[2] = z;
}

// Scales v to unit length; a vector of zero length stays as it is.
void normalise(Real* v, int dim) {
  const Real squared = dot(v, v, dim);
  if (squared < kTiny || !std::isfinite(squared)) return;
  const Real scale = 1.0 / std::sqrt(squared);
  for (int c = 0; c < dim; ++c) v[c] *= scale;
}

const Real* column(const Real* x, const Int* ldx, Int j) { return x + static_cast<long>(j - 1) * *ldx; }

// The anchor and the weighted tangent sums in one pass over the master nodes:
// p0 = sum of wa(i) x(:, k + i), s(:, j) = sum of wt_j(i) x(:, k + i), one column per tangent.
// The sums are held in registers (loops over the fixed sizes unrolled) and stored once.
template <int Dim>
void weightedSums(const Real* wa, const Real* const* wt, const Real* x, const Int* ldx, Int m, Int k, Real* p0,
                  Real (*s)[3]) {
  constexpr int tangents = Dim - 1;
  Real anchor[Dim] = {}, sums[tangents][Dim] = {};
  const long ld = *ldx;
  const Real* xi = column(x, ldx, k + 1);
  for (Int i = 0; i < m; ++i, xi += ld) {
#pragma GCC unroll 3
    for (int c = 0; c < Dim; ++c) {
      anchor[c] += wa[i] * xi[c];
#pragma GCC unroll 2
      for (int j = 0; j < tangents; ++j) sums[j][c] += wt[j][i] * xi[c];
    }
  }
#pragma GCC unroll 3
  for (int c = 0; c < Dim; ++c) {
    p0[c] = anchor[c];
#pragma GCC unroll 2
    for (int j = 0; j < tangents; ++j) s[j][c] = sums[j][c];
  }
}

// Foot parameter of the slave on the line P0 + xi t and the signed clearance n . (P - Xs), n the
// unit normal (-t2, t1): the straight-segment foot of the curve kernels, in closed form. A tangent
// of zero length gives xi = 1e18 and h = -1e36.
void lineClearance(const Real* p0, const Real* t, const Real* slave, Real* xi, Real* h) {
  const Real tt = t[0] * t[0] + t[1] * t[1];
  if (tt < kTiny) {
    *xi = 1e18;
    *h = kUnset;
    return;
  }
  const Real rel[2] = {slave[0] - p0[0], slave[1] - p0[1]};
  *xi = (rel[0] * t[0] + rel[1] * t[1]) / tt;
  *h = (t[1] * rel[0] - t[0] * rel[1]) / std::sqrt(tt);
}

// Foot of the slave on the plane P0 + xi1 T1 + xi2 T2 through the plane kernel; a singular
// system leaves xi = 0, the foot at P0 and h = -1e36.
void planeClearance(const Real* normal, const Real* tt, const Real* p0, const Real* slave, Real* xi, Real* h,
                    Real* p) {
  Logical singular = kFalse;
  Real foot[3];
  FNDMINDISTTOPLANE(normal, tt, p0, slave, foot, xi, h, &singular);
  if (singular != kFalse) {
    xi[0] = xi[1] = 0.0;
    *h = kUnset;
  }
  for (int c = 0; c < 3; ++c) p[c] = p0[c] + xi[0] * tt[c] + xi[1] * tt[3 + c];
}

struct DeformableMaster {
  const Real* wa;
  const Real* wt[2];  // tangent weights (one per tangent)
  const Real* x;
  const Int* ldx;
  Int m, k;
  const Real* tm;
};

// dh = unit . (sum over i of (wa(i) I + c(i) tm) d(i) - d_s), c(i) = sum of xi_j wt_j(i): the
// change of unit . (P - Xs) with xi and the normal held.
template <int dim>
Real deformableUpdate(const DeformableMaster& g, const Real* unit, const Real* xi,
                      const PairDisplacements& u, const Int* ndb, const Int* nix, Real* rec, const char* missing) {
  Real tmUnit[3] = {};  // tm-transposed times the unit normal
#pragma GCC unroll 3
  for (int c = 0; c < dim; ++c)
#pragma GCC unroll 3
    for (int r = 0; r < dim; ++r) tmUnit[c] += g.tm[c * dim + r] * unit[r];
  Real d[3], normal[3] = {};
  if (!u.slaveOneDof && !u.mastersOneDof) {  // ordinary nodes: read u in place
    Real dh = -dot(unit, u.u, dim);
    for (Int i = 1; i <= g.m; ++i) {
      const Real* di = u.u + i * u.stride;
      Real c = 0.0;
#pragma GCC unroll 2
      for (int j = 0; j < dim - 1; ++j) c += xi[j] * g.wt[j][i - 1];
      dh += g.wa[i - 1] * dot(unit, di, dim) + c * dot(tmUnit, di, dim);
    }
    return dh;
  }
  u.slave(d);
  Real dh = -dot(unit, d, dim);
  for (Int i = 1; i <= g.m; ++i) {
    if (u.mastersOneDof) storedNormal(ndb, nix[g.k + i - 1], dim, rec, missing, normal);
    u.master(i, normal, d);
    Real c = 0.0;
    for (int j = 0; j < dim - 1; ++j) c += xi[j] * g.wt[j][i - 1];
    dh += g.wa[i - 1] * dot(unit, d, dim) + c * dot(tmUnit, d, dim);
  }
  return dh;
}

void deformable2D(Real* h, Real* xi, Real* n, Real* t, Real* p, const DeformableMaster& g, bool update,
                  const PairDisplacements& u, const Int* ndb, const Int* nix, Real* rec) {
  Real p0[2], s[1][3];
  weightedSums<2>(g.wa, g.wt, g.x, g.ldx, g.m, g.k, p0, s);
  matrixTimes(g.tm, s[0], t, 2);
  n[0] = -t[1];
  n[1] = t[0];
  normalise(n, 2);
  lineClearance(p0, t, g.x, xi, h);
  for (int c = 0; c < 2; ++c) p[c] = p0[c] + *xi * t[c];
  if (update) *h += deformableUpdate<2>(g, n, xi, u, ndb, nix, rec, kMissing2D);
}

void deformable3D(Real* h, Real* xi1, Real* xi2, Real* n, Real* tt, Real* p, const DeformableMaster& g,
                  bool update, const PairDisplacements& u, const Int* ndb, const Int* nix, Real* rec) {
  Real p0[3], s[2][3];
  weightedSums<3>(g.wa, g.wt, g.x, g.ldx, g.m, g.k, p0, s);
  matrixTimes(g.tm, s[0], tt, 3);
  matrixTimes(g.tm, s[1], tt + 3, 3);
  crossProduct(tt, tt + 3, n);
  Real unit[3] = {n[0], n[1], n[2]};
  normalise(unit, 3);
  Real xi[2];
  planeClearance(unit, tt, p0, g.x, xi, h, p);
  *xi1 = xi[0];
  *xi2 = xi[1];
  if (update) *h += deformableUpdate<3>(g, unit, xi, u, ndb, nix, rec, kMissing3D);
}

// Rigid master: x(:, 2) is the reference node R, u its translations u_r after the slave's
// entries (slaveEntries) and then its rotation theta.
struct RigidMotion {
  const Real* ur;
  const Real* theta;
};

RigidMotion rigidMotion(const Real* u, int slaveEntries, int dim) {
  return {u + slaveEntries, u + slaveEntries + dim};
}

void rigid2D(Real* h, Real* xi, Real* n, Real* t, Real* off, const Real* anc, const Real* tr, const Real* x,
             const Int* ldx, const Real* u, Real* p, bool current, bool update, const PairDisplacements& slave) {
  const Real* r = column(x, ldx, 2);
  const RigidMotion motion = rigidMotion(u, slave.slaveOneDof ? 1 : 2, 2);
  if (current) {
    const Real c = std::cos(*motion.theta), s = std::sin(*motion.theta);
    const Real a[2] = {anc[0] - (r[0] - motion.ur[0]), anc[1] - (r[1] - motion.ur[1])};
    off[0] = c * a[0] - s * a[1];
    off[1] = s * a[0] + c * a[1];
    t[0] = c * tr[0] - s * tr[1];
    t[1] = s * tr[0] + c * tr[1];
  } else {
    off[0] = anc[0] - r[0];
    off[1] = anc[1] - r[1];
    t[0] = tr[0];
    t[1] = tr[1];
  }
  const Real p0[2] = {r[0] + off[0], r[1] + off[1]};
  lineClearance(p0, t, x, xi, h);
  n[0] = -t[1];
  n[1] = t[0];
  for (int c = 0; c < 2; ++c) p[c] = p0[c] + *xi * t[c];
  if (!update) return;
  Real ds[2];
  slave.slave(ds);
  const Real q[2] = {off[0] + *xi * t[0], off[1] + *xi * t[1]};
  *h += n[0] * (motion.ur[0] - ds[0]) + n[1] * (motion.ur[1] - ds[1]) + *motion.theta * (q[0] * n[1] - q[1] * n[0]);
}

void rigid3D(Real* h, Real* xi, Real* n, Real* tt, Real* on, Real* ot1, Real* ot2, Real* off, const Real* anc,
             const Real* tr1, const Real* tr2, const Real* x, const Int* ldx, const Real* u, Real* p,
             const Int* mode, bool solvePlane, const PairDisplacements& slave) {
  const Real* r = column(x, ldx, 2);
  const RigidMotion motion = rigidMotion(u, slave.slaveOneDof ? 1 : 3, 3);
  const bool current = mode != nullptr && *mode == 1;
  Real normal[3];
  AXPRD(tr1, tr2, normal);
  if (current) {
    constexpr Int one = 1;
    const Real a[3] = {anc[0] - (r[0] - motion.ur[0]), anc[1] - (r[1] - motion.ur[1]),
                       anc[2] - (r[2] - motion.ur[2])};
    ANROTSHR(normal, n, motion.theta, &one, mode);
    ANROTSHR(tr1, tt, motion.theta, &one, mode);
    ANROTSHR(tr2, tt + 3, motion.theta, &one, mode);
    ANROTSHR(a, off, motion.theta, &one, mode);
  } else {
    for (int c = 0; c < 3; ++c) {
      n[c] = normal[c];
      tt[c] = tr1[c];
      tt[3 + c] = tr2[c];
      off[c] = anc[c] - r[c];
    }
  }
  const Real p0[3] = {r[0] + off[0], r[1] + off[1], r[2] + off[2]};
  if (solvePlane) {
    planeClearance(n, tt, p0, x, xi, h, p);
  } else {
    const Real rel[3] = {x[0] - p0[0], x[1] - p0[1], x[2] - p0[2]};
    xi[0] = dot(rel, tt, 3);
    xi[1] = dot(rel, tt + 3, 3);
    *h = -dot(n, rel, 3);
    for (int c = 0; c < 3; ++c) p[c] = p0[c] + xi[0] * tt[c] + xi[1] * tt[3 + c];
  }
  AXPRD(off, n, on);
  AXPRD(off, tt, ot1);
  AXPRD(off, tt + 3, ot2);
  if (current) return;
  Real ds[3], q[3], qn[3];
  slave.slave(ds);
  for (int c = 0; c < 3; ++c) q[c] = off[c] + xi[0] * tt[c] + xi[1] * tt[3 + c];
  AXPRD(q, n, qn);
  const Real rel[3] = {motion.ur[0] - ds[0], motion.ur[1] - ds[1], motion.ur[2] - ds[2]};
  *h += dot(n, rel, 3) + dot(motion.theta, qn, 3);
}

}  // namespace

extern "C" {

void SMSLIDDEF2DHDIST(Real* h, Real* xi, Real* n, Real* t, Real* p, const Real* wa, const Real* wt, const Real* x,
                      const Int* ldx, const Int* m, const Int* k, const Real* tm, const Real* u, const Int* mode,
                      const Int* ldu) {
  const DeformableMaster g{wa, {wt, nullptr}, x, ldx, *m, *k, tm};
  const PairDisplacements d{u, 2, *ldu, false, nullptr, false};
  deformable2D(h, xi, n, t, p, g, *mode != 1, d, nullptr, nullptr, nullptr);
}

void SMSLIDDEF2DHDIST_1DOF(Real* h, Real* xi, Real* n, Real* t, Real* p, const Real* wa, const Real* wt,
                           const Real* x, const Int* ldx, const Int* m, const Int* k, const Real* tm, const Real* u,
                           const Int* ldu, Real* rec, const Logical* sone, const Logical* mone, const Real* ns,
                           const Int* ndb, const Int* nix) {
  const DeformableMaster g{wa, {wt, nullptr}, x, ldx, *m, *k, tm};
  const PairDisplacements d{u, 2, *ldu, *sone != kFalse, ns, *mone != kFalse};
  deformable2D(h, xi, n, t, p, g, true, d, ndb, nix, rec);
}

void SMSLIDDEF3DHDIST(Real* h, Real* xi1, Real* xi2, Real* n, Real* tt, Real* p, const Real* wa, const Real* wt1,
                      const Real* wt2, const Real* x, const Int* ldx, const Int* m, const Int* k, const Real* tm,
                      const Real* u, const Int* mode) {
  const DeformableMaster g{wa, {wt1, wt2}, x, ldx, *m, *k, tm};
  const PairDisplacements d{u, 3, 3, false, nullptr, false};
  deformable3D(h, xi1, xi2, n, tt, p, g, *mode != 1, d, nullptr, nullptr, nullptr);
}

void SMSLIDDEF3DHDIST_1DOF(Real* h, Real* xi1, Real* xi2, Real* n, Real* tt, Real* p, const Real* wa,
                           const Real* wt1, const Real* wt2, const Real* x, const Int* ldx, const Int* m,
                           const Int* k, const Real* tm, const Real* u, Real* rec, const Logical* sone,
                           const Logical* mone, const Real* ns, const Int* ndb, const Int* nix) {
  const DeformableMaster g{wa, {wt1, wt2}, x, ldx, *m, *k, tm};
  const PairDisplacements d{u, 3, 3, *sone != kFalse, ns, *mone != kFalse};
  deformable3D(h, xi1, xi2, n, tt, p, g, true, d, ndb, nix, rec);
}

void SMSLIDRIGID2DHDIST(Real* h, Real* xi, Real* n, Real* t, Real* off, const Real* anc, const Real* tr,
                        const Real* x, const Int* ldx, const Real* u, Real* p, const Int* mode) {
  const PairDisplacements d{u, 2, 2, false, nullptr, false};
  rigid2D(h, xi, n, t, off, anc, tr, x, ldx, u, p, *mode == 1, *mode != 1, d);
}

void SMSLIDRIGID2DHDIST_1DOF(Real* h, Real* xi, Real* n, Real* t, Real* off, const Real* anc, const Real* tr,
                             const Real* x, const Int* ldx, const Real* u, Real* p, const Real* ns) {
  const PairDisplacements d{u, 2, 2, true, ns, false};
  rigid2D(h, xi, n, t, off, anc, tr, x, ldx, u, p, false, true, d);
}

void SMSLIDRIGID3DHDIST(Real* h, Real* xi, Real* n, Real* tt, Real* on, Real* ot1, Real* ot2, Real* off,
                        const Real* anc, const Real* tr1, const Real* tr2, const Real* x, const Int* ldx,
                        const Real* u, Real* p, const Int* mode) {
  const PairDisplacements d{u, 3, 3, false, nullptr, false};
  rigid3D(h, xi, n, tt, on, ot1, ot2, off, anc, tr1, tr2, x, ldx, u, p, mode, false, d);
}

void SMSLIDRIGID3DHDIST_1DOF(Real* h, Real* xi, Real* n, Real* tt, Real* on, Real* ot1, Real* ot2, Real* off,
                             const Real* anc, const Real* tr1, const Real* tr2, const Real* x, const Int* ldx,
                             const Real* u, Real* p, const Real* ns) {
  const PairDisplacements d{u, 3, 3, true, ns, false};
  rigid3D(h, xi, n, tt, on, ot1, ot2, off, anc, tr1, tr2, x, ldx, u, p, nullptr, true, d);
}

}  // extern "C"
