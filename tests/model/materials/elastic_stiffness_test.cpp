// Stiffness forms against an independent reference: for one or two direct components the inverse
// of the kept block of the compliance (the other stresses vanish), for three the kept block of the
// full stiffness.
#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "runtime/record.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/model.h"
#include "zmx/numerics.h"

namespace {

using Matrix6 = Eigen::Matrix<double, 6, 6>;

// The expected packed stiffness for NDI direct and NSHR shear components of a material whose full
// (order 11, 22, 33, 12, 13, 23) compliance is c.
std::vector<double> expectedPacked(const Matrix6& c, int ndi, int nshr) {
  std::vector<int> kept;
  for (int i = 0; i < ndi; ++i) kept.push_back(i);
  for (int k = 0; k < nshr; ++k) kept.push_back(3 + k);
  const int n = static_cast<int>(kept.size());
  Eigen::MatrixXd block(n, n);
  if (ndi == 3) {
    const Matrix6 d = c.inverse();
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) block(i, j) = d(kept[i], kept[j]);
  } else {
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) block(i, j) = c(kept[i], kept[j]);
    block = block.inverse().eval();
  }
  std::vector<double> packed;
  for (int j = 0; j < n; ++j)
    for (int i = 0; i <= j; ++i) packed.push_back(block(i, j));
  return packed;
}

template <class Routine>
void expectEveryForm(Routine routine, const double* props, const Matrix6& compliance, const char* name) {
  for (int ndi = 1; ndi <= 3; ++ndi)
    for (int nshr = 0; nshr <= 3; ++nshr) {
      const auto want = expectedPacked(compliance, ndi, nshr);
      std::vector<double> got(want.size() + 1, -7.0);
      routine(props, got.data(), &ndi, &nshr);
      for (std::size_t k = 0; k < want.size(); ++k)
        EXPECT_NEAR(got[k], want[k], 1e-9 * (1.0 + std::fabs(want[k])))
            << name << " NDI " << ndi << " NSHR " << nshr << " entry " << k + 1;
      EXPECT_EQ(got.back(), -7.0) << name << ": written past the packed matrix";
    }
}

Matrix6 orthotropicCompliance(double e1, double e2, double e3, double n12, double n13, double n23, double g12,
                              double g13, double g23) {
  Matrix6 c = Matrix6::Zero();
  c(0, 0) = 1 / e1;
  c(1, 1) = 1 / e2;
  c(2, 2) = 1 / e3;
  c(0, 1) = c(1, 0) = -n12 / e1;
  c(0, 2) = c(2, 0) = -n13 / e1;
  c(1, 2) = c(2, 1) = -n23 / e2;
  c(3, 3) = 1 / g12;
  c(4, 4) = 1 / g13;
  c(5, 5) = 1 / g23;
  return c;
}

TEST(ElasticStiffness, EveryFormMatchesTheCondensedReference) {
  // Isotropic.
  const double iso[2] = {210e3, 0.3};
  const double g = iso[0] / 2.6;
  expectEveryForm(MATEK1, iso, orthotropicCompliance(iso[0], iso[0], iso[0], 0.3, 0.3, 0.3, g, g, g), "MATEK1");
  // Engineering constants, and the same material given by its stiffness terms.
  const double eng[9] = {150e3, 10e3, 12e3, 0.3, 0.25, 0.4, 5e3, 6e3, 4e3};
  const Matrix6 c = orthotropicCompliance(eng[0], eng[1], eng[2], eng[3], eng[4], eng[5], eng[6], eng[7], eng[8]);
  expectEveryForm(MATEK4, eng, c, "MATEK4");
  const Matrix6 d = c.inverse();
  const double terms[9] = {d(0, 0), d(0, 1), d(1, 1), d(0, 2), d(1, 2), d(2, 2), eng[6], eng[7], eng[8]};
  expectEveryForm(MATEK2, terms, c, "MATEK2");
  // Fully anisotropic: random positive-definite stiffness.
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int trial = 0; trial < 5; ++trial) {
    Matrix6 a;
    for (int i = 0; i < 6; ++i)
      for (int j = 0; j < 6; ++j) a(i, j) = u(rng);
    const Matrix6 stiffness = a * a.transpose() + 3.0 * Matrix6::Identity();
    double packed[21];
    for (int j = 0, p = 0; j < 6; ++j)
      for (int i = 0; i <= j; ++i) packed[p++] = stiffness(i, j);
    expectEveryForm(MATEK3, packed, stiffness.inverse(), "MATEK3");
  }
}

