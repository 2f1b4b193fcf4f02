// Shared and exclusive holders of one table conflict at once, within one
// process (two table objects) and across processes.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "engine/table.h"
#include "engine_test_util.h"

namespace {

using platform::ErrorCode;

class LockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_ / "INSTAL.DBF";
    engine_test::WriteAll(path_, engine_test::MakeDbf(engine_test::InstalSpec()));
  }
  engine::Status Open(engine::Table& t, bool exclusive) {
    t.SetDatabaseName(dir_.path().string());
    t.SetTableName("INSTAL.DBF");
    t.SetExclusive(exclusive);
    return t.Open();
  }
  std::string Alter() const { return "ALTER TABLE '" + path_.string() + "' ADD X CHAR(1)"; }
  engine_test::TempDir dir_;
  std::filesystem::path path_;
};

TEST_F(LockTest, HoldersInOneProcess) {
  struct Case {
    const char* name;
    bool firstExclusive;
    bool secondExclusive;
    ErrorCode second;
  };
  for (const Case& c : {Case{"SharedShared", false, false, ErrorCode::kOk},
                        Case{"SharedExclusive", false, true, ErrorCode::kLocked},
                        Case{"ExclusiveShared", true, false, ErrorCode::kLocked},
                        Case{"ExclusiveExclusive", true, true, ErrorCode::kLocked}}) {
    engine::Table first, second;
    ASSERT_TRUE(Open(first, c.firstExclusive).ok()) << c.name;
    EXPECT_EQ(Open(second, c.secondExclusive).code(), c.second) << c.name;
    first.Close();
    second.Close();
    EXPECT_TRUE(Open(second, c.secondExclusive).ok()) << c.name << " after close";
  }
}

TEST_F(LockTest, PackAndAlterNeedTheTableUnheld) {
  const std::string before = engine_test::ReadAll(path_);
  {
    engine::Table t;
    ASSERT_TRUE(Open(t, false).ok());
    EXPECT_EQ(engine::PackTable(path_.string()).code(), ErrorCode::kLocked);
    EXPECT_EQ(engine::ExecuteSql(Alter()).code(), ErrorCode::kLocked);
  }
  EXPECT_EQ(engine_test::ReadAll(path_), before);
  EXPECT_TRUE(engine::PackTable(path_.string()).ok());
  EXPECT_TRUE(engine::ExecuteSql(Alter()).ok());
}

TEST_F(LockTest, HolderInAnotherProcess) {
  int toChild[2], toParent[2];
  ASSERT_EQ(pipe(toChild), 0);
  ASSERT_EQ(pipe(toParent), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    engine::Table t;
    char ok = Open(t, false).ok() ? 'y' : 'n';
    (void)!write(toParent[1], &ok, 1);
    char go;
    (void)!read(toChild[0], &go, 1);
    t.Close();
    _exit(0);
  }
  char ok = 0;
  ASSERT_EQ(read(toParent[0], &ok, 1), 1);
  EXPECT_EQ(ok, 'y');
  engine::Table shared, exclusive;
  EXPECT_TRUE(Open(shared, false).ok());
  shared.Close();
  EXPECT_EQ(Open(exclusive, true).code(), ErrorCode::kLocked);
  EXPECT_EQ(engine::PackTable(path_.string()).code(), ErrorCode::kLocked);
  char go = 'g';
  ASSERT_EQ(write(toChild[1], &go, 1), 1);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(Open(exclusive, true).ok());
  for (int fd : {toChild[0], toChild[1], toParent[0], toParent[1]}) close(fd);
}

}  // namespace
