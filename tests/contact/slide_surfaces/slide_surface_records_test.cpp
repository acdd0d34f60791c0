// Slave-surface records found by name in the slide-line database, nodes of a slide surface's
// node list, and slave nodes turned about an axis (against Eigen's angle-axis rotation).

#include <Eigen/Geometry>
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/records.h"
#include "siblings/dm2/dm2_state.h"
#include "siblings/eqc/testing.h"
#include "tests/support/mapped_array.h"
#include "zmx/contact.h"
#include "zmx/storage/db_units.h"

namespace {

constexpr int kSlaveSurface = 30;

// A slide-line database built record by record: slot 1 the length, slot 2 the type, slot 3 the
// 8-character name, then filler slots.
struct Database {
  std::vector<double> slots;
  int add(int type, const std::string& name, int length) {
    const int address = static_cast<int>(slots.size()) + 1;
    slots.resize(slots.size() + static_cast<std::size_t>(std::max(length, 3)), 7.5);
    double* record = slots.data() + (address - 1);
    rec::setSlotI(record, 1, length);
    rec::setSlotI(record, 2, type);
    char code[8];
    std::memset(code, ' ', 8);
    std::memcpy(code, name.data(), std::min<std::size_t>(name.size(), 8));
    std::memcpy(record + 2, code, 8);
    return address;
  }
  void install(int programKind) {
    rec::i(CSLV, eqc_records::kSlaveSurfaceFirst) = 1;
    rec::i(CSLV, eqc_records::kSlaveSurfaceEnd) = static_cast<Int>(slots.size()) + 1;
    rec::i(CPROG, eqc_records::kProgramKind) = programKind;
    eqc_testing::setSlideLineStore(slots);
    eqc_testing::clearMessages();
  }
};

constexpr double kGuard = -12345.0;

struct Lookup {
  Int address = -1;
  std::vector<double> buffer;
};

// The buffer holds `room` slots (the capacity unless the host's memory is larger), then guards.
Lookup lookUp(const std::string& name, Int capacity, Int room = 0) {
  Lookup out;
  out.buffer.assign(static_cast<std::size_t>(std::max(capacity, room)) + 4, kGuard);
  ASURFREC(name.data(), static_cast<Int>(name.size()), &out.address, out.buffer.data(), &capacity);
  return out;
}

bool guardsIntact(const Lookup& l, Int capacity) {
  for (std::size_t k = static_cast<std::size_t>(capacity); k < l.buffer.size(); ++k) {
    if (l.buffer[k] != kGuard) return false;
  }
  return true;
}

TEST(SlaveSurfaceRecord, FoundByCodedNameOnlyAmongSlaveSurfaceRecords) {
  Database db;
  db.add(20, "SIDE", 4);
  const int bottom = db.add(kSlaveSurface, "BOTTOM", 5);
  const int top = db.add(kSlaveSurface, "TOP", 6);
  const int info = db.add(kSlaveSurface, " INFOSLV", 4);
  db.install(0);
  const Int growthBefore = rec::i(CSIZE, zmx::units::kCoreGrowth);

  Lookup found = lookUp("TOP", 10);  // a short name is blank-padded to its code
  EXPECT_EQ(found.address, top);
  EXPECT_EQ(rec::slotI(found.buffer.data(), 1), 6);
  EXPECT_TRUE(guardsIntact(found, 10));
  EXPECT_EQ(lookUp("BOTTOM  extra", 5).address, bottom);  // only the first 8 characters count
  EXPECT_EQ(lookUp("SIDE", 10).address, 0);               // carried by a record of another type
  EXPECT_EQ(lookUp("NOWHERE", 10).address, 0);
  EXPECT_EQ(lookUp(" INFOSLV", 10).address, info);  // a leading blank is part of the name
  EXPECT_EQ(lookUp("INFOSLV", 10).address, 0);
  EXPECT_TRUE(eqc_testing::messages().empty());
  EXPECT_EQ(rec::i(CSIZE, zmx::units::kCoreGrowth), growthBefore);
}

// A record longer than the capacity: the implicit program asks DBCORE for its length, the
// pre-processor reports the shortfall, and the walk goes on in every program. A record is read
// into the buffer only within its room (a block of the address space to its end, any other
// buffer its capacity); beyond it the search reads the record into storage of its own and finds
// it all the same.
TEST(SlaveSurfaceRecord, OverLongRecordIsFoundWhateverTheBufferAndNeverWrittenPastItsRoom) {
  Database db;
  db.add(20, "SIDE", 4);
  const int big = db.add(kSlaveSurface, "BIG", 41);
  const int top = db.add(kSlaveSurface, "TOP", 5);
  const Int capacity = 30;
  for (int kind : {0, 1, 2}) {
    SCOPED_TRACE(kind);
    db.install(kind);
    const Int growth = rec::i(CSIZE, zmx::units::kCoreGrowth);
    const Lookup heap = lookUp("BIG", capacity);
    EXPECT_EQ(heap.address, big);
    EXPECT_TRUE(guardsIntact(heap, capacity));
    EXPECT_EQ(lookUp("TOP", capacity).address, top);
    zmxtest::MappedArray block(41);  // a host that keeps its memory in the address space
    Int address = -1;
    ASURFREC("BIG", 3, &address, block.data(), &capacity);
    EXPECT_EQ(address, big);
    EXPECT_EQ(rec::slotI(block.data(), 1), 41);
    EXPECT_EQ(block[40], 7.5);
    EXPECT_TRUE(block.guardsKept());
    // Every walk past the long record asks DBCORE for it (implicit) or reports it (pre-processor).
    EXPECT_EQ(rec::i(CSIZE, zmx::units::kCoreGrowth) - growth, kind == 0 ? 3 * 41 : 0);
    const auto messages = eqc_testing::messages();
    ASSERT_EQ(messages.size(), kind == 1 ? 3u : 0u);
    for (const auto& m : messages) {
      EXPECT_EQ(m.level, -3);
      EXPECT_EQ(m.text,
                "THERE IS NOT ENOUGH MEMORY ALLOCATED TO PROCESS THE SURFACE DATA.  THE pre_memory VARIABLE MUST "
                "BE INCREASED BY AT LEAST 12 WORDS TO SUCESSFULLY PRE-PROCESS THE MODEL.");
    }
  }

  // The capacity DBCORE raises holds for the rest of the walk: a second long record fits it.
  Database twice;
  twice.add(kSlaveSurface, "BIG1", 41);
  twice.add(kSlaveSurface, "BIG2", 41);
  const int last = twice.add(kSlaveSurface, "LAST", 5);
  twice.install(0);
  const Int before = rec::i(CSIZE, zmx::units::kCoreGrowth);
  const Lookup walked = lookUp("LAST", capacity);
  EXPECT_EQ(walked.address, last);
  EXPECT_TRUE(guardsIntact(walked, capacity));
  EXPECT_EQ(rec::i(CSIZE, zmx::units::kCoreGrowth) - before, 41);

  db.install(0);  // a raise that fails is reported by DBCORE; the search goes on
  const Int growth = rec::i(CSIZE, zmx::units::kCoreGrowth);
  dm2_testing::setStackLimit(dm2_testing::stackInUse());
  const Lookup failed = lookUp("BIG", capacity);
  dm2_testing::setStackLimit(1LL << 40);  // the stand-in's own limit
  EXPECT_EQ(failed.address, big);
  EXPECT_TRUE(guardsIntact(failed, capacity));
  EXPECT_EQ(rec::i(CSIZE, zmx::units::kCoreGrowth), growth);
  ASSERT_EQ(eqc_testing::messages().size(), 1u);
  EXPECT_EQ(eqc_testing::messages()[0].text, "MEMORY FAILURE.");
}

TEST(SlaveSurfaceRecord, ZeroLengthRecordEndsTheWalkWithASystemError) {
  Database db;
  db.add(20, "SIDE", 4);
  db.add(kSlaveSurface, "STUCK", 0);
  db.add(kSlaveSurface, "TOP", 5);
  db.install(0);
  EXPECT_EQ(lookUp("TOP", 10).address, 0);
  ASSERT_EQ(eqc_testing::messages().size(), 1u);
  EXPECT_EQ(eqc_testing::messages()[0].text, "SYSTEM ERROR IN ASURFREC - LOOP 5 LIMIT EXCEEDED");
  EXPECT_EQ(eqc_testing::messages()[0].level, -3);
}

TEST(SlideSurfaceNode, FirstPositionDecidesTheFlagOfTheSurfaceKind) {
  // List entries 1-2 belong to another surface (offset 2); the surface lists 7, 9, 7.
  const std::vector<Int> list = {9, 9, 7, 9, 7};
  const std::vector<Int> values1 = {0, 3, 5}, values101 = {4, 0, -1};
  struct Case {
    Int n, node, kind, found, pos1, pos101;
  };
  const Case cases[] = {
      {3, 7, 1, 1, 0, 0},    // first position of 7 is 1: values1(1) = 0
      {3, 7, 101, 1, 0, 1},  // values101(1) = 4
      {3, 9, 1, 1, 1, 0},    // values1(2) = 3
      {3, 9, 101, 1, 0, 0},
      {3, 9, 5, 1, 0, 0},    // any other kind sets neither flag
      {3, 8, 1, 0, 0, 0},
      {0, 7, 1, 0, 0, 0},    // an empty list
  };
  const Int offset = 2;
  for (const Case& c : cases) {
    Int found = -5, pos1 = -5, pos101 = -5;
    FIND_SLIDESURFACE_NODE(list.data(), &offset, &c.n, &c.node, &c.kind, values1.data(), values101.data(), &found,
                           &pos1, &pos101);
    EXPECT_EQ(found, c.found) << c.node << " " << c.kind;
    EXPECT_EQ(pos1, c.pos1) << c.node << " " << c.kind;
    EXPECT_EQ(pos101, c.pos101) << c.node << " " << c.kind;
  }
}

Eigen::Vector3d rotated(const Eigen::Vector3d& a, const Eigen::Vector3d& b, double theta, Eigen::Vector3d p) {
  double axis[6] = {a.x(), a.y(), a.z(), b.x(), b.y(), b.z()};
  ROTATESLAVENODE(axis, &theta, p.data());
  return p;
}

TEST(SlaveNodeRotation, AgreesWithAngleAxisAndLeavesAxisPointsAlone) {
  std::mt19937 rng(16);
  std::uniform_real_distribution<double> u(-2.0, 2.0), angle(-7.0, 7.0);
  const auto random = [&] { return Eigen::Vector3d(u(rng), u(rng), u(rng)); };
  for (int trial = 0; trial < 200; ++trial) {
    const Eigen::Vector3d a = random(), b = random(), p = random();
    const double theta = angle(rng);
    const Eigen::Vector3d expected = a + Eigen::AngleAxisd(theta, (b - a).normalized()) * (p - a);
    EXPECT_LT((rotated(a, b, theta, p) - expected).norm(), 1e-12) << trial;
    EXPECT_LT((rotated(a, b, 0.0, p) - p).norm(), 1e-14) << trial;
  }
  const Eigen::Vector3d a(1, 2, 3), b(2, 4, 7), p(0.5, -1, 2);
  const Eigen::Vector3d onAxis = a + 0.37 * (b - a);
  EXPECT_EQ(rotated(a, b, 1.1, onAxis), onAxis);  // on the axis: unchanged, bit for bit
  EXPECT_EQ(rotated(a, b, 1.1, a), a);            // P = A
  EXPECT_EQ(rotated(a, a, 1.1, p), p);            // A = B: no axis
}

}  // namespace

namespace {

TEST(SlaveSurfaceRecord, RecordsTooShortToHoldANameNeverNameOne) {
  // Records of one and two slots whose store happens to carry the name after them: the buffer has
  // room for exactly the record, and nothing past it is read.
  for (const int length : {1, 2}) {
    Database db;
    db.add(kSlaveSurface, " INFOSLV", length);
    db.install(0);
    Int capacity = 2, address = -1;
    std::vector<double> buffer(2, 0.0);
    ASURFREC(" INFOSLV", 8, &address, buffer.data(), &capacity);
    EXPECT_EQ(address, 0) << length;
  }
}

}  // namespace
