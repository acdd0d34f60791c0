// Shells: nodal weights, projected-coordinate terms, per-section derivatives, surface measures,
// shear normals, the nine-node centre rule, continuum-shell directors and what each family writes.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

#include "siblings/eqc/facet_shapes.h"
#include "tests/elements/element_model.h"
#include "zmx/elements/shells.h"

namespace {

using namespace element_model;
constexpr Real kPi = 3.14159265358979323846;

class Shells : public ElementTest {};

// Shape-function table (row per node; value, d/dxi, d/deta per point) at 1 or 2 x 2 Gauss points.
bool shapeTable(int n, int points, Real* table) {
  const Real g = 1.0 / std::sqrt(3.0);
  for (int p = 0; p < points; ++p) {
    const Real xi = points == 1 ? 0.0 : (p % 2 == 0 ? -g : g), eta = points == 1 ? 0.0 : (p / 2 == 0 ? -g : g);
    Real v[27];
    const Int mode = 0;
    if (n == 4) EQC_INTQ4(&xi, &eta, v, &mode);
    else if (n == 8) EQC_INTQ8(&xi, &eta, v, &mode);
    else if (n == 9) EQC_INTQ9(&xi, &eta, v, &mode);
    else return false;
    for (int k = 0; k < n; ++k)
      for (int c = 0; c < 3; ++c) table[k + n * (3 * p + c)] = v[c * n + k];
  }
  return true;
}

// The trapezoid (0,0), (4,0), (3,2), (1,2) of area 6 on the axes (0.6, 0, 0.8) and (0, 1, 0): one
// node per entry.
Coordinates tiltedTrapezoid() {
  const Real local[4][2] = {{0, 0}, {4, 0}, {3, 2}, {1, 2}};
  Coordinates nodes;
  for (const auto& p : local) nodes.push_back({0.6 * p[0], p[1], 0.8 * p[0]});
  return nodes;
}

// A random planar, convex-ish quadrilateral in a tilted plane, columns of 3.
std::vector<Real> planarQuad(std::mt19937& random) {
  std::uniform_real_distribution<Real> u(-0.3, 0.3);
  const Real local[4][2] = {{-1 + u(random), -1 + u(random)}, {1 + u(random), -1 + u(random)},
                            {1 + u(random), 1 + u(random)}, {-1 + u(random), 1 + u(random)}};
  const Real e1[3] = {0.6, 0.0, 0.8}, e2[3] = {0.0, 1.0, 0.0}, o[3] = {1, 2, 3};
  std::vector<Real> X;
  for (const auto& p : local)
    for (int r = 0; r < 3; ++r) X.push_back(o[r] + p[0] * e1[r] + p[1] * e2[r]);
  return X;
}

TEST_F(Shells, NodalWeightsIntegrateTheShapeFunctions) {
  std::mt19937 random(5);
  const Real g = 1.0 / std::sqrt(3.0);
  for (int trial = 0; trial < 20; ++trial) {
    const auto X = planarQuad(random);
    const Int ld = 3;
    Real w[4];
    SHELLNODALWEIGHTS(X.data(), &ld, w);
    Real want[4] = {}, area = 0.0;
    for (const Real xi : {-g, g})
      for (const Real eta : {-g, g}) {
        const Real N[4] = {(1 - xi) * (1 - eta) / 4, (1 + xi) * (1 - eta) / 4, (1 + xi) * (1 + eta) / 4,
                           (1 - xi) * (1 + eta) / 4};
        const Real dxi[4] = {-(1 - eta) / 4, (1 - eta) / 4, (1 + eta) / 4, -(1 + eta) / 4};
        const Real deta[4] = {-(1 - xi) / 4, -(1 + xi) / 4, (1 + xi) / 4, (1 - xi) / 4};
        Real a[3] = {}, b[3] = {};
        for (int k = 0; k < 4; ++k)
          for (int r = 0; r < 3; ++r) a[r] += dxi[k] * X[3 * k + r], b[r] += deta[k] * X[3 * k + r];
        const Real c[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
        const Real J = std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
        for (int k = 0; k < 4; ++k) want[k] += N[k] * J;
        area += J;
      }
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(w[k], want[k], 1e-13);
    EXPECT_NEAR(w[0] + w[1] + w[2] + w[3], area, 1e-13);
  }
}

TEST_F(Shells, ParallelogramTermsAndTheInvertedProjection) {
  // A parallelogram in the x-y plane: sides (2, 0) and (0.5, 1), area 2.
  std::vector<Real> X = {0, 0, 0, 2, 0, 0, 2.5, 1, 0, 0.5, 1, 0};
  const Int ld = 3, type = 2021, zero = 0;
  Real g[6], det, g11, g12, g22, area = 0.0;
  LHSG02GEOM1(X.data(), &ld, &type, g, &det, &g11, &g12, &g22, &area, &zero);
  EXPECT_NEAR(area, 2.0, 1e-15);
  const Int one = 1, other = 2006;
  Real untouched = 0.0;
  LHSG02GEOM1(X.data(), &ld, &type, g, &det, &g11, &g12, &g22, &untouched, &one);
  EXPECT_EQ(untouched, 0.0);
  EXPECT_EQ(det, 0.0);
  LHSG02GEOM1(X.data(), &ld, &other, g, &det, &g11, &g12, &g22, &untouched, &zero);
  EXPECT_EQ(g11, 0.0);

  const Real p[8] = {0, 0, 2, 0, 2.5, 1, 0.5, 1};
  Real a = 9, b = 9, v[4];
  const Int user = 33;
  LTSCOEFF(p, &a, &b, &v[0], &v[1], &v[2], &v[3], &user);
  EXPECT_NEAR(a, 0.0, 1e-15);
  EXPECT_NEAR(b, 0.0, 1e-15);
  EXPECT_EQ(std::vector<Real>(v, v + 4), std::vector<Real>({0.5, -0.5, 0.5, -0.5}));
  EXPECT_TRUE(eqc_testing::filed(-2005).empty());
  const Real inverted[8] = {0, 0, 0.5, 1, 2.5, 1, 2, 0};
  LTSCOEFF(inverted, &a, &b, &v[0], &v[1], &v[2], &v[3], &user);
  EXPECT_EQ(eqc_testing::filed(-2005), std::vector<int>({33}));
  for (Real c : {a, b, v[0], v[1], v[2], v[3]}) EXPECT_TRUE(std::isfinite(c));

  // LSG45 on the parallelogram with the area as its measure: b = (1, -1, 1, -1) / 4.
  const std::vector<Real> normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
  const Real axes[6] = {1, 0, 0, 0, 1, 0};
  Real measure = 2.0, derivatives[18] = {}, a9[2] = {}, a10[2] = {}, bv[4], edges[4] = {}, inverse[4], areaOut,
       coefficients[2], vec[4];
  LSG45(X.data(), &ld, normals.data(), &type, &user, &measure, axes, derivatives, a9, a10, bv, edges, inverse, &areaOut,
        coefficients, vec, &zero);
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(bv[k], (k % 2 == 0 ? 0.25 : -0.25), 1e-15);
  EXPECT_EQ(std::vector<Real>(edges, edges + 4), std::vector<Real>(4, 1.0));
  EXPECT_NEAR(areaOut, 2.0, 1e-15);
  // The inverse in-plane Jacobian times the Jacobian is the identity.
  const Real K[4] = {g[0], g[1], g[3], g[4]};  // K11 = g1.e1, K21 = g1.e2, K12 = g2.e1, K22 = g2.e2
  EXPECT_NEAR(inverse[0] * K[0] + inverse[2] * K[1], 1.0, 1e-15);
  EXPECT_NEAR(inverse[1] * K[0] + inverse[3] * K[1], 0.0, 1e-15);
  // Two coincident consecutive corners zero the vector.
  std::vector<Real> collapsed = {0, 0, 0, 0, 0, 0, 2.5, 1, 0, 0.5, 1, 0};
  LSG45(collapsed.data(), &ld, normals.data(), &type, &user, &measure, axes, derivatives, a9, a10, bv, edges, inverse,
        &areaOut, coefficients, vec, &zero);
  EXPECT_EQ(std::vector<Real>(vec, vec + 4), std::vector<Real>(4, 0.0));
  EXPECT_EQ(edges[0], 0.0);
}

TEST_F(Shells, SectionDerivativesReproduceTheTangentsAndFlatShellsHaveNoCurvature) {
  std::mt19937 random(9);
  std::uniform_real_distribution<Real> u(-0.15, 0.15);
  for (const int n : {4, 8, 9}) {
    const int points = n == 4 ? 1 : 4;
    const Real at[9][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}, {0, 0}};
    Coordinates nodes;
    for (int k = 0; k < n; ++k) nodes.push_back({at[k][0] + u(random), at[k][1] + u(random), 0.0});
    build({.family = 203, .type = 2006, .nodes = nodes, .words = {{14, points}, {48, 0}}});
    Real table[9 * 27];
    // The element's own shape functions at its points (what LSG8 hands on).
    ASSERT_TRUE(shapeTable(n, points, table));
    const std::vector<Real> normals(3 * n, 0.0);
    std::vector<Real> flat(3 * n);
    for (int k = 0; k < n; ++k) flat[3 * k + 2] = 1.0;
    for (Int i = 1; i <= points; ++i) {
      Real area, point[9], matrix[4], curvature[4], a13[2], a14[2], a15[2], a16[2], d[18], a18[9], a19[4], a20[4], a21,
          a22[2], a23[4];
      const Int flag = 1, zero = 0;
      const Int nn = n;
      LHSG02GEOM(X.data(), &ldim, table, &nn, &i, flat.data(), &flag, &handle, &area, point, matrix, curvature, a13, a14,
                 a15, a16, d, a18, a19, a20, &a21, a22, a23, &zero, &zero);
      for (int r = 1; r <= 3; ++r) {
        Real s1 = 0.0, s2 = 0.0;
        for (int k = 1; k <= n; ++k) s1 += d[k - 1] * x(r, k), s2 += d[9 + k - 1] * x(r, k);
        EXPECT_NEAR(s1, point[r - 1], 1e-13) << n;
        EXPECT_NEAR(s2, point[3 + r - 1], 1e-13) << n;
      }
      for (Real c : curvature) EXPECT_EQ(c, 0.0);
      EXPECT_NEAR(point[8], 1.0, 1e-14) << "the interpolated normal";
      if (n == 8) {
        EXPECT_EQ(a14[0], 0.0);
      }
    }
  }
}

TEST_F(Shells, LineShellMeasuresSumToTheFrustumArea) {
  const Real r1 = 1.0, z1 = 0.0, r2 = 3.0, z2 = 2.0;
  const Real slant = std::sqrt((r2 - r1) * (r2 - r1) + (z2 - z1) * (z2 - z1)), want = kPi * (r1 + r2) * slant;
  const Int ld = 2;
  const std::vector<Real> two = {r1, z1, r2, z2}, three = {r1, z1, 0.5 * (r1 + r2), 0.5 * (z1 + z2), r2, z2};
  std::vector<Int> rec(80, 0);
  // LSG001SURF summed over the points 1 to n of X under the record as it stands.
  auto surfaceSum = [&](const std::vector<Real>& X, Int n) {
    Real total = 0.0;
    for (Int p = 1; p <= n; ++p) {
      Real m = 0.0;
      LSG001SURF(&m, X.data(), &p, &ld, rec.data());
      total += m;
    }
    return total;
  };
  for (const auto& [X, n] : {std::pair{two, 2}, std::pair{three, 3}}) {
    const Int nodes = n, flag = 2;
    Real sum = 0.0;
    for (Int p = 1; p <= n; ++p) {
      Real m = 0.0;
      LSGSAXSURF(&p, &nodes, &flag, X.data(), &ld, &m);
      sum += m;
    }
    EXPECT_NEAR(sum, want, 1e-12) << n;
    rec[35] = n, rec[59] = 0, rec[13] = 2, rec[8] = n;
    EXPECT_NEAR(surfaceSum(X, n), want, 1e-12) << n;
    rec[59] = 1;
    EXPECT_NEAR(surfaceSum(X, n), want, 1e-12) << n << " with word 60";
  }
  // Word 9 other than the node count: J (1 + (z - z_ref)/24) with the reference point in column
  // n + 1. The chord from (1, 0) to (3, 2) has J = sqrt(2) and z = 1 -+ 1/sqrt(3) at its points;
  // with z_ref = -1 the two points sum to sqrt(2) (2 + 4/24).
  rec.assign(80, 0);
  rec[35] = 2, rec[8] = 5, rec[13] = 2;
  EXPECT_NEAR(surfaceSum({r1, z1, r2, z2, 0.0, -1.0}, 2), std::sqrt(2.0) * (2.0 + 4.0 / 24.0), 1e-14);
}

TEST_F(Shells, EdgeShearNormalsOfAFlatSquare) {
  const std::vector<Real> X = {0, 0, 0, 2, 0, 0, 2, 2, 0, 0, 2, 0};
  const std::vector<Real> normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
  const Int ld = 3, four = 4;
  const Real thickness = 0.3;
  Real out[12];
  for (const Int type : {2021, 2022, 2031}) {
    THICKSHELLSHEARNORM(X.data(), &ld, normals.data(), &type, out, &thickness, &four);
    for (int e = 0; e < 4; ++e) EXPECT_EQ(std::vector<Real>(out + 3 * e, out + 3 * e + 3), std::vector<Real>({0, 0, 1}));
  }
  const Int plain = 2006;
  THICKSHELLSHEARNORM(X.data(), &ld, normals.data(), &plain, out, &thickness, &four);
  for (int e = 0; e < 4; ++e) EXPECT_EQ(std::vector<Real>(out + 3 * e, out + 3 * e + 3), std::vector<Real>({0, 0.5, 0.15}));
  // A zero-length edge of a type-2021 element keeps the mean normal as it is.
  const std::vector<Real> collapsed = {0, 0, 0, 0, 0, 0, 2, 2, 0, 0, 2, 0};
  const std::vector<Real> tilted = {0, 0, 2, 0, 2, 0, 0, 0, 1, 0, 0, 1};
  const Int type = 2021;
  THICKSHELLSHEARNORM(collapsed.data(), &ld, tilted.data(), &type, out, &thickness, &four);
  EXPECT_EQ(std::vector<Real>(out, out + 3), std::vector<Real>({0, 1, 1}));
}

TEST_F(Shells, AxisymmetricShearNormalsCountAndOrthogonality) {
  const std::vector<Real> X = {1.0, 0.0, 1.6, 0.7, 2.5, 1.1};  // a curved three-node meridian
  const Int ld = 2;
  for (const Int n : {2, 3})
    for (const Int k : {1, 2, 3}) {
      Int count = 0, perEdge = 0;
      const Int family = 210;
      SETNUMSHEARPOINT(&n, &k, &family, &count, &perEdge);
      std::vector<Real> out(3 * count + 3, 7.0);
      SAXASHEARNORMALS(&n, &k, X.data(), &ld, out.data());
      EXPECT_EQ(out[3 * count], 7.0) << "nothing past the counted points";
      for (int p = 0; p < count; ++p) {
        EXPECT_EQ(out[3 * p + 1], 0.0);
        EXPECT_NEAR(out[3 * p] * out[3 * p] + out[3 * p + 2] * out[3 * p + 2], 1.0, 1e-14);
      }
      if (n == 2)
        for (int p = 0; p < count; ++p) EXPECT_EQ(out[3 * p], out[0]);
      else {
        // Station 1 point 1 is at xi = -1/sqrt(3): the normal is orthogonal to the tangent there.
        const Real xi = -1.0 / std::sqrt(3.0);
        const Real tr = (xi - 0.5) * X[0] - 2 * xi * X[2] + (xi + 0.5) * X[4];
        const Real tz = (xi - 0.5) * X[1] - 2 * xi * X[3] + (xi + 0.5) * X[5];
        EXPECT_NEAR(out[0] * tr + out[2] * tz, 0.0, 1e-14);
      }
    }
  Int count = 0, perEdge = 0;
  const Int three = 3, one = 1, two = 2, family = 210;
  SETNUMSHEARPOINT(&three, &one, &family, &count, &perEdge);
  EXPECT_EQ(count, 2);
  SETNUMSHEARPOINT(&three, &two, &family, &count, &perEdge);
  EXPECT_EQ(count, 7);
  Int p1, p2, c1 = 14, c2 = 27;
  const Int on = 1;
  ELAYINT(&on, &c1, &c2, &p1, &p2);
  EXPECT_EQ(std::vector<Int>({p1, c1, p2, c2}), std::vector<Int>({5, 5, 3, 9}));
  // The other families: the continuum shell, then by node count.
  struct Shear {
    Int nodes, family, count, perEdge;
  };
  for (const Shear c : {Shear{8, 216, 4, 2}, Shear{4, 203, 4, 2}, Shear{3, 203, 3, 3}, Shear{6, 202, 6, 3},
                        Shear{9, 203, 12, 3}, Shear{8, 203, 0, 0}}) {
    Int got = -1, edge = -1;
    const Int k = 3;
    SETNUMSHEARPOINT(&c.nodes, &k, &c.family, &got, &edge);
    EXPECT_EQ(std::vector<Int>({got, edge}), std::vector<Int>({c.count, c.perEdge})) << c.family << " " << c.nodes;
  }
}

TEST_F(Shells, NineNodeCentreTakesTheSerendipityValue) {
  const Real at[9][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}, {0, 0}};
  auto field = [](Real s, Real t, int row) { return row + 1.5 * s - t + s * s + 0.5 * s * t - 2 * t * t + s * s * t - s * t * t; };
  // The type code and the program kind decide; the node count handed in (9, or the 8 of the type
  // record) does not.
  struct Case {
    Int type, nodes, program;
    bool centre;
  };
  for (const Case c : {Case{2006, 9, 0, true}, Case{2023, 8, 0, true}, Case{2006, 8, 0, true},
                       Case{2005, 9, 0, false}, Case{2006, 9, 1, false}}) {
    Coordinates nodes;
    for (const auto& p : at) nodes.push_back({p[0], p[1], 0.0, 0, 0, 1});
    build({.family = 203, .type = c.type, .nodes = nodes, .words = {{14, 4}}});
    rec::i(CPROG, eqc_records::kProgramKind) = c.program;
    rec::i(CNSPRE, 2) = 2, rec::i(CNSPRE, 3) = 4;
    std::vector<Real> values(4 * 9, 0.0);
    for (int k = 0; k < 8; ++k)
      for (int row = 0; row < 4; ++row) values[4 * k + row] = field(at[k][0], at[k][1], row);
    const Int a9 = 4, zero = 0, cgn7 = 0, cgn15 = 0;
    Int a7 = 0, a15 = 0;
    Real a3[4] = {}, a11[4] = {}, a12[4] = {}, a20[4] = {};
    LSG8(X.data(), &ldim, a3, &zero, &c.nodes, &handle, &a7, values.data(), &a9, nodeList.data(), a11, a12, &zero,
         &zero, &a15, &zero, &cgn7, &zero, &cgn15, a20);
    EXPECT_EQ(a7, 1);
    EXPECT_EQ(values[4 * 8 + 0], 0.0) << "row 1 is not preset";
    EXPECT_NEAR(values[4 * 8 + 1], c.centre ? 1.0 : 0.0, 1e-14) << c.type << " " << c.nodes << " " << c.program;
    EXPECT_NEAR(values[4 * 8 + 2], c.centre ? 2.0 : 0.0, 1e-14) << c.type << " " << c.nodes << " " << c.program;
    EXPECT_EQ(values[4 * 8 + 3], 0.0) << "row 4 is past the preset rows";
  }
}

