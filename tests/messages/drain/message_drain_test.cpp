// The message drain on both roads: the lines printed, the sets made (read back through the set
// services in the pre-processor, from the analysis's named-set store during an analysis), the
// long labels registered and the accumulator left empty.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "runtime/address_space.h"
#include "siblings/eqc/eqc_labels.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/testing.h"
#include "siblings/glo/ddb_access.h"
#include "tests/support/host_fixture.h"
#include "zmx/messages.h"
#include "zmx/storage/sets.h"

namespace {

using Line = std::pair<int, std::string>;

class MessageDrain : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    int count = 0, status = 0;
    for (int operation : {1, 0}) {
      dbesetC(operation, nullptr, count, nullptr, status);
      dbnsetC(operation, nullptr, count, nullptr, status);
    }
    msgaccessC(4, &count, 0);
    eqc_testing::resetLongLabels();
    glo_testing::clearNodeElemSets();
  }

  static void file(int key, std::initializer_list<int> entities) {
    const Int operation = 1;
    for (const Int entity : entities) MSGACCESS(&operation, &entity, &key);
  }

  static void drain(Int printFlag, Int analysisFlag, Int step, Int increment) {
    const Int zero = 0;
    SHR_MSGPRINT(&printFlag, &analysisFlag, &step, &increment, &zero, &zero);
  }

  static std::vector<Line> lines() {
    std::vector<Line> out;
    for (const auto& m : eqc_testing::messages()) out.emplace_back(m.level, m.text);
    return out;
  }

  static int pendingKeys() {
    int count = -1;
    msgaccessC(3, &count, 0);
    return count;
  }

  // The members of a set looked up under its 80-character name; status 1 when there is none.
  static std::pair<int, std::vector<int>> setMembers(bool elements, const std::string& name) {
    std::string field = name;
    field.resize(80, ' ');
    const Int operation = 5;
    Int count = 0, status = 0;
    const Int word = elements ? DBESET(&operation, field.data(), 80, &count, nullptr, &status)
                              : DBNSET(&operation, field.data(), 80, &count, nullptr, &status);
    std::vector<int> members;
    if (status == 0 && count > 0) {
      const int* list = mem32::at<int>(word, static_cast<std::size_t>(count));
      members.assign(list, list + count);
    }
    return {status, members};
  }

  static int setCount(bool elements) {
    std::string field(80, ' ');
    const Int operation = 9;
    Int count = 0, status = 0;
    if (elements)
      DBESET(&operation, field.data(), 80, &count, nullptr, &status);
    else
      DBNSET(&operation, field.data(), 80, &count, nullptr, &status);
    return count;
  }
};

TEST_F(MessageDrain, PreProcessorMakesPaddedSetsRegistersLabelsAndPrintsOneLinePerKey) {
  file(-2130, {41, 17});
  file(-1001, {7});
  file(-80, {3});      // no set
  file(-2124, {9});    // a solver row: named after the step and increment
  file(-3060, {12});   // numerical
  file(5000, {1});     // held by no catalogue
  file(-2519, {4, 5}); // severity -4, handed on as it is
  drain(0, 0, 3, 12);

  const std::vector<Line> printed = lines();
  ASSERT_EQ(printed.size(), 7u);
  EXPECT_EQ(printed[0], Line(-2, "2 elements have an invalid local node number. The elements have been identified in "
                                 "element set ErrElemLocalNodeNumber."));
  EXPECT_EQ(printed[1], Line(-2, "1 nodes are missing coordinates. The nodes have been identified in node set "
                                 "ErrNodeMissingCoords."));
  EXPECT_EQ(printed[2], Line(-2, "Node/Element numbers defined for 1 elements must be positive integers. Check element "
                                 "definitions and the .dat file for details."));
  EXPECT_EQ(printed[3].first, -2);
  EXPECT_NE(printed[3].second.find("1 "), std::string::npos);
  EXPECT_TRUE(printed[3].second.ends_with(" element set ErrElemFacZeroNormCoinTangStep3Inc12.")) << printed[3].second;
  EXPECT_EQ(printed[4], Line(-1, "Solver problem. Zero pivot when processing D.O.F. 9 of 1 nodes. The nodes have been "
                                 "identified in node set WarnNodeSolvProbZeroPiv_9_3_12_0_0."));
  EXPECT_EQ(printed[5], Line(-3, "System Error in msgprint: No message found with key 5000."));
  EXPECT_EQ(printed[6], Line(-4, "2 nodes were not located on the results file and will not be used to define the "
                                 "imperfection. The nodes have been identified in node set WarnNodeResFileImpfr."));

  EXPECT_EQ(setMembers(true, "ErrElemLocalNodeNumber").second, (std::vector<int>{17, 41}));
  EXPECT_EQ(setMembers(true, "ErrElemFacZeroNormCoinTangStep3Inc12").second, (std::vector<int>{9}));
  EXPECT_EQ(setMembers(false, "ErrNodeMissingCoords").second, (std::vector<int>{7}));
  EXPECT_EQ(setMembers(false, "WarnNodeSolvProbZeroPiv_9_3_12_0_0").second, (std::vector<int>{12}));
  EXPECT_EQ(setMembers(false, "WarnNodeResFileImpfr").second, (std::vector<int>{4, 5}));
  EXPECT_EQ(setMembers(true, "ErrElemIncorrectGenDef").first, 1);
  EXPECT_EQ(setCount(true), 2);
  EXPECT_EQ(setCount(false), 3);
  EXPECT_EQ(eqc_testing::longLabels(),
            (std::vector<std::string>{"ErrElemLocalNodeNumber", "ErrNodeMissingCoords",
                                      "ErrElemFacZeroNormCoinTangStep3Inc12", "WarnNodeSolvProbZeroPiv_9_3_12_0_0",
                                      "WarnNodeResFileImpfr"}));
  EXPECT_TRUE(glo_testing::nodeElemSets().empty());
  EXPECT_EQ(pendingKeys(), 0);
}

