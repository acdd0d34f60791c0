// The process-wide scratch-database manager: the header page, the folder table, the spill-file
// directories and sizes, and the memory report of the scratch database.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "runtime/async_file.h"
#include "siblings/eqc/eqc_messages.h"
#include "storage/scratch/scratch_support.h"
#include "siblings/utl/utl.h"
#include "zmx/storage.h"

namespace {

using zmx::scratch::reportLimit;
using zmx::scratch::roundUp;

constinit sdb_Manager* gManager = nullptr;

using zmx::scratch::kDefaultSpillFileSize;
constexpr unsigned kArenaFloor = sdb_Manager::kArenaBytes;
constexpr const char* kNewFileExtensions[] = {".sdb", ".fct", ".opr", ".sol"};
constexpr const char* kHeaderNotValid =
    "SYSTEM ERROR IN sdb_Manager::sdb_Manager - THE SCRATCH DATABASE HEADER IS NOT VALID";

void newHandler() { sdb_OutOfMemoryError(0); }

std::vector<std::string> items(const char* value) {
  std::vector<std::string> out;
  if (value == nullptr) return out;
  const std::string text(value);
  std::size_t k = 0;
  while (k < text.size()) {
    while (k < text.size() && std::isspace(static_cast<unsigned char>(text[k]))) ++k;
    const std::size_t first = k;
    while (k < text.size() && !std::isspace(static_cast<unsigned char>(text[k]))) ++k;
    if (k > first) out.push_back(text.substr(first, k - first));
  }
  return out;
}

std::string withSeparator(std::string directory) {
  if (!directory.empty() && directory.back() != '/') directory.push_back('/');
  return directory;
}

// The leading digits of an item as a byte count; 0 when it has none. A count past the largest
// signed 32-bit number is that number.
std::uint32_t byteCount(const std::string& item) {
  std::uint64_t value = 0;
  for (char c : item) {
    if (!std::isdigit(static_cast<unsigned char>(c))) break;
    value = std::min<std::uint64_t>(value * 10 + static_cast<unsigned>(c - '0'), kDefaultSpillFileSize);
  }
  return static_cast<std::uint32_t>(value);
}

std::string upper(const char* name) {
  std::string out(name);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

char* copyText(const cow_String& text) {
  char* copy = static_cast<char*>(std::malloc(text.Length() + 1));
  if (copy == nullptr) sdb_OutOfMemoryError(text.Length() + 1);
  std::memcpy(copy, text.CStr(), text.Length() + 1);
  return copy;
}


// A partition that holds space in its folder (its first issue was released) was last closed with
// the size of that space: its issue record must be one of the table's used ones, in the
// partition's folder, and the folder must have handed out at least that many bytes from it.
// A size beyond that would map and read what the folder never held. The tables are checked
// to lie inside the header first.
bool partitionsAreSound(const unsigned char* header) {
  const auto word = [header](unsigned offset) {
    std::uint32_t value = 0;
    std::memcpy(&value, header + offset, 4);
    return value;
  };
  const std::uint32_t partitions = word(sdb_Manager::kNextPartitionWord), issuesUsed = word(sdb_Manager::kIssueTable + 4);
  for (std::uint32_t id = 0; id < partitions; ++id) {
    sdb_PartitionRecord partition{};
    std::memcpy(&partition, header + sdb_Manager::kPartitionRecords + 24 * id, sizeof partition);
    if (partition.issueReserved == 0) continue;
    if (partition.issueIndex >= issuesUsed) return false;
    if (partition.nextSpaceIssue == 0) continue;
    sdb_PrtIssueRcrd issue{};
    std::memcpy(&issue, header + sdb_Manager::kIssueRecords + 16 * std::uint64_t{partition.issueIndex}, sizeof issue);
    if (issue.folder != partition.folder || issue.folder == 0 || issue.folder >= sdb_Manager::kFolderSlots) return false;
    sdb_FolderRecord folder{};
    std::memcpy(&folder, header + sdb_Manager::kFolderRecords + 16 * issue.folder, sizeof folder);
    const std::uint64_t start = issue.address.Value(), end = folder.nextFree.Value();
    if (start > end || partition.size > end - start) return false;
  }
  return true;
}

// Whether the file holds all size bytes of the header. A file cut short reads as zeros past its
// end, and zeros pass for tables and partitions not used yet: such a header would lose the
// partitions and issue records it had.
// The file is the first spill file of the header's folder: directory, job name, "." and the
// folder's name, as the folder's handler names it.
bool fileHoldsHeader(const char* directory, const char* jobName, const char* folderName, std::uint32_t size) {
  const std::string file = std::string(directory != nullptr ? directory : "") + jobName + "." + folderName;
  struct stat status {};
  return ::stat(file.c_str(), &status) == 0 && status.st_size >= static_cast<off_t>(size);
}

}  // namespace

// ---- Process-wide manager -----------------------------------------------------------------------

sdb_Manager* gettheSdbManager() { return gManager; }
int validatetheSdbManager() { return gManager != nullptr ? 1 : 0; }

namespace {

// Builds a manager; when the building ends in an exception (memory ran out) no half-built
// manager stays registered and the new-handler is the one before.
template <class Build>
sdb_Manager* build(Build construct) {
  deletetheSdbManager();
  const std::new_handler before = std::get_new_handler();
  try {
    return construct();
  } catch (...) {
    gManager = nullptr;
    std::set_new_handler(before);
    throw;
  }
}

}  // namespace

sdb_Manager* sdb_Manager::CreateSdb() {
  return build([] { return new sdb_Manager(sdb_Manager_Create); });
}

sdb_Manager_Status sdb_Manager::OpenSdb() {
  sdb_Manager* manager = build([] { return new sdb_Manager(); });
  if (!manager->openFailed_) return sdb_Manager_Opened;
  delete manager;
  return sdb_Manager_CannotOpen;
}

int sdb_Manager::SetJump() { return 0; }  // the open status is OpenSdb's result

sdb_Manager* newtheSdbManager() {
  try {
    return sdb_Manager::OpenSdb() == sdb_Manager_Opened ? gManager : nullptr;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void deletetheSdbManager() {
  delete gManager;
  gManager = nullptr;
}

unsigned ntPageSize() { return static_cast<unsigned>(zmxrt::pageSize()); }
unsigned ntSectorSize() { return static_cast<unsigned>(zmxrt::sectorSize("")); }

void sdb_OutOfMemoryError(std::size_t /*size*/) {
  // The report itself may need memory: a failure while it is made ends at once.
  static constinit thread_local bool reporting = false;  // per thread: any thread may run out
  if (reporting) throw std::bad_alloc();
  reporting = true;
  struct Done {
    ~Done() { reporting = false; }
  } done;
  if (shr_getMemoryTallyInPre() != 0) {
    kvxerrC(-3,
            "ERROR ALLOCATING RUN TIME MEMORY. THIS IS MEMORY ALLOCATED IN ADDITION TO MEMORY SPECIFIED BY "
            "PRE_MEMORY AND PRE_BUFFER. CHECK THAT THE SETTINGS OF PRE_MEMORY AND PRE_BUFFER ARE NOT EXCESSIVELY HIGH.",
            nullptr, nullptr, nullptr);
  } else {
    const int total = static_cast<int>(std::min<std::int64_t>(bcu_gettotalMemoryAlloc(), 2147483647));
    kvxerrC(-3, "MEMORY ALLOCATION ERROR.  EXECUTION TERMINATED. %I BYTES REQUIRED TO CONTINUE.", &total, nullptr,
            nullptr);
  }
  throw std::bad_alloc();
}

extern "C" void SDB_WRITEFAIL(const Int* extension) {
  // Built in place: this report must not need memory, which may be what ran out.
  static constexpr char kHead[] = "I/O ERROR ON SOLVER FILE ";
  static constexpr char kTail[] = ". OUT OF DISK SPACE OR DISK QUOTA EXCEEDED. EXECUTION TERMINATED";
  char text[sizeof kHead - 1 + 3 + sizeof kTail - 1];
  std::memcpy(text, kHead, sizeof kHead - 1);
  for (int k = 0; k < 3; ++k) text[sizeof kHead - 1 + k] = extension != nullptr ? static_cast<char>(extension[k]) : ' ';
  std::memcpy(text + sizeof kHead - 1 + 3, kTail, sizeof kTail - 1);
  const Int level = -3;
  KVXERR(&level, text, static_cast<Int>(sizeof text), nullptr, nullptr, nullptr, 0);
}

// ---- Construction -------------------------------------------------------------------------------

void sdb_Manager::BeginConstruction() {
  previousNewHandler_ = std::set_new_handler(newHandler);
  gManager = this;
  pageSize_ = ntPageSize();
  sectorSize_ = ntSectorSize();
  std::fill(std::begin(state_), std::end(state_), 0);
  std::fill(std::begin(factory_), std::end(factory_), nullptr);
  SetUpDirectories();
}

sdb_Manager::sdb_Manager(sdb_Manager_Initialize) {
  BeginConstruction();
  CreateDatabaseFiles();
  temporaryRecord_ = sdb_FolderRecord();
  folder_[1] = CreateFolder(1, &temporaryRecord_);
  const sdb_SULong address = folder_[1]->Allocate(pageSize_, 1);
  header_ = static_cast<unsigned char*>(folder_[1]->Map(sdb_WriteNew, address, pageSize_));
  headerSize_ = pageSize_;
  FillNewHeader();
  sdb_FolderRecord* record = AssignFolder(sdb_FolderNames::sdb);
  *record = temporaryRecord_;
  folder_[1]->ResetFolderRecord(record);
  partitionOpenCount_ = 0;
}

sdb_Manager::sdb_Manager() {
  BeginConstruction();
  temporaryRecord_ = sdb_FolderRecord{sdb_SULong(kHeaderProbe), sdb_SULong()};
  folder_[1] = CreateFolder(1, &temporaryRecord_);
  if (!ReadExistingHeader()) {
    AbandonOpen();
    return;
  }
  folder_[1]->ResetFolderRecord(OpenFolder(sdb_FolderNames::sdb));
  partitionOpenCount_ = 0;
}

void sdb_Manager::CreateDatabaseFiles() const {
  for (const char* extension : kNewFileExtensions) {
    const std::string name = std::string(jobName_) + extension;
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0640);
    if (fd >= 0) ::close(fd);
  }
}

void sdb_Manager::FillNewHeader() {
  std::memset(header_, 0, headerSize_);
  SetWord(kFirstWord, 1);
  SetWord(kHeaderSizeWord, headerSize_);
  SetWord(kFlagsWord, kDirtyBit);
  SetWord(kNextPartitionWord, 0);
  SetWord(kPageSizeWord, pageSize_);
  SetWord(32, 1);
  SetWord(36, 1);
  SetWord(kFolderTableWord, kFolderTable);
  SetWord(kPartitionTableWord, kPartitionTable);
  SetWord(kIssueTableWord, kIssueTable);
  SetWord(kFolderTable, kFolderCapacity);
  SetWord(kPartitionTable, kPartitionCapacity);
  SetWord(kIssueTable, ((pageSize_ - kHeaderProbe) >> 4) + 1);
}

// Reads the first bytes of the header, then the whole header by the size they give; false
// (reported) when it cannot be read or holds a word out of range.
bool sdb_Manager::ReadExistingHeader() {
  if (!fileHoldsHeader(Directory(static_cast<sdb_FolderNames>(1), 0), jobName_, folderName_[1], kHeaderProbe)) {
    cfi_WriteMessage(-3, kHeaderNotValid);  // too short to hold a header: nothing to read
    return false;
  }
  header_ = static_cast<unsigned char*>(folder_[1]->Map(sdb_Read, sdb_SULong(), kHeaderProbe));
  if (header_ == nullptr) return false;
  headerSize_ = kHeaderProbe;
  const std::uint32_t size = Word(kHeaderSizeWord);
  const bool probeSound = size >= kHeaderProbe && size <= pageSize_;
  folder_[1]->UnMap(sdb_Read, sdb_SULong(), kHeaderProbe, header_);
  header_ = nullptr;
  headerSize_ = 0;
  if (!probeSound || !fileHoldsHeader(Directory(static_cast<sdb_FolderNames>(1), 0), jobName_, folderName_[1], size)) {
    cfi_WriteMessage(-3, kHeaderNotValid);
    return false;
  }
  temporaryRecord_.nextFree = sdb_SULong(size);
  folder_[1]->ResetFolderRecord(&temporaryRecord_);
  header_ = static_cast<unsigned char*>(folder_[1]->Map(sdb_Modify, sdb_SULong(), size));
  if (header_ == nullptr) return false;
  headerSize_ = size;
  if (HeaderIsSound()) return true;
  cfi_WriteMessage(-3, kHeaderNotValid);
  folder_[1]->UnMap(sdb_Read, sdb_SULong(), headerSize_, header_);
  header_ = nullptr;
  return false;
}

// The table words that later operations index by: each table must lie inside the header, and
// every partition's size word must fit the space it holds. The first word is written as 1 and
// never read: a header with another value there is taken all the same.
bool sdb_Manager::HeaderIsSound() const {
  const std::uint32_t issueCapacity = Word(kIssueTable);
  return Word(kHeaderSizeWord) == headerSize_ && Word(kFolderTableWord) == kFolderTable && Word(kPartitionTableWord) == kPartitionTable &&
         Word(kIssueTableWord) == kIssueTable && Word(kFolderTable) == kFolderCapacity &&
         Word(kFolderTable + 4) <= kFolderCapacity && Word(kPartitionTable) == kPartitionCapacity &&
         Word(kPartitionTable + 4) <= kPartitionCapacity && Word(kNextPartitionWord) <= kPartitionCapacity &&
         std::uint64_t{kIssueRecords} + 16ull * issueCapacity <= headerSize_ && Word(kIssueTable + 4) <= issueCapacity &&
         partitionsAreSound(header_);
}

void sdb_Manager::AbandonOpen() {
  openFailed_ = true;
  DestroyFolders();
  std::free(arena_);
  arena_ = nullptr;
  if (gManager == this) gManager = nullptr;
}

sdb_Manager::~sdb_Manager() {
  if (header_ != nullptr) {
    const bool dirty = (Word(kFlagsWord) & kDirtyBit) != 0;
    folder_[1]->UnMap(dirty ? sdb_WriteNew : sdb_Read, sdb_SULong(), headerSize_, header_);
    header_ = nullptr;
  }
  DestroyFolders();
  std::free(jobName_);
  std::free(arena_);
  std::free(listBlock_);
  std::free(inputDirectory_);
  std::set_new_handler(previousNewHandler_);
  if (gManager == this) gManager = nullptr;
}

void sdb_Manager::DestroyFolders() {
  for (unsigned slot = 1; slot < kFolderSlots; ++slot) {
    if (folder_[slot] != nullptr) folder_[slot]->~sdb_RegularFolder();
    folder_[slot] = nullptr;
  }
}

// ---- Directories and folder declaration ---------------------------------------------------------

void sdb_Manager::SetUpDirectories() {
  const utl_CommandLine* commandLine = thr_GlobalSingleton<utl_CommandLine>::Instance();
  jobName_ = copyText(commandLine->ConstGetValue("job"));
  inputDirectory_ = copyText(commandLine->ConstGetValue("indir"));
  // The default directory is taken as given: the host ends it with its separator.
  const cow_String& tmpdir = commandLine->ConstGetValue("tmpdir");
  const std::string defaultDirectory(tmpdir.CStr(), tmpdir.Length());
  ReadFolders();

  std::vector<std::string> directories[kFolderSlots];
  std::vector<std::uint32_t> sizes[kFolderSlots];
  for (unsigned slot = 0; slot < kFolderSlots; ++slot) {
    if (factory_[slot] != nullptr) {
      const std::string name = upper(folderName_[slot]);
      for (const std::string& item : items(std::getenv(("SPILL_LIST_" + name).c_str())))
        directories[slot].push_back(withSeparator(item));
      for (const std::string& item : items(std::getenv(("SPLIT_" + name).c_str())))
        if (const std::uint32_t bytes = byteCount(item); bytes > 0) sizes[slot].push_back(bytes);
    }
    if (directories[slot].empty()) directories[slot].push_back(defaultDirectory);
    if (sizes[slot].empty()) sizes[slot].push_back(kDefaultSpillFileSize);
  }

  // One block: per slot the text pointers and the sizes, then every text.
  std::size_t bytes = 0;
  for (unsigned slot = 0; slot < kFolderSlots; ++slot) {
    bytes += roundUp(directories[slot].size() * sizeof(char*), 8) + roundUp(sizes[slot].size() * 4, 8);
    for (const std::string& d : directories[slot]) bytes += d.size() + 1;
  }
  listBlock_ = static_cast<unsigned char*>(std::malloc(bytes));
  if (listBlock_ == nullptr) sdb_OutOfMemoryError(bytes);
  unsigned char* place = listBlock_;
  for (unsigned slot = 0; slot < kFolderSlots; ++slot) {
    directories_[slot] = reinterpret_cast<const char**>(place);
    place += roundUp(directories[slot].size() * sizeof(char*), 8);
    sizes_[slot] = reinterpret_cast<std::uint32_t*>(place);
    place += roundUp(sizes[slot].size() * 4, 8);
    directoryCount_[slot] = static_cast<unsigned>(directories[slot].size());
    sizeCount_[slot] = static_cast<unsigned>(sizes[slot].size());
    std::copy(sizes[slot].begin(), sizes[slot].end(), sizes_[slot]);
  }
  for (unsigned slot = 0; slot < kFolderSlots; ++slot)
    for (unsigned k = 0; k < directoryCount_[slot]; ++k) {
      std::memcpy(place, directories[slot][k].c_str(), directories[slot][k].size() + 1);
      directories_[slot][k] = reinterpret_cast<const char*>(place);
      place += directories[slot][k].size() + 1;
    }
}

void sdb_Manager::ReadFolders() {
  // Room for every folder object, each grant a multiple of 16 bytes.
  arenaSize_ = std::max<unsigned>(kArenaFloor, 8 * static_cast<unsigned>(roundUp(sizeof(sdb_RegularFolder), 16)));
  arena_ = static_cast<unsigned char*>(std::aligned_alloc(16, arenaSize_));
  if (arena_ == nullptr) sdb_OutOfMemoryError(arenaSize_);
  arenaUsed_ = 0;
  DeclareFolders();
}

void sdb_Manager::DeclareFolders() {
  struct Declaration {
    sdb_FolderNames folder;
    const char* name;
  };
  static constexpr Declaration kOrder[] = {{sdb_FolderNames::sdb, "sdb"}, {sdb_FolderNames::opr, "opr"},
                                           {sdb_FolderNames::cop, "cop"}, {sdb_FolderNames::scr, "scr"},
                                           {sdb_FolderNames::fct, "fct"}, {sdb_FolderNames::sol, "sol"},
                                           {sdb_FolderNames::lnc, "lnc"}, {sdb_FolderNames::eig, "eig"}};
  for (const Declaration& d : kOrder)
    AssignFolderName(d.folder, d.name, sizeof(sdb_RegularFolder), sdb_RegularFolder::Construct);
}

void sdb_Manager::AssignFolderName(sdb_FolderNames folder, const char* name, unsigned objectSize,
                                   sdb_FolderFactory factory) {
  const auto slot = static_cast<unsigned>(folder);
  const unsigned grant = static_cast<unsigned>(roundUp(objectSize, 16));
  if (slot == 0 || slot >= kFolderSlots || arenaUsed_ + grant > arenaSize_) {
    reportLimit("sdb_Manager::AssignFolderName", "FOLDER");
    return;
  }
  factory_[slot] = factory;
  std::snprintf(folderName_[slot], sizeof folderName_[slot], "%.3s", name);
  objectPlace_[slot] = arenaUsed_;
  arenaUsed_ += grant;
}

const char* sdb_Manager::Directory(sdb_FolderNames folder, unsigned index) const {
  const auto slot = static_cast<unsigned>(folder);
  return slot < kFolderSlots && index < directoryCount_[slot] ? directories_[slot][index] : nullptr;
}

std::uint32_t sdb_Manager::SpillSize(sdb_FolderNames folder, unsigned index) const {
  const auto slot = static_cast<unsigned>(folder);
  return slot < kFolderSlots && index < sizeCount_[slot] ? sizes_[slot][index] : 0;
}

unsigned sdb_Manager::DirectoryCount(sdb_FolderNames folder) const {
  const auto slot = static_cast<unsigned>(folder);
  return slot < kFolderSlots ? directoryCount_[slot] : 0;
}

unsigned sdb_Manager::SizeCount(sdb_FolderNames folder) const {
  const auto slot = static_cast<unsigned>(folder);
  return slot < kFolderSlots ? sizeCount_[slot] : 0;
}

// ---- Header words and tables --------------------------------------------------------------------

std::uint32_t sdb_Manager::Word(unsigned offset) const {
  std::uint32_t value = 0;
  if (header_ != nullptr && offset + 4 <= headerSize_) std::memcpy(&value, header_ + offset, 4);
  return value;
}

void sdb_Manager::SetWord(unsigned offset, std::uint32_t value) {
  if (header_ != nullptr && offset + 4 <= headerSize_) std::memcpy(header_ + offset, &value, 4);
}

void sdb_Manager::MarkHeaderDirty() { SetWord(kFlagsWord, Word(kFlagsWord) | kDirtyBit); }

sdb_FolderRecord* sdb_Manager::FolderRecord(unsigned slot) {
  if (header_ == nullptr || slot >= kFolderCapacity || slot >= kFolderSlots) return nullptr;
  return reinterpret_cast<sdb_FolderRecord*>(header_ + kFolderRecords + 16 * slot);
}

sdb_RegularFolder* sdb_Manager::CreateFolder(unsigned slot, sdb_FolderRecord* record) {
  sdb_Folder* folder = factory_[slot](arena_ + objectPlace_[slot], jobName_, folderName_[slot], directoryCount_[slot],
                                      sizeCount_[slot], directories_[slot], sizes_[slot], record);
  return static_cast<sdb_RegularFolder*>(folder);
}

sdb_RegularFolder* sdb_Manager::GetFolder(sdb_FolderNames folder) {
  const auto slot = static_cast<unsigned>(folder);
  if (slot == 0 || slot >= kFolderSlots || factory_[slot] == nullptr) {
    reportLimit("sdb_Manager::GetFolder", "FOLDER");
    return nullptr;
  }
  if (state_[slot] == 0 || folder_[slot] == nullptr) {
    sdb_FolderRecord* record = OpenFolder(folder);
    if (record == nullptr) return nullptr;
    folder_[slot] = CreateFolder(slot, record);
  }
  return folder_[slot];
}

sdb_FolderRecord* sdb_Manager::AssignFolder(sdb_FolderNames folder) {
  const auto slot = static_cast<unsigned>(folder);
  sdb_FolderRecord* record = FolderRecord(slot);
  if (record == nullptr || Word(kFolderTable + 4) >= kFolderCapacity) {
    reportLimit("sdb_Manager::AssignFolder", "FOLDER TABLE");
    return nullptr;
  }
  MarkHeaderDirty();
  SetWord(kFolderTable + 4, Word(kFolderTable + 4) + 1);
  state_[slot] = 1;
  return record;
}

sdb_FolderRecord* sdb_Manager::OpenFolder(sdb_FolderNames folder) {
  const auto slot = static_cast<unsigned>(folder);
  sdb_FolderRecord* record = FolderRecord(slot);
  if (record == nullptr) {
    reportLimit("sdb_Manager::OpenFolder", "FOLDER TABLE");
    return nullptr;
  }
  state_[slot] = 2;
  return record;
}

sdb_PartitionId sdb_Manager::CreatePartition(sdb_FolderNames /*folder*/) {
  const std::uint32_t id = Word(kNextPartitionWord);
  if (id >= kPartitionCapacity) {
    reportLimit("sdb_Manager::CreatePartition", "PARTITION TABLE");
    return -1;
  }
  SetWord(kNextPartitionWord, id + 1);
  SetWord(kPartitionTable + 4, Word(kPartitionTable + 4) + 1);
  MarkHeaderDirty();
  return static_cast<sdb_PartitionId>(id);
}

sdb_PartitionRecord* sdb_Manager::OpenPartition(sdb_PartitionId id) {
  ++partitionOpenCount_;
  if (header_ == nullptr || id < 0 || static_cast<unsigned>(id) >= kPartitionCapacity) {
    reportLimit("sdb_Manager::OpenPartition", "PARTITION TABLE");
    return nullptr;
  }
  return reinterpret_cast<sdb_PartitionRecord*>(header_ + kPartitionRecords + 24 * static_cast<unsigned>(id));
}

unsigned sdb_Manager::GetPageSize() const { return pageSize_; }
unsigned sdb_Manager::GetSectorSize() const { return sectorSize_; }

int sdb_Manager::AllocateIssueTable(unsigned n) {
  const std::uint32_t used = Word(kIssueTable + 4);
  if (header_ == nullptr || std::uint64_t{used} + n > Word(kIssueTable)) {
    reportLimit("sdb_Manager::AllocateIssueTable", "ISSUE TABLE");
    return -1;
  }
  SetWord(kIssueTable + 4, used + n);
  MarkHeaderDirty();
  return static_cast<int>(used);
}

sdb_PrtIssueRcrd* sdb_Manager::AccessIssueTable(int index) {
  if (header_ == nullptr || index < 0 || static_cast<std::uint32_t>(index) >= Word(kIssueTable)) return nullptr;
  return reinterpret_cast<sdb_PrtIssueRcrd*>(header_ + kIssueRecords + 16 * static_cast<unsigned>(index));
}

// ---- Taking turns on the header -----------------------------------------------------------------

void sdb_Manager::Lock() {
  // The header as another program left it is taken only when it is sound; otherwise this
  // program goes on with the header it had (reported).
  const std::vector<unsigned char> kept(header_, header_ + headerSize_);
  folder_[1]->Sync(sdb_Read, sdb_SULong(), headerSize_, header_);
  const bool whole = fileHoldsHeader(Directory(static_cast<sdb_FolderNames>(1), 0), jobName_, folderName_[1], headerSize_);
  if (!whole || !HeaderIsSound()) {
    cfi_WriteMessage(-3, "SYSTEM ERROR IN sdb_Manager::Lock - THE SCRATCH DATABASE HEADER IS NOT VALID");
    std::memcpy(header_, kept.data(), headerSize_);
    return;
  }
  for (unsigned slot = 1; slot < kFolderSlots; ++slot) {
    if (state_[slot] == 0) continue;
    state_[slot] = 2;
    if (folder_[slot] != nullptr) folder_[slot]->ResetFolderRecord(FolderRecord(slot));
  }
}

void sdb_Manager::ReleaseLock() {
  folder_[1]->Sync(sdb_WriteNew, sdb_SULong(), headerSize_, header_);
  // The next program reads the header from the file: it must be there before the turn passes.
  if (!folder_[1]->Handler().CompleteWrite()) folder_[1]->WriteError();
  SetWord(kFlagsWord, Word(kFlagsWord) & ~kDirtyBit);
}