TEST_F(Shells, EachFamilyWritesItsVariables) {
  const Real at[9][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}, {0, 0}};
  for (const Int family : {202, 203})
    for (const int n : {4, 6, 8, 9}) {
      Coordinates nodes;
      for (int k = 0; k < n; ++k) nodes.push_back({at[k][0] + 0.1 * k, at[k][1], 0.05 * k, 0, 0.1, 1});
      if (n == 6) nodes = {{0, 0, 0, 0, 0, 1}, {2, 0, 0, 0, 0, 1}, {0, 2, 0, 0, 0, 1},
                           {1, 0, 0, 0, 0, 1}, {1, 1, 0, 0, 0, 1}, {0, 1, 0, 0, 0, 1}};
      const int points = n == 6 ? 3 : 4;
      std::vector<std::vector<dm2_testing::Variable>> subs(
          points, {reals(17, 4), reals(24, 1), reals(28, 2), reals(29, 5)});
      build({.family = family, .type = 2006, .nodes = nodes, .words = {{14, points}},
             .variables = {reals(18, 3 * n), reals(22, 12), reals(23, 12), reals(24, 1)}, .sublayouts = subs});
      const Int zero = 0, cgn = 0, nn = n;
      Int a7 = 0, a15 = 0, v19 = 0;
      Real a3[4] = {}, a11[4] = {}, a12[4] = {}, a20[4] = {};
      std::vector<Real> values(9 * 4, 0.0);
      nodeList.resize(9, 0);  // the node list always has room for the centre node
      const Int four = 4;
      LSG8(X.data(), &ldim, a3, &v19, &nn, &handle, &a7, values.data(), &four, nodeList.data(), a11, a12, &zero, &zero,
           &a15, &zero, &cgn, &zero, &cgn, a20);
      const bool full = family != 202;
      EXPECT_EQ(variable(18, 3)[2], 1.0);
      EXPECT_EQ(variable(22, 1)[0] != -99.0, full) << family << " " << n;
      EXPECT_EQ(variable(23, 1)[0] != -99.0, full);
      EXPECT_EQ(variable(17, 1, 1)[0] != -99.0, full);
      EXPECT_EQ(variable(29, 5, 1), full ? std::vector<Real>({1, 1, 0, 0, 1}) : std::vector<Real>(5, -99.0));
      EXPECT_EQ(variable(28, 2, 1), full ? std::vector<Real>({0, 0}) : std::vector<Real>(2, -99.0));
      EXPECT_EQ(variable(24, 1, 1)[0] != -99.0, family == 202 && n == 9);
      EXPECT_EQ(variable(24, 1)[0] != -99.0, n == 6);
      if (n == 6) {
        EXPECT_NEAR(variable(24, 1)[0], 12.0, 1e-13) << "three points of weight 1 on det J 4";
      }
    }
}

