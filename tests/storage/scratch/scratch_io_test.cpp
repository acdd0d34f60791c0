// The overlapped I/O handler of a folder: write-behind, read-ahead, blocking reads, spill-file
// boundaries, large transfers and failures.
#include <cerrno>
#include <filesystem>
#include <memory>

#include "tests/storage/scratch/scratch_fixture.h"
#include "tests/storage/units/lost_descriptor.h"

namespace {

using zmxtest::ScratchDb;

constexpr std::uint32_t kMiB = 1u << 20;

class ScratchIo : public ScratchDb {
 protected:
  std::unique_ptr<shr_sdb_AsyncIOHandler> handler(std::vector<std::uint32_t> sizes = {}) {
    sizes_ = std::move(sizes);
    return std::make_unique<shr_sdb_AsyncIOHandler>("job", 1, static_cast<unsigned>(sizes_.size()), directories_,
                                                    sizes_.data(), "opr");
  }

  static void write(shr_sdb_AsyncIOHandler& h, std::uint64_t address, const std::vector<unsigned char>& bytes) {
    ASSERT_EQ(h.Write(sdb_SULong::FromValue(address), bytes.size(), bytes.data()), bytes.size());
  }

  static std::vector<unsigned char> read(shr_sdb_AsyncIOHandler& h, std::uint64_t address, std::size_t size) {
    std::vector<unsigned char> bytes(size, 0xEE);
    if (h.Read(sdb_SULong::FromValue(address), size, bytes.data()) != size) bytes.clear();
    return bytes;
  }

