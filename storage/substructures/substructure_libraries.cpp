// Substructure libraries: the selection (the library file open as data-base unit 9), entering
// a substructure for the job (its working files, state file, output database, part map and
// surface database), library names and long labels for the callers, compaction of a library
// file, and the active degrees of freedom of a substructure element.

#include <algorithm>
#include <cstdint>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/fortran_chars.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_state.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/eqc_labels.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/eqc_units.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/unit_records.h"
#include "siblings/glo/output_database.h"
#include "siblings/utl/utl.h"
#include "storage/db_units/paged_units.h"
#include "storage/db_units/work_room.h"
#include "zmx/storage.h"

namespace {

using namespace eqc_records;

constexpr Int kLongNameLength = 160;
constexpr Int kFileNameLength = 255;
constexpr Int kTableEntryLength = 81;
constexpr Int kSelectionUnit = 9;
constexpr Int kIndexKind = 1, kHeaderKind = 0, kDataKind = 14;
constexpr Int kSelectionWords = 7;
constexpr Int kBlocksPerRecord = 29;
constexpr long long kPieceLimit = 10'000'000;
constexpr int kCurrentRow = 34, kNodeStore = 25, kSlideStore = 12, kMStore = 7, kMlStore = 7;
constexpr int kReleaseForLabels = 6;
constexpr int kTrailingDofs = 6;

// Address and length words of the 29 data blocks of an index record.
constexpr int kBlockWords[kBlocksPerRecord][2] = {
    {3, 4},   {5, 6},   {7, 8},   {9, 10},  {11, 12}, {13, 14}, {15, 16}, {17, 18}, {19, 20}, {21, 24},
    {25, 26}, {29, 30}, {31, 32}, {33, 34}, {35, 36}, {37, 38}, {41, 42}, {43, 44}, {50, 51}, {52, 53},
    {56, 57}, {62, 63}, {66, 67}, {70, 71}, {73, 74}, {76, 77}, {79, 80}, {81, 82}, {85, 86}};

Int programKind() { return rec::i(CPROG, kProgramKind); }
Int indexLength() { return rec::i(CDSINX, kIndexLengthWord); }
Int& sel(int k) { return rec::i(CDSEL, k); }

// ---- messages -----------------------------------------------------------------------------

void message(const std::string& text, const std::vector<Int>& integers = {}, const std::string& item = " ") {
  const Int level = -3;
  const Real noReal = 0.0;
  const Int none = 0;
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), integers.empty() ? &none : integers.data(), &noReal,
         item.data(), static_cast<Int>(item.size()));
}

void messageWithName(const std::string& text, std::string_view name) { message(text, {}, std::string(name)); }

// ---- names --------------------------------------------------------------------------------

std::string field(const char* text, Int length, Int wanted) {
  std::string padded(static_cast<std::size_t>(wanted), ' ');
  fchar::assign(padded.data(), wanted, fchar::field(text, length));
  return padded;
}

std::string libraryEntry(Int i) {
  return std::string(rec::chars(CJBPAR, kLibraryNamesFirst + kLibraryNameLength * (i - 1), kLibraryNameLength));
}

void setLibraryEntry(Int i, std::string_view name) {
  rec::setChars(CJBPAR, kLibraryNamesFirst + kLibraryNameLength * (i - 1), kLibraryNameLength, name);
}

std::string openLibraryName() { return std::string(rec::chars(CDSELF, 1, kLibraryNameLength)); }

// A job string of CJBPAR up to its first NUL (a string never set), without trailing blanks.
std::string jobString(int first) {
  std::string_view text = rec::chars(CJBPAR, first, kJobStringLength);
  text = text.substr(0, std::min(text.size(), text.find('\0')));
  return std::string(fchar::trimmed(text));
}

// Full name of a substructure's files of one kind ("b" the library's copies, "c" the job's)
// from a 160-character name and the second directory: the directory, the name, "_" and the kind.
std::string fileBase(const std::string& name, const char* kind) {
  const std::string directory = jobString(kSecondDirectoryFirst);
  const std::string named = std::string(fchar::trimmed(name)) + "_" + kind;
  char full[kFileNameLength];
  Int status = 0;
  BCU_MKNAME(full, kFileNameLength, named.data(), static_cast<Int>(named.size()), directory.data(),
             static_cast<Int>(directory.size()), nullptr, &rec::i(CPROG, kProgramKind), &status);
  return std::string(fchar::view(full, kFileNameLength));
}

bool fileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

// Number written by the digits of a name ("Z12" gives 12); 0 for a name without digits.
Int digitsOf(std::string_view name) {
  long long value = 0;
  for (char c : name)
    if (std::isdigit(static_cast<unsigned char>(c)) != 0 && value < 100'000'000) value = 10 * value + (c - '0');
  return static_cast<Int>(value);
}

