#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/fortran_chars.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_state.h"
#include "siblings/eqc/eqc_labels.h"
#include "siblings/eqc/eqc_units.h"
#include "siblings/eqc/job_testing.h"
#include "siblings/eqc/run_testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "siblings/eqc/unit_records.h"
#include "siblings/glo/output_database.h"
#include "siblings/inp/solver_part_map.h"
#include "siblings/utl/utl.h"
#include "tests/storage/db_units/unit_fixture.h"
#include "tests/support/bounded_child.h"
#include "tests/support/mapped_array.h"
#include "tests/support/truncation.h"
#include "zmx/storage.h"

namespace {

using zmxtest::UnitFixture;

constexpr Int kNodeWords = 3;

std::string padded(const std::string& text, std::size_t length) {
  std::string out = text;
  out.resize(length, ' ');
  return out;
}

std::vector<char> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SubstructureLibrary : public UnitFixture {
 protected:
  void SetUp() override {
    UnitFixture::SetUp();
    startSession();
  }

  // What a fresh host does: pools for unit 9, the index length from the run defaults.
  void startSession() {
    makePools(4, 32);
    op(0, 9, 2);
    rec::i(CDSINX, 281) = 140;
    rec::i(CPROG, 1) = 1;
    rec::setChars(CJBPAR, 2049, 256, jobDirectory_);
    rec::setChars(CJBPAR, 2305, 500 * 80, "");
  }

  // The library's copies of a substructure's working files.
  void workingFiles(const std::string& id, std::initializer_list<const char*> kinds) {
    for (const char* kind : kinds) std::ofstream(jobDirectory_ + id + "_b" + kind) << kind;
  }

  void restartSession() {
    SUPCLS();
    newSession();
    startSession();
  }

  std::string libraryPath(const std::string& name) { return jobDirectory_ + name; }

  // Generates a library of substructures Z1..Zn with `nodes` node records each (node k of
  // substructure s holds s*1000 + k*10 + word), and one long label per substructure.
  void generate(const std::string& name, Int substructures, Int nodes, bool lastBeingModified = false) {
    rec::setChars(CDSELF, 1, 80, libraryPath(name));
    rec::i(CDSEL, 41) = 1;
    SUPOPN();
    Int status = 0;
    const Int write = 1, none = 0;
    Int previous = 0;
    for (Int s = 1; s <= substructures; ++s) {
      Int address = rec::i(CDSEL, 27) + 1;
      if (previous != 0) setIndexWord(previous, 65, address);  // link the previous index record to this one
      std::fill(CDSINX.w, CDSINX.w + 140, 0);
      rec::i(CDSINX, 1) = lastBeingModified && s == substructures ? 0 : s;
      rec::i(CDSINX, 2) = kNodeWords;
      rec::i(CDSINX, 3) = address + 140;
      rec::i(CDSINX, 4) = nodes * kNodeWords;
      rec::i(CDSINX, 60) = address;
      DBSUP(&write, &kIndexKind, &address, CDSINX.w, &none, &status);
      for (Int k = 1; k <= nodes; ++k) {
        std::vector<Real> record{s * 1000.0 + k * 10 + 1, s * 1000.0 + k * 10 + 2, s * 1000.0 + k * 10 + 3};
        DBSUP(&write, &kNodeKind, &k, record.data(), &kNodeWords, &status);
      }
      previous = address;
    }
    // The label record: its length, the count, then 160 characters per label.
    const Int count = substructures;
    std::vector<Real> labels(static_cast<std::size_t>(2 + 20 * count), 0.0);
    rec::setSlotI(labels.data(), 1, static_cast<Int>(labels.size()));
    rec::setSlotI(labels.data(), 2, count);
    for (Int s = 1; s <= count; ++s) {
      const std::string label = padded("SUBSTRUCTURE-LONG-LABEL-NUMBER-" + std::to_string(s), 160);
      std::memcpy(&labels[static_cast<std::size_t>(2 + 20 * (s - 1))], label.data(), 160);
    }
    Int labelAddress = rec::i(CDSEL, 27) + 1;
    const Int cm = 14;
    DBSUP(&write, &cm, &labelAddress, labels.data(), &none, &status);
    rec::i(CDSMNX, 5) = labelAddress;
    rec::i(CDSMNX, 3) = substructures;
    SUPCLS();
  }

  struct Enter {
    Int status = 1, prtFlag = -7, stateHandle = -1, odbHandle = -1, limit = 0;
    std::vector<Int> indexWords = std::vector<Int>(2 * 140, 0);
    std::string second = padded("WORK", 160), third = padded("SUBSTRUCTURE-ONE", 160), fourth = padded("Z1", 160);
    // The host keeps its work array in the address space, so the growth DBCORE books reaches it.
    Int block = mem32::map(indexWords.data(), indexWords.size() * sizeof(Int), mem32::tag("TEST"));
    Enter() = default;
    Enter(const Enter&) = delete;
    Enter& operator=(const Enter&) = delete;
    ~Enter() {
      if (block != 0) mem32::unmap(block);
    }
  };

  void enter(Int operation, Int request, const std::string& library, Enter& e, Int row = 0) {
    const std::string lib = padded(library, 80);
    DBSUPERLIB(&operation, &request, &e.status, &e.prtFlag, &row, &e.stateHandle, &e.odbHandle, &e.limit,
               e.indexWords.data(), lib.data(), 80, e.second.data(), 160, e.third.data(), 160, e.fourth.data(), 160);
  }

  // Marks the first substructure of the open library as being generated or modified.
  void markFirstBeingModified() { setIndexWord(rec::i(CDSMNX, 1) + 1, 1, 0); }

  // Rewrites one word of the index record at `address` of the open library.
  static void setIndexWord(Int address, Int word, Int value) {
    Int status = 0;
    const Int read = 0, write = 1, none = 0;
    DBSUP(&read, &kIndexKind, &address, CDSINX.w, &none, &status);
    rec::i(CDSINX, word) = value;
    DBSUP(&write, &kIndexKind, &address, CDSINX.w, &none, &status);
  }

  // Compacts the open library through a buffer of 5 words into the caller's kept records and
  // moved entries.
  static void compact(Int* records, Int* entries, Int blocks = 29) {
    std::vector<Real> buffer(5);
    const Int bufferLength = 5;
    DBSUPC(records, entries, buffer.data(), &blocks, &bufferLength);
  }

  // The node block at `at`, read back whole, is substructure s's: its first and last words.
  static void expectNodeBlock(Int at, Int s) {
    std::vector<Real> words(4 * kNodeWords);
    Int length = 4 * kNodeWords, status = 0;
    const Int read = 0, cm = 14;
    DBSUP(&read, &cm, &at, words.data(), &length, &status);
    EXPECT_EQ(words[0], s * 1000.0 + 11) << "substructure " << s;
    EXPECT_EQ(words.back(), s * 1000.0 + 43) << "substructure " << s;
  }

  static constexpr Int kIndexKind = 1, kNodeKind = 9;
};


TEST_F(SubstructureLibrary, AnUnsupportedOperationIsReportedAndChangesNothing) {
  Enter e;
  const CDSEL_t before = CDSEL;
  enter(3, 1, "LIB", e);
  EXPECT_TRUE(eqc_testing::printed("OPERATION FLAG = 3 IS NOT SUPPORTED BY dbsuperlib"));
  EXPECT_EQ(std::vector<Int>(before.w, before.w + 50), std::vector<Int>(CDSEL.w, CDSEL.w + 50));
  EXPECT_EQ(e.prtFlag, -7);
}

TEST_F(SubstructureLibrary, ALibraryWrittenInOneSessionIsFoundInTheNext) {
  generate("LIB", 2, 5);
  restartSession();

  workingFiles("Z2", {".stt", ".mdl"});
  Enter e;
  e.fourth = padded("Z2", 160);
  enter(2, 2, "LIB", e);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  EXPECT_EQ(rec::i(CDSEL, 41), 1);
  EXPECT_EQ(fchar::trimmed(rec::chars(CJBPAR, 2305, 80)), "LIB");
  EXPECT_EQ(rec::i(CDSMNX, 3), 2);
  EXPECT_EQ(rec::i(CDSINX, 1), 2);  // the second substructure's index record
  EXPECT_EQ(e.indexWords[0], 2);    // handed out as 4-byte integers
  EXPECT_EQ(e.indexWords[1], kNodeWords);
  EXPECT_EQ(e.limit, 140);
  EXPECT_EQ(rec::i(CDND, 25), 1);

  // Node records now come from the library.
  rec::i(CPROG, 1) = 0;
  std::vector<Real> record(kNodeWords);
  const Int read = 0, node = 4;
  DBND(&read, record.data(), &node);
  EXPECT_EQ(record, (std::vector<Real>{2041.0, 2042.0, 2043.0}));

  // And its long labels.
  std::vector<char> labels(4 * 160);
  Int capacity = 4, count = 0, status = 1;
  DBSUPL(labels.data(), 160, &capacity, &count, &status);
  EXPECT_EQ(status, 0);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(fchar::view(labels.data() + 160, 160), "SUBSTRUCTURE-LONG-LABEL-NUMBER-2");

  // Request 0 closes the selection and makes the global maps current.
  inp_testing::clearPartMapCalls();
  enter(2, 0, "LIB", e);
  EXPECT_EQ(rec::i(CDSEL, 41), 0);
  EXPECT_EQ(rec::i(CDND, 25), 0);
  EXPECT_EQ(rec::i(CDSINX, 1), 0);
  EXPECT_EQ(e.prtFlag, 1);
  EXPECT_EQ(inp_testing::partMapCalls(), std::vector<std::string>{"MakeCurrent"});
}

// The index words go to the caller's work array only after DBCORE has grown it to hold them, and
// only within the array's room: its block in the address space, else the limit passed.
TEST_F(SubstructureLibrary, AWorkArrayThatCannotGrowIsNotWritten) {
  generate("LIB", 1, 5);
  restartSession();
  workingFiles("Z1", {".stt", ".mdl"});
  Enter e;
  dm2_testing::setStackLimit(dm2_testing::stackInUse());
  enter(2, 1, "LIB", e);
  EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE."));
  EXPECT_EQ(e.limit, 0);
  EXPECT_EQ(e.indexWords, std::vector<Int>(2 * 140, 0));
  EXPECT_EQ(e.prtFlag, -7);

  // A heap array of the limit passed: DBCORE books the growth, but the array is not written.
  dm2_testing::setStackLimit(1LL << 40);
  eqc_testing::clearMessages();
  mem32::unmap(e.block);
  e.block = 0;
  enter(2, 1, "LIB", e);
  EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE."));
  EXPECT_EQ(e.limit, 140);
  EXPECT_EQ(e.indexWords, std::vector<Int>(2 * 140, 0));

  // An index record whose length word is damaged (negative) moves no words.
  setIndexWord(rec::i(CDSMNX, 1) + 1, 281, -5);
  enter(2, 1, "LIB", e);
  EXPECT_EQ(e.indexWords, std::vector<Int>(2 * 140, 0));

  // Request 0 converts the caller's index words (the index record's length, 140) in place, only
  // within the array's room.
  rec::i(CDSINX, 281) = 140;
  zmxtest::MappedArray two(2);
  two[0] = two[1] = 0.0;
  rec::setSlotI(two.data(), 1, 41);
  rec::setSlotI(two.data(), 2, 42);
  Int operation = 2, request = 0, row = 0;
  const std::string lib = padded("LIB", 80);
  e.limit = 2;
  DBSUPERLIB(&operation, &request, &e.status, &e.prtFlag, &row, &e.stateHandle, &e.odbHandle, &e.limit,
             two.data(), lib.data(), 80, e.second.data(), 160, e.third.data(), 160, e.fourth.data(), 160);
  EXPECT_TRUE(two.guardsKept());
  const Int* words = reinterpret_cast<const Int*>(two.data());
  EXPECT_EQ(std::vector<Int>(words, words + 2), (std::vector<Int>{41, 42}));
}

TEST_F(SubstructureLibrary, TheSameLibraryStaysOpenAndAnotherRewritesTheIndexOnlyWhenItChanged) {
  generate("A", 1, 2);
  generate("B", 1, 2);
  Enter e;
  enter(2, 1, "A", e);
  const std::vector<char> unchanged = readFile(libraryPath("A"));
  rec::setChars(CJBPAR, 2305, 80, "X");  // an opening would write the name here again
  enter(2, 1, "A", e);
  EXPECT_EQ(rec::i(CDSEL, 41), 1);
  EXPECT_EQ(fchar::trimmed(rec::chars(CJBPAR, 2305, 80)), "X");
  enter(2, 1, "B", e);  // A's index words did not change: its header stays as it was
  const std::vector<char> after = readFile(libraryPath("A"));
  ASSERT_GE(after.size(), 64u);
  EXPECT_TRUE(std::equal(after.begin(), after.begin() + 64, unchanged.begin()));
  EXPECT_EQ(fchar::trimmed(rec::chars(CDSELF, 1, 80)), libraryPath("B"));

  rec::i(CDSMNX, 6) = 77;  // B's index words change while it is open
  enter(2, 1, "A", e);
  SUPCLS();
  rec::setChars(CDSELF, 1, 80, libraryPath("B"));
  rec::i(CDSEL, 41) = 1;
  SUPOPN();
  EXPECT_EQ(rec::i(CDSMNX, 6), 77);
  EXPECT_EQ(rec::i(CDSMNX, 12), 77);
}

TEST_F(SubstructureLibrary, EnteringCopiesTheWorkingFilesAndOpensTheSubstructuresDatabases) {
  generate("LIB", 1, 2);
  workingFiles("Z1", {".stt", ".mdl", ".prt", ".odb"});
  Enter e;
  inp_testing::clearPartMapCalls();
  const std::size_t stateFiles = dm2_testing::openStateFiles().size();
  enter(1, 1, "LIB", e, 3);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  EXPECT_EQ(e.prtFlag, 1);
  EXPECT_EQ(rec::i(CDSUS, 34), 3);
  for (const char* kind : {".stt", ".mdl", ".prt"}) {
    EXPECT_TRUE(std::filesystem::exists(jobDirectory_ + "WORK_c" + kind)) << kind;
  }
  EXPECT_NE(e.stateHandle, -1);
  EXPECT_EQ(dm2_testing::openStateFiles().size(), stateFiles + 1);
  EXPECT_EQ(dm2_testing::openStateFiles().back(), "WORK");
  EXPECT_NE(e.odbHandle, -1);
  EXPECT_EQ(glo_testing::currentOutputDatabase(), jobDirectory_ + "Z1_b.odb");
  const auto calls = inp_testing::partMapCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_NE(calls[0].find("Z1.prt"), std::string::npos);

  // A second entry finds the job's copies and copies nothing; a lost state file is reported,
  // copied again, and the entry goes on to the part map.
  std::filesystem::remove(jobDirectory_ + "WORK_c.mdl");
  enter(1, 1, "LIB", e);
  EXPECT_FALSE(std::filesystem::exists(jobDirectory_ + "WORK_c.mdl"));
  std::filesystem::remove(jobDirectory_ + "WORK_c.stt");
  std::filesystem::remove(jobDirectory_ + "Z1_b.prt");
  inp_testing::clearPartMapCalls();
  enter(2, 1, "LIB", e);
  EXPECT_TRUE(eqc_testing::printed(jobDirectory_ + "WORK_c.stt DOES NOT EXIST. THIS FILE HAS BEEN ERASED FROM DISK."));
  EXPECT_TRUE(std::filesystem::exists(jobDirectory_ + "WORK_c.stt"));
  EXPECT_EQ(inp_testing::partMapCalls().size(), 1u);
}

TEST_F(SubstructureLibrary, TheImplicitAnalysisDeletesAStaleOutputDatabase) {
  generate("LIB", 1, 2);
  workingFiles("Z1", {".stt", ".mdl", ".prt", ".odb"});
  rec::i(CPROG, 1) = 0;
  Enter e;
  enter(1, 1, "LIB", e);
  EXPECT_FALSE(std::filesystem::exists(jobDirectory_ + "Z1_b.odb"));
  EXPECT_EQ(e.odbHandle, -1);
}

TEST_F(SubstructureLibrary, MissingLibrariesAndSubstructuresBeingModifiedAreReported) {
  // A missing library is reported once the selection has left the open one for it.
  generate("A", 1, 2);
  Enter e;
  enter(2, 1, "A", e);
  enter(2, 1, "NOWHERE", e);
  EXPECT_TRUE(eqc_testing::printed("THE SUBSTRUCTURE LIBRARY NOWHERE CANNOT BE LOCATED."));
  EXPECT_EQ(rec::i(CDSEL, 41), 1);
  EXPECT_EQ(fchar::trimmed(rec::chars(CDSELF, 1, 80)), libraryPath("NOWHERE"));
  EXPECT_EQ(fchar::trimmed(rec::chars(CJBPAR, 2305, 80)), "NOWHERE");
  SUPCLS();
  enter(2, 1, std::string(81, 'x'), e);
  EXPECT_TRUE(eqc_testing::printed("HAS EXCEEDED 80 CHARACTERS."));

  generate("LIB", 2, 2, true);
  e.fourth = padded("Z12", 160);
  enter(2, 2, "LIB", e);
  EXPECT_TRUE(eqc_testing::printed("SUBSTRUCTURE ID Z12 IN LIBRARY LIB"));
  EXPECT_TRUE(eqc_testing::printed("HAS BEEN MODIFIED. IT IS NOT ALLOWED TO USE A SUBSTRUCTURE THAT WILL BE GENERATED"));
}

// After any failure's message nothing more is entered: no store switched, no working file
// copied, no state file opened, no part map made current.
TEST_F(SubstructureLibrary, EveryFailureEndsTheCallAfterItsMessage) {
  const std::string job = jobDirectory_ + "WORK_c";
  auto expectNothingEntered = [&](const Enter& e, const char* which) {
    EXPECT_TRUE(inp_testing::partMapCalls().empty()) << which;
    EXPECT_EQ(e.stateHandle, -1) << which;
    EXPECT_FALSE(std::filesystem::exists(job + ".stt")) << which;
    inp_testing::clearPartMapCalls();
  };
  inp_testing::clearPartMapCalls();
  workingFiles("Z1", {".stt", ".mdl", ".prt"});

  generate("BEING-MODIFIED", 1, 2, true);
  Enter modified;
  enter(2, 1, "BEING-MODIFIED", modified);
  EXPECT_TRUE(eqc_testing::printed("HAS BEEN MODIFIED."));
  EXPECT_EQ(rec::i(CDND, 25), 0);
  EXPECT_EQ(modified.prtFlag, -7);
  expectNothingEntered(modified, "modified");

  generate("LIB", 1, 2);
  std::filesystem::remove(jobDirectory_ + "Z1_b.prt");
  Enter noRecovery;
  enter(1, 1, "LIB", noRecovery);
  EXPECT_TRUE(eqc_testing::printed("CAN NOT ENTER SUBSTRUCTURE Z1 WITH RECOVERY=NO"));
  expectNothingEntered(noRecovery, "recovery");

  // A failed copy still lets the later copies be made.
  for (const char* kind : {".stt", ".mdl", ".prt"}) std::filesystem::remove(job + kind);
  workingFiles("Z1", {".prt"});
  std::filesystem::remove(jobDirectory_ + "Z1_b.stt");
  Enter copy;
  enter(2, 1, "LIB", copy);
  EXPECT_TRUE(eqc_testing::printed("CANNOT COPY " + jobDirectory_ + "Z1_b.stt"));
  EXPECT_TRUE(std::filesystem::exists(job + ".mdl"));
  EXPECT_TRUE(std::filesystem::exists(job + ".prt"));
  expectNothingEntered(copy, "copy");

  // An output database the implicit analysis cannot delete.
  workingFiles("Z1", {".stt"});
  std::filesystem::create_directories(jobDirectory_ + "Z1_b.odb/kept");
  rec::i(CPROG, 1) = 0;
  Enter odb;
  enter(1, 1, "LIB", odb);
  EXPECT_TRUE(eqc_testing::printed("CANNOT DELETE " + jobDirectory_ + "Z1_b.odb"));
  EXPECT_TRUE(inp_testing::partMapCalls().empty());

  rec::i(CPROG, 1) = 1;
  eqc_testing::failLabelRetrieval(true);
  Enter global;
  enter(2, 0, "LIB", global);
  eqc_testing::failLabelRetrieval(false);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN dbsuperlib - CAN NOT RETRIEVE GLOBAL LABELS"));
  EXPECT_TRUE(inp_testing::partMapCalls().empty());
  EXPECT_EQ(global.prtFlag, -7);
}

TEST_F(SubstructureLibrary, LibraryNamesAndTheSelectionContextTravelThroughGetSupLibName) {
  generate("A", 1, 2);
  generate("B", 1, 2);
  Enter e;
  enter(2, 1, "A", e);
  rec::i(CDSUS, 34) = 5;

  Int request = 0, number = 0, dof = 0, handle = -1;
  std::vector<Int> index(140), context(7, -9);
  std::vector<cow_String> names;
  cow_String name("JOB"), second("WORK");
  getsuplibnameC(0, request, index.data(), context.data(), number, dof, name, names, handle, second);
  EXPECT_EQ(number, 1);
  EXPECT_EQ(context, (std::vector<Int>{5, 1, 1, 0, 1, 0, 0}));
  EXPECT_EQ(index[0], 1);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_STREQ(names[0].CStr(), "A");

  // Library 2 of a table that names B: the selection switches and the context is put back.
  names.push_back(cow_String(libraryPath("B").c_str()));
  context = {0, 0, 0, 0, 0, 0, 0};
  getsuplibnameC(3, 2, index.data(), context.data(), number, dof, name, names, handle, second);
  EXPECT_EQ(rec::i(CDSEL, 41), 2);
  EXPECT_EQ(fchar::trimmed(rec::chars(CDSELF, 1, 80)), libraryPath("B"));
  EXPECT_EQ(rec::i(CDND, 25), 0);
  EXPECT_EQ(rec::i(CDSUS, 34), 0);

  // Request 0 closes the selection.
  getsuplibnameC(5, 0, index.data(), context.data(), number, dof, name, names, handle, second);
  EXPECT_EQ(rec::i(CDSEL, 41), 0);
  EXPECT_EQ(fchar::trimmed(rec::chars(CDSELF, 1, 80)), "");

  getsuplibnameC(9, 0, index.data(), context.data(), number, dof, name, names, handle, second);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN getsuplibname - jop 9 is out of range"));
  rec::i(CDSINX, 281) = 150;
  getsuplibnameC(0, 0, index.data(), context.data(), number, dof, name, names, handle, second);
  EXPECT_TRUE(eqc_testing::printed("change the size of the substructure index array to 150"));
}

// The plain-call form converts its strings to the fields of the upper-case entry and back: both
// give the same results on the same library, also with a negative status, which enters the
// substructure by its third name and hands that name back as the second.
TEST_F(SubstructureLibrary, ThePlainCallFormAgreesWithTheUpperCaseEntry) {
  struct Outcome {
    Int status, prtFlag, row;
    bool stateOpened;
    std::string stateFile, partMap, second, third, fourth;
    std::vector<Int> index;
    bool operator==(const Outcome&) const = default;
  };
  const auto outcome = [](Int status, Int prtFlag, Int stateHandle, std::string second, std::string third,
                          std::string fourth, const std::vector<Int>& index) {
    const auto calls = inp_testing::partMapCalls();
    const auto files = dm2_testing::openStateFiles();
    return Outcome{status, prtFlag, rec::i(CDSUS, 34), stateHandle != -1, files.empty() ? "" : files.back(),
                   calls.empty() ? "" : calls.back(), second, third, fourth, index};
  };
  generate("LIB", 1, 2);
  workingFiles("Z1", {".stt", ".mdl", ".prt"});
  // Each form starts without the working copies and with no part map read.
  const auto fresh = [this] {
    for (const char* kind : {".stt", ".mdl", ".prt"}) std::filesystem::remove(jobDirectory_ + "WORK_c" + kind);
    inp_testing::clearPartMapCalls();
  };
  for (const Int status : {-1, 1}) {
    fresh();
    Enter e;
    e.status = status;
    enter(2, 1, "LIB", e, 3);
    const Outcome parent = outcome(e.status, e.prtFlag, e.stateHandle, std::string(fchar::trimmed(e.second)),
                                   std::string(fchar::trimmed(e.third)), std::string(fchar::trimmed(e.fourth)),
                                   e.indexWords);

    SUPCLS();
    fresh();
    Enter plain;
    int plainStatus = status, prtFlag = -7, stateHandle = -1, odbHandle = -1, limit = 0;
    cow_String library("LIB"), second("WORK"), third("SUBSTRUCTURE-ONE"), fourth("Z1");
    dbSuperLibC(2, 1, plainStatus, library, second, prtFlag, stateHandle, odbHandle, fourth, third, limit, 3,
                plain.block);
    const Outcome worker =
        outcome(plainStatus, prtFlag, stateHandle, second.CStr(), third.CStr(), fourth.CStr(), plain.indexWords);
    EXPECT_EQ(worker, parent) << "status " << status;
    EXPECT_EQ(parent.stateFile, status < 0 ? "SUBSTRUCTURE-ONE" : "WORK");
    EXPECT_EQ(parent.second, status < 0 ? "SUBSTRUCTURE-ONE" : "WORK");
    EXPECT_NE(parent.partMap.find(status < 0 ? "SUBSTRUCTURE-ONE.prt" : "Z1.prt"), std::string::npos);
    EXPECT_EQ(parent.row, status < 0 ? 0 : 3);
    EXPECT_EQ(std::filesystem::exists(jobDirectory_ + "WORK_c.stt"), status > 0);
    SUPCLS();
  }
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  // A substructure the library does not hold.
  Enter missing;
  enter(2, 2, "LIB", missing);
  EXPECT_TRUE(eqc_testing::printed("CANNOT RETRIEVE LIBRARY NAMES IN FILE LIB. THE SUBSTRUCTURE LIBRARY MAY BE CORRUPTED."));
  EXPECT_EQ(missing.prtFlag, -7);
}

// Operations 1, 2 and 4 write the current index record back to the open library (1 also its
// index words) and operation 1 closes the caller's database in the analysis programs; with no
// library open nothing is written.
TEST_F(SubstructureLibrary, GetSupLibNameWritesTheIndexRecordBack) {
  generate("LIB", 1, 2);
  workingFiles("Z1", {".stt", ".mdl", ".prt"});
  Enter e;
  enter(2, 1, "LIB", e);
  const Int address = rec::i(CDSINX, 60);
  ASSERT_NE(address, 0);
  const auto stored = [address](Int word) {
    std::vector<Int> record(2 * 140, 0);
    Int at = address, status = 0;
    const Int read = 0, none = 0;
    DBSUP(&read, &kIndexKind, &at, record.data(), &none, &status);
    return status == 0 ? record[static_cast<std::size_t>(word - 1)] : -1;
  };
  Int number = 0, dof = 0;
  std::vector<Int> index(140), context(7, 0);
  std::vector<cow_String> names;
  cow_String name("JOB"), second("WORK");
  struct Case {
    int operation, programKind, handle, handleAfter;
  };
  for (const Case c : {Case{2, 1, 12, 12}, Case{4, 1, 12, 12}, Case{1, 0, 12, 12}, Case{1, 1, 12, -1},
                       Case{1, 1, -1, -1}}) {
    rec::i(CPROG, 1) = c.programKind;
    rec::i(CDSINX, 50) = 100 * c.operation + c.programKind;
    int handle = c.handle;
    const auto closed = dm2_testing::closedHandles().size();
    getsuplibnameC(c.operation, 0, index.data(), context.data(), number, dof, name, names, handle, second);
    EXPECT_EQ(stored(50), 100 * c.operation + c.programKind) << c.operation;
    EXPECT_EQ(handle, c.handleAfter) << c.operation;
    EXPECT_EQ(dm2_testing::closedHandles().size(), closed + (c.handleAfter != c.handle ? 1 : 0)) << c.operation;
  }
  SUPCLS();
  rec::i(CDSINX, 50) = 7;
  getsuplibnameC(2, 0, index.data(), context.data(), number, dof, name, names, e.odbHandle, second);
  enter(2, 1, "LIB", e);
  EXPECT_EQ(stored(50), 101);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

// When the label store cannot give a substructure's long labels, they come from the library
// (request given) or the global ones are reported missing (request 0); a caller of
// GETSUPLIBNAME that cannot have them ends the job.
TEST_F(SubstructureLibrary, LongLabelsTheStoreCannotGiveAreReadFromTheLibraryOrReported) {
  generate("LIB", 2, 2);
  eqc_testing::resetLongLabels();
  eqc_testing::failLabelRetrieval(true);
  Enter e;
  enter(2, 1, "LIB", e);
  EXPECT_EQ(eqc_testing::longLabels(), (std::vector<std::string>{"SUBSTRUCTURE-LONG-LABEL-NUMBER-1",
                                                                  "SUBSTRUCTURE-LONG-LABEL-NUMBER-2"}));
  EXPECT_FALSE(eqc_testing::printed("GLOBAL LABELS"));

  enter(2, 0, "LIB", e);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN dbsuperlib - CAN NOT RETRIEVE GLOBAL LABELS"));

  eqc_job_testing::interceptExit(true);
  eqc_run_testing::clearJobCalls();
  Int number = 0, dof = 0, handle = -1;
  std::vector<Int> index(140), context(7, 0);
  std::vector<cow_String> names{cow_String("LIB")};
  cow_String name("SUBSTRUCTURE-ONE"), second("WORK");
  getsuplibnameC(5, 1, index.data(), context.data(), number, dof, name, names, handle, second);
  eqc_testing::failLabelRetrieval(false);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN getsuplibname - CAN NOT RETRIEVE LONG LABELS FOR SUBSTRUCTURE-ONE"));
  const auto calls = eqc_run_testing::jobCalls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "XITJOB"), calls.end());
}

