// The table object over files built byte by byte: cursor, filter, seek,
// editing, events, and what is kept of bytes the engine does not use.
#include <gtest/gtest.h>

#include "engine/table.h"
#include "engine_test_util.h"

namespace {

using engine::Table;
using engine_test::DbfSpec;
using engine_test::MakeDbf;
using engine_test::OpenTable;
using engine_test::ReadAll;
using engine_test::Rows;
using engine_test::TempDir;
using engine_test::WriteAll;

class TableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_ / "INSTAL.DBF";
    WriteAll(path_, MakeDbf(engine_test::InstalSpec()));
  }
  std::unique_ptr<Table> Open(bool exclusive = false) {
    auto t = OpenTable(path_, exclusive);
    EXPECT_TRUE(t) << "open failed";
    return t;
  }
  TempDir dir_;
  std::filesystem::path path_;
};

TEST_F(TableTest, ReadsRowsInNaturalOrderWithoutTrailingBlanks) {
  auto t = Open();
  ASSERT_TRUE(t);
  EXPECT_EQ(t->RecordCount(), 4u);
  EXPECT_EQ(Rows(*t, {"VID", "NAIM", "BAZ_"}),
            (std::vector<std::string>{"b|Base one|B1", "a|Output|", "b|Base two|O'NE",
                                      "b|Base three|B3"}));
  ASSERT_TRUE(t->First());
  EXPECT_EQ(t->GetBool("YES"), false);
  EXPECT_EQ(t->LanguageDriver(), 0x26);
  EXPECT_TRUE(t->HasField("naim"));
  EXPECT_EQ(t->GetString("NOSUCH"), "");
}

struct FilterCase {
  const char* name;
  const char* text;
  std::vector<std::string> naim;
};

class FilterTest : public TableTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(FilterTest, SelectsRows) {
  auto t = Open();
  ASSERT_TRUE(t);
  ASSERT_TRUE(t->SetFilter(GetParam().text).ok());
  t->SetFiltered(true);
  EXPECT_EQ(Rows(*t, {"NAIM"}), GetParam().naim);
  EXPECT_EQ(t->RecordCount(), GetParam().naim.size());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FilterTest,
    ::testing::Values(
        FilterCase{"Kind", "VID = 'b'", {"Base one", "Base two", "Base three"}},
        FilterCase{"KindAndPaddedIdent", "VID = 'b' and BAZ_ = 'B3  '", {"Base three"}},
        FilterCase{"ApostropheInLiteral", "vid='b' AND baz_ = 'O''NE'", {"Base two"}},
        FilterCase{"BlankValue", "BAZ_ = ''", {"Output"}},
        FilterCase{"NoMatch", "VID = 'z'", {}}),
    [](const auto& info) { return info.param.name; });

TEST_F(TableTest, BadFilterTextIsRejectedAndOldFilterStays) {
  auto t = Open();
  ASSERT_TRUE(t);
  ASSERT_TRUE(t->SetFilter("VID = 'b'").ok());
  t->SetFiltered(true);
  for (const char* bad : {"VID = 'b", "VID 'b'", "NOSUCH = 'x'", "VID = 'b' or VID = 'a'", ""}) {
    if (*bad == 0) continue;
    EXPECT_EQ(t->SetFilter(bad).code(), platform::ErrorCode::kInvalidArgument) << bad;
  }
  EXPECT_EQ(t->FilterText(), "VID = 'b'");
  EXPECT_EQ(t->RecordCount(), 3u);
  EXPECT_EQ(Table::QuoteLiteral("O'NE"), "'O''NE'");
}

TEST_F(TableTest, PredicateFilterAndRandomAccess) {
  auto t = Open();
  ASSERT_TRUE(t);
  t->SetFilterPredicate([](const Table& row) { return row.GetString("DIR").find("B") != std::string::npos; });
  t->SetFiltered(true);
  ASSERT_EQ(t->RecordCount(), 3u);
  ASSERT_TRUE(t->MoveTo(2));
  EXPECT_EQ(t->GetString("NAIM"), "Base three");
  EXPECT_EQ(t->Position(), 2u);
  EXPECT_EQ(t->RecNo(), 4u);
  EXPECT_FALSE(t->MoveTo(3));
  EXPECT_EQ(t->RecNo(), 4u);
  EXPECT_FALSE(t->Next());
  EXPECT_TRUE(t->Eof());
  ASSERT_TRUE(t->First());
  EXPECT_FALSE(t->Prior());
  EXPECT_TRUE(t->Bof());
}

