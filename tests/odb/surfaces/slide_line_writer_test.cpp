// Slide lines, slide planes, analytical rigid surfaces and reference nodes of one part, on a
// slide-line store laid out by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/odb/surfaces/odb_test_support.h"
#include "tests/support/odb_model_builder.h"
#include "zmx/odb.h"
#include "zmx/storage/records.h"

namespace {

using namespace odbtest;

class SlideLines : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    handle = openDatabase("slide_lines");
    rec::clear(CGN);
    rec::clear(CSLEF);
    rec::clear(CSLV);
    rec::clear(CPROC);
    rec::clear(CEOSZ);
    rec::i(CGN, 2) = 6;
    rec::i(CEOSZ, 12) = 3;
  }
  // Nodes 1 to 6 (labels 101..106, node 4 labelled 7); nodes 5 and 6 belong to part 2.
  void run(Int part = 1) {
    store.install();
    ODBSLIDE(record.data(), labels.data(), table.data(), nodeLabels.data(), nodeMap.data(), references.data(), &part,
             &referenceCount, &first, &count, &counter, &handle);
  }
  void reference(Int node, Int address, Int flag) {
    for (Int v : {node, address, flag, 0, 0}) references.push_back(slot(v));
    ++referenceCount;
  }
  Int referenceSlot(Int entry, int k) const { return rec::slotI(references.data(), 5LL * (entry - 1) + k); }
  const dm2_testing::OutputDatabase* db() const { return dm2_testing::outputDatabase(handle); }
  std::vector<Int> labelsOf(const std::string& type) const {
    std::vector<Int> out;
    if (const auto* c = classNamed(db(), type))
      for (const auto& e : c->elements) out.push_back(e.label);
    return out;
  }

  Store store;
  std::vector<double> record = std::vector<double>(64, 0.0), references;
  std::vector<Int> labels = std::vector<Int>(128, 0), table = std::vector<Int>(28 * 130, 0);
  std::vector<Int> nodeLabels = {101, 102, 103, 7, 105, 106};
  std::vector<Int> nodeMap = {1, 0, 1, 0, 1, 0, 1, 0, 2, 0, 2, 0};
  Int handle = 0, first = 1, count = 0, counter = 0, referenceCount = 0;
};

TEST_F(SlideLines, AUserRigidSurfaceOfKindFiveWritesItsReferenceNodeWithoutASet) {
  const Int user = store.add({slot(5)});
  rec::i(CSLV, 7) = rec::i(CSLV, 8) = store.next();
  reference(2, user, 0);
  counter = -20;
  const std::size_t setsBefore = db()->sets.size();
  run();
  EXPECT_EQ(labelsOf("RNODE3D"), (std::vector<Int>{-21}));
  EXPECT_EQ(db()->sets.size(), setsBefore);
  EXPECT_EQ(referenceSlot(1, 1), 0);
}

