// The regions of a facet over which a smoothed normal is interpolated, shared by the smoothed
// normal and the region interpolation: a centre, bands of width d along the edges and regions at
// the corners, each mapped onto its own reference element.
//
// Coordinates: a line xi in [-1, 1]; a triangle the area coordinates (u, v) of vertices 2 and 3;
// a quadrilateral (xi, eta) in [-1, 1]^2. The normal points that the regions interpolate between
// (local point numbers after the nn facet nodes), with e = 1 - 2d:
//   line: nn+1 at -e, nn+2 at e;
//   triangle: centre corners nn+1 (2d/3, 2d/3), nn+2 (1 - 4d/3, 2d/3), nn+3 (2d/3, 1 - 4d/3);
//     edge points nn+4 (d, 0), nn+5 (1 - d, 0), nn+6 (1 - d, d), nn+7 (d, 1 - d), nn+8 (0, 1 - d),
//     nn+9 (0, d);
//   quadrilateral: centre corners nn+1 (-e, -e), nn+2 (e, -e), nn+3 (e, e), nn+4 (-e, e); edge
//     points nn+5 (-e, -1), nn+6 (e, -1), nn+7 (1, -e), nn+8 (1, e), nn+9 (e, 1), nn+10 (-e, 1),
//     nn+11 (-1, e), nn+12 (-1, -e).
// Regions: line 1 centre, 2 band at node 1, 3 band at node 2; triangle 1 centre, 2 to 4 the bands
// along the edges 1-2, 2-3, 3-1, 5 to 7 the corners at vertices 1 to 3; quadrilateral 1 centre,
// 2 to 5 the bands along eta = -1, xi = 1, eta = 1, xi = -1, 6 to 9 the corners at nodes 1 to 4.
#pragma once

#include "runtime/fortran_types.h"

namespace zmx::geometry::regions {

enum class Shape { kLine, kTriangle, kQuadrilateral };

inline constexpr Real kTolerance = 2.22e-16;
inline constexpr Real kLeastWidth = 1e-36;

// The band width raised to at least 1e-36. A width above 1/2 is kept: the centre and the bands
// are then empty and the corners overlap, the first in the search order taking the point.
Real clampWidth(Real d);

// True when the facet defines the region and it has a width (with d = 0.5 the centre and the
// bands have none, and the corners tile the facet).
bool usable(Shape shape, int region, Real d);

// A point in a region's own coordinates (t1, t2) and their derivatives dt[a][b] by the facet
// coordinate b (0 xi or u, 1 eta or v).
struct LocalPoint {
  Real t[2] = {0.0, 0.0};
  Real dt[2][2] = {{0.0, 0.0}, {0.0, 0.0}};
};

// True when the region holds (x1, x2) (tests widened by 2.22e-16, by 2.22e-16 / d in the local
// coordinates of the triangle's corners); p then holds the point's local coordinates.
bool locate(Shape shape, int region, Real d, Real x1, Real x2, LocalPoint& p);

// The derivatives of the local coordinates at the local point p.t of the region (the inverse of
// the corner map's Jacobian for the triangle's corners; constants elsewhere).
void localDerivatives(Shape shape, int region, Real d, LocalPoint& p);

// The region's local point numbers (1-based, nn + k the k-th normal point) in the node order of
// its reference element; gives their count (2, 3 or 4). A line's end nodes are 1 and 2, or 1 and
// 3 on a 3-node line, whose node 2 is its middle.
int regionPoints(Shape shape, int region, int nn, int (&points)[4]);

// The region's functions at p: values, derivatives by the facet coordinates (count of them, as
// regionPoints gives).
int regionWeights(Shape shape, int region, const LocalPoint& p, Real* value, Real* d1, Real* d2);

// Carries a point of the sub-quadrilateral k (1 to 3) of a 6-node triangle to the triangle's area
// coordinates; any other k leaves it as it is.
void subFacetToTriangle(Int k, Real& xi, Real& eta);

// The (1 - 2d)-wide centre and d-wide bands of one coordinate in [-1, 1]: which part holds x, and
// its local coordinate with the derivative.
enum class Part { kCentre, kLow, kHigh };
bool onSide(Part part, Real d, Real x, Real& t, Real& dt);

// Quadrilateral regions 1 to 9 as the parts of xi and eta that make them.
inline constexpr Part kQuadParts[9][2] = {
    {Part::kCentre, Part::kCentre}, {Part::kCentre, Part::kLow}, {Part::kHigh, Part::kCentre},
    {Part::kCentre, Part::kHigh},   {Part::kLow, Part::kCentre}, {Part::kLow, Part::kLow},
    {Part::kHigh, Part::kLow},      {Part::kHigh, Part::kHigh},  {Part::kLow, Part::kHigh}};

}  // namespace zmx::geometry::regions
