// File-system facilities in the package's terms. Every function takes paths
// in Windows form (or host form starting with "/") and resolves them with
// ToHost (paths.h); a path that resolves to no host file behaves as a file
// that does not exist. None of these raise; failures are results.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace platform {

bool FileExists(std::string_view path);       // a regular file (links followed)
bool DirectoryExists(std::string_view path);

// Removes a file (not a directory). The read-only attribute does not
// protect a file here; callers clear it first where the package did.
bool DeleteFile(std::string_view path);
// Copies from -> to, replacing "to" when it exists (content and the
// permission bits; "to" is written to a temporary sibling, flushed and
// renamed over, so a failure leaves the old "to" whole). A read-only "to"
// is not replaced (false), as on the package's own platform. When "to" is
// a symlink, the file it points to is replaced.
bool CopyFile(std::string_view from, std::string_view to);
// Renames from -> to; fails when "to" already exists (nothing is replaced).
bool RenameFile(std::string_view from, std::string_view to);
// Renames from -> to, atomically replacing an existing "to" (a file).
bool ReplaceFile(std::string_view from, std::string_view to);

std::optional<std::filesystem::file_time_type> LastWriteTime(std::string_view path);

// Read-only attribute = the owner's write bit.
bool IsReadOnly(std::string_view path);
bool SetReadOnly(std::string_view path, bool readOnly);

// Whole-file reads for small files (INI, INSTALL.APP); nullopt when the
// file cannot be opened or read.
std::optional<std::string> ReadFileBytes(std::string_view path);

// The temporary directory: $TMPDIR, else /tmp, as a host path with a
// trailing "/". nullopt when it does not exist.
std::optional<std::filesystem::path> TempDirectory();

// Creates a new empty file "<prefix><1 to 4 hex digits>.TMP" in dir (a host
// path), exclusively (O_EXCL) with mode 0600, and returns its host path;
// the digits are upper-case hex without leading zeros, never 0. nullopt
// when no free name could be made, dir cannot be written, or the prefix
// holds a "/" or a NUL.
std::optional<std::filesystem::path> MakeUniqueTempFile(const std::filesystem::path& dir,
                                                        std::string_view prefix);

// The running program's own file and directory (host paths), from
// /proc/self/exe; empty when it cannot be read. The directory ends with "/".
std::filesystem::path ExecutablePath();
std::filesystem::path ExecutableDirectory();

}  // namespace platform
