// The folder chooser of the folder frame: a modal dialog with a title above
// a folder tree of one drive of the package's drive map, a status line that
// shows the folder under the cursor in Windows form, and an OK button that
// is enabled only on folders a drive covers and, when the owner gives a
// check, only where the check passes.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

class QComboBox;
class QDialogButtonBox;
class QFileSystemModel;
class QLabel;
class QModelIndex;
class QTreeView;

namespace dialogs {

// Decides for a folder (Windows form, no trailing backslash except a drive
// root) whether the chooser may accept it.
using FolderCheck = std::function<bool(const std::string& folder)>;

struct FolderRequest {
  std::string title;
  std::string current;  // Windows form; preselected when it exists
  FolderCheck check;    // may be empty: every covered folder is accepted
};

class FolderChooser : public QDialog {
  Q_OBJECT
 public:
  FolderChooser(const FolderRequest& request, QWidget* parent = nullptr);

  // Shows the chooser modally (or asks the hook, see below). The chosen
  // folder in Windows form, without a trailing backslash unless it is a
  // drive root; nullopt when cancelled.
  static std::optional<std::string> Choose(const FolderRequest& request, QWidget* parent);

  // When set, Choose asks this instead of showing the dialog (tests). Its
  // answer may be in Windows or host form; it is mapped and trimmed as a
  // chosen folder is.
  static std::function<std::optional<std::string>(const FolderRequest&)> hook;

  // Moves the cursor to a folder (Windows form); false when no drive covers
  // it or it does not exist.
  bool SelectFolder(const std::string& windowsPath);
  // The folder under the cursor in Windows form (empty when none).
  std::string CurrentFolder() const;
  bool OkEnabled() const;
  QString StatusText() const;

 private:
  void ShowDrive(int comboIndex);
  void CurrentChanged(const QModelIndex& index);

  FolderRequest request_;
  QLabel* title_;
  QComboBox* cbDrive_;
  QTreeView* tvFolders_;
  QLabel* lblStatus_;
  QDialogButtonBox* buttons_;
  QFileSystemModel* model_;
  std::string current_;
};

// Windows form of a chosen folder: host paths mapped through the drive map,
// the trailing backslash dropped except after a drive root ("C:\").
std::string ChosenFolderText(const std::string& path);

}  // namespace dialogs
