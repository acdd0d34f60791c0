// The walk shared by the searches of rigid slide lines (straight and three-node segments, open
// and closed lines): the bound from the nearest line nodes, the neighbourhood window and fold
// test, the start value, the walk over the segments with its parameter bounds, the acceptance of
// candidates, the turning-angle test, the extension bookkeeping and the hand-over to RSLIDE.
// The segment kind supplies its nodes, its point, corner or junction and its fold check.
//
// A candidate whose cheap lower bound on the squared distance shows that it cannot replace the
// best is not computed; the result is that of the full walk. Nothing here allocates.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "contact/slide_lines/node_scans.h"
#include "contact/slide_lines/slide_slots.h"
#include "runtime/record.h"
#include "zmx/contact/slide_lines.h"

namespace zmx_slide {

inline constexpr Real kAcceptShare = 0.05;  // a near tie goes to the segment nearer the previous one
inline constexpr Real kFoldTolerance = 1.0e-10;
inline constexpr Real kNewtonStep = 2.22e-16;
inline constexpr Real kBoundSlack = 1.0e-5;
inline constexpr Real kPi = 3.14159265358979;
inline constexpr int kBracketSteps = 5, kNewtonSteps = 5;

// The normalised arguments of one search.
struct SearchArgs {
  void* points;
  Real* result;
  const Int* ident;  // null for a closed line
  Real* x;
  Int ld;
  Int nseg;
  Real smooth;
  Real offset;
  Int slave;
  Int* last;
  Int ndir;
  Int spare;
  bool copyA, copyB;
  Int type;
  Int prevSeg;
  bool fold;
  bool middle;  // three-node segments: fold directions from the middle nodes
  const Real* y;
  Int ldy;
  Int sharp, crossing;
  Real endTol;
  const Real* ext;  // null for a closed line
};

// How the chosen point is defined.
enum class Form { None, Vertex, StartVertex, SegmentPoint, Smoothed, FoldPoint };

struct Choice {
  Form form = Form::None;
  Real d2 = kUnset;       // the value compared (inflated for the start value)
  Real slaveD2 = kUnset;  // the slave node's own squared distance to the point
  Real xi = 0.0;
  Int segment = 1;
  int extension = 0;  // 0 none, 1 first end, 2 last end
  Int nodes[5] = {};
};

// The line as the walk sees it.
struct Line {
  Real* x;
  long ld;
  const Real* y;
  long ldy;
  Int spare, first, last, nseg;
  bool closed;
  int nu;
  Real f, g;
  Real endTol;
  Real reach2;  // squared reach factor of the segment kind's candidates (skip test)
  bool ext1, ext2;
  Real e1[3] = {}, e2[3] = {};
  Real s[3] = {};  // the slave node
  int axis = 0;     // the direction, of the first two, along which the nodes spread more
  // The segment before which the scan tries no block of segments again (one failed there).
  mutable Int blockRetry = 0;
  Int slave;

