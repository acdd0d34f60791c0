// Small-sliding clearances and the profile rigid-surface search beside references doing the same
// work: the deformable three- and two-dimensional clearance with its first-order update beside a
// fixed-size Eigen version, and the search over a 100-segment profile of lines and arcs beside a
// plain loop of closed-form point-to-line and point-to-arc distances.
#include <benchmark/benchmark.h>

#include <Eigen/Dense>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "bench/allocation_count.h"
#include "bench/ratio.h"
#include "zmx/contact/rigid_surfaces.h"
#include "zmx/contact/small_sliding.h"

namespace {

using zmxbench::runWithRatio;

template <int D>
struct Pair {
  Int m, k = 1, ldx = D, mode = 0, ldu = D;
  std::vector<Real> x, u, wa, wt1, wt2, tm;
  explicit Pair(Int masters) : m(masters) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<Real> r(-1, 1);
    auto fill = [&](std::vector<Real>& v, std::size_t n) {
      v.resize(n);
      for (auto& e : v) e = r(rng);
    };
    fill(x, D * (m + 1));
    fill(u, D * (m + 1));
    fill(wa, m);
    fill(wt1, m);
    fill(wt2, m);
    fill(tm, D * D);
    for (int i = 0; i < D; ++i) tm[i * D + i] += 2.0;
  }
};

// The three-dimensional clearance and update with fixed-size Eigen types.
Real eigen3D(const Pair<3>& c) {
  using V = Eigen::Vector3d;
  const Eigen::Map<const Eigen::Matrix3d> tm(c.tm.data());
  V p0 = V::Zero(), s1 = V::Zero(), s2 = V::Zero();
  for (Int i = 0; i < c.m; ++i) {
    const Eigen::Map<const V> xi(c.x.data() + 3 * (1 + i));
    p0 += c.wa[i] * xi, s1 += c.wt1[i] * xi, s2 += c.wt2[i] * xi;
  }
  const V t1 = tm * s1, t2 = tm * s2, n = t1.cross(t2).normalized();
  const Eigen::Map<const V> xs(c.x.data());
  Eigen::Matrix2d a;
  a << t1.dot(t1), t1.dot(t2), t1.dot(t2), t2.dot(t2);
  const Eigen::Vector2d xi = a.inverse() * Eigen::Vector2d((xs - p0).dot(t1), (xs - p0).dot(t2));
  Real h = n.dot(p0 + xi(0) * t1 + xi(1) * t2 - xs);
  const V tn = tm.transpose() * n;
  h -= n.dot(Eigen::Map<const V>(c.u.data()));
  for (Int i = 0; i < c.m; ++i) {
    const Eigen::Map<const V> d(c.u.data() + 3 * (1 + i));
    h += c.wa[i] * n.dot(d) + (xi(0) * c.wt1[i] + xi(1) * c.wt2[i]) * tn.dot(d);
  }
  return h;
}

Real eigen2D(const Pair<2>& c) {
  using V = Eigen::Vector2d;
  const Eigen::Map<const Eigen::Matrix2d> tm(c.tm.data());
  V p0 = V::Zero(), s = V::Zero();
  for (Int i = 0; i < c.m; ++i) {
    const Eigen::Map<const V> xi(c.x.data() + 2 * (1 + i));
    p0 += c.wa[i] * xi, s += c.wt1[i] * xi;
  }
  const V t = tm * s, n = V(-t(1), t(0)).normalized();
  const Eigen::Map<const V> xs(c.x.data());
  const Real xi = (xs - p0).dot(t) / t.squaredNorm();
  Real h = n.dot(p0 - xs);
  const V tn = tm.transpose() * n;
  h -= n.dot(Eigen::Map<const V>(c.u.data()));
  for (Int i = 0; i < c.m; ++i) {
    const Eigen::Map<const V> d(c.u.data() + 2 * (1 + i));
    h += c.wa[i] * n.dot(d) + xi * c.wt1[i] * tn.dot(d);
  }
  return h;
}

void Deformable3D(benchmark::State& state) {
  const Pair<3> c(static_cast<Int>(state.range(0)));
  Real h, xi1, xi2, n[3], tt[6], p[3];
  const long long before = zmxbench::gAllocations.load();
  runWithRatio(
      state, "Eigen fixed-size clearance and update", 1.5,
      [&] {
        SMSLIDDEF3DHDIST(&h, &xi1, &xi2, n, tt, p, c.wa.data(), c.wt1.data(), c.wt2.data(), c.x.data(), &c.ldx, &c.m,
                         &c.k, c.tm.data(), c.u.data(), &c.mode);
        benchmark::DoNotOptimize(h);
      },
      [&] { benchmark::DoNotOptimize(eigen3D(c)); });
  zmxbench::reportAllocations(state, before);
}

