// What the extrapolation rules share (not exported): the bounded matrix they write into, the
// stored integration-rule data, the one-dimensional extrapolation factors, the natural node
// coordinates of each node layout and a small compile-time solver for the rules whose weights
// are the inverse of an interpolation (triangles, tetrahedra).
#pragma once

#include <array>
#include <cstddef>
#include <limits>

#include "runtime/fortran_types.h"

namespace zmx_extrapolation {

// W(p, n) of a rule, kept with the rule's leading dimension. An entry whose position lies past
// `capacity` reals is dropped: ELNEX hands each rule only the nip x max(nodes, 3) reals that its
// caller's work array holds, whatever leading dimension the rule uses.
struct Matrix {
  Real* w;
  long long ld;
  long long capacity = std::numeric_limits<long long>::max();

  void set(long long p, long long n, Real value) const {
    if (p < 1 || n < 1) return;
    const long long k = p + (n - 1) * ld;
    if (k <= capacity) w[k - 1] = value;
  }
  Real get(long long p, long long n) const {
    const long long k = p + (n - 1) * ld;
    return (p >= 1 && n >= 1 && k <= capacity) ? w[k - 1] : 0.0;
  }
};

// ---- stored rule data ---------------------------------------------------------------------------

inline constexpr Real kGauss2 = 0.57735026918963;
inline constexpr Real kGauss3 = 0.77459666924148;
inline constexpr Real kGauss3Weights[3] = {0.55555555555556, 0.88888888888889, 0.55555555555556};
inline constexpr Real kBrick14Corner = 0.7587869106393282;
inline constexpr Real kPlanar5Corner = 0.5783149319662402;
inline constexpr Real kPlanar5CornerWeight = 0.9966666666666667;
inline constexpr Real kPlanar5CentreWeight = 0.0133333333333332;
// Six-point triangle: orbit 1 (one area coordinate large), orbit 2 (one small).
inline constexpr Real kTri6Orbit1Large = 0.816847572980459;
inline constexpr Real kTri6Orbit1Small = 0.091576213509771;
inline constexpr Real kTri6Orbit2Small = 0.10810301816807;
inline constexpr Real kTri6Orbit2Large = 0.445948490915965;
inline constexpr Real kTri6Weight1 = 0.109951743655322;
inline constexpr Real kTri6Weight2 = 0.223381589678011;
// Four-point tetrahedron.
inline constexpr Real kTet4Large = 0.5854101966249685;
inline constexpr Real kTet4Small = 0.1381966011250105;
// Fifteen-point tetrahedron: the vertex orbit and the edge orbit that carry weight.
inline constexpr Real kTet15Vertex = 0.0919710780527;
inline constexpr Real kTet15EdgeSmall = 0.0563508326896;
inline constexpr Real kTet15EdgeLarge = 0.4436491673104;

// ---- one-dimensional factors ----------------------------------------------------------------------

// Weight of the point of sign sigma (-1, +1) of a two-point rule at abscissae +-a in the value at x:
// the straight line through the two points.
constexpr Real linearFactor(Real a, int sigma, Real x) { return (1.0 + sigma * x / a) / 2.0; }

// The two-point Gauss line; sqrt(3) formed from the stored abscissa.
constexpr Real gauss2Factor(int index, Real x) {
  const Real root3 = -1.0 / (-kGauss2);
  return (1.0 + root3 * (index == 1 ? -1.0 : 1.0) * x) / 2.0;
}

// The three-point Gauss line (points at -b, 0, +b): the parabola through the three points.
constexpr Real gauss3Factor(int index, Real x) {
  const Real t = x / kGauss3;
  if (index == 1) return t * (t - 1.0) / 2.0;
  if (index == 2) return 1.0 - t * t;
  return t * (t + 1.0) / 2.0;
}

// ---- node layouts (natural coordinates) -------------------------------------------------------------

using Point2 = std::array<Real, 2>;
using Point3 = std::array<Real, 3>;

inline constexpr Point2 kQuadNodes[9] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}, {0, 0}};

