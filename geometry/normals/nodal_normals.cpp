// Set-up services of smoothed-normal surfaces: the unit normals of one facet at each of its nodes,
// added into the surface's nodal normals (summed over every facet and normalised by the caller,
// they average the facets at each node), and the shape-function derivatives at the nodes of a
// facet and at points along a fixed set of lines across it, where the caller forms tangents.

#include <algorithm>
#include <cmath>

#include "geometry/cylinders/cylinder_functions.h"
#include "geometry/facets/facet_properties.h"
#include "siblings/eqc/facet_shapes.h"
#include "zmx/geometry/cylinders.h"
#include "zmx/geometry/facets.h"
#include "zmx/geometry/normals.h"

namespace zmx::geometry {

namespace {

// Facet types of the 6-node triangles split into sub-quadrilaterals and of cylindrical facets.
constexpr Int kSplitTriangle = 9;
constexpr Int kCylinderTypes[2] = {13, 14};

struct Point {
  Real xi, eta;
};

constexpr Point kTriangleNodes[6] = {{0.0, 0.0}, {1.0, 0.0}, {0.0, 1.0}, {0.5, 0.0}, {0.5, 0.5}, {0.0, 0.5}};
constexpr Point kSquareNodes[9] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}, {0, 0}};

// Column j (node j) of a global array of 3 reals per node.
Real* column(Real* a, Int node) { return a + 3LL * (node - 1); }
const Real* column(const Real* a, Int node) { return a + 3LL * (node - 1); }

void add(Real* a, Int node, const Real* v, int count) {
  Real* to = column(a, node);
  for (int i = 0; i < count; ++i) to[i] += v[i];
}

// ---- Two dimensions ------------------------------------------------------------------------------

// Derivative coefficients of the 3-node line's nodes at each node.
constexpr Real kLineSlopes[3][3] = {{-1.5, 2.0, -0.5}, {-0.5, 0.0, 0.5}, {0.5, -2.0, 1.5}};

void straightLine(Real* a, const Real* x, const Int* nodes, Int n, Int& status) {
  if (n < 2) {
    status = 1;
    return;
  }
  const Real* p = column(x, nodes[0]);
  const Real* q = column(x, nodes[1]);
  Real v[2] = {p[1] - q[1], q[0] - p[0]};
  if (!unitLength(v, 2)) {
    status = 1;
    return;
  }
  for (Int i = 0; i < n; ++i) add(a, nodes[i], v, 2);
}

void curvedLine(Real* a, const Real* x, const Int* nodes, Int n, Int& status) {
  if (n != 3) {
    status = 1;
    return;
  }
  const Real* p[3] = {column(x, nodes[0]), column(x, nodes[1]), column(x, nodes[2])};
  constexpr int kChord[3][2] = {{0, 1}, {0, 2}, {1, 2}};
  for (int i = 0; i < 3; ++i) {
    Real t[2] = {0.0, 0.0};
    for (int j = 0; j < 3; ++j) t[0] += kLineSlopes[i][j] * p[j][0], t[1] += kLineSlopes[i][j] * p[j][1];
    if (!unitLength(t, 2)) {
      const Real* from = p[kChord[i][0]];
      const Real* to = p[kChord[i][1]];
      t[0] = to[0] - from[0], t[1] = to[1] - from[1];
      if (!unitLength(t, 2)) {
        status = 1;
        continue;
      }
    }
    const Real normal[2] = {-t[1], t[0]};
    add(a, nodes[i], normal, 2);
  }
}

// ---- Three dimensions ----------------------------------------------------------------------------

// The corner normals of a flat triangle or quadrilateral: at each corner the cross product of the
// edges to its successor and predecessor.
void flatCorners(Real* a, const Real* x, const Int* nodes, Int n, Int& status) {
  for (Int i = 0; i < n; ++i) {
    const Real* here = column(x, nodes[i]);
    const Real* next = column(x, nodes[(i + 1) % n]);
    const Real* prev = column(x, nodes[(i + n - 1) % n]);
    const Real e1[3] = {next[0] - here[0], next[1] - here[1], next[2] - here[2]};
    const Real e2[3] = {prev[0] - here[0], prev[1] - here[1], prev[2] - here[2]};
    Real v[3];
    if (!unitCross(e1, e2, v)) {
      status = 1;
      continue;
    }
    add(a, nodes[i], v, 3);
  }
}

void flatFacet(Real* a, const Real* x, const Int* nodes, Int n, Int& status) {
  if (n == 3 || n == 4) return flatCorners(a, x, nodes, n, status);
  if (n == 2) {
    column(a, nodes[0])[2] += 1.0;
    column(a, nodes[1])[2] += 1.0;
    return;
  }
  if (n == 1) {
    column(a, nodes[0])[0] = 1.0;
    return;
  }
  status = 1;
}

