// Runs a piece of a test with the process's address space capped a little above what it maps
// now, so that a large allocation fails where the code under test asks for one; the cap is lifted
// again afterwards. Requests above 32 MB always map fresh memory, so no free heap memory can serve
// them. AddressSanitizer's shadow memory does not fit a cap: tests skip these cases there.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

namespace zmxtest {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSpaceCappable = false;
#else
inline constexpr bool kAddressSpaceCappable = true;
#endif

template <class Body>
void withAddressSpaceCapped(Body body) {
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_AS, &saved), 0);
  unsigned long pages = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  ASSERT_NE(statm, nullptr);
  const int read = std::fscanf(statm, "%lu", &pages);
  std::fclose(statm);
  ASSERT_EQ(read, 1);
  const rlimit capped{pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (rlim_t{16} << 20), saved.rlim_max};
  ASSERT_EQ(::setrlimit(RLIMIT_AS, &capped), 0);
  body();
  ASSERT_EQ(::setrlimit(RLIMIT_AS, &saved), 0);
}

}  // namespace zmxtest
