// Closest point of a node on an analytical rigid surface whose profile is a chain of lines,
// circular arcs and three-node segments: the plain profile, the profile extruded along a
// direction, or revolved about an axis. The walk keeps the nearest foot or vertex region; an open
// end of the profile nearer than all of them means there is no closest point.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "runtime/record.h"
#include "siblings/eqc/eqc_messages.h"
#include "zmx/contact/rigid_surfaces.h"
#include "siblings/eqc/eqc_arrays.h"
#include "zmx/geometry/bspline.h"
#include "zmx/geometry/projection.h"

namespace {

constexpr Real kUnset = 1e36;
constexpr Real kTiny = 1e-36;
constexpr Real kPrecision = 2.22e-16;
constexpr Real kWindow = 1.00000001;
constexpr long kMostRecords = 10000000;
constexpr Int kEndOfProfile = -1;
constexpr Int kLine = 1, kArc = 2;
constexpr Int kPlanar = 1, kExtruded = 2, kBspline = 7;
constexpr Int kThree = 3;

struct V2 {
  Real x = 0, y = 0;
};
V2 operator-(V2 a, V2 b) { return {a.x - b.x, a.y - b.y}; }
V2 operator+(V2 a, V2 b) { return {a.x + b.x, a.y + b.y}; }
V2 operator*(Real s, V2 a) { return {s * a.x, s * a.y}; }
Real dot(V2 a, V2 b) { return a.x * b.x + a.y * b.y; }
Real cross(V2 a, V2 b) { return a.x * b.y - a.y * b.x; }
Real length(V2 a) { return std::sqrt(dot(a, a)); }
V2 left(V2 a) { return {-a.y, a.x}; }

// Two reals processed together by one instruction where the machine allows it: a point's x and y.
using Pair = Real __attribute__((vector_size(16)));
Pair pairOf(V2 v) { return Pair{v.x, v.y}; }
V2 pointOf(Pair v) { return {v[0], v[1]}; }
Real sum(Pair v) { return v[0] + v[1]; }
// The sums of two pairs' halves together: (u.x + u.y, v.x + v.y).
Pair sums(Pair u, Pair v) { return __builtin_shufflevector(u, v, 0, 2) + __builtin_shufflevector(u, v, 1, 3); }

// The profile record: integers and reals of the same 8-byte words, counted from 1.
struct Record {
  const void* words;
  Int integer(long k) const { return rec::slotI(words, k); }
  Real real(long k) const { return rec::slotR(words, k); }
  V2 point(long k) const { return {real(k), real(k + 1)}; }
  Pair pair(long k) const {
    Pair v;
    std::memcpy(&v, static_cast<const char*>(words) + 8 * (k - 1), sizeof v);
    return v;
  }
};

// The best result of the walk in profile coordinates.
struct Best {
  Real distance = -kUnset;
  Real curvature = 0;
  V2 normal{}, foot{};
  void keep(Real d, Real c, V2 n, V2 f) {
    if (std::fabs(d) < std::fabs(distance)) distance = d, curvature = c, normal = n, foot = f;
  }
};

// One segment as the walk sees it.
struct Segment {
  Real xi = 0;
  Real extentSquared = 0;  // the squared length the tolerance and the length scale come from
  V2 startVector{}, endVector{};  // for the turn test at the vertices (only their directions count)
  bool degenerate = false;  // passed over: no foot, no vertex region
  bool noFoot = false;      // three-node segment beside the point: only the previous xi changes
  Real afterNoFoot = 0;
  bool straight = false;    // a line: foot and normal are formed only when the foot is kept
  V2 a{}, e{};
  // The foot at xi.
  V2 foot{}, normal{};
  Real curvature = 0;

