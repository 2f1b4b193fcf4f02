// The base parameters dialog: modes and type entries, the N_POZ.DBF rule
// at OK, the change flags, and a browse that reads the folder's NB.INI.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app_test_util.h"
#include "dialogs/change_base.h"
#include "dialogs/edit_and_select_folder.h"
#include "dialogs/folder_chooser.h"
#include "common/recording_ui.h"
#include "common/temp_package.h"

namespace {

using dialogs::TfChgBaz;
using Mark = dialogs::FolderEdit::Mark;

class ChangeBaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pkg.WriteFile("C:\\NB\\GESN2001\\N_POZ.DBF", "x");
    pkg.WriteFile("C:\\NB\\TSN\\N_POZ.DBF", "x");
    app_test::WriteNbIni(pkg, "C:\\NB\\TSN\\NB.INI",
                         "[Version]\r\nName=МТСН 81-98 Москва\r\nTypeNB=M\r\n");
    pkg.MakeDir("C:\\NB\\EMPTY");
  }
  void TearDown() override { dialogs::FolderChooser::hook = nullptr; }

  void ChooseInBrowser(const std::string& folder) {
    dialogs::FolderChooser::hook = [folder](const dialogs::FolderRequest& r) {
      // The chooser only offers folders that hold N_POZ.DBF.
      EXPECT_TRUE(r.check && r.check(folder));
      return std::optional<std::string>(folder);
    };
  }

  testing_support::TempPackage pkg;
  testing_support::RecordingUi ui;
};

struct TypeCase {
  const char* name;
  const char* code;
  int entry;
  const char* back;
};

class ChangeBaseTypes : public ::testing::TestWithParam<TypeCase> {};

TEST_P(ChangeBaseTypes, CodeSelectsEntryAndComesBack) {
  const TypeCase& c = GetParam();
  TfChgBaz dialog;
  dialog.SetBase({"База", c.code, "C:\\NB\\"});
  EXPECT_EQ(dialog.cbType->currentIndex(), c.entry);
  EXPECT_EQ(dialog.GetBase().Type, c.back);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ChangeBaseTypes,
    ::testing::Values(TypeCase{"EREP", "4", 0, "4"}, TypeCase{"SNiR", "1", 1, "1"},
                      TypeCase{"MTSN", "M", 2, "M"}, TypeCase{"GESN", "G", 3, "G"},
                      TypeCase{"NoType", "x", 5, "x"}, TypeCase{"Empty", "", 5, "x"},
                      TypeCase{"LowerG", "g", 5, "x"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChangeBaseTest, AddModeCaptionFocusAndSnirName) {
  TfChgBaz dialog;
  dialog.SetBase({"", "x", "C:\\NB\\"});
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Добавление записи");
  EXPECT_EQ(dialog.FrameSelectFolderDir->Edit->GetMark(), Mark::Invalid);
  EXPECT_EQ(dialog.cbType->itemText(1).toStdString(), "СНиР 1991 г.");
  EXPECT_TRUE(dialog.cbType->itemText(4).isEmpty());

  app_test::WhenShown([&] {
    EXPECT_EQ(dialog.focusWidget(), dialog.FrameSelectFolderDir->Edit);
    dialog.bbCancel->click();
  });
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);

  dialog.SetBase({"ГЭСН", "G", "C:\\NB\\GESN2001\\"});
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Редактирование записи");
  EXPECT_EQ(dialog.FrameSelectFolderDir->Edit->GetMark(), Mark::Valid);
}

// A directory without N_POZ.DBF turns red; OK is refused with the warning
// and the shown values come back; a later Cancel clears the flags.
TEST_F(ChangeBaseTest, OkOnMissingMarkerRefusesAndRestores) {
  TfChgBaz dialog;
  dialog.SetBase({"ГЭСН", "G", "C:\\NB\\GESN2001\\"});
  bool stayedOpen = false;
  app_test::WhenShown([&] {
    dialog.leName->setText("Другое имя");
    dialog.cbType->setCurrentIndex(0);
    dialog.FrameSelectFolderDir->Edit->setText("C:\\NB\\EMPTY\\");
    EXPECT_EQ(dialog.FrameSelectFolderDir->Edit->GetMark(), Mark::Invalid);
    dialog.bbOK->click();
    stayedOpen = dialog.isVisible();
    EXPECT_EQ(dialog.leName->text().toStdString(), "ГЭСН");
    EXPECT_EQ(dialog.FrameSelectFolderDir->Edit->Text(), "C:\\NB\\GESN2001\\");
    EXPECT_EQ(dialog.FrameSelectFolderDir->Edit->GetMark(), Mark::Valid);
    EXPECT_EQ(dialog.cbType->currentIndex(), 3);
    dialog.bbCancel->click();
  });
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);
  EXPECT_TRUE(stayedOpen);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Неверно указан путь к базе!\nОтсутствует файл N_POZ.DBF");
  EXPECT_EQ(ui.messages[0].title, "Редактирование записи");
  EXPECT_EQ(ui.messages[0].icon, platform::Icon::Warning);
  EXPECT_FALSE(dialog.GetChanges().Any());
}