  const Real* column(Int node) const { return x + (static_cast<long>(node) - 1) * ld; }
  Real* column(Int node) { return x + (static_cast<long>(node) - 1) * ld; }
  // Node numbers past either end of a closed line wrap round.
  Int wrap(long node) const {
    if (!closed || (node > spare && node <= last)) return static_cast<Int>(node);
    const long period = last - spare;
    if (period <= 0) return static_cast<Int>(node);
    const long k = ((node - spare - 1) % period + period) % period;
    return static_cast<Int>(spare + 1 + k);
  }
  Int wrapSegment(long j) const {
    if (!closed || nseg <= 0 || (j >= 1 && j <= nseg)) return static_cast<Int>(j);
    return static_cast<Int>(((j - 1) % nseg + nseg) % nseg + 1);
  }
  // Squared distance over the nu (2 or 3) directions used.
  Real squared(const Real* p, const Real* q) const {
    const Real dx = p[0] - q[0], dy = p[1] - q[1];
    Real sum = dx * dx + dy * dy;
    if (nu == 3) sum += (p[2] - q[2]) * (p[2] - q[2]);
    return sum;
  }
  Real toSlave(const Real* p) const { return squared(p, s); }
};

// Reflection of node p about the end node: p + 2 (w - (w . e) e), w = end - p.
inline void extensionImage(const Line& line, const Real* end, const Real* p, const Real* e, Real* image) {
  Real w[3] = {}, we = 0.0;
  for (int i = 0; i < line.nu; ++i) {
    w[i] = end[i] - p[i];
    we += w[i] * e[i];
  }
  for (int i = 0; i < 3; ++i) image[i] = i < line.nu ? p[i] + 2.0 * (w[i] - we * e[i]) : 0.0;
}

inline bool negativeSign(Real v) { return v < 0.0; }

// Newton steps on h from xi; true when they close in on a root (the last step below kNewtonStep).
template <class Poly, class Slope>
bool newtonSteps(Poly h, Slope slope, Real& xi) {
  for (int k = 0; k < kNewtonSteps; ++k) {
    const Real d = slope(xi);
    if (std::fabs(d) <= kTiny) return false;
    const Real delta = h(xi) / d;
    xi -= delta;
    if (std::fabs(delta) < kNewtonStep) return true;
  }
  return false;
}

// Foot of a polynomial distance derivative on [-1, 1] by five halvings from 0 and Newton steps.
// Returns false when the signs at both ends and at the trial point agree; `converged` tells
// whether the Newton steps closed in on a root.
template <class Poly, class Slope>
bool bracketedFoot(Poly h, Slope slope, Real& xi, bool& converged) {
  Real hl = h(-1.0), hu = h(1.0);
  xi = 0.0;
  Real step = 1.0;
  for (int k = 0; k < kBracketSteps; ++k) {
    step /= 2.0;
    const Real v = h(xi);
    if (negativeSign(v) == negativeSign(hl)) {
      if (negativeSign(v) == negativeSign(hu)) return false;
      xi += step;
      hl = v;
    } else {
      xi -= step;
      hu = v;
    }
  }
  converged = newtonSteps(h, slope, xi);
  return true;
}

// The distance derivative h(u) = c[0] + c[1] u + ... + c[n] u^n (n = 3 or 5) of a segment,
// corner or junction has c[n] >= 0, and c[n] is 0 only together with c[n-1]. Between its
// stationary points h is monotone, and each piece where it rises through zero holds one minimum
// of the distance. The bracketing of a foot looks at h only at a few points, so a curve bent
// round the slave node can hide its nearest point from it.
inline Real polynomialValue(const Real* c, int n, Real u) {
  Real v = c[n];
  for (int k = n - 1; k >= 0; --k) v = v * u + c[k];
  return v;
}

// The crossing of zero inside [p, q] where h changes sign (h monotone there), found by halving.
inline Real monotoneRoot(const Real* c, int n, Real p, Real q) {
  const bool negativeAtP = negativeSign(polynomialValue(c, n, p));
  for (int k = 0; k < 200; ++k) {
    const Real mid = 0.5 * (p + q);
    if (!(mid > p && mid < q)) break;
    (negativeSign(polynomialValue(c, n, mid)) == negativeAtP ? p : q) = mid;
  }
  return q;
}

// The stationary points of h in rising order (at most n - 1): every real one when n = 3, those
// inside (lower, upper) for higher degrees, where they are the crossings of h' on its own
// monotone pieces.
inline int stationaryPoints(const Real* c, int n, Real lower, Real upper, Real* s) {
  if (n == 3) {
    const Real disc = c[2] * c[2] - 3.0 * c[3] * c[1];
    if (!(c[3] > 0.0) || !(disc > 0.0)) return 0;  // h never falls
    const Real root = std::sqrt(disc);
    s[0] = (-c[2] - root) / (3.0 * c[3]);
    s[1] = (-c[2] + root) / (3.0 * c[3]);
    return 2;
  }
  Real slope[5] = {};
  for (int k = 1; k <= n; ++k) slope[k - 1] = k * c[k];
  // Over |u| <= 1 the constant term of h' outweighing all others leaves h rising throughout.
  Real rest = 0.0;
  for (int k = 1; k < n; ++k) rest += std::fabs(slope[k]);
  if (slope[0] > rest && std::fmax(std::fabs(lower), std::fabs(upper)) <= 1.0) return 0;
  Real ends[6] = {lower};
  int count = 1;
  for (int k = 0, m = stationaryPoints(slope, n - 1, lower, upper, ends + 1); k < m; ++k)
    if (ends[1 + k] > lower && ends[1 + k] < upper) ends[count++] = ends[1 + k];
  ends[count++] = upper;
  int found = 0;
  for (int k = 0; k + 1 < count; ++k) {
    if (negativeSign(polynomialValue(slope, n - 1, ends[k])) != negativeSign(polynomialValue(slope, n - 1, ends[k + 1])))
      s[found++] = monotoneRoot(slope, n - 1, ends[k], ends[k + 1]);
  }
  return found;
}

// A quadratic piece r(u) = v0 + v1 u + v2 u^2 of a line, measured from the slave node, and the
// cubic h(u) = c0 + c1 u + c2 u^2 + c3 u^3 (half the derivative of |r|^2) whose roots are its feet.
struct QuadraticPiece {
  int nu = 0;
  Real v0[3] = {}, v1[3] = {}, v2[3] = {};
  Real c[4] = {};

