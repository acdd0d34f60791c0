// Writes a previous-analysis database from a model in physical terms, by the positions of
// database_layout.h: the model table with its rows, entries, groups, classes and sets (201), the
// per-domain node and element data (202), one step partition per step (203), the restart data
// (301) and the state of every stored increment (501 and 502 per domain).

#include <algorithm>
#include <climits>
#include <cstring>

#include "siblings/glo/database_file.h"
#include "siblings/glo/database_layout.h"
#include "siblings/glo/testing.h"

namespace glo_testing {
namespace {

namespace L = edi_layout;
using Words = std::vector<std::int32_t>;

std::int32_t bits(double value) {
  const auto single = static_cast<float>(value);
  std::int32_t word;
  std::memcpy(&word, &single, sizeof word);
  return word;
}

// A table of words numbered from 1 that grows as it is written.
struct Table {
  Words words;
  std::int32_t& at(int k) {
    if (static_cast<std::size_t>(k) > words.size()) words.resize(static_cast<std::size_t>(k), 0);
    return words[static_cast<std::size_t>(k - 1)];
  }
  // Reserves n words at the end; returns the first one's number.
  int reserve(int n) {
    const int first = static_cast<int>(words.size()) + 1;
    words.resize(words.size() + static_cast<std::size_t>(n), 0);
    return first;
  }
};

// Block numbers that every domain's partitions share.
namespace B202 {
constexpr int kLabels = 1, kLocal = 2, kOrigin = 3, kNodeLabels = 4, kPositions = 5, kRotPositions = 6,
              kRotLocal = 7, kSecondLabels = 8, kSecondPositions = 9, kSecondCoordinates = 10, kThirdPositions = 11,
              kFirstConnectivity = 12;
}
namespace B501 {
constexpr int kGlobalA = 1, kGlobalB = 2, kDomainGlobal = 3, kDisplacement = 4, kVelocity = 5, kForce = 6,
              kStart = 7, kMass = 8, kReaction = 9, kAngularVelocity = 10, kAngularAcceleration = 11,
              kQuaternions = 12, kAngularStart = 13, kInertia = 14, kCount = 14;
}
namespace B502 {
constexpr int kShift = 1, kThirdScalar = 2, kThirdValues = 3, kCount = 3;
}

Words packName(const std::string& name, int characters) {
  std::string text = name.substr(0, static_cast<std::size_t>(characters));
  text.resize(static_cast<std::size_t>(characters), ' ');
  Words words(static_cast<std::size_t>(characters / 4));
  std::memcpy(words.data(), text.data(), static_cast<std::size_t>(characters));
  return words;
}

Words vectors(const std::vector<Vec3>& values, int components) {
  Words words;
  for (const Vec3& v : values)
    for (int k = 0; k < components; ++k) words.push_back(bits(v[static_cast<std::size_t>(k)]));
  return words;
}

Words scalars(const std::vector<double>& values) {
  Words words;
  for (double v : values) words.push_back(bits(v));
  return words;
}

Words integers(const std::vector<int>& values) { return Words(values.begin(), values.end()); }

int nodesPerElement(const ClassModel& c) { return c.code & 31; }

int groupsOf(const ClassModel& c) {
  const int n = static_cast<int>(c.labels.size());
  return c.groupSize > 0 ? (n + c.groupSize - 1) / c.groupSize : 0;
}

// Where each stored array of a class with element state sits in a segment: offsets count words
// from 0 at the segment's start; every array has a slot of segment-length rows, so the n-row
// arrays of a short last segment fit the same slots.
struct Slot {
  int offset = 0, columns = 0;
};

// Words per element after a material block, so that reading the widest stored tensor from any of
// its variables stays inside the point's data.
constexpr int kMaterialPadding = 8;
// Words per element at the end of every segment of a class with element state.
constexpr int kSpareWords = 16;

struct GroupSlots {
  int first501 = 0, per501 = 0, first502 = 0, per502 = 0, domain202 = 0, materialOffset = 0;
  std::map<int, Slot> point501, point502, group202;
  std::map<int, int> positions;  // material variable i -> P(i)
};

struct ClassSlots {
  int words501 = 1, words502 = 1, words202 = 1, words202i = 0;
  std::map<int, Slot> state, shared, domain;
  std::vector<GroupSlots> groups;
};

int columnsOf(const Rows& rows) { return rows.empty() ? 0 : static_cast<int>(rows.front().size()); }

// Lays the arrays of a map one after another from offset; returns the offset after them.
int lay(const std::map<int, Rows>& arrays, int offset, int rows, std::map<int, Slot>& slots) {
  for (const auto& [word, values] : arrays) {
    slots[word] = Slot{offset, columnsOf(values)};
    offset += rows * columnsOf(values);
  }
  return offset;
}

ClassSlots slotsOf(const ClassModel& c) {
  ClassSlots s;
  const int L = c.groupSize, k = nodesPerElement(c);
  s.words202i = 2 * L * k;  // connectivity, then the rotational index list
  if (!c.hasState) return s;
  int at501 = lay(c.classState.state, 0, L, s.state);
  int at502 = lay(c.classState.shared, 0, L, s.shared);
  int at202 = lay(c.classState.domain, 0, L, s.domain);
  for (const SectionEntry& g : c.sections) {
    GroupSlots gs;
    std::map<int, Slot> unused;
    gs.first501 = at501;
    gs.per501 = g.pointState.empty() ? 0 : lay(g.pointState.front(), 0, L, gs.point501);
    gs.materialOffset = gs.per501;
    if (!g.materialVariables.empty())
      for (const auto& [i, values] : g.materialVariables.front()) {
        gs.positions[i] = gs.per501 - gs.materialOffset + 1;
        gs.per501 += L * columnsOf(values);
      }
    gs.per501 += L * kMaterialPadding;
    at501 += g.id * gs.per501;
    gs.first502 = at502;
    gs.per502 = g.pointShared.empty() ? 0 : lay(g.pointShared.front(), 0, L, gs.point502);
    at502 += g.id * gs.per502;
    gs.domain202 = at202;
    at202 = lay(g.domainArrays, at202, L, unused);
    lay(g.domainArrays, 0, L, gs.group202);
    s.groups.push_back(gs);
  }
  // Spare words after the arrays: an array a class does not store reads as zeros from offset 0.
  s.words501 = at501 + kSpareWords * L;
  s.words502 = at502 + kSpareWords * L;
  s.words202 = at202 + kSpareWords * L;
  return s;
}

// Writes the rows of elements first .. first + n - 1 into a slot of a segment.
void put(Words& segment, int base, const Slot& slot, const Rows& rows, int first, int n) {
  for (int c = 0; c < slot.columns; ++c)
    for (int i = 0; i < n; ++i)
      segment[static_cast<std::size_t>(base + slot.offset + c * n + i)] =
          bits(rows[static_cast<std::size_t>(first + i)][static_cast<std::size_t>(c)]);
}

void putAll(Words& segment, int base, const std::map<int, Slot>& slots, const std::map<int, Rows>& arrays, int first,
            int n) {
  for (const auto& [word, rows] : arrays) put(segment, base, slots.at(word), rows, first, n);
}

// A stored block of a class, segment after segment: fill(segment, first element, n).
template <class Fill>
Words segmented(const ClassModel& c, int words, Fill fill) {
  const int elements = static_cast<int>(c.labels.size());
  Words block;
  for (int first = 0; first < elements; first += c.groupSize) {
    Words segment(static_cast<std::size_t>(words), 0);
    fill(segment, first, std::min(c.groupSize, elements - first));
    block.insert(block.end(), segment.begin(), segment.end());
  }
  return block;
}

Words connectivityBlock(const ClassModel& c, const ClassSlots& s) {
  const int k = nodesPerElement(c), L = c.groupSize;
  return segmented(c, s.words202i, [&](Words& segment, int first, int n) {
    for (int j = 0; j < k; ++j)
      for (int i = 0; i < n; ++i) {
        const auto e = static_cast<std::size_t>(first + i);
        segment[static_cast<std::size_t>(j * n + i)] = c.nodes[e][static_cast<std::size_t>(j)];
        if (e < c.rotationalNodes.size())
          segment[static_cast<std::size_t>(L * k + j * n + i)] = c.rotationalNodes[e][static_cast<std::size_t>(j)];
      }
  });
}

Words domainRealBlock(const ClassModel& c, const ClassSlots& s) {
  return segmented(c, s.words202, [&](Words& segment, int first, int n) {
    putAll(segment, 0, s.domain, c.classState.domain, first, n);
    for (std::size_t g = 0; g < c.sections.size(); ++g)
      putAll(segment, s.groups[g].domain202, s.groups[g].group202, c.sections[g].domainArrays, first, n);
  });
}

Words stateBlock(const ClassModel& c, const ClassSlots& s, bool shared) {
  return segmented(c, shared ? s.words502 : s.words501, [&](Words& segment, int first, int n) {
    putAll(segment, 0, shared ? s.shared : s.state, shared ? c.classState.shared : c.classState.state, first, n);
    for (std::size_t g = 0; g < c.sections.size(); ++g) {
      const SectionEntry& group = c.sections[g];
      const GroupSlots& gs = s.groups[g];
      for (int p = 0; p < group.id; ++p) {
        const int base = (shared ? gs.first502 : gs.first501) + p * (shared ? gs.per502 : gs.per501);
        if (shared) {
          if (static_cast<std::size_t>(p) < group.pointShared.size())
            putAll(segment, base, gs.point502, group.pointShared[static_cast<std::size_t>(p)], first, n);
          continue;
        }
        if (static_cast<std::size_t>(p) < group.pointState.size())
          putAll(segment, base, gs.point501, group.pointState[static_cast<std::size_t>(p)], first, n);
        if (static_cast<std::size_t>(p) < group.materialVariables.size())
          for (const auto& [i, rows] : group.materialVariables[static_cast<std::size_t>(p)])
            put(segment, base + gs.materialOffset + gs.positions.at(i) - 1, Slot{0, columnsOf(rows)}, rows, first, n);
      }
    }
  });
}

struct ModelPartitions {
  Table table;
  Words reals;
  std::vector<Words> elementLabels;  // all classes' labels, the same in every domain
  std::vector<int> firstLabel;       // position of each class's first label
};

class Builder {
 public:
  explicit Builder(const ImportModel& m) : m_(m), domains_(static_cast<int>(m.domains.size())) {}

