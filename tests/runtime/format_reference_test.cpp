// The format engine against gfortran: every case of tests/golden/format_cases.txt (the formats
// the library prints with, and the edges of each edit descriptor) is written by the gfortran
// program format_reference and by the engine, and the records must agree byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/format.h"
#include "runtime/units.h"
#include "tests/support/host_fixture.h"

namespace {

struct Case {
  std::string format;
  std::string order;  // SIR: a text, integers, reals; CIR: the text as single characters first; ICR;
                      // LIST: list-directed
  std::string text;
  std::vector<Int> integers;
  std::vector<Real> reals;
};

std::vector<Case> readCases(const std::string& path) {
  std::ifstream in(path);
  std::vector<Case> cases;
  std::string line;
  while (std::getline(in, line)) {
    Case c;
    c.format = line;
    std::getline(in, line);
    std::istringstream counts(line);
    std::size_t length = 0, ni = 0, nr = 0;
    counts >> c.order >> length >> ni >> nr;
    if (length > 0) {
      std::getline(in, c.text);
      c.text.resize(length, ' ');
    }
    if (ni > 0) {
      std::getline(in, line);
      std::istringstream values(line);
      c.integers.resize(ni);
      for (Int& v : c.integers) values >> v;
    }
    if (nr > 0) {
      std::getline(in, line);
      std::istringstream values(line);
      c.reals.resize(nr);
      for (Real& v : c.reals) {
        std::string word;
        values >> word;
        v = std::strtod(word.c_str(), nullptr);
      }
    }
    cases.push_back(c);
  }
  return cases;
}

// The reference output, one list of records per case.
std::vector<std::vector<std::string>> readReference(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::vector<std::string>> all(1);
  for (std::string line; std::getline(in, line);) {
    if (line == "#") {
      all.emplace_back();
      continue;
    }
    all.back().push_back(line);
  }
  all.pop_back();
  return all;
}

std::vector<std::string> engineRecords(const Case& c) {
  std::vector<fio::OutItem> items;
  const fio::OutItem textItem = c.order == "SIR" || c.order == "LIST"
                                    ? fio::OutItem(std::string_view(c.text))
                                    : fio::outChars(c.text.data(), c.text.size(), 1);
  const bool textFirst = c.order != "ICR";
  if (!c.text.empty() && textFirst) items.push_back(textItem);
  if (!c.integers.empty()) items.push_back(fio::outArray(c.integers.data(), c.integers.size()));
  if (!c.text.empty() && !textFirst) items.push_back(textItem);
  if (!c.reals.empty()) items.push_back(fio::outArray(c.reals.data(), c.reals.size()));
  if (c.order == "LIST") {
    EXPECT_EQ(fio::openMemory(77), fio::kOk);
    EXPECT_EQ(fio::writeList(77, items), fio::kOk);
    std::vector<std::string> records;
    std::istringstream text(fio::memoryText(77));
    for (std::string line; std::getline(text, line);) records.push_back(line);
    fio::close(77);
    return records;
  }
  int iostat = -99;
  auto records = fio::formatRecords(fio::format(c.format), items, &iostat);
  EXPECT_EQ(iostat, fio::kOk) << c.format;
  return records;
}

TEST(FormatAgainstGfortran, EveryCaseMatchesByteForByte) {
  const std::string cases = ZMX_SOURCE_DIR "/tests/golden/format_cases.txt";
  const std::string output = zmxtest::scratchFolder("format_reference") + "/reference.txt";
  const std::string command = std::string(FORMAT_REFERENCE) + " " + cases + " " + output;
  ASSERT_EQ(std::system(command.c_str()), 0);
  const auto all = readCases(cases);
  const auto reference = readReference(output);
  ASSERT_EQ(all.size(), reference.size());
  for (std::size_t k = 0; k < all.size(); ++k) {
    const auto mine = engineRecords(all[k]);
    EXPECT_EQ(mine, reference[k]) << "case " << k + 1 << ": " << all[k].format;
  }
}

}  // namespace
