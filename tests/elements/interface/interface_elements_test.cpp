// Interface elements: characteristic lengths into CPHCON, the slave-surface value of a node,
// small-sliding entries from the node bit lengths, stored normals and their perturbation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "siblings/dm2/element_numbers.h"
#include "tests/elements/element_model.h"
#include "tests/support/mapped_array.h"
#include "zmx/elements/interface.h"

namespace {

using namespace element_model;

double slot(int value) { return eqc_testing::integerSlot(value); }
double name(const char* text) {
  double d = 0.0;
  std::memcpy(&d, text, 8);
  return d;
}

class Interfaces : public ElementTest {
 protected:
  void SetUp() override {
    ElementTest::SetUp();
    rec::clear(CSLV);
  }
  void TearDown() override {
    dm2_testing::setNodeFlags({});
    ElementTest::TearDown();
  }
  // An element record (slot 3 surface, 11 kind, 14 length) inside the interface range.
  Int elementRecord(const char* surface, int kind, Real length) {
    std::vector<double> s(14, 0.0);
    s[1] = name(surface), s[9] = slot(kind), s[12] = length;
    const Int address = eqc_testing::appendSlideLineSlots(s);
    rec::i(CSLEF, 29) = 1, rec::i(CSLEF, 31) = address + 15;
    return address;
  }
  // The " INFOSLV" record: a first entry of another surface, then `surface` with its sorted nodes
  // and their values; entries 20 slots long and offset o = 3.
  void infoRecord(const char* surface, const std::vector<int>& nodes, const std::vector<int>& values) {
    std::vector<double> s(60, 0.0);  // slots 2 ...
    auto at = [&](int k) -> double& { return s[k - 2]; };
    at(2) = slot(30), at(3) = name(" INFOSLV"), at(4) = slot(2), at(5) = slot(3);
    at(6) = slot(20), at(7) = name("OTHER   ");
    const int e = 26, o = 3, n = static_cast<int>(nodes.size());
    at(e) = slot(20), at(e + 1) = name(surface);
    at(o + e - 1) = slot(n);
    std::memcpy(&at(o + e), nodes.data(), 4 * nodes.size());
    for (int p = 1; p <= n; ++p) at(o + e + 2 * n + p - 1) = slot(values[p - 1]);
    const Int address = eqc_testing::appendSlideLineSlots(s);
    rec::i(CSLV, 7) = address, rec::i(CSLV, 8) = address + 61;
  }
  std::vector<double> buffer = std::vector<double>(80, 0.0), info = std::vector<double>(80, 0.0);
  Int capacity = 80;
};

TEST_F(Interfaces, LengthsOfRectangularElements) {
  const std::vector<Real> four = {0, 0, 0, 4, 0, 0, 4, 2, 0, 0, 2, 0};
  const std::vector<Real> eight = {0, 0, 0, 4, 0, 0, 4, 2, 0, 0, 2, 0, 2, 0, 0, 4, 1, 0, 2, 2, 0, 0, 1, 0};
  const Int ld = 3, n4 = 4, n8 = 8;
  for (const Int m : {4, 9}) {
    rec::clear(CPHCON);
    LIASI(&m, m == 4 ? &n4 : &n8, m == 4 ? four.data() : eight.data(), &ld);
    EXPECT_EQ(rec::i(CPHCON, 1), 1);
    EXPECT_NEAR(rec::r(CPHCON, 11), 3.0, 1e-14) << "the mean of the half side lengths summed, m = " << m;
  }
  rec::clear(CPHCON);
  const Int one = 1, two = 2;
  LIASI(&one, &n4, four.data(), &ld);
  EXPECT_EQ(rec::i(CPHCON, 1), 1);
  EXPECT_EQ(rec::r(CPHCON, 11), 0.0);
  LIASI(&two, &n4, four.data(), &ld);
  EXPECT_NEAR(rec::r(CPHCON, 11), 2.0, 1e-15) << "node 1 to node n in the plane";
  EXPECT_EQ(rec::i(CPHCON, 2), 0);
}

TEST_F(Interfaces, LengthTablePerRoutineAndType) {
  const std::vector<Real> X = {0, 0, 0, 3, 4, 12};
  const Int ld = 3, n = 2;
  struct Case {
    Int type;
    Real recordLength;
    int call;  // 0 LIRS, 1 LIGSL2, 2 LIGSL3
    Int wantCount;
    Real wantLength;
  };
  const std::vector<Case> cases = {{254, 7.0, 0, 1, 7.0}, {300, 7.0, 0, 1, 13.0}, {281, 6.0, 1, 1, 6.0},
                                   {281, 0.0, 1, 0, 0.0}, {282, 0.0, 1, 1, 5.0},  {290, 0.0, 2, 1, 0.0},
                                   {291, 9.0, 2, 1, 13.0}};
  for (const Case& c : cases) {
    rec::clear(CPHCON);
    eqc_testing::setSlideLineStore({});
    const Int address = elementRecord("SURF    ", 3, c.recordLength);
    const std::vector<Int> addresses = {address};
    const Int count = 1, zero = 0, node = 1001;
    std::vector<Int> rec(80, 0);
    rec[0] = c.type, rec[6] = 3, rec[35] = 2;
    if (c.call == 0) LIRS(X.data(), &ld, buffer.data(), rec.data(), addresses.data(), &count);
    if (c.call == 1)
      LIGSL2(&n, buffer.data(), addresses.data(), &count, &c.type, info.data(), &zero, &zero, &capacity, X.data(), &ld,
             &node);
    if (c.call == 2)
      LIGSL3(buffer.data(), addresses.data(), &count, &c.type, &n, info.data(), &capacity, X.data(), &ld, &node);
    EXPECT_EQ(rec::i(CPHCON, 1), c.wantCount) << c.type;
    EXPECT_EQ(rec::i(CPHCON, 2), c.wantCount) << c.type;
    EXPECT_NEAR(rec::r(CPHCON, 11), c.wantLength, 1e-14) << c.type;
    EXPECT_NEAR(rec::r(CPHCON, 17), c.wantLength, 1e-14) << c.type;
  }
}

TEST_F(Interfaces, SlaveSurfaceValueOfTheNode) {
  const std::vector<Real> X = {0, 0, 1, 0};
  const Int ld = 2, n = 2, type281 = 281, type290 = 290, count = 1, on = 1, off = 0;
  eqc_testing::setSlideLineStore({});
  const Int address = elementRecord("SURF    ", 2, 1.0);
  const std::vector<Int> addresses = {address};
  infoRecord("SURF    ", {3, 8, 12, 40}, {5, 6, 7, 9});
  for (const auto& [node, want] : std::vector<std::pair<Int, Real>>{{12, 7.0}, {3, 5.0}, {40, 9.0}}) {
    info.assign(80, 0.0);
    LIGSL2(&n, buffer.data(), addresses.data(), &count, &type281, info.data(), &on, &off, &capacity, X.data(), &ld,
           &node);
    EXPECT_EQ(info[0], want) << node;
    info.assign(80, 0.0);
    LIGSL3(buffer.data(), addresses.data(), &count, &type290, &n, info.data(), &capacity, X.data(), &ld, &node);
    EXPECT_EQ(info[0], want) << node;
  }
  // A node that is not listed: reported under -3006, slot 1 kept.
  const Int missing = 9;
  LIGSL2(&n, buffer.data(), addresses.data(), &count, &type281, info.data(), &on, &off, &capacity, X.data(), &ld,
         &missing);
  EXPECT_EQ(eqc_testing::filed(-3006), std::vector<int>({9}));
  EXPECT_TRUE(eqc_testing::printed("FAILURE TO FIND NODE 9 OF SLAVE SURFACE SURF"));
  EXPECT_EQ(rec::slotI(info.data(), 1), 61) << "slot 1 keeps the record's length word: no value for the node";
  // No entry for the surface: 11 with the temperature flag, 8 with the pore-pressure flag, 0 for LIGSL3.
  infoRecord("ELSE    ", {3}, {5});
  const Int node = 3;
  LIGSL2(&n, buffer.data(), addresses.data(), &count, &type281, info.data(), &on, &off, &capacity, X.data(), &ld, &node);
  EXPECT_EQ(info[0], 11.0);
  LIGSL2(&n, buffer.data(), addresses.data(), &count, &type281, info.data(), &off, &on, &capacity, X.data(), &ld, &node);
  EXPECT_EQ(info[0], 8.0);
  LIGSL3(buffer.data(), addresses.data(), &count, &type290, &n, info.data(), &capacity, X.data(), &ld, &node);
  EXPECT_EQ(info[0], 0.0);
  // No " INFOSLV" record at all.
  rec::clear(CSLV);
  info[0] = 4.0;
  LIGSL2(&n, buffer.data(), addresses.data(), &count, &type281, info.data(), &on, &off, &capacity, X.data(), &ld, &node);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN LIGSL2 - FAILURE TO READ SLAVE SURFACE INFO"));
  EXPECT_EQ(info[0], 4.0);
}

TEST_F(Interfaces, SlaveSurfaceInfoLongerThanTheCapacityIsFoundWithoutWritingPastTheRoom) {
  // A 61-slot record and a capacity of 30. A buffer whose block holds 80 slots receives the record
  // and the node's value is found past slot 30; a heap buffer is written only within its 30 slots
  // and the value is found all the same.
  const std::vector<Real> X = {0, 0, 1, 0};
  const Int ld = 2, n = 2, type281 = 281, count = 1, on = 1, off = 0, node = 40, small = 30;
  eqc_testing::setSlideLineStore({});
  const std::vector<Int> addresses = {elementRecord("SURF    ", 2, 1.0)};
  infoRecord("SURF    ", {3, 8, 12, 40}, {5, 6, 7, 9});
  zmxtest::MappedArray mapped(80);
  LIGSL2(&n, buffer.data(), addresses.data(), &count, &type281, mapped.data(), &on, &off, &small, X.data(), &ld,
         &node);
  EXPECT_EQ(mapped[0], 9.0);
  EXPECT_EQ(eqc_testing::countAtLevel(-2) + eqc_testing::countAtLevel(-3), 0);
  EXPECT_TRUE(mapped.guardsKept());
  std::vector<double> heap(40, -7.0);
  LIGSL2(&n, buffer.data(), addresses.data(), &count, &type281, heap.data(), &on, &off, &small, X.data(), &ld,
         &node);
  EXPECT_EQ(heap[0], 9.0);
  EXPECT_EQ(eqc_testing::countAtLevel(-2) + eqc_testing::countAtLevel(-3), 0);
  EXPECT_EQ(std::vector<double>(heap.begin() + 30, heap.end()), std::vector<double>(10, -7.0));
}

// The " INFOSLV" record with one word damaged (entry step, offset or node count): every routine
// that walks it gives its no-surface result with a message at level -3 and reads nothing past the
// record; a record shorter than its header slots likewise.
TEST_F(Interfaces, DamagedSlaveSurfaceInfoGivesTheNoSurfaceResult) {
  const std::vector<Real> X = {0, 0, 1, 0};
  const Int ld = 2, n = 2, type281 = 281, type290 = 290, count = 1, on = 1, off = 0, node = 12;
  const int big = 2147483647, least = -2147483647 - 1;
  struct Word {
    const char* what;
    int slot;  // of the record (1-based); 28 is the matching entry's node count
    std::vector<int> values;
  };
  const std::vector<Word> words = {{"first entry's step", 6, {big, big - 1, big - 5, 0, -1, least}},
                                   {"offset", 5, {big, big - 1, big - 5, -40, least}},
                                   {"node count", 28, {big, big - 1, big - 5, -1, least}}};
  for (const Word& w : words) {
    for (const int value : w.values) {
      eqc_testing::setSlideLineStore({});
      const std::vector<Int> addresses = {elementRecord("SURF    ", 2, 1.0)};
      infoRecord("SURF    ", {3, 8, 12, 40}, {5, 6, 7, 9});
      std::vector<double> store = eqc_testing::slideLineStore();
      rec::setSlotI(store.data() + (rec::i(CSLV, 7) - 1), w.slot, value);
      eqc_testing::setSlideLineStore(store);
      eqc_testing::clearMessages();
      info.assign(80, 0.0);
      info[0] = 4.0;
      LIGSL3(buffer.data(), addresses.data(), &count, &type290, &n, info.data(), &capacity, X.data(), &ld, &node);
      EXPECT_EQ(info[0], 0.0) << w.what << " " << value;
      EXPECT_EQ(eqc_testing::countAtLevel(-3), 1) << w.what << " " << value;
      EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN LIGSL3 - FAILURE TO READ SLAVE SURFACE INFO"));
      eqc_testing::clearMessages();
      LIGSL2(&n, buffer.data(), addresses.data(), &count, &type281, info.data(), &on, &off, &capacity, X.data(), &ld,
             &node);
      EXPECT_EQ(info[0], 11.0) << w.what << " " << value;
      EXPECT_EQ(eqc_testing::countAtLevel(-3), 1) << w.what << " " << value;
    }
  }
  // A record of three or four slots in a buffer with room for exactly that: its entry count and
  // offset are not there to read.
  for (const int length : {3, 4}) {
    eqc_testing::setSlideLineStore({});
    const std::vector<Int> addresses = {elementRecord("SURF    ", 2, 1.0)};
    std::vector<double> s = {slot(30), name(" INFOSLV"), slot(1)};
    s.resize(static_cast<std::size_t>(length) - 1, slot(1));
    const Int address = eqc_testing::appendSlideLineSlots(s);
    rec::i(CSLV, 7) = address, rec::i(CSLV, 8) = address + length;
    Int room = length;
    std::vector<double> exact(static_cast<std::size_t>(length), 0.0);
    eqc_testing::clearMessages();
    LIGSL3(buffer.data(), addresses.data(), &count, &type290, &n, exact.data(), &room, X.data(), &ld, &node);
    EXPECT_EQ(exact[0], 0.0) << length;
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 1) << length;
  }
}

