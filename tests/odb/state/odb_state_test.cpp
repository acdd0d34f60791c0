// Descriptor layout and the default nodal output key.
#include <gtest/gtest.h>

#include <string>

#include "runtime/record.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/model/outputs.h"
#include "zmx/odb.h"
#include "zmx/storage/results.h"

namespace {

class OdbState : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    rec::clear(CDWSP);
    rec::clear(CODB);
  }
};

TEST_F(OdbState, DescriptorsAreLaidOutOneBehindTheOther) {
  const Int sizes[4] = {3, 1, 6, 2};
  rec::i(CDWSP, 1) = 4;
  for (int i = 1; i <= 4; ++i) rec::i(CDWSP, 201 + i) = sizes[i - 1];
  rec::i(CDWSP, 243) = 12;
  const Int lay = 1, empty = 0, other = 7;
  ODBDYN(&lay);
  Int first = 1;
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(rec::i(CDWSP, 41 + i), first) << i;
    first += sizes[i - 1];
  }
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);

  // More words than allocated: reported with both numbers, the layout still made.
  rec::i(CDWSP, 243) = 10;
  rec::i(CDWSP, 42 + 3) = 0;
  ODBDYN(&lay);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ODBDYN. 12 WORDS REQUESTED.  10 WORDS ALLOCATED"));
  EXPECT_EQ(rec::i(CDWSP, 45), 11);

  ODBDYN(&other);
  EXPECT_EQ(rec::i(CDWSP, 1), 4);
  ODBDYN(&empty);
  EXPECT_EQ(rec::i(CDWSP, 1), 0);
  // An empty list is left as it is by the layout.
  rec::i(CDWSP, 42) = 99;
  ODBDYN(&lay);
  EXPECT_EQ(rec::i(CDWSP, 42), 99);

  // Words past the largest 4-byte integer: the message gives the capped total, and a first word
  // out of range is not laid out.
  rec::i(CDWSP, 1) = 3;
  for (int i = 202; i <= 204; ++i) rec::i(CDWSP, i) = 2000000000;
  rec::i(CDWSP, 243) = 5;
  rec::i(CDWSP, 44) = -7;
  ODBDYN(&lay);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ODBDYN. 2147483647 WORDS REQUESTED.  5 WORDS ALLOCATED"));
  EXPECT_EQ(rec::i(CDWSP, 42), 1);
  EXPECT_EQ(rec::i(CDWSP, 43), 2000000001);
  EXPECT_EQ(rec::i(CDWSP, 44), -7);
}

TEST_F(OdbState, TheSmallestListedKeyIsTheDefault) {
  std::string label = "U, displacements";
  label.resize(80, ' ');
  const Int k237 = 237, k101 = 101, k105 = 105, k113 = 113, unused = 0;
  SHR_NDDEFV(&k237, label.data(), 80);
  EXPECT_EQ(rec::i(CODB, 6), 237);
  SHR_NDDEFV(&k101, label.data(), 80);
  EXPECT_EQ(rec::i(CODB, 6), 101);
  EXPECT_EQ(rec::chars(CODB, 29, 80), label);
  std::string other = "OTHER";
  SHR_NDDEFV(&k113, other.data(), static_cast<Int>(other.size()));
  SHR_NDDEFV(&k105, other.data(), static_cast<Int>(other.size()));
  EXPECT_EQ(rec::i(CODB, 6), 101);
  EXPECT_EQ(rec::chars(CODB, 29, 80), label);

  rec::clear(CODB);
  SHR_NDDEFVDDB(&k101, &unused);
  SHR_NDDEFVDDB(&k237, &unused);
  SHR_NDDEFVDDB(&k105, &unused);
  EXPECT_EQ(rec::i(CODB, 6), 101);
  EXPECT_EQ(rec::chars(CODB, 29, 80), std::string(80, '\0'));
}

}  // namespace
