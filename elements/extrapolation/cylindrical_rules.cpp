// Extrapolation matrices of the cylindrical elements: an in-plane rule times three angular
// stations of integration points (in-plane point fastest). The sibling library gives the three
// station weights and angles; a node's weight for point (i, k) is the in-plane factor of point i
// at the node's in-plane position times the circular-arc interpolation value of station k at the
// node's angle. The nodes sit at the angular stations as the cylindrical element routines place
// them: the node's angle is the element's first, middle or last nodal angle.
#include "elements/extrapolation/rule_support.h"
#include "siblings/eqc/circular_arcs.h"
#include "zmx/elements/extrapolation.h"
#include "zmx/geometry/cylinders.h"

namespace zmx_extrapolation {
namespace {

// Angular station (1 first angle, 2 middle, 3 last) and in-plane position of a node.
struct StationSlot {
  int station;
  int position;
};

// The nodes of each station in in-plane order, per node layout.
struct StationTable {
  int perStation;
  int nodes[3][8];
};

constexpr StationTable kShell6{2, {{1, 2}, {6, 5}, {4, 3}}};
constexpr StationTable kShell9{3, {{1, 2, 5}, {8, 6, 9}, {4, 3, 7}}};
constexpr StationTable kSolid9{3, {{1, 2, 3}, {7, 8, 9}, {4, 5, 6}}};
constexpr StationTable kSolid12{4, {{1, 2, 3, 4}, {9, 10, 11, 12}, {5, 6, 7, 8}}};
constexpr StationTable kSolid18{6, {{1, 2, 3, 10, 11, 12}, {7, 8, 9, 16, 17, 18}, {4, 5, 6, 13, 14, 15}}};
constexpr StationTable kSolid24{8,
                                {{1, 2, 3, 4, 13, 14, 15, 16}, {9, 10, 11, 12, 21, 22, 23, 24}, {5, 6, 7, 8, 17, 18, 19, 20}}};

const StationTable& tableFor(bool solid, long long nn) {
  if (!solid) return nn == 6 ? kShell6 : kShell9;
  if (nn == 9) return kSolid9;
  if (nn == 12) return kSolid12;
  if (nn == 18) return kSolid18;
  return kSolid24;
}

// The slot of node n; station 0 when the layout has no such node.
StationSlot slotOf(const StationTable& table, long long n) {
  for (int s = 0; s < 3; ++s)
    for (int i = 0; i < table.perStation; ++i)
      if (table.nodes[s][i] == n) return {s + 1, i + 1};
  return {0, 0};
}

struct InPlane {
  int points;
  bool solid;
};

InPlane inPlaneOf(CylinderShape shape) {
  switch (shape) {
    case CylinderShape::Point:
      return {1, false};
    case CylinderShape::Line2:
      return {2, false};
    case CylinderShape::Quad4:
      return {4, true};
    case CylinderShape::Quad9:
      return {9, true};
    case CylinderShape::Triangle1:
      return {1, true};
    case CylinderShape::Triangle3:
      break;
  }
  return {3, true};
}

// In-plane factor of point i at in-plane position `position`.
Real inPlaneFactor(CylinderShape shape, int i, int position) {
  switch (shape) {
    case CylinderShape::Line2: {
      const Real x = position == 1 ? -1.0 : (position == 2 ? 1.0 : 0.0);
      return gauss2Factor(i, x);
    }
    case CylinderShape::Quad4: {
      const Point2& x = Layout<Point2>{kQuadNodes, 9}(position);
      return gauss2Factor((i - 1) % 2 + 1, x[0]) * gauss2Factor((i - 1) / 2 + 1, x[1]);
    }
    case CylinderShape::Quad9: {
      const Point2& x = Layout<Point2>{kQuadNodes, 8}(position);
      return gauss3Factor((i - 1) % 3 + 1, x[0]) * gauss3Factor((i - 1) / 3 + 1, x[1]);
    }
    case CylinderShape::Triangle3:
      return triangle3Weight(i, position);
    default:
      return 1.0;
  }
}

// In-plane share of point i in the element-centre value.
Real inPlaneCentre(CylinderShape shape, int i) {
  switch (shape) {
    case CylinderShape::Line2:
      return 0.5;
    case CylinderShape::Quad4:
      return 0.25;
    case CylinderShape::Quad9:
      return i == 5 ? 1.0 : 0.0;  // the 3 x 3 rule's centre is its middle point
    case CylinderShape::Triangle3:
      return 1.0 / 3.0;
    default:
      return 1.0;
  }
}

}  // namespace

void cylinderRule(Real* W, long long capacity, CylinderShape shape, long long nn, const Real* data, bool toNodes) {
  Real weights[3] = {}, angles[3] = {};
  EQC_CCYLWEIGHTS(weights, angles, data);
  const InPlane plane = inPlaneOf(shape);
  const Matrix w{W, 3 * plane.points, capacity};
  if (!toNodes) {
    const Real sum = weights[0] + weights[1] + weights[2];
    for (int k = 1; k <= 3; ++k)
      for (int i = 1; i <= plane.points; ++i)
        w.set(i + plane.points * (k - 1), 1, inPlaneCentre(shape, i) * weights[k - 1] / sum);
    return;
  }
  const StationTable& table = tableFor(plane.solid, nn);
  const Real relative[3] = {0.0, angles[1] - angles[0], angles[2] - angles[0]};
  Real N[3] = {}, dN[3] = {}, d2N[3] = {};
  int current = 0;
  for (long long n = 1; n <= nn; ++n) {
    const StationSlot slot = slotOf(table, n);
    if (slot.station == 0) continue;
    if (slot.station != current) {
      const Real theta = data[slot.station - 1] - angles[0];
      const Logical noSecond = kFalse;
      SHR_CCYLTHETA(N, dN, d2N, relative, &theta, &noSecond);
      current = slot.station;
    }
    for (int k = 1; k <= 3; ++k)
      for (int i = 1; i <= plane.points; ++i)
        w.set(i + plane.points * (k - 1), n, inPlaneFactor(shape, i, slot.position) * N[k - 1]);
  }
}

}  // namespace zmx_extrapolation

namespace x = zmx_extrapolation;
using x::CylinderShape;

extern "C" {

void SHR_LX2THETA(Real* W, const Int* nn, const Real* data, const Int* flag) {
  x::cylinderRule(W, x::kUnbounded, CylinderShape::Point, *nn, data, *flag != 0);
}
void SHR_LX3THETA(Real* W, const Int* nn, const Real* data, const Int* flag) {
  x::cylinderRule(W, x::kUnbounded, CylinderShape::Line2, *nn, data, *flag != 0);
}
void SHR_LX22THETA(Real* W, const Int* nn, const Real* data, const Int* flag) {
  x::cylinderRule(W, x::kUnbounded, CylinderShape::Quad4, *nn, data, *flag != 0);
}
void SHR_LX33THETA(Real* W, const Int* nn, const Real* data, const Int* flag) {
  x::cylinderRule(W, x::kUnbounded, CylinderShape::Quad9, *nn, data, *flag != 0);
}
void SHR_LXTRI9THETA(Real* W, const Int* nn, const Real* data, const Int* flag) {
  x::cylinderRule(W, x::kUnbounded, CylinderShape::Triangle1, *nn, data, *flag != 0);
}
void SHR_LXTRI18THETA(Real* W, const Int* nn, const Real* data, const Int* flag) {
  x::cylinderRule(W, x::kUnbounded, CylinderShape::Triangle3, *nn, data, *flag != 0);
}

}  // extern "C"
