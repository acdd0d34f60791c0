// Merging of materials and sections read from the slide-line database.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/model_testing.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "siblings/inp/solver_parts.h"
#include "tests/model/model_support.h"
#include "tests/support/host_fixture.h"
#include "zmx/model.h"
#include "zmx/storage.h"

namespace {

using modeltest::Slots;

std::vector<double> afterLength(const Slots& r) { return {r.s.begin() + 1, r.s.end()}; }

Slots materialWith(double value, Int code = 10) {
  return modeltest::material({{code, {}, 3, {{value, 0.3, 7.0}, {value * 2, 0.25, 9.0}}}, {75, {}, 1, {{0.0}}}});
}

class Merging : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    eqc_testing::setSlideLineStore({});
    rec::clear(CSLV);
    rec::clear(CSLEF);
    dm2_testing::clearModelParts();
    inp_testing::setSolverParts(1, {});
  }
  void TearDown() override {
    dm2_testing::clearModelParts();
    dm2_testing::resetModel();
    HostFixture::TearDown();
  }

  std::vector<Int> materials(const std::vector<Slots>& records) {
    first_ = 0;
    for (const Slots& r : records) {
      const Int a = eqc_testing::appendSlideLineSlots(afterLength(r));
      if (first_ == 0) first_ = a;
      addresses_.push_back(a);
    }
    end_ = static_cast<Int>(eqc_testing::slideLineStore().size()) + 1;
    rec::i(CSLV, 2) = first_;
    rec::i(CSLV, 3) = end_;
    return addresses_;
  }

  // The material numbers of the records, by MERGEMATERIAL.
  std::vector<Int> numbers() {
    std::vector<Int> mapm(static_cast<std::size_t>(end_ - first_));
    std::vector<double> mirror(mapm.size());
    MERGEMATERIAL(mapm.data(), mirror.data(), &first_, &end_);
    std::vector<Int> out;
    for (Int a : addresses_) out.push_back(mapm[static_cast<std::size_t>(a - first_)]);
    return out;
  }

  // A section record: slot 1 its length, then the given integer slots from slot 2.
  static std::vector<double> section(const std::vector<Int>& fromSlot2) {
    std::vector<double> s;
    for (Int v : fromSlot2) s.push_back(eqc_testing::integerSlot(v));
    return s;
  }

  Int first_ = 0, end_ = 0;
  std::vector<Int> addresses_;
};

TEST_F(Merging, MaterialsNumberedByFirstAppearance) {
  // 1.05 (1 + 3e-16) lies one unit in the last place above 1.05, within 2.22e-16 relative.
  materials({materialWith(1.05), materialWith(5.0), materialWith(1.05 * (1 + 3e-16)), materialWith(1.05 * (1 + 1e-15)),
             materialWith(5.0), materialWith(1.0, 601), materialWith(1.0, 601)});
  EXPECT_EQ(numbers(), (std::vector<Int>{1, 2, 1, 3, 2, 4, 5}));
  // A record comparison never reads past a record's length.
  Slots a = materialWith(1.0), b = materialWith(1.0);
  Int same = -1;
  COMPAREMATERIAL(&same, a.s.data(), b.s.data());
  EXPECT_EQ(same, 1);
  b.setInteger(1, 10);  // shorter than its options claim
  COMPAREMATERIAL(&same, a.s.data(), b.s.data());
  EXPECT_EQ(same, 0);
}

