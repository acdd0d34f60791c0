// The regions of a smoothed-normal facet: which region holds a point, the point's coordinates in
// the region's reference element, and the region's interpolation functions carried back to the
// facet's coordinates.

#include "geometry/normals/facet_regions.h"

#include <cmath>

#include "siblings/eqc/facet_shapes.h"

namespace zmx::geometry::regions {

namespace {

constexpr Real kEps = kTolerance;

// Region points: k > 0 the normal point nn + k, k < 0 the facet node -k.
constexpr int kLinePoints[3][2] = {{1, 2}, {-1, 1}, {2, -2}};
constexpr int kTrianglePoints[7][4] = {{1, 2, 3, 0},    {4, 5, 2, 1},  {2, 6, 7, 3},  {9, 1, 3, 8},
                                       {-1, 4, 1, 9},   {5, -2, 6, 2}, {3, 7, -3, 8}};
constexpr int kQuadPoints[9][4] = {{1, 2, 3, 4},  {5, 6, 2, 1},   {2, 7, 8, 3},   {4, 3, 9, 10}, {12, 1, 4, 11},
                                   {-1, 5, 1, 12}, {6, -2, 7, 2}, {3, 8, -3, 9}, {11, 4, 10, -4}};

int regionCount(Shape shape) {
  switch (shape) {
    case Shape::kLine: return 3;
    case Shape::kTriangle: return 7;
    default: return 9;
  }
}

// Regions 1 to 5 of a quadrilateral (1 to 4 of a triangle, 1 of a line) span the centre's width.
bool spansCentre(Shape shape, int region) {
  switch (shape) {
    case Shape::kLine: return region == 1;
    case Shape::kTriangle: return region <= 4;
    default: return region <= 5;
  }
}

// The corner quadrilateral of the triangle's region 5, 6 or 7: its points in the order of the
// 4-node functions.
void cornerPoints(int region, Real d, Real (&p)[4][2]) {
  const Real a = 2.0 * d / 3.0, b = 1.0 - 4.0 * d / 3.0;
  const Real corners[3][4][2] = {{{0.0, 0.0}, {d, 0.0}, {a, a}, {0.0, d}},
                                 {{1.0 - d, 0.0}, {1.0, 0.0}, {1.0 - d, d}, {b, a}},
                                 {{a, b}, {d, 1.0 - d}, {0.0, 1.0}, {0.0, 1.0 - d}}};
  for (int i = 0; i < 4; ++i) p[i][0] = corners[region - 5][i][0], p[i][1] = corners[region - 5][i][1];
}

// Inverse of the triangle corner's bilinear map in closed form; false when it has no real inverse.
bool cornerInverse(int region, Real d, Real u, Real v, Real (&t)[2]) {
  Real disc = 0.0;
  switch (region) {
    case 5: {
      disc = (3.0 * d - u) * (3.0 * d - u) + v * (v - 2.0 * u - 6.0 * d);
      if (!(disc >= 0.0)) return false;
      const Real root = std::sqrt(disc);
      t[0] = (u - v + 2.0 * d - root) / d;
      t[1] = (v - u + 2.0 * d - root) / d;
      return true;
    }
    case 6: {
      const Real a = 1.0 - 2.0 * d - u - 2.0 * v;
      disc = a * a - d * (2.0 - 5.0 * d - 2.0 * u + 8.0 * v);
      if (!(disc >= 0.0)) return false;
      const Real root = std::sqrt(disc);
      t[0] = (u + 2.0 * v - 1.0 - 2.0 * d + root) / d;
      t[1] = (u + 2.0 * v - 1.0 + 2.0 * d - root) / d;
      return true;
    }
    default: {
      const Real a = 1.0 - 2.0 * d - 2.0 * u - v;
      disc = a * a - d * (2.0 - 5.0 * d + 8.0 * u - 2.0 * v);
      if (!(disc >= 0.0)) return false;
      const Real root = std::sqrt(disc);
      t[0] = (2.0 * u + v - 1.0 - 2.0 * d + root) / d;
      t[1] = (a + root) / d;
      return true;
    }
  }
}

// The inner sides of the corner regions bound the local coordinates: t1 <= 1 and t2 <= 1 at
// vertex 1, t1 >= -1 and t2 <= 1 at vertex 2, t1 >= -1 and t2 >= -1 at vertex 3.
bool insideCorner(int region, Real d, const Real (&t)[2]) {
  const Real slack = kEps / d;
  switch (region) {
    case 5: return t[0] <= 1.0 + slack && t[1] <= 1.0 + slack;
    case 6: return t[0] >= -1.0 - slack && t[1] <= 1.0 + slack;
    default: return t[0] >= -1.0 - slack && t[1] >= -1.0 - slack;
  }
}

bool locateLine(int region, Real d, Real xi, LocalPoint& p) {
  const Part part = region == 1 ? Part::kCentre : region == 2 ? Part::kLow : Part::kHigh;
  return onSide(part, d, xi, p.t[0], p.dt[0][0]);
}

bool locateQuadrilateral(int region, Real d, Real xi, Real eta, LocalPoint& p) {
  const Part(&parts)[2] = kQuadParts[region - 1];
  return onSide(parts[0], d, xi, p.t[0], p.dt[0][0]) && onSide(parts[1], d, eta, p.t[1], p.dt[1][1]);
}

bool locateTriangle(int region, Real d, Real u, Real v, LocalPoint& p) {
  const Real e = 1.0 - 2.0 * d, third = 2.0 * d / 3.0, w = 1.0 - u - v;
  switch (region) {
    case 1:
      if (!(u >= third - kEps && v >= third - kEps && w >= third - kEps)) return false;
      p.t[0] = (u - third) / e, p.t[1] = (v - third) / e;
      break;
    case 2: {
      const Real along = u + v / 2.0;
      if (!(v <= third + kEps && along >= d - kEps && along <= 1.0 - d + kEps)) return false;
      p.t[0] = (2.0 * u + v - 1.0) / e, p.t[1] = 3.0 * v / d - 1.0;
      break;
    }
    case 3: {
      const Real along = v - u;
      if (!(w <= third + kEps && along >= 2.0 * d - 1.0 - kEps && along <= e + kEps)) return false;
      p.t[0] = 1.0 - 3.0 * w / d, p.t[1] = along / e;
      break;
    }
    case 4: {
      const Real along = v + u / 2.0;
      if (!(u <= third + kEps && along >= d - kEps && along <= 1.0 - d + kEps)) return false;
      p.t[0] = 3.0 * u / d - 1.0, p.t[1] = (u + 2.0 * v - 1.0) / e;
      break;
    }
    default:
      if (!cornerInverse(region, d, u, v, p.t) || !insideCorner(region, d, p.t)) return false;
      break;
  }
  localDerivatives(Shape::kTriangle, region, d, p);
  return true;
}

}  // namespace

// Only a width below the least is raised; a NaN is not below it and stays, so no region will hold a point.
Real clampWidth(Real d) { return d < kLeastWidth ? kLeastWidth : d; }

bool usable(Shape shape, int region, Real d) {
  if (region < 1 || region > regionCount(shape)) return false;
  return !spansCentre(shape, region) || 1.0 - 2.0 * d != 0.0;
}

bool onSide(Part part, Real d, Real x, Real& t, Real& dt) {
  const Real e = 1.0 - 2.0 * d;
  switch (part) {
    case Part::kCentre:
      if (!(std::fabs(x) <= e + kEps)) return false;
      t = x / e, dt = 1.0 / e;
      return true;
    case Part::kLow:
      if (!(x <= -e + kEps)) return false;
      t = (x + 1.0 - d) / d, dt = 1.0 / d;
      return true;
    default:
      if (!(x >= e - kEps)) return false;
      t = (x - 1.0 + d) / d, dt = 1.0 / d;
      return true;
  }
}

bool locate(Shape shape, int region, Real d, Real x1, Real x2, LocalPoint& p) {
  if (!usable(shape, region, d)) return false;
  p = LocalPoint{};
  switch (shape) {
    case Shape::kLine: return locateLine(region, d, x1, p);
    case Shape::kTriangle: return locateTriangle(region, d, x1, x2, p);
    default: return locateQuadrilateral(region, d, x1, x2, p);
  }
}

void localDerivatives(Shape shape, int region, Real d, LocalPoint& p) {
  const Real e = 1.0 - 2.0 * d;
  p.dt[0][0] = p.dt[0][1] = p.dt[1][0] = p.dt[1][1] = 0.0;
  if (shape == Shape::kLine) {
    p.dt[0][0] = region == 1 ? 1.0 / e : 1.0 / d;
    return;
  }
  if (shape == Shape::kQuadrilateral) {
    const Part(&parts)[2] = kQuadParts[region - 1];
    p.dt[0][0] = parts[0] == Part::kCentre ? 1.0 / e : 1.0 / d;
    p.dt[1][1] = parts[1] == Part::kCentre ? 1.0 / e : 1.0 / d;
    return;
  }
  switch (region) {
    case 1: p.dt[0][0] = 1.0 / e, p.dt[1][1] = 1.0 / e; return;
    case 2: p.dt[0][0] = 2.0 / e, p.dt[0][1] = 1.0 / e, p.dt[1][1] = 3.0 / d; return;
    case 3: p.dt[0][0] = p.dt[0][1] = 3.0 / d, p.dt[1][0] = -1.0 / e, p.dt[1][1] = 1.0 / e; return;
    case 4: p.dt[0][0] = 3.0 / d, p.dt[1][0] = 1.0 / e, p.dt[1][1] = 2.0 / e; return;
    default: break;
  }
  // A corner: the inverse of the Jacobian of its bilinear map at the local point.
  Real corners[4][2];
  cornerPoints(region, d, corners);
  const Real s = p.t[0], r = p.t[1];
  const Real ds[4] = {-(1.0 - r) / 4.0, (1.0 - r) / 4.0, (1.0 + r) / 4.0, -(1.0 + r) / 4.0};
  const Real dr[4] = {-(1.0 - s) / 4.0, -(1.0 + s) / 4.0, (1.0 + s) / 4.0, (1.0 - s) / 4.0};
  Real j[2][2] = {{0.0, 0.0}, {0.0, 0.0}};  // j[b][a] = d x_b / d t_a
  for (int i = 0; i < 4; ++i)
    for (int b = 0; b < 2; ++b) j[b][0] += ds[i] * corners[i][b], j[b][1] += dr[i] * corners[i][b];
  const Real det = j[0][0] * j[1][1] - j[0][1] * j[1][0];
  if (!(std::fabs(det) >= kLeastWidth)) return;
  p.dt[0][0] = j[1][1] / det, p.dt[0][1] = -j[0][1] / det;
  p.dt[1][0] = -j[1][0] / det, p.dt[1][1] = j[0][0] / det;
}

int regionPoints(Shape shape, int region, int nn, int (&points)[4]) {
  const int* table = nullptr;
  int count = 4;
  switch (shape) {
    case Shape::kLine: table = kLinePoints[region - 1], count = 2; break;
    case Shape::kTriangle: table = kTrianglePoints[region - 1], count = region == 1 ? 3 : 4; break;
    default: table = kQuadPoints[region - 1]; break;
  }
  for (int i = 0; i < count; ++i) points[i] = table[i] > 0 ? nn + table[i] : -table[i];
  // A 3-node line ends at its node 3 (node 2 is its middle).
  if (shape == Shape::kLine && nn >= 3)
    for (int i = 0; i < count; ++i)
      if (points[i] == 2) points[i] = 3;
  return count;
}

int regionWeights(Shape shape, int region, const LocalPoint& p, Real* value, Real* d1, Real* d2) {
  Real f[12];
  int count = 4;
  const Int values = 0;
  if (shape == Shape::kLine) {
    count = 2;
    f[0] = (1.0 - p.t[0]) / 2.0, f[1] = (1.0 + p.t[0]) / 2.0;
    f[2] = -0.5, f[3] = 0.5, f[4] = f[5] = 0.0;
  } else if (shape == Shape::kTriangle && region == 1) {
    count = 3;
    EQC_INTT3(&p.t[0], &p.t[1], f, &values);
  } else {
    EQC_INTQ4(&p.t[0], &p.t[1], f, &values);
  }
  for (int i = 0; i < count; ++i) {
    const Real by1 = f[count + i], by2 = f[2 * count + i];
    value[i] = f[i];
    d1[i] = p.dt[0][0] * by1 + p.dt[1][0] * by2;
    d2[i] = p.dt[0][1] * by1 + p.dt[1][1] * by2;
  }
  return count;
}

void subFacetToTriangle(Int k, Real& xi, Real& eta) {
  const Real vertexSide = (1.0 + xi) * (5.0 - eta) / 24.0;  // toward the midside node after k
  const Real otherSide = (1.0 + eta) * (5.0 - xi) / 24.0;   // toward the midside node before k
  const Real opposite = (7.0 - 2.0 * xi - 2.0 * eta + xi * eta) / 12.0;
  switch (k) {
    case 1: xi = vertexSide, eta = otherSide; return;
    case 2: xi = opposite, eta = vertexSide; return;
    case 3: xi = otherSide, eta = opposite; return;
    default: return;
  }
}

}  // namespace zmx::geometry::regions