TEST_F(Interfaces, SmallSlidingEntriesFromBitLengths) {
  // Nodes 1 to 6 with flag words of bit lengths 12, 9, 7, 11, 10, 12.
  build({.family = 305, .type = 294, .nodes = Coordinates(6, std::vector<Real>(3, 0.0)),
         .sublayouts = {{{54, true, {}, {1}}}}});
  dm2_testing::setNodeFlags({2048, 256, 64, 1024, 512, 2048});
  eqc_testing::setSlideLineStore({});
  const Int address = elementRecord("SURF    ", 2, 2.5);  // kind 2: temperature
  const std::vector<Int> addresses = {address};
  const Int count = 1, db = dm2_testing::nodeDatabase(), sub = 1;
  const Int zero = 0;
  const Int first = GETSUBLAYOUT(&zero, &handle, &sub);
  // s = 9, k0 = 1: c = (9 - 1) / 4 = 2 nodes from position 5, entries 7 and 8; entry 9 for node 1.
  std::vector<Real> v99 = {0, 1, 0, 0, 0, 0, 1, -1, 1};
  const Int s = 9;
  LIGSMALLSLID(v99.data(), &s, buffer.data(), addresses.data(), &count, typeWords.data(), &first, &db,
               nodeList.data());
  EXPECT_EQ(v99, std::vector<Real>({0, 1, 0, 0, 0, 0, -1, 0, 1})) << "node 5: b = 10; node 6: b = 12, q < 0";
  EXPECT_EQ(rec::i(CPHCON, 2), 1);
  EXPECT_EQ(rec::r(CPHCON, 17), 2.5);
  // Without a flag (kind 5, type 4294): nodes from position 3; b < 11 reports -3005.
  eqc_testing::setSlideLineStore({});
  const Int plain = elementRecord("SURF    ", 5, 0.0);
  const std::vector<Int> plainList = {plain};
  typeWords[0] = 4294;
  v99 = {0, 1, 0, 0, 0, 0, 1, 1, 1};
  LIGSMALLSLID(v99.data(), &s, buffer.data(), plainList.data(), &count, typeWords.data(), &first, &db,
               nodeList.data());
  EXPECT_EQ(eqc_testing::filed(-3005), std::vector<int>({1003}));
  EXPECT_EQ(v99, std::vector<Real>({0, 1, 0, 0, 0, 0, 1, 0, 1})) << "node 4: b = 11 -> 0; node 1 (entry 9): b = 12 -> 1";
  EXPECT_EQ(rec::i(CPHCON, 2), 1) << "a zero length counts nothing";
  // An offset that would leave the variable changes nothing.
  v99.assign(9, 0.0);
  v99[1] = -30;
  const auto before = v99;
  LIGSMALLSLID(v99.data(), &s, buffer.data(), plainList.data(), &count, typeWords.data(), &first, &db,
               nodeList.data());
  EXPECT_EQ(v99, before);
  // Pore pressure (kind 4, type 296): s = 11, k0 = 1, c = (11 - 1) / 5 = 2 nodes from position 5
  // into entries 9 and 10, entry 11 for node 1. Node 5 (b = 10 < 11) takes min(b - 8, 0); node 6
  // (b = 12, q > 0) b - 11; node 1 b - 8 when 8 <= b < 11, and below 8 it is reported (-3005)
  // and keeps its entry.
  eqc_testing::setSlideLineStore({});
  const std::vector<Int> poreList = {elementRecord("SURF    ", 4, 0.0)};
  typeWords[0] = 296;
  const Int eleven = 11;
  for (const Int node1 : {256, 64}) {
    dm2_testing::setNodeFlags({node1, 256, 64, 1024, 512, 2048});
    const auto filedBefore = eqc_testing::filed(-3005);
    v99 = {0, 1, 0, 0, 0, 0, 0, 0, 5, 3, 4};
    LIGSMALLSLID(v99.data(), &eleven, buffer.data(), poreList.data(), &count, typeWords.data(), &first, &db,
                 nodeList.data());
    EXPECT_EQ(v99, std::vector<Real>({0, 1, 0, 0, 0, 0, 0, 0, 0, 1, node1 == 256 ? 1.0 : 4.0})) << node1;
    auto filed = filedBefore;
    if (node1 == 64) filed.push_back(1001);
    EXPECT_EQ(eqc_testing::filed(-3005), filed) << node1;
  }
}

