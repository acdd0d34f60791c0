#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
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
  // Back from a pointer to its word, and the bytes left to the block's end.
  EXPECT_EQ(mem32::wordOf(&data[57]), base + 4 * 57);
  EXPECT_EQ(mem32::bytesFrom(base + 4 * 57), 400u - 4 * 57);
  EXPECT_TRUE(reports().empty());
  EXPECT_TRUE(mem32::unmap(base));
  EXPECT_EQ(mem32::wordOf(&data[57]), 0);
  EXPECT_EQ(mem32::bytesFrom(base), 0u);
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

// A span whose byte count is huge (a negative count turned unsigned, or a count whose byte size
// wraps) must not pass the range check by wrapping round, neither on the hot block nor off it.
TEST_F(AddressSpace, HugeSpansNeverWrapIntoRange) {
  std::vector<std::int32_t> data(16);
  const Int w = mem32::map(data.data(), 64, 0);
  ASSERT_NE(mem32::at<std::int32_t>(w + 8, 14), nullptr);  // the whole rest of the block; now hot
  EXPECT_EQ(mem32::at<std::int32_t>(w + 8, 15), nullptr);
  EXPECT_EQ(mem32::at<std::int32_t>(w + 8, static_cast<std::size_t>(-1)), nullptr);
  EXPECT_EQ(mem32::at<std::int32_t>(w, (std::size_t{1} << 62)), nullptr);  // 2^64 bytes: wraps to 0
  EXPECT_EQ(mem32::resolve(w + 4, SIZE_MAX - 2), nullptr);
  EXPECT_EQ(mem32::resolve(w - 4, 8), nullptr);  // starts before the block
  EXPECT_FALSE(mem32::valid(w, SIZE_MAX, 0));
  EXPECT_EQ(reports().size(), 5u);
  // Off the hot path: another block resolved last.
  std::vector<std::int32_t> other(4);
  const Int v = mem32::map(other.data(), 16, 0);
  ASSERT_NE(mem32::at<std::int32_t>(v), nullptr);
  EXPECT_EQ(mem32::at<std::int32_t>(w + 8, static_cast<std::size_t>(-1)), nullptr);
  EXPECT_EQ(reports().size(), 6u);
  // A span of 0 bytes may sit one past the last byte, but not in the gap after it.
  EXPECT_NE(mem32::resolve(w + 64, 0), nullptr);
  EXPECT_EQ(mem32::resolve(w + 68, 0), nullptr);
  EXPECT_TRUE(mem32::unmap(v));
  EXPECT_TRUE(mem32::unmap(w));
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

// The last block of the space ends at INT32_MAX at most: word arithmetic up to its end stays in
// range, and once fresh space is spent a freed range is handed out again rather than failing.
// Runs last because it spends the fresh space of the process.
TEST_F(AddressSpace, ZLastBlockEndsInsideTheSpaceAndFreedRangesAreReusedWhenFreshIsSpent) {
  std::vector<std::int32_t> tail(4, 9);
  const Int freed = mem32::map(tail.data(), 16, 0);
  ASSERT_NE(freed, 0);
  ASSERT_TRUE(mem32::unmap(freed));
  // A block that takes all that is left but a few words; its memory is never touched.
  const Int next = mem32::map(tail.data(), 0, 0);
  ASSERT_TRUE(mem32::unmap(next));
  const std::size_t rest = static_cast<std::size_t>(std::numeric_limits<Int>::max() - next) - 64;
  const Int big = mem32::map(tail.data(), rest, mem32::tag("HUGE"));
  ASSERT_GT(big, next);
  const Int end = static_cast<Int>(big + static_cast<std::int64_t>(rest));  // no Int overflow
  EXPECT_EQ(mem32::blockBytes(end - 1), rest);
  EXPECT_FALSE(mem32::valid(end - 3, 4, 0));
  EXPECT_TRUE(mem32::valid(end, 0, 0));
  EXPECT_TRUE(reports().empty());

  // No fresh word is left: a freed range comes back, and it resolves to the new memory.
  const Int again = mem32::map(tail.data(), 8, 0);
  ASSERT_NE(again, 0);
  EXPECT_LT(again, big);
  EXPECT_EQ(*mem32::at<std::int32_t>(again + 4), 9);
  EXPECT_EQ(mem32::at<std::int32_t>(again + 8), nullptr);
  EXPECT_TRUE(mem32::unmap(again));
  EXPECT_TRUE(mem32::unmap(big));
}

}  // namespace