// A 6-node triangle split into sub-quadrilaterals: the normal at each node through the
// sub-quadrilateral of its vertex (vertices at (-1, -1), midside nodes at (1, -1)).
void splitTriangle(Real* a, const Real* x, const Int* nodes, Int& status) {
  Real local[18];
  for (int j = 0; j < 6; ++j) std::copy_n(column(x, nodes[j]), 3, local + 3 * j);
  const Int three = 3;
  for (int i = 0; i < 6; ++i) {
    const Int sub = i % 3 + 1;
    const Real xi = i < 3 ? -1.0 : 1.0, eta = -1.0;
    Real v[3];
    Int failed = 0;
    NORMALONINTERNALEDGE(&sub, &xi, &eta, local, &three, v, &failed);
    if (failed != 0) {
      status = 1;
      continue;
    }
    add(a, nodes[i], v, 3);
  }
}

// A quadratic facet: the normal t1 x t2 of its own functions at each node.
void quadraticFacet(Real* a, const Real* x, const Int* nodes, Int n, Int& status) {
  const Int derivatives = 1;
  for (Int i = 0; i < n; ++i) {
    const Point at = n == 6 ? kTriangleNodes[i] : kSquareNodes[i];
    Real d[18];
    if (n == 6) EQC_INTT6(&at.xi, &at.eta, d, &derivatives);
    else if (n == 8) EQC_INTQ8(&at.xi, &at.eta, d, &derivatives);
    else EQC_INTQ9(&at.xi, &at.eta, d, &derivatives);
    Real t1[3] = {0, 0, 0}, t2[3] = {0, 0, 0};
    for (Int j = 0; j < n; ++j) {
      const Real* p = column(x, nodes[j]);
      for (int c = 0; c < 3; ++c) t1[c] += d[j] * p[c], t2[c] += d[n + j] * p[c];
    }
    Real v[3];
    if (!unitCross(t1, t2, v)) {
      status = 1;
      continue;
    }
    add(a, nodes[i], v, 3);
  }
}

void curvedFacet(Real* a, const Real* x, const Int* nodes, Int n, Int elementClass, Int& status) {
  if (n == 3) return flatCorners(a, x, nodes, n, status);
  if (n != 6 && n != 8 && n != 9) {
    status = 1;
    return;
  }
  Int type = 0;
  GETSURFACEFACETTYPE(&elementClass, &type);
  if (n == 6 && (type == kCylinderTypes[0] || type == kCylinderTypes[1])) {
    // Cylindrical facets take their normals from routines of their own.
    status = 1;
    return;
  }
  if (n == 6 && type == kSplitTriangle) return splitTriangle(a, x, nodes, status);
  quadraticFacet(a, x, nodes, n, status);
}

// ---- Tangent evaluation points -----------------------------------------------------------------

enum class Family { kTriangle, kQuadrilateral, kFlatCylinder, kCurvedCylinder };

// Node m of the facet (m in 1 to n); (0, 0) for a node the facet kind does not place.
Point nodePoint(Family family, Int n, Int m, const Real* data) {
  switch (family) {
    case Family::kTriangle: return m <= 6 ? kTriangleNodes[m - 1] : Point{0.0, 0.0};
    case Family::kQuadrilateral: return m <= 9 ? kSquareNodes[m - 1] : Point{0.0, 0.0};
    case Family::kFlatCylinder:
      if (n == 6 && m == 5) return {1.0, 0.0};
      if (n == 6 && m == 6) return {-1.0, 0.0};
      return m <= 9 ? kSquareNodes[m - 1] : Point{0.0, 0.0};
    default: {
      // A 6-node facet's record holds three reals: the fourth is read for 9 nodes only.
      const Real theta = data[0];
      if (n == 6 && (m == 5 || m == 6)) return m == 5 ? Point{1.0, data[2]} : Point{-1.0, data[1]};
      if (m == 6) return {1.0, data[3]};
      const Point curved[9] = {{-1.0, 0.0}, {1.0, 0.0}, {1.0, theta}, {-1.0, theta}, {0.0, 0.0},
                               {0.0, 0.0},  {0.0, theta}, {-1.0, data[1]}, {0.0, data[2]}};
      return m <= 9 ? curved[m - 1] : Point{0.0, 0.0};
    }
  }
}

