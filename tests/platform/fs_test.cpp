// File facilities over Windows paths: existence, copy, rename, attributes,
// reads, the temporary directory and unique temporary files.
#include "platform/fs.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "common/temp_package.h"
#include "env_guard.h"

namespace {
namespace fs = std::filesystem;
using testing_support::TempPackage;

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

mode_t Mode(const fs::path& p) {
  struct stat st;
  EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
  return st.st_mode & 07777;
}

// Every entry of a folder, to see that no temporary sibling was left.
std::set<std::string> Entries(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().native());
  return names;
}

class FsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pkg_.WriteFile("C:\\VEM\\SM_R\\INSTAL.DBF", std::string("new\0data", 8));
    pkg_.WriteFile("C:\\VEM\\SM_R\\OLD.DBF", "old contents");
  }
  fs::path H(std::string_view win) { return pkg_.Host(win); }
  TempPackage pkg_;
};

TEST_F(FsTest, ExistenceFollowsCaseInsensitiveMapping) {
  EXPECT_TRUE(platform::FileExists("C:\\vem\\sm_r\\instal.dbf"));
  EXPECT_FALSE(platform::FileExists("C:\\VEM\\SM_R"));
  EXPECT_TRUE(platform::DirectoryExists("c:\\Vem\\Sm_R\\"));
  EXPECT_FALSE(platform::DirectoryExists("C:\\VEM\\SM_R\\INSTAL.DBF"));
  EXPECT_FALSE(platform::FileExists("Q:\\VEM\\SM_R\\INSTAL.DBF"));  // unknown drive
  EXPECT_FALSE(platform::FileExists("VEM\\SM_R\\INSTAL.DBF"));      // relative
  EXPECT_TRUE(platform::FileExists(H("C:\\VEM\\SM_R\\INSTAL.DBF").native()));  // host form
}

TEST_F(FsTest, CopyReplacesContentAndPermissionsLeavingNoTemporary) {
  fs::permissions(H("C:\\VEM\\SM_R\\INSTAL.DBF"), fs::perms(0640));
  ASSERT_TRUE(platform::CopyFile("C:\\VEM\\SM_R\\instal.dbf", "C:\\VEM\\SM_R\\OLD.DBF"));
  EXPECT_EQ(Slurp(H("C:\\VEM\\SM_R\\OLD.DBF")), std::string("new\0data", 8));
  EXPECT_EQ(Mode(H("C:\\VEM\\SM_R\\OLD.DBF")), 0640u);
  EXPECT_EQ(Entries(H("C:\\VEM\\SM_R")), (std::set<std::string>{"INSTAL.DBF", "OLD.DBF"}));

  ASSERT_TRUE(platform::CopyFile("C:\\VEM\\SM_R\\INSTAL.DBF", "C:\\VEM\\NEW.DBF"));
  EXPECT_EQ(Slurp(H("C:\\VEM\\NEW.DBF")), std::string("new\0data", 8));
  // Onto itself: content unchanged.
  ASSERT_TRUE(platform::CopyFile("C:\\VEM\\NEW.DBF", "C:\\VEM\\new.dbf"));
  EXPECT_EQ(Slurp(H("C:\\VEM\\NEW.DBF")), std::string("new\0data", 8));
}

TEST_F(FsTest, CopyRefusalsLeaveTargetWhole) {
  const fs::path old = H("C:\\VEM\\SM_R\\OLD.DBF");
  EXPECT_FALSE(platform::CopyFile("C:\\VEM\\MISSING.DBF", "C:\\VEM\\SM_R\\OLD.DBF"));
  EXPECT_FALSE(platform::CopyFile("C:\\VEM\\SM_R", "C:\\VEM\\SM_R\\OLD.DBF"));  // a directory
  EXPECT_FALSE(platform::CopyFile("C:\\VEM\\SM_R\\INSTAL.DBF", "C:\\VEM\\SM_R"));
  EXPECT_FALSE(platform::CopyFile("C:\\VEM\\SM_R\\INSTAL.DBF", "C:\\NOFOLDER\\X.DBF"));
  ASSERT_TRUE(platform::SetReadOnly("C:\\VEM\\SM_R\\OLD.DBF", true));
  EXPECT_FALSE(platform::CopyFile("C:\\VEM\\SM_R\\INSTAL.DBF", "C:\\VEM\\SM_R\\OLD.DBF"));
  EXPECT_EQ(Slurp(old), "old contents");
  EXPECT_EQ(Entries(H("C:\\VEM\\SM_R")), (std::set<std::string>{"INSTAL.DBF", "OLD.DBF"}));
}

