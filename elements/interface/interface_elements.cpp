// Interface and line-spring elements: characteristic lengths, small-sliding degree-of-freedom
// entries and stored nodal normals with their design-sensitivity perturbation.
#include <algorithm>
#include <cmath>
#include <vector>

#include "elements/geometry/element_records.h"
#include "elements/geometry/element_support.h"
#include "elements/interface/interface_support.h"
#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/element_numbers.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/facet_shapes.h"
#include "siblings/eqc/line_shell_checks.h"
#include "siblings/eqc/records.h"
#include "zmx/elements/interface.h"

namespace zmx_interface {

Int lastInRange(const Int* addresses, Int count, Int first, Int end) {
  Int found = 0;
  for (Int k = 0; addresses != nullptr && k < count; ++k)
    if (addresses[k] >= first && addresses[k] < end) found = addresses[k];
  return found;
}

bool readRecord(Int address, std::vector<Real>& record) {
  constexpr std::size_t kSlotsRead = 14;  // up to the element's length measure
  return address != 0 && eqc::readSlideLineRecord(address, record, kSlotsRead);
}

void addInterface(Real length, bool count) {
  using namespace zmx_elements;
  if (count) rec::i(CPHCON, kInterfaceCount) += 1;
  rec::setR(CPHCON, kInterfaceSum, rec::r(CPHCON, kInterfaceSum) + length);
}

void addBoth(Real length) {
  zmx_elements::addStructural(length);
  addInterface(length, true);
}

Real endDistance(const Real* X, Int ldim, Int n, int dims) {
  Real q = 0.0;
  for (int r = 1; r <= dims; ++r) {
    const Real d = zmx_elements::at(X, ldim, r, n) - zmx_elements::at(X, ldim, r, 1);
    q += d * d;
  }
  return std::sqrt(q);
}

}  // namespace zmx_interface

namespace {

using namespace zmx_elements;
using namespace zmx_elements::typeword;
using namespace zmx_interface;

constexpr Int kSensitivityMark = 2147483647;
constexpr int kMaxSpringNodes = 9;

Int nearest(Real v) { return static_cast<Int>(std::lround(std::clamp(v, -2.0e9, 2.0e9))); }

// Number of halvings of the word until it is 0.
Int bitLength(Int word) {
  Int b = 0;
  for (unsigned w = static_cast<unsigned>(word); w != 0; w >>= 1) ++b;
  return b;
}

// The element list end e of a stored-normal record of length L (0 when the record is malformed).
Int elementListEnd(const void* buffer, Int L) {
  if (L < 4) return 0;
  const long long e = rec::slotI(buffer, L) == kSensitivityMark ? rec::slotI(buffer, L - 1) - 4LL : L - 3LL;
  return e >= 1 && e + 3 <= L ? static_cast<Int>(e) : 0;
}

// Calls use(record, e, L) for every stored-normal record of node `index` (internal) that lists the
// element.
template <class Use>
void forStoredNormals(Int nodeDatabase, Int index, Int element, Use&& use) {
  const Int node = ADB_GETNODE(&nodeDatabase, &index);
  const Int one = 1;
  Int count = 0;
  const Int list = ADB_NODEACCESS(&one, &node, &count);
  const Int* addresses = count > 0 ? mem32::at<Int>(list, static_cast<std::size_t>(count), dm2::kDataTag) : nullptr;
  std::vector<Real> record;
  for (Int k = 0; addresses != nullptr && k < count; ++k) {
    if (addresses[k] < rec::i(CSLNF, 3) || addresses[k] >= rec::i(CSLNF, 4)) continue;
    if (!readRecord(addresses[k], record)) continue;
    Real* buffer = record.data();
    const Int L = rec::slotI(buffer, 1), e = elementListEnd(buffer, L);
    for (Int s = 2; s <= e; ++s)
      if (rec::slotI(buffer, s) == element) {
        use(buffer, e, L);
        break;
      }
  }
}

// Calls use(target, len, derivatives) for every block of the design-sensitivity lists of a record
// of length L (slot L the end mark) whose list carries the parameter: len slots from slot target
// take the parameter's derivatives, which start at slot derivatives. False, at the first list,
// block or target that does not lie within the record.
template <class Use>
bool forParameterBlocks(const void* buffer, Int L, Int parameter, Use&& use) {
  auto inside = [L](long long first, long long count) { return rec::spanInside(first, count, L); };
  const long long p = rec::slotI(buffer, L - 1);
  if (!inside(p, 1)) return false;
  const Int lists = rec::slotI(buffer, p);
  if (lists < 0 || !inside(p + 1, lists)) return false;
  for (Int m = 1; m <= lists; ++m) {
    const long long q = rec::slotI(buffer, p + m);
    if (!inside(q, 2)) return false;
    const Int blocks = rec::slotI(buffer, q), np = rec::slotI(buffer, q + 1);
    if (np < 0 || !inside(q + 2, np)) return false;
    Int j = -1;
    for (Int k = 0; k < np && j < 0; ++k)
      if (rec::slotI(buffer, q + 2 + k) == parameter) j = k;
    if (j < 0) continue;
    long long block = q + 2 + np;
    for (Int b = 1; b <= blocks; ++b) {
      if (!inside(block, 2)) return false;
      const long long target = rec::slotI(buffer, block);
      const Int len = rec::slotI(buffer, block + 1);
      if (len <= 0) {
        block += 2;
        continue;
      }
      const long long values = static_cast<long long>(np) * len;
      if (!inside(block + 2, values) || !inside(target, len)) return false;
      use(target, len, block + 2 + static_cast<long long>(j) * len);
      block += 2 + values;
    }
  }
  return true;
}

// Writes the value into entry k (from 1) of variable 99 only inside 1..s.
struct Entries {
  Real* v;
  Int s;
  bool inside(Int k) const { return k >= 1 && k <= s; }
};

void missingDegreeOfFreedom(Int nodeDatabase, Int index) {
  const Int node = ADB_GETNODE(&nodeDatabase, &index);
  const Int three = 3;
  Int user = 0;
  ADB_NODEACCESS(&three, &node, &user);
  messageFiled(-2, "NODE %I DOES NOT HAVE TEMPERATURE OR PORE PRESSURE DEGREE OF FREEDOM.", user, user, -3005);
}

}  // namespace

