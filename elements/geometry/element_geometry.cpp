// ELGGEN, the one entry of the input-time element geometry: it fetches the element from the
// analysis database, checks the radial coordinates of axisymmetric elements and hands the element
// to the geometry routine its family code selects.
//
// The line, shell, special and interface families have their geometry routines in their own
// areas; a family code without a row, or whose condition fails, is passed over without a message.
#include <algorithm>
#include <cmath>
#include <string>

#include "elements/geometry/element_records.h"
#include "elements/geometry/element_support.h"
#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/records.h"
#include "zmx/elements/interface.h"
#include "zmx/elements/line.h"
#include "zmx/elements/shells.h"
#include "zmx/elements/special.h"

namespace {

using namespace zmx_elements::typeword;
using zmx_elements::word;

constexpr Int kTypeRecordCopy = 80;

// Every argument of ELGGEN and what was fetched for the element.
struct Call {
  Real* a1;
  Real* a2;
  const Int* a3;
  Real* a4;
  Real* a5;
  Real* X;
  Int* a7;
  const Int* ldim;
  Real* a15;
  Real* a16;
  const Int* imported;
  const Int* handle;
  Int* status;
  const Int* nodeDatabase;
  const Int* a23;
  Real* a24;
  Real* a25;
  const Int* a26;
  const Int* a27;
  Real* a28;
  Int* a10;
  const Int* a11;
  Int* a12;
  void* a13;
  const Int* a14;
  const Int* a19;
  void* a21;

