#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "siblings/eqc/testing.h"
#include "siblings/glo/block_store.h"
#include "tests/import/import_fixture.h"
#include "zmx/import.h"

namespace importtest {
namespace {

using namespace glo_testing;

float f(double x) { return static_cast<float>(x); }

// What a nodal state key should give, from the physical model: components values per node at
// each node's global position (key 7000 one value at word g), 0 where nothing is written.
std::vector<float> expectedNodal(const ImportModel& m, int row, int increment, int key, int components) {
  std::vector<float> out(static_cast<std::size_t>(components * m.nodes), 0.0F);
  const IncrementState& state = m.steps[static_cast<std::size_t>(row - 1)].states[static_cast<std::size_t>(increment)];
  for (std::size_t d = 0; d < m.domains.size(); ++d) {
    const DomainModel& dm = m.domains[d];
    const DomainState& s = state.domains[d];
    const float delta = f(s.timeIncrement);
    for (std::size_t i = 0; i < dm.labels.size(); ++i) {
      const std::size_t at = static_cast<std::size_t>((dm.positions[i] - 1) * components);
      for (std::size_t k = 0; k < 3; ++k) {
        const float model = f(dm.origin[k]) + f(dm.local[i][k]);
        float v = 0.0F;
        switch (key) {
          case 200: v = model; break;
          case 1000: v = model + f(s.shift[k]) + f(s.displacement[i][k]); break;
          case 2000: v = f(s.shift[k]) + f(s.displacement[i][k]); break;
          case 3000: v = f(s.start[i][k]) + 0.5F * delta * f(s.velocity[i][k]); break;
          case 4000: v = dm.firstOutputFlag != 0 ? f(s.velocity[i][k]) : 0.0F; break;
          case 5000: v = f(s.force[i][k]) - f(s.reaction[i][k]); break;
          case 6000: v = f(s.velocity[i][k]) * f(s.mass[i]); break;
          default: continue;
        }
        out[at + k] = v;
      }
    }
    for (std::size_t j = 0; j < dm.rotating.size(); ++j) {
      const std::size_t at = static_cast<std::size_t>((dm.rotatingPositions[j] - 1) * components);
      const Quaternion& q = s.rotation[j];
      const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2]);
      const double angle = 2.0 * std::atan2(n, q[3]);
      for (std::size_t k = 0; k < 3; ++k) {
        const bool flag = dm.secondOutputFlag != 0;
        float v = 0.0F;
        switch (key) {
          case 2100: v = f(n > 0 ? angle * q[k] / n : 0.0); break;
          case 3100: v = f(s.angularStart[j][k]) + 0.5F * delta * f(s.angularVelocity[j][k]); break;
          case 4100: v = flag ? f(s.angularVelocity[j][k]) : 0.0F; break;
          case 5100: v = flag ? f(s.angularAcceleration[j][k]) : 0.0F; break;
          case 6100: v = f(s.angularVelocity[j][k]) * f(s.inertia[j]); break;
          default: continue;
        }
        out[at + k] = v;
      }
    }
    for (std::size_t i = 0; i < dm.thirdPositions.size(); ++i) {
      const int g = dm.thirdPositions[i];
      if (key == 7000) out[static_cast<std::size_t>(g - 1)] = f(s.thirdScalar[i]);
      if (key == 10000)
        for (std::size_t k = 0; k < 2; ++k) out[static_cast<std::size_t>((g - 1) * 2) + k] = f(s.thirdValues[i][k]);
    }
  }
  return out;
}

class StepsAndState : public ImportFixture {
 protected:
  void SetUp() override {
    ImportFixture::SetUp();
    startSample();
  }
  void TearDown() override {
    EXPECT_TRUE(eqc_testing::messages().empty());
    closeClean();
    ImportFixture::TearDown();
  }

