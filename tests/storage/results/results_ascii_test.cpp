#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/storage/results/results_support.h"

namespace {

using namespace results_test;

std::string integerItem(double value, Int* status) {
  char text[32] = {};
  const Int used = AINTCH(&value, text, sizeof text, status);
  return std::string(text, static_cast<std::size_t>(used));
}

std::string realItem(double value, Int* status) {
  char text[32] = {};
  const Int used = ADRLCH(&value, text, sizeof text, status);
  return std::string(text, static_cast<std::size_t>(used));
}

TEST(ResultsAsciiItems, IntegersCarryTheirWidth) {
  Int status = -1;
  EXPECT_EQ(integerItem(7, &status), "I 17");
  EXPECT_EQ(integerItem(-5, &status), "I 2-5");
  EXPECT_EQ(integerItem(-123456789, &status), "I10-123456789");
  EXPECT_EQ(integerItem(999999999, &status), "I 9999999999");
  EXPECT_EQ(status, 0);
  for (double tooLong : {1000000000.0, -1000000000.0, 1e300}) {
    eqc_testing::clearMessages();
    EXPECT_EQ(integerItem(tooLong, &status), "I 10");
    EXPECT_EQ(status, 2);
    EXPECT_TRUE(eqc_testing::printed(tooLong > 0 ? "INTEGER GREATER THAN 1000000000 IS TOO LONG FOR ALLOCATED SPACE"
                                                 : "INTEGER LESS THAN -1000000000 IS TOO LONG FOR ALLOCATED SPACE"));
    EXPECT_TRUE(eqc_testing::printed("CANNOT CONVERT DATA FROM AN INTEGER TO A CHARACTER STRING.  SETTING INTEGER TO 0"));
  }
  EXPECT_EQ(integerItem(std::nan(""), &status), "I 10");
  EXPECT_EQ(status, 2);
}

TEST(ResultsAsciiItems, RealsAndTexts) {
  Int status = -1;
  EXPECT_EQ(realItem(123.5, &status), "D 1.235000000000000D+02");
  EXPECT_EQ(realItem(-1e-36, &status), "D 0.000000000000000D+00");
  EXPECT_EQ(realItem(2.5e200, &status), "D 2.500000000000000+200");
  EXPECT_EQ(status, 0);
  eqc_testing::clearMessages();
  EXPECT_EQ(realItem(std::numeric_limits<double>::infinity(), &status), "D 0.000000000000000D+00");
  EXPECT_EQ(status, 2);
  EXPECT_TRUE(eqc_testing::printed("CANNOT CONVERT A FLOATING POINT REAL NUMBER TO A CHARACTER STRING."));

  double word = textWord("AB\tDEFGH");
  char text[9];
  eqc_testing::clearMessages();
  EXPECT_EQ(ARCHCH(&word, text, sizeof text, &status), 9);
  EXPECT_EQ(std::string(text, 9), "AAB DEFGH");
  EXPECT_EQ(status, 2);
  EXPECT_EQ(eqc_testing::countAtLevel(-1), 1);
  EXPECT_TRUE(eqc_testing::printed("A POSSIBLE NON-PRINTABLE CHARACTER  WAS FOUND IN STRING AB\tDEFGH."));
}

// A writer given less room than its item writes nothing past the room and reports status 2;
// an integer writes its failed item "I 10" where that fits. A text reader short of its nine
// characters gives a blank word.
TEST(ResultsAsciiItems, ItemsWithoutRoomAreRefused) {
  using Writer = Int (*)(Real*, char*, Int, Int*);
  struct Case {
    Writer writer;
    double word;
    Int room, used;
    std::string written;
  };
  const Case cases[] = {{AINTCH, 12345.0, 7, 4, "I 10"}, {AINTCH, 12345.0, 3, 4, ""},
                        {ADRLCH, 1.5, 22, 0, ""}, {ARCHCH, textWord("ABCDEFGH"), 8, 0, ""}};
  for (const Case& c : cases) {
    char text[32];
    std::memset(text, '#', sizeof text);
    double word = c.word;
    Int status = -1;
    EXPECT_EQ(c.writer(&word, text, c.room, &status), c.used);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(std::string(text, c.written.size()), c.written);
    EXPECT_EQ(std::string(text + c.written.size(), sizeof text - c.written.size()),
              std::string(sizeof text - c.written.size(), '#'));
  }
  double word = 1.0;
  Int status = -1;
  EXPECT_EQ(ACHRCH(&word, "AXYZ", 4, &status), 9);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(word, textWord("        "));
}

TEST(ResultsAsciiItems, ReadersTakeBackWhatTheWritersWrote) {
  Int status = -1;
  double word = 0;
  for (double value : {0.0, 7.0, -5.0, 999999999.0, -999999999.0}) {
    const std::string item = integerItem(value, &status);
    EXPECT_EQ(ACHINT(&word, item.data(), static_cast<Int>(item.size()), &status), static_cast<Int>(item.size()));
    EXPECT_EQ(word, value);
  }
  // A width of 0 or above 10 stores 0 over its characters without an error.
  for (const auto& [wide, used] : {std::pair<std::string, Int>{"I 0", 3}, {"I11 12345678901", 14}}) {
    word = 7.0;
    EXPECT_EQ(ACHINT(&word, wide.data(), static_cast<Int>(wide.size()), &status), used) << wide;
    EXPECT_EQ(status, 0) << wide;
    EXPECT_EQ(word, 0.0);
  }
  for (const char* bad : {"I-1", "I13 12345678901", "I 31 2", "I 2ab", "I 5123"}) {
    eqc_testing::clearMessages();
    ACHINT(&word, bad, static_cast<Int>(std::strlen(bad)), &status);
    EXPECT_EQ(status, 2) << bad;
    EXPECT_EQ(word, 0.0);
    EXPECT_TRUE(eqc_testing::printed("CANNOT CONVERT A CHARACTER STRING TO AN INTEGERSETTING THE INTEGER TO ZERO"));
  }
  const std::string real = "D 2.500000000000000+200";
  ACHDRL(&word, real.data(), static_cast<Int>(real.size()), &status);
  EXPECT_EQ(word, 2.5e200);
  EXPECT_EQ(status, 0);
  ACHDRL(&word, "D 1.2.3", 7, &status);
  EXPECT_EQ(status, 2);
}

// The reference values and texts that gfortran writes with (1P,D22.15).
TEST(ResultsAsciiItems, RealsMatchGfortranByteForByte) {
  const std::string folder = zmxtest::scratchFolder("real_items");
  ASSERT_EQ(std::system((std::string(REAL_ITEMS_REFERENCE) + " " + folder).c_str()), 0);
  std::ifstream in(folder + "/real_items.txt");
  int compared = 0;
  for (std::string line; std::getline(in, line); ++compared) {
    ASSERT_EQ(line.size(), 16u + 1u + 22u) << line;
    const std::uint64_t bits = std::stoull(line.substr(0, 16), nullptr, 16);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    Int status = -1;
    EXPECT_EQ(realItem(value, &status), "D" + line.substr(17)) << line;
    double back = 0;
    const std::string item = "D" + line.substr(17);
    ACHDRL(&back, item.data(), static_cast<Int>(item.size()), &status);
    EXPECT_EQ(status, 0);
    EXPECT_NEAR(back, value, std::fabs(value) * 1e-15) << line;
  }
  EXPECT_GT(compared, 2000);
}

class ResultsAscii : public ResultsFile {
 protected:
  void SetUp() override {
    ResultsFile::SetUp();
    rec::i(CWORK, eqc_records::kResultsForm) = 1;
  }
  std::vector<std::string> lines() { return linesOf(path("job.fil")); }
  // A line of the file: the text padded with blanks to 80 characters.
  static std::string lineOf(const std::string& text) { return text + std::string(80 - text.size(), ' ') + "\n"; }
  std::string text() {
    std::string all;
    for (const auto& line : lines()) all += line;
    return all;
  }
};

TEST_F(ResultsAscii, ClassOneRecordOfLengthFourTakes55Characters) {
  EXPECT_EQ(write(record(5, {1.5, -2.0})), 0);
  EXPECT_EQ(control(10), 0);
  const auto all = lines();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].substr(0, 55), "*I 14I 15D 1.500000000000000D+00D-2.000000000000000D+00");
  EXPECT_EQ(all[0].substr(55), "*I 12I 42001" + std::string(13, ' '));
  EXPECT_EQ(all[1], std::string(80, ' '));
}

