#include "tests/import/import_fixture.h"

#include <cmath>
#include <cstring>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/run_services.h"
#include "siblings/utl/testing.h"
#include "zmx/import.h"

namespace importtest {

using namespace glo_testing;

namespace {

constexpr std::size_t kWorkWords = 1 << 16;

// A small deterministic generator, so that every state is reproducible from its seed.
double draw(unsigned& seed) {
  seed = seed * 1664525u + 1013904223u;
  return static_cast<double>(seed >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
}

Vec3 drawVec(unsigned& seed) { return {draw(seed), draw(seed), draw(seed)}; }

Quaternion drawRotation(unsigned& seed, bool planar) {
  const double angle = 3.0 * draw(seed);
  Vec3 axis = planar ? Vec3{0.0, 0.0, 1.0} : drawVec(seed);
  const double n = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  const double s = std::sin(angle / 2.0) / n;
  return {axis[0] * s, axis[1] * s, axis[2] * s, std::cos(angle / 2.0)};
}

ClassModel makeClass(int type, int code, int domain, std::vector<int> labels, std::vector<std::vector<int>> nodes) {
  ClassModel c;
  c.type = type;
  c.code = code;
  c.domain = domain;
  c.labels = std::move(labels);
  c.nodes = std::move(nodes);
  return c;
}

}  // namespace

DomainState domainState(const DomainModel& domain, int stepRow, int increment, int d) {
  unsigned seed = static_cast<unsigned>(1000 * stepRow + 10 * increment + d);
  DomainState s;
  const std::size_t m = domain.labels.size(), mr = domain.rotating.size();
  s.timeIncrement = 0.01 * (1 + increment);
  s.shift = increment == 0 && stepRow == 1 ? Vec3{} : drawVec(seed);
  for (std::size_t i = 0; i < m; ++i) {
    s.displacement.push_back(increment == 0 && stepRow == 1 ? Vec3{} : drawVec(seed));
    s.velocity.push_back(drawVec(seed));
    s.force.push_back(drawVec(seed));
    s.reaction.push_back(drawVec(seed));
    s.start.push_back(drawVec(seed));
    s.mass.push_back(1.0 + draw(seed) * 0.5);
  }
  for (std::size_t i = 0; i < mr; ++i) {
    s.rotation.push_back(drawRotation(seed, domain.rotComponents == 1));
    s.angularVelocity.push_back(drawVec(seed));
    s.angularAcceleration.push_back(drawVec(seed));
    s.angularStart.push_back(drawVec(seed));
    s.inertia.push_back(2.0 + draw(seed));
  }
  for (std::size_t i = 0; i < domain.thirdPositions.size(); ++i) {
    s.thirdScalar.push_back(draw(seed));
    s.thirdValues.push_back({draw(seed), draw(seed)});
  }
  return s;
}

ImportModel sampleModel() {
  ImportModel m;
  m.release = "6.4-1";
  m.nodes = 7;
  DomainModel one;
  one.origin = {10.0, 20.0, 30.0};
  one.labels = {101, 102, 103, 104};
  one.positions = {1, 2, 3, 4};
  one.local = {{0.1, 0.2, 0.3}, {1.5, 0.0, -0.25}, {2.0, 1.0, 0.0}, {-3.0, 0.75, 1.125}};
  one.rotating = {2, 4};
  one.rotatingPositions = {2, 4};
  one.secondLabels = {901};
  one.secondPositions = {7};
  one.secondCoordinates = {{7.0, 8.0, 9.0}};
  one.thirdPositions = {1, 3};
  DomainModel two;
  two.origin = {-5.0, 0.5, 5.0};
  two.labels = {201, 202};
  two.positions = {6, 5};
  two.local = {{0.5, 0.5, 0.5}, {-1.0, 2.0, 4.0}};
  two.rotating = {1};
  two.rotatingPositions = {6};
  two.thirdPositions = {5};
  two.secondOutputFlag = 0;
  m.domains = {one, two};

  ClassModel solid = makeClass(10, 9220, 1, {11, 12, 13}, {{1, 2, 3, 4}, {4, 3, 2, 1}, {2, 4, 1, 3}});
  solid.flags = 2097152;
  solid.groupSize = 2;
  solid.typeWord5 = 55;
  solid.typeWord32 = 32;
  solid.sectionWord17 = 17;
  solid.firstEntryWord5 = 505;
  solid.sections = {{7, {1, 2, 3}, 0.5}, {8, {4, 5, 6}, 0.25}};
  ClassModel shell = makeClass(20, 13316, 2, {21, 22}, {{1, 2, 2, 1}, {2, 1, 1, 2}});
  shell.flags = 131072;
  shell.typeWord24 = 24;
  shell.firstEntryWord5 = 606;
  shell.sections = {{9, {7}, 1.5}};
  ClassModel none = makeClass(0, 9220, 1, {31}, {});
  none.hasConnectivity = false;
  ClassModel beam = makeClass(30, 8706, 1, {41}, {{1, 3}});
  ClassModel other = makeClass(10, 13316, 1, {22, 51}, {{1, 1, 1, 1}, {2, 2, 2, 2}});
  other.recordWord19 = 1;
  m.classes = {solid, shell, none, beam, other};

  m.nodeSets = {{"NALL", {101, 102, 201}, {}}, {"EMPTY", {}, {}}};
  m.elementSets = {{"EALL", {}, {{11, 13}, {22}, {}, {41}, {}}}, {"ENONE", {}, {}}};
  m.packageFirstTerm = 5;
  m.packageSecondTerm = 7;

  const auto step = [&](int number, double start, std::vector<int> increments, std::vector<double> times, int bits) {
    StepModel s;
    s.number = number;
    s.start = start;
    s.increments = std::move(increments);
    s.times = std::move(times);
    s.optionBits = bits;
    s.value = 100 + number;
    s.aleClass = number == 3 ? 2 : 0;
    s.nodeValueCount = 2;
    return s;
  };
  m.steps = {step(1, 0.0, {1, 2}, {0.5, 1.0}, 1025 | 2049), step(3, 1.0, {4}, {0.25}, 1280),
             step(4, 1.25, {}, {}, 1025), step(7, 1.25, {9}, {0.125}, 0)};
  m.steps[2].hasStepBlock = false;
  m.steps[3].hasPartition = false;
  for (std::size_t r = 0; r < m.steps.size(); ++r) {
    StepModel& s = m.steps[r];
    for (std::size_t i = 0; i <= s.increments.size(); ++i) {
      IncrementState state;
      unsigned seed = static_cast<unsigned>(77 * (r + 1) + i);
      for (double& a : state.globalA) a = draw(seed);
      for (double& b : state.globalB) b = draw(seed);
      for (std::size_t d = 0; d < m.domains.size(); ++d)
        state.domains.push_back(domainState(m.domains[d], static_cast<int>(r + 1), static_cast<int>(i),
                                            static_cast<int>(d + 1)));
      s.states.push_back(state);
    }
  }
  return m;
}

void ImportFixture::SetUp() {
  HostFixture::SetUp();
  glo_testing::resetStore();
  rec::clear(RHO_MAN_COMMONI);
  rec::clear(CIMPORT);
  work_.assign(kWorkWords, 0);
  base_ = mem32::map(work_.data(), work_.size() * 4, mem32::tag("WORK"));
  LFC_XUT_CHARTOINTG("6.4-1   ", 8, 8, &rec::i(CLINES, 1));
}

void ImportFixture::TearDown() {
  mem32::unmap(base_);
  utl_testing::clearCommandLine();
  HostFixture::TearDown();
}

void ImportFixture::writeFiles(const ImportModel& model) {
  folder_ = zmxtest::scratchFolder(std::string("import_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  modelFile_ = folder_ + "/previous.pac";
  stateFile_ = folder_ + "/previous.kvx";
  ASSERT_TRUE(writeDatabase(model, modelFile_, stateFile_));
  utl_testing::setCommandLine("pacfile", modelFile_);
  utl_testing::setCommandLine("kvxfile", stateFile_);
}

void ImportFixture::start(const ImportModel& model) {
  writeFiles(model);
  IMPINITIALIZE(work());
}

void ImportFixture::closeClean() {
  DEC_GDB_CLOSE();
  EXPECT_EQ(outstandingBlocks(), 0);
}

ImportFixture::ElementAnswer ImportFixture::askElement(Int key, Int elementClass, Int point, Int row, Int increment) {
  ElementAnswer a;
  ACC_SDB_ELEMKEY(&row, &increment, &key, &elementClass, &point, &a.direct, &a.shear, &a.index, &a.status);
  return a;
}

Int ImportFixture::indexOffset() {
  Int unused = 0, offset = 0;
  const Int fetch = 1;
  EDI_MAN_GLOBALSTORE(&unused, &unused, &unused, &unused, &unused, &offset, &fetch);
  return offset;
}

float ImportFixture::realAt(Int index, long long k) const {
  float value;
  std::memcpy(&value, &work_[static_cast<std::size_t>(index - 1 + k - 1)], sizeof value);
  return value;
}

std::vector<int> ImportFixture::ints(Int index, int n) const {
  std::vector<int> out;
  for (int k = 1; k <= n; ++k) out.push_back(intAt(index, k));
  return out;
}

std::vector<float> ImportFixture::reals(Int index, int n) const {
  std::vector<float> out;
  for (int k = 1; k <= n; ++k) out.push_back(realAt(index, k));
  return out;
}

}  // namespace importtest
