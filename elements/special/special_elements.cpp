// Pipe elbows, hydrostatic fluid elements, gap frames and shell transformation set-up.
#include <algorithm>
#include <cmath>
#include <string>

#include "elements/geometry/element_records.h"
#include "elements/geometry/element_support.h"
#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/element_checks.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_messages.h"
#include "zmx/elements/special.h"
#include "zmx/numerics/kernels.h"

namespace {

using namespace zmx_elements;
using namespace zmx_elements::typeword;

constexpr long long kCavityPairLimit = 10000000;
constexpr Real kOneThirdPi = 1.0471975511965965;

Real det3(V3 a, V3 b, V3 c) { return dot(a, cross(b, c)); }

Int dofWordOf(Int node) {
  const Int zero = 0;
  Int length = 0;
  const Int record = ADB_NODEACCESS(&zero, &node, &length);
  const Int* words = record != 0 ? mem32::at<Int>(record, 1, dm2::kDataTag) : nullptr;
  return words != nullptr ? words[0] : 0;
}

// Adds the element's volume to the cavity of its reference node in the table of pairs. A table
// whose room is known (it lies in the address space) is scanned no further than its last pair.
void addToCavity(void* cavities, Int user, const Real* volume) {
  const long long room = eqc::knownRoom(cavities);
  const long long pairs = room >= 0 ? std::min(kCavityPairLimit, room / 2) : kCavityPairLimit;
  for (long long i = 1; i <= pairs; ++i) {
    const Int owner = rec::slotI(cavities, 2 * i - 1);
    if (owner == 0) {
      rec::setSlotI(cavities, 2 * i - 1, user);
      rec::setSlotR(cavities, 2 * i, *volume);
      return;
    }
    if (owner == user) {
      Real sum = rec::slotR(cavities, 2 * i);
      const Int one = 1;
      AADD(volume, &sum, &sum, &one);
      rec::setSlotR(cavities, 2 * i, sum);
      return;
    }
  }
  systemError("SYSTEM ERROR IN LSGFLUID - LOOP 20 EXCEEDED", 0);
}

void addSegment(Int* table, Int L, Int row, Int reference, Int p, Int q, Int element) {
  const Int values[5] = {reference, p, q, element, row};
  for (int c = 0; c < 5; ++c) table[static_cast<long long>(c) * L + (row - 1)] = values[c];
}

}  // namespace

