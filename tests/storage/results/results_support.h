// Shared set-up of the results-file tests: a job in a fresh folder, the results streams at their
// starting values, and small helpers to write and read records and to look at the files.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/units.h"
#include "siblings/eqc/job_testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/storage.h"

namespace results_test {

using Record = std::vector<double>;
using Block = std::array<double, 512>;

// A record of the key with the data words after length and key.
inline Record record(int key, const std::vector<double>& data) {
  Record r{static_cast<double>(data.size() + 2), static_cast<double>(key)};
  r.insert(r.end(), data.begin(), data.end());
  return r;
}

// A record of length words: key, then the words 3, 4, ... counting up from first.
inline Record counting(int key, int length, double first = 1.0) {
  std::vector<double> data;
  for (int k = 3; k <= length; ++k) data.push_back(first + (k - 3));
  return record(key, data);
}

inline double textWord(const char (&eight)[9]) {
  double word;
  std::memcpy(&word, eight, 8);
  return word;
}

// The first stream's block buffer in the work space.
inline double* workBuffer() {
  const Int word = rec::i(CSP, eqc_records::kWorkSpaceBase) + 8 * (rec::i(CDFILE, zmx::results::kBufferBase) - 1);
  return mem32::at<double>(word, 512);
}

inline std::vector<char> fileBytes(const std::string& path) {
  fio::flushAll();
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The blocks of an unformatted file of 512-word records (length markers checked).
inline std::vector<Block> blocksOf(const std::string& path, bool* wellFormed = nullptr) {
  const std::vector<char> bytes = fileBytes(path);
  std::vector<Block> blocks;
  bool ok = bytes.size() % (4096 + 8) == 0;
  for (std::size_t at = 0; ok && at < bytes.size(); at += 4096 + 8) {
    std::int32_t head, tail;
    std::memcpy(&head, &bytes[at], 4);
    std::memcpy(&tail, &bytes[at + 4 + 4096], 4);
    ok = head == 4096 && tail == 4096;
    Block b;
    std::memcpy(b.data(), &bytes[at + 4], 4096);
    blocks.push_back(b);
  }
  if (wellFormed != nullptr) *wellFormed = ok;
  return blocks;
}

inline std::vector<std::string> linesOf(const std::string& path) {
  fio::flushAll();
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class ResultsFile : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    folder_ = zmxtest::scratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    rec::setChars(CJBPAR, eqc_records::kJobNameFirst, eqc_records::kJobStringLength, "job");
    rec::setChars(CJBPAR, eqc_records::kJobDirectoryFirst, eqc_records::kJobStringLength, folder_ + "/");
    eqc_job_testing::interceptExit(true);
    rec::clear(COUTF);
    rec::clear(CDPF);
    INITF();
    eqc_testing::clearMessages();
  }

  void TearDown() override {
    for (Int unit = 1; unit <= 40; ++unit) fio::close(unit);
    rec::clear(CBUFFA);
    HostFixture::TearDown();
  }

  std::string path(const std::string& file) const { return folder_ + "/" + file; }

  static Int write(Record r, Int mode = 1) {
    Int status = -1;
    SHR_DBFILE(&mode, r.data(), &status);
    return status;
  }

  static Int control(Int mode) {
    Record scratch(514, 0.0);
    Int status = -1;
    SHR_DBFILE(&mode, scratch.data(), &status);
    return status;
  }

  // The next record on the first stream: its words (as long as word 1 says) and the status.
  static Record read(Int* status) {
    Record r(600, -7.0);
    const Int mode = 0;
    SHR_DBFILE(&mode, r.data(), status);
    const int length = r[0] >= 1 && r[0] <= 600 ? static_cast<int>(r[0]) : 1;
    r.resize(static_cast<std::size_t>(length));
    return r;
  }

  // Every record up to and including the end record (or the first non-zero status).
  static std::vector<Record> readAll(std::vector<Int>* statuses = nullptr) {
    std::vector<Record> records;
    for (int guard = 0; guard < 100000; ++guard) {
      Int status = 0;
      Record r = read(&status);
      if (statuses != nullptr) statuses->push_back(status);
      if (status == 1) break;
      records.push_back(r);
      if (r.size() >= 2 && r[1] == 2001.0) break;
    }
    return records;
  }

  std::string folder_;
};

}  // namespace results_test
