#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "runtime/address_space.h"
#include "siblings/eqc/testing.h"
#include "siblings/glo/block_store.h"
#include "tests/import/import_fixture.h"
#include "zmx/import.h"

namespace importtest {
namespace {

using namespace glo_testing;

// What a reader answered, flattened: counts and values as given, then the words of each block
// handed out (kNone for "no block"). The blocks are given back as they are taken.
constexpr Int kNone = -77;

struct Answer {
  std::vector<Int> words;
  int blocks = 0;  // blocks handed out
  bool operator==(const Answer& other) const { return words == other.words; }
};

std::ostream& operator<<(std::ostream& out, const Answer& a) {
  for (Int w : a.words) out << w << ' ';
  return out;
}

// One reader of a family for one argument.
using Reader = std::function<Answer(Int)>;

class ReaderWorkers : public ImportFixture {
 protected:
  void SetUp() override {
    ImportFixture::SetUp();
    startSample();
  }
  void TearDown() override {
    closeClean();
    ImportFixture::TearDown();
  }

  // A stored block of the partition on RHO_MAN_COMMONI word handleWord, copied out as a host
  // holding the database reads it.
  std::vector<Int> stored(int handleWord, Int number, Int length) {
    const Int kind = 17, one = 1;
    Int index = 0;
    DSM_BLO_ACCESS(&kind, &RHO_MAN_COMMONI.w[handleWord - 1], &number, &length, &index);
    EXPECT_NE(index, 0);
    std::vector<Int> words(work() + index - 1, work() + index - 1 + length);
    DSM_BLO_RELEASE(&one, &index);
    return words;
  }
  // The model table of partition 201, or its real table.
  std::vector<Int> modelTable(bool real = false) {
    const std::vector<Int> directory = stored(9, 1, 4);
    return stored(9, directory[real ? 3 : 2], directory[real ? 1 : 0]);
  }
  // The step table (16 words per row) and the step start times of partition 301.
  std::vector<Int> restartBlock(int directoryWord) {
    const std::vector<Int> directory = stored(12, 1, 8);
    return stored(12, directory[directoryWord - 1], directory[0] * (directoryWord == 3 ? 16 : 1));
  }

  // Appends count words of the block to the answer and gives it back; its index is one handed
  // out (with the offset), or one a worker made (without it).
  void take(Answer& a, Int index, long long count, bool real = false, bool made = false) {
    if (made && index != kNoBlock) index += indexOffset();
    if (index == kNoBlock) {
      a.words.push_back(kNone);
      return;
    }
    ++a.blocks;
    for (long long k = 1; k <= count; ++k) a.words.push_back(intAt(index, k));
    if (real)
      REL_GDB_REAL(&index);
    else
      REL_GDB_INTG(&index);
  }
  // A zeroed scratch block of n words for a worker to fill: its index without the offset.
  static Int fresh(Int n, bool real) {
    Int index = 0;
    if (real)
      ACC_TMP_REALMEMORY(&n, &index);
    else
      ACC_TMP_INTGMEMORY(&n, &index);
    return index - indexOffset();
  }

  // Global positions of the nodes of domain d: its node-label list and second group, or the
  // nodes with rotations, or the third group.
  std::vector<int> positionsOf(int d, char group) const {
    const DomainModel& dm = model_.domains[static_cast<std::size_t>(d - 1)];
    if (group == 'r') return dm.rotatingPositions;
    if (group == 'u') return dm.thirdPositions;
    std::vector<int> all = dm.positions;
    all.insert(all.end(), dm.secondPositions.begin(), dm.secondPositions.end());
    return all;
  }
  // The answer with every word of a node outside the positions set to 0, in the words from first
  // on (width words per node) up to last.
  static Answer onlyAt(Answer a, const std::vector<int>& positions, int width, std::size_t first = 0,
                       std::size_t last = SIZE_MAX) {
    for (std::size_t w = first; w < std::min(last, a.words.size()); ++w) {
      const int g = static_cast<int>((w - first) / static_cast<std::size_t>(width)) + 1;
      if (std::find(positions.begin(), positions.end(), g) == positions.end()) a.words[w] = 0;
    }
    return a;
  }

  std::size_t classLabels(Int k) const {
    return k >= 1 && k <= static_cast<Int>(model_.classes.size())
               ? model_.classes[static_cast<std::size_t>(k - 1)].labels.size()
               : 0;
  }
  std::size_t classNodes(Int k) const {
    return k >= 1 && k <= static_cast<Int>(model_.classes.size())
               ? model_.classes[static_cast<std::size_t>(k - 1)].code & 31
               : 0;
  }

