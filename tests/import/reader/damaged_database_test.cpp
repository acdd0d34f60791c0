#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <vector>

#include "siblings/eqc/testing.h"
#include "siblings/glo/database_file.h"
#include "tests/import/import_fixture.h"
#include "zmx/import.h"

namespace importtest {
namespace {

using namespace glo_testing;

std::vector<std::int32_t> load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::int32_t> words(std::filesystem::file_size(path) / 4);
  in.read(reinterpret_cast<char*>(words.data()), static_cast<std::streamsize>(words.size() * 4));
  return words;
}

void save(const std::string& path, const std::vector<std::int32_t>& words, std::size_t bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(words.data()), static_cast<std::streamsize>(bytes));
}

// A class with element state of the given kind and type on domain 1, four elements in segments
// of three, one group of two points with a plastic material.
ClassModel stateClass(int kind, int code) {
  ClassModel c;
  c.type = kind;
  c.code = code;
  c.groupSize = 3;
  c.typeWord5 = 1;
  c.hasState = true;
  const int nodes = code & 31;
  for (int e = 0; e < 4; ++e) {
    c.labels.push_back(900 + 10 * kind + e);
    std::vector<int> element;
    for (int k = 0; k < nodes; ++k) element.push_back(1 + (e + k) % 4);
    c.nodes.push_back(element);
    c.rotationalNodes.push_back(std::vector<int>(static_cast<std::size_t>(nodes), 1));
  }
  const auto rows = [](int columns, double value) { return Rows(4, std::vector<double>(static_cast<std::size_t>(columns), value)); };
  c.classState.variableWords = 57 * 2;
  c.classState.state = {{2, rows(4, 0.5)}, {3, rows(9, 1.0)}, {4, rows(3, 0.1)}, {5, rows(4, 0.5)}, {29, rows(2, 1.0)}};
  c.classState.shared = {{9, rows(2, 0.01)}, {22, rows(1, 3.0)}};
  c.classState.domain = {{37, rows(5, 1.0)}, {40, rows(2, 0.5)}};
  SectionEntry group(2, {}, 0.0);
  group.coordinates = {-0.5, 0.5};
  group.domainArrays = {{21, rows(1, 0.1)}, {32, rows(1, 0.2)}};
  for (int p = 0; p < 2; ++p) {
    group.pointState.push_back({{1, rows(6, 10.0)}, {3, rows(4, 1.0)}, {4, rows(1, 2.0)}, {28, rows(6, 0.01)}});
    group.pointShared.push_back({{22, rows(1, 4.0)}, {33, rows(2, 0.7)}});
    group.materialVariables.push_back({{1, rows(1, 1.0)}, {2, rows(6, 2.0)}, {7, rows(6, 0.001)}});
  }
  group.materialCode = 200;
  group.flags.assign(200, 1);
  c.sections = {group};
  return c;
}

// Positions of the data words of every block of the file's partitions with these numbers (the
// words inside blocks, not the file's tables), of every key or of one.
std::vector<std::size_t> dataWords(const std::vector<std::int32_t>& file, std::initializer_list<int> partitions,
                                   int key = -1) {
  std::vector<std::size_t> at;
  for (std::size_t p = 0; p < static_cast<std::size_t>(file[3]); ++p) {
    const std::int32_t* entry = &file[glo_store::kHeaderWords + glo_store::kEntryWords * p];
    if (std::find(partitions.begin(), partitions.end(), entry[0]) == partitions.end() || (key >= 0 && entry[2] != key))
      continue;
    for (std::size_t b = 0; b < static_cast<std::size_t>(entry[3]); ++b) {
      const auto first = static_cast<std::size_t>(file[static_cast<std::size_t>(entry[4]) + 2 * b]);
      const auto length = static_cast<std::size_t>(file[static_cast<std::size_t>(entry[4]) + 2 * b + 1]);
      for (std::size_t k = 0; k < length; ++k) at.push_back(first + k);
    }
  }
  return at;
}

// Position in the file of word k (from 1) of block b of the first partition with this number.
std::size_t blockWord(const std::vector<std::int32_t>& file, int partition, int b, int k) {
  for (std::size_t p = 0; p < static_cast<std::size_t>(file[3]); ++p) {
    const std::int32_t* entry = &file[glo_store::kHeaderWords + glo_store::kEntryWords * p];
    if (entry[0] == partition)
      return static_cast<std::size_t>(file[static_cast<std::size_t>(entry[4] + 2 * (b - 1))] + k - 1);
  }
  return 0;
}

