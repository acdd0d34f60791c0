// The library against an independent reader and writer of results files (a Python script written
// from the record format alone): each reads what the other wrote, word for word.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/storage/results/results_support.h"

namespace {

using namespace results_test;

std::string hexWord(double word) {
  unsigned char bytes[8];
  std::memcpy(bytes, &word, 8);
  char text[17];
  for (int k = 0; k < 8; ++k) std::snprintf(text + 2 * k, 3, "%02x", bytes[k]);
  return std::string(text, 16);
}

std::string hexRecord(const Record& r) {
  std::string line;
  for (std::size_t k = 0; k < r.size(); ++k) line += (k ? " " : "") + hexWord(r[k]);
  return line;
}

bool havePython() { return std::system("python3 -c 1 >/dev/null 2>&1") == 0; }

// The lines the script prints for the action on the file.
std::vector<std::string> script(const std::string& action, const std::string& form, const std::string& file) {
  const std::string command = "python3 " RESULTS_READER_SCRIPT " " + action + " " + form + " " + file;
  std::vector<std::string> lines;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return lines;
  std::string current;
  for (int c; (c = std::fgetc(pipe)) != EOF;) {
    if (c == '\n') {
      lines.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(c);
    }
  }
  EXPECT_EQ(pclose(pipe), 0) << command;
  return lines;
}

class ResultsAgainstPython : public ResultsFile {
 protected:
  void SetUp() override {
    ResultsFile::SetUp();
    if (!havePython()) GTEST_SKIP() << "python3 is not available";
  }

  // Records of reals, integers and texts, some crossing blocks and lines.
  static std::vector<Record> sample() {
    std::vector<Record> out;
    for (int n = 0; n < 30; ++n) {
      Record r = counting(n % 2 ? 5 : 1001, 3 + (n * 61) % 400, std::sin(n) * std::pow(10.0, n % 40 - 20));
      if (n % 2 == 0) {
        r[2] = n;                  // key 1001: I 1-3, A 4, I 5..L
        r[3] = textWord("PART-A  ");
        for (std::size_t k = 4; k < r.size(); ++k) r[k] = static_cast<double>(static_cast<int>(k * 977 * n) % 99991);
      }
      out.push_back(r);
    }
    return out;
  }

  void writeSample(int form) {
    rec::i(CWORK, eqc_records::kResultsForm) = form;
    for (const Record& r : sample()) ASSERT_EQ(write(r), 0);
    ASSERT_EQ(control(10), 0);
    ASSERT_EQ(control(2), 0);
  }

  static std::vector<std::string> libraryRecords() {
    std::vector<std::string> lines;
    for (const Record& r : readAll()) lines.push_back(hexRecord(r));
    return lines;
  }
};

TEST_F(ResultsAgainstPython, ScriptReadsTheLibrarysBinaryFile) {
  writeSample(2);
  std::vector<std::string> expected;
  for (const Record& r : sample()) expected.push_back(hexRecord(r));
  const auto library = libraryRecords();
  ASSERT_EQ(library.size(), expected.size() + 1);
  expected.push_back(library.back());
  EXPECT_EQ(library, expected);
  EXPECT_EQ(script("read", "binary", path("job.fil")), expected);
}

TEST_F(ResultsAgainstPython, ScriptReadsTheLibrarysAsciiFile) {
  writeSample(1);
  const auto library = libraryRecords();
  ASSERT_EQ(library.size(), sample().size() + 1);
  EXPECT_EQ(script("read", "ascii", path("job.fil")), library);
}

TEST_F(ResultsAgainstPython, LibraryReadsTheScriptsFiles) {
  for (int form : {2, 1}) {
    for (Int unit = 1; unit <= 40; ++unit) fio::close(unit);
    rec::clear(CBUFFA);
    INITF();
    rec::i(CWORK, eqc_records::kResultsForm) = form;
    const auto written = script("write", form == 2 ? "binary" : "ascii", path("job.fil"));
    ASSERT_GT(written.size(), 20u);
    EXPECT_EQ(libraryRecords(), written) << "form " << form;
  }
}

}  // namespace
