// Searches of a slave node against rigid slide lines of three-node segments, open and closed.
// Each segment offers its foot (the root of the cubic distance derivative), its end vertex or
// the smoothed junction at its end: over the fraction f next to the shared node the two
// neighbouring segments are blended by a cubic that meets each of them with its tangent, so the
// master point moves continuously from one segment to the next. The straight extensions of an
// open line enter as two virtual nodes in the spare columns beyond the end.

#include "contact/slide_lines/slide_walk.h"
#include "zmx/geometry/sharp_folds.h"

#include <limits>

namespace zmx_slide {
namespace {

// Blend coefficients of the junction of fraction f.
struct Blend {
  Real f, h, q, F, G;
  explicit Blend(Real fraction)
      : f(fraction), h(fraction / 2.0), q(fraction / 4.0), F(fraction * fraction), G(fraction * fraction / 2.0) {}
};

struct QuadraticSegments {
  static constexpr int kSpareColumns = 2;
  static constexpr int kNodesPerSegment = 2;
  using Walk = SlideWalk<QuadraticSegments>;

  static int windowAhead(const SearchArgs& args) { return args.middle ? 1 : 2; }
  static Int startNode(const Walk& w, Int j) { return w.line().wrap(w.line().spare + 2L * j - 1); }
  static Int midNode(const Walk& w, Int j) { return w.line().wrap(w.line().spare + 2L * j); }
  static Int endNode(const Walk& w, Int j) { return w.line().wrap(w.line().spare + 2L * j + 1); }
  static Int segmentOfNode(const Walk& w, Int node) {
    return std::clamp<Int>((node - w.line().spare + 1) / 2, 1, w.line().nseg);
  }
  static Real chordQuarter(const Walk& w, Int j) {
    const Line& L = w.line();
    return L.squared(L.column(startNode(w, j)), L.column(endNode(w, j))) / 4.0;
  }
  // Every point a segment offers (foot, end vertex, junction at its end) lies within the reach
  // factor times the largest distance of the other nodes of this and the next segment from the
  // end node b; none can replace the best when the slave node is farther from b.
  // Whether a point of the junction at the end node b (|xi| <= 1, within the sum of the other
  // shape values' bounds times the largest distance rho of the other nodes from b) may replace
  // the best.
  static bool junctionInReach(const Walk& w, Int j, Real Q, Real Qnext, bool last) {
    const Line& L = w.line();
    const Blend bl(L.f);
    const Real outer = bl.G + std::fabs(bl.F - bl.q) + std::fabs(bl.h - bl.G) + bl.q;
    const Real inner = 2.0 * (bl.G + std::fabs(bl.h - bl.F) + std::fabs(bl.G - bl.f) + bl.h);
    const Real* xb = L.column(endNode(w, j));
    const Real rho2 = std::max(std::max(4.0 * Q, L.squared(L.column(midNode(w, j)), xb)),
                               std::max(last ? 0.0 : L.squared(L.column(midNode(w, L.wrapSegment(j + 1L))), xb), 4.0 * Qnext));
    const Real r = 2.0 * (outer + inner) * std::sqrt(rho2) + std::sqrt(w.target());
    return L.toSlave(xb) <= r * r * (1.0 + 1.0e-6);
  }
  static bool outOfReach(const Walk& w, Int j, Real Q, Real Qnext) {
    const Line& L = w.line();
    const Real* xb = L.column(endNode(w, j));
    const Int next = L.wrapSegment(j + 1L);
    const bool last = !L.closed && j == L.nseg;
    const Real rho2 = std::max(std::max(4.0 * Q, L.squared(L.column(midNode(w, j)), xb)),
                               std::max(last ? 0.0 : L.squared(L.column(midNode(w, next)), xb), 4.0 * Qnext));
    return L.toSlave(xb) > w.reachSlack() + 2.0 * (1.0 + 1.0e-9) * L.reach2 * rho2;
  }
  // As the straight scan: passes over segments j .. last out of reach; nodes are not wrapped.
  static Int scanOutOfReach(const Walk& w, Int j, Int last, Real& Q, const Int* ident, Int own) {
    return w.line().nu == 3 ? scan<3>(w, j, last, Q, ident, own) : scan<2>(w, j, last, Q, ident, own);
  }
  template <int N>
  static Int scan(const Walk& w, Int j, Int last, Real& Q, const Int* ident, Int own) {
    const Line& L = w.line();
    const Real slack = w.reachSlack(), factor = 2.0 * (1.0 + 1.0e-9) * L.reach2;
    const long ld = L.ld;
    const auto squared = [](const Real* p, const Real* r) {
      Real sum = 0.0;
      for (int i = 0; i < N; ++i) sum += (p[i] - r[i]) * (p[i] - r[i]);
      return sum;
    };
    const Real* xb = L.column(L.spare + 2 * j + 1);
    Real q = Q;
    for (; j <= last; ++j, xb += 2 * ld) {
      const Real qNext = squared(xb + 2 * ld, xb) * 0.25;
      const Real rho2 = std::max(std::max(4.0 * q, squared(xb - ld, xb)), std::max(squared(xb + ld, xb), 4.0 * qNext));
      if (!(q > 0.0) || !(squared(L.s, xb) > slack + factor * rho2)) break;
      if (ident != nullptr && (ident[L.spare + 2 * j - 2] == own || ident[L.spare + 2 * j] == own)) break;
      q = qNext;
    }
    Q = q;
    return j;
  }
  static Real startValue(Real D, Real) { return 1.05 * D; }
  static Real reachFactor2(Real f);

