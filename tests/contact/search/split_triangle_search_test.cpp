// The faceted rigid-surface search on one split 6-node triangle, where no sub-quadrilateral holds
// the foot: the centre and the internal edges (centroid to midside node) answer. The oracle is
// the split surface itself, built here from its definition (each sub-quadrilateral bilinear
// through its vertex, the two adjacent midside nodes and the centroid): the nearest point and,
// by finite differences, the smoothed normal (the mean of the unit normals of the
// sub-quadrilaterals that meet there).

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/contact.h"

namespace {

using SplitTriangleSearch = zmxtest::HostFixture;
using V3 = std::array<double, 3>;

V3 add(const V3& a, const V3& b, double s = 1) { return {a[0] + s * b[0], a[1] + s * b[1], a[2] + s * b[2]}; }
V3 sub(const V3& a, const V3& b) { return add(a, b, -1); }
double dot(const V3& a, const V3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
V3 cross(const V3& a, const V3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
V3 unit(const V3& a) {
  const double l = std::sqrt(dot(a, a));
  return {a[0] / l, a[1] / l, a[2] / l};
}

// One 6-node triangle (vertices 1-3, midside nodes 4-6) with every array the search reads.
struct SplitTriangle {
  std::array<V3, 6> x;

  V3 centroid() const {
    V3 c{0, 0, 0};
    for (int j = 0; j < 6; ++j) c = add(c, x[j], j < 3 ? 1.0 / 12 : 0.25);
    return c;
  }
  // Sub-quadrilateral k (1-3) at its bilinear (xi, eta): corners vertex k, the midside node after
  // it, the centroid and the midside node before it.
  V3 at(int k, double xi, double eta) const {
    const V3 corners[4] = {x[k - 1], x[k + 2], centroid(), x[(k + 1) % 3 + 3]};
    const double w[4] = {(1 - xi) * (1 - eta), (1 + xi) * (1 - eta), (1 + xi) * (1 + eta), (1 - xi) * (1 + eta)};
    V3 s{0, 0, 0};
    for (int i = 0; i < 4; ++i) s = add(s, corners[i], w[i] / 4);
    return s;
  }
  // The unit normal of sub-quadrilateral k at (xi, eta) from second-order differences of its
  // points, one-sided towards its inside at the seams xi = 1 and eta = 1.
  V3 normal(int k, double xi, double eta) const {
    const double h = 1e-4;
    const auto slope = [&](bool alongXi) {
      const double v = alongXi ? xi : eta;
      const auto point = [&](double d) { return alongXi ? at(k, v + d, eta) : at(k, xi, v + d); };
      if (v > 1 - 2 * h) return add(add(point(0), point(-h), -4.0 / 3), point(-2 * h), 1.0 / 3);
      return add(point(h), point(-h), -1);  // direction only: the scale cancels in the normal
    };
    return unit(cross(slope(true), slope(false)));
  }
  // The smoothed normal on the internal edge towards midside node m (4-6) at t (0 at the
  // centroid, 1 at the node): the sub-quadrilateral of the vertex before m sees it as xi = 1 and
  // that of the vertex after m as eta = 1, both at 1 - 2t.
  V3 internalEdgeNormal(int m, double t) const {
    const int before = m - 3, after = m - 3 == 3 ? 1 : m - 2;
    return unit(add(normal(before, 1, 1 - 2 * t), normal(after, 1 - 2 * t, 1)));
  }
  V3 centreNormal() const { return unit(add(add(normal(1, 1, 1), normal(2, 1, 1)), normal(3, 1, 1))); }
  V3 internalEdgePoint(int m, double t) const { return add(centroid(), sub(x[m - 1], centroid()), t); }

  struct Result {
    int kind = 0, entity = 0, count = 0;
    std::vector<double> real = std::vector<double>(50, 777.0), slots = std::vector<double>(50, 555.0);
    V3 foot() const { return {real[7], real[8], real[9]}; }
    V3 normal() const { return {real[10], real[11], real[12]}; }
  };

  Result search(const V3& p, double extension, int split = 1) const {
    std::vector<double> coords;
    for (const V3& n : x) coords.insert(coords.end(), n.begin(), n.end());
    const int nf = 1, nodes = 6, ldFacet = 16, ldEdge = 4, ldNodeFacets = 3, offset = 0, three = 3, unused = 0;
    // The facet: 3 edges and 6 nodes, its edges 1-3 in local order; edge k runs from vertex k
    // through midside node k + 3 to the next vertex and is free; every node is on the facet and
    // a free vertex.
    std::vector<int> facets(ldFacet, 0), edges, edgeFacets, nodeFacets, freeVertices;
    facets[0] = 3, facets[1] = nodes;
    for (int k = 1; k <= 3; ++k) {
      facets[2 + k] = k;
      edges.insert(edges.end(), {1, k, k + 3, k % 3 + 1});
      edgeFacets.insert(edgeFacets.end(), {1, 0});
    }
    for (int n = 1; n <= nodes; ++n) {
      facets[6 + n] = n;
      nodeFacets.insert(nodeFacets.end(), {1, 1, 0});
      freeVertices.push_back(n);
    }
    const std::vector<int> elements = {7};
    const int nfree = nodes, quadratic = 1, noDisp = 0;
    const std::vector<double> size = {4.0};
    const double surfaceSize = 4.0, margin = 0.5, scale = 0.0;
    std::vector<double> block(1000, 0.0);
    int capacity = 1000;
    SHR_CREATESRCHDBDEFVSRIGID(&nf, facets.data(), &ldFacet, &offset, coords.data(), &three, block.data(),
                               reinterpret_cast<int*>(block.data()), &capacity, &margin);
    std::vector<double> nodeDistance(nodes), bound(nf);
    std::vector<int> candidates(nf);
    Result r;
    FACETEDRIGIDSURFSEARCH(&nf, elements.data(), facets.data(), &ldFacet, edges.data(), &ldEdge, edgeFacets.data(),
                           nodeFacets.data(), freeVertices.data(), &nfree, size.data(), &surfaceSize, &nodes, &offset,
                           &unused, &ldNodeFacets, p.data(), coords.data(), &three, nodeDistance.data(),
                           bound.data(), candidates.data(), r.slots.data(), r.real.data(), &split, &quadratic,
                           "T6      ", 8, &r.kind, &r.entity, &r.count, &extension, block.data(), &scale, &scale,
                           &noDisp);
    return r;
  }
};

// The nearest point of the split surface by sampling each sub-quadrilateral, coarse and then
// fine around the best coarse sample; returns its distance from p.
double nearestDistance(const SplitTriangle& f, const V3& p) {
  double best = 1e300;
  for (int k = 1; k <= 3; ++k) {
    double bx = 0, by = 0, local = 1e300;
    const auto scan = [&](double x0, double y0, double half, int steps) {
      for (int i = 0; i <= steps; ++i)
        for (int j = 0; j <= steps; ++j) {
          const double xi = std::clamp(x0 - half + 2 * half * i / steps, -1.0, 1.0);
          const double eta = std::clamp(y0 - half + 2 * half * j / steps, -1.0, 1.0);
          const V3 d = sub(f.at(k, xi, eta), p);
          if (dot(d, d) < local) local = dot(d, d), bx = xi, by = eta;
        }
    };
    scan(0, 0, 1, 100);
    scan(bx, by, 0.03, 100);
    best = std::min(best, std::sqrt(local));
  }
  return best;
}

// Node coordinates from a base shape in the plane (centroid at the origin, vertices at radius 2,
// anticlockwise) and heights, relabelled so that vertex 1 of the shape becomes vertex `first`.
SplitTriangle shaped(const std::function<double(double, double)>& height, int first) {
  const double r3 = std::sqrt(3.0);
  const double plane[6][2] = {{1, -r3}, {1, r3}, {-2, 0}, {1, 0}, {-0.5, r3 / 2}, {-0.5, -r3 / 2}};
  SplitTriangle f;
  for (int j = 0; j < 6; ++j) {
    const int vertex = j < 3 ? j : j - 3;
    const int target = (vertex + first - 1) % 3 + (j < 3 ? 0 : 3);
    f.x[target] = {plane[j][0], plane[j][1], height(plane[j][0], plane[j][1])};
  }
  return f;
}

TEST_F(SplitTriangleSearch, InternalEdgesAndTheCentreAnswerWithTheSmoothedSurfacesNormal) {
  // A roof along the internal edge towards the midside node between the shape's vertices 1 and
  // 2, twisted along that edge so strongly that its smoothed normal turns by more than a right
  // angle from one end of the edge to the other: a normal taken at the wrong point of the edge
  // turns the sign of the answer. Points over the ridge (and, roof turned over, behind it) have
  // their nearest point on the internal edge; every internal edge in turn, by relabelling.
  for (const double fold : {0.8, -0.8}) {
    const auto roof = [fold](double x, double y) { return -fold * std::fabs(y) + 3.0 * (2 * x - 1) * y; };
    for (int first = 1; first <= 3; ++first) {
      const SplitTriangle f = shaped(roof, first);
      const int m = first + 3;  // the midside node after the shape's vertex 1
      for (const double t : {0.3, 0.7, 0.8, 0.85}) {
        const V3 q = f.internalEdgePoint(m, t), n = f.internalEdgeNormal(m, t);
        ASSERT_LT(dot(n, f.internalEdgeNormal(m, 1 - t)), -0.2);  // the test's premise
        for (const double h : {0.02, 0.05, 0.1}) {
          const double offset = fold > 0 ? h : -h;  // on the ridge's side
          const V3 p = add(q, n, offset);
          const std::string where = "fold " + std::to_string(fold) + " edge " + std::to_string(m) + " t " +
                                    std::to_string(t) + " h " + std::to_string(h);
          ASSERT_NEAR(nearestDistance(f, p), h, 1e-6) << where;  // the oracle's premise
          const auto r = f.search(p, 0.0);
          ASSERT_EQ(r.kind, 5) << where;
          EXPECT_EQ(r.entity, 10 + m) << where;
          EXPECT_EQ(rec::slotI(r.slots.data(), 45), 5);
          EXPECT_EQ(rec::slotI(r.slots.data(), 46), 10 + m);
          EXPECT_NEAR(r.real[42], t, 1e-12) << where;
          // In front of the surface negative, behind it positive; the normal on the side of the
          // smoothed normal.
          EXPECT_NEAR(r.real[0], -offset, 1e-12) << where;
          for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(r.foot()[i], q[i], 1e-12) << where;
            EXPECT_NEAR(r.normal()[i], n[i], 1e-9) << where;
          }
        }
      }
    }
  }

  // A peak at the centroid: the midside nodes below it, the vertices above them. A point over
  // the peak along the mean normal of the three sub-quadrilaterals has the centroid nearest.
  const auto peak = [](double x, double y) { return std::hypot(x, y) > 1.5 ? 0.2 : -1.0; };
  for (int first = 1; first <= 3; ++first) {
    const SplitTriangle f = shaped(peak, first);
    const V3 c = f.centroid(), n = f.centreNormal();
    for (const double h : {0.02, 0.1}) {
      const V3 p = add(c, n, h);
      ASSERT_NEAR(nearestDistance(f, p), h, 1e-6) << h;
      const auto r = f.search(p, 0.0);
      ASSERT_EQ(r.kind, 4) << h;
      EXPECT_EQ(r.entity, 1);
      EXPECT_EQ(rec::slotI(r.slots.data(), 45), 4);
      EXPECT_NEAR(r.real[0], -h, 1e-12);
      for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(r.foot()[i], c[i], 1e-12);
        EXPECT_NEAR(r.normal()[i], n[i], 1e-9);
      }
    }
  }
}

// Beside a free edge of the flat split triangle a half of the edge answers, extended along the
// normal within the extension (the facet size 4 times it: 0.4 for 0.1, which keeps the face
// itself within 0.1 of its sub-facets) and cleared beyond it; so is a free vertex beyond it.
TEST_F(SplitTriangleSearch, FreeEdgesAndVerticesStandWithinTheExtension) {
  const SplitTriangle f = shaped([](double, double) { return 0.0; }, 1);  // normal +z
  const double r3 = std::sqrt(3.0);
  // Beside edge 1 (x = 1, from vertex 1 through node 4 to vertex 2): its second half at 0.4 / r3.
  const V3 beside{1.3, 0.4, 0.2};
  auto r = f.search(beside, 0.1);
  EXPECT_EQ(std::make_pair(r.kind, r.entity), std::make_pair(2, 1));
  EXPECT_EQ(rec::slotI(r.slots.data(), 45), 2);
  EXPECT_NEAR(r.real[0], -0.2, 1e-14);
  EXPECT_NEAR(r.real[42], 0.5 + 0.5 * 0.4 / r3, 1e-14);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(r.foot()[i], i < 2 ? beside[i] : 0.0, 1e-14);
  // Without an extension: beside the edge, and beyond vertex 1 (1, -r3) off both its edges.
  for (const V3& p : {beside, V3{1.3, -r3 - 0.3, 0.2}}) {
    r = f.search(p, 0.0);
    EXPECT_EQ(std::make_tuple(r.kind, r.entity, r.count), std::make_tuple(0, 0, 0));
    EXPECT_EQ(r.real[0], -1e36);
    EXPECT_EQ(rec::slotI(r.slots.data(), 45), 0);
    EXPECT_EQ(rec::slotI(r.slots.data(), 46), 0);
  }
}

// Unsplit, a 6-node triangle without a normal at its centroid (where the projection starts:
// x5 - x6 = (x1 - x2) / 4 makes the first tangent vanish there) is projected again on its corner
// nodes, which find the face without a message and mark it in slot 48. Corners on a line fail
// that too: the second facet message.
TEST_F(SplitTriangleSearch, UnsplitQuadraticFacetWithoutNormalIsRetriedOnItsCorners) {
  SplitTriangle f;
  f.x = {V3{0, 0, 0}, V3{1, 0, 0}, V3{0, 1, 0}, V3{0.5, 0, 0}, V3{0.5, 0.5, 0}, V3{0.75, 0.5, 0}};
  eqc_testing::clearMessages();
  eqc_testing::setEcho(false);
  auto r = f.search({0.2, 0.2, 0.3}, 0.1, 0);
  EXPECT_EQ(std::make_pair(r.kind, r.entity), std::make_pair(3, 1));
  EXPECT_NEAR(r.real[0], -0.3, 1e-14);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(r.foot()[i], i < 2 ? 0.2 : 0.0, 1e-14);
  EXPECT_EQ(rec::slotI(r.slots.data(), 48), 1);
  EXPECT_TRUE(eqc_testing::messages().empty());

  SplitTriangle line;
  line.x = {V3{0, 0, 0}, V3{1, 0, 0}, V3{2, 0, 0}, V3{0.5, 0, 0}, V3{1.5, 0, 0}, V3{1, 0, 0}};
  r = line.search({0.5, 0.2, 0.3}, 0.1, 0);
  EXPECT_EQ(eqc_testing::filed(-2123), std::vector<int>{7});
  EXPECT_TRUE(eqc_testing::printed("A FACET OF SURFACE T6 WITH UNDERLYING ELEMENT 7 HAS A ZERO TANGENT VECTOR"));
  int none = 0;
  msgaccessC(4, &none, 0);
  eqc_testing::clearMessages();
  eqc_testing::setEcho(true);
}

}  // namespace
