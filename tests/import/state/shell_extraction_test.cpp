#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cmath>
#include <vector>

#include "siblings/glo/vector_routines.h"
#include "zmx/import/state.h"

namespace {

using Vec3 = Eigen::Vector3d;
using V = std::vector<float>;

constexpr Int kShell = 13316, kAxisymmetric = 25090;
const float kHalf = static_cast<float>(std::sqrt(0.5));  // sin and cos of 45 degrees

void expectNear(const V& got, const V& want, double tolerance = 2e-6) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t k = 0; k < got.size(); ++k) EXPECT_NEAR(got[k], want[k], tolerance) << k;
}

TEST(ShellExtraction, InPlaneRotationAndDirections) {
  const Int one = 1, two = 2, zero = 0, on = 1, six = 6;
  const V quarterTurn{kHalf, kHalf};  // (sin 45, cos 45): a turn by 90 degrees
  V out(2);
  ACC_SDB_EXTRACTSHELLINPLANEROT(&one, &two, &zero, quarterTurn.data(), out.data(), &zero);
  EXPECT_EQ(out, (V{1, 0}));
  ACC_SDB_EXTRACTSHELLINPLANEROT(&one, &two, &zero, quarterTurn.data(), out.data(), &on);
  expectNear(out, {0, 1});

  V directions(6);
  const V identity{0, 0, 0, 1}, noDrill{0, 1};
  ACC_SDB_EXTRACTSHELLELEMDIR(&one, &six, &zero, identity.data(), noDrill.data(), directions.data());
  expectNear(directions, {1, 0, 0, 0, 1, 0});
  // A turned element: its first two axes turned about its normal by the drill angle, and by the
  // in-plane rotation on top for the local directions.
  const Eigen::Quaterniond q(Eigen::AngleAxisd(0.8, Vec3(1, 1, 0.3).normalized()));
  const V quaternion{static_cast<float>(q.x()), static_cast<float>(q.y()), static_cast<float>(q.z()), static_cast<float>(q.w())};
  const double drill = 0.5, inPlane = -0.3;
  const V drillPair{static_cast<float>(std::sin(drill / 2)), static_cast<float>(std::cos(drill / 2))};
  const V rotationPair{static_cast<float>(std::sin(inPlane / 2)), static_cast<float>(std::cos(inPlane / 2))};
  const Eigen::Matrix3d R = q.toRotationMatrix();
  for (const bool local : {false, true}) {
    if (local)
      ACC_SDB_EXTRACTSHELLLOCALDIR(&one, &six, &zero, quaternion.data(), drillPair.data(), rotationPair.data(),
                                   directions.data(), &on);
    else
      ACC_SDB_EXTRACTSHELLELEMDIR(&one, &six, &zero, quaternion.data(), drillPair.data(), directions.data());
    const Eigen::Matrix3d turn = Eigen::AngleAxisd(drill + (local ? inPlane : 0.0), R.col(2)).toRotationMatrix();
    const Vec3 e1 = turn * R.col(0), e2 = turn * R.col(1);
    expectNear(directions, {static_cast<float>(e1[0]), static_cast<float>(e1[1]), static_cast<float>(e1[2]),
                            static_cast<float>(e2[0]), static_cast<float>(e2[1]), static_cast<float>(e2[2])},
               3e-6);
  }
}

