#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "common/temp_package.h"
#include "dbf/backup.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A package with C:\VEM\SM_R\INSTAL.DBF and its own temporary directory
// (TMPDIR), so the vem*.TMP files of one test can be counted.
class BackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TMPDIR");
    if (old) oldTmp_ = old;
    hadTmp_ = old != nullptr;
    tmp_ = package_.root() / "tmp";
    fs::create_directories(tmp_);
    setenv("TMPDIR", tmp_.c_str(), 1);
    package_.WriteFile(kSource, "original");
  }
  void TearDown() override {
    if (hadTmp_) {
      setenv("TMPDIR", oldTmp_.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
    fs::permissions(tmp_, fs::perms::owner_all, fs::perm_options::add);
  }
  std::vector<fs::path> TempFiles() const {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(tmp_)) files.push_back(e.path());
    return files;
  }
  std::string Source() { return ReadAll(package_.Host(kSource)); }

  static constexpr const char* kSource = "C:\\VEM\\SM_R\\INSTAL.DBF";
  testing_support::TempPackage package_;
  fs::path tmp_;
  std::string oldTmp_;
  bool hadTmp_ = false;
};

TEST_F(BackupTest, CopyIsVemTmpInTheTemporaryDirectory) {
  Backup::TBackup backup;
  const std::string copy = backup.MakeBackup(kSource);
  EXPECT_EQ(copy, backup.CopyName());
  EXPECT_EQ(backup.SourceName(), kSource);
  EXPECT_EQ(fs::path(copy).parent_path(), tmp_);
  const std::string name = fs::path(copy).filename().string();
  EXPECT_EQ(name.rfind("vem", 0), 0u) << name;
  EXPECT_EQ(fs::path(copy).extension(), ".TMP");
  EXPECT_EQ(ReadAll(copy), "original");
}

TEST_F(BackupTest, DestructionDeletesTheCopyAndKeepsTheSource) {
  std::string copy;
  {
    Backup::TBackup backup;
    copy = backup.MakeBackup(kSource);
    package_.WriteFile(kSource, "changed");
  }
  EXPECT_FALSE(fs::exists(copy));
  EXPECT_EQ(Source(), "changed");
}

TEST_F(BackupTest, RestorePutsTheFileBackAndDestructionDeletesNothing) {
  std::string copy;
  {
    Backup::TBackup backup;
    copy = backup.MakeBackup(kSource);
    package_.WriteFile(kSource, "changed during the run");
    backup.Restore();
    EXPECT_EQ(Source(), "original");
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_TRUE(backup.CopyName().empty());
    // A file made later under the copy's old name is not the object's.
    std::ofstream(copy) << "someone else's";
  }
  EXPECT_TRUE(fs::exists(copy));
  EXPECT_EQ(Source(), "original");
}

TEST_F(BackupTest, UnreadableSourceLeavesEmptyCopyUntilDestruction) {
  // A folder in the file's place cannot be read as a file, whoever runs
  // the test.
  const fs::path host = package_.Host(kSource);
  fs::remove(host);
  fs::create_directory(host);
  {
    Backup::TBackup backup;
    EXPECT_THROW(backup.MakeBackup(kSource), Backup::ExBackupNoCreateTmpFile);
    ASSERT_EQ(TempFiles().size(), 1u);
    EXPECT_EQ(TempFiles()[0].string(), backup.CopyName());
    EXPECT_EQ(fs::file_size(TempFiles()[0]), 0u);
  }
  EXPECT_TRUE(TempFiles().empty());
}

TEST_F(BackupTest, MissingSourceIsNoCreateTmpFile) {
  Backup::TBackup backup;
  EXPECT_THROW(backup.MakeBackup("C:\\VEM\\SM_R\\NOFILE.DBF"), Backup::ExBackupNoCreateTmpFile);
}

TEST_F(BackupTest, NoTemporaryDirectoryIsNoCreateTmpPath) {
  setenv("TMPDIR", (tmp_ / "missing").c_str(), 1);
  Backup::TBackup backup;
  EXPECT_THROW(backup.MakeBackup(kSource), Backup::ExBackupNoCreateTmpPath);
  EXPECT_TRUE(backup.CopyName().empty());
}

TEST_F(BackupTest, UnwritableTemporaryDirectoryIsNoCreateTmpFile) {
  fs::permissions(tmp_, fs::perms::owner_read | fs::perms::owner_exec);
  Backup::TBackup backup;
  if (access(tmp_.c_str(), W_OK) == 0) GTEST_SKIP() << "running with permission to write anything";
  EXPECT_THROW(backup.MakeBackup(kSource), Backup::ExBackupNoCreateTmpFile);
  EXPECT_TRUE(backup.CopyName().empty());
}

TEST_F(BackupTest, RestoreWithoutCopyIsExBackupRestoreAndChangesNothing) {
  Backup::TBackup backup;
  EXPECT_THROW(backup.Restore(), Backup::ExBackupRestore);
  EXPECT_EQ(Source(), "original");
  EXPECT_TRUE(TempFiles().empty());
}

TEST_F(BackupTest, FailedRestoreKeepsTheCopyAfterDestruction) {
  std::string copy;
  {
    Backup::TBackup backup;
    copy = backup.MakeBackup(kSource);
    package_.WriteFile(kSource, "changed");
    // The source's folder vanishes: the copy cannot be written back.
    fs::remove_all(package_.Host("C:\\VEM\\SM_R"));
    EXPECT_THROW(backup.Restore(), Backup::ExBackupRestore);
    EXPECT_EQ(backup.CopyName(), copy);
    EXPECT_TRUE(backup.RestoreFailed());
  }
  ASSERT_TRUE(fs::exists(copy)) << "the only way back was deleted";
  EXPECT_EQ(ReadAll(copy), "original");
}

TEST_F(BackupTest, RestoreMayBeRetriedAfterAFailure) {
  Backup::TBackup backup;
  const std::string copy = backup.MakeBackup(kSource);
  const fs::path dir = package_.Host("C:\\VEM\\SM_R");
  fs::rename(dir, package_.root() / "moved");
  EXPECT_THROW(backup.Restore(), Backup::ExBackupRestore);
  fs::rename(package_.root() / "moved", dir);
  package_.WriteFile(kSource, "changed");
  backup.Restore();
  EXPECT_EQ(Source(), "original");
  EXPECT_FALSE(fs::exists(copy));
}

TEST_F(BackupTest, ExceptionsShareTheFamilyBase) {
  Backup::TBackup backup;
  EXPECT_THROW(backup.Restore(), Backup::ExBackup);
}

}  // namespace
