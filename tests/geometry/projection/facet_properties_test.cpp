// Facet properties against central differences for every kind, and the smoothed normal field on
// an exact cylinder with radial nodal normals.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/geometry/cylinders/cylinder_model.h"
#include "tests/support/host_fixture.h"
#include "zmx/geometry.h"

namespace {

using FacetProperties = zmxtest::HostFixture;

struct Props {
  double point[3], normal[3], t[6], d2[12];
  int status;
};

Props props(const std::vector<double>& x, int n, double xi, double eta, bool sub, int k, bool cyl,
            const std::array<double, 4>& c, int ld = 3) {
  Props p{};
  const int mode = 0;
  const Logical s = toLogical(sub), cy = toLogical(cyl);
  FACET_3D_FACETFACE_PROP(&mode, &xi, &eta, &n, &s, &k, &cy, c.data(), x.data(), &ld, p.point, p.normal, p.t, p.d2,
                          &p.status);
  return p;
}

TEST_F(FacetProperties, TangentsNormalsAndSecondDerivativesMatchDifferences) {
  std::mt19937 rng(31);
  std::uniform_real_distribution<double> d(-1, 1);
  struct Kind {
    int n;
    bool sub, cyl;
    std::array<double, 4> c;
    double lo, hi;  // range of eta
  };
  const std::vector<Kind> kinds = {{3, false, false, {}, 0.1, 0.4},  {4, false, false, {}, -0.9, 0.9},
                                   {6, false, false, {}, 0.1, 0.4},  {6, true, false, {}, -0.9, 0.9},
                                   {8, false, false, {}, -0.9, 0.9}, {9, false, false, {}, -0.9, 0.9},
                                   {6, false, true, {0.8, 0.35, 0.45, 0}, 0.1, 0.7},
                                   {9, false, true, {0.8, 0.35, 0.45, 0.4}, 0.1, 0.7},
                                   {6, false, true, {0, 0, 0, 0}, -0.9, 0.9}};
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(std::to_string(kind.n) + (kind.sub ? " sub" : "") + (kind.cyl ? " cylindrical" : ""));
    std::vector<double> x(3 * kind.n);
    for (int j = 0; j < kind.n; ++j) x[3 * j] = d(rng) + j, x[3 * j + 1] = d(rng) + j % 3, x[3 * j + 2] = 0.3 * d(rng);
    for (int trial = 0; trial < 8; ++trial) {
      const double xi = kind.n == 3 || (kind.n == 6 && !kind.sub && !kind.cyl) ? 0.1 + 0.3 * (d(rng) + 1) / 2 : 0.9 * d(rng);
      const double eta = kind.lo + (kind.hi - kind.lo) * (d(rng) + 1) / 2;
      const int k = 1 + trial % 3;
      const Props p = props(x, kind.n, xi, eta, kind.sub, k, kind.cyl, kind.c);
      ASSERT_EQ(p.status, 0);
      // The same nodes held with a leading dimension of 4, a fourth row that must not be read.
      std::vector<double> x4;
      for (int j = 0; j < kind.n; ++j) x4.insert(x4.end(), {x[3 * j], x[3 * j + 1], x[3 * j + 2], 1e300});
      const Props q = props(x4, kind.n, xi, eta, kind.sub, k, kind.cyl, kind.c, 4);
      EXPECT_EQ(std::vector<double>(q.point, q.point + 3), std::vector<double>(p.point, p.point + 3));
      EXPECT_EQ(std::vector<double>(q.t, q.t + 6), std::vector<double>(p.t, p.t + 6));
      EXPECT_EQ(std::vector<double>(q.d2, q.d2 + 12), std::vector<double>(p.d2, p.d2 + 12));
      const double h = 1e-6;
      const Props px = props(x, kind.n, xi + h, eta, kind.sub, k, kind.cyl, kind.c);
      const Props mx = props(x, kind.n, xi - h, eta, kind.sub, k, kind.cyl, kind.c);
      const Props pe = props(x, kind.n, xi, eta + h, kind.sub, k, kind.cyl, kind.c);
      const Props me = props(x, kind.n, xi, eta - h, kind.sub, k, kind.cyl, kind.c);
      for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(p.t[i], (px.point[i] - mx.point[i]) / (2 * h), 1e-7);
        EXPECT_NEAR(p.t[3 + i], (pe.point[i] - me.point[i]) / (2 * h), 1e-7);
        EXPECT_NEAR(p.d2[i], (px.t[i] - mx.t[i]) / (2 * h), 1e-6);
        EXPECT_NEAR(p.d2[3 + i], (pe.t[i] - me.t[i]) / (2 * h), 1e-6);
        EXPECT_NEAR(p.d2[6 + i], (px.t[3 + i] - mx.t[3 + i]) / (2 * h), 1e-6);
        EXPECT_NEAR(p.d2[9 + i], (pe.t[3 + i] - me.t[3 + i]) / (2 * h), 1e-6);
      }
      const double c[3] = {p.t[1] * p.t[5] - p.t[2] * p.t[4], p.t[2] * p.t[3] - p.t[0] * p.t[5],
                           p.t[0] * p.t[4] - p.t[1] * p.t[3]};
      const double l = std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(p.normal[i], c[i] / l, 1e-14);
    }
  }
  // A node count of no facet takes the 9-node functions in the facet-point routine.
  {
    std::vector<double> x(27);
    for (int j = 0; j < 9; ++j) x[3 * j] = d(rng) + j, x[3 * j + 1] = d(rng) + j % 3, x[3 * j + 2] = 0.3 * d(rng);
    const int mode = 0, ld = 3, k = 0, nine = 9, seven = 7;
    const Logical no = kFalse;
    const double xi = 0.3, eta = -0.6;
    double a[12], b[12];
    int status = 7;
    FACET_3D_LINETOFACE_PROP(&mode, &xi, &eta, &nine, &no, &k, x.data(), &ld, a, a + 3, a + 6, &status);
    FACET_3D_LINETOFACE_PROP(&mode, &xi, &eta, &seven, &no, &k, x.data(), &ld, b, b + 3, b + 6, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(std::vector<double>(b, b + 12), std::vector<double>(a, a + 12));
    // The smoothed-normal evaluator of a triangle and a quadrilateral with nodes and normals held
    // with a leading dimension of 4: the same bits as with 3.
    for (const int nodes : {3, 4}) {
      std::vector<double> x4, v3, v4;
      for (int j = 0; j < nodes; ++j) {
        const double normal[3] = {0.1 * j, -0.05 * j, 1.0};
        x4.insert(x4.end(), {x[3 * j], x[3 * j + 1], x[3 * j + 2], 1e300});
        v3.insert(v3.end(), normal, normal + 3);
        v4.insert(v4.end(), {normal[0], normal[1], normal[2], 1e300});
      }
      const double c4[4] = {}, at[2] = {0.2, 0.3};
      double out[2][39];
      for (const int width : {3, 4}) {
        double reference[3] = {0, 0, 1}, d1[3] = {1, 0, 0}, d2[3] = {0, 1, 0};
        double* o = out[width - 3];
        FACET_3D_FACE_PROP(&mode, &at[0], &at[1], &nodes, &no, &k, &no, c4, width == 3 ? x.data() : x4.data(), &width,
                           width == 3 ? v3.data() : v4.data(), &width, reference, d1, d2, o, o + 3, o + 9, o + 12,
                           o + 18, o + 24, &status);
        EXPECT_EQ(status, 0);
      }
      EXPECT_EQ(std::vector<double>(out[1], out[1] + 36), std::vector<double>(out[0], out[0] + 36)) << nodes;
    }
  }
  // Two dimensions: a straight 3-node line through its quadratic functions or either half.
  const std::vector<double> line = {0, 0, 1, 1, 2, 2};
  const int mode = 0, n = 3, ld = 2;
  double point[2], normal[2], tangent[2], second[2];
  int status;
  const Logical no = kFalse, yes = kTrue;
  for (const auto& [xi, halves, half, along] : {std::tuple{0.5, no, 1, 0.5}, {0.0, yes, 2, 0.5}, {-0.5, no, 1, -0.5},
                                                {0.0, yes, 1, -0.5}}) {
    FACET_2D_FACETFACE_PROP(&mode, &xi, &n, &halves, &half, line.data(), &ld, point, normal, tangent, second, &status);
    EXPECT_DOUBLE_EQ(point[0], 1 + along);
    EXPECT_DOUBLE_EQ(normal[0], -std::sqrt(0.5));
    EXPECT_DOUBLE_EQ(normal[1], std::sqrt(0.5));
  }
  // Mode 1 writes the point only.
  double untouched[2] = {42, 42};
  const int pointOnly = 1;
  const double at = 0.25;
  FACET_2D_LINETOFACE_PROP(&pointOnly, &at, &n, &no, &mode, line.data(), &ld, point, untouched, untouched, &status);
  EXPECT_EQ(untouched[0], 42.0);
}

