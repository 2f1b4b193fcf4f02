#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <exception>

#include "app/base_list.h"
#include "app/cell_text.h"
#include "dbf/backup.h"
#include "dialogs/change_base.h"
#include "dialogs/qt_message_ui.h"
#include "dialogs/work_path.h"
#include "install/dm_install.h"
#include "install/qt/error_form.h"
#include "install/session.h"
#include "nbini/qt/form_ini.h"
#include "nbini/utility_class.h"
#include "platform/paths.h"
#include "platform/ui.h"
#include "support/singletons.h"
#include "support/wstring.h"

namespace app {

// Panel 2 of the status bar: the unsaved-changes mark.
class DiskettePanel : public QWidget {
 public:
  explicit DiskettePanel(const TfMain& window, QWidget* parent)
      : QWidget(parent), window_(window) {
    setFixedWidth(30);
    dark_ = QIcon(":/icons/diskette_dark.svg");
    grey_ = QIcon(":/icons/diskette_grey.svg");
  }

 protected:
  // StatusBar1DrawPanel: the picture 5 pixels right of the panel's left
  // edge, at its top.
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QIcon& icon = window_.StatusImage() == 7 ? dark_ : grey_;
    icon.paint(&painter, QRect(5, std::max(0, (height() - 16) / 2), 16, 16));
  }

 private:
  const TfMain& window_;
  QIcon dark_, grey_;
};

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string Ansi(const std::string& oem) { return SingleString::Instance().ToAnsi(oem); }
std::string Oem(const std::string& ansi) { return SingleString::Instance().ToOem(ansi); }

const char* ImageFile(int image) {
  switch (image) {
    case 0: return ":/icons/prohibit.svg";
    case 1: return ":/icons/tick.svg";
    case 2: return ":/icons/arrow_minus.svg";
    case 3: return ":/icons/tools.svg";
    case 4: return ":/icons/door.svg";
    case 6: return ":/icons/arrow_plus.svg";
    case 7: return ":/icons/diskette_dark.svg";
    case 8: return ":/icons/diskette_grey.svg";
    case 9: return ":/icons/folder_tree.svg";
    default: return nullptr;
  }
}

// Index names of the sort orders, by column tag.
constexpr const char* kSortIndex[] = {"Naim", "Dir", "Dop", "NBDate"};

constexpr int kToolButtonWidth = 137;
constexpr int kToolButtonHeight = 36;

}  // namespace

TfMain::TfMain(const std::string& programFile, QWidget* parent) : QMainWindow(parent) {
  dialogs::InitResources();
  setObjectName("fMain");
  setWindowTitle(Q(install::kCaption));

  // The long-lived windows and the data module, in the order of the
  // program's start: the working directories dialog, the data module
  // (inside the session), the NB.INI dialog.
  workPath_ = new dialogs::TWorkPath(this);
  chooser_ = std::make_unique<install::QtOverlapChooser>(this);
  session_ = std::make_unique<install::Session>(*workPath_, *chooser_, this);
  formIni_ = new nbini::TFormIni(this);
  workPath_->SetSaveActions([this] { Dm().SaveWorkDirs(true); }, [this] { Dm().FilterBases(); });

  CreateActions();
  CreateList();
  CreateMenus();
  CreateToolBar();
  CreateStatusBar();

  // The window's creation: flags, relocation of a portable installation,
  // the log's directory. The data module is not touched.
  session_->FormCreate(programFile);

  // Client area 921 by 444 below the menu bar, centred on the screen.
  resize(921, 444 + menuBar()->sizeHint().height());
  if (QScreen* screen = QApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
  }
  RepaintStatus();
}

TfMain::~TfMain() {
  // The list and its model read the data module: take them down first.
  dbgBases->setModel(nullptr);
  delete model_;
  model_ = nullptr;
}

install::TdmInstall& TfMain::Dm() { return session_->Dm(); }

