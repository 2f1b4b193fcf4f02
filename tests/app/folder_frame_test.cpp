// The folder frame: path routines and marks, the panel layout, the browse
// through the replaceable chooser, and the real chooser's OK rule.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QPushButton>
#include <QToolButton>

#include "app_test_util.h"
#include "dialogs/edit_and_select_folder.h"
#include "dialogs/folder_chooser.h"
#include "dialogs/path_routines.h"
#include "common/temp_package.h"

using dialogs::FolderEdit;
using Mark = dialogs::FolderEdit::Mark;

namespace {

struct SlashCase {
  const char* name;
  const char* in;
  const char* normalized;
  const char* added;
};

class SlashTest : public ::testing::TestWithParam<SlashCase> {};

TEST_P(SlashTest, NormalizeAndAdd) {
  const SlashCase& c = GetParam();
  EXPECT_EQ(dialogs::NormalizeSlash(c.in), c.normalized);
  EXPECT_EQ(dialogs::AddSlash(c.in), c.added);
}

INSTANTIATE_TEST_SUITE_P(
    PathRoutines, SlashTest,
    ::testing::Values(SlashCase{"NoSlash", "C:\\VEM", "C:\\VEM\\", "C:\\VEM\\"},
                      SlashCase{"OneSlash", "C:\\VEM\\", "C:\\VEM\\", "C:\\VEM\\"},
                      SlashCase{"ThreeSlashes", "C:\\VEM\\\\\\", "C:\\VEM\\", "C:\\VEM\\\\\\"},
                      SlashCase{"Empty", "", "", ""},
                      SlashCase{"OnlySlashes", "\\\\\\", "\\", "\\\\\\"}),
    [](const auto& info) { return std::string(info.param.name); });

// Marks follow files and folders; an emptied edit keeps its colour for
// MarkByFile but is no directory for MarkByDir.
TEST(FolderMarks, ByFileAndByDir) {
  testing_support::TempPackage pkg;
  pkg.WriteFile("C:\\NB\\GESN\\N_POZ.DBF", "x");
  pkg.MakeDir("C:\\NB\\EMPTY");
  FolderEdit edit;
  EXPECT_EQ(edit.GetMark(), Mark::None);

  edit.SetText("C:\\NB\\GESN\\");
  dialogs::MarkByFile(edit, "N_POZ.DBF");
  EXPECT_EQ(edit.GetMark(), Mark::Valid);
  EXPECT_EQ(edit.palette().color(QPalette::Text), QColor(0, 0x80, 0));

  edit.SetText("c:\\nb\\empty");
  dialogs::MarkByFile(edit, "N_POZ.DBF");
  EXPECT_EQ(edit.GetMark(), Mark::Invalid);
  EXPECT_EQ(edit.palette().color(QPalette::Text), QColor(0xFF, 0, 0));

  edit.SetText("");
  dialogs::MarkByFile(edit, "N_POZ.DBF");
  EXPECT_EQ(edit.GetMark(), Mark::Invalid) << "an emptied edit keeps the red mark";

  edit.SetText("C:\\NB\\EMPTY\\");
  dialogs::MarkByDir(edit);
  EXPECT_EQ(edit.GetMark(), Mark::Valid);
  edit.SetText("");
  dialogs::MarkByDir(edit);
  EXPECT_EQ(edit.GetMark(), Mark::Invalid);
}

TEST(FolderFrame, PanelResizeLaysOutEditAndButton) {
  dialogs::TEditAndSelectFolder frame;
  frame.Edit->resize(frame.Edit->width(), 24);
  frame.Panel1->resize(570, 29);
  frame.Panel1Resize();
  EXPECT_EQ(frame.sbSelectFolder->geometry(), QRect(540, 1, 25, 25));
  EXPECT_EQ(frame.Edit->geometry(), QRect(5, 2, 535, 24));
}

class ChooserHook : public ::testing::Test {
 protected:
  void TearDown() override { dialogs::FolderChooser::hook = nullptr; }
  std::vector<dialogs::FolderRequest> requests;
};

TEST_F(ChooserHook, CancelledBrowseKeepsTheEditText) {
  dialogs::TEditAndSelectFolder frame;
  frame.SetTitle("Title");
  frame.SetFolder("D:\\ELSEWHERE\\");
  frame.Edit->SetText("C:\\TYPED");
  dialogs::FolderChooser::hook = [this](const dialogs::FolderRequest& r) {
    requests.push_back(r);
    return std::optional<std::string>();
  };
  frame.sbSelectFolder->click();
  EXPECT_FALSE(frame.IsSelected());
  EXPECT_EQ(frame.Edit->Text(), "C:\\TYPED");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].current, "C:\\TYPED") << "the chooser preselects the edit's text";
  EXPECT_EQ(requests[0].title, "Title");
}

