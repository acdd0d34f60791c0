// Array and matrix kernels against the reference BLAS and against closed forms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/numerics.h"

extern "C" {
void dgemm_(const char* ta, const char* tb, const int* m, const int* n, const int* k, const double* alpha,
            const double* a, const int* lda, const double* b, const int* ldb, const double* beta, double* c,
            const int* ldc, std::size_t, std::size_t);
void dgemv_(const char* t, const int* m, const int* n, const double* alpha, const double* a, const int* lda,
            const double* x, const int* incx, const double* beta, double* y, const int* incy, std::size_t);
}

namespace {

using Matrix = std::vector<double>;

Matrix randomMatrix(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  Matrix m(size);
  for (double& v : m) v = uniform(generator);
  return m;
}

// C := beta C + alpha op(A) op(B) through the reference BLAS.
void gemm(char ta, char tb, int m, int n, int k, double alpha, const Matrix& A, int lda, const Matrix& B, int ldb,
          double beta, Matrix& C, int ldc) {
  dgemm_(&ta, &tb, &m, &n, &k, &alpha, A.data(), &lda, B.data(), &ldb, &beta, C.data(), &ldc, 1, 1);
}

void gemv(char t, int m, int n, double alpha, const Matrix& A, int lda, const Matrix& x, double beta, Matrix& y) {
  const int one = 1;
  dgemv_(&t, &m, &n, &alpha, A.data(), &lda, x.data(), &one, &beta, y.data(), &one, 1);
}

// Full symmetric n x n from a random packed upper triangle, and the packed triangle itself.
Matrix packedUpper(int n, unsigned seed) { return randomMatrix(static_cast<std::size_t>(n * (n + 1) / 2), seed); }

Matrix unpack(const Matrix& packed, int n, bool symmetric) {
  Matrix full(static_cast<std::size_t>(n * n), 0.0);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i <= j; ++i) {
      const double v = packed[static_cast<std::size_t>(i + j * (j + 1) / 2)];
      full[static_cast<std::size_t>(i + j * n)] = v;
      if (symmetric) full[static_cast<std::size_t>(j + i * n)] = v;
    }
  return full;
}

void expectNear(const Matrix& actual, const Matrix& expected, double tolerance = 1e-13) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t k = 0; k < actual.size(); ++k) EXPECT_NEAR(actual[k], expected[k], tolerance) << "entry " << k;
}

class ProductSizes : public ::testing::TestWithParam<int> {};

TEST_P(ProductSizes, MatrixVectorProductsMatchBlas) {
  const int n = GetParam();
  const auto un = static_cast<std::size_t>(n);
  const Matrix A = randomMatrix(un * un, 1), x = randomMatrix(un, 2), y0 = randomMatrix(un, 3);
  const double c = -0.75;

  Matrix y(un), expected(un);
  APRDP1(A.data(), x.data(), y.data(), &n);
  gemv('N', n, n, 1.0, A, n, x, 0.0, expected);
  expectNear(y, expected);

  y = y0;
  expected = y0;
  SHR_APRDC(y.data(), A.data(), x.data(), &c, &n);
  gemv('N', n, n, c, A, n, x, 1.0, expected);
  expectNear(y, expected);

  const Matrix P = packedUpper(n, 4);
  y = y0;
  expected = y0;
  SHR_APRDTC(y.data(), P.data(), x.data(), &c, &n);
  gemv('N', n, n, c, unpack(P, n, true), n, x, 1.0, expected);
  expectNear(y, expected);

  double dot = 0.0, expectedDot = 0.0;
  SHR_APRD1(A.data(), x.data(), &dot, &n);
  for (std::size_t i = 0; i < un; ++i) expectedDot += A[i] * x[i];
  EXPECT_NEAR(dot, expectedDot, 1e-14);
}