  Int element = 0;
  Int section = 0;  // section record address (ELAYOACCESS)
  const Int* interfaceList = nullptr;
  Int interfaceCount = 0;
  Int layout = 0;
  const Int* rec = nullptr;
  const Int* nodes = nullptr;
  Int nodeCount = 0;
};

// The program kind handed to the shell routines.
Int shellProgramKind() {
  const Int kind = zmx_elements::programKind();
  if (kind == 0 && rec::i(CAXIMODEL, zmx_elements::kAxisymmetricModel) == 0) return 2;
  return kind;
}

Int userNodeNumber(const Call& c, int j) {
  if (j > c.nodeCount || c.nodes == nullptr) return 0;
  const Int node = ADB_GETNODE(c.nodeDatabase, &c.nodes[j - 1]);
  Int user = 0;
  const Int three = 3;
  ADB_NODEACCESS(&three, &node, &user);
  return user;
}

Real planarDistance(const Call& c, int u, int v) {
  const long long ld = *c.ldim;
  const Real dx = c.X[ld * (u - 1)] - c.X[ld * (v - 1)];
  const Real dy = c.X[1 + ld * (u - 1)] - c.X[1 + ld * (v - 1)];
  return std::sqrt(dx * dx + dy * dy);
}

void negativeRadius(const Call& c, Int level, const char* text, Int user, Real r, Int key) {
  KVXNERR2I(&level, text, static_cast<Int>(std::char_traits<char>::length(text)), &user, &c.element, &r, " ", 1);
  const Int file = 1;
  MSGACCESS(&file, &user, &key);
}

// Negative radial coordinates of an axisymmetric element: small ones of a reactivated or imported
// element are taken as zero with a warning, all others are errors.
void radialCheck(const Call& c) {
  const Int nodes = word(c.rec, kRadialNodes);
  if (word(c.rec, kAxisymmetric) == 0 || nodes <= 0) return;
  const Int kind = zmx_elements::programKind();
  for (int j = 1; j <= nodes; ++j) {
    Real& r = c.X[static_cast<long long>(*c.ldim) * (j - 1)];
    const Int user = userNodeNumber(c, j);
    if (!(r < 0.0)) continue;
    // A single node has no length to scale the tolerance by.
    Real length = 0.0;
    if (nodes == 2)
      length = planarDistance(c, 1, 2);
    else if (nodes > 2)
      length = std::max(planarDistance(c, 1, 2), planarDistance(c, 2, 3));
    const Real tolerance = 1.0e-5 * length;
    if (kind == 1 && std::fabs(r) < tolerance) {
      negativeRadius(c, -1,
                     "THE RADIAL CURRENT COORDINATE OF NODE NUMBER %I RESIDING ON REACTIVATED AXYSYMMETRIC ELEMENT %I "
                     "HAS A NEGATIVE  VALUE %R. THIS VALUE HAS BEEN ASSUMED  SMALL ENOUGH TO BE TAKEN AS ZERO",
                     user, r, -3001);
      r = 0.0;
    } else if (kind == 0 && *c.imported != 0 && std::fabs(r) < tolerance) {
      negativeRadius(c, -1,
                     "THE RADIAL CURRENT COORDINATE OF NODE NUMBER %I RESIDING ON IMPORTED AXYSYMMETRIC ELEMENT %I "
                     "HAS A NEGATIVE  VALUE %R. THIS VALUE HAS BEEN ASSUMED  SMALL ENOUGH TO BE TAKEN AS ZERO",
                     user, r, -3002);
      r = 0.0;
    } else {
      negativeRadius(c, -2,
                     "THE RADIAL COORDINATE OF NODE NUMBER %I RESIDING ON ELEMENT %I HAS A VALUE  %R. A NEGATIVE "
                     "VALUE IS ILLEGAL FOR  AXISYMMETRIC ELEMENTS",
                     user, r, -3003);
    }
  }
}

// Size of element variable 99 of the element's second sub-layout.
Int interfaceVariableSize(const Call& c) {
  const Int zero = 0, one = 1, id = 99;
  const Int first = GETSUBLAYOUT(&zero, c.handle, &one);
  const Int second = GETSUBLAYOUT(&one, &first, &one);
  Int rows = 0, columns = 0;
  QUERYVAR(&second, &id, &rows, &columns);
  return rows * columns;
}

void beams(const Call& c, Int family) {
  switch (family) {
    case 101: return LBG002(c.X, c.ldim, c.handle, c.status);
    case 102: return LTHBM2D(c.X, c.ldim, c.a5, c.handle, c.status);
    case 103:
    case 105: return LBG102(c.X, c.ldim, c.a4, c.handle, c.status);
    case 104: return LTHBM(c.a4, c.X, c.ldim, c.a5, c.handle, c.status);
    default: return;
  }
}

void shell8(const Call& c, Int family) {
  const Int w36 = word(c.rec, kNodeCount), kind = shellProgramKind();
  Int flag = kind;
  Int noVariable = 0;
  Int* v19 = family == 202 ? zmx_elements::integerVariable(c.layout, 19, 1) : nullptr;
  Int cgn7 = rec::i(CGN, 7), cgn15 = rec::i(CGN, 15);
  // LSG8 reads nine node numbers, the centre node's among them: a shorter node list goes as a copy
  // padded with 0, which names no node.
  Int nine[9] = {};
  if (c.nodes != nullptr) std::copy_n(c.nodes, std::min<Int>(c.nodeCount, 9), nine);
  const Int* nodes = c.nodeCount >= 9 ? c.nodes : nine;
  LSG8(c.X, c.ldim, c.a5, v19 != nullptr ? v19 : &noVariable, &w36, c.handle, &flag, c.a2, c.a3, nodes, c.a15,
       c.a16, c.imported, c.a19 != nullptr ? c.a19 : &noVariable, c.status, c.a23, &cgn7, c.a27, &cgn15, c.a24);
}

void lineShell(const Call& c, Logical which) {
  const Int w36 = word(c.rec, kNodeCount);
  LSG001(c.X, c.ldim, c.a5, &which, c.a15, c.a16, c.imported, c.handle, &w36, c.status);
}

void fluidElement(const Call& c) {
  const Int zero = 0, one = 1;
  const Int first = GETSUBLAYOUT(&zero, c.handle, &one);
  const Int second = GETSUBLAYOUT(&one, &first, &one);
  Real* volume = zmx_elements::realVariable(second, 136, 1);
  if (c.a10 == nullptr || c.a11 == nullptr || c.a12 == nullptr || c.a13 == nullptr || c.nodes == nullptr) return;
  LSGFLUID(c.a4, c.a10, c.a12, c.a11, c.a13, volume, &c.element, c.nodes, c.rec, c.X, c.ldim, c.nodeDatabase);
}

// Family 309: the slave-surface interface elements; argument 1 receives the node's value, which
// then goes to element variable 99.
void slaveSurfaceElement(const Call& c) {
  const Int size = interfaceVariableSize(c);
  const Int user = userNodeNumber(c, 1);
  const Int w36 = word(c.rec, kNodeCount), type = word(c.rec, kType);
  const Int w29 = word(c.rec, kWord29), w31 = word(c.rec, kWord31);
  const Int noCapacity = 0;
  const Int* capacity = c.a14 != nullptr ? c.a14 : &noCapacity;
  bool copy = size > 0;
  if (word(c.rec, kCoordinates) == 2) {
    LIGSL2(&w36, c.a4, c.interfaceList, &c.interfaceCount, &type, c.a1, &w31, &w29, capacity, c.X, c.ldim, &user);
  } else {
    LIGSL3(c.a4, c.interfaceList, &c.interfaceCount, &type, &w36, c.a1, capacity, c.X, c.ldim, &user);
    copy = copy && type == 290;
  }
  if (!copy) return;
  const Int zero = 0, one = 1;
  const Int first = GETSUBLAYOUT(&zero, c.handle, &one);
  const Int second = GETSUBLAYOUT(&one, &first, &one);
  if (Real* v99 = zmx_elements::realVariable(second, 99, size)) v99[0] = c.a1[0];
}

void planarContinuum(const Call& c, Int family) {
  const Int w36 = word(c.rec, kNodeCount), w14 = word(c.rec, kPoints);
  const bool triangle = w36 == 3 || w36 == 6;
  if ((family == 2 || family == 4 || family == 9) && triangle)
    LC2DGT(c.a4, c.a5, &w36, c.rec, &c.element, c.status, c.X, c.ldim);
  else if ((family == 2 || family == 4) && w36 == 4 && w14 == 1)
    LC2DGR(c.a4, c.a5, c.rec, &c.element, c.status, c.X, c.ldim);
  else
    LC2DG(c.a4, c.a5, c.rec, &w36, &c.element, c.status, c.X, c.ldim);
}

void band1(const Call& c, Int family) {
  const Int w36 = word(c.rec, kNodeCount);
  Int cgn7 = rec::i(CGN, 7), cgn15 = rec::i(CGN, 15);
  switch (family) {
    case 1:
      return LTRUSG(&c.element, &c.section, c.rec, c.status, c.X, c.ldim);
    case 2:
    case 4:
    case 5:
    case 9:
      return planarContinuum(c, family);
    case 3:
      if (w36 >= 20) return LC3DG_CHECK(&c.element, c.a5, c.X, &w36, c.ldim, c.rec, c.status);
      return LC3DGT(&c.element, c.a5, c.X, &w36, c.ldim, c.rec, c.status);
    case 6:
    case 7:
      return LC3DG2(&c.element, c.a5, c.X, c.ldim, c.rec, c.status);
    case 8:
      return LC2DGR(c.a4, c.a5, c.rec, &c.element, c.status, c.X, c.ldim);
    case 10:
      return LINF2D(&c.element, c.a4, c.a5, &w36, c.rec, c.status, c.X, c.ldim);
    case 11:
      return LINF3D(&c.element, c.a5, &w36, c.rec, c.status, c.X, c.ldim);
    case 12:
    case 14:
      return LC2DG6C(c.a4, c.a2, c.a3, c.a5, c.rec, &c.element, c.nodes, c.status, c.X, c.ldim, c.a23, &cgn7, c.a27,
                     &cgn15, c.a24, c.a25, c.a26);
    case 13:
      return LC3DG10C(c.a5, c.a2, c.a3, &c.element, c.nodes, c.status, c.X, c.ldim, c.a23, &cgn7, c.a27, &cgn15,
                      c.a24, c.a25, c.a26);
    case 15:
      return SHR_LCYLCHECK(c.handle, c.X, c.a5, c.rec, &c.element, c.ldim, c.status);
    case 62:
      return SHR_LACIN2D(&c.element, c.a4, c.a5, c.rec, c.X, c.status, c.a28, c.nodes);
    case 63:
      return SHR_LACIN3D(&c.element, c.a4, c.a5, c.rec, c.X, c.status, c.a28, c.nodes);
    case 64:
      return SHR_LACINAX(&c.element, c.a4, c.a5, c.rec, c.X, c.status, c.a28, c.nodes);
    default:
      return;
  }
}

void band2(const Call& c, Int family) {
  const Int w36 = word(c.rec, kNodeCount), w14 = word(c.rec, kPoints), type = word(c.rec, kType);
  switch (family) {
    case 204: {
      Real work[64] = {};
      const Int kind = shellProgramKind();
      return LSGBAT(&c.element, c.X, c.ldim, &w36, &kind, work, c.a15, c.a16, c.imported);
    }
    case 213:
      return LMEMG_CHECK(&c.element, c.a5, c.X, c.ldim, c.a4, c.rec, c.status);
    case 214:
      return LAXMEMG(&c.element, c.a5, &w36, c.X, c.ldim, &type, &w14, c.status);
    case 215:
      return SHR_LCYLMEMG_CHECK(&c.element, c.a5, c.X, c.ldim, c.a4, c.rec, c.status, c.handle);
    case 201: {
      Int nodes = w36;
      const Int kind = shellProgramKind();
      LSG002(&c.element, c.X, c.ldim, c.rec, c.handle, c.a5, &nodes, &kind, c.a15, c.a16, c.imported, c.status);
      return;
    }
    case 202:
    case 203:
      return shell8(c, family);
    case 205:
    case 206:
      return LEG300P(&c.element, c.a4, c.X, c.ldim, c.rec);
    case 207:
      return lineShell(c, kFalse);
    case 208: {
      const Int three = 3;
      Real own[256] = {};
      LSGLS(c.a21 != nullptr ? c.a21 : own, c.X, c.ldim, c.a5, &three, &c.element, c.rec, c.nodeDatabase, c.nodes);
      return;
    }
    case 210: {
      const Int kind = shellProgramKind(), w49 = word(c.rec, kStationPoints);
      const Real work = 0.0;
      return LSGSAX(&c.element, c.X, c.ldim, &w36, &w49, &kind, &work, c.rec, c.a7, c.handle, c.a15, c.a16,
                    c.imported, c.status);
    }
    case 211: {
      const Int w8 = word(c.rec, kWord8);
      LHSG01(&c.element, c.X, c.ldim, c.a5, &w8, &type, &w14, c.status);
      return;
    }
    case 212: {
      const Int kind = shellProgramKind();
      LHSG002(c.X, c.ldim, c.a5, &w36, c.handle, &kind, c.status);
      return;
    }
    case 216: {
      const Int kind = shellProgramKind();
      Int checkKind = kind;
      return SHR_LSC(&c.layout, c.handle, c.X, c.a5, c.ldim, c.a15, c.a16, c.imported, &checkKind,
                     &rec::i(CPROG, eqc_records::kProgramKind), c.status);
    }
    default:
      return;
  }
}

void band3(const Call& c, Int family) {
  const Int w36 = word(c.rec, kNodeCount), w14 = word(c.rec, kPoints), type = word(c.rec, kType);
  switch (family) {
    case 304:
      return LIASI(&w14, &w36, c.X, c.ldim);
    case 309:
      return slaveSurfaceElement(c);
    case 305:
    case 306: {
      const Int size = interfaceVariableSize(c);
      if (size <= 0) return;
      const Int zero = 0, one = 1;
      const Int first = GETSUBLAYOUT(&zero, c.handle, &one);
      const Int second = GETSUBLAYOUT(&one, &first, &one);
      Real* v99 = zmx_elements::realVariable(second, 99, size);
      if (v99 == nullptr) return;
      return LIGSMALLSLID(v99, &size, c.a4, c.interfaceList, &c.interfaceCount, c.rec, &first, c.nodeDatabase,
                          c.nodes);
    }
    case 307:
      if (type > 250 && type <= 253) return LRIGS(&c.element, c.a1, c.a5, c.X, &w36, c.ldim, &w14);
      return LIRS(c.X, c.ldim, c.a4, c.rec, c.interfaceList, &c.interfaceCount);
    default:
      return;
  }
}

void band4(const Call& c, Int family) {
  const Int w36 = word(c.rec, kNodeCount), w14 = word(c.rec, kPoints), type = word(c.rec, kType);
  switch (family) {
    case 402:
      if (type == 3103) LSPRING_CHECK(c.X, c.ldim, &c.element);
      return;
    case 408:
      if (type != 3431) fluidElement(c);
      return;
    case 410:
      if (type == 3451) return LTRUSG(&c.element, &c.section, c.rec, c.status, c.X, c.ldim);
      if (type == 3452) return lineShell(c, kTrue);
      if (type == 223 || type == 224) LRIGID_CHECK(&c.element, c.X, c.ldim, c.rec, c.status);
      return;
    case 414:
      if (type == 3652) SHR_FRAMEG(c.X, c.ldim, c.a4, c.handle, c.status);
      return;
    case 419:
      return LAXMEMG(&c.element, c.a5, &w36, c.X, c.ldim, &type, &w14, c.status);
    case 420:
      return SHR_LSURFELEG_CHECK(&c.element, c.a5, c.X, c.ldim, c.rec, c.status);
    case 421:
      return SHR_LCYLSURFELE_CHECK(c.handle, c.X, c.a5, c.rec, &c.element, c.ldim, c.status);
    default:
      return;
  }
}

void dispatch(const Call& c) {
  const Int family = word(c.rec, kFamily);
  if (family >= 1 && family <= 98) return band1(c, family);
  if (family >= 101 && family <= 198) return beams(c, family);
  if (family >= 201 && family <= 298) return band2(c, family);
  if (family >= 301 && family <= 398) return band3(c, family);
  if (family >= 401 && family <= 498) return band4(c, family);
}

}  // namespace