TEST_F(TableTest, DeleteMovesToNextRowOrToLast) {
  auto t = Open();
  ASSERT_TRUE(t);
  int deletes = 0;
  t->afterDelete = [&](Table&) { ++deletes; };
  ASSERT_TRUE(t->MoveTo(1));
  ASSERT_TRUE(t->Delete().ok());
  EXPECT_EQ(t->GetString("NAIM"), "Base two");
  ASSERT_TRUE(t->Last());
  ASSERT_TRUE(t->Delete().ok());
  EXPECT_EQ(t->GetString("NAIM"), "Base two");
  EXPECT_EQ(deletes, 2);
  EXPECT_EQ(t->RecordCount(), 2u);
  // Deleted rows stay in the file, marked, until a pack.
  std::string bytes = ReadAll(path_);
  auto t2 = OpenTable(path_);
  ASSERT_TRUE(t2);
  EXPECT_EQ(Rows(*t2, {"NAIM"}), (std::vector<std::string>{"Base one", "Base two"}));
  size_t hl = 32 + 32 * 5 + 1, rl = 1 + 1 + 20 + 12 + 4 + 1;
  EXPECT_EQ(bytes[hl + 1 * rl], '*');
  EXPECT_EQ(bytes[hl + 3 * rl], '*');
  EXPECT_EQ(bytes.size(), hl + 4 * rl + 1);
}

TEST_F(TableTest, AppendAndEditWriteBlankPaddedCutValues) {
  {
    auto t = Open();
    ASSERT_TRUE(t);
    int posts = 0;
    t->afterPost = [&](Table&) { ++posts; };
    t->Append();
    ASSERT_TRUE(t->SetString("VID", "b").ok());
    ASSERT_TRUE(t->SetString("BAZ_", "ABCDE").ok());  // cut to 4
    ASSERT_TRUE(t->SetBool("YES", true).ok());
    EXPECT_EQ(t->SetString("NOSUCH", "x").code(), platform::ErrorCode::kNotFound);
    ASSERT_TRUE(t->Post().ok());
    EXPECT_EQ(t->RecNo(), 5u);
    EXPECT_EQ(t->GetString("BAZ_"), "ABCD");
    ASSERT_TRUE(t->First());
    ASSERT_TRUE(t->Edit());
    ASSERT_TRUE(t->SetString("NAIM", "Renamed").ok());
    ASSERT_TRUE(t->Post().ok());
    EXPECT_EQ(posts, 2);
    EXPECT_EQ(t->SetString("NAIM", "x").code(), platform::ErrorCode::kInvalidArgument);
  }
  std::string bytes = ReadAll(path_);
  EXPECT_EQ(bytes[4], 5);  // record count
  EXPECT_EQ(bytes.back(), '\x1A');
  size_t hl = 32 + 32 * 5 + 1, rl = 39;
  EXPECT_EQ(bytes.substr(hl + 1, 21), "bRenamed             ");
  EXPECT_EQ(bytes.substr(hl + 4 * rl, rl), " b" + std::string(20 + 12, ' ') + "ABCDT");
  EXPECT_EQ(bytes.size(), hl + 5 * rl + 1);
}

TEST_F(TableTest, CancelDropsThePendingRow) {
  auto t = Open();
  ASSERT_TRUE(t);
  t->Append();
  ASSERT_TRUE(t->SetString("VID", "x").ok());
  t->Cancel();
  EXPECT_FALSE(t->Editing());
  EXPECT_EQ(t->RecordCount(), 4u);
  EXPECT_EQ(t->Post().code(), platform::ErrorCode::kInvalidArgument);
}

