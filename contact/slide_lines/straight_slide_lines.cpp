// Searches of a slave node against rigid slide lines of straight two-node segments, open and
// closed. Each segment offers its perpendicular foot, its end vertex or the smoothed corner at
// its end: over the fraction f of the two segments next to a vertex the line is replaced by the
// quadratic Bezier arc through the two cut points with the vertex as control point. The straight
// extensions of an open line enter as a virtual node in the spare column beyond the end.

#include "contact/slide_lines/node_scans.h"
#include "contact/slide_lines/slide_walk.h"
#include "zmx/geometry/sharp_folds.h"

namespace zmx_slide {
namespace {

struct StraightSegments {
  static constexpr int kSpareColumns = 1;
  static constexpr int kNodesPerSegment = 1;
  using Walk = SlideWalk<StraightSegments>;

  static int windowAhead(const SearchArgs&) { return 2; }
  static Int startNode(const Walk& w, Int j) { return w.line().wrap(static_cast<long>(w.line().spare) + j); }
  static Int endNode(const Walk& w, Int j) { return w.line().wrap(static_cast<long>(w.line().spare) + j + 1); }
  static Int segmentOfNode(const Walk& w, Int node) {
    return std::clamp<Int>(node - w.line().spare, 1, w.line().nseg);
  }
  static Real chordQuarter(const Walk& w, Int j) {
    const Line& L = w.line();
    return L.squared(L.column(startNode(w, j)), L.column(endNode(w, j))) / 4.0;
  }
  // Every point a segment offers lies within its own length of its end node b (the foot, the
  // vertex) or within the corner's reach of b: none can replace the best when the slave node is
  // farther from b than that reach plus the distance to beat. The cheap test takes
  // (p + q)^2 <= 2 p^2 + 2 q^2; the exact triangle bound is tried where it fails. On the end
  // segments of an open line the foot may pass the free end by the end tolerance; an extended
  // end has no bound.
  static bool outOfReach(const Walk& w, Real dB, Real Q, Real Qnext, bool endSegment, bool extendedEnd) {
    const Line& L = w.line();
    if (endSegment && (extendedEnd || !std::isfinite(L.endTol))) return false;
    const Real reach2 = squaredReach(L, Q, Qnext, endSegment ? 1.0 + std::fabs(L.endTol) / 2.0 : 1.0);
    return dB > w.reachSlack() + 2.0 * reach2 || beyondReach(dB, reach2, w.target());
  }
  // The squared distance from b within which the segment's points lie (a foot may lie `pass`
  // chord lengths from b).
  static Real squaredReach(const Line& L, Real Q, Real Qnext, Real pass) {
    return 4.0 * (1.0 + 1.0e-9) * std::max(std::max(1.0001 * pass * pass, L.reach2) * Q, L.reach2 * Qnext);
  }
  // The margin covers the rounding of the candidates' distances.
  static bool beyondReach(Real dB, Real reach2, Real target) {
    const Real r = std::sqrt(reach2) + std::sqrt(target);
    return dB > r * r * (1.0 + 1.0e-6);
  }
  // Passes over segments j .. last that are out of reach and do not hold the slave node's
  // identity (ident null: none does); returns the first segment to walk (last + 1 when none),
  // with its chord quarter in Q. Nodes are not wrapped: segment last + 1 lies inside the line.
  static Int scanOutOfReach(const Walk& w, Int j, Int last, Real& Q, const Int* ident, Int own) {
    return w.line().nu == 3 ? scan<3>(w, j, last, Q, ident, own) : scan<2>(w, j, last, Q, ident, own);
  }
  template <int N>
  static Int scan(const Walk& w, Int j, Int last, Real& Q, const Int* ident, Int own) {
    const Line& L = w.line();
    const Real slack = w.reachSlack(), target = w.target();
    const Real f1 = 8.0 * (1.0 + 1.0e-9) * std::max(1.0001, L.reach2), f2 = 8.0 * (1.0 + 1.0e-9) * L.reach2;
    const long ld = L.ld;
    const Real* xb = L.column(L.spare + j + 1);
    const Real s0 = L.s[0], s1 = L.s[1], s2 = N == 3 ? L.s[2] : 0.0;
    // Each node's identity is looked at once: the start node of the first segment here, then
    // the end node of each segment (the start of the next).
    if (ident != nullptr && j <= last && ident[L.spare + j - 1] == own) return j;
    Real q = Q;
    while (j <= last) {
      // Whole blocks of eight while they pass; then segment by segment up to the next block.
      // A block that failed is not tried again piece by piece: its segments are walked singly.
      if (j >= L.blockRetry && j + 7 <= last) {
        const long blocks = (last - j + 1) / 8;
        const Int* id = ident ? ident + L.spare + j : nullptr;
        const long passed = L.axis == 0 ? farBlocksOfEight<N, 0>(xb - ld, ld, L.s, slack, f1, id, own, blocks)
                                        : farBlocksOfEight<N, 1>(xb - ld, ld, L.s, slack, f1, id, own, blocks);
        if (passed < blocks) L.blockRetry = j + 8 * static_cast<Int>(passed) + 8;
        j += 8 * static_cast<Int>(passed);
        xb += 8 * passed * ld;
        if (passed > 0) q = L.squared(xb - ld, xb) / 4.0;
      }
      for (const Int stop = std::min(last, j < L.blockRetry ? L.blockRetry - 1 : j + 7); j <= stop; ++j, xb += ld) {
        const Real* xc = xb + ld;
        const Real c0 = xc[0] - xb[0], c1 = xc[1] - xb[1];
        const Real d0 = s0 - xb[0], d1 = s1 - xb[1];
        Real chord = c0 * c0 + c1 * c1, dB = d0 * d0 + d1 * d1;
        if (N == 3) {
          chord += (xc[2] - xb[2]) * (xc[2] - xb[2]);
          dB += (s2 - xb[2]) * (s2 - xb[2]);
        }
        const Real qNext = chord * 0.25;
        if (!(q > 0.0) || (ident != nullptr && ident[L.spare + j] == own) ||
            !(dB > slack + std::max(f1 * q, f2 * qNext) || beyondReach(dB, squaredReach(L, q, qNext, 1.0), target))) {
          Q = q;
          return j;
        }
        q = qNext;
      }
    }
    Q = q;
    return j;
  }
  static Real startValue(Real D, Real lref2) { return D + std::max(kAcceptShare * D, 1.0e-10 * lref2); }
  // A corner arc stays within 1.625 f of the longer neighbouring segment from its vertex (for
  // |xi| <= 1.5).
  static Real reachFactor2(Real f) { return 1.625 * 1.625 * f * f * 1.0201; }

