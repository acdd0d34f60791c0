// The interpolation of a smoothed normal over one region of a facet: which region holds the point,
// the region's functions with their derivatives by the facet coordinates, and the caller's normal
// indices of the region's points. Lines, triangles and quadrilaterals share their regions with
// the smoothed normal; cylindrical facets add their own: on a curved facet the centre and the bands
// along the curved sides interpolate along the arc with the six-point cylindrical functions.

#include <cmath>

#include "geometry/cylinders/cylinder_functions.h"
#include "geometry/facets/facet_record.h"
#include "geometry/normals/facet_regions.h"
#include "geometry/support/geometry_report.h"
#include "siblings/eqc/facet_shapes.h"
#include "zmx/geometry/cylinders.h"
#include "zmx/geometry/normals.h"

namespace zmx::geometry {

namespace {

using regions::LocalPoint;
using regions::Part;
using regions::Shape;

constexpr Real kEps = regions::kTolerance;

// A region's interpolation: its local points (1-based, nn + k a normal point) and functions.
struct Interpolation {
  int count = 0;
  int points[6] = {};
  Real value[6] = {}, d1[6] = {}, d2[6] = {};
};

// Search orders: lines, triangles, quadrilaterals, each for narrow (f <= 0.25) and wide bands.
constexpr int kLineOrder[2][3] = {{1, 2, 3}, {2, 3, 1}};
constexpr int kTriangleOrder[2][7] = {{1, 2, 3, 4, 5, 6, 7}, {5, 6, 7, 2, 3, 4, 1}};
constexpr int kQuadOrder[2][9] = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {6, 7, 8, 9, 2, 3, 4, 5, 1}};

// A cylindrical facet's points follow the quadrilateral's, except that its edge points start at
// nn + 7 (nn + 5 and nn + 6 lie inside a curved facet's centre).
void shiftToCylinder(int nn, int (&points)[4]) {
  for (int& p : points)
    if (p >= nn + 5) p += 2;
}

bool planeRegion(Shape shape, int region, Real f, Real x1, Real x2, bool cylinder, int nn, Interpolation& in) {
  LocalPoint p;
  if (!regions::locate(shape, region, f, x1, x2, p)) return false;
  int points[4];
  in.count = regions::regionPoints(shape, region, nn, points);
  if (cylinder) shiftToCylinder(nn, points);
  for (int i = 0; i < in.count; ++i) in.points[i] = points[i];
  regions::regionWeights(shape, region, p, in.value, in.d1, in.d2);
  return true;
}

// ---- Curved cylindrical facets ------------------------------------------------------------------

// A curved cylindrical facet: eta the angle in [0, theta], the bands f theta wide along the
// straight edges eta = 0 and eta = theta.
struct CurvedFacet {
  Real theta;
  Real lowSide;   // angle of the middle node of the side xi = -1
  Real highSide;  // angle of the middle node of the side xi = 1
  int nn;
};

// The part of eta; eta - f theta in the centre (an angle), else the bilinear coordinate.
bool angleSide(Part part, Real f, const CurvedFacet& c, Real eta, Real& t, Real& dt) {
  const Real low = f * c.theta, high = (1.0 - f) * c.theta;
  switch (part) {
    case Part::kCentre:
      if (!(eta >= low - kEps && eta <= high + kEps)) return false;
      t = eta - low, dt = 1.0;
      return true;
    case Part::kLow:
      if (!(eta <= low + kEps)) return false;
      t = 2.0 * eta / low - 1.0, dt = 2.0 / low;
      return true;
    default:
      if (!(eta >= high - kEps)) return false;
      t = 2.0 * (eta - high) / low - 1.0, dt = 2.0 / low;
      return true;
  }
}

// The centre and the two bands along the curved sides: the six-point cylindrical functions over
// the region's arc of angle (1 - 2f) theta, with the region's middle angles.
void arcRegion(int region, Real f, const CurvedFacet& c, Real s, Real ds, Real angle, Interpolation& in) {
  const int nn = c.nn;
  const Real shift = f * c.theta;
  Real record[4] = {(1.0 - 2.0 * f) * c.theta, c.lowSide - shift, c.highSide - shift, 0.0};
  const int sideHigh = nn == 6 ? 5 : 6, sideLow = nn == 6 ? 6 : 8;
  int points[6] = {nn + 1, nn + 2, nn + 3, nn + 4, nn + 5, nn + 6};
  if (region == 3) {
    record[1] = record[2];
    const int band[6] = {nn + 2, nn + 9, nn + 10, nn + 3, sideHigh, nn + 5};
    for (int i = 0; i < 6; ++i) points[i] = band[i];
  } else if (region == 5) {
    record[2] = record[1];
    const int band[6] = {nn + 14, nn + 1, nn + 4, nn + 13, nn + 6, sideLow};
    for (int i = 0; i < 6; ++i) points[i] = band[i];
  }
  Real shape[18];
  const Int values = 0;
  INTSCYL6(&s, &angle, record, shape, &values);
  in.count = 6;
  for (int i = 0; i < 6; ++i) {
    in.points[i] = points[i];
    in.value[i] = shape[i], in.d1[i] = ds * shape[6 + i], in.d2[i] = shape[12 + i];
  }
}

bool curvedRegion(int region, Real f, const CurvedFacet& c, Real xi, Real eta, Interpolation& in) {
  const Part(&parts)[2] = regions::kQuadParts[region - 1];
  const bool alongArc = parts[1] == Part::kCentre;
  // The arc regions have no width, within the tests' tolerance, when the cylindrical functions
  // would take their arc for a flat one.
  if (alongArc && !((1.0 - 2.0 * f) * c.theta > kFlatAngle)) return false;
  if (parts[0] == Part::kCentre && 1.0 - 2.0 * f == 0.0) return false;
  LocalPoint p;
  if (!regions::onSide(parts[0], f, xi, p.t[0], p.dt[0][0])) return false;
  if (!angleSide(parts[1], f, c, eta, p.t[1], p.dt[1][1])) return false;
  if (alongArc) {
    arcRegion(region, f, c, p.t[0], p.dt[0][0], p.t[1], in);
    return true;
  }
  int points[4];
  regions::regionPoints(Shape::kQuadrilateral, region, c.nn, points);
  shiftToCylinder(c.nn, points);
  in.count = 4;
  for (int i = 0; i < 4; ++i) in.points[i] = points[i];
  regions::regionWeights(Shape::kQuadrilateral, region, p, in.value, in.d1, in.d2);
  return true;
}

// The bands and corners reach outward without bound, so a point just outside the facet takes the
// region next to it; a point farther outside than the rounding of its coordinates lies in none.
constexpr Real kOutside = 1e-12;

bool onFacet(Int family, const CurvedFacet* curved, Real x1, Real x2) {
  if (family == 2) return std::fabs(x1) <= 1.0 + kOutside;
  if (family == 3) return x1 >= -kOutside && x2 >= -kOutside && 1.0 - x1 - x2 >= -kOutside;
  if (!(std::fabs(x1) <= 1.0 + kOutside)) return false;
  if (curved != nullptr) return x2 >= -kOutside && x2 <= curved->theta + kOutside;
  return std::fabs(x2) <= 1.0 + kOutside;
}

// The first region of the search order that holds the point: centre first for narrow bands
// (f <= 0.25), corners first for wide ones.
bool findRegion(const FacetRecord& facet, Real x1, Real x2, Int k, Real f, bool cylindrical, const Real* cylinder,
                Interpolation& in) {
  const int nn = facet.nodes(), wide = f <= 0.25 ? 0 : 1;
  if (facet.family() == 2) {
    if (!onFacet(2, nullptr, x1, 0.0)) return false;
    for (int r : kLineOrder[wide])
      if (planeRegion(Shape::kLine, r, f, x1, 0.0, false, nn, in)) return true;
    return false;
  }
  regions::subFacetToTriangle(k, x1, x2);
  if (facet.family() == 3) {
    if (!onFacet(3, nullptr, x1, x2)) return false;
    for (int r : kTriangleOrder[wide])
      if (planeRegion(Shape::kTriangle, r, f, x1, x2, false, nn, in)) return true;
    return false;
  }
  if (cylindrical && std::fabs(cylinder[0]) > kFlatAngle) {
    const CurvedFacet c{cylinder[0], cylinder[1], nn == 6 ? cylinder[2] : cylinder[3], nn};
    if (!onFacet(4, &c, x1, x2)) return false;
    for (int r : kQuadOrder[wide])
      if (curvedRegion(r, f, c, x1, x2, in)) return true;
    return false;
  }
  if (!onFacet(4, nullptr, x1, x2)) return false;
  for (int r : kQuadOrder[wide])
    if (planeRegion(Shape::kQuadrilateral, r, f, x1, x2, cylindrical, nn, in)) return true;
  return false;
}

}  // namespace

}  // namespace zmx::geometry

using namespace zmx::geometry;

extern "C" {

void COMPUTE_NORMAL_INTERP(const Real* xi, const Real* eta, const Int* k, const Int* record, Real* f, Int* m,
                           Real* shape, Int* indices, const Int* cylindrical, const Real* cylinder) {
  const Real width = regions::clampWidth(*f);
  *f = width;
  const FacetRecord facet{record};
  Interpolation in;
  if (!findRegion(facet, *xi, *eta, *k, width, *cylindrical == 1, cylinder, in)) {
    report(kSystemError, "SYSTEM ERROR IN compute_normal_interp - FAILURE TO FIND THE REGION ON THE FACET");
    *m = 0;
    return;
  }
  *m = in.count;
  for (int i = 0; i < in.count; ++i) {
    shape[i] = in.value[i];
    shape[in.count + i] = in.d1[i];
    shape[2 * in.count + i] = in.d2[i];
    indices[i] = facet.point(in.points[i]);
  }
}

}  // extern "C"