extern "C" {

void ELGGEN(Real* a1, Real* a2, const Int* a3, Real* a4, Real* a5, Real* a6, Int* a7, const Int* a8, const Int* /*a9*/,
            Int* a10, const Int* a11, Int* a12, void* a13, const Int* a14, Real* a15, Real* a16, const Int* a17,
            const Int* a18, const Int* a19, Int* a20, void* a21, const Int* a22, const Int* a23, Real* a24, Real* a25,
            const Int* a26, const Int* a27, Real* a28) {
  Call c{a1,  a2,  a3,  a4,  a5,  a6,  a7,  a8,  a15, a16, a17, a18, a20, a22, a23, a24, a25,
         a26, a27, a28, a10, a11, a12, a13, a14, a19, a21};
  Int scratch = 0;
  c.layout = ELAYOACCESS(a18, &c.section, &scratch);
  const Int zero = 0, one = 1, two = 2, four = 4;
  ELEMACCESS(&zero, &c.layout, &c.element);
  Int recordLength = 0;
  const Int recordWord = ELEMACCESS(&two, &c.layout, &recordLength);
  *a7 = 0;
  const Int nodesWord = ELEMACCESS(&one, &c.layout, a7);
  c.nodeCount = *a7;
  const Int interfaceWord = ELEMACCESS(&four, &c.layout, &c.interfaceCount);
  if (c.interfaceCount > 0)
    c.interfaceList = mem32::at<Int>(interfaceWord, static_cast<std::size_t>(c.interfaceCount), dm2::kDataTag);
  if (c.interfaceList == nullptr) c.interfaceCount = 0;
  // The type record is read through a copy of its words, so that words past a short record read 0.
  const Int* given = recordLength > 0 ? mem32::at<Int>(recordWord, static_cast<std::size_t>(recordLength), dm2::kDataTag)
                                      : nullptr;
  if (given == nullptr) return;
  Int record[kTypeRecordCopy] = {};
  std::copy_n(given, std::min<Int>(recordLength, kTypeRecordCopy), record);
  c.rec = record;
  c.nodes = c.nodeCount > 0 ? mem32::at<Int>(nodesWord, static_cast<std::size_t>(c.nodeCount), dm2::kDataTag) : nullptr;
  radialCheck(c);
  dispatch(c);
}

}  // extern "C"
