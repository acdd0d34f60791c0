// The scratch-database manager: the header page, reopening, locking, spill-file directories and
// sizes, allocation, mapped buffers and the failure reports.
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <new>

#include "siblings/eqc/memory_tally.h"
#include "tests/storage/scratch/scratch_fixture.h"

namespace {

using zmxtest::ScratchDb;

constexpr std::uint32_t kMiB = 1u << 20;

class ScratchManager : public ScratchDb {
 protected:
  sdb_Manager* create() {
    sdb_Manager* manager = sdb_Manager::CreateSdb();
    EXPECT_EQ(gettheSdbManager(), manager);
    return manager;
  }

  std::uint32_t headerWord(unsigned offset) const {
    std::uint32_t value = 0;
    std::memcpy(&value, gettheSdbManager()->Header() + offset, 4);
    return value;
  }

  static sdb_RegularFolder* folder(sdb_FolderNames name) { return gettheSdbManager()->GetFolder(name); }

  // Another program of the job moves folder scr on to nextFree in the header file.
  static void moveScrInTheFile(std::uint32_t nextFree) {
    std::vector<unsigned char> file = fileBytes("job.sdb");
    std::memcpy(file.data() + 68 + 16 * 3 + 4, &nextFree, 4);
    writeFile("job.sdb", file);
  }
};

// The header a new database must have, built here from the table of words.
std::vector<unsigned char> expectedNewHeader(std::uint32_t page, std::uint32_t sdbNextFree) {
  std::vector<unsigned char> bytes(page, 0);
  auto put = [&](unsigned offset, std::uint32_t value) { std::memcpy(bytes.data() + offset, &value, 4); };
  put(0, 1);
  put(4, page);
  put(8, 1);
  put(28, page);
  put(32, 1);
  put(36, 1);
  put(40, 52);
  put(44, 228);
  put(48, 724);
  put(52, 10);
  put(56, 1);
  put(68 + 16 * 1 + 4, sdbNextFree);  // folder sdb: next free (low word); file start 0
  put(228, 20);
  put(724, ((page - 756) >> 4) + 1);
  return bytes;
}

TEST_F(ScratchManager, ANewHeaderHoldsItsWordsByteForByteAndReachesTheFile) {
  sdb_Manager* manager = create();
  const std::uint32_t page = manager->GetPageSize();
  ASSERT_EQ(page, ntPageSize());
  const auto expected = expectedNewHeader(page, page);
  EXPECT_EQ(std::vector<unsigned char>(manager->Header(), manager->Header() + page), expected);
  if (page == 4096) {
    EXPECT_EQ(headerWord(724), 209u);
  }
  for (const char* extension : {".sdb", ".fct", ".opr", ".sol"})
    EXPECT_TRUE(std::filesystem::exists(std::string("job") + extension)) << extension;
  deletetheSdbManager();
  EXPECT_EQ(gettheSdbManager(), nullptr);
  EXPECT_EQ(validatetheSdbManager(), 0);
  EXPECT_EQ(fileBytes("job.sdb"), expected);
}

TEST_F(ScratchManager, ReopeningFindsWhatWasStoredAtClose) {
  create();
  const sdb_SULong first = folder(sdb_FolderNames::opr)->Allocate(100000, 1);
  void* buffer = folder(sdb_FolderNames::opr)->Map(sdb_WriteNew, first, 100000);
  const auto bytes = pattern(first.Value(), 100000);
  std::memcpy(buffer, bytes.data(), bytes.size());
  folder(sdb_FolderNames::opr)->UnMap(sdb_WriteNew, first, 100000, buffer);
  EXPECT_EQ(gettheSdbManager()->CreatePartition(sdb_FolderNames::opr), 0);
  const auto header = std::vector<unsigned char>(gettheSdbManager()->Header(), gettheSdbManager()->Header() + 4096);
  deletetheSdbManager();

  EXPECT_EQ(sdb_Manager::OpenSdb(), sdb_Manager_Opened);
  sdb_Manager* manager = gettheSdbManager();
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(manager->HeaderSize(), manager->GetPageSize());
  EXPECT_EQ(headerWord(24), 1u);   // next partition id
  EXPECT_EQ(headerWord(232), 1u);  // partitions created
  EXPECT_EQ(headerWord(8) & 1, 1u);  // written while dirty, read back as written
  // The reopened folder goes on after the space already handed out.
  const sdb_SULong next = folder(sdb_FolderNames::opr)->Allocate(10, 1);
  EXPECT_GE(next.Value(), first.Value() + 100000);
  void* back = folder(sdb_FolderNames::opr)->Map(sdb_Read, first, 100000);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(std::memcmp(back, bytes.data(), bytes.size()), 0);
  folder(sdb_FolderNames::opr)->UnMap(sdb_Read, first, 100000, back);
  (void)header;
}

TEST_F(ScratchManager, ReleaseLockWritesTheHeaderAndLockReadsItBack) {
  create();
  gettheSdbManager()->ReleaseLock();
  EXPECT_EQ(headerWord(8) & 1, 0u);              // clear in memory
  EXPECT_EQ(wordAt(fileBytes("job.sdb"), 8) & 1, 1u);  // set in the file, as written
  // An allocation after the release marks the header dirty again, so it reaches the file.
  const sdb_SULong address = folder(sdb_FolderNames::scr)->Allocate(5000, 1);
  EXPECT_EQ(headerWord(8) & 1, 1u);
  const std::uint64_t next = folder(sdb_FolderNames::scr)->NextFree().Value();
  EXPECT_EQ(next, address.Value() + 5000);

  // Another program of the job takes its turn and moves the folder on in the file ...
  const std::uint32_t moved = 1 << 20;
  moveScrInTheFile(moved);
  // ... which Lock takes over.
  gettheSdbManager()->Lock();
  EXPECT_EQ(folder(sdb_FolderNames::scr)->NextFree().Value(), moved);
  EXPECT_GE(folder(sdb_FolderNames::scr)->Allocate(1, 1).Value(), moved);
  deletetheSdbManager();
  EXPECT_EQ(sdb_Manager::OpenSdb(), sdb_Manager_Opened);
  EXPECT_GT(folder(sdb_FolderNames::scr)->NextFree().Value(), moved);
}

TEST_F(ScratchManager, OpeningABadOrMissingHeaderFailsCleanly) {
  const std::uint32_t page = ntPageSize();
  auto header = expectedNewHeader(page, page);
  struct Case {
    const char* what;
    unsigned offset;
    std::uint32_t value;
  };
  const Case cases[] = {{"header size past the page", 4, page + 4096},
                        {"header size too small", 4, 100}, {"issue capacity", 724, 4000},
                        {"partitions used", 232, 21},  {"folders used", 56, 11}};
  EXPECT_EQ(sdb_Manager::SetJump(), 0);  // armed: the open's status comes back from OpenSdb
  EXPECT_EQ(sdb_Manager::OpenSdb(), sdb_Manager_CannotOpen);  // no header file at all
  EXPECT_EQ(gettheSdbManager(), nullptr);
  EXPECT_EQ(newtheSdbManager(), nullptr);
  writeFile("job.sdb", {});
  EXPECT_EQ(sdb_Manager::OpenSdb(), sdb_Manager_CannotOpen);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN sdb_Manager::sdb_Manager - THE SCRATCH DATABASE HEADER IS NOT VALID"));
  for (const Case& c : cases) {
    auto bad = header;
    std::memcpy(bad.data() + c.offset, &c.value, 4);
    writeFile("job.sdb", bad);
    eqc_testing::clearMessages();
    EXPECT_EQ(sdb_Manager::OpenSdb(), sdb_Manager_CannotOpen) << c.what;
    EXPECT_EQ(gettheSdbManager(), nullptr) << c.what;
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 1) << c.what;
  }
  writeFile("job.sdb", header);
  EXPECT_NE(newtheSdbManager(), nullptr);
}