// Major and minor number of a release text such as "6.14".
std::pair<int, int> releaseOf(std::string_view text) {
  int major = 0, minor = 0;
  std::size_t k = 0;
  while (k < text.size() && std::isdigit(static_cast<unsigned char>(text[k])) != 0) major = 10 * major + (text[k++] - '0');
  if (k < text.size() && text[k] == '.') ++k;
  while (k < text.size() && std::isdigit(static_cast<unsigned char>(text[k])) != 0) minor = 10 * minor + (text[k++] - '0');
  return {major, minor};
}

// ---- the selection ------------------------------------------------------------------------

// The file of a library name: the name itself when its directory is absolute, else the name in
// the job directory.
std::string libraryFile(const std::string& name) {
  const std::string field80 = field(name.data(), static_cast<Int>(name.size()), kLibraryNameLength);
  char directory[kLibraryNameLength];
  Int directoryLength = 0, absolute = 0;
  SHR_GETPATH(field80.data(), kLibraryNameLength, directory, kLibraryNameLength, &directoryLength, &absolute);
  const std::string file(fchar::trimmed(field80));
  return absolute != 0 ? file : jobString(kJobDirectoryFirst) + file;
}

void openSelection(Int number, const std::string& name) {
  sel(kSelOpenLibrary) = number;
  rec::setChars(CDSELF, 1, kLibraryNameLength, name);
  SUPOPN();
}

// The address of the first index record, from the header's index-area word; 0 for a word that
// leaves the file's word addresses.
Int firstIndexRecord() {
  const long long address = static_cast<long long>(rec::i(CDSMNX, kIndexAreaBase)) + 1;
  return address >= 1 && address <= INT32_MAX ? static_cast<Int>(address) : 0;
}

// Words the open library file holds: its pages on the file and those in the page table.
long long libraryExtentWords() {
  Int pages = sel(kSelHighest);
  for (Int k = 0; k < sel(kSelPageCount); ++k) pages = std::max(pages, rec::i(CDSEL, kSelRecords + k));
  return static_cast<long long>(pages) * std::max(sel(kPageLength), 1);
}

// True when an index record at address lies inside the library file.
bool indexRecordInFile(Int address) {
  return address > 0 && static_cast<long long>(address) + kIndexRecordWords - 1 <= libraryExtentWords();
}

// The index record of the k-th substructure of the library into CDSINX; false when there is none.
bool readIndexRecord(Int k) {
  if (k < 1 || k > rec::i(CDSMNX, kSubstructures)) return false;
  Int address = firstIndexRecord();
  if (address == 0) return false;
  Int status = 0;
  const Int read = 0, none = 0;
  for (Int n = 1; n <= k; ++n) {
    if (!indexRecordInFile(address)) return false;
    DBSUP(&read, &kIndexKind, &address, CDSINX.w, &none, &status);
    if (status != 0) return false;
    address = rec::i(CDSINX, kNextIndexRecord);
  }
  return true;
}

void writeIndexBack(bool withCount) {
  Int address = rec::i(CDSINX, kWriteBackAddress);
  Int writable = 0;
  DBSUPW(&writable);
  if (address == 0 || writable == 0) return;
  const Int write = 1, none = 0;
  Int status = 0;
  DBSUP(&write, &kIndexKind, &address, CDSINX.w, &none, &status);
  if (withCount) DBSUP(&write, &kHeaderKind, &address, CDSMNX.w, &none, &status);
}

Int* selectionWord(int k) {
  switch (k) {
    case 1: return &rec::i(CDSUS, kCurrentRow);
    case 2: return &rec::i(CDND, kNodeStore);
    case 3: return &rec::i(CDSL, kSlideStore);
    case 5: return &rec::i(CDM, kMStore);
    case 6: return &rec::i(CMLADR, kMlStore);
    case 7: return &sel(kSelContext);
    default: return nullptr;  // word 4 is always 0
  }
}

void setStores(Int value) {
  rec::i(CDND, kNodeStore) = value;
  rec::i(CDSL, kSlideStore) = value;
  rec::i(CDM, kMStore) = value;
}

// ---- entering a substructure --------------------------------------------------------------

struct EnterNames {
  std::string library;  // 80
  std::string second, third, fourth;  // 160 each
};

