#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "runtime/address_space.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/storage.h"

namespace {

constexpr mem32::Tag kSetArrays = mem32::tag("SETA");

// The bucket of a name computed here from its definition: h = (256 h + b) mod 997 over the
// bytes as signed values, the remainder taken in 0..996.
int bucketOf(const std::string& name) {
  long h = 0;
  for (char c : name) h = (((256 * h + static_cast<signed char>(c)) % 997) + 997) % 997;
  return static_cast<int>(h);
}

std::vector<int> sortedDistinct(std::vector<int> values) {
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  return values;
}

struct Answer {
  Int result = 0;
  Int count = 0;
  Int status = 0;
  std::string name;
};

// Calls DBESET or DBNSET with an 80-character blank-padded name field.
class Sets : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    call(true, 0, "");
    call(false, 0, "");
  }
  void TearDown() override {
    call(true, 1, "");
    call(false, 1, "");
    HostFixture::TearDown();
  }

  Answer call(bool elements, Int operation, const std::string& name, Int count = 0, Int* members = nullptr) {
    std::string field = name;
    field.resize(80, ' ');
    Answer answer;
    answer.count = count;
    answer.result = (elements ? DBESET : DBNSET)(&operation, field.data(), 80, &answer.count, members, &answer.status);
    answer.name = field.substr(0, field.find_last_not_of(' ') + 1);
    return answer;
  }

  Answer add(bool elements, const std::string& name, std::vector<Int> members, Int operation = 2) {
    return call(elements, operation, name, static_cast<Int>(members.size()), members.data());
  }

  // The members (operation 5) or internal numbers (7) or sorted internal numbers (8).
  std::vector<int> array(bool elements, Int operation, const std::string& name) {
    const Answer answer = call(elements, operation, name);
    if (answer.status != 0 || answer.count == 0) return {};
    const Int* data = mem32::at<Int>(answer.result, static_cast<std::size_t>(answer.count), kSetArrays);
    if (data == nullptr) return {{-999}};
    return {data, data + answer.count};
  }
  std::vector<int> members(bool elements, const std::string& name) { return array(elements, 5, name); }
  std::vector<int> internal(bool elements, const std::string& name) { return array(elements, 7, name); }

  Int setCount(bool elements) { return call(elements, 9, "").count; }

  // Every set name in iteration order (operations 9 and 10).
  std::vector<std::string> names(bool elements) {
    std::vector<std::string> all;
    Answer first = call(elements, 9, "");
    if (first.count == 0) return all;
    all.push_back(first.name);
    for (Int k = 1; k < first.count; ++k) all.push_back(call(elements, 10, all.back()).name);
    return all;
  }
};

TEST_F(Sets, SortedAddsMergeIntoOneDistinctAscendingSet) {
  EXPECT_EQ(add(true, "EMPTY", {}).status, 0);
  EXPECT_EQ(call(true, 5, "EMPTY").count, 0);

  std::vector<Int> first = {9, 3, 3, 7};
  call(true, 2, "TOP", 4, first.data());
  EXPECT_EQ((std::vector<Int>{3, 7, 9}), std::vector<Int>(first.begin(), first.begin() + 3))
      << "the caller's array is sorted in place, distinct members in front";
  add(true, "TOP", {8, 1, 9});
  EXPECT_EQ(members(true, "TOP"), (std::vector<int>{1, 3, 7, 8, 9}));
  EXPECT_EQ(setCount(true), 2);
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
}

TEST_F(Sets, SortingMatchesTheStandardSortOnBothSidesOfTheMergeThreshold) {
  std::mt19937 random(7);
  for (int n : {1, 2, 100, 16383, 16384, 16385, 40001}) {
    std::vector<Int> values(static_cast<std::size_t>(n));
    std::uniform_int_distribution<int> pick(-n / 2, n);
    for (Int& v : values) v = pick(random);
    const std::vector<int> expected = sortedDistinct(values);
    const std::string name = "S" + std::to_string(n);
    add(false, name, values);
    EXPECT_EQ(members(false, name), expected) << n;
  }
}

