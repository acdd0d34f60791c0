// The modified second-order triangle and tetrahedron: their wrappers place the interior node (and
// the tetrahedron's face points) from the corner and midside nodes, with weights that give the
// centroid for straight sides, call the element check and, in the analysis kind 0, hand the
// interior node the same weighted nodal data.
#include <array>

#include "elements/geometry/element_records.h"
#include "elements/geometry/interior_nodes.h"
#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/element_memory.h"
#include "siblings/eqc/element_checks.h"
#include "siblings/eqc/records.h"
#include "zmx/storage/db_units.h"

namespace {

using zmx_elements::word;

constexpr Real kTriangleCorner = -0.06666666666666667;
constexpr Real kTriangleMidside = 0.4;
// Interior node of the triangle: corners 1-3, midsides 4-6.
constexpr std::array<Real, 6> kTriangleInterior{kTriangleCorner, kTriangleCorner, kTriangleCorner,
                                                kTriangleMidside, kTriangleMidside, kTriangleMidside};
// Interior node of the tetrahedron: corners 1-4, midsides 5-10.
constexpr std::array<Real, 10> kTetrahedronInterior{0.006803281, 0.006803281, 0.006803281, 0.006803281, 0.162131146,
                                                    0.162131146, 0.162131146, 0.162131146, 0.162131146, 0.162131146};
// Nodes of the tetrahedron's faces (corners, then midsides) for its face points 12 to 15.
constexpr int kTetrahedronFaces[4][6] = {{1, 3, 2, 7, 6, 5}, {1, 2, 4, 5, 9, 8}, {2, 3, 4, 6, 10, 9}, {3, 1, 4, 7, 8, 10}};

template <std::size_t N>
Real weighted(const std::array<Real, N>& w, auto&& valueOf) {
  Real sum = 0.0;
  for (std::size_t i = 0; i < N; ++i) sum += w[i] * valueOf(static_cast<int>(i) + 1);
  return sum;
}

}  // namespace

extern "C" {

void LC2DG6C(const Real* section, Real* a2, const Int* a3, Real* data, const Int* rec, const Int* element,
             const Int* nodeList, Int* status, const Real* X, const Int* ldim, const Int* a23, const Int* cgn7,
             const Int* a27, const Int* cgn15, Real* a24, Real* a25, const Int* a26) {
  Real local[16] = {};
  for (int n = 0; n < 6; ++n)
    for (int r = 0; r < 2; ++r) local[r + 2 * n] = X[r + *ldim * n];
  for (int r = 0; r < 2; ++r)
    local[r + 12] = weighted(kTriangleInterior, [&](int n) { return local[r + 2 * (n - 1)]; });
  const Int w68 = word(rec, zmx_elements::typeword::kExtraNode), w19 = word(rec, zmx_elements::typeword::kWord19);
  if (w68 != 0)
    for (int r = 0; r < 2; ++r) local[r + 14] = X[r + *ldim * 7];
  EQC_LC2DG6C(local, data, section + 6, element, &w19, &w68, status);
  if (zmx_elements::programKind() != 0) return;
  zmx_elements::interiorNodeData(zmx_elements::NodalData{a2, *a3, nodeList, a23, *cgn7, *a27, *cgn15, a24, a25, *a26 != 0},
                                 7, kTriangleInterior.data(), 6, false);
}

void LC3DG10C(Real* data, Real* a2, const Int* a3, const Int* element, const Int* nodeList, Int* status, const Real* X,
              const Int* ldim, const Int* a23, const Int* cgn7, const Int* a27, const Int* cgn15, Real* a24,
              Real* a25, const Int* a26) {
  Real local[45] = {};
  for (int n = 0; n < 10; ++n)
    for (int r = 0; r < 3; ++r) local[r + 3 * n] = X[r + *ldim * n];
  for (int r = 0; r < 3; ++r) {
    local[r + 30] = weighted(kTetrahedronInterior, [&](int n) { return local[r + 3 * (n - 1)]; });
    for (int f = 0; f < 4; ++f)
      local[r + 3 * (11 + f)] = weighted(kTriangleInterior, [&](int k) { return local[r + 3 * (kTetrahedronFaces[f][k - 1] - 1)]; });
  }
  Real measure = 0.0;
  EQC_LC3DG10C(local, data, &measure, element, status);
  zmx_elements::addStructural(2.0 * measure / 3.0);
  if (zmx_elements::programKind() != 0) return;
  zmx_elements::interiorNodeData(zmx_elements::NodalData{a2, *a3, nodeList, a23, *cgn7, *a27, *cgn15, a24, a25, *a26 != 0},
                                 11, kTetrahedronInterior.data(), 10, false);
}

}  // extern "C"
