// The start-up sequence end to end: registering INSTALL.APP, repairing the
// table's columns, dates, default rows, identifiers and directory rows.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "install_fixture.h"
#include "support/singletons.h"

namespace install_test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

TEST_F(InstallTest, InstallAppBasesAreRegisteredOnceAndATrailingBackslashTwinOverlaps) {
  DefaultTable();
  builder.MakeBase("C:\\NB\\GESN2001\\");
  builder.MakeBase("C:\\NB\\FER2001\\");
  builder.WriteInstallApp({
      {testing_support::ToCp866("ГЭСН"), "G", "C:\\NB\\GESN2001\\"},
      {"FER", "G", "C:\\NB\\FER2001\\"},
      {testing_support::ToCp866("ГЭСН снова"), "M", "C:\\NB\\GESN2001\\"},  // listed twice
      {"GESN twin", "G", "C:\\NB\\GESN2001"},  // the same folder without its backslash
  });
  chooser.answers.push_back(ScriptedChooser::Keep(0));

  ASSERT_TRUE(Start({kRoot}));

  // The twin is a different directory text with the same identifier; the
  // overlap check of the same start shows both and the user keeps the first.
  ASSERT_EQ(chooser.shown.size(), 1u);
  ASSERT_EQ(chooser.shown[0].size(), 2u);
  EXPECT_EQ(chooser.shown[0][0].Path, "C:\\NB\\GESN2001\\");
  EXPECT_EQ(chooser.shown[0][0].Name, "ГЭСН");
  EXPECT_EQ(chooser.shown[0][1].Path, "C:\\NB\\GESN2001");
  EXPECT_THAT(ui.Texts(), ElementsAre(install::kOverlapsFound));

  EXPECT_THAT(OracleColumn("b", "DIR"), ElementsAre("C:\\NB\\GESN2001\\", "C:\\NB\\FER2001\\"));
  EXPECT_THAT(OracleColumn("b", "NAIM"), ElementsAre("ГЭСН", "FER"));
  EXPECT_THAT(OracleColumn("b", "BAZ_"), ElementsAre("N200", "R200"));
  EXPECT_THAT(OracleColumn("b", "DOP"), ElementsAre("G", "G"));
  // Registered bases are not an unsaved change; the overlap deletion is.
  EXPECT_TRUE(session->tableChanged());
  EXPECT_EQ(dm().GetRecordCount(), 2);
}

TEST_F(InstallTest, RegisteredBasesAreNotAnUnsavedChange) {
  DefaultTable();
  builder.MakeBase("C:\\NB\\GESN2001\\");
  builder.WriteInstallApp({{"GESN", "G", "C:\\NB\\GESN2001\\"}});
  ASSERT_TRUE(Start({kRoot}));
  EXPECT_FALSE(session->HasUnsavedChanges());
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_THAT(Shown("DIR"), ElementsAre("C:\\NB\\GESN2001\\"));
  // The date comes at the next start's refresh; registering stores none.
  EXPECT_THAT(OracleColumn("b", "NBDATE"), ElementsAre(""));
}

TEST_F(InstallTest, MissingInstallAppIsReportedAndTheStartGoesOn) {
  DefaultTable();
  ASSERT_TRUE(Start({kRoot}));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Ошибка при открытии файла:\nC:\\VEM\\SM_R\\INSTALL.app");
  EXPECT_EQ(ui.messages[0].title, install::kCaption);
  EXPECT_EQ(ui.messages[0].icon, platform::Icon::Error);
}

TEST_F(InstallTest, MissingTableEndsTheStartWithItsPath) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* path;
  };
  for (const Case& c : {Case{"root without backslash", {"C:\\VEM"}, "C:\\VEMSM_R\\INSTAL.DBF"},
                        Case{"no table below the root", {"C:\\OTHER\\"}, "C:\\OTHER\\SM_R\\INSTAL.DBF"}}) {
    SCOPED_TRACE(c.name);
    ui.messages.clear();
    DefaultTable();
    EXPECT_FALSE(Start(c.args));
    ASSERT_FALSE(ui.messages.empty());
    const auto& m = ui.messages.back();
    EXPECT_EQ(m.text, std::string("Отсутствует файл:\n") + c.path + "\nПриложение будет закрыто");
    EXPECT_EQ(m.title, "");
    EXPECT_EQ(m.icon, platform::Icon::Error);
  }
}