  Real tolerance() const { return std::sqrt(extentSquared) * 1e-8; }
  void finishLine() {
    if (!straight) return;
    const V2 d = e - a;
    normal = (1.0 / std::sqrt(extentSquared)) * left(d);
    foot = 0.5 * ((1 + xi) * e + (1 - xi) * a);
  }
};

// The products a line's xi is formed from.
struct LineOutline {
  V2 d{};
  Real ll = 0, along = 0;  // |e - a|^2, (2p - a - e).(e - a)
};

LineOutline lineOutline(V2 p, V2 a, V2 e) {
  const V2 d = e - a;
  return {d, dot(d, d), dot(2.0 * p - a - e, d)};
}

Segment line(const LineOutline& o, V2 a, V2 e) {
  Segment s;
  s.degenerate = o.ll < kTiny * kTiny;
  s.extentSquared = s.degenerate ? 1e-16 : o.ll;  // a vanishing length counts as 1e-8
  if (s.degenerate) return s;
  s.straight = true;
  s.a = a, s.e = e;
  s.xi = o.along / o.ll;
  s.startVector = s.endVector = left(o.d);
  return s;
}

// The vectors an arc's xi is formed from, before the turn of a clockwise arc.
struct ArcOutline {
  V2 q{}, ac{}, ec{}, ea{};
  bool clockwise = false;
};

ArcOutline arcOutline(V2 p, V2 a, V2 c, V2 e) {
  const V2 ac = a - c, ea = e - a;
  return {p - c, ac, e - c, ea, cross(ac, ea) > 0};
}

Segment arc(const ArcOutline& o, V2 c) {
  Segment s;
  V2 q = o.q, ac = o.ac, ec = o.ec, ea = o.ea;
  if (q.x == 0 && q.y == 0) q = ec + ac;
  Real r = length(ac);
  const Real ql = length(q);
  s.extentSquared = dot(ea, ea);
  s.degenerate = r < kTiny || ql < kTiny;
  if (s.degenerate) return s;
  V2 n = (1.0 / ql) * q;
  if (o.clockwise) {  // the other side is the outside
    n = -1.0 * n, r = -r, ac = -1.0 * ac, ec = -1.0 * ec, ea = -1.0 * ea;
  }
  s.xi = dot(ea, n) <= 0 ? cross(n, ac) / r - 1 : cross(n, ec) / r + 1;
  s.startVector = ac;
  s.endVector = ec;
  s.normal = n;
  s.foot = c + r * n;
  s.curvature = -1 / r;
  return s;
}

// Where an interior segment's xi lies as far as its products tell without a division or a root:
// before its start, beyond its end, or not certain (the foot may be accepted, or the product
// lies too near a bound) - then the segment is evaluated in full. The margins are ten times the
// window's (-1.00000001 to 1.00000001), far above the rounding of the full evaluation, so a
// certain answer is the one the full evaluation gives. Comparisons are written so that a NaN
// leaves the answer uncertain.
enum class Side { kBefore, kBeyond, kUncertain };
constexpr Real kClear = 1.0000001, kClearSine = 1e-7;

Side side(const LineOutline& o) {
  if (!(o.ll >= kTiny * kTiny)) return Side::kUncertain;
  if (o.along > kClear * o.ll) return Side::kBeyond;
  if (o.along < -kClear * o.ll) return Side::kBefore;
  return Side::kUncertain;
}

// xi = sine - 1 where n leans to the start along the chord, sine + 1 where it leans to the end,
// with sine = (n x (a - c)) / r or (n x (e - c)) / r, n and r turned together for a clockwise
// arc: the sign of the sine is that of q x (a - c) or q x (e - c), turned with the arc, and its
// size against 1e-7 follows from squares.
Side side(const ArcOutline& o) {
  const Real rr = dot(o.ac, o.ac), qq = dot(o.q, o.q);
  if (!(std::min(rr, qq) > 1e-70)) return Side::kUncertain;  // also the point at the centre
  const Real along = dot(o.ea, o.q);
  if (!(along * along > 1e-20 * dot(o.ea, o.ea) * qq)) return Side::kUncertain;  // near the middle
  const Real sine = (along <= 0 ? cross(o.q, o.ac) : cross(o.q, o.ec)) * (o.clockwise ? -1.0 : 1.0);
  if (!(sine * sine > kClearSine * kClearSine * rr * qq)) return Side::kUncertain;
  if (along <= 0) return sine < 0 ? Side::kBefore : Side::kUncertain;
  return sine > 0 ? Side::kBeyond : Side::kUncertain;
}

// The turn-test vectors of an arc passed over: its radius vectors, turned for a clockwise arc.
V2 turned(const ArcOutline& o, V2 v) { return o.clockwise ? -1.0 * v : v; }

Segment threeNode(V2 p, V2 a, V2 m, V2 e) {
  Segment s;
  const V2 bend = a - 2.0 * m + e;
  s.extentSquared = dot(bend, bend);
  const V2 ts = -1.0 * bend - 0.5 * (a - e), te = bend - 0.5 * (a - e);
  s.startVector = left(ts);
  s.endVector = left(te);
  const Real nodes[9] = {a.x, a.y, 0, m.x, m.y, 0, e.x, e.y, 0};
  const Real point[3] = {p.x, p.y, 0};
  constexpr Logical yes = kTrue, no = kFalse;
  constexpr Real tolerance = 5e-9;
  constexpr Real angles[2] = {0.0, 0.0};  // the pair the curve routines take, though not read here
  Real roots[3] = {}, distances[3] = {}, lengthTolerance = 0;
  Int count = 0;
  Logical found = kFalse;
  FNDPERPDISTTOCURVE(nodes, point, roots, &count, &no, &tolerance, &yes, &yes, &no, angles, &found);
  if (found != kFalse) {
    GETPERPDISTTOCURVE(nodes, point, roots, &count, distances, &tolerance, &lengthTolerance, &no, &yes, &no, angles);
    s.xi = 2 * roots[0] - 1;
  } else if (dot(p - a, ts) <= 0) {
    s.xi = -1.00000002;
  } else {
    s.noFoot = true;
    s.afterNoFoot = dot(p - e, te) >= 0 ? 1.00000002 : -kUnset;
    return s;
  }
  const Real xi = s.xi;
  s.foot = (xi * (xi - 1) / 2) * a + (1 - xi * xi) * m + (xi * (xi + 1) / 2) * e;
  const V2 t = (xi - 0.5) * a - (2 * xi) * m + (xi + 0.5) * e;
  const Real tl = length(t);
  if (tl < kTiny) {
    s.degenerate = true;
    return s;
  }
  s.normal = (1.0 / tl) * left(t);
  s.curvature = dot(s.normal, bend) / (tl * tl);
  return s;
}

// The walk over the segment records: the best result so far, and what the vertex test at the next
// segment's start needs of the segment before. A segment passed over for its distance leaves that
// state to be worked out from its record when, rarely, a vertex test needs it.
class Walk {
 public:
  Walk(const Record& record, V2 point, Real window) : r(record), p(point), reach(window) {}

