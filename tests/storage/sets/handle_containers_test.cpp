#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "runtime/address_space.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/storage.h"

namespace {

using Containers = zmxtest::HostFixture;

TEST_F(Containers, IntToIntAgreesWithAStdMapOverRandomOperations) {
  const Int map = SHR_MAPINT2INTCREATE();
  ASSERT_NE(map, 0);
  std::map<Int, Int> model;
  std::mt19937 random(5);
  std::uniform_int_distribution<Int> pickKey(-500, 500);
  for (int step = 0; step < 20000; ++step) {
    Int key = pickKey(random);
    if (step % 997 == 0) key = INT_MIN;  // the table's own free-slot marker is a key like any other
    const Int value = step;
    if (step % 3 == 0) {
      EXPECT_EQ(SHR_MAPINT2INTINSERT(map, &key, &value), model.count(key) ? 1 : 0);
      model.emplace(key, value);  // a key that is present keeps its value
    } else {
      const bool present = model.count(key) != 0;
      ASSERT_EQ(SHR_MAPINT2INTISMEMBER(map, &key), present ? 1 : 0) << key;
      if (present) {
        EXPECT_EQ(SHR_MAPINT2INTGET(map, &key), model[key]);
      }
    }
  }
  ASSERT_EQ(SHR_MAPINT2INTSIZE(map), static_cast<Int>(model.size()));
  std::vector<Int> keys(model.size());
  std::vector<Int> values(model.size());
  EXPECT_EQ(SHR_MAPINT2INTGETMAP(map, keys.data(), values.data()), static_cast<Int>(model.size()));
  std::map<Int, Int> listed;
  for (std::size_t k = 0; k < keys.size(); ++k) listed[keys[k]] = values[k];
  EXPECT_EQ(listed, model);

  // Lists in and out, and a copy that goes its own way.
  std::vector<Int> newKeys = {-7777, 7777, 123456, 7777};
  std::vector<Int> newValues = {1, 2, 3, 4};
  const Int n = 4;
  SHR_MAPINT2INTINSERTLIST(map, newKeys.data(), newValues.data(), &n);
  std::vector<Int> got(4);
  SHR_MAPINT2INTGETLIST(map, newKeys.data(), got.data(), &n);
  EXPECT_EQ(got, std::vector<Int>({1, 2, 3, 2}));
  const Int copy = SHR_MAPINT2INTCREATECOPY(map);
  EXPECT_EQ(SHR_MAPINT2INTCLEAR(map), 0);
  EXPECT_EQ(SHR_MAPINT2INTISEMPTY(map), 1);
  EXPECT_EQ(SHR_MAPINT2INTISMEMBER(copy, &newKeys[0]), 1);
  EXPECT_EQ(SHR_MAPINT2INTDELETE(map), 0);
  EXPECT_EQ(SHR_MAPINT2INTDELETE(copy), 0);
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
}

TEST_F(Containers, StringKeysIgnoreTrailingBlanks) {
  const Int map = SHR_MAPSTRING2INTCREATE();
  const Int one = 1;
  const Int two = 2;
  EXPECT_EQ(SHR_MAPSTRING2INTINSERT(map, "A   ", 4, &one), 0);
  EXPECT_EQ(SHR_MAPSTRING2INTINSERT(map, "A", 1, &two), 1);
  EXPECT_EQ(SHR_MAPSTRING2INTINSERT(map, " A", 2, &one), 0);
  EXPECT_EQ(SHR_MAPSTRING2INTSIZE(map), 2);
  EXPECT_EQ(SHR_MAPSTRING2INTISMEMBER(map, "A       ", 8), 1);
  EXPECT_EQ(SHR_MAPSTRING2INTGET(map, "A", 1), 2);
  EXPECT_EQ(SHR_MAPSTRING2INTGET(map, "B", 1), 0);
  // Only the caller's length is read.
  EXPECT_EQ(SHR_MAPSTRING2INTISMEMBER(map, " AXYZ", 2), 1);
  const Int copy = SHR_MAPSTRING2INTCREATECOPY(map);
  SHR_MAPSTRING2INTCLEAR(map);
  EXPECT_EQ(SHR_MAPSTRING2INTISEMPTY(map), 1);
  EXPECT_EQ(SHR_MAPSTRING2INTSIZE(copy), 2);
  SHR_MAPSTRING2INTDELETE(map);
  SHR_MAPSTRING2INTDELETE(copy);
}

TEST_F(Containers, StringKeyedFamiliesAgreeWithAStdMapOverRandomOperations) {
  const Int ints = SHR_MAPSTRING2INTCREATE();
  const Int reals = SHR_MAPSTR2FDBLCREATE();
  std::map<std::string, Int> intModel;
  std::map<std::string, std::vector<Real>> realModel;
  std::mt19937 random(8);
  std::uniform_int_distribution<int> pickKey(0, 80);
  std::uniform_int_distribution<int> pickBlanks(0, 3);
  for (int step = 0; step < 4000; ++step) {
    const std::string key = "K" + std::to_string(pickKey(random));
    const std::string field = key + std::string(static_cast<std::size_t>(pickBlanks(random)), ' ');
    const Int fieldLength = static_cast<Int>(field.size());
    const Int value = step;
    const Int n = step % 4;
    const std::vector<Real> values(static_cast<std::size_t>(n), 0.5 * step);
    if (step % 2 == 0) {
      EXPECT_EQ(SHR_MAPSTRING2INTINSERT(ints, field.data(), fieldLength, &value), intModel.count(key) ? 1 : 0);
      intModel[key] = value;
      EXPECT_EQ(SHR_MAPSTR2FDBLINSERT(reals, field.data(), fieldLength, values.data(), &n),
                n < 1 || realModel.count(key) ? 1 : 0);
      if (n > 0) realModel[key] = values;
    } else {
      EXPECT_EQ(SHR_MAPSTRING2INTISMEMBER(ints, field.data(), fieldLength), intModel.count(key) ? 1 : 0);
      if (intModel.count(key)) {
        EXPECT_EQ(SHR_MAPSTRING2INTGET(ints, field.data(), fieldLength), intModel[key]);
      }
      std::vector<Real> out(4);
      const Int capacity = 4;
      const Int got = SHR_MAPSTR2FDBLGET(reals, field.data(), fieldLength, out.data(), &capacity);
      if (realModel.count(key)) {
        ASSERT_EQ(got, static_cast<Int>(realModel[key].size()));
        out.resize(static_cast<std::size_t>(got));
        EXPECT_EQ(out, realModel[key]);
      } else {
        EXPECT_EQ(got, -1);
      }
    }
  }
  EXPECT_EQ(SHR_MAPSTRING2INTSIZE(ints), static_cast<Int>(intModel.size()));
  EXPECT_EQ(SHR_MAPSTR2FDBLSIZE(reals), static_cast<Int>(realModel.size()));
  SHR_MAPSTRING2INTDELETE(ints);
  SHR_MAPSTR2FDBLDELETE(reals);
}

TEST_F(Containers, ArrayValuedMapsStoreCopiesAndCheckTheCallersCapacity) {
  const Int map = SHR_MAPINT2FDBLCREATE();
  const Int key = -4;
  const Real values[3] = {1.5, -2.5, 3.5};
  Int n = 0;
  EXPECT_EQ(SHR_MAPINT2FDBLINSERT(map, &key, values, &n), 1);
  EXPECT_EQ(SHR_MAPINT2FDBLISMEMBER(map, &key), 0);
  n = 3;
  EXPECT_EQ(SHR_MAPINT2FDBLINSERT(map, &key, values, &n), 0);
  EXPECT_EQ(SHR_MAPINT2FDBLINSERT(map, &key, values, &n), 1);
  Real out[4] = {0, 0, 0, 99};
  Int capacity = 2;
  EXPECT_EQ(SHR_MAPINT2FDBLGET(map, &key, out, &capacity), -2);
  EXPECT_EQ(out[0], 0.0);
  capacity = 3;
  EXPECT_EQ(SHR_MAPINT2FDBLGET(map, &key, out, &capacity), 3);
  EXPECT_EQ(std::vector<Real>(out, out + 4), (std::vector<Real>{1.5, -2.5, 3.5, 99}));
  const Int absent = 4;
  EXPECT_EQ(SHR_MAPINT2FDBLGET(map, &absent, out, &capacity), -1);
  SHR_MAPINT2FDBLDELETE(map);

  const Int strings = SHR_MAPSTR2FDBLCREATE();
  n = 1;
  EXPECT_EQ(SHR_MAPSTR2FDBLINSERT(strings, "KEY  ", 5, values, &n), 0);
  capacity = 1;
  EXPECT_EQ(SHR_MAPSTR2FDBLGET(strings, "KEY", 3, out, &capacity), 1);
  EXPECT_EQ(out[0], 1.5);
  SHR_MAPSTR2FDBLDELETE(strings);
}

// Each array-valued family against a model, iterators included.
template <class Value, class Insert, class Get>
void checkIntKeyedFamily(Int map, Insert insert, Get get, Int (*iter)(Int), Int (*next)(Int, Int, Int*),
                         Int (*size)(Int)) {
  std::map<Int, std::vector<Value>> model;
  std::mt19937 random(9);
  std::uniform_int_distribution<Int> pickKey(-60, 60);
  std::uniform_int_distribution<Int> pickLength(0, 5);
  for (int step = 0; step < 3000; ++step) {
    const Int key = pickKey(random);
    std::vector<Value> values(static_cast<std::size_t>(pickLength(random)));
    for (auto& v : values) v = static_cast<Value>(step);
    const Int n = static_cast<Int>(values.size());
    const Int expected = n < 1 ? 1 : (model.count(key) ? 1 : 0);
    EXPECT_EQ(insert(map, &key, values.data(), &n), expected);
    if (n > 0) model[key] = values;
  }
  for (const auto& [key, values] : model) {
    std::vector<Value> out(values.size() + 1);
    const Int capacity = static_cast<Int>(values.size());
    ASSERT_EQ(get(map, &key, out.data(), &capacity), capacity);
    out.pop_back();
    EXPECT_EQ(out, values);
  }
  std::set<Int> seen;
  const Int iterator = iter(map);
  Int key = 0;
  for (Int k = 0; k < size(map); ++k) {
    ASSERT_EQ(next(map, iterator, &key), 0);
    seen.insert(key);
  }
  EXPECT_EQ(seen.size(), model.size());
  EXPECT_EQ(next(map, iterator, &key), 1) << "a spent iterator gives 1";
  for (const auto& entry : model) EXPECT_TRUE(seen.count(entry.first));
}

TEST_F(Containers, IntKeyedArrayFamiliesAgreeWithAModel) {
  const Int ints = SHR_MAPINT2FINTCREATE();
  checkIntKeyedFamily<Int>(ints, SHR_MAPINT2FINTINSERT, SHR_MAPINT2FINTGET, SHR_MAPINT2FINTGETITER,
                           SHR_MAPINT2FINTGETNEXT, SHR_MAPINT2FINTSIZE);
  SHR_MAPINT2FINTDELETE(ints);
  const Int reals = SHR_MAPINT2FDBLCREATE();
  checkIntKeyedFamily<Real>(reals, SHR_MAPINT2FDBLINSERT, SHR_MAPINT2FDBLGET, SHR_MAPINT2FDBLGETITER,
                            SHR_MAPINT2FDBLGETNEXT, SHR_MAPINT2FDBLSIZE);
  SHR_MAPINT2FDBLDELETE(reals);
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
}

TEST_F(Containers, IteratorsWorkOnACopyAndEmptyMapsGiveNone) {
  const Int map = SHR_MAPSTR2FDBLCREATE();
  EXPECT_EQ(SHR_MAPSTR2FDBLGETITER(map), 0);
  char field[8];
  EXPECT_EQ(SHR_MAPSTR2FDBLGETNEXT(map, 0, field, 8), 1);
  const Real value = 1.0;
  const Int n = 1;
  SHR_MAPSTR2FDBLINSERT(map, "ALPHA", 5, &value, &n);
  SHR_MAPSTR2FDBLINSERT(map, "LONGER-NAME", 11, &value, &n);
  const Int iterator = SHR_MAPSTR2FDBLGETITER(map);
  ASSERT_NE(iterator, 0);
  SHR_MAPSTR2FDBLINSERT(map, "LATE", 4, &value, &n);  // not seen by the iterator
  SHR_MAPSTR2FDBLDELETE(map);                          // the iterator keeps its copy

  std::vector<std::string> seen;
  for (int k = 0; k < 2; ++k) {
    std::string out(8, '#');
    Int result = SHR_MAPSTR2FDBLGETNEXT(map, iterator, out.data(), 8);
    if (result == 1) {
      // Too long for the field: the iterator stays; a wider field gets the key.
      EXPECT_EQ(out, std::string(8, '#'));
      out.assign(12, '#');
      result = SHR_MAPSTR2FDBLGETNEXT(map, iterator, out.data(), 12);
    }
    ASSERT_EQ(result, 0);
    seen.push_back(out);
  }
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<std::string>{"ALPHA   ", "LONGER-NAME "}));
  EXPECT_EQ(SHR_MAPSTR2FDBLGETNEXT(map, iterator, field, 8), 1);
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
}

