// Node coordinates by label against a std::map model, over label lists with empty places and
// labels that neither the ordered list nor the map holds.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/geometry.h"
#include "zmx/storage/sets.h"

namespace {

using NodeCoordinates = zmxtest::HostFixture;

TEST_F(NodeCoordinates, EveryVariantMatchesAMapModel) {
  std::mt19937 rng(23);
  for (bool descending : {false, true}) {
    // The array's columns: distinct labels in order, coordinates and a real per column.
    std::set<int> chosen;
    while (chosen.size() < 60) chosen.insert(1 + static_cast<int>(rng() % 500));
    std::vector<int> columns(chosen.begin(), chosen.end());
    if (descending) std::reverse(columns.begin(), columns.end());
    const int ncol = static_cast<int>(columns.size());
    std::vector<double> coords(3 * ncol), columnValues(ncol);
    std::uniform_real_distribution<double> d(-10, 10);
    for (double& v : coords) v = d(rng);
    for (double& v : columnValues) v = d(rng);
    std::map<int, int> model;  // label -> column
    const int map = SHR_MAPINT2INTCREATE();
    for (int c = 1; c <= ncol; ++c) {
      model[columns[c - 1]] = c;
      SHR_MAPINT2INTINSERT(map, &columns[c - 1], &c);
    }
    // The listed labels: present ones, empty places and absent ones, in random order.
    std::vector<int> labels;
    for (int k = 0; k < 80; ++k) labels.push_back(columns[rng() % ncol]);
    for (int extra : {0, -5, 0, 501, 1000})
      labels.insert(labels.begin() + static_cast<long>(rng() % labels.size()), extra);
    for (int label = 1; label <= 500; ++label)
      if (!model.count(label)) {
        labels.insert(labels.begin() + static_cast<long>(rng() % labels.size()), label);
        break;
      }
    const int count = static_cast<int>(labels.size());
    std::vector<double> slots(count);
    for (int k = 0; k < count; ++k) rec::setSlotI(slots.data(), k + 1, labels[k]);

    std::vector<double> out1(3 * count), out2(3 * count), out3(3 * count), out4(3 * count), values(count);
    std::vector<int> positions(count, -7);
    eqc_testing::clearMessages();
    GETNODECOORDS(columns.data(), coords.data(), &ncol, slots.data(), &count, out1.data());
    GETNODECOORDSPOS(columns.data(), coords.data(), &ncol, slots.data(), &count, out2.data(), positions.data());
    GETNODECOORDSHASH(&map, coords.data(), slots.data(), &count, out3.data());
    GETNODECOORDSDIST(&map, coords.data(), slots.data(), &count, out4.data(), columnValues.data(), values.data());
    int absent = 0;
    for (int k = 0; k < count; ++k) {
      const auto it = model.find(labels[k]);
      const int column = it == model.end() ? 0 : it->second;
      if (column == 0 && labels[k] >= 1) ++absent;
      for (int i = 0; i < 3; ++i) {
        const double want = column > 0 ? coords[3 * (column - 1) + i] : 1e36;
        EXPECT_EQ(out1[3 * k + i], want) << "label " << labels[k];
        EXPECT_EQ(out2[3 * k + i], want);
        EXPECT_EQ(out3[3 * k + i], want);
        EXPECT_EQ(out4[3 * k + i], want);
      }
      EXPECT_EQ(positions[k], column);
      EXPECT_EQ(values[k], column > 0 ? columnValues[column - 1] : 1e36);
    }
    ASSERT_EQ(absent, 3);
    const auto messages = eqc_testing::messages();
    ASSERT_EQ(messages.size(), 4u * absent);
    for (const auto& m : messages) EXPECT_EQ(m.level, -3);
    EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN GETNODECOORDS - NODE 501 IS NOT IN THE NODE LIST."));
    EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN GETNODECOORDSPOS - NODE 1000 IS NOT IN THE NODE LIST."));
    EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN GETNODECOORDSHASH - NODE 501 IS NOT IN THE NODE MAP."));
    EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN GETNODECOORDSDIST - NODE 1000 IS NOT IN THE NODE MAP."));
    SHR_MAPINT2INTDELETE(map);
  }
}

TEST_F(NodeCoordinates, AnEmptyListWritesNothing) {
  const int columns[2] = {3, 4}, ncol = 2, map = 0;
  const double coords[6] = {1, 2, 3, 4, 5, 6}, slots[1] = {0};
  double out[3] = {7, 7, 7}, value = 7;
  int position = 7;
  for (int count : {0, -2}) {
    GETNODECOORDS(columns, coords, &ncol, slots, &count, out);
    GETNODECOORDSPOS(columns, coords, &ncol, slots, &count, out, &position);
    GETNODECOORDSHASH(&map, coords, slots, &count, out);
    GETNODECOORDSDIST(&map, coords, slots, &count, out, coords, &value);
  }
  EXPECT_EQ(out[0], 7);
  EXPECT_EQ(position, 7);
  EXPECT_EQ(value, 7);
}

}  // namespace
