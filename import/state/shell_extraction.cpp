// Stored shell state of one segment into the values of one state key: section forces, moments,
// curvatures and strains, transverse forces and strains, thinning, membrane stretch, in-plane
// rotation, element and local directions, and mid-side normals.

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "import/operators/operator_support.h"
#include "siblings/glo/block_store.h"
#include "siblings/glo/vector_routines.h"
#include "zmx/import/operators.h"
#include "zmx/import/state.h"

namespace {

using zmx::ops::at;

constexpr Int kShell = 13316;
constexpr Int kAxisymmetricShell = 25090;
constexpr float kOverTwoPi = 0.15915494F;

// Value j of element i of the answer, rows of row words.
struct Answer {
  float* words;
  long long row;
  float& operator()(long long i, long long j) const { return words[(i - 1) * row + (j - 1)]; }
};

Answer answerOf(float* words, const Int* direct, const Int* shear) { return {words, 0LL + *direct + *shear}; }

struct Turn {
  float c, s;
};

// Cosine and sine of the angle of the pair in columns 1 and 2 of element i.
Turn pairAngle(const float* pairs, long long n, long long i) {
  const float b = at(pairs, n, i, 1), a = at(pairs, n, i, 2);
  return {a * a - b * b, 2.0F * a * b};
}

void tensorTurn(Turn t, float x11, float x22, float x12, float y[3]) {
  const float c = t.c, s = t.s;
  y[0] = c * c * x11 + s * s * x22 + 2.0F * c * s * x12;
  y[1] = s * s * x11 + c * c * x22 - 2.0F * c * s * x12;
  y[2] = c * s * (x22 - x11) + (c * c - s * s) * x12;
}

void vectorTurn(Turn t, float u1, float u2, float y[2]) {
  y[0] = t.c * u1 + t.s * u2;
  y[1] = t.c * u2 - t.s * u1;
}

void swappedTurn(Turn t, float u1, float u2, float y[2]) {
  y[0] = t.s * u1 + t.c * u2;
  y[1] = t.c * u1 - t.s * u2;
}

// The transfer cosine and sine of element i (columns 1 and 2 of P).
Turn transferTurn(const float* transfer, long long n, long long i) { return {at(transfer, n, i, 1), at(transfer, n, i, 2)}; }

// Moments and curvatures: curvature rows repeat the third component.
void momentsOrCurvatures(const Int* n, const Int* direct, const Int* shear, const Int* type, const Int* small,
                         const float* rotation, const float* stored, float* answer, const Int* rotate, bool curvature) {
  const Answer out = answerOf(answer, direct, shear);
  const long long m = *n;
  for (long long i = 1; i <= m; ++i) {
    if (*type != kShell) {
      for (long long j = 1; j <= out.row; ++j) out(i, j) = at(stored, m, i, j);
      continue;
    }
    float y[3] = {at(stored, m, i, 1), at(stored, m, i, 2), at(stored, m, i, 3)};
    if (*small != 1 && *rotate != 0) tensorTurn(pairAngle(rotation, m, i), y[0], y[1], y[2], y);
    for (int j = 0; j < 3; ++j) out(i, j + 1) = y[j];
    if (curvature) out(i, 4) = y[2];
  }
}

// The membrane stretch of element i into row i of W: small strain, or U = R^T F by the drill pair.
void stretchOf(const Int* n, long long i, const Int* small, const float* gradient, const float* drill, float* stretch) {
  const Int row = static_cast<Int>(i);
  if (*small == 1)
    EDI_UTI_SHELLSMALLSTRETCH(&row, &row, n, gradient, stretch);
  else
    EDI_UTI_STRETCHU2D(&row, &row, n, drill, gradient, stretch);
}

void transverse(const Int* n, const Int* type, const Int* small, const Int* direct, const Int* shear, const float* x,
                const float* rotation, float* answer, const Int* rotate, const float* transfer, bool forces) {
  const long long m = *n;
  if (*type != kShell) {
    for (long long i = 1; i <= m; ++i) answer[i - 1] = at(x, m, i, 1);
    return;
  }
  const Answer out = answerOf(answer, direct, shear);
  for (long long i = 1; i <= m; ++i) {
    const float u1 = at(x, m, i, 1), u2 = at(x, m, i, 2);
    float y[2] = {u1, u2};
    if (*rotate == 0) {
      if (*small == 1) swappedTurn(transferTurn(transfer, m, i), u1, u2, y);
    } else if (forces && *small == 1) {
      swappedTurn(pairAngle(rotation, m, i), u1, u2, y);
    } else {
      vectorTurn(pairAngle(rotation, m, i), u1, u2, y);
    }
    out(i, 1) = y[0];
    out(i, 2) = y[1];
  }
}

// Element directions of element i, the drill pair (a, b) already combined and normalised.
void directions(const float* quaternions, long long n, long long i, float a, float b, const Answer& out) {
  const float q1 = at(quaternions, n, i, 1), q2 = at(quaternions, n, i, 2), q3 = at(quaternions, n, i, 3),
              w = at(quaternions, n, i, 4);
  float e1[3] = {2.0F * (w * w + q1 * q1) - 1.0F, 2.0F * (q1 * q2 + w * q3), 2.0F * (q1 * q3 - w * q2)};
  float e2[3] = {2.0F * (q1 * q2 - w * q3), 2.0F * (w * w + q2 * q2) - 1.0F, 2.0F * (q2 * q3 + w * q1)};
  float e3[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
  for (float* e : {e1, e2, e3}) {
    const float inverse = 1.0F / std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]);
    for (int k = 0; k < 3; ++k) e[k] *= inverse;
  }
  const float c = a * a - b * b, s = 2.0F * a * b;
  // Rot = c I + (1 - c) e3 e3^T + s [e3]x, applied to e1 and e2.
  const auto turn = [&](const float v[3], int first) {
    const float along = (1.0F - c) * (e3[0] * v[0] + e3[1] * v[1] + e3[2] * v[2]);
    const float crossed[3] = {e3[1] * v[2] - e3[2] * v[1], e3[2] * v[0] - e3[0] * v[2], e3[0] * v[1] - e3[1] * v[0]};
    for (int k = 0; k < 3; ++k) out(i, first + k) = c * v[k] + along * e3[k] + s * crossed[k];
  };
  turn(e1, 1);
  turn(e2, 4);
}

}  // namespace