TEST(ShellExtraction, SectionForcesMomentsAndCurvatures) {
  // Two elements; F (n, 3), Q (n, 2), R a quarter turn, P with cosine 0.6 and sine 0.8 and a = 1,
  // b = 0, d = 0 (the transfer leaves the forces as they are).
  const Int n = 2, three = 3, two = 2, zero = 0, on = 1, small = 1, notSmall = 0, shell = kShell;
  const V F{1, 10, 2, 20, 3, 30}, Q{4, 40, 5, 50}, R{kHalf, kHalf, kHalf, kHalf};
  const V P{0.6F, 0.6F, 0.8F, 0.8F, 1, 1, 0, 0, 0, 0};
  V out(10);
  ACC_SDB_EXTRACTSHELLSECTFORCE(&n, &shell, &notSmall, &three, &two, F.data(), Q.data(), R.data(), out.data(), &zero, P.data());
  EXPECT_EQ(out, (V{1, 2, 3, 4, 5, 10, 20, 30, 40, 50}));
  // A quarter turn: (x11, x22, x12) -> (x22, x11, -x12), (u1, u2) -> (u2, -u1).
  ACC_SDB_EXTRACTSHELLSECTFORCE(&n, &shell, &notSmall, &three, &two, F.data(), Q.data(), R.data(), out.data(), &on, P.data());
  expectNear(out, {2, 1, -3, 5, -4, 20, 10, -30, 50, -40}, 2e-5);
  // Small stretch without rotation: forces through the transfer, transverse by the swapped turn of P.
  ACC_SDB_EXTRACTSHELLSECTFORCE(&n, &shell, &small, &three, &two, F.data(), Q.data(), R.data(), out.data(), &zero, P.data());
  expectNear(out, {1, 2, 3, 0.8F * 4 + 0.6F * 5, 0.6F * 4 - 0.8F * 5, 10, 20, 30, 0.8F * 40 + 0.6F * 50, 0.6F * 40 - 0.8F * 50}, 2e-5);
  // Small stretch with rotation: the transverse pair is the swapped turn of R.
  ACC_SDB_EXTRACTSHELLSECTFORCE(&n, &shell, &small, &three, &two, F.data(), Q.data(), R.data(), out.data(), &on, P.data());
  expectNear(out, {2, 1, -3, 4, -5, 20, 10, -30, 40, -50}, 2e-5);
  // Axisymmetric shells: the stored row over 2 pi.
  const Int axisymmetric = kAxisymmetric;
  V row(4);
  ACC_SDB_EXTRACTSHELLSECTFORCE(&n, &axisymmetric, &notSmall, &two, &zero, F.data(), Q.data(), R.data(), row.data(), &zero, P.data());
  expectNear(row, {1 * 0.15915494F, 2 * 0.15915494F, 10 * 0.15915494F, 20 * 0.15915494F});

  V moments(6), curvatures(8);
  ACC_SDB_EXTRACTSECTMOMENT(&n, &three, &zero, &shell, &notSmall, R.data(), F.data(), moments.data(), &on, P.data());
  expectNear(moments, {2, 1, -3, 20, 10, -30}, 2e-5);
  const Int four = 4;
  ACC_SDB_EXTRACTCURVATURE(&n, &four, &zero, &shell, &small, R.data(), F.data(), curvatures.data(), &on, P.data());
  EXPECT_EQ(curvatures, (V{1, 2, 3, 3, 10, 20, 30, 30}));
}

