// Session: the main window's life without its widgets: the non-window part
// of its creation (FormCreate), the start-up sequence (Set), the change
// flags and the close (FormClose).
//
// It owns the data module (TdmInstall), the start-up copy of the table
// (TBackup), the package root and the three change flags. It is the main
// window port the data module talks to: it answers GetRootDir,
// RootFromCommandLine and Caption itself, records ShowBaseCount's "changed"
// in tableChanged, and passes ShowBaseCount, ShowIdentifier and the redraw
// bracket on to the window's own port (`view`, optional), whose
// GetRootDir/RootFromCommandLine/Caption it never calls.
//
// Start (Set): root from the first argument (a host path is mapped to
// Windows form) plus SM_R\INSTALL.APP, or the program's drive + "\VEM\";
// the table must exist; backup; OpenInstall; InitInstall; RegisterBases;
// CheckIdentOverlaps; the data source is connected. False after the
// message of the step that failed; what the failed start wrote stays.
// A backup failure raises an exception of the Backup::ExBackup family and
// a refused table write engine::EngineError: the program's entry reports
// them and ends.
//
// Close (FormClose): asks "Остались несохраненные изменения\n\tСохранить?"
// (Yes/No/Cancel) when anything is unsaved. Yes or nothing unsaved: the
// working directories are written and the table closed (CloseInstall).
// No: CloseInstall, then the start-up copy is put back; when that fails the
// user is told where the copy is kept (the copy stays on disk) and the
// close goes on. Cancel: the window stays, the list shows the base rows.
//
// Messages go through platform::ShowMessage. Only the user-interface
// thread uses it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dbf/backup.h"
#include "install/bases.h"
#include "install/dm_install.h"
#include "install/ports.h"

namespace install {

// The main window's caption and the application's title.
inline constexpr char kCaption[] = "Конфигуратор VEM v24.03.06";
inline constexpr char kApplicationTitle[] = "Конфигурация VEM";
inline constexpr char kUnsavedQuestion[] = "Остались несохраненные изменения\n\tСохранить?";

class Session : public MainWindowPort {
 public:
  Session(WorkDirEdits& workDirs, OverlapChooser& chooser, MainWindowPort* view = nullptr);
  ~Session() override;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The running program's file in Windows form (its host path mapped
  // through the drive map; the host path itself when no drive covers it).
  static std::string ProgramFile();
  // True when the program's directory (Windows form, trailing backslash)
  // holds a file named "portable" in any letter case.
  static bool IsPortable(const std::string& programDir);

  // The non-window part of the main window's creation: clears the flags,
  // runs the drive relocation of a portable installation (WInstall on the
  // program's directory, ChangeDrive with its drive) and gives the log the
  // program's directory. programFile is in Windows form; empty means
  // ProgramFile().
  void FormCreate(const std::string& programFile = "");

  // The start-up sequence; args are the command-line arguments after the
  // program name. True when the main window may be shown.
  bool Set(const std::vector<std::string>& args);

  // The close of the main window. True when the window may close (the
  // table is closed then); false for Cancel. After a close that went
  // through, further calls do nothing and return true; so does a call when
  // no start succeeded (nothing was opened).
  bool FormClose();

  // Reads root + "SM_R\INSTALL.app" into bases; shows "Ошибка при
  // открытии файла:\n" + path when it cannot be opened.
  void ReadInstallApp(nsBase::VBases& bases);

  TdmInstall& Dm() { return dm_; }
  Backup::TBackup& BackupCopy() { return backup_; }

  // ---- change flags ----
  bool tableChanged() const { return tableChanged_; }
  bool baseChanged() const { return baseChanged_; }
  bool workDirsChanged() const { return workDirsChanged_; }
  void SetBaseChanged(bool changed) { baseChanged_ = changed; }
  void SetWorkDirsChanged(bool changed) { workDirsChanged_ = changed; }
  bool HasUnsavedChanges() const { return tableChanged_ || baseChanged_ || workDirsChanged_; }
  // The Save command: the changes so far are accepted (the flags clear; the
  // start-up copy stays the way back).
  void Save();

  // The last base count and identifier reported by the data module.
  int BaseCount() const { return baseCount_; }
  const std::string& Identifier() const { return identifier_; }
  bool Started() const { return started_; }
  bool Closed() const { return closed_; }

  // ---- MainWindowPort ----
  std::string GetRootDir() const override { return rootDir_; }
  bool RootFromCommandLine() const override { return rootFromCommandLine_; }
  std::string Caption() const override { return kCaption; }
  void ShowBaseCount(int count, bool changed) override;
  void ShowIdentifier(const std::string& ident) override;
  void DisableControls() override;
  void EnableControls() override;

 private:
  void Log(const std::string& text);

  MainWindowPort* view_;
  std::string programFile_;
  std::string rootDir_;
  bool rootFromCommandLine_ = false;
  bool tableChanged_ = false;
  bool baseChanged_ = false;
  bool workDirsChanged_ = false;
  bool started_ = false;
  bool closed_ = false;
  int baseCount_ = 0;
  std::string identifier_;
  Backup::TBackup backup_;
  TdmInstall dm_;
};

}  // namespace install
