// Formatted transfers: the edit-descriptor engine, list-directed output and internal files.
#include "runtime/format.h"

namespace fio {

class Format {
 public:
  bool valid = false;
};

const Format& format(std::string_view) {
  static constinit Format* invalid = nullptr;
  if (invalid == nullptr) invalid = new Format();
  return *invalid;
}

bool isValid(const Format& f) { return f.valid; }

int write(Int, const Format&, OutList) { return kBadFormat; }
int writeList(Int, OutList) { return kBadFormat; }
int read(Int, const Format&, InList) { return kBadFormat; }
int writeInternal(char*, Int, Int, const Format&, OutList) { return kBadFormat; }
int readInternal(const char*, Int, Int, const Format&, InList) { return kBadFormat; }
std::vector<std::string> formatRecords(const Format&, OutList, int* iostat) {
  if (iostat != nullptr) *iostat = kBadFormat;
  return {};
}

}  // namespace fio