TEST_P(ProductSizes, LeadingDimensionSevenFormsMatchBlas) {
  const int n = GetParam();
  if (n > 7) return;  // order 7 at most; larger orders are refused (below)
  const auto un = static_cast<std::size_t>(n);
  const Matrix A = randomMatrix(49, 5), B = randomMatrix(49, 6), x = randomMatrix(un, 7);
  Matrix y(un), expected(un);
  AMPVMXVARB(A.data(), x.data(), y.data(), &n);
  gemv('N', n, n, 1.0, A, 7, x, 0.0, expected);
  expectNear(y, expected);
  AVPMMXVARB(A.data(), x.data(), y.data(), &n);
  gemv('T', n, n, 1.0, A, 7, x, 0.0, expected);
  expectNear(y, expected);

  Matrix G(49, 99.0), expectedG(49, 99.0);
  APRDMXVARB(A.data(), B.data(), G.data(), &n);
  gemm('N', 'N', n, n, n, 1.0, A, 7, B, 7, 0.0, expectedG, 7);
  expectNear(G, expectedG);  // rows beyond n keep their 99

  const Matrix P = packedUpper(n, 8);
  Matrix inPlace(49, 0.0);
  std::copy(P.begin(), P.end(), inPlace.begin());
  ATTOSCMXVARB(inPlace.data(), &n);
  const Matrix full = unpack(P, n, true);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i)
      EXPECT_EQ(inPlace[static_cast<std::size_t>(i + 7 * j)], full[static_cast<std::size_t>(i + n * j)]);
}

TEST_P(ProductSizes, LowRankUpdatesMatchBlas) {
  const int n = GetParam();
  const int m = n + 2, k = std::max(1, n - 1), p = n;
  const auto sz = [](int a, int b) { return static_cast<std::size_t>(a * b); };
  const Matrix A = randomMatrix(sz(m, k), 9), B = randomMatrix(sz(m, p), 10), G0 = randomMatrix(sz(p, k), 11);

  Matrix G = G0, expected = G0;
  SHR_PRODRRANK(G.data(), A.data(), B.data(), &m, &k, &p);
  gemm('T', 'N', p, k, m, 1.0, B, m, A, m, 1.0, expected, p);
  expectNear(G, expected);

  Matrix updated = A, expectedA = A;
  SHR_SUBRRANK(updated.data(), B.data(), G0.data(), &m, &k, &p);
  gemm('N', 'N', m, k, p, -1.0, B, m, G0, p, 1.0, expectedA, m);
  expectNear(updated, expectedA);

  const Matrix U = packedUpper(n, 12), Ufull = unpack(U, n, false);
  const Matrix A2 = randomMatrix(sz(m, n), 13), B2 = randomMatrix(sz(m, n), 14);
  updated = A2;
  expectedA = A2;
  SHR_SUBURANK(updated.data(), B2.data(), U.data(), &m, &n);
  gemm('N', 'N', m, n, n, -1.0, B2, m, Ufull, n, 1.0, expectedA, m);
  expectNear(updated, expectedA);

  updated = A2;
  expectedA = A2;
  SHR_SUBLRANK(updated.data(), B2.data(), U.data(), &m, &n);
  gemm('N', 'T', m, n, n, -1.0, B2, m, Ufull, n, 1.0, expectedA, m);
  expectNear(updated, expectedA);

  // Upper triangle of S += B^T A, across the three-column groups and the remainder.
  const Matrix S0 = packedUpper(n, 15);
  Matrix S = S0, product(sz(n, n), 0.0);
  SHR_SYMPRODRANK(S.data(), A2.data(), B2.data(), &m, &n);
  gemm('T', 'N', n, n, m, 1.0, B2, m, A2, m, 0.0, product, n);
  for (int c = 0; c < n; ++c)
    for (int r = 0; r <= c; ++r) {
      const auto at = static_cast<std::size_t>(r + c * (c + 1) / 2);
      EXPECT_NEAR(S[at], S0[at] + product[static_cast<std::size_t>(r + c * n)], 1e-13) << r << "," << c;
    }
}