class DamagedDatabase : public ImportFixture {
 protected:
  // Status is 0, 1 or 2, and a block index is either "no block" or a block it gives back.
  void keep(Int index, bool real) {
    if (index == kNoBlock) return;
    ASSERT_GE(index, 1);
    if (real)
      REL_GDB_REAL(&index);
    else
      REL_GDB_INTG(&index);
  }

  void status(Int value) { EXPECT_TRUE(value == 0 || value == 1 || value == 2) << value; }

  // Keys that reach every element-state reader (copies, the strain operators, the corner gathers,
  // material keys) for classes 1 to classes at points 0 to 2; per class a fingerprint of what
  // was answered (statuses, counts and values).
  std::vector<std::size_t> readElementState(Int classes) {
    std::vector<std::size_t> prints;
    EDI_ACC_TEMPORARYPACKAGE();
    for (Int elementClass = 1; elementClass <= classes; ++elementClass) {
      std::size_t print = 0;
      const auto mix = [&print](std::size_t value) { print = print * 1000003u ^ value; };
      for (Int key : {30000, 1000, 4600, 8500, 9800, 9900, 11000, 7100, 27000, 33000, 3100, 2400})
        for (Int point : {0, 1, 2}) {
          Int direct = 0, shear = 0, index = 0, row = 1, increment = 1, answer = -1;
          ACC_SDB_ELEMKEY(&row, &increment, &key, &elementClass, &point, &direct, &shear, &index, &answer);
          status(answer);
          mix(static_cast<std::size_t>(answer) * 7919u + static_cast<std::size_t>(direct * 31 + shear));
          if (answer != 0) continue;
          for (int k = 1; k <= 4 * (direct + shear) && index >= 1 && index + k < (1 << 16); ++k)
            mix(static_cast<std::size_t>(static_cast<std::uint32_t>(intAt(index, k))));
        }
      prints.push_back(print);
    }
    EDI_REL_TEMPORARYPACKAGE();
    return prints;
  }

  // Every reader once or more, each answer checked for form and every block given back.
  void readEverything() {
    Int a = 0, b = 0, c = 0, d = 0;
    INQ_PDB_MODEL(&a, &b, &c);
    INQ_PDB_NODEMODELCOMP(&a, &b, &c, &d);
    ACC_MDB_NODEMODELDATA(&a, &b);
    keep(a, false), keep(b, true);
    for (Int flag : {0, 1}) {
      ACC_MDB_ROTNODEMODELDATA(&flag, &a);
      keep(a, false);
    }
    for (Int k = 0; k <= 6; ++k) {
      ACC_MDB_ELEMMODELDATA(&k, &a, &b);
      keep(a, false), keep(b, false);
      Int r[13];
      INQ_PDB_CLASS(&k, &r[0], &r[1], &r[2], &r[3], &r[4], &r[5], &r[6], &r[7], &r[8], &r[9], &r[10], &r[11], &r[12]);
      keep(r[7], false), keep(r[8], false), keep(r[9], true);
    }
    ACC_MDB_ELEMSETDATA(&a, &b, &c);
    keep(b, false), keep(c, false);
    ACC_MDB_NODESETDATA(&a, &b, &c);
    keep(b, false), keep(c, false);
    for (Int s = 0; s <= 3; ++s) {
      ACC_MDB_ELEMSETCLASSES(&s, &a, &b);
      keep(b, false);
      ACC_MDB_NODESETMEMBERS(&s, &a, &b);
      keep(b, false);
      const Int k = 1;
      ACC_MDB_ELSETCLASSMEMBERS(&s, &k, &a, &b);
      keep(b, false);
    }
    for (Int label : {22, 101, 999}) {
      INQ_MDB_WHICHCLASS(&label, &a);
      INQ_MDB_NODEID(&label, &a);
    }
    ACC_TMP_REALMEMORY(&(a = 3), &b);
    keep(b, true);
    INQ_RDB_RESTART(&a, &b, &c);
    keep(b, false), keep(c, true);
    for (Int step : {1, 3, 4, 7, 1}) {
      Int value = 0, procedure = 0;
      a = b = kNoBlock;  // a step without step data leaves both as they are
      INQ_RDB_STEP(&step, &a, &b, &c, &value, &procedure);
      keep(a, true), keep(b, false);
      INQ_RDB_ALECLASSNUMBER(&step, &a);
    }
    for (float time : {0.5F, 1.3F, 5.0F}) {
      float start = 0.0F, inStep = 0.0F;
      INQ_RDB_TIME(&time, &a, &b, &c, &start, &inStep);
    }
    readElementState(8);
    for (Int row = 0; row <= 2; ++row)
      for (Int inc = 0; inc <= 1; ++inc) {
        for (Int key : {92, 98, 97}) {
          float value = 0.0F;
          ACC_SDB_GLOBKEY(&row, &inc, &key, &value, &a);
          status(a);
        }
        for (Int key : {200, 1000, 2100, 3100, 7000, 10000}) {
          Int components = 3, block = 0;
          ACC_SDB_NODEKEY(&row, &inc, &key, &components, &block, &a);
          status(a);
          keep(block, true);
        }
        Int keys[10] = {200, 1000, 2000, 3000, 4000, 5000, 6000, 2100, 7000, 10000};
        Int components[10] = {3, 3, 3, 3, 3, 3, 3, 3, 3, 3}, blocks[10], statuses[10];
        ACC_SDB_NODEKEYALL(&row, &inc, keys, components, blocks, statuses);
        for (int j = 0; j < 10; ++j) status(statuses[j]), keep(blocks[j], true);
      }
  }
};