extern "C" {

void LEG300P(const Int* element, const Real* section, const Real* X, const Int* ldim, const Int* rec) {
  for (Int k = 1; k <= word(rec, kPoints); ++k) {
    Real length = 0.0, inverse = 0.0, triad[9];
    Int flag = 0;
    LEG300PGEOM(element, &k, rec, X, ldim, section, &length, &inverse, triad, &flag);
  }
  if (word(rec, kType) == 2302) {
    const Int three = 3, zero = 0;
    Int status = 0;
    EQC_3NLINE_ERRWARN(X, ldim, &three, element, &status, &zero);
  }
}

void LEG300PGEOM(const Int* element, const Int* k, const Int* rec, const Real* X, const Int* ldim, const Real* section,
                 Real* length, Real* inverseLength, Real* triad, Int* flag) {
  *flag = 0;
  const Int ld = *ldim;
  const bool threeNodes = word(rec, kType) == 2302;
  const bool report = programKind() == 0;
  const Real L = norm(column(X, ld, 1) - column(X, ld, threeNodes ? 3 : 2));
  const Real eps = 2.22e-16 * section[16];
  const Real x = 0.5 * L * section[19];
  Real s = 1.0;
  if (x <= 1.0) {
    s = std::asin(x);
    if (report && *k == 1) addStructural(L);
  }
  *length = s * section[17];
  const Real h = std::fabs(*length) <= 1.0e-36 ? 0.0 : 1.0 / *length;
  V3 T;
  if (threeNodes) {
    static constexpr Real kPoints3[3] = {-0.57735026918963, 0.57735026918963, 0.0};
    const Real q = (*k >= 1 && *k <= 3) ? kPoints3[*k - 1] : 0.0;
    T = ((q - 0.5) * h) * column(X, ld, 1) + (-2.0 * q * h) * column(X, ld, 2) + ((q + 0.5) * h) * column(X, ld, 3);
  } else {
    T = (-0.5 * h) * column(X, ld, 1) + (0.5 * h) * column(X, ld, 2);
  }
  V3 a = load(&section[4]) - column(X, ld, 1);
  Real q = dot(T, T);
  if (q <= eps) {
    q = 1.0e-36;
    if (report) messageFiled(-2, "ELEMENT %I IS OF ZERO OR SMALL LENGTH ", *element, *element, -2004);
  }
  *inverseLength = 1.0 / std::sqrt(q);
  T = *inverseLength * T;
  a = a - dot(a, T) * T;
  if (dot(a, a) <= eps && report)
    messageFiled(-2, "ADJACENT PIPE TANGENCY POINT (POINT OFF PIPE AXIS) IS ON THE PIPE AXIS IN ELEMENT %I", *element,
                 *element, -2023);
  a = unitOrSame(a);
  store(cross(a, T), &triad[0]);
  store(a, &triad[3]);
  store(T, &triad[6]);
}

void LSGFLUID(const Real* section, Int* segments, Int* rowsFilled, const Int* L, void* cavities, Real* volume,
              const Int* element, const Int* nodeList, const Int* rec, const Real* X, const Int* ldim,
              const Int* nodeDatabase) {
  const Int type = word(rec, kType);
  const Real f = (type == 3401 || type == 3402) ? section[4] : 0.0;
  Real own = 0.0;
  Real* v = volume != nullptr ? volume : &own;
  *v = 0.0;
  // The reference node and the segment nodes are positions in the element's node list.
  const Int nodes = word(rec, kNodeCount), reference = word(rec, kWord8);
  if (reference < 1 || reference > nodes)
    return systemError("SYSTEM ERROR IN LSGFLUID - REFERENCE NODE %I OUTSIDE THE ELEMENT", reference);
  const Int referenceIndex = nodeList[reference - 1];
  const Int node = ADB_GETNODE(nodeDatabase, &referenceIndex);
  const Int dof = dofWordOf(node);
  const Int three = 3;
  Int user = 0;
  ADB_NODEACCESS(&three, &node, &user);
  LFLVOL(v, &user, &type, &f, X, ldim, &dof);
  addToCavity(cavities, user, v);

  const Int m = *rowsFilled, n = word(rec, kRadialNodes);
  const bool ends = type == 3401 || type == 3421, loop = type == 3411 || type == 3412;
  if ((ends || loop) && (n < 1 || n > nodes)) return systemError("SYSTEM ERROR IN LSGFLUID - %I SEGMENT NODES", n);
  if (m < 0) return systemError("SYSTEM ERROR IN LSGFLUID - %I ROWS FILLED", m);
  // Two end rows whatever n is, or one row per node of the loop: the table must hold them all.
  const Int added = ends ? 2 : loop ? n : 0;
  const Int need = std::max(n, added);
  if (*L < static_cast<long long>(need) + m) {
    if (programKind() != 0) return;
    message(-1,
            "ORIENTATION OF HYDROSTATIC FLUID ELEMENTS WILL ONLY BE PARTIALLY CHECKED BECAUSE OF INSUFFICIENT MEMORY "
            "ALLOCATED TO PROCESS INPUT DATA.  THE MEMORY ALLOCATED FOR THE ANALYSIS PREPROCESSOR SHOULD BE "
            "INCREASE BY AT LEAST %I WORDS",
            5 * (need + m - *L));
    return;
  }
  if (ends) {
    addSegment(segments, *L, m + 1, referenceIndex, nodeList[0], -nodeList[0], *element);
    addSegment(segments, *L, m + 2, referenceIndex, nodeList[n - 1], nodeList[n - 1], *element);
  } else if (loop) {
    for (Int i = 1; i <= n; ++i)
      addSegment(segments, *L, m + i, referenceIndex, nodeList[i - 1], nodeList[i % n], *element);
  }
  *rowsFilled += added;
}

void LFLVOL(Real* volume, const Int* user, const Int* type, const Real* f, const Real* X, const Int* ldim,
            const Int* dofWord) {
  // Like the elbow's, the fluid messages are the pre-processor's only.
  if (*dofWord != 128 && programKind() == 0)
    messageFiled(0,
                 "THE REFERENCE CAVITY NODE %I MAY ONLY BE USED AS THE REFERENCE NODE FOR OTHER FLUID CAVITIES.  ITS "
                 "ONLY ACTIVE DEGREE OF FREEDOM MUST BE FLUID PRESSURE",
                 *user, *user, -3014);
  const Int ld = *ldim;
  auto relative = [&](int j, int reference) { return column(X, ld, j) - column(X, ld, reference); };
  switch (*type) {
    case 3401: {
      const V3 a = relative(1, 3), b = relative(2, 3);
      *volume = 0.5 * *f * (a.x * b.y - a.y * b.x);
      return;
    }
    case 3421: {
      const Real a1 = at(X, ld, 1, 1) - at(X, ld, 1, 3), a2 = at(X, ld, 2, 1) - at(X, ld, 2, 3);
      const Real b1 = at(X, ld, 1, 2) - at(X, ld, 1, 3), b2 = at(X, ld, 2, 2) - at(X, ld, 2, 3);
      *volume = (a1 * b2 - a2 * b1) * (a1 + b1) * kOneThirdPi;
      return;
    }
    case 3411:
      *volume = det3(relative(1, 4), relative(2, 4), relative(3, 4)) * 0.16666666666666666;
      return;
    case 3412: {
      // The cone over a bilinear facet: the mean of its two triangulations is exact.
      const V3 a = relative(1, 5), b = relative(2, 5), c = relative(3, 5), d = relative(4, 5);
      *volume = (det3(a, b, c) + det3(a, c, d) + det3(a, b, d) + det3(b, c, d)) * 0.08333333333333333;
      return;
    }
    default:
      return;
  }
}

void GAP_GEOM(const Int* element, Real* frame, Real* opening, const Real* gap, const Real* X, const Int* ldim,
              const Int* type) {
  std::fill_n(frame, 9, 0.0);
  frame[9] = gap[7];
  *opening = -gap[3];
  const V3 given = load(&gap[4]);
  if (*type == 4201 && dot(given, given) > 2.22e-16)
    message(-1, "USER SPECIFIED GAP NORMAL IS IGNORED FOR DGAP ELEMENTS", 0);
  if (*type != 201 && *type != 291) return;
  V3 direction = given;
  if (dot(given, given) <= 2.22e-16) {
    direction = column(X, *ldim, 2) - column(X, *ldim, 1);
    if (dot(direction, direction) <= 2.22e-16) {
      store(direction, frame);
      messageFiled(-2, "ELEMENT %I NODE POINTS ARE TOO CLOSE. GAP NORMAL CANNOT BE COMPUTED", *element, *element,
                   -2035);
      return;
    }
  }
  direction = (1.0 / norm(direction)) * direction;
  store(direction, frame);
  store(direction, &frame[6]);
  ALOCAL(frame);
}

void EQTRNINI(const void* a1, const Int* a2, const Int* element, const Int* rec, const Real* a5, const Real* a6,
              const Real* a7, const Real* a8, const Real* a9, Real* a10, Real* a11, Real* a12, Real* a13) {
  if (word(rec, 58) == 0) return;
  const Int family = word(rec, kFamily);
  if (family == 210) return HELSAX(a1, a6, a7, a8, a9, a10, a11, a12);
  if (family == 205 || family == 206 || word(rec, 20) == 0)
    return systemError("SYSTEM ERROR IN EQTRNINI, el=%I ", *element);
  if (*a2 != 4) return;
  std::copy_n(a5, 4, a10);
  static constexpr Real kUnit[5] = {1.0, 1.0, 0.0, 0.0, 1.0};
  std::copy_n(kUnit, 5, a11);
  a13[0] = a13[1] = 0.0;
}

void HELSAX(const void* /*a1*/, const Real* t, const Real* b, const Real* c, const Real* d, Real* S, Real* W,
            Real* R) {
  // A meridian length of exactly zero has no reciprocal; it takes 1 rather than an infinity.
  const Real inverse = *b == 0.0 ? 1.0 : 1.0 / *b;
  S[0] = *t * *t * *c;
  S[1] = S[2] = 0.0;
  S[3] = *b == 0.0 ? *d : *d / *b;
  static constexpr Real kUnit[5] = {1.0, 1.0, 0.0, 0.0, 1.0};
  std::copy_n(kUnit, 5, W);
  R[0] = *t;
  R[1] = R[2] = 0.0;
  R[3] = inverse;
}

}  // extern "C"
