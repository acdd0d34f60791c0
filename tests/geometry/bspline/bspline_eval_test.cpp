// B-spline edge and face evaluators against an independent spline library (SISL), on random
// clamped knot vectors with repeated interior knots, plus the wrap of periodic directions and
// the refusals at the limits of the local storage.

#include <gtest/gtest.h>

#include <sisl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "zmx/geometry/bspline.h"

namespace {

constexpr Logical kOpen = kFalse;
constexpr Logical kPeriodic = kTrue;

// A random B-spline direction: full knot vector with clamped ends on [lo, hi] and interior knots
// of multiplicity up to the degree.
struct Knots {
  int degree = 0;
  int count = 0;            // control points
  std::vector<double> full;  // count + degree + 1 knots, as the reference takes them
  std::vector<double> ours;  // without the first and the last
  double lo = 0.0, hi = 0.0;

  int nknot() const { return static_cast<int>(ours.size()); }
};

Knots randomKnots(std::mt19937& rng, int degree) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  Knots k;
  k.degree = degree;
  k.lo = -2.0 + 4.0 * unit(rng);
  k.hi = k.lo + 0.5 + 3.0 * unit(rng);
  std::vector<double> interior;
  const int distinct = std::uniform_int_distribution<int>(0, 4)(rng);
  for (int d = 0; d < distinct; ++d) {
    const double t = k.lo + (k.hi - k.lo) * (0.05 + 0.9 * unit(rng));
    const int multiplicity = std::uniform_int_distribution<int>(1, degree)(rng);
    interior.insert(interior.end(), multiplicity, t);
  }
  std::sort(interior.begin(), interior.end());
  k.full.assign(degree + 1, k.lo);
  k.full.insert(k.full.end(), interior.begin(), interior.end());
  k.full.insert(k.full.end(), degree + 1, k.hi);
  k.count = static_cast<int>(k.full.size()) - degree - 1;
  k.ours.assign(k.full.begin() + 1, k.full.end() - 1);
  return k;
}

// Parameters to test: random ones, every distinct knot, and the two ends.
std::vector<double> sampleParameters(std::mt19937& rng, const Knots& k) {
  std::uniform_real_distribution<double> in(k.lo, k.hi);
  std::vector<double> us;
  for (int s = 0; s < 6; ++s) us.push_back(in(rng));
  for (double t : k.full) us.push_back(t);
  us.erase(std::unique(us.begin(), us.end()), us.end());
  return us;
}

std::vector<double> randomValues(std::mt19937& rng, std::size_t n, double lo, double hi) {
  std::uniform_real_distribution<double> dist(lo, hi);
  std::vector<double> v(n);
  for (double& x : v) x = dist(rng);
  return v;
}

// Homogeneous coefficients (w x, w y, [w z,] w) of a rational spline.
std::vector<double> homogeneous(const std::vector<double>& cp, const std::vector<double>& w, int ldim, int ndim) {
  std::vector<double> h;
  for (std::size_t j = 0; j < w.size(); ++j) {
    for (int c = 0; c < ndim; ++c) h.push_back(cp[j * ldim + c] * w[j]);
    h.push_back(w[j]);
  }
  return h;
}

std::vector<double> packed(const std::vector<double>& cp, std::size_t n, int ldim, int ndim) {
  std::vector<double> p;
  for (std::size_t j = 0; j < n; ++j)
    for (int c = 0; c < ndim; ++c) p.push_back(cp[j * ldim + c]);
  return p;
}

// |ours - reference| within 1e-12 of the reference vector's size (at least 1).
void expectClose(const double* ours, const double* reference, int ndim, const char* what) {
  double size = 1.0;
  for (int c = 0; c < ndim; ++c) size = std::max(size, std::fabs(reference[c]));
  for (int c = 0; c < ndim; ++c) EXPECT_NEAR(ours[c], reference[c], 1e-12 * size) << what << " component " << c;
}

