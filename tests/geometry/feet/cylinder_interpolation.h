// Shape values of a curved 6- or 9-node cylindrical facet at (xi, eta), written from the closed
// form of the circular-arc functions (through 1, cos and sin of the angle eta on each line of
// nodes from 0 over its midside angle to the total angle), linear (6 nodes) or quadratic
// (9 nodes) across. Total angles of the tests stay well above the short-arc expansion.
#pragma once

#include <array>
#include <cmath>
#include <vector>

namespace feet_testing {

inline std::vector<double> cylinderWeights(int n, const double* record, double xi, double eta) {
  const double total = record[0];
  const auto arc = [&](double mid) {
    const double d = std::sin(mid) + std::sin(total - mid) - std::sin(total);
    return std::array<double, 3>{(std::sin(total - mid) - std::sin(eta - mid) + std::sin(eta - total)) / d,
                                 (-std::sin(total) - std::sin(eta - total) + std::sin(eta)) / d,
                                 (std::sin(mid) - std::sin(eta) + std::sin(eta - mid)) / d};
  };
  if (n == 6) {
    const auto l = arc(record[1]), r = arc(record[2]);
    const double a = 0.5 * (1 - xi), b = 0.5 * (1 + xi);
    return {l[0] * a, r[0] * b, r[2] * b, l[2] * a, r[1] * b, l[1] * a};
  }
  const auto l = arc(record[1]), m = arc(record[2]), r = arc(record[3]);
  const double q[3] = {0.5 * xi * (xi - 1), 1 - xi * xi, 0.5 * xi * (xi + 1)};
  return {l[0] * q[0], r[0] * q[2], r[2] * q[2], l[2] * q[0], m[0] * q[1],
          r[1] * q[2], m[2] * q[1], l[1] * q[0], m[1] * q[1]};
}

// The weighted sum of a nodal field held 3 by n.
inline std::array<double, 3> interpolate(const std::vector<double>& w, const std::vector<double>& field) {
  std::array<double, 3> v{0, 0, 0};
  for (std::size_t j = 0; j < w.size(); ++j)
    for (int i = 0; i < 3; ++i) v[i] += w[j] * field[3 * j + i];
  return v;
}

}  // namespace feet_testing
