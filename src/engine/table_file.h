// Whole-table file operations shared by the table object, packing and the
// local SQL: opening a .DBF with its lock, reading it, and committing a
// rewritten table (new file beside the old one, renamed over it) together
// with its production index.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "engine/dbf_format.h"
#include "engine/env.h"

namespace engine::tablefile {

struct LockedFile {
  std::unique_ptr<RandomAccessFile> file;
  bool writable = false;
};

// Opens a table file and takes the lock (kLocked at once on a conflict).
// Read-write when possible; `requireWrite` makes a read-only file an error.
platform::StatusOr<LockedFile> OpenLocked(Env* env, const std::filesystem::path& path,
                                          LockKind lock, bool requireWrite,
                                          const std::string& name);

// Reads and parses the whole file.
platform::StatusOr<dbf::TableData> Read(RandomAccessFile& file, const std::string& name);

// Replaces the table file with `rewritten` (its header date is set to
// today). When the old table claims a production index that exists, its
// tags are rebuilt for the new layout and rows (tags whose columns are gone
// are dropped; with none left the claim is cleared and the .mdx removed);
// when the claim points at a missing or unreadable file, the claim is
// cleared. The caller holds the exclusive lock on the old file meanwhile.
// `replaced` tells whether the table file was replaced (also on failure).
platform::Status Commit(Env* env, const std::filesystem::path& path, const dbf::TableData& old,
                        dbf::TableData rewritten, const std::string& name,
                        bool* replaced = nullptr);

// Resolves a table path in Windows or host form. kNotFound when it names
// no host location.
platform::StatusOr<std::filesystem::path> ResolvePath(std::string_view path);

}  // namespace engine::tablefile
