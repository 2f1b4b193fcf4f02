// The main window on the sample package: start-up, the list's cells, marks
// and sorting, the commands through their real dialogs (answered from
// timers), the close with each answer, and the one-copy guard of the
// built program.
#include <gtest/gtest.h>

#include "common/strict.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/base_list.h"
#include "app/cell_text.h"
#include "app/main_window.h"
#include "app_test_util.h"
#include "common/package_builder.h"
#include "common/recording_ui.h"
#include "common/temp_package.h"
#include "dbf/backup.h"
#include "dialogs/change_base.h"
#include "dialogs/edit_and_select_folder.h"
#include "dialogs/folder_chooser.h"
#include "dialogs/work_path.h"
#include "engine/table.h"
#include "install/dm_install.h"
#include "install/qt/error_form.h"
#include "install/session.h"
#include "nbini/qt/form_ini.h"
#include "tools/demo_package.h"

namespace fs = std::filesystem;

// Records the URLs the desktop would open.
class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void open(const QUrl& url) { urls.push_back(url); }
};

namespace {

using app::BaseListModel;
using platform::Answer;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

template <typename T>
T* Modal() {
  return qobject_cast<T*>(QApplication::activeModalWidget());
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    demo::MakeDemoPackage(pkg.root());
    tableHost = pkg.Host("C:\\VEM\\SM_R\\INSTAL.DBF");
    original = ReadAll(tableHost);
  }
  void TearDown() override {
    dialogs::FolderChooser::hook = nullptr;
    if (window) {
      // Leave without questions; the table is closed by the session.
      window->Session().Save();
      window->close();
      window.reset();
    }
  }

  bool Start(std::vector<std::string> args = {"C:\\VEM\\"}) {
    window = std::make_unique<app::TfMain>();
    return window->Set(args);
  }
  BaseListModel& Model() { return window->Model(); }
  std::vector<std::string> Column(int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < Model().rowCount(); ++row) texts.push_back(Model().CellText(row, column));
    return texts;
  }
  int FindRow(const std::string& name) {
    for (int row = 0; row < Model().rowCount(); ++row)
      if (Model().CellText(row, BaseListModel::kName) == name) return row;
    return -1;
  }
  // Makes a row current through the list, as a click would.
  void SelectRow(int row) {
    window->dbgBases->setCurrentIndex(Model().index(row, 0));
  }
  std::string SingleName() {
    return testing_support::FromCp866(window->Dm().GetFieldText("NAIM"));
  }

  testing_support::TempPackage pkg;
  testing_support::RecordingUi ui;
  fs::path tableHost;
  std::string original;
  std::unique_ptr<app::TfMain> window;
};

const char kGesn[] = "ГЭСН-2001 Государственные элементные сметные нормы";
const char kTsn[] = "ТСН-2001 Территориальные сметные нормы г. Москвы";
const char kErep[] = "ЕРЕР-1984 (каталог удалён)";
const char kFer[] = "ФЕР-2001 Федеральные единичные расценки";

// ---- cell rules -------------------------------------------------------------

struct CellCase {
  const char* name;
  std::function<std::string()> run;
  const char* expected;
};

class CellRules : public ::testing::TestWithParam<CellCase> {};