  // The model-database readers by family: the parent and the worker on the table in table_ (its
  // first length_ words) and the real table, each for its table of arguments.
  struct Family {
    const char* name;
    std::vector<Int> arguments;
    Reader parent, worker;
  };
  std::vector<Family> modelFamilies() {
    const Int nodes = model_.nodes, classes = static_cast<Int>(model_.classes.size());
    // A family whose parent (made false) and worker (made true) are one call apart and answer
    // alike: the call gives the answer for the argument.
    const auto pair = [](const char* name, std::vector<Int> arguments, const std::function<Answer(Int, bool)>& read) {
      return Family{name, std::move(arguments), [=](Int x) { return read(x, false); }, [=](Int x) { return read(x, true); }};
    };
    // A pair whose call gives a count and a block of count + extra words.
    using CountCall = std::function<void(Int, bool, Int*, Int*)>;
    const auto counted = [=, this](const char* name, std::vector<Int> arguments, Int extra, const CountCall& call) {
      return pair(name, std::move(arguments), [=, this](Int x, bool made) {
        Int count = 0, block = 0;
        call(x, made, &count, &block);
        Answer a{{count}};
        take(a, block, count + extra, false, made);
        return a;
      });
    };
    // A pair whose call gives one word.
    const auto oneWord = [=](const char* name, std::vector<Int> arguments, const std::function<void(Int, bool, Int*)>& call) {
      return pair(name, std::move(arguments), [=](Int x, bool made) {
        Int answer = -1;
        call(x, made, &answer);
        return Answer{{answer}};
      });
    };
    // INQ_PDB_CLASS's 13 results, the three blocks r8 to r10 replaced by their words.
    const auto classAnswer = [=, this](const Int* r, Int k, bool made) {
      Answer a{{r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[10], r[11], r[12]}};
      const std::size_t v = k >= 1 && k <= classes && !model_.classes[static_cast<std::size_t>(k - 1)].sections.empty()
                                ? model_.classes[static_cast<std::size_t>(k - 1)].sections[0].values.size()
                                : 0;
      for (int b = 7; b <= 9; ++b) take(a, r[b], b == 8 ? r[3] * static_cast<Int>(v) : r[3], b == 9, made);
      return a;
    };

    // The nodal state of a key at increment 1 of the first step: the status, and the block when
    // served; a worker is handed a zeroed block beforehand.
    const Int incrementKey = 1 + restartBlock(3)[3];

    return {
        pair("nodal state", {1000, 2100, 7000, 10000, 8000, 9999},
             [=, this](Int key, bool made) {
               const Int row = 1, increment = 1;
               Int components = 3, block = made ? fresh(3 * nodes, true) : 0, status = -1;
               if (made)
                 ACC_SDB_NODEKEY1(&incrementKey, t(), &length_, &key, &components, &block, &status);
               else
                 ACC_SDB_NODEKEY(&row, &increment, &key, &components, &block, &status);
               Answer a{{status}};
               if (status != 0 && made) take(a, block, 0, true, true);
               take(a, status == 0 ? block : kNoBlock, 3LL * nodes, true, made);
               return a;
             }),
        pair("element labels and connectivity", {0, 1, 2, 3, 4, 5, 6},
             [this](Int k, bool made) {
               Int labels = 0, connectivity = 0;
               if (made) {
                 ACC_MDB_ELEMMODELDATA1(t(), &length_, &k, &labels);
                 ACC_MDB_ELEMMODELDATA2(t(), &length_, &k, &connectivity);
               } else {
                 ACC_MDB_ELEMMODELDATA(&k, &labels, &connectivity);
               }
               Answer a;
               take(a, labels, static_cast<long long>(classLabels(k)), false, made);
               take(a, connectivity, static_cast<long long>(classLabels(k) * classNodes(k)), false, made);
               return a;
             }),
        // The class-entry block holds count + 2n words.
        counted("element set classes", {0, 1, 2, 3}, 2 * classes,
                [this](Int s, bool made, Int* count, Int* block) {
                  if (made)
                    ACC_MDB_ELEMSETCLASSES1(t(), &length_, &s, count, block);
                  else
                    ACC_MDB_ELEMSETCLASSES(&s, count, block);
                }),
        counted("element set members of a class (10 x set + class)", {11, 12, 14, 15, 16, 10, 21, 31}, 0,
                [this](Int sk, bool made, Int* count, Int* block) {
                  const Int s = sk / 10, k = sk % 10;
                  if (made)
                    ACC_MDB_ELSETCLASSMEMBERS1(t(), &length_, &s, &k, count, block);
                  else
                    ACC_MDB_ELSETCLASSMEMBERS(&s, &k, count, block);
                }),
        pair("element and node set data (0 element, 1 node)", {0, 1},
             [this](Int node, bool made) {
               Int number = 0, names = 0, counts = 0;
               if (made)
                 (node != 0 ? ACC_MDB_NODESETDATA1 : ACC_MDB_ELEMSETDATA1)(t(), &length_, &number, &names, &counts);
               else
                 (node != 0 ? ACC_MDB_NODESETDATA : ACC_MDB_ELEMSETDATA)(&number, &names, &counts);
               Answer a{{number}};
               take(a, names, 2 * number, false, made);
               take(a, counts, number, false, made);
               return a;
             }),
        counted("node set members", {0, 1, 2, 3}, 0,
                [this](Int s, bool made, Int* count, Int* block) {
                  if (made)
                    ACC_MDB_NODESETMEMBERS1(t(), &length_, &s, count, block);
                  else
                    ACC_MDB_NODESETMEMBERS(&s, count, block);
                }),
        // 0: all domains; d: the nodes of domain d only (the parent's answer kept at them). A worker
        // fills blocks made zeroed beforehand.
        pair("node labels and coordinates", {0, 1, 2},
             [=, this](Int d, bool made) {
               Int labels = made ? fresh(nodes, false) : 0, coordinates = made ? fresh(3 * nodes, true) : 0;
               if (!made)
                 ACC_MDB_NODEMODELDATA(&labels, &coordinates);
               else if (d == 0)
                 ACC_MDB_NODEMODELDATA1(t(), &length_, &labels, &coordinates);
               else
                 ACC_MDB_NODEMODELDATADOM(t(), &length_, &d, &labels, &coordinates);
               Answer a;
               take(a, labels, nodes, false, made);
               take(a, coordinates, 3LL * nodes, true, made);
               if (made || d == 0) return a;
               const std::vector<int> at = positionsOf(d, 't');
               return onlyAt(onlyAt(a, at, 1, 0, static_cast<std::size_t>(nodes)), at, 3, static_cast<std::size_t>(nodes));
             }),
        // Flag 0 and 1 over all domains, then domains 1 and 2 (as 11 and 12) with the flag set.
        pair("nodes with rotations", {0, 1, 11, 12},
             [=, this](Int flag, bool made) {
               const Int d = flag - 10, allFlag = flag < 10 ? flag : 1;
               Int block = made ? fresh(nodes, false) : 0;
               if (!made)
                 ACC_MDB_ROTNODEMODELDATA(&allFlag, &block);
               else if (flag < 10)
                 ACC_MDB_ROTNODEMODELDATA1(t(), &length_, &flag, &block);
               else
                 ACC_MDB_ROTNODEMODELDATADOM(t(), &length_, &d, &block);
               Answer a;
               take(a, block, nodes, false, made);
               return made || flag < 10 ? a : onlyAt(a, positionsOf(d, 'r'), 1);
             }),
        oneWord("node label search", {101, 104, 201, 202, 901, 999},
                [this](Int label, bool made, Int* answer) {
                  if (made)
                    INQ_MDB_NODEID1(t(), &length_, &label, answer);
                  else
                    INQ_MDB_NODEID(&label, answer);
                }),
        oneWord("element label search", {11, 13, 21, 22, 31, 41, 51, 999},
                [this](Int label, bool made, Int* k) {
                  if (made)
                    INQ_MDB_WHICHCLASS1(t(), &length_, &label, k);
                  else
                    INQ_MDB_WHICHCLASS(&label, k);
                }),
        {"class description",
         {0, 1, 2, 3, 4, 5, 6},
         [=, this](Int k) {
           Int r[13];
           INQ_PDB_CLASS(&k, &r[0], &r[1], &r[2], &r[3], &r[4], &r[5], &r[6], &r[7], &r[8], &r[9], &r[10], &r[11],
                         &r[12]);
           return classAnswer(r, k, false);
         },
         [=, this](Int k) {
           // The workers leave what they do not give as the caller set it.
           Int r[13] = {0, 0, 0, 0, 0, 0, 0, kNoBlock, kNoBlock, kNoBlock, 0, 0, 0};
           INQ_PDB_CLASS1(t(), &length_, reals(), &realLength_, &k, r);
           INQ_PDB_CLASS2(t(), &length_, reals(), &realLength_, &k, r);
           return classAnswer(r, k, true);
         }},
    };
  }