// The first word is written as 1 and never tested: a header holding 0 or 2 there opens, and Lock
// takes it over, with everything the header holds.
TEST_F(ScratchManager, AHeaderWhoseFirstWordIsNotOneIsTaken) {
  create();
  EXPECT_EQ(gettheSdbManager()->CreatePartition(sdb_FolderNames::opr), 0);
  deletetheSdbManager();
  const std::vector<unsigned char> clean = fileBytes("job.sdb");
  for (const std::uint32_t first : {0u, 2u}) {
    std::vector<unsigned char> file = clean;
    std::memcpy(file.data(), &first, 4);
    writeFile("job.sdb", file);
    eqc_testing::clearMessages();
    ASSERT_EQ(sdb_Manager::OpenSdb(), sdb_Manager_Opened) << first;
    EXPECT_EQ(headerWord(0), first);
    EXPECT_EQ(headerWord(24), 1u);  // the partition created before
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 0) << first;

    // Another program of the job moves folder scr on and leaves the same first word.
    gettheSdbManager()->ReleaseLock();
    const std::uint32_t moved = 1 << 20;
    moveScrInTheFile(moved);
    gettheSdbManager()->Lock();
    EXPECT_EQ(eqc_testing::countAtLevel(-3), 0) << first;
    EXPECT_EQ(folder(sdb_FolderNames::scr)->NextFree().Value(), moved) << first;
    deletetheSdbManager();
  }
}