TEST_F(SubstructureLibrary, CompactionDropsModifiedSubstructuresAndPacksTheBlocks) {
  generate("LIB", 3, 4);
  Enter e;
  enter(2, 1, "LIB", e);
  markFirstBeingModified();  // its blocks leave the file
  std::vector<Int> records(3 * 140), entries(3 * 29 * 3);
  // Arrays whose room the routine knows and that cannot hold the kept records or their entries.
  for (const auto& [recordRoom, entryRoom] : {std::pair<std::size_t, std::size_t>{70, 3 * 29 * 3},
                                              std::pair<std::size_t, std::size_t>{3 * 70, 29 * 3 / 2}}) {
    eqc_testing::clearMessages();
    zmxtest::MappedArray small(recordRoom), smallEntries(entryRoom);  // 8-byte words: 2 ints each
    compact(reinterpret_cast<Int*>(small.data()), reinterpret_cast<Int*>(smallEntries.data()));
    EXPECT_TRUE(eqc_testing::printed("SIZE OF WORKSPACE IS NOT SUFFICIENT")) << recordRoom;
    EXPECT_TRUE(small.guardsKept());
    EXPECT_TRUE(smallEntries.guardsKept());
  }
  compact(records.data(), entries.data());
  EXPECT_EQ(rec::i(CDSMNX, 3), 2);
  EXPECT_EQ(records[0], 2);
  EXPECT_EQ(records[140], 3);
  const Int indexEnd = rec::i(CDSMNX, 1) + 2 * 140;
  // The node blocks of substructures 2 and 3 sit right behind the index area, in order.
  EXPECT_EQ(records[2], indexEnd + 1);
  EXPECT_EQ(records[140 + 2], indexEnd + 1 + 4 * kNodeWords);
  EXPECT_EQ(entries[0], 16 + 140 + 4 * kNodeWords + 140 + 1);  // where the block was
  EXPECT_EQ(entries[1], 4 * kNodeWords);
  EXPECT_EQ(entries[2], 3);
  for (Int s = 0; s < 2; ++s) expectNodeBlock(records[static_cast<std::size_t>(140 * s + 2)], s + 2);
  compact(records.data(), entries.data(), 28);  // a wrong count of blocks
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DBSUPC - SIZE OF WORKSPACE IS NOT SUFFICIENT TO PROCESS DATA."));
  // An index length the records cannot have is refused before anything is read.
  for (const Int length : {1000, 80}) {
    eqc_testing::clearMessages();
    rec::i(CDSINX, 281) = length;
    const std::vector<Int> before = records;
    compact(records.data(), entries.data());
    EXPECT_TRUE(eqc_testing::printed("SIZE OF WORKSPACE IS NOT SUFFICIENT"));
    EXPECT_EQ(records, before);
  }
}

