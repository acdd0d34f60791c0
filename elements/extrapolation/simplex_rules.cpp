// Extrapolation matrices of triangles, tetrahedra and wedges. A symmetric point orbit in area or
// volume coordinates carries a linear field: a node at coordinates L takes (L_c - B)/(A - B) from
// the orbit's point whose own corner c has the coordinate A (the other corners B). The quadratic
// rules (six-point triangle, fifteen-point tetrahedron) invert the quadratic interpolation through
// their points at compile time; wedges multiply in-plane weights by the Gauss line factors through
// the thickness.
#include <array>

#include "elements/extrapolation/rule_support.h"
#include "zmx/elements/extrapolation.h"

namespace zmx_extrapolation {
namespace {

// Area coordinates of the six-node triangle's nodes; volume coordinates of the ten-node tetrahedron's.
constexpr std::array<Real, 3> triangleNode(int n) {
  constexpr int kEnds[3][2] = {{0, 1}, {1, 2}, {2, 0}};
  std::array<Real, 3> L{};
  if (n <= 3) {
    L[n - 1] = 1.0;
  } else {
    L[kEnds[n - 4][0]] = 0.5;
    L[kEnds[n - 4][1]] = 0.5;
  }
  return L;
}

constexpr std::array<Real, 4> tetrahedronNode(int n) {
  std::array<Real, 4> L{};
  if (n <= 4) {
    L[n - 1] = 1.0;
  } else {
    L[kTetEdges[n - 5][0]] = 0.5;
    L[kTetEdges[n - 5][1]] = 0.5;
  }
  return L;
}

// Weight of the orbit point whose own corner has coordinate `own` (the others `other`) for a node
// whose coordinate at that corner is `node`.
constexpr Real orbitWeight(Real node, Real own, Real other) { return (node - other) / (own - other); }

// ---- linear triangles and tetrahedra ----

struct SymmetricOrbit {
  Real own, other;
};
constexpr SymmetricOrbit kTriangle3{2.0 / 3.0, 1.0 / 6.0};
// The points of the modified six-node triangle's rule: 29/15 and -7/15 at a corner.
constexpr SymmetricOrbit kTriangle3Modified{11.0 / 18.0, 7.0 / 36.0};
constexpr SymmetricOrbit kTetrahedron4{kTet4Large, kTet4Small};
// The points of the modified ten-node tetrahedron's rule: 121/52 and -23/52 at a corner.
constexpr SymmetricOrbit kTetrahedron4Modified{25.0 / 48.0, 23.0 / 144.0};

void triangleLinear(const Matrix& w, long long nodes, bool toNodes, SymmetricOrbit orbit) {
  if (!toNodes) {
    for (int p = 1; p <= 3; ++p) w.set(p, 1, 1.0 / 3.0);
    return;
  }
  for (long long n = 1; n <= nodes && n <= 6; ++n) {
    const auto L = triangleNode(static_cast<int>(n));
    for (int p = 1; p <= 3; ++p) w.set(p, n, orbitWeight(L[p - 1], orbit.own, orbit.other));
  }
}

void tetrahedronLinear(const Matrix& w, long long nodes, bool toNodes, SymmetricOrbit orbit) {
  if (!toNodes) {
    for (int p = 1; p <= 4; ++p) w.set(p, 1, 0.25);
    return;
  }
  for (long long n = 1; n <= nodes && n <= 10; ++n) {
    const auto L = tetrahedronNode(static_cast<int>(n));
    for (int p = 1; p <= 4; ++p) w.set(p, n, orbitWeight(L[p - 1], orbit.own, orbit.other));
  }
}

// ---- six-point triangle ----

// Area coordinates of the six points: 1-3 near corners 1-3, 4-6 near midsides 1-2, 2-3, 3-1.
constexpr std::array<Real, 3> sixPointTriangle(int p) {
  std::array<Real, 3> L{};
  if (p <= 3) {
    L = {kTri6Orbit1Small, kTri6Orbit1Small, kTri6Orbit1Small};
    L[p - 1] = kTri6Orbit1Large;
  } else {
    L = {kTri6Orbit2Large, kTri6Orbit2Large, kTri6Orbit2Large};
    L[(p - 4 + 2) % 3] = kTri6Orbit2Small;  // the corner opposite the midside
  }
  return L;
}

// W(p, n) for n = 1..6 and the centre in column 7.
struct Triangle66 {
  Real w[6][7];
};

constexpr Triangle66 buildTriangle66() {
  Square<6> a{};
  for (int p = 1; p <= 6; ++p)
    for (int n = 1; n <= 6; ++n) a[p - 1][n - 1] = triangle6Shape(n, sixPointTriangle(p));
  const Square<6> b = inverse(a);
  const std::array<Real, 3> centre{1.0 / 3.0, 1.0 / 3.0, 1.0 / 3.0};
  Triangle66 t{};
  for (int p = 0; p < 6; ++p) {
    for (int n = 0; n < 6; ++n) {
      t.w[p][n] = b[n][p];
      t.w[p][6] += triangle6Shape(n + 1, centre) * b[n][p];
    }
  }
  return t;
}

constexpr Triangle66 kTriangle66 = buildTriangle66();

// ---- fifteen-point tetrahedron ----

// Volume coordinates of the ten points that carry weight: 2-5 on the vertex orbit (point 1 + i
// near corner i), 10-15 on the edge orbit near the midsides 1-2, 2-3, 3-1, 1-4, 2-4, 3-4. Points 1
// (the centroid) and 6-9 (the other vertex orbit) are not needed for a quadratic.
inline constexpr int kTet15Points[10] = {2, 3, 4, 5, 10, 11, 12, 13, 14, 15};

constexpr std::array<Real, 4> tet15Point(int r) {
  std::array<Real, 4> L{};
  if (r < 4) {
    L = {kTet15Vertex, kTet15Vertex, kTet15Vertex, kTet15Vertex};
    L[r] = 1.0 - 3.0 * kTet15Vertex;
  } else {
    L = {kTet15EdgeSmall, kTet15EdgeSmall, kTet15EdgeSmall, kTet15EdgeSmall};
    L[kTetEdges[r - 4][0]] = kTet15EdgeLarge;
    L[kTetEdges[r - 4][1]] = kTet15EdgeLarge;
  }
  return L;
}

// Locations of nodes 11 to 15: the centroid, then the centroids of the faces (1, 3, 2),
// (1, 2, 4), (2, 3, 4), (3, 1, 4), as the modified tetrahedron places its interior and face points.
constexpr std::array<Real, 4> tet15ExtraNode(int n) {
  constexpr Real t = 1.0 / 3.0;
  switch (n) {
    case 11:
      return {0.25, 0.25, 0.25, 0.25};
    case 12:
      return {t, t, t, 0};
    case 13:
      return {t, t, 0, t};
    case 14:
      return {0, t, t, t};
    default:
      return {t, 0, t, t};
  }
}

// The stored table: W(p, n) for 15 points and 15 nodes, and the 15 centre coefficients.
struct Tetrahedron15 {
  Real w[15][15];
  Real centre[15];
};

constexpr Tetrahedron15 buildTetrahedron15() {
  Square<10> a{};
  for (int r = 0; r < 10; ++r)
    for (int n = 1; n <= 10; ++n) a[r][n - 1] = tetrahedron10Shape(n, tet15Point(r));
  const Square<10> b = inverse(a);
  Tetrahedron15 t{};
  for (int r = 0; r < 10; ++r) {
    const int p = kTet15Points[r] - 1;
    for (int n = 0; n < 10; ++n) t.w[p][n] = b[n][r];
    for (int n = 11; n <= 15; ++n)
      for (int k = 0; k < 10; ++k) t.w[p][n - 1] += tetrahedron10Shape(k + 1, tet15ExtraNode(n)) * b[k][r];
  }
  // The centre value is the quadratic at the centroid: -1/8 of each corner, 1/4 of each midside.
  for (int n = 0; n < 15; ++n) t.centre[n] = n < 4 ? -0.125 : (n < 10 ? 0.25 : 0.0);
  return t;
}

constexpr Tetrahedron15 kTetrahedron15 = buildTetrahedron15();

// ---- wedges ----

// In-plane position (1-3 corners, 4-6 midsides) and thickness coordinate of a wedge node: 1-3
// bottom corners, 4-6 top corners, 7-9 bottom midsides, 10-12 top midsides, 13-15 mid-height corners.
struct WedgeNode {
  int position;
  Real zeta;
};

constexpr WedgeNode wedgeNode(long long n) {
  if (n <= 3) return {static_cast<int>(n), -1.0};
  if (n <= 6) return {static_cast<int>(n - 3), 1.0};
  if (n <= 9) return {static_cast<int>(n - 3), -1.0};
  if (n <= 12) return {static_cast<int>(n - 6), 1.0};
  return {static_cast<int>(n - 12), 0.0};
}

// Linear in-plane weight at position i of point q (1-3) of six-point orbit s (1 or 2): orbit 1's
// point q sits near corner q; orbit 2's points near the midsides 1-2, 2-3, 3-1, whose own
// (small) coordinate is at the opposite corner.
Real sixPointOrbitWeight(int s, int q, int position) {
  const auto L = triangleNode(position);
  if (s == 1) return orbitWeight(L[q - 1], kTri6Orbit1Large, kTri6Orbit1Small);
  return orbitWeight(L[(q + 1) % 3], kTri6Orbit2Small, kTri6Orbit2Large);
}

}  // namespace

void lxtri3(Real* W, long long capacity, bool toNodes) { triangleLinear(Matrix{W, 3, capacity}, 3, toNodes, kTriangle3); }

void lxtri6(Real* W, long long capacity, long long nip, long long m, bool toNodes) {
  triangleLinear(Matrix{W, nip, capacity}, m, toNodes, kTriangle3);
}

void lxtri6c(Real* W, long long capacity, long long nn, bool toNodes) {
  triangleLinear(Matrix{W, 3, capacity}, nn, toNodes, kTriangle3Modified);
}

void lxtr3n(Real* W, long long capacity, long long nn, bool toNodes) {
  const Matrix w{W, nn, capacity};
  for (long long n = 1; n <= nn; ++n) w.set(n, toNodes ? n : 1, toNodes ? 1.0 : 1.0 / 3.0);
}

void lxtr66(Real* W, long long capacity, long long nip, long long nn, bool toNodes) {
  const Matrix w{W, nip, capacity};
  if (!toNodes) {
    for (int p = 1; p <= 6; ++p) w.set(p, 1, kTriangle66.w[p - 1][6]);
    return;
  }
  for (long long n = 1; n <= nn && n <= 6; ++n)
    for (int p = 1; p <= 6; ++p) w.set(p, n, kTriangle66.w[p - 1][n - 1]);
}

void lxtt4(Real* W, long long capacity, long long nn, bool toNodes) {
  tetrahedronLinear(Matrix{W, 4, capacity}, nn, toNodes, kTetrahedron4);
}

void lxtet10c(Real* W, long long capacity, long long nn, bool toNodes) {
  tetrahedronLinear(Matrix{W, 4, capacity}, nn, toNodes, kTetrahedron4Modified);
}

void lxtt15(Real* W, long long capacity, long long nn, bool toNodes) {
  const Matrix w{W, 15, capacity};
  if (!toNodes) {
    for (int p = 1; p <= 15; ++p) {
      Real sum = 0.0;
      for (int k = 0; k < 15; ++k) sum += kTetrahedron15.centre[k] * kTetrahedron15.w[p - 1][k];
      w.set(p, 1, sum);
    }
    return;
  }
  for (long long n = 1; n <= nn && n <= 15; ++n)
    for (int p = 1; p <= 15; ++p) w.set(p, n, kTetrahedron15.w[p - 1][n - 1]);
}

void lxtp2r(Real* W, long long capacity, long long nn, bool toNodes) {
  const Matrix w{W, 2, capacity};
  if (!toNodes) {
    w.set(1, 1, 0.5);
    w.set(2, 1, 0.5);
    return;
  }
  for (long long n = 1; n <= nn && n <= 6; ++n) {
    const Real zeta = n <= 3 ? -1.0 : 1.0;
    for (int p = 1; p <= 2; ++p) w.set(p, n, gauss2Factor(p, zeta));
  }
}

void lxtp2(Real* W, long long capacity, long long nn, bool toNodes) {
  const Matrix w{W, 6, capacity};
  for (int layer = 1; layer <= 2; ++layer)
    for (int t = 1; t <= 3; ++t) {
      const int p = t + 3 * (layer - 1);
      if (!toNodes) {
        w.set(p, 1, 1.0 / 3.0 * 0.5);
        continue;
      }
      for (long long n = 1; n <= nn && n <= 6; ++n) {
        const Real zeta = n <= 3 ? -1.0 : 1.0;
        const int position = static_cast<int>(n <= 3 ? n : n - 3);
        w.set(p, n, triangle3Weight(t, position) * gauss2Factor(layer, zeta));
      }
    }
}

void lxtp9r(Real* W, long long capacity, long long nn, bool toNodes) {
  const Matrix w{W, 9, capacity};
  constexpr Real kLineWeights[3] = {5.0 / 9.0, 8.0 / 9.0, 5.0 / 9.0};
  for (int layer = 1; layer <= 3; ++layer)
    for (int t = 1; t <= 3; ++t) {
      const int p = t + 3 * (layer - 1);
      if (!toNodes) {
        w.set(p, 1, 1.0 / 3.0 * kLineWeights[layer - 1] / 2.0);
        continue;
      }
      for (long long n = 1; n <= nn && n <= 15; ++n) {
        const WedgeNode node = wedgeNode(n);
        w.set(p, n, triangle3Weight(t, node.position) * gauss3Factor(layer, node.zeta));
      }
    }
}

void lxtp9(Real* W, long long capacity, long long nn, bool toNodes) {
  const Matrix w{W, 18, capacity};
  constexpr Real kLineWeights[3] = {5.0 / 9.0, 8.0 / 9.0, 5.0 / 9.0};
  // Orbit shares of the combined linear extrapolation: three times each orbit's triangle weight.
  const Real share[2] = {3.0 * kTri6Weight1, 3.0 * kTri6Weight2};
  const Real weight[2] = {kTri6Weight1, kTri6Weight2};
  for (int layer = 1; layer <= 3; ++layer)
    for (int s = 1; s <= 2; ++s)
      for (int q = 1; q <= 3; ++q) {
        const int p = 6 * (layer - 1) + 3 * (s - 1) + q;
        if (!toNodes) {
          w.set(p, 1, weight[s - 1] * kLineWeights[layer - 1] * 0.5);
          continue;
        }
        for (long long n = 1; n <= nn && n <= 15; ++n) {
          const WedgeNode node = wedgeNode(n);
          w.set(p, n, share[s - 1] * sixPointOrbitWeight(s, q, node.position) * gauss3Factor(layer, node.zeta));
        }
      }
}

}  // namespace zmx_extrapolation

