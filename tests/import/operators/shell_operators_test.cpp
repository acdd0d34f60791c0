#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cmath>
#include <vector>

#include "zmx/import/operators.h"
#include "zmx/import/state.h"

namespace {

using Mat3 = Eigen::Matrix3d;
using Vec3 = Eigen::Vector3d;

std::vector<float> asFloats(const Eigen::Quaterniond& q) {
  return {static_cast<float>(q.x()), static_cast<float>(q.y()), static_cast<float>(q.z()), static_cast<float>(q.w())};
}

Mat3 triadOf(const std::vector<float>& t) {
  Mat3 m;
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r) m(r, c) = t[static_cast<std::size_t>(3 * c + r)];
  return m;
}

TEST(ShellOperators, TriadsTurnAboutTheNormalByTheDrillAngle) {
  const Eigen::Quaterniond q(Eigen::AngleAxisd(0.9, Vec3(1, -2, 0.5).normalized()));
  const Mat3 R = q.toRotationMatrix();
  const std::vector<float> quaternion = asFloats(q);
  const Int one = 1, on = 1;
  for (const double drill : {0.0, 0.6, -2.0}) {
    const std::vector<float> pair{static_cast<float>(std::sin(drill / 2)), static_cast<float>(std::cos(drill / 2))};
    std::vector<float> membrane(9), shell(9);
    EDI_OPE_DIRECTORM3D(&one, pair.data(), quaternion.data(), membrane.data());
    // An orientation angle of the opposite sign cancels the drill angle.
    const std::vector<float> opposite{-pair[0], pair[1]};
    EDI_OPE_DIRECTORS3D(&one, pair.data(), quaternion.data(), shell.data(), opposite.data(), &on);
    const Mat3 T = triadOf(membrane);
    EXPECT_LT((T.transpose() * T - Mat3::Identity()).norm(), 2e-6);
    EXPECT_LT((T.col(2) - R.col(2)).norm(), 2e-6);  // the normal is kept
    const Mat3 expected = Eigen::AngleAxisd(drill, R.col(2)).toRotationMatrix() * R;
    EXPECT_LT((T - expected).norm(), 3e-6) << drill;
    EXPECT_LT((triadOf(shell) - R).norm(), 3e-6);
  }
  // Drilling moments are vectors along the normal.
  const std::vector<float> moments{1.0F, -2.0F, 0.5F, 3.0F};
  std::vector<float> vectors(12);
  EDI_UTI_S3DQ4DRILLMOMENT(&one, moments.data(), vectors.data(), quaternion.data());
  for (int k = 0; k < 4; ++k)
    for (int d = 0; d < 3; ++d)
      EXPECT_NEAR(vectors[static_cast<std::size_t>(3 * k + d)], moments[static_cast<std::size_t>(k)] * R(d, 2), 2e-6);
}

TEST(ShellOperators, HourglassForcesOfASquareInATiltedPlane) {
  const Eigen::Quaterniond q(Eigen::AngleAxisd(0.7, Vec3(0.3, 1, 1).normalized()));
  const Mat3 R = q.toRotationMatrix();
  const std::vector<float> quaternion = asFloats(q);
  const double xi[4] = {0, 1, 1, 0}, eta[4] = {0, 0, 1, 1};
  std::vector<float> corners(12);
  for (int k = 0; k < 4; ++k) {
    const Vec3 X = R * Vec3(xi[k] + 2, eta[k] - 1, 0.5);
    for (int d = 0; d < 3; ++d) corners[static_cast<std::size_t>(4 * d + k)] = static_cast<float>(X[d]);
  }
  const double t = 0.4;
  const std::vector<float> pair{static_cast<float>(std::sin(t / 2)), static_cast<float>(std::cos(t / 2))};
  const std::vector<float> components{1.0F, 0.5F, -2.0F};
  const float area = 1.0F;
  const Int one = 1;
  std::vector<float> membrane(12), shell(12);
  EDI_UTI_M3DQ4HGFORCE(&one, components.data(), corners.data(), &area, membrane.data(), pair.data(), quaternion.data());
  EDI_UTI_S3DQ4HGFORCE(&one, components.data(), corners.data(), &area, shell.data(), pair.data(), quaternion.data());
  const Vec3 local(std::cos(t) * 1.0 - std::sin(t) * 0.5, std::cos(t) * 0.5 + std::sin(t) * 1.0, -2.0);
  for (int k = 0; k < 4; ++k) {
    const double g = k % 2 == 0 ? 1.0 : -1.0;
    const Vec3 m = R * (g * local), s = R * (g * Vec3(local[0], local[1], 0.0));
    for (int d = 0; d < 3; ++d) {
      EXPECT_NEAR(membrane[static_cast<std::size_t>(3 * k + d)], m[d], 3e-6);
      EXPECT_NEAR(shell[static_cast<std::size_t>(3 * k + d)], s[d], 3e-6);
    }
  }
}

