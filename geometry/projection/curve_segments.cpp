// The nearest perpendicular foot of a point on one curve segment (straight, quadratic, two
// straight halves, or a circular arc), and the shortest side of a facet's corner polygon.

#include <cmath>

#include "geometry/cylinders/cylinder_functions.h"
#include "zmx/geometry/projection.h"

namespace {

constexpr Real kNone = 1e36;

struct Nearest {
  Real s = 0.0, distance = kNone;
  bool found = false;
};

// The feet of one segment and the one nearest to p (the first of equal distances).
Nearest nearestFoot(const Real* y, const Real* p, bool straight, const Real* tolerance, const Logical* plane,
                    const Logical* filter, Real* workTolerance, bool cylindrical, const Real* angles) {
  Real roots[3], distances[3];
  Int count = 0;
  Logical found = kFalse;
  const Logical straightFlag = toLogical(straight), cylindricalFlag = toLogical(cylindrical);
  FNDPERPDISTTOCURVE(y, p, roots, &count, &straightFlag, tolerance, plane, filter, &cylindricalFlag, angles, &found);
  Nearest best;
  if (!isTrueLowBit(found)) return best;
  GETPERPDISTTOCURVE(y, p, roots, &count, distances, tolerance, workTolerance, &straightFlag, plane, &cylindricalFlag,
                     angles);
  for (Int k = 0; k < count; ++k) {
    if (std::fabs(distances[k]) < best.distance) {
      best.distance = std::fabs(distances[k]);
      best.s = roots[k];
      best.found = true;
    }
  }
  return best;
}

// a + t (b - a) into foot, dim components.
void along(const Real* a, const Real* b, Real t, int dim, Real* foot) {
  for (int i = 0; i < dim; ++i) foot[i] = (1.0 - t) * a[i] + t * b[i];
}

}  // namespace

extern "C" {

void CALPERPDISTTOCURVE(const Real* y, const Real* p, Real* s, Real* distance, const Logical* straightFlag,
                        const Real* tolerance, const Logical* plane, const Logical* split, const Logical* filter,
                        Real* workTolerance, Real* foot, const Logical* cylindricalFlag, const Real* angles) {
  const int dim = isTrueLowBit(*plane) ? 2 : 3;
  *distance = kNone;
  *s = 0.0;
  *workTolerance = *tolerance;
  for (int i = 0; i < dim; ++i) foot[i] = kNone;
  if (isTrueLowBit(*split)) {
    // Both straight halves; the nearer wins, the first on a tie.
    Real second[9] = {};
    for (int i = 0; i < 6; ++i) second[i] = y[3 + i];
    const Nearest a = nearestFoot(y, p, true, tolerance, plane, filter, workTolerance, false, angles);
    const Nearest b = nearestFoot(second, p, true, tolerance, plane, filter, workTolerance, false, angles);
    if (a.found && (!b.found || a.distance <= b.distance)) {
      *distance = a.distance;
      *s = a.s <= 1.0 ? a.s / 2.0 : 0.5;
      along(y, y + 3, a.s, dim, foot);
    } else if (b.found) {
      *distance = b.distance;
      *s = b.s >= 0.0 ? (b.s + 1.0) / 2.0 : 0.5;
      along(y + 3, y + 6, b.s, dim, foot);
    }
    return;
  }
  const bool straight = isTrueLowBit(*straightFlag);
  const bool cylindrical = isTrueLowBit(*cylindricalFlag);
  const Nearest best = nearestFoot(y, p, straight, tolerance, plane, filter, workTolerance, cylindrical, angles);
  if (!best.found) return;
  *distance = best.distance;
  *s = best.s;
  const Real t = best.s;
  if (cylindrical && std::fabs(angles[0]) > 2.22e-16) {
    // On the arc the parameter is the angle from node 1.
    const Real nodal[3] = {0.0, angles[1], angles[0]};
    Real n[3], dn[3], ddn[3];
    zmx::geometry::arcFunctions(nodal, t, false, n, dn, ddn);
    for (int i = 0; i < 3; ++i) foot[i] = n[0] * y[i] + n[1] * y[3 + i] + n[2] * y[6 + i];
  } else if (straight && !cylindrical) {
    along(y, y + 3, t, dim, foot);
  } else {
    const Real n1 = (t - 1.0) * (2.0 * t - 1.0), n2 = -4.0 * t * (t - 1.0), n3 = t * (2.0 * t - 1.0);
    for (int i = 0; i < dim; ++i) foot[i] = n1 * y[i] + n2 * y[3 + i] + n3 * y[6 + i];
  }
}

void CALMINEDGELEN(const Int* n, const Int* m, Real* length, const Real* x) {
  Real shortest = 1e36;
  const long long ld = *m;
  for (Int i = 0; i < *n; ++i) {
    const Real* a = x + i * ld;
    const Real* b = x + ((i + 1) % *n) * ld;
    Real square = 0.0;
    for (long long c = 0; c < ld; ++c) square += (b[c] - a[c]) * (b[c] - a[c]);
    if (square < shortest) shortest = square;
  }
  *length = std::sqrt(shortest);
}

}  // extern "C"