  bool write(const std::string& modelFile, const std::string& stateFile) {
    buildTable();
    std::vector<glo_store::Partition> model;
    model.push_back({L::kModelPartition, 1, 1, {directory201(), t_.words, reals_}});
    for (int d = 1; d <= domains_; ++d) model.push_back(domainPartition(d));
    for (const StepModel& step : m_.steps)
      if (step.hasPartition) model.push_back(stepPartition(step));
    std::vector<glo_store::Partition> state;
    state.push_back(restartPartition());
    int key = 0;
    for (const StepModel& step : m_.steps)
      for (const IncrementState& s : step.states) {
        for (int d = 1; d <= domains_; ++d) state.push_back(statePartition(s, d, key));
        for (int d = 1; d <= domains_; ++d) state.push_back(sharedPartition(s, d, key));
        ++key;
      }
    return glo_store::writeFolderFile(modelFile, model) && glo_store::writeFolderFile(stateFile, state);
  }

 private:
  const DomainModel& domain(int d) const { return m_.domains[static_cast<std::size_t>(d - 1)]; }

  int row(int d, int word) const { return L::kRowWords * (d - 1) + word; }

  // Block number in slot of a group for domain d, and its length.
  void setSlot(int offsetWord, int slots, int d, int slot, int block, int length) {
    const int k = t_.at(groupOffsets_ + offsetWord - 1) + slots * (d - 1) + slot;
    t_.at(blockList_ + k - 1) = block;
    t_.at(lengthList_ + k - 1) = length;
  }

