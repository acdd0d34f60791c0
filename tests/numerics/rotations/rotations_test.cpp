// Rotation vectors and quaternions against rotation matrices built independently here
// (Rodrigues' formula in long double, the matrix of a unit quaternion).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/numerics.h"

namespace {

using Vec = std::array<double, 3>;
using Mat = std::array<long double, 9>;  // column-major

// Rodrigues: R = cos t I + sin t [n]x + (1 - cos t) n n^T.
Mat rodrigues(const Vec& r) {
  const long double t = std::sqrt((long double)r[0] * r[0] + (long double)r[1] * r[1] + (long double)r[2] * r[2]);
  Mat R{};
  if (t == 0.0L) {
    R[0] = R[4] = R[8] = 1.0L;
    return R;
  }
  const long double n[3] = {r[0] / t, r[1] / t, r[2] / t};
  const long double c = std::cos(t), s = std::sin(t);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) R[i + 3 * j] = (i == j ? c : 0.0L) + (1.0L - c) * n[i] * n[j];
  R[1] += s * n[2], R[3] -= s * n[2];
  R[2] -= s * n[1], R[6] += s * n[1];
  R[5] += s * n[0], R[7] -= s * n[0];
  return R;
}

// Rotation matrix of the unit quaternion (w, x, y, z).
Mat quaternionMatrix(long double w, long double x, long double y, long double z) {
  return {1 - 2 * (y * y + z * z), 2 * (x * y + w * z),     2 * (x * z - w * y),
          2 * (x * y - w * z),     1 - 2 * (x * x + z * z), 2 * (y * z + w * x),
          2 * (x * z + w * y),     2 * (y * z - w * x),     1 - 2 * (x * x + y * y)};
}

Mat multiply(const Mat& A, const Mat& B) {
  Mat C{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) C[i + 3 * j] += A[i + 3 * k] * B[k + 3 * j];
  return C;
}

Mat transpose(const Mat& A) {
  Mat T{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) T[j + 3 * i] = A[i + 3 * j];
  return T;
}

void expectMatrixNear(const Mat& actual, const Mat& expected, long double tolerance) {
  for (int k = 0; k < 9; ++k) EXPECT_NEAR((double)actual[k], (double)expected[k], (double)tolerance) << "entry " << k;
}

void expectMatrixNear(const double* actual, const Mat& expected, long double tolerance) {
  Mat a{};
  for (int k = 0; k < 9; ++k) a[k] = actual[k];
  expectMatrixNear(a, expected, tolerance);
}

Vec scaled(const Vec& axis, double angle) {
  const double length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  return {axis[0] * angle / length, axis[1] * angle / length, axis[2] * angle / length};
}

double length(const Vec& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

class Rotations : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    rec::i(CONTRO, eqc_records::kFiniteRotations) = 1;
  }
  void TearDown() override {
    rec::i(CONTRO, eqc_records::kFiniteRotations) = 0;
    HostFixture::TearDown();
  }
};

// ---- Rotation of vectors ------------------------------------------------------------------------

class AnrotAngles : public Rotations, public ::testing::WithParamInterface<double> {};

TEST_P(AnrotAngles, MatchesRodriguesInEveryBranch) {
  const double angle = GetParam();
  const Vec r = scaled({0.3, -0.5, 0.8}, angle);
  const Mat R = rodrigues(r);
  const double X[6] = {1.0, 2.0, -0.5, -3.0, 0.25, 4.0};
  double Y[6];
  const int two = 2;
  SHR_ANROT(X, Y, r.data(), &two);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 3; ++i) {
      long double expected = 0.0L;
      for (int k = 0; k < 3; ++k) expected += R[i + 3 * k] * X[k + 3 * j];
      EXPECT_NEAR(Y[i + 3 * j], (double)expected, 2e-14) << "component " << i << " column " << j;
    }
  // In place gives the same.
  double Z[6];
  std::copy(X, X + 6, Z);
  SHR_ANROT(Z, Z, r.data(), &two);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(Z[k], Y[k]);
}

