// Partitions, object ids, issues and segmented issues of the scratch database.
#include <numeric>

#include "tests/storage/scratch/scratch_fixture.h"
#include "tests/support/bounded_child.h"
#include "tests/support/truncation.h"

namespace {

using zmxtest::ScratchDb;

class ScratchPartition : public ScratchDb {
 protected:
  void SetUp() override {
    ScratchDb::SetUp();
    sdb_Manager::CreateSdb();
    page_ = gettheSdbManager()->GetPageSize();
  }

  sdb_PartitionRecord* record(sdb_PartitionId id) { return gettheSdbManager()->OpenPartition(id); }

  // The first and last integer of the array as the issue gives them; (-1, -1) when it gives none.
  static std::pair<int, int> ends(sdb_Issue& issue, const sdb_IntegerOid& oid) {
    sdb_DbBasePter base;
    const int* values = issue.AccessInteger(oid, base);
    return values == nullptr ? std::make_pair(-1, -1) : std::make_pair(values[0], values[oid.count - 1]);
  }

  std::uint32_t page_ = 0;
};

TEST_F(ScratchPartition, ArraysAreAlignedToTheirUnitAtTheEndOfThePartition) {
  sdb_MMapPartition partition(sdb_FolderNames::scr);
  ASSERT_TRUE(partition.IsValid());
  sdb_IntegerOid ints;
  sdb_DoubleOid doubles;
  sdb_GenericObjectOid objects;
  partition.AllocateInteger(ints, 3);
  EXPECT_EQ(partition.Size(), 12u);
  partition.AllocateDouble(doubles, 1);
  EXPECT_EQ(ints.offset, 0u);
  EXPECT_EQ(doubles.offset, 2u);
  EXPECT_EQ(partition.Size(), 24u);
  EXPECT_EQ(partition.ObjectCount(), 2);
  EXPECT_EQ(ints.flags & 7, 4u);
  EXPECT_EQ(doubles.flags & 7, 2u);
  partition.AllocateObject(objects, 5, 3, 0);
  EXPECT_EQ(objects.count, 4u);
  EXPECT_EQ(objects.offset, 6u);
  EXPECT_EQ(objects.partition, partition.Id());
  EXPECT_EQ(record(partition.Id())->flags & 0xE, sdb_Partition::kCreated);
  EXPECT_EQ(record(partition.Id())->folder, static_cast<std::uint32_t>(sdb_FolderNames::scr));
}

TEST_F(ScratchPartition, IssuesShareTheSpaceTheFirstOneReservedAndKeepTheData) {
  sdb_PartitionId id = -1;
  sdb_IntegerOid ints;
  sdb_DoubleOid doubles;
  sdb_SULong address;
  {
    sdb_MMapPartition partition(sdb_FolderNames::opr);
    id = partition.Id();
    partition.AllocateInteger(ints, 1000);
    partition.AllocateDouble(doubles, 3000);
    ints.callerWord = 77;
    {
      sdb_MMapPartition::Issue issue(partition, sdb_WriteNew);
      EXPECT_EQ(record(id)->flags & 0xE, sdb_Partition::kInUse);
      address = issue.Address();
      EXPECT_EQ(address.Value() % page_, 0u);
      sdb_DbBasePter base;
      int* i = issue.AccessInteger(ints, base);
      ASSERT_NE(i, nullptr);
      EXPECT_EQ(base.issue, &issue);
      EXPECT_EQ(base.callerWord, 77);
      std::iota(i, i + 1000, 1);
      double* d = issue.AccessDouble(doubles, base);
      ASSERT_NE(d, nullptr);
      for (int k = 0; k < 3000; ++k) d[k] = 0.5 * k;
      EXPECT_EQ(gettheSdbManager()->AccessIssueTable(static_cast<int>(record(id)->issueIndex))->mode, 3u);
    }
    EXPECT_EQ(gettheSdbManager()->AccessIssueTable(static_cast<int>(record(id)->issueIndex))->mode, 1u);
    EXPECT_EQ(record(id)->nextSpaceIssue, 1u);
    sdb_MMapPartition::Issue again(partition, sdb_Read);
    EXPECT_EQ(again.Address(), address);
    EXPECT_EQ(partition.OpenIssues(), 1);
  }
  EXPECT_EQ(record(id)->flags & 0xE, sdb_Partition::kClosed);
  deletetheSdbManager();

  ASSERT_EQ(sdb_Manager::OpenSdb(), sdb_Manager_Opened);
  sdb_MMapPartition reopened(id);
  EXPECT_EQ(reopened.Size(), 4000u + 24000u);
  sdb_MMapPartition::Issue issue(reopened, sdb_Read);
  EXPECT_EQ(issue.Address(), address);
  sdb_DbBasePter base;
  const int* i = issue.AccessInteger(ints, base);
  const double* d = issue.AccessDouble(doubles, base);
  ASSERT_NE(i, nullptr);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(i[0], 1);
  EXPECT_EQ(i[999], 1000);
  EXPECT_EQ(d[2999], 1499.5);
  sdb_IntegerOid outside;
  outside.offset = 7000;
  outside.count = 10;
  EXPECT_EQ(issue.AccessInteger(outside, base), nullptr);  // past the issue's data
}

TEST_F(ScratchPartition, APartitionThatGrewMovesToLargerSpaceBeforeALargerIssue) {
  sdb_MMapPartition partition(sdb_FolderNames::opr);
  sdb_IntegerOid first, second;
  partition.AllocateInteger(first, 1024);
  sdb_SULong oldAddress;
  {
    sdb_MMapPartition::Issue issue(partition, sdb_WriteNew);
    oldAddress = issue.Address();
    sdb_DbBasePter base;
    std::fill_n(issue.AccessInteger(first, base), 1024, 5);
  }
  // Someone else's data right after the partition's space.
  sdb_RegularFolder* opr = gettheSdbManager()->GetFolder(sdb_FolderNames::opr);
  const sdb_SULong neighbour = opr->Allocate(4096, 4096);
  void* buffer = opr->Map(sdb_WriteNew, neighbour, 4096);
  std::memset(buffer, 0x5A, 4096);
  opr->UnMap(sdb_WriteNew, neighbour, 4096, buffer);

  partition.AllocateInteger(second, 4096);
  {
    sdb_MMapPartition::Issue issue(partition, sdb_Modify);
    EXPECT_NE(issue.Address(), oldAddress);
    EXPECT_GE(issue.Size(), 4u * (1024 + 4096));
    sdb_DbBasePter base;
    const int* kept = issue.AccessInteger(first, base);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept[1023], 5);
    EXPECT_EQ(issue.AccessInteger(second, base)[4095], 0);  // the new space holds zeros, not nothing
    std::fill_n(issue.AccessInteger(second, base), 4096, 9);
  }
  EXPECT_EQ(partition.Reserved(), 4u * (1024 + 4096));
  buffer = opr->Map(sdb_Read, neighbour, 4096);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(static_cast<unsigned char*>(buffer)[4095], 0x5A);
  opr->UnMap(sdb_Read, neighbour, 4096, buffer);
}

