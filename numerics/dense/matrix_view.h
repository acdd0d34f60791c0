// Views of the caller's arrays read 1-based as the arithmetic is written: a column-major matrix
// with a leading dimension, and a vector.
#pragma once

#include <cstddef>

#include "runtime/fortran_types.h"

namespace zmx::numerics {

template <class T>
struct MatrixOf {
  T* at;
  std::size_t ld;
  T& operator()(std::size_t i, std::size_t j) const { return at[(j - 1) * ld + (i - 1)]; }
};
using Matrix = MatrixOf<Real>;
using ConstMatrix = MatrixOf<const Real>;

template <class T>
struct VectorOf {
  T* at;
  T& operator[](std::size_t i) const { return at[i - 1]; }
};
using Vector = VectorOf<Real>;

}  // namespace zmx::numerics
