// Output-variable descriptors of nodal requests and the classification of output variables by
// key: output types, tensor types, component counts, the components of nodal variables and the
// two-tensor layout of section forces.

#include <algorithm>
#include <initializer_list>
#include <iterator>

#include "model/support/model_report.h"
#include "model/outputs/descriptors.h"
#include "runtime/record.h"
#include "siblings/eqc/control_records.h"
#include "siblings/eqc/records.h"
#include "zmx/model/outputs.h"

static_assert(sizeof(CDWSP_t) == 244 * 4);

extern "C" {
constinit CDWSP_t CDWSP{};
}

namespace zmx::descriptors {

bool among(Int key, std::initializer_list<Int> keys) { return std::find(keys.begin(), keys.end(), key) != keys.end(); }
bool within(Int key, Int low, Int high) { return key >= low && key <= high; }

Int cldof(int word) { return rec::i(CLDOF, word); }

// The highest degree of freedom d in first..last whose CLDOF word is nonzero, 0 when none.
Int highestActive(int first, int last) {
  for (int d = last; d >= first; --d)
    if (cldof(d) != 0) return d;
  return 0;
}

void clearForFill(Int isElement, Wide workSpaceDifference) {
  rec::i(CDWSP, kElementWord) = isElement;
  rec::i(CDWSP, kWorkSpaceWord) = counts::capped(workSpaceDifference);
  rec::i(CDWSP, kCountWord) = 0;
  for (int w = 2; w <= 201; ++w) rec::i(CDWSP, w) = 0;
}

bool addEntry(Int& count, Wide first, Wide second, Wide third) {
  ++count;
  rec::i(CDWSP, kCountWord) = count;
  if (count > kMaxEntries) return false;
  // A size is never negative: a variable with no component (no active degree of freedom) makes
  // an entry of size 0, and the writer sizes its work space from these words. A size beyond a
  // word is held at the largest word, which no work space meets.
  rec::i(CDWSP, kFirstSizeWord + count) = counts::capped(std::max<Wide>(first, 0));
  rec::i(CDWSP, kSecondSizeWord + count) = counts::capped(std::max<Wide>(second, 0));
  rec::i(CDWSP, kThirdSizeWord + count) = counts::capped(std::max<Wide>(third, 0));
  return true;
}

Int vectorSize() { return rec::i(CEOSZ, 12) <= 2 ? 2 : 3; }

}  // namespace zmx::descriptors

namespace ds = zmx::descriptors;

