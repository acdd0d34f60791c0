// Feet of points on B-spline edges and faces: exact circles and cylinders as rational quadratics,
// random cubic edges and bicubic faces against SISL's closest-point iterations, the multi-piece
// searches against closed forms and dense sampling, and the refusals of the guess improvers.

#include <gtest/gtest.h>

#include <sisl.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <tuple>
#include <vector>

#include "runtime/record.h"
#include "siblings/dm2/dm2_state.h"
#include "siblings/eqc/testing.h"
#include "tests/support/mapped_array.h"
#include "zmx/geometry/bspline.h"
#include "zmx/storage/db_units.h"

namespace {

constexpr Logical kOpen = kFalse;
const double kS = std::numbers::sqrt2 / 2.0;

// A B-spline edge or one direction of a face: full clamped knots on [0, 1] and ours without the
// first and the last knot.
struct Knots {
  int degree;
  std::vector<double> full, ours;
  Int nknot() const { return static_cast<Int>(ours.size()); }
};

Knots clamped(int degree, std::vector<double> interior) {
  Knots k{degree, {}, {}};
  k.full.assign(degree + 1, 0.0);
  k.full.insert(k.full.end(), interior.begin(), interior.end());
  k.full.insert(k.full.end(), degree + 1, 1.0);
  k.ours.assign(k.full.begin() + 1, k.full.end() - 1);
  return k;
}

struct Edge {
  Knots k;
  std::vector<double> cp;  // 2 per point
  std::vector<double> w;
  bool rational;

  int count() const { return static_cast<int>(w.size()); }
  struct Foot {
    Int ierr;
    double u, distance, x[2], t[2], curvature;
    Int span;
  };
  Foot foot(const double* p, double start, double dtol = 1e-14, double ptol = 1e-12) const {
    Foot f{};
    f.u = start;
    f.span = 1;
    const Int deg = k.degree, nk = k.nknot(), ldim = 2, ndim = 2;
    const Logical rat = rational ? kTrue : kFalse, per = kOpen;
    const double lo = 0.0, hi = 1.0;
    FNDDISTTOBSPLINE(p, &rat, &deg, &nk, k.ours.data(), cp.data(), &ldim, &ndim, w.data(), &f.span, &per, &lo, &hi,
                     &dtol, &ptol, &f.u, &f.distance, f.x, f.t, &f.curvature, &f.ierr);
    return f;
  }
  void point(double u, double* x) const {
    const Int deg = k.degree, nk = k.nknot(), ldim = 2, ndim = 2;
    const Logical per = kOpen;
    const double lo = 0.0, hi = 1.0;
    Int span = 1, ierr = 0;
    BSPLINERATEDGE(x, &deg, &nk, k.ours.data(), cp.data(), &ldim, &ndim, w.data(), &u, &span, &per, &lo, &hi, &ierr);
  }
  SISLCurve* sisl() const {
    std::vector<double> coef;
    for (int j = 0; j < count(); ++j) {
      const double s = rational ? w[j] : 1.0;
      coef.push_back(cp[2 * j] * s);
      coef.push_back(cp[2 * j + 1] * s);
      if (rational) coef.push_back(w[j]);
    }
    std::vector<double> knots = k.full;
    return newCurve(count(), k.degree + 1, knots.data(), coef.data(), rational ? 2 : 1, 2, 1);
  }
};

// The full circle of radius r about c as nine rational quadratic points.
Edge circle(const double* c, double r) {
  const double px[9] = {1, 1, 0, -1, -1, -1, 0, 1, 1}, py[9] = {0, 1, 1, 1, 0, -1, -1, -1, 0};
  Edge e{clamped(2, {0.25, 0.25, 0.5, 0.5, 0.75, 0.75}), {}, {}, true};
  for (int j = 0; j < 9; ++j) {
    e.cp.push_back(c[0] + r * px[j]);
    e.cp.push_back(c[1] + r * py[j]);
    e.w.push_back(j % 2 == 1 ? kS : 1.0);
  }
  return e;
}

struct Face {
  Knots ku, kv;
  std::vector<double> cp;  // 3 per point, u fastest
  std::vector<double> w;
  bool rational;

