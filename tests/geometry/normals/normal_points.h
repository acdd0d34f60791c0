// Where a smoothed-normal facet's nodes and normal points lie, written out per facet kind for the
// tests of the region interpolation, the smoothed normal and the tangent evaluation points.
#pragma once

#include <algorithm>
#include <array>
#include <map>
#include <utility>
#include <cmath>
#include <random>
#include <vector>

namespace normal_points {

enum class Kind { kLine, kTriangle, kQuad, kFlatCylinder, kCurvedCylinder };

struct P2 {
  double x, y;
};

// The facet data of a cylindrical facet: total angle, middle angles of the sides xi = -1 and
// (6 nodes) xi = 1, or (9 nodes) the centre line and the side xi = 1.
struct Cylinder {
  double data[4] = {0, 0, 0, 0};
  double highSide(int nn) const { return nn == 6 ? data[2] : data[3]; }
};

inline Cylinder curvedCylinder(double theta) {
  return Cylinder{{theta, 0.47 * theta, 0.53 * theta, 0.51 * theta}};
}

// The normal point nn + k (k 1-based) at width d, which is also the point at t = d of the tangent
// evaluation line k.
inline P2 normalPoint(Kind kind, int k, double d, const Cylinder& c, int nn) {
  const double e = 1 - 2 * d;
  switch (kind) {
    case Kind::kLine: return k == 1 ? P2{-e, 0} : P2{e, 0};
    case Kind::kTriangle: {
      const P2 p[9] = {{2 * d / 3, 2 * d / 3}, {1 - 4 * d / 3, 2 * d / 3}, {2 * d / 3, 1 - 4 * d / 3},
                       {d, 0},                 {1 - d, 0},                 {1 - d, d},
                       {d, 1 - d},             {0, 1 - d},                 {0, d}};
      return p[k - 1];
    }
    case Kind::kQuad: {
      const P2 p[12] = {{-e, -e}, {e, -e}, {e, e}, {-e, e}, {-e, -1}, {e, -1},
                        {1, -e},  {1, e},  {e, 1}, {-e, 1}, {-1, e},  {-1, -e}};
      return p[k - 1];
    }
    case Kind::kFlatCylinder: {
      const P2 p[14] = {{-e, -e}, {e, -e}, {e, e}, {-e, e}, {e, 0}, {-e, 0}, {-e, -1},
                        {e, -1},  {1, -e}, {1, e}, {e, 1},  {-e, 1}, {-1, e}, {-1, -e}};
      return p[k - 1];
    }
    default: {
      const double t = c.data[0], lo = d * t, hi = (1 - d) * t;
      const P2 p[14] = {{-e, lo}, {e, lo}, {e, hi},  {-e, hi}, {e, c.highSide(nn)}, {-e, c.data[1]}, {-e, 0},
                        {e, 0},   {1, lo}, {1, hi},  {e, t},   {-e, t},             {-1, hi},        {-1, lo}};
      return p[k - 1];
    }
  }
}

inline int normalPointCount(Kind kind) {
  switch (kind) {
    case Kind::kLine: return 2;
    case Kind::kTriangle: return 9;
    case Kind::kQuad: return 12;
    default: return 14;
  }
}

// Node j (1-based) of a facet of nn nodes.
inline P2 nodePoint(Kind kind, int j, int nn, const Cylinder& c) {
  const P2 square[9] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}, {0, 0}};
  switch (kind) {
    case Kind::kLine: return nn == 2 ? P2{j == 1 ? -1.0 : 1.0, 0} : P2{j - 2.0, 0};
    case Kind::kTriangle: {
      const P2 p[6] = {{0, 0}, {1, 0}, {0, 1}, {0.5, 0}, {0.5, 0.5}, {0, 0.5}};
      return p[j - 1];
    }
    case Kind::kQuad: return square[j - 1];
    case Kind::kFlatCylinder:
      if (nn == 6 && j >= 5) return j == 5 ? P2{1, 0} : P2{-1, 0};
      return square[j - 1];
    default: {
      const double t = c.data[0];
      if (nn == 6) {
        const P2 p[6] = {{-1, 0}, {1, 0}, {1, t}, {-1, t}, {1, c.data[2]}, {-1, c.data[1]}};
        return p[j - 1];
      }
      const P2 p[9] = {{-1, 0}, {1, 0}, {1, t}, {-1, t}, {0, 0}, {1, c.data[3]}, {0, t}, {-1, c.data[1]}, {0, c.data[2]}};
      return p[j - 1];
    }
  }
}