TEST(BsplineEdges, PointsAndDerivativesAgreeWithReference) {
  std::mt19937 rng(181);
  for (int trial = 0; trial < 120; ++trial) {
    const int degree = 1 + trial % 5;
    const int ndim = 1 + (trial / 5) % 3;  // a spline of one coordinate as well
    const bool rational = (trial / 10) % 2 == 1;
    const int ldim = 4;
    const Knots k = randomKnots(rng, degree);
    const std::vector<double> cp = randomValues(rng, static_cast<std::size_t>(ldim) * k.count, -5.0, 5.0);
    const std::vector<double> w = randomValues(rng, k.count, 0.3, 3.0);
    std::vector<double> coef = rational ? homogeneous(cp, w, ldim, ndim) : packed(cp, k.count, ldim, ndim);
    std::vector<double> knots = k.full;
    SISLCurve* curve = newCurve(k.count, degree + 1, knots.data(), coef.data(), rational ? 2 : 1, ndim, 1);
    ASSERT_NE(curve, nullptr);

    const int nder = rational ? 4 : degree + 1;  // one column past the degree on non-rational edges
    const int ldd = 3;
    const int p = degree, nknot = k.nknot();
    const double umin = k.lo, umax = k.hi;
    const Logical lper = kOpen;
    for (double u : sampleParameters(rng, k)) {
      int left = 0, stat = 0;
      std::vector<double> ref((nder + 1) * ndim);
      s1221(curve, nder, u, &left, ref.data(), &stat);
      ASSERT_GE(stat, 0);

      double x[3] = {9, 9, 9};
      double d[ldd * 7];  // up to degree 5 plus one column past it
      int ispan = 1, ierr = -1;
      if (rational)
        BSPLINERATEDGE(x, &p, &nknot, k.ours.data(), cp.data(), &ldim, &ndim, w.data(), &u, &ispan, &lper, &umin,
                       &umax, &ierr);
      else
        BSPLINENONRATEDGE(x, &p, &nknot, k.ours.data(), cp.data(), &ldim, &ndim, &u, &ispan, &lper, &umin, &umax,
                          &ierr);
      ASSERT_EQ(ierr, 0);
      expectClose(x, ref.data(), ndim, "point");
      // SISL's left knot is 0-based in its full vector, which is our 1-based stored vector.
      EXPECT_EQ(ispan, std::min(left, nknot - p));

      int dspan = 1;
      if (rational)
        BSPLINERATEDGE_DERIV(d, &ldd, &nder, &p, &nknot, k.ours.data(), cp.data(), &ldim, &ndim, w.data(), &u, &dspan,
                             &lper, &umin, &umax, &ierr);
      else
        BSPLINENONRATEDGE_DERIV(d, &ldd, &nder, &p, &nknot, k.ours.data(), cp.data(), &ldim, &ndim, &u, &dspan, &lper,
                                &umin, &umax, &ierr);
      ASSERT_EQ(ierr, 0);
      for (int kd = 0; kd <= nder; ++kd) expectClose(d + kd * ldd, ref.data() + kd * ndim, ndim, "derivative");
      if (!rational) {
        for (int c = 0; c < ndim; ++c) EXPECT_EQ(d[nder * ldd + c], 0.0);  // beyond the degree
      }
    }
    freeCurve(curve);
  }
}

