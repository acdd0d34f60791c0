// Segmented packages and the element operator store.
#include <cerrno>
#include <numeric>

#include "tests/storage/scratch/scratch_fixture.h"
#include "tests/support/bounded_child.h"

namespace {

using zmxtest::ScratchDb;

class SegmentedPackage : public ScratchDb {
 protected:
  void SetUp() override {
    ScratchDb::SetUp();
    sdb_Manager::CreateSdb();
    page_ = gettheSdbManager()->GetPageSize();
  }

  // Element k of segment s.
  static double value(std::uint32_t s, std::uint32_t k) { return s * 1e6 + k + 0.25; }

  // Writes segments of the given lengths; returns the elements in order.
  static void writeSegments(opr_DoubleSegmentedPkg& package, const std::vector<std::uint32_t>& lengths) {
    for (std::uint32_t s = 0; s < lengths.size(); ++s) {
      double* d = package.CreateSegment(lengths[s]);
      ASSERT_NE(d, nullptr);
      for (std::uint32_t k = 0; k < lengths[s]; ++k) d[k] = value(s, k);
    }
  }

  // Reads every segment in the direction; gives (segment, used elements) in the order visited and
  // checks every element.
  static std::vector<std::pair<std::uint32_t, std::uint32_t>> readAll(opr_DoubleSegmentedPkg& package, std::size_t count) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> visited;
    for (std::size_t n = 0; n < count; ++n) {
      package.AccessSegment();
      const double* d = package.SegmentData();
      if (d == nullptr) break;
      const std::uint32_t s = package.CurrentSegment();
      for (std::uint32_t k = 0; k < package.UsedElements(); ++k)
        if (d[k] != value(s, k)) {
          ADD_FAILURE() << "segment " << s << " element " << k;
          return visited;
        }
      visited.emplace_back(s, package.UsedElements());
    }
    return visited;
  }

  std::uint32_t page_ = 0;
};

using Visits = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

TEST_F(SegmentedPackage, TheRecordTakesItsPageWordsAndSegmentsGrowByWholePages) {
  opr_DoubleSegmentedPkg_Rcd record;
  EXPECT_EQ(record.w[12], 1u);
  record.Allocate(4, 10);
  EXPECT_EQ(record.w[0], 4u);
  EXPECT_EQ(record.w[9], page_);
  EXPECT_EQ(1u << record.w[10], page_ / 8);
  EXPECT_EQ(record.w[11], 100u);
  EXPECT_EQ(record.w[12], 3u);
  opr_UIntSegmentedPkg_Rcd unsignedRecord;
  unsignedRecord.Allocate(4, 10);
  EXPECT_EQ(1u << unsignedRecord.w[10], page_ / 4);

  opr_DoubleSegmentedPkg package(record, sdb_FolderNames::sol, opr_SegmentedPkg::writing);
  ASSERT_NE(package.CreateSegment(10), nullptr);
  EXPECT_EQ(record.w[7], 100 * page_ / 8);  // 51200 with 4096-byte pages
  ASSERT_NE(package.CreateSegment(60000), nullptr);
  const std::uint32_t doubled = 2 * 100 * page_ / 8;
  EXPECT_EQ(record.w[7], std::max(doubled, (60000 + page_ / 8 - 1) / (page_ / 8) * (page_ / 8)));
}