  int ncu() const { return static_cast<int>(ku.full.size()) - ku.degree - 1; }
  int ncv() const { return static_cast<int>(kv.full.size()) - kv.degree - 1; }
  struct Foot {
    Int ierr;
    double u, v, distance, x[3], t[6], k[3], skew[8];
    Int su, sv;
  };
  Foot foot(const double* p, double u0, double v0) const {
    Foot f{};
    f.u = u0, f.v = v0, f.su = 1, f.sv = 1;
    const Int pu = ku.degree, pv = kv.degree, nku = ku.nknot(), nkv = kv.nknot(), ldim = 3, nc = ncu(), ndim = 3;
    const Logical per = kOpen, rat = rational ? kTrue : kFalse;
    const double lo = 0.0, hi = 1.0, dtol = 1e-14, ptol = 1e-12;
    FNDDISTTO3DBSPLINE(p, &pu, &pv, &nku, &nkv, ku.ours.data(), kv.ours.data(), cp.data(), &ldim, &nc, &ndim,
                       w.data(), &f.u, &f.v, &f.su, &f.sv, &per, &per, &lo, &hi, &lo, &hi, &rat, &dtol, &ptol,
                       &f.distance, f.x, f.t, f.k, f.skew, &f.ierr);
    return f;
  }
  void point(double u, double v, double* x) const {
    const Int pu = ku.degree, pv = kv.degree, nku = ku.nknot(), nkv = kv.nknot(), ldim = 3, nc = ncu(), ndim = 3;
    const Logical per = kOpen, rat = rational ? kTrue : kFalse;
    const double lo = 0.0, hi = 1.0;
    Int su = 1, sv = 1, ierr = 0;
    BSPLINE_FACE(x, &pu, &pv, &nku, &nkv, ku.ours.data(), kv.ours.data(), cp.data(), &ldim, &nc, &ndim, w.data(), &u,
                 &v, &su, &sv, &per, &per, &lo, &hi, &lo, &hi, &rat, &ierr);
  }
  SISLSurf* sisl() const {
    std::vector<double> coef;
    for (std::size_t j = 0; j < w.size(); ++j) {
      const double s = rational ? w[j] : 1.0;
      for (int c = 0; c < 3; ++c) coef.push_back(cp[3 * j + c] * s);
      if (rational) coef.push_back(w[j]);
    }
    std::vector<double> tu = ku.full, tv = kv.full;
    return newSurf(ncu(), ncv(), ku.degree + 1, kv.degree + 1, tu.data(), tv.data(), coef.data(), rational ? 2 : 1, 3,
                   1);
  }
};

// A cylinder of radius r about the z axis, heights 0 to h: the full circle in u, linear in v.
Face cylinder(double r, double h) {
  const double c[2] = {0.0, 0.0};
  const Edge e = circle(c, r);
  Face f{e.k, clamped(1, {}), {}, {}, true};
  for (int row = 0; row < 2; ++row)
    for (int j = 0; j < 9; ++j) {
      f.cp.insert(f.cp.end(), {e.cp[2 * j], e.cp[2 * j + 1], row * h});
      f.w.push_back(e.w[j]);
    }
  return f;
}

double norm(const double* a, int n) {
  double s = 0.0;
  for (int i = 0; i < n; ++i) s += a[i] * a[i];
  return std::sqrt(s);
}

TEST(BsplineFeet, CircleEdgeGivesRadialFootSignedDistanceAndCurvature) {
  std::mt19937 rng(19);
  std::uniform_real_distribution<double> angle(0.05, 2 * std::numbers::pi - 0.05), radial(0.6, 1.4);
  const double c[2] = {0.3, -0.7}, r = 2.0;
  const Edge e = circle(c, r);
  for (int s = 0; s < 200; ++s) {
    const double a = angle(rng), rho = radial(rng) * r;
    const double p[2] = {c[0] + rho * std::cos(a), c[1] + rho * std::sin(a)};
    // Start on the right quarter a little off the foot's parameter.
    const double quarter = std::floor(a / (std::numbers::pi / 2));
    const Edge::Foot f = e.foot(p, std::clamp(quarter * 0.25 + 0.125, 0.0, 1.0));
    ASSERT_EQ(f.ierr, 0) << s;
    const double gap = std::hypot(p[0] - c[0], p[1] - c[1]);
    // Converged to 1e-6 of the distance in the foot, to its square in the distance.
    const double tol = 1e-6 * std::fabs(gap - r) + 1e-12;
    EXPECT_NEAR(f.x[0], c[0] + r * (p[0] - c[0]) / gap, tol);
    EXPECT_NEAR(f.x[1], c[1] + r * (p[1] - c[1]) / gap, tol);
    EXPECT_NEAR(f.distance, gap - r, tol);  // counter-clockwise edge: the normal points inward
    EXPECT_NEAR(f.curvature, 1.0 / r, 1e-12);
    EXPECT_NEAR(f.t[0], -std::sin(a), tol / r);
    EXPECT_NEAR(f.t[1], std::cos(a), tol / r);
  }
}

// A cubic edge with three coordinates: the foot is found in its first two, the distance is the
// unsigned one in space and there is no curvature. The straight line from (0, 0, 1) to (3, 0, 4)
// with control points at thirds (u = x / 3): P = (1.2, 0.7, 3) has its foot at x = 1.2. An edge of
// one point has no tangent there: its error flag is the normalisation's.
TEST(BsplineFeet, SpaceEdgesGiveTheUnsignedDistanceAndPointEdgesNoTangent) {
  const Knots k = clamped(3, {});
  const std::vector<double> line = {0, 0, 1, 1, 0, 2, 2, 0, 3, 3, 0, 4}, dot(12, 0.5), w(4, 1.0);
  const Int deg = 3, nk = k.nknot(), ldim = 3, ndim = 3;
  const Logical rat = kFalse, per = kOpen;
  const double lo = 0.0, hi = 1.0, dtol = 1e-14, ptol = 1e-12, p[3] = {1.2, 0.7, 3.0};
  struct Foot {
    Int ierr, span = 1;
    double u = 0.5, distance, x[3], t[3], curvature = 9;
  };
  Foot f;
  FNDDISTTOBSPLINE(p, &rat, &deg, &nk, k.ours.data(), line.data(), &ldim, &ndim, w.data(), &f.span, &per, &lo, &hi,
                   &dtol, &ptol, &f.u, &f.distance, f.x, f.t, &f.curvature, &f.ierr);
  ASSERT_EQ(f.ierr, 0);
  EXPECT_NEAR(f.u, 0.4, 1e-12);
  const double foot[3] = {1.2, 0.0, 2.2}, r2 = 1.0 / std::numbers::sqrt2;
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(f.x[i], foot[i], 1e-12);
  EXPECT_NEAR(f.distance, std::hypot(0.7, 0.8), 1e-12);
  EXPECT_NEAR(f.t[0], r2, 1e-12);
  EXPECT_NEAR(f.t[2], r2, 1e-12);
  EXPECT_EQ(f.curvature, 0.0);

  Foot g;
  FNDDISTTOBSPLINE(p, &rat, &deg, &nk, k.ours.data(), dot.data(), &ldim, &ndim, w.data(), &g.span, &per, &lo, &hi, &dtol,
                   &ptol, &g.u, &g.distance, g.x, g.t, &g.curvature, &g.ierr);
  EXPECT_NE(g.ierr, 0);
}

TEST(BsplineFeet, CylinderFaceGivesRadialFootNormalAndCurvatures) {
  std::mt19937 rng(7);
  // Away from the seam: a Newton step past the end of the open face ends with the evaluator's error.
  std::uniform_real_distribution<double> angle(0.3, 2 * std::numbers::pi - 0.3), radial(0.6, 1.4), height(0.1, 2.9);
  const double r = 1.5, h = 3.0;
  const Face f = cylinder(r, h);
  for (int s = 0; s < 200; ++s) {
    const double a = angle(rng), rho = radial(rng) * r, z = height(rng);
    const double p[3] = {rho * std::cos(a), rho * std::sin(a), z};
    const double quarter = std::floor(a / (std::numbers::pi / 2));
    const Face::Foot ft = f.foot(p, quarter * 0.25 + 0.125, 0.5);
    ASSERT_EQ(ft.ierr, 0) << s << " a=" << a << " rho=" << rho << " z=" << z << " u=" << ft.u << " v=" << ft.v;
    const double tol = 2e-6 * std::fabs(rho - r) + 1e-12;
    EXPECT_NEAR(ft.x[0], r * std::cos(a), tol);
    EXPECT_NEAR(ft.x[1], r * std::sin(a), tol);
    EXPECT_NEAR(ft.x[2], z, tol);
    EXPECT_NEAR(ft.v, z / h, tol);
    // t1 counter-clockwise, t2 up: n = t1 x t2 points outward, so (x - P) . n = r - rho.
    EXPECT_NEAR(ft.distance, r - rho, tol);
    EXPECT_NEAR(ft.k[0], -1.0 / r, 1e-12);
    EXPECT_NEAR(ft.k[1], 0.0, 1e-12);
    EXPECT_NEAR(ft.k[2], 0.0, 1e-12);
    for (double sk : ft.skew) EXPECT_EQ(sk, 0.0);
  }
}

// Random cubic edges and bicubic faces, rational and not: a point a little off the spline along
// its normal, the same start for both iterations, the same foot.
TEST(BsplineFeet, CubicEdgesAndFacesAgreeWithTheReference) {
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int rational = 0; rational < 2; ++rational) {
    Edge e{clamped(3, {0.3, 0.6}), {}, {}, rational == 1};
    for (int j = 0; j < 6; ++j) {
      e.cp.push_back(j + 0.3 * unit(rng));
      e.cp.push_back(std::sin(0.8 * j) + 0.3 * unit(rng));
      e.w.push_back(rational ? 0.6 + 0.8 * unit(rng) : 1.0);
    }
    SISLCurve* curve = e.sisl();
    for (int s = 0; s < 100; ++s) {
      const double t0 = 0.05 + 0.9 * unit(rng);
      double x[2];
      e.point(t0, x);
      double x2[2];
      e.point(t0 + 1e-6, x2);
      const double tx = x2[0] - x[0], ty = x2[1] - x[1], l = std::hypot(tx, ty);
      const double off = 0.2 * (unit(rng) - 0.5);
      const double p[2] = {x[0] - off * ty / l, x[1] + off * tx / l};
      const double start = std::clamp(t0 + 0.03 * (unit(rng) - 0.5), 0.0, 1.0);
      const Edge::Foot f = e.foot(p, start);
      double ref = 0.0;
      int stat = 0;
      s1774(curve, const_cast<double*>(p), 2, 1e-12, 0.0, 1.0, start, &ref, &stat);
      ASSERT_GE(stat, 0);
      double xr[2];
      e.point(ref, xr);
      const double dref = std::hypot(p[0] - xr[0], p[1] - xr[1]);
      ASSERT_EQ(f.ierr, 0) << s;
      EXPECT_NEAR(std::fabs(f.distance), dref, 1e-6 * dref + 1e-12) << s;
      EXPECT_NEAR(std::hypot(f.x[0] - xr[0], f.x[1] - xr[1]), 0.0, 2e-6 * dref + 1e-9) << s;
    }
    freeCurve(curve);

    Face fc{clamped(3, {0.5}), clamped(3, {0.4}), {}, {}, rational == 1};
    for (int j = 0; j < 5; ++j)
      for (int i = 0; i < 5; ++i) {
        fc.cp.insert(fc.cp.end(), {double(i), double(j), 0.5 * std::sin(0.7 * i) * std::cos(0.6 * j) + 0.2 * unit(rng)});
        fc.w.push_back(rational ? 0.6 + 0.8 * unit(rng) : 1.0);
      }
    SISLSurf* surf = fc.sisl();
    for (int s = 0; s < 100; ++s) {
      const double u0 = 0.05 + 0.9 * unit(rng), v0 = 0.05 + 0.9 * unit(rng);
      double x[3], xu[3], xv[3];
      fc.point(u0, v0, x);
      fc.point(u0 + 1e-6, v0, xu);
      fc.point(u0, v0 + 1e-6, xv);
      double a[3], b[3], n[3];
      for (int c = 0; c < 3; ++c) a[c] = xu[c] - x[c], b[c] = xv[c] - x[c];
      n[0] = a[1] * b[2] - a[2] * b[1], n[1] = a[2] * b[0] - a[0] * b[2], n[2] = a[0] * b[1] - a[1] * b[0];
      const double ln = norm(n, 3), off = 0.4 * (unit(rng) - 0.5);
      double p[3];
      for (int c = 0; c < 3; ++c) p[c] = x[c] + off * n[c] / ln;
      double start[2] = {std::clamp(u0 + 0.02 * (unit(rng) - 0.5), 0.0, 1.0),
                         std::clamp(v0 + 0.02 * (unit(rng) - 0.5), 0.0, 1.0)};
      const Face::Foot f = fc.foot(p, start[0], start[1]);
      double lo[2] = {0.0, 0.0}, hi[2] = {1.0, 1.0}, ref[2];
      int stat = 0;
      s1775(surf, p, 3, 1e-12, lo, hi, start, ref, &stat);
      ASSERT_GE(stat, 0);
      double xr[3];
      fc.point(ref[0], ref[1], xr);
      double gap[3] = {p[0] - xr[0], p[1] - xr[1], p[2] - xr[2]}, diff[3];
      const double dref = norm(gap, 3);
      ASSERT_EQ(f.ierr, 0) << s;
      EXPECT_NEAR(std::fabs(f.distance), dref, 1e-6 * dref + 1e-12) << s;
      for (int c = 0; c < 3; ++c) diff[c] = f.x[c] - xr[c];
      EXPECT_LE(norm(diff, 3), 2e-6 * dref + 1e-9) << s;
    }
    freeSurf(surf);
  }
}

