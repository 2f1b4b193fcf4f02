#include "install/session.h"

#include "install/install_app.h"
#include "install/winstall.h"
#include "platform/fs.h"
#include "platform/paths.h"
#include "platform/ui.h"
#include "support/singletons.h"

namespace install {

Session::Session(WorkDirEdits& workDirs, OverlapChooser& chooser, MainWindowPort* view)
    : view_(view), dm_(*this, workDirs, chooser) {}

Session::~Session() = default;

std::string Session::ProgramFile() {
  auto host = platform::ExecutablePath();
  return platform::ToWindows(host).value_or(host.string());
}

bool Session::IsPortable(const std::string& programDir) {
  return platform::FileExists(platform::IncludeTrailingBackslash(programDir) + "portable");
}

void Session::Log(const std::string& text) { SingleLog::Instance().Write(text); }

void Session::FormCreate(const std::string& programFile) {
  tableChanged_ = baseChanged_ = workDirsChanged_ = false;
  programFile_ = programFile.empty() ? ProgramFile() : programFile;
  // The table layer passes the bytes of character columns unchanged, which
  // is all the dBASE driver setting of the original start-up asked for.
  const std::string programDir =
      platform::IncludeTrailingBackslash(platform::ExtractFileDir(programFile_));
  if (IsPortable(programDir)) {
    WInstall relocation(programDir);
    relocation.ChangeDrive(platform::ExtractFileDrive(programDir));
  }
  SingleLog::Instance().SetDirectory(platform::ExcludeTrailingBackslash(programDir));
}

void Session::ReadInstallApp(nsBase::VBases& bases) {
  const std::string path = rootDir_ + "SM_R\\INSTALL.app";
  if (!::ReadInstallApp(path, bases))
    platform::ShowMessage("Ошибка при открытии файла:\n" + path, Caption(), platform::Icon::Error,
                          platform::Buttons::Ok);
}

bool Session::Set(const std::vector<std::string>& args) {
  if (programFile_.empty()) programFile_ = ProgramFile();
  Log("::Set 1");
  nsBase::VBases bases;

  Log("::Set 2");
  if (!args.empty()) {
    rootDir_ = platform::UserPathToWindows(args[0]);
    rootFromCommandLine_ = true;
    ReadInstallApp(bases);
  } else {
    rootDir_ = platform::ExtractFileDrive(programFile_) + "\\VEM\\";
    rootFromCommandLine_ = false;
  }

  Log("::Set 3");
  const std::string path = rootDir_ + "SM_R\\" + "INSTAL.DBF";
  if (!platform::FileExists(path)) {
    platform::ShowMessage("Отсутствует файл:\n" + path + "\nПриложение будет закрыто", "",
                          platform::Icon::Error, platform::Buttons::Ok);
    return false;
  }

  Log("::Set 4");
  backup_.MakeBackup(path);

  Log("::Set 5");
  if (!dm_.OpenInstall(backup_.SourceName())) return false;

  Log("::Set 6");
  dm_.InitInstall();

  Log("::Set 7");
  if (!bases.empty()) {
    dm_.RegisterBases(bases);
    tableChanged_ = false;
    bases.clear();
  }

  Log("::Set 8");
  if (!dm_.CheckIdentOverlaps()) return false;

  // Step 9, the list's column tags, belongs to the window.
  Log("::Set 9");

  Log("::Set 10");
  dm_.AttachDataSource();
  Log("::Set return true");
  started_ = true;
  return true;
}

bool Session::FormClose() {
  if (closed_ || !started_) return true;
  if (HasUnsavedChanges()) {
    auto answer = platform::ShowMessage(kUnsavedQuestion, Caption(), platform::Icon::Question,
                                        platform::Buttons::YesNoCancel);
    if (answer == platform::Answer::Cancel) {
      dm_.AttachDataSource();
      dm_.FilterBases();
      return false;
    }
    if (answer == platform::Answer::No) {
      dm_.CloseInstall();
      closed_ = true;
      try {
        backup_.Restore();
      } catch (const Backup::ExBackupRestore&) {
        platform::ShowMessage("Не удалось восстановить файл:\n" + backup_.SourceName() +
                                  "\nКопия файла на момент запуска программы сохранена:\n" +
                                  backup_.CopyName(),
                              Caption(), platform::Icon::Error, platform::Buttons::Ok);
      } catch (const Backup::ExBackupNoDeleteTmpFile&) {
        // The table is back; the copy is deleted when the session ends.
      }
      return true;
    }
  }
  dm_.SaveWorkDirs(true);
  dm_.CloseInstall();
  closed_ = true;
  return true;
}

void Session::Save() { tableChanged_ = baseChanged_ = workDirsChanged_ = false; }

void Session::ShowBaseCount(int count, bool changed) {
  baseCount_ = count;
  tableChanged_ = changed;
  if (view_) view_->ShowBaseCount(count, changed);
}

void Session::ShowIdentifier(const std::string& ident) {
  identifier_ = ident;
  if (view_) view_->ShowIdentifier(ident);
}

void Session::DisableControls() {
  if (view_) view_->DisableControls();
}

void Session::EnableControls() {
  if (view_) view_->EnableControls();
}

}  // namespace install
