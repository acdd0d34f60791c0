// Element state of continuum and membrane classes (kind 10): the counts of each state key by
// element type, the walk over the class's segments with the strain operators of the type, and
// the segment worker that copies, turns or computes each key, or asks the point's material.

#include <algorithm>
#include <string>

#include "import/state/element_context.h"
#include "siblings/glo/block_store.h"
#include "siblings/glo/vector_routines.h"
#include "zmx/import/operators.h"
#include "zmx/import/state.h"

namespace zmx::imp {
namespace {

constexpr Int kHexahedron = 15368, kQuadrilateral = 9220, kAxisymmetric = 25604, kMembrane = 13316;

struct SolidType {
  Int fullDirect = 0, fullShear = 0, freedoms = 0, D = 0, S = 0;
  bool reduced = false;
};

SolidType solidType(Int code, Int flags) {
  switch (code) {
    case kQuadrilateral: return {3, 2, 8, 3, 1, flags == 2162688};
    case kAxisymmetric: return {3, 2, 8, 3, 1, false};
    case kHexahedron: return {3, 6, 24, 3, 3, false};
    case kMembrane: return {3, 2, 12, 3, 1, true};
    case 25090: return {0, 0, 0, 2, 0, false};
    case 8706:
    case 12802: return {2, 0, 0, 1, 0, false};
    default: return {};  // 256 and every other code: no counts
  }
}

struct Counts {
  Int direct = 0, shear = 0, storedDirect = 0, storedShear = 0;
};

Counts solidCounts(Int key, Int code, const SolidType& t, bool rebar, Int point) {
  const auto same = [](Int d, Int s) { return Counts{d, s, d, s}; };
  if (rebar) {
    switch (key) {
      case 27100: case 14004: case 4000: case 14002: case 14001: case 1000: case 2400: return same(1, 0);
      case 27000: return same(2, 0);
      default: return {};
    }
  }
  const auto stored = [&](Int d, Int s) { return Counts{d, s, t.D, t.S}; };
  switch (key) {
    case 30000: return Counts{t.fullDirect, t.fullShear, t.fullDirect, t.fullShear};
    case 4600: case 4200: case 2400: case 2200: case 1000: return stored(t.reduced ? t.D - 1 : t.D, t.S);
    case 1100: case 5000: return t.reduced ? stored(2, 0) : stored(t.D, 0);
    case 11000: return code == 8706 || code == 12802 ? Counts{} : stored(3, 0);
    case 3000: case 33000: case 9302: case 4000: case 9200: return stored(1, 0);
    case 2700: return stored(3, 0);
    case 9000: case 8900: return point == 0 ? stored(1, 0) : Counts{};
    case 19001: case 19002: case 19003: case 19005: case 19006: case 31000: case 14001: case 14002: case 14004:
      return stored(1, 0);
    case 9800: return stored(t.freedoms, 0);
    default: return {};
  }
}

// What one segment worker call receives.
struct SolidSegment {
  Int key, n, point, direct, shear, storedDirect, storedShear, type, reduced;
  Int* status;
  Int referenceSwitch, groupKind, thicknessFlag, orientation, nodes, K1, K2;
  const float* section;
  const float *rotation, *elementArray, *hourglass, *drill, *factor, *area, *values9302, *value33000;
  const float *pointState, *pointShared, *groupDomain;
  const Int *groupVariables, *material, *table, *ownTable, *segmentIntegers, *nodeLists;
  const float *summed, *firstRead;
  float *strain, *gradient, *computedRotation, *corners, *total, *result, *work, *answer;
};

bool operatorType(Int type) { return type == kHexahedron || type == kQuadrilateral || type == kAxisymmetric; }

// Coordinate components per node that a segment gathers through the stored connectivity (0: it
// reads no coordinates): the strain operators run for every key of their types; the corner
// gathers serve the hourglass forces and the rebar angles.
Int gatheredComponents(Int type, Int key, Int point) {
  const bool planar = type == kQuadrilateral || type == kAxisymmetric;
  if (key == 27000 && point != 0) return 3;
  if (operatorType(type) || key == 9800) return planar ? 2 : 3;
  return 0;
}

// The stored stress keeps its own axes for the membrane, in a group with its own orientation
// and with fewer than two direct components; otherwise it is turned into the element's axes.
bool stressTurned(const SolidSegment& s) { return s.type != kMembrane && s.orientation == 0 && s.direct >= 2; }

// Columns of the stored stress that key 1000 reads: the stored ones, or those its rotation reads.
Int stressColumns(const SolidSegment& s, Int stored) {
  if (s.key != 1000 || s.groupKind == 1 || !stressTurned(s)) return stored;
  return std::max(stored, s.type == kHexahedron ? 6 : 4);
}

const float* groupArray(const SolidSegment& s, const float* base, int word) { return base + s.groupVariables[word - 1]; }

// Corner values of the segment's elements gathered from a nodal block, components per node.
void gatherCorners(const SolidSegment& s, const float* nodal, Int components) {
  const Int count = s.n * s.nodes;
  GLO_UTI_GENGATHERR(&count, &s.K1, &components, &s.K2, s.segmentIntegers + (s.nodeLists[0] - 1), s.corners, nodal);
}

float thickness(const SolidSegment& s, Int i) {
  if (s.reduced == 0) return s.section[9];
  if (s.key == 8900 && s.thicknessFlag == 0) return s.section[9];
  return s.thicknessFlag != 0 || s.key == 8900 ? groupArray(s, s.groupDomain, 21)[i] : s.section[9];
}

// The strain result (or the total strain) point-major with doubled shears into the answer.
void modifiedStrain(const SolidSegment& s, const float* strain) {
  const Int keep = 0;
  ACC_SDB_MODIFYSTRAINSOLID(&s.n, &keep, &s.direct, &s.storedDirect, &s.shear, &s.storedShear, &s.type,
                            &s.orientation, s.rotation, nullptr, s.answer, strain, s.work);
}

void materialKey(const SolidSegment& s) {
  const Int code = s.material[0];
  const Int* P = s.table + (s.material[4] - 1);
  const Int* F = s.ownTable + (s.ownTable[1] - 1);
  const float* block = s.pointState + s.material[2];
  *s.status = 1;
  const auto strainFamily = [&](auto routine) {
    routine(P, F, block, &s.key, s.answer, s.status, &s.n, &s.direct, &s.storedDirect, &s.shear, &s.storedShear,
            s.total, s.result);
    if (s.key == 4600 || (s.key == 4200 && *s.status == 0)) {
      modifiedStrain(s, s.result);
      *s.status = 0;
    }
  };
  const auto elastic = [&](auto routine) {
    routine(P, F, block, &s.key, s.answer, s.status, &s.n, &s.direct, &s.storedDirect, &s.shear, &s.storedShear);
  };
  switch (code) {
    case 200: case 202: case 203: case 204: case 209: return strainFamily(ACC_SDB_ELEMKEYPLASTIC);
    case 201: return strainFamily(ACC_SDB_ELEMKEYDUCTILEFAIL);
    case 303: case 304: case 305: case 306: return strainFamily(ACC_SDB_ELEMKEYEOSPLASTIC);
    case 205: return strainFamily(ACC_SDB_ELEMKEYPLASTICFOAM);
    case 206: return strainFamily(ACC_SDB_ELEMKEYCAP);
    case 207: return strainFamily(ACC_SDB_ELEMKEYGURSON);
    case 210: return strainFamily(ACC_SDB_ELEMKEYCRUSHFOAM);
    case 208: return elastic(ACC_SDB_ELEMKEYBRIT);
    case 101: case 102: return elastic(ACC_SDB_ELEMKEYORTHO);
    case 103: return elastic(ACC_SDB_ELEMKEYANISO);
    case 105: case 112: return elastic(ACC_SDB_ELEMKEYHYPERPOLY);
    case 107: case 114: return elastic(ACC_SDB_ELEMKEYHYPEROGDEN);
    case 109: case 116: return elastic(ACC_SDB_ELEMKEYHYPERFOAM);
    case 111: return elastic(ACC_SDB_ELEMKEYVISELASTIC);
    case 118: case 120: return elastic(ACC_SDB_ELEMKEYHYPERAB);
    case 119: case 121: return elastic(ACC_SDB_ELEMKEYHYPERVDW);
    case 601:
      return ACC_SDB_ELEMKEYVUMAT(P, block, &s.key, s.answer, s.status, &s.n, &s.direct, &s.storedDirect, &s.shear,
                                  &s.storedShear);
    case 106: case 108: case 110: case 113: case 115: case 117: case 301: case 302:
      // No material routine: the total strain alone.
      if (s.key == 4600) {
        modifiedStrain(s, s.total);
        *s.status = 0;
      }
      return;
    default:
      return;
  }
}

void solidSegment(const SolidSegment& s) {
  const Int n = s.n;
  float* out = s.answer;
  const bool planar = s.type == kQuadrilateral || s.type == kAxisymmetric;
  switch (s.key) {
    case 8900:
    case 9000:
    case 31000:
      if (s.point != 0) {
        *s.status = 1;
        return;
      }
      for (Int i = 0; i < n; ++i) {
        float value = thickness(s, i);
        if (s.key != 8900 && s.reduced != 0) value *= s.elementArray[i + 2 * n];
        if (s.key == 31000) value *= s.factor[i];
        out[i] = value;
      }
      return;
    case 9302: {
      float sum = 0.0F;
      Int count = 0;
      for (Int i = 0; i < n; ++i)
        if (s.values9302[i] > 0.0F) sum += s.values9302[i], ++count;
      const float value = count > 0 ? sum / (2.0F * static_cast<float>(count)) : 0.0F;
      std::fill_n(out, n, value);
      return;
    }
    case 27000:
      if (s.point == 0) break;
      gatherCorners(s, s.referenceSwitch == 1 ? s.summed : s.firstRead, 3);
      return ACC_SDB_REBARANGLEMEMBRANE(&s.n, s.rotation, groupArray(s, s.pointShared, 33), s.corners,
                                        groupArray(s, s.groupDomain, 31), groupArray(s, s.groupDomain, 32),
                                        &s.referenceSwitch, out);
    case 9800:
      if (s.type == kMembrane) {
        gatherCorners(s, s.summed, 3);
        return EDI_UTI_M3DQ4HGFORCE(&s.n, s.hourglass, s.corners, s.area, out, s.drill, s.rotation);
      }
      if (s.type == kHexahedron) {
        gatherCorners(s, s.summed, 3);
        return EDI_UTI_C3DH8HGFORCE(&s.n, s.hourglass, s.corners, s.area, out, s.computedRotation);
      }
      if (planar) {
        gatherCorners(s, s.summed, 2);
        return (s.type == kQuadrilateral ? EDI_UTI_C2DQ4HGFORCE : EDI_UTI_CAXQ4HGFORCE)(&s.n, s.hourglass, s.corners,
                                                                                    s.area, out, s.computedRotation);
      }
      *s.status = 1;
      return;
    case 11000: {
      const Int rotated = 1;
      if (s.type == kMembrane) return EDI_OPE_DIRECTORM3D(&s.n, s.drill, s.rotation, out);
      if (s.type == kHexahedron) return EDI_OPE_DIRECTORC3D(&s.n, s.computedRotation, out, &rotated);
      if (planar) return EDI_OPE_DIRECTORC2D(&s.n, s.computedRotation, out, &rotated);
      *s.status = 1;
      return;
    }
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
      if (s.groupKind == 1) {
        std::copy_n(groupArray(s, s.pointState, 28), n, out);
        return;
      }
      return modifiedStrain(s, s.total);
    case 1000: {
      const float* stress = groupArray(s, s.pointState, 1);
      if (s.groupKind == 1) {
        std::copy_n(stress, n, out);
        return;
      }
      const float* source = stress;
      if (stressTurned(s)) {
        const Int inverse = 0;
        // The operators' rotation for their types; the stored one (a pair) for the others.
        const float* planar = s.type == kQuadrilateral ? s.computedRotation : s.rotation;
        if (s.type == kHexahedron)
          ACC_GDB_SYMROTS33S33(&s.n, &inverse, s.computedRotation, stress, s.work);
        else if (s.type == kAxisymmetric)
          ACC_GDB_SYMROTS31S31(&s.n, &inverse, s.computedRotation, stress, s.work);
        else if (s.reduced == 0)
          ACC_GDB_SYMROTS31S31(&s.n, &inverse, planar, stress, s.work);
        else {
          // The in-plane tensor (11, 22, 12) of the stored (11, 22, 33, 12), turned in place and
          // copied with its two direct components.
          std::copy_n(stress, 2LL * n, s.work);
          std::copy_n(stress + 3LL * n, n, s.work + 2LL * n);
          ACC_GDB_SYMROTS21S21(&s.n, &inverse, planar, s.work, s.work);
          const Int inPlane = 2;
          return ACC_GDB_COPYR(&s.n, &s.direct, &s.shear, &inPlane, &s.storedShear, s.work, out);
        }
        source = s.work;
      }
      return ACC_GDB_COPYR(&s.n, &s.direct, &s.shear, &s.storedDirect, &s.storedShear, source, out);
    }
    default:
      return materialKey(s);
  }
}

}  // namespace

void solidKind(const ClassRequest& r) {
  Request& request = r.request;
  const Words& t = r.table;
  const Int type = r.TR(L::kTypeCode), nodes = type & 31;
  const SolidType kind = solidType(type, r.TR(L::kTypeFlags));
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
  const Int groupKind = GR(19);
  const long long entry = r.TR(L::kTypeVariables) + static_cast<long long>(L::kSolidEntryWords) * (pick.group - 1);
  GroupTables g;
  if (!readGroupTables(r, layout, g) || !t.has(entry) || !t.has(entry + L::kSolidEntryWords - 1)) {
    request.damaged("CLASS VARIABLES OF CLASS " + std::to_string(r.elementClass));
    *r.status = 1;
    return;
  }
  const long long own = g.own, material = g.material, variables = g.variables;
  Counts counts = solidCounts(r.key, type, kind, groupKind == 1, r.point);
  if (r.key == 6500 && groupKind != 1) {
    const Int m = stateVariableCount(r, g);
    counts = Counts{m, 0, m, 0};
  }
  if (counts.direct <= 0 && counts.shear <= 0) {
    *r.status = 1;
    return;
  }
  *r.direct = counts.direct;
  *r.shear = counts.shear;
  const Int c = r.key == 11000 ? 9 : counts.direct + counts.shear;
  const long long width = std::max<long long>({c, 0LL + counts.storedDirect + counts.storedShear, 6});
  ClassBlocks blocks(request);
  if (!blocks.read(r)) {
    *r.status = 1;
    return;
  }
  const Int L = blocks.length, N = r.TR(L::kTypeElements);
  Block strain(request), gradient(request), rotation(request), stretches(request), corners(request), total(request),
      result(request), work(request);
  if (!makeScratch(request, strain, 6LL * L) || !makeScratch(request, gradient, 9LL * L) ||
      !makeScratch(request, rotation, 4LL * L) || !makeScratch(request, stretches, 3LL * L) ||
      !makeScratch(request, corners, 3LL * 8 * L) || !makeScratch(request, total, width * L) ||
      !makeScratch(request, result, width * L) || !makeScratch(request, work, width * L)) {
    *r.status = 1;
    return;
  }
  const auto scratch = [](const Block& b) { return reinterpret_cast<float*>(const_cast<Int*>(b.data())); };
  std::fill_n(scratch(stretches), 3LL * L, 1.0F);
  float* answer = packageAnswer(r, 1LL * c * N);
  const long long list = r.CR(L::kClassGroupList), realBase = r.CR(L::kClassReals);
  const long long section = realBase + t.i(list + 5) - 1, nodeLists = r.TR(L::kTypeNodeLists);
  if (answer == nullptr || !r.reals.has(section) || !r.reals.has(section + L::kSectionRealWords - 1) ||
      !t.has(nodeLists + 1) || !request.ok()) {
    *r.status = 1;
    return;
  }
  SolidSegment s{};
  s.key = r.key, s.point = pick.point, s.direct = counts.direct, s.shear = counts.shear;
  s.storedDirect = counts.storedDirect, s.storedShear = counts.storedShear, s.type = type, s.reduced = kind.reduced;
  s.status = r.status, s.referenceSwitch = r.referenceSwitch, s.groupKind = groupKind;
  s.thicknessFlag = GR(5), s.orientation = GR(2), s.nodes = nodes, s.K1 = r.K1, s.K2 = r.K2;
  s.section = reinterpret_cast<const float*>(r.reals.data()) + section - 1;
  s.groupVariables = t.data() + variables - 1, s.material = t.data() + material - 1, s.table = t.data();
  s.ownTable = t.data() + own - 1, s.nodeLists = t.data() + nodeLists - 1;
  s.summed = r.summed, s.firstRead = r.firstRead;
  s.strain = scratch(strain), s.gradient = scratch(gradient), s.computedRotation = scratch(rotation);
  s.corners = scratch(corners), s.total = scratch(total), s.result = scratch(result), s.work = scratch(work);
  const Int pointWords = counts.storedDirect + counts.storedShear;
  const Int strainWords = kind.D + kind.S;  // the total strain: 6 or 4 columns at most
  const auto EV = [&](int word) { return 0LL + t.i(entry + word - 1); };
  const auto GV = [&](int word) { return 0LL + t.data()[variables + word - 2]; };
  const Int centre = r.CR(L::kClassCentreFlag);
  const Int components = gatheredComponents(type, r.key, pick.point);
  const Int* connectivity = reinterpret_cast<const Int*>(blocks.integers.data());
  // Only the material keys read the material block; they and the strain key the total strain.
  const bool toMaterial = readsMaterial(r.key, pick.point) && r.key != 9302;
  const bool usesTotal = toMaterial || (r.key == 2400 && groupKind != 1);
  for (Int segment = 0; segment < blocks.segments && *r.status == 0; ++segment) {
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
    const bool solid3 = type == kHexahedron || type == kMembrane;
    s.rotation = state(o501 + EV(2), solid3 ? 4 : 2);
    s.elementArray = state(o501 + EV(3), type == kHexahedron ? 9 : 5);
    s.hourglass = state(o501 + EV(10), type == kHexahedron ? 12 : type == kMembrane ? 3 : 2);
    s.drill = state(o501 + EV(11), 2);
    s.factor = state(o501 + EV(16), 1);
    s.area = state(o501 + EV(29), 1);
    s.values9302 = shared(o502 + EV(20), 1);
    s.value33000 = shared(o502 + EV(22), 1);
    s.pointState = state(point501, 0);
    s.pointShared = shared(point502, 0);
    s.groupDomain = domain(group202, 0);
    s.segmentIntegers = connectivity + 1LL * segment * blocks.words[0];
    const bool materialOk =
        !toMaterial || materialInside(r, blocks, g, segment, point501, 1LL * n * std::max(pointWords, 1));
    const long long first = t.i(nodeLists);
    // The strain operators and the corner gathers read the connectivity, at most 8 nodes an
    // element (the corner block's room).
    const bool listOk = components == 0 || (nodes <= 8 && first >= 1 && first - 1 + 1LL * n * nodes <= blocks.words[0]);
    const bool arraysOk =
        s.rotation && s.elementArray && s.hourglass && s.drill && s.factor && s.area && s.values9302 && s.value33000 &&
        s.pointState && s.pointShared && s.groupDomain && materialOk && listOk &&
        state(point501 + GV(1), stressColumns(s, pointWords)) && state(point501 + GV(3), 4) &&
        state(point501 + GV(4), 1) && state(point501 + GV(28), usesTotal ? strainWords : 1) &&
        shared(point502 + GV(22), 1) && shared(point502 + GV(33), 2) && domain(group202 + GV(21), 1) &&
        domain(group202 + GV(31), 2) && domain(group202 + GV(32), 1) && state(o501 + EV(28), 12);
    // The operators and the corner gathers read coordinates at the stored local node numbers.
    const Int start = segment * blocks.words[0] + first;
    const bool nodesOk =
        components == 0 ||
        (arraysOk && gatherInside(r, s.segmentIntegers + (first - 1), 1LL * n * nodes, r.K2, components));
    if (!arraysOk || !nodesOk || !request.ok()) {
      *r.status = 1;
      break;
    }
    // The strain operators of the type: gradient, total strain and rotation of the segment.
    const Int strainFlag = 1, rotate = 1, copy = 0;
    if (type == kHexahedron)
      EDI_UTI_C3DH8STRAIN(&copy, &centre, &strainFlag, &s.n, s.rotation, s.elementArray, scratch(stretches), &rotate,
                          connectivity, &s.K1, &start, centre != 0 ? r.displacement : r.summed, r.firstRead, s.strain,
                          s.gradient, s.computedRotation);
    if (type == kQuadrilateral || type == kAxisymmetric) {
      const Int axisymmetric = type == kAxisymmetric ? 1 : 0;
      EDI_UTI_C2DSTRAIN(&axisymmetric, &copy, &strainFlag, &s.n, s.rotation, s.elementArray, scratch(stretches),
                        &rotate, connectivity, &s.K1, &start, r.summed, r.firstRead, s.strain, s.gradient,
                        s.computedRotation);
    }
    if (r.point == 0 && r.key == 33000) {
      std::copy_n(s.value33000, n, s.answer);
      continue;
    }
    if (r.point == 0 && r.key == 30000) {
      const float* source = operatorType(type) ? s.gradient : s.elementArray;
      if (type == kMembrane) {
        const Int small = 0, stretchDirect = kind.fullDirect;
        ACC_SDB_EXTRACTSHELLMEMJACOBIAN(&s.n, &s.direct, &s.shear, &stretchDirect, &s.type, &small, s.elementArray,
                                        s.drill, s.work, s.answer);
      } else {
        ACC_GDB_COPYR(&s.n, &s.direct, &s.shear, &s.storedDirect, &s.storedShear, source, s.answer);
      }
      continue;
    }
    const bool column = r.key == 19001 || r.key == 19002 || r.key == 19003 || r.key == 19005 || r.key == 19006;
    if (column || r.key == 27100 || (r.key == 31000 && !kind.reduced)) {
      const float* source = r.key == 27100 ? domain(group202 + GV(32), 1)
                            : r.key == 31000 ? s.factor
                                             : state(o501 + EV(28), 12) + 1LL * (r.key == 19001 ? 11 : r.key - 19002) * n;
      std::copy_n(source, n, s.answer);
      continue;
    }
    // The total strain: the operators' for their types, the stored one for the others.
    if (usesTotal)
      std::copy_n(operatorType(type) ? s.strain : groupArray(s, s.pointState, 28), 1LL * n * strainWords, s.total);
    solidSegment(s);
  }
  if (*r.status == 0 && request.ok()) advancePackage(1LL * c * N);
}

}  // namespace zmx::imp

