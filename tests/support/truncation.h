// Lengths at which to cut a well-formed file so that every reader meets the end of its data at
// each place that matters: nothing, one byte, every boundary of the file's records or pages and a
// few bytes either side of it, and a handful of cuts at random (fixed seed, so a failure repeats).
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <vector>

namespace zmxtest {

inline std::vector<std::uintmax_t> truncationLengths(std::uintmax_t size, const std::vector<std::uintmax_t>& boundaries,
                                                     unsigned randomCuts = 6) {
  std::vector<std::uintmax_t> cuts{0, 1};
  for (const std::uintmax_t b : boundaries)
    for (const long long d : {-8LL, -4LL, -1LL, 0LL, 1LL, 4LL})
      if (d >= 0 || b >= static_cast<std::uintmax_t>(-d)) cuts.push_back(b + d);
  std::mt19937_64 random(size);
  for (unsigned k = 0; k < randomCuts && size > 1; ++k) cuts.push_back(1 + random() % (size - 1));
  std::erase_if(cuts, [size](std::uintmax_t c) { return c >= size; });
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  return cuts;
}

// A copy of the file cut to the first `length` bytes.
inline void writeTruncatedCopy(const std::filesystem::path& from, const std::filesystem::path& to,
                               std::uintmax_t length) {
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::resize_file(to, length);
}

}  // namespace zmxtest
