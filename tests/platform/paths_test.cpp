// Drive map, Windows <-> host path mapping and the text helpers.
#include "platform/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "common/temp_package.h"
#include "env_guard.h"

namespace {
namespace fs = std::filesystem;
using platform::DriveMap;
using testing_support::TempPackage;

void Touch(const fs::path& p) {
  fs::create_directories(p.parent_path());
  std::ofstream(p) << "x";
}

// ----------------------------------------------------------- drive map

TEST(DriveMapTest, ReadsDriveLinksOfDosdevicesAndIgnoresTheRest) {
  TempPackage pkg;
  const fs::path prefix = pkg.root() / "prefix";
  const fs::path dev = prefix / "dosdevices";
  fs::create_directories(dev);
  fs::create_directories(prefix / "drive_c");
  fs::create_symlink("../drive_c", dev / "c:");         // relative, as Wine writes it
  fs::create_symlink("/", dev / "z:");                  // absolute
  fs::create_symlink(pkg.root() / "gone", dev / "g:");  // dangling still names a drive
  fs::create_symlink(pkg.root() / "upper", dev / "E:");
  fs::create_symlink(pkg.root() / "lower", dev / "f:");
  fs::create_symlink(pkg.root() / "upper_f", dev / "F:");  // the lower-case twin wins
  fs::create_symlink("/dev/null", dev / "c::");         // raw device entry
  fs::create_symlink("/dev/ttyS0", dev / "com1");
  fs::create_directories(dev / "d:");                   // not a link

  DriveMap map = DriveMap::FromDosdevices(dev);
  std::map<char, fs::path> expected = {
      {'C', prefix / "drive_c"}, {'E', pkg.root() / "upper"}, {'F', pkg.root() / "lower"},
      {'G', pkg.root() / "gone"}, {'Z', "/"}};
  EXPECT_EQ(map.Drives(), expected);
  EXPECT_EQ(map.Root('c'), prefix / "drive_c");
  EXPECT_FALSE(map.Root('D'));
}

TEST(DriveMapTest, MissingFolderGivesEmptyMap) {
  EXPECT_TRUE(DriveMap::FromDosdevices("/nonexistent/dosdevices").Drives().empty());
}

TEST(DriveMapTest, SetNormalisesLetterAndRoot) {
  DriveMap map;
  map.Set('d', "/srv//data/./x/");
  map.Set('1', "/ignored");
  EXPECT_EQ(map.Root('D'), fs::path("/srv/data/x"));
  EXPECT_EQ(map.Drives().size(), 1u);
}

struct EnvCase {
  const char* name;
  bool prefixLinks;   // $WINEPREFIX/dosdevices has c:
  bool setPrefix;     // $WINEPREFIX is set at all
  bool homeLinks;     // ~/.wine/dosdevices has d:
  char expectLetter;  // the one drive expected
};

class DriveMapEnvironmentTest : public ::testing::TestWithParam<EnvCase> {};

TEST_P(DriveMapEnvironmentTest, PicksPrefixThenHomeThenZ) {
  const EnvCase& c = GetParam();
  TempPackage pkg;
  platform_test::EnvGuard env;
  const fs::path prefix = pkg.root() / "prefix";
  const fs::path home = pkg.root() / "home";
  fs::create_directories(prefix);
  fs::create_directories(home);
  if (c.prefixLinks) {
    fs::create_directories(prefix / "dosdevices");
    fs::create_symlink(pkg.root(), prefix / "dosdevices" / "c:");
  }
  if (c.homeLinks) {
    fs::create_directories(home / ".wine" / "dosdevices");
    fs::create_symlink(pkg.root(), home / ".wine" / "dosdevices" / "d:");
  }
  if (c.setPrefix) {
    env.Set("WINEPREFIX", prefix.native());
  } else {
    env.Unset("WINEPREFIX");
  }
  env.Set("HOME", home.native());

  DriveMap map = DriveMap::FromEnvironment();
  ASSERT_EQ(map.Drives().size(), 1u);
  EXPECT_EQ(map.Drives().begin()->first, c.expectLetter);
  if (c.expectLetter == 'Z') {
    EXPECT_EQ(map.Root('Z'), fs::path("/"));
  } else {
    EXPECT_EQ(map.Drives().begin()->second, pkg.root());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sources, DriveMapEnvironmentTest,
    ::testing::Values(EnvCase{"PrefixWins", true, true, true, 'C'},
                      EnvCase{"NoPrefixUsesHome", false, false, true, 'D'},
                      EnvCase{"PrefixWithoutDosdevicesUsesHome", false, true, true, 'D'},
                      EnvCase{"NeitherGivesZ", false, true, false, 'Z'},
                      EnvCase{"NothingSetGivesZ", false, false, false, 'Z'}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DriveMapTest, SetDriveMapReplacesTheCurrentMap) {
  DriveMap before = platform::CurrentDriveMap();
  DriveMap map;
  map.Set('Q', "/q");
  platform::SetDriveMap(map);
  EXPECT_EQ(platform::CurrentDriveMap().Root('Q'), fs::path("/q"));
  platform::SetDriveMap(before);
}

// --------------------------------------------------------------- ToHost

struct ToHostCase {
  const char* name;
  std::string win;
  std::optional<std::string> host;  // relative to drive C:'s root; nullopt: none
};

class ToHostTest : public ::testing::TestWithParam<ToHostCase> {
 protected:
  void SetUp() override {
    c_ = pkg_.Drive('C');
    Touch(c_ / "VEM" / "SM_R" / "INSTALL.APP");
    Touch(c_ / "VEM" / "BASES" / "ОСНОВНАЯ Ёлка" / "NB.INI");
    Touch(c_ / "VEM" / "Dup" / "f");
    Touch(c_ / "VEM" / "dup" / "f");
    Touch(c_ / "VEM" / "DUP" / "f");
    Touch(c_ / "VEM" / "Exact" / "f");
    Touch(c_ / "VEM" / "EXACT" / "f");
  }
  TempPackage pkg_;
  fs::path c_;
};

TEST_P(ToHostTest, Maps) {
  const ToHostCase& c = GetParam();
  auto host = platform::ToHost(c.win);
  if (!c.host) {
    EXPECT_FALSE(host) << *host;
    return;
  }
  ASSERT_TRUE(host);
  EXPECT_EQ(host->native(), c.host->empty() ? c_.native() : (c_ / *c.host).native());
}

const std::string kNul("C:\\VEM\0\\SM_R", 12);

INSTANTIATE_TEST_SUITE_P(
    Cases, ToHostTest,
    ::testing::Values(
        ToHostCase{"ExactName", "C:\\VEM\\SM_R\\INSTALL.APP", "VEM/SM_R/INSTALL.APP"},
        ToHostCase{"ExtensionInOtherCase", "C:\\VEM\\SM_R\\INSTALL.app", "VEM/SM_R/INSTALL.APP"},
        ToHostCase{"AllLowerCaseAndDrive", "c:\\vem\\sm_r\\install.app", "VEM/SM_R/INSTALL.APP"},
        ToHostCase{"CyrillicFolded", "C:\\VEM\\bases\\основная ёЛКА\\nb.ini",
                   "VEM/BASES/ОСНОВНАЯ Ёлка/NB.INI"},
        ToHostCase{"ForwardSlashes", "C:/VEM/SM_R/INSTALL.APP", "VEM/SM_R/INSTALL.APP"},
        ToHostCase{"DoubledSeparators", "C:\\\\VEM\\\\/SM_R\\\\INSTALL.APP", "VEM/SM_R/INSTALL.APP"},
        ToHostCase{"DotAndDotDot", "C:\\VEM\\.\\SM_R\\..\\SM_R\\.\\INSTALL.APP",
                   "VEM/SM_R/INSTALL.APP"},
        ToHostCase{"DotDotStopsAtDriveRoot", "C:\\..\\..\\VEM\\..\\..\\VEM", "VEM"},
        ToHostCase{"DriveRoot", "C:\\", ""},
        ToHostCase{"DriveRootForwardSlash", "C:/", ""},
        ToHostCase{"TrailingSeparatorDropped", "C:\\VEM\\SM_R\\", "VEM/SM_R"},
        ToHostCase{"MissingKeepsSpelling", "C:\\vem\\New\\File.Txt", "VEM/New/File.Txt"},
        ToHostCase{"TrailingDotsAndBlanksKept", "C:\\VEM. \\x.", "VEM. /x."},
        ToHostCase{"ExactPreferred", "C:\\VEM\\Exact\\f", "VEM/Exact/f"},
        ToHostCase{"SeveralCasesPickSmallest", "C:\\VEM\\dUP\\f", "VEM/DUP/f"},
        ToHostCase{"ExactAmongSeveral", "C:\\VEM\\dup\\f", "VEM/dup/f"},
        ToHostCase{"Unc", "\\\\server\\share\\VEM", std::nullopt},
        ToHostCase{"RootedWithoutDrive", "\\VEM\\SM_R", std::nullopt},
        ToHostCase{"Relative", "VEM\\SM_R", std::nullopt},
        ToHostCase{"DriveRelative", "C:VEM", std::nullopt},
        ToHostCase{"LoneDrive", "C:", std::nullopt},
        ToHostCase{"Empty", "", std::nullopt},
        ToHostCase{"UnknownDrive", "Q:\\VEM", std::nullopt},
        ToHostCase{"NotALetter", "1:\\VEM", std::nullopt},
        ToHostCase{"NulInside", kNul, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ToHostHostPathTest, HostPathsPassUnchanged) {
  TempPackage pkg;
  EXPECT_EQ(platform::ToHost("/ETC/Passwd/../x"), fs::path("/ETC/Passwd/../x"));
  EXPECT_EQ(platform::ToHost("//server/share"), fs::path("//server/share"));
}

TEST(ToHostHostileTest, VeryLongInputsResolveWithoutCrashing) {
  TempPackage pkg;
  const fs::path c = pkg.Drive('C');

  std::string deep = "C:";
  for (int i = 0; i < 20000; ++i) deep += "\\abc";
  auto host = platform::ToHost(deep);
  ASSERT_TRUE(host);
  EXPECT_EQ(host->native().size(), c.native().size() + 20000 * 4);

  std::string longName = "C:\\" + std::string(100000, 'N');
  host = platform::ToHost(longName);
  ASSERT_TRUE(host);
  EXPECT_EQ(host->filename().native().size(), 100000u);

  std::string climbing = "C:";
  for (int i = 0; i < 20000; ++i) climbing += "\\..";
  EXPECT_EQ(platform::ToHost(climbing), c);
}

TEST(HasDriveRootTest, NeedsLetterColonSeparator) {
  EXPECT_TRUE(platform::HasDriveRoot("C:\\"));
  EXPECT_TRUE(platform::HasDriveRoot("d:/x"));
  EXPECT_FALSE(platform::HasDriveRoot("C:"));
  EXPECT_FALSE(platform::HasDriveRoot("C:x"));
  EXPECT_FALSE(platform::HasDriveRoot("\\\\s\\x"));
  EXPECT_FALSE(platform::HasDriveRoot("::\\"));
}

// ------------------------------------------------------------ ToWindows

struct ToWindowsCase {
  const char* name;
  std::string host;  // relative to the package folder, or absolute
  std::optional<std::string> win;
};

class NestedDrivesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // C: holds D: nested inside it; Z: covers everything else.
    DriveMap map;
    map.Set('C', pkg_.root() / "drive_c");
    map.Set('D', pkg_.root() / "drive_c" / "VEM" / "data");
    map.Set('Z', "/");
    platform::SetDriveMap(map);
  }
  TempPackage pkg_;  // restores the previous map
};

class ToWindowsTest : public NestedDrivesTest,
                      public ::testing::WithParamInterface<ToWindowsCase> {};

TEST_P(ToWindowsTest, Maps) {
  const ToWindowsCase& c = GetParam();
  fs::path host = c.host.front() == '/' ? fs::path(c.host) : fs::path(pkg_.root().native() + "/" + c.host);
  EXPECT_EQ(platform::ToWindows(host), c.win);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToWindowsTest,
    ::testing::Values(
        ToWindowsCase{"File", "drive_c/VEM/SM_R/INSTAL.DBF", "C:\\VEM\\SM_R\\INSTAL.DBF"},
        ToWindowsCase{"NestedDriveWins", "drive_c/VEM/data/x.dbf", "D:\\x.dbf"},
        ToWindowsCase{"NestedDriveRoot", "drive_c/VEM/data", "D:\\"},
        ToWindowsCase{"NestedDriveRootWithSlash", "drive_c/VEM/data/", "D:\\"},
        ToWindowsCase{"TrailingSeparatorKept", "drive_c/VEM/", "C:\\VEM\\"},
        ToWindowsCase{"DriveRoot", "drive_c", "C:\\"},
        ToWindowsCase{"DotDotNormalised", "drive_c/VEM/data/../x/./y", "C:\\VEM\\x\\y"},
        ToWindowsCase{"DoubledSlashes", "drive_c//VEM///x", "C:\\VEM\\x"},
        ToWindowsCase{"OutsideGoesToZ", "/usr/share", "Z:\\usr\\share"},
        ToWindowsCase{"HostRoot", "/", "Z:\\"}),
    [](const auto& info) { return std::string(info.param.name); });

// "drive_cx" is not below drive_c: only Z: covers it, with the full path.
TEST_F(NestedDrivesTest, SiblingFolderIsNotInsideTheDrive) {
  auto win = platform::ToWindows(pkg_.root() / "drive_cx" / "VEM");
  ASSERT_TRUE(win);
  EXPECT_EQ(win->rfind("Z:\\", 0), 0u);
  EXPECT_NE(win->find("\\drive_cx\\VEM"), std::string::npos);
}

TEST(ToWindowsUncoveredTest, NoDriveGivesNullopt) {
  TempPackage pkg;  // C: only
  EXPECT_FALSE(platform::ToWindows("/usr/share"));
  EXPECT_FALSE(platform::ToWindows(pkg.root() / "drive_cx"));
  EXPECT_FALSE(platform::ToWindows(""));
}

TEST(ToWindowsUncoveredTest, DriveReachedThroughSymlinkedFolder) {
  TempPackage pkg;
  fs::create_symlink(pkg.Drive('C'), pkg.root() / "alias");
  DriveMap map = platform::CurrentDriveMap();
  map.Set('Z', "/");
  platform::SetDriveMap(map);
  EXPECT_EQ(platform::ToWindows(pkg.root() / "alias" / "VEM"), "C:\\VEM");
}

TEST(ToWindowsUncoveredTest, RoundTripsWithToHost) {
  TempPackage pkg;
  Touch(pkg.Drive('C') / "VEM" / "SM_R" / "INSTAL.DBF");
  auto win = platform::ToWindows(pkg.Drive('C') / "VEM" / "SM_R" / "INSTAL.DBF");
  ASSERT_TRUE(win);
  EXPECT_EQ(*win, "C:\\VEM\\SM_R\\INSTAL.DBF");
  EXPECT_EQ(platform::ToHost(*win), pkg.Drive('C') / "VEM" / "SM_R" / "INSTAL.DBF");
}

TEST(UserPathToWindowsTest, HostFormIsMappedOtherFormsStay) {
  TempPackage pkg;
  const std::string c = pkg.Drive('C').native();
  EXPECT_EQ(platform::UserPathToWindows(c + "/VEM/"), "C:\\VEM\\");
  EXPECT_EQ(platform::UserPathToWindows(c + "/VEM"), "C:\\VEM");
  EXPECT_EQ(platform::UserPathToWindows("C:\\VEM\\"), "C:\\VEM\\");
  EXPECT_EQ(platform::UserPathToWindows("VEM\\x"), "VEM\\x");
  EXPECT_EQ(platform::UserPathToWindows(""), "");
  EXPECT_EQ(platform::UserPathToWindows("/not/on/a/drive/"), "/not/on/a/drive/");
}

// --------------------------------------------------------- text helpers

struct TextCase {
  const char* name;
  std::string in;
  std::string dir, file, ext, drive, changed;  // changed = ChangeFileExt(in, ".MDX")
};

class TextHelpersTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextHelpersTest, SplitsLikeThePackagesPlatform) {
  const TextCase& c = GetParam();
  EXPECT_EQ(platform::ExtractFileDir(c.in), c.dir);
  EXPECT_EQ(platform::ExtractFileName(c.in), c.file);
  EXPECT_EQ(platform::ExtractFileExt(c.in), c.ext);
  EXPECT_EQ(platform::ExtractFileDrive(c.in), c.drive);
  EXPECT_EQ(platform::ChangeFileExt(c.in, ".MDX"), c.changed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextHelpersTest,
    ::testing::Values(
        TextCase{"File", "C:\\A\\B.DBF", "C:\\A", "B.DBF", ".DBF", "C:", "C:\\A\\B.MDX"},
        TextCase{"FileAtRoot", "C:\\B.DBF", "C:\\", "B.DBF", ".DBF", "C:", "C:\\B.MDX"},
        TextCase{"DirWithTrailing", "C:\\A\\", "C:\\A", "", "", "C:", "C:\\A\\.MDX"},
        TextCase{"DotInFolderOnly", "C:\\A.B\\C", "C:\\A.B", "C", "", "C:", "C:\\A.B\\C.MDX"},
        TextCase{"TwoDots", "C:\\A\\x.tar.gz", "C:\\A", "x.tar.gz", ".gz", "C:",
                 "C:\\A\\x.tar.MDX"},
        TextCase{"DriveRelative", "C:B.DBF", "C:", "B.DBF", ".DBF", "C:", "C:B.MDX"},
        TextCase{"Unc", "\\\\srv\\share\\f.txt", "\\\\srv\\share", "f.txt", ".txt", "",
                 "\\\\srv\\share\\f.MDX"},
        TextCase{"ForwardSlashes", "C:/A/B.DBF", "C:/A", "B.DBF", ".DBF", "C:", "C:/A/B.MDX"},
        TextCase{"BareName", "NB.INI", "", "NB.INI", ".INI", "", "NB.MDX"},
        TextCase{"Empty", "", "", "", "", "", ".MDX"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextHelpersTest2, TrailingBackslash) {
  EXPECT_EQ(platform::IncludeTrailingBackslash("C:\\VEM"), "C:\\VEM\\");
  EXPECT_EQ(platform::IncludeTrailingBackslash("C:\\VEM\\"), "C:\\VEM\\");
  EXPECT_EQ(platform::IncludeTrailingBackslash("C:/VEM/"), "C:/VEM/");
  EXPECT_EQ(platform::IncludeTrailingBackslash(""), "\\");
  EXPECT_EQ(platform::ExcludeTrailingBackslash("C:\\VEM\\"), "C:\\VEM");
  EXPECT_EQ(platform::ExcludeTrailingBackslash("C:\\VEM\\\\"), "C:\\VEM\\");  // one only
  EXPECT_EQ(platform::ExcludeTrailingBackslash("C:\\VEM"), "C:\\VEM");
  EXPECT_EQ(platform::ExcludeTrailingBackslash(""), "");
}

}  // namespace