// A partition that grew after its last issue moves to space that holds all of it when it closes,
// so that a later program opening it by its id finds its whole size with the bytes it had.
TEST_F(ScratchPartition, APartitionThatGrewAfterItsLastIssueMovesWhenItCloses) {
  sdb_PartitionId id = -1;
  sdb_IntegerOid first, second;
  sdb_SULong oldAddress;
  {
    sdb_MMapPartition partition(sdb_FolderNames::opr);
    id = partition.Id();
    partition.AllocateInteger(first, 1024);
    {
      sdb_MMapPartition::Issue issue(partition, sdb_WriteNew);
      oldAddress = issue.Address();
      sdb_DbBasePter base;
      std::fill_n(issue.AccessInteger(first, base), 1024, 7);
    }
    partition.AllocateInteger(second, 2048);
  }
  EXPECT_EQ(record(id)->size, 4u * (1024 + 2048));
  sdb_MMapPartition reopened(id);
  EXPECT_EQ(reopened.Size(), 4u * (1024 + 2048));
  sdb_MMapPartition::Issue issue(reopened, sdb_Read);
  EXPECT_NE(issue.Address(), oldAddress);
  EXPECT_EQ(ends(issue, first), std::make_pair(7, 7));
  EXPECT_EQ(ends(issue, second), std::make_pair(0, 0));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(ScratchPartition, APartitionThatGrewUnderAnOpenIssueGivesNoSecondIssueUntilItCloses) {
  sdb_MMapPartition partition(sdb_FolderNames::opr);
  sdb_IntegerOid first, second;
  partition.AllocateInteger(first, 1024);
  {
    sdb_MMapPartition::Issue open(partition, sdb_WriteNew);
    sdb_DbBasePter base;
    partition.AllocateInteger(second, 4096);
    {
      sdb_MMapPartition::Issue refused(partition, sdb_Modify);
      EXPECT_EQ(refused.Data(), nullptr);
      EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN sdb_Partition::AccessIssue - PARTITION SPACE LIMIT EXCEEDED"));
    }
    EXPECT_EQ(partition.OpenIssues(), 1);
    std::fill_n(open.AccessInteger(first, base), 1024, 3);  // written to the space when it closes
  }
  sdb_MMapPartition::Issue later(partition, sdb_Modify);  // now the space moves, with its bytes
  EXPECT_EQ(ends(later, first), std::make_pair(3, 3));
  EXPECT_NE(ends(later, second).first, -1);
}

TEST_F(ScratchPartition, SegmentedIssuesMoveAWindowThroughTheSpace) {
  sdb_SGMMapPartition partition(sdb_FolderNames::scr, 2 * page_);
  ASSERT_EQ(partition.FixedIssueSize(), 2 * page_);
  sdb_DoubleOid all;
  partition.AllocateDouble(all, 5 * page_ / 8);  // five pages: space for three windows
  const std::uint32_t perWindow = 2 * page_ / 8;
  {
    sdb_SGMMapPartition::Issue issue(partition, sdb_WriteNew);
    for (int w = 0; w < 3; ++w) {
      double* d = static_cast<double*>(issue.Data());
      for (std::uint32_t k = 0; k < perWindow; ++k) d[k] = w * 1000.0 + k;
      issue.AccessForward();
    }
    EXPECT_EQ(partition.Reserved(), 6u * page_);
  }
  {
    sdb_SGMMapPartition::Issue issue(partition, sdb_Modify);
    issue.AccessForward();  // window 1, read
    static_cast<double*>(issue.Data())[0] = -1.0;
  }  // written back when the issue ends
  sdb_SGMMapPartition::Issue issue(partition, sdb_Read);
  std::vector<double> seen;
  for (int w = 0; w < 3; ++w) {
    seen.push_back(static_cast<double*>(issue.Data())[0]);
    seen.push_back(static_cast<double*>(issue.Data())[perWindow - 1]);
    if (w < 2) issue.AccessForward();
  }
  EXPECT_EQ(seen, (std::vector<double>{0, perWindow - 1.0, -1, 1000 + perWindow - 1.0, 2000, 2000 + perWindow - 1.0}));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  issue.AccessForward();  // past the space: refused
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN sdb_SGMMapPartition::Issue::AccessForward - PARTITION SPACE LIMIT EXCEEDED"));
}

TEST_F(ScratchPartition, AWritingWindowPastThePartitionSpaceWritesNothing) {
  sdb_SGMMapPartition partition(sdb_FolderNames::scr, page_);
  sdb_IntegerOid all;
  partition.AllocateInteger(all, 2 * page_ / 4);  // two windows
  sdb_RegularFolder* scr = gettheSdbManager()->GetFolder(sdb_FolderNames::scr);
  sdb_SULong neighbour;
  {
    sdb_SGMMapPartition::Issue issue(partition, sdb_WriteNew);
    // Someone else's data right after the partition's space.
    neighbour = scr->Allocate(page_, page_);
    ASSERT_EQ(neighbour.Value(), issue.Address().Value() + 2 * page_);
    void* buffer = scr->Map(sdb_WriteNew, neighbour, page_);
    std::memset(buffer, 0x5A, page_);
    scr->UnMap(sdb_WriteNew, neighbour, page_, buffer);
    for (int w = 0; w < 4; ++w) {
      std::memset(issue.Data(), 0x11 * (w + 1), page_);
      issue.AccessForward();
    }
    EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN sdb_SGMMapPartition::Issue::AccessForward - PARTITION SPACE LIMIT EXCEEDED"));
  }
  void* buffer = scr->Map(sdb_Read, neighbour, page_);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(static_cast<unsigned char*>(buffer)[0], 0x5A);
  EXPECT_EQ(static_cast<unsigned char*>(buffer)[page_ - 1], 0x5A);
  scr->UnMap(sdb_Read, neighbour, page_, buffer);
}

TEST_F(ScratchPartition, FlushedSegmentsTakeWholePagesAndReadBack) {
  sdb_SGMMapPartition partition(sdb_FolderNames::scr, 10 * page_);
  sdb_IntegerOid all;
  partition.AllocateInteger(all, 30 * page_ / 4);
  sdb_SGMMapPartition::Issue issue(partition, sdb_WriteNew);
  char* data = static_cast<char*>(issue.Data());
  ASSERT_NE(data, nullptr);
  std::memset(data, 1, 10 * page_);
  const sdb_SegmentAddress a = issue.FlushSegment(data + 1);
  std::memset(data, 2, 10 * page_);
  const sdb_SegmentAddress b = issue.FlushSegment(data + page_ + 1);
  std::memset(data, 3, 10 * page_);
  const sdb_SegmentAddress c = issue.FlushSegment(data + 9 * page_ + 8);
  EXPECT_EQ(a.size, page_);
  EXPECT_EQ(b.size, 2 * page_);
  EXPECT_EQ(c.size, 10 * page_);
  EXPECT_EQ(a.offset.Value(), 0u);
  EXPECT_EQ(b.offset.Value(), page_);
  EXPECT_EQ(c.offset.Value(), 3u * page_);
  EXPECT_EQ(issue.WindowOffset().Value(), 13u * page_);
  issue.AccessSegment(b);
  EXPECT_EQ(data[2 * page_ - 1], 2);
  issue.AccessSegment(a);
  EXPECT_EQ(data[page_ - 1], 1);
  EXPECT_EQ(data[page_], 2);  // the rest of the window keeps what it held
  issue.AccessSegment(c);
  EXPECT_EQ(data[10 * page_ - 1], 3);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

// Object arrays lie in units of 4 bytes after what was allocated before them; a segmented
// partition opened again by its id keeps its window size and gives its objects back. A segment
// larger than the window, or a flush beyond it, is refused and moves nothing.
TEST_F(ScratchPartition, AReopenedSegmentedPartitionGivesItsObjectsBack) {
  struct Triple {
    std::int32_t a, b, c;
    bool operator==(const Triple&) const = default;
  };
  sdb_PartitionId id = -1;
  sdb_IntegerOid ints;
  sdb_GenericObjectOid objects;
  {
    sdb_SGMMapPartition partition(sdb_FolderNames::scr, page_);
    id = partition.Id();
    partition.AllocateInteger(ints, 5);
    partition.AllocateObject(objects, 10, sizeof(Triple), 0);
    EXPECT_EQ(objects.offset, 5u);
    EXPECT_EQ(objects.count, 30u);
    objects.callerWord = 41;
    const std::uint32_t size = partition.Size();
    sdb_GenericObjectOid tooMany;
    partition.AllocateObject(tooMany, 0xFFFFFFFFu, 0xFFFFFFFFu, 0);
    EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN sdb_Partition::AllocateObject - PARTITION SIZE LIMIT EXCEEDED"));
    EXPECT_EQ(partition.Size(), size);
    EXPECT_EQ(partition.ObjectCount(), 2);
    sdb_SGMMapPartition::Issue issue(partition, sdb_WriteNew);
    sdb_DbBasePter base;
    auto* written = static_cast<Triple*>(issue.AccessObject(objects, base, sizeof(Triple)));
    ASSERT_EQ(static_cast<void*>(written), static_cast<char*>(issue.Data()) + 20);
    EXPECT_EQ(base.issue, &issue);
    EXPECT_EQ(base.callerWord, 41);
    for (int k = 0; k < 10; ++k) written[k] = {k, -k, 100 * k};
  }
  sdb_SGMMapPartition reopened(id, page_);
  EXPECT_EQ(reopened.FixedIssueSize(), page_);
  EXPECT_EQ(reopened.Size(), 20u + 10 * sizeof(Triple));
  sdb_SGMMapPartition::Issue issue(reopened, sdb_Read);
  sdb_DbBasePter base;
  const auto* back = static_cast<const Triple*>(issue.AccessObject(objects, base, sizeof(Triple)));
  ASSERT_NE(back, nullptr);
  for (int k = 0; k < 10; ++k) EXPECT_EQ(back[k], (Triple{k, -k, 100 * k})) << k;
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  char* data = static_cast<char*>(issue.Data());
  issue.AccessSegment({sdb_SULong(0), 2 * page_});
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN sdb_SGMMapPartition::Issue::AccessSegment - WINDOW LIMIT EXCEEDED"));
  EXPECT_EQ(issue.FlushSegment(data + page_ + 1).size, 0u);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN sdb_SGMMapPartition::Issue::FlushSegment - WINDOW LIMIT EXCEEDED"));
  EXPECT_EQ(issue.WindowOffset().Value(), 0u);
  EXPECT_EQ(back[9].c, 900);
}

TEST_F(ScratchPartition, ASegmentedIssueNeedsAWholeNumberOfPages) {
  sdb_SGMMapPartition partition(sdb_FolderNames::scr, page_ + 8);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN sdb_SGMMapPartition - ISSUE SIZE " + std::to_string(page_ + 8) +
                                   " IS NOT A WHOLE NUMBER OF PAGES"));
  sdb_IntegerOid all;
  partition.AllocateInteger(all, 100);
  sdb_SGMMapPartition::Issue issue(partition, sdb_WriteNew);
  EXPECT_EQ(issue.Data(), nullptr);
  issue.AccessForward();
  EXPECT_EQ(issue.FlushSegment(nullptr).size, 0u);
}