TEST_F(Containers, IntegerPairSetAgreesWithAMultimap) {
  const Int set = SHR_INTEGERPAIRSETCREATE();
  std::multimap<Int, Int> model;
  std::mt19937 random(2);
  std::uniform_int_distribution<Int> pick(-20, 20);
  EXPECT_EQ(SHR_INTEGERPAIRSETISEMPTY(set), 1);
  for (int step = 0; step < 2000; ++step) {
    const Int key = pick(random);
    const Int value = pick(random);
    bool present = false;
    for (auto [it, end] = model.equal_range(key); it != end; ++it) present = present || it->second == value;
    EXPECT_EQ(SHR_INTEGERPAIRSETISMEMBER(set, &key, &value), present ? 1 : 0);
    if (step % 2 == 0) {
      EXPECT_EQ(SHR_INTEGERPAIRSETINSERTUNIQUE(set, &key, &value), present ? 1 : 0);
      if (!present) model.emplace(key, value);
    } else {
      EXPECT_EQ(SHR_INTEGERPAIRSETINSERT(set, &key, &value), 0);
      model.emplace(key, value);
    }
  }
  for (Int key = -21; key <= 21; ++key) {
    std::vector<Int> out(model.count(key));
    EXPECT_EQ(SHR_INTEGERPAIRSETISKEYMEMBER(set, &key), model.count(key) ? 1 : 0);
    ASSERT_EQ(SHR_INTEGERPAIRSETGET(set, &key, out.data()), static_cast<Int>(out.size()));
    std::vector<Int> expected;
    for (auto [it, end] = model.equal_range(key); it != end; ++it) expected.push_back(it->second);
    std::sort(out.begin(), out.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(out, expected);
  }
  std::vector<Int> keys(model.size());
  std::vector<Int> values(model.size());
  ASSERT_EQ(SHR_INTEGERPAIRSETGETMAP(set, keys.data(), values.data()), static_cast<Int>(model.size()));
  std::multiset<std::pair<Int, Int>> listed;
  for (std::size_t k = 0; k < keys.size(); ++k) listed.emplace(keys[k], values[k]);
  const std::multiset<std::pair<Int, Int>> expected(model.begin(), model.end());
  EXPECT_EQ(listed, expected);
  SHR_INTEGERPAIRSETCLEAR(set);
  EXPECT_EQ(SHR_INTEGERPAIRSETISEMPTY(set), 1);
  SHR_INTEGERPAIRSETDELETE(set);
}

// Every family empties in place: CLEAR gives 0, the handle stays valid, ISEMPTY and ISMEMBER
// follow what the container holds, and a key inserted after the clear is new again.
TEST_F(Containers, EveryFamilyClearsInPlaceAndTellsEmptinessAndMembership) {
  struct Family {
    const char* name;
    Int (*create)();
    Int (*insert)(Int);  // inserts the key 7 (pair 7, 1); 0 when the key was new
    Int (*isMember)(Int, Int);
    Int (*isEmpty)(Int);
    Int (*clear)(Int);
    Int (*remove)(Int);
  };
  static const Int one = 1;
  static const Real real = 2.5;
  static const std::string keyText[] = {"K0", "K1", "K2", "K3", "K4", "K5", "K6", "K7", "K8"};
  const Family families[] = {
      {"INT2INT", SHR_MAPINT2INTCREATE, [](Int h) { const Int k = 7; return SHR_MAPINT2INTINSERT(h, &k, &one); },
       [](Int h, Int k) { return SHR_MAPINT2INTISMEMBER(h, &k); }, SHR_MAPINT2INTISEMPTY, SHR_MAPINT2INTCLEAR,
       SHR_MAPINT2INTDELETE},
      {"STRING2INT", SHR_MAPSTRING2INTCREATE, [](Int h) { return SHR_MAPSTRING2INTINSERT(h, "K7  ", 4, &one); },
       [](Int h, Int k) { return SHR_MAPSTRING2INTISMEMBER(h, keyText[k].data(), 2); }, SHR_MAPSTRING2INTISEMPTY,
       SHR_MAPSTRING2INTCLEAR, SHR_MAPSTRING2INTDELETE},
      {"INT2FINT", SHR_MAPINT2FINTCREATE, [](Int h) { const Int k = 7; return SHR_MAPINT2FINTINSERT(h, &k, &one, &one); },
       [](Int h, Int k) { return SHR_MAPINT2FINTISMEMBER(h, &k); }, SHR_MAPINT2FINTISEMPTY, SHR_MAPINT2FINTCLEAR,
       SHR_MAPINT2FINTDELETE},
      {"INT2FDBL", SHR_MAPINT2FDBLCREATE,
       [](Int h) { const Int k = 7; return SHR_MAPINT2FDBLINSERT(h, &k, &real, &one); },
       [](Int h, Int k) { return SHR_MAPINT2FDBLISMEMBER(h, &k); }, SHR_MAPINT2FDBLISEMPTY, SHR_MAPINT2FDBLCLEAR,
       SHR_MAPINT2FDBLDELETE},
      {"STR2FDBL", SHR_MAPSTR2FDBLCREATE, [](Int h) { return SHR_MAPSTR2FDBLINSERT(h, "K7", 2, &real, &one); },
       [](Int h, Int k) { return SHR_MAPSTR2FDBLISMEMBER(h, (keyText[k] + "   ").data(), 5); },
       SHR_MAPSTR2FDBLISEMPTY, SHR_MAPSTR2FDBLCLEAR, SHR_MAPSTR2FDBLDELETE},
      {"INTEGERPAIRSET", SHR_INTEGERPAIRSETCREATE,
       [](Int h) { const Int k = 7; return SHR_INTEGERPAIRSETINSERTUNIQUE(h, &k, &one); },
       [](Int h, Int k) { return SHR_INTEGERPAIRSETISMEMBER(h, &k, &one); }, SHR_INTEGERPAIRSETISEMPTY,
       SHR_INTEGERPAIRSETCLEAR, SHR_INTEGERPAIRSETDELETE},
  };
  for (const Family& f : families) {
    SCOPED_TRACE(f.name);
    const Int handle = f.create();
    ASSERT_NE(handle, 0);
    EXPECT_EQ(f.isEmpty(handle), 1);
    EXPECT_EQ(f.isMember(handle, 7), 0);
    EXPECT_EQ(f.insert(handle), 0);
    EXPECT_EQ(f.insert(handle), 1);
    EXPECT_EQ(f.isEmpty(handle), 0);
    EXPECT_EQ(f.isMember(handle, 7), 1);
    EXPECT_EQ(f.isMember(handle, 8), 0);
    EXPECT_EQ(f.clear(handle), 0);
    EXPECT_EQ(f.isEmpty(handle), 1);
    EXPECT_EQ(f.isMember(handle, 7), 0);
    EXPECT_EQ(f.insert(handle), 0);
    EXPECT_EQ(f.isMember(handle, 7), 1);
    EXPECT_EQ(f.remove(handle), 0);
  }
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
}

TEST_F(Containers, BadHandlesAreReportedAndNeverUsed) {
  const Int ints = SHR_MAPINT2INTCREATE();
  const Int pairs = SHR_INTEGERPAIRSETCREATE();
  const Int key = 1;
  const Int value = 2;
  EXPECT_EQ(SHR_MAPINT2INTDELETE(0), 0);
  EXPECT_EQ(eqc_testing::messages().size(), 0u) << "a 0 handle is quietly accepted by DELETE";

  // A handle of another family.
  EXPECT_EQ(SHR_INTEGERPAIRSETINSERT(ints, &key, &value), 1);
  EXPECT_EQ(SHR_MAPINT2INTSIZE(pairs), 0);
  EXPECT_EQ(SHR_MAPINT2FINTGETNEXT(pairs, ints, nullptr), 1);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 3);

  // A deleted container, and a 0 handle elsewhere than DELETE.
  SHR_MAPINT2INTDELETE(ints);
  eqc_testing::clearMessages();
  EXPECT_EQ(SHR_MAPINT2INTINSERT(ints, &key, &value), 1);
  EXPECT_EQ(SHR_MAPINT2INTDELETE(ints), 0);
  EXPECT_EQ(SHR_MAPINT2INTISEMPTY(0), 1);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 3);
  SHR_INTEGERPAIRSETDELETE(pairs);
}

}  // namespace