TEST_F(Shells, EverySectionPointRuleGivesTheJacobianAtItsPointAndOthersAreReported) {
  // Quadrilaterals: nodes placed by the bilinear map of a trapezoid, whose Jacobian varies with eta,
  // so each section point is told apart. Triangles: the linear map of its first three corners.
  const Real c[4][2] = {{0, 0}, {4, 0}, {3, 2}, {1, 2}};
  const Real quad[9][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}, {0, 0}};
  const Real tri[6][2] = {{0, 0}, {1, 0}, {0, 1}, {0.5, 0}, {0.5, 0.5}, {0, 0.5}};
  auto triangle = [](int n) { return n == 3 || n == 6; };
  // Position and |dx/dxi x dx/deta| of the map at (xi, eta).
  auto map = [&](int n, Real xi, Real eta, Real* x) {
    Real N[4], dxi[4], deta[4];
    if (triangle(n)) {
      const Real t[4] = {1 - xi - eta, xi, eta, 0}, a[4] = {-1, 1, 0, 0}, b[4] = {-1, 0, 1, 0};
      std::copy_n(t, 4, N), std::copy_n(a, 4, dxi), std::copy_n(b, 4, deta);
    } else {
      for (int k = 0; k < 4; ++k) {
        N[k] = 0.25 * (1 + quad[k][0] * xi) * (1 + quad[k][1] * eta);
        dxi[k] = 0.25 * quad[k][0] * (1 + quad[k][1] * eta), deta[k] = 0.25 * quad[k][1] * (1 + quad[k][0] * xi);
      }
    }
    Real g[2][2] = {};
    for (int r = 0; r < 2; ++r) {
      x[r] = 0.0;
      for (int k = 0; k < 4; ++k) x[r] += N[k] * c[k][r], g[0][r] += dxi[k] * c[k][r], g[1][r] += deta[k] * c[k][r];
    }
    return g[0][0] * g[1][1] - g[0][1] * g[1][0];
  };
  // Where section point p of a quadrilateral lies: a Gauss lattice, xi running fastest. (A
  // triangle's Jacobian is the same at every point.)
  auto pointOf = [&](int n, int points, int p) -> std::array<Real, 2> {
    if (triangle(n)) return {1.0 / 3, 1.0 / 3};
    const int m = points == 9 ? 3 : (points == 4 ? 2 : 1);
    auto abscissa = [&](int i) {
      return m == 1 ? 0.0 : (m == 2 ? (2 * i - 1) / std::sqrt(3.0) : (i - 1) * std::sqrt(0.6));
    };
    return {abscissa((p - 1) % m), abscissa((p - 1) / m)};
  };
  auto run = [&](int n, Int points) {
    Coordinates nodes;
    for (int k = 0; k < n; ++k) {
      Real x[2];
      map(n, triangle(n) ? tri[k][0] : quad[k][0], triangle(n) ? tri[k][1] : quad[k][1], x);
      nodes.push_back({x[0], x[1], 0, 0, 0, 1});
    }
    build({.family = 203, .type = 2006, .nodes = nodes, .words = {{14, points}}, .variables = {reals(18, 3 * n)},
           .sublayouts = std::vector<std::vector<dm2_testing::Variable>>(std::max<Int>(points, 0), {reals(17, 4)})});
    const Int zero = 0, nn = n, four = 4;
    Int a7 = 0, a15 = 0;
    Real a3[4] = {}, a11[4] = {}, a12[4] = {}, a20[4] = {};
    std::vector<Real> values(9 * 4, 0.0);
    nodeList.resize(9, 0);
    LSG8(X.data(), &ldim, a3, &zero, &nn, &handle, &a7, values.data(), &four, nodeList.data(), a11, a12, &zero, &zero,
         &a15, &zero, &zero, &zero, &zero, a20);
  };
  for (const auto& [n, points] : std::vector<std::pair<int, Int>>{
           {3, 1}, {3, 3}, {6, 1}, {6, 3}, {4, 1}, {4, 4}, {4, 9}, {8, 1}, {8, 4}, {8, 9}, {9, 1}, {9, 4}, {9, 9}}) {
    eqc_testing::clearMessages();
    run(n, points);
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
    for (int p = 1; p <= points; ++p) {
      // The check leaves the inverse of the in-plane Jacobian in variable 17.
      const auto inverse = variable(17, 4, p);
      const auto [xi, eta] = pointOf(n, points, p);
      Real x[2];
      EXPECT_NEAR(1.0 / (inverse[0] * inverse[3] - inverse[1] * inverse[2]), map(n, xi, eta, x), 1e-12)
          << n << " nodes, point " << p << " of " << points;
    }
  }
  // Rules no shell has: one level -3 report naming the count, and the element left as it was.
  for (const auto& [n, points] : std::vector<std::pair<int, Int>>{{4, 2}, {8, 3}, {9, 16}, {3, 4}, {6, 7}, {4, -1}}) {
    eqc_testing::clearMessages();
    eqc_checks_testing::clearCalls();
    run(n, points);
    ASSERT_EQ(eqc_testing::countAtLevel(-3), 1) << n << " nodes, " << points << " points";
    const std::string text = eqc_testing::messages()[0].text;
    EXPECT_NE(text.find(" " + std::to_string(points) + " SECTION POINTS"), std::string::npos) << text;
    EXPECT_EQ(variable(18, 3 * n), std::vector<Real>(3 * n, -99.0));
    EXPECT_TRUE(eqc_checks_testing::calls().empty());
  }
}

