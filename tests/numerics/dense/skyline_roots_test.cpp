// Skyline solver against dposv, tridiagonal solvers against dgtsv and dgesv, and the root
// finders on polynomials built from chosen roots.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "siblings/eqc/testing.h"
#include "tests/numerics/dense/lapack.h"
#include "tests/support/host_fixture.h"
#include "zmx/numerics.h"

namespace {

using SkylineAndRoots = zmxtest::HostFixture;

// A random symmetric positive-definite matrix with a random profile, dense and in skyline form.
struct SkylineSystem {
  int n;
  std::vector<double> dense;  // column-major n x n
  std::vector<double> a;
  std::vector<int> maxa;
};

SkylineSystem randomSkyline(int n, std::mt19937& rng) {
  std::uniform_real_distribution<double> u(-1, 1);
  SkylineSystem s{n, std::vector<double>(static_cast<std::size_t>(n * n), 0.0), {}, {}};
  std::vector<int> height(n);
  for (int j = 0; j < n; ++j) height[j] = static_cast<int>(rng() % static_cast<unsigned>(j + 1));
  for (int j = 0; j < n; ++j)
    for (int i = j - height[j]; i < j; ++i) s.dense[j * n + i] = s.dense[i * n + j] = u(rng);
  for (int j = 0; j < n; ++j) {
    double row = 0;
    for (int i = 0; i < n; ++i) row += std::fabs(s.dense[j * n + i]);
    s.dense[j * n + j] = row + 1 + u(rng) * 0.5;
  }
  for (int j = 0; j < n; ++j) {
    s.maxa.push_back(static_cast<int>(s.a.size()) + 1);
    for (int i = j; i >= j - height[j]; --i) s.a.push_back(s.dense[j * n + i]);
  }
  s.maxa.push_back(static_cast<int>(s.a.size()) + 1);
  return s;
}

TEST_F(SkylineAndRoots, ColsolMatchesDposv) {
  std::mt19937 rng(31);
  for (int n = 1; n <= 40; ++n) {
    auto s = randomSkyline(n, rng);
    std::vector<double> v(n), ref(n);
    for (int i = 0; i < n; ++i) v[i] = ref[i] = std::sin(1.0 + i);
    const int nwk = static_cast<int>(s.a.size()), factorise = 1, solve = 2;
    COLSOL(s.a.data(), v.data(), s.maxa.data(), &n, &nwk, &factorise);
    COLSOL(s.a.data(), v.data(), s.maxa.data(), &n, &nwk, &solve);
    auto dense = s.dense;
    int info = 0;
    const int one = 1;
    dposv_("U", &n, &one, dense.data(), &n, ref.data(), &n, &info, 1);
    ASSERT_EQ(info, 0);
    for (int i = 0; i < n; ++i) EXPECT_NEAR(v[i], ref[i], 1e-13) << n;
  }
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
}

TEST_F(SkylineAndRoots, ColsolEdgeCases) {
  const int factorise = 1, solve = 2;
  // The documented 2 x 2 example.
  std::vector<double> a = {4, 3, 2}, v = {2, 1};
  const std::vector<int> maxa = {1, 2, 4};
  const int two = 2, nwk = 3;
  COLSOL(a.data(), v.data(), maxa.data(), &two, &nwk, &factorise);
  EXPECT_EQ(a, (std::vector<double>{4, 2, 0.5}));
  EXPECT_EQ(v, (std::vector<double>{2, 1}));
  COLSOL(a.data(), v.data(), maxa.data(), &two, &nwk, &solve);
  EXPECT_EQ(v, (std::vector<double>{0.5, 0}));

  // Diagonal: unchanged by the factorisation; NN = 1.
  std::vector<double> diag = {2, 4, 8}, rhs = {1, 1, 1};
  const std::vector<int> unit = {1, 2, 3, 4};
  const int three = 3, one = 1;
  COLSOL(diag.data(), rhs.data(), unit.data(), &three, &three, &factorise);
  EXPECT_EQ(diag, (std::vector<double>{2, 4, 8}));
  COLSOL(diag.data(), rhs.data(), unit.data(), &three, &three, &solve);
  EXPECT_EQ(rhs, (std::vector<double>{0.5, 0.25, 0.125}));
  double single = 5, x = 10;
  COLSOL(&single, &x, unit.data(), &one, &one, &factorise);
  COLSOL(&single, &x, unit.data(), &one, &one, &solve);
  EXPECT_EQ(x, 2);
  EXPECT_EQ(eqc_testing::messages().size(), 0u);

  // Positive semi-definite [[1, 1], [1, 1]]: the zero pivot is reported at level -3.
  std::vector<double> semi = {1, 1, 1};
  COLSOL(semi.data(), v.data(), maxa.data(), &two, &nwk, &factorise);
  ASSERT_EQ(eqc_testing::messages().size(), 1u);
  EXPECT_EQ(eqc_testing::messages()[0].level, -3);
  EXPECT_EQ(eqc_testing::messages()[0].text,
            "NON POSITIVE DEFINITE MATRIX IN A CAVITY RADIATION ELEMENT. THIS MAY OCCUR FOR INADEQUATELY FINE MESHES, "
            "OR FOR RADIATING SURFACES WHICH ARE TOO CLOSE TO EACH OTHER. CHECK MODEL MESH OR GEOMETRY. FOR VERY CLOSE "
            "SURFACES, THE GAP RADIATION OPTION IS MORE APPROPRIATE.");
  eqc_testing::clearMessages();
  const int bad = 3;
  COLSOL(semi.data(), v.data(), maxa.data(), &two, &nwk, &bad);
  ASSERT_EQ(eqc_testing::messages().size(), 1u);
  EXPECT_EQ(eqc_testing::messages()[0].text, "SYSTEM ERROR IN SOLVER ROUTINE COLSOL. OPERATOR FLAG JOP MUST BE 1 OR 2.");
}

// Coefficients (ascending) of s * (x - r1)(x - r2)(x - r3).
std::vector<double> cubicFromRoots(double r1, double r2, double r3, double s = 1) {
  return {-s * r1 * r2 * r3, s * (r1 * r2 + r1 * r3 + r2 * r3), -s * (r1 + r2 + r3), s};
}

std::vector<double> solveCubic(const std::vector<double>& coef) {
  double roots[3] = {7, 7, 7};
  int n = -1;
  SOLVECUBIC(coef.data(), roots, &n);
  return std::vector<double>(roots, roots + n);
}

TEST_F(SkylineAndRoots, CubicRootsFromChosenRoots) {
  EXPECT_EQ(solveCubic({-6, 11, -6, 1}).size(), 3u);
  const auto three = solveCubic({-6, 11, -6, 1});
  EXPECT_NEAR(three[0], 3, 1e-14);
  EXPECT_NEAR(three[1], 2, 1e-14);
  EXPECT_NEAR(three[2], 1, 1e-14);
  EXPECT_EQ(solveCubic({0, 0, 0, 1}), (std::vector<double>{0}));
  const auto doubled = solveCubic({2, -3, 0, 1});
  ASSERT_EQ(doubled.size(), 2u);
  EXPECT_NEAR(doubled[0], -2, 1e-14);
  EXPECT_NEAR(doubled[1], 1, 1e-14);
  const auto triple = solveCubic(cubicFromRoots(2, 2, 2));
  ASSERT_EQ(triple.size(), 1u);
  EXPECT_NEAR(triple[0], 2, 1e-14);
  // (x - 1)(x^2 + 1): one real root.
  const auto complexPair = solveCubic({-1, 1, -1, 1});
  ASSERT_EQ(complexPair.size(), 1u);
  EXPECT_NEAR(complexPair[0], 1, 1e-14);
  // No fall-back to the quadratic.
  EXPECT_TRUE(solveCubic({2, -3, 1, 0}).empty());
  EXPECT_TRUE(solveCubic({2, -3, 1, 1e-37}).empty());

  // Distinct roots scaled by 1e8 and 1e-8, with the leading coefficient scaled too.
  for (double scale : {1e8, 1e-8}) {
    for (double lead : {1e-6, 3.0, 1e6}) {
      const auto roots = solveCubic(cubicFromRoots(-1.5 * scale, 0.25 * scale, 4 * scale, lead));
      ASSERT_EQ(roots.size(), 3u);
      auto sorted = roots;
      std::sort(sorted.begin(), sorted.end());
      EXPECT_NEAR(sorted[0], -1.5 * scale, 1e-12 * scale);
      EXPECT_NEAR(sorted[1], 0.25 * scale, 1e-12 * scale);
      EXPECT_NEAR(sorted[2], 4 * scale, 1e-12 * scale);
    }
  }
  // Nearly double roots: rounding may push the arccos argument past 1; the roots stay finite.
  for (double gap : {1e-7, 1e-9, 1e-12}) {
    for (const auto& coef : {cubicFromRoots(1, 1 + gap, 5), cubicFromRoots(-3, 0.7, 0.7 + gap)}) {
      for (double root : solveCubic(coef)) {
        EXPECT_TRUE(std::isfinite(root));
        EXPECT_NEAR(coef[0] + root * (coef[1] + root * (coef[2] + root * coef[3])), 0, 1e-6);
      }
    }
  }
}

TEST_F(SkylineAndRoots, QuadraticRoots) {
  const double tol = 1e-12;
  const auto solve = [&](std::vector<double> coef) {
    double roots[2] = {7, 7};
    int n = -1;
    SOLVEQUADRATIC(coef.data(), &tol, roots, &n);
    return std::vector<double>(roots, roots + n);
  };
  EXPECT_EQ(solve({2, -3, 1}), (std::vector<double>{2, 1}));
  EXPECT_EQ(solve({1, -2, 1}), (std::vector<double>{1}));
  EXPECT_TRUE(solve({1, 0, 1}).empty());
  EXPECT_EQ(solve({4, 2, 0}), (std::vector<double>{-2}));
  EXPECT_TRUE(solve({4, 0, 0}).empty());
  for (double scale : {1e8, 1e-8}) {
    const auto roots = solve({-6 * scale * scale, -scale, 1});  // (x - 3s)(x + 2s)
    ASSERT_EQ(roots.size(), 2u);
    EXPECT_NEAR(roots[0], 3 * scale, 1e-14 * scale);
    EXPECT_NEAR(roots[1], -2 * scale, 1e-14 * scale);
  }
  // The guards: a tiny leading coefficient beside huge ones gives the bounded quotients.
  const auto guarded = solve({1e30, 1e30, 1e-11});
  EXPECT_TRUE(guarded.empty() || std::isfinite(guarded[0]));
}

// Tridiagonal bands of a random diagonally dominant matrix.
struct Bands {
  std::vector<double> sub, diag, super;
};

Bands randomBands(int n, std::mt19937& rng) {
  std::uniform_real_distribution<double> u(-1, 1);
  Bands b{std::vector<double>(n), std::vector<double>(n), std::vector<double>(n)};
  for (int i = 0; i < n; ++i) {
    b.sub[i] = u(rng);
    b.super[i] = u(rng);
    b.diag[i] = 3 + u(rng);
  }
  return b;
}

TEST_F(SkylineAndRoots, TridiagonalSystemMatchesDgtsv) {
  std::mt19937 rng(41);
  for (int n = 1; n <= 30; ++n) {
    const auto bands = randomBands(n, rng);
    const int ldr = n + 2, nrhs = 3;
    std::vector<double> r(static_cast<std::size_t>(ldr * nrhs), -5.0);
    for (int j = 0; j < nrhs; ++j)
      for (int i = 0; i < n; ++i) r[j * ldr + i] = std::cos(i + 3.0 * j);
    auto ref = r;
    auto work = bands;
    int ierr = 5;
    TRIDIAGONAL_SYSTEM(work.sub.data(), work.diag.data(), work.super.data(), r.data(), &ldr, &nrhs, &n, &ierr);
    EXPECT_EQ(ierr, 0);
    // dgtsv takes the sub-diagonal from row 2 on.
    std::vector<double> dl(bands.sub.begin() + (n > 1 ? 1 : 0), bands.sub.end()), d = bands.diag, du = bands.super;
    dl.push_back(0);
    int info = 0;
    dgtsv_(&n, &nrhs, dl.data(), d.data(), du.data(), ref.data(), &ldr, &info);
    ASSERT_EQ(info, 0);
    for (std::size_t k = 0; k < r.size(); ++k) EXPECT_NEAR(r[k], ref[k], 1e-14) << n;
  }
  // A zero first pivot: IERR = 1 and R untouched.
  std::vector<double> sub = {0, 1}, diag = {0, 2}, super = {1, 0}, r = {1, 2};
  const int two = 2, one = 1;
  int ierr = 0;
  TRIDIAGONAL_SYSTEM(sub.data(), diag.data(), super.data(), r.data(), &two, &one, &two, &ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(r, (std::vector<double>{1, 2}));
}

TEST_F(SkylineAndRoots, CyclicTridiagonalMatchesDenseSolve) {
  std::mt19937 rng(43);
  for (int n = 3; n <= 25; ++n) {
    auto bands = randomBands(n, rng);
    double u1 = 0.3 * (n % 3), v1 = -0.4 * (n % 2);
    std::vector<double> dense(static_cast<std::size_t>(n * n), 0.0);
    for (int i = 0; i < n; ++i) {
      dense[i * n + i] = bands.diag[i];
      if (i > 0) dense[(i - 1) * n + i] = bands.sub[i];
      if (i + 1 < n) dense[(i + 1) * n + i] = bands.super[i];
    }
    dense[(n - 1) * n + 0] += u1;
    dense[0 * n + n - 1] += v1;
    const int ldr = n, nrhs = 2;
    std::vector<double> r(static_cast<std::size_t>(n * nrhs));
    for (std::size_t k = 0; k < r.size(); ++k) r[k] = std::sin(0.5 * static_cast<double>(k));
    auto ref = r;
    std::vector<double> u(n, 0.0), v(n, 0.0);
    u[0] = u1;
    v[0] = v1;
    auto work = bands;
    auto plain = bands;
    auto plainR = r;
    int ierr = 5;
    TRIDIAGONAL_SPECIAL(work.sub.data(), work.diag.data(), work.super.data(), u.data(), v.data(), r.data(), &ldr,
                        &nrhs, &n, &ierr);
    EXPECT_EQ(ierr, 0);
    std::vector<int> ipiv(n);
    int info = 0;
    dgesv_(&n, &nrhs, dense.data(), &n, ipiv.data(), ref.data(), &n, &info);
    for (std::size_t k = 0; k < r.size(); ++k) EXPECT_NEAR(r[k], ref[k], 1e-13) << n;
    if (u1 == 0 && v1 == 0) {
      TRIDIAGONAL_SYSTEM(plain.sub.data(), plain.diag.data(), plain.super.data(), plainR.data(), &ldr, &nrhs, &n, &ierr);
      for (std::size_t k = 0; k < r.size(); ++k) EXPECT_NEAR(r[k], plainR[k], 1e-15) << n;
    }
  }
  std::vector<double> sub(2, 1), diag(2, 4), super(2, 1), u(2, 0), v(2, 0), r(2, 1);
  const int two = 2, one = 1;
  int ierr = 0;
  TRIDIAGONAL_SPECIAL(sub.data(), diag.data(), super.data(), u.data(), v.data(), r.data(), &two, &one, &two, &ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(r, (std::vector<double>{1, 1}));
}

// A pivot at or below 1e-36, at the first row or met during the elimination, stops both solvers
// with IERR = 1 and R untouched; an empty system is solved at once with IERR = 0.
TEST_F(SkylineAndRoots, TridiagonalZeroPivotsStopWithRUntouched) {
  struct Case {
    bool cyclic;
    int n;
    std::vector<double> sub, diag, super;
    int ierr;
  };
  const std::vector<Case> cases = {
      {false, 0, {9}, {9}, {9}, 0},
      {false, 3, {0, 1, 1}, {0, 2, 2}, {1, 1, 0}, 1},          // DIAG(1) = 0
      {false, 3, {0, 1, 1}, {1, 1, 2}, {1, 1, 0}, 1},          // DIAG(2) - 1 * 1 = 0
      {false, 4, {0, 1, 2, 1}, {2, 2.5, 1, 3}, {1, 1, 0.5, 0}, 1},  // DIAG(3) - 1 * 1 = 0
      {true, 4, {0, 1, 1, 1}, {1, 1, 3, 3}, {1, 1, 1, 0}, 1},  // DIAG(2) - 1 * 1 = 0
      {true, 3, {0, 1, 1}, {0, 3, 3}, {1, 1, 0}, 1},           // DIAG(1) = 0
  };
  for (const Case& c : cases) {
    auto sub = c.sub, diag = c.diag, super = c.super;
    std::vector<double> u(4, 0.25), v(4, -0.5), r = {1, 2, 3, 4};
    const int ldr = 4, nrhs = 1;
    int ierr = 7;
    if (c.cyclic)
      TRIDIAGONAL_SPECIAL(sub.data(), diag.data(), super.data(), u.data(), v.data(), r.data(), &ldr, &nrhs, &c.n, &ierr);
    else
      TRIDIAGONAL_SYSTEM(sub.data(), diag.data(), super.data(), r.data(), &ldr, &nrhs, &c.n, &ierr);
    EXPECT_EQ(ierr, c.ierr) << c.cyclic << " " << c.n;
    EXPECT_EQ(r, (std::vector<double>{1, 2, 3, 4})) << c.cyclic << " " << c.n;
  }
}

TEST_F(SkylineAndRoots, TridiagonalOfOrderOneSolvesTheScalarEquation) {
  // Only DIAG(1) and R(1) exist: SUB(2) and SUPER(0) must not be touched (the sanitizers watch).
  std::vector<double> sub(1, 9), diag(1, 4), super(1, 9), r(1, 2);
  const int one = 1;
  int ierr = 5;
  TRIDIAGONAL_SYSTEM(sub.data(), diag.data(), super.data(), r.data(), &one, &one, &one, &ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(r[0], 0.5);
  EXPECT_EQ(sub[0], 9);
}

}  // namespace
