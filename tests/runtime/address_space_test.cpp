#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/report.h"

namespace {

std::vector<std::string>& reports() {
  static std::vector<std::string> log;
  return log;
}

class AddressSpace : public ::testing::Test {
 protected:
  void SetUp() override {
    reports().clear();
    zmxrt::setReportWriter([](int level, std::string_view text) {
      EXPECT_EQ(level, -3);
      reports().emplace_back(text);
    });
  }
  void TearDown() override { zmxrt::setReportWriter(nullptr); }
};

TEST_F(AddressSpace, WordArithmeticInsideABlockResolves) {
  std::vector<std::int32_t> data(100);
  for (int k = 0; k < 100; ++k) data[static_cast<std::size_t>(k)] = k * 3;
  const Int base = mem32::map(data.data(), data.size() * 4, mem32::tag("TEST"));
  ASSERT_GT(base, 0);
  EXPECT_EQ(*mem32::at<std::int32_t>(base), 0);
  EXPECT_EQ(*mem32::at<std::int32_t>(base + 4 * 57), 171);
  EXPECT_EQ(mem32::at<std::int32_t>(base + 4 * 90, 10, mem32::tag("TEST")), &data[90]);
  EXPECT_EQ(mem32::blockBytes(base + 8), 400u);
  EXPECT_TRUE(reports().empty());
  EXPECT_TRUE(mem32::unmap(base));
}

TEST_F(AddressSpace, BadWordsAreReportedAndResolveToNothing) {
  std::vector<double> a(4), b(4);
  const Int wa = mem32::map(a.data(), 32, mem32::tag("AAAA"));
  const Int wb = mem32::map(b.data(), 32, mem32::tag("BBBB"));
  ASSERT_NE(wa, wb);

  EXPECT_EQ(mem32::at<double>(0), nullptr);             // never a valid word
  EXPECT_EQ(mem32::at<double>(-8), nullptr);            // negative
  EXPECT_EQ(mem32::at<double>(wa, 5), nullptr);         // span past the end
  EXPECT_EQ(mem32::at<double>(wa + 32), nullptr);       // one past the end
  EXPECT_EQ(mem32::at<double>(wa, 1, mem32::tag("BBBB")), nullptr);  // foreign tag
  EXPECT_EQ(mem32::at<double>(wa + 2), nullptr);        // misaligned for double
  EXPECT_EQ(mem32::at<double>(0x7fff0000), nullptr);   // beyond every block
  EXPECT_EQ(reports().size(), 7u);

  ASSERT_TRUE(mem32::unmap(wa));
  EXPECT_EQ(mem32::at<double>(wa), nullptr);  // stale
  EXPECT_NE(reports().back().find("STALE"), std::string::npos);
  EXPECT_FALSE(mem32::unmap(wa));             // twice
  EXPECT_FALSE(mem32::unmap(wb + 8));         // not a base word
  EXPECT_NE(mem32::at<double>(wb, 4), nullptr);
  EXPECT_TRUE(mem32::unmap(wb));
}

TEST_F(AddressSpace, FreedRangesAreNotReusedAndEmptyBlocksGetTheirOwnWord) {
  int x = 0;
  const Int first = mem32::map(&x, 4, 0);
  ASSERT_TRUE(mem32::unmap(first));
  const Int second = mem32::map(&x, 4, 0);
  EXPECT_NE(first, second);
  EXPECT_EQ(mem32::at<int>(first), nullptr);

  const Int empty1 = mem32::map(nullptr, 0, 0);
  const Int empty2 = mem32::map(nullptr, 0, 0);
  EXPECT_NE(empty1, 0);
  EXPECT_NE(empty1, empty2);
  EXPECT_TRUE(mem32::valid(empty1, 0, 0));
  EXPECT_FALSE(mem32::valid(empty1, 1, 0));
  EXPECT_EQ(mem32::liveBlocks(), 3u);
  mem32::unmap(second);
  mem32::unmap(empty1);
  mem32::unmap(empty2);
  EXPECT_EQ(mem32::liveBlocks(), 0u);
}

TEST_F(AddressSpace, HotBlockIsDroppedOnUnmap) {
  std::vector<int> data(8, 5);
  const Int w = mem32::map(data.data(), 32, 0);
  EXPECT_NE(mem32::at<int>(w + 4), nullptr);  // now the hot block
  mem32::unmap(w);
  EXPECT_EQ(mem32::at<int>(w + 4), nullptr);
  EXPECT_EQ(reports().size(), 1u);
}

TEST_F(AddressSpace, BlocksLargerThanTheSpaceAreRefused) {
  char c = 0;
  EXPECT_EQ(mem32::map(&c, std::size_t{1} << 32, 0), 0);
  EXPECT_EQ(reports().size(), 1u);
}

}  // namespace