// ---- construction -----------------------------------------------------------

QAction* TfMain::MakeAction(const char* name, const char* category, const char* caption,
                            const char* hint, int image, void (TfMain::*handler)()) {
  auto* action = new QAction(QString::fromUtf8(caption), this);
  action->setObjectName(name);
  action->setProperty("category", category);
  if (hint) {
    action->setStatusTip(QString::fromUtf8(hint));
    action->setToolTip(QString::fromUtf8(hint));
  }
  if (const char* file = ImageFile(image)) action->setIcon(QIcon(file));
  connect(action, &QAction::triggered, this, [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
  // Shortcuts work wherever the window is active, menu or not.
  addAction(action);
  return action;
}

void TfMain::CreateActions() {
  actAddBase = MakeAction("actAddBase", "Edit", "Добавить базу", "Добавить нормативную базу...",
                          6, &TfMain::actAddBaseExecute);
  actAddBase->setShortcut(QKeySequence(Qt::Key_Insert));
  actDelBase = MakeAction("actDelBase", "Edit", "Удалить базу", "Удалить нормативную базу", 2,
                          &TfMain::actDelBaseExecute);
  actDelBase->setShortcut(QKeySequence(Qt::Key_Delete));
  actConfigBase = MakeAction("actConfigBase", "Edit", "Редактировать параметры нормативной базы",
                             "Редактировать параметры нормативной базы...", 3,
                             &TfMain::actConfigBaseExecute);
  actConfigBase->setShortcuts({QKeySequence(Qt::Key_Enter), QKeySequence(Qt::Key_Return)});
  actEditWorkDir = MakeAction("actEditWorkDir", "Edit",
                              "Редактирование размещения рабочих каталогов ПК VEM",
                              "Редактировать размещение рабочих каталогов  ПК VEM...", 9,
                              &TfMain::actEditWorkDirExecute);
  actEditWorkDir->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  actExit = MakeAction("actExit", "File", "Выход", nullptr, 4, &TfMain::actExitExecute);
  actExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
  actDeleteInvalidBase = MakeAction("actDeleteInvalidBase", "Edit", "Удалить несуществующие базы",
                                    "Удалить несуществующие базы", 0,
                                    &TfMain::actDeleteInvalidBaseExecute);
  actSave = MakeAction("actSave", "File", "Сохранить", nullptr, 7, &TfMain::actSaveExecute);
  actSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));

  actShowHideCaption = MakeAction("actShowHideCaption", "View", "Показывать подписи к кнопкам",
                                  nullptr, -1, &TfMain::actShowHideCaptionExecute);
  actShowHideCaption->setCheckable(true);
  actShowHideCaption->setChecked(true);
  actShowIdentyfy = MakeAction("actShowIdentyfy", "View",
                               "Показывать идентификатор в строке состояния", nullptr, -1,
                               &TfMain::actShowIdentyfyExecute);
  actShowIdentyfy->setCheckable(true);
  actDisableSort = MakeAction("actDisableSort", "View", "Отменить сортировку", nullptr, -1,
                              &TfMain::actDisableSortExecute);
  actDisableSort->setEnabled(false);
  actShowHideToolBar = MakeAction("actShowHideToolBar", "View", "Скрыть панель с кнопками",
                                  nullptr, -1, &TfMain::actShowHideToolBarExecute);
  actShowHideToolBar->setCheckable(true);
  actViewTypeColumn = MakeAction("actViewTypeColumn", "View", "Тип", nullptr, -1,
                                 &TfMain::actViewTypeColumnExecute);
  actViewTypeColumn->setCheckable(true);
  actViewTypeColumn->setChecked(true);
  actViewDataColumn = MakeAction("actViewDataColumn", "View", "Дата", nullptr, -1,
                                 &TfMain::actViewDataColumnExecute);
  actViewDataColumn->setCheckable(true);
  actViewDataColumn->setChecked(true);

  // Hidden commands: in no menu and no tool bar, reached by shortcut only.
  actEditNBIni = MakeAction("actEditNBIni", "Edit", "Редактировать nb.ini",
                            "Редактировать nb.ini", -1, &TfMain::actEditNBIniExecute);
  actEditNBIni->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F3));
  actOpenNbIniToNotepad = MakeAction("actOpenNbIniToNotepad", "Edit",
                                     "Открыть nb.ini в \"Блокноте\"",
                                     "Открыть nb.ini в \"Блокноте\"", -1,
                                     &TfMain::actOpenNbIniToNotepadExecute);
  actOpenNbIniToNotepad->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
}

