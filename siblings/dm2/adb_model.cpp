#include "siblings/dm2/adb_model.h"

#include <new>

#include "siblings/dm2/dm2_adb.h"

namespace dm2_detail {
namespace {

constinit Model* gModel = nullptr;

void mapList(IntList& list, std::vector<Int> values) {
  list.values = std::move(values);
  list.word = mem32::map(list.values.data(), list.values.size() * sizeof(Int), dm2::kDataTag);
}

void mapVariable(VariableRecord& v) {
  if (v.integer)
    v.word = mem32::map(v.ints.data(), v.ints.size() * sizeof(Int), dm2::kDataTag);
  else
    v.word = mem32::map(v.reals.data(), v.reals.size() * sizeof(Real), dm2::kDataTag);
}

VariableRecord makeVariable(const dm2_testing::Variable& given) {
  VariableRecord v;
  v.id = given.id;
  v.integer = given.integer;
  v.reals = given.reals;
  v.ints = given.ints;
  const std::size_t length = v.integer ? v.ints.size() : v.reals.size();
  if (given.rows > 0 && given.columns > 0) {
    v.rows = given.rows;
    v.columns = given.columns;
    const auto sized = static_cast<std::size_t>(given.rows) * static_cast<std::size_t>(given.columns);
    if (v.integer)
      v.ints.resize(sized, 0);
    else
      v.reals.resize(sized, 0.0);
  } else {
    v.rows = static_cast<Int>(length);
    v.columns = length > 0 ? 1 : 0;
  }
  return v;
}

void buildLayout(LayoutRecord& layout, const dm2_testing::Layout& given, int level) {
  layout.level = level;
  for (const auto& variable : given.variables) layout.variables.push_back(makeVariable(variable));
  for (auto& v : layout.variables) mapVariable(v);
  for (const auto& inner : given.sublayouts) {
    auto sub = std::make_unique<LayoutRecord>();
    buildLayout(*sub, inner, level + 1);
    layout.sublayouts.push_back(std::move(sub));
  }
  layout.word = mem32::map(&layout, sizeof(LayoutRecord), dm2::kLayoutTag);
}

void unmapWord(Int word) {
  if (word != 0) mem32::unmap(word);
}

void unmapLayout(const LayoutRecord& layout) {
  for (const auto& v : layout.variables) unmapWord(v.word);
  for (const auto& sub : layout.sublayouts) unmapLayout(*sub);
  unmapWord(layout.word);
}

void unmapModel(const Model& m) {
  for (const auto& node : m.nodes) {
    unmapWord(node->record.word);
    unmapWord(node->slideLineAddresses.word);
    unmapWord(node->dofList.word);
    unmapWord(node->word);
  }
  for (const auto& type : m.typeRecords) unmapWord(type->word);
  for (const auto& e : m.elements) {
    for (const IntList* list : {&e->nodes, &e->recordAddresses, &e->slideLineAddresses, &e->dofEntries})
      unmapWord(list->word);
    unmapLayout(e->layout);
  }
  for (const auto* blocks : {&m.globalBlocks, &m.workBlocks, &m.temporaries})
    for (const auto& block : *blocks) unmapWord(block->word);
  unmapWord(m.nodeDatabase);
}

}  // namespace

Model& model() {
  if (gModel == nullptr) {
    gModel = new Model();
    gModel->nodeDatabase = mem32::map(gModel, sizeof(Model), dm2::kNodeDatabaseTag);
  }
  return *gModel;
}

std::unique_ptr<MemoryBlock> makeBlock(std::size_t bytes) {
  if (bytes > kLargestBlock) return nullptr;
  const std::size_t words = (bytes + 7) / 8;
  auto block = std::make_unique<MemoryBlock>();
  block->storage.reset(new (std::nothrow) std::uint64_t[words]());  // zeroed
  if (block->storage == nullptr) return nullptr;
  block->word = mem32::map(block->storage.get(), bytes, dm2::kBlockTag);
  if (block->word == 0) return nullptr;
  return block;
}

}  // namespace dm2_detail

namespace dm2_testing {

using namespace dm2_detail;

Int addNode(const Node& given) {
  auto node = std::make_unique<NodeRecord>();
  node->userNumber = given.userNumber;
  node->coordinates = given.coordinates;
  mapList(node->record, {given.dofWord, given.userNumber});
  mapList(node->slideLineAddresses, given.slideLineAddresses);
  mapList(node->dofList, given.dofList);
  node->word = mem32::map(node.get(), sizeof(NodeRecord), dm2::kNodeTag);
  Model& m = model();
  m.nodes.push_back(std::move(node));
  return static_cast<Int>(m.nodes.size());
}

Int nodeDatabase() { return model().nodeDatabase; }

Int addElementType(const ElementType& given) {
  std::vector<Int> words(dm2::kTypeRecordWords, 0);
  words[dm2::kTypeCodeWord - 1] = given.typeCode;
  words[dm2::kFamilyCodeWord - 1] = given.familyCode;
  words[dm2::kDimensionWord - 1] = given.dimension;
  words[dm2::kNodeCountWord - 1] = given.nodeCount;
  for (const auto& [word, value] : given.words)
    if (word >= 1 && word <= dm2::kTypeRecordWords) words[static_cast<std::size_t>(word - 1)] = value;
  auto record = std::make_unique<IntList>();
  mapList(*record, std::move(words));
  Model& m = model();
  m.typeRecords.push_back(std::move(record));
  return static_cast<Int>(m.typeRecords.size());
}

Int addElement(const Element& given) {
  Model& m = model();
  auto e = std::make_unique<ElementRecord>();
  e->userNumber = given.userNumber;
  if (given.type >= 1 && static_cast<std::size_t>(given.type) <= m.typeRecords.size())
    e->typeRecord = m.typeRecords[static_cast<std::size_t>(given.type - 1)]->word;
  e->section = given.section;
  e->slideLine = given.slideLine;
  e->classValue = given.classValue;
  mapList(e->nodes, given.nodes);
  mapList(e->recordAddresses, given.recordAddresses);
  mapList(e->slideLineAddresses, given.slideLineAddresses);
  mapList(e->dofEntries, given.dofEntries.empty() ? given.nodes : given.dofEntries);
  buildLayout(e->layout, given.layout, 0);
  e->layout.element = e.get();
  const Int handle = e->layout.word;
  m.elements.push_back(std::move(e));
  return handle;
}

Int addGlobalBlock(std::size_t words) {
  Model& m = model();
  auto block = makeBlock(words * 8);
  if (block == nullptr) return 0;
  m.globalBlocks.push_back(std::move(block));
  return static_cast<Int>(m.globalBlocks.size());
}

void resetModel() {
  if (gModel == nullptr) return;
  unmapModel(*gModel);
  delete gModel;
  gModel = nullptr;
}

int openBlocks() {
  const Model& m = model();
  int open = static_cast<int>(m.workBlocks.size());
  for (const auto& block : m.globalBlocks) open += block->opens;
  return open;
}

int temporaryBlocks() { return static_cast<int>(model().temporaries.size()); }

}  // namespace dm2_testing
