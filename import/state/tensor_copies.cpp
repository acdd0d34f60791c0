// Stored element tensors into the caller's order: the point-major copy with the shear swap, the
// section-variable number, and the rotations of symmetric tensors by pairs and quaternions.

#include "zmx/import/state.h"

namespace {

// Planar R S R^T for point i of n: a, b the pair; S and T hold 11, 22 in columns 1, 2 and 12 in
// column shear.
void turnPlanar(long long n, long long i, bool inverse, const float* rotation, const float* source, float* result,
                int shear) {
  const float a = rotation[i], b = rotation[i + n];
  const float c = b * b - a * a, s = inverse ? -2.0F * a * b : 2.0F * a * b;
  const float s11 = source[i], s22 = source[i + n], s12 = source[i + (shear - 1) * n];
  result[i] = c * c * s11 - 2.0F * c * s * s12 + s * s * s22;
  result[i + n] = s * s * s11 + 2.0F * c * s * s12 + c * c * s22;
  result[i + (shear - 1) * n] = (c * c - s * s) * s12 - c * s * (s22 - s11);
}

}  // namespace

extern "C" {

void ACC_GDB_COPYR(const Int* n, const Int* m, const Int* k, const Int* j0, const Int*, const float* source,
                   float* destination) {
  const long long points = *n, width = *m + *k;
  for (long long p = 0; p < points; ++p) {
    for (Int r = 0; r < *m; ++r) destination[p * width + r] = source[r * points + p];
    for (Int q = 1; q <= *k; ++q) {
      const Int column = *k == 3 && q >= 2 ? *j0 + 5 - q : *j0 + q;  // 2 and 3 change places
      destination[p * width + *m + q - 1] = source[(column - 1) * points + p];
    }
  }
}

void ACC_GDB_GETSVDNUMBER(const Int* a, const Int* materialCode, const Int* table, Int* result) {
  *result = *materialCode == 601 ? table[a[1] - 1] : 0;
}

void ACC_GDB_SYMROTS21S21(const Int* n, const Int* inverse, const float* rotation, const float* source, float* result) {
  for (long long i = 0; i < *n; ++i) turnPlanar(*n, i, *inverse != 0, rotation, source, result, 3);
}

void ACC_GDB_SYMROTS31S31(const Int* n, const Int* inverse, const float* rotation, const float* source, float* result) {
  const long long points = *n;
  for (long long i = 0; i < points; ++i) {
    result[i + 2 * points] = source[i + 2 * points];
    turnPlanar(points, i, *inverse != 0, rotation, source, result, 4);
  }
}

void ACC_GDB_SYMROTS33S33(const Int* n, const Int* inverse, const float* rotation, const float* source, float* result) {
  const long long points = *n;
  for (long long i = 0; i < points; ++i) {
    const float q1 = rotation[i], q2 = rotation[i + points], q3 = rotation[i + 2 * points];
    const float w = *inverse != 0 ? -rotation[i + 3 * points] : rotation[i + 3 * points];
    const float r[3][3] = {{1.0F - 2.0F * (q2 * q2 + q3 * q3), 2.0F * (q1 * q2 - w * q3), 2.0F * (q1 * q3 + w * q2)},
                           {2.0F * (q1 * q2 + w * q3), 1.0F - 2.0F * (q3 * q3 + q1 * q1), 2.0F * (q2 * q3 - w * q1)},
                           {2.0F * (q1 * q3 - w * q2), 2.0F * (q2 * q3 + w * q1), 1.0F - 2.0F * (q1 * q1 + q2 * q2)}};
    const auto S = [&](int column) { return source[i + (column - 1) * points]; };
    const float s[3][3] = {{S(1), S(4), S(6)}, {S(4), S(2), S(5)}, {S(6), S(5), S(3)}};
    float rs[3][3];
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b) rs[a][b] = r[a][0] * s[0][b] + r[a][1] * s[1][b] + r[a][2] * s[2][b];
    const auto T = [&](int a, int b) { return rs[a][0] * r[b][0] + rs[a][1] * r[b][1] + rs[a][2] * r[b][2]; };
    const float t[6] = {T(0, 0), T(1, 1), T(2, 2), T(0, 1), T(1, 2), T(0, 2)};
    for (int c = 0; c < 6; ++c) result[i + c * points] = t[c];
  }
}

}  // extern "C"

namespace {

// Copies the stored strain point-major, from its rotation when one applies, and doubles the shears.
void modifiedStrain(const Int* n, bool rotateIt, bool solid, const Int* m, const Int* j0, const Int* k, const Int* s0,
                    const float* rotation, float* destination, const float* stored, float* work) {
  const float* source = stored;
  if (rotateIt) {
    const Int inverse = 0;
    if (solid)
      ACC_GDB_SYMROTS33S33(n, &inverse, rotation, stored, work);
    else
      ACC_GDB_SYMROTS31S31(n, &inverse, rotation, stored, work);
    source = work;
  }
  ACC_GDB_COPYR(n, m, k, j0, s0, source, destination);
  const long long width = 0LL + *m + *k;
  for (long long p = 0; p < *n; ++p)
    for (Int q = 0; q < *k; ++q) destination[p * width + *m + q] *= 2.0F;
}

}  // namespace

extern "C" {

void ACC_SDB_MODIFYSTRAIN(const Int* n, const Int* keep1, const Int* keep2, const Int* m, const Int* j0, const Int* k,
                          const Int* s0, const Int* type, const Int* keep3, const float* rotation, float* destination,
                          const float* stored, float* work) {
  const bool rotateIt = *keep1 == 0 && *keep2 == 0 && *keep3 == 0 && *type != 13316 && *m >= 2;
  modifiedStrain(n, rotateIt, *type == 15368, m, j0, k, s0, rotation, destination, stored, work);
}

void ACC_SDB_MODIFYSTRAINSOLID(const Int* n, const Int* keep1, const Int* m, const Int* j0, const Int* k,
                               const Int* s0, const Int* type, const Int* keep2, const float* rotation, const void*,
                               float* destination, const float* stored, float* work) {
  const bool ownRotation = *type == 13316 || *type == 15368 || *type == 9220 || *type == 25604;
  const bool rotateIt = *keep1 == 0 && *keep2 == 0 && !ownRotation && *m >= 2;
  modifiedStrain(n, rotateIt, false, m, j0, k, s0, rotation, destination, stored, work);
}

}  // extern "C"
