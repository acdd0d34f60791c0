#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "siblings/eqc/testing.h"
#include "tests/import/import_fixture.h"
#include "zmx/import.h"

namespace importtest {
namespace {

using namespace glo_testing;

constexpr Int kNoBlock = 134217729;

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
      INQ_RDB_STEP(&step, &a, &b, &c, &value, &procedure);
      keep(a, true), keep(b, false);
      INQ_RDB_ALECLASSNUMBER(&step, &a);
    }
    for (float time : {0.5F, 1.3F, 5.0F}) {
      float start = 0.0F, inStep = 0.0F;
      INQ_RDB_TIME(&time, &a, &b, &c, &start, &inStep);
    }
    EDI_ACC_TEMPORARYPACKAGE();
    EDI_REL_TEMPORARYPACKAGE();
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
  EXPECT_GT(reported, 30);
  EXPECT_LT(reported, 120);
}

}  // namespace
}  // namespace importtest
