// Small-sliding clearances against two oracles: the geometric clearance, foot and local
// coordinates against the closed-form distance to the line or plane, and the updated clearance
// against the exact clearance recomputed in the displaced configuration (its error must be of
// second order: halving the displacements quarters it). One-dof nodes move along their normal.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "runtime/record.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/contact/small_sliding.h"

namespace {

using Vec = std::vector<Real>;
constexpr Int kOne = 1, kZero = 0;

Real dot(const Real* a, const Real* b, int n) {
  Real s = 0;
  for (int i = 0; i < n; ++i) s += a[i] * b[i];
  return s;
}

class SmallSlidingClearance : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    dm2_testing::resetModel();
    eqc_testing::setSlideLineStore({});
  }
  std::mt19937 rng_{12345};
  Real uniform(Real a = -1, Real b = 1) { return std::uniform_real_distribution<Real>(a, b)(rng_); }
  Vec random(std::size_t n, Real a = -1, Real b = 1) {
    Vec v(n);
    for (auto& e : v) e = uniform(a, b);
    return v;
  }
  // Unit normals stored for one-dof master nodes: one record per node in the nodal-normal range
  // of CSLNF; returns the node indices (nix) with the pair's slave and masters.
  std::vector<Int> oneDofNodes(const std::vector<Vec>& normals, std::size_t missing = 99) {
    std::vector<int> addresses;
    for (const auto& n : normals) addresses.push_back(eqc_testing::appendSlideLineSlots(n));
    rec::i(CSLNF, 12) = addresses.front();
    rec::i(CSLNF, 7) = addresses.back() + static_cast<int>(normals.back().size()) + 1;
    std::vector<Int> nix{dm2_testing::addNode({1, {0, 0, 0}, {}, {}, 0})};
    for (std::size_t i = 0; i < normals.size(); ++i) {
      dm2_testing::Node node{static_cast<Int>(i + 2), {0, 0, 0}, {}, {}, 0};
      if (i != missing) node.slideLineAddresses = {1000000, addresses[i]};  // the first is outside
      nix.push_back(dm2_testing::addNode(node));
    }
    return nix;
  }
  Vec unitVector(int dim) {
    Vec v = random(static_cast<std::size_t>(dim));
    const Real n = std::sqrt(dot(v.data(), v.data(), dim));
    for (auto& e : v) e /= n;
    return v;
  }
};

// Error of the first-order update for displacements scaled by s: |h(x, s u) - exact(x + s u)|.
// Halving s must quarter it (second order), and it must be small.
void expectSecondOrder(const std::function<Real(Real)>& error) {
  const Real e1 = error(1e-3), e2 = error(5e-4);
  EXPECT_LT(e1, 1e-4);
  if (e1 > 1e-12) {
    EXPECT_NEAR(e1 / e2, 4.0, 0.4) << e1 << " " << e2;
  }
}