TEST_F(Interfaces, StoredNormalsLaterRecordsReplaceEarlier) {
  eqc_testing::setSlideLineStore({});
  // Two stored-normal records for element 77 (the first lists it twice), one for another element.
  const Int r1 = eqc_testing::appendSlideLineSlots({slot(77), slot(77), 0.0, 1.0, 0.0});
  const Int r2 = eqc_testing::appendSlideLineSlots({slot(77), 0.6, 0.0, 0.8});
  const Int r3 = eqc_testing::appendSlideLineSlots({slot(12), 1.0, 0.0, 0.0});
  rec::i(CSLNF, 3) = r1, rec::i(CSLNF, 4) = r3 + 5;
  build({.family = 208, .nodes = {{0, 0, 0, 0, 0, 1}, {1, 0, 0, 0, 0, 1}, {2, 0, 0, 0, 0, 1}},
         .nodeRecords = {{r1}, {r1, r2}, {r3, 999}}});
  const Int db = dm2_testing::nodeDatabase(), element = 77, three = 3;
  Real normals[9];
  LSNORS(normals, X.data(), &ldim, buffer.data(), &three, &element, &db, nodeList.data());
  EXPECT_EQ(std::vector<Real>(normals, normals + 9), std::vector<Real>({0, 1, 0, 0.6, 0, 0.8, 0, 0, 1}));
  EXPECT_EQ(callsNamed("EQC_LSNORS")[0].coordinates, std::vector<Real>(normals, normals + 9));
  std::vector<Real> a(5 * 3, 0.0);
  const Int ld = 5, r = 5, off = 0;
  const Int parameters[8] = {};
  const Real dv = 0.0;
  LSNORGET(a.data(), &ld, &r, buffer.data(), &element, &three, &off, parameters, &dv, &db, nodeList.data());
  EXPECT_EQ(a, std::vector<Real>({0, 0, 0, 0, 1, 0, 0, 0, 0.6, 0, 0, 0, 0, 0, 0}));
}

