// Calls of the facet projections with every argument spelled out once, for the tests.
#pragma once

#include <array>
#include <vector>

#include "zmx/geometry.h"

namespace projection_support {

struct Projection {
  double xi = 7, eta = 7, distance = 7, outside = 7;
  Logical found = 7;
  std::array<double, 6> tangents{};
  std::array<double, 3> normal{}, foot{};
  int corner = 7, degenerate = 7, location = 7, nearest = 7;
};

struct Options {
  double tolerance = 0.01;
  bool collapsed = false;
  int dimension = 3;
  bool cylindrical = false;
  std::array<double, 4> cylinder{0, 0, 0, 0};
};

inline Projection project(const std::vector<double>& x, int n, const std::array<double, 3>& p, const Options& o = {},
                          bool classify = false) {
  Projection r;
  const int ld = o.dimension == 3 ? 3 : 2;
  const Logical collapsed = toLogical(o.collapsed), cylindrical = toLogical(o.cylindrical);
  r.foot = {9, 9, 9};
  if (classify)
    CALPERPDISTTOSURF1(x.data(), &ld, p.data(), &r.xi, &r.eta, &n, &o.tolerance, &r.found, &r.distance,
                       r.tangents.data(), "MASTER  ", 8, r.normal.data(), r.foot.data(), &r.outside, &r.corner,
                       &r.location, &r.nearest, &collapsed, &o.dimension, &cylindrical, o.cylinder.data(),
                       &r.degenerate);
  else
    CALPERPDISTTOSURF(x.data(), &ld, p.data(), &r.xi, &r.eta, &n, &o.tolerance, &r.found, &r.distance,
                      r.tangents.data(), "MASTER  ", 8, r.normal.data(), r.foot.data(), &r.outside, &r.corner,
                      &collapsed, &o.dimension, &cylindrical, o.cylinder.data(), &r.degenerate);
  return r;
}

}  // namespace projection_support
