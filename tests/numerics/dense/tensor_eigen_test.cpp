// Symmetric eigenproblem against LAPACK dspev, tensor invariants and principal values against
// closed forms and dsyev, the constitutive rotation against rotating a stress-strain pair, and
// the rigid-body rotation axis.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "siblings/eqc/testing.h"
#include "tests/numerics/dense/lapack.h"
#include "tests/support/host_fixture.h"
#include "zmx/numerics.h"

namespace {

using TensorAndEigen = zmxtest::HostFixture;
constexpr double kEps = 2.220446049250313e-16;

std::vector<double> randomPacked(int n, std::mt19937& rng) {
  std::uniform_real_distribution<double> u(-1, 1);
  std::vector<double> ap(static_cast<std::size_t>(n * (n + 1) / 2));
  for (auto& x : ap) x = u(rng);
  return ap;
}

double packedAt(const std::vector<double>& ap, int i, int j) {  // 1-based, either triangle
  if (j > i) std::swap(i, j);
  return ap[static_cast<std::size_t>(i * (i - 1) / 2 + j - 1)];
}

TEST_F(TensorAndEigen, HouseholderAndQlMatchDspev) {
  std::mt19937 rng(11);
  for (int n = 1; n <= 20; ++n) {
    for (int trial = 0; trial < 5; ++trial) {
      auto ap = randomPacked(n, rng);
      std::vector<double> d(n), e(n), z(static_cast<std::size_t>(n * n));
      AHOUS(ap.data(), d.data(), e.data(), z.data(), &n);
      Int ierr = -1;
      AQR(d.data(), e.data(), z.data(), &n, &ierr);
      ASSERT_EQ(ierr, 0);

      auto copy = ap;
      std::vector<double> w(n), zl(static_cast<std::size_t>(n * n)), work(3 * n);
      int info = 0;
      dspev_("V", "U", &n, copy.data(), w.data(), zl.data(), &n, work.data(), &info, 1, 1);
      ASSERT_EQ(info, 0);

      double norm = 0;
      for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) norm = std::max(norm, std::fabs(packedAt(ap, i, j)));
      auto sorted = d;
      std::sort(sorted.begin(), sorted.end());
      for (int k = 0; k < n; ++k) EXPECT_NEAR(sorted[k], w[k], 60 * kEps * n * norm) << n;
      // Eigen-residual and orthogonality in eps units.
      for (int k = 0; k < n; ++k) {
        for (int i = 1; i <= n; ++i) {
          double r = -d[k] * z[k * n + i - 1];
          for (int j = 1; j <= n; ++j) r += packedAt(ap, i, j) * z[k * n + j - 1];
          EXPECT_LE(std::fabs(r), 60 * kEps * norm * n) << n;
        }
        for (int l = 0; l < n; ++l) {
          double dot = 0;
          for (int i = 0; i < n; ++i) dot += z[k * n + i] * z[l * n + i];
          EXPECT_NEAR(dot, k == l ? 1.0 : 0.0, 60 * kEps) << n;
        }
      }
    }
  }
}

