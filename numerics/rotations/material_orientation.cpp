// Local material directions at one material point from an orientation definition, brought into
// the surface system of shells, membranes and gaskets and checked against the element normal.
// Failures are printed and the element is filed under the message key; the routine goes on.

#include <algorithm>
#include <cmath>
#include <utility>
#include <string_view>

#include "numerics/kernels/kernel_support.h"
#include "numerics/rotations/orientation_frame.h"
#include "runtime/record.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_messages.h"
#include "zmx/numerics.h"

using namespace zmx_orientation;
using zmx_numerics::cross3;
using zmx_numerics::dot3;

namespace {

constexpr Real kTolerance = 0.001;
constexpr Int kError = -2;
constexpr Int kWarning = -1;

// Kind flag.
constexpr Int kRebar = 1;
constexpr Int kMaterial = 0;

// Message keys.
constexpr Int kKeyNotInSurface = -2122;
constexpr Int kKeyOrthogonalNormal = -2127;
constexpr Int kKeyReversedThird = -2128;
constexpr Int kKeyReversedFirst = -2129;
constexpr Int kKeyNoLocalNode = -2130;
constexpr Int kKeyZeroSide = -2131;
constexpr Int kKeyCoincident = -2132;
constexpr Int kKeyPolarAxis = -2133;
constexpr Int kKeySkewRebar = -2134;
constexpr Int kKeyZeroNodeDistance = -2106;

constexpr std::string_view kFirstZero = "THE FIRST MATERIAL DIRECTION IS ZERO.";
constexpr std::string_view kSecondZeroGasket = "THE SECOND MATERIAL DIRECTION IS ZERO.";
constexpr std::string_view kSecondCoincident =
    "THE SECOND MATERIAL DIRECTION IS ZERO OR THE FIRST AND SECOND MATERIAL DIRECTIONS ARE COINCIDENT.";
constexpr std::string_view kThirdCoincidentGasket =
    "THE THIRD MATERIAL DIRECTION IS ZERO OR THE SECOND AND THIRD MATERIAL DIRECTIONS ARE COINCIDENT.";
constexpr std::string_view kNotInSurface =
    "MATERIAL ORIENTATION DIRECTIONS OF ELEMENT %E POINT %I LAYER %I AS DEFINED IN USER SUBROUTINE ORIENT DO NOT "
    "LIE IN THE SURFACE COORDINATE SYSTEM";
constexpr std::string_view kNoLocalNode = "LOCAL NODE NUMBER %I DOES NOT EXIST FOR ELEMENT %E";
constexpr std::string_view kZeroSide =
    "LENGTH OF ONE SIDE OF ELEMENT %E IS ZERO.  THE ORIENTATION CANNOT BE DEFINED.";
constexpr std::string_view kCoincident =
    "THE TWO LOCAL DIRECTIONS OF ELEMENT %E ARE COINCIDENT. THE ORIENTATION CANNOT BE DEFINED";
constexpr std::string_view kZeroNodeDistance =
    "THE LENGTH BETWEEN LOCAL NODE NUMBERS %I AND %I IS ZERO. THE ORIENTATION CANNOT BE DEFINED";
constexpr std::string_view kPolarAxis =
    "A MATERIAL POINT IN ELEMENT %E LIES ON THE POLAR AXIS. THE ORIENTATION CANNOT BE DEFINED. USE THE OPTION "
    "ORIENTATION, SYSTEM=RECTANGULAR OR MOVE THE POLAR AXIS AWAY FROM THE MATERIAL POINT.";
constexpr std::string_view kSkewRebar =
    "SKEW REBAR DEFINITION OF ELEMENT %E REFERENCES AN *ORIENTATION WITH DIRECTIONS ORTHOGONAL TO THE SURFACE "
    "COORDINATE SYSTEM.";
constexpr std::string_view kGasketNormalOrthogonal =
    "THE USER DEFINED NORMAL OF THE  MATERIAL ORIENTATION  OF ELEMENT %E POINT %I AS DEFINED IN *ORIENTATION IS "
    "ORTHOGONAL TO THE GASKET NORMAL DIRECTION. CHECK INPUT DATA.";
constexpr std::string_view kShellNormalOrthogonal =
    "THE USER DEFINED NORMAL OF THE  MATERIAL ORIENTATION  OF ELEMENT %E POINT %I LAYER %I AS DEFINED IN "
    "*ORIENTATION IS ORTHOGONAL TO THE SHELL OR MEMBRANE NORMAL DIRECTION. CHECK INPUT DATA.";
constexpr std::string_view kThirdReversed =
    "THE 3-DIRECTION OF ELEMENT %E POINT %I LAYER %I AS DEFINED IN *ORIENTATION IS IN THE OPPOSITE DIRECTION TO "
    "THE ELEMENT NORMAL. EITHER THE 1 OR 2 AND THE 3-DIRECTION DEFINED IN *ORIENTATION WILL BE REVERSED. THIS "
    "MESSAGE WILL ONLY BE PRINTED ONCE.";
constexpr std::string_view kFirstReversedGasket =
    "THE 1-DIRECTION OF ELEMENT %E POINT %I AS DEFINED IN *ORIENTATION IS IN THE OPPOSITE DIRECTION TO THE ELEMENT "
    "NORMAL. THE 2 OR 3 AND 1-DIRECTIONS DEFINED IN *ORIENTATION WILL BE REVERSED. THIS MESSAGE WILL ONLY BE "
    "PRINTED ONCE";
constexpr std::string_view kNodeNormalOrthogonal =
    "THE USER DEFINED NORMAL OF NODE %N IS ORTHOGONAL TO THE SURFACE NORMAL DIRECTION. CHECK INPUT DATA.";

// Printed-once flags of the opposite-direction warnings, for the process.
constinit bool gRebarReversalPrinted = false;
constinit bool gMaterialReversalPrinted = false;

// What one call works on.
struct Point {
  Real* A;
  Real* ori;
  Real x[3];
  const Real* S;
  Int element;
  const Real* nodes;
  Int pointAndLayer[2];
  Int nodeCount;
  Int kind;
  Int elementType;