TEST_F(SlideLines, LinesPlanesRigidSurfacesAndReferenceNodesOfAPart) {
  // Slide lines [17, 24), first reference nodes [24, 25), slide planes [25, 32), the pairing list
  // [29, 31) and the second reference nodes [31, 13).
  rec::i(CSLEF, 17) = store.next();
  std::vector<double> line = {slot(1), slot(0), slot(0), nameSlot("SL1")};
  for (int k = 6; k <= 12; ++k) line.push_back(slot(0));
  for (Int n : {1, 2, 5, 3, 4}) line.push_back(slot(n));  // segments 1-2 and 3-4 lie in part 1
  store.add(line);
  store.add({slot(9999), slot(0), slot(0), nameSlot("PASSED")});
  std::vector<double> outside = line;
  outside[3] = nameSlot("SL2");
  for (std::size_t k = 11; k < outside.size(); ++k) outside[k] = slot(5);
  store.add(outside);  // all in part 2: no set
  rec::i(CSLEF, 24) = store.next();
  store.add({slot(0), slot(1)});
  rec::i(CSLEF, 25) = store.next();
  // Plane: two facets of four entries into the node list (1, 2, 3, 5).
  store.add({slot(0), nameSlot("SP1"), slot(2), slot(4), slot(1), slot(2), slot(3), slot(4), slot(1), slot(0), slot(0),
             slot(2), slot(1), slot(2), slot(3), slot(5)});
  rec::i(CSLEF, 32) = rec::i(CSLEF, 29) = store.next();
  store.add({slot(0), nameSlot("SLAVE"), nameSlot("RIGID")});
  rec::i(CSLEF, 31) = store.next();
  store.add({slot(0), slot(5)});
  rec::i(CSLEF, 13) = store.next();
  // Rigid-surface records and the slave surfaces that name them.
  const Int analytical = store.add({slot(3)});
  const Int cylinder = store.add({slot(1)});
  const Int user = store.add({slot(4)});
  const Int other = store.add({slot(2)});
  rec::i(CSLV, 7) = store.next();
  store.add({slot(30), nameSlot("RIGID"), slot(2), slot(2), slot(0), slot(0), slot(0), slot(cylinder)});
  store.add({slot(30), nameSlot("SLAVE"), slot(4), slot(0), slot(0), slot(0), slot(0), slot(0)});
  rec::i(CSLV, 8) = store.next();
  reference(4, analytical, 0);  // unnamed, node label 7
  reference(3, cylinder, 0);    // named, paired with an axisymmetric surface
  reference(2, user, 0);
  reference(6, other, 0);       // another part
  reference(0, other, 0);
  counter = -20;
  run();

  EXPECT_EQ(labelsOf("LSURF1"), (std::vector<Int>{-21, -22}));
  const auto* sl1 = setNamed(db(), "surface", "Slideline SL1");
  ASSERT_NE(sl1, nullptr);
  EXPECT_EQ(sl1->firstLength, 120);
  EXPECT_EQ(sl1->members, (std::vector<Int>{-21, -22}));
  EXPECT_EQ(classNamed(db(), "LSURF1")->elements[1].row, (std::vector<Int>{103, 7}));
  EXPECT_EQ(setNamed(db(), "surface", "Slideline SL2"), nullptr);
  EXPECT_EQ(setNamed(db(), "surface", "Slideline PASSED"), nullptr);
  // The plane's first facet keeps its three nodes of the part, the second its two.
  EXPECT_EQ(classNamed(db(), "TSURF1")->elements[0].row, (std::vector<Int>{101, 102, 103}));
  EXPECT_EQ(classNamed(db(), "LSURF3")->elements[0].row, (std::vector<Int>{101, 102}));
  ASSERT_NE(setNamed(db(), "surface", "Slideplane SP1"), nullptr);
  EXPECT_EQ(setNamed(db(), "surface", "Slideplane SP1")->members, (std::vector<Int>{-23, -24}));

  // Unnamed analytical surface on node 7: L1 = -25 ("ARSR"), L2 = -26 ("RNODE3D").
  EXPECT_EQ(labelsOf("ARSR"), (std::vector<Int>{-25}));
  EXPECT_EQ(referenceSlot(1, 5), -25);
  const Int arsr = referenceSlot(1, 4);
  ASSERT_GE(arsr, 1);
  EXPECT_EQ(table[28 * static_cast<std::size_t>(arsr - 1) + 14], 4);  // the class of rigid kind 4
  const std::string rn = "rn         7";
  ASSERT_EQ(rn.find('7'), 11u);  // column 12
  bool referenceSet = false;
  for (const auto& s : db()->sets)
    if (s.firstName == rn) {
      referenceSet = true;
      EXPECT_EQ(s.secondName, "Rigid Reference Node #7");
      EXPECT_EQ(s.members, (std::vector<Int>{-26}));
    }
  EXPECT_TRUE(referenceSet);
  const auto* rigid = setNamed(db(), "surface", "Rigid Surface : Node     7");
  ASSERT_NE(rigid, nullptr);
  EXPECT_EQ(rigid->members, (std::vector<Int>{-26, -25}));
  // The named one paired with a dimension-kind-4 surface: "ARSSS" and its expanded name.
  EXPECT_EQ(labelsOf("ARSSS"), (std::vector<Int>{-27}));
  ASSERT_NE(setNamed(db(), "surface", "RIGID"), nullptr);
  EXPECT_EQ(setNamed(db(), "surface", "RIGID")->members, (std::vector<Int>{-28, -27}));
  EXPECT_EQ(labelsOf("RNODE2D").front(), -28);
  // The user surface: its reference node alone, and its entry cleared.
  EXPECT_EQ(labelsOf("RNODE3D"), (std::vector<Int>{-26, -29}));
  EXPECT_EQ(referenceSlot(3, 1), 0);
  EXPECT_EQ(referenceSlot(4, 5), 0);
  // Reference nodes of both ranges, without a part test, in "RNODE2D".
  EXPECT_EQ(labelsOf("RNODE2D"), (std::vector<Int>{-28, -30, -31}));
  EXPECT_EQ(classNamed(db(), "RNODE2D")->elements[2].row, (std::vector<Int>{105}));
  EXPECT_EQ(counter, -31);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);

  // Part 2: the other part's rigid surface; reference nodes again; the user entry stays cleared.
  run(2);
  // SL2's four segments (-32 to -35), the plane's one node (-36), then "ARSC" and its node.
  EXPECT_EQ(labelsOf("LSURF1").size(), 6u);
  EXPECT_EQ(labelsOf("ARSC"), (std::vector<Int>{-37}));
  EXPECT_EQ(labelsOf("RNODE2D").size(), 5u);
  EXPECT_EQ(labelsOf("RNODE3D"), (std::vector<Int>{-26, -29, -36, -38}));
  ASSERT_NE(setNamed(db(), "surface", "Slideline SL2"), nullptr);
}

