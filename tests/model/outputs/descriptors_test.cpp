// Output-database descriptors in CDWSP and the classification of output variables by key.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <utility>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/control_records.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/model/outputs.h"
#include "zmx/storage/records.h"
#include "zmx/storage/results.h"

namespace {

constexpr int P = 40;  // slot of the variable-list count

// An output request record: kind, element data and the variable keys after NSP section slots.
struct Request {
  std::vector<double> slots = std::vector<double>(80, 0.0);
  Request(int kind, int nsp, std::vector<int> keys) {
    set(2, kind);
    set(7, P);
    set(P - 1, nsp);
    set(P, static_cast<int>(keys.size()));
    for (std::size_t s = 0; s < keys.size(); ++s) set(P + nsp + 1 + static_cast<int>(s), keys[s]);
  }
  Request& set(int slot, int value) {
    rec::setSlotI(slots.data(), slot, value);
    return *this;
  }
  // The element: type code E, dimension D and the direct and shear components.
  Request& element(int e, int d, int ndi, int nshr) { return set(17, e).set(25, d).set(19, ndi).set(20, nshr); }
};

// Runs EJODBO on the request from variable `start` on; gives the section-point count it sets.
Int describe(const Request& r, Int npt, Int nval, Int start = 1) {
  Int nsp = 0;
  EJODBO(&npt, &nval, &nsp, r.slots.data(), &start);
  return nsp;
}

struct Entry {
  int first, second, third;
  bool operator==(const Entry&) const = default;
};

std::vector<Entry> entries() {
  std::vector<Entry> list;
  for (int i = 1; i <= rec::i(CDWSP, 1); ++i)
    list.push_back({rec::i(CDWSP, 121 + i), rec::i(CDWSP, 161 + i), rec::i(CDWSP, 201 + i)});
  return list;
}

// A record of n slots, zero but for the given integer slots.
std::vector<double> integerSlots(std::size_t n, std::initializer_list<std::pair<int, Int>> slots) {
  std::vector<double> r(n, 0.0);
  for (const auto& [slot, value] : slots) rec::setSlotI(r.data(), slot, value);
  return r;
}

std::vector<int> firstEntries() { return {rec::i(CDWSP, 2), rec::i(CDWSP, 3), rec::i(CDWSP, 4), rec::i(CDWSP, 5)}; }

class Descriptors : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    rec::clear(CDWSP);
    rec::clear(CLDOF);
    rec::clear(CONTRO);
    rec::i(CEOSZ, 12) = 3;
    rec::i(CELGI, 17) = 120;
    rec::i(CELGI, 106) = 100;
  }
};

TEST_F(Descriptors, StressOnSolidAndPlaneElementsAndSectionForcePairs) {
  EXPECT_EQ(describe(Request(21, 3, {11, 98, 13, 83}).element(8, 3, 3, 3), 2, 5), 3);
  EXPECT_EQ(rec::i(CDWSP, 242), 1);
  EXPECT_EQ(rec::i(CDWSP, 243), 40);
  // M = 10, S = 3: a tensor pair, then two pairs for SF (13 and 13100); 98 and 83 are skipped.
  EXPECT_EQ(entries(), (std::vector<Entry>{{3, 30, 90}, {4, 40, 120}, {3, 30, 90}, {4, 40, 120}, {3, 30, 90},
                                            {4, 40, 120}}));
  EXPECT_EQ(firstEntries(), (std::vector<int>{1, 0, 3, 0}));
  EXPECT_EQ(rec::i(CODB, 4), 7);

  EXPECT_EQ(describe(Request(21, 0, {11}).element(50, 2, 2, 1), 2, 5), 0);
  EXPECT_EQ(entries(), (std::vector<Entry>{{3, 30, 30}, {2, 20, 20}}));
  EXPECT_EQ(rec::i(CODB, 4), 10);
}