// The point at parameter t on line j (the last line of each kind takes every j beyond it).
Point linePoint(Family family, Int n, Int j, Real t, const Real* data) {
  const Real a = 2.0 * t - 1.0, b = 1.0 - 2.0 * t;
  switch (family) {
    case Family::kTriangle: {
      const Point lines[9] = {{2 * t / 3, 2 * t / 3}, {1 - 4 * t / 3, 2 * t / 3}, {2 * t / 3, 1 - 4 * t / 3},
                              {t, 0.0},               {1 - t, 0.0},              {1 - t, t},
                              {t, 1 - t},             {0.0, 1 - t},              {0.0, t}};
      return lines[std::min<Int>(j, 9) - 1];
    }
    case Family::kQuadrilateral: {
      const Point lines[12] = {{a, a},  {b, a},  {b, b},  {a, b},   {a, -1.0}, {b, -1.0},
                               {1.0, a}, {1.0, b}, {b, 1.0}, {a, 1.0}, {-1.0, b}, {-1.0, a}};
      return lines[std::min<Int>(j, 12) - 1];
    }
    case Family::kFlatCylinder: {
      const Point lines[14] = {{a, a},   {b, a},   {b, b},    {a, b},   {b, 0.0}, {a, 0.0},  {a, -1.0},
                               {b, -1.0}, {1.0, a}, {1.0, b}, {b, 1.0}, {a, 1.0}, {-1.0, b}, {-1.0, a}};
      return lines[std::min<Int>(j, 14) - 1];
    }
    default: {
      const Real theta = data[0], up = t * theta, down = (1.0 - t) * theta;
      const Real side = n == 6 ? data[2] : data[3];
      const Point lines[14] = {{a, up},    {b, up},    {b, down},    {a, down},    {b, side},
                               {a, data[1]}, {a, 0.0}, {b, 0.0},     {1.0, up},    {1.0, down},
                               {b, theta}, {a, theta}, {-1.0, down}, {-1.0, up}};
      return lines[std::min<Int>(j, 14) - 1];
    }
  }
}

// The 2 x (nodes of the functions) derivatives at p; gives that node count.
int derivativesAt(Family family, Int n, Point p, const Real* data, Real* d) {
  const Int derivatives = 1;
  switch (family) {
    case Family::kTriangle:
      if (n == 3) return EQC_INTT3(&p.xi, &p.eta, d, &derivatives), 3;
      return EQC_INTT6(&p.xi, &p.eta, d, &derivatives), 6;
    case Family::kQuadrilateral:
      if (n == 4) return EQC_INTQ4(&p.xi, &p.eta, d, &derivatives), 4;
      if (n == 8) return EQC_INTQ8(&p.xi, &p.eta, d, &derivatives), 8;
      return EQC_INTQ9(&p.xi, &p.eta, d, &derivatives), 9;
    default:
      if (n == 6) return INTSCYL6(&p.xi, &p.eta, data, d, &derivatives), 6;
      return INTSCYL9(&p.xi, &p.eta, data, d, &derivatives), 9;
  }
}

}  // namespace

}  // namespace zmx::geometry

using namespace zmx::geometry;

extern "C" {

void SHR_SURFACENORMAL(Real* a, const Real* x, const Int* nodes, const Int* n, const Int* dimension,
                       const Logical* flat, const Int* elementClass, Int* status) {
  Int s = 0;
  const bool isFlat = (*flat & 1) != 0;
  if (*dimension == 2) {
    if (isFlat) straightLine(a, x, nodes, *n, s);
    else curvedLine(a, x, nodes, *n, s);
  } else if (isFlat) {
    flatFacet(a, x, nodes, *n, s);
  } else {
    curvedFacet(a, x, nodes, *n, *elementClass, s);
  }
  *status = s;
}

void TANGENTINTER_AT_POINT(const Int* facet, const Int* m, const Real* t, const Int* cylindrical, const Real* data,
                           Real* derivatives) {
  const Int n = facet[1];
  if (n < 1) return;
  Family family = Family::kQuadrilateral;
  if (facet[0] == 3) family = Family::kTriangle;
  else if (*cylindrical == 1) family = std::fabs(data[0]) <= kFlatAngle ? Family::kFlatCylinder : Family::kCurvedCylinder;

  const Point p = *m <= n ? (*m >= 1 ? nodePoint(family, n, *m, data) : Point{0.0, 0.0})
                          : linePoint(family, n, *m - n, *t, data);
  Real d[18];
  const int count = derivativesAt(family, n, p, data, d);
  // The functions fill 2 x count reals; the caller's array holds 2n.
  std::copy_n(d, 2 * std::min<Int>(count, n), derivatives);
}

}  // extern "C"