  const Int* t() const { return table_.data(); }
  const float* reals() const { return reinterpret_cast<const float*>(realTable_.data()); }
  std::vector<Int> table_, realTable_;
  Int length_ = 0, realLength_ = 0;
};

// Every model-database worker, and the nodal-state loop, on the host's own copy of the model table
// (and of the real table) answers as its parent on the same database; the "DOM" workers each give
// their domain's part.
TEST_F(ReaderWorkers, WorkersOnTheHostsTableAnswerAsTheirParents) {
  table_ = modelTable();
  realTable_ = modelTable(true);
  length_ = static_cast<Int>(table_.size());
  realLength_ = static_cast<Int>(realTable_.size());
  const Int* t = table_.data();
  const Int n = length_;
  for (const Family& f : modelFamilies())
    for (Int argument : f.arguments) EXPECT_EQ(f.worker(argument), f.parent(argument)) << f.name << ": " << argument;

  // The domain workers on their own: each domain's node labels are found in it and only there.
  for (Int d = 1; d <= 2; ++d)
    for (const DomainModel& dm : model_.domains)
      for (Int label : dm.labels) {
        Int answer = -1;
        INQ_MDB_NODEIDDOM(t, &n, &d, &label, &answer);
        EXPECT_EQ(answer, &dm == &model_.domains[static_cast<std::size_t>(d - 1)] ? 0 : 1) << d << " " << label;
      }
  for (Int d : {0, 3}) {
    const Int label = 101;
    Int answer = -1;
    INQ_MDB_NODEIDDOM(t, &n, &d, &label, &answer);
    EXPECT_EQ(answer, 1);
  }
  EXPECT_TRUE(eqc_testing::messages().empty());
}

// The time workers on the host's step table, start times and step lists: the loop over the steps
// answers as the parent, and the search in one step finds the increment of the first step whose
// search succeeds.
TEST_F(ReaderWorkers, TimeWorkersAnswerAsTheirParent) {
  const std::vector<Int> table = restartBlock(3), startWords = restartBlock(4);
  const auto* starts = reinterpret_cast<const float*>(startWords.data());
  const Int steps = static_cast<Int>(startWords.size());
  struct Found {
    Int step = 0, position = 0, increment = 0;
    float start = 0.0F, inStep = 0.0F;
    bool operator==(const Found& o) const = default;
  };
  for (const float time : {-1.0F, 0.0F, 0.5F, 0.7F, 1.0F, 1.25F, 1.3F, 1.375F, 1.4F, 2.0F}) {
    Found parent, loop, single;
    INQ_RDB_TIME(&time, &parent.step, &parent.position, &parent.increment, &parent.start, &parent.inStep);
    INQ_RDB_TIME1(&time, &steps, table.data(), starts, &loop.step, &loop.position, &loop.increment, &loop.start,
                  &loop.inStep);
    EXPECT_TRUE(loop == parent) << time;
    // One step at a time, from the step's lists of times and increment numbers (row words 6, 5).
    for (Int s = 1; s <= steps && single.position == 0; ++s) {
      const Int* row = &table[16 * static_cast<std::size_t>(s - 1)];
      if (row[1] < 1) continue;
      const std::vector<Int> stepTimes = stored(12, row[5], row[1]), numbers = stored(12, row[4], row[1]);
      single.start = starts[s - 1];
      INQ_RDB_TIMESTEP(&time, &single.start, &row[1], reinterpret_cast<const float*>(stepTimes.data()), numbers.data(),
                       &single.position, &single.increment, &single.inStep);
      single.step = single.position != 0 ? row[0] : 0;
    }
    if (single.position == 0) single.start = 0.0F;
    EXPECT_TRUE(single == parent) << time;
  }
  // One step of the caller's own lists: the first total time at or after the time asked for; a
  // time beyond the last, or no increments, gives position 0 and zeros.
  const float start = 1.0F, times[3] = {0.25F, 0.5F, 0.5F};
  const Int increments[3] = {4, 7, 8};
  struct Case {
    float time;
    Int count, position, increment;
    float inStep;
  };
  for (const Case& c :
       {Case{1.0F, 3, 1, 4, 0.25F}, Case{1.25F, 3, 1, 4, 0.25F}, Case{1.3F, 3, 2, 7, 0.5F}, Case{1.6F, 3, 0, 0, 0.0F},
        Case{1.3F, 1, 0, 0, 0.0F}, Case{0.0F, 0, 0, 0, 0.0F}, Case{0.0F, -2, 0, 0, 0.0F}}) {
    Int position = -1, increment = -1;
    float inStep = -1.0F;
    INQ_RDB_TIMESTEP(&c.time, &start, &c.count, times, increments, &position, &increment, &inStep);
    EXPECT_EQ(std::vector<float>({static_cast<float>(position), static_cast<float>(increment), inStep}),
              std::vector<float>({static_cast<float>(c.position), static_cast<float>(c.increment), c.inStep}))
        << c.time << " " << c.count;
  }
  EXPECT_TRUE(eqc_testing::messages().empty());
}

// The nodal-state workers on the host's model table at the increment key (increment plus the
// increments stored before the step) answer as their parents: the loop over the domains for one
// and for ten keys, and the one-domain worker, whose two domains together give the parent's
// block, each only at its own nodes.
TEST_F(ReaderWorkers, NodalWorkersAnswerAsTheirParents) {
  const std::vector<Int> table = modelTable(), steps = restartBlock(3);
  const Int* t = table.data();
  const Int n = static_cast<Int>(table.size()), nodes = model_.nodes, three = 3;
  const Int words = 3 * nodes;
  const std::vector<Int> keys = {200, 1000, 2000, 3000, 4000, 5000, 6000, 2100, 3100, 4100, 5100, 6100, 7000, 10000};
  for (const auto& [row, increment] : std::vector<std::pair<Int, Int>>{{1, 0}, {1, 2}, {2, 1}}) {
    const Int incrementKey = increment + steps[16 * (row - 1) + 3];
    const auto filled = [&](const std::function<void(Int, Int*)>& fill) {
      const Int block = fresh(words, true);
      Answer a{{1}};
      fill(block, &a.words[0]);
      take(a, block, words, true, true);
      return a;
    };
    for (Int key : keys) {
      SCOPED_TRACE(std::to_string(row) + " " + std::to_string(increment) + " " + std::to_string(key));
      Int components = 3, block = 0, status = -1;
      ACC_SDB_NODEKEY(&row, &increment, &key, &components, &block, &status);
      Answer parent{{status}};
      take(parent, block, words, true);
      const Answer loop = filled([&](Int b, Int* s) { ACC_SDB_NODEKEY1(&incrementKey, t, &n, &key, &three, &b, s); });
      EXPECT_EQ(loop.words.front(), status);
      if (status == 0) {
        EXPECT_EQ(loop, parent);
      }

      // Each domain with its state opened by an element request on a class of that domain.
      Answer both{{1}};
      both.words.resize(1 + static_cast<std::size_t>(words), 0);
      for (Int d = 1; d <= 2; ++d) {
        askElement(1000, d == 1 ? 1 : 2, 1, row, increment);
        ASSERT_EQ(RHO_MAN_COMMONI.w[16], d);
        ASSERT_EQ(RHO_MAN_COMMONI.w[14], incrementKey);
        float global[23] = {};
        global[2] = static_cast<float>(model_.steps[static_cast<std::size_t>(row - 1)]
                                           .states[static_cast<std::size_t>(increment)]
                                           .domains[static_cast<std::size_t>(d - 1)]
                                           .timeIncrement);
        const Answer one = filled([&](Int b, Int* s) { ACC_SDB_NODEKEYDOM(&d, t, &n, global, &key, &three, &b, s); });
        const char group = key == 7000 || key == 10000 ? 'u' : key % 1000 == 100 ? 'r' : 't';
        const int width = key == 7000 ? 1 : key == 10000 ? 2 : 3;
        EXPECT_EQ(one, onlyAt(one, positionsOf(d, group), width, 1)) << d;
        both.words[0] = std::min(both.words[0], one.words[0]);
        for (std::size_t w = 1; w < one.words.size(); ++w) both.words[w] |= one.words[w];
      }
      EXPECT_EQ(both.words.front(), status);
      if (status == 0) {
        EXPECT_EQ(both, parent);
      }
    }
    // Ten keys in one pass.
    Int tenKeys[10] = {200, 1000, 2100, 3000, 4100, 5000, 6000, 7000, 10000, 8000}, components[10], blocks[10],
        statuses[10];
    std::fill(components, components + 10, 3);
    ACC_SDB_NODEKEYALL(&row, &increment, tenKeys, components, blocks, statuses);
    Int made[10], loopStatuses[10];
    for (int j = 0; j < 10; ++j) made[j] = j == 9 ? kNoBlock : fresh(words, true);
    ACC_SDB_NODEKEYALL1(&incrementKey, t, &n, tenKeys, components, made, loopStatuses);
    for (int j = 0; j < 10; ++j) {
      Answer parent{{statuses[j]}}, loop{{loopStatuses[j]}};
      take(parent, blocks[j], words, true);
      take(loop, made[j], words, true, true);
      EXPECT_EQ(loop.words.front(), parent.words.front()) << tenKeys[j];
      if (statuses[j] == 0) {
        EXPECT_EQ(loop, parent) << tenKeys[j];
      }
    }
  }
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);

