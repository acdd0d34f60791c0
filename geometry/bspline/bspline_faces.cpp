// Points and partial derivatives of B-spline faces: tensor products of two B-spline directions,
// non-rational or rational, each direction open or periodic.
//
// The point runs de Boor's scheme along u on each row of the span's control net, then along v on
// the row results (weighted points with the weights alongside when rational, one division at
// the end). Derivative (k, l) sums the u- and v-basis derivatives against the net; a rational face
// then removes the weight function's derivatives. Fixed local storage only.

// Points of two to four components are written and reread element by element; paired vector
// loads of them would wait on store forwarding, so this unit stays scalar.
#pragma GCC optimize("no-tree-vectorize")

#include <algorithm>
#include <cstddef>

#include "geometry/bspline/bspline_basis.h"
#include "zmx/geometry/bspline.h"

namespace {

using namespace zmx::bspline;

constexpr Int kMaxRationalFaceOrder = 5;  // highest total derivative order of a rational face

struct Face {
  Direction u;
  Direction v;
  const Real* cp;
  Int ldim;
  Int ncu;
  Int ndim;
  const Real* weights;  // null for a non-rational face

  bool rational() const { return weights != nullptr; }

  // The PU + 1 points of row j (1-based) of the net over u-span i, in homogeneous form.
  template <int PU>
  void loadRow(Points<kWeight + 1>& q, Int i, Int j) const {
    const std::ptrdiff_t first = static_cast<std::ptrdiff_t>(j - 1) * ncu + (i - PU);  // 0-based
    for (int a = 0; a <= PU; ++a)
      loadHomogeneous(q[a], cp + (first + a) * ldim, ndim, weights != nullptr ? weights[first + a] : 1.0);
  }
};

bool usableFace(const Face& f) {
  return f.u.usable() && f.v.usable() && f.ndim >= 1 && f.ndim <= kMaxDim && f.ldim >= f.ndim &&
         f.ncu >= f.u.knotCount - f.u.degree + 1;
}

// Both face evaluators normalise each direction with the tolerance of the point evaluators.
bool locateBoth(const Face& f, Real& u, Real& v, Int* ispanu, Int* ispanv) {
  return locateOrClear(f.u, kPointTolerance, u, ispanu) && locateOrClear(f.v, kPointTolerance, v, ispanv);
}

// Calls body.template operator()<PU, PV>() for the degrees of a usable face.
template <class F>
void withDegrees(const Face& f, F&& body) {
  withDegree(f.u.degree,
             [&]<int PU>() { withDegree(f.v.degree, [&]<int PV>() { body.template operator()<PU, PV>(); }); });
}

void facePoint(Real* x, const Face& f, Real u, Real v, Int* ispanu, Int* ispanv, Int* ierr) {
  *ierr = 1;
  if (!usableFace(f) || !locateBoth(f, u, v, ispanu, ispanv)) {
    zeroFill(x, f.ndim);
    return;
  }
  const Int i = *ispanu;
  const Int j = *ispanv;
  withDegrees(f, [&]<int PU, int PV>() {
    constexpr int W = kWeight + 1;
    const DeBoorFactors<PU> alongU(f.u.knots, i, u);
    Points<W> rows;
    for (int b = 0; b <= PV; ++b) {
      Points<W> q;
      f.loadRow<PU>(q, i, j - PV + 1 + b);
      alongU.sweep(q);
      std::copy_n(q[PU], W, rows[b]);
    }
    DeBoorFactors<PV>(f.v.knots, j, v).sweep(rows);
    writeHomogeneous(x, rows[PV], f.ndim, f.rational());
  });
  *ierr = 0;
}

// Column (0-based) of derivative (k, l) in the output: total order s = k + l, then l.
inline std::ptrdiff_t derivativeColumn(Int k, Int l) {
  const Int s = k + l;
  return static_cast<std::ptrdiff_t>(s) * (s + 1) / 2 + l;
}

// Derivative (k, l) sums the k-th u-derivatives and l-th v-derivatives of the basis functions
// against the (weighted) net; a rational face then removes the weight function's derivatives:
// S(k, l) = (A(k, l) - sum over m = 1..l of binom(l, m) w(0, m) S(k, l - m)
//            - sum over n = 1..k of binom(k, n) [w(n, 0) S(k - n, l)
//              + sum over m = 1..l of binom(l, m) w(n, m) S(k - n, l - m)]) / w(0, 0).
template <int PU, int PV>
void derivativesOnSpan(Real* d, Int ldd, Int nder, const Face& f, Int i, Int j, Real u, Real v) {
  constexpr int W = kWeight + 1;
  const Int N = f.ndim;
  const Int orderU = std::min<Int>(nder, PU);
  const Int orderV = std::min<Int>(nder, PV);
  Real nu[kMaxOrder][kMaxOrder];
  Real nv[kMaxOrder][kMaxOrder];
  BasisTriangle<PU>(f.u.knots, i, u).derivatives(orderU, nu);
  BasisTriangle<PV>(f.v.knots, j, v).derivatives(orderV, nv);

  // a[k][l]: derivative (k, l) of the weighted net, through the rows' u-derivatives.
  Real a[kMaxOrder][kMaxOrder][W] = {};
#pragma GCC unroll 6
  for (int b = 0; b <= PV; ++b) {
    Points<W> q;
    f.loadRow<PU>(q, i, j - PV + 1 + b);
    for (Int k = 0; k <= orderU; ++k) {
      Real row[W] = {};
#pragma GCC unroll 6
      for (int s = 0; s <= PU; ++s)
#pragma GCC unroll 4
        for (int c = 0; c < W; ++c) row[c] += nu[k][s] * q[s][c];
      for (Int l = 0; l <= orderV && k + l <= nder; ++l)
#pragma GCC unroll 4
        for (int c = 0; c < W; ++c) a[k][l][c] += nv[l][b] * row[c];
    }
  }
  auto column = [&](Int k, Int l) { return d + derivativeColumn(k, l) * ldd; };
  if (!f.rational()) {
    for (Int k = 0; k <= orderU; ++k)
      for (Int l = 0; l <= orderV && k + l <= nder; ++l) std::copy_n(a[k][l], N, column(k, l));
  } else {
    const Real w0 = safeDivisor(a[0][0][kWeight]);
    auto weight = [&](Int k, Int l) { return a[k][l][kWeight]; };  // 0 beyond the degrees
    for (Int s = 0; s <= nder; ++s)
      for (Int l = 0; l <= s; ++l) {
        const Int k = s - l;
        Real* out = column(k, l);
        for (Int c = 0; c < N; ++c) {
          Real value = a[k][l][c];
          for (Int m = 1; m <= l; ++m) value -= kBinomial[l][m] * weight(0, m) * column(k, l - m)[c];
          for (Int n = 1; n <= k; ++n) {
            value -= kBinomial[k][n] * weight(n, 0) * column(k - n, l)[c];
            for (Int m = 1; m <= l; ++m)
              value -= kBinomial[k][n] * kBinomial[l][m] * weight(n, m) * column(k - n, l - m)[c];
          }
          out[c] = value / w0;
        }
      }
  }
}

void faceDerivatives(Real* d, Int ldd, Int nder, const Face& f, Real u, Real v, Int* ispanu, Int* ispanv,
                     Int* ierr) {
  if (nder >= 0 && ldd >= 1) zeroFill(d, static_cast<std::ptrdiff_t>(nder + 1) * (nder + 2) / 2 * ldd);
  *ierr = 1;
  if (!usableFace(f) || nder < 0 || ldd < f.ndim || (f.rational() && nder > kMaxRationalFaceOrder)) return;
  if (!locateBoth(f, u, v, ispanu, ispanv)) return;
  withDegrees(f, [&]<int PU, int PV>() { derivativesOnSpan<PU, PV>(d, ldd, nder, f, *ispanu, *ispanv, u, v); });
  *ierr = 0;
}

Face makeFace(const Int* pu, const Int* pv, const Int* nku, const Int* nkv, const Real* tu, const Real* tv,
              const Real* cp, const Int* ldim, const Int* ncu, const Int* ndim, const Real* w, const Logical* lperu,
              const Logical* lperv, const Real* umin, const Real* umax, const Real* vmin, const Real* vmax,
              const Logical* lrat) {
  return Face{Direction{*pu, *nku, tu, isTrueLowBit(*lperu), *umin, *umax},
              Direction{*pv, *nkv, tv, isTrueLowBit(*lperv), *vmin, *vmax},
              cp,
              *ldim,
              *ncu,
              *ndim,
              isTrueLowBit(*lrat) ? w : nullptr};
}

}  // namespace

