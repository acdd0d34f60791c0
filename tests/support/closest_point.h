// The textbook closest point of a triangle (region tests on the barycentric coordinates), an
// oracle for the facet projections in tests and benchmarks.
#pragma once

#include <array>

namespace zmxtest {

using Point3 = std::array<double, 3>;

inline Point3 closestOnTriangle(const Point3& p, const Point3& a, const Point3& b, const Point3& c) {
  const auto sub = [](const Point3& u, const Point3& v) { return Point3{u[0] - v[0], u[1] - v[1], u[2] - v[2]}; };
  const auto dot = [](const Point3& u, const Point3& v) { return u[0] * v[0] + u[1] * v[1] + u[2] * v[2]; };
  const auto along = [](const Point3& u, const Point3& v, double s) {
    return Point3{u[0] + s * v[0], u[1] + s * v[1], u[2] + s * v[2]};
  };
  const Point3 ab = sub(b, a), ac = sub(c, a), ap = sub(p, a);
  const double d1 = dot(ab, ap), d2 = dot(ac, ap);
  if (d1 <= 0 && d2 <= 0) return a;
  const Point3 bp = sub(p, b);
  const double d3 = dot(ab, bp), d4 = dot(ac, bp);
  if (d3 >= 0 && d4 <= d3) return b;
  const double vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) return along(a, ab, d1 / (d1 - d3));
  const Point3 cp = sub(p, c);
  const double d5 = dot(ab, cp), d6 = dot(ac, cp);
  if (d6 >= 0 && d5 <= d6) return c;
  const double vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) return along(a, ac, d2 / (d2 - d6));
  const double va = d3 * d6 - d5 * d4;
  if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0) return along(b, sub(c, b), (d4 - d3) / ((d4 - d3) + (d5 - d6)));
  const double denom = 1.0 / (va + vb + vc);
  return along(along(a, ab, vb * denom), ac, vc * denom);
}

}  // namespace zmxtest