void TfMain::CreateMenus() {
  mmFile = menuBar()->addMenu(QString::fromUtf8("&Файл"));
  mmFile->setObjectName("mmFile");
  mmFile->addAction(actSave);
  mmFile->addSeparator();
  mmFile->addAction(actExit);

  mmEdit = menuBar()->addMenu(QString::fromUtf8("&Правка"));
  mmEdit->setObjectName("mmEdit");
  mmEdit->addAction(actAddBase);
  mmEdit->addAction(actDelBase);
  mmEdit->addAction(actConfigBase);
  mmEdit->addAction(actEditWorkDir);
  mmEdit->addSeparator();
  mmEdit->addAction(actDeleteInvalidBase);

  mmView = menuBar()->addMenu(QString::fromUtf8("&Вид"));
  mmView->setObjectName("mmView");
  mmView->addAction(actShowHideCaption);
  mmView->addAction(actShowIdentyfy);
  mmView->addAction(actShowHideToolBar);
  mmView->addSeparator();
  mmColumns = mmView->addMenu(QString::fromUtf8("Столбцы"));
  mmColumns->setObjectName("mmColumns");
  mmColumns->addAction(actViewTypeColumn);
  mmColumns->addAction(actViewDataColumn);
  mmView->addSeparator();
  mmView->addAction(actDisableSort);

  // The list's context menu; the two nb.ini commands are hidden items and
  // so not listed.
  pmBases = new QMenu(this);
  pmBases->setObjectName("pmBases");
  pmBases->addAction(actConfigBase);
  pmBases->addSeparator();
  pmBases->addAction(actAddBase);
  pmBases->addAction(actDelBase);
  dbgBases->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(dbgBases, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { pmBases->popup(dbgBases->viewport()->mapToGlobal(pos)); });
}

void TfMain::CreateToolBar() {
  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setMovable(false);
  ToolBar1->setFloatable(false);
  ToolBar1->setIconSize(QSize(16, 16));
  addToolBar(Qt::TopToolBarArea, ToolBar1);

  struct Button {
    const char* caption;
    QAction* action;
  };
  const Button buttons[] = {
      {"Добавить...", actAddBase},
      {"Удалить", actDelBase},
      {nullptr, nullptr},
      {"Параметры базы...", actConfigBase},
      {"Каталоги ПК VEM...", actEditWorkDir},
      {" Удалить отсутствующие ", actDeleteInvalidBase},
      {nullptr, nullptr},
  };
  int number = 1;
  for (const Button& b : buttons) {
    if (!b.action) {
      ToolBar1->addSeparator();
      continue;
    }
    // A button with its action's image and hint but a caption of its own.
    auto* button = new QToolButton(ToolBar1);
    button->setObjectName(QString("ToolButton%1").arg(number++));
    button->setText(QString::fromUtf8(b.caption));
    button->setIcon(b.action->icon());
    button->setToolTip(b.action->toolTip());
    button->setStatusTip(b.action->statusTip());
    button->setEnabled(b.action->isEnabled());
    button->setAutoRaise(true);
    QAction* action = b.action;
    connect(button, &QToolButton::clicked, action, &QAction::trigger);
    connect(action, &QAction::changed, button,
            [button, action] { button->setEnabled(action->isEnabled()); });
    ToolBar1->addWidget(button);
    toolButtons.push_back(button);
  }
  ShowToolCaptions(true);

  pmToolBar = new QMenu(this);
  pmToolBar->setObjectName("pmToolBar");
  pmToolBar->addAction(actShowHideCaption);
  ToolBar1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(ToolBar1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { pmToolBar->popup(ToolBar1->mapToGlobal(pos)); });
}

