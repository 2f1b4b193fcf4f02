#include <gtest/gtest.h>

#include <string>

#include "common/recording_ui.h"
#include "common/temp_package.h"
#include "nbini/nbini_format.h"
#include "nbini/utility_class.h"
#include "support/text.h"

namespace {

struct TypeNameCase {
  const char* name;
  char code;
  const char* expected;
};

class BaseTypeName : public ::testing::TestWithParam<TypeNameCase> {};

TEST_P(BaseTypeName, Lookup) {
  EXPECT_EQ(SingleUtility::Instance().GetBaseTypeName(GetParam().code), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, BaseTypeName,
    ::testing::Values(TypeNameCase{"G", 'G', "ГЭСН-2001, ФЕР-2001, ТЕР-2001"},
                      TypeNameCase{"Four", '4', "ЕРЕР 1984 г."},
                      TypeNameCase{"OneUpperCaseI", '1', "СНИР 1991 г."},
                      TypeNameCase{"M", 'M', "МТСН 81-98"},
                      TypeNameCase{"NoType", 'x', "Не найден"},
                      TypeNameCase{"Blank", ' ', "Не найден"},
                      TypeNameCase{"LowerG", 'g', "Не найден"},
                      TypeNameCase{"Nul", '\0', "Не найден"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NbIniFormat, DialogNamesAndRegionList) {
  EXPECT_STREQ(nbini::kBaseTypes[2].dialogName, "СНиР 1991 г.");
  const auto regions = nbini::RegionListEntries();
  ASSERT_EQ(regions.size(), 90u);
  EXPECT_EQ(regions.front(), "[не указан]");
  EXPECT_EQ(regions[1], "01  Республика Адыгея");
  EXPECT_EQ(regions[77], "77  г. Москва");
  EXPECT_EQ(regions.back(), "89  Ямало-Ненецкий автономный округ");
}

// An NB.INI below C:\NB\<folder>\ in a temporary package; CP1251 bytes.
class NbIniTest : public ::testing::Test {
 protected:
  void Write(const std::string& folder, const std::string& fileName, const std::string& utf8) {
    package_.WriteFile("C:\\NB\\" + folder + "\\" + fileName, text::Utf8ToCp1251(utf8));
  }
  testing_support::TempPackage package_;
  testing_support::RecordingUi ui_;
};

struct DateCase {
  const char* name;
  std::string file;  // empty: no NB.INI
  std::string dir;
  std::string expected;
};

class NbIniDate : public NbIniTest, public ::testing::WithParamInterface<DateCase> {};

TEST_P(NbIniDate, Reads) {
  if (!GetParam().file.empty()) Write("BASE", "nb.ini", GetParam().file);
  EXPECT_EQ(SingleUtility::Instance().GetNbIniDate(GetParam().dir), GetParam().expected);
  EXPECT_TRUE(ui_.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Dates, NbIniDate,
    ::testing::Values(
        DateCase{"TwoDigitDayAndMonth", "[Version]\nDate=05.04.2010 14:37\n", "C:\\NB\\BASE\\",
                 "20100405"},
        DateCase{"OneDigitNotPadded", "[Version]\nDate=5.4.2010 14:37\n", "C:\\NB\\BASE\\",
                 "201045"},
        DateCase{"NoTime", "[Version]\nDate=05.04.2010\n", "C:\\NB\\BASE\\", "00000000"},
        DateCase{"FullStopFirst", "[Version]\nDate=.04.2010 14:37\n", "C:\\NB\\BASE\\",
                 "00000000"},
        DateCase{"NoDigitsChecked", "[Version]\nDate=aa.bb.cccc x\n", "C:\\NB\\BASE\\",
                 "ccccbbaa"},
        DateCase{"SectionCaseIgnored", "[VERSION]\ndate=31.12.1999 0:00\n", "C:\\NB\\BASE\\",
                 "19991231"},
        DateCase{"EmptyDate", "[Version]\nDate=\n", "C:\\NB\\BASE\\", ""},
        DateCase{"NoDateKey", "[Version]\nName=x\n", "C:\\NB\\BASE\\", ""},
        DateCase{"NoFile", "", "C:\\NB\\BASE\\", ""},
        DateCase{"DirWithoutSeparator", "[Version]\nDate=05.04.2010 14:37\n", "C:\\NB\\BASE",
                 ""},
        DateCase{"DirNameCaseIgnored", "[Version]\nDate=05.04.2010 14:37\n", "c:\\nb\\base\\",
                 "20100405"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NbIniTest, UpperCaseFileNameIsFoundToo) {
  Write("BASE", "NB.INI", "[Version]\nDate=01.02.2003 4:05\n");
  EXPECT_EQ(SingleUtility::Instance().GetNbIniDate("C:\\NB\\BASE\\"), "20030201");
}

struct DetectCase {
  const char* name;
  std::string file;
  char expected;
};

class DetectType : public NbIniTest, public ::testing::WithParamInterface<DetectCase> {};

TEST_P(DetectType, Detects) {
  Write("BASE", "NB.INI", GetParam().file);
  EXPECT_EQ(SingleUtility::Instance().DetectBaseType("C:\\NB\\BASE\\"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DetectType,
    ::testing::Values(
        DetectCase{"TypeNBLowerM", "[Version]\nTypeNB=m\n", 'M'},
        DetectCase{"TypeNBG", "[Version]\nTypeNB=GESN\n[Crypter]\nTypeBase=3\n", 'G'},
        DetectCase{"TypeNBOtherNameDecides", "[Version]\nTypeNB=4\nName=ГЭСН-2001\n", 'G'},
        DetectCase{"TypeNBCyrillicEmIsNoCode", "[Version]\nTypeNB=м\nName=ГЭСН\n", 'G'},
        DetectCase{"EmptyTypeNBIgnoresTypeBase", "[Version]\nTypeNB=\n[Crypter]\nTypeBase=1\n",
                   'G'},
        DetectCase{"TypeBaseOne", "[Crypter]\nTypeBase=1\n", '4'},
        DetectCase{"TypeBaseSeven", "[Crypter]\nTypeBase=7\n", 'G'},
        DetectCase{"TypeBaseLowByte", "[Crypter]\nTypeBase=257\n", '4'},
        DetectCase{"TypeBaseThree", "[Crypter]\nTypeBase=3\n", 'M'},
        DetectCase{"TypeBaseFour", "[Crypter]\nTypeBase=4\n", 'M'},
        DetectCase{"TypeBaseSix", "[Crypter]\nTypeBase=6\n", 'G'},
        DetectCase{"TypeBaseNotANumber", "[Crypter]\nTypeBase=x\n[Version]\nName=МТСН\n", 'M'},
        DetectCase{"GesnSearchedBeforeTsn", "[Version]\nName=МТСН ТЕР\n", 'G'},
        DetectCase{"MtsnAlone", "[Version]\nName=МТСН 81-98\n", 'M'},
        DetectCase{"OtherName", "[Version]\nName=База\n", 'G'},
        DetectCase{"NameIsCaseSensitive", "[Version]\nName=мтсн\n", 'G'},
        DetectCase{"EmptyFile", "", 'G'}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NbIniTest, DetectWithoutFileGivesG) {
  EXPECT_EQ(SingleUtility::Instance().DetectBaseType("C:\\NB\\MISSING\\"), 'G');
  EXPECT_TRUE(ui_.messages.empty());
}

struct IdentCase {
  const char* name;
  std::string path;
  std::string folder;
  std::string ident;
};

class Identifier : public ::testing::TestWithParam<IdentCase> {};

TEST_P(Identifier, FolderAndIdent) {
  UtilityClass& u = SingleUtility::Instance();
  EXPECT_EQ(u.GetFolderName(GetParam().path), GetParam().folder);
  EXPECT_EQ(u.GetBaseIdent(GetParam().path), GetParam().ident);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Identifier,
    ::testing::Values(
        IdentCase{"LongName", "C:\\NB\\GESN2001\\", "GESN2001", "N2001"},
        IdentCase{"NoTrailingSeparator", "C:\\NB\\GESN2001", "GESN2001", "N2001"},
        IdentCase{"FiveCharacters", "C:\\NB\\ABCDE\\", "ABCDE", "ABCDE"},
        IdentCase{"FourCharacters", "C:\\NB\\ABCD\\", "ABCD", "ABCD"},
        IdentCase{"Short", "C:\\NB\\AB\\", "AB", "AB"},
        IdentCase{"UnderscoreLast", "C:\\NB\\NB_\\", "NB_", ""},
        IdentCase{"FirstUnderscoreCounts", "C:\\NB\\X_Y_Z\\", "X_Y_Z", "Y_Z"},
        IdentCase{"LongAfterUnderscore", "C:\\NB\\TER_MOSCOW\\", "TER_MOSCOW", "MOSCOW"},
        IdentCase{"DriveRoot", "C:\\", "C:", "C:"},
        IdentCase{"TwoTrailingSeparators", "C:\\NB\\\\", "", ""},
        IdentCase{"Empty", "", "", ""},
        IdentCase{"NoSeparator", "GESN", "GESN", "GESN"},
        IdentCase{"CyrillicCountedInCharacters", "C:\\NB\\ГЭСН2001\\", "ГЭСН2001", "Н2001"},
        IdentCase{"CyrillicShort", "C:\\NB\\ФЕР\\", "ФЕР", "ФЕР"},
        IdentCase{"CyrillicAfterUnderscore", "C:\\NB\\НБ_Москва\\", "НБ_Москва", "Москва"},
        IdentCase{"CaseKept", "C:\\NB\\gesn2001\\", "gesn2001", "n2001"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IdentifierWidth, FourWideColumnCutsTheFiveCharacterIdent) {
  const std::string ident = SingleUtility::Instance().GetBaseIdent("C:\\NB\\GESN2001\\");
  EXPECT_EQ(text::Utf8Substr(ident, 0, 4), "N200");
}

}  // namespace