TEST(BsplineFeet, StartsAreClampedAndGuessImproversRefuseBadLists) {
  const double c[2] = {0.0, 0.0};
  const Edge e = circle(c, 1.0);
  const double p[2] = {1.5, 0.2};
  const Edge::Foot f = e.foot(p, -0.5);  // moved to U(1) = 0 before the first step
  ASSERT_EQ(f.ierr, 0);
  EXPECT_NEAR(f.distance, std::hypot(1.5, 0.2) - 1.0, 1e-12);

  const Int deg = 2, nk = e.k.nknot(), ldim = 2, ndim = 2, span = 1;
  const Logical rat = kTrue, per = kOpen;
  const double lo = 0.0, hi = 1.0;
  const double cands[4] = {0.1, 0.35, 0.6, 0.85};
  for (auto [k, n] : {std::pair<Int, Int>{1, 1}, {0, 4}, {5, 4}, {1, 0}}) {
    double u = -7.0;
    IMPROVE_GUESS_2DBSPLINE(p, &rat, &deg, &nk, e.k.ours.data(), e.cp.data(), &ldim, &ndim, e.w.data(), &span, &per,
                            &lo, &hi, &u, cands, &k, &n);
    EXPECT_EQ(u, -7.0) << k << " " << n;
  }
  // Candidate 1 of 4 samples 0.1 and 0.225. A point at parameter 0.02: the midpoint 0.1625 is
  // farther than both, one halving only, t = 0.1. A point at 0.17: the halvings close in on it.
  for (auto [target, expected, tol] : {std::tuple{0.02, 0.1, 0.0}, std::tuple{0.17, 0.17, 0.01}}) {
    double y[2];
    e.point(target, y);
    const double q[2] = {1.2 * y[0], 1.2 * y[1]};
    double u = -7.0;
    const Int k = 1, n = 4;
    IMPROVE_GUESS_2DBSPLINE(q, &rat, &deg, &nk, e.k.ours.data(), e.cp.data(), &ldim, &ndim, e.w.data(), &span, &per,
                            &lo, &hi, &u, cands, &k, &n);
    EXPECT_NEAR(u, expected, tol) << target;
  }

  // Boundary control points of a 3 x 4 net.
  std::vector<double> net;
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i < 3; ++i) net.insert(net.end(), {double(i), double(j), 0.0});
  const Int ld = 3, nu = 3, nv = 4, one = 1, two = 2, zero = 0;
  const double r[3] = {1.0, 1.6, 0.0};
  double d = 0.0;
  DISTTOEDGE3DBSPLINE(&d, r, &one, &one, &one, &one, net.data(), &ld, &nu, &nv, &zero, &zero);
  EXPECT_EQ(d, 1e18);
  DISTTOEDGE3DBSPLINE(&d, r, &one, &one, &two, &one, net.data(), &ld, &nu, &nv, &zero, &zero);
  EXPECT_NEAR(d, std::hypot(1.0, 0.4), 1e-15);  // columns u = 1 and 3: (0, 2) or (2, 2)
  DISTTOEDGE3DBSPLINE(&d, r, &one, &one, &one, &one, net.data(), &ld, &nu, &nv, &zero, &one);
  EXPECT_NEAR(d, 1.4, 1e-15);  // rows v = 1 and 4: (1, 3)
}