void TfMain::ShowToolCaptions(bool show) {
  for (QToolButton* button : toolButtons) {
    if (show) {
      button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
      // 137 by 36, wider where the caption needs it in the system font.
      const int width =
          std::max(kToolButtonWidth, button->fontMetrics().horizontalAdvance(button->text()) + 16);
      button->setFixedSize(width, kToolButtonHeight);
    } else {
      button->setToolButtonStyle(Qt::ToolButtonIconOnly);
      button->setFixedSize(25, 25);
    }
  }
}

void TfMain::CreateStatusBar() {
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setSizeGripEnabled(false);
  setStatusBar(StatusBar1);
  StatusPanel1 = new QLabel(StatusBar1);
  StatusPanel1->setObjectName("StatusPanel1");
  StatusPanel1->setFixedWidth(std::max(
      200, StatusPanel1->fontMetrics().horizontalAdvance(
               QString::fromUtf8("Количество нормативных баз: 0000")) + 12));
  StatusPanel2 = new DiskettePanel(*this, StatusBar1);
  StatusPanel2->setObjectName("StatusPanel2");
  StatusPanel3 = new QLabel(StatusBar1);
  StatusPanel3->setObjectName("StatusPanel3");
  for (QFrame* panel : {static_cast<QFrame*>(StatusPanel1), static_cast<QFrame*>(StatusPanel3)})
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  StatusBar1->addWidget(StatusPanel1);
  StatusBar1->addWidget(StatusPanel2);
  StatusBar1->addWidget(StatusPanel3, 1);
  StatusPanel1->setText(QString::fromUtf8("Количество нормативных баз: 0"));
}

void TfMain::CreateList() {
  dbgBases = new QTableView(this);
  dbgBases->setObjectName("dbgBases");
  auto* header = new TitleHeader(dbgBases);
  header->setObjectName("dbgBasesTitles");
  dbgBases->setHorizontalHeader(header);
  model_ = new BaseListModel(Dm(), this);
  delegate_ = new DirMarkDelegate(Dm(), *model_, dbgBases);
  dbgBases->setModel(model_);
  dbgBases->setItemDelegate(delegate_);
  dbgBases->verticalHeader()->hide();
  dbgBases->verticalHeader()->setDefaultSectionSize(dbgBases->fontMetrics().height() + 6);
  dbgBases->setSelectionBehavior(QAbstractItemView::SelectRows);
  dbgBases->setSelectionMode(QAbstractItemView::SingleSelection);
  dbgBases->setEditTriggers(QAbstractItemView::NoEditTriggers);
  dbgBases->setTextElideMode(Qt::ElideRight);
  dbgBases->setWordWrap(false);
  dbgBases->setShowGrid(true);
  dbgBases->setSortingEnabled(false);
  dbgBases->setFrameShape(QFrame::StyledPanel);
  dbgBases->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  dbgBases->setColumnWidth(BaseListModel::kName, 239);
  dbgBases->setColumnWidth(BaseListModel::kDir, 235);
  dbgBases->setColumnWidth(BaseListModel::kType, 117);
  dbgBases->setColumnWidth(BaseListModel::kDate, 92);
  setCentralWidget(dbgBases);

  connect(header, &QHeaderView::sectionClicked, this,
          [this](int column) { RunCommand([this, column] { dbgBasesTitleBtnClick(column); }); });
  // dbgBasesColumnMoved: nothing further than keeping the title zone right.
  connect(header, &QHeaderView::sectionMoved, this, [this] { UpdateTitleZone(); });
  connect(header, &QHeaderView::sectionResized, this, [this] { UpdateTitleZone(); });
  connect(dbgBases->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { ListCurrentChanged(current.row()); });
  model_->changed = [this] { SyncListToTable(); };

  dbgBases->installEventFilter(this);
  dbgBases->viewport()->installEventFilter(this);
  dbgBases->viewport()->setMouseTracking(true);
  header->installEventFilter(this);
  header->viewport()->installEventFilter(this);
  header->viewport()->setMouseTracking(true);
}