inline constexpr Point3 kBrickNodes[27] = {
    {-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, 1, 1},  {-1, 1, 1},  {0, -1, -1},
    {1, 0, -1},   {0, 1, -1},  {-1, 0, -1}, {0, -1, 1},  {1, 0, 1},  {0, 1, 1},  {-1, 0, 1}, {-1, -1, 0}, {1, -1, 0},
    {1, 1, 0},    {-1, 1, 0},  {0, 0, 0},   {0, 0, -1},  {0, 0, 1},  {0, -1, 0}, {1, 0, 0},  {0, 1, 0},   {-1, 0, 0}};

inline constexpr Point2 kFiveNodes[5] = {{-1, -1}, {1, -1}, {1, 0}, {-1, 0}, {0, -1}};
// The five-node layout of the infinite-element codes 86, 92 and 98.
inline constexpr Point2 kFiveNodesFolded[5] = {{-1, -1}, {0, -1}, {-1, 0}, {-1, 0}, {0, -1}};

inline constexpr Point3 kEighteenNodes[18] = {
    {-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}, {0, -1, -1}, {1, 0, -1}, {0, 1, -1}, {-1, 0, -1}, {-1, -1, 0},
    {1, -1, 0},   {1, 1, 0},   {-1, 1, 0}, {0, -1, 0},  {1, 0, 0},   {0, 1, 0},  {-1, 0, 0}, {0, 0, -1},  {0, 0, 0}};

// A node layout: its first `count` nodes. A node beyond them takes node 1's coordinates.
template <class P>
struct Layout {
  const P* nodes;
  long long count;
  constexpr const P& operator()(long long n) const { return (n >= 1 && n <= count) ? nodes[n - 1] : nodes[0]; }
};

// Linear weight of point p (1-3) of the three-point triangle rule (area coordinates 2/3, 1/6, 1/6)
// at in-plane position i of the six-node triangle (1-3 corners, 4-6 midsides 1-2, 2-3, 3-1):
// 5/3 own corner, 2/3 at both ends of a midside, -1/3 otherwise.
constexpr Real triangle3Weight(int p, int position) {
  if (position <= 3) return position == p ? 5.0 / 3.0 : -1.0 / 3.0;
  const bool end = position - 3 == p || position % 3 + 1 == p;
  return end ? 2.0 / 3.0 : -1.0 / 3.0;
}

// ---- compile-time inverse --------------------------------------------------------------------------

template <std::size_t N>
using Square = std::array<std::array<Real, N>, N>;

// The inverse of a well-conditioned matrix by Gauss-Jordan elimination with partial pivoting.
template <std::size_t N>
constexpr Square<N> inverse(Square<N> a) {
  Square<N> inv{};
  for (std::size_t i = 0; i < N; ++i) inv[i][i] = 1.0;
  for (std::size_t c = 0; c < N; ++c) {
    std::size_t pivot = c;
    for (std::size_t r = c + 1; r < N; ++r) {
      const Real candidate = a[r][c] < 0 ? -a[r][c] : a[r][c];
      const Real best = a[pivot][c] < 0 ? -a[pivot][c] : a[pivot][c];
      if (candidate > best) pivot = r;
    }
    std::swap(a[c], a[pivot]);
    std::swap(inv[c], inv[pivot]);
    const Real d = a[c][c];
    for (std::size_t k = 0; k < N; ++k) {
      a[c][k] /= d;
      inv[c][k] /= d;
    }
    for (std::size_t r = 0; r < N; ++r) {
      if (r == c) continue;
      const Real f = a[r][c];
      for (std::size_t k = 0; k < N; ++k) {
        a[r][k] -= f * a[c][k];
        inv[r][k] -= f * inv[c][k];
      }
    }
  }
  return inv;
}

// Quadratic shape function n (from 1) of the six-node triangle at area coordinates L: corners
// 1-3, midsides 4 (1-2), 5 (2-3), 6 (3-1).
constexpr Real triangle6Shape(int n, const std::array<Real, 3>& L) {
  constexpr int kEnds[3][2] = {{0, 1}, {1, 2}, {2, 0}};
  if (n <= 3) return L[n - 1] * (2.0 * L[n - 1] - 1.0);
  return 4.0 * L[kEnds[n - 4][0]] * L[kEnds[n - 4][1]];
}