// Beyond order 8 the product is formed without the stack copy of x.
INSTANTIATE_TEST_SUITE_P(OneToEightAndTwelve, ProductSizes, ::testing::Values(1, 2, 3, 4, 5, 6, 7, 8, 12));

TEST(ThreeByThree, ProductsDyadsDeterminantAndTranspose) {
  const Matrix A = randomMatrix(9, 20), B = randomMatrix(9, 21);
  const int ldc = 5;
  Matrix G(15, 1.0), expected(15, 1.0);
  SHR_MATRIXMULT(A.data(), B.data(), G.data(), &ldc);
  gemm('N', 'N', 3, 3, 3, 1.0, A, 3, B, 3, 1.0, expected, ldc);
  expectNear(G, expected);

  const Matrix a = randomMatrix(3, 22), b = randomMatrix(3, 23);
  Matrix D(9, 0.5), expectedD(9, 0.5);
  ADYAD3(a.data(), b.data(), D.data());
  gemm('N', 'T', 3, 3, 1, 1.0, a, 3, b, 3, 1.0, expectedD, 3);
  expectNear(D, expectedD);

  double det = 0.0, dot = 0.0;
  const Matrix rotation = {0, 1, 0, -1, 0, 0, 0, 0, 1};
  ADET33(rotation.data(), &det);
  EXPECT_DOUBLE_EQ(det, 1.0);
  const Matrix diagonal = {2, 0, 0, 0, 3, 0, 0, 0, -4};
  ADET33(diagonal.data(), &det);
  EXPECT_DOUBLE_EQ(det, -24.0);
  ADOT3(a.data(), b.data(), &dot);
  EXPECT_NEAR(dot, a[0] * b[0] + a[1] * b[1] + a[2] * b[2], 1e-15);

  // A 2 x 3 block transposed, also in place.
  const int two = 2, three = 3;
  Matrix t = {1, 2, 3, 4, 5, 6};
  Matrix out(6);
  ATRA(t.data(), out.data(), &two, &three);
  EXPECT_EQ(out, (Matrix{1, 3, 5, 2, 4, 6}));
  ATRA(t.data(), t.data(), &two, &three);
  EXPECT_EQ(t, out);

  // In place for every shape up to 7 x 7, and with the result overlapping the source shifted by
  // a few words: the same as into separate storage.
  for (int rows = 1; rows <= 7; ++rows)
    for (int columns = 1; columns <= 7; ++columns) {
      const int total = rows * columns;
      Matrix source(total + 3), separate(total);
      for (int k = 0; k < total; ++k) source[k] = k + 1;
      ATRA(source.data(), separate.data(), &rows, &columns);
      Matrix same = source;
      ATRA(same.data(), same.data(), &rows, &columns);
      EXPECT_TRUE(std::equal(separate.begin(), separate.end(), same.begin())) << rows << " x " << columns;
      Matrix shifted(total + 3);
      std::copy(source.begin(), source.begin() + total, shifted.begin());
      ATRA(shifted.data(), shifted.data() + 3, &rows, &columns);
      EXPECT_TRUE(std::equal(separate.begin(), separate.end(), shifted.begin() + 3)) << rows << " x " << columns;
    }

  const Matrix P = {1, 2, 3, 4, 5, 6};
  Matrix F(9);
  ATTOSC(P.data(), F.data(), &three);
  EXPECT_EQ(F, (Matrix{1, 2, 4, 2, 3, 5, 4, 5, 6}));
}

