// The engine's one route to the disk. Every read, write, flush, rename and
// lock of a table or index file goes through an Env, so tests can install
// one that makes the n-th write, flush or rename fail and then check that
// the files on disk are still whole. Paths here are host paths.
#pragma once

#include <cstdint>
#include <functional>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace engine {

using platform::Status;
using platform::StatusOr;

enum class LockKind { kNone, kShared, kExclusive };

// An open file with positional reads and writes and an open-file-description
// lock (fcntl F_OFD_SETLK on the whole file). Closing releases the lock.
class RandomAccessFile {
 public:
  virtual ~RandomAccessFile() = default;
  // Reads up to n bytes at offset into out (resized to what was read).
  virtual Status ReadAt(uint64_t offset, size_t n, std::string* out) = 0;
  virtual Status WriteAt(uint64_t offset, std::string_view data) = 0;
  virtual Status Truncate(uint64_t size) = 0;
  virtual Status Sync() = 0;
  virtual StatusOr<uint64_t> Size() = 0;
  // Fails at once with kLocked when another holder conflicts; never waits.
  virtual Status Lock(LockKind kind) = 0;
};

// A new file being written from start to end (the new file of an atomic
// rewrite).
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual Status Append(std::string_view data) = 0;
  virtual Status Sync() = 0;
  virtual Status Close() = 0;
};

class Env {
 public:
  virtual ~Env() = default;
  enum class Access { kRead, kReadWrite };
  virtual StatusOr<std::unique_ptr<RandomAccessFile>> Open(const std::filesystem::path& path,
                                                           Access access) = 0;
  // Creates (truncating) a file for writing.
  virtual StatusOr<std::unique_ptr<WritableFile>> Create(const std::filesystem::path& path) = 0;
  virtual Status Rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  virtual Status Remove(const std::filesystem::path& path) = 0;
  virtual Status SyncDirectory(const std::filesystem::path& dir) = 0;
  virtual bool Exists(const std::filesystem::path& path) = 0;
  virtual StatusOr<std::string> ReadFile(const std::filesystem::path& path) = 0;
  // Names of the entries of a directory (for the letter-case-blind lookup of
  // a table's .mdx sibling). The default reads the directory directly.
  virtual StatusOr<std::vector<std::string>> ListDirectory(const std::filesystem::path& dir);

  // The process-wide POSIX Env; the default of every table.
  static Env* Default();
};

// The engine's current Env (Env::Default() unless a test replaced it).
Env* CurrentEnv();
void SetCurrentEnv(Env* env);  // nullptr restores the default; not owned

// Writes a complete new file beside `target` (same directory, a temporary
// name), syncs it, renames it over `target` and syncs the directory. On any
// failure the temporary file is removed and `target` is untouched (a failed
// directory flush after the rename is still reported as a failure; the
// target then already holds the new content). The new file gets the
// permission bits of the old one. The writer callback appends the content.
Status WriteFileAtomically(Env* env, const std::filesystem::path& target,
                           const std::function<Status(WritableFile&)>& writer);

}  // namespace engine
