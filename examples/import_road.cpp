// The import road of the example host: an earlier explicit analysis is written as a database
// (model file and state file), named on the command line, and read back as an analysis that
// imports it would: restart data, a step, the nodes and their current coordinates.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/run_services.h"
#include "siblings/glo/testing.h"
#include "siblings/utl/testing.h"
#include "zmx/import.h"

namespace {

glo_testing::ImportModel tinyModel() {
  glo_testing::ImportModel m;
  m.release = "6.4-1";
  m.nodes = 3;
  glo_testing::DomainModel d;
  d.origin = {1.0, 0.0, 0.0};
  d.labels = {10, 20, 30};
  d.positions = {1, 2, 3};
  d.local = {{0.0, 0.0, 0.0}, {1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}};
  m.domains = {d};
  glo_testing::ClassModel tri;
  tri.code = 3;
  tri.labels = {1};
  tri.nodes = {{1, 2, 3}};
  m.classes = {tri};
  glo_testing::StepModel step;
  step.number = 1;
  step.increments = {1};
  step.times = {0.5};
  for (int i = 0; i <= 1; ++i) {
    glo_testing::IncrementState state;
    glo_testing::DomainState s;
    s.displacement = {{0.0, 0.0, 0.0}, {0.125 * i, 0.0, 0.0}, {0.0, -0.25 * i, 0.0}};
    s.velocity = s.force = s.reaction = s.start = s.displacement;
    s.mass = {1.0, 1.0, 1.0};
    state.domains = {s};
    step.states.push_back(state);
  }
  m.steps = {step};
  return m;
}

float real(const std::vector<Int>& work, Int index, int k) {
  float value;
  std::memcpy(&value, &work[static_cast<std::size_t>(index + k - 2)], sizeof value);
  return value;
}

}  // namespace

void walkImportRoad() {
  const std::string folder = "import";
  std::filesystem::create_directories(folder);
  const std::string modelFile = folder + "/previous.pac", stateFile = folder + "/previous.kvx";
  glo_testing::writeDatabase(tinyModel(), modelFile, stateFile);
  utl_testing::setCommandLine("pacfile", modelFile);
  utl_testing::setCommandLine("kvxfile", stateFile);
  LFC_XUT_CHARTOINTG("6.4-1", 5, 8, &rec::i(CLINES, 1));

  std::vector<Int> work(4096, 0);
  const Int mapped = mem32::map(work.data(), work.size() * 4, mem32::tag("HOST"));
  std::printf("import of the previous analysis in \"%s\":\n", folder.c_str());
  IMPINITIALIZE(work.data());

  Int steps = 0, numbers = 0, starts = 0;
  INQ_RDB_RESTART(&steps, &numbers, &starts);
  std::printf("  %d stored step(s), the first numbered %d\n", steps, work[static_cast<std::size_t>(numbers - 1)]);
  const Int stepNumber = 1;
  Int times = 0, increments = 0, m = 0, value = 0, procedure = 0;
  INQ_RDB_STEP(&stepNumber, &times, &increments, &m, &value, &procedure);
  std::printf("  step 1 stores %d increment(s), the last at time %.3f\n", m, static_cast<double>(real(work, times, m)));

  Int labels = 0, coordinates = 0;
  ACC_MDB_NODEMODELDATA(&labels, &coordinates);
  const Int row = 1, increment = 1, key = 1000;
  Int components = 3, current = 0, status = 0;
  ACC_SDB_NODEKEY(&row, &increment, &key, &components, &current, &status);
  for (int g = 1; g <= 3; ++g)
    std::printf("  node %d at (%.3f, %.3f) in the model, (%.3f, %.3f) at increment 1\n",
                work[static_cast<std::size_t>(labels + g - 2)], static_cast<double>(real(work, coordinates, 3 * g - 2)),
                static_cast<double>(real(work, coordinates, 3 * g - 1)),
                static_cast<double>(real(work, current, 3 * g - 2)), static_cast<double>(real(work, current, 3 * g - 1)));

  for (Int* index : {&numbers, &increments, &labels}) REL_GDB_INTG(index);
  for (Int* index : {&starts, &times, &coordinates, &current}) REL_GDB_REAL(index);
  DEC_GDB_CLOSE();
  std::printf("  database closed\n");
  mem32::unmap(mapped);
  utl_testing::clearCommandLine();
}