TEST_F(InstallTest, RootWithoutArgumentIsTheProgramsDriveVem) {
  DefaultTable();
  builder.WriteTable();
  session = std::make_unique<install::Session>(dirs, chooser);
  session->FormCreate("D:\\TOOLS\\vem-config");
  package.Drive('D');
  EXPECT_FALSE(session->Set({}));
  EXPECT_EQ(session->GetRootDir(), "D:\\VEM\\");
  EXPECT_FALSE(session->RootFromCommandLine());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_THAT(ui.messages[0].text, HasSubstr("D:\\VEM\\SM_R\\INSTAL.DBF"));
}

TEST_F(InstallTest, NarrowIdentifierColumnIsWidenedKeepingItsValues) {
  for (int width : {2, 3}) {
    SCOPED_TRACE(width);
    testing_support::TempPackage local;
    testing_support::PackageBuilder b(local);
    b.Table().DefaultRows(kRoot).Width("BAZ_", width);
    b.MakeBase("C:\\NB\\AB\\", {.date = "01.02.2003 10:00"});
    b.MakeBase("C:\\NB\\XYZ\\");
    b.Table().Base("AB", "C:\\NB\\AB\\", "AB").Base("XYZ", "C:\\NB\\XYZ\\", width == 3 ? "XYZ" : "XY");
    b.WriteTable();
    install::Session s(dirs, chooser);
    s.FormCreate(kProgram);
    ASSERT_TRUE(s.Set({}));
    ASSERT_TRUE(s.FormClose());
    auto t = testing_support::ReadWithDbfread(b.TableHost());
    ASSERT_TRUE(t);
    auto col = std::find_if(t->columns.begin(), t->columns.end(),
                            [](const auto& c) { return c.name == "BAZ_"; });
    ASSERT_NE(col, t->columns.end());
    EXPECT_EQ(col->length, 4);
    std::vector<std::string> idents, dates;
    for (const auto& r : t->rows)
      if (r.at("VID") == "b") {
        idents.push_back(r.at("BAZ_"));
        dates.push_back(r.at("NBDATE"));
      }
    EXPECT_THAT(idents, ElementsAre("AB", width == 3 ? "XYZ" : "XY"));
    EXPECT_THAT(dates, ElementsAre("20030201", "20100405"));
  }
}

TEST_F(InstallTest, IdentifierColumnThatCannotBeWidenedEndsTheOpen) {
  // Without BAZ_ there is nothing to widen: the second look still finds it
  // too narrow, and the open ends instead of widening again and again.
  DefaultTable();
  builder.Table().Without("BAZ_");
  EXPECT_FALSE(Start());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            std::string(install::kOpenErrorHead) + "C:\\VEM\\SM_R\\INSTAL.DBF" + install::kOpenErrorTail);
  EXPECT_EQ(dm().Table(), nullptr);
}

TEST_F(InstallTest, DateColumnIsAddedAndFilledWhenTheTableHasNeitherNbdateNorData) {
  DefaultTable();
  builder.Table().Without("NBDATE");
  builder.MakeBase("C:\\NB\\GESN2001\\", {.date = "05.04.2010 14:37"});
  builder.MakeBase("C:\\NB\\NODATE\\", {.date = ""});
  builder.Table().Base("GESN", "C:\\NB\\GESN2001\\", "N200").Base("X", "C:\\NB\\NODATE\\", "DATE");
  ASSERT_TRUE(Start());
  EXPECT_EQ(OracleWidth("NBDATE"), 8);
  EXPECT_THAT(OracleColumn("b", "NBDATE"), ElementsAre("20100405", ""));
}

