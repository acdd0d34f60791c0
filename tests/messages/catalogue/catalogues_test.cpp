// The six message tables against the rows transcribed when these tests were written, and the
// numerical catalogue against its four bands.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "siblings/utl/utl.h"
#include "tests/messages/catalogue/expected_rows.h"
#include "zmx/messages.h"

namespace {

using catalogue_expected::kRows;

constexpr int kCatalogues = 6;
constexpr int kStep = 3;
constexpr int kIncrement = 12;

struct Answer {
  bool held = false;
  std::string label = "untouched";
  std::string text = "untouched";
  int severity = 99;
  int setType = 99;
};

Answer ask(int catalogue, int key) {
  cow_String label("untouched"), text("untouched");
  Answer a;
  int& s = a.severity;
  int& t = a.setType;
  switch (catalogue) {
    case 0: a.held = ElementBasedMessagesInPre(key, label, text, s, t); break;
    case 1: a.held = ElementBasedMessagesInShr(key, label, text, s, t); break;
    case 2: a.held = ElementBasedMessagesInStd(key, label, text, s, t, kStep, kIncrement); break;
    case 3: a.held = NodeBasedMessagesInPre(key, label, text, s, t); break;
    case 4: a.held = NodeBasedMessagesInShr(key, label, text, s, t); break;
    default: a.held = NodeBasedMessagesInStd(key, label, text, s, t, kStep, kIncrement); break;
  }
  a.label = label.CStr();
  a.text = text.CStr();
  return a;
}

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(MessageCatalogues, EveryTranscribedRowIsWhatItsCatalogueWrites) {
  int authored = 0;
  for (const auto& row : kRows) {
    SCOPED_TRACE("key " + std::to_string(row.key));
    const Answer a = ask(row.catalogue, row.key);
    ASSERT_TRUE(a.held);
    const bool perIncrement = row.catalogue == 2 || row.catalogue == 5;
    EXPECT_EQ(a.label, std::string(row.label) + (perIncrement ? "Step3Inc12" : ""));
    EXPECT_EQ(a.severity, row.severity);
    EXPECT_EQ(a.setType, row.setType);
    if (row.text != nullptr) {
      EXPECT_EQ(a.text, row.text);
      continue;
    }
    // A text the catalogue authors names the count and closes on the set by its type.
    ++authored;
    EXPECT_TRUE(contains(a.text, "%I")) << a.text;
    ASSERT_NE(row.setType, 3);
    EXPECT_TRUE(endsWith(a.text, row.setType == 2 ? " The elements have been identified in element set %S."
                                                  : " The nodes have been identified in node set %S."))
        << a.text;
    EXPECT_EQ(a.text.find("%S"), a.text.rfind("%S")) << a.text;
  }
  EXPECT_EQ(authored, 471 - 65);
}

// Every key from -4000 to 4000 and the extremes: each catalogue holds exactly its transcribed
// keys, no key is held twice, and a lookup that does not hold a key writes nothing.
TEST(MessageCatalogues, EachCatalogueHoldsItsKeysAndNoOther) {
  std::map<int, int> owner;
  for (const auto& row : kRows) ASSERT_TRUE(owner.emplace(row.key, row.catalogue).second) << row.key;
  int held[kCatalogues] = {};
  std::set<int> keys = {INT32_MIN, INT32_MIN + 1, INT32_MAX};
  for (int key = -4000; key <= 4000; ++key) keys.insert(key);
  for (const int key : keys) {
    const auto found = owner.find(key);
    for (int c = 0; c < kCatalogues; ++c) {
      const Answer a = ask(c, key);
      const bool expected = found != owner.end() && found->second == c;
      ASSERT_EQ(a.held, expected) << "catalogue " << c << ", key " << key;
      if (a.held) {
        ++held[c];
        continue;
      }
      EXPECT_EQ(a.label, "untouched");
      EXPECT_EQ(a.text, "untouched");
      EXPECT_EQ(a.severity, 99);
      EXPECT_EQ(a.setType, 99);
    }
  }
  const int sizes[kCatalogues] = {161, 41, 83, 151, 6, 29};
  for (int c = 0; c < kCatalogues; ++c) EXPECT_EQ(held[c], sizes[c]) << "catalogue " << c;
  for (const int key : {0, -126, -3020, -3060, 2086})
    for (int c = 0; c < kCatalogues; ++c) EXPECT_FALSE(ask(c, key).held);
}

TEST(MessageCatalogues, TheTwoChosenLabelsDifferFromEveryOther) {
  std::map<std::string, int> uses;
  for (const auto& row : kRows) ++uses[row.label];
  EXPECT_EQ(uses["ErrNodeInactivePropConstrDef"], 1);
  EXPECT_EQ(uses["WarnNodeSlideBeyondMaxDist"], 1);
  // The two labels that two keys share, as transcribed.
  EXPECT_EQ(uses["WarnElemMissingdef"], 2);
  EXPECT_EQ(uses["WarnNodeBCInactiveDof"], 2);
  EXPECT_EQ(uses.size(), 471u - 2u);
  EXPECT_EQ(ask(5, -3012).label, "WarnNodeSlideBeyondMaxDistStep3Inc12");
}

TEST(MessageCatalogues, SolverLabelsCarryStepAndIncrement) {
  cow_String label, text;
  int severity = 0, setType = 0;
  ASSERT_TRUE(ElementBasedMessagesInStd(-2028, label, text, severity, setType, 2, 14));
  EXPECT_STREQ(label.CStr(), "WarnElemHyperFoamStep2Inc14");
  ASSERT_TRUE(ElementBasedMessagesInStd(-2124, label, text, severity, setType, 1, 1));
  EXPECT_STREQ(label.CStr(), "ErrElemFacZeroNormCoinTangStep1Inc1");
  ASSERT_TRUE(NodeBasedMessagesInStd(-3011, label, text, severity, setType, 4, 9));
  EXPECT_STREQ(label.CStr(), "WarnNodeDistCrackTipStep4Inc9");
  EXPECT_STREQ(AssembleSetNameStepInc("WarnElemPipes", -1, -20).CStr(), "WarnElemPipesStep-1Inc-20");
  EXPECT_STREQ(AssembleSetName("WarnNodeSolvProbZeroPiv", 3, 2, 14, 0, 1).CStr(), "WarnNodeSolvProbZeroPiv_3_2_14_0_1");
  EXPECT_STREQ(AssembleSetName("L", 0, -2, -14, -7, 2147483647).CStr(), "L_0_-2_-14_-7_2147483647");
}

// ---- numerical messages ------------------------------------------------------------------------

struct BandCase {
  int first;  // the key of d 0
  int last;   // the key of d 30
  const char* label;
  int setType;
  const char* before;
  const char* after;
};

// The four bands as the table gives them.
constexpr BandCase kBands[] = {
    {-3051, -3081, "WarnNodeSolvProbZeroPiv", 1, "Solver problem. Zero pivot when processing D.O.F. ",
     " of %I nodes. The nodes have been identified in node set %S."},
    {2116, 2086, "WarnElemSolvProbZeroPiv", 2, "Solver problem. Zero pivot when processing D.O.F. ",
     " at one or more of the internal nodes of %I elements. The elements have been identified in element set %S."},
    {-3020, -3050, "WarnNodeSolvProbNumSing", 1, "Solver problem. Numerical singularity when processing D.O.F. ",
     " of %I nodes. The nodes have been identified in node set %S."},
    {-2147, -2177, "WarnElemSolvProbNumSing", 2, "Solver problem. Numerical singularity at D.O.F. ",
     " at one or more of the internal nodes of %I elements. The elements have been identified in element set %S."},
};

Answer numerical(int key, int step, int increment, int first, int second) {
  cow_String label("untouched"), text("untouched");
  Answer a;
  a.held = NumericalMessages(key, label, text, a.severity, a.setType, step, increment, first, second);
  a.label = label.CStr();
  a.text = text.CStr();
  return a;
}

TEST(NumericalMessages, BothEndsOfEachBand) {
  for (const BandCase& band : kBands) {
    const Answer zero = numerical(band.first, 2, 14, 0, 0);
    const Answer thirty = numerical(band.last, -1, -3, 5, 6);
    EXPECT_TRUE(zero.held);
    EXPECT_EQ(zero.label, std::string(band.label) + "_0_2_14_0_0");
    EXPECT_EQ(zero.text, std::string(band.before) + "0" + band.after);
    EXPECT_EQ(thirty.label, std::string(band.label) + "_30_-1_-3_5_6");
    EXPECT_EQ(thirty.text, std::string(band.before) + "30" + band.after);
    for (const Answer& a : {zero, thirty}) {
      EXPECT_EQ(a.severity, -1);
      EXPECT_EQ(a.setType, band.setType);
    }
  }
  EXPECT_EQ(numerical(-3060, 2, 14, 0, 0).label, "WarnNodeSolvProbZeroPiv_9_2_14_0_0");
  EXPECT_EQ(numerical(-3060, 2, 14, 0, 0).text,
            "Solver problem. Zero pivot when processing D.O.F. 9 of %I nodes. The nodes have been identified in node "
            "set %S.");
}

TEST(NumericalMessages, EveryOtherKeyGetsTheFallbackAsTrue) {
  int banded = 0;
  for (int key = -4000; key <= 4000; ++key) {
    const Answer a = numerical(key, 1, 1, 0, 0);
    ASSERT_TRUE(a.held);
    if (a.setType != 3) {
      ++banded;
      continue;
    }
    EXPECT_EQ(a.label, "  ");
    EXPECT_EQ(a.text, "System Error in msgprint: No message found with key %I.");
    EXPECT_EQ(a.severity, -3);
  }
  EXPECT_EQ(banded, 4 * 31);
  // The keys of the bands are held by no table catalogue.
  for (const auto& row : kRows) EXPECT_EQ(numerical(row.key, 1, 1, 0, 0).setType, 3) << row.key;
}

}  // namespace
