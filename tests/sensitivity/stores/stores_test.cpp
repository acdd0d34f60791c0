// Contact-gradient table and both step stores against std::map models, with their refusals and
// stale row words.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <vector>

#include "runtime/address_space.h"
#include "sensitivity/stores/contact_gradients.h"
#include "siblings/eqc/testing.h"
#include "tests/support/sensitivity_builder.h"
#include "zmx/sensitivity.h"

namespace {

using zmxtest::dsa::SensitivityFixture;

class Stores : public SensitivityFixture {
 protected:
  Int contact(const std::string& name, Int op, Int id = 0, Int d = 0, Int* status = nullptr) {
    Int s = -1;
    const std::string field = name + "    ";  // blank-padded
    const Int result = DSA_CONTDB(field.data(), static_cast<Int>(field.size()), &op, &id, &d, &s);
    if (status) *status = s;
    return result;
  }
};

TEST_F(Stores, ContactRecordsAreFoundAddedAndLookedUp) {
  Int status = 0;
  EXPECT_EQ(contact("SURF", 1, 1, 3, &status), 0);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(contact("SURF", 0, 0, 0, &status), 0);
  EXPECT_EQ(status, 0);
  const Int first = contact("SURF", 1, 1, 3, &status);
  const auto* record = mem32::at<dsa_ContactGrad>(first);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(std::string(record->name.CStr()), "SURF");
  EXPECT_EQ(record->width, 10);
  EXPECT_EQ(std::vector<Real>(record->gradients, record->gradients + 30), std::vector<Real>(30, 0.0));
  EXPECT_EQ(contact("SURF", 1, 1, 3), first);
  const auto* table = static_cast<const dsa_ContactDb*>(state().contactDb);
  EXPECT_EQ(table->Count(), 1);
  const Int second = contact("SURF", 1, 2, 1);
  EXPECT_NE(second, first);
  EXPECT_EQ(table->Count(), 2);
  EXPECT_EQ(contact("SURF", 3, 2, 0, &status), second);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(contact("OTHER", 3, 2, 0, &status), 0);
  EXPECT_EQ(status, 1);
  contact("X", 5, 2, 0, &status);
  EXPECT_EQ(status, 0);
  contact("X", 5, 9, 0, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(contact("X", 7, 9, 0, &status), 0);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(contact("X", 4, 9, 0, &status), 0);
  // Many records: earlier addresses stay valid, each record once.
  std::vector<Int> words;
  for (Int id = 10; id < 60; ++id) words.push_back(contact("MANY", 1, id, 2));
  for (Int id = 10; id < 60; ++id) EXPECT_EQ(contact("MANY", 3, id), words[static_cast<std::size_t>(id - 10)]);
  EXPECT_EQ(mem32::at<dsa_ContactGrad>(first)->id, 1);
  EXPECT_EQ(table->Count(), 52);
  // A missed find reports and gives the default record after the last, not counted.
  dsa_ContactDb& db = *static_cast<dsa_ContactDb*>(state().contactDb);
  const dsa_ContactGrad& missed = db.GradRec("NONE", 5);
  EXPECT_TRUE(eqc_testing::printed("System error while retrieving surface data dsa_SmlSldDb::SmlSldRec"));
  EXPECT_EQ(missed.id, 0);
  EXPECT_EQ(missed.gradients, nullptr);
  EXPECT_EQ(db.Count(), 52);
  contact("SURF", 2);
  EXPECT_EQ(state().contactDb, nullptr);
  EXPECT_EQ(mem32::at<dsa_ContactGrad>(first), nullptr);  // the table's records are gone
  eqc_testing::clearMessages();
  const dsa_ContactGrad a(cow_String("A"), 4, 2);
  dsa_ContactGrad b = a;
  EXPECT_NE(b.gradients, a.gradients);
  EXPECT_EQ(b.IsRecord(4, "A"), 1);
  EXPECT_EQ(b.IsRecord(4, "AB"), 0);
  b = dsa_ContactGrad();
  EXPECT_EQ(b.d, 0);
  const Int four = 4, five = 5;
  const std::vector<Int> smsld{1, 2, 3, 44};
  EXPECT_EQ(DSA_SMSLDREC(&four, smsld.data()), 44);
  EXPECT_EQ(DSA_SMSLDREC(&five, smsld.data()), 0);
}

TEST_F(Stores, NodeStepListsFollowAMapModel) {
  std::mt19937 random(7);
  for (Int width : {0, 1, 3, 8}) {  // width 0: no key gets a row
    const Int store = DSA_NODESTEPREFDB(&width);
    std::map<Int, std::vector<Int>> model;
    std::vector<Int> order;
    Int refused = 0;
    for (int step = 0; step < 600; ++step) {
      const Int key = static_cast<Int>(random() % 40) - 5, value = static_cast<Int>(random() % 12);
      auto& list = model[key];
      if (list.empty() && width > 0) order.push_back(key);
      const bool known = std::find(list.begin(), list.end(), value) != list.end();
      if (!known && static_cast<Int>(list.size()) == width)
        ++refused;
      else if (!known)
        list.push_back(value);
      const Int op = 0;
      EXPECT_EQ(DSA_STEPDBACCESS(&op, &store, &key, &value), 0);
    }
    EXPECT_EQ(eqc_testing::countAtLevel(-3), refused);
    EXPECT_TRUE(refused == 0 || eqc_testing::printed("SYSTEM ERROR IN DSA_STEPDBACCESS"));
    eqc_testing::clearMessages();
    const Int one = 1, two = 2, none = 0;
    EXPECT_EQ(DSA_STEPDBACCESS(&one, &store, &none, &none), static_cast<Int>(order.size()));
    for (Int row = 0; row <= static_cast<Int>(order.size()) + 1; ++row) {
      const Int want = row >= 1 && row <= static_cast<Int>(order.size()) ? order[static_cast<std::size_t>(row - 1)] : 0;
      EXPECT_EQ(DSA_STEPDBACCESS(&two, &store, &row, &none), want);
    }
    for (const auto& [key, list] : model) {
      const Int word = DSA_STEPDBGETNIC(&store, &key);
      if (list.empty()) {
        EXPECT_EQ(word, 0);
        continue;
      }
      const Int* row = mem32::at<Int>(word, list.size() + 1);
      ASSERT_NE(row, nullptr);
      EXPECT_EQ(std::vector<Int>(row + 1, row + 1 + row[0]), list);
    }
    const Int absent = 1000;
    EXPECT_EQ(DSA_STEPDBGETNIC(&store, &absent), 0);
    const Int seven = 7;
    EXPECT_EQ(DSA_STEPDBACCESS(&seven, &store, &absent, &absent), 0);
    DSA_DELSTEPREFDB(&store);
  }
  const Int null = 0;
  DSA_DELSTEPREFDB(&null);
}

TEST_F(Stores, TheEleventhKeyGrowsTheCapacityByTenAndKeptRowWordsTurnStale) {
  const Int width = 2;
  const Int store = DSA_NODESTEPREFDB(&width);
  const Int op = 0;
  for (Int key = 1; key <= 10; ++key) DSA_STEPDBACCESS(&op, &store, &key, &key);
  const auto* s = mem32::at<dsa_nodstepref>(store);
  EXPECT_EQ(s->Capacity(), 10);
  const Int three = 3;
  const Int kept = DSA_STEPDBGETNIC(&store, &three);
  ASSERT_NE(mem32::at<Int>(kept, 2), nullptr);
  const Int eleven = 11;
  DSA_STEPDBACCESS(&op, &store, &eleven, &eleven);
  EXPECT_EQ(s->Capacity(), 20);
  EXPECT_EQ(s->RowsUsed(), 11);
  eqc_testing::clearMessages();
  EXPECT_EQ(mem32::at<Int>(kept, 2), nullptr);  // reported, not read
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  for (Int key = 1; key <= 10; ++key) {
    const Int* row = mem32::at<Int>(DSA_STEPDBGETNIC(&store, &key), 2);
    EXPECT_EQ(row[0], 1);
    EXPECT_EQ(row[1], key);
  }
  DSA_DELSTEPREFDB(&store);
  eqc_testing::clearMessages();
  EXPECT_EQ(mem32::at<dsa_nodstepref>(store), nullptr);
}

TEST_F(Stores, AddressTableMatchesWholeKeysCountFirst) {
  std::mt19937 random(13);
  const Int width = 4;
  const Int store = DSA_TEMPDB(&width);
  std::vector<std::pair<std::vector<Int>, Int>> model;
  for (int step = 0; step < 300; ++step) {
    const Int count = static_cast<Int>(random() % 7) - 1;  // -1 and 5, 6 are refused
    std::vector<Int> key{count};
    for (Int k = 0; k < std::max<Int>(count, 0); ++k) key.push_back(static_cast<Int>(random() % 3));
    key.resize(8, static_cast<Int>(random() % 3));  // what lies past the count is not part of the key
    const Int address = static_cast<Int>(random() % 100000) - 50000;
    if (random() % 2) {
      eqc_testing::clearMessages();
      DSA_TEMPDBADDREF(&store, &address, key.data());
      const bool refused = count < 0 || count > width;
      EXPECT_EQ(eqc_testing::printed("SYSTEM ERROR IN DSA_TEMPDBADDREF"), refused);
      if (!refused) model.emplace_back(std::vector<Int>(key.begin(), key.begin() + count + 1), address);
    } else if (count >= 0) {
      Int want = 0;
      for (const auto& [k, a] : model)
        if (k == std::vector<Int>(key.begin(), key.begin() + count + 1)) {
          want = a;
          break;
        }
      EXPECT_EQ(DSA_TEMPDBGETADDRS(&store, key.data()), want);
    }
  }
  EXPECT_EQ(mem32::at<dsa_tempstoresteprf>(store)->RowsUsed(), static_cast<Int>(model.size()));
  EXPECT_EQ(mem32::at<dsa_tempstoresteprf>(store)->Capacity(), (static_cast<Int>(model.size()) + 9) / 10 * 10);
  // A stored key of count 1 does not match a key of count 2 that starts the same.
  const Int one[] = {1, 5}, two[] = {2, 5, 0}, address = 77;
  DSA_TEMPDBADDREF(&store, &address, one);
  EXPECT_EQ(DSA_TEMPDBGETADDRS(&store, two) == 77, false);
  DSA_DELTEMPDB(&store);
  const Int null = 0;
  DSA_DELTEMPDB(&null);
}

}  // namespace
