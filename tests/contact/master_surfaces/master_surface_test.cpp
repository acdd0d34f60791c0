// The closest contact on element-based master surfaces against brute force over their facets, the
// three projections against one another, and the boundary, lookup and message rules.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <tuple>

#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/testing.h"
#include "tests/contact/master_surfaces/master_surface_harness.h"

namespace {

using namespace master_test;

// Each answer against the exact closest point. A face projection may stand up to 0.001 of the
// facet's coordinate range beyond a shared edge, on the facet's extension: the answer's point lies
// on the surface or that close to it, it is never farther than the exact distance, and nearer only
// by how far its point lies off the surface. The sign is negative on the side the normal points
// to; only PROJ_RESULT and slots 16-19 are written.
void expectClosest(const Surface& s, const Vec& p, const Answer& a, double h) {
  const double tolerance = 1e-9 * h;
  const double d = norm(p - bruteClosest(s, p));
  ASSERT_NE(a.kind, 0);
  const double off = norm(a.point() - bruteClosest(s, a.point()));
  EXPECT_LE(off, 1e-3 * h);
  EXPECT_LE(std::fabs(a.distance()), d + tolerance);
  EXPECT_GE(std::fabs(a.distance()), d - off - tolerance);
  EXPECT_NEAR(norm(p - a.point()), std::fabs(a.distance()), tolerance);
  if (d > 1e-9) {
    EXPECT_NEAR(dot(a.normal(), p - a.point()), -a.distance(), 1e-9);
  }
  EXPECT_EQ(a.slots[0], a.kind);
  EXPECT_EQ(a.slots[1], a.entity);
  for (int k = 1; k <= kStateSlots; ++k) {
    if (k < 16 || k > 19) {
      EXPECT_EQ(a.state[static_cast<std::size_t>(k - 1)], kStateFill) << "slot " << k;
    }
  }
}

// A surface of the nodes and facets given, built; quadratic when its edges carry middle nodes.
Surface built(std::vector<Vec> coords, std::vector<Facet> facets, bool quadratic = false) {
  Surface s;
  s.coords = std::move(coords);
  s.facets = std::move(facets);
  s.quadratic = quadratic;
  s.build();
  return s;
}

// Empties the message log and the message accumulator, for the next case or test in this process.
void clearAllMessages() {
  int none = 0;
  msgaccessC(4, &none, 0);
  eqc_testing::clearMessages();
}

// Points within half an edge length of the surface: a random point of a random facet moved along
// a random direction.
std::vector<Vec> nearPoints(const Surface& s, std::mt19937& rng, int count, double reach) {
  std::uniform_int_distribution<std::size_t> facet(0, s.facets.size() - 1);
  std::uniform_real_distribution<double> u(0.0, 1.0), d(-1.0, 1.0);
  std::vector<Vec> points;
  for (int i = 0; i < count; ++i) {
    const Facet& f = s.facets[facet(rng)];
    double a = u(rng), b = u(rng);
    if (a + b > 1) a = 1 - a, b = 1 - b;
    const Vec on = s.at(f.nodes[0]) + a * (s.at(f.nodes[1]) - s.at(f.nodes[0])) + b * (s.at(f.nodes[2]) - s.at(f.nodes[0]));
    Vec dir{d(rng), d(rng), d(rng)};
    points.push_back(on + (reach * u(rng) / norm(dir)) * dir);
  }
  return points;
}

void checkSurface(Surface s, double h, unsigned seed) {
  s.build();
  std::mt19937 rng(seed);
  const std::vector<Vec> points = nearPoints(s, rng, 300, 0.5 * h);
  Work w(s);
  for (bool tree : {true, false}) {
    SCOPED_TRACE(tree ? "tree" : "no tree");
    if (tree) loadTree(s, h);
    for (const Vec& p : points) expectClosest(s, p, project(s, w, p, Answer{}), h);
    freeTree();
  }
  // Warm: each search starts from the previous contact, along a path of small steps.
  Answer previous;
  Vec p = points[0];
  for (int step = 0; step < 400; ++step) {
    std::uniform_real_distribution<double> d(-0.2 * h, 0.2 * h);
    p = p + Vec{d(rng), d(rng), d(rng)};
    const Vec q = bruteClosest(s, p);
    if (norm(p - q) > 0.5 * h) p = q + (0.4 * h / norm(p - q)) * (p - q);
    previous = project(s, w, p, previous);
    expectClosest(s, p, previous, h);
  }
}

TEST(MasterSurface, BoxOfPlanarQuadrilateralsMatchesTheExactClosestPoint) {
  checkSurface(box(6, 2.0, 1.5, 1.0), 2.0 / 6, 1);
}

TEST(MasterSurface, TorusOfTrianglesMatchesTheExactClosestPoint) {
  checkSurface(torus(36, 18, 2.0, 0.6), 0.2, 2);
}

// Whether a warm answer at p is as near as the exact closest point (a face projection may be
// nearer only by its 0.001 parametric tolerance beyond an edge) and as near as the cold answer,
// which measures every facet.
::testing::AssertionResult warmAgrees(const Surface& s, Work& w, const Vec& p, const Answer& warm, double h) {
  const Answer cold = project(s, w, p, Answer{});
  const double exact = norm(p - bruteClosest(s, p)), dw = std::fabs(warm.distance());
  if (warm.kind != 0 && dw <= exact + 1e-9 * h && (dw >= exact - 1e-9 * h || (warm.kind == 3 && dw >= exact - 0.002 * h)) &&
      dw <= std::fabs(cold.distance()) + 1e-9 * h)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "warm " << dw << " (kind " << warm.kind << "), cold " << cold.distance()
                                       << ", exact " << exact;
}

// Warm searches along free paths of small steps on a cube, inside and outside, near its edges and
// corners: the walk from the previous contact can stop on one face of an edge while the closest
// point lies on the other. The cube lies along the axes, where the corner box of a facet is the
// facet itself, and turned about a skew axis, where the boxes reach beyond the facets and flat
// candidates are passed by their exact distances.
TEST(MasterSurface, WarmAlongPathsOfSmallStepsOnACubeFindsTheExactClosestPoint) {
  const int m = 8;
  const double h = 1.0 / m;
  const double a = 0.7, b = 0.5, c = 0.3;  // turns about x, y and z
  const auto turn = [&](const Vec& v) {
    const Vec x{v[0], std::cos(a) * v[1] - std::sin(a) * v[2], std::sin(a) * v[1] + std::cos(a) * v[2]};
    const Vec y{std::cos(b) * x[0] + std::sin(b) * x[2], x[1], -std::sin(b) * x[0] + std::cos(b) * x[2]};
    return Vec{std::cos(c) * y[0] - std::sin(c) * y[1], std::sin(c) * y[0] + std::cos(c) * y[1], y[2]};
  };
  for (const bool turned : {false, true}) {
    SCOPED_TRACE(turned ? "turned" : "along the axes");
    Surface s = box(m, 1.0, 1.0, 1.0);
    if (turned)
      for (Vec& v : s.coords) v = turn(v);
    s.build();
    Work w(s);
    std::mt19937 rng(16);
    std::uniform_real_distribution<double> d(-1.0, 1.0);
    int misses = 0;
    for (int path = 0; path < 150 && misses <= 5; ++path) {
      // A start near an edge of the cube, then a free walk of steps 0.2 h.
      Vec p{0.5 + 0.5 * std::copysign(1.0, d(rng)), 0.5 + 0.5 * std::copysign(1.0, d(rng)), 0.5 + 0.5 * d(rng)};
      std::rotate(p.begin(), p.begin() + path % 3, p.end());
      p = p + Vec{0.5 * h * d(rng), 0.5 * h * d(rng), 0.5 * h * d(rng)};
      Answer warm;
      for (int step = 0; step < 60 && misses <= 5; ++step) {
        const Vec e{d(rng), d(rng), d(rng)};
        p = p + (0.2 * h / norm(e)) * e;
        const Vec q = turned ? turn(p) : p;
        warm = project(s, w, q, warm);
        const auto agrees = warmAgrees(s, w, q, warm, h);
        if (!agrees) ++misses;
        EXPECT_TRUE(agrees) << "path " << path << " step " << step;
      }
    }
  }
}

// Deep inside a cube, several facets from two faces that meet at a right angle: a point moves
// from nearer the one face to nearer the other, and the warm search, which starts on the face that
// is now farther, must cross the concave edge (farther from the point than either face) to reach
// the nearer one; near a corner a third face joins in.
TEST(MasterSurface, WarmDeepInsideACubeCrossesItsConcaveEdgesToTheNearerFace) {
  const int m = 16;
  const double h = 1.0 / m;
  Surface s = box(m, 1.0, 1.0, 1.0);
  s.build();
  Work w(s);
  std::mt19937 rng(23);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int trial = 0; trial < 200; ++trial) {
    // Depths from the faces x = 0 and y = 0 (and z = 0 near a corner) of 1.5 to 7 h.
    const double near = h * (1.5 + 5.5 * u(rng)), far = std::min(near * (1.02 + 0.3 * u(rng)), 7.5 * h);
    const double z = trial % 4 == 0 ? h * (1.5 + 5.5 * u(rng)) : 0.5;
    Vec from{far, near, z}, to{near, far, z};
    std::rotate(from.begin(), from.begin() + trial % 3, from.end());
    std::rotate(to.begin(), to.begin() + trial % 3, to.end());
    const Answer warm = project(s, w, to, project(s, w, from, Answer{}));
    EXPECT_TRUE(warmAgrees(s, w, to, warm, h)) << "trial " << trial;
  }
}

}  // namespace

