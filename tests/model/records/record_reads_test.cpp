// Every routine that reads stored records, given a record longer than the room it has: nothing is
// copied past that room (the callers' buffers here are exact-size heap arrays, so the sanitizer
// build catches any overrun) and the routine takes its way out - a walk ends, a level -3 report,
// a status - or reads the record into storage of its own.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "siblings/eqc/orientation_points.h"
#include "tests/elements/element_model.h"
#include "tests/support/mapped_array.h"
#include "tests/model/printers/expected_lines.h"
#include "zmx/contact/slide_surfaces.h"
#include "zmx/contact/small_sliding.h"
#include "zmx/elements/interface.h"
#include "zmx/elements/line.h"
#include "zmx/elements/special.h"
#include "zmx/model.h"
#include "zmx/storage.h"

namespace {

using element_model::reals;

constexpr int kLong = 300;  // slots of the over-long record
constexpr double kUntouched = -7.0;

double slotOf(int value) { return eqc_testing::integerSlot(value); }

// A buffer of exactly n slots, filled with a mark that shows whether anything was written.
std::vector<Real> buffer(std::size_t n) { return std::vector<Real>(n, kUntouched); }
bool untouched(const std::vector<Real>& b) { return b == std::vector<Real>(b.size(), kUntouched); }

class RecordReads : public element_model::ElementTest {
 protected:
  void SetUp() override {
    ElementTest::SetUp();
    rec::clear(CSLV);
    rec::clear(CSLES);
    rec::clear(CSLNS);
    rec::clear(CLDOF);
    eqc_testing::setOrientationRecords({});
    eqc_testing::clearMessages();
  }
  void TearDown() override {
    eqc_testing::setOrientationRecords({});
    ElementTest::TearDown();
  }

  // Appends a record of kLong slots: the given slots from slot 2, zeros after them.
  static Int overLong(std::vector<double> from2 = {}) {
    from2.resize(kLong - 1, 0.0);
    return eqc_testing::appendSlideLineSlots(from2);
  }
};

TEST_F(RecordReads, WalksEndAtARecordThatDoesNotFit) {
  // Load-case names: a record of 300 slots in a range of 3 slots and a block of 3 slots. Were it
  // read, its kind 4 would make it the load-case record.
  const Int names = overLong({slotOf(4)});
  rec::i(CSLV, 15) = names;
  rec::i(CSLV, 16) = names + 3;
  rec::i(CGM, 54) = dm2_testing::addGlobalBlock(6);
  std::vector<Real> loadCases(2);
  const Int two = 2;
  SHR_LOADCASENAMES(loadCases.data(), &two);
  EXPECT_EQ(std::memcmp(loadCases.data(), "                ", 16), 0) << "the names stay blank";
  EXPECT_EQ(dm2_testing::openBlocks(), 0);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);

  // Material merge: a 12-slot record at address 4 of a 5-slot range; the mirror holds 5 slots.
  eqc_testing::setSlideLineStore({});
  eqc_testing::clearMessages();
  const Int first = eqc_testing::appendSlideLineRecord({0, 0});
  eqc_testing::appendSlideLineRecord(std::vector<int>(11, 0));
  const Int end = first + 5;
  std::vector<Int> mapm(5, -1);
  std::vector<Real> mirror(5);
  MERGEMATERIAL(mapm.data(), mirror.data(), &first, &end);
  EXPECT_EQ(mapm[0], 1);
  EXPECT_EQ(mapm[3], 0) << "the record that does not fit is not numbered";
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);

  // The slide-line dump and the printers walk records whatever their length, into storage of
  // their own: the callers' small buffers are never written.
  printers_test::startPrinting();
  eqc_testing::setSlideLineStore({});
  eqc_testing::clearMessages();
  const Int pair = overLong({0.0, 0.0, slotOf(0)});
  rec::i(CSLES, 33) = pair;
  rec::i(CSLES, 26) = pair + kLong;
  rec::i(CSLV, 16) = pair + kLong;
  rec::i(CSLV, 15) = pair;
  DWTO(" ", 1);
  rec::i(CDWFIL, 1) = printers_test::kUnit;  // the dump onto the printers' memory unit
  std::vector<Real> dump = buffer(2), local = buffer(40), whole = buffer(40), older = buffer(40), step = buffer(40);
  DWSLDB(dump.data());
  const Int skip = 0;
  HLOCALCONTCTRL(local.data(), &skip);
  HESCONTCTRL(reinterpret_cast<Int*>(whole.data()), older.data(), nullptr);
  printers_test::StepRecord eigen(60);
  const Int n = 20, kproc = 41, istep = 1, unsym = 0, lanczos = 1, print = printers_test::kUnit;
  Int lcase = 0;
  rec::i(CPHCON, 3) = 8;
  HSTEPE(eigen.ints(), eigen.data(), &n, &kproc, &istep, &print, &unsym, &lcase, &lanczos, step.data());
  EXPECT_NE(printers_test::printedText().find("CYCLIC SYMMETRY MODEL IS SOLVED"), std::string::npos);
  for (const auto* b : {&dump, &local, &whole, &older, &step}) EXPECT_TRUE(untouched(*b));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  rec::clear(CDWFIL);
  rec::clear(CPHCON);
}

