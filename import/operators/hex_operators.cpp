// Element operators of 8-node reduced-integration hexahedra: the volume-averaged and the centre
// deformation gradient, logarithmic strain and rotation, director triads and hourglass forces.
//
// The gradient operator b_I is the derivative of the element's exact volume with respect to the
// reference coordinates of node I. The volume of the trilinear map is the sum over node triples
// of x_I y_J z_K D_IJK, D_IJK the integral over the parent cube of det(grad N_I, grad N_J, grad N_K);
// D is antisymmetric, so b_x(I) = sum over J < K of D_IJK (y_J z_K - y_K z_J), and cyclically for y
// and z. The table of the non-zero D_IJK (in twelfths) is worked out at compile time.

#include <array>
#include <cmath>

#include "import/operators/operator_support.h"
#include "siblings/glo/vector_routines.h"
#include "zmx/import/operators.h"
#include "zmx/import/state.h"

namespace {

using zmx::ops::at;
using zmx::ops::kTiny;

constexpr float kTwelfth = 0.083333336F;
constexpr int kCorner[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                               {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};

// 32 times the gradient of N_I (in parent coordinates) at the point of coordinates p / 2.
constexpr void shapeGradient(int node, const int p[3], long long g[3]) {
  const long long f[3] = {2 + p[0] * kCorner[node][0], 2 + p[1] * kCorner[node][1], 2 + p[2] * kCorner[node][2]};
  g[0] = kCorner[node][0] * f[1] * f[2];
  g[1] = kCorner[node][1] * f[0] * f[2];
  g[2] = kCorner[node][2] * f[0] * f[1];
}

// 27 * 32^3 times D_IJK, by Simpson's rule in each direction (exact: the integrand is at most
// quadratic in each); the gradients carry 32 each and the rule's weights 27.
constexpr long long scaledD(int i, int j, int k) {
  long long sum = 0;
  for (int a = -1; a <= 1; ++a)
    for (int b = -1; b <= 1; ++b)
      for (int c = -1; c <= 1; ++c) {
        const int p[3] = {2 * a, 2 * b, 2 * c};
        long long gi[3] = {}, gj[3] = {}, gk[3] = {};
        shapeGradient(i, p, gi);
        shapeGradient(j, p, gj);
        shapeGradient(k, p, gk);
        const long long det = gi[0] * (gj[1] * gk[2] - gj[2] * gk[1]) - gi[1] * (gj[0] * gk[2] - gj[2] * gk[0]) +
                              gi[2] * (gj[0] * gk[1] - gj[1] * gk[0]);
        sum += (a == 0 ? 4 : 1) * (b == 0 ? 4 : 1) * (c == 0 ? 4 : 1) * det;
      }
  return sum;
}

constexpr long long kScale = 27LL * 32 * 32 * 32;

// Every D_IJK is a whole number of twelfths.
static_assert([] {
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 8; ++j)
      for (int k = 0; k < 8; ++k)
        if (scaledD(i, j, k) * 12 % kScale != 0) return false;
  return true;
}());

constexpr long long twelveD(int i, int j, int k) { return scaledD(i, j, k) * 12 / kScale; }

struct Term {
  int node, j, k, twelfths;
};

constexpr auto kTerms = [] {
  std::array<Term, 8 * 28> terms{};
  int count = 0;
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 8; ++j)
      for (int k = j + 1; k < 8; ++k) {
        const long long d = twelveD(i, j, k);
        if (d != 0) terms[static_cast<std::size_t>(count++)] = Term{i, j, k, static_cast<int>(d)};
      }
  return terms;
}();

constexpr int kTermCount = [] {
  int count = 0;
  for (const Term& t : kTerms) count += t.twelfths != 0 ? 1 : 0;
  return count;
}();

struct Nodes {
  float x[3][8];  // component, node
};

Nodes gather(const Int* connectivity, long long ld, long long ldn, long long i, const float* nodes) {
  Nodes n;
  for (int k = 0; k < 8; ++k) {
    const long long node = at(connectivity, ld, i, k + 1);
    for (int c = 0; c < 3; ++c) n.x[c][k] = nodes[(node - 1) * ldn + c];
  }
  return n;
}


