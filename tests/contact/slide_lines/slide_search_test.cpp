// The four slide-line searches against brute force: the nearest point of random polylines and
// gently curved three-node chains (plain, and smoothed at the corners as the searches smooth
// them), the neighbourhood mode against the full walk, and the bookkeeping of extensions,
// cut-back lines, written-back arguments and copy blocks.
#include <gtest/gtest.h>

#include <random>

#include "contact/slide_lines/slide_walk.h"
#include "tests/contact/slide_lines/slide_line_harness.h"

namespace {

using namespace slide_test;

constexpr double kPointTol = 1e-5;  // segments are about 1 long

Vec randomPerpendicular(std::mt19937& rng, const Vec& d, bool plane) {
  std::normal_distribution<double> n(0.0, 1.0);
  Vec r = plane ? Vec{-d[1], d[0], 0.0} : Vec{n(rng), n(rng), n(rng)};
  r = r - (dot(r, d) / dot(d, d)) * d;
  return (1.0 / norm(r)) * r;
}

// End nodes of a random line: a walk with turns up to maxTurn (open), or a jittered ring (closed).
// With `shortest` > 0 the walk's steps are log-uniform from `shortest` to 2, and a closed line
// closes such a walk.
std::vector<Vec> randomCorners(std::mt19937& rng, int count, bool plane, bool closed, double maxTurn,
                               double shortest = 0.0) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<Vec> p;
  if (closed && shortest <= 0.0) {
    for (int k = 0; k < count; ++k) {
      const double a = 6.283185307179586 * (k + 0.3 * u(rng)) / count, r = 2.5 + 0.4 * u(rng);
      p.push_back({r * std::cos(a), r * std::sin(a), plane ? 0.0 : 0.5 * u(rng)});
    }
    return p;
  }
  Vec at{0, 0, 0}, dir{1, 0, 0};
  for (int k = 0; k < count; ++k) {
    p.push_back(at);
    const double turn = maxTurn * u(rng);
    dir = Vec{dir[0] * std::cos(turn) - dir[1] * std::sin(turn), dir[0] * std::sin(turn) + dir[1] * std::cos(turn),
              plane ? 0.0 : 0.3 * u(rng)};
    dir = (1.0 / norm(dir)) * dir;
    const double w = (u(rng) + 1) / 2;
    at = at + (shortest > 0.0 ? shortest * std::pow(2.0 / shortest, w) : 0.7 + 0.6 * w) * dir;
  }
  return p;
}

Line randomLine(std::mt19937& rng, bool quadratic, bool plane, bool closed, int corners, double maxTurn,
                double bend = 0.15, double shortest = 0.0) {
  Line line;
  line.quadratic = quadratic;
  line.closed = closed;
  const std::vector<Vec> c = randomCorners(rng, corners, plane, closed, maxTurn, shortest);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  const int n = static_cast<int>(c.size());
  for (int k = 0; k < n; ++k) {
    line.nodes.push_back(c[k]);
    if (!quadratic || (!closed && k == n - 1)) continue;
    const Vec a = c[k], b = c[(k + 1) % n];
    const Vec chord = b - a;
    // Midside node off the chord by at most `bend` times its length, in the middle third.
    const Vec mid = (0.5 + 0.15 * u(rng)) * chord + a;
    line.nodes.push_back(mid + (bend * norm(chord) * u(rng)) * randomPerpendicular(rng, chord, plane));
  }
  return line;
}

// A slave node near the line: off a random point of a random segment by up to `spread`.
Vec slaveNear(std::mt19937& rng, const Line& line, bool plane, double spread) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  const std::vector<Piece> p = pieces(line, 0.0);
  const Piece& c = p[static_cast<std::size_t>((u(rng) + 1) / 2 * (p.size() - 1e-9))];
  const double t = (u(rng) + 1) / 2;
  const Vec d = c(std::min(1.0, t + 1e-3)) - c(std::max(0.0, t - 1e-3));
  return c(t) + (spread * u(rng)) * randomPerpendicular(rng, d, plane) +
         Vec{0.1 * spread * u(rng), 0.1 * spread * u(rng), plane ? 0.0 : 0.1 * spread * u(rng)};
}

// The master point is on the line and nearest to the slave node. At an end node of an open
// line the clearance is the end marker.
void expectNearest(const Line& line, const Vec& slave, const Options& o, const Outcome& out, const Nearest& best,
                   double tol = kPointTol, double normalTol = 1e-9) {
  const bool endNode = !line.closed && out.m == 1 &&
                       (norm(out.point - line.nodes.front()) == 0.0 || norm(out.point - line.nodes.back()) == 0.0);
  if (endNode)
    EXPECT_EQ(out.clearance, o.offset > 0.0 ? -1.0e36 : 1.0e36);
  else
    ASSERT_TRUE(out.found());
  const std::vector<Piece> p = pieces(line, o.f);
  EXPECT_LT(nearestOf(p, out.point).d2, tol * tol);  // on the line
  const double d = norm(out.point - slave);
  EXPECT_NEAR(d, std::sqrt(best.d2), tol);
  if (!endNode) {
    EXPECT_NEAR(out.clearance, d - o.offset, tol);
  }
  EXPECT_NEAR(norm(out.normal), 1.0, normalTol);
  EXPECT_TRUE(out.highWordsKept);
}