// Dropping the last substructure leaves the first one's data inside the shorter index area:
// it moves to the end of the file first, then every block comes down in address order.
TEST_F(SubstructureLibrary, CompactionMovesBlocksOutOfTheIndexAreaFirst) {
  generate("LIB", 3, 4, true);
  Enter e;
  enter(2, 1, "LIB", e);
  eqc_testing::clearMessages();
  const Int wordsBefore = rec::i(CDSEL, 27);
  std::vector<Int> records(3 * 140), entries(3 * 29 * 3);
  compact(records.data(), entries.data());
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  EXPECT_EQ(rec::i(CDSMNX, 3), 2);
  const Int indexEnd = rec::i(CDSMNX, 1) + 2 * 140;
  EXPECT_EQ(entries[0], rec::i(CDSMNX, 1) + 140 + 1);  // inside the compacted index area
  EXPECT_LE(entries[0], indexEnd);
  EXPECT_EQ(rec::i(CDSEL, 27), wordsBefore + 4 * kNodeWords);  // it went to the end first
  // Substructure 2's block is then the lowest and comes down first; substructure 1's follows.
  EXPECT_EQ(records[140 + 2], indexEnd + 1);
  EXPECT_EQ(records[2], indexEnd + 1 + 4 * kNodeWords);
  for (Int s = 0; s < 2; ++s) expectNodeBlock(records[static_cast<std::size_t>(140 * s + 2)], s + 1);
}