TEST_F(SegmentedPackage, AStoredPackageReadsBackForwardsAndBackwards) {
  opr_DoubleSegmentedPkg_Rcd record;
  record.Allocate(4, 1000);
  const std::vector<std::uint32_t> lengths = {1000, 60000, 7};
  {
    opr_DoubleSegmentedPkg package(record, sdb_FolderNames::opr, opr_SegmentedPkg::writing);
    writeSegments(package, lengths);
    package.IndexArea()[1] = 42;  // the caller's index word of entry 0
  }
  EXPECT_EQ(record.w[12], 2u);
  EXPECT_EQ(record.w[2], 3u);
  EXPECT_EQ(record.w[8], 61007u);
  {
    opr_DoubleSegmentedPkg forward(record, sdb_FolderNames::opr, opr_SegmentedPkg::reading);
    EXPECT_EQ(readAll(forward, 4), (Visits{{0, 1000}, {1, 60000}, {2, 7}}));
    EXPECT_EQ(forward.TotalElements(), 61007u);
  }
  opr_DoubleSegmentedPkg backward(record, sdb_FolderNames::opr, opr_SegmentedPkg::reading);
  backward.SetDirection(-1);
  EXPECT_EQ(backward.AccessSegment(), 42u);
  EXPECT_EQ(backward.CurrentSegment(), 2u);
  EXPECT_EQ(readAll(backward, 3), (Visits{{1, 60000}, {0, 1000}}));
  EXPECT_EQ(gettheSdbManager()->GetFolder(sdb_FolderNames::opr)->Handler().Requests().Count(), 0);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(SegmentedPackage, ReadingBackwardsReadsTheSegmentBeforeAhead) {
  opr_DoubleSegmentedPkg_Rcd record;
  record.Allocate(4, 10);
  {
    opr_DoubleSegmentedPkg package(record, sdb_FolderNames::opr, opr_SegmentedPkg::writing);
    writeSegments(package, {10, 20, 30});
  }
  opr_DoubleSegmentedPkg backward(record, sdb_FolderNames::opr, opr_SegmentedPkg::reading);
  backward.SetDirection(-1);
  backward.AccessSegment();
  EXPECT_EQ(backward.CurrentSegment(), 2u);
  // The next read started fails: segment 1 is already on its way, so the read of segment 0 takes it.
  zmxrt_testing::injectTransferFault({false, 0, 0, EIO});
  backward.AccessSegment();
  EXPECT_EQ(backward.CurrentSegment(), 1u);
  ASSERT_NE(backward.SegmentData(), nullptr);
  EXPECT_EQ(backward.SegmentData()[19], value(1, 19));
  zmxrt_testing::clearTransferFaults();
  backward.AccessSegment();  // its read-ahead, started while on 1, failed
  EXPECT_EQ(backward.CurrentSegment(), 0u);
  EXPECT_EQ(backward.SegmentData(), nullptr);
  EXPECT_TRUE(eqc_testing::printed("I/O ERROR On SOLVER FILE .opr. UNKNOWN ERROR 5 DURING READ."));
}

// Switching a package, or its folder, to the file cache waits for the read-ahead under way; one
// that came back short is reported and dropped, and the reads after the switch are whole.
TEST_F(SegmentedPackage, SwitchingToTheFileCacheWaitsForTheReadAheadAndReadsOnWhole) {
  static constexpr const char* kShortReadAhead =
      "shr_sdb_AsyncIOHandler::UseFileCache - I/O error in read slots - contact your VELTRO agent";
  opr_DoubleSegmentedPkg_Rcd record;
  record.Allocate(4, 1000);
  {
    opr_DoubleSegmentedPkg package(record, sdb_FolderNames::opr, opr_SegmentedPkg::writing);
    writeSegments(package, {1000, 2000, 3000});
  }
  opr_DoubleSegmentedPkg forward(record, sdb_FolderNames::opr, opr_SegmentedPkg::reading);
  // The table is read first; the read-ahead of segment 1 comes back short.
  zmxrt_testing::injectTransferFault({false, 1, 100, 0});
  forward.AccessSegment();
  ASSERT_NE(forward.SegmentData(), nullptr);
  EXPECT_EQ(forward.SegmentData()[999], value(0, 999));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  forward.UseFileCache();
  EXPECT_TRUE(eqc_testing::printed(kShortReadAhead));
  EXPECT_EQ(readAll(forward, 3), (Visits{{1, 2000}, {2, 3000}}));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);

  sdb_RegularFolder* folder = gettheSdbManager()->GetFolder(sdb_FolderNames::scr);
  const sdb_SULong address = folder->Allocate(page_, page_);
  const auto bytes = pattern(address.Value(), page_);
  void* buffer = folder->Map(sdb_WriteNew, address, page_);
  std::memcpy(buffer, bytes.data(), page_);
  folder->UnMap(sdb_WriteNew, address, page_, buffer);
  zmxrt_testing::injectTransferFault({false, 0, 100, 0});
  folder->ReadAhead(address, page_);
  folder->UseFileCache();
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);
  buffer = folder->Map(sdb_Read, address, page_);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(std::memcmp(buffer, bytes.data(), page_), 0);
  folder->UnMap(sdb_Read, address, page_, buffer);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);
}