TEST_F(Shells, ContinuumShellDirectorsAndThicknessMessage) {
  Coordinates nodes = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}, {0, 0, 0.4}, {2, 0, 0.4}, {2, 2, 0.4}, {0, 2, 0.4}};
  build({.family = 216, .type = 2031, .nodes = nodes, .words = {{14, 4}, {36, 4}},
         .variables = {reals(18, 12), reals(22, 12), reals(23, 12)},
         .sublayouts = std::vector<std::vector<dm2_testing::Variable>>(4, {reals(17, 4), reals(29, 5)})});
  Real a4[4] = {}, a6[4] = {}, a7[4] = {};
  const Int a8 = 0, program = 0;
  Int a9 = 0, a11 = 0;
  SHR_LSC(&handle, &handle, X.data(), a4, &ldim, a6, a7, &a8, &a9, &program, &a11);
  EXPECT_EQ(variable(18, 12), std::vector<Real>({0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}));
  EXPECT_EQ(variable(22, 3), std::vector<Real>({0, 0, 1}));
  EXPECT_EQ(variable(17, 4, 2), std::vector<Real>({0, 0, 0, 0})) << "a flat mid-surface has no normal derivatives";
  EXPECT_EQ(variable(29, 5, 3), std::vector<Real>({1, 1, 0, 0, 1}));
  const auto lsc = callsNamed("EQC_LSC");
  ASSERT_EQ(lsc.size(), 1u);
  EXPECT_EQ(lsc[0].coordinates, std::vector<Real>({0, 0, 0.2, 2, 0, 0.2, 2, 2, 0.2, 0, 2, 0.2}));
  EXPECT_EQ(eqc_testing::countAtLevel(-2), 0);
  // One pair collapsed: the message once, the check still called.
  x(3, 7) = 0.0;
  SHR_LSC(&handle, &handle, X.data(), a4, &ldim, a6, a7, &a8, &a9, &program, &a11);
  EXPECT_EQ(eqc_testing::countAtLevel(-2), 1);
  EXPECT_TRUE(eqc_testing::printed("THE THICKNESS OF ELEMENT 501 IS SMALL OR NEGATIVE"));
  EXPECT_EQ(callsNamed("EQC_LSC").size(), 2u);
  // A point count with no in-plane rule is reported before anything is written or checked.
  eqc_testing::clearMessages();
  build({.family = 216, .type = 2031, .nodes = nodes, .words = {{14, 3}, {36, 4}},
         .variables = {reals(18, 12), reals(22, 12), reals(23, 12)},
         .sublayouts = std::vector<std::vector<dm2_testing::Variable>>(3, {reals(17, 4), reals(29, 5)})});
  const std::size_t checksBefore = callsNamed("EQC_LSC").size();
  SHR_LSC(&handle, &handle, X.data(), a4, &ldim, a6, a7, &a8, &a9, &program, &a11);
  ASSERT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN SHR_LSC: 3 SECTION POINTS"));
  EXPECT_EQ(callsNamed("EQC_LSC").size(), checksBefore);
  EXPECT_EQ(variable(18, 12), std::vector<Real>(12, -99.0));
  // Section thickness from four points and four vectors.
  const Real points[12] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}, vectors[12] = {0, 0, 0.5, 0, 0, 0.7, 0.1, 0, 0.5, 0, 0, 0.3};
  Real thickness = 0.0;
  SHR_CSHELLSECTTHICK(points, vectors, &thickness);
  EXPECT_NEAR(std::fabs(thickness), 0.5, 1e-15);
}

