#include "storage/db_units/work_room.h"

#include <climits>
#include <string_view>

#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/eqc_messages.h"
#include "zmx/storage/db_units.h"

namespace zmx::units {

WorkRoom::WorkRoom(const void* array, long long passed, int perSlot) : units_(passed) {
  const long long known = eqc::knownRoom(array);
  if (known >= 0) units_ = known * perSlot;
}

Growth WorkRoom::grow(long long need, Int* limit) const {
  // DBCORE takes a 32-bit count: a larger need cannot be booked.
  if (need > INT_MAX) {
    reportMemoryFailure();
    return Growth::kFailed;
  }
  const Int words = static_cast<Int>(need), before = *limit;
  DBCORE(&words, limit);
  if (words > before && *limit == before) return Growth::kFailed;  // a raise always moves the limit
  return holds(need) ? Growth::kInArray : Growth::kBeyondRoom;
}

bool WorkRoom::growOrRefuse(long long need, Int* limit) const {
  const Growth growth = grow(need, limit);
  if (growth == Growth::kBeyondRoom) reportMemoryFailure();
  return growth == Growth::kInArray;
}

void reportMemoryFailure() {
  constexpr std::string_view kText = "MEMORY FAILURE.";
  const Int level = -3, none = 0;
  const Real noReal = 0.0;
  KVXERR(&level, kText.data(), static_cast<Int>(kText.size()), &none, &noReal, " ", 1);
}

}  // namespace zmx::units