namespace {

// The flat square [0, 1]^2 at z = 0, m x m quadrilaterals, normal +z.
Surface plate(int m) {
  Surface s;
  for (int k = 0; k <= m; ++k) {
    for (int i = 0; i <= m; ++i) s.coords.push_back({double(i) / m, double(k) / m, 0.0});
  }
  const auto node = [&](int i, int k) { return static_cast<Int>(k * (m + 1) + i + 1); };
  for (int k = 0; k < m; ++k) {
    for (int i = 0; i < m; ++i) s.facets.push_back({{node(i, k), node(i + 1, k), node(i + 1, k + 1), node(i, k + 1)}});
  }
  s.build();
  return s;
}

// The 2 by 2 plate with one more node, at (2, 2, 0) on no facet: the last node.
Surface plateWithLoneNode() {
  Surface s = plate(2);
  s.coords.push_back({2.0, 2.0, 0.0});
  s.build();
  return s;
}

// The edge between two nodes.
Int edgeBetween(const Surface& s, Int a, Int b) {
  for (std::size_t e = 0; e < s.edgeNodes.size(); ++e) {
    const auto& n = s.edgeNodes[e];
    if ((n.front() == a && n.back() == b) || (n.front() == b && n.back() == a)) return static_cast<Int>(e + 1);
  }
  return 0;
}

TEST(MasterSurface, TheThreeFormsAgree) {
  Surface s = torus(24, 12, 2.0, 0.6);
  s.build();
  Work w(s), wb(s);
  const Keys keys(s);
  std::mt19937 rng(3);
  Answer warm, warmKeyed;
  for (const Vec& p : nearPoints(s, rng, 200, 0.2)) {
    const Answer a = project(s, w, p, Answer{}), b = projectKeyed(s, wb, keys, p, Answer{});
    EXPECT_EQ(a.result, b.result);
    EXPECT_EQ(a.slots, b.slots);
    EXPECT_EQ(std::make_tuple(a.kind, a.entity, a.count), std::make_tuple(b.kind, b.entity, b.count));
    EXPECT_EQ(b.lookupFailed, kFalse);
    warm = project(s, w, p, warm);
    warmKeyed = projectKeyed(s, wb, keys, p, warmKeyed);
    EXPECT_EQ(warm.result, warmKeyed.result);
    EXPECT_EQ(std::make_tuple(warm.kind, warm.entity, warm.count),
              std::make_tuple(warmKeyed.kind, warmKeyed.entity, warmKeyed.count));
    if (a.kind == 3) {
      // The entity found, evaluated alone, gives the same face result.
      const Answer c = evaluate(s, keys, p, a.kind, a.entity);
      EXPECT_EQ(c.result, a.result);
      EXPECT_EQ(c.slots, a.slots);
      EXPECT_EQ(c.lookupFailed, kFalse);
      EXPECT_EQ(std::make_pair(c.kind, c.entity), std::make_pair(a.kind, a.entity));  // in only
    }
  }
  EXPECT_EQ(warm.count, 200);
}

TEST(MasterSurface, BoundaryEdgesStandWithinTheExtensionOnly) {
  const int m = 4;
  const double h = 1.0 / m;
  Surface s = plate(m);
  for (double& size : s.facetSize) size = 2 * h;  // the edge extension reaches 0.2 h
  Work w(s);
  const Keys keys(s);
  const Int e = edgeBetween(s, 6, 11);  // on x = 0, from y = h to 2h
  ASSERT_GT(e, 0);
  const Vec inside{-0.15 * h, 1.5 * h, 0.3 * h}, beyond{-0.5 * h, 1.5 * h, 0.3 * h};

  // Within the extension, beyond the face's tolerance: the edge, measured along the normal.
  Answer a = project(s, w, inside, Answer{});
  EXPECT_EQ(std::make_pair(a.kind, a.entity), std::make_pair(2, e));
  EXPECT_NEAR(a.distance(), -0.3 * h, 1e-14);
  EXPECT_LT(norm(a.point() - Vec{-0.15 * h, 1.5 * h, 0.0}), 1e-14);
  EXPECT_LT(norm(a.normal() - Vec{0, 0, 1}), 1e-14);
  EXPECT_NEAR(a.result[13], 0.5, 1e-12);

  // Beyond it: no contact and the count reset; KEEP_BOUNDARY keeps the edge and its parameter.
  Answer counted;
  counted.count = 7;
  for (Logical keep : {kFalse, kTrue}) {
    Options o;
    o.keepBoundary = keep;
    a = project(s, w, beyond, counted, o);
    EXPECT_EQ(a.distance(), -1e36);
    EXPECT_EQ(a.count, 0);
    EXPECT_EQ(a.slots[0], 0);
    EXPECT_EQ(a.slots[1], 0);
    EXPECT_EQ(std::make_pair(a.kind, a.entity), keep ? std::make_pair(2, e) : std::make_pair(0, 0));
    EXPECT_NEAR(a.result[13], keep ? 0.5 : 0.0, 1e-12);
  }
  // Beyond a corner the free vertex goes the same way.
  for (Logical keep : {kFalse, kTrue}) {
    Options o;
    o.keepBoundary = keep;
    a = project(s, w, Vec{-0.5 * h, -0.5 * h, 0.3 * h}, counted, o);
    EXPECT_EQ(a.distance(), -1e36);
    EXPECT_EQ(a.count, 0);
    EXPECT_EQ(std::make_pair(a.kind, a.entity), keep ? std::make_pair(1, 1) : std::make_pair(0, 0));
  }
  // The keyed search has no KEEP_BOUNDARY; evaluated alone the edge has no extension limit.
  a = projectKeyed(s, w, keys, beyond, counted);
  EXPECT_EQ(a.distance(), -1e36);
  EXPECT_EQ(std::make_tuple(a.kind, a.entity, a.count, a.lookupFailed), std::make_tuple(0, 0, 0, kFalse));
  a = evaluate(s, keys, beyond, 2, e);
  EXPECT_EQ(std::make_pair(a.slots[0], a.slots[1]), std::make_pair(2, e));
  EXPECT_NEAR(a.distance(), -0.3 * h, 1e-14);
  EXPECT_LT(norm(a.point() - Vec{-0.5 * h, 1.5 * h, 0.0}), 1e-14);
  // So has a free vertex: the point's foot along the vertex normal.
  a = evaluate(s, keys, Vec{-0.5 * h, -0.5 * h, 0.3 * h}, 1, 1);
  EXPECT_EQ(std::make_pair(a.slots[0], a.slots[1]), std::make_pair(1, 1));
  EXPECT_NEAR(a.distance(), -0.3 * h, 1e-14);
  EXPECT_LT(norm(a.point() - Vec{-0.5 * h, -0.5 * h, 0.0}), 1e-14);
  EXPECT_LT(norm(a.normal() - Vec{0, 0, 1}), 1e-14);
}

TEST(MasterSurface, EvaluatedEdgeReachesFivePercentBeyondItsEnds) {
  const int m = 4;
  const double h = 1.0 / m;
  const Surface s = plate(m);
  Work w(s);
  const Keys keys(s);
  const Int e = edgeBetween(s, 7, 8);  // shared: y = h, x from h to 2h
  // The foot 3 % of the edge beyond its end at node 8, the point off the plate's plane on the
  // side of the edge.
  const Vec p{2 * h + 0.03 * h, h - 0.4 * h, 0.05 * h};
  Answer previous;
  previous.kind = 2, previous.entity = e;
  const Answer a = project(s, w, p, previous);
  EXPECT_FALSE(a.kind == 2 && a.entity == e);
  const Answer b = evaluate(s, keys, p, 2, e);
  EXPECT_EQ(std::make_pair(b.slots[0], b.slots[1]), std::make_pair(2, e));
  const bool fromSeven = s.edgeNodes[static_cast<std::size_t>(e - 1)].front() == 7;
  EXPECT_NEAR(b.result[13], fromSeven ? 1.03 : -0.03, 1e-12);
  EXPECT_EQ(b.lookupFailed, kFalse);
  // 6 % beyond is outside even that window: the cleared result.
  const Answer c = evaluate(s, keys, Vec{2 * h + 0.06 * h, h - 0.4 * h, 0.05 * h}, 2, e);
  EXPECT_EQ(c.distance(), -1e36);
  EXPECT_EQ(c.slots[0], 0);
}

TEST(MasterSurface, MissingKeysAreReportedAtEachLookup) {
  const Surface s = plate(4);
  const Int dropped = 7;  // (h, h): an interior node
  const Keys keys(s, dropped);
  Work w(s);
  const Vec p{0.25, 0.25, 0.1};
  // The walk from a contact at the node, and every entity that needs the node.
  Answer previous;
  previous.kind = 1, previous.entity = dropped;
  EXPECT_EQ(projectKeyed(s, w, keys, p, previous).lookupFailed, kTrue);
  EXPECT_EQ(evaluate(s, keys, p, 1, dropped).lookupFailed, kTrue);
  EXPECT_EQ(evaluate(s, keys, p, 2, edgeBetween(s, 7, 8)).lookupFailed, kTrue);
  EXPECT_EQ(evaluate(s, keys, p, 3, 1).lookupFailed, kTrue);
  // Far from it nothing fails.
  EXPECT_EQ(evaluate(s, keys, Vec{0.9, 0.9, 0.1}, 3, 16).lookupFailed, kFalse);
  EXPECT_EQ(evaluate(s, keys, p, 3, 16).distance(), -1e36);  // projects outside facet 16
  // Without a previous contact the node is left out: the facets around it are no candidates, and
  // the vertex nearest the point among the rest needs its normal from a facet that holds it.
  const Answer cold = projectKeyed(s, w, keys, p, Answer{});
  EXPECT_EQ(cold.lookupFailed, kTrue);
  // Kinds without an entity of the surface give the cleared result.
  for (auto [kind, entity] : {std::pair<Int, Int>{0, 1}, {6, 1}, {3, 0}, {3, 17}, {4, 1}, {5, 14}}) {
    const Answer a = evaluate(s, keys, p, kind, entity);
    EXPECT_EQ(a.distance(), -1e36) << kind << " " << entity;
    EXPECT_EQ(a.lookupFailed, kFalse);
  }
}

// A node named for evaluation that lies on no facet is still evaluated: it has no normal, so the
// direction points from it to the point and the distance is negative.
TEST(MasterSurface, EvaluatedNodeWithoutFacetsGivesItsDirectionToThePoint) {
  const Surface s = plateWithLoneNode();
  const Int alone = s.nodes();
  const Keys keys(s);
  const Answer a = evaluate(s, keys, Vec{2.0, 2.0, 0.5}, 1, alone);
  EXPECT_EQ(a.lookupFailed, kFalse);
  EXPECT_EQ(a.slots[0], 1);
  EXPECT_EQ(a.slots[1], alone);
  EXPECT_EQ(a.point(), (Vec{2.0, 2.0, 0.0}));
  EXPECT_EQ(a.normal(), (Vec{0.0, 0.0, 1.0}));
  EXPECT_EQ(a.distance(), -0.5);
}

// A point on the evaluated node or edge itself has no direction to it: the entity's normal and
// the distance 0 are returned.
TEST(MasterSurface, PointOnTheEvaluatedEntityTakesItsNormal) {
  const Surface s = plate(2);  // node 5 at (0.5, 0.5), edge 4-5 along y = 0.5
  const Keys keys(s);
  const Int e = edgeBetween(s, 4, 5);
  for (const auto& [kind, entity, p] : {std::tuple<Int, Int, Vec>{1, 5, {0.5, 0.5, 0.0}}, {2, e, {0.2, 0.5, 0.0}}}) {
    const Answer a = evaluate(s, keys, p, kind, entity);
    EXPECT_EQ(std::make_pair(a.slots[0], a.slots[1]), std::make_pair(kind, entity));
    EXPECT_EQ(a.distance(), 0.0);
    EXPECT_LT(norm(a.normal() - Vec{0, 0, 1}), 1e-14) << kind;
    EXPECT_LT(norm(a.point() - p), 1e-15) << kind;
  }
}

TEST(MasterSurface, DegenerateFacetIsReportedOnceUnderItsElement) {
  // A good quadrilateral and, beside it, one whose corners lie on a line.
  const Surface s = built({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {1.2, 0, 0}, {1.4, 0, 0}, {1.6, 0, 0}, {1.8, 0, 0}},
                          {{{1, 2, 3, 4}}, {{5, 6, 7, 8}}});
  Work w(s);
  eqc_testing::clearMessages();
  eqc_testing::setEcho(false);
  // The surface name is printed as its first 8 characters, a shorter one as it is.
  const std::tuple<const char*, Int, const char*> names[] = {
      {"SURF-A  ", 8, "SURF-A"}, {"SURF-B", 6, "SURF-B"}, {"SURF-LONGER", 11, "SURF-LON"}};
  for (const auto& [name, length, printed] : names) {
    Options o;
    o.name = name, o.nameLength = length;
    const Answer a = project(s, w, Vec{0.9, 0.5, 0.3}, Answer{}, o);
    EXPECT_EQ(std::make_pair(a.kind, a.entity), std::make_pair(3, 1));
    EXPECT_EQ(eqc_testing::countAtLevel(-2), 1);
    EXPECT_EQ(eqc_testing::filed(-2124), std::vector<int>{5002});
    EXPECT_TRUE(eqc_testing::filed(-2123).empty());
    EXPECT_TRUE(eqc_testing::printed(std::string("A FACET OF SURFACE ") + printed +
                                     " WITH UNDERLYING ELEMENT 5002 HAS A ZERO NORMAL"));
    clearAllMessages();
  }
  eqc_testing::setEcho(true);
}

// With middle nodes a facet without a normal is projected again on its corner nodes. An 8-node
// quadrilateral whose middle nodes of edges 2 and 4 meet at its centre has no normal there, where
// the search starts; its corners are the unit square, on which the retry finds the face without a
// message and marks it in slot 19. Corners on a line fail the retry too: the second message.
TEST(MasterSurface, QuadraticFacetWithoutNormalIsRetriedOnItsCorners) {
  eqc_testing::clearMessages();
  eqc_testing::setEcho(false);
  for (const bool collinear : {false, true}) {
    const Surface s =
        collinear ? built({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0.5, 0, 0}, {1, 0.5, 0}, {0.5, 1, 0}, {0, 0.5, 0},
                           {1.2, 0, 0}, {1.4, 0, 0}, {1.6, 0, 0}, {1.8, 0, 0}, {1.3, 0, 0}, {1.5, 0, 0}, {1.7, 0, 0}, {1.5, 0, 0}},
                          {{{1, 2, 3, 4, 5, 6, 7, 8}}, {{9, 10, 11, 12, 13, 14, 15, 16}}}, true)
                  : built({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0.5, 0, 0}, {0.5, 0.5, 0}, {0.5, 1, 0}, {0.5, 0.5, 0}},
                          {{{1, 2, 3, 4, 5, 6, 7, 8}}}, true);
    Work w(s);
    const Answer a = project(s, w, Vec{collinear ? 0.9 : 0.25, 0.5, 0.3}, Answer{});
    EXPECT_EQ(std::make_pair(a.kind, a.entity), std::make_pair(3, 1)) << collinear;
    EXPECT_NEAR(a.distance(), -0.3, 1e-14);
    if (collinear) {
      EXPECT_EQ(a.slots[3], 0);  // the good facet wins
      EXPECT_EQ(eqc_testing::filed(-2123), std::vector<int>{5002});
      EXPECT_TRUE(eqc_testing::filed(-2124).empty());
      EXPECT_TRUE(eqc_testing::printed("A FACET OF SURFACE SURF-A WITH UNDERLYING ELEMENT 5002 HAS A ZERO TANGENT VECTOR"));
    } else {
      EXPECT_EQ(a.slots[3], 1);
      EXPECT_NEAR(a.result[13], -0.5, 1e-12);  // (xi, eta) on the corner quadrilateral
      EXPECT_NEAR(a.result[14], 0.0, 1e-12);
      EXPECT_TRUE(eqc_testing::messages().empty());
    }
    clearAllMessages();
  }
  eqc_testing::setEcho(true);
}