TEST_F(DamagedDatabase, TruncatedFilesLeaveTheFolderEmptyAndEveryReaderAnswers) {
  writeFiles(model_);
  const std::vector<std::int32_t> pristine = load(modelFile_);
  for (std::size_t bytes : {std::size_t{0}, std::size_t{6}, std::size_t{40}, pristine.size() * 2, pristine.size() * 4 - 4}) {
    save(modelFile_, pristine, bytes);
    glo_testing::resetStore();
    IMPINITIALIZE(work());
    EXPECT_TRUE(eqc_testing::printed("cannot be opened for the *IMPORT option.")) << bytes;
    readEverything();
    DEC_GDB_CLOSE();
    EXPECT_EQ(outstandingBlocks(), 0);
    eqc_testing::clearMessages();
  }
}

TEST_F(DamagedDatabase, FlippedWordsGiveAnswersNeverACrash) {
  model_.classes.push_back(stateClass(10, 15368));
  model_.classes.push_back(stateClass(20, 13316));
  model_.classes.push_back(stateClass(30, 12802));
  model_.packageFirstTerm = 2000;
  writeFiles(model_);
  const std::vector<std::int32_t> model = load(modelFile_), state = load(stateFile_);
  std::mt19937 random(2026);
  const std::int32_t wild[] = {0, -1, 1, 2, 7, 65, 1000, 134217729, INT32_MIN, INT32_MAX, -65};
  int reported = 0;
  for (int round = 0; round < 120; ++round) {
    std::vector<std::int32_t> m = model, s = state;
    for (int flip = 0; flip < 1 + round % 4; ++flip) {
      std::vector<std::int32_t>& file = random() % 3 == 0 ? s : m;
      const std::size_t at = random() % file.size();
      file[at] = random() % 2 == 0 ? wild[random() % std::size(wild)] : file[at] ^ static_cast<std::int32_t>(1u << (random() % 32));
    }
    save(modelFile_, m, m.size() * 4);
    save(stateFile_, s, s.size() * 4);
    glo_testing::resetStore();
    IMPINITIALIZE(work());
    readEverything();
    DEC_GDB_CLOSE();
    EXPECT_EQ(outstandingBlocks(), 0) << round;
    reported += eqc_testing::countAtLevel(-3) > 0 ? 1 : 0;
    eqc_testing::clearMessages();
  }
  // The damage reaches the readers: many rounds are caught and reported, not all.
  EXPECT_GT(reported, 10);
  EXPECT_LT(reported, 120);
}