TEST_F(RecordReads, ElementRoutinesReadOnlyWhatFits) {
  // Orientation points: a record longer than the reader's buffer counts as no point.
  std::vector<std::vector<double>> orientations{{0.0, slotOf(1)}, std::vector<double>(100, 0.0)};
  orientations[1][1] = slotOf(5);
  eqc_testing::setOrientationRecords(orientations);
  Real p[3] = {};
  Int flag = 0;
  const Int five = 5;
  NGNORX(p, &five, &flag);
  EXPECT_EQ(flag, 1);

  // Spatial beam: the section record at the section address is far longer than the section array.
  const Int section = overLong({0, 0, 0, 0, 0, 0, 0.0, 1.0, 0.0});
  build({.family = 103, .nodes = {{0, 0, 0, 0, 0, 1}, {1, 0, 0, 0, 0, 1}}, .words = {{14, 0}},
         .variables = {reals(18, 12)}, .section = section});
  Int status = 0;
  std::vector<Real> sectionArray = buffer(16);
  LBG102(X.data(), &ldim, sectionArray.data(), &handle, &status);
  EXPECT_EQ(variable(18, 12)[3], 0.0);

  // Interface elements: their record, and the stored normals of a line spring.
  eqc_testing::setSlideLineStore({});
  std::vector<double> element(13, 0.0);
  element[12] = 2.5;  // slot 14: the length measure
  const Int own = overLong(element);
  rec::i(CSLEF, 29) = own, rec::i(CSLEF, 31) = own + kLong;
  const std::vector<Int> addresses = {own};
  const Int count = 1;
  std::vector<Int> type(80, 0);
  type[0] = 254, type[6] = 3, type[35] = 2;
  std::vector<Real> spring = buffer(16), slave = buffer(16), surface = buffer(16);
  const std::vector<Real> ends = {0, 0, 0, 1, 0, 0};
  const Int ld = 3, two = 2;
  LIRS(ends.data(), &ld, spring.data(), type.data(), addresses.data(), &count);
  EXPECT_EQ(rec::r(CPHCON, 11), 2.5);
  Real v99[1] = {};
  const Int none = 0, db = dm2_testing::nodeDatabase();
  type[0] = 294;
  LIGSMALLSLID(v99, &none, slave.data(), addresses.data(), &count, type.data(), &handle, &db, nodeList.data());
  const Int t290 = 290, node = 1001;
  std::vector<Real> info(8);
  const Int infoRoom = 8;
  LIGSL3(surface.data(), addresses.data(), &count, &t290, &two, info.data(), &infoRoom, ends.data(), &ld, &node);
  EXPECT_EQ(rec::r(CPHCON, 11), 2.5 * 2) << "LIRS and LIGSL3 add the length; LIGSMALLSLID only to the interfaces";

  const Int normal = overLong({slotOf(77), 0.0, 0.0, 1.0});
  rec::i(CSLNF, 3) = normal, rec::i(CSLNF, 4) = normal + kLong;
  build({.family = 208, .nodes = {{0, 0, 0, 1, 0, 0}}, .nodeRecords = {{normal}}});
  std::vector<Real> normals(3), springBuffer = buffer(8);
  const Int one = 1, seventySeven = 77;
  LSNORS(normals.data(), X.data(), &ldim, springBuffer.data(), &one, &seventySeven, &db, nodeList.data());
  EXPECT_TRUE(untouched(springBuffer));
  for (const auto* b : {&sectionArray, &spring, &slave, &surface}) EXPECT_TRUE(untouched(*b));

  // Hydrostatic fluid: one segment node still makes two rows, so a table of one row takes none.
  build({.family = 408, .type = 3401, .nodes = {{0, 1, 0}, {1, 1, 0}, {0, 0, 0}}, .words = {{8, 3}, {9, 1}}});
  std::vector<Int> segments(5, 0);
  std::vector<Real> cavities(4, 0.0), fluid(8, 0.0);
  Int rows = 0;
  const Int L = 1, fluidElement = 60;
  Real volume = 0.0;
  LSGFLUID(fluid.data(), segments.data(), &rows, &L, cavities.data(), &volume, &fluidElement, nodeList.data(),
           typeWords.data(), X.data(), &ldim, &db);
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(segments, std::vector<Int>(5, 0));
  EXPECT_TRUE(eqc_testing::printed("INCREASE BY AT LEAST 5 WORDS"));
  // A reference node outside the element's node list: reported, nothing added.
  typeWords[7] = 9;
  eqc_testing::clearMessages();
  LSGFLUID(fluid.data(), segments.data(), &rows, &L, cavities.data(), &volume, &fluidElement, nodeList.data(),
           typeWords.data(), X.data(), &ldim, &db);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_EQ(rows, 0);
}

