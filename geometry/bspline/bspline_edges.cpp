// Points and derivatives of B-spline edges, non-rational and rational, open or periodic.
//
// The point is de Boor's scheme on the P + 1 control points of the span; a rational edge runs it
// on the weighted points with the weights alongside and divides once at the end. Derivatives sum
// the basis-function derivatives against the control points; a rational edge then removes the
// weight function's derivatives term by term. Every evaluator works in fixed local storage.

// Points of two to four components are written and reread element by element; paired vector
// loads of them would wait on store forwarding, so this unit stays scalar.
#pragma GCC optimize("no-tree-vectorize")

#include <algorithm>
#include <cstddef>

#include "geometry/bspline/bspline_basis.h"
#include "zmx/geometry/bspline.h"

namespace {

using namespace zmx::bspline;

constexpr Int kMaxRationalEdgeOrder = 4;  // highest derivative of a rational edge

struct Edge {
  Direction dir;
  const Real* cp;
  Int ldim;
  Int ndim;
  const Real* weights;  // null for a non-rational edge

  bool rational() const { return weights != nullptr; }

  // The P + 1 points of span i, weighted when rational.
  template <int P, int N, bool Rational>
  void loadSpan(Points<N + Rational>& q, Int i) const {
#pragma GCC unroll 6
    for (int j = 0; j <= P; ++j) {
      const std::ptrdiff_t k = i - P + j;  // 0-based control point
      loadPoint<N, Rational>(q[j], cp + k * ldim, Rational ? weights[k] : 1.0);
    }
  }
};

Edge makeEdge(const Int* p, const Int* nknot, const Real* t, const Real* cp, const Int* ldim, const Int* ndim,
              const Real* w, const Logical* lper, const Real* umin, const Real* umax) {
  return Edge{Direction{*p, *nknot, t, isTrueLowBit(*lper), *umin, *umax}, cp, *ldim, *ndim, w};
}

bool usableEdge(const Edge& e) { return e.dir.usable() && e.ndim >= 1 && e.ndim <= kMaxDim && e.ldim >= e.ndim; }

void edgePoint(Real* x, const Edge& e, Real u, Int* ispan, Int* ierr) {
  *ierr = 1;
  if (!usableEdge(e) || !locateOrClear(e.dir, kPointTolerance, u, ispan)) {
    zeroFill(x, e.ndim);
    return;
  }
  const Int i = *ispan;
  withShape(e.dir.degree, e.ndim, e.rational(), [&]<int P, int N, bool Rational>() {
    Points<N + Rational> q;
    e.loadSpan<P, N, Rational>(q, i);
    DeBoorFactors<P>(e.dir.knots, i, u).sweep(q);
    writePoint<N, Rational>(x, q[P]);
  });
  *ierr = 0;
}

// Column k of d receives the k-th derivative. The k-th derivative of the (weighted) edge is the
// spline of degree P - k over the k-th differences of the span's points; a rational edge then
// removes the weight function's derivatives: Y(k) = (A(k) - sum over m = 1..k of
// binom(k, m) w(m) Y(k - m)) / w.
// Returns the number of columns written (rows 1..N).
template <int P, int N, bool Rational>
Int derivativesOnSpan(Real* d, Int ldd, Int nder, const Edge& e, Int i, Real u) {
  constexpr int W = N + Rational;
  const BasisTriangle<P> basis(e.dir.knots, i, u);
  Points<W> q;
  e.loadSpan<P, N, Rational>(q, i);
  const Int order = std::min<Int>(nder, P);
  auto column = [&](Int k) { return d + static_cast<std::ptrdiff_t>(k) * ldd; };
  // A non-rational edge writes its derivatives straight out; a rational one keeps those of the
  // weighted point and the weight for the quotient.
  Real a[kMaxOrder][W];
#pragma GCC unroll 6
  for (int k = 0; k <= P; ++k) {
    if (k > order) break;
    if (k > 0)
#pragma GCC unroll 6
      for (int j = 0; j <= P - k; ++j) {
        const Real f = basis.stepFactor(k, j);
#pragma GCC unroll 4
        for (int c = 0; c < W; ++c) q[j][c] = f * (q[j + 1][c] - q[j][c]);
      }
    Real* out = Rational ? a[k] : column(k);
#pragma GCC unroll 4
    for (int c = 0; c < W; ++c) {
      Real sum = 0.0;
#pragma GCC unroll 6
      for (int j = 0; j <= P - k; ++j) sum += basis.value[P - k][j] * q[j][c];
      out[c] = sum;
    }
  }
  if constexpr (!Rational) {
    return order + 1;
  } else {
    for (Int k = order + 1; k <= nder; ++k) std::fill_n(a[k], W, 0.0);
    const Real w0 = safeDivisor(a[0][N]);
    for (Int k = 0; k <= nder; ++k) {
      Real* out = column(k);
#pragma GCC unroll 6
      for (int c = 0; c < N; ++c) {
        Real value = a[k][c];
        for (Int m = 1; m <= k; ++m) value -= kBinomial[k][m] * a[m][N] * column(k - m)[c];
        out[c] = value / w0;
      }
    }
    return nder + 1;
  }
}

void edgeDerivatives(Real* d, Int ldd, Int nder, const Edge& e, Real u, Int* ispan, Int* ierr) {
  *ierr = 1;
  if (nder < 0 || ldd < 1) return;
  if (!usableEdge(e) || ldd < e.ndim || (e.rational() && nder > kMaxRationalEdgeOrder) ||
      !locateOrClear(e.dir, kEdgeDerivTolerance, u, ispan)) {
    zeroFill(d, static_cast<std::ptrdiff_t>(nder + 1) * ldd);
    return;
  }
  Int written = 0;
  withShape(e.dir.degree, e.ndim, e.rational(), [&]<int P, int N, bool Rational>() {
    written = derivativesOnSpan<P, N, Rational>(d, ldd, nder, e, *ispan, u);
  });
  clearUnwritten(d, ldd, e.ndim, written, nder + 1);
  *ierr = 0;
}

}  // namespace

