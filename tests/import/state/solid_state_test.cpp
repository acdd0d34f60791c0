#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cmath>
#include <functional>
#include <vector>

#include "siblings/eqc/testing.h"
#include "siblings/glo/block_store.h"
#include "tests/import/import_fixture.h"
#include "tests/import/state/segment_arrays.h"
#include "zmx/import.h"

namespace importtest {
namespace {

using namespace glo_testing;
using Mat3 = Eigen::Matrix3d;

Rows constantRows(int elements, std::vector<double> row) { return Rows(static_cast<std::size_t>(elements), row); }

// Three hexahedra in a row (16 nodes), in segments of two, moved at increment 1 by x = A X; one
// point group with a material of the given code and flag F(index).
ImportModel hexModel(const Mat3& A, int materialCode, int flagIndex, int centreFlag) {
  ImportModel m;
  m.nodes = 16;
  DomainModel d;
  d.origin = {5.0, -1.0, 2.0};
  for (int i = 0; i < 4; ++i)
    for (int k = 0; k < 4; ++k) {
      const double y = k == 1 || k == 2 ? 1.0 : 0.0, z = k >= 2 ? 1.0 : 0.0;
      d.local.push_back({static_cast<double>(i) + 0.1 * z, y + 0.05 * i, z});
      d.labels.push_back(100 + 4 * i + k);
      d.positions.push_back(4 * i + k + 1);
    }
  d.rotating.clear();
  m.domains = {d};
  ClassModel c;
  c.type = 10;
  c.code = 15368;
  c.groupSize = 2;
  c.hasState = true;
  const auto node = [](int slice, int k) { return 4 * slice + k + 1; };
  for (int e = 0; e < 3; ++e) {
    c.labels.push_back(700 + e);
    // Corners 1-4 on the face y = 0 / y = 1 ... a hexahedron between slices e and e + 1.
    c.nodes.push_back({node(e, 0), node(e + 1, 0), node(e + 1, 1), node(e, 1), node(e, 3), node(e + 1, 3), node(e + 1, 2), node(e, 2)});
  }
  ClassState& s = c.classState;
  s.variableWords = 57;
  s.centreFlag = centreFlag;
  Rows rotation;
  for (int e = 0; e < 3; ++e) {
    const Eigen::Quaterniond q(Eigen::AngleAxisd(0.4 * (e + 1), Eigen::Vector3d(0.2, 1, -0.3).normalized()));
    rotation.push_back({q.x(), q.y(), q.z(), q.w()});
  }
  Rows hourglass;
  for (int e = 0; e < 3; ++e) {
    std::vector<double> row;
    for (int k = 0; k < 12; ++k) row.push_back(0.1 * (k + 1) - 0.05 * e);
    hourglass.push_back(row);
  }
  s.state = {{2, rotation}, {3, constantRows(3, {1, 1, 1, 0, 0, 0, 0, 0, 0})}, {10, hourglass}, {29, constantRows(3, {1.25})}};
  s.shared = {{20, Rows{{-1.0}, {3.0}, {-2.0}}}};  // key 9302: the second segment has no positive value
  SectionEntry group(1, {}, 0.0);
  Rows stress, plastic;
  for (int e = 0; e < 3; ++e) {
    stress.push_back({10.0 + e, 20.0, 30.0, 1.0, 2.0, 3.0});
    plastic.push_back({0.001 * (e + 1), 0.002, -0.003, 0.0004, 0.0005, 0.0006});
  }
  group.pointState = {{{1, stress}, {28, constantRows(3, {0, 0, 0, 0, 0, 0})}}};
  group.materialVariables = {{{1, constantRows(3, {0.5})}, {2, stress}, {5, plastic}, {7, plastic}, {11, plastic}}};
  group.materialCode = materialCode;
  group.flags.assign(200, 0);
  group.flags[static_cast<std::size_t>(flagIndex - 1)] = 1;
  c.sections = {group};
  m.classes = {c};
  StepModel step;
  step.number = 1;
  step.increments = {1};
  step.times = {1.0};
  for (int i = 0; i <= 1; ++i) {
    IncrementState state;
    DomainState ds;
    for (const Vec3& X : d.local) {
      const Eigen::Vector3d x(X[0], X[1], X[2]);
      const Eigen::Vector3d u = i == 0 ? Eigen::Vector3d::Zero() : Eigen::Vector3d((A - Mat3::Identity()) * x);
      ds.displacement.push_back({u[0], u[1], u[2]});
      ds.velocity.push_back({0, 0, 0});
      ds.force = ds.reaction = ds.start = ds.velocity;
      ds.mass.push_back(1.0);
    }
    state.domains = {ds};
    step.states.push_back(state);
  }
  m.steps = {step};
  m.packageFirstTerm = 400;
  return m;
}

class SolidState : public PackageFixture {
 protected:
  void begin(int materialCode, int flagIndex, int centre) {
    A_ << 1.1, 0.2, -0.05, 0.03, 0.95, 0.1, -0.02, 0.04, 1.05;
    startWithPackage(hexModel(A_, materialCode, flagIndex, centre));
  }
  Mat3 rotationOf(int e) const {
    const auto& q = model_.classes[0].classState.state.at(2)[static_cast<std::size_t>(e)];
    return Eigen::Quaterniond(q[3], q[0], q[1], q[2]).toRotationMatrix();
  }
  Mat3 A_;
};

// A host that holds the model tables calls the worker itself, once the entry has opened the
// class's increment, and gets the same answer (its index without the offset).
TEST_F(SolidState, TheWorkerServesAHostThatHandsItTheTables) {
  begin(200, 34, 0);
  const Answer a = ask(30000, 0);
  ASSERT_EQ(a.status, 0);
  const Int integers = 17, realKind = 18, one = 1, two = 2, directoryWords = 4;
  Int directory = 0, table = 0, realTable = 0;
  DSM_BLO_ACCESS(&integers, &RHO_MAN_COMMONI.w[8], &one, &directoryWords, &directory);
  ASSERT_NE(directory, 0);
  const Int tableBlock = intAt(directory, 3), tableWords = intAt(directory, 1);
  const Int realBlock = intAt(directory, 4), realWords = intAt(directory, 2);
  DSM_BLO_ACCESS(&integers, &RHO_MAN_COMMONI.w[8], &tableBlock, &tableWords, &table);
  DSM_BLO_ACCESS(&realKind, &RHO_MAN_COMMONI.w[8], &realBlock, &realWords, &realTable);
  ASSERT_NE(table, 0);
  ASSERT_NE(realTable, 0);
  const Int* t = work() + table - 1;
  const auto at = [t](Int word) { return t + t[word - 1] - 1; };
  const Int noRestart[51] = {};
  const Int key = 30000, elementClass = 1, point = 0;
  Int direct = -1, shear = -1, index = 0, status = -1;
  ACC_SDB_ELEMKEY1(&key, &elementClass, &point, &direct, &shear, at(33), &index, at(5), at(4), at(9), at(6), &status,
                   at(12), t, reinterpret_cast<const float*>(work() + realTable - 1), noRestart);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(direct, a.direct);
  EXPECT_EQ(shear, a.shear);
  const Int offset = indexOffset();
  ASSERT_NE(index, a.index - offset) << "a second answer of its own";
  EXPECT_EQ(reals(index + offset, 27), reals(a.index, 27));

  // The shell routine handed this continuum class's record declines it.
  const Int* record8 = at(12) + 8 - 1;
  const float none[1] = {};
  const Int counts = 1;
  index = 77;
  direct = shear = -1;
  ACC_SDB_ELEMKEYSHELL(&key, &point, &direct, &shear, &counts, &index, &status, noRestart, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, none, none, none, &counts, &counts,
                       &counts, t, &counts, record8);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(index, 77);  // nothing reached: counts and index not written
  EXPECT_EQ(direct + shear, -2);
  // A class beyond the class table, a missing global-table entry, and a class record address that
  // is no class record's word 8 are refused alike.
  const Int beyond = 99;
  const float* reals0 = reinterpret_cast<const float*>(work() + realTable - 1);
  ACC_SDB_ELEMKEY1(&key, &beyond, &point, &direct, &shear, at(33), &index, at(5), at(4), at(9), at(6), &status, at(12), t,
                   reals0, noRestart);
  EXPECT_EQ(status, 1);
  status = 0;
  ACC_SDB_ELEMKEY1(&key, &elementClass, &point, &direct, &shear, nullptr, &index, at(5), at(4), at(9), at(6), &status,
                   at(12), t, reals0, noRestart);
  EXPECT_EQ(status, 1);
  status = 0;
  ACC_SDB_ELEMKEYSOLID(t, &key, &point, &direct, &shear, &index, &status, noRestart, nullptr, nullptr, nullptr, nullptr,
                       reals0, nullptr, nullptr, nullptr, nullptr, none, none, &counts, &counts, t, &counts, t, &counts);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(index, 77);
  DSM_BLO_RELEASE(&two, &realTable);
  DSM_BLO_RELEASE(&one, &table);
  DSM_BLO_RELEASE(&one, &directory);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(SolidState, AffineMotionGivesTheGradientWithTheCentreFlagOffAndOn) {
  for (const int centre : {0, 1}) {
    begin(200, 34, centre);
    const Answer a = ask(30000, 0);
    ASSERT_EQ(a.status, 0) << centre;
    EXPECT_EQ(a.direct, 3);
    EXPECT_EQ(a.shear, 6);
    const int order[9][2] = {{0, 0}, {1, 1}, {2, 2}, {0, 1}, {1, 2}, {2, 0}, {1, 0}, {2, 1}, {0, 2}};
    for (int e = 0; e < 3; ++e)
      for (int k = 0; k < 9; ++k)
        EXPECT_NEAR(realAt(a.index, 9 * e + k + 1), A_(order[k][0], order[k][1]), 2e-5) << centre << " " << e;
    closePackage();
    eqc_testing::clearMessages();
  }
  begin(200, 34, 0);  // for the fixture's closing
}

TEST_F(SolidState, StressIsTurnedByTheStoredRotation) {
  begin(200, 34, 0);
  const Answer a = ask(1000, 1);
  ASSERT_EQ(a.status, 0);
  EXPECT_EQ(a.direct, 3);
  EXPECT_EQ(a.shear, 3);
  for (int e = 0; e < 3; ++e) {
    Mat3 S;
    S << 10.0 + e, 1, 3, 1, 20, 2, 3, 2, 30;
    const Mat3 R = rotationOf(e), T = R * S * R.transpose();
    const double want[6] = {T(0, 0), T(1, 1), T(2, 2), T(0, 1), T(0, 2), T(1, 2)};  // the last two shears exchanged
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(realAt(a.index, 6 * e + k + 1), want[k], 2e-4) << e << " " << k;
  }
}

// The hexahedra's class made a class of two membranes, each turned about z by 0.6 (a stored
// quaternion), with the stress (10, 20, 30, 4) and (11, 21, 31, 5) stored at their one point.
ImportModel membraneModel(int orientation) {
  ImportModel m = hexModel(Mat3::Identity(), 200, 34, 0);
  ClassModel& c = m.classes[0];
  c.code = 13316;
  c.labels = {800, 801};
  c.nodes = {{1, 2, 3, 4}, {5, 6, 7, 8}};
  const Eigen::Quaterniond q(Eigen::AngleAxisd(0.6, Eigen::Vector3d::UnitZ()));
  c.classState.state = {{2, constantRows(2, {q.x(), q.y(), q.z(), q.w()})}, {3, constantRows(2, {1, 1, 1, 0, 0})}};
  SectionEntry& group = c.sections[0];
  group.orientation = orientation;
  group.pointState = {{{1, Rows{{10, 20, 30, 4}, {11, 21, 31, 5}}}, {28, constantRows(2, {0, 0, 0, 0})}}};
  return m;
}

// The hexahedra's class made a class of three plane quadrilaterals (type 9220) with the given type
// flags, each turned by its stored pair (sin, cos of half of 0.4, 0.6, 0.8), element e (from 0)
// holding the stress (10.5 + e, 20.5 + e, 30.5 + e, 40.5 + e) as 11, 22, 33, 12 at its one point.
ImportModel quadModel(int flags) {
  ImportModel m = hexModel(Mat3::Identity(), 200, 34, 0);
  ClassModel& c = m.classes[0];
  c.code = 9220;
  c.flags = flags;
  const auto node = [](int slice, int k) { return 4 * slice + k + 1; };
  for (int e = 0; e < 3; ++e) c.nodes[static_cast<std::size_t>(e)] = {node(e, 0), node(e + 1, 0), node(e + 1, 1), node(e, 1)};
  Rows pairs, stress;
  for (int e = 0; e < 3; ++e) {
    const double phi = 0.4 + 0.2 * e;
    pairs.push_back({std::sin(phi / 2), std::cos(phi / 2)});
    stress.push_back({10.5 + e, 20.5 + e, 30.5 + e, 40.5 + e});
  }
  c.classState.state = {{2, pairs}, {3, constantRows(3, {1, 1, 1, 0, 0})}};
  c.sections[0].pointState = {{{1, stress}, {28, constantRows(3, {0, 0, 0, 0})}}};
  return m;
}

// With the reduced-direct flag the stress of a plane quadrilateral is its in-plane tensor
// (11, 22, 12) turned by the element's rotation: the entry and the segment worker called on the
// same arrays give T11 = c^2 S11 - 2cs S12 + s^2 S22, T22 = s^2 S11 + 2cs S12 + c^2 S22,
// T12 = (c^2 - s^2) S12 - cs (S22 - S11), with c = cos(phi), s = sin(phi).
TEST_F(SolidState, ReducedPlaneStressIsTheTurnedInPlaneTensor) {
  startWithPackage(quadModel(2162688));
  std::vector<double> want;
  for (int e = 0; e < 3; ++e) {
    const double phi = 0.4 + 0.2 * e, c = std::cos(phi), s = std::sin(phi);
    const double s11 = 10.5 + e, s22 = 20.5 + e, s12 = 40.5 + e;
    want.push_back(c * c * s11 - 2 * c * s * s12 + s * s * s22);
    want.push_back(s * s * s11 + 2 * c * s * s12 + c * c * s22);
    want.push_back((c * c - s * s) * s12 - c * s * (s22 - s11));
  }
  EXPECT_NEAR(want[0], -17.04, 0.005);
  EXPECT_NEAR(want[1], 48.04, 0.005);
  EXPECT_NEAR(want[2], 24.63, 0.005);
  const Answer a = ask(1000, 1);
  ASSERT_EQ(a.status, 0);
  EXPECT_EQ(a.direct, 2);
  EXPECT_EQ(a.shear, 1);
  for (int k = 0; k < 9; ++k) EXPECT_NEAR(realAt(a.index, k + 1), want[static_cast<std::size_t>(k)], 2e-5) << k;

  // The worker alone, its work array full of a value nothing should read.
  const Int key = 1000, n = 3, point = 1, direct = 2, shear = 1, storedDirect = 3, storedShear = 1, type = 9220;
  const Int reduced = 1, zero = 0, nodes = 4, K = 3;
  std::vector<float> pairs, stress(12), work(18, -555.5F), answer(9, 0.0F);
  for (int e = 0; e < 3; ++e) pairs.push_back(static_cast<float>(std::sin((0.4 + 0.2 * e) / 2)));
  for (int e = 0; e < 3; ++e) pairs.push_back(static_cast<float>(std::cos((0.4 + 0.2 * e) / 2)));
  for (int col = 0; col < 4; ++col)
    for (int e = 0; e < 3; ++e) stress[static_cast<std::size_t>(3 * col + e)] = 10.5F + 10.0F * col + e;
  const Int groupVariables[40] = {};  // the stress at offset 0 of the point's data
  Int status = 0;
  ACC_SDB_ELEMKEYSOLIDSEG(&key, &n, &point, &direct, &shear, &storedDirect, &storedShear, &type, &reduced, &status,
                          &zero, &zero, &zero, &zero, &nodes, &K, &K, nullptr, pairs.data(), nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, stress.data(), nullptr, nullptr, groupVariables, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, pairs.data(), nullptr,
                          nullptr, nullptr, work.data(), answer.data());
  EXPECT_EQ(status, 0);
  for (int k = 0; k < 9; ++k) EXPECT_NEAR(answer[static_cast<std::size_t>(k)], want[static_cast<std::size_t>(k)], 2e-5) << k;
}

// A stress is turned into the element's axes only where none of the three exemptions holds: the
// membrane keeps its stored axes with either orientation flag, and a group that carries its own
// orientation keeps them for the hexahedra too.
TEST_F(SolidState, StressIsCopiedAsStoredForMembranesAndOrientedGroups) {
  for (const int orientation : {0, 1}) {
    startWithPackage(membraneModel(orientation));
    const Answer a = ask(1000, 1);
    ASSERT_EQ(a.status, 0) << orientation;
    EXPECT_EQ(a.direct, 2);
    EXPECT_EQ(a.shear, 1);
    EXPECT_EQ(reals(a.index, 6), (std::vector<float>{10, 20, 4, 11, 21, 5})) << orientation;
    closePackage();
  }
  A_ = Mat3::Identity();
  model_ = hexModel(A_, 200, 34, 0);
  model_.classes[0].sections[0].orientation = 1;
  startWithPackage(model_);
  const Answer a = ask(1000, 1);
  ASSERT_EQ(a.status, 0);
  // Point-major, the last two shears exchanged.
  EXPECT_EQ(reals(a.index, 18), (std::vector<float>{10, 20, 30, 1, 3, 2, 11, 20, 30, 1, 3, 2, 12, 20, 30, 1, 3, 2}));
}

// A rebar layer holds its keys for every element type; a class of twenty-node elements reads no
// corner for them.
TEST_F(SolidState, RebarKeysOfATwentyNodeClassAreServed) {
  A_ = Mat3::Identity();
  model_ = hexModel(A_, 200, 34, 0);
  ClassModel& c = model_.classes[0];
  c.code = 15368 + 12;
  for (auto& nodes : c.nodes) nodes.resize(20, 1);
  c.sections[0].kind = 1;
  for (auto& point : c.sections[0].pointState) point.at(1) = constantRows(3, {7.5});
  startWithPackage(model_);
  for (const Int key : {1000, 2400, 4000, 14001, 14002, 14004, 27100}) {
    const Answer a = ask(key, 1);
    EXPECT_EQ(a.status, 0) << key;
    EXPECT_EQ(a.direct, 1) << key;
  }
  EXPECT_EQ(reals(ask(1000, 1).index, 3), (std::vector<float>{7.5F, 7.5F, 7.5F}));
}

// Only the positions a key reads are taken from the material's position table: a table that
// names no place for the variables the material does not store serves every key.
TEST_F(SolidState, PositionsOfVariablesNotStoredAreNotRead) {
  A_ = Mat3::Identity();
  model_ = hexModel(A_, 200, 34, 0);
  model_.classes[0].sections[0].missingPosition = 0;
  startWithPackage(model_);
  for (const Int key : {4600, 4200, 4000, 3000, 1000, 9302}) EXPECT_EQ(ask(key, 1).status, 0) << key;
  EXPECT_EQ(ask(2700, 1).status, 1);  // F(106) is off
}

TEST_F(SolidState, PlasticStrainIsTotalMinusPlasticWithDoubledShears) {
  for (const int flag : {34, 33}) {  // F(34) on, then off
    begin(200, flag, 0);
    const Answer a = ask(4600, 1);
    ASSERT_EQ(a.status, 0);
    for (int e = 0; e < 3; ++e) {
      // Total strain in the element's axes: R^T (log of the left stretch) R.
      Eigen::SelfAdjointEigenSolver<Mat3> solver(A_ * A_.transpose());
      const Mat3 logV = solver.eigenvectors() * (solver.eigenvalues().array().log() * 0.5).matrix().asDiagonal() *
                        solver.eigenvectors().transpose();
      const Mat3 R = rotationOf(e), E = R.transpose() * logV * R;
      const double total[6] = {E(0, 0), E(1, 1), E(2, 2), E(0, 1), E(1, 2), E(0, 2)};
      const double p[6] = {0.001 * (e + 1), 0.002, -0.003, 0.0004, 0.0005, 0.0006};
      const double stored[6] = {total[0] - (flag == 34 ? p[0] : 0), total[1] - (flag == 34 ? p[1] : 0),
                                total[2] - (flag == 34 ? p[2] : 0), total[3] - (flag == 34 ? p[3] : 0),
                                total[4] - (flag == 34 ? p[4] : 0), total[5] - (flag == 34 ? p[5] : 0)};
      // Point-major: 11, 22, 33, then the shears doubled with the second and third exchanged.
      const double want[6] = {stored[0], stored[1], stored[2], 2 * stored[3], 2 * stored[5], 2 * stored[4]};
      for (int k = 0; k < 6; ++k) EXPECT_NEAR(realAt(a.index, 6 * e + k + 1), want[k], 3e-6) << flag << " " << e << " " << k;
    }
    closePackage();
  }
  begin(200, 34, 0);
  const Answer mean = ask(9302, 1);
  ASSERT_EQ(mean.status, 0);
  EXPECT_EQ(reals(mean.index, 3), (std::vector<float>{1.5F, 1.5F, 0.0F}));  // 3 / (2 x 1), then none
  closePackage();
  begin(206, 42, 0);  // the cap model with F(42) = 1 refuses the thermal strain
  EXPECT_EQ(ask(2700, 1).status, 1);
  EXPECT_EQ(ask(3000, 1).status, 0);
}

TEST_F(SolidState, DirectorsAndHourglassForcesOfTheHexahedra) {
  begin(200, 34, 0);
  const Answer triads = ask(11000, 0);
  ASSERT_EQ(triads.status, 0);
  EXPECT_EQ(triads.direct, 3);
  for (int e = 0; e < 3; ++e) {
    const Mat3 R = rotationOf(e);
    for (int c = 0; c < 3; ++c)
      for (int r = 0; r < 3; ++r) EXPECT_NEAR(realAt(triads.index, 9 * e + 3 * c + r + 1), R(r, c), 2e-6);
  }
  // The forces of one call over all three elements with their current corners.
  const ClassModel& c = model_.classes[0];
  const DomainModel& d = model_.domains[0];
  std::vector<float> corners(72), components(36), volume(3, 1.25F), quaternions(12), want(72);
  for (int e = 0; e < 3; ++e) {
    for (int k = 0; k < 8; ++k) {
      const Vec3& X = d.local[static_cast<std::size_t>(c.nodes[static_cast<std::size_t>(e)][static_cast<std::size_t>(k)] - 1)];
      const Eigen::Vector3d x = A_ * Eigen::Vector3d(static_cast<float>(X[0]), static_cast<float>(X[1]), static_cast<float>(X[2]));
      for (int dim = 0; dim < 3; ++dim) corners[static_cast<std::size_t>(e + 3 * (8 * dim + k))] = static_cast<float>(x[dim]);
    }
    for (int k = 0; k < 12; ++k)
      components[static_cast<std::size_t>(e + 3 * k)] = f(at(c.classState.state.at(10), e, k));
    for (int k = 0; k < 4; ++k)
      quaternions[static_cast<std::size_t>(e + 3 * k)] = f(at(c.classState.state.at(2), e, k));
  }
  const Int n = 3;
  EDI_UTI_C3DH8HGFORCE(&n, components.data(), corners.data(), volume.data(), want.data(), quaternions.data());
  const Answer forces = ask(9800, 0);
  ASSERT_EQ(forces.status, 0);
  EXPECT_EQ(forces.direct, 24);
  for (int k = 0; k < 72; ++k) EXPECT_NEAR(realAt(forces.index, k + 1), want[static_cast<std::size_t>(k)], 2e-5) << k;
}

// A continuum class of three elements in segments of two on the hexahedra's nodes, of the given
// type code and flags, each element turned about z by 0.4, 0.6, 0.8; every array a key reads is
// stored, with values that name the array, the element and the column, and the material stores
// its variables 1 to 13.
ClassModel solidClass(int code, int flags, int materialCode) {
  ClassModel c = hexModel(Mat3::Identity(), materialCode, 34, 0).classes[0];
  c.code = code;
  c.flags = flags;
  const int nodes = code & 31;
  const auto node = [](int slice, int k) { return 4 * slice + k + 1; };
  for (int e = 0; e < 3; ++e) {
    auto& list = c.nodes[static_cast<std::size_t>(e)];
    if (nodes == 4) list = {node(e, 0), node(e + 1, 0), node(e + 1, 1), node(e, 1)};
    if (nodes == 2) list = {node(e, 0), node(e + 1, 0)};
    if (nodes == 0) list.clear();
  }
  const bool spatial = code == 15368 || code == 13316;
  Rows rotation, gradient;
  for (int e = 0; e < 3; ++e) {
    const double phi = 0.4 + 0.2 * e;
    rotation.push_back(spatial ? std::vector<double>{0, 0, std::sin(phi / 2), std::cos(phi / 2)}
                               : std::vector<double>{std::sin(phi / 2), std::cos(phi / 2)});
    gradient.push_back(code == 15368 ? std::vector<double>{1, 1, 1, 0, 0, 0, 0, 0, 0}
                                     : std::vector<double>{1, 1, 0.9 + 0.05 * e, 0, 0});
  }
  ClassState& s = c.classState;
  s.sectionThickness = 0.25;
  s.state = {{2, rotation},         {3, gradient},           {10, numbered(3, 12, 1)}, {11, numbered(3, 2, 2)},
             {16, numbered(3, 1, 3)}, {28, numbered(3, 12, 400)}, {29, constantRows(3, {1.25})}};
  s.shared = {{20, Rows{{-1.0}, {3.0}, {-2.0}}}, {22, numbered(3, 1, 500)}};
  SectionEntry& g = c.sections[0];
  const int width = code == 15368 ? 6 : 4;
  g.pointState = {{{1, numbered(3, width, 100)}, {3, numbered(3, 4, 600)}, {4, numbered(3, 1, 2)}, {28, numbered(3, width, 0.5)}}};
  g.pointShared = {{{22, numbered(3, 1, 800)}, {33, numbered(3, 2, 900)}}};
  g.domainArrays = {{21, numbered(3, 1, 0.5)}, {31, numbered(3, 2, 1)}, {32, numbered(3, 1, 0.125)}};
  std::map<int, Rows> variables;
  for (int i = 1; i <= 13; ++i) variables[i] = numbered(3, width, 1000.0 * i);
  g.materialVariables = {variables};
  for (const int flag : {34, 42, 50, 58, 66, 74, 82, 98, 106, 122, 170, 18}) g.flags[static_cast<std::size_t>(flag - 1)] = 1;
  return c;
}

class SolidKeys : public ClassKeys<SolidState> {
 protected:
  void beginClasses(std::vector<ClassModel> classes) {
    ClassKeys::beginClasses(hexModel(Mat3::Identity(), 200, 34, 0), std::move(classes), 400);
  }
};

// The counts of every key for every continuum type, at the element level and at the group's
// point, and where the key is served: the type table, the key table and the segment rules.
TEST_F(SolidKeys, EveryKeyOfEveryTypeHasTheCountsOfItsTypeAndIsServedWhereItsValuesAre) {
  const int codes[8][2] = {{9220, 2162688}, {9220, 0}, {25604, 0}, {15368, 0}, {13316, 0}, {25090, 0}, {8706, 0}, {256, 0}};
  std::vector<ClassModel> classes;
  for (const auto& [code, flags] : codes) classes.push_back(solidClass(code, flags, 200));
  beginClasses(classes);
  expectCounts({{{{3, 2}, {3, 2}, {3, 2}, {3, 6}, {3, 2}, {0, 0}, {2, 0}, {0, 0}}, {{30000, 'Z'}}},
                {{{2, 1}, {3, 1}, {3, 1}, {3, 3}, {2, 1}, {2, 0}, {1, 0}, {0, 0}}, {{1000, 'P'}, {2400, 'P'}, {4200, 'P'}, {4600, 'P'}, {2200, 'N'}}},
                {{{2, 0}, {3, 0}, {3, 0}, {3, 0}, {2, 0}, {2, 0}, {1, 0}, {0, 0}}, {{1100, 'N'}, {5000, 'N'}}},
                {{{3, 0}, {3, 0}, {3, 0}, {3, 0}, {3, 0}, {3, 0}, {0, 0}, {3, 0}}, {{11000, 'E'}}},
                {Counts(8, {1, 0}),
                 {{3000, 'P'}, {4000, 'P'}, {9200, 'N'}, {33000, 'E'}, {9302, 'E'}, {8900, 'Z'}, {9000, 'Z'}, {19001, 'E'},
                  {19006, 'E'}, {31000, 'E'}, {14002, 'P'}}},
                {Counts(8, {3, 0}), {{2700, 'P'}}},
                {{{8, 0}, {8, 0}, {8, 0}, {24, 0}, {12, 0}, {0, 0}, {0, 0}, {0, 0}}, {{9800, 'E'}}},
                {{}, {{6500, 'N'}, {27000, 'N'}, {27100, 'N'}, {8000, 'N'}, {2500, 'N'}}}},
               8, [](Int key, Int point) { return point == 1 && (key == 8900 || key == 9000); },
               // The directors of types without an element frame, and the factor key of reduced
               // types (which takes the thickness) at a point.
               [](Int key, Int c, Int point) {
                 return (key == 11000 && (c == 6 || c == 8)) || (key == 31000 && (c == 1 || c == 5) && point == 1);
               });
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

// The arrays the continuum worker receives for one segment of a membrane class.
struct MembraneSegment : PointArrays {
  MembraneSegment(const ClassModel& c, int first, int count) : PointArrays(c.sections[0], first, count), n(count) {
    const ClassState& s = c.classState;
    rotation = segmentOf(s.state.at(2), first, n), elementArray = segmentOf(s.state.at(3), first, n);
    hourglass = segmentOf(s.state.at(10), first, n), drill = segmentOf(s.state.at(11), first, n);
    factor = segmentOf(s.state.at(16), first, n), area = segmentOf(s.state.at(29), first, n);
    values9302 = segmentOf(s.shared.at(20), first, n), value33000 = segmentOf(s.shared.at(22), first, n);
    total = segmentOf(c.sections[0].pointState[0].at(28), first, n);
    section[9] = static_cast<float>(s.sectionThickness);
  }
  Int n;
  std::vector<float> rotation, elementArray, hourglass, drill, factor, area, values9302, value33000, total;
  float section[20] = {};
};

// The continuum worker, called on a segment's arrays, answers each key as the entry does for that
// segment, and both answer as the tables say: the section's or the element's own thickness, that
// thickness times F33 (and times the stored factor), the mean of the positive values, the point's
// products, strain, stress and material values of a membrane, which keeps its own axes.
TEST_F(SolidKeys, TheWorkerAnswersAsTheEntryOnTheSameArrays) {
  ClassModel own = solidClass(13316, 0, 200);
  own.sections[0].thicknessFlag = 1;
  beginClasses({solidClass(13316, 0, 200), own});
  struct Case {
    Int key, point;
    std::function<std::vector<double>(int c, int e)> want;  // the values of element e of class c
  };
  const auto thickness = [&](int c, int e) { return c == 1 ? 0.25 : at(group(c).domainArrays.at(21), e, 0); };
  const auto F33 = [&](int c, int e) { return at(state(c, 3), e, 2); };
  const auto point = [&](int c, int word, int e, int column) { return at(group(c).pointState[0].at(word), e, column); };
  const auto variable = [&](int c, int i, int e, int column) { return at(group(c).materialVariables[0].at(i), e, column); };
  const std::vector<Case> cases = {
      {8900, 0, [&](int c, int e) { return std::vector<double>{thickness(c, e)}; }},
      {9000, 0, [&](int c, int e) { return std::vector<double>{thickness(c, e) * F33(c, e)}; }},
      {31000, 0, [&](int c, int e) { return std::vector<double>{thickness(c, e) * F33(c, e) * at(state(c, 16), e, 0)}; }},
      {9302, 0, [&](int, int e) { return std::vector<double>{e < 2 ? 1.5 : 0.0}; }},
      {33000, 1, [&](int c, int e) { return std::vector<double>{at(group(c).pointShared[0].at(22), e, 0)}; }},
      {14001, 1, [&](int c, int e) { return std::vector<double>{point(c, 3, e, 0) * point(c, 4, e, 0)}; }},
      {14002, 1, [&](int c, int e) { return std::vector<double>{point(c, 3, e, 1) * point(c, 4, e, 0)}; }},
      {14004, 1, [&](int c, int e) { return std::vector<double>{point(c, 3, e, 3) * point(c, 4, e, 0)}; }},
      {2400, 1, [&](int c, int e) { return std::vector<double>{point(c, 28, e, 0), point(c, 28, e, 1), 2 * point(c, 28, e, 3)}; }},
      {1000, 1, [&](int c, int e) { return std::vector<double>{point(c, 1, e, 0), point(c, 1, e, 1), point(c, 1, e, 3)}; }},
      {3000, 1, [&](int c, int e) { return std::vector<double>{variable(c, 1, e, 0)}; }},
      {4000, 1, [&](int c, int e) { return std::vector<double>{variable(c, 2, e, 0)}; }},
      {2700, 1, [&](int c, int e) { return std::vector<double>{variable(c, 5, e, 0), variable(c, 5, e, 1), variable(c, 5, e, 2)}; }},
      {4600, 1, [&](int c, int e) {
         return std::vector<double>{point(c, 28, e, 0) - variable(c, 7, e, 0), point(c, 28, e, 1) - variable(c, 7, e, 1),
                                    2 * (point(c, 28, e, 3) - variable(c, 7, e, 3))};
       }},
      {11000, 0, nullptr},
  };
  for (const Case& k : cases)
    for (const int c : {1, 2}) {
      const Answer a = askClass(k.key, c, k.point);
      ASSERT_EQ(a.status, 0) << k.key << " class " << c;
      const std::string what = std::to_string(k.key) + " class " + std::to_string(c);
      expectWorkerAsEntry(
          what, a.index, k.key == 11000 ? 9 : a.direct + a.shear, 3,
          [&](int first, Int n, float* answer) {
            MembraneSegment w(classOf(c), first, n);
            const Int type = 13316, reduced = 1, storedDirect = 3, storedShear = 1, zero = 0, nodes = 4, K = 3;
            const Int thicknessFlag = group(c).thicknessFlag;
            std::vector<float> result(24), work(24);
            Int status = 0;
            ACC_SDB_ELEMKEYSOLIDSEG(&k.key, &w.n, &k.point, &a.direct, &a.shear, &storedDirect, &storedShear, &type,
                                    &reduced, &status, &zero, &zero, &thicknessFlag, &zero, &nodes, &K, &K, w.section,
                                    w.rotation.data(), w.elementArray.data(), w.hourglass.data(), w.drill.data(),
                                    w.factor.data(), w.area.data(), w.values9302.data(), w.value33000.data(),
                                    w.pointState.data(), w.pointShared.data(), w.groupDomain.data(),
                                    w.groupVariables.data(), w.material.data(), w.positions.data(), w.ownTable.data(),
                                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                    w.total.data(), result.data(), work.data(), answer);
            return status;
          },
          [&](float got, int e, int v) {
            if (k.want) {
              EXPECT_FLOAT_EQ(got, static_cast<float>(k.want(c, e)[static_cast<std::size_t>(v)])) << what << " " << e;
            }
          });
    }
}

// Each material code reaches its family's routine: the equivalent value (3000), the thermal strain
// (2700) and the total strain less the kept strain (4600) come from the variables of its row; a
// code without a routine gives the total strain for 4600 alone; the user material serves 3000 from
// P(2) and its state variables (6500, their count F(1) here) from P(1).
TEST_F(SolidKeys, MaterialCodesReachTheirFamiliesRoutines) {
  struct Row {
    int code, scalar, thermal, strain;  // variables read; strain -1: the total strain alone
  };
  const Row rows[] = {{200, 1, 5, 7},  {201, 1, 6, 7},  {303, 1, 0, 7},  {205, 1, 6, 7},  {206, 1, 0, 12},
                      {207, 1, 10, 11}, {210, 1, 5, 6}, {208, 0, 13, 0}, {101, 0, 3, 0},  {103, 0, 3, 0},
                      {105, 0, 3, 0},  {107, 0, 3, 0},  {109, 0, 3, 0},  {111, 0, 3, 0},  {118, 0, 3, 0},
                      {119, 0, 3, 0},  {601, 2, 0, 0},  {106, 0, 0, -1}, {999, 0, 0, 0}};
  std::vector<ClassModel> classes;
  for (const Row& row : rows) {
    classes.push_back(solidClass(13316, 0, row.code));
    classes.back().sections[0].flags[0] = 3;  // F(1): the user material's state variable count
  }
  beginClasses(classes);
  for (Int c = 1; c <= static_cast<Int>(std::size(rows)); ++c) {
    const Row& row = rows[c - 1];
    const auto variable = [&](int i, int e, int column) { return materialVariable(c, i, e, column); };
    expectVariable(askClass(3000, c, 1), row.scalar, 1, variable, row.code);
    expectVariable(askClass(2700, c, 1), row.thermal, 3, variable, row.code);
    const Answer strain = askClass(4600, c, 1);
    EXPECT_EQ(strain.status, row.strain != 0 ? 0 : 1) << row.code;
    for (int e = 0; e < 3 && row.strain != 0; ++e) {
      const auto kept = [&](int column) { return row.strain > 0 ? variable(row.strain, e, column) : 0.0F; };
      EXPECT_EQ(reals(strain.index + 3 * e, 3), strainLess(c, e, kept)) << row.code;
    }
    const Answer stateVariables = askClass(6500, c, 1);
    expectVariable(stateVariables, row.code == 601 ? 1 : 0, 3, variable, row.code);
    if (row.code == 601) {
      EXPECT_EQ(stateVariables.direct, 3);
    }
  }
}

// A rebar layer of membranes: its angles are the stored reference angle and the current angle of
// the layer's direction in the element's frame (the direction weights (1, 0) take the element's
// first centre derivative, (0.5, 0.025) here, turned back by the element's rotation); keys outside
// the rebar table are not served. A point beyond the last group, and an answer that does not fit
// in the package, are refused.
TEST_F(SolidKeys, RebarAnglesOfMembranesAndRefusedPointsAndAnswers) {
  ClassModel rebar = solidClass(13316, 0, 200);
  rebar.sections[0].kind = 1;
  rebar.sections[0].pointShared[0].at(33) = constantRows(3, {1.0, 0.0});
  beginClasses({rebar});
  const Answer a = askClass(27000, 1, 1);
  ASSERT_EQ(a.status, 0);
  EXPECT_EQ(a.direct, 2);
  for (int e = 0; e < 3; ++e) {
    EXPECT_FLOAT_EQ(realAt(a.index, 2 * e + 1), f(at(group(1).domainArrays.at(32), e, 0)));
    EXPECT_NEAR(realAt(a.index, 2 * e + 2), std::atan2(0.025, 0.5) - (0.4 + 0.2 * e), 2e-6) << e;
  }
  const Answer other = askClass(3000, 1, 1);
  EXPECT_EQ(other.status, 1);
  EXPECT_EQ(other.direct + other.shear, 0);
  EXPECT_EQ(askClass(27100, 1, 2).status, 1);  // one point in the group
  refusedBeyondThePackage(27000, 1, 1, 5);  // six words, five left
}

// Without the reduced-direct flag the stress of plane and axisymmetric quadrilaterals is turned
// whole: the in-plane part by the element's rotation, S33 as stored; a worker handed a type
// without hourglass forces or directors serves neither.
TEST_F(SolidKeys, PlaneAndAxisymmetricStressIsTurnedWithS33Kept) {
  beginClasses({solidClass(9220, 0, 200), solidClass(25604, 0, 200)});
  for (Int c = 1; c <= 2; ++c) {
    const Answer a = askClass(1000, c, 1);
    ASSERT_EQ(a.status, 0);
    for (int e = 0; e < 3; ++e) {
      const double phi = 0.4 + 0.2 * e, cs = std::cos(phi), sn = std::sin(phi);
      const auto S = [&](int column) { return at(group(c).pointState[0].at(1), e, column); };
      const double want[4] = {cs * cs * S(0) - 2 * cs * sn * S(3) + sn * sn * S(1),
                              sn * sn * S(0) + 2 * cs * sn * S(3) + cs * cs * S(1), S(2),
                              (cs * cs - sn * sn) * S(3) - cs * sn * (S(1) - S(0))};
      for (int k = 0; k < 4; ++k) EXPECT_NEAR(realAt(a.index, 4 * e + k + 1), want[k], 1e-4) << c << " " << e << " " << k;
    }
  }
  const Int n = 1, zero = 0, one = 1, nine = 9, type = 25090;
  for (const Int key : {9800, 11000}) {
    Int status = 0;
    float answer[9] = {};
    ACC_SDB_ELEMKEYSOLIDSEG(&key, &n, &zero, &nine, &zero, &nine, &zero, &type, &zero, &status, &zero, &zero, &zero,
                            &zero, &zero, &one, &one, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            answer);
    EXPECT_EQ(status, 1) << key;
  }
}

// A store that runs out of room at any block of a continuum request refuses the request and keeps
// none of its blocks.
TEST_F(SolidKeys, RoomRunningOutAtAnyBlockRefusesTheRequest) {
  beginClasses({solidClass(15368, 0, 200)});
  runOutOfRoom(4600, 1, 1);
}

// Hexahedra on nodes of two coordinates have no third one to gather: the request is refused and
// reported, not read beyond the nodes' values.
TEST_F(SolidKeys, HexahedraOnPlanarNodesAreRefused) {
  ImportModel m = hexModel(Mat3::Identity(), 200, 34, 0);
  m.domains[0].components = 2;
  ClassKeys::beginClasses(m, {solidClass(15368, 0, 200)}, 400);
  EXPECT_EQ(askClass(1000, 1, 1).status, 1);
  EXPECT_GT(eqc_testing::countAtLevel(-3), 0);
  eqc_testing::clearMessages();
}

// A host whose table names a class variable table running past the table's end, or fewer segments
// than the class's elements need, is refused.
TEST_F(SolidKeys, AHostTableDamagedAtTheClassIsRefused) {
  beginClasses({solidClass(13316, 0, 200)});
  ASSERT_EQ(askClass(1000, 1, 1).status, 0);  // the class's increment is open
  HostTables host(work());
  const std::vector<float> nodes(48, 0.0F);
  const Int K1 = 3, K2 = 16, key = 1000, point = 1, zero = 0, noRestart[51] = {};
  const auto ask = [&] {
    Int direct = -1, shear = -1, index = 0, status = -1;
    ACC_SDB_ELEMKEYSOLID(&zero, &key, &point, &direct, &shear, &index, &status, noRestart, nullptr, nullptr, nullptr,
                         nullptr, host.classReals(1), nullptr, nullptr, nullptr, nullptr, nodes.data(), nodes.data(), &K1,
                         &K2, host.table.data(), &zero, &host.classWord(1, 8), &zero);
    return status;
  };
  EXPECT_EQ(ask(), 0);
  const Int variables = host.typeWord(1, 8);
  host.typeWord(1, 8) = static_cast<Int>(host.table.size()) - 10;
  EXPECT_EQ(ask(), 1);
  EXPECT_GT(eqc_testing::countAtLevel(-3), 0);
  host.typeWord(1, 8) = variables;
  host.classWord(1, 8) = 1;  // one segment of two for three elements
  EXPECT_EQ(ask(), 1);
  eqc_testing::clearMessages();
}

}  // namespace
}  // namespace importtest