TEST_P(CellRules, Text) { EXPECT_EQ(GetParam().run(), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    List, CellRules,
    ::testing::Values(
        CellCase{"TypeEmptyIsUnknown", [] { return app::TypeCellText(3, ""); }, "Неизвестно"},
        CellCase{"TypeUnknownCode", [] { return app::TypeCellText(3, "Z"); }, "Не найден"},
        CellCase{"TypeFirstCharacterCounts", [] { return app::TypeCellText(3, "MX"); },
                 "МТСН 81-98"},
        CellCase{"TypeSnirLookupName", [] { return app::TypeCellText(3, "1"); }, "СНИР 1991 г."},
        CellCase{"TypeWithoutRowsIsNotSet", [] { return app::TypeCellText(0, "G"); }, ""},
        CellCase{"DateFull", [] { return app::DateCellText("20240306"); }, "06.03.2024"},
        CellCase{"DateEmpty", [] { return app::DateCellText(""); }, ".."},
        CellCase{"DateYearOnly", [] { return app::DateCellText("2024"); }, "..2024"},
        CellCase{"DateYearAndMonth", [] { return app::DateCellText("202403"); }, ".03.2024"},
        CellCase{"NameFromOem", [] { return app::NameCellText(testing_support::ToCp866("База №1")); },
                 "База №1"},
        CellCase{"ProposedFromMainInfo", [] { return app::ProposedBaseDir("C:\\VEM\\SM_A\\"); },
                 "C:\\VEM\\"},
        CellCase{"ProposedFromEmpty", [] { return app::ProposedBaseDir(""); }, ""},
        CellCase{"ProposedFromDriveRoot", [] { return app::ProposedBaseDir("C:\\"); }, ""},
        CellCase{"ProposedWithoutSecondDelimiter", [] { return app::ProposedBaseDir("C:\\VEM"); },
                 ""},
        CellCase{"ProposedCountsCharacters",
                 [] { return app::ProposedBaseDir("Д:\\ПК\\SM_A\\"); }, "Д:\\ПК\\"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- start-up and the list --------------------------------------------------

TEST_F(MainWindowTest, StartShowsBaseRowsWithCellsAndMarks) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(window->windowTitle().toStdString(), install::kCaption);
  // The three registered bases and the one INSTALL.APP lists; the z row
  // and the directory rows are not shown.
  EXPECT_EQ(Column(BaseListModel::kName), (std::vector<std::string>{kGesn, kTsn, kErep, kFer}));
  EXPECT_EQ(Model().CellText(0, BaseListModel::kDir), "C:\\VEM\\NB\\GESN2001\\");
  EXPECT_EQ(Model().CellText(0, BaseListModel::kType), "ГЭСН-2001, ФЕР-2001, ТЕР-2001");
  EXPECT_EQ(Model().CellText(1, BaseListModel::kType), "МТСН 81-98");
  EXPECT_EQ(Model().CellText(2, BaseListModel::kType), "ЕРЕР 1984 г.");
  // Dates come from each NB.INI at start-up; the missing base keeps its own.
  EXPECT_EQ(Model().CellText(0, BaseListModel::kDate), "15.03.2022");
  EXPECT_EQ(Model().CellText(1, BaseListModel::kDate), "06.03.2024");
  EXPECT_EQ(Model().CellText(2, BaseListModel::kDate), "01.01.1984");
  EXPECT_TRUE(window->MarkDelegate().DirExists(0));
  EXPECT_FALSE(window->MarkDelegate().DirExists(2));
  EXPECT_EQ(Model().data(Model().index(0, 0), Qt::ToolTipRole).toString().toStdString(), kGesn);
  EXPECT_EQ(Model().headerData(0, Qt::Horizontal, Qt::ToolTipRole).toString().toStdString(),
            "Нажмите, чтобы отсортировать по названию");

  // Registering the listed base is no unsaved change.
  EXPECT_EQ(window->PanelText(1).toStdString(), "Количество нормативных баз: 4");
  EXPECT_EQ(window->StatusImage(), 8);
  EXPECT_FALSE(window->Session().HasUnsavedChanges());

  // The list follows the table's current row and back.
  SelectRow(1);
  EXPECT_EQ(SingleName(), kTsn);
  window->Dm().DS().SetCurrentRow(3);
  EXPECT_EQ(window->dbgBases->currentIndex().row(), 3);

  // The identifier option follows the current row while on.
  window->actShowIdentyfy->trigger();
  EXPECT_EQ(window->PanelText(3).toStdString(), "Идентификатор: R200");
  SelectRow(1);
  EXPECT_EQ(window->PanelText(3).toStdString(), "Идентификатор: MOS");
  window->actShowIdentyfy->trigger();
  EXPECT_EQ(window->PanelText(3).toStdString(), "");
  SelectRow(0);
  EXPECT_EQ(window->PanelText(3).toStdString(), "");
}

TEST_F(MainWindowTest, ActionsCarryCaptionsShortcutsAndStates) {
  ASSERT_TRUE(Start());
  struct Row {
    QAction* action;
    const char* caption;
    QKeySequence shortcut;
    bool checked;
    bool enabled;
  };
  const Row rows[] = {
      {window->actAddBase, "Добавить базу", QKeySequence(Qt::Key_Insert), false, true},
      {window->actDelBase, "Удалить базу", QKeySequence(Qt::Key_Delete), false, true},
      {window->actConfigBase, "Редактировать параметры нормативной базы",
       QKeySequence(Qt::Key_Enter), false, true},
      {window->actEditWorkDir, "Редактирование размещения рабочих каталогов ПК VEM",
       QKeySequence(Qt::CTRL | Qt::Key_P), false, true},
      {window->actExit, "Выход", QKeySequence(Qt::ALT | Qt::Key_F4), false, true},
      {window->actSave, "Сохранить", QKeySequence(Qt::CTRL | Qt::Key_S), false, true},
      {window->actEditNBIni, "Редактировать nb.ini", QKeySequence(Qt::CTRL | Qt::Key_F3), false,
       true},
      {window->actOpenNbIniToNotepad, "Открыть nb.ini в \"Блокноте\"",
       QKeySequence(Qt::CTRL | Qt::Key_F4), false, true},
      {window->actShowHideCaption, "Показывать подписи к кнопкам", {}, true, true},
      {window->actShowIdentyfy, "Показывать идентификатор в строке состояния", {}, false, true},
      {window->actDisableSort, "Отменить сортировку", {}, false, false},
      {window->actShowHideToolBar, "Скрыть панель с кнопками", {}, false, true},
      {window->actViewTypeColumn, "Тип", {}, true, true},
      {window->actViewDataColumn, "Дата", {}, true, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.action->objectName().toStdString());
    EXPECT_EQ(r.action->text().toStdString(), r.caption);
    EXPECT_EQ(r.action->shortcut(), r.shortcut);
    EXPECT_EQ(r.action->isChecked(), r.checked);
    EXPECT_EQ(r.action->isEnabled(), r.enabled);
  }
  EXPECT_EQ(window->actEditWorkDir->statusTip().toStdString(),
            "Редактировать размещение рабочих каталогов  ПК VEM...");
  EXPECT_TRUE(window->actConfigBase->shortcuts().contains(QKeySequence(Qt::Key_Return)));
  // The hidden commands are in no menu and not on the tool bar.
  for (QMenu* menu : {window->mmFile, window->mmEdit, window->mmView, window->pmBases}) {
    EXPECT_FALSE(menu->actions().contains(window->actEditNBIni));
    EXPECT_FALSE(menu->actions().contains(window->actOpenNbIniToNotepad));
  }
  ASSERT_EQ(window->toolButtons.size(), 5u);
  EXPECT_EQ(window->toolButtons[4]->text().toStdString(), " Удалить отсутствующие ");

  // View options: tool bar hidden disables the caption option; columns.
  window->actShowHideToolBar->trigger();
  EXPECT_TRUE(window->ToolBar1->isHidden());
  EXPECT_FALSE(window->actShowHideCaption->isEnabled());
  window->actShowHideToolBar->trigger();
  EXPECT_TRUE(window->actShowHideCaption->isEnabled());
  window->actShowHideCaption->trigger();
  EXPECT_EQ(window->toolButtons[0]->size(), QSize(25, 25));
  window->actViewTypeColumn->trigger();
  EXPECT_TRUE(window->dbgBases->isColumnHidden(BaseListModel::kType));
  window->actViewDataColumn->trigger();
  EXPECT_TRUE(window->dbgBases->isColumnHidden(BaseListModel::kDate));
  window->actViewTypeColumn->trigger();
  EXPECT_FALSE(window->dbgBases->isColumnHidden(BaseListModel::kType));
}

struct SortCase {
  const char* name;
  int column;
  const char* field;
};

class MainWindowSort : public MainWindowTest, public ::testing::WithParamInterface<SortCase> {};

// A title click sorts by its column's order, marks the title and keeps the
// current base; a second click restores the natural order.
TEST_P(MainWindowSort, TitleClickSortsAndSecondClickCancels) {
  ASSERT_TRUE(Start());
  const int column = GetParam().column;
  SelectRow(1);  // TSN
  window->dbgBases->horizontalHeader()->sectionClicked(column);
  std::vector<std::string> keys;
  for (int row = 0; row < Model().rowCount(); ++row) keys.push_back(Model().Field(row, GetParam().field));
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end())) << GetParam().field;
  EXPECT_EQ(Model().TitleColor(column), app::kClMoneyGreen);
  EXPECT_EQ(Model().TitleFontColor(column), QColor(Qt::black));
  EXPECT_TRUE(Model().TitleMarker(column));
  for (int other = 0; other < 4; ++other) {
    if (other != column) {
      EXPECT_EQ(Model().TitleColor(other), app::kClTeal);
    }
  }
  EXPECT_TRUE(window->actDisableSort->isEnabled());
  EXPECT_EQ(SingleName(), kTsn);
  EXPECT_EQ(Model().CellText(window->dbgBases->currentIndex().row(), 0), kTsn);

  window->dbgBases->horizontalHeader()->sectionClicked(column);
  EXPECT_EQ(Column(BaseListModel::kName), (std::vector<std::string>{kGesn, kTsn, kErep, kFer}));
  EXPECT_FALSE(window->actDisableSort->isEnabled());
  EXPECT_EQ(Model().TitleColor(column), app::kClTeal);
  EXPECT_FALSE(Model().TitleMarker(column));
  EXPECT_EQ(SingleName(), kTsn);
}

INSTANTIATE_TEST_SUITE_P(Titles, MainWindowSort,
                         ::testing::Values(SortCase{"Name", 0, "NAIM"}, SortCase{"Dir", 1, "DIR"},
                                           SortCase{"Type", 2, "DOP"}, SortCase{"Date", 3, "NBDATE"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, SortMovesBetweenTitlesAndMenuCancels) {
  ASSERT_TRUE(Start());
  window->dbgBasesTitleBtnClick(0);
  EXPECT_EQ(Column(BaseListModel::kName), (std::vector<std::string>{kGesn, kErep, kTsn, kFer}));
  window->dbgBasesTitleBtnClick(1);
  EXPECT_EQ(Model().TitleColor(0), app::kClTeal);
  EXPECT_EQ(Model().TitleColor(1), app::kClMoneyGreen);
  EXPECT_EQ(Model().CellText(0, BaseListModel::kDir), "C:\\VEM\\NB\\EREP1984\\");
  window->actDisableSort->trigger();
  EXPECT_EQ(Model().TitleColor(1), app::kClTeal);
  EXPECT_FALSE(window->actDisableSort->isEnabled());
  EXPECT_EQ(Column(BaseListModel::kName), (std::vector<std::string>{kGesn, kTsn, kErep, kFer}));
}

TEST_F(MainWindowTest, ResizeKeepsTheFirstColumnVisibleAndTitleZoneExcludesDate) {
  ASSERT_TRUE(Start());
  window->show();
  window->resize(1100, 500);
  QApplication::processEvents();
  QHeaderView* header = window->dbgBases->horizontalHeader();
  EXPECT_EQ(header->sectionSize(1), 230);
  EXPECT_EQ(header->sectionSize(2), 150);
  EXPECT_GT(header->sectionSize(0), 500);
  window->resize(300, 400);
  QApplication::processEvents();
  EXPECT_EQ(header->sectionSize(0), 50);

  window->resize(921, 444);
  QApplication::processEvents();
  // Double-clicks: a row and the date title open the base parameters, the
  // name title does not.
  int opened = 0;
  auto doubleClick = [&](QWidget* target, QPoint at) {
    QTimer::singleShot(0, [&] {
      if (auto* dialog = Modal<dialogs::TfChgBaz>()) {
        ++opened;
        dialog->reject();
      }
    });
    QTest::mouseDClick(target, Qt::LeftButton, {}, at);
    QApplication::processEvents();
  };
  const int rowY = window->dbgBases->rowViewportPosition(0) + 5;
  doubleClick(window->dbgBases->viewport(), QPoint(20, rowY));
  EXPECT_EQ(opened, 1);
  doubleClick(header->viewport(), QPoint(header->sectionViewportPosition(0) + 20, 5));
  EXPECT_EQ(opened, 1);
  doubleClick(header->viewport(), QPoint(header->sectionViewportPosition(3) + 20, 5));
  EXPECT_EQ(opened, 2);
}

TEST_F(MainWindowTest, OverlapAtStartCancelledEndsTheStart) {
  // INSTALL.APP also lists a copy whose folder name gives TSN_MOS's
  // identifier MOS.
  pkg.WriteFile("C:\\VEM\\NB\\OLD_MOS\\N_POZ.DBF", "x");
  testing_support::PackageBuilder builder(pkg);
  builder.WriteInstallApp({{testing_support::ToCp866("Копия ТСН"), "M", "C:\\VEM\\NB\\OLD_MOS\\"}});
  int shown = 0;
  app_test::WhenShown([&] {
    auto* form = Modal<install::TtErrorForm>();
    ASSERT_NE(form, nullptr);
    ++shown;
    form->BitBtn2->click();
  });
  EXPECT_FALSE(Start());
  EXPECT_EQ(shown, 1);
  const auto texts = ui.Texts();
  ASSERT_FALSE(texts.empty());
  EXPECT_NE(texts.back().find("Пересечения идентификаторов не были устранены!"), std::string::npos);
  window.reset();
}

TEST_F(MainWindowTest, MissingTableEndsTheStartWithItsPath) {
  fs::remove(tableHost);
  EXPECT_FALSE(Start());
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.messages.back().text,
            "Отсутствует файл:\nC:\\VEM\\SM_R\\INSTAL.DBF\nПриложение будет закрыто");
  window.reset();
}

// ---- commands ---------------------------------------------------------------

TEST_F(MainWindowTest, AddBaseThroughTheDialog) {
  ASSERT_TRUE(Start());
  pkg.WriteFile("C:\\VEM\\NB\\NEW_BASE\\N_POZ.DBF", "x");
  app_test::WriteNbIni(pkg, "C:\\VEM\\NB\\NEW_BASE\\NB.INI",
                       "[Version]\r\nName=Новая база\r\nDate=07.08.2023 10:00\r\nTypeNB=M\r\n");
  pkg.MakeDir("C:\\VEM\\NB\\EMPTY");

  // A folder without N_POZ.DBF cannot be browsed to; the browse to the new
  // base fills name and type from its NB.INI.
  dialogs::FolderChooser::hook = [](const dialogs::FolderRequest& r) {
    EXPECT_FALSE(r.check("C:\\VEM\\NB\\EMPTY"));
    return std::optional<std::string>("C:\\VEM\\NB\\NEW_BASE");
  };
  std::string proposed;
  app_test::WhenShown([&] {
    auto* dialog = Modal<dialogs::TfChgBaz>();
    ASSERT_NE(dialog, nullptr);
    proposed = dialog->FrameSelectFolderDir->Edit->text().toStdString();
    dialog->FrameSelectFolderDir->sbSelectFolder->click();
    EXPECT_EQ(dialog->leName->text().toStdString(), "Новая база");
    dialog->bbOK->click();
  });
  window->actAddBase->trigger();
  EXPECT_EQ(proposed, "C:\\VEM\\");
  const int row = FindRow("Новая база");
  ASSERT_GE(row, 0);
  EXPECT_EQ(Model().CellText(row, BaseListModel::kDir), "C:\\VEM\\NB\\NEW_BASE\\");
  EXPECT_EQ(Model().CellText(row, BaseListModel::kType), "МТСН 81-98");
  EXPECT_EQ(Model().CellText(row, BaseListModel::kDate), "07.08.2023");
  EXPECT_EQ(Model().Field(row, "BAZ_"), "BASE");
  EXPECT_EQ(window->PanelText(1).toStdString(), "Количество нормативных баз: 5");
  EXPECT_TRUE(window->Session().baseChanged());
  EXPECT_EQ(window->StatusImage(), 7);

  // The same folder again: its identifier is taken, the warning is shown
  // and nothing is added.
  window->actSaveExecute();
  EXPECT_EQ(window->StatusImage(), 8);
  const size_t before = ui.messages.size();
  app_test::WhenShown([&] {
    auto* dialog = Modal<dialogs::TfChgBaz>();
    ASSERT_NE(dialog, nullptr);
    dialog->FrameSelectFolderDir->sbSelectFolder->click();
    dialog->bbOK->click();
  });
  window->actAddBase->trigger();
  ASSERT_EQ(ui.messages.size(), before + 1);
  EXPECT_NE(ui.messages.back().text.find(install::kIdentTakenHead), std::string::npos);
  EXPECT_EQ(Model().rowCount(), 5);
  EXPECT_FALSE(window->Session().HasUnsavedChanges());

  // Cancelled: nothing written, baseChanged false.
  app_test::WhenShown([&] { Modal<dialogs::TfChgBaz>()->reject(); });
  window->actAddBase->trigger();
  EXPECT_EQ(Model().rowCount(), 5);
  EXPECT_FALSE(window->Session().baseChanged());
}

TEST_F(MainWindowTest, EditBaseParameters) {
  ASSERT_TRUE(Start());
  SelectRow(1);
  nsBase::SBase shown;
  app_test::WhenShown([&] {
    auto* dialog = Modal<dialogs::TfChgBaz>();
    ASSERT_NE(dialog, nullptr);
    shown = dialog->GetBase();
    dialog->bbOK->click();  // nothing changed
  });
  window->actConfigBase->trigger();
  EXPECT_EQ(shown.Name, kTsn);
  EXPECT_EQ(shown.Path, "C:\\VEM\\NB\\TSN_MOS\\");
  EXPECT_EQ(shown.Type, "M");
  EXPECT_FALSE(window->Session().HasUnsavedChanges());

  app_test::WhenShown([&] {
    auto* dialog = Modal<dialogs::TfChgBaz>();
    ASSERT_NE(dialog, nullptr);
    dialog->leName->setText(QString::fromUtf8("ТСН-2001 (новое имя)"));
    dialog->bbOK->click();
  });
  window->actConfigBase->trigger();
  EXPECT_EQ(Model().CellText(1, BaseListModel::kName), "ТСН-2001 (новое имя)");
  EXPECT_EQ(Model().Field(1, "NAIM"), testing_support::ToCp866("ТСН-2001 (новое имя)"));
  EXPECT_TRUE(window->Session().baseChanged());
  EXPECT_EQ(window->StatusImage(), 7);

  // Cancel clears the flag of the last edit.
  app_test::WhenShown([&] { Modal<dialogs::TfChgBaz>()->reject(); });
  window->actConfigBase->trigger();
  EXPECT_FALSE(window->Session().baseChanged());
}

TEST_F(MainWindowTest, DeleteBaseAsksAndFollowsTheAnswer) {
  ASSERT_TRUE(Start());
  SelectRow(2);
  ui.Script({Answer::No, Answer::Cancel});
  window->actDelBase->trigger();
  window->actDelBase->trigger();
  EXPECT_EQ(Model().rowCount(), 4);
  EXPECT_FALSE(window->Session().HasUnsavedChanges());
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text,
            std::string("Удалить строки базы\n '") + kErep +
                "'\n(каталог 'C:\\VEM\\NB\\EREP1984\\' удалите вручную)?");
  EXPECT_EQ(ui.messages[0].title, install::kCaption);
  EXPECT_EQ(ui.messages[0].buttons, platform::Buttons::YesNoCancel);
  EXPECT_EQ(ui.messages[0].modality, platform::Modality::Task);

  ui.Script({Answer::Yes});
  window->actDelBase->trigger();
  EXPECT_EQ(Column(BaseListModel::kName), (std::vector<std::string>{kGesn, kTsn, kFer}));
  EXPECT_EQ(window->PanelText(1).toStdString(), "Количество нормативных баз: 3");
  EXPECT_EQ(window->StatusImage(), 7);

  // Until the list is empty; then neither delete nor edit does anything.
  ui.Script({Answer::Yes, Answer::Yes, Answer::Yes});
  for (int i = 0; i < 3; ++i) window->actDelBase->trigger();
  EXPECT_EQ(Model().rowCount(), 0);
  const size_t asked = ui.messages.size();
  window->actDelBase->trigger();
  window->actConfigBase->trigger();  // no dialog: it would block here
  EXPECT_EQ(ui.messages.size(), asked);
  EXPECT_EQ(window->PanelText(1).toStdString(), "Количество нормативных баз: 0");
}

TEST_F(MainWindowTest, DeleteMissingBasesAndSave) {
  ASSERT_TRUE(Start());
  window->actDeleteInvalidBase->trigger();
  EXPECT_EQ(Column(BaseListModel::kName), (std::vector<std::string>{kGesn, kTsn, kFer}));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(window->StatusImage(), 7);
  window->actSave->trigger();
  EXPECT_EQ(window->StatusImage(), 8);
  // Nothing missing any more: nothing deleted, no change.
  window->actDeleteInvalidBase->trigger();
  EXPECT_EQ(Model().rowCount(), 3);
  EXPECT_FALSE(window->Session().HasUnsavedChanges());
}

TEST_F(MainWindowTest, WorkingDirectoriesOkAndCancel) {
  ASSERT_TRUE(Start());
  auto edit = [&](install::WorkDir dir) { return window->WorkPath().Frame(dir)->Edit; };
  app_test::WhenShown([&] {
    auto* dialog = Modal<dialogs::TWorkPath>();
    ASSERT_NE(dialog, nullptr);
    edit(install::WorkDir::Archive)->setText("C:\\VEM\\SM_R\\");
    dialog->bbtnOk->click();
  });
  window->actEditWorkDir->trigger();
  EXPECT_TRUE(window->Session().workDirsChanged());
  EXPECT_EQ(window->StatusImage(), 7);
  // The rows were written and the list shows base rows again.
  EXPECT_EQ(Model().rowCount(), 4);

  app_test::WhenShown([&] {
    auto* dialog = Modal<dialogs::TWorkPath>();
    ASSERT_NE(dialog, nullptr);
    edit(install::WorkDir::Archive)->setText("C:\\VEM\\SM_A\\");
    dialog->bbtnCancel->click();
  });
  window->actEditWorkDir->trigger();
  EXPECT_FALSE(window->Session().workDirsChanged());
  EXPECT_EQ(window->WorkPath().DirText(install::WorkDir::Archive), "C:\\VEM\\SM_R\\");
}

TEST_F(MainWindowTest, NbIniCommands) {
  ASSERT_TRUE(Start());
  SelectRow(1);
  std::string path;
  app_test::WhenShown([&] {
    auto* dialog = Modal<nbini::TFormIni>();
    ASSERT_NE(dialog, nullptr);
    path = dialog->Path();
    dialog->reject();
  });
  window->actEditNBIni->trigger();
  EXPECT_EQ(path, "C:\\VEM\\NB\\TSN_MOS\\nb.ini");

  UrlRecorder recorder;
  QDesktopServices::setUrlHandler("file", &recorder, "open");
  window->actOpenNbIniToNotepad->trigger();
  QDesktopServices::unsetUrlHandler("file");
  ASSERT_EQ(recorder.urls.size(), 1);
  EXPECT_EQ(recorder.urls[0].toLocalFile().toStdString(),
            (pkg.root() / "drive_c" / "VEM" / "NB" / "TSN_MOS" / "NB.INI").string());
  EXPECT_FALSE(window->Session().HasUnsavedChanges());
}

TEST_F(MainWindowTest, ErrorsInsideACommandAreShownAndWorkGoesOn) {
  ASSERT_TRUE(Start());
  window->RunCommand([] { throw engine::EngineError("сбой записи"); });
  window->RunCommand([] { throw Backup::ExBackupRestore(); });
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, "сбой записи");
  EXPECT_EQ(ui.messages[0].icon, platform::Icon::Error);
  EXPECT_EQ(ui.messages[1].text, "");
  EXPECT_EQ(Model().rowCount(), 4);
}