// Nothing to measure: a walk from a node without facets, or from a previous contact the surface
// does not have, ends with the cleared result, no distance and every counter 0.
TEST(MasterSurface, WalkWithoutFacetsFindsNothing) {
  const Surface s = plateWithLoneNode();
  const Int alone = s.nodes();
  Work w(s);
  const Keys keys(s);
  const Vec p{0.3, 0.3, 0.2};
  for (const auto& [kind, entity] : {std::pair<Int, Int>{1, alone}, {3, s.facetCount() + 1}, {1, 0}}) {
    Answer previous;
    previous.kind = kind, previous.entity = entity, previous.count = 9;
    for (const bool keyed : {false, true}) {
      const Answer a = keyed ? projectKeyed(s, w, keys, p, previous) : project(s, w, p, previous);
      std::array<double, 15> cleared{};
      cleared[12] = -1e36;
      EXPECT_EQ(a.result, cleared) << kind << " " << entity;
      EXPECT_EQ(a.slots, (std::array<Int, 4>{0, 0, 0, 0}));
      EXPECT_EQ(std::make_tuple(a.kind, a.entity, a.count), std::make_tuple(0, 0, 0));
      if (keyed) {
        EXPECT_EQ(a.lookupFailed, kFalse);
      }
    }
  }
}