  Best best;

  // Evaluates the segment whose record starts at word (its start point is the two words before):
  // keeps its foot or the vertex region at its start when nearer than the best so far.
  void step(long word, bool firstSegment, bool lastSegment) {
    const Int type = r.integer(word);
    const V2 a = r.point(word - 2);
    const bool interior = !firstSegment && !lastSegment;
    if (type == kLine) {
      const V2 e = r.point(word + 1);
      const LineOutline o = lineOutline(p, a, e);
      const Side where = interior ? side(o) : Side::kUncertain;
      if (where != Side::kUncertain) return pass(where, a, left(o.d), left(o.d));
      Segment s = line(o, a, e);
      visit(s, a, firstSegment, lastSegment);
    } else if (type == kArc) {
      const V2 c = r.point(word + 1), e = r.point(word + 3);
      const ArcOutline o = arcOutline(p, a, c, e);
      const Side where = interior ? side(o) : Side::kUncertain;
      if (where != Side::kUncertain) return pass(where, a, turned(o, o.ac), turned(o, o.ec));
      Segment s = arc(o, c);
      visit(s, a, firstSegment, lastSegment);
    } else {
      Segment s = threeNode(p, a, r.point(word + 1), r.point(word + 3));
      visit(s, a, firstSegment, lastSegment);
    }
  }
  // Whether the last segment evaluated has its xi beyond the window.
  bool beyond() const { return previousBeyond; }
  // Passes over a line or arc none of whose results can be kept.
  void skip(long word, bool firstSegment) { unsettled = word, unsettledFirst = firstSegment; }

 private:
  Record r;
  V2 p;
  Real reach;
  bool previousBeyond = false;  // the previous xi was at least 1.00000001
  V2 previousEnd{};
  long unsettled = 0;  // the record of a segment passed over whose xi is not yet known, or 0
  bool unsettledFirst = false;