TEST_F(ScratchManager, SpillListsAndSizesComeFromTheEnvironment) {
  const std::string a = path("a"), b = path("b") + "/";
  std::filesystem::create_directories(a);
  std::filesystem::create_directories(b);
  ::setenv("SPILL_LIST_OPR", ("  " + a + "  " + b + " ").c_str(), 1);
  ::setenv("SPLIT_OPR", "65536", 1);
  utl_testing::setCommandLine("tmpdir", path("tmp"));  // taken as given: no separator is appended
  std::filesystem::create_directories(path("tmp"));
  sdb_Manager* manager = create();
  ASSERT_EQ(manager->DirectoryCount(sdb_FolderNames::opr), 2u);
  EXPECT_EQ(std::string(manager->Directory(sdb_FolderNames::opr, 0)), a + "/");
  EXPECT_EQ(std::string(manager->Directory(sdb_FolderNames::opr, 1)), b);
  EXPECT_EQ(std::string(manager->Directory(sdb_FolderNames::scr, 0)), path("tmp"));
  EXPECT_EQ(manager->SizeCount(sdb_FolderNames::scr), 1u);
  EXPECT_EQ(manager->SpillSize(sdb_FolderNames::scr, 0), 2147483647u);

  sdb_RegularFolder* opr = folder(sdb_FolderNames::opr);
  for (std::uint64_t k = 0; k < 3; ++k) {
    const sdb_SULong address = opr->Allocate(40000, 1);
    EXPECT_EQ(address.Value(), k * 65536);  // one allocation per file of 64 KiB
    opr->UnMap(sdb_WriteNew, address, 40000, opr->Map(sdb_WriteNew, address, 40000));
  }
  deletetheSdbManager();
  EXPECT_TRUE(std::filesystem::exists(a + "/job.opr"));
  EXPECT_TRUE(std::filesystem::exists(b + "job.opr.1"));
  EXPECT_TRUE(std::filesystem::exists(b + "job.opr.2"));
  // The header lives in the first spill file of folder sdb: the "tmpdir" value, then the job.
  EXPECT_TRUE(std::filesystem::exists(path("tmpjob.sdb")));
  EXPECT_FALSE(std::filesystem::exists(path("tmp/job.sdb")));
}

TEST_F(ScratchManager, WithoutListsAnAllocationPastFileZeroStartsFileOneNamedWithItsNumber) {
  create();
  sdb_RegularFolder* scr = folder(sdb_FolderNames::scr);
  EXPECT_EQ(scr->Allocate(2147483000u, 1).Value(), 0u);  // no write: file 0 stays short
  const sdb_SULong address = scr->Allocate(4096, 1);
  EXPECT_EQ(address.Value(), 2147483647u);  // the start of file 1
  scr->UnMap(sdb_WriteNew, address, 4096, scr->Map(sdb_WriteNew, address, 4096));
  deletetheSdbManager();
  EXPECT_EQ(std::filesystem::file_size("job.scr.1"), 4096u);
  EXPECT_EQ(wordAt(fileBytes("job.sdb"), 68 + 16 * 3 + 12), 2147483647u);  // the folder record's file start
}

TEST_F(ScratchManager, ARequestNoFileOfTheSizeListCanHoldIsRefused) {
  ::setenv("SPLIT_SOL", "1048576 2097152", 1);
  create();
  sdb_RegularFolder* sol = folder(sdb_FolderNames::sol);
  EXPECT_EQ(sol->Allocate(3 * kMiB, 1), sdb_SULong::Invalid());
  EXPECT_TRUE(eqc_testing::printed(
      "After 2 spill files have been created, there is no file size in the size list for file sol that can satisfy "
      "the minimum required file size of 3145728 bytes"));
  // Files 0 and 1 were passed over: the folder, and its record in the header, stand at file 2.
  EXPECT_EQ(sol->NextFree().Value(), 3 * kMiB);
  EXPECT_EQ(headerWord(68 + 16 * 5 + 4), 3 * kMiB);   // next free address, low word
  EXPECT_EQ(headerWord(68 + 16 * 5 + 12), 3 * kMiB);  // start of the current file, low word
  EXPECT_EQ(sol->Allocate(kMiB + 1, 1).Value(), 3 * kMiB);  // file 2
  EXPECT_EQ(sol->Allocate(2 * kMiB, 1).Value(), 5 * kMiB);  // file 3, the last size again
}

