// Host side of the import tests: a mapped work array, a previous-analysis database written by
// the builder from a small model in physical terms, and readers of the blocks handed out.
#pragma once

#include <string>
#include <vector>

#include "runtime/fortran_types.h"
#include "siblings/glo/testing.h"
#include "tests/support/host_fixture.h"

namespace importtest {

// The index the readers hand out where they make no block.
inline constexpr Int kNoBlock = 134217729;

// Two domains (the second with fewer nodes), five classes, node and element sets, and four
// stored steps (step numbers 1, 3, 4 and 7; 4 without a step block, 7 without step data).
glo_testing::ImportModel sampleModel();

// The state of one domain at (step row, increment), made from the seed the builder is given.
glo_testing::DomainState domainState(const glo_testing::DomainModel& domain, int stepRow, int increment, int d);

class ImportFixture : public zmxtest::HostFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the model's files into a fresh folder and names them on the command line.
  void writeFiles(const glo_testing::ImportModel& model);
  // writeFiles, then IMPINITIALIZE.
  void start(const glo_testing::ImportModel& model);
  void startSample() { start(model_); }
  // Closes the database and checks that no block is left.
  void closeClean();

  Int* work() { return work_.data(); }
  Int intAt(Int index, long long k) const { return work_[static_cast<std::size_t>(index - 1 + k - 1)]; }
  float realAt(Int index, long long k) const;
  std::vector<int> ints(Int index, int n) const;
  std::vector<float> reals(Int index, int n) const;

  // One element-state request: counts, index and status.
  struct ElementAnswer {
    Int direct = -1, shear = -1, index = 0, status = -1;
  };
  ElementAnswer askElement(Int key, Int elementClass, Int point, Int row = 1, Int increment = 1);
  // The offset the readers add to the package positions they hand out as indices.
  static Int indexOffset();

  glo_testing::ImportModel model_ = sampleModel();
  std::string folder_;
  std::string modelFile_, stateFile_;

 private:
  std::vector<Int> work_;
  Int base_ = 0;
};

}  // namespace importtest