TEST(BsplineFaces, PointsAndDerivativesAgreeWithReference) {
  std::mt19937 rng(1424);
  for (int trial = 0; trial < 60; ++trial) {
    const int pu = 1 + trial % 5, pv = 1 + (trial / 5) % 5;
    const bool rational = (trial / 25) % 2 == 1 || trial % 7 == 3;
    const int ndim = 3 - (trial % 4 == 1);
    const int ldim = 3;
    const Knots ku = randomKnots(rng, pu), kv = randomKnots(rng, pv);
    const int ncu = ku.count, ncv = kv.count;
    const std::vector<double> cp = randomValues(rng, static_cast<std::size_t>(ldim) * ncu * ncv, -4.0, 4.0);
    const std::vector<double> w = randomValues(rng, static_cast<std::size_t>(ncu) * ncv, 0.4, 2.5);
    std::vector<double> coef =
        rational ? homogeneous(cp, w, ldim, ndim) : packed(cp, static_cast<std::size_t>(ncu) * ncv, ldim, ndim);
    std::vector<double> tu = ku.full, tv = kv.full;
    SISLSurf* surf = newSurf(ncu, ncv, pu + 1, pv + 1, tu.data(), tv.data(), coef.data(), rational ? 2 : 1, ndim, 1);
    ASSERT_NE(surf, nullptr);

    const int nder = rational ? 5 : std::min(pu + pv + 1, 5);
    const int ldd = 4;
    const int nku = ku.nknot(), nkv = kv.nknot();
    const Logical lper = kOpen, lrat = rational ? kTrue : kFalse;
    const std::vector<double> us = sampleParameters(rng, ku), vs = sampleParameters(rng, kv);
    for (std::size_t s = 0; s < std::max(us.size(), vs.size()); ++s) {
      double par[2] = {us[s % us.size()], vs[(s * 7) % vs.size()]};
      int left1 = 0, left2 = 0, stat = 0;
      std::vector<double> ref((nder + 1) * (nder + 1) * ndim);
      s1424(surf, nder, nder, par, &left1, &left2, ref.data(), &stat);
      ASSERT_GE(stat, 0);
      auto reference = [&](int k, int l) { return ref.data() + (l * (nder + 1) + k) * ndim; };

      double x[3] = {9, 9, 9};
      int su = 0, sv = 0, ierr = -1;
      BSPLINE_FACE(x, &pu, &pv, &nku, &nkv, ku.ours.data(), kv.ours.data(), cp.data(), &ldim, &ncu, &ndim, w.data(),
                   &par[0], &par[1], &su, &sv, &lper, &lper, &ku.lo, &ku.hi, &kv.lo, &kv.hi, &lrat, &ierr);
      ASSERT_EQ(ierr, 0);
      expectClose(x, reference(0, 0), ndim, "face point");

      std::vector<double> d(ldd * (nder + 1) * (nder + 2) / 2, 7.0);
      su = sv = 1;
      BSPLINE_FACE_DERIV(d.data(), &ldd, &nder, &pu, &pv, &nku, &nkv, ku.ours.data(), kv.ours.data(), cp.data(), &ldim,
                         &ncu, &ndim, w.data(), &par[0], &par[1], &su, &sv, &lper, &lper, &ku.lo, &ku.hi, &kv.lo,
                         &kv.hi, &lrat, &ierr);
      ASSERT_EQ(ierr, 0);
      for (int total = 0; total <= nder; ++total)
        for (int l = 0; l <= total; ++l) {
          const int col = total * (total + 1) / 2 + l;
          expectClose(d.data() + col * ldd, reference(total - l, l), ndim, "face derivative");
        }
    }
    freeSurf(surf);
  }
}

