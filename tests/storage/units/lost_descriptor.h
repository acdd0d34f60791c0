// A file whose close fails: its descriptor is closed behind the run time's back, so that the
// run time's own close of the file then reports an error.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace zmxtest {

// Every descriptor of the process open on the file is closed.
inline void loseDescriptor(const std::string& file) {
  const std::filesystem::path target = std::filesystem::weakly_canonical(file);
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (std::filesystem::read_symlink(entry.path(), error) == target) ::close(std::stoi(entry.path().filename()));
  }
}

}  // namespace zmxtest