// ---- start and close --------------------------------------------------------

bool TfMain::Set(const std::vector<std::string>& args) {
  if (!session_->Set(args)) return false;
  // The columns' tags name their fields and sort orders: name, directory,
  // type, date in design order.
  for (int column = 0; column < BaseListModel::kColumns; ++column) model_->SetTag(column, column);
  SyncListToTable();
  dbgBases->viewport()->update();
  return true;
}

void TfMain::closeEvent(QCloseEvent* event) {
  bool mayClose = true;
  RunCommand([&] { mayClose = session_->FormClose(); });
  if (mayClose) {
    event->accept();
  } else {
    event->ignore();
  }
}

// ---- MainWindowPort ---------------------------------------------------------

std::string TfMain::GetRootDir() const { return session_->GetRootDir(); }
bool TfMain::RootFromCommandLine() const { return session_->RootFromCommandLine(); }
std::string TfMain::Caption() const { return install::kCaption; }
bool TfMain::HasUnsavedChanges() const { return session_ && session_->HasUnsavedChanges(); }

void TfMain::ShowBaseCount(int count, bool /*changed: the session keeps the flag*/) {
  StatusPanel1->setText(QString::fromUtf8("Количество нормативных баз: ") + QString::number(count));
  RepaintStatus();
}

void TfMain::ShowIdentifier(const std::string& ident) {
  if (!actShowIdentyfy->isChecked()) return;
  StatusPanel3->setText(QString::fromUtf8("Идентификатор: ") + Q(ident));
}

void TfMain::DisableControls() {
  if (controlsDisabled_++ == 0) dbgBases->setUpdatesEnabled(false);
}

void TfMain::EnableControls() {
  if (controlsDisabled_ == 0) return;
  if (--controlsDisabled_ == 0) dbgBases->setUpdatesEnabled(true);
}

QString TfMain::PanelText(int panel) const {
  if (panel == 1) return StatusPanel1->text();
  if (panel == 3) return StatusPanel3->text();
  return {};
}

void TfMain::RepaintStatus() {
  StatusBar1->update();
  StatusPanel2->update();
}

// ---- list and table ---------------------------------------------------------

void TfMain::SyncListToTable() {
  if (syncing_) return;
  syncing_ = true;
  const auto row = Dm().DS().CurrentRow();
  QItemSelectionModel* selection = dbgBases->selectionModel();
  if (row && static_cast<int>(*row) < model_->rowCount()) {
    const int column = std::max(0, dbgBases->currentIndex().column());
    const QModelIndex index = model_->index(static_cast<int>(*row), column);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                          QItemSelectionModel::Rows);
    dbgBases->scrollTo(index);
  } else {
    selection->clearSelection();
    selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
  }
  syncing_ = false;
}

void TfMain::ListCurrentChanged(int row) {
  if (syncing_ || row < 0) return;
  syncing_ = true;
  RunCommand([&] { Dm().DS().SetCurrentRow(static_cast<size_t>(row)); });
  syncing_ = false;
}