  bool isGasket() const { return elementType == 412; }
  bool isShellLike() const {
    return (elementType >= 200 && elementType <= 299) || (elementType >= 419 && elementType <= 421) || isGasket();
  }
  bool isSurfaceNormalType() const { return elementType >= 300 && elementType <= 399; }
  const Real* surface(int m) const { return S + 3 * m; }
};

void systemError(std::string_view text) {
  const Int level = -3, zero = 0;
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), &zero, nullptr, " ", 1);
}

void fileError(const Point& p, std::string_view text, Int key) {
  printAndFile(kError, text, p.pointAndLayer, p.element, 0, key);
}

// ---- Directions given by the user routine -------------------------------------------------------

// Puts a user direction into the surface plane: its third component goes when it is not small,
// and the rest must then still have a length.
void flattenIntoSurface(const Point& p, Real* d) {
  if (d[2] * d[2] <= kTolerance) return;
  d[2] = 0.0;
  const Real squares = d[0] * d[0] + d[1] * d[1];
  if (squares <= kTolerance) {
    fileError(p, kNotInSurface, kKeyNotInSurface);
    return;
  }
  const Real length = std::sqrt(squares);
  d[0] /= length;
  d[1] /= length;
}

void setGlobalDirections(const Point& p, const Real* first, const Real* second) {
  for (int k = 0; k < 3; ++k) {
    p.ori[k] = first[0] * p.surface(0)[k] + first[1] * p.surface(1)[k];
    p.ori[3 + k] = second[0] * p.surface(0)[k] + second[1] * p.surface(1)[k];
  }
}

void userDirections(const Point& p) {
  Real* d1 = p.A;
  Real* d2 = p.A + 3;
  Real* d3 = p.A + 6;
  if (!normalise(d1)) systemError(p.isGasket() ? kSecondZeroGasket : kFirstZero);
  const Real c = dot3(d1, d2);
  if (std::fabs(c) > kTolerance)
    for (int k = 0; k < 3; ++k) d2[k] -= c * d1[k];
  if (!normalise(d2)) systemError(p.isGasket() ? kThirdCoincidentGasket : kSecondCoincident);
  cross3(d1, d2, d3);
  if (!p.isShellLike()) return;
  flattenIntoSurface(p, d1);
  flattenIntoSurface(p, d2);
  if (std::fabs(d1[0] * d2[0] + d1[1] * d2[1]) > kTolerance) {
    d2[0] = -d1[1];
    d2[1] = d1[0];
    d2[2] = 0.0;
  }
  d3[0] = d3[1] = 0.0;
  d3[2] = 1.0;
  setGlobalDirections(p, d1, d2);
}