extern "C" {

void BSPLINENONRATEDGE(Real* x, const Int* p, const Int* nknot, const Real* t, const Real* cp, const Int* ldim,
                       const Int* ndim, const Real* u, Int* ispan, const Logical* lper, const Real* umin,
                       const Real* umax, Int* ierr) {
  edgePoint(x, makeEdge(p, nknot, t, cp, ldim, ndim, nullptr, lper, umin, umax), *u, ispan, ierr);
}

void BSPLINERATEDGE(Real* x, const Int* p, const Int* nknot, const Real* t, const Real* cp, const Int* ldim,
                    const Int* ndim, const Real* w, const Real* u, Int* ispan, const Logical* lper, const Real* umin,
                    const Real* umax, Int* ierr) {
  edgePoint(x, makeEdge(p, nknot, t, cp, ldim, ndim, w, lper, umin, umax), *u, ispan, ierr);
}

void BSPLINENONRATEDGE_DERIV(Real* d, const Int* ldd, const Int* nder, const Int* p, const Int* nknot, const Real* t,
                             const Real* cp, const Int* ldim, const Int* ndim, const Real* u, Int* ispan,
                             const Logical* lper, const Real* umin, const Real* umax, Int* ierr) {
  edgeDerivatives(d, *ldd, *nder, makeEdge(p, nknot, t, cp, ldim, ndim, nullptr, lper, umin, umax), *u, ispan,
                  ierr);
}

void BSPLINERATEDGE_DERIV(Real* d, const Int* ldd, const Int* nder, const Int* p, const Int* nknot, const Real* t,
                          const Real* cp, const Int* ldim, const Int* ndim, const Real* w, const Real* u, Int* ispan,
                          const Logical* lper, const Real* umin, const Real* umax, Int* ierr) {
  edgeDerivatives(d, *ldd, *nder, makeEdge(p, nknot, t, cp, ldim, ndim, w, lper, umin, umax), *u, ispan, ierr);
}

}  // extern "C"