TEST_F(ScratchManager, AllocationAlignsInsideTheCurrentFile) {
  ::setenv("SPLIT_SCR", "1000 junk 0 5000", 1);  // items without a byte count are skipped
  create();
  const unsigned sector = gettheSdbManager()->GetSectorSize();
  if (sector != 512) GTEST_SKIP() << "the offsets below are worked out for 512-byte sectors";
  EXPECT_EQ(gettheSdbManager()->SizeCount(sdb_FolderNames::scr), 2u);
  sdb_RegularFolder* scr = folder(sdb_FolderNames::scr);
  EXPECT_EQ(scr->Allocate(1, 1).Value(), 0u);
  EXPECT_EQ(scr->Allocate(1, 1).Value(), sector);  // a whole sector for one byte
  EXPECT_EQ(scr->Allocate(600, 1).Value(), 1000u);  // file 1 starts at 1000: the gap counts from there
  EXPECT_EQ(scr->Allocate(10, 2048).Value(), 1000u + 2048);
  EXPECT_EQ(scr->Allocate(100, 3 * sector - 1).Value(), 1000u + 2 * 1536);  // units of 1536 from 1000
}

TEST_F(ScratchManager, AHostBuiltFolderHasNoListsAndGoesOnFromItsRecord) {
  // No manager: the host keeps the record; files lie in the current directory, 2147483647 bytes each.
  sdb_FolderRecord record{sdb_SULong(10000), sdb_SULong(123, 0)};
  char work[8] = {};
  const auto bytes = pattern(0, 5000);
  {
    sdb_RegularFolder folder("host", "first", "second", work, &record, "hst");
    EXPECT_STREQ(folder.Name(), "hst");
    const sdb_SULong address = folder.Allocate(bytes.size(), 4096);
    EXPECT_EQ(address.Value(), 12288u);  // after the record's next free address, page-aligned in file 0
    EXPECT_EQ(record.nextFree.Value(), 12288u + bytes.size());
    EXPECT_EQ(record.fileStart.Value(), 0u);  // counted from address 0, not the start the record held
    void* buffer = folder.Map(sdb_WriteNew, address, bytes.size());
    std::memcpy(buffer, bytes.data(), bytes.size());
    folder.UnMap(sdb_WriteNew, address, bytes.size(), buffer);
    void* back = folder.Map(sdb_Read, address, bytes.size());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::memcmp(back, bytes.data(), bytes.size()), 0);
    folder.UnMap(sdb_Read, address, bytes.size(), back);
  }
  EXPECT_EQ(std::filesystem::file_size("host.hst"), 12288u + bytes.size());

  // A next free address past file 0: allocation goes on in the file that holds it, never below it.
  const std::uint64_t far = 3ull << 30;
  sdb_FolderRecord beyond{sdb_SULong::FromValue(far), sdb_SULong()};
  sdb_RegularFolder folder("host", nullptr, nullptr, nullptr, &beyond, "hst");
  const sdb_SULong address = folder.Allocate(100, 1);
  EXPECT_GE(address.Value(), far);
  EXPECT_LT(address.Value(), far + folder.Handler().SectorSize());
  EXPECT_EQ(beyond.fileStart.Value(), 2147483647u);  // file 1
  EXPECT_EQ((address.Value() - 2147483647u) % folder.Handler().SectorSize(), 0u);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(ScratchManager, CreatingEmptiesTheFirstFilesOfFourFoldersOnly) {
  writeFile("job.opr", pattern(0, 5000));
  writeFile("job.scr", pattern(0, 5000));
  create();
  EXPECT_EQ(std::filesystem::file_size("job.opr"), 0u);
  EXPECT_EQ(std::filesystem::file_size("job.scr"), 5000u);
  const ::mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(static_cast<unsigned>(std::filesystem::status("job.sol").permissions() & std::filesystem::perms::all),
            0640u & ~static_cast<unsigned>(mask));
}

