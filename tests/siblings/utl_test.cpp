#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>

#include "siblings/utl/testing.h"
#include "siblings/utl/utl.h"

namespace {

std::string str(const cow_String& s) { return std::string(s.CStr(), s.Length()); }

class UtlCommandLine : public ::testing::Test {
 protected:
  void SetUp() override { utl_testing::clearCommandLine(); }
  void TearDown() override { utl_testing::clearCommandLine(); }
};

TEST_F(UtlCommandLine, KeysGiveTheirValuesAndAbsentKeysGiveNothing) {
  utl_testing::setCommandLine("tmpdir", "/scratch");
  utl_testing::setCommandLine("job", "beam");
  utl_testing::setCommandLine("job", "plate");  // set again: the later value holds
  const utl_CommandLine* line = thr_GlobalSingleton<utl_CommandLine>::Instance();
  EXPECT_EQ(line, thr_GlobalSingleton<utl_CommandLine>::Instance());
  EXPECT_EQ(str(line->ConstGetValue("tmpdir")), "/scratch");
  EXPECT_EQ(str(line->ConstGetValue("job")), "plate");
  EXPECT_STREQ(line->ConstGetValue("indir").CStr(), "");
  EXPECT_STREQ(line->ConstGetValue("JOB").CStr(), "");
}

TEST_F(UtlCommandLine, UpperCaseFormFillsABlankPaddedField) {
  utl_testing::setCommandLine("pacfile", "old.pac");
  char field[12];
  Int status = -1;
  UTL_COMMANDLINESTRING("pacfile", 7, field, 12, &status);
  EXPECT_EQ(std::string(field, 12), "old.pac     ");
  EXPECT_EQ(status, 0);

  UTL_COMMANDLINESTRING("pacfile   ", 10, field, 12, &status);  // the key's blanks do not count
  EXPECT_EQ(status, 0);

  UTL_COMMANDLINESTRING("kvxfile", 7, field, 12, &status);
  EXPECT_EQ(std::string(field, 12), std::string(12, ' '));
  EXPECT_EQ(status, 1);

  utl_testing::setCommandLine("kvxfile", "a-name-too-long.kvx");
  UTL_COMMANDLINESTRING("kvxfile", 7, field, 12, &status);
  EXPECT_EQ(std::string(field, 12), "a-name-too-l");
  EXPECT_EQ(status, 2);
}

TEST(CowString, CopiesShareTheTextUntilOneIsWritten) {
  const cow_String original("WarnElem");
  cow_String copy = original;
  EXPECT_EQ(copy.CStr(), original.CStr());

  copy.Append("Distorted", 9);
  EXPECT_NE(copy.CStr(), original.CStr());
  EXPECT_EQ(str(original), "WarnElem");
  EXPECT_EQ(str(copy), "WarnElemDistorted");

  cow_String other = original;
  other.SetAt(0, 'w');
  EXPECT_EQ(str(other), "warnElem");
  EXPECT_EQ(str(original), "WarnElem");

  cow_String assigned;
  assigned = original;
  EXPECT_EQ(assigned.CStr(), original.CStr());
  assigned = assigned;  // self-assignment keeps the text
  EXPECT_EQ(str(assigned), "WarnElem");
  cow_String moved = std::move(assigned);
  EXPECT_EQ(moved.CStr(), original.CStr());
}

TEST(CowString, EmptyAndDefaultStringsReadAsEmptyText) {
  const cow_String none;
  EXPECT_STREQ(none.CStr(), "");
  EXPECT_EQ(none.Length(), 0u);
  EXPECT_STREQ(cow_String("").CStr(), "");
  EXPECT_STREQ(cow_String(static_cast<const char*>(nullptr)).CStr(), "");
  EXPECT_EQ(str(none + none), "");
}

TEST(CowString, IntegersAreWrittenInDecimal) {
  for (int value : {0, 7, -1, 14, -2147, INT_MAX, INT_MIN}) EXPECT_EQ(str(cow_String(value)), std::to_string(value));
}

TEST(CowString, ConcatenationAndAppendMatchStdString) {
  const cow_String name = cow_String("WarnElemHyperFoam") + "Step" + cow_String(2) + "Inc" + cow_String(14);
  EXPECT_EQ(str(name), "WarnElemHyperFoamStep2Inc14");
  EXPECT_EQ(name.Length(), 27u);

  cow_String padded = name;
  padded.Append(80 - padded.Length(), ' ');
  EXPECT_EQ(str(padded), std::string("WarnElemHyperFoamStep2Inc14") + std::string(53, ' '));
  EXPECT_EQ(str(name), "WarnElemHyperFoamStep2Inc14");

  // Growth over many appends, including runs out of the string's own text.
  cow_String grown("ab");
  std::string oracle = "ab";
  for (int k = 0; k < 12; ++k) {
    grown.Append(grown.CStr(), grown.Length());
    oracle += oracle;
    grown.Append(3, 'x');
    oracle.append(3, 'x');
  }
  EXPECT_EQ(str(grown), oracle);
  EXPECT_EQ(grown.At(1), 'b');
  EXPECT_EQ(grown.At(oracle.size()), '\0');
}

TEST(UtlFilePath, FileJoinsItsDirectoryUnlessItCarriesARoot) {
  EXPECT_EQ(str(utl_FilePath("part.prt", "/in/dir").AbsolutePathName()), "/in/dir/part.prt");
  EXPECT_EQ(str(utl_FilePath("part.prt", "/in/dir/").AbsolutePathName()), "/in/dir/part.prt");
  EXPECT_EQ(str(utl_FilePath("/abs/part.prt", "/in/dir").AbsolutePathName()), "/abs/part.prt");
  const std::string here = std::filesystem::current_path().string();
  EXPECT_EQ(str(utl_FilePath("part.prt", "").AbsolutePathName()), here + "/part.prt");
  EXPECT_EQ(str(utl_FilePath("part.prt", "sub").AbsolutePathName()), here + "/sub/part.prt");
}

TEST(UtlFilePath, DirectoryKeepsItsCharactersUpToTheLastSeparator) {
  EXPECT_EQ(str(utl_FilePath("C:file.inp", "").DirectoryPath()), "C:");
  EXPECT_EQ(str(utl_FilePath("C:\\jobs\\file.inp", "").DirectoryPath()), "C:\\jobs\\");
  EXPECT_EQ(str(utl_FilePath("\\\\server\\share\\f", "").DirectoryPath()), "\\\\server\\share\\");
  EXPECT_EQ(str(utl_FilePath("a/b\\c", "").DirectoryPath()), "a/b\\");
  EXPECT_EQ(str(utl_FilePath("file.inp", "").DirectoryPath()), "");
}

TEST(BcuFtoCString, DropsTrailingBlanksOnly) {
  EXPECT_EQ(str(bcu_FtoCString(10, "SUB1      ")), "SUB1");
  EXPECT_EQ(str(bcu_FtoCString(6, " a b  ")), " a b");
  EXPECT_EQ(str(bcu_FtoCString(4, "    ")), "");
  EXPECT_EQ(str(bcu_FtoCString(3, "abcdef")), "abc");  // never reads past the length
}

}  // namespace
