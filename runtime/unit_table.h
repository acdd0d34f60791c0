// The table of numbered units behind runtime/units.h, shared with the formatted transfers of
// runtime/format.cpp. Not part of the run-time's public interface.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>

#include "runtime/units.h"

namespace fio::detail {

struct Unit {
  std::FILE* file = nullptr;
  bool ownsFile = false;  // false for the standard streams
  bool scratch = false;
  bool memory = false;
  bool lastWasWrite = false;
  Form form = Form::Formatted;
  Access access = Access::Sequential;
  Int recl = 0;
  std::string name;
  dev_t device = 0;
  ino_t inode = 0;
  pid_t opener = 0;  // the process that connected the unit; only it cuts the file at its exit
};

// The unit, connecting a standard stream to units 5, 6 and 0 when nothing else is; null for a
// unit number out of range.
Unit* findUnit(Int unit);
// The connected unit ready for a transfer in the given direction and form; null with the IOSTAT
// in *iostat otherwise.
Unit* unitForTransfer(Int unit, Form form, bool writing, int* iostat);

}  // namespace fio::detail
