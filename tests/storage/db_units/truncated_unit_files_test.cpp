// Unit files cut short. The restart file is written through DBRE with records that run
// across pages, then cut at every page boundary, every record boundary and a few bytes either
// side of them; DBRE (and DBCM1 from the restart file) reads each record back, each cut in a
// child of its own. What the file does not hold reads as zeros, so each record gives exactly what
// is left of it when its length word survives and fits the caller's array, and otherwise status 1 and a message with the address unchanged.
// The step directory is walked over such a cut file: each lookup gives what the records left in
// it hold, and a record whose length word did not survive is reported and ends the walk.
// The sequential units (DBCM, and SHR_DBM in sequential form) keep their records in blocks of 512
// words, each one unformatted record of the file: a record whose blocks are all in the cut file
// reads back whole; the first one that is not gives status 1 and a message.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <filesystem>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_units.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "siblings/eqc/unit_records.h"
#include "tests/storage/db_units/unit_fixture.h"
#include "tests/support/bounded_child.h"
#include "tests/support/mapped_array.h"
#include "tests/support/truncation.h"
#include "zmx/storage.h"

namespace {

constexpr Int kPage = 64, kRoom = 100, kFile = 11;

class TruncatedUnitFiles : public zmxtest::UnitFixture {
 protected:
  void SetUp() override {
    UnitFixture::SetUp();
    makePools(8, kPage);
    rec::i(CDRW, 3) = kFile;
    rec::i(CDRR, 2) = kFile;  // reads come from the restart file on disk
  }
  void openRestart() {
    op(0, 23, 1);
    op(0, 22, 2);
  }
  void closeRestart() {
    op(5, 23, 0);
    op(5, 22, 0);
  }
};

// The integer a reader takes from an 8-byte word.
Int wordAsInt(const Real* word) {
  const Int one = 1;
  Int value = 0;
  ACOPDI(word, &value, &one);
  return value;
}

TEST_F(TruncatedUnitFiles, RestartRecordsReadBackWhatIsLeftOrAreRefused) {
  // Records of 1, 40, 100, 63 and 70 words from address 1: they cross page boundaries.
  const std::vector<Int> lengths{1, 40, 100, 63, 70};
  std::vector<Int> starts;
  std::vector<Real> image;  // the file's words from address 1
  openRestart();
  Int address = 1;
  for (const Int length : lengths) {
    std::vector<Real> r(static_cast<std::size_t>(length));
    for (Int k = 0; k < length; ++k) r[static_cast<std::size_t>(k)] = 1000.0 * static_cast<Real>(starts.size() + 1) + k;
    rec::setSlotI(r.data(), 1, length);
    starts.push_back(address);
    image.insert(image.end(), r.begin(), r.end());
    Int status = 0;
    const Int write = 1;
    DBRE(&write, r.data(), &address, &status);
    ASSERT_EQ(status, 0);
  }
  closeRestart();
  const std::filesystem::path file = eqc_units::filePath(kFile);
  const std::filesystem::path whole = file.string() + ".whole";
  std::filesystem::copy_file(file, whole, std::filesystem::copy_options::overwrite_existing);
  const std::uintmax_t size = std::filesystem::file_size(whole);
  ASSERT_GE(size, 8 * image.size());
  std::vector<std::uintmax_t> boundaries;
  for (std::uintmax_t b = 8 * kPage; b < size; b += 8 * kPage) boundaries.push_back(b);
  for (const Int s : starts) boundaries.push_back(8 * static_cast<std::uintmax_t>(s - 1));
  boundaries.push_back(8 * image.size());

  for (const std::uintmax_t cut : zmxtest::truncationLengths(size + 1, boundaries)) {
    zmxtest::writeTruncatedCopy(whole, file, cut);
    // What the cut file holds, zeros past its end.
    std::vector<Real> left(image.size() + kRoom, 0.0);
    std::memcpy(left.data(), image.data(), std::min<std::uintmax_t>(cut, 8 * image.size()));
    openRestart();
    const int code = zmxtest::runInBoundedChild([&] {
      int faults = 0;
      for (const Int start : starts) {
        const Real* expected = left.data() + (start - 1);
        const Int length = wordAsInt(expected);
        // DBRE itself, and DBCM1 from the restart file at CDRW word 11.
        for (const bool throughCm1 : {false, true}) {
          eqc_testing::clearMessages();
          zmxtest::MappedArray array(kRoom);
          Int at = start, status = -1;
          const Int read = 0, own = 0, restart = 2;
          if (throughCm1) {
            rec::i(CDRW, 11) = start;
            DBCM1(&read, array.data(), &own, &at, &restart, &status);
            at = rec::i(CDRW, 11);
          } else {
            DBRE(&read, array.data(), &at, &status);
          }
          if (!array.guardsKept()) faults |= 8;
          if (length >= 1 && length <= kRoom) {
            if (status != 0 || at != start + length) faults |= 1;
            if (std::memcmp(array.data(), expected, 8 * static_cast<std::size_t>(length)) != 0) faults |= 4;
          } else {
            if (status != 1 || at != start) faults |= 1;
            if (eqc_testing::countAtLevel(-3) == 0) faults |= 2;
          }
        }
      }
      return faults;
    });
    closeRestart();
    EXPECT_EQ(code, 0) << "cut at " << cut << " bytes (1 status or address, 2 no message, 4 wrong words, 8 written past)";
  }
}

using BlockWriter = zmxtest::OwnStream;

void closeSequential(Int unit) {
  const Int close = 5, none = 0;
  Int status = 0;
  DBSA(&unit, nullptr, &none, &close, &status);
}

// Writes the records to the unit's job file; the records' word 1 is the length word given, the
// words of the stream before each record are returned in starts.
void writeSequentialFile(Int unit, const std::vector<Int>& lengthWords, std::vector<long long>& starts) {
  BlockWriter writer{unit};
  long long at = 0;
  for (const Int word : lengthWords) {
    const Int length = std::abs(word);
    std::vector<Real> r(static_cast<std::size_t>(length));
    for (Int k = 0; k < length; ++k) r[static_cast<std::size_t>(k)] = 100.0 * static_cast<Real>(starts.size() + 1) + k;
    rec::setSlotI(r.data(), 1, word);
    starts.push_back(at);
    at += length;
    writer.call(1, &r);
  }
  writer.call(3);
  closeSequential(unit);
}

TEST_F(TruncatedUnitFiles, SequentialRecordsReadWholeUntilTheFirstCutBlock) {
  constexpr Int kUnit = 9, kBlock = 512, kSeqRoom = 700;
  op(0, 6, 1);  // a pool holds the M unit's block
  const Int mBuffer = rec::i(CDM, 4);
  struct Reader {
    const char* name;
    std::vector<Int> lengthWords;
    std::function<Int(Real*)> read;
  };
  // The sign of an M record's length word is a mark; CM records have positive ones.
  const std::vector<Reader> readers{
      {"DBCM", {1, 300, 700, 100, 600, 5},
       [](Real* array) {
         Int status = 0;  // the sequential layer sets the status only when it fails
         const Int read = 0, own = 0;
         DBCM(&read, array, &own, &status);
         return status;
       }},
      {"DBM", {1, 300, -700, -100, 600, 5}, [](Real* array) {
         Int status = 0;
         const Int read = 0;
         SHR_DBM(&read, array, &status);
         return status;
       }}};
  for (const Reader& reader : readers) {
    std::vector<long long> starts;
    writeSequentialFile(kUnit, reader.lengthWords, starts);
    const std::filesystem::path file = eqc_units::filePath(kUnit);  // the job file of the unit
    ASSERT_TRUE(std::filesystem::exists(file));
    const std::filesystem::path whole = file.string() + ".whole";
    std::filesystem::copy_file(file, whole, std::filesystem::copy_options::overwrite_existing);
    const std::uintmax_t size = std::filesystem::file_size(whole);
    const std::uintmax_t framed = 8 * kBlock + 8;  // a block and its two 4-byte record markers
    ASSERT_EQ(size % framed, 0u);
    std::vector<std::uintmax_t> boundaries;
    for (std::uintmax_t b = 0; b <= size; b += framed) boundaries.insert(boundaries.end(), {b, b + 4, b + 4 + 8 * kBlock});
    for (const std::uintmax_t cut : zmxtest::truncationLengths(size + 1, boundaries)) {
      zmxtest::writeTruncatedCopy(whole, file, cut);
      const std::uintmax_t wholeBlocks = cut / framed;
      const Int cm[] = {kBlock, kUnit, 0, kBlock + 1, 0};
      std::copy(std::begin(cm), std::end(cm), CDCM.w);
      const Int m[] = {kBlock, kUnit, 0, mBuffer, kBlock + 1, 0, 0};
      std::copy(std::begin(m), std::end(m), CDM.w);
      const int code = zmxtest::runInBoundedChild([&] {
        int faults = 0;
        for (std::size_t r = 0; r < starts.size(); ++r) {
          eqc_testing::clearMessages();
          zmxtest::MappedArray array(kSeqRoom);
          const Int length = std::abs(reader.lengthWords[r]);
          const Int status = reader.read(array.data());
          if (!array.guardsKept()) faults |= 8;
          const bool held = static_cast<std::uintmax_t>((starts[r] + length - 1) / kBlock) < wholeBlocks;
          if (!held) {
            if (status != 1) faults |= 1;
            if (eqc_testing::countAtLevel(-3) == 0) faults |= 2;
            break;
          }
          if (status != 0 || rec::slotI(array.data(), 1) != reader.lengthWords[r]) faults |= 1;
          for (Int k = 1; k < length; ++k)
            if (array[static_cast<std::size_t>(k)] != 100.0 * static_cast<Real>(r + 1) + k) faults |= 4;
        }
        return faults;
      });
      EXPECT_EQ(code, 0) << reader.name << " with the file cut at " << cut
                         << " bytes (1 status, 2 no message, 4 wrong words, 8 written past)";
      EXPECT_EQ(std::filesystem::file_size(file), cut) << reader.name;
    }
    closeSequential(kUnit);
  }
}

// The lookup of the last step and increment over a chain of step-directory records, worked out
// from the words the cut file holds (zeros past its end): a record whose length word cannot hold
// the next address ends the walk, reported, with what was found before it.
struct CutDirectory {
  const std::vector<Real>& words;  // from address 1
  Int entriesPerRecord;

