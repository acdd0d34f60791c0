// Rotation of a constitutive matrix by direction cosines, and the rigid-body rotation axis of an
// element resolved from its three 3 x 3 blocks.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "numerics/kernels/numerics_report.h"
#include "siblings/eqc/eqc_arrays.h"
#include "zmx/numerics.h"

namespace {

using zmx::numerics::reportFixed;

constexpr std::size_t kMaxOrder = 6;
using Matrix6 = std::array<std::array<Real, kMaxOrder>, kMaxOrder>;
using Vector3 = std::array<Real, 3>;

// The index pairs (p, q) of the shear components 12, 13, 23 (0-based).
constexpr std::size_t kShearPair[3][2] = {{0, 1}, {0, 2}, {1, 2}};

// Stress transformation of order ndi + nshr built from T(i, j), the cosine between new axis i
// and old axis j (T column-major 3 x 3).
Matrix6 stressTransformation(const Real* t, std::size_t ndi, std::size_t nshr) {
  const auto T = [t](std::size_t i, std::size_t j) { return t[3 * j + i]; };
  Matrix6 ts{};
  for (std::size_t i = 0; i < ndi; ++i) {
    for (std::size_t j = 0; j < ndi; ++j) ts[i][j] = T(i, j) * T(i, j);
    for (std::size_t s = 0; s < nshr; ++s) {
      const auto [p, q] = kShearPair[s];
      ts[i][ndi + s] = 2.0 * T(i, p) * T(i, q);
    }
  }
  for (std::size_t r = 0; r < nshr; ++r) {
    const auto [pr, qr] = kShearPair[r];
    for (std::size_t j = 0; j < ndi; ++j) ts[ndi + r][j] = T(pr, j) * T(qr, j);
    for (std::size_t s = 0; s < nshr; ++s) {
      const auto [p, q] = kShearPair[s];
      ts[ndi + r][ndi + s] = T(pr, p) * T(qr, q) + T(pr, q) * T(qr, p);
    }
  }
  return ts;
}

// Reads or writes D in its storage: packed upper triangle by columns, or full columns.
struct ConstitutiveStorage {
  Real* d;
  bool packed;
  std::size_t ld;
  Real& at(std::size_t i, std::size_t j) const {  // 0-based, i <= j when packed
    return packed ? d[j * (j + 1) / 2 + i] : d[j * ld + i];
  }
};

// H(k, i) = A1(i, k) - A1(k, i) + A3(i, k) - A2(k, i), plus trace A2 - trace A3 on the diagonal.
std::array<Vector3, 3> rotationOperator(const Real* a) {
  const auto A = [a](std::size_t block, std::size_t i, std::size_t k) { return a[(3 * block + k) * 3 + i]; };
  const Real traceDifference = A(1, 0, 0) + A(1, 1, 1) + A(1, 2, 2) - A(2, 0, 0) - A(2, 1, 1) - A(2, 2, 2);
  std::array<Vector3, 3> h{};
  for (std::size_t k = 0; k < 3; ++k)
    for (std::size_t i = 0; i < 3; ++i)
      h[k][i] = A(0, i, k) - A(0, k, i) + A(2, i, k) - A(1, k, i) + (i == k ? traceDifference : 0.0);
  return h;
}

Real dot(const Vector3& a, const Vector3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

struct Axis {
  Vector3 u;
  bool completed = true;
};

// The axis from the eigenvectors of K = H^T H / max|H^T H| + I; false when the QL iteration fails.
bool axisFromEigenvectors(const std::array<Vector3, 3>& h, const Vector3& v, Axis& axis) {
  Real k[6];
  Real largest = 0.0;
  for (std::size_t j = 0, p = 0; j < 3; ++j)
    for (std::size_t i = 0; i <= j; ++i, ++p) {
      k[p] = h[0][i] * h[0][j] + h[1][i] * h[1][j] + h[2][i] * h[2][j];
      largest = std::max(largest, std::fabs(k[p]));
    }
  for (std::size_t j = 0, p = 0; j < 3; ++j)
    for (std::size_t i = 0; i <= j; ++i, ++p) k[p] = k[p] / largest + (i == j ? 1.0 : 0.0);
  Real d[3], e[3], z[9];
  const Int three = 3;
  Int ierr = 0;
  AHOUS(k, d, e, z, &three);
  AQR(d, e, z, &three, &ierr);
  if (ierr != 0) return false;
  Real lambda[3];
  for (std::size_t i = 0; i < 3; ++i) lambda[i] = d[i] - 1.0;
  std::size_t imax = 0, imin = 0;
  for (std::size_t i = 1; i < 3; ++i) {
    if (lambda[i] > lambda[imax]) imax = i;
    if (lambda[i] < lambda[imin]) imin = i;
  }
  axis.u = v;
  if (lambda[imax] - lambda[imin] <= 2.22e-16) return true;
  const std::size_t imid = 3 - imax - imin;
  const auto column = [&z](std::size_t c) { return Vector3{z[3 * c], z[3 * c + 1], z[3 * c + 2]}; };
  if (std::fabs(lambda[imid] - lambda[imin]) > 1.0e-5 * std::fabs(lambda[imax] - lambda[imin])) {
    const Vector3 zmin = column(imin);
    const Real along = dot(zmin, v);
    if (along == 0.0) {
      axis.completed = false;
      return true;
    }
    axis.u = zmin;
    if (along < 0.0)
      for (Real& x : axis.u) x = -x;
    return true;
  }
  const Vector3 zmin = column(imin), zmid = column(imid);
  Vector3 n;
  AXPRD(zmin.data(), zmid.data(), n.data());
  Int status = 0;
  ANORM(n.data(), &three, &status);
  const Real along = dot(n, v);
  for (std::size_t i = 0; i < 3; ++i) axis.u[i] = v[i] - along * n[i];
  return true;
}

// Solves H x = 0 with x(ic) = 1 by Cramer's rule on the row pairs whose minor is large enough,
// averaging the solutions of the pairs used.
Axis axisFromNullSpace(const std::array<Vector3, 3>& h, const Vector3& v, std::size_t ic) {
  const std::size_t c1 = ic == 0 ? 1 : 0, c2 = ic == 2 ? 1 : 2;
  const Real det = h[0][0] * (h[1][1] * h[2][2] - h[1][2] * h[2][1]) -
                   h[0][1] * (h[1][0] * h[2][2] - h[1][2] * h[2][0]) + h[0][2] * (h[1][0] * h[2][1] - h[1][1] * h[2][0]);
  const Real floor = std::max(std::fabs(det), 1.0e-36);
  constexpr std::size_t kRowPairs[3][2] = {{0, 1}, {1, 2}, {0, 2}};
  Vector3 sum{};
  int used = 0;
  for (const auto& pair : kRowPairs) {
    const auto& r1 = h[pair[0]];
    const auto& r2 = h[pair[1]];
    const Real minor = r1[c1] * r2[c2] - r1[c2] * r2[c1];
    if (!(std::fabs(minor) > floor)) continue;
    sum[c1] += (-r1[ic] * r2[c2] + r2[ic] * r1[c2]) / minor;
    sum[c2] += (-r2[ic] * r1[c1] + r1[ic] * r2[c1]) / minor;
    ++used;
  }
  if (used == 0) return {v, false};
  Axis axis{{}, true};
  axis.u[c1] = sum[c1] / used;
  axis.u[c2] = sum[c2] / used;
  axis.u[ic] = 1.0;
  return axis;
}

}  // namespace

extern "C" {

void ROTD(Real* d, const Real* t, const Int* ndi, const Int* nshr, const Int* kstore, const Int* ld) {
  if (*ndi < 0 || *ndi > 3 || *nshr < 0 || *nshr > 3) return;
  const auto nd = static_cast<std::size_t>(*ndi), ns = static_cast<std::size_t>(*nshr);
  const std::size_t n = nd + ns;
  const ConstitutiveStorage storage{d, *kstore == 0, static_cast<std::size_t>(std::max<Int>(*ld, 1))};
  Matrix6 full{};
  for (std::size_t j = 0; j < n; ++j)
    for (std::size_t i = 0; i < n; ++i) full[i][j] = storage.packed && i > j ? storage.at(j, i) : storage.at(i, j);
  const Matrix6 ts = stressTransformation(t, nd, ns);
  Matrix6 tsd{};  // Ts D
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t k = 0; k < n; ++k)
      for (std::size_t j = 0; j < n; ++j) tsd[i][j] += ts[i][k] * full[k][j];
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j) {
      if (storage.packed && i > j) continue;
      Real sum = 0.0;
      for (std::size_t k = 0; k < n; ++k) sum += tsd[i][k] * ts[j][k];
      storage.at(i, j) = sum;
    }
}

