#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cmath>
#include <random>
#include <vector>

#include "zmx/import/operators.h"
#include "zmx/import/state.h"

namespace {

using Mat2 = Eigen::Matrix2d;

// A random convex quadrilateral: a unit square with its corners moved by up to 0.2, counter-clockwise.
struct Quad {
  double x[4], y[4];
};

Quad randomQuad(std::mt19937& random, double shiftX = 0.0) {
  std::uniform_real_distribution<double> jiggle(-0.2, 0.2);
  const double sx[4] = {0, 1, 1, 0}, sy[4] = {0, 0, 1, 1};
  Quad q;
  for (int k = 0; k < 4; ++k) q.x[k] = sx[k] + jiggle(random) + shiftX, q.y[k] = sy[k] + jiggle(random);
  return q;
}

// Node arrays (2 per node), connectivity (n, 4) and gradients of n quads mapped by x = A X + t.
struct Block {
  int n;
  std::vector<float> reference, current, stored, gradient;
  std::vector<Int> connectivity;
};

Block mapped(const std::vector<Quad>& quads, const Mat2& A, double tx, double ty) {
  Block b;
  b.n = static_cast<int>(quads.size());
  b.connectivity.resize(static_cast<std::size_t>(4 * b.n));
  b.stored.assign(static_cast<std::size_t>(5 * b.n), 0.75F);
  b.gradient.assign(static_cast<std::size_t>(5 * b.n), 0.0F);
  for (int e = 0; e < b.n; ++e)
    for (int k = 0; k < 4; ++k) {
      const Quad& q = quads[static_cast<std::size_t>(e)];
      b.reference.push_back(static_cast<float>(q.x[k]));
      b.reference.push_back(static_cast<float>(q.y[k]));
      b.current.push_back(static_cast<float>(A(0, 0) * q.x[k] + A(0, 1) * q.y[k] + tx));
      b.current.push_back(static_cast<float>(A(1, 0) * q.x[k] + A(1, 1) * q.y[k] + ty));
      b.connectivity[static_cast<std::size_t>(e + k * b.n)] = 4 * e + k + 1;
    }
  return b;
}

// Volume per radian and the integral of the mapped radius over the element, by 3 x 3 Gauss.
void axisymmetricIntegrals(const Quad& X, const Mat2& A, double tx, double& volume, double& radius) {
  const double g[3] = {-std::sqrt(0.6), 0.0, std::sqrt(0.6)}, w[3] = {5.0 / 9, 8.0 / 9, 5.0 / 9};
  const double xi[4] = {-1, 1, 1, -1}, eta[4] = {-1, -1, 1, 1};
  volume = radius = 0.0;
  for (int a = 0; a < 3; ++a)
    for (int b = 0; b < 3; ++b) {
      double r = 0, z = 0, drdx = 0, drde = 0, dzdx = 0, dzde = 0;
      for (int k = 0; k < 4; ++k) {
        const double N = 0.25 * (1 + xi[k] * g[a]) * (1 + eta[k] * g[b]);
        r += N * X.x[k], z += N * X.y[k];
        drdx += 0.25 * xi[k] * (1 + eta[k] * g[b]) * X.x[k], drde += 0.25 * eta[k] * (1 + xi[k] * g[a]) * X.x[k];
        dzdx += 0.25 * xi[k] * (1 + eta[k] * g[b]) * X.y[k], dzde += 0.25 * eta[k] * (1 + xi[k] * g[a]) * X.y[k];
      }
      const double dA = (drdx * dzde - drde * dzdx) * w[a] * w[b];
      volume += r * dA;
      radius += (A(0, 0) * r + A(0, 1) * z + tx) * dA;
    }
}

TEST(QuadOperators, AffineMotionGivesItsMatrixPlaneAndAxisymmetric) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> u(-0.3, 0.3);
  std::vector<Quad> quads;
  for (int e = 0; e < 300; ++e) quads.push_back(randomQuad(random, 2.0));  // axisymmetric: away from the axis
  Mat2 A;
  A << 1.0 + u(random), u(random), u(random), 1.0 + u(random);
  const double tx = 0.4, ty = -0.7;
  for (const bool axisymmetric : {false, true}) {
    Block b = mapped(quads, A, tx, ty);
    const Int copy = 0, first = 1, last = b.n, ld = b.n, ldn = 2;
    (axisymmetric ? EDI_OPE_CAXQ4STRAIN : EDI_OPE_C2DQ4STRAIN)(&copy, &first, &last, &ld, &ldn, b.connectivity.data(),
                                                                b.reference.data(), b.current.data(), b.stored.data(),
                                                                b.gradient.data());
    for (int e = 0; e < b.n; ++e) {
      const auto F = [&](int k) { return static_cast<double>(b.gradient[static_cast<std::size_t>(e + (k - 1) * b.n)]); };
      EXPECT_NEAR(F(1), A(0, 0), 2e-5);
      EXPECT_NEAR(F(2), A(1, 1), 2e-5);
      EXPECT_NEAR(F(4), A(0, 1), 2e-5);
      EXPECT_NEAR(F(5), A(1, 0), 2e-5);
      if (!axisymmetric) {
        EXPECT_EQ(F(3), 0.75);
        continue;
      }
      double volume = 0, radius = 0;
      axisymmetricIntegrals(quads[static_cast<std::size_t>(e)], A, tx, volume, radius);
      EXPECT_NEAR(F(3), radius / volume, 2e-5);
    }
  }
}