  // Changes bytes of a spill file behind the handler's back.
  static void overwrite(const std::string& name, std::uint64_t offset, const std::vector<unsigned char>& bytes) {
    std::fstream file(name, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  const char* directories_[1] = {""};
  std::vector<std::uint32_t> sizes_;
};

TEST_F(ScratchIo, AWriteFreesTheBufferAtOnceAndAReadOfItsBytesGetsThem) {
  auto h = handler();
  std::vector<unsigned char> bytes = pattern(0, 10);
  const auto expected = bytes;
  write(*h, 0, bytes);
  std::fill(bytes.begin(), bytes.end(), 0);  // the caller's buffer is its own again
  EXPECT_EQ(read(*h, 0, 10), expected);
  EXPECT_TRUE(h->CompleteWrite());
  EXPECT_EQ(std::filesystem::file_size("job.opr"), 10u);  // exactly the bytes written
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(ScratchIo, APartialSectorWriteKeepsTheRestOfTheSector) {
  auto h = handler();
  const auto whole = pattern(0, 1024, 1);
  write(*h, 0, whole);
  const auto part = pattern(0, 10, 2);
  write(*h, 100, part);
  auto expected = whole;
  std::copy(part.begin(), part.end(), expected.begin() + 100);
  EXPECT_EQ(read(*h, 0, 1024), expected);
  EXPECT_EQ(read(*h, 100, 10), part);  // an address off a sector boundary reads as well
  // Both transfers off a sector boundary were reported, and went ahead.
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);
  EXPECT_TRUE(eqc_testing::printed("shr_sdb_AsyncIOHandler::SetFileOffset - alignment error - contact your VELTRO agent"));
}

TEST_F(ScratchIo, ReadAheadHitsStartTheNextQueuedWishAndMissesDropTheirs) {
  auto h = handler();
  const auto a = pattern(0, 8192), b = pattern(8192, 4096), c = pattern(16384, 4096), d = pattern(20480, 4096);
  write(*h, 0, a);
  write(*h, 8192, b);
  write(*h, 16384, c);
  write(*h, 20480, d);
  ASSERT_TRUE(h->CompleteWrite());
  h->ReadAhead(sdb_SULong(0), 8192);      // under way
  h->ReadAhead(sdb_SULong(8192), 4096);   // one read-ahead at a time: queued
  h->ReadAhead(sdb_SULong(16384), 4096);  // queued
  h->ReadAhead(sdb_SULong(16384), 4096);  // a duplicate wish is ignored, the process goes on
  h->ReadAhead(sdb_SULong(0), 8192);      // so is a wish for the read-ahead under way
  EXPECT_EQ(h->Requests().Count(), 2);
  // A miss drops its wish and reads the file as it is now, changed behind the handler.
  const auto changed = pattern(8192, 4096, 7);
  overwrite("job.opr", 8192, changed);
  EXPECT_EQ(read(*h, 8192, 4096), changed);
  EXPECT_EQ(h->Requests().Count(), 1);
  EXPECT_EQ(read(*h, 0, 8192), a);  // hit; the queued wish starts
  EXPECT_EQ(h->Requests().Count(), 0);
  h->ReadAhead(sdb_SULong(20480), 4096);  // queued behind c
  EXPECT_EQ(h->Requests().Count(), 1);
  EXPECT_EQ(read(*h, 20480, 4096), d);  // miss: its wish is dropped
  EXPECT_EQ(h->Requests().Count(), 0);
  EXPECT_EQ(read(*h, 16384, 4096), c);  // the read-ahead under way stayed under way
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  h->ReadAhead(sdb_SULong(0), 4096);
  EXPECT_EQ(read(*h, 0, 8192), a);  // larger than the read-ahead it meets: reported, served as a miss
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_TRUE(eqc_testing::printed("shr_sdb_AsyncIOHandler::Read - I/O error with read ahead - contact your VELTRO agent"));
  EXPECT_EQ(read(*h, 0, 4096), std::vector<unsigned char>(a.begin(), a.begin() + 4096));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
}

TEST_F(ScratchIo, AWriteInvalidatesReadAheadsAndWishesOfItsBytes) {
  auto h = handler();
  write(*h, 0, pattern(0, 4096, 1));
  write(*h, 4096, pattern(4096, 4096, 1));
  write(*h, 8192, pattern(8192, 4096, 1));
  h->ReadAhead(sdb_SULong(0), 4096);
  h->ReadAhead(sdb_SULong(4096), 4096);
  const auto fresh0 = pattern(0, 100, 9), fresh1 = pattern(4096, 4096, 9);
  write(*h, 50, fresh0);    // overlaps the read-ahead under way
  write(*h, 4096, fresh1);  // overlaps the queued wish
  EXPECT_EQ(h->Requests().Count(), 0);
  auto expected0 = pattern(0, 4096, 1);
  std::copy(fresh0.begin(), fresh0.end(), expected0.begin() + 50);
  EXPECT_EQ(read(*h, 0, 4096), expected0);
  EXPECT_EQ(read(*h, 4096, 4096), fresh1);
  // A wish made while a write of its bytes is pending, started later, reads the new bytes.
  const auto fresh2 = pattern(0, 4096, 5);
  write(*h, 0, fresh2);
  h->ReadAhead(sdb_SULong(8192), 4096);
  h->ReadAhead(sdb_SULong(0), 4096);
  EXPECT_EQ(read(*h, 8192, 4096), pattern(8192, 4096, 1));
  EXPECT_EQ(read(*h, 0, 4096), fresh2);
}

TEST_F(ScratchIo, AWishForTheReadAheadUnderWayStartsNoSecondRead) {
  auto h = handler();
  const auto a = pattern(0, 4096), y = pattern(4096, 4096), x = pattern(8192, 4096), c = pattern(12288, 4096);
  for (std::uint64_t k = 0; k < 4; ++k) write(*h, 4096 * k, pattern(4096 * k, 4096));
  h->ReadAhead(sdb_SULong(4096), 4096);  // under way
  h->ReadAhead(sdb_SULong(8192), 4096);  // queued
  write(*h, 0, a);                       // shares no byte with either: both stay
  EXPECT_EQ(h->Requests().Count(), 1);
  // A read started now would take this fault: the wish for the bytes under way starts none.
  zmxrt_testing::injectTransferFault({false, 0, 0, EIO});
  h->ReadAhead(sdb_SULong(4096), 4096);
  EXPECT_TRUE(read(*h, 12288, 4096).empty());  // the blocking read took the fault
  EXPECT_EQ(read(*h, 4096, 4096), y);          // hit: the queued wish starts
  EXPECT_EQ(h->Requests().Count(), 0);
  EXPECT_EQ(read(*h, 8192, 4096), x);
  EXPECT_EQ(read(*h, 12288, 4096), c);
  EXPECT_EQ(read(*h, 0, 4096), a);
}

TEST_F(ScratchIo, RequestsEndingAtAFileEndUseThatFileAndTheNextAddressTheNextFile) {
  auto h = handler({kMiB});
  write(*h, kMiB - 4096, pattern(kMiB - 4096, 4096));
  write(*h, kMiB, pattern(kMiB, 4096));
  write(*h, 3 * kMiB, pattern(3 * kMiB, 512));
  EXPECT_TRUE(h->CompleteWrite());
  EXPECT_EQ(std::filesystem::file_size("job.opr"), kMiB);
  EXPECT_EQ(std::filesystem::file_size("job.opr.1"), 4096u);
  EXPECT_EQ(std::filesystem::file_size("job.opr.3"), 512u);
  EXPECT_EQ(read(*h, kMiB - 4096, 4096), pattern(kMiB - 4096, 4096));
  EXPECT_EQ(read(*h, kMiB, 4096), pattern(kMiB, 4096));
  // A request across a file end is refused: its bytes would land in the wrong file.
  const auto across = pattern(0, 8192);
  EXPECT_EQ(h->Write(sdb_SULong(kMiB - 4096), across.size(), across.data()), 0u);
  EXPECT_TRUE(eqc_testing::printed("shr_sdb_AsyncIOHandler::SetFileOffset - I/O internal error - contact your VELTRO agent"));
  EXPECT_EQ(read(*h, kMiB - 4096, 4096), pattern(kMiB - 4096, 4096));
  // However far an address lies, its file is found at once: 2^42 bytes on is file 2^22.
  write(*h, std::uint64_t{1} << 42, pattern(0, 512));
  EXPECT_EQ(read(*h, std::uint64_t{1} << 42, 512), pattern(0, 512));
  EXPECT_TRUE(std::filesystem::exists("job.opr." + std::to_string(1u << 22)));
  // A request that would run past the last address is refused.
  EXPECT_TRUE(read(*h, sdb_SULong::Invalid().Value(), 512).empty());
}

TEST_F(ScratchIo, TransfersOver40MiBAreCutIntoPiecesAlsoAbove4GiB) {
  auto h = handler();
  // Sector-aligned inside file 2 of 2147483647 bytes, above 4 GiB.
  const std::uint64_t address = 2 * std::uint64_t{2147483647} + 8192;
  ASSERT_GT(address, std::uint64_t{1} << 32);
  const std::size_t size = 100 * std::size_t{kMiB};
  const auto bytes = pattern(address, size);
  // Three pieces: a fault that lets two writes through hits the third one...
  zmxrt_testing::injectTransferFault({true, 2, 0, EIO});
  write(*h, address, bytes);
  EXPECT_FALSE(h->CompleteWrite());
  EXPECT_TRUE(eqc_testing::printed("I/O ERROR On SOLVER FILE .opr. UNKNOWN ERROR 5 DURING WRITE. EXECUTION TERMINATED."));
  // ... and one that lets three through is never reached.
  eqc_testing::clearMessages();
  zmxrt_testing::injectTransferFault({true, 3, 0, EIO});
  write(*h, address, bytes);
  EXPECT_TRUE(h->CompleteWrite());
  zmxrt_testing::clearTransferFaults();
  EXPECT_TRUE(read(*h, address, size) == bytes);
  EXPECT_EQ(std::filesystem::file_size("job.opr.2"), address - 2 * std::uint64_t{2147483647} + size);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(ScratchIo, AWriteThatRunsOutOfSpaceHalfwayIsReportedAndCorruptsNothingElse) {
  auto h = handler();
  const auto before = pattern(0, 65536, 1);
  write(*h, 0, before);
  zmxrt_testing::injectTransferFault({true, 0, 32768, ENOSPC});
  write(*h, 65536, pattern(65536, 65536, 2));  // handed over: its failure is news for later
  EXPECT_TRUE(read(*h, 65536, 65536).empty());  // a read of its bytes fails
  EXPECT_TRUE(eqc_testing::printed("I/O ERROR ON SOLVER FILE .opr. OUT OF DISK SPACE. EXECUTION TERMINATED."));
  EXPECT_EQ(read(*h, 0, 65536), before);

  zmxrt_testing::injectTransferFault({true, 0, 100, EDQUOT});
  write(*h, 131072, pattern(131072, 4096));
  const auto next = pattern(0, 4096, 3);
  EXPECT_EQ(h->Write(sdb_SULong(196608), next.size(), next.data()), 0u);  // the failure before it
  EXPECT_EQ(read(*h, 0, 65536), before);

  // A read waits for a write after its bytes in the same file; that write's failure stays news
  // for the writer.
  zmxrt_testing::injectTransferFault({true, 0, 100, EDQUOT});
  write(*h, 262144, pattern(262144, 4096));
  EXPECT_EQ(read(*h, 0, 65536), before);
  EXPECT_FALSE(h->CompleteWrite());
  EXPECT_TRUE(h->CompleteWrite());
  // The same for a write handed over: the next one hands over the news.
  std::vector<void*> back;
  const auto handOver = [&](std::uint64_t at) {
    void* allocation = std::calloc(1, 4096);
    std::size_t allocated = 4096;
    const std::size_t written = h->WriteHandingOver(sdb_SULong::FromValue(at), 4096, allocation, allocation, allocated);
    back.push_back(allocation);
    return written;
  };
  zmxrt_testing::injectTransferFault({true, 0, 100, EDQUOT});
  EXPECT_EQ(handOver(327680), 4096u);
  EXPECT_EQ(read(*h, 0, 65536), before);
  EXPECT_EQ(handOver(331776), 0u);
  EXPECT_EQ(back[0], nullptr);
  for (void* allocation : back) std::free(allocation);
}

TEST_F(ScratchIo, AShortReadIsReportedAndFails) {
  auto h = handler();
  write(*h, 0, pattern(0, 8192));
  EXPECT_TRUE(h->CompleteWrite());
  zmxrt_testing::injectTransferFault({false, 0, 100, 0});
  EXPECT_TRUE(read(*h, 0, 8192).empty());
  EXPECT_TRUE(eqc_testing::printed("shr_sdb_AsyncIOHandler::Read - I/O error with blocking read sizes - contact your VELTRO agent"));
  zmxrt_testing::injectTransferFault({false, 0, 100, 0});
  h->ReadAhead(sdb_SULong(0), 8192);
  EXPECT_TRUE(read(*h, 0, 8192).empty());
  EXPECT_TRUE(eqc_testing::printed("shr_sdb_AsyncIOHandler::Read - I/O error with read sizes - contact your VELTRO agent"));
  zmxrt_testing::injectTransferFault({false, 0, 0, EIO});
  EXPECT_TRUE(read(*h, 0, 512).empty());
  EXPECT_TRUE(eqc_testing::printed("I/O ERROR On SOLVER FILE .opr. UNKNOWN ERROR 5 DURING READ. EXECUTION TERMINATED. CONTACT YOUR VELTRO AGENT."));
  EXPECT_EQ(read(*h, 0, 8192), pattern(0, 8192));  // the bytes themselves are whole
}

TEST_F(ScratchIo, EachShortTransferIsReportedWithTheTextOfWhereItIsFound) {
  const auto bytes = pattern(0, 8192);
  auto expect = [](const char* where) {
    EXPECT_TRUE(eqc_testing::printed(std::string("shr_sdb_AsyncIOHandler::") + where + " - contact your VELTRO agent"))
        << where;
    eqc_testing::clearMessages();
  };
  auto h = handler();
  zmxrt_testing::injectTransferFault({true, 0, 100, 0});
  write(*h, 0, bytes);
  h->ReadAhead(sdb_SULong(0), 4096);  // waits for the write of its bytes
  expect("HandleConflictingWrite - size error");
  zmxrt_testing::injectTransferFault({true, 0, 100, 0});
  write(*h, 0, bytes);
  EXPECT_EQ(h->Write(sdb_SULong(8192), bytes.size(), bytes.data()), 0u);  // the write before it failed
  expect("Write - I/O error with write sizes in clear");
  ASSERT_TRUE(h->CompleteWrite());
  h->ReadAhead(sdb_SULong(0), 4096);
  h->ReadAhead(sdb_SULong(0), 8192);  // more than the read-ahead under way
  expect("ReadAhead - I/O error in sizes");
  auto hit = read(*h, 0, 4096);  // only 100 bytes of each short write reached the file
  ASSERT_EQ(hit.size(), 4096u);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 100, hit.begin()));
  EXPECT_EQ(hit[100], 0);
  zmxrt_testing::injectTransferFault({false, 0, 100, 0});
  h->ReadAhead(sdb_SULong(4096), 4096);
  h->UseFileCache();
  expect("UseFileCache - I/O error in read slots");
  read(*h, 4096, 4096);  // frees the read-ahead slot
  // A write to the next spill file, which the read-ahead does not wait for.
  zmxrt_testing::injectTransferFault({true, 0, 100, 0});
  write(*h, 2147483647, bytes);
  zmxrt_testing::injectTransferFault({false, 0, 100, 0});
  h->ReadAhead(sdb_SULong(0), 4096);
  h.reset();
  EXPECT_TRUE(eqc_testing::printed(
      "shr_sdb_AsyncIOHandler::~shr_sdb_AsyncIOHandler - I/O error in write slots - contact your VELTRO agent"));
  expect("~shr_sdb_AsyncIOHandler - I/O error in read slots");

  directories_[0] = "no-such-directory/";
  auto lost = handler();
  EXPECT_EQ(lost->Write(sdb_SULong(0), bytes.size(), bytes.data()), 0u);
  EXPECT_TRUE(eqc_testing::printed("Async I/O ERROR WHEN OPENING SOLVER FILE .opr IN DIRECTORY no-such-directory/: " +
                                   zmxrt::systemErrorText(ENOENT)));
}

// Bytes never written inside a spill file read as zeros; a read that runs past the file's end
// is short: reported and failed, also when a write that lengthens the file is still under way.
TEST_F(ScratchIo, AReadPastTheEndOfASpillFileIsReportedAndFails) {
  auto h = handler();
  write(*h, 0, pattern(0, 512));
  write(*h, 8192, pattern(8192, 10));
  EXPECT_EQ(read(*h, 4096, 2048), std::vector<unsigned char>(2048, 0));
  EXPECT_EQ(read(*h, 8192, 10), pattern(8192, 10));  // the file ends inside the sector read
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  const char* shortRead = "shr_sdb_AsyncIOHandler::Read - I/O error with blocking read sizes - contact your VELTRO agent";
  EXPECT_TRUE(read(*h, kMiB, 4096).empty());
  EXPECT_TRUE(eqc_testing::printed(shortRead));
  EXPECT_TRUE(read(*h, 8192, 11).empty());
  h->ReadAhead(sdb_SULong(kMiB), 4096);
  EXPECT_TRUE(read(*h, kMiB, 4096).empty());
  EXPECT_TRUE(eqc_testing::printed("shr_sdb_AsyncIOHandler::Read - I/O error with read sizes - contact your VELTRO agent"));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 3);
  // So is a read-ahead that ran short and was finished by the switch to the file cache.
  h->ReadAhead(sdb_SULong(kMiB), 4096);
  h->UseFileCache();
  EXPECT_TRUE(read(*h, kMiB, 4096).empty());
  // A lingering write after the bytes decides the file's end before they are read, also when a
  // read-ahead of them ran before the write landed: the bytes are then read again, unreported.
  zmxrt_testing::setWriteDelay(20000);
  write(*h, 2 * kMiB, pattern(0, 512));
  EXPECT_EQ(read(*h, kMiB, 4096), std::vector<unsigned char>(4096, 0));
  h->ReadAhead(sdb_SULong(3 * kMiB), 4096);
  write(*h, 4 * kMiB, pattern(0, 512));
  const int reported = eqc_testing::countAtLevel(-3);
  EXPECT_EQ(read(*h, 3 * kMiB, 4096), std::vector<unsigned char>(4096, 0));
  // A read-ahead past the end dropped by a write of its bytes reports nothing.
  h->ReadAhead(sdb_SULong(5 * kMiB), 4096);
  write(*h, 5 * kMiB, pattern(0, 4096));
  EXPECT_EQ(read(*h, 5 * kMiB, 4096), pattern(0, 4096));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), reported);
}