  static void segmentShape(Real xi, PointShape& s) {
    s.m = 3;
    s.N[0] = xi * (xi - 1.0) / 2.0;
    s.N[1] = 1.0 - xi * xi;
    s.N[2] = xi * (xi + 1.0) / 2.0;
    s.dN[0] = xi - 0.5;
    s.dN[1] = -2.0 * xi;
    s.dN[2] = xi + 0.5;
    s.d2N[0] = 1.0;
    s.d2N[1] = -2.0;
    s.d2N[2] = 1.0;
  }
  static void smoothedShape(Real f, Real xi, PointShape& s);

  // The fold pairs round the previous segment k: ahead segments k+1, k+2 (point on k+2), or
  // with the middle-node flag k, k+1 (point on k+1); behind segments k-1, k (point on k-1).
  static constexpr int kFoldNodes = 5;
  static long foldStart(const Walk& w, long k, bool ahead) {
    return w.line().spare + 2 * k + (ahead ? (w.args().middle ? -1 : 1) : -3);
  }
  static long foldSegment(const Walk& w, long k, bool ahead) {
    return ahead ? k + (w.args().middle ? 1 : 2) : k - 1;
  }
  static int checkFold(const Walk& w, bool ahead, const Int* n, Real& d2, Real& xi);
  static void offerCandidates(Walk& w, Int j, Real Q, Real Qnext, Real lower, Real upper, bool firstSegment,
                              bool lastSegment);
  static void offerSegmentEnd(Walk& w, Int j, Real upper, Real side, bool firstSegment, bool lastSegment,
                              bool minimaOnly = false);
  static void extensionNodes(const Walk& w, int extension, Real image[2][3]);
  static void copyBlocks(Walk& w, int m);
  static void restoreSpareSlots(Walk& w, int extension);
};

using QuadraticWalk = SlideWalk<QuadraticSegments>;

void QuadraticSegments::smoothedShape(Real f, Real xi, PointShape& s) {
  const Blend b(f);
  const Real h = b.h, q = b.q, F = b.F, G = b.G;
  s.m = 5;
  s.N[0] = ((F - q - G * xi) * xi + (h - G)) * xi - q;
  s.N[1] = 2.0 * (((h - F + G * xi) * xi + (G - f)) * xi + h);
  s.N[2] = 2.0 * (xi * xi * (q + F - f) + (q - f)) + 1.0;
  s.N[3] = 2.0 * (((h - F - G * xi) * xi + (f - G)) * xi + h);
  s.N[4] = ((F - q + G * xi) * xi + (G - h)) * xi - q;
  s.dN[0] = (2.0 * (F - q) - 3.0 * G * xi) * xi + (h - G);
  s.dN[1] = 2.0 * ((2.0 * (h - F) + 3.0 * G * xi) * xi + (G - f));
  s.dN[2] = 4.0 * xi * (q + F - f);
  s.dN[3] = 2.0 * ((2.0 * (h - F) - 3.0 * G * xi) * xi + (f - G));
  s.dN[4] = (2.0 * (F - q) + 3.0 * G * xi) * xi + (G - h);
  s.d2N[0] = 2.0 * (F - q) - 6.0 * G * xi;
  s.d2N[1] = 2.0 * (2.0 * (h - F) + 6.0 * G * xi);
  s.d2N[2] = 4.0 * (q + F - f);
  s.d2N[3] = 2.0 * (2.0 * (h - F) - 6.0 * G * xi);
  s.d2N[4] = 2.0 * (F - q) + 6.0 * G * xi;
}

// Square of a factor K such that every point a segment offers (its foot, its end vertex, the
// junction at its end, for |xi| <= 1.5) lies within K times the largest distance of the other
// nodes of the segment and the next one from the shared end node.
Real QuadraticSegments::reachFactor2(Real f) {
  const Blend b(f);
  const Real outer = 3.375 * b.G + 2.25 * std::fabs(b.F - b.q) + 1.5 * std::fabs(b.h - b.G) + b.q;
  const Real inner = 6.75 * b.G + 4.5 * std::fabs(b.h - b.F) + 3.0 * std::fabs(b.G - b.f) + 2.0 * b.h;
  const Real junction = 2.0 * (outer + inner);
  const Real k = 1.01 * std::max(3.125, junction);
  return k * k;
}

// The fold check of five consecutive nodes (two segments); returns its code.
int QuadraticSegments::checkFold(const Walk& w, bool ahead, const Int* n, Real& d2, Real& xi) {
  const SearchArgs& A = w.args();
  const Logical towards = ahead ? kTrue : kFalse, middle = A.middle ? kTrue : kFalse;
  const Real tol = kFoldTolerance;
  const Int nu = w.line().nu;
  Int code = 0;
  CHECKSHARPFOLD2(&code, &d2, &xi, &towards, &n[0], &n[1], &n[2], &n[3], &n[4], A.x, A.y, &tol, &A.sharp, &A.ld,
                  &A.ldy, &nu, &A.crossing, &middle);
  return code;
}

constexpr Real kOrigin[3] = {0.0, 0.0, 0.0};

// The junction of the segments x1-x2-x3 and x3-x4-x5 at x3: its bracketed foot, then a minimum
// of the distance the bracketing misses; only the latter with `minimaOnly`.
void offerJunction(QuadraticWalk& w, Int j, const Real* const x[5], const Int* nodes, int extension, bool minimaOnly) {
  const Line& L = w.line();
  const Blend bl(L.f);
  Real W0[3] = {}, W1[3] = {}, W2[3] = {}, W3[3] = {};
  for (int i = 0; i < L.nu; ++i) {
    const Real Q1 = x[0][i] + x[2][i] - 2.0 * x[1][i];
    const Real Q2 = x[2][i] + x[4][i] - 2.0 * x[3][i];
    const Real R = bl.h * (x[1][i] + x[3][i] - 2.0 * x[2][i]);
    W0[i] = R - bl.q * (Q1 + Q2) + x[2][i] - L.s[i];
    W1[i] = (bl.G - bl.h) * (Q2 - Q1) + bl.f * (x[3][i] - x[1][i]);
    W2[i] = (bl.F - bl.q) * (Q1 + Q2) + R;
    W3[i] = bl.G * (Q2 - Q1);
  }
  Real c[6] = {};
  for (int i = 0; i < L.nu; ++i) {
    c[0] += W0[i] * W1[i];
    c[1] += 2.0 * W0[i] * W2[i] + W1[i] * W1[i];
    c[2] += 3.0 * (W0[i] * W3[i] + W1[i] * W2[i]);
    c[3] += 2.0 * (2.0 * W1[i] * W3[i] + W2[i] * W2[i]);
    c[4] += 5.0 * W2[i] * W3[i];
    c[5] += 3.0 * W3[i] * W3[i];
  }
  const auto h = [&](Real u) { return ((((c[5] * u + c[4]) * u + c[3]) * u + c[2]) * u + c[1]) * u + c[0]; };
  const auto slope = [&](Real u) {
    return (((5.0 * c[5] * u + 4.0 * c[4]) * u + 3.0 * c[3]) * u + 2.0 * c[2]) * u + c[1];
  };
  const auto distance2 = [&](Real u) {
    Real d2 = 0.0;
    for (int i = 0; i < L.nu; ++i) {
      const Real r = W0[i] + ((W3[i] * u + W2[i]) * u + W1[i]) * u;
      d2 += r * r;
    }
    return d2;
  };
  const auto offerPoint = [&](Real u) {
    w.offer(distance2(u), j, Form::Smoothed, u, extension, [&](Int* n) {
      for (int k = 0; k < 5; ++k) n[k] = nodes[k];
    });
  };
  Real t = 0.0;
  bool converged = false;
  const bool bracketed = !minimaOnly && bracketedFoot(h, slope, t, converged);
  if (bracketed) offerPoint(t);
  // Over |u| <= 1 the junction keeps |W0| - |W1| - |W2| - |W3| from the slave node: when that
  // cannot replace the best, no missed minimum can.
  Real near = std::sqrt(L.squared(W0, kOrigin));
  for (const Real* v : {W1, W2, W3}) near -= std::sqrt(L.squared(v, kOrigin));
  if (near > 0.0 && near * near > w.target() * (1.0 + 1.0e-6)) return;
  // Offered after the bracketed foot, so it is replaced only by a strictly nearer minimum.
  const Real other =
      missedMinimum(c, 5, -1.0, 1.0, bracketed ? t : std::numeric_limits<Real>::quiet_NaN(), converged, distance2);
  if (!std::isnan(other)) offerPoint(other);
}

void QuadraticSegments::offerCandidates(Walk& w, Int j, Real Q, Real Qnext, Real lower, Real upper,
                                        bool firstSegment, bool lastSegment) {
  const Line& L = w.line();
  const Int a = startNode(w, j), m = midNode(w, j), b = endNode(w, j);
  const Real* xa = L.column(a);
  const Real* xm = L.column(m);
  const Real* xb = L.column(b);
  if ((L.closed || (!firstSegment && !lastSegment)) && outOfReach(w, j, Q, Qnext)) return;
  QuadraticPiece piece;
  piece.nu = L.nu;
  for (int i = 0; i < L.nu; ++i) {
    piece.v0[i] = xm[i] - L.s[i];
    piece.v1[i] = (xb[i] - xa[i]) / 2.0;
    piece.v2[i] = (xa[i] + xb[i] - 2.0 * xm[i]) / 2.0;
  }
  piece.formCubic();
  const Real side = piece.c[0];
  const auto h = [&](Real u) { return piece.h(u); };
  // Bracketing inside the bounds; each moved end takes the value just evaluated.
  Real xi = (lower + upper) / 2.0, step = (upper - lower) / 2.0;
  Real hl = h(lower), hu = h(upper);
  for (int k = 0; k < kBracketSteps; ++k) {
    step /= 2.0;
    const Real v = h(xi);
    if (negativeSign(v) != negativeSign(hl)) {
      xi -= step;
      hu = v;
    } else if (negativeSign(v) == negativeSign(hu)) {
      xi = upper;
      break;
    } else {
      xi += step;
      hl = v;
    }
  }
  const auto distance2 = [&](Real u) { return piece.distance2(u); };
  const auto offerPoint = [&](Real u, Real d2) {
    w.offer(d2, j, Form::SegmentPoint, u, 0, [&](Int* n) {
      n[0] = a;
      n[1] = m;
      n[2] = b;
    });
  };
  bool converged = false;
  if (xi < upper) {
    converged = newtonSteps(h, [&](Real u) { return piece.slope(u); }, xi);
    offerPoint(xi, distance2(xi));
    // The distance still falls at the end (the segment dips twice, or the bracketed root is a
    // farthest point): the end is a nearer point of the segment than the root may be.
    if (negativeSign(h(upper)))
      offerSegmentEnd(w, j, upper, side, firstSegment, lastSegment);
    else if (upper < 1.0 && junctionInReach(w, j, Q, Qnext, lastSegment))  // rising into the junction, which may dip
      offerSegmentEnd(w, j, upper, side, firstSegment, lastSegment, true);
  } else {
    offerSegmentEnd(w, j, upper, side, firstSegment, lastSegment);
  }
  // Offered after the bracketed candidates, so they are replaced only by a strictly nearer one.
  const Real taken = xi < upper ? xi : std::numeric_limits<Real>::quiet_NaN();
  const Real other = missedMinimum(piece.c, 3, lower, upper, taken, converged, distance2);
  if (!std::isnan(other)) offerPoint(other, distance2(other));
}

// The end of segment j as the bracketing leaves it: the junction at b with the next segment or
// an extension, the vertex b, or the first node. With `minimaOnly` (the segment's foot lies
// before b) only the junction at b, and only its distance minima.
void QuadraticSegments::offerSegmentEnd(Walk& w, Int j, Real upper, Real side, bool firstSegment, bool lastSegment,
                                        bool minimaOnly) {
  const Line& L = w.line();
  const Int a = startNode(w, j), m = midNode(w, j), b = endNode(w, j);
  const Int m2 = lastSegment ? b : midNode(w, L.wrapSegment(j + 1));
  const Int c = lastSegment ? b : endNode(w, L.wrapSegment(j + 1));
  const Real* xa = L.column(a);
  const Real* xm = L.column(m);
  const Real* xb = L.column(b);
  const Real dB = L.toSlave(xb);
  const bool firstEnd = !minimaOnly && firstSegment && L.ext1 && side > 0.0;
  const bool lastEnd = !firstEnd && lastSegment && L.ext2;
  if (minimaOnly && !(L.f > 0.0)) return;
  if (!firstEnd && !lastEnd && !(upper < 1.0)) {
    w.offerVertex(dB, j, b, m, m2);
    return;
  }
  if (!(L.f > 0.0)) {
    if (firstEnd)
      w.offerFirstNode(L.toSlave(xa), j);
    else
      w.offerVertex(dB, j, b, m, m2);
    return;
  }
  Real image[2][3] = {};
  if (firstEnd) {
    extensionNodes(w, 1, image);
    const Real* x[5] = {image[1], image[0], xa, xm, xb};
    const Int nodes[5] = {L.spare - 1, L.spare, a, m, b};
    offerJunction(w, j, x, nodes, 1, minimaOnly);
  } else if (lastEnd) {
    extensionNodes(w, 2, image);
    const Real* x[5] = {xa, xm, xb, image[1], image[0]};
    const Int nodes[5] = {a, m, b, L.spare - 1, L.spare};
    offerJunction(w, j, x, nodes, 2, minimaOnly);
  } else {
    const Real* x[5] = {xa, xm, xb, L.column(m2), L.column(c)};
    const Int nodes[5] = {a, m, b, m2, c};
    offerJunction(w, j, x, nodes, 0, minimaOnly);
  }
}

// Images for the spare columns: image[0] goes to column S, image[1] to column S-1.
void QuadraticSegments::extensionNodes(const Walk& w, int extension, Real image[2][3]) {
  const Line& L = w.line();
  if (extension == 1) {
    const Real* end = L.column(L.first);
    extensionImage(L, end, L.column(L.first + 1), L.e1, image[0]);
    extensionImage(L, end, L.column(L.first + 2), L.e1, image[1]);
  } else {
    const Int last = L.first + 2 * L.nseg;
    const Real* end = L.column(last);
    extensionImage(L, end, L.column(last - 2), L.e2, image[0]);
    extensionImage(L, end, L.column(last - 1), L.e2, image[1]);
  }
}

void QuadraticSegments::copyBlocks(Walk& w, int m) {
  Real* res = w.args().result;
  const auto r = [&](int k) -> Real& { return res[k - 1]; };
  r(42) = w.line().slave == 2 ? 0.0 : -1.0;
  r(48) = 0.0;
  if (m == 1) {
    r(43) = r(25);
    r(49) = r(31);
  } else {
    for (int base : {25, 31}) {
      const int to = base == 25 ? 43 : 49;
      r(to) = r(base) + r(base + 1) / 2.0;
      r(to + 1) = r(base + 1) / 2.0 + r(base + 2);
      if (m == 5) {
        r(to + 1) += r(base + 3) / 2.0;
        r(to + 2) = r(base + 4) + r(base + 3) / 2.0;
      }
    }
  }
  if (!w.args().copyB) return;
  r(48) = -r(48) / 2.0;
  if (m == 1) r(49) /= 2.0;
  if (m == 3 || m == 5) r(50) /= 2.0;
  if (m == 5) r(51) /= 2.0;
}

// Point slots that name a spare column name the node whose image it holds.
void QuadraticSegments::restoreSpareSlots(Walk& w, int extension) {
  void* pt = w.args().points;
  if (extension == 1) {
    rec::setSlotILow(pt, 19, rec::slotI(pt, 23));
    rec::setSlotILow(pt, 20, rec::slotI(pt, 22));
  } else if (extension == 2) {
    rec::setSlotILow(pt, 22, rec::slotI(pt, 20));
    rec::setSlotILow(pt, 23, rec::slotI(pt, 19));
  }
}

// A negative previous segment selects the middle-node fold test; it is written back positive.
SearchArgs quadraticArgs(SearchArgs args, Int* prevSeg) {
  args.middle = *prevSeg < 0;
  if (*prevSeg < 0) *prevSeg = -*prevSeg;
  args.prevSeg = *prevSeg;
  return args;
}

}  // namespace
}  // namespace zmx_slide