// Elements are worked through in chunks of this many, each pass over the whole chunk, so that
// the passes run over contiguous element columns.
constexpr long long kChunk = 138;

// Row and column of the nine stored gradient components.
constexpr int kOrder[9][2] = {{0, 0}, {1, 1}, {2, 2}, {0, 1}, {1, 2}, {2, 0}, {1, 0}, {2, 1}, {0, 2}};

// The nine components in their stored order from F[i][j].
void writeGradient(float* gradient, long long ld, long long i, const float F[3][3]) {
  for (int k = 0; k < 9; ++k) at(gradient, ld, i, k + 1) = F[kOrder[k][0]][kOrder[k][1]];
}

// Node values of a chunk: v[component][node][element].
struct ChunkNodes {
  float v[3][8][kChunk];
};

// Gradient operators of a chunk: v[component][node][element].
struct ChunkOperator {
  float v[3][8][kChunk];
};

void gatherChunk(const Int* connectivity, long long ld, long long ldn, long long first, int count, const float* nodes,
                 ChunkNodes& out) {
  for (int k = 0; k < 8; ++k) {
    const Int* column = connectivity + (first - 1) + k * ld;
    for (int e = 0; e < count; ++e) {
      const float* node = nodes + (column[e] - 1) * ldn;
      out.v[0][k][e] = node[0];
      out.v[1][k][e] = node[1];
      out.v[2][k][e] = node[2];
    }
  }
}

// b of every element of the chunk: one pass per table term over the chunk.
void chunkOperator(const ChunkNodes& X, int count, ChunkOperator& b) {
  for (int c = 0; c < 3; ++c)
    for (int k = 0; k < 8; ++k)
      for (int e = 0; e < count; ++e) b.v[c][k][e] = 0.0F;
  for (int t = 0; t < kTermCount; ++t) {
    const Term& term = kTerms[static_cast<std::size_t>(t)];
    const float w = static_cast<float>(term.twelfths) * kTwelfth;
    const float* xj = X.v[0][term.j];
    const float* xk = X.v[0][term.k];
    const float* yj = X.v[1][term.j];
    const float* yk = X.v[1][term.k];
    const float* zj = X.v[2][term.j];
    const float* zk = X.v[2][term.k];
    float* bx = b.v[0][term.node];
    float* by = b.v[1][term.node];
    float* bz = b.v[2][term.node];
    for (int e = 0; e < count; ++e) {
      bx[e] += w * (yj[e] * zk[e] - yk[e] * zj[e]);
      by[e] += w * (zj[e] * xk[e] - zk[e] * xj[e]);
      bz[e] += w * (xj[e] * yk[e] - xk[e] * yj[e]);
    }
  }
}

}  // namespace

