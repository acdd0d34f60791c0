// Elastic stiffness of a material point for any set of direct and shear components, the short-fibre
// lamina rotated to the element axes, and the scalar measures the solvers ask per material point:
// equivalent plastic strain, mean stress with the Mises or Hill equivalent stress, and the three
// flags of an element family.
//
// The stiffness goes out packed: the upper triangle column by column, entry (i, j), i <= j, at
// position j(j-1)/2 + i. Shear columns after the direct block carry only their modulus, except for
// the fully anisotropic form, whose shear columns keep their coupling terms.

#include <algorithm>
#include <cmath>

#include "model/support/model_report.h"
#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/records.h"
#include "zmx/model/materials.h"
#include "zmx/numerics.h"

namespace {

constexpr int kMaxShear = 3;
constexpr int kHillFailedWord = 8;  // CONTRO: cleared when Hill's function is not definable

// Position (from 0) of entry (i, j), 1-based with i <= j, in the packed triangle.
constexpr int packed(int i, int j) { return j * (j - 1) / 2 + i - 1; }

int directCount(const Int* ndi) { return std::clamp(*ndi, 0, 3); }
int shearCount(const Int* nshr) { return std::clamp(*nshr, 0, kMaxShear); }

// Shear columns after the direct block: zeros above the diagonal, the modulus on it.
template <class Modulus>
void writeShearColumns(Real* d, int ndi, int nshr, Modulus modulus) {
  for (int k = 1; k <= nshr; ++k) {
    const int column = ndi + k;
    for (int row = 1; row < column; ++row) d[packed(row, column)] = 0.0;
    d[packed(column, column)] = modulus(k);
  }
}

// The fibre-angle rotation of a lamina: cosine and sine of element variable 247 (degrees).
struct FibreAngle {
  Real c = 0.0;
  Real s = 0.0;
};

constexpr Int kLaminaProperties = 245;  // E1, E2, nu12, G12, alpha1, alpha2
constexpr Int kLaminaExpansion = 246;   // alpha1, alpha2
constexpr Int kFibreAngle = 247;        // degrees

const Real* elementReals(const Int* handle, Int variable, std::size_t count) {
  const Int word = GETVARDR(handle, &variable);
  return mem32::at<Real>(word, count);
}

bool fibreAngle(const Int* handle, FibreAngle& angle) {
  const Real* theta = elementReals(handle, kFibreAngle, 1);
  if (theta == nullptr) return false;
  const Real radians = *theta * 3.14159265358979 / 180.0;
  angle.c = std::cos(radians);
  angle.s = std::sin(radians);
  return true;
}

bool laminaTensorCountFits(const Int* ntens) {
  if (*ntens == 3) return true;
  zmx::model::report(zmx::model::kSystemError,
                     "Number of tensor must be equal to 3 for short fiber reinforced composites");
  return false;
}

// Plane-stress lamina block: D11, D12, D22, D13, D23, D33 packed.
void laminaStiffness(Real e1, Real e2, Real nu12, Real g12, Real* d) {
  const Real r = 1.0 - nu12 * nu12 * e2 / e1;
  d[0] = e1 / r;
  d[1] = nu12 * e2 / r;
  d[2] = e2 / r;
  d[3] = 0.0;
  d[4] = 0.0;
  d[5] = g12;
}

// The symmetric 6 x 6 matrix of the anisotropic terms, upper triangle used, with static
// condensation of chosen components: eliminating component k updates every component not yet
// eliminated; a zero pivot leaves the matrix as it was.
class Condensed {
 public:
  explicit Condensed(const Real* props) {
    for (int j = 0, p = 0; j < 6; ++j)
      for (int i = 0; i <= j; ++i) f_[i][j] = props[p++];
  }
  Real at(int i, int j) const { return i <= j ? f_[i][j] : f_[j][i]; }  // 0-based
  void eliminate(int k) {
    const int kk = k - 1;
    if (kk < 0 || kk >= 6) return;
    const Real pivot = f_[kk][kk];
    active_ &= ~(1u << kk);
    if (pivot == 0.0) return;
    Real column[6];
    for (int i = 0; i < 6; ++i) column[i] = at(i, kk);
    const Real inverse = 1.0 / pivot;
    for (int j = 0; j < 6; ++j) {
      if (!(active_ >> j & 1u)) continue;
      const Real factor = column[j] * inverse;
      for (int i = 0; i <= j; ++i)
        if (active_ >> i & 1u) f_[i][j] -= column[i] * factor;
    }
  }