  void buildTable() {
    t_.reserve(L::kRowWords * std::max(domains_, 1));
    t_.at(L::kNodes) = m_.nodes;
    t_.at(L::kDomains) = domains_;
    t_.at(L::kPackageFirstTerm) = m_.packageFirstTerm;
    t_.at(L::kPackageSecondTerm) = m_.packageSecondTerm;
    t_.at(L::kGlobalBlockA) = B501::kGlobalA;
    t_.at(L::kGlobalBlockB) = B501::kGlobalB;
    for (int d = 1; d <= domains_; ++d) {
      const int p = t_.reserve(L::kNodeLayoutWords);
      t_.at(row(d, L::kRowNodeLayout)) = p;
      t_.at(p + L::kLayoutComponents - 1) = domain(d).components;
      t_.at(p + L::kLayoutRotComponents - 1) = domain(d).rotComponents;
      t_.at(p + L::kLayoutSecondStride - 1) = domain(d).components + 2;
    }
    nodeEntries_ = t_.reserve(L::kNodeEntryWords * domains_);
    t_.at(L::kNodeEntries) = t_.at(L::kConnectivityNodeEntries) = nodeEntries_;
    for (int d = 1; d <= domains_; ++d) {
      const DomainModel& dm = domain(d);
      const int e = nodeEntries_ + L::kNodeEntryWords * (d - 1) - 1;
      t_.at(e + L::kEntryNodes) = static_cast<int>(dm.labels.size());
      t_.at(e + L::kEntryRotNodes) = static_cast<int>(dm.rotating.size());
      t_.at(e + L::kEntrySecondNodes) = static_cast<int>(dm.secondLabels.size());
      t_.at(e + L::kEntryThirdNodes) = static_cast<int>(dm.thirdPositions.size());
      const int entry = t_.reserve(L::kDomainEntryWords);
      t_.at(row(d, L::kRowDomainEntry)) = entry;
      t_.at(entry + L::kDomainFirstOutputFlag - 1) = dm.firstOutputFlag;
      t_.at(entry + L::kDomainSecondOutputFlag - 1) = dm.secondOutputFlag;
      t_.at(entry + L::kDomainGlobalBlock - 1) = B501::kDomainGlobal;
    }
    groupOffsets_ = t_.reserve(L::kGroupOffsetWords);
    t_.at(L::kGroupOffsets) = t_.at(L::kConnectivityGroupOffsets) = groupOffsets_;
    const int slots = L::kTranslationalSlots + L::kRotationalSlots + L::kSecondSlots + L::kThirdSlots;
    t_.at(groupOffsets_ + L::kOffsetTranslational - 1) = 0;
    t_.at(groupOffsets_ + L::kOffsetRotational - 1) = L::kTranslationalSlots * domains_;
    t_.at(groupOffsets_ + L::kOffsetSecond - 1) = (L::kTranslationalSlots + L::kRotationalSlots) * domains_;
    t_.at(groupOffsets_ + L::kOffsetThird - 1) =
        (L::kTranslationalSlots + L::kRotationalSlots + L::kSecondSlots) * domains_;
    blockList_ = t_.reserve(slots * domains_);
    lengthList_ = t_.reserve(slots * domains_);
    t_.at(L::kBlockList) = t_.at(L::kConnectivityBlockList) = blockList_;
    t_.at(L::kLengthList) = lengthList_;
    for (int d = 1; d <= domains_; ++d) fillSlots(d);
    buildClasses();
    buildSets();
  }

