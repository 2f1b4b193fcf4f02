#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <unistd.h>

#include "support/singletons.h"

namespace {

// Runs after the holder's object was destroyed when registered before its
// first use (atexit handlers run in reverse order).
template <typename Holder>
void UseAfterDestruction() {
  try {
    Holder::Instance();
  } catch (const std::logic_error& e) {
    _exit(std::string(e.what()) == "Dead Reference Detected" ? 42 : 43);
  }
  _exit(44);
}

template <typename Holder>
void ExitAfterFirstUse() {
  std::atexit(&UseAfterDestruction<Holder>);
  Holder::Instance();
  std::exit(0);
}

class SingletonTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(SingletonTest, OneInstancePerProcess) {
  EXPECT_EQ(&SingleString::Instance(), &SingleString::Instance());
  EXPECT_EQ(&SingleIniFile::Instance(), &SingleIniFile::Instance());
  EXPECT_EQ(SingleIniFile::Instance().Description(), "Класс: WIniFile");
}

TEST_F(SingletonTest, LogUseAfterDestructionIsDeadReference) {
  EXPECT_EXIT(ExitAfterFirstUse<SingleLog>(), ::testing::ExitedWithCode(42), "");
}

TEST_F(SingletonTest, IniFileUseAfterDestructionIsDeadReference) {
  EXPECT_EXIT(ExitAfterFirstUse<SingleIniFile>(), ::testing::ExitedWithCode(42), "");
}

TEST_F(SingletonTest, StringUseAfterDestructionIsDeadReference) {
  EXPECT_EXIT(ExitAfterFirstUse<SingleString>(), ::testing::ExitedWithCode(42), "");
}

}  // namespace
