// Sharp folds of rigid slide lines: where two neighbouring segments turn back on each other, the
// searches must not hand a slave node from one segment to the other in the ordinary way. The
// junction is classified by the turn of the segment directions (and, for a sharp clockwise turn,
// by whether the turn had the same sense at the start of the increment); a fold then projects a
// node of one segment onto the other.

#include <algorithm>
#include <cmath>
#include <limits>

#include "zmx/geometry/sharp_folds.h"

namespace {

constexpr Real kUnset = 1.0e36;
constexpr Real kTiny = 1.0e-36;
constexpr Real kSmallestClockwiseSine = -0.001;
constexpr Real kStraightLimit = 0.78;   // opening angle below which a straight fold is sharp
constexpr Real kCurvedLimit = 0.52;     // the same for three-node segments
constexpr Real kNewtonStep = 2.22e-16;
constexpr int kNoFold = 0, kCounterClockwise = 1, kOnSegment = 2, kSharpClockwise = 3;

// Column-major access to a coordinate array, nodes and rows 1-based.
struct Nodes {
  const Real* x;
  long ld;
  Real at(Int row, Int node) const { return x[(row - 1) + (static_cast<long>(node) - 1) * ld]; }
};

struct PlaneDirection {
  Real x, y;
};

PlaneDirection planeDifference(const Nodes& x, Int from, Int to) {
  return {x.at(1, to) - x.at(1, from), x.at(2, to) - x.at(2, from)};
}

// Code of the turn from direction a (into the shared node) to b (out of it); a0 and b0 are the
// same directions at the start of the increment.
int classifyTurn(PlaneDirection a, PlaneDirection b, PlaneDirection a0, PlaneDirection b0, Real tolerance,
                 Int sharpSwitch, Int crossingSwitch, Real angleLimit) {
  // No fold where the directions do not turn back (a zero direction included), so the common
  // case needs no square root.
  const Real dot = a.x * b.x + a.y * b.y;
  if (dot >= 0.0) return kNoFold;
  const Real la = std::max(std::sqrt(a.x * a.x + a.y * a.y), kTiny);
  const Real lb = std::max(std::sqrt(b.x * b.x + b.y * b.y), kTiny);
  if (la == kTiny || lb == kTiny) return kNoFold;
  const Real cross = a.x * b.y - a.y * b.x;
  Real sine = cross / (la * lb);
  if (sine > kSmallestClockwiseSine && sine < 0.0) sine = kSmallestClockwiseSine;
  const Real phi = std::asin(std::clamp(sine, -1.0, 1.0));
  if (phi >= 0.0) return kCounterClockwise;
  if (sharpSwitch != 0 || -phi >= angleLimit) return kNoFold;
  if (crossingSwitch == 1) return kSharpClockwise;
  const Real crossAtStart = a0.x * b0.y - a0.y * b0.x;
  return cross * crossAtStart <= std::max(-dot * tolerance, kTiny) ? kSharpClockwise : kNoFold;
}

// The direction from node `from` to node `to` at the start of the increment.
PlaneDirection startDifference(const Nodes& x, const Nodes& y, Int from, Int to) {
  const PlaneDirection now = planeDifference(x, from, to);
  const PlaneDirection moved = planeDifference(y, from, to);
  return {now.x - moved.x, now.y - moved.y};
}

// Rows the projection reads: as many as asked, never past a node's column (nor past `most`).
int coordinateCount(const Int* ncoord, const Int* ldx, int most) {
  return std::clamp(*ncoord, 0, std::clamp(*ldx, 0, most));
}

}  // namespace

