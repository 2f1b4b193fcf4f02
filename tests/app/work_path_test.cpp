// The working directories dialog: marks, browse checks and messages, OK
// with and without changes, Cancel and the remembered texts.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "app_test_util.h"
#include "dialogs/edit_and_select_folder.h"
#include "dialogs/folder_chooser.h"
#include "dialogs/work_path.h"
#include "common/recording_ui.h"
#include "common/temp_package.h"

namespace {

using dialogs::TWorkPath;
using install::WorkDir;
using Mark = dialogs::FolderEdit::Mark;

class WorkPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pkg.WriteFile("C:\\VEM\\SM_A\\APX_0.DBF", "x");
    pkg.WriteFile("C:\\VEM\\SM_D\\IND_0.DBF", "x");
    pkg.WriteFile("C:\\VEM\\SM_R\\INSTAL.DBF", "x");
    pkg.MakeDir("C:\\VEM\\SM_R\\WR");
    pkg.WriteFile("D:\\Program\\Sm_r\\INSTAL.DBF", "x");
    pkg.MakeDir("C:\\WINDOWS\\TEMP");
    pkg.MakeDir("C:\\Windows\\Temp");
    pkg.MakeDir("C:\\EMPTY");
    dialog.SetSaveActions([this] { calls.push_back("save"); }, [this] { calls.push_back("filter"); });
    // What the data module does at start-up.
    const std::pair<WorkDir, const char*> dirs[] = {{WorkDir::Archive, "C:\\VEM\\SM_R\\WR\\"},
                                                    {WorkDir::Working, "C:\\VEM\\SM_R\\"},
                                                    {WorkDir::Output, "C:\\VEM\\SM_A\\"},
                                                    {WorkDir::Auxiliary, "C:\\VEM\\SM_D\\"}};
    for (const auto& [dir, text] : dirs) {
      dialog.SetDirText(dir, text);
      dialog.MarkByDir(dir);
    }
  }
  void TearDown() override { dialogs::FolderChooser::hook = nullptr; }

  dialogs::FolderEdit& Edit(WorkDir dir) { return *dialog.Frame(dir)->Edit; }

  // Shows the dialog, runs `edit` in it and presses the button.
  int Run(std::function<void()> edit, QPushButton* button) {
    app_test::WhenShown([edit, button] {
      edit();
      button->click();
    });
    return dialog.exec();
  }

  void Browse(WorkDir dir, const std::string& folder) {
    dialogs::FolderChooser::hook = [folder](const dialogs::FolderRequest&) {
      return std::optional<std::string>(folder);
    };
    dialog.Frame(dir)->sbSelectFolder->click();
  }

  testing_support::TempPackage pkg;
  testing_support::RecordingUi ui;
  TWorkPath dialog;
  std::vector<std::string> calls;
};

TEST_F(WorkPathTest, EditsAreMarkedByTheirMarkerFiles) {
  for (WorkDir dir : {WorkDir::Output, WorkDir::Auxiliary, WorkDir::Working, WorkDir::Archive})
    EXPECT_EQ(Edit(dir).GetMark(), Mark::Valid);

  Edit(WorkDir::Output).setText("C:\\VEM\\SM_D\\");  // exists, lacks APX_0.DBF
  EXPECT_EQ(Edit(WorkDir::Output).GetMark(), Mark::Invalid);
  Edit(WorkDir::Working).setText("c:\\vem\\sm_r");
  EXPECT_EQ(Edit(WorkDir::Working).GetMark(), Mark::Valid);
  Edit(WorkDir::Archive).setText("C:\\EMPTY\\");  // any existing folder will do
  EXPECT_EQ(Edit(WorkDir::Archive).GetMark(), Mark::Valid);
  Edit(WorkDir::Archive).setText("C:\\NOWHERE\\");
  EXPECT_EQ(Edit(WorkDir::Archive).GetMark(), Mark::Invalid);
  EXPECT_EQ(dialog.GetErrorText(),
            "Не верно указан каталог для хранения основной информации!\n"
            "Не верно указан каталог для архивации сметной документации!\n");
  EXPECT_TRUE(ui.messages.empty()) << "typed directories are only marked";
}