extern "C" {

void LIASI(const Int* m, const Int* n, const Real* X, const Int* ldim) {
  if (*m < 4) {
    addStructural(*m == 1 ? 0.0 : endDistance(X, *ldim, *n, 2));
    return;
  }
  const int p = *m == 4 ? 2 : 3;
  static constexpr Real kTwo[2] = {-0.57735026918963, 0.57735026918963};
  static constexpr Real kThree[3] = {-0.77459666924148, 0.0, 0.77459666924148};
  const int shapeNodes = p == 2 ? 4 : 8;
  const int nodes = std::min<int>(*n, shapeNodes);
  const int dims = std::min<Int>(*ldim, 3);
  Real sum = 0.0;
  for (int k = 0; k < *m; ++k) {
    const int i = k / p, j = k % p;
    const Real xi = p == 2 ? kTwo[i % 2] : kThree[i % 3], eta = p == 2 ? kTwo[j] : kThree[j];
    Real derivatives[16];
    const Int mode = 1;
    if (p == 2)
      EQC_INTQ4(&xi, &eta, derivatives, &mode);
    else
      EQC_INTQ8(&xi, &eta, derivatives, &mode);
    Real t1 = 0.0, t2 = 0.0;
    for (int r = 1; r <= dims; ++r) {
      Real a = 0.0, b = 0.0;
      for (int q = 1; q <= nodes; ++q) {
        a += derivatives[q - 1] * at(X, *ldim, r, q);
        b += derivatives[shapeNodes + q - 1] * at(X, *ldim, r, q);
      }
      t1 += a * a, t2 += b * b;
    }
    sum += std::max(std::sqrt(t1), 1.0e-36) + std::max(std::sqrt(t2), 1.0e-36);
  }
  addStructural(sum / *m);
}

void LIRS(const Real* X, const Int* ldim, void* /*buffer*/, const Int* rec, const Int* addresses, const Int* count) {
  const Int type = word(rec, kType);
  if (type == 254 || type == 255) {
    std::vector<Real> record;
    if (readRecord(lastInRange(addresses, *count, rec::i(CSLEF, 29), rec::i(CSLEF, 31)), record))
      addBoth(rec::slotR(record.data(), 14));
    return;
  }
  const Int n = word(rec, kNodeCount);
  if (n != 1) addBoth(endDistance(X, *ldim, n, word(rec, kCoordinates) == 2 ? 2 : 3));
}

void LIGSMALLSLID(Real* v99, const Int* s, void* /*buffer*/, const Int* addresses, const Int* count, const Int* rec,
                  const Int* sublayout, const Int* nodeDatabase, const Int* nodeList) {
  bool temperature = false, pore = false, third = false;
  std::vector<Real> record;
  if (readRecord(lastInRange(addresses, *count, rec::i(CSLEF, 29), rec::i(CSLEF, 31)), record)) {
    const Real length = rec::slotR(record.data(), 14);
    addInterface(length, length > 2.22e-16);
    const Int kind = rec::slotI(record.data(), 11);
    temperature = kind == 2, pore = kind == 4, third = kind == 3;
  }
  const Int type = word(rec, kType);
  const Int* flagged = integerVariable(*sublayout, 54, 1);
  const bool typed = type == 4294 || type == 4296 || ((type == 294 || type == 296) && (temperature || pore));
  if (*s <= 0 || flagged == nullptr || *flagged == 0 || !typed || *s < 2) return;
  const Entries entries{v99, *s};
  const Int k0 = nearest(v99[1]);
  const bool quarter = type % 1000 == 294;
  const Int c = quarter ? (*s - k0) / 4 : (*s - k0) / 5;
  const Int first = k0 + (quarter ? 3 : 4) * c;
  const Int start = (temperature || pore) ? 5 : (third ? 4 : 3);
  const Int bitsWord = ADB_GETBITVECRW(nodeDatabase);
  auto bitsOf = [&](Int index) -> Int {
    const Int* bits = bitsWord != 0 && index >= 1 ? mem32::at<Int>(bitsWord, static_cast<std::size_t>(index), dm2::kDataTag)
                                                  : nullptr;
    return bits != nullptr ? bitLength(bits[index - 1]) : 0;
  };
  // Every entry touched (first .. first + c) lies in 1..s and every node read in the node list, or
  // nothing changes.
  if (c < 0 || !entries.inside(first) || !entries.inside(first + c) || start + c - 1 > word(rec, kNodeCount)) return;
  for (Int i = 1; i <= c; ++i) {
    const Int k = first + i - 1;
    const Int index = nodeList[start + i - 2];
    const Int q = nearest(v99[k - 1]), b = bitsOf(index);
    if (temperature) {
      v99[k - 1] = q > 0 ? b - 11 : std::min(b - 11, 0);
    } else if (b < 11) {
      if (pore)
        v99[k - 1] = std::min(b - 8, 0);
      else
        missingDegreeOfFreedom(*nodeDatabase, index);
    } else if (q > 0) {
      v99[k - 1] = b - 11;
    }
  }
  const Int k = first + c;
  const Int q = nearest(v99[k - 1]), b = bitsOf(nodeList[0]);
  if (b < 8)
    missingDegreeOfFreedom(*nodeDatabase, nodeList[0]);
  else if (b < 11 && q > 0)
    v99[k - 1] = b - 8;
  else if (b >= 11 && q > 0)
    v99[k - 1] = b - 11;
}

Int LSGLS(void* buffer, const Real* X, const Int* ldim, const Real* a4, const Int* nodes, const Int* element,
          const Int* rec, const Int* nodeDatabase, const Int* nodeList) {
  const Int n = word(rec, kNodeCount);
  if (n > kMaxSpringNodes) {
    systemError("SYSTEM ERROR IN LSGLS: %I NODES", n);
    return 0;
  }
  Real normals[3 * kMaxSpringNodes];
  LSNORS(normals, X, ldim, buffer, &n, element, nodeDatabase, nodeList);
  const Int w8 = word(rec, kWord8), w1 = word(rec, kType), w14 = word(rec, kPoints);
  Real work[64] = {};
  return EQC_LSGLS(X, ldim, a4, element, &w8, &w1, work, &w14, nodes);
}

Int LSNORS(Real* normals, const Real* X, const Int* ldim, void* /*buffer*/, const Int* nodes, const Int* element,
           const Int* nodeDatabase, const Int* nodeList) {
  for (Int i = 1; i <= *nodes; ++i) {
    store(column(X, *ldim, i, 4), &normals[3 * (i - 1)]);
    forStoredNormals(*nodeDatabase, nodeList[i - 1], *element, [&](Real* record, Int e, Int) {
      for (int r = 0; r < 3; ++r) normals[3 * (i - 1) + r] = rec::slotR(record, e + 1 + r);
    });
  }
  return EQC_LSNORS(normals, nodes, element);
}

void LSNORGET(Real* a, const Int* ld, const Int* r, void* /*buffer*/, const Int* element, const Int* nodes,
              const Int* perturb, const Int* parameters, const Real* dv, const Int* nodeDatabase,
              const Int* nodeList) {
  for (Int i = 1; i <= *nodes; ++i)
    forStoredNormals(*nodeDatabase, nodeList[i - 1], *element, [&](Real* record, Int e, Int L) {
      if (*perturb != 0) DSADBSLPERT(record, &parameters[7], dv);
      for (Int k = 1; k <= *r - 3 && e + k <= L; ++k) at(a, *ld, 3 + k, i) = rec::slotR(record, e + k);
    });
}

void DSADBSLPERT(void* buffer, const Int* parameter, const Real* dv) {
  const long long room = eqc::knownRoom(buffer);
  const Int L = rec::slotI(buffer, 1);
  if (L < 3 || (room >= 0 && L > room) || rec::slotI(buffer, L) != kSensitivityMark) return;
  // The record is walked once to check it and once to change it, so a damaged one is left whole.
  auto noChange = [](long long, Int, long long) {};
  if (!forParameterBlocks(buffer, L, *parameter, noChange)) {
    systemError("SYSTEM ERROR IN DSADBSLPERT - DAMAGED SENSITIVITY RECORD", 0);
    return;
  }
  forParameterBlocks(buffer, L, *parameter, [&](long long target, Int len, long long derivatives) {
    for (Int k = 1; k <= len; ++k)
      rec::setSlotR(buffer, target + k - 1,
                    rec::slotR(buffer, target + k - 1) + *dv * rec::slotR(buffer, derivatives + k - 1));
  });
}

void LIG001() {}
void LIGSLP() {}
void LINCOMPMODEEL() {}

}  // extern "C"