TEST_F(SegmentedPackage, AWriterThatTurnsReadsItsOwnSegmentsAndStillStoresItsTotals) {
  opr_DoubleSegmentedPkg_Rcd record;
  record.Allocate(2, 100);
  const std::vector<std::uint32_t> lengths = {300, 70000, 5, 9, 1};  // more segments than foreseen
  {
    opr_DoubleSegmentedPkg package(record, sdb_FolderNames::opr, opr_SegmentedPkg::writing);
    writeSegments(package, lengths);
    package.SetDirection(-1);
    EXPECT_EQ(readAll(package, 5), (Visits{{4, 1}, {3, 9}, {2, 5}, {1, 70000}, {0, 300}}));
  }
  EXPECT_EQ(record.w[12], 2u);
  EXPECT_EQ(record.w[2], 5u);
  EXPECT_EQ(record.w[8], 70315u);
  opr_DoubleSegmentedPkg reader(record, sdb_FolderNames::opr, opr_SegmentedPkg::reading);
  EXPECT_EQ(readAll(reader, 6), (Visits{{0, 300}, {1, 70000}, {2, 5}, {3, 9}, {4, 1}}));
}

TEST_F(SegmentedPackage, AModifyReaderWritesItsSegmentsBack) {
  opr_DoubleSegmentedPkg_Rcd record;
  record.Allocate(4, 10);
  {
    opr_DoubleSegmentedPkg package(record, sdb_FolderNames::opr, opr_SegmentedPkg::writing);
    writeSegments(package, {10, 20});
  }
  {
    opr_DoubleSegmentedPkg modify(record, sdb_FolderNames::opr, opr_SegmentedPkg::readingWithWriteBack);
    modify.AccessSegment();
    modify.SegmentData()[3] = -3;
    modify.AccessSegment();
    modify.SegmentData()[19] = -19;
  }
  opr_DoubleSegmentedPkg reader(record, sdb_FolderNames::opr, opr_SegmentedPkg::reading);
  reader.AccessSegment();
  EXPECT_EQ(reader.SegmentData()[3], -3);
  reader.AccessSegment();
  EXPECT_EQ(reader.SegmentData()[19], -19);
  reader.AccessSegment();  // past the last segment
  EXPECT_EQ(reader.SegmentData(), nullptr);
}