// The 3- and 4-node facets take a short way to their properties. It must sum the shape functions
// in the order of every other facet, bit for bit, or projections onto them would change: the
// general sum of FACET_DERIV is the reference, on facets from 1e-3 to 1e3 across.
TEST_F(FacetProperties, TrianglesAndQuadrilateralsGiveTheBitsOfTheGeneralSum) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> d(-1, 1);
  const auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
  for (const int n : {3, 4}) {
    for (int trial = 0; trial < 200; ++trial) {
      std::vector<double> x(3 * n);
      for (double& v : x) v = d(rng) * std::pow(10.0, trial % 7 - 3);
      const double xi = 1.5 * d(rng), eta = 1.5 * d(rng);
      const Props p = props(x, n, xi, eta, false, 0, false, {});
      double rows[18];
      const Int k = 0;
      const Logical no = kFalse;
      const double cylinder[4] = {};
      FACET_DERIV(x.data(), &n, &xi, &eta, rows, &k, &no, cylinder);
      for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(same(p.point[i], rows[i]));
        EXPECT_TRUE(same(p.t[i], rows[3 + i]) && same(p.t[3 + i], rows[6 + i]));
        EXPECT_TRUE(same(p.d2[i], rows[9 + i]) && same(p.d2[9 + i], rows[15 + i]));
        EXPECT_TRUE(same(p.d2[3 + i], rows[12 + i]) && same(p.d2[6 + i], rows[12 + i]));
      }
    }
  }
}