void TfMain::dbgBasesTitleBtnClick(int column) {
  Dm().KeepPosition();
  if (model_->IsSortTitle(column)) {
    // A click on the sort column cancels the sorting.
    actDisableSortExecute();
  } else {
    const int tag = model_->Tag(column);
    for (int c = 0; c < BaseListModel::kColumns; ++c)
      if (model_->Tag(c) != tag) model_->ResetTitle(c);
    model_->MarkSortTitle(column);
    if (tag >= 0 && tag < 4) Dm().SetSortIndex(kSortIndex[tag]);
    actDisableSort->setEnabled(true);
  }
  Dm().RestorePosition();
}

void TfMain::actDisableSortExecute() {
  for (int c = 0; c < BaseListModel::kColumns; ++c) model_->ResetTitle(c);
  Dm().SetSortIndex("");
  actDisableSort->setEnabled(false);
}

void TfMain::FormResize() {
  // Widths by place in the current column order: 230, 150 and 70 pixels
  // for the second to fourth (the fourth wide enough for a date in the
  // list's font), the first what they leave of the list's width less 25,
  // but never less than 50 pixels.
  QHeaderView* header = dbgBases->horizontalHeader();
  const int fourth =
      std::max(70, dbgBases->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")) + 14);
  const int first = std::max(50, dbgBases->width() - (230 + 150 + fourth + 25));
  const int widths[] = {first, 230, 150, fourth};
  for (int place = 0; place < BaseListModel::kColumns; ++place)
    header->resizeSection(header->logicalIndex(place), widths[place]);
  UpdateTitleZone();
}

void TfMain::UpdateTitleZone() {
  // From the first title's left, top and bottom to the third title's right
  // edge, in list coordinates.
  QHeaderView* header = dbgBases->horizontalHeader();
  const QPoint origin = header->mapTo(dbgBases, QPoint(0, 0));
  const int first = header->logicalIndex(0);
  const int third = header->logicalIndex(2);
  const int left = origin.x() + header->sectionViewportPosition(first);
  const int right =
      origin.x() + header->sectionViewportPosition(third) + header->sectionSize(third) - 1;
  titleZone_ = QRect(QPoint(left, origin.y()), QPoint(right, origin.y() + header->height() - 1));
}

void TfMain::dbgBasesDblClick() {
  const QRect& z = titleZone_;
  const bool inside = lastMousePos_.x() >= z.left() && lastMousePos_.x() <= z.right() &&
                      lastMousePos_.y() >= z.top() && lastMousePos_.y() <= z.bottom();
  if (!inside) actConfigBaseExecute();
}

bool TfMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == dbgBases && event->type() == QEvent::Resize) {
    FormResize();
  } else if (watched == dbgBases->viewport() ||
             watched == dbgBases->horizontalHeader()->viewport()) {
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonDblClick) {
      auto* mouse = static_cast<QMouseEvent*>(event);
      lastMousePos_ = static_cast<QWidget*>(watched)->mapTo(dbgBases, mouse->position().toPoint());
      if (event->type() == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton)
        RunCommand([this] { dbgBasesDblClick(); });
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- commands ---------------------------------------------------------------

void TfMain::RunCommand(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    platform::ShowMessage(e.what(), Caption(), platform::Icon::Error);
  } catch (const Backup::ExBackup&) {
    platform::ShowMessage("", Caption(), platform::Icon::Error);
  } catch (...) {
    platform::ShowMessage("", Caption(), platform::Icon::Error);
  }
}

void TfMain::actAddBaseExecute() {
  session_->SetBaseChanged(false);
  dialogs::TfChgBaz dialog(this);
  const std::string proposed =
      ProposedBaseDir(workPath_->DirText(install::WorkDir::Output));
  dialog.SetBase({"", nsBase::kNoType, proposed});
  if (dialog.exec() != QDialog::Accepted) return;

  const nsBase::SBase base = dialog.GetBase();
  if (Dm().BaseIdentExists(base)) return;
  nsBase::SRecord record;
  record.VID = nsBase::kBaseKind;
  record.NAIM = Oem(base.Name);
  record.DIR = Oem(base.Path);
  record.DOP = base.Type;
  record.BAZ_ = install::TdmInstall::IdentOf(base.Path);
  record.NBDATE = SingleUtility::Instance().GetNbIniDate(base.Path);
  Dm().ApplyRecord(record, install::TAR_INSERT);
  session_->SetBaseChanged(dialog.GetChanges().Any());
  RepaintStatus();
}

