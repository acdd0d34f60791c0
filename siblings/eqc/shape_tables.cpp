// Shape-function tables of the facet integration rules of the eqc stand-in: the plain facets'
// functions evaluated at each point of a rule, one point after another.

#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/facet_shapes.h"

namespace {

// Gauss-Legendre abscissae on [-1, 1] for orders 1 to 3.
constexpr Real kGauss1[1] = {0.0};
constexpr Real kGauss2[2] = {-0.57735026918963, 0.57735026918963};
constexpr Real kGauss3[3] = {-0.77459666924148, 0.0, 0.77459666924148};

const Real* gaussPoints(Int order) {
  switch (order) {
    case 1: return kGauss1;
    case 2: return kGauss2;
    case 3: return kGauss3;
    default: return nullptr;
  }
}

using Shapes = void (*)(const Real*, const Real*, Real*, const Int*);

// The product rule of the order over [-1, 1]^2, first coordinate fastest.
void productTable(Shapes shapes, int nodes, Real* table, const Int* order) {
  const Real* points = gaussPoints(*order);
  if (points == nullptr) return;
  const Int valuesFirst = 0;
  Real* block = table;
  for (Int j = 0; j < *order; ++j)
    for (Int i = 0; i < *order; ++i, block += 3 * nodes) shapes(&points[i], &points[j], block, &valuesFirst);
}

}  // namespace

extern "C" {

void EQC_INTTR3(Real* table) {
  const Real third = 1.0 / 3.0;
  const Int valuesFirst = 0;
  EQC_INTT3(&third, &third, table, &valuesFirst);
}

void EQC_INTOCA(Real* table, const Int* order) { productTable(EQC_INTQ4, 4, table, order); }

void EQC_INTTR6(Real* table) {
  constexpr Real kSixth = 1.0 / 6.0, kTwoThirds = 2.0 / 3.0;
  const Real points[3][2] = {{kSixth, kSixth}, {kTwoThirds, kSixth}, {kSixth, kTwoThirds}};
  const Int valuesFirst = 0;
  for (int p = 0; p < 3; ++p) EQC_INTT6(&points[p][0], &points[p][1], table + 18 * p, &valuesFirst);
}

void EQC_INTTC9(Real* table, const Int* order) { productTable(EQC_INTQ9, 9, table, order); }

}  // extern "C"