TEST_F(Sets, UnsortedNodeSetsAppendAndBecomeSortedWithOneWarning) {
  EXPECT_EQ(add(false, "U", {5, 2, 5}, 3).status, 0);
  add(false, "U", {1}, 3);
  EXPECT_EQ(members(false, "U"), (std::vector<int>{5, 2, 5, 1}));
  EXPECT_EQ(call(false, 12, "U").count, 0);

  EXPECT_EQ(add(false, "U", {4}).status, -1);
  EXPECT_EQ(eqc_testing::countAtLevel(-1), 1);
  EXPECT_TRUE(eqc_testing::printed("UNSORTED NODE SET U WILL BE SORTED"));
  EXPECT_EQ(members(false, "U"), (std::vector<int>{1, 2, 4, 5}));
  EXPECT_EQ(call(false, 12, "U").count, 1);

  EXPECT_EQ(add(false, "U", {3}).status, 0);
  EXPECT_EQ(eqc_testing::countAtLevel(-1), 1);
  EXPECT_EQ(call(false, 12, "U").count, 1);

  // An unsorted add to a sorted set warns again and merges.
  EXPECT_EQ(add(false, "U", {0, 9}, 3).status, -1);
  EXPECT_EQ(members(false, "U"), (std::vector<int>{0, 1, 2, 3, 4, 5, 9}));
}

TEST_F(Sets, RefusedNamesAndMissingSetsAreReportedAsTheServicesSay) {
  Answer refused = add(true, "1ST", {1});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(eqc_testing::printed("SET NAMES MUST BEGIN WITH A LETTER"));
  EXPECT_EQ(add(false, "9", {1}).status, 1);
  EXPECT_EQ(setCount(true) + setCount(false), 0);
  eqc_testing::clearMessages();

  const Answer element = call(true, 4, "NOPE", 5);
  EXPECT_EQ(element.status, 1);
  EXPECT_EQ(element.count, 0);
  EXPECT_TRUE(eqc_testing::printed("ELEMENT SET NOPE HAS NOT BEEN DEFINED"));
  EXPECT_EQ(call(false, 6, "NOPE").status, 1);
  EXPECT_TRUE(eqc_testing::printed("NODE SET NOPE HAS NOT BEEN DEFINED"));
  EXPECT_EQ(eqc_testing::countAtLevel(-2), 2);

  eqc_testing::clearMessages();
  for (Int operation : {5, 7}) EXPECT_EQ(call(true, operation, "NOPE").status, 1);
  const Answer sorted = call(false, 8, "NOPE", 5);
  EXPECT_EQ(sorted.status, 1);
  EXPECT_EQ(sorted.count, 0);
  const Answer flag = call(false, 12, "NOPE");
  EXPECT_EQ(flag.status, 1);
  EXPECT_EQ(flag.count, 1);
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
}

TEST_F(Sets, ServicesWithoutAListFailInsteadOfCrashing) {
  call(true, 1, "");
  std::vector<Int> one = {1};
  EXPECT_EQ(add(true, "A", one).status, 1);
  EXPECT_EQ(call(true, 4, "A").status, 1);
  EXPECT_EQ(call(true, 9, "").count, 0);
}

TEST_F(Sets, UnknownCodesAndAbsentMemberArraysChangeNothing) {
  add(false, "N", {3, 1});
  for (Int operation : {-1, 15}) {
    const Answer answer = call(false, operation, "N", 7);
    EXPECT_EQ(answer.result, 0);
    EXPECT_EQ(answer.status, 0);
    EXPECT_EQ(answer.count, 7);
  }
  call(true, 1, "");
  EXPECT_EQ(call(true, -3, "", 7).status, 0);  // no list needed for a code that does nothing

  EXPECT_EQ(call(false, 2, "N", 5, nullptr).status, 0);
  EXPECT_EQ(call(false, 3, "M", 5, nullptr).status, 0);  // a new set, empty
  EXPECT_EQ(members(false, "N"), (std::vector<int>{1, 3}));
  EXPECT_EQ(call(false, 4, "M").count, 0);
  call(false, 11, "", 5, nullptr);
  EXPECT_EQ(call(false, 6, "N").count, 0);
}

