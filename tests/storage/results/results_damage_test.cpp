// Damaged results files: truncated, with flipped bytes and with corrupted length words, in both
// forms. The reader reports status 1 or 2 and never crashes, loops or stores past the record.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/storage/results/results_support.h"

namespace {

using namespace results_test;

class ResultsDamage : public ResultsFile {
 protected:
  void SetUp() override {
    ResultsFile::SetUp();
    eqc_testing::setEcho(false);
  }

  // A real results file of the form, as bytes.
  std::vector<char> cleanFile(int form) {
    rec::i(CWORK, eqc_records::kResultsForm) = form;
    for (int n = 0; n < 40; ++n) {
      const int key = n % 3 == 0 ? 304 : 5;  // 304 ends with a text word
      Record r = counting(key, 4 + (n * 41) % 200, n * 1.5 - 7);
      if (key == 304) r.back() = textWord("LABEL-XY");
      EXPECT_EQ(write(r), 0);
    }
    EXPECT_EQ(control(10), 0);
    restart();
    return fileBytes(path("job.fil"));
  }

  void restart() {
    for (Int unit = 1; unit <= 40; ++unit) fio::close(unit);
    rec::clear(CBUFFA);
    const Int form = rec::i(CWORK, eqc_records::kResultsForm);
    INITF();
    rec::i(CWORK, eqc_records::kResultsForm) = form;
  }

  // Reads the damaged file to its end; the statuses seen.
  std::vector<Int> readDamaged(const std::vector<char>& bytes) {
    restart();
    std::ofstream(path("job.fil"), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::vector<Int> statuses;
    for (int guard = 0; guard < 5000; ++guard) {
      // Guard words after the 514 the reader may fill show any store past the record.
      Record r(514 + 16, -3.0);
      const Int mode = 0;
      Int status = -1;
      SHR_DBFILE(&mode, r.data(), &status);
      statuses.push_back(status);
      for (std::size_t k = 514; k < r.size(); ++k) EXPECT_EQ(r[k], -3.0);
      if (status == 1 || (status != 1 && r[1] == 2001.0)) break;
    }
    return statuses;
  }

  void damageAndRead(int form, std::uint32_t seed) {
    const std::vector<char> clean = cleanFile(form);
    ASSERT_FALSE(clean.empty());
    std::mt19937 random(seed);
    auto uniform = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    const double nasty[] = {0.0, 1.0, -4.0, 515.0, 1e300, -1e300, std::nan(""), 0.5, 3.0, 2.5e9};
    for (int trial = 0; trial < 150; ++trial) {
      std::vector<char> bytes = clean;
      switch (trial % 3) {
        case 0: bytes.resize(uniform(bytes.size())); break;
        case 1:
          for (int flips = 1 + static_cast<int>(uniform(8)); flips > 0; --flips)
            bytes[uniform(bytes.size())] = static_cast<char>(uniform(256));
          break;
        default:
          for (int words = 1 + static_cast<int>(uniform(4)); words > 0; --words) {
            const double value = nasty[uniform(std::size(nasty))];
            if (form == 2) {
              std::memcpy(&bytes[4 + 8 * uniform((bytes.size() - 8) / 8)], &value, 8);
            } else {
              const std::string item = "I" + std::to_string(uniform(99) % 100) + "9";
              const std::size_t at = uniform(bytes.size() - item.size());
              std::memcpy(&bytes[at], item.data(), item.size());
            }
          }
          break;
      }
      const auto statuses = readDamaged(bytes);
      ASSERT_FALSE(statuses.empty());
      for (Int s : statuses) EXPECT_TRUE(s == 0 || s == 1 || s == 2) << s;
    }
  }
};

TEST_F(ResultsDamage, BinaryFilesNeverCrashTheReader) { damageAndRead(2, 20261206); }

TEST_F(ResultsDamage, AsciiFilesNeverCrashTheReader) { damageAndRead(1, 4711); }

TEST_F(ResultsDamage, TruncatedBinaryFileEndsWithStatusOne) {
  std::vector<char> bytes = cleanFile(2);
  bytes.resize(bytes.size() - 4104 + 100);
  const auto statuses = readDamaged(bytes);
  EXPECT_EQ(statuses.back(), 1);
}

// ASCII files made by hand: an item before any "*" (a damaged first line, or one after an
// inserted blank) belongs to no record: it is damage, skipped, and never stored before the
// caller's record. The length item is not compared with the items read.
TEST_F(ResultsDamage, AsciiItemsOutsideARecordAreDamageAndLengthItemsAreNotCompared) {
  struct Case {
    std::string line;
    Int status;
    Record words;
  };
  const std::vector<Case> cases{
      {"I 15*I 13I 15I 17", 2, {3, 5, 7}},
      {"D 1.500000000000000D+00*I 13I 15I 17", 2, {3, 5, 7}},
      {"A12345678*I 13I 15I 17", 2, {3, 5, 7}},
      {"*I 12I 15", 0, {2, 5}},
      {"*I 10I 15", 0, {0, 5}},
      {"*I 11I 15", 0, {1, 5}},
      {"*I 2-1I 15", 0, {-1, 5}},
      {"*I 2-5I 15", 0, {-5, 5}},
      {"*I 3999I 15I 17", 0, {999, 5, 7}},
      {"*I 3515I 15", 0, {515, 5}},
      {"*I102147483647I 15", 0, {2147483647, 5}},
      {"*I10-214748364I 15", 0, {-214748364, 5}},
  };
  rec::i(CWORK, eqc_records::kResultsForm) = 1;
  for (const Case& c : cases) {
    restart();
    std::string first = c.line, end = "*I 12I 42001";
    first.resize(80, ' ');
    end.resize(80, ' ');
    std::ofstream(path("job.fil")) << first << "\n" << end << "\n" << std::string(80, ' ') << "\n";
    Record r(1 + 600, -3.0);  // r[0] stands just before the caller's record
    const Int mode = 0;
    Int status = -1;
    SHR_DBFILE(&mode, r.data() + 1, &status);
    EXPECT_EQ(r[0], -3.0) << c.line;
    EXPECT_EQ(status, c.status) << c.line;
    if (c.status != 1) {
      EXPECT_EQ(Record(r.begin() + 1, r.begin() + 1 + static_cast<long>(c.words.size())), c.words) << c.line;
    }
    SHR_DBFILE(&mode, r.data() + 1, &status);  // the end record follows in every case
    EXPECT_EQ(r[2], 2001.0) << c.line;
  }
}

}  // namespace
