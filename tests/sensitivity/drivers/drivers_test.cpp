// Nodal and slide-line perturbation, element set-up, the verification loop and a whole
// finite-difference cycle over two design parameters.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/element_loops.h"
#include "siblings/dm2/model_testing.h"
#include "siblings/dm2/node_packages.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/sensitivity_builder.h"
#include "zmx/numerics.h"
#include "zmx/sensitivity.h"
#include "zmx/storage/records.h"

namespace {

using zmxtest::dsa::SensitivityFixture;

class Drivers : public SensitivityFixture {
 protected:
  void SetUp() override {
    SensitivityFixture::SetUp();
    rec::clear(CGN);
    rec::clear(CGM);
    rec::clear(CNS);
    rec::clear(CONTRO);
    rec::clear(CLDOF);
    rec::clear(CSLNF);
    rec::clear(CSLNS);
    rec::clear(CSLEF);
    rec::clear(CSLES);
    rec::clear(CDSAFLAGS);
    rec::clear(CPROG);
    eqc_testing::setSlideLineStore({});
    dm2_testing::clearModelParts();
    dm2_testing::resetNodePackages();
  }
  void TearDown() override {
    dm2_testing::clearModelParts();
    SensitivityFixture::TearDown();
  }
  static Real slot(Int v) { return eqc_testing::integerSlot(v); }
};

TEST_F(Drivers, ColumnPerturbationAddsAScaledColumn) {
  const std::vector<Real> X = {1, 2, 3, 9, 4, 5, 6, 9};
  std::vector<Real> y = {10, 20, 30};
  const Int k = 2, ld = 4, n = 3;
  const Real dv = 0.5;
  DSAANDRPERTDP(y.data(), X.data(), &k, &dv, &ld, &n);
  EXPECT_EQ(y, (std::vector<Real>{12, 22.5, 33}));
}

TEST_F(Drivers, SlideLineListsAreReadInsideTheirRecords) {
  rec::i(CGM, 41) = 16;
  const Int active = eqc_testing::appendSlideLineRecord({4, 5, 2147483647});
  const Int inactive = eqc_testing::appendSlideLineRecord({4, 5, 2147483646});
  std::vector<int> tooLong(20, 2147483647);
  const Int longRecord = eqc_testing::appendSlideLineRecord(tooLong);
  Int answer = -1;
  SHR_DSADBSLACT(&active, &answer);
  EXPECT_EQ(answer, 1);
  SHR_DSADBSLACT(&inactive, &answer);
  EXPECT_EQ(answer, 0);
  SHR_DSADBSLACT(&longRecord, &answer);
  EXPECT_EQ(answer, 0);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN SHR_DSADBSLACT"));
  EXPECT_EQ(dm2_testing::openBlocks(), 0);

  // Lists (5, 7) at q = 1 and (7, 5, 9) at q = 4; directory at 9.
  const std::vector<Int> ints = {13, 2, 5, 7, 3, 7, 5, 9, 2, 1, 4, 9, 2147483647};
  std::vector<Real> record;
  for (Int v : ints) record.push_back(slot(v));
  std::vector<Int> out(8, -1);
  const Int offset = 0;
  SHR_DSAGETALLNICS(record.data(), out.data(), &offset);
  EXPECT_EQ(std::vector<Int>(out.begin(), out.begin() + 4), (std::vector<Int>{3, 5, 7, 9}));
  // A list that would run past the record's end is not followed.
  record[4] = slot(30);
  eqc_testing::clearMessages();
  SHR_DSAGETALLNICS(record.data(), out.data(), &offset);
  EXPECT_EQ(out[0], 2);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN SHR_DSAGETALLNICS"));
  record.back() = slot(5);
  SHR_DSAGETALLNICS(record.data(), out.data(), &offset);
  EXPECT_EQ(out[0], 0);
}

TEST_F(Drivers, NodeUpdateMovesFlaggedEntriesAndRotates) {
  rec::i(CGN, 4) = 6;
  rec::i(CNS, 2) = 1;
  rec::i(CNS, 3) = 7;
  const Int index = dm2_testing::addNode({5, {0, 0, 0}, {}, {}, 64 * 3 + 57});
  const Int db = dm2_testing::nodeDatabase();
  const Int node = ADB_GETNODE(&db, &index);
  std::vector<Real> x = {0.1, 0.2, 0.3, 0.01, 0.02, 0.03, 1, 2, 3, 0.3, 0.2, 0.1};
  const std::vector<Real> start = x;
  const std::vector<Int> none(6, 0);
  SHR_DSANMODIF(x.data(), none.data(), &node);
  EXPECT_EQ(x, start);
  rec::i(CONTRO, 2) = 1;
  const std::vector<Int> flags = {1, 0, 1, 1, 1, 1};
  SHR_DSANMODIF(x.data(), flags.data(), &node);
  std::vector<Real> rotation = {0.31, 0.22, 0.13};
  const std::vector<Real> base = {0.3, 0.2, 0.1};
  SHR_ROTUP(rotation.data(), base.data());
  EXPECT_EQ(std::vector<Real>(x.begin(), x.begin() + 6), (std::vector<Real>{0, 0.2, 0, 0, 0, 0}));
  EXPECT_EQ(x[6], 1.1);
  EXPECT_EQ(x[7], 2);
  EXPECT_EQ(x[8], 3.3);
  for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(x[9 + i], rotation[static_cast<std::size_t>(i)]);
  EXPECT_EQ(dm2_testing::openBlocks(), 0);
}

TEST_F(Drivers, NodalPerturbationWeighsInteriorNodes) {
  addParameters(2);
  state().space.parameters[1].nodalColumn = 2;
  rec::i(CGN, 8) = 2;
  std::vector<Int> nodes;
  for (Int j = 1; j <= 4; ++j) {
    nodes.push_back(dm2_testing::addNode({j, {0, 0, 0}}));
    dm2_testing::setNodeVariable(nodes.back(), 29, {0, 0, 1.0 * j, 10.0 * j});
  }
  const Int db = dm2_testing::nodeDatabase();
  const Int ld = 3, na = 3, m = 3, nb = 4;
  std::vector<Real> w(18, 0);
  Int ctl[8] = {0, 0, 0, 1, 0, 0, 0, 2};
  std::vector<Int> eint(40, 0);
  eint[3] = 13;
  eint[35] = 6;
  const Real dv = 2;
  std::vector<Real> x(1, 0);
  DSADBNDPERT(x.data(), &dv, ctl, &na, &m, &nb, eint.data(), w.data(), &ld, nodes.data(), &db);
  std::vector<Real> want(18, 0);
  for (Int j = 1; j <= 4; ++j) {
    want[static_cast<std::size_t>((j - 1) * 3)] = dv * j;
    want[static_cast<std::size_t>((j - 1) * 3 + 1)] = dv * 10 * j;
  }
  const Real weights[3] = {0.006803281, 0.006803281, 0.006803281};
  for (int i = 0; i < 2; ++i) {
    Real sum = 0;
    for (int j = 0; j < 3; ++j) sum += weights[j] * want[static_cast<std::size_t>(j * 3 + i)];
    want[static_cast<std::size_t>(5 * 3 + i)] += sum;
  }
  for (std::size_t i = 0; i < 18; ++i) EXPECT_NEAR(w[i], want[i], 1e-12) << i;
  // Eleven columns cannot be weighed with ten weights: reported, the rest still done.
  eint[3] = 12;
  const Int eleven = 11;
  std::vector<Real> w2(13 * 3, 0);
  std::vector<Int> many(11, nodes[0]);
  DSADBNDPERT(x.data(), &dv, ctl, &na, &eleven, &nb, eint.data(), w2.data(), &ld, many.data(), &db);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DSADBNDPERT"));
  EXPECT_EQ(w2[30], 2.0);
}

TEST_F(Drivers, NodalPerturbationOfTheNodeArraysByMode) {
  addParameters(2);
  rec::i(CGN, 4) = 2;
  rec::i(CGM, 4) = 2;
  rec::i(CGM, 37) = 10;
  rec::i(CNS, 2) = 1;
  rec::i(CNS, 3) = 3;
  rec::i(CNS, 10) = 5;   // 2 x 2 derivative matrix of the first array
  rec::i(CNS, 12) = 7;   // of the second, columns of two
  std::vector<Real> x(20);
  std::iota(x.begin(), x.end(), 1.0);
  const std::vector<Real> start = x;
  Int ctl[8] = {0, 0, 0, 1, 0, 0, 0, 2};
  std::vector<Int> eint(40, 0);
  std::vector<Real> w(4);
  const Int ld = 2, na = 2, m = 0, nb = 0, db = dm2_testing::nodeDatabase();
  const Real dv = 0.5;
  state().model.perturbationMode = 2;
  rec::i(CDSAFLAGS, 6) = 1;
  DSADBNDPERT(x.data(), &dv, ctl, &na, &m, &nb, eint.data(), w.data(), &ld, nullptr, &db);
  std::vector<Real> want = start;
  for (int j = 0; j < 2; ++j) {
    const int o = 10 * j;
    for (int i = 0; i < 2; ++i) {
      want[static_cast<std::size_t>(o + i)] += dv * start[static_cast<std::size_t>(o + 4 + 2 + i)];
      want[static_cast<std::size_t>(o + 2 + i)] += dv * start[static_cast<std::size_t>(o + 6 + 2 + i)];
    }
  }
  EXPECT_EQ(x, want);
  ctl[3] = 0;
  rec::i(CDSAFLAGS, 6) = 0;
  x = start;
  DSADBNDPERT(x.data(), &dv, ctl, &na, &m, &nb, eint.data(), w.data(), &ld, nullptr, &db);
  EXPECT_EQ(x, start);
}

TEST_F(Drivers, ElementInitialisationExtendsTheRecordFromItsNodes) {
  addParameters(1);
  state().model.perturbationMode = 1;
  rec::i(CGM, 41) = 20;
  const Int nodeRecord = eqc_testing::appendSlideLineRecord({300, 100});
  const Int secondRecord = eqc_testing::appendSlideLineRecord({400, 300});
  const Int elementRecord = eqc_testing::appendSlideLineRecord({7, 1, 100, 1, 200, 0});
  rec::i(CSLNF, 14) = nodeRecord;
  rec::i(CSLNF, 7) = nodeRecord + 1;
  rec::i(CSLNS, 22) = secondRecord;
  rec::i(CSLNS, 15) = secondRecord + 1;
  const Int n1 = dm2_testing::addNode({1, {0, 0, 0}, {5, nodeRecord}, {}});
  const Int n2 = dm2_testing::addNode({2, {0, 0, 0}, {5}, {secondRecord}});  // 5: outside the range
  const Int type = dm2_testing::addElementType({3, 100, 3, 2});
  dm2_testing::Element el;
  el.type = type;
  el.nodes = {n1, n2};
  el.slideLine = elementRecord;
  const Int element = dm2_testing::addElement(el);
  const Int db = dm2_testing::nodeDatabase();
  std::vector<Real> E(20);
  Int eint[14], eflag[13], n = 0;
  SHR_ELDSAINIT(&element, eint, eflag, E.data(), &n, &db);
  std::vector<Int> got;
  for (int i = 1; i <= rec::slotI(E.data(), 1); ++i) got.push_back(rec::slotI(E.data(), i));
  EXPECT_EQ(got, (std::vector<Int>{10, 7, 2, 100, 300, 3, 400, 300, 200, 0}));
  EXPECT_EQ((std::vector<Int>{eint[0], eint[1], eint[13], n, eflag[2], eflag[10]}), (std::vector<Int>{3, 2, 2, 7, 1, 7}));
  EXPECT_EQ(dm2_testing::openBlocks(), 0);
  // No room for the node lists: reported, the record grows only within its block.
  rec::i(CGM, 41) = 9;
  eqc_testing::clearMessages();
  SHR_ELDSAINIT(&element, eint, eflag, E.data(), &n, &db);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN SHR_ELDSAMODREF"));
  EXPECT_LE(rec::slotI(E.data(), 1), 9);
  EXPECT_EQ(dm2_testing::openBlocks(), 0);
}

TEST_F(Drivers, ElementInitialisationRefusesListCountsPastTheRecord) {
  // The element record's three list counts (slots 3, 5 and 7) each damaged in turn, read with and
  // without the node extension: the routine's system error, nothing read past the record.
  addParameters(1);
  rec::i(CGM, 41) = 20;
  const int big = 2147483647, least = -2147483647 - 1;
  for (const int mode : {0, 1}) {
    state().model.perturbationMode = mode;
    for (const int slotOfCount : {3, 5, 7}) {
      for (const int value : {big, big - 1, big - 3, -1, least}) {
        std::vector<int> words = {7, 1, 100, 1, 200, 0};
        words[static_cast<std::size_t>(slotOfCount - 2)] = value;
        eqc_testing::setSlideLineStore({});
        const Int elementRecord = eqc_testing::appendSlideLineRecord(words);
        const Int n1 = dm2_testing::addNode({1, {0, 0, 0}, {}, {}});
        const Int type = dm2_testing::addElementType({3, 100, 3, 2});
        dm2_testing::Element el;
        el.type = type;
        el.nodes = {n1};
        el.slideLine = elementRecord;
        const Int element = dm2_testing::addElement(el);
        const Int db = dm2_testing::nodeDatabase();
        std::vector<Real> E(20);
        Int eint[14], eflag[13], n = -5;
        eqc_testing::clearMessages();
        SHR_ELDSAINIT(&element, eint, eflag, E.data(), &n, &db);
        const char* routine = mode == 1 ? "SYSTEM ERROR IN SHR_ELDSAMODREF" : "SYSTEM ERROR IN SHR_ELDSAINIT";
        EXPECT_TRUE(eqc_testing::printed(routine)) << mode << " " << slotOfCount << " " << value;
        EXPECT_EQ(n, -5) << mode << " " << slotOfCount << " " << value;
        EXPECT_EQ(eint[0], 0);
        EXPECT_EQ(eint[1], 0);
        EXPECT_EQ(dm2_testing::openBlocks(), 0);
      }
    }
  }
}

// ---- element set-up ----

class ElementSetUp : public Drivers {
 protected:
  void SetUp() override {
    Drivers::SetUp();
    rec::i(CGN, 4) = 6;
    rec::i(CGM, 37) = 4;
    rec::i(CGM, 41) = 12;
    for (Int l = 1; l <= 30; ++l) rec::i(CLDOF, l) = l <= 6 ? l : (l == 8 ? 6 : 0);
  }
  struct Result {
    std::vector<Int> edof;
    std::vector<Int> dmap;
    std::vector<Int> work;
    std::vector<Real> x;
  };
  Result setUp(Int family, std::vector<std::pair<int, Int>> words, Int nodeCount, std::vector<Int> entries,
               std::vector<dm2_testing::Variable> variables = {}) {
    dm2_testing::ElementType t{3, family, 3, nodeCount, words};
    const Int type = dm2_testing::addElementType(t);
    dm2_testing::Element el;
    el.type = type;
    for (Int j = 0; j < nodeCount; ++j) el.nodes.push_back(dm2_testing::addNode({j + 1, {0, 0, 0}}));
    el.dofEntries = entries;
    el.layout.variables = variables;
    el.section = section_;
    el.slideLineAddresses = slideLines_;
    const Int element = dm2_testing::addElement(el);
    const Int db = dm2_testing::nodeDatabase();
    Result r;
    r.edof.assign(64, 0);
    r.dmap.assign(6 * 12, -1);
    r.work.assign(15, 0);
    std::vector<Real> E(12), E2(12), w(12);
    std::vector<Real>& x = r.x;
    x = nodeArray_;
    x.resize(4 * 12);
    const Int n = 6, len = 1;
    SHR_ELSET(x.data(), r.edof.data(), r.dmap.data(), &n, E.data(), E2.data(), &element, r.work.data(), w.data(), &len,
              &db, &db);
    Int count = 0;
    static constexpr Int kType = 2;
    const Int* shared = mem32::at<Int>(ELEMACCESS(&kType, &element, &count), 80);
    sharedCount = shared[24];
    return r;
  }
  // The map that the list gives, built by hand: entry d at position e maps row d mod 100 of
  // node d / 100 + 1.
  static std::vector<Int> mapOf(const std::vector<Int>& edof, Int count, Int columns) {
    std::vector<Int> map(6 * 12, -1);
    std::fill(map.begin(), map.begin() + 6 * columns, 0);
    for (Int e = 1; e <= count; ++e) {
      const Int d = edof[static_cast<std::size_t>(e - 1)];
      const Int row = d % 100 == 8 ? 6 : d % 100;
      map[static_cast<std::size_t>((row - 1) + 6 * (d / 100))] = e;
    }
    return map;
  }
  Int sharedCount = 0;
  Int section_ = 0;                // the element's section address
  std::vector<Int> slideLines_;    // its slide-line addresses
  std::vector<Real> nodeArray_;    // the node array it starts from (zeros beyond)
};

TEST_F(ElementSetUp, ShellFamilyListsSixPerNodeInItsOwnCopyOfTheTypeRecord) {
  const Result r = setUp(202, {{25, 5}, {36, 2}, {8, 2}, {33, 44}, {66, 0}}, 2, {});
  const std::vector<Int> want = {1, 2, 3, 4, 5, 6, 101, 102, 103, 104, 105, 106};
  EXPECT_EQ(std::vector<Int>(r.edof.begin(), r.edof.begin() + 12), want);
  EXPECT_EQ(r.dmap, mapOf(want, 12, 2));
  EXPECT_EQ((std::vector<Int>(r.work.begin(), r.work.begin() + 11)),
            (std::vector<Int>{12, 0, 0, 0, 12, 12, 12, 12, 44, 0, 0}));
  EXPECT_EQ(sharedCount, 5);  // the analysis database's record keeps its count
}

TEST_F(ElementSetUp, BrickFamilyTakesItsNodesInTheOrderOfVariable53) {
  std::vector<Int> entries;
  for (Int node = 0; node < 8; ++node)
    for (Int d = 1; d <= 3; ++d) entries.push_back(100 * node + d);
  for (Int order : {2, 7}) {
    dm2_testing::Variable v{53, true, {}, {order}};
    const Result r = setUp(216, {{25, 24}, {36, 8}, {8, 8}}, 8, entries, {v});
    const std::vector<Int> nodes = order == 2 ? std::vector<Int>{1, 4, 8, 5, 2, 3, 7, 6} : std::vector<Int>{1, 2, 3, 4, 5, 6, 7, 8};
    std::vector<Int> want;
    for (Int node : nodes)
      for (Int d = 1; d <= 3; ++d) want.push_back(100 * (node - 1) + d);
    EXPECT_EQ(std::vector<Int>(r.edof.begin(), r.edof.begin() + 24), want) << order;
    EXPECT_EQ(r.dmap, mapOf(want, 24, 8)) << order;
    EXPECT_EQ(r.work[0], 24);
  }
}

TEST_F(ElementSetUp, SubstructureFamilyCompletesItsNodesAndCountsEachCode) {
  const Result r = setUp(413, {{25, 2}, {9, 2}, {36, 2}, {8, 2}}, 2, {1, 102});
  // Every position of the list is mapped where its code says, and the list only grew.
  Int count = 0;
  while (count < 64 && r.edof[static_cast<std::size_t>(count)] != 0) ++count;
  EXPECT_GT(count, 2);
  EXPECT_EQ(r.dmap, mapOf(r.edof, count, 2));
  EXPECT_EQ(r.work[4], count);
}

TEST_F(ElementSetUp, SelectedFamilyCountsCode8AsFirstKindWhereOthersSwitch) {
  const std::vector<Int> entries = {1, 8, 3, 9, 11, 10, 31};
  const Result selected = setUp(205, {{25, 7}, {36, 1}, {8, 1}, {13, 1}}, 1, entries);
  EXPECT_EQ((std::vector<Int>(selected.work.begin(), selected.work.begin() + 4)), (std::vector<Int>{3, 0, 1, 1}));
  const Result other = setUp(20, {{25, 7}, {36, 7}, {8, 1}, {13, 1}, {7, 3}}, 1, entries);
  EXPECT_EQ((std::vector<Int>(other.work.begin(), other.work.begin() + 4)), (std::vector<Int>{1, 2, 1, 1}));
  const Result plain = setUp(20, {{25, 7}, {36, 5}, {8, 1}, {13, 1}, {7, 3}}, 1, entries);
  EXPECT_EQ((std::vector<Int>(plain.work.begin(), plain.work.begin() + 4)), (std::vector<Int>{2, 1, 1, 1}));
  const Result contact = setUp(20, {{25, 7}, {36, 5}, {8, 1}, {62, 1}}, 1, entries);
  EXPECT_EQ((std::vector<Int>(contact.work.begin(), contact.work.begin() + 4)), (std::vector<Int>{2, 0, 1, 2}));
}

// A section address in the element-record range marks work(13) by the type record's words 31 and
// 29 (not for family 410); a slide-line address of the read kind gives work(14) its record's second
// slot; a code 8 of a family above 99 switches the element and counts as kind 2.
TEST_F(ElementSetUp, SectionAndSlideLineRecordsMarkTheLastCounts) {
  eqc_testing::setSlideLineStore({slot(3), slot(77), slot(0)});  // one record at address 1
  rec::i(CSLEF, 31) = 10;
  rec::i(CSLEF, 13) = 20;
  rec::i(CSLES, 54) = 1;
  rec::i(CSLES, 57) = 2;
  struct Case {
    Int family, section, word31, word29, slideLine, work13, work14;
  };
  for (const Case& c : std::vector<Case>{{300, 15, 0, 0, 1, 1, 77},
                                         {300, 10, 1, 0, 1, 2, 77},
                                         {300, 19, 0, 3, 5, 2, 0},
                                         {300, 20, 0, 0, 1, 0, 77},
                                         {410, 15, 0, 0, 1, 0, 77}}) {
    section_ = c.section;
    slideLines_ = {c.slideLine};
    const Result r = setUp(c.family, {{25, 3}, {36, 1}, {8, 1}, {13, 1}, {31, c.word31}, {29, c.word29}}, 1, {1, 8, 3});
    EXPECT_EQ(r.work[12], c.work13) << c.family << " " << c.section;
    EXPECT_EQ(r.work[13], c.work14) << c.slideLine;
    EXPECT_EQ((std::vector<Int>(r.work.begin(), r.work.begin() + 4)), (std::vector<Int>{1, 2, 0, 0}));
  }
  rec::i(CSLES, 57) = 1;  // the read kind is empty
  slideLines_ = {1};
  EXPECT_EQ(setUp(20, {{25, 1}, {36, 1}, {8, 1}}, 1, {1}).work[13], 0);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

// With the node update on, each node's first array goes into its second wherever the map names a
// degree of freedom of that node, and the first is cleared there.
TEST_F(ElementSetUp, NodeUpdateAfterSetUpFollowsTheMap) {
  rec::i(CGM, 37) = 12;
  rec::i(CNS, 2) = 1;
  rec::i(CNS, 3) = 7;
  for (Int k = 0; k < 24; ++k) nodeArray_.push_back(0.5 * k + 1);
  const std::vector<Int> entries = {1, 3, 6, 102, 105};
  const Result before = setUp(20, {{25, 5}, {36, 2}, {8, 2}}, 2, entries);
  EXPECT_EQ(std::vector<Real>(before.x.begin(), before.x.begin() + 24), nodeArray_);
  rec::i(CDSAFLAGS, 5) = 1;
  const Result after = setUp(20, {{25, 5}, {36, 2}, {8, 2}}, 2, entries);
  std::vector<Real> want = nodeArray_;
  for (Int j = 0; j < 2; ++j)
    for (Int i = 0; i < 6; ++i)
      if (after.dmap[static_cast<std::size_t>(6 * j + i)] != 0) {
        want[static_cast<std::size_t>(12 * j + 6 + i)] += want[static_cast<std::size_t>(12 * j + i)];
        want[static_cast<std::size_t>(12 * j + i)] = 0;
      }
  EXPECT_EQ(after.dmap, before.dmap);
  EXPECT_EQ(std::vector<Real>(after.x.begin(), after.x.begin() + 24), want);
  EXPECT_EQ(std::count(want.begin(), want.end(), 0.0), 5);
  EXPECT_EQ(dm2_testing::openBlocks(), 0);
}

// ---- the verification loop ----

class Verification : public Drivers {
 protected:
  void SetUp() override {
    Drivers::SetUp();
    rec::i(CGN, 4) = 6;
    rec::i(CGN, 8) = 6;
    rec::i(CGM, 37) = 6;
    rec::i(CGM, 41) = 12;
    rec::i(CNS, 2) = 1;
    for (Int l = 1; l <= 6; ++l) rec::i(CLDOF, l) = l;
    rec::i(CELGI, 3) = 1;
    rec::i(CELGI, 30) = 13;
    rec::i(CELGI, 4) = 25;
    rec::i(CELGI, 99) = 49;
    rec::i(CELGI, 6) = 73;
    rec::i(CELGI, 100) = 97;
    addParameters(2);
    const Int type = dm2_testing::addElementType({3, 202, 3, 2, {{25, 12}, {36, 2}, {8, 2}}});
    for (Int e = 1; e <= 2; ++e) {
      dm2_testing::Element el;
      el.type = type;
      for (Int j = 0; j < 2; ++j) {
        el.nodes.push_back(dm2_testing::addNode({j + 1, {0, 0, 0}}));
        nodes_.push_back(el.nodes.back());
        dm2_testing::setNodeVariable(el.nodes.back(), 2, std::vector<Real>(6, 1.0));
        dm2_testing::setNodeVariable(el.nodes.back(), 6, std::vector<Real>(6, 2.0));
      }
      const Int handle = dm2_testing::addElement(el);
      dm2_testing::mapElementEntry(e, handle);
      dm2_dsa_testing::ElementPlan plan;
      plan.block = zmxtest::dsa::block(0, {{3, 3, 1, 1}}, 2);
      dm2_dsa_testing::buildElementLayout(plan, handle);
    }
    rec::i(CGN, 3) = 2;
  }
  // With a map of n = 6 rows per node, empty or naming every degree of freedom of both nodes.
  void verify(bool mapped = false) {
    std::vector<Real> x(200), y(12);
    std::vector<Int> dmap(12);
    for (Int d = 1; mapped && d <= 12; ++d) dmap[static_cast<std::size_t>(d - 1)] = d;
    const Int n = 6, elemdb = 3;
    SHR_ELDSAVER(x.data(), y.data(), dmap.data(), &n, &elemdb);
  }
  std::vector<Int> nodes_;
};

TEST_F(Verification, EveryElementIsSetUpAndEveryBlockGivenBack) {
  rec::i(CDSAFLAGS, 2) = 1;
  rec::i(CPROG, 1) = 1;
  verify();
  EXPECT_EQ(dm2_dsa_testing::bitVectorCalls(), (std::vector<std::pair<Int, Int>>{{22, 3}, {1, 3}}));
  EXPECT_EQ(dm2_dsa_testing::openElements(), 0);
  EXPECT_EQ(dm2_testing::openBlocks(), 0);
  EXPECT_EQ(dm2_testing::openNodePackages(), 0);
  EXPECT_EQ(state().varStorage, nullptr);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  // With derivatives from the nodes (word 7 of the model = 1).
  state().model.word7 = 1;
  verify();
  EXPECT_EQ(dm2_testing::openBlocks(), 0);
  EXPECT_EQ(dm2_dsa_testing::openElements(), 0);
  // Without bit-vector verification: a word 7 of 1 does nothing; 0 picks operation 5 or 9.
  rec::i(CDSAFLAGS, 2) = 0;
  dm2_dsa_testing::resetElementLoops();
  verify();
  EXPECT_TRUE(dm2_dsa_testing::bitVectorCalls().empty());
  state().model.word7 = 0;
  rec::i(CONTRO, 24) = 1;
  rec::i(CPROG, 1) = 0;
  verify();
  EXPECT_EQ(dm2_dsa_testing::bitVectorCalls(), (std::vector<std::pair<Int, Int>>{{9, 3}, {1, 3}}));
  EXPECT_EQ(dm2_testing::openBlocks(), 0);
}

// With derivatives from the nodes, variable 33 holds CGN(8) reals per design parameter: a map of
// more rows than that reads no further than what each node holds.
TEST_F(Verification, NodalDerivativesAreReadNoFurtherThanEachNodeHolds) {
  rec::i(CDSAFLAGS, 2) = 1;
  rec::i(CPROG, 1) = 1;
  state().model.word7 = 1;
  rec::i(CGN, 8) = 3;  // below the map's 6 rows
  for (const Int node : nodes_) dm2_testing::setNodeVariable(node, 33, std::vector<Real>(3 * 2, 0.5));
  verify(true);
  EXPECT_EQ(dm2_testing::openBlocks(), 0);
  EXPECT_EQ(dm2_dsa_testing::openElements(), 0);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

// ---- a whole cycle ----

TEST_F(Drivers, TwoParametersInModeTwoDifferenceALinearStateAndRestoreIt) {
  addParameters(2);
  state().model.perturbationMode = 2;
  dm2_dsa_testing::ElementPlan plan;
  plan.block = zmxtest::dsa::block(0, {{3, 3, 2, 2}, {8, 9, 1, 3}}, 2, 2, 1);
  ElementLayout* e = dm2_dsa_testing::buildElementLayout(plan);
  const Int word = e->Word();
  auto values = [e](Int id, int copy) {
    const VarBlock::Entry* entry = e->Block().Find(id);
    const Layout::Copies* c = e->ClassCopies(entry->storageClass);
    return dm2_dsa_testing::copyData(*e, entry->storageClass, copy).data() + (c->baseIndex + entry->position) * c->stride;
  };
  const std::vector<Real> s3 = {1, 2, 3, 4}, s9 = {5, 6, 7};
  const std::vector<std::vector<Real>> g3 = {{0.5, -1, 2, 0}, {3, 1, -2, 4}}, g9 = {{1, 2, 3}, {-1, 0, 0.25}};
  auto setState = [&](Real h, int p) {
    for (int i = 0; i < 4; ++i) values(3, 1)[i] = s3[static_cast<std::size_t>(i)] + h * (p ? g3[p - 1][static_cast<std::size_t>(i)] : 0);
    for (int i = 0; i < 3; ++i) values(8, 2)[i] = s9[static_cast<std::size_t>(i)] + h * (p ? g9[p - 1][static_cast<std::size_t>(i)] : 0);
  };
  setState(0, 0);
  for (int i = 0; i < 4; ++i) values(3, 0)[i] = s3[static_cast<std::size_t>(i)];
  for (int i = 0; i < 3; ++i) values(8, 0)[i] = s9[static_cast<std::size_t>(i)];
  ELDSAFORMSTORAGE(&word);
  DSASTOREINITSTATE(&word, nullptr, nullptr);
  dm2_dsa_testing::endIncrement(e);
  const Real h = 0.125, inverse = 8;
  for (int p = 1; p <= 2; ++p) {
    Int c1[13] = {1}, c2[8] = {};
    c2[7] = p;
    const Int a = 0, zero = 0, one = 1, element = 4;
    // Class 3 differences from copy 1 (b = 0), class 9 from copy 2 (b = 1).
    for (Int b : {0, 1}) {
      setState(0, 0);
      ELDSAINITDERIV(&word, c1, c2, &a, &b, &zero, &h);
      setState(h, p);  // the analysis at the perturbed design
      ELDSAFINITEDIFF(&word, c1, c2, &a, &b, &zero, &inverse);
    }
    ELDSARESTOREDATA(&word, &element, &one, &zero);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(values(3, 0)[i], s3[static_cast<std::size_t>(i)]);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(values(8, 0)[i], s9[static_cast<std::size_t>(i)]);
  }
  for (int p = 1; p <= 2; ++p) {
    const Real* d3 = values(zmxtest::dsa::companion(0, 3, 2), 1) + (p - 1) * 4;
    const Real* d9 = values(zmxtest::dsa::companion(0, 8, 2), 2) + (p - 1) * 3;
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(d3[i], g3[static_cast<std::size_t>(p - 1)][static_cast<std::size_t>(i)], 1e-12);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(d9[i], g9[static_cast<std::size_t>(p - 1)][static_cast<std::size_t>(i)], 1e-12);
  }
  ELDSADELSTORAGE();
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

}  // namespace
