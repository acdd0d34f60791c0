// Coordinates of listed nodes, by label, from a coordinate array whose columns stand in another
// order: the column of a label comes from an ordered search in the array's label list or from an
// integer map.

#include <string_view>

#include "geometry/support/geometry_report.h"
#include "runtime/record.h"
#include "zmx/geometry/facets.h"
#include "zmx/numerics/sorting.h"
#include "zmx/storage/sets.h"

namespace {

constexpr Real kUnset = 1e36;

// Writes the coordinates of column c (1-based) to out, or 1e36 when c is 0.
void copyColumn(const Real* coords, Int column, Real* out) {
  for (int i = 0; i < 3; ++i) out[i] = column > 0 ? coords[3 * static_cast<long long>(column - 1) + i] : kUnset;
}

void reportAbsent(std::string_view text, Int label) { zmx::geometry::report(zmx::geometry::kSystemError, text, {label}); }

// The column of each label by the ordered search, 0 for an empty place or an absent label.
template <class Each>
void byOrderedSearch(const Int* columnLabels, const Int* listLength, const void* labels, const Int* count,
                     std::string_view routine, Each each) {
  Int position = 0;
  for (Int k = 1; k <= *count; ++k) {
    const Int label = rec::slotI(labels, k);
    Int column = 0;
    if (label >= 1) {
      Int miss = 1;
      HUNTI(columnLabels, listLength, &label, &position, &miss);
      if (miss == 0) {
        column = position;
      } else {
        reportAbsent(routine, label);
      }
    }
    each(k, column);
  }
}

// The column of each label from the map, 0 for an empty place or an absent label.
template <class Each>
void byMap(const Int* map, const void* labels, const Int* count, std::string_view routine, Each each) {
  for (Int k = 1; k <= *count; ++k) {
    const Int label = rec::slotI(labels, k);
    Int column = 0;
    if (label >= 1) {
      column = SHR_MAPINT2INTGET(*map, &label);
      if (column < 1) {
        column = 0;
        reportAbsent(routine, label);
      }
    }
    each(k, column);
  }
}

}  // namespace

extern "C" {

void GETNODECOORDS(const Int* columnLabels, const Real* coords, const Int* listLength, const void* labels,
                   const Int* count, Real* out) {
  byOrderedSearch(columnLabels, listLength, labels, count,
                  "SYSTEM ERROR IN GETNODECOORDS - NODE %I IS NOT IN THE NODE LIST.",
                  [&](Int k, Int column) { copyColumn(coords, column, out + 3 * (k - 1)); });
}

void GETNODECOORDSPOS(const Int* columnLabels, const Real* coords, const Int* listLength, const void* labels,
                      const Int* count, Real* out, Int* positions) {
  byOrderedSearch(columnLabels, listLength, labels, count,
                  "SYSTEM ERROR IN GETNODECOORDSPOS - NODE %I IS NOT IN THE NODE LIST.", [&](Int k, Int column) {
                    copyColumn(coords, column, out + 3 * (k - 1));
                    positions[k - 1] = column;
                  });
}

void GETNODECOORDSHASH(const Int* map, const Real* coords, const void* labels, const Int* count, Real* out) {
  byMap(map, labels, count, "SYSTEM ERROR IN GETNODECOORDSHASH - NODE %I IS NOT IN THE NODE MAP.",
        [&](Int k, Int column) { copyColumn(coords, column, out + 3 * (k - 1)); });
}

void GETNODECOORDSDIST(const Int* map, const Real* coords, const void* labels, const Int* count, Real* out,
                       const Real* columnValues, Real* labelValues) {
  byMap(map, labels, count, "SYSTEM ERROR IN GETNODECOORDSDIST - NODE %I IS NOT IN THE NODE MAP.",
        [&](Int k, Int column) {
          copyColumn(coords, column, out + 3 * (k - 1));
          labelValues[k - 1] = column > 0 ? columnValues[column - 1] : kUnset;
        });
}

}  // extern "C"