TEST(ElasticStiffness, LaminaIsThePlaneStressInverseAndWritesNothingElse) {
  const double props[4] = {140e3, 9e3, 0.3, 5e3};
  Eigen::Matrix3d c = Eigen::Matrix3d::Zero();
  c(0, 0) = 1 / props[0];
  c(1, 1) = 1 / props[1];
  c(0, 1) = c(1, 0) = -props[2] / props[0];
  c(2, 2) = 1 / props[3];
  const Eigen::Matrix3d d = c.inverse();
  double got[7] = {0, 0, 0, 0, 0, 0, -7};
  const Int two = 2, three = 3;
  MATEKL(props, got, &two);
  const double want[6] = {d(0, 0), d(0, 1), d(1, 1), 0.0, 0.0, d(2, 2)};
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(got[k], want[k], 1e-9 * (1 + std::fabs(want[k])));
  double untouched[2] = {-7, -7};
  MATEKL(props, untouched, &three);
  EXPECT_EQ(untouched[0], -7.0);
}

class ShortFibre : public zmxtest::HostFixture {
 protected:
  Int element(double degrees, double e1, double e2, double nu12) {
    dm2_testing::Element e;
    e.layout.variables = {{245, false, {e1, e2, nu12, 4e3, 2e-5, 3e-5}, {}, 0, 0},
                          {246, false, {2e-5, 3e-5}, {}, 0, 0},
                          {247, false, {degrees}, {}, 0, 0}};
    return dm2_testing::addElement(e);
  }
  void TearDown() override {
    dm2_testing::resetModel();
    HostFixture::TearDown();
  }
};

TEST_F(ShortFibre, RotatedStiffnessKeepsTheStrainEnergy) {
  const Int three = 3, yes = 1, two = 2;
  double at0[6], lamina[6], at90[6], swapped[6], expan[3], cs[2];
  Int h = element(0.0, 140e3, 9e3, 0.3);
  SHR_MATEKSHTFB(expan, at0, &three, cs, &yes, &h);
  const double props[4] = {140e3, 9e3, 0.3, 4e3};
  MATEKL(props, lamina, &two);
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(at0[k], lamina[k], 1e-6);
  h = element(90.0, 140e3, 9e3, 0.3);
  SHR_MATEKSHTFB(expan, at90, &three, cs, &yes, &h);
  const double turned[4] = {9e3, 140e3, 0.3 * 9e3 / 140e3, 4e3};
  MATEKL(turned, swapped, &two);
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(at90[k], swapped[k], 1e-6);
  // At any angle the energy of a strain in the element axes equals that of the strain turned to
  // the fibre axes in the lamina stiffness.
  const double theta = 37.0 * M_PI / 180.0, c = std::cos(theta), s = std::sin(theta);
  h = element(37.0, 140e3, 9e3, 0.3);
  double rotated[6];
  SHR_MATEKSHTFB(expan, rotated, &three, cs, &yes, &h);
  Eigen::Matrix3d dr, dl, t;
  const Int n3 = 3;
  ATTOSC(rotated, dr.data(), &n3);
  ATTOSC(lamina, dl.data(), &n3);
  t << c * c, s * s, c * s, s * s, c * c, -c * s, -2 * c * s, 2 * c * s, c * c - s * s;
  const Eigen::Vector3d eps(1e-3, -4e-4, 7e-4);
  EXPECT_NEAR(eps.dot(dr * eps), (t * eps).dot(dl * (t * eps)), 1e-9);
  EXPECT_NEAR(cs[0], c, 1e-15);
  // The two expansion forms: tensor 12 entry against the engineering shear.
  double engineering[3];
  SHR_MATEXQSHTFB(engineering, &three, &h);
  EXPECT_NEAR(engineering[0], expan[0], 1e-20);
  EXPECT_NEAR(engineering[1], expan[2], 1e-20);
  EXPECT_NEAR(engineering[2], 2 * expan[1], 1e-20);
  // A tensor count other than 3 is a system error and writes nothing.
  double untouched[6] = {-7, -7, -7, -7, -7, -7};
  const Int four = 4;
  SHR_MATEKSHTFB(expan, untouched, &four, cs, &yes, &h);
  EXPECT_EQ(untouched[0], -7.0);
  EXPECT_TRUE(eqc_testing::printed("Number of tensor must be equal to 3 for short fiber reinforced composites"));
}

