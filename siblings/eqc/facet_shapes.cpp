// Shape functions of the plain facets of the eqc stand-in.

#include "siblings/eqc/facet_shapes.h"

namespace {

// Writes n values and their derivatives into the caller's array in the layout of its mode.
template <int n>
void store(const Real (&value)[n], const Real (&dXi)[n], const Real (&dEta)[n], Real* shape, Int mode) {
  Real* out = shape;
  if (mode != 1)
    for (int j = 0; j < n; ++j) *out++ = value[j];
  for (int j = 0; j < n; ++j) *out++ = dXi[j];
  for (int j = 0; j < n; ++j) *out++ = dEta[j];
}

// One-dimensional quadratic Lagrange functions through -1, 0, 1 and their derivatives.
struct Quadratic {
  Real f[3], d[3];
  explicit Quadratic(Real s)
      : f{0.5 * s * (s - 1.0), 1.0 - s * s, 0.5 * s * (s + 1.0)}, d{s - 0.5, -2.0 * s, s + 0.5} {}
};

}  // namespace

extern "C" {

void EQC_INTT3(const Real* xi, const Real* eta, Real* shape, const Int* mode) {
  const Real value[3] = {1.0 - *xi - *eta, *xi, *eta};
  const Real dXi[3] = {-1.0, 1.0, 0.0};
  const Real dEta[3] = {-1.0, 0.0, 1.0};
  store(value, dXi, dEta, shape, *mode);
}

void EQC_INTQ4(const Real* xi, const Real* eta, Real* shape, const Int* mode) {
  const Real xm = 1.0 - *xi, xp = 1.0 + *xi, em = 1.0 - *eta, ep = 1.0 + *eta;
  const Real value[4] = {0.25 * xm * em, 0.25 * xp * em, 0.25 * xp * ep, 0.25 * xm * ep};
  const Real dXi[4] = {-0.25 * em, 0.25 * em, 0.25 * ep, -0.25 * ep};
  const Real dEta[4] = {-0.25 * xm, -0.25 * xp, 0.25 * xp, 0.25 * xm};
  store(value, dXi, dEta, shape, *mode);
}

void EQC_INTT6(const Real* xi, const Real* eta, Real* shape, const Int* mode) {
  const Real l1 = 1.0 - *xi - *eta, l2 = *xi, l3 = *eta;
  const Real value[6] = {l1 * (2.0 * l1 - 1.0), l2 * (2.0 * l2 - 1.0), l3 * (2.0 * l3 - 1.0),
                         4.0 * l1 * l2,         4.0 * l2 * l3,         4.0 * l3 * l1};
  const Real dXi[6] = {1.0 - 4.0 * l1, 4.0 * l2 - 1.0, 0.0, 4.0 * (l1 - l2), 4.0 * l3, -4.0 * l3};
  const Real dEta[6] = {1.0 - 4.0 * l1, 0.0, 4.0 * l3 - 1.0, -4.0 * l2, 4.0 * l2, 4.0 * (l1 - l3)};
  store(value, dXi, dEta, shape, *mode);
}

void EQC_INTQ8(const Real* xi, const Real* eta, Real* shape, const Int* mode) {
  const Real x = *xi, e = *eta;
  const Real xm = 1.0 - x, xp = 1.0 + x, em = 1.0 - e, ep = 1.0 + e;
  const Real value[8] = {0.25 * xm * em * (-x - e - 1.0), 0.25 * xp * em * (x - e - 1.0),
                         0.25 * xp * ep * (x + e - 1.0),  0.25 * xm * ep * (-x + e - 1.0),
                         0.5 * (1.0 - x * x) * em,        0.5 * xp * (1.0 - e * e),
                         0.5 * (1.0 - x * x) * ep,        0.5 * xm * (1.0 - e * e)};
  const Real dXi[8] = {0.25 * em * (2.0 * x + e), 0.25 * em * (2.0 * x - e), 0.25 * ep * (2.0 * x + e),
                       0.25 * ep * (2.0 * x - e), -x * em,                   0.5 * (1.0 - e * e),
                       -x * ep,                   -0.5 * (1.0 - e * e)};
  const Real dEta[8] = {0.25 * xm * (x + 2.0 * e), 0.25 * xp * (-x + 2.0 * e), 0.25 * xp * (x + 2.0 * e),
                        0.25 * xm * (-x + 2.0 * e), -0.5 * (1.0 - x * x),      -e * xp,
                        0.5 * (1.0 - x * x),        -e * xm};
  store(value, dXi, dEta, shape, *mode);
}

void EQC_INTQ9(const Real* xi, const Real* eta, Real* shape, const Int* mode) {
  // Node k sits at the tensor position (a, b) of the one-dimensional nodes -1, 0, 1 (index 0, 1, 2).
  static constexpr int kXiIndex[9] = {0, 2, 2, 0, 1, 2, 1, 0, 1};
  static constexpr int kEtaIndex[9] = {0, 0, 2, 2, 0, 1, 2, 1, 1};
  const Quadratic p(*xi), q(*eta);
  Real value[9], dXi[9], dEta[9];
  for (int k = 0; k < 9; ++k) {
    const int a = kXiIndex[k], b = kEtaIndex[k];
    value[k] = p.f[a] * q.f[b];
    dXi[k] = p.d[a] * q.f[b];
    dEta[k] = p.f[a] * q.d[b];
  }
  store(value, dXi, dEta, shape, *mode);
}

}  // extern "C"