  void fillSlots(int d) {
    const DomainModel& dm = domain(d);
    const int m = static_cast<int>(dm.labels.size());
    const int mr = static_cast<int>(dm.rotating.size());
    const int m2 = static_cast<int>(dm.secondLabels.size());
    const int m3 = static_cast<int>(dm.thirdPositions.size());
    const int c = dm.components, cr = dm.rotComponents;
    const int count = m_.steps.empty() ? 0 : m_.steps.front().nodeValueCount;
    const auto T = [&](int slot, int block, int length) { setSlot(L::kOffsetTranslational, L::kTranslationalSlots, d, slot, block, length); };
    const auto R = [&](int slot, int block, int length) { setSlot(L::kOffsetRotational, L::kRotationalSlots, d, slot, block, length); };
    const auto S = [&](int slot, int block, int length) { setSlot(L::kOffsetSecond, L::kSecondSlots, d, slot, block, length); };
    const auto U = [&](int slot, int block, int length) { setSlot(L::kOffsetThird, L::kThirdSlots, d, slot, block, length); };
    T(L::kTLocalCoordinates, B202::kLocal, c * m);
    T(L::kTOrigin, B202::kOrigin, c);
    T(L::kTLabels, B202::kNodeLabels, m);
    T(L::kTPositions, B202::kPositions, m);
    T(L::kTDisplacement, B501::kDisplacement, c * m);
    T(L::kTVelocity, B501::kVelocity, c * m);
    T(L::kTForce, B501::kForce, c * m);
    T(L::kTStart, B501::kStart, c * m);
    T(L::kTMass, B501::kMass, m);
    T(L::kTReaction, B501::kReaction, c * m);
    T(L::kTShift, B502::kShift, c);
    R(L::kRVelocity, B501::kAngularVelocity, cr * mr);
    R(L::kRAcceleration, B501::kAngularAcceleration, cr * mr);
    R(L::kRQuaternions, B501::kQuaternions, (cr + 1) * mr);
    R(L::kRStart, B501::kAngularStart, cr * mr);
    R(L::kRInertia, B501::kInertia, mr);
    R(L::kRPositions, B202::kRotPositions, mr);
    R(L::kRLocalNodes, B202::kRotLocal, mr);
    S(L::kSLabels, B202::kSecondLabels, m2);
    S(L::kSPositions, B202::kSecondPositions, m2);
    S(L::kSCoordinates, B202::kSecondCoordinates, (c + 2) * m2);
    U(L::kUPositions, B202::kThirdPositions, m3);
    U(L::kUScalar, B502::kThirdScalar, m3);
    U(L::kUValues, B502::kThirdValues, count * m3);
  }

