// What the orientation tests share: an orientation record builder and the frame checks.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>

#include "runtime/record.h"

namespace orientation_checks {

using Mat = std::array<double, 9>;
using Ori = std::array<double, 15>;

// Orientation record named "ORI-1": points a and b, the additional rotation about the axis.
inline Ori orientation(std::array<double, 3> a, std::array<double, 3> b, int axis, double angle) {
  Ori ori{};
  std::memcpy(&ori[2], "ORI-1   ", 8);
  for (int k = 0; k < 3; ++k) ori[3 + k] = a[k], ori[6 + k] = b[k];
  rec::setSlotI(ori.data(), 10, axis);
  ori[10] = angle;
  ori[11] = std::cos(angle);
  ori[12] = std::sin(angle);
  return ori;
}

inline double det(const Mat& A) {
  return A[0] * (A[4] * A[8] - A[7] * A[5]) - A[3] * (A[1] * A[8] - A[7] * A[2]) + A[6] * (A[1] * A[5] - A[4] * A[2]);
}

// The rows of A are orthonormal and right-handed.
inline void expectOrthonormalRows(const Mat& A) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      double dot = 0.0;
      for (int k = 0; k < 3; ++k) dot += A[i + 3 * k] * A[j + 3 * k];
      EXPECT_NEAR(dot, i == j ? 1.0 : 0.0, 1e-13) << "rows " << i << "," << j;
    }
  EXPECT_NEAR(det(A), 1.0, 1e-13);
}

}  // namespace orientation_checks