// Copies the substructure's working files from the library's names to the job's unless the
// job has them already. A state file lost from the job is reported and copied again. A failed
// copy is reported and the next one still tried; false when any failed.
bool copyWorkingFiles(const std::string& from, const std::string& to, Int stateHandle) {
  if (fileExists(to + ".stt")) return true;
  if (stateHandle != -1) messageWithName("%S.stt DOES NOT EXIST. THIS FILE HAS BEEN ERASED FROM DISK.", to);
  bool copied = true;
  for (const char* kind : {".stt", ".mdl", ".prt"}) {
    const std::string source = from + kind, target = to + kind;
    if (std::string(kind) == ".prt" && !fileExists(source)) continue;
    if (FILECOPY(source.data(), static_cast<Int>(source.size()), target.data(), static_cast<Int>(target.size())) != 0) {
      messageWithName(std::string("CANNOT COPY %S") + kind, from);
      copied = false;
    }
  }
  return copied;
}

void openStateFile(const std::string& name, Int* stateHandle) {
  const Int open = 1;
  ADB_FILEOP(&open, name.data(), kLongNameLength, stateHandle);
  Int steps = 0, first = 0, last = 0;
  ADB_GETNUMSTEPS(stateHandle, &steps);
  const Int one = 1;
  ADB_SVHDLOP(&open, stateHandle, &one, &first);
  ADB_SVHDLOP(&open, stateHandle, &steps, &last);
}

// The implicit analysis deletes a substructure's output database, the other programs open it;
// false when the deletion failed (reported).
bool openOutputDatabase(const std::string& base, Int* odbHandle) {
  const std::string odb = base + ".odb";
  if (!fileExists(odb)) return true;
  if (programKind() == 0) {
    if (DELETEFILE(odb.data(), static_cast<Int>(odb.size())) == 0) return true;
    messageWithName("CANNOT DELETE %S.odb", base);
    return false;
  }
  EXTC_OPENDDB(odb.data(), static_cast<Int>(odb.size()), odbHandle);
  return true;
}

void makeCurrent(const std::string& name) {
  SHR_MAKEPRTMAPCURRENT(name.data(), kLongNameLength);
  SHR_MKMODELSURFACEDBCURRENT(name.data(), kLongNameLength);
}

// ---- compaction ---------------------------------------------------------------------------

struct Block {
  Int address, length, position;  // position: 1-based word of the address in the index records
};

// Moves length words from one library address to another through the buffer. The blocks were
// checked before anything moves (blocksAreSound): each move ends within the piece limit and the
// buffer holds a word.
void moveBlock(Real* buffer, Int bufferLength, Int from, Int to, Int length) {
  const Int read = 0, write = 1;
  Int status = 0;
  for (Int done = 0; done < length; done += bufferLength) {
    Int piece = std::min(bufferLength, length - done);
    Int source = from + done, target = to + done;
    DBSUP(&read, &kDataKind, &source, buffer, &piece, &status);
    DBSUP(&write, &kDataKind, &target, buffer, &piece, &status);
  }
}

// Pieces a move of length words through a buffer of bufferLength words takes.
long long piecesOf(Int length, Int bufferLength) {
  if (length <= 0) return 0;
  if (bufferLength < 1) return kPieceLimit + 1;  // it never ends
  return (static_cast<long long>(length) + bufferLength - 1) / bufferLength;
}

// The data blocks as the index records give them, checked before anything moves: every block
// lies inside the library file, no two overlap, and no move takes more pieces than allowed.
// The message of the first fault found (reported), or nothing.
bool blocksAreSound(const std::vector<Block>& blocks, Int bufferLength, long long indexEnd) {
  const long long extent = libraryExtentWords();
  std::vector<const Block*> order;
  for (const Block& block : blocks) {
    if (block.address == 0) continue;
    if (block.address < 1 || block.length < 0 || static_cast<long long>(block.address) + block.length - 1 > extent) {
      message("SYSTEM ERROR IN DBSUPC - DATA BLOCK AT INDEX WORD %I IS DAMAGED", {block.position});
      return false;
    }
    if (piecesOf(block.length, bufferLength) > kPieceLimit) {
      message(block.address <= indexEnd ? "SYSTEM ERROR IN DBSUPC - LOOP 210 LIMIT EXCEEDED"
                                        : "SYSTEM ERROR IN DBSUPC - LOOP 330 LIMIT EXCEEDED");
      return false;
    }
    if (block.length > 0) order.push_back(&block);
  }
  std::sort(order.begin(), order.end(), [](const Block* a, const Block* b) { return a->address < b->address; });
  for (std::size_t k = 1; k < order.size(); ++k) {
    if (static_cast<long long>(order[k - 1]->address) + order[k - 1]->length > order[k]->address) {
      message("SYSTEM ERROR IN DBSUPC - DATA BLOCK AT INDEX WORD %I IS DAMAGED", {order[k]->position});
      return false;
    }
  }
  return true;
}

