// Test-side model of the extrapolation rules: the integration points computed from the stored
// abscissae, the natural coordinates of the node layouts, random polynomial fields, and the
// reproduction check (a field sampled at the points and carried by W comes back at every node).
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace extrapolation_test {

using Pt = std::array<double, 4>;  // natural coordinates, or area / volume coordinates
using Field = std::function<double(const Pt&)>;

inline constexpr double kG2 = 0.57735026918963;
inline constexpr double kG3 = 0.77459666924148;
inline const double kNaN = std::numeric_limits<double>::quiet_NaN();

inline std::vector<double> sentinel(std::size_t n) { return std::vector<double>(n, kNaN); }
inline std::vector<double> zeros(std::size_t n) { return std::vector<double>(n, 0.0); }

// Lattice of m points per direction at the abscissae, first direction fastest.
inline std::vector<Pt> lattice(int dims, const std::vector<double>& a) {
  std::vector<Pt> points;
  const int m = static_cast<int>(a.size());
  const int count = dims == 1 ? m : (dims == 2 ? m * m : m * m * m);
  for (int k = 0; k < count; ++k) {
    Pt p{0, 0, 0, 0};
    int rest = k;
    for (int d = 0; d < dims; ++d) {
      p[d] = a[rest % m];
      rest /= m;
    }
    points.push_back(p);
  }
  return points;
}
inline std::vector<double> gauss2() { return {-kG2, kG2}; }
inline std::vector<double> gauss3() { return {-kG3, 0.0, kG3}; }

inline std::vector<Pt> quadNodes() {
  return {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}, {0, 0}};
}
inline std::vector<Pt> brickNodes() {
  return {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, 1, 1},
          {-1, 1, 1},   {0, -1, -1}, {1, 0, -1}, {0, 1, -1},  {-1, 0, -1}, {0, -1, 1}, {1, 0, 1},
          {0, 1, 1},    {-1, 0, 1},  {-1, -1, 0}, {1, -1, 0}, {1, 1, 0},   {-1, 1, 0},  {0, 0, 0},
          {0, 0, -1},   {0, 0, 1},   {0, -1, 0},  {1, 0, 0},  {0, 1, 0},   {-1, 0, 0}};
}
inline std::vector<Pt> fiveNodes() { return {{-1, -1}, {1, -1}, {1, 0}, {-1, 0}, {0, -1}}; }
inline std::vector<Pt> eighteenNodes() {
  return {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}, {0, -1, -1}, {1, 0, -1}, {0, 1, -1}, {-1, 0, -1},
          {-1, -1, 0},  {1, -1, 0},  {1, 1, 0},   {-1, 1, 0},  {0, -1, 0},  {1, 0, 0},   {0, 1, 0},  {-1, 0, 0},
          {0, 0, -1},   {0, 0, 0}};
}
// Area coordinates of the six-node triangle's nodes and volume coordinates of the ten-node tetrahedron's.
inline std::vector<Pt> triangleNodes() {
  return {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.5, 0.5, 0}, {0, 0.5, 0.5}, {0.5, 0, 0.5}};
}
inline std::vector<Pt> tetrahedronNodes() {
  return {{1, 0, 0, 0},     {0, 1, 0, 0},     {0, 0, 1, 0},     {0, 0, 0, 1},     {0.5, 0.5, 0, 0},
          {0, 0.5, 0.5, 0}, {0.5, 0, 0.5, 0}, {0.5, 0, 0, 0.5}, {0, 0.5, 0, 0.5}, {0, 0, 0.5, 0.5}};
}

// Random polynomial of at most `degree` in each of the first dims coordinates (tensor product).
inline Field tensorField(int dims, int degree, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-1, 1);
  std::vector<double> c(64);
  for (double& v : c) v = u(rng);
  return [=](const Pt& x) {
    double sum = 0;
    for (int i = 0; i <= degree; ++i)
      for (int j = 0; j <= (dims > 1 ? degree : 0); ++j)
        for (int k = 0; k <= (dims > 2 ? degree : 0); ++k)
          sum += c[i + 4 * j + 16 * k] * std::pow(x[0], i) * std::pow(x[1], j) * std::pow(x[2], k);
    return sum;
  };
}

// Random homogeneous polynomial of degree 1 or 2 in the n barycentric coordinates (any linear
// or quadratic field, as the coordinates add up to 1).
inline Field simplexField(int n, int degree, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-1, 1);
  std::vector<double> c(16);
  for (double& v : c) v = u(rng);
  return [=](const Pt& L) {
    double sum = 0;
    for (int i = 0; i < n; ++i) {
      if (degree == 1) sum += c[i] * L[i];
      else
        for (int j = i; j < n; ++j) sum += c[i + 4 * j] * L[i] * L[j];
    }
    return sum;
  };
}

// sum over p of W(p, n) f(point p) = f(node n) for every node; columns from 1.
inline void expectReproduces(const std::vector<double>& W, int ld, const std::vector<Pt>& points,
                             const std::vector<Pt>& nodes, const Field& f, const std::string& what,
                             double tolerance = 1e-12) {
  ASSERT_EQ(static_cast<int>(points.size()), ld) << what;
  for (std::size_t n = 0; n < nodes.size(); ++n) {
    double value = 0;
    for (int p = 0; p < ld; ++p) value += W[p + ld * n] * f(points[p]);
    EXPECT_NEAR(value, f(nodes[n]), tolerance) << what << " node " << n + 1;
  }
}

inline double columnSum(const std::vector<double>& W, int ld, int column) {
  double s = 0;
  for (int p = 0; p < ld; ++p) s += W[p + ld * (column - 1)];
  return s;
}

}  // namespace extrapolation_test
