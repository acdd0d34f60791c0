#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/report.h"
#include "siblings/eqc/import_services.h"
#include "siblings/glo/block_store.h"
#include "siblings/glo/testing.h"
#include "siblings/glo/vector_routines.h"

namespace {

std::vector<std::string>& reports() {
  static std::vector<std::string> log;
  return log;
}

class GloBlockStore : public ::testing::Test {
 protected:
  void SetUp() override {
    reports().clear();
    zmxrt::setReportWriter([](int, std::string_view text) { reports().emplace_back(text); });
    glo_testing::resetStore();
    work_.assign(64, -7);
    base_ = mem32::map(work_.data(), work_.size() * 4, mem32::tag("WORK"));
    folder_ = std::filesystem::temp_directory_path() / "zmx_glo_block_store";
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    mem32::unmap(base_);
    zmxrt::setReportWriter(nullptr);
  }

  // Starts the store on word 9 of the work array (index 1 = work_[8]), so 56 words are free.
  void start() {
    const Int zero = 0;
    const Int base = LFC_XUT_POINTER(&work_[8]);
    ASSERT_EQ(base, base_ + 32);
    DSM_MAN_START(&zero, &base, &zero, &zero);
  }

  // Names the unit's file the way the import does.
  void name(Int unit, const std::string& file) {
    const std::string key = "FOR00" + std::to_string(unit);
    LXPENV(key.data(), 7, file.data(), static_cast<Int>(file.size()));
  }

  std::vector<Int> work_;
  Int base_ = 0;
  std::filesystem::path folder_;
};

TEST_F(GloBlockStore, FoldersRoundTripAndSearchesFindFirstAndLastInStoredOrder) {
  const std::string file = (folder_ / "round.db").string();
  ASSERT_TRUE(glo_testing::writeFolder(file, {{501, 1, 0, {{1, 2, 3}}}, {501, 2, 0, {{4}}}, {501, 1, 5, {{6, 7}, {}}},
                                              {203, 1, 3, {{8}}}}));
  EXPECT_STREQ((name(61, file), std::getenv("FOR0061")), file.c_str());
  start();
  const Int unit = 61, mode = 16, number = 501, one = 1;
  DSM_FOL_OPEN(&unit, &mode);
  Int status = 1;
  DSM_FOL_STATUS(&unit, &status);
  EXPECT_EQ(status, 0);
  Int instance = 0, key = 0;
  DSM_PAR_FINDFIRST(&unit, &number, &instance, &one, &key);
  EXPECT_EQ(instance, 1);
  EXPECT_EQ(key, 0);
  instance = 0, key = 0;
  DSM_PAR_FINDLAST(&unit, &number, &instance, &one, &key);
  EXPECT_EQ(instance, 1);
  EXPECT_EQ(key, 5);
  instance = 2, key = 0;
  DSM_PAR_FINDFIRST(&unit, &number, &instance, &one, &key);
  EXPECT_EQ(instance, 2);
  instance = 0, key = 9;
  DSM_PAR_FINDFIRST(&unit, &number, &instance, &one, &key);
  EXPECT_EQ(instance, 0);
  EXPECT_EQ(key, 0);

  Int handle = 0;
  DSM_PAR_INIT(&mode, &handle);
  ASSERT_NE(handle, 0);
  const Int found = 1, keyFive = 5;
  DSM_PAR_OPEN(&unit, &handle, &number, &found, &one, &keyFive);
  const Int read = 17, blockOne = 1, blockTwo = 2, two = 2, zero = 0;
  Int index = 0, empty = 0;
  DSM_BLO_ACCESS(&read, &handle, &blockOne, &two, &index);
  ASSERT_EQ(index, 1);  // the first free word of the base array
  EXPECT_EQ(work_[8], 6);
  EXPECT_EQ(work_[9], 7);
  DSM_BLO_ACCESS(&read, &handle, &blockTwo, &zero, &empty);
  EXPECT_NE(empty, 0);
  EXPECT_EQ(glo_testing::outstandingBlocks(), 2);
  EXPECT_TRUE(reports().empty());
  DSM_BLO_RELEASE(&one, &index);
  DSM_BLO_RELEASE(&one, &empty);
  EXPECT_EQ(glo_testing::outstandingBlocks(), 0);
  EXPECT_EQ(glo_testing::opensOf(61, 501), 1);
}

TEST_F(GloBlockStore, ScratchBlocksAreCarvedZeroedAndRefusedBeyondTheArray) {
  start();
  const Int scratchMode = 512, readMode = 16, intKind = 1, realKind = 2, none = 0;
  Int scratch = 0, reader = 0;
  DSM_PAR_INIT(&scratchMode, &scratch);
  DSM_PAR_INIT(&readMode, &reader);
  Int a = 0, b = 0, c = 0;
  const Int ten = 10, forty = 40;
  DSM_BLO_ACCESS(&intKind, &scratch, &none, &ten, &a);
  DSM_BLO_ACCESS(&realKind, &scratch, &none, &forty, &b);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 11);
  for (int k = 0; k < 50; ++k) EXPECT_EQ(work_[static_cast<std::size_t>(8 + k)], 0);
  DSM_BLO_ACCESS(&intKind, &scratch, &none, &ten, &c);
  EXPECT_EQ(c, 0);  // 6 words are left
  DSM_BLO_RELEASE(&intKind, &a);
  DSM_BLO_ACCESS(&intKind, &scratch, &none, &ten, &c);
  EXPECT_EQ(c, 1);  // the freed gap is used again
  EXPECT_EQ(reports().size(), 1u);