// An exact cylinder: every answer at |r - R| along the radius, over faces and curved edges.
void checkCylinder(int nodesPerFacet) {
  const double r = 1.5, height = 2.0;
  Surface s = cylinder(12, 4, r, height, nodesPerFacet);
  s.build();
  Work w(s);
  std::mt19937 rng(static_cast<unsigned>(nodesPerFacet));
  std::uniform_real_distribution<double> angle(0.0, 2 * std::acos(-1.0)), radius(0.7 * r, 1.3 * r), z(0.2, 1.8);
  Answer warm;
  for (int i = 0; i < 200; ++i) {
    const double t = angle(rng), rho = radius(rng);
    const double zz = i % 4 == 0 ? height * (1 + i % 3) / 4 : z(rng);  // every fourth on a curved edge
    const Vec p{rho * std::cos(t), rho * std::sin(t), zz};
    const Vec radial{std::cos(t), std::sin(t), 0.0};
    for (const Answer& a : {project(s, w, p, Answer{}), warm = project(s, w, p, warm)}) {
      ASSERT_NE(a.kind, 0) << i;
      EXPECT_NEAR(std::fabs(a.distance()), std::fabs(rho - r), 1e-9) << i << " kind " << a.kind;
      EXPECT_NEAR(std::fabs(dot(a.normal(), radial)), 1.0, 1e-9) << i << " kind " << a.kind;
      EXPECT_LT(norm(a.point() - Vec{r * std::cos(t), r * std::sin(t), zz}), 1e-8) << i;
    }
  }
}