// ---- The multi-piece searches ----------------------------------------------------------------------

struct Pieces {
  std::vector<double> q, radius, u0;
  std::vector<Int> span;
};

// n pieces of equal parameter length, each with its centre point and covering radius.
template <class Point>
Pieces pieces(int n, int dim, Point&& point) {
  Pieces p;
  for (int i = 0; i < n; ++i) {
    const double a = double(i) / n, b = double(i + 1) / n;
    double mid[3] = {}, x[3] = {};
    point(0.5 * (a + b), mid);
    double r = 0.0;
    for (int s = 0; s <= 8; ++s) {
      point(a + (b - a) * s / 8.0, x);
      double d = 0.0;
      for (int c = 0; c < dim; ++c) d += (x[c] - mid[c]) * (x[c] - mid[c]);
      r = std::max(r, std::sqrt(d));
    }
    p.q.insert(p.q.end(), mid, mid + dim);
    p.radius.push_back(r);
    p.u0.push_back(0.5 * (a + b));
    p.span.push_back(1);
  }
  return p;
}

struct EdgeSearch {
  Int span, status;
  double u, distance, foot[2], tangent[2], curvature;
};

// The search over the whole parameter range; size is read and written as the routine does.
EdgeSearch search(const Edge& e, const Pieces& pc, const double* x, double length, Real* work, Int* size) {
  EdgeSearch r{};
  const Int nseg = static_cast<Int>(pc.radius.size()), deg = e.k.degree, ldq = 2, ldim = 2, nk = e.k.nknot();
  const Logical rat = e.rational ? kTrue : kFalse, per = kOpen;
  const double lo = 0.0, hi = 1.0;
  BSPLINESEARCH2D(x, pc.q.data(), pc.u0.data(), pc.span.data(), pc.radius.data(), &nseg, &rat, &deg, &ldq,
                  e.cp.data(), &ldim, e.w.data(), e.k.ours.data(), &nk, &per, &lo, &hi, &length, work, size,
                  &r.span, &r.u, &r.distance, r.foot, r.tangent, &r.curvature, &r.status);
  return r;
}