TEST_F(Descriptors, TensorSizesByTensorTypeAndTheOtherOutputTypes) {
  const auto fill = [&](const Request& r) {
    describe(r, 2, 5);  // M = 10, S = 1
    return entries();
  };
  // Stress pairs of tensor types 9 and 11; the key-85 entry of types 10 and 7.
  EXPECT_EQ(fill(Request(21, 0, {11}).element(166, 3, 3, 3)), (std::vector<Entry>{{2, 20, 20}, {4, 40, 40}}));
  EXPECT_EQ(rec::i(CODB, 4), 9);
  EXPECT_EQ(fill(Request(21, 0, {11}).element(50, 2, 1, 0)), (std::vector<Entry>{{2, 20, 20}, {2, 20, 20}}));
  EXPECT_EQ(rec::i(CODB, 4), 11);
  EXPECT_EQ(fill(Request(21, 0, {85}).element(50, 2, 2, 1)), (std::vector<Entry>{{2, 20, 20}}));
  EXPECT_EQ(fill(Request(21, 0, {85}).element(8, 3, 3, 3)), (std::vector<Entry>{{4, 40, 40}}));
  // Request kinds 226 and 326 take every key as one-valued: NTENS components of NVAL.
  EXPECT_EQ(fill(Request(226, 0, {11}).element(8, 3, 3, 3)), (std::vector<Entry>{{5, 30, 30}}));
  // A key of output type -1 makes no entry and is reported.
  eqc_testing::clearMessages();
  EXPECT_EQ(fill(Request(21, 0, {3, 2}).element(8, 3, 3, 3)), (std::vector<Entry>{{5, 5, 5}}));
  EXPECT_EQ(firstEntries(), (std::vector<int>{0, 1, 0, 0}));
  EXPECT_TRUE(eqc_testing::printed("INVALID OUTPUT TYPE IN EJODBO"));
}

TEST_F(Descriptors, ASecondCallOverwritesTheRecordAndKeepsOlderThirdSizesBeyondIt) {
  Request request(21, 0, {11, 11, 11, 11, 2, 0});
  request.element(8, 3, 3, 3);
  describe(request, 1, 4);
  EXPECT_EQ(rec::i(CDWSP, 1), 8);
  describe(request, 1, 4, 5);
  EXPECT_EQ(entries(), (std::vector<Entry>{{4, 4, 4}}));  // TEMP: one component per value
  EXPECT_EQ(firstEntries(), (std::vector<int>{1, 0, 0, 0}));
  EXPECT_EQ(rec::i(CDWSP, 121 + 2), 0);
  EXPECT_EQ(rec::i(CDWSP, 201 + 2), 16);  // the third size of the first call's entry 2 stays
}

TEST_F(Descriptors, SizesAreNeverNegative) {
  // Nodal forces (key 10) of an element with no active degree of freedom: no component, so the
  // entry has size 0 where the per-node count would otherwise go below zero.
  describe(Request(21, 2, {10, 11}).element(8, 3, 3, 3).set(29, 3), 1, 4);
  const auto all = entries();
  ASSERT_FALSE(all.empty());
  EXPECT_EQ(all[0], (Entry{12, 0, 0}));
  for (const Entry& e : all) EXPECT_TRUE(e.first >= 0 && e.second >= 0 && e.third >= 0);
}

TEST_F(Descriptors, PositionCodeTwoAndRequestsThatMakeOneEntry) {
  describe(Request(21, 2, {15, 2001}).set(10, 2).set(29, 8).set(23, 2), 3, 2);
  EXPECT_EQ(entries(), (std::vector<Entry>{{16, 16, 32}, {2, 2, 4}}));
  describe(Request(206, 0, {0, 7}), 3, 2);
  EXPECT_EQ(rec::i(CDWSP, 1), 1);
  EXPECT_EQ(rec::i(CDWSP, 202), 0);
  rec::i(CDWSP, 1) = 9;
  describe(Request(202, 0, {11}).set(12, 1), 3, 2);
  EXPECT_EQ(rec::i(CDWSP, 1), 0);
}