TEST_F(SegmentedPackage, TheElementOperatorKeepsFourPackagesInItsRecord) {
  opr_ElementOperator_Rcd record;
  record.unsignedPackage.Allocate(2, 10);
  for (auto& r : record.doublePackage) r.Allocate(2, 10);
  {
    opr_ElementOperator op(record, opr_SegmentedPkg::writing, opr_SegmentedPkg::writing);
    std::uint32_t* u = op.UnsignedPackage().CreateSegment(3);
    ASSERT_NE(u, nullptr);
    u[0] = 7;
    u[2] = 9;
    for (int k = 0; k < 3; ++k) {
      double* d = op.DoublePackage(k).CreateSegment(k + 1);
      ASSERT_NE(d, nullptr);
      d[k] = 10.0 * (k + 1);
    }
  }
  const auto* words = reinterpret_cast<const std::uint32_t*>(&record);
  for (int p = 0; p < 4; ++p) EXPECT_EQ(words[13 + 13 * p + 12], 2u) << p;
  EXPECT_EQ(words[13 + 8], 3u);
  EXPECT_EQ(words[52 + 8], 3u);
  opr_ElementOperator op(record, opr_SegmentedPkg::reading, opr_SegmentedPkg::readingWithWriteBack);
  op.UnsignedPackage().AccessSegment();
  EXPECT_EQ(op.UnsignedPackage().SegmentData()[2], 9u);
  for (int k = 0; k < 3; ++k) {
    op.DoublePackage(k).AccessSegment();
    ASSERT_NE(op.DoublePackage(k).SegmentData(), nullptr);
    EXPECT_EQ(op.DoublePackage(k).SegmentData()[k], 10.0 * (k + 1));
    EXPECT_EQ(op.DoublePackage(k).UsedElements(), static_cast<std::uint32_t>(k + 1));
  }
}

TEST_F(SegmentedPackage, UnsignedPackagesReadWithoutWriteBackAndTypeThreeDiffersByKind) {
  opr_UIntSegmentedPkg_Rcd unsignedRecord;
  opr_DoubleSegmentedPkg_Rcd doubleRecord;
  unsignedRecord.Allocate(2, 10);
  doubleRecord.Allocate(2, 10);
  {
    opr_UIntSegmentedPkg u(unsignedRecord, sdb_FolderNames::opr, opr_SegmentedPkg::writing);
    opr_DoubleSegmentedPkg d(doubleRecord, sdb_FolderNames::opr, opr_SegmentedPkg::writing);
    for (std::uint32_t s = 0; s < 2; ++s) {
      u.CreateSegment(4)[0] = 100 + s;
      d.CreateSegment(4)[0] = 100.0 + s;
    }
  }
  {
    opr_UIntSegmentedPkg modify(unsignedRecord, sdb_FolderNames::opr, opr_SegmentedPkg::readingWithWriteBack);
    modify.AccessSegment();
    modify.SegmentData()[0] = 7;  // an unsigned package always maps its segments for reading
  }
  opr_UIntSegmentedPkg u(unsignedRecord, sdb_FolderNames::opr, opr_SegmentedPkg::accessType3);
  u.AccessSegment();
  EXPECT_EQ(u.SegmentData()[0], 100u);
  u.AccessSegment();  // type 3 reads on like type 0
  EXPECT_EQ(u.SegmentData()[0], 101u);
  opr_DoubleSegmentedPkg d(doubleRecord, sdb_FolderNames::opr, opr_SegmentedPkg::accessType3);
  d.AccessSegment();
  d.AccessSegment();  // a double package of type 3 goes back to its first segment every time
  EXPECT_EQ(d.CurrentSegment(), 0u);
  EXPECT_EQ(d.SegmentData()[0], 100.0);
}

TEST_F(SegmentedPackage, AnUnreadablePackageOrAWriteOnAReaderIsRefused) {
  opr_DoubleSegmentedPkg_Rcd record;
  record.Allocate(1, 10);
  opr_DoubleSegmentedPkg reader(record, sdb_FolderNames::opr, opr_SegmentedPkg::reading);
  EXPECT_EQ(reader.CreateSegment(5), nullptr);
  EXPECT_EQ(reader.AccessSegment(), 0u);
  EXPECT_EQ(reader.SegmentData(), nullptr);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN opr_SegmentedPkg::CreateSegment - THE PACKAGE IS NOT WRITING"));
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN opr_SegmentedPkg::AccessSegment - THE PACKAGE HAS NOT BEEN STORED"));
  // A segment longer than any a folder's 32-bit sizes can hold.
  opr_DoubleSegmentedPkg writer(record, sdb_FolderNames::opr, opr_SegmentedPkg::writing);
  EXPECT_EQ(writer.CreateSegment(0xFFFFFFFFu), nullptr);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN opr_SegmentedPkg::CreateSegment - SEGMENT LENGTH LIMIT EXCEEDED"));
}