void SHR_ELORBB(const Real* a, Real* v, const Int* ndim, Int* istat) {
  if (*ndim != 3) {
    reportFixed(zmx::numerics::kSystemError, "SYSTEM ERROR IN SHR_ELORBB - THIS ROUTINE MAY NOT BE CALLED FOR 2-D MODEL.");
    *istat = 2;
    return;
  }
  *istat = 0;
  const Vector3 vin{v[0], v[1], v[2]};
  std::size_t ic = 0;
  for (std::size_t i = 1; i < 3; ++i)
    if (std::fabs(vin[i]) > std::fabs(vin[ic])) ic = i;
  const Real lengthSquared = dot(vin, vin);
  if (lengthSquared <= 1.0e-36) {
    *istat = 1;
    std::fill(v, v + 3, 0.0);
    return;
  }
  const auto h = rotationOperator(a);
  Real hmax = 0.0, residual = 0.0;
  for (std::size_t k = 0; k < 3; ++k) {
    for (std::size_t i = 0; i < 3; ++i) hmax = std::max(hmax, std::fabs(h[k][i]));
    residual = std::max(residual, std::fabs(dot(h[k], vin)));
  }
  Axis axis{vin, true};
  if (hmax > 1.0e-36 && !(residual < std::sqrt(lengthSquared) * hmax * 1.0e-5)) {
    if (!axisFromEigenvectors(h, vin, axis)) axis = axisFromNullSpace(h, vin, ic);
  }
  const Int three = 3;
  Int status = 0;
  ANORM(axis.u.data(), &three, &status);
  const Real along = status == 0 ? dot(axis.u, vin) : 0.0;
  for (std::size_t i = 0; i < 3; ++i) v[i] = along * axis.u[i];
  if (!axis.completed) {
    *istat = 2;
    reportFixed(zmx::numerics::kWarning,
                "DETERMINATION OF RIGID BODY ROTATION AXIS WAS NOT COMPLETED. REPORTED VALUES MAY BE INCORRECT");
  }
}

}  // extern "C"