TEST_F(ResultsAscii, StreamOfTheEndRecordAlone) {
  EXPECT_EQ(control(10), 0);
  const auto all = lines();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0], "*I 12I 42001" + std::string(68, ' '));
  EXPECT_EQ(all[1], std::string(80, ' '));
  EXPECT_EQ(control(2), 0);
  const auto back = readAll();
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0], (Record{2.0, 2001.0}));
  Int status = 0;
  read(&status);
  EXPECT_EQ(status, 1);
}

// A host driving the line layer and the item routines itself, with its own 128-character buffer
// and descriptor words, the way the codec does: the buffer's length follows it at once and every
// later argument keeps its place.
TEST_F(ResultsAscii, HostDrivesTheLineLayerAndItemsDirectly) {
  char buffer[128];
  std::memset(buffer, ' ', sizeof buffer);
  Int position = 1, unit = 8, lineLength = 80, last = 0, state = 0, status = -1;
  const Int writeLine = 1, finish = 10, rewind = 2, readLine = 0;
  double words[] = {4.0, 5.0, -2.5, textWord("TEXT-ONE")};
  buffer[0] = '*';
  position = 2;
  position += AINTCH(&words[0], buffer + position - 1, 128 - position + 1, &status);
  position += AINTCH(&words[1], buffer + position - 1, 128 - position + 1, &status);
  position += ADRLCH(&words[2], buffer + position - 1, 128 - position + 1, &status);
  position += ARCHCH(&words[3], buffer + position - 1, 128 - position + 1, &status);
  ASSERT_EQ(position, 2 + 4 + 4 + 23 + 9);
  DBSEQA(&finish, buffer, 128, &position, &unit, &lineLength, &last, &state, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(position, 1);
  EXPECT_EQ(state, 0);
  const auto all = lines();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0], "*I 14I 15D-2.500000000000000D+00ATEXT-ONE" + std::string(39, ' '));

  DBSEQA(&rewind, buffer, 128, &position, &unit, &lineLength, &last, &state, &status);
  DBSEQA(&readLine, buffer, 128, &position, &unit, &lineLength, &last, &state, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(last, 80);
  EXPECT_EQ(state, -1);
  double back[4] = {};
  position = 2;
  position += ACHINT(&back[0], buffer + position - 1, last - position + 1, &status);
  position += ACHINT(&back[1], buffer + position - 1, last - position + 1, &status);
  position += ACHDRL(&back[2], buffer + position - 1, last - position + 1, &status);
  position += ACHRCH(&back[3], buffer + position - 1, last - position + 1, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(position, 42);
  EXPECT_EQ(std::memcmp(back, words, sizeof words), 0);

  // A line written alone leaves what ran over the line length at the front.
  std::memset(buffer, 'x', 85);
  position = 86;
  DBSEQA(&writeLine, buffer, 128, &position, &unit, &lineLength, &last, &state, &status);
  EXPECT_EQ(position, 6);
  EXPECT_EQ(last, 85);
  EXPECT_EQ(state, 1);
  EXPECT_EQ(std::string(buffer, 6), "xxxxx ");
}

// Runs of items into the active line: integers from the next item to the last integer item,
// then reals from there to the last real item, whichever of the two ends first.
TEST_F(ResultsAscii, ItemRunsWriteIntegersThenRealsFromTheNextItem) {
  const std::string five = "D 5.000000000000000D+00";
  struct Case {
    Int lastInteger, lastReal, next;
    std::string text;
    Int nextAfter;
  };
  const Case cases[] = {
      {3, 2, 1, "I 13I 15I 19", 4},  // the reals end below the last integer
      {1, 3, 1, "I 13" + five + "D 9.000000000000000D+00", 4},
      {2, 3, 2, "I 15D 9.000000000000000D+00", 4},
      {0, 2, 1, "D 3.000000000000000D+00" + five, 3},
      {2, 2, 3, "", 3},
  };
  // One run from item `next` over the words: the item next after it, and the run's status.
  const auto run = [](Int lastInteger, Int lastReal, Int next, double* words) {
    const Int operation = 1;
    Int status = -1;
    AFILCH(&operation, &lastInteger, &lastReal, &next, words, &status);
    return std::make_pair(next, status);
  };
  for (const Case& c : cases) {
    INITF();
    double words[] = {3.0, 5.0, 9.0};
    EXPECT_EQ(run(c.lastInteger, c.lastReal, c.next, words), std::make_pair(c.nextAfter, 0)) << c.text;
    const Int position = rec::i(CDAFLE, zmx::results::kLinePosition);
    EXPECT_EQ(rec::chars(CDFLAS, 1, position - 1), c.text);
  }
  // Before each item a line that is used up is written out first.
  INITF();
  rec::setChars(CDFLAS, 1, 80, std::string(80, 'x'));
  rec::i(CDAFLE, zmx::results::kLinePosition) = 81;
  double words[] = {2.0, 1e40};
  EXPECT_EQ(run(1, 2, 1, words), std::make_pair(3, 0));
  EXPECT_EQ(rec::chars(CDFLAS, 1, 27), "I 12D 1.000000000000000D+40");
  EXPECT_EQ(lines(), std::vector<std::string>{std::string(80, 'x')});
  // An item that does not convert is replaced and the run reports it.
  words[0] = 2e9;
  EXPECT_EQ(run(1, 1, 1, words), std::make_pair(2, 2));
  EXPECT_EQ(rec::chars(CDFLAS, 28, 4), "I 10");
}

TEST_F(ResultsAscii, EndKeyWrittenAsARecordIsTheEndRecord) {
  Record end = {40.0, 2001.0, 3.0};
  const Int mode = 1;
  Int status = -1;
  SHR_DBFILE(&mode, end.data(), &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(end[0], 2.0);
  EXPECT_EQ(end[1], 2001.0);
  EXPECT_EQ(lines()[0], "*I 12I 42001" + std::string(68, ' '));
}

TEST_F(ResultsAscii, ItemAtColumn79ContinuesOnTheNextLine) {
  // "*" + 2 integers of 4 + 3 reals of 23 = 78 characters: the fourth real starts at column 79.
  const Record r = record(2, {1.25, 2.5, -3.75, 123.5});
  ASSERT_EQ(write(r), 0);
  ASSERT_EQ(control(10), 0);
  const auto all = lines();
  EXPECT_EQ(all[0].substr(78), "D ");
  EXPECT_EQ(all[1].substr(0, 21), "1.235000000000000D+02");
  ASSERT_EQ(control(2), 0);
  Int status = -1;
  EXPECT_EQ(read(&status), r);
  EXPECT_EQ(status, 0);
}

TEST_F(ResultsAscii, UnknownKeyIsReportedAndSkipped) {
  EXPECT_EQ(write(record(9999, {1.0})), 0);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DBFILA. UNIDENTIFIED FILE KEY 9999.  THIS RECORD WILL BE SKIPPED"));
  EXPECT_EQ(control(10), 0);
  EXPECT_EQ(lines()[0].substr(0, 12), "*I 12I 42001");
}

TEST_F(ResultsAscii, LayoutsFollowTheKey) {
  ASSERT_EQ(write(record(1, {3, 4, 5, 6, textWord("PART-1  "), 8, 9})), 0);
  ASSERT_EQ(write(record(304, {3, 4.5, textWord("LAST    ")})), 0);
  ASSERT_EQ(write(record(1501, {textWord("NAME    "), 4, 2, 6, 7})), 0);
  ASSERT_EQ(control(10), 0);
  const std::string all = text();
  EXPECT_EQ(all.substr(0, 42), "*I 19I 11I 13I 14I 15I 16APART-1  I 18I 19");
  EXPECT_NE(all.find("*I 15I 3304I 13D 4.500000000000000D+00ALAST    "), std::string::npos);
  EXPECT_NE(all.find("*I 17I 41501ANAME    I 14I 12I 16I 17"), std::string::npos);
  EXPECT_EQ(all.find("D"), all.find("D 4.5"));
}

// The item tags of a layout written as "I 1-6, A 7, I 8..L": runs of items by number, where L
// is the record length and L-k counts back from it; items no run names are reals.
std::string layoutTags(const std::string& layout, int length) {
  std::string tags(static_cast<std::size_t>(length), 'D');
  auto item = [length](const std::string& t) {
    if (t[0] != 'L') return std::stoi(t);
    return t.size() == 1 ? length : length - std::stoi(t.substr(2));
  };
  std::istringstream runs(layout);
  for (std::string run; std::getline(runs, run, ',');) {
    run = run.substr(run.find_first_not_of(' '));
    const char tag = run[0];
    const std::string range = run.substr(2);
    const auto dots = range.find(".."), dash = range.find('-');
    int first = 0, last = 0;
    if (dots != std::string::npos) {
      first = item(range.substr(0, dots));
      last = item(range.substr(dots + 2));
    } else if (range[0] != 'L' && dash != std::string::npos) {
      first = item(range.substr(0, dash));
      last = item(range.substr(dash + 1));
    } else {
      first = last = item(range);
    }
    for (int k = first; k <= last; ++k) tags[static_cast<std::size_t>(k - 1)] = tag;
  }
  return tags;
}

// The tags of the items of the first record in an ASCII stream.
std::string writtenTags(const std::string& stream) {
  std::string tags;
  for (std::size_t at = 1; at < stream.size() && stream[at] != '*' && stream[at] != ' ';) {
    const char tag = stream[at];
    tags += tag;
    at += tag == 'I' ? 3 + static_cast<std::size_t>(std::stoi(stream.substr(at + 1, 2))) : tag == 'D' ? 23 : 9;
  }
  return tags;
}

TEST_F(ResultsAscii, EveryLayoutWritesItsItemsWithTheirTags) {
  struct Layout {
    int key, length;
    const char* items;
  };
  const Layout layouts[] = {
      {5, 16, "I 1-2, D 3..L"},                 // class 1
      {101, 16, "I 1-3, D 4..L"},               // class 2
      {1002, 16, "I 1..L"},                     // class 3
      {3, 16, "I 1-2, A 3, D 4..L"},            // class 4
      {304, 16, "I 1-3, D 4..L-1, A L"},        // class 7
      {1, 16, "I 1-6, A 7, I 8..L"},
      {22, 16, "I 1-2, D 3..L-2, A L-1, D L"},
      {31, 16, "I 1-2, A 3, D 4..L"},
      {45, 10, "I 1-2, D 3, A 4, D 5, A 6, D 7, A 8, D 9, A 10"},
      {463, 16, "I 1-2, D 3..L-2, A L-1, A L"},
      {473, 4, "I 1-2, D 3, A 4"},
      {473, 6, "I 1-2, D 3, A 4"},              // items past the layout are reals
      {1995, 16, "I 1-2, D 3..L"},              // class 0 without a layout of its own
      {1996, 16, "I 1-2, D 3..L"},
      {499, 16, "I 1-2, A 3..L"},
      {1922, 16, "I 1-2, A 3..L"},
      {1001, 16, "I 1-3, A 4, I 5..L"},
      {1041, 16, "I 1-3, A 4, I 5..L"},
      {1602, 16, "I 1-3, A 4, I 5..L"},
      {1900, 16, "I 1-3, A 4, I 5..L"},
      {1501, 16, "I 1-2, A 3, I 4-7, A 8..L"},  // word 5 is not 2
      {1503, 16, "I 1-3, A 4..L"},
      {1580, 16, "I 1-3, A 4..L"},
      {1601, 16, "I 1-3, A 4..L"},
      {1603, 16, "I 1-3, A 4..L"},
      {1605, 16, "I 1-3, A 4..L"},
      {1608, 16, "I 1-3, A 4..L"},
      {1911, 16, "I 1-3, A 4..L"},
      {1940, 16, "I 1-3, A 4..L"},
      {1581, 16, "I 1-2, A 3, I 4-5, D 6..L"},
      {1604, 16, "I 1-4, D 5..L"},
      {1910, 16, "I 1-4, A 5, I 6..L"},
      {1921, 16, "I 1-2, A 3..L-3, I L-2, I L-1, D L"},
      {1931, 16, "I 1-2, A 3, I 4..L"},
      {1933, 16, "I 1-2, A 3, I 4..L"},
      {1991, 16, "I 1-3, A 4, I 5, D 6..L"},
      {1992, 16, "I 1-3, A 4, I 5, D 6..L"},
      {1993, 16, "I 1-3, A 4-5, I 6-8, D 9..L"},
      {2000, 16, "I 1-2, D 3-6, I 7-10, D 11-13, A 14..L"},
  };
  for (const Layout& layout : layouts) {
    // Integer-valued words, so that every item converts whatever its tag.
    Record r = counting(layout.key, layout.length, 7.0);
    write(r);
    ASSERT_EQ(control(10), 0);
    EXPECT_EQ(writtenTags(text()), layoutTags(layout.items, layout.length)) << "key " << layout.key;
    // A fresh file for the next layout: unit 8 closed with its file, the streams started anew.
    Int unit = 8, closeAndDelete = 6, none = 0, status = 0;
    DBSA(&unit, nullptr, &none, &closeAndDelete, &status);
    INITF();
    rec::i(CWORK, eqc_records::kResultsForm) = 1;
  }
  // Key 1501 with word 5 holding 2: integers from item 4 on.
  Record r = counting(1501, 16, 7.0);
  r[4] = 2.0;
  write(r);
  ASSERT_EQ(control(10), 0);
  EXPECT_EQ(writtenTags(text()), layoutTags("I 1-2, A 3, I 4..L", 16));
}

TEST_F(ResultsAscii, RecordsRoundTripThroughTheText) {
  std::vector<Record> written;
  for (int k = 0; k < 30; ++k) {
    written.push_back(counting(11, 3 + (k * 13) % 60, 0.5 * k - 3));
    ASSERT_EQ(write(written.back()), 0);
  }
  ASSERT_EQ(control(10), 0);
  ASSERT_EQ(control(2), 0);
  const auto back = readAll();
  ASSERT_EQ(back.size(), written.size() + 1);
  for (std::size_t k = 0; k < written.size(); ++k) EXPECT_EQ(back[k], written[k]);
}

TEST_F(ResultsAscii, ReaderSkipsBlankLinesAndRecoversFromADamagedRecord) {
  std::ofstream(path("job.fil")) << lineOf("")
                                 << lineOf("*I 14I 15D 1.500000000000000D+00X-2.000000000000000D+00*I 13I 15I 17")
                                 << lineOf("*I 12I 42001") << lineOf("");
  std::vector<Int> statuses;
  const auto back = readAll(&statuses);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0], (Record{3.0, 5.0, 7.0}));
  EXPECT_EQ(statuses[0], 2);
  EXPECT_EQ(statuses[1], 0);
  EXPECT_TRUE(eqc_testing::printed("INCORRECT RECORD LENGTH IN ASCII RESULTS FILE OUTPUT ERROR IS AT LOCATION 33"));
  EXPECT_TRUE(eqc_testing::printed("ATTEMPTING TO SKIP TO START OF NEXT RECORD"));
}