  Int at(long long address) const {
    return address >= 1 && address <= static_cast<long long>(words.size()) ? wordAsInt(&words[static_cast<std::size_t>(address - 1)]) : 0;
  }
  std::array<Int, 4> lastEntry(Int address, bool& reported) const {
    std::array<Int, 4> found{0, -1, 0, -1};
    reported = false;
    while (address != 0) {
      const Int length = at(address);
      if (length < 3) {
        reported = true;
        break;
      }
      for (Int e = 0; e < entriesPerRecord && 8 + 6LL * e <= length && at(address + 7 + 6LL * e) != 0; ++e)
        for (int w = 0; w < 4; ++w) found[static_cast<std::size_t>(w)] = at(address + 3 + 6LL * e + w);
      address = at(address + 2);
    }
    return found;
  }
};

TEST_F(TruncatedUnitFiles, StepDirectoryWalksWhatIsLeftOfItsRecords) {
  // Three records of 27 words (4 entries of 6 words behind the head) chained 1 -> 28 -> 55; the
  // second ends after two entries, the third crosses a page boundary.
  constexpr Int kEntries = 4, kLength = 27;
  const std::vector<Int> starts{1, 28, 55};
  std::vector<Real> image;
  openRestart();
  Int address = 1;
  for (std::size_t r = 0; r < starts.size(); ++r) {
    std::vector<Real> words(kLength, 0.0);
    rec::setSlotI(words.data(), 1, kLength);
    rec::setSlotI(words.data(), 3, r + 1 < starts.size() ? starts[r + 1] : 0);
    const Int entries = r == 1 ? 2 : kEntries;
    for (Int e = 0; e < kEntries; ++e) {
      const Int step = static_cast<Int>(r) + 1, base = 4 + 6 * e;
      const Int entry[] = {step, e + 1, 100 * step + 10 * e, 100 * step + 10 * e + 1, e < entries ? 1 : 0};
      for (int w = 0; w < 5; ++w) rec::setSlotI(words.data(), base + w, entry[w]);
    }
    image.insert(image.end(), words.begin(), words.end());
    Int status = 0;
    const Int write = 1;
    DBRE(&write, words.data(), &address, &status);
    ASSERT_EQ(status, 0);
  }
  closeRestart();
  rec::i(CDRW, 12) = kEntries;
  const std::filesystem::path file = eqc_units::filePath(kFile);
  const std::filesystem::path whole = file.string() + ".whole";
  std::filesystem::copy_file(file, whole, std::filesystem::copy_options::overwrite_existing);
  const std::uintmax_t size = std::filesystem::file_size(whole);
  std::vector<std::uintmax_t> boundaries{8 * kPage};
  for (const Int s : starts)
    for (Int e = 0; e <= kEntries; ++e) boundaries.push_back(8 * static_cast<std::uintmax_t>(s - 1 + 3 + 6 * e));
  {
    bool reported = true;
    ASSERT_EQ(CutDirectory({image, kEntries}).lastEntry(1, reported), (std::array<Int, 4>{3, 4, 330, 331}));
  }
  for (const std::uintmax_t cut : zmxtest::truncationLengths(size + 1, boundaries)) {
    zmxtest::writeTruncatedCopy(whole, file, cut);
    std::vector<Real> left(image.size(), 0.0);
    std::memcpy(left.data(), image.data(), std::min<std::uintmax_t>(cut, 8 * image.size()));
    bool reported = false;
    const std::array<Int, 4> expected = CutDirectory{left, kEntries}.lastEntry(1, reported);
    openRestart();
    const int code = zmxtest::runInBoundedChild([&] {
      eqc_testing::clearMessages();
      zmxtest::MappedArray array(32);
      Int first = 1, step = 0, increment = -1, v1 = 99, v2 = 99;
      SHR_MRESTSTEPINC(array.data(), &first, &step, &increment, &v1, &v2);
      int faults = 0;
      if ((std::array<Int, 4>{step, increment, v1, v2}) != expected) faults |= 1;
      if ((eqc_testing::countAtLevel(-3) > 0) != reported) faults |= 2;
      if (!array.guardsKept()) faults |= 8;
      return faults;
    });
    closeRestart();
    EXPECT_EQ(code, 0) << "cut at " << cut << " bytes (1 wrong entry, 2 report, 8 written past)";
  }
}

}  // namespace