TEST_F(ScratchPartition, PartitionAndIssueRecordsLieAtTheirHeaderOffsetsInTheFile) {
  sdb_IntegerOid ints;
  sdb_SULong address;
  {
    sdb_MMapPartition unused(sdb_FolderNames::eig);
    sdb_MMapPartition partition(sdb_FolderNames::fct);
    ASSERT_EQ(partition.Id(), 1);
    partition.AllocateInteger(ints, 1000);
    sdb_MMapPartition::Issue issue(partition, sdb_WriteNew);
    address = issue.Address();
  }
  deletetheSdbManager();
  const auto file = fileBytes("job.sdb");
  ASSERT_EQ(file.size(), page_);
  EXPECT_EQ(wordAt(file, 24), 2u);   // next partition id
  EXPECT_EQ(wordAt(file, 232), 2u);  // partitions created
  EXPECT_EQ(wordAt(file, 728), 1u);  // issue records used
  const std::size_t partition = 244 + 24 * 1;
  EXPECT_EQ(wordAt(file, partition), 4000u);  // size
  EXPECT_EQ(wordAt(file, partition + 4), static_cast<std::uint32_t>(sdb_FolderNames::fct));
  EXPECT_EQ(wordAt(file, partition + 8), 1u);   // an issue record reserved
  EXPECT_EQ(wordAt(file, partition + 12), 1u);  // issue 0 released
  EXPECT_EQ(wordAt(file, partition + 16) & 0xE, sdb_Partition::kClosed);
  EXPECT_EQ(wordAt(file, partition + 20), 0u);  // its issue record
  EXPECT_EQ(wordAt(file, 244 + 8), 0u);         // the unused partition reserved none
  const std::size_t issue = 740 + 16 * 0;
  EXPECT_EQ(wordAt(file, issue), static_cast<std::uint32_t>(sdb_FolderNames::fct));
  EXPECT_EQ(wordAt(file, issue + 4), 1u);  // no issue open
  EXPECT_EQ(wordAt(file, issue + 8), address.high);
  EXPECT_EQ(wordAt(file, issue + 12), address.low);
}