TEST_F(ChooserHook, ChosenHostFolderComesBackInWindowsForm) {
  testing_support::TempPackage pkg;
  pkg.MakeDir("C:\\VEM\\SM_A");
  dialogs::TEditAndSelectFolder frame;
  dialogs::FolderChooser::hook = [&](const dialogs::FolderRequest&) {
    return std::optional<std::string>(pkg.Host("C:\\VEM\\SM_A").string() + "/");
  };
  frame.sbSelectFolder->click();
  EXPECT_TRUE(frame.IsSelected());
  EXPECT_EQ(frame.GetFolder(), "C:\\VEM\\SM_A");
  EXPECT_EQ(frame.Edit->Text(), "C:\\VEM\\SM_A");

  dialogs::FolderChooser::hook = [](const dialogs::FolderRequest&) {
    return std::optional<std::string>("C:\\");
  };
  frame.sbSelectFolder->click();
  EXPECT_EQ(frame.Edit->Text(), "C:\\") << "a drive root keeps its backslash";
}

// The real chooser: preselection, the status line, and OK only where the
// owner's check passes.
TEST(FolderChooserDialog, OkFollowsTheFolderCheck) {
  testing_support::TempPackage pkg;
  pkg.WriteFile("C:\\NB\\GESN\\N_POZ.DBF", "x");
  pkg.MakeDir("C:\\NB\\OTHER");
  dialogs::FolderRequest request{"Каталог с базой данных", "C:\\NB\\GESN\\",
                                 [](const std::string& folder) {
                                   return dialogs::FolderHoldsFile(folder, "N_POZ.DBF");
                                 }};
  dialogs::FolderChooser chooser(request);
  EXPECT_EQ(chooser.CurrentFolder(), "C:\\NB\\GESN");
  EXPECT_EQ(chooser.StatusText().toStdString(), "C:\\NB\\GESN");
  EXPECT_TRUE(chooser.OkEnabled());

  for (const char* without : {"C:\\NB\\OTHER", "C:\\NB", "C:\\"}) {
    ASSERT_TRUE(chooser.SelectFolder(without)) << without;
    EXPECT_EQ(chooser.StatusText().toStdString(), without);
    EXPECT_FALSE(chooser.OkEnabled()) << without;
  }
  EXPECT_FALSE(chooser.SelectFolder("C:\\NB\\MISSING"));
}

TEST(FolderChooserDialog, AcceptReturnsTheFolderUnderTheCursor) {
  testing_support::TempPackage pkg;
  pkg.MakeDir("C:\\VEM\\SM_R\\WR");
  dialogs::FolderChooser* shown = nullptr;
  app_test::WhenShown([&] {
    shown = qobject_cast<dialogs::FolderChooser*>(QApplication::activeModalWidget());
    ASSERT_NE(shown, nullptr);
    shown->SelectFolder("C:\\VEM\\SM_R\\WR");
    shown->findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok)->click();
  });
  auto chosen = dialogs::FolderChooser::Choose({"Архив", "C:\\VEM\\", {}}, nullptr);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, "C:\\VEM\\SM_R\\WR");
}

}  // namespace