TEST_F(ScratchManager, AJobNameWithAPathPlacesTheNewFilesThere) {
  std::filesystem::create_directories(path("sub"));
  utl_testing::setCommandLine("job", "sub/run");
  create();
  for (const char* extension : {".sdb", ".fct", ".opr", ".sol"})
    EXPECT_TRUE(std::filesystem::exists(std::string("sub/run") + extension)) << extension;
  deletetheSdbManager();
  EXPECT_EQ(std::filesystem::file_size("sub/run.sdb"), ntPageSize());  // the header, in the sdb folder's file 0
  EXPECT_EQ(sdb_Manager::OpenSdb(), sdb_Manager_Opened);
}

TEST_F(ScratchManager, TablesRefuseEntriesPastTheirCapacity) {
  sdb_Manager* manager = create();
  for (int id = 0; id < 20; ++id) EXPECT_EQ(manager->CreatePartition(sdb_FolderNames::opr), id);
  EXPECT_EQ(manager->CreatePartition(sdb_FolderNames::opr), -1);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN sdb_Manager::CreatePartition - PARTITION TABLE LIMIT EXCEEDED"));
  EXPECT_EQ(manager->OpenPartition(20), nullptr);
  const std::uint32_t capacity = headerWord(724);
  EXPECT_EQ(manager->AllocateIssueTable(capacity - 1), 0);
  EXPECT_EQ(manager->AllocateIssueTable(2), -1);
  EXPECT_EQ(manager->AllocateIssueTable(1), static_cast<int>(capacity - 1));
  EXPECT_EQ(manager->AccessIssueTable(static_cast<int>(capacity)), nullptr);
  for (int k = 1; k < 10; ++k) EXPECT_NE(manager->AssignFolder(sdb_FolderNames::eig), nullptr);
  EXPECT_EQ(manager->AssignFolder(sdb_FolderNames::eig), nullptr);  // an 11th folder record
  EXPECT_EQ(headerWord(56), 10u);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 4);
  // Folder slots outside the manager's nine: refused and reported, nothing built or declared.
  for (const unsigned slot : {0u, 9u, 12u}) {
    const auto folder = static_cast<sdb_FolderNames>(slot);
    eqc_testing::clearMessages();
    EXPECT_EQ(manager->GetFolder(folder), nullptr) << slot;
    EXPECT_EQ(manager->OpenFolder(folder) == nullptr, slot != 0) << slot;  // slot 0's record is in the table
    manager->AssignFolderName(folder, "xyz", sizeof(sdb_RegularFolder), sdb_RegularFolder::Construct);
    EXPECT_EQ(eqc_testing::countAtLevel(-3), slot == 0 ? 2 : 3) << slot;
  }
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN sdb_Manager::AssignFolderName - FOLDER LIMIT EXCEEDED"));
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN sdb_Manager::OpenFolder - FOLDER TABLE LIMIT EXCEEDED"));
}

TEST_F(ScratchManager, MappedBuffersKeepTheTallyAndWriteBackByMode) {
  create();
  sdb_RegularFolder* opr = folder(sdb_FolderNames::opr);
  const std::int64_t before = bcu_gettotalMemoryAlloc();
  const sdb_SULong address = opr->Allocate(8192, 4096);
  sdb_MemoryPointer* p = opr->CreateMap(sdb_WriteNew, address, 8192);
  EXPECT_EQ(bcu_gettotalMemoryAlloc() - before, static_cast<std::int64_t>(p->allocated));
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p->data) % 16, 0u);
  const auto bytes = pattern(address.Value(), 8192);
  std::memcpy(p->data, bytes.data(), 8192);
  // Same address, not larger: nothing is read, the buffer keeps its bytes (written back first).
  p = opr->Remap(sdb_Read, address, 8192, 4096, p);
  ASSERT_NE(p->data, nullptr);
  EXPECT_EQ(std::memcmp(p->data, bytes.data(), 4096), 0);
  p = opr->Remap(sdb_Modify, address, 4096, 8192, p);  // larger: read from the file
  ASSERT_NE(p->data, nullptr);
  EXPECT_EQ(std::memcmp(p->data, bytes.data(), 8192), 0);
  static_cast<unsigned char*>(p->data)[5] = 0xAB;
  opr->UnMap(sdb_Modify, address, 8192, p);  // a modify mapping writes back
  EXPECT_EQ(bcu_gettotalMemoryAlloc(), before);
  void* back = opr->Map(sdb_Read, address, 8192);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(static_cast<unsigned char*>(back)[5], 0xAB);
  opr->Sync(sdb_Read, address, 8192, back);
  opr->UnMap(sdb_Read, address, 8192, back);
  EXPECT_EQ(opr->Remap(sdb_Read, address, 0, 0, opr->EmptyPointer()), opr->EmptyPointer());
  EXPECT_EQ(bcu_gettotalMemoryAlloc(), before);

  ::testing::internal::CaptureStderr();
  sdb_MemoryPointer* beyond = opr->CreateMap(sdb_WriteNew, sdb_SULong(1u << 30), 16);
  const std::string lines = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(lines, "o_fileExtension = .opr\no_allocatedSize = " + std::to_string(opr->NextFree().low) +
                       "\noffset = 1073741824\nsize = 16\n");
  opr->UnMap(sdb_Read, sdb_SULong(1u << 30), 0, beyond);
}