TEST(ShellTying, SixAndNineNodeShearPoints) {
  // A flat six-node triangle with normals along z: no tilt, 1/|t| from the edge lengths.
  const std::vector<Real> six = {0, 0, 0, 2, 0, 0, 0, 2, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  const std::vector<Real> up(27, 0.0);
  std::vector<Real> normals(27, 0.0);
  for (int k = 0; k < 9; ++k) normals[3 * k + 2] = 1.0;
  const Int ld = 3;
  const Real area = 5.0;
  Real points[18], interior[18], table[27];
  LSGS6(&area, six.data(), &ld, normals.data(), points, interior, table);
  const Real inverse[3] = {1.0, 1.0 / std::sqrt(2.0), 1.0};  // the tangent is half the edge
  for (int p = 0; p < 6; ++p) {
    EXPECT_EQ(points[3 * p], 0.0);
    EXPECT_NEAR(points[3 * p + 1], inverse[p / 2], 1e-15);
    EXPECT_EQ(points[3 * p + 2], 1.0);
  }
  for (int row = 0; row < 9; ++row) EXPECT_NEAR(table[3 * row] + table[3 * row + 1] + table[3 * row + 2], 1.0, 1e-12);
  const Real first[6] = {0, 1 - 4.0 / 6, 3 - 4.0 / 6 - 8.0 / 3, -8.0 / 3, 8.0 / 6 - 4 + 8.0 / 3, 8.0 / 3};
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(interior[k], first[k], 1e-15);
  // A flat nine-node square of side 2: lines 2 and 5 carry 2/3 of their sums, the others 1/6.
  const std::vector<Real> nine = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0, 0, -1, 0, 1, 0, 0, 0, 1, 0, -1, 0, 0, 0, 0, 0};
  const Real areas[4] = {1, 2, 3, 4};
  Real tying[36], a6 = 17.0, a7 = 19.0;
  LSGS9(areas, nine.data(), &ld, normals.data(), tying, &a6, &a7);
  const Real reference[12] = {4.0 / 6, 6.0 / 6, 2.0 * 6 / 3, 2.0 * 4 / 3, 6.0 / 6, 4.0 / 6,
                              3.0 / 6, 7.0 / 6, 2.0 * 3 / 3, 2.0 * 7 / 3, 3.0 / 6, 7.0 / 6};
  for (int p = 0; p < 12; ++p) {
    EXPECT_EQ(tying[3 * p], 0.0);
    EXPECT_NEAR(tying[3 * p + 1], 1.0, 1e-15) << p;
    EXPECT_NEAR(tying[3 * p + 2], reference[p], 1e-15) << p;
  }
  EXPECT_EQ(a6, 17.0);
  EXPECT_EQ(a7, 19.0);
  // Line 1 collapsed to a point: its tangent comes from points moved towards line 3, finite.
  std::vector<Real> collapsed = nine;
  for (int k : {0, 1, 4})
    for (int r = 0; r < 3; ++r) collapsed[3 * k + r] = 0.0;
  LSGS9(areas, collapsed.data(), &ld, normals.data(), tying, &a6, &a7);
  EXPECT_GT(tying[1], 0.0);
  EXPECT_LT(tying[1], 1e3);
}

