// TEditAndSelectFolder: a directory edit with a small browse button at its
// right, placed on a panel that fills the frame. The owner gives the
// chooser's title and, where a kind of directory is marked by a file, a
// folder check; it reacts to the edit's textChanged (every change, typed or
// set) and exited signals, and usually replaces the button's handler with
// its own (SetSelectHandler) that starts with sbSelectFolderClick and asks
// IsSelected whether a folder was chosen.
#pragma once

#include <QFrame>
#include <QToolButton>
#include <functional>
#include <string>

#include "dialogs/folder_chooser.h"
#include "dialogs/path_routines.h"


namespace dialogs {

class TEditAndSelectFolder : public QFrame {
  Q_OBJECT
 public:
  explicit TEditAndSelectFolder(QWidget* parent = nullptr);

  QFrame* Panel1;
  FolderEdit* Edit;
  QToolButton* sbSelectFolder;

  // The folder the chooser preselects ("C:\" at first); after a successful
  // choice, the chosen folder.
  void SetFolder(const std::string& folder) { folder_ = folder; }
  const std::string& GetFolder() const { return folder_; }
  void SetCheckFolder(FolderCheck check) { check_ = std::move(check); }
  const FolderCheck& GetCheckFolder() const { return check_; }
  void SetTitle(const std::string& title) { title_ = title; }
  const std::string& GetTitle() const { return title_; }
  // Whether the last browse of this frame ended with a chosen folder.
  bool IsSelected() const { return selected_; }

  // Runs the chooser. On a choice the chosen folder (Windows form, no
  // trailing backslash unless a drive root) becomes the current folder and
  // the result is true; on cancel the current folder stays. Either way the
  // edit gets the focus and the current folder as its text.
  bool SelectFolder();

  // The button's own handler: clears the selected flag, takes the edit's
  // text as the current folder, runs SelectFolder. So a cancelled browse
  // leaves the edit's text as it was.
  void sbSelectFolderClick();

  // Replaces sbSelectFolderClick as what the button runs; an empty
  // function restores it.
  void SetSelectHandler(std::function<void()> handler) { handler_ = std::move(handler); }

  // The panel's raised inner and lowered outer bevels (on by default; the
  // dialogs switch them off).
  void SetBevels(bool on);

  // Lays out edit and button on the panel: button height = edit height + 1,
  // button width = its height, edit width = panel width - button width -
  // 10, button left = edit width + 5, edit top = (panel height - edit
  // height) / 2, button top = edit top - 1. Runs on every panel resize.
  void Panel1Resize();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::string folder_ = "C:\\";
  std::string title_;
  FolderCheck check_;
  bool selected_ = false;
  std::function<void()> handler_;
};

}  // namespace dialogs
