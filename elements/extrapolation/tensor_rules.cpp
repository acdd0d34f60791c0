// Extrapolation matrices of the tensor-product rules: lines, quadrilaterals and bricks of two or
// three Gauss points per direction, the fourteen-point brick, and the selector rules that keep a
// value constant through the thickness of a solid. A node's weight for a point is the product over
// the directions of the one-dimensional factor of the point's abscissa at the node's natural
// coordinate: the polynomial through the points, evaluated at the node. The element centre is the
// node at the origin.
#include <cstdint>

#include "elements/extrapolation/rule_support.h"
#include "zmx/elements/extrapolation.h"

namespace zmx_extrapolation {
namespace {

enum class Line : std::uint8_t { Gauss2, Gauss3, Brick14, Planar5 };

constexpr int pointsOf(Line line) { return line == Line::Gauss3 ? 3 : 2; }

// Factor of point `index` (1-based along the direction) at the coordinate x.
inline Real factor(Line line, int index, Real x) {
  switch (line) {
    case Line::Gauss2:
      return gauss2Factor(index, x);
    case Line::Gauss3:
      return gauss3Factor(index, x);
    case Line::Brick14:
      return linearFactor(kBrick14Corner, index == 1 ? -1 : 1, x);
    case Line::Planar5:
      break;
  }
  return linearFactor(kPlanar5Corner, index == 1 ? -1 : 1, x);
}

// Point numbers of the two-point corners in element-node order ((-,-), (+,-), (+,+), (-,+), then
// the same on the upper face) for a lattice position (first direction fastest).
inline constexpr int kCornerOrder[8] = {1, 2, 4, 3, 5, 6, 8, 7};

// Column n of W for a node at x (D coordinates): every lattice point of the rule.
template <int D>
void tensorColumn(const Matrix& w, long long n, const Real* x, Line line, bool cornerOrder) {
  const int m = pointsOf(line);
  Real f[D][3];
  for (int d = 0; d < D; ++d)
    for (int i = 1; i <= m; ++i) f[d][i - 1] = factor(line, i, x[d]);
  if constexpr (D == 1) {
    for (int i = 0; i < m; ++i) w.set(i + 1, n, f[0][i]);
  } else if constexpr (D == 2) {
    int lattice = 0;
    for (int j = 0; j < m; ++j)
      for (int i = 0; i < m; ++i, ++lattice)
        w.set(cornerOrder ? kCornerOrder[lattice] : lattice + 1, n, f[0][i] * f[1][j]);
  } else {
    int lattice = 0;
    for (int k = 0; k < m; ++k)
      for (int j = 0; j < m; ++j) {
        const Real fjk = f[1][j] * f[2][k];
        for (int i = 0; i < m; ++i, ++lattice)
          w.set(cornerOrder ? kCornerOrder[lattice] : lattice + 1, n, f[0][i] * fjk);
      }
  }
}

// Columns 1..nn from a node layout, or column 1 for the centre.
template <int D, class P>
void fillFromLayout(const Matrix& w, long long nn, bool toNodes, Layout<P> layout, Line line,
                    bool cornerOrder = false) {
  if (!toNodes) {
    const Real origin[3] = {0, 0, 0};
    tensorColumn<D>(w, 1, origin, line, cornerOrder);
    return;
  }
  for (long long n = 1; n <= nn; ++n) tensorColumn<D>(w, n, layout(n).data(), line, cornerOrder);
}

constexpr Layout<Point2> kQuad9{kQuadNodes, 9};
constexpr Layout<Point2> kQuad8{kQuadNodes, 8};  // the 3 x 3 rule's list stops at node 8
constexpr Layout<Point2> kFive{kFiveNodes, 5};
constexpr Layout<Point2> kFiveFolded{kFiveNodesFolded, 5};
constexpr Layout<Point3> kBrick20{kBrickNodes, 20};
constexpr Layout<Point3> kBrick27{kBrickNodes, 27};

// The eighteen-node layout; for code 99 nodes 5 to 8 sit where nodes 9 to 12 do.
void fillEighteen(const Matrix& w, long long nn, bool toNodes, Int type, Line line) {
  if (!toNodes) {
    const Real origin[3] = {0, 0, 0};
    tensorColumn<3>(w, 1, origin, line, false);
    return;
  }
  const Layout<Point3> layout{kEighteenNodes, 18};
  for (long long n = 1; n <= nn; ++n) {
    const long long at = (type == 99 && n >= 5 && n <= 8) ? n + 4 : n;
    tensorColumn<3>(w, n, layout(at).data(), line, false);
  }
}

// The two in-plane directions (0-based) when direction `selector` is the thickness.
bool inPlaneDirections(Int selector, int& a, int& b) {
  constexpr int kPairs[3][2] = {{1, 2}, {2, 0}, {0, 1}};
  if (selector < 1 || selector > 3) return false;
  a = kPairs[selector - 1][0];
  b = kPairs[selector - 1][1];
  return true;
}

// Node number at list position k for the solid codes base..base + 99: nodes 1 to 21, then node
// 21 + i for each set bit i - 1 of the code's offset. Other codes, and positions past the list,
// take k itself.
long long listedNode(long long k, Int type, Int base) {
  if (base == 0 || type < base || type > base + 99 || k <= 21) return k;
  const unsigned bits = static_cast<unsigned>(type - base);
  long long position = 21;
  for (int i = 1; i <= 6; ++i)
    if (((bits >> (i - 1)) & 1u) != 0 && ++position == k) return 21 + i;
  return k;
}

// The selector rules: a node's column from its in-plane brick coordinates. A selector outside 1
// to 3 names no thickness direction and writes nothing.
void fillSelector(const Matrix& w, long long nn, bool toNodes, Int selector, Line line, Int type, Int base) {
  int a = 0, b = 0;
  if (!inPlaneDirections(selector, a, b)) return;
  // The five-point rule's centre point (point 5) gets weight 0 in every column written.
  const bool fivePoint = line == Line::Planar5;
  auto column = [&](long long k, const Real* plane) {
    tensorColumn<2>(w, k, plane, line, fivePoint);
    if (fivePoint) w.set(5, k, 0.0);
  };
  if (!toNodes) {
    const Real origin[2] = {0, 0};
    column(1, origin);
    return;
  }
  for (long long k = 1; k <= nn; ++k) {
    const Point3& x = kBrick27(listedNode(k, type, base));
    const Real plane[2] = {x[a], x[b]};
    column(k, plane);
  }
}

}  // namespace

void lx2(Real* W, long long capacity, long long nip, bool toNodes) {
  const Line line = nip == 2 ? Line::Gauss2 : Line::Gauss3;
  const Matrix w{W, pointsOf(line), capacity};
  constexpr Real kLineNodes[3] = {-1.0, 0.0, 1.0};
  const Real origin = 0.0;
  for (long long n = 1; n <= 3; ++n) tensorColumn<1>(w, n, toNodes ? &kLineNodes[n - 1] : &origin, line, false);
}

void lx3(Real* W, long long capacity, long long n, bool toNodes) {
  const Matrix w{W, 3, capacity};
  const Real origin = 0.0;
  if (!toNodes) {
    tensorColumn<1>(w, 1, &origin, Line::Gauss3, false);
    return;
  }
  for (long long k = 1; k <= n; ++k) {
    const Real x = k == 1 ? -1.0 : (k == 2 ? 1.0 : 0.0);
    tensorColumn<1>(w, k, &x, Line::Gauss3, false);
  }
}

void lx22(Real* W, long long capacity, long long nn, bool toNodes) {
  fillFromLayout<2>(Matrix{W, 4, capacity}, nn, toNodes, kQuad9, Line::Gauss2);
}

void lx22i(Real* W, long long capacity, long long nn, bool toNodes, Int type) {
  const bool folded = type == 86 || type == 92 || type == 98;
  fillFromLayout<2>(Matrix{W, 4, capacity}, nn, toNodes, folded ? kFiveFolded : kFive, Line::Gauss2);
}

void lx33(Real* W, long long capacity, long long nn, bool toNodes) {
  fillFromLayout<2>(Matrix{W, 9, capacity}, nn, toNodes, kQuad8, Line::Gauss3);
}

void lx33i(Real* W, long long capacity, long long nn, bool toNodes) {
  fillFromLayout<2>(Matrix{W, 9, capacity}, nn, toNodes, kFive, Line::Gauss3);
}

void lx222(Real* W, long long capacity, long long nn, bool toNodes) {
  fillFromLayout<3>(Matrix{W, 8, capacity}, nn, toNodes, kBrick20, Line::Gauss2);
}

void lx222i(Real* W, long long capacity, long long nn, bool toNodes, Int type) {
  fillEighteen(Matrix{W, 8, capacity}, nn, toNodes, type, Line::Gauss2);
}

void lx333(Real* W, long long capacity, long long nn, bool toNodes) {
  fillFromLayout<3>(Matrix{W, 27, capacity}, nn, toNodes, kBrick27, Line::Gauss3);
}

void lx333i(Real* W, long long capacity, long long nn, bool toNodes) {
  fillEighteen(Matrix{W, 27, capacity}, nn, toNodes, 0, Line::Gauss3);
}

void lx222r(Real* W, long long capacity, long long nn, bool toNodes) {
  // Only the eight corner points carry weight; the six face points (rows 9 to 14) stay as they are.
  fillFromLayout<3>(Matrix{W, 14, capacity}, nn, toNodes, kBrick27, Line::Brick14, true);
}

void lsol2(Real* W, long long capacity, long long nn, bool toNodes, Int selector) {
  fillSelector(Matrix{W, 4, capacity}, nn, toNodes, selector, Line::Gauss2, 0, 0);
}

void lsol3(Real* W, long long capacity, Int type, long long nn, bool toNodes, Int selector) {
  fillSelector(Matrix{W, 9, capacity}, nn, toNodes, selector, Line::Gauss3, type, 500);
}

void lsol5(Real* W, long long capacity, Int type, long long nn, bool toNodes, Int selector) {
  fillSelector(Matrix{W, 5, capacity}, nn, toNodes, selector, Line::Planar5, type, 600);
}

}  // namespace zmx_extrapolation