TEST_F(ScratchIo, UseFileCacheKeepsAFinishedReadAheadAndReopensTheReadFiles) {
  auto h = handler();
  write(*h, 0, pattern(0, 8192));
  h->ReadAhead(sdb_SULong(0), 4096);
  h->UseFileCache();
  EXPECT_EQ(read(*h, 0, 4096), pattern(0, 4096));
  EXPECT_EQ(read(*h, 4096, 4096), pattern(4096, 4096));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

// A spill file whose close fails is reported with the folder, the directory and the system's
// text, when the read files are switched to the file cache and when the handler goes.
TEST_F(ScratchIo, AFailedCloseOfASpillFileIsReported) {
  auto h = handler();
  write(*h, 0, pattern(0, 4096));
  ASSERT_TRUE(h->CompleteWrite());
  ASSERT_EQ(read(*h, 0, 4096), pattern(0, 4096));
  zmxtest::loseDescriptor(path("job.opr"));  // the write slot's and the read slot's
  const std::string text = "Async I/O ERROR WHEN CLOSING SOLVER FILE .opr IN DIRECTORY : " + zmxrt::systemErrorText(EBADF);
  h->UseFileCache();
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_TRUE(eqc_testing::printed(text));
  h.reset();
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);
}

TEST_F(ScratchIo, TheHandlerFinishesItsWriteBeforeItGoes) {
  {
    auto h = handler();
    write(*h, 0, pattern(0, 300000));
  }
  EXPECT_EQ(fileBytes("job.opr"), pattern(0, 300000));
}

TEST(ScratchRequestList, KeepsWishesOldestFirstThroughGrowthAndRemoval) {
  shr_sdb_AsyncIORequestList list;
  for (std::uint32_t k = 0; k < 9; ++k) ASSERT_TRUE(list.AddEntry(sdb_SULong(4096 * k), k + 1));
  EXPECT_FALSE(list.AddEntry(sdb_SULong(4096 * 3), 1));
  list.RemoveEntry(sdb_SULong(4096 * 4));
  list.RemoveOverlapping(sdb_SULong(4096 * 6), 4096 + 10);  // 6 and 7
  ASSERT_TRUE(list.AddEntry(sdb_SULong(1, 1), 50));          // above 4 GiB
  std::vector<std::uint64_t> order;
  sdb_SULong address;
  std::size_t size = 0;
  while (list.GetNextEntry(address, size) == 1) order.push_back(address.Value());
  EXPECT_EQ(order, (std::vector<std::uint64_t>{0, 4096, 8192, 12288, 20480, 32768, (std::uint64_t{1} << 32) + 1}));
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