  void settle(bool beyond, V2 end) {
    previousBeyond = beyond;
    previousEnd = end;
    unsettled = 0;
  }
  // Outside both segments at their common vertex a when this one's xi lies before its start.
  void vertex(V2 a, V2 startVector) {
    const Real gap = length(p - a);
    if (!(gap < kTiny ? 0 < std::fabs(best.distance) : gap < std::fabs(best.distance))) return;  // never kept
    if (unsettled != 0) {
      Walk alone(r, p, reach);
      alone.step(unsettled, unsettledFirst, false);
      settle(alone.previousBeyond, alone.previousEnd);
    }
    if (!previousBeyond) return;
    const Real turn = previousEnd.y * startVector.x - previousEnd.x * startVector.y;
    if (gap < kTiny) {
      best.keep(0.0, 0.0, V2{}, a);
    } else {
      const Real d = turn >= 0 ? -gap : gap;
      best.keep(d, 0.0, (-1.0 / d) * (p - a), a);
    }
  }
  // A segment whose xi is known to lie outside the window.
  void pass(Side where, V2 a, V2 startVector, V2 endVector) {
    if (where == Side::kBefore) vertex(a, startVector);
    settle(where == Side::kBeyond, endVector);
  }
  void visit(Segment& s, V2 a, bool firstSegment, bool lastSegment) {
    const Real lower = firstSegment ? -1 - reach : -kWindow, upper = lastSegment ? 1 + reach : kWindow;
    if (s.noFoot) {
      settle(s.afterNoFoot >= kWindow, s.endVector);  // the next vertex's turn test needs this end
    } else if (!s.degenerate) {
      if (s.xi >= lower && s.xi < upper) {
        s.finishLine();
        best.keep(dot(s.foot - p, s.normal), s.curvature, s.normal, s.foot);
      } else if (s.xi < lower) {
        vertex(a, s.startVector);
      }
      settle(s.xi >= kWindow, s.endVector);
    }
  }
};

// How far a segment lies from the point, as a bound every result of the segment (its foot, the
// vertex at its start) is farther than: a segment is passed over when its clearance exceeds
// limit(t), and then none of its results has a |distance| of t or less. From squares, no roots:
// - a line's foot lies in the disc about its middle of radius L/2 (1 + 5e-8), the window's
//   overhang included (L/2 (1 + beyond) (1 + 5e-8) at the open ends), and so does its start;
//   (2t + L)^2 <= 8t^2 + 2L^2;
// - an arc's foot lies on its circle and so does its start, |q| - R away or more from the point;
//   (t + R)^2 <= 2t^2 + 2R^2.
// The far term is shrunk by 1e-9 and the limit grown by 1e-9 t plus 1e-12 of the point's size:
// far above the rounding of the full evaluation, for coordinates far from the origin too. NaN
// means the segment is always evaluated: three-node segments and segments too short or too small
// to bound.
constexpr Real kShrink = 1 - 1e-9, kInterior = (1 + 1e-7) / 4;
constexpr Real kAlways = std::numeric_limits<Real>::quiet_NaN();

// What the first pass takes from a segment record: where the segment ends, the words its record
// takes after the type, its extent (the squared length its tolerance and the length scale come
// from, formed as the full evaluation forms it) and its clearance.
struct Look {
  Pair e{};
  long size = 4;
  Real extent = 0, clearance = kAlways;
};

// twice: the point doubled; spread: 1/4 of the square of the disc's radius over the half length.
[[gnu::always_inline]] inline Look lineLook(const Record& r, long word, Pair a, Pair twice, Real spread) {
  Look l;
  l.size = 2;
  l.e = r.pair(word + 1);
  const Pair d = l.e - a, w = twice - (a + l.e);  // w: twice the way from the middle to the point
  const Pair squares = sums(d * d, w * w);
  const Real ll = squares[0];
  l.extent = ll;
  l.clearance = sum(squares * Pair{-spread, kShrink / 8});
  if (!(ll >= 1e-70)) {
    l.extent = ll < kTiny * kTiny ? 1e-16 : ll;  // a vanishing length counts as 1e-8
    l.clearance = kAlways;
  }
  return l;
}

[[gnu::always_inline]] inline Look arcLook(const Record& r, long word, Pair a, Pair p) {
  Look l;
  const Pair c = r.pair(word + 1);
  l.e = r.pair(word + 3);
  const Pair ac = a - c, ea = l.e - a, q = p - c;
  const Pair squares = sums(ac * ac, ea * ea);
  const Real rr = squares[0];
  l.extent = squares[1];
  l.clearance = kShrink / 2 * sum(q * q) - rr;
  if (!(rr >= 1e-70)) l.clearance = kAlways;
  return l;
}

Look threeNodeLook(const Record& r, long word, Pair a) {
  Look l;
  l.e = r.pair(word + 3);
  const Pair bend = a - 2.0 * r.pair(word + 1) + l.e;
  l.extent = sum(bend * bend);
  return l;
}

Look look(const Record& r, long word, Pair a, Pair p, Real spread) {
  const Int type = r.integer(word);
  if (type == kLine) return lineLook(r, word, a, p + p, spread);
  return type == kArc ? arcLook(r, word, a, p) : threeNodeLook(r, word, a);
}

// The distance from the point to a line or arc, roughly: to the nearest point of a line, and to
// the nearer end of an arc or its circle where the point lies within its angle.
Real roughDistance(const Record& r, long word, V2 p) {
  const V2 a = r.point(word - 2);
  if (r.integer(word) == kLine) {
    const V2 d = r.point(word + 1) - a;
    const Real t = std::clamp(dot(p - a, d) / dot(d, d), 0.0, 1.0);
    return length(p - (a + t * d));
  }
  const V2 c = r.point(word + 1), e = r.point(word + 3), u = a - c, v = e - c, q = p - c;
  const Real turn = cross(u, v), ends = std::min(length(p - a), length(p - e));
  return cross(u, q) * turn >= 0 && cross(q, v) * turn >= 0 ? std::min(ends, std::fabs(length(q) - length(u))) : ends;
}

// The first of the n clearances with the smallest value (NaN passed over), or -1. The smallest
// value is found four at a time, without a chain of comparisons from one to the next.
int smallest(const Real* c, int n) {
  constexpr Real kNone = std::numeric_limits<Real>::infinity();
  Pair low{kNone, kNone}, high = low;
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    Pair x, y;
    std::memcpy(&x, c + k, sizeof x);
    std::memcpy(&y, c + k + 2, sizeof y);
    low = x < low ? x : low;
    high = y < high ? y : high;
  }
  Real least = std::min({low[0], low[1], high[0], high[1]});
  for (; k < n; ++k) least = c[k] < least ? c[k] : least;
  if (!(least < kNone)) return -1;
  for (k = 0; !(least >= c[k]);) ++k;
  return k;
}