TEST_F(Interfaces, SensitivityPerturbationByHand) {
  // Slots: 1 L, 2 element, 3-5 normal, 6 directory p = 6: m = 1 list at q = 8; list: nb = 1, np = 2,
  // ids 4 and 9, block t = 3, len = 3, derivatives for id 4 then for id 9; slot L - 1 = p, L = mark.
  std::vector<double> r(21, 0.0);
  auto s = [&](int k) -> double& { return r[k - 1]; };
  s(1) = slot(19), s(2) = slot(77), s(3) = 0.0, s(4) = 1.0, s(5) = 0.0;
  s(6) = slot(1), s(7) = slot(8);
  s(8) = slot(1), s(9) = slot(2), s(10) = slot(4), s(11) = slot(9);
  s(12) = slot(3), s(13) = slot(3), s(14) = 1, s(15) = 2, s(16) = 3, s(17) = 10, s(18) = 20, s(19) = 30;
  s(1) = slot(21), s(20) = slot(6), s(21) = slot(2147483647);  // directory at L - 1, mark at L
  const Real dv = 0.5;
  const Int id = 9;
  DSADBSLPERT(r.data(), &id, &dv);
  EXPECT_EQ(s(3), 5.0);
  EXPECT_EQ(s(4), 11.0);
  EXPECT_EQ(s(5), 15.0);
  // An id not listed, or a record without the mark, changes nothing.
  const auto before = r;
  const Int other = 5;
  DSADBSLPERT(r.data(), &other, &dv);
  EXPECT_EQ(r, before);
  s(21) = slot(7);
  const auto unmarked = r;
  DSADBSLPERT(r.data(), &id, &dv);
  EXPECT_EQ(r, unmarked);
}