// Damage the reader drops: a record of fewer than two items (the next record comes back with
// status 2); a text item the data end inside (status 1, nothing more to find); and a damaged
// record followed by no "*" within the scan limit.
TEST_F(ResultsAscii, DamageTheReaderDropsOrCannotGetPast) {
  std::ofstream(path("job.fil")) << lineOf("*I 13*I 13I 15I 17");
  Int status = -1;
  EXPECT_EQ(read(&status), (Record{3.0, 5.0, 7.0}));
  EXPECT_EQ(status, 2);
  EXPECT_TRUE(eqc_testing::printed("RESULTS FILE RECORD LENGTH 1 IS OUTSIDE THE RANGE 2 TO"));
  std::string cut = "*";
  for (int k = 0; k < 18; ++k) cut += "I 11";
  std::ofstream(path("job.fil")) << lineOf("*I 13I 15I 17") << cut << "AXYZ123";  // the data end at column 80
  ASSERT_EQ(control(2), 0);
  EXPECT_EQ(read(&status), (Record{3.0, 5.0, 7.0}));
  read(&status);
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(eqc_testing::printed("INCORRECT FORMAT FOR A CHARACTER STRING WHEN READING RESULTS FILE.  19TH ITEM"));
  EXPECT_TRUE(eqc_testing::printed("COULD NOT FIND THE START OF A NEW RECORD"));

  {
    std::ofstream file(path("job.fil"));
    file << lineOf("*I 13X");
    const std::string filler = lineOf(std::string(80, 'x'));
    for (int k = 0; k < 10000000 / 80 + 2; ++k) file << filler;
    file << lineOf("*I 13I 15I 17");
  }
  ASSERT_EQ(control(2), 0);
  eqc_testing::clearMessages();
  read(&status);
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DBFILA - LOOP 1010 LIMIT EXCEEDED"));
}