  static void segmentShape(Real xi, PointShape& s) {
    s.m = 2;
    s.N[0] = (1.0 - xi) / 2.0;
    s.N[1] = (1.0 + xi) / 2.0;
    s.dN[0] = -0.5;
    s.dN[1] = 0.5;
  }
  static void smoothedShape(Real f, Real xi, PointShape& s) {
    s.m = 3;
    s.N[0] = f * (xi - 1.0) * (xi - 1.0) / 4.0;
    s.N[1] = 1.0 - f * (xi * xi + 1.0) / 2.0;
    s.N[2] = f * (xi + 1.0) * (xi + 1.0) / 4.0;
    s.dN[0] = f * (xi - 1.0) / 2.0;
    s.dN[1] = -f * xi;
    s.dN[2] = f * (xi + 1.0) / 2.0;
    s.d2N[0] = f / 2.0;
    s.d2N[1] = -f;
    s.d2N[2] = f / 2.0;
  }

  // The fold pairs round the previous segment k: ahead segments k+1, k+2 (point on k+2),
  // behind segments k-1, k (point on k-1).
  static constexpr int kFoldNodes = 3;
  static long foldStart(const Walk& w, long k, bool ahead) { return w.line().spare + k + (ahead ? 1 : -1); }
  static long foldSegment(const Walk&, long k, bool ahead) { return ahead ? k + 2 : k - 1; }
  static int checkFold(const Walk& w, bool ahead, const Int* n, Real& d2, Real& xi);
  static void offerCandidates(Walk& w, Int j, Real Q, Real Qnext, Real lower, Real upper, bool firstSegment,
                              bool lastSegment);
  static void extensionNodes(const Walk& w, int extension, Real image[2][3]);
  static void copyBlocks(Walk& w, int m);
  static void restoreSpareSlots(Walk& w, int extension);
};

using StraightWalk = SlideWalk<StraightSegments>;

// The fold check of three consecutive nodes; returns its code.
int StraightSegments::checkFold(const Walk& w, bool ahead, const Int* n, Real& d2, Real& xi) {
  const SearchArgs& A = w.args();
  const Logical towards = ahead ? kTrue : kFalse;
  const Real tol = kFoldTolerance;
  const Int nu = w.line().nu;
  Int code = 0;
  CHECKSHARPFOLD1(&code, &d2, &xi, &towards, &n[0], &n[1], &n[2], A.x, A.y, &tol, &A.sharp, &A.ld, &A.ldy, &nu,
                  &A.crossing);
  return code;
}

void StraightSegments::offerCandidates(Walk& w, Int j, Real Q, Real Qnext, Real lower, Real upper,
                                       bool firstSegment, bool lastSegment) {
  const Line& L = w.line();
  const Int a = startNode(w, j), b = endNode(w, j);
  const Real* xa = L.column(a);
  const Real* xb = L.column(b);
  const Real dB = L.toSlave(xb);
  const bool endSegment = firstSegment || lastSegment;
  if (outOfReach(w, dB, Q, Qnext, endSegment, (firstSegment && L.ext1) || (lastSegment && L.ext2))) return;
  const Int c = lastSegment ? b : endNode(w, L.wrapSegment(j + 1));
  Real P = (xa[0] - xb[0]) * (L.s[0] - xb[0]) + (xa[1] - xb[1]) * (L.s[1] - xb[1]);
  if (L.nu == 3) P += (xa[2] - xb[2]) * (L.s[2] - xb[2]);
  P /= 2.0;
  const Real xi = 1.0 - P / Q;
  const bool firstEnd = firstSegment && L.ext1 && xi < lower;
  const bool lastEnd = lastSegment && L.ext2 && xi > upper;
  // The foot inside the bounds: the corner at a smoothed b may still dip nearer (only its
  // distance minima are offered then).
  bool minimaOnly = false;
  if (!firstEnd && !lastEnd) {
    if (xi >= lower && xi <= upper) {
      w.offer(dB - (1.0 - xi) * P, j, Form::SegmentPoint, xi, 0, [&](Int* n) {
        n[0] = a;
        n[1] = b;
      });
      // The corner lies within f times the longer neighbouring segment from b.
      const Real r = 2.0 * L.f * std::sqrt(std::max(Q, Qnext)) + std::sqrt(w.target());
      if (!(upper < 1.0) || !(L.f > 0.0) || dB > r * r * (1.0 + 1.0e-6)) return;
      minimaOnly = true;
    } else if (lastSegment || upper == 1.0) {
      w.offerVertex(dB, j, b, a, c);
      return;
    }
  }
  // Smoothed corner at b, or at an extended end.
  if (!(L.f > 0.0)) {
    if (firstEnd)
      w.offerFirstNode(L.toSlave(xa), j);
    else
      w.offerVertex(dB, j, b, a, c);
    return;
  }
  const Real* xc = L.column(c);
  // Below a smoothed b of the last segment lies the corner with the last-end extension.
  const bool lastCorner = lastEnd || (minimaOnly && lastSegment);
  if (!firstEnd && !lastCorner) {
    const Real reach2 = 4.0 * L.reach2 * std::max(Q, Qnext);
    if (dB > 2.0 * (reach2 + w.target()) * (1.0 + 1.0e-9)) return;
  }
  Real image[3] = {};
  const Real *x1 = xa, *xv = xb, *x3 = xc;
  Int triple[3] = {a, b, c};
  int extension = 0;
  if (lastCorner) {
    extensionImage(L, xb, xa, L.e2, image);
    x3 = image;
    triple[2] = L.spare;
    extension = 2;
  } else if (firstEnd) {
    extensionImage(L, xa, xb, L.e1, image);
    x1 = image;
    xv = xa;
    x3 = xb;
    triple[0] = L.spare;
    triple[1] = a;
    triple[2] = b;
    extension = 1;
  }
  QuadraticPiece piece;
  piece.nu = L.nu;
  for (int i = 0; i < L.nu; ++i) {
    piece.v1[i] = (x3[i] - x1[i]) * L.f / 2.0;
    piece.v2[i] = (x1[i] + x3[i] - 2.0 * xv[i]) * L.f / 4.0;
    piece.v0[i] = xv[i] - L.s[i] + piece.v2[i];
  }
  piece.formCubic();
  const auto h = [&](Real u) { return piece.h(u); };
  const auto slope = [&](Real u) { return piece.slope(u); };
  const auto distance2 = [&](Real u) { return piece.distance2(u); };
  const auto offerPoint = [&](Real u) {
    w.offer(distance2(u), j, Form::Smoothed, u, extension, [&](Int* n) {
      n[0] = triple[0];
      n[1] = triple[1];
      n[2] = triple[2];
    });
  };
  Real t = 0.0;
  bool converged = false;
  const bool bracketed = !minimaOnly && bracketedFoot(h, slope, t, converged);
  if (bracketed) offerPoint(t);
  // Offered after the bracketed foot, so it is replaced only by a strictly nearer minimum.
  const Real other = missedMinimum(piece.c, 3, -1.0, 1.0, bracketed ? t : std::numeric_limits<Real>::quiet_NaN(),
                                   converged, distance2);
  if (!std::isnan(other)) offerPoint(other);
}

// The virtual node of an extended end, for the spare column.
void StraightSegments::extensionNodes(const Walk& w, int extension, Real image[2][3]) {
  const Line& L = w.line();
  if (extension == 1)
    extensionImage(L, L.column(L.first), L.column(L.first + 1), L.e1, image[0]);
  else
    extensionImage(L, L.column(L.first + L.nseg), L.column(L.first + L.nseg - 1), L.e2, image[0]);
}

void StraightSegments::copyBlocks(Walk& w, int) {
  Real* res = w.args().result;
  const bool halve = !w.args().copyA;
  for (int k = 0; k < 6; ++k) {
    res[kSlotCopyValues - 1 + k] = res[kSlotMarker - 1 + k];
    res[kSlotCopyDerivatives - 1 + k] = (halve ? 0.5 : 1.0) * res[kSlotMarker + 5 + k];
  }
  if (halve) res[kSlotCopyDerivatives - 1] = -res[kSlotCopyDerivatives - 1];
}

// A point slot that names the spare column names the node whose image it holds.
void StraightSegments::restoreSpareSlots(Walk& w, int) {
  void* pt = w.args().points;
  const Int S = w.line().spare;
  if (rec::slotI(pt, kSlotNode3) == S) rec::setSlotILow(pt, kSlotNode3, rec::slotI(pt, kSlotNode1));
  if (rec::slotI(pt, kSlotNode1) == S) rec::setSlotILow(pt, kSlotNode1, rec::slotI(pt, kSlotNode3));
}

}  // namespace

}  // namespace zmx_slide

