// Array routines, the slide-line database reader and the environment lookup of eqc.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/testing.h"

namespace {

using Vec3 = std::array<double, 3>;

double dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

std::uint32_t highWord(const double& slot) {
  std::uint64_t bits;
  std::memcpy(&bits, &slot, sizeof bits);
  return static_cast<std::uint32_t>(bits >> 32);
}

class EqcArrays : public ::testing::Test {
 protected:
  void SetUp() override {
    eqc_testing::setEcho(false);
    eqc_testing::clearMessages();
  }
};

TEST_F(EqcArrays, AnormScalesToUnitLengthAndFlagsZeroVectors) {
  const Int three = 3, two = 2;
  Int status = -7;
  double v[3] = {3.0, 0.0, -4.0};
  ANORM(v, &three, &status);
  EXPECT_EQ(status, 0);
  EXPECT_DOUBLE_EQ(v[0], 0.6);
  EXPECT_DOUBLE_EQ(v[2], -0.8);

  // Far beyond the range where the sum of squares would over- or underflow.
  double huge[2] = {1e300, 1e300}, tiny[2] = {3e-300, 4e-300};
  ANORM(huge, &two, &status);
  EXPECT_EQ(status, 0);
  EXPECT_NEAR(huge[0], 1.0 / std::sqrt(2.0), 1e-15);
  ANORM(tiny, &two, &status);
  EXPECT_EQ(status, 0);
  EXPECT_NEAR(tiny[1], 0.8, 1e-15);

  double zero[3] = {0.0, 0.0, 0.0};
  ANORM(zero, &three, &status);
  EXPECT_NE(status, 0);
  EXPECT_EQ(zero[0], 0.0);

  double bad[3] = {1.0, std::numeric_limits<double>::quiet_NaN(), 0.0};
  ANORM(bad, &three, &status);
  EXPECT_NE(status, 0);
  EXPECT_EQ(bad[0], 1.0);
}

TEST_F(EqcArrays, CrossProductIsOrthogonalRightHandedAndMayOverwriteAnInput) {
  double ex[3] = {1, 0, 0}, ey[3] = {0, 1, 0}, c[3];
  AXPRD(ex, ey, c);
  EXPECT_EQ(c[2], 1.0);
  EXPECT_EQ(c[0], 0.0);

  std::mt19937 gen(7);
  std::uniform_real_distribution<double> u(-2.0, 2.0);
  for (int trial = 0; trial < 50; ++trial) {
    double a[3] = {u(gen), u(gen), u(gen)}, b[3] = {u(gen), u(gen), u(gen)};
    AXPRD(a, b, c);
    EXPECT_NEAR(dot(a, c), 0.0, 1e-12);
    EXPECT_NEAR(dot(b, c), 0.0, 1e-12);
    // |a x b|^2 = |a|^2 |b|^2 - (a.b)^2 (Lagrange's identity).
    EXPECT_NEAR(dot(c, c), dot(a, a) * dot(b, b) - dot(a, b) * dot(a, b), 1e-10);
    double inPlace[3] = {a[0], a[1], a[2]};
    AXPRD(inPlace, b, inPlace);
    for (int k = 0; k < 3; ++k) EXPECT_DOUBLE_EQ(inPlace[k], c[k]);
  }
}

TEST_F(EqcArrays, MatrixProductColumnMajorAlsoInPlace) {
  // Rotation by 90 degrees about z, column-major: column 1 = (0, 1, 0), column 2 = (-1, 0, 0).
  const double r[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
  double v[3] = {1, 2, 3}, w[3];
  const Int three = 3, one = 1;
  APRD(r, v, w, &three, &three, &one);
  EXPECT_EQ(w[0], -2.0);
  EXPECT_EQ(w[1], 1.0);
  EXPECT_EQ(w[2], 3.0);
  APRD(r, v, v, &three, &three, &one);
  EXPECT_EQ(std::vector<double>(v, v + 3), std::vector<double>(w, w + 3));

  // A 2 x 3 times a 3 x 2, checked entry by entry: C(i,j) = sum_k A(i,k) B(k,j).
  const double a[6] = {1, 4, 2, 5, 3, 6};     // rows (1 2 3), (4 5 6)
  const double b[6] = {7, 9, 11, 8, 10, 12};  // rows (7 8), (9 10), (11 12)
  double c[4];
  const Int two = 2;
  APRD(a, b, c, &two, &three, &two);
  EXPECT_EQ(std::vector<double>(c, c + 4), (std::vector<double>{58, 139, 64, 154}));
}

TEST_F(EqcArrays, LocalFrameIsRightHandedAndOrthonormal) {
  std::vector<Vec3> normals = {{0, 0, 1}, {1, 0, 0}, {0, -1, 0}, {1, 1, 1}, {-0.3, 0.2, 5}};
  for (Vec3 n : normals) {
    const double length = std::sqrt(dot(n.data(), n.data()));
    double frame[9] = {9, 9, 9, 9, 9, 9, n[0] / length, n[1] / length, n[2] / length};
    ALOCAL(frame);
    const double *t1 = frame, *t2 = frame + 3, *t3 = frame + 6;
    EXPECT_NEAR(dot(t1, t1), 1.0, 1e-14);
    EXPECT_NEAR(dot(t2, t2), 1.0, 1e-14);
    EXPECT_NEAR(dot(t1, t2), 0.0, 1e-14);
    EXPECT_NEAR(dot(t1, t3), 0.0, 1e-14);
    double cross[3];
    AXPRD(t1, t2, cross);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(cross[k], t3[k], 1e-14);
  }
}

TEST_F(EqcArrays, SlotIntegersRoundTripInBothRepresentations) {
  const Int values[] = {0, 1, -1, 2147483647, -2147483647 - 1, 513};
  const Int n = 6;
  double slots[6], reals[6];
  Int back[6];

  ACOPJD(values, slots, &n);  // integer in the low word
  for (double s : slots) EXPECT_EQ(highWord(s), 0u);
  ACOPDJ(slots, back, &n);
  EXPECT_EQ(std::vector<Int>(back, back + n), std::vector<Int>(values, values + n));
  ACOPDI(slots, back, &n);
  EXPECT_EQ(std::vector<Int>(back, back + n), std::vector<Int>(values, values + n));

  ACOPID(values, reals, &n);  // integer as a real value
  EXPECT_EQ(reals[5], 513.0);
  ACOPDI(reals, back, &n);
  EXPECT_EQ(std::vector<Int>(back, back + n), std::vector<Int>(values, values + n));

  // An 8-byte integer written with its sign extended is taken as that integer.
  const std::int64_t wide = -5;
  double extended;
  std::memcpy(&extended, &wide, sizeof extended);
  const Int one = 1;
  ACOPDJ(&extended, back, &one);
  EXPECT_EQ(back[0], -5);

  const Int four = 4;
  ASETDI(slots, &values[5], &four);
  ACOPDJ(slots, back, &four);
  EXPECT_EQ(back[3], 513);
  EXPECT_EQ(highWord(slots[3]), 0u);
}

TEST_F(EqcArrays, RealSlotsRoundAndSaturateWithoutUndefinedConversions) {
  const double reals[] = {2.9999999, -7.4, 1e300, -1e300, std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity(), 2147483647.6};
  const Int n = 7;
  Int out[7];
  ACOPDI(reals, out, &n);
  EXPECT_EQ(out[0], 3);
  EXPECT_EQ(out[1], -7);
  EXPECT_EQ(out[2], std::numeric_limits<Int>::max());
  EXPECT_EQ(out[3], std::numeric_limits<Int>::min());
  EXPECT_EQ(out[4], 0);
  EXPECT_EQ(out[5], std::numeric_limits<Int>::max());
  EXPECT_EQ(out[6], std::numeric_limits<Int>::max());
}

TEST_F(EqcArrays, FillsCopiesAndScalesLeaveTheRestAlone) {
  std::vector<double> a(6, -1.0);
  const Int four = 4, zero = 0, minus = -3;
  const double seven = 7.0, half = 0.5;
  ASET(a.data(), &seven, &four);
  EXPECT_EQ(a, (std::vector<double>{7, 7, 7, 7, -1, -1}));
  ASET(a.data(), &half, &zero);
  ASET(a.data(), &half, &minus);
  EXPECT_EQ(a[0], 7.0);

  std::vector<Int> ints(5, 0);
  const Int nine = 9, three = 3;
  ASETI(ints.data(), &nine, &three);
  EXPECT_EQ(ints, (std::vector<Int>{9, 9, 9, 0, 0}));
  std::vector<Int> copied(5, -1);
  ACOPII(ints.data(), copied.data(), &four);
  EXPECT_EQ(copied, (std::vector<Int>{9, 9, 9, 0, -1}));

  std::vector<double> scaled(4, 0.0);
  AMULT(a.data(), &half, scaled.data(), &three);
  EXPECT_EQ(scaled, (std::vector<double>{3.5, 3.5, 3.5, 0.0}));

  // Overlapping copies move the values as a block, in either direction.
  std::vector<double> run = {1, 2, 3, 4, 5};
  ACOPY(run.data(), run.data() + 1, &four);
  EXPECT_EQ(run, (std::vector<double>{1, 1, 2, 3, 4}));
  ACOPY(run.data() + 1, run.data(), &four);
  EXPECT_EQ(run, (std::vector<double>{1, 2, 3, 4, 4}));
  BCU_COPY(run.data() + 2, run.data(), &three);
  EXPECT_EQ(run, (std::vector<double>{3, 4, 4, 4, 4}));

  std::vector<double> overlap = {1, 2, 3, 4};
  BCU_COPYOVERLAP(overlap.data(), overlap.data() + 1, &three);
  EXPECT_EQ(overlap, (std::vector<double>{1, 1, 2, 3}));
}

TEST_F(EqcArrays, BlankTestOnEightCharacters) {
  Int flag = -1;
  BCU_COMP_BLANK("        ", &flag);
  EXPECT_EQ(flag, 1);
  const char unset[8] = {};
  BCU_COMP_BLANK(unset, &flag);
  EXPECT_EQ(flag, 1);
  BCU_COMP_BLANK("       X", &flag);
  EXPECT_EQ(flag, 0);
}

TEST_F(EqcArrays, IntegerSortsAgreeWithTheStandardSortAndKeepPairsTogether) {
  std::mt19937 gen(11);
  std::uniform_int_distribution<int> u(-20, 20);
  const Int n = 200;
  std::vector<Int> a(n), b(n);
  for (Int k = 0; k < n; ++k) {
    a[k] = u(gen);
    b[k] = u(gen);
  }
  std::vector<std::pair<Int, Int>> pairs;
  for (Int k = 0; k < n; ++k) pairs.emplace_back(a[k], b[k]);
  std::sort(pairs.begin(), pairs.end());

  std::vector<Int> single = a;
  BCU_SORTINT1(single.data(), &n);
  EXPECT_TRUE(std::is_sorted(single.begin(), single.end()));

  std::vector<Int> a2 = a, b2 = b;
  BCU_SORTINT2(a2.data(), b2.data(), &n);
  EXPECT_EQ(a2, single);
  std::vector<std::pair<Int, Int>> moved;
  for (Int k = 0; k < n; ++k) moved.emplace_back(a2[k], b2[k]);
  std::sort(moved.begin(), moved.end());
  EXPECT_EQ(moved, pairs);

  std::vector<Int> a3 = a, b3 = b;
  BCU_SORTCOMPINT2(a3.data(), b3.data(), &n);
  for (Int k = 0; k < n; ++k) EXPECT_EQ(std::make_pair(a3[k], b3[k]), pairs[k]);
}

TEST_F(EqcArrays, SlideLineRecordsAreReadByAddress) {
  eqc_testing::setSlideLineStore({});
  const int first = eqc_testing::appendSlideLineRecord({30, 7});
  const int second = eqc_testing::appendSlideLineSlots({eqc_testing::integerSlot(4), 2.5, -1.0});
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 4);

  double buffer[8];
  std::fill(std::begin(buffer), std::end(buffer), 99.0);
  const Int read = 0;
  Int address = first;
  DBSL(&read, buffer, &address);
  Int words[3];
  const Int three = 3;
  ACOPDJ(buffer, words, &three);
  EXPECT_EQ(words[0], 3);
  EXPECT_EQ(words[1], 30);
  EXPECT_EQ(words[2], 7);
  EXPECT_EQ(buffer[3], 99.0);

  address += words[0];  // the next record starts at address + length
  DBSL(&read, buffer, &address);
  ACOPDJ(buffer, words, &three);
  EXPECT_EQ(words[0], 4);
  EXPECT_EQ(words[1], 4);
  EXPECT_EQ(buffer[2], 2.5);
  EXPECT_EQ(buffer[3], -1.0);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(EqcArrays, SlideLineAddressOutsideTheStoreIsReportedAndNothingCopied) {
  eqc_testing::setSlideLineStore({});
  eqc_testing::appendSlideLineRecord({1, 2});
  // A record whose length runs past the end of the store.
  std::vector<double> store = eqc_testing::slideLineStore();
  store.push_back(eqc_testing::integerSlot(50));
  eqc_testing::setSlideLineStore(store);

  double buffer[4] = {5, 5, 5, 5};
  const Int read = 0, bad[] = {0, -3, 5, 1000};
  for (Int address : bad) DBSL(&read, buffer, &address);
  const Int pastEnd = 4;
  DBSL(&read, buffer, &pastEnd);
  const Int unknown = 2, good = 1;
  DBSL(&unknown, buffer, &good);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 6);
  EXPECT_TRUE(eqc_testing::printed("ADDRESS 1000 OUTSIDE THE SLIDE-LINE DATABASE"));
  EXPECT_TRUE(eqc_testing::printed("RECORD AT ADDRESS 4 RUNS PAST"));
  for (double b : buffer) EXPECT_EQ(b, 5.0);
}

TEST_F(EqcArrays, EnvironmentValueIsBlankPaddedToTheFieldAndItsLengthGiven) {
  ::setenv("ZMX_EQC_PROBE", "abc", 1);
  char value[8];
  Int length = -1;
  const char name[] = "ZMX_EQC_PROBE      ";
  LXGENV(name, 19, value, 8, &length);
  EXPECT_EQ(std::string(value, 8), "abc     ");
  EXPECT_EQ(length, 3);

  ::setenv("ZMX_EQC_PROBE", "a-value-longer-than-the-field", 1);
  LXGENV(name, 13, value, 8, &length);
  EXPECT_EQ(std::string(value, 8), "a-value-");
  EXPECT_EQ(length, 29);  // the value's own length, so that a caller sees it was cut

  ::unsetenv("ZMX_EQC_PROBE");
  LXGENV(name, 13, value, 8, &length);
  EXPECT_EQ(std::string(value, 8), "        ");
  EXPECT_EQ(length, 0);
}

}  // namespace