TEST_F(WorkPathTest, OkWithoutChangesWritesNothing) {
  Edit(WorkDir::Auxiliary).setText("C:\\EMPTY\\");  // red, before the showing
  EXPECT_EQ(Run([] {}, dialog.bbtnOk), QDialog::Accepted);
  EXPECT_FALSE(dialog.IsSaved());
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(WorkPathTest, OkWithRedArchiveReportsAndStillWrites) {
  EXPECT_EQ(Run([this] { Edit(WorkDir::Archive).setText("C:\\VEM\\SM_R\\NEW\\"); }, dialog.bbtnOk),
            QDialog::Accepted);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Не верно указан каталог для архивации сметной документации!\n");
  EXPECT_EQ(ui.messages[0].title, "Рабочие каталоги");
  EXPECT_EQ(ui.messages[0].icon, platform::Icon::Warning);
  EXPECT_EQ(calls, (std::vector<std::string>{"save", "filter"}));
  EXPECT_TRUE(dialog.IsSaved());
  EXPECT_EQ(dialog.DirText(WorkDir::Archive), "C:\\VEM\\SM_R\\NEW\\");
}

TEST_F(WorkPathTest, CancelRestoresAndALaterOkWritesNothing) {
  EXPECT_EQ(Run(
                [this] {
                  Edit(WorkDir::Output).setText("C:\\X\\");
                  Edit(WorkDir::Working).setText("C:\\Y\\");
                },
                dialog.bbtnCancel),
            QDialog::Rejected);
  EXPECT_EQ(dialog.DirText(WorkDir::Output), "C:\\VEM\\SM_A\\");
  EXPECT_EQ(dialog.DirText(WorkDir::Working), "C:\\VEM\\SM_R\\");
  EXPECT_EQ(Edit(WorkDir::Output).GetMark(), Mark::Valid) << "the marks follow the restored texts";
  EXPECT_FALSE(dialog.IsSaved());

  EXPECT_EQ(Run([] {}, dialog.bbtnOk), QDialog::Accepted);
  EXPECT_FALSE(dialog.IsSaved());
  EXPECT_TRUE(calls.empty());
}

TEST_F(WorkPathTest, EscapeIsCancel) {
  app_test::WhenShown([this] {
    Edit(WorkDir::Output).setText("C:\\X\\");
    QTest::keyClick(&dialog, Qt::Key_Escape);
  });
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);
  EXPECT_EQ(dialog.DirText(WorkDir::Output), "C:\\VEM\\SM_A\\");
}

TEST_F(WorkPathTest, BrowseForWorkingFilesUpperCases) {
  Browse(WorkDir::Working, "D:\\Program\\Sm_r");
  EXPECT_EQ(dialog.DirText(WorkDir::Working), "D:\\PROGRAM\\SM_R\\");
  EXPECT_EQ(Edit(WorkDir::Working).GetMark(), Mark::Valid);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(WorkPathTest, BrowseToAFolderWithoutItsMarkerReportsAndKeepsIt) {
  Browse(WorkDir::Auxiliary, "C:\\EMPTY");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            "Неправильно указан каталог для вспомогательной информации\n"
            "Каталог должен содержать файл - IND_0.DBF");
  EXPECT_EQ(ui.messages[0].icon, platform::Icon::Error);
  EXPECT_EQ(dialog.DirText(WorkDir::Auxiliary), "C:\\EMPTY\\");
  EXPECT_EQ(Edit(WorkDir::Auxiliary).GetMark(), Mark::Invalid);
}

TEST_F(WorkPathTest, ArchiveInASystemFolderIsReportedCaseSensitively) {
  Browse(WorkDir::Archive, "C:\\WINDOWS\\TEMP");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Неправильно указан каталог для архивации сметной документации");
  EXPECT_EQ(dialog.DirText(WorkDir::Archive), "C:\\WINDOWS\\TEMP\\");
  EXPECT_EQ(Edit(WorkDir::Archive).GetMark(), Mark::Valid) << "reported, not marked red";

  Browse(WorkDir::Archive, "C:\\Windows\\Temp");
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(dialog.DirText(WorkDir::Archive), "C:\\Windows\\Temp\\");
}

TEST_F(WorkPathTest, ChooserChecksTheMarkerFilesExceptForTheArchive) {
  std::vector<dialogs::FolderRequest> seen;
  dialogs::FolderChooser::hook = [&](const dialogs::FolderRequest& r) {
    seen.push_back(r);
    return std::optional<std::string>();
  };
  for (WorkDir dir : {WorkDir::Output, WorkDir::Auxiliary, WorkDir::Working, WorkDir::Archive})
    dialog.Frame(dir)->sbSelectFolder->click();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_TRUE(seen[0].check("C:\\VEM\\SM_A"));
  EXPECT_FALSE(seen[0].check("C:\\VEM\\SM_D"));
  EXPECT_TRUE(seen[1].check("C:\\VEM\\SM_D"));
  EXPECT_TRUE(seen[2].check("C:\\VEM\\SM_R"));
  EXPECT_FALSE(seen[2].check("C:\\EMPTY"));
  EXPECT_FALSE(seen[3].check) << "the archive accepts any folder";
  EXPECT_EQ(seen[1].title, "Каталог для вспомогательной информации\nФайл: IND_0.DBF");
  EXPECT_EQ(seen[0].current, "C:\\VEM\\SM_A\\");
  EXPECT_EQ(dialog.DirText(WorkDir::Output), "C:\\VEM\\SM_A\\") << "cancelled: text stays";
}

}  // namespace
