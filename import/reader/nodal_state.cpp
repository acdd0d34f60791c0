// Global and nodal state of one stored increment of the previous analysis. The state partitions
// 501 and 502 of unit 61 are open for one (increment key, domain) pair at a time; the pair stays
// in RHO_MAN_COMMONI between calls and is shared with the element-state readers.

#include <algorithm>
#include <cmath>

#include "import/reader/restart_data.h"
#include "siblings/glo/block_store.h"
#include "zmx/import/reader.h"

namespace {

using namespace zmx::imp;

constexpr int kKeys = 10;

void openState(Int number, int handleWord, Int instance, Int key) {
  const Int unit = L::kStateUnit, one = 1;
  DSM_PAR_OPEN(&unit, &rho(handleWord), &number, &instance, &one, &key);
}

// Opens 501 for a global read: reopened when the key differs or no state is open, so that a
// key of 0 is never taken for "already open"; 502 is left as it is, and word 17 = -1 says that
// neither pair of a domain is open.
void openGlobalState(Int key) {
  if (key == rho(rw::kIncrementKey) && rho(rw::kStateInstance) != 0) return;
  DSM_PAR_CLOSE(&rho(rw::kState));
  rho(rw::kFound) = 0;
  rho(rw::kIncrementKey) = key;
  const Int unit = L::kStateUnit, number = L::kStatePartition, one = 1;
  Int found = key;
  DSM_PAR_FINDFIRST(&unit, &number, &rho(rw::kFound), &one, &found);
  openState(L::kStatePartition, rw::kState, rho(rw::kFound), rho(rw::kIncrementKey));
  rho(rw::kStateInstance) = -1;
}

// ---- Global values --------------------------------------------------------------------------

// Block (1 A, 2 B) and word of a global state key; block 0 for a key not served.
struct GlobalWord {
  int block;
  int word;
};

GlobalWord globalWord(Int key) {
  switch (key) {
    case 91: return {1, 5};
    case 92: return {1, 1};
    case 93: return {1, 2};
    case 94: return {1, 4};
    case 95: return {1, 6};
    case 96: return {1, 3};
    case 98: return {2, 3};
    case 108: return {1, 13};
    case 109: return {1, 14};
    case 110: return {1, 15};
    default: return {0, 0};
  }
}

Int globalValue(const Words& t, Int key, float* value) {
  const GlobalWord at = globalWord(key);
  if (at.block == 0) {
    *value = 0.0F;
    return 1;
  }
  Block block(t.request());
  const bool a = at.block == 1;
  if (!block.read(rho(rw::kState), t.i(a ? L::kGlobalBlockA : L::kGlobalBlockB), a ? L::kGlobalAWords : L::kGlobalBWords,
                  true))
    return 1;
  const float v = block.r(at.word);
  if (!t.request().ok()) return 1;
  *value = v;
  return 0;
}

// ---- Nodal values -------------------------------------------------------------------------

enum class Group { kTranslational, kRotational, kThird, kNone };

Group groupOf(Int key) {
  switch (key) {
    case 200: case 1000: case 2000: case 3000: case 4000: case 5000: case 6000: return Group::kTranslational;
    case 2100: case 3100: case 4100: case 5100: case 6100: return Group::kRotational;
    case 7000: case 10000: return Group::kThird;
    default: return Group::kNone;
  }
}

// Values per node that the key fills in domain d.
Int widthOf(const Words& t, Int d, Int key, Int nodeValues) {
  switch (groupOf(key)) {
    case Group::kTranslational: return t.i(t.i(tableRow(d, L::kRowNodeLayout)));
    case Group::kRotational: return t.i(0LL + t.i(tableRow(d, L::kRowNodeLayout)) + 1);
    case Group::kThird: return key == 7000 ? 1 : nodeValues;
    default: return 0;
  }
}

// True when some domain fills more values per node than the caller's components.
bool tooWide(const Words& t, Int key, Int components, Int nodeValues) {
  const Int domains = domainCount(t);
  for (Int d = 1; d <= domains; ++d)
    if (widthOf(t, d, key, nodeValues) > components) return true;
  return false;
}

// The factor that turns the vector part of a stored quaternion into its rotation vector; q(k) is
// part k, the scalar part first (k = 0), then the cr vector components.
template <class Part>
float rotationFactor(Part q, Int cr) {
  float n2 = 0.0F;
  for (Int k = 1; k <= cr; ++k) n2 += q(k) * q(k);
  const float n = std::sqrt(n2);
  const float angle = 2.0F * std::atan2(n, q(0));
  return n > 0.0F ? angle / n : angle;
}

// The blocks one domain reads for a key, by group slot.
class DomainReader {
 public:
  DomainReader(const Words& t, Int d) : t_(t), d_(d) {}