// Room in bytes of a caller's array that lies in the address space, -1 when it is not known.
long long knownBytes(const void* array) {
  const Int word = mem32::wordOf(array);
  return word != 0 ? static_cast<long long>(mem32::bytesFrom(word)) : -1;
}

}  // namespace

extern "C" {

void SUPCLS() {
  if (sel(kSelOpenLibrary) == 0) return;
  const Int pageLength = std::max(sel(kPageLength), 1);
  rec::i(CDSMNX, kLibraryRecords) = std::max((sel(kSelWordsInUse) - 1) / pageLength + 1, sel(kSelHighest));
  bool changed = false;
  for (Int k = 1; k <= kIndexWords; ++k) changed = changed || rec::i(CDSMNX, k) != rec::i(CDSMNX, k + kIndexWords);
  if (changed) {
    for (Int k = 1; k <= kIndexWords; ++k) rec::i(CDSMNX, k + kIndexWords) = rec::i(CDSMNX, k);
    Real header[kIndexWords];
    const Int n = kIndexWords;
    ACOPJD(CDSMNX.w, header, &n);
    zmx::units::transfer(*zmx::units::pagedUnit(kSelectionUnit), 1, header, kIndexWords, 1, nullptr);
  }
  Int unit = kSelectionUnit, pools = 0;
  const Int close = 5, give = 0;
  DBALOC(&close, &unit, &pools);
  DBALOC(&give, &unit, &pools);
  sel(kSelOpenLibrary) = 0;
  rec::setChars(CDSELF, 1, kLibraryNameLength, "");
}

void DBSUPERLIB(const Int* operation, const Int* request, Int* status, Int* prtFlag, const Int* row,
                Int* stateHandle, Int* odbHandle, Int* limit, void* indexWords, const char* library,
                Int libraryLength, char* second, Int secondLength, char* third, Int thirdLength, char* fourth,
                Int fourthLength) {
  EnterNames names{field(library, libraryLength, kLibraryNameLength), field(second, secondLength, kLongNameLength),
                   field(third, thirdLength, kLongNameLength), field(fourth, fourthLength, kLongNameLength)};
  // Every failure is reported at level -3 and ends the call, except that a state file lost from
  // the job is copied again and a failed copy still lets the next one be tried.
  // 1. The library's file.
  const std::string path = libraryFile(names.library);
  // 2.
  if (*operation != 1 && *operation != 2) {
    message("OPERATION FLAG = %I IS NOT SUPPORTED BY dbsuperlib", {*operation});
    return;
  }
  // A longer name would be cut in the selection's 80 characters and open another file.
  if (*request != 0 && path.size() > static_cast<std::size_t>(kLibraryNameLength)) {
    const Int level = -3, none = 0;
    const Real noReal = 0.0;
    const std::string text = "FILENAME %S HAS EXCEEDED 80 CHARACTERS. MOVE THE SUBSTRUCTURE LIBRARIES TO THE "
                             "DIRECTORY THE JOB IS BEING SUBMITTED.";
    KVXERR1(&level, text.data(), static_cast<Int>(text.size()), &none, &noReal, path.data(),
            static_cast<Int>(path.size()), &none, &none);
    return;
  }
  // Looked for before the selection opens the file, which would make it; reported once the
  // selection has switched to it.
  const bool located = *request == 0 || fileExists(path);
  // 3. The selection.
  const bool isOpen = sel(kSelOpenLibrary) != 0;
  if (isOpen && (*request == 0 || !fchar::equal(openLibraryName(), path))) SUPCLS();
  if (*request != 0 && sel(kSelOpenLibrary) == 0) {
    setLibraryEntry(1, names.library);
    openSelection(1, path);
  }
  if (!located) {
    messageWithName("THE SUBSTRUCTURE LIBRARY %S CANNOT BE LOCATED. PLEASE CHECK FOR MISPELLED NAME OR MAKE SURE "
                    "THAT THE FILE EXISTS IN THE PROPER DIRECTORY.",
                    fchar::trimmed(names.library));
    return;
  }
  // 6. The library's header: its index words and release.
  char releaseText[8];
  Int headerStatus = 0;
  if (*request != 0) {
    DBSUPR(releaseText, 8, &headerStatus);
    if (headerStatus != 0) {
      messageWithName("CANNOT RETRIEVE LIBRARY NAMES IN FILE %S. THE SUBSTRUCTURE LIBRARY MAY BE CORRUPTED.",
                      fchar::trimmed(names.library));
      return;
    }
  }
  // 4. The index record.
  if (*request == 0) {
    const Int zero = 0;
    const Int n = std::min(indexLength(), kIndexRecordWords);
    ASETI(CDSINX.w, &zero, &n);
  } else if (!readIndexRecord(*request)) {
    messageWithName("CANNOT RETRIEVE LIBRARY NAMES IN FILE %S. THE SUBSTRUCTURE LIBRARY MAY BE CORRUPTED.",
                    fchar::trimmed(names.library));
    return;
  } else if (rec::i(CDSINX, kSubstructureId) == 0) {
    const Int level = -3;
    const Real noReal = 0.0;
    const Int id = digitsOf(names.fourth);
    const std::string text = "SUBSTRUCTURE ID Z%I IN LIBRARY %S HAS BEEN MODIFIED. IT IS NOT ALLOWED TO USE A "
                             "SUBSTRUCTURE THAT WILL BE GENERATED OR MODIFIED IN THE SAME INPUT DECK.";
    KVXERR(&level, text.data(), static_cast<Int>(text.size()), &id, &noReal, names.library.data(),
           kLibraryNameLength);
    return;
  }
  // 5. Work space.
  rec::i(CDSUS, kCurrentRow) = programKind() != 0 && *status > 0 ? *row : 0;
  const Int words = std::clamp(indexLength(), 0, kIndexRecordWords);  // a damaged length moves nothing
  const zmx::units::WorkRoom room(indexWords, *limit);
  if (*request == 0) {
    setStores(0);
    // The caller's index words are converted in place, within the array's room.
    const Int held = static_cast<Int>(std::clamp<long long>(room.units(), 0, words));
    if (indexWords != nullptr) ACOPEI(indexWords, &held);
  } else {
    setStores(1);
    // The index words are handed back in the work array, grown through DBCORE to hold them; a
    // failed growth, or an array without room for them, is refused. With no array only the
    // growth stands.
    if (indexWords == nullptr ? room.grow(words, limit) == zmx::units::Growth::kFailed
                              : !room.growOrRefuse(words, limit))
      return;
    if (indexWords != nullptr) {
      std::vector<Real> slots(static_cast<std::size_t>(words));
      ACOPJD(CDSINX.w, slots.data(), &words);
      ACOPY1(slots.data(), indexWords, &words);
      ACOPEI(indexWords, &words);
    }
  }
  // 7. Long labels.
  const auto release = releaseOf(fchar::view(releaseText, *request != 0 ? 8 : 0));
  Int labelStatus = 0;
  const Int namesOperation = 6;
  LABELACCESS(&namesOperation, names.third.data(), kLongNameLength, &labelStatus);
  if (labelStatus != 0) {
    if (*request == 0) {
      message("SYSTEM ERROR IN dbsuperlib - CAN NOT RETRIEVE GLOBAL LABELS");
      return;
    }
    if (release.first >= kReleaseForLabels) {
      const Int capacity = 999;
      std::vector<char> labels(static_cast<std::size_t>(capacity) * kLongNameLength);
      Int count = 0, readStatus = 0;
      DBSUPL(labels.data(), kLongNameLength, &capacity, &count, &readStatus);
      const Int add = 0;
      for (Int k = 0; k < count; ++k) {
        Int addStatus = 0;
        LABELACCESS(&add, labels.data() + static_cast<std::ptrdiff_t>(k) * kLongNameLength, kLongNameLength,
                    &addStatus);
      }
    }
  }
  // 8. The part-map flag.
  const std::string libraryBase = fileBase(names.fourth, "b");
  if (*request == 0)
    *prtFlag = 1;
  else
    *prtFlag = fileExists(libraryBase + ".prt") && release >= std::pair<int, int>{6, 3} ? 1 : 0;
  if (*status < 0) {
    names.second = names.third;
    fchar::assign(second, secondLength, names.third);
  }
  // 9.
  if (*operation == 1 && *prtFlag == 0) {
    if (programKind() != 0)
      messageWithName("CAN NOT ENTER SUBSTRUCTURE %S WITH RECOVERY=NO", fchar::trimmed(names.fourth));
    return;
  }
  // 10.
  if (*request == 0) {
    SHR_MAKEGLOBALPRTMAPCURRENT();
    SHR_MKMODELSURFACEDBCURRENT("global", 6);
    return;
  }
  if (*status < 0) {
    if (*stateHandle == -1) {
      const Int open = 1;
      ADB_FILEOP(&open, names.third.data(), kLongNameLength, stateHandle);
    }
    makeCurrent(names.third);
    return;
  }
  // 11. - 14.
  const std::string jobBase = fileBase(names.second, "c");
  if (!copyWorkingFiles(libraryBase, jobBase, *stateHandle)) return;
  if (*stateHandle == -1) openStateFile(names.second, stateHandle);
  if (*odbHandle == -1 && !openOutputDatabase(libraryBase, odbHandle)) return;
  makeCurrent(names.fourth);
  if (programKind() != 0) EXTC_SETCURRENTDDB(odbHandle);
}

void GETSUPLIBNAME(const Int* operation, const Int* request, Int* indexArray, Int* context, Int* libraryNumber,
                   Int* dofWord, Int* dbHandle, char* name, Int nameLength, char* names, Int namesLength,
                   char* second, Int secondLength) {
  if (indexLength() != kIndexRecordWords) {
    // A caller's index array holds one record of 140 words; another length cannot be copied.
    message("SYSTEM ERROR IN getsuplibname - change the size of the substructure index array to %I",
            {indexLength()});
    return;
  }
  const Int words = indexLength();
  const Int entryLength = std::min(namesLength, kTableEntryLength);
  switch (*operation) {
    case 0: {
      for (Int i = 1; i <= kLibraryNames; ++i) {
        char* entry = names + static_cast<std::ptrdiff_t>(i - 1) * namesLength;
        fchar::assign(entry, entryLength, libraryEntry(i));
      }
      if (sel(kSelOpenLibrary) != 0) {
        char release[8];
        Int status = 0;
        DBSUPR(release, 8, &status);
      }
      ACOPII(CDSINX.w, indexArray, &words);
      *libraryNumber = sel(kSelOpenLibrary);
      for (int k = 1; k <= kSelectionWords; ++k) context[k - 1] = selectionWord(k) != nullptr ? *selectionWord(k) : 0;
      const Int jobLabel = 8;
      Int status = 0;
      LABELACCESS(&jobLabel, name, std::min(nameLength, kLibraryNameLength), &status);
      *dofWord = programKind() == 0 ? rec::i(CLDOF, 1) : rec::i(CODB, 3);
      return;
    }
    case 1:
      writeIndexBack(true);
      if (programKind() != 0 && *dbHandle != -1) {
        const Int closeHandle = 2;
        ADB_DBOP(&closeHandle, dbHandle);
        *dbHandle = -1;
      }
      return;
    case 2:
    case 4:
      writeIndexBack(false);
      return;
    case 3:
    case 5: {
      for (Int i = 1; i <= kLibraryNames; ++i)
        setLibraryEntry(i, fchar::field(names + static_cast<std::ptrdiff_t>(i - 1) * namesLength,
                                        std::min(namesLength, kLibraryNameLength)));
      const Int i = *request;
      if (i == 0) {
        SUPCLS();
      } else if (i >= 1 && i <= kLibraryNames) {
        const std::string path = libraryFile(libraryEntry(i));
        if (!fchar::equal(openLibraryName(), path)) {
          SUPCLS();
          openSelection(i, path);
        }
        sel(kSelOpenLibrary) = i;
        if (*operation == 3) {
          char release[8];
          Int status = 0;
          DBSUPR(release, 8, &status);
        }
      }
      ACOPII(indexArray, CDSINX.w, &words);
      const Int longLabels = 6;
      Int status = 0;
      LABELACCESS(&longLabels, name, nameLength, &status);
      if (status != 0) {
        messageWithName("SYSTEM ERROR IN getsuplibname - CAN NOT RETRIEVE LONG LABELS FOR %S",
                        fchar::view(name, nameLength));
        SHR_XIT();
        return;
      }
      for (int k = 1; k <= kSelectionWords; ++k)
        if (Int* word = selectionWord(k)) *word = context[k - 1];
      (programKind() == 0 ? rec::i(CLDOF, 1) : rec::i(CODB, 3)) = *dofWord;
      const std::string secondName = field(second, secondLength, kLongNameLength);
      makeCurrent(secondName);
      return;
    }
    default:
      message("SYSTEM ERROR IN getsuplibname - jop %I is out of range", {*operation});
      return;
  }
}

void DBSUPC(Int* indexRecords, Int* entries, Real* buffer, const Int* blockCount, const Int* bufferLength) {
  // An index record must hold the words of all 29 blocks and fit the index record the store
  // keeps; another length would read past the records.
  const Int words = indexLength();
  if (*blockCount != kBlocksPerRecord || words < kBlockWords[kBlocksPerRecord - 1][1] || words > kIndexRecordWords) {
    message("SYSTEM ERROR IN DBSUPC - SIZE OF WORKSPACE IS NOT SUFFICIENT TO PROCESS DATA.");
    return;
  }
  // 2. The kept index records, one after another. A chain longer than the file can hold index
  // records loops; records beyond the caller's array, where its room is known, do not fit.
  Int address = firstIndexRecord();
  const long long substructures = rec::i(CDSMNX, kSubstructures);
  const long long chainLimit = libraryExtentWords() / kIndexRecordWords + 1;
  const long long recordRoom = knownBytes(indexRecords), entryRoom = knownBytes(entries);
  if (address == 0 || substructures > chainLimit || sel(kSelWordsInUse) > libraryExtentWords()) {
    message("SYSTEM ERROR IN DBSUPC - THE LIBRARY HEADER IS DAMAGED");
    return;
  }
  Int kept = 0;
  const Int read = 0, none = 0;
  for (Int n = 0; n < substructures; ++n) {
    Int status = 0;
    if (!indexRecordInFile(address)) {
      message("SYSTEM ERROR IN DBSUPC - THE LIBRARY HEADER IS DAMAGED");
      return;
    }
    DBSUP(&read, &kIndexKind, &address, CDSINX.w, &none, &status);
    if (status != 0) break;
    if (rec::i(CDSINX, kSubstructureId) != 0) {
      const long long records = kept + 1LL;
      if ((recordRoom >= 0 && records * words * 4 > recordRoom) ||
          (entryRoom >= 0 && records * kBlocksPerRecord * 3 * 4 > entryRoom)) {
        message("SYSTEM ERROR IN DBSUPC - SIZE OF WORKSPACE IS NOT SUFFICIENT TO PROCESS DATA.");
        return;
      }
      ACOPII(CDSINX.w, indexRecords + static_cast<std::ptrdiff_t>(kept) * words, &words);
      ++kept;
    }
    address = rec::i(CDSINX, kNextIndexRecord);
  }
  // 3. The entry table.
  std::vector<Block> blocks;
  for (Int r = 0; r < kept; ++r) {
    for (int b = 0; b < kBlocksPerRecord; ++b) {
      const Int base = r * words;
      Block block{indexRecords[base + kBlockWords[b][0] - 1], indexRecords[base + kBlockWords[b][1] - 1],
                  base + kBlockWords[b][0]};
      blocks.push_back(block);
    }
  }
  const long long indexEndWord = static_cast<long long>(rec::i(CDSMNX, kIndexAreaBase)) + static_cast<long long>(kept) * words;
  if (indexEndWord > INT32_MAX || !blocksAreSound(blocks, *bufferLength, indexEndWord)) return;
  rec::i(CDSMNX, kSubstructures) = kept;
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    Int* entry = entries + 3 * static_cast<std::ptrdiff_t>(k);
    entry[0] = blocks[k].address;
    entry[1] = blocks[k].length;
    entry[2] = blocks[k].position;
  }
  // 4. Blocks inside the compacted index area go to the end of the file first.
  const Int indexEnd = static_cast<Int>(indexEndWord);
  for (Block& block : blocks) {
    if (block.address == 0 || block.address > indexEnd) continue;
    const Int target = sel(kSelWordsInUse) + 1;
    if (static_cast<long long>(target) + block.length > INT32_MAX) {
      message("SYSTEM ERROR IN DBSUPC - DATA BLOCK AT INDEX WORD %I IS DAMAGED", {block.position});
      return;
    }
    moveBlock(buffer, *bufferLength, block.address, target, block.length);
    block.address = target;
    indexRecords[block.position - 1] = target;
    sel(kSelWordsInUse) = std::max(sel(kSelWordsInUse), target + block.length - 1);
  }
  // 5. Then every block in address order down to the next free address.
  Int next = indexEnd + 1;
  std::vector<bool> placed(blocks.size(), false);
  for (;;) {
    std::ptrdiff_t lowest = -1;
    for (std::size_t k = 0; k < blocks.size(); ++k)
      if (!placed[k] && blocks[k].address != 0 && (lowest < 0 || blocks[k].address < blocks[lowest].address))
        lowest = static_cast<std::ptrdiff_t>(k);
    if (lowest < 0) break;
    Block& block = blocks[static_cast<std::size_t>(lowest)];
    placed[static_cast<std::size_t>(lowest)] = true;
    if (block.address != next) moveBlock(buffer, *bufferLength, block.address, next, block.length);
    block.address = next;
    indexRecords[block.position - 1] = next;
    next += block.length;
  }
}