// Leaves out slave nodes whose nearest point is within 5 % of a tie with the first node of an
// open line: the search starts from that node with its distance raised by 5 %.
bool tiesWithFirstNode(const Line& line, const Vec& slave, const Nearest& best) {
  if (line.closed) return false;
  const Vec d = slave - line.nodes.front();
  return dot(d, d) <= 1.05 * best.d2;
}

struct Case {
  bool quadratic, plane, closed;
  int corners = 0;  // 0: the suite's usual short line
  double bend = 0.15;  // largest offset of a midside node from its chord, per chord length
};

class PlainNearest : public ::testing::TestWithParam<Case> {};

TEST_P(PlainNearest, MasterPointIsTheBruteForceNearestPoint) {
  const Case c = GetParam();
  std::mt19937 rng(1234 + 8 * c.quadratic + 4 * c.plane + 2 * c.closed);
  int compared = 0;
  for (int lineNo = 0; lineNo < 6; ++lineNo) {
    const Line line = randomLine(rng, c.quadratic, c.plane, c.closed, c.corners > 0 ? c.corners : 9,
                                 c.quadratic ? 0.8 : 2.5, c.bend);
    const std::vector<Piece> p = pieces(line, 0.0);
    for (int trial = 0; trial < 40; ++trial) {
      const Vec slave = slaveNear(rng, line, c.plane, c.quadratic ? 0.3 : 1.5);
      const Nearest best = nearestOf(p, slave);
      if (tiesWithFirstNode(line, slave, best)) continue;
      Options o;
      o.ndir = c.plane ? 2 : 3;
      o.offset = trial % 3 == 0 ? 0.01 : 0.0;
      const Outcome out = search(line, slave, o);
      SCOPED_TRACE(::testing::Message() << "line " << lineNo << " trial " << trial);
      expectNearest(line, slave, o, out, best);
      ++compared;
    }
  }
  EXPECT_GT(compared, 150);
}

INSTANTIATE_TEST_SUITE_P(SlideSearch, PlainNearest,
                         ::testing::Values(Case{false, true, false}, Case{false, false, false}, Case{false, true, true},
                                           Case{false, false, true}, Case{true, true, false}, Case{true, false, false},
                                           Case{true, true, true}, Case{true, false, true},
                                           Case{false, true, false, 90}, Case{false, false, true, 90},
                                           // Long chains, some bent round slave nodes near them: the
                                           // distance along a segment may fall, rise and fall again.
                                           Case{true, true, false, 40}, Case{true, true, false, 40, 0.3},
                                           Case{true, true, true, 40, 0.3}, Case{true, false, true, 40, 0.3}));

// A chain turning left round a circle: every corner is convex seen from outside.
Line convexChain(std::mt19937& rng, bool quadratic, bool closed, int corners) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  Line line;
  line.quadratic = quadratic;
  line.closed = closed;
  const double span = closed ? 6.283185307179586 : std::min(0.45 * corners, 4.5);
  std::vector<Vec> c;
  for (int k = 0; k < corners; ++k) {
    const double a = span * (k + 0.25 * u(rng)) / (closed ? corners : corners - 1);
    c.push_back({3.0 * std::cos(a), 3.0 * std::sin(a), 0.0});
  }
  for (int k = 0; k < corners; ++k) {
    line.nodes.push_back(c[k]);
    if (!quadratic || (!closed && k == corners - 1)) continue;
    const Vec a = c[k], b = c[(k + 1) % corners];
    // A bulge outwards (a point of the circle through the corners) or a small dent inwards.
    const Vec mid = 0.5 * (a + b);
    line.nodes.push_back((1.0 + 0.02 * u(rng) * 0.5 + 0.01) * mid);
  }
  return line;
}

class SmoothedNearest : public ::testing::TestWithParam<Case> {};

TEST_P(SmoothedNearest, MasterPointIsNearestOnTheSmoothedLineOnItsConvexSide) {
  const Case c = GetParam();
  std::mt19937 rng(99 + 8 * c.quadratic + 2 * c.closed);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  int compared = 0;
  for (double f : {0.1, 0.3, 0.5}) {
    const Line line = convexChain(rng, c.quadratic, c.closed, c.corners > 0 ? c.corners : 8);
    const std::vector<Piece> p = pieces(line, f);
    for (int trial = 0; trial < 40; ++trial) {
      // Outside the circle through the corners: the convex side of every corner.
      const double a = (c.closed ? 6.283185307179586 : 0.45 * 8) * u(rng), r = 3.05 + 0.8 * u(rng);
      const Vec slave{r * std::cos(a), r * std::sin(a), 0.0};
      const Nearest best = nearestOf(p, slave);
      if (tiesWithFirstNode(line, slave, best)) continue;
      Options o;
      o.f = f;
      const Outcome out = search(line, slave, o);
      SCOPED_TRACE(::testing::Message() << "f " << f << " trial " << trial);
      expectNearest(line, slave, o, out, best);
      ++compared;
    }
  }
  EXPECT_GT(compared, 60);
}

