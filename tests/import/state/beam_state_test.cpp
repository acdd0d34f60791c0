#include <gtest/gtest.h>

#include <vector>

#include "siblings/eqc/testing.h"
#include "tests/import/import_fixture.h"
#include "zmx/import.h"

namespace importtest {
namespace {

using namespace glo_testing;

Rows numbered(int elements, int columns, double base) {
  Rows r;
  for (int e = 0; e < elements; ++e) {
    std::vector<double> row;
    for (int c = 0; c < columns; ++c) row.push_back(base + 10.0 * e + c);
    r.push_back(row);
  }
  return r;
}

// A spatial beam class of seven elements on domain 1, one group of two points.
ClassModel beamClass(int segment) {
  ClassModel c;
  c.type = 30;
  c.code = 12802;
  c.groupSize = segment;
  c.typeWord5 = 1;  // one pass
  c.hasState = true;
  for (int e = 0; e < 7; ++e) {
    c.labels.push_back(800 + e);
    c.nodes.push_back({1, 3});
  }
  c.classState.state = {{3, numbered(7, 3, 1.0)}, {4, numbered(7, 3, 1.0)}, {5, Rows(7, {0, 0, 0, 1})}, {8, numbered(7, 1, 500.0)},
                        {29, Rows(7, {2.0, 3.0})}};
  SectionEntry group(2, {}, 0.0);
  group.pointState = {{{1, numbered(7, 2, 100.0)}}, {{1, numbered(7, 2, 200.0)}}};
  group.flags.assign(200, 0);
  c.sections = {group};
  return c;
}

class BeamState : public ImportFixture {
 protected:
  void begin(int segment) {
    model_.classes = {beamClass(segment)};
    model_.elementSets.clear();
    model_.packageFirstTerm = 500;
    startSample();
    EDI_ACC_TEMPORARYPACKAGE();
  }
  void TearDown() override {
    EDI_REL_TEMPORARYPACKAGE();
    closeClean();
    ImportFixture::TearDown();
  }
  using Answer = ElementAnswer;
  Answer ask(Int key, Int point) { return askElement(key, 1, point); }
};

TEST_F(BeamState, DirectionsMomentsAndStressOfSpatialBeams) {
  begin(3);
  const Answer directions = ask(8500, 0);
  ASSERT_EQ(directions.status, 0);
  EXPECT_EQ(directions.direct, 6);
  for (int e = 0; e < 7; ++e) EXPECT_EQ(reals(directions.index + 6 * e, 6), (std::vector<float>{0, 1, 0, 0, 0, 1}));
  const Answer moments = ask(7100, 0);
  ASSERT_EQ(moments.status, 0);
  for (int e = 0; e < 7; ++e) {
    const float m1 = 1.0F + 10.0F * static_cast<float>(e);
    EXPECT_EQ(reals(moments.index + 3 * e, 3), (std::vector<float>{m1 + 1, m1 + 2, m1}));  // second and third first
  }
  const Answer curvatures = ask(8100, 0);
  ASSERT_EQ(curvatures.status, 0);
  EXPECT_FLOAT_EQ(realAt(curvatures.index, 3), 1.5F * 1.0F);  // lengths 2 and 3: r = 1.5
  const Answer stress = ask(1000, 2);
  ASSERT_EQ(stress.status, 0);
  EXPECT_EQ(stress.direct, 1);
  EXPECT_EQ(stress.shear, 1);
  EXPECT_EQ(reals(stress.index, 4), (std::vector<float>{200, 201, 210, 211}));
  const Answer value = ask(33000, 0);
  EXPECT_EQ(realAt(value.index, 7), 560.0F);
  EXPECT_TRUE(eqc_testing::messages().empty());
}

TEST_F(BeamState, SegmentLengthDoesNotChangeTheAnswer) {
  begin(2);
  const Answer shortSegments = ask(7100, 0);
  const std::vector<float> first = reals(shortSegments.index, 21);
  EDI_REL_TEMPORARYPACKAGE();
  closeClean();
  begin(7);
  const Answer oneSegment = ask(7100, 0);
  EXPECT_EQ(reals(oneSegment.index, 21), first);
}

TEST_F(BeamState, PointsBeyondTheGroupAndUnservedKeys) {
  begin(3);
  const Int fill = RHO_MAN_COMMONI.w[2];
  const Int offset = indexOffset();
  // Beyond the group's points nothing else happens: counts and index are not written.
  const Answer beyond = ask(1000, 3);
  EXPECT_EQ(beyond.status, 2);
  EXPECT_EQ(beyond.direct, -1);
  EXPECT_EQ(beyond.index, offset);
  for (const auto& [key, point] : std::vector<std::pair<Int, Int>>{{4600, 1}, {11000, 1}, {1000, 0}, {2700, 1}}) {
    const Answer a = ask(key, point);
    EXPECT_EQ(a.status, 1) << key;
  }
  EXPECT_EQ(RHO_MAN_COMMONI.w[2], fill);
}

// The thermal strain and the stress of a plastic beam material read (1, 0) for both kinds of beam
// without the section flag, so a beam type outside the four known codes is served them too.
TEST_F(BeamState, KeysOfOneValueServeEveryBeamType) {
  ClassModel c = beamClass(3);
  c.code = 12802 + 32;  // two nodes, like 12802
  SectionEntry& group = c.sections[0];
  group.materialCode = 200;
  group.flags[33] = 1;  // F(34): the stress is kept with the strain
  group.flags[17] = 1;  // F(18): the thermal strain is stored
  group.materialVariables = {{{2, numbered(7, 1, 40.0)}, {3, numbered(7, 1, 70.0)}},
                             {{2, numbered(7, 1, 41.0)}, {3, numbered(7, 1, 71.0)}}};
  model_.classes = {c};
  model_.elementSets.clear();
  model_.packageFirstTerm = 500;
  startSample();
  EDI_ACC_TEMPORARYPACKAGE();
  for (const auto& [key, base] : std::vector<std::pair<Int, float>>{{4000, 41.0F}, {2700, 71.0F}}) {
    const Answer a = ask(key, 2);
    ASSERT_EQ(a.status, 0) << key;
    EXPECT_EQ(a.direct, 1);
    EXPECT_EQ(a.shear, 0);
    EXPECT_EQ(reals(a.index, 3), (std::vector<float>{base, base + 10, base + 20})) << key;
  }
  EXPECT_EQ(ask(7100, 2).status, 1);  // counts that depend on the kind of beam
}

}  // namespace
}  // namespace importtest