TEST(MasterSurface, SixNodeCylindricalFacetsAreExactCylinders) { checkCylinder(6); }
TEST(MasterSurface, NineNodeCylindricalFacetsAreExactCylinders) { checkCylinder(9); }

}  // namespace

namespace {

// Shape functions written out here, independent of the library: the 9-node Lagrange and 8-node
// serendipity quadrilaterals, and the bilinear quadrilateral.
void quadShape(int n, double xi, double eta, double* N) {
  static constexpr double kXi[9] = {-1, 1, 1, -1, 0, 1, 0, -1, 0}, kEta[9] = {-1, -1, 1, 1, -1, 0, 1, 0, 0};
  const auto lagrange = [](double a, double at) { return at == 0 ? 1 - a * a : 0.5 * a * (a + at); };
  for (int k = 0; k < n; ++k) {
    const double xk = kXi[k], ek = kEta[k];
    if (n == 9) N[k] = lagrange(xi, xk) * lagrange(eta, ek);
    else if (n == 4) N[k] = 0.25 * (1 + xi * xk) * (1 + eta * ek);
    else if (k < 4) N[k] = 0.25 * (1 + xi * xk) * (1 + eta * ek) * (xi * xk + eta * ek - 1);
    else if (xk == 0) N[k] = 0.5 * (1 - xi * xi) * (1 + eta * ek);
    else N[k] = 0.5 * (1 + xi * xk) * (1 - eta * eta);
  }
}

Vec quadPoint(const std::vector<Vec>& x, double xi, double eta) {
  double N[9];
  quadShape(static_cast<int>(x.size()), xi, eta, N);
  Vec q{0, 0, 0};
  for (std::size_t k = 0; k < x.size(); ++k) q = q + N[k] * x[k];
  return q;
}

// The nearest point of a parametric quadrilateral patch by dense sampling, refined twice around
// the best sample.
double sampledDistance(const std::vector<Vec>& x, const Vec& p) {
  double best = 1e300, bx = 0, be = 0, span = 1.0;
  for (int round = 0; round < 4; ++round) {
    const double cx = round == 0 ? 0 : bx, ce = round == 0 ? 0 : be;
    for (int i = 0; i <= 80; ++i) {
      for (int k = 0; k <= 80; ++k) {
        const double xi = std::clamp(cx + span * (i / 40.0 - 1), -1.0, 1.0);
        const double eta = std::clamp(ce + span * (k / 40.0 - 1), -1.0, 1.0);
        const double d = norm(p - quadPoint(x, xi, eta));
        if (d < best) best = d, bx = xi, be = eta;
      }
    }
    span /= 20;
  }
  return best;
}

std::vector<Vec> facetNodes(const Surface& s, const Facet& f) {
  std::vector<Vec> x;
  for (Int n : f.nodes) x.push_back(s.at(n));
  return x;
}

// A saddle-shaped patch of 3 x 3 quadrilaterals of 8 or 9 nodes over [0, 3]^2.
Surface saddle(int nodesPerFacet) {
  Surface s;
  std::map<std::pair<int, int>, Int> number;
  const auto node = [&](int i, int k) {
    auto found = number.find({i, k});
    if (found != number.end()) return found->second;
    const double x = 0.5 * i, y = 0.5 * k;
    s.coords.push_back({x, y, 0.15 * (x - 1.5) * (x - 1.5) - 0.1 * (y - 1.5) * (y - 1.5) + 0.05 * x * y});
    return number[{i, k}] = static_cast<Int>(s.coords.size());
  };
  for (int i = 0; i < 6; i += 2) {
    for (int k = 0; k < 6; k += 2) {
      Facet f;
      f.nodes = {node(i, k), node(i + 2, k), node(i + 2, k + 2), node(i, k + 2),
                 node(i + 1, k), node(i + 2, k + 1), node(i + 1, k + 2), node(i, k + 1)};
      if (nodesPerFacet == 9) f.nodes.push_back(node(i + 1, k + 1));
      s.facets.push_back(f);
    }
  }
  s.quadratic = true;
  s.build();
  return s;
}

void checkCurved(int nodesPerFacet) {
  const Surface s = saddle(nodesPerFacet);
  Work w(s);
  std::mt19937 rng(static_cast<unsigned>(nodesPerFacet) + 10);
  std::uniform_real_distribution<double> u(0.4, 2.6), up(-0.4, 0.4);
  for (int i = 0; i < 40; ++i) {
    const Vec p{u(rng), u(rng), up(rng)};
    double best = 1e300;
    for (const Facet& f : s.facets) best = std::min(best, sampledDistance(facetNodes(s, f), p));
    const Answer a = project(s, w, p, Answer{});
    ASSERT_NE(a.kind, 0);
    EXPECT_NEAR(std::fabs(a.distance()), best, 1e-9) << i << " kind " << a.kind;
    if (a.kind == 3) {
      const Facet& f = s.facets[static_cast<std::size_t>(a.entity - 1)];
      EXPECT_LT(norm(quadPoint(facetNodes(s, f), a.result[13], a.result[14]) - a.point()), 1e-9);
    }
  }
}

TEST(MasterSurface, EightNodeCurvedFacetsMatchDenseSampling) { checkCurved(8); }
TEST(MasterSurface, NineNodeCurvedFacetsMatchDenseSampling) { checkCurved(9); }

// A split 6-node triangle is three bilinear quadrilaterals: corner, midside, centre, midside.
std::vector<std::vector<Vec>> subQuadrilaterals(const std::vector<Vec>& x) {
  const Vec c = 0.25 * (x[3] + x[4] + x[5]) + (1.0 / 12) * (x[0] + x[1] + x[2]);
  return {{x[0], x[3], c, x[5]}, {x[1], x[4], c, x[3]}, {x[2], x[5], c, x[4]}};
}

TEST(MasterSurface, SplitSixNodeTrianglesAnswerOnTheirSubQuadrilateralsCentresAndInternalEdges) {
  // A ridge of two 6-node triangles whose midside nodes stand above the plane of their corners.
  const Surface s = built({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0.5, 0, 0.3}, {1, 0.5, 0.3},
                           {0.5, 0.5, 0.4}, {0.5, 1, 0.3}, {0, 0.5, 0.3}},
                          {{{1, 2, 3, 5, 6, 7}}, {{1, 3, 4, 7, 8, 9}}}, true);
  Work w(s);
  Options o;
  o.split = 1;
  std::mt19937 rng(6);
  std::uniform_real_distribution<double> u(0.2, 0.8), up(0.3, 1.0);
  int kinds[6] = {};
  for (int i = 0; i < 80; ++i) {
    const Vec p{u(rng), u(rng), up(rng)};
    const Answer a = project(s, w, p, Answer{}, o);
    ++kinds[a.kind];
    if (a.kind == 0) continue;  // beyond the extension of the boundary
    double best = 1e300;
    for (const Facet& f : s.facets) {
      for (const auto& q : subQuadrilaterals(facetNodes(s, f))) best = std::min(best, sampledDistance(q, p));
    }
    // Never nearer than the surface is, and the point where the answer says.
    EXPECT_GE(std::fabs(a.distance()), best - 1e-7) << i;
    EXPECT_NEAR(norm(p - a.point()), std::fabs(a.distance()), 1e-12) << i;
    const Int f = a.kind == 5 ? a.entity / 10 : a.entity;
    if (a.kind >= 3) {
      const auto subs = subQuadrilaterals(facetNodes(s, s.facets[static_cast<std::size_t>(f - 1)]));
      const Vec centre = subs[0][2];
      Vec expected = centre;
      if (a.kind == 3) expected = quadPoint(subs[static_cast<std::size_t>(a.slots[2] - 1)], a.result[13], a.result[14]);
      if (a.kind == 5) {
        const Vec mid = s.at(s.facets[static_cast<std::size_t>(f - 1)].nodes[static_cast<std::size_t>(a.entity % 10 - 1)]);
        expected = centre + a.result[13] * (mid - centre);
        EXPECT_GE(a.result[13], 0.0);
        EXPECT_LE(a.result[13], 1.0);
      }
      EXPECT_LT(norm(expected - a.point()), 1e-9) << i << " kind " << a.kind;
    }
  }
  EXPECT_GT(kinds[3], 0);
  EXPECT_GT(kinds[4] + kinds[5], 0);
}