TEST(VectorKernels, ElementwiseCopiesAndCounts) {
  const int n = 3, zero = 0;
  const Matrix a = {1, 2, 3}, b = {0.5, 4, -1};
  Matrix c(3, 7.0);
  AADD(a.data(), b.data(), c.data(), &n);
  EXPECT_EQ(c, (Matrix{1.5, 6, 2}));
  ASUB(a.data(), b.data(), c.data(), &n);
  EXPECT_EQ(c, (Matrix{0.5, -2, 4}));
  ASUB(a.data(), b.data(), c.data(), &zero);  // a count below 1 changes nothing
  EXPECT_EQ(c, (Matrix{0.5, -2, 4}));

  const std::vector<int> ia = {1, -5, 9};
  std::vector<int> ib = {3, -7, 2}, ic(3);
  AADDII(ia.data(), ib.data(), ic.data(), &n);
  EXPECT_EQ(ic, (std::vector<int>{4, -12, 11}));
  AMAXII(ia.data(), ib.data(), &n);
  EXPECT_EQ(ib, (std::vector<int>{3, -5, 9}));
  IDENTITYVEC(ic.data(), &n);
  EXPECT_EQ(ic, (std::vector<int>{1, 2, 3}));

  // Overlapping integer copies both ways.
  std::vector<int> shifted = {1, 2, 3, 4, 5};
  SHR_ACOPII1(shifted.data(), shifted.data() + 1, &n);
  EXPECT_EQ(shifted, (std::vector<int>{1, 1, 2, 3, 5}));
  SHR_ACOPII1(shifted.data() + 2, shifted.data(), &n);
  EXPECT_EQ(shifted, (std::vector<int>{2, 3, 5, 3, 5}));
  const int offset = 2;
  std::vector<int> part(2);
  const int two = 2;
  SHR_ACOPII2(shifted.data(), &offset, part.data(), &two);
  EXPECT_EQ(part, (std::vector<int>{5, 3}));

  const Matrix block = {1, 2, 3, 4, 5, 6, 7, 8, 9};  // 3 x 3, take the upper 2 x 3
  Matrix packed(6);
  ACOP2TO1(block.data(), &n, &two, &n, packed.data());
  EXPECT_EQ(packed, (Matrix{1, 2, 4, 5, 7, 8}));

  double first = 1.5, second = 1.5;
  int equal = -1;
  ACOMP(&first, &second, &equal);
  EXPECT_EQ(equal, 1);
  second = -1.5;  // differs only in the high word
  ACOMP(&first, &second, &equal);
  EXPECT_EQ(equal, 0);
}

TEST(VectorKernels, VectorMinusZeroesCloseDifferences) {
  const int n = 3;
  const double scale = 10.0;
  const Matrix p = {1.0, 1.0, 1.0}, near = {1.05, 1.0, 1.0}, far = {1.2, 1.0, 1.0};
  Matrix c(3);
  VECTORMINUS(p.data(), near.data(), c.data(), &n, &scale);
  EXPECT_EQ(c, (Matrix{0, 0, 0}));
  VECTORMINUS(p.data(), far.data(), c.data(), &n, &scale);
  EXPECT_NEAR(c[0], -0.2, 1e-15);
}

TEST(PrecisionConversions, SaturationAndInPlaceForms) {
  const int n = 4;
  const Matrix d = {2e36, -2e36, 1.0 / 3.0, 1e36};
  std::vector<float> s(4);
  ACOPDS(d.data(), s.data(), &n);
  EXPECT_EQ(s[0], 1.0e36f);
  EXPECT_EQ(s[1], -1.0e36f);
  EXPECT_EQ(s[2], 1.0f / 3.0f);
  EXPECT_EQ(s[3], 1.0e36f);

  Matrix wide(4);
  ACOPSD(s.data(), wide.data(), &n);
  EXPECT_EQ(wide[2], static_cast<double>(1.0f / 3.0f));

  // Compress into the start of the same storage and expand it back in place.
  Matrix shared = {1.5, -2.25, 3.125, 1.0 / 3.0};
  ACOPDS(shared.data(), reinterpret_cast<float*>(shared.data()), &n);
  ACONFD(reinterpret_cast<const float*>(shared.data()), shared.data(), &n);
  EXPECT_EQ(shared, (Matrix{1.5, -2.25, 3.125, static_cast<double>(1.0f / 3.0f)}));
}