namespace {

using ds::among;
using ds::within;
using ds::ComponentArguments;
using ds::Wide;

Int elementOutputType(Int key) {
  if (key > 1000) return 1;
  if (among(key, {3, 4, 7, 60})) return -1;
  if (among(key, {8, 72, 145})) return 2;
  if (among(key, {11, 21, 22, 23, 24, 25, 63, 66, 83, 86, 88, 89, 90, 91, 164, 224, 225, 226})) return 3;
  if (among(key, {28, 39, 50, 51, 61, 97, 117, 125, 136})) return 4;
  if (among(key, {13, 29, 162, 163})) return 5;
  if (key == 85) return 6;
  if (key == 189) return 7;
  const bool one =
      among(key, {2, 5, 6, 9, 10, 12, 14, 15, 27, 35, 38, 40, 62, 64, 65, 70, 71, 87, 173}) || within(key, 17, 19) ||
      within(key, 42, 49) || within(key, 52, 59) || within(key, 73, 79) || within(key, 94, 96) || key == 98 ||
      within(key, 101, 116) || within(key, 118, 120) || within(key, 127, 135) || within(key, 137, 140) ||
      within(key, 142, 144) || within(key, 146, 149) || within(key, 152, 161) || within(key, 176, 181) ||
      within(key, 184, 188) || within(key, 190, 207) || within(key, 227, 236);
  return one ? 1 : -1;
}

Int nodalOutputType(Int key) {
  if (key > 1000) return 1;
  if (among(key, {105, 151, 201, 204, 206, 214, 221}) || within(key, 108, 110) || within(key, 116, 122) ||
      within(key, 136, 139) || within(key, 231, 236) || within(key, 308, 310))
    return 1;
  if (among(key, {106, 123, 124, 127, 128, 131, 132, 134, 135, 145, 146}) || within(key, 101, 104) ||
      within(key, 111, 115) || within(key, 301, 304))
    return 2;
  if (key == 107 || key == 237) return 4;
  return -1;
}

// Class of a tensor key for ETENSOR; 0 when the key is not a tensor key.
Int tensorClass(Int k) {
  if (among(k, {11, 62, 63, 224, 225})) return -1;
  if (among(k, {65, 66, 85, 86, 226}) || within(k, 21, 25) || within(k, 88, 91)) return -2;
  if (among(k, {13, 83, 162, 163})) return -13;
  if (k == 29) return -29;
  if (k == 164) return -164;
  return 0;
}

bool in2611to2642(Int e) { return within(e, 2611, 2642); }

Int shellContinuumType(Int e, Int d, Int ndi, Int nshr, Int cls) {
  static constexpr Int kThreeDimensional[] = {5,   8,   11,  34,  36,  55,  305, 308, 311, 334, 336,
                                                            355, 405, 408, 412, 434, 436, 455, 458, 462, 484, 486};
  if (d == 3 && std::find(std::begin(kThreeDimensional), std::end(kThreeDimensional), e) != std::end(kThreeDimensional))
    return 7;
  if (within(e, 7001, 7049)) e %= 1000;
  if (d < 3) {
    if (within(e, 200, 299) || among(e, {3551, 3552, 164, 165})) return 11;
    if (ndi == 1 && (nshr == 0 || nshr == 1)) return 11;
    if (ndi == 2 && nshr == 0) return cls == -2 ? 10 : 11;
    if ((ndi == 2 || ndi == 3) && nshr == 1) return 10;
    return 7;
  }
  if (within(e, 200, 299)) return 7;
  if (within(e, 151, 165) || within(e, 3551, 3570)) return 8;
  if (e == 166 || e == 167) return 9;
  if (ndi == 1 && (nshr == 0 || nshr == 1)) return 9;
  if (ndi == 2 && (nshr == 0 || nshr == 1)) return cls == -2 ? 8 : 9;
  if (ndi == 3 && nshr == 1) return cls == -2 ? 9 : 8;
  return 7;
}

Int tensorType(const void* rec, Int key) {
  const Int k = key > 1000 ? key / 1000 : key;
  const Int cls = tensorClass(k);
  if (cls == 0) {
    zmx::model::report(zmx::model::kSystemError, "ETENSOR: UNKNOWN KEY %I", key);
    return 7;
  }
  const Int e = rec::slotI(rec, 17);
  const Int d = rec::slotI(rec, 25);
  const Int ndi = rec::slotI(rec, 19);
  const Int nshr = rec::slotI(rec, 20);
  if (k == 85) {
    const Int t = (d < 3 || d == 5) ? 10 : 7;
    return (e == 166 || e == 167 || in2611to2642(e) || within(e, 741, 969)) ? 9 : t;
  }
  if (within(e, 3551, 3570) || within(e, 7000, 7049) || within(e, 1, 999) || within(e, 1501, 1999))
    return shellContinuumType(e, d, ndi, nshr, cls);
  if (within(e, 1000, 1499)) return e < 1100 ? 11 : 9;
  if (!within(e, 2000, 2999)) {
    if (within(e, 3101, 3399)) return d >= 3 ? 9 : 11;
    if (within(e, 3603, 3612)) return e == 3611 ? 10 : 7;
    if (e == 3651) return cls == -164 ? 10 : 11;
    if (e == 3652) return cls == -164 ? 8 : 9;
    if (within(e, 3809, 3815)) return 7;
    if (within(e, 3800, 3999)) return d >= 3 ? 8 : 10;
    return 7;
  }
  if (cls == -13 || cls == -29) {
    if (key > 1000) return (in2611to2642(e) || rec::slotI(rec, 26) == 3) ? 9 : 11;
    if (among(e, {2101, 2102, 2511})) return 10;
    return in2611to2642(e) ? 8 : 7;
  }
  if (within(e, 2201, 2302) || in2611to2642(e)) return 9;
  return d == 5 ? 10 : 8;
}

// The count of an element variable's components before doubling, and whether the count doubles;
// ok false for a key the table does not hold.
struct Count {
  Wide n;
  bool doubles;
  bool ok = true;
};

Count componentCount(Int key, const ComponentArguments& a) {
  const Int contro17 = rec::i(CONTRO, 17);
  const Int contro27 = rec::i(CONTRO, 27);
  if (among(key, {2, 6, 16, 18, 27, 31, 35, 38, 40, 43, 58, 59, 70, 71, 154, 165, 227}) || within(key, 76, 78) ||
      within(key, 113, 120) || within(key, 128, 140) || within(key, 142, 144) || within(key, 146, 148) ||
      within(key, 169, 172) || within(key, 178, 188) || within(key, 232, 236))
    return {1, false};
  if (among(key, {3, 4, 7, 36, 60, 73, 126, 127, 173})) return {2, false};
  if (among(key, {33, 34, 157, 158, 161})) return {3, false};
  if (key == 5) return {rec::i(CGN, 26), false};
  if (key == 87) return {rec::i(CGN, 25), false};
  if (within(key, 190, 193)) return {rec::i(CGN, 42 + (key - 190)), false};
  if (key == 8 || key == 168) return {rec::i(CGN, 9), false};
  if (key == 9) return {rec::i(CGN, 15), false};
  if (key == 145) return {rec::i(CGN, 16), false};
  if (key == 10) {
    const Int d = ds::highestActive(11, 30);
    return {d == 0 ? 0 : d - 9, false};
  }
  if (key == 41) return {a.etype == 234 ? 3 : 1, false};
  if (key == 52) return {4, false};
  if (key == 56) return {3, false};
  if (key == 55) return {11, false};
  if (key == 53) return {34, false};
  if (key == 57) return {6, false};
  if (key == 54) return {21, false};
  if (key == 189) return {a.etype < 1100 ? 4 : 6, false};
  if (key == 228) return {3, false};
  if (within(key, 229, 231) || key == 85) return {6, false};
  if (among(key, {11, 21, 24, 25, 72, 86, 104, 105, 107, 224, 225}) || within(key, 61, 66) || within(key, 88, 91))
    return {a.ntens, among(key, {11, 21, 62, 65, 88})};
  if (within(key, 101, 112))
    return {(a.nshr != 0 && a.ndi == 1) ? 2 : a.ndi, among(key, {101, 103, 110})};
  if (key == 13 || key == 29) return {Wide{a.x10} + a.x9, true};
  if (key == 162 || key == 164) return {a.etype == 3651 ? 2 : 4, true};
  if (key == 163) return {a.etype == 3651 ? 4 : 6, true};
  if (key == 83) return {a.x9, true};
  if (key == 149 || key == 175) return {1, true};
  if (among(key, {152, 153, 155, 156, 159, 160, 166})) return {4, true};
  if (key == 167) return {std::max<Int>(3, ds::highestActive(1, 6)) + 1, true};
  if (key == 42 || key == 47) {
    const Wide sum = Wide{a.x10} + a.x9;
    if (a.etype % 10 == 3) return {sum, false};
    return {sum > 3 ? sum - 2 : sum - 1, false};
  }
  if (key == 14) return {contro17 != 0 ? 1 : 6, false};
  if (key == 19 || key == 98) return {contro17 != 0 ? 1 : 9, false};
  if (key == 20) return {9, false};
  if (key == 15) return {ds::highestActive(1, 6) + 1, true};
  if (key == 17) return {std::max<Wide>(a.ntens, 4), false};
  if (key == 22 || key == 23) return {a.ntens + 3, false};
  if (key == 26) return {Wide{a.ndi} * a.ndi, false};
  if (key == 28) return {a.x7, false};
  if (key == 39 && contro27 == 0) return {a.x7, false};
  if (key == 97) return {a.x11, false};
  if (key == 30) return {a.nshr + a.ntens, false};
  if (key == 32) return {2 * a.ntens, false};
  if (key == 45) return {8, false};
  if (key == 48) return {2, true};
  if (key == 81 || key == 82) return {1, false};
  if (key == 44) return {5, false};
  if (among(key, {46, 49, 50, 51, 125})) return {a.x8, true};
  if (among(key, {39, 94, 95, 96}) && contro27 != 0) return {1, true};
  if (within(key, 195, 223)) return {a.etype == 3491 ? 6 : 3, true};
  if (key == 226) return {Wide{a.ntens} + 1, false};
  return {0, false, false};
}

bool countDoubles(Int key) {
  const Int contro50 = rec::i(CONTRO, 50);
  const Int contro59 = rec::i(CONTRO, 59);
  return contro50 == 3 || contro59 == 2 || (within(key, 195, 223) && contro50 == 6);
}

// Nodal key classes of GETNDCOMP: negative classes name a rule, a positive class n gives the
// components 1 to n; 0 for a key outside the list.
Int nodalClass(Int key) {
  if (among(key, {106, 145, 146}) || within(key, 101, 104) || within(key, 111, 115) || within(key, 121, 135))
    return -1;
  if (among(key, {201, 204, 206, 214, 221})) return -2;
  if (among(key, {108, 109, 116, 136, 137})) return -3;
  if (among(key, {105, 138, 139}) || within(key, 117, 120)) return -105;
  if (key == 107 || key == 237) return -100;
  if (key == 110 || within(key, 231, 236)) return 1;
  return 0;
}

// The component keys of one nodal variable as they are found: counted, and written into the
// caller's list when there is one. A range of degrees of freedom given by a count of the run is
// counted without a walk when nothing is written.
struct Components {
  void* list;
  Wide base;
  Wide n = 0;

