// Named record types: fixed blocks of 4-byte words shared by name between the library, its
// siblings and the hosts.
#pragma once

#include <cstdint>

// Declares a named record type of the given number of 4-byte words, 8-byte aligned.
#define ZMX_RECORD_TYPE(name, nwords)                 \
  struct alignas(8) name##_t {                        \
    std::int32_t w[nwords];                           \
  };                                                  \
  static_assert(sizeof(name##_t) == 4 * (nwords), #name " layout")
