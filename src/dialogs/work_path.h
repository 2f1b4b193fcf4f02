// TWorkPath: the modal dialog "Рабочие каталоги" with the four working
// directories of the package (SM_A, SM_D, SM_R and the archive SM_R\WR).
// One instance lives for the whole run; its edits are the program's working
// copy of the directories (WorkDirEdits, filled at start-up and read back
// at close by the data module). Each edit is marked green or red by its
// marker file (the archive by the directory's existence). OK with changes
// reports the red directories in one warning and writes all four anyway
// through the save action, then the filter action; Cancel puts back the
// texts the dialog was shown with.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "install/ports.h"

class QFrame;
class QLabel;
class QPushButton;

namespace dialogs {

class TEditAndSelectFolder;

class TWorkPath : public QDialog, public install::WorkDirEdits {
  Q_OBJECT
 public:
  explicit TWorkPath(QWidget* parent = nullptr);

  // What OK runs when a directory changed: writing the four directory rows
  // (the data module's SaveWorkDirs(true)), then limiting the table's view
  // to the base rows again (FilterBases). Either may be left empty.
  void SetSaveActions(std::function<void()> saveWorkDirs, std::function<void()> filterBases);

  // True when the last showing ended with OK and the directories written.
  bool IsSaved() const { return saved_; }
  // True when an edit's text differs from its text at the last showing.
  bool IsChanged() const;
  // One report line per red edit, in the order SM_A, SM_D, SM_R, WR.
  std::string GetErrorText() const;
  // Puts the texts of the last showing back into the edits.
  void RestoreDirs();

  // WorkDirEdits
  void SetDirText(install::WorkDir dir, const std::string& text) override;
  std::string DirText(install::WorkDir dir) const override;
  void MarkByDir(install::WorkDir dir) override;

  TEditAndSelectFolder* Frame(install::WorkDir dir) const;

  QLabel* Label1;
  TEditAndSelectFolder* FrameSelectFolderSM_A;
  QLabel* Label2;
  TEditAndSelectFolder* FrameSelectFolderSM_D;
  QLabel* Label3;
  TEditAndSelectFolder* FrameSelectFolderSM_R;
  QLabel* Label4;
  TEditAndSelectFolder* FrameSelectFolderWR;
  QFrame* Bevel1;
  QPushButton* bbtnOk;
  QPushButton* bbtnCancel;

  // The browse handlers (public so that tests can run them).
  void FrameSelectFolderSM_AsbSelectFolderClick();
  void FrameSelectFolderSM_DsbSelectFolderClick();
  void FrameSelectFolderSM_RsbSelectFolderClick();
  void FrameSelectFolderWRsbSelectFolderClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct Slot;
  void FormShow();
  void BrowseMarked(const Slot& slot, bool upperCase);
  void bbtnOkClick();
  void bbtnCancelClick();
  const Slot& SlotOf(install::WorkDir dir) const;

  struct Slot {
    install::WorkDir dir;
    TEditAndSelectFolder* frame;
    const char* marker;  // nullptr: the archive, marked by existence
    const char* badBrowse;
    const char* reportLine;
    std::string shown;
  };
  // In the order SM_A, SM_D, SM_R, WR.
  std::array<Slot, 4> slots_;
  bool saved_ = false;
  std::function<void()> saveWorkDirs_;
  std::function<void()> filterBases_;
};

}  // namespace dialogs
