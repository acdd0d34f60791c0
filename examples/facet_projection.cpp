// The host's projection of a point onto single facets: a triangle (with the location of the
// nearest point), a 9-node facet and a cylindrical facet.
#include <cmath>
#include <cstdio>

#include "zmx/geometry.h"

namespace {

void show(const char* what, const Real* foot, Real distance, Real outside, Logical found) {
  std::printf("  %-22s %s foot (%.4f, %.4f, %.4f) signed distance %.4f outside %g\n", what,
              found != 0 ? "found    " : "not found", foot[0], foot[1], foot[2], distance, outside);
}

}  // namespace

void projectOntoFacets() {
  std::printf("a point projected onto single facets:\n");
  const Int ld = 3, dim = 3;
  const Real tolerance = 0.01;
  const Logical no = kFalse, yes = kTrue;
  Real xi, eta, distance, tangents[6], normal[3], foot[3], outside;
  Int corner = 0, degenerate = 0, location = 0, nearest = 0;
  Logical found = kFalse;

  // A triangle, with a point above it and one beyond its corner 2.
  const Real triangle[9] = {0, 0, 0, 2, 0, 0, 0, 2, 0};
  const Int three = 3;
  const Real points[2][3] = {{0.5, 0.5, 1.0}, {3.0, -0.5, 0.2}};
  for (const Real* p : points) {
    CALPERPDISTTOSURF1(triangle, &ld, p, &xi, &eta, &three, &tolerance, &found, &distance, tangents, "TRIANGLE", 8,
                       normal, foot, &outside, &corner, &location, &nearest, &no, &dim, &no, nullptr, &degenerate);
    show("triangle", foot, distance, outside, found);
    std::printf("  %-22s location %d (3 inside, 2 edge, 1 vertex), nearest node %d\n", "", location, nearest);
  }

  // A 9-node facet on the saddle z = (x^2 - y^2) / 4 over [-1, 1]^2.
  Real quadratic[27];
  const Real at[9][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}, {0, 0}};
  for (int j = 0; j < 9; ++j) {
    quadratic[3 * j] = at[j][0], quadratic[3 * j + 1] = at[j][1];
    quadratic[3 * j + 2] = (at[j][0] * at[j][0] - at[j][1] * at[j][1]) / 4;
  }
  const Int nine = 9;
  const Real p9[3] = {0.4, -0.3, 0.5}, noAngle[4] = {0, 0, 0, 0};
  CALPERPDISTTOSURF(quadratic, &ld, p9, &xi, &eta, &nine, &tolerance, &found, &distance, tangents, "SADDLE  ", 8, normal,
                    foot, &outside, &corner, &no, &dim, &no, noAngle, &degenerate);
  show("9-node saddle", foot, distance, outside, found);

  // A 6-node cylindrical facet: radius 2 about the z axis, a quarter circle, height 1.
  const Real total = std::acos(-1.0) / 2, mid = total / 2;
  const Real angle[6] = {0, 0, total, total, mid, mid}, height[6] = {0, 1, 1, 0, 1, 0};
  Real cylinder[18];
  for (int j = 0; j < 6; ++j)
    cylinder[3 * j] = 2 * std::cos(angle[j]), cylinder[3 * j + 1] = 2 * std::sin(angle[j]), cylinder[3 * j + 2] = height[j];
  // Corners 1, 2 on theta = 0 (z = 0, 1), corners 3, 4 on theta = A; 5, 6 the arcs' midpoints.
  const Real record[4] = {total, mid, mid, 0};
  const Int six = 6;
  const Real p6[3] = {1.0, 1.2, 0.3};
  CALPERPDISTTOSURF(cylinder, &ld, p6, &xi, &eta, &six, &tolerance, &found, &distance, tangents, "CYLINDER", 8, normal,
                    foot, &outside, &corner, &no, &dim, &yes, record, &degenerate);
  show("cylindrical facet", foot, distance, outside, found);
  std::printf("  %-22s radius of the foot %.6f\n", "", std::hypot(foot[0], foot[1]));
}
