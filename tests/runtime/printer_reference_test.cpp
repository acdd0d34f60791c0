// Step-printer and catalogue formats with items of mixed kinds, against gfortran.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "runtime/format.h"
#include "tests/support/host_fixture.h"

namespace {

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void add(std::string& out, const char* format, std::initializer_list<fio::OutItem> items) {
  int iostat = -99;
  for (const auto& record : fio::formatRecords(fio::format(format), items, &iostat)) out += record + "\n";
  EXPECT_EQ(iostat, fio::kOk) << format;
}

TEST(PrinterFormatsAgainstGfortran, MixedItemsMatchByteForByte) {
  const std::string reference = zmxtest::scratchFolder("printer_reference") + "/reference.txt";
  ASSERT_EQ(std::system((std::string(PRINTER_REFERENCE) + " " + reference).c_str()), 0);
  std::string names;
  for (int k = 1; k <= 10; ++k) names += "NAME" + std::to_string(k % 10) + "   ";
  std::string mine;
  add(mine, "(1X,A4,'CRITERION FOR ZERO ',A9,' REL. TO TIME',' AVRG. MAX. ',A9,1X,1P,G12.3)",
      {"*** ", "FLUX     ", "FIELD    ", 5.0e-3});
  add(mine, "(1X,A4,'CRITERION FOR RESIDUAL ',A9,' ',25X,1P,G12.3)", {"    ", "MOMENT", 12345.678});
  add(mine, "(1X,A4,'CONTACT TRACK (0 - ADAP, 1 - INC, 2 - ALWAYS)     ',8X,I5)", {"*** ", 2});
  add(mine, "(10X,2(1P,G13.3),I9,4X,1P,G13.3,2X,2A8)", {1.0e-3, 250.0, 17, -4.5e6, "FREQ    ", "LINEAR  "});
  add(mine, "(18X,2(1P,G10.3),I6,5X,1P,G13.3,2X,2A8)", {0.0, 1.0, 3, 0.125, "LOG", "BIAS"});
  add(mine, "(/,/,10X,10A8)", {fio::outChars(names.data(), 10, 8)});
  add(mine, "(/,/,10X,10A8)", {fio::outChars(names.data(), 3, 8)});
  add(mine, "(/,/,24X,'MODES ARE ADDED ACCORDING TO    ',A4,/,24X,'COMPONENTS ADDED ACCORDING TO   ',A8,A1)",
      {"SRSS", "ALGEBRAI", "C"});
  add(mine, "(/,5X,'THE MAXIMUM NUMBER OF INCREMENTS IN THIS STEP IS',17X,I7)", {12345678});
  add(mine, "(/,5X,'AUTOMATIC STABILIZATION WITH DISSIPATION ','FACTOR = ',1P,G11.3)", {2.0e-4});
  add(mine,
      "(10X,'A SUGGESTED INITIAL TIME INCREMENT OF',13X,1P,G12.3,/,10X,'AND A TOTAL TIME PERIOD OF',24X,1P,G12.3)",
      {0.1, 1.0});
  add(mine, "(1X,A4,'FIELD CONVERSION RATIO',41X,1P,G12.3)", {"    ", -0.0});
  EXPECT_EQ(mine, fileText(reference));
}

}  // namespace