TEST_F(MessageDrain, ASecondDrainAddsToTheSetOfTheFirst) {
  file(-2130, {41, 17});
  drain(0, 0, 1, 1);
  file(-2130, {5});
  drain(0, 0, 1, 2);
  EXPECT_EQ(setMembers(true, "ErrElemLocalNodeNumber").second, (std::vector<int>{5, 17, 41}));
  EXPECT_EQ(setCount(true), 1);
  EXPECT_EQ(eqc_testing::longLabels(), std::vector<std::string>{"ErrElemLocalNodeNumber"});
  const std::vector<Line> printed = lines();
  ASSERT_EQ(printed.size(), 2u);
  EXPECT_EQ(printed[1].second.substr(0, 2), "1 ");
}

TEST_F(MessageDrain, PrintFlagMinusOneInThePreProcessorStillMakesTheSets) {
  file(-2130, {8});
  file(-1001, {2, 1});
  drain(-1, 0, 1, 1);
  EXPECT_TRUE(lines().empty());
  EXPECT_EQ(setMembers(true, "ErrElemLocalNodeNumber").second, (std::vector<int>{8}));
  EXPECT_EQ(setMembers(false, "ErrNodeMissingCoords").second, (std::vector<int>{1, 2}));
  EXPECT_EQ(eqc_testing::longLabels().size(), 2u);
  EXPECT_EQ(pendingKeys(), 0);
}

TEST_F(MessageDrain, PrintFlagMinusOneDuringAnAnalysisOnlyClears) {
  file(-2130, {8});
  file(777, {1});
  drain(-1, 1, 1, 1);
  EXPECT_TRUE(lines().empty());
  EXPECT_TRUE(glo_testing::nodeElemSets().empty());
  EXPECT_EQ(setCount(true), 0);
  EXPECT_TRUE(eqc_testing::longLabels().empty());
  EXPECT_EQ(pendingKeys(), 0);
}

TEST_F(MessageDrain, NothingPendingDoesNothing) {
  drain(0, 0, 1, 1);
  drain(0, 1, 1, 1);
  EXPECT_TRUE(lines().empty());
  EXPECT_EQ(setCount(true) + setCount(false), 0);
  EXPECT_TRUE(glo_testing::nodeElemSets().empty());
}

TEST_F(MessageDrain, DuringAnAnalysisTheSetsGoToTheRunningAnalysisUnderTheLabel) {
  file(-2028, {4, 2});
  file(-3060, {12});
  file(777, {1});
  file(-85, {6});  // no set
  drain(0, 1, 2, 14);

  const auto sets = glo_testing::nodeElemSets();
  ASSERT_EQ(sets.size(), 2u);
  EXPECT_EQ(sets[0].name, "WarnElemHyperFoamStep2Inc14");
  EXPECT_EQ(sets[0].kind, 1);
  EXPECT_EQ(sets[0].members, (std::vector<int>{4, 2}));
  EXPECT_EQ(sets[1].name, "WarnNodeSolvProbZeroPiv_9_2_14_0_0");
  EXPECT_EQ(sets[1].kind, 0);
  EXPECT_EQ(sets[1].members, std::vector<int>{12});

  const std::vector<Line> printed = lines();
  ASSERT_EQ(printed.size(), 4u);
  EXPECT_EQ(printed[0], Line(-1, "It appears that the hyperfoam material is becoming unstable. Convergence judged  "
                                 "unlikely. The elements have been identified in element set "
                                 "WarnElemHyperFoamStep2Inc14."));
  EXPECT_EQ(printed[1], Line(-1, "Solver problem. Zero pivot when processing D.O.F. 9 of 1 nodes. The nodes have been "
                                 "identified in node set WarnNodeSolvProbZeroPiv_9_2_14_0_0."));
  EXPECT_EQ(printed[2], Line(-3, "System Error in msgprint: No message found with key 777."));
  EXPECT_EQ(printed[3], Line(-1, "1 underlying elements were used in surface definition but have not been defined. "
                                 "They will not be considered as a part of the surface definition."));
  EXPECT_EQ(setCount(true) + setCount(false), 0);
  EXPECT_TRUE(eqc_testing::longLabels().empty());
  EXPECT_EQ(pendingKeys(), 0);
}

}  // namespace