// A write that fails half-way (here: the file size limit) must not have
// touched the old target, and the partial temporary must be gone.
TEST_F(FsTest, CopyFailingMidWayLeavesTargetWhole) {
  const std::string big(256 * 1024, 'B');
  pkg_.WriteFile("C:\\VEM\\BIG.DBF", big);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {64 * 1024, 64 * 1024};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    bool copied = platform::CopyFile("C:\\VEM\\BIG.DBF", "C:\\VEM\\SM_R\\OLD.DBF");
    ::_exit(copied ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the copy claimed success";
  EXPECT_EQ(Slurp(H("C:\\VEM\\SM_R\\OLD.DBF")), "old contents");
  EXPECT_EQ(Entries(H("C:\\VEM\\SM_R")), (std::set<std::string>{"INSTAL.DBF", "OLD.DBF"}));
}

TEST_F(FsTest, CopyOntoSymlinkReplacesItsTarget) {
  fs::create_symlink(H("C:\\VEM\\SM_R\\OLD.DBF"), H("C:\\VEM\\LINK.DBF"));
  ASSERT_TRUE(platform::CopyFile("C:\\VEM\\SM_R\\INSTAL.DBF", "C:\\VEM\\LINK.DBF"));
  EXPECT_TRUE(fs::is_symlink(H("C:\\VEM\\LINK.DBF")));
  EXPECT_EQ(Slurp(H("C:\\VEM\\SM_R\\OLD.DBF")), std::string("new\0data", 8));
}

TEST_F(FsTest, RenameNeverReplacesReplaceDoes) {
  EXPECT_FALSE(platform::RenameFile("C:\\VEM\\SM_R\\INSTAL.DBF", "C:\\VEM\\SM_R\\OLD.DBF"));
  EXPECT_EQ(Slurp(H("C:\\VEM\\SM_R\\OLD.DBF")), "old contents");
  ASSERT_TRUE(platform::RenameFile("C:\\VEM\\SM_R\\OLD.DBF", "C:\\VEM\\SM_R\\RENAMED.DBF"));
  EXPECT_EQ(Slurp(H("C:\\VEM\\SM_R\\RENAMED.DBF")), "old contents");
  EXPECT_FALSE(platform::FileExists("C:\\VEM\\SM_R\\OLD.DBF"));

  ASSERT_TRUE(platform::ReplaceFile("C:\\VEM\\SM_R\\RENAMED.DBF", "C:\\VEM\\SM_R\\instal.dbf"));
  EXPECT_EQ(Slurp(H("C:\\VEM\\SM_R\\INSTAL.DBF")), "old contents");
  EXPECT_EQ(Entries(H("C:\\VEM\\SM_R")), (std::set<std::string>{"INSTAL.DBF"}));
  EXPECT_FALSE(platform::ReplaceFile("C:\\VEM\\SM_R\\GONE.DBF", "C:\\VEM\\SM_R\\INSTAL.DBF"));
}

TEST_F(FsTest, DeleteRemovesFilesOnly) {
  EXPECT_FALSE(platform::DeleteFile("C:\\VEM\\SM_R"));
  EXPECT_TRUE(fs::is_directory(H("C:\\VEM\\SM_R")));
  EXPECT_TRUE(platform::DeleteFile("C:\\VEM\\SM_R\\old.dbf"));
  EXPECT_FALSE(fs::exists(H("C:\\VEM\\SM_R\\OLD.DBF")));
  EXPECT_FALSE(platform::DeleteFile("C:\\VEM\\SM_R\\OLD.DBF"));
}

TEST_F(FsTest, ReadOnlyIsTheOwnerWriteBitOnly) {
  const fs::path p = H("C:\\VEM\\SM_R\\OLD.DBF");
  fs::permissions(p, fs::perms(0664));
  EXPECT_FALSE(platform::IsReadOnly("C:\\VEM\\SM_R\\OLD.DBF"));
  ASSERT_TRUE(platform::SetReadOnly("C:\\VEM\\SM_R\\old.dbf", true));
  EXPECT_EQ(Mode(p), 0464u);
  EXPECT_TRUE(platform::IsReadOnly("C:\\VEM\\SM_R\\OLD.DBF"));
  ASSERT_TRUE(platform::SetReadOnly("C:\\VEM\\SM_R\\OLD.DBF", false));
  EXPECT_EQ(Mode(p), 0664u);
  EXPECT_FALSE(platform::IsReadOnly("C:\\VEM\\MISSING"));
  EXPECT_FALSE(platform::SetReadOnly("C:\\VEM\\MISSING", true));
}

TEST_F(FsTest, ReadFileBytesReadsWholeFilesAndRefusesOthers) {
  EXPECT_EQ(platform::ReadFileBytes("C:\\VEM\\SM_R\\INSTAL.DBF"), std::string("new\0data", 8));
  pkg_.WriteFile("C:\\VEM\\EMPTY", "");
  EXPECT_EQ(platform::ReadFileBytes("C:\\VEM\\EMPTY"), std::string());
  EXPECT_FALSE(platform::ReadFileBytes("C:\\VEM\\MISSING"));
  EXPECT_FALSE(platform::ReadFileBytes("C:\\VEM\\SM_R"));
  // A fifo would block a plain open until a writer comes.
  ASSERT_EQ(::mkfifo(H("C:\\VEM\\FIFO").c_str(), 0600), 0);
  EXPECT_FALSE(platform::ReadFileBytes("C:\\VEM\\FIFO"));
}

TEST_F(FsTest, LastWriteTimeOfMappedFile) {
  const auto when = fs::file_time_type::clock::now() - std::chrono::hours(48);
  fs::last_write_time(H("C:\\VEM\\SM_R\\OLD.DBF"), when);
  auto t = platform::LastWriteTime("C:\\vem\\sm_r\\old.dbf");
  ASSERT_TRUE(t);
  EXPECT_LT(std::chrono::abs(*t - when), std::chrono::seconds(1));
  EXPECT_FALSE(platform::LastWriteTime("C:\\VEM\\MISSING"));
}

TEST(TempDirectoryTest, FromTmpdirElseTmpWithTrailingSlash) {
  TempPackage pkg;
  platform_test::EnvGuard env;
  env.Set("TMPDIR", pkg.root().native());
  EXPECT_EQ(platform::TempDirectory(), fs::path(pkg.root().native() + "/"));
  env.Set("TMPDIR", pkg.root().native() + "/");
  EXPECT_EQ(platform::TempDirectory(), fs::path(pkg.root().native() + "/"));
  env.Set("TMPDIR", (pkg.root() / "missing").native());
  EXPECT_FALSE(platform::TempDirectory());
  env.Unset("TMPDIR");
  EXPECT_EQ(platform::TempDirectory(), fs::path("/tmp/"));
}

TEST(MakeUniqueTempFileTest, DistinctEmptyOwnerOnlyFiles) {
  TempPackage pkg;
  const mode_t oldMask = ::umask(0);  // a lax umask must not widen the mode
  std::set<std::string> names;
  const std::regex pattern("vem[0-9A-F]{1,4}\\.TMP");
  for (int i = 0; i < 200; ++i) {
    auto p = platform::MakeUniqueTempFile(pkg.root(), "vem");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->parent_path(), pkg.root());
    const std::string name = p->filename().native();
    EXPECT_TRUE(std::regex_match(name, pattern)) << name;
    EXPECT_NE(name, "vem0.TMP");
    EXPECT_EQ(Mode(*p), 0600u);
    EXPECT_EQ(fs::file_size(*p), 0u);
    names.insert(name);
  }
  ::umask(oldMask);
  EXPECT_EQ(names.size(), 200u);
}

TEST(MakeUniqueTempFileTest, FailsWithoutUsableFolderOrPrefix) {
  TempPackage pkg;
  EXPECT_FALSE(platform::MakeUniqueTempFile(pkg.root() / "missing", "vem"));
  EXPECT_FALSE(platform::MakeUniqueTempFile(pkg.root(), "../vem"));
  EXPECT_FALSE(platform::MakeUniqueTempFile(pkg.root(), std::string_view("v\0m", 3)));
  EXPECT_TRUE(fs::is_empty(pkg.root() / "drive_c"));
}

TEST(ExecutablePathTest, NamesThisTestProgram) {
  EXPECT_EQ(platform::ExecutablePath().filename(), "platform_tests");
  EXPECT_EQ(platform::ExecutableDirectory().native(),
            platform::ExecutablePath().parent_path().native() + "/");
}

}  // namespace
