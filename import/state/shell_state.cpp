// Element state of shell classes (kind 20): the counts of each state key for types 13316 and
// 25090, the walk over the class's segments, and the segment worker that copies stored arrays,
// forms values from them, or hands them to the extraction routines, the shell operators, the
// material routines or the rebar angles.

#include <algorithm>
#include <cstring>
#include <string>

#include "import/state/element_context.h"
#include "siblings/glo/block_store.h"
#include "siblings/glo/vector_routines.h"
#include "zmx/import/operators.h"
#include "zmx/import/state.h"

namespace zmx::imp {
namespace {

constexpr Int kShell = 13316;
constexpr Int kAxisymmetric = 25090;
constexpr float kOverTwoPi = 0.15915494F;

struct Counts {
  Int direct = 0, shear = 0, storedDirect = 0, storedShear = 0;
};

// Returned and stored counts of a key for a shell type; (0, 0) is not available.
Counts shellCounts(Int key, Int type, bool rebar) {
  const auto same = [](Int d, Int s) { return Counts{d, s, d, s}; };
  if (rebar) {
    switch (key) {
      case 1000: case 2400: case 4000: case 14001: case 14002: case 14004: case 27100: return same(1, 0);
      case 27000: return same(2, 0);
      default: return {};
    }
  }
  const bool shell = type == kShell;
  if (!shell && type != kAxisymmetric) return {};
  switch (key) {
    case 1000: return shell ? same(2, 1) : same(2, 0);
    case 1100: case 5000: return shell ? Counts{2, 0, 2, 1} : same(2, 0);
    case 2200: case 4200: case 4600: case 2400: return shell ? Counts{2, 1, 3, 1} : Counts{2, 0, 3, 0};
    case 2300: case 2500: return shell ? Counts{3, 0, 3, 1} : same(3, 0);
    case 2700: return same(3, 0);
    case 3000: case 9302: case 4000: case 9200: return same(1, 0);
    case 3100: return shell ? same(2, 0) : Counts{};
    case 7000: return shell ? same(5, 0) : same(2, 0);
    case 7100: return shell ? same(3, 0) : same(2, 0);
    case 8000: return shell ? same(2, 3) : same(2, 0);
    case 8100: return shell ? Counts{4, 0, 3, 0} : same(2, 0);
    case 8400: case 9100: case 9800: case 9900: return shell ? same(12, 0) : Counts{};
    case 8500: case 9500: return shell ? same(6, 0) : Counts{};
    case 8900: case 9000: case 9400: case 31000: case 33000: return same(1, 0);
    case 9600: return same(2, 0);
    case 9700: return shell ? same(5, 0) : Counts{};  // nothing is written for 25090
    case 11000: return same(3, 0);
    case 14001: case 14002: case 14004: return same(1, 0);
    case 15000: case 16000: return shell ? same(2, 0) : same(1, 0);
    case 17000: return shell ? same(10, 0) : Counts{};
    case 18000: return shell ? same(2, 0) : Counts{};
    case 19001: case 19002: case 19003: case 19005: case 19006: return same(1, 0);
    case 30000: return shell ? same(3, 2) : same(3, 0);
    default: return {};
  }
}

// The arrays and values one segment worker call receives.
struct ShellSegment {
  Int key, n, referenceSwitch, direct, storedDirect, shear, storedShear, fullDirect, fullShear, point, type;
  Int* status;
  Int thicknessSwitch, groupKind;
  const float *drill, *quaternions, *gradient, *area, *transverseStrain, *transverseForce, *forces, *curvatures,
      *moments, *drillMoments, *nodalVectors;
  Int inPlaneFlag;
  const float *inPlanePairs, *transfer, *hourglass1, *hourglass2;
  Int nodes, K1, K2, K2second;
  const float* coordinates;
  const Int* nodeLists;
  const float* section;
  const float *pointShared, *pointState;
  const Int* groupVariables;
  const Int* material;
  float* answer;
  const Int* table;
  Int small;
  const float* groupDomain;
  const Int* segmentIntegers;
  float* scratch2;
  const float* secondState;
  float* scratch1;
  const float *summed, *firstRead;
  Int thicknessFlag, orientation;
  float *scratch3, *scratch4;
  const Int* ownTable;
  const float* elementFlags;
};

const float* groupArray(const ShellSegment& s, const float* base, int word) { return base + s.groupVariables[word - 1]; }

// Thickness of element i: the section's or, with the flag, the element's own.
float thickness(const ShellSegment& s, Int i, bool own) {
  return own ? groupArray(s, s.groupDomain, 21)[i] : s.section[9];
}

// Loads the point's strain into target: turned by the group's orientation when it applies.
void loadStrain(const ShellSegment& s, float* target) {
  const float* strain = groupArray(s, s.pointState, 28);
  const Int words = s.n * (s.storedDirect + s.storedShear);
  if (s.groupKind == 0 && s.orientation != 0 && s.type == kShell) {
    const Int inverse = 1;
    ACC_GDB_SYMROTS31S31(&s.n, &inverse, groupArray(s, s.groupDomain, 15), strain, target);
  } else {
    GLO_UTI_COPYR(&words, strain, target);
  }
}

void modifyStrain(const ShellSegment& s) {
  const Int keep = 1;
  ACC_SDB_MODIFYSTRAIN(&s.n, &keep, &s.groupKind, &s.direct, &s.storedDirect, &s.shear, &s.storedShear, &s.type,
                       &s.orientation, s.drill, s.answer, s.scratch4, s.scratch3);
}

void materialKey(const ShellSegment& s) {
  const Int code = s.material[0];
  const Int* P = s.table + (s.material[4] - 1);
  const Int* F = s.ownTable + (s.ownTable[1] - 1);
  const float* block = s.pointState + s.material[2];
  const auto strainFamily = [&](auto routine) {
    loadStrain(s, s.scratch3);
    routine(P, F, block, &s.key, s.answer, s.status, &s.n, &s.direct, &s.storedDirect, &s.shear, &s.storedShear,
            s.scratch3, s.scratch4);
    if (s.key == 4600 || (s.key == 4200 && *s.status == 0)) modifyStrain(s);
  };
  const auto strainOnly = [&] {
    loadStrain(s, s.scratch4);
    modifyStrain(s);
    *s.status = 0;
  };
  const auto elasticFamily = [&](auto routine) {
    routine(P, F, block, &s.key, s.answer, s.status, &s.n, &s.direct, &s.storedDirect, &s.shear, &s.storedShear);
    if (s.key == 4600) strainOnly();
  };
  switch (code) {
    case 200: case 202: case 203: case 204: case 209: return strainFamily(ACC_SDB_ELEMKEYPLASTIC);
    case 201: return strainFamily(ACC_SDB_ELEMKEYDUCTILEFAIL);
    case 205: return strainFamily(ACC_SDB_ELEMKEYPLASTICFOAM);
    case 206: return strainFamily(ACC_SDB_ELEMKEYCAP);
    case 207: return strainFamily(ACC_SDB_ELEMKEYGURSON);
    case 208: return elasticFamily(ACC_SDB_ELEMKEYBRIT);
    case 101: case 102: return elasticFamily(ACC_SDB_ELEMKEYORTHO);
    case 103: return elasticFamily(ACC_SDB_ELEMKEYANISO);
    case 111: return elasticFamily(ACC_SDB_ELEMKEYVISELASTIC);
    case 301: case 302:
      if (s.key == 4600) return strainOnly();
      *s.status = 1;
      return;
    case 601:
      if (s.key == 4600) return strainOnly();
      ACC_SDB_ELEMKEYVUMAT(P, block, &s.key, s.answer, s.status, &s.n, &s.direct, &s.storedDirect, &s.shear,
                           &s.storedShear);
      return;
    default:
      if ((code >= 105 && code <= 110) || (code >= 112 && code <= 121)) {
        if (s.key == 4200 || s.key == 4600) return strainOnly();
      }
      *s.status = 1;
  }
}

void shellSegment(const ShellSegment& s) {
  const Int n = s.n, c = s.direct + s.shear;
  float* out = s.answer;
  const bool shell = s.type == kShell;
  const auto scaled = [&](float value) { return s.type == kAxisymmetric ? value * kOverTwoPi : value; };
  switch (s.key) {
    case 9000:
    case 8900:
    case 31000: {
      if (s.point != 0) {
        *s.status = 1;
        return;
      }
      for (Int i = 0; i < n; ++i) {
        const bool own = s.thicknessFlag == 1 || (s.key == 8900 && s.thicknessSwitch == 1);
        const float t = thickness(s, i, s.key == 8900 ? own : s.thicknessFlag != 0);
        if (s.key == 8900) out[i] = scaled(t);
        if (s.key == 9000) out[i] = scaled(t * s.gradient[i + 2 * n]);
        if (s.key == 31000) out[i] = t * s.gradient[i + 2 * n] * s.area[i];
      }
      return;
    }
    case 8400:
      for (Int i = 0; i < n; ++i)
        for (Int j = 0; j < s.nodes; ++j)
          for (Int k = 0; k < 3; ++k)
            out[1LL * i * c + 3 * j + k] = s.nodalVectors[i + 1LL * n * j + 1LL * n * s.nodes * k];
      return;
    case 9100:
      return EDI_UTI_S3DQ4DRILLMOMENT(&s.n, s.drillMoments, out, s.quaternions);
    case 3100: {
      const Int count = n * s.nodes, four = 4;
      GLO_UTI_GENGATHERR(&count, &s.K1, &s.K1, &s.K2, s.segmentIntegers + (s.nodeLists[0] - 1), s.scratch1, s.firstRead);
      GLO_UTI_GATHERR(&count, &four, &s.K2second, s.segmentIntegers + (s.nodeLists[1] - 1), s.scratch2, s.secondState);
      return EDI_UTI_S3DQ4ROTHGMAGNITUDE(&s.n, s.scratch1, out, s.elementFlags, s.scratch2);
    }
    case 9800:
    case 9900: {
      const Int count = n * s.nodes;
      GLO_UTI_GENGATHERR(&count, &s.K1, &s.K1, &s.K2, s.segmentIntegers + (s.nodeLists[0] - 1), s.scratch1, s.summed);
      return EDI_UTI_S3DQ4HGFORCE(&s.n, s.key == 9800 ? s.hourglass1 : s.hourglass2, s.scratch1, s.area, out, s.drill,
                                  s.quaternions);
    }
    case 27000: {
      if (s.point == 0 || 2LL * n > 4LL * s.K2second) {
        *s.status = 1;
        return;
      }
      for (Int i = 0; i < n; ++i) s.scratch3[i] = thickness(s, i, s.thicknessFlag != 0) * s.gradient[i + 2 * n];
      return ACC_SDB_REBARANGLESHELL(&s.n, groupArray(s, s.pointShared, 33), groupArray(s, s.groupDomain, 31),
                                     s.curvatures, out, &s.referenceSwitch, &s.coordinates[s.point - 1], s.scratch3,
                                     s.gradient, s.secondState, groupArray(s, s.groupDomain, 32));
    }
    case 8100:
      return ACC_SDB_EXTRACTCURVATURE(&s.n, &s.direct, &s.shear, &s.type, &s.small, s.inPlanePairs, s.curvatures, out,
                                      &s.inPlaneFlag, s.transfer);
    case 7100:
      return ACC_SDB_EXTRACTSECTMOMENT(&s.n, &s.direct, &s.shear, &s.type, &s.small, s.inPlanePairs, s.moments, out,
                                       &s.inPlaneFlag, s.transfer);
    case 8000:
      return ACC_SDB_EXTRACTSHELLSECTSTRAIN(&s.n, &s.direct, &s.shear, &s.type, &s.small, s.gradient, s.drill,
                                            s.transverseStrain, s.inPlanePairs, s.scratch3, out, &s.inPlaneFlag,
                                            s.transfer);
    case 9400:
      return ACC_SDB_EXTRACTTHININGSTRAIN(&s.n, &s.type, s.gradient, out);
    case 9700:
      return ACC_SDB_EXTRACTSHELLMEMJACOBIAN(&s.n, &s.direct, &s.shear, &s.fullDirect, &s.type, &s.small, s.gradient,
                                             s.drill, s.scratch3, out);
    case 9600:
      return ACC_SDB_EXTRACTSHELLINPLANEROT(&s.n, &s.direct, &s.shear, s.inPlanePairs, out, &s.inPlaneFlag);
    case 9500:
      return ACC_SDB_EXTRACTSHELLLOCALDIR(&s.n, &s.direct, &s.shear, s.quaternions, s.drill, s.inPlanePairs, out,
                                          &s.inPlaneFlag);
    case 8500:
      return ACC_SDB_EXTRACTSHELLELEMDIR(&s.n, &s.direct, &s.shear, s.quaternions, s.drill, out);
    case 7000:
      // A small-stretch row of fewer than three values would be overrun.
      if (s.small == 1 && c < 3) {
        *s.status = 1;
        return;
      }
      return ACC_SDB_EXTRACTSHELLSECTFORCE(&s.n, &s.type, &s.small, &s.direct, &s.shear, s.forces, s.transverseForce,
                                           s.inPlanePairs, out, &s.inPlaneFlag, s.transfer);
    case 15000:
      return ACC_SDB_EXTRACTTRANSF(&s.n, &s.type, &s.small, &s.direct, &s.shear, s.transverseForce, s.inPlanePairs,
                                   out, &s.inPlaneFlag, s.transfer);
    case 16000:
      return ACC_SDB_EXTRACTTRANSTRN(&s.n, &s.type, &s.small, &s.direct, &s.shear, s.transverseStrain,
                                     s.inPlanePairs, out, &s.inPlaneFlag, s.transfer);
    case 17000:
    case 18000:
      if (s.material[0] == 104 || !shell || s.section[11] != 0.0F) {
        *s.status = 1;
        return;
      }
      return ACC_GDB_COPYR(&s.n, &s.direct, &s.shear, &s.storedDirect, &s.storedShear,
                           groupArray(s, s.groupDomain, s.key == 17000 ? 36 : 37), out);
    case 11000:
      if (shell) return EDI_OPE_DIRECTORS3D(&s.n, s.drill, s.quaternions, out, groupArray(s, s.groupDomain, 15), &s.orientation);
      if (s.type == kAxisymmetric) return EDI_OPE_DIRECTORS2D(&s.n, s.quaternions, out);
      *s.status = 1;
      return;
    default:
      break;
  }
  // Keys of the point's own data: nothing is read before a group's first point.
  if (s.point == 0) {
    *s.status = 1;
    return;
  }
  switch (s.key) {
    case 33000:
      std::copy_n(groupArray(s, s.pointShared, 22), n, out);
      return;
    case 14001:
    case 14002:
    case 14004:
      return pointProduct(s.key, n, groupArray(s, s.pointState, 3), groupArray(s, s.pointState, 4), out);
    case 2400:
      loadStrain(s, s.scratch4);
      return modifyStrain(s);
    case 1000:
      return ACC_GDB_COPYR(&s.n, &s.direct, &s.shear, &s.storedDirect, &s.storedShear, groupArray(s, s.pointState, 1), out);
    case 27100:
      return ACC_GDB_COPYR(&s.n, &s.direct, &s.shear, &s.storedDirect, &s.storedShear, groupArray(s, s.groupDomain, 32), out);
    default:
      return materialKey(s);
  }
}

}  // namespace

void shellKind(const ClassRequest& r) {
  Request& request = r.request;
  const Words& t = r.table;
  const Int type = r.TR(L::kTypeCode), nodes = type & 31;
  const Int stretchWord = r.TR(L::kTypeSmallStretch);
  ShellSegment s{};
  s.small = stretchWord >= 2071 && stretchWord <= 2073 ? 1 : 0;
  s.fullDirect = type == kShell || type == kAxisymmetric ? 3 : 0;
  s.fullShear = type == kShell ? 2 : 0;
  *r.status = 0;
  *r.direct = *r.shear = 0;
  const GroupPick pick = findGroup(r);
  if (pick.group == 0 || !request.ok()) {
    *r.status = 1;
    return;
  }
  const long long layout =
      r.TR(L::kTypeGroupLayouts) + static_cast<long long>(L::kGroupLayoutWords) * (pick.group - 1) - 1;
  const auto GL = [&](int word) { return t.i(layout + word); };
  const auto GR = [&](int word) { return t.i(pick.record + word - 1); };
  s.groupKind = GR(19);
  GroupTables g;
  if (!readGroupTables(r, layout, g)) {
    *r.status = 1;
    return;
  }
  const long long own = g.own, material = g.material, variables = g.variables;
  Counts counts = shellCounts(r.key, type, s.groupKind == 1);
  if (r.key == 6500 && s.groupKind != 1) {
    const Int m = stateVariableCount(r, g);
    counts = Counts{m, 0, m, 0};
  }
  if ((r.key == 8900 || r.key == 9000) && r.point != 0) counts = {};
  if (counts.direct <= 0 && counts.shear <= 0) {
    *r.status = 1;
    return;
  }
  *r.direct = counts.direct;
  *r.shear = counts.shear;
  const Int c = r.key == 11000 ? 9 : counts.direct + counts.shear;
  const long long q = std::max<long long>({c, 0LL + counts.storedDirect + counts.storedShear, 0LL + s.fullDirect + s.fullShear});
  ClassBlocks blocks(request);
  if (!blocks.read(r)) {
    *r.status = 1;
    return;
  }
  const Int L = blocks.length, N = r.TR(L::kTypeElements);
  Block scratch1(request), scratch2(request), scratch3(request), scratch4(request);
  if (!makeScratch(request, scratch1, 4LL * r.K1 * L) || !makeScratch(request, scratch2, 16LL * L) ||
      !makeScratch(request, scratch3, q * L) || !makeScratch(request, scratch4, q * L)) {
    *r.status = 1;
    return;
  }
  float* answer = packageAnswer(r, 1LL * c * N);
  const long long list = r.CR(L::kClassGroupList), realBase = r.CR(L::kClassReals);
  const long long section = realBase + t.i(list + 5) - 1, coordinates = realBase + GR(3) - 1;
  const long long nodeLists = r.TR(L::kTypeNodeLists), classVariables = r.TR(L::kTypeVariables);
  if (answer == nullptr || !r.reals.has(section) || !r.reals.has(section + L::kSectionRealWords - 1) ||
      (pick.point > 0 && !r.reals.has(coordinates + pick.point - 1)) || !t.has(nodeLists + 1) ||
      !t.has(classVariables) || !t.has(classVariables + 39) || !request.ok()) {
    *r.status = 1;
    return;
  }
  s.key = r.key;
  s.referenceSwitch = r.referenceSwitch;
  s.direct = counts.direct;
  s.storedDirect = counts.storedDirect;
  s.shear = counts.shear;
  s.storedShear = counts.storedShear;
  s.point = pick.point;
  s.type = type;
  s.status = r.status;
  s.thicknessSwitch = r.thicknessSwitch;
  s.inPlaneFlag = GR(8);
  s.thicknessFlag = GR(5);
  s.orientation = GR(2);
  s.nodes = nodes;
  s.K1 = r.K1;
  s.K2 = r.K2;
  s.K2second = r.K2second;
  s.coordinates = reinterpret_cast<const float*>(r.reals.data()) + coordinates - 1;
  s.nodeLists = t.data() + nodeLists - 1;
  s.section = reinterpret_cast<const float*>(r.reals.data()) + section - 1;
  s.groupVariables = t.data() + variables - 1;
  s.material = t.data() + material - 1;
  s.table = t.data();
  s.ownTable = t.data() + own - 1;
  s.scratch1 = reinterpret_cast<float*>(const_cast<Int*>(scratch1.data()));
  s.scratch2 = reinterpret_cast<float*>(const_cast<Int*>(scratch2.data()));
  s.scratch3 = reinterpret_cast<float*>(const_cast<Int*>(scratch3.data()));
  s.scratch4 = reinterpret_cast<float*>(const_cast<Int*>(scratch4.data()));
  s.summed = r.summed;
  s.firstRead = r.firstRead;
  s.secondState = r.secondState;
  const Int pointWords = counts.storedDirect + counts.storedShear;
  const auto CV = [&](int word) { return 0LL + t.i(classVariables + word - 1); };
  // Columns of a point or group array: the stored width for the key that reads it, else 1.
  const auto width = [&](Int reader) { return r.key == reader ? pointWords : 1; };
  // Only the material keys read the material block, and they and key 2400 the point's strain.
  const bool toMaterial = readsMaterial(r.key, r.point);
  const Int strainWidth = toMaterial || r.key == 2400 ? pointWords : 1;
  // Keys 3100, 9800 and 9900 gather corner coordinates (and 3100 the nodal quaternions) at the
  // stored local node numbers of the segment: the lists lie in the segment's integers, the
  // elements have at most 4 nodes (the scratch blocks' room) and every number names a node.
  const bool corners = r.key == 3100 || r.key == 9800 || r.key == 9900;
  const auto gathersInside = [&] {
    const long long count = 1LL * s.n * nodes;
    for (int k = 0; k < 2; ++k) {
      const long long first = t.i(nodeLists + k);
      if (first < 1 || first - 1 + count > blocks.words[0]) return false;
    }
    if (nodes > 4 || s.segmentIntegers == nullptr) return false;
    const Int* first = s.segmentIntegers + (s.nodeLists[0] - 1);
    const Int* second = s.segmentIntegers + (s.nodeLists[1] - 1);
    return gatherInside(r, first, count, r.K2, 3) && (r.key != 3100 || gatherInside(r, second, count, r.K2second, 0));
  };
  const auto GV = [&](int word) { return 0LL + t.data()[variables + word - 2]; };
  // A key a segment cannot serve sets the status and the walk goes on; damaged arrays end it.
  for (Int segment = 0; segment < blocks.segments; ++segment) {
    const Int n = std::min(L, N - segment * L);
    if (n <= 0) break;
    s.n = n;
    s.answer = answer + 1LL * segment * L * c;
    const long long o501 = r.TR(L::kTypeStateOffset), o502 = r.TR(L::kTypeSharedOffset);
    const long long point501 = GL(4) + (pick.point > 0 ? pick.point - 1LL : 0LL) * GL(6);
    const long long point502 = GL(18) + (pick.point > 0 ? pick.point - 1LL : 0LL) * GL(20);
    const long long group202 = r.TR(L::kTypeDomainOffset) + GL(10);
    const auto state = [&](long long offset, long long columns) { return blocks.at(blocks.state, 2, segment, offset, n * columns); };
    const auto shared = [&](long long offset, long long columns) { return blocks.at(blocks.shared, 3, segment, offset, n * columns); };
    const auto domain = [&](long long offset, long long columns) { return blocks.at(blocks.domain, 1, segment, offset, n * columns); };
    s.drill = state(o501 + CV(2), 2);
    s.quaternions = state(o501 + CV(5), type == kShell ? 4 : 2);
    s.gradient = state(o501 + CV(3), 5);
    s.area = state(o501 + CV(29), 1);
    s.forces = state(o501 + CV(7), 3);
    s.curvatures = state(o501 + CV(4), 3);
    s.moments = state(o501 + CV(8), 3);
    s.drillMoments = state(o501 + CV(18), 4);
    s.hourglass1 = state(o501 + CV(10), 2);
    s.hourglass2 = state(o501 + CV(11), 2);
    s.transverseStrain = shared(o502 + CV(9), 2);
    s.transverseForce = shared(o502 + CV(26), 2);
    s.nodalVectors = shared(o502 + CV(21), r.key == 8400 ? 3LL * nodes : 1);
    s.inPlanePairs = domain(CV(40), 2);
    s.transfer = domain(CV(37), 5);
    s.elementFlags = domain(CV(33), 1);
    s.pointState = state(point501, 0);
    s.pointShared = shared(point502, 0);
    s.groupDomain = domain(group202, 0);
    s.segmentIntegers = corners ? reinterpret_cast<const Int*>(blocks.at(blocks.integers, 0, segment, 0, 0)) : nullptr;
    // The point's and the group's arrays, and the material block, lie in their segments too.
    const bool arraysOk =
        s.drill && s.quaternions && s.gradient && s.area && s.forces && s.curvatures && s.moments && s.drillMoments &&
        s.hourglass1 && s.hourglass2 && s.transverseStrain && s.transverseForce && s.nodalVectors && s.inPlanePairs &&
        s.transfer && s.elementFlags && s.pointState && s.pointShared && s.groupDomain &&
        state(point501 + GV(1), width(1000)) && state(point501 + GV(3), 4) && state(point501 + GV(4), 1) &&
        state(point501 + GV(28), strainWidth) &&
        (!toMaterial || materialInside(r, blocks, g, segment, point501, 1LL * n * std::max(pointWords, 1))) &&
        (!corners || gathersInside()) &&
        shared(point502 + GV(22), 1) && shared(point502 + GV(33), 2) && domain(group202 + GV(15), 2) &&
        domain(group202 + GV(21), 1) && domain(group202 + GV(31), 2) && domain(group202 + GV(32), 1) &&
        domain(group202 + GV(36), width(17000)) && domain(group202 + GV(37), width(18000));
    if (!arraysOk || !request.ok()) {
      *r.status = 1;
      break;
    }
    const float* array28 = state(o501 + CV(28), 12);
    switch (r.point == 0 ? r.key : 0) {
      case 33000:
        std::copy_n(shared(o502 + CV(22), 1), n, s.answer);
        continue;
      case 30000:
        ACC_GDB_COPYR(&s.n, &s.direct, &s.shear, &s.storedDirect, &s.storedShear, s.gradient, s.answer);
        continue;
      default:
        break;
    }
    if (r.key == 19001 || r.key == 19002 || r.key == 19003 || r.key == 19005 || r.key == 19006) {
      const int column = r.key == 19001 ? 12 : r.key - 19001;  // 19002 -> 1, 19003 -> 2, 19005 -> 4, 19006 -> 5
      if (array28 == nullptr) {
        *r.status = 1;
        break;
      }
      std::copy_n(array28 + 1LL * (column - 1) * n, n, s.answer);
      continue;
    }
    shellSegment(s);
  }
  if (*r.status == 0 && request.ok()) advancePackage(1LL * c * N);
}

}  // namespace zmx::imp

