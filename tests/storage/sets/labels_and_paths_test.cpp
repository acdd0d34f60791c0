#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "siblings/eqc/eqc_labels.h"
#include "siblings/eqc/testing.h"
#include "siblings/utl/utl.h"
#include "tests/support/host_fixture.h"
#include "zmx/storage.h"

namespace {

class Labels : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    eqc_testing::resetLongLabels();
  }
};

std::string field(const std::string& text, std::size_t length) {
  std::string out = text;
  out.resize(length, ' ');
  return out;
}

// The operations the library's callers pass (1 and 11) register the label; a label of at most
// 8 characters needs no entry.
TEST_F(Labels, LongLabelsAreRegisteredOnceInTheStore) {
  std::string label = field("A-LABEL-LONGER-THAN-EIGHT", 80);
  const Int add = 1, addAgain = 11;
  EXPECT_EQ(DBLABEL(&add, label.data(), 80), 1);
  std::string other = field("ANOTHER-LABEL-LONGER-THAN-EIGHT", 80);
  EXPECT_EQ(DBLABEL(&addAgain, other.data(), 80), 2);
  EXPECT_EQ(DBLABEL(&addAgain, label.data(), 80), 1);
  std::string shortLabel = field("SHORT", 80);
  EXPECT_EQ(DBLABEL(&add, shortLabel.data(), 80), 0);
  EXPECT_EQ(eqc_testing::longLabels(),
            (std::vector<std::string>{"A-LABEL-LONGER-THAN-EIGHT", "ANOTHER-LABEL-LONGER-THAN-EIGHT"}));
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
}

TEST_F(Labels, WrongLengthAndAFullStoreAreSystemErrorsAndTheCallGoesOn) {
  std::string label = field("ANOTHER-LONG-LABEL", 40);
  const Int registerOp = 1;
  EXPECT_EQ(DBLABEL(&registerOp, label.data(), 40), 1);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DBLABEL"));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);

  eqc_testing::resetLongLabels(1);
  eqc_testing::clearMessages();
  std::string first = field("FIRST-LONG-LABEL", 80);
  std::string second = field("SECOND-LONG-LABEL", 80);
  DBLABEL(&registerOp, first.data(), 80);
  DBLABEL(&registerOp, second.data(), 80);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DBLABEL. TOO MANY LABELS OVER 8 CHARACTERS IN LENGTH"));
  EXPECT_EQ(eqc_testing::longLabels().size(), 1u);
}

struct Path {
  std::string directory;
  Int length;
  Int absolute;
};

Path getPath(const std::string& file, std::size_t fieldLength) {
  std::string out(fieldLength + 4, '#');
  Path path{};
  SHR_GETPATH(file.data(), static_cast<Int>(file.size()), out.data(), static_cast<Int>(fieldLength), &path.length,
              &path.absolute);
  EXPECT_EQ(out.substr(fieldLength), "####") << "written past the field";
  path.directory = out.substr(0, fieldLength);
  return path;
}

// On Linux a path is absolute when it begins with "/"; drive letters and backslashes are not.
TEST(Paths, DirectoryPartAndAbsoluteTestFollowThePlatform) {
  const Path absolute = getPath("  /home/job/run.inp  ", 20);
  EXPECT_EQ(absolute.directory, field("/home/job/", 20));
  EXPECT_EQ(absolute.length, 10);
  EXPECT_EQ(absolute.absolute, 1);

  const Path relative = getPath("runs/a.inp", 10);
  EXPECT_EQ(relative.directory, field("runs/", 10));
  EXPECT_EQ(relative.absolute, 0);

  EXPECT_EQ(getPath("C:", 10).absolute, 0);
  EXPECT_EQ(getPath("C:\\dir\\f", 10).absolute, 0);
  EXPECT_EQ(getPath("\\\\server\\share\\f", 20).absolute, 0);

  const Path none = getPath("file.inp", 6);
  EXPECT_EQ(none.directory, field("", 6));
  EXPECT_EQ(none.length, 0);

  const Path cut = getPath("/a/very/long/directory/name/f", 8);
  EXPECT_EQ(cut.directory, "/a/very/");
  EXPECT_EQ(cut.length, 28);
}

TEST(Paths, ConversionToNativeTrimsTurnsBackslashesAndBlanksTheRest) {
  std::string path = "  dir\\sub\\file.inp   #";
  SHR_CONVERTTONATIVE(path.data(), static_cast<Int>(path.size()) - 1);
  EXPECT_EQ(path, field("dir/sub/file.inp", path.size() - 1) + "#");
}

TEST(Paths, SubstituteReplacesTheFirstCharacterOfEachOccurrence) {
  cow_String text("a::b::c");
  substitute(text, "::", "-+");
  EXPECT_STREQ(text.CStr(), "a-:b-:c");
  cow_String overlapping("aaaa");
  substitute(overlapping, "aa", "b");
  EXPECT_STREQ(overlapping.CStr(), "bbba");
  cow_String untouched("abc");
  substitute(untouched, "", "x");
  EXPECT_STREQ(untouched.CStr(), "abc");
}

}  // namespace
