// The rotating tangent plane: no rotation in the reference configuration, the exact rotation of
// a rigidly turned master (a half turn among them), the derivative matrices against the
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
  Result one;
  one.dm.assign(9 * (m + 1), 0.0);
  constexpr Logical no = kFalse;
  const Int mode = 0, ndb = 0;
  Real rec[4];
  const Real ns[3] = {0, 0, 1};
  const std::vector<Int> nix(6, 0);
  SHR_SMSLIDDEF3DHDIST_1DOF(&one.h, &one.xi1, &one.xi2, one.n, one.tt, one.p, wa.data(), w.data(), x0.data(), &kLdx,
                            &m, &k, u.data(), rec, &no, &no, ns, &ndb, nix.data(), x0.data(), tref.data(),
                            one.dm.data(), &mode);
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
}

}  // namespace