TEST_F(ShortFibre, EquivalentMeasures) {
  // Uniaxial plastic strain, given with one or with three direct components.
  const double eps = -2.5e-3;
  double one[1] = {eps}, three[6] = {eps, -eps / 2, -eps / 2, 0, 0, 0}, result = 0;
  const Int n1 = 1, n3 = 3, n0 = 0;
  EQUIVP(one, &n1, &n0, &result);
  EXPECT_DOUBLE_EQ(result, std::fabs(eps));
  EQUIVP(three, &n3, &n0, &result);
  EXPECT_NEAR(result, std::fabs(eps), 1e-15);
  // Two direct components: the third is -(EP1 + EP2), as with all three given.
  const Int n2 = 2, n1shear = 1;
  for (const auto& [a, b, g] : {std::tuple{1e-3, 4e-4, 0.0}, std::tuple{-2e-3, 5e-4, 3e-3}}) {
    double two[3] = {a, b, g}, all[4] = {a, b, -(a + b), g}, twoResult = 0;
    EQUIVP(two, &n2, &n1shear, &twoResult);
    EQUIVP(all, &n3, &n1shear, &result);
    EXPECT_NEAR(twoResult, result, 1e-15);
  }
  // Hill with 0.5 and 1.5 is Mises on random stresses.
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> u(-100.0, 100.0);
  const double hill[6] = {0.5, 0.5, 0.5, 1.5, 1.5, 1.5};
  for (Int ndi = 1; ndi <= 3; ++ndi)
    for (Int nshr = 0; nshr <= 3; ++nshr) {
      double s[6];
      for (double& x : s) x = u(rng);
      double m1, q1, m2, q2;
      const Int point = 1, element = 5, mises = 0, hillSwitch = 1;
      SBAR1(s, hill, &m1, &q1, &ndi, &nshr, &point, &mises, &element);
      SBAR1(s, hill, &m2, &q2, &ndi, &nshr, &point, &hillSwitch, &element);
      EXPECT_NEAR(q2, q1, 1e-10 * q1);
      EXPECT_NEAR(m2, m1, 1e-12);
    }
  // A negative Hill sum is reported, clears the control word and is left negative.
  rec::i(CONTRO, 8) = 1;
  const double badHill[6] = {-1, -1, -1, 0, 0, 0}, s[3] = {1, 2, 3};
  double m, q;
  const Int point = 4, element = 12;
  SBARH(badHill, s, &m, &q, &element, &n3, &n0, &point);
  EXPECT_LT(q, 0.0);
  EXPECT_EQ(rec::i(CONTRO, 8), 0);
  EXPECT_TRUE(eqc_testing::printed("HILL'S FUNCTION IS NOT DEFINABLE AT ELEMENT 12 INTEGRATION POINT 4."));
}

TEST(ElementFlags, FamilyTable) {
  struct Case {
    Int family, word10, f1, f2, f3;
  };
  const Case cases[] = {{1, 0, 1, 1, 0},     {98, 3, 1, 1, 1},   {99, 3, 1, 1, 0},   {150, 0, 1, 1, 1},
                        {298, 0, 1, 1, 1},   {350, 0, 1, 1, 0},  {402, 0, 1, 1, 1},  {410, 0, 0, 0, 0},
                        {412, 1, 0, 0, 0},   {419, 0, 1, 1, 1},  {405, 0, 1, 1, 0},  {499, 0, 1, 1, 0},
                        {0, 1, 1, 1, 0},     {-4, 1, 1, 1, 0}};
  for (const Case& c : cases) {
    Int type[80] = {};
    type[3] = c.family;
    type[9] = c.word10;
    Int f1 = -1, f2 = -1, f3 = -1;
    DETMDLC(type, &f1, &f2, &f3);
    EXPECT_EQ(f1, c.f1) << c.family;
    EXPECT_EQ(f2, c.f2) << c.family;
    EXPECT_EQ(f3, c.f3) << c.family;
  }
}

}  // namespace
