// The numerical message catalogue: the solver's zero-pivot and numerical-singularity warnings.
// Four bands of 31 keys, the position of a key in its band (counted from the band's base) being
// the degree of freedom d; label and text are made from the band and d rather than stored per
// key. Every other key gets the fallback entry, so the drain always ends with an entry.

#include "messages/catalogue/catalogue_rows.h"
#include "siblings/utl/utl.h"
#include "zmx/messages/catalogue.h"
#include "zmx/messages/drain.h"

namespace {

struct Band {
  int first;  // lowest key
  int last;   // highest key
  int base;   // the key of d = 0; d = base - key
  const char* label;
  int setType;
  const char* before;  // text up to d, ending in a blank
  const char* after;   // text after d, beginning with a blank
};

constexpr int kBandSeverity = -1;

constexpr Band kBands[] = {
    {-3081, -3051, -3051, "WarnNodeSolvProbZeroPiv", zmx::kNodeSet,
     "Solver problem. Zero pivot when processing D.O.F. ",
     " of %I nodes. The nodes have been identified in node set %S."},
    {2086, 2116, 2116, "WarnElemSolvProbZeroPiv", zmx::kElementSet,
     "Solver problem. Zero pivot when processing D.O.F. ",
     " at one or more of the internal nodes of %I elements. The elements have been identified in element set %S."},
    {-3050, -3020, -3020, "WarnNodeSolvProbNumSing", zmx::kNodeSet,
     "Solver problem. Numerical singularity when processing D.O.F. ",
     " of %I nodes. The nodes have been identified in node set %S."},
    {-2177, -2147, -2147, "WarnElemSolvProbNumSing", zmx::kElementSet,
     "Solver problem. Numerical singularity at D.O.F. ",
     " at one or more of the internal nodes of %I elements. The elements have been identified in element set %S."},
};

}  // namespace

bool NumericalMessages(int key, cow_String& label, cow_String& text, int& severity, int& setType, int step,
                       int increment, int first, int second) {
  for (const Band& band : kBands) {
    if (key < band.first || key > band.last) continue;
    const int d = band.base - key;
    label = AssembleSetName(band.label, d, step, increment, first, second);
    text = cow_String(band.before) + cow_String(d) + cow_String(band.after);
    severity = kBandSeverity;
    setType = band.setType;
    return true;
  }
  label = cow_String(zmx::catalogue::kFallbackLabel);
  text = cow_String(zmx::catalogue::kFallbackText);
  severity = zmx::catalogue::kFallbackSeverity;
  setType = zmx::kNoSet;
  return true;
}
