// The rotating tangent plane: no rotation in the reference configuration, the exact rotation of
// a rigidly turned master (a half turn among them), random rigid motions with exact and near half
// turns against the turned reference plane, the derivative matrices against the
// finite-difference spin of the plane's rotation, and the update against the clearance
// recomputed in the displaced configuration.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <cmath>
#include <random>
#include <vector>

#include "tests/support/host_fixture.h"
#include "zmx/contact/small_sliding.h"
#include "zmx/numerics/rotations.h"

namespace {

using Vec = std::vector<Real>;
using Mat = std::array<Real, 9>;  // column-major

constexpr Int kLdx = 3;

class RotatingPlane : public zmxtest::HostFixture {
 protected:
  Int m = 4, k = 1;
  Vec wa{0.25, 0.25, 0.25, 0.25};
  Vec w{-0.5, 0.5, 0.5, -0.5, -0.5, -0.5, 0.5, 0.5};  // x and y differences of a quadrilateral
  Vec x0{0.1, 0.2, 0.7, 0, 0, 0, 1, 0.1, 0, 1.1, 0.9, 0.2, -0.1, 1, 0.1};
  Vec tref{1, 0, 0, 0, 1, 0};  // orthonormal, so that tt gives the rotation matrix

  struct Result {
    Real h, xi1, xi2;
    Real n[3], tt[6], p[3];
    Vec dm;
  };
  Result run(const Vec& x, const Vec& u, Int mode) {
    Result r;
    r.dm.assign(9 * (m + 1), 7.0);
    SHR_SMSLIDDEF3DHDIST(&r.h, &r.xi1, &r.xi2, r.n, r.tt, r.p, wa.data(), w.data(), x.data(), &kLdx, &m, &k,
                         u.data(), &mode, x0.data(), tref.data(), r.dm.data());
    return r;
  }
  // The one-dof form with ordinary nodes; it updates whatever the mode.
  Result runOneDof(const Vec& x, const Vec& u, Int mode) {
    Result r;
    r.dm.assign(9 * (m + 1), 0.0);
    constexpr Logical no = kFalse;
    const Int ndb = 0;
    Real rec[4];
    const Real ns[3] = {0, 0, 1};
    const std::vector<Int> nix(6, 0);
    SHR_SMSLIDDEF3DHDIST_1DOF(&r.h, &r.xi1, &r.xi2, r.n, r.tt, r.p, wa.data(), w.data(), x.data(), &kLdx, &m, &k,
                              u.data(), rec, &no, &no, ns, &ndb, nix.data(), x0.data(), tref.data(), r.dm.data(),
                              &mode);
    return r;
  }
  // The plane's rotation: R tref(j) = tt(j) and R (tref1 x tref2) = n.
  static Mat rotation(const Result& r) {
    return {r.tt[0], r.tt[1], r.tt[2], r.tt[3], r.tt[4], r.tt[5], r.n[0], r.n[1], r.n[2]};
  }
  Vec zeros() const { return Vec(3 * (m + 1), 0.0); }
};

Mat turn(const Real* axis, Real angle) {
  const Real r[3] = {axis[0] * angle, axis[1] * angle, axis[2] * angle};
  const Real e[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  Mat q;
  const Int three = 3, finite = 1;
  ANROTSHR(e, q.data(), r, &three, &finite);
  return q;
}

Vec turned(const Vec& x, const Mat& q, const Real* shift) {
  Vec y(x.size());
  for (std::size_t j = 0; j < x.size(); j += 3)
    for (int i = 0; i < 3; ++i) y[j + i] = q[i] * x[j] + q[3 + i] * x[j + 1] + q[6 + i] * x[j + 2] + shift[i];
  return y;
}

TEST_F(RotatingPlane, ReferenceConfigurationAndRigidTurns) {
  tref = {2, 0, 0, 0.6, 0.8, 0};
  const Result r = run(x0, zeros(), 1);
  EXPECT_NEAR(r.tt[0], 1.0, 1e-15);
  EXPECT_NEAR(r.tt[3], 0.6, 1e-15);
  EXPECT_NEAR(r.tt[4], 0.8, 1e-15);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(r.dm[i], 0.0);
  const Real axes[3][3] = {{0.0, 0.0, 1.0}, {0.6, 0.0, 0.8}, {1.0, 0.0, 0.0}};
  const Real shift[3] = {0.3, -0.2, 1.0};
  for (const auto* axis : axes) {
    for (const Real angle : {0.7, 3.14159265358979, -2.0}) {
      const Mat q = turn(axis, angle);
      const Result t = run(turned(x0, q, shift), zeros(), 1);
      for (int j = 0; j < 2; ++j) {
        const Real* a = &tref[3 * j];
        const Real len = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
        for (int i = 0; i < 3; ++i)
          EXPECT_NEAR(t.tt[3 * j + i], (q[i] * a[0] + q[3 + i] * a[1] + q[6 + i] * a[2]) / len, 1e-12)
              << angle << " axis " << axis[0] << axis[2];
      }
    }
  }
}

// Whatever rigid motion moves the facet and the slave together, the plane turns with it: tt = R
// tref, n = R nref and the clearance is unchanged. Random facets and motions, with exact and near
// half turns about the reference bisector and about axes in the facet's plane, where the current
// normal is the reference normal reversed up to rounding.
TEST_F(RotatingPlane, RigidMotionsTurnThePlaneExactly) {
  std::mt19937 rng(37);
  std::uniform_real_distribution<Real> d(-1, 1);
  auto unit = [](std::array<Real, 3> v) {
    const Real l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return std::array<Real, 3>{v[0] / l, v[1] / l, v[2] / l};
  };
  const Real pi = std::acos(-1.0);
  int checked = 0;
  for (int facet = 0; facet < 40; ++facet) {
    for (std::size_t j = 0; j < x0.size(); ++j) x0[j] = (j % 3 == 2 ? 0.3 : 1.0) * d(rng);
    for (auto& e : tref) e = d(rng);
    const Result ref = run(x0, zeros(), 1);
    ASSERT_NE(ref.h, -1e36);
    // The reference bisector and normal from the weighted sums, formed here apart from the routine.
    std::array<Real, 3> s1{}, s2{};
    for (Int i = 0; i < m; ++i)
      for (int c = 0; c < 3; ++c) s1[c] += w[i] * x0[3 * (i + 1) + c], s2[c] += w[m + i] * x0[3 * (i + 1) + c];
    const auto e1 = unit(s1), e2 = unit(s2);
    const auto bisector = unit({e1[0] + e2[0], e1[1] + e2[1], e1[2] + e2[2]});
    const auto normal = unit({s1[1] * s2[2] - s1[2] * s2[1], s1[2] * s2[0] - s1[0] * s2[2], s1[0] * s2[1] - s1[1] * s2[0]});
    const auto across = unit({normal[1] * bisector[2] - normal[2] * bisector[1],
                              normal[2] * bisector[0] - normal[0] * bisector[2],
                              normal[0] * bisector[1] - normal[1] * bisector[0]});
    const Real mix = d(rng);
    const auto inPlane = unit({bisector[0] + mix * across[0], bisector[1] + mix * across[1], bisector[2] + mix * across[2]});
    const std::array<Real, 3> random = unit({d(rng), d(rng), d(rng)});
    for (const auto& axis : {bisector, across, inPlane, random}) {
      for (const Real angle : {pi, -pi, pi - 1e-15, pi + 1e-13, pi - 1e-10, pi - 1e-7, pi - 1e-4, 2.5, 3 * d(rng)}) {
        const Mat q = turn(axis.data(), angle);
        const Real shift[3] = {d(rng), d(rng), d(rng)};
        const Result t = run(turned(x0, q, shift), zeros(), 1);
        for (int j = 0; j < 2; ++j) {
          const Real* a = &ref.tt[3 * j];
          for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(t.tt[3 * j + i], q[i] * a[0] + q[3 + i] * a[1] + q[6 + i] * a[2], 1e-9)
                << "facet " << facet << " angle " << angle;
        }
        for (int i = 0; i < 3; ++i)
          EXPECT_NEAR(t.n[i], q[i] * ref.n[0] + q[3 + i] * ref.n[1] + q[6 + i] * ref.n[2], 1e-9);
        EXPECT_NEAR(t.h, ref.h, 1e-9 * (1 + std::fabs(ref.h))) << "facet " << facet << " angle " << angle;
        const Result one = runOneDof(turned(x0, q, shift), zeros(), 1);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(one.tt[i], t.tt[i]);
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, 40 * 4 * 9);
}

// Column c of D(i) against the axial vector of (R(x + e) R(x)^T - R(x - e) R(x)^T) / 2e for
// coordinate c of master node i.
void expectSpin(RotatingPlane* f, const Vec& x, const Vec& dm, Real tolerance,
                const std::function<Mat(const Vec&)>& rotationAt) {
  const Real e = 1e-6;
  const Mat r0 = rotationAt(x);
  for (Int i = 1; i <= 4; ++i) {
    for (int c = 0; c < 3; ++c) {
      Vec xp = x, xm = x;
      xp[(1 + i - 1) * 3 + c] += e;
      xm[(1 + i - 1) * 3 + c] -= e;
      const Mat rp = rotationAt(xp), rm = rotationAt(xm);
      Mat s{};  // (rp - rm) r0^T / 2e
      for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b)
          for (int q = 0; q < 3; ++q) s[b * 3 + a] += (rp[q * 3 + a] - rm[q * 3 + a]) * r0[q * 3 + b] / (2 * e);
      const Real axial[3] = {s[5], s[6], s[1]};  // s(3,2), s(1,3), s(2,1)
      for (int a = 0; a < 3; ++a) EXPECT_NEAR(dm[9 * i + 3 * c + a], axial[a], tolerance) << i << " " << c;
    }
  }
  (void)f;
}

// Flat facets turned by an exact half turn about an axis in their plane: the current normal is
// exactly the reference normal reversed, their cross product exactly zero, and the aligning turn
// takes the axis normal to the reference normal (for a normal along x, the one in the x-y plane).
TEST_F(RotatingPlane, ExactHalfTurnsOfFlatFacets) {
  struct Case {
    Vec x, tref;
    Mat q;
  };
  const Case cases[] = {
      {{0.1, 0.2, 0.7, 0, 0, 0, 1, 0.1, 0, 1.1, 0.9, 0, -0.1, 1, 0}, {1, 0, 0, 0, 1, 0}, {1, 0, 0, 0, -1, 0, 0, 0, -1}},
      {{0.7, 0.1, 0.2, 0, 0, 0, 0, 1, 0.1, 0, 1.1, 0.9, 0, -0.1, 1}, {0, 1, 0, 0, 0, 1}, {-1, 0, 0, 0, 1, 0, 0, 0, -1}},
  };
  const Real shift[3] = {0.3, -0.2, 1.0};
  for (const Case& c : cases) {
    x0 = c.x;
    tref = c.tref;
    const Result before = run(x0, zeros(), 1);
    const Result t = run(turned(x0, c.q, shift), zeros(), 1);
    for (int j = 0; j < 2; ++j) {
      const Real* a = &tref[3 * j];
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(t.tt[3 * j + i], c.q[i] * a[0] + c.q[3 + i] * a[1] + c.q[6 + i] * a[2], 1e-14);
    }
    for (int i = 0; i < 3; ++i)
      EXPECT_NEAR(t.n[i], c.q[i] * before.n[0] + c.q[3 + i] * before.n[1] + c.q[6 + i] * before.n[2], 1e-14);
    EXPECT_NEAR(t.h, before.h, 1e-14);
  }
}

TEST_F(RotatingPlane, DerivativesAreTheSpinOfThePlane) {
  auto rotationAt = [&](const Vec& x) { return rotation(run(x, zeros(), 1)); };
  std::mt19937 rng(7);
  std::uniform_real_distribution<Real> d(-0.2, 0.2);
  Vec x = x0;
  for (auto& e : x) e += d(rng);
  expectSpin(this, x, run(x, zeros(), 1).dm, 1e-6, rotationAt);
  expectSpin(this, x0, run(x0, zeros(), 0).dm, 1e-6, rotationAt);
}

TEST_F(RotatingPlane, UpdateIsTheFirstOrderChangeOfTheTurningPlane) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<Real> d(-1, 1);
  Vec u(3 * (m + 1));
  for (auto& e : u) e = d(rng);
  auto error = [&](Real s) {
    Vec us = u, xs = x0;
    for (auto& e : us) e *= s;
    for (std::size_t j = 0; j < xs.size(); ++j) xs[j] += us[j];
    return std::fabs(run(x0, us, 0).h - run(xs, zeros(), 1).h);
  };
  const Real e1 = error(1e-3), e2 = error(5e-4);
  EXPECT_LT(e1, 1e-4);
  EXPECT_NEAR(e1 / e2, 4.0, 0.4);
  // The one-dof form updates whatever the mode; with ordinary nodes it equals mode 0 of the plain form.
  const Result plain = run(x0, u, 0);
  const Result one = runOneDof(x0, u, 0);
  EXPECT_DOUBLE_EQ(one.h, plain.h);
  // No update in the plain form for modes other than 0.
  EXPECT_EQ(run(x0, u, 1).h, run(x0, zeros(), 1).h);
}

TEST_F(RotatingPlane, DegenerateFramesEndWithThePresets) {
  Vec flat = x0;
  for (std::size_t j = 3; j < flat.size(); j += 3) flat[j + 1] = flat[j + 2] = 0.0;  // masters on a line
  const Result r = run(flat, zeros(), 1);
  EXPECT_EQ(r.h, -1e36);
  EXPECT_EQ(r.xi1, 0.0);
  for (const Real v : r.dm) EXPECT_EQ(v, 0.0);
  x0 = flat;  // a degenerate reference frame, whatever the mode
  EXPECT_EQ(run(flat, zeros(), 0).h, -1e36);
  // No master node and no rotation: nothing reads the reference frame; the plane of tref through
  // the origin, and the slave's motion along its normal.
  m = 0;
  const Vec slave{0.3, 0.4, -2};
  const Result none = run(slave, {0, 0, 0.5}, 0);
  EXPECT_DOUBLE_EQ(none.h, 2.0 - 0.5);
  EXPECT_DOUBLE_EQ(none.xi1, 0.3);
  EXPECT_DOUBLE_EQ(none.p[1], 0.4);
  EXPECT_EQ(none.n[2], 1.0);
  EXPECT_EQ(run(slave, {0, 0, 0.5}, 1).h, -1e36);  // the current frame is as degenerate
}

}  // namespace
