// Input-time geometry of trusses, beams and frames: orientation points, the side of the user's
// nodal normals, the section directions stored per node and the per-section-point checks.
#include <algorithm>
#include <cmath>
#include <vector>

#include "elements/geometry/element_records.h"
#include "elements/geometry/element_support.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/element_numbers.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/element_checks.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/eqc_units.h"
#include "siblings/eqc/line_shell_checks.h"
#include "siblings/eqc/records.h"
#include "zmx/elements/line.h"

namespace {

using namespace zmx_elements;
using namespace zmx_elements::typeword;

constexpr Int kOrientationRecords = 23;
constexpr int kMaxBeamNodes = 3;
// A type-23 record: slot 2 the count (first record) or the element number, slots 4-6 the point.
constexpr int kOrientationSlots = 64;

bool beamNodesFit(const char* text, Int n) {
  if (n >= 2 && n <= kMaxBeamNodes) return true;
  systemError(text, n);
  return false;
}

// Section-point variables of sub-layout k: the checks write into locals that are then copied
// into 17 and 27 and, their first reals, into 53 and 52.
void storeSectionPoint(Int handle, Int k, const Real* v17, Int n17, const Real* v27, Int n27) {
  const Int layout = subLayout(handle, k);
  if (n17 > 0) {
    if (Real* v = realVariable(layout, 17, n17)) std::copy_n(v17, n17, v);
    if (Real* v = realVariable(layout, 53, n17)) std::copy_n(v17, n17, v);
  }
  if (Real* v = realVariable(layout, 27, n27)) std::copy_n(v27, n27, v);
  if (Real* v = realVariable(layout, 52, n27)) std::copy_n(v27, n27, v);
}

void storePerNode(Int layout, const Real* values, Int count) {
  if (Real* v = realVariable(layout, 18, count)) std::copy_n(values, count, v);
}

// Reverses the nodal normals (rows 4 onward, dims of them) that point against m.
void turnNormals(Real* X, Int ldim, Int n, const Real* m, int dims) {
  for (int j = 1; j <= n; ++j) {
    Real s = 0.0;
    for (int r = 0; r < dims; ++r) s += m[r] * at(X, ldim, 4 + r, j);
    if (s < 0.0)
      for (int r = 0; r < dims; ++r) at(X, ldim, 4 + r, j) = -at(X, ldim, 4 + r, j);
  }
}

void planarBeam(Real* X, Int ldim, Real* data, Int handle, Int* status, bool thick) {
  const ElementView e = viewElement(handle);
  const Int number = thick ? GETJELNO(&handle) : e.number;
  const Int n = word(e.rec, kNodeCount);
  if (!beamNodesFit(thick ? "SYSTEM ERROR IN LTHBM2D: %I NODES" : "SYSTEM ERROR IN LBG002: %I NODES", n)) return;
  const int end = (thick || n == 2) ? 2 : 3;
  const Real dx = at(X, ldim, 1, end) - at(X, ldim, 1, 1), dy = at(X, ldim, 2, end) - at(X, ldim, 2, 1);
  const Real L = std::sqrt(std::max(dx * dx + dy * dy, 1.0e-36));
  const Real m[2] = {-dy / L, dx / L};
  turnNormals(X, ldim, n, m, 2);
  Real normals[2 * kMaxBeamNodes];
  for (int j = 1; j <= n; ++j) {
    normals[2 * (j - 1)] = at(X, ldim, 4, j);
    normals[2 * (j - 1) + 1] = at(X, ldim, 5, j);
  }
  storePerNode(e.layout, normals, 2 * n);
  for (Int k = 1; k <= word(e.rec, kPoints); ++k) {
    Real v17[1] = {}, v27[2] = {}, scratch = 0.0;
    if (thick) {
      EQC_LTHBM2DG(X, &ldim, normals, data, &k, v27, &number, status);
      storeSectionPoint(handle, k, v17, 0, v27, 2);
    } else {
      EQC_LBG002GO(X, &ldim, normals, &n, &k, v17, &scratch);
      EQC_LBG002G(X, &ldim, normals, &n, &k, v27, &number, status);
      storeSectionPoint(handle, k, v17, 1, v27, 2);
    }
  }
  if (!thick && n == 3) {
    const Int two = 2, zero = 0;
    EQC_3NLINE_ERRWARN(X, &ldim, &two, &number, status, &zero);
  }
}

Real* point(Real* X, Int ldim, int j) { return &at(X, ldim, 1, j); }

// a := the unit vector from node 1 to the orientation point, true when found and non-zero.
bool towardsPoint(const Real* X, Int ldim, Int number, Real* a) {
  Real p[3] = {};
  Int flag = 0;
  NGNORX(p, &number, &flag);
  if (flag != 0) return false;
  for (int r = 0; r < 3; ++r) a[r] = p[r] - at(X, ldim, r + 1, 1);
  return true;
}

}  // namespace

