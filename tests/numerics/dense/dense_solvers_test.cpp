// Dense solvers and inverses against LAPACK (dgesv, dgetrf/dgetri, dtptri, dsyev) on random
// well-conditioned matrices of every order up to each routine's limit, and their edge cases.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "siblings/eqc/testing.h"
#include "tests/numerics/dense/lapack.h"
#include "tests/support/host_fixture.h"
#include "zmx/numerics.h"

namespace {

using DenseSolvers = zmxtest::HostFixture;
constexpr double kEps = 2.220446049250313e-16;
constexpr double kMaxResidualRatio = 30;

// Column-major n x n with leading dimension ld.
struct Dense {
  int n, ld;
  std::vector<double> v;
  Dense(int order, int leading) : n(order), ld(leading), v(static_cast<std::size_t>(leading * order), 0.0) {}
  double& operator()(int i, int j) { return v[static_cast<std::size_t>((j - 1) * ld + i - 1)]; }
  double operator()(int i, int j) const { return v[static_cast<std::size_t>((j - 1) * ld + i - 1)]; }
  double normInf() const {
    double best = 0;
    for (int i = 1; i <= n; ++i) {
      double row = 0;
      for (int j = 1; j <= n; ++j) row += std::fabs((*this)(i, j));
      best = std::max(best, row);
    }
    return best;
  }
};

Dense randomMatrix(int n, int ld, std::mt19937& rng) {
  std::uniform_real_distribution<double> u(-1, 1);
  Dense a(n, ld);
  for (int j = 1; j <= n; ++j)
    for (int i = 1; i <= n; ++i) a(i, j) = u(rng) + (i == j ? 2.0 : 0.0);
  return a;
}

// ||A X - B|| / (||A|| ||X|| eps), infinity norms, B the identity when b is empty.
double residualRatio(const Dense& a, const Dense& x, const Dense* b) {
  double residual = 0, xnorm = 0;
  for (int i = 1; i <= a.n; ++i) {
    double row = 0, xrow = 0;
    for (int j = 1; j <= x.n; ++j) {
      double s = b != nullptr ? -(*b)(i, j) : (i == j ? -1.0 : 0.0);
      for (int k = 1; k <= a.n; ++k) s += a(i, k) * x(k, j);
      row += std::fabs(s);
      xrow += std::fabs(x(i, j));
    }
    residual = std::max(residual, row);
    xnorm = std::max(xnorm, xrow);
  }
  return residual / (a.normInf() * xnorm * kEps);
}

// Determinant and inverse by LAPACK.
double lapackDeterminant(const Dense& a, Dense* inverse) {
  Dense lu = a;
  std::vector<int> ipiv(a.n);
  int info = 0;
  dgetrf_(&lu.n, &lu.n, lu.v.data(), &lu.ld, ipiv.data(), &info);
  double det = 1;
  for (int i = 1; i <= a.n; ++i) det *= (ipiv[i - 1] != i ? -1 : 1) * lu(i, i);
  if (inverse != nullptr) {
    std::vector<double> work(static_cast<std::size_t>(64 * a.n));
    const int lwork = static_cast<int>(work.size());
    dgetri_(&lu.n, lu.v.data(), &lu.ld, ipiv.data(), work.data(), &lwork, &info);
    *inverse = lu;
  }
  return det;
}

TEST_F(DenseSolvers, LuFamilyMatchesLapackUpToOrder100) {
  std::mt19937 rng(21);
  for (int n = 1; n <= 100; ++n) {
    const int ld = n + 3;
    const Dense a = randomMatrix(n, ld, rng);
    Dense reference(n, ld);
    const double det = lapackDeterminant(a, &reference);
    for (auto* inverse : {AINV2, AINV3}) {
      Dense work = a, ainv(n, ld);
      double d = 0;
      inverse(work.v.data(), ainv.v.data(), &d, &n, &ld);
      EXPECT_LE(residualRatio(a, ainv, nullptr), kMaxResidualRatio) << n;
      EXPECT_NEAR(d, det, 1e-12 * std::fabs(det)) << n;
      const double scale = reference.normInf();
      for (int j = 1; j <= n; ++j)
        for (int i = 1; i <= n; ++i) ASSERT_NEAR(ainv(i, j), reference(i, j), 1e-12 * scale) << n;
    }
    // ASOL and ALUDCMP + ALUBKSB against dgesv.
    Dense b(n, ld), x(n, ld), work = a;
    std::uniform_real_distribution<double> u(-1, 1);
    for (int i = 1; i <= n; ++i) b(i, 1) = u(rng);
    b.n = x.n = 1;
    ASOL(work.v.data(), x.v.data(), b.v.data(), &n, &ld);
    Dense lapackA = a, lapackB = b;
    std::vector<int> ipiv(n);
    int info = 0;
    const int one = 1;
    dgesv_(&n, &one, lapackA.v.data(), &ld, ipiv.data(), lapackB.v.data(), &ld, &info);
    Dense square = a;
    square.n = n;
    EXPECT_LE(residualRatio(square, x, &b), kMaxResidualRatio) << n;
    double xmax = 0;
    for (int i = 1; i <= n; ++i) xmax = std::max(xmax, std::fabs(lapackB(i, 1)));
    for (int i = 1; i <= n; ++i) EXPECT_NEAR(x(i, 1), lapackB(i, 1), 1e-12 * xmax * reference.normInf()) << n;
  }
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
}

TEST_F(DenseSolvers, AludcmpHandlesLargerOrders) {
  std::mt19937 rng(2);
  for (int n : {150, 400}) {
    const Dense a = randomMatrix(n, n, rng);
    Dense lu = a;
    std::vector<int> indx(n);
    double d = 0;
    ALUDCMP(lu.v.data(), &n, &n, indx.data(), &d);
    EXPECT_NE(d, 0.0);
    Dense b(n, n), x(n, n);
    b.n = x.n = 1;
    for (int i = 1; i <= n; ++i) b(i, 1) = x(i, 1) = std::sin(i);
    ALUBKSB(lu.v.data(), &n, &n, indx.data(), x.v.data());
    EXPECT_LE(residualRatio(a, x, &b), kMaxResidualRatio);
  }
}

TEST_F(DenseSolvers, GaussJordanFamilyMatchesLapackUpToTheirLimits) {
  std::mt19937 rng(8);
  for (int n = 1; n <= 50; ++n) {
    const Dense a = randomMatrix(n, n, rng);
    Dense reference(n, n);
    const double det = lapackDeterminant(a, &reference);
    if (n <= 30) {
      Dense ainv(n, n);
      AINVNDP(a.v.data(), ainv.v.data(), &n);
      EXPECT_LE(residualRatio(a, ainv, nullptr), kMaxResidualRatio) << n;
    }
    if (n <= 10) {
      Dense ainv(n, n);
      double d = 0;
      int sign = 5;
      AINVNOMESSAGE(a.v.data(), ainv.v.data(), &d, &n, &sign);
      EXPECT_LE(residualRatio(a, ainv, nullptr), kMaxResidualRatio) << n;
      EXPECT_NEAR(d, det, 1e-12 * std::fabs(det)) << n;
      EXPECT_EQ(sign, det >= 0 ? 1 : -1);
    }
    if (n <= 7) {
      // The leading block of 7 x 7 arrays; everything else of the output stays as it was.
      Dense a7(7, 7), ainv7(7, 7);
      std::fill(a7.v.begin(), a7.v.end(), 99.0);
      std::fill(ainv7.v.begin(), ainv7.v.end(), -7.0);
      for (int j = 1; j <= n; ++j)
        for (int i = 1; i <= n; ++i) a7(i, j) = a(i, j);
      AINVMXVARB(a7.v.data(), ainv7.v.data(), &n);
      Dense block(n, n);
      for (int j = 1; j <= 7; ++j)
        for (int i = 1; i <= 7; ++i) {
          if (i <= n && j <= n)
            block(i, j) = ainv7(i, j);
          else
            ASSERT_EQ(ainv7(i, j), -7.0);
        }
      EXPECT_LE(residualRatio(a, block, nullptr), kMaxResidualRatio) << n;
    }
    // GAUSSJORDAN: inverse in place and three right-hand sides.
    const int ld = n + 2, m = 3;
    Dense work(n, ld), b(m, ld), rhs(m, ld);  // b and rhs: m columns
    for (int j = 1; j <= n; ++j)
      for (int i = 1; i <= n; ++i) work(i, j) = a(i, j);
    for (int j = 1; j <= m; ++j)
      for (int i = 1; i <= n; ++i) b(i, j) = rhs(i, j) = std::cos(i * j);
    int ierr = 5;
    GAUSSJORDAN(work.v.data(), &n, &ld, b.v.data(), &m, &ierr);
    EXPECT_EQ(ierr, 0);
    Dense square(n, n);
    for (int j = 1; j <= n; ++j)
      for (int i = 1; i <= n; ++i) square(i, j) = work(i, j);
    EXPECT_LE(residualRatio(a, square, nullptr), kMaxResidualRatio) << n;
    Dense aLd(n, ld);
    for (int j = 1; j <= n; ++j)
      for (int i = 1; i <= n; ++i) aLd(i, j) = a(i, j);
    EXPECT_LE(residualRatio(aLd, b, &rhs), kMaxResidualRatio) << n;
  }
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
}

TEST_F(DenseSolvers, PackedTriangularInverseMatchesDtptri) {
  std::mt19937 rng(13);
  std::uniform_real_distribution<double> u(-1, 1);
  for (int n = 1; n <= 25; ++n) {
    std::vector<double> a(static_cast<std::size_t>(n * (n + 1) / 2)), ainv(a.size());
    for (int i = 1, p = 0; i <= n; ++i)
      for (int j = 1; j <= i; ++j, ++p) a[p] = u(rng) + (i == j ? 3.0 : 0.0);
    AINVLT(a.data(), ainv.data(), &n);
    // Our lower triangle by rows is LAPACK's upper triangle by columns of the transpose.
    auto reference = a;
    int info = 0;
    dtptri_("U", "N", &n, reference.data(), &info, 1, 1);
    ASSERT_EQ(info, 0);
    for (std::size_t k = 0; k < a.size(); ++k) EXPECT_NEAR(ainv[k], reference[k], 1e-13) << n;
  }
}

TEST_F(DenseSolvers, SymmetricEliminationCountsNegativeEigenvalues) {
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> u(-1, 1);
  for (int n = 1; n <= 12; ++n) {
    for (int trial = 0; trial < 4; ++trial) {
      Dense full(n, n);
      for (int j = 1; j <= n; ++j)
        for (int i = 1; i <= j; ++i) full(i, j) = full(j, i) = u(rng) + (i == j ? 2 * u(rng) : 0.0);
      std::vector<double> packed;
      for (int j = 1; j <= n; ++j)
        for (int i = 1; i <= j; ++i) packed.push_back(full(i, j));
      std::vector<double> d(n), w(n), work(static_cast<std::size_t>(64 * n));
      std::vector<int> iflag(n);
      int nneg = 2;
      ADEC1(packed.data(), &n, d.data(), iflag.data(), &nneg);
      Dense copy = full;
      const int lwork = static_cast<int>(work.size());
      int info = 0;
      dsyev_("N", "U", &n, copy.v.data(), &n, w.data(), work.data(), &lwork, &info, 1, 1);
      const auto negative = std::count_if(w.begin(), w.end(), [](double x) { return x < 0; });
      EXPECT_EQ(nneg - 2, negative) << n;
      EXPECT_EQ(std::count(iflag.begin(), iflag.end(), 1), negative);
      // The product of the pivots is the determinant.
      double product = 1, det = 1;
      for (int k = 0; k < n; ++k) {
        product *= d[k];
        det *= w[k];
      }
      EXPECT_NEAR(product, det, 1e-7 * std::max(1.0, std::fabs(det)));
    }
  }
  std::vector<double> diag = {2, 0, -3, 0, 0, 5};
  std::vector<double> d(3);
  std::vector<int> iflag(3);
  int n = 3, nneg = 0;
  ADEC1(diag.data(), &n, d.data(), iflag.data(), &nneg);
  EXPECT_EQ(d, (std::vector<double>{2, -3, 5}));
  EXPECT_EQ(iflag, (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(nneg, 1);
  std::vector<double> withZero = {1, 0, 0};
  n = 2;
  ADEC1(withZero.data(), &n, d.data(), iflag.data(), &nneg);
  EXPECT_EQ(iflag[1], 1);
  EXPECT_EQ(nneg, 2);
}

TEST_F(DenseSolvers, OneByOneInverses) {
  const int one = 1;
  double a = -2, ainv = 0, det = 0;
  int sign = 0;
  AINVNOMESSAGE(&a, &ainv, &det, &one, &sign);
  EXPECT_EQ(ainv, -0.5);
  EXPECT_EQ(det, -2);
  EXPECT_EQ(sign, -1);
  a = 0;
  AINVNOMESSAGE(&a, &ainv, &det, &one, &sign);
  EXPECT_EQ(ainv, 0);
  EXPECT_EQ(det, 0);
  EXPECT_EQ(sign, 0);
  a = 4;
  AINVNDP(&a, &ainv, &one);
  EXPECT_EQ(ainv, 0.25);
  double work = 4, d = 0;
  AINV2(&work, &ainv, &d, &one, &one);
  EXPECT_EQ(ainv, 0.25);
  EXPECT_EQ(d, 4);
  double a7[49] = {8}, inv7[49] = {};
  AINVMXVARB(a7, inv7, &one);
  EXPECT_EQ(inv7[0], 0.125);
}

TEST_F(DenseSolvers, SingularMatrices) {
  const int n = 3;
  // A zero row: ALUDCMP reports once at level -2, ALUDCMP1 is silent; both give D = 0.
  std::vector<double> zeroRow = {1, 0, 2, 3, 0, 4, 5, 0, 6};
  std::vector<int> indx(3, -9);
  double d = 7;
  auto copy = zeroRow;
  ALUDCMP(copy.data(), &n, &n, indx.data(), &d);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(copy, zeroRow);
  EXPECT_EQ(indx, (std::vector<int>(3, -9)));
  ASSERT_EQ(eqc_testing::messages().size(), 1u);
  EXPECT_EQ(eqc_testing::messages()[0].level, -2);
  EXPECT_EQ(eqc_testing::messages()[0].text, "PROGRAM IS ASKED TO INVERT A SINGULAR MATRIX");
  eqc_testing::clearMessages();
  copy = zeroRow;
  ALUDCMP1(copy.data(), &n, &n, indx.data(), &d);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(eqc_testing::messages().size(), 0u);

  // The inverses and the solver stop at once with D = 0 (the sanitizers watch the pivot record).
  std::vector<double> ainv(9, 0), x(3, 0), b = {1, 2, 3};
  copy = zeroRow;
  AINV3(copy.data(), ainv.data(), &d, &n, &n);
  EXPECT_EQ(d, 0);
  copy = zeroRow;
  AINV2(copy.data(), ainv.data(), &d, &n, &n);
  EXPECT_EQ(d, 0);
  copy = zeroRow;
  ASOL(copy.data(), x.data(), b.data(), &n, &n);
  EXPECT_EQ(x, (std::vector<double>{0, 0, 0}));
  eqc_testing::clearMessages();

  // Two equal rows: a pivot becomes exactly 0, is replaced by 1e-36, and no message is printed.
  std::vector<double> equalRows = {1, 1, 3, 2, 2, 1, 3, 3, 2};
  ALUDCMP(equalRows.data(), &n, &n, indx.data(), &d);
  EXPECT_TRUE(d == 1 || d == -1);
  EXPECT_EQ(equalRows[8], 1e-36);
  EXPECT_EQ(eqc_testing::messages().size(), 0u);

  // Gauss-Jordan on singular matrices.
  const int two = 2, m = 1;
  std::vector<double> s2 = {1, 2, 2, 4}, rhs = {1, 1};
  int ierr = 0;
  GAUSSJORDAN(s2.data(), &two, &two, rhs.data(), &m, &ierr);
  EXPECT_EQ(ierr, -1);
  // A damaged matrix (NaN left after the first stage) offers no pivot at all: IERR = -1 too.
  std::vector<double> damaged = {2, std::nan(""), 1, std::nan("")};
  rhs = {1, 1};
  ierr = 0;
  GAUSSJORDAN(damaged.data(), &two, &two, rhs.data(), &m, &ierr);
  EXPECT_EQ(ierr, -1);
  std::vector<double> s3 = {1, 2, 3, 2, 4, 6, 0, 1, 1}, out(9);
  double det = 5;
  int sign = 5;
  AINVNOMESSAGE(s3.data(), out.data(), &det, &n, &sign);
  EXPECT_EQ(det, 0);
  EXPECT_EQ(sign, 0);
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
  AINVNDP(s3.data(), out.data(), &n);
  ASSERT_EQ(eqc_testing::messages().size(), 1u);
  EXPECT_EQ(eqc_testing::messages()[0].level, -2);
  EXPECT_EQ(eqc_testing::messages()[0].text, "PROGRAM IS ASKED TO INVERT A SINGULAR  MATRIX");
  eqc_testing::clearMessages();

  // AINVMXVARB of order 4 warns and goes on.
  double a7[49] = {}, inv7[49] = {};
  const int four = 4;
  for (int k = 0; k < 3; ++k) a7[8 * k] = 1;
  AINVMXVARB(a7, inv7, &four);
  EXPECT_EQ(eqc_testing::countAtLevel(-1), 1);
  EXPECT_TRUE(eqc_testing::printed("PROGRAM IS ASKED TO INVERT A SINGULAR MATRIX"));
}

TEST_F(DenseSolvers, PivotChoiceAndPermutations) {
  // Rows (1 3 0) and (2 6 1) have equal scaled weights 1/3 in column 1: the later row is the pivot.
  std::vector<double> a = {1, 2, 0, 3, 6, 1, 0, 1, 1};
  const int n = 3;
  std::vector<int> indx(3);
  double d = 0;
  ALUDCMP(a.data(), &n, &n, indx.data(), &d);
  EXPECT_EQ(indx[0], 2);

  // A permutation matrix: the inverse is its transpose and the determinant its parity.
  const std::vector<double> p = {0, 0, 1, 1, 0, 0, 0, 1, 0};  // cyclic: det +1
  auto work = p;
  std::vector<double> inv(9);
  AINV2(work.data(), inv.data(), &d, &n, &n);
  EXPECT_EQ(d, 1);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(inv[3 * j + i], p[3 * i + j]);
  const std::vector<double> swap = {0, 1, 0, 1, 0, 0, 0, 0, 1};
  work = swap;
  AINV2(work.data(), inv.data(), &d, &n, &n);
  EXPECT_EQ(d, -1);
  EXPECT_EQ(inv, swap);

  // The closed form of order 2 in a 7 x 7 array.
  double a7[49] = {}, inv7[49];
  std::fill(inv7, inv7 + 49, 5.0);
  a7[0] = 1;
  a7[7] = 2;
  a7[1] = 3;
  a7[8] = 4;
  const int two = 2;
  AINVMXVARB(a7, inv7, &two);
  EXPECT_EQ(inv7[0], -2);
  EXPECT_EQ(inv7[7], 1);
  EXPECT_EQ(inv7[1], 1.5);
  EXPECT_EQ(inv7[8], -0.5);
  for (int k = 0; k < 49; ++k)
    if (k != 0 && k != 1 && k != 7 && k != 8) {
      EXPECT_EQ(inv7[k], 5.0);
    }
}

TEST_F(DenseSolvers, OrderLimits) {
  {  // Order 0: the parity and the determinant of an empty matrix are 1; nothing else is touched.
    const int none = 0, ld = 1;
    double a[1] = {3}, out[1] = {4}, d[4] = {};
    int indx[1] = {-5};
    ALUDCMP(a, &none, &ld, indx, &d[0]);
    ALUDCMP1(a, &none, &ld, indx, &d[1]);
    AINV2(a, out, &d[2], &none, &ld);
    AINV3(a, out, &d[3], &none, &ld);
    EXPECT_EQ(std::vector<double>(d, d + 4), std::vector<double>(4, 1.0));
    EXPECT_EQ(std::make_tuple(a[0], out[0], indx[0]), std::make_tuple(3.0, 4.0, -5));
    EXPECT_TRUE(eqc_testing::messages().empty());
  }
  const int hundred = 100, n101 = 101;
  std::vector<double> id(101 * 101, 0.0), inv(101 * 101);
  for (int i = 0; i < 100; ++i) id[101 * i + i] = 1;
  double d = 0;
  AINV2(id.data(), inv.data(), &d, &hundred, &n101);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(inv[0], 1);
  EXPECT_EQ(eqc_testing::messages().size(), 0u);

  // Beyond a limit: a level -3 report and no memory is touched (the arrays here are tiny).
  double tiny[1] = {3}, out[1] = {4};
  int indx[1] = {0}, sign = 0, ierr = 0;
  AINV2(tiny, out, &d, &n101, &n101);
  AINV3(tiny, out, &d, &n101, &n101);
  ASOL(tiny, out, tiny, &n101, &n101);
  const int n31 = 31, n11 = 11, n8 = 8, n51 = 51, n2001 = 2001, one = 1;
  AINVNDP(tiny, out, &n31);
  AINVNOMESSAGE(tiny, out, &d, &n11, &sign);
  AINVMXVARB(tiny, out, &n8);
  GAUSSJORDAN(tiny, &n51, &n51, out, &one, &ierr);
  EXPECT_EQ(ierr, -1);
  ALUDCMP(tiny, &n2001, &n2001, indx, &d);
  EXPECT_EQ(d, 0);
  ALUDCMP1(tiny, &n101, &n101, indx, &d);
  EXPECT_EQ(tiny[0], 3);
  EXPECT_EQ(out[0], 4);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 9);
  const auto log = eqc_testing::messages();
  EXPECT_EQ(log[0].text, "THE MATRIX INVERSION ROUTINE AINV2 CAN ONLYBE USED FOR MATRICES OF ORDER 100 OR LESS");
  EXPECT_EQ(log[1].text, log[0].text);
  EXPECT_EQ(log[2].text, "THE LINEAR EQUATION SOLVER ASOL CAN ONLYBE USED FOR MATRICES OF ORDER 100 OR LESS");
  EXPECT_EQ(log[3].text, "THE MATRIX INVERSION ROUTINE AINV CAN ONLYBE USED FOR MATRICES OF ORDER 30 OR LESS");
  EXPECT_EQ(log[4].text, "THE MATRIX INVERSION ROUTINE AINV CAN ONLY BE USED FOR MATRICES OF ORDER 10 OR LESS");
}

}  // namespace
