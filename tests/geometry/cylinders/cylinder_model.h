// An exact cylinder for the tests of the cylindrical routines: a random axis, radius and angular
// origin, and points at (angle, height).
#pragma once

#include <array>
#include <cmath>
#include <random>
#include <vector>

namespace cylinder_model {

using Vec = std::array<double, 3>;

inline Vec cross(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline double norm(const Vec& a) { return std::sqrt(dot(a, a)); }

struct Cylinder {
  Vec centre, axis, u, v;  // axis, u, v orthonormal with u x v = axis
  double radius, origin;   // the angle of the facets' theta = 0

  explicit Cylinder(std::mt19937& rng) {
    std::uniform_real_distribution<double> d(-1, 1);
    Vec a{d(rng), d(rng), d(rng)};
    while (norm(a) < 0.2) a = {d(rng), d(rng), d(rng)};
    const double la = norm(a);
    axis = {a[0] / la, a[1] / la, a[2] / la};
    Vec t = std::fabs(axis[0]) < 0.6 ? Vec{1, 0, 0} : Vec{0, 1, 0};
    u = cross(t, axis);
    const double lu = norm(u);
    u = {u[0] / lu, u[1] / lu, u[2] / lu};
    v = cross(axis, u);
    centre = {3 * d(rng), 3 * d(rng), 3 * d(rng)};
    radius = 0.5 + 2 * (d(rng) + 1);
    origin = 3 * d(rng);
  }

  Vec at(double theta, double height, double r = -1) const {
    if (r < 0) r = radius;
    const double c = std::cos(origin + theta), s = std::sin(origin + theta);
    Vec p;
    for (int i = 0; i < 3; ++i) p[i] = centre[i] + height * axis[i] + r * (c * u[i] + s * v[i]);
    return p;
  }

  // Distance of p from the axis.
  double radial(const Vec& p) const {
    Vec w{p[0] - centre[0], p[1] - centre[1], p[2] - centre[2]};
    const double h = dot(w, axis);
    for (int i = 0; i < 3; ++i) w[i] -= h * axis[i];
    return norm(w);
  }
};

// Node coordinates (3 by n) of a cylindrical facet on the cylinder: the arcs at xi = -1 (and 0)
// and 1 with their midside angles, all of total angle total, heights h0 + (xi + 1) h.
inline std::vector<double> facetNodes(const Cylinder& c, int n, double total, const std::vector<double>& middle,
                                      double h0, double h) {
  struct Node {
    double xi, theta;
  };
  std::vector<Node> nodes;
  if (n == 6)
    nodes = {{-1, 0}, {1, 0}, {1, total}, {-1, total}, {1, middle[1]}, {-1, middle[0]}};
  else
    nodes = {{-1, 0},        {1, 0},     {1, total},      {-1, total},   {0, 0},
             {1, middle[2]}, {0, total}, {-1, middle[0]}, {0, middle[1]}};
  std::vector<double> x;
  for (const Node& node : nodes) {
    const Vec p = c.at(node.theta, h0 + (node.xi + 1) * h);
    x.insert(x.end(), p.begin(), p.end());
  }
  return x;
}

}  // namespace cylinder_model