TEST_F(ScratchManager, AFailedWriteIsReportedByTheFolderAndItsBytesAreNotTakenForWritten) {
  create();
  sdb_RegularFolder* opr = folder(sdb_FolderNames::opr);
  const sdb_SULong good = opr->Allocate(4096, 4096), bad = opr->Allocate(65536, 4096), later = opr->Allocate(4096, 1);
  void* buffer = opr->Map(sdb_WriteNew, good, 4096);
  std::memset(buffer, 0x11, 4096);
  opr->UnMap(sdb_WriteNew, good, 4096, buffer);
  zmxrt_testing::injectTransferFault({true, 0, 32768, ENOSPC});
  buffer = opr->Map(sdb_WriteNew, bad, 65536);
  std::memset(buffer, 0x22, 65536);
  opr->UnMap(sdb_WriteNew, bad, 65536, buffer);
  EXPECT_EQ(opr->Map(sdb_Read, bad, 65536), nullptr);
  buffer = opr->Map(sdb_WriteNew, later, 4096);
  zmxrt_testing::injectTransferFault({true, 0, 0, ENOSPC});
  opr->UnMap(sdb_WriteNew, later, 4096, buffer);
  buffer = opr->Map(sdb_WriteNew, good, 4096);
  std::memset(buffer, 0x11, 4096);
  opr->UnMap(sdb_WriteNew, good, 4096, buffer);  // the next write finds the failure
  const std::string text =
      "I/O ERROR ON SOLVER FILE opr. OUT OF DISK SPACE OR DISK QUOTA EXCEEDED. EXECUTION TERMINATED";
  EXPECT_EQ(text.size(), 92u);
  EXPECT_TRUE(eqc_testing::printed(text));
  EXPECT_TRUE(eqc_testing::printed("I/O ERROR ON SOLVER FILE .opr. OUT OF DISK SPACE. EXECUTION TERMINATED."));
  void* kept = opr->Map(sdb_Read, good, 4096);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(static_cast<unsigned char*>(kept)[4095], 0x11);
  opr->UnMap(sdb_Read, good, 4096, kept);
}

TEST_F(ScratchManager, RunningOutOfMemoryIsReportedAndEndsTheOperation) {
  EXPECT_EQ(std::get_new_handler(), nullptr);
  create();
  EXPECT_NE(std::get_new_handler(), nullptr);
  shr_setMemoryTallyInPre(0);
  const std::int64_t held = 4096;
  BCU_ADDMEMORYTOTALLY(&held);
  const std::string total = std::to_string(bcu_gettotalMemoryAlloc());
  EXPECT_THROW(sdb_OutOfMemoryError(1), std::bad_alloc);
  EXPECT_TRUE(eqc_testing::printed("MEMORY ALLOCATION ERROR.  EXECUTION TERMINATED. " + total +
                                   " BYTES REQUIRED TO CONTINUE."));
  shr_setMemoryTallyInPre(1);
  EXPECT_THROW(std::get_new_handler()(), std::bad_alloc);
  EXPECT_TRUE(eqc_testing::printed(
      "ERROR ALLOCATING RUN TIME MEMORY. THIS IS MEMORY ALLOCATED IN ADDITION TO MEMORY SPECIFIED BY PRE_MEMORY AND "
      "PRE_BUFFER. CHECK THAT THE SETTINGS OF PRE_MEMORY AND PRE_BUFFER ARE NOT EXCESSIVELY HIGH."));
  BCU_SUBMEMORYFROMTALLY(&held);
  deletetheSdbManager();
  EXPECT_EQ(std::get_new_handler(), nullptr);
}

}  // namespace
