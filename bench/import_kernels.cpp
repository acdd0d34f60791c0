// Gradient and logarithmic strain of 10^5 hexahedra and quadrilaterals, in blocks of 138, against
// a straightforward per-element fixed-size reference in single precision: the mean gradient by
// Gauss quadrature, the eigen decomposition of F F^T by Eigen's direct solver, and logarithms.
#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <cmath>
#include <random>
#include <vector>

#include "bench/ratio.h"
#include "zmx/import/operators.h"

namespace {

constexpr int kBlock = 138;

// A structured grid of nodes (d coordinates each), moved by a smooth nonlinear map, with the
// connectivity laid out block by block as the strain routines read it.
struct Mesh {
  int dimension = 3, elements = 0, nodesPerElement = 8;
  std::vector<float> reference, current;
  std::vector<Int> connectivity;  // block after block, each (count, nodes per element)
  std::vector<int> blockStart;    // first entry (from 1) of each block
};

Mesh makeMesh(int dimension, int target) {
  Mesh m;
  m.dimension = dimension;
  m.nodesPerElement = dimension == 3 ? 8 : 4;
  const int side = dimension == 3 ? static_cast<int>(std::cbrt(target)) + 1 : static_cast<int>(std::sqrt(target)) + 1;
  const int nz = dimension == 3 ? side : 1;
  const auto node = [&](int i, int j, int k) { return 1 + i + (side + 1) * (j + (side + 1) * k); };
  for (int k = 0; k <= (dimension == 3 ? nz : 0); ++k)
    for (int j = 0; j <= side; ++j)
      for (int i = 0; i <= side; ++i) {
        const float X[3] = {0.1F * static_cast<float>(i), 0.1F * static_cast<float>(j), 0.1F * static_cast<float>(k)};
        const float x[3] = {X[0] + 0.05F * std::sin(X[1]) + 0.02F * X[0] * X[2], X[1] * 1.1F + 0.03F * X[0],
                            X[2] * 0.9F + 0.01F * X[0] * X[1]};
        for (int d = 0; d < dimension; ++d) m.reference.push_back(X[d]), m.current.push_back(x[d]);
      }
  std::vector<std::vector<Int>> elements;
  for (int k = 0; k < nz && static_cast<int>(elements.size()) < target; ++k)
    for (int j = 0; j < side && static_cast<int>(elements.size()) < target; ++j)
      for (int i = 0; i < side && static_cast<int>(elements.size()) < target; ++i) {
        if (dimension == 2) {
          elements.push_back({node(i, j, 0), node(i + 1, j, 0), node(i + 1, j + 1, 0), node(i, j + 1, 0)});
          continue;
        }
        elements.push_back({node(i, j, k), node(i + 1, j, k), node(i + 1, j + 1, k), node(i, j + 1, k),
                            node(i, j, k + 1), node(i + 1, j, k + 1), node(i + 1, j + 1, k + 1), node(i, j + 1, k + 1)});
      }
  m.elements = static_cast<int>(elements.size());
  for (int first = 0; first < m.elements; first += kBlock) {
    const int count = std::min(kBlock, m.elements - first);
    m.blockStart.push_back(static_cast<int>(m.connectivity.size()) + 1);
    for (int c = 0; c < m.nodesPerElement; ++c)
      for (int e = 0; e < count; ++e) m.connectivity.push_back(elements[static_cast<std::size_t>(first + e)][static_cast<std::size_t>(c)]);
  }
  return m;
}

// ---- Reference: one element at a time -----------------------------------------------------

template <int D>
void referenceElement(const Mesh& m, const Int* nodes, int stride, float* strain, float* gradient) {
  using MatD = Eigen::Matrix<float, D, D>;
  constexpr int N = D == 3 ? 8 : 4;
  Eigen::Matrix<float, D, N> X, x;
  for (int k = 0; k < N; ++k)
    for (int d = 0; d < D; ++d) {
      const std::size_t at = static_cast<std::size_t>((nodes[k * stride] - 1) * D + d);
      X(d, k) = m.reference[at];
      x(d, k) = m.current[at];
    }
  static const float corner[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                     {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
  const float g = 0.57735026F;
  MatD F = MatD::Zero();
  float volume = 0.0F;
  for (int p = 0; p < N; ++p) {
    Eigen::Matrix<float, N, D> dN;
    for (int k = 0; k < N; ++k)
      for (int d = 0; d < D; ++d) {
        float v = corner[k][d] / static_cast<float>(N);
        for (int e = 0; e < D; ++e)
          if (e != d) v *= 1.0F + corner[k][e] * corner[p][e] * g;
        dN(k, d) = v;
      }
    const MatD J = X * dN;
    const float det = J.determinant();
    F += x * dN * J.inverse() * det;
    volume += det;
  }
  F /= volume;
  Eigen::SelfAdjointEigenSolver<MatD> solver;
  solver.computeDirect(F * F.transpose());
  const Eigen::Matrix<float, D, 1> logs = solver.eigenvalues().array().max(1.1754944e-38F).sqrt().log();
  const MatD E = solver.eigenvectors() * logs.asDiagonal() * solver.eigenvectors().transpose();
  for (int a = 0; a < D; ++a)
    for (int b = 0; b < D; ++b) gradient[a * D + b] = F(a, b), strain[a * D + b] = E(a, b);
}

template <int D>
void referenceAll(const Mesh& m, std::vector<float>& strain, std::vector<float>& gradient) {
  for (std::size_t b = 0; b < m.blockStart.size(); ++b) {
    const int first = static_cast<int>(b) * kBlock, count = std::min(kBlock, m.elements - first);
    const Int* block = m.connectivity.data() + m.blockStart[b] - 1;
    for (int e = 0; e < count; ++e)
      referenceElement<D>(m, block + e, count, &strain[static_cast<std::size_t>((first + e) * D * D)],
                          &gradient[static_cast<std::size_t>((first + e) * D * D)]);
  }
}

// ---- Ours: block by block -----------------------------------------------------------------

void oursAll(const Mesh& m, std::vector<float>& strain, std::vector<float>& gradient) {
  const bool solid = m.dimension == 3;
  const int components = solid ? 9 : 5, strains = solid ? 6 : 4;
  static std::vector<float> rotations(kBlock * 4, 0.0F), stored(kBlock * 9, 1.0F), stretches(kBlock * 3, 1.0F),
      rotationsOut(kBlock * 4);
  const Int zero = 0, one = 1, ldn = m.dimension;
  for (std::size_t b = 0; b < m.blockStart.size(); ++b) {
    const int first = static_cast<int>(b) * kBlock;
    const Int count = std::min(kBlock, m.elements - first), start = m.blockStart[b];
    float* e = &strain[static_cast<std::size_t>(first * strains)];
    float* f = &gradient[static_cast<std::size_t>(first * components)];
    if (solid)
      EDI_UTI_C3DH8STRAIN(&zero, &zero, &one, &count, rotations.data(), stored.data(), stretches.data(), &zero,
                          m.connectivity.data(), &ldn, &start, m.current.data(), m.reference.data(), e, f,
                          rotationsOut.data());
    else
      EDI_UTI_C2DSTRAIN(&zero, &zero, &one, &count, rotations.data(), stored.data(), stretches.data(), &zero,
                        m.connectivity.data(), &ldn, &start, m.current.data(), m.reference.data(), e, f,
                        rotationsOut.data());
  }
}

void run(benchmark::State& state, int dimension, double target) {
  const Mesh m = makeMesh(dimension, 100000);
  std::vector<float> ourStrain(static_cast<std::size_t>(m.elements) * 9), ourGradient(static_cast<std::size_t>(m.elements) * 9);
  std::vector<float> refStrain(ourStrain.size()), refGradient(ourGradient.size());
  zmxbench::runWithRatio(
      state, "per-element Eigen (Gauss gradient, computeDirect, logarithms)", target,
      [&] {
        oursAll(m, ourStrain, ourGradient);
        benchmark::DoNotOptimize(ourStrain.data());
      },
      [&] {
        if (dimension == 3)
          referenceAll<3>(m, refStrain, refGradient);
        else
          referenceAll<2>(m, refStrain, refGradient);
        benchmark::DoNotOptimize(refStrain.data());
      });
  state.counters["elements"] = m.elements;
}


void BM_HexahedronGradientAndStrain(benchmark::State& state) { run(state, 3, 0.5); }
void BM_QuadrilateralGradientAndStrain(benchmark::State& state) { run(state, 2, 0.7); }

}  // namespace

BENCHMARK(BM_HexahedronGradientAndStrain)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QuadrilateralGradientAndStrain)->Unit(benchmark::kMillisecond)->Iterations(3);
