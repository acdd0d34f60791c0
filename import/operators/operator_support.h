// Shared pieces of the element operators: column access of element blocks and the rotation of
// a quaternion.
#pragma once

#include "runtime/fortran_types.h"

namespace zmx::ops {

// The smallest normal single-precision number: the floor of principal values and the test of a
// repeated principal value.
inline constexpr float kTiny = 1.1754944e-38F;

// Entry (i, k), both from 1, of a column-major array of leading dimension ld.
template <class T>
inline T& at(T* a, long long ld, long long i, long long k) {
  return a[(i - 1) + (k - 1) * ld];
}

// With a non-zero copy flag, copies columns 1 .. columns of the stored array for elements
// first..last and returns true; the operators then compute nothing.
inline bool copyStored(const Int* copy, const Int* first, const Int* last, const Int* ld, int columns,
                       const float* stored, float* out) {
  if (*copy == 0) return false;
  for (int k = 1; k <= columns; ++k)
    for (long long i = *first; i <= *last; ++i) at(out, *ld, i, k) = at(stored, *ld, i, k);
  return true;
}

// The rotation matrix of a quaternion (vector part q1..q3, scalar q4), r[row][column].
inline void quaternionMatrix(float q1, float q2, float q3, float q4, float r[3][3]) {
  r[0][0] = 1.0F - 2.0F * (q2 * q2 + q3 * q3);
  r[1][0] = 2.0F * (q1 * q2 + q4 * q3);
  r[2][0] = 2.0F * (q1 * q3 - q4 * q2);
  r[0][1] = 2.0F * (q1 * q2 - q4 * q3);
  r[1][1] = 1.0F - 2.0F * (q1 * q1 + q3 * q3);
  r[2][1] = 2.0F * (q2 * q3 + q4 * q1);
  r[0][2] = 2.0F * (q1 * q3 + q4 * q2);
  r[1][2] = 2.0F * (q2 * q3 - q4 * q1);
  r[2][2] = 1.0F - 2.0F * (q1 * q1 + q2 * q2);
}

// Quaternion of element i of an (n, 4) array.
inline void elementMatrix(const float* quaternions, long long n, long long i, float r[3][3]) {
  quaternionMatrix(quaternions[i - 1], quaternions[i - 1 + n], quaternions[i - 1 + 2 * n], quaternions[i - 1 + 3 * n], r);
}

// Writes a triad (columns of r) for element i of a (3, 3, n) array.
inline void writeTriad(float* triads, long long i, const float r[3][3]) {
  float* t = triads + 9 * (i - 1);
  for (int column = 0; column < 3; ++column)
    for (int row = 0; row < 3; ++row) t[3 * column + row] = r[row][column];
}

}  // namespace zmx::ops
