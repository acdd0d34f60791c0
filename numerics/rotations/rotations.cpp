// Finite rotations: rotation vectors applied to vectors and composed through quaternions, the
// update of a total rotation, rotated tangent pairs, plane rotations, skew matrices, and the
// quaternion forms that store and rebuild the principal frames of tensors.
//
// The series branches and their grouping are kept exactly as the callers' results were tuned
// to them; no routine allocates.

#include <cmath>

#include "numerics/kernels/kernel_support.h"
#include "runtime/format.h"
#include "runtime/record.h"
#include "runtime/units.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/records.h"
#include "zmx/numerics.h"

using zmx_numerics::count;
using zmx_numerics::cross3;
using zmx_numerics::dot3;

namespace {

constexpr Real kLargestAngle = 15848925.0;
constexpr Real kPi = 3.14159265358979;
constexpr Real kTwoPi = 6.28318530717958;
constexpr Real kHalfPi = 1.570796326794895;
constexpr Real kNegligible = 1.0e-36;

// ---- Rotation of vectors ------------------------------------------------------------------------

void rotateVectors(const Real* x, Real* y, const Real* r, std::size_t columns, bool finite) {
  if (!finite) {
    for (std::size_t k = 0; k < 3 * columns; ++k) y[k] = x[k];
    return;
  }
  const Real theta = std::min(std::sqrt(dot3(r, r)), kLargestAngle);
  if (theta > 0.1) {
    const Real c = std::cos(theta), s = std::sin(theta);
    for (std::size_t j = 0; j < columns; ++j, x += 3, y += 3) {
      Real rx[3];
      cross3(r, x, rx);
      const Real along = dot3(r, x) * (1.0 - c) / theta;
      const Real x0 = x[0], x1 = x[1], x2 = x[2];
      y[0] = c * x0 + (s * rx[0]) / theta + along * r[0] / theta;
      y[1] = c * x1 + (s * rx[1]) / theta + along * r[1] / theta;
      y[2] = c * x2 + (s * rx[2]) / theta + along * r[2] / theta;
    }
    return;
  }
  // Series in t = theta^2, the leading 1 and 1/2 added separately.
  const Real t = theta * theta;
  Real alpha, beta1, gamma1;
  if (theta > 0.01) {
    alpha = 1.0 - t / 2.0 + t * t / 24.0 - t * t * t / 720.0 + t * t * t * t / 40320.0;
    beta1 = -t / 6.0 + t * t / 120.0 - t * t * t / 5040.0 + t * t * t * t / 362880.0;
    gamma1 = -t / 24.0 + t * t / 720.0 - t * t * t / 40320.0 + t * t * t * t / 3628800.0;
  } else {
    alpha = 1.0 - t / 2.0 + t * t / 24.0;
    beta1 = -t / 6.0 + t * t / 120.0;
    gamma1 = -t / 24.0 + t * t / 720.0;
  }
  for (std::size_t j = 0; j < columns; ++j, x += 3, y += 3) {
    Real rx[3];
    cross3(r, x, rx);
    const Real rdx = dot3(r, x);
    const Real x0 = x[0], x1 = x[1], x2 = x[2];
    y[0] = alpha * x0 + beta1 * rx[0] + gamma1 * rdx * r[0] + 0.5 * rdx * r[0] + rx[0];
    y[1] = alpha * x1 + beta1 * rx[1] + gamma1 * rdx * r[1] + 0.5 * rdx * r[1] + rx[1];
    y[2] = alpha * x2 + beta1 * rx[2] + gamma1 * rdx * r[2] + 0.5 * rdx * r[2] + rx[2];
  }
}

// ---- Quaternions of rotation vectors ------------------------------------------------------------

// Quaternion (scalar, vector) of a rotation vector; sine is the sine of the reduced half angle.
struct HalfTurn {
  Real scalar;
  Real vector[3];
  Real sine;
};

HalfTurn quaternionOf(const Real* v) {
  const Real theta = std::sqrt(dot3(v, v));
  const Real half = theta / 2.0;
  const Real h = std::fmod(half, kTwoPi);
  HalfTurn q{};
  Real scale;
  if (std::fabs(h) > 0.1) {
    q.scalar = std::cos(h);
    q.sine = std::sin(h);
    scale = (q.sine * 0.5) / half;
  } else {
    const Real u = h * h;
    q.scalar = 1.0 - u / 2.0 + u * u / 24.0 - u * u * u / 720.0 + u * u * u * u / 40320.0;
    const Real sigma = 1.0 - u / 6.0 + u * u / 120.0 - u * u * u / 5040.0 + u * u * u * u / 362880.0;
    q.sine = sigma * h;
    // Unreduced half angle: sigma/2 times v needs no division by a possibly zero angle.
    scale = std::fabs(half * 0.5 / kPi) < 1.0 ? sigma * 0.5 : (q.sine * 0.5) / half;
  }
  for (int k = 0; k < 3; ++k) q.vector[k] = scale * v[k];
  return q;
}

// Rotation vector of qb qa; reference is the direction that picks the sense of turn (the vector
// of qa, scaled so that reference . p / |p| is the cosine of the angle between qa's axis and p).
void composeHalfTurns(const HalfTurn& qb, const HalfTurn& qa, const Real* reference, Real referenceScale,
                      Real* result) {
  const Real s = qa.scalar * qb.scalar - dot3(qa.vector, qb.vector);
  Real p[3];
  cross3(qb.vector, qa.vector, p);
  for (int k = 0; k < 3; ++k) p[k] += qa.scalar * qb.vector[k] + qb.scalar * qa.vector[k];
  const Real squared = dot3(p, p);
  if (squared == 0.0) {
    result[0] = result[1] = result[2] = 0.0;
    return;
  }
  const Real w = std::sqrt(squared);
  Real phi = w <= 2.22e-16 ? w : std::atan2(w, s);
  if ((1.0 - dot3(reference, p) / (w * referenceScale)) * phi > kHalfPi) phi -= kPi;
  const Real factor = 2.0 * phi / w;
  for (int k = 0; k < 3; ++k) result[k] = p[k] * factor;
}

// ---- Quaternion matrices and tensors ------------------------------------------------------------

// Transposed rotation matrix of a stored quaternion: its k-th row is the k-th frame direction.
[[gnu::always_inline]] inline void frameOfQuaternion(const Real* q, bool scalarFirst, bool plane, Real* M) {
  Real x = 0.0, y = 0.0, z, w;
  if (plane) {
    z = scalarFirst ? q[1] : q[0];
    w = scalarFirst ? q[0] : q[1];
  } else if (scalarFirst) {
    w = q[0], x = q[1], y = q[2], z = q[3];
  } else {
    x = q[0], y = q[1], z = q[2], w = q[3];
  }
  M[0] = 2.0 * (x * x + w * w) - 1.0;
  M[4] = 2.0 * (y * y + w * w) - 1.0;
  M[8] = 2.0 * (z * z + w * w) - 1.0;
  M[1] = 2.0 * (x * y - w * z);
  M[3] = 2.0 * (x * y + w * z);
  M[2] = 2.0 * (x * z + w * y);
  M[6] = 2.0 * (x * z - w * y);
  M[5] = 2.0 * (y * z - w * x);
  M[7] = 2.0 * (y * z + w * x);
}

// Z := M^T S M for 3 x 3 matrices.
[[gnu::always_inline]] inline void congruence(const Real* M, const Real* S, Real* Z) {
  Real SM[9];
#pragma GCC unroll 3
  for (int j = 0; j < 3; ++j)
#pragma GCC unroll 3
    for (int i = 0; i < 3; ++i)
      SM[i + 3 * j] = S[i] * M[3 * j] + S[i + 3] * M[1 + 3 * j] + S[i + 6] * M[2 + 3 * j];
#pragma GCC unroll 3
  for (int j = 0; j < 3; ++j)
#pragma GCC unroll 3
    for (int i = 0; i < 3; ++i)
      Z[i + 3 * j] = M[3 * i] * SM[3 * j] + M[1 + 3 * i] * SM[1 + 3 * j] + M[2 + 3 * i] * SM[2 + 3 * j];
}

// Z := M^T S M for the symmetric S given as six words (11, 22, 33, 12, 13, 23).
[[gnu::always_inline]] inline void rotateSymmetric(const Real* M, const Real* a, Real* Z) {
  const Real S[9] = {a[0], a[3], a[4], a[3], a[1], a[5], a[4], a[5], a[2]};
  congruence(M, S, Z);
}

// Rounds n values to single precision and back, as the reduced-precision pass sees them.
void roundToSingle(Real* values, Int n) {
  float singles[8];
  ACOPDS(values, singles, &n);
  ACOPSD(singles, values, &n);
}

// The precision passes: MODE(2) = 1 one rounded pass, 3 a full and then a rounded pass,
// anything else one full pass.
template <class Pass>
void runPasses(Int precision, Pass pass) {
  if (precision == 3) pass(false);
  pass(precision == 1 || precision == 3);
}

// The nine components under their pass's label on unit 0, then a list-directed blank line.
void printTensor(const Real* Z, bool rounded) {
  fio::write(fio::kStandardError, "(A5,9E15.7)", {rounded ? "TENs " : "TEN  ", fio::outArray(Z, 9)});
  fio::writeList(fio::kStandardError, {" "});
}

void systemError(const char* text) {
  const Int level = -3, none = 0;
  KVXERR(&level, text, 25, &none, nullptr, " ", 1);
}

}  // namespace

