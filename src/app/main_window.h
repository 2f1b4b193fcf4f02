// TfMain: the main window of the configurator. It holds the long-lived
// dialogs (TWorkPath, TFormIni, the overlap chooser) and the session with
// the data module, shows the registered bases in the list dbgBases, the
// status bar StatusBar1 (base count, unsaved-changes mark, identifier) and
// offers the commands as actions in the main menu, the list's context
// menu, the tool bar ToolBar1 and by shortcut.
//
// Life: the constructor builds the widgets and runs the non-window part of
// the creation (Session::FormCreate); Set runs the start-up sequence and
// connects the list; closing the window runs Session::FormClose (the
// question about unsaved changes; Cancel keeps the window open).
//
// Every command works on the table's current row and writes straight into
// the table. A command handler that raises shows the error's message in an
// error box and the program goes on. Messages go through
// platform::ShowMessage.
#pragma once

#include <QMainWindow>
#include <QPoint>
#include <QRect>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "install/ports.h"

class QAction;
class QLabel;
class QMenu;
class QTableView;
class QToolBar;
class QToolButton;
class QStatusBar;

namespace dialogs {
class TWorkPath;
}
namespace nbini {
class TFormIni;
}
namespace install {
class Session;
class TdmInstall;
class QtOverlapChooser;
}  // namespace install

namespace app {

class BaseListModel;
class DirMarkDelegate;
class DiskettePanel;

class TfMain : public QMainWindow, public install::MainWindowPort {
  Q_OBJECT
 public:
  // programFile: the program's file in Windows form for FormCreate (empty:
  // the running executable).
  explicit TfMain(const std::string& programFile = "", QWidget* parent = nullptr);
  ~TfMain() override;

  // The start-up sequence (args: the command line after the program name).
  // True when the window may be shown; the list then shows the base rows.
  bool Set(const std::vector<std::string>& args);

  install::Session& Session() { return *session_; }
  install::TdmInstall& Dm();
  dialogs::TWorkPath& WorkPath() { return *workPath_; }
  nbini::TFormIni& FormIni() { return *formIni_; }
  BaseListModel& Model() { return *model_; }
  const DirMarkDelegate& MarkDelegate() const { return *delegate_; }

  bool HasUnsavedChanges() const;
  // The picture that panel 2 of the status bar shows: 7 (dark diskette)
  // when anything is unsaved, 8 (grey) otherwise.
  int StatusImage() const { return HasUnsavedChanges() ? 7 : 8; }
  QString PanelText(int panel) const;  // panels 1 and 3
  const QRect& TitleZone() const { return titleZone_; }

  // ---- install::MainWindowPort ----
  std::string GetRootDir() const override;
  bool RootFromCommandLine() const override;
  std::string Caption() const override;
  void ShowBaseCount(int count, bool changed) override;
  void ShowIdentifier(const std::string& ident) override;
  void DisableControls() override;
  void EnableControls() override;

  // ---- commands (the actions run them through RunCommand) ----
  void actAddBaseExecute();
  void actDelBaseExecute();
  void actConfigBaseExecute();
  void actEditWorkDirExecute();
  void actExitExecute();
  void actSaveExecute();
  void actDeleteInvalidBaseExecute();
  void actEditNBIniExecute();
  void actOpenNbIniToNotepadExecute();
  // ---- view commands ----
  void actDisableSortExecute();
  void actShowHideCaptionExecute();
  void actShowIdentyfyExecute();
  void actShowHideToolBarExecute();
  void actViewTypeColumnExecute();
  void actViewDataColumnExecute();
  // ---- list events ----
  // A click on the title of a column (its number in design order).
  void dbgBasesTitleBtnClick(int column);
  // A double-click at lastMousePos (list coordinates).
  void dbgBasesDblClick();
  void FormResize();

  // Runs a command; an exception it raises is shown in an error box.
  void RunCommand(const std::function<void()>& command);

  QTableView* dbgBases;
  QToolBar* ToolBar1;
  QStatusBar* StatusBar1;
  QLabel* StatusPanel1;
  DiskettePanel* StatusPanel2;
  QLabel* StatusPanel3;
  QMenu* mmFile;
  QMenu* mmEdit;
  QMenu* mmView;
  QMenu* mmColumns;
  QMenu* pmBases;    // context menu of the list
  QMenu* pmToolBar;  // context menu of the tool bar
  std::vector<QToolButton*> toolButtons;

  QAction* actAddBase;
  QAction* actDelBase;
  QAction* actConfigBase;
  QAction* actEditWorkDir;
  QAction* actExit;
  QAction* actDeleteInvalidBase;
  QAction* actSave;
  QAction* actShowHideCaption;
  QAction* actShowIdentyfy;
  QAction* actDisableSort;
  QAction* actShowHideToolBar;
  QAction* actViewTypeColumn;
  QAction* actViewDataColumn;
  QAction* actEditNBIni;
  QAction* actOpenNbIniToNotepad;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void CreateList();
  QAction* MakeAction(const char* name, const char* category, const char* caption,
                      const char* hint, int image, void (TfMain::*handler)());
  void RepaintStatus();
  void SyncListToTable();
  void ListCurrentChanged(int row);
  void UpdateTitleZone();
  void ShowToolCaptions(bool show);

  dialogs::TWorkPath* workPath_ = nullptr;
  std::unique_ptr<install::QtOverlapChooser> chooser_;
  std::unique_ptr<install::Session> session_;
  nbini::TFormIni* formIni_ = nullptr;
  BaseListModel* model_ = nullptr;
  DirMarkDelegate* delegate_ = nullptr;

  QPoint lastMousePos_{-1, -1};
  QRect titleZone_;
  int controlsDisabled_ = 0;
  bool syncing_ = false;
};

}  // namespace app