EdgeSearch search(const Edge& e, const Pieces& pc, const double* x, double length, std::vector<double>& work,
                  Int size) {
  return search(e, pc, x, length, work.data(), &size);
}

struct FaceSearch {
  Int spanu, spanv, status;
  double u, v, distance, foot[3], t[6], k[3], skew[8];
};

// BSPLINESEARCH3D over an na x nb grid of patches of the open face f.
FaceSearch search(const Face& f, const std::vector<double>& q, const std::vector<double>& radius,
                  const std::vector<double>& u0, const std::vector<double>& v0, const double* x, double length,
                  std::vector<double>& work) {
  FaceSearch r{};
  const Int ldq = 3, pu = f.ku.degree, pv = f.kv.degree, nku = f.ku.nknot(), nkv = f.kv.nknot(), ldim = 3;
  const Int ncu = f.ncu(), ndim = 3, na = static_cast<Int>(u0.size()), nb = static_cast<Int>(v0.size());
  const std::vector<Int> su(na, 1), sv(nb, 1);
  Int size = static_cast<Int>(work.size());
  const Logical per = kOpen, rat = f.rational ? kTrue : kFalse;
  const double lo = 0.0, hi = 1.0;
  BSPLINESEARCH3D(x, q.data(), &ldq, &na, &nb, u0.data(), v0.data(), su.data(), sv.data(), radius.data(), &pu, &pv,
                  &nku, &nkv, f.ku.ours.data(), f.kv.ours.data(), f.cp.data(), &ldim, &ncu, &ndim, f.w.data(), &r.u,
                  &r.v, &r.spanu, &r.spanv, &per, &per, &lo, &hi, &lo, &hi, &length, &rat, &r.distance, r.foot, r.t,
                  r.k, r.skew, work.data(), &size, &r.status);
  return r;
}