// Both face evaluators clamp a parameter onto an open end when it lies within 1e-6 of its own
// direction's range beyond it, and refuse it (that span 0) just beyond that. The ranges differ
// (4 in u, 0.5 in v), so a tolerance taken from the wrong range, or a tighter one in the
// derivative evaluator, shows. Values at the clamped parameters come from the reference.
TEST(BsplineFaces, ParametersJustPastOpenEndsClampWithinTheirOwnRange) {
  Knots ku, kv;
  ku.degree = 3;
  ku.full = {-1, -1, -1, -1, 0.5, 1.5, 1.5, 3, 3, 3, 3};
  kv.degree = 2;
  kv.full = {0.5, 0.5, 0.5, 0.7, 1.0, 1.0, 1.0};
  for (Knots* k : {&ku, &kv}) {
    k->count = static_cast<int>(k->full.size()) - k->degree - 1;
    k->ours.assign(k->full.begin() + 1, k->full.end() - 1);
    k->lo = k->full.front();
    k->hi = k->full.back();
  }
  std::mt19937 rng(35);
  const int ldim = 3, ndim = 3, ncu = ku.count, ncv = kv.count, pu = ku.degree, pv = kv.degree;
  const int nku = ku.nknot(), nkv = kv.nknot(), nder = 2, ldd = 3;
  const std::vector<double> cp = randomValues(rng, static_cast<std::size_t>(ldim) * ncu * ncv, -3.0, 3.0);
  const std::vector<double> w = randomValues(rng, static_cast<std::size_t>(ncu) * ncv, 0.5, 2.0);
  const Logical open = kOpen;
  const double ru = ku.hi - ku.lo, rv = kv.hi - kv.lo;

  for (const bool rational : {false, true}) {
    std::vector<double> coef = rational ? homogeneous(cp, w, ldim, ndim) : packed(cp, w.size(), ldim, ndim);
    std::vector<double> tu = ku.full, tv = kv.full;
    SISLSurf* surf = newSurf(ncu, ncv, pu + 1, pv + 1, tu.data(), tv.data(), coef.data(), rational ? 2 : 1, ndim, 1);
    ASSERT_NE(surf, nullptr);
    const Logical lrat = rational ? kTrue : kFalse;
    struct Case {
      double u, v;
      bool accepted;
      double clampedU, clampedV;
    };
    const double uMid = 0.9, vMid = 0.8;
    const Case cases[] = {
        {uMid, kv.hi + 0.5e-6 * rv, true, uMid, kv.hi},
        {ku.hi + 1e-9, vMid, true, ku.hi, vMid},
        {ku.lo - 0.5e-6 * ru, vMid, true, ku.lo, vMid},
        {ku.lo - 0.9e-6 * ru, kv.lo - 0.9e-6 * rv, true, ku.lo, kv.lo},
        {ku.hi + 0.9e-6 * ru, kv.hi + 0.9e-6 * rv, true, ku.hi, kv.hi},
        {ku.hi + 1.1e-6 * ru, vMid, false, 0, 0},
        {uMid, kv.lo - 1.1e-6 * rv, false, 0, 0},
        {uMid, kv.hi + 0.9e-6 * ru, false, 0, 0},  // u's tolerance, too wide for v
    };
    for (const Case& c : cases) {
      const std::string where = "u " + std::to_string(c.u - ku.hi) + " v " + std::to_string(c.v - kv.hi) +
                                (rational ? " rational" : "");
      double x[3] = {9, 9, 9};
      int su = 1, sv = 1, ierr = -1;
      BSPLINE_FACE(x, &pu, &pv, &nku, &nkv, ku.ours.data(), kv.ours.data(), cp.data(), &ldim, &ncu, &ndim, w.data(),
                   &c.u, &c.v, &su, &sv, &open, &open, &ku.lo, &ku.hi, &kv.lo, &kv.hi, &lrat, &ierr);
      std::vector<double> d(ldd * 6, 7.0);
      int dsu = 1, dsv = 1, derr = -1;
      BSPLINE_FACE_DERIV(d.data(), &ldd, &nder, &pu, &pv, &nku, &nkv, ku.ours.data(), kv.ours.data(), cp.data(), &ldim,
                         &ncu, &ndim, w.data(), &c.u, &c.v, &dsu, &dsv, &open, &open, &ku.lo, &ku.hi, &kv.lo, &kv.hi,
                         &lrat, &derr);
      if (!c.accepted) {
        EXPECT_EQ(ierr, 1) << where;
        EXPECT_EQ(derr, 1) << where;
        EXPECT_EQ(su * sv, 0) << where;
        EXPECT_EQ(dsu * dsv, 0) << where;
        for (double value : d) EXPECT_EQ(value, 0.0) << where;
        continue;
      }
      ASSERT_EQ(ierr, 0) << where;
      ASSERT_EQ(derr, 0) << where;
      EXPECT_EQ(dsu, su) << where;
      EXPECT_EQ(dsv, sv) << where;
      double par[2] = {c.clampedU, c.clampedV};
      int left1 = 0, left2 = 0, stat = 0;
      std::vector<double> ref((nder + 1) * (nder + 1) * ndim);
      s1424(surf, nder, nder, par, &left1, &left2, ref.data(), &stat);
      ASSERT_GE(stat, 0);
      auto reference = [&](int k, int l) { return ref.data() + (l * (nder + 1) + k) * ndim; };
      expectClose(x, reference(0, 0), ndim, where.c_str());
      for (int total = 0; total <= nder; ++total)
        for (int l = 0; l <= total; ++l)
          expectClose(d.data() + (total * (total + 1) / 2 + l) * ldd, reference(total - l, l), ndim, where.c_str());
    }
    freeSurf(surf);
  }
}

