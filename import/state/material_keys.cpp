// Material state of one point for the element-state readers: by the point's material family,
// which stored variables serve the material keys (3000, 4000, 2700, 4200, 4600, 6500).
//
// P is the material's position table (P(i) the 1-based position of stored variable i in the
// material block), F its flag table (F(i) = 1 switches variable i on). Every routine sets the
// status to 1 and to 0 when it serves the key.

#include <algorithm>

#include "zmx/import/state.h"

namespace {

// Columns of one family's table: the flag and position of the strain (4200, 4600), the position
// of the stress (4000, served with the strain flag on), the flag and position of the thermal
// strain (2700) and the position of the equivalent value (3000); 0 where the family has none.
struct Family {
  int strainFlag, strainPosition;
  int stress;
  int thermalFlag, thermalPosition;
  int scalar;
};

struct Call {
  const Int* P;
  const Int* F;
  const float* block;
  Int key;
  float* destination;
  Int* status;
  Int n, m, j0, k, s0;
  const float* total;  // 13-argument routines only
  float* result;
};

const float* variable(const Call& c, int position) { return c.block + (c.P[position - 1] - 1); }
bool on(const Call& c, int flag) { return c.F[flag - 1] == 1; }

void copyTensor(const Call& c, int position) {
  ACC_GDB_COPYR(&c.n, &c.m, &c.k, &c.j0, &c.s0, variable(c, position), c.destination);
  *c.status = 0;
}

void serve(const Call& c, const Family& f) {
  *c.status = 1;
  switch (c.key) {
    case 3000:
      if (f.scalar == 0) return;
      std::copy_n(variable(c, f.scalar), c.n, c.destination);
      *c.status = 0;
      return;
    case 4000:
      if (f.stress != 0 && f.strainFlag != 0 && on(c, f.strainFlag)) copyTensor(c, f.stress);
      return;
    case 2700:
      if (f.thermalFlag != 0 && on(c, f.thermalFlag)) copyTensor(c, f.thermalPosition);
      return;
    case 4200:
    case 4600: {
      if (f.strainFlag == 0 || c.result == nullptr) return;
      const long long words = (0LL + c.j0 + c.s0) * c.n;
      std::fill_n(c.result, words, 0.0F);
      const bool stored = on(c, f.strainFlag);
      if (stored) std::copy_n(variable(c, f.strainPosition), words, c.result);
      if (c.key == 4600) {
        for (long long w = 0; w < words; ++w) c.result[w] = c.total[w] - c.result[w];
        *c.status = 0;
      } else if (stored) {
        *c.status = 0;
      }
      return;
    }
    default:
      return;
  }
}

}  // namespace

#define ZMX_STRAIN_MATERIAL(NAME, ...)                                                                              \
  void NAME(const Int* P, const Int* F, const float* block, const Int* key, float* destination, Int* status,       \
            const Int* n, const Int* m, const Int* j0, const Int* k, const Int* s0, const float* total,            \
            float* result) {                                                                                        \
    serve(Call{P, F, block, *key, destination, status, *n, *m, *j0, *k, *s0, total, result}, Family{__VA_ARGS__}); \
  }

#define ZMX_ELASTIC_MATERIAL(NAME, FLAG, POSITION)                                                                 \
  void NAME(const Int* P, const Int* F, const float* block, const Int* key, float* destination, Int* status,       \
            const Int* n, const Int* m, const Int* j0, const Int* k, const Int* s0) {                              \
    serve(Call{P, F, block, *key, destination, status, *n, *m, *j0, *k, *s0, nullptr, nullptr},                     \
          Family{0, 0, 0, FLAG, POSITION, 0});                                                                     \
  }

extern "C" {

ZMX_STRAIN_MATERIAL(ACC_SDB_ELEMKEYPLASTIC, 34, 7, 2, 106, 5, 1)
ZMX_STRAIN_MATERIAL(ACC_SDB_ELEMKEYDUCTILEFAIL, 34, 7, 2, 58, 6, 1)
ZMX_STRAIN_MATERIAL(ACC_SDB_ELEMKEYEOSPLASTIC, 34, 7, 2, 0, 0, 1)
ZMX_STRAIN_MATERIAL(ACC_SDB_ELEMKEYPLASTICFOAM, 42, 7, 2, 82, 6, 1)
ZMX_STRAIN_MATERIAL(ACC_SDB_ELEMKEYGURSON, 122, 11, 2, 98, 10, 1)
ZMX_STRAIN_MATERIAL(ACC_SDB_ELEMKEYCRUSHFOAM, 50, 6, 2, 82, 5, 1)

// The cap model with F(42) = 1 keeps only the strain and the equivalent value.
void ACC_SDB_ELEMKEYCAP(const Int* P, const Int* F, const float* block, const Int* key, float* destination,
                        Int* status, const Int* n, const Int* m, const Int* j0, const Int* k, const Int* s0,
                        const float* total, float* result) {
  const bool capOn = F[41] == 1;
  serve(Call{P, F, block, *key, destination, status, *n, *m, *j0, *k, *s0, total, result},
        Family{42, 12, 0, capOn ? 0 : 90, capOn ? 0 : 11, 1});
}

ZMX_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYBRIT, 66, 13)
ZMX_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYORTHO, 74, 3)
ZMX_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYANISO, 170, 3)
ZMX_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYHYPERPOLY, 58, 3)
ZMX_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYHYPEROGDEN, 74, 3)
ZMX_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYHYPERFOAM, 74, 3)
ZMX_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYVISELASTIC, 18, 3)
ZMX_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYHYPERAB, 34, 3)
ZMX_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYHYPERVDW, 50, 3)

// User materials: no flag table; 6500 is the tensor of state variables at P(1), 3000 the value at P(2).
void ACC_SDB_ELEMKEYVUMAT(const Int* P, const float* block, const Int* key, float* destination, Int* status,
                          const Int* n, const Int* m, const Int* j0, const Int* k, const Int* s0) {
  const Call c{P, nullptr, block, *key, destination, status, *n, *m, *j0, *k, *s0, nullptr, nullptr};
  *status = 1;
  if (*key == 6500) copyTensor(c, 1);
  if (*key == 3000) {
    std::copy_n(variable(c, 2), c.n, destination);
    *status = 0;
  }
}

}  // extern "C"
