// Extrapolation to the nodes per element and the brick's corrected mixed derivatives per point,
// each beside a fixed-size Eigen evaluation of the same work: the reference builds the same
// matrix from the same one-dimensional factors and applies it to the same value block.
#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <array>
#include <random>

#include "bench/ratio.h"
#include "zmx/elements/extrapolation.h"

namespace {

using zmxbench::runWithRatio;

constexpr int kSets = 5;        // value sets per point
constexpr int kComponents = 6;  // rows of each value set
constexpr int kRun = kSets * kComponents;

constexpr double kG2 = 0.57735026918963;
constexpr double kG3 = 0.77459666924148;

// Natural coordinates of the 27 brick nodes.
constexpr double kBrick[27][3] = {
    {-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, 1, 1},  {-1, 1, 1},  {0, -1, -1},
    {1, 0, -1},   {0, 1, -1},  {-1, 0, -1}, {0, -1, 1},  {1, 0, 1},  {0, 1, 1},  {-1, 0, 1}, {-1, -1, 0}, {1, -1, 0},
    {1, 1, 0},    {-1, 1, 0},  {0, 0, 0},   {0, 0, -1},  {0, 0, 1},  {0, -1, 0}, {1, 0, 0},  {0, 1, 0},   {-1, 0, 0}};

// The one-dimensional factors of the two- and three-point Gauss lines at x.
inline void factors2(double x, double f[2]) {
  const double r = 1.0 / kG2;
  f[0] = (1.0 - r * x) / 2.0;
  f[1] = (1.0 + r * x) / 2.0;
}
inline void factors3(double x, double f[3]) {
  const double t = x / kG3;
  f[0] = t * (t - 1.0) / 2.0;
  f[1] = 1.0 - t * t;
  f[2] = t * (t + 1.0) / 2.0;
}

template <int Points, int Nodes>
struct Element {
  static constexpr int kPerDirection = Points == 8 ? 2 : 3;
  std::array<double, kRun * Points> V{};
  std::array<double, kRun * Nodes> O{};
  std::array<double, Points * Nodes> W{};

  Element() {
    std::mt19937 rng(Points);
    std::uniform_real_distribution<double> u(-1, 1);
    for (double& v : V) v = u(rng);
  }

  void ours() {
    const Int ld = kComponents, ncomp = kComponents, nip = Points, K = kSets, flag = 1, zero = 0, type = 520,
              nn = Nodes, d = 3;
    const double cylinder[3] = {0, 0, 0};
    ELNEXT(V.data(), O.data(), W.data(), &ld, &ncomp, &nip, &K, &flag, &zero, &zero, &zero, &type, &nn, &d, &zero,
           &zero, &zero, cylinder);
    benchmark::DoNotOptimize(O.data());
    benchmark::ClobberMemory();
  }

  void reference() {
    Eigen::Matrix<double, Points, Nodes> M;
    for (int n = 0; n < Nodes; ++n) {
      double f[3][3];
      for (int dir = 0; dir < 3; ++dir) {
        if (kPerDirection == 2)
          factors2(kBrick[n][dir], f[dir]);
        else
          factors3(kBrick[n][dir], f[dir]);
      }
      int p = 0;
      for (int k = 0; k < kPerDirection; ++k)
        for (int j = 0; j < kPerDirection; ++j)
          for (int i = 0; i < kPerDirection; ++i) M(p++, n) = f[0][i] * f[1][j] * f[2][k];
    }
    Eigen::Map<const Eigen::Matrix<double, kRun, Points>> values(V.data());
    Eigen::Map<Eigen::Matrix<double, kRun, Nodes>> out(O.data());
    out.noalias() = values * M;
    benchmark::DoNotOptimize(O.data());
    benchmark::ClobberMemory();
  }
};

void BM_ElnextBrick20Points8(benchmark::State& state) {
  Element<8, 20> e;
  runWithRatio(state, "Eigen fixed-size", 1.5, [&] { e.ours(); }, [&] { e.reference(); });
}
BENCHMARK(BM_ElnextBrick20Points8);

void BM_ElnextBrick27Points27(benchmark::State& state) {
  Element<27, 27> e;
  runWithRatio(state, "Eigen fixed-size", 1.5, [&] { e.ours(); }, [&] { e.reference(); });
}
BENCHMARK(BM_ElnextBrick27Points27);

struct BrickPoint {
  std::array<double, 24> X{};
  std::array<double, 9> A{};
  std::array<double, 40> D{};
  std::array<double, 80> out{};
  Int point = 1;

  BrickPoint() {
    std::mt19937 rng(8);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int n = 0; n < 8; ++n)
      for (int d = 0; d < 3; ++d) X[3 * n + d] = kBrick[n][d] + 0.2 * u(rng);
    for (double& a : A) a = u(rng);
    for (double& v : D) v = u(rng);
  }

  void next() { point = point % 8 + 1; }

  void ours() {
    LC3DGC(X.data(), A.data(), out.data(), D.data(), &point);
    next();
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }

  void reference() {
    const int k = (point - 1) / 4, j = ((point - 1) / 2) % 2, i = (point - 1) % 2;
    const double xi = i == 0 ? -kG2 : kG2, eta = j == 0 ? -kG2 : kG2, zeta = k == 0 ? -kG2 : kG2;
    const double am = (1 - xi) / 8, ap = (1 + xi) / 8, bm = (1 - eta) / 8, bp = (1 + eta) / 8;
    const double cm = (1 - zeta) / 8, cp = (1 + zeta) / 8;
    Eigen::Matrix<double, 3, 8> P;
    P << cm, -cm, cm, -cm, cp, -cp, cp, -cp,  //
        bm, -bm, -bp, bp, -bm, bm, bp, -bp,   //
        am, ap, -ap, -am, -am, -ap, ap, am;
    Eigen::Map<const Eigen::Matrix<double, 3, 8>> x(X.data());
    Eigen::Map<const Eigen::Matrix3d> a(A.data());
    Eigen::Map<const Eigen::Matrix<double, 8, 3>> d(D.data() + 8);
    const Eigen::Matrix3d T = x * P.transpose();
    const Eigen::Matrix3d U = a * T;
    const Eigen::Matrix<double, 3, 8> Q = P - U.transpose() * d.transpose();
    Eigen::Matrix<double, 6, 3> C;
    C << a(0, 0) * a(1, 0), a(0, 0) * a(2, 0), a(1, 0) * a(2, 0),  //
        a(0, 1) * a(1, 1), a(0, 1) * a(2, 1), a(1, 1) * a(2, 1),   //
        a(0, 2) * a(1, 2), a(0, 2) * a(2, 2), a(1, 2) * a(2, 2),   //
        a(0, 0) * a(1, 1), a(0, 0) * a(2, 1), a(1, 0) * a(2, 1),   //
        a(0, 0) * a(1, 2), a(0, 0) * a(2, 2), a(1, 0) * a(2, 2),   //
        a(0, 1) * a(1, 2), a(0, 1) * a(2, 2), a(1, 1) * a(2, 2);
    Eigen::Map<Eigen::Matrix<double, 8, 6>> groups(out.data() + 25);
    groups.noalias() = Q.transpose() * C.transpose();
    next();
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
};

void BM_Lc3dgcPerPoint(benchmark::State& state) {
  BrickPoint b;
  runWithRatio(state, "Eigen fixed-size", 1.5, [&] { b.ours(); }, [&] { b.reference(); });
}
BENCHMARK(BM_Lc3dgcPerPoint);

}  // namespace
