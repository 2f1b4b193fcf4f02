// The drive relocation of a portable installation.
#include "install/winstall.h"

#include "install_fixture.h"
#include "support/singletons.h"

namespace install_test {
namespace {

using ::testing::ElementsAre;

TEST(ParentDirectoryTest, TakesThePartUpToTheLastButOneBackslash) {
  EXPECT_EQ(install::ParentDirectory("E:\\VEM\\BIN\\"), "E:\\VEM\\");
  EXPECT_EQ(install::ParentDirectory("E:\\VEM\\"), "E:\\");
  EXPECT_EQ(install::ParentDirectory("E:\\"), "");
}

class RelocationTest : public InstallTest {
 protected:
  // E:\VEM\ with the program in E:\VEM\BIN\ and directories stored for C:.
  void MakePortable(const char* marker = "portable") {
    package.Drive('E');
    testing_support::PackageBuilder e(package, "E:\\VEM\\");
    e.Table()
        .Row({{"VID", "a"}, {"NAIM", "out"}, {"DIR", "C:\\VEM\\SM_A\\"}})
        .Row({{"VID", "d"}, {"NAIM", "aux"}, {"DIR", "SM_D\\"}})
        .Row({{"VID", "n"}, {"NAIM", "work"}, {"DIR", "\\\\srv\\vem\\SM_R\\"}})
        .Row({{"VID", "i"}, {"NAIM", "arch"}, {"DIR", "c:\\Архив\\"}})
        .Base("one", "C:\\NB\\ONE\\", "ONE")
        .Base("two", "D:\\NB\\TWO\\", "TWO")
        .Base("rel", "NB\\REL\\", "REL")
        .Row({{"VID", "z"}, {"NAIM", "other"}, {"DIR", "C:\\Z\\"}})
        .Row({{"VID", "h"}, {"NAIM", "p"}, {"DIR", "C:\\PRN"}});
    e.WriteTable();
    if (marker) package.WriteFile(std::string("E:\\VEM\\BIN\\") + marker, "");
  }
  std::vector<std::string> Dirs() {
    auto t = testing_support::ReadWithDbfread(package.Host("E:\\VEM\\SM_R\\INSTAL.DBF"));
    EXPECT_TRUE(t);
    return t ? t->Column("DIR") : std::vector<std::string>{};
  }
};

TEST_F(RelocationTest, ChangeDriveMovesOnlyDriveLetterPathsOfDirectoryAndBaseRows) {
  MakePortable();
  {
    install::WInstall relocation("E:\\VEM\\BIN\\");
    ASSERT_TRUE(relocation.IsOpen());
    EXPECT_EQ(relocation.FileName(), "E:\\VEM\\SM_R\\instal.dbf");
    relocation.ChangeDrive("E:");
  }
  EXPECT_THAT(Dirs(), ElementsAre("E:\\VEM\\SM_A\\", "SM_D\\", "\\\\srv\\vem\\SM_R\\", "E:\\Архив\\",
                                  "E:\\NB\\ONE\\", "E:\\NB\\TWO\\", "NB\\REL\\", "C:\\Z\\", "C:\\PRN"));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RelocationTest, PortableMarkerInAnyCaseRunsTheRelocationAtCreation) {
  for (const char* marker : {"portable", "PORTABLE", "Portable"}) {
    SCOPED_TRACE(marker);
    testing_support::TempPackage local;
    local.Drive('E');
    testing_support::PackageBuilder e(local, "E:\\VEM\\");
    e.Table().Row({{"VID", "a"}, {"NAIM", "out"}, {"DIR", "C:\\VEM\\SM_A\\"}});
    e.WriteTable();
    local.WriteFile(std::string("E:\\VEM\\BIN\\") + marker, "");
    install::Session s(dirs, chooser);
    s.FormCreate("E:\\VEM\\BIN\\vem-config");
    auto t = testing_support::ReadWithDbfread(local.Host("E:\\VEM\\SM_R\\INSTAL.DBF"));
    ASSERT_TRUE(t);
    EXPECT_THAT(t->Column("DIR"), ElementsAre("E:\\VEM\\SM_A\\"));
    EXPECT_EQ(SingleLog::Instance().Directory(), "E:\\VEM\\BIN");
  }
}

TEST_F(RelocationTest, NoMarkerNoRelocation) {
  MakePortable(nullptr);
  install::Session s(dirs, chooser);
  s.FormCreate("E:\\VEM\\BIN\\vem-config");
  EXPECT_EQ(Dirs().at(0), "C:\\VEM\\SM_A\\");
}

TEST_F(RelocationTest, MissingTableIsReportedAndNothingHappens) {
  package.Drive('E');
  package.WriteFile("E:\\VEM\\BIN\\portable", "");
  install::Session s(dirs, chooser);
  s.FormCreate("E:\\VEM\\BIN\\vem-config");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Не найден файл: E:\\VEM\\SM_R\\instal.dbf!");
  EXPECT_EQ(ui.messages[0].title, "WInstall: Класс для работы с файлом instal.dbf");
  EXPECT_EQ(ui.messages[0].icon, platform::Icon::Warning);
}

}  // namespace
}  // namespace install_test
