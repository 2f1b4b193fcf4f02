#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <unistd.h>

#include "support/log.h"
#include "support/singletons.h"

namespace {

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(LogTest, ClosedLogDropsEverything) {
  nsLog::TLog& log = SingleLog::Instance();
  log.SetDirectory("/nonexistent/dir");
  EXPECT_FALSE(log.IsOpen());
  EXPECT_NO_THROW(log.Write("1. start"));
  EXPECT_NO_THROW(log.Close());
  EXPECT_FALSE(log.IsOpen());
  EXPECT_TRUE(log.good());
  EXPECT_EQ(log.Directory(), "/nonexistent/dir");
}

TEST(LogTest, OpenLogWritesTimeTabTextLines) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("vem-log-test-" + std::to_string(::getpid()) + ".txt");
  std::filesystem::remove(path);
  {
    nsLog::TLog log;
    ASSERT_TRUE(log.OpenFile(path.string()));
    log.Write("первый шаг");
    log.Write("");
    // Flushed after each line: on disk before the log is closed.
    EXPECT_TRUE(std::regex_match(ReadAll(path),
                                 std::regex("\\d\\d:\\d\\d:\\d\\d\tпервый шаг\n"
                                            "\\d\\d:\\d\\d:\\d\\d\t\n")));
    log.Close();
    EXPECT_FALSE(log.IsOpen());
    log.Write("after close");
  }
  EXPECT_EQ(ReadAll(path).find("after close"), std::string::npos);
  std::filesystem::remove(path);
}

TEST(LogTest, OpenFailureLeavesTheLogClosedAndUsable) {
  nsLog::TLog log;
  EXPECT_FALSE(log.OpenFile("/nonexistent/dir/log.txt"));
  EXPECT_FALSE(log.IsOpen());
  EXPECT_TRUE(log.good());
  EXPECT_NO_THROW(log.Write("x"));
}

}  // namespace
