// A test fixture that loads the library as a host does: shr_initialize before each test and
// shr_finalize after it, with the message echo switched off and the message log cleared.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace zmxtest {

class HostFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  int counter_ = 0;
};

// A fresh, empty folder of this test process for files a test writes; removed with its contents
// first.
std::string scratchFolder(const std::string& name);

}  // namespace zmxtest
