// The expected printed records of a printer, written by gfortran (expected_lines.f90) from the
// formats and items a test lists, and the printer's own output on a memory unit.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "zmx/types.h"

namespace printers_test {

struct Item {
  char kind;  // 'I', 'R' or 'C'
  long long integer = 0;
  double real = 0.0;
  std::string text;
};
inline Item I(long long v) { return {'I', v, 0.0, {}}; }
inline Item R(double v) { return {'R', 0, v, {}}; }
inline Item C(std::string_view v) { return {'C', 0, 0.0, std::string(v)}; }

class StepRecord;

class Expected {
 public:
  // One write of the items through the format.
  Expected& put(std::string_view format, std::initializer_list<Item> items = {});
  Expected& put(std::string_view format, const std::vector<Item>& items);
  // An empty record.
  Expected& blank() { return put("()"); }
  // The step description of slots 6 to 15, as the printers echo it.
  Expected& description(const StepRecord& rec);
  // The records gfortran writes for everything listed.
  std::string text() const;

 private:
  std::string script_;
};

// The unit the printers write on in these tests, connected to memory; CLINES words 13 and 14
// name it, and the page-control log is cleared.
inline constexpr Int kUnit = 61;
void startPrinting();
std::string printedText();

// A procedure record of slots reals and integers; slots 6 to 15 hold the description.
class StepRecord {
 public:
  explicit StepRecord(int slots = 80);
  StepRecord& real(int slot, double value);
  StepRecord& integer(int slot, int value);
  StepRecord& text(int slot, std::string_view eight);
  const Real* data() const { return slots_.data(); }
  Real* data() { return slots_.data(); }
  const Int* ints() const { return reinterpret_cast<const Int*>(slots_.data()); }
  std::string description() const;

 private:
  std::vector<Real> slots_;
};

}  // namespace printers_test