INSTANTIATE_TEST_SUITE_P(SeriesAndClosedForm, AnrotAngles,
                         ::testing::Values(0.0, 0.005, 0.01, 0.05, 0.1, 0.2, 3.0, 10.0));

TEST_F(Rotations, AnrotSeriesCutAtTheirThresholds) {
  // About x, the second component of the rotated y axis is alpha itself. At 0.01 rad the short
  // series stops at t^2/24 and falls short of cos(0.01) by t^3/720 (about a dozen units in the
  // last place); just above 0.01 the longer series agrees with the cosine.
  const double x[3] = {0.0, 1.0, 0.0};
  double y[3];
  const int one = 1;
  const double atThreshold[3] = {0.01, 0.0, 0.0};
  SHR_ANROT(x, y, atThreshold, &one);
  const long double t = 0.01L * 0.01L;
  EXPECT_NEAR(y[1], (double)(1.0L - t / 2.0L + t * t / 24.0L), 3e-16);
  EXPECT_GT(std::fabs(y[1] - (double)std::cos(0.01L)), 1e-15);
  const double above[3] = {0.0101, 0.0, 0.0};
  SHR_ANROT(x, y, above, &one);
  EXPECT_NEAR(y[1], (double)std::cos(0.0101L), 3e-16);
}

TEST_F(Rotations, AnrotZeroAngleAndSwitch) {
  const double X[3] = {1.0, -2.0, 3.0};
  const double zero[3] = {0.0, 0.0, 0.0};
  double Y[3];
  const int one = 1;
  SHR_ANROT(X, Y, zero, &one);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(Y[k], X[k]);

  // Finite rotations off: a plain copy whatever the rotation; ANROTSHR takes the switch itself.
  const double quarter[3] = {0.0, 0.0, 1.5707963267948966};
  rec::i(CONTRO, eqc_records::kFiniteRotations) = 0;
  SHR_ANROT(X, Y, quarter, &one);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(Y[k], X[k]);
  const int off = 0, on = 1;
  ANROTSHR(X, Y, quarter, &one, &off);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(Y[k], X[k]);
  ANROTSHR(X, Y, quarter, &one, &on);
  EXPECT_NEAR(Y[0], 2.0, 1e-15);
  EXPECT_NEAR(Y[1], 1.0, 1e-15);
  EXPECT_NEAR(Y[2], 3.0, 1e-15);
}

TEST_F(Rotations, AnrotCapsHugeAnglesAtTheLargestAngle) {
  // The angle is capped while the vector keeps its length: the closed form with the cap.
  const Vec r = scaled({0.0, 0.6, 0.8}, 2.0e7);
  const double X[3] = {1.0, 0.5, -0.25};
  double Y[3];
  const int one = 1;
  SHR_ANROT(X, Y, r.data(), &one);
  const long double t = 15848925.0L, c = std::cos(t), s = std::sin(t);
  const long double rx[3] = {(long double)r[1] * X[2] - (long double)r[2] * X[1],
                             (long double)r[2] * X[0] - (long double)r[0] * X[2],
                             (long double)r[0] * X[1] - (long double)r[1] * X[0]};
  const long double rdx = (long double)r[0] * X[0] + (long double)r[1] * X[1] + (long double)r[2] * X[2];
  for (int i = 0; i < 3; ++i)
    EXPECT_NEAR(Y[i], (double)(c * X[i] + s * rx[i] / t + rdx * (1 - c) / (t * t) * r[i]), 1e-8);
}

// ---- Composition and update ---------------------------------------------------------------------

TEST_F(Rotations, ComprotComposesLikeMatrices) {
  std::mt19937 generator(7);
  std::uniform_real_distribution<double> uniform(-2.0, 2.0);
  for (int trial = 0; trial < 20; ++trial) {
    const Vec r1 = {uniform(generator), uniform(generator), uniform(generator)};
    const Vec r2 = {uniform(generator), uniform(generator), uniform(generator)};
    Vec r3{};
    COMPROT(r1.data(), r2.data(), r3.data());
    expectMatrixNear(rodrigues(r3), multiply(rodrigues(r1), rodrigues(r2)), 1e-13);
  }
}