void TfMain::actDelBaseExecute() {
  if (Dm().GetRecordCount() <= 0) return;
  const std::string name = Ansi(Dm().GetFieldText("NAIM"));
  const std::string dir = Ansi(Dm().GetFieldText("DIR"));
  const auto answer = platform::ShowMessage(
      "Удалить строки базы\n '" + name + "'\n(каталог '" + dir + "' удалите вручную)?", Caption(),
      platform::Icon::Question, platform::Buttons::YesNoCancel, platform::Modality::Task);
  if (answer != platform::Answer::Yes) return;
  Dm().DeleteBase();
  RepaintStatus();
}

void TfMain::actConfigBaseExecute() {
  // Without a row there is nothing to edit (as for Delete base).
  if (Dm().GetRecordCount() <= 0) return;
  session_->SetBaseChanged(false);
  dialogs::TfChgBaz dialog(this);
  nsBase::SBase shown;
  shown.Name = Ansi(Dm().GetFieldText("NAIM"));
  const std::string dop = Dm().GetFieldText("DOP");
  shown.Type = dop.find_first_not_of(' ') == std::string::npos ? nsBase::kNoType : dop;
  shown.Path = Ansi(Dm().GetFieldText("DIR"));
  dialog.SetBase(shown);
  if (dialog.exec() != QDialog::Accepted) return;

  const dialogs::TfChgBaz::Changes changes = dialog.GetChanges();
  if (changes.Any()) session_->SetBaseChanged(Dm().EditBase(dialog.GetBase(), changes.directory));
  RepaintStatus();
}

void TfMain::actEditWorkDirExecute() {
  workPath_->exec();
  session_->SetWorkDirsChanged(workPath_->IsSaved());
  RepaintStatus();
}

void TfMain::actExitExecute() { close(); }

void TfMain::actSaveExecute() {
  session_->Save();
  RepaintStatus();
}

void TfMain::actDeleteInvalidBaseExecute() { Dm().DeleteMissingBases(); }

void TfMain::actEditNBIniExecute() {
  formIni_->SetDir(Ansi(Dm().GetFieldText("DIR")));
  formIni_->exec();
}

void TfMain::actOpenNbIniToNotepadExecute() {
  // The base's nb.ini in the desktop's text editor; no delimiter is
  // inserted, and nothing is reported when it cannot be opened.
  const std::string path = Ansi(Dm().GetFieldText("DIR")) + "nb.ini";
  const auto host = platform::ToHost(path);
  if (!host) return;
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(host->string())));
}

// ---- view commands ----------------------------------------------------------

void TfMain::actShowHideCaptionExecute() { ShowToolCaptions(actShowHideCaption->isChecked()); }

void TfMain::actShowIdentyfyExecute() {
  if (actShowIdentyfy->isChecked()) {
    StatusPanel3->setText(QString::fromUtf8("Идентификатор: ") +
                          Q(Ansi(Dm().GetFieldText("BAZ_"))));
  } else {
    StatusPanel3->clear();
  }
}

void TfMain::actShowHideToolBarExecute() {
  const bool hide = actShowHideToolBar->isChecked();
  ToolBar1->setVisible(!hide);
  actShowHideCaption->setEnabled(!hide);
}

void TfMain::actViewTypeColumnExecute() {
  dbgBases->setColumnHidden(BaseListModel::kType, !actViewTypeColumn->isChecked());
}

void TfMain::actViewDataColumnExecute() {
  dbgBases->setColumnHidden(BaseListModel::kDate, !actViewDataColumn->isChecked());
}

}  // namespace app
