// Op-code entries over the dm2 stand-in's named fields, design-parameter settings, the
// eigen-sensitivity buffer across a restart, and the module's use count.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <utility>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/eqc/testing.h"
#include "tests/support/sensitivity_builder.h"
#include "zmx/sensitivity.h"

namespace {

using zmxtest::dsa::SensitivityFixture;

class StateAccess : public SensitivityFixture {
 protected:
  void set(Int op, Int i, Int j = 0, Real x = 0) { DSA_SET(&op, &i, &j, &x); }
  Int get(Int op, Int i = 0) { return DSA_INT(&op, &i); }
  std::vector<Real> image() {
    std::vector<Real> a(static_cast<std::size_t>(state().MarshalSize()));
    const Int flag = 0, n = static_cast<Int>(a.size());
    DSA_MARSHALL(&flag, a.data(), &n);
    return a;
  }
};

TEST_F(StateAccess, SettersAndGettersMeetInTheNamedFields) {
  set(0, 11);
  set(1, 2);
  set(2, 13);
  set(3, 14);
  set(4, 15);
  set(9, 16);
  set(14, 17);
  set(10, 18);
  EXPECT_EQ(state().model.word7, 11);
  EXPECT_EQ(state().model.perturbationMode, 2);
  EXPECT_EQ(state().model.word10, 13);
  EXPECT_EQ(state().model.word8, 14);
  EXPECT_EQ(state().model.word11, 15);
  EXPECT_EQ(state().space.word16, 16);
  EXPECT_EQ(state().model.word6, 17);
  EXPECT_EQ(state().word1, 18);
  EXPECT_EQ((std::vector<Int>{get(0), get(1), get(2), get(3), get(4), get(9), get(12)}),
            (std::vector<Int>{11, 2, 13, 14, 15, 16, 17}));
  // Swapped numbers, raise only: op 7 raises word 18 (read by op 6), op 8 word 17 (op 7).
  set(7, 5);
  set(8, 9);
  set(7, 3);
  set(8, 1);
  EXPECT_EQ(state().space.word18, 5);
  EXPECT_EQ(state().space.word17, 9);
  EXPECT_EQ(get(6), 5);
  EXPECT_EQ(get(7), 9);
  state().space.word19 = 21;
  EXPECT_EQ(get(8), 21);
  // Per-index items.
  set(13, 4, 40);
  set(12, 3, 0, 2.5);
  set(11, 0, 0, 0.125);
  set(15, 6);
  EXPECT_EQ(get(10, 4), 40);
  const Int one = 1, three = 3, zero = 0;
  EXPECT_EQ(DSA_DBL(&one, &three), 2.5);
  EXPECT_EQ(DSA_DBL(&zero, &zero), 0.125);
  EXPECT_EQ(state().space.currentStep, 6);
  set(5, 0, 0, 4.0);
  set(6, 77);
  EXPECT_EQ(get(5), 2);
  const Int two = 2, second = 2, nine = 9;
  EXPECT_EQ(DSA_DBL(&two, &second), 77.0);
  EXPECT_EQ(DSA_DBL(&nine, &second), 0.0);
  state().space.parameters[0].nodalColumn = 3;
  EXPECT_EQ(get(11, 1), 3);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(StateAccess, InvalidCodesReportTheirTextsAndChangeNothing) {
  addParameters(1);
  set(0, 1);
  const std::vector<Real> before = image();
  EXPECT_EQ(get(13), 0);
  set(16, 5, 5, 5.0);
  Int ival = 7;
  Real rval = 7;
  const Int bad = 7, step = 1, par = 1, six = 6, value = 3;
  const Real x = 9;
  DSA_DESPARGETITEM(&bad, &step, &par, &ival, &rval);
  EXPECT_EQ(ival, 0);
  EXPECT_EQ(rval, 0);
  DSA_DESPARGETITEM(&six, &step, &par, &ival, &rval);
  DSA_DESPARSETITEM(&bad, &step, &par, &value, &x);
  DSA_DESPARSETITEM(&six, &step, &par, &value, &x);
  EXPECT_EQ(image(), before);
  std::vector<std::string> texts;
  for (const auto& m : eqc_testing::messages()) {
    EXPECT_EQ(m.level, -3);
    texts.push_back(m.text);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "SYSTEM ERROR 1 in dsa_int, invalid op code", "SYSTEM ERROR 1 in dsa_set, invalid op code",
                       "System error in dsa_despargetitem: invalid op code",
                       "System error in dsa_despargetitem: step value must be 0 when getting design parameter value",
                       "System error in dsa_desparsetitem: invalid op code",
                       "System error in dsa_desparsetitem: step value must be 0 when setting design parameter value"}));
  // A design parameter that does not exist: reported, reads 0, writes nothing.
  eqc_testing::clearMessages();
  const Int missing = 2, zero = 0;
  DSA_DESPARGETITEM(&zero, &step, &missing, &ival, &rval);
  DSA_DESPARSETITEM(&zero, &step, &missing, &value, &x);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);
  EXPECT_EQ(image(), before);
}

