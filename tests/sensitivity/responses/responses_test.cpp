// Supported element types, the response tables, derived responses and the names and labels of
// sensitivity output variables.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "runtime/record.h"
#include "siblings/eqc/testing.h"
#include "tests/support/sensitivity_builder.h"
#include "zmx/sensitivity.h"
#include "zmx/storage/records.h"

namespace {

using zmxtest::dsa::SensitivityFixture;

// The supported codes, as runs of consecutive codes.
std::set<Int> supportedCodes() {
  const std::pair<Int, Int> runs[] = {
      {0, 11},     {13, 15},    {17, 17},    {20, 23},    {28, 29},    {32, 34},    {36, 36},    {38, 39},
      {41, 44},    {52, 53},    {55, 56},    {63, 63},    {77, 77},    {151, 155},  {161, 167},  {170, 174},
      {176, 179},  {254, 255},  {295, 295},  {297, 297},  {301, 301},  {303, 303},  {305, 308},  {310, 311},
      {313, 315},  {317, 317},  {320, 321},  {323, 323},  {329, 329},  {332, 334},  {336, 336},  {338, 339},
      {341, 344},  {353, 353},  {355, 356},  {363, 363},  {370, 375},  {563, 563},  {663, 663},  {841, 844},
      {846, 849},  {861, 864},  {866, 869},  {941, 944},  {946, 949},  {961, 964},  {966, 969},  {1001, 1003},
      {1011, 1013}, {1101, 1103}, {1111, 1113}, {1201, 1202}, {1211, 1212}, {2001, 2001}, {2003, 2007},
      {2021, 2022}, {2101, 2102}, {2611, 2612}, {2621, 2622}, {2631, 2632}, {2641, 2642}, {3451, 3454},
      {3801, 3807}, {3809, 3815}, {3851, 3863}};
  std::set<Int> codes;
  for (auto [first, last] : runs)
    for (Int c = first; c <= last; ++c) codes.insert(c);
  return codes;
}

TEST(ResponseChecks, SupportedElementTypesAreTheListedCodes) {
  const std::set<Int> codes = supportedCodes();
  ASSERT_EQ(codes.size(), 198u);  // 197 distinct codes and 0
  for (Int type = 0; type <= 9999; ++type) {
    Int answer = -5;
    DSAELEMCHK(&type, &answer);
    ASSERT_EQ(answer, codes.count(type) ? 0 : 1) << type;
  }
}

TEST(ResponseChecks, ElementAndNodalResponseTables) {
  const std::pair<Int, Int> element[] = {{11, 0}, {12, 1}, {13, 0}, {14, 0}, {19, 0},  {21, 0},  {22, 0},  {29, 1},
                                         {25, 0}, {73, 1}, {76, 0}, {77, 0}, {78, 0},  {89, 1},  {90, 1},  {101, 1},
                                         {103, 1}, {104, 1}, {105, 1}, {108, 1}, {185, 1}};
  for (auto [id, answer] : element) {
    Int found = 0, got = 7, mode = 0;
    DSA_ERESPCHK(&id, &mode, &found, &got);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(got, answer);
    mode = 1;
    got = 7;
    DSA_ERESPCHK(&id, &mode, &found, &got);
    EXPECT_EQ(found, -1);
    EXPECT_EQ(got, 7);
  }
  for (Int mode : {0, 1, 5}) {
    Int id = 58, found = 0, got = 7;
    DSA_ERESPCHK(&id, &mode, &found, &got);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(got, 0);
  }
  for (Int id : {101, 104, 12}) {
    Int found = 0, got = 7, mode = 0;
    DSA_NRESPCHK(&id, &mode, &found, &got);
    EXPECT_EQ(found, id == 12 ? -1 : 1);
    EXPECT_EQ(got, id == 12 ? 7 : 0);
  }
  // The element output-variable table; CPROC word 10 = 1 leaves only 58.
  for (auto [id, answer] : element) {
    Int got = 7, invalid = 7;
    DSAELOUTVAR(&id, &got, &invalid);
    EXPECT_EQ(got, answer);
    EXPECT_EQ(invalid, 0);
  }
  Int id = 50, got = 7, invalid = 7;
  DSAELOUTVAR(&id, &got, &invalid);
  EXPECT_EQ(got, 0);
  EXPECT_EQ(invalid, 1);
  rec::i(CPROC, 10) = 1;
  id = 12;
  DSAELOUTVAR(&id, &got, &invalid);
  EXPECT_EQ(invalid, 1);
  id = 58;
  DSAELOUTVAR(&id, &got, &invalid);
  EXPECT_EQ(invalid, 0);
  rec::i(CPROC, 10) = 0;
}

TEST(ResponseChecks, DerivedResponsesNameTheirBaseVariables) {
  struct Case {
    Int id, flag, kind;
    std::vector<Int> ids;
  };
  const Case cases[] = {{89, 0, 3, {163}},  {105, 1, 3, {163}}, {103, 1, 3, {4}},  {103, 0, 3, {36}},
                        {108, 1, 3, {38}},  {108, -1, 3, {5}},  {12, 1, 3, {37}},  {101, 0, 3, {17}},
                        {73, 0, 3, {10}},   {185, 1, 3, {9}},   {17, 0, 1, {29, 18, 26, 25}},
                        {29, 1, 1, {3, 15, 26, 29, 25}}};
  for (const Case& c : cases) {
    auto kind = static_cast<VarBlockTypeKey>(-1);
    Int count = -1;
    Int* ids = nullptr;
    dsa_DerivedRespTable(c.id, kind, ids, count, c.flag);
    EXPECT_EQ(kind, c.kind);
    ASSERT_EQ(count, static_cast<Int>(c.ids.size())) << c.id;
    EXPECT_EQ(std::vector<Int>(ids, ids + count), c.ids);
    delete[] ids;
  }
  for (Int id : {999, 0, 11}) {
    auto kind = static_cast<VarBlockTypeKey>(-1);
    Int count = -1;
    Int* ids = nullptr;
    dsa_DerivedRespTable(id, kind, ids, count, 1);
    EXPECT_EQ(kind, -1);
    EXPECT_EQ(count, -1);
    EXPECT_EQ(ids, nullptr);
  }
}

class DerivedPerturbation : public SensitivityFixture {};

TEST_F(DerivedPerturbation, SizesFollowVariablesFourAndSeventyEight) {
  dm2_dsa_testing::ElementPlan plan;
  plan.block = zmxtest::dsa::block(0, {{4, 1, 1, 1}, {78, 3, 1, 5}}, 1);
  ElementLayout* e = dm2_dsa_testing::buildElementLayout(plan);
  const VarBlock::Entry* four = e->Block().Find(4);
  const VarBlock::Entry* values = e->Block().Find(78);
  dm2_dsa_testing::copyData(*e, 1, 0)[static_cast<std::size_t>(four->position + 1)] = 4;
  Real* x = dm2_dsa_testing::copyData(*e, 3, 0).data() + values->position + 1;
  const Real xs[] = {0.5, 2, -8, 1e300, 0};
  std::copy(std::begin(xs), std::end(xs), x);
  Real pert[5] = {};
  dsa_GetDerivedRespPert(e, 5, pert);
  EXPECT_EQ(pert[0], 0.001);
  EXPECT_EQ(pert[1], 0.002);
  EXPECT_EQ(pert[2], -0.0005);
  EXPECT_EQ(pert[3], 0.004 / 1e300);
  EXPECT_EQ(pert[4], 0.001);
  Real more[6] = {9, 9, 9, 9, 9, 9};
  dsa_GetDerivedRespPert(e, 6, more);
  EXPECT_EQ(more[0], 9);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DSA_GETDERIVEDRESPPERT"));
}

std::string field(const char* text, std::size_t length) {
  std::string s(text);
  s.resize(length, ' ');
  return s;
}

TEST(Labels, OutputNamesAreFormattedIntoTheirField) {
  char out[kDsaOutputNameRoom];
  dsa_OutputName("MISES", out, 42);
  EXPECT_EQ(std::string(out), "d_ " + field("MISES", 65) + " kd     42");
  EXPECT_EQ(std::strlen(out), 78u);
  dsa_OutputName("X", out, -2147483647 - 1);
  EXPECT_EQ(std::string(out), "d_ " + field("X", 65) + " kd -2147483648");
  // The Fortran form: a name ending at its field, the rest of out kept, nothing past out.
  std::string name = "ABCDEFGH", target(90, '#');
  const Int kd = 1234567;
  DSA_OUTPUTNAMEF(name.data(), 4, target.data(), 88, &kd);
  EXPECT_EQ(target, "d_ " + field("ABCD", 65) + " kd 1234567" + std::string(11, '#'));
  target.assign(90, '#');
  DSA_OUTPUTNAMEF(name.data(), 8, target.data(), 20, &kd);
  EXPECT_EQ(target, "d_ ABCDEFGH         " + std::string(70, '#'));
}

TEST(Labels, ShortAndLongLabelsCollapseBlanks) {
  struct Case {
    std::string variable, suffix, description, shortLabel, longLabel;
  };
  const Case cases[] = {
      {"CPRES", "STEP1  X", "Contact  pressure", "d_CPRES_STEP1", "Sensitivity of Contact pressure"},
      {"CPRES    ", "A", "x", "d_CPRES_A", "Sensitivity of x"},
      {"S 11  MAX", "P", "Stress  at  a   point  ", "d_S 11_P", "Sensitivity of Stress at a point "},
      {"CSLIP1 A   B", "Q", "a", "d_CSLIP1 A   B_Q", "Sensitivity of a"},
      {"COPEN    X", "R", "", "d_COPEN    X_R", "Sensitivity of "},
      {"COPEN     X", "R", "", "d_COPEN_R", "Sensitivity of "},
      {"MISES  X", "R", "", "d_MISES_R", "Sensitivity of "},
      {"U", "SUFFIXLONGERTHANTWENTYCHARS", "z", "d_U_SUFFIXLONGERTHANTWEN", "Sensitivity of z"},
  };
  for (const Case& c : cases) {
    std::string outname(80, '#'), shortLabel(40, '#'), longLabel(60, '#');
    const Int kd = 7;
    DSA_FORMLABEL(&kd, c.suffix.data(), static_cast<Int>(c.suffix.size()), "NAME", 4, c.variable.data(),
                  static_cast<Int>(c.variable.size()), c.description.data(), static_cast<Int>(c.description.size()),
                  outname.data(), 80, shortLabel.data(), 40, longLabel.data(), 60);
    EXPECT_EQ(outname, "d_ " + field("NAME", 65) + " kd      7  ");
    EXPECT_EQ(shortLabel, field(c.shortLabel.c_str(), 40)) << c.variable;
    EXPECT_EQ(longLabel, field(c.longLabel.c_str(), 60)) << c.description;
  }
  // Outputs shorter than the text: nothing past their lengths.
  std::string buffer(30, '#');
  const Int kd = 1;
  DSA_FORMLABEL(&kd, "S", 1, "N", 1, "MISES", 5, "von Mises", 9, buffer.data(), 5, buffer.data() + 10, 4,
                buffer.data() + 20, 6);
  EXPECT_EQ(buffer, "d_ N #####d_MI######Sensit####");
}

}  // namespace
