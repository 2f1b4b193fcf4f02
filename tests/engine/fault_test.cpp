// The n-th write, flush or rename of a post, a pack or an ALTER fails: the
// operation reports it, and the table on disk is still whole, holding
// either the old or the new content, with no temporary file left behind.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "engine/table.h"
#include "engine_test_util.h"

namespace {

using engine_test::FaultInjectionEnv;
using engine_test::OpenTable;
using engine_test::Rows;
using engine_test::TempDir;
using engine_test::WriteAll;

struct FaultCase {
  const char* name;
  // Runs the operation on the table at `path`; its Status is checked.
  std::function<engine::Status(const std::filesystem::path& path)> run;
};

std::set<std::string> DirNames(const std::filesystem::path& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    names.insert(e.path().filename().string());
  }
  return names;
}

std::vector<std::string> Content(const std::filesystem::path& path) {
  auto t = OpenTable(path);
  if (!t) return {"<does not open>"};
  std::vector<std::string> out;
  for (const auto& f : t->Fields()) out.push_back(f.name);
  for (const std::string& r : Rows(*t, {"VID", "NAIM", "BAZ_"})) out.push_back(r);
  return out;
}

class FaultTest : public ::testing::TestWithParam<std::tuple<FaultCase, FaultInjectionEnv::Op>> {};

TEST_P(FaultTest, FailureLeavesTheTableWhole) {
  const auto& [fc, op] = GetParam();
  int failures = 0;
  for (int n = 1; n < 40; ++n) {
    TempDir dir;
    auto path = dir / "INSTAL.DBF";
    engine_test::DbfSpec spec = engine_test::InstalSpec();
    spec.rows[1].deleted = true;
    WriteAll(path, engine_test::MakeDbf(spec));
    {
      auto t = OpenTable(path, true);
      ASSERT_TRUE(t);
      engine::TagDef d;
      d.name = "Naim";
      d.expression = "NAIM";
      ASSERT_TRUE(t->AddTag(d).ok());
    }
    const auto before = Content(path);
    const auto names = DirNames(dir.path());

    // The expected new content: the same operation without faults.
    TempDir ref;
    std::filesystem::copy(dir.path(), ref.path(), std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(fc.run(ref / "INSTAL.DBF").ok());
    const auto after = Content(ref / "INSTAL.DBF");

    FaultInjectionEnv env;
    engine::Status st;
    {
      engine_test::ScopedEnv scoped(&env);
      env.Arm(op, n);
      st = fc.run(path);
      env.Disarm();
    }
    if (!env.fired()) {
      EXPECT_TRUE(st.ok()) << st.ToString();
      break;
    }
    ++failures;
    EXPECT_FALSE(st.ok()) << "fault " << n << " was reported as success";
    auto now = Content(path);
    EXPECT_TRUE(now == before || now == after) << "fault " << n << ": " << ::testing::PrintToString(now);
    for (const std::string& name : DirNames(dir.path())) {
      EXPECT_TRUE(names.count(name)) << "fault " << n << " left " << name;
    }
  }
  EXPECT_GT(failures, 0);
}

engine::Status PostRow(const std::filesystem::path& path) {
  auto t = OpenTable(path);
  if (!t) return engine::Status::IoError("open failed");
  t->Append();
  if (auto st = t->SetString("NAIM", "New row"); !st.ok()) return st;
  return t->Post();
}

engine::Status EditRow(const std::filesystem::path& path) {
  auto t = OpenTable(path);
  if (!t) return engine::Status::IoError("open failed");
  if (!t->First() || !t->Edit()) return engine::Status::IoError("no row");
  if (auto st = t->SetString("BAZ_", "EDIT"); !st.ok()) return st;
  return t->Post();
}

engine::Status PackIt(const std::filesystem::path& p) { return engine::PackTable(p.string()); }

engine::Status AlterIt(const std::filesystem::path& p) {
  return engine::ExecuteSql("ALTER TABLE '" + p.string() + "' DROP BAZ_, ADD BAZ_ CHAR(6)");
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<FaultCase, FaultInjectionEnv::Op>>& info) {
  static const char* ops[] = {"Write", "Sync", "Rename"};
  return std::string(std::get<0>(info.param).name) + ops[int(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(
    Operations, FaultTest,
    ::testing::Combine(::testing::Values(FaultCase{"Append", PostRow},
                                         FaultCase{"Edit", EditRow}, FaultCase{"Pack", PackIt},
                                         FaultCase{"Alter", AlterIt}),
                       ::testing::Values(FaultInjectionEnv::Op::kWrite,
                                         FaultInjectionEnv::Op::kSync,
                                         FaultInjectionEnv::Op::kRename)),
    CaseName);

// Inside a batch the rows are flushed once, at its end, and a flush that
// fails there is reported by EndBatch rather than lost.
TEST(BatchFlush, OneFlushPerWalkAndItsFailureIsReported) {
  for (bool fail : {false, true}) {
    SCOPED_TRACE(fail ? "flush fails" : "flush works");
    TempDir dir;
    auto path = dir / "INSTAL.DBF";
    WriteAll(path, engine_test::MakeDbf(engine_test::InstalSpec()));
    FaultInjectionEnv env;
    engine_test::ScopedEnv scoped(&env);
    auto t = OpenTable(path);
    ASSERT_TRUE(t);
    env.Arm(FaultInjectionEnv::Op::kSync, fail ? 1 : 1000);
    t->BeginBatch();
    int edited = 0;
    for (bool more = t->First(); more; more = t->Next()) {
      ASSERT_TRUE(t->Edit());
      ASSERT_TRUE(t->SetString("BAZ_", "W").ok());
      ASSERT_TRUE(t->Post().ok()) << "a row's own write does not wait for the flush";
      ++edited;
    }
    ASSERT_GT(edited, 1);
    EXPECT_EQ(env.syncs(), 0) << "no flush before the batch ends";
    const engine::Status st = t->EndBatch();
    EXPECT_EQ(env.syncs(), 1);
    EXPECT_EQ(st.ok(), !fail) << st.ToString();
  }
}

}  // namespace
