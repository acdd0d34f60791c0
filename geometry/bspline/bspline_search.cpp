// Closest point of a slave point on a B-spline edge or face covered by candidate pieces: the
// candidates are ranked by the distance to their reference point less 2.5 radii and projected
// nearest first, until no remaining candidate can beat the best foot found.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "storage/db_units/work_room.h"
#include "zmx/geometry/bspline.h"
#include "zmx/numerics/sorting.h"

namespace {

constexpr Real kNoDistance = -1e36;
constexpr Real kNone = 1e36;
constexpr Real kFlat = 2.22e-16;

// Sort keys and candidate numbers, in the caller's work array. DBCORE is asked for the room
// whenever the caller's size is smaller; a raise it cannot give it reports, and the search goes
// on. Only the search reads the keys, so where the array cannot hold them they go to scratch of
// the routine's own, kept from call to call (the searches run one at a time).
class Ranking {
 public:
  // false when no storage could be had.
  bool prepare(Real* work, Int* size, Int count, long long need) {
    count_ = count;
    const zmx::units::WorkRoom room(work, *size);
    room.grow(need, size);
    if (room.holds(need)) {
      keys_ = work;
      return true;
    }
    if (need > capacity_) {
      void* grown = std::realloc(scratch_, static_cast<std::size_t>(need) * sizeof(Real));
      if (grown == nullptr) return false;
      scratch_ = static_cast<Real*>(grown);
      capacity_ = need;
    }
    keys_ = scratch_;
    return true;
  }
  // Candidate numbers sit in the low 4 bytes of the 8-byte slots after the keys.
  Int* numbers() { return reinterpret_cast<Int*>(keys_ + count_); }
  void set(Int c, Real key) {
    keys_[c - 1] = key;
    Int* slot = numbers() + 2 * (c - 1);
    slot[0] = c;
    slot[1] = 0;
  }
  void sort() {
    const Int ld = 2;
    Int status = 0;
    ASORT4(keys_, numbers(), &ld, &count_, &status);
  }
  Real key(Int i) const { return keys_[i - 1]; }
  Int candidate(Int i) { return numbers()[2 * (i - 1)]; }

 private:
  Real* keys_ = nullptr;
  Int count_ = 0;
  static inline constinit Real* scratch_ = nullptr;
  static inline constinit long long capacity_ = 0;
};

Real distance(const Real* a, const Real* b, int n) {
  Real s = 0.0;
  for (int i = 0; i < n; ++i) s += (a[i] - b[i]) * (a[i] - b[i]);
  return std::sqrt(s);
}

// Keys of every candidate; returns dmin, the nearest reference point's distance.
template <class Reference>
Real rank(Ranking& r, Int count, const Real* radius, Reference&& reference) {
  Real dmin = kNone;
  for (Int c = 1; c <= count; ++c) {
    const Real d = reference(c);
    dmin = std::min(dmin, d);
    r.set(c, d - radius[c - 1] * 5.0 * 0.5);
  }
  r.sort();
  return dmin;
}

}  // namespace