TEST_F(TableTest, UnknownColumnsAndHeaderBytesArePreserved) {
  DbfSpec spec;
  spec.version = 0x83;
  spec.languageDriver = 0x65;
  spec.columns = {{"VID", 'C', 1}, {"MEMO", 'M', 10}, {"PIC", 'G', 10}, {"N", 'N', 5, 1}};
  spec.rows = {{{"b", "        17", "\x01\x02\x03garbage", "12.5"}}};
  WriteAll(path_, MakeDbf(spec));
  std::string before = ReadAll(path_);
  {
    auto t = Open();
    ASSERT_TRUE(t);
    ASSERT_TRUE(t->First());
    EXPECT_EQ(t->GetString("N"), "12.5");
    ASSERT_TRUE(t->Edit());
    ASSERT_TRUE(t->SetString("VID", "c").ok());
    EXPECT_EQ(t->SetString("MEMO", "x").code(), platform::ErrorCode::kUnsupported);
    EXPECT_EQ(t->SetString("N", "abc").code(), platform::ErrorCode::kInvalidArgument);
    ASSERT_TRUE(t->Post().ok());
    t->Append();
    ASSERT_TRUE(t->Post().ok());
  }
  std::string after = ReadAll(path_);
  size_t hl = 32 + 32 * 4 + 1, rl = 1 + 1 + 10 + 10 + 5;
  EXPECT_EQ(after[0], '\x83');
  EXPECT_EQ(after[29], '\x65');
  EXPECT_EQ(after.substr(4 * 8, hl - 32), before.substr(4 * 8, hl - 32));  // descriptors
  EXPECT_EQ(after.substr(hl + 2, rl - 2), before.substr(hl + 2, rl - 2));   // other columns
  EXPECT_EQ(after.substr(hl + rl, rl), std::string(rl, ' '));               // appended: blank
}

TEST_F(TableTest, EventsAndBatch) {
  auto t = Open();
  ASSERT_TRUE(t);
  int scrolls = 0;
  t->afterScroll = [&](Table&) { ++scrolls; };
  ASSERT_TRUE(t->First());
  ASSERT_TRUE(t->Next());
  EXPECT_EQ(scrolls, 2);
  t->BeginBatch();
  t->BeginBatch();
  ASSERT_TRUE(t->Next());
  ASSERT_TRUE(t->Next());
  ASSERT_TRUE(t->EndBatch().ok());
  EXPECT_EQ(scrolls, 2);
  ASSERT_TRUE(t->EndBatch().ok());
  EXPECT_EQ(scrolls, 3);
}

TEST_F(TableTest, BookmarksSurviveOrderChanges) {
  auto t = Open();
  ASSERT_TRUE(t);
  ASSERT_TRUE(t->MoveTo(2));
  engine::Bookmark mark = t->GetBookmark();
  EXPECT_EQ(mark.record, 3u);
  ASSERT_TRUE(t->First());
  ASSERT_TRUE(t->GotoBookmark(mark));
  EXPECT_EQ(t->GetString("NAIM"), "Base two");
  ASSERT_TRUE(t->SetFilter("VID = 'a'").ok());
  t->SetFiltered(true);
  EXPECT_FALSE(t->BookmarkValid(mark));
  EXPECT_FALSE(t->GotoBookmark(mark));
}

TEST_F(TableTest, MissingTableAndClosedTable) {
  Table t;
  t.SetDatabaseName(dir_.path().string());
  t.SetTableName("NOSUCH.DBF");
  EXPECT_EQ(t.Open().code(), platform::ErrorCode::kNotFound);
  EXPECT_FALSE(t.IsOpen());
  EXPECT_EQ(t.RecordCount(), 0u);
  EXPECT_FALSE(t.First());
  EXPECT_EQ(t.GetString("VID"), "");
  EXPECT_FALSE(t.Post().ok());
}

TEST_F(TableTest, RefreshSeesAnotherWriter) {
  auto reader = Open();
  auto writer = Open();
  ASSERT_TRUE(reader && writer);
  writer->Append();
  ASSERT_TRUE(writer->SetString("NAIM", "New").ok());
  ASSERT_TRUE(writer->Post().ok());
  EXPECT_EQ(reader->RecordCount(), 4u);
  ASSERT_TRUE(reader->Refresh().ok());
  EXPECT_EQ(reader->RecordCount(), 5u);
  // An append by the stale reader goes after the other writer's row.
  auto stale = Open();
  ASSERT_TRUE(stale);
  writer->Append();
  ASSERT_TRUE(writer->Post().ok());
  stale->Append();
  ASSERT_TRUE(stale->SetString("NAIM", "Last").ok());
  ASSERT_TRUE(stale->Post().ok());
  EXPECT_EQ(stale->RecNo(), 7u);
}

}  // namespace