// Emptying the directory leaves the edit green, but an empty directory is
// no base: OK is refused as for a folder without N_POZ.DBF.
TEST_F(ChangeBaseTest, OkOnEmptyDirectoryIsRefused) {
  for (const char* shown : {"C:\\NB\\GESN2001\\", ""}) {
    TfChgBaz dialog;
    dialog.SetBase({"ГЭСН", "G", shown});
    ui.messages.clear();
    app_test::WhenShown([&] {
      dialog.FrameSelectFolderDir->Edit->setText("");
      EXPECT_NE(dialog.FrameSelectFolderDir->Edit->GetMark(), Mark::Invalid);
      dialog.bbOK->click();
      EXPECT_TRUE(dialog.isVisible()) << shown;
      dialog.bbCancel->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected) << shown;
    ASSERT_EQ(ui.messages.size(), 1u) << shown;
    EXPECT_EQ(ui.messages[0].text, "Неверно указан путь к базе!\nОтсутствует файл N_POZ.DBF");
  }
}

TEST_F(ChangeBaseTest, ChangeFlagsAfterOk) {
  struct Step {
    const char* name;
    std::function<void(TfChgBaz&)> edit;
    bool nameFlag, dirFlag, typeFlag;
  };
  const Step steps[] = {
      {"nothing", [](TfChgBaz&) {}, false, false, false},
      {"type only", [](TfChgBaz& d) { d.cbType->setCurrentIndex(2); }, false, false, true},
      {"name and directory",
       [](TfChgBaz& d) {
         d.leName->setText("Новое");
         d.FrameSelectFolderDir->Edit->setText("C:\\NB\\TSN\\");
       },
       true, true, false},
  };
  for (const Step& step : steps) {
    TfChgBaz dialog;
    dialog.SetBase({"ГЭСН", "G", "C:\\NB\\GESN2001\\"});
    app_test::WhenShown([&] {
      step.edit(dialog);
      dialog.bbOK->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted) << step.name;
    const auto changes = dialog.GetChanges();
    EXPECT_EQ(changes.name, step.nameFlag) << step.name;
    EXPECT_EQ(changes.directory, step.dirFlag) << step.name;
    EXPECT_EQ(changes.type, step.typeFlag) << step.name;
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ChangeBaseTest, LeavingTheEditNormalizesTheSlashes) {
  TfChgBaz dialog;
  dialog.SetBase({"ГЭСН", "G", "C:\\NB\\GESN2001"});
  dialog.show();
  dialog.activateWindow();
  auto* edit = dialog.FrameSelectFolderDir->Edit;
  edit->setFocus();
  QApplication::processEvents();
  dialog.leName->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(edit->Text(), "C:\\NB\\GESN2001\\");
  edit->setFocus();
  edit->setText("C:\\NB\\GESN2001\\\\\\");
  dialog.cbType->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(edit->Text(), "C:\\NB\\GESN2001\\");
  EXPECT_EQ(dialog.GetBase().Path, "C:\\NB\\GESN2001\\");
}

// Browsing fills the name in add mode (and keeps a typed one), detects the
// type from NB.INI, and without NB.INI selects the GESN entry.
TEST_F(ChangeBaseTest, BrowseReadsNameAndTypeFromNbIni) {
  TfChgBaz dialog;
  dialog.SetBase({"", "x", "C:\\NB\\"});
  ChooseInBrowser("C:\\NB\\TSN");
  dialog.FrameSelectFolderDir->sbSelectFolder->click();
  EXPECT_EQ(dialog.FrameSelectFolderDir->Edit->Text(), "C:\\NB\\TSN");
  EXPECT_EQ(dialog.FrameSelectFolderDir->Edit->GetMark(), Mark::Valid);
  EXPECT_EQ(dialog.leName->text().toStdString(), "МТСН 81-98 Москва");
  EXPECT_EQ(dialog.cbType->currentIndex(), 2);
  EXPECT_EQ(dialog.GetBase().Path, "C:\\NB\\TSN\\");
  EXPECT_EQ(dialog.GetBase().Type, "M");

  ChooseInBrowser("C:\\NB\\GESN2001");
  dialog.FrameSelectFolderDir->sbSelectFolder->click();
  EXPECT_EQ(dialog.leName->text().toStdString(), "МТСН 81-98 Москва") << "no NB.INI: name stays";
  EXPECT_EQ(dialog.cbType->currentIndex(), 3);

  TfChgBaz edit;
  edit.SetBase({"Своё имя", "1", "C:\\NB\\GESN2001\\"});
  ChooseInBrowser("C:\\NB\\TSN");
  edit.FrameSelectFolderDir->sbSelectFolder->click();
  EXPECT_EQ(edit.leName->text().toStdString(), "Своё имя");
  EXPECT_EQ(edit.cbType->currentIndex(), 2);

  TfChgBaz prompt;
  prompt.SetBase({"", "x", ""});
  prompt.leName->setText("Введите название базы");
  ChooseInBrowser("C:\\NB\\TSN");
  prompt.FrameSelectFolderDir->sbSelectFolder->click();
  EXPECT_EQ(prompt.leName->text().toStdString(), "МТСН 81-98 Москва");
}

TEST_F(ChangeBaseTest, CancelledBrowseChangesNothing) {
  TfChgBaz dialog;
  dialog.SetBase({"", "4", "C:\\NB\\"});
  dialogs::FolderChooser::hook = [](const dialogs::FolderRequest&) {
    return std::optional<std::string>();
  };
  dialog.FrameSelectFolderDir->sbSelectFolder->click();
  EXPECT_EQ(dialog.FrameSelectFolderDir->Edit->Text(), "C:\\NB\\");
  EXPECT_EQ(dialog.cbType->currentIndex(), 0);
}

}  // namespace
