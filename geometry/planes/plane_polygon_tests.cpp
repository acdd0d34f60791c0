// Plane fits and point-to-plane distances, tolerant orientation, intersection and containment
// tests in the plane, and the choice of the closest entity among a patch, an edge and a vertex.

#include <algorithm>
#include <cmath>
#include <string_view>

#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_messages.h"
#include "zmx/geometry/planes.h"

namespace {

constexpr Real kTiny = 1.0e-36;
constexpr Real kRelativeTie = 2.22e-16;
constexpr std::string_view kDegeneratePlane =
    "ERROR IN PLANEEQUATION.  UNABLE TO DETERMINE PLANE SURFACE.  THE SURFACE MAY BE SEVERELY DISTORTED";
static_assert(kDegeneratePlane.size() == 98);

void reportDegeneratePlane() {
  const Int level = -3, noInteger = 0;
  const Real noReal = 0.0;
  KVXERR(&level, kDegeneratePlane.data(), static_cast<Int>(kDegeneratePlane.size()), &noInteger, &noReal, " ", 1);
}

Real dot3(const Real* a, const Real* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Orientation of c seen from a -> b, as ICOUNTERCLOCKWISE.
Int orientation(const Real* a, const Real* b, const Real* c, Real tol, Real& runningMax) {
  return ICOUNTERCLOCKWISE(a, b, c, &tol, &runningMax);
}

// Two coordinates differ when their difference exceeds `relative` times the larger magnitude.
bool coordinatesDiffer(Real a, Real b, Real relative) {
  return std::fabs(a - b) > relative * std::fmax(std::fabs(a), std::fabs(b));
}

bool pointsDiffer(const Real* a, const Real* b, Real relative) {
  return coordinatesDiffer(a[0], b[0], relative) || coordinatesDiffer(a[1], b[1], relative);
}

const Real* vertex(const Real* vertices, Int ld, Int i) { return vertices + static_cast<long long>(i - 1) * ld; }

// P in the triangle of the three vertices (counter-clockwise, boundary inside).
bool inTriangle(const Real* p, const Real* v1, const Real* v2, const Real* v3, Real tol, Real& runningMax) {
  const Int a = orientation(v1, v2, p, tol, runningMax);
  const Int b = orientation(v2, v3, p, tol, runningMax);
  const Int c = orientation(v3, v1, p, tol, runningMax);
  return a >= 0 && b >= 0 && c >= 0;
}

// Test Bxy of the closest-entity rule: with x and y points a distance L apart, the foot of the
// perpendicular from the point on the line x-y lies beyond x (dy^2 - dx^2 > L^2).
bool beyond(Real dx, Real dy, Real length) {
  const Real sum = dx + dy;
  const Real q = sum <= kTiny * length * length ? std::fabs(dx - dy) : length * length / sum;
  return q + dx < dy;
}

}  // namespace

extern "C" {

void PLANEEQUATION(const Real* points, const Int* n, Real* normal, Real* centroid, Real* axes, Logical* xAxisFlag,
                   Real* vectors, const Logical* vectorsWanted) {
  const Real zero = 0.0;
  const Int three = 3;
  ASET(normal, &zero, &three);
  ASET(centroid, &zero, &three);
  const Int count = *n;
  const bool wantVectors = isTrueLowBit(*vectorsWanted);
  for (Int i = 1; i <= count; ++i) {
    const Real* c = points + 3 * (i - 1);
    const Real* d = points + 3 * (i == count ? 0 : i);
    normal[0] += (c[2] + d[2]) * (c[1] - d[1]);
    normal[1] += (c[0] + d[0]) * (c[2] - d[2]);
    normal[2] += (c[1] + d[1]) * (c[0] - d[0]);
    for (int k = 0; k < 3; ++k) centroid[k] += c[k];
    if (wantVectors) {
      const Real* b = points + 3 * (i == 1 ? count - 1 : i - 2);
      for (int k = 0; k < 3; ++k) vectors[3 * (i - 1) + k] = d[k] - b[k];
    }
  }
  // No points leave the centroid at zero (and the normal too, which the axes then report).
  if (count > 0)
    for (int k = 0; k < 3; ++k) centroid[k] /= count;

  Real unit[3];
  ACOPY(normal, unit, &three);
  Int status = 0;
  ANORM(unit, &three, &status);
  Real* e1 = axes;
  Real* e2 = axes + 3;
  // e2 perpendicular to the global x axis unless the normal lies (nearly) along it.
  const bool alongY = std::fabs(unit[0]) < 0.9999985;
  *xAxisFlag = toLogical(alongY);
  const Real a = alongY ? unit[1] : unit[0];
  const Real b = alongY ? unit[2] : unit[1];
  const Real length = std::sqrt(a * a + b * b);
  if (kTiny * std::fabs(a) < length && kTiny * std::fabs(b) < length) {
    if (alongY) {
      e2[0] = 0.0;
      e2[1] = unit[2] / length;
      e2[2] = -unit[1] / length;
    } else {
      e2[0] = unit[1] / length;
      e2[1] = -unit[0] / length;
      e2[2] = 0.0;
    }
  } else {
    reportDegeneratePlane();
  }
  AXPRD(e2, unit, e1);
}

void FNDMINDISTTOPLANE(const Real* normal, const Real* axes, const Real* origin, const Real* point, Real* foot,
                       Real* uv, Real* distance, Logical* failed) {
  *distance = -1.0e36;
  *failed = kFalse;
  const Real* e1 = axes;
  const Real* e2 = axes + 3;
  const Real r[3] = {point[0] - origin[0], point[1] - origin[1], point[2] - origin[2]};
  const Real a11 = dot3(e1, e1), a22 = dot3(e2, e2), a12 = dot3(e1, e2);
  const Real b1 = dot3(r, e1), b2 = dot3(r, e2);
  const Real det = a11 * a22 - a12 * a12;
  const Real us = b1 * a22 - b2 * a12, vs = b2 * a11 - b1 * a12;
  // Both coordinates are formed before a failure is reported.
  uv[0] = us;
  uv[1] = vs;
  if (std::fabs(det) <= kTiny * std::fabs(us))
    *failed = kTrue;
  else
    uv[0] = us / det;
  if (std::fabs(det) <= kTiny * std::fabs(vs))
    *failed = kTrue;
  else
    uv[1] = vs / det;
  if (*failed == kTrue) return;
  Real along = 0.0, squared = 0.0;
  for (int k = 0; k < 3; ++k) {
    foot[k] = origin[k] + uv[0] * e1[k] + uv[1] * e2[k];
    const Real d = foot[k] - point[k];
    along += d * normal[k];
    squared += d * d;
  }
  *distance = (along < 0.0 ? -1.0 : 1.0) * std::sqrt(squared);
}

Int ICOUNTERCLOCKWISE(const Real* p1, const Real* p2, const Real* p3, const Real* tol, Real* runningMax) {
  const Real ux = p2[0] - p1[0], uy = p2[1] - p1[1];
  const Real wx = p3[0] - p1[0], wy = p3[1] - p1[1];
  const Real l1 = ux * ux + uy * uy, l2 = wx * wx + wy * wy;
  const Real cross = ux * wy - uy * wx;
  const Real tc = *tol * std::fmax(std::fabs(ux * wy), std::fabs(uy * wx));
  const Real tl = *tol * std::fmax(l1, l2);
  *runningMax = std::fmax(*runningMax, tc);
  if (cross > tc) return 1;
  if (cross < -tc) return -1;
  if (l1 > tl && l2 > tl && (ux * wx < 0.0 || uy * wy < 0.0)) return -1;
  return l1 - l2 < -tl ? 1 : 0;
}

Logical FNDINTERSECTION(const Real* a, const Real* b, const Real* e, const Real* f, const Real* tol,
                        Real* runningMax) {
  *runningMax = 0.0;
  const bool segmentAB = pointsDiffer(a, b, kRelativeTie);
  const bool segmentEF = pointsDiffer(e, f, kRelativeTie);
  const Real t = *tol;
  bool meet;
  if (segmentAB && segmentEF) {
    meet = orientation(a, b, e, t, *runningMax) * orientation(a, b, f, t, *runningMax) <= 0 &&
           orientation(e, f, a, t, *runningMax) * orientation(e, f, b, t, *runningMax) <= 0;
  } else if (segmentAB) {
    meet = orientation(a, b, e, t, *runningMax) == 0;
  } else if (segmentEF) {
    meet = orientation(e, f, a, t, *runningMax) == 0;
  } else {
    meet = !pointsDiffer(a, e, kRelativeTie);
  }
  return toLogical(meet);
}

Logical INCLUDEDINTRIANGLE(const Real* p, const Real* vertices, const Int* ld, const Real* tol, Real* runningMax) {
  *runningMax = 0.0;
  return toLogical(inTriangle(p, vertex(vertices, *ld, 1), vertex(vertices, *ld, 2), vertex(vertices, *ld, 3), *tol,
                              *runningMax));
}

Logical INCLUDEDINQUAD(const Real* p, const Real* vertices, const Int* ld, const Real* tol, Real* runningMax) {
  *runningMax = 0.0;
  const Real *v1 = vertex(vertices, *ld, 1), *v2 = vertex(vertices, *ld, 2), *v3 = vertex(vertices, *ld, 3),
             *v4 = vertex(vertices, *ld, 4);
  // Both halves are tested, so the running maximum covers all six orientations.
  const bool first = inTriangle(p, v1, v2, v4, *tol, *runningMax);
  const bool second = inTriangle(p, v2, v3, v4, *tol, *runningMax);
  return toLogical(first || second);
}

Logical INCLUDEDINPOLYGON(const Real* p, const Real* vertices, const Int* n, const Int* ld, const Real* tol,
                          Real* runningMax) {
  *runningMax = 0.0;
  const Int count = *n;
  for (Int i = 1; i <= count; ++i)
    if (!pointsDiffer(p, vertex(vertices, *ld, i), kTiny)) return kTrue;

  Int start = 1;
  Real mx = 0.0, my = 0.0;
  for (Int i = 1; i <= count; ++i) {
    const Real* v = vertex(vertices, *ld, i);
    const Real* s = vertex(vertices, *ld, start);
    if (v[0] < s[0] || (v[0] == s[0] && v[1] <= s[1])) start = i;
    mx = std::fmax(mx, std::fabs(v[0]));
    my = std::fmax(my, std::fabs(v[1]));
  }
  if (std::fabs(p[0]) > mx || std::fabs(p[1]) > my) return kFalse;

  // A ray from P that passes through no vertex, turned by a degree at a time.
  const Real reach = 10.0 * mx - p[0];
  Real q[2] = {p[0] + reach, p[1]};
  for (int degrees = 0; degrees < 360; ++degrees) {
    const Real phi = degrees * 0.017453292519943295;
    q[0] = p[0] + reach * std::cos(phi);
    q[1] = p[1] + reach * std::sin(phi);
    bool blocked = false;
    for (Int i = 1; i <= count && !blocked; ++i) {
      const Real* v = vertex(vertices, *ld, i);
      Real used = 0.0;
      blocked = FNDINTERSECTION(v, v, p, q, tol, &used) == kTrue;
      *runningMax = std::fmax(*runningMax, used);
    }
    if (!blocked) break;
  }

  int crossings = 0;
  for (Int k = 0; k < count; ++k) {
    const Int a = (start - 1 + k) % count + 1;
    const Int before = a == 1 ? count : a - 1;
    Real used = 0.0;
    if (FNDINTERSECTION(vertex(vertices, *ld, a), vertex(vertices, *ld, before), p, q, tol, &used) == kTrue)
      ++crossings;
    *runningMax = std::fmax(*runningMax, used);
  }
  return toLogical(crossings % 2 == 1);
}

void FNDCLOSESTENTITY(const Real* d1, const Real* d2, const Real* d3, const Real* la, const Real* lb,
                      const Logical* f1, const Logical* f2, Int* code) {
  const Real p = *d1, e = *d2, v = *d3;
  const bool b12 = beyond(p, e, *la), b21 = beyond(e, p, *la);
  const bool b13 = beyond(p, v, *la), b31 = beyond(v, p, *la);
  const bool b23 = beyond(e, v, *lb), b32 = beyond(v, e, *lb);
  const bool vertexOnBoundary = isTrueLowBit(*f1), edgeOnBoundary = isTrueLowBit(*f2);
  if (!vertexOnBoundary && !edgeOnBoundary)
    *code = !(b13 || b23) ? 1 : (b12 ? 3 : 2);
  else if (!vertexOnBoundary)
    *code = !(b13 || b23) ? 1 : (b21 ? 0 : 3);
  else if (!edgeOnBoundary)
    *code = !(b12 || b32) ? 2 : (b31 ? 0 : 3);
  else
    *code = (b21 || b31) ? 0 : 3;
}

}  // extern "C"
