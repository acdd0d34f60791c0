// Reference and current angles of the rebar layers of shell and membrane elements: one pair of
// words per element, the reference angle first.

#include <algorithm>
#include <cmath>

#include "import/operators/operator_support.h"
#include "zmx/import/state.h"

namespace {

using zmx::ops::at;

// The angle of a direction given by its cosine and the sign of its sine.
float angleOf(float cosine, float sine) {
  const float angle = std::acos(std::clamp(cosine, -1.0F, 1.0F));
  return sine < 0.0F ? -angle : angle;
}

// The angle of the plane vector (a, b); a zero vector gives pi/2.
float currentAngle(float a, float b) {
  const float r = std::sqrt(a * a + b * b);
  return r == 0.0F ? angleOf(0.0F, 0.0F) : angleOf(a / r, b / r);
}

}  // namespace

extern "C" {

void ACC_SDB_REBARANGLESHELL(const Int* n, const float* referenceDirection, const float* initialDirection,
                             const float* curvatures, float* answer, const Int* referenceSwitch,
                             const float* coordinate, const float* thickness, const float* gradient, const float* pairs,
                             const float* storedAngles) {
  const long long m = *n;
  for (long long i = 1; i <= m; ++i) {
    const float d = *coordinate * at(gradient, m, i, 3) * thickness[i - 1];
    const float b = at(pairs, m, i, 1), a = at(pairs, m, i, 2);
    const float c = a * a - b * b, s = 2.0F * a * b;
    const float k1 = at(curvatures, m, i, 1), k2 = at(curvatures, m, i, 2), k3 = at(curvatures, m, i, 3);
    const float k11 = c * c * k1 + s * s * k2 - 2.0F * c * s * k3;
    const float k22 = s * s * k1 + c * c * k2 + 2.0F * c * s * k3;
    const float k12 = (c * c - s * s) * k3 + c * s * (k1 - k2);
    const float g11 = 1.0F + d * k11, g12 = d * k12, g22 = 1.0F + d * k22;
    const float f11 = at(gradient, m, i, 1), f12 = at(gradient, m, i, 4), f21 = at(gradient, m, i, 5),
                f22 = at(gradient, m, i, 2);
    const float m11 = g11 * f11 + g12 * f21, m12 = g11 * f12 + g12 * f22;
    const float m21 = g12 * f11 + g22 * f21, m22 = g12 * f12 + g22 * f22;
    const float x = at(initialDirection, m, i, 1), y = at(initialDirection, m, i, 2);
    answer[2 * (i - 1) + 1] = currentAngle(m11 * x + m12 * y, m21 * x + m22 * y);
  }
  for (long long i = 1; i <= m; ++i)
    answer[2 * (i - 1)] = *referenceSwitch == 1
                              ? angleOf(at(referenceDirection, m, i, 1), at(referenceDirection, m, i, 2))
                              : storedAngles[i - 1];
}

void ACC_SDB_REBARANGLEMEMBRANE(const Int* n, const float* quaternions, const float* weights, const float* corners,
                                const float* referenceDirection, const float* referenceAngles,
                                const Int* referenceSwitch, float* answer) {
  const long long m = *n;
  for (long long i = 1; i <= m; ++i) {
    float r[3][3];
    zmx::ops::elementMatrix(quaternions, m, i, r);
    // Corner coordinates in the element's frame: R^T x.
    float local[4][2];
    for (int k = 0; k < 4; ++k) {
      const float x[3] = {at(corners, m, i, k + 1), at(corners, m, i, k + 5), at(corners, m, i, k + 9)};
      for (int a = 0; a < 2; ++a) local[k][a] = r[0][a] * x[0] + r[1][a] * x[1] + r[2][a] * x[2];
    }
    const float w1 = at(weights, m, i, 1), w2 = at(weights, m, i, 2);
    float t[2];
    for (int a = 0; a < 2; ++a) {
      const float dXi = (-local[0][a] + local[1][a] + local[2][a] - local[3][a]) * 0.25F;
      const float dEta = (-local[0][a] - local[1][a] + local[2][a] + local[3][a]) * 0.25F;
      t[a] = w1 * dXi + w2 * dEta;
    }
    const float length = std::sqrt(t[0] * t[0] + t[1] * t[1]);
    const float t1 = length > 0.0F ? t[0] / length : 0.0F, t2 = length > 0.0F ? t[1] / length : 0.0F;
    answer[2 * (i - 1) + 1] = angleOf(t1, t2);
    answer[2 * (i - 1)] = *referenceSwitch == 1
                              ? angleOf(at(referenceDirection, m, i, 1), at(referenceDirection, m, i, 2))
                              : referenceAngles[i - 1];
  }
}

}  // extern "C"