TEST_F(Rotations, ComprotEdgeCases) {
  const Vec r = {0.3, -0.4, 1.2}, minus = {-0.3, 0.4, -1.2}, tiny = {1e-19, 0.0, 0.0};
  Vec out{};
  COMPROT(r.data(), minus.data(), out.data());
  EXPECT_EQ(out, (Vec{0.0, 0.0, 0.0}));
  COMPROT(r.data(), tiny.data(), out.data());
  EXPECT_EQ(out, r);
  COMPROT(tiny.data(), r.data(), out.data());
  EXPECT_EQ(out, r);

  const Vec axis = {0.0, 0.6, 0.8};
  const Vec three = scaled(axis, 3.0);
  COMPROT(three.data(), three.data(), out.data());
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(out[k], 6.0 * axis[k], 1e-13);

  // 0.1 rad after 7 rad: 7.1 - 2 pi along the axis, not the opposite turn of -5.4664 rad.
  const Vec small = scaled(axis, 0.1), big = scaled(axis, 7.0);
  COMPROT(small.data(), big.data(), out.data());
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(out[k], 0.8168146928204138 * axis[k], 1e-12);
  EXPECT_NEAR(length(out), 0.8168, 1e-4);
}

TEST_F(Rotations, RotupAppliesTheIncrementFirst) {
  const Vec r0 = {0.4, -0.2, 0.9}, increment = {-0.3, 0.7, 0.05};
  Vec r = {r0[0] + increment[0], r0[1] + increment[1], r0[2] + increment[2]};
  SHR_ROTUP(r.data(), r0.data());
  expectMatrixNear(rodrigues(r), multiply(rodrigues(r0), rodrigues(increment)), 1e-13);

  Vec same = r0;
  SHR_ROTUP(same.data(), r0.data());
  EXPECT_EQ(same, r0);
  const Vec zero = {0.0, 0.0, 0.0};
  Vec fromZero = increment;
  SHR_ROTUP(fromZero.data(), zero.data());
  EXPECT_EQ(fromZero, increment);
}

// ---- Small helpers ------------------------------------------------------------------------------

TEST_F(Rotations, PlaneRotationAndSkewMatrix) {
  const double a[2] = {1.0, 0.0}, b[2] = {0.6, 0.8};
  double T[4];
  COMPUTEROT2D(a, b, T);
  EXPECT_EQ(T[0], 0.6);
  EXPECT_EQ(T[1], 0.8);
  EXPECT_EQ(T[2], -0.8);
  EXPECT_EQ(T[3], 0.6);

  const double w[3] = {0.5, -1.5, 2.0}, v[3] = {3.0, 1.0, -2.0};
  double S[9];
  SHR_AXIALTOSKEW(w, S);
  const double cross[3] = {w[1] * v[2] - w[2] * v[1], w[2] * v[0] - w[0] * v[2], w[0] * v[1] - w[1] * v[0]};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(S[i] * v[0] + S[i + 3] * v[1] + S[i + 6] * v[2], cross[i]);
  EXPECT_EQ(S[0] + S[4] + S[8], 0.0);
}

TEST_F(Rotations, RotateOrientationCarriesTangentsWithTheNormal) {
  double T1[3] = {1.0, 0.0, 0.0}, N[3] = {0.0, 0.0, 1.0};
  const double T2[3] = {0.0, 1.0, 0.0};
  const double angle = 0.3;
  const double NNEW[3] = {std::sin(angle), 0.0, std::cos(angle)};
  double T1NEW[3], T2NEW[3];
  ROTATE_ORIENTATION(T1, T2, N, NNEW, T1NEW, T2NEW);
  const Mat R = rodrigues({0.0, angle, 0.0});
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(T1NEW[i], (double)R[i], 1e-15);
    EXPECT_NEAR(T2NEW[i], (double)R[i + 3], 1e-15);
  }

  // A reversed normal turns N and T1 round in place (T2 stays) and copies the tangents.
  double t1[3] = {1.0, 0.0, 0.0}, n[3] = {0.0, 0.0, 1.0};
  const double reversed[3] = {0.0, 0.0, -1.0};
  ROTATE_ORIENTATION(t1, T2, n, reversed, T1NEW, T2NEW);
  EXPECT_EQ(n[2], -1.0);
  EXPECT_EQ(t1[0], -1.0);
  EXPECT_EQ(T1NEW[0], -1.0);
  EXPECT_EQ(T2NEW[1], 1.0);
}

