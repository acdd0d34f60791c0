#include "tests/support/bezier_surface.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>
#include <utility>

namespace zmxtest {

namespace {

Vec3 operator+(const Vec3& a, const Vec3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec3 operator-(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec3 operator*(Real s, const Vec3& a) { return {s * a[0], s * a[1], s * a[2]}; }
Real dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

void setSlot(std::vector<double>& slots, std::size_t k, Int value) {
  std::int64_t word = static_cast<std::uint32_t>(value);
  std::memcpy(&slots[k], &word, sizeof word);
}
Int slot(const std::vector<double>& slots, std::size_t k) {
  Int value;
  std::memcpy(&value, &slots[k], sizeof value);
  return value;
}

// Triangles turned so that their normals point away from the mesh's centre.
void orientOutward(TriangleMesh& mesh) {
  Vec3 centre{};
  for (const auto& p : mesh.points) centre = centre + (1.0 / static_cast<Real>(mesh.points.size())) * p;
  for (auto& t : mesh.triangles) {
    const Vec3 &a = mesh.points[t[0]], &b = mesh.points[t[1]], &c = mesh.points[t[2]];
    const Vec3 mid = (1.0 / 3.0) * (a + b + c);
    if (dot(cross(b - a, c - a), mid - centre) < 0.0) std::swap(t[1], t[2]);
  }
}

}  // namespace

Int BezierSurface::patchEntry(Int patch, int offset) const {
  return slot(patches, static_cast<std::size_t>(20 * (patch - 1) + offset));
}

void BezierSurface::setPatchEntry(Int patch, int offset, Int value) {
  setSlot(patches, static_cast<std::size_t>(20 * (patch - 1) + offset), value);
}

Int BezierSurface::addNode(const Vec3& x) {
  nodes.insert(nodes.end(), {0.0, x[0], x[1], x[2]});
  return ++nodeCount;
}

BezierSurface buildBezierSurface(const TriangleMesh& mesh, const std::function<Vec3(const Vec3&)>& lift) {
  BezierSurface s;
  for (const auto& p : mesh.points) s.addNode(lift(p));
  s.cornerCount = s.nodeCount;
  s.patchCount = static_cast<Int>(mesh.triangles.size());
  s.patches.assign(static_cast<std::size_t>(20 * s.patchCount), 0.0);
  s.patchEdges.assign(static_cast<std::size_t>(3 * s.patchCount), 0);

  // Edges with their two edge points (next to the lower, then the higher corner).
  std::map<std::pair<int, int>, Int> edgeOf;
  std::vector<std::pair<Int, Int>> edgePoints;
  for (Int p = 1; p <= s.patchCount; ++p) {
    const auto& t = mesh.triangles[static_cast<std::size_t>(p - 1)];
    for (int side = 0; side < 3; ++side) {
      const int a = t[side], b = t[(side + 1) % 3];
      const auto key = std::minmax(a, b);
      auto [it, fresh] = edgeOf.try_emplace({key.first, key.second}, 0);
      if (fresh) {
        it->second = ++s.edgeCount;
        const Vec3 &x = mesh.points[key.first], &y = mesh.points[key.second];
        const Int near = s.addNode(lift(x + (1.0 / 3.0) * (y - x)));
        const Int far = s.addNode(lift(x + (2.0 / 3.0) * (y - x)));
        edgePoints.emplace_back(near, far);
        s.edges.insert(s.edges.end(), {0, key.first + 1, key.second + 1, p, 0});
      } else {
        s.edges[static_cast<std::size_t>(5 * (it->second - 1) + 4)] = p;
      }
      const Int e = it->second;
      s.patchEdges[static_cast<std::size_t>(3 * (p - 1) + side)] = e;
      const auto [near, far] = edgePoints[static_cast<std::size_t>(e - 1)];
      // Offsets 7-8, 9-10, 11-12: the edge points next to the side's first corner, then its second.
      const bool forward = a < b;
      s.setPatchEntry(p, 7 + 2 * side, forward ? near : far);
      s.setPatchEntry(p, 8 + 2 * side, forward ? far : near);
    }
    for (int k = 0; k < 3; ++k) s.setPatchEntry(p, 4 + k, t[k] + 1);
  }
  for (Int p = 1; p <= s.patchCount; ++p) {
    const auto& t = mesh.triangles[static_cast<std::size_t>(p - 1)];
    s.setPatchEntry(p, 13, s.addNode(lift((1.0 / 3.0) * (mesh.points[t[0]] + mesh.points[t[1]] + mesh.points[t[2]]))));
    for (int side = 0; side < 3; ++side) {
      const Int e = s.patchEdges[static_cast<std::size_t>(3 * (p - 1) + side)];
      const Int first = s.edges[static_cast<std::size_t>(5 * (e - 1) + 3)];
      const Int second = s.edges[static_cast<std::size_t>(5 * (e - 1) + 4)];
      s.setPatchEntry(p, 1 + side, first == p ? second : first);
    }
    const Vec3 c1 = s.node(s.patchEntry(p, 4)), c2 = s.node(s.patchEntry(p, 5)), c3 = s.node(s.patchEntry(p, 6));
    const Vec3 n = cross(c2 - c1, c3 - c1);
    const Real twiceArea = std::sqrt(dot(n, n));
    s.patchData.insert(s.patchData.end(), {n[0] / twiceArea, n[1] / twiceArea, n[2] / twiceArea, 0.5 * twiceArea});
    // Every patch point lies in the hull of its control points, so no farther from a corner
    // than the farthest control point.
    Real reach = 1e300;
    for (const Vec3& c : {c1, c2, c3}) {
      Real farthest = 0.0;
      for (int k = 4; k <= 13; ++k) farthest = std::max(farthest, distance(s.node(s.patchEntry(p, k)), c));
      reach = std::min(reach, farthest);
    }
    s.reach.push_back(reach);
  }

  std::vector<std::vector<Int>> around(static_cast<std::size_t>(s.nodeCount));
  for (Int p = 1; p <= s.patchCount; ++p)
    for (int k = 4; k <= 6; ++k) around[static_cast<std::size_t>(s.patchEntry(p, k) - 1)].push_back(p);
  for (const auto& list : around) s.ld = std::max(s.ld, static_cast<Int>(list.size()));
  s.nodePatches.assign(static_cast<std::size_t>(s.ld * s.nodeCount), 0);
  for (std::size_t n = 0; n < around.size(); ++n)
    std::copy(around[n].begin(), around[n].end(), s.nodePatches.begin() + static_cast<std::ptrdiff_t>(n * s.ld));
  return s;
}

TriangleMesh gridMesh(int nx, int ny, Real lx, Real ly) {
  TriangleMesh mesh;
  for (int j = 0; j <= ny; ++j)
    for (int i = 0; i <= nx; ++i) mesh.points.push_back({lx * i / nx, ly * j / ny, 0.0});
  auto id = [&](int i, int j) { return j * (nx + 1) + i; };
  for (int j = 0; j < ny; ++j)
    for (int i = 0; i < nx; ++i) {
      mesh.triangles.push_back({id(i, j), id(i + 1, j), id(i + 1, j + 1)});
      mesh.triangles.push_back({id(i, j), id(i + 1, j + 1), id(i, j + 1)});
    }
  return mesh;
}

TriangleMesh icosphereMesh(int n) {
  const Real t = (1.0 + std::sqrt(5.0)) / 2.0;
  const std::vector<Vec3> v = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
                               {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
  const int faces[20][3] = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11}, {1, 5, 9},  {5, 11, 4},
                            {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6},  {3, 6, 8},
                            {3, 8, 9},  {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
  TriangleMesh mesh;
  std::map<std::tuple<long long, long long, long long>, int> index;
  auto point = [&](const Vec3& x) {
    const auto key = std::make_tuple(std::llround(x[0] * 1e9), std::llround(x[1] * 1e9), std::llround(x[2] * 1e9));
    auto [it, fresh] = index.try_emplace(key, static_cast<int>(mesh.points.size()));
    if (fresh) mesh.points.push_back(x);
    return it->second;
  };
  for (const auto& f : faces) {
    const Vec3 &a = v[f[0]], &b = v[f[1]], &c = v[f[2]];
    auto at = [&](int i, int j) { return point(a + (Real(i) / n) * (b - a) + (Real(j) / n) * (c - a)); };
    for (int i = 0; i < n; ++i)
      for (int j = 0; i + j < n; ++j) {
        mesh.triangles.push_back({at(i, j), at(i + 1, j), at(i, j + 1)});
        if (i + j + 1 < n) mesh.triangles.push_back({at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
      }
  }
  orientOutward(mesh);
  return mesh;
}

TriangleMesh bipyramidMesh(int sides) {
  TriangleMesh mesh;
  mesh.points.push_back({0, 0, 1});
  mesh.points.push_back({0, 0, -1});
  for (int k = 0; k < sides; ++k) {
    const Real a = 2.0 * M_PI * k / sides;
    mesh.points.push_back({std::cos(a), std::sin(a), 0.0});
  }
  for (int k = 0; k < sides; ++k) {
    const int e = 2 + k, f = 2 + (k + 1) % sides;
    mesh.triangles.push_back({e, f, 0});
    mesh.triangles.push_back({f, e, 1});
  }
  orientOutward(mesh);
  return mesh;
}

int TriangleNet::index(int n, int i, int j) { return i * (n + 1) - i * (i - 1) / 2 + j; }

Vec3 TriangleNet::point(Real u, Real v) const {
  std::vector<Vec3> b = points;
  const Real w = 1.0 - u - v;
  for (int r = degree; r >= 1; --r) {
    std::vector<Vec3> next(static_cast<std::size_t>(r * (r + 1) / 2));
    for (int i = 0; i < r; ++i)
      for (int j = 0; i + j < r; ++j)
        next[static_cast<std::size_t>(index(r - 1, i, j))] =
            u * b[static_cast<std::size_t>(index(r, i + 1, j))] + v * b[static_cast<std::size_t>(index(r, i, j + 1))] +
            w * b[static_cast<std::size_t>(index(r, i, j))];
    b = std::move(next);
  }
  return b[0];
}

TriangleNet TriangleNet::du() const {
  TriangleNet d{degree - 1, std::vector<Vec3>(static_cast<std::size_t>(degree * (degree + 1) / 2))};
  for (int i = 0; i < degree; ++i)
    for (int j = 0; i + j < degree; ++j) d.at(i, j) = static_cast<Real>(degree) * (at(i + 1, j) - at(i, j));
  return d;
}

TriangleNet TriangleNet::dv() const {
  TriangleNet d{degree - 1, std::vector<Vec3>(static_cast<std::size_t>(degree * (degree + 1) / 2))};
  for (int i = 0; i < degree; ++i)
    for (int j = 0; i + j < degree; ++j) d.at(i, j) = static_cast<Real>(degree) * (at(i, j + 1) - at(i, j));
  return d;
}

std::array<TriangleNet, 3> subTriangleNets(const std::vector<Real>& samples, const Int* table) {
  static constexpr int kGridI[15] = {4, 3, 3, 2, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0};
  static constexpr int kGridJ[15] = {0, 1, 0, 2, 1, 0, 3, 2, 1, 0, 4, 3, 2, 1, 0};
  std::array<TriangleNet, 3> nets;
  for (int t = 0; t < 3; ++t) {
    nets[t] = TriangleNet{4, std::vector<Vec3>(15)};
    for (int g = 0; g < 15; ++g) {
      const Real* s = samples.data() + table[15 * t + g];
      nets[t].at(kGridI[g], kGridJ[g]) = {s[0], s[1], s[2]};
    }
  }
  return nets;
}

NetFoot nearestOnNet(const TriangleNet& net, const Vec3& p, int samplesPerSide) {
  NetFoot best;
  for (int a = 0; a <= samplesPerSide; ++a)
    for (int b = 0; a + b <= samplesPerSide; ++b) {
      const Real u = Real(a) / samplesPerSide, v = Real(b) / samplesPerSide;
      const Real d = distance(net.point(u, v), p);
      if (d < best.distance) best = {u, v, d, {}};
    }
  // Projected Newton on half the squared distance, with halving while it does not decrease.
  const TriangleNet nu = net.du(), nv = net.dv();
  const TriangleNet nuu = nu.du(), nuv = nu.dv(), nvv = nv.dv();
  auto clampToTriangle = [](Real& u, Real& v) {
    u = std::max(u, 0.0);
    v = std::max(v, 0.0);
    if (u + v > 1.0) {
      const Real s = u + v;
      u /= s;
      v /= s;
    }
  };
  Real u = best.u, v = best.v;
  for (int it = 0; it < 60; ++it) {
    const Vec3 r = net.point(u, v) - p, xu = nu.point(u, v), xv = nv.point(u, v);
    const Real gu = dot(r, xu), gv = dot(r, xv);
    const Real huu = dot(xu, xu) + dot(r, nuu.point(u, v)), huv = dot(xu, xv) + dot(r, nuv.point(u, v)),
               hvv = dot(xv, xv) + dot(r, nvv.point(u, v));
    const Real det = huu * hvv - huv * huv;
    Real du = -gu, dv = -gv;
    if (std::fabs(det) > 1e-300) {
      du = -(hvv * gu - huv * gv) / det;
      dv = -(huu * gv - huv * gu) / det;
    }
    const Real before = std::sqrt(dot(r, r));
    Real step = 1.0, tu = u, tv = v;
    for (int halve = 0; halve < 40; ++halve, step *= 0.5) {
      tu = u + step * du;
      tv = v + step * dv;
      clampToTriangle(tu, tv);
      if (distance(net.point(tu, tv), p) <= before) break;
    }
    const Real moved = std::fabs(tu - u) + std::fabs(tv - v);
    u = tu;
    v = tv;
    if (moved < 1e-15) break;
  }
  best.u = u;
  best.v = v;
  best.x = net.point(u, v);
  best.distance = distance(best.x, p);
  return best;
}

Real distance(const Vec3& a, const Vec3& b) {
  const Vec3 d = a - b;
  return std::sqrt(dot(d, d));
}

}  // namespace zmxtest