// ---- Systems spanned by two local nodes ---------------------------------------------------------

// Copies the coordinates of local node m into the three slots from first; a node number out of
// range is reported and nothing is read.
void loadLocalNode(const Point& p, int slot, Int first) {
  const Int m = rec::slotI(p.ori, slot);
  if (m < 1 || m > p.nodeCount) {
    printAndFile(kError, kNoLocalNode, &m, p.element, 0, kKeyNoLocalNode);
    return;
  }
  for (int k = 0; k < 3; ++k) rec::setSlotR(p.ori, first + k, p.nodes[3 * (m - 1) + k]);
}

void nodeDefinedPoints(const Point& p, Int& type) {
  loadLocalNode(p, kFirstNodeSlot, kPointASlot);
  loadLocalNode(p, kSecondNodeSlot, kPointBSlot);
  type -= kNodeDefinedOffset;
  Real* a = p.ori + (kPointASlot - 1);
  Real* b = p.ori + (kPointBSlot - 1);
  if (type == kRectangular || type == kRectangularThirdFirst) {
    for (int k = 0; k < 3; ++k) {
      a[k] -= p.nodes[k];
      b[k] -= p.nodes[k];
    }
    if (!normalise(a)) fileError(p, kZeroSide, kKeyZeroSide);
    if (!normalise(b)) fileError(p, kZeroSide, kKeyZeroSide);
    const Real along = dot3(a, b);
    for (int k = 0; k < 3; ++k) b[k] -= along * a[k];
    if (!normalise(b)) fileError(p, kCoincident, kKeyCoincident);
    return;
  }
  for (int k = 0; k < 3; ++k) b[k] -= a[k];
  if (!normalise(b)) {
    const Int level = kError;
    const Int pair[2] = {rec::slotI(p.ori, kFirstNodeSlot), rec::slotI(p.ori, kSecondNodeSlot)};
    KVXNERR(&level, kZeroNodeDistance.data(), static_cast<Int>(kZeroNodeDistance.size()), pair, nullptr, " ", 1);
    fileOnly(p.element, kKeyZeroNodeDistance);
  }
}

// ---- Shells, membranes and gaskets --------------------------------------------------------------

void reportReversal(const Point& p, Int* reversed) {
  if (p.kind == kRebar) {
    *reversed = 1;
    if (!gRebarReversalPrinted) {
      gRebarReversalPrinted = true;
      printAndFile(kWarning, kThirdReversed, p.pointAndLayer, p.element, 0, kKeyReversedThird);
    } else {
      fileOnly(p.element, kKeyReversedThird);
    }
    return;
  }
  const Int key = p.isGasket() ? kKeyReversedFirst : kKeyReversedThird;
  if (!gMaterialReversalPrinted) {
    gMaterialReversalPrinted = true;
    printAndFile(kWarning, p.isGasket() ? kFirstReversedGasket : kThirdReversed, p.pointAndLayer, p.element, 0, key);
  } else {
    fileOnly(p.element, key);
  }
}

void checkAgainstNormal(const Point& p, const Directions& frame, Int k, Int* reversed) {
  if (p.kind != kRebar && p.kind != kMaterial) return;
  const Real along = dot3(frame.d[k - 1], p.surface(2));
  if (std::fabs(along) < kTolerance) {
    if (p.kind == kRebar)
      fileError(p, kSkewRebar, kKeySkewRebar);
    else
      fileError(p, p.isGasket() ? kGasketNormalOrthogonal : kShellNormalOrthogonal, kKeyOrthogonalNormal);
  }
  if (along < 0.0) reportReversal(p, reversed);
}

