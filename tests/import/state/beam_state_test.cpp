#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "siblings/eqc/testing.h"
#include "tests/import/import_fixture.h"
#include "tests/import/state/segment_arrays.h"
#include "zmx/import.h"

namespace importtest {
namespace {

using namespace glo_testing;

// A beam class of the given type code with state, in one pass and segments of the given length,
// its elements (labels from firstLabel on) on nodes 1 and 3 of domain 1.
ClassModel beamOf(int code, int elements, int firstLabel, int segment) {
  ClassModel c;
  c.type = 30;
  c.code = code;
  c.groupSize = segment;
  c.typeWord5 = 1;  // one pass
  c.hasState = true;
  for (int e = 0; e < elements; ++e) {
    c.labels.push_back(firstLabel + e);
    c.nodes.push_back({1, 3});
  }
  return c;
}

// A spatial beam class of seven elements on domain 1, one group of two points.
ClassModel beamClass(int segment) {
  ClassModel c = beamOf(12802, 7, 800, segment);
  c.classState.state = {{3, numbered(7, 3, 1.0)}, {4, numbered(7, 3, 1.0)}, {5, Rows(7, {0, 0, 0, 1})}, {8, numbered(7, 1, 500.0)},
                        {29, Rows(7, {2.0, 3.0})}};
  SectionEntry group(2, {}, 0.0);
  group.pointState = {{{1, numbered(7, 2, 100.0)}}, {{1, numbered(7, 2, 200.0)}}};
  group.flags.assign(200, 0);
  c.sections = {group};
  return c;
}

// The sample model made of the given beam classes, the package from word 500.
class BeamState : public ClassKeys<PackageFixture> {
 protected:
  void beginClasses(std::vector<ClassModel> classes) { ClassKeys::beginClasses(model_, std::move(classes), 500); }
  void begin(int segment) { beginClasses({beamClass(segment)}); }
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
  closePackage();
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
  beginClasses({c});
  for (const auto& [key, base] : std::vector<std::pair<Int, float>>{{4000, 41.0F}, {2700, 71.0F}}) {
    const Answer a = ask(key, 2);
    ASSERT_EQ(a.status, 0) << key;
    EXPECT_EQ(a.direct, 1);
    EXPECT_EQ(a.shear, 0);
    EXPECT_EQ(reals(a.index, 3), (std::vector<float>{base, base + 10, base + 20})) << key;
  }
  EXPECT_EQ(ask(7100, 2).status, 1);  // counts that depend on the kind of beam
}

// A beam class of three elements in segments of two, one group of two points, with every array a
// key reads stored (values that name the array, the element and the column), a material of the
// given code that stores its variables 1 to 13, and the flags F(18), F(34), F(42), F(106), F(122).
ClassModel beamKeysClass(int code, bool section, int materialCode) {
  ClassModel c = beamOf(code, 3, 900, 2);
  c.flags = section ? 12713984 : 0;
  const bool spatial = code != 8706;
  Rows rotation;
  for (int e = 0; e < 3; ++e) {
    const double phi = 0.4 + 0.2 * e;
    rotation.push_back(spatial ? std::vector<double>{std::sin(phi / 2), 0, 0, std::cos(phi / 2)}
                               : std::vector<double>{std::cos(phi), std::sin(phi)});
  }
  c.classState.state = {{3, numbered(3, 3, 1)},  {4, numbered(3, 3, 2)},   {5, rotation},          {6, numbered(3, 1, 3)},
                        {7, numbered(3, 1, 4)},  {8, numbered(3, 1, 5)},   {13, numbered(3, 12, 6)}, {14, numbered(3, 1, 7)},
                        {15, numbered(3, 1, 8)}, {16, numbered(3, 1, 0.5)}, {29, Rows(3, {2.0, 3.0})}, {30, numbered(3, 4, 9)}};
  c.classState.shared = {{9, numbered(3, 2, 0.25)}};
  SectionEntry group(2, {}, 0.0);
  std::map<int, Rows> variables;
  for (int i = 1; i <= 13; ++i) variables[i] = numbered(3, 4, 1000.0 * i);
  for (int p = 0; p < 2; ++p) {
    group.pointState.push_back({{1, numbered(3, 2, 100 + 50 * p)}, {3, numbered(3, 4, 600)}, {4, numbered(3, 1, 2)},
                                {28, numbered(3, 4, 300)}});
    group.pointShared.push_back({{22, numbered(3, 1, 800 + 50 * p)}});
    group.materialVariables.push_back(variables);
  }
  group.materialCode = materialCode;
  group.flags.assign(200, 0);
  for (const int flag : {18, 34, 42, 106, 122}) group.flags[static_cast<std::size_t>(flag - 1)] = 1;
  c.sections = {group};
  return c;
}

class BeamKeys : public BeamState {};

// The counts of every key for spatial and planar beams with and without the section flag, and for
// a beam type outside the four codes, and where each key is served: the element-level keys at
// any point, 33000 at both, the point's keys at the point only.
TEST_F(BeamKeys, EveryKeyHasTheCountsOfItsBeamAndIsServedWhereItsValuesAre) {
  beginClasses({beamKeysClass(12802, false, 200), beamKeysClass(12802, true, 200), beamKeysClass(8706, false, 200),
                beamKeysClass(8706, true, 200), beamKeysClass(12802 + 32, false, 200)});
  expectCounts({{{{1, 1}, {1, 1}, {1, 0}, {1, 0}, {0, 0}}, {{2400, 'P'}, {2200, 'N'}, {1000, 'P'}, {1100, 'N'}, {5000, 'N'}}},
                {{{1, 1}, {4, 0}, {1, 0}, {2, 0}, {0, 0}}, {{4200, 'P'}}},
                {{{1, 0}, {3, 0}, {1, 0}, {2, 0}, {1, 0}}, {{2700, 'P'}}},
                {{{1, 0}, {4, 0}, {1, 0}, {2, 0}, {1, 0}}, {{4000, 'P'}}},
                {Counts(5, {1, 0}),
                 {{33000, 'E'}, {3000, 'P'}, {31000, 'E'}, {9200, 'N'}, {19001, 'E'}, {19005, 'E'}, {14004, 'P'}}},
                {{{3, 0}, {3, 0}, {2, 0}, {2, 0}, {0, 0}}, {{7000, 'E'}, {8000, 'E'}}},
                {{{6, 0}, {6, 0}, {2, 0}, {2, 0}, {0, 0}}, {{8500, 'E'}}},
                {{{3, 0}, {3, 0}, {1, 0}, {1, 0}, {0, 0}}, {{7100, 'E'}, {8100, 'E'}}},
                {{}, {{6500, 'N'}, {11000, 'N'}, {4600, 'N'}, {2500, 'N'}}}},
               5);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  refusedBeyondThePackage(8500, 1, 0, 17);  // eighteen words, seventeen left
}

// Column `column` of element e of material variable i of beamKeysClass.
float variable(int i, int e, int column) { return f(1000.0 * i + 10.0 * e + column); }

// The arrays the beam worker receives for one segment of a beam class.
struct BeamArrays : PointArrays {
  BeamArrays(const ClassModel& c, int first, int count) : PointArrays(c.sections[0], first, count) {
    const auto& s = c.classState.state;
    for (const int word : {3, 4, 5, 6, 7, 14, 15, 16, 29, 30}) arrays[word] = segmentOf(s.at(word), first, count);
    shearStrains = segmentOf(c.classState.shared.at(9), first, count);
  }
  std::map<int, std::vector<float>> arrays;
  std::vector<float> shearStrains;
  float sectionReal[20] = {};
};

// The beam worker, called on a segment's arrays, answers each key as the entry does, and both as
// the extraction rules and the material's row say (the section factors are 0 in the builder's
// section record, so the section forces keep only the axial force).
TEST_F(BeamKeys, TheWorkerAnswersAsTheEntryOnTheSameArrays) {
  beginClasses({beamKeysClass(12802, false, 200), beamKeysClass(12802, true, 200), beamKeysClass(8706, false, 200),
                beamKeysClass(8706, true, 200)});
  const auto value = [&](int c, int word, int e, int column) { return f(at(state(c, word), e, column)); };
  const auto point = [&](int c, int word, int e, int column) { return f(at(group(c).pointState[0].at(word), e, column)); };
  const auto spatial = [](int c) { return c <= 2; };
  const auto section = [](int c) { return c % 2 == 0; };
  struct Case {
    Int key, point;
    std::function<std::vector<float>(int c, int e)> want;
  };
  const std::vector<Case> cases = {
      {31000, 0, [&](int c, int e) { return std::vector<float>{value(c, 14, e, 0) * value(c, 15, e, 0) * value(c, 16, e, 0) * value(c, 16, e, 0)}; }},
      {8000, 0, [&](int c, int e) {
         return spatial(c) ? std::vector<float>{value(c, 6, e, 0), value(c, 4, e, 1), value(c, 4, e, 0)}
                           : std::vector<float>{value(c, 6, e, 0), value(c, 4, e, 0)};
       }},
      {7000, 0, [&](int c, int e) {
         return spatial(c) ? std::vector<float>{value(c, 7, e, 0), 0, 0} : std::vector<float>{value(c, 7, e, 0), 0};
       }},
      {8500, 0, [&](int c, int e) {
         const double phi = 0.4 + 0.2 * e;
         if (!spatial(c)) return std::vector<float>{static_cast<float>(std::cos(phi)), static_cast<float>(std::sin(phi))};
         return std::vector<float>{0, static_cast<float>(std::cos(phi)), static_cast<float>(std::sin(phi)), 0,
                                   static_cast<float>(-std::sin(phi)), static_cast<float>(std::cos(phi))};
       }},
      {33000, 1, [&](int, int e) { return std::vector<float>{800.0F + 10.0F * e}; }},
      {2400, 1, [&](int c, int e) {
         return spatial(c) ? std::vector<float>{point(c, 28, e, 0), point(c, 28, e, 1)} : std::vector<float>{point(c, 28, e, 0)};
       }},
      {14001, 1, [&](int c, int e) { return std::vector<float>{point(c, 3, e, 0) * (section(c) ? 1.0F : point(c, 4, e, 0))}; }},
      {1000, 1, [&](int c, int e) {
         return spatial(c) ? std::vector<float>{point(c, 1, e, 0), point(c, 1, e, 1)} : std::vector<float>{point(c, 1, e, 0)};
       }},
      {3000, 1, [&](int, int e) { return std::vector<float>{variable(1, e, 0)}; }},
      {2700, 1, [&](int c, int e) {
         const int columns = !section(c) ? 1 : spatial(c) ? 3 : 2;
         std::vector<float> out;
         for (int k = 0; k < columns; ++k) out.push_back(variable(3, e, k));
         return out;
       }},
      {4000, 1, [&](int c, int e) {
         if (!section(c)) return std::vector<float>{variable(2, e, 0)};
         return spatial(c) ? std::vector<float>{variable(4, e, 0), variable(5, e, 0), variable(6, e, 0), variable(7, e, 0)}
                           : std::vector<float>{variable(4, e, 0), variable(5, e, 0)};
       }},
      {4200, 1, [&](int c, int e) {
         if (section(c))
           return spatial(c) ? std::vector<float>{variable(4, e, 0), variable(5, e, 0), variable(6, e, 0), variable(7, e, 0)}
                             : std::vector<float>{variable(4, e, 0), variable(5, e, 0)};
         return spatial(c) ? std::vector<float>{variable(7, e, 0), 2 * variable(7, e, 1)} : std::vector<float>{variable(7, e, 0)};
       }},
  };
  for (const Case& k : cases)
    for (Int c = 1; c <= 4; ++c) {
      const Answer a = askClass(k.key, c, k.point);
      ASSERT_EQ(a.status, 0) << k.key << " class " << c;
      const Int type = spatial(c) ? 12802 : 8706, flag = section(c) ? 1 : 0;
      const std::string what = std::to_string(k.key) + " class " + std::to_string(c);
      expectWorkerAsEntry(
          what, a.index, a.direct + a.shear, 3,
          [&](int first, Int n, float* answer) {
            BeamArrays w(classOf(c), first, n);
            std::vector<float> work(32);
            Int status = 0;
            ACC_SDB_ELEMKEYBEAMSEG(&k.key, &n, &k.point, &a.direct, &a.shear, &type, &flag, &status, w.arrays[4].data(),
                                   w.arrays[3].data(), w.arrays[5].data(), w.arrays[6].data(), w.arrays[7].data(),
                                   w.arrays[14].data(), w.arrays[15].data(), w.arrays[16].data(), w.arrays[29].data(),
                                   w.arrays[30].data(), w.shearStrains.data(), w.sectionReal, w.pointState.data(),
                                   w.pointShared.data(), w.groupVariables.data(), w.material.data(), w.positions.data(),
                                   w.ownTable.data(), work.data(), answer);
            return status;
          },
          [&](float got, int e, int v) {
            EXPECT_NEAR(got, k.want(c, e)[static_cast<std::size_t>(v)], 1e-6 * (1 + std::fabs(got))) << what << " " << e;
          });
    }
}

// Each material code of a beam reaches its routine: the plastic families pass key 4200's strain
// point-major with doubled shears, the foam, cap and porous families hand it over as they keep it
// (column-major), the user material serves 3000 from P(2); the elastic codes serve nothing here.
TEST_F(BeamKeys, MaterialCodesReachTheirRoutines) {
  struct Row {
    int code, scalar, strain;  // the variables read; 0 none
    bool pointMajor;
  };
  const Row rows[] = {{200, 1, 7, true}, {201, 1, 7, true}, {205, 1, 7, false}, {206, 1, 12, false},
                      {207, 1, 11, false}, {601, 2, 0, false}, {101, 0, 0, false}};
  std::vector<ClassModel> classes;
  for (const Row& row : rows) classes.push_back(beamKeysClass(12802, false, row.code));
  beginClasses(classes);
  for (Int c = 1; c <= static_cast<Int>(std::size(rows)); ++c) {
    const Row& row = rows[c - 1];
    expectVariable(askClass(3000, c, 1), row.scalar, 1, variable, row.code);
    const Answer strain = askClass(4200, c, 1);
    EXPECT_EQ(strain.status, row.strain != 0 ? 0 : 1) << row.code;
    if (row.strain == 0) continue;
    // Segments of two and one element: (11, 12) of each element, or the two columns as stored.
    const std::vector<float> want =
        row.pointMajor ? std::vector<float>{variable(row.strain, 0, 0), 2 * variable(row.strain, 0, 1), variable(row.strain, 1, 0),
                                            2 * variable(row.strain, 1, 1), variable(row.strain, 2, 0), 2 * variable(row.strain, 2, 1)}
                       : std::vector<float>{variable(row.strain, 0, 0), variable(row.strain, 1, 0), variable(row.strain, 0, 1),
                                            variable(row.strain, 1, 1), variable(row.strain, 2, 0), variable(row.strain, 2, 1)};
    EXPECT_EQ(reals(strain.index, 6), want) << row.code;
  }
}

// A store that runs out of room at any block of a beam request refuses the request and keeps none
// of its blocks.
TEST_F(BeamKeys, RoomRunningOutAtAnyBlockRefusesTheRequest) {
  beginClasses({beamKeysClass(12802, false, 200)});
  runOutOfRoom(4200, 1, 1);
}

}  // namespace
}  // namespace importtest