  void add(Wide d) {
    ++n;
    if (list != nullptr) rec::setSlotI(list, n, static_cast<Int>(base + d));
  }
  void addRange(Wide first, Wide last) {
    if (list == nullptr) {
      n += std::max<Wide>(last - first + 1, 0);
      return;
    }
    for (Wide d = first; d <= last; ++d) add(d);
  }
};

// The components of a whole nodal key, in the order of their degrees of freedom.
void nodalComponents(Int key, Int cls, Components& out) {
  switch (cls) {
    case -1: {
      for (int d = 1; d <= 3; ++d)
        if (ds::cldof(d) != 0) out.add(d);
      int rotations = 0;
      for (int d = 4; d <= 7; ++d) rotations += ds::cldof(d) != 0;
      const int kept = rotations == 4 && !among(key, {101, 104, 106}) ? 3 : rotations;
      for (int d = 4, k = 0; d <= 7 && k < kept; ++d)
        if (ds::cldof(d) != 0) {
          out.add(d);
          ++k;
        }
      break;
    }
    case -2:
      if (key == 201 && rec::i(CGN, 6) != 0 && ds::cldof(11) == 0) {
        out.addRange(11, 10 + Wide{rec::i(CGM, 27)});
      } else {
        for (int d = 11; d <= 30 && ds::cldof(d) != 0; ++d) out.add(d);
      }
      break;
    case -3:
      if (ds::cldof(8) != 0) out.add(8);
      break;
    case -105:
      if (ds::cldof(9) != 0) out.add(among(key, {105, 138, 139}) ? 9 : 1);
      break;
    case -100:
      out.addRange(1, rec::i(CGN, 9));
      break;
    default:
      out.addRange(1, cls);
      break;
  }
}

}  // namespace

