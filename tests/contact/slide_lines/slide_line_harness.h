// Slide lines for the search tests: the caller's arrays laid out as the searches expect them,
// one call of the right search, and brute-force nearest points of the line (plain, or smoothed
// at its corners as the searches smooth it) to compare with.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "zmx/contact.h"

namespace slide_test {

using Vec = std::array<double, 3>;

inline Vec operator+(const Vec& a, const Vec& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
inline Vec operator-(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
inline Vec operator*(double s, const Vec& a) { return {s * a[0], s * a[1], s * a[2]}; }
inline double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline double norm(const Vec& a) { return std::sqrt(dot(a, a)); }

struct Line {
  bool quadratic = false;
  bool closed = false;
  std::vector<Vec> nodes;  // in order; a closed line does not repeat its first node
  int segments() const {
    const int n = static_cast<int>(nodes.size());
    return quadratic ? (closed ? n / 2 : (n - 1) / 2) : (closed ? n : n - 1);
  }
  const Vec& node(int k) const { return nodes[static_cast<std::size_t>(k % static_cast<int>(nodes.size()))]; }
};

struct Options {
  double f = 0.0, offset = 0.0, endTol = 0.0;
  Int prevSeg = 1;
  bool fold = false;
  Int sharp = 0, crossing = 0, type = 200, ndir = 2;
  Vec ext1{}, ext2{};
  bool copyA = false, copyB = false;
  int cutAt = -1;  // line node (0-based) that shares the slave node's identity
  std::vector<Vec> increments;  // per line node (0-based), when given
};

struct Outcome {
  Vec point{}, normal{};
  double clearance = 0.0;
  Int m = 0, last = 0, prevSeg = 0;
  Int nodes[5] = {};
  std::vector<double> result;
  std::vector<double> x;  // the coordinate array after the call
  std::vector<double> xBefore;
  bool highWordsKept = false;  // the high 4 bytes of every point slot as the caller left them
  bool found() const { return clearance != -1.0e36; }
};

// Columns: the spare columns, the line nodes, the slave node.
inline Outcome search(const Line& line, const Vec& slave, const Options& o) {
  const Int ld = 3;
  const Int spares = line.quadratic ? 2 : 1;
  const Int count = static_cast<Int>(line.nodes.size());
  std::vector<double> x(3 * static_cast<std::size_t>(spares + count + 1), 0.0);
  for (Int s = 0; s < spares; ++s) x[3 * s] = 100.0 + s;  // spare columns hold something
  for (Int k = 0; k < count; ++k)
    for (int i = 0; i < 3; ++i) x[3 * (spares + k) + i] = line.nodes[k][i];
  const Int slaveCol = spares + count + 1;
  for (int i = 0; i < 3; ++i) x[3 * (slaveCol - 1) + i] = slave[i];
  std::vector<double> y(x.size(), 0.0);
  for (std::size_t k = 0; k < o.increments.size(); ++k)
    for (int i = 0; i < 3; ++i) y[3 * (spares + k) + i] = o.increments[k][i];
  std::vector<Int> ident(static_cast<std::size_t>(slaveCol));
  for (Int k = 0; k < slaveCol; ++k) ident[k] = 1000 + k;
  if (o.cutAt >= 0) ident[spares + o.cutAt] = ident[slaveCol - 1];
  // The caller's high words of the point slots hold a pattern the searches must leave alone.
  constexpr std::int64_t kHigh = static_cast<std::int64_t>(0x5A5A5A5AU) << 32;
  std::vector<std::int64_t> points(64, kHigh);
  std::vector<double> result(64, 0.0);
  const double ext[6] = {o.ext1[0], o.ext1[1], o.ext1[2], o.ext2[0], o.ext2[1], o.ext2[2]};
  Int last = spares + count, nseg = line.segments(), S = spares, prev = o.prevSeg;
  const Logical copyA = o.copyA ? kTrue : kFalse, copyB = o.copyB ? kTrue : kFalse, fold = o.fold ? kTrue : kFalse;
  Outcome out;
  out.xBefore = x;
  if (!line.quadratic && !line.closed)
    RSLID1(points.data(), result.data(), ident.data(), x.data(), &ld, &nseg, &o.f, &o.offset, &slaveCol, &last,
           &o.ndir, &S, &copyA, &copyB, &o.type, &prev, &fold, y.data(), &ld, &o.sharp, &o.crossing, &o.endTol, ext);
  else if (!line.quadratic)
    RSLID1C(points.data(), result.data(), x.data(), &ld, &nseg, &o.f, &o.offset, &slaveCol, &last, &o.ndir, &S,
            &copyA, &copyB, &o.type, &prev, &fold, y.data(), &ld, &o.sharp, &o.crossing);
  else if (!line.closed)
    RSLID2(points.data(), result.data(), ident.data(), x.data(), &ld, &nseg, &o.f, &o.offset, &slaveCol, &last,
           &o.ndir, &S, &copyA, &copyB, &o.type, &prev, &fold, y.data(), &ld, &o.sharp, &o.crossing, &o.endTol, ext);
  else
    RSLID2C(points.data(), result.data(), x.data(), &ld, &nseg, &o.f, &o.offset, &slaveCol, &last, &o.ndir, &S,
            &copyA, &copyB, &o.type, &prev, &fold, y.data(), &ld, &o.sharp, &o.crossing);
  out.point = {result[0], result[1], result[2]};
  out.normal = {result[3], result[4], result[5]};
  out.clearance = result[12];
  std::memcpy(&out.m, &points[16], sizeof(Int));
  for (int k = 0; k < 5; ++k) std::memcpy(&out.nodes[k], &points[18 + k], sizeof(Int));
  out.highWordsKept = std::all_of(points.begin(), points.end(),
                                  [&](std::int64_t p) { return (p & ~std::int64_t{0xFFFFFFFF}) == kHigh; });
  out.last = last;
  out.prevSeg = prev;
  out.result = result;
  out.x = x;
  return out;
}

// ---- Brute force ---------------------------------------------------------------------------------

// A piece of the line, parametrised over [0, 1].
using Piece = std::function<Vec(double)>;

struct Nearest {
  Vec point{};
  double d2 = 1e300;
  int piece = -1;
};

// Nearest point of the pieces: dense samples, then golden-section refinement round the best.
inline Nearest nearestOf(const std::vector<Piece>& pieces, const Vec& s, int samples = 400) {
  Nearest best;
  for (std::size_t p = 0; p < pieces.size(); ++p) {
    const Piece& c = pieces[p];
    const auto d2 = [&](double t) { return dot(c(t) - s, c(t) - s); };
    int kBest = 0;
    double vBest = 1e300;
    for (int k = 0; k <= samples; ++k) {
      const double v = d2(static_cast<double>(k) / samples);
      if (v < vBest) {
        vBest = v;
        kBest = k;
      }
    }
    double lo = std::max(0.0, (kBest - 1.0) / samples), hi = std::min(1.0, (kBest + 1.0) / samples);
    const double r = (std::sqrt(5.0) - 1.0) / 2.0;
    for (int it = 0; it < 80; ++it) {
      const double a = hi - r * (hi - lo), b = lo + r * (hi - lo);
      if (d2(a) < d2(b))
        hi = b;
      else
        lo = a;
    }
    const double t = (lo + hi) / 2.0;
    for (double cand : {t, 0.0, 1.0}) {
      const double v = d2(cand);
      if (v < best.d2) {
        best.d2 = v;
        best.point = c(cand);
        best.piece = static_cast<int>(p);
      }
    }
  }
  return best;
}

inline Vec quadraticPoint(const Vec& a, const Vec& m, const Vec& b, double s) {
  return (s * (s - 1) / 2) * a + (1 - s * s) * m + (s * (s + 1) / 2) * b;
}
inline Vec quadraticSlope(const Vec& a, const Vec& m, const Vec& b, double s) {
  return (s - 0.5) * a + (-2 * s) * m + (s + 0.5) * b;
}

// The line as pieces: segments (one piece each) when f = 0; with 0 < f the straight or
// quadratic parts cut back by f at every smoothed node, joined there by the corner curves.
inline std::vector<Piece> pieces(const Line& line, double f) {
  std::vector<Piece> out;
  const int nseg = line.segments();
  const int step = line.quadratic ? 2 : 1;
  const auto smoothedAt = [&](int j, bool atEnd) {  // end (or start) node of segment j smoothed
    if (f <= 0.0) return false;
    if (line.closed) return true;
    return atEnd ? j < nseg - 1 : j > 0;
  };
  for (int j = 0; j < nseg; ++j) {
    const Vec a = line.node(step * j), m = line.node(step * j + 1), b = line.node(step * j + step);
    const double s0 = smoothedAt(j, false) ? -(1 - 2 * f) : -1.0, s1 = smoothedAt(j, true) ? 1 - 2 * f : 1.0;
    if (s1 > s0) {
      if (line.quadratic)
        out.push_back([=](double t) { return quadraticPoint(a, m, b, s0 + (s1 - s0) * t); });
      else
        out.push_back([=](double t) {
          const double s = s0 + (s1 - s0) * t;
          return ((1 - s) / 2) * a + ((1 + s) / 2) * b;
        });
    }
    if (!smoothedAt(j, true)) continue;
    if (!line.quadratic) {
      // Quadratic Bezier arc from the cut point on a-b to the cut point on b-c, control point b.
      const Vec c = line.node(j + 2);
      const Vec p0 = b + f * (a - b), p2 = b + f * (c - b);
      out.push_back([=](double t) { return ((1 - t) * (1 - t)) * p0 + (2 * t * (1 - t)) * b + (t * t) * p2; });
    } else {
      // Cubic Hermite between s = 1 - 2f on a-m-b and s = -(1 - 2f) on b-m2-c, tangents 2f x'.
      const Vec m2 = line.node(step * j + 3), c = line.node(step * j + 4);
      const Vec p0 = quadraticPoint(a, m, b, 1 - 2 * f), p1 = quadraticPoint(b, m2, c, -(1 - 2 * f));
      const Vec t0 = (2 * f) * quadraticSlope(a, m, b, 1 - 2 * f);
      const Vec t1 = (2 * f) * quadraticSlope(b, m2, c, -(1 - 2 * f));
      out.push_back([=](double t) {
        // Over xi in [-1, 1]: t = (xi + 1) / 2, so the tangents per unit t are twice those per xi.
        const double h00 = 2 * t * t * t - 3 * t * t + 1, h10 = t * t * t - 2 * t * t + t;
        const double h01 = -2 * t * t * t + 3 * t * t, h11 = t * t * t - t * t;
        return h00 * p0 + (2 * h10) * t0 + h01 * p1 + (2 * h11) * t1;
      });
    }
  }
  return out;
}

}  // namespace slide_test