TEST_F(RecordReads, NodeRoutinesReadOnlyWhatFits) {
  // Boundary conditions of a node: a 300-slot condition record (degree of freedom 1, value 1)
  // and a caller's scratch record of 16 slots.
  const Int condition = overLong({slotOf(1), slotOf(1)});
  rec::i(CSLNS, 3) = condition + kLong;
  rec::i(CGN, 4) = 6;
  rec::i(CLDOF, 1) = 1;
  dm2_testing::Node n{1001, {0, 0, 0}};
  n.dofList = {condition};
  const Int ndb = dm2_testing::nodeDatabase(), conditionIndex = dm2_testing::addNode(n);
  const Int nodeHandle = ADB_GETNODE(&ndb, &conditionIndex);
  std::vector<Real> scratch = buffer(16);
  Int iflags[6], ilast = 0;
  SHR_NODBC(scratch.data(), iflags, &ilast, &nodeHandle);
  EXPECT_EQ(iflags[0], 1);
  EXPECT_TRUE(untouched(scratch));

  // A node's transformation: a 300-slot record of kind 1 (the identity) read for SHR_NODTRA.
  std::vector<double> identity = {slotOf(1), 1, 0, 0, 0, 1, 0, 0, 0, 1};
  const Int transform = overLong(identity);
  rec::i(CSLNF, 4) = transform, rec::i(CSLNF, 5) = transform + kLong;
  dm2_testing::Node t{1002, {0, 0, 0}};
  t.slideLineAddresses = {transform};
  const Int tIndex = dm2_testing::addNode(t);
  const Int tHandle = ADB_GETNODE(&ndb, &tIndex);
  std::vector<Real> vec = {1, 2, 3}, slrec = buffer(12);
  const Int itrans = 0, nv = 1, ldv = 3;
  Int iflag = -1;
  const Real coordinates[3] = {0, 0, 0};
  SHR_NODTRA(vec.data(), slrec.data(), &itrans, &nv, &iflag, coordinates, &tHandle, &ldv);
  EXPECT_EQ(iflag, 0);
  EXPECT_EQ(vec, (std::vector<Real>{1, 2, 3}));
  EXPECT_TRUE(untouched(slrec));

  // Small sliding with one-dof masters: their nodal normals are 300-slot records, the caller's
  // work array holds 4 slots.
  const Int up = overLong({0.0, 0.0, 1.0});
  rec::i(CSLNF, 12) = up, rec::i(CSLNF, 7) = up + kLong;
  std::vector<Int> nix;
  for (int i = 0; i < 2; ++i) {
    dm2_testing::Node m{2001 + i, {0, 0, 0}};
    m.slideLineAddresses = {up};
    nix.push_back(dm2_testing::addNode(m));
  }
  nix.insert(nix.begin(), 0);
  const Int m = 2, k = 1, ldx = 3;
  const std::vector<Real> x{0.5, 0.5, 0.5, 1, 0, 0, 0, 1, 0}, wa{0.8, 0.2}, wt1{1, 0}, wt2{0, 1},
      tm{1, 0, 0, 0, 1, 0, 0, 0, 1}, ns{0, 0, 1}, us{0, 0, 0, 0.01, 0.01};
  std::vector<Real> work = buffer(4);
  Real h, xi1, xi2, normalOut[3], tt[6], foot[3];
  constexpr Logical no = kFalse, yes = kTrue;
  SMSLIDDEF3DHDIST_1DOF(&h, &xi1, &xi2, normalOut, tt, foot, wa.data(), wt1.data(), wt2.data(), x.data(), &ldx, &m, &k,
                        tm.data(), us.data(), work.data(), &no, &yes, ns.data(), &ndb, nix.data());
  EXPECT_NEAR(h, -0.5 + 0.01, 1e-15) << "both masters rise along their stored normal";
  EXPECT_TRUE(untouched(work));

  // The slave-surface lookup: a record longer than the caller's block is compared in storage of
  // the lookup's own (the memory DBCORE grows cannot widen a block whose room is known).
  const Int surface = overLong({slotOf(30)});
  rec::i(CSLV, 7) = surface, rec::i(CSLV, 8) = surface + kLong;
  zmxtest::MappedArray found(10);
  const Int capacity = 10;
  Int address = -1;
  ASURFREC(" INFOSLV", 8, &address, found.data(), &capacity);
  EXPECT_EQ(address, 0);
  EXPECT_TRUE(found.guardsKept());
  for (std::size_t k = 0; k < 10; ++k) EXPECT_EQ(found[k], zmxtest::MappedArray::kGuard);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

}  // namespace
