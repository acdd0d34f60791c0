// Small-sliding clearance to a tangent plane given once in the reference configuration and
// turned with the master facet: the rotation aligns the reference normal with the current one
// and then twists the turned reference bisector of the tangents onto the current bisector. Also
// the derivative of that rotation by each master node's displacement.

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
constexpr Real kAngleTiny = 2.22e-16;
constexpr char kMissing[] =
    "SYSTEM ERROR IN SmSlidDef3DHdist_1dof - COULD NOT FIND THE REFERENCE TO THE NORMAL VECTOR";

Real dot(const Real* a, const Real* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Real norm(const Real* a) { return std::sqrt(dot(a, a)); }

// The facet's tangent frame from the weighted node sums of one configuration.
struct Frame {
  Real s[2][3];   // weighted sums S1, S2
  Real len[2];    // |S1|, |S2|
  Real e[2][3];   // unit tangents
  Real normal[3]; // unit normal
  Real area;      // |S1 x S2|
  Real bisector[3];
  Real bisectorLength;  // |e1 + e2|
};

// Builds the frame; false when a tangent, the normal or the bisector is shorter than 1e-36.
bool buildFrame(const Real* w, const Real* x, const Int* ldx, Int m, Int k, Frame& f) {
  for (int j = 0; j < 2; ++j) {
    for (int c = 0; c < 3; ++c) f.s[j][c] = 0.0;
    for (Int i = 1; i <= m; ++i) {
      const Real* xi = x + static_cast<long>(k + i - 1) * *ldx;
      for (int c = 0; c < 3; ++c) f.s[j][c] += w[j * m + i - 1] * xi[c];
    }
  }
  for (int j = 0; j < 2; ++j) {
    f.len[j] = norm(f.s[j]);
    if (f.len[j] < kTiny) return false;
    for (int c = 0; c < 3; ++c) f.e[j][c] = f.s[j][c] / f.len[j];
  }
  AXPRD(f.s[0], f.s[1], f.normal);
  f.area = norm(f.normal);
  if (f.area < kTiny) return false;
  for (int c = 0; c < 3; ++c) {
    f.normal[c] /= f.area;
    f.bisector[c] = f.e[0][c] + f.e[1][c];
  }
  f.bisectorLength = norm(f.bisector);
  if (f.bisectorLength < kTiny) return false;
  for (int c = 0; c < 3; ++c) f.bisector[c] /= f.bisectorLength;
  return true;
}

// Turns count 3-vectors by the finite rotation r, whatever the job's rotation setting: the plane
// follows the facet's actual rotation.
void turn(const Real* from, Real* to, const Real* r, Int count) {
  constexpr Int finite = 1;
  ANROTSHR(from, to, r, &count, &finite);
}

// Rotation vector of angle atan2(|c|, cosine) about c; a vanishing c with a non-zero angle (a
// half turn) takes the fallback axis, perpendicular to what is turned.
void rotationAbout(const Real* c, Real cosine, const Real* fallback, Real* r) {
  const Real length = norm(c);
  const Real angle = std::atan2(length, cosine);
  if (length >= kTiny) {
    for (int i = 0; i < 3; ++i) r[i] = c[i] * angle / length;
  } else if (std::fabs(angle) > kAngleTiny) {
    const Real fl = norm(fallback);
    for (int i = 0; i < 3; ++i) r[i] = fallback[i] * angle / fl;
  } else {
    for (int i = 0; i < 3; ++i) r[i] = c[i];
  }
}

// The rotation from the reference frame to the current one: align the normals, then the
// bisectors.
void frameRotation(const Frame& ref, const Frame& cur, Real* r) {
  Real c[3], axis[3], r1[3];
  AXPRD(ref.normal, cur.normal, c);
  const Real cosine = dot(ref.normal, cur.normal);
  if (cosine < 0) {
    // Near a half turn c is as small as the rounding of its products, and that rounding gives it a
    // part along nref that would tilt the aligning turn by about rounding / |c|. The true axis is
    // normal to nref: keep only that part (nothing left means the fallback axis below).
    const Real along = dot(c, ref.normal);
    for (int i = 0; i < 3; ++i) c[i] -= along * ref.normal[i];
  }
  if (std::fabs(ref.normal[0]) < 0.9999985) {
    axis[0] = 0.0, axis[1] = ref.normal[2], axis[2] = -ref.normal[1];
  } else {
    axis[0] = ref.normal[1], axis[1] = -ref.normal[0], axis[2] = 0.0;
  }
  rotationAbout(c, cosine, axis, r1);
  // The twist turns about the current normal: b1 and the current bisector are both normal to
  // it, so b1 x b' lies along it. Its component along the normal gives the signed angle; taken
  // this way the twist keeps its axis also near a half turn, where the cross product is rounding.
  Real b1[3], d[3], r2[3];
  turn(ref.bisector, b1, r1, 1);
  AXPRD(b1, cur.bisector, d);
  const Real twist = std::atan2(dot(cur.normal, d), dot(cur.bisector, b1));
  for (int i = 0; i < 3; ++i) r2[i] = twist * cur.normal[i];
  COMPROT(r2, r1, r);
}

void skew(const Real* a, Real* s) { SHR_AXIALTOSKEW(a, s); }

// C = A B for 3 x 3 column-major matrices.
void product(const Real* a, const Real* b, Real* c) {
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i) c[j * 3 + i] = a[i] * b[j * 3] + a[3 + i] * b[j * 3 + 1] + a[6 + i] * b[j * 3 + 2];
}