TEST_F(SlideLines, EveryRigidSurfaceKindNamesItsReferenceNodeWithAllTheLabelsDigits) {
  const double noName = 0.0;
  std::vector<double> user = {slot(2), slot(4)};  // a user surface of kind 4
  Int classIndex = 0, label = 0, kind = 1;
  for (Int node : {7, 999999999, 1000000000, 2147483647}) {
    ODBRSURFS(record.data(), table.data(), &noName, &classIndex, &label, &node, &first, &kind, &count, &counter, &handle);
    ODBRSURFC(record.data(), table.data(), &noName, &classIndex, &label, &node, &first, &count, &counter, &handle);
    ODBRSURFA(record.data(), table.data(), &noName, &classIndex, &label, &node, &first, &count, &counter, &handle);
    ODBRSURFUSER(user.data(), table.data(), &noName, &node, &first, &count, &counter, &handle);
    const std::string digits = std::to_string(node);
    const std::string rn = "rn" + std::string(10 - digits.size(), ' ') + digits;
    int named = 0;
    for (const auto& s : db()->sets)
      if (s.firstName == rn) {
        EXPECT_EQ(s.secondName, "Rigid Reference Node #" + digits);
        ++named;
      }
    EXPECT_EQ(named, 4) << node;
    const std::string surface = "Rigid Surface : Node " + std::string(node <= 99999 ? 5 - digits.size() : 10 - digits.size(), ' ');
    EXPECT_NE(setNamed(db(), "surface", surface + digits), nullptr) << node;
  }
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(SlideLines, AnalysisTimeRigidSurfacesFindTheirEntriesAndPairings) {
  rec::i(CPROC, zmx::procedure::kAnalysisTimeRigidSurfaces) = 1;
  for (int w : {13, 17, 24, 25, 29, 31, 32}) rec::i(CSLEF, w) = 1;
  rec::i(CSLV, 15) = store.next();
  // Kind 138: slot 3 name, 5 node, 6 index p, p + 1 the rigid kind.
  const Int named = store.add({slot(138), nameSlot("CYL"), slot(0), slot(3), slot(6), slot(1)});
  const Int orphan = store.add({slot(138), nameSlot("LOST"), slot(0), slot(3), slot(6), slot(2)});
  const Int axi = store.add({slot(130), nameSlot("AXI"), slot(0), slot(0), slot(0), slot(0), slot(0), slot(8)});
  const Int flat = store.add({slot(130), nameSlot("FLAT"), slot(0), slot(0), slot(0), slot(0), slot(0), slot(4)});
  store.add({slot(131), slot(0), slot(0), slot(0), slot(0), slot(0), slot(0), slot(named), slot(flat)});
  store.add({slot(131), slot(0), slot(0), slot(0), slot(0), slot(0), slot(0), slot(axi), slot(named)});
  const Int wrongKind = store.add({slot(138), nameSlot("ODD"), slot(0), slot(3), slot(6), slot(5)});
  store.add({slot(138), nameSlot("BADP"), slot(0), slot(3), slot(60), slot(1)});  // p past the record: reported
  rec::i(CSLV, 16) = store.next();
  (void)orphan;
  reference(1, named, 0);
  reference(2, wrongKind, 0);
  run();
  EXPECT_EQ(labelsOf("ARSSS"), (std::vector<Int>{-1}));
  EXPECT_EQ(referenceSlot(1, 5), -1);
  ASSERT_NE(setNamed(db(), "surface", "CYL"), nullptr);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR 3 IN ODBSLIDE"));
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ODBSLIDE"));
  EXPECT_EQ(referenceSlot(2, 5), 0);  // a rigid kind outside 1 to 3 writes nothing
  EXPECT_EQ(counter, -2);
}

// Counts and indices that point past their records, a rigid-surface record too short to hold
// its kind, and a reference node outside the model: each reported and passed over.
TEST_F(SlideLines, DamagedRecordsAreReportedAndPassedOver) {
  rec::i(CSLEF, 17) = rec::i(CSLEF, 24) = store.next();
  store.add({slot(0), slot(99)});  // reference node 99 of 6
  rec::i(CSLEF, 25) = store.next();
  store.add({slot(0), nameSlot("BAD1"), slot(5), slot(4)});  // five facets of four nodes in 5 slots
  // One facet of entries 1 and 9 into a node list of one node (node 1).
  store.add({slot(0), nameSlot("BAD2"), slot(1), slot(2), slot(1), slot(9), slot(1)});
  rec::i(CSLEF, 32) = store.next();
  const Int tooShort = store.add({});
  reference(2, tooShort, 0);
  run();
  EXPECT_EQ(labelsOf("RNODE3D"), (std::vector<Int>{-1}));
  ASSERT_NE(setNamed(db(), "surface", "Slideplane BAD2"), nullptr);
  EXPECT_EQ(setNamed(db(), "surface", "Slideplane BAD2")->members, (std::vector<Int>{-1}));
  EXPECT_EQ(setNamed(db(), "surface", "Slideplane BAD1"), nullptr);
  EXPECT_EQ(counter, -1);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 4);
  for (const char* text : {"SYSTEM ERROR IN ODBSLIDE. FACETS OUTSIDE THE RECORD",
                           "SYSTEM ERROR IN ODBSLIDE. FACET NODE OUTSIDE THE RECORD",
                           "SYSTEM ERROR IN ODBSLIDE. NODE 99 OUTSIDE THE MODEL"})
    EXPECT_TRUE(eqc_testing::printed(text)) << text;
}