TEST_P(SmoothedNearest, SmallStepsRoundACornerMovePointAndNormalContinuously) {
  const Case c = GetParam();
  std::mt19937 rng(5 + c.quadratic);
  const Line line = convexChain(rng, c.quadratic, c.closed, 6);
  const int step = c.quadratic ? 2 : 1;
  const Vec corner = line.nodes[static_cast<std::size_t>(2 * step)];
  Options o;
  o.f = 0.3;
  Outcome before;
  const Vec outward = (1.0 / norm(corner)) * corner;
  for (int k = -100; k <= 100; ++k) {
    const double a = 0.006 * k;
    const Vec dir{outward[0] * std::cos(a) - outward[1] * std::sin(a),
                  outward[0] * std::sin(a) + outward[1] * std::cos(a), 0.0};
    const Outcome out = search(line, corner + 0.2 * dir, o);
    ASSERT_TRUE(out.found());
    if (k > -100) {
      EXPECT_LT(norm(out.point - before.point), 0.01) << k;
      EXPECT_LT(norm(out.normal - before.normal), 0.02) << k;
    }
    before = out;
  }
}

// Sharply turning lines with strongly bent segments and wide smoothing, slave nodes on both
// sides: a corner or junction curved round the slave node may hold two distance minima, or dip
// again after the distance has risen from the segment before it.
TEST_P(SmoothedNearest, MasterPointIsNearestOnBentLinesFromEitherSide) {
  const Case c = GetParam();
  std::mt19937 rng(2024 + 8 * c.quadratic + 2 * c.closed + c.corners);
  const int lines = c.corners > 0 ? 6 : 24;
  int compared = 0;
  for (int lineNo = 0; lineNo < lines; ++lineNo) {
    const double f = 0.15 + 0.35 * (lineNo % 6) / 5.0;
    const Line line = randomLine(rng, c.quadratic, true, c.closed, c.corners > 0 ? c.corners : 7,
                                 c.quadratic ? 1.4 : 2.6, c.quadratic ? 0.5 : 0.0);
    const std::vector<Piece> p = pieces(line, f);
    for (int trial = 0; trial < 25; ++trial) {
      const Vec slave = slaveNear(rng, line, true, 0.6);
      const Nearest best = nearestOf(p, slave, 1000);
      if (tiesWithFirstNode(line, slave, best)) continue;
      Options o;
      o.f = f;
      const Outcome out = search(line, slave, o);
      SCOPED_TRACE(::testing::Message() << "line " << lineNo << " f " << f << " trial " << trial);
      expectNearest(line, slave, o, out, best);
      ++compared;
    }
  }
  EXPECT_GT(compared, 16 * lines);
}

// Lines whose segments range from 1e-3 to 2 long, slave nodes from 1e-5 to 1 off them: next to a
// short segment a corner or junction bends sharply, and its distance derivative turns close to
// where the bracketing of its foot stops.
TEST(SlideSearch, MasterPointIsNearestOnTheSmoothedLineOfVeryUnequalSegments) {
  std::mt19937 rng(77);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  int compared = 0;
  for (const bool quadratic : {false, true}) {
    for (const bool closed : {false, true}) {
      for (int lineNo = 0; lineNo < 40; ++lineNo) {
        const double f = 0.02 + 0.28 * u(rng);
        const Line line = randomLine(rng, quadratic, true, closed, 8, quadratic ? 1.4 : 2.6, quadratic ? 0.3 : 0.0,
                                     1e-3);
        const std::vector<Piece> p = pieces(line, f), plain = pieces(line, 0.0);
        for (int trial = 0; trial < 100; ++trial) {
          const Piece& c = plain[static_cast<std::size_t>(u(rng) * (plain.size() - 1e-9))];
          const double t = u(rng), off = 1e-5 * std::pow(1e5, u(rng));
          const Vec d = c(std::min(1.0, t + 1e-4)) - c(std::max(0.0, t - 1e-4));
          const Vec slave = c(t) + ((u(rng) < 0.5 ? -off : off) * randomPerpendicular(rng, d, true));
          const Nearest best = nearestOf(p, slave);
          if (tiesWithFirstNode(line, slave, best)) continue;
          Options o;
          o.f = f;
          const Outcome out = search(line, slave, o);
          SCOPED_TRACE(::testing::Message() << "quadratic " << quadratic << " closed " << closed << " line " << lineNo
                                            << " trial " << trial);
          // The normal is the offset over the distance, whose square a segment's foot forms as a
          // difference of squares up to about 10: its rounding weighs against a distance of 1e-5.
          expectNearest(line, slave, o, out, best, 1e-6, 1e-9 + 2e-15 / best.d2);
          ++compared;
        }
      }
    }
  }
  EXPECT_GT(compared, 12000);
}