TEST_F(Sets, IterationGoesBucketByBucketAndChainsInOrderOfAddition) {
  // Three names of one bucket and one of an earlier bucket.
  std::vector<std::string> chain;
  for (int k = 0; chain.size() < 3; ++k) {
    const std::string name = "C" + std::to_string(k);
    if (bucketOf(name) == bucketOf("C0")) chain.push_back(name);
  }
  std::string earlier = "A";
  for (int k = 0; bucketOf(earlier) >= bucketOf("C0"); ++k) earlier = "A" + std::to_string(k);
  for (const auto& name : chain) add(true, name, {1});
  add(true, earlier, {2});

  EXPECT_EQ(names(true), (std::vector<std::string>{earlier, chain[0], chain[1], chain[2]}));
  // At the last set the name stays as it was.
  EXPECT_EQ(call(true, 10, chain[2]).name, chain[2]);

  // Deleting the chain's head moves its successor into the bucket.
  const Answer deleted = call(true, 14, chain[0]);
  EXPECT_EQ(deleted.count, 3);
  EXPECT_EQ(deleted.name, chain[1]);
  EXPECT_EQ(names(true), (std::vector<std::string>{earlier, chain[1], chain[2]}));
  EXPECT_EQ(members(true, chain[2]), (std::vector<int>{1}));
  const Answer last = call(true, 14, chain[2]);
  EXPECT_EQ(last.count, 2);
  EXPECT_EQ(last.name, chain[2]);
  EXPECT_EQ(call(true, 14, "NOT A SET").count, 2);

  // A name of the chain's bucket that is not a set is missing; a list destroyed with a chain in
  // it releases every set of the chain.
  EXPECT_EQ(call(true, 5, chain[0]).status, 1);
  add(true, chain[0], {5, 6});
  const Answer chained = call(true, 5, chain[0]);
  ASSERT_TRUE(mem32::valid(chained.result, 8, kSetArrays));
  call(true, 1, "");
  EXPECT_FALSE(mem32::valid(chained.result, 8, kSetArrays));
  call(true, 0, "");
}

TEST_F(Sets, NamesWithHighBytesCanBeAddedFoundAndDeleted) {
  const std::string name = "\xC9TOILE\xFF";
  add(true, name, {4, 2});
  EXPECT_EQ(members(true, name), (std::vector<int>{2, 4}));
  EXPECT_EQ(call(true, 14, name).count, 0);
  EXPECT_EQ(call(true, 5, name).status, 1);
}

TEST_F(Sets, NamesAreReadAsEightyCharactersAndWrittenToTheCallersLength) {
  std::string longName(100, 'L');
  longName[90] = 'X';  // beyond the 80 characters that make the name
  Int count = 1;
  Int status = 0;
  Int member = 3;
  Int operation = 2;
  DBESET(&operation, longName.data(), 100, &count, &member, &status);
  EXPECT_EQ(members(true, std::string(80, 'L')).size(), 1u);

  std::string shortField = "SHORT   ";
  operation = 2;
  DBESET(&operation, shortField.data(), 8, &count, &member, &status);
  EXPECT_EQ(members(true, "SHORT").size(), 1u);

  // Operation 9 writes the first name cut to a 5-character field, and nothing beyond it.
  std::string guarded = "?????#####";
  operation = 9;
  DBESET(&operation, guarded.data(), 5, &count, nullptr, &status);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(guarded.substr(5), "#####");
  const std::string first = names(true).front();
  EXPECT_EQ(guarded.substr(0, 5), (first + "     ").substr(0, 5));
}

TEST_F(Sets, ArraysHandedBackAreAddressWordsThatGoStaleWithTheirSet) {
  add(true, "W", {1, 2, 3});
  const Answer answer = call(true, 5, "W");
  ASSERT_TRUE(mem32::valid(answer.result, 12, kSetArrays));
  call(true, 14, "W");
  EXPECT_FALSE(mem32::valid(answer.result, 12, kSetArrays));
}

// Internal numbers: the 1-based position of each member in the label list, members not listed
// skipped, found by searching the list from its start.
std::vector<int> bruteInternal(const std::vector<int>& setMembers, const std::vector<int>& labels) {
  std::vector<int> out;
  for (int m : setMembers) {
    const auto it = std::find(labels.begin(), labels.end(), m);
    if (it != labels.end()) out.push_back(static_cast<int>(it - labels.begin()) + 1);
  }
  return out;
}

