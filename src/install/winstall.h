// WInstall: moves the drive of the stored directories of a portable
// installation onto the drive the program runs from.
//
// The table it rewrites is SM_R\instal.dbf below the parent of the
// program's directory (a program in E:\VEM\BIN\ relocates
// E:\VEM\SM_R\instal.dbf), opened into a table reference of its own with
// the one tag NAIM_IND (key NAIM). It is not the data module's table: the
// relocation runs before the start-up backup and before the data module
// opens anything, so the answer No at close does not undo it.
//
// Lifetime: constructed (which opens the file), ChangeDrive, destroyed
// (which closes it). A missing file shows "Не найден файл: <path>!" with
// the description as title; a file that cannot be opened shows the file
// service's messages; in both cases ChangeDrive does nothing. A post that
// the table layer refuses raises engine::EngineError.
#pragma once

#include <string>

#include "dbf/wdbffile.h"

namespace install {

class WInstall {
 public:
  // programDir: the directory of the running program's file in Windows
  // form, with its trailing backslash.
  explicit WInstall(const std::string& programDir);
  ~WInstall();
  WInstall(const WInstall&) = delete;
  WInstall& operator=(const WInstall&) = delete;

  // Opens <parent of programDir>SM_R\instal.dbf; true when it is open.
  bool OpenInstalFile(const std::string& programDir);
  // For the kinds a, d, n, i and b: every directory that begins with a
  // drive letter and a colon gets `drive` (e.g. "E:") in their place.
  // Relative and network paths, other kinds and other columns stay.
  void ChangeDrive(const std::string& drive);
  void CloseInstalFile();

  const std::string& Description() const { return description_; }
  bool IsOpen() const { return table_ != nullptr; }
  // The file the relocation works on (set by OpenInstalFile).
  const std::string& FileName() const { return fileName_; }

 private:
  std::string description_;
  std::string fileName_;
  TableRef table_;
};

// The parent of a directory with a trailing backslash, with its own
// trailing backslash: "E:\VEM\BIN\" -> "E:\VEM\"; "E:\VEM\" -> "E:\".
std::string ParentDirectory(const std::string& dirWithBackslash);

}  // namespace install