// A corner after a very short segment, and a junction of a short bent segment with a long
// one: where the bracketing of the foot stops beside a turn of the distance derivative, the
// point offered is the distance minimum of the corner, not where the Newton steps ended.
TEST(SlideSearch, CornerAndJunctionBesideAShortSegmentGiveTheirDistanceMinimum) {
  Options o;
  o.f = 0.05;
  Line corner;
  corner.nodes = {{2.92829816, -1.82777429, 0}, {2.9286018, -1.8244581, 0}, {1.47765257, -0.541846996, 0}};
  const Vec s1{2.92855314, -1.82454546, 0};
  const Outcome c = search(corner, s1, o);
  ASSERT_EQ(c.m, 3);
  EXPECT_NEAR((c.result[26] - c.result[24]) / o.f, -0.94505, 1e-5);  // xi from the shape values
  EXPECT_NEAR(norm(c.point - s1), 2.936e-5, 1e-8);
  expectNearest(corner, s1, o, c, nearestOf(pieces(corner, o.f), s1, 4000), 1e-7, 1e-6);
  corner.closed = true;  // the same nodes as a closed line
  const Outcome closed = search(corner, s1, o);
  expectNearest(corner, s1, o, closed, nearestOf(pieces(corner, o.f), s1, 4000), 1e-7, 1e-6);
  o.f = 0.2;
  Line junction;
  junction.quadratic = true;
  junction.nodes = {{0.06481469339874231, 0.060458920983401825, 0},
                    {0.066433922972399834, 0.060990928908352018, 0},
                    {0.067737463791215979, 0.060076755816429156, 0},
                    {0.3135034356998937, -0.89158127079126648, 0},
                    {1.0250078460772558, -1.176129298012371, 0}};
  const Vec s2{0.067793218617769421, 0.060159770268881696, 0};
  const Outcome j = search(junction, s2, o);
  ASSERT_EQ(j.m, 5);
  EXPECT_NEAR(norm(j.point - s2), 5.34e-4, 1e-6);
  expectNearest(junction, s2, o, j, nearestOf(pieces(junction, o.f), s2, 4000), 1e-7, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(SlideSearch, SmoothedNearest,
                         ::testing::Values(Case{false, true, false}, Case{false, true, true}, Case{true, true, false},
                                           Case{true, true, true}, Case{false, true, false, 70},
                                           Case{false, true, true, 70}));

// ---- Neighbourhood mode ----------------------------------------------------------------------------

class Neighbourhood : public ::testing::TestWithParam<Case> {};

TEST_P(Neighbourhood, FindsTheFullWalksPointNearThePreviousSegment) {
  const Case c = GetParam();
  std::mt19937 rng(31 + c.quadratic);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const Line line = convexChain(rng, c.quadratic, c.closed, c.corners > 0 ? c.corners : 14);
  const int nseg = line.segments();
  const std::vector<Piece> p = pieces(line, 0.0);  // piece j is segment j + 1
  int compared = 0, rejected = 0;
  for (int trial = 0; trial < 300; ++trial) {
    const Vec slave = slaveNear(rng, line, true, 0.4);
    Int k = 2 + static_cast<Int>(u(rng) * (nseg - 5));
    // The nearest segment and how much it beats every other.
    int nearestSeg = 0;
    double d1 = 1e300, d2 = 1e300;
    for (int j = 0; j < nseg; ++j) {
      const double d = nearestOf({p[static_cast<std::size_t>(j)]}, slave, 100).d2;
      if (d < d1) {
        d2 = d1;
        d1 = d;
        nearestSeg = j + 1;
      } else {
        d2 = std::min(d2, d);
      }
    }
    // On a long line the previous segment is mostly near the nearest one, as between increments.
    if (c.corners > 0 && trial % 3 != 0) k = std::clamp(nearestSeg - 3 + trial % 7, 2, nseg - 3);
    Options o;
    o.prevSeg = k;
    o.fold = true;
    const Outcome local = search(line, slave, o);
    if (nearestSeg >= k - 1 && nearestSeg <= k + 2 && d2 > 1.1 * d1) {
      Options full = o;
      full.fold = false;
      const Outcome expected = search(line, slave, full);
      ASSERT_TRUE(local.found()) << trial;
      EXPECT_LT(norm(local.point - expected.point), 1e-12) << trial;
      EXPECT_NEAR(local.clearance, expected.clearance, 1e-12) << trial;
      ++compared;
    } else if (std::abs(nearestSeg - k) > 4 && std::abs(nearestSeg - k) < nseg - 4 && d1 < 0.01 &&
               (line.closed || (nearestSeg > 2 && nearestSeg < nseg))) {
      // Far from the window and close to the line: the bound from the nearest nodes rejects. On
      // an open line the slave node stays away from the first node, which starts the search,
      // and from the last, where nodes met in falling distance leave no bound.
      EXPECT_FALSE(local.found()) << trial;
      ++rejected;
    }
  }
  EXPECT_GT(compared, 20);
  EXPECT_GT(rejected, 3);
}

INSTANTIATE_TEST_SUITE_P(SlideSearch, Neighbourhood,
                         ::testing::Values(Case{false, true, false}, Case{false, true, true}, Case{true, true, false},
                                           Case{true, true, true}, Case{false, true, false, 90},
                                           Case{false, true, true, 90}));

TEST(SlideSearch, FoldPointAndStartValueGetUnitNormals) {
  // Nodes 2, 3, 4 turn back to the left: the fold ahead of segment 1 offers node 2 projected onto
  // segment 3-4, and nothing nearer competes.
  Line line;
  line.nodes = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {1, 0.5, 0}, {0, 1.0, 0}};
  Options o;
  o.fold = true;
  o.prevSeg = 1;
  const Outcome fold = search(line, {1.5, 3.0, 0}, o);
  ASSERT_TRUE(fold.found());
  EXPECT_EQ(fold.m, 2);
  EXPECT_EQ(fold.nodes[0], 4);  // columns: spare, then line nodes from 2
  EXPECT_EQ(fold.nodes[1], 5);
  EXPECT_NEAR(norm(fold.normal), 1.0, 1e-12);
  EXPECT_NEAR(fold.clearance, norm(fold.point - Vec{1.5, 3.0, 0}), 1e-12);
  // The same with three-node segments: the fold at line node 4 offers node 2 projected onto
  // segment 3 (line nodes 4, 5, 6).
  Line quad;
  quad.quadratic = true;
  quad.nodes = {{0, 0, 0}, {0.5, 0, 0}, {1, 0, 0},      {1.5, 0, 0},   {2, 0, 0},
                {1.5, 0.25, 0}, {1, 0.5, 0}, {0.5, 0.75, 0}, {0, 1.0, 0}};
  const Outcome qfold = search(quad, {1.5, 3.0, 0}, o);
  ASSERT_TRUE(qfold.found());
  EXPECT_EQ(qfold.m, 3);
  EXPECT_EQ(qfold.nodes[0], 7);  // columns: two spares, then line nodes from 3
  EXPECT_NEAR(norm(qfold.normal), 1.0, 1e-12);
  EXPECT_NEAR(qfold.clearance, norm(qfold.point - Vec{1.5, 3.0, 0}), 1e-12);
  // Before the first node the start value is the point; its distance is not the raised one.
  Line straight;
  straight.nodes = {{0, 0, 0}, {1, 0, 0}, {2, 0.3, 0}, {3, 0.8, 0}};
  const Outcome start = search(straight, {-1.0, -0.5, 0}, o);
  ASSERT_EQ(start.m, 1);
  EXPECT_EQ(start.nodes[0], 2);
  EXPECT_NEAR(norm(start.normal), 1.0, 1e-12);
}

TEST(SlideSearch, TurningBackClockwiseFindsNothingUnlessTheTurnWoundRound) {
  // A line turning right by 0.6 rad at each node; the previous point was on segment 1, the
  // slave node is now nearest to segment 3.
  Line line;
  Vec at{0, 0, 0};
  double heading = 0.0;
  for (int k = 0; k < 6; ++k) {
    line.nodes.push_back(at);
    at = at + Vec{std::cos(heading), std::sin(heading), 0.0};
    heading -= 0.6;
  }
  const Vec slave = 0.5 * (line.nodes[2] + line.nodes[3]) + Vec{0.2 * std::sin(-1.2), -0.2 * std::cos(-1.2), 0.0};
  Options o;
  o.fold = true;
  o.prevSeg = 1;
  o.sharp = 1;  // no correction from the start of the increment
  const Outcome back = search(line, slave, o);
  EXPECT_FALSE(back.found());
  EXPECT_EQ(back.m, 0);
  o.sharp = 0;  // the same turns at the start of the increment: still nothing
  EXPECT_FALSE(search(line, slave, o).found());
  // At the start of the increment node 2 lay mirrored across the line from node 1 to node 3:
  // the line turned left there, so the clockwise turn now has wound round and counts positive.
  const Vec a = line.nodes[1], c = line.nodes[3], b = line.nodes[2];
  const Vec ac = c - a;
  const Vec foot = a + (dot(b - a, ac) / dot(ac, ac)) * ac;
  o.increments.assign(line.nodes.size(), Vec{});
  o.increments[2] = 2.0 * (b - foot);
  const Outcome wound = search(line, slave, o);
  EXPECT_TRUE(wound.found());
  EXPECT_EQ(wound.m, 2);
  EXPECT_EQ(wound.nodes[0], 4);  // segment 3 from line node 2 (column 4)
  o.increments.clear();
  o.fold = false;
  EXPECT_TRUE(search(line, slave, o).found());  // the full walk finds it
  // The same line of straight 3-node segments (middle nodes halfway) turns alike.
  Line quadratic;
  quadratic.quadratic = true;
  for (std::size_t k = 0; k < line.nodes.size(); ++k) {
    if (k > 0) quadratic.nodes.push_back(0.5 * (line.nodes[k - 1] + line.nodes[k]));
    quadratic.nodes.push_back(line.nodes[k]);
  }
  o.fold = true;
  for (const Int sharp : {1, 0}) {
    o.sharp = sharp;
    EXPECT_FALSE(search(quadratic, slave, o).found()) << sharp;
  }
  o.fold = false;
  EXPECT_TRUE(search(quadratic, slave, o).found());
}

// ---- Extensions, cut-back, written-back arguments, copy blocks ---------------------------------

TEST(SlideSearch, ExtensionAtRightAnglesContinuesTheLineStraight) {
  for (bool quadratic : {false, true}) {
    SCOPED_TRACE(quadratic);
    Line line;
    line.quadratic = quadratic;
    for (int k = 0; k <= (quadratic ? 6 : 3); ++k) line.nodes.push_back({k * (quadratic ? 0.5 : 1.0), 0.0, 0.0});
    Options o;
    o.f = 0.25;
    o.ext1 = {0, 1, 0};
    o.ext2 = {0, -1, 0};
    for (double beyond : {0.05, 0.15}) {
      const Outcome last = search(line, {3.0 + beyond, 0.4, 0}, o);
      ASSERT_TRUE(last.found());
      EXPECT_NEAR(last.point[0], 3.0 + beyond, 1e-9);
      EXPECT_NEAR(last.point[1], 0.0, 1e-12);
      EXPECT_NEAR(last.clearance, 0.4, 1e-9);
      EXPECT_NEAR(last.normal[1], 1.0, 1e-9);
      // Slots 39-41: binormal x extension direction; the spare columns got their values back.
      const double b = last.result[11];
      EXPECT_NEAR(last.result[38], b * 1.0, 1e-12);  // (0, 0, b) x (0, -1, 0) = (b, 0, 0)
      EXPECT_EQ(last.x, last.xBefore);
      const Outcome first = search(line, {-beyond, -0.3, 0}, o);
      ASSERT_TRUE(first.found());
      EXPECT_NEAR(first.point[0], -beyond, 1e-9);
      EXPECT_NEAR(first.point[1], 0.0, 1e-12);
      EXPECT_NEAR(first.clearance, 0.3, 1e-9);
      EXPECT_NEAR(first.result[35], -first.result[11], 1e-12);  // (0, 0, b) x (0, 1, 0)
      EXPECT_EQ(first.x, first.xBefore);
      // No point slot names a spare column.
      const Int spares = quadratic ? 2 : 1;
      for (const Outcome* out : {&last, &first})
        for (int k = 0; k < out->m; ++k) EXPECT_GT(out->nodes[k], spares);
    }
  }
}

TEST(SlideSearch, UnsmoothedExtendedEndIsTheFirstNodeWithTheLinesDirection) {
  // f = 0 with a first-end extension: the corner there is the first node itself, a vertex point
  // whose tangent follows the first segment.
  for (bool quadratic : {false, true}) {
    Line line;
    line.quadratic = quadratic;
    for (int k = 0; k <= 4; ++k) line.nodes.push_back({0.5 * k, 0.1 * k, 0.05 * k});
    Options o;
    o.ndir = 3;
    o.ext1 = {0, 0, 1};
    const Outcome out = search(line, {-0.5, -0.3, 0.2}, o);
    ASSERT_EQ(out.m, 1) << quadratic;
    const Int first = quadratic ? 3 : 2;
    EXPECT_EQ(out.nodes[0], first);
    EXPECT_EQ(out.nodes[1], first);
    EXPECT_EQ(out.nodes[2], first + 1);
    const Vec t{out.result[6], out.result[7], out.result[8]}, b{out.result[9], out.result[10], out.result[11]};
    EXPECT_NEAR(norm(t), 1.0, 1e-12);
    EXPECT_NEAR(norm(b), 1.0, 1e-12);
    EXPECT_NEAR(dot(b, line.nodes[1] - line.nodes[0]), 0.0, 1e-12);
    // The same at the last end: the last node itself, with the last segment's direction.
    Options last;
    last.ndir = 3;
    last.ext2 = {0, 0, 1};
    const Outcome end = search(line, {2.6, 0.5, 0.5}, last);
    ASSERT_EQ(end.m, 1) << quadratic;
    EXPECT_EQ(end.nodes[0], first + 4);
    EXPECT_EQ(end.point, line.nodes[4]);
    const Vec te{end.result[6], end.result[7], end.result[8]}, be{end.result[9], end.result[10], end.result[11]};
    EXPECT_NEAR(norm(te), 1.0, 1e-12);
    EXPECT_NEAR(norm(be), 1.0, 1e-12);
    EXPECT_NEAR(dot(be, line.nodes[4] - line.nodes[3]), 0.0, 1e-12);
  }
}

// Long open lines with an end tolerance and, on some, a line node that shares the slave node's
// identity: the master point is the nearest point of the line up to the node before that one,
// which may pass the first node (and the last one, when the line is not cut) by the tolerance.
TEST(SlideSearch, LongLinesWithEndToleranceAndCutsGiveTheNearestPointOfWhatRemains) {
  std::mt19937 rng(4242);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  int compared = 0;
  for (int lineNo = 0; lineNo < 8; ++lineNo) {
    const int corners = 60 + static_cast<int>(u(rng) * 60);
    const Line full = randomLine(rng, false, true, false, corners, 1.2);
    const bool cut = lineNo % 2 == 1;
    const int cutAt = cut ? 10 + static_cast<int>(u(rng) * (corners - 20)) : -1;
    Line kept = full;
    if (cut) kept.nodes.resize(static_cast<std::size_t>(cutAt));
    Options o;
    o.endTol = 0.3 * u(rng);
    o.cutAt = cutAt;
    // The line with the tolerance added beyond its free ends.
    std::vector<Piece> p = pieces(kept, 0.0);
    const auto stub = [&](const Vec& end, const Vec& before) {
      const Vec far = end + (o.endTol / 2.0) * (end - before);
      p.push_back([=](double t) { return ((1 - t)) * end + t * far; });
      return far;
    };
    const Vec farFirst = stub(kept.nodes[0], kept.nodes[1]);
    const Vec farLast = cut ? Vec{1e9, 1e9, 0} : stub(kept.nodes.back(), kept.nodes[kept.nodes.size() - 2]);
    for (int trial = 0; trial < 30; ++trial) {
      const Vec slave = slaveNear(rng, trial % 3 == 0 ? full : kept, true, 0.8);
      const Nearest best = nearestOf(p, slave);
      // Past the far end of a tolerance the search takes the end node itself.
      if (norm(best.point - farFirst) < 1e-6 || norm(best.point - farLast) < 1e-6) continue;
      if (tiesWithFirstNode(kept, slave, best)) continue;
      const Outcome out = search(full, slave, o);
      SCOPED_TRACE(::testing::Message() << "line " << lineNo << " trial " << trial);
      EXPECT_EQ(out.last, 1 + (cut ? cutAt : corners));  // the column of the last node kept
      EXPECT_LT(nearestOf(p, out.point).d2, kPointTol * kPointTol);
      EXPECT_NEAR(norm(out.point - slave), std::sqrt(best.d2), kPointTol);
      ++compared;
    }
  }
  EXPECT_GT(compared, 150);
}

TEST(SlideSearch, ShortAndDegenerateLinesAreHandledSafely) {
  // A closed triangle in neighbourhood mode: the window takes in the whole line, whichever
  // previous segment (even one out of range) is handed in.
  Line triangle;
  triangle.closed = true;
  triangle.nodes = {{0, 0, 0}, {2, 0, 0}, {1, 2, 0}};
  Options o;
  o.fold = true;
  for (Int previous : {0, 1, 2, 3, 7, -4}) {
    o.prevSeg = previous;
    const Outcome out = search(triangle, {1.0, -0.5, 0}, o);
    ASSERT_TRUE(out.found()) << previous;
    EXPECT_NEAR(out.point[0], 1.0, 1e-12);
    EXPECT_NEAR(out.point[1], 0.0, 1e-12);
    EXPECT_EQ(out.last, 0);
  }
  // A line without a segment finds nothing, and reads nothing beyond its nodes.
  Line single;
  single.nodes = {{0, 0, 0}};
  const Outcome none = search(single, {1.0, 1.0, 0}, Options{});
  EXPECT_FALSE(none.found());
  EXPECT_EQ(none.m, 0);
  single.closed = true;
  EXPECT_EQ(search(single, {1.0, 1.0, 0}, Options{}).last, 0);
  // A closed quadratic line of one node has no segment: nothing, and its last node comes back 0.
  single.quadratic = true;
  const Outcome closedNone = search(single, {1.0, 1.0, 0}, Options{});
  EXPECT_FALSE(closedNone.found());
  EXPECT_EQ(closedNone.last, 0);
}

TEST(SlideSearch, EndToleranceAndCutBackLines) {
  Line line;
  line.nodes = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}};
  Options o;
  o.endTol = 0.2;
  const Outcome beyond = search(line, {3.05, 0.5, 0}, o);
  EXPECT_EQ(beyond.m, 2);
  EXPECT_NEAR(beyond.point[0], 3.05, 1e-12);
  // The slave node shares its identity with the third line node: the line ends at the second.
  o.endTol = 0.0;
  o.cutAt = 2;
  const Outcome cut = search(line, {2.5, 0.2, 0}, o);
  EXPECT_EQ(cut.last, 3);  // column of the second line node
  EXPECT_EQ(cut.m, 1);
  EXPECT_NEAR(cut.point[0], 1.0, 1e-12);
  EXPECT_EQ(cut.clearance, 1.0e36);  // the new last node is an end node
  // The slave node shares its identity with the first line node: the line starts after it, and
  // the nearest point beyond the first segment is found as on the whole line.
  o.cutAt = 0;
  const Outcome start = search(line, {2.5, 0.2, 0}, o);
  EXPECT_EQ(start.m, 2);
  EXPECT_NEAR(start.point[0], 2.5, 1e-12);
  EXPECT_NEAR(start.clearance, 0.2, 1e-12);
  // On a long line the cut lies far before the slave node's nearest segment.
  Line longLine;
  for (int k = 0; k <= 12; ++k) longLine.nodes.push_back({1.0 * k, 0.1 * (k % 2), 0.0});
  o.cutAt = 4;
  const Outcome far = search(longLine, {9.5, 0.5, 0}, o);
  EXPECT_EQ(far.last, 5);  // column of line node 3
  EXPECT_EQ(far.m, 1);
  EXPECT_NEAR(far.point[0], 3.0, 1e-12);
  Line quadratic;
  quadratic.quadratic = true;
  for (int k = 0; k <= 6; ++k) quadratic.nodes.push_back({0.5 * k, 0.0, 0.0});
  o.cutAt = 4;
  const Outcome qcut = search(quadratic, {2.9, 0.2, 0}, o);
  EXPECT_EQ(qcut.last, 5);
  EXPECT_NEAR(qcut.point[0], 1.0, 1e-12);
}