TEST_F(Merging, SectionsFollowMergedMaterialsAndParts) {
  const auto m = materials({materialWith(1.0), materialWith(1.0), materialWith(2.0), materialWith(3.0)});
  // Kind 8 (CSLEF words 27 to 28): compared by the material of slot 3 alone.
  const Int s1 = eqc_testing::appendSlideLineSlots(section({0, m[0], 4}));
  eqc_testing::appendSlideLineSlots(section({0, m[1], 4}));  // merged material: same number
  eqc_testing::appendSlideLineSlots(section({0, m[2], 4}));  // another material
  const Int layered = eqc_testing::appendSlideLineSlots(section({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0}));
  // Kind 3 (CSLEF words 4 to 5): layered sections with entries of 4 slots from slot 18.
  // Each layer: its number, a free slot, its material, a flag.
  const auto layers = [&](Int first, Int second) {
    return section({0, 1, 0, 0, 0, 0, 0, 0, 18, 2, 0, 1, 0, 0, 0, 0, 5, 0, first, 0, 12, 0, second, 1});
  };
  const Int k3 = eqc_testing::appendSlideLineSlots(layers(m[0], m[2]));
  eqc_testing::appendSlideLineSlots(layers(m[1], m[2]));  // a merged first layer: the same section
  eqc_testing::appendSlideLineSlots(layers(m[1], m[3]));  // merged first layer, other second: a new one
  const Int end = static_cast<Int>(eqc_testing::slideLineStore().size()) + 1;
  rec::i(CSLV, 5) = s1;
  rec::i(CSLEF, 49) = end;
  rec::i(CSLEF, 27) = s1;
  rec::i(CSLEF, 28) = layered;
  rec::i(CSLEF, 4) = k3;
  rec::i(CSLEF, 5) = end;
  // The record at 'layered' lies in no range: kind 16, never merged.
  const Int n = 7;
  std::vector<Int> result(2 * n, -1);
  std::vector<double> work(4096);
  Slots list, scratch;
  list.integer(0);
  list.integer(0);
  for (int k = 0; k < 4; ++k) list.integer(0);
  Int capacity = static_cast<Int>(work.size());
  const Int db = 0;
  Int part[1] = {0};
  MERGESECTION1(&db, result.data(), work.data(), &n, list.s.data(), scratch.s.data(), part, &capacity);
  EXPECT_EQ((std::vector<Int>(result.begin() + n, result.end())), (std::vector<Int>{1, 1, 2, 3, 4, 4, 5}));
  EXPECT_EQ(result[0], s1);
  // Several solver parts: equal sections of elements in different parts stay apart. Each entry
  // holds the offset, from CSLV word 8, of an element-list record whose slot 2 is the element.
  std::vector<Int> entries;
  for (int j = 0; j < 2; ++j) {
    dm2_testing::Element e;
    e.userNumber = j + 1;
    e.section = result[j];
    e.type = dm2_testing::addElementType({3, 3, 3, 2, {}});
    dm2_testing::mapElementEntry(100 + j, dm2_testing::addElement(e));
    const Int address = eqc_testing::appendSlideLineRecord({100 + j});
    if (j == 0) rec::i(CSLV, 8) = address - 5;  // the offsets need not start at 1
    entries.push_back(address - rec::i(CSLV, 8) + 1);
  }
  Slots parted;
  parted.integer(0);
  parted.integer(2);
  for (int k = 0; k < 3; ++k) parted.integer(0);
  for (Int entry : entries) {
    parted.integer(entry);
    parted.integer(0);
  }
  inp_testing::setSolverParts(2, {{50, 1}, {60, 2}});
  Int table[3] = {0, 50, 60};
  MERGESECTION1(&db, result.data(), work.data(), &n, parted.s.data(), scratch.s.data(), table, &capacity);
  EXPECT_EQ(result[n], 1);
  EXPECT_EQ(result[n + 1], 2);
  // A capacity below a phase's need is grown through DBCORE, which books the growth in the
  // tally. The array is written only within its room: a block of the address space to its end,
  // any other array the capacity passed. Beyond it the phase is reported and not written.
  auto merge = [&](double* array, Int capacityPassed) {
    std::fill(result.begin(), result.end(), -1);
    eqc_testing::clearMessages();
    const Int before = rec::i(CSIZE, 3);
    Int raised = capacityPassed;
    MERGESECTION1(&db, result.data(), array, &n, list.s.data(), scratch.s.data(), part, &raised);
    EXPECT_GT(raised, capacityPassed);
    EXPECT_EQ(rec::i(CSIZE, 3) - before, raised - capacityPassed);
  };
  const Int whole = mem32::map(work.data(), work.size() * sizeof(double), mem32::tag("WORK"));
  merge(work.data(), 10);
  mem32::unmap(whole);
  EXPECT_EQ((std::vector<Int>(result.begin() + n, result.end())), (std::vector<Int>{1, 1, 2, 3, 4, 4, 5}));
  EXPECT_FALSE(eqc_testing::printed("MEMORY FAILURE."));

  std::vector<double> ten(10, -3.0);  // exactly the capacity passed
  merge(ten.data(), 10);
  EXPECT_EQ(ten, std::vector<double>(10, -3.0));
  EXPECT_EQ(result, std::vector<Int>(2 * n, -1));
  EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE."));

  const Int block = mem32::map(work.data(), 20 * sizeof(double), mem32::tag("WORK"));
  std::fill(work.begin(), work.end(), -3.0);
  merge(work.data(), 10);
  mem32::unmap(block);
  EXPECT_EQ(work[0], -3.0);
  EXPECT_EQ(result, std::vector<Int>(2 * n, -1));
  EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE."));
}