// A becomes the rotation in the surface plane that takes surface direction 1 to the projection
// of direction i (the successor of k).
void rotationInSurface(const Point& p, const Directions& frame, Int k) {
  const Real* di = frame.d[k % 3];
  const Real q1 = dot3(di, p.surface(0)), q2 = dot3(di, p.surface(1));
  const Real r = std::sqrt(q1 * q1 + q2 * q2);
  const Real c = q1 / r, s = q2 / r;
  const Real rotation[9] = {c, s, 0.0, -s, c, 0.0, 0.0, 0.0, 1.0};
  for (int m = 0; m < 9; ++m) p.A[m] = rotation[m];
  const Real first[2] = {c, s}, second[2] = {-s, c};
  setGlobalDirections(p, first, second);
}

// ---- End step -----------------------------------------------------------------------------------

void transposeInPlace(Real* A) {
  std::swap(A[1], A[3]);
  std::swap(A[2], A[6]);
  std::swap(A[5], A[7]);
}

// Surface-normal types: the directions are made to follow the surface normal.
void alignWithSurfaceNormal(const Point& p) {
  const Real* n = p.surface(2);
  if (dot3(n, n) <= kTolerance) return;
  Real* d1 = p.A;
  if (std::fabs(dot3(p.A + 6, n)) >= kTolerance) {
    const Real along = dot3(d1, n);
    for (int k = 0; k < 3; ++k) d1[k] -= along * n[k];
    normalise(d1);
    cross3(n, d1, p.A + 3);
    for (int k = 0; k < 3; ++k) p.A[6 + k] = n[k];
    return;
  }
  const Int level = kError, zero = 0, node = p.element;
  KVXNERR1(&level, kNodeNormalOrthogonal.data(), static_cast<Int>(kNodeNormalOrthogonal.size()), &zero, nullptr,
           " ", 1, &zero, &node);
  for (int m = 0; m < 9; ++m) p.A[m] = p.S[m];
}

void endStep(const Point& p) {
  if (p.isSurfaceNormalType())
    alignWithSurfaceNormal(p);
  else
    transposeInPlace(p.A);
}

void storeColumns(const Directions& frame, Real* A, const int order[3]) {
  for (int m = 0; m < 3; ++m)
    for (int c = 0; c < 3; ++c) A[c + 3 * m] = frame.d[order[m]][c];
}

}  // namespace

extern "C" void MORIENT(Real* A, Real* ORI, const Real* X, const Real* S, const Int* element, const Real* nodes,
                        const Int* point, const Int* layer, Int* type, const Int* nodeCount, const Int* kind,
                        Int* reversed, const Int* elementType, const Int* ncoords) {
  Point p{A, ORI, {0.0, 0.0, 0.0}, S, *element, nodes, {*point, *layer}, *nodeCount, *kind, *elementType};
  const Int given = std::min<Int>(std::max<Int>(*ncoords, 0), 3);
  for (Int k = 0; k < given; ++k) p.x[k] = X[k];

  if (*type == kUserDirections) {
    userDirections(p);
    return endStep(p);
  }
  if (*type > kNodeDefinedOffset) nodeDefinedPoints(p, *type);

  const Real* a = ORI + (kPointASlot - 1);
  const Real* b = ORI + (kPointBSlot - 1);
  Int k = rotationAxis(ORI);
  Directions frame{};
  if (*type == kSupplied) {
    k = 3;
    for (int m = 0; m < 3; ++m)
      for (int c = 0; c < 3; ++c) frame.d[m][c] = A[c + 3 * m];
  } else if (!systemDirections(*type, a, b, p.x, frame)) {
    fileError(p, kPolarAxis, kKeyPolarAxis);
  }
  applyAdditionalRotation(ORI, k, frame);

  if (p.isShellLike() && *type != kSupplied) {
    checkAgainstNormal(p, frame, k, reversed);
    rotationInSurface(p, frame, k);
    return endStep(p);
  }
  const int natural[3] = {0, 1, 2};
  const int kThird[3] = {static_cast<int>(k % 3), static_cast<int>((k + 1) % 3), static_cast<int>(k - 1)};
  storeColumns(frame, A, p.isSurfaceNormalType() && k != 3 ? kThird : natural);
  endStep(p);
}