  // Forms c from v0, v1 and v2.
  void formCubic() {
    for (int i = 0; i < nu; ++i) {
      c[0] += v1[i] * v0[i];
      c[1] += v1[i] * v1[i] + 2.0 * v2[i] * v0[i];
      c[2] += 3.0 * v1[i] * v2[i];
      c[3] += 2.0 * v2[i] * v2[i];
    }
  }
  Real h(Real u) const { return ((c[3] * u + c[2]) * u + c[1]) * u + c[0]; }
  Real slope(Real u) const { return (3.0 * c[3] * u + 2.0 * c[2]) * u + c[1]; }
  Real distance2(Real u) const {
    Real d2 = 0.0;
    for (int i = 0; i < nu; ++i) {
      const Real r = v0[i] + (v1[i] + v2[i] * u) * u;
      d2 += r * r;
    }
    return d2;
  }
};

// Whether h changes sign within a hair of u (or vanishes there): u is a root, not merely the
// point where the Newton steps of a bracketed foot stopped.
inline bool rootAt(const Real* c, int n, Real u) {
  constexpr Real kHair = 1.0e-9;
  const Real at = polynomialValue(c, n, u);
  if (at == 0.0) return true;
  const Real step = kHair * std::fmax(1.0, std::fabs(u));
  return negativeSign(polynomialValue(c, n, u - step)) != negativeSign(polynomialValue(c, n, u + step));
}

// The nearest minimum of the distance inside [lower, upper] on a rising piece of h, or NaN.
// `taken` is the bracketed foot (NaN: none taken): when it is a root of h (its Newton steps
// `converged`, or h changes sign there), the piece holding it is covered and passed over. Where
// the bracketing stopped beside a turn of h, the Newton steps may end short of any root; the
// piece's own minimum is then looked for like any other.
template <class Distance2>
Real missedMinimum(const Real* c, int n, Real lower, Real upper, Real taken, bool converged, Distance2 d2) {
  const Real nan = std::numeric_limits<Real>::quiet_NaN();
  Real s[4] = {};
  const int m = stationaryPoints(c, n, lower, upper, s);
  Real best = nan, bestD2 = 0.0;
  const bool takenIsRoot = !std::isnan(taken) && (converged || rootAt(c, n, taken));
  // Piece k runs from s[k-1] to s[k] (unbounded at the outer ends); h rises on every other one.
  for (int k = 0; k <= m; ++k) {
    const Real from = k == 0 ? -std::numeric_limits<Real>::infinity() : s[k - 1];
    const Real to = k == m ? std::numeric_limits<Real>::infinity() : s[k];
    if (takenIsRoot && taken >= from && taken <= to) continue;
    const Real p = std::max(from, lower), q = std::min(to, upper);
    if (!(p < q) || !negativeSign(polynomialValue(c, n, p)) || negativeSign(polynomialValue(c, n, q))) continue;
    const Real u = monotoneRoot(c, n, p, q);
    const Real du = d2(u);
    if (std::isnan(best) || du < bestD2) {
      best = u;
      bestD2 = du;
    }
  }
  return best;
}

// Squared distance of the slave node from a point given as nodes and shape values.
inline Real slaveDistance(const Line& line, const Int* nodes, const Real* N, int m) {
  Real sum = 0.0;
  for (int i = 0; i < line.nu; ++i) {
    Real p = 0.0;
    for (int k = 0; k < m; ++k) p += N[k] * line.column(nodes[k])[i];
    sum += (p - line.s[i]) * (p - line.s[i]);
  }
  return sum;
}

// A line needs a segment and its nodes inside the line; otherwise nothing is found.
inline bool usableLine(const SearchArgs& args, int nodesPerSegment) {
  const long needed = static_cast<long>(args.spare) + 1 + static_cast<long>(nodesPerSegment) * args.nseg;
  const long last = *args.last + (args.ident == nullptr ? nodesPerSegment : 0);
  if (args.nseg >= 1 && args.spare >= nodesPerSegment && last >= needed && args.slave >= 1) return true;
  rec::setSlotILow(args.points, kSlotCount, 0);
  rec::setSlotR(args.result, kSlotClearance, -kUnset);
  return false;
}

template <class Kind>
class SlideWalk;

// One search: a line that cannot hold its segments finds nothing (a closed line's last-node
// argument still comes back 0).
template <class Kind>
void runSearch(const SearchArgs& args) {
  if (usableLine(args, Kind::kNodesPerSegment))
    SlideWalk<Kind>(args).run();
  else if (args.ident == nullptr)
    *args.last = 0;
}

// The shape of the chosen point handed to RSLIDE.
struct PointShape {
  int m = 0;
  Real N[5] = {}, dN[5] = {}, d2N[5] = {};
};

// The state of one search and the steps every segment kind shares.
template <class Kind>
class SlideWalk {
 public:
  explicit SlideWalk(const SearchArgs& args) : args_(args) {}

  void run();

  // ---- Used by the segment kinds --------------------------------------------------------------
  const Line& line() const { return line_; }
  Line& line() { return line_; }
  const SearchArgs& args() const { return args_; }
  // Candidates are out of reach when the squared distance of the slave node from the segment's
  // end node exceeds twice (reach^2 + target); this is the target part, with a little slack.
  Real reachSlack() const { return 2.0 * target() * (1.0 + 1.0e-9); }
  // The largest squared distance a candidate may have and still replace the best (and, after
  // the probe, still be the final best).
  Real target() const {
    const Real t = args_.fold && !line_.closed ? best_.d2 + kAcceptShare * (best_.d2 + kTiny) : best_.d2;
    return std::min(t, probeBest_);
  }
  bool accepts(Real d2, Int j) const {
    if (!args_.fold || line_.closed) return d2 < best_.d2;
    const Real r = std::fabs(d2 - best_.d2) / (best_.d2 + kTiny);
    return (d2 < best_.d2 && r >= kAcceptShare) ||
           (r < kAcceptShare && std::labs(static_cast<long>(j) - k_) < std::labs(static_cast<long>(best_.segment) - k_));
  }
  // Offers a candidate; the nodes are filled only when it is taken. A probed segment keeps the
  // nearest of the candidates it offers.
  template <class Fill>
  void offer(Real d2, Int j, Form form, Real xi, int extension, Fill fill) {
    if (probing_) {
      probeBest_ = std::min(probeBest_, d2);
      Probe& p = probes_[probeCount_ - 1];
      if (p.offered && !(d2 < p.choice.d2)) return;
      p.offered = true;
      setChoice(p.choice, d2, j, form, xi, extension);
      fill(p.choice.nodes);
      return;
    }
    if (!accepts(d2, j)) return;
    setChoice(best_, d2, j, form, xi, extension);
    fill(best_.nodes);
  }
  static void setChoice(Choice& c, Real d2, Int j, Form form, Real xi, int extension) {
    c.form = form;
    c.d2 = d2;
    c.slaveD2 = d2;
    c.xi = xi;
    c.segment = j;
    c.extension = extension;
  }
  void offerVertex(Real d2, Int j, Int b, Int before, Int after) {
    offer(d2, j, Form::Vertex, 0.0, 0, [&](Int* n) {
      n[0] = b;
      n[1] = before;
      n[2] = after;
    });
  }
  // The first node taken as a vertex point, where a smoothed first-end corner cannot be formed.
  void offerFirstNode(Real d2, Int j) {
    offer(d2, j, Form::StartVertex, 0.0, 0, [&](Int* n) {
      n[0] = line_.spare + 1;
      n[1] = line_.spare + 1;
      n[2] = line_.spare + 2;
    });
  }
  // A fold point as the fold test offers it (the distance is that of the projected node).
  void takeFoldPoint(Real d2, Real xi, Int segment, const Int* nodes) {
    best_.form = Form::FoldPoint;
    best_.d2 = d2;
    best_.xi = xi;
    best_.segment = segment;
    best_.extension = 0;
    for (int k = 0; k < Kind::kNodesPerSegment + 1; ++k) best_.nodes[k] = nodes[k];
    PointShape shape;
    Kind::segmentShape(xi, shape);
    best_.slaveD2 = slaveDistance(line_, best_.nodes, shape.N, shape.m);
  }
  Real bestDistance() const { return best_.d2; }

