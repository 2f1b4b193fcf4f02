#include <gtest/gtest.h>

#include <string>

#include "common/recording_ui.h"
#include "common/temp_package.h"
#include "support/wini_file.h"

namespace {

using namespace std::string_literals;

constexpr char kIni[] = "C:\\BASE\\NB.INI";

// The four destinations with recognisable defaults.
struct Destinations {
  std::string s = "default";
  double f = 2.5;
  int i = 7;
  bool b = true;
};

struct ReadCase {
  const char* name;
  std::string file;  // bytes of the INI file
  std::string section;
  std::string key;
  int kind;
  bool found;
  Destinations expected;  // destinations after the read
};

Destinations With(std::string s) {
  Destinations d;
  d.s = std::move(s);
  return d;
}
Destinations WithInt(int i) {
  Destinations d;
  d.i = i;
  return d;
}
Destinations WithFloat(double f) {
  Destinations d;
  d.f = f;
  return d;
}
Destinations WithBool(bool b) {
  Destinations d;
  d.b = b;
  return d;
}

class IniRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, ReadsAsTheWindowsProfileReaderDoes) {
  const ReadCase& c = GetParam();
  testing_support::TempPackage package;
  package.WriteFile(kIni, c.file);
  Destinations d;
  WIniFile ini;
  EXPECT_EQ(ini.ReadValue(kIni, c.section, c.key, c.kind, d.s, d.f, d.i, d.b, false), c.found);
  EXPECT_EQ(d.s, c.expected.s);
  EXPECT_EQ(d.f, c.expected.f);
  EXPECT_EQ(d.i, c.expected.i);
  EXPECT_EQ(d.b, c.expected.b);
}

const std::string kNbIni =
    "[Version]\r\n"
    "Name=\xC3\xDD\xD1\xCD-2001\r\n"  // ГЭСН-2001 in CP1251
    "Date = 05.04.2010 14:37 \r\n"
    "Empty=\r\n"
    "TypeBase=abc\r\n"
    "Number=  -12 \r\n"
    "Quoted=\"  inner  \"\r\n"
    "; Comment=1\r\n"
    "[Crypter]\r\n"
    "TypeBase=5\r\n"
    "Big=99999999999\r\n"
    "Float=3,75\r\n"
    "Flag=0\r\n";