// A stored package whose record words or stored table are damaged: the table and every segment
// it names must lie in what the folder has written, so the reader maps nothing it never wrote
// and asks for no memory the damage names. Damaged record words are tried in a bounded child;
// a damaged table in this process (a child has no transfer workers of the folder's files).
TEST_F(SegmentedPackage, ADamagedStoredPackageIsRefusedBeforeAnythingIsMapped) {
  opr_DoubleSegmentedPkg_Rcd stored;
  stored.Allocate(4, 1000);
  {
    opr_DoubleSegmentedPkg package(stored, sdb_FolderNames::opr, opr_SegmentedPkg::writing);
    writeSegments(package, {1000, 600, 7});
  }
  const auto refused = [](opr_DoubleSegmentedPkg_Rcd& record) {
    eqc_testing::clearMessages();
    opr_DoubleSegmentedPkg reader(record, sdb_FolderNames::opr, opr_SegmentedPkg::reading);
    reader.AccessSegment();
    return (reader.SegmentData() == nullptr ? 0 : 1) | (eqc_testing::countAtLevel(-3) > 0 ? 0 : 2);
  };
  struct Damage {
    int word;
    std::uint32_t value;
  };
  // Record words: 1 index entries used, 2 segments, 5 and 6 the table's address.
  for (const Damage d : {Damage{2, 0xFFFFFFFFu}, Damage{2, 1u << 30}, Damage{2, 4}, Damage{1, 0xFFFFFFFFu},
                         Damage{1, 6}, Damage{6, 0xFFFFFFF0u}, Damage{5, 1}}) {
    const int code = zmxtest::runInBoundedChild([&] {
      opr_DoubleSegmentedPkg_Rcd record = stored;
      record.w[d.word] = d.value;
      return refused(record);
    });
    EXPECT_EQ(code, 0) << "record word " << d.word << " = " << d.value << " (1 mapped, 2 no message)";
  }
  {  // more index entries in use than the table holds, also refused in this process
    opr_DoubleSegmentedPkg_Rcd record = stored;
    record.w[1] = 6;
    EXPECT_EQ(refused(record), 0);
    EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN opr_SegmentedPkg::AccessSegment - THE STORED PACKAGE IS DAMAGED"));
  }
  // Table words 10 to 18 hold the entries (address high, low, length) of the three segments.
  sdb_RegularFolder* folder = gettheSdbManager()->GetFolder(sdb_FolderNames::opr);
  const sdb_SULong table(stored.w[6], stored.w[5]);
  const std::size_t tableBytes = (2 * 4 + 2 + 3 * 3) * 4;
  const auto setTableWord = [&](int word, std::uint32_t value) {
    auto* words = static_cast<std::uint32_t*>(folder->Map(sdb_Modify, table, tableBytes));
    const std::uint32_t before = words[word];
    words[word] = value;
    folder->UnMap(sdb_WriteNew, table, tableBytes, words);
    return before;
  };
  for (const Damage d : {Damage{12, 0xFFFFFFFFu}, Damage{12, 1u << 28}, Damage{10, 0xFFFF}, Damage{11, 0xFFFFFFF0u},
                         Damage{18, 1u << 27}}) {
    const std::uint32_t before = setTableWord(d.word, d.value);
    opr_DoubleSegmentedPkg_Rcd record = stored;
    EXPECT_EQ(refused(record), 0) << "table word " << d.word << " = " << d.value << " (1 mapped, 2 no message)";
    setTableWord(d.word, before);
  }
  opr_DoubleSegmentedPkg reader(stored, sdb_FolderNames::opr, opr_SegmentedPkg::reading);
  EXPECT_EQ(readAll(reader, 4), (Visits{{0, 1000}, {1, 600}, {2, 7}}));
}

}  // namespace