void SHR_SUBSTRACTIVEDOF(Int* active, const Int* codes, const Int* n, const Int* nodes, const Int* flags) {
  for (int k = 0; k < kTrailingDofs; ++k) active[k] = flags[k] > 0 ? 1 : 0;
  for (Int i = 0; i < *n; ++i) {
    const Int node = (codes[i] - 1) / 100 + 1;
    const Int dof = codes[i] - 100 * (node - 1);
    if (node <= *nodes && dof >= 1 && dof <= kTrailingDofs) active[dof - 1] = 1;
  }
}

void SHR_SUPACT(Int* codes, Int* n, const Int* nodes) {
  Int active[kTrailingDofs];
  SHR_SUBSTRACTIVEDOF(active, codes, n, nodes, CLDOF.w);
  const Int nt = active[2] != 0 ? 3 : active[1] != 0 ? 2 : active[0] != 0 ? 1 : 0;
  const long long capacity = 6LL * *nodes;
  auto has = [&](Int code) { return std::find(codes, codes + *n, code) != codes + *n; };
  auto append = [&](Int code) {
    if (has(code)) return true;
    if (*n >= capacity) {
      message("SYSTEM ERROR IN SHR_SUPACT - RETAINED DEGREES OF FREEDOM EXCEED %I", {static_cast<Int>(capacity)});
      return false;
    }
    codes[(*n)++] = code;
    return true;
  };
  for (Int k = 1; k <= *nodes; ++k) {
    const Int base = 100 * (k - 1);
    bool any = false;
    for (Int dof = 1; dof <= nt; ++dof) any = any || has(base + dof);
    for (Int dof = 1; any && dof <= nt; ++dof)
      if (!append(base + dof)) return;
    if (!has(base + 4) && !has(base + 5) && !has(base + 6)) continue;
    const bool whole = active[3] > 0 || (nt == 3 && (active[3] != 0 || active[4] != 0 || active[5] != 0));
    for (Int dof = 4; dof <= 6; ++dof) {
      const bool wanted = whole || (dof == 5 && active[4] != 0) || (dof == 6 && active[5] != 0);
      if (wanted && !append(base + dof)) return;
    }
  }
}

}  // extern "C"