// Quadratic shape function n (from 1) of the ten-node tetrahedron at volume coordinates L:
// corners 1-4, midsides 5 (1-2), 6 (2-3), 7 (3-1), 8 (1-4), 9 (2-4), 10 (3-4).
inline constexpr int kTetEdges[6][2] = {{0, 1}, {1, 2}, {2, 0}, {0, 3}, {1, 3}, {2, 3}};
constexpr Real tetrahedron10Shape(int n, const std::array<Real, 4>& L) {
  if (n <= 4) return L[n - 1] * (2.0 * L[n - 1] - 1.0);
  return 4.0 * L[kTetEdges[n - 5][0]] * L[kTetEdges[n - 5][1]];
}

// ---- the rules ------------------------------------------------------------------------------------
//
// Each rule writes W with its own leading dimension (fixed, or the point count it is given) into
// the first `capacity` reals of W; the exported routines pass kUnbounded, ELNEX its caller's room.
// `toNodes` is the node flag. Arguments otherwise as the exported routine of the same name.

inline constexpr long long kUnbounded = std::numeric_limits<long long>::max();

void lx2(Real* W, long long capacity, long long nip, bool toNodes);
void lx3(Real* W, long long capacity, long long n, bool toNodes);
void lx22(Real* W, long long capacity, long long nn, bool toNodes);
void lx22i(Real* W, long long capacity, long long nn, bool toNodes, Int type);
void lx33(Real* W, long long capacity, long long nn, bool toNodes);
void lx33i(Real* W, long long capacity, long long nn, bool toNodes);
void lx222(Real* W, long long capacity, long long nn, bool toNodes);
void lx222i(Real* W, long long capacity, long long nn, bool toNodes, Int type);
void lx333(Real* W, long long capacity, long long nn, bool toNodes);
void lx333i(Real* W, long long capacity, long long nn, bool toNodes);
void lx222r(Real* W, long long capacity, long long nn, bool toNodes);
void lsol2(Real* W, long long capacity, long long nn, bool toNodes, Int selector);
void lsol3(Real* W, long long capacity, Int type, long long nn, bool toNodes, Int selector);
void lsol5(Real* W, long long capacity, Int type, long long nn, bool toNodes, Int selector);

void lx222n(Real* W, long long capacity, long long nn, bool toNodes, Int type, long long nip);
void lxtri3(Real* W, long long capacity, bool toNodes);
void lxtri6(Real* W, long long capacity, long long nip, long long m, bool toNodes);
void lxtri6c(Real* W, long long capacity, long long nn, bool toNodes);
void lxtr3n(Real* W, long long capacity, long long nn, bool toNodes);
void lxtr66(Real* W, long long capacity, long long nip, long long nn, bool toNodes);
void lxtt4(Real* W, long long capacity, long long nn, bool toNodes);
void lxtet10c(Real* W, long long capacity, long long nn, bool toNodes);
void lxtt15(Real* W, long long capacity, long long nn, bool toNodes);
void lxtp2r(Real* W, long long capacity, long long nn, bool toNodes);
void lxtp9r(Real* W, long long capacity, long long nn, bool toNodes);
void lxtp9(Real* W, long long capacity, long long nn, bool toNodes);
void lxtp2(Real* W, long long capacity, long long nn, bool toNodes);
void lxpsi(Real* W, long long capacity, long long nip, bool toNodes);
void lxtgasket(Real* W, long long capacity, long long nn, long long nip, bool toNodes, Int type);
void lxsola(Real* W, long long capacity, long long nip, bool toNodes, long long layers, long long nodes,
            long long perPlane);
void lxsaxa(Real* W, long long capacity, long long nip, bool toNodes, long long layers, long long nodes,
            long long perPlane);

// The cylindrical rules, one per in-plane shape (cylindrical_rules.cpp).
enum class CylinderShape { Point, Line2, Quad4, Quad9, Triangle1, Triangle3 };
void cylinderRule(Real* W, long long capacity, CylinderShape shape, long long nn, const Real* data, bool toNodes);

// ELNEX into the first `capacity` reals of W.
void elnex(Real* W, long long capacity, Int flag, Int layers, Int layerNodes, Int nip, Int perPlane, Int type, Int nn,
           Int dimension, Int selector, const Real* cylinder);
bool threeColumnCode(Int type);
long long clearedColumns(Int type, long long nn);

}  // namespace zmx_extrapolation