TEST_F(SubstructureLibrary, ACompactionBufferWithoutRoomEndsAtTheLoopLimitAtOnce) {
  generate("LIB", 2, 4);
  Enter e;
  enter(2, 1, "LIB", e);
  markFirstBeingModified();  // the other substructure's blocks must move down
  std::vector<Int> records(2 * 140), entries(2 * 29 * 3);
  std::vector<Real> buffer(1, -1.0);
  const Int blocks = 29, noRoom = 0;
  DBSUPC(records.data(), entries.data(), buffer.data(), &blocks, &noRoom);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DBSUPC - LOOP 330 LIMIT EXCEEDED"));
  EXPECT_EQ(buffer[0], -1.0);
}

TEST_F(SubstructureLibrary, MAndCmRecordsGoToTheStoreAtTheirAddress) {
  generate("LIB", 1, 2);
  rec::setChars(CDSELF, 1, 80, libraryPath("LIB"));
  rec::i(CDSEL, 41) = 1;
  SUPOPN();
  const Int start = rec::i(CDSEL, 27) + 1;
  rec::i(CDM, 7) = start;
  rec::i(CDSINX, 74) = 1;
  std::vector<Real> a(4, 1.5), b(3, 2.5), back(8, 0.0);
  rec::setSlotI(a.data(), 1, -4);
  rec::setSlotI(b.data(), 1, 3);
  Int status = 9;
  const Int write = 1, read = 0, rewind = 2;
  SHR_DBM(&write, a.data(), &status);
  SHR_DBM(&write, b.data(), &status);
  EXPECT_EQ(rec::i(CDM, 7), start + 7);
  rec::i(CDM, 7) = start;
  SHR_DBM(&read, back.data(), &status);
  EXPECT_EQ(std::vector<Real>(back.begin(), back.begin() + 4), a);
  Int address = start + 4, own = 0;
  const Int fromStore = 1;
  DBCM1(&read, back.data(), &own, &address, &fromStore, &status);  // a CM record at an address
  EXPECT_EQ(std::vector<Real>(back.begin(), back.begin() + 3), b);
  EXPECT_EQ(address, start + 7);
  EXPECT_EQ(status, 0);
  SHR_DBM(&rewind, back.data(), &status);
  EXPECT_EQ(rec::i(CDM, 7), 1);
}