TEST(ShellExtraction, SectionStrainsStretchesAndTransverseValues) {
  const Int one = 1, five = 5, zero = 0, on = 1, notSmall = 0, shell = kShell, axisymmetric = kAxisymmetric;
  // F11 = 1.2, F22 = 0.9, F33 = 0.95, no shear; drill pair (0, 1) so U = F.
  const V G{1.2F, 0.9F, 0.95F, 0.0F, 0.0F}, D{0, 1}, E{0.01F, -0.02F}, quarter{kHalf, kHalf}, P(5, 0.0F);
  V W(4), out(5);
  ACC_SDB_EXTRACTSHELLSECTSTRAIN(&one, &five, &zero, &shell, &notSmall, G.data(), D.data(), E.data(), quarter.data(),
                                 W.data(), out.data(), &zero, P.data());
  expectNear(out, {std::log(1.2F), std::log(0.9F), 0, 0.01F, -0.02F});
  ACC_SDB_EXTRACTSHELLSECTSTRAIN(&one, &five, &zero, &shell, &notSmall, G.data(), D.data(), E.data(), quarter.data(),
                                 W.data(), out.data(), &on, P.data());
  expectNear(out, {std::log(0.9F), std::log(1.2F), 0, 0.01F, -0.02F});  // turned strain, shear strains kept
  // A pure rotation of the membrane: both stretches 1, no strain whatever the direction.
  const double t = 0.4;
  const V rotated{static_cast<float>(std::cos(t)), static_cast<float>(std::cos(t)), 1.0F, static_cast<float>(-std::sin(t)),
                  static_cast<float>(std::sin(t))};
  const V pair{static_cast<float>(std::sin(t / 2)), static_cast<float>(std::cos(t / 2))};
  ACC_SDB_EXTRACTSHELLSECTSTRAIN(&one, &five, &zero, &shell, &notSmall, rotated.data(), pair.data(), E.data(),
                                 quarter.data(), W.data(), out.data(), &zero, P.data());
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(out[static_cast<std::size_t>(k)], 0.0F, 1e-6);
  const Int two = 2;
  V logs(2);
  ACC_SDB_EXTRACTSHELLSECTSTRAIN(&one, &two, &zero, &axisymmetric, &notSmall, G.data(), D.data(), E.data(),
                                 quarter.data(), W.data(), logs.data(), &zero, P.data());
  expectNear(logs, {std::log(1.2F), std::log(0.9F)});

  // Membrane stretch: U11, U22, U12, U12, U33.
  const V sheared{1.1F, 0.9F, 0.95F, 0.2F, 0.0F};
  V stretch(5);
  const Int full = 3;
  ACC_SDB_EXTRACTSHELLMEMJACOBIAN(&one, &five, &zero, &full, &shell, &notSmall, sheared.data(), D.data(), W.data(),
                                  stretch.data());
  EXPECT_EQ(stretch, (V{1.1F, 0.9F, 0.2F, 0.2F, 0.95F}));
  V untouched(5, -1.0F), copied(4, 0.0F);
  ACC_SDB_EXTRACTSHELLMEMJACOBIAN(&one, &five, &zero, &full, &axisymmetric, &notSmall, sheared.data(), D.data(),
                                  copied.data(), untouched.data());
  EXPECT_EQ(untouched, V(5, -1.0F));
  EXPECT_EQ(copied, (V{1.1F, 0.9F, 0.95F, 0.0F}));

  V thinning(1);
  ACC_SDB_EXTRACTTHININGSTRAIN(&one, &shell, G.data(), thinning.data());
  EXPECT_EQ(thinning[0], 0.95F);

  // Transverse values: forces turn by the swapped turn with the small-stretch flag, strains never.
  const Int small = 1;
  const V X{3, 4};
  V f(2), s(2), plain(2);
  ACC_SDB_EXTRACTTRANSF(&one, &shell, &small, &two, &zero, X.data(), quarter.data(), f.data(), &on, P.data());
  ACC_SDB_EXTRACTTRANSTRN(&one, &shell, &small, &two, &zero, X.data(), quarter.data(), s.data(), &on, P.data());
  expectNear(f, {3, -4});
  expectNear(s, {4, -3});
  ACC_SDB_EXTRACTTRANSF(&one, &axisymmetric, &small, &one, &zero, X.data(), quarter.data(), plain.data(), &on, P.data());
  EXPECT_EQ(plain[0], 3.0F);
}