TEST(BsplineSearch, CircleEdgeAndCylinderFaceMatchTheirClosedForms) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> angle(0.0, 2 * std::numbers::pi), radial(0.8, 1.2), height(0.2, 1.8);
  const double c[2] = {1.0, 2.0}, r = 1.0;
  const Edge e = circle(c, r);
  const Pieces pc = pieces(16, 2, [&](double u, double* x) { e.point(u, x); });
  const std::size_t need = 2 * 16 + 1;
  std::vector<double> work(need + 4, -3.0);
  for (int s = 0; s < 100; ++s) {
    const double a = angle(rng), rho = radial(rng) * r;
    const double x[2] = {c[0] + rho * std::cos(a), c[1] + rho * std::sin(a)};
    // A work size below 2 NSEG + 1 is raised through DBCORE and the array used as before.
    const bool small = s % 2 == 1;
    std::fill(work.begin(), work.end(), -3.0);
    const EdgeSearch res = search(e, pc, x, 2.0, work, small ? Int(need - 1) : Int(need));
    ASSERT_EQ(res.status, 0) << s;
    const double tol = 1e-6 * std::fabs(rho - r) + 1e-12;
    EXPECT_NEAR(res.distance, rho - r, tol);
    EXPECT_NEAR(res.foot[0], c[0] + r * std::cos(a), tol);
    EXPECT_NEAR(res.foot[1], c[1] + r * std::sin(a), tol);
    EXPECT_NEAR(res.curvature, 1.0 / r, 1e-12);
    EXPECT_TRUE(std::all_of(work.begin() + need, work.end(), [](double v) { return v == -3.0; }));
  }

  const Face f = cylinder(r, 2.0);
  const int na = 8, nb = 2;
  Pieces pu = pieces(na, 3, [&](double u, double* x) { f.point(u, 0.5, x); });
  std::vector<double> q, radius, u0(na), v0 = {0.25, 0.75};
  for (int b = 0; b < nb; ++b)
    for (int a = 0; a < na; ++a) {
      q.insert(q.end(), {pu.q[3 * a], pu.q[3 * a + 1], 2.0 * v0[b]});
      radius.push_back(std::hypot(pu.radius[a], 0.5));
    }
  std::copy(pu.u0.begin(), pu.u0.end(), u0.begin());
  std::vector<double> fwork(2 * na * nb);
  const Int tally = rec::i(CSIZE, 3);
  for (int s = 0; s < 100; ++s) {
    const double a = angle(rng), rho = radial(rng) * r, z = height(rng);
    const double x[3] = {rho * std::cos(a), rho * std::sin(a), z};
    const FaceSearch res = search(f, q, radius, u0, v0, x, 2.0, fwork);
    ASSERT_EQ(res.status, 0) << s;
    const double tol = 1e-6 * std::fabs(rho - r) + 1e-12;
    EXPECT_NEAR(res.distance, r - rho, tol);
    EXPECT_NEAR(res.foot[0], r * std::cos(a), tol);
    EXPECT_NEAR(res.foot[1], r * std::sin(a), tol);
    EXPECT_NEAR(res.foot[2], z, tol);
  }
  EXPECT_EQ(rec::i(CSIZE, 3), tally) << "2 NA NB reals are the whole need of the face search";

  // A reference point off the curve, nearer to the point than the foot on its positive side: the
  // running best starts at that distance, so the foot found is not accepted and the results go
  // back to their start values.
  {
    Pieces moved = pc;
    const double a = 2 * std::numbers::pi * (3.5 / 16), x[2] = {c[0] + 1.5 * std::cos(a), c[1] + 1.5 * std::sin(a)};
    moved.q[6] = c[0] + 1.3 * std::cos(a), moved.q[7] = c[1] + 1.3 * std::sin(a);
    const EdgeSearch plain = search(e, pc, x, 2.0, work, Int(need));
    EXPECT_EQ(plain.status, 0);
    EXPECT_NEAR(plain.distance, 0.5, 1e-9);
    const EdgeSearch res = search(e, moved, x, 2.0, work, Int(need));
    EXPECT_EQ(res.status, 1);
    EXPECT_EQ(res.distance, -1e36);
    EXPECT_EQ(res.span, 0);
    EXPECT_EQ(res.u, 1e36);
    EXPECT_EQ(res.foot[0], 0.0);
    // The same inside the cylinder, whose inside is its positive side.
    std::vector<double> movedQ(q);
    const int k = 3;  // patch (4, 1): u around 3.5 / 8, v = 0.25
    const double b = 2 * std::numbers::pi * (3.5 / 8), y[3] = {0.5 * std::cos(b), 0.5 * std::sin(b), 0.5};
    movedQ[3 * k] = 0.7 * std::cos(b), movedQ[3 * k + 1] = 0.7 * std::sin(b), movedQ[3 * k + 2] = 0.5;
    const FaceSearch inside = search(f, q, radius, u0, v0, y, 2.0, fwork);
    EXPECT_EQ(inside.status, 0);
    EXPECT_NEAR(inside.distance, 0.5, 1e-9);
    const FaceSearch face = search(f, movedQ, radius, u0, v0, y, 2.0, fwork);
    EXPECT_EQ(face.status, 1);
    EXPECT_EQ(face.distance, -1e36);
    EXPECT_EQ(face.foot[0], 0.0);
  }
}

