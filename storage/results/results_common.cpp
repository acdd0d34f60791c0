// Helpers shared by the results-file routines.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/records.h"
#include "storage/results/results_internal.h"

namespace zmx::results {

void message(int level, std::string_view text, std::initializer_list<Int> integers, std::string_view strings,
             Int stringLength) {
  const std::vector<Int> values(integers);
  const Int zero = 0;
  const Real noReal = 0.0;
  const std::string items = strings.empty() ? std::string(" ") : std::string(strings);
  const Int itemLength = strings.empty() ? 1 : stringLength;
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), values.empty() ? &zero : values.data(), &noReal,
         items.data(), itemLength);
}

bool integerOfWord(const void* word, Int& value) {
  Real real;
  std::memcpy(&real, word, sizeof real);
  Int low, high;
  std::memcpy(&low, word, sizeof low);
  std::memcpy(&high, static_cast<const char*>(word) + 4, sizeof high);
  // A slot that holds an integer in its low half is not a NaN, whatever its bits read as.
  const bool integerSlot = high == 0 || (high == -1 && low < 0);
  if (!integerSlot && std::isnan(real)) return false;
  const Int one = 1;
  ACOPDI(word, &value, &one);
  return true;
}

bool unitOpen(Int unit) {
  return unit >= 1 && unit <= static_cast<Int>(rec::words<CBUFFA_t>()) && rec::i(CBUFFA, unit) != 0;
}

void reportRecordLength(Int length, Int limit) {
  message(-2, "RESULTS FILE RECORD LENGTH %I IS OUTSIDE THE RANGE 2 TO %I.  THE RECORD CANNOT BE READ",
          {length, limit});
}

}  // namespace zmx::results
