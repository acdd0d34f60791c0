// Message output, the message accumulator and the run-time report route of the eqc stand-in.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/record.h"
#include "runtime/report.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"

namespace {

class EqcMessages : public ::testing::Test {
 protected:
  void SetUp() override {
    eqc_testing::setEcho(false);
    eqc_testing::clearMessages();
    int none = 0;
    msgaccessC(4, &none, 0);
  }

  static std::string lastText() {
    const auto log = eqc_testing::messages();
    return log.empty() ? std::string("<none>") : log.back().text;
  }

  static void kvxerr(int level, const std::string& text, const Int* integers, const Real* reals,
                     const std::string& strings, Int itemLength) {
    KVXERR(&level, text.data(), static_cast<Int>(text.size()), integers, reals, strings.data(), itemLength);
  }
};

TEST_F(EqcMessages, FillsEveryPlaceholderKindLeftToRight) {
  const Int level = -2, element = 12, node = 34;
  const Int integers[] = {7, 8};
  const Real reals[] = {2.5, -1.0e-3};
  const std::string text = "A %I B %R C %S D %E E %N F %I G %R";
  const std::string items = "SET1    ";
  KVXERR1(&level, text.data(), static_cast<Int>(text.size()), integers, reals, items.data(), 8, &element, &node);

  const auto log = eqc_testing::messages();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].text, "A 7 B 2.5 C SET1 D 12 E 34 F 8 G -0.001");
  EXPECT_EQ(log[0].level, -2);
  EXPECT_EQ(log[0].element, 12);
  EXPECT_EQ(log[0].node, 34);
  EXPECT_FALSE(log[0].filed);
}

TEST_F(EqcMessages, HonoursTheTextLengthAndDropsTrailingBlanks) {
  // Only the first 13 characters belong to the text; what follows must not be read.
  const char buffer[] = "NODE %I IS OK%I%I%I";
  const Int one = 3;
  const Int level = -1;
  KVXERR(&level, buffer, 13, &one, nullptr, " ", 1);
  EXPECT_EQ(lastText(), "NODE 3 IS OK");

  const std::string padded = "PADDED TEXT        ";
  kvxerr(1, padded, nullptr, nullptr, " ", 1);
  EXPECT_EQ(lastText(), "PADDED TEXT");

  // A placeholder cut by the length is printed as the character that remains.
  kvxerr(1, std::string("VALUE %"), nullptr, nullptr, " ", 1);
  EXPECT_EQ(lastText(), "VALUE %");
}

TEST_F(EqcMessages, TakesCharacterItemsOfTheArgumentLength) {
  std::string items(2 * 80, ' ');
  items.replace(0, 9, "FIRST SET");
  items.replace(80, 6, "SECOND");
  kvxerr(-1, "SETS %S AND %S.", nullptr, nullptr, items, 80);
  EXPECT_EQ(lastText(), "SETS FIRST SET AND SECOND.");

  // Three 8-character items laid one after another.
  kvxerr(-1, "%S/%S/%S", nullptr, nullptr, "ALPHA   BETA    GAMMA   ", 8);
  EXPECT_EQ(lastText(), "ALPHA/BETA/GAMMA");
}

TEST_F(EqcMessages, MissingArraysPrintZeroAndBlank) {
  const Int level = -3;
  const std::string text = "I=%I R=%R S=[%S] E=%E N=%N";
  KVXERR1(&level, text.data(), static_cast<Int>(text.size()), nullptr, nullptr, nullptr, 0, nullptr, nullptr);
  EXPECT_EQ(lastText(), "I=0 R=0 S=[] E=0 N=0");
}

TEST_F(EqcMessages, FilingFormsMarkTheMessageAndTwoIntegerFormUsesBothSingles) {
  const Int level = -2, first = 4, second = 9;
  const std::string text = "BETWEEN NODES %I AND %I; %I";
  KVXNERR2I(&level, text.data(), static_cast<Int>(text.size()), &first, &second, nullptr, " ", 1);
  EXPECT_EQ(lastText(), "BETWEEN NODES 4 AND 9; 0");
  EXPECT_TRUE(eqc_testing::messages().back().filed);

  const Int element = 5;
  const std::string other = "ELEMENT %E";
  KVXNERR1(&level, other.data(), static_cast<Int>(other.size()), nullptr, nullptr, " ", 1, &element, nullptr);
  EXPECT_EQ(lastText(), "ELEMENT 5");
  EXPECT_TRUE(eqc_testing::messages().back().filed);
  EXPECT_EQ(eqc_testing::countAtLevel(-2), 2);
}

TEST_F(EqcMessages, PlainCallFormTakesTerminatedItemsInTurn) {
  const int integers[] = {11};
  const double reals[] = {0.25};
  const char strings[] = "ONE\0TWO  \0";
  kvxerrC(-1, "%S %I %R %S", integers, reals, strings);
  EXPECT_EQ(lastText(), "ONE 11 0.25 TWO");

  cfi_WriteMessage(0, "ALREADY FORMATTED %I");
  EXPECT_EQ(lastText(), "ALREADY FORMATTED %I");
  EXPECT_EQ(eqc_testing::countAtLevel(0), 1);
  EXPECT_TRUE(eqc_testing::printed("FORMATTED"));
  EXPECT_FALSE(eqc_testing::printed("NOT THERE"));
}