  void buildClasses() {
    const int n = static_cast<int>(m_.classes.size());
    t_.at(L::kClasses) = n;
    const int records = t_.reserve(L::kClassRecordWords * n);
    t_.at(L::kClassRecords) = records;
    std::vector<int> nextDomainBlock(static_cast<std::size_t>(std::max(domains_, 1)), B202::kFirstConnectivity);
    std::vector<int> nextStateBlock(static_cast<std::size_t>(std::max(domains_, 1)), B501::kCount + 1);
    std::vector<int> nextSharedBlock(static_cast<std::size_t>(std::max(domains_, 1)), B502::kCount + 1);
    const int global = t_.reserve(L::kGlobalTableWords);
    t_.at(L::kGlobalTable) = global;
    t_.at(global + L::kThicknessSwitch - 1) = m_.thicknessSwitch;
    for (int k = 0; k < n; ++k) {
      const ClassModel& c = m_.classes[static_cast<std::size_t>(k)];
      const ClassSlots slots = slotsOf(c);
      slots_.push_back(slots);
      const int r = records + L::kClassRecordWords * k - 1;  // record word i at r + i
      const int q = t_.reserve(L::kTypeRecordWords);
      const int numbers = t_.reserve(L::kClassBlockTableWords), lengths = t_.reserve(L::kClassBlockTableWords);
      const int start = t_.reserve(1);
      const int groups = groupsOf(c);
      t_.at(r + 1) = c.type;
      t_.at(r + 2) = q;
      t_.at(r + L::kClassBlockNumbers) = numbers;
      t_.at(r + L::kClassBlockWords) = lengths;
      t_.at(r + L::kClassSegments) = groups;
      t_.at(r + 11) = groups;
      t_.at(r + 12) = 1;
      t_.at(r + L::kClassCentreFlag) = c.classState.centreFlag;
      t_.at(r + L::kClassDomain) = c.domain;
      t_.at(r + 19) = c.recordWord19;
      t_.at(q) = c.code;
      t_.at(q + 1) = c.flags;
      t_.at(q + 2) = static_cast<int>(c.labels.size());
      t_.at(q + 3) = c.groupSize;
      t_.at(q + 4) = c.typeWord5;
      t_.at(q + L::kTypeStart - 1) = start;
      t_.at(q + 23) = c.typeWord24;
      t_.at(q + 31) = c.typeWord32;
      t_.at(q + 40) = static_cast<int>(labels_.size()) + 1;
      labels_.insert(labels_.end(), c.labels.begin(), c.labels.end());
      const auto d = static_cast<std::size_t>(c.domain - 1);
      t_.at(lengths + L::kBlockDomainIntegers - 1) = slots.words202i;
      if (c.hasConnectivity) {
        t_.at(numbers + L::kBlockDomainIntegers - 1) = nextDomainBlock[d]++;
        t_.at(start) = 1;
      } else {
        t_.at(start) = INT_MIN;
      }
      if (c.hasState) {
        t_.at(numbers + L::kBlockDomainReals - 1) = nextDomainBlock[d]++;
        t_.at(numbers + L::kBlockState - 1) = nextStateBlock[d]++;
        t_.at(numbers + L::kBlockSharedState - 1) = nextSharedBlock[d]++;
        t_.at(lengths + L::kBlockDomainReals - 1) = slots.words202;
        t_.at(lengths + L::kBlockState - 1) = slots.words501;
        t_.at(lengths + L::kBlockSharedState - 1) = slots.words502;
        buildStateTables(c, slots, q);
      }
      buildSections(c, r);
    }
    t_.at(L::kLabelBlock) = B202::kLabels;
    t_.at(L::kLabelBlockLength) = static_cast<int>(labels_.size());
  }