 private:
  void setUp();
  void findBound();
  Real bound();
  bool exceedsBound(Real d2);
  int foldTest();
  void takeStartValue();
  void walkSegments();
  void walkAll();
  Int nearestNodeSampled() const;
  void probeNearestSegments();
  bool replayProbe(Int j, Real lower, Real upper);
  void walkSegment(Int j, bool& previousCounted, bool& stop);
  Real chordQuarter(Int j);
  Real turningAngle() const;
  Real vertexTurn(Int s) const;
  void finish();
  void writeChoice(PointShape& shape);

  const SearchArgs& args_;
  Line line_{};
  Choice best_{};
  long k_ = 0;
  long lo_ = 1, hi_ = 0;
  bool behindGaveSharp_ = false;
  bool endSearch_ = false;
  bool turnedBack_ = false;
  bool boundKnown_ = false;
  Real bound_ = kUnset;
  Int boundLast_ = 0;  // the last node as handed in: the bound covers the line before any cut
  Real lref2_ = 0.0;
  Int rslideFirst_ = 0;
  Real saved_[2][3] = {};
  // The segments probed before the walk: their bounds and the candidate each offered.
  struct Probe {
    Int segment = 0;
    Real lower = 0.0, upper = 0.0;
    bool offered = false;
    Choice choice{};
  };
  Probe probes_[2];
  int probeCount_ = 0;
  bool probing_ = false;
  bool identitySeen_ = false;  // the slave node's identity met on the line (cut or start moved)
  Real probeBest_ = kUnset;    // the least distance among the candidates probed
  Int carriedSegment_ = 0;  // the segment whose chord quarter is carried from the last step
  Real carriedQ_ = 0.0;
};

template <class Kind>
void SlideWalk<Kind>::setUp() {
  Line& L = line_;
  L.x = args_.x;
  L.ld = args_.ld;
  L.y = args_.y;
  L.ldy = args_.ldy;
  L.spare = args_.spare;
  L.first = args_.spare + 1;
  L.last = *args_.last;
  boundLast_ = L.last;
  L.nseg = args_.nseg;
  L.closed = args_.ident == nullptr;
  L.nu = args_.type > 285 ? 2 : std::clamp<int>(args_.ndir, 2, 3);
  L.f = args_.smooth;
  L.g = L.f > 0.0 ? std::max(0.0, 1.0 - 2.0 * L.f) : 1.0;
  L.endTol = L.closed ? 0.0 : args_.endTol;
  L.reach2 = Kind::reachFactor2(L.f);
  L.slave = args_.slave;
  for (int i = 0; i < L.nu; ++i) L.s[i] = L.column(L.slave)[i];
  L.axis = spreadAxis(L.column(L.first), L.column(L.first + (L.last - L.first) / 2));
  if (!L.closed) {
    Real n1 = 0.0, n2 = 0.0;
    for (int i = 0; i < 3; ++i) {
      L.e1[i] = args_.ext[i];
      L.e2[i] = args_.ext[3 + i];
      n1 += L.e1[i] * L.e1[i];
      n2 += L.e2[i] * L.e2[i];
    }
    L.ext1 = n1 > kTiny;
    L.ext2 = n2 > kTiny;
  }
  for (int c = 0; c < Kind::kSpareColumns; ++c)
    for (int i = 0; i < 3; ++i) saved_[c][i] = i < args_.ndir ? L.column(L.spare - c)[i] : 0.0;
  rslideFirst_ = L.first;
  rec::setSlotR(args_.result, kSlotMarker, -1.0);
  rec::setSlotILow(args_.points, kSlotSlave, L.slave);
  rec::setSlotILow(args_.points, kSlotCount, 0);
  if (L.closed) {
    rec::setSlotILow(args_.points, kSlotNode1, L.last);
    rec::setSlotILow(args_.points, kSlotNode2, L.first);
    rec::setSlotILow(args_.points, kSlotNode3, L.wrap(L.first + 1));
  }
  // Squared length of the first segment (first two directions): scales the start value's slack.
  const Real* a = L.column(L.first);
  const Real* b = L.column(L.wrap(L.first + Kind::kNodesPerSegment));
  lref2_ = (a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]);
  k_ = args_.prevSeg;
  const long ahead = Kind::windowAhead(args_);
  if (L.closed) {
    if (k_ < 0 || k_ > L.nseg) k_ = L.wrapSegment(k_);
    if (ahead + 2 >= L.nseg) {
      lo_ = 1;  // the window takes in the whole line
      hi_ = L.nseg;
    } else {
      lo_ = k_ - 1 < 1 ? L.nseg : k_ - 1;
      hi_ = k_ + ahead > L.nseg ? k_ + ahead - L.nseg : k_ + ahead;
    }
  } else {
    lo_ = std::max<long>(1, k_ - 1);
    hi_ = std::min<long>(L.nseg, k_ + ahead);
  }
}