// A 6-node triangle whose middle nodes lie below the plane of its corners, split: above its centre
// no sub-facet has a foot and every internal edge leads away from the point (t < 0), so the centre
// is the contact, and evaluated alone it gives the same answer. A missing key of the facet is a
// failed lookup.
TEST(MasterSurface, SplitTriangleCentreAndInternalEdgesFromTheSearchAndEvaluatedAlone) {
  const Surface s = built({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.5, 0, -0.2}, {0.5, 0.5, -0.2}, {0, 0.5, -0.2}},
                          {{{1, 2, 3, 4, 5, 6}}}, true);
  Work w(s);
  const Keys keys(s), missing(s, 5);
  Options o;
  o.split = 1;
  const auto subs = subQuadrilaterals(facetNodes(s, s.facets[0]));
  const Vec centre = subs[0][2];  // (1/3, 1/3, -0.15)
  const Vec above = centre + Vec{0, 0, 0.1};
  Answer a = project(s, w, above, Answer{}, o);
  EXPECT_EQ(std::make_pair(a.kind, a.entity), std::make_pair(4, 1));
  EXPECT_LT(norm(a.point() - centre), 1e-15);
  EXPECT_NEAR(std::fabs(a.distance()), 0.1, 1e-15);
  const Answer c = evaluate(s, keys, above, 4, 1, o);
  EXPECT_EQ(c.result, a.result);
  EXPECT_EQ(c.slots, a.slots);
  EXPECT_EQ(evaluate(s, missing, above, 4, 1, o).lookupFailed, kTrue);

  // An internal edge evaluated alone: the foot on the segment from the centre to its midside node
  // (node 5, code 15).
  const Vec mid = s.at(5);
  const Vec p = centre + 0.4 * (mid - centre) + Vec{0.05, -0.05, 0.1};
  const double t = dot(p - centre, mid - centre) / dot(mid - centre, mid - centre);
  a = evaluate(s, keys, p, 5, 15, o);
  EXPECT_EQ(std::make_pair(a.slots[0], a.slots[1]), std::make_pair(5, 15));
  EXPECT_NEAR(a.result[13], t, 1e-14);
  EXPECT_LT(norm(centre + t * (mid - centre) - a.point()), 1e-14);
  EXPECT_NEAR(std::fabs(a.distance()), norm(p - a.point()), 1e-14);
  EXPECT_EQ(evaluate(s, missing, p, 5, 15, o).lookupFailed, kTrue);
  // Leading away from the point (t < -0.05) it is outside its window: the cleared result.
  EXPECT_EQ(evaluate(s, keys, above, 5, 15, o).distance(), -1e36);
}

