#include "tests/model/printers/expected_lines.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include "runtime/record.h"
#include "runtime/units.h"
#include "siblings/eqc/page_control_testing.h"
#include "siblings/eqc/records.h"
#include "tests/support/host_fixture.h"

namespace printers_test {

Expected& Expected::put(std::string_view format, std::initializer_list<Item> items) {
  return put(format, std::vector<Item>(items));
}

Expected& Expected::put(std::string_view format, const std::vector<Item>& items) {
  script_ += "F " + std::string(format) + "\n";
  for (const Item& item : items) {
    char buffer[64];
    if (item.kind == 'I') {
      script_ += "I " + std::to_string(item.integer) + "\n";
    } else if (item.kind == 'R') {
      std::snprintf(buffer, sizeof buffer, "R %.17g\n", item.real);
      script_ += buffer;
    } else {
      std::snprintf(buffer, sizeof buffer, "C %03zu ", item.text.size());
      script_ += buffer + item.text + "\n";
    }
  }
  script_ += "W\n";
  return *this;
}

Expected& Expected::description(const StepRecord& rec) {
  std::vector<Item> pieces;
  for (std::size_t k = 0; k < 10; ++k) pieces.push_back(C(rec.description().substr(8 * k, 8)));
  return put("(/,/,10X,10A8)", pieces);
}

std::string Expected::text() const {
  // Tests run in parallel processes: each takes a folder of its own.
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string folder = zmxtest::scratchFolder(std::string("expected_lines_") + test->test_suite_name() + "_" +
                                                    test->name() + "_" + std::to_string(getpid()));
  const std::string script = folder + "/script.txt";
  const std::string output = folder + "/expected.txt";
  std::ofstream(script) << script_;
  const std::string command = std::string(EXPECTED_LINES) + " " + script + " " + output;
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream in(output, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void startPrinting() {
  fio::openMemory(kUnit);
  rec::i(CLINES, 13) = kUnit;
  rec::i(CLINES, 14) = kUnit;
  eqc_page_testing::resetPageControl();
}

std::string printedText() { return fio::memoryText(kUnit); }

StepRecord::StepRecord(int slots) : slots_(static_cast<std::size_t>(slots), 0.0) {
  const char* words[] = {"STEP ONE", " HEATED ", "PLATE AN", "D A DESC", "RIPTION ",
                         "OF EIGHT", "Y CHARAC", "TERS IN ", "TEN PIEC", "ES.     "};
  for (int k = 0; k < 10; ++k) text(6 + k, words[k]);
}

StepRecord& StepRecord::real(int slot, double value) {
  rec::setSlotR(slots_.data(), slot, value);
  return *this;
}

StepRecord& StepRecord::integer(int slot, int value) {
  rec::setSlotI(slots_.data(), slot, value);
  return *this;
}

StepRecord& StepRecord::text(int slot, std::string_view eight) {
  char piece[8];
  for (std::size_t k = 0; k < 8; ++k) piece[k] = k < eight.size() ? eight[k] : ' ';
  std::memcpy(&slots_[static_cast<std::size_t>(slot - 1)], piece, 8);
  return *this;
}

std::string StepRecord::description() const {
  return {reinterpret_cast<const char*>(&slots_[5]), 80};
}

}  // namespace printers_test