// (I - v v^T) / length.
void projector(const Real* v, Real length, Real* p) {
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i) p[j * 3 + i] = ((i == j ? 1.0 : 0.0) - v[i] * v[j]) / length;
}

// D(i) = K(n) K(z(i)) + w(i,1) C1 + w(i,2) C2 with Cj = (I + K(n) K(n)) K(b) Pb Pj on the frame
// f, z(i) = (w(i,2) S1 - w(i,1) S2) / area from the current sums.
void derivatives(const Frame& f, const Real* s1, const Real* s2, Real area, const Real* w, Int m, Real* dm) {
  Real kn[9], kb[9], knkn[9], pb[9], pj[9], t1[9], t2[9], c[2][9];
  skew(f.normal, kn);
  skew(f.bisector, kb);
  product(kn, kn, knkn);
  for (int i = 0; i < 9; i += 4) knkn[i] += 1.0;
  projector(f.bisector, f.bisectorLength, pb);
  product(knkn, kb, t1);
  product(t1, pb, t2);
  for (int j = 0; j < 2; ++j) {
    projector(f.e[j], f.len[j], pj);
    product(t2, pj, c[j]);
  }
  for (Int i = 1; i <= m; ++i) {
    const Real w1 = w[i - 1], w2 = w[m + i - 1];
    Real z[3], kz[9];
    for (int q = 0; q < 3; ++q) z[q] = (w2 * s1[q] - w1 * s2[q]) / area;
    skew(z, kz);
    Real* d = dm + 9 * i;
    product(kn, kz, d);
    for (int q = 0; q < 9; ++q) d[q] += w1 * c[0][q] + w2 * c[1][q];
  }
}

struct Inputs {
  const Real* wa;
  const Real* w;
  const Real* x;
  const Int* ldx;
  Int m, k;
  const Real* x0;
  const Real* tref;
};

