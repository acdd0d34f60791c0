// Perpendicular projection of a point onto one curve segment: straight, quadratic three-node, or
// three nodes on a circular arc. The feet are found first (FNDPERPDISTTOCURVE), then turned into
// points, tangents and distances (GETPERPDISTTOCURVE); CDISTTOCURVE carries what the second call
// needs from the first.

#include <cmath>

#include "geometry/cylinders/cylinder_functions.h"
#include "runtime/record.h"
#include "zmx/geometry/projection.h"
#include "zmx/numerics/dense.h"

extern "C" {
constinit CDISTTOCURVE_t CDISTTOCURVE = {};
}

namespace {

// Reals of CDISTTOCURVE (1-based).
constexpr int kStraightLength = 1;
constexpr int kChordDot = 2;
constexpr int kChordSquare = 3;
constexpr int kCoefficients = 4;
constexpr int kKinkCosine = 8;
constexpr int kUnfiltered = 9;
constexpr int kFeet = 12;
constexpr int kTangents = 21;
constexpr int kTangentLengths = 30;
constexpr int kUnfilteredCount = 33;

Real getReal(int k) { return rec::r(CDISTTOCURVE, 2 * k - 1); }
void setReal(int k, Real value) { rec::setR(CDISTTOCURVE, 2 * k - 1, value); }

constexpr Real kTiny = 1e-36;
constexpr Real kFlat = 2.22e-16;
constexpr Real kStraightKink = 0.996194698092;  // cos 5 degrees

// Vectors of the segment with z only in three dimensions.
struct Vec {
  Real v[3] = {0, 0, 0};
};
Vec node(const Real* y, int j, bool plane) {
  Vec a;
  for (int i = 0; i < (plane ? 2 : 3); ++i) a.v[i] = y[3 * (j - 1) + i];
  return a;
}
Vec point(const Real* p, bool plane) {
  Vec a;
  for (int i = 0; i < (plane ? 2 : 3); ++i) a.v[i] = p[i];
  return a;
}
Vec combine(Real a, const Vec& x, Real b, const Vec& y, Real c = 0.0, const Vec& z = {}) {
  Vec r;
  for (int i = 0; i < 3; ++i) r.v[i] = a * x.v[i] + b * y.v[i] + c * z.v[i];
  return r;
}
Real dot(const Vec& a, const Vec& b) { return a.v[0] * b.v[0] + a.v[1] * b.v[1] + a.v[2] * b.v[2]; }
Real length(const Vec& a) { return std::sqrt(dot(a, a)); }

// Scales a to unit length when it has one; its Euclidean length either way.
Real normalise(Vec& a) {
  const Real l = length(a);
  if (l * l >= kTiny) {
    const Real inverse = 1.0 / l;
    for (Real& c : a.v) c *= inverse;
  }
  return l;
}

// A cylindrical segment whose end angle vanishes is an ordinary three-node segment.
bool arcSegment(const Logical* cylindrical, const Real* angles) {
  return isTrueLowBit(*cylindrical) && std::fabs(angles[0]) > kFlat;
}

// The point (and tangent) of a three-node segment at s.
void quadraticAt(const Real* y, Real s, bool plane, Vec& x, Vec& t) {
  const Vec y1 = node(y, 1, plane), y2 = node(y, 2, plane), y3 = node(y, 3, plane);
  x = combine((s - 1.0) * (2.0 * s - 1.0), y1, -4.0 * s * (s - 1.0), y2, s * (2.0 * s - 1.0), y3);
  t = combine(4.0 * s - 3.0, y1, 4.0 * (1.0 - 2.0 * s), y2, 4.0 * s - 1.0, y3);
}

void setVector(int first, const Vec& a) {
  for (int i = 0; i < 3; ++i) setReal(first + i, a.v[i]);
}
Vec getVector(int first) {
  Vec a;
  for (int i = 0; i < 3; ++i) a.v[i] = getReal(first + i);
  return a;
}

// Distance of the foot from p: signed in two dimensions (positive with p to the right of the
// segment's direction), else unsigned.
Real footDistance(const Vec& foot, const Vec& unitTangent, const Real* p, bool plane) {
  if (plane) return unitTangent.v[0] * (foot.v[1] - p[1]) - unitTangent.v[1] * (foot.v[0] - p[0]);
  return length(combine(1.0, foot, -1.0, point(p, false)));
}

// Newton's method on the angle of a cylindrical segment; false when it does not converge.
bool arcFoot(const Real* y, const Real* p, const Real* angles, Real& theta) {
  const Vec y1 = node(y, 1, false), y2 = node(y, 2, false), y3 = node(y, 3, false);
  const Real scale = length(combine(1.0, y2, -1.0, y1)) + length(combine(1.0, y3, -1.0, y2));
  const Real nodal[3] = {0.0, angles[1], angles[0]};
  theta = 0.5 * angles[0];
  for (int pass = 1; pass <= 11; ++pass) {
    Real n[3], dn[3], ddn[3];
    zmx::geometry::arcFunctions(nodal, theta, true, n, dn, ddn);
    const Vec x = combine(n[0], y1, n[1], y2, n[2], y3);
    const Vec t = combine(dn[0], y1, dn[1], y2, dn[2], y3);
    const Vec a = combine(ddn[0], y1, ddn[1], y2, ddn[2], y3);
    setVector(kFeet, x);
    setVector(kTangents, t);
    const Vec r = combine(1.0, point(p, false), -1.0, x);
    const Real g = dot(r, t), h = dot(r, a) - dot(t, t);
    if (length(r) <= 1e-8 * scale || std::fabs(g) <= 1e-6 * length(r) * length(t)) return true;
    if (!(std::fabs(h) > kTiny)) return false;
    const Real step = -g / h;
    theta += step;
    if (std::fabs(step) <= 1e-8 * angles[0]) return true;
  }
  return false;
}

// Newton's method on the cubic from the chord projection; false without convergence.
bool nearlyStraightFoot(const Real* y, const Real* p, bool plane, const Real* c, Real& s) {
  const Vec chord = combine(1.0, node(y, 3, plane), -1.0, node(y, 1, plane));
  const Vec d = combine(1.0, node(y, 1, plane), -1.0, point(p, plane));
  const Real cd = dot(chord, d), cc = dot(chord, chord);
  setReal(kChordDot, cd);
  setReal(kChordSquare, cc);
  s = std::fabs(cc) <= kTiny * std::fabs(cd) ? 1e18 : -cd / cc;
  for (int step = 0; step < 20; ++step) {
    const Real f = c[0] + s * (c[1] + s * (c[2] + s * c[3]));
    const Real slope = c[1] + s * (2.0 * c[2] + 3.0 * s * c[3]);
    if (!(std::fabs(slope) > kTiny)) return false;
    const Real delta = -f / slope;
    s += delta;
    if (std::fabs(delta) < 1e-8) return true;
  }
  return false;
}

}  // namespace