// The bound B of count nodes (columns of ld reals from x) and the slave node s, in the first two
// directions: running over the nodes, m1 is the least squared distance so far and B the least
// one that exceeded the m1 before it (values up to 1e-36 are passed over; B stays 1e36 when the
// distances only fall).
inline Real nodeBound(const Real* x, long ld, long count, const Real* s) {
  Real m1 = kUnset, m2 = kUnset;
  const Real s0 = s[0], s1 = s[1];
  const auto at = [&](const Real* q) { return (q[0] - s0) * (q[0] - s0) + (q[1] - s1) * (q[1] - s1); };
  // One node at a time: branches rather than selects, since distances fall, then rise along a
  // line and the branches predict well.
  const auto one = [&](Real d2) {
    if (d2 <= kTiny) return;
    if (d2 < m1)
      m1 = d2;
    else if (d2 > m1 && d2 < m2)
      m2 = d2;
  };
  long n = 0;
  const Real* p = x;
  // Four nodes at a time where they all lie beyond the least distance so far (each then counts
  // for B), or all fall below it in strictly falling order (each a new least distance).
  for (; n + 4 <= count; n += 4, p += 4 * ld) {
    const Real d0 = at(p), d1 = at(p + ld), d2 = at(p + 2 * ld), d3 = at(p + 3 * ld);
    const Real low = std::min(std::min(d0, d1), std::min(d2, d3));
    if (low > m1) {
      m2 = std::min(m2, low);
    } else if (d0 < m1 && d1 < d0 && d2 < d1 && d3 < d2 && d3 > kTiny) {
      m1 = d3;
    } else {
      one(d0);
      one(d1);
      one(d2);
      one(d3);
    }
  }
  for (; n < count; ++n, p += ld) one(at(p));
  return m2;
}

template <class Kind>
void SlideWalk<Kind>::findBound() {
  const Line& L = line_;
  bound_ = nodeBound(L.column(L.first), L.ld, static_cast<long>(boundLast_) - L.first + 1, L.s);
  boundKnown_ = true;
}

template <class Kind>
Real SlideWalk<Kind>::bound() {
  if (!boundKnown_) findBound();
  return bound_;
}

// Whether d2 exceeds the bound B. B is the distance of some node (or 1e36), so it does not when
// no node is nearer than d2; only then is B itself needed.
template <class Kind>
bool SlideWalk<Kind>::exceedsBound(Real d2) {
  const Line& L = line_;
  const long count = static_cast<long>(boundLast_) - L.first + 1;
  if (!boundKnown_ && !someNodeMayBeNearer(L.column(L.first), L.ld, count, L.s, d2, L.axis)) return false;
  return d2 > bound();
}

// The fold test round the previous segment: the pair ahead, then (unless it gave a sharp
// fold) the pair behind; codes 1 and 2 offer the projected point. Returns the last code.
template <class Kind>
int SlideWalk<Kind>::foldTest() {
  const Line& L = line_;
  constexpr int n = Kind::kFoldNodes, pointNodes = Kind::kNodesPerSegment + 1;
  int code = 0;
  for (bool ahead : {true, false}) {
    if (!ahead && code != 0 && code != 1) break;
    const long start = Kind::foldStart(*this, k_, ahead);
    if (!L.closed && (start < L.first || start + n - 1 > L.last)) continue;
    Int nodes[n];
    for (int i = 0; i < n; ++i) nodes[i] = L.wrap(start + i);
    Real d2 = kUnset, xi = 0.0;
    code = Kind::checkFold(*this, ahead, nodes, d2, xi);
    if (!ahead) behindGaveSharp_ = code == 3;
    if ((code == 1 || code == 2) && (ahead || d2 < best_.d2))
      takeFoldPoint(d2, xi, L.wrapSegment(Kind::foldSegment(*this, k_, ahead)), ahead ? nodes + n - pointNodes : nodes);
  }
  return code;
}

