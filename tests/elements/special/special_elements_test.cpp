// Fluid volumes against closed forms and closed boundaries, cavity and segment tables, elbow and
// gap frames, shell transformation data.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

#include "tests/elements/element_model.h"
#include "tests/support/mapped_array.h"
#include "zmx/elements/special.h"

namespace {

using namespace element_model;
using P3 = std::array<Real, 3>;

constexpr Real kPi = 3.14159265358979323846;

Real fluidVolume(Int type, const std::vector<P3>& facet, const P3& reference, Real f = 1.0) {
  std::vector<Real> X;
  for (const P3& p : facet) X.insert(X.end(), p.begin(), p.end());
  X.insert(X.end(), reference.begin(), reference.end());
  const Int ldim = 3, user = 7, dof = 128;
  Real volume = 0.0;
  LFLVOL(&volume, &user, &type, &f, X.data(), &ldim, &dof);
  return volume;
}

P3 cross(const P3& a, const P3& b) { return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]}; }
Real dot(const P3& a, const P3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// A distorted hexahedron (corners of the unit cube moved) and its faces, outward counter-clockwise.
struct Hexahedron {
  std::array<P3, 8> c;
  static constexpr int kFaces[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
  // Volume of the trilinear solid: 2 x 2 x 2 Gauss points integrate det J exactly.
  Real trilinearVolume() const {
    static constexpr int kSign[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                        {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    const Real g = 1.0 / std::sqrt(3.0);
    Real v = 0.0;
    for (int p = 0; p < 8; ++p) {
      const Real q[3] = {kSign[p][0] * g, kSign[p][1] * g, kSign[p][2] * g};
      P3 d[3] = {};
      for (int k = 0; k < 8; ++k)
        for (int a = 0; a < 3; ++a) {
          Real w = kSign[k][a] / 8.0;
          for (int b = 0; b < 3; ++b)
            if (b != a) w *= 1.0 + kSign[k][b] * q[b];
          for (int r = 0; r < 3; ++r) d[a][r] += w * c[k][r];
        }
      v += dot(d[0], cross(d[1], d[2]));
    }
    return v;
  }
};

TEST(FluidVolumes, EachTypeAgainstItsClosedForm) {
  // 3401: the triangle (reference, a, b) times the out-of-plane factor.
  EXPECT_NEAR(fluidVolume(3401, {{3, 1, 0}, {1, 4, 0}}, {1, 1, 0}, 2.5), 2.5 * 0.5 * (2 * 3 - 0 * 0), 1e-14);
  // 3411: a tetrahedron; 3412: a square pyramid of height 3 over a 2 x 2 base.
  EXPECT_NEAR(fluidVolume(3411, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {0, 0, 0}), 1.0 / 6.0, 1e-15);
  EXPECT_NEAR(fluidVolume(3412, {{0, 0, 0}, {0, 2, 0}, {2, 2, 0}, {2, 0, 0}}, {1, 1, 3}), 4.0, 1e-14);
  // 3421: the triangle (axis point, a, b) turned about the axis (Pappus).
  const Real area = 0.5 * ((2 - 0) * (2 - 0) - (0 - 0) * (3 - 0));
  EXPECT_NEAR(fluidVolume(3421, {{2, 0, 0}, {3, 2, 0}}, {0, 0, 0}), area * 2 * kPi * (0 + 2 + 3) / 3.0, 1e-13);
  // Types without a volume leave it alone.
  EXPECT_EQ(fluidVolume(3402, {{1, 0, 0}, {0, 1, 0}}, {0, 0, 0}), 0.0);
}

TEST(FluidVolumes, ClosedBoundariesEncloseTheirVolumeWhereverTheReferenceLies) {
  std::mt19937 random(3);
  std::uniform_real_distribution<Real> u(-0.2, 0.2), far(-5.0, 5.0);
  for (int trial = 0; trial < 10; ++trial) {
    Hexahedron h;
    static constexpr int kCube[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    for (int k = 0; k < 8; ++k)
      for (int r = 0; r < 3; ++r) h.c[k][r] = kCube[k][r] + u(random);
    const P3 reference = {far(random), far(random), far(random)}, other = {far(random), far(random), far(random)};
    Real bilinear = 0.0, triangles = 0.0, trianglesElsewhere = 0.0;
    for (const auto& f : Hexahedron::kFaces) {
      bilinear += fluidVolume(3412, {h.c[f[0]], h.c[f[1]], h.c[f[2]], h.c[f[3]]}, reference);
      for (const auto& t : {std::array<int, 3>{f[0], f[1], f[2]}, std::array<int, 3>{f[0], f[2], f[3]}}) {
        triangles += fluidVolume(3411, {h.c[t[0]], h.c[t[1]], h.c[t[2]]}, reference);
        trianglesElsewhere += fluidVolume(3411, {h.c[t[0]], h.c[t[1]], h.c[t[2]]}, other);
      }
    }
    // Bilinear faces bound the trilinear solid exactly; the triangulated faces bound a polyhedron
    // whose volume does not depend on the reference node.
    EXPECT_NEAR(bilinear, h.trilinearVolume(), 1e-12);
    EXPECT_NEAR(triangles, trianglesElsewhere, 1e-12);
    EXPECT_GT(triangles, 0.5);

    // A polygon (3401) and a meridian section (3421) against the shoelace area and Pappus.
    std::vector<P3> polygon;
    for (int k = 0; k < 7; ++k) {
      const Real angle = 2 * kPi * k / 7, radius = 1.0 + u(random);
      polygon.push_back({3.0 + radius * std::cos(angle), radius * std::sin(angle), 0.0});
    }
    Real shoelace = 0.0, centroidR = 0.0, planar = 0.0, revolved = 0.0;
    const P3 inPlane = {far(random), far(random), 0.0}, onAxis = {0.0, far(random), 0.0};
    for (std::size_t k = 0; k < polygon.size(); ++k) {
      const P3& a = polygon[k];
      const P3& b = polygon[(k + 1) % polygon.size()];
      const Real cr = a[0] * b[1] - b[0] * a[1];
      shoelace += 0.5 * cr;
      centroidR += (a[0] + b[0]) * cr / 6.0;
      planar += fluidVolume(3401, {a, b}, inPlane, 0.75);
      revolved += fluidVolume(3421, {a, b}, onAxis);
    }
    EXPECT_NEAR(planar, 0.75 * shoelace, 1e-12);
    EXPECT_NEAR(revolved, 2 * kPi * centroidR, 1e-11) << "Pappus: 2 pi times the first moment about the axis";
  }
}

class FluidElements : public ElementTest {};

TEST_F(FluidElements, OneCavityOnePairAndTheSegmentRows) {
  std::vector<Real> section(8, 0.0), cavities(8, 0.0);
  section[4] = 2.0;
  const Int db = dm2_testing::nodeDatabase();
  std::vector<Int> segments(5 * 6, 0);
  Int rows = 0;
  const Int L = 6;
  Real volume = 0.0;
  // Two planar two-node elements of one cavity (reference node 3, user 1003).
  for (const Real shift : {0.0, 1.0}) {
    build({.family = 408, .type = 3401, .nodes = {{shift, 1, 0}, {shift + 1, 1, 0}, {0, 0, 0}},
           .words = {{8, 3}, {9, 2}}, .userNodes = {11, 12, 1003}});
    const Int element = 40 + static_cast<Int>(shift);
    LSGFLUID(section.data(), segments.data(), &rows, &L, cavities.data(), &volume, &element, nodeList.data(),
             typeWords.data(), X.data(), &ldim, &db);
    EXPECT_NEAR(volume, 2.0 * 0.5 * (-1.0), 1e-15);
  }
  EXPECT_EQ(rec::slotI(cavities.data(), 1), 1003);
  EXPECT_NEAR(rec::slotR(cavities.data(), 2), -2.0, 1e-15);
  EXPECT_EQ(rec::slotI(cavities.data(), 3), 0) << "one pair only";
  EXPECT_EQ(rows, 4);
  auto row = [&](int r) {
    std::vector<Int> v;
    for (int c = 0; c < 5; ++c) v.push_back(segments[c * L + r - 1]);
    return v;
  };
  const Int ref = nodeList[2];
  EXPECT_EQ(row(3), std::vector<Int>({ref, nodeList[0], -nodeList[0], 41, 3}));
  EXPECT_EQ(row(4), std::vector<Int>({ref, nodeList[1], nodeList[1], 41, 4}));
  // The reference node's degree-of-freedom word is not 128: a level-0 message and key -3014.
  EXPECT_EQ(eqc_testing::filed(-3014), std::vector<int>({1003, 1003}));
  // A table too small for the rows: a warning naming the words missing, and no rows.
  build({.family = 408, .type = 3411, .nodes = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, .words = {{8, 4}, {9, 3}}});
  const Int element = 50;
  LSGFLUID(section.data(), segments.data(), &rows, &L, cavities.data(), &volume, &element, nodeList.data(),
           typeWords.data(), X.data(), &ldim, &db);
  EXPECT_EQ(rows, 4);
  EXPECT_TRUE(eqc_testing::printed("INCREASE BY AT LEAST 5 WORDS"));
  rows = 0;
  LSGFLUID(section.data(), segments.data(), &rows, &L, cavities.data(), &volume, &element, nodeList.data(),
           typeWords.data(), X.data(), &ldim, &db);
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(row(3), std::vector<Int>({nodeList[3], nodeList[2], nodeList[0], 50, 3})) << "closing the loop";
  EXPECT_EQ(rec::slotI(cavities.data(), 3), 1004) << "a second cavity";
  // Outside the pre-processor the fluid messages are not given; the volume still is.
  rec::i(CPROG, eqc_records::kProgramKind) = 1;
  eqc_testing::clearMessages();
  const std::size_t filedBefore = eqc_testing::filed(-3014).size();
  rows = 4;
  volume = 0.0;
  LSGFLUID(section.data(), segments.data(), &rows, &L, cavities.data(), &volume, &element, nodeList.data(),
           typeWords.data(), X.data(), &ldim, &db);
  EXPECT_EQ(rows, 4);
  EXPECT_NE(volume, 0.0);
  EXPECT_FALSE(eqc_testing::printed("INCREASE BY AT LEAST"));
  EXPECT_EQ(eqc_testing::filed(-3014).size(), filedBefore);
}

bool rightHandedOrthonormal(const Real* c1, const Real* c2, const Real* c3) {
  const P3 a{c1[0], c1[1], c1[2]}, b{c2[0], c2[1], c2[2]}, c{c3[0], c3[1], c3[2]};
  const P3 axb = cross(a, b);
  return std::fabs(dot(a, a) - 1) < 1e-14 && std::fabs(dot(b, b) - 1) < 1e-14 && std::fabs(dot(a, b)) < 1e-14 &&
         std::fabs(axb[0] - c[0]) < 1e-14 && std::fabs(axb[1] - c[1]) < 1e-14 && std::fabs(axb[2] - c[2]) < 1e-14;
}

TEST_F(FluidElements, ElbowTriadAndItsMessages) {
  std::vector<Real> section(20, 0.0);
  section[4] = 0.3, section[5] = 2.0, section[6] = 0.1;  // tangency point
  section[16] = 1.0, section[17] = 2.0, section[19] = 0.5;
  std::vector<Int> rec(80, 0);
  rec[0] = 2302;
  std::vector<Real> X = {0, 0, 0, 0.5, 0.1, 0.05, 1, 0, 0.2};
  const Int ldim = 3, element = 61;
  for (Int k = 1; k <= 3; ++k) {
    Real length = 0.0, inverse = 0.0, triad[9];
    Int flag = 9;
    LEG300PGEOM(&element, &k, rec.data(), X.data(), &ldim, section.data(), &length, &inverse, triad, &flag);
    EXPECT_EQ(flag, 0);
    EXPECT_TRUE(rightHandedOrthonormal(&triad[0], &triad[3], &triad[6])) << k;
    const Real chord = std::sqrt(1.0 + 0.04);
    EXPECT_NEAR(length, 2.0 * std::asin(0.25 * chord), 1e-15);
  }
  EXPECT_EQ(rec::i(CPHCON, 1), 1) << "the chord is added once, at the first point";
  // A chord longer than 2 / real 20: s = 1 and nothing added.
  rec::clear(CPHCON);
  section[19] = 4.0;
  Real length = 0.0, inverse = 0.0, triad[9];
  Int flag = 0;
  const Int one = 1;
  LEG300PGEOM(&element, &one, rec.data(), X.data(), &ldim, section.data(), &length, &inverse, triad, &flag);
  EXPECT_EQ(length, 2.0);
  EXPECT_EQ(rec::i(CPHCON, 1), 0);
  // Zero length and a tangency point on the axis.
  std::vector<Real> point = {0, 0, 0, 0, 0, 0, 0, 0, 0};
  LEG300PGEOM(&element, &one, rec.data(), point.data(), &ldim, section.data(), &length, &inverse, triad, &flag);
  EXPECT_TRUE(eqc_testing::printed("ELEMENT 61 IS OF ZERO OR SMALL LENGTH"));
  EXPECT_EQ(eqc_testing::filed(-2004), std::vector<int>({61}));
  section[4] = 0.5, section[5] = 0.0, section[6] = 0.0;
  std::vector<Real> straight = {0, 0, 0, 0.5, 0, 0, 1, 0, 0};
  LEG300PGEOM(&element, &one, rec.data(), straight.data(), &ldim, section.data(), &length, &inverse, triad, &flag);
  EXPECT_EQ(eqc_testing::filed(-2023), std::vector<int>({61}));
  for (Real v : triad) EXPECT_TRUE(std::isfinite(v));
  // A two-node elbow: the axis from node 1 to node 2 with weights (-h/2, h/2), so |T| = chord h/2
  // and T along the chord; a is the tangency point's part at right angles to it.
  section[4] = 0.3, section[5] = 2.0, section[6] = 0.1, section[19] = 0.5;
  rec[0] = 2301;
  const std::vector<Real> two = {0, 0, 0, 1, 0, 0.2};
  const Real chord = std::sqrt(1.04);
  LEG300PGEOM(&element, &one, rec.data(), two.data(), &ldim, section.data(), &length, &inverse, triad, &flag);
  EXPECT_NEAR(length, 2.0 * std::asin(0.25 * chord), 1e-15);
  EXPECT_NEAR(inverse, 2.0 * length / chord, 1e-13);
  for (int r = 0; r < 3; ++r) EXPECT_NEAR(triad[6 + r], two[3 + r] / chord, 1e-15);
  const Real a[3] = {0.3, 2.0, 0.1}, along = (a[0] * 1.0 + a[2] * 0.2) / 1.04;
  const Real normal[3] = {a[0] - along, a[1], a[2] - 0.2 * along};
  const Real size = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
  for (int r = 0; r < 3; ++r) EXPECT_NEAR(triad[3 + r], normal[r] / size, 1e-15);
  EXPECT_TRUE(rightHandedOrthonormal(&triad[0], &triad[3], &triad[6]));
}

TEST_F(FluidElements, AFullCavityTableIsASystemErrorAndStaysAsItWas) {
  // Four pairs, all taken by other reference nodes, in a table whose room is known.
  zmxtest::MappedArray cavities(8);
  for (int i = 0; i < 4; ++i) rec::setSlotI(cavities.data(), 2 * i + 1, 2001 + i), rec::setSlotR(cavities.data(), 2 * i + 2, 1.0);
  const std::vector<Real> before(cavities.data(), cavities.data() + 8);
  build({.family = 408, .type = 3411, .nodes = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, .words = {{8, 4}, {9, 3}}});
  std::vector<Real> section(8, 0.0);
  std::vector<Int> segments(5 * 6, 0);
  Int rows = 0;
  const Int L = 6, element = 70, db = dm2_testing::nodeDatabase();
  Real volume = 0.0;
  LSGFLUID(section.data(), segments.data(), &rows, &L, cavities.data(), &volume, &element, nodeList.data(),
           typeWords.data(), X.data(), &ldim, &db);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN LSGFLUID - LOOP 20 EXCEEDED"));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_EQ(std::vector<Real>(cavities.data(), cavities.data() + 8), before);
  EXPECT_TRUE(cavities.guardsKept());
  EXPECT_NEAR(volume, -1.0 / 6.0, 1e-15) << "the element's own volume is still formed";
}

TEST_F(FluidElements, GapFrameIsRightHandedAroundTheGapDirection) {
  std::vector<Real> gap = {0, 0, 0, 0.25, 0, 0, 0, 9.0};
  std::vector<Real> X = {1, 1, 1, 2, 3, 3};
  const Int ldim = 3, element = 71;
  Real frame[10], opening = 0.0;
  for (const Int type : {201, 291}) {
    GAP_GEOM(&element, frame, &opening, gap.data(), X.data(), &ldim, &type);
    EXPECT_TRUE(rightHandedOrthonormal(&frame[0], &frame[3], &frame[6]));
    EXPECT_NEAR(frame[6], 1.0 / 3.0, 1e-15);
    EXPECT_NEAR(frame[7], 2.0 / 3.0, 1e-15);
    EXPECT_EQ(frame[9], 9.0);
    EXPECT_EQ(opening, -0.25);
  }
  // A user direction, normalised first.
  gap[4] = 0, gap[5] = 0, gap[6] = -4;
  const Int type = 201;
  GAP_GEOM(&element, frame, &opening, gap.data(), X.data(), &ldim, &type);
  EXPECT_EQ(frame[8], -1.0);
  EXPECT_TRUE(rightHandedOrthonormal(&frame[0], &frame[3], &frame[6]));
  const Int dgap = 4201;
  GAP_GEOM(&element, frame, &opening, gap.data(), X.data(), &ldim, &dgap);
  EXPECT_TRUE(eqc_testing::printed("USER SPECIFIED GAP NORMAL IS IGNORED FOR DGAP ELEMENTS"));
  EXPECT_EQ(std::vector<Real>(frame, frame + 9), std::vector<Real>(9, 0.0));
  // Both nodes at one point: key -2035 and the zero difference.
  gap[6] = 0;
  std::vector<Real> same = {1, 1, 1, 1, 1, 1};
  GAP_GEOM(&element, frame, &opening, gap.data(), same.data(), &ldim, &type);
  EXPECT_EQ(eqc_testing::filed(-2035), std::vector<int>({71}));
  EXPECT_EQ(std::vector<Real>(frame, frame + 9), std::vector<Real>(9, 0.0));
}

TEST_F(FluidElements, ShellTransformationData) {
  Real S[4], W[5], R[4];
  const Real t = 2.0, b = 4.0, c = 0.5, d = 8.0;
  HELSAX(nullptr, &t, &b, &c, &d, S, W, R);
  EXPECT_EQ(std::vector<Real>(S, S + 4), std::vector<Real>({2.0, 0, 0, 2.0}));
  EXPECT_EQ(std::vector<Real>(W, W + 5), std::vector<Real>({1, 1, 0, 0, 1}));
  EXPECT_EQ(std::vector<Real>(R, R + 4), std::vector<Real>({2.0, 0, 0, 0.25}));
  const Real degenerate = 0.0;
  HELSAX(nullptr, &t, &degenerate, &c, &d, S, W, R);
  EXPECT_EQ(R[3], 1.0) << "a vanishing meridian length takes the reciprocal 1";
  EXPECT_EQ(S[3], d);
  const Real tiny = 1.0e-20;  // short but not zero: the true reciprocal
  HELSAX(nullptr, &t, &tiny, &c, &d, S, W, R);
  EXPECT_EQ(R[3], 1.0 / tiny);
  EXPECT_EQ(S[3], d / tiny);
  std::vector<Int> rec(80, 0);
  rec[57] = 1, rec[3] = 300, rec[19] = 1;
  const Int four = 4, element = 81;
  Real a5[4] = {1, 2, 3, 4}, a10[4] = {}, a11[5] = {}, a12[4] = {}, a13[2] = {7, 7};
  EQTRNINI(nullptr, &four, &element, rec.data(), a5, &t, &b, &c, &d, a10, a11, a12, a13);
  EXPECT_EQ(std::vector<Real>(a10, a10 + 4), std::vector<Real>({1, 2, 3, 4}));
  EXPECT_EQ(std::vector<Real>(a13, a13 + 2), std::vector<Real>({0, 0}));
  rec[3] = 205;
  EQTRNINI(nullptr, &four, &element, rec.data(), a5, &t, &b, &c, &d, a10, a11, a12, a13);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN EQTRNINI, el=81"));
}

}  // namespace
