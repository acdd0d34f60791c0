#include "geometry/support/geometry_report.h"

#include <algorithm>

#include "siblings/eqc/eqc_messages.h"

namespace zmx::geometry {

namespace {

// The message routines read as many integers and reals as the text asks for; a text here never
// asks for more than a few.
constexpr std::size_t kMostValues = 4;

template <class T>
void copyValues(std::initializer_list<T> values, T (&to)[kMostValues]) {
  std::fill(std::begin(to), std::end(to), T{});
  std::copy_n(values.begin(), std::min(values.size(), kMostValues), to);
}

}  // namespace

void report(Int level, std::string_view text, std::initializer_list<Int> integers, std::initializer_list<Real> reals) {
  Int ints[kMostValues];
  Real reals8[kMostValues];
  copyValues(integers, ints);
  copyValues(reals, reals8);
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), ints, reals8, " ", 1);
}

void reportCounted(Int level, std::string_view text, std::initializer_list<Int> integers) {
  Int ints[kMostValues];
  copyValues(integers, ints);
  const Real noReal = 0.0;
  const Int none = 0;
  KVXERR1(&level, text.data(), static_cast<Int>(text.size()), ints, &noReal, " ", 1, &none, &none);
}

}  // namespace zmx::geometry