// The first node of an open line as a vertex point, its distance raised so that a point of the
// line at nearly the same distance wins over it.
template <class Kind>
void SlideWalk<Kind>::takeStartValue() {
  const Real D = line_.toSlave(line_.column(line_.first));
  Real start = Kind::startValue(D, lref2_);
  if (start < kTiny) start = bound();
  best_.form = Form::StartVertex;
  best_.d2 = start;
  best_.slaveD2 = D;
  best_.segment = 1;
  best_.nodes[0] = best_.nodes[1] = line_.first;
  best_.nodes[2] = line_.first + 1;
}

template <class Kind>
void SlideWalk<Kind>::run() {
  setUp();
  if (args_.fold) {
    const int code = foldTest();
    if (code == 3) best_ = Choice{};  // no contact at the fold: nothing found so far
    endSearch_ = code == 2;
  }
  if (!endSearch_) {
    if (!line_.closed && !line_.ext1 && best_.d2 >= kUnset) takeStartValue();
    walkSegments();
    if (args_.fold && best_.d2 < kUnset) {
      if (exceedsBound(best_.d2)) {
        best_.d2 = kUnset;
      } else if (turningAngle() < 0.0) {
        best_.d2 = kUnset;
        turnedBack_ = true;
      }
    }
  }
  finish();
}

template <class Kind>
void SlideWalk<Kind>::walkSegments() {
  Line& L = line_;
  if (args_.fold) {
    // Only the window is walked; its first segment follows one that did not count.
    const long count = lo_ <= hi_ ? hi_ - lo_ + 1 : (L.closed ? L.nseg - lo_ + 1 + hi_ : 0);
    bool previousCounted = false, stop = false;
    for (long n = 0; n < count && !stop; ++n) walkSegment(L.wrapSegment(lo_ + n), previousCounted, stop);
    return;
  }
  const Int lastBefore = L.last, firstBefore = rslideFirst_;
  probeNearestSegments();
  walkAll();
  if (identitySeen_ && probeCount_ > 0) {
    // The probe assumed the whole line; the slave node's identity changed it: walk again
    // without the probe, from the start value (the only best a walk without folds starts from).
    best_ = Choice{};
    if (!line_.closed && !line_.ext1) takeStartValue();
    line_.last = lastBefore;
    *args_.last = lastBefore;
    rslideFirst_ = firstBefore;
    probeCount_ = 0;
    probeBest_ = kUnset;
    identitySeen_ = false;
    walkAll();
  }
}

// The full walk. Runs of interior segments whose candidates are all out of reach are passed
// over by the segment kind's scan (identities checked, chords carried from step to step).
template <class Kind>
void SlideWalk<Kind>::walkAll() {
  const Line& L = line_;
  const Int* ident = L.closed ? nullptr : args_.ident;
  const Int own = L.closed ? 0 : ident[L.slave - 1];
  L.blockRetry = 0;
  // The closed line starts after its closing segment, which counts unless degenerate.
  bool previousCounted = L.closed && L.nseg > 0 && chordQuarter(L.nseg) > 0.0;
  bool stop = false;
  const Int scanEnd = L.closed ? L.nseg - 2 : L.nseg - 1;  // the next segment's nodes lie inside the line
  for (Int j = 1; j <= L.nseg && !stop; ++j) {
    if (j > 1 && j <= scanEnd) {
      Real q = Kind::chordQuarter(*this, j);
      const Int next = Kind::scanOutOfReach(*this, j, scanEnd, q, ident, own);
      if (next > j) previousCounted = true;
      j = next;
      if (j > scanEnd) {
        --j;  // resume the ordinary walk after the scanned run
        continue;
      }
    }
    walkSegment(j, previousCounted, stop);
  }
}

// A line node near the slave node: the nearest of every s-th node (s about sqrt(n)), then
// downhill from it along the line (first two directions).
template <class Kind>
Int SlideWalk<Kind>::nearestNodeSampled() const {
  const Line& L = line_;
  const long count = static_cast<long>(L.last) - L.first + 1;
  const long stride = std::max(1L, static_cast<long>(std::sqrt(static_cast<double>(count))));
  const auto d2 = [&](long n) {
    const Real* p = L.column(static_cast<Int>(L.first + n));
    return (p[0] - L.s[0]) * (p[0] - L.s[0]) + (p[1] - L.s[1]) * (p[1] - L.s[1]);
  };
  long best = 0;
  Real bestD2 = kUnset;
  for (long n = 0; n < count; n += stride) {
    const Real d = d2(n);
    if (d < bestD2) {
      bestD2 = d;
      best = n;
    }
  }
  for (int direction : {1, -1}) {
    for (long n = best + direction; n >= 0 && n < count; n += direction) {
      const Real d = d2(n);
      if (!(d < bestD2)) break;
      bestD2 = d;
      best = n;
    }
  }
  return static_cast<Int>(L.first + best);
}