// A stretch of up to kLength segments as the first pass leaves it: where each record starts and
// its clearance.
struct Stretch {
  static constexpr int kLength = 128;
  long word[kLength];
  Real clearance[kLength + 1];  // and a stop mark after the last
};

// Walks the profile from word first (start point at word first - 2); beyond is argument 15. The
// records are read in stretches: a first pass finds where each segment starts, the length scale
// and each segment's clearance; the second pass evaluates in order only the segments whose
// clearance does not rule them out, by the best result so far, by the open start or end (a result
// farther than an open end is dropped in the end anyway) or by the likely distance, which the walk
// then has to confirm.
Best walkProfile(const Record& r, long first, V2 p, Real beyond, Real& scale) {
  Real scaleSquared = scale * scale;
  const Real reach = std::max(beyond, 1e-8);
  Walk walk(r, p, reach);
  const Record rec = r;  // a copy the stores of the passes cannot touch
  const Pair start = rec.pair(first - 2), point = pairOf(p), twice = point + point;
  Pair a = start;
  Real startEnd = length(p - pointOf(a)), lastTolerance = 0;
  const Real slack = 1e-12 * (std::fabs(p.x) + std::fabs(p.y)) + 1e-140;
  auto limit = [slack](Real t) {  // the clearance beyond which a segment cannot beat t
    const Real grown = t * (1 + 1e-9) + slack;
    return grown * grown;
  };
  long word = first, records = 0;
  Int type = r.integer(word);
  Stretch s;
  for (bool more = type != kEndOfProfile; more;) {
    const bool firstStretch = records == 0;
    const int stop = static_cast<int>(std::min<long>(Stretch::kLength, kMostRecords - records));
    Real extent = 0;
    int n = 0;
    for (; n < stop; ++n) {
      Look l;
      if (type == kLine) {
        l = lineLook(rec, word, a, twice, kInterior);
      } else if (type == kArc) {
        l = arcLook(rec, word, a, point);
      } else if (type == kEndOfProfile) {
        break;
      } else {
        l = threeNodeLook(rec, word, a);
      }
      scaleSquared = std::max(scaleSquared, l.extent);
      extent = l.extent;
      s.word[n] = word;
      s.clearance[n] = l.clearance;
      a = l.e;
      word += l.size + 1;
      type = rec.integer(word);
    }
    records += n;
    const int closest = smallest(s.clearance, n);
    const bool ends = type == kEndOfProfile;
    more = !ends && records < kMostRecords;
    // The open ends: their tolerances, and their windows reaching further.
    const Real spread = kInterior * (1 + reach) * (1 + reach);
    if (firstStretch) {
      const Look l = look(r, first, start, point, spread);
      startEnd += std::sqrt(l.extent) * 1e-8;
      s.clearance[0] = l.clearance;
    }
    if (ends) s.clearance[n - 1] = look(r, s.word[n - 1], r.pair(s.word[n - 1] - 2), point, spread).clearance;
    const auto firstAt = [&](int k) { return firstStretch && k == 0; };
    const auto lastAt = [&](int k) { return ends && k == n - 1; };
    // The second pass, passing over the segments whose results are all farther than the bound or
    // the best so far.
    s.clearance[n] = kAlways;
    const auto secondPass = [&](Real bound) {
      for (int k = 0;; ++k) {
        const Real beat = limit(std::min(bound, std::fabs(walk.best.distance)));
        const int from = k;
        const Real* c = s.clearance + k;
        while (*c > beat) ++c;
        k = static_cast<int>(c - s.clearance);
        if (k > from) walk.skip(s.word[k - 1], firstAt(k - 1));
        if (k == n) break;
        walk.step(s.word[k], firstAt(k), lastAt(k));
      }
    };
    // A result farther than an open end is dropped in the end. The segment of the smallest
    // clearance likely holds the nearest result: its rough distance is tried as the bound, and
    // holds when the walk finds a result as near; otherwise the stretch is walked again.
    Real bound = startEnd;
    if (!more) {
      // The last segment walked closes the open end, whether the end marker or the record limit
      // ends the walk.
      lastTolerance = std::sqrt(extent) * 1e-8;
      bound = std::min(bound, length(p - pointOf(a)) + lastTolerance);
    }
    const Real likely = closest >= 0 ? roughDistance(rec, s.word[closest], p) * (1 + 1e-7) + slack : kUnset;
    if (likely < bound) {
      const Walk before = walk;
      secondPass(likely);
      if (std::fabs(walk.best.distance) <= likely) continue;
      walk = before;
    }
    secondPass(bound);
  }
  if (records == kMostRecords) {
    constexpr Int level = -3, zero = 0;
    constexpr Real zeroReal = 0.0;
    constexpr char text[] = "SYSTEM ERROR IN SegmentRigidSurfSearch - LOOP 100 LIMIT EXCEEDED";
    KVXERR(&level, text, static_cast<Int>(std::strlen(text)), &zero, &zeroReal, " ", 1);
  }
  scale = std::sqrt(scaleSquared);
  const Real openEnd = std::min(startEnd, length(p - pointOf(a)) + lastTolerance);
  Best best = walk.best;
  if (openEnd < std::fabs(best.distance)) best = Best{};
  return best;
}

