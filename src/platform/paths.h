// The mapping between the package's Windows paths ("C:\VEM\SM_R\INSTAL.DBF")
// and host paths. Everything the program stores, shows or composes stays in
// Windows form; every file-system call maps it here first.
//
// Drive letters follow Wine's convention: the symlinks "c:", "d:" ... in
// $WINEPREFIX/dosdevices, else ~/.wine/dosdevices; with neither, the one
// drive Z: mapped to "/". Backslashes (and forward slashes) separate
// components. Each component is matched without regard to letter case when
// the exact name does not exist, so "SM_R\INSTALL.app" finds INSTALL.APP.
// A component that does not exist in any case keeps the spelling given (so
// a file about to be created gets the caller's name).
//
// A path that already starts with "/" is taken as a host path as it stands.
// UNC paths (\\server\share\...), relative paths ("VEM\X", "C:X") and drive
// letters the map does not know resolve to no host file.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class DriveMap {
 public:
  DriveMap() = default;
  // Reads the symlinks of a dosdevices folder ("c:" -> target); other
  // entries are ignored. A missing folder gives an empty map.
  static DriveMap FromDosdevices(const std::filesystem::path& dosdevices);
  // $WINEPREFIX/dosdevices, else $HOME/.wine/dosdevices, else Z: -> "/".
  static DriveMap FromEnvironment();

  // Letters are kept upper-case; lower-case arguments are accepted.
  void Set(char letter, std::filesystem::path hostRoot);
  std::optional<std::filesystem::path> Root(char letter) const;
  const std::map<char, std::filesystem::path>& Drives() const { return drives_; }

 private:
  std::map<char, std::filesystem::path> drives_;
};

// The process-wide map used by every call below; starts as FromEnvironment()
// on first use. Tests and the program's start replace it.
const DriveMap& CurrentDriveMap();
void SetDriveMap(DriveMap map);

// True for "X:\..." or "X:/..." (a drive letter, a colon and a separator).
bool HasDriveRoot(std::string_view winPath);

// Windows form (or a host path starting with "/") -> host path, with the
// case-insensitive component lookup. nullopt when the path names no host
// location (UNC, relative, unknown drive, a NUL byte anywhere). ".." and
// "." components are resolved textually and never climb above the drive
// root; doubled separators collapse; a trailing separator is dropped;
// trailing dots and blanks of a name are kept. Case is folded for ASCII
// and for Cyrillic letters in UTF-8; the exact name wins, else the
// byte-wise smallest of the names that differ from it only in case. A
// host path starting with "/" is returned literally, without lookup.
std::optional<std::filesystem::path> ToHost(std::string_view winPath);

// Host path -> Windows form, backslash separated: the drive whose host root
// is the longest prefix of the (absolute, lexically normalised) path wins.
// A trailing separator is kept. nullopt when no drive covers the path.
std::optional<std::string> ToWindows(const std::filesystem::path& hostPath);

// A path as the user gave it on the command line or in a chooser: host
// form (starting with "/") is mapped to Windows form; anything else is
// returned unchanged. When no drive covers a host path it is returned as
// it stands.
std::string UserPathToWindows(const std::string& path);

// Windows path helpers that work on the text alone.
std::string ExtractFileDir(std::string_view winPath);   // "C:\A\B.DBF" -> "C:\A"
std::string ExtractFileName(std::string_view winPath);  // "C:\A\B.DBF" -> "B.DBF"
std::string ExtractFileExt(std::string_view winPath);   // "C:\A\B.DBF" -> ".DBF"
std::string ChangeFileExt(std::string_view winPath, std::string_view ext);
std::string IncludeTrailingBackslash(std::string_view winPath);
std::string ExcludeTrailingBackslash(std::string_view winPath);
std::string ExtractFileDrive(std::string_view winPath); // "C:\A" -> "C:", else ""

}  // namespace platform
