// The elastic-plastic joint: set-up from section data and options, diameter and capacity against
// central differences, continuity at the cone height, and the debug print.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "runtime/record.h"
#include "runtime/units.h"
#include "siblings/eqc/testing.h"
#include "tests/model/model_support.h"
#include "tests/support/host_fixture.h"
#include "zmx/model.h"
#include "zmx/storage.h"

namespace {

constexpr double kDegree = 0.017453292519943278;

class Joint : public zmxtest::HostFixture {
 protected:
  // Section data of a conical footing of diameter 12 and cone angle 120 degrees.
  std::vector<double> sectionReals = {0, 0, 0, 0, 0, 12.0, 120.0, 0.75, 0.25};
  std::vector<Int> sectionIntegers = std::vector<Int>(24, 0);
  Int flags[10];
  double csec[9], soil[9], foot[4], dsoil[9], dfoot[4], work[64], x[1] = {0};

  void setUp(const modeltest::Slots& m, Int ltab = 1, double vi = 0.5) {
    const Int element = 77;
    MATEPJSET(&ltab, flags, csec, soil, foot, dsoil, dfoot, m.s.data(), m.asIntegers(), sectionReals.data(),
              sectionIntegers.data(), work, x, &vi, &element);
  }
  // Sends the debug print to the memory unit 61, with the debug flags in the section integers.
  void startDebugPrint() {
    ASSERT_EQ(fio::openMemory(kDebugUnit), 0);
    rec::i(CDWFIL, 1) = kDebugUnit;
    sectionIntegers[8] = 1;
    sectionIntegers[20] = 1;
  }
  static constexpr Int kDebugUnit = 61;
  static modeltest::Slots sandFooting(Int footingCode = 1031) {
    return modeltest::material({{footingCode, {}, 2, {{3.0, 4.0}}}, {1041, {}, 5, {{1.0, 2.0, 3.0, 30.0, 9.0}}}});
  }
};

TEST_F(Joint, SandConstantsAndContinuousCapacity) {
  sectionIntegers[8] = 1;
  setUp(sandFooting());
  EXPECT_EQ(flags[0], 1);
  EXPECT_EQ(flags[1], 1);
  EXPECT_EQ(flags[4], 1);
  EXPECT_EQ(flags[7], 2);
  EXPECT_EQ(flags[9], 77);
  EXPECT_EQ(foot[1], 4.0);
  const double t30 = std::tan(30 * kDegree), t60 = std::tan(60 * kDegree);
  EXPECT_NEAR(soil[5], std::exp(M_PI * t30) * t60 * t60, 1e-9);
  EXPECT_NEAR(soil[5], 18.4, 0.05);
  EXPECT_NEAR(soil[8], 0.29, 1e-15);
  EXPECT_NEAR(csec[4], std::tan(60 * kDegree), 1e-14);
  // Capacity: continuous at the cone height, derivatives against central differences.
  const double h = 12.0 / csec[4] * 0.5;
  const auto capacity = [&](double v, double* dvc = nullptr) {
    double vc, d;
    MATEPJSETVC(&vc, &d, &v, flags, csec, soil);
    if (dvc != nullptr) *dvc = d;
    return vc;
  };
  EXPECT_NEAR(capacity(h * (1 - 1e-12)), capacity(h * (1 + 1e-12)), 1e-8 * capacity(h));
  for (double v : {0.3 * h, 0.9 * h, 1.4 * h, 3.0 * h}) {
    double dvc;
    capacity(v, &dvc);
    const double step = 1e-6 * h, numeric = (capacity(v + step) - capacity(v - step)) / (2 * step);
    EXPECT_NEAR(dvc, numeric, 1e-6 * std::fabs(numeric));
    double diam, ddiam, d1, d2, dd;
    Int full;
    MATEPJSETD(&diam, &ddiam, &full, csec, &v);
    const double vp = v + step, vm = v - step;
    MATEPJSETD(&d1, &dd, &full, csec, &vp);
    MATEPJSETD(&d2, &dd, &full, csec, &vm);
    EXPECT_NEAR(ddiam, (d1 - d2) / (2 * step), 1e-7);
  }
}

TEST_F(Joint, FlatFootingClayAndFailures) {
  sectionReals[6] = 0.0;
  sectionIntegers[8] = 1;
  foot[0] = -5.0;
  const auto clay = modeltest::material({{1042, {}, 4, {{1.0, 2.0, 0.5, 0.1}}}, {999, {}, 1, {{0.0}}}});
  setUp(clay);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM error in SELGEP"));
  EXPECT_EQ(foot[0], -5.0) << "no footing option: the footing values stay untouched";
  EXPECT_EQ(csec[4], 0.0);
  EXPECT_EQ(csec[5], 0.0);
  double diam, ddiam, vc, dvc;
  Int full;
  for (double v : {0.0, 3.0}) {
    MATEPJSETD(&diam, &ddiam, &full, csec, &v);
    EXPECT_EQ(diam, 12.0);
    EXPECT_EQ(full, 1);
    MATEPJSETVC(&vc, &dvc, &v, flags, csec, soil);
    EXPECT_DOUBLE_EQ(vc, 2.0 + 0.5 * v);
    EXPECT_EQ(dvc, 0.5);
  }
  const double negative = -1.0;
  MATEPJSETD(&diam, &ddiam, &full, csec, &negative);
  EXPECT_EQ(diam, 0.0);
  // Neither sand nor clay: zeros and a system error.
  const Int none[10] = {};
  const double v = 1.0;
  MATEPJSETVC(&vc, &dvc, &v, none, csec, soil);
  EXPECT_EQ(vc, 0.0);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN MATEPJSETVC"));
  // With LTAB 0 no table is read.
  soil[0] = -3.0;
  setUp(sandFooting(), 0);
  EXPECT_EQ(soil[0], -3.0);
}

TEST_F(Joint, DebugPrintNamesEveryField) {
  const Int unit = kDebugUnit;
  ASSERT_NO_FATAL_FAILURE(startDebugPrint());
  setUp(sandFooting(1034));
  const std::string text = fio::memoryText(unit);
  rec::i(CDWFIL, 1) = -1;
  for (const char* label : {" ++ matepj.., element ", "++ matepj constants spill: U element no",
                            "jepfl(ijepfl_lepjplas)", "jepfl(ijepfl_jel)", "csec(icsec_D0)", "csec(icsec_otantheta2)",
                            " SAND: Vtsand,ZLamb1,ZLamb2,Phi,Gamma: ", " SAND: zNq, zNgamma,alpha,beta "})
    EXPECT_NE(text.find(label), std::string::npos) << label;
  EXPECT_LT(text.find("csec(icsec_vi)"), text.find("csec(icsec_thetar)"));
}

TEST_F(Joint, ConicalClayAndTheMembraneAndClayDumps) {
  const Int unit = kDebugUnit;
  ASSERT_NO_FATAL_FAILURE(startDebugPrint());
  // Clay under a conical footing: VC = (V - cc) / (aa + bb V) with its derivative.
  setUp(modeltest::material({{1032, {}, 2, {{3.0, 4.0}}}, {1042, {}, 4, {{1.0, 2.0, 0.5, 0.1}}}}));
  for (const double v : {0.0, 3.0}) {
    double vc = 0, dvc = 0;
    MATEPJSETVC(&vc, &dvc, &v, flags, csec, soil);
    const double r = 1.0 / (2.0 + 0.5 * v);
    EXPECT_DOUBLE_EQ(vc, (v - 0.1) * r);
    EXPECT_DOUBLE_EQ(dvc, r - (v - 0.1) * 0.5 * r * r);
  }
  EXPECT_NE(fio::memoryText(unit).find(" CLAY: Su,aa,bb,cc : "), std::string::npos);
  // The membrane law: three values and the fourth as a whole number.
  ASSERT_EQ(fio::openMemory(unit), 0);
  setUp(modeltest::material({{1043, {}, 4, {{1.5, 2.5, 3.5, 42.75}}}}));
  const std::string text = fio::memoryText(unit);
  rec::i(CDWFIL, 1) = -1;
  const std::size_t at = text.find(" MEMBR: Vcmemb, Vtmemb, Hu, Mu: ");
  ASSERT_NE(at, std::string::npos);
  const std::string line = text.substr(at, text.find('\n', at) - at);
  EXPECT_NE(line.find("1.50000000000000E+00"), std::string::npos) << line;
  EXPECT_NE(line.find("3.50000000000000E+00"), std::string::npos) << line;
  EXPECT_EQ(line.substr(line.size() - 12), std::string(10, ' ') + "42") << line;
}

}  // namespace