  // A stored block of the translational (rotational, third) group from its partition.
  bool read(Block& block, Group group, int slot, long long length, int handleWord, bool real) const {
    Slot s;
    if (group == Group::kTranslational) s = groupSlot(t_, L::kOffsetTranslational, L::kTranslationalSlots, d_, slot);
    if (group == Group::kRotational) s = groupSlot(t_, L::kOffsetRotational, L::kRotationalSlots, d_, slot);
    if (group == Group::kThird) s = groupSlot(t_, L::kOffsetThird, L::kThirdSlots, d_, slot);
    return blockLength(block.request(), length) && block.read(rho(handleWord), s.number, static_cast<Int>(length), real);
  }

  Slot thirdSlot(int slot) const { return groupSlot(t_, L::kOffsetThird, L::kThirdSlots, d_, slot); }

 private:
  const Words& t_;
  Int d_;
};

struct DomainCounts {
  Int m, mr, m3, c, cr;
  Int flag1, flag2;
};

DomainCounts countsOf(const Words& t, Int d) {
  const long long entry = 0LL + t.i(L::kNodeEntries) + static_cast<long long>(L::kNodeEntryWords) * (d - 1) - 1;
  const long long domainEntry = 0LL + t.i(tableRow(d, L::kRowDomainEntry)) - 1;
  const long long layout = t.i(tableRow(d, L::kRowNodeLayout));
  return {t.i(entry + L::kEntryNodes),  t.i(entry + L::kEntryRotNodes), t.i(entry + L::kEntryThirdNodes),
          t.i(layout),                  t.i(layout + 1),                t.i(domainEntry + L::kDomainFirstOutputFlag),
          t.i(domainEntry + L::kDomainSecondOutputFlag)};
}

// One domain, one key, into target (components values per node). Status 0 when served.
void nodeKeyDomain(const Words& t, Int d, const Words& global, Int key, Int components, Target target, Int* status) {
  Request& request = t.request();
  const DomainCounts n = countsOf(t, d);
  if (!request.ok()) return;
  const Group group = groupOf(key);
  const bool rotational = group == Group::kRotational;
  const Int nodes = group == Group::kThird ? n.m3 : rotational ? n.mr : n.m;
  const Int comps = group == Group::kThird ? (key == 7000 ? 1 : stepNodeValueCount(request)) : rotational ? n.cr : n.c;
  if (group == Group::kNone) return;
  const DomainReader reader(t, d);
  // Passed over, the status left as it was: a domain with neither nodes nor components for the
  // key; for the flagged keys any of the three at 0; for 10000 no values. 200 and 7000 never.
  if (key == 4000 || key == 4100 || key == 5100) {
    if ((key == 4000 ? n.flag1 : n.flag2) == 0 || nodes == 0 || comps == 0) return;
  } else if (key == 10000) {
    if (reader.thirdSlot(L::kUValues).length <= 0 || comps <= 0) return;
  } else if (key != 200 && key != 7000 && nodes == 0 && comps == 0) {
    return;
  }
  // Served, with nothing to write.
  if (nodes == 0 || comps == 0) {
    *status = 0;
    return;
  }
  openDomainData(d);
  const long long values = 1LL * comps * nodes;
  const float delta = global.r(L::kDomainTimeIncrement);
  Block positions(request);
  const Group positionGroup = group;
  const int positionSlot = group == Group::kThird ? L::kUPositions : rotational ? L::kRPositions : L::kTPositions;
  if (!reader.read(positions, positionGroup, positionSlot, nodes, rw::kDomainData, false)) return;
  // Global position of node i, 0 (reported) when out of the model.
  const auto positionOf = [&](Int i) {
    const Int g = positions.i(i);
    if (g >= 1 && g <= t.i(L::kNodes)) return g;
    request.damaged("NODE POSITION " + std::to_string(g));
    return 0;
  };
  const auto put = [&](Int i, Int k, float value) {
    if (const Int g = positionOf(i)) target.setR((g - 1LL) * components + k, value);
  };
  // value(i, k) of every node and component.
  const auto each = [&](auto value) {
    for (Int i = 1; i <= nodes && request.ok(); ++i)
      for (Int k = 1; k <= comps && request.ok(); ++k) put(i, k, value(i, k, (i - 1LL) * comps + k));
  };
  using T = Group;
  Block a(request), b(request), c(request), e(request);
  switch (key) {
    case 200:
    case 1000:
    case 2000: {
      const bool model = key != 2000, state = key != 200;
      if (model && (!reader.read(a, T::kTranslational, L::kTLocalCoordinates, values, rw::kDomainData, true) ||
                    !reader.read(b, T::kTranslational, L::kTOrigin, comps, rw::kDomainData, true)))
        return;
      if (state && (!reader.read(c, T::kTranslational, L::kTShift, comps, rw::kSharedState, true) ||
                    !reader.read(e, T::kTranslational, L::kTDisplacement, values, rw::kState, true)))
        return;
      each([&](Int, Int k, long long w) {
        float v = 0.0F;
        if (model) v = b.r(k) + a.r(w);
        if (state) v = model ? v + c.r(k) + e.r(w) : c.r(k) + e.r(w);
        return v;
      });
      break;
    }
    case 3000:
    case 3100: {
      const bool rot = key == 3100;
      if (!reader.read(a, group, rot ? L::kRStart : L::kTStart, values, rw::kState, true) ||
          !reader.read(b, group, rot ? L::kRVelocity : L::kTVelocity, values, rw::kState, true))
        return;
      each([&](Int, Int, long long w) { return a.r(w) + 0.5F * delta * b.r(w); });
      break;
    }
    case 4000:
    case 4100:
    case 5100: {
      const int slot = key == 4000 ? L::kTVelocity : key == 4100 ? L::kRVelocity : L::kRAcceleration;
      if (!reader.read(a, group, slot, values, rw::kState, true)) return;
      each([&](Int, Int, long long w) { return a.r(w); });
      break;
    }
    case 5000:
      if (!reader.read(a, T::kTranslational, L::kTForce, values, rw::kState, true) ||
          !reader.read(b, T::kTranslational, L::kTReaction, values, rw::kState, true))
        return;
      each([&](Int, Int, long long w) { return a.r(w) - b.r(w); });
      break;
    case 6000:
    case 6100: {
      const bool rot = key == 6100;
      if (!reader.read(a, group, rot ? L::kRVelocity : L::kTVelocity, values, rw::kState, true) ||
          !reader.read(b, group, rot ? L::kRInertia : L::kTMass, nodes, rw::kState, true))
        return;
      each([&](Int i, Int, long long w) { return a.r(w) * b.r(i); });
      break;
    }
    case 2100: {
      if (!reader.read(a, T::kRotational, L::kRQuaternions, (comps + 1LL) * nodes, rw::kState, true)) return;
      for (Int i = 1; i <= nodes && request.ok(); ++i) {
        const auto q = [&](Int k) { return a.r((i - 1LL) * (comps + 1) + k + 1); };
        const float factor = rotationFactor(q, comps);
        for (Int k = 1; k <= comps; ++k) put(i, k, factor * q(k));
      }
      break;
    }
    case 7000:
      if (!reader.read(a, T::kThird, L::kUScalar, nodes, rw::kSharedState, true)) return;
      for (Int i = 1; i <= nodes && request.ok(); ++i)
        if (const Int g = positionOf(i)) target.setR(g, a.r(i));
      break;
    case 10000:
      if (!reader.read(a, T::kThird, L::kUValues, values, rw::kSharedState, true)) return;
      for (Int i = 1; i <= nodes && request.ok(); ++i)
        if (const Int g = positionOf(i))
          for (Int k = 1; k <= comps; ++k) target.setR((g - 1LL) * comps + k, a.r((i - 1LL) * comps + k));
      break;
  }
  if (request.ok()) *status = 0;
}

// The loop over the domains for count keys: each domain's state opened once for all of them.
void nodeKeys(const Words& t, Int key, int count, const Int* keys, const Int* components, Target* targets,
              Int* statuses) {
  Request& request = t.request();
  const Int domains = domainCount(t);
  for (Int d = 1; d <= domains && request.ok(); ++d) {
    openStatePair(key, d);
    const long long entry = 0LL + t.i(tableRow(d, L::kRowDomainEntry)) + L::kDomainGlobalBlock - 1;
    Block global(request);
    if (!global.read(rho(rw::kState), t.i(entry), L::kDomainGlobalWords, true)) break;
    for (int j = 0; j < count && request.ok(); ++j)
      if (targets[j].bound())
        nodeKeyDomain(t, d, global.words(), keys[j], components[j], targets[j], &statuses[j]);
  }
  // A failed read or a write out of a block leaves no key served, whatever earlier domains gave.
  if (!request.ok()) std::fill(statuses, statuses + count, 1);
}

bool refused(Int key) { return key == 8000 || key == 11000 || key == 12000; }

// Reads the model table; the result blocks of count keys made (status 1 and no block for a key
// wider than the caller's components), filled over the domains, and handed out or released.
void nodeRequest(Request& request, Int key, int count, const Int* keys, Int* components, Int* blocks, Int* statuses) {
  Model model(request);
  if (!readModel(request, model, false)) return;
  const Words t = model.table.words();
  const Int nodeValues = stepNodeValueCount(request);
  Block made[kKeys] = {Block(request), Block(request), Block(request), Block(request), Block(request),
                       Block(request), Block(request), Block(request), Block(request), Block(request)};
  Target targets[kKeys];
  for (int j = 0; j < count && request.ok(); ++j) {
    statuses[j] = 1;
    if (tooWide(t, keys[j], components[j], nodeValues)) continue;
    const long long size = 1LL * components[j] * t.i(L::kNodes);
    if (!blockLength(request, size) || !made[j].make(static_cast<Int>(size), true)) return;
    targets[j] = made[j].target();
  }
  if (!request.ok()) return;
  nodeKeys(t, key, count, keys, components, targets, statuses);
  if (!request.ok()) return;
  const Int offset = indexOffset();
  for (int j = 0; j < count; ++j) {
    if (statuses[j] != 0) continue;
    blocks[j] = made[j].keep() + offset;
  }
}

void noBlocks(int count, Int* components, Int* blocks, Int* statuses, Int status) {
  for (int j = 0; j < count; ++j) {
    components[j] = 0;
    blocks[j] = kNoBlock;
    statuses[j] = status;
  }
}

// A key no domain served: its block was released, so no index goes out; the count stays.
void unserved(Int* block, Int* status) {
  *block = kNoBlock;
  *status = 1;
}

}  // namespace

