// Scalar invariants of a stress and strain measures of a squared-stretch tensor for element
// output. Tensors hold NDI direct and NSHR shear components, direct first.

#include <algorithm>
#include <cmath>
#include <utility>

#include "siblings/eqc/model_services.h"
#include "zmx/model/invariants.h"
#include "zmx/numerics.h"

namespace {

constexpr Int kStressForm = 1;

enum InvariantKind : Int { kMises = 1, kTresca = 2, kPressure = 3, kThirdInvariant = 4 };
enum StrainMode : Int { kStretch = 0, kNominalTensor = 1, kLogTensor = 2, kNominal = 3, kLog = 4 };

int componentsOf(const Int* ndi, const Int* nshr) {
  return std::clamp(*ndi, 0, 3) + std::clamp(*nshr, 0, 3);
}

// The principal values as strains: stretches (square roots), less 1 or their logarithms.
void toStrainMeasure(Real* prin, Int mode) {
  for (int k = 0; k < 3; ++k) {
    if (mode == kNominalTensor || mode == kNominal) prin[k] -= 1.0;
    if (mode == kLogTensor || mode == kLog) prin[k] = std::fabs(prin[k]) <= 1.0e-36 ? -1.0e+18 : std::log(prin[k]);
  }
}

// E from principal values and the directions in the rows of an: direct components, then the
// engineering shears 12 (and 13, 23 for three direct components).
void rebuildTensor(const Real* prin, const Real* an, Real* e, int ndi) {
  const auto a = [an](int k, int i) { return an[k + 3 * i]; };  // component i of direction k
  for (int i = 0; i < ndi; ++i)
    for (int k = 0; k < 3; ++k) e[i] += prin[k] * a(k, i) * a(k, i);
  const int pairs = ndi == 3 ? 3 : 1;
  constexpr int kFirst[3] = {0, 0, 1}, kSecond[3] = {1, 2, 2};
  for (int p = 0; p < pairs; ++p) {
    Real sum = 0.0;
    for (int k = 0; k < 3; ++k) sum += prin[k] * a(k, kFirst[p]) * a(k, kSecond[p]);
    e[ndi + p] = 2.0 * sum;
  }
}

// The rotation applied to the rebuilt tensor: ROT with its off-diagonal terms transposed (X8 0),
// or its in-plane block completed with a unit third row and column.
void rotationOf(const Real* rot, Int x8, Real* r) {
  if (x8 == 0) {
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) r[i + 3 * j] = rot[j + 3 * i];
    return;
  }
  std::fill(r, r + 9, 0.0);
  r[0] = rot[0];
  r[1] = rot[1];
  r[3] = rot[3];
  r[4] = rot[4];
  r[8] = 1.0;
}

}  // namespace

extern "C" {

void ELOTKE(const Int* kind, const Real* s, Real* out, const Int* ndi, const Int* nshr) {
  Real mean = 0.0, mises = 0.0;
  SHR_SINV(s, &mean, &mises, ndi, nshr);
  if (*kind == kMises) {
    *out = mises;
  } else if (*kind == kPressure) {
    *out = -mean;
  } else if (*kind == kThirdInvariant) {
    Real deviator[6];
    const int n = componentsOf(ndi, nshr), direct = std::clamp(*ndi, 0, 3);
    for (int k = 0; k < n; ++k) deviator[k] = k < direct ? s[k] - mean : s[k];
    Real product = 0.0;
    S3PROD(deviator, &product, ndi, nshr);
    const Real x = 4.5 * product;
    *out = std::copysign(std::cbrt(std::fabs(x)), x);
  } else {
    Real principal[3];
    SHR_SPRINC(s, principal, &kStressForm, ndi, nshr);
    ASORTA(principal);
    *out = principal[2] - principal[0];
  }
}

void ELOTDG2(const Real* t, Real* prin, Real* e, const Real* rot, const Int* ndi, const Int* nshr, const Int* rotate,
             const Int* x8, const Int* mode, Int* neg) {
  std::fill(prin, prin + 3, 0.0);
  std::fill(e, e + 6, 0.0);
  Real directions[9] = {};
  const Real fallback = *mode == kStretch ? 0.0 : 1.0;
  const int n = componentsOf(ndi, nshr);
  if (std::all_of(t, t + n, [](Real c) { return c == 0.0; })) return;
  const bool tensorOut = *mode == kNominalTensor || *mode == kLogTensor;
  if (tensorOut)
    SHR_SPRIND(t, prin, directions, &kStressForm, ndi, nshr);
  else
    SHR_SPRINC(t, prin, &kStressForm, ndi, nshr);
  if (std::any_of(prin, prin + 3, [](Real p) { return p < 0.0; })) {
    std::fill(prin, prin + 3, fallback);
    *neg = 1;
  } else {
    for (int k = 0; k < 3; ++k) prin[k] = std::sqrt(prin[k]);
  }
  toStrainMeasure(prin, *mode);
  if (tensorOut) {
    rebuildTensor(prin, directions, e, std::clamp(*ndi, 0, 3));
    if (*rotate != 0) {
      Real r[9], work[36];
      rotationOf(rot, *x8, r);
      BCU_ROTSIG(e, r, work, ndi, nshr);
    }
    return;
  }
  if (*mode != kStretch && *mode != kNominal && *mode != kLog) return;
  if (*ndi <= 2 && *nshr <= 1) {
    if (prin[0] > prin[1]) std::swap(prin[0], prin[1]);
  } else {
    ASORTA(prin);
  }
}

}  // extern "C"