extern "C" {

void ACC_SDB_EXTRACTSHELLSECTFORCE(const Int* n, const Int* type, const Int* small, const Int* direct, const Int* shear,
                                   const float* forces, const float* transverse, const float* rotation, float* answer,
                                   const Int* rotate, const float* transfer) {
  const Answer out = answerOf(answer, direct, shear);
  const long long m = *n;
  for (long long i = 1; i <= m; ++i) {
    float t[2] = {0.0F, 0.0F};
    const float q1 = at(transverse, m, i, 1), q2 = at(transverse, m, i, 2);
    if (*small == 1) {
      if (*rotate == 0) {
        float f[3] = {at(forces, m, i, 1), at(forces, m, i, 2), at(forces, m, i, 3)};
        const Int element = static_cast<Int>(i), layout = 21;
        const float factor = -1.0F;
        EDI_UTI_SHELLSMALLTRANSFER(n, &element, &layout, &factor, transfer, f);
        for (int j = 0; j < 3; ++j) out(i, j + 1) = f[j];
        swappedTurn(transferTurn(transfer, m, i), q1, q2, t);
      } else {
        t[0] = q2, t[1] = q1;
      }
    } else {
      // A shell row's values 4 and 5 are its transverse forces: only its three membrane forces
      // are stored, and read.
      const Int stored = *type == kShell ? std::min<Int>(*direct, 3) : *direct;
      for (Int j = 1; j <= stored; ++j) out(i, j) = at(forces, m, i, j);
      if (*type == kShell) t[0] = q1, t[1] = q2;
    }
    if (*type == kShell) {
      if (*rotate == 0) {
        out(i, 4) = t[0];
        out(i, 5) = t[1];
      } else {
        const Turn turn = pairAngle(rotation, m, i);
        float y[3], v[2];
        tensorTurn(turn, at(forces, m, i, 1), at(forces, m, i, 2), at(forces, m, i, 3), y);
        vectorTurn(turn, t[0], t[1], v);
        for (int j = 0; j < 3; ++j) out(i, j + 1) = y[j];
        out(i, 4) = v[0];
        out(i, 5) = v[1];
      }
    }
    if (*type == kAxisymmetricShell)
      for (long long j = 1; j <= out.row; ++j) out(i, j) *= kOverTwoPi;
  }
}

void ACC_SDB_EXTRACTSECTMOMENT(const Int* n, const Int* direct, const Int* shear, const Int* type, const Int* small,
                               const float* rotation, const float* moments, float* answer, const Int* rotate,
                               const float*) {
  momentsOrCurvatures(n, direct, shear, type, small, rotation, moments, answer, rotate, false);
}

void ACC_SDB_EXTRACTCURVATURE(const Int* n, const Int* direct, const Int* shear, const Int* type, const Int* small,
                              const float* rotation, const float* curvatures, float* answer, const Int* rotate,
                              const float*) {
  momentsOrCurvatures(n, direct, shear, type, small, rotation, curvatures, answer, rotate, true);
}

void ACC_SDB_EXTRACTSHELLSECTSTRAIN(const Int* n, const Int* direct, const Int* shear, const Int* type, const Int* small,
                                    const float* gradient, const float* drill, const float* transverse,
                                    const float* rotation, float* stretch, float* answer, const Int* rotate,
                                    const float* transfer) {
  const Answer out = answerOf(answer, direct, shear);
  const long long m = *n;
  for (long long i = 1; i <= m; ++i) {
    if (*type == kAxisymmetricShell) {
      out(i, 1) = std::log(at(gradient, m, i, 1));
      out(i, 2) = std::log(at(gradient, m, i, 2));
      continue;
    }
    if (*type != kShell) continue;
    stretchOf(n, i, small, gradient, drill, stretch);
    if (*small == 1 && *rotate == 0) {
      float w[4] = {at(stretch, m, i, 1), at(stretch, m, i, 2), at(stretch, m, i, 3), at(stretch, m, i, 4)};
      const Int element = static_cast<Int>(i), layout = 31;
      const float factor = -1.0F;
      EDI_UTI_SHELLSMALLTRANSFER(n, &element, &layout, &factor, transfer, w);
      for (int k = 0; k < 4; ++k) at(stretch, m, i, k + 1) = w[k];
    }
    const float matrix[3] = {at(stretch, m, i, 1), at(stretch, m, i, 2), at(stretch, m, i, 4)};
    float values[2], pair[2];
    GLO_UTI_EIG21S(matrix, values, pair);
    const float c = 2.0F * pair[1] * pair[1] - 1.0F, s = 2.0F * pair[0] * pair[1];
    const float l1 = std::log(values[0]), l2 = std::log(values[1]);
    float e[3] = {c * c * l1 + s * s * l2, s * s * l1 + c * c * l2, c * s * (l1 - l2)};
    float t[2] = {at(transverse, m, i, 1), at(transverse, m, i, 2)};
    if (*rotate != 0) {
      const Turn turn = pairAngle(rotation, m, i);
      tensorTurn(turn, e[0], e[1], e[2], e);
      if (*small == 1) vectorTurn(turn, t[0], t[1], t);
    }
    out(i, 1) = e[0];
    out(i, 2) = e[1];
    out(i, 3) = 2.0F * e[2];
    out(i, 4) = t[0];
    out(i, 5) = t[1];
  }
}

void ACC_SDB_EXTRACTTRANSF(const Int* n, const Int* type, const Int* small, const Int* direct, const Int* shear,
                           const float* forces, const float* rotation, float* answer, const Int* rotate,
                           const float* transfer) {
  transverse(n, type, small, direct, shear, forces, rotation, answer, rotate, transfer, true);
}

void ACC_SDB_EXTRACTTRANSTRN(const Int* n, const Int* type, const Int* small, const Int* direct, const Int* shear,
                             const float* strains, const float* rotation, float* answer, const Int* rotate,
                             const float* transfer) {
  transverse(n, type, small, direct, shear, strains, rotation, answer, rotate, transfer, false);
}

void ACC_SDB_EXTRACTTHININGSTRAIN(const Int* n, const Int*, const float* gradient, float* answer) {
  for (long long i = 1; i <= *n; ++i) answer[i - 1] = at(gradient, *n, i, 3);
}

void ACC_SDB_EXTRACTSHELLMEMJACOBIAN(const Int* n, const Int* direct, const Int* shear, const Int* fullDirect,
                                     const Int* type, const Int* small, const float* gradient, const float* drill,
                                     float* stretch, float* answer) {
  const long long m = *n;
  if (*type == kAxisymmetricShell) {
    const Int words = static_cast<Int>(*fullDirect * m);
    GLO_UTI_COPYR(&words, gradient, stretch);
    return;
  }
  if (*type != kShell) return;
  const Answer out = answerOf(answer, direct, shear);
  for (long long i = 1; i <= m; ++i) {
    stretchOf(n, i, small, gradient, drill, stretch);
    const float u[5] = {at(stretch, m, i, 1), at(stretch, m, i, 2), at(stretch, m, i, 4), at(stretch, m, i, 4),
                        at(stretch, m, i, 3)};
    for (int j = 0; j < 5; ++j) out(i, j + 1) = u[j];
  }
}

void ACC_SDB_EXTRACTSHELLINPLANEROT(const Int* n, const Int* direct, const Int* shear, const float* rotation,
                                    float* answer, const Int* rotate) {
  const Answer out = answerOf(answer, direct, shear);
  for (long long i = 1; i <= *n; ++i) {
    const Turn t = *rotate == 0 ? Turn{1.0F, 0.0F} : pairAngle(rotation, *n, i);
    out(i, 1) = t.c;
    out(i, 2) = t.s;
  }
}

void ACC_SDB_EXTRACTSHELLELEMDIR(const Int* n, const Int* direct, const Int* shear, const float* quaternions,
                                 const float* drill, float* answer) {
  const Int off = 0;
  ACC_SDB_EXTRACTSHELLLOCALDIR(n, direct, shear, quaternions, drill, drill, answer, &off);
}

void ACC_SDB_EXTRACTSHELLLOCALDIR(const Int* n, const Int* direct, const Int* shear, const float* quaternions,
                                  const float* drill, const float* rotation, float* answer, const Int* rotate) {
  const Answer out = answerOf(answer, direct, shear);
  const long long m = *n;
  for (long long i = 1; i <= m; ++i) {
    float a = at(drill, m, i, 2), b = at(drill, m, i, 1);
    if (*rotate != 0) {
      const float r1 = at(rotation, m, i, 1), r2 = at(rotation, m, i, 2);
      const float a0 = a, b0 = b;
      a = a0 * r2 - b0 * r1;
      b = b0 * r2 + a0 * r1;
    }
    const float inverse = 1.0F / std::sqrt(a * a + b * b);
    directions(quaternions, m, i, a * inverse, b * inverse, out);
  }
}

void ACC_SDB_EXTRACTMIDSIDENORMAL(const Int* n, float* answer, const float* corners) {
  const long long m = *n;
  const float points[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
  for (long long i = 1; i <= m; ++i)
    for (int k = 0; k < 4; ++k) {
      const float xi = points[k][0], eta = points[k][1];
      const float dXi[4] = {-(1 - eta) / 4, (1 - eta) / 4, (1 + eta) / 4, -(1 + eta) / 4};
      const float dEta[4] = {-(1 - xi) / 4, -(1 + xi) / 4, (1 + xi) / 4, (1 - xi) / 4};
      float g1[3] = {}, g2[3] = {};
      for (int a = 0; a < 4; ++a)
        for (int c = 0; c < 3; ++c) {
          const float x = corners[(i - 1) + a * m + c * 4 * m];
          g1[c] += dXi[a] * x;
          g2[c] += dEta[a] * x;
        }
      const float normal[3] = {g1[1] * g2[2] - g1[2] * g2[1], g1[2] * g2[0] - g1[0] * g2[2], g1[0] * g2[1] - g1[1] * g2[0]};
      const float inverse = 1.0F / std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
      for (int c = 0; c < 3; ++c) answer[12 * (i - 1) + 3 * k + c] = normal[c] * inverse;
    }
}

}  // extern "C"