TEST(TensorKernels, NormalisingAndProjection) {
  const int n = 3;
  Matrix v = {3, 0, 4};
  double s = 0.0;
  int flag = -1;
  ANORML(v.data(), &n, &s, &flag);
  EXPECT_EQ(flag, 0);
  EXPECT_DOUBLE_EQ(s, 0.2);
  EXPECT_NEAR(v[0], 0.6, 1e-15);
  Matrix zero = {0, 0, 0};
  ANORML(zero.data(), &n, &s, &flag);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(s, 1.0);
  EXPECT_EQ(zero, (Matrix{0, 0, 0}));
  for (const int none : {0, -3}) {  // no vector: nothing is written
    s = 7.0;
    flag = 5;
    ANORML(zero.data(), &none, &s, &flag);
    EXPECT_EQ(s, 7.0);
    EXPECT_EQ(flag, 5);
  }

  const Matrix e = {0, 0, 1};
  Matrix w = {1, 2, 3};
  const double f = 2.0;
  ADNORM(e.data(), w.data(), &f, &n);
  EXPECT_EQ(w, (Matrix{2, 4, 0}));
}

TEST(TensorKernels, S3SetFillsTraceFreePartsAndShears) {
  Matrix T(9);
  const Matrix plane = {1, 2};
  const int two = 2, one = 1, none = 0, three = 3;
  S3SET(plane.data(), T.data(), &two, &none);
  EXPECT_EQ(T, (Matrix{1, 0, 0, 0, 2, 0, 0, 0, -3}));
  const Matrix uniaxial = {4, 7};
  S3SET(uniaxial.data(), T.data(), &one, &one);
  EXPECT_EQ(T, (Matrix{4, 7, 0, 7, -2, 0, 0, 0, -2}));
  const Matrix full = {1, 2, 3, 4, 5, 6};
  S3SET(full.data(), T.data(), &three, &three);
  EXPECT_EQ(T, (Matrix{1, 4, 5, 4, 2, 6, 5, 6, 3}));

  // trace(T^3) is the sum of the cubed principal values; a tiny result against the
  // components counts as 0.
  double d = 0.0;
  const Matrix diagonal = {1, 2, 3, 0, 0, 0};
  S3PROD(diagonal.data(), &d, &three, &three);
  EXPECT_NEAR(d, 36.0, 1e-12);
  S3PROD(full.data(), &d, &three, &three);
  double expected = 0.0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) expected += T[i + 3 * j] * T[j + 3 * k] * T[k + 3 * i];
  EXPECT_NEAR(d, expected, 1e-11);
  const Matrix balanced = {1, -1, 0, 0, 0, 0};  // principal values 1, -1, 0
  S3PROD(balanced.data(), &d, &three, &three);
  EXPECT_EQ(d, 0.0);
}

TEST(TensorKernels, MagnitudeAndPhase) {
  Matrix re = {0, -1, 3, 1e-20, 0}, im = {1, 0, 4, -5, 0};
  const int n = 5;
  SHR_MSAMPH(re.data(), im.data(), &n);
  EXPECT_EQ(re[0], 1.0);
  EXPECT_EQ(im[0], 90.0);
  EXPECT_EQ(re[1], 1.0);
  EXPECT_EQ(im[1], 180.0);
  EXPECT_NEAR(re[2], 5.0, 1e-15);
  EXPECT_NEAR(im[2], std::atan2(4.0, 3.0) * 57.29577951308232, 1e-12);
  EXPECT_EQ(re[3], 5.0);
  EXPECT_EQ(im[3], -90.0);
  EXPECT_EQ(re[4], 0.0);
  EXPECT_EQ(im[4], 0.0);
}

class VarbOrderLimit : public zmxtest::HostFixture {};

TEST_F(VarbOrderLimit, OrderAboveSevenIsReportedAndChangesNothing) {
  const int eight = 8;
  Matrix A(64, 1.0);
  ATTOSCMXVARB(A.data(), &eight);
  EXPECT_EQ(A, Matrix(64, 1.0));
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ATTOSCMXVARB"));
}

}  // namespace
