// Long labels (through the sibling label store) and path names.
#include <cstring>
#include <string_view>

#include "runtime/fortran_chars.h"
#include "siblings/eqc/eqc_labels.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/utl/utl.h"
#include "zmx/storage.h"

namespace {

constexpr Int kLabelLength = 80;
constexpr Int kStoreFull = 2;

void systemError(const char* text) {
  const Int level = -3;
  const Int integers[1] = {0};
  const Real reals[1] = {0.0};
  KVXERR(&level, text, static_cast<Int>(std::strlen(text)), integers, reals, nullptr, 0);
}

// The field without blanks at either end.
std::string_view trimmedBothEnds(const char* text, Int length) {
  std::string_view field = fchar::view(text, length);
  while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
  return field;
}

}  // namespace

extern "C" {

Int DBLABEL(const Int* operation, char* label, Int labelLength) {
  if (labelLength != kLabelLength) systemError("SYSTEM ERROR IN DBLABEL");
  Int status = 0;
  const Int result = LABELACCESS(operation, label, labelLength, &status);
  if (status == kStoreFull) systemError("SYSTEM ERROR IN DBLABEL. TOO MANY LABELS OVER 8 CHARACTERS IN LENGTH");
  return result;
}

void SHR_GETPATH(const char* file, Int fileLength, char* directory, Int directoryLength, Int* directoryLengthOut,
                 Int* absolute) {
  const std::string_view name = trimmedBothEnds(file, fileLength);
  const cow_String path = utl_FilePath(cow_String(name.data(), name.size()), cow_String()).DirectoryPath();
  const std::string_view found(path.CStr(), path.Length());
  fchar::assign(directory, directoryLength, found);
  *directoryLengthOut = static_cast<Int>(found.size());
  *absolute = !found.empty() && found.front() == '/' ? 1 : 0;
}

void SHR_CONVERTTONATIVE(char* path, Int pathLength) {
  const std::string_view given = trimmedBothEnds(path, pathLength);
  cow_String native(given.data(), given.size());
  substitute(native, "\\", "/");
  fchar::assign(path, pathLength, std::string_view(native.CStr(), native.Length()));
}

}  // extern "C"

void substitute(cow_String& text, const char* pattern, const char* replacement) {
  const std::size_t patternLength = pattern != nullptr ? std::strlen(pattern) : 0;
  if (patternLength == 0 || replacement == nullptr || replacement[0] == '\0') return;
  for (std::size_t at = 0; at + patternLength <= text.Length(); ++at)
    if (std::strncmp(text.CStr() + at, pattern, patternLength) == 0) text.SetAt(at, replacement[0]);
}
