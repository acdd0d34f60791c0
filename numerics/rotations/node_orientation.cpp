// Local directions of an orientation at a node, the nodal transformation of vectors, and the
// material directions kept in an element's state storage (analysis-database variables 32, the
// direction columns, and 34, the cosine and sine of an in-plane rotation).

#include <string_view>
#include <utility>

#include "numerics/kernels/kernel_support.h"
#include "numerics/rotations/orientation_frame.h"
#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/records.h"
#include "zmx/numerics.h"

using namespace zmx_orientation;
using zmx_numerics::count;
using zmx_numerics::cross3;
using zmx_numerics::dot3;

namespace {

constexpr Int kStoredDirections = 32;  // variable ids of the analysis database
constexpr Int kInPlaneRotation = 34;
constexpr int kModelDimensionWord = 3;  // CLDOF: 0 in two-dimensional models
constexpr Int kTwoNodeConnector = 3491;

constexpr std::string_view kFirstConstraintZero =
    "THE FIRST CONSTRAINT ORIENTATION DIRECTION FOR ORIENTATION %S AT NODE %I IS ZERO.";
constexpr std::string_view kSecondConstraintZero =
    "THE SECOND CONSTRAINT ORIENTATION DIRECTION FOR ORIENTATION %S AT NODE %I IS ZERO.";
constexpr std::string_view kConstraintsCoincident =
    "THE TWO CONSTRAINT DIRECTIONS FOR ORIENTATION %S AT NODE %I ARE COINCIDENT.";
constexpr std::string_view kOffsetNotPermitted =
    "*ORIENTATION, DEFINITION=OFFSET TO NODES IS NOT PERMITTED WITH A KINEMATIC COUPLING DEFINITION.";
constexpr std::string_view kNodeOnPolarAxis =
    "KINEMATIC COUPLING NODE %I LIES ON THE POLAR AXIS OF ORIENTATION %S. THE ORIENTATION CANNOT BE DEFINED AT THIS "
    "NODE.";
constexpr std::string_view kNodeAtCentre =
    "KINEMATIC COUPLING NODE %I LIES AT THE CENTER OF ORIENTATION %S. THE ORIENTATION CANNOT BE DEFINED AT THIS "
    "NODE.";

// The orientation's name and the node number, as the NORIENT messages print them.
struct NodeMessage {
  Int node;
  char name[8];

  void print(std::string_view text) const {
    const Int level = -3;
    KVXERR(&level, text.data(), static_cast<Int>(text.size()), &node, nullptr, name, 8);
  }
};

void constraintDirections(const Real* ori, const NodeMessage& message, Directions& frame) {
  Real(&d)[3][3] = frame.d;
  for (int k = 0; k < 3; ++k) {
    d[0][k] = rec::slotR(ori, kPointASlot + k);
    d[1][k] = rec::slotR(ori, kPointBSlot + k);
  }
  if (!normalise(d[0])) message.print(kFirstConstraintZero);
  if (!normalise(d[1])) message.print(kSecondConstraintZero);
  const Real c = dot3(d[0], d[1]);
  for (int k = 0; k < 3; ++k) d[1][k] -= c * d[0][k];
  if (!normalise(d[1]) || 1.0 - c < 0.001) message.print(kConstraintsCoincident);
  cross3(d[0], d[1], d[2]);
}

void transpose3(Real* T) {
  std::swap(T[1], T[3]);
  std::swap(T[2], T[6]);
  std::swap(T[5], T[7]);
}

// u := T u for the three words at u.
void transform3(const Real* T, Real* u) {
  const Real u0 = u[0], u1 = u[1], u2 = u[2];
  for (int i = 0; i < 3; ++i) u[i] = T[i] * u0 + T[i + 3] * u1 + T[i + 6] * u2;
}

// The count reals of an element variable, for reading or writing; null (reported by the
// database) when the layout has no such variable or it is shorter.
const Real* readVariable(const Int* layout, Int id, Int length) {
  return mem32::at<Real>(GETVARDR(layout, &id), static_cast<std::size_t>(length), dm2::kDataTag);
}

Real* writeVariable(const Int* layout, Int id, Int length) {
  return mem32::at<Real>(GETVARDW(layout, &id), static_cast<std::size_t>(length), dm2::kDataTag);
}

template <std::size_t N>
void storeVariable(const Int* layout, Int id, const Real (&values)[N]) {
  Real* target = writeVariable(layout, id, static_cast<Int>(N));
  if (target == nullptr) return;
  for (std::size_t k = 0; k < N; ++k) target[k] = values[k];
}

}  // namespace