// Logarithmic strain of a planar gradient: half the logarithm of B = F F^T in plane, ln F33 out of it.
Eigen::Matrix2d logStrain(const Mat2& F) {
  Eigen::SelfAdjointEigenSolver<Mat2> solver(F * F.transpose());
  const Eigen::Vector2d logs = solver.eigenvalues().array().log() * 0.5;
  return solver.eigenvectors() * logs.asDiagonal() * solver.eigenvectors().transpose();
}

TEST(QuadOperators, StrainIsTheLogarithmOfTheStretchAndZeroForRotations) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> u(-0.4, 0.4);
  for (int round = 0; round < 40; ++round) {
    const Quad q = randomQuad(random);
    Mat2 A;
    if (round % 4 == 0) {
      const double t = 3 * u(random);
      A << std::cos(t), -std::sin(t), std::sin(t), std::cos(t);
    } else {
      A << 1.0 + u(random), u(random), u(random), 1.0 + u(random);
    }
    Block b = mapped({q}, A, 0.1, 0.2);
    b.stored[2] = 1.25F;  // F33
    std::vector<float> pairs{0.3F, 0.9F}, stretches{1.0F, 1.0F}, strain(4, -9.0F), pairsOut(2, -9.0F);
    const Int axisymmetric = 0, copy = 0, strainFlag = 1, n = 1, rotate = 0, ldn = 2, start = 1;
    EDI_UTI_C2DSTRAIN(&axisymmetric, &copy, &strainFlag, &n, pairs.data(), b.stored.data(), stretches.data(), &rotate,
                      b.connectivity.data(), &ldn, &start, b.current.data(), b.reference.data(), strain.data(),
                      b.gradient.data(), pairsOut.data());
    const Mat2 E = logStrain(A);
    EXPECT_NEAR(strain[0], E(0, 0), 3e-6) << round;
    EXPECT_NEAR(strain[1], E(1, 1), 3e-6);
    EXPECT_NEAR(strain[3], E(0, 1), 3e-6);
    EXPECT_NEAR(strain[2], std::log(1.25), 1e-6);
    EXPECT_EQ(pairsOut, (std::vector<float>{0.0F, 1.0F}));
  }
}