void dbSuperLibC(int operation, int request, int& status, cow_String& library, cow_String& second, int& prtFlag,
                 int& stateHandle, int& odbHandle, cow_String& fourth, cow_String& third, int& limit, int row,
                 int indexWords) {
  auto padded = [](const cow_String& text, Int length) {
    std::string out(static_cast<std::size_t>(length), ' ');
    fchar::assign(out.data(), length, std::string_view(text.CStr(), text.Length()));
    return out;
  };
  const std::string lib = padded(library, kLibraryNameLength);
  std::string s2 = padded(second, kLongNameLength), s3 = padded(third, kLongNameLength),
              s4 = padded(fourth, kLongNameLength);
  void* index = nullptr;
  if (indexWords != 0)
    index = mem32::resolve(indexWords, 8 * static_cast<std::size_t>(std::min(indexLength(), kIndexRecordWords)));
  if (indexWords != 0 && index == nullptr) return;
  DBSUPERLIB(&operation, &request, &status, &prtFlag, &row, &stateHandle, &odbHandle, &limit, index, lib.data(),
             kLibraryNameLength, s2.data(), kLongNameLength, s3.data(), kLongNameLength, s4.data(), kLongNameLength);
  auto back = [](const std::string& text) {
    const std::string_view kept = fchar::trimmed(text);
    return cow_String(kept.data(), kept.size());
  };
  third = back(s3);
  fourth = back(s4);
  if (status < 0) second = back(s2);
}