TEST_F(Descriptors, NodalDisplacementWithSixDegreesOfFreedom) {
  for (int d = 1; d <= 6; ++d) rec::i(CLDOF, d) = 1;
  rec::i(CNOGI, 15) = 10;
  rec::i(CNOGI, 16) = 25;
  std::vector<double> rec = integerSlots(60, {{7, 20}, {20, 3}, {21, 101}, {22, 107}, {23, 201}});
  rec::i(CLDOF, 11) = 1;
  rec::i(CLDOF, 12) = 1;
  const Int nval = 2, mode = 0, start = 1;
  NJODBO(rec.data(), &nval, &mode, &start);
  EXPECT_EQ(rec::i(CDWSP, 242), 0);
  EXPECT_EQ(rec::i(CDWSP, 243), 30);
  EXPECT_EQ(entries(), (std::vector<Entry>{{3, 6, 6}, {3, 6, 6}, {3, 6, 6}, {2, 0, 4}}));
  EXPECT_EQ(firstEntries(), (std::vector<int>{1, 3, 4, 0}));
  // One rotation only: the rotation entry has first size 1; a two-dimensional model gives 2.
  rec::i(CLDOF, 5) = 0;
  rec::i(CLDOF, 6) = 0;
  rec::i(CEOSZ, 12) = 2;
  const Int one = 1;
  NJODBO(rec.data(), &nval, &mode, &one);
  EXPECT_EQ(entries()[1], (Entry{1, 2, 2}));
  EXPECT_EQ(entries()[0], (Entry{2, 4, 4}));
  // A key without a nodal type makes no entry; slot 12 = 2 makes one entry per variable.
  rec::setSlotI(rec.data(), 23, 500);
  NJODBO(rec.data(), &nval, &mode, &one);
  EXPECT_EQ(firstEntries(), (std::vector<int>{1, 3, 0, 0}));
  rec::setSlotI(rec.data(), 12, 2);
  NJODBO(rec.data(), &nval, &mode, &one);
  EXPECT_EQ(entries(), (std::vector<Entry>{{2, 0, 2}, {2, 0, 2}, {2, 0, 2}}));
  EXPECT_EQ(firstEntries(), (std::vector<int>{1, 2, 3, 0}));
}

