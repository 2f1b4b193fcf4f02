// The vem-dbf tool's output lines and exit status.
#include <gtest/gtest.h>

#include "common/strict.h"

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <algorithm>

#include "engine_test_util.h"

namespace {

std::string Tool() {
  return std::string(testing_support::BinaryDir()) + "/tools/vem-dbf";
}

std::string RunTool(const std::string& args, int* rc) {
  FILE* p = ::popen((Tool() + " " + args + " 2>&1").c_str(), "r");
  std::string out;
  char buf[4096];
  size_t n;
  while (p && (n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int status = p ? ::pclose(p) : -1;
  *rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

TEST(VemDbf, DumpTagsPackSqlAndErrors) {
  if (std::system(("test -x " + Tool()).c_str()) != 0) VEM_SKIP_UNLESS_STRICT("vem-dbf not built");
  engine_test::TempDir dir;
  engine_test::DbfSpec spec;
  spec.columns = {{"VID", 'C', 1}, {"NAIM", 'C', 8}, {"YES", 'L', 1}};
  spec.rows = {{{"b", "a\tb\\c", "T"}}, {{"a", "\xa0\xa1", "?"}, true}, {{"c", "", "F"}}};
  engine_test::WriteAll(dir / "T.DBF", engine_test::MakeDbf(spec));
  const std::string file = "'" + (dir / "T.DBF").string() + "'";
  int rc = 0;
  EXPECT_EQ(RunTool("dump " + file, &rc), " \tb\ta\\tb\\\\c\tT\n*\ta\t\xa0\xa1\t?\n \tc\t\tF\n");
  EXPECT_EQ(rc, 0);
  std::string oem = RunTool("dump --oem " + file, &rc);
  EXPECT_EQ(oem.substr(oem.find('\n') + 1), "*\ta\tаб\t?\n \tc\t\tF\n");
  RunTool("reindex " + file + " Vid=VID Naim=NAIM", &rc);
  ASSERT_EQ(rc, 0);
  std::string tags = RunTool("tags " + file, &rc);
  EXPECT_EQ(tags.substr(0, tags.find("TAG NAIM")), "TAG VID VID\na\t2\nb\t1\nc\t3\n");
  RunTool("pack " + file, &rc);
  EXPECT_EQ(rc, 0);
  RunTool("sql \"ALTER TABLE " + file + " ADD X CHAR(2)\"", &rc);
  EXPECT_EQ(rc, 0);
  std::string info = RunTool("info " + file, &rc);
  EXPECT_NE(info.find("COLUMN\tX\tC\t2\t0\n"), std::string::npos) << info;
  EXPECT_NE(info.find("records\t2\n"), std::string::npos) << info;
  std::string err = RunTool("dump '" + (dir / "NOSUCH.DBF").string() + "'", &rc);
  EXPECT_EQ(rc, 2);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
  RunTool("frobnicate", &rc);
  EXPECT_EQ(rc, 2);
}

}  // namespace