using zmx_slide::SearchArgs;

extern "C" {

ZMX_EXPORT void RSLID1(void* POINTS, Real* RESULT, const Int* IDENT, Real* X, const Int* LD, const Int* NSEG,
                       const Real* SMOOTH, const Real* OFFSET, const Int* SLAVE, Int* LAST, const Int* NDIR,
                       const Int* S, const Logical* COPYA, const Logical* COPYB, const Int* TYPE,
                       const Int* PREVSEG, const Logical* FOLD, const Real* Y, const Int* LDY, const Int* SHARP,
                       const Int* CROSSING, const Real* ENDTOL, const Real* EXTDIR) {
  const SearchArgs args{POINTS, RESULT, IDENT, X, *LD, *NSEG, *SMOOTH, *OFFSET, *SLAVE, LAST, *NDIR, *S,
                        isTrueLowBit(*COPYA), isTrueLowBit(*COPYB), *TYPE, *PREVSEG, isTrueLowBit(*FOLD), false,
                        Y, *LDY, *SHARP, *CROSSING, *ENDTOL, EXTDIR};
  zmx_slide::runSearch<zmx_slide::StraightSegments>(args);
}

ZMX_EXPORT void RSLID1C(void* POINTS, Real* RESULT, Real* X, const Int* LD, const Int* NSEG, const Real* SMOOTH,
                        const Real* OFFSET, const Int* SLAVE, Int* LAST, const Int* NDIR, const Int* S,
                        const Logical* COPYA, const Logical* COPYB, const Int* TYPE, const Int* PREVSEG,
                        const Logical* FOLD, const Real* Y, const Int* LDY, const Int* SHARP, const Int* CROSSING) {
  const SearchArgs args{POINTS, RESULT, nullptr, X, *LD, *NSEG, *SMOOTH, *OFFSET, *SLAVE, LAST, *NDIR, *S,
                        isTrueLowBit(*COPYA), isTrueLowBit(*COPYB), *TYPE, *PREVSEG, isTrueLowBit(*FOLD), false,
                        Y, *LDY, *SHARP, *CROSSING, 0.0, nullptr};
  zmx_slide::runSearch<zmx_slide::StraightSegments>(args);
}

}  // extern "C"
