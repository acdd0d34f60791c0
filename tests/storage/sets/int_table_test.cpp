#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <random>
#include <vector>

#include "tests/support/host_fixture.h"
#include "zmx/int_table.h"
#include "zmx/storage.h"

namespace {

// Random inserts and lookups over keys of both signs, opposite keys (k and -k) and the extremes,
// checked against an ordered map: the first value stored under a key stays.
TEST(IntTable, InsertAndFindAgreeWithAnOrderedMapForKeysOfEitherSign) {
  omi_IntTable<int> table;
  std::map<int, int> model;
  std::mt19937 random(5);
  std::uniform_int_distribution<int> pickSmall(-300, 300);
  const int extremes[] = {INT_MIN, INT_MIN + 1, INT_MAX, -1, 0, 1};
  for (int step = 0; step < 20000; ++step) {
    const int key = step % 7 == 0 ? extremes[step % 6] : pickSmall(random);
    if (step % 3 == 0) {
      const int* found = table.find(key);
      const auto expected = model.find(key);
      ASSERT_EQ(found != nullptr, expected != model.end()) << key;
      if (found != nullptr) {
        EXPECT_EQ(*found, expected->second) << key;
      }
    } else {
      EXPECT_EQ(table.insert(key, step), model.emplace(key, step).second) << key;
    }
    if (step == 12000) {
      table.clear();
      model.clear();
    }
  }
  EXPECT_EQ(table.size(), model.size());
  for (const auto& [key, value] : model) {
    const int* found = table.find(key);
    ASSERT_NE(found, nullptr) << key;
    EXPECT_EQ(*found, value);
  }
}

class LabelTableOfAHost : public zmxtest::HostFixture {};

// A host fills the table itself and converts a set through the exported routine; each member's
// internal number is its first 1-based position in the label list, found by a linear search.
TEST_F(LabelTableOfAHost, ConvertSingleSetNumbersMembersOfEitherSignByTheirLabelPosition) {
  const std::vector<int> labels = {7, -7, 3, INT_MIN, -3, 12, 7, 0};
  omi_IntTable<int> table;
  for (int i = 0; i < static_cast<int>(labels.size()); ++i) table.insert(labels[i], i);

  std::vector<int> members = {-3, 12, 5, -7, INT_MIN, 0, 7, -12, 3};
  SetRecord record;
  ASSERT_EQ(record.AddSet("MIXED", static_cast<int>(members.size()), members.data(), 0), 1);
  SetRecord::ConvertSingleSet(&record, &table, static_cast<int>(labels.size()), true);

  std::vector<int> expected;
  for (int member : members) {
    const auto at = std::find(labels.begin(), labels.end(), member);
    if (at != labels.end()) expected.push_back(static_cast<int>(at - labels.begin()) + 1);
  }
  ASSERT_EQ(record.InternalCount(), static_cast<int>(expected.size()));
  EXPECT_EQ(std::vector<int>(record.Internal(), record.Internal() + record.InternalCount()), expected);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(std::vector<int>(record.SortedInternal(), record.SortedInternal() + record.InternalCount()), expected);

  // Without a table or without labels the internal numbers stay as they were.
  SetRecord::ConvertSingleSet(&record, nullptr, 8, false);
  SetRecord::ConvertSingleSet(&record, &table, 0, false);
  EXPECT_EQ(record.InternalCount(), static_cast<int>(expected.size()));
}

}  // namespace