  // Variable tables, node lists, group layouts, group variable tables and materials of a class.
  void buildStateTables(const ClassModel& c, const ClassSlots& slots, int q) {
    const int variables = t_.reserve(c.classState.variableWords);
    t_.at(q + L::kTypeVariables - 1) = variables;
    for (const auto* table : {&slots.state, &slots.shared, &slots.domain})
      for (const auto& [word, slot] : *table) t_.at(variables + word - 1) = slot.offset;
    const int lists = t_.reserve(L::kNodeListWords);
    t_.at(q + L::kTypeNodeLists - 1) = lists;
    t_.at(lists) = 1;
    t_.at(lists + 1) = c.groupSize * nodesPerElement(c) + 1;
    const int layouts = t_.reserve(L::kGroupLayoutWords * static_cast<int>(c.sections.size()));
    t_.at(q + L::kTypeGroupLayouts - 1) = layouts;
    for (std::size_t g = 0; g < c.sections.size(); ++g) {
      const SectionEntry& group = c.sections[g];
      const GroupSlots& gs = slots.groups[g];
      const int l = layouts + L::kGroupLayoutWords * static_cast<int>(g) - 1;  // layout word i at l + i
      t_.at(l + 4) = gs.first501;
      t_.at(l + 6) = gs.per501;
      t_.at(l + 10) = gs.domain202;
      t_.at(l + 18) = gs.first502;
      t_.at(l + 20) = gs.per502;
      int longest = 40;
      for (const auto* table : {&gs.point501, &gs.point502, &gs.group202})
        for (const auto& [word, slot] : *table) longest = std::max(longest, word);
      const int groupVariables = t_.reserve(longest);
      t_.at(l + 8) = groupVariables;
      for (const auto* table : {&gs.point501, &gs.point502, &gs.group202})
        for (const auto& [word, slot] : *table) t_.at(groupVariables + word - 1) = slot.offset;
      int count = L::kMaterialPositions;
      for (const auto& [i, position] : gs.positions) count = std::max(count, i);
      const int positions = t_.reserve(count);
      for (int i = 1; i <= count; ++i) t_.at(positions + i - 1) = gs.positions.count(i) != 0 ? gs.positions.at(i) : group.missingPosition;
      const int material = t_.reserve(5);
      t_.at(l + 7) = material;
      t_.at(material) = group.materialCode;
      t_.at(material + 2) = gs.materialOffset;
      t_.at(material + 4) = positions;
      // The group's own table: word 2 names the word where the flag table starts.
      const int own = t_.reserve(2 + std::max(L::kMaterialFlags, static_cast<int>(group.flags.size())));
      t_.at(l + 1) = own;
      t_.at(own + 1) = 3;
      for (std::size_t f = 0; f < group.flags.size(); ++f) t_.at(own + 2 + static_cast<int>(f)) = group.flags[f];
    }
  }

  void buildSections(const ClassModel& c, int r) {
    const int entries = static_cast<int>(c.sections.size());
    const int v = entries > 0 ? static_cast<int>(c.sections.front().values.size()) : 0;
    const int e = t_.reserve(L::kSectionHeaderWords + L::kSectionEntryWords * entries + v * entries);
    t_.at(r + 5) = e;
    t_.at(r + 6) = static_cast<int>(reals_.size()) + 1;
    t_.at(e) = entries;
    t_.at(e + 3) = L::kSectionHeaderWords + 1;
    t_.at(e + 4) = 1;
    t_.at(e + 16) = c.sectionWord17;
    for (int i = 0; i < entries; ++i) {
      const SectionEntry& s = c.sections[static_cast<std::size_t>(i)];
      const int entry = e + L::kSectionHeaderWords + L::kSectionEntryWords * i;  // entry word 1
      const int values = L::kSectionHeaderWords + L::kSectionEntryWords * entries + v * i + 1;  // in the area
      t_.at(entry) = s.id;
      t_.at(entry + 1) = s.orientation;
      t_.at(entry + 4) = i == 0 && c.firstEntryWord5 != 0 ? c.firstEntryWord5 : s.thicknessFlag;
      t_.at(entry + 5) = v;
      t_.at(entry + 6) = values;
      t_.at(entry + 7) = s.inPlaneRotation;
      t_.at(entry + 18) = s.kind;
      for (int k = 0; k < v; ++k) t_.at(e + values - 1 + k) = s.values[static_cast<std::size_t>(k)];
      reals_.push_back(bits(s.real));
    }
    // The section real record and the groups' coordinate lists follow the entries' reals.
    const int realBase = t_.at(r + 6);
    std::vector<double> record(L::kSectionRealWords, 0.0);
    record[9] = c.classState.sectionThickness;
    record[11] = c.classState.sectionWord12;
    t_.at(e + 5) = static_cast<int>(reals_.size()) + 2 - realBase;
    for (double value : record) reals_.push_back(bits(value));
    for (int i = 0; i < entries; ++i) {
      const SectionEntry& s = c.sections[static_cast<std::size_t>(i)];
      t_.at(e + L::kSectionHeaderWords + L::kSectionEntryWords * i + 2) = static_cast<int>(reals_.size()) + 2 - realBase;
      for (double value : s.coordinates) reals_.push_back(bits(value));
    }
  }

