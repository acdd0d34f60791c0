// Directions of the orientation systems shared by the material and the node orientations.

#include "numerics/rotations/orientation_frame.h"

#include "numerics/kernels/kernel_support.h"
#include "runtime/record.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_messages.h"

namespace zmx_orientation {

using zmx_numerics::cross3;
using zmx_numerics::dot3;

namespace {

void copy3(const Real* from, Real* to) {
  for (int k = 0; k < 3; ++k) to[k] = from[k];
}

}  // namespace

bool normalise(Real* v) {
  const Int three = 3;
  Int status = 0;
  ANORM(v, &three, &status);
  return status == 0;
}

Int rotationAxis(const Real* ori) {
  const Int k = rec::slotI(ori, kAxisSlot);
  return k >= 1 && k <= 3 ? k : 3;
}

bool systemDirections(Int type, const Real* a, const Real* b, const Real* x, Directions& frame) {
  Real(&d)[3][3] = frame.d;
  if (type == kRectangular) {
    copy3(a, d[0]);
    copy3(b, d[1]);
    cross3(d[0], d[1], d[2]);
    return true;
  }
  if (type == kRectangularThirdFirst) {
    copy3(a, d[2]);
    copy3(b, d[0]);
    cross3(d[2], d[0], d[1]);
    return true;
  }
  bool defined;
  if (type == kCylindrical) {
    copy3(b, d[2]);
    Real p[3];
    for (int k = 0; k < 3; ++k) p[k] = x[k] - a[k];
    const Real along = dot3(p, b);
    for (int k = 0; k < 3; ++k) d[0][k] = p[k] - along * b[k];
    defined = normalise(d[0]);
  } else {  // spherical: radial first, the polar axis made orthogonal to it
    copy3(b, d[2]);
    for (int k = 0; k < 3; ++k) d[0][k] = x[k] - a[k];
    normalise(d[0]);
    const Real along = dot3(d[2], d[0]);
    for (int k = 0; k < 3; ++k) d[2][k] -= along * d[0][k];
    defined = normalise(d[2]);
  }
  cross3(d[2], d[0], d[1]);
  return defined;
}

void applyAdditionalRotation(const Real* ori, Int k, Directions& frame) {
  if (rec::slotR(ori, kAngleSlot) == 0.0) return;
  const Real c = rec::slotR(ori, kCosineSlot), s = rec::slotR(ori, kSineSlot);
  Real* di = frame.d[k % 3];        // successor of k
  Real* dj = frame.d[(k + 1) % 3];  // the one after
  for (int m = 0; m < 3; ++m) {
    const Real oldI = di[m], oldJ = dj[m];
    di[m] = c * oldI + s * oldJ;
    dj[m] = c * oldJ - s * oldI;
  }
}

void storeAsRows(const Directions& frame, Real* A) {
  for (int m = 0; m < 3; ++m)
    for (int c = 0; c < 3; ++c) A[m + 3 * c] = frame.d[m][c];
}

void printAndFile(Int level, std::string_view text, const Int* integers, Int element, Int node, Int key) {
  const Int zero = 0;
  KVXNERR1(&level, text.data(), static_cast<Int>(text.size()), integers != nullptr ? integers : &zero, nullptr, " ", 1,
           &element, &node);
  fileOnly(element, key);
}

void fileOnly(Int element, Int key) {
  const Int add = 1;
  MSGACCESS(&add, &element, &key);
}

}  // namespace zmx_orientation