TEST(QuadOperators, CopyRotateAndStrainFlagsDecideWhatIsWritten) {
  std::mt19937 random(3);
  Mat2 A;
  A << 1.1, 0.2, -0.1, 0.9;
  Block b = mapped({randomQuad(random)}, A, 0, 0);
  for (int k = 0; k < 5; ++k) b.stored[static_cast<std::size_t>(k)] = 1.0F + 0.1F * static_cast<float>(k);
  const double t = 0.7;
  std::vector<float> pairs{static_cast<float>(std::sin(t / 2)), static_cast<float>(std::cos(t / 2))}, stretches{1, 1};
  std::vector<float> strain(4, -9.0F), pairsOut(2, -9.0F);
  const Int axisymmetric = 0, n = 1, ldn = 2, start = 1, on = 1, off = 0;
  // Strain flag off: only the gradient is written.
  EDI_UTI_C2DSTRAIN(&axisymmetric, &off, &off, &n, pairs.data(), b.stored.data(), stretches.data(), &on,
                    b.connectivity.data(), &ldn, &start, b.current.data(), b.reference.data(), strain.data(),
                    b.gradient.data(), pairsOut.data());
  EXPECT_EQ(strain, std::vector<float>(4, -9.0F));
  EXPECT_EQ(pairsOut, std::vector<float>(2, -9.0F));
  // Copy flag: the stored gradient comes back and so do the stored pairs.
  EDI_UTI_C2DSTRAIN(&axisymmetric, &on, &on, &n, pairs.data(), b.stored.data(), stretches.data(), &off,
                    b.connectivity.data(), &ldn, &start, b.current.data(), b.reference.data(), strain.data(),
                    b.gradient.data(), pairsOut.data());
  EXPECT_EQ(b.gradient, b.stored);
  EXPECT_EQ(pairsOut, pairs);
  // Rotate flag: the strain of the copied gradient comes back as R^T E R.
  std::vector<float> unrotated = strain;
  EDI_UTI_C2DSTRAIN(&axisymmetric, &on, &on, &n, pairs.data(), b.stored.data(), stretches.data(), &on,
                    b.connectivity.data(), &ldn, &start, b.current.data(), b.reference.data(), strain.data(),
                    b.gradient.data(), pairsOut.data());
  Mat2 R, E;
  R << std::cos(t), -std::sin(t), std::sin(t), std::cos(t);
  E << unrotated[0], unrotated[3], unrotated[3], unrotated[1];
  const Mat2 turned = R.transpose() * E * R;
  EXPECT_NEAR(strain[0], turned(0, 0), 1e-6);
  EXPECT_NEAR(strain[1], turned(1, 1), 1e-6);
  EXPECT_NEAR(strain[3], turned(0, 1), 1e-6);
  EXPECT_EQ(strain[2], unrotated[2]);

  // Right stretch: U = R^T F for the pair's rotation.
  std::vector<float> stretch(4);
  const Int one = 1;
  EDI_UTI_STRETCHU2D(&one, &one, &one, pairs.data(), b.stored.data(), stretch.data());
  Mat2 F;
  F << b.stored[0], b.stored[3], b.stored[4], b.stored[1];
  const Mat2 U = R.transpose() * F;
  EXPECT_NEAR(stretch[0], U(0, 0), 1e-6);
  EXPECT_NEAR(stretch[1], U(1, 1), 1e-6);
  EXPECT_NEAR(stretch[3], U(0, 1), 1e-6);
  EXPECT_EQ(stretch[2], b.stored[2]);
}