  void buildSets() {
    const int n = static_cast<int>(m_.classes.size());
    const auto records = [&](const std::vector<SetModel>& sets, int countWord, int recordWord, bool elements) {
      t_.at(countWord) = static_cast<int>(sets.size());
      const int first = t_.reserve(L::kSetRecordWords * static_cast<int>(sets.size()));
      t_.at(recordWord) = first;
      for (std::size_t s = 0; s < sets.size(); ++s) {
        const int r = first + L::kSetRecordWords * static_cast<int>(s);
        const Words name = packName(sets[s].name, 8);
        t_.at(r) = name[0];
        t_.at(r + 1) = name[1];
        if (!elements) {
          t_.at(r + 2) = static_cast<int>(sets[s].labels.size());
          const int p = t_.reserve(static_cast<int>(sets[s].labels.size()));
          t_.at(r + 3) = p;
          for (std::size_t i = 0; i < sets[s].labels.size(); ++i) t_.at(p + static_cast<int>(i)) = sets[s].labels[i];
          continue;
        }
        int members = 0;
        for (const auto& list : sets[s].classMembers) members += static_cast<int>(list.size());
        const int p = t_.reserve(2 * n + members);
        t_.at(r + 2) = n;
        t_.at(r + 3) = p;
        int position = 1;
        for (int k = 0; k < n; ++k) {
          const std::vector<int> list = static_cast<std::size_t>(k) < sets[s].classMembers.size()
                                            ? sets[s].classMembers[static_cast<std::size_t>(k)]
                                            : std::vector<int>{};
          t_.at(p + 2 * k) = static_cast<int>(list.size());
          t_.at(p + 2 * k + 1) = position;
          for (int label : list) t_.at(p + 2 * n + position++ - 1) = label;
        }
      }
    };
    records(m_.nodeSets, L::kNodeSets, L::kNodeSetRecords, false);
    records(m_.elementSets, L::kElementSets, L::kElementSetRecords, true);
  }

  Words directory201() const {
    return {static_cast<int>(t_.words.size()), static_cast<int>(reals_.size()), 2, 3};
  }

  glo_store::Partition domainPartition(int d) const {
    const DomainModel& dm = domain(d);
    const int c = dm.components;
    glo_store::Partition p{L::kDomainPartition, d, 1, {}};
    p.blocks.resize(B202::kFirstConnectivity - 1);
    const auto put = [&](int block, Words words) { p.blocks[static_cast<std::size_t>(block - 1)] = std::move(words); };
    put(B202::kLabels, labels_);
    put(B202::kLocal, vectors(dm.local, c));
    put(B202::kOrigin, vectors({dm.origin}, c));
    put(B202::kNodeLabels, integers(dm.labels));
    put(B202::kPositions, integers(dm.positions));
    put(B202::kRotPositions, integers(dm.rotatingPositions));
    put(B202::kRotLocal, integers(dm.rotating));
    put(B202::kSecondLabels, integers(dm.secondLabels));
    put(B202::kSecondPositions, integers(dm.secondPositions));
    Words second;
    for (const Vec3& x : dm.secondCoordinates) {
      for (int k = 0; k < c; ++k) second.push_back(bits(x[static_cast<std::size_t>(k)]));
      second.push_back(bits(-1.0));  // two values per node that the readers pass over
      second.push_back(bits(-2.0));
    }
    put(B202::kSecondCoordinates, second);
    put(B202::kThirdPositions, integers(dm.thirdPositions));
    for (std::size_t k = 0; k < m_.classes.size(); ++k) {
      const ClassModel& c2 = m_.classes[k];
      if (c2.domain != d) continue;
      if (c2.hasConnectivity) p.blocks.push_back(connectivityBlock(c2, slots_[k]));
      if (c2.hasState) p.blocks.push_back(domainRealBlock(c2, slots_[k]));
    }
    return p;
  }

  glo_store::Partition stepPartition(const StepModel& step) const {
    Words block(L::kStepBlockWords, 0);
    block[10] = step.optionBits;
    block[50] = step.value;
    block[72] = step.aleClass;
    Words nodeBlock(L::kStepNodeBlockWords, 0);
    nodeBlock[L::kNodeValueCount - 1] = step.nodeValueCount;
    const int stepBlock = step.hasStepBlock ? 2 : 0;
    Words directory{L::kStepBlockWords, 4, L::kStepNodeBlockWords, stepBlock, 3, 4};
    return {L::kStepPartition, 1, step.number, {directory, block, Words{0, 0, 0, 0}, nodeBlock}};
  }

