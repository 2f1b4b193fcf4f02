// TfChgBaz: the modal dialog in which the user enters or changes a
// normative base's directory, name and type. The caller fills it with
// SetBase, shows it with exec(), and after OK reads GetBase and
// GetChanges. It writes nothing itself. A directory must hold N_POZ.DBF:
// the edit turns red when it does not, and OK is then refused with a
// warning (and the shown values put back); an empty directory is refused
// the same way. Picking a folder with the browse
// button fills the name (in add mode) and the type from the folder's
// NB.INI.
#pragma once

#include <QDialog>
#include <string>

#include "install/bases.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace dialogs {

class TEditAndSelectFolder;

class TfChgBaz : public QDialog {
  Q_OBJECT
 public:
  explicit TfChgBaz(QWidget* parent = nullptr);

  struct Changes {
    bool name = false;
    bool directory = false;
    bool type = false;
    bool Any() const { return name || directory || type; }
  };

  // Caption "Редактирование записи" for a base with a name, else
  // "Добавление записи"; name, directory (marked by N_POZ.DBF) and the type
  // entry of the code's first character ('4' 0, '1' 1, 'M' 2, 'G' 3, any
  // other the empty entry 5). Texts are UTF-8, the path in Windows form.
  void SetBase(const nsBase::SBase& base);
  // Name as typed, directory ending with exactly one backslash, and the code
  // of the chosen entry ("x" for an empty entry or none).
  nsBase::SBase GetBase() const;
  // Set when the dialog closed with OK (each compared with what was shown),
  // all false after Cancel.
  Changes GetChanges() const { return changes_; }

  TEditAndSelectFolder* FrameSelectFolderDir;
  QLabel* Label3;
  QLabel* leNameLabel;
  QLineEdit* leName;
  QLabel* Label1;
  QComboBox* cbType;
  QFrame* Bevel1;
  QPushButton* bbOK;
  QPushButton* bbCancel;

  // The browse button's handler (public so that tests can run it).
  void FrameSelectFolderDirsbSelectFolderClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  void FormShow();
  void FormActivate();
  bool FormCloseQuery(int result);

  std::string shownName_;
  std::string shownDir_;
  int shownType_ = -1;
  Changes changes_;
};

}  // namespace dialogs