// A cubic edge on [0, 4] with a double interior knot, in 2-D: the fixture of the edge cases.
struct CubicEdge {
  int p = 3, nknot = 0, ldim = 2, ndim = 2;
  std::vector<double> t{0, 0, 0, 1, 2, 2, 4, 4, 4};  // stored knots; 7 control points
  std::vector<double> cp;
  std::vector<double> w;
  double umin = 0.0, umax = 4.0;
  CubicEdge() {
    nknot = static_cast<int>(t.size());
    const int n = nknot - p + 1;
    for (int j = 0; j < n; ++j) {
      cp.push_back(std::cos(0.9 * j) * (1 + j));
      cp.push_back(std::sin(0.7 * j) - 0.3 * j);
      w.push_back(0.5 + 0.25 * j);
    }
  }
  int points() const { return nknot - p + 1; }

  std::array<double, 2> point(double u, Logical per, int& ispan, int& ierr) const {
    std::array<double, 2> x{7, 7};
    BSPLINENONRATEDGE(x.data(), &p, &nknot, t.data(), cp.data(), &ldim, &ndim, &u, &ispan, &per, &umin, &umax, &ierr);
    return x;
  }
  std::array<double, 2> rationalPoint(double u, Logical per, const std::vector<double>& weights, int& ispan,
                                      int& ierr) const {
    std::array<double, 2> x{7, 7};
    BSPLINERATEDGE(x.data(), &p, &nknot, t.data(), cp.data(), &ldim, &ndim, weights.data(), &u, &ispan, &per, &umin,
                   &umax, &ierr);
    return x;
  }
};