// A line state that is not sane (no room for a line and the refill margin, a position outside
// the buffer) is refused with status 1; other operations of the line layer go to the unit.
TEST_F(ResultsAscii, TheLineLayerRefusesALineStateThatIsNotSane) {
  Record r = record(5, {1.5, 2.5});
  const Record before = r;
  rec::i(CDAFLE, zmx::results::kLineLengthWord) = 100;
  Int status = -1;
  const Int write = 1;
  DBFILA(&write, r.data(), &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(r, before);
  INITF();
  char buffer[128];
  std::memset(buffer, ' ', sizeof buffer);
  Int position = 0, last = 0, state = 0;
  const Int unit = 8, lineLength = 80, report = 4;
  DBSEQA(&write, buffer, 128, &position, &unit, &lineLength, &last, &state, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(std::string(buffer, 128), std::string(128, ' '));
  position = 1;
  DBSEQA(&report, buffer, 128, &position, &unit, &lineLength, &last, &state, &status);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(eqc_testing::printed("SEQUENTIAL I/O ERROR ON UNIT 8"));
  EXPECT_TRUE(lines().empty());
}

// An integer width of 0 or above 10 reads as 0 over its characters; a negative width damages
// the record. The length item is not compared with the items read.
TEST_F(ResultsAscii, IntegerWidthsOutsideOneToTenAndLengthItems) {
  const std::string line = "*I 13I 15I 0*I 13I 12I12xxxxxxxxxxxx*I 13I 15I-1*I 13I 15I 18*I 11I 15I 17";
  std::ofstream(path("job.fil")) << lineOf(line) << lineOf("");
  const std::vector<std::pair<Record, Int>> expected = {
      {{3.0, 5.0, 0.0}, 0}, {{3.0, 2.0, 0.0}, 0}, {{3.0, 5.0, 8.0}, 2}, {{1.0}, 0}};
  for (const auto& [record, expectedStatus] : expected) {
    Int status = -1;
    EXPECT_EQ(read(&status), record);
    EXPECT_EQ(status, expectedStatus);
  }
  EXPECT_TRUE(eqc_testing::printed("INCORRECT FORMAT FOR AN INTEGER NUMBER WHEN READING FROM A RESULTS FILE.  3TH ITEM"));
  Int status = -1;
  read(&status);
  EXPECT_EQ(status, 1);
}

TEST_F(ResultsAscii, OverlongRecordIsNeverStoredPastTheArray) {
  std::string line = "*I 12I 15";
  std::ostringstream file;
  for (int k = 0; k < 600; ++k) line += "I 11";
  line += "*I 13I 15I 19";
  for (std::size_t at = 0; at < line.size(); at += 80) file << lineOf(line.substr(at, 80));
  file << lineOf("") << lineOf("");
  std::ofstream(path("job.fil")) << file.str();
  Record r(514, 0.0);
  const Int mode = 0;
  Int status = -1;
  SHR_DBFILE(&mode, r.data(), &status);
  EXPECT_EQ(status, 2);
  r.resize(3);
  EXPECT_EQ(r, (Record{3.0, 5.0, 9.0}));
}

TEST_F(ResultsAscii, SecondStreamKeepsItsOwnLineBetweenWrites) {
  rec::i(COUTF, 1) = 1;
  ASSERT_EQ(write(record(5, {1.0})), 0);
  Int status = -1;
  Record r = record(5, {2.0});
  SHR_DBFILW(nullptr, r.data(), &status);
  ASSERT_EQ(write(record(5, {3.0})), 0);
  // The first stream ends while the second one's line is still pending: each stream's closing
  // line is blank, whatever the other stream holds.
  ASSERT_EQ(control(10), 0);
  Record end = {2.0, 2001.0};
  SHR_DBFILW(nullptr, end.data(), &status);
  const auto second = linesOf(path("job.sel"));
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[0].substr(0, 44), "*I 13I 15D 2.000000000000000D+00*I 12I 42001");
  EXPECT_EQ(second[1], std::string(80, ' '));
  const auto first = lines();
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(first[0].substr(0, 64), "*I 13I 15D 1.000000000000000D+00*I 13I 15D 3.000000000000000D+00");
  EXPECT_EQ(first[1], std::string(80, ' '));
}

TEST_F(ResultsAscii, UserNamedFileWritesOutItsLastLineBeforeItIsRewound) {
  const std::string name = "mine.txt";
  Int unit = 33, form = 1, status = -1, op = 1;
  const CDAFLE_t before = CDAFLE;
  std::vector<Record> written = {record(5, {1.5}), counting(11, 9)};
  for (Record r : written) {
    DBFILF(&op, r.data(), &unit, name.data(), static_cast<Int>(name.size()), &form, &status);
    ASSERT_EQ(status, 0);
  }
  EXPECT_EQ(std::memcmp(&before, &CDAFLE, sizeof before), 0);
  op = 2;
  DBFILF(&op, nullptr, &unit, name.data(), static_cast<Int>(name.size()), &form, &status);
  op = 0;
  for (const Record& want : written) {
    Record r(514, 0.0);
    DBFILF(&op, r.data(), &unit, name.data(), static_cast<Int>(name.size()), &form, &status);
    EXPECT_EQ(status, 0);
    r.resize(want.size());
    EXPECT_EQ(r, want);
  }
}

// A user-named file starts afresh after every close, whatever was done on the unit before: each
// file holds what was written to it, and each read starts at its first record. Both forms.
TEST_F(ResultsAscii, UserNamedFilesStartAfreshAfterEveryClose) {
  for (Int form : {1, 2}) {
    Int unit = 20, status = -1;
    auto call = [&](Int op, const std::string& name, Record r = Record(514, 0.0)) {
      const std::string file = (form == 1 ? "text_" : "binary_") + name;
      DBFILF(&op, r.data(), &unit, file.data(), static_cast<Int>(file.size()), &form, &status);
      r.resize(static_cast<std::size_t>(std::clamp(r[0], 1.0, 514.0)));
      return r;
    };
    const Record first = record(5, {1.5}), end = {2.0, 2001.0};
    call(1, "first.txt", first);
    call(1, "first.txt", end);
    call(5, "first.txt");
    EXPECT_EQ(call(0, "first.txt"), first) << form;
    call(5, "first.txt");
    call(1, "second.txt", end);
    call(5, "second.txt");
    if (form == 1) {
      EXPECT_EQ(linesOf(path("text_second.txt")),
                (std::vector<std::string>{"*I 12I 42001" + std::string(68, ' '), std::string(80, ' ')}));
    }
    // Write, close, write; read, close, read. A binary block is padded with zeros, not with
    // what the buffer held of another file, so a read past the end record ends there too.
    const Record third = counting(11, 9);
    call(1, "third.txt", third);
    call(5, "third.txt");
    call(1, "third.txt", end);
    call(5, "third.txt");
    EXPECT_EQ(call(0, "second.txt")[1], 2001.0) << form;
    call(0, "second.txt");
    EXPECT_EQ(status, 1) << form;
    call(5, "second.txt");
    for (const Record& want : {first, end}) EXPECT_EQ(call(0, "first.txt"), want) << form;
    call(5, "first.txt");
    EXPECT_EQ(call(0, "third.txt")[1], 2001.0) << form;  // written afresh over the first one
    call(5, "third.txt");
    // A file of more than one block ends with its end record too.
    const Record big = counting(5, 500, 3.0), small = counting(5, 20, 7.0);
    for (const Record& r : {big, small, end}) call(1, "fourth.txt", r);
    call(5, "fourth.txt");
    for (const Record& want : {big, small, end}) EXPECT_EQ(call(0, "fourth.txt"), want) << form;
    call(0, "fourth.txt");
    EXPECT_EQ(status, 1) << form;
    call(5, "fourth.txt");
  }
}

}  // namespace