// Length words a damaged library may hold, against a caller's array of room 8.
const std::vector<Int> kDamagedLengths{0, INT_MIN, INT_MAX, INT_MAX - 3, 9, 1 << 28};

// M, CM and node records of a library whose length words are damaged, read into an array whose
// room is known: status 1 where the routine has one, a level -3 message, nothing past the array.
TEST_F(SubstructureLibrary, DamagedRecordLengthsInTheLibraryAreRefused) {
  generate("LIB", 1, 2);
  rec::setChars(CDSELF, 1, 80, libraryPath("LIB"));
  rec::i(CDSEL, 41) = 1;
  SUPOPN();
  const Int start = rec::i(CDSEL, 27) + 1;
  std::vector<Real> record(8, 2.5);
  rec::setSlotI(record.data(), 1, 8);
  Int status = 0, at = start;
  const Int write = 1, read = 0, one = 1, cm = 14;
  const Int eight = 8;
  DBSUP(&write, &cm, &at, record.data(), &eight, &status);
  const auto refused = [](const std::function<Int(Real*)>& call) {
    return zmxtest::runInBoundedChildThenHere([&] {
      eqc_testing::clearMessages();
      zmxtest::MappedArray array(8);
      const Int status = call(array.data());
      return (status != 1 ? 1 : 0) | (eqc_testing::countAtLevel(-3) == 0 ? 2 : 0) | (array.guardsKept() ? 0 : 4);
    });
  };
  for (const Int length : kDamagedLengths) {
    std::vector<Real> word1(1);
    rec::setSlotI(word1.data(), 1, length);
    at = start;
    DBSUP(&write, &cm, &at, word1.data(), &one, &status);
    rec::i(CDM, 7) = start;
    rec::i(CDSINX, 74) = 1;
    EXPECT_EQ(refused([](Real* array) {
                Int status = 0;
                const Int read = 0;
                SHR_DBM(&read, array, &status);
                return status;
              }),
              0)
        << "M record of length " << length;
    EXPECT_EQ(refused([&](Real* array) {
                Int status = 0, address = start, own = 0;
                const Int fromStore = 1;
                DBCM1(&read, array, &own, &address, &fromStore, &status);
                return address == start ? status : 0;
              }),
              0)
        << "CM record of length " << length;
  }
  // A node record longer than the array, or of a length that leaves the file's addresses.
  rec::i(CPROG, 1) = 0;
  rec::i(CDND, 25) = 1;  // node records in the store
  for (const Int length : {9, INT_MAX, INT_MAX - 3, 1 << 28}) {
    rec::i(CDSINX, 2) = length;
    EXPECT_EQ(refused([](Real* array) {
                const Int read = 0, node = 2;
                DBND(&read, array, &node);
                return 1;
              }),
              0)
        << "node records of length " << length;
  }
}