// SetRecord::ConvertToInternal numbers one set; hosts reach it through the library's export
// table, as this test does. On the same sets and labels it agrees with the oracle and with the
// numbering of the whole list (operations 11 and 13), with and without the sorted copy.
TEST_F(Sets, ConvertingOneSetAgreesWithNumberingTheWholeList) {
  using ConvertToInternal = void (*)(SetRecord*, const int*, int, bool, bool);
  const auto convert =
      reinterpret_cast<ConvertToInternal>(dlsym(RTLD_DEFAULT, "_ZN9SetRecord17ConvertToInternalEPKiibb"));
  ASSERT_NE(convert, nullptr);
  const std::vector<std::string> sets = {"SORTED", "UNSORTED", "DISJOINT", "EMPTY"};
  add(false, "SORTED", {7, 1, 40, 3, 3, 4});  // 4 is not among the labels
  add(false, "UNSORTED", {40, 5, 7, 5}, 3);
  add(false, "DISJOINT", {100, 200});
  add(false, "EMPTY", {});
  struct Case {
    std::vector<Int> labels;
    bool general;
  };
  const Case cases[] = {{{1, 2, 3, 5, 7, 9, 40}, false},  // ascending: the walk over both lists
                        {{40, 9, 7, 5, 3, 2, 1}, true},
                        {{5, 3, 5, 7, 1}, true},  // a label listed twice keeps its first position
                        {{}, true}};
  for (const Case& c : cases) {
    const std::vector<int> labels(c.labels.begin(), c.labels.end());
    const Int n = static_cast<Int>(c.labels.size());
    std::map<std::string, std::vector<int>> worker;
    for (const bool sortedCopy : {false, true}) {
      for (const std::string& name : sets) {
        SetRecord* record = nslist->GetSet(name.c_str());
        ASSERT_NE(record, nullptr) << name;
        convert(record, c.labels.data(), n, sortedCopy, c.general);
        const std::vector<int> got(record->Internal(), record->Internal() + record->InternalCount());
        const std::vector<int> expected = bruteInternal(members(false, name), labels);
        EXPECT_EQ(got, expected) << name << " general " << c.general;
        std::vector<int> sorted = expected;
        std::sort(sorted.begin(), sorted.end());
        if (sortedCopy && !sorted.empty()) {
          EXPECT_EQ(std::vector<int>(record->SortedInternal(), record->SortedInternal() + record->InternalCount()),
                    sorted)
              << name;
        }
        worker[name] = got;
      }
    }
    std::vector<Int> listLabels = c.labels;
    call(false, c.general ? 13 : 11, "", n, listLabels.data());
    for (const std::string& name : sets) EXPECT_EQ(internal(false, name), worker[name]) << name;
  }
}

TEST_F(Sets, FastNumberingRemovesInternalSetMembersAndNumbersEverySet) {
  add(true, "PLATE", {1, 2, 3, 10, 11, 40});
  add(true, " CCC7", {2, 11});  // a prefix match counts as an internal set
  add(true, " ZSM", {40});
  add(true, " CC", {1});  // not an internal set
  std::vector<Int> labels = {1, 2, 3, 5, 10, 11, 40};
  call(true, 11, "", static_cast<Int>(labels.size()), labels.data());

  EXPECT_EQ(members(true, "PLATE"), (std::vector<int>{1, 3, 10}));
  EXPECT_EQ(members(true, " CCC7"), (std::vector<int>{2, 11}));
  EXPECT_EQ(internal(true, "PLATE"), (std::vector<int>{1, 3, 5}));
  EXPECT_EQ(internal(true, " CCC7"), (std::vector<int>{2, 6}));
  EXPECT_EQ(internal(true, " CC"), (std::vector<int>{1}));

  // Sets added later are numbered at once; members not among the labels are skipped.
  add(true, "LATE", {40, 99, 5});
  EXPECT_EQ(internal(true, "LATE"), (std::vector<int>{4, 7}));
}

