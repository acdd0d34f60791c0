// The utility library's strings, command line and file paths, as this library uses them.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "runtime/fortran_types.h"
#include "siblings/utl/utl_singleton.h"

// Copy-on-write, reference-counted string. Copies share one text until one of them is written;
// a default string holds no text and reads as "".
class ZMX_EXPORT cow_String {
 public:
  constexpr cow_String() noexcept = default;
  cow_String(const char* text);  // NOLINT: converts like a text; null reads as ""
  cow_String(const char* text, std::size_t count);
  // The integer written in decimal, with its minus sign.
  explicit cow_String(int value);
  cow_String(const cow_String& other) noexcept;
  cow_String(cow_String&& other) noexcept;
  cow_String& operator=(const cow_String& other) noexcept;
  cow_String& operator=(cow_String&& other) noexcept;
  ~cow_String();

  std::size_t Length() const noexcept;
  // Terminated text; valid until this string is written or destroyed.
  const char* CStr() const noexcept;
  char At(std::size_t index) const noexcept;

  // Appends count characters of text.
  cow_String& Append(const char* text, std::size_t count);
  // Appends a run of count copies of c.
  cow_String& Append(std::size_t count, char c);
  // Replaces the character at index (inside the text).
  void SetAt(std::size_t index, char c);

 private:
  struct Text;
  void release() noexcept;
  // Makes the text this string's own with room for capacity characters.
  void own(std::size_t capacity);

  Text* text_ = nullptr;
};

ZMX_EXPORT cow_String operator+(const cow_String& left, const cow_String& right);

// The options of the command line the host was started with, by key ("tmpdir", "job",
// "indir", "pacfile", "kvxfile").
class ZMX_EXPORT utl_CommandLine {
 public:
  // The value of the key, "" when the command line has none; valid until the key is set again.
  const cow_String& ConstGetValue(const char* key) const;

 private:
  friend class omi_Singleton<utl_CommandLine>;
  friend class omi_SingletonBase<utl_CommandLine>;
  friend struct utl_CommandLineAccess;
  utl_CommandLine() = default;

  std::vector<std::pair<std::string, cow_String>> values_;
  cow_String none_;
};

extern template class omi_SingletonBase<utl_CommandLine>;
extern template class omi_Singleton<utl_CommandLine>;

// A file in a directory. The file is taken as it stands when it carries its own root (a leading
// separator or a drive letter and colon) or the directory is empty; otherwise the two are joined
// with one separator. Separators are "/" and "\".
class ZMX_EXPORT utl_FilePath {
 public:
  utl_FilePath(const cow_String& file, const cow_String& directory);
  // The path with the current working directory in front when it is relative.
  cow_String AbsolutePathName() const;
  // The path up to and including its last separator (or the drive's colon); "" when none.
  cow_String DirectoryPath() const;

 private:
  cow_String path_;
};

// A blank-padded name of the given length as a string without its trailing blanks.
ZMX_EXPORT cow_String bcu_FtoCString(Int length, const char* text);

extern "C" {
// Writes the value of the command-line key into the blank-padded field. status: 0 the value
// was written, 1 the command line has no value for the key (the field is left blank), 2 the value was
// longer than the field and was cut.
ZMX_EXPORT void UTL_COMMANDLINESTRING(const char* key, Int keyLength, char* value, Int valueLength, Int* status);
}