// Compaction of a library whose index records or header are damaged: the fault is found before
// anything moves, so nothing is written and the file does not grow. Each round runs in a child
// limited in file size and time, then, met safely there, in this process.
TEST_F(SubstructureLibrary, CompactionOfADamagedLibraryMovesNothing) {
  generate("LIB", 2, 4);
  const auto sizeBefore = std::filesystem::file_size(libraryPath("LIB"));
  Enter e;
  enter(2, 1, "LIB", e);
  const Int second = rec::i(CDSMNX, 1) + 1 + 140 + 4 * kNodeWords;  // the second index record
  struct Damage {
    int word;  // of the second index record, or 0 for the header's index-area word
    Int value;
  };
  // Each damage stays in the file for the rounds after it.
  const std::vector<Damage> damages{{3, rec::i(CDSMNX, 1) + 1 + 140 + 1},  // inside the first record's block
                                    {4, INT_MAX}, {4, INT_MAX - 3}, {4, -1}, {4, INT_MIN}, {4, 1 << 28},
                                    {3, -1},      {3, INT_MIN},     {3, INT_MAX}, {3, 17},  // onto the first record
                                    {0, INT_MAX}, {0, INT_MAX - 100}, {0, INT_MIN}};
  for (const Damage& d : damages) {
    const int code = zmxtest::runInBoundedChildThenHere([&] {
      const Int base = rec::i(CDSMNX, 1);
      if (d.word == 0) {
        rec::i(CDSMNX, 1) = d.value;
      } else {
        setIndexWord(second, d.word, d.value);
      }
      eqc_testing::clearMessages();
      std::vector<Int> records(2 * 140), entries(2 * 29 * 3, -5);
      const Int count = rec::i(CDSMNX, 3);
      compact(records.data(), entries.data());
      rec::i(CDSMNX, 1) = base;  // a damaged header word stays in memory, never reaches the file
      SUPCLS();
      const bool unchanged = entries == std::vector<Int>(2 * 29 * 3, -5) && rec::i(CDSMNX, 3) == count;
      const bool grown = std::filesystem::file_size(libraryPath("LIB")) > sizeBefore + 4096;
      return (unchanged ? 0 : 1) | (eqc_testing::countAtLevel(-3) == 0 ? 2 : 0) | (grown ? 4 : 0);
    });
    EXPECT_EQ(code, 0) << "word " << d.word << " = " << d.value << " (1 moved, 2 no message, 4 file grew)";
    if (code == 0) enter(2, 1, "LIB", e);  // the selection the attempt closed, opened again
  }
}

