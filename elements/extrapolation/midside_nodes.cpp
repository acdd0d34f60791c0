// Midside-node interpolation of nodal fields: each midside node takes the value between its edge's
// end nodes in proportion to its distances from them, so that a midside node off the middle of its
// edge is treated correctly; face and body centres follow from the new midside values. Also the
// inscribed and circumscribed radii of a tetrahedron.
//
// No triple touches a node beyond the element's node count: a triple that names a missing node is
// passed over.
#include <algorithm>
#include <cmath>
#include <string>

#include "runtime/record.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/records.h"
#include "zmx/elements/extrapolation.h"

namespace {

// A midside triple (end a, midside m, end b), nodes from 1.
struct Triple {
  int a, m, b;
};

// Interpolates the triple for every row of `rows` (1 or ld) of F (leading dimension ld).
void interpolate(const Real* X, Real* F, long long ld, long long rows, long long nn, const Triple& t) {
  if (t.a > nn || t.m > nn || t.b > nn) return;
  Real P[9];
  for (int d = 0; d < 3; ++d) {
    P[3 * d] = X[d + 3 * (t.a - 1)];
    P[3 * d + 1] = X[d + 3 * (t.m - 1)];
    P[3 * d + 2] = X[d + 3 * (t.b - 1)];
  }
  for (long long i = 0; i < rows; ++i) {
    Real V[3] = {F[i + ld * (t.a - 1)], 0.0, F[i + ld * (t.b - 1)]};
    TFVMIDINTER(P, V);
    F[i + ld * (t.m - 1)] = V[1];
  }
}

template <std::size_t N>
void interpolateAll(const Real* X, Real* F, long long ld, long long rows, long long nn, const Triple (&triples)[N]) {
  for (const Triple& t : triples) interpolate(X, F, ld, rows, nn, t);
}

constexpr Triple kTetrahedron[] = {{1, 5, 2}, {2, 6, 3}, {1, 7, 3}, {1, 8, 4}, {2, 9, 4}, {3, 10, 4}};

Int fieldRows() { return rec::i(CGN, 7); }

void reportNotAvailable(const Int* codedName) {
  Int coded[3] = {0, 0, 0};
  const Int two = 2;
  ACOPII(codedName, coded, &two);
  char name[8];
  const Int eight = 8;
  Int length = 0;
  ACODEC(coded, name, 8, &eight, &length);
  const Int level = -3;
  const char text[] = "INTERPOLATION FOR THE MIDSIDE NODE IS CURRENTLY NOT AVAILABLE FOR ELEMENT TYPE %S";
  const Int none = 0;
  const Real noReal = 0.0;
  KVXERR(&level, text, static_cast<Int>(sizeof text - 1), &none, &noReal, name, 8);
}

Real distance(const Real* P, int u, int v) {
  const Real dx = P[u] - P[v], dy = P[3 + u] - P[3 + v], dz = P[6 + u] - P[6 + v];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

}  // namespace

extern "C" {

void TFVMIDINTER(const Real* P, Real* V) {
  const Real l1 = distance(P, 0, 1);
  const Real l2 = distance(P, 1, 2);
  if (l1 + l2 > 1e-36) {
    const Real r = l1 / (l1 + l2);
    V[1] = (1.0 - r) * V[0] + r * V[2];
  } else {
    V[1] = V[0];
  }
}

void TFV1OR2ORDER(const Int* dimension, const Int* k1, const Int* k2, const Int* nn, const Int* kind, const Int* k3,
                  const Int* type, Int* order) {
  *order = 0;
  const Int n = *nn;
  if (*dimension < 3) {
    if (*k1 != 0 || *k2 != 0 || *kind == 1)
      *order = n < 3 ? 1 : 2;
    else if (*k3 != 0)
      *order = n < 5 ? 1 : 2;
    else
      *order = n < 5 ? 0 : 2;
    return;
  }
  if (*k1 != 0)
    *order = n < 3 ? 1 : 2;
  else if (*k2 != 0)
    *order = n < 5 ? 1 : 2;
  else if (*kind == 3)
    *order = n < 9 ? 1 : 2;
  else if (*kind == 2)
    *order = n < 5 ? 1 : 2;
  else if (*type < 200 || *type > 300)
    *order = n < 3 ? 1 : 2;
}

void TFVMIDBEAM(const Real* X, Real* F, const Int* nn, const Int* ld) {
  if (*nn != 3) return;
  interpolate(X, F, *ld, *ld, 3, Triple{1, 2, 3});
}

void TFVMID3DSHLORPLN(const Real* X, Real* F, const Int* nn, const Int* type, const Int* ld, const Int* codedName) {
  const long long n = *nn;
  if (n == 6 || n == 7) {
    constexpr Triple kTriangle[] = {{1, 4, 2}, {2, 5, 3}, {1, 6, 3}};
    interpolateAll(X, F, *ld, *ld, n, kTriangle);
  } else if (n >= 8) {
    constexpr Triple kQuadrilateral[] = {{1, 5, 2}, {2, 6, 3}, {3, 7, 4}, {1, 8, 4}};
    interpolateAll(X, F, *ld, *ld, n, kQuadrilateral);
    // Only a nine-node quadrilateral has its centre node 9 between the midsides 8 and 6.
    if (n == 9 && *type != 2006) interpolate(X, F, *ld, *ld, n, Triple{8, 9, 6});
  } else {
    reportNotAvailable(codedName);
  }
}

void TFVMID3DSOL(const Real* X, Real* F, const Int* nn, const Int* ld) {
  const long long n = *nn;
  if (n < 10) return;
  if (n <= 11)
    interpolateAll(X, F, *ld, 1, n, kTetrahedron);
  else if (n < 20)
    TFVMID3D15TO18(X, F, nn, ld);
  else
    TFVMID3D20TO27(X, F, nn, ld);
}

void TFVMID3D15TO18(const Real* X, Real* F, const Int* nn, const Int* ld) {
  constexpr Triple kWedge[] = {{1, 7, 2},   {2, 8, 3},   {1, 9, 3},   {4, 10, 5},  {5, 11, 6},  {4, 12, 6},
                               {1, 13, 4},  {2, 14, 5},  {3, 15, 6},  {13, 16, 14}, {14, 17, 15}, {15, 18, 13}};
  interpolateAll(X, F, *ld, 1, *nn, kWedge);
}

void TFVMID3D20TO27(const Real* X, Real* F, const Int* nn, const Int* ld) {
  const long long n = *nn;
  const long long L = *ld;
  constexpr Triple kEdges[] = {{1, 9, 2},  {2, 10, 3}, {3, 11, 4}, {1, 12, 4}, {5, 13, 6},  {6, 14, 7},
                               {7, 15, 8}, {5, 16, 8}, {1, 17, 5}, {2, 18, 6}, {3, 19, 7},  {4, 20, 8}};
  interpolateAll(X, F, L, 1, n, kEdges);
  if (n >= 21) {
    Real sum = 0.0;
    for (int k = 0; k < 8; ++k) sum += F[L * k];
    F[L * 20] = sum / 8.0;
  }
  constexpr Triple kFaces[] = {{9, 22, 11}, {13, 23, 15}, {9, 24, 13}, {14, 25, 10}, {11, 26, 15}, {16, 27, 12}};
  interpolateAll(X, F, L, 1, n, kFaces);
}

void TFVMIDELEM(const Int* codedName, const Real* X, Real* F, const Int* type, const Int* nn, const Int* k1,
                const Int* dimension, const Int* kind, const Int* k3, const Int* k2, const Int* shellNodes) {
  const Int ld = fieldRows();
  if (*dimension < 3) {
    if (*k1 != 0 || *k2 != 0 || *kind == 1)
      TFVMIDBEAM(X, F, nn, &ld);
    else if (*k3 != 0 || *nn > 4)
      TFVMID3DSHLORPLN(X, F, shellNodes, type, &ld, codedName);
    else
      reportNotAvailable(codedName);
    return;
  }
  if (*k1 != 0)
    TFVMIDBEAM(X, F, nn, &ld);
  else if (*k2 != 0)
    TFVMID3DSHLORPLN(X, F, shellNodes, type, &ld, codedName);
  else if (*kind == 3)
    TFVMID3DSOL(X, F, nn, &ld);
  else if (*kind == 2)
    TFVMID3DSHLORPLN(X, F, shellNodes, type, &ld, codedName);
  else if (*type < 200 || *type > 300)
    TFVMIDBEAM(X, F, nn, &ld);
}

void TETRADII(const Real* X, Real* inscribed, Real* circumscribed) {
  auto corner = [X](int c, int d) { return X[d + 3 * (c - 1)]; };
  auto length = [&](int u, int v) {
    Real s = 0.0;
    for (int d = 0; d < 3; ++d) s += (corner(u, d) - corner(v, d)) * (corner(u, d) - corner(v, d));
    return std::sqrt(s);
  };
  Real e[3][3];
  for (int k = 0; k < 3; ++k)
    for (int d = 0; d < 3; ++d) e[k][d] = corner(k + 2, d) - corner(1, d);
  Real volume = (e[0][0] * (e[1][1] * e[2][2] - e[1][2] * e[2][1]) - e[0][1] * (e[1][0] * e[2][2] - e[1][2] * e[2][0]) +
                 e[0][2] * (e[1][0] * e[2][1] - e[1][1] * e[2][0])) /
                6.0;
  const Real l12 = length(1, 2), l23 = length(2, 3), l31 = length(3, 1);
  const Real l14 = length(1, 4), l24 = length(2, 4), l34 = length(3, 4);
  const Real shortest = std::min({1e36, l12, l23, l31, l14, l24, l34});
  Real radius = 1e36;
  if (volume <= 1e-36) {
    volume = 0.0;
  } else {
    const Real p = l12 * l34, q = l23 * l14, s = l31 * l24;
    // Rounding can leave the product a hair below zero for a nearly flat tetrahedron.
    const Real product = std::max(0.0, (p + q + s) * (p + q - s) * (p - q + s) * (-p + q + s));
    radius = std::sqrt(product) / 24.0 / volume;
    if (radius < 2.22e-16 * shortest) {
      radius = 1e36;
      volume = 0.0;
    }
  }
  *circumscribed = radius;
  constexpr int kFaces[4][3] = {{1, 2, 4}, {2, 3, 4}, {3, 1, 4}, {1, 3, 2}};
  Real area = 0.0;
  for (const auto& f : kFaces) {
    Real u[3], v[3];
    for (int d = 0; d < 3; ++d) {
      u[d] = corner(f[1], d) - corner(f[0], d);
      v[d] = corner(f[2], d) - corner(f[0], d);
    }
    const Real cx = u[1] * v[2] - u[2] * v[1], cy = u[2] * v[0] - u[0] * v[2], cz = u[0] * v[1] - u[1] * v[0];
    area += 0.5 * std::sqrt(cx * cx + cy * cy + cz * cz);
  }
  *inscribed = area <= 1e-36 ? 0.0 : 3.0 * volume / area;
}

}  // extern "C"