 private:
  Real f_[6][6];
  unsigned active_ = 0x3f;  // components not yet eliminated
};

}  // namespace

extern "C" {

void MATEK1(const Real* props, Real* ddsdde, const Int* ndi, const Int* nshr) {
  const Real e = props[0], nu = props[1];
  const int nd = directCount(ndi);
  if (nd == 1) {
    ddsdde[0] = e;
  } else if (nd == 2) {
    const Real a = e / (1.0 - nu * nu);
    ddsdde[0] = a;
    ddsdde[1] = a * nu;
    ddsdde[2] = a;
  } else if (nd == 3) {
    const Real b = e / ((1.0 + nu) * (1.0 - 2.0 * nu));
    const Real diagonal = b * (1.0 - nu), off = b * nu;
    ddsdde[0] = diagonal;
    ddsdde[1] = off;
    ddsdde[2] = diagonal;
    ddsdde[3] = off;
    ddsdde[4] = off;
    ddsdde[5] = diagonal;
  }
  const Real g = e / (2.0 * (1.0 + nu));
  writeShearColumns(ddsdde, nd, shearCount(nshr), [g](int) { return g; });
}

void MATEK2(const Real* props, Real* ddsdde, const Int* ndi, const Int* nshr) {
  const int nd = directCount(ndi);
  const Real d11 = props[0], d12 = props[1], d22 = props[2], d13 = props[3], d23 = props[4], d33 = props[5];
  if (nd == 3) {
    std::copy_n(props, 6, ddsdde);
  } else if (nd == 2) {
    ddsdde[0] = d11;
    ddsdde[1] = d12;
    ddsdde[2] = d22;
    if (d33 != 0.0) {
      ddsdde[0] = d11 - d13 * d13 / d33;
      ddsdde[1] = d12 - d13 * d23 / d33;
      ddsdde[2] = d22 - d23 * d23 / d33;
    }
  } else if (nd == 1) {
    Real d = d11;
    if (d33 != 0.0) {
      d = d11 - d13 * d13 / d33;
      const Real delta = d22 * d33 - d23 * d23;
      if (delta != 0.0) {
        const Real coupling = d12 * d33 - d13 * d23;
        d -= coupling * coupling / (d33 * delta);
      }
    }
    ddsdde[0] = d;
  }
  writeShearColumns(ddsdde, nd, shearCount(nshr), [props](int k) { return props[5 + k]; });
}

void MATEK3(const Real* props, Real* ddsdde, const Int* ndi, const Int* nshr) {
  const int nd = directCount(ndi), ns = shearCount(nshr);
  Condensed f(props);
  if (nd == 1 || nd == 2) {
    // Condense the components the output leaves out, last shear first, so that the kept block
    // ends as the inverse of the kept block of the compliance.
    if (ns < 3) f.eliminate(6);
    if (ns < 2) f.eliminate(5);
    f.eliminate(3);
    if (nd == 1) f.eliminate(2);
    if (ns == 0) f.eliminate(4);
  }
  const auto full = [nd](int p) { return p <= nd ? p : p - nd + 3; };
  const int ntens = nd + ns;
  for (int c = 1; c <= ntens; ++c)
    for (int r = 1; r <= c; ++r) ddsdde[packed(r, c)] = f.at(full(r) - 1, full(c) - 1);
}

void MATEK4(const Real* props, Real* ddsdde, const Int* ndi, const Int* nshr) {
  const Real e1 = props[0], e2 = props[1], e3 = props[2];
  const Real nu12 = props[3], nu13 = props[4], nu23 = props[5];
  const int nd = directCount(ndi);
  if (nd == 1) {
    ddsdde[0] = e1;
  } else if (nd == 2) {
    const Real q = e1 - nu12 * nu12 * e2;
    ddsdde[0] = e1 * e1 / q;
    ddsdde[1] = nu12 * e1 * e2 / q;
    ddsdde[2] = e1 * e2 / q;
  } else if (nd == 3) {
    const Real upsilon = 1.0 / (e1 * e2 - nu12 * nu12 * e2 * e2 - nu23 * nu23 * e1 * e3 - nu13 * nu13 * e2 * e3 -
                                2.0 * nu12 * nu13 * nu23 * e2 * e3);
    ddsdde[0] = e1 * e1 * (e2 - nu23 * nu23 * e3) * upsilon;
    ddsdde[1] = e1 * e2 * (nu12 * e2 + nu13 * nu23 * e3) * upsilon;
    ddsdde[2] = e2 * e2 * (e1 - nu13 * nu13 * e3) * upsilon;
    ddsdde[3] = e1 * e2 * e3 * (nu13 + nu12 * nu23) * upsilon;
    ddsdde[4] = e2 * e3 * (nu23 * e1 + nu12 * nu13 * e2) * upsilon;
    ddsdde[5] = e2 * e3 * (e1 - nu12 * nu12 * e2) * upsilon;
  }
  writeShearColumns(ddsdde, nd, shearCount(nshr), [props](int k) { return props[5 + k]; });
}

void MATEKL(const Real* props, Real* ddsdde, const Int* ndi) {
  if (*ndi == 1) ddsdde[0] = props[0];
  if (*ndi == 2) laminaStiffness(props[0], props[1], props[2], props[3], ddsdde);
}

void SHR_MATEKSHTFB(Real* expan, Real* ddsdde, const Int* ntens, Real* csang, const Int* lexpan, const Int* handle) {
  if (!laminaTensorCountFits(ntens)) return;
  FibreAngle angle;
  if (!fibreAngle(handle, angle)) return;
  const Real* lamina = elementReals(handle, kLaminaProperties, 6);
  if (lamina == nullptr) return;
  const Real c = angle.c, s = angle.s;
  // Engineering-strain transformation to the fibre axes, column-major.
  const Real t[9] = {c * c, s * s, -2.0 * c * s, s * s, c * c, 2.0 * c * s, c * s, -c * s, c * c - s * s};
  Real packedLamina[6], d[9], tt[9], dt[9], rotated[9];
  laminaStiffness(lamina[0], lamina[1], lamina[2], lamina[3], packedLamina);
  const Int three = 3;
  ATTOSC(packedLamina, d, &three);
  ATRA(t, tt, &three, &three);
  APRD(d, t, dt, &three, &three, &three);
  APRD(tt, dt, rotated, &three, &three, &three);
  for (int j = 1; j <= 3; ++j)
    for (int i = 1; i <= j; ++i) ddsdde[packed(i, j)] = rotated[(i - 1) + 3 * (j - 1)];
  if (*lexpan == 0) return;
  const Real a1 = lamina[4], a2 = lamina[5];
  csang[0] = c;
  csang[1] = s;
  expan[0] = a1 * c * c + a2 * s * s;
  expan[1] = (a1 - a2) * c * s;
  expan[2] = a1 * s * s + a2 * c * c;
}

void SHR_MATEXQSHTFB(Real* expan, const Int* ntens, const Int* handle) {
  if (!laminaTensorCountFits(ntens)) return;
  const Real* alpha = elementReals(handle, kLaminaExpansion, 2);
  if (alpha == nullptr) return;
  FibreAngle angle;
  if (!fibreAngle(handle, angle)) return;
  const Real c = angle.c, s = angle.s, a1 = alpha[0], a2 = alpha[1];
  expan[0] = a1 * c * c + a2 * s * s;
  expan[1] = a1 * s * s + a2 * c * c;
  expan[2] = 2.0 * c * s * (a1 - a2);
}

void EQUIVP(const Real* ep, const Int* ndi, const Int* nshr, Real* eqplas) {
  const Int nd = *ndi;
  Real sum = 0.0;
  if (nd == 1) {
    sum = ep[0] * ep[0];
  } else if (nd == 2) {
    sum = (4.0 / 3.0) * (ep[0] * ep[0] + ep[1] * ep[1] + ep[0] * ep[1]);
  } else if (nd != 0) {
    sum = (2.0 / 3.0) * (ep[0] * ep[0] + ep[1] * ep[1] + ep[2] * ep[2]);
  }
  const int first = std::max<Int>(nd, 0);
  for (Int k = 0; k < *nshr; ++k) sum += ep[first + k] * ep[first + k] / 3.0;
  *eqplas = std::sqrt(sum);
}

void SBAR1(const Real* s, const Real* hill, Real* sinv1, Real* sbar, const Int* ndi, const Int* nshr, const Int* npt,
           const Int* ihill, const Int* noel) {
  if (*ihill == 0) {
    SHR_SINV(s, sinv1, sbar, ndi, nshr);
    return;
  }
  SBARH(hill, s, sinv1, sbar, noel, ndi, nshr, npt);
}

void SBARH(const Real* hill, const Real* s, Real* sinv1, Real* sbar, const Int* noel, const Int* ndi,
           const Int* nshr, const Int* npt) {
  *sinv1 = 0.0;
  Real sum = 0.0;
  const int nd = directCount(ndi);
  if (nd != 0) {
    Real sigma[3] = {0.0, 0.0, 0.0};
    std::copy_n(s, nd, sigma);
    *sinv1 = (sigma[0] + sigma[1] + sigma[2]) / 3.0;
    const Real d12 = sigma[0] - sigma[1], d31 = sigma[2] - sigma[0], d23 = sigma[1] - sigma[2];
    sum = hill[2] * d12 * d12 + hill[1] * d31 * d31 + hill[0] * d23 * d23;
  }
  for (int k = 1; k <= shearCount(nshr); ++k) sum += 2.0 * hill[2 + k] * s[nd + k - 1] * s[nd + k - 1];
  if (sum >= 0.0) {
    *sbar = std::sqrt(sum);
    return;
  }
  *sbar = sum;
  zmx::model::report(zmx::model::kSystemError, "HILL'S FUNCTION IS NOT DEFINABLE AT ELEMENT %I INTEGRATION POINT %I.",
                     *noel, *npt);
  rec::i(CONTRO, kHillFailedWord) = 0;
}

void DETMDLC(const Int* typeRecord, Int* iflag1, Int* iflag2, Int* iflag3) {
  constexpr int kFamilyWord = 4, kAttributeWord = 10;
  const Int f = typeRecord[kFamilyWord - 1];
  *iflag1 = 1;
  *iflag2 = 1;
  *iflag3 = 0;
  if (f >= 1 && f <= 98) {
    *iflag3 = typeRecord[kAttributeWord - 1] != 0 ? 1 : 0;
  } else if ((f >= 100 && f <= 198) || (f >= 200 && f <= 298)) {
    *iflag3 = 1;
  } else if (f == 410 || f == 412) {
    *iflag1 = 0;
    *iflag2 = 0;
  } else if (f == 402 || f == 403 || f == 407 || f == 413 || (f >= 417 && f <= 421)) {
    *iflag3 = 1;
  }
}

}  // extern "C"