extern "C" {

void BSPLINE_FACE(Real* x, const Int* pu, const Int* pv, const Int* nku, const Int* nkv, const Real* tu,
                  const Real* tv, const Real* cp, const Int* ldim, const Int* ncu, const Int* ndim, const Real* w,
                  const Real* u, const Real* v, Int* ispanu, Int* ispanv, const Logical* lperu, const Logical* lperv,
                  const Real* umin, const Real* umax, const Real* vmin, const Real* vmax, const Logical* lrat,
                  Int* ierr) {
  facePoint(x, makeFace(pu, pv, nku, nkv, tu, tv, cp, ldim, ncu, ndim, w, lperu, lperv, umin, umax, vmin, vmax, lrat),
            *u, *v, ispanu, ispanv, ierr);
}

void BSPLINE_FACE_DERIV(Real* d, const Int* ldd, const Int* nder, const Int* pu, const Int* pv, const Int* nku,
                        const Int* nkv, const Real* tu, const Real* tv, const Real* cp, const Int* ldim,
                        const Int* ncu, const Int* ndim, const Real* w, const Real* u, const Real* v, Int* ispanu,
                        Int* ispanv, const Logical* lperu, const Logical* lperv, const Real* umin, const Real* umax,
                        const Real* vmin, const Real* vmax, const Logical* lrat, Int* ierr) {
  faceDerivatives(d, *ldd, *nder,
                  makeFace(pu, pv, nku, nkv, tu, tv, cp, ldim, ncu, ndim, w, lperu, lperv, umin, umax, vmin, vmax,
                           lrat),
                  *u, *v, ispanu, ispanv, ierr);
}

}  // extern "C"