TEST_F(StateAccess, DesignParameterItemsRoundTripPerStep) {
  addParameters(3);
  std::mt19937 random(5);
  for (int trial = 0; trial < 200; ++trial) {
    const Int op = static_cast<Int>(random() % 6), step = static_cast<Int>(random() % 4);
    const Int par = 1 + static_cast<Int>(random() % 3);
    const Int ival = static_cast<Int>(random() % 3);
    const Real rval = static_cast<Real>(random() % 1000) / 8;
    DSA_DESPARSETITEM(&op, &step, &par, &ival, &rval);
    Int gotI = -1;
    Real gotR = -1;
    DSA_DESPARGETITEM(&op, &step, &par, &gotI, &gotR);
    if (op == 0 || op == 4) {
      EXPECT_EQ(gotR, rval);
      EXPECT_EQ(gotI, 0);
    } else {
      EXPECT_EQ(gotI, op == 2 || op == 5 ? (ival != 0 ? 1 : 0) : ival);
      EXPECT_EQ(gotR, 0);
    }
  }
  const Int six = 6, zero = 0, two = 2;
  const Real value = 8.5;
  DSA_DESPARSETITEM(&six, &zero, &two, &zero, &value);
  Int ival = 0;
  Real rval = 0;
  DSA_DESPARGETITEM(&six, &zero, &two, &ival, &rval);
  EXPECT_EQ(rval, 8.5);
  // DSA_DESPARDATA: the step's difference type only with a user perturbation.
  adb_dsaPar& p = state().space.parameters[0];
  p.setDiffType(2, dsa_DtypCentral);
  p.setPerturbation(2, 0.01);
  p.setUserPerturbation(2, false);
  Int dtype = 1, method = 0, user = 9;
  Real pert = 0;
  const Int step = 2, par = 1;
  DSA_DESPARDATA(&step, &par, &dtype, &method, &pert, &user);
  EXPECT_EQ((std::vector<Int>{dtype, method, user}), (std::vector<Int>{1, 1, 0}));
  EXPECT_EQ(pert, 0.01);
  p.setUserPerturbation(2, true);
  DSA_DESPARDATA(&step, &par, &dtype, &method, &pert, &user);
  EXPECT_EQ((std::vector<Int>{dtype, method, user}), (std::vector<Int>{2, 2, 1}));
}

TEST_F(StateAccess, ControlIsSetFromScaledDesignValues) {
  state().space.addDesPar(4);
  state().space.addDesPar(0);
  const Int a = 3, b = 4, k = 5;
  const Real r = 0.5;
  DSA_SETDSACNTRL(&a, &b, &r, &k);
  EXPECT_EQ(state().space.parameters[0].controlValue, 2.0);
  EXPECT_EQ(state().space.parameters[1].controlValue, 0.5);
  EXPECT_EQ(state().space.parameters[1].controlA, 3);
  EXPECT_EQ(state().space.parameters[1].controlK, 5);
}

TEST_F(StateAccess, MarshalledStateRebuildsTheSameState) {
  addParameters(2);
  set(1, 2);
  set(9, 44);
  set(11, 0, 0, 0.25);
  state().space.parameters[1].setTolerance(3, 0.5);
  state().space.parameters[1].setVerification(0, true);
  const std::vector<Real> a = image();
  dm2_dsa_testing::resetState();
  EXPECT_EQ(get(5), 0);
  std::vector<Real> copy = a;
  const Int flag = 1, n = static_cast<Int>(copy.size());
  DSA_MARSHALL(&flag, copy.data(), &n);
  EXPECT_EQ(image(), a);
  EXPECT_EQ(state().space.parameters[1].Tolerance(3), 0.5);
}

TEST_F(StateAccess, WorkSpacesAreAddressWordsThatTurnStaleOnRelease) {
  dm2_dsa_testing::setWorkSpaces(8, 4, 6);
  const Int zero = 0, one = 1, two = 2, three = 3;
  const Int reals = DSA_ACCESS(&zero), ints = DSA_ACCESS(&one), more = DSA_ACCESS(&two);
  ASSERT_NE(mem32::at<Real>(reals, 8), nullptr);
  ASSERT_NE(mem32::at<Int>(ints, 4), nullptr);
  ASSERT_NE(mem32::at<Real>(more, 6), nullptr);
  EXPECT_EQ(DSA_ACCESS(&three), 0);
  EXPECT_EQ(DSA_RELEASE(&zero), 0);
  EXPECT_EQ(DSA_RELEASE(&three), 0);
  EXPECT_EQ(state().space.resets, (std::vector<int>{0}));
  EXPECT_EQ(mem32::at<Real>(reals, 1), nullptr);
  eqc_testing::clearMessages();
}

