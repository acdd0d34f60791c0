// Stored beam quantities of one segment into the caller's order: local directions, section
// strains and forces, the plastic section strain, the thermal strain, curvatures and moments.
// Inputs are component-major (n points per column); answers are point-major with a stride of
// direct + shear words. Type codes other than the four beam codes write nothing.

#include "import/operators/operator_support.h"
#include "zmx/import/state.h"

namespace {

using zmx::ops::at;

enum class Beam { kNone, kPlanar, kSpatial };

Beam beamOf(Int type) {
  if (type == 12802 || type == 12803) return Beam::kSpatial;
  if (type == 8706 || type == 8707) return Beam::kPlanar;
  return Beam::kNone;
}

// Word j (from 1) of point p's row.
float& word(float* answer, long long stride, long long p, long long j) { return answer[(p - 1) * stride + (j - 1)]; }

}  // namespace

extern "C" {

void ACC_SDB_EXTRACTBEAMLOCALDIR(const Int* n, const Int* direct, const Int* shear, const Int* type,
                                 const float* rotation, float* answer) {
  const long long m = *n, stride = 0LL + *direct + *shear;
  const Beam beam = beamOf(*type);
  for (long long p = 1; p <= m && beam != Beam::kNone; ++p) {
    if (beam == Beam::kPlanar) {
      word(answer, stride, p, 1) = at(rotation, m, p, 1);
      word(answer, stride, p, 2) = at(rotation, m, p, 2);
      continue;
    }
    const float q1 = at(rotation, m, p, 1), q2 = at(rotation, m, p, 2), q3 = at(rotation, m, p, 3),
                w = at(rotation, m, p, 4);
    const float c = 2.0F * w * w - 1.0F;
    const float v[6] = {2.0F * (q1 * q2 - w * q3), 2.0F * q2 * q2 + c,        2.0F * (q3 * q2 + w * q1),
                        2.0F * (w * q2 + q1 * q3), 2.0F * (q3 * q2 - w * q1), 2.0F * q3 * q3 + c};
    for (int j = 0; j < 6; ++j) word(answer, stride, p, j + 1) = v[j];
  }
}

void ACC_SDB_EXTRACTBEAMSECTSTRAIN(const Int* n, const Int* direct, const Int* shear, const Int* type,
                                   const float* axial, const float* bending, float* answer) {
  const long long m = *n, stride = 0LL + *direct + *shear;
  const Beam beam = beamOf(*type);
  for (long long p = 1; p <= m && beam != Beam::kNone; ++p) {
    word(answer, stride, p, 1) = axial[p - 1];
    if (beam == Beam::kPlanar) {
      word(answer, stride, p, 2) = at(bending, m, p, 1);
    } else {
      word(answer, stride, p, 2) = at(bending, m, p, 2);
      word(answer, stride, p, 3) = at(bending, m, p, 1);
    }
  }
}

void ACC_SDB_EXTRACTBEAMSECTFORCE(const Int* n, const Int* direct, const Int* shear, const Int* type,
                                  const float* axial, const float* shearStrains, const float* section,
                                  const float* lengths, const float* stored, float* answer) {
  const long long m = *n, stride = 0LL + *direct + *shear;
  const Beam beam = beamOf(*type);
  const auto S = [&](int i) { return section[i - 1]; };
  for (long long p = 1; p <= m && beam != Beam::kNone; ++p) {
    const float a4 = at(stored, m, p, 4), l = lengths[p - 1];
    word(answer, stride, p, 1) = axial[p - 1];
    if (beam == Beam::kSpatial) {
      word(answer, stride, p, 2) = at(shearStrains, m, p, 1) * S(4) * a4 * a4 / (S(18) * l * l + 1.0F);
      word(answer, stride, p, 3) = at(shearStrains, m, p, 2) * S(17) * a4 * a4 / (S(19) * l * l + 1.0F);
    } else {
      word(answer, stride, p, 2) = a4 * a4 * at(shearStrains, m, p, 1) * S(17) / (l * l * S(19) + 1.0F);
    }
  }
}

void ACC_SDB_EXTRACTBEAMPSECTSTRAIN(const Int* P, const Int* F, const float* block, float* answer, const Int* type,
                                    const Int* n, const Int* stride, Int* status) {
  const Beam beam = beamOf(*type);
  *status = 1;
  if (F[105] != 1 || beam == Beam::kNone) return;
  const int words = beam == Beam::kSpatial ? 4 : 2;
  for (long long p = 1; p <= *n; ++p)
    for (int j = 0; j < words; ++j) word(answer, *stride, p, j + 1) = block[P[3 + j] - 1 + (p - 1)];
  *status = 0;
}

void ACC_SDB_EXTRACTBEAMTHERSTRAIN(const Int* n, const Int* m, const Int* j0, const Int* k, const Int* s0,
                                   const Int* P, const float* block, const Int* F, float* destination, Int* status) {
  *status = 1;
  if (F[17] != 1) return;
  ACC_GDB_COPYR(n, m, k, j0, s0, block + (P[2] - 1), destination);
  *status = 0;
}

void ACC_SDB_EXTRACTCURVATUREBEAM(const Int* n, const Int* direct, const Int* shear, const Int* type,
                                  const float* curvatures, const float* lengths, float* answer) {
  const long long m = *n, stride = 0LL + *direct + *shear;
  const Beam beam = beamOf(*type);
  for (long long p = 1; p <= m && beam != Beam::kNone; ++p) {
    const float r = at(lengths, m, p, 2) / at(lengths, m, p, 1);
    if (beam == Beam::kPlanar) {
      word(answer, stride, p, 1) = at(curvatures, m, p, 1) * r;
    } else {
      word(answer, stride, p, 1) = r * at(curvatures, m, p, 2);
      word(answer, stride, p, 2) = r * at(curvatures, m, p, 3);
      word(answer, stride, p, 3) = r * at(curvatures, m, p, 1);
    }
  }
}

void ACC_SDB_EXTRACTMOMENTBEAM(const Int* n, const Int* direct, const Int* shear, const Int* type, const float* moments,
                               float* answer) {
  const long long m = *n, stride = 0LL + *direct + *shear;
  const Beam beam = beamOf(*type);
  for (long long p = 1; p <= m && beam != Beam::kNone; ++p) {
    if (beam == Beam::kPlanar) {
      word(answer, stride, p, 1) = at(moments, m, p, 1);
    } else {
      word(answer, stride, p, 1) = at(moments, m, p, 2);
      word(answer, stride, p, 2) = at(moments, m, p, 3);
      word(answer, stride, p, 3) = at(moments, m, p, 1);
    }
  }
}

}  // extern "C"