TEST_F(Sets, GeneralNumberingTakesLabelsInAnyOrderAndNodeSetsKeepSortedCopies) {
  std::mt19937 random(3);
  std::vector<Int> labels(500);
  for (std::size_t k = 0; k < labels.size(); ++k) labels[k] = static_cast<Int>(3 * k) - 200;
  std::shuffle(labels.begin(), labels.end(), random);
  std::uniform_int_distribution<int> pick(-250, 1600);
  std::map<std::string, std::vector<int>> model;
  for (int s = 0; s < 12; ++s) {
    std::vector<Int> values(40);
    for (Int& v : values) v = pick(random);
    const std::string name = "N" + std::to_string(s);
    const bool unsorted = s % 3 == 0;
    model[name] = unsorted ? std::vector<int>(values.begin(), values.end()) : sortedDistinct(values);
    add(false, name, values, unsorted ? 3 : 2);
  }
  add(false, " XINT", {labels[0], labels[1]});
  for (auto& [name, setMembers] : model)
    std::erase_if(setMembers, [&](int m) { return m == labels[0] || m == labels[1]; });

  call(false, 13, "", static_cast<Int>(labels.size()), labels.data());
  const std::vector<int> labelList(labels.begin(), labels.end());
  for (const auto& [name, setMembers] : model) {
    EXPECT_EQ(members(false, name), setMembers) << name;
    const std::vector<int> expected = bruteInternal(setMembers, labelList);
    EXPECT_EQ(internal(false, name), expected) << name;
    std::vector<int> sorted = expected;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(array(false, 8, name), sorted) << name;
  }
}

// Random adds, deletes and lookups against a model of the rules: a sorted set is a distinct
// ascending list, an unsorted set keeps every member in order until a sorted add meets it.
TEST_F(Sets, RandomOperationSequencesAgreeWithAModel) {
  struct ModelSet {
    std::vector<int> members;
    bool sorted;
  };
  std::map<std::string, ModelSet> model;
  std::mt19937 random(11);
  std::uniform_int_distribution<int> pickName(0, 40);
  std::uniform_int_distribution<int> pickOperation(0, 9);
  std::uniform_int_distribution<int> pickValue(-30, 30);
  std::uniform_int_distribution<int> pickCount(0, 6);
  for (int step = 0; step < 3000; ++step) {
    const std::string name = "SET" + std::to_string(pickName(random));
    const int what = pickOperation(random);
    if (what < 6) {
      std::vector<Int> values(static_cast<std::size_t>(pickCount(random)));
      for (Int& v : values) v = pickValue(random);
      const bool sortedAdd = what < 4;
      const std::vector<int> given(values.begin(), values.end());
      const Answer answer = add(false, name, values, sortedAdd ? 2 : 3);
      auto found = model.find(name);
      if (found == model.end()) {
        model[name] = {sortedAdd ? sortedDistinct(given) : given, sortedAdd};
        EXPECT_EQ(answer.status, 0);
        continue;
      }
      ModelSet& set = found->second;
      EXPECT_EQ(answer.status, set.sorted != sortedAdd ? -1 : 0);
      if (!set.sorted && !sortedAdd) {
        set.members.insert(set.members.end(), given.begin(), given.end());
      } else {
        set.members.insert(set.members.end(), given.begin(), given.end());
        set.members = sortedDistinct(set.members);
        set.sorted = true;
      }
    } else if (what < 8) {
      const Answer answer = call(false, 14, name);
      model.erase(name);
      EXPECT_EQ(answer.count, static_cast<Int>(model.size()));
    } else {
      const auto found = model.find(name);
      if (found == model.end()) {
        EXPECT_EQ(call(false, 5, name).status, 1);
      } else {
        EXPECT_EQ(members(false, name), found->second.members) << name;
        EXPECT_EQ(call(false, 12, name).count, found->second.sorted ? 1 : 0);
      }
    }
  }
  std::vector<std::string> all = names(false);
  std::sort(all.begin(), all.end());
  std::vector<std::string> expected;
  for (const auto& entry : model) expected.push_back(entry.first);
  EXPECT_EQ(all, expected);
}

TEST_F(Sets, ClassSideServicesTrimTheNameAndWriteTerminatedNames) {
  char name[81] = "PADDED   ";
  int count = 2;
  int status = 0;
  int values[2] = {5, 4};
  dbnsetC(2, name, count, values, status);
  char lookup[81] = "PADDED";
  EXPECT_NE(dbnsetC(5, lookup, count, nullptr, status), 0);
  EXPECT_EQ(count, 2);
  char first[81] = {};
  dbnsetC(9, first, count, nullptr, status);
  EXPECT_STREQ(first, "PADDED");
  ASSERT_NE(nslist, nullptr);
  EXPECT_EQ(nslist->GetSet("PADDED")->MemberCount(), 2);
}

}  // namespace