TEST_F(Shells, LineShellsAndThickShellWrappersCallTheLineCheckForThreeNodes) {
  for (const Int n : {2, 3}) {
    eqc_checks_testing::clearCalls();
    Coordinates nodes;
    for (int k = 0; k < n; ++k) nodes.push_back({1.0 + k, 0.5 * k, 0.0, 0.3, 0.8});
    build({.family = 207, .nodes = nodes, .variables = {reals(18, 2 * n)}});
    Real a3[2] = {}, a5[2] = {}, a6[2] = {};
    const Int a7 = 0;
    Int a10 = 0;
    const Logical no = kFalse;
    LSG001(X.data(), &ldim, a3, &no, a5, a6, &a7, &handle, &n, &a10);
    EXPECT_EQ(callsNamed("EQC_3NLINE_ERRWARN").size(), n == 3 ? 1u : 0u);
    EXPECT_EQ(variable(18, 2)[1], 0.8) << "rows 4 and 5 of node 1";
    const Int w8 = n, type = 1, w14 = 1;
    Real a4[2] = {};
    LHSG01(&handle, X.data(), &ldim, a4, &w8, &type, &w14, &a10);
    EXPECT_EQ(callsNamed("EQC_3NLINE_ERRWARN").size(), n == 3 ? 2u : 0u);
  }
}

