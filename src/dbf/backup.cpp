#include "dbf/backup.h"

#include <filesystem>
#include <optional>

#include "platform/fs.h"

namespace Backup {

namespace {

// Deletes a host file; true when it is gone afterwards.
bool RemoveHostFile(const std::string& hostPath) {
  return platform::DeleteFile(hostPath) || !platform::FileExists(hostPath);
}

}  // namespace

TBackup::~TBackup() {
  // A copy that could not be written back is kept: it holds the file as it
  // was before the run. A failed deletion leaves the file behind silently.
  if (!copy_.empty() && !restoreFailed_) {
    try {
      RemoveHostFile(copy_);
    } catch (...) {
    }
  }
}

std::string TBackup::MakeBackup(const std::string& source) {
  if (!copy_.empty() && !restoreFailed_) RemoveHostFile(copy_);
  copy_.clear();
  restoreFailed_ = false;

  source_ = source;
  const std::optional<std::filesystem::path> dir = platform::TempDirectory();
  if (!dir) throw ExBackupNoCreateTmpPath();
  tempDir_ = dir->string();
  if (tempDir_.empty() || tempDir_.back() != '/') tempDir_ += '/';

  const std::optional<std::filesystem::path> copy = platform::MakeUniqueTempFile(*dir, "vem");
  if (!copy) throw ExBackupNoCreateTmpFile();
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(*copy, ec);
  copy_ = ec ? copy->string() : absolute.string();
  // The empty copy stays held on failure, so the destructor removes it.
  if (!platform::CopyFile(source_, copy_)) throw ExBackupNoCreateTmpFile();
  return copy_;
}

void TBackup::Restore() {
  if (copy_.empty() || !platform::CopyFile(copy_, source_)) {
    if (!copy_.empty()) restoreFailed_ = true;
    throw ExBackupRestore();
  }
  restoreFailed_ = false;
  if (!RemoveHostFile(copy_)) throw ExBackupNoDeleteTmpFile();
  copy_.clear();
}

}  // namespace Backup
