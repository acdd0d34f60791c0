// Counts and indices a caller hands to the patch search, the plane fit and the facet inversion
// that point outside what they index: each routine gives its failure result and reads and writes
// nothing past the caller's arrays.

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "siblings/eqc/testing.h"
#include "tests/support/bezier_surface.h"
#include "tests/support/host_fixture.h"
#include "zmx/geometry/bezier.h"
#include "zmx/geometry/feet.h"
#include "zmx/geometry/planes.h"

namespace {

using zmxtest::BezierSurface;
using zmxtest::Vec3;

class RefusedIndices : public zmxtest::HostFixture {};

constexpr Real kUntouched = 7.5;

TEST_F(RefusedIndices, EachRoutineFailsOnAnIndexOutsideItsTable) {
  const Int patches = 0;
  BEZCMN(&patches);
  Int table[45];
  INITMN(table);

  // Newton start: a grid index outside the 15, or a sample offset past the 31 samples (last case).
  std::vector<Real> samples(93, 0.0);
  for (int s = 0; s < 31; ++s) samples[3 * s] = 0.01 * s, samples[3 * s + 1] = 0.02 * s;
  Int wild[15];
  std::copy_n(table, 15, wild);
  wild[7] = 93;
  const Real step = 1e-7, tolerance = 1e-15, p[3] = {0.1, 0.2, 0.3};
  for (const auto& [mode, start, group] : std::vector<std::tuple<Int, Int, const Int*>>{
           {1, 0, table}, {1, 16, table}, {1, 1 << 30, table}, {2, 1, wild}}) {
    Real coefficients[45], uv[2] = {kUntouched, kUntouched};
    Int status = 0;
    UNEWT(&step, &tolerance, p, group, samples.data(), coefficients, &mode, &start, uv, &status);
    EXPECT_EQ(status, 1) << start;
    EXPECT_EQ(uv[0], kUntouched);
  }

  // Surface search: a corner outside the NV nodes whose distances it keeps, or a control point
  // that names no node, is a search that finds nothing.
  const auto flat = [](const Vec3& x) { return x; };
  const BezierSurface s = zmxtest::buildBezierSurface(zmxtest::gridMesh(2, 2, 2.0, 2.0), flat);
  const Vec3 above{0.5, 0.6, 0.2};
  const Real length = 1.0;
  for (const auto& [offset, node] : std::vector<std::pair<int, Int>>{{0, 0}, {4, s.cornerCount + 1}, {6, 0}, {9, -2}}) {
    BezierSurface bad = s;
    if (offset != 0) bad.setPatchEntry(s.patchCount, offset, node);
    std::vector<Real> nodeDistance(s.cornerCount, kUntouched), work(2 * s.patchCount);
    Real foot[3], frame[12], distance = 0.0;
    Int patch = -1, status = -1;
    BEZIERSEARCH3D(bad.nodes.data(), bad.patches.data(), bad.reach.data(), nodeDistance.data(), work.data(),
                   &bad.patchCount, &bad.cornerCount, table, above.data(), foot, frame, &distance, &patch, &length,
                   &status);
    EXPECT_EQ(status, offset == 0 ? 0 : 1) << "entry " << offset << " = " << node << " (0: the surface as built)";
    if (offset == 0) continue;
    EXPECT_EQ(distance, -1e36);
    EXPECT_EQ(patch, 0);
    EXPECT_EQ(nodeDistance, std::vector<Real>(s.cornerCount, kUntouched));
  }

  // Plane fit of no points: a degenerate polygon, reported, and the fit goes on: a zero normal and
  // centroid, the flag set, the second axis left as it was and no vertex vector written.
  for (const Int count : {0, -4}) {
    eqc_testing::clearMessages();
    const Real point[3] = {1, 2, 3};
    Real normal[3] = {kUntouched, kUntouched, kUntouched}, centroid[3] = {kUntouched, kUntouched, kUntouched};
    Real axes[6] = {kUntouched, kUntouched, kUntouched, 0, 1, 0}, vectors[3] = {kUntouched};
    Logical flag = 5;
    const Logical wanted = kTrue;
    PLANEEQUATION(point, &count, normal, centroid, axes, &flag, vectors, &wanted);
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
    EXPECT_TRUE(eqc_testing::printed("UNABLE TO DETERMINE PLANE SURFACE"));
    EXPECT_EQ(std::vector<Real>(normal, normal + 3), std::vector<Real>(3, 0.0)) << count;
    EXPECT_EQ(std::vector<Real>(centroid, centroid + 3), std::vector<Real>(3, 0.0)) << count;
    EXPECT_EQ(std::vector<Real>(axes + 3, axes + 6), std::vector<Real>({0, 1, 0}));
    EXPECT_EQ(vectors[0], kUntouched);
    EXPECT_EQ(flag, kTrue);
  }

  // Facet inversion with fewer than two nodes, from an array of one node: not found.
  const std::vector<Real> x = {1, 2, 3};
  const Real pt[3] = {1, 2, 3}, along = 0.5, c[4] = {}, tol = 0.01;
  const Int marks[4] = {1, 2, 0, 0};
  const Logical no = kFalse;
  for (const Int n : {1, 0, -1})
    for (const Int where : {1, 2, 3}) {
      Real xi = kUntouched, eta = kUntouched;
      Int k = 9, result = 0;
      FNDPARACOORDONSURF(x.data(), &n, pt, &xi, &eta, &where, marks, &along, &k, &no, &no, c, &tol, &result);
      EXPECT_EQ(std::vector<Real>({Real(result), xi, eta, Real(k)}), std::vector<Real>({1, 0, 0, 0})) << n << where;
    }
}

}  // namespace