TEST_F(InstallTest, TableWithDataButNoNbdateStillTakesNewAndEditedBases) {
  DefaultTable();
  builder.Table().Without("NBDATE").With({"DATA", 'C', 8});
  builder.MakeBase("C:\\NB\\GESN2001\\");
  builder.MakeBase("C:\\NB\\TER\\");
  builder.Table().Base("GESN", "C:\\NB\\GESN2001\\", "N200");
  ASSERT_TRUE(Start());
  EXPECT_EQ(OracleWidth("NBDATE"), -1);

  nsBase::SRecord added{"b", "TER", "C:\\NB\\TER\\", "G", "TER", "20200101"};
  EXPECT_TRUE(dm().ApplyRecord(added, install::TAR_INSERT));
  EXPECT_TRUE(dm().EditBase({"Тер", "M", "C:\\NB\\TER\\"}, false));
  EXPECT_THAT(OracleColumn("b", "NAIM"), ElementsAre("GESN", "Тер"));
  EXPECT_THAT(OracleColumn("b", "DOP"), ElementsAre("G", "M"));
  EXPECT_THAT(OracleColumn("b", "DATA"), ElementsAre("", ""));
}

TEST_F(InstallTest, IdentifiersAreUpperCasedCyrillicIncluded) {
  DefaultTable();
  builder.Table()
      .Base("a", "C:\\NB\\ab12\\", "ab12")
      .Base("b", "C:\\NB\\жк\\", "жк")
      .Base("c", "C:\\NB\\Ёлка\\", "ёлка")
      .Base("d", "C:\\NB\\X-1\\", "X-1");
  ASSERT_TRUE(Start());
  EXPECT_THAT(OracleColumn("b", "BAZ_"), ElementsAre("AB12", "ЖК", "ЁЛКА", "X-1"));
  EXPECT_FALSE(session->HasUnsavedChanges());
}

TEST_F(InstallTest, MissingDefaultRowsAreAddedOnceAtTheEnd) {
  builder.Table()
      .Row({{"VID", "a"}, {"NAIM", "out"}, {"DIR", "C:\\VEM\\SM_A\\"}})
      .Row({{"VID", "d"}, {"NAIM", "aux"}, {"DIR", "C:\\VEM\\SM_D\\"}})
      .Row({{"VID", "n"}, {"NAIM", "work"}, {"DIR", "C:\\VEM\\SM_R\\"}})
      .Row({{"VID", "f"}, {"NAIM", "formula"}, {"BAZ_", "*"}, {"YES", "F"}});
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    ASSERT_TRUE(Start({}, run == 0));
    ASSERT_TRUE(session->FormClose());
    session.reset();
    auto t = Oracle();
    std::vector<std::string> kinds;
    for (const auto& r : t.rows) kinds.push_back(r.at("VID"));
    // The archive row comes from InitWorkDir, the printer row after it.
    EXPECT_THAT(kinds, ElementsAre("a", "d", "n", "f", "i", "h"));
    EXPECT_THAT(OracleColumn("i", "DIR"), ElementsAre("C:\\VEM\\SM_R\\WR\\"));
    EXPECT_THAT(OracleColumn("i", "NAIM"), ElementsAre("Путь для архивации сметной документации:"));
    EXPECT_THAT(OracleColumn("h", "NAIM"), ElementsAre("Порт принтера:"));
    EXPECT_THAT(OracleColumn("h", "DIR"), ElementsAre("PRN"));
    EXPECT_THAT(OracleColumn("f", "YES"), ElementsAre("F"));  // existing rows are not changed
  }
}

TEST_F(InstallTest, FormulaRowIsWrittenWithItsChoiceList) {
  builder.Table().Row({{"VID", "h"}, {"NAIM", "p"}, {"DIR", "PRN"}});
  ASSERT_TRUE(Start());
  EXPECT_THAT(OracleColumn("f", "DOP"), ElementsAre("{'НЕТ',' ','ДА','*'}"));
  EXPECT_THAT(OracleColumn("f", "BAZ_"), ElementsAre("*"));
  EXPECT_THAT(OracleColumn("f", "YES"), ElementsAre("T"));
  EXPECT_THAT(OracleColumn("f", "NAIM"),
              ElementsAre("Печать формулы объёма при выпуске локальной сметы:"));
}