TEST_F(FacetProperties, TheNormalFieldOfACylinderIsRadial) {
  std::mt19937 rng(2);
  std::uniform_real_distribution<double> d(0, 1);
  for (int trial = 0; trial < 20; ++trial) {
    const cylinder_model::Cylinder c(rng);
    const int n = trial % 2 == 0 ? 6 : 9;
    const double total = 0.3 + 1.2 * d(rng), mid = total * (0.3 + 0.4 * d(rng));
    std::vector<std::array<double, 2>> at = {{-1, 0}, {1, 0}, {1, total}, {-1, total}};
    if (n == 6)
      at.insert(at.end(), {{1, mid}, {-1, mid}});
    else
      at.insert(at.end(), {{0, 0}, {1, mid}, {0, total}, {-1, mid}, {0, mid}});
    std::vector<double> x, v;
    for (const auto& a : at) {
      const auto p = c.at(a[1], a[0]), axisPoint = c.at(a[1], a[0], 0.0);
      x.insert(x.end(), p.begin(), p.end());
      for (int i = 0; i < 3; ++i) v.push_back((p[i] - axisPoint[i]) / c.radius);
    }
    const std::array<double, 4> record = {total, mid, mid, mid};
    const double xi = 1.8 * d(rng) - 0.9, eta = total * d(rng);
    const int mode = 0, ld = 3, k = 1;
    const Logical no = kFalse, yes = kTrue;
    double reference[3] = {c.axis[0], c.axis[1], c.axis[2]};
    double d1[3] = {c.u[0], c.u[1], c.u[2]}, d2[3] = {c.v[0], c.v[1], c.v[2]};
    double point[3], tangents[6], normal[3], dn[6], directions[6], curvature[12];
    int status = 9;
    FACET_3D_FACE_PROP(&mode, &xi, &eta, &n, &no, &k, &yes, record.data(), x.data(), &ld, v.data(), &ld, reference, d1,
                       d2, point, tangents, normal, dn, directions, curvature, &status);
    ASSERT_EQ(status, 0);
    const auto foot = c.at(eta, xi), axisPoint = c.at(eta, xi, 0.0);
    const double er[3] = {(foot[0] - axisPoint[0]) / c.radius, (foot[1] - axisPoint[1]) / c.radius,
                          (foot[2] - axisPoint[2]) / c.radius};
    const double theta = c.origin + eta;
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(point[i], foot[i], 1e-12 * (1 + c.radius));
      EXPECT_NEAR(normal[i], er[i], 1e-12);
      EXPECT_NEAR(dn[i], 0.0, 1e-12);  // along the axis the normal does not turn
      // d n / d theta = the circumferential unit vector.
      EXPECT_NEAR(dn[3 + i], -std::sin(theta) * c.u[i] + std::cos(theta) * c.v[i], 1e-12);
    }
    // Curvature terms -(d . dn) n.
    for (int a = 0; a < 2; ++a)
      for (int b = 0; b < 2; ++b) {
        double along = 0;
        for (int i = 0; i < 3; ++i) along += directions[3 * b + i] * dn[3 * a + i];
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(curvature[3 * (2 * a + b) + i], -along * normal[i], 1e-14);
      }
  }
  // No normal at the nodes: status 1; a 6-node triangle reads only the vertex normals.
  const std::vector<double> x = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0.5, 0, 0, 0.5, 0.5, 0, 0, 0.5, 0};
  std::vector<double> v(18, 0.0);
  const int mode = 0, ld = 3, n = 6, k = 0;
  const Logical no = kFalse;
  const double xi = 0.2, eta = 0.3, c4[4] = {};
  double reference[3] = {0, 0, 1}, d1[3] = {1, 0, 0}, d2[3] = {0, 1, 0};
  double point[3], tangents[6], normal[3] = {7, 7, 7}, dn[6], directions[6], curvature[12];
  int status = 0;
  FACET_3D_FACE_PROP(&mode, &xi, &eta, &n, &no, &k, &no, c4, x.data(), &ld, v.data(), &ld, reference, d1, d2, point,
                     tangents, normal, dn, directions, curvature, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(normal[0], 7.0);
  for (int j = 3; j < 6; ++j) v[3 * j] = 1.0;  // midside normals, ignored
  for (int j = 0; j < 3; ++j) v[3 * j + 2] = 1.0;
  FACET_3D_FACE_PROP(&mode, &xi, &eta, &n, &no, &k, &no, c4, x.data(), &ld, v.data(), &ld, reference, d1, d2, point,
                     tangents, normal, dn, directions, curvature, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(normal[0], 0.0);
  EXPECT_EQ(normal[2], 1.0);
}

// Curved 6- and 9-node cylindrical facets, their nodes moved off the cylinder, with every midside
// angle its own: the point, derivatives, normal and smoothed normal field of FACET_DERIV,
// FACET_3D_FACETFACE_PROP and FACET_3D_FACE_PROP against the closed-form arc functions of the
// record. A 6-node facet's record holds its three reals only.
TEST_F(FacetProperties, CurvedCylindricalFacetsFollowTheArcsOfTheirAngleRecord) {
  std::mt19937 rng(54);
  std::uniform_real_distribution<double> d(0, 1);
  using cylinder_model::dot;
  for (int trial = 0; trial < 300; ++trial) {
    const cylinder_model::Cylinder c(rng);
    const int n = trial % 2 == 0 ? 6 : 9, ld = 3, mode = 0, k = 0;
    const double total = 0.2 + 2.4 * d(rng);
    std::vector<double> record = {total, total * (0.2 + 0.6 * d(rng)), total * (0.2 + 0.6 * d(rng))};
    if (n == 9) record.push_back(total * (0.2 + 0.6 * d(rng)));
    std::vector<double> x = cylinder_model::facetNodes(c, n, total, {record.begin() + 1, record.end()}, d(rng), 1);
    for (double& v : x) v += 0.2 * (d(rng) - 0.5);
    const double xi = 2 * d(rng) - 1, eta = total * (1.2 * d(rng) - 0.1);
    const auto f = cylinder_model::facetFunctions(n, record.data(), xi, eta);
    double want[18] = {}, w[9] = {}, scale = 1;  // rows of f times x; w the same over the normals
    std::vector<double> v(3 * n);
    for (double& e : v) e = d(rng) - 0.5;
    for (int j = 0; j < n; ++j) v[3 * j] += 2;  // the normals lean one way
    for (int r = 0; r < 6; ++r)
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < 3; ++i) {
          want[3 * r + i] += f[r][j] * x[3 * j + i];
          if (r < 3) w[3 * r + i] += f[r][j] * v[3 * j + i];
        }
    for (double e : x) scale = std::max(scale, std::fabs(e));
    const double tol = 1e-11 * scale / std::min(1.0, total * total);
    double rows[18];
    const Logical yes = kTrue, no = kFalse;
    FACET_DERIV(x.data(), &n, &xi, &eta, rows, &k, &yes, record.data());
    for (int i = 0; i < 18; ++i) ASSERT_NEAR(rows[i], want[i], tol) << trial << " " << i;
    Props p{};
    FACET_3D_FACETFACE_PROP(&mode, &xi, &eta, &n, &no, &k, &yes, record.data(), x.data(), &ld, p.point, p.normal, p.t,
                            p.d2, &p.status);
    const std::array<double, 3> t1 = {want[3], want[4], want[5]}, t2 = {want[6], want[7], want[8]};
    const auto normal = cylinder_model::cross(t1, t2);
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(p.point[i], want[i], tol);
      EXPECT_NEAR(p.t[i], want[3 + i], tol);
      EXPECT_NEAR(p.t[3 + i], want[6 + i], tol);
      EXPECT_NEAR(p.normal[i], normal[i] / cylinder_model::norm(normal), 1e-10);
      EXPECT_NEAR(p.d2[i], want[9 + i], tol);
      EXPECT_NEAR(p.d2[3 + i], want[12 + i], tol);
      EXPECT_NEAR(p.d2[6 + i], want[12 + i], tol);
      EXPECT_NEAR(p.d2[9 + i], want[15 + i], tol);
    }
    // The smoothed normal: m = w / |w|, dm = (dw - (m . dw) m) / |w|; the reference directions
    // turned about reference x m by the angle between them; curvature terms -(d . dm) m.
    double reference[3] = {c.axis[0], c.axis[1], c.axis[2]}, d1[3] = {c.u[0], c.u[1], c.u[2]};
    const double d2[3] = {c.v[0], c.v[1], c.v[2]};
    const std::array<double, 3> ref = {reference[0], reference[1], reference[2]};
    double point[3], tangents[6], m[3], dm[6], directions[6], curvature[12];
    int status = 9;
    FACET_3D_FACE_PROP(&mode, &xi, &eta, &n, &no, &k, &yes, record.data(), x.data(), &ld, v.data(), &ld, reference, d1,
                       d2, point, tangents, m, dm, directions, curvature, &status);
    ASSERT_EQ(status, 0);
    const double lw = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
    std::array<double, 3> unit = {w[0] / lw, w[1] / lw, w[2] / lw};
    auto axis = cylinder_model::cross(ref, unit);
    const double sine = cylinder_model::norm(axis), cosine = dot(ref, unit);
    for (double& e : axis) e /= sine;
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(point[i], want[i], tol);
      EXPECT_NEAR(tangents[i], want[3 + i], tol);
      EXPECT_NEAR(tangents[3 + i], want[6 + i], tol);
      EXPECT_NEAR(m[i], unit[i], 1e-12);
    }
    for (int a = 0; a < 2; ++a) {
      const double* dw = w + 3 * (a + 1);
      const double along = unit[0] * dw[0] + unit[1] * dw[1] + unit[2] * dw[2];
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(dm[3 * a + i], (dw[i] - along * unit[i]) / lw, 1e-10 * scale / total);
      const std::array<double, 3> r = a == 0 ? std::array<double, 3>{c.u[0], c.u[1], c.u[2]}
                                             : std::array<double, 3>{c.v[0], c.v[1], c.v[2]};
      const auto ar = cylinder_model::cross(axis, r);
      for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(directions[3 * a + i], r[i] * cosine + ar[i] * sine + axis[i] * dot(axis, r) * (1 - cosine), 1e-10);
    }
    for (int a = 0; a < 2; ++a)
      for (int b = 0; b < 2; ++b) {
        double along = 0;
        for (int i = 0; i < 3; ++i) along += directions[3 * b + i] * dm[3 * a + i];
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(curvature[3 * (2 * a + b) + i], -along * m[i], 1e-12);
      }
  }
}

}  // namespace