// The per-call rotation entries start on a cache line: the smallest of them run in about a dozen
// cycles, and where the linker happens to place them otherwise decides whether their code
// straddles an instruction-fetch boundary, which costs as much as a tenth of the call.
#define ZMX_HOT_ENTRY __attribute__((aligned(64)))

extern "C" {

ZMX_HOT_ENTRY void SHR_ANROT(const Real* X, Real* Y, const Real* R, const Int* N) {
  rotateVectors(X, Y, R, count(N), rec::i(CONTRO, eqc_records::kFiniteRotations) != 0);
}

ZMX_HOT_ENTRY void ANROTSHR(const Real* X, Real* Y, const Real* R, const Int* N, const Int* IFLAG) {
  rotateVectors(X, Y, R, count(N), *IFLAG != 0);
}

void COMPROT(const Real* R1, const Real* R2, Real* R3) {
  Real result[3];
  if (dot3(R1, R1) < kNegligible) {
    for (int k = 0; k < 3; ++k) result[k] = R2[k];
  } else if (dot3(R2, R2) < kNegligible) {
    for (int k = 0; k < 3; ++k) result[k] = R1[k];
  } else {
    const HalfTurn qb = quaternionOf(R1), qa = quaternionOf(R2);
    composeHalfTurns(qb, qa, qa.vector, qa.sine, result);
  }
  for (int k = 0; k < 3; ++k) R3[k] = result[k];
}

void SHR_ROTUP(Real* R, const Real* R0) {
  Real d[3];
  for (int k = 0; k < 3; ++k) d[k] = R[k] - R0[k];
  const Real dd = dot3(d, d);
  if (dd <= kNegligible || dot3(R0, R0) <= kNegligible) return;
  composeHalfTurns(quaternionOf(R0), quaternionOf(d), d, std::sqrt(dd), R);
}

void COMPUTEROT2D(const Real* A, const Real* B, Real* T) {
  const Real c = A[0] * B[0] + A[1] * B[1];
  const Real s = A[0] * B[1] - A[1] * B[0];
  T[0] = c;
  T[1] = s;
  T[2] = -s;
  T[3] = c;
}

void SHR_AXIALTOSKEW(const Real* W, Real* S) {
  S[0] = 0.0, S[1] = W[2], S[2] = -W[1];
  S[3] = -W[2], S[4] = 0.0, S[5] = W[0];
  S[6] = W[1], S[7] = -W[0], S[8] = 0.0;
}

void ROTATE_ORIENTATION(Real* T1, const Real* T2, Real* N, const Real* NNEW, Real* T1NEW, Real* T2NEW) {
  constexpr Real kCosOneDegree = 0.999847695156;
  Real c = dot3(N, NNEW);
  if (c < 0.0 && std::fabs(c) >= kCosOneDegree) {
    for (int k = 0; k < 3; ++k) {
      N[k] = -N[k];
      T1[k] = -T1[k];
    }
    c = -c;
  }
  Real axis[3];
  cross3(N, NNEW, axis);
  const Real s = std::sqrt(dot3(axis, axis));
  if (s < kNegligible) {
    for (int k = 0; k < 3; ++k) {
      T1NEW[k] = T1[k];
      T2NEW[k] = T2[k];
    }
    return;
  }
  const Real scale = std::atan2(s, c) / s;
  for (Real& a : axis) a *= scale;
  rotateVectors(T1, T1NEW, axis, 1, true);
  rotateVectors(T2, T2NEW, axis, 1, true);
}

void CALQUAT(Real* Q, const Real* R, const Int* IFLAG) {
  auto at = [R](int i, int j) { return R[(i - 1) + 3 * (j - 1)]; };
  const Real t = at(1, 1) + at(2, 2) + at(3, 3);
  Real g = at(2, 2);
  for (Real candidate : {at(3, 3), at(1, 1), t})
    if (candidate > g) g = candidate;
  Real q[4];  // q0 (scalar), q1, q2, q3
  if (t == g) {
    if (t <= -1.0) return systemError("SYSTEM ERROR 1 IN CALQUAT");
    q[0] = std::sqrt(1.0 + t) / 2.0;
    // For a finite matrix the trace here is at least 0, so this and the check of the other branch
    // never fire; they stay as the routine's own reports.
    if (q[0] <= kNegligible) return systemError("SYSTEM ERROR 2 IN CALQUAT");
    const Real d = 4.0 * q[0];
    q[1] = (at(3, 2) - at(2, 3)) / d;
    q[2] = (at(1, 3) - at(3, 1)) / d;
    q[3] = (at(2, 1) - at(1, 2)) / d;
  } else {
    const int k = g == at(3, 3) ? 3 : g == at(2, 2) ? 2 : 1;
    const Real squared = (1.0 - t) / 4.0 + at(k, k) / 2.0;
    if (squared < 0.0) return systemError("SYSTEM ERROR 3 IN CALQUAT");
    q[k] = std::sqrt(squared);
    const Real d = 4.0 * q[k];
    if (k == 1) {
      q[0] = (at(3, 2) - at(2, 3)) / d, q[2] = (at(1, 2) + at(2, 1)) / d, q[3] = (at(1, 3) + at(3, 1)) / d;
    } else if (k == 2) {
      q[0] = (at(1, 3) - at(3, 1)) / d, q[1] = (at(1, 2) + at(2, 1)) / d, q[3] = (at(2, 3) + at(3, 2)) / d;
    } else {
      q[0] = (at(2, 1) - at(1, 2)) / d, q[1] = (at(1, 3) + at(3, 1)) / d, q[2] = (at(2, 3) + at(3, 2)) / d;
    }
  }
  if (isTrueLowBit(*IFLAG)) {
    for (int k = 0; k < 4; ++k) Q[k] = q[k];
  } else {
    Q[0] = q[1], Q[1] = q[2], Q[2] = q[3], Q[3] = q[0];
  }
}

ZMX_HOT_ENTRY void QUATM(const Real* A, const Real* B, Real* Z, const Int* NDIM) {
  if (*NDIM >= 3) {
    const Real z1 = A[3] * B[0] - A[0] * B[3] + A[2] * B[1] - A[1] * B[2];
    const Real z2 = A[3] * B[1] - A[1] * B[3] + A[0] * B[2] - A[2] * B[0];
    const Real z3 = A[3] * B[2] - A[2] * B[3] + A[1] * B[0] - A[0] * B[1];
    const Real z4 = A[3] * B[3] + A[0] * B[0] + A[1] * B[1] + A[2] * B[2];
    Z[0] = z1, Z[1] = z2, Z[2] = z3, Z[3] = z4;
  } else {
    const Real z1 = A[1] * B[0] - A[0] * B[1];
    const Real z2 = A[0] * B[0] + A[1] * B[1];
    Z[0] = z1, Z[1] = z2;
  }
}

ZMX_HOT_ENTRY void QUATROT(const Real* A, const Real* Q, Real* Z, const Int* NQ, const Int* IFLAG, const Int* MODE,
                           const void*) {
  if (MODE[0] != 1) return;
  const Int words = *NQ == 4 ? 4 : 2;
  const bool plane = *NQ == 2;
  const bool scalarFirst = isTrueLowBit(*IFLAG);
  const bool fullPrecisionOnly = MODE[1] != 1 && MODE[1] != 3;
  if (fullPrecisionOnly && (plane || words == 4)) {  // the common case, without copies
    Real M[9];
    frameOfQuaternion(Q, scalarFirst, plane, M);
    rotateSymmetric(M, A, Z);
    return;
  }
  runPasses(MODE[1], [&](bool rounded) {
    Real a[6], q[4] = {0.0, 0.0, 0.0, 0.0};
    for (int k = 0; k < 6; ++k) a[k] = A[k];
    for (int k = 0; k < words; ++k) q[k] = Q[k];
    if (rounded) {
      roundToSingle(a, 6);
      roundToSingle(q, words);
    }
    Real M[9];
    frameOfQuaternion(q, scalarFirst, plane, M);
    rotateSymmetric(M, a, Z);
  });
}

void QUATDEB(const Real* A, const Real* B, Real* Z, const Int* NDIM, const Int* IFLAG, const Int* MODE,
             const Int* IPRINT) {
  if (MODE[0] != 1 && MODE[0] != 2) return;
  const bool solid = *NDIM >= 3;
  const Int quaternionWords = solid ? 4 : 2;
  const bool scalarFirst = isTrueLowBit(*IFLAG);
  runPasses(MODE[1], [&](bool rounded) {
    Real record[7], further[4] = {0.0, 0.0, 0.0, 0.0};
    for (int k = 0; k < 7; ++k) record[k] = A[k];
    if (MODE[0] == 2)
      for (int k = 0; k < quaternionWords; ++k) further[k] = B[k];
    if (rounded) {
      roundToSingle(record, 7);
      roundToSingle(further, quaternionWords);
    }
    Real* q = record + 3;
    if (MODE[0] == 2) {
      // Negating the vector part of B and taking conj(that) q gives B q.
      const int first = scalarFirst ? 1 : 0;
      for (int k = first; k < first + quaternionWords - 1; ++k) further[k] = -further[k];
      QUATM(further, q, q, NDIM);
    }
    const Real S[9] = {record[0], 0.0, 0.0, 0.0, record[1], 0.0, 0.0, 0.0, record[2]};
    Real M[9];
    frameOfQuaternion(q, scalarFirst, !solid, M);
    congruence(M, S, Z);
    if (*IPRINT != 0) printTensor(Z, rounded);
  });
}

void CALPRINQUAT(Real* S, Real* P, const Int* KTYPE, const Int* KSPACE, Int* NDI, const Int* NSHR) {
  if (*NSHR == 1 && *KSPACE == 9 && *NDI == 1) {
    S[2] = S[1];
    S[1] = 0.0;
    *NDI = 2;
  }
  const Int kind = *KTYPE > 1000 ? *KTYPE / 1000 : *KTYPE;
  const bool strain = (kind >= 21 && kind <= 25) || (kind >= 88 && kind <= 91);
  const Int lstr = strain ? 2 : 1;
  Real AN[9], B[9];
  SHR_SPRIND(S, P, AN, &lstr, NDI, NSHR);
  const Int three = 3;
  ATRA(AN, B, &three, &three);  // column k of B: direction of value k
  if (*NDI > 1) ASORTD(P, B, KSPACE);
  Real normal[3];
  cross3(B, B + 3, normal);
  if (dot3(normal, B + 6) < 0.0)
    for (int k = 3; k < 6; ++k) B[k] = -B[k];
  const Int vectorFirst = kFalse;
  CALQUAT(P + 3, B, &vectorFirst);
  if (*KSPACE < 7 || *KSPACE > 9) {
    P[3] = P[5];
    P[4] = P[6];
    P[5] = P[6] = 0.0;
  }
}

}  // extern "C"