// Damage confined to the data words of the class and node blocks (partition 202, and 501 and 502
// at the increment read) gets past the file's tables to every element-state reader: every class
// answers differently in some round, and none crashes or keeps a block.
TEST_F(DamagedDatabase, FlippedClassDataReachesEveryElementReaderWithoutACrash) {
  const std::pair<int, int> kinds[] = {{10, 15368}, {10, 9220}, {10, 25604}, {10, 13316}, {20, 13316}, {30, 12802}};
  for (const auto& [kind, code] : kinds) model_.classes.push_back(stateClass(kind, code));
  model_.packageFirstTerm = 6000;
  const auto classes = static_cast<Int>(model_.classes.size());
  writeFiles(model_);
  const std::vector<std::int32_t> model = load(modelFile_), state = load(stateFile_);
  const std::vector<std::size_t> modelData = dataWords(model, {202}), stateData = dataWords(state, {501, 502}, 1);
  ASSERT_FALSE(modelData.empty());
  ASSERT_FALSE(stateData.empty());
  glo_testing::resetStore();
  IMPINITIALIZE(work());
  const std::vector<std::size_t> pristine = readElementState(classes);
  DEC_GDB_CLOSE();
  std::vector<bool> changed(pristine.size(), false);
  std::mt19937 random(36);
  const std::int32_t wild[] = {0, -1, 2, 5, 9, 1000, INT32_MIN, INT32_MAX};
  for (int round = 0; round < 240; ++round) {
    std::vector<std::int32_t> m = model, s = state;
    for (int flip = 0; flip < 1 + round % 3; ++flip) {
      const bool inModel = random() % 2 == 0;
      const std::vector<std::size_t>& data = inModel ? modelData : stateData;
      std::int32_t& word = (inModel ? m : s)[data[random() % data.size()]];
      const auto bit = static_cast<std::int32_t>(1u << (random() % 32));
      word = random() % 3 == 0 ? wild[random() % std::size(wild)] : word ^ bit;
    }
    save(modelFile_, m, m.size() * 4);
    save(stateFile_, s, s.size() * 4);
    glo_testing::resetStore();
    IMPINITIALIZE(work());
    const std::vector<std::size_t> prints = readElementState(classes);
    DEC_GDB_CLOSE();
    EXPECT_EQ(outstandingBlocks(), 0) << round;
    for (std::size_t c = 0; c < prints.size(); ++c) changed[c] = changed[c] || prints[c] != pristine[c];
    eqc_testing::clearMessages();
  }
  for (std::size_t c = 5; c < changed.size(); ++c) EXPECT_TRUE(changed[c]) << "class " << c + 1;
}

// The temporary package counts the elements of the shell classes through the model table: a
// class count, a class record or a shell's type record out of the table, or a size no block can
// have, is reported and makes no package.
TEST_F(DamagedDatabase, APackageOfADamagedModelTableIsNotMade) {
  writeFiles(model_);
  const std::vector<std::int32_t> pristine = load(modelFile_);
  const std::size_t directory = blockWord(pristine, 201, 1, 1);
  const int tableBlock = pristine[directory + 2], tableWords = pristine[directory];
  const auto word = [&](int k) { return blockWord(pristine, 201, tableBlock, k); };
  // The sample's shell class is class 2: its record starts 19 words after the first record.
  const std::size_t shellRecord = word(pristine[word(12)] + 19);
  const struct {
    std::size_t at;
    std::int32_t value;
    const char* report;
  } cases[] = {{word(11), -1, "CLASS COUNT -1"},
               {word(12), tableWords - 19, "CLASS RECORDS"},
               {shellRecord + 1, tableWords - 1, "TYPE RECORD OF CLASS 2"},
               {word(14), 134217729, "PACKAGE SIZE"}};
  for (const auto& c : cases) {
    std::vector<std::int32_t> damaged = pristine;
    damaged[c.at] = c.value;
    save(modelFile_, damaged, damaged.size() * 4);
    glo_testing::resetStore();
    IMPINITIALIZE(work());
    eqc_testing::clearMessages();
    EDI_ACC_TEMPORARYPACKAGE();
    EXPECT_EQ(RHO_MAN_COMMONI.w[1], 0) << c.report;
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 1) << c.report;
    EXPECT_TRUE(eqc_testing::printed(c.report)) << c.report;
    closeClean();
  }
}

}  // namespace
}  // namespace importtest