Wide ds::elementComponents(Int key, const ComponentArguments& a, bool* ok) {
  const Count c = componentCount(key, a);
  if (ok != nullptr) *ok = c.ok;
  return c.doubles && countDoubles(key) ? 2 * c.n : c.n;
}

extern "C" {

void GETEOTYP(const Int* key, Int* type) { *type = elementOutputType(*key); }

void GETNOTYP(const Int* key, Int* type, Int* ncomp) {
  *type = nodalOutputType(*key);
  *ncomp = 1;
  if (*type == 2) *ncomp = (ds::cldof(4) != 0 || ds::cldof(5) != 0 || ds::cldof(6) != 0) ? 2 : 1;
}

void ETENSOR(const void* rec, const Int* key, Int* ttype) { *ttype = tensorType(rec, *key); }

void ELOPS1(const Int* key, Int* ncomp, Int* ok, const Int* ndi, const Int* nshr, const Int* ntens, const Int* x7,
            const Int* x8, const Int* x9, const Int* x10, const Int* x11, const Int* etype) {
  const ComponentArguments a{*ndi, *nshr, *ntens, *x7, *x8, *x9, *x10, *x11, *etype};
  bool known = true;
  *ncomp = zmx::counts::capped(ds::elementComponents(*key, a, &known));
  *ok = known ? 1 : 0;
}

void GETNDCOMP(const Int* key, void* list, Int* ncomp, const Int* mode) {
  Components out{*mode == 1 ? list : nullptr, 0};
  if (*key > 1000) {
    out.add(*key);
  } else {
    const Int cls = nodalClass(*key);
    if (cls == 0) {
      zmx::model::report(zmx::model::kSystemError, "SYSTEM ERROR IN GETNDCOMP - LOOP 150 LIMIT EXCEEDED");
      *ncomp = 0;
      return;
    }
    out.base = Wide{*key} * 1000;
    nodalComponents(*key, cls, out);
  }
  *ncomp = zmx::counts::capped(out.n);
}

void ELDBTEN1(Real* out, const Real* in, const Int* etype, const Int* na, const Int* nb, Int* dims, Int* kinds) {
  struct Layout {
    Int na, nb;
    int count;
    int targets[9];
    Int dims[2], kinds[2];
  };
  static constexpr Layout kLayouts[] = {
      {1, 1, 2, {1, 7}, {2, 2}, {1, 1}},
      {2, 1, 3, {1, 2, 7}, {2, 2}, {1, 1}},
      {1, 3, 4, {1, 7, 8, 9}, {2, 2}, {1, 1}},
      {3, 3, 6, {1, 2, 3, 7, 8, 9}, {2, 2}, {1, 1}},
      {3, 4, 6, {1, 2, 3, 7, 8, 9}, {2, 2}, {1, 1}},
      {4, 2, 6, {1, 2, 4, 3, 7, 8}, {3, 2}, {1, 1}},
      {4, 3, 7, {1, 2, 4, 3, 7, 8, 9}, {3, 2}, {1, 1}},
      {5, 3, 8, {1, 2, 4, 5, 6, 7, 8, 9}, {3, 2}, {3, 1}},
      {6, 3, 9, {1, 2, 4, 5, 6, 3, 7, 8, 9}, {3, 2}, {3, 1}},
  };
  // Three direct and three shear forces of an element with a type code of 2000 or more.
  static constexpr Layout kThreeThreeHigh = {3, 3, 6, {1, 2, 4, 7, 8, 9}, {3, 2}, {3, 1}};
  const Layout* layout = nullptr;
  if (*na == 3 && *nb == 3 && *etype >= 2000) {
    layout = &kThreeThreeHigh;
  } else {
    for (const Layout& l : kLayouts)
      if (l.na == *na && l.nb == *nb) layout = &l;
  }
  if (layout == nullptr) return;
  for (int k = 0; k < layout->count; ++k) out[layout->targets[k] - 1] = in[k];
  dims[0] = layout->dims[0];
  dims[1] = layout->dims[1];
  kinds[0] = layout->kinds[0];
  kinds[1] = layout->kinds[1];
}

void NJODBO(const void* rec, const Int* nval, const Int* mode, const Int* start) {
  ds::clearForFill(0, 2 * (Wide{rec::i(CNOGI, 16)} - rec::i(CNOGI, 15)));
  const Int listSlot = *mode == 0 ? rec::slotI(rec, 7) : 1;
  const Int last = rec::slotI(rec, listSlot);
  const bool onePerVariable = *mode == 0 && rec::slotI(rec, 12) == 2;
  const bool singleRotation = (ds::cldof(4) != 0) + (ds::cldof(5) != 0) + (ds::cldof(6) != 0) == 1;
  Int count = 0;
  for (Int j = 1; j <= 4; ++j) {
    const long long s = static_cast<long long>(*start) + j - 1;
    if (s > last) break;
    const Int key = rec::slotI(rec, listSlot + s);
    if (key == 0) continue;
    Int type = 0;
    Int n = 0;
    GETNOTYP(&key, &type, &n);
    const Int first = count + 1;
    if (onePerVariable) {
      ds::addEntry(count, *nval, 0, *nval);
    } else if (type == 2) {
      for (Int m = 1; m <= n; ++m) {
        const Int size = (singleRotation && m == 2) ? 1 : ds::vectorSize();
        ds::addEntry(count, size, Wide{*nval} * size, Wide{*nval} * size);
      }
    } else if (type == 4) {
      const Int size = ds::vectorSize();
      ds::addEntry(count, size, Wide{*nval} * size, Wide{*nval} * size);
    } else if (type == 1) {
      Int components = 0;
      const Int noList = 0;
      GETNDCOMP(&key, nullptr, &components, &noList);
      ds::addEntry(count, *nval, 0, Wide{*nval} * components);
    } else {
      continue;
    }
    rec::i(CDWSP, 1 + j) = first;
  }
}

}  // extern "C"
