// Material state of one point for the element-state readers: by the point's material family,
// which stored variables serve the material keys (3000, 4000, 2700, 4200, 4600, 6500).
//
// P is the material's position table (P(i) the 1-based position of stored variable i in the
// material block), F its flag table (F(i) = 1 switches variable i on). Every routine sets the
// status to 1 and to 0 when it serves the key.

#include <algorithm>
#include <vector>

#include "import/state/element_context.h"
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

constexpr Family kPlastic{34, 7, 2, 106, 5, 1}, kDuctileFailure{34, 7, 2, 58, 6, 1}, kEosPlastic{34, 7, 2, 0, 0, 1},
    kPlasticFoam{42, 7, 2, 82, 6, 1}, kGurson{122, 11, 2, 98, 10, 1}, kCrushFoam{50, 6, 2, 82, 5, 1};
constexpr Family kBrittle{0, 0, 0, 66, 13, 0}, kOrthotropic{0, 0, 0, 74, 3, 0}, kAnisotropic{0, 0, 0, 170, 3, 0},
    kPolynomial{0, 0, 0, 58, 3, 0}, kOgden{0, 0, 0, 74, 3, 0}, kHyperfoam{0, 0, 0, 74, 3, 0},
    kViscoelastic{0, 0, 0, 18, 3, 0}, kArrudaBoyce{0, 0, 0, 34, 3, 0}, kVanDerWaals{0, 0, 0, 50, 3, 0};

// The cap model with F(42) = 1 keeps only the strain and the equivalent value.
Family capFamily(const Int* F) {
  const bool capOn = F[41] == 1;
  return Family{42, 12, 0, capOn ? 0 : 90, capOn ? 0 : 11, 1};
}

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

// The stored variable (its position-table entry) a family's routine reads for a key under the
// flag table F; 0 for none. Keys 4200 and 4600 read the strain only while it is kept.
int positionRead(const Family& f, Int key, const Int* F) {
  const auto on = [F](int flag) { return flag != 0 && F[flag - 1] == 1; };
  switch (key) {
    case 3000: return f.scalar;
    case 4000: return on(f.strainFlag) ? f.stress : 0;
    case 2700: return on(f.thermalFlag) ? f.thermalPosition : 0;
    case 4200: case 4600: return on(f.strainFlag) ? f.strainPosition : 0;
    default: return 0;
  }
}

void copyTensor(const Call& c, int position) {
  ACC_GDB_COPYR(&c.n, &c.m, &c.k, &c.j0, &c.s0, variable(c, position), c.destination);
  *c.status = 0;
}

void serve(const Call& c, const Family& f) {
  *c.status = 1;
  switch (c.key) {
    case 3000:
    case 4000:
    case 2700: {
      const int position = positionRead(f, c.key, c.F);
      if (position == 0) return;
      if (c.key != 3000) return copyTensor(c, position);
      std::copy_n(variable(c, position), c.n, c.destination);
      *c.status = 0;
      return;
    }
    case 4200:
    case 4600: {
      if (f.strainFlag == 0 || c.result == nullptr) return;
      const long long words = (0LL + c.j0 + c.s0) * c.n;
      std::fill_n(c.result, words, 0.0F);
      const int position = positionRead(f, c.key, c.F);
      const bool stored = position != 0;
      if (stored) std::copy_n(variable(c, position), words, c.result);
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

#define ZMX_STRAIN_MATERIAL(NAME, FAMILY)                                                                          \
  void NAME(const Int* P, const Int* F, const float* block, const Int* key, float* destination, Int* status,       \
            const Int* n, const Int* m, const Int* j0, const Int* k, const Int* s0, const float* total,            \
            float* result) {                                                                                        \
    serve(Call{P, F, block, *key, destination, status, *n, *m, *j0, *k, *s0, total, result}, FAMILY);             \
  }

#define ZMX_ELASTIC_MATERIAL(NAME, FAMILY)                                                                         \
  void NAME(const Int* P, const Int* F, const float* block, const Int* key, float* destination, Int* status,       \
            const Int* n, const Int* m, const Int* j0, const Int* k, const Int* s0) {                              \
    serve(Call{P, F, block, *key, destination, status, *n, *m, *j0, *k, *s0, nullptr, nullptr}, FAMILY);          \
  }

extern "C" {

ZMX_STRAIN_MATERIAL(ACC_SDB_ELEMKEYPLASTIC, kPlastic)
ZMX_STRAIN_MATERIAL(ACC_SDB_ELEMKEYDUCTILEFAIL, kDuctileFailure)
ZMX_STRAIN_MATERIAL(ACC_SDB_ELEMKEYEOSPLASTIC, kEosPlastic)
ZMX_STRAIN_MATERIAL(ACC_SDB_ELEMKEYPLASTICFOAM, kPlasticFoam)
ZMX_STRAIN_MATERIAL(ACC_SDB_ELEMKEYGURSON, kGurson)
ZMX_STRAIN_MATERIAL(ACC_SDB_ELEMKEYCRUSHFOAM, kCrushFoam)

void ACC_SDB_ELEMKEYCAP(const Int* P, const Int* F, const float* block, const Int* key, float* destination,
                        Int* status, const Int* n, const Int* m, const Int* j0, const Int* k, const Int* s0,
                        const float* total, float* result) {
  serve(Call{P, F, block, *key, destination, status, *n, *m, *j0, *k, *s0, total, result}, capFamily(F));
}

ZMX_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYBRIT, kBrittle)
ZMX_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYORTHO, kOrthotropic)
ZMX_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYANISO, kAnisotropic)
ZMX_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYHYPERPOLY, kPolynomial)
ZMX_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYHYPEROGDEN, kOgden)
ZMX_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYHYPERFOAM, kHyperfoam)
ZMX_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYVISELASTIC, kViscoelastic)
ZMX_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYHYPERAB, kArrudaBoyce)
ZMX_ELASTIC_MATERIAL(ACC_SDB_ELEMKEYHYPERVDW, kVanDerWaals)

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

namespace zmx::imp {

std::vector<int> materialPositions(Int code, Int key, const Int* F) {
  if (code == 601) return key == 6500 ? std::vector<int>{1} : key == 3000 ? std::vector<int>{2} : std::vector<int>{};
  Family f{};
  switch (code) {
    case 200: case 202: case 203: case 204: case 209: f = kPlastic; break;
    case 201: f = kDuctileFailure; break;
    case 303: case 304: case 305: case 306: f = kEosPlastic; break;
    case 205: f = kPlasticFoam; break;
    case 206: f = capFamily(F); break;
    case 207: f = kGurson; break;
    case 210: f = kCrushFoam; break;
    case 208: f = kBrittle; break;
    case 101: case 102: f = kOrthotropic; break;
    case 103: f = kAnisotropic; break;
    case 105: case 112: f = kPolynomial; break;
    case 107: case 114: f = kOgden; break;
    case 109: case 116: f = kHyperfoam; break;
    case 111: f = kViscoelastic; break;
    case 118: case 120: f = kArrudaBoyce; break;
    case 119: case 121: f = kVanDerWaals; break;
    default: return {};
  }
  const int position = positionRead(f, key, F);
  return position != 0 ? std::vector<int>{position} : std::vector<int>{};
}

}  // namespace zmx::imp