// The feet of a point on the concave side of a strongly curved edge: the nearest of the three.
TEST(MasterSurface, EvaluatedCurvedEdgeTakesTheNearestOfItsFeet) {
  // Edge 1-4-2, shared by two 6-node triangles, bulges to the parabola y = x (2 - x) through (1, 1).
  const Surface s = built({{0, 0, 0}, {2, 0, 0}, {1, -2, 0}, {1, 1, 0}, {1.5, -1, 0}, {0.5, -1, 0},
                           {1, 3, 0}, {0.5, 1.5, 0}, {1.5, 1.5, 0}},
                          {{{1, 2, 3, 4, 5, 6}}, {{2, 1, 7, 4, 8, 9}}}, true);
  const Keys keys(s);
  const Int e = edgeBetween(s, 1, 2);
  for (const double x : {0.97, 1.03}) {  // within 0.069 of the axis three feet
    const Vec p{x, 0.3, 0.2};
    double best = 1e300;
    for (int i = 0; i <= 200000; ++i) {
      const double t = 2.0 * i / 200000;
      best = std::min(best, norm(p - Vec{t, t * (2 - t), 0}));
    }
    const Answer a = evaluate(s, keys, p, 2, e);
    EXPECT_EQ(std::make_pair(a.slots[0], a.slots[1]), std::make_pair(2, e));
    EXPECT_NEAR(std::fabs(a.distance()), best, 1e-9) << x;
    EXPECT_NEAR(a.point()[1], a.point()[0] * (2 - a.point()[0]), 1e-12) << x;
  }
}

}  // namespace

