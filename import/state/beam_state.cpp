// Element state of beam classes (kind 30): the counts of each key for planar and spatial beams,
// the walk over the class's passes and segments, and the segment worker that copies stored
// values, calls the beam extraction routines or asks the point's material.

#include <algorithm>
#include <string>
#include <vector>

#include "import/state/element_context.h"
#include "zmx/import/state.h"

namespace zmx::imp {
namespace {

struct Counts {
  Int direct = 0, shear = 0;
};

Counts beamCounts(Int key, Int type, bool section) {
  const bool spatial = type == 12802 || type == 12803, planar = type == 8706 || type == 8707;
  switch (key) {
    case 33000: case 3000: case 31000: case 9200: case 19001: case 19002: case 19003: case 19005: case 19006:
    case 14001: case 14002: case 14004:
      return {1, 0};
    default:
      break;
  }
  // Rows that read (1, 0) for both kinds of beam hold for every type code.
  if (!section && (key == 2700 || key == 4000)) return {1, 0};
  if (!spatial && !planar) return {};
  const auto pick = [&](Counts three, Counts two) { return spatial ? three : two; };
  switch (key) {
    case 2400: case 2200: case 1000: case 1100: case 5000: return pick({1, 1}, {1, 0});
    case 4200: return section ? pick({4, 0}, {2, 0}) : pick({1, 1}, {1, 0});
    case 2700: return pick({3, 0}, {2, 0});  // with the section flag; without it, (1, 0) above
    case 4000: return pick({4, 0}, {2, 0});
    case 7000: case 8000: return pick({3, 0}, {2, 0});
    case 8500: return pick({6, 0}, {2, 0});
    case 7100: case 8100: return pick({3, 0}, {1, 0});
    default: return {};
  }
}

struct BeamSegment {
  Int key, n, point, direct, shear, type;
  bool section;
  Int* status;
  const float *curvatures, *moments, *rotation, *axialStrain, *axialForce, *factors[3], *lengths, *sectionArray, *shearStrains;
  const float* sectionReal;
  const float *pointState, *pointShared;
  const Int *groupVariables, *material, *table, *ownTable;
  float *work, *answer;
};

const float* groupArray(const BeamSegment& s, int word, bool shared = false) {
  return (shared ? s.pointShared : s.pointState) + s.groupVariables[word - 1];
}

void materialKey(const BeamSegment& s) {
  const Int code = s.material[0];
  const Int* P = s.table + (s.material[4] - 1);
  const Int* F = s.ownTable + (s.ownTable[1] - 1);
  const float* block = s.pointState + s.material[2];
  const float* total = groupArray(s, 28);
  const Int words = s.n * (s.direct + s.shear);
  *s.status = 1;
  const auto strainFamily = [&](auto routine, bool modify) {
    routine(P, F, block, &s.key, s.answer, s.status, &s.n, &s.direct, &s.direct, &s.shear, &s.shear, total, s.work);
    if (s.key != 4200 || *s.status != 0) return;
    if (modify) {
      const Int keep = 1;
      ACC_SDB_MODIFYSTRAINSOLID(&s.n, &keep, &s.direct, &s.direct, &s.shear, &s.shear, &s.type, &keep, nullptr, nullptr,
                                s.answer, s.work, s.work + words);
    } else {
      std::copy_n(s.work, words, s.answer);
    }
  };
  switch (code) {
    case 200: case 202: case 203: case 204: case 209: return strainFamily(ACC_SDB_ELEMKEYPLASTIC, true);
    case 201: return strainFamily(ACC_SDB_ELEMKEYDUCTILEFAIL, true);
    case 205: return strainFamily(ACC_SDB_ELEMKEYPLASTICFOAM, false);
    case 206: return strainFamily(ACC_SDB_ELEMKEYCAP, false);
    case 207: return strainFamily(ACC_SDB_ELEMKEYGURSON, false);
    case 601:
      return ACC_SDB_ELEMKEYVUMAT(P, block, &s.key, s.answer, s.status, &s.n, &s.direct, &s.direct, &s.shear, &s.shear);
    default:
      return;  // elastic, hyperelastic and other materials serve nothing here
  }
}

void beamSegment(const BeamSegment& s) {
  const Int n = s.n;
  float* out = s.answer;
  switch (s.key) {
    case 31000:
      for (Int i = 0; i < n; ++i) out[i] = s.factors[0][i] * s.factors[1][i] * s.factors[2][i] * s.factors[2][i];
      return;
    case 8100:
      return ACC_SDB_EXTRACTCURVATUREBEAM(&s.n, &s.direct, &s.shear, &s.type, s.curvatures, s.lengths, out);
    case 7100:
      return ACC_SDB_EXTRACTMOMENTBEAM(&s.n, &s.direct, &s.shear, &s.type, s.moments, out);
    case 8000:
      return ACC_SDB_EXTRACTBEAMSECTSTRAIN(&s.n, &s.direct, &s.shear, &s.type, s.axialStrain, s.curvatures, out);
    case 7000:
      return ACC_SDB_EXTRACTBEAMSECTFORCE(&s.n, &s.direct, &s.shear, &s.type, s.axialForce, s.shearStrains,
                                          s.sectionReal, s.lengths, s.sectionArray, out);
    case 8500:
      return ACC_SDB_EXTRACTBEAMLOCALDIR(&s.n, &s.direct, &s.shear, &s.type, s.rotation, out);
    default:
      break;
  }
  if (s.point == 0) {
    *s.status = 1;
    return;
  }
  const Int* P = s.table + (s.material[4] - 1);
  const Int* F = s.ownTable + (s.ownTable[1] - 1);
  const float* block = s.pointState + s.material[2];
  switch (s.key) {
    case 33000:
      std::copy_n(groupArray(s, 22, true), n, out);
      return;
    case 2400:
      // The point's stored strain, every component the counts name (a spatial beam's shear too).
      return ACC_GDB_COPYR(&s.n, &s.direct, &s.shear, &s.direct, &s.shear, groupArray(s, 28), out);
    case 14001:
    case 14002:
    case 14004:
      return pointProduct(s.key, n, groupArray(s, 3), s.section ? nullptr : groupArray(s, 4), out);
    case 1000:
      return ACC_GDB_COPYR(&s.n, &s.direct, &s.shear, &s.direct, &s.shear, groupArray(s, 1), out);
    case 2700:
      return ACC_SDB_EXTRACTBEAMTHERSTRAIN(&s.n, &s.direct, &s.direct, &s.shear, &s.shear, P, block, F, out, s.status);
    case 4000:
    case 4200:
      if (s.section) {
        const Int stride = s.direct + s.shear;
        return ACC_SDB_EXTRACTBEAMPSECTSTRAIN(P, F, block, out, &s.type, &s.n, &stride, s.status);
      }
      [[fallthrough]];
    default:
      return materialKey(s);
  }
}

}  // namespace

void beamKind(const ClassRequest& r) {
  Request& request = r.request;
  const Words& t = r.table;
  const Int type = r.TR(L::kTypeCode);
  const bool section = r.TR(L::kTypeFlags) == 12713984;
  *r.status = 0;
  const long long list = r.CR(L::kClassGroupList);
  const long long first = list + t.i(list + 3) - 1;
  if (t.i(list) < 1 || r.point > t.i(first)) {
    *r.status = r.point > t.i(first) ? 2 : 1;
    return;
  }
  *r.direct = *r.shear = 0;
  const long long layout = r.TR(L::kTypeGroupLayouts) - 1;
  const auto GL = [&](int word) { return t.i(layout + word); };
  const long long classVariables = r.TR(L::kTypeVariables);
  GroupTables g;
  if (!readGroupTables(r, layout, g) || !t.has(classVariables) || !t.has(classVariables + 39)) {
    request.damaged("CLASS VARIABLES OF CLASS " + std::to_string(r.elementClass));
    *r.status = 1;
    return;
  }
  const long long own = g.own, material = g.material, variables = g.variables;
  Counts counts = beamCounts(r.key, type, section);
  if (r.key == 6500) counts = Counts{stateVariableCount(r, g), 0};
  if (counts.direct <= 0 && counts.shear <= 0) {
    *r.status = 1;
    return;
  }
  *r.direct = counts.direct;
  *r.shear = counts.shear;
  const Int c = counts.direct + counts.shear, passes = r.TR(L::kTypePasses);
  ClassBlocks blocks(request);
  if (passes < 0 || !blocks.read(r)) {
    *r.status = 1;
    return;
  }
  const Int L = blocks.length, N = r.TR(L::kTypeElements);
  Block work(request);
  if (!makeScratch(request, work, 2LL * std::max(c, 8) * L)) {
    *r.status = 1;
    return;
  }
  float* answer = packageAnswer(r, 1LL * c * N * passes);
  const long long sectionReal = r.CR(L::kClassReals) + t.i(list + 5) - 1;
  if (answer == nullptr || !r.reals.has(sectionReal) || !r.reals.has(sectionReal + L::kSectionRealWords - 1) ||
      !request.ok()) {
    *r.status = 1;
    return;
  }
  BeamSegment s{};
  s.key = r.key, s.point = r.point, s.direct = counts.direct, s.shear = counts.shear, s.type = type;
  s.section = section, s.status = r.status;
  s.sectionReal = reinterpret_cast<const float*>(r.reals.data()) + sectionReal - 1;
  s.groupVariables = t.data() + variables - 1, s.material = t.data() + material - 1, s.table = t.data();
  s.ownTable = t.data() + own - 1;
  s.work = reinterpret_cast<float*>(const_cast<Int*>(work.data()));
  const bool spatial = type == 12802 || type == 12803;
  const auto CV = [&](int word) { return 0LL + t.i(classVariables + word - 1); };
  const auto GV = [&](int word) { return 0LL + t.data()[variables + word - 2]; };
  // Besides the material routine, the section strain reads P(4) to P(7) and the thermal strain P(3).
  const Int* F = t.data() + g.flags - 1;
  const bool sectionStrain = section && (r.key == 4000 || r.key == 4200) && F[105] == 1;
  const std::vector<int> beamExtra = sectionStrain                  ? std::vector<int>{4, 5, 6, 7}
                                     : r.key == 2700 && F[17] == 1 ? std::vector<int>{3}
                                                                   : std::vector<int>{};
  float* out = answer;
  for (Int pass = 0; pass < passes && *r.status == 0; ++pass)
    for (Int segment = 0; segment < blocks.segments && *r.status == 0; ++segment) {
      const Int n = std::min(L, N - segment * L);
      if (n <= 0) break;
      s.n = n;
      s.answer = out;
      const long long o501 = r.TR(L::kTypeStateOffset), o502 = r.TR(L::kTypeSharedOffset);
      const long long point501 = GL(4) + (r.point > 0 ? r.point - 1LL : 0LL) * GL(6);
      const long long point502 = GL(18) + (r.point > 0 ? r.point - 1LL : 0LL) * GL(20);
      const auto state = [&](long long offset, long long columns) { return blocks.at(blocks.state, 2, segment, offset, n * columns); };
      const auto shared = [&](long long offset, long long columns) { return blocks.at(blocks.shared, 3, segment, offset, n * columns); };
      s.curvatures = state(o501 + CV(4), 3);
      s.moments = state(o501 + CV(3), 3);
      s.rotation = state(o501 + CV(5), spatial ? 4 : 2);
      s.axialStrain = state(o501 + CV(6), 1);
      s.axialForce = state(o501 + CV(7), 1);
      for (int k = 0; k < 3; ++k) s.factors[k] = state(o501 + CV(14 + k), 1);
      s.lengths = state(o501 + CV(29), 2);
      s.sectionArray = state(o501 + CV(30), 4);
      s.shearStrains = shared(o502 + CV(9), 2);
      s.pointState = state(point501, 0);
      s.pointShared = shared(point502, 0);
      const bool materialOk = materialInside(r, blocks, g, segment, point501, 1LL * n * std::max(c, 1), beamExtra);
      const float* value33000 = state(o501 + CV(8), 1);
      const float* array13 = state(o501 + CV(13), 12);
      const bool arraysOk = s.curvatures && s.moments && s.rotation && s.axialStrain && s.axialForce && s.factors[0] &&
                            s.factors[1] && s.factors[2] && s.lengths && s.sectionArray && s.shearStrains &&
                            s.pointState && s.pointShared && materialOk && value33000 && array13 &&
                            state(point501 + GV(1), c) && state(point501 + GV(3), 4) && state(point501 + GV(4), 1) &&
                            state(point501 + GV(28), std::max(c, 4)) && shared(point502 + GV(22), 1);
      if (!arraysOk || !request.ok()) {
        *r.status = 1;
        break;
      }
      if (r.key == 33000 && r.point == 0) {
        std::copy_n(value33000, n, out);
      } else if (r.key == 19001 || r.key == 19002 || r.key == 19003 || r.key == 19005 || r.key == 19006) {
        const long long start = r.key == 19001 ? 11 : r.key == 19002 ? 0 : r.key == 19003 ? 1 : r.key == 19005 ? 3 : 4;
        std::copy_n(array13 + start * n, n, out);
      } else {
        beamSegment(s);
      }
      out += 1LL * n * c;
    }
  if (*r.status == 0 && request.ok()) advancePackage(1LL * c * N * passes);
}

}  // namespace zmx::imp

extern "C" {

void ACC_SDB_ELEMKEYBEAMSEG(const Int* key, const Int* n, const Int* point, const Int* direct, const Int* shear,
                            const Int* type, const Int* sectionFlag, Int* status, const float* curvatures,
                            const float* moments, const float* rotation, const float* axialStrain,
                            const float* axialForce, const float* factor1, const float* factor2, const float* factor3,
                            const float* lengths, const float* sectionArray, const float* shearStrains,
                            const float* sectionReal, const float* pointState, const float* pointShared,
                            const Int* groupVariables, const Int* material, const Int* table, const Int* ownTable,
                            float* work, float* answer) {
  using namespace zmx::imp;
  BeamSegment s{*key, *n, *point, *direct, *shear, *type, *sectionFlag != 0, status, curvatures, moments, rotation,
                axialStrain, axialForce, {factor1, factor2, factor3}, lengths, sectionArray, shearStrains,
                sectionReal, pointState, pointShared, groupVariables, material, table, ownTable, work, answer};
  beamSegment(s);
}

}  // extern "C"
