// TBackup: a copy of one file taken before the program changes it, so that
// the changes of a run can be thrown away by copying the file back.
//
// The copy is "vem<1-4 hex digits>.TMP" in the temporary directory
// (platform::TempDirectory), created empty and exclusively, then filled by
// platform::CopyFile. Failures raise the ExBackup family; the exceptions
// carry no text, their type is the information.
//
// Paths: the source name is kept as given (Windows form). The copy name and
// the temporary directory are HOST paths: the temporary directory need not
// lie on any mapped drive, so it has no Windows form in general.
//
// A copy whose Restore failed is the user's only way back to the file as it
// was, so the destructor keeps it on disk (CopyName() says where);
// otherwise the destructor deletes a copy still held. The destructor never
// throws. The object is neither copied nor shared; only the user-interface
// thread uses it.
#pragma once

#include <string>

namespace Backup {

struct ExBackup {};
// The temporary directory could not be obtained.
struct ExBackupNoCreateTmpPath : ExBackup {};
// No unique temporary file could be made, or the source could not be copied
// to it (the empty copy file is then held and removed at destruction).
struct ExBackupNoCreateTmpFile : ExBackup {};
// The copy could not be deleted.
struct ExBackupNoDeleteTmpFile : ExBackup {};
// The copy could not be written back over the source (or no copy is held).
struct ExBackupRestore : ExBackup {};

class TBackup {
 public:
  TBackup() = default;
  ~TBackup();
  TBackup(const TBackup&) = delete;
  TBackup& operator=(const TBackup&) = delete;

  // Copies source (Windows path) to a new temporary file and returns the
  // copy's host path. A copy already held from an earlier call is deleted
  // first (unless a Restore of it failed, then it is kept on disk and
  // forgotten). Raises ExBackupNoCreateTmpPath or ExBackupNoCreateTmpFile.
  std::string MakeBackup(const std::string& source);

  // The source path stored by the last MakeBackup.
  const std::string& SourceName() const { return source_; }

  // Writes the copy back over the source and deletes the copy; the object
  // then holds no copy. Raises ExBackupRestore (the source is as the run
  // left it, the copy is still held and will be kept on disk) or
  // ExBackupNoDeleteTmpFile (the source is restored; the copy is still
  // held and the destructor deletes it).
  void Restore();

  // The host path of the copy held, or empty when none is held.
  const std::string& CopyName() const { return copy_; }
  // The temporary directory of the last MakeBackup (host path, trailing "/").
  const std::string& TempDir() const { return tempDir_; }
  // True after a Restore failed to write the copy back: the copy is then
  // never deleted by this object.
  bool RestoreFailed() const { return restoreFailed_; }

 private:
  std::string source_;
  std::string copy_;
  std::string tempDir_;
  bool restoreFailed_ = false;
};

}  // namespace Backup