TEST_F(Interfaces, DamagedSensitivityListsLeaveTheRecordWhole) {
  // The record of SensitivityPerturbationByHand, with one of its list words damaged; the buffer
  // holds exactly the record. Counts that merely say "nothing" (no blocks, a block of no length)
  // change nothing quietly; any other damage is reported and changes nothing either.
  auto record = [] {
    std::vector<double> r(21, 0.0);
    auto s = [&](int k) -> double& { return r[k - 1]; };
    s(1) = slot(21), s(2) = slot(77), s(4) = 1.0, s(6) = slot(1), s(7) = slot(8);
    s(8) = slot(1), s(9) = slot(2), s(10) = slot(4), s(11) = slot(9), s(12) = slot(3), s(13) = slot(3);
    for (int k = 14; k <= 19; ++k) s(k) = k;
    s(20) = slot(6), s(21) = slot(2147483647);
    return r;
  };
  const int big = 2147483647, least = -2147483647 - 1;
  struct Word {
    const char* what;
    int slot;
    bool quiet;  // a value below 1 means "none" here
  };
  const Real dv = 0.5;
  const Int id = 9;
  for (const Word w : {Word{"directory", 20, false}, Word{"lists", 6, false}, Word{"list address", 7, false},
                       Word{"blocks", 8, true}, Word{"parameters", 9, false}, Word{"target", 12, false},
                       Word{"block length", 13, true}}) {
    for (const int value : {big, big - 1, big - 5, 0, -1, least}) {
      std::vector<double> r = record();
      rec::setSlotI(r.data(), w.slot, value);
      const auto before = r;
      eqc_testing::clearMessages();
      DSADBSLPERT(r.data(), &id, &dv);
      const bool reported = !(w.quiet && value < 1) && !(w.slot == 6 && value == 0) && !(w.slot == 9 && value == 0);
      EXPECT_EQ(r, before) << w.what << " " << value;
      EXPECT_EQ(eqc_testing::countAtLevel(-3), reported ? 1 : 0) << w.what << " " << value;
    }
  }
}

}  // namespace

namespace {

TEST_F(Interfaces, TheEmptyEntriesChangeNothing) {
  rec::i(CPHCON, 2) = 3;
  rec::setR(CPHCON, 17, 1.5);
  const auto messagesBefore = eqc_testing::messages().size();
  LIG001();
  LIGSLP();
  LINCOMPMODEEL();
  EXPECT_EQ(rec::i(CPHCON, 2), 3);
  EXPECT_EQ(rec::r(CPHCON, 17), 1.5);
  EXPECT_EQ(rec::i(CPHCON, 1), 0);
  EXPECT_EQ(eqc_testing::messages().size(), messagesBefore);
  EXPECT_TRUE(eqc_checks_testing::calls().empty());
}

}  // namespace