extern "C" {

void ACC_SDB_ELEMKEYSOLIDSEG(const Int* key, const Int* n, const Int* point, const Int* direct, const Int* shear,
                             const Int* storedDirect, const Int* storedShear, const Int* type, const Int* reduced,
                             Int* status, const Int* referenceSwitch, const Int* groupKind, const Int* thicknessFlag,
                             const Int* orientation, const Int* nodes, const Int* K1, const Int* K2,
                             const float* section, const float* rotation, const float* elementArray,
                             const float* hourglass, const float* drill, const float* factor, const float* area,
                             const float* values9302, const float* value33000, const float* pointState,
                             const float* pointShared, const float* groupDomain, const Int* groupVariables,
                             const Int* material, const Int* table, const Int* ownTable, const Int* segmentIntegers,
                             const Int* nodeLists, const float* summed, const float* firstRead, float* strain,
                             float* gradient, float* computedRotation, float* corners, float* total, float* result,
                             float* work, float* answer) {
  using namespace zmx::imp;
  SolidSegment s{*key,        *n,          *point,      *direct,     *shear,       *storedDirect, *storedShear,
                 *type,       *reduced,    status,      *referenceSwitch, *groupKind, *thicknessFlag, *orientation,
                 *nodes,      *K1,         *K2,         section,     rotation,    elementArray, hourglass,
                 drill,       factor,      area,        values9302,  value33000,  pointState,  pointShared,
                 groupDomain, groupVariables, material, table,       ownTable,    segmentIntegers, nodeLists,
                 summed,      firstRead,   strain,      gradient,    computedRotation, corners, total,
                 result,      work,        answer};
  solidSegment(s);
}

}  // extern "C"