  // Failures: not a scratch handle, an unbound handle, a negative length, a stranger index.
  DSM_BLO_ACCESS(&intKind, &reader, &none, &ten, &c);
  EXPECT_EQ(c, 0);
  const Int read = 17, first = 1, negative = -1;
  DSM_BLO_ACCESS(&read, &reader, &first, &ten, &c);
  EXPECT_EQ(c, 0);
  DSM_BLO_ACCESS(&intKind, &scratch, &none, &negative, &c);
  EXPECT_EQ(c, 0);
  const Int stranger = 5, noBlock = 134217729;
  DSM_BLO_RELEASE(&intKind, &stranger);
  EXPECT_EQ(reports().size(), 5u);
  DSM_BLO_RELEASE(&intKind, &noBlock);
  EXPECT_EQ(reports().size(), 5u);
}

TEST_F(GloBlockStore, DamagedFilesLeaveTheFolderEmptyAndMissingOnesAreQuiet) {
  const std::string file = (folder_ / "damaged.db").string();
  ASSERT_TRUE(glo_testing::writeFolder(file, {{201, 1, 1, {{1, 2, 3, 4}}}}));
  std::vector<std::int32_t> words(std::filesystem::file_size(file) / 4);
  std::ifstream(file, std::ios::binary).read(reinterpret_cast<char*>(words.data()), static_cast<std::streamsize>(words.size() * 4));
  start();
  const Int unit = 60, mode = 16, number = 201, one = 1;
  const auto openWith = [&](const std::vector<std::int32_t>& content) {
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size() * 4));
    name(60, file);
    DSM_FOL_OPEN(&unit, &mode);
    Int status = 0, instance = 0, key = 0;
    DSM_FOL_STATUS(&unit, &status);
    DSM_PAR_FINDFIRST(&unit, &number, &instance, &one, &key);
    return status == 0 && key == 1;
  };
  EXPECT_TRUE(openWith(words));
  for (std::size_t at : {std::size_t{0}, std::size_t{2}, std::size_t{3}, std::size_t{8}, std::size_t{9}, std::size_t{10}}) {
    std::vector<std::int32_t> bad = words;
    bad[at] = at == 10 ? 1000 : -3;
    reports().clear();
    EXPECT_FALSE(openWith(bad)) << at;
    EXPECT_EQ(reports().size(), 1u) << at;
  }
  reports().clear();
  name(60, (folder_ / "absent.db").string());
  DSM_FOL_OPEN(&unit, &mode);
  Int status = 0;
  DSM_FOL_STATUS(&unit, &status);
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(reports().empty());
}

TEST_F(GloBlockStore, AddressWordsOfArraysAndPaddedCompare) {
  EXPECT_EQ(LXNSUA(&work_[4]), (base_ + 16) / 4);
  int stray = 0;
  EXPECT_EQ(LFC_XUT_POINTER(&stray), 0);
  EXPECT_EQ(reports().size(), 1u);
  EXPECT_EQ(BCU_ACOMP("6.4", 3, "6.4     ", 8), 0);
  EXPECT_NE(BCU_ACOMP("6.4-1", 5, "6.4-2", 5), 0);
}

}  // namespace

namespace {

TEST(GloVectorRoutines, GathersLayComponentsInBlocksWithElementsFastest) {
  // Two elements of two nodes; the index list runs node by node over the elements.
  const std::vector<float> nodes{1, 2, 3, 10, 20, 30, 100, 200, 300};  // three nodes of three components
  const std::vector<Int> indexes{1, 3, 2, 1};                          // node 1 of e1, e2; node 2 of e1, e2
  std::vector<float> gathered(12);
  const Int count = 4, stride = 3, components = 3, known = 3;
  GLO_UTI_GENGATHERR(&count, &stride, &components, &known, indexes.data(), gathered.data(), nodes.data());
  EXPECT_EQ(gathered, (std::vector<float>{1, 100, 10, 1, 2, 200, 20, 2, 3, 300, 30, 3}));
  // Quaternions stored scalar first come out vector part first, scalar part in the fourth block.
  const std::vector<float> quaternions{0.9F, 0.1F, 0.2F, 0.3F, 0.5F, 0.4F, 0.6F, 0.7F};
  const std::vector<Int> rotating{2, 1};
  std::vector<float> q(8);
  const Int two = 2, four = 4, pairs = 2;
  GLO_UTI_GATHERR(&two, &four, &pairs, rotating.data(), q.data(), quaternions.data());
  EXPECT_EQ(q, (std::vector<float>{0.4F, 0.1F, 0.6F, 0.2F, 0.7F, 0.3F, 0.5F, 0.9F}));
  const float factor = 2.0F;
  std::vector<float> scaled(3);
  GLO_UTI_VSCALER(&components, &factor, nodes.data(), scaled.data());
  EXPECT_EQ(scaled, (std::vector<float>{2, 4, 6}));
}

}  // namespace
