// The entry of the element-state readers: one state key of one element class at one point
// ordinal, for every element of the class, from the stored state of one increment. The request
// is checked, the class's domain state opened, the nodal blocks formed, and the class's kind
// routine (continuum, shell, beam) fills an answer in the temporary package.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "import/reader/restart_data.h"
#include "import/state/element_context.h"
#include "siblings/glo/block_store.h"
#include "siblings/glo/vector_routines.h"
#include "zmx/import/state.h"

namespace zmx::imp {

void shellKind(const ClassRequest& r);
void solidKind(const ClassRequest& r);
void beamKind(const ClassRequest& r);

GroupPick findGroup(const ClassRequest& r) {
  const long long list = r.CR(L::kClassGroupList);
  const Int groups = r.table.i(list);
  const long long first = list + r.table.i(list + 3) - 1;
  long long before = 0;
  for (Int g = 1; g <= groups && r.request.ok(); ++g) {
    const long long record = first + static_cast<long long>(L::kGroupRecordWords) * (g - 1);
    const Int points = r.table.i(record);
    if (r.point <= before + points) return GroupPick{g, static_cast<Int>(r.point - before), record};
    before += points;
  }
  return {};
}

bool ClassBlocks::read(const ClassRequest& r) {
  const long long numbers = r.CR(L::kClassBlockNumbers), lengths = r.CR(L::kClassBlockWords);
  const long long multiplier = 1LL * r.CR(11) * r.CR(12);
  segments = r.CR(L::kClassSegments);
  length = r.TR(L::kTypeSegmentLength);
  const Int elements = r.TR(L::kTypeElements);
  // A damaged class: no segment length, or too few segments for its elements.
  if (!r.request.ok() || length < 1 || segments < 0 || 1LL * segments * length < elements || multiplier < segments)
    return false;
  const int table[4] = {L::kBlockDomainIntegers, L::kBlockDomainReals, L::kBlockState, L::kBlockSharedState};
  const int handles[4] = {rw::kDomainData, rw::kDomainData, rw::kState, rw::kSharedState};
  Block* blocks[4] = {&integers, &domain, &state, &shared};
  for (int k = 0; k < 4; ++k) {
    words[k] = r.table.i(lengths + table[k] - 1);
    const long long size = words[k] * multiplier;
    if (words[k] < 0 || !blockLength(r.request, size)) return false;
    if (!blocks[k]->read(rho(handles[k]), r.table.i(numbers + table[k] - 1), static_cast<Int>(size), k != 0))
      return false;
  }
  return r.request.ok();
}

float* ClassBlocks::at(const Block& block, int which, Int segment, long long offset, long long count) const {
  if (offset < 0 || count < 0 || offset > words[which] - count) {
    block.request().damaged("ARRAY AT " + std::to_string(offset) + " OF " + std::to_string(count) + " WORDS");
    return nullptr;
  }
  Int* base = const_cast<Int*>(block.data());
  return base == nullptr ? nullptr : reinterpret_cast<float*>(base + 1LL * segment * words[which] + offset);
}

bool readGroupTables(const ClassRequest& r, long long layout, GroupTables& g) {
  const Words& t = r.table;
  g.layout = layout;
  g.own = t.i(layout + 1);
  g.material = t.i(layout + 7);
  g.variables = t.i(layout + 8);
  g.flags = g.own + t.i(g.own + 1) - 1;
  g.positions = t.i(g.material + 4);
  if (t.has(g.own) && t.has(g.flags) && t.has(g.flags + L::kMaterialFlags - 1) && t.has(g.material) &&
      t.has(g.material + L::kMaterialRecordWords - 1) && t.has(g.positions) && t.has(g.variables) &&
      t.has(g.variables + 36))
    return true;
  r.request.damaged("GROUP TABLES OF CLASS " + std::to_string(r.elementClass));
  return false;
}

Int stateVariableCount(const ClassRequest& r, const GroupTables& g) {
  Int m = 0;
  const Int code = r.table.i(g.material);
  const Int* own = r.table.data() + g.own - 1;
  ACC_GDB_GETSVDNUMBER(own, &code, own, &m);
  return m;
}

bool materialInside(const ClassRequest& r, const ClassBlocks& blocks, const GroupTables& g, Int segment,
                    long long point501, long long widest, const std::vector<int>& extra) {
  const long long region = r.table.i(g.layout + 6), offset = r.table.i(g.material + 2);
  if (offset < 0 || blocks.at(blocks.state, 2, segment, point501, region) == nullptr) return false;
  std::vector<int> read = materialPositions(r.table.i(g.material), r.key, r.table.data() + g.flags - 1);
  read.insert(read.end(), extra.begin(), extra.end());
  for (const int i : read) {
    if (!r.table.has(g.positions + i - 1)) return false;
    const long long p = r.table.i(g.positions + i - 1);
    if (p < 1 || offset + p - 1 + widest > region) return false;
  }
  return true;
}

void pointProduct(Int key, Int n, const float* values, const float* factor, float* out) {
  const long long column = key == 14001 ? 0 : key == 14002 ? 1 : 3;
  for (Int i = 0; i < n; ++i) out[i] = values[i + column * n] * (factor != nullptr ? factor[i] : 1.0F);
}

bool gatherInside(const ClassRequest& r, const Int* numbers, long long count, Int nodes, Int components) {
  if (r.K1 < components) {
    r.request.damaged("NODE LAYOUT OF " + std::to_string(r.K1) + " COMPONENTS");
    return false;
  }
  for (long long k = 0; k < count; ++k)
    if (numbers[k] < 1 || numbers[k] > nodes) {
      r.request.damaged("NODE " + std::to_string(numbers[k]) + " OF CLASS " + std::to_string(r.elementClass));
      return false;
    }
  return true;
}

bool makeScratch(Request& request, Block& block, long long words) {
  return blockLength(request, words) && block.make(static_cast<Int>(words), true);
}

float* packageAnswer(const ClassRequest& r, long long words) {
  const Int package = rho(rw::kPackage), fill = rho(rw::kPackageFill);
  if (package == 0 || words < 0 || words > 0LL + rho(rw::kPackageWords) - fill) return nullptr;
  *r.index = package + fill;
  return words == 0 ? reinterpret_cast<float*>(baseWords(r.request, package + fill, 0))
                    : reinterpret_cast<float*>(baseWords(r.request, package + fill, static_cast<Int>(words)));
}

bool readsMaterial(Int key, Int point) {
  switch (key) {
    case 1100: case 5000: case 2200: case 4200: case 4600: case 2300: case 2500: case 2700: case 3000: case 9302:
    case 4000: case 9200: case 6500: return true;
    case 30000: return point != 0;
    default: return false;
  }
}

void advancePackage(long long words) { rho(rw::kPackageFill) += static_cast<Int>(words); }

namespace {

// The summed nodal block and, for shells, the nodal quaternions of the class's domain.
bool nodalBlocks(ClassRequest& r, Block& summed, Block& reference, Block& displacement, Block& quaternions) {
  const Int d = r.CR(L::kClassDomain);
  const long long entry = 0LL + r.table.i(L::kNodeEntries) + static_cast<long long>(L::kNodeEntryWords) * (d - 1) - 1;
  r.K1 = r.table.i(r.table.i(tableRow(d, L::kRowNodeLayout)));
  r.K2 = r.table.i(entry + L::kEntryNodes);
  r.K2second = r.table.i(entry + L::kEntryRotNodes);
  const long long size = 1LL * r.K1 * r.K2;
  const Slot local = groupSlot(r.table, L::kOffsetTranslational, L::kTranslationalSlots, d, L::kTLocalCoordinates);
  const Slot moved = groupSlot(r.table, L::kOffsetTranslational, L::kTranslationalSlots, d, L::kTDisplacement);
  if (!r.request.ok() || !blockLength(r.request, size)) return false;
  openDomainData(d);
  if (!makeScratch(r.request, summed, size) || !reference.read(rho(rw::kDomainData), local.number, static_cast<Int>(size), true) ||
      !displacement.read(rho(rw::kState), moved.number, static_cast<Int>(size), true))
    return false;
  const Int words = static_cast<Int>(size);
  GLO_UTI_VADDR(&words, reinterpret_cast<float*>(const_cast<Int*>(summed.data())),
                reinterpret_cast<const float*>(reference.data()), reinterpret_cast<const float*>(displacement.data()));
  r.summed = reinterpret_cast<const float*>(summed.data());
  r.firstRead = reinterpret_cast<const float*>(reference.data());
  r.displacement = reinterpret_cast<const float*>(displacement.data());
  if (r.CR(1) == 20) {
    // The nodal quaternions with their stored length: 4 values per node with rotations.
    const Slot q = groupSlot(r.table, L::kOffsetRotational, L::kRotationalSlots, d, L::kRQuaternions);
    if (!blockLength(r.request, 4LL * r.K2second) ||
        !quaternions.read(rho(rw::kState), q.number, 4 * r.K2second, true))
      return false;
    r.secondState = reinterpret_cast<const float*>(quaternions.data());
  }
  return r.request.ok();
}

// The restart-side model block of the open step data (partition 203), whose word 51 is the
// reference-angle switch; false when no step data is open.
bool readRestartBlock(Block& block) {
  if (!stepDataOpen()) return false;
  Block directory(block.request());
  if (!directory.read(rho(rw::kStep), 1, L::kStepDirectoryWords, false) || directory.i(4) < 1) return false;
  return block.read(rho(rw::kStep), directory.i(4), directory.i(1), false) &&
         block.words().has(L::kReferenceAngleSwitch);
}

// The address of the table whose position stands in word `word` of the model table, or null when
// that position lies outside it.
const Int* tableAt(const Words& t, long long word) {
  const long long position = t.has(word) ? t.i(word) : 0;
  return t.has(position) ? t.data() + position - 1 : nullptr;
}

// The lengths of the integer and real model tables, from the model partition's directory.
bool modelLengths(Request& request, Int& tableLength, Int& realsLength) {
  Block directory(request);
  if (!directory.read(rho(rw::kModel), 1, L::kModelDirectoryWords, false)) return false;
  tableLength = directory.i(1);
  realsLength = directory.i(2);
  return request.ok();
}

// The address of word `word` of the table from position p on, or null outside the table.
const Int* wordAt(const Words& t, long long p, long long word = 1) {
  return t.has(p) && t.has(p + word - 1) ? t.data() + p + word - 2 : nullptr;
}

// Hands the request to the routine of the class's kind with the arguments that routine takes:
// the class record, the tables of the class and its type, the nodal blocks and the counts.
void callKind(ClassRequest& r) {
  const Words& t = r.table;
  const long long list = r.CR(L::kClassGroupList), type = r.CR(2);
  const Int* groupList = wordAt(t, list);
  const Int* groupRecords = wordAt(t, list + t.i(list + 3) - 1);
  const Int* typeRecord = wordAt(t, type);
  const Int* blockNumbers = wordAt(t, r.CR(L::kClassBlockNumbers));
  const Int* blockWords = wordAt(t, r.CR(L::kClassBlockWords));
  const Int* groupLayouts = wordAt(t, r.TR(L::kTypeGroupLayouts));
  const Int* classVariables = wordAt(t, r.TR(L::kTypeVariables));
  const long long realData = r.CR(L::kClassReals);
  const float* classReals =
      r.reals.has(realData) ? reinterpret_cast<const float*>(r.reals.data()) + realData - 1 : nullptr;
  const Int* record15 = wordAt(t, r.record, 15);
  const Int* record8 = wordAt(t, r.record, L::kClassSegments);
  const Int product = static_cast<Int>(std::clamp<long long>(1LL * r.CR(11) * r.CR(12), INT32_MIN, INT32_MAX));
  if (!r.request.ok()) return;
  switch (r.CR(1)) {
    case 10:
      ACC_SDB_ELEMKEYSOLID(record15, &r.key, &r.point, r.direct, r.shear, r.index, r.status, &r.referenceSwitch,
                           groupList, groupList, groupRecords, typeRecord, classReals, blockNumbers, blockWords,
                           groupLayouts, classVariables, r.summed, r.firstRead, &r.K1, &r.K2, t.data(), &product,
                           record8, &r.thicknessSwitch);
      return;
    case 20:
      ACC_SDB_ELEMKEYSHELL(&r.key, &r.point, r.direct, r.shear, &r.thicknessSwitch, r.index, r.status,
                           &r.referenceSwitch, groupList, groupList, groupRecords, typeRecord, classReals,
                           blockNumbers, blockWords, groupLayouts, classVariables, r.summed, r.firstRead,
                           r.secondState, &r.K1, &r.K2, &r.K2second, t.data(), &product, record8);
      return;
    default:  // 30: elementKey hands on no other kind
      ACC_SDB_ELEMKEYBEAM(&r.key, &r.point, r.direct, r.shear, r.index, r.status, groupList, groupRecords,
                          typeRecord, classReals, blockNumbers, blockWords, groupLayouts, classVariables, t.data(),
                          &product, record8);
  }
}

void elementKey(ClassRequest& r) {
  const Int kind = r.CR(1);
  // A class the writer stored no state for (no block number in 501) is quietly not available.
  const bool stored = r.table.i(0LL + r.CR(L::kClassBlockNumbers) + L::kBlockState - 1) != 0;
  if (!r.request.ok() || (kind != 10 && kind != 20 && kind != 30) || !stored) {
    *r.status = 1;
    return;
  }
  Block summed(r.request), reference(r.request), displacement(r.request), quaternions(r.request);
  if (!nodalBlocks(r, summed, reference, displacement, quaternions)) {
    *r.status = 1;
    return;
  }
  callKind(r);
  if (!r.request.ok()) *r.status = 1;
}

bool classInRange(const Words& t, Int c) {
  return c >= 1 && c <= t.i(L::kClasses) &&
         t.has(t.i(L::kClassRecords) + static_cast<long long>(L::kClassRecordWords) * c - 1);
}

}  // namespace

// One class's key with its domain state open.
void classKey(const Int* key, const Int* elementClass, const Int* point, Int* direct, Int* shear, Int* index,
              Int* status, const Int* table, const Int* tableLength, const float* reals, const Int* realsLength,
              const Int* referenceAngleSwitch) {
  Request request("ACC_SDB_ELEMKEY1");
  ClassRequest r{request, Words(request, table, *tableLength),
                 Words(request, reinterpret_cast<const Int*>(reals), *realsLength)};
  // The counts and the index are the kind routine's to write; a class it does not reach leaves them.
  if (!classInRange(r.table, *elementClass)) {
    *status = 1;
    return;
  }
  r.elementClass = *elementClass;
  r.record = r.table.i(L::kClassRecords) + static_cast<long long>(L::kClassRecordWords) * (*elementClass - 1);
  r.key = *key;
  r.point = *point;
  r.direct = direct;
  r.shear = shear;
  r.index = index;
  r.status = status;
  r.referenceSwitch = *referenceAngleSwitch;
  r.thicknessSwitch = r.table.i(0LL + r.table.i(L::kGlobalTable) + L::kThicknessSwitch - 1);
  elementKey(r);
}

// A kind routine called with the arguments its entry forms. The class record is found from the
// address of its word 8 in the integer model table, and the real model table from the address of
// the class's real data; the tables' lengths come from the model partition's directory.
struct KindArguments {
  const Int* record8;
  Int key, point;
  Int *direct, *shear, *index, *status;
  Int referenceSwitch, thicknessSwitch;
  const Int* table;
  const float* classReals;
  const float *summed, *firstRead, *secondState;
  Int K1, K2, K2second;
};

void kindFromArguments(const char* routine, int kind, const KindArguments& a) {
  Request request(routine);
  *a.status = 1;
  Int tableLength = 0, realsLength = 0;
  if (a.table == nullptr || a.record8 == nullptr || !modelLengths(request, tableLength, realsLength)) return;
  const long long record = (a.record8 - a.table) - (L::kClassSegments - 1) + 1;
  ClassRequest r{request, Words(request, a.table, tableLength), Words()};
  const long long records = r.table.i(L::kClassRecords);
  const long long c = (record - records) / L::kClassRecordWords + 1;
  if (!request.ok() || record < records || (record - records) % L::kClassRecordWords != 0 ||
      !classInRange(r.table, static_cast<Int>(std::min<long long>(c, INT32_MAX))))
    return;
  r.elementClass = static_cast<Int>(c);
  r.record = record;
  if (r.CR(1) != kind) return;
  const long long realData = r.CR(L::kClassReals);
  if (a.classReals != nullptr && realData >= 1 && realData <= realsLength)
    r.reals = Words(request, reinterpret_cast<const Int*>(a.classReals - (realData - 1)), realsLength);
  r.key = a.key;
  r.point = a.point;
  r.direct = a.direct;
  r.shear = a.shear;
  r.index = a.index;
  r.status = a.status;
  r.referenceSwitch = a.referenceSwitch;
  r.thicknessSwitch = a.thicknessSwitch;
  r.K1 = a.K1;
  r.K2 = a.K2;
  r.K2second = a.K2second;
  r.summed = a.summed;
  r.firstRead = a.firstRead;
  r.secondState = a.secondState;
  if (r.summed == nullptr || r.firstRead == nullptr || (kind == 20 && r.secondState == nullptr)) return;
  // The displacement alone, for the strain operators that take it apart from the reference.
  Block displacement(request);
  const long long size = 1LL * r.K1 * r.K2;
  if (kind == 10) {
    if (!makeScratch(request, displacement, size)) return;
    float* moved = reinterpret_cast<float*>(const_cast<Int*>(displacement.data()));
    for (long long k = 0; k < size; ++k) moved[k] = r.summed[k] - r.firstRead[k];
    r.displacement = moved;
  }
  *a.status = 0;
  if (kind == 10) solidKind(r);
  if (kind == 20) shellKind(r);
  if (kind == 30) beamKind(r);
  if (!request.ok()) *a.status = 1;
}

}  // namespace zmx::imp

