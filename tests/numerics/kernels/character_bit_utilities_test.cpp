// Character, bit and number utilities against plain bit operations and 64-bit arithmetic.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "zmx/numerics.h"

namespace {

TEST(LargeInt, ComparesAsANumber) {
  const shr_LargeInt zero("0"), empty(""), zeros("0000"), padded("00042"), plain("42"), hundred("100");
  EXPECT_TRUE(zero == empty);
  EXPECT_TRUE(zeros == zero);
  EXPECT_TRUE(padded == plain);
  EXPECT_TRUE(plain < hundred);
  EXPECT_TRUE(hundred > plain);
  EXPECT_TRUE(plain <= padded);
  EXPECT_TRUE(plain >= padded);
  EXPECT_FALSE(plain < padded);
  EXPECT_TRUE(shr_LargeInt("99") < shr_LargeInt("100"));
  EXPECT_TRUE(shr_LargeInt("4294967296") > shr_LargeInt("4294967295"));
  EXPECT_TRUE(zero < shr_LargeInt("1"));

  // Random pairs of up to ten digits against 64-bit comparison.
  std::mt19937_64 generator(3);
  for (int trial = 0; trial < 200; ++trial) {
    const std::uint64_t a = generator() % 10000000000ULL >> (generator() % 30);
    const std::uint64_t b = generator() % 10000000000ULL >> (generator() % 30);
    const shr_LargeInt la(std::to_string(a).c_str()), lb(std::to_string(b).c_str());
    EXPECT_EQ(la < lb, a < b) << a << " " << b;
    EXPECT_EQ(la == lb, a == b) << a << " " << b;
  }
}

TEST(LargeInt, StaysInsideItsFieldForLongStrings) {
  const shr_LargeInt longest("123456789012345");
  EXPECT_TRUE(longest == shr_LargeInt("1234567890"));
  EXPECT_TRUE(longest > shr_LargeInt("999999999"));
}

TEST(Arand, FollowsTheCongruentialSequence) {
  int seed = 12345;
  std::int64_t expected = 12345;
  double x = 0.0;
  for (int k = 0; k < 1000; ++k) {
    ARAND(&x, &seed);
    expected = expected * 125 % 2796203;
    ASSERT_EQ(seed, expected);
    EXPECT_EQ(x, static_cast<double>(expected) / 2796204.0);
    EXPECT_GT(x, 0.0);
    EXPECT_LT(x, 1.0);
  }
  // A seed outside the range wraps in 32 bits as the integer it is kept in.
  seed = 2000000000;
  ARAND(&x, &seed);
  EXPECT_EQ(seed, static_cast<std::int32_t>(static_cast<std::uint32_t>(125LL * 2000000000)) % 2796203);
}

TEST(Pgrbit, SetsClearsAndTestsAgainstPlainBits) {
  std::vector<int> bits(4, -7);
  const int clear = 0, set = 1, test = 3, size = 2;
  int result = -1, k = 1;
  PGRBIT(&clear, bits.data(), &size, &k, &result);
  EXPECT_EQ(bits, std::vector<int>(4, 0));
  EXPECT_EQ(result, 0);
  k = 77;
  PGRBIT(&test, bits.data(), &size, &k, &result);
  EXPECT_EQ(result, 1);  // freshly cleared: clear

  k = 31;  // top usable position of word 1
  PGRBIT(&set, bits.data(), &size, &k, &result);
  EXPECT_EQ(bits[0], 1 << 30);
  k = 32;  // position 1 of word 2
  PGRBIT(&set, bits.data(), &size, &k, &result);
  EXPECT_EQ(bits[1], 1);
  PGRBIT(&set, bits.data(), &size, &k, &result);  // setting twice changes nothing
  EXPECT_EQ(bits[1], 1);

  // Random operations against a plain model of the 124 bits.
  std::mt19937 generator(11);
  std::vector<bool> model(125, false);
  model[31] = model[32] = true;
  for (int trial = 0; trial < 2000; ++trial) {
    int operation = 1 + static_cast<int>(generator() % 3);
    k = 1 + static_cast<int>(generator() % 124);
    PGRBIT(&operation, bits.data(), &size, &k, &result);
    if (operation == 1) model[static_cast<std::size_t>(k)] = true;
    if (operation == 2) model[static_cast<std::size_t>(k)] = false;
    if (operation == 3) {
      ASSERT_EQ(result, model[static_cast<std::size_t>(k)] ? 0 : 1) << k;
    }
  }
  for (int word = 0; word < 4; ++word) {
    int expected = 0;
    for (int b = 1; b <= 31; ++b)
      if (model[static_cast<std::size_t>(31 * word + b)]) expected |= 1 << (b - 1);
    EXPECT_EQ(bits[static_cast<std::size_t>(word)], expected);
  }

  // No bit 0: nothing before the array is touched.
  int guarded[2] = {5, 0};
  k = 0;
  PGRBIT(&set, guarded + 1, &size, &k, &result);
  EXPECT_EQ(guarded[0], 5);
  EXPECT_EQ(guarded[1], 0);
}

TEST(Ltacdf, TestsOneBitOfNonNegativeIntegers) {
  std::mt19937 generator(5);
  for (int trial = 0; trial < 500; ++trial) {
    const int k = static_cast<int>(generator() >> 1);
    for (int n = 1; n <= 31; ++n) ASSERT_EQ(LTACDF(&n, &k), (k >> (n - 1)) & 1) << k << " bit " << n;
  }
  const int negative = -1, top = 31, largest = 0x7fffffff, first = 1;
  EXPECT_EQ(LTACDF(&first, &negative), 0);
  EXPECT_EQ(LTACDF(&top, &largest), 1);
  EXPECT_EQ(LTACDF(&top, &negative), 0);
}

TEST(CharacterFields, UpperCaseLengthAndCaseBlindCompare) {
  char text[] = "abc-xyZ 9q";
  const int six = 6;
  VUPCAS(text, 10, &six);
  EXPECT_EQ(std::string(text), "ABC-XYZ 9q");

  int length = 0;
  const int all = 8;
  SHR_STRLENEXCPTRAILBLANKS("AB C    ", 8, &all, &length);
  EXPECT_EQ(length, 4);
  SHR_STRLENEXCPTRAILBLANKS("        ", 8, &all, &length);
  EXPECT_EQ(length, 1);

  int equal = -1;
  SHR_ACOMPCASEPRESERV("Steel  ", 7, "STEEL", 5, &equal);
  EXPECT_EQ(equal, 1);
  SHR_ACOMPCASEPRESERV("Steel1 ", 7, "STEEL", 5, &equal);
  EXPECT_EQ(equal, 0);
  SHR_ACOMPCASEPRESERV("Steal", 5, "STEEL", 5, &equal);
  EXPECT_EQ(equal, 0);
}

TEST(CharacterFields, AcodeeWritesWholeItemsOnly) {
  char items[8 * 18];
  std::memset(items, '#', sizeof items);
  const int nine = 9;
  ACODEE("ABCDEFGHIJK", 11, items, &nine);
  EXPECT_EQ(std::string(items, 16), "ABCDEFGHI       ");
  EXPECT_EQ(items[16], '#');

  // More than 132 characters: cut at 132, 17 items, nothing beyond.
  std::memset(items, '#', sizeof items);
  const std::string longText(200, 'x');
  const int many = 200;
  ACODEE(longText.c_str(), 200, items, &many);
  EXPECT_EQ(std::string(items, 136), std::string(132, 'x') + "    ");
  EXPECT_EQ(items[136], '#');

  // A count beyond the passed text: the text padded with blanks, items counted from the count.
  std::memset(items, '#', sizeof items);
  const int twenty = 20;
  ACODEE("ABCDEFGHIJ", 10, items, &twenty);
  EXPECT_EQ(std::string(items, 24), "ABCDEFGHIJ              ");
  EXPECT_EQ(items[24], '#');

  // (n - 1)/8 + 1 items, the division truncating toward zero: one blank item down to n = -6,
  // none below.
  for (const int n : {0, -6, -7, -8, -20, INT_MIN}) {
    std::memset(items, '#', sizeof items);
    ACODEE("ABCDEFGHIJ", 10, items, &n);
    EXPECT_EQ(std::string(items, 8), n >= -6 ? std::string(8, ' ') : std::string(8, '#')) << n;
    EXPECT_EQ(items[8], '#') << n;
  }
}

TEST(TerminatedStrings, FieldsCompactionAndStripping) {
  char field[6];
  EXPECT_EQ(apsc2f(field, "abc", 6), 3);
  EXPECT_EQ(std::string(field, 6), "abc   ");
  EXPECT_EQ(apsc2f(field, "abcdefgh", 6), 0);
  EXPECT_EQ(std::string(field, 6), "abcdef");
  EXPECT_EQ(apsc2f(field, "abcdef", 6), 0);

  char spaced[] = " a b\tc\n d ";
  apcomp(spaced);
  EXPECT_EQ(std::string(spaced), "abcd");
  char padded[] = " \t inner text \n";
  apstrip(padded);
  EXPECT_EQ(std::string(padded), "inner text");
  char blank[] = "   ";
  apstrip(blank);
  EXPECT_EQ(std::string(blank), "");
}

}  // namespace