TEST_F(TensorAndEigen, EigenEdgeCases) {
  // Diagonal: already reduced, identity vectors, values in their given order.
  const std::vector<double> diagonal = {3, 0, -1, 0, 0, 7};
  int n = 3;
  std::vector<double> d(3), e(3), z(9);
  AHOUS(diagonal.data(), d.data(), e.data(), z.data(), &n);
  EXPECT_EQ(e, (std::vector<double>{0, 0, 0}));
  EXPECT_EQ(z, (std::vector<double>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
  Int ierr = -1;
  AQR(d.data(), e.data(), z.data(), &n, &ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(d, (std::vector<double>{3, -1, 7}));

  const std::vector<double> two = {2, 1, 2};
  n = 2;
  AHOUS(two.data(), d.data(), e.data(), z.data(), &n);
  AQR(d.data(), e.data(), z.data(), &n, &ierr);
  EXPECT_EQ(ierr, 0);
  const double r = 1 / std::sqrt(2.0);
  for (int k = 0; k < 2; ++k) {
    const bool low = std::fabs(d[k] - 1) < 1e-14;
    EXPECT_TRUE(low || std::fabs(d[k] - 3) < 1e-14);
    EXPECT_NEAR(std::fabs(z[2 * k]), r, 1e-14);
    EXPECT_NEAR(z[2 * k + 1], low ? -z[2 * k] : z[2 * k], 1e-14);
  }

  // A damaged tridiagonal form (a NaN on the diagonal) never splits: the iteration limit of the
  // first eigenvalue is reached and reported through IERR.
  d = {1, 2, std::nan("")};
  e = {0, 0.5, 0.5};
  z = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  n = 3;
  AQR(d.data(), e.data(), z.data(), &n, &ierr);
  EXPECT_EQ(ierr, 1);

  const double one = 4.5;
  n = 1;
  AHOUS(&one, d.data(), e.data(), z.data(), &n);
  AQR(d.data(), e.data(), z.data(), &n, &ierr);
  EXPECT_EQ(d[0], 4.5);
  EXPECT_EQ(e[0], 0.0);
  EXPECT_EQ(z[0], 1.0);
  EXPECT_EQ(ierr, 0);
}

// Von Mises value of a full 3-D stress (11, 22, 33, 12, 13, 23).
double vonMises(const std::array<double, 6>& s) {
  const double a = s[0] - s[1], b = s[1] - s[2], c = s[2] - s[0];
  return std::sqrt(0.5 * (a * a + b * b + c * c) + 3 * (s[3] * s[3] + s[4] * s[4] + s[5] * s[5]));
}

TEST_F(TensorAndEigen, InvariantsAndDeviator) {
  const int three = 3, zero = 0, one = 1, two = 2;
  const std::array<double, 6> hydrostatic = {-7.3, -7.3, -7.3, 0, 0, 0};
  double i1 = 1, i2 = 1;
  const int nshr = 3;
  SHR_SINV(hydrostatic.data(), &i1, &i2, &three, &nshr);
  EXPECT_EQ(i1, -7.3);
  EXPECT_EQ(i2, 0.0);

  const double uniaxial[3] = {-250, 0, 0};
  SHR_SINV(uniaxial, &i1, &i2, &three, &zero);
  EXPECT_NEAR(i2, 250, 1e-12);
  SHR_SINV(uniaxial, &i1, &i2, &one, &zero);
  EXPECT_NEAR(i2, 250, 1e-12);
  double dev[6];
  SSINV(uniaxial, dev, &i1, &i2, &one, &zero);
  EXPECT_EQ(dev[0], -250 * 0.6666666666666666);

  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(-100, 100);
  for (int trial = 0; trial < 50; ++trial) {
    std::array<double, 6> s;
    for (auto& x : s) x = u(rng);
    SSINV(s.data(), dev, &i1, &i2, &three, &nshr);
    EXPECT_NEAR(i1, (s[0] + s[1] + s[2]) / 3, 1e-12);
    EXPECT_NEAR(i2, vonMises(s), 1e-11);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(dev[k], s[k] - (s[0] + s[1] + s[2]) / 3, 1e-12);
    for (int k = 3; k < 6; ++k) EXPECT_EQ(dev[k], s[k]);
    // Plane stress: (11, 22, 12) is the 3-D tensor with 33 = 13 = 23 = 0.
    const double plane[3] = {s[0], s[1], s[3]};
    const int oneShear = 1;
    SHR_SINV(plane, &i1, &i2, &two, &oneShear);
    EXPECT_NEAR(i2, vonMises({s[0], s[1], 0, s[3], 0, 0}), 1e-11);
    double planeDev[3];
    SSINV(plane, planeDev, &i1, &i2, &two, &oneShear);
    EXPECT_NEAR(i1, (s[0] + s[1]) / 3, 1e-12);
    EXPECT_NEAR(i2, vonMises({s[0], s[1], 0, s[3], 0, 0}), 1e-11);
    EXPECT_NEAR(planeDev[0], s[0] - (s[0] + s[1]) / 3, 1e-12);
    EXPECT_NEAR(planeDev[1], s[1] - (s[0] + s[1]) / 3, 1e-12);
    EXPECT_EQ(planeDev[2], s[3]);
  }
}

// Eigenvalues of the symmetric 3 x 3 tensor of (11, 22, 33, 12, 13, 23) by dsyev, ascending.
std::array<double, 3> referencePrincipal(const std::array<double, 6>& s) {
  double a[9] = {s[0], s[3], s[4], s[3], s[1], s[5], s[4], s[5], s[2]};
  double w[3], work[64];
  const int n = 3, lwork = 64;
  int info = 0;
  dsyev_("N", "U", &n, a, &n, w, work, &lwork, &info, 1, 1);
  return {w[0], w[1], w[2]};
}

TEST_F(TensorAndEigen, PrincipalValuesMatchDsyevInTheirDocumentedOrder) {
  std::mt19937 rng(9);
  std::uniform_real_distribution<double> u(-10, 10);
  const int stress = 1, strain = 0, three = 3;
  for (int trial = 0; trial < 200; ++trial) {
    std::array<double, 6> s;
    for (auto& x : s) x = u(rng);
    const auto ref = referencePrincipal(s);
    double ps[3];
    SHR_SPRINC(s.data(), ps, &stress, &three, &three);
    // Largest, smallest, middle.
    EXPECT_NEAR(ps[0], ref[2], 1e-12 * 30);
    EXPECT_NEAR(ps[1], ref[0], 1e-12 * 30);
    EXPECT_NEAR(ps[2], ref[1], 1e-12 * 30);
    // A strain with engineering shears is the stress with doubled shears.
    std::array<double, 6> engineering = s;
    for (int k = 3; k < 6; ++k) engineering[k] *= 2;
    double pe[3];
    SHR_SPRINC(engineering.data(), pe, &strain, &three, &three);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(pe[k], ps[k], 1e-12 * 30);

    double pd[3], an[9];
    SHR_SPRIND(s.data(), pd, an, &stress, &three, &three);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(pd[k], ps[k], 1e-12 * 30);
    const double a[3][3] = {{s[0], s[3], s[4]}, {s[3], s[1], s[5]}, {s[4], s[5], s[2]}};
    for (int k = 0; k < 3; ++k) {
      for (int i = 0; i < 3; ++i) {
        double r = -pd[k] * an[3 * i + k];
        for (int j = 0; j < 3; ++j) r += a[i][j] * an[3 * j + k];
        EXPECT_NEAR(r, 0, 1e-10);
      }
    }
  }
}

void expectOrthonormalRows(const double* an) {
  for (int k = 0; k < 3; ++k)
    for (int l = 0; l < 3; ++l) {
      double dot = 0;
      for (int j = 0; j < 3; ++j) dot += an[3 * j + k] * an[3 * j + l];
      EXPECT_NEAR(dot, k == l ? 1.0 : 0.0, 1e-12) << k << " " << l;
    }
}

TEST_F(TensorAndEigen, PrincipalValuesEdgeCases) {
  const int stress = 1, strain = 0, three = 3, two = 2, one = 1;
  double ps[3];
  const double diagonal[6] = {5, -2, 9, 0, 0, 0};
  SHR_SPRINC(diagonal, ps, &stress, &three, &three);
  EXPECT_EQ(std::vector<double>(ps, ps + 3), (std::vector<double>{5, -2, 9}));

  const double slight[6] = {1, 2, 3, 0.001, 0, 0};
  SHR_SPRINC(slight, ps, &stress, &three, &three);
  EXPECT_GT(ps[0], ps[2]);
  EXPECT_GT(ps[2], ps[1]);
  EXPECT_NEAR(ps[0], 3, 1e-12);

  // Two equal values below a larger one: the upper clamp, ascending order.
  const double axial[6] = {1, 1, 4, 0, 0, 1e-20};
  SHR_SPRINC(axial, ps, &stress, &three, &three);
  EXPECT_NEAR(ps[0], 1, 1e-14);
  EXPECT_NEAR(ps[1], 1, 1e-14);
  EXPECT_NEAR(ps[2], 4, 1e-14);

  // The negligible-shear test compares the unhalved shear with 2.22e-12 of the largest deviator
  // component (2): a strain shear of 6e-12 counts (closed form, here at its clamp: ascending)
  // although its halved value would not; 3e-12 does not (stored order).
  const double counted[6] = {-1, 2, -1, 6e-12, 0, 0}, negligible[6] = {-1, 2, -1, 3e-12, 0, 0};
  SHR_SPRINC(counted, ps, &strain, &three, &three);
  EXPECT_NEAR(ps[1], -1, 1e-12);
  EXPECT_NEAR(ps[2], 2, 1e-12);
  SHR_SPRINC(negligible, ps, &strain, &three, &three);
  EXPECT_EQ(std::vector<double>(ps, ps + 3), (std::vector<double>{-1, 2, -1}));

  // One in-plane shear, stress and strain.
  const double plane[4] = {3, -1, 0.5, 2};
  SHR_SPRINC(plane, ps, &stress, &three, &one);
  const double r = std::sqrt(4 + 4);
  EXPECT_NEAR(ps[0], 1 - r, 1e-14);
  EXPECT_NEAR(ps[1], 1 + r, 1e-14);
  EXPECT_EQ(ps[2], 0.5);
  const double planeStrain[3] = {3, -1, 4};
  SHR_SPRINC(planeStrain, ps, &strain, &two, &one);
  EXPECT_NEAR(ps[0], 1 - r, 1e-14);
  double an[9];
  const int none = 0;
  SHR_SPRIND(planeStrain, ps, an, &strain, &two, &one);
  EXPECT_NEAR(ps[1], 1 + r, 1e-14);
  expectOrthonormalRows(an);
  EXPECT_EQ(an[8], 1.0);
  // Row 1 is the direction of the smaller value: A n = ps(1) n.
  EXPECT_NEAR(3 * an[0] + 2 * an[3], ps[0] * an[0], 1e-13);

  // No shear: the stored values and identity directions. One direct component with its shear:
  // mean S1 / 2, radius sqrt((S1 / 2)^2 + tau^2). One shear below 2.22e-12 of the half
  // difference, or three below that of the deviator: the stored values.
  SHR_SPRIND(diagonal, ps, an, &stress, &three, &none);
  EXPECT_EQ(std::vector<double>(ps, ps + 3), (std::vector<double>{5, -2, 9}));
  EXPECT_EQ(std::vector<double>(an, an + 9), (std::vector<double>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
  const double axialShear[2] = {4, 3};
  SHR_SPRINC(axialShear, ps, &stress, &one, &one);
  EXPECT_NEAR(ps[0], 2 - std::sqrt(13.0), 1e-14);
  EXPECT_NEAR(ps[1], 2 + std::sqrt(13.0), 1e-14);
  const double faintPlane[3] = {5, -2, 1e-12}, faintSpace[6] = {5, -2, 9, 1e-12, 0, 0};
  SHR_SPRINC(faintPlane, ps, &stress, &two, &one);
  EXPECT_EQ(std::vector<double>(ps, ps + 3), (std::vector<double>{5, -2, 0}));
  SHR_SPRINC(faintSpace, ps, &stress, &three, &three);
  EXPECT_EQ(std::vector<double>(ps, ps + 3), (std::vector<double>{5, -2, 9}));

  // A shear alone (no direct component): the values -tau and tau, tau halved for a strain.
  const double pureShear[1] = {3};
  for (const int kind : {stress, strain}) {
    const double tau = kind == stress ? 3 : 1.5;
    SHR_SPRINC(pureShear, ps, &kind, &none, &one);
    EXPECT_EQ(std::vector<double>(ps, ps + 3), (std::vector<double>{-tau, tau, 0}));
    SHR_SPRIND(pureShear, ps, an, &kind, &none, &one);
    EXPECT_NEAR(ps[0], -tau, 1e-15);
    EXPECT_NEAR(ps[1], tau, 1e-15);
    expectOrthonormalRows(an);
  }
  // One in-plane shear below 2.22e-12 of the half difference: the stored values, identity rows.
  const double slightPlane[3] = {5, -2, 1e-12}, slightShear[4] = {5, -2, 7, 1e-12};
  for (const int ndi : {2, 3}) {
    SHR_SPRIND(ndi == 2 ? slightPlane : slightShear, ps, an, &stress, &ndi, &one);
    EXPECT_EQ(std::vector<double>(ps, ps + 3), (std::vector<double>{5, -2, ndi == 3 ? 7.0 : 0.0}));
    EXPECT_EQ(std::vector<double>(an, an + 9), (std::vector<double>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
  }

  // A shear below 1e-36 that is not negligible beside the direct components: zero values and
  // the in-plane identity.
  const double vanishing[3] = {0, 0, 1e-40};
  SHR_SPRIND(vanishing, ps, an, &stress, &two, &one);
  EXPECT_EQ(std::vector<double>(ps, ps + 3), (std::vector<double>{0, 0, 0}));
  EXPECT_EQ(std::vector<double>(an, an + 9), (std::vector<double>{1, 0, 0, 0, 1, 0, 0, 0, 1}));

  // Repeated values still give orthonormal directions; zero tensor gives the identity.
  const double repeated[6] = {1, 1, 4, 0, 0, 1e-20};
  SHR_SPRIND(repeated, ps, an, &stress, &three, &three);
  expectOrthonormalRows(an);
  const double hydro[6] = {2, 2, 2, 1, 1, 1};  // eigenvalues 4, 1, 1
  SHR_SPRIND(hydro, ps, an, &stress, &three, &three);
  expectOrthonormalRows(an);
  for (int k = 0; k < 3; ++k) {
    const double a[3][3] = {{2, 1, 1}, {1, 2, 1}, {1, 1, 2}};
    for (int i = 0; i < 3; ++i) {
      double res = -ps[k] * an[3 * i + k];
      for (int j = 0; j < 3; ++j) res += a[i][j] * an[3 * j + k];
      EXPECT_NEAR(res, 0, 1e-12);
    }
  }
  const double zero[6] = {0, 0, 0, 0, 0, 0};
  SHR_SPRIND(zero, ps, an, &stress, &three, &three);
  EXPECT_EQ(std::vector<double>(an, an + 9), (std::vector<double>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
}

// R A R^T with R(i, j) = t[3 j + i].
std::array<double, 9> rotate(const std::array<double, 9>& a, const double* t) {
  std::array<double, 9> out{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k)
        for (int l = 0; l < 3; ++l) out[3 * i + j] += t[3 * k + i] * a[3 * k + l] * t[3 * l + j];
  return out;
}

TEST_F(TensorAndEigen, RotdAgreesWithRotatingTheStressStrainPair) {
  // Direction cosines of a general rotation.
  const double c1 = std::cos(0.3), s1 = std::sin(0.3), c2 = std::cos(-1.1), s2 = std::sin(-1.1);
  const double rz[9] = {c1, -s1, 0, s1, c1, 0, 0, 0, 1}, rx[9] = {1, 0, 0, 0, c2, -s2, 0, s2, c2};
  double t[9] = {};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) t[3 * j + i] += rz[3 * k + i] * rx[3 * j + k];
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> u(-1, 1);
  double d[36];
  for (int i = 0; i < 6; ++i)
    for (int j = 0; j <= i; ++j) d[6 * j + i] = d[6 * i + j] = u(rng) + (i == j ? 6 : 0);
  double packed[21];
  for (int j = 0, p = 0; j < 6; ++j)
    for (int i = 0; i <= j; ++i) packed[p++] = d[6 * j + i];
  const int three = 3, full = 1, packedStore = 0, ld = 6;
  double rotatedFull[36];
  std::copy(d, d + 36, rotatedFull);
  ROTD(rotatedFull, t, &three, &three, &full, &ld);
  ROTD(packed, t, &three, &three, &packedStore, &ld);
  for (int j = 0, p = 0; j < 6; ++j)
    for (int i = 0; i <= j; ++i) EXPECT_NEAR(packed[p++], rotatedFull[6 * j + i], 1e-13);

  // sigma = D eps (engineering shears), rotate both tensors; the rotated D maps one onto the other.
  const double eps[6] = {0.3, -0.2, 0.1, 0.4, -0.5, 0.25};
  double sigma[6] = {};
  for (int i = 0; i < 6; ++i)
    for (int j = 0; j < 6; ++j) sigma[i] += d[6 * j + i] * eps[j];
  const auto tensor = [](const double* v, double shearFactor) {
    return std::array<double, 9>{v[0], v[3] * shearFactor, v[4] * shearFactor, v[3] * shearFactor, v[1],
                                 v[5] * shearFactor, v[4] * shearFactor, v[5] * shearFactor, v[2]};
  };
  // T(i, j) is the cosine between new axis i and old axis j: a' = T a T^T.
  const auto e2 = rotate(tensor(eps, 0.5), t), s2t = rotate(tensor(sigma, 1.0), t);
  const double epsRotated[6] = {e2[0], e2[4], e2[8], 2 * e2[3], 2 * e2[6], 2 * e2[7]};
  const double sigmaRotated[6] = {s2t[0], s2t[4], s2t[8], s2t[3], s2t[6], s2t[7]};
  for (int i = 0; i < 6; ++i) {
    double value = 0;
    for (int j = 0; j < 6; ++j) value += rotatedFull[6 * j + i] * epsRotated[j];
    EXPECT_NEAR(value, sigmaRotated[i], 1e-12) << i;
  }

  // Identity leaves D unchanged; a quarter turn about 3 swaps D(1, 1) and D(2, 2).
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  double same[36];
  std::copy(d, d + 36, same);
  ROTD(same, identity, &three, &three, &full, &ld);
  for (int k = 0; k < 36; ++k) EXPECT_NEAR(same[k], d[k], 1e-15);
  const double quarter[9] = {0, -1, 0, 1, 0, 0, 0, 0, 1};
  double turned[21];
  for (int j = 0, p = 0; j < 6; ++j)
    for (int i = 0; i <= j; ++i) turned[p++] = d[6 * j + i];
  ROTD(turned, quarter, &three, &three, &packedStore, &ld);
  EXPECT_NEAR(turned[0], d[7], 1e-15);
  EXPECT_NEAR(turned[2], d[0], 1e-15);
}

// A(3, 9) whose operator H is the cross-product matrix of w (null vector w).
std::array<double, 27> blocksWithAxis(const std::array<double, 3>& w) {
  std::array<double, 27> a{};
  // A1 = -1/2 [w]x, so A1^T - A1 = [w]x.
  const double skew[3][3] = {{0, -w[2], w[1]}, {w[2], 0, -w[0]}, {-w[1], w[0], 0}};
  for (int i = 0; i < 3; ++i)
    for (int k = 0; k < 3; ++k) a[3 * k + i] = -0.5 * skew[i][k];
  return a;
}

TEST_F(TensorAndEigen, RigidBodyAxis) {
  const int three = 3;
  int istat = -1;
  const std::array<double, 3> w = {1, 2, -2};  // |w| = 3
  auto a = blocksWithAxis(w);
  double v[3] = {3, 0, 0};
  SHR_ELORBB(a.data(), v, &three, &istat);
  EXPECT_EQ(istat, 0);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(v[k], (3.0 / 9) * w[k], 1e-13);  // (w.v / |w|^2) w

  // H of rank 1 (a b^T with a . b = 0 through A2): the axis is V less its part along b.
  std::array<double, 27> rank1{};
  const double av[3] = {0, 0, 1}, bv[3] = {1, 1, 0};
  for (int k = 0; k < 3; ++k)
    for (int i = 0; i < 3; ++i) rank1[9 + 3 * i + k] = -av[k] * bv[i];
  double v2[3] = {1, 0, 2};
  SHR_ELORBB(rank1.data(), v2, &three, &istat);
  EXPECT_EQ(istat, 0);
  // Axis u = V - (n.V) n with n = b/|b|: (0.5, -0.5, 2); V := (u.V/|u|^2) u.
  const double u[3] = {0.5, -0.5, 2}, scale = (0.5 + 4) / (0.25 + 0.25 + 4);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(v2[k], scale * u[k], 1e-13);

  // The eigenvector orthogonal to V: the axis cannot be determined.
  auto az = blocksWithAxis({0, 0, 1});
  double v3[3] = {2, 0, 0};
  SHR_ELORBB(az.data(), v3, &three, &istat);
  EXPECT_EQ(istat, 2);
  EXPECT_TRUE(eqc_testing::printed("DETERMINATION OF RIGID BODY ROTATION AXIS WAS NOT COMPLETED. REPORTED VALUES MAY BE INCORRECT"));
  EXPECT_EQ(eqc_testing::countAtLevel(-1), 1);
  eqc_testing::clearMessages();

  double zero[3] = {0, 0, 0};
  SHR_ELORBB(a.data(), zero, &three, &istat);
  EXPECT_EQ(istat, 1);
  EXPECT_EQ(eqc_testing::messages().size(), 0u);

  // An operator so large that H^T H overflows: the eigen-solution fails and H x = 0 is solved
  // with x(ic) = 1 by the row pairs whose minor is large enough. H (zero diagonal, A3 = H^T) has
  // every row orthogonal to w = (1, 2, -1), its first row 1e200 long.
  const double big = 1e200;
  const double hBig[3][3] = {{0, big, 2 * big}, {1, 0, 1}, {2, -1, 0}};
  std::array<double, 27> huge{};
  for (int k = 0; k < 3; ++k)
    for (int i = 0; i < 3; ++i) huge[(6 + k) * 3 + i] = hBig[k][i];
  double v5[3] = {1, 1, 1};
  SHR_ELORBB(huge.data(), v5, &three, &istat);
  EXPECT_EQ(istat, 0);
  const double wBig[3] = {1, 2, -1};
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(v5[k], wBig[k] / 3, 1e-15);  // (w.v / |w|^2) w
  // Only one non-zero row: no row pair has a minor, the axis stays V and is not completed.
  huge.fill(0.0);
  huge[(6 + 1) * 3 + 0] = big;
  double v6[3] = {1, 1, 0};
  SHR_ELORBB(huge.data(), v6, &three, &istat);
  EXPECT_EQ(istat, 2);
  EXPECT_NEAR(v6[0], 1, 1e-15);
  EXPECT_NEAR(v6[1], 1, 1e-15);
  EXPECT_EQ(v6[2], 0);
  EXPECT_EQ(eqc_testing::countAtLevel(-1), 1);
  eqc_testing::clearMessages();

  const int two = 2;
  double v4[3] = {1, 0, 0};
  SHR_ELORBB(a.data(), v4, &two, &istat);
  const auto log = eqc_testing::messages();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].level, -3);
  EXPECT_EQ(log[0].text, "SYSTEM ERROR IN SHR_ELORBB - THIS ROUTINE MAY NOT BE CALLED FOR 2-D MODEL.");
}

}  // namespace