INSTANTIATE_TEST_SUITE_P(
    Values, IniRead,
    ::testing::Values(
        ReadCase{"TextConvertedFromCp1251", kNbIni, "Version", "Name", 0, true, With("ГЭСН-2001")},
        ReadCase{"BlanksAroundValueRemoved", kNbIni, "Version", "Date", 0, true,
                 With("05.04.2010 14:37")},
        ReadCase{"EmptyValueIsText", kNbIni, "Version", "Empty", 0, true, With("")},
        ReadCase{"NotANumberKeepsDefault", kNbIni, "Version", "TypeBase", 2, true, Destinations{}},
        ReadCase{"SignedInteger", kNbIni, "Version", "Number", 2, true, WithInt(-12)},
        ReadCase{"IntegerFromOtherSection", kNbIni, "Crypter", "TypeBase", 2, true, WithInt(5)},
        ReadCase{"IntegerOverflowKeepsDefault", kNbIni, "Crypter", "Big", 2, true, Destinations{}},
        ReadCase{"FloatWithComma", kNbIni, "Crypter", "Float", 1, true, WithFloat(3.75)},
        ReadCase{"FloatOfText", kNbIni, "Version", "Name", 1, true, Destinations{}},
        ReadCase{"BoolFromZero", kNbIni, "Crypter", "Flag", 3, true, WithBool(false)},
        ReadCase{"BoolOfTextKeepsDefault", kNbIni, "Version", "Name", 3, true, Destinations{}},
        ReadCase{"QuotesRemoved", kNbIni, "Version", "Quoted", 0, true, With("  inner  ")},
        ReadCase{"SectionCaseIgnored", kNbIni, "VERSION", "name", 0, true, With("ГЭСН-2001")},
        ReadCase{"KindOutOfRangeReadsNothing", kNbIni, "Version", "Name", 9, true, Destinations{}},
        ReadCase{"MissingKey", kNbIni, "Version", "RegionName", 0, false, Destinations{}},
        ReadCase{"CommentIsNoKey", kNbIni, "Version", "; Comment", 0, false, Destinations{}},
        ReadCase{"KeyOfOtherSection", kNbIni, "Crypter", "Name", 0, false, Destinations{}},
        ReadCase{"MissingSection", kNbIni, "Calculation", "C4", 2, false, Destinations{}},
        ReadCase{"NoSectionsAtAll", "Name=x\nDate=y\n", "Version", "Name", 0, false,
                 Destinations{}},
        ReadCase{"FirstSectionOfDuplicatesWins", "[V]\nA=1\n[v]\nA=2\nB=3\n", "V", "A", 2, true,
                 WithInt(1)},
        ReadCase{"LaterDuplicateSectionIgnored", "[V]\nA=1\n[V]\nB=3\n", "V", "B", 2, false,
                 Destinations{}},
        ReadCase{"FirstKeyOfDuplicatesWins", "[V]\nA=1\nA=2\n", "V", "A", 2, true, WithInt(1)},
        ReadCase{"Utf8ByteOrderMark", "\xEF\xBB\xBF[Версия]\nИмя=Москва\n", "ВЕРСИЯ", "имя", 0,
                 true, With("Москва")},
        ReadCase{"CyrillicNamesInCp1251", "[\xC2\xE5\xF0\xF1\xE8\xFF]\nk=v\n", "ВЕРСИЯ", "K", 0,
                 true, With("v")},
        ReadCase{"CrOnlyLineEnds", "[V]\rA=1\rB=2", "V", "B", 2, true, WithInt(2)},
        ReadCase{"NoFinalLineEnd", "[V]\nA=last", "V", "A", 0, true, With("last")},
        ReadCase{"BlanksAroundNames", "  [ V ]  \n\t A \t= x\n", "V", "A", 0, true, With("x")},
        ReadCase{"ValueEndsAtNul", "[V]\nA=ab\0cd\nB=2\n"s, "V", "B", 2, true,
                 WithInt(2)},
        ReadCase{"NulInValue", "[V]\nA=ab\0cd\n"s, "V", "A", 0, true, With("ab")},
        ReadCase{"UnclosedSectionHeader", "[V\nA=1\n", "V", "A", 2, true, WithInt(1)},
        ReadCase{"EmptyFile", "", "V", "A", 0, false, Destinations{}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WIniFileTest, MissingFileLeavesEveryDestination) {
  testing_support::TempPackage package;
  testing_support::RecordingUi ui;
  Destinations d;
  WIniFile ini;
  EXPECT_FALSE(ini.ReadValue("C:\\NOWHERE\\NB.INI", "Version", "Name", 0, d.s, d.f, d.i, d.b,
                             true));
  EXPECT_FALSE(ini.ReadValue("Q:\\UNMAPPED\\NB.INI", "Version", "Name", 2, d.s, d.f, d.i, d.b,
                             true));
  EXPECT_EQ(d.s, "default");
  EXPECT_EQ(d.f, 2.5);
  EXPECT_EQ(d.i, 7);
  EXPECT_TRUE(d.b);
  EXPECT_TRUE(ui.messages.empty());  // a missing file is no error, even with report on
}

TEST(WIniFileTest, FileNameCaseAndFreshReadEachCall) {
  testing_support::TempPackage package;
  package.WriteFile("C:\\BASE\\NB.INI", "[Version]\nName=one\n");
  WIniFile ini;
  std::string s;
  ASSERT_TRUE(ini.ReadValue("C:\\base\\nb.ini", "Version", "Name", 0, s, ini.spareFloat,
                            ini.spareInt, ini.spareBool, false));
  EXPECT_EQ(s, "one");
  package.WriteFile("C:\\BASE\\NB.INI", "[Version]\nName=two\n");
  ASSERT_TRUE(ini.ReadValue("C:\\BASE\\NB.INI", "Version", "Name", 0, s, ini.spareFloat,
                            ini.spareInt, ini.spareBool, false));
  EXPECT_EQ(s, "two");
}

TEST(WIniFileTest, HostileFilesAreSurvived) {
  testing_support::TempPackage package;
  std::string garbage;
  for (int n = 0; n < 70000; ++n) garbage += static_cast<char>((n * 7919) & 0xFF);
  const std::string bigValue(40 * 1024, '\xE9');  // 40 kB of CP1251 'й'
  std::string big = "[V]\nA=" + bigValue + "\nB=1";
  WIniFile ini;
  Destinations d;

  package.WriteFile(kIni, garbage);
  ini.ReadValue(kIni, "V", "A", 0, d.s, d.f, d.i, d.b, false);  // any result, no crash

  package.WriteFile(kIni, big);
  ASSERT_TRUE(ini.ReadValue(kIni, "V", "A", 0, d.s, d.f, d.i, d.b, false));
  EXPECT_EQ(d.s.size(), bigValue.size() * 2);  // nothing cut, each letter two UTF-8 bytes
  ASSERT_TRUE(ini.ReadValue(kIni, "V", "B", 2, d.s, d.f, d.i, d.b, false));
  EXPECT_EQ(d.i, 1);

  for (const std::string& bytes : {std::string("["), std::string("="), std::string("[]\n=\n"),
                                   "\0\0\0"s, std::string("\xEF\xBB"),
                                   std::string("\xEF\xBB\xBF[V]\nA=\xFF\xFE\n")}) {
    package.WriteFile(kIni, bytes);
    ini.ReadValue(kIni, "V", "A", 0, d.s, d.f, d.i, d.b, false);
  }
  EXPECT_EQ(d.s, "??");  // invalid bytes of a UTF-8 file
}

TEST(WIniFileTest, ParseIntegerBounds) {
  EXPECT_EQ(WIniFile::ParseInteger("2147483647"), 2147483647);
  EXPECT_EQ(WIniFile::ParseInteger("-2147483648"), -2147483647 - 1);
  EXPECT_FALSE(WIniFile::ParseInteger("2147483648"));
  EXPECT_FALSE(WIniFile::ParseInteger("+"));
  EXPECT_FALSE(WIniFile::ParseInteger("1 2"));
  EXPECT_FALSE(WIniFile::ParseInteger("0x10"));
  EXPECT_FALSE(WIniFile::ParseFloat("inf"));
  EXPECT_FALSE(WIniFile::ParseFloat("nan"));
  EXPECT_EQ(WIniFile::ParseFloat("-0.5"), -0.5);
}

}  // namespace