extern "C" {

void NGNORX(Real* point, const Int* element, Int* flag) {
  *flag = 0;
  Int key = 0, status = 0;
  const Int own = 0, one = 1;
  // A record longer than the buffer is not read: to the walk it is a missing record.
  Real record[kOrientationSlots] = {};
  eqc::readMlRecord(kOrientationRecords, own, record, kOrientationSlots, &key, &status);
  if (status != 0) {
    *flag = status;
    return;
  }
  Int count = 0;
  ACOPDJ(&record[1], &count, &one);
  for (Int i = 0; i < count; ++i) {
    eqc::readMlRecord(kOrientationRecords, own, record, kOrientationSlots, &key, &status);
    if (status != 0) break;
    Int number = 0;
    ACOPDJ(&record[1], &number, &one);
    if (number > *element) break;
    if (number == *element) {
      std::copy_n(&record[3], 3, point);
      return;
    }
  }
  *flag = 1;
}

void LTRUSG(const Int* element, const Int* sectionAddress, const Int* rec, Int* status, const Real* X,
            const Int* ldim) {
  const Int n = word(rec, kNodeCount), d = word(rec, kCoordinates);
  if (n < 1 || n > 3 || d < 1 || d > 3) return systemError("SYSTEM ERROR IN LTRUSG: %I NODES", n);
  Real local[9] = {};
  for (int j = 1; j <= n; ++j)
    for (int r = 1; r <= d; ++r) local[3 * (j - 1) + (r - 1)] = at(X, *ldim, r, j);
  const bool excluded = *sectionAddress >= rec::i(CSLEF, 31) && *sectionAddress < rec::i(CSLEF, 13);
  Real measure = 0.0;
  EQC_LTRUSG_ERRWARN(local, &n, &d, element, &measure, status);
  if (!excluded) addStructural(measure);
  if (n == 3) {
    const Int three = 3, zero = 0;
    EQC_3NLINE_ERRWARN(local, &three, &d, element, status, &zero);
  }
}

void LBG002(Real* X, const Int* ldim, const Int* handle, Int* status) {
  planarBeam(X, *ldim, nullptr, *handle, status, false);
}

void LTHBM2D(Real* X, const Int* ldim, Real* data, const Int* handle, Int* status) {
  planarBeam(X, *ldim, data, *handle, status, true);
}

void LBG102(Real* X, const Int* ldim, Real* section, const Int* handle, Int* status) {
  Int sectionAddress = 0, scratch = 0;
  ELAYOACCESS(handle, &sectionAddress, &scratch);
  const ElementView e = viewElement(*handle);
  const Int n = word(e.rec, kNodeCount), ld = *ldim;
  if (!beamNodesFit("SYSTEM ERROR IN LBG102: %I NODES", n)) return;
  if (programKind() == 0) {
    // The record is read into storage of its own, as the caller's section array has no stated
    // room; it goes on into that array where the array's block in the address space holds it.
    constexpr std::size_t kAxisEnd = 10;  // a = reals 8 to 10
    std::vector<Real> record;
    if (eqc::readSlideLineRecord(sectionAddress, record, kAxisEnd)) {
      const long long length = rec::slotI(record.data(), 1);
      if (length >= 1 && length <= eqc::knownRoom(section)) std::copy_n(record.data(), length, section);
    }
    V3 a = load(&record[kAxisEnd - 3]);
    Real p[3];
    if (towardsPoint(X, ld, e.number, p)) {
      const Int three = 3;
      Int flag = 0;
      ANORM(p, &three, &flag);
      a = load(p);
    }
    V3 t = column(X, ld, n == 3 ? 3 : 2) - column(X, ld, 1);
    const Real length = norm(t);
    if (length > 1.0e-36) t = (1.0 / length) * t;
    Real m[3];
    store(cross(t, a), m);
    turnNormals(X, ld, n, m, 3);
  }
  Real axes[6 * kMaxBeamNodes];
  for (int j = 1; j <= n; ++j) {
    const Real s = j - 2.0;  // -1, 0, 1 at nodes 1, 2, 3
    const Real w2[2] = {-0.5, 0.5}, w3[3] = {s - 0.5, -2.0 * s, s + 0.5};
    V3 T;
    for (int k = 1; k <= n; ++k) T = T + (n == 2 ? w2[k - 1] : w3[k - 1]) * column(X, ld, k);
    T = unitOrSame(T);
    const V3 N = column(X, ld, j, 4);
    V3 b = cross(N, T);
    Real q = dot(b, b);
    if (q <= 1.0e-36) {
      messageFiled(-2, "THE BEAM CROSS-SECTION DIRECTION VECTORS COINCIDE AT A NODE OF ELEMENT %I", e.number,
                   e.number, -2016);
      q = 1.0e-36;
    }
    b = (1.0 / std::sqrt(q)) * b;
    store(b, &axes[6 * (j - 1)]);
    store(N, &axes[6 * (j - 1) + 3]);
  }
  storePerNode(e.layout, axes, 6 * n);
  for (Int k = 1; k <= word(e.rec, kPoints); ++k) {
    Real v17[3] = {}, v27[6] = {}, scratchReal = 0.0;
    EQC_LBG102GO(X, ldim, axes, &n, &k, v17, &scratchReal);
    EQC_LBG102G(X, ldim, axes, &n, &k, v27, &e.number, status);
    storeSectionPoint(*handle, k, v17, 3, v27, 6);
  }
  if (n == 3) {
    const Int three = 3, zero = 0;
    EQC_3NLINE_ERRWARN(X, ldim, &three, &e.number, status, &zero);
  }
}

void LTHBM(const Real* section, Real* X, const Int* ldim, Real* data, const Int* handle, Int* status) {
  const ElementView e = viewElement(*handle);
  const Int number = GETJELNO(handle);
  const Int n = word(e.rec, kNodeCount), w8 = word(e.rec, kWord8), ld = *ldim;
  if (!beamNodesFit("SYSTEM ERROR IN LTHBM: %I NODES", n)) return;
  Real axes[6 * kMaxBeamNodes] = {};
  if (programKind() == 0) {
    Real p[3] = {};
    Int flag = 0;
    NGNORX(p, &number, &flag);
    Real a[3];
    if (flag == 0) {
      std::copy_n(p, 3, point(X, ld, w8 + 1));
      for (int r = 0; r < 3; ++r) a[r] = p[r] - at(X, ld, r + 1, 1);
    } else {
      std::copy_n(&section[7], 3, a);
    }
    const Int three = 3;
    Int zeroLength = 0;
    ANORM(a, &three, &zeroLength);
    if (zeroLength != 0)
      message(-2,
              flag == 0 ? "THE NORMAL TO ELEMENT %I CANNOT BE CALCULATED. CHECK THE COORDINATES OF THE NODE USED TO "
                          "DEFINE THE BEAM SECTION ORIENTATION"
                        : "THE NORMAL TO ELEMENT %I CANNOT BE CALCULATED. CHECK THE INPUT GIVEN UNDER *BEAM SECTION "
                          "OR *BEAM GENERAL SECTION",
              number);
    const V3 t = column(X, ld, 2) - column(X, ld, 1);
    Real m[3];
    store(unitOrSame(cross(t, load(a))), m);
    turnNormals(X, ld, n, m, 3);
    const V3 b = unitOrSame(cross(column(X, ld, 1, 4) + column(X, ld, 2, 4), t));
    for (int j = 1; j <= n; ++j) store(b, &axes[6 * (j - 1)]);
  }
  for (int j = 1; j <= n; ++j) store(column(X, ld, j, 4), &axes[6 * (j - 1) + 3]);
  // Outside the pre-processor only the normals are renewed: each node's b stays as stored, and the
  // checks see variable 18 as it then stands (stored b, new normals).
  Real* stored = realVariable(e.layout, 18, 6 * n);
  if (stored != nullptr && programKind() == 0) {
    std::copy_n(axes, 6 * n, stored);
  } else if (stored != nullptr) {
    for (int j = 0; j < n; ++j) std::copy_n(&axes[6 * j + 3], 3, &stored[6 * j + 3]);
  }
  const Real* handed = stored != nullptr ? stored : axes;
  for (Int k = 1; k <= word(e.rec, kPoints); ++k) {
    Real v27[6] = {};
    EQC_LTHBMG(X, ldim, handed, data, &k, v27, &number, status);
    storeSectionPoint(*handle, k, nullptr, 0, v27, 6);
  }
}

void SHR_FRAMEG(const Real* X, const Int* ldim, const Real* /*section*/, const Int* handle, Int* /*status*/) {
  const ElementView e = viewElement(*handle);
  const Int ld = *ldim;
  V3 v;
  Real a[3];
  if (programKind() == 0 && towardsPoint(X, ld, e.number, a)) {
    const V3 t = unitOrSame(column(X, ld, 2) - column(X, ld, 1));
    v = unitOrSame(cross(cross(t, unitOrSame(load(a))), t));
  }
  const Int n = word(e.rec, kNodeCount);
  if (n < 1) return;
  if (Real* out = realVariable(e.layout, 18, 3 * n))
    for (int j = 0; j < n; ++j) store(v, &out[3 * j]);
}

void ESXBM(const void* section, void* output, Int* count) {
  const Int kind = rec::slotI(section, 4);
  // Point numbers are worked in 64 bits: counts of a damaged record cannot overflow them.
  const long long a = rec::slotI(section, 19), b = rec::slotI(section, 20), c = rec::slotI(section, 21);
  long long points[6] = {};
  Int found = 0;
  switch (kind) {
    case 2: {
      const long long q = a / 4;
      found = 4, points[0] = 1, points[1] = q + 1, points[2] = 2 * q + 1, points[3] = 3 * q + 1;
      break;
    }
    case 3:
      found = 4, points[0] = 1, points[1] = a, points[2] = a + b - 1, points[3] = 2 * a + b - 2;
      break;
    case 4: {
      const long long q = b * (a - 1) / 4;
      found = 4, points[0] = a, points[1] = a + q, points[2] = a + 2 * q, points[3] = a + 3 * q;
      break;
    }
    case 5:
      found = 4, points[0] = 1, points[1] = a, points[2] = a + b - 1, points[3] = a + b + c - 2;
      break;
    case 6:
      found = 4, points[0] = 1, points[1] = a, points[2] = (b - 1) * a + 1, points[3] = a * b;
      break;
    case 7:
    case 9:
      found = 6;
      for (int k = 0; k < 6; ++k) points[k] = 1 + k * (a - 1);
      break;
    case 10:
      found = 4, points[0] = 1, points[1] = b, points[2] = (a - 1) * b + 1, points[3] = a * b;
      break;
    case 11:
      found = 3, points[0] = 1, points[1] = b, points[2] = a + b - 1;
      break;
    case 12: {
      // Slot 6 names a slot of the record itself: one past its length is never read.
      const Int named = rec::slotI(section, 6);
      if (named < 1 || named > rec::slotI(section, 1)) return systemError("SYSTEM ERROR IN ESXBM", named);
      const Int s = rec::slotI(section, named);
      long long want = 2LL * s + 1 > rec::slotI(section, 5) ? s : s + 1LL;
      if (*count != 0 && want > *count) {
        systemError("SYSTEM ERROR IN ESXBM", 0);
        want = *count;
      }
      // An output record in the address space is written only within its block.
      constexpr long long kFirstPointSlot = 11;
      const long long room = eqc::knownRoom(output);
      if (room >= 0 && want > room - (kFirstPointSlot - 1)) {
        systemError("SYSTEM ERROR IN ESXBM", 0);
        want = std::max(room - (kFirstPointSlot - 1), 0LL);
      }
      if (programKind() == 2) {
        for (long long k = 0; k < want; ++k) rec::setSlotI(output, kFirstPointSlot + k, static_cast<Int>(2 * k + 1));
      } else {
        const Int values[3] = {-1, static_cast<Int>(a - 1), s};
        const Int bound = *count != 0 ? std::min<Int>(3, *count) : 3;
        for (Int k = 0; k < bound; ++k) rec::setSlotI(output, 11 + k, values[k]);
      }
      *count = static_cast<Int>(want);
      return;
    }
    default:
      return;
  }
  for (Int k = 0; k < found; ++k) rec::setSlotI(output, 11 + k, static_cast<Int>(points[k]));
  *count = found;
}

}  // extern "C"
