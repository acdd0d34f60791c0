// Degree-of-freedom list of a small-sliding contact element: the element keeps one group of
// reals per master node in element variable 99; the list is opened up for the master nodes, an
// extra code is written for the element types that carry one, and the master nodes' codes are
// appended (code 100 (node - 1) + dof, nodes counted own nodes first).

#include <algorithm>
#include <cmath>

#include "runtime/address_space.h"
#include "siblings/dm2/dm2_adb.h"
#include "zmx/contact/small_sliding.h"

namespace {

// Words of the element-type record.
constexpr int kTypeWord = 1, kDofsWord = 7, kOwnNodesWord = 8, kNodeDofsWord = 10, kLengthWord = 25,
              kSwitch29 = 29, kSwitch31 = 31, kSwitch52 = 52, kMasterDofsWord = 33, kTailWord = 35,
              kTailCountWord = 53;
constexpr int kRecordCopy = 60;
constexpr Int kMasterDataVariable = 99, kMasterFlagVariable = 54;

Int nearest(Real v) { return static_cast<Int>(std::round(v)); }

struct Setup {
  Int* dofs;  // 1-based through at()
  Int type = 0, d7 = 0, d10 = 0, nown = 0, n = 0, w29 = 0, w31 = 0, w52 = 0, w33 = 0, w35 = 0, w53 = 0;
  const Real* v = nullptr;  // variable 99, 1-based through value()
  Int length = 0;           // L
  Int b = 0;
  Int m = 0;
  Int q = 0;
  Int current = 0;  // length of the list after phase 1
  Int r = 0;        // position of the extra code of R2
  bool lengthSet = false;  // a path that gives the list a length of its own has run

  Int& at(Int i) { return dofs[i - 1]; }
  bool readable(Int i) const { return i >= 1 && i <= length; }
  Real value(Int i) const { return v[i - 1]; }
  bool pairs() const { return type == 4294 || type == 4296; }

  // Entries first..last move up by shift places, copied from the end backwards.
  void moveUp(Int first, Int last, Int shift) {
    for (Int j = last; j >= first; --j) at(j + shift) = at(j);
  }
  // R1 (s) and R4: open the tail up and put the extra code before it.
  void openTail(Int moved, Int shift, Int newLength, Int code) {
    moveUp(n - moved + 1, n, shift);
    current = newLength;
    lengthSet = true;
    const Int t = newLength - m - (n - w35);
    at(newLength) = at(t + n - w35);
    at(t) = code;
    w35 = t;
  }
};

// The group length, the master count and whether the row writes an extra code (with its base).
struct Row {
  Int g = 0;
  bool extra = false;
  Int add = 11;  // the extra code is nint(V(b + g m)) + add
};

Row rowOf(const Setup& s) {
  const Int groups = s.type == 294 || s.type == 4294 ? 4 : 5;
  if (s.pairs()) return {groups, true, 11};
  if (s.w31 > 0) return {groups, true, 11};
  if (s.w29 > 0) return {groups, true, 8};
  return {groups - 2, false, 0};
}

// Phase 1; false (no master nodes, nothing moved) when the master data would be read outside
// variable 99.
bool makeRoom(Setup& s) {
  const Row row = rowOf(s);
  s.m = row.extra ? (s.length - s.b) / row.g : (s.length - s.b + 1) / row.g;
  const Int offsets = row.extra ? s.b + (row.g - 1) * s.m : s.b;
  const bool outside = s.m < 0 || (row.extra && s.m > 0 && (!s.readable(offsets + 1) || !s.readable(offsets + s.m))) ||
                       (row.extra && !s.readable(s.b + row.g * s.m));
  if (outside) {
    s.m = 0;
    return false;
  }
  const Int code = row.extra ? nearest(s.value(s.b + row.g * s.m)) + row.add : 0;
  const Int m = s.m;
  if (s.pairs()) {
    s.q = 1;
    if (s.w52 > 0) {
      s.openTail(s.w53 + s.n - s.w35 - 1, m, s.n + 2 * m, code);
    } else {
      s.at(s.w33 * m + 2) = s.at(2);
      s.at(1) = code;
    }
  } else if (s.w31 > 0) {
    const Int room = s.type == 294 ? s.d10 : s.d7;
    s.q = s.type == 294 ? s.d10 : 3;
    s.openTail(s.n - s.w35 + room, room * m, s.n + room * m + m, code);
  } else if (s.w29 > 0) {
    s.q = s.d10;
    s.moveUp(s.d10 + 1, s.n, s.d10 * m);
    s.r = s.n - s.w29 - 1 + s.d10 * m;
    s.current = s.n + m + s.d10 * m;
    s.lengthSet = true;
    s.at(s.current) = s.at(s.n + s.d10 * m);
    s.at(s.r) = code;
  } else if (s.type == 294) {
    s.q = s.d10;
    for (Int j = 1; j <= s.d10; ++j) s.at(m * s.d10 + s.d10 + j) = s.at(s.d10 + j);
  } else {
    s.q = 3;
    for (Int j = 4; j <= 6; ++j) s.at(m * s.d7 + j) = s.at(j);
  }
  if (row.extra) s.b += (row.g - 1) * m;
  return true;
}

Int nextOffset(Setup& s) {
  s.b += 1;
  return nearest(s.value(s.b));
}

// Phase 2: the master nodes' codes. Returns the new length, or the length after phase 1 on the
// paths that set none (lengthSet then tells whether phase 1 set one).
Int appendMasters(Setup& s) {
  const Int m = s.m;
  if (s.pairs() && s.w52 <= 0) {
    for (Int c = 3; c <= 2 + m; ++c) {
      const Int v = nextOffset(s);
      for (Int j = 0; j < s.w33; ++j) s.at(++s.q) = 100 * (c - 1) + 11 + v + j;
    }
    s.lengthSet = true;
    return s.w33 * m + s.n;
  }
  if (s.pairs()) {
    Int p = s.w35 + 1;
    for (Int c = s.nown + 1; c <= s.nown + m; ++c) {
      const Int v = nextOffset(s);
      s.at(++s.q) = 100 * (c - 1) + 9;
      if (v >= 0) s.at(++p) = 100 * (c - 1) + 11 + v;
    }
    return s.current;
  }
  const bool codeFive = s.type == 294 && s.d10 > 2;
  if (s.w31 <= 0 && s.w29 <= 0) {
    for (Int c = 4; c <= 3 + m; ++c) {
      for (Int j = 1; j <= s.d7; ++j) s.at(++s.q) = 100 * (c - 1) + j;
      if (codeFive) s.at(++s.q) = 100 * (c - 1) + 5;
    }
    s.lengthSet = true;
    return s.d10 * m + s.n;
  }
  const bool list3 = s.w31 > 0;
  Int p = (list3 ? s.w35 : s.r) + 1;
  for (Int c = s.nown + 1; c <= s.nown + m; ++c) {
    const Int v = nextOffset(s);
    for (Int j = 1; j <= s.d7; ++j) s.at(++s.q) = 100 * (c - 1) + j;
    if (list3 && codeFive) s.at(++s.q) = 100 * (c - 1) + 5;
    if (v >= 0) s.at(++p) = 100 * (c - 1) + (list3 ? 11 + v : 8);
  }
  if (p + 1 == s.current) return s.current;
  s.at(p + 1) = s.at(s.current);
  s.lengthSet = true;
  return p + 1;
}

}  // namespace

