#include "tests/support/host_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "siblings/eqc/testing.h"
#include "zmx/storage.h"

namespace zmxtest {

void HostFixture::SetUp() {
  eqc_testing::setEcho(false);
  shr_initialize(counter_);
  eqc_testing::clearMessages();
}

void HostFixture::TearDown() { shr_finalize(counter_); }

std::string scratchFolder(const std::string& name) {
  const char* root = std::getenv("ZMX_TEST_TMP");
  // The process id keeps apart the tests that ctest runs at once under the same folder name.
  std::filesystem::path folder = std::filesystem::path(root != nullptr ? root : ZMX_BINARY_DIR "/test-tmp") /
                                 (name + "." + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder.string();
}

}  // namespace zmxtest
