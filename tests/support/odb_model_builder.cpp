#include "tests/support/odb_model_builder.h"

#include <algorithm>
#include <cstring>

#include "runtime/record.h"
#include "siblings/dm2/model_testing.h"
#include "siblings/dm2/element_numbers.h"
#include "siblings/dm2/node_packages.h"
#include "siblings/dm2/output_testing.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/eqc_labels.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/restart_record.h"
#include "siblings/eqc/testing.h"
#include "siblings/eqc/writer_services.h"
#include "zmx/odb.h"
#include "zmx/storage/records.h"

namespace zmxtest {

namespace {

// CSLEF words in the order of the addresses they hold: each starts the segment of records added
// with it, which runs to the next word of the chain. Words outside the chain that bound ranges
// the writer walks hold the value of their partner, so those ranges are empty.
// Slide lines are the records of word 17, the first reference nodes those of 24, slide planes
// those of 25, the pairing list those of 29 and the second reference nodes those of 31.
constexpr int kChain[] = {2,  30, 3,  36, 4,  5,  6,  7,  21, 8,  9,  10, 42, 35, 38, 40, 45, 12,
                          20, 26, 27, 28, 29, 31, 13, 17, 24, 25, 32, 41, 44, 15, 16, 23, 34, 50};
constexpr std::pair<int, int> kEmptyRanges[] = {{11, 10}, {14, 13}};

// Record ranges outside CSLEF, told apart from the CSLEF words by values no CSLEF word has.
constexpr int kSurfaceRange = -7, kAnalysisRange = -15, kNodeRange4 = -104, kNodeRange11 = -111, kBcRange = -202;

double slotOf(Int value) { return eqc_testing::integerSlot(value); }

Int nameWord(const std::string& name, int half) {
  char bytes[8];
  std::memset(bytes, ' ', 8);
  std::memcpy(bytes, name.data(), std::min<std::size_t>(name.size(), 8));
  Int word;
  std::memcpy(&word, bytes + 4 * half, 4);
  return word;
}

// Appends a record (its slots after the length) to the store; returns its address.
Int append(std::vector<double>& store, const std::vector<double>& slots) {
  const Int address = static_cast<Int>(store.size()) + 1;
  store.push_back(slotOf(static_cast<Int>(slots.size()) + 1));
  store.insert(store.end(), slots.begin(), slots.end());
  return address;
}

// A set directory and its lists: entry j names the set and the offset of its list.
Int appendDirectory(std::vector<double>& store, const std::vector<std::pair<std::string, std::vector<Int>>>& sets) {
  std::vector<double> directory = {slotOf(static_cast<Int>(sets.size())), slotOf(0), slotOf(0)};
  const Int address = static_cast<Int>(store.size()) + 1;
  const Int directoryLength = 4 + 2 * static_cast<Int>(sets.size());
  Int next = address + directoryLength;
  for (const auto& [name, members] : sets) {
    directory.push_back(nameSlot(name));
    directory.push_back(slotOf(next - address + 1));
    next += 1 + static_cast<Int>(members.size());
  }
  append(store, directory);
  for (const auto& [name, members] : sets) {
    std::vector<double> list;
    for (Int m : members) list.push_back(slotOf(m));
    append(store, list);
  }
  return address;
}

}  // namespace

double nameSlot(const std::string& name) {
  char bytes[8];
  std::memset(bytes, ' ', 8);
  std::memcpy(bytes, name.data(), std::min<std::size_t>(name.size(), 8));
  double slot;
  std::memcpy(&slot, bytes, 8);
  return slot;
}

Slot I(Int value) { return {Slot::Kind::Integer, value, 0.0, "", 0}; }
Slot R(Real value) { return {Slot::Kind::Real, 0, value, "", 0}; }
Slot N(const std::string& name) { return {Slot::Kind::Name, 0, 0.0, name, 0}; }
Slot A(int record) { return {Slot::Kind::Address, 0, 0.0, "", record}; }

OdbModelBuilder::OdbModelBuilder() {
  dm2_testing::resetModel();
  dm2_testing::clearModelParts();
  dm2_testing::resetOutputWriter();
  dm2_testing::resetNodePackages();
  eqc_testing::setSlideLineStore({});
  eqc_testing::setStoredModelCounts({});
  eqc_testing::clearJobMonitorMessages();
  eqc_testing::resetLongLabels();
  rec::clear(CGN);
  rec::clear(CGM);
  rec::clear(CSLEF);
  rec::clear(CSLV);
  rec::clear(CSLNF);
  rec::clear(CEOSZ);
  rec::clear(CELFLG);
  rec::clear(CPROC);
  rec::clear(CHEAD);
  rec::clear(CMATYP);
  rec::clear(CNODE);
  rec::clear(CBCODB);
  rec::clear(CSLNS);
  rec::clear(CREST);
}

Int OdbModelBuilder::node(Int label, std::array<Real, 3> x, Int flags, std::vector<int> records) {
  nodePlans_.push_back({label, x, std::move(records)});
  nodes_.push_back(flags);
  return static_cast<Int>(nodes_.size());
}

int OdbModelBuilder::surfaceRecord(std::vector<Slot> slots) { return record(kSurfaceRange, std::move(slots)); }
int OdbModelBuilder::analysisRecord(std::vector<Slot> slots) { return record(kAnalysisRange, std::move(slots)); }
int OdbModelBuilder::nodeRecord(int range, std::vector<Slot> slots) {
  return record(range == 4 ? kNodeRange4 : kNodeRange11, std::move(slots));
}

int OdbModelBuilder::bcRecord(std::vector<Slot> slots) { return record(kBcRange, std::move(slots)); }
void OdbModelBuilder::boundaryConditions(Int node, std::vector<int> records) {
  nodeConditions_[node] = std::move(records);
}

Int OdbModelBuilder::elementType(const std::string& name, Int typeCode, Int family, Int odbNodes,
                                 std::vector<std::pair<int, Int>> words) {
  dm2_testing::ElementType t;
  t.typeCode = typeCode;
  t.familyCode = family;
  t.nodeCount = odbNodes;
  t.words = std::move(words);
  t.words.emplace_back(2, nameWord(name, 0));
  t.words.emplace_back(3, nameWord(name, 1));
  dm2_testing::registerElementType(name, odbNodes);
  return dm2_testing::addElementType(t);
}

Int OdbModelBuilder::element(Int label, Int type, std::vector<Int> nodes, int section, std::vector<int> records,
                             Int classValue) {
  elements_.push_back({label, type, std::move(nodes), section, std::move(records), classValue});
  return static_cast<Int>(elements_.size());
}

int OdbModelBuilder::record(int word, std::vector<Slot> slotsAfterLength, Int key) {
  records_.push_back({word, std::move(slotsAfterLength), key});
  return static_cast<int>(records_.size());
}

void OdbModelBuilder::orientation(Int systemType, const std::string& name, std::array<Real, 6> definition,
                                  Int integer, Real real) {
  std::vector<Slot> slots = {I(systemType), N(name)};
  for (Real d : definition) slots.push_back(R(d));
  slots.push_back(I(integer));
  slots.push_back(R(real));
  orientations_.push_back(std::move(slots));
}

void OdbModelBuilder::elementSet(const std::string& name, std::vector<Int> elements) {
  elementSets_.emplace_back(name, std::move(elements));
}

void OdbModelBuilder::nodeSet(const std::string& name, std::vector<Int> nodes) {
  nodeSets_.emplace_back(name, std::move(nodes));
}

void OdbModelBuilder::part(const std::string& name, std::vector<Int> elements, std::vector<Int> nodes) {
  elementSet(name, std::move(elements));
  nodeSet(name, std::move(nodes));
}

Int OdbModelBuilder::address(int record) const {
  return record >= 1 && record <= static_cast<int>(records_.size()) ? records_[static_cast<std::size_t>(record - 1)].address
                                                                     : 0;
}

Int OdbModelBuilder::build() {
  std::vector<double> store;
  // Addresses first (a record may name a later one), then the slots. The CSLEF chain comes
  // first; the other ranges follow the set directories.
  Int next = 1;
  auto place = [&](int word) {
    const Int first = next;
    for (Record& r : records_)
      if (r.word == word) {
        r.address = next;
        next += 1 + static_cast<Int>(r.slots.size());
      }
    return first;
  };
  for (int word : kChain) rec::i(CSLEF, word) = place(word);
  auto emit = [&](int word) {
    for (const Record& r : records_) {
      if (r.word != word) continue;
      std::vector<double> slots;
      for (const Slot& s : r.slots) switch (s.kind) {
          case Slot::Kind::Integer: slots.push_back(slotOf(s.integer)); break;
          case Slot::Kind::Real: slots.push_back(s.real); break;
          case Slot::Kind::Name: slots.push_back(nameSlot(s.name)); break;
          case Slot::Kind::Address: slots.push_back(slotOf(address(s.record))); break;
        }
      append(store, slots);
    }
  };
  for (int word : kChain) emit(word);
  for (const auto& [word, partner] : kEmptyRanges) rec::i(CSLEF, word) = rec::i(CSLEF, partner);

  // The section list: n, then the n addresses and their n keys, two integers to a slot.
  std::vector<Int> addresses, keys;
  for (const Record& r : records_)
    if (r.key != 0) {
      addresses.push_back(r.address);
      keys.push_back(r.key);
    }
  std::vector<Int> packed = addresses;
  packed.insert(packed.end(), keys.begin(), keys.end());
  if (packed.size() % 2 != 0) packed.push_back(0);
  std::vector<double> list = {slotOf(static_cast<Int>(addresses.size()))};
  for (std::size_t k = 0; k < packed.size(); k += 2) {
    double slot;
    std::memcpy(&slot, &packed[k], 8);
    list.push_back(slot);
  }
  rec::i(CSLEF, 49) = append(store, list);

  rec::i(CSLV, 3) = static_cast<Int>(store.size()) + 1;
  for (const auto& o : orientations_) {
    std::vector<double> slots;
    for (const Slot& s : o)
      slots.push_back(s.kind == Slot::Kind::Real ? s.real : s.kind == Slot::Kind::Name ? nameSlot(s.name) : slotOf(s.integer));
    append(store, slots);
  }
  rec::i(CSLV, 4) = static_cast<Int>(store.size()) + 1;
  rec::i(CSLV, 7) = rec::i(CSLV, 4);
  next = rec::i(CSLV, 7);
  place(kSurfaceRange);
  emit(kSurfaceRange);
  rec::i(CSLV, 8) = appendDirectory(store, elementSets_);
  rec::i(CSLV, 9) = appendDirectory(store, nodeSets_);
  rec::i(CSLV, 10) = static_cast<Int>(store.size()) + 1;
  auto range = [&](int word, Int& first, Int& end) {
    first = next = static_cast<Int>(store.size()) + 1;
    place(word);
    emit(word);
    end = static_cast<Int>(store.size()) + 1;
  };
  range(kNodeRange4, rec::i(CSLNF, 4), rec::i(CSLNF, 5));
  range(kNodeRange11, rec::i(CSLNF, 11), rec::i(CSLNF, 12));
  range(kAnalysisRange, rec::i(CSLV, 15), rec::i(CSLV, 16));
  range(kBcRange, rec::i(CSLNS, 2), rec::i(CSLNS, 3));

  Int longest = 1;
  for (std::size_t a = 0; a < store.size();) {
    Int length;
    std::memcpy(&length, &store[a], 4);
    longest = std::max(longest, length);
    a += static_cast<std::size_t>(std::max<Int>(length, 1));
  }
  eqc_testing::setSlideLineStore(std::move(store));

  for (const NodePlan& plan : nodePlans_) {
    dm2_testing::Node n;
    n.userNumber = plan.label;
    n.coordinates.assign(plan.x.begin(), plan.x.end());
    for (int r : plan.records) n.slideLineAddresses.push_back(address(r));
    const auto conditions = nodeConditions_.find(static_cast<Int>(&plan - nodePlans_.data()) + 1);
    if (conditions != nodeConditions_.end())
      for (int r : conditions->second) n.dofList.push_back(address(r));
    const Int index = dm2_testing::addNode(n);
    dm2_testing::setNodeVariable(index, 2, n.coordinates);
  }
  for (std::size_t e = 0; e < elements_.size(); ++e) {
    const ElementPlan& plan = elements_[e];
    dm2_testing::Element element;
    element.userNumber = plan.label;
    element.type = plan.type;
    element.nodes = plan.nodes;
    element.section = address(plan.section);
    for (int r : plan.records) element.recordAddresses.push_back(address(r));
    element.classValue = plan.classValue;
    dm2_testing::mapElementEntry(static_cast<Int>(e + 1), dm2_testing::addElement(element));
  }
  dm2_testing::setNodeFlags(nodes_);

  rec::i(CGN, 2) = nodeCount();
  rec::i(CGN, 3) = elementCount();
  rec::i(CGN, 30) = pseudoLabelStart;
  rec::i(CGN, 7) = bcDegrees;
  rec::i(CGM, 1) = 100;
  rec::i(CGM, 37) = 13;
  for (int w = 40; w <= 54; ++w) rec::i(CGM, w) = longest;
  rec::i(CGM, 41) = 2;
  rec::i(CGM, 66) = connectorNames;
  rec::i(CGM, 80) = 64;
  rec::i(CEOSZ, 12) = directions;
  rec::i(CELFLG, 14) = twoDimensionalFlag;
  rec::i(CPROC, 26) = analysisTimeRigid;
  rec::i(CPROC, 2) = steps;
  rec::i(CMATYP, 32) = connectorFlag;
  rec::setChars(CHEAD, 1, 80, title);
  rec::setChars(CJBPAR, eqc_records::kJobDirectoryFirst, eqc_records::kJobStringLength, directory);
  rec::setChars(CLINES, 1, 8, release);
  if (storeCounts) eqc_testing::setStoredModelCounts(std::vector<Int>(CGM.w, CGM.w + rec::i(CGM, 1)));
  built_ = true;
  return 1;
}

}  // namespace zmxtest
