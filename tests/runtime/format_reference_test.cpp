// The format engine against gfortran: every case of tests/golden/format_cases.txt (the formats
// the library prints with, and the edges of each edit descriptor) is written by the gfortran
// program format_reference and by the engine, and the records must agree byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
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

namespace {

// Many random values through every numeric descriptor, against gfortran: rounding at the last
// digit, the F/E choice of G, the scale factor and the widest exponents.
TEST(FormatAgainstGfortran, RandomValuesMatchByteForByte) {
  const char* formats[] = {"(4E15.8)",     "(4E12.5)",       "(4G12.3)",        "(4G15.8)",    "(4F10.3)",
                           "(1P,4G12.4)",  "(4D15.8)",       "(4F8.0)",         "(4E10.3E3)",  "(1P,4E15.8)",
                           "(-1P,4E15.8)", "(2P,4E15.8)",    "(1P,4F12.3)",     "(4G10.3)",    "(4E9.2)",
                           "(4F6.1)",      "(4G25.17)",      "(4E25.16E3)"};
  std::mt19937_64 random(2024);
  std::vector<Case> cases;
  const std::string folder = zmxtest::scratchFolder("format_random");
  std::ofstream file(folder + "/cases.txt");
  for (const char* f : formats) {
    for (int trial = 0; trial < 60; ++trial) {
      Case c;
      c.format = f;
      c.order = "SIR";
      for (int k = 0; k < 4; ++k) {
        const double mantissa = std::uniform_real_distribution<double>(1.0, 10.0)(random);
        int exponent = static_cast<int>(random() % 40) - 20;
        if (trial % 11 == 0) exponent *= 15;  // toward the ends of the double range
        double value = mantissa * std::pow(10.0, exponent);
        if (trial % 5 == 0) value = std::round(value * 1000.0) / 1000.0 + 0.0005;  // near a tie
        if (trial % 7 == 0) value = std::pow(10.0, exponent) * (1.0 - 1e-9);          // just below a power
        if (random() % 2 == 0) value = -value;
        c.reals.push_back(value);
      }
      file << c.format << "\nSIR 0 0 4\n";
      char line[200];
      std::snprintf(line, sizeof line, "%.17E %.17E %.17E %.17E\n", c.reals[0], c.reals[1], c.reals[2], c.reals[3]);
      file << line;
      cases.push_back(c);
    }
  }
  for (int trial = 0; trial < 100; ++trial) {  // list-directed reals and integers
    Case c;
    c.format = "LIST";
    c.order = "LIST";
    for (int k = 0; k < 3; ++k) {
      const double mantissa = std::uniform_real_distribution<double>(1.0, 10.0)(random);
      c.reals.push_back((k == 1 ? -mantissa : mantissa) * std::pow(10.0, static_cast<int>(random() % 60) - 30));
    }
    c.integers.push_back(static_cast<Int>(random()));
    file << "LIST\nLIST 0 1 3\n" << c.integers[0] << "\n";
    char line[200];
    std::snprintf(line, sizeof line, "%.17E %.17E %.17E\n", c.reals[0], c.reals[1], c.reals[2]);
    file << line;
    cases.push_back(c);
  }
  file.close();
  const std::string output = folder + "/reference.txt";
  ASSERT_EQ(std::system((std::string(FORMAT_REFERENCE) + " " + folder + "/cases.txt " + output).c_str()), 0);
  const auto reference = readReference(output);
  ASSERT_EQ(reference.size(), cases.size());
  int mismatches = 0;
  for (std::size_t k = 0; k < cases.size() && mismatches < 10; ++k) {
    const auto mine = engineRecords(cases[k]);
    if (mine != reference[k]) ++mismatches;
    EXPECT_EQ(mine, reference[k]) << cases[k].format << " " << cases[k].reals[0] << " " << cases[k].reals[1] << " "
                                  << cases[k].reals[2];
  }
}

}  // namespace