TEST(ShellExtraction, MidSideNormalsAndTheTwoByTwoEigenproblem) {
  // A flat square, counter-clockwise in the x-y plane, and the same square turned in space.
  const Eigen::Matrix3d R = Eigen::AngleAxisd(1.0, Vec3(0.4, -1, 0.2).normalized()).toRotationMatrix();
  const double x[4] = {0, 1, 1, 0}, y[4] = {0, 0, 1, 1};
  const Int n = 2;
  V corners(24);
  for (int a = 0; a < 4; ++a) {
    const Vec3 p(x[a], y[a], 0.0), turned = R * p;
    for (int c = 0; c < 3; ++c) {
      corners[static_cast<std::size_t>(0 + a * 2 + c * 8)] = static_cast<float>(p[c]);
      corners[static_cast<std::size_t>(1 + a * 2 + c * 8)] = static_cast<float>(turned[c]);
    }
  }
  V normals(24);
  ACC_SDB_EXTRACTMIDSIDENORMAL(&n, normals.data(), corners.data());
  for (int k = 0; k < 4; ++k)
    for (int c = 0; c < 3; ++c) {
      EXPECT_NEAR(normals[static_cast<std::size_t>(3 * k + c)], c == 2 ? 1.0 : 0.0, 1e-6);
      EXPECT_NEAR(normals[static_cast<std::size_t>(12 + 3 * k + c)], R(c, 2), 2e-6);
    }

  // (3, 1, 1): eigenvalues 2 +- sqrt 2, the larger along 22.5 degrees.
  const V matrix{3, 1, 1};
  V values(2), pair(2);
  GLO_UTI_EIG21S(matrix.data(), values.data(), pair.data());
  EXPECT_NEAR(values[0], 2 + std::sqrt(2.0), 1e-6);
  EXPECT_NEAR(values[1], 2 - std::sqrt(2.0), 1e-6);
  const double angle = M_PI / 8;
  EXPECT_NEAR(2 * pair[1] * pair[1] - 1, std::cos(angle), 1e-6);
  EXPECT_NEAR(2 * pair[0] * pair[1], std::sin(angle), 1e-6);
}

}  // namespace

namespace {

// Small-stretch shells: the stretch is (F11, F22, F33, mean of F12 and F21); without the in-plane
// rotation the section strain first turns it by the element's transfer (coefficients c^2, s^2, cs
// make the tensor turn by the angle) and is the matrix logarithm of the turned in-plane stretch;
// the membrane stretch is not turned.
TEST(ShellExtraction, SmallStretchShellsTakeTheMeanShearAndTheTransfer) {
  const Int one = 1, five = 5, three = 3, zero = 0, small = 1, shell = kShell;
  const V G{1.2F, 0.9F, 0.95F, 0.1F, 0.3F}, D{0, 1}, E{0.01F, -0.02F}, R{0, 1};
  const double angle = 0.3, c = std::cos(angle), s = std::sin(angle);
  const V P{0, 0, static_cast<float>(c * c), static_cast<float>(s * s), static_cast<float>(c * s)};
  V W(4), out(5);
  ACC_SDB_EXTRACTSHELLMEMJACOBIAN(&one, &five, &zero, &three, &shell, &small, G.data(), D.data(), W.data(), out.data());
  expectNear(out, {1.2F, 0.9F, 0.2F, 0.2F, 0.95F});
  ACC_SDB_EXTRACTSHELLSECTSTRAIN(&one, &five, &zero, &shell, &small, G.data(), D.data(), E.data(), R.data(), W.data(),
                                 out.data(), &zero, P.data());
  Eigen::Matrix2d U, T;
  U << 1.2, 0.2, 0.2, 0.9;
  T << c, s, -s, c;  // the turn of the tensor rule: y11 = c^2 x11 + s^2 x22 + 2cs x12
  Eigen::SelfAdjointEigenSolver<Eigen::Matrix2d> solver(T * U * T.transpose());
  const Eigen::Matrix2d e = solver.eigenvectors() * solver.eigenvalues().array().log().matrix().asDiagonal() *
                            solver.eigenvectors().transpose();
  expectNear(out, {static_cast<float>(e(0, 0)), static_cast<float>(e(1, 1)), static_cast<float>(2 * e(0, 1)), 0.01F, -0.02F});
}

}  // namespace