// The bound of the nearest nodes covers the line as handed in, before the slave node's identity
// cuts it: the start value at the first node, 5 % above its distance, lies beyond the second
// node's distance, so nothing is found, RSLIDE is not called, and the point slot keeps the
// start value's count.
TEST(SlideSearch, NodeBoundIsTakenBeforeTheIdentityCut) {
  Options o;
  o.fold = true;
  o.prevSeg = 1;
  o.type = 100;
  Line straight;
  straight.nodes = {{0, 0, 0}, {0.02, 0, 0}, {1, 0, 0}, {2, 0, 0}};
  Line quadratic;
  quadratic.quadratic = true;
  quadratic.nodes = {{0, 0, 0}, {0.01, 0, 0}, {0.02, 0, 0}, {1, 0, 0}, {2, 0, 0}};
  for (const Line* line : {&straight, &quadratic}) {
    o.cutAt = line->quadratic ? 2 : 1;
    const Outcome out = search(*line, {0, -1, 0}, o);
    EXPECT_EQ(out.clearance, -1.0e36) << line->quadratic;
    EXPECT_EQ(out.point, (Vec{0, 0, 0})) << line->quadratic;
    EXPECT_EQ(out.m, 1) << line->quadratic;
    EXPECT_EQ(out.last, line->quadratic ? 3 : 2) << line->quadratic;  // cut at the first node
  }
}