namespace x = zmx_extrapolation;

extern "C" {

void LXTRI3(Real* W, const Int* flag) { x::lxtri3(W, x::kUnbounded, *flag != 0); }
void LXTRI6(Real* W, const Int* nip, const Int* m, const Int* flag) { x::lxtri6(W, x::kUnbounded, *nip, *m, *flag != 0); }
void LXTRI6C(Real* W, const Int* nn, const Int* flag) { x::lxtri6c(W, x::kUnbounded, *nn, *flag != 0); }
void LXTR3N(Real* W, const Int* nn, const Int* flag) { x::lxtr3n(W, x::kUnbounded, *nn, *flag != 0); }
void LXTR66(Real* W, const Int* nip, const Int* nn, const Int* flag) {
  x::lxtr66(W, x::kUnbounded, *nip, *nn, *flag != 0);
}
void LXTT4(Real* W, const Int* nn, const Int* flag) { x::lxtt4(W, x::kUnbounded, *nn, *flag != 0); }
void LXTET10C(Real* W, const Int* nn, const Int* flag) { x::lxtet10c(W, x::kUnbounded, *nn, *flag != 0); }
void LXTT15(Real* W, const Int* nn, const Int* flag) { x::lxtt15(W, x::kUnbounded, *nn, *flag != 0); }
void LXTP2R(Real* W, const Int* nn, const Int* flag) { x::lxtp2r(W, x::kUnbounded, *nn, *flag != 0); }
void LXTP9R(Real* W, const Int* nn, const Int* /*T*/, const Int* flag) { x::lxtp9r(W, x::kUnbounded, *nn, *flag != 0); }
void LXTP9(Real* W, const Int* nn, const Int* /*T*/, const Int* flag) { x::lxtp9(W, x::kUnbounded, *nn, *flag != 0); }
void LXTP2(Real* W, const Int* nn, const Int* flag) { x::lxtp2(W, x::kUnbounded, *nn, *flag != 0); }

}  // extern "C"