TEST_F(ScratchPartition, APartitionBeyondTheTableIsRefused) {
  std::vector<std::unique_ptr<sdb_MMapPartition>> partitions;
  for (int k = 0; k < 20; ++k) partitions.push_back(std::make_unique<sdb_MMapPartition>(sdb_FolderNames::eig));
  sdb_MMapPartition extra(sdb_FolderNames::eig);
  EXPECT_FALSE(extra.IsValid());
  sdb_IntegerOid oid;
  extra.AllocateInteger(oid, 10);
  sdb_MMapPartition::Issue issue(extra, sdb_WriteNew);
  EXPECT_EQ(issue.Data(), nullptr);
  EXPECT_TRUE(eqc_testing::printed("PARTITION TABLE LIMIT EXCEEDED"));
}

// A header written by another program with a damaged issue table or partition size word: the
// open refuses it, and Lock keeps the header it had, reported, so that no issue record lies past
// the header and no partition maps what its folder never held.
class DamagedScratchHeader : public ScratchPartition {
 protected:
  // A partition of 4000 bytes whose space was reserved and released, all in the file.
  void partitionWithSpace() {
    sdb_MMapPartition partition(sdb_FolderNames::fct);
    sdb_IntegerOid ints;
    partition.AllocateInteger(ints, 1000);
    sdb_MMapPartition::Issue issue(partition, sdb_WriteNew);
  }
  static constexpr std::size_t kSizeWord = 244;  // partition 0
  static constexpr std::size_t kIssueCapacity = 724, kIssuesUsed = 728;

