// The orientation point records that DBML reads in sequence.
#include "siblings/eqc/orientation_points.h"

#include <cstring>

namespace {

constinit std::vector<std::vector<double>>* gRecords = nullptr;

std::vector<std::vector<double>>& records() {
  if (gRecords == nullptr) gRecords = new std::vector<std::vector<double>>();  // lives until the process ends
  return *gRecords;
}

}  // namespace

namespace eqc_detail {

void readOrientationRecord(void* buffer, long long room, Int* key, Int* status) {
  const auto& all = records();
  if (*key < 0 || static_cast<std::size_t>(*key) >= all.size() ||
      static_cast<long long>(all[static_cast<std::size_t>(*key)].size()) > room) {
    *status = 1;
    return;
  }
  const auto& slots = all[static_cast<std::size_t>(*key)];
  if (!slots.empty()) std::memcpy(buffer, slots.data(), 8 * slots.size());
  *key += 1;
  *status = 0;
}

}  // namespace eqc_detail

namespace eqc_testing {
void setOrientationRecords(std::vector<std::vector<double>> given) { records() = std::move(given); }
}  // namespace eqc_testing