extern "C" {

void EDI_OPE_C3D8RSTRAIN(const Int* copy, const Int* first, const Int* last, const Int* ld, const Int* ldn,
                         const Int* connectivity, const float* reference, const float* field, const float* stored,
                         float* gradient) {
  if (zmx::ops::copyStored(copy, first, last, ld, 9, stored, gradient)) return;
  for (long long base = *first; base <= *last; base += kChunk) {
    const int count = static_cast<int>(*last - base + 1 < kChunk ? *last - base + 1 : kChunk);
    ChunkNodes X, x;
    gatherChunk(connectivity, *ld, *ldn, base, count, reference, X);
    gatherChunk(connectivity, *ld, *ldn, base, count, field, x);
    ChunkOperator b;
    chunkOperator(X, count, b);
    float inverse[kChunk];
    for (int e = 0; e < count; ++e) inverse[e] = 0.0F;
    for (int k = 0; k < 8; ++k)
      for (int e = 0; e < count; ++e) inverse[e] += X.v[0][k][e] * b.v[0][k][e];
    for (int e = 0; e < count; ++e) inverse[e] = 1.0F / inverse[e];
    for (int out = 0; out < 9; ++out) {
      const int r = kOrder[out][0], c = kOrder[out][1];
      float* column = gradient + (base - 1) + static_cast<long long>(out) * *ld;
      float sum[kChunk] = {};
      for (int k = 0; k < 8; ++k)
        for (int e = 0; e < count; ++e) sum[e] += x.v[r][k][e] * b.v[c][k][e];
      for (int e = 0; e < count; ++e) column[e] = sum[e] * inverse[e];
    }
  }
}

void EDI_OPE_C3D8RCSTRAIN(const Int* copy, const Int* first, const Int* last, const Int* ld, const Int* ldn,
                          const Int* connectivity, const float* reference, const float* field, const float* stored,
                          float* gradient) {
  if (zmx::ops::copyStored(copy, first, last, ld, 9, stored, gradient)) return;
  const int diagonal[4][2] = {{0, 6}, {1, 7}, {2, 4}, {3, 5}};  // opposite corners 1-7, 2-8, 3-5, 4-6
  for (long long i = *first; i <= *last; ++i) {
    const Nodes X = gather(connectivity, *ld, *ldn, i, reference);
    const Nodes u = gather(connectivity, *ld, *ldn, i, field);
    // Eight times the centre Jacobian J(a, b) = dX_a / dxi_b, and eight times du_a / dxi_b, from
    // the differences along the four body diagonals.
    float J[3][3] = {}, G[3][3] = {};
    for (const auto& d : diagonal)
      for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
          J[a][b] += (X.x[a][d[0]] - X.x[a][d[1]]) * static_cast<float>(kCorner[d[0]][b]);
          G[a][b] += (u.x[a][d[0]] - u.x[a][d[1]]) * static_cast<float>(kCorner[d[0]][b]);
        }
    // Cofactors of the true Jacobian (those of 8J over 64) and its determinant.
    float C[3][3];
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b) {
        const int a1 = (a + 1) % 3, a2 = (a + 2) % 3, b1 = (b + 1) % 3, b2 = (b + 2) % 3;
        C[a][b] = (J[a1][b1] * J[a2][b2] - J[a1][b2] * J[a2][b1]) * 0.015625F;
      }
    const float det = (J[0][0] * C[0][0] + J[0][1] * C[0][1] + J[0][2] * C[0][2]) * 0.125F;
    const float inverse = 0.125F / det;  // G holds eight times the field derivatives
    // F = I + G J^-1, J^-1 = C^T / det.
    float F[3][3];
    for (int a = 0; a < 3; ++a)
      for (int c = 0; c < 3; ++c) F[a][c] = (G[a][0] * C[c][0] + G[a][1] * C[c][1] + G[a][2] * C[c][2]) * inverse;
    for (int a = 0; a < 3; ++a) F[a][a] += 1.0F;
    writeGradient(gradient, *ld, i, F);
  }
}

void EDI_UTI_C3DH8STRAIN(const Int* copy, const Int* centre, const Int* strainFlag, const Int* n,
                         const float* storedQuaternions, const float* storedGradient, const float* referenceStretches,
                         const Int* rotate, const Int* connectivity, const Int* ldn, const Int* start,
                         const float* field, const float* reference, float* strain, float* gradient,
                         float* quaternions) {
  const Int one = 1;
  const Int* block = connectivity + (*start - 1);
  if (*centre == 0)
    EDI_OPE_C3D8RSTRAIN(copy, &one, n, n, ldn, block, reference, field, storedGradient, gradient);
  else
    EDI_OPE_C3D8RCSTRAIN(copy, &one, n, n, ldn, block, reference, field, storedGradient, gradient);
  if (*strainFlag == 0) return;
  const long long m = *n;
  float B[kChunk * 6], V[kChunk * 9];
  for (long long base = 0; base < m; base += kChunk) {
    const Int count = static_cast<Int>(m - base < kChunk ? m - base : kChunk);
    for (long long e = 0; e < count; ++e) {
      const long long i = base + e + 1;
      const auto F = [&](int k) { return at(gradient, m, i, k); };
      const float f11 = F(1), f22 = F(2), f33 = F(3), f12 = F(4), f23 = F(5), f31 = F(6), f21 = F(7), f32 = F(8),
                  f13 = F(9);
      B[e] = f11 * f11 + f12 * f12 + f13 * f13;
      B[e + kChunk] = f21 * f21 + f22 * f22 + f23 * f23;
      B[e + 2 * kChunk] = f31 * f31 + f32 * f32 + f33 * f33;
      B[e + 3 * kChunk] = f11 * f21 + f12 * f22 + f13 * f23;
      B[e + 4 * kChunk] = f21 * f31 + f22 * f32 + f23 * f33;
      B[e + 5 * kChunk] = f11 * f31 + f12 * f32 + f13 * f33;
    }
    const Int ld = kChunk;
    GLO_UTI_GENEIG33(&ld, &count, B, V);
    for (long long e = 0; e < count; ++e) {
      const long long i = base + e + 1;
      float E[6] = {};
      for (int k = 0; k < 3; ++k) {
        const float L = std::log(std::sqrt(std::fmax(B[e + k * kChunk], kTiny)) / at(referenceStretches, m, i, k + 1));
        const float v1 = V[e + (3 * k) * kChunk], v2 = V[e + (3 * k + 1) * kChunk], v3 = V[e + (3 * k + 2) * kChunk];
        E[0] += L * v1 * v1;
        E[1] += L * v2 * v2;
        E[2] += L * v3 * v3;
        E[3] += L * v1 * v2;
        E[4] += L * v2 * v3;
        E[5] += L * v1 * v3;
      }
      for (int c = 0; c < 6; ++c) at(strain, m, i, c + 1) = E[c];
    }
  }
  const Int inverse = 1;
  if (*rotate != 0) ACC_GDB_SYMROTS33S33(n, &inverse, storedQuaternions, strain, strain);
  const bool identity = *copy == 0 && *rotate == 0;
  for (int c = 1; c <= 4; ++c)
    for (long long i = 1; i <= m; ++i)
      at(quaternions, m, i, c) = identity ? (c == 4 ? 1.0F : 0.0F) : at(storedQuaternions, m, i, c);
}

