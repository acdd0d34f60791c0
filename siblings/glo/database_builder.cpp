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

Words connectivityBlock(const ClassModel& c) {
  const int k = nodesPerElement(c);
  const int n = static_cast<int>(c.labels.size());
  const int stride = k * c.groupSize;
  Words block(static_cast<std::size_t>(stride * groupsOf(c)), 0);
  for (int e = 0; e < n; ++e) {
    const int group = e / c.groupSize;
    const int inGroup = std::min(c.groupSize, n - group * c.groupSize);
    for (int j = 0; j < k; ++j) {
      const int word = group * stride + j * inGroup + e % c.groupSize;  // from 0, start 1
      block[static_cast<std::size_t>(word)] = c.nodes[static_cast<std::size_t>(e)][static_cast<std::size_t>(j)];
    }
  }
  return block;
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
    std::vector<int> nextConnectivity(static_cast<std::size_t>(std::max(domains_, 1)), B202::kFirstConnectivity);
    for (int k = 0; k < n; ++k) {
      const ClassModel& c = m_.classes[static_cast<std::size_t>(k)];
      const int r = records + L::kClassRecordWords * k - 1;  // record word i at r + i
      const int q = t_.reserve(L::kTypeRecordWords);
      const int words = t_.reserve(L::kConnectivityWords);  // block number, group stride, start
      const int groups = groupsOf(c);
      t_.at(r + 1) = c.type;
      t_.at(r + 2) = q;
      t_.at(r + 3) = words;
      t_.at(r + 4) = words + 1;
      t_.at(r + 8) = groups;
      t_.at(r + 11) = groups;
      t_.at(r + 12) = 1;
      t_.at(r + 18) = c.domain;
      t_.at(r + 19) = c.recordWord19;
      t_.at(q) = c.code;
      t_.at(q + 1) = c.flags;
      t_.at(q + 2) = static_cast<int>(c.labels.size());
      t_.at(q + 3) = c.groupSize;
      t_.at(q + 4) = c.typeWord5;
      t_.at(q + 8) = words + 2;
      t_.at(q + 23) = c.typeWord24;
      t_.at(q + 31) = c.typeWord32;
      t_.at(q + 40) = static_cast<int>(labels_.size()) + 1;
      labels_.insert(labels_.end(), c.labels.begin(), c.labels.end());
      t_.at(words + 1) = nodesPerElement(c) * c.groupSize;
      if (c.hasConnectivity) {
        int& next = nextConnectivity[static_cast<std::size_t>(c.domain - 1)];
        t_.at(words) = next++;
        t_.at(words + 2) = 1;
      } else {
        t_.at(words + 2) = INT_MIN;
      }
      buildSections(c, r);
    }
    t_.at(L::kLabelBlock) = B202::kLabels;
    t_.at(L::kLabelBlockLength) = static_cast<int>(labels_.size());
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
      t_.at(entry + 4) = i == 0 ? c.firstEntryWord5 : 0;
      t_.at(entry + 5) = v;
      t_.at(entry + 6) = values;
      for (int k = 0; k < v; ++k) t_.at(e + values - 1 + k) = s.values[static_cast<std::size_t>(k)];
      reals_.push_back(bits(s.real));
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
    for (const ClassModel& c2 : m_.classes)
      if (c2.domain == d && c2.hasConnectivity) p.blocks.push_back(connectivityBlock(c2));
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
    return p;
  }

  const ImportModel& m_;
  int domains_;
  Table t_;
  Words reals_;
  Words labels_;
  int nodeEntries_ = 0, groupOffsets_ = 0, blockList_ = 0, lengthList_ = 0;
};

}  // namespace

bool writeDatabase(const ImportModel& model, const std::string& modelFile, const std::string& stateFile) {
  return Builder(model).write(modelFile, stateFile);
}

}  // namespace glo_testing
