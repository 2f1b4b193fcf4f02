// The directory edit with its validity mark, and the path routines that the
// base parameters and working directories dialogs apply to it. Texts are
// UTF-8 in the package's Windows form; existence is checked through
// platform/fs.h, so "C:\..." resolves through the drive map.
#pragma once

#include <QLineEdit>
#include <string>

namespace dialogs {

// A line edit that shows whether the directory in it is valid by its text
// colour: unmarked (the normal colour, which counts as not invalid), valid
// (green) or invalid (red). It also reports when the user leaves it for
// another control of the same window (exited); a focus loss because
// another window or a popup took the focus is not leaving it.
class FolderEdit : public QLineEdit {
  Q_OBJECT
 public:
  enum class Mark { None, Valid, Invalid };

  explicit FolderEdit(QWidget* parent = nullptr);

  Mark GetMark() const { return mark_; }
  void SetMark(Mark mark);
  bool IsInvalid() const { return mark_ == Mark::Invalid; }

  // The text as UTF-8, and setting it (which fires textChanged as typing
  // does).
  std::string Text() const;
  void SetText(const std::string& text);

 signals:
  void exited();

 protected:
  void focusOutEvent(QFocusEvent* event) override;

 private:
  Mark mark_ = Mark::None;
};

// A directory text that ends with exactly one backslash: one is appended
// when missing, a run of trailing backslashes is cut to one. Empty stays
// empty; a text of backslashes alone becomes "\".
std::string NormalizeSlash(const std::string& text);

// Appends a backslash unless the text ends with one; empty stays empty.
std::string AddSlash(const std::string& text);

// Valid when the directory in the edit's text holds the marker file
// (text without one trailing backslash + "\" + marker), else invalid. An
// empty text changes nothing: the edit keeps its mark.
void MarkByFile(FolderEdit& edit, const std::string& markerFile);

// Valid when the edit's text names an existing directory, else invalid (an
// empty text names none).
void MarkByDir(FolderEdit& edit);

// True when dir (with or without a trailing backslash) holds the file.
bool FolderHoldsFile(const std::string& dir, const std::string& markerFile);

}  // namespace dialogs