// Before the full walk, the candidates of the segments round a node near the slave node are
// computed as the walk will compute them: the least of their distances bounds the final best
// from the start, so that the walk passes over far candidates at once, and the walk takes the
// probed candidates as they are when it meets the same bounds.
template <class Kind>
void SlideWalk<Kind>::probeNearestSegments() {
  const Line& L = line_;
  if (L.nseg < 3) return;
  const long j0 = Kind::segmentOfNode(*this, nearestNodeSampled());
  probing_ = true;
  // The node ends segment j0 - 1 and starts segment j0: the slave node's nearest segment is
  // usually one of the two. The one whose far end is nearer goes first, so that the other may
  // be out of reach already.
  long order[2] = {j0 - 1, j0};
  if (j0 > 1 || L.closed) {
    const Real before = L.toSlave(L.column(Kind::startNode(*this, L.wrapSegment(j0 - 1L))));
    const Real after = L.toSlave(L.column(Kind::endNode(*this, L.wrapSegment(j0))));
    if (after < before) std::swap(order[0], order[1]);
  }
  for (long j : order) {
    if (!L.closed && (j < 1 || j > L.nseg)) continue;
    const Int jj = L.wrapSegment(j);
    bool previousCounted = (L.closed || jj > 1) && chordQuarter(L.wrapSegment(jj - 1L)) > 0.0;
    bool stop = false;
    walkSegment(jj, previousCounted, stop);
  }
  probing_ = false;
  if (identitySeen_) {
    probeCount_ = 0;
    probeBest_ = kUnset;
    identitySeen_ = false;
  }
}

template <class Kind>
bool SlideWalk<Kind>::replayProbe(Int j, Real lower, Real upper) {
  for (int k = 0; k < probeCount_; ++k) {
    const Probe& p = probes_[k];
    if (p.segment != j || p.lower != lower || p.upper != upper) continue;
    if (p.offered && accepts(p.choice.d2, j)) best_ = p.choice;
    return true;
  }
  return false;
}

// A quarter of the squared chord of segment j; the walk computes each one once.
template <class Kind>
Real SlideWalk<Kind>::chordQuarter(Int j) {
  if (j == carriedSegment_) return carriedQ_;
  carriedSegment_ = j;
  carriedQ_ = Kind::chordQuarter(*this, j);
  return carriedQ_;
}

template <class Kind>
void SlideWalk<Kind>::walkSegment(Int j, bool& previousCounted, bool& stop) {
  Line& L = line_;
  const Real Q = chordQuarter(j);
  if (!(Q > 0.0)) {
    previousCounted = false;
    return;
  }
  const Int a = Kind::startNode(*this, j), b = Kind::endNode(*this, j);
  if (!L.closed) {
    const Int own = args_.ident[L.slave - 1];
    if (args_.ident[a - 1] == own || args_.ident[b - 1] == own) {
      identitySeen_ = true;
      if (probing_) return;
    }
    if (args_.ident[a - 1] == own) {
      // The slave node belongs to the line: the line starts after it.
      rslideFirst_ = b;
      previousCounted = false;
      return;
    }
    if (args_.ident[b - 1] == own) {
      *args_.last = a;
      L.last = a;
      stop = true;
      return;
    }
  }
  const bool firstSegment = !L.closed && j == 1, lastSegment = !L.closed && j == L.nseg;
  const Real Qnext = lastSegment ? 0.0 : chordQuarter(L.wrapSegment(j + 1));
  Real lower;
  if (firstSegment && !L.ext1)
    lower = -1.0 - L.endTol;
  else if (!previousCounted && !firstSegment)
    lower = -1.0;
  else
    lower = -(L.g + kBoundSlack);
  Real upper;
  if (lastSegment && !L.ext2)
    upper = 1.0 + L.endTol;
  else if (Qnext <= std::max(1.0e-10 * Q, kTiny))
    upper = 1.0;
  else if (behindGaveSharp_ && j == lo_ - 1)
    upper = 1.0;
  else
    upper = L.g + kBoundSlack;
  if (probing_) {
    probes_[probeCount_++] = Probe{j, lower, upper, false, {}};
    Kind::offerCandidates(*this, j, Q, Qnext, lower, upper, firstSegment, lastSegment);
  } else if (!replayProbe(j, lower, upper)) {
    Kind::offerCandidates(*this, j, Q, Qnext, lower, upper, firstSegment, lastSegment);
  }
  previousCounted = true;
}

// Turn of the line at the node that ends segment s, in the first two directions.
template <class Kind>
Real SlideWalk<Kind>::vertexTurn(Int s) const {
  const Line& L = line_;
  if (!L.closed && (s < 1 || s + 1 > L.nseg)) return 0.0;
  const Int a = Kind::startNode(*this, L.wrapSegment(s)), b = Kind::endNode(*this, L.wrapSegment(s));
  const Int c = Kind::endNode(*this, L.wrapSegment(s + 1));
  const Real* xa = L.column(a);
  const Real* xb = L.column(b);
  const Real* xc = L.column(c);
  const Real u[2] = {xb[0] - xa[0], xb[1] - xa[1]}, v[2] = {xc[0] - xb[0], xc[1] - xb[1]};
  const Real lu = std::max(std::sqrt(u[0] * u[0] + u[1] * u[1]), kTiny);
  const Real lv = std::max(std::sqrt(v[0] * v[0] + v[1] * v[1]), kTiny);
  if (lu == kTiny || lv == kTiny) return 0.0;
  const Real cross = u[0] * v[1] - u[1] * v[0], dot = u[0] * v[0] + u[1] * v[1];
  Real angle = std::asin(std::clamp(cross / (lu * lv), -1.0, 1.0));
  if (dot < 0.0) angle = angle < 0.0 ? -kPi - angle : kPi - angle;
  if (args_.sharp == 0 && angle < 0.0) {
    // A clockwise turn that was no turn, or the other turn, at the start of the increment has
    // wound round: count it as the counter-clockwise turn it came from.
    const auto at = [&](Int node, int i) { return L.y[(static_cast<long>(node) - 1) * L.ldy + i]; };
    const Real u0[2] = {u[0] - (at(b, 0) - at(a, 0)), u[1] - (at(b, 1) - at(a, 1))};
    const Real v0[2] = {v[0] - (at(c, 0) - at(b, 0)), v[1] - (at(c, 1) - at(b, 1))};
    const Real cross0 = u0[0] * v0[1] - u0[1] * v0[0];
    if (std::fabs(cross0 / (lu * lv)) < 0.08 || cross * cross0 < std::max(-1.0e-10 * dot, kTiny))
      angle += 2.0 * kPi;
  }
  return angle;
}

