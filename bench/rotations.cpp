// Rotation and quaternion updates and 3 x 3 products against straightforward fixed-size code in
// the same binary. Each benchmark also reports the heap allocations per call (expected 0); the
// rotation and quaternion ones add "ratio", our time per call over the reference's.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

#include "bench/allocation_count.h"
#include "bench/ratio.h"
#include "runtime/record.h"
#include "siblings/eqc/records.h"
#include "zmx/numerics.h"

namespace {

// ---- References ---------------------------------------------------------------------------------

// Rodrigues' formula for one vector.
__attribute__((noinline)) void referenceRotate(const double* x, double* y, const double* r) {
  const double t = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
  if (t == 0.0) {
    y[0] = x[0], y[1] = x[1], y[2] = x[2];
    return;
  }
  const double c = std::cos(t), s = std::sin(t) / t, g = (1.0 - c) / (t * t);
  const double rx[3] = {r[1] * x[2] - r[2] * x[1], r[2] * x[0] - r[0] * x[2], r[0] * x[1] - r[1] * x[0]};
  const double d = (r[0] * x[0] + r[1] * x[1] + r[2] * x[2]) * g;
  for (int i = 0; i < 3; ++i) y[i] = c * x[i] + s * rx[i] + d * r[i];
}

// Hamilton product conj(a) b, vector part first.
__attribute__((noinline)) void referenceRelative(const double* a, const double* b, double* z) {
  const double aw = a[3], ax = -a[0], ay = -a[1], az = -a[2];
  z[3] = aw * b[3] - ax * b[0] - ay * b[1] - az * b[2];
  z[0] = aw * b[0] + ax * b[3] + ay * b[2] - az * b[1];
  z[1] = aw * b[1] - ax * b[2] + ay * b[3] + az * b[0];
  z[2] = aw * b[2] + ax * b[1] - ay * b[0] + az * b[3];
}

// R(q) S R(q)^T from the six-word tensor.
__attribute__((noinline)) void referenceTensorRotation(const double* a, const double* q, double* z) {
  const double x = q[0], y = q[1], w3 = q[2], w = q[3];
  const double R[9] = {1 - 2 * (y * y + w3 * w3), 2 * (x * y + w * w3),     2 * (x * w3 - w * y),
                       2 * (x * y - w * w3),     1 - 2 * (x * x + w3 * w3), 2 * (y * w3 + w * x),
                       2 * (x * w3 + w * y),     2 * (y * w3 - w * x),     1 - 2 * (x * x + y * y)};
  const double S[9] = {a[0], a[3], a[4], a[3], a[1], a[5], a[4], a[5], a[2]};
  double RS[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) RS[i + 3 * j] = R[i] * S[3 * j] + R[i + 3] * S[1 + 3 * j] + R[i + 6] * S[2 + 3 * j];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      z[i + 3 * j] = RS[i] * R[j] + RS[i + 3] * R[j + 3] + RS[i + 6] * R[j + 6];
}

// G += A B for 3 x 3.
__attribute__((noinline)) void referenceProduct(const double* A, const double* B, double* G) {
  for (int j = 0; j < 3; ++j)
    for (int k = 0; k < 3; ++k)
      for (int i = 0; i < 3; ++i) G[i + 3 * j] += A[i + 3 * k] * B[k + 3 * j];
}

// ---- Harness ------------------------------------------------------------------------------------

// Runs body once per iteration and reports heap allocations per call.
template <class Body>
void timed(benchmark::State& state, Body body) {
  const long long before = zmxbench::gAllocations.load();
  for (auto _ : state) body();
  zmxbench::reportAllocations(state, before);
}

// As timed, and adds the ratio of our time per call to the reference's: the best of several
// alternating rounds of each, so that a busy machine disturbs the two alike.
template <class Ours, class Reference>
void timedWithRatio(benchmark::State& state, Ours ours, Reference reference) {
  timed(state, ours);
  double oursBest = 1e300, referenceBest = 1e300;
  for (int round = 0; round < 8; ++round) {
    oursBest = std::min(oursBest, zmxbench::secondsPerCall(ours, 0.05));
    referenceBest = std::min(referenceBest, zmxbench::secondsPerCall(reference, 0.05));
  }
  zmxbench::reportRatio(state, "fixed-size reference code", 1.0, oursBest / referenceBest);
}

double gAngle = 0.7;  // changed between iterations so that nothing is folded

void nextRotation(double* r) {
  gAngle = gAngle > 3.0 ? 0.2 : gAngle + 0.013;
  r[0] = 0.3 * gAngle, r[1] = -0.5 * gAngle, r[2] = 0.8 * gAngle;
}

void BM_Anrot(benchmark::State& state) {
  rec::i(CONTRO, eqc_records::kFiniteRotations) = 1;
  double x[3] = {1.0, 2.0, -0.5}, y[3], r[3];
  const int one = 1;
  timedWithRatio(
      state,
      [&] {
        nextRotation(r);
        SHR_ANROT(x, y, r, &one);
        benchmark::DoNotOptimize(y);
      },
      [&] {
        nextRotation(r);
        referenceRotate(x, y, r);
        benchmark::DoNotOptimize(y);
      });
}
BENCHMARK(BM_Anrot);

void BM_AnrotReference(benchmark::State& state) {
  double x[3] = {1.0, 2.0, -0.5}, y[3], r[3];
  timed(state, [&] {
    nextRotation(r);
    referenceRotate(x, y, r);
    benchmark::DoNotOptimize(y);
  });
}
BENCHMARK(BM_AnrotReference);

void BM_Quatm(benchmark::State& state) {
  double a[4] = {0.1, 0.2, 0.3, 0.927}, b[4] = {-0.3, 0.1, 0.2, 0.927}, z[4];
  const int three = 3;
  timedWithRatio(
      state,
      [&] {
        QUATM(a, b, z, &three);
        benchmark::DoNotOptimize(z);
        benchmark::ClobberMemory();
      },
      [&] {
        referenceRelative(a, b, z);
        benchmark::DoNotOptimize(z);
        benchmark::ClobberMemory();
      });
}
BENCHMARK(BM_Quatm);

void BM_QuatmReference(benchmark::State& state) {
  double a[4] = {0.1, 0.2, 0.3, 0.927}, b[4] = {-0.3, 0.1, 0.2, 0.927}, z[4];
  timed(state, [&] {
    referenceRelative(a, b, z);
    benchmark::DoNotOptimize(z);
    benchmark::ClobberMemory();
  });
}
BENCHMARK(BM_QuatmReference);

void BM_Quatrot(benchmark::State& state) {
  const double a[6] = {3.0, -1.0, 2.0, 0.5, -0.25, 0.75};
  double q[4] = {0.1, 0.2, 0.3, 0.927}, z[9];
  const int four = 4, even = 0, mode[2] = {1, 0};
  timedWithRatio(
      state,
      [&] {
        QUATROT(a, q, z, &four, &even, mode, nullptr);
        benchmark::DoNotOptimize(z);
        benchmark::ClobberMemory();
      },
      [&] {
        referenceTensorRotation(a, q, z);
        benchmark::DoNotOptimize(z);
        benchmark::ClobberMemory();
      });
}
BENCHMARK(BM_Quatrot);

void BM_QuatrotReference(benchmark::State& state) {
  const double a[6] = {3.0, -1.0, 2.0, 0.5, -0.25, 0.75};
  double q[4] = {0.1, 0.2, 0.3, 0.927}, z[9];
  timed(state, [&] {
    referenceTensorRotation(a, q, z);
    benchmark::DoNotOptimize(z);
    benchmark::ClobberMemory();
  });
}
BENCHMARK(BM_QuatrotReference);

void BM_Comprot(benchmark::State& state) {
  double r1[3], r2[3] = {0.4, -0.2, 0.9}, r3[3];
  timed(state, [&] {
    nextRotation(r1);
    COMPROT(r1, r2, r3);
    benchmark::DoNotOptimize(r3);
  });
}
BENCHMARK(BM_Comprot);

void BM_MatrixMult(benchmark::State& state) {
  const double A[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9}, B[9] = {9, 8, 7, 6, 5, 4, 3, 2, 1};
  double G[9] = {};
  const int three = 3;
  timed(state, [&] {
    SHR_MATRIXMULT(A, B, G, &three);
    benchmark::DoNotOptimize(G);
    benchmark::ClobberMemory();
  });
}
BENCHMARK(BM_MatrixMult);

void BM_MatrixMultReference(benchmark::State& state) {
  const double A[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9}, B[9] = {9, 8, 7, 6, 5, 4, 3, 2, 1};
  double G[9] = {};
  timed(state, [&] {
    referenceProduct(A, B, G);
    benchmark::DoNotOptimize(G);
    benchmark::ClobberMemory();
  });
}
BENCHMARK(BM_MatrixMultReference);

}  // namespace
