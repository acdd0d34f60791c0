#include <gtest/gtest.h>

#include <string>

#include "runtime/record.h"
#include "siblings/eqc/import_testing.h"
#include "siblings/eqc/testing.h"
#include "siblings/utl/testing.h"
#include "tests/import/import_fixture.h"
#include "zmx/import.h"

namespace importtest {
namespace {

using glo_testing::outstandingBlocks;

class ImportFrame : public ImportFixture {};

const std::string kReleaseText =
    "The previous Explicit analysis was not run using this version of VELTRO. The Standard analysis must be run "
    "using the same version of VELTRO as the Explicit analysis.";

TEST_F(ImportFrame, WholeRoadTwiceLeavesNoBlockAndNoMessage) {
  for (int round = 0; round < 2; ++round) {
    startSample();
    EXPECT_TRUE(eqc_testing::messages().empty());
    EXPECT_NE(RHO_MAN_COMMONI.w[0], 0);

    Int steps = 0, numbers = 0, starts = 0;
    INQ_RDB_RESTART(&steps, &numbers, &starts);
    ASSERT_EQ(steps, 4);
    EXPECT_EQ(ints(numbers, 4), (std::vector<int>{1, 3, 4, 7}));
    EXPECT_EQ(reals(starts, 4), (std::vector<float>{0.0F, 1.0F, 1.25F, 1.25F}));

    Int times = 0, increments = 0, m = 0, value = 0, procedure = 0;
    const Int step = 1;
    INQ_RDB_STEP(&step, &times, &increments, &m, &value, &procedure);
    EXPECT_EQ(m, 2);
    EXPECT_EQ(ints(increments, 2), (std::vector<int>{1, 2}));

    Int labels = 0, coordinates = 0;
    ACC_MDB_NODEMODELDATA(&labels, &coordinates);
    EXPECT_EQ(intAt(labels, 6), 201);

    const Int row = 1, inc = 1, key = 1000;
    Int components = 3, block = 0, status = -1;
    ACC_SDB_NODEKEY(&row, &inc, &key, &components, &block, &status);
    EXPECT_EQ(status, 0);

    EDI_ACC_TEMPORARYPACKAGE();
    // 16 words per shell element (two) and the two fixed terms of the model table.
    EXPECT_EQ(RHO_MAN_COMMONI.w[19], 16 * 2 + 5 + 7);
    EXPECT_EQ(RHO_MAN_COMMONI.w[2], 0);
    EXPECT_GT(outstandingBlocks(), 0);

    for (Int* index : {&numbers, &increments, &labels, &block}) REL_GDB_INTG(index);
    for (Int* index : {&starts, &times, &coordinates}) REL_GDB_REAL(index);
    EDI_REL_TEMPORARYPACKAGE();
    closeClean();
    for (int word : {1, 2, 3, 6, 9, 13, 15, 16, 17, 18, 20}) EXPECT_EQ(RHO_MAN_COMMONI.w[word - 1], 0) << word;
  }
  EXPECT_TRUE(eqc_testing::messages().empty());
}

TEST_F(ImportFrame, ReleaseCheckGivesTheMessageOnceForAForeignRelease) {
  model_.release = "6.3-2";
  startSample();
  ASSERT_EQ(eqc_testing::messages().size(), 1u);
  EXPECT_EQ(eqc_testing::messages()[0].level, -3);
  EXPECT_EQ(kReleaseText.size(), 165u);
  EXPECT_NE(eqc_testing::messages()[0].text.find(kReleaseText), std::string::npos);
  // The start goes on: the database is open and readable.
  Int n = 0, index = 0;
  INQ_RDB_VERSION(&n, &index);
  ASSERT_EQ(n, 2);
  char name[8];
  const Int first = 1;
  CNQ_GDB_GETNAME(name, 8, &first, work() + index - 1);
  EXPECT_EQ(std::string(name, 8), "6.3-2   ");
  REL_GDB_INTG(&index);
  closeClean();
}

TEST_F(ImportFrame, MissingFileIsReportedAndReadersAnswerNotAvailable) {
  writeFiles(model_);
  utl_testing::setCommandLine("kvxfile", folder_ + "/absent.kvx");
  IMPINITIALIZE(work());
  const auto messages = eqc_testing::messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].text.find("The file " + folder_ + "/absent.kvx"), std::string::npos);
  EXPECT_NE(messages[0].text.find("cannot be opened for the *IMPORT option."), std::string::npos);
  eqc_testing::clearMessages();