// Counts whose products leave the range of a 4-byte word: the work-space difference and every size
// are worked out exactly and stored capped at the largest (smallest) 4-byte integer, sizes at 0
// from below. Values just within range come out exact.
TEST_F(Descriptors, ProductsBeyondAFourByteWordAreCapped) {
  constexpr Int kMax = std::numeric_limits<Int>::max(), kMin = std::numeric_limits<Int>::min();
  rec::i(CNOGI, 16) = 2'000'000'000;
  rec::i(CNOGI, 15) = 0;
  for (int d : {1, 2, 3, 11, 12}) rec::i(CLDOF, d) = 1;
  std::vector<double> nodal = integerSlots(8, {{1, 1}, {2, 107}, {3, 101}, {4, 201}});
  const Int huge = 1'500'000'000, one = 1;
  NJODBO(nodal.data(), &huge, &one, &one);
  EXPECT_EQ(rec::i(CDWSP, 243), kMax);
  EXPECT_EQ(entries(), (std::vector<Entry>{{3, kMax, kMax}}));
  rec::setSlotI(nodal.data(), 1, 3);
  NJODBO(nodal.data(), &huge, &one, &one);
  EXPECT_EQ(entries(), (std::vector<Entry>{{3, kMax, kMax}, {3, kMax, kMax}, {huge, 0, kMax}}));
  std::swap(rec::i(CNOGI, 15), rec::i(CNOGI, 16));
  NJODBO(nodal.data(), &one, &one, &one);
  EXPECT_EQ(rec::i(CDWSP, 243), kMin);
  EXPECT_EQ(entries(), (std::vector<Entry>{{3, 3, 3}, {3, 3, 3}, {1, 0, 2}}));

  rec::i(CELGI, 17) = 2'000'000'000;
  rec::i(CELGI, 106) = 0;
  // NVAL x NPT is 3e9, NVAL x the per-node count of key 10 too, and NSP = 7 multiplies the rest.
  Request element(21, 7, {11, 2, 85, 28, 189, 10});
  element.element(1200, 3, 3, 3).set(29, 3);
  const Int npt = 3, nval = 1'000'000'000, first = 1, fifth = 5;
  Int nsp = 0;
  EJODBO(&npt, &nval, &nsp, element.slots.data(), &first);
  EXPECT_EQ(rec::i(CDWSP, 243), kMax);
  EXPECT_EQ(entries(), (std::vector<Entry>{{2, kMax, kMax}, {4, kMax, kMax}, {nval, nval, kMax}, {4, kMax, kMax},
                                            {3, kMax, kMax}}));
  EJODBO(&npt, &nval, &nsp, element.slots.data(), &fifth);
  EXPECT_EQ(entries(), (std::vector<Entry>{{4, kMax, kMax}, {kMax, kMax, kMax}}));
  element.set(10, 2);
  EJODBO(&npt, &nval, &nsp, element.slots.data(), &fifth);
  EXPECT_EQ(entries(), (std::vector<Entry>{{nval, nval, kMax}, {kMax, kMax, kMax}}));

  // A stress pair of sizes 3 and 4 times M: M = 2^29 - 1 fits both, M = 256,999 x 2,090 only the first.
  rec::i(CELGI, 17) = 1'073'741'823;
  Request stress(21, 0, {11});
  stress.element(8, 3, 3, 3);
  const Int points = 256'999, values = 2'089, more = 2'090;
  EJODBO(&points, &values, &nsp, stress.slots.data(), &first);
  EXPECT_EQ(rec::i(CDWSP, 243), 2'147'483'646);
  EXPECT_EQ(entries(), (std::vector<Entry>{{3, 1'610'612'733, 1'610'612'733}, {4, 2'147'483'644, 2'147'483'644}}));
  EJODBO(&points, &more, &nsp, stress.slots.data(), &first);
  EXPECT_EQ(entries(), (std::vector<Entry>{{3, 1'611'383'730, 1'611'383'730}, {4, kMax, kMax}}));

  // A doubled count beyond a word is halved from its true value: NDI + NSHR = 3,166,083,979, and
  // twice X8 = 4e9.
  rec::i(CELGI, 17) = 120;
  Request halved(21, 0, {62});
  halved.element(8, 3, 2'000'000'000, 1'166'083'979);
  rec::i(CONTRO, 59) = 1;
  EJODBO(&one, &one, &nsp, halved.slots.data(), &first);
  EXPECT_EQ(entries(), (std::vector<Entry>{{1, 1'583'041'989, 1'583'041'989}}));
  Request pairs(21, 0, {46});
  pairs.element(8, 3, 3, 3).set(32, 2'000'000'000);
  rec::i(CONTRO, 59) = 0, rec::i(CONTRO, 50) = 3;
  EJODBO(&one, &one, &nsp, pairs.slots.data(), &first);
  EXPECT_EQ(entries(), (std::vector<Entry>{{1, 2'000'000'000, 2'000'000'000}}));
  rec::i(CONTRO, 50) = 0;

  // Sums of the caller's words: a component count, the last position treated, a numbered key and
  // a load-type key.
  const Int sf = 13, big = 2'000'000'000;
  Int n = 0, ok = 0;
  ELOPS1(&sf, &n, &ok, &one, &one, &one, &one, &one, &big, &big, &one, &one);
  EXPECT_EQ(n, kMax);
  Request section(206, 0, {7});
  EJODBO(&npt, &nval, &nsp, section.slots.data(), &kMax);
  EXPECT_EQ(rec::i(CDWSP, 1), 0);
  const Int stemLength = 3, base = kMax - 5, rows = 0, kind = 21;
  Int key = 0;
  ENMID2(&key, "SDV12   ", 8, &one, &kind, nullptr, 8, nullptr, "SDV     ", 8, &stemLength, &base, &one, &one, &rows,
         &one, &ok);
  EXPECT_EQ(key, kMax);
  char name[8];
  key = kMin;
  const Int toName = 0;
  ENMLD(name, 8, &key, &toName, &ok);
  EXPECT_EQ(ok, 0);
}

TEST(OutputTypes, ElementAndNodalKeyListsHaveTheirSizes) {
  int element = 0, nodal = 0;
  for (Int key = 1; key < 1000; ++key) {
    Int type = 0, n = 0;
    GETEOTYP(&key, &type);
    element += type != -1;
    GETNOTYP(&key, &type, &n);
    nodal += type != -1;
  }
  EXPECT_EQ(element + 4, 177);  // keys 3, 4, 7 and 60 are listed with type -1
  EXPECT_EQ(nodal, 30 + 24 + 2);  // types 1, 2 and 4
  Int key = 11001, type = 0, n = 0;
  GETEOTYP(&key, &type);
  EXPECT_EQ(type, 1);
  key = 189;
  GETEOTYP(&key, &type);
  EXPECT_EQ(type, 7);
  key = 101;
  GETNOTYP(&key, &type, &n);
  EXPECT_EQ(type, 2);
}

TEST_F(Descriptors, TensorTypesFollowTheElementFamily) {
  const auto type = [](int key, int e, int d, int ndi, int nshr, int slot26 = 0) {
    Request r(21, 0, {});
    r.element(e, d, ndi, nshr).set(26, slot26);
    Int t = 0;
    const Int k = key;
    ETENSOR(r.slots.data(), &k, &t);
    return t;
  };
  // One rule a row: key, E, D, NDI, NSHR, the type and slot 26. 7008 is taken as 8 after the check
  // of the listed solids; element 50 with key 21 in two dimensions is class -2, plane.
  const int rows[][7] = {
      {11, 8, 3, 3, 3, 7},       {21, 7008, 3, 2, 1, 8},  {21, 50, 2, 2, 0, 10}, {11, 50, 2, 2, 0, 11},
      {11, 1050, 2, 1, 1, 11},   {11, 1200, 3, 1, 1, 9},  {164, 3651, 3, 1, 1, 10}, {11, 3652, 3, 1, 1, 9},
      {13, 2101, 3, 1, 1, 10},   {13001, 2101, 3, 1, 1, 9, 3}, {13001, 2101, 3, 1, 1, 11}, {85, 800, 5, 3, 3, 9},
      {11, 3900, 2, 3, 3, 10},
      {11, 50, 2, 3, 0, 7},      {11, 50, 2, 2, 1, 10},   {11, 50, 3, 3, 1, 8},  {21, 50, 3, 3, 1, 9},
      {11, 50, 3, 3, 3, 7},      {11, 50, 3, 2, 1, 9},    {21, 50, 3, 2, 0, 8},  {11, 250, 3, 3, 3, 7},
      {11, 160, 3, 3, 3, 8},     {11, 166, 3, 3, 3, 9},   {11, 5000, 3, 3, 3, 7}, {13, 2611, 3, 3, 3, 8},
      {29, 2300, 3, 3, 3, 7},    {13001, 2620, 3, 1, 1, 9}, {11, 2250, 3, 3, 3, 9}, {11, 2400, 5, 3, 3, 10},
      {11, 2400, 3, 3, 3, 8},    {11, 3200, 3, 3, 3, 9},  {11, 3200, 2, 3, 3, 11}, {11, 3611, 3, 3, 3, 10},
      {11, 3605, 3, 3, 3, 7},    {11, 3810, 3, 3, 3, 7},  {11, 3900, 3, 3, 3, 8}, {85, 800, 3, 3, 3, 9},
      {85, 50, 4, 3, 3, 7},      {85, 50, 2, 3, 3, 10},
  };
  for (const auto& r : rows)
    EXPECT_EQ(type(r[0], r[1], r[2], r[3], r[4], r[6]), r[5]) << "key " << r[0] << " element " << r[1] << " D " << r[2];
  eqc_testing::clearMessages();
  EXPECT_EQ(type(12, 8, 3, 3, 3), 7);
  EXPECT_TRUE(eqc_testing::printed("ETENSOR: UNKNOWN KEY 12"));
}

TEST_F(Descriptors, ComponentCountsAndNodalComponents) {
  const auto count = [](int key, int ndi, int nshr, int etype, Int* ok) {
    Int n = 0;
    const Int k = key, ntens = ndi + nshr, x7 = 7, x8 = 8, x9 = 9, x10 = 10, x11 = 11;
    ELOPS1(&k, &n, ok, &ndi, &nshr, &ntens, &x7, &x8, &x9, &x10, &x11, &etype);
    return n;
  };
  // Key, NDI, NSHR, element type, CONTRO word 50, the count and the flag (-1: not checked).
  const int counts[][7] = {{11, 3, 3, 8, 0, 6, 1},      {13, 3, 3, 8, 0, 19, -1},    {102, 1, 1, 8, 0, 2, -1},
                           {163, 3, 3, 3651, 0, 4, -1}, {42, 3, 3, 13, 0, 19, -1},   {42, 3, 3, 12, 0, 17, -1},
                           {11, 3, 3, 8, 3, 12, -1},    {24, 3, 3, 8, 3, 6, -1},     {163, 3, 3, 3651, 3, 8, -1},
                           {500, 3, 3, 8, 3, 0, 0}};
  Int ok = 0;
  for (const auto& c : counts) {
    rec::i(CONTRO, 50) = c[4];
    EXPECT_EQ(count(c[0], c[1], c[2], c[3], &ok), c[5]) << "key " << c[0] << " element " << c[3];
    if (c[6] >= 0) {
      EXPECT_EQ(ok, c[6]) << "key " << c[0];
    }
  }

  for (int d : {1, 2, 3, 4, 5, 6}) rec::i(CLDOF, d) = 1;
  std::vector<double> list(10, 0.0);
  Int n = 0;
  const Int key = 101, withList = 1;
  GETNDCOMP(&key, list.data(), &n, &withList);
  ASSERT_EQ(n, 6);
  for (int c = 1; c <= 6; ++c) EXPECT_EQ(rec::slotI(list.data(), c), 101000 + c);
  rec::i(CLDOF, 7) = 1;
  const Int velocity = 102;
  GETNDCOMP(&velocity, list.data(), &n, &withList);
  EXPECT_EQ(n, 6);  // only the first three of four rotations
  GETNDCOMP(&key, list.data(), &n, &withList);
  EXPECT_EQ(n, 7);
  // Counts of the run beyond 30 degrees of freedom: every component, in the caller's list only,
  // and MODE 0 counts without writing.
  const Int kept[3] = {rec::i(CGN, 6), rec::i(CGM, 27), rec::i(CGN, 9)};
  rec::i(CGN, 6) = 1;
  rec::i(CGM, 27) = 35;
  rec::i(CGN, 9) = 33;
  const struct {
    Int key, first, count;
  } ranges[] = {{201, 201011, 35}, {107, 107001, 33}, {237, 237001, 33}};
  for (const auto& range : ranges)
    for (const Int mode : {0, 1}) {
      std::vector<double> many(40, -1.0);
      GETNDCOMP(&range.key, many.data(), &n, &mode);
      EXPECT_EQ(n, range.count) << range.key << " mode " << mode;
      for (int c = 1; c <= 40; ++c) {
        if (mode == 1 && c <= range.count)
          EXPECT_EQ(rec::slotI(many.data(), c), range.first + c - 1) << range.key << " slot " << c;
        else
          EXPECT_EQ(many[c - 1], -1.0) << range.key << " mode " << mode << " slot " << c;
      }
    }
  // One row per remaining class: key, the CLDOF words set, and the component keys.
  const struct {
    Int key;
    std::vector<int> active;
    std::vector<Int> components;
  } classes[] = {{108, {8}, {108008}},  {108, {}, {}},          {105, {9}, {105009}}, {117, {9}, {117001}},
                 {139, {}, {}},         {110, {}, {110001}},    {233, {}, {233001}},  {5003, {}, {5003}},
                 {204, {11, 12, 14}, {204011, 204012}}};
  for (const auto& c : classes) {
    rec::clear(CLDOF);
    for (const int d : c.active) rec::i(CLDOF, d) = 1;
    std::vector<double> one(4, -1.0);
    GETNDCOMP(&c.key, one.data(), &n, &withList);
    std::vector<Int> got;
    for (int k = 1; k <= n && k <= 4; ++k) got.push_back(rec::slotI(one.data(), k));
    EXPECT_EQ(got, c.components) << c.key;
  }
  rec::i(CGN, 6) = kept[0];
  rec::i(CGM, 27) = kept[1];
  rec::i(CGN, 9) = kept[2];
  eqc_testing::clearMessages();
  const Int unknown = 150;
  GETNDCOMP(&unknown, list.data(), &n, &withList);
  EXPECT_EQ(n, 0);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN GETNDCOMP - LOOP 150 LIMIT EXCEEDED"));
}

TEST(SectionForces, TwoTensorLayouts) {
  struct Case {
    int na, nb, etype;
    std::vector<int> targets;
    int dims[2], kinds[2];
  };
  const std::vector<Case> cases = {{1, 1, 0, {1, 7}, {2, 2}, {1, 1}},
                                   {2, 1, 0, {1, 2, 7}, {2, 2}, {1, 1}},
                                   {1, 3, 0, {1, 7, 8, 9}, {2, 2}, {1, 1}},
                                   {3, 3, 2000, {1, 2, 4, 7, 8, 9}, {3, 2}, {3, 1}},
                                   {3, 3, 1999, {1, 2, 3, 7, 8, 9}, {2, 2}, {1, 1}},
                                   {3, 4, 0, {1, 2, 3, 7, 8, 9}, {2, 2}, {1, 1}},
                                   {4, 2, 0, {1, 2, 4, 3, 7, 8}, {3, 2}, {1, 1}},
                                   {4, 3, 0, {1, 2, 4, 3, 7, 8, 9}, {3, 2}, {1, 1}},
                                   {5, 3, 0, {1, 2, 4, 5, 6, 7, 8, 9}, {3, 2}, {3, 1}},
                                   {6, 3, 0, {1, 2, 4, 5, 6, 3, 7, 8, 9}, {3, 2}, {3, 1}},
                                   {2, 2, 0, {}, {-1, -1}, {-1, -1}}};
  const double in[9] = {11, 12, 13, 14, 15, 16, 17, 18, 19};
  for (const Case& c : cases) {
    std::vector<double> out(9, -1.0), want(9, -1.0);
    for (std::size_t k = 0; k < c.targets.size(); ++k) want[static_cast<std::size_t>(c.targets[k] - 1)] = in[k];
    Int dims[2] = {-1, -1}, kinds[2] = {-1, -1};
    ELDBTEN1(out.data(), in, &c.etype, &c.na, &c.nb, dims, kinds);
    EXPECT_EQ(out, want) << c.na << "," << c.nb;
    EXPECT_EQ(dims[0], c.dims[0]);
    EXPECT_EQ(dims[1], c.dims[1]);
    EXPECT_EQ(kinds[0], c.kinds[0]);
    EXPECT_EQ(kinds[1], c.kinds[1]);
  }
}

}  // namespace
