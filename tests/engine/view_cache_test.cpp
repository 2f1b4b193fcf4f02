// The cached view after posts: a post keeps the cached view where the row's
// place in the view cannot have changed, and rebuilds it otherwise. After
// every case the view must equal the one a freshly opened table builds from
// the same file, tag and filter.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine_test_util.h"

namespace engine_test {
namespace {

struct ViewCase {
  const char* name;
  const char* tag;     // active tag, "" for natural order
  const char* filter;  // filter text, "" for none
  bool predicate;      // filter by a predicate (BAZ_ not "DROP") instead
  std::function<void(engine::Table&)> action;
};

void EditAt(engine::Table& t, size_t pos, const char* column, const char* value) {
  ASSERT_TRUE(t.MoveTo(pos));
  ASSERT_TRUE(t.Edit());
  ASSERT_TRUE(t.SetString(column, value).ok());
  ASSERT_TRUE(t.Post().ok());
}

void AppendRow(engine::Table& t, const char* vid, const char* naim) {
  t.Append();
  ASSERT_TRUE(t.SetString("VID", vid).ok());
  ASSERT_TRUE(t.SetString("NAIM", naim).ok());
  ASSERT_TRUE(t.Post().ok());
}

std::unique_ptr<engine::Table> Configure(const std::filesystem::path& path, const ViewCase& c) {
  auto t = OpenTable(path);
  if (!t) return t;
  if (*c.tag) {
    EXPECT_TRUE(t->SetActiveTag(c.tag).ok());
  }
  if (c.predicate) {
    t->SetFilterPredicate([](const engine::Table& r) { return r.GetString("BAZ_") != "DROP"; });
  } else if (*c.filter) {
    EXPECT_TRUE(t->SetFilter(c.filter).ok());
  }
  t->SetFiltered(c.predicate || *c.filter);
  return t;
}

void PrintTo(const ViewCase& c, std::ostream* os) { *os << c.name; }

class ViewCacheTest : public ::testing::TestWithParam<ViewCase> {};

TEST_P(ViewCacheTest, ViewAfterPostsEqualsAFreshlyBuiltView) {
  const ViewCase& c = GetParam();
  TempDir dir;
  const auto path = dir / "INSTAL.DBF";
  WriteAll(path, MakeDbf(InstalSpec()));
  {
    engine::Table setup;
    setup.SetTableName(path.string());
    ASSERT_TRUE(setup.AddTag({"Naim", "NAIM", engine::kExpression, "NAIM"}).ok());
  }
  auto t = Configure(path, c);
  ASSERT_TRUE(t);
  ASSERT_FALSE(Rows(*t, {"NAIM"}).empty());  // the view is cached now
  c.action(*t);
  if (HasFatalFailure()) return;

  const size_t count = t->RecordCount();
  const uint32_t current = t->RecNo();
  std::vector<bool> inView;
  for (uint32_t rec = 1; rec <= 8; ++rec) inView.push_back(t->BookmarkValid({rec}));
  auto fresh = Configure(path, c);
  ASSERT_TRUE(fresh);
  EXPECT_EQ(count, fresh->RecordCount());
  EXPECT_EQ(Rows(*t, {"VID", "NAIM", "BAZ_"}), Rows(*fresh, {"VID", "NAIM", "BAZ_"}));
  if (current != 0) {
    EXPECT_TRUE(fresh->GotoBookmark({current})) << "current row left the view";
  }
  for (uint32_t rec = 1; rec <= 8; ++rec)
    EXPECT_EQ(inView[rec - 1], fresh->BookmarkValid({rec})) << "record " << rec;
}

// Edits every row of the view in one walk; each row must be visited once.
void WalkEditing(engine::Table& t, const char* column) {
  const size_t count = t.RecordCount();
  size_t visited = 0;
  t.BeginBatch();
  for (bool more = t.First(); more; more = t.Next()) {
    ASSERT_TRUE(t.Edit());
    ASSERT_TRUE(t.SetString(column, "W" + std::to_string(visited)).ok());
    ASSERT_TRUE(t.Post().ok());
    ASSERT_LE(++visited, count);
  }
  ASSERT_TRUE(t.EndBatch().ok());
  EXPECT_EQ(visited, count);
}

INSTANTIATE_TEST_SUITE_P(
    Posts, ViewCacheTest,
    ::testing::Values(
        ViewCase{"WalkEditingAColumnOutsideTheFilter", "", "VID = 'b'", false,
                 [](engine::Table& t) { WalkEditing(t, "BAZ_"); }},
        ViewCase{"WalkEditingTheActiveKey", "Naim", "", false,
                 [](engine::Table& t) { WalkEditing(t, "DIR"); }},
        ViewCase{"EditThatLeavesTheFilter", "", "VID = 'b'", false,
                 [](engine::Table& t) { EditAt(t, 1, "VID", "x"); }},
        ViewCase{"EditThatLeavesAPredicateFilter", "", "", true,
                 [](engine::Table& t) { EditAt(t, 0, "BAZ_", "DROP"); }},
        ViewCase{"EditThatMovesTheRowInTheActiveOrder", "Naim", "", false,
                 [](engine::Table& t) { EditAt(t, 0, "NAIM", "Zeta"); }},
        ViewCase{"EditOfAnotherColumnUnderATag", "Naim", "VID = 'b'", false,
                 [](engine::Table& t) { EditAt(t, 1, "BAZ_", "NEW"); }},
        ViewCase{"AppendThatPassesTheFilter", "", "VID = 'b'", false,
                 [](engine::Table& t) { AppendRow(t, "b", "Base four"); }},
        ViewCase{"AppendThatFailsTheFilter", "", "VID = 'b'", false,
                 [](engine::Table& t) { AppendRow(t, "a", "Archive"); }},
        ViewCase{"AppendUnderATag", "Naim", "", false,
                 [](engine::Table& t) { AppendRow(t, "b", "Aardvark"); }},
        ViewCase{"AppendAfterADelete", "", "", false,
                 [](engine::Table& t) {
                   ASSERT_TRUE(t.MoveTo(0));
                   ASSERT_TRUE(t.Delete().ok());
                   AppendRow(t, "b", "Base five");
                 }}),
    [](const ::testing::TestParamInfo<ViewCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace engine_test
