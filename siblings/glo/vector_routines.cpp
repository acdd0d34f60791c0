// Vector sums and the symmetric 3 x 3 eigenproblem of the glo stand-in.

#include "siblings/glo/vector_routines.h"

#include <cmath>

namespace {

struct Vec {
  double x, y, z;
};

Vec cross(const Vec& a, const Vec& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec scaled(const Vec& a, double s) { return {a.x * s, a.y * s, a.z * s}; }

// A unit vector orthogonal to the unit vector u.
Vec orthogonal(const Vec& u) {
  const Vec e = std::fabs(u.x) < 0.6 ? Vec{1, 0, 0} : Vec{0, 1, 0};
  const Vec w = cross(u, e);
  return scaled(w, 1.0 / std::sqrt(dot(w, w)));
}

// Unit vector of the null space of the rows of (A - value I): the largest cross product of two
// rows; false when every cross product vanishes (a double or triple value).
bool nullVector(const double m[3][3], double value, Vec& out) {
  const Vec r0{m[0][0] - value, m[0][1], m[0][2]}, r1{m[1][0], m[1][1] - value, m[1][2]},
      r2{m[2][0], m[2][1], m[2][2] - value};
  const Vec c[3] = {cross(r0, r1), cross(r1, r2), cross(r2, r0)};
  double best = 0.0;
  for (const Vec& v : c) {
    const double d = dot(v, v);
    if (d > best) best = d, out = v;
  }
  const double scale = dot(r0, r0) + dot(r1, r1) + dot(r2, r2);
  if (best <= 1e-24 * scale * scale || best == 0.0) return false;
  out = scaled(out, 1.0 / std::sqrt(best));
  return true;
}

// Eigenvalues by the trigonometric form, in ascending order, and orthonormal vectors.
void eigen33(const double m[3][3], double value[3], Vec vector[3]) {
  const double p1 = m[0][1] * m[0][1] + m[0][2] * m[0][2] + m[1][2] * m[1][2];
  const double q = (m[0][0] + m[1][1] + m[2][2]) / 3.0;
  const double p2 = (m[0][0] - q) * (m[0][0] - q) + (m[1][1] - q) * (m[1][1] - q) + (m[2][2] - q) * (m[2][2] - q) + 2 * p1;
  const double p = std::sqrt(p2 / 6.0);
  if (p <= 1e-30 * (std::fabs(q) + 1e-300)) {
    value[0] = value[1] = value[2] = q;
    vector[0] = {1, 0, 0}, vector[1] = {0, 1, 0}, vector[2] = {0, 0, 1};
    return;
  }
  double b[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) b[i][j] = (m[i][j] - (i == j ? q : 0.0)) / p;
  const double det = b[0][0] * (b[1][1] * b[2][2] - b[1][2] * b[2][1]) - b[0][1] * (b[1][0] * b[2][2] - b[1][2] * b[2][0]) +
                     b[0][2] * (b[1][0] * b[2][1] - b[1][1] * b[2][0]);
  const double r = std::fmin(1.0, std::fmax(-1.0, det / 2.0));
  const double phi = std::acos(r) / 3.0;
  value[2] = q + 2 * p * std::cos(phi);
  value[0] = q + 2 * p * std::cos(phi + 2.0943951023931957);
  value[1] = 3 * q - value[0] - value[2];
  // The value farthest from the other two has a well-defined vector; the rest follow from it.
  const int lone = value[1] - value[0] > value[2] - value[1] ? 0 : 2;
  if (!nullVector(m, value[lone], vector[lone])) vector[lone] = {lone == 0 ? 1.0 : 0.0, 0, lone == 2 ? 1.0 : 0.0};
  const int middle = 1, other = 2 - lone;
  Vec v;
  bool found = nullVector(m, value[middle], v);
  if (found) {
    const double along = dot(v, vector[lone]);
    v = {v.x - along * vector[lone].x, v.y - along * vector[lone].y, v.z - along * vector[lone].z};
    const double n2 = dot(v, v);
    found = n2 > 1e-12;
    if (found) v = scaled(v, 1.0 / std::sqrt(n2));
  }
  vector[middle] = found ? v : orthogonal(vector[lone]);
  vector[other] = cross(vector[lone], vector[middle]);
}

}  // namespace

extern "C" {

void GLO_UTI_VADDR(const Int* n, float* sum, const float* a, const float* b) {
  for (Int k = 0; k < *n; ++k) sum[k] = a[k] + b[k];
}

void GLO_UTI_VSCALER(const Int* n, const float* factor, const float* from, float* to) {
  for (Int k = 0; k < *n; ++k) to[k] = *factor * from[k];
}

void GLO_UTI_GENGATHERR(const Int* count, const Int* stride, const Int* components, const Int* nodes,
                        const Int* indexes, float* to, const float* from) {
  const long long c = *count;
  for (long long t = 0; t < c; ++t) {
    const Int node = indexes[t];
    const bool inside = node >= 1 && node <= *nodes;
    for (Int k = 0; k < *components; ++k) to[k * c + t] = inside ? from[(node - 1LL) * *stride + k] : 0.0F;
  }
}

void GLO_UTI_GATHERR(const Int* count, const Int* width, const Int* nodes, const Int* indexes, float* to,
                     const float* from) {
  const long long c = *count;
  const int source[4] = {1, 2, 3, 0};  // stored (w, x, y, z) to blocks x, y, z, w
  for (long long t = 0; t < c; ++t) {
    const Int node = indexes[t];
    const bool inside = node >= 1 && node <= *nodes;
    for (int k = 0; k < 4; ++k) to[k * c + t] = inside ? from[(node - 1LL) * *width + source[k]] : 0.0F;
  }
}

void GLO_UTI_EIG21S(const float* matrix, float* values, float* pair) {
  const double u11 = matrix[0], u22 = matrix[1], u12 = matrix[2];
  const double mean = 0.5 * (u11 + u22), half = 0.5 * (u11 - u22);
  const double radius = std::sqrt(half * half + u12 * u12);
  const double angle = 0.5 * std::atan2(2.0 * u12, u11 - u22);  // direction of the larger value
  values[0] = static_cast<float>(mean + radius);
  values[1] = static_cast<float>(mean - radius);
  pair[0] = static_cast<float>(std::sin(0.5 * angle));
  pair[1] = static_cast<float>(std::cos(0.5 * angle));
}

void GLO_UTI_GENEIG33(const Int* ld, const Int* n, float* a, float* v) {
  const long long l = *ld;
  for (Int i = 0; i < *n; ++i) {
    const auto A = [&](int column) { return static_cast<double>(a[i + (column - 1) * l]); };
    const double m[3][3] = {{A(1), A(4), A(6)}, {A(4), A(2), A(5)}, {A(6), A(5), A(3)}};
    double value[3];
    Vec vector[3];
    eigen33(m, value, vector);
    for (int k = 0; k < 3; ++k) {
      a[i + k * l] = static_cast<float>(value[k]);
      v[i + (3 * k) * l] = static_cast<float>(vector[k].x);
      v[i + (3 * k + 1) * l] = static_cast<float>(vector[k].y);
      v[i + (3 * k + 2) * l] = static_cast<float>(vector[k].z);
    }
  }
}

}  // extern "C"
