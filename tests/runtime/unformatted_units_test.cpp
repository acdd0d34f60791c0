// Unformatted sequential records on numbered units, checked against the framing gfortran writes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/units.h"
#include "tests/support/host_fixture.h"

namespace {

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

fio::OpenRequest unformatted(const std::string& path, fio::Status status = fio::Status::Unknown) {
  fio::OpenRequest request;
  request.file = path;
  request.status = status;
  request.form = fio::Form::Unformatted;
  return request;
}

TEST(UnformattedUnits, RecordsAreFramedByTheirLengthAndReadBack) {
  const std::string path = zmxtest::scratchFolder("unformatted_framing") + "/a.bin";
  ASSERT_EQ(fio::open(31, unformatted(path)), fio::kOk);
  const std::int32_t n = 3;
  const double values[2] = {1.5, -2.0};
  ASSERT_EQ(fio::writeRecord(31, {{&n, 4}, {values, sizeof values}}), fio::kOk);
  ASSERT_EQ(fio::writeRecord(31, nullptr, 0), fio::kOk);
  ASSERT_EQ(fio::close(31), fio::kOk);

  const std::string bytes = fileBytes(path);
  ASSERT_EQ(bytes.size(), 4u + 20u + 4u + 8u);
  std::uint32_t lead = 0, trail = 0;
  std::memcpy(&lead, bytes.data(), 4);
  std::memcpy(&trail, bytes.data() + 24, 4);
  EXPECT_EQ(lead, 20u);
  EXPECT_EQ(trail, 20u);

  ASSERT_EQ(fio::open(31, unformatted(path, fio::Status::Old)), fio::kOk);
  std::int32_t m = 0;
  EXPECT_EQ(fio::readRecord(31, &m, 4), fio::kOk);  // the rest of the record is skipped
  EXPECT_EQ(m, 3);
  double two[2] = {7, 7};
  EXPECT_EQ(fio::readRecord(31, two, sizeof two), fio::kRecordTooShort);  // the empty record
  EXPECT_EQ(fio::readRecord(31, two, sizeof two), fio::kEnd);
  EXPECT_EQ(fio::close(31, true), fio::kOk);
  EXPECT_FALSE(fio::inquireFile(path).exists);
}

}  // namespace