extern "C" {

void ACC_SDB_ELEMKEYSHELLSEG(
    const Int* key, const Int* n, const Int* referenceSwitch, const Int* direct, const Int* storedDirect,
    const Int* shear, const Int* storedShear, const Int* fullDirect, const Int* fullShear, const Int* point,
    const Int* type, Int* status, const Int* thicknessSwitch, const Int* groupKind, const float* drill,
    const float* quaternions, const float* gradient, const float* area, const float* transverseStrain,
    const float* transverseForce, const float* forces, const float* curvatures, const float* moments,
    const float* drillMoments, const float* nodalVectors, const Int* inPlaneFlag, const float* inPlanePairs,
    const float* transfer, const float* hourglass1, const float* hourglass2, const Int* nodes, const Int* K1,
    const Int* K2, const Int* K2second, const float* coordinates, const Int* nodeLists, const float* section,
    const float* pointShared, const float* pointState, const Int* groupVariables, const Int* material, float* answer,
    const Int* table, const Int* small, const float* groupDomain, const Int* segmentIntegers, float* scratch2,
    const float* secondState, float* scratch1, const float* summed, const float* firstRead, const Int* thicknessFlag,
    const Int* orientation, float* scratch3, float* scratch4, const Int* ownTable, const Int*,
    const float* elementFlags) {
  using namespace zmx::imp;
  ShellSegment s{};
  s.key = *key, s.n = *n, s.referenceSwitch = *referenceSwitch, s.direct = *direct, s.storedDirect = *storedDirect;
  s.shear = *shear, s.storedShear = *storedShear, s.fullDirect = *fullDirect, s.fullShear = *fullShear;
  s.point = *point, s.type = *type, s.status = status, s.thicknessSwitch = *thicknessSwitch, s.groupKind = *groupKind;
  s.drill = drill, s.quaternions = quaternions, s.gradient = gradient, s.area = area;
  s.transverseStrain = transverseStrain, s.transverseForce = transverseForce, s.forces = forces;
  s.curvatures = curvatures, s.moments = moments, s.drillMoments = drillMoments, s.nodalVectors = nodalVectors;
  s.inPlaneFlag = *inPlaneFlag, s.inPlanePairs = inPlanePairs, s.transfer = transfer;
  s.hourglass1 = hourglass1, s.hourglass2 = hourglass2, s.nodes = *nodes, s.K1 = *K1, s.K2 = *K2;
  s.K2second = *K2second, s.coordinates = coordinates, s.nodeLists = nodeLists, s.section = section;
  s.pointShared = pointShared, s.pointState = pointState, s.groupVariables = groupVariables, s.material = material;
  s.answer = answer, s.table = table, s.small = *small, s.groupDomain = groupDomain;
  s.segmentIntegers = segmentIntegers, s.scratch2 = scratch2, s.secondState = secondState, s.scratch1 = scratch1;
  s.summed = summed, s.firstRead = firstRead, s.thicknessFlag = *thicknessFlag, s.orientation = *orientation;
  s.scratch3 = scratch3, s.scratch4 = scratch4, s.ownTable = ownTable, s.elementFlags = elementFlags;
  shellSegment(s);
}

}  // extern "C"