namespace {

// Rings of curved 6- and 9-node cylindrical facets on random cylinders, with random spans and
// midside angles, on the cylinder and with every node moved off it: the three projections, cold
// with and without the tree, warm, and keyed, against the closest point of the facets written out
// from their description (and on the cylinder itself against rho - R along the radius). A face
// answer lies at the facet point of its (xi, eta), which a misread angle record would move.
TEST(MasterSurface, CurvedCylindricalRingsMatchTheirFacetsWrittenOut) {
  std::mt19937 rng(54);
  for (const int nodesPerFacet : {6, 9}) {
    for (const double off : {0.0, 0.04}) {
      SCOPED_TRACE(::testing::Message() << nodesPerFacet << " nodes, moved by " << off);
      const cylinder_model::Cylinder c(rng);
      const double r = c.radius, height = 2 * r;
      Surface s = cylinderRing(c, 6, 2, height, nodesPerFacet, off * r, rng);
      s.quadratic = nodesPerFacet == 9;  // the straight edges of 9-node facets have middle nodes
      s.build();
      Work w(s);
      const Keys keys(s);
      std::uniform_real_distribution<double> angle(0.0, 2 * std::acos(-1.0)), rho(0.6 * r, 1.4 * r), z(0.1, 0.9);
      Answer warm;
      int kinds[6] = {};
      for (int i = 0; i < 60; ++i) {
        const double t = angle(rng), rr = rho(rng), zz = (i % 5 == 0 ? 0.5 : z(rng)) * height;
        const cylinder_model::Vec pc = c.at(t, zz, rr);
        const Vec p{pc[0], pc[1], pc[2]};
        double exact = 1e300;
        for (const Facet& f : s.facets) {
          const auto x = [&](double xi, double eta) { return cylindricalPoint(s, f, xi, eta); };
          exact = std::min(exact, patchDistance(x, p, -1, 1, 0, f.angles[0], false, nullptr, exact + 0.3 * r));
        }
        if (off == 0.0) {
          EXPECT_NEAR(exact, std::fabs(rr - r), 1e-9 * r) << i;
        }
        loadTree(s, 0.5 * r);  // every point lies within the box of its nearest facet
        const Answer tree = project(s, w, p, Answer{});
        freeTree();
        warm = project(s, w, p, warm);
        const Answer answers[4] = {project(s, w, p, Answer{}), tree, warm, projectKeyed(s, w, keys, p, Answer{})};
        for (const Answer& a : answers) {
          ASSERT_NE(a.kind, 0) << i;
          ++kinds[a.kind];
          const double d = std::fabs(a.distance());
          EXPECT_LE(d, exact + 1e-7 * r) << i << " kind " << a.kind << " answer " << (&a - answers);
          EXPECT_GE(d, exact - (a.kind == 3 ? 2e-3 : 1e-7) * r) << i << " kind " << a.kind;
          EXPECT_NEAR(norm(p - a.point()), d, 1e-9 * r) << i;
          if (a.kind == 3) {
            const Facet& f = s.facets[static_cast<std::size_t>(a.entity - 1)];
            EXPECT_LT(norm(cylindricalPoint(s, f, a.result[13], a.result[14]) - a.point()), 1e-8 * r) << i;
          }
          if (off == 0.0) {
            const cylinder_model::Vec foot = c.at(t, zz);
            EXPECT_LT(norm(a.point() - Vec{foot[0], foot[1], foot[2]}), 1e-7 * r) << i << " kind " << a.kind;
          }
          // The one entity named: the same answer.
          const Answer one = evaluate(s, keys, p, a.kind, a.entity);
          EXPECT_NEAR(one.distance(), a.distance(), 1e-9 * r) << i << " kind " << a.kind;
          EXPECT_LT(norm(one.point() - a.point()), 1e-9 * r) << i << " kind " << a.kind;
        }
        // The shared arcs of the facet holding the cold answer's foot, each named alone: the
        // nearest point of the arc where it lies within the arc (up to the 5 % window).
        if (answers[0].kind != 3) continue;
        const Facet& f = s.facets[static_cast<std::size_t>(answers[0].entity - 1)];
        for (const int local : {2, 4}) {
          const Int e = s.facetTable[static_cast<std::size_t>(kFacetRows * (answers[0].entity - 1) + 2 + local)];
          if (s.edgeTable[static_cast<std::size_t>(4 * (e - 1))] != 2) continue;
          const double xi = local == 2 ? 1.0 : -1.0, total = f.angles[0];
          double at[2];
          const auto x = [&](double, double eta) { return cylindricalPoint(s, f, xi, eta); };
          const double d = patchDistance(x, p, 0, 1, -0.05 * total, 1.05 * total, false, at);
          if (!(at[1] > -0.04 * total && at[1] < 1.04 * total)) continue;
          const Answer arc = evaluate(s, keys, p, 2, e);
          ++kinds[2];
          ASSERT_EQ(arc.slots[0], 2) << i;
          EXPECT_NEAR(std::fabs(arc.distance()), d, 1e-7 * r) << i;
          EXPECT_LT(norm(arc.point() - x(0, at[1])), 1e-5 * r) << i;  // the foot converges to 1e-6
        }
      }
      EXPECT_GT(kinds[3], 100);
      EXPECT_GT(kinds[2], 20);
    }
  }
}

}  // namespace