TEST_F(EqcMessages, AccumulatorRoundTrip) {
  const Int file = 1, keyA = -3001, keyB = -2004;
  const Int e1 = 17, e2 = 3, e3 = 17;
  MSGACCESS(&file, &e1, &keyA);
  MSGACCESS(&file, &e2, &keyB);
  int viaPlainCall = 42;
  EXPECT_EQ(msgaccessC(1, &viaPlainCall, keyA), nullptr);
  MSGACCESS(&file, &e3, &keyB);

  int count = -1;
  const int* keys = msgaccessC(3, &count, 0);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(std::vector<int>(keys, keys + count), (std::vector<int>{keyA, keyB}));

  const int* entities = msgaccessC(2, &count, keyA);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(std::vector<int>(entities, entities + count), (std::vector<int>{17, 42}));
  EXPECT_EQ(eqc_testing::filed(keyB), (std::vector<int>{3, 17}));

  msgaccessC(2, &count, -9999);
  EXPECT_EQ(count, 0);

  EXPECT_EQ(msgaccessC(4, &count, 0), nullptr);
  EXPECT_EQ(count, 0);
  msgaccessC(3, &count, 0);
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(eqc_testing::filed(keyA).empty());
}

TEST_F(EqcMessages, UnknownAccumulatorOperationIsASystemErrorAndChangesNothing) {
  const Int file = 1, key = -2100, entity = 8, unknown = 2;
  MSGACCESS(&file, &entity, &key);
  MSGACCESS(&unknown, &entity, &key);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_EQ(lastText(), "SYSTEM ERROR IN MSGACCESS - UNKNOWN OPERATION 2");

  int count = 99;
  EXPECT_EQ(msgaccessC(7, &count, key), nullptr);
  EXPECT_EQ(lastText(), "SYSTEM ERROR IN MSGACCESS - UNKNOWN OPERATION 7");
  EXPECT_EQ(eqc_testing::filed(key), std::vector<int>{8});
}

TEST_F(EqcMessages, JobExitHandOverIsRecorded) {
  const Int op = 3, zero = 0;
  const auto before = eqc_testing::adbAccessCalls().size();
  MSGACCESSADB(&op, &zero, &zero);
  const auto calls = eqc_testing::adbAccessCalls();
  ASSERT_EQ(calls.size(), before + 1);
  EXPECT_EQ(calls.back(), (std::vector<int>{3, 0, 0}));
}

TEST_F(EqcMessages, RunTimeReportsGoThroughTheMessagesWhileTheModuleIsUp) {
  int counter = 0;
  eqc_initialize(counter);
  eqc_initialize(counter);  // use-counted: only the first acts
  EXPECT_EQ(counter, 1);

  zmxrt::report(-3, "SYSTEM ERROR IN SOMEWHERE");
  ASSERT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_EQ(lastText(), "SYSTEM ERROR IN SOMEWHERE");

  // A record word out of range is reported and nothing is written outside the record.
  std::vector<std::int32_t> before(std::begin(CPROG.w), std::end(CPROG.w));
  rec::i(CPROG, static_cast<long long>(rec::words<CPROG_t>()) + 1) = 5;
  rec::i(CPROG, 0) = 6;
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 3);
  EXPECT_TRUE(eqc_testing::printed("OUTSIDE A RECORD OF 1000 WORDS"));
  EXPECT_TRUE(std::equal(before.begin(), before.end(), std::begin(CPROG.w)));

  // The highest words the library uses are inside their records.
  rec::i(CONTRO, 1311) = 1;
  rec::i(CBUFFA, 1000) = 1;
  rec::setChars(CJBPAR, 2305 + 499 * 80, 80, "LAST LIBRARY NAME");
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 3);
  rec::i(CONTRO, 1311) = 0;
  rec::i(CBUFFA, 1000) = 0;
  rec::setChars(CJBPAR, 2305 + 499 * 80, 80, "");

  eqc_finalize(counter);
  EXPECT_EQ(counter, 1);
  eqc_finalize(counter);
  EXPECT_EQ(counter, 0);
  eqc_finalize(counter);  // unbalanced: ignored
  EXPECT_EQ(counter, 0);

  eqc_testing::clearMessages();
  ::testing::internal::CaptureStderr();
  zmxrt::report(-3, "AFTER FINALIZE");
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(eqc_testing::messages().size(), 0u);

  eqc_initialize(counter);  // comes up again after a balanced shutdown
  EXPECT_EQ(counter, 1);
  eqc_finalize(counter);
}

TEST_F(EqcMessages, EchoPrintsOneLineWithTheLevelPrefix) {
  eqc_testing::setEcho(true);
  ::testing::internal::CaptureStderr();
  cfi_WriteMessage(-1, "CHECK THE MESH");
  cfi_WriteMessage(0, "PLAIN");
  const std::string out = ::testing::internal::GetCapturedStderr();
  eqc_testing::setEcho(false);
  EXPECT_EQ(out, " ***WARNING: CHECK THE MESH\nPLAIN\n");
}

}  // namespace