  void patch(std::vector<unsigned char>& file, std::size_t offset, std::uint32_t value) {
    std::memcpy(file.data() + offset, &value, 4);
  }
};

TEST_F(DamagedScratchHeader, TheOpenRefusesIt) {
  partitionWithSpace();
  deletetheSdbManager();
  const std::vector<unsigned char> clean = fileBytes("job.sdb");
  struct Damage {
    std::size_t offset;
    std::uint32_t value;
  };
  for (const Damage d : {Damage{kSizeWord, 0xFFFFFFF0u}, Damage{kSizeWord, 0x80000000u}, Damage{kSizeWord, 4001},
                         Damage{kSizeWord + 20, 5}, Damage{kSizeWord + 20, 0xFFFFFFFFu},
                         Damage{kIssueCapacity, 65536}, Damage{kIssuesUsed, 0}, Damage{4, 0xFFFFFFFFu}}) {
    std::vector<unsigned char> file = clean;
    patch(file, d.offset, d.value);
    writeFile("job.sdb", file);
    eqc_testing::clearMessages();
    EXPECT_EQ(sdb_Manager::OpenSdb(), sdb_Manager_CannotOpen) << d.offset << " = " << d.value;
    EXPECT_TRUE(eqc_testing::printed("THE SCRATCH DATABASE HEADER IS NOT VALID")) << d.offset;
    deletetheSdbManager();
  }
  writeFile("job.sdb", clean);
  EXPECT_EQ(sdb_Manager::OpenSdb(), sdb_Manager_Opened);
}