// A work size below the need is raised through DBCORE by the whole need (the size and the run's
// core tally grow). The keys go to the caller's array only within the room the library knows: a
// block of the address space to its end, any other array the size passed. Beyond it they go to
// storage of the library's own and the answer is the same. A raise the memory cannot give is
// reported as a memory failure, and the search goes on in that storage.
TEST(BsplineSearch, WorkSizeBelowTheNeedIsRaisedAndTheArrayWrittenOnlyWithinItsRoom) {
  const double c[2] = {0.0, 0.0};
  const Edge e = circle(c, 1.0);
  const Int nseg = 8, need = 2 * nseg + 1;
  const Pieces pc = pieces(nseg, 2, [&](double u, double* x) { e.point(u, x); });
  const double x[2] = {1.5, 0.2};
  auto run = [&](Real* work, Int& size) { return search(e, pc, x, 2.0, work, &size); };
  const auto untouched = [](const std::vector<Real>& w) {
    return std::all_of(w.begin(), w.end(), [](Real v) { return v == -3.0; });
  };
  const auto same = [](const EdgeSearch& a, const EdgeSearch& b) {
    return a.status == b.status && a.span == b.span && a.u == b.u && a.distance == b.distance &&
           a.foot[0] == b.foot[0] && a.foot[1] == b.foot[1] && a.tangent[0] == b.tangent[0] &&
           a.tangent[1] == b.tangent[1] && a.curvature == b.curvature;
  };
  const Int tally = rec::i(CSIZE, 3);
  const long long stack = dm2_testing::stackInUse();
  std::vector<Real> large(need, -3.0);
  Int size = need;
  const EdgeSearch reference = run(large.data(), size);
  EXPECT_EQ(reference.status, 0);
  EXPECT_NEAR(reference.distance, std::hypot(1.5, 0.2) - 1.0, 1e-9);
  EXPECT_EQ(size, need) << "a size that holds the need is left as it is";
  EXPECT_EQ(rec::i(CSIZE, 3), tally);

  // A heap array of exactly 3 words (the sanitizers catch a word past it).
  std::vector<Real> three(3, -3.0);
  size = 3;
  EXPECT_TRUE(same(run(three.data(), size), reference));
  EXPECT_EQ(size, 3 + need);
  EXPECT_EQ(rec::i(CSIZE, 3), tally + need);
  EXPECT_EQ(dm2_testing::stackInUse(), stack + 8LL * need);
  EXPECT_TRUE(untouched(three));

  zmxtest::MappedArray roomy(need);
  size = 3;
  EXPECT_TRUE(same(run(roomy.data(), size), reference));
  EXPECT_NE(roomy[2 * nseg - 1], zmxtest::MappedArray::kGuard) << "the keys are kept in a block that holds them";
  EXPECT_TRUE(roomy.guardsKept());

  zmxtest::MappedArray shortBlock(10);  // room for 10 of the 17 reals, though the size says 20
  size = 20;
  EXPECT_TRUE(same(run(shortBlock.data(), size), reference));
  EXPECT_EQ(size, 20);
  for (std::size_t k = 0; k < 10; ++k) EXPECT_EQ(shortBlock[k], zmxtest::MappedArray::kGuard) << k;
  EXPECT_TRUE(shortBlock.guardsKept());

  dm2_testing::setStackLimit(dm2_testing::stackInUse());
  eqc_testing::clearMessages();
  size = 3;
  std::fill(three.begin(), three.end(), -3.0);
  EXPECT_TRUE(same(run(three.data(), size), reference));
  EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE."));
  EXPECT_EQ(size, 3);
  EXPECT_EQ(rec::i(CSIZE, 3), tally + 2 * need);
  EXPECT_TRUE(untouched(three));
}