using zmx_slide::SearchArgs;

extern "C" {

ZMX_EXPORT void RSLID2(void* POINTS, Real* RESULT, const Int* IDENT, Real* X, const Int* LD, const Int* NSEG,
                       const Real* SMOOTH, const Real* OFFSET, const Int* SLAVE, Int* LAST, const Int* NDIR,
                       const Int* S, const Logical* COPYA, const Logical* COPYB, const Int* TYPE, Int* PREVSEG,
                       const Logical* FOLD, const Real* Y, const Int* LDY, const Int* SHARP, const Int* CROSSING,
                       const Real* ENDTOL, const Real* EXTDIR) {
  const SearchArgs args = zmx_slide::quadraticArgs(
      {POINTS, RESULT, IDENT, X, *LD, *NSEG, *SMOOTH, *OFFSET, *SLAVE, LAST, *NDIR, *S, isTrueLowBit(*COPYA),
       isTrueLowBit(*COPYB), *TYPE, 0, isTrueLowBit(*FOLD), false, Y, *LDY, *SHARP, *CROSSING, *ENDTOL, EXTDIR},
      PREVSEG);
  zmx_slide::runSearch<zmx_slide::QuadraticSegments>(args);
}

ZMX_EXPORT void RSLID2C(void* POINTS, Real* RESULT, Real* X, const Int* LD, const Int* NSEG, const Real* SMOOTH,
                        const Real* OFFSET, const Int* SLAVE, Int* LAST, const Int* NDIR, const Int* S,
                        const Logical* COPYA, const Logical* COPYB, const Int* TYPE, Int* PREVSEG,
                        const Logical* FOLD, const Real* Y, const Int* LDY, const Int* SHARP, const Int* CROSSING) {
  const SearchArgs args = zmx_slide::quadraticArgs(
      {POINTS, RESULT, nullptr, X, *LD, *NSEG, *SMOOTH, *OFFSET, *SLAVE, LAST, *NDIR, *S, isTrueLowBit(*COPYA),
       isTrueLowBit(*COPYB), *TYPE, 0, isTrueLowBit(*FOLD), false, Y, *LDY, *SHARP, *CROSSING, 0.0, nullptr},
      PREVSEG);
  zmx_slide::runSearch<zmx_slide::QuadraticSegments>(args);
}

}  // extern "C"
