#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/host_fixture.h"

std::string writeOdbRoad();

namespace {

class OdbRoad : public zmxtest::HostFixture {};

TEST_F(OdbRoad, ExampleHostTranscriptEqualsItsGoldenFile) {
  std::ifstream golden(ZMX_SOURCE_DIR "/tests/golden/odb_road.txt");
  std::stringstream expected;
  expected << golden.rdbuf();
  EXPECT_EQ(writeOdbRoad(), expected.str());
}

}  // namespace