class SlideLinesOfParts : public zmxtest::HostFixture {};

TEST_F(SlideLinesOfParts, EachPartWritesItsSegmentsAndRigidSurfacesAndEveryReferenceNode) {
  zmxtest::OdbModelBuilder b;
  b.pseudoLabelStart = 50;
  const int rigid = b.record(2, {zmxtest::I(3)});
  const int reference = b.nodeRecord(11, {zmxtest::A(rigid), zmxtest::I(0)});
  const Int n1 = b.node(1, {0, 0, 0}), n2 = b.node(2, {1, 0, 0});
  const Int n3 = b.node(3, {2, 0, 0}, 4, {reference}), n4 = b.node(4, {3, 0, 0});
  const Int type = b.elementType("T3D2", 2010, 300, 2);
  b.part("XIDA", {b.element(11, type, {n1, n2})}, {n1, n2});
  b.part("XIDB", {b.element(12, type, {n3, n4})}, {n3, n4});
  std::vector<zmxtest::Slot> line = {zmxtest::I(1), zmxtest::I(0), zmxtest::I(0), zmxtest::N("LINE")};
  for (int k = 6; k <= 12; ++k) line.push_back(zmxtest::I(0));
  for (Int n : {n1, n2, n3, n4}) line.push_back(zmxtest::I(n));
  b.record(17, line);
  b.record(24, {zmxtest::I(0), zmxtest::I(n1)});
  std::vector<double> work;
  const auto* db = writeModel(b, work, "slide_lines");
  ASSERT_NE(db, nullptr);
  auto labelsOf = [&](const std::string& type) {
    std::vector<Int> out;
    if (const auto* c = classNamed(db, type))
      for (const auto& e : c->elements) out.push_back(e.label);
    return out;
  };
  EXPECT_EQ(labelsOf("LSURF1"), (std::vector<Int>{-51, -53}));
  EXPECT_EQ(labelsOf("RNODE2D"), (std::vector<Int>{-52, -56}));
  EXPECT_EQ(labelsOf("ARSR"), (std::vector<Int>{-54}));
  EXPECT_EQ(labelsOf("RNODE3D"), (std::vector<Int>{-55}));
  EXPECT_EQ(classNamed(db, "LSURF1")->elements[1].row, (std::vector<Int>{3, 4}));
  std::vector<std::vector<Int>> lines;
  for (const auto& set : db->sets)
    if (set.secondName == "Slideline LINE") lines.push_back(set.members);
  EXPECT_EQ(lines, (std::vector<std::vector<Int>>{{-51}, {-53}}));
  ASSERT_NE(setNamed(db, "surface", "Rigid Surface : Node     3"), nullptr);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

}  // namespace