// A random point of the facet (a line's y is 0; a curved cylinder's y the angle).
inline P2 randomPoint(Kind kind, std::mt19937& rng, const Cylinder& c) {
  std::uniform_real_distribution<double> u(-1, 1), w(0, 1);
  switch (kind) {
    case Kind::kLine: return {u(rng), 0};
    case Kind::kTriangle: {
      double a = w(rng), b = w(rng);
      if (a + b > 1) a = 1 - a, b = 1 - b;
      return {a, b};
    }
    case Kind::kCurvedCylinder: return {u(rng), w(rng) * c.data[0]};
    default: return {u(rng), u(rng)};
  }
}

// A random point of the facet, drawn towards a random corner for one call in two so that the
// small regions at the corners and along the edges of narrow bands are met as well.
inline P2 samplePoint(Kind kind, std::mt19937& rng, const Cylinder& c, int nn, double d) {
  const P2 p = randomPoint(kind, rng, c);
  if (rng() % 2 == 0) return p;
  const int corners = kind == Kind::kLine ? 2 : kind == Kind::kTriangle ? 3 : 4;
  int j = static_cast<int>(rng() % corners) + 1;
  if (kind == Kind::kLine && j == 2) j = nn;
  const P2 v = nodePoint(kind, j, nn, c);
  const double s = std::uniform_real_distribution<double>(0, std::min(1.0, 4 * d))(rng);
  return {v.x + s * (p.x - v.x), v.y + s * (p.y - v.y)};
}

// A point of a 6-node triangle's sub-quadrilateral k in the triangle's area coordinates: its
// vertex, the midside nodes after and before it and the centroid, interpolated bilinearly.
inline P2 subQuadrilateralPoint(int k, P2 p) {
  const P2 vertex[3] = {{0, 0}, {1, 0}, {0, 1}}, midside[3] = {{0.5, 0}, {0.5, 0.5}, {0, 0.5}};
  const P2 c[4] = {vertex[k - 1], midside[k - 1], {1.0 / 3, 1.0 / 3}, midside[(k + 1) % 3]};
  const double n[4] = {(1 - p.x) * (1 - p.y) / 4, (1 + p.x) * (1 - p.y) / 4, (1 + p.x) * (1 + p.y) / 4,
                       (1 - p.x) * (1 + p.y) / 4};
  P2 r{0, 0};
  for (int i = 0; i < 4; ++i) r.x += n[i] * c[i].x, r.y += n[i] * c[i].y;
  return r;
}

// The boundaries between two regions of a facet: 2 on a line, 9 on a triangle (centre-band and
// band-corner), 12 on a quadrilateral; with no centre (width 0.5) the corners meet each other.
inline size_t boundaryCount(Kind kind, double width) {
  const bool full = width == 0.5;
  if (kind == Kind::kLine) return full ? 1 : 2;
  if (kind == Kind::kTriangle) return full ? 3 : 9;
  return full ? 4 : 12;
}

// A facet record: family, node count nn, node numbers 1..nn from word 8, then the normal points;
// point k carries the number base + k so that a wrong point number shows.
inline std::vector<int> facetRecord(int family, int nn, int points, int base) {
  std::vector<int> r(7 + nn + points, 0);
  r[0] = family, r[1] = nn;
  for (int k = 1; k <= nn + points; ++k) r[6 + k] = base + k;
  return r;
}

}  // namespace normal_points

namespace normal_points {

// Two points within 1e-12 of each other on either side of a region boundary, found by bisection
// between a and b, which lie in different regions (region(p) gives a region's identity).
template <class Region>
std::pair<P2, P2> straddle(P2 a, P2 b, const Region& region) {
  const auto ra = region(a);
  while (std::hypot(a.x - b.x, a.y - b.y) > 1e-12) {
    const P2 mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
    if (mid.x == a.x && mid.y == a.y) break;
    if (mid.x == b.x && mid.y == b.y) break;
    if (region(mid) == ra)
      a = mid;
    else
      b = mid;
  }
  return {a, b};
}

}  // namespace normal_points

namespace normal_points {

// A distinct random vector at every distinct position (points that coincide, as the centre
// points do when the bands fill the facet, share theirs).
class RandomField {
 public:
  explicit RandomField(std::mt19937& rng) : rng_(rng) {}
  const std::array<double, 3>& at(P2 p) {
    const auto key = std::make_pair(std::llround(p.x * 1e9), std::llround(p.y * 1e9));
    auto [it, fresh] = values_.try_emplace(key);
    if (fresh) {
      std::uniform_real_distribution<double> u(-1, 1);
      it->second = {u(rng_), u(rng_), 1.5 + u(rng_)};
    }
    return it->second;
  }

 private:
  std::mt19937& rng_;
  std::map<std::pair<long long, long long>, std::array<double, 3>> values_;
};

}  // namespace normal_points