  // Reads one nodal key and checks it against the model; the block is given back.
  void checkNodal(Int row, Int increment, Int key, Int components = 3) {
    Int comps = components, block = 0, status = -1;
    ACC_SDB_NODEKEY(&row, &increment, &key, &comps, &block, &status);
    SCOPED_TRACE(key);
    ASSERT_EQ(status, 0);
    const std::vector<float> got = reals(block, components * model_.nodes);
    const std::vector<float> want = expectedNodal(model_, row, increment, key, components);
    for (std::size_t w = 0; w < want.size(); ++w) {
      if (key == 2100)
        EXPECT_NEAR(got[w], want[w], 2e-6 * (1 + std::fabs(want[w]))) << w;
      else
        EXPECT_EQ(got[w], want[w]) << w;
    }
    REL_GDB_REAL(&block);
  }
};

TEST_F(StepsAndState, StepsProceduresAndTheOpeningOfStepData) {
  Int times = 0, increments = 0, m = -1, value = 0, procedure = 0;
  const Int one = 1, three = 3, four = 4, seven = 7;
  INQ_RDB_STEP(&one, &times, &increments, &m, &value, &procedure);
  ASSERT_EQ(m, 2);
  EXPECT_EQ(reals(times, 2), (std::vector<float>{0.5F, 1.0F}));
  EXPECT_EQ(ints(increments, 2), (std::vector<int>{1, 2}));
  EXPECT_EQ(value, 101);
  EXPECT_EQ(procedure, 74);  // both 1025 and 2049 set: the later match holds
  REL_GDB_REAL(&times);
  REL_GDB_INTG(&increments);

  const int before = opensOf(60, 203);
  INQ_RDB_STEP(&three, &times, &increments, &m, &value, &procedure);
  EXPECT_EQ(procedure, 98);
  EXPECT_EQ(m, 1);
  REL_GDB_REAL(&times);
  REL_GDB_INTG(&increments);
  INQ_RDB_STEP(&three, &times, &increments, &m, &value, &procedure);
  REL_GDB_REAL(&times);
  REL_GDB_INTG(&increments);
  EXPECT_EQ(opensOf(60, 203), before + 1);
  for (Int s : {1, 3, 1, 3}) {
    INQ_RDB_STEP(&s, &times, &increments, &m, &value, &procedure);
    REL_GDB_REAL(&times);
    REL_GDB_INTG(&increments);
  }
  EXPECT_EQ(opensOf(60, 203), before + 5);

  // A step without a step block, and one without step data: no block, outputs but m kept.
  for (Int s : {four, seven}) {
    value = procedure = times = increments = 55;
    m = 9;
    INQ_RDB_STEP(&s, &times, &increments, &m, &value, &procedure);
    EXPECT_EQ(times, 55);
    EXPECT_EQ(increments, 55);
    EXPECT_EQ(m, 0);
    EXPECT_EQ(value, 55);
    EXPECT_EQ(procedure, 55);
  }
  Int ale = -1;
  INQ_RDB_ALECLASSNUMBER(&three, &ale);
  EXPECT_EQ(ale, 2);
  INQ_RDB_ALECLASSNUMBER(&seven, &ale);
  EXPECT_EQ(ale, 0);

  // A step that no row of the table holds: m = 0 and two empty blocks.
  const Int table[16] = {1, 2, 0, 0, 5, 6};
  INQ_RDB_STEP1(&three, &one, table, &m, &times, &increments);
  EXPECT_EQ(m, 0);
  EXPECT_NE(times, kNoBlock);
  EXPECT_NE(increments, kNoBlock);
  REL_GDB_REAL(&times);
  REL_GDB_INTG(&increments);
}

