#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cmath>
#include <functional>
#include <set>
#include <vector>

#include "siblings/eqc/testing.h"
#include "tests/import/import_fixture.h"
#include "tests/import/state/segment_arrays.h"
#include "zmx/import.h"

namespace importtest {
namespace {

using namespace glo_testing;

// Rows of values made from the element number and the column, so each is known.
Rows rows(int elements, int columns, double scale, double shift = 0.0) {
  Rows r;
  for (int e = 0; e < elements; ++e) {
    std::vector<double> row;
    for (int c = 0; c < columns; ++c) row.push_back(shift + scale * (e + 1) + 0.01 * (c + 1));
    r.push_back(row);
  }
  return r;
}

// A shell class of five elements in segments of two, one group of three points with a plastic
// material, on the four nodes of domain 1; and an axisymmetric shell class of three elements.
ClassModel shellClass(int type, int elements) {
  ClassModel c;
  c.type = 20;
  c.code = type;
  c.domain = 1;
  c.groupSize = 2;
  c.hasState = true;
  for (int e = 0; e < elements; ++e) {
    c.labels.push_back(500 + e);
    c.nodes.push_back(type == 13316 ? std::vector<int>{1, 2, 3, 4} : std::vector<int>{1, 2});
    c.rotationalNodes.push_back(type == 13316 ? std::vector<int>{1, 1, 2, 2} : std::vector<int>{1, 2});
  }
  ClassState& s = c.classState;
  s.sectionThickness = 0.25;
  Rows drill, quaternions, gradient;
  for (int e = 0; e < elements; ++e) {
    const double t = 0.2 * (e + 1);
    drill.push_back({std::sin(t / 2), std::cos(t / 2)});
    const Eigen::Quaterniond q(Eigen::AngleAxisd(0.3 * (e + 1), Eigen::Vector3d(1, 0.5, -0.25).normalized()));
    quaternions.push_back(type == 13316 ? std::vector<double>{q.x(), q.y(), q.z(), q.w()}
                                        : std::vector<double>{std::sin(t / 4), std::cos(t / 4)});
    gradient.push_back({1.0 + 0.01 * e, 0.98, 0.9 + 0.02 * e, 0.03, -0.02});
  }
  s.state = {{2, drill}, {3, gradient}, {4, rows(elements, 3, 0.1)}, {5, quaternions}, {7, rows(elements, 3, 10.0)},
             {8, rows(elements, 3, 5.0)}, {10, rows(elements, 2, 1.0)}, {11, rows(elements, 2, 2.0)},
             {18, rows(elements, 4, 3.0)}, {28, rows(elements, 12, 7.0)}, {29, rows(elements, 1, 0.5)}};
  s.shared = {{9, rows(elements, 2, 0.001)}, {21, rows(elements, 12, 4.0)}, {22, rows(elements, 1, 9.0)},
              {26, rows(elements, 2, 6.0)}};
  s.domain = {{33, rows(elements, 1, 0.0)}, {37, rows(elements, 5, 0.0, 1.0)}, {40, rows(elements, 2, 0.0)}};
  SectionEntry group(3, {}, 0.0);
  group.thicknessFlag = 0;
  group.coordinates = {-0.5, 0.0, 0.5};
  group.domainArrays = {{15, rows(elements, 2, 0.0)}, {21, rows(elements, 1, 0.1)}, {31, rows(elements, 2, 0.2)},
                        {32, rows(elements, 1, 0.3)}, {36, rows(elements, 10, 0.4)}, {37, rows(elements, 2, 0.5)}};
  for (int p = 0; p < 3; ++p) {
    group.pointState.push_back({{1, rows(elements, 4, 100.0 * (p + 1))}, {3, rows(elements, 4, 2.0)},
                                {4, rows(elements, 1, 3.0)}, {28, rows(elements, 4, 0.01 * (p + 1))}});
    group.pointShared.push_back({{22, rows(elements, 1, 11.0 * (p + 1))}, {33, rows(elements, 2, 0.0)}});
    group.materialVariables.push_back({{1, rows(elements, 1, 1.5)}, {2, rows(elements, 4, 20.0)},
                                       {7, rows(elements, 4, 0.001 * (p + 1))}});
  }
  group.materialCode = 200;
  group.flags.assign(200, 0);
  group.flags[33] = 1;  // F(34): the plastic strain is stored
  c.sections = {group};
  return c;
}

class ShellState : public ClassKeys<PackageFixture> {
 protected:
  virtual std::vector<ClassModel> classes() const {
    ClassModel stateless = shellClass(13316, 1);
    stateless.type = 41;
    stateless.hasState = false;
    std::vector<ClassModel> c = {shellClass(13316, 5), shellClass(25090, 3), stateless};
    c[1].typeWord24 = 2072;  // small-stretch axisymmetric shells
    return c;
  }
  void SetUp() override {
    ImportFixture::SetUp();
    model_.classes = classes();
    model_.elementSets.clear();
    model_.packageFirstTerm = 2;
    model_.packageSecondTerm = 0;
    startWithPackage(model_);
    std::size_t shellElements = 0;
    for (const ClassModel& c : model_.classes) shellElements += c.type == 20 ? c.labels.size() : 0;
    ASSERT_EQ(RHO_MAN_COMMONI.w[19], static_cast<Int>(16 * shellElements + 2));
  }
  Answer ask(Int key, Int elementClass, Int point, Int row = 2, Int increment = 1) {
    return askElement(key, elementClass, point, row, increment);
  }
  const ClassModel& shell() const { return model_.classes[0]; }
  const Rows& stateRows(int c, int word) const { return model_.classes[static_cast<std::size_t>(c)].classState.state.at(word); }
};

TEST_F(ShellState, FiveElementsInSegmentsOfTwoGiveFiveRows) {
  const Answer a = ask(30000, 1, 0);
  ASSERT_EQ(a.status, 0);
  EXPECT_EQ(a.direct, 3);
  EXPECT_EQ(a.shear, 2);
  const Rows& F = stateRows(0, 3);
  for (int e = 0; e < 5; ++e)
    for (int k = 0; k < 5; ++k) EXPECT_EQ(realAt(a.index, 5 * e + k + 1), f(F[static_cast<std::size_t>(e)][static_cast<std::size_t>(k)])) << e;
  EXPECT_EQ(RHO_MAN_COMMONI.w[2], 25);  // the fill counter moved on by c N
  EXPECT_TRUE(eqc_testing::messages().empty());
}

TEST_F(ShellState, DirectorsGiveNineValuesAndThreeDirectComponents) {
  const Answer a = ask(11000, 1, 0);
  ASSERT_EQ(a.status, 0);
  EXPECT_EQ(a.direct, 3);
  EXPECT_EQ(a.shear, 0);
  for (int e = 0; e < 5; ++e) {
    const auto& q = stateRows(0, 5)[static_cast<std::size_t>(e)];
    const auto& drill = stateRows(0, 2)[static_cast<std::size_t>(e)];
    const Eigen::Matrix3d R = Eigen::Quaterniond(q[3], q[0], q[1], q[2]).toRotationMatrix();
    const double angle = 2 * std::atan2(drill[0], drill[1]);
    const Eigen::Matrix3d T = Eigen::AngleAxisd(angle, R.col(2)).toRotationMatrix() * R;
    for (int c = 0; c < 3; ++c)
      for (int r = 0; r < 3; ++r) EXPECT_NEAR(realAt(a.index, 9 * e + 3 * c + r + 1), T(r, c), 3e-6);
  }
}

TEST_F(ShellState, ThicknessOfAxisymmetricShellsIsScaledButTheFactorKeyIsNot) {
  const float overTwoPi = 0.15915494F;
  const Answer thickness = ask(8900, 2, 0), stretched = ask(9000, 2, 0), factor = ask(31000, 2, 0);
  ASSERT_EQ(thickness.status, 0);
  ASSERT_EQ(stretched.status, 0);
  ASSERT_EQ(factor.status, 0);
  for (int e = 0; e < 3; ++e) {
    const float F33 = f(stateRows(1, 3)[static_cast<std::size_t>(e)][2]), area = f(stateRows(1, 29)[static_cast<std::size_t>(e)][0]);
    EXPECT_FLOAT_EQ(realAt(thickness.index, e + 1), 0.25F * overTwoPi);
    EXPECT_FLOAT_EQ(realAt(stretched.index, e + 1), 0.25F * F33 * overTwoPi);
    EXPECT_FLOAT_EQ(realAt(factor.index, e + 1), 0.25F * F33 * area);
  }
  EXPECT_EQ(ask(8900, 2, 1).status, 1);  // thickness keys at element level only
  EXPECT_EQ(ask(3100, 2, 0).status, 1);  // a key of type 13316 only
  EXPECT_EQ(ask(9700, 2, 0).status, 1);  // nothing would be written for 25090
  EXPECT_EQ(ask(7000, 2, 0).status, 1);  // small-stretch forces need three values a row, 25090 has two
}

TEST_F(ShellState, PointStressAndPlasticStrainOfAPoint) {
  const Answer stress = ask(1000, 1, 2);
  ASSERT_EQ(stress.status, 0);
  EXPECT_EQ(stress.direct, 2);
  EXPECT_EQ(stress.shear, 1);
  const Rows& S = shell().sections[0].pointState[1].at(1);
  for (int e = 0; e < 5; ++e) {
    const auto& s = S[static_cast<std::size_t>(e)];
    EXPECT_EQ(realAt(stress.index, 3 * e + 1), f(s[0]));
    EXPECT_EQ(realAt(stress.index, 3 * e + 2), f(s[1]));
    EXPECT_EQ(realAt(stress.index, 3 * e + 3), f(s[2]));  // stored as 11, 22, 12
  }
  const Answer plastic = ask(4600, 1, 1);
  ASSERT_EQ(plastic.status, 0);
  const Rows& total = shell().sections[0].pointState[0].at(28);
  const Rows& stored = shell().sections[0].materialVariables[0].at(7);
  for (int e = 0; e < 5; ++e) {
    const auto& t = total[static_cast<std::size_t>(e)];
    const auto& p = stored[static_cast<std::size_t>(e)];
    EXPECT_FLOAT_EQ(realAt(plastic.index, 3 * e + 1), f(t[0]) - f(p[0]));
    EXPECT_FLOAT_EQ(realAt(plastic.index, 3 * e + 2), f(t[1]) - f(p[1]));
    EXPECT_FLOAT_EQ(realAt(plastic.index, 3 * e + 3), 2 * (f(t[3]) - f(p[3])));
  }
}

TEST_F(ShellState, RefusalsLeaveTheFillCounterAndOneDomainOpensItsStateOnce) {
  const int opens = opensOf(61, 501);
  ask(30000, 1, 0);
  const Int fill = RHO_MAN_COMMONI.w[2];
  const Int offset = indexOffset();
  // Refused before the answer is placed: counts 0, and the index only gets the offset.
  for (const auto& [key, point] : std::vector<std::pair<Int, Int>>{{12345, 1}, {8000, 9}, {6500, 1}}) {
    const Answer a = ask(key, 1, point);
    EXPECT_EQ(a.status, 1) << key;
    EXPECT_EQ(a.index, offset);
    EXPECT_EQ(a.direct + a.shear, 0);
    EXPECT_EQ(RHO_MAN_COMMONI.w[2], fill);
  }
  // Refused inside the segments: the counts and the place of the unclaimed answer stay.
  const Answer inside = ask(1000, 1, 0);
  EXPECT_EQ(inside.status, 1);
  EXPECT_EQ(inside.index, RHO_MAN_COMMONI.w[1] + fill + offset);
  EXPECT_EQ(inside.direct, 2);
  EXPECT_EQ(inside.shear, 1);
  EXPECT_EQ(RHO_MAN_COMMONI.w[2], fill);
  // A class without element state is not reached by a kind routine: counts and index are not written.
  const Answer stateless = ask(30000, 3, 0);
  EXPECT_EQ(stateless.status, 1);
  EXPECT_EQ(stateless.direct, -1);
  EXPECT_EQ(stateless.index, offset);
  const Answer late = ask(30000, 1, 0, 1, 3);
  EXPECT_EQ(late.status, 2);
  EXPECT_EQ(late.index, kNoBlock);
  EXPECT_EQ(late.direct, -1);
  ask(8100, 2, 0);
  EXPECT_EQ(opensOf(61, 501) - opens, 1);  // both classes live in domain 1, one increment
  EXPECT_EQ(ask(30000, 1, 0, 0, 0).status, 2);
  EXPECT_EQ(ask(30000, 1, 0, 1, -1).status, 2);
  EXPECT_EQ(ask(30000, 4, 0).status, 1);
  // The package holds 130 words: 25 a request, so the sixth request of 30000 does not fit.
  RHO_MAN_COMMONI.w[2] = 0;
  for (int k = 0; k < 5; ++k) EXPECT_EQ(ask(30000, 1, 0).status, 0);
  EXPECT_EQ(RHO_MAN_COMMONI.w[2], 125);
  EXPECT_EQ(ask(30000, 1, 0).status, 1);
  EXPECT_EQ(RHO_MAN_COMMONI.w[2], 125);
}

// Corner arrays (n, 12) of the shell class's elements from nodal values of domain 1.
std::vector<float> cornersOf(const glo_testing::ClassModel& c, int elements, const std::vector<glo_testing::Vec3>& x) {
  std::vector<float> corners(static_cast<std::size_t>(12 * elements));
  for (int e = 0; e < elements; ++e)
    for (int k = 0; k < 4; ++k)
      for (int d = 0; d < 3; ++d)
        corners[static_cast<std::size_t>(e + elements * (4 * d + k))] =
            f(x[static_cast<std::size_t>(c.nodes[static_cast<std::size_t>(e)][static_cast<std::size_t>(k)] - 1)][static_cast<std::size_t>(d)]);
  return corners;
}

std::vector<float> column(const glo_testing::Rows& rows, int elements) {
  std::vector<float> out;
  const std::size_t columns = rows.front().size();
  for (std::size_t c = 0; c < columns; ++c)
    for (int e = 0; e < elements; ++e) out.push_back(f(rows[static_cast<std::size_t>(e)][c]));
  return out;
}

TEST_F(ShellState, HourglassForcesAndRotationalMeasuresGatherTheRightNodes) {
  // Current corners: local coordinates plus the displacement of step row 2, increment 1.
  const DomainModel& d = model_.domains[0];
  const DomainState& state = model_.steps[1].states[1].domains[0];
  std::vector<Vec3> current;
  for (std::size_t i = 0; i < d.local.size(); ++i)
    current.push_back({f(d.local[i][0]) + f(state.displacement[i][0]), f(d.local[i][1]) + f(state.displacement[i][1]),
                       f(d.local[i][2]) + f(state.displacement[i][2])});
  const ClassModel& c = shell();
  const std::vector<float> drill = column(c.classState.state.at(2), 5), q = column(c.classState.state.at(5), 5),
                           area = column(c.classState.state.at(29), 5), hg = column(c.classState.state.at(10), 5),
                           flags = column(c.classState.domain.at(33), 5);
  // One call over the whole class gives the same forces as the segments of two.
  std::vector<float> want(60), measures(10);
  const Int n = 5;
  std::vector<float> corners = cornersOf(c, 5, current);
  EDI_UTI_S3DQ4HGFORCE(&n, hg.data(), corners.data(), area.data(), want.data(), drill.data(), q.data());
  const Answer forces = ask(9800, 1, 0);
  ASSERT_EQ(forces.status, 0);
  EXPECT_EQ(forces.direct, 12);
  for (int k = 0; k < 60; ++k) EXPECT_FLOAT_EQ(realAt(forces.index, k + 1), want[static_cast<std::size_t>(k)]) << k;

  // Reference corners and the nodal quaternions of the rotating nodes (1, 1, 2, 2 of each element).
  corners = cornersOf(c, 5, d.local);
  std::vector<float> nodal(80);
  for (int e = 0; e < 5; ++e)
    for (int k = 0; k < 4; ++k) {
      const auto& r = state.rotation[static_cast<std::size_t>(c.rotationalNodes[static_cast<std::size_t>(e)][static_cast<std::size_t>(k)] - 1)];
      for (int comp = 0; comp < 4; ++comp) nodal[static_cast<std::size_t>(e + 5 * (4 * comp + k))] = f(r[static_cast<std::size_t>(comp)]);
    }
  EDI_UTI_S3DQ4ROTHGMAGNITUDE(&n, corners.data(), measures.data(), flags.data(), nodal.data());
  const Answer rotational = ask(3100, 1, 0);
  ASSERT_EQ(rotational.status, 0);
  for (int k = 0; k < 10; ++k) EXPECT_FLOAT_EQ(realAt(rotational.index, k + 1), measures[static_cast<std::size_t>(k)]) << k;
}

// Every key of the shell table at the element level and at each point of the group: the keys that
// read no point data are served whatever the point, and no served key is refused for the room of
// arrays it does not read.
TEST_F(ShellState, EveryKeyOfTheTableIsServedWhereItsValuesAreStored) {
  const std::set<Int> elementLevel = {3100,  7000,  7100,  8000,  8100,  8400,  8500,  9100,  9400,  9500,
                                      9600,  9700,  9800,  9900,  11000, 15000, 16000, 17000, 18000, 19001,
                                      19002, 19003, 19005, 19006};
  const std::set<Int> pointOnly = {1000, 2400, 3000, 4000, 4200, 4600, 14001, 14002, 14004};
  const std::set<Int> atZero = {8900, 9000, 30000, 31000, 33000};
  std::set<Int> keys = {1100, 5000, 2200, 2300, 2500, 2700, 9302, 9200, 6500};
  keys.insert(elementLevel.begin(), elementLevel.end());
  keys.insert(pointOnly.begin(), pointOnly.end());
  keys.insert(atZero.begin(), atZero.end());
  for (const Int point : {0, 1, 2, 3})
    for (const Int key : keys) {
      RHO_MAN_COMMONI.w[2] = 0;
      const bool served = elementLevel.count(key) != 0 || (point == 0 ? atZero.count(key) != 0
                                                                      : pointOnly.count(key) != 0 || key == 33000);
      EXPECT_EQ(ask(key, 1, point).status, served ? 0 : 1) << key << " at point " << point;
    }
}

// A rebar layer in a class of eight-node elements: the rebar keys hold for every type code and
// read no corner of the elements.
class EightNodeRebar : public ShellState {
 protected:
  std::vector<ClassModel> classes() const override {
    ClassModel c = shellClass(13316, 3);
    c.code = 13320;
    for (auto& nodes : c.nodes) nodes = {1, 2, 3, 4, 4, 3, 2, 1};
    for (auto& nodes : c.rotationalNodes) nodes = {1, 1, 2, 2, 2, 2, 1, 1};
    c.sections[0].kind = 1;
    return {c};
  }
};

TEST_F(EightNodeRebar, RebarKeysAreServed) {
  for (const Int key : {1000, 2400, 4000, 14001, 14002, 14004, 27100, 27000}) {
    const Answer a = ask(key, 1, 2);
    EXPECT_EQ(a.status, 0) << key;
    EXPECT_EQ(a.direct, key == 27000 ? 2 : 1) << key;
  }
  const Answer stress = ask(1000, 1, 2);
  const Rows& stored = model_.classes[0].sections[0].pointState[1].at(1);
  for (int e = 0; e < 3; ++e) EXPECT_EQ(realAt(stress.index, e + 1), f(stored[static_cast<std::size_t>(e)][0]));
}

// A material whose routine keeps no strain (brittle cracking) still gives key 4600 as the total
// strain of the point, and reports it served.
class BrittleShell : public ShellState {
 protected:
  std::vector<ClassModel> classes() const override {
    ClassModel c = shellClass(13316, 5);
    c.sections[0].materialCode = 208;
    return {c};
  }
};

TEST_F(BrittleShell, TotalStrainIsServed) {
  const Answer a = ask(4600, 1, 1);
  ASSERT_EQ(a.status, 0);
  const Rows& total = shell().sections[0].pointState[0].at(28);
  for (int e = 0; e < 5; ++e) {
    const auto& t = total[static_cast<std::size_t>(e)];
    EXPECT_EQ(reals(a.index + 3 * e, 3), (std::vector<float>{f(t[0]), f(t[1]), 2 * f(t[3])})) << e;
  }
  EXPECT_EQ(RHO_MAN_COMMONI.w[2], 15);
}

// The arrays the shell worker receives for one segment of a shell class.
struct ShellArrays : PointArrays {
  ShellArrays(const ClassModel& c, int first, int count) : PointArrays(c.sections[0], first, count) {
    for (const auto* arrays : {&c.classState.state, &c.classState.shared, &c.classState.domain})
      for (const auto& [word, rows] : *arrays) (arrays == &c.classState.state ? state : arrays == &c.classState.shared ? shared : domain)[word] = segmentOf(rows, first, count);
    section[9] = static_cast<float>(c.classState.sectionThickness);
    coordinates = c.sections[0].coordinates;
  }
  std::map<int, std::vector<float>> state, shared, domain;
  float section[20] = {};
  std::vector<double> coordinates;
};

// The shell worker, called on a segment's arrays, answers each key as the entry does for that
// segment, and both answer as the tables say where the value is formed here: the thickness keys,
// the nodal vectors node by node, the point's product, stress and value.
TEST_F(ShellState, TheWorkerAnswersAsTheEntryOnTheSameArrays) {
  const ClassModel& c = shell();
  const auto state = [&](int word, int e, int column) { return f(c.classState.state.at(word)[static_cast<std::size_t>(e)][static_cast<std::size_t>(column)]); };
  const auto point = [&](int word, int e, int column) { return f(c.sections[0].pointState[0].at(word)[static_cast<std::size_t>(e)][static_cast<std::size_t>(column)]); };
  struct Case {
    Int key, point, storedDirect, storedShear;
    std::function<std::vector<float>(int e)> want;
  };
  const std::vector<Case> cases = {
      {8900, 0, 1, 0, [&](int) { return std::vector<float>{0.25F}; }},
      {9000, 0, 1, 0, [&](int e) { return std::vector<float>{0.25F * state(3, e, 2)}; }},
      {31000, 0, 1, 0, [&](int e) { return std::vector<float>{0.25F * state(3, e, 2) * state(29, e, 0)}; }},
      {8400, 0, 12, 0, [&](int e) {
         std::vector<float> out;
         for (int j = 0; j < 4; ++j)
           for (int k = 0; k < 3; ++k) out.push_back(f(c.classState.shared.at(21)[static_cast<std::size_t>(e)][static_cast<std::size_t>(j + 4 * k)]));
         return out;
       }},
      {14002, 1, 1, 0, [&](int e) { return std::vector<float>{point(3, e, 1) * point(4, e, 0)}; }},
      {1000, 1, 2, 1, [&](int e) { return std::vector<float>{point(1, e, 0), point(1, e, 1), point(1, e, 2)}; }},
      {33000, 1, 1, 0, [&](int e) { return std::vector<float>{f(c.sections[0].pointShared[0].at(22)[static_cast<std::size_t>(e)][0])}; }},
      {9100, 0, 12, 0, nullptr}, {8100, 0, 3, 0, nullptr},  {7100, 0, 3, 0, nullptr},
      {9400, 0, 1, 0, nullptr},  {9700, 0, 5, 0, nullptr},  {9600, 0, 2, 0, nullptr},  {9500, 0, 6, 0, nullptr},
      {8500, 0, 6, 0, nullptr},  {7000, 0, 5, 0, nullptr},  {15000, 0, 2, 0, nullptr}, {16000, 0, 2, 0, nullptr},
      {17000, 0, 10, 0, nullptr}, {18000, 0, 2, 0, nullptr}, {11000, 0, 3, 0, nullptr}, {2400, 1, 3, 1, nullptr},
      {3000, 1, 1, 0, nullptr},  {4600, 1, 3, 1, nullptr},  {4000, 1, 1, 0, nullptr},
  };
  for (const Case& k : cases) {
    RHO_MAN_COMMONI.w[2] = 0;
    const Answer a = ask(k.key, 1, k.point);
    ASSERT_EQ(a.status, 0) << k.key;
    const std::string what = std::to_string(k.key);
    const auto segment = [&](int first, Int n, float* answer) {
      ShellArrays w(c, first, n);
      const Int zero = 0, three = 3, two = 2, nodes = 4, type = 13316, K1 = 3, K2 = 4, flag = 0;
      const Int nodeLists[2] = {1, 1};
      const Int segmentIntegers[8] = {1, 1, 2, 2, 3, 3, 4, 4};
      const float coordinates[3] = {f(w.coordinates[0]), f(w.coordinates[1]), f(w.coordinates[2])};
      std::vector<float> scratch(64 * 4, 0.0F), second(16, 0.0F);
      Int status = 0;
      ACC_SDB_ELEMKEYSHELLSEG(&k.key, &n, &zero, &a.direct, &k.storedDirect, &a.shear, &k.storedShear, &three, &two, &k.point,
                              &type, &status, &zero, &zero, w.state[2].data(), w.state[5].data(), w.state[3].data(),
                              w.state[29].data(), w.shared[9].data(), w.shared[26].data(), w.state[7].data(),
                              w.state[4].data(), w.state[8].data(), w.state[18].data(), w.shared[21].data(), &flag,
                              w.domain[40].data(), w.domain[37].data(), w.state[10].data(), w.state[11].data(), &nodes,
                              &K1, &K2, &K2, coordinates, nodeLists, w.section, w.pointShared.data(),
                              w.pointState.data(), w.groupVariables.data(), w.material.data(), answer,
                              w.positions.data(), &zero, w.groupDomain.data(), segmentIntegers, scratch.data(),
                              second.data(), scratch.data() + 64, nullptr, nullptr, &zero, &zero, scratch.data() + 128,
                              scratch.data() + 192, w.ownTable.data(), w.ownTable.data(), w.domain[33].data());
      return status;
    };
    expectWorkerAsEntry(what, a.index, k.key == 11000 ? 9 : a.direct + a.shear, 5, segment, [&](float got, int e, int v) {
      if (k.want) {
        EXPECT_FLOAT_EQ(got, k.want(e)[static_cast<std::size_t>(v)]) << what << " element " << e;
      }
    });
  }
  // A type without directors is not served them by the worker.
  const Int key = 11000, n = 1, zero = 0, three = 3, other = 15368;
  Int status = 0;
  float answer[9] = {};
  ACC_SDB_ELEMKEYSHELLSEG(&key, &n, &zero, &three, &three, &zero, &zero, &three, &zero, &zero, &other, &status, &zero,
                          &zero, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, &zero, nullptr, nullptr, nullptr, nullptr, &zero, &zero, &zero, &zero, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr, answer, nullptr, &zero, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, &zero, &zero, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(status, 1);
}

// Shells of each material code: the strain families give the total strain less the kept strain
// and the kept strain itself, the elastic families serve their thermal strain and give the total
// strain for 4600, the hyperelastic codes the total strain for 4200 and 4600, the equation-of-state
// codes for 4600 alone, the user material 3000 from P(2); an unknown code serves nothing.
class ShellMaterials : public ShellState {
 protected:
  struct Row {
    int code, scalar, thermal, kept;  // variables read (0 none); kept -1: 4200 is the total strain
    bool totalFor4600;
  };
  static constexpr Row kRows[] = {{200, 1, 5, 7, false},   {201, 1, 6, 7, false},  {205, 1, 6, 7, false},
                                  {206, 1, 0, 12, false},  {207, 1, 10, 11, false}, {208, 0, 13, 0, true},
                                  {101, 0, 3, 0, true},    {103, 0, 3, 0, true},    {111, 0, 3, 0, true},
                                  {105, 0, 0, -1, true},   {121, 0, 0, -1, true},   {301, 0, 0, 0, true},
                                  {601, 2, 0, 0, true},    {999, 0, 0, 0, false}};
  std::vector<ClassModel> classes() const override {
    std::vector<ClassModel> out;
    for (const Row& row : kRows) {
      ClassModel c = shellClass(13316, 3);
      SectionEntry& g = c.sections[0];
      g.materialCode = row.code;
      for (auto& variables : g.materialVariables)
        for (int i = 1; i <= 13; ++i) variables[i] = rows(3, 4, 1000.0 * i);
      for (const int flag : {34, 42, 58, 66, 74, 82, 98, 106, 122, 170, 18}) g.flags[static_cast<std::size_t>(flag - 1)] = 1;
      out.push_back(c);
    }
    return out;
  }
};

TEST_F(ShellMaterials, EachCodeReachesItsRoutineAndStrains) {
  for (Int c = 1; c <= static_cast<Int>(std::size(kRows)); ++c) {
    const Row& row = kRows[c - 1];
    const auto variable = [&](int i, int e, int column) { return materialVariable(c, i, e, column); };
    const auto ask1 = [&](Int key) {
      RHO_MAN_COMMONI.w[2] = 0;
      return ask(key, c, 1);
    };
    expectVariable(ask1(3000), row.scalar, 1, variable, row.code);
    expectVariable(ask1(2700), row.thermal, 3, variable, row.code);
    const Answer strain = ask1(4600);
    const bool served4600 = row.kept > 0 || row.totalFor4600;
    EXPECT_EQ(strain.status, served4600 ? 0 : 1) << row.code;
    for (int e = 0; e < 3 && served4600; ++e)
      EXPECT_EQ(reals(strain.index + 3 * e, 3), strainLess(c, e, [&](int k) { return row.kept > 0 ? variable(row.kept, e, k) : 0.0F; }))
          << row.code;
    const Answer kept = ask1(4200);
    EXPECT_EQ(kept.status, row.kept != 0 ? 0 : 1) << row.code;
    for (int e = 0; e < 3 && row.kept > 0; ++e)
      EXPECT_EQ(reals(kept.index + 3 * e, 3),
                (std::vector<float>{variable(row.kept, e, 0), variable(row.kept, e, 1), 2 * variable(row.kept, e, 3)}))
          << row.code;
    for (int e = 0; e < 3 && row.kept < 0; ++e)
      EXPECT_EQ(reals(kept.index + 3 * e, 3), strainLess(c, e, [](int) { return 0.0F; })) << row.code;
  }
}

// A group with its own orientation turns the point's strain back by its orientation pair before
// the copy; the section-array keys are refused for a material 104 and a section whose word 12 is
// not 0; the rebar angles are refused at the element level.
class OrientedShells : public ShellState {
 protected:
  std::vector<ClassModel> classes() const override {
    ClassModel oriented = shellClass(13316, 3), material104 = shellClass(13316, 3), word12 = shellClass(13316, 3),
               rebar = shellClass(13316, 3);
    oriented.sections[0].orientation = 1;
    oriented.sections[0].domainArrays.at(15) = Rows(3, {std::sin(0.35), std::cos(0.35)});
    material104.sections[0].materialCode = 104;
    word12.classState.sectionWord12 = 1.0;
    rebar.sections[0].kind = 1;
    return {oriented, material104, word12, rebar};
  }
};

TEST_F(OrientedShells, OrientationTurnsTheStrainAndSectionArraysNeedAPlainSection) {
  const Answer a = ask(2400, 1, 2);
  ASSERT_EQ(a.status, 0);
  const double c = std::cos(0.7), s = -std::sin(0.7);  // the inverse turn
  for (int e = 0; e < 3; ++e) {
    const auto S = [&](int column) { return model_.classes[0].sections[0].pointState[1].at(28)[static_cast<std::size_t>(e)][static_cast<std::size_t>(column)]; };
    const double want[3] = {c * c * S(0) - 2 * c * s * S(3) + s * s * S(1), s * s * S(0) + 2 * c * s * S(3) + c * c * S(1),
                            2 * ((c * c - s * s) * S(3) - c * s * (S(1) - S(0)))};
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(realAt(a.index, 3 * e + k + 1), want[k], 1e-6) << e << " " << k;
  }
  EXPECT_EQ(ask(17000, 1, 0).status, 0);
  for (const Int key : {17000, 18000}) {
    EXPECT_EQ(ask(key, 2, 0).status, 1) << key;
    EXPECT_EQ(ask(key, 3, 0).status, 1) << key;
  }
  const Answer angles = ask(27000, 4, 0);
  EXPECT_EQ(angles.status, 1);
  EXPECT_EQ(angles.direct, 2);
  EXPECT_EQ(ask(3000, 4, 1).status, 1);  // not a key of rebar layers
}

// A store that runs out of room at any block of a shell request refuses the request and keeps none
// of its blocks.
TEST_F(ShellState, RoomRunningOutAtAnyBlockRefusesTheRequest) { runOutOfRoom(4600, 1, 1); }

// A host whose class variable table puts the element array of the column keys beyond the segment
// is refused, and told so.
TEST_F(ShellState, AHostTableDamagedAtTheColumnArrayIsRefused) {
  ASSERT_EQ(ask(19002, 1, 0).status, 0);  // the class's increment is open
  HostTables host(work());
  const std::vector<float> nodes(16, 0.0F);
  const Int K = 1, key = 19002, point = 0, zero = 0, noRestart[51] = {};
  const auto askHost = [&] {
    Int direct = -1, shear = -1, index = 0, status = -1;
    ACC_SDB_ELEMKEYSHELL(&key, &point, &direct, &shear, &zero, &index, &status, noRestart, nullptr, nullptr, nullptr,
                         nullptr, host.classReals(1), nullptr, nullptr, nullptr, nullptr, nodes.data(), nodes.data(),
                         nodes.data(), &K, &K, &K, host.table.data(), &zero, &host.classWord(1, 8));
    return status;
  };
  EXPECT_EQ(askHost(), 0);
  host.table[static_cast<std::size_t>(host.typeWord(1, 8) + 28 - 2)] = 1 << 28;
  EXPECT_EQ(askHost(), 1);
  EXPECT_GT(eqc_testing::countAtLevel(-3), 0);
  eqc_testing::clearMessages();
}

}  // namespace
}  // namespace importtest
