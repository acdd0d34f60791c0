// A scratch database per test: its own folder as working directory and "tmpdir", the job
// "job", and no SPLIT_ or SPILL_LIST_ variables unless the test sets them.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/async_file.h"
#include "siblings/eqc/testing.h"
#include "siblings/utl/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/storage.h"

namespace zmxtest {

inline constexpr const char* kFolderNames[] = {"SDB", "OPR", "SCR", "FCT", "SOL", "LNC", "EIG", "COP"};

class ScratchDb : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = scratchFolder(std::string("sdb_") + info->test_suite_name() + "_" + info->name());
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
    for (const char* name : kFolderNames) {
      ::unsetenv((std::string("SPLIT_") + name).c_str());
      ::unsetenv((std::string("SPILL_LIST_") + name).c_str());
    }
    utl_testing::clearCommandLine();
    utl_testing::setCommandLine("job", "job");
    zmxrt_testing::clearTransferFaults();
  }

  void TearDown() override {
    deletetheSdbManager();
    zmxrt_testing::clearTransferFaults();
    zmxrt_testing::setWriteDelay(0);
    std::filesystem::current_path(previous_);
    HostFixture::TearDown();
  }

  std::string path(const std::string& name) const { return folder_ + "/" + name; }

  static std::vector<unsigned char> fileBytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  static std::uint32_t wordAt(const std::vector<unsigned char>& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    if (offset + 4 <= bytes.size()) std::memcpy(&value, bytes.data() + offset, 4);
    return value;
  }

  static void writeFile(const std::string& name, const std::vector<unsigned char>& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  // A deterministic pattern: byte k of a transfer at address a is a function of a + k.
  static std::vector<unsigned char> pattern(std::uint64_t address, std::size_t size, unsigned seed = 1) {
    std::vector<unsigned char> bytes(size);
    for (std::size_t k = 0; k < size; ++k) bytes[k] = static_cast<unsigned char>((address + k) * 131 + seed * 7 + ((address + k) >> 9));
    return bytes;
  }

  std::string folder_;
  std::filesystem::path previous_;
};

}  // namespace zmxtest