  // A block that is not one, fewer components than a domain fills, or a negative count: reported
  // at level -3 with status 1, and nothing written past the caller's block.
  const Int incrementKey = 1 + steps[3], key = 1000, guarded = fresh(nodes + 1, true);
  for (const auto& [block, components] : std::vector<std::pair<Int, Int>>{{0, 3}, {guarded, 1}, {guarded, -1}}) {
    eqc_testing::clearMessages();
    Int status = -7;
    ACC_SDB_NODEKEY1(&incrementKey, t, &n, &key, &components, &block, &status);
    EXPECT_EQ(status, 1) << block << " " << components;
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 1) << block << " " << components;
    EXPECT_EQ(realAt(guarded + indexOffset(), nodes + 1), 0.0F);
  }
  Answer discard;
  take(discard, guarded, 0, true, true);
  eqc_testing::clearMessages();
}

// The model table cut short at every length gives every worker's whole answer or a report at level
// -3, never a wrong answer in silence, and leaves no block held.
TEST_F(ReaderWorkers, ADamagedTableGivesTheWholeAnswerOrAReport) {
  table_ = modelTable();
  realTable_ = modelTable(true);
  realLength_ = static_cast<Int>(realTable_.size());
  const std::vector<Int> pristine = table_;
  const auto whole = static_cast<Int>(pristine.size());
  const std::vector<Family> families = modelFamilies();
  eqc_testing::setEcho(false);
  const auto answers = [&](const std::vector<Answer>* expected) {
    eqc_testing::clearMessages();
    std::vector<Answer> out;
    for (const Family& f : families)
      for (Int argument : f.arguments) {
        const int before = eqc_testing::countAtLevel(-3);
        out.push_back(f.worker(argument));
        if (expected != nullptr && !(out.back() == (*expected)[out.size() - 1])) {
          EXPECT_GT(eqc_testing::countAtLevel(-3), before) << f.name << " " << argument << " cut at " << length_;
        }
      }
    EXPECT_EQ(outstandingBlocks(), 0);
    return out;
  };
  length_ = whole;
  const std::vector<Answer> full = answers(nullptr);
  for (length_ = 0; length_ < whole; ++length_) answers(&full);
  // Class 1's domain (record word 18) out of range, or its group size (type-record word 4) below
  // 1: no connectivity, and the damage reported.
  length_ = whole;
  const Int record = pristine[11], k = 1;
  for (const auto& [word, value] :
       std::vector<std::pair<Int, Int>>{{record + 17, 3}, {record + 17, 0}, {pristine[record] + 3, 0}}) {
    table_ = pristine;
    table_[static_cast<std::size_t>(word - 1)] = value;
    eqc_testing::clearMessages();
    Int connectivity = 0;
    ACC_MDB_ELEMMODELDATA2(t(), &length_, &k, &connectivity);
    EXPECT_EQ(connectivity, kNoBlock) << word;
    EXPECT_TRUE(eqc_testing::printed("CONNECTIVITY OF CLASS 1")) << word;
  }
  EXPECT_EQ(outstandingBlocks(), 0);
  eqc_testing::clearMessages();
  eqc_testing::setEcho(true);
}