extern "C" {

void ACC_SDB_ELEMKEY(const Int* step, const Int* increment, const Int* key, const Int* elementClass, const Int* point,
                     Int* direct, Int* shear, Int* index, Int* status) {
  using namespace zmx::imp;
  Request request("ACC_SDB_ELEMKEY");
  Int incrementKeyValue = 0;
  *status = incrementKey(request, *step, *increment, incrementKeyValue);
  if (*status == 2) *index = kNoBlock;
  if (*status != 0) return;
  Model model(request);
  if (!readModel(request, model, true) || !classInRange(model.table.words(), *elementClass)) {
    *status = 1;
    return;
  }
  openStatePair(incrementKeyValue, model.table.words().i(model.table.words().i(L::kClassRecords) +
                                                          static_cast<long long>(L::kClassRecordWords) *
                                                              (*elementClass - 1) + L::kClassDomain - 1));
  const Words& t = model.table.words();
  const Int d = t.i(t.i(L::kClassRecords) + static_cast<long long>(L::kClassRecordWords) * (*elementClass - 1) +
                    L::kClassDomain - 1);
  // Without step data the restart-side block reads as zeros (no reference angles).
  Block restart(request);
  const Int noRestart[L::kReferenceAngleSwitch] = {};
  const Int* restartBlock = readRestartBlock(restart) ? restart.data() : noRestart;
  if (request.ok())
    ACC_SDB_ELEMKEY1(key, elementClass, point, direct, shear, tableAt(t, L::kGlobalTable), index,
                     tableAt(t, tableRow(d, L::kNodeEntries)), tableAt(t, tableRow(d, L::kRowNodeLayout)),
                     tableAt(t, tableRow(d, L::kBlockList)), tableAt(t, tableRow(d, L::kGroupOffsets)), status,
                     tableAt(t, L::kClassRecords), t.data(), reinterpret_cast<const float*>(model.reals.data()),
                     restartBlock);
  if (!request.ok()) *status = 1;
  // The offset goes onto the index whatever the worker answered; a status other than 0 makes the
  // index meaningless, and the sum wraps rather than overflow.
  *index = static_cast<Int>(static_cast<std::uint32_t>(*index) + static_cast<std::uint32_t>(indexOffset()));
}

void ACC_SDB_ELEMKEY1(const Int* key, const Int* elementClass, const Int* point, Int* direct, Int* shear,
                      const Int* globalEntry, Int* index, const Int* /*nodeEntry*/, const Int* /*nodeLayout*/,
                      const Int* /*blockNumbers*/, const Int* /*groupOffsets*/, Int* status, const Int* /*classTable*/,
                      const Int* table, const float* reals, const Int* restartBlock) {
  using namespace zmx::imp;
  // The tables are those the model partition holds; their lengths come from its directory.
  Request request("ACC_SDB_ELEMKEY1");
  Int tableLength = 0, realsLength = 0;
  const Words restart = callerWords(request, restartBlock, L::kReferenceAngleSwitch);
  const Words entry = callerWords(request, globalEntry, L::kGlobalTableWords);
  if (!modelLengths(request, tableLength, realsLength) || !restart.has(L::kReferenceAngleSwitch) ||
      !entry.has(L::kThicknessSwitch)) {
    *status = 1;
    return;
  }
  const Int referenceAngleSwitch = restart.i(L::kReferenceAngleSwitch);
  classKey(key, elementClass, point, direct, shear, index, status, table, &tableLength, reals, &realsLength,
           &referenceAngleSwitch);
}

void ACC_SDB_ELEMKEYSOLID(const Int* /*record15*/, const Int* key, const Int* point, Int* direct, Int* shear, Int* index,
                          Int* status, const Int* restart51, const Int* /*groupList*/, const Int* /*groupListAgain*/,
                          const Int* /*groupRecords*/, const Int* /*typeRecord*/, const float* classReals,
                          const Int* /*blockNumbers*/, const Int* /*blockWords*/, const Int* /*groupLayouts*/,
                          const Int* /*classVariables*/, const float* summed, const float* firstRead, const Int* K1,
                          const Int* K2, const Int* table, const Int* /*segmentProduct*/, const Int* record8,
                          const Int* global3) {
  zmx::imp::kindFromArguments("ACC_SDB_ELEMKEYSOLID", 10,
                              {record8, *key, *point, direct, shear, index, status, *restart51, *global3, table,
                               classReals, summed, firstRead, nullptr, *K1, *K2, 0});
}

void ACC_SDB_ELEMKEYSHELL(const Int* key, const Int* point, Int* direct, Int* shear, const Int* global3, Int* index,
                          Int* status, const Int* restart51, const Int* /*groupList*/, const Int* /*groupListAgain*/,
                          const Int* /*groupRecords*/, const Int* /*typeRecord*/, const float* classReals,
                          const Int* /*blockNumbers*/, const Int* /*blockWords*/, const Int* /*groupLayouts*/,
                          const Int* /*classVariables*/, const float* summed, const float* firstRead,
                          const float* secondState, const Int* K1, const Int* K2, const Int* K2second,
                          const Int* table, const Int* /*segmentProduct*/, const Int* record8) {
  zmx::imp::kindFromArguments("ACC_SDB_ELEMKEYSHELL", 20,
                              {record8, *key, *point, direct, shear, index, status, *restart51, *global3, table,
                               classReals, summed, firstRead, secondState, *K1, *K2, *K2second});
}

void ACC_SDB_ELEMKEYBEAM(const Int* key, const Int* point, Int* direct, Int* shear, Int* index, Int* status,
                         const Int* /*groupList*/, const Int* /*groupRecords*/, const Int* /*typeRecord*/,
                         const float* classReals, const Int* /*blockNumbers*/, const Int* /*blockWords*/,
                         const Int* /*groupLayouts*/, const Int* /*classVariables*/, const Int* table,
                         const Int* /*segmentProduct*/, const Int* record8) {
  // The beam routine reads no nodal block and neither switch.
  static constexpr float kNoNodes[1] = {};
  zmx::imp::kindFromArguments("ACC_SDB_ELEMKEYBEAM", 30,
                              {record8, *key, *point, direct, shear, index, status, 0, 0, table, classReals, kNoNodes,
                               kNoNodes, nullptr, 0, 0, 0});
}

}  // extern "C"