// The turning angle from the segment of the previous point to the chosen one; negative means
// the slave node has passed round the line the wrong way.
template <class Kind>
Real SlideWalk<Kind>::turningAngle() const {
  const Line& L = line_;
  long newSeg = best_.segment;
  if (L.closed && L.nseg > 0) {
    // The nearer way round from the previous segment.
    long delta = ((newSeg - k_) % L.nseg + L.nseg) % L.nseg;
    if (delta > L.nseg / 2) delta -= L.nseg;
    newSeg = k_ + delta;
  }
  const bool smoothedOff = best_.form == Form::Smoothed && best_.xi != 0.0;
  long s1, s2;
  const bool forward = newSeg >= k_;
  if (forward) {
    s1 = k_ + 1;
    s2 = newSeg + (smoothedOff ? 1 : 0);
  } else {
    s1 = newSeg;
    s2 = k_;
  }
  Real sum = 0.0;
  for (long s = s1; s < s2; ++s) {
    Real angle = vertexTurn(static_cast<Int>(L.closed ? L.wrapSegment(s) : s));
    if (smoothedOff && s == newSeg) angle *= forward ? (1.0 + best_.xi) / 2.0 : (1.0 - best_.xi) / 2.0;
    sum += angle;
    if (sum > 2.0 * kPi) sum -= 4.0 * kPi;
    if (sum < -2.0 * kPi) sum += 4.0 * kPi;
  }
  return sum;
}

template <class Kind>
void SlideWalk<Kind>::writeChoice(PointShape& shape) {
  void* pt = args_.points;
  Real* res = args_.result;
  switch (best_.form) {
    case Form::Vertex:
    case Form::StartVertex:
      shape.m = 1;
      shape.N[0] = 1.0;
      break;
    case Form::SegmentPoint:
    case Form::FoldPoint:
      Kind::segmentShape(best_.xi, shape);
      break;
    case Form::Smoothed:
      Kind::smoothedShape(line_.f, best_.xi, shape);
      break;
    case Form::None:
      return;
  }
  rec::setSlotILow(pt, kSlotCount, shape.m);
  const int nodes = shape.m == 1 ? 3 : shape.m;
  for (int k = 0; k < nodes; ++k) rec::setSlotILow(pt, kSlotNode1 + k, best_.nodes[k]);
  if (shape.m == 1) {
    rec::setSlotR(res, kSlotShape, 1.0);
    return;
  }
  for (int k = 0; k < shape.m; ++k) {
    rec::setSlotR(res, kSlotShape + k, shape.N[k]);
    rec::setSlotR(res, kSlotShapeDerivative + k, shape.dN[k]);
  }
}

template <class Kind>
void SlideWalk<Kind>::finish() {
  Line& L = line_;
  PointShape shape;
  writeChoice(shape);
  if (turnedBack_) rec::setSlotILow(args_.points, kSlotCount, 0);
  if (best_.d2 >= kUnset || best_.form == Form::None) {
    rec::setSlotR(args_.result, kSlotClearance, -kUnset);
    if (L.closed) *args_.last = 0;
    return;
  }
  Real image[2][3] = {};
  if (best_.extension != 0) {
    Kind::extensionNodes(*this, best_.extension, image);
    for (int c = 0; c < Kind::kSpareColumns; ++c)
      for (int i = 0; i < L.nu; ++i) L.column(L.spare - c)[i] = image[c][i];
  }
  const Int first = L.closed ? 0 : rslideFirst_;
  const Int last = L.closed ? 0 : L.last;
  const Int nu = L.nu;
  RSLIDE(args_.points, args_.result, L.x, &args_.ld, shape.d2N, &nu, &best_.slaveD2, &args_.offset, &first, &last,
         &args_.type);
  if (args_.copyA || args_.copyB) Kind::copyBlocks(*this, shape.m);
  Kind::restoreSpareSlots(*this, best_.extension);
  for (int c = 0; c < Kind::kSpareColumns; ++c)
    for (int i = 0; i < std::min<int>(args_.ndir, 3); ++i) L.column(L.spare - c)[i] = saved_[c][i];
  if (best_.extension != 0) {
    const Real* e = best_.extension == 1 ? L.e1 : L.e2;
    Real* res = args_.result;
    const Real b[3] = {res[9], res[10], res[11]};
    const int slot = best_.extension == 1 ? kSlotFirstExtensionFrame : kSlotLastExtensionFrame;
    res[slot - 1] = b[1] * e[2] - b[2] * e[1];
    res[slot] = b[2] * e[0] - b[0] * e[2];
    res[slot + 1] = b[0] * e[1] - b[1] * e[0];
  }
  if (L.closed) *args_.last = 0;
}

}  // namespace zmx_slide
