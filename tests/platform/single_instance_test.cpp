// The one-copy guard between processes, and what it does with whatever
// else may sit at the lock path.
#include "platform/single_instance.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/temp_package.h"
#include "env_guard.h"

namespace {
namespace fs = std::filesystem;
using platform::SingleInstance;
using Result = SingleInstance::Result;

constexpr const char* kName = "VODIZORI_M";

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    runtime_ = pkg_.root() / "run";
    fs::create_directories(runtime_);
    env_.Set("XDG_RUNTIME_DIR", runtime_.native());
  }
  fs::path LockPath() const { return runtime_ / (std::string(kName) + ".lock"); }

  testing_support::TempPackage pkg_;
  platform_test::EnvGuard env_;
  fs::path runtime_;
};

// A child process that takes the lock, reports its result on a pipe and
// holds the lock until told to go (its end of the other pipe closes).
class Holder {
 public:
  Holder() {
    int up[2], down[2];
    if (::pipe(up) != 0 || ::pipe(down) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(up[0]);
      ::close(down[1]);
      SingleInstance guard(kName);
      char r = static_cast<char>(guard.result());
      if (::write(up[1], &r, 1) != 1) ::_exit(2);
      char c;
      while (::read(down[0], &c, 1) > 0) {
      }
      ::_exit(0);
    }
    ::close(up[1]);
    ::close(down[0]);
    release_ = down[1];
    char r;
    if (pid_ > 0 && ::read(up[0], &r, 1) == 1) result_ = static_cast<Result>(r);
    ::close(up[0]);
  }
  ~Holder() { Release(); }
  bool started() const { return result_.has_value(); }
  Result result() const { return *result_; }
  void Release() {
    if (release_ >= 0) ::close(release_);
    release_ = -1;
    Wait();
  }
  void Kill() {
    if (pid_ > 0) ::kill(pid_, SIGKILL);
    Wait();
  }

 private:
  void Wait() {
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  pid_t pid_ = -1;
  int release_ = -1;
  std::optional<Result> result_;
};

TEST_F(SingleInstanceTest, SecondProcessIsRefusedUntilTheFirstEnds) {
  Holder first;
  ASSERT_TRUE(first.started());
  ASSERT_EQ(first.result(), Result::kAcquired);
  {
    SingleInstance second(kName);
    EXPECT_EQ(second.result(), Result::kAlreadyRunning);
    EXPECT_EQ(second.path(), LockPath().native());
  }
  first.Release();
  SingleInstance third(kName);
  EXPECT_EQ(third.result(), Result::kAcquired);
}

TEST_F(SingleInstanceTest, LockDiesWithAKilledHolder) {
  Holder first;
  ASSERT_TRUE(first.started());
  ASSERT_EQ(first.result(), Result::kAcquired);
  first.Kill();
  SingleInstance next(kName);
  EXPECT_EQ(next.result(), Result::kAcquired);
}

TEST_F(SingleInstanceTest, HeldInThisProcessRefusesAChild) {
  SingleInstance mine(kName);
  ASSERT_EQ(mine.result(), Result::kAcquired);
  Holder child;
  ASSERT_TRUE(child.started());
  EXPECT_EQ(child.result(), Result::kAlreadyRunning);
}

TEST_F(SingleInstanceTest, DirectoryAtThePathIsWrongObject) {
  fs::create_directories(LockPath());
  SingleInstance guard(kName);
  EXPECT_EQ(guard.result(), Result::kWrongObject);
}

TEST_F(SingleInstanceTest, SymlinkAtThePathIsNotFollowed) {
  const fs::path victim = pkg_.root() / "victim";
  std::ofstream(victim) << "keep";
  fs::permissions(victim, fs::perms(0644));
  fs::create_symlink(victim, LockPath());
  {
    SingleInstance guard(kName);
    EXPECT_EQ(guard.result(), Result::kWrongObject);
  }
  EXPECT_EQ(fs::file_size(victim), 4u);

  // A dangling link must not create its target either.
  fs::remove(LockPath());
  fs::create_symlink(pkg_.root() / "created", LockPath());
  SingleInstance guard(kName);
  EXPECT_EQ(guard.result(), Result::kWrongObject);
  EXPECT_FALSE(fs::exists(pkg_.root() / "created"));
}

TEST_F(SingleInstanceTest, FifoAtThePathIsWrongObject) {
  ASSERT_EQ(::mkfifo(LockPath().c_str(), 0600), 0);
  SingleInstance guard(kName);  // must not hang on the fifo
  EXPECT_EQ(guard.result(), Result::kWrongObject);
}

TEST_F(SingleInstanceTest, LockFileIsPrivateAndNameCannotLeaveTheFolder) {
  {
    SingleInstance guard(kName);
    ASSERT_EQ(guard.result(), Result::kAcquired);
    struct stat st;
    ASSERT_EQ(::stat(guard.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
  }
  SingleInstance odd("../Global\\x");
  EXPECT_EQ(odd.result(), Result::kAcquired);
  EXPECT_EQ(fs::path(odd.path()).parent_path(), runtime_);
}

TEST_F(SingleInstanceTest, WithoutRuntimeDirUsesTempDirWithUserId) {
  env_.Unset("XDG_RUNTIME_DIR");
  env_.Set("TMPDIR", pkg_.root().native());
  SingleInstance guard(kName);
  EXPECT_EQ(guard.result(), Result::kAcquired);
  EXPECT_EQ(guard.path(),
            (pkg_.root() / (std::string(kName) + "-" + std::to_string(::geteuid()) + ".lock")).native());
}

}  // namespace
