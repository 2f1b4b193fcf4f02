#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/temp_package.h"
#include "install/install_app.h"

namespace {

using namespace std::string_literals;

struct Expected {
  std::string name, type, path;
};

struct AppCase {
  const char* name;
  std::string bytes;
  std::vector<Expected> records;
};

class InstallApp : public ::testing::TestWithParam<AppCase> {};

TEST_P(InstallApp, ReadsCompleteRecords) {
  testing_support::TempPackage package;
  package.WriteFile("C:\\VEM\\SM_R\\INSTALL.APP", GetParam().bytes);
  nsBase::VBases bases;
  // Opened under the name the program uses, in another letter case.
  ASSERT_TRUE(ReadInstallApp("C:\\VEM\\SM_R\\INSTALL.app", bases));
  ASSERT_EQ(bases.size(), GetParam().records.size());
  for (std::size_t n = 0; n < bases.size(); ++n) {
    SCOPED_TRACE("record " + std::to_string(n));
    EXPECT_EQ(bases[n].Name, GetParam().records[n].name);
    EXPECT_EQ(bases[n].Type, GetParam().records[n].type);
    EXPECT_EQ(bases[n].Path, GetParam().records[n].path);
  }
}

const std::string k300(300, 'L');
const std::string k254(254, 'L');
const std::string k255(255, 'L');

INSTANTIATE_TEST_SUITE_P(
    Files, InstallApp,
    ::testing::Values(
        AppCase{"NineLinesTwoRecords",
                "1\nBase A\nG\nC:\\NB\\A\\\n2\nBase B\nM\nC:\\NB\\B\\\n3\n",
                {{"Base A", "G", "C:\\NB\\A\\"}, {"Base B", "M", "C:\\NB\\B\\"}}},
        AppCase{"FourLinesWithoutFinalLineEnd", "x\nName\n4\nC:\\NB\\N\\",
                {{"Name", "4", "C:\\NB\\N\\"}}},
        AppCase{"FinalLineEndStartsNoRecord", "x\nName\n4\nC:\\NB\\N\\\n",
                {{"Name", "4", "C:\\NB\\N\\"}}},
        AppCase{"LongLineInSecondRecord",
                "1\nA\nG\nC:\\A\\\n2\n" + k300 + "\nG\nC:\\B\\\n3\nC\nG\nC:\\C\\\n",
                {{"A", "G", "C:\\A\\"}}},
        AppCase{"LongSkippedLineEndsReading", k300 + "\nA\nG\nC:\\A\\\n", {}},
        AppCase{"LongestLineAccepted", "1\n" + k254 + "\nG\nC:\\A\\\n", {{k254, "G", "C:\\A\\"}}},
        AppCase{"LineOneTooLong", "1\n" + k255 + "\nG\nC:\\A\\\n", {}},
        AppCase{"LongLastLineWithoutLineEnd", "1\nA\nG\n" + k255, {}},
        AppCase{"BlanksAndTabsTrimmed", " 1 \n \t Base A\t \n\tG \n  C:\\NB\\A\\  \t\n",
                {{"Base A", "G", "C:\\NB\\A\\"}}},
        AppCase{"CrLfLineEnds", "1\r\nBase A\r\nG\r\nC:\\A\\\r\n", {{"Base A", "G", "C:\\A\\"}}},
        AppCase{"CrOnlyLineEndsAreOneLine", "1\rA\rG\rC:\\A\\\r", {}},
        AppCase{"EmptyLinesGiveEmptyTexts", "\n\n\n\n", {{"", "", ""}}},
        AppCase{"ShortLastRecordDropped", "1\nA\nG\nC:\\A\\\n2\nB\n", {{"A", "G", "C:\\A\\"}}},
        AppCase{"OemBytesKept", "1\n\x81\xA0\xA7\xA0\nG\nC:\\\x8D\x81\\\n",
                {{"\x81\xA0\xA7\xA0", "G", "C:\\\x8D\x81\\"}}},
        AppCase{"NulEndsTheText", "1\nAB\0CD\nG\0\nC:\\A\\\n"s, {{"AB", "G", "C:\\A\\"}}},
        AppCase{"NulLine", "\0\n\0\n\0\n\0"s, {{"", "", ""}}},
        AppCase{"ControlBytesTrimmed", "1\n\x01\x1F Name\x7F\x02\nG\nC:\\A\\\n",
                {{"Name\x7F", "G", "C:\\A\\"}}},
        AppCase{"EmptyFile", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InstallAppFile, MissingFileIsFalseAndListUntouched) {
  testing_support::TempPackage package;
  nsBase::VBases bases{{"kept", "G", "C:\\K\\"}};
  EXPECT_FALSE(ReadInstallApp("C:\\VEM\\SM_R\\INSTALL.app", bases));
  EXPECT_FALSE(ReadInstallApp("\\\\server\\share\\INSTALL.APP", bases));
  ASSERT_EQ(bases.size(), 1u);
  EXPECT_EQ(bases[0].Name, "kept");
}

TEST(InstallAppFile, RecordsAreAppended) {
  nsBase::VBases bases{{"first", "G", "C:\\F\\"}};
  ParseInstallApp("1\nsecond\nM\nC:\\S\\\n", bases);
  ASSERT_EQ(bases.size(), 2u);
  EXPECT_EQ(bases[1].Name, "second");
}

}  // namespace
