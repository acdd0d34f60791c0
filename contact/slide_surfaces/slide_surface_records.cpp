// Small services around slide surfaces: the slave-surface record of the slide-line database by
// name, a node of a slide surface's node list, and the rotation of a slave node about an axis.

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/import_services.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/slide_line_codes.h"
#include "storage/db_units/work_room.h"
#include "zmx/contact/slide_surfaces.h"
#include "zmx/storage/db_units.h"

namespace {

// Slots of a slide-line record (8-byte slots, integers in the low 4 bytes).
constexpr int kSlotType = 2;
constexpr long long kNameByte = 16;  // slot 3: the 8-byte coded name
constexpr Int kCodeBytes = 8;

constexpr Int kSlaveSurfaceType = 30;
constexpr long long kMostRecords = 10'000'000;
constexpr Int kPreProcessor = 1;
constexpr Int kImplicit = 0;

constexpr std::string_view kShortfall =
    "THERE IS NOT ENOUGH MEMORY ALLOCATED TO PROCESS THE SURFACE DATA.  THE pre_memory VARIABLE MUST BE "
    "INCREASED BY AT LEAST %I WORDS TO SUCESSFULLY PRE-PROCESS THE MODEL.";
static_assert(kShortfall.size() == 167);
constexpr std::string_view kWalkLimit = "SYSTEM ERROR IN ASURFREC - LOOP 5 LIMIT EXCEEDED";
static_assert(kWalkLimit.size() == 48);

void report(std::string_view text, Int value) {
  const Int level = -3;
  const Real zero = 0.0;
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), &value, &zero, " ", 1);
}

// The pre-processor is told by how much its memory must grow to hold a record.
void reportShortfall(Int length, Int capacity) {
  const long long shortfall = static_cast<long long>(length) - capacity + 1;
  report(kShortfall, static_cast<Int>(std::min<long long>(shortfall, 2147483647LL)));
}

// A record names a surface only when it is long enough to hold its type and name slots.
bool namesSurface(const void* record, Int length, const char* code) {
  constexpr Int kNameSlots = 3;
  if (length < kNameSlots) return false;
  const char* name = static_cast<const char*>(record) + kNameByte;
  return rec::slotI(record, kSlotType) == kSlaveSurfaceType && BCU_ACOMP(code, kCodeBytes, name, kCodeBytes) == 0;
}

}  // namespace

extern "C" {

void ASURFREC(const char* NAME, Int NAMELEN, Int* ADDRESS, void* BUFFER, const Int* CAPACITY) {
  *ADDRESS = 0;
  char code[kCodeBytes] = {};
  ACODCE(NAME, NAMELEN, code, &kCodeBytes);
  const long long end = rec::i(CSLV, eqc_records::kSlaveSurfaceEnd);
  long long address = rec::i(CSLV, eqc_records::kSlaveSurfaceFirst);
  const zmx::units::WorkRoom room(BUFFER, *CAPACITY);
  // What DBCORE raises the capacity to holds for the rest of the walk.
  Int raised = *CAPACITY;
  for (long long visited = 0; address < end; ++visited) {
    Int at = static_cast<Int>(address);
    const Int length = DBSLLENGTH(&at);
    if (visited == kMostRecords || length < 1) {
      report(kWalkLimit, 0);
      return;
    }
    // The implicit program grows its memory to the record's length; the pre-processor reports
    // the shortfall. Either way the search goes on.
    const Int kind = rec::i(CPROG, eqc_records::kProgramKind);
    if (kind == kImplicit) {
      room.grow(length, &raised);
    } else if (kind == kPreProcessor && length > *CAPACITY) {
      reportShortfall(length, *CAPACITY);
    }
    // Only the search reads the records: one beyond the buffer's room goes to storage of its own.
    std::vector<Real> own;
    const bool inBuffer = room.holds(length);
    const bool read =
        inBuffer ? eqc::readSlideLineRecord(at, BUFFER, room.units()) : eqc::readSlideLineRecord(at, own);
    if (read && namesSurface(inBuffer ? BUFFER : own.data(), length, code)) {
      *ADDRESS = at;
      return;
    }
    address += length;
  }
}

void FIND_SLIDESURFACE_NODE(const Int* LIST, const Int* OFFSET, const Int* N, const Int* NODE, const Int* KIND,
                            const Int* VALUES1, const Int* VALUES101, Int* FOUND, Int* POS1, Int* POS101) {
  *FOUND = 0;
  *POS1 = 0;
  *POS101 = 0;
  for (Int p = 1; p <= *N; ++p) {
    if (LIST[static_cast<long long>(*OFFSET) + p - 1] != *NODE) continue;
    *FOUND = 1;
    if (*KIND == 1) *POS1 = VALUES1[p - 1] > 0 ? 1 : 0;
    if (*KIND == 101) *POS101 = VALUES101[p - 1] > 0 ? 1 : 0;
    return;
  }
}

void ROTATESLAVENODE(const Real* AXIS, const Real* THETA, Real* P) {
  const Int three = 3;
  Int status = 0;
  Real a[3], d[3];
  for (int i = 0; i < 3; ++i) {
    a[i] = AXIS[3 + i] - AXIS[i];
    d[i] = P[i] - AXIS[i];
  }
  ANORM(a, &three, &status);
  Real unitD[3] = {d[0], d[1], d[2]};
  ANORM(unitD, &three, &status);
  if (status != 0) return;  // P = A
  const Real h = d[0] * a[0] + d[1] * a[1] + d[2] * a[2];
  Real across[3], e1[3], e2[3];
  for (int i = 0; i < 3; ++i) across[i] = e1[i] = d[i] - h * a[i];
  const Real rho = std::sqrt(across[0] * across[0] + across[1] * across[1] + across[2] * across[2]);
  ANORM(e1, &three, &status);
  AXPRD(a, across, e2);
  ANORM(e2, &three, &status);
  if (status != 0) return;  // P on the axis, or A = B
  const Real c = rho * std::cos(*THETA), s = rho * std::sin(*THETA);
  for (int i = 0; i < 3; ++i) P[i] += c * e1[i] + s * e2[i] - across[i];
}

}  // extern "C"
