#include "elements/shells/shell_support.h"

namespace zmx_shells {

void lineShape(int n, Real xi, Real* N, Real* dN) {
  if (n == 3) {
    N[0] = 0.5 * xi * (xi - 1.0), N[1] = 1.0 - xi * xi, N[2] = 0.5 * xi * (xi + 1.0);
    dN[0] = xi - 0.5, dN[1] = -2.0 * xi, dN[2] = xi + 0.5;
  } else {
    N[0] = 0.5 * (1.0 - xi), N[1] = 0.5 * (1.0 + xi);
    dN[0] = -0.5, dN[1] = 0.5;
  }
}

Real gaussAbscissa(int n, int p) {
  if (n == 3) return p == 1 ? -kGauss3 : (p == 2 ? 0.0 : kGauss3);
  return p == 1 ? -kGauss2 : kGauss2;
}

Real gauss3Weight(int p) { return p == 2 ? 8.0 / 9.0 : 5.0 / 9.0; }

}  // namespace zmx_shells

#include "siblings/eqc/facet_shapes.h"

namespace zmx_shells {

namespace {

using Shape = void (*)(const Real*, const Real*, Real*, const Int*);

Shape shapeFunctions(int nodes) {
  switch (nodes) {
    case 3: return EQC_INTT3;
    case 4: return EQC_INTQ4;
    case 6: return EQC_INTT6;
    case 8: return EQC_INTQ8;
    case 9: return EQC_INTQ9;
    default: return nullptr;
  }
}

}  // namespace

bool hasShapeFunctions(int nodes) { return shapeFunctions(nodes) != nullptr; }

bool shapeTable(int nodes, int points, Real* table) {
  const Shape shape = shapeFunctions(nodes);
  if (shape == nullptr) return false;
  const bool triangle = nodes == 3 || nodes == 6;
  const int perDirection = points == 1 ? 1 : (points == 4 ? 2 : (points == 9 ? 3 : 0));
  if (triangle ? (points != 1 && points != 3) : perDirection == 0) return false;
  for (int p = 1; p <= points; ++p) {
    Real xi = 0.0, eta = 0.0;
    if (triangle) {
      static constexpr Real kThree[3][2] = {{1.0 / 6.0, 1.0 / 6.0}, {2.0 / 3.0, 1.0 / 6.0}, {1.0 / 6.0, 2.0 / 3.0}};
      xi = points == 1 ? 1.0 / 3.0 : kThree[p - 1][0];
      eta = points == 1 ? 1.0 / 3.0 : kThree[p - 1][1];
    } else if (perDirection > 1) {
      xi = gaussAbscissa(perDirection, (p - 1) % perDirection + 1);
      eta = gaussAbscissa(perDirection, (p - 1) / perDirection + 1);
    }
    Real values[27];
    const Int all = 0;
    shape(&xi, &eta, values, &all);
    for (int k = 0; k < nodes; ++k)
      for (int c = 0; c < 3; ++c) table[k + nodes * (3 * (p - 1) + c)] = values[c * nodes + k];
  }
  return true;
}

}  // namespace zmx_shells
