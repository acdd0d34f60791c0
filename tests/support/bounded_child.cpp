#include "tests/support/bounded_child.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace zmxtest {
namespace {

[[maybe_unused]] std::size_t mappedBytes() {
  unsigned long pages = 0;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%lu", &pages) != 1) pages = 0;
    std::fclose(statm);
  }
  return pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

void limit(int resource, std::size_t bytes) {
  const rlimit value{bytes, bytes};
  ::setrlimit(resource, &value);
}

}  // namespace

int runInBoundedChild(const std::function<int()>& body, const ChildLimits& limits) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
#if !defined(__SANITIZE_ADDRESS__)
    limit(RLIMIT_AS, mappedBytes() + limits.extraAddressSpace);
#endif
    limit(RLIMIT_FSIZE, limits.fileBytes);
    ::alarm(limits.seconds);
    const int code = body();
    std::fflush(nullptr);
    ::_exit(code);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

int runInBoundedChildThenHere(const std::function<int()>& body, const ChildLimits& limits) {
  const int code = runInBoundedChild(body, limits);
  return code != 0 ? code : body();
}

}  // namespace zmxtest