// Whether a word read from a cut file is what the file held of the word written: its first bytes,
// zeros after them (all, none, or the part before the cut).
bool heldPart(Real got, Real written) {
  unsigned char g[8], w[8];
  std::memcpy(g, &got, 8);
  std::memcpy(w, &written, 8);
  int k = 0;
  while (k < 8 && g[k] == w[k]) ++k;
  while (k < 8 && g[k] == 0) ++k;
  return k == 8;
}

// A library file cut at every page boundary, every record of the first substructures and
// between them, each cut in a child of its own: selecting a substructure, reading its node
// records and labels and compacting the library either fail reported or give words the file held
// (what lies past its end reads as zeros); nothing is written past the caller's array and the
// file does not grow past its whole size.
TEST_F(SubstructureLibrary, ATruncatedLibraryIsReadAsFarAsItReachesOrRefused) {
  constexpr Int kNodes = 4;
  generate("LIB", 2, kNodes);
  restartSession();
  const std::string file = libraryPath("LIB"), whole = file + ".whole";
  std::filesystem::copy_file(file, whole, std::filesystem::copy_options::overwrite_existing);
  const std::uintmax_t size = std::filesystem::file_size(whole);
  std::vector<std::uintmax_t> boundaries;
  for (std::uintmax_t b = 8 * 32; b < size; b += 8 * 32) boundaries.push_back(b);  // pages of 32 words
  for (std::uintmax_t b = 8 * 16; b < size; b += 8 * 140) boundaries.push_back(b);  // index records
  for (const std::uintmax_t cut : zmxtest::truncationLengths(size + 1, boundaries)) {
    zmxtest::writeTruncatedCopy(whole, file, cut);
    const int code = zmxtest::runInBoundedChild([&] {
      int faults = 0;
      eqc_testing::clearMessages();
      workingFiles("Z2", {".stt", ".mdl"});
      Enter e;
      e.fourth = padded("Z2", 160);
      enter(2, 2, "LIB", e);
      const bool damageReported = eqc_testing::countAtLevel(-3) > 0;
      if (rec::i(CDND, 25) != 1) return damageReported ? 0 : 2;  // not entered
      rec::i(CPROG, 1) = 0;
      for (Int node = 1; node <= kNodes; ++node) {
        zmxtest::MappedArray array(kNodeWords);
        const Int read = 0;
        DBND(&read, array.data(), &node);
        if (!array.guardsKept()) faults |= 8;
        for (Int w = 0; w < kNodeWords; ++w) {
          const Real got = array[static_cast<std::size_t>(w)];
          if (got != zmxtest::MappedArray::kGuard && !heldPart(got, 2000.0 + node * 10 + w + 1)) faults |= 4;
        }
      }
      std::vector<char> labels(4 * 160);
      Int capacity = 4, count = 0, status = 1;
      DBSUPL(labels.data(), 160, &capacity, &count, &status);
      if (status == 0 && (count < 0 || count > capacity)) faults |= 4;
      std::vector<Int> records(2 * 140), entries(2 * 29 * 3);
      compact(records.data(), entries.data());
      SUPCLS();
      if (std::filesystem::file_size(file) > size + 4096) faults |= 16;
      return faults;
    });
    EXPECT_EQ(code, 0) << "cut at " << cut
                       << " bytes (2 refused without a message, 4 words the file never held, 8 written past, 16 grew)";
  }
}

