#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cmath>
#include <random>
#include <vector>

#include "zmx/import/operators.h"
#include "zmx/import/state.h"

namespace {

using Mat3 = Eigen::Matrix3d;
using Vec3 = Eigen::Vector3d;

constexpr int kCorner[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                               {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};

// A random hexahedron: a box with its corners moved by up to 0.15.
std::vector<Vec3> randomHex(std::mt19937& random) {
  std::uniform_real_distribution<double> jiggle(-0.15, 0.15);
  std::vector<Vec3> x;
  for (const auto& c : kCorner) x.push_back(Vec3(0.5 * (c[0] + 1) * 1.2, 0.5 * (c[1] + 1), 0.5 * (c[2] + 1) * 0.8) +
                                            Vec3(jiggle(random), jiggle(random), jiggle(random)));
  return x;
}

// Integral of grad N_I over the element and its volume, by 2 x 2 x 2 Gauss.
void gaussOperator(const std::vector<Vec3>& X, std::vector<Vec3>& b, double& volume) {
  const double g = 1.0 / std::sqrt(3.0);
  b.assign(8, Vec3::Zero());
  volume = 0;
  for (const auto& p : kCorner) {
    const double xi[3] = {p[0] * g, p[1] * g, p[2] * g};
    Eigen::Matrix<double, 8, 3> dN;
    for (int k = 0; k < 8; ++k)
      for (int d = 0; d < 3; ++d) {
        double v = kCorner[k][d] / 8.0;
        for (int e = 0; e < 3; ++e)
          if (e != d) v *= 1 + kCorner[k][e] * xi[e];
        dN(k, d) = v;
      }
    Mat3 J = Mat3::Zero();
    for (int k = 0; k < 8; ++k) J += X[static_cast<std::size_t>(k)] * dN.row(k);
    const double det = J.determinant();
    const Eigen::Matrix<double, 8, 3> dNdX = dN * J.inverse();
    for (int k = 0; k < 8; ++k) b[static_cast<std::size_t>(k)] += dNdX.row(k).transpose() * det;
    volume += det;
  }
}

// n hexahedra, each with its own eight nodes; field = map applied to the reference nodes.
struct Block {
  int n = 0;
  std::vector<float> reference, field, stored, gradient;
  std::vector<Int> connectivity;
};

template <class Map>
Block hexBlock(const std::vector<std::vector<Vec3>>& hexes, Map map) {
  Block b;
  b.n = static_cast<int>(hexes.size());
  b.connectivity.resize(static_cast<std::size_t>(8 * b.n));
  b.stored.assign(static_cast<std::size_t>(9 * b.n), 0.5F);
  b.gradient.assign(static_cast<std::size_t>(9 * b.n), 0.0F);
  for (int e = 0; e < b.n; ++e)
    for (int k = 0; k < 8; ++k) {
      const Vec3& X = hexes[static_cast<std::size_t>(e)][static_cast<std::size_t>(k)];
      const Vec3 x = map(X);
      for (int d = 0; d < 3; ++d) b.reference.push_back(static_cast<float>(X[d])), b.field.push_back(static_cast<float>(x[d]));
      b.connectivity[static_cast<std::size_t>(e + k * b.n)] = 8 * e + k + 1;
    }
  return b;
}

Mat3 gradientOf(const std::vector<float>& g, int n, int e) {
  const auto F = [&](int k) { return static_cast<double>(g[static_cast<std::size_t>(e + (k - 1) * n)]); };
  Mat3 m;
  m << F(1), F(4), F(9), F(7), F(2), F(5), F(6), F(8), F(3);
  return m;
}

Mat3 randomMatrix(std::mt19937& random, double spread) {
  std::uniform_real_distribution<double> u(-spread, spread);
  Mat3 A;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) A(i, j) = (i == j ? 1.0 : 0.0) + u(random);
  return A;
}

TEST(HexOperators, GradientOperatorIsTheExactVolumeDerivative) {
  std::mt19937 random(17);
  for (int round = 0; round < 20; ++round) {
    const std::vector<Vec3> X = randomHex(random);
    std::vector<Vec3> b;
    double volume = 0;
    gaussOperator(X, b, volume);
    // The hourglass routine with a unit x component of mode a and the true volume gives
    // g_a = G_a - (1/V) sum_j (G_a . X_j) b(j): b is recovered through linear fields.
    std::vector<float> corners(24), components(12, 0.0F), forces(24), q{0, 0, 0, 1};
    for (int k = 0; k < 8; ++k)
      for (int d = 0; d < 3; ++d) corners[static_cast<std::size_t>(8 * d + k)] = static_cast<float>(X[static_cast<std::size_t>(k)][d]);
    const float v = static_cast<float>(volume);
    const Int one = 1;
    for (int a = 0; a < 4; ++a) {
      std::fill(components.begin(), components.end(), 0.0F);
      components[static_cast<std::size_t>(a)] = 1.0F;
      EDI_UTI_C3DH8HGFORCE(&one, components.data(), corners.data(), &v, forces.data(), q.data());
      // g_a is orthogonal to 1, X, Y and Z.
      double sums[4] = {};
      for (int k = 0; k < 8; ++k) {
        const double g = forces[static_cast<std::size_t>(3 * k)];
        sums[0] += g;
        for (int d = 0; d < 3; ++d) sums[d + 1] += g * X[static_cast<std::size_t>(k)][d];
        EXPECT_EQ(forces[static_cast<std::size_t>(3 * k + 1)], 0.0F);
      }
      for (double s : sums) EXPECT_NEAR(s, 0.0, 2e-5) << round << " " << a;
    }
    // The volume-averaged gradient of the coordinates themselves is the identity only when the
    // operator's volume is the exact one.
    const Block blk = hexBlock({X}, [](const Vec3& x) { return x; });
    Block out = blk;
    const Int copy = 0, first = 1, ldn = 3;
    EDI_OPE_C3D8RSTRAIN(&copy, &first, &first, &one, &ldn, blk.connectivity.data(), blk.reference.data(),
                        blk.field.data(), blk.stored.data(), out.gradient.data());
    EXPECT_LT((gradientOf(out.gradient, 1, 0) - Mat3::Identity()).norm(), 3e-6);
    // And a quadratic field is averaged as Gauss integrates it: F = (1/V) sum x_I b_I^T.
    Mat3 expected = Mat3::Zero();
    std::vector<Vec3> quadratic;
    for (const Vec3& x : X) quadratic.push_back(Vec3(x[0] * x[1], x[2] * x[2], x[0] + x[1] * x[2]));
    for (int k = 0; k < 8; ++k) expected += quadratic[static_cast<std::size_t>(k)] * b[static_cast<std::size_t>(k)].transpose();
    expected /= volume;
    const Block qb = hexBlock({X}, [](const Vec3& x) { return Vec3(x[0] * x[1], x[2] * x[2], x[0] + x[1] * x[2]); });
    EDI_OPE_C3D8RSTRAIN(&copy, &first, &first, &one, &ldn, qb.connectivity.data(), qb.reference.data(),
                        qb.field.data(), qb.stored.data(), out.gradient.data());
    EXPECT_LT((gradientOf(out.gradient, 1, 0) - expected).norm(), 3e-5) << round;
  }
}

TEST(HexOperators, AffineMotionGivesItsMatrixInBothForms) {
  std::mt19937 random(23);
  std::vector<std::vector<Vec3>> hexes;
  for (int e = 0; e < 300; ++e) hexes.push_back(randomHex(random));
  const Mat3 A = randomMatrix(random, 0.3);
  const Vec3 t(0.3, -0.2, 1.0);
  const Block current = hexBlock(hexes, [&](const Vec3& X) -> Vec3 { return A * X + t; });
  const Block displacement = hexBlock(hexes, [&](const Vec3& X) -> Vec3 { return (A - Mat3::Identity()) * X; });
  for (const bool centre : {false, true}) {
    const Block& b = centre ? displacement : current;
    std::vector<float> gradient(b.gradient.size());
    const Int copy = 0, first = 1, last = b.n, ld = b.n, ldn = 3;
    (centre ? EDI_OPE_C3D8RCSTRAIN : EDI_OPE_C3D8RSTRAIN)(&copy, &first, &last, &ld, &ldn, b.connectivity.data(),
                                                          b.reference.data(), b.field.data(), b.stored.data(),
                                                          gradient.data());
    for (int e = 0; e < b.n; ++e) EXPECT_LT((gradientOf(gradient, b.n, e) - A).norm(), 2e-5) << centre << " " << e;
  }
  // Current coordinates handed to the centre form give 2 on the diagonal of an unmoved element.
  const Block still = hexBlock({hexes[0]}, [](const Vec3& X) { return X; });
  std::vector<float> gradient(9);
  const Int copy = 0, one = 1, ldn = 3;
  EDI_OPE_C3D8RCSTRAIN(&copy, &one, &one, &one, &ldn, still.connectivity.data(), still.reference.data(),
                       still.field.data(), still.stored.data(), gradient.data());
  EXPECT_LT((gradientOf(gradient, 1, 0) - 2 * Mat3::Identity()).norm(), 3e-6);
}

TEST(HexOperators, StrainIsTheLogarithmOfTheStretchOverBlocksLongerThanAChunk) {
  std::mt19937 random(29);
  const int n = 300;  // more than one chunk of 138
  std::vector<std::vector<Vec3>> hexes;
  std::vector<Mat3> maps;
  for (int e = 0; e < n; ++e) {
    hexes.push_back(randomHex(random));
    const Eigen::Quaterniond q = Eigen::Quaterniond::UnitRandom();
    maps.push_back(e % 5 == 0 ? q.toRotationMatrix() : Mat3(q.toRotationMatrix() * randomMatrix(random, 0.25)));
  }
  // One element per node set, each moved by its own map.
  Block b;
  b.n = n;
  b.connectivity.resize(8 * n);
  b.stored.assign(9 * n, 0.0F);
  for (int e = 0; e < n; ++e)
    for (int k = 0; k < 8; ++k) {
      const Vec3& X = hexes[static_cast<std::size_t>(e)][static_cast<std::size_t>(k)];
      const Vec3 x = maps[static_cast<std::size_t>(e)] * X;
      for (int d = 0; d < 3; ++d) b.reference.push_back(static_cast<float>(X[d])), b.field.push_back(static_cast<float>(x[d]));
      b.connectivity[static_cast<std::size_t>(e + k * n)] = 8 * e + k + 1;
    }
  std::vector<float> quaternions(4 * n, 0.0F), stretches(3 * n, 1.0F), strain(6 * n), gradient(9 * n), out(4 * n);
  const Int copy = 0, centre = 0, strainFlag = 1, count = n, rotate = 0, ldn = 3, start = 1;
  EDI_UTI_C3DH8STRAIN(&copy, &centre, &strainFlag, &count, quaternions.data(), b.stored.data(), stretches.data(),
                      &rotate, b.connectivity.data(), &ldn, &start, b.field.data(), b.reference.data(), strain.data(),
                      gradient.data(), out.data());
  for (int e = 0; e < n; ++e) {
    const Mat3& F = maps[static_cast<std::size_t>(e)];
    Eigen::SelfAdjointEigenSolver<Mat3> solver(F * F.transpose());
    const Vec3 logs = solver.eigenvalues().array().log() * 0.5;
    const Mat3 E = solver.eigenvectors() * logs.asDiagonal() * solver.eigenvectors().transpose();
    const auto S = [&](int k) { return static_cast<double>(strain[static_cast<std::size_t>(e + (k - 1) * n)]); };
    Mat3 got;
    got << S(1), S(4), S(6), S(4), S(2), S(5), S(6), S(5), S(3);
    EXPECT_LT((got - E).norm(), 1e-5) << e;
    EXPECT_EQ(out[static_cast<std::size_t>(e + 3 * n)], 1.0F);
  }
}

TEST(HexOperators, HourglassForcesOfAUnitCubeAndTheirTurn) {
  static const float kBase[4][8] = {{1, 1, -1, -1, -1, -1, 1, 1},
                                    {1, -1, -1, 1, -1, 1, 1, -1},
                                    {1, -1, 1, -1, 1, -1, 1, -1},
                                    {-1, 1, -1, 1, 1, -1, 1, -1}};
  std::vector<float> corners(24);
  for (int k = 0; k < 8; ++k)
    for (int d = 0; d < 3; ++d) corners[static_cast<std::size_t>(8 * d + k)] = 0.5F * static_cast<float>(kCorner[k][d] + 1);
  const float volume = 1.0F;
  const Int one = 1;
  const Eigen::Quaterniond rotation(Eigen::AngleAxisd(0.8, Vec3(1, 2, -1).normalized()));
  for (int a = 0; a < 4; ++a) {
    std::vector<float> components(12, 0.0F), forces(24), turned(24);
    components[static_cast<std::size_t>(a)] = 1.0F;
    const std::vector<float> identity{0, 0, 0, 1};
    EDI_UTI_C3DH8HGFORCE(&one, components.data(), corners.data(), &volume, forces.data(), identity.data());
    for (int k = 0; k < 8; ++k) {
      EXPECT_NEAR(forces[static_cast<std::size_t>(3 * k)], kBase[a][k], 1e-6);
      EXPECT_EQ(forces[static_cast<std::size_t>(3 * k + 1)], 0.0F);
      EXPECT_EQ(forces[static_cast<std::size_t>(3 * k + 2)], 0.0F);
    }
    const std::vector<float> q{static_cast<float>(rotation.x()), static_cast<float>(rotation.y()),
                               static_cast<float>(rotation.z()), static_cast<float>(rotation.w())};
    EDI_UTI_C3DH8HGFORCE(&one, components.data(), corners.data(), &volume, turned.data(), q.data());
    const Vec3 axis = rotation.toRotationMatrix().col(0);
    for (int k = 0; k < 8; ++k)
      for (int d = 0; d < 3; ++d) EXPECT_NEAR(turned[static_cast<std::size_t>(3 * k + d)], kBase[a][k] * axis[d], 1e-6);
  }
}

TEST(HexOperators, QuaternionTurnsOfTensorsAndTriads) {
  const Eigen::Quaterniond q = Eigen::Quaterniond(Eigen::AngleAxisd(1.3, Vec3(0.2, -1, 0.5).normalized()));
  const std::vector<float> rotation{static_cast<float>(q.x()), static_cast<float>(q.y()), static_cast<float>(q.z()),
                                    static_cast<float>(q.w())};
  Mat3 S;
  S << 1.0, 0.3, -0.2, 0.3, 2.0, 0.7, -0.2, 0.7, -0.5;
  const Mat3 R = q.toRotationMatrix(), T = R * S * R.transpose();
  const std::vector<float> source{1.0F, 2.0F, -0.5F, 0.3F, 0.7F, -0.2F};
  std::vector<float> turned(6), back(6), triad(9);
  const Int one = 1, on = 1, off = 0;
  ACC_GDB_SYMROTS33S33(&one, &off, rotation.data(), source.data(), turned.data());
  const double expected[6] = {T(0, 0), T(1, 1), T(2, 2), T(0, 1), T(1, 2), T(0, 2)};
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(turned[static_cast<std::size_t>(k)], expected[k], 2e-6);
  ACC_GDB_SYMROTS33S33(&one, &on, rotation.data(), turned.data(), back.data());
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(back[static_cast<std::size_t>(k)], source[static_cast<std::size_t>(k)], 2e-6);
  const std::vector<float> identity{0, 0, 0, 1};
  ACC_GDB_SYMROTS33S33(&one, &off, identity.data(), source.data(), turned.data());
  EXPECT_EQ(turned, source);

  EDI_OPE_DIRECTORC3D(&one, rotation.data(), triad.data(), &on);
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r) EXPECT_NEAR(triad[static_cast<std::size_t>(3 * c + r)], R(r, c), 1e-6);
  EDI_OPE_DIRECTORC3D(&one, rotation.data(), triad.data(), &off);
  EXPECT_EQ(triad, (std::vector<float>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
}

TEST(TensorCopies, PointMajorCopyExchangesTheLastTwoOfThreeShears) {
  // Two points; stored columns: 3 direct, then 3 shears.
  const std::vector<float> source{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  std::vector<float> out(12, 0.0F);
  const Int n = 2, three = 3, two = 2, zero = 0, stored = 3;
  ACC_GDB_COPYR(&n, &three, &three, &three, &stored, source.data(), out.data());
  EXPECT_EQ(out, (std::vector<float>{1, 3, 5, 7, 11, 9, 2, 4, 6, 8, 12, 10}));
  std::vector<float> two2(8, 0.0F);
  ACC_GDB_COPYR(&n, &two, &two, &three, &stored, source.data(), two2.data());
  EXPECT_EQ(two2, (std::vector<float>{1, 3, 7, 9, 2, 4, 8, 10}));
  const Int none = 0;
  std::vector<float> untouched(4, -1.0F);
  ACC_GDB_COPYR(&none, &two, &two, &three, &stored, source.data(), untouched.data());
  EXPECT_EQ(untouched, std::vector<float>(4, -1.0F));
  const Int a[2] = {0, 3}, table[4] = {10, 20, 30, 40}, code = 601, other = 600;
  Int result = -1;
  ACC_GDB_GETSVDNUMBER(a, &code, table, &result);
  EXPECT_EQ(result, 30);
  ACC_GDB_GETSVDNUMBER(a, &other, table, &result);
  EXPECT_EQ(result, 0);
  (void)zero;
}

}  // namespace