extern "C" {

ZMX_EXPORT void CHECKSHARPFOLD1(Int* CODE, Real* DIST2, Real* XI, const Logical* TOWARDS, const Int* I,
                                const Int* J, const Int* K, const Real* X, const Real* Y, const Real* TOL,
                                const Int* SHARP, const Int* LDX, const Int* LDY, const Int* NCOORD,
                                const Int* CROSSING) {
  *CODE = kNoFold;
  *DIST2 = kUnset;
  *XI = 0.0;
  const Nodes x{X, *LDX}, y{Y, *LDY};
  const int code = classifyTurn(planeDifference(x, *I, *J), planeDifference(x, *J, *K), startDifference(x, y, *I, *J),
                                startDifference(x, y, *J, *K), *TOL, *SHARP, *CROSSING, kStraightLimit);
  *CODE = code;
  if (code != kCounterClockwise && code != kSharpClockwise) return;

  // The segment Q-R carries xi = +1 at Q and -1 at R.
  const bool towards = isTrueLowBit(*TOWARDS);
  const Int p = towards ? *I : *K, q = towards ? *K : *J, r = towards ? *J : *I;
  const int n = coordinateCount(NCOORD, LDX, std::numeric_limits<int>::max());
  Real tt = 0.0, tu = 0.0, uu = 0.0;
  for (int i = 1; i <= n; ++i) {
    const Real t = x.at(i, p) - x.at(i, q), u = (x.at(i, q) - x.at(i, r)) / 2.0;
    tt += t * t, tu += t * u, uu += u * u;
  }
  // A segment without length over the projected rows (fewer than the plane's two) gives no
  // projection: xi and the distance keep their unset values rather than a NaN.
  if (uu == 0.0) return;
  const Real xi = 1.0 + tu / uu;
  *XI = xi;
  if (std::fabs(xi) <= 1.0) {
    *DIST2 = tt - (1.0 - xi) * (1.0 - xi) * uu;
    if (code == kSharpClockwise) *CODE = kOnSegment;
  }
}

ZMX_EXPORT void CHECKSHARPFOLD2(Int* CODE, Real* DIST2, Real* XI, const Logical* TOWARDS, const Int* N1,
                                const Int* N2, const Int* N3, const Int* N4, const Int* N5, const Real* X,
                                const Real* Y, const Real* TOL, const Int* SHARP, const Int* LDX, const Int* LDY,
                                const Int* NCOORD, const Int* CROSSING, const Logical* MIDDLE) {
  *CODE = kNoFold;
  *DIST2 = kUnset;
  *XI = 0.0;
  const Nodes x{X, *LDX}, y{Y, *LDY};
  const bool middle = isTrueLowBit(*MIDDLE);
  const Int inFrom = middle ? *N2 : *N1, outTo = middle ? *N4 : *N5;
  const int code = classifyTurn(planeDifference(x, inFrom, *N3), planeDifference(x, *N3, outTo),
                                startDifference(x, y, inFrom, *N3), startDifference(x, y, *N3, outTo), *TOL, *SHARP,
                                *CROSSING, kCurvedLimit);
  *CODE = code;
  if (code != kCounterClockwise && code != kSharpClockwise) return;

  // Segment A-M-B with xi = -1, 0, +1 at its nodes: X(xi) = XM + xi e + xi^2 f.
  const bool towards = isTrueLowBit(*TOWARDS);
  const Int a = towards ? *N3 : *N1, m = towards ? *N4 : *N2, b = towards ? *N5 : *N3;
  const Int p = towards ? (middle ? *N2 : *N1) : (middle ? *N4 : *N5);
  const int n = coordinateCount(NCOORD, LDX, 3);
  Real e[3] = {}, f[3] = {}, d[3] = {};
  for (int i = 0; i < n; ++i) {
    e[i] = (x.at(i + 1, b) - x.at(i + 1, a)) / 2.0;
    f[i] = (x.at(i + 1, a) + x.at(i + 1, b) - 2.0 * x.at(i + 1, m)) / 2.0;
    d[i] = x.at(i + 1, m) - x.at(i + 1, p);
  }
  Real k0 = 0.0, k1 = 0.0, k2 = 0.0, k3 = 0.0;
  for (int i = 0; i < n; ++i) {
    k0 += e[i] * d[i];
    k1 += 2.0 * f[i] * d[i] + e[i] * e[i];
    k2 += 3.0 * e[i] * f[i];
    k3 += 2.0 * f[i] * f[i];
  }
  const auto g = [&](Real s) { return ((k3 * s + k2) * s + k1) * s + k0; };
  const auto negative = [](Real v) { return v < 0.0; };

  // Bisection over [-1, 1 + tol]; each moved end takes the value just evaluated.
  const Real tol = *TOL;
  Real xi = tol / 2.0, half = 1.0 + tol / 2.0;
  Real gLower = g(-1.0), gUpper = g(1.0 + tol);
  for (int step = 0; step < 5; ++step) {
    half /= 2.0;
    const Real v = g(xi);
    if (negative(v) != negative(gLower)) {
      xi -= half;
      gUpper = v;
    } else if (negative(v) != negative(gUpper)) {
      xi += half;
      gLower = v;
    } else {
      xi = 1.0 + tol;
      break;
    }
  }
  for (int step = 0; step < 5; ++step) {
    const Real slope = (3.0 * k3 * xi + 2.0 * k2) * xi + k1;
    if (std::fabs(slope) <= kTiny) break;
    const Real delta = g(xi) / slope;
    xi -= delta;
    if (std::fabs(delta) < kNewtonStep) break;
  }
  *XI = xi;
  if (std::fabs(xi) <= 1.0) {
    Real dist2 = 0.0;
    for (int i = 0; i < n; ++i) {
      const Real c = d[i] + xi * e[i] + xi * xi * f[i];
      dist2 += c * c;
    }
    *DIST2 = dist2;
    if (code == kSharpClockwise) *CODE = kOnSegment;
  }
}

}  // extern "C"
