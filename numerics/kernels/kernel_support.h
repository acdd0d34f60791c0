// Helpers shared by the numerical kernels of this folder (not exported).
#pragma once

#include <cstddef>

#include "runtime/fortran_types.h"

namespace zmx_numerics {

// The count of a call: a count below 1 does nothing.
inline std::size_t count(const Int* n) { return n != nullptr && *n > 0 ? static_cast<std::size_t>(*n) : 0; }

// y := A x for the rows x columns block of A kept with leading dimension ld. Up to order 8 the
// result is formed on the stack, so y may then be x.
inline void matrixVector(const Real* A, std::size_t ld, const Real* x, Real* y, std::size_t rows,
                         std::size_t columns) {
  constexpr std::size_t kChunk = 8;
  Real xs[kChunk];
  if (columns <= kChunk && rows <= kChunk) {
    Real result[kChunk] = {};
    for (std::size_t j = 0; j < columns; ++j) xs[j] = x[j];
    for (std::size_t j = 0; j < columns; ++j)
      for (std::size_t i = 0; i < rows; ++i) result[i] += A[i + j * ld] * xs[j];
    for (std::size_t i = 0; i < rows; ++i) y[i] = result[i];
    return;
  }
  for (std::size_t i = 0; i < rows; ++i) {
    Real sum = 0.0;
    for (std::size_t j = 0; j < columns; ++j) sum += A[i + j * ld] * x[j];
    y[i] = sum;
  }
}

// Dot product and cross product of 3-vectors; the cross product may write over a or b.
inline Real dot3(const Real* a, const Real* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

inline void cross3(const Real* a, const Real* b, Real* c) {
  const Real x = a[1] * b[2] - a[2] * b[1];
  const Real y = a[2] * b[0] - a[0] * b[2];
  const Real z = a[0] * b[1] - a[1] * b[0];
  c[0] = x;
  c[1] = y;
  c[2] = z;
}

}  // namespace zmx_numerics
