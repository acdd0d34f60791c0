// Output invariants against an eigen-solver, and the strain measures of a squared-stretch tensor
// on diagonal and rotated tensors.
#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <random>

#include "runtime/record.h"
#include "siblings/eqc/records.h"
#include "zmx/model.h"

namespace {

// The full tensor of NDI direct and NSHR shear components (order 12, 13, 23; missing ones 0).
Eigen::Matrix3d full(const double* s, int ndi, int nshr) {
  Eigen::Matrix3d t = Eigen::Matrix3d::Zero();
  for (int i = 0; i < ndi; ++i) t(i, i) = s[i];
  const int rows[3] = {0, 0, 1}, cols[3] = {1, 2, 2};
  for (int k = 0; k < nshr; ++k) t(rows[k], cols[k]) = t(cols[k], rows[k]) = s[ndi + k];
  return t;
}

TEST(Invariants, RandomTensorsAgainstTheEigenSolver) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(-50.0, 50.0);
  for (int ndi = 1; ndi <= 3; ++ndi)
    for (int nshr = 0; nshr <= 3; ++nshr) {
      for (int trial = 0; trial < 20; ++trial) {
        double s[6];
        for (double& x : s) x = u(rng);
        const Eigen::Matrix3d t = full(s, ndi, nshr);
        const double mean = t.trace() / 3.0;
        const Eigen::Matrix3d dev = t - mean * Eigen::Matrix3d::Identity();
        Eigen::SelfAdjointEigenSolver<Eigen::Matrix3d> eig(t);
        const double mises = std::sqrt(1.5 * (dev.array() * dev.array()).sum());
        const double tresca = eig.eigenvalues().maxCoeff() - eig.eigenvalues().minCoeff();
        const double inv3 = std::cbrt(13.5 * dev.determinant());
        const double want[4] = {mises, tresca, -mean, inv3};
        for (Int kind = 1; kind <= 4; ++kind) {
          double out = 0;
          ELOTKE(&kind, s, &out, &ndi, &nshr);
          EXPECT_NEAR(out, want[kind - 1], 1e-9 * 100) << "kind " << kind << " ndi " << ndi << " nshr " << nshr;
        }
      }
    }
  const double uniaxial[3] = {3.0, 0, 0};
  const Int three = 3, none = 0, pressure = 3, tresca = 2;
  double out;
  ELOTKE(&pressure, uniaxial, &out, &three, &none);
  EXPECT_DOUBLE_EQ(out, -1.0);
  ELOTKE(&tresca, uniaxial, &out, &three, &none);
  EXPECT_DOUBLE_EQ(out, 3.0);
}

TEST(StrainMeasures, DiagonalAndRotatedTensors) {
  rec::i(CONTRO, 2) = 1;
  const Int three = 3, zero = 0, one = 1;
  double prin[3], e[6], rot[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  Int neg = 0;
  // Diagonal: stretches sorted; a stretch of 0 has the logarithm -1e18.
  const double diag[3] = {4.0, 0.0, 1.0};
  const double wanted[3][3] = {{0, 1, 2}, {-1, 0, 1}, {-1.0e18, 0, std::log(2.0)}};
  const Int modes[3] = {0, 3, 4};
  for (int m = 0; m < 3; ++m) {
    ELOTDG2(diag, prin, e, rot, &three, &zero, &zero, &zero, &modes[m], &neg);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(prin[k], wanted[m][k]) << "mode " << modes[m];
  }
  // Rotated: the logarithmic strain tensor Q log(U) Q^T with engineering shears; rotating it by Q
  // (ROT transposed when X8 is 0) brings it back to the diagonal.
  const Eigen::Matrix3d q = Eigen::AngleAxisd(0.7, Eigen::Vector3d(1, 2, 3).normalized()).toRotationMatrix();
  const Eigen::Vector3d stretch2(2.25, 1.21, 0.64);
  const Eigen::Matrix3d c = q * stretch2.asDiagonal() * q.transpose();
  const double t[6] = {c(0, 0), c(1, 1), c(2, 2), c(0, 1), c(0, 2), c(1, 2)};
  const Int six = 3, shears = 3, two = 2;
  ELOTDG2(t, prin, e, rot, &six, &shears, &zero, &zero, &two, &neg);
  const Eigen::Matrix3d logStrain =
      q * Eigen::Vector3d(std::log(1.5), std::log(1.1), std::log(0.8)).asDiagonal() * q.transpose();
  const double want[6] = {logStrain(0, 0), logStrain(1, 1), logStrain(2, 2),
                          2 * logStrain(0, 1), 2 * logStrain(0, 2), 2 * logStrain(1, 2)};
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(e[k], want[k], 1e-12);
  double qt[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) qt[i + 3 * j] = q(i, j);
  ELOTDG2(t, prin, e, qt, &six, &shears, &one, &zero, &two, &neg);
  EXPECT_NEAR(e[0], std::log(1.5), 1e-12);
  EXPECT_NEAR(e[1], std::log(1.1), 1e-12);
  EXPECT_NEAR(e[2], std::log(0.8), 1e-12);
  for (int k = 3; k < 6; ++k) EXPECT_NEAR(e[k], 0.0, 1e-12);
  EXPECT_EQ(neg, 0);
  // X8 nonzero: only the in-plane block of ROT is taken, as it stands, with a unit third row and
  // column. A tensor turned about the 3-axis comes back diagonal whatever the rest of ROT holds.
  const Eigen::Matrix3d z = Eigen::AngleAxisd(0.4, Eigen::Vector3d::UnitZ()).toRotationMatrix();
  const Eigen::Matrix3d cz = z * stretch2.asDiagonal() * z.transpose();
  const double tz[6] = {cz(0, 0), cz(1, 1), cz(2, 2), cz(0, 1), cz(0, 2), cz(1, 2)};
  double inPlane[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) inPlane[i + 3 * j] = i < 2 && j < 2 ? z(j, i) : 7.0;
  ELOTDG2(tz, prin, e, inPlane, &six, &shears, &one, &one, &two, &neg);
  const double back[6] = {std::log(1.5), std::log(1.1), std::log(0.8), 0, 0, 0};
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(e[k], back[k], 1e-12) << k;
}

TEST(StrainMeasures, NegativeAndZeroTensors) {
  const Int three = 3, zero = 0;
  double prin[3], e[6], rot[9] = {};
  const double zeros[3] = {0, 0, 0}, negative[3] = {1.0, -2.0, 4.0};
  Int neg = 5;
  const Int stretch = 0;
  ELOTDG2(zeros, prin, e, rot, &three, &zero, &zero, &zero, &stretch, &neg);
  EXPECT_EQ(neg, 5);
  EXPECT_EQ(prin[0], 0.0);
  for (Int mode = 0; mode <= 4; ++mode) {
    neg = 0;
    ELOTDG2(negative, prin, e, rot, &three, &zero, &zero, &zero, &mode, &neg);
    EXPECT_EQ(neg, 1);
    for (double p : prin) EXPECT_EQ(p, 0.0) << "mode " << mode;
    for (double x : e) EXPECT_EQ(x, 0.0) << "mode " << mode;
  }
  // Two values (NDI 2, one shear) are ordered as a pair.
  const double plane[3] = {9.0, 1.0, 0.0};
  const Int two = 2, one = 1;
  ELOTDG2(plane, prin, e, rot, &two, &one, &zero, &zero, &stretch, &neg);
  EXPECT_LE(prin[0], prin[1]);
}

}  // namespace