TEST(BsplineEdges, OpenEndsSpanGuessesAndOutsideParameters) {
  const CubicEdge e;
  int ispan = 1, ierr = -1;
  // Just beyond the last knot within the tolerance: the last control point on the last span.
  auto x = e.point(4.0 + 0.5e-6 * 4.0, kOpen, ispan, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(ispan, e.nknot - e.p);
  EXPECT_NEAR(x[0], e.cp[2 * (e.points() - 1)], 1e-14);
  EXPECT_NEAR(x[1], e.cp[2 * (e.points() - 1) + 1], 1e-14);
  // Below the first knot by more than the tolerance: nothing evaluated, span 0.
  ispan = 3;
  x = e.point(-2e-6 * 4.0, kOpen, ispan, ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(ispan, 0);
  EXPECT_EQ(x[0], 0.0);
  EXPECT_EQ(x[1], 0.0);
  // A parameter that is not a number counts as outside.
  ispan = 3;
  e.point(std::nan(""), kOpen, ispan, ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(ispan, 0);
  // Every span guess, the useless ones (0, past the knots, past the last span) included, finds
  // the same span and point.
  for (double u : {0.0, 0.3, 1.0, 1.99, 2.0, 3.5, 4.0}) {
    int reference = 1;
    const auto expected = e.point(u, kOpen, reference, ierr);
    for (int guess : {-5, 0, 1, 4, e.nknot - e.p, e.nknot - 1, e.nknot, e.nknot + 3}) {
      int span = guess;
      const auto got = e.point(u, kOpen, span, ierr);
      EXPECT_EQ(ierr, 0);
      EXPECT_EQ(span, reference) << "u " << u << " guess " << guess;
      EXPECT_EQ(got, expected);
    }
  }
  // Weights of 1 give the non-rational point.
  const std::vector<double> ones(e.points(), 1.0);
  for (double u : {0.0, 0.7, 2.0, 3.9}) {
    int s1 = 1, s2 = 1, e1 = -1, e2 = -1;
    const auto plain = e.point(u, kOpen, s1, e1);
    const auto weighted = e.rationalPoint(u, kOpen, ones, s2, e2);
    EXPECT_NEAR(plain[0], weighted[0], 1e-14);
    EXPECT_NEAR(plain[1], weighted[1], 1e-14);
  }
}

TEST(BsplineEdges, PeriodicParametersWrapIntoTheRange) {
  // A closed uniform cubic: 6 distinct control points, the first 3 repeated at the end, knots
  // 0, 1, 2, ...; the closed range is [T(P), T(n)].
  CubicEdge e;
  const int distinct = 6;
  const int n = distinct + e.p;
  e.t.clear();
  for (int k = 1; k <= n + e.p - 1; ++k) e.t.push_back(k);
  e.nknot = static_cast<int>(e.t.size());
  e.cp.clear();
  for (int j = 0; j < n; ++j) {
    e.cp.push_back(std::cos(2.0 * std::numbers::pi * (j % distinct) / distinct) * (1.0 + 0.2 * (j % distinct)));
    e.cp.push_back(std::sin(2.0 * std::numbers::pi * (j % distinct) / distinct));
  }
  e.umin = e.t[e.p - 1];
  e.umax = e.t[n - 1];
  const double range = e.umax - e.umin;
  for (double u : {e.umin, e.umin + 0.1, 4.5, 5.0, e.umax - 1e-3, e.umax}) {
    int ispan = 1, ierr = -1;
    const auto base = e.point(u, kPeriodic, ispan, ierr);
    ASSERT_EQ(ierr, 0);
    for (double k : {1.0, -1.0, 2.0, -3.0}) {
      int span = 0;
      const auto wrapped = e.point(u + k * range, kPeriodic, span, ierr);
      EXPECT_EQ(ierr, 0);
      EXPECT_NEAR(wrapped[0], base[0], 1e-12) << u << " " << k;
      EXPECT_NEAR(wrapped[1], base[1], 1e-12) << u << " " << k;
    }
    // S(u + 2.5 range) = S(u + 0.5 range).
    int span = 0, half = 0;
    const auto expected = e.point(u + 0.5 * range, kPeriodic, half, ierr);
    const auto wrapped = e.point(u + 2.5 * range, kPeriodic, span, ierr);
    EXPECT_NEAR(wrapped[0], expected[0], 1e-12);
    EXPECT_NEAR(wrapped[1], expected[1], 1e-12);
  }
  // A parameter far out wraps by a floating-point count, never through an integer.
  int ispan = 0, ierr = -1;
  e.point(e.umin + 0.5 * range + 1e12 * range, kPeriodic, ispan, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_GE(ispan, e.p);
  e.point(std::numeric_limits<double>::infinity(), kPeriodic, ispan, ierr);
  EXPECT_EQ(ierr, 1);
  // An empty or inverted range, and a range that starts before the spans with all their control
  // points, evaluate nothing.
  std::swap(e.umin, e.umax);
  ispan = 1;
  auto x = e.point(1.0, kPeriodic, ispan, ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(x[0], 0.0);
  e.umin = -1.0;
  e.umax = 4.0;
  e.t = {0.0, 0.5, 1.0, 2.0, 2.0, 4.0, 4.0, 4.0};  // first P knots differ
  e.nknot = static_cast<int>(e.t.size());
  ispan = 4;
  x = e.point(0.25, kPeriodic, ispan, ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(ispan, 0);
  ispan = 4;
  e.point(0.25, kOpen, ispan, ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(ispan, 0);
  ispan = 4;
  e.point(1.5, kOpen, ispan, ierr);
  EXPECT_EQ(ierr, 0);
}

// Outputs guarded on both sides: a refused call writes zeros into its own output and nothing
// beyond it.
TEST(BsplineLimits, RefusedArgumentsEvaluateNothingAndWriteOnlyTheirOutput) {
  const CubicEdge e;
  constexpr double kGuard = 123.0;
  std::vector<double> buffer(64, kGuard);
  double* d = buffer.data() + 8;
  auto untouchedOutside = [&](std::ptrdiff_t written) {
    for (std::ptrdiff_t k = 0; k < 8; ++k) EXPECT_EQ(buffer[k], kGuard);
    for (std::size_t k = 8 + written; k < buffer.size(); ++k) EXPECT_EQ(buffer[k], kGuard) << k;
    for (std::ptrdiff_t k = 0; k < written; ++k) EXPECT_EQ(d[k], 0.0);
  };
  const double u = 1.5;
  const Logical open = kOpen;
  // Degree 6 (and 0), dimension 0 and 4, leading dimension too small.
  for (auto [p, ndim, ldim] : {std::array{6, 2, 2}, std::array{0, 2, 2}, std::array{3, 4, 4}, std::array{3, 0, 2},
                               std::array{3, 3, 2}}) {
    std::fill(buffer.begin(), buffer.end(), kGuard);
    int ispan = 2, ierr = -1;
    const int nknot = 12;
    std::vector<double> t(nknot);
    for (int k = 0; k < nknot; ++k) t[k] = std::max(0.0, std::min(4.0, k - 4.0));
    std::vector<double> cp(64, 1.0), w(16, 1.0);
    BSPLINERATEDGE(d, &p, &nknot, t.data(), cp.data(), &ldim, &ndim, w.data(), &u, &ispan, &open, &e.umin, &e.umax,
                   &ierr);
    EXPECT_EQ(ierr, 1) << p << " " << ndim;
    EXPECT_EQ(ispan, 2);
    untouchedOutside(ndim);
  }
  // Rational edge derivatives up to 4, rational face derivatives up to 5.
  std::fill(buffer.begin(), buffer.end(), kGuard);
  int ispan = 1, ierr = -1;
  const int ldd = 2, five = 5;
  BSPLINERATEDGE_DERIV(d, &ldd, &five, &e.p, &e.nknot, e.t.data(), e.cp.data(), &e.ldim, &e.ndim, e.w.data(), &u,
                       &ispan, &open, &e.umin, &e.umax, &ierr);
  EXPECT_EQ(ierr, 1);
  untouchedOutside(ldd * 6);
  const int four = 4;
  BSPLINERATEDGE_DERIV(d, &ldd, &four, &e.p, &e.nknot, e.t.data(), e.cp.data(), &e.ldim, &e.ndim, e.w.data(), &u,
                       &ispan, &open, &e.umin, &e.umax, &ierr);
  EXPECT_EQ(ierr, 0);

  // A bilinear face: corners at the corner parameters; derivative columns in the order S, S_u,
  // S_v, S_uu, S_uv, S_vv with S_uu and S_vv zero; v outside its knots clears only ISPANV.
  const int one = 1, nk = 2, ncu = 2, ldim = 3, ndim = 3;
  const std::vector<double> t{0.0, 1.0};
  const std::vector<double> net{0, 0, 0, 2, 0, 1, 0, 3, 0, 2, 3, 5};
  const std::vector<double> wts{1, 1, 1, 1};
  const double lo = 0.0, hi = 1.0;
  const Logical no = kFalse, yes = kTrue;
  for (int corner = 0; corner < 4; ++corner) {
    const double cu = corner % 2, cv = corner / 2;
    double x[3];
    int su = 0, sv = 0;
    BSPLINE_FACE(x, &one, &one, &nk, &nk, t.data(), t.data(), net.data(), &ldim, &ncu, &ndim, wts.data(), &cu, &cv,
                 &su, &sv, &no, &no, &lo, &hi, &lo, &hi, &no, &ierr);
    ASSERT_EQ(ierr, 0);
    for (int c = 0; c < 3; ++c) EXPECT_DOUBLE_EQ(x[c], net[3 * corner + c]);
  }
  std::fill(buffer.begin(), buffer.end(), kGuard);
  const int two = 2, ldd3 = 3;
  const double cu = 0.25, cv = 0.5;
  int su = 1, sv = 1;
  BSPLINE_FACE_DERIV(d, &ldd3, &two, &one, &one, &nk, &nk, t.data(), t.data(), net.data(), &ldim, &ncu, &ndim,
                     wts.data(), &cu, &cv, &su, &sv, &no, &no, &lo, &hi, &lo, &hi, &yes, &ierr);
  ASSERT_EQ(ierr, 0);
  const double expected[6][3] = {{0.5, 1.5, 0.75}, {2, 0, 3}, {0, 3, 1}, {0, 0, 0}, {0, 0, 4}, {0, 0, 0}};
  for (int col = 0; col < 6; ++col)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(d[3 * col + c], expected[col][c], 1e-15) << col << " " << c;
  const double outside = 1.5;
  su = sv = 1;
  BSPLINE_FACE_DERIV(d, &ldd3, &two, &one, &one, &nk, &nk, t.data(), t.data(), net.data(), &ldim, &ncu, &ndim,
                     wts.data(), &cu, &outside, &su, &sv, &no, &no, &lo, &hi, &lo, &hi, &no, &ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(su, 1);
  EXPECT_EQ(sv, 0);
  untouchedOutside(18);
  const int six = 6;
  std::fill(buffer.begin(), buffer.end(), kGuard);
  BSPLINE_FACE_DERIV(d, &one, &six, &one, &one, &nk, &nk, t.data(), t.data(), net.data(), &ldim, &ncu, &one,
                     wts.data(), &cu, &cv, &su, &sv, &no, &no, &lo, &hi, &lo, &hi, &yes, &ierr);
  EXPECT_EQ(ierr, 1);
  untouchedOutside(28);
  // A net narrower than its u-knots ask for, and knots too few for one span: nothing evaluated.
  const int narrow = 1, shortKnots = 1, two1 = 2;
  std::fill(buffer.begin(), buffer.end(), kGuard);
  BSPLINE_FACE(d, &one, &one, &nk, &nk, t.data(), t.data(), net.data(), &ldim, &narrow, &ndim, wts.data(), &cu, &cv,
               &su, &sv, &no, &no, &lo, &hi, &lo, &hi, &no, &ierr);
  EXPECT_EQ(ierr, 1);
  untouchedOutside(3);
  BSPLINENONRATEDGE(d, &two1, &shortKnots, e.t.data(), e.cp.data(), &e.ldim, &e.ndim, &u, &ispan, &open, &e.umin,
                    &e.umax, &ierr);
  EXPECT_EQ(ierr, 1);
  // Zero weights divide as 1: finite output.
  const std::vector<double> zeros(4, 0.0);
  double x[3];
  BSPLINE_FACE(x, &one, &one, &nk, &nk, t.data(), t.data(), net.data(), &ldim, &ncu, &ndim, zeros.data(), &cu, &cv,
               &su, &sv, &no, &no, &lo, &hi, &lo, &hi, &yes, &ierr);
  EXPECT_EQ(ierr, 0);
  for (double c : x) EXPECT_TRUE(std::isfinite(c));
}

}  // namespace
