// Inquiries of the model of the previous analysis: element classes and their properties, element
// labels and connectivity, element and node sets, node labels and coordinates, nodes with
// rotations. Each public routine reads the model table of partition 201 and hands the work to
// a worker; the per-domain data come from the domain's partition 202.

#include <algorithm>
#include <climits>

#include "import/frame/block_views.h"
#include "zmx/import/reader.h"

namespace {

using namespace zmx::imp;

constexpr long long kSetWords = L::kSetRecordWords;

// Table word at the position held in another word, plus an offset.
Int via(const Words& t, long long word, long long offset = 0) { return t.i(offset + t.i(word)); }

Int domains(const Words& t) { return domainCount(t); }

Int components(const Words& t, Int d) { return via(t, tableRow(d, L::kRowNodeLayout)); }

// Word of domain d's 13-word node entry, found through the position in word.
Int nodeEntry(const Words& t, Int d, int entryWord, int positionWord = L::kNodeEntries) {
  return t.i(0LL + t.i(positionWord) + static_cast<long long>(L::kNodeEntryWords) * (d - 1) + entryWord - 1);
}

Slot translational(const Words& t, Int d, int slot) {
  return groupSlot(t, L::kOffsetTranslational, L::kTranslationalSlots, d, slot);
}

// Reads a stored block of domain d's partition 202 (bound beforehand).
bool readDomain(Block& block, Int number, long long length, bool real) {
  return blockLength(block.request(), length) && block.read(rho(rw::kDomainData), number, static_cast<Int>(length), real);
}

// Checks that a record of words words at first lies in the table.
bool recordInside(const Words& t, long long first, long long words, const char* what) {
  if (t.has(first) && t.has(first + words - 1)) return true;
  t.request().damaged(what);
  return false;
}

// Global position g of a node, checked against the model's node count.
bool positionOk(const Words& t, Int g) {
  if (g >= 1 && g <= t.i(L::kNodes)) return true;
  t.request().damaged("NODE POSITION " + std::to_string(g));
  return false;
}

// ---- Nodes --------------------------------------------------------------------------------

void nodeModelDomain(const Words& t, Int d, Target labels, Target coordinates) {
  Request& request = t.request();
  const Int c = components(t, 1);
  const Int m = nodeEntry(t, d, L::kEntryNodes);
  const Int second = nodeEntry(t, d, L::kEntrySecondNodes);
  if (!request.ok() || (m == 0 && second == 0)) return;
  openDomainData(d);
  if (m != 0) {
    Block names(request), positions(request), local(request), origin(request);
    if (!readDomain(names, translational(t, d, L::kTLabels).number, m, false) ||
        !readDomain(positions, translational(t, d, L::kTPositions).number, m, false) ||
        !readDomain(local, translational(t, d, L::kTLocalCoordinates).number, 1LL * c * m, true) ||
        !readDomain(origin, translational(t, d, L::kTOrigin).number, c, true))
      return;
    for (Int i = 1; i <= m && request.ok(); ++i) {
      const Int g = positions.i(i);
      if (!positionOk(t, g)) return;
      labels.setI(g, names.i(i));
      for (Int k = 1; k <= c; ++k)
        coordinates.setR((g - 1LL) * c + k, origin.r(k) + local.r((i - 1LL) * c + k));
    }
  }
  if (second != 0) {
    const Int stride = via(t, tableRow(1, L::kRowNodeLayout), L::kLayoutSecondStride - 1);
    const auto slot = [&](int s) { return groupSlot(t, L::kOffsetSecond, L::kSecondSlots, d, s).number; };
    Block names(request), positions(request), values(request);
    if (!readDomain(names, slot(L::kSLabels), second, false) ||
        !readDomain(positions, slot(L::kSPositions), second, false) ||
        !readDomain(values, slot(L::kSCoordinates), 1LL * stride * second, true))
      return;
    for (Int i = 1; i <= second && request.ok(); ++i) {
      const Int g = positions.i(i);
      if (!positionOk(t, g)) return;
      labels.setI(g, names.i(i));
      for (Int k = 1; k <= c; ++k) coordinates.setR((g - 1LL) * c + k, values.r((i - 1LL) * stride + k));
    }
  }
}

void nodeModelData(const Words& t, Target labels, Target coordinates) {
  const Int count = domains(t);
  for (Int d = 1; d <= count && t.request().ok(); ++d) nodeModelDomain(t, d, labels, coordinates);
}

// Sizes of the two node blocks: n labels and c x n coordinates.
bool nodeSizes(const Words& t, long long& n, long long& cn) {
  n = t.i(L::kNodes);
  cn = n * components(t, 1);
  return t.request().ok() && blockLength(t.request(), n) && blockLength(t.request(), cn);
}

void rotNodeDomain(const Words& t, Int d, Target result) {
  Request& request = t.request();
  const Int m = nodeEntry(t, d, L::kEntryNodes);
  const Int mr = nodeEntry(t, d, L::kEntryRotNodes);
  if (!request.ok() || mr == 0) return;
  const auto slot = [&](int s) { return groupSlot(t, L::kOffsetRotational, L::kRotationalSlots, d, s).number; };
  openDomainData(d);
  Block names(request), local(request), positions(request);
  if (!readDomain(names, translational(t, d, L::kTLabels).number, m, false) ||
      !readDomain(local, slot(L::kRLocalNodes), mr, false) || !readDomain(positions, slot(L::kRPositions), mr, false))
    return;
  for (Int i = 1; i <= mr && request.ok(); ++i) {
    const Int g = positions.i(i);
    if (!positionOk(t, g)) return;
    result.setI(g, names.i(local.i(i)));
  }
}

void rotNodeData(const Words& t, Int flag, Target result) {
  if (flag == 0) return;
  const Int count = domains(t);
  for (Int d = 1; d <= count && t.request().ok(); ++d) rotNodeDomain(t, d, result);
}

Int nodeIdDomain(const Words& t, Int d, Int label) {
  Request& request = t.request();
  const Int m = nodeEntry(t, d, L::kEntryNodes);
  if (!request.ok() || m == 0) return 1;
  openDomainData(d);
  Block names(request);
  if (!readDomain(names, translational(t, d, L::kTLabels).number, m, false)) return 1;
  for (Int i = 1; i <= m; ++i)
    if (names.i(i) == label) return 0;
  return 1;
}

Int nodeId(const Words& t, Int label) {
  const Int count = domains(t);
  for (Int d = 1; d <= count && t.request().ok(); ++d)
    if (nodeIdDomain(t, d, label) == 0) return 0;
  return 1;
}

// ---- Element classes ------------------------------------------------------------------------

// Word i of class k's record, and of its type record.
struct ClassView {
  const Words& t;
  long long record;
  Int rec(int i) const { return t.i(record + i - 1); }
  Int type(int i) const { return t.i(0LL + rec(2) + i - 1); }
};

bool classOk(const Words& t, Int k) {
  return k >= 1 && k <= t.i(L::kClasses) &&
         recordInside(t, t.i(L::kClassRecords) + static_cast<long long>(L::kClassRecordWords) * (k - 1),
                      L::kClassRecordWords, "CLASS RECORD");
}

ClassView classView(const Words& t, Int k) {
  return {t, t.i(L::kClassRecords) + static_cast<long long>(L::kClassRecordWords) * (k - 1)};
}

// The label block of all classes in partition 202 of the class's domain.
bool readClassLabels(const Words& t, const ClassView& c, Block& labels) {
  openDomainData(c.rec(18));
  return readDomain(labels, t.i(L::kLabelBlock), t.i(L::kLabelBlockLength), false);
}

void elementLabels(const Words& t, Int k, Target result) {
  const ClassView c = classView(t, k);
  Block labels(t.request());
  if (!readClassLabels(t, c, labels)) return;
  const Int n = c.type(3), first = c.type(41);
  for (Int e = 1; e <= n && t.request().ok(); ++e) result.setI(e, labels.i(0LL + first + e - 1));
}

bool hasConnectivity(const ClassView& c) { return c.rec(1) >= 1 && c.t.i(c.type(9)) != INT_MIN; }

void elementConnectivity(const Words& t, Int k, Target result) {
  Request& request = t.request();
  const ClassView c = classView(t, k);
  const Int n = c.type(3), nodes = c.type(1) & 31, perGroup = c.type(4), d = c.rec(18);
  const Int start = t.i(c.type(9)), stride = t.i(c.rec(4));
  const long long length = 1LL * c.rec(11) * c.rec(12) * stride;
  const Int m = nodeEntry(t, d, L::kEntryNodes, L::kConnectivityNodeEntries);
  const long long k2 = 0LL + t.i(0LL + t.i(L::kConnectivityGroupOffsets) + L::kOffsetTranslational - 1) +
                       static_cast<long long>(L::kTranslationalSlots) * (d - 1) + L::kTPositions;
  const Int positionsBlock = t.i(0LL + t.i(L::kConnectivityBlockList) + k2 - 1);
  if (!request.ok()) return;
  // The group size divides only when the class has elements.
  if ((n > 0 && perGroup < 1) || d < 1 || d > domains(t))
    return request.damaged("CONNECTIVITY OF CLASS " + std::to_string(k));
  openDomainData(d);
  Block positions(request), local(request);
  if (!readDomain(positions, positionsBlock, m, false) || !readDomain(local, t.i(c.rec(3)), length, false)) return;
  for (Int e = 0; e < n && request.ok(); ++e) {
    const Int group = e / perGroup;
    const long long inGroup = std::min<long long>(perGroup, 0LL + n - 1LL * group * perGroup);
    for (Int j = 0; j < nodes; ++j) {
      const long long word = 0LL + start + 1LL * group * stride + j * inGroup + e % perGroup;
      const Int g = positions.i(local.i(word));
      if (!request.ok() || !positionOk(t, g)) return;
      result.setI(1LL * e * nodes + j + 1, g);
    }
  }
}

Int whichClass(const Words& t, Int label) {
  const Int classes = t.i(L::kClasses);
  for (Int k = 1; k <= classes && t.request().ok(); ++k) {
    if (!classOk(t, k)) return 0;
    const ClassView c = classView(t, k);
    Block labels(t.request());
    if (!readClassLabels(t, c, labels)) return 0;
    const Int n = c.type(3), first = c.type(41);
    for (Int e = 1; e <= n && t.request().ok(); ++e)
      if (labels.i(0LL + first + e - 1) == label) return k;
  }
  return 0;
}

// Family and sub-kind of a class, and whether it hands out the first entry's word 5.
struct Kind {
  Int family;
  Int subKind;
  bool entryWord;
};

Kind classKind(const ClassView& c) {
  const Int code = c.type(1);
  switch (c.rec(1)) {
    case 10:
      switch (code) {
        case 9220: return {1, c.type(2) == 2097152 ? 2 : 1, true};
        case 25604: return {1, 3, false};
        case 15368: return {1, 4, false};
        case 13316: return {c.rec(19) != 0 ? 4 : 12, 4, true};
        case 8706: return {1, 6, false};
        case 12802: return {1, 7, false};
        case 8449:
        case 12545: return {7, 4, false};
        default: return {1, 4, false};
      }
    case 20: return {2, 4, true};
    case 30:
      switch (code) {
        case 8706: return {3, 6, false};
        case 12802: return {3, 7, false};
        case 8707: return {3, 8, false};
        case 12803: return {3, 9, false};
        default: return {3, 4, false};
      }
    case 41:
      switch (code & 28672) {
        case 12288: return {5, 4, true};
        case 24576: return {5, 3, true};
        case 8192: return {5, 5, true};
        default: return {5, 4, true};
      }
    case 11: return {10, 4, false};
    case 21: return {11, 4, false};
    default: return {6, 4, false};
  }
}

// r1 .. r7 and r11 .. r13 of a class (results 1-based as r1 .. r13; r8 .. r10 untouched).
void classDescription(const Words& t, Int k, Int* r) {
  const ClassView c = classView(t, k);
  const long long e = c.rec(5);
  const Kind kind = classKind(c);
  r[0] = c.type(3);
  r[1] = c.type(1) & 31;
  r[2] = c.type(5);
  r[3] = t.i(e);
  r[4] = t.i(e + 16);
  r[5] = kind.family;
  r[6] = kind.subKind;
  r[10] = c.rec(1) == 20 && (c.type(2) & 983040) != 131072 ? 1 : 0;
  r[11] = c.rec(1) == 20 ? c.type(24) : c.type(32);
  r[12] = kind.entryWord && r[3] >= 1 ? t.i(e + t.i(e + 3) - 1 + 4) : 0;
}

// The three section blocks r8 .. r10 (indexes without the offset) of a class.
void classSections(const Words& t, const Words& reals, Int k, Int* r) {
  Request& request = t.request();
  const ClassView c = classView(t, k);
  const long long e = c.rec(5);
  const Int entries = std::max(t.i(e), 0);
  const long long first = e + t.i(e + 3) - 1;
  const Int v = entries >= 1 ? t.i(first + 5) : 0;
  Block ids(request), values(request), numbers(request);
  if (!request.ok() || !blockLength(request, 1LL * entries * v) || !ids.make(entries, false) ||
      !values.make(entries >= 1 ? entries * v : 0, false) || !numbers.make(entries, true))
    return;
  Target idTarget = ids.target(), valueTarget = values.target(), realTarget = numbers.target();
  const long long realFirst = 0LL + c.rec(6) + t.i(e + 4) - 1;
  for (Int i = 0; i < entries && request.ok(); ++i) {
    const long long entry = first + static_cast<long long>(L::kSectionEntryWords) * i;
    idTarget.setI(i + 1, t.i(entry));
    const long long own = e + t.i(entry + 6) - 1;
    for (Int j = 0; j < v; ++j) valueTarget.setI(1LL * i * v + j + 1, t.i(own + j));
    realTarget.setR(i + 1, reals.r(realFirst + i));
  }
  if (!request.ok()) return;
  r[7] = ids.keep();
  r[8] = values.keep();
  r[9] = numbers.keep();
}

// ---- Sets ---------------------------------------------------------------------------------

// Position of the set's 12-word record, 0 (reported when damaged) when the set is not there.
long long setRecord(const Words& t, Int set, int countWord, int recordWord) {
  if (set < 1 || set > t.i(countWord)) return 0;
  const long long r = t.i(recordWord) + kSetWords * (set - 1);
  return recordInside(t, r, kSetWords, "SET RECORD") ? r : 0;
}

void setData(const Words& t, int countWord, int recordWord, Int* sets, Int* names, Int* counts) {
  Request& request = t.request();
  const Int n = t.i(countWord);
  Block nameBlock(request), countBlock(request);
  if (!blockLength(request, 2LL * n) || !nameBlock.make(2 * n, false) || !countBlock.make(n, false)) return;
  Target nameTarget = nameBlock.target(), countTarget = countBlock.target();
  for (Int s = 1; s <= n && request.ok(); ++s) {
    const long long r = setRecord(t, s, countWord, recordWord);
    nameTarget.setI(2LL * s - 1, t.i(r));
    nameTarget.setI(2LL * s, t.i(r + 1));
    countTarget.setI(s, t.i(r + 2));
  }
  if (!request.ok()) return;
  *sets = n;
  *names = nameBlock.keep();
  *counts = countBlock.keep();
}

// Copies count table words from first on (step apart) into a new integer block of size words.
bool copyWords(const Words& t, long long first, long long count, long long step, long long size, Int* index) {
  Request& request = t.request();
  Block block(request);
  if (!blockLength(request, size) || count > size || !block.make(static_cast<Int>(size), false)) return false;
  Target target = block.target();
  for (long long j = 0; j < count && request.ok(); ++j) target.setI(j + 1, t.i(first + j * step));
  if (!request.ok()) return false;
  *index = block.keep();
  return true;
}

void elemSetClasses(const Words& t, Int set, Int* count, Int* block) {
  const long long r = setRecord(t, set, L::kElementSets, L::kElementSetRecords);
  if (r == 0) return;
  const Int n = t.i(r + 2);
  if (copyWords(t, t.i(r + 3), n, 2, 0LL + n + 2LL * t.i(L::kClasses), block)) *count = n;
}

void elSetClassMembers(const Words& t, Int set, Int k, Int* count, Int* block) {
  const long long r = setRecord(t, set, L::kElementSets, L::kElementSetRecords);
  const Int classes = t.i(L::kClasses);
  if (r == 0 || k < 1 || k > classes) return;
  const long long p = t.i(r + 3);
  const Int n = t.i(p + 2LL * k - 2);
  if (copyWords(t, p + 2LL * classes + t.i(p + 2LL * k - 1) - 1, n, 1, n, block)) *count = n;
}

void nodeSetMembers(const Words& t, Int set, Int* count, Int* block) {
  const long long r = setRecord(t, set, L::kNodeSets, L::kNodeSetRecords);
  if (r == 0) return;
  const Int n = t.i(r + 2);
  if (copyWords(t, t.i(r + 3), n, 1, n, block)) *count = n;
}

// ---- Public frames ----------------------------------------------------------------------

// The model table of a public routine, and the offset its blocks go out with.
struct Call {
  explicit Call(const char* routine, bool withReals = false) : request(routine), model(request) {
    ready = readModel(request, model, withReals);
  }
  Words table() const { return model.table.words(); }
  bool ok() const { return ready && request.ok(); }
  Request request;
  Model model;
  bool ready = false;
};

void noBlocks(std::initializer_list<Int*> indexes, std::initializer_list<Int*> counts = {}) {
  for (Int* index : indexes) *index = kNoBlock;
  for (Int* count : counts) *count = 0;
}

// The two node blocks made, filled by fill, and handed out (without the offset) when all went well.
template <class Fill>
void nodeBlocks(const Words& t, Int* labels, Int* coordinates, Fill fill) {
  long long n = 0, cn = 0;
  if (!nodeSizes(t, n, cn)) return;
  Block names(t.request()), values(t.request());
  if (!names.make(static_cast<Int>(n), false) || !values.make(static_cast<Int>(cn), true)) return;
  fill(names.target(), values.target());
  if (!t.request().ok()) return;
  *labels = names.keep();
  *coordinates = values.keep();
}

void elementModelLabels(const Words& t, Int k, Int* labels) {
  if (!classOk(t, k)) return;
  Block block(t.request());
  if (!blockLength(t.request(), classView(t, k).type(3)) || !block.make(classView(t, k).type(3), false)) return;
  elementLabels(t, k, block.target());
  if (t.request().ok()) *labels = block.keep();
}

// The connectivity block, or kNoBlock when the class has none.
void elementModelConnectivity(const Words& t, Int k, Int* connectivity) {
  if (!classOk(t, k) || !hasConnectivity(classView(t, k))) return;
  const ClassView c = classView(t, k);
  Block block(t.request());
  const long long size = 1LL * c.type(3) * (c.type(1) & 31);
  if (!blockLength(t.request(), size) || !block.make(static_cast<Int>(size), false)) return;
  elementConnectivity(t, k, block.target());
  if (t.request().ok()) *connectivity = block.keep();
}

Int largestLayoutWord(const Words& t, int offset) {
  Int largest = 0;
  const Int count = domains(t);
  for (Int d = 1; d <= count; ++d) largest = std::max(largest, via(t, tableRow(d, L::kRowNodeLayout), offset));
  return largest;
}

// Word 11 of the third block of the open partition 203, 0 when no step data is open.
Int nodeValueCount(Request& request) {
  if (!stepDataOpen()) return 0;
  Block directory(request), block(request);
  if (!directory.read(rho(rw::kStep), 1, L::kStepDirectoryWords, false)) return 0;
  if (directory.i(6) < 1) return 0;
  if (!block.read(rho(rw::kStep), directory.i(6), directory.i(3), false)) return 0;
  return block.i(L::kNodeValueCount);
}

}  // namespace

