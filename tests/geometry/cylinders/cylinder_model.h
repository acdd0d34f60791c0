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

// The functions of a 6- or 9-node cylindrical facet with the angle record c (total, then the
// midside angles) at (xi, eta), in closed form: rows value, d/dxi, d/deta, d2/dxi2, d2/dxi deta,
// d2/deta2, one column a node. Each line of nodes along eta is the arc through 0, its midside
// angle and the total, interpolating 1, cos and sin; across the lines linear (6) or quadratic (9).
// A record whose total angle is 0 gives the quadratic functions of eta on [-1, 1].
inline std::array<std::array<double, 9>, 6> facetFunctions(int n, const double* c, double xi, double eta) {
  const double t = c[0];
  const auto arc = [&](double m, int order, int k) {  // node k's weight, derivative `order`
    // A flat facet: quadratic along eta through -1, 0 and 1.
    if (t == 0) {
      const double q[3][3] = {
          {0.5 * eta * (eta - 1), 1 - eta * eta, 0.5 * eta * (eta + 1)}, {eta - 0.5, -2 * eta, eta + 0.5}, {1, -2, 1}};
      return q[order][k];
    }
    const double th[3] = {0.0, m, t}, d = std::sin(m) + std::sin(t - m) - std::sin(t);
    const double ti = th[(k + 1) % 3], tj = th[(k + 2) % 3], a = eta - tj, b = eta - ti;
    if (order == 0) return (std::sin(tj - ti) + std::sin(a) - std::sin(b)) / d;
    return (order == 1 ? std::cos(a) - std::cos(b) : std::sin(b) - std::sin(a)) / d;
  };
  const bool six = n == 6;
  const double g[3][3] = {
      {0.5 * xi * (xi - 1), 1 - xi * xi, 0.5 * xi * (xi + 1)}, {xi - 0.5, -2 * xi, xi + 0.5}, {1, -2, 1}};
  const double g6[3][3] = {{0.5 * (1 - xi), 0, 0.5 * (1 + xi)}, {-0.5, 0, 0.5}, {0, 0, 0}};
  // Node j: line (0 at xi = -1, 1 the centre, 2 at xi = 1) and station on the arc.
  const int line9[9] = {0, 2, 2, 0, 1, 2, 1, 0, 1}, station9[9] = {0, 0, 2, 2, 0, 1, 2, 1, 1};
  const int line6[6] = {0, 2, 2, 0, 2, 0}, station6[6] = {0, 0, 2, 2, 1, 1};
  std::array<std::array<double, 9>, 6> r{};
  for (int j = 0; j < n; ++j) {
    const int l = six ? line6[j] : line9[j], s = six ? station6[j] : station9[j];
    const double m = c[six ? (l == 0 ? 1 : 2) : 1 + l];
    const auto& across = six ? g6 : g;
    const int rows[6][2] = {{0, 0}, {1, 0}, {0, 1}, {2, 0}, {1, 1}, {0, 2}};  // orders in xi and eta
    for (int q = 0; q < 6; ++q) r[q][j] = across[rows[q][0]][l] * arc(m, rows[q][1], s);
  }
  return r;
}

// The values f and first derivatives by xi (fx) and eta (fe) alone.
struct Shapes {
  double f[9], fx[9], fe[9];
};
inline Shapes facetShapes(int n, double xi, double eta, const double* record) {
  const auto r = facetFunctions(n, record, xi, eta);
  Shapes s{};
  for (int j = 0; j < n; ++j) s.f[j] = r[0][j], s.fx[j] = r[1][j], s.fe[j] = r[2][j];
  return s;
}

// The shape-weighted sum of a nodal field held 3 by n.
inline Vec interpolate(const Shapes& s, int n, const std::vector<double>& field) {
  Vec v{0, 0, 0};
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < 3; ++i) v[i] += s.f[j] * field[3 * j + i];
  return v;
}

}  // namespace cylinder_model