TEST_F(SmallSlidingClearance, Deformable2DAgainstLineAndDisplacedConfiguration) {
  const Int m = 3, k = 1, ldx = 3, ldu = 3;
  const Vec x = random(static_cast<std::size_t>(ldx * (k + m + 1)));  // one spare column before masters
  const Vec wa{0.2, 0.5, 0.3}, wt{-0.5, 0.1, 0.6}, tm = {1.1, 0.2, -0.3, 0.9};
  const Vec u = random(static_cast<std::size_t>(ldu * (m + 1)));
  auto run = [&](const Vec& xs, const Vec& us, Int mode, Real* out) {
    Real h, xi, n[2], t[2], p[2];
    SMSLIDDEF2DHDIST(&h, &xi, n, t, p, wa.data(), wt.data(), xs.data(), &ldx, &m, &k, tm.data(), us.data(), &mode,
                     &ldu);
    out[0] = xi, out[1] = n[0], out[2] = n[1], out[3] = t[0], out[4] = t[1], out[5] = p[0], out[6] = p[1];
    return h;
  };
  // Closed form: P0 and t from the weighted sums; h = n . (P0 - Xs) with n the unit normal.
  Real p0[2] = {}, s[2] = {};
  for (Int i = 0; i < m; ++i)
    for (int c = 0; c < 2; ++c) p0[c] += wa[i] * x[(k + i) * ldx + c], s[c] += wt[i] * x[(k + i) * ldx + c];
  const Real t[2] = {tm[0] * s[0] + tm[2] * s[1], tm[1] * s[0] + tm[3] * s[1]};
  const Real len = std::hypot(t[0], t[1]);
  const Real rel[2] = {x[0] - p0[0], x[1] - p0[1]};
  Real out[7];
  const Real h = run(x, Vec(u.size(), 0.0), 1, out);
  EXPECT_NEAR(h, (-t[1] * -rel[0] + t[0] * -rel[1]) / len, 1e-13);
  EXPECT_NEAR(out[0], dot(rel, t, 2) / (len * len), 1e-12);
  EXPECT_NEAR(out[1], -t[1] / len, 1e-15);
  EXPECT_NEAR(out[5], p0[0] + out[0] * t[0], 1e-13);
  // Zero displacements add nothing; mode 0 updates like any mode other than 1.
  EXPECT_EQ(run(x, Vec(u.size(), 0.0), 0, out), h);
  EXPECT_EQ(run(x, u, 7, out), run(x, u, 0, out));
  expectSecondOrder([&](Real sc) {
    Vec us = u, xs = x;
    for (auto& e : us) e *= sc;
    for (int c = 0; c < 2; ++c) xs[c] += us[c];
    for (Int i = 0; i < m; ++i)
      for (int c = 0; c < 2; ++c) xs[(k + i) * ldx + c] += us[(1 + i) * ldu + c];
    return std::fabs(run(x, us, 0, out) - run(xs, Vec(u.size(), 0.0), 1, out));
  });
}

TEST_F(SmallSlidingClearance, Deformable3DAgainstPlaneAndDisplacedConfiguration) {
  for (const Int m : {4, 9}) {
    const Int k = 1, ldx = 4;
    const Vec x = random(static_cast<std::size_t>(ldx * (m + 1)));
    const Vec wa = random(m, 0, 1), wt1 = random(m), wt2 = random(m), tm = random(9);
    const Vec u = random(static_cast<std::size_t>(3 * (m + 1)));
    auto run = [&](const Vec& xs, const Vec& us, Int mode, Real* out) {
      Real h, xi1, xi2, n[3], tt[6], p[3];
      SMSLIDDEF3DHDIST(&h, &xi1, &xi2, n, tt, p, wa.data(), wt1.data(), wt2.data(), xs.data(), &ldx, &m, &k,
                       tm.data(), us.data(), &mode);
      out[0] = xi1, out[1] = xi2;
      for (int c = 0; c < 3; ++c) out[2 + c] = n[c], out[5 + c] = p[c];
      return h;
    };
    Real out[8];
    const Real h = run(x, Vec(u.size(), 0.0), 1, out);
    // The foot lies on the plane and the clearance is the signed distance along the unit normal.
    const Real nl = std::sqrt(dot(out + 2, out + 2, 3));
    const Real d[3] = {out[5] - x[0], out[6] - x[1], out[7] - x[2]};
    EXPECT_NEAR(h, dot(out + 2, d, 3) / nl, 1e-12);
    Real tt[6];
    SMSLIDDEF3DHDIST(out, out + 1, out + 1, out + 2, tt, out + 5, wa.data(), wt1.data(), wt2.data(), x.data(), &ldx,
                     &m, &k, tm.data(), u.data(), &kOne);
    EXPECT_NEAR(dot(d, tt, 3), 0.0, 1e-12);
    EXPECT_NEAR(dot(d, tt + 3, 3), 0.0, 1e-12);
    expectSecondOrder([&](Real sc) {
      Vec us = u, xs = x;
      for (auto& e : us) e *= sc;
      for (Int i = 0; i <= m; ++i)
        for (int c = 0; c < 3; ++c) xs[i * ldx + c] += us[i * 3 + c];
      return std::fabs(run(x, us, 0, out) - run(xs, Vec(u.size(), 0.0), 1, out));
    });
  }
}