void Deformable2D(benchmark::State& state) {
  const Pair<2> c(3);
  Real h, xi, n[2], t[2], p[2];
  const long long before = zmxbench::gAllocations.load();
  runWithRatio(
      state, "Eigen fixed-size clearance and update", 1.5,
      [&] {
        SMSLIDDEF2DHDIST(&h, &xi, n, t, p, c.wa.data(), c.wt1.data(), c.x.data(), &c.ldx, &c.m, &c.k, c.tm.data(),
                         c.u.data(), &c.mode, &c.ldu);
        benchmark::DoNotOptimize(h);
      },
      [&] { benchmark::DoNotOptimize(eigen2D(c)); });
  zmxbench::reportAllocations(state, before);
}

// A wavy profile of 50 lines and 50 arcs, as a record and as plain arrays.
struct Profile {
  std::vector<double> words;
  std::vector<Eigen::Vector2d> starts, ends, centres;  // centre unused for lines
  std::vector<bool> isArc;
  Profile() {
    auto put = [&](std::size_t k, double v) {
      if (words.size() < k) words.resize(k, 0.0);
      words[k - 1] = v;
    };
    auto putInt = [&](std::size_t k, Int v) {
      if (words.size() < k) words.resize(k, 0.0);
      const std::int64_t s = v;
      std::memcpy(&words[k - 1], &s, 8);
    };
    putInt(2, 1);
    put(5, 0.0), put(6, 0.0);
    std::size_t w = 7;
    Eigen::Vector2d a(0, 0);
    for (int s = 0; s < 100; ++s) {
      starts.push_back(a);
      if (s % 2 == 0) {
        const Eigen::Vector2d e = a + Eigen::Vector2d(1.0, 0.0);
        putInt(w++, 1), put(w++, e.x()), put(w++, e.y());
        ends.push_back(e), centres.push_back(e), isArc.push_back(false);
        a = e;
      } else {
        const Eigen::Vector2d c = a + Eigen::Vector2d(0.5, -0.5), e = a + Eigen::Vector2d(1.0, 0.0);
        putInt(w++, 2), put(w++, c.x()), put(w++, c.y()), put(w++, e.x()), put(w++, e.y());
        ends.push_back(e), centres.push_back(c), isArc.push_back(true);
        a = e;
      }
    }
    putInt(w, -1);
  }
  // Nearest |distance| over the segments by closed forms, feet clipped to each segment.
  Real plainLoop(const Eigen::Vector2d& p) const {
    Real best = 1e300;
    for (std::size_t s = 0; s < starts.size(); ++s) {
      const Eigen::Vector2d a = starts[s], e = ends[s];
      if (!isArc[s]) {
        const Eigen::Vector2d d = e - a;
        const Real t = (p - a).dot(d) / d.squaredNorm();
        if (t >= 0 && t <= 1) best = std::min(best, std::fabs((p - a).x() * d.y() - (p - a).y() * d.x()) / d.norm());
      } else {
        const Eigen::Vector2d q = p - centres[s];
        const Real r = (a - centres[s]).norm();
        const Real side = (q.x() * (a - centres[s]).y() - q.y() * (a - centres[s]).x());
        if (side <= 0) best = std::min(best, std::fabs(q.norm() - r));
      }
    }
    return best;
  }
};

void ProfileSearch(benchmark::State& state) {
  const Profile profile;
  std::mt19937 rng(5);
  std::uniform_real_distribution<Real> x(0.5, 99.5), y(-0.2, 0.6);
  std::vector<Eigen::Vector2d> points;
  for (int i = 0; i < 64; ++i) points.emplace_back(x(rng), y(rng));
  const Int dim = 2, limit = 1;
  const Real beyond = 0.0;
  Real d, foot[3], n[3], t[6], k[2], skew[8], spans[2] = {}, params[2] = {};
  Int calls = 0, size = 0;
  std::size_t i = 0, j = 0;
  const long long before = zmxbench::gAllocations.load();
  runWithRatio(
      state, "plain loop of closed-form line and arc distances", 1.5,
      [&] {
        const Real* p = points[i++ % points.size()].data();
        SEGMENTRIGIDSURFSEARCH(p, reinterpret_cast<const Int*>(profile.words.data()), profile.words.data(), &dim, &d,
                               foot, n, t, k, skew, spans, params, &calls, &limit, &beyond, nullptr, &size);
        benchmark::DoNotOptimize(d);
      },
      [&] { benchmark::DoNotOptimize(profile.plainLoop(points[j++ % points.size()])); });
  zmxbench::reportAllocations(state, before);
}

}  // namespace

BENCHMARK(Deformable3D)->Arg(4)->Arg(9);
BENCHMARK(Deformable2D);
BENCHMARK(ProfileSearch);
BENCHMARK_MAIN();
