#include <gtest/gtest.h>

#include <vector>

#include "zmx/import/state.h"

namespace {

using V = std::vector<float>;
using StrainRoutine = void(const Int*, const Int*, const float*, const Int*, float*, Int*, const Int*, const Int*,
                           const Int*, const Int*, const Int*, const float*, float*);
using ElasticRoutine = void(const Int*, const Int*, const float*, const Int*, float*, Int*, const Int*, const Int*,
                            const Int*, const Int*, const Int*);

// One material family as its routine's row gives it: the flag and position of the kept strain
// (4200, 4600), the position of the stress (4000, served with the strain flag on), the flag and
// position of the thermal strain (2700) and the position of the equivalent value (3000); 0 where
// the row has a dash.
struct Family {
  const char* name;
  StrainRoutine* strain;
  ElasticRoutine* elastic;
  int strainFlag, strainPosition, stress, thermalFlag, thermalPosition, scalar;
};

const Family kFamilies[] = {
    {"PLASTIC", ACC_SDB_ELEMKEYPLASTIC, nullptr, 34, 7, 2, 106, 5, 1},
    {"DUCTILEFAIL", ACC_SDB_ELEMKEYDUCTILEFAIL, nullptr, 34, 7, 2, 58, 6, 1},
    {"EOSPLASTIC", ACC_SDB_ELEMKEYEOSPLASTIC, nullptr, 34, 7, 2, 0, 0, 1},
    {"PLASTICFOAM", ACC_SDB_ELEMKEYPLASTICFOAM, nullptr, 42, 7, 2, 82, 6, 1},
    {"GURSON", ACC_SDB_ELEMKEYGURSON, nullptr, 122, 11, 2, 98, 10, 1},
    {"CRUSHFOAM", ACC_SDB_ELEMKEYCRUSHFOAM, nullptr, 50, 6, 2, 82, 5, 1},
    {"BRIT", nullptr, ACC_SDB_ELEMKEYBRIT, 0, 0, 0, 66, 13, 0},
    {"ORTHO", nullptr, ACC_SDB_ELEMKEYORTHO, 0, 0, 0, 74, 3, 0},
    {"ANISO", nullptr, ACC_SDB_ELEMKEYANISO, 0, 0, 0, 170, 3, 0},
    {"HYPERPOLY", nullptr, ACC_SDB_ELEMKEYHYPERPOLY, 0, 0, 0, 58, 3, 0},
    {"HYPEROGDEN", nullptr, ACC_SDB_ELEMKEYHYPEROGDEN, 0, 0, 0, 74, 3, 0},
    {"HYPERFOAM", nullptr, ACC_SDB_ELEMKEYHYPERFOAM, 0, 0, 0, 74, 3, 0},
    {"VISELASTIC", nullptr, ACC_SDB_ELEMKEYVISELASTIC, 0, 0, 0, 18, 3, 0},
    {"HYPERAB", nullptr, ACC_SDB_ELEMKEYHYPERAB, 0, 0, 0, 34, 3, 0},
    {"HYPERVDW", nullptr, ACC_SDB_ELEMKEYHYPERVDW, 0, 0, 0, 50, 3, 0},
};

// Variable i of the material block lies at P(i) = 10 (i - 1) + 1 and its word w holds 100 i + w, so
// every value read names the variable it came from.
float stored(int variable, int word) { return static_cast<float>(100 * variable + word); }

// Every family's routine on two points of 3 direct and 1 shear component, each key with the
// family's own flags on (every other flag off) and off (every other flag on): what is served, and
// from which variable, is the row's.
TEST(MaterialRoutines, EachFamilyServesTheKeysOfItsRowFromItsPositions) {
  const Int n = 2, m = 3, k = 1;
  std::vector<Int> P(20);
  for (int i = 1; i <= 20; ++i) P[static_cast<std::size_t>(i - 1)] = 10 * (i - 1) + 1;
  V block(200);
  for (int i = 1; i <= 20; ++i)
    for (int w = 0; w < 10; ++w) block[static_cast<std::size_t>(10 * (i - 1) + w)] = stored(i, w);
  const V total{1, 2, 3, 4, 5, 6, 7, 8};
  // Point-major copy of variable i: the three direct columns, then the shear column.
  const auto tensor = [](int i) {
    return V{stored(i, 0), stored(i, 2), stored(i, 4), stored(i, 6), stored(i, 1), stored(i, 3), stored(i, 5), stored(i, 7)};
  };
  for (const Family& f : kFamilies)
    for (const bool on : {true, false}) {
      std::vector<Int> F(200, on ? 0 : 1);
      for (const int flag : {f.strainFlag, f.thermalFlag})
        if (flag != 0) F[static_cast<std::size_t>(flag - 1)] = on ? 1 : 0;
      for (const Int key : {3000, 4000, 2700, 4200, 4600, 6500, 1000}) {
        V destination(8, -1.0F), result(8, -1.0F);
        Int status = -7;
        if (f.strain != nullptr)
          f.strain(P.data(), F.data(), block.data(), &key, destination.data(), &status, &n, &m, &m, &k, &k, total.data(),
                   result.data());
        else
          f.elastic(P.data(), F.data(), block.data(), &key, destination.data(), &status, &n, &m, &m, &k, &k);
        const bool strainKept = on && f.strainFlag != 0;
        Int served = 0;
        V wantDestination(8, -1.0F), wantResult(8, -1.0F);
        switch (key) {
          case 3000:
            served = f.scalar != 0;
            if (served) wantDestination[0] = stored(f.scalar, 0), wantDestination[1] = stored(f.scalar, 1);
            break;
          case 4000:
            served = strainKept;
            if (served) wantDestination = tensor(f.stress);
            break;
          case 2700:
            served = on && f.thermalFlag != 0;
            if (served) wantDestination = tensor(f.thermalPosition);
            break;
          case 4200:
            served = strainKept;
            if (f.strainFlag != 0) wantResult = V(8, 0.0F);
            for (int w = 0; w < 8 && served; ++w) wantResult[static_cast<std::size_t>(w)] = stored(f.strainPosition, w);
            break;
          case 4600:
            served = f.strainFlag != 0;
            for (int w = 0; w < 8 && served; ++w)
              wantResult[static_cast<std::size_t>(w)] =
                  total[static_cast<std::size_t>(w)] - (strainKept ? stored(f.strainPosition, w) : 0.0F);
            break;
          default:
            break;
        }
        EXPECT_EQ(status, served ? 0 : 1) << f.name << " " << key << " " << on;
        EXPECT_EQ(destination, wantDestination) << f.name << " " << key << " " << on;
        if (f.strain != nullptr) {
          EXPECT_EQ(result, wantResult) << f.name << " " << key << " " << on;
        }
      }
    }
}

}  // namespace