TEST_F(SmallSlidingClearance, OneDofNodesMoveAlongTheirNormals) {
  const Int m = 3, k = 1, ldx = 3, ldu = 3, ndb = dm2_testing::nodeDatabase();
  std::vector<Vec> normals;
  for (Int i = 0; i < m; ++i) normals.push_back(unitVector(3));
  const std::vector<Int> nix = oneDofNodes(normals);
  const Vec x = random(static_cast<std::size_t>(ldx * (m + 1)));
  const Vec wa{0.3, 0.3, 0.4}, wt1{1, -1, 0.2}, wt2{0.3, 0.5, -1}, tm{1, 0, 0, 0, 1, 0, 0, 0, 1};
  const Vec ns = unitVector(3);
  Real rec[8];
  for (const Logical sone : {kTrue, kFalse}) {
    for (const Logical mone : {kTrue, kFalse}) {
      const std::size_t slaveEntries = sone ? 1 : 3, masterEntries = mone ? 1 : 3;
      const Vec u = random(slaveEntries + m * masterEntries);
      // The displaced configuration as full vectors.
      auto displaced = [&](Real sc, int dim, Int ld) {
        Vec xs = x;
        for (int c = 0; c < dim; ++c) xs[c] += sc * (sone ? u[0] * ns[c] : u[c]);
        for (Int i = 0; i < m; ++i)
          for (int c = 0; c < dim; ++c)
            xs[(1 + i) * ld + c] += sc * (mone ? u[slaveEntries + i] * normals[i][c]
                                              : u[slaveEntries + i * masterEntries + c]);
        return xs;
      };
      expectSecondOrder([&](Real sc) {
        Vec us = u;
        for (auto& e : us) e *= sc;
        Real h, hx, xi1, xi2, n[3], tt[6], p[3];
        SMSLIDDEF3DHDIST_1DOF(&h, &xi1, &xi2, n, tt, p, wa.data(), wt1.data(), wt2.data(), x.data(), &ldx, &m, &k,
                              tm.data(), us.data(), rec, &sone, &mone, ns.data(), &ndb, nix.data());
        const Vec xs = displaced(sc, 3, ldx);
        SMSLIDDEF3DHDIST(&hx, &xi1, &xi2, n, tt, p, wa.data(), wt1.data(), wt2.data(), xs.data(), &ldx, &m, &k,
                         tm.data(), us.data(), &kOne);
        return std::fabs(h - hx);
      });
      // Two dimensions: the same pair in its first two coordinates (slave ldu entries when not one-dof).
      const Vec ns2 = {ns[0] / std::hypot(ns[0], ns[1]), ns[1] / std::hypot(ns[0], ns[1])};
      expectSecondOrder([&](Real sc) {
        Vec us(sone ? 1 : ldu, 0.0);
        if (sone) us[0] = sc * u[0];
        else us[0] = sc * u[0], us[1] = sc * u[1];
        for (Int i = 0; i < m; ++i) {
          if (mone) us.push_back(sc * u[slaveEntries + i]);
          else us.insert(us.end(), {sc * u[slaveEntries + 3 * i], sc * u[slaveEntries + 3 * i + 1], 0.0});
        }
        Vec xs = x;
        xs[0] += sone ? us[0] * ns2[0] : us[0];
        xs[1] += sone ? us[0] * ns2[1] : us[1];
        const std::size_t start = sone ? 1 : ldu;
        for (Int i = 0; i < m; ++i)
          for (int c = 0; c < 2; ++c)
            xs[(1 + i) * ldx + c] += mone ? us[start + i] * normals[i][c] : us[start + i * ldu + c];
        Real h, hx, xi, n[2], t[2], p[2];
        SMSLIDDEF2DHDIST_1DOF(&h, &xi, n, t, p, wa.data(), wt1.data(), x.data(), &ldx, &m, &k, tm.data(), us.data(),
                              &ldu, rec, &sone, &mone, ns2.data(), &ndb, nix.data());
        const Vec zero(us.size() + ldu * m, 0.0);
        SMSLIDDEF2DHDIST(&hx, &xi, n, t, p, wa.data(), wt1.data(), xs.data(), &ldx, &m, &k, tm.data(), zero.data(),
                         &kOne, &ldu);
        return std::fabs(h - hx);
      });
    }
  }
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(SmallSlidingClearance, MissingStoredNormalIsReportedAndAddsNothing) {
  const Int m = 2, k = 1, ldx = 3, ndb = dm2_testing::nodeDatabase();
  const std::vector<Int> nix = oneDofNodes({{0, 0, 1}, {0, 0, 1}}, 1);
  // Plane z = 0 through P0 = (0.8, 0.2, 0) along x and y, normal +z; the slave above it.
  const Vec x{0.5, 0.5, 0.5, 1, 0, 0, 0, 1, 0};
  const Vec wa{0.8, 0.2}, wt1{1, 0}, wt2{0, 1}, tm{1, 0, 0, 0, 1, 0, 0, 0, 1}, ns{0, 0, 1};
  Real rec[8], h, xi1, xi2, n[3], tt[6], p[3];
  constexpr Logical no = kFalse, yes = kTrue;
  const Vec us{0, 0, 0, 0.01, 0.02};
  SMSLIDDEF3DHDIST_1DOF(&h, &xi1, &xi2, n, tt, p, wa.data(), wt1.data(), wt2.data(), x.data(), &ldx, &m, &k,
                        tm.data(), us.data(), rec, &no, &yes, ns.data(), &ndb, nix.data());
  EXPECT_TRUE(eqc_testing::printed(
      "SYSTEM ERROR IN SmSlidDef3DHdist_1dof - COULD NOT FIND THE REFERENCE TO THE NORMAL VECTOR"));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  // Master 1 rises by 0.01: the plane at the foot (xi1 = -0.3) rises by (0.8 - 0.3) 0.01; master
  // 2 has no stored normal and stays.
  EXPECT_NEAR(h, -0.5 + 0.5 * 0.01, 1e-15);
  Real h2, xi, n2[2], t2[2], p2[2];
  const Vec tm2{1, 0, 0, 1}, us2{0, 0, 0, 0.01, 0.02};
  const Int ldu = 3;
  SMSLIDDEF2DHDIST_1DOF(&h2, &xi, n2, t2, p2, wa.data(), wt1.data(), x.data(), &ldx, &m, &k, tm2.data(), us2.data(),
                        &ldu, rec, &no, &yes, ns.data(), &ndb, nix.data());
  EXPECT_TRUE(eqc_testing::printed(
      "SYSTEM ERROR IN SmSlidDef2DHdist_1dof - COULD NOT FIND THE REFERENCE TO THE NORMAL VECTOR"));
  EXPECT_NEAR(h2, 0.2 - 0.5, 1e-15);  // the stored normal's in-plane part is 0
}

TEST_F(SmallSlidingClearance, DegenerateTangentsGiveTheUnsetClearance) {
  const Int m = 2, k = 1, ldx = 3, ldu = 2, mode = 1;
  const Vec x{0, 1, 0, 1, 0, 0, 1, 0, 0};  // both masters at the same point
  const Vec wa{0.5, 0.5}, wt{-1, 1}, tm{1, 0, 0, 1}, u(6, 0.0);
  Real h, xi, n[2], t[2], p[2];
  SMSLIDDEF2DHDIST(&h, &xi, n, t, p, wa.data(), wt.data(), x.data(), &ldx, &m, &k, tm.data(), u.data(), &mode, &ldu);
  EXPECT_EQ(h, -1e36);
  EXPECT_EQ(xi, 1e18);
  Real h3, xi1, xi2, n3[3], tt[6], p3[3];
  const Vec tm3{1, 0, 0, 0, 1, 0, 0, 0, 1}, u3(9, 0.0);
  const Int mode0 = 0;
  SMSLIDDEF3DHDIST(&h3, &xi1, &xi2, n3, tt, p3, wa.data(), wt.data(), wt.data(), x.data(), &ldx, &m, &k, tm3.data(),
                   u3.data(), &mode0);
  EXPECT_EQ(h3, -1e36);
  EXPECT_EQ(xi1, 0.0);
  EXPECT_EQ(p3[0], 1.0);
}

TEST_F(SmallSlidingClearance, RigidMastersTranslatedAndRotated) {
  const Int ldx = 3;
  // Two dimensions: unit tangent, reference node at column 2.
  const Vec x{0.3, 0.7, 0, 1.0, -0.2, 0};
  const Vec anc{0.5, 0.1}, tr{std::cos(0.4), std::sin(0.4)};
  const Vec u{0.2, -0.3, 0.5, 0.4, 0.7};  // slave (2), reference translation (2), rotation
  auto run2 = [&](const Vec& xs, const Vec& us, Int mode) {
    Real h, xi, n[2], t[2], off[2], p[2];
    SMSLIDRIGID2DHDIST(&h, &xi, n, t, off, anc.data(), tr.data(), xs.data(), &ldx, us.data(), p, &mode);
    return h;
  };
  {
    const Real rel[2] = {x[0] - anc[0], x[1] - anc[1]};
    EXPECT_NEAR(run2(x, Vec(5, 0.0), 0), -tr[1] * -rel[0] + tr[0] * -rel[1], 1e-14);
  }
  expectSecondOrder([&](Real sc) {
    Vec us = u, xs = x;
    for (auto& e : us) e *= sc;
    xs[0] += us[0], xs[1] += us[1], xs[3] += us[2], xs[4] += us[3];
    return std::fabs(run2(x, us, 0) - run2(xs, us, 1));
  });
  const Vec ns{0.6, 0.8};
  expectSecondOrder([&](Real sc) {
    const Vec us{sc * u[0], sc * u[2], sc * u[3], sc * u[4]};
    const Vec full{us[0] * ns[0], us[0] * ns[1], us[1], us[2], us[3]};
    Vec xs = x;
    xs[0] += full[0], xs[1] += full[1], xs[3] += full[2], xs[4] += full[3];
    Real h, xi, n[2], t[2], off[2], p[2];
    SMSLIDRIGID2DHDIST_1DOF(&h, &xi, n, t, off, anc.data(), tr.data(), x.data(), &ldx, us.data(), p, ns.data());
    return std::fabs(h - run2(xs, full, 1));
  });
  // Three dimensions: orthonormal tangents.
  const Vec x3{0.3, 0.7, -0.4, 1.0, -0.2, 0.5};
  const Vec anc3{0.5, 0.1, 0.2};
  const Real c = std::cos(0.3), s = std::sin(0.3);
  const Vec t1{c, s, 0}, t2{-s * 0.6, c * 0.6, 0.8};
  const Vec u3 = random(9);
  auto run3 = [&](const Vec& xs, const Vec& us, Int mode, Real* xi) {
    Real h, n[3], tt[6], on[3], ot1[3], ot2[3], off[3], p[3];
    SMSLIDRIGID3DHDIST(&h, xi, n, tt, on, ot1, ot2, off, anc3.data(), t1.data(), t2.data(), xs.data(), &ldx,
                       us.data(), p, &mode);
    return h;
  };
  Real xi[2];
  {
    const Real h = run3(x3, Vec(9, 0.0), 1, xi);
    Real nn[3] = {t1[1] * t2[2] - t1[2] * t2[1], t1[2] * t2[0] - t1[0] * t2[2], t1[0] * t2[1] - t1[1] * t2[0]};
    const Real rel[3] = {x3[0] - anc3[0], x3[1] - anc3[1], x3[2] - anc3[2]};
    EXPECT_NEAR(h, -dot(nn, rel, 3), 1e-14);
    EXPECT_NEAR(xi[0], dot(rel, t1.data(), 3), 1e-14);
  }
  expectSecondOrder([&](Real sc) {
    Vec us = u3, xs = x3;
    for (auto& e : us) e *= sc;
    for (int q = 0; q < 6; ++q) xs[q] += us[q];
    return std::fabs(run3(x3, us, 0, xi) - run3(xs, us, 1, xi));
  });
  const Vec ns3{0, 0.6, 0.8};
  expectSecondOrder([&](Real sc) {
    Vec us{sc * u3[0]};
    for (int q = 3; q < 9; ++q) us.push_back(sc * u3[q]);
    Vec full{us[0] * ns3[0], us[0] * ns3[1], us[0] * ns3[2]};
    full.insert(full.end(), us.begin() + 1, us.end());
    Vec xs = x3;
    for (int q = 0; q < 6; ++q) xs[q] += full[q];
    Real h, xi1[2], n[3], tt[6], on[3], ot1[3], ot2[3], off[3], p[3];
    SMSLIDRIGID3DHDIST_1DOF(&h, xi1, n, tt, on, ot1, ot2, off, anc3.data(), t1.data(), t2.data(), x3.data(), &ldx,
                            us.data(), p, ns3.data());
    return std::fabs(h - run3(xs, full, 1, xi));
  });
}

}  // namespace
