// Sharp-fold codes on constructed folds, and the fold projections against closed forms and a
// sampled three-node segment.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "zmx/geometry.h"

namespace {

constexpr double kUnset = 1.0e36;

// Node coordinates, three rows per node (columns 1..n).
struct Nodes {
  std::vector<double> x, y;
  explicit Nodes(int n) : x(3 * n, 0.0), y(3 * n, 0.0) {}
  void set(int node, double px, double py, double pz = 0.0) {
    x[3 * (node - 1)] = px;
    x[3 * (node - 1) + 1] = py;
    x[3 * (node - 1) + 2] = pz;
  }
  void move(int node, double dx, double dy) {
    y[3 * (node - 1)] = dx;
    y[3 * (node - 1) + 1] = dy;
  }
};

struct Fold {
  Int code;
  double dist2, xi;
};

Fold fold1(const Nodes& n, bool towards, Int sharp, Int crossing, Int ncoord = 2) {
  Fold r{};
  const Logical t = towards ? kTrue : kFalse;
  const Int i = 1, j = 2, k = 3, ld = 3;
  const double tol = 1.0e-10;
  CHECKSHARPFOLD1(&r.code, &r.dist2, &r.xi, &t, &i, &j, &k, n.x.data(), n.y.data(), &tol, &sharp, &ld, &ld, &ncoord,
                  &crossing);
  return r;
}

// Segment 1-2 along +x into node 2 at the origin (|1-2| = 1), segment 2-3 of length len leaving
// at the opening angle alpha to segment 1-2, turning left (ccw) or right.
Nodes uTurn(double alpha, bool ccw, double len = 2.0) {
  Nodes n(3);
  n.set(1, -1.0, 0.0);
  n.set(2, 0.0, 0.0);
  n.set(3, -len * std::cos(alpha), (ccw ? 1.0 : -1.0) * len * std::sin(alpha));
  return n;
}

TEST(SharpFolds, StraightCodesFollowTurnSenseOpeningAngleAndSwitches) {
  Nodes straight(3);
  straight.set(1, 0.0, 0.0);
  straight.set(2, 1.0, 0.1);
  straight.set(3, 2.0, 0.3);
  EXPECT_EQ(fold1(straight, true, 0, 1).code, 0);
  EXPECT_EQ(fold1(straight, true, 0, 1).dist2, kUnset);

  for (double alpha : {0.2, 0.5, 0.77, 0.79, 1.2, 1.5}) {
    SCOPED_TRACE(alpha);
    EXPECT_EQ(fold1(uTurn(alpha, true), false, 0, 1).code, 1);  // any left U-turn
    EXPECT_EQ(fold1(uTurn(alpha, true), false, 5, 0).code, 1);
    const Int expected = alpha < 0.78 ? 3 : 0;
    EXPECT_EQ(fold1(uTurn(alpha, false), false, 0, 1).code, expected);
    EXPECT_EQ(fold1(uTurn(alpha, false), false, 1, 1).code, 0);  // sharpness test off
  }
  // An exact reversal counts as a left turn; a reversal a hair to the right as a turn of -0.001.
  Nodes reversal = uTurn(0.0, true);
  EXPECT_EQ(fold1(reversal, false, 0, 1).code, 1);
  Nodes hair(3);
  hair.set(1, -1.0, 0.0);
  hair.set(2, 0.0, 0.0);
  hair.set(3, -2.0, -1.0e-7);
  EXPECT_EQ(fold1(hair, false, 0, 1).code, 3);
  hair.set(3, -2.0, 1.0e-7);
  EXPECT_EQ(fold1(hair, false, 0, 1).code, 1);
}

TEST(SharpFolds, CrossingTestAsksForTheOtherSenseAtTheStartOfTheIncrement) {
  Nodes n = uTurn(0.5, false);
  EXPECT_EQ(fold1(n, false, 0, 0).code, 0);  // the same sharp turn throughout the increment
  // Node 3 came down through the line during the increment: it turned left at the start.
  n.move(3, 0.0, -2.0);
  EXPECT_EQ(fold1(n, false, 0, 0).code, 3);
  n.move(3, 0.0, -2.0 * std::sin(0.5));  // no turn at all at the start: still a crossing
  EXPECT_EQ(fold1(n, false, 0, 0).code, 3);
  n.move(3, 0.0, -0.5);  // a smaller right turn at the start
  EXPECT_EQ(fold1(n, false, 0, 0).code, 0);
}

TEST(SharpFolds, StraightProjectionMatchesTheClosedForm) {
  for (double alpha : {0.1, 0.4, 0.7}) {
    SCOPED_TRACE(alpha);
    // Node 1 onto 2-3 (length 2): foot at cos(alpha) from node 2, distance sin(alpha).
    Fold f = fold1(uTurn(alpha, false), true, 0, 1);
    EXPECT_EQ(f.code, 2);
    EXPECT_NEAR(f.xi, -1.0 + std::cos(alpha), 1e-12);
    EXPECT_NEAR(f.dist2, std::sin(alpha) * std::sin(alpha), 1e-12);
    // A left turn keeps code 1 with the projection.
    f = fold1(uTurn(alpha, true), true, 0, 1);
    EXPECT_EQ(f.code, 1);
    EXPECT_NEAR(f.dist2, std::sin(alpha) * std::sin(alpha), 1e-12);
    // Node 3 onto 1-2 (length 1): foot at 2 cos(alpha) from node 2, beyond node 1.
    f = fold1(uTurn(alpha, false), false, 0, 1);
    EXPECT_EQ(f.code, 3);
    EXPECT_NEAR(f.xi, 1.0 - 2.0 * std::cos(alpha) * 2.0, 1e-12);
    EXPECT_EQ(f.dist2, kUnset);
  }
  // The projection does not depend on the scale, down to segments far shorter than 1e-18.
  for (double scale : {1e-10, 1e-20, 1e-30}) {
    Nodes small = uTurn(0.4, false);
    for (double& c : small.x) c *= scale;
    const Fold f = fold1(small, true, 0, 1);
    EXPECT_EQ(f.code, 2) << scale;
    EXPECT_NEAR(f.xi, -1.0 + std::cos(0.4), 1e-12) << scale;
    EXPECT_NEAR(f.dist2 / (scale * scale), std::sin(0.4) * std::sin(0.4), 1e-12) << scale;
  }
  // The third coordinate enters the projection only when asked for.
  Nodes n = uTurn(0.3, false);
  n.set(1, -1.0, 0.0, 0.5);
  EXPECT_NEAR(fold1(n, true, 0, 1, 2).dist2, std::pow(std::sin(0.3), 2), 1e-12);
  EXPECT_NEAR(fold1(n, true, 0, 1, 3).dist2, std::pow(std::sin(0.3), 2) + 0.25, 1e-12);

  // Rows as the leading dimension and the count allow: a fourth row moves the foot past the segment.
  // A segment without length over the rows projected gives no projection (and no NaN).
  const auto column = [](std::vector<double> x, Int ld, Int ncoord) {
    Fold r{};
    const Logical towards = kTrue;
    const Int i = 1, j = 2, k = 3, sharp = 0, crossing = 1;
    const double tol = 1.0e-10;
    CHECKSHARPFOLD1(&r.code, &r.dist2, &r.xi, &towards, &i, &j, &k, x.data(), x.data(), &tol, &sharp, &ld, &ld,
                    &ncoord, &crossing);
    return r;
  };
  Fold wide = column({0, 0, 0, 5, 1, 0, 0, 0, 0, -0.5, 0, 1}, 4, 4);
  EXPECT_EQ(wide.code, 3);
  EXPECT_NEAR(wide.xi, 1.0 + 1.875 / 0.5625, 1e-12);
  EXPECT_EQ(wide.dist2, kUnset);
  EXPECT_EQ(column({0, 0, 0, 5, 1, 0, 0, 0, 0, -0.5, 0, 1}, 4, 3).code, 2);
  const Fold flat = column({0.1, 1, 0, 0, 0, 1}, 2, 1);
  EXPECT_EQ(flat.code, 3);
  EXPECT_EQ(flat.dist2, kUnset);
  EXPECT_EQ(flat.xi, 0.0);
}

// Three-node segments: 1-2-3 along +x into node 3 at the origin, 3-4-5 turning back, bowed.
Nodes curvedFold(double alpha, bool ccw, double len, double bow) {
  Nodes n(5);
  n.set(1, -1.0, 0.0);
  n.set(2, -0.5, 0.05);
  n.set(3, 0.0, 0.0);
  const double side = ccw ? 1.0 : -1.0;
  const double dx = -std::cos(alpha), dy = side * std::sin(alpha);
  n.set(5, len * dx, len * dy);
  n.set(4, 0.5 * len * dx - bow * dy, 0.5 * len * dy + bow * dx);
  return n;
}

Fold fold2(const Nodes& n, bool towards, Int sharp, Int crossing, bool middle) {
  Fold r{};
  const Logical t = towards ? kTrue : kFalse, mid = middle ? kTrue : kFalse;
  const Int n1 = 1, n2 = 2, n3 = 3, n4 = 4, n5 = 5, ld = 3, nc = 2;
  const double tol = 1.0e-10;
  CHECKSHARPFOLD2(&r.code, &r.dist2, &r.xi, &t, &n1, &n2, &n3, &n4, &n5, n.x.data(), n.y.data(), &tol, &sharp, &ld,
                  &ld, &nc, &crossing, &mid);
  return r;
}

// Nearest point of the three-node segment A, M, B (xi -1, 0, 1) to P by dense sampling.
void sampledFoot(const Nodes& n, int a, int m, int b, int p, double& xi, double& d2) {
  d2 = 1e300;
  const auto at = [&](int node, int row) { return n.x[3 * (node - 1) + row]; };
  for (int k = 0; k <= 200000; ++k) {
    const double s = -1.0 + k * 1.0e-5;
    const double na = s * (s - 1) / 2, nm = 1 - s * s, nb = s * (s + 1) / 2;
    double sum = 0;
    for (int r = 0; r < 2; ++r) {
      const double c = na * at(a, r) + nm * at(m, r) + nb * at(b, r) - at(p, r);
      sum += c * c;
    }
    if (sum < d2) {
      d2 = sum;
      xi = s;
    }
  }
}

TEST(SharpFolds, CurvedCodesUseTheirLimitAndTheMiddleNodes) {
  for (double alpha : {0.3, 0.51, 0.53, 0.9}) {
    SCOPED_TRACE(alpha);
    EXPECT_EQ(fold2(curvedFold(alpha, true, 2.0, 0.0), false, 0, 1, false).code, 1);
    EXPECT_EQ(fold2(curvedFold(alpha, false, 2.0, 0.0), false, 0, 1, false).code, alpha < 0.52 ? 3 : 0);
  }
  // The chords meet at 0.4 rad, the middle-node tangents at more than 0.52: only the chords fold.
  const Nodes bowed = curvedFold(0.4, false, 2.0, 0.3);
  EXPECT_EQ(fold2(bowed, false, 0, 1, false).code, 3);
  EXPECT_EQ(fold2(bowed, false, 0, 1, true).code, 0);
  Nodes collinear(5);
  for (int k = 1; k <= 5; ++k) collinear.set(k, 0.5 * k, 0.0);
  EXPECT_EQ(fold2(collinear, true, 0, 1, false).code, 0);
}

TEST(SharpFolds, CurvedProjectionFindsTheSampledFoot) {
  int compared = 0;
  for (double bow : {-0.15, 0.0, 0.2}) {
    SCOPED_TRACE(bow);
    // Node 1 onto the second segment, node 2 with the middle-node flag.
    const Nodes n = curvedFold(0.2, false, 2.0, bow);
    for (bool middle : {false, true}) {
      double xi = 0, d2 = 0;
      sampledFoot(n, 3, 4, 5, middle ? 2 : 1, xi, d2);
      const Fold f = fold2(n, true, 0, 1, middle);
      if (std::fabs(xi) < 0.999) {
        EXPECT_EQ(f.code, 2);
        EXPECT_NEAR(f.xi, xi, 2e-5);
        EXPECT_NEAR(f.dist2, d2, 1e-9);
        ++compared;
      }
    }
    // Node 5 onto the first segment lies beyond node 1: xi written, distance unset, code 3.
    const Fold f = fold2(n, false, 0, 1, false);
    EXPECT_EQ(f.code, 3);
    EXPECT_GT(std::fabs(f.xi), 1.0);
    EXPECT_EQ(f.dist2, kUnset);
  }
  EXPECT_EQ(compared, 6);
}

}  // namespace