TEST_F(InstallTest, DirectoryRowsFollowTheDriveOfACommandLineRoot) {
  struct Case {
    const char* name;
    const char* stored;
    std::vector<std::string> args;
    const char* expected;
  };
  const Case cases[] = {
      {"drive moves with a root argument", "C:\\VEM\\SM_A\\", {"D:\\VEM\\"}, "D:\\VEM\\SM_A\\"},
      {"no argument keeps the drive", "C:\\VEM\\SM_A\\", {}, "C:\\VEM\\SM_A\\"},
      {"lower-case drive letter differs", "d:\\VEM\\SM_A\\", {"D:\\VEM\\"}, "D:\\VEM\\SM_A\\"},
      {"relative directory stays", "SM_A\\", {"D:\\VEM\\"}, "SM_A\\"},
      {"network directory stays", "\\\\srv\\vem\\SM_A\\", {"D:\\VEM\\"}, "\\\\srv\\vem\\SM_A\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::TempPackage local;
    local.Drive('D');
    const std::string root = c.args.empty() ? "C:\\VEM\\" : c.args[0];
    testing_support::PackageBuilder b(local, root);
    b.Table().Row({{"VID", "a"}, {"NAIM", "out"}, {"DIR", c.stored}});
    b.WriteTable();
    b.WriteInstallApp({});
    FakeWorkDirs edits;
    install::Session s(edits, chooser);
    s.FormCreate(kProgram);
    ASSERT_TRUE(s.Set(c.args));
    EXPECT_EQ(edits.texts[install::WorkDir::Output], c.expected);
    EXPECT_EQ(edits.marks[install::WorkDir::Output], 1);
    EXPECT_EQ(edits.texts[install::WorkDir::Auxiliary], root + "SM_D\\");
    auto t = testing_support::ReadWithDbfread(b.TableHost());
    ASSERT_TRUE(t);
    EXPECT_EQ(t->rows.at(0).at("DIR"), c.expected);
  }
}

TEST_F(InstallTest, StartWritesItsStepsToAnOpenLog) {
  DefaultTable();
  builder.MakeBase("C:\\NB\\GESN2001\\");
  builder.Table().Base("GESN", "C:\\NB\\GESN2001\\", "N200");
  auto logPath = package.root() / "trace.log";
  auto& log = SingleLog::Instance();
  ASSERT_TRUE(log.OpenFile(logPath.string()));
  bool started = Start();
  log.Close();
  ASSERT_TRUE(started);
  std::ifstream in(logPath);
  std::vector<std::string> texts;
  for (std::string line; std::getline(in, line);) texts.push_back(line.substr(line.find('\t') + 1));
  auto has = [&](const std::string& t) { return std::find(texts.begin(), texts.end(), t) != texts.end(); };
  for (int i = 1; i <= 10; ++i) EXPECT_TRUE(has("::Set " + std::to_string(i))) << i;
  EXPECT_TRUE(has("::Set return true"));
  EXPECT_TRUE(has("::OpenInstall 1 strTableName = C:\\VEM\\SM_R\\INSTAL.DBF"));
  EXPECT_TRUE(has("::OpenInstall before mf_FillDataNb5"));
  EXPECT_TRUE(has("::VeryfingAndChangeTable: return TRUE CheckField 3"));
  EXPECT_TRUE(has("::mf_FillDataNb() tblInstal->RecordCount =1"));
  EXPECT_TRUE(has("::mf_FillDataNb() 7 C:\\NB\\GESN2001\\ reccount: 1 20100405"));
  EXPECT_TRUE(has("\t::mf_FillDataNb() after post"));
  EXPECT_TRUE(has("::mf_FillDataNb() exit cycle"));
  EXPECT_TRUE(has("::OpenInstall 7"));
}

TEST_F(InstallTest, TableThatCannotBeOpenedShowsTheOpenError) {
  // A file that is no dBASE table at all.
  package.WriteFile("C:\\VEM\\SM_R\\INSTAL.DBF", "not a table");
  EXPECT_FALSE(Start({}, false));
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.messages.back().text,
            std::string(install::kOpenErrorHead) + "C:\\VEM\\SM_R\\INSTAL.DBF" + install::kOpenErrorTail);
  EXPECT_EQ(ui.messages.back().title, "");
  EXPECT_EQ(dm().Table(), nullptr);
}

}  // namespace
}  // namespace install_test