TEST_F(Merging, SectionPartsComeFromTheTableEntryOfEachElement) {
  const auto m = materials({materialWith(1.0)});
  // Four equal sections of kind 8 (CSLEF words 27 to 28), one per element 1 to 4.
  std::vector<Int> sections;
  for (int k = 0; k < 4; ++k) sections.push_back(eqc_testing::appendSlideLineSlots(section({0, m[0], 4})));
  const Int first = sections[0], end = static_cast<Int>(eqc_testing::slideLineStore().size()) + 1;
  rec::i(CSLEF, 27) = first;
  rec::i(CSLEF, 28) = end;
  Slots list;
  list.integer(0);
  list.integer(4);
  for (int k = 0; k < 3; ++k) list.integer(0);
  for (int j = 0; j < 4; ++j) {
    dm2_testing::Element e;
    e.userNumber = j + 1;
    e.section = sections[static_cast<std::size_t>(j)];
    e.type = dm2_testing::addElementType({3, 3, 3, 2, {}});
    dm2_testing::mapElementEntry(200 + j, dm2_testing::addElement(e));
    const Int address = eqc_testing::appendSlideLineRecord({200 + j});
    if (j == 0) rec::i(CSLV, 8) = address;
    list.integer(address - rec::i(CSLV, 8) + 1);
    list.integer(0);
  }
  inp_testing::setSolverParts(2, {{50, 1}, {60, 2}});
  // Exactly four entries, so a read past the table is caught under the sanitizers.
  const std::vector<Int> table{50, 60, 50, 60};
  const Int n = 4, db = 0, words = end - first;
  std::vector<Int> result(2 * n, -1), partMap(static_cast<std::size_t>(words), -1), flagMap(partMap.size(), -1);
  std::vector<Int> sectionList(4 * n, -1), mapm(static_cast<std::size_t>(end_ - first_), 1);
  std::vector<double> mirror(static_cast<std::size_t>(words));
  Slots scratch;
  MERGESECTION(&db, result.data(), mirror.data(), list.s.data(), scratch.s.data(), table.data(), partMap.data(),
               &first, &end, sectionList.data(), &n, mapm.data(), &first_, &end_, flagMap.data());
  std::vector<Int> parts;
  for (Int a : sections) parts.push_back(partMap[static_cast<std::size_t>(a - first)]);
  EXPECT_EQ(parts, (std::vector<Int>{1, 2, 1, 2}));
  // Only sections of the same part merge.
  EXPECT_EQ((std::vector<Int>(result.begin() + n, result.end())), (std::vector<Int>{1, 2, 1, 2}));
}

}  // namespace
