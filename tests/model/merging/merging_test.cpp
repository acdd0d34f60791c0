// Merging of materials and sections read from the slide-line database.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>
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

  // Element `user` of the section filed under the key, and an element-list record naming the key;
  // with `before` given, CSLV word 8 is set that many slots ahead of the record. Gives the
  // record's offset from CSLV word 8.
  static Int listedElement(Int user, Int section, Int key, Int before = -1) {
    dm2_testing::Element e;
    e.userNumber = user;
    e.section = section;
    e.type = dm2_testing::addElementType({3, 3, 3, 2, {}});
    dm2_testing::mapElementEntry(key, dm2_testing::addElement(e));
    const Int address = eqc_testing::appendSlideLineRecord({key});
    if (before >= 0) rec::i(CSLV, 8) = address - before;
    return address - rec::i(CSLV, 8) + 1;
  }
  // A part's element list: the count in slot 2, three zeros, then each entry's offset and a 0.
  static Slots elementList(const std::vector<Int>& entries) {
    Slots list;
    list.integer(0);
    list.integer(static_cast<Int>(entries.size()));
    for (int k = 0; k < 3; ++k) list.integer(0);
    for (Int entry : entries) {
      list.integer(entry);
      list.integer(0);
    }
    return list;
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

TEST_F(Merging, OptionValuesComparedByTheirCode) {
  // Pairs of one-option materials: the flags must agree; codes of integer data compare the low
  // words of their slots (1.5 and 3.0 both have a zero low word); the last value of each row of
  // codes 1152 to 1157 compares bit for bit; other values within 2.22e-16 relative.
  const double up = std::nextafter(1.5, 2.0), last = std::nextafter(2.0, 3.0);
  struct Pair {
    modeltest::Option a, b;
    Int same;
  };
  const Pair pairs[] = {
      {{10, {1, 0}, 1, {{1.5, 0.0, 0.0}}}, {10, {1, 1}, 1, {{1.5, 0.0, 0.0}}}, 0},
      {{10, {1, 0}, 1, {{1.5, 0.0, 0.0}}}, {10, {1, 0}, 1, {{up, 0.0, 0.0}}}, 1},
      {{10, {}, 1, {{1.5}}}, {10, {}, 1, {{3.0}}}, 0},
      {{67, {}, 1, {{1.5}}}, {67, {}, 1, {{3.0}}}, 1},
      {{67, {}, 1, {{1.5}}}, {67, {}, 1, {{up}}}, 0},
      {{1152, {}, 2, {{1.5, 2.0}}}, {1152, {}, 2, {{up, 2.0}}}, 1},
      {{1152, {}, 2, {{1.5, 2.0}}}, {1152, {}, 2, {{1.5, last}}}, 0},
      {{1170, {}, 2, {{1.5, 2.0}, {1.5, 2.0}}}, {1170, {}, 2, {{1.5, 2.0}, {1.5, last}}}, 0},
  };
  for (const Pair& p : pairs) {
    const Slots a = modeltest::material({p.a}), b = modeltest::material({p.b});
    Int same = -1;
    COMPAREMATERIAL(&same, a.s.data(), b.s.data());
    EXPECT_EQ(same, p.same) << "code " << p.a.code;
  }
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
  // The offsets need not start at 1.
  Slots parted = elementList({listedElement(1, result[0], 100, 5), listedElement(2, result[1], 101)});
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
  std::vector<Int> entries;
  for (Int j = 0; j < 4; ++j)
    entries.push_back(listedElement(j + 1, sections[static_cast<std::size_t>(j)], 200 + j, j == 0 ? 0 : -1));
  Slots list = elementList(entries);
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

// Section comparison kind by kind. Each case names what its kind tests in each slot; every slot is
// then changed in a copy of the record in the ways that test can and cannot see:
//   E exact integer, Z zero-or-not, R real within 2.22e-16 relative, B all 8 bytes, M material
//   reference (materials 100 and 101 were merged, 102 was not), X a real also compared exactly,
//   N must stay below 1, . not tested, - held at its value (it steers the comparison).
struct SlotClasses {
  char cls;
  long first, last;
};
struct SectionCase {
  Int kind, flag;
  long length;
  std::vector<SlotClasses> classes;
  std::vector<std::pair<long, Int>> fixed;
};

TEST(SectionComparison, EveryKindTestsTheSlotsItNames) {
  const Int materialFirst = 100, materialEnd = 103, mapm[3] = {1, 1, 2};
  std::vector<SectionCase> cases = {
      {1, 0, 18, {{'N', 3, 3}, {'Z', 4, 4}, {'E', 6, 8}, {'E', 10, 10}, {'M', 11, 11}, {'Z', 12, 12},
                  {'E', 14, 14}, {'M', 15, 15}, {'Z', 16, 16}}, {{3, 0}, {7, 2}}},
      {1, 0, 8, {{'M', 3, 3}, {'Z', 4, 4}, {'E', 6, 6}}, {}},
      {2, 0, 20, {{'M', 3, 3}, {'E', 4, 5}, {'E', 16, 19}}, {}},
      {2, 0, 20, {{'M', 3, 3}, {'E', 4, 5}, {'E', 16, 18}}, {{4, 50}}},  // slot 19 only above 100
      {2, 1, 24, {{'E', 3, 3}, {'R', 4, 7}, {'E', 11, 11}, {'E', 13, 13}, {'M', 15, 15}, {'R', 17, 20},
                  {'E', 21, 23}}, {}},
      {3, 0, 12, {{'-', 3, 3}, {'M', 10, 10}, {'Z', 11, 11}}, {{3, 0}}},
      {3, 0, 27, {{'-', 3, 3}, {'-', 10, 10}, {'E', 11, 11}, {'Z', 13, 13}, {'E', 18, 18}, {'E', 20, 20},
                  {'M', 22, 22}, {'Z', 23, 23}, {'E', 24, 24}, {'M', 26, 26}, {'Z', 27, 27}},
       {{3, 1}, {10, 20}, {11, 2}}},
      {8, 0, 6, {{'M', 3, 3}}, {}},
      {9, 0, 6, {{'M', 3, 3}, {'E', 4, 4}, {'R', 5, 5}}, {}},
      {10, 0, 6, {{'E', 3, 6}}, {}},
      {11, 0, 6, {{'M', 3, 3}, {'Z', 4, 4}}, {}},
      {12, 0, 6, {{'M', 3, 3}}, {}},
      {14, 0, 5, {{'E', 3, 5}}, {}},
  };
  for (const Int kind : {4, 5, 6, 7}) cases.push_back({kind, 0, 8, {{'M', 3, 3}, {'Z', 4, 4}, {'E', 5, 8}}, {}});
  // Kind 13 by subtype s and record length.
  const auto kind13 = [&](Int s, long length, std::vector<SlotClasses> bySubtype) {
    bySubtype.insert(bySubtype.begin(), {{'M', 3, 3}, {'B', 4, 4}, {'E', 5, 5}});
    cases.push_back({13, 0, length, bySubtype, {{5, s}}});
  };
  kind13(20, 29, {{'R', 6, 9}, {'E', 10, 10}, {'R', 12, 12}});
  kind13(20, 77, {{'R', 6, 9}, {'E', 10, 11}});
  kind13(20, 30, {});
  kind13(21, 29, {{'R', 6, 9}, {'E', 10, 10}, {'R', 11, 14}});
  kind13(21, 77, {{'R', 6, 9}, {'E', 10, 10}, {'R', 11, 14}});
  kind13(22, 11, {{'R', 6, 7}, {'X', 8, 8}, {'E', 9, 10}});
  kind13(22, 18, {{'R', 6, 7}, {'X', 8, 8}, {'E', 9, 10}});
  kind13(22, 12, {});
  kind13(10, 14, {{'R', 6, 7}, {'X', 8, 8}, {'E', 9, 10}});
  kind13(11, 16, {{'R', 6, 9}, {'E', 13, 14}});
  kind13(12, 16, {{'R', 6, 10}, {'E', 14, 14}});
  kind13(30, 12, {{'R', 6, 7}, {'E', 8, 9}});
  kind13(31, 14, {{'R', 6, 8}, {'E', 12, 13}});
  for (const Int s : {211, 212, 215}) kind13(s, 12, {{'R', 6, 8}, {'E', 9, 10}});
  for (const Int s : {221, 222, 224, 225}) kind13(s, 12, {{'R', 6, 9}, {'E', 10, 11}});
  kind13(99, 12, {});

  for (const SectionCase& c : cases) {
    std::string classes(static_cast<std::size_t>(c.length) + 1, '.');
    for (const SlotClasses& sc : c.classes)
      for (long k = sc.first; k <= sc.last; ++k) classes[static_cast<std::size_t>(k)] = sc.cls;
    std::vector<double> a(static_cast<std::size_t>(c.length));
    rec::setSlotI(a.data(), 1, static_cast<Int>(c.length));
    for (long k = 2; k <= c.length; ++k) {
      const char cls = classes[static_cast<std::size_t>(k)];
      if (cls == 'R' || cls == 'X')
        a[static_cast<std::size_t>(k - 1)] = 1.5 + k / 256.0;  // in [1.5, 2): one unit in the last place is within
      else
        rec::setSlotI(a.data(), k, cls == 'M' ? materialFirst : 1000 + static_cast<Int>(k));
    }
    for (const auto& [k, v] : c.fixed) rec::setSlotI(a.data(), k, v);
    const auto compare = [&](const std::vector<double>& b) {
      Int same = -1;
      COMPARESECTION(&c.kind, a.data(), b.data(), &same, mapm, &materialFirst, &materialEnd, &c.flag);
      return same;
    };
    const std::string where = "kind " + std::to_string(c.kind) + " length " + std::to_string(c.length) + " slot ";
    EXPECT_EQ(compare(a), 1) << where << "-";
    std::vector<double> b = a;
    rec::setSlotI(b.data(), 1, static_cast<Int>(c.length - 1));
    EXPECT_EQ(compare(b), 0) << where << "1";
    for (long k = 2; k <= c.length; ++k) {
      const char cls = classes[static_cast<std::size_t>(k)];
      const double given = a[static_cast<std::size_t>(k - 1)];
      const auto probe = [&](auto change, Int expected, const char* how) {
        b = a;
        change(b[static_cast<std::size_t>(k - 1)]);
        EXPECT_EQ(compare(b), expected) << where << k << " (" << cls << ") " << how;
      };
      const auto setInteger = [](Int v) { return [v](double& slot) { rec::setSlotI(&slot, 1, v); }; };
      const Int value = rec::slotI(a.data(), k);
      switch (cls) {
        case 'E':
        case 'Z':
        case '.':
          probe(setInteger(value + 1), cls == 'E' ? 0 : 1, "another value");
          probe(setInteger(0), cls == '.' ? 1 : 0, "zero");
          break;
        case 'N':
          probe(setInteger(-5), 1, "another value below 1");
          probe(setInteger(1), 0, "1");
          break;
        case 'B':
          probe(setInteger(value + 1), 0, "another value");
          probe([](double& slot) { std::memset(reinterpret_cast<char*>(&slot) + 4, 1, 1); }, 0, "the high word");
          break;
        case 'M':
          probe(setInteger(materialFirst + 1), 1, "a merged material");
          probe(setInteger(materialFirst + 2), 0, "another material");
          probe(setInteger(0), 0, "no material");
          break;
        case 'R':
        case 'X':
          probe([&](double& slot) { slot = std::nextafter(given, 3.0); }, cls == 'R' ? 1 : 0, "one unit");
          probe([&](double& slot) { slot = given * (1 + 1e-15); }, 0, "1e-15 relative");
          break;
        default:
          break;
      }
    }
  }
  // Kinds outside 1 to 14: 0, 15 and 16 never compare equal, any other always does.
  std::vector<double> a(4), b(6);
  rec::setSlotI(a.data(), 1, 4);
  rec::setSlotI(b.data(), 1, 6);
  for (const auto& [kind, same] : std::vector<std::pair<Int, Int>>{{0, 0}, {15, 0}, {16, 0}, {17, 1}, {-1, 1}})
    for (const auto* other : {&a, &b}) {
      Int out = -1;
      const Int flag = 0;
      COMPARESECTION(&kind, a.data(), other->data(), &out, mapm, &materialFirst, &materialEnd, &flag);
      EXPECT_EQ(out, same) << "kind " << kind;
    }
}

}  // namespace
