// Closest points on B-spline edges and faces: start refinement by sampling around a candidate
// parameter, the Newton projections onto an edge (with second-order steps) and onto a face (damped
// by the backtracking line search), and the distance to a face's boundary control points.
// Everything runs in fixed local storage.

#include <algorithm>
#include <cmath>
#include <iterator>

#include "geometry/support/line_search.h"
#include "siblings/eqc/eqc_arrays.h"
#include "zmx/geometry/bspline.h"

namespace {

constexpr Real kNoDistance = -1e36;
constexpr Real kNone = 1e36;
constexpr Real kTiny = 1e-36;
constexpr Real kResidual = 1e-6;
constexpr Real kSkewSine = 0.0174524064373;  // sin 1 degree
constexpr int kEdgeSteps = 8;
constexpr int kFaceSteps = 11;
constexpr int kHalvings = 5;

Int clampedDim(Int ndim) { return std::clamp<Int>(ndim, 0, 3); }
void zero(Real* a, Int n) { std::fill(a, a + std::max<Int>(n, 0), 0.0); }
Real dot2(const Real* a, const Real* b) { return a[0] * b[0] + a[1] * b[1]; }
Real dot3(const Real* a, const Real* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// One to three samples around candidate k of c(1..n): the midpoints to its neighbours and itself.
int samples(const Real* c, Int k, Int n, Real (&s)[3]) {
  if (n < 2) {
    s[0] = c[k - 1];
    return 1;
  }
  int count = 0;
  if (k > 1) s[count++] = 0.5 * (c[k - 2] + c[k - 1]);
  s[count++] = c[k - 1];
  if (k < n) s[count++] = 0.5 * (c[k - 1] + c[k]);
  return count;
}

// Nearest and second nearest of the samples seen so far (squared distances).
template <class Sample>
struct Ranking {
  Sample best{}, second{};
  Real bestQ = kNone * kNone, secondQ = kNone * kNone;
  bool hasBest = false, hasSecond = false;

  void offer(const Sample& s, Real q) {
    if (!hasBest || q < bestQ) {
      if (hasBest) second = best, secondQ = bestQ, hasSecond = true;
      best = s, bestQ = q, hasBest = true;
    } else if (!hasSecond || q < secondQ) {
      second = s, secondQ = q, hasSecond = true;
    }
  }
  // A halving sample: true while it improved on the second.
  bool refine(const Sample& s, Real q) {
    if (q < bestQ) {
      second = best, secondQ = bestQ;
      best = s, bestQ = q;
      return true;
    }
    if (q < secondQ) {
      second = s, secondQ = q;
      return true;
    }
    return false;
  }
};

struct EdgeArgs {
  bool rational;
  const Int *p, *nknot;
  const Real *t, *cp;
  const Int *ldim, *ndim;
  const Real* w;
  const Logical* lper;
  const Real *lo, *hi;
};

// Squared distance in the plane from pt to the edge point at u; false on an evaluator error.
bool edgeSquared(const EdgeArgs& e, const Real* pt, Real u, Int span, Real& q) {
  Real x[3] = {0.0, 0.0, 0.0};
  Int ierr = 0;
  if (e.rational)
    BSPLINERATEDGE(x, e.p, e.nknot, e.t, e.cp, e.ldim, e.ndim, e.w, &u, &span, e.lper, e.lo, e.hi, &ierr);
  else
    BSPLINENONRATEDGE(x, e.p, e.nknot, e.t, e.cp, e.ldim, e.ndim, &u, &span, e.lper, e.lo, e.hi, &ierr);
  const Real d[2] = {pt[0] - x[0], pt[1] - x[1]};
  q = dot2(d, d);
  return ierr == 0;
}

struct FaceArgs {
  const Int *pu, *pv, *nku, *nkv;
  const Real *tu, *tv, *cp;
  const Int *ldim, *ncu, *ndim;
  const Real* w;
  const Logical *lperu, *lperv;
  const Real *umin, *umax, *vmin, *vmax;
  const Logical* lrat;

  Int evaluate(Real* x, Real u, Real v, Int& su, Int& sv) const {
    Int ierr = 0;
    BSPLINE_FACE(x, pu, pv, nku, nkv, tu, tv, cp, ldim, ncu, ndim, w, &u, &v, &su, &sv, lperu, lperv, umin, umax,
                 vmin, vmax, lrat, &ierr);
    return ierr;
  }
  Int derivatives(Real* d, Int order, Real u, Real v, Int& su, Int& sv) const {
    const Int ldd = 3;
    Int ierr = 0;
    BSPLINE_FACE_DERIV(d, &ldd, &order, pu, pv, nku, nkv, tu, tv, cp, ldim, ncu, ndim, w, &u, &v, &su, &sv, lperu,
                       lperv, umin, umax, vmin, vmax, lrat, &ierr);
    return ierr;
  }
};

bool faceSquared(const FaceArgs& f, const Real* pt, Real u, Real v, Int su, Int sv, Real& q) {
  Real x[3] = {0.0, 0.0, 0.0};
  const Int ierr = f.evaluate(x, u, v, su, sv);
  const Real d[3] = {pt[0] - x[0], pt[1] - x[1], pt[2] - x[2]};
  q = dot3(d, d);
  return ierr == 0;
}

// The smaller root of f + f1 r + (f2 / 2) r^2 = 0 when it lands in [lo, hi] and the model is
// solved there to the convergence test's accuracy.
bool secondOrderStep(Real f, Real f1, Real f2, Real t, Real lo, Real hi, Real scale, Real& r) {
  const Real half = 0.5 * f2;
  const Real disc = f1 * f1 - 2.0 * f * f2;
  if (!(std::fabs(half) > kTiny) || !(disc >= 0.0)) return false;
  const Real root = std::sqrt(disc);
  const Real plus = (-f1 + root) / f2, minus = (-f1 - root) / f2;
  r = std::fabs(minus) < std::fabs(plus) ? minus : plus;
  const Real landed = t + r;
  if (!(landed >= lo && landed <= hi)) return false;
  return std::fabs(f + f1 * r + half * r * r) <= kResidual * scale;
}

// Face geometry at one iterate: residual r = (x_u . d, x_v . d) and its Jacobian H.
struct FaceState {
  Real d[18];
  Real dist[3];
  Real r[2];
  Real h[2][2];
};

void faceResidual(const Real* pt, FaceState& s, bool second) {
  const Real* x = s.d;
  const Real* xu = s.d + 3;
  const Real* xv = s.d + 6;
  for (int i = 0; i < 3; ++i) s.dist[i] = pt[i] - x[i];
  s.r[0] = dot3(xu, s.dist);
  s.r[1] = dot3(xv, s.dist);
  if (!second) return;
  s.h[0][0] = dot3(s.d + 9, s.dist) - dot3(xu, xu);
  s.h[0][1] = s.h[1][0] = dot3(s.d + 12, s.dist) - dot3(xu, xv);
  s.h[1][1] = dot3(s.d + 15, s.dist) - dot3(xv, xv);
}

// Foot outputs of a converged face iterate; 0 or ANORM's flag.
Int faceFoot(const FaceState& s, const Real* pt, Int ndim, Real* distance, Real* foot, Real* tangents,
             Real* curvatures, Real* skew) {
  const Real* x = s.d;
  const Real *xu = s.d + 3, *xv = s.d + 6, *xuu = s.d + 9, *xuv = s.d + 12, *xvv = s.d + 15;
  std::copy_n(x, clampedDim(ndim), foot);
  Real t1[3] = {xu[0], xu[1], xu[2]}, t2[3] = {xv[0], xv[1], xv[2]}, n[3];
  const Int three = 3;
  Int flag = 0;
  ANORM(t1, &three, &flag);
  if (flag != 0) return flag;
  ANORM(t2, &three, &flag);
  if (flag != 0) return flag;
  std::copy_n(t1, 3, tangents);
  std::copy_n(t2, 3, tangents + 3);
  AXPRD(t1, t2, n);
  ANORM(n, &three, &flag);
  if (flag != 0) return flag;
  const Real lu2 = dot3(xu, xu), lv2 = dot3(xv, xv);
  const Real lu = std::sqrt(lu2), lv = std::sqrt(lv2);
  curvatures[0] = dot3(xuu, n) / lu2;
  curvatures[1] = dot3(xvv, n) / lv2;
  curvatures[2] = dot3(xuv, n) / (lu * lv);
  if (std::fabs(dot3(t1, t2)) > kSkewSine) {
    skew[1] = dot3(xuu, t2) / lu2 - dot3(xuu, xu) * dot3(xu, t2) / (lu2 * lu2);
    skew[2] = dot3(xuv, t1) / (lu * lv) - dot3(xuv, xv) * dot3(xv, t1) / (lv2 * lu * lv);
    skew[5] = dot3(xuv, t2) / (lu * lv) - dot3(xuv, xu) * dot3(xu, t2) / (lu2 * lu * lv);
    skew[6] = dot3(xvv, t1) / lv2 - dot3(xvv, xv) * dot3(xv, t1) / (lv2 * lv2);
  }
  const Real gap[3] = {x[0] - pt[0], x[1] - pt[1], x[2] - pt[2]};
  *distance = dot3(gap, n);
  return 0;
}

}  // namespace

extern "C" {

ZMX_EXPORT void IMPROVE_GUESS_2DBSPLINE(const Real* pt, const Logical* rational, const Int* p, const Int* nknot,
                                        const Real* t, const Real* cp, const Int* ldim, const Int* ndim,
                                        const Real* w, const Int* ispan, const Logical* lper, const Real* umin,
                                        const Real* umax, Real* u, const Real* candidates, const Int* k,
                                        const Int* n) {
  if (*n < 1 || *k < 1 || *k > *n) return;
  Real s[3];
  const int count = samples(candidates, *k, *n, s);
  if (count < 2) return;
  const EdgeArgs e{isTrueLowBit(*rational), p, nknot, t, cp, ldim, ndim, w, lper, umin, umax};
  Ranking<Real> rank;
  for (int i = 0; i < count; ++i) {
    Real q;
    if (!edgeSquared(e, pt, s[i], *ispan, q)) return;
    rank.offer(s[i], q);
  }
  for (int i = 0; i < kHalvings; ++i) {
    const Real mid = 0.5 * (rank.best + rank.second);
    Real q;
    if (!edgeSquared(e, pt, mid, *ispan, q) || !rank.refine(mid, q)) break;
  }
  *u = rank.best;
}

ZMX_EXPORT void IMPROVE_GUESS_3DBSPLINE(const Real* pt, const Int* pu, const Int* pv, const Int* nku, const Int* nkv,
                                        const Real* tu, const Real* tv, const Real* cp, const Int* ldim,
                                        const Int* ncu, const Int* ndim, const Real* w, Real* u, Real* v,
                                        const Int* ispanu, const Int* ispanv, const Logical* lperu,
                                        const Logical* lperv, const Real* umin, const Real* umax, const Real* vmin,
                                        const Real* vmax, const Logical* lrat, const Real* candidatesU,
                                        const Real* candidatesV, const Int* ku, const Int* kv, const Int* nu,
                                        const Int* nv) {
  if (*nu < 1 || *nv < 1 || *ku < 1 || *ku > *nu || *kv < 1 || *kv > *nv) return;
  Real su[3], sv[3];
  const int cu = samples(candidatesU, *ku, *nu, su);
  const int cv = samples(candidatesV, *kv, *nv, sv);
  if (cu * cv < 2) return;
  const FaceArgs f{pu, pv, nku, nkv, tu, tv, cp, ldim, ncu, ndim, w, lperu, lperv, umin, umax, vmin, vmax, lrat};
  struct Pair {
    Real u, v;
  };
  Ranking<Pair> rank;
  for (int i = 0; i < cu; ++i)
    for (int j = 0; j < cv; ++j) {
      Real q;
      if (!faceSquared(f, pt, su[i], sv[j], *ispanu, *ispanv, q)) return;
      rank.offer({su[i], sv[j]}, q);
    }
  for (int i = 0; i < kHalvings; ++i) {
    const Pair mid{0.5 * (rank.best.u + rank.second.u), 0.5 * (rank.best.v + rank.second.v)};
    Real q;
    if (!faceSquared(f, pt, mid.u, mid.v, *ispanu, *ispanv, q)) return;
    if (!rank.refine(mid, q)) break;
  }
  *u = rank.best.u;
  *v = rank.best.v;
}

ZMX_EXPORT void FNDDISTTOBSPLINE(const Real* pt, const Logical* rational, const Int* p, const Int* nknot,
                                 const Real* t, const Real* cp, const Int* ldim, const Int* ndim, const Real* w,
                                 Int* ispan, const Logical* lper, const Real* lo, const Real* hi,
                                 const Real* distanceTolerance, const Real* parameterTolerance, Real* u,
                                 Real* distance, Real* foot, Real* tangent, Real* curvature, Int* ierr) {
  const Int nd = clampedDim(*ndim);
  *distance = kNoDistance;
  zero(foot, nd);
  zero(tangent, nd);
  *curvature = 0.0;
  *ierr = 0;
  const bool closed = isTrueLowBit(*lper);
  const Int m = *nknot;
  if (!closed && m >= 1) *u = std::clamp(*u, t[0], std::max(t[0], t[m - 1]));
  const Int ldd = 3, nder = 3;
  Real d[12];
  Real previous = kNone;
  for (int step = 1;; ++step) {
    if (isTrueLowBit(*rational))
      BSPLINERATEDGE_DERIV(d, &ldd, &nder, p, nknot, t, cp, ldim, ndim, w, u, ispan, lper, lo, hi, ierr);
    else
      BSPLINENONRATEDGE_DERIV(d, &ldd, &nder, p, nknot, t, cp, ldim, ndim, u, ispan, lper, lo, hi, ierr);
    if (*ierr != 0) return;
    const Real *x = d, *x1 = d + 3, *x2 = d + 6, *x3 = d + 9;
    const Real gap[2] = {pt[0] - x[0], pt[1] - x[1]};
    const Real f = dot2(x1, gap);
    const Real f1 = dot2(x2, gap) - dot2(x1, x1);
    const Real f2 = dot2(x3, gap) - 3.0 * dot2(x2, x1);
    const Real scale = std::sqrt(dot2(gap, gap)) * std::sqrt(dot2(x1, x1));
    if (std::sqrt(dot2(gap, gap)) <= *distanceTolerance || std::fabs(previous) <= *parameterTolerance ||
        std::fabs(f) <= kResidual * scale)
      break;
    if (step > kEdgeSteps) {
      *ierr = 1;
      return;
    }
    Real r;
    if (!secondOrderStep(f, f1, f2, *u, *lo, *hi, scale, r)) {
      if (std::fabs(f1) > kTiny) {
        r = -f / f1;
      } else {
        const Int k = std::clamp<Int>(*ispan, 1, std::max<Int>(m - 1, 1));
        r = 0.25 * (t[k] - t[k - 1]);
        if (*u + r > t[k]) r = -r;
      }
    }
    if (!std::isfinite(r) || !std::isfinite(*u + r)) {
      *ierr = 1;
      return;
    }
    *u += r;
    previous = r;
  }
  std::copy_n(d, nd, foot);
  std::copy_n(d + 3, nd, tangent);
  Int flag = 0;
  ANORM(tangent, &nd, &flag);
  if (flag != 0) {
    *ierr = flag;
    return;
  }
  if (*ndim == 2) {
    const Real n[2] = {-tangent[1], tangent[0]};
    const Real gap[2] = {d[0] - pt[0], d[1] - pt[1]};
    *distance = dot2(gap, n);
    *curvature = dot2(n, d + 6) / dot2(d + 3, d + 3);
  } else {
    Real sum = 0.0;
    for (Int i = 0; i < nd; ++i) sum += (d[i] - pt[i]) * (d[i] - pt[i]);
    *distance = std::sqrt(sum);
  }
}

ZMX_EXPORT void FNDDISTTO3DBSPLINE(const Real* pt, const Int* pu, const Int* pv, const Int* nku, const Int* nkv,
                                   const Real* tu, const Real* tv, const Real* cp, const Int* ldim, const Int* ncu,
                                   const Int* ndim, const Real* w, Real* u, Real* v, Int* ispanu, Int* ispanv,
                                   const Logical* lperu, const Logical* lperv, const Real* umin, const Real* umax,
                                   const Real* vmin, const Real* vmax, const Logical* lrat,
                                   const Real* distanceTolerance, const Real* parameterTolerance, Real* distance,
                                   Real* foot, Real* tangents, Real* curvatures, Real* skew, Int* ierr) {
  *distance = kNoDistance;
  zero(foot, clampedDim(*ndim));
  zero(tangents, 6);
  zero(curvatures, 3);
  zero(skew, 8);
  *ierr = 0;
  if (!isTrueLowBit(*lperu) && *nku >= 1) *u = std::clamp(*u, tu[0], std::max(tu[0], tu[*nku - 1]));
  if (!isTrueLowBit(*lperv) && *nkv >= 1) *v = std::clamp(*v, tv[0], std::max(tv[0], tv[*nkv - 1]));
  const FaceArgs f{pu, pv, nku, nkv, tu, tv, cp, ldim, ncu, ndim, w, lperu, lperv, umin, umax, vmin, vmax, lrat};
  FaceState s{};
  Real previous[2] = {kNone, kNone};
  for (int step = 1;; ++step) {
    std::fill(std::begin(s.d), std::end(s.d), 0.0);
    *ierr = f.derivatives(s.d, 2, *u, *v, *ispanu, *ispanv);
    if (*ierr != 0) return;
    faceResidual(pt, s, true);
    const Real gap = std::sqrt(dot3(s.dist, s.dist));
    if (gap <= *distanceTolerance || std::max(std::fabs(previous[0]), std::fabs(previous[1])) <= *parameterTolerance ||
        (std::fabs(s.r[0]) <= kResidual * gap * std::sqrt(dot3(s.d + 3, s.d + 3)) &&
         std::fabs(s.r[1]) <= kResidual * gap * std::sqrt(dot3(s.d + 6, s.d + 6))))
      break;
    if (step > kFaceSteps) {
      *ierr = 1;
      return;
    }
    Real dir[2];
    zmx::geometry::nearestPointStep(s.r, s.h, dir);
    const Real f0 = 0.5 * (s.r[0] * s.r[0] + s.r[1] * s.r[1]);
    const Real slope = zmx::geometry::slopeAlong(s.r, s.h, dir);
    Real x[2] = {*u, *v};
    Int trialU = *ispanu, trialV = *ispanv, evaluatorError = 0;
    auto value = [&](const Real(&uv)[2], Real& fv) {
      FaceState trial{};
      trialU = *ispanu, trialV = *ispanv;
      evaluatorError = f.derivatives(trial.d, 1, uv[0], uv[1], trialU, trialV);
      if (evaluatorError != 0) return false;
      faceResidual(pt, trial, false);
      fv = 0.5 * (trial.r[0] * trial.r[0] + trial.r[1] * trial.r[1]);
      return true;
    };
    if (!zmx::geometry::backtrack(x, dir, f0, slope, value)) {
      *ierr = evaluatorError != 0 ? evaluatorError : 1;
      return;
    }
    previous[0] = x[0] - *u, previous[1] = x[1] - *v;
    *u = x[0], *v = x[1];
    *ispanu = trialU, *ispanv = trialV;
  }
  *ierr = faceFoot(s, pt, *ndim, distance, foot, tangents, curvatures, skew);
}

ZMX_EXPORT void DISTTOEDGE3DBSPLINE(Real* distance, const Real* pt, const Int* iu1, const Int* iv1, const Int* iu2,
                                    const Int* iv2, const Real* cn, const Int* ld, const Int* nu, const Int* nv,
                                    const Int* flagU, const Int* flagV) {
  const long long lda = *ld, ldb = lda * *nu;
  Real nearest = kNone;
  auto take = [&](Int j, Int k) {
    const Real* c = cn + (j - 1) * lda + (k - 1) * ldb;
    const Real d[3] = {pt[0] - c[0], pt[1] - c[1], pt[2] - c[2]};
    nearest = std::min(nearest, dot3(d, d));
  };
  const bool columns = *flagU == 1 || *iu1 != *iu2;
  const bool rows = *flagV == 1 || *iv1 != *iv2;
  if (columns)
    for (Int k = 1; k <= *nv; ++k) take(1, k), take(*nu, k);
  if (rows)
    for (Int j = 1; j <= *nu; ++j) take(j, 1), take(j, *nv);
  *distance = (columns || rows) ? std::sqrt(nearest) : 1e18;
}

}  // extern "C"