void clearance(Real* h, Real* xi1, Real* xi2, Real* n, Real* tt, Real* p, const Inputs& in, bool rotate, bool update,
               const PairDisplacements& u, const Int* ndb, const Int* nix, Real* rec, Real* dm) {
  *h = kUnset;
  *xi1 = *xi2 = 0.0;
  for (int c = 0; c < 3; ++c) n[c] = p[c] = 0.0;
  for (int c = 0; c < 6; ++c) tt[c] = 0.0;
  for (Int q = 0; q < 9 * (in.m + 1); ++q) dm[q] = 0.0;

  // The reference frame is read by the rotation and by the master nodes' derivatives; a
  // degenerate one ends the routine as a degenerate current frame does, where it is read.
  Frame ref, cur;
  if (!buildFrame(in.w, in.x0, in.ldx, in.m, in.k, ref) && (rotate || in.m > 0)) return;
  Real r[3] = {0.0, 0.0, 0.0};
  if (rotate) {
    if (!buildFrame(in.w, in.x, in.ldx, in.m, in.k, cur)) return;
    frameRotation(ref, cur, r);
    derivatives(cur, cur.s[0], cur.s[1], cur.area, in.w, in.m, dm);
  } else if (in.m > 0) {
    // The current sums enter z(i); a degenerate current frame does not matter here.
    Frame sums;
    buildFrame(in.w, in.x, in.ldx, in.m, in.k, sums);
    derivatives(ref, sums.s[0], sums.s[1], ref.area, in.w, in.m, dm);
  }

  constexpr Int three = 3;
  turn(in.tref, tt, r, 2);
  Int status = 0;
  ANORM(tt, &three, &status);
  ANORM(tt + 3, &three, &status);
  AXPRD(tt, tt + 3, n);
  ANORM(n, &three, &status);

  Real p0[3] = {0.0, 0.0, 0.0};
  for (Int i = 1; i <= in.m; ++i) {
    const Real* xi = in.x + static_cast<long>(in.k + i - 1) * *in.ldx;
    for (int c = 0; c < 3; ++c) p0[c] += in.wa[i - 1] * xi[c];
  }
  Logical singular = kFalse;
  Real foot[3], xi[2];
  FNDMINDISTTOPLANE(n, tt, p0, in.x, foot, xi, h, &singular);
  if (singular != kFalse) xi[0] = xi[1] = 0.0, *h = kUnset;
  *xi1 = xi[0];
  *xi2 = xi[1];
  for (int c = 0; c < 3; ++c) p[c] = p0[c] + xi[0] * tt[c] + xi[1] * tt[3 + c];
  if (!update) return;

  Real v[3], d[3], normal[3] = {};
  for (int c = 0; c < 3; ++c) v[c] = xi[1] * tt[c] - xi[0] * tt[3 + c];
  u.slave(d);
  Real dh = -dot(n, d);
  for (Int i = 1; i <= in.m; ++i) {
    if (u.mastersOneDof) storedNormal(ndb, nix[in.k + i - 1], 3, rec, kMissing, normal);
    u.master(i, normal, d);
    const Real* di = dm + 9 * i;
    Real g[3];
    for (int c = 0; c < 3; ++c) g[c] = in.wa[i - 1] * n[c] + di[c * 3] * v[0] + di[c * 3 + 1] * v[1] + di[c * 3 + 2] * v[2];
    dh += dot(g, d);
  }
  *h += dh;
}

}  // namespace

extern "C" {

void SHR_SMSLIDDEF3DHDIST(Real* h, Real* xi1, Real* xi2, Real* n, Real* tt, Real* p, const Real* wa, const Real* w,
                          const Real* x, const Int* ldx, const Int* m, const Int* k, const Real* u, const Int* mode,
                          const Real* x0, const Real* tref, Real* dm) {
  const Inputs in{wa, w, x, ldx, *m, *k, x0, tref};
  const PairDisplacements d{u, 3, 3, false, nullptr, false};
  clearance(h, xi1, xi2, n, tt, p, in, *mode != 0, *mode == 0, d, nullptr, nullptr, nullptr, dm);
}

void SHR_SMSLIDDEF3DHDIST_1DOF(Real* h, Real* xi1, Real* xi2, Real* n, Real* tt, Real* p, const Real* wa,
                               const Real* w, const Real* x, const Int* ldx, const Int* m, const Int* k,
                               const Real* u, Real* rec, const Logical* sone, const Logical* mone, const Real* ns,
                               const Int* ndb, const Int* nix, const Real* x0, const Real* tref, Real* dm,
                               const Int* mode) {
  const Inputs in{wa, w, x, ldx, *m, *k, x0, tref};
  const PairDisplacements d{u, 3, 3, *sone != kFalse, ns, *mone != kFalse};
  clearance(h, xi1, xi2, n, tt, p, in, *mode != 0, true, d, ndb, nix, rec, dm);
}

}  // extern "C"