void EDI_OPE_DIRECTORC3D(const Int* n, const float* quaternions, float* triads, const Int* rotated) {
  for (long long i = 1; i <= *n; ++i) {
    float r[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    if (*rotated != 0) zmx::ops::elementMatrix(quaternions, *n, i, r);
    zmx::ops::writeTriad(triads, i, r);
  }
}

void EDI_UTI_C3DH8HGFORCE(const Int* n, const float* components, const float* corners, const float* volume,
                          float* forces, const float* quaternions) {
  static constexpr float kBase[4][8] = {{1, 1, -1, -1, -1, -1, 1, 1},
                                        {1, -1, -1, 1, -1, 1, 1, -1},
                                        {1, -1, 1, -1, 1, -1, 1, -1},
                                        {-1, 1, -1, 1, 1, -1, 1, -1}};
  const long long m = *n;
  for (long long base = 1; base <= m; base += kChunk) {
    const int count = static_cast<int>(m - base + 1 < kChunk ? m - base + 1 : kChunk);
    ChunkNodes X;
    for (int c = 0; c < 3; ++c)
      for (int k = 0; k < 8; ++k)
        for (int e = 0; e < count; ++e) X.v[c][k][e] = at(corners, m, base + e, 8 * c + k + 1);
    ChunkOperator b;
    chunkOperator(X, count, b);
    for (int e = 0; e < count; ++e) {
      const long long i = base + e;
      const float inverse = 1.0F / volume[i - 1];
      float r[3][3];
      zmx::ops::elementMatrix(quaternions, m, i, r);
      float f[3][8] = {};
      for (int a = 0; a < 4; ++a) {
        float gx[3];
        for (int c = 0; c < 3; ++c) {
          gx[c] = 0.0F;
          for (int k = 0; k < 8; ++k) gx[c] += kBase[a][k] * X.v[c][k][e];
        }
        const float q[3] = {at(components, m, i, a + 1), at(components, m, i, a + 5), at(components, m, i, a + 9)};
        float qg[3];
        for (int c = 0; c < 3; ++c) qg[c] = r[c][0] * q[0] + r[c][1] * q[1] + r[c][2] * q[2];
        for (int k = 0; k < 8; ++k) {
          const float g = kBase[a][k] - inverse * (gx[0] * b.v[0][k][e] + gx[1] * b.v[1][k][e] + gx[2] * b.v[2][k][e]);
          for (int c = 0; c < 3; ++c) f[c][k] += g * qg[c];
        }
      }
      float* out = forces + 24 * (i - 1);
      for (int k = 0; k < 8; ++k)
        for (int c = 0; c < 3; ++c) out[3 * k + c] = f[c][k];
    }
  }
}

}  // extern "C"