  Int steps = -1, numbers = 0, starts = 0;
  INQ_RDB_RESTART(&steps, &numbers, &starts);
  EXPECT_EQ(steps, 0);
  EXPECT_EQ(numbers, kNoBlock);
  const Int row = 1, inc = 0, key = 92;
  float value = 5.0F;
  Int status = 0;
  ACC_SDB_GLOBKEY(&row, &inc, &key, &value, &status);
  EXPECT_NE(status, 0);
  Int nodes = -1, classes = -1, components = -1;
  INQ_PDB_MODEL(&nodes, &classes, &components);
  EXPECT_EQ(nodes, 0);
  closeClean();
}

TEST_F(ImportFrame, StandardToExplicitKeepsOnlyTheScratchPartition) {
  CIMPORT.w[1] = 3;
  writeFiles(model_);
  IMPINITIALIZE(work());
  const Int scratch = RHO_MAN_COMMONI.w[5];
  EXPECT_NE(scratch, 0);
  for (int word = 9; word <= 14; ++word) EXPECT_EQ(RHO_MAN_COMMONI.w[word - 1], 0);
  IMPINITSTDTOXPL();
  EXPECT_EQ(RHO_MAN_COMMONI.w[5], scratch);
  Int index = 0;
  const Int n = 6;
  ACC_TMP_INTGMEMORY(&n, &index);
  ASSERT_NE(index, kNoBlock);
  for (int k = 1; k <= n; ++k) EXPECT_EQ(intAt(index, k), 0);
  const Int held = index;
  REL_GDB_INTG(&index);
  EXPECT_EQ(index, held);  // the offset here is 0
  // A second release of the same block is reported and changes nothing.
  REL_GDB_INTG(&index);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_TRUE(eqc_testing::messages().size() == 1);
  closeClean();
}

TEST_F(ImportFrame, GlobalStoreResetsSavesAndAbortsOnAnUnknownOperation) {
  Int a = 9, b = 9, c = 9, d = 9, e = 9, offset = 12;
  Int operation = 3;
  EDI_MAN_GLOBALSTORE(&a, &b, &c, &d, &e, &offset, &operation);
  Int got[6] = {7, 7, 7, 7, 7, 7};
  operation = 1;
  EDI_MAN_GLOBALSTORE(&got[0], &got[1], &got[2], &got[3], &got[4], &got[5], &operation);
  EXPECT_EQ(std::vector<int>(got, got + 6), (std::vector<int>{0, -1, 0, -1, 0, 12}));
  Int saved[5] = {1, 2, 3, 4, 5}, ignored = 99;
  operation = 2;
  EDI_MAN_GLOBALSTORE(&saved[0], &saved[1], &saved[2], &saved[3], &saved[4], &ignored, &operation);
  operation = 1;
  EDI_MAN_GLOBALSTORE(&got[0], &got[1], &got[2], &got[3], &got[4], &got[5], &operation);
  EXPECT_EQ(std::vector<int>(got, got + 6), (std::vector<int>{1, 2, 3, 4, 5, 12}));

  eqc_import_testing::interceptAbort(true);
  operation = 7;
  EDI_MAN_GLOBALSTORE(&a, &b, &c, &d, &e, &offset, &operation);
  EXPECT_EQ(eqc_import_testing::abortCount(), 1);
  EXPECT_TRUE(eqc_testing::printed("Invalid access flag 7"));
  eqc_import_testing::interceptAbort(false);
}

TEST_F(ImportFrame, ModuleCountsOnceAndShellCountSkipsOtherClasses) {
  int counter = 0;
  edi_initialize(counter);
  edi_initialize(counter);
  EXPECT_EQ(counter, 0);  // the host fixture brought the module up already
  edi_finalize(counter);
  edi_finalize(counter);
  EXPECT_EQ(counter, 0);

  // Two class records over a table whose type records hold 6 and 9 elements at word 3.
  const Int data[12] = {0, 0, 6, 0, 0, 0, 0, 0, 9, 0, 0, 0};
  Int records[38] = {};
  records[0] = 20, records[1] = 1;   // shell class, type record at word 1
  records[19] = 10, records[20] = 7; // solid class
  Int total = -1;
  const Int two = 2, one = 1;
  EDI_UTI_GETNUMELEMENTS(&two, &total, records, data);
  EXPECT_EQ(total, 6);
  records[0] = 10;
  EDI_UTI_GETNUMELEMENTS(&one, &total, records, data);
  EXPECT_EQ(total, 0);
}

}  // namespace
}  // namespace importtest