extern "C" {

void SHR_SETSMSLIDCONTACT(const Int* lay, Int* dofs, Int* ndofs, Int* nmst) {
  *nmst = 0;
  Int section = 0, record = 0;
  const Int layout = ELAYOACCESS(lay, &section, &record);
  constexpr Int typeRecord = 2, first = 0, inner = 1, one = 1;
  Int recordLength = 0;
  const Int recordWord = ELEMACCESS(&typeRecord, &layout, &recordLength);
  Int words[kRecordCopy] = {};
  if (recordLength > 0) {
    const Int* given = mem32::at<Int>(recordWord, static_cast<std::size_t>(recordLength), dm2::kDataTag);
    if (given != nullptr) std::copy_n(given, std::min<Int>(recordLength, kRecordCopy), words);
  }
  const Int s1 = GETSUBLAYOUT(&first, lay, &one);
  const Int s2 = GETSUBLAYOUT(&inner, &s1, &one);
  Int rows = 0, columns = 0;
  QUERYVAR(&s2, &kMasterDataVariable, &rows, &columns);
  const Int dataWord = GETVARDR(&s2, &kMasterDataVariable);
  const Int flagWord = GETVARIR(&s1, &kMasterFlagVariable);

  Setup s{dofs};
  auto w = [&](int word) { return words[word - 1]; };
  s.type = w(kTypeWord), s.d7 = w(kDofsWord), s.d10 = w(kNodeDofsWord), s.nown = w(kOwnNodesWord);
  s.n = w(kLengthWord), s.w29 = w(kSwitch29), s.w31 = w(kSwitch31), s.w52 = w(kSwitch52);
  s.w33 = w(kMasterDofsWord), s.w35 = w(kTailWord), s.w53 = w(kTailCountWord);
  s.current = s.n;
  s.length = rows * columns;
  if (s.length > 0 && dataWord != 0)
    s.v = mem32::at<Real>(dataWord, static_cast<std::size_t>(s.length), dm2::kDataTag);
  const Int* flag = flagWord != 0 ? mem32::at<Int>(flagWord, 1, dm2::kDataTag) : nullptr;
  const bool known = s.type == 294 || s.type == 296 || s.pairs();
  const bool hasMasters = known && flag != nullptr && *flag != 0 && s.v != nullptr && s.readable(2);
  if (hasMasters) {
    s.b = nearest(s.value(2));
    makeRoom(s);
  }
  *nmst = s.m;
  const Int length = appendMasters(s);
  // A list left as it was (no room made, no code moved) keeps the caller's ndofs.
  if (s.lengthSet) *ndofs = length;
}

void SLIDEPLANE_GEOM() {}

}  // extern "C"