TEST_F(DamagedScratchHeader, LockKeepsTheHeaderItHad) {
  partitionWithSpace();
  gettheSdbManager()->ReleaseLock();
  const std::vector<unsigned char> clean = fileBytes("job.sdb");
  ASSERT_EQ(clean.size(), page_);
  // An issue table far larger than the header page, with many records in use.
  std::vector<unsigned char> file = clean;
  patch(file, kIssueCapacity, 65536);
  patch(file, kIssuesUsed, 1000);
  writeFile("job.sdb", file);
  gettheSdbManager()->Lock();
  EXPECT_TRUE(eqc_testing::printed("THE SCRATCH DATABASE HEADER IS NOT VALID"));
  const int next = gettheSdbManager()->AllocateIssueTable(1);
  EXPECT_EQ(next, 1);
  ASSERT_NE(gettheSdbManager()->AccessIssueTable(next), nullptr);
  EXPECT_EQ(gettheSdbManager()->AccessIssueTable(1000), nullptr);

  // A partition size word far beyond the space the partition holds.
  file = clean;
  patch(file, kSizeWord, 0xFFFFFFF0u);
  writeFile("job.sdb", file);
  eqc_testing::clearMessages();
  gettheSdbManager()->Lock();
  EXPECT_TRUE(eqc_testing::printed("THE SCRATCH DATABASE HEADER IS NOT VALID"));
  sdb_MMapPartition again(0);
  EXPECT_EQ(again.Size(), 4000u);
}