TEST(BsplineSearch, RandomEdgesAndFacesFindTheGlobalFootOfDenseSampling) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  Edge e{clamped(3, {0.2, 0.4, 0.6, 0.8}), {}, {}, false};
  for (int j = 0; j < 8; ++j) {
    e.cp.insert(e.cp.end(), {double(j), 1.5 * std::sin(1.1 * j) + 0.3 * unit(rng)});
    e.w.push_back(1.0);
  }
  SISLCurve* curve = e.sisl();
  const Pieces pc = pieces(20, 2, [&](double u, double* x) { e.point(u, x); });
  std::vector<double> work(41);
  for (int s = 0; s < 60; ++s) {
    const double x[2] = {0.5 + 6.0 * unit(rng), -1.0 + 2.5 * unit(rng)};
    // Dense sampling, refined by the reference from the best sample.
    double bestU = 0.0, best = 1e300, y[2];
    for (int i = 0; i <= 4000; ++i) {
      e.point(i / 4000.0, y);
      const double d = std::hypot(x[0] - y[0], x[1] - y[1]);
      if (d < best) best = d, bestU = i / 4000.0;
    }
    double ref = 0.0;
    int stat = 0;
    s1774(curve, const_cast<double*>(x), 2, 1e-12, 0.0, 1.0, bestU, &ref, &stat);
    e.point(ref, y);
    const double dref = std::hypot(x[0] - y[0], x[1] - y[1]);
    if (ref <= 1e-9 || ref >= 1.0 - 1e-9) continue;  // the nearest point is an end: no perpendicular foot
    const EdgeSearch res = search(e, pc, x, 10.0, work, 41);
    ASSERT_EQ(res.status, 0) << s;
    EXPECT_NEAR(std::fabs(res.distance), dref, 1e-6 * dref + 1e-10) << s;
  }
  freeCurve(curve);

  Face f{clamped(3, {0.25, 0.5, 0.75}), clamped(3, {0.5}), {}, {}, false};
  for (int j = 0; j < 5; ++j)
    for (int i = 0; i < 7; ++i) {
      f.cp.insert(f.cp.end(), {double(i), double(j), 0.8 * std::sin(0.9 * i) * std::cos(0.7 * j) + 0.2 * unit(rng)});
      f.w.push_back(1.0);
    }
  SISLSurf* surf = f.sisl();
  // A 6 x 4 grid of patches over the parameter square, each with its centre and covering radius.
  const int na = 6, nb = 4;
  std::vector<double> q, radius, u0(na), v0(nb);
  for (int a = 0; a < na; ++a) u0[a] = (a + 0.5) / na;
  for (int b = 0; b < nb; ++b) v0[b] = (b + 0.5) / nb;
  for (int b = 0; b < nb; ++b)
    for (int a = 0; a < na; ++a) {
      double mid[3], y[3], r = 0.0;
      f.point(u0[a], v0[b], mid);
      for (int i = 0; i <= 6; ++i)
        for (int j = 0; j <= 6; ++j) {
          f.point((a + i / 6.0) / na, (b + j / 6.0) / nb, y);
          r = std::max(r, std::hypot(y[0] - mid[0], y[1] - mid[1], y[2] - mid[2]));
        }
      q.insert(q.end(), mid, mid + 3);
      radius.push_back(r);
    }
  std::vector<double> fwork(2 * na * nb);
  int checked = 0;
  for (int s = 0; s < 60; ++s) {
    const double x[3] = {0.5 + 5.0 * unit(rng), 0.5 + 3.0 * unit(rng), 1.2 * (unit(rng) - 0.5)};
    double best = 1e300, bu = 0, bv = 0, y[3];
    for (int i = 0; i <= 200; ++i)
      for (int j = 0; j <= 200; ++j) {
        f.point(i / 200.0, j / 200.0, y);
        const double d = std::hypot(x[0] - y[0], x[1] - y[1], x[2] - y[2]);
        if (d < best) best = d, bu = i / 200.0, bv = j / 200.0;
      }
    double lo2[2] = {0, 0}, hi2[2] = {1, 1}, start[2] = {bu, bv}, ref[2];
    int stat = 0;
    s1775(surf, const_cast<double*>(x), 3, 1e-12, lo2, hi2, start, ref, &stat);
    if (std::min({ref[0], ref[1], 1 - ref[0], 1 - ref[1]}) <= 1e-9) continue;  // foot on the boundary
    f.point(ref[0], ref[1], y);
    const double dref = std::hypot(x[0] - y[0], x[1] - y[1], x[2] - y[2]);
    const FaceSearch res = search(f, q, radius, u0, v0, x, 10.0, fwork);
    ASSERT_EQ(res.status, 0) << s;
    EXPECT_NEAR(std::fabs(res.distance), dref, 1e-6 * dref + 1e-10) << s;
    ++checked;
  }
  EXPECT_GT(checked, 30);
  freeSurf(surf);
}

}  // namespace
