#include "siblings/eqc/model_services.h"

#include <algorithm>

CSUP_t CSUP{};

namespace {

// Rows and columns (from 0) of the shear components 12, 13, 23.
constexpr int kShearRow[3] = {0, 0, 1};
constexpr int kShearColumn[3] = {1, 2, 2};

}  // namespace

extern "C" void BCU_ROTSIG(Real* e, const Real* r, Real* /*work*/, const Int* ndi, const Int* nshr) {
  const int direct = std::clamp(*ndi, 0, 3), shears = std::clamp(*nshr, 0, 3);
  Real t[3][3] = {};
  for (int i = 0; i < direct; ++i) t[i][i] = e[i];
  for (int k = 0; k < shears; ++k)
    t[kShearRow[k]][kShearColumn[k]] = t[kShearColumn[k]][kShearRow[k]] = 0.5 * e[direct + k];
  const auto rot = [r](int i, int j) { return r[i + 3 * j]; };
  Real rt[3][3] = {};  // R T
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) rt[i][j] += rot(i, k) * t[k][j];
  Real out[3][3] = {};  // R T R^T
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) out[i][j] += rt[i][k] * rot(j, k);
  for (int i = 0; i < direct; ++i) e[i] = out[i][i];
  for (int k = 0; k < shears; ++k) e[direct + k] = 2.0 * out[kShearRow[k]][kShearColumn[k]];
}