// Measures from the corners and nodal rotations (x, y, z of each node), with normals given.
void measures(const std::vector<Vec3>& X, const std::vector<Eigen::Quaterniond>& nodes, float flag, float out[2]) {
  std::vector<float> corners(12), quaternions(16);
  for (int k = 0; k < 4; ++k) {
    for (int d = 0; d < 3; ++d) corners[static_cast<std::size_t>(4 * d + k)] = static_cast<float>(X[static_cast<std::size_t>(k)][d]);
    const std::vector<float> q = asFloats(nodes[static_cast<std::size_t>(k)]);
    for (int c = 0; c < 4; ++c) quaternions[static_cast<std::size_t>(4 * c + k)] = q[static_cast<std::size_t>(c)];
  }
  const Int one = 1;
  EDI_UTI_S3DQ4ROTHGMAGNITUDE(&one, corners.data(), out, &flag, quaternions.data());
}

TEST(ShellOperators, RotationalHourglassMeasures) {
  const std::vector<Vec3> square{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  for (const double t : {0.2, 0.7, -1.1}) {
    // Nodes 1 and 3 turned by t about x, nodes 2 and 4 by -t: the first measure is sin t cos t.
    const Eigen::Quaterniond plus(Eigen::AngleAxisd(t, Vec3::UnitX())), minus(Eigen::AngleAxisd(-t, Vec3::UnitX()));
    float m[2];
    measures(square, {plus, minus, plus, minus}, 0.0F, m);
    EXPECT_NEAR(m[0], std::sin(t) * std::cos(t), 2e-6) << t;
    EXPECT_NEAR(m[1], 0.0, 2e-6);
  }
  // With the element flag one normal serves all four corners: without nodal rotation nothing is left.
  const std::vector<Vec3> trapezoid{{0, 0, 0}, {2, 0, 0.1}, {1.5, 1, 0}, {0.5, 1, -0.1}};
  const Eigen::Quaterniond still = Eigen::Quaterniond::Identity();
  float flat[2];
  measures(trapezoid, {still, still, still, still}, 1.0F, flat);
  EXPECT_NEAR(flat[0], 0.0, 1e-7);
  EXPECT_NEAR(flat[1], 0.0, 1e-7);
  // A warped element without nodal rotation: the corner normals are those of the bilinear surface,
  // n_I along dx/dxi x dx/deta at corner I.
  const std::vector<Vec3> warped{{0, 0, 0.1}, {1.2, 0, -0.1}, {1, 0.9, 0.2}, {-0.1, 1, -0.15}};
  const double xi[4] = {-1, 1, 1, -1}, eta[4] = {-1, -1, 1, 1};
  std::vector<Vec3> normal;
  for (int k = 0; k < 4; ++k) {
    Vec3 dXi = Vec3::Zero(), dEta = Vec3::Zero();
    for (int j = 0; j < 4; ++j) {
      dXi += 0.25 * xi[j] * (1 + eta[j] * eta[k]) * warped[static_cast<std::size_t>(j)];
      dEta += 0.25 * eta[j] * (1 + xi[j] * xi[k]) * warped[static_cast<std::size_t>(j)];
    }
    normal.push_back(dXi.cross(dEta).normalized());
  }
  const Vec3 r = Vec3::UnitX();
  Vec3 sBar = Vec3::Zero(), h = Vec3::Zero();
  for (int k = 0; k < 4; ++k) {
    sBar += 0.25 * normal[static_cast<std::size_t>(k)].cross(r);
    h += (k % 2 == 0 ? 0.25 : -0.25) * normal[static_cast<std::size_t>(k)];
  }
  const Eigen::Quaterniond none = Eigen::Quaterniond::Identity();
  float m[2];
  measures(warped, {none, none, none, none}, 0.0F, m);
  EXPECT_NEAR(m[0], -h.dot(sBar), 2e-6);
  EXPECT_NEAR(m[1], h.dot(r), 2e-6);
}

TEST(ShellOperators, SmallTransferWithSquaresOfCosineAndSineIsTheTensorTurn) {
  const double t = 0.8;
  const float c = static_cast<float>(std::cos(t)), s = static_cast<float>(std::sin(t));
  const Int n = 2, element = 2, one = 1, on = 1;
  // Coefficients of element 2 in columns 3, 4 and 5 of a (2, 5) array.
  std::vector<float> coefficients(10, 0.0F);
  coefficients[5] = c * c, coefficients[7] = s * s, coefficients[9] = c * s;
  const float factor = -1.0F;
  std::vector<float> w{2.0F, -1.0F, 7.0F, 0.5F}, turned(4);
  const std::vector<float> pair{static_cast<float>(std::sin(t / 2)), static_cast<float>(std::cos(t / 2))};
  ACC_GDB_SYMROTS31S31(&one, &on, pair.data(), w.data(), turned.data());
  const Int layout31 = 31, layout21 = 21, layout5 = 5;
  std::vector<float> v31 = w;
  EDI_UTI_SHELLSMALLTRANSFER(&n, &element, &layout31, &factor, coefficients.data(), v31.data());
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(v31[static_cast<std::size_t>(k)], turned[static_cast<std::size_t>(k)], 2e-6);
  std::vector<float> v21{2.0F, -1.0F, 0.5F};
  EDI_UTI_SHELLSMALLTRANSFER(&n, &element, &layout21, &factor, coefficients.data(), v21.data());
  EXPECT_NEAR(v21[2], turned[3], 2e-6);
  // Five components (12 and 21 apart): equal shears turn like the tensor, 33 is kept.
  std::vector<float> v5{2.0F, -1.0F, 7.0F, 0.5F, 0.5F};
  EDI_UTI_SHELLSMALLTRANSFER(&n, &element, &layout5, &factor, coefficients.data(), v5.data());
  for (int k : {0, 1}) EXPECT_NEAR(v5[static_cast<std::size_t>(k)], turned[static_cast<std::size_t>(k)], 2e-6);
  EXPECT_NEAR(v5[3], turned[3], 2e-6);
  EXPECT_NEAR(v5[4], turned[3], 2e-6);
  EXPECT_EQ(v5[2], 7.0F);
  // Layout 31 with a = 1, b = 0, d = 0 leaves the vector unchanged.
  std::vector<float> plain(10, 0.0F), same = w;
  plain[5] = 1.0F;
  EDI_UTI_SHELLSMALLTRANSFER(&n, &element, &layout31, &factor, plain.data(), same.data());
  EXPECT_EQ(same, w);

  const std::vector<float> gradient{1.1F, 0.9F, 1.0F, 0.2F, 0.4F};
  std::vector<float> stretch(4);
  EDI_UTI_SHELLSMALLSTRETCH(&one, &one, &one, gradient.data(), stretch.data());
  EXPECT_EQ(stretch, (std::vector<float>{1.1F, 0.9F, 1.0F, 0.3F}));
}

}  // namespace
