// Linked into every test program (not into the support library, whose unreferenced objects the
// linker would drop): the process works in a scratch folder of its own from its start, so that a
// file named relative to the working folder (a unit opened without a file name becomes
// fort.<unit>, the example road's output database) never lands in the source tree or the build
// root, however the program is started. The folder goes again at exit when nothing was left in it;
// a child that a test forks, and that exits through the static destructors, leaves it alone.
#include <filesystem>
#include <system_error>

#include <unistd.h>

#include "tests/support/host_fixture.h"

namespace {

class WorkingFolder {
 public:
  WorkingFolder() {
    std::error_code ignored;
    started_ = std::filesystem::current_path(ignored);
    folder_ = zmxtest::scratchFolder("working");
    std::filesystem::current_path(folder_, ignored);
  }
  ~WorkingFolder() {
    if (::getpid() != owner_) return;
    std::error_code ignored;
    if (!started_.empty()) std::filesystem::current_path(started_, ignored);
    std::filesystem::remove(folder_, ignored);  // only an empty folder is removed
  }
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

 private:
  pid_t owner_ = ::getpid();
  std::filesystem::path started_;
  std::filesystem::path folder_;
};

const WorkingFolder kWorkingFolder;

}  // namespace