namespace x = zmx_extrapolation;

extern "C" {

void LX2(Real* W, const Int* /*n*/, const Int* nip, const Int* flag) { x::lx2(W, x::kUnbounded, *nip, *flag != 0); }
void LX3(Real* W, const Int* n, const Int* flag) { x::lx3(W, x::kUnbounded, *n, *flag != 0); }
void LX22(Real* W, const Int* nn, const Int* flag) { x::lx22(W, x::kUnbounded, *nn, *flag != 0); }
void LX22I(Real* W, const Int* nn, const Int* flag, const Int* T) { x::lx22i(W, x::kUnbounded, *nn, *flag != 0, *T); }
void LX33(Real* W, const Int* nn, const Int* flag) { x::lx33(W, x::kUnbounded, *nn, *flag != 0); }
void LX33I(Real* W, const Int* nn, const Int* flag, const Int* /*T*/) { x::lx33i(W, x::kUnbounded, *nn, *flag != 0); }
void LX222(Real* W, const Int* nn, const Int* flag) { x::lx222(W, x::kUnbounded, *nn, *flag != 0); }
void LX222I(Real* W, const Int* nn, const Int* flag, const Int* T) { x::lx222i(W, x::kUnbounded, *nn, *flag != 0, *T); }
void LX333(const Int* /*T*/, Real* W, const Int* nn, const Int* flag) { x::lx333(W, x::kUnbounded, *nn, *flag != 0); }
void LX333I(Real* W, const Int* nn, const Int* flag) { x::lx333i(W, x::kUnbounded, *nn, *flag != 0); }
void LX222R(const Int* /*T*/, Real* W, const Int* nn, const Int* flag) { x::lx222r(W, x::kUnbounded, *nn, *flag != 0); }

void LSOL2(Real* W, const Int* nn, const Int* flag, const Int* selector) {
  x::lsol2(W, x::kUnbounded, *nn, *flag != 0, *selector);
}
void LSOL3(const Int* T, Real* W, const Int* nn, const Int* flag, const Int* selector) {
  x::lsol3(W, x::kUnbounded, *T, *nn, *flag != 0, *selector);
}
void LSOL5(const Int* T, Real* W, const Int* nn, const Int* flag, const Int* selector) {
  x::lsol5(W, x::kUnbounded, *T, *nn, *flag != 0, *selector);
}

}  // extern "C"