TEST(SlideSearch, WrittenBackArgumentsAndCopyBlocks) {
  Line closed;
  closed.closed = true;
  closed.nodes = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
  Options o;
  o.copyA = true;
  const Outcome c1 = search(closed, {1.0, -0.5, 0}, o);
  EXPECT_EQ(c1.last, 0);
  EXPECT_NEAR(c1.point[0], 1.0, 1e-12);
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(c1.result[41 + k], c1.result[23 + k]);
    EXPECT_EQ(c1.result[47 + k], c1.result[29 + k]);
  }
  o.copyA = false;
  o.copyB = true;
  const Outcome c2 = search(closed, {-0.5, 1.5, 0}, o);
  EXPECT_EQ(c2.result[41], -1.0);
  EXPECT_EQ(c2.result[47], -0.5 * c2.result[29]);
  EXPECT_EQ(c2.result[48], 0.5 * c2.result[30]);

  Line quad;
  quad.quadratic = true;
  quad.nodes = {{0, 0, 0}, {0.5, 0.1, 0}, {1, 0, 0}, {1.5, -0.1, 0}, {2, 0, 0}};
  Options q;
  q.prevSeg = -2;
  q.copyA = true;
  const Outcome a = search(quad, {0.4, 0.5, 0}, q);
  EXPECT_EQ(a.prevSeg, 2);  // the middle-node flag's sign is taken off
  ASSERT_EQ(a.m, 3);
  const double* r = a.result.data() - 1;  // 1-based
  EXPECT_EQ(r[42], -1.0);                 // the slave is not column 2
  EXPECT_EQ(r[48], 0.0);
  EXPECT_DOUBLE_EQ(r[43], r[25] + r[26] / 2);
  EXPECT_DOUBLE_EQ(r[44], r[26] / 2 + r[27]);
  EXPECT_DOUBLE_EQ(r[49], r[31] + r[32] / 2);
  EXPECT_DOUBLE_EQ(r[50], r[32] / 2 + r[33]);
  // A valley at the middle node: below it the junction of the two segments is nearest.
  quad.nodes[3] = {1.5, 0.1, 0};
  q.copyB = true;
  q.f = 0.3;
  const Outcome j = search(quad, {1.0, -0.4, 0}, q);
  ASSERT_EQ(j.m, 5);
  const double* s = j.result.data() - 1;
  EXPECT_DOUBLE_EQ(s[44], s[26] / 2 + s[27] + s[28] / 2);
  EXPECT_DOUBLE_EQ(s[45], s[29] + s[28] / 2);
  EXPECT_DOUBLE_EQ(s[50], (s[32] / 2 + s[33] + s[34] / 2) / 2);
  EXPECT_DOUBLE_EQ(s[51], (s[35] + s[34] / 2) / 2);
  // The junction at f = 0 is the shared node itself.
  q.f = 0.0;
  const Outcome v = search(quad, {1.0, -0.4, 0}, q);
  EXPECT_EQ(v.m, 1);
  EXPECT_NEAR(v.point[0], 1.0, 1e-12);
}

}  // namespace