class ActiveDofs : public zmxtest::HostFixture {
 protected:
  std::vector<Int> supact(std::vector<Int> codes, Int nodes, std::size_t room) {
    Int n = static_cast<Int>(codes.size());
    codes.resize(room, 0);
    SHR_SUPACT(codes.data(), &n, &nodes);
    codes.resize(static_cast<std::size_t>(n));
    return codes;
  }
  void dofs(std::initializer_list<Int> flags) {
    Int k = 1;
    for (Int f : flags) rec::i(CLDOF, k++) = f;
  }
};

TEST_F(ActiveDofs, RetainedCodesAreCompletedNodeByNodeInWholeGroups) {
  dofs({1, 1, 1, 1, 1, 1});
  EXPECT_EQ(supact({101, 5}, 2, 12), (std::vector<Int>{101, 5, 4, 6, 102, 103}));
  dofs({1, 1, 0, 0, 0, 1});  // planar: translations 1-2, rotation 6 only
  EXPECT_EQ(supact({2, 104}, 2, 12), (std::vector<Int>{2, 104, 1, 105, 106}));  // 104 makes dof 4 active
}

TEST_F(ActiveDofs, CodesOfNodesBeyondTheCountAreLeftAlone) {
  dofs({0, 0, 0, 0, 0, 0});
  Int active[6] = {9, 9, 9, 9, 9, 9};
  const Int codes[] = {203, 2}, n = 2, nodes = 2, flags[] = {0, 0, 0, 0, 0, 0};
  SHR_SUBSTRACTIVEDOF(active, codes, &n, &nodes, flags);
  EXPECT_EQ(std::vector<Int>(active, active + 6), (std::vector<Int>{0, 1, 0, 0, 0, 0}));
  EXPECT_EQ(supact({203}, 2, 12), (std::vector<Int>{203}));
}

TEST_F(ActiveDofs, AListThatWouldOutgrowSixCodesPerNodeStops) {
  dofs({1, 1, 1, 0, 0, 0});
  EXPECT_EQ(supact({1, 201, 202, 203, 204, 205}, 1, 6), (std::vector<Int>{1, 201, 202, 203, 204, 205}));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
}

}  // namespace