void getsuplibnameC(int operation, int request, Int* indexArray, Int* context, int& libraryNumber, int& dofWord,
                    cow_String& name, std::vector<cow_String>& names, int& dbHandle, cow_String& second) {
  std::vector<char> table(static_cast<std::size_t>(kLibraryNames) * kTableEntryLength, ' ');
  if (operation == 3 || operation == 5) {
    for (std::size_t i = 0; i < names.size() && i < static_cast<std::size_t>(kLibraryNames); ++i)
      fchar::assign(table.data() + i * kTableEntryLength, kTableEntryLength,
                    std::string_view(names[i].CStr(), names[i].Length()));
  }
  std::string n1(static_cast<std::size_t>(kLongNameLength), ' '), n2(static_cast<std::size_t>(kLongNameLength), ' ');
  fchar::assign(n1.data(), kLongNameLength, std::string_view(name.CStr(), name.Length()));
  fchar::assign(n2.data(), kLongNameLength, std::string_view(second.CStr(), second.Length()));
  GETSUPLIBNAME(&operation, &request, indexArray, context, &libraryNumber, &dofWord, &dbHandle, n1.data(),
                kLongNameLength, table.data(), kTableEntryLength, n2.data(), kLongNameLength);
  if (operation != 0) return;
  for (Int i = 0; i < kLibraryNames - 1; ++i) {
    const std::string_view entry = fchar::view(table.data() + static_cast<std::ptrdiff_t>(i) * kTableEntryLength,
                                               kTableEntryLength);
    if (entry.empty()) break;
    names.emplace_back(entry.data(), entry.size());
  }
  const std::string_view kept = fchar::trimmed(n1);
  name = cow_String(kept.data(), kept.size());
}