// A store with room for only so many more words, from none up to what the reader needs: every
// reader gives its whole answer or reports at level -3 and hands out no block, and holds none.
TEST_F(ReaderWorkers, AStoreShortOfRoomGivesTheWholeAnswerOrNone) {
  // A first step of three increments, so that its lists outgrow the room its directory leaves.
  closeClean();
  StepModel& first = model_.steps[0];
  first.increments.push_back(3);
  first.times.push_back(1.0);
  first.states.push_back(first.states.back());
  start(model_);
  std::vector<std::pair<std::string, std::function<Answer()>>> readers;
  for (const Family& f : modelFamilies())
    readers.emplace_back(f.name, [parent = f.parent, argument = f.arguments[1]] { return parent(argument); });
  const auto nodal = [this](Int key) {
    const Int row = 2, increment = 1;
    Int components = 3, block = 0, status = -1;
    ACC_SDB_NODEKEY(&row, &increment, &key, &components, &block, &status);
    Answer a{{status}};
    take(a, block, 3LL * model_.nodes, true);
    return a;
  };
  for (Int key : {1000, 2000, 3000, 6000, 2100, 7000, 10000})
    readers.emplace_back("nodal key " + std::to_string(key), [=] { return nodal(key); });
  readers.emplace_back("ten nodal keys", [this] {
    const Int row = 2, increment = 1;
    Int keys[10] = {200, 1000, 2000, 3000, 4000, 5000, 6000, 2100, 7000, 10000}, components[10], blocks[10],
        statuses[10];
    std::fill(components, components + 10, 3);
    ACC_SDB_NODEKEYALL(&row, &increment, keys, components, blocks, statuses);
    Answer a{{statuses, statuses + 10}};
    for (Int block : blocks) take(a, block, 3LL * model_.nodes, true);
    return a;
  });
  readers.emplace_back("global key", [] {
    const Int row = 2, increment = 1, key = 98;
    float value = -1.0F;
    Int status = -1;
    ACC_SDB_GLOBKEY(&row, &increment, &key, &value, &status);
    Int bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return Answer{{status, bits}};
  });
  readers.emplace_back("restart", [this] {
    Int steps = 0, numbers = 0, starts = 0;
    INQ_RDB_RESTART(&steps, &numbers, &starts);
    Answer a{{steps}};
    take(a, numbers, steps);
    take(a, starts, steps, true);
    return a;
  });
  readers.emplace_back("step", [this] {
    const Int step = 1;
    Int times = 0, increments = 0, m = 0, value = 0, procedure = 0;
    INQ_RDB_STEP(&step, &times, &increments, &m, &value, &procedure);
    Answer a{{m, value, procedure}};
    take(a, times, m, true);
    take(a, increments, m);
    return a;
  });
  readers.emplace_back("time", [] {
    const float time = 1.3F;
    Int step = 0, position = 0, increment = 0;
    float start = 0.0F, inStep = 0.0F;
    INQ_RDB_TIME(&time, &step, &position, &increment, &start, &inStep);
    return Answer{{step, position, increment, static_cast<Int>(1000 * start), static_cast<Int>(1000 * inStep)}};
  });
  readers.emplace_back("temporary package", [] {
    EDI_ACC_TEMPORARYPACKAGE();
    Answer a{{RHO_MAN_COMMONI.w[1] != 0 ? RHO_MAN_COMMONI.w[19] : kNone}};
    a.blocks = RHO_MAN_COMMONI.w[1] != 0 ? 1 : 0;
    EDI_REL_TEMPORARYPACKAGE();
    return a;
  });
  const auto capacity = static_cast<Int>(mem32::bytesFrom(RHO_MAN_COMMONI.w[0]) / 4);
  eqc_testing::setEcho(false);
  for (const auto& [name, read] : readers) {
    const Answer whole = read();
    ASSERT_EQ(outstandingBlocks(), 0) << name;
    for (Int room = 0; room < capacity; ++room) {
      const Int fill = capacity - room;
      Int filler = 0;
      ACC_TMP_INTGMEMORY(&fill, &filler);
      eqc_testing::clearMessages();
      const Answer a = read();
      REL_GDB_INTG(&filler);
      ASSERT_EQ(outstandingBlocks(), 0) << name << " with room for " << room;
      if (a == whole) break;
      EXPECT_EQ(a.blocks, 0) << name << " with room for " << room;
      EXPECT_GT(eqc_testing::countAtLevel(-3), 0) << name << " with room for " << room;
    }
  }
  eqc_testing::clearMessages();
  eqc_testing::setEcho(true);
}

}  // namespace
}  // namespace importtest