extern "C" {

void ACC_SDB_GLOBKEY(const Int* stepRow, const Int* increment, const Int* stateKey, float* value, Int* status) {
  Request request("ACC_SDB_GLOBKEY");
  Int key = 0;
  *status = incrementKey(request, *stepRow, *increment, key);
  if (*status != 0) return;
  openGlobalState(key);
  Model model(request);
  if (!readModel(request, model, false)) {
    *status = 1;
    return;
  }
  float found = 0.0F;
  *status = globalValue(model.table.words(), *stateKey, &found);
  if (*status == 0 || globalWord(*stateKey).block == 0) *value = found;
}

void ACC_SDB_GLOBKEY1(const Int* stateKey, float* value, const Int* table, Int* status) {
  Request request("ACC_SDB_GLOBKEY1");
  float found = 0.0F;
  *status = globalValue(callerWords(request, table, std::max(L::kGlobalBlockA, L::kGlobalBlockB)), *stateKey, &found);
  if (*status == 0 || globalWord(*stateKey).block == 0) *value = found;
}

void ACC_SDB_NODEKEY(const Int* stepRow, const Int* increment, const Int* stateKey, Int* components, Int* block,
                     Int* status) {
  Request request("ACC_SDB_NODEKEY");
  Int key = 0;
  const Int pair = incrementKey(request, *stepRow, *increment, key);
  if (pair != 0 || refused(*stateKey)) return noBlocks(1, components, block, status, pair != 0 ? pair : 1);
  Int wanted = *components;
  *block = kNoBlock;
  nodeRequest(request, key, 1, stateKey, &wanted, block, status);
  if (!request.ok() || *status != 0) unserved(block, status);
}

void ACC_SDB_NODEKEYALL(const Int* stepRow, const Int* increment, const Int* stateKeys, Int* components, Int* blocks,
                        Int* statuses) {
  Request request("ACC_SDB_NODEKEYALL");
  Int key = 0;
  const Int pair = incrementKey(request, *stepRow, *increment, key);
  if (pair != 0) return noBlocks(kKeys, components, blocks, statuses, pair);
  for (int j = 0; j < kKeys; ++j) blocks[j] = kNoBlock;
  nodeRequest(request, key, kKeys, stateKeys, components, blocks, statuses);
  for (int j = 0; j < kKeys; ++j)
    if (!request.ok() || statuses[j] != 0) unserved(&blocks[j], &statuses[j]);
}

void ACC_SDB_NODEKEY1(const Int* incrementKey, const Int* table, const Int* tableLength, const Int* stateKey,
                      const Int* components, const Int* block, Int* status) {
  Request request("ACC_SDB_NODEKEY1");
  const Words t(request, table, *tableLength);
  *status = 1;
  Target target = targetAt(request, *block, 1LL * *components * t.i(L::kNodes));
  if (request.ok()) nodeKeys(t, *incrementKey, 1, stateKey, components, &target, status);
}

void ACC_SDB_NODEKEYALL1(const Int* incrementKey, const Int* table, const Int* tableLength, const Int* stateKeys,
                         const Int* components, const Int* blocks, Int* statuses) {
  Request request("ACC_SDB_NODEKEYALL1");
  const Words t(request, table, *tableLength);
  Target targets[kKeys];
  for (int j = 0; j < kKeys; ++j) {
    statuses[j] = 1;
    if (blocks[j] != kNoBlock) targets[j] = targetAt(request, blocks[j], 1LL * components[j] * t.i(L::kNodes));
  }
  if (request.ok()) nodeKeys(t, *incrementKey, kKeys, stateKeys, components, targets, statuses);
}

void ACC_SDB_NODEKEYDOM(const Int* domain, const Int* table, const Int* tableLength, const float* domainGlobal,
                        const Int* stateKey, const Int* components, const Int* block, Int* status) {
  Request request("ACC_SDB_NODEKEYDOM");
  const Words t(request, table, *tableLength);
  const Target target = targetAt(request, *block, 1LL * *components * t.i(L::kNodes));
  if (request.ok() && *domain >= 1 && *domain <= domainCount(t))
    nodeKeyDomain(t, *domain, Words(request, reinterpret_cast<const Int*>(domainGlobal), L::kDomainGlobalWords),
                  *stateKey, *components, target, status);
}

void ACC_SDB_NODEQUATERNION(const Int* count, const Int* components, const Int* stride, const Int* positions,
                            const float* quaternions, float* result) {
  const Int cr = *components;
  if (cr < 1) return;
  for (Int i = 0; i < *count; ++i) {
    const float* stored = quaternions + static_cast<long long>(i) * (cr + 1);
    const auto q = [stored](Int k) { return stored[k]; };
    const float factor = rotationFactor(q, cr);
    for (Int k = 1; k <= cr; ++k) result[(positions[i] - 1LL) * *stride + k - 1] = factor * q(k);
  }
}

}  // extern "C"