extern "C" {

void PERPDISTTOCURVECOEF(const Real* y, const Real* p, const Logical* straight, const Logical* plane) {
  const bool flat = isTrueLowBit(*plane);
  const Vec y1 = node(y, 1, flat), y2 = node(y, 2, flat);
  const Vec d = combine(1.0, y1, -1.0, point(p, flat));
  Real c[4];
  if (isTrueLowBit(*straight)) {
    const Vec side = combine(1.0, y2, -1.0, y1);
    const Real l = length(side);
    const Real inverse = l * l >= kTiny ? 1.0 / l : 1.0;
    setReal(kStraightLength, l);
    c[0] = inverse * dot(side, d), c[1] = inverse * dot(side, side), c[2] = c[3] = 0.0;
  } else {
    const Vec y3 = node(y, 3, flat);
    const Vec a = combine(3.0, y1, -4.0, y2, 1.0, y3), b = combine(1.0, y1, -2.0, y2, 1.0, y3);
    c[0] = -dot(d, a), c[1] = 4.0 * dot(d, b) + dot(a, a), c[2] = -6.0 * dot(a, b), c[3] = 8.0 * dot(b, b);
  }
  for (int k = 0; k < 4; ++k) setReal(kCoefficients + k, c[k]);
}

void GETVERTEXDIST(const Real* a, const Real* b, Real* distance, const Logical* plane) {
  const bool flat = isTrueLowBit(*plane);
  *distance = length(combine(1.0, point(a, flat), -1.0, point(b, flat)));
}

void FNDPERPDISTTOCURVE(const Real* y, const Real* p, Real* parameters, Int* count, const Logical* straightFlag,
                        const Real* tolerance, const Logical* plane, const Logical* filter, const Logical* cylindrical,
                        const Real* angles, Logical* found) {
  *count = 0;
  *found = kFalse;
  const Real tol = *tolerance;
  if (arcSegment(cylindrical, angles)) {
    Real theta = 0.0;
    if (!arcFoot(y, p, angles, theta)) return;
    if (isTrueLowBit(*filter) && !(theta >= -tol * angles[0] && theta <= (1.0 + tol) * angles[0])) return;
    parameters[0] = theta;
    *count = 1;
    *found = kTrue;
    return;
  }
  const bool straight = isTrueLowBit(*straightFlag) && !isTrueLowBit(*cylindrical);
  const Logical straightLogical = toLogical(straight);
  PERPDISTTOCURVECOEF(y, p, &straightLogical, plane);
  Real c[4];
  for (int k = 0; k < 4; ++k) c[k] = getReal(kCoefficients + k);
  const bool flat = isTrueLowBit(*plane);
  if (straight) {
    parameters[0] = std::fabs(c[1]) <= kTiny * std::fabs(c[0]) ? 1e18 : -c[0] / c[1];
    *count = 1;
  } else {
    Vec first = combine(1.0, node(y, 2, flat), -1.0, node(y, 1, flat));
    Vec second = combine(1.0, node(y, 3, flat), -1.0, node(y, 2, flat));
    normalise(first);
    normalise(second);
    const Real kink = dot(first, second);
    setReal(kKinkCosine, kink);
    if (kink <= kStraightKink) {
      SOLVECUBIC(c, parameters, count);
    } else {
      Real s = 0.0;
      if (nearlyStraightFoot(y, p, flat, c, s)) parameters[0] = s, *count = 1;
    }
  }
  if (isTrueLowBit(*filter)) {
    for (int k = 0; k < 3; ++k) setReal(kUnfiltered + k, k < *count ? parameters[k] : 0.0);
    rec::setSlotI(CDISTTOCURVE.w, kUnfilteredCount, *count);
    Int kept = 0;
    for (Int k = 0; k < *count; ++k)
      if (parameters[k] > -tol && parameters[k] < 1.0 + tol) parameters[kept++] = parameters[k];
    *count = kept;
  }
  *found = toLogical(*count != 0);
}

void GETPERPDISTTOCURVE(const Real* y, const Real* p, const Real* parameters, const Int* count, Real* distances,
                        const Real* fraction, Real* lengthTolerance, const Logical* straightFlag, const Logical* plane,
                        const Logical* cylindrical, const Real* angles) {
  const bool flat = isTrueLowBit(*plane);
  if (arcSegment(cylindrical, angles)) {
    const Vec y1 = node(y, 1, false), y2 = node(y, 2, false), y3 = node(y, 3, false);
    const Vec foot = getVector(kFeet);
    const Logical no = kFalse;
    GETVERTEXDIST(foot.v, p, &distances[0], &no);
    *lengthTolerance = (length(combine(1.0, y2, -1.0, y1)) + length(combine(1.0, y3, -1.0, y2))) * *fraction;
    return;
  }
  if (isTrueLowBit(*straightFlag) && !isTrueLowBit(*cylindrical)) {
    // The point at the first parameter and the unit tangent go to the record for the caller even
    // when the filter dropped that foot (the parameter array always holds three reals); a distance
    // is written only for a foot that is counted.
    const Vec y1 = node(y, 1, flat);
    Vec t = combine(1.0, node(y, 2, flat), -1.0, y1);
    const Vec foot = combine(1.0, y1, parameters[0], t);
    const Real l = normalise(t);
    setVector(kFeet, foot);
    setVector(kTangents, t);
    setReal(kTangentLengths, l);
    if (*count >= 1) distances[0] = footDistance(foot, t, p, flat);
    *lengthTolerance = l * *fraction;
    return;
  }
  const Int feet = *count;
  for (int k = 0; k < 3 * feet; ++k) setReal(kFeet + k, 0.0), setReal(kTangents + k, 0.0);
  Real last = -1.0;
  for (Int i = 0; i < feet; ++i) {
    Vec x, t;
    quadraticAt(y, parameters[i], flat, x, t);
    setVector(kFeet + 3 * i, x);
    const Real l = normalise(t);
    setVector(kTangents + 3 * i, t);
    setReal(kTangentLengths + i, l);
    distances[i] = footDistance(x, t, p, flat);
    last = l;
  }
  // Without feet the chord scales the tolerance.
  if (last < 0.0) last = length(combine(1.0, node(y, 3, flat), -1.0, node(y, 1, flat)));
  *lengthTolerance = last * *fraction;
}

}  // extern "C"