  glo_store::Partition restartPartition() const {
    const int steps = static_cast<int>(m_.steps.size());
    glo_store::Partition p{L::kRestartPartition, 1, 1, {}};
    Words table(static_cast<std::size_t>(L::kStepRowWords * steps), 0);
    Words starts;
    p.blocks.push_back({steps, 0, 2, 3, 4, 0, 0, 0});
    p.blocks.push_back({});  // the step table, filled below
    p.blocks.push_back({});  // start times
    p.blocks.push_back(packName(m_.release, 8));
    int before = 0;
    for (int s = 0; s < steps; ++s) {
      const StepModel& step = m_.steps[static_cast<std::size_t>(s)];
      std::int32_t* row = &table[static_cast<std::size_t>(L::kStepRowWords * s)];
      row[0] = step.number;
      row[1] = static_cast<int>(step.increments.size());
      row[3] = before;
      p.blocks.push_back(integers(step.increments));
      row[4] = static_cast<int>(p.blocks.size());
      p.blocks.push_back(scalars(step.times));
      row[5] = static_cast<int>(p.blocks.size());
      starts.push_back(bits(step.start));
      before += static_cast<int>(step.states.size());
    }
    p.blocks[1] = table;
    p.blocks[2] = starts;
    return p;
  }

  glo_store::Partition statePartition(const IncrementState& s, int d, int key) const {
    const DomainModel& dm = domain(d);
    const DomainState& ds = s.domains[static_cast<std::size_t>(d - 1)];
    const int c = dm.components, cr = dm.rotComponents;
    glo_store::Partition p{L::kStatePartition, d, key, std::vector<Words>(B501::kCount)};
    const auto put = [&](int block, Words words) { p.blocks[static_cast<std::size_t>(block - 1)] = std::move(words); };
    put(B501::kGlobalA, scalars(std::vector<double>(s.globalA.begin(), s.globalA.end())));
    put(B501::kGlobalB, scalars(std::vector<double>(s.globalB.begin(), s.globalB.end())));
    std::vector<double> global(L::kDomainGlobalWords, 0.0);
    global[L::kDomainTimeIncrement - 1] = ds.timeIncrement;
    put(B501::kDomainGlobal, scalars(global));
    put(B501::kDisplacement, vectors(ds.displacement, c));
    put(B501::kVelocity, vectors(ds.velocity, c));
    put(B501::kForce, vectors(ds.force, c));
    put(B501::kStart, vectors(ds.start, c));
    put(B501::kMass, scalars(ds.mass));
    put(B501::kReaction, vectors(ds.reaction, c));
    put(B501::kAngularVelocity, vectors(ds.angularVelocity, cr));
    put(B501::kAngularAcceleration, vectors(ds.angularAcceleration, cr));
    put(B501::kAngularStart, vectors(ds.angularStart, cr));
    put(B501::kInertia, scalars(ds.inertia));
    Words quaternions;
    for (const Quaternion& q : ds.rotation) {
      quaternions.push_back(bits(q[3]));  // the scalar part first
      for (int k = 0; k < cr; ++k) quaternions.push_back(bits(cr == 1 ? q[2] : q[static_cast<std::size_t>(k)]));
    }
    put(B501::kQuaternions, quaternions);
    for (std::size_t k = 0; k < m_.classes.size(); ++k)
      if (m_.classes[k].domain == d && m_.classes[k].hasState) p.blocks.push_back(stateBlock(m_.classes[k], slots_[k], false));
    return p;
  }

  glo_store::Partition sharedPartition(const IncrementState& s, int d, int key) const {
    const DomainModel& dm = domain(d);
    const DomainState& ds = s.domains[static_cast<std::size_t>(d - 1)];
    glo_store::Partition p{L::kSharedStatePartition, d, key, std::vector<Words>(B502::kCount)};
    p.blocks[B502::kShift - 1] = vectors({ds.shift}, dm.components);
    p.blocks[B502::kThirdScalar - 1] = scalars(ds.thirdScalar);
    Words values;
    for (const auto& node : ds.thirdValues) {
      const Words w = scalars(node);
      values.insert(values.end(), w.begin(), w.end());
    }
    p.blocks[B502::kThirdValues - 1] = values;
    for (std::size_t k = 0; k < m_.classes.size(); ++k)
      if (m_.classes[k].domain == d && m_.classes[k].hasState) p.blocks.push_back(stateBlock(m_.classes[k], slots_[k], true));
    return p;
  }

  const ImportModel& m_;
  int domains_;
  Table t_;
  Words reals_;
  Words labels_;
  std::vector<ClassSlots> slots_;
  int nodeEntries_ = 0, groupOffsets_ = 0, blockList_ = 0, lengthList_ = 0;
};

}  // namespace

bool writeDatabase(const ImportModel& model, const std::string& modelFile, const std::string& stateFile) {
  return Builder(model).write(modelFile, stateFile);
}

}  // namespace glo_testing