// ---- Quaternions --------------------------------------------------------------------------------

struct PivotCase {
  const char* name;
  Vec rotation;
};

class CalquatPivots : public Rotations, public ::testing::WithParamInterface<PivotCase> {};

TEST_P(CalquatPivots, RoundTripThroughTheQuaternionMatrix) {
  const Mat R = rodrigues(GetParam().rotation);
  double Rd[9];
  for (int k = 0; k < 9; ++k) Rd[k] = (double)R[k];
  double even[4], odd[4];
  const int evenFlag = 0, oddFlag = -1;
  CALQUAT(even, Rd, &evenFlag);
  CALQUAT(odd, Rd, &oddFlag);
  expectMatrixNear(quaternionMatrix(even[3], even[0], even[1], even[2]), R, 1e-14);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(odd[k + 1], even[k]);
  EXPECT_EQ(odd[0], even[3]);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

INSTANTIATE_TEST_SUITE_P(
    AllBranches, CalquatPivots,
    ::testing::Values(PivotCase{"trace", {0.2, -0.3, 0.4}}, PivotCase{"x", {3.0, 0.2, -0.1}},
                      PivotCase{"y", {0.1, 3.0, 0.2}}, PivotCase{"z", {-0.2, 0.1, 3.0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Rotations, CalquatOfIdentityAndHalfTurn) {
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  double q[4];
  const int even = 0;
  CALQUAT(q, identity, &even);
  EXPECT_EQ(q[0], 0.0);
  EXPECT_EQ(q[1], 0.0);
  EXPECT_EQ(q[2], 0.0);
  EXPECT_EQ(q[3], 1.0);
  const double halfTurnX[9] = {1, 0, 0, 0, -1, 0, 0, 0, -1};  // trace -1: the x pivot
  CALQUAT(q, halfTurnX, &even);
  EXPECT_EQ(q[0], 1.0);
  EXPECT_EQ(q[1], 0.0);
  EXPECT_EQ(q[2], 0.0);
  EXPECT_EQ(q[3], 0.0);
  // A damaged matrix whose trace is the largest of the four and at most -1 (only a diagonal of
  // -infinity gives that) is the first system error.
  const double inf = std::numeric_limits<double>::infinity();
  const double damaged[9] = {-inf, 0, 0, 0, -inf, 0, 0, 0, -inf};
  CALQUAT(q, damaged, &even);
  const auto log = eqc_testing::messages();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].level, -3);
  EXPECT_EQ(log[0].text, "SYSTEM ERROR 1 IN CALQUAT");
}

TEST_F(Rotations, QuatmGivesTheRelativeRotation) {
  const Vec ra = {0.3, -1.1, 0.4}, rb = {-0.7, 0.2, 2.1};
  const Mat Ra = rodrigues(ra), Rb = rodrigues(rb);
  double Rad[9], Rbd[9], qa[4], qb[4], z[4];
  for (int k = 0; k < 9; ++k) Rad[k] = (double)Ra[k], Rbd[k] = (double)Rb[k];
  const int even = 0, three = 3;
  CALQUAT(qa, Rad, &even);
  CALQUAT(qb, Rbd, &even);
  QUATM(qa, qb, z, &three);
  expectMatrixNear(quaternionMatrix(z[3], z[0], z[1], z[2]), multiply(transpose(Ra), Rb), 1e-14);

  // Plane form: angles subtract.
  const double a = 0.4, b = 1.3;
  const double pa[2] = {std::sin(a / 2), std::cos(a / 2)}, pb[2] = {std::sin(b / 2), std::cos(b / 2)};
  double pz[2];
  const int two = 2;
  QUATM(pa, pb, pz, &two);
  EXPECT_NEAR(pz[0], std::sin((b - a) / 2), 1e-15);
  EXPECT_NEAR(pz[1], std::cos((b - a) / 2), 1e-15);
}

TEST_F(Rotations, QuatrotRotatesTheTensor) {
  const double A[6] = {3.0, -1.0, 2.0, 0.5, -0.25, 0.75};
  const Mat S = {3.0, 0.5, -0.25, 0.5, -1.0, 0.75, -0.25, 0.75, 2.0};
  const Mat R = rodrigues({0.9, -0.4, 1.7});
  double Rd[9], q[4], qOdd[4], Z[9];
  for (int k = 0; k < 9; ++k) Rd[k] = (double)R[k];
  const int even = 0, odd = 1, four = 4, mode[2] = {1, 0};
  CALQUAT(q, Rd, &even);
  CALQUAT(qOdd, Rd, &odd);
  const Mat expected = multiply(multiply(R, S), transpose(R));
  QUATROT(A, q, Z, &four, &even, mode, nullptr);
  expectMatrixNear(Z, expected, 1e-13);
  QUATROT(A, qOdd, Z, &four, &odd, mode, nullptr);
  expectMatrixNear(Z, expected, 1e-13);

  // Plane form: a rotation about the third axis.
  const double angle = 0.8;
  const double plane[2] = {std::sin(angle / 2), std::cos(angle / 2)};
  const int two = 2;
  QUATROT(A, plane, Z, &two, &even, mode, nullptr);
  const Mat Rz = rodrigues({0.0, 0.0, angle});
  expectMatrixNear(Z, multiply(multiply(Rz, S), transpose(Rz)), 1e-14);

  // The rounded pass works on single-precision inputs; MODE(2) = 3 leaves the rounded result.
  double rounded[6], qRounded[4], Z1[9], Z3[9];
  for (int k = 0; k < 6; ++k) rounded[k] = (float)A[k];
  for (int k = 0; k < 4; ++k) qRounded[k] = (float)q[k];
  const int roundedMode[2] = {1, 1}, bothMode[2] = {1, 3};
  QUATROT(A, q, Z1, &four, &even, roundedMode, nullptr);
  QUATROT(rounded, qRounded, Z, &four, &even, mode, nullptr);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(Z1[k], Z[k]);
  QUATROT(A, q, Z3, &four, &even, bothMode, nullptr);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(Z3[k], Z1[k]);

  // Any other MODE(1) leaves Z alone.
  double untouched[9] = {};
  const int idle[2] = {0, 0};
  QUATROT(A, q, untouched, &four, &even, idle, nullptr);
  for (double v : untouched) EXPECT_EQ(v, 0.0);
}

TEST_F(Rotations, QuatdebRebuildsThePrincipalTensor) {
  const Mat R = rodrigues({-0.5, 1.2, 0.3}), Rb = rodrigues({0.2, 0.1, -0.9});
  double Rd[9], Rbd[9], record[7] = {5.0, -2.0, 1.0}, b[4], Z[9];
  for (int k = 0; k < 9; ++k) Rd[k] = (double)R[k], Rbd[k] = (double)Rb[k];
  const int even = 0, three = 3, modeOne[2] = {1, 0}, modeTwo[2] = {2, 0}, quiet = 0;
  CALQUAT(record + 3, Rd, &even);
  CALQUAT(b, Rbd, &even);
  const Mat D = {5.0, 0, 0, 0, -2.0, 0, 0, 0, 1.0};
  QUATDEB(record, nullptr, Z, &three, &even, modeOne, &quiet);
  expectMatrixNear(Z, multiply(multiply(R, D), transpose(R)), 1e-13);

  // With the further rotation B applied after the frame.
  const Mat RbR = multiply(Rb, R);
  QUATDEB(record, b, Z, &three, &even, modeTwo, &quiet);
  expectMatrixNear(Z, multiply(multiply(RbR, D), transpose(RbR)), 1e-13);
  EXPECT_EQ(record[3 + 3], record[6]);  // the caller's record is not changed

  // Printed both passes, labelled.
  const int both[2] = {1, 3}, print = 1;
  ::testing::internal::CaptureStderr();
  QUATDEB(record, nullptr, Z, &three, &even, both, &print);
  const std::string out = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(out.rfind("TEN  ", 0), 0u) << out;
  EXPECT_NE(out.find("\nTENs "), std::string::npos) << out;
  // Each pass: the label and the nine components on one line, then the blank of the
  // list-directed write on a line of its own.
  const std::string firstLine = out.substr(0, out.find('\n'));
  EXPECT_EQ(firstLine.size(), 5u + 9u * 15u) << firstLine;
  EXPECT_NEAR(std::stod(firstLine.substr(5, 15)), Z[0], 1e-6 * std::fabs(Z[0]) + 1e-12) << firstLine;
  EXPECT_EQ(out.substr(out.find('\n') + 1, 3), "  \n") << out;
}

}  // namespace

namespace {

// Z of the principal-frame record, through QUATDEB.
Mat tensorOfRecord(const double* P, int ndim) {
  double Z[9];
  const int even = 0, mode[2] = {1, 0}, quiet = 0;
  QUATDEB(P, nullptr, Z, &ndim, &even, mode, &quiet);
  Mat out{};
  for (int k = 0; k < 9; ++k) out[k] = Z[k];
  return out;
}

TEST_F(Rotations, CalprinquatRecordRebuildsTheStress) {
  double S[6] = {4.0, -1.0, 2.5, 0.75, -0.5, 1.25};
  double P[7];
  int ndi = 3;
  const int stress = 11, solid = 7, nshr = 3;
  CALPRINQUAT(S, P, &stress, &solid, &ndi, &nshr);
  EXPECT_GE(P[0], P[1]);
  EXPECT_GE(P[1], P[2]);
  const Mat full = {4.0, 0.75, -0.5, 0.75, -1.0, 1.25, -0.5, 1.25, 2.5};
  expectMatrixNear(tensorOfRecord(P, 3), full, 1e-13);
  EXPECT_NEAR(P[3] * P[3] + P[4] * P[4] + P[5] * P[5] + P[6] * P[6], 1.0, 1e-14);
}

TEST_F(Rotations, CalprinquatHalvesEngineeringShearsOfStrains) {
  double S[6] = {0.01, -0.002, 0.004, 0.006, -0.002, 0.003};
  double P[7];
  int ndi = 3;
  const int strain = 21000, solid = 8, nshr = 3;  // above 1000: divided by 1000
  CALPRINQUAT(S, P, &strain, &solid, &ndi, &nshr);
  const Mat tensor = {0.01, 0.003, -0.001, 0.003, -0.002, 0.0015, -0.001, 0.0015, 0.004};
  expectMatrixNear(tensorOfRecord(P, 3), tensor, 1e-15);
}

TEST_F(Rotations, CalprinquatPlaneFormLeavesTheLastWordsZero) {
  double S[4] = {3.0, 1.0, 0.5, 1.0};  // plane strain layout: 11, 22, 33, 12
  double P[7] = {9, 9, 9, 9, 9, 9, 9};
  int ndi = 3;
  const int stress = 11, plane = 4, nshr = 1;
  CALPRINQUAT(S, P, &stress, &plane, &ndi, &nshr);
  EXPECT_EQ(P[5], 0.0);
  EXPECT_EQ(P[6], 0.0);
  EXPECT_GE(P[0], P[1]);
  const Mat rebuilt = tensorOfRecord(P, 2);
  const Mat inPlane = {3.0, 1.0, 0.0, 1.0, 1.0, 0.0, 0.0, 0.0, 0.5};
  expectMatrixNear(rebuilt, inPlane, 1e-14);

  // One direct component, one shear, KSPACE 9: spread to two direct components.
  double T[3] = {2.0, 1.0, 7.0};  // 11 and the shear 12
  int one = 1;
  const int nine = 9;
  CALPRINQUAT(T, P, &stress, &nine, &one, &nshr);
  EXPECT_EQ(one, 2);
  EXPECT_EQ(T[1], 0.0);
  EXPECT_EQ(T[2], 1.0);
  EXPECT_NEAR(P[0], 1.0 + std::sqrt(2.0), 1e-14);
  EXPECT_NEAR(P[1], 1.0 - std::sqrt(2.0), 1e-14);
}

}  // namespace