// The header file and a folder file cut short, each cut in a child of its own: a header that
// lost words is refused on open with a message (or, where the cut took nothing the header uses,
// opens and reads the data); a folder file reads back what it still holds and zeros past its end,
// as a hole in it would, and neither file grows.
TEST_F(DamagedScratchHeader, TruncatedFilesAreRefusedOrReadAsFarAsTheyReach) {
  sdb_PartitionId id = -1;
  sdb_IntegerOid ints;
  sdb_DoubleOid doubles;
  std::uint64_t address = 0;
  {
    sdb_MMapPartition partition(sdb_FolderNames::opr);
    id = partition.Id();
    partition.AllocateInteger(ints, 1000);
    partition.AllocateDouble(doubles, 700);
    sdb_MMapPartition::Issue issue(partition, sdb_WriteNew);
    address = issue.Address().Value();
    sdb_DbBasePter base;
    std::iota(issue.AccessInteger(ints, base), issue.AccessInteger(ints, base) + 1000, 1);
    double* d = issue.AccessDouble(doubles, base);
    for (int k = 0; k < 700; ++k) d[k] = 0.5 + k;
  }
  deletetheSdbManager();
  const std::string header = "job.sdb", folder = "job.opr";
  ASSERT_TRUE(std::filesystem::exists(folder));
  const std::uint64_t intsAt = address, doublesAt = address + 8 * doubles.offset;

  // In the child: open, then read the partition's data. 0 when the file was refused with a
  // message or the data read back as expected from the first `held` bytes of the folder file.
  const auto readBack = [&](std::uintmax_t held) {
    eqc_testing::clearMessages();
    if (sdb_Manager::OpenSdb() != sdb_Manager_Opened) return eqc_testing::countAtLevel(-3) > 0 ? 0 : 2;
    sdb_MMapPartition partition(id);
    sdb_MMapPartition::Issue issue(partition, sdb_Read);
    sdb_DbBasePter base;
    const int* i = issue.AccessInteger(ints, base);
    const double* d = issue.AccessDouble(doubles, base);
    if (i == nullptr || d == nullptr) return eqc_testing::countAtLevel(-3) > 0 ? 0 : 2;
    int faults = 0;
    for (std::uint64_t k = 0; k < 1000; ++k) {
      const std::uint64_t end = intsAt + 4 * (k + 1);
      if (end <= held ? i[k] != static_cast<int>(k + 1) : (end - 4 >= held && i[k] != 0)) faults |= 4;
    }
    for (std::uint64_t k = 0; k < 700; ++k) {
      const std::uint64_t end = doublesAt + 8 * (k + 1);
      if (end <= held ? d[k] != 0.5 + static_cast<double>(k) : (end - 8 >= held && d[k] != 0.0)) faults |= 4;
    }
    return faults;
  };

  struct Cut {
    std::string file;
    std::vector<std::uintmax_t> boundaries;
  };
  const std::uintmax_t folderSize = std::filesystem::file_size(folder);
  for (const Cut& c : {Cut{header, {4, 8, 64, kSizeWord, kSizeWord + 24, kIssueCapacity, kIssuesUsed + 4, page_ / 2}},
                       Cut{folder, {intsAt, intsAt + 4000, doublesAt, doublesAt + 4000, doublesAt + 5600, page_}}}) {
    const std::vector<unsigned char> clean = fileBytes(c.file);
    for (const std::uintmax_t cut : zmxtest::truncationLengths(clean.size(), c.boundaries)) {
      writeFile(c.file, std::vector<unsigned char>(clean.begin(), clean.begin() + static_cast<std::ptrdiff_t>(cut)));
      const std::uintmax_t otherSize = std::filesystem::file_size(c.file == header ? folder : header);
      const int code = zmxtest::runInBoundedChild([&] { return readBack(c.file == folder ? cut : folderSize); });
      EXPECT_EQ(code, 0) << c.file << " cut at " << cut << " bytes (2 refused without a message, 4 wrong data)";
      EXPECT_EQ(std::filesystem::file_size(c.file), cut) << c.file;
      EXPECT_EQ(std::filesystem::file_size(c.file == header ? folder : header), otherSize) << c.file;
    }
    writeFile(c.file, clean);
  }
}

// Lock re-reads a header that was cut short meanwhile: what it cannot trust is reported and the
// header it had is kept, so the partition keeps its size and the next issue record lies in the page.
TEST_F(DamagedScratchHeader, LockOfATruncatedHeaderKeepsTheHeaderItHad) {
  partitionWithSpace();
  gettheSdbManager()->ReleaseLock();
  const std::vector<unsigned char> clean = fileBytes("job.sdb");
  for (const std::uintmax_t cut : zmxtest::truncationLengths(
           clean.size(), {4, 8, 64, kSizeWord, kSizeWord + 24, kIssueCapacity, kIssuesUsed + 4, page_ / 2})) {
    writeFile("job.sdb", std::vector<unsigned char>(clean.begin(), clean.begin() + static_cast<std::ptrdiff_t>(cut)));
    const int code = zmxtest::runInBoundedChild([&] {
      eqc_testing::clearMessages();
      gettheSdbManager()->Lock();
      sdb_MMapPartition again(0);
      const int next = gettheSdbManager()->AllocateIssueTable(1);
      int faults = again.Size() == 4000u ? 0 : 1;
      if (next < 1 || gettheSdbManager()->AccessIssueTable(next) == nullptr) faults |= 4;
      return faults;
    });
    EXPECT_EQ(code, 0) << "header cut at " << cut << " bytes (1 partition size lost, 4 no issue record)";
  }
  writeFile("job.sdb", clean);
}

}  // namespace