extern "C" {

void NORIENT(Real* A, const Real* ORI, const Real* X, const Int* node, const Int* type) {
  NodeMessage message{node[1], {}};
  const Int eight = 8;
  ACODEC(ORI + (kNameSlot - 1), message.name, 8, &eight, nullptr);

  Directions frame{};
  if (*type == kUserDirections) {
    constraintDirections(ORI, message, frame);
  } else {
    if (*type > kNodeDefinedOffset) message.print(kOffsetNotPermitted);
    Real a[3], b[3];
    for (int k = 0; k < 3; ++k) {
      a[k] = rec::slotR(ORI, kPointASlot + k);
      b[k] = rec::slotR(ORI, kPointBSlot + k);
    }
    if (!systemDirections(*type, a, b, X, frame))
      message.print(*type == kCylindrical ? kNodeOnPolarAxis : kNodeAtCentre);
    applyAdditionalRotation(ORI, rotationAxis(ORI), frame);
  }
  storeAsRows(frame, A);
}

void NODTRN(const Int* code, Real* T, Real* U, const Int* flag, const Int* n, const Int* ld) {
  if (*flag == 0) transpose3(T);
  const bool plane = rec::i(CLDOF, kModelDimensionWord) == 0;
  const bool rotations = *code % 64 == 63;
  const std::size_t nodes = count(n), stride = static_cast<std::size_t>(*ld);
  for (std::size_t j = 0; j < nodes; ++j) {
    Real* u = U + j * stride;
    if (plane) {
      const Real u0 = u[0], u1 = u[1];
      u[0] = T[0] * u0 + T[3] * u1;
      u[1] = T[1] * u0 + T[4] * u1;
    } else {
      transform3(T, u);
    }
    if (rotations) transform3(T, u + 3);
  }
}

void MORIENTS(const Int* mode, Real* T, const Real* D, const Int* flag, const Int* layout, const Int* flag2) {
  if (*mode == 0) {
    const Real* pair = readVariable(layout, kInPlaneRotation, 2);
    if (pair == nullptr) return;
    const Real c = pair[0], s = pair[1];
    const Real rotation[9] = {c, -s, 0.0, s, c, 0.0, 0.0, 0.0, 1.0};  // rows (c, s, 0), (-s, c, 0)
    for (int k = 0; k < 9; ++k) T[k] = rotation[k];
    return;
  }
  Real columns[6];
  for (int k = 0; k < 3; ++k) {
    if (*flag == 0) {
      columns[k] = D[k];
      columns[3 + k] = D[3 + k];
    } else {  // the in-plane rotation applied
      columns[k] = T[0] * D[k] + T[3] * D[3 + k];
      columns[3 + k] = T[1] * D[k] + T[4] * D[3 + k];
    }
  }
  storeVariable(layout, kStoredDirections, columns);
  if (*flag2 != 0) {
    const Real pair[2] = {T[0], T[3]};
    storeVariable(layout, kInPlaneRotation, pair);
  }
}

void MORIENTW(const Real* A, Real* B, const Int* ndi, const Int* nshr, const Int* mode, const Int* layout,
              const Int* kind) {
  if (*mode == 0) {
    if (*kind == 3 || (*ndi == 3 && *nshr == 3)) {
      const Real rows[6] = {A[0], A[3], A[6], A[1], A[4], A[7]};
      storeVariable(layout, kStoredDirections, rows);
    } else if (*kind == 2 || (*nshr == 1 && (*ndi == 2 || *ndi == 3))) {
      const Real first[2] = {A[0], A[3]};
      storeVariable(layout, kStoredDirections, first);
    }
  }
  Real transposed[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) transposed[j + 3 * i] = A[i + 3 * j];
  for (int k = 0; k < 9; ++k) B[k] = transposed[k];
}

void CONNMORIENTW(const Real* A, const Real* B, const Int* type, const Int* layout) {
  if (*type == kTwoNodeConnector) {
    const Real rows[12] = {A[0], A[3], A[6], A[1], A[4], A[7], B[0], B[3], B[6], B[1], B[4], B[7]};
    storeVariable(layout, kStoredDirections, rows);
  } else {
    const Real first[4] = {A[0], A[3], B[0], B[3]};
    storeVariable(layout, kStoredDirections, first);
  }
}

}  // extern "C"
