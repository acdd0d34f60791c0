// Perturbation of nodal arrays by a design parameter's derivatives, and the node update that
// moves the first nodal array into the second after a perturbation.
#include <algorithm>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "sensitivity/drivers/slide_line_records.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/model_parts.h"
#include "siblings/eqc/records.h"
#include "zmx/numerics.h"
#include "zmx/sensitivity.h"

CDSAFLAGS_t CDSAFLAGS{};

namespace {

constexpr Int kNodalDerivatives = 29;
constexpr Int kWeightsPerSet = 10;

// Interior-node weights, ten per set.
constexpr Real kInteriorWeights[2][kWeightsPerSet] = {
    {-1.0 / 15, -1.0 / 15, -1.0 / 15, 0.4, 0.4, 0.4, 0, 0, 0, 0},
    {0.006803281, 0.006803281, 0.006803281, 0.006803281, 0.162131146, 0.162131146, 0.162131146, 0.162131146,
     0.162131146, 0.162131146}};

// w(., j) += dv x column k of nodal variable 29 of node j, over len values.
void addNodeDerivative(Real* w, Int ld, Int j, const Int* nodes, const Int* pkg, Int k, Int len, Real dv) {
  const Int address = ADB_GETVARNDR(pkg, &nodes[j - 1], &kNodalDerivatives);
  const Real* g = address ? mem32::at<Real>(address, static_cast<std::size_t>(len) * static_cast<std::size_t>(k), dm2::kDataTag)
                          : nullptr;
  if (g == nullptr) return zmx::dsa::systemError("DSADBNDPERT");
  Real* column = w + static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(ld);
  const Real* source = g + static_cast<std::size_t>(k - 1) * static_cast<std::size_t>(len);
  for (Int i = 0; i < len; ++i) column[i] += dv * source[i];
}

// For each node, its nodal array at offset `into` += dv x column p of the matrix at `from`.
void perturbNodes(Real* x, Int na, Int into, Int from, Int p, Real dv) {
  const Int values = rec::i(CGN, 4), ld = rec::i(CGM, 4), column = rec::i(CGM, 37);
  for (Int j = 1; j <= na; ++j) {
    const std::size_t o = static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(column);
    Real* target = x + o + (into - 1);
    const Real* derivative = x + o + (from - 1) + static_cast<std::size_t>(p - 1) * static_cast<std::size_t>(ld);
    for (Int i = 0; i < values; ++i) target[i] += dv * derivative[i];
  }
}

}  // namespace

extern "C" {

void DSAANDRPERTDP(Real* y, const Real* X, const Int* k, const Real* dv, const Int* ld, const Int* n) {
  const Real* column = X + static_cast<std::size_t>(*k - 1) * static_cast<std::size_t>(*ld);
  for (Int i = 0; i < *n; ++i) y[i] += *dv * column[i];
}

void DSADBNDPERT(Real* x, const Real* dv, const Int* ctl, const Int* na, const Int* m, const Int* nb, const Int* eint,
                 Real* w, const Int* ld, const Int* nodes, const Int* pkg) {
  const Int p = ctl[7];
  static constexpr Int kNodalColumn = 11, kMode = 1;
  const Int k = DSA_INT(&kNodalColumn, &p);
  if (ctl[3] != 0) {
    if (k != 0) {
      const Int len = rec::i(CGN, 8);
      for (Int j = 1; j <= *m; ++j) addNodeDerivative(w, *ld, j, nodes, pkg, k, len, *dv);
      const Int kind = eint[3];
      if (kind == 12 || kind == 13 || kind == 14) {
        if (*m > kWeightsPerSet) {
          zmx::dsa::systemError("DSADBNDPERT");
        } else {
          const Real* weights = kInteriorWeights[kind == 13 ? 1 : 0];
          const std::size_t ldw = static_cast<std::size_t>(*ld);
          const Int interior = eint[35];
          for (Int i = 0; i < len; ++i) {
            w[static_cast<std::size_t>(*m) * ldw + i] = 0;
            Real sum = 0;
            for (Int j = 1; j <= *m; ++j) sum += weights[j - 1] * w[static_cast<std::size_t>(j - 1) * ldw + i];
            w[static_cast<std::size_t>(interior - 1) * ldw + i] += sum;
          }
        }
      }
      for (Int j = std::min(*na, *nb) + 1; j <= std::max(*na, *nb); ++j)
        addNodeDerivative(w, *ld, j, nodes, pkg, k, len, *dv);
    }
    if (DSA_INT(&kMode, &p) == 2) perturbNodes(x, *na, rec::i(CNS, 2), rec::i(CNS, 10), p, *dv);
  }
  if (rec::i(CDSAFLAGS, zmx::dsa_flags::kSecondNodalPerturbation) == 1)
    perturbNodes(x, *na, rec::i(CNS, 3), rec::i(CNS, 12), p, *dv);
}

void SHR_DSANMODIF(Real* x, const Int* flags, const Int* node) {
  const Int n = rec::i(CGN, 4);
  if (n <= 0) return;
  const Int a = rec::i(CNS, 2), b = rec::i(CNS, 3);
  const Int words = 2 * n;
  Int blockWord = ADB_GLOBALMEMOPENI(&words);
  Real* v = blockWord ? mem32::at<Real>(blockWord, static_cast<std::size_t>(n), dm2::kBlockTag) : nullptr;
  if (v == nullptr) return;
  Real* first = x + (a - 1);
  Real* second = x + (b - 1);
  AADD(first, second, v, &n);
  if (rec::i(CONTRO, 2) != 0 && rec::i(CONTRO, 24) == 0 && n >= 6) {
    static constexpr Int kRecord = 0, kUserNumber = 3;
    Int out = 0;
    const Int recordWord = ADB_NODEACCESS(&kRecord, node, &out);
    const Int* record = recordWord ? mem32::at<Int>(recordWord, 1, dm2::kDataTag) : nullptr;
    Int user = 0;
    ADB_NODEACCESS(&kUserNumber, node, &user);
    if (record != nullptr && user > 0 && record[0] % 64 > 55) SHR_ROTUP(v + 3, second + 3);
  }
  for (Int i = 0; i < n; ++i)
    if (flags[i] != 0) {
      second[i] = v[i];
      first[i] = 0;
    }
  ADB_MEMCLOSE(&blockWord);
}

}  // extern "C"