TEST_F(MainWindowTest, ShortcutKeysInTheListRunTheirCommands) {
  ASSERT_TRUE(Start());
  window->show();
  window->activateWindow();
  if (!QTest::qWaitForWindowActive(window.get())) GTEST_SKIP() << "no active window here";
  window->dbgBases->setFocus();
  SelectRow(1);

  ui.Script({Answer::No});
  QTest::keyClick(window->dbgBases, Qt::Key_Delete);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find(kTsn), std::string::npos);

  std::string caption;
  auto captureAndReject = [&] {
    QTimer::singleShot(0, [&] {
      if (auto* dialog = Modal<dialogs::TfChgBaz>()) {
        caption = dialog->windowTitle().toStdString();
        dialog->reject();
      }
    });
  };
  captureAndReject();
  QTest::keyClick(window->dbgBases, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(caption, "Редактирование записи");
  caption.clear();
  // The closed dialog may have taken the activation with it.
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  captureAndReject();
  QTest::keyClick(window->dbgBases, Qt::Key_Insert);
  QApplication::processEvents();
  EXPECT_EQ(caption, "Добавление записи");
}

// ---- close ------------------------------------------------------------------

TEST_F(MainWindowTest, CloseWithoutChangesAsksNothing) {
  ASSERT_TRUE(Start());
  window->show();
  EXPECT_TRUE(window->close());
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(fs::exists(pkg.Host("C:\\VEM\\SM_R\\INSTALL.APP")));
  window.reset();
}