TEST_F(StateAccess, EigenSensitivitiesSurviveARestartInModeOrder) {
  std::mt19937 random(11);
  for (int trial = 0; trial < 30; ++trial) {
    const Int n = static_cast<Int>(random() % 6), m = static_cast<Int>(random() % 5);
    const Int stride = m + 1 + static_cast<Int>(random() % 3);
    std::vector<Real> a(static_cast<std::size_t>(n * stride + 1));
    std::vector<Int> modes(static_cast<std::size_t>(n));
    std::vector<Real> values;
    for (Int k = 0; k < n; ++k) {
      modes[k] = static_cast<Int>(random() % 100) + 1;
      rec::setSlotI(&a[static_cast<std::size_t>(k * stride)], 1, modes[k]);
      for (Int v = 0; v < m; ++v) {
        const Real value = static_cast<Real>(random() % 1000) / 7;
        a[static_cast<std::size_t>(k * stride + 1 + v)] = value;
        values.push_back(value);
      }
    }
    DSA_STOREEIGENSENS(a.data(), &n, &m, &stride);
    EXPECT_EQ(state().eigenModes, n);
    std::vector<Int> gotModes(static_cast<std::size_t>(n) + 1);
    std::vector<Real> gotValues(values.size() + 1);
    Int gotN = -1;
    DSA_RESTARTEIGENSENS(gotModes.data(), gotValues.data(), &gotN, &m);
    EXPECT_EQ(gotN, n);
    gotModes.pop_back();
    gotValues.pop_back();
    EXPECT_EQ(gotModes, modes);
    EXPECT_EQ(gotValues, values);
    EXPECT_EQ(state().eigenBuffer, nullptr);
  }
  // Nothing stored: n = 0 and nothing copied.
  Int n = 5, mode = 42;
  const Int m = 2, one = 1;
  Real value = 42;
  DSA_RESTARTEIGENSENS(&mode, &value, &n, &m);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(mode, 42);
  // A stride below m + 1 reads the records as they lie, overlapping; the values come back as
  // the n·m reals after the mode numbers, whatever m the restart asks for.
  std::vector<Real> a(8);
  for (int k = 0; k < 8; ++k) a[static_cast<std::size_t>(k)] = 10.0 + k;
  rec::setSlotI(&a[0], 1, 7);
  rec::setSlotI(&a[1], 1, 9);
  const Int two = 2;
  DSA_STOREEIGENSENS(a.data(), &two, &m, &one);  // records at reals 0 and 1, each a mode and 2 values
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  ASSERT_EQ(state().eigenModes, 2);
  Int gotModes[2] = {};
  Real gotValues[6] = {0, 0, 0, 0, 0, 0};
  const Int three = 3;
  DSA_RESTARTEIGENSENS(gotModes, gotValues, &n, &one);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(gotModes[0], 7);
  EXPECT_EQ(gotModes[1], 9);
  EXPECT_EQ(std::vector<Real>(gotValues, gotValues + 3), (std::vector<Real>{a[1], a[2], 0}));  // n·1 reals
  DSA_STOREEIGENSENS(a.data(), &two, &m, &one);
  DSA_RESTARTEIGENSENS(gotModes, gotValues, &n, &three);  // no further than the 4 reals stored
  EXPECT_EQ(std::vector<Real>(gotValues, gotValues + 6), (std::vector<Real>{a[1], a[2], a[2], a[3], 0, 0}));
  // A record before the array is refused.
  const Int backwards = -1;
  DSA_STOREEIGENSENS(a.data(), &two, &m, &backwards);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DSA_STOREEIGENSENS"));
  EXPECT_EQ(state().eigenModes, 0);
  // Counts no array can hold are refused before anything is allocated or read; the buffer
  // held so far stays.
  DSA_STOREEIGENSENS(a.data(), &two, &one, &three);
  for (const auto& [hugeN, hugeM] : {std::pair{INT_MAX, INT_MAX - 1}, std::pair{1 << 30, 1 << 20}}) {
    const Int hugeStride = hugeM + 1;
    DSA_STOREEIGENSENS(a.data(), &hugeN, &hugeM, &hugeStride);
    EXPECT_EQ(state().eigenModes, 2);
  }
  Int keptModes[2], kept = 0;
  Real keptValues[2];
  DSA_RESTARTEIGENSENS(keptModes, keptValues, &kept, &one);
  EXPECT_EQ(kept, 2);
}

TEST(SensitivityModule, UseCountRaisesTheCallersIntegerOnce) {
  int counter = 0;
  dsa_initialize(counter);
  dsa_initialize(counter);
  dsa_finalize(counter);
  EXPECT_EQ(counter, 1);
  dsa_finalize(counter);
  EXPECT_EQ(counter, 0);
}

}  // namespace
