// What the element-state suites share: the arrays a segment worker receives for one segment of a
// class of the builder's model, laid out as the entries lay them (n-row column-major arrays, and
// the point's arrays and material block at the offsets of a group variable table), the host's
// model tables, and the fixtures that start a model with a temporary package and check keys.
#pragma once

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/fortran_types.h"
#include "siblings/eqc/testing.h"
#include "siblings/glo/testing.h"
#include "tests/import/import_fixture.h"
#include "siblings/glo/block_store.h"
#include "zmx/import.h"

namespace importtest {

// Rows of values that name the array (base), the element (tens) and the column (units).
inline glo_testing::Rows numbered(int elements, int columns, double base) {
  glo_testing::Rows r;
  for (int e = 0; e < elements; ++e) {
    std::vector<double> row;
    for (int c = 0; c < columns; ++c) row.push_back(base + 10.0 * e + c);
    r.push_back(row);
  }
  return r;
}
// Value (e, column) of rows, and a value as the float the worker reads.
inline double at(const glo_testing::Rows& rows, int e, int column) {
  return rows[static_cast<std::size_t>(e)][static_cast<std::size_t>(column)];
}
inline float f(double x) { return static_cast<float>(x); }

// Column-major n-row array of the rows first .. first + n - 1.
inline std::vector<float> segmentOf(const glo_testing::Rows& rows, int first, int n) {
  std::vector<float> out;
  for (std::size_t c = 0; c < rows.front().size(); ++c)
    for (int i = first; i < first + n; ++i) out.push_back(static_cast<float>(rows[static_cast<std::size_t>(i)][c]));
  return out;
}

// The first point of a group: its 501 and 502 arrays and the group's 202 arrays, each at the
// offset its group-variable word names, the material block after the 501 arrays with the
// position table P of its variables, the material record and the group's own table with F.
struct PointArrays {
  PointArrays(const glo_testing::SectionEntry& g, int first, int n) {
    const auto lay = [&](std::vector<float>& block, const std::map<int, glo_testing::Rows>& arrays) {
      for (const auto& [word, rows] : arrays) {
        groupVariables[static_cast<std::size_t>(word - 1)] = static_cast<Int>(block.size());
        const std::vector<float> array = segmentOf(rows, first, n);
        block.insert(block.end(), array.begin(), array.end());
      }
    };
    lay(pointState, g.pointState[0]);
    if (!g.pointShared.empty()) lay(pointShared, g.pointShared[0]);
    lay(groupDomain, g.domainArrays);
    material = {g.materialCode, 0, static_cast<Int>(pointState.size()), 0, 1};
    for (const auto& [i, rows] : g.materialVariables[0]) {
      positions.resize(static_cast<std::size_t>(i), 1);
      positions[static_cast<std::size_t>(i - 1)] = static_cast<Int>(pointState.size()) - material[2] + 1;
      const std::vector<float> array = segmentOf(rows, first, n);
      pointState.insert(pointState.end(), array.begin(), array.end());
    }
    pointState.resize(pointState.size() + 8 * static_cast<std::size_t>(n));  // room as the builder leaves
    ownTable = {0, 3};
    ownTable.insert(ownTable.end(), g.flags.begin(), g.flags.end());
  }
  std::vector<float> pointState, pointShared, groupDomain;
  std::vector<Int> groupVariables = std::vector<Int>(40, 0), material, positions, ownTable;
};

// The model tables a host holds, read from the open database: the integer model table copied, so
// that a test can damage words of it, and the real model table.
struct HostTables {
  explicit HostTables(const Int* work) {
    const Int integers = 17, realKind = 18, one = 1, directoryWords = 4;
    DSM_BLO_ACCESS(&integers, &RHO_MAN_COMMONI.w[8], &one, &directoryWords, &directory);
    const Int* d = work + directory - 1;
    DSM_BLO_ACCESS(&integers, &RHO_MAN_COMMONI.w[8], &d[2], &d[0], &tableBlock);
    DSM_BLO_ACCESS(&realKind, &RHO_MAN_COMMONI.w[8], &d[3], &d[1], &realBlock);
    table.assign(work + tableBlock - 1, work + tableBlock - 1 + d[0]);
    reals = reinterpret_cast<const float*>(work + realBlock - 1);
  }
  ~HostTables() {
    const Int one = 1, two = 2;
    DSM_BLO_RELEASE(&two, &realBlock);
    DSM_BLO_RELEASE(&one, &tableBlock);
    DSM_BLO_RELEASE(&one, &directory);
  }
  // Word w of class c's record, and word w of its type record (positions from 1).
  Int& classWord(int c, int w) { return table[static_cast<std::size_t>(table[11] + 19 * (c - 1) + w - 2)]; }
  Int& typeWord(int c, int w) { return table[static_cast<std::size_t>(classWord(c, 2) + w - 2)]; }
  const float* classReals(int c) { return reals + classWord(c, 6) - 1; }
  Int directory = 0, tableBlock = 0, realBlock = 0;
  std::vector<Int> table;
  const float* reals = nullptr;
};

// A fixture whose tests start a model with a temporary package held; closePackage gives the
// package back and closes the database, as every test's end does.
class PackageFixture : public ImportFixture {
 protected:
  void startWithPackage(glo_testing::ImportModel model) {
    model_ = std::move(model);
    startSample();
    EDI_ACC_TEMPORARYPACKAGE();
  }
  void closePackage() {
    EDI_REL_TEMPORARYPACKAGE();
    closeClean();
  }
  void TearDown() override {
    closePackage();
    ImportFixture::TearDown();
  }
  using Answer = ElementAnswer;
  // A key of the first class.
  Answer ask(Int key, Int point) { return askElement(key, 1, point); }
  // Class c of the model (from 1), its class-level state array of record word w and its group.
  const glo_testing::ClassModel& classOf(int c) const { return model_.classes[static_cast<std::size_t>(c - 1)]; }
  const glo_testing::Rows& state(int c, int word) const { return classOf(c).classState.state.at(word); }
  const glo_testing::SectionEntry& group(int c) const { return classOf(c).sections[0]; }
  // Column `column` of element e of material variable i of group c's first point.
  float materialVariable(int c, int i, int e, int column) const { return f(at(group(c).materialVariables[0].at(i), e, column)); }
  // Point-major (11, 22, 2 x 12) of element e of the total strain (word 28) at group c's first
  // point, less less(column).
  std::vector<float> strainLess(int c, int e, const std::function<float(int column)>& less) const {
    const glo_testing::Rows& total = group(c).pointState[0].at(28);
    return {f(at(total, e, 0)) - less(0), f(at(total, e, 1)) - less(1), 2 * (f(at(total, e, 3)) - less(3))};
  }
};

// A fixture that starts a model made of the given classes with a temporary package, and asks each
// key with the package's fill at 0 (every answer at the package's start).
template <class Base>
class ClassKeys : public Base {
 protected:
  void beginClasses(glo_testing::ImportModel model, std::vector<glo_testing::ClassModel> classes, int package) {
    model.classes = std::move(classes);
    model.elementSets.clear();
    model.packageFirstTerm = package;
    this->startWithPackage(std::move(model));
  }
  ImportFixture::ElementAnswer askClass(Int key, Int elementClass, Int point) {
    RHO_MAN_COMMONI.w[2] = 0;
    return this->askElement(key, elementClass, point);
  }
  // Keys with the same counts (direct, shear) in each class, none given meaning 0 in every class;
  // each key with where it is served: E at the element level and at the point, Z at point 0 only,
  // P at the point only, N never.
  using Counts = std::vector<std::array<Int, 2>>;
  struct SameCounts {
    Counts counts;
    std::vector<std::pair<Int, char>> keys;
  };
  // Asks every key of the table of each class at points 0 and 1: status 0 where it is served and
  // 1 elsewhere, and its counts wherever it has any. `uncounted` names the further points where
  // a key has none, `refused` the further places where a counted key is not served.
  void expectCounts(const std::vector<SameCounts>& table, Int classes,
                    const std::function<bool(Int key, Int point)>& uncounted = {},
                    const std::function<bool(Int key, Int c, Int point)>& refused = {}) {
    for (const SameCounts& same : table)
      for (const auto& [key, where] : same.keys)
        for (Int c = 1; c <= classes; ++c)
          for (const Int point : {0, 1}) {
            const ImportFixture::ElementAnswer a = askClass(key, c, point);
            const std::array<Int, 2> want =
                same.counts.empty() ? std::array<Int, 2>{0, 0} : same.counts[static_cast<std::size_t>(c - 1)];
            const bool counted = want[0] + want[1] > 0 && !(uncounted && uncounted(key, point));
            const bool served = counted &&
                                (where == 'E' || (where == 'Z' && point == 0) || (where == 'P' && point == 1)) &&
                                !(refused && refused(key, c, point));
            EXPECT_EQ(a.status, served ? 0 : 1) << key << " class " << c << " point " << point;
            if (counted) {
              EXPECT_EQ(a.direct, want[0]) << key << " class " << c;
              EXPECT_EQ(a.shear, want[1]) << key << " class " << c;
            }
          }
  }
  // An answer for three elements served exactly where material variable i is named (not 0), and
  // then holding each element's first `columns` columns of it, value(i, e, column); code names
  // the material in a failure.
  void expectVariable(const ImportFixture::ElementAnswer& a, int i, int columns,
                      const std::function<float(int i, int e, int column)>& value, int code) {
    EXPECT_EQ(a.status, i != 0 ? 0 : 1) << code;
    for (int e = 0; e < 3 && i != 0; ++e)
      for (int k = 0; k < columns; ++k)
        EXPECT_EQ(this->realAt(a.index, columns * e + k + 1), value(i, e, k)) << code << " " << e << " " << k;
  }
  // The segment worker on each segment (first, n) of `elements` elements in segments of two:
  // `call(first, n, answer)` runs it on the segment's arrays into answer (n rows of `values` words)
  // and gives its status, which must be 0; each value it gives is the entry's at index, and
  // `check(got, e, v)`, where given, checks value v of element e further.
  void expectWorkerAsEntry(const std::string& what, Int index, Int values, int elements,
                           const std::function<Int(int first, Int n, float* answer)>& call,
                           const std::function<void(float got, int e, int v)>& check) {
    for (int first = 0; first < elements; first += 2) {
      const Int n = std::min(2, elements - first);
      std::vector<float> answer(static_cast<std::size_t>(values * n), -1.0F);
      EXPECT_EQ(call(first, n, answer.data()), 0) << what;
      for (int i = 0; i < n; ++i) {
        const int e = first + i;
        for (int v = 0; v < values; ++v) {
          const float got = answer[static_cast<std::size_t>(values * i + v)];
          EXPECT_EQ(got, this->realAt(index, values * e + v + 1)) << what << " element " << e << " value " << v;
          if (check) check(got, e, v);
        }
      }
    }
  }
  // Asks a key with only `left` words of the package free: a longer answer is refused and the
  // fill counter stays where it was.
  void refusedBeyondThePackage(Int key, Int elementClass, Int point, Int left) {
    const Int fill = RHO_MAN_COMMONI.w[19] - left;
    RHO_MAN_COMMONI.w[2] = fill;
    EXPECT_EQ(this->askElement(key, elementClass, point).status, 1) << key;
    EXPECT_EQ(RHO_MAN_COMMONI.w[2], fill);
  }
  // Asks a key with the store's free room growing word by word from none, so that each block the
  // request makes in turn finds no room: every such request is refused (status 1) and keeps no
  // block; with room enough it is served as with all the room there is.
  void runOutOfRoom(Int key, Int elementClass, Int point) {
    const ImportFixture::ElementAnswer full = askClass(key, elementClass, point);
    ASSERT_EQ(full.status, 0);
    const std::vector<float> answer = this->reals(full.index, full.direct + full.shear);
    Int room = 0;  // the largest block the store can make, found by halving
    for (Int step = 1 << 20; step > 0; step /= 2) {
      Int index = 0;
      const Int words = room + step;
      ACC_TMP_REALMEMORY(&words, &index);
      if (index == kNoBlock) continue;
      REL_GDB_REAL(&index);
      room = words;
    }
    eqc_testing::clearMessages();
    for (Int left = 0; left <= room; ++left) {
      Int hold = 0;
      const Int words = room - left;
      ACC_TMP_REALMEMORY(&words, &hold);
      const int before = glo_testing::outstandingBlocks();
      const ImportFixture::ElementAnswer a = askClass(key, elementClass, point);
      EXPECT_EQ(glo_testing::outstandingBlocks(), before) << left;
      REL_GDB_REAL(&hold);
      if (a.status == 0) {
        EXPECT_EQ(this->reals(a.index, a.direct + a.shear), answer);
        EXPECT_GT(left, 0);
        break;
      }
      EXPECT_EQ(a.status, 1) << left;
    }
    eqc_testing::clearMessages();
  }
};

}  // namespace importtest