TEST_F(MainWindowTest, CloseCancelKeepsTheWindowAndTheList) {
  ASSERT_TRUE(Start());
  window->show();
  window->actDeleteInvalidBase->trigger();
  ui.Script({Answer::Cancel});
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(window->isVisible());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, install::kUnsavedQuestion);
  EXPECT_EQ(ui.messages[0].buttons, platform::Buttons::YesNoCancel);
  EXPECT_EQ(Column(BaseListModel::kName), (std::vector<std::string>{kGesn, kTsn, kFer}));
}

TEST_F(MainWindowTest, CloseNoPutsTheTableBack) {
  ASSERT_TRUE(Start());
  window->show();
  window->actDeleteInvalidBase->trigger();
  window->actSave->trigger();  // Save does not refresh the way back
  ui.Script({Answer::Yes});
  window->actDelBase->trigger();
  ui.Script({Answer::No});
  EXPECT_TRUE(window->close());
  window.reset();
  EXPECT_EQ(ReadAll(tableHost), original);
  EXPECT_FALSE(fs::exists(pkg.Host("C:\\VEM\\SM_R\\INSTALL.APP")));
}

// A restore that fails is reported with the place of the copy, and the
// window still closes (the table is already closed by then).
TEST_F(MainWindowTest, CloseNoWithAFailedRestoreTellsWhereTheCopyIs) {
  ASSERT_TRUE(Start());
  window->show();
  window->actDeleteInvalidBase->trigger();
  const std::string copy = window->Session().BackupCopy().CopyName();
  ASSERT_FALSE(copy.empty());
  fs::remove(copy);
  ui.Script({Answer::No});
  EXPECT_TRUE(window->close());
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_NE(ui.messages[1].text.find("C:\\VEM\\SM_R\\INSTAL.DBF"), std::string::npos);
  EXPECT_NE(ui.messages[1].text.find(copy), std::string::npos);
  EXPECT_EQ(ui.messages[1].icon, platform::Icon::Error);
  window.reset();
}

