// Element classification over random models, against a grouping written here from the rules:
// a class is the type, the section key (the map's key, or the address itself when the map lacks
// it), the connector names and the not-written flag; positions follow the written classes.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <tuple>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "tests/support/mapped_array.h"
#include "tests/support/odb_model_builder.h"
#include "zmx/odb.h"
#include "zmx/storage/db_units.h"
#include "zmx/storage/sets.h"

namespace {

using zmxtest::I;
using zmxtest::N;

struct TypePlan {
  Int code, family, nodes;
};
struct SectionPlan {
  int word;  // 2 solid, 10 a range that hides type 248, 28 not written
  Int key;
  int record = 0;
};

class ModelGathering : public zmxtest::HostFixture {};

TEST_F(ModelGathering, RandomModelsGroupAsTheRulesSay) {
  std::mt19937 random(2811);
  const std::vector<TypePlan> types = {{3008, 100, 8}, {248, 100, 4}, {2010, 201, 2}, {2011, 213, 3}};
  for (int model = 0; model < 25; ++model) {
    zmxtest::OdbModelBuilder b;
    b.connectorNames = 3;
    b.connectorFlag = 1;
    const Int n1 = b.node(1, {0, 0, 0}), n2 = b.node(2, {1, 0, 0});
    std::vector<Int> typeIds;
    for (std::size_t t = 0; t < types.size(); ++t)
      typeIds.push_back(b.elementType("TYPE" + std::to_string(t), types[t].code, types[t].family, types[t].nodes));
    std::vector<SectionPlan> sections = {{2, 1}, {2, 1}, {2, 2}, {2, 0}, {10, 3}, {10, 0}, {28, 4}};
    for (auto& s : sections) s.record = b.record(s.word, {I(0), I(0)}, s.key);
    const int names[3] = {b.record(15, {I(0), I(0), N("CN-A")}), b.record(15, {I(0), I(0), N("CN-B")}),
                          b.record(15, {I(0), I(0), N("CN-C")})};
    struct ElementPlan {
      std::size_t type;
      int section;  // index into sections, -1 none
      std::vector<int> names;
      Int label;
    };
    std::vector<ElementPlan> elements;
    const int count = 50 + static_cast<int>(random() % 150);
    for (int e = 0; e < count; ++e) {
      ElementPlan s;
      s.type = random() % types.size();
      s.section = static_cast<int>(random() % (sections.size() + 1)) - 1;
      const int k = static_cast<int>(random() % 4);
      for (int j = 0; j < k; ++j) s.names.push_back(static_cast<int>(random() % 3));
      s.label = random() % 10 == 0 ? -static_cast<Int>(random() % 2) : e + 1;
      std::vector<int> records;
      for (int j : s.names) records.push_back(names[j]);
      b.element(s.label, typeIds[s.type], {n1, n2}, s.section >= 0 ? sections[static_cast<std::size_t>(s.section)].record : 0,
                records);
      elements.push_back(s);
    }
    b.build();

    // The rules, written out.
    const Int listSize = [&] {
      Int n = 0;
      for (const auto& s : sections) n += s.key != 0;
      return n;
    }();
    std::map<std::vector<int>, int> firstWithNames;
    std::vector<std::tuple<Int, Int, Int, Int, int, Int>> keys;  // type, known, key, flag, rep, names
    std::vector<Int> classOf(elements.size(), 0), classCount;
    std::vector<Int> classType, classSection;
    for (std::size_t e = 0; e < elements.size(); ++e) {
      const ElementPlan& s = elements[e];
      const bool named = (types[s.type].family == 201 || types[s.type].family == 213) && !s.names.empty();
      int rep = 0;
      if (named) rep = firstWithNames.try_emplace(s.names, static_cast<int>(e + 1)).first->second;
      if (s.label <= 0) continue;
      Int address = 0, flag = 0;
      Int known = 1, key = listSize + 1;
      if (s.section >= 0) {
        const SectionPlan& sec = sections[static_cast<std::size_t>(s.section)];
        if (sec.word == 28) {
          flag = 1;
        } else {
          address = b.address(sec.record);
          flag = sec.word == 10 && types[s.type].code == 248;
          if (sec.key != 0)
            key = sec.key;
          else
            known = 0, key = address;
        }
      }
      const auto k = std::make_tuple(static_cast<Int>(s.type), known, key, flag, rep,
                                     named ? static_cast<Int>(s.names.size()) : 0);
      std::size_t c = std::find(keys.begin(), keys.end(), k) - keys.begin();
      if (c == keys.size()) {
        keys.push_back(k);
        classCount.push_back(0);
        classType.push_back(static_cast<Int>(s.type));
        classSection.push_back(address);
      }
      ++classCount[c];
      classOf[e] = flag ? -static_cast<Int>(c + 1) : static_cast<Int>(c + 1);
    }

    // The gathering.
    const Int map = SHR_MAPINT2INTCREATE();
    {
      std::vector<Int> list;
      for (const auto& s : sections)
        if (s.key != 0) list.push_back(b.address(s.record));
      for (const auto& s : sections)
        if (s.key != 0) list.push_back(s.key);
      Int n = listSize;
      CREATESECTIONMAP(&map, &n, list.data());
    }
    std::vector<double> buffer(64), connectorBuffer(64), connectorNames(3 * elements.size() + 3);
    std::vector<Int> classTable(28 * 400), elementTable(4 * elements.size()), connectorTable(3 * elements.size());
    Int classes = 0, core = 14 * 400, arraySize = 0;
    const Int per = 3, flag = 1, adb = 1;
    ODBCLASS1(buffer.data(), classTable.data(), &map, elementTable.data(), &classes, &core, connectorTable.data(),
              connectorBuffer.data(), connectorNames.data(), &per, &flag, &adb, &arraySize);
    SHR_MAPINT2INTDELETE(map);

    ASSERT_EQ(classes, static_cast<Int>(keys.size())) << model;
    for (std::size_t e = 0; e < elements.size(); ++e) EXPECT_EQ(elementTable[4 * e], classOf[e]) << model << " " << e;
    Int p = 1;
    for (std::size_t c = 0; c < keys.size(); ++c) {
      const Int* r = &classTable[28 * c];
      EXPECT_EQ(r[18], classCount[c]) << model << " class " << c;
      EXPECT_EQ(r[2], classSection[c]);
      EXPECT_EQ(r[26], types[static_cast<std::size_t>(classType[c])].nodes);
      EXPECT_EQ(r[6], -1);
      EXPECT_EQ(r[8], -1);
      EXPECT_EQ(r[20], std::get<5>(keys[c]));
      EXPECT_EQ(r[22], std::get<4>(keys[c]));
      if (std::get<3>(keys[c]) == 0) {
        EXPECT_EQ(r[10], p);
        EXPECT_EQ(r[12], p + classCount[c]);
        p += (types[static_cast<std::size_t>(classType[c])].nodes + 1) * classCount[c];
      } else {
        EXPECT_EQ(r[10], 0);
        EXPECT_EQ(r[12], 0);
      }
    }
    EXPECT_EQ(arraySize, p);
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  }
}

TEST_F(ModelGathering, ClassTableGrowsThroughDbcoreOnlyWithinARoomItKnows) {
  zmxtest::OdbModelBuilder b;
  const Int n = b.node(1, {0, 0, 0});
  const Int t1 = b.elementType("A", 10, 100, 1), t2 = b.elementType("B", 11, 100, 1);
  b.element(1, t1, {n});
  b.element(2, t2, {n});
  b.build();
  // A core count with room for one class; the second class needs 14 slots a class.
  struct Outcome {
    Int classes, core, booked;
  };
  auto classify = [](Int* classTable) {
    std::vector<double> buffer(64), names(4);
    std::vector<Int> elementTable(8), connectorTable(6);
    Int classes = 0, core = 14, arraySize = 0;
    const Int map = 0, zero = 0, adb = 1;
    const Int tally = rec::i(CSIZE, zmx::units::kCoreGrowth);
    ODBCLASS1(buffer.data(), classTable, &map, elementTable.data(), &classes, &core, connectorTable.data(),
              buffer.data(), names.data(), &zero, &zero, &adb, &arraySize);
    return Outcome{classes, core, rec::i(CSIZE, zmx::units::kCoreGrowth) - tally};
  };
  // A table outside the address space cannot grow: DBCORE books the second class as asked, but
  // the table is not written past the core count passed.
  std::vector<Int> unknown(28);
  const Outcome refused = classify(unknown.data());
  EXPECT_EQ(refused.classes, 1);
  EXPECT_EQ(refused.core, 14 + 14 * 2);
  EXPECT_EQ(refused.booked, 14 * 2);
  EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE."));
  // A table whose block holds two classes: DBCORE books the second and raises the core count.
  eqc_testing::clearMessages();
  zmxtest::MappedArray known(14 * 2);
  const Outcome raised = classify(reinterpret_cast<Int*>(known.data()));
  EXPECT_EQ(raised.classes, 2);
  EXPECT_EQ(raised.core, 14 + 14 * 2);
  EXPECT_EQ(raised.booked, 14 * 2);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  EXPECT_TRUE(known.guardsKept());
}

}  // namespace