TEST(QuadOperators, HourglassShapeVectorsAreOrthogonalToLinearFields) {
  std::mt19937 random(5);
  const int n = 50;
  std::vector<float> corners(8 * n), area(n), components(2 * n), forces(8 * n), pairs(2 * n);
  std::vector<Quad> quads;
  const double t = 0.9;
  for (int e = 0; e < n; ++e) {
    const Quad q = e == 0 ? Quad{{0, 2, 2, 0}, {0, 0, 1, 1}} : randomQuad(random);
    quads.push_back(q);
    for (int k = 0; k < 4; ++k) corners[static_cast<std::size_t>(e + k * n)] = static_cast<float>(q.x[k]),
                                corners[static_cast<std::size_t>(e + (k + 4) * n)] = static_cast<float>(q.y[k]);
    area[static_cast<std::size_t>(e)] =
        static_cast<float>(0.5 * ((q.x[0] - q.x[2]) * (q.y[1] - q.y[3]) + (q.x[1] - q.x[3]) * (q.y[2] - q.y[0])));
    components[static_cast<std::size_t>(e)] = 1.0F;  // unit first component
    pairs[static_cast<std::size_t>(e)] = static_cast<float>(std::sin(t / 2));
    pairs[static_cast<std::size_t>(e + n)] = static_cast<float>(std::cos(t / 2));
  }
  const Int count = n;
  EDI_UTI_C2DQ4HGFORCE(&count, components.data(), corners.data(), area.data(), forces.data(), pairs.data());
  for (int e = 0; e < n; ++e) {
    // The unit component turned by t: fx = g cos t, fy = g sin t.
    double g[4], dotGamma = 0, dotOne = 0, dotX = 0, dotY = 0;
    for (int k = 0; k < 4; ++k) {
      const float fx = forces[static_cast<std::size_t>(8 * e + 2 * k)], fy = forces[static_cast<std::size_t>(8 * e + 2 * k + 1)];
      g[k] = fx / std::cos(t);
      EXPECT_NEAR(fy, g[k] * std::sin(t), 1e-5);
      const Quad& q = quads[static_cast<std::size_t>(e)];
      dotGamma += g[k] * (k % 2 == 0 ? 1 : -1), dotOne += g[k], dotX += g[k] * q.x[k], dotY += g[k] * q.y[k];
    }
    EXPECT_NEAR(dotGamma, 4.0, 1e-4) << e;
    EXPECT_NEAR(dotOne, 0.0, 1e-5);
    EXPECT_NEAR(dotX, 0.0, 1e-5);
    EXPECT_NEAR(dotY, 0.0, 1e-5);
    if (e == 0) {
      for (int k = 0; k < 4; ++k) EXPECT_NEAR(g[k], k % 2 == 0 ? 1.0 : -1.0, 1e-6);
    }
  }
  // The axisymmetric form has no base-vector term: a rectangle gets no force at all.
  const Int one = 1;
  std::vector<float> rectangle{1, 2, 2, 1, 0, 0, 3, 3}, volume{4.5F}, out(8, 9.0F), unit{1, 1};
  EDI_UTI_CAXQ4HGFORCE(&one, unit.data(), rectangle.data(), volume.data(), out.data(), pairs.data());
  EXPECT_EQ(out, std::vector<float>(8, 0.0F));
}

TEST(QuadOperators, DirectorsAndPlanarTensorTurns) {
  const double t = -1.1;
  const std::vector<float> pairs{static_cast<float>(std::sin(t / 2)), static_cast<float>(std::cos(t / 2))};
  std::vector<float> triad(9), identity(9);
  const Int one = 1, on = 1, off = 0;
  EDI_OPE_DIRECTORS2D(&one, pairs.data(), triad.data());
  EDI_OPE_DIRECTORC2D(&one, pairs.data(), identity.data(), &off);
  const std::vector<float> expected{static_cast<float>(std::cos(t)), static_cast<float>(std::sin(t)), 0, static_cast<float>(-std::sin(t)),
                                    static_cast<float>(std::cos(t)), 0, 0, 0, 1};
  for (int k = 0; k < 9; ++k) EXPECT_NEAR(triad[static_cast<std::size_t>(k)], expected[static_cast<std::size_t>(k)], 1e-6);
  EXPECT_EQ(identity, (std::vector<float>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
  EDI_OPE_DIRECTORC2D(&one, pairs.data(), identity.data(), &on);
  EXPECT_EQ(identity, triad);

  // R S R^T in both planar layouts, and the inverse undoing it.
  Mat2 R, S;
  R << std::cos(t), -std::sin(t), std::sin(t), std::cos(t);
  S << 2.0, 0.5, 0.5, -1.0;
  const Mat2 T = R * S * R.transpose();
  std::vector<float> s21{2.0F, -1.0F, 0.5F}, t21(3), back(3), s31{2.0F, -1.0F, 7.0F, 0.5F}, t31(4);
  ACC_GDB_SYMROTS21S21(&one, &off, pairs.data(), s21.data(), t21.data());
  ACC_GDB_SYMROTS31S31(&one, &off, pairs.data(), s31.data(), t31.data());
  EXPECT_NEAR(t21[0], T(0, 0), 1e-6);
  EXPECT_NEAR(t21[1], T(1, 1), 1e-6);
  EXPECT_NEAR(t21[2], T(0, 1), 1e-6);
  EXPECT_EQ(std::vector<float>({t31[0], t31[1], t31[3]}), t21);
  EXPECT_EQ(t31[2], 7.0F);
  ACC_GDB_SYMROTS21S21(&one, &on, pairs.data(), t21.data(), back.data());
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(back[static_cast<std::size_t>(k)], s21[static_cast<std::size_t>(k)], 1e-6);
}

}  // namespace
