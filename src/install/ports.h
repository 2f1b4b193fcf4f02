// The installation layer's view of the windows above it. The data module
// and the headless start and close talk to the main window, the working
// directories dialog and the overlap dialog only through these interfaces;
// the Qt program implements them with real widgets, tests with scripted
// fakes. All texts are UTF-8 (ANSI form); paths are in the package's
// Windows form.
#pragma once

#include <string>
#include <vector>

namespace install {

// The main window's side that the data module calls.
class MainWindowPort {
 public:
  virtual ~MainWindowPort() = default;
  // The package root, e.g. "C:\VEM\" (plain concatenation forms every path).
  virtual std::string GetRootDir() const = 0;
  // True when the root came from the command line.
  virtual bool RootFromCommandLine() const = 0;
  // The window's caption, the title of several messages.
  virtual std::string Caption() const = 0;
  // Status bar: base count; sets tableChanged to `changed`.
  virtual void ShowBaseCount(int count, bool changed) = 0;
  // Status bar: the current row's identifier (ANSI form).
  virtual void ShowIdentifier(const std::string& ident) = 0;
  // The bound list is not redrawn between these (they nest).
  virtual void DisableControls() = 0;
  virtual void EnableControls() = 0;
};

// Kinds of the four working directory rows.
enum class WorkDir : char { Output = 'a', Auxiliary = 'd', Working = 'n', Archive = 'i' };

// The four directory edits of the working directories dialog.
class WorkDirEdits {
 public:
  virtual ~WorkDirEdits() = default;
  virtual void SetDirText(WorkDir dir, const std::string& text) = 0;
  virtual std::string DirText(WorkDir dir) const = 0;
  // Marks the edit green or red by the existence of the directory it shows.
  virtual void MarkByDir(WorkDir dir) = 0;
};

// One entry of the overlap dialog.
struct ErrorStruct {
  std::string Path;  // base directory, ANSI form
  std::string Name;  // base name, ANSI form
  bool Keep = false;
};

// The overlap dialog: shows the entries of one identifier; returns true
// (OK) with exactly one entry's Keep set, or false (Cancel).
class OverlapChooser {
 public:
  virtual ~OverlapChooser() = default;
  virtual bool Choose(std::vector<ErrorStruct>& entries) = 0;
};

}  // namespace install
