// Invariants, deviator and principal values (closed form) of symmetric tensors stored as NDI
// direct components followed by NSHR shear components in the order 12, 13, 23.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "zmx/numerics.h"

namespace {

constexpr Real kThird = 0.3333333333333333;
constexpr Real kMachineEpsilon = 2.22e-16;
constexpr Real kNegligibleShear = 2.22e-12;
constexpr Real kTiny = 1.0e-36;
constexpr Real kClamp = 0.9999999999999998;
constexpr Real kTwoPiOverThree = 2.094395102393195;
constexpr Int kStress = 1;

std::size_t components(const Int* count) { return static_cast<std::size_t>(std::clamp<Int>(*count, 0, 3)); }

// Mean, deviator and the three shears (halved for an engineering strain) of a tensor; absent
// direct components count as 0 and absent shears are 0.
struct Deviatoric {
  Real mean = 0.0;
  std::array<Real, 3> d{};
  std::array<Real, 3> t{};  // 12, 13, 23
  Real largestShear = 0.0;  // before halving

  Deviatoric(const Real* s, std::size_t ndi, std::size_t nshr, bool halve) {
    Real trace = 0.0;
    for (std::size_t i = 0; i < ndi; ++i) trace += s[i];
    mean = trace / 3.0;
    for (std::size_t i = 0; i < 3; ++i)
      d[i] = ndi == 3 ? (3.0 * s[i] - trace) * kThird : (i < ndi ? s[i] - mean : -mean);
    for (std::size_t k = 0; k < nshr; ++k) {
      largestShear = std::max(largestShear, std::fabs(s[ndi + k]));
      t[k] = halve ? 0.5 * s[ndi + k] : s[ndi + k];
    }
  }
  Real largestDirect() const { return std::max({std::fabs(d[0]), std::fabs(d[1]), std::fabs(d[2])}); }
  Real largestHalvedShear() const { return std::max({std::fabs(t[0]), std::fabs(t[1]), std::fabs(t[2])}); }
};

// The closed-form coefficients c(k) of the principal values m + R c(k) from x = cos(3 phi): in
// the general case (largest, smallest, middle), ascending at the two clamps.
std::array<Real, 3> principalCoefficients(Real x) {
  if (x >= kClamp) return {-0.5, -0.5, 1.0};
  if (x <= -kClamp) return {-1.0, 0.5, 0.5};
  const Real phi = std::acos(x) / 3.0;
  const Real c1 = std::cos(phi), c2 = std::cos(phi + kTwoPiOverThree);
  return {c1, c2, -c1 - c2};
}

// Half the determinant of the symmetric matrix (b1, b2, b3; b12, b13, b23).
Real halfDeterminant(const std::array<Real, 3>& b, const std::array<Real, 3>& t) {
  return 0.5 * (b[0] * b[1] * b[2] - b[0] * t[2] * t[2] - b[1] * t[1] * t[1] - b[2] * t[0] * t[0]) +
         t[0] * t[1] * t[2];
}

Real secondInvariantThird(const std::array<Real, 3>& d, const std::array<Real, 3>& t) {
  return ((d[0] * d[0] + d[1] * d[1] + d[2] * d[2]) * 0.5 + t[0] * t[0] + t[1] * t[1] + t[2] * t[2]) * kThird;
}

void copyDirect(const Real* s, Real* ps, std::size_t ndi) { std::copy(s, s + ndi, ps); }

// Both invariants, and the deviator when sdev is given.
void invariants(const Real* s, Real* sdev, Real* sinv1, Real* sinv2, std::size_t ndi, std::size_t nshr) {
  *sinv1 = *sinv2 = 0.0;
  Real largest = 0.0;
  for (std::size_t i = 0; i < ndi + nshr; ++i) largest = std::max(largest, std::fabs(s[i]));
  const Real tolerance = largest * kMachineEpsilon * 1000.0;
  Real square = 0.0;
  if (ndi == 3) {
    // Shifting by S(1) makes a hydrostatic deviator exactly zero.
    const Real d[3] = {0.0, s[1] - s[0], s[2] - s[0]};
    const Real m = (d[0] + d[1] + d[2]) * kThird;
    for (std::size_t i = 0; i < 3; ++i) {
      square += (d[i] - m) * (d[i] - m);
      if (sdev != nullptr) sdev[i] = d[i] - m;
    }
    square *= 1.5;
    *sinv1 = s[0] + m;
  } else if (ndi == 2) {
    *sinv1 = (s[0] + s[1]) * kThird;
    square = s[0] * s[0] + s[1] * s[1] - s[0] * s[1];
    if (sdev != nullptr) {
      sdev[0] = s[0] - *sinv1;
      sdev[1] = s[1] - *sinv1;
    }
  } else if (ndi == 1) {
    *sinv1 = s[0] * kThird;
    square = s[0] * s[0];
    if (sdev != nullptr) sdev[0] = s[0] * 0.6666666666666666;
  }
  for (std::size_t k = ndi; k < ndi + nshr; ++k) {
    square += 3.0 * s[k] * s[k];
    if (sdev != nullptr) sdev[k] = s[k];
  }
  *sinv2 = std::sqrt(std::max(square, 0.0));
  if (*sinv2 < tolerance) *sinv2 = 0.0;
  if (std::fabs(*sinv1) < tolerance) *sinv1 = 0.0;
}

// The mean and the half difference of the in-plane direct components of a tensor with one shear.
struct InPlane {
  Real mean = 0.0, a = 0.0, b = 0.0;
  InPlane(const Real* s, std::size_t ndi) {
    if (ndi >= 2)
      mean = (s[0] + s[1]) / 2.0;
    else if (ndi == 1)
      mean = s[0] / 2.0;
    a = (ndi >= 1 ? s[0] : 0.0) - mean;
    b = (ndi >= 2 ? s[1] : 0.0) - mean;
  }
};

void principalValuesOneShear(const Real* s, Real* ps, std::size_t ndi, bool halve) {
  const InPlane p(s, ndi);
  const Real shear = s[ndi];
  const Real tau = halve ? 0.5 * shear : shear;
  if (!(std::fabs(shear) >= kNegligibleShear * std::max(std::fabs(p.a), std::fabs(p.b)))) {
    copyDirect(s, ps, ndi);
    return;
  }
  if (ndi == 0) {
    ps[0] = -tau;
    ps[1] = tau;
    return;
  }
  const Real r = std::sqrt(p.a * p.a + tau * tau);
  ps[0] = p.mean - r;
  ps[1] = p.mean + r;
  if (ndi == 3) ps[2] = s[2];
}

// 3 x 3 symmetric matrix of the (scaled) deviator, row-major.
using Matrix3 = std::array<std::array<Real, 3>, 3>;

std::array<Real, 3> cross(const std::array<Real, 3>& a, const std::array<Real, 3>& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

Real squaredNorm(const std::array<Real, 3>& a) { return a[0] * a[0] + a[1] * a[1] + a[2] * a[2]; }

std::array<Real, 3> normalised(std::array<Real, 3> a) {
  const Real length = std::sqrt(squaredNorm(a));
  if (length > 0.0)
    for (Real& x : a) x /= length;
  return a;
}

// The eigenvector of a simple eigenvalue lambda: the longest cross product of two rows of the
// shifted matrix (the first computed wins ties), the fallback when all vanish. row receives the
// longer of the two rows that formed it, (0, 1, 0) when none did.
struct NullDirection {
  std::array<Real, 3> direction;
  std::array<Real, 3> row{0.0, 1.0, 0.0};
};

NullDirection nullDirection(const Matrix3& a, Real lambda, const std::array<Real, 3>& fallback) {
  Matrix3 shifted = a;
  for (std::size_t i = 0; i < 3; ++i) shifted[i][i] -= lambda;
  constexpr std::size_t kPairs[3][2] = {{0, 1}, {1, 2}, {0, 2}};
  NullDirection best{fallback};
  Real bestNorm = 0.0;
  bool any = false;
  for (const auto& pair : kPairs) {
    const auto& r1 = shifted[pair[0]];
    const auto& r2 = shifted[pair[1]];
    const auto c = cross(r1, r2);
    const Real norm = squaredNorm(c);
    if (norm == 0.0 || (any && !(norm > bestNorm))) continue;
    any = true;
    bestNorm = norm;
    best.direction = c;
    best.row = squaredNorm(r1) >= squaredNorm(r2) ? r1 : r2;
  }
  best.direction = normalised(best.direction);
  best.row = normalised(best.row);
  return best;
}

void setIdentityRows(Real* an) {
  std::fill(an, an + 9, 0.0);
  an[0] = an[4] = an[8] = 1.0;
}

// Row k (0-based) of AN(3, 3), column-major.
void setRow(Real* an, std::size_t k, const std::array<Real, 3>& v) {
  for (std::size_t j = 0; j < 3; ++j) an[3 * j + k] = v[j];
}

std::array<Real, 3> row(const Real* an, std::size_t k) { return {an[k], an[3 + k], an[6 + k]}; }

void principalDirectionsOneShear(const Real* s, Real* ps, Real* an, std::size_t ndi, bool halve) {
  const InPlane p(s, ndi);
  const Real a = ndi >= 2 ? (s[0] - s[1]) / 2.0 : (ndi == 1 ? s[0] / 2.0 : 0.0);
  const Real tau = halve ? 0.5 * s[ndi] : s[ndi];
  const Real g = std::max(std::fabs(a), std::fabs(tau));
  if (std::fabs(tau) < kNegligibleShear * std::fabs(a) || g <= std::fabs(kNegligibleShear * p.mean)) {
    copyDirect(s, ps, std::min<std::size_t>(ndi, 2));
    an[0] = an[4] = 1.0;
  } else if (g < kTiny) {
    an[0] = an[4] = 1.0;
  } else {
    const Real ua = a / g, ut = tau / g;
    const Real root = std::sqrt(ua * ua + ut * ut);
    ps[0] = p.mean - g * root;
    ps[1] = p.mean + g * root;
    const std::array<Real, 3> first = std::fabs(root + ua) < std::fabs(root - ua)
                                          ? normalised({root - ua, -ut, 0.0})
                                          : normalised({ut, -(root + ua), 0.0});
    setRow(an, 0, first);
    setRow(an, 1, {-first[1], first[0], 0.0});
  }
  if (ndi == 3) ps[2] = s[2];
  an[8] = 1.0;
}

void principalDirectionsGeneral(const Real* s, Real* ps, Real* an, std::size_t ndi, std::size_t nshr, bool halve) {
  const Deviatoric dev(s, ndi, nshr, halve);
  Real g = std::max(dev.largestDirect(), dev.largestHalvedShear());
  const bool proceed = dev.largestHalvedShear() >= kNegligibleShear * dev.largestDirect() &&
                       g > std::fabs(kNegligibleShear * dev.mean);
  setIdentityRows(an);
  if (!proceed) {
    copyDirect(s, ps, ndi);
    return;
  }
  if (g < kTiny) return;
  std::array<Real, 3> d = dev.d, t = dev.t;
  for (Real& x : d) x /= g;
  for (Real& x : t) x /= g;
  const Real q = secondInvariantThird(d, t);
  const auto c = principalCoefficients(halfDeterminant(d, t) / std::pow(q, 1.5));
  std::array<Real, 3> lambda;
  for (std::size_t k = 0; k < 3; ++k) {
    lambda[k] = 2.0 * std::sqrt(q) * c[k];
    ps[k] = dev.mean + g * lambda[k];
  }
  const Matrix3 a = {{{d[0], t[0], t[1]}, {t[0], d[1], t[2]}, {t[1], t[2], d[2]}}};
  // The simple value (or, with three distinct values, the smallest) first.
  const std::size_t k0 = lambda[0] == lambda[1] ? 2 : (lambda[1] == lambda[2] ? 0 : 1);
  const NullDirection simple = nullDirection(a, lambda[k0], {1.0, 0.0, 0.0});
  setRow(an, k0, simple.direction);
  std::size_t second;
  std::array<Real, 3> secondDirection;
  if (k0 != 1 || lambda[0] == lambda[2]) {
    second = k0 != 1 ? 2 - k0 : 0;
    secondDirection = simple.row;
  } else {
    second = 0;
    secondDirection = nullDirection(a, lambda[0], {0.0, 1.0, 0.0}).direction;
  }
  setRow(an, second, secondDirection);
  setRow(an, 3 - k0 - second, normalised(cross(row(an, k0), row(an, second))));
}

}  // namespace

extern "C" {

void SHR_SINV(const Real* s, Real* sinv1, Real* sinv2, const Int* ndi, const Int* nshr) {
  invariants(s, nullptr, sinv1, sinv2, components(ndi), components(nshr));
}

void SSINV(const Real* s, Real* sdev, Real* sinv1, Real* sinv2, const Int* ndi, const Int* nshr) {
  invariants(s, sdev, sinv1, sinv2, components(ndi), components(nshr));
}

void SHR_SPRINC(const Real* s, Real* ps, const Int* lstr, const Int* ndi, const Int* nshr) {
  const std::size_t nd = components(ndi), ns = components(nshr);
  const bool halve = *lstr != kStress;
  std::fill(ps, ps + 3, 0.0);
  if (ns == 0) {
    copyDirect(s, ps, nd);
    return;
  }
  if (ns == 1) {
    principalValuesOneShear(s, ps, nd, halve);
    return;
  }
  const Deviatoric dev(s, nd, ns, halve);
  if (dev.largestShear < kNegligibleShear * dev.largestDirect()) {
    copyDirect(s, ps, nd);
    return;
  }
  const Real q = secondInvariantThird(dev.d, dev.t);
  const Real r = 2.0 * std::sqrt(q);
  const Real scale = r <= kMachineEpsilon ? 0.0 : 2.0 / r;
  std::array<Real, 3> b = dev.d, t = dev.t;
  for (Real& x : b) x *= scale;
  for (Real& x : t) x *= scale;
  const auto c = principalCoefficients(halfDeterminant(b, t));
  for (std::size_t k = 0; k < 3; ++k) ps[k] = dev.mean + r * c[k];
}

void SHR_SPRIND(const Real* s, Real* ps, Real* an, const Int* lstr, const Int* ndi, const Int* nshr) {
  const std::size_t nd = components(ndi), ns = components(nshr);
  const bool halve = *lstr != kStress;
  std::fill(ps, ps + 3, 0.0);
  std::fill(an, an + 9, 0.0);
  if (ns == 0) {
    setIdentityRows(an);
    copyDirect(s, ps, nd);
  } else if (ns == 1) {
    principalDirectionsOneShear(s, ps, an, nd, halve);
  } else {
    principalDirectionsGeneral(s, ps, an, nd, ns, halve);
  }
}

}  // extern "C"