extern "C" {

ZMX_EXPORT void BSPLINESEARCH2D(const Real* x, const Real* q, const Real* u0, const Int* span0, const Real* radius,
                                const Int* nseg, const Logical* rational, const Int* p, const Int* ldq,
                                const Real* cp, const Int* ldim, const Real* w, const Real* t, const Int* nknot,
                                const Logical* lper, const Real* umin, const Real* umax, const Real* length,
                                Real* work, Int* size, Int* span, Real* u, Real* distanceOut, Real* foot,
                                Real* tangent, Real* curvature, Int* status) {
  auto reset = [&] {
    *distanceOut = kNoDistance;
    *u = kNone;
    *span = 0;
    *curvature = 0.0;
    std::fill(foot, foot + 2, 0.0);
    std::fill(tangent, tangent + 2, 0.0);
  };
  reset();
  *status = 1;
  const Int n = std::max<Int>(*nseg, 0);
  Ranking order;
  if (!order.prepare(work, size, n, 2LL * n + 1)) return;
  const Real dmin = rank(order, n, radius, [&](Int c) { return distance(x, q + (c - 1) * *ldq, 2); });
  const Real limit = std::min(3.0 * dmin, dmin + 0.25 * *length);
  Real best = dmin;
  const Real distanceTolerance = *length * kFlat, parameterTolerance = (*umax - *umin) * 1e-7;
  const Int ndim = 2;
  for (Int i = 1; i <= n; ++i) {
    if (order.key(i) > best || order.key(i) > limit) break;
    const Int c = order.candidate(i);
    Real tc = u0[c - 1];
    Int sc = span0[c - 1];
    IMPROVE_GUESS_2DBSPLINE(x, rational, p, nknot, t, cp, ldim, &ndim, w, &sc, lper, umin, umax, &tc, u0, &c, &n);
    Real d, xf[2], tf[2], kf;
    Int ierr = 0;
    FNDDISTTOBSPLINE(x, rational, p, nknot, t, cp, ldim, &ndim, w, &sc, lper, umin, umax, &distanceTolerance,
                     &parameterTolerance, &tc, &d, xf, tf, &kf, &ierr);
    if (ierr != 0) continue;
    best = std::min(best, std::fabs(d));
    if (std::fabs(d) + kFlat < std::fabs(*distanceOut)) {
      *distanceOut = d, *span = sc, *u = tc, *curvature = kf;
      std::copy_n(xf, 2, foot);
      std::copy_n(tf, 2, tangent);
      if (std::fabs(d) < kFlat) break;
    }
  }
  if (*span == 0) return;
  if (*distanceOut <= kFlat || *distanceOut <= best + kFlat) {
    *status = 0;
    return;
  }
  reset();
}

ZMX_EXPORT void BSPLINESEARCH3D(const Real* x, const Real* q, const Int* ldq, const Int* na, const Int* nb,
                                const Real* u0, const Real* v0, const Int* spanu0, const Int* spanv0,
                                const Real* radius, const Int* pu, const Int* pv, const Int* nku, const Int* nkv,
                                const Real* tu, const Real* tv, const Real* cp, const Int* ldim, const Int* ncu,
                                const Int* ndim, const Real* w, Real* u, Real* v, Int* spanu, Int* spanv,
                                const Logical* lperu, const Logical* lperv, const Real* umin, const Real* umax,
                                const Real* vmin, const Real* vmax, const Real* length, const Logical* lrat,
                                Real* distanceOut, Real* foot, Real* tangents, Real* curvatures, Real* skew, Real* work,
                                Int* size, Int* status) {
  const Int nd = std::clamp<Int>(*ndim, 0, 3);
  auto reset = [&] {
    *distanceOut = kNoDistance;
    *u = *v = kNone;
    *spanu = *spanv = 0;
    std::fill(foot, foot + nd, 0.0);
    std::fill(tangents, tangents + 6, 0.0);
    std::fill(curvatures, curvatures + nd, 0.0);
    std::fill(skew, skew + 8, 0.0);
  };
  reset();
  *status = 1;
  const Int nu = std::max<Int>(*na, 0), nv = std::max<Int>(*nb, 0);
  const long long cells = static_cast<long long>(nu) * nv;
  if (cells > std::numeric_limits<Int>::max()) return;
  const Int n = static_cast<Int>(cells);
  Ranking order;
  if (!order.prepare(work, size, n, 2 * cells)) return;
  const Real dmin = rank(order, n, radius, [&](Int c) {
    const Int a = (c - 1) % nu + 1, b = (c - a) / nu + 1;
    return distance(x, q + ((a - 1) + (b - 1) * static_cast<long long>(nu)) * *ldq, 3);
  });
  const Real limit = std::min(3.0 * dmin, dmin + 0.25 * *length);
  Real best = dmin;
  const Real distanceTolerance = *length * kFlat;
  const Real parameterTolerance = std::max(*umax - *umin, *vmax - *vmin) * 1e-7;
  for (Int i = 1; i <= n; ++i) {
    if (order.key(i) > best || order.key(i) > limit) break;
    const Int c = order.candidate(i);
    const Int a = (c - 1) % nu + 1, b = (c - a) / nu + 1;
    Real uc = u0[a - 1], vc = v0[b - 1];
    Int su = spanu0[a - 1], sv = spanv0[b - 1];
    IMPROVE_GUESS_3DBSPLINE(x, pu, pv, nku, nkv, tu, tv, cp, ldim, ncu, ndim, w, &uc, &vc, &su, &sv, lperu, lperv,
                            umin, umax, vmin, vmax, lrat, u0, v0, &a, &b, &nu, &nv);
    Real d, xf[3], tf[6], kf[3], sf[8];
    Int ierr = 0;
    FNDDISTTO3DBSPLINE(x, pu, pv, nku, nkv, tu, tv, cp, ldim, ncu, ndim, w, &uc, &vc, &su, &sv, lperu, lperv, umin,
                       umax, vmin, vmax, lrat, &distanceTolerance, &parameterTolerance, &d, xf, tf, kf, sf, &ierr);
    if (ierr != 0) continue;
    best = std::min(best, std::fabs(d));
    if (std::fabs(d) + kFlat < std::fabs(*distanceOut)) {
      *distanceOut = d, *u = uc, *v = vc, *spanu = su, *spanv = sv;
      std::copy_n(xf, nd, foot);
      std::copy_n(tf, 6, tangents);
      std::copy_n(kf, nd, curvatures);
      std::copy_n(sf, 8, skew);
      if (std::fabs(d) <= kFlat) break;
    }
  }
  if (*spanu == 0 || *spanv == 0) return;
  if (*distanceOut <= kFlat || *distanceOut <= best + kFlat) {
    *status = 0;
    return;
  }
  reset();
}

}  // extern "C"