struct Frame {
  Real o[3] = {0, 0, 0};
  Real e1[3] = {1, 0, 0}, e2[3] = {0, 1, 0}, e3[3] = {0, 0, -1};
};

Real dot3(const Real* a, const Real* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
void cross3(const Real* a, const Real* b, Real* c) {
  c[0] = a[1] * b[2] - a[2] * b[1];
  c[1] = a[2] * b[0] - a[0] * b[2];
  c[2] = a[0] * b[1] - a[1] * b[0];
}

void profileSearch(const Real* x, const Record& r, Int dim, Real* distance, Real* foot, Real* normal, Real* tangents,
                   Real* curvatures, const Real* beyond) {
  const Int kind = r.integer(2);
  Frame f;
  Real pt[3] = {0, 0, 0};
  for (Int c = 0; c < dim; ++c) pt[c] = x[c];
  Real local[3] = {0, 0, 0};
  long first = 7;
  Real radius = 0;
  if (kind == kPlanar) {
    local[0] = pt[0], local[1] = pt[1];
    local[2] = dim == 3 ? -pt[2] : 0.0;  // a planar profile in space extends along z
  } else if (kind == kExtruded) {
    for (int c = 0; c < 3; ++c) {
      f.o[c] = r.real(5 + c);
      f.e1[c] = r.real(8 + c);
      f.e3[c] = -r.real(11 + c);
    }
    cross3(f.e1, f.e3, f.e2);
    Real rel[3] = {0, 0, 0};
    for (Int c = 0; c < dim; ++c) rel[c] = pt[c] - f.o[c];
    local[0] = dot3(rel, f.e1), local[1] = dot3(rel, f.e2), local[2] = dot3(rel, f.e3);
    first = 16;
  } else {
    Real d[3], rel[3] = {0, 0, 0}, er[3];
    for (int c = 0; c < 3; ++c) f.o[c] = r.real(5 + c), d[c] = r.real(8 + c);
    for (Int c = 0; c < dim; ++c) rel[c] = pt[c] - f.o[c];
    const Real h = dot3(rel, d);
    for (int c = 0; c < 3; ++c) er[c] = rel[c] - h * d[c];
    radius = std::sqrt(dot3(er, er));
    if (radius > 0) {
      for (Real& c : er) c /= radius;
    } else {
      const Real axis[3] = {std::fabs(d[0]) < 0.9999985 ? 1.0 : 0.0, 0.0, std::fabs(d[0]) < 0.9999985 ? 0.0 : 1.0};
      cross3(d, axis, er);
      const Real l = std::sqrt(dot3(er, er));
      for (Real& c : er) c /= l;
    }
    for (int c = 0; c < 3; ++c) f.e1[c] = er[c], f.e2[c] = d[c];
    cross3(er, d, f.e3);
    local[0] = radius, local[1] = h;
    first = 13;
  }
  Real scale = std::max(std::fabs(local[0]), std::fabs(local[1]));
  const Best best = walkProfile(r, first, {local[0], local[1]}, *beyond, scale);
  const Real third = kind == kPlanar || kind == kExtruded ? local[2] : 0.0;
  const bool found = best.distance != -kUnset;
  for (int c = 0; c < 3; ++c) {
    foot[c] = f.o[c] + f.e1[c] * best.foot.x + f.e2[c] * best.foot.y + f.e3[c] * third;
    normal[c] = f.e1[c] * best.normal.x + f.e2[c] * best.normal.y;
    tangents[c] = f.e1[c] * best.normal.y - f.e2[c] * best.normal.x;
    tangents[3 + c] = -f.e3[c];
  }
  if (dim == 2) foot[2] = normal[2] = tangents[2] = tangents[3] = tangents[4] = tangents[5] = 0.0;
  *distance = found && std::fabs(best.distance) <= kPrecision * scale ? 0.0 : best.distance;
  curvatures[0] = best.curvature;
  curvatures[1] = 0.0;
  if (kind != kPlanar && kind != kExtruded)
    curvatures[1] = radius > kPrecision * scale ? -best.normal.x / radius : best.curvature;
}

// ---- B-spline curves and faces (kind 7) ---------------------------------------------------------

// Words of the kind-7 record (see zmx/contact/rigid_surfaces.h).
enum BsplineWord : long {
  kRational = 4, kPeriodicU = 5, kUMin = 9, kUMax = 10, kSubKind = 11, kLengthScale = 12,
  // curve
  kCurveDegree = 6, kCurveKnotCount = 7, kCurveLdim = 8, kCurveKnots = 13, kCurvePoints = 14, kCurveWeights = 15,
  kCurvePieces = 16, kCurveLdq = 17, kCurveReference = 18, kCurveStarts = 19, kCurveSpans = 20,
  // face
  kDegreeU = 6, kDegreeV = 7, kKnotCountU = 8, kKnotCountV = 13, kNetColumns = 14, kFaceLdim = 15, kKnotsU = 16,
  kKnotsV = 17, kNet = 18, kFaceWeights = 19, kFaceReference = 20, kPeriodicV = 22, kFaceLdq = 23, kPiecesU = 24,
  kPiecesV = 25, kVMin = 26, kVMax = 27, kFaceStarts = 28,
};
constexpr Int kCurveSubKind = 2;
constexpr Real kFlat = 2.22e-16;

// The kind-7 record as the kernels take it: integers and logicals by address into the integer
// view, arrays at the word positions the record holds.
struct Bspline {
  const Int* irec;
  const Real* rrec;
  const Int* i(long word) const { return irec + 2 * (word - 1); }
  const Real* r(long word) const { return rrec + (word - 1); }
  const Real* at(long word) const { return rrec + (*i(word) - 1); }
  const Int* packed(long word) const { return reinterpret_cast<const Int*>(rrec + (*i(word) - 1)); }
};

// Whether a span is the first or the last of a direction of degree p with nknot knots.
bool boundarySpan(Int span, Int p, Int nknot) { return span <= p || span >= nknot - p; }

// Local projection of the curve from the last foot; true when it is accepted.
bool curveProjection(const Bspline& b, const Real* pt, Int& span, Real& u, Real* distance, Real* foot,
                     Real* tangent, Real* curvature) {
  const Int two = 2;
  const Real distanceTolerance = kFlat * *b.r(kLengthScale);
  const Real parameterTolerance = 1e-7 * (*b.r(kUMax) - *b.r(kUMin));
  Int ierr = 0, s = span;
  Real v = u;
  FNDDISTTOBSPLINE(pt, b.i(kRational), b.i(kCurveDegree), b.i(kCurveKnotCount), b.at(kCurveKnots), b.at(kCurvePoints),
                   b.i(kCurveLdim), &two, b.at(kCurveWeights), &s, b.i(kPeriodicU), b.r(kUMin), b.r(kUMax),
                   &distanceTolerance, &parameterTolerance, &v, distance, foot, tangent, curvature, &ierr);
  if (ierr != 0) return false;
  span = s, u = v;
  if (*distance <= kFlat || !boundarySpan(s, *b.i(kCurveDegree), *b.i(kCurveKnotCount))) return true;
  // Against the nearer end control point.
  const Int n = *b.i(kCurveKnotCount) - *b.i(kCurveDegree) + 1, ld = *b.i(kCurveLdim);
  const Real* first = b.at(kCurvePoints);
  const Real* last = first + static_cast<long>(n - 1) * ld;
  const Real edge = std::min(std::hypot(pt[0] - first[0], pt[1] - first[1]), std::hypot(pt[0] - last[0], pt[1] - last[1]));
  return *distance <= edge + kFlat;
}

bool faceProjection(const Bspline& b, const Real* pt, Int* span, Real* uv, Real* distance, Real* foot,
                    Real* tangents, Real* curvatures, Real* skew) {
  const Int three = 3;
  const Real distanceTolerance = kFlat * *b.r(kLengthScale);
  const Real parameterTolerance =
      1e-7 * std::max(*b.r(kUMax) - *b.r(kUMin), *b.r(kVMax) - *b.r(kVMin));
  Int ierr = 0, su = span[0], sv = span[1];
  Real u = uv[0], v = uv[1];
  FNDDISTTO3DBSPLINE(pt, b.i(kDegreeU), b.i(kDegreeV), b.i(kKnotCountU), b.i(kKnotCountV), b.at(kKnotsU),
                     b.at(kKnotsV), b.at(kNet), b.i(kFaceLdim), b.i(kNetColumns), &three, b.at(kFaceWeights), &u, &v,
                     &su, &sv, b.i(kPeriodicU), b.i(kPeriodicV), b.r(kUMin), b.r(kUMax), b.r(kVMin), b.r(kVMax),
                     b.i(kRational), &distanceTolerance, &parameterTolerance, distance, foot, tangents, curvatures,
                     skew, &ierr);
  if (ierr != 0) return false;
  span[0] = su, span[1] = sv, uv[0] = u, uv[1] = v;
  const Int onU = boundarySpan(su, *b.i(kDegreeU), *b.i(kKnotCountU)) ? 1 : 0;
  const Int onV = boundarySpan(sv, *b.i(kDegreeV), *b.i(kKnotCountV)) ? 1 : 0;
  if (*distance <= kFlat || (onU == 0 && onV == 0)) return true;
  const Int rows = *b.i(kKnotCountV) - *b.i(kDegreeV) + 1;
  Real edge = 0;
  DISTTOEDGE3DBSPLINE(&edge, pt, &su, &sv, &su, &sv, b.at(kNet), b.i(kFaceLdim), b.i(kNetColumns), &rows, &onU, &onV);
  return *distance <= edge + kFlat;
}

void bsplineSearch(const Real* x, Int dim, const Record& r, const Int* irec, Real* distance, Real* foot, Real* normal,
                   Real* tangents, Real* curvatures, Real* skew, Real* spans, Real* parameters, Int* calls,
                   const Int* limit, Real* work, Int* size) {
  const Bspline b{irec, static_cast<const Real*>(r.words)};
  const bool curve = r.integer(kSubKind) == kCurveSubKind;
  Int span[2] = {static_cast<Int>(std::round(spans[0])), static_cast<Int>(std::round(spans[1]))};
  Real uv[2] = {parameters[0], parameters[1]};
  // A point of two coordinates has no third to read: a face takes it in the plane z = 0.
  Real pt[3] = {x[0], x[1], curve || dim < 3 ? 0.0 : x[2]};
  Real t[6] = {}, k[3] = {}, f[3] = {};
  if (*calls < 1 || *calls >= *limit) *calls = 0;
  bool accepted = false;
  if (*calls > 0)
    accepted = curve ? curveProjection(b, pt, span[0], uv[0], distance, f, t, k)
                     : faceProjection(b, pt, span, uv, distance, f, t, k, skew);
  *calls += 1;
  if (!accepted) {
    Int status = 0;
    const Real* starts = curve ? b.at(kCurveStarts) : b.at(kFaceStarts);
    if (curve) {
      const Int n = *b.i(kCurvePieces);
      BSPLINESEARCH2D(pt, b.at(kCurveReference), starts, b.packed(kCurveSpans), starts + n, b.i(kCurvePieces),
                      b.i(kRational), b.i(kCurveDegree), b.i(kCurveLdq), b.at(kCurvePoints), b.i(kCurveLdim),
                      b.at(kCurveWeights), b.at(kCurveKnots), b.i(kCurveKnotCount), b.i(kPeriodicU), b.r(kUMin),
                      b.r(kUMax), b.r(kLengthScale), work, size, &span[0], &uv[0], distance, f, t, k, &status);
    } else {
      const Int na = *b.i(kPiecesU), nb = *b.i(kPiecesV);
      const Int* startSpans = reinterpret_cast<const Int*>(starts + na + nb + static_cast<long>(na) * nb);
      BSPLINESEARCH3D(pt, b.at(kFaceReference), b.i(kFaceLdq), b.i(kPiecesU), b.i(kPiecesV), starts, starts + na,
                      startSpans, startSpans + na, starts + na + nb, b.i(kDegreeU), b.i(kDegreeV), b.i(kKnotCountU),
                      b.i(kKnotCountV), b.at(kKnotsU), b.at(kKnotsV), b.at(kNet), b.i(kFaceLdim), b.i(kNetColumns),
                      &kThree, b.at(kFaceWeights), &uv[0], &uv[1], &span[0], &span[1], b.i(kPeriodicU),
                      b.i(kPeriodicV), b.r(kUMin), b.r(kUMax), b.r(kVMin), b.r(kVMax), b.r(kLengthScale),
                      b.i(kRational), distance, f, t, k, skew, work, size, &status);
    }
    if (status != 0) *calls = 0;
  }
  spans[0] = span[0];
  spans[1] = span[1];
  parameters[0] = uv[0];
  parameters[1] = uv[1];
  for (int c = 0; c < 3; ++c) foot[c] = f[c];
  curvatures[0] = k[0];
  if (curve) {
    foot[2] = 0.0;
    tangents[0] = t[0], tangents[1] = t[1];
    for (int c = 2; c < 6; ++c) tangents[c] = 0.0;
    normal[0] = -t[1], normal[1] = t[0], normal[2] = 0.0;
    curvatures[1] = 0.0;
    return;
  }
  for (int c = 0; c < 6; ++c) tangents[c] = t[c];
  curvatures[1] = k[1];
  AXPRD(t, t + 3, normal);
  Int flag = 0;
  ANORM(normal, &kThree, &flag);
}

}  // namespace

extern "C" {

void SEGMENTRIGIDSURFSEARCH(const Real* x, const Int* irec, const Real* rrec, const Int* dimension, Real* distance,
                            Real* foot, Real* normal, Real* tangents, Real* curvatures, Real* skew, Real* spans,
                            Real* parameters, Int* calls, const Int* limit, const Real* beyond, Real* work,
                            Int* size) {
  const Int dim = std::min<Int>(*dimension, 3);
  const Record r{rrec};
  if (r.integer(2) == kBspline) {
    bsplineSearch(x, dim, r, irec, distance, foot, normal, tangents, curvatures, skew, spans, parameters, calls, limit, work,
                  size);
    return;
  }
  profileSearch(x, r, dim, distance, foot, normal, tangents, curvatures, beyond);
}

}  // extern "C"