// ---- The bound of the nearest nodes ------------------------------------------------------------

namespace {

// The rule as stated, one node at a time.
double literalBound(const std::vector<double>& d2) {
  double m1 = 1e36, m2 = 1e36;
  for (double d : d2) {
    if (d <= 1e-36) continue;
    m1 = std::min(m1, d);
    if (d < m2 && d != m1) m2 = d;
  }
  return m2;
}

TEST(SlideSearch, NodeBoundFollowsTheRuleOnRisingFallingAndTiedDistances) {
  std::mt19937 rng(77);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int trial = 0; trial < 2000; ++trial) {
    const int count = 1 + static_cast<int>(u(rng) * 40);
    // Nodes on the x axis, the slave node at the origin: a distance per node, in runs that fall,
    // rise, repeat a value or sit on the slave node.
    std::vector<double> x(2 * static_cast<std::size_t>(count), 0.0), d2;
    double value = 1.0 + 10.0 * u(rng);
    for (int n = 0; n < count; ++n) {
      const double r = u(rng);
      if (r < 0.35)
        value *= 0.5 + 0.4 * u(rng);
      else if (r < 0.7)
        value *= 1.1 + u(rng);
      else if (r < 0.8)
        value = 0.0;
      else if (r < 0.9 && !d2.empty())
        value = std::sqrt(d2[static_cast<std::size_t>(u(rng) * d2.size())]);
      x[2 * static_cast<std::size_t>(n)] = value;
      d2.push_back(value * value);
      if (value == 0.0) value = 1.0 + u(rng);
    }
    const double s[2] = {0.0, 0.0};
    EXPECT_EQ(zmx_slide::nodeBound(x.data(), 2, count, s), literalBound(d2)) << trial;
  }
}

}  // namespace