TEST_F(StepsAndState, TimesSelectTheFirstIncrementReachingThem) {
  struct Case {
    float time;
    Int step, position, increment;
    float start, inStep;
  };
  // Step 4 stores nothing and is passed over; 1.25 is exactly 1.0 + 0.25.
  for (const Case& c : {Case{0.5F, 1, 1, 1, 0.0F, 0.5F}, Case{0.7F, 1, 2, 2, 0.0F, 1.0F}, Case{1.25F, 3, 1, 4, 1.0F, 0.25F},
                        Case{1.3F, 7, 1, 9, 1.25F, 0.125F}, Case{2.0F, 0, 0, 0, 0.0F, 0.0F}, Case{-1.0F, 1, 1, 1, 0.0F, 0.5F}}) {
    Int step = -1, position = -1, increment = -1;
    float start = -1.0F, inStep = -1.0F;
    INQ_RDB_TIME(&c.time, &step, &position, &increment, &start, &inStep);
    SCOPED_TRACE(c.time);
    EXPECT_EQ(step, c.step);
    EXPECT_EQ(position, c.position);
    EXPECT_EQ(increment, c.increment);
    EXPECT_EQ(start, c.start);
    EXPECT_EQ(inStep, c.inStep);
  }
}

// A host that holds the model table selects global values itself once the increment is open:
// from the table block it read, or from a copy of the table's head in its own memory.
TEST_F(StepsAndState, GlobalSelectionFromTheModelTableTheHostHolds) {
  const Int integers = 17, one = 1, directoryWords = 4;
  Int directory = 0, table = 0;
  DSM_BLO_ACCESS(&integers, &RHO_MAN_COMMONI.w[8], &one, &directoryWords, &directory);
  ASSERT_NE(directory, 0);
  const Int tableBlock = intAt(directory, 3), tableWords = intAt(directory, 1);
  DSM_BLO_ACCESS(&integers, &RHO_MAN_COMMONI.w[8], &tableBlock, &tableWords, &table);
  ASSERT_NE(table, 0);
  const std::vector<Int> head(work() + table - 1, work() + table - 1 + 29);
  const Int row = 2, inc = 1;
  for (const Int key : {91, 92, 96, 98, 110, 97}) {
    float opened = -7.0F, fromBlock = -8.0F, fromHead = -9.0F;
    Int status = -1, blockStatus = -1, headStatus = -1;
    ACC_SDB_GLOBKEY(&row, &inc, &key, &opened, &status);
    ACC_SDB_GLOBKEY1(&key, &fromBlock, work() + table - 1, &blockStatus);
    ACC_SDB_GLOBKEY1(&key, &fromHead, head.data(), &headStatus);
    EXPECT_EQ(status, key == 97 ? 1 : 0);
    EXPECT_EQ(blockStatus, status) << key;
    EXPECT_EQ(headStatus, status) << key;
    EXPECT_EQ(fromBlock, opened) << key;
    EXPECT_EQ(fromHead, opened) << key;
  }
  DSM_BLO_RELEASE(&one, &table);
  DSM_BLO_RELEASE(&one, &directory);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(StepsAndState, GlobalValuesByKeyAndPairsOutOfRange) {
  const std::vector<std::pair<Int, std::pair<int, int>>> keys = {
      {91, {1, 5}}, {92, {1, 1}}, {93, {1, 2}}, {94, {1, 4}}, {95, {1, 6}}, {96, {1, 3}},
      {98, {2, 3}}, {108, {1, 13}}, {109, {1, 14}}, {110, {1, 15}}};
  for (Int row = 1; row <= 4; ++row) {
    const StepModel& step = model_.steps[static_cast<std::size_t>(row - 1)];
    for (Int inc = 0; inc <= static_cast<Int>(step.increments.size()); ++inc) {
      const IncrementState& s = step.states[static_cast<std::size_t>(inc)];
      for (const auto& [key, at] : keys) {
        float value = -7.0F;
        Int status = -1;
        ACC_SDB_GLOBKEY(&row, &inc, &key, &value, &status);
        ASSERT_EQ(status, 0);
        const double want = at.first == 1 ? s.globalA[static_cast<std::size_t>(at.second - 1)]
                                          : s.globalB[static_cast<std::size_t>(at.second - 1)];
        EXPECT_EQ(value, f(want)) << row << " " << inc << " " << key;
      }
    }
  }
  float value = 3.0F;
  Int status = -1;
  const Int one = 1, zero = 0, unknown = 97;
  ACC_SDB_GLOBKEY(&one, &zero, &unknown, &value, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(value, 0.0F);
  for (const auto& [row, inc] : std::vector<std::pair<Int, Int>>{{0, 0}, {5, 0}, {1, -1}, {1, 3}, {3, 1}}) {
    value = 3.0F;
    const Int key = 92;
    ACC_SDB_GLOBKEY(&row, &inc, &key, &value, &status);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(value, 3.0F);
  }
}

TEST_F(StepsAndState, EveryNodalKeyMatchesThePhysicalModel) {
  for (Int key : {200, 1000, 2000, 3000, 4000, 5000, 6000, 2100, 3100, 4100, 5100, 6100, 10000}) checkNodal(2, 1, key);
  checkNodal(1, 2, 7000, 1);
  checkNodal(1, 2, 10000, 2);
  // At the start of the first step, with no shift and no displacement, 1000 is the model.
  EXPECT_EQ(expectedNodal(model_, 1, 0, 1000, 3), expectedNodal(model_, 1, 0, 200, 3));
  checkNodal(1, 0, 1000);

  // Refused keys lose their count; a key no domain serves (or one wider than the caller's
  // components) keeps it. Neither hands out a block.
  for (const auto& [key, comps] : std::vector<std::pair<Int, Int>>{{8000, 3}, {11000, 3}, {12000, 3}, {1000, 2}, {2100, 2}, {10000, 1}, {9999, 3}}) {
    const Int row = 1, inc = 1;
    Int components = comps, block = 0, status = -1;
    ACC_SDB_NODEKEY(&row, &inc, &key, &components, &block, &status);
    EXPECT_EQ(status, 1) << key;
    EXPECT_EQ(block, kNoBlock);
    EXPECT_EQ(components, key == 8000 || key == 11000 || key == 12000 ? 0 : comps) << key;
  }
  const Int row = 9, inc = 0, key = 1000;
  Int components = 3, block = 0, status = -1;
  ACC_SDB_NODEKEY(&row, &inc, &key, &components, &block, &status);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(block, kNoBlock);
}

TEST_F(StepsAndState, RotationalKeysAreServedWithoutRotatingNodes) {
  closeClean();
  for (DomainModel& dm : model_.domains) {
    dm.rotating.clear();
    dm.rotatingPositions.clear();
  }
  // The second domain has no rotational components either: it is passed over.
  model_.domains[1].rotComponents = 0;
  start(model_);
  // Rotational components but no node with them: served, nothing written.
  for (Int key : {2100, 3100, 6100}) checkNodal(2, 1, key);
  // The keys behind an output flag need the nodes as well.
  for (Int key : {4100, 5100}) {
    const Int row = 2, inc = 1;
    Int components = 3, block = 0, status = -1;
    ACC_SDB_NODEKEY(&row, &inc, &key, &components, &block, &status);
    EXPECT_EQ(status, 1) << key;
    EXPECT_EQ(block, kNoBlock);
  }
}

TEST_F(StepsAndState, TenKeysInOnePassEqualTenSingleRequests) {
  std::mt19937 random(12345);
  const std::vector<Int> pool = {200, 1000, 2000, 3000, 4000, 5000, 6000, 2100, 3100, 4100, 5100, 6100, 7000, 8000, 10000};
  for (int round = 0; round < 4; ++round) {
    Int keys[10], components[10], blocks[10], statuses[10];
    for (int j = 0; j < 10; ++j) {
      keys[j] = pool[random() % pool.size()];
      components[j] = 3;
    }
    const Int row = 1 + round % 2, inc = round % 2;
    // Move the open state elsewhere first, so the pass has to open every domain.
    const Int otherRow = 2, otherInc = 1, probe = 92;
    float value = 0;
    Int status = 0;
    ACC_SDB_GLOBKEY(&otherRow, &otherInc, &probe, &value, &status);
    const int before501 = opensOf(61, 501), before502 = opensOf(61, 502);
    ACC_SDB_NODEKEYALL(&row, &inc, keys, components, blocks, statuses);
    EXPECT_EQ(opensOf(61, 501) - before501, 2);
    EXPECT_EQ(opensOf(61, 502) - before502, 2);
    for (int j = 0; j < 10; ++j) {
      Int comps = 3, block = 0, single = -1;
      ACC_SDB_NODEKEY(&row, &inc, &keys[j], &comps, &block, &single);
      EXPECT_EQ(statuses[j], single) << keys[j];
      EXPECT_EQ(components[j], 3) << keys[j];  // no key is refused beforehand; the count stays
      if (single != 0) {
        EXPECT_EQ(blocks[j], kNoBlock);
        continue;
      }
      EXPECT_EQ(reals(blocks[j], 3 * model_.nodes), reals(block, 3 * model_.nodes)) << keys[j];
      REL_GDB_REAL(&block);
      REL_GDB_REAL(&blocks[j]);
    }
  }
  Int keys[10] = {200, 200, 200, 200, 200, 200, 200, 200, 200, 200}, components[10], blocks[10], statuses[10];
  const Int row = 1, inc = 7;
  ACC_SDB_NODEKEYALL(&row, &inc, keys, components, blocks, statuses);
  for (int j = 0; j < 10; ++j) {
    EXPECT_EQ(statuses[j], 2);
    EXPECT_EQ(blocks[j], kNoBlock);
    EXPECT_EQ(components[j], 0);
  }
}

TEST_F(StepsAndState, GlobalReadBetweenNodalReadsNeverLeavesStaleState) {
  checkNodal(1, 1, 2000);
  const Int row = 1, two = 2, key = 92;
  float value = 0.0F;
  Int status = -1;
  ACC_SDB_GLOBKEY(&row, &two, &key, &value, &status);
  ASSERT_EQ(status, 0);
  checkNodal(1, 2, 2000);
  checkNodal(1, 2, 1000);
  // Increment key 0 after a read elsewhere: reopened, not taken for "already open".
  const Int zero = 0;
  ACC_SDB_GLOBKEY(&row, &zero, &key, &value, &status);
  EXPECT_EQ(value, f(model_.steps[0].states[0].globalA[0]));
  checkNodal(1, 0, 2000);
}

TEST_F(StepsAndState, QuaternionsTurnIntoRotationVectors) {
  // Planar: (w, sin) of half the angle; a zero vector part gives a zero vector.
  const double angle = 1.2;
  const float stored[4] = {f(std::cos(angle / 2)), f(std::sin(angle / 2)), 1.0F, 0.0F};
  const Int positions[2] = {2, 1};
  const Int count = 2, one = 1, stride = 2;
  float result[4] = {9.0F, 9.0F, 9.0F, 9.0F};
  ACC_SDB_NODEQUATERNION(&count, &one, &stride, positions, stored, result);
  EXPECT_NEAR(result[2], angle, 1e-6);
  EXPECT_EQ(result[0], 0.0F);
  EXPECT_EQ(result[1], 9.0F);

  // Any count of vector components: the vector part scaled by angle over its length.
  const float wide[5] = {f(std::cos(angle / 2)), 0.0F, f(0.6 * std::sin(angle / 2)), 0.0F, f(0.8 * std::sin(angle / 2))};
  const Int at = 1, four = 4;
  float turned[4] = {9.0F, 9.0F, 9.0F, 9.0F};
  ACC_SDB_NODEQUATERNION(&one, &four, &four, &at, wide, turned);
  EXPECT_EQ(turned[0], 0.0F);
  EXPECT_NEAR(turned[1], 0.6 * angle, 1e-6);
  EXPECT_EQ(turned[2], 0.0F);
  EXPECT_NEAR(turned[3], 0.8 * angle, 1e-6);
}

}  // namespace
}  // namespace importtest