TEST_F(MainWindowTest, CloseYesKeepsTheChanges) {
  ASSERT_TRUE(Start());
  window->show();
  window->actDeleteInvalidBase->trigger();
  ui.Script({Answer::Yes});
  EXPECT_TRUE(window->close());
  window.reset();
  auto table = testing_support::ReadWithDbfread(tableHost);
  if (!table) VEM_SKIP_UNLESS_STRICT("dbfread is not available");
  std::vector<std::string> bases;
  for (const auto& row : table->rows)
    if (row.at("VID") == "b") bases.push_back(row.at("NAIM"));
  EXPECT_EQ(bases, (std::vector<std::string>{kGesn, kTsn, kFer}));
  EXPECT_EQ(table->Column("VID").size(), 10u) << "six setting rows, three bases, the z row";
}

// ---- the built program ------------------------------------------------------

TEST(ProgramTest, SecondCopyIsRefused) {
  const char* binaryDir = testing_support::BinaryDir();
  const QString program = QString::fromStdString(std::string(binaryDir) + "/src/app/vem-config");
  if (!fs::exists(program.toStdString())) VEM_SKIP_UNLESS_STRICT("vem-config not built");

  testing_support::TempPackage pkg;
  demo::MakeDemoPackage(pkg.root());
  const fs::path runtime = pkg.root() / "runtime";
  const fs::path temp = pkg.root() / "tmp";
  fs::create_directories(runtime);
  fs::create_directories(temp);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("WINEPREFIX", QString::fromStdString(pkg.root().string()));
  env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.string()));
  env.insert("TMPDIR", QString::fromStdString(temp.string()));
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("VEM_MESSAGES", "stderr");

  auto copies = [&] {
    int n = 0;
    for (const auto& entry : fs::directory_iterator(temp))
      if (entry.path().filename().string().rfind("vem", 0) == 0) ++n;
    return n;
  };
  QProcess first;
  first.setProcessEnvironment(env);
  first.start(program, {"C:\\VEM\\"});
  ASSERT_TRUE(first.waitForStarted());
  // The first copy holds the name once it has made its start-up copy.
  for (int i = 0; i < 200 && copies() == 0; ++i) QTest::qWait(50);
  ASSERT_EQ(copies(), 1) << first.readAllStandardError().toStdString();

  QProcess second;
  second.setProcessEnvironment(env);
  second.start(program, {"C:\\VEM\\"});
  ASSERT_TRUE(second.waitForFinished(20000));
  EXPECT_EQ(second.exitCode(), 1);
  const std::string err = second.readAllStandardError().toStdString();
  EXPECT_NE(err.find("[Error] Программа VODIZORI.exe уже выполняется"), std::string::npos) << err;
  EXPECT_EQ(copies(), 1) << "the refused copy made no backup";

  first.kill();
  first.waitForFinished(5000);
}

}  // namespace

#include "main_window_test.moc"