// The centre frame of a four-node shell: area, unit normal, an in-plane frame and the derivatives
// with respect to the frame's axes, against closed forms of planar quadrilaterals.
TEST(ThickShellCentreFrame, AreaNormalFrameAndDerivativesAgree) {
  struct Case {
    const char* what;
    std::vector<Real> X;  // four columns of 3
    Real area;            // half the cross product of the diagonals (0 for a point)
    std::array<Real, 3> normal;
    std::array<Real, 4> d1, d2;  // when the frame is the global one (normal along z): -1 marks "not checked"
  };
  const Real h = 2.0e-10, d = 0.25 / (0.5 * h);
  const std::vector<Case> cases = {
      {"a square of side 2e-10 (|g1 x g2| = 1e-20)", {0, 0, 0, h, 0, 0, h, h, 0, 0, h, 0}, 4e-20, {0, 0, 1},
       {-d, d, d, -d}, {-d, -d, d, d}},
      {"a 3 by 2 rectangle", {1, 1, 5, 4, 1, 5, 4, 3, 5, 1, 3, 5}, 6.0, {0, 0, 1},
       {-1.0 / 6, 1.0 / 6, 1.0 / 6, -1.0 / 6}, {-0.25, -0.25, 0.25, 0.25}},
      {"a trapezoid in a tilted plane", {}, 0.0, {-0.8, 0.0, 0.6}, {-1, 0, 0, 0}, {}},
      {"all four nodes at one point", {1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3}, 0.0, {0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},
  };
  for (Case c : cases) {
    if (c.X.empty()) {  // the tilted trapezoid
      for (const auto& node : tiltedTrapezoid()) c.X.insert(c.X.end(), node.begin(), node.end());
      c.area = 6.0;
    }
    const Int ld = 3, four = 4;
    Real area = -1.0, frame[9], derivatives[18];
    std::fill_n(derivatives, 18, 7.0);
    S4TSGEOM(&area, frame, derivatives, c.X.data(), &ld, &four);
    SCOPED_TRACE(c.what);
    EXPECT_NEAR(area, c.area, 1e-12 * std::max(c.area, 1e-300));
    for (int r = 0; r < 3; ++r) EXPECT_NEAR(frame[6 + r], c.normal[r], 1e-15);
    for (int w : {4, 5, 6, 7, 8, 13, 14, 15, 16, 17}) EXPECT_EQ(derivatives[w], 0.0) << "word " << w + 1;
    if (c.area == 0.0) {
      for (int w = 0; w < 18; ++w) EXPECT_EQ(derivatives[w], 0.0);
      continue;
    }
    // An orthonormal right-handed frame whose third axis is the normal.
    const Real* e1 = &frame[0];
    const Real* e2 = &frame[3];
    auto dot = [](const Real* a, const Real* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    EXPECT_NEAR(dot(e1, e1), 1.0, 1e-15);
    EXPECT_NEAR(dot(e2, e2), 1.0, 1e-15);
    EXPECT_NEAR(dot(e1, e2), 0.0, 1e-15);
    const Real e3[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    EXPECT_NEAR(dot(e3, &frame[6]), 1.0, 1e-15);
    // The derivatives differentiate the position along the frame's axes: sum_k d1_k x_k = e1 and
    // sum_k d2_k x_k = e2 for a planar element.
    for (int r = 0; r < 3; ++r) {
      Real s1 = 0.0, s2 = 0.0;
      for (int k = 0; k < 4; ++k) s1 += derivatives[k] * c.X[3 * k + r], s2 += derivatives[9 + k] * c.X[3 * k + r];
      const Real scale = 1e-12 / std::sqrt(c.area);
      EXPECT_NEAR(s1, frame[r], scale) << r;
      EXPECT_NEAR(s2, frame[3 + r], scale) << r;
    }
    if (c.d1[0] != -1)
      for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(derivatives[k], c.d1[k], 1e-15 * std::fabs(c.d1[k]));
        EXPECT_NEAR(derivatives[9 + k], c.d2[k], 1e-15 * std::fabs(c.d2[k]));
      }
  }
}

TEST_F(Shells, TheFourNodeCentreFrameServesTypeTwentyTwentyTwoOnly) {
  // A trapezoid in a tilted plane whose nodal normals all point along z: type 2022 takes area,
  // frame and derivatives from the centre frame, type 2021 keeps the interpolated nodal normal.
  const Coordinates nodes = tiltedTrapezoid();
  Real table[4 * 3];
  ASSERT_TRUE(shapeTable(4, 1, table));
  std::vector<Real> normals(12, 0.0);
  for (int k = 0; k < 4; ++k) normals[3 * k + 2] = 1.0;
  for (const Int type : {2022, 2021}) {
    build({.family = 203, .type = type, .nodes = nodes, .words = {{14, 1}, {48, 0}}});
    Real area = 0.0, point[9], matrix[4], curvature[4], a13[2], a14[2], a15[2], a16[2], d[18], a18[4], a19[4], a20[4],
         a21, a22[2], a23[4];
    const Int flag = 0, zero = 0, four = 4, one = 1;
    LHSG02GEOM(X.data(), &ldim, table, &four, &one, normals.data(), &flag, &handle, &area, point, matrix, curvature, a13,
               a14, a15, a16, d, a18, a19, a20, &a21, a22, a23, &zero, &zero);
    Real frameArea = 0.0, frame[9], frameDerivatives[18];
    S4TSGEOM(&frameArea, frame, frameDerivatives, X.data(), &ldim, &four);
    if (type == 2022) {
      EXPECT_EQ(area, frameArea);
      EXPECT_NEAR(area, 6.0, 1e-14);
      EXPECT_EQ(std::vector<Real>(point, point + 9), std::vector<Real>(frame, frame + 9));
      EXPECT_EQ(std::vector<Real>(d, d + 18), std::vector<Real>(frameDerivatives, frameDerivatives + 18));
      // LSG45 then works with that area: its derivative vector b sums to zero, and a flat
      // element gives the projected area of the centre tangents.
      EXPECT_NEAR(a18[0] + a18[1] + a18[2] + a18[3], 0.0, 1e-14);
      EXPECT_NEAR(a21, 6.0, 1e-14) << "the projected area of the centre tangents";
    } else {
      EXPECT_EQ(std::vector<Real>(point + 6, point + 9), std::vector<Real>({0, 0, 1}));
      EXPECT_NE(std::vector<Real>(point, point + 3), std::vector<Real>(frame, frame + 3));
    }
  }
}

TEST_F(Shells, AxisymmetricShellPointsFillEverySubLayoutOfTheirStation) {
  // A straight three-node meridian from r = 1 to r = 3 at z = 0: J = 1 and r = 2 + xi at the two
  // meridional points. Word 14 = 4 sub-layouts, two per point: point i fills sub-layouts i and
  // i + 2 with S = (r^2 (J r), 0, 0, d / J), W = (1, 1, 0, 0, 1), R = (r, 0, 0, 1 / J).
  const Real g = 0.57735026918963;
  for (const Int n : {3, 2}) {
    eqc_checks_testing::clearCalls();
    Coordinates nodes = n == 3 ? Coordinates{{1, 0}, {2, 0}, {3, 0}} : Coordinates{{1, 0}, {3, 0}};
    std::vector<std::vector<dm2_testing::Variable>> subs(4, {reals(17, 4), reals(29, 5), reals(36, 4)});
    build({.family = 210, .nodes = nodes, .words = {{14, 4}, {48, 1}, {49, 2}}, .variables = {reals(22, 3 * 2 * (n - 1))},
           .sublayouts = subs});
    const Int points = 2, a6 = 0, a13 = 0;
    const Real d = 0.75;
    Int a9 = 0, a14 = 0;
    Real a11[4] = {}, a12[4] = {};
    LSGSAX(&handle, X.data(), &ldim, &n, &points, &a6, &d, typeWords.data(), &a9, &handle, a11, a12, &a13, &a14);
    const Real J = 1.0;
    for (Int sub = 1; sub <= 4; ++sub) {
      const Real r = 2.0 + ((sub - 1) % 2 == 0 ? -g : g);
      const auto S = variable(17, 4, sub), R = variable(36, 4, sub);
      EXPECT_NEAR(S[0], r * r * J * r, 1e-12) << n << " nodes, sub-layout " << sub;
      EXPECT_EQ(S[3], d / J);
      EXPECT_EQ(variable(29, 5, sub), std::vector<Real>({1, 1, 0, 0, 1}));
      EXPECT_NEAR(R[0], r, 1e-12);
      EXPECT_EQ(R[3], 1.0 / J);
    }
    EXPECT_EQ(callsNamed("EQC_3NLINE_ERRWARN").size(), n == 3 ? 1u : 0u);
  }
}

}  // namespace