namespace zmx::imp {
Int stepNodeValueCount(Request& request) { return nodeValueCount(request); }
}  // namespace zmx::imp

extern "C" {

void ACC_MDB_ELEMMODELDATA(const Int* elementClass, Int* labels, Int* connectivity) {
  noBlocks({labels, connectivity});
  Call call("ACC_MDB_ELEMMODELDATA");
  if (!call.ok()) return;
  Block held(call.request);
  elementModelLabels(call.table(), *elementClass, labels);
  if (*labels != kNoBlock) held.adopt(*labels, 1);
  elementModelConnectivity(call.table(), *elementClass, connectivity);
  if (!call.request.ok()) return noBlocks({labels, connectivity});
  held.keep();
  handOut({labels, connectivity});
}

void ACC_MDB_ELEMMODELDATA1(const Int* table, const Int* tableLength, const Int* elementClass, Int* labels) {
  Request request("ACC_MDB_ELEMMODELDATA1");
  *labels = kNoBlock;
  elementModelLabels(Words(request, table, *tableLength), *elementClass, labels);
}

void ACC_MDB_ELEMMODELDATA2(const Int* table, const Int* tableLength, const Int* elementClass, Int* connectivity) {
  Request request("ACC_MDB_ELEMMODELDATA2");
  *connectivity = kNoBlock;
  elementModelConnectivity(Words(request, table, *tableLength), *elementClass, connectivity);
}

void ACC_MDB_ELEMSETCLASSES(const Int* set, Int* count, Int* block) {
  noBlocks({block}, {count});
  Call call("ACC_MDB_ELEMSETCLASSES");
  if (call.ok()) elemSetClasses(call.table(), *set, count, block);
  handOut({block});
}

void ACC_MDB_ELEMSETCLASSES1(const Int* table, const Int* tableLength, const Int* set, Int* count, Int* block) {
  Request request("ACC_MDB_ELEMSETCLASSES1");
  noBlocks({block}, {count});
  elemSetClasses(Words(request, table, *tableLength), *set, count, block);
}

void ACC_MDB_ELEMSETDATA(Int* sets, Int* names, Int* counts) {
  noBlocks({names, counts}, {sets});
  Call call("ACC_MDB_ELEMSETDATA");
  if (call.ok()) setData(call.table(), L::kElementSets, L::kElementSetRecords, sets, names, counts);
  handOut({names, counts});
}

void ACC_MDB_ELEMSETDATA1(const Int* table, const Int* tableLength, Int* sets, Int* names, Int* counts) {
  Request request("ACC_MDB_ELEMSETDATA1");
  noBlocks({names, counts}, {sets});
  setData(Words(request, table, *tableLength), L::kElementSets, L::kElementSetRecords, sets, names, counts);
}

void ACC_MDB_ELSETCLASSMEMBERS(const Int* set, const Int* elementClass, Int* count, Int* block) {
  noBlocks({block}, {count});
  Call call("ACC_MDB_ELSETCLASSMEMBERS");
  if (call.ok()) elSetClassMembers(call.table(), *set, *elementClass, count, block);
  handOut({block});
}

void ACC_MDB_ELSETCLASSMEMBERS1(const Int* table, const Int* tableLength, const Int* set, const Int* elementClass,
                                Int* count, Int* block) {
  Request request("ACC_MDB_ELSETCLASSMEMBERS1");
  noBlocks({block}, {count});
  elSetClassMembers(Words(request, table, *tableLength), *set, *elementClass, count, block);
}

void ACC_MDB_NODEMODELDATA(Int* labels, Int* coordinates) {
  noBlocks({labels, coordinates});
  Call call("ACC_MDB_NODEMODELDATA");
  if (!call.ok()) return;
  const Words t = call.table();
  nodeBlocks(t, labels, coordinates, [&](Target l, Target c) { nodeModelData(t, l, c); });
  handOut({labels, coordinates});
}

void ACC_MDB_NODEMODELDATA1(const Int* table, const Int* tableLength, const Int* labels, const Int* coordinates) {
  Request request("ACC_MDB_NODEMODELDATA1");
  const Words t(request, table, *tableLength);
  long long n = 0, cn = 0;
  if (nodeSizes(t, n, cn)) nodeModelData(t, targetAt(request, *labels, n), targetAt(request, *coordinates, cn));
}

void ACC_MDB_NODEMODELDATADOM(const Int* table, const Int* tableLength, const Int* domain, const Int* labels,
                              const Int* coordinates) {
  Request request("ACC_MDB_NODEMODELDATADOM");
  const Words t(request, table, *tableLength);
  long long n = 0, cn = 0;
  if (nodeSizes(t, n, cn) && *domain >= 1 && *domain <= domains(t))
    nodeModelDomain(t, *domain, targetAt(request, *labels, n), targetAt(request, *coordinates, cn));
}

void ACC_MDB_NODESETDATA(Int* sets, Int* names, Int* counts) {
  noBlocks({names, counts}, {sets});
  Call call("ACC_MDB_NODESETDATA");
  if (call.ok()) setData(call.table(), L::kNodeSets, L::kNodeSetRecords, sets, names, counts);
  handOut({names, counts});
}

void ACC_MDB_NODESETDATA1(const Int* table, const Int* tableLength, Int* sets, Int* names, Int* counts) {
  Request request("ACC_MDB_NODESETDATA1");
  noBlocks({names, counts}, {sets});
  setData(Words(request, table, *tableLength), L::kNodeSets, L::kNodeSetRecords, sets, names, counts);
}

void ACC_MDB_NODESETMEMBERS(const Int* set, Int* count, Int* block) {
  noBlocks({block}, {count});
  Call call("ACC_MDB_NODESETMEMBERS");
  if (call.ok()) nodeSetMembers(call.table(), *set, count, block);
  handOut({block});
}

void ACC_MDB_NODESETMEMBERS1(const Int* table, const Int* tableLength, const Int* set, Int* count, Int* block) {
  Request request("ACC_MDB_NODESETMEMBERS1");
  noBlocks({block}, {count});
  nodeSetMembers(Words(request, table, *tableLength), *set, count, block);
}

void ACC_MDB_ROTNODEMODELDATA(const Int* flag, Int* block) {
  noBlocks({block});
  Call call("ACC_MDB_ROTNODEMODELDATA");
  if (!call.ok()) return;
  const Words t = call.table();
  const long long n = t.i(L::kNodes);
  Block result(call.request);
  if (!blockLength(call.request, n) || !result.make(static_cast<Int>(n), false)) return;
  rotNodeData(t, *flag, result.target());
  if (!call.request.ok()) return;
  *block = result.keep();
  handOut({block});
}

void ACC_MDB_ROTNODEMODELDATA1(const Int* table, const Int* tableLength, const Int* flag, const Int* block) {
  Request request("ACC_MDB_ROTNODEMODELDATA1");
  const Words t(request, table, *tableLength);
  rotNodeData(t, *flag, targetAt(request, *block, t.i(L::kNodes)));
}

void ACC_MDB_ROTNODEMODELDATADOM(const Int* table, const Int* tableLength, const Int* domain, const Int* block) {
  Request request("ACC_MDB_ROTNODEMODELDATADOM");
  const Words t(request, table, *tableLength);
  if (*domain >= 1 && *domain <= domains(t)) rotNodeDomain(t, *domain, targetAt(request, *block, t.i(L::kNodes)));
}

void INQ_MDB_NODEID(const Int* label, Int* answer) {
  *answer = 1;
  Call call("INQ_MDB_NODEID");
  if (call.ok()) *answer = nodeId(call.table(), *label);
}

void INQ_MDB_NODEID1(const Int* table, const Int* tableLength, const Int* label, Int* answer) {
  Request request("INQ_MDB_NODEID1");
  *answer = nodeId(Words(request, table, *tableLength), *label);
}

void INQ_MDB_NODEIDDOM(const Int* table, const Int* tableLength, const Int* domain, const Int* label, Int* answer) {
  Request request("INQ_MDB_NODEIDDOM");
  const Words t(request, table, *tableLength);
  *answer = *domain >= 1 && *domain <= domains(t) ? nodeIdDomain(t, *domain, *label) : 1;
}

void INQ_MDB_WHICHCLASS(const Int* label, Int* elementClass) {
  *elementClass = 0;
  Call call("INQ_MDB_WHICHCLASS");
  if (call.ok()) *elementClass = whichClass(call.table(), *label);
}

void INQ_MDB_WHICHCLASS1(const Int* table, const Int* tableLength, const Int* label, Int* elementClass) {
  Request request("INQ_MDB_WHICHCLASS1");
  *elementClass = whichClass(Words(request, table, *tableLength), *label);
}

void INQ_PDB_MODEL(Int* nodes, Int* classes, Int* components) {
  *nodes = *classes = *components = 0;
  Call call("INQ_PDB_MODEL");
  if (!call.ok()) return;
  const Words t = call.table();
  *nodes = t.i(L::kNodes);
  *classes = t.i(L::kClasses);
  *components = largestLayoutWord(t, 0);
}

void INQ_PDB_NODEMODELCOMP(Int* components, Int* rotComponents, Int* one, Int* nodeValues) {
  *components = *rotComponents = *nodeValues = 0;
  *one = 1;
  Call call("INQ_PDB_NODEMODELCOMP");
  if (!call.ok()) return;
  *components = largestLayoutWord(call.table(), 0);
  *rotComponents = largestLayoutWord(call.table(), 1);
  *nodeValues = nodeValueCount(call.request);
}

void INQ_PDB_CLASS(const Int* elementClass, Int* r1, Int* r2, Int* r3, Int* r4, Int* r5, Int* r6, Int* r7, Int* r8,
                   Int* r9, Int* r10, Int* r11, Int* r12, Int* r13) {
  Int r[13] = {0, 0, 0, 0, 0, 0, 0, kNoBlock, kNoBlock, kNoBlock, 0, 0, 0};
  Call call("INQ_PDB_CLASS", true);
  if (call.ok() && classOk(call.table(), *elementClass)) {
    classDescription(call.table(), *elementClass, r);
    classSections(call.table(), call.model.reals.words(), *elementClass, r);
    if (!call.request.ok()) {
      for (Int& value : r) value = 0;
      r[7] = r[8] = r[9] = kNoBlock;
    }
  }
  Int* out[13] = {r1, r2, r3, r4, r5, r6, r7, r8, r9, r10, r11, r12, r13};
  for (int k = 0; k < 13; ++k) *out[k] = r[k];
  handOut({r8, r9, r10});
}

void INQ_PDB_CLASS1(const Int* table, const Int* tableLength, const float*, const Int*, const Int* elementClass,
                    Int* results) {
  Request request("INQ_PDB_CLASS1");
  const Words t(request, table, *tableLength);
  if (classOk(t, *elementClass)) classDescription(t, *elementClass, results);
}

void INQ_PDB_CLASS2(const Int* table, const Int* tableLength, const float* reals, const Int* realsLength,
                    const Int* elementClass, Int* results) {
  Request request("INQ_PDB_CLASS2");
  const Words t(request, table, *tableLength);
  results[7] = results[8] = results[9] = kNoBlock;
  if (classOk(t, *elementClass))
    classSections(t, Words(request, reinterpret_cast<const Int*>(reals), *realsLength), *elementClass, results);
}

}  // extern "C"
