#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "runtime/fortran_chars.h"
#include "siblings/utl/utl.h"

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool hasDrive(std::string_view path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) != 0 && path[1] == ':';
}

bool carriesRoot(std::string_view path) { return (!path.empty() && isSeparator(path[0])) || hasDrive(path); }

std::string_view view(const cow_String& s) { return {s.CStr(), s.Length()}; }

}  // namespace

utl_FilePath::utl_FilePath(const cow_String& file, const cow_String& directory) : path_(file) {
  const std::string_view dir = view(directory);
  if (dir.empty() || carriesRoot(view(file))) return;
  path_ = directory;
  if (!isSeparator(dir.back())) path_.Append(1, '/');
  path_ = path_ + file;
}

cow_String utl_FilePath::AbsolutePathName() const {
  if (carriesRoot(view(path_))) return path_;
  std::error_code error;
  const std::string here = std::filesystem::current_path(error).string();
  if (error) return path_;
  cow_String absolute(here.data(), here.size());
  if (here.empty() || !isSeparator(here.back())) absolute.Append(1, '/');
  return absolute + path_;
}

cow_String utl_FilePath::DirectoryPath() const {
  const std::string_view path = view(path_);
  const std::size_t last = path.find_last_of("/\\");
  if (last != std::string_view::npos) return cow_String(path.data(), last + 1);
  if (hasDrive(path)) return cow_String(path.data(), 2);
  return cow_String();
}

cow_String bcu_FtoCString(Int length, const char* text) {
  const std::string_view name = fchar::view(text, length);
  return cow_String(name.data(), name.size());
}
