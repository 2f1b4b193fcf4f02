// Maintained tags: creation, order, seek, upkeep after posts, reopening by
// tag name, and the real sample tables with their production indexes.
#include <gtest/gtest.h>

#include "common/strict.h"

#include <cstdlib>

#include "engine/index.h"
#include "engine/mdx.h"
#include "engine/table.h"
#include "engine_test_util.h"

namespace {

engine::TagDef Tag(std::string name, std::string expr) {
  engine::TagDef d;
  d.name = std::move(name);
  d.expression = std::move(expr);
  d.descendingFields = d.expression;
  return d;
}

using engine::Table;
using engine::TagDef;
using engine_test::MakeDbf;
using engine_test::OpenTable;
using engine_test::ReadAll;
using engine_test::Rows;
using engine_test::TempDir;
using engine_test::WriteAll;

class IndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_ / "INSTAL.DBF";
    WriteAll(path_, MakeDbf(engine_test::InstalSpec()));
    auto t = OpenTable(path_, true);
    ASSERT_TRUE(t);
    for (auto [name, expr] : {std::pair{"Naim", "NAIM"}, {"Vid", "VID"}, {"VidDir", "VID+DIR"},
                              {"BAZ_", "BAZ_"}}) {
      ASSERT_TRUE(t->AddTag(Tag(name, expr)).ok()) << name;
    }
  }
  std::filesystem::path Mdx() const { return dir_ / "INSTAL.MDX"; }
  std::vector<engine::mdx::Key> FileKeys(const std::string& tag) {
    auto keys = engine::mdx::ReadKeys(engine::CurrentEnv(), Mdx(), tag);
    EXPECT_TRUE(keys.ok()) << keys.status().ToString();
    return keys.ok() ? *keys : std::vector<engine::mdx::Key>{};
  }
  TempDir dir_;
  std::filesystem::path path_;
};

TEST_F(IndexTest, AddTagClaimsTheIndexAndFlagsSingleColumnTags) {
  std::string h = ReadAll(path_);
  EXPECT_EQ(h[28], 1);
  // Field flags (descriptor byte 31): VID, NAIM, BAZ_ have single-column tags; DIR, YES not.
  std::vector<int> flags;
  for (int i = 0; i < 5; ++i) flags.push_back(h[32 + 32 * i + 31]);
  EXPECT_EQ(flags, (std::vector<int>{1, 1, 0, 1, 0}));
  auto tags = engine::mdx::ReadTagList(engine::CurrentEnv(), Mdx());
  ASSERT_TRUE(tags.ok()) << tags.status().ToString();
  ASSERT_EQ(tags->size(), 4u);
  EXPECT_EQ((*tags)[2].expression, "VID+DIR");
  EXPECT_EQ((*tags)[2].keyLength, 13);
  auto keys = FileKeys("viddir");
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[0], (engine::mdx::Key{"aC:\\SM_A\\    ", 2}));
}

TEST_F(IndexTest, ActiveTagOrdersTheViewAndSeekFindsExactPaddedKeys) {
  auto t = OpenTable(path_);
  ASSERT_TRUE(t);
  ASSERT_TRUE(t->SetActiveTag("naim").ok());
  EXPECT_EQ(Rows(*t, {"NAIM"}), (std::vector<std::string>{"Base one", "Base three", "Base two",
                                                           "Output"}));
  ASSERT_TRUE(t->SetActiveTag("VIDDIR").ok());
  ASSERT_TRUE(t->MoveTo(3));
  EXPECT_EQ(*t->Seek("bC:\\B2\\"), true);
  EXPECT_EQ(t->GetString("NAIM"), "Base two");
  EXPECT_EQ(*t->Seek("bC:\\B"), false);  // exact match only
  EXPECT_EQ(t->GetString("NAIM"), "Base two");
  ASSERT_TRUE(t->SetActiveTag("BAZ_").ok());
  EXPECT_EQ(*t->Seek("B3XYZ"), false);
  EXPECT_EQ(*t->Seek("O'NE"), true);
  EXPECT_EQ(t->RecNo(), 3u);
  ASSERT_TRUE(t->SetActiveTag("").ok());
  EXPECT_EQ(t->Seek("b").status().code(), platform::ErrorCode::kNotFound);
  EXPECT_EQ(t->SetActiveTag("Nosuch").code(), platform::ErrorCode::kNotFound);
}

TEST_F(IndexTest, SeekCutsTheKeyToTheTagWidthAndStaysWithinTheFilter) {
  auto t = OpenTable(path_);
  ASSERT_TRUE(t);
  ASSERT_TRUE(t->SetActiveTag("Vid").ok());
  ASSERT_TRUE(t->SetFilter("BAZ_ = 'B3'").ok());
  t->SetFiltered(true);
  EXPECT_EQ(*t->Seek("bxyz"), true);  // "b" after the cut to 1
  EXPECT_EQ(t->GetString("NAIM"), "Base three");
  EXPECT_EQ(*t->Seek("a"), false);  // row 2 is outside the filter
}

TEST_F(IndexTest, PostsAndDeletesKeepTheFileIndexInStep) {
  {
    auto t = OpenTable(path_);
    ASSERT_TRUE(t);
    ASSERT_TRUE(t->SetActiveTag("Naim").ok());
    t->Append();
    ASSERT_TRUE(t->SetString("NAIM", "AAA").ok());
    ASSERT_TRUE(t->Post().ok());
    EXPECT_EQ(t->Position(), 0u);
    t->BeginBatch();
    ASSERT_TRUE(t->Edit());
    ASSERT_TRUE(t->SetString("NAIM", "ZZZ").ok());
    ASSERT_TRUE(t->Post().ok());
    EXPECT_EQ(FileKeys("NAIM")[0].first.substr(0, 3), "AAA");  // held back in the batch
    ASSERT_TRUE(t->EndBatch().ok());
    EXPECT_EQ(t->Position(), 4u);
    ASSERT_TRUE(t->First());
    ASSERT_TRUE(t->Delete().ok());
  }
  auto keys = FileKeys("Naim");
  ASSERT_EQ(keys.size(), 5u);  // deleted rows stay indexed until a pack
  EXPECT_EQ(keys.back(), (engine::mdx::Key{"ZZZ" + std::string(17, ' '), 5}));
  EXPECT_EQ(keys[0].second, 1u);
}

TEST_F(IndexTest, OpeningWithATagNeedsTheTagAndAReadableIndex) {
  Table t;
  t.SetDatabaseName(dir_.path().string());
  t.SetTableName("INSTAL.DBF");
  ASSERT_TRUE(t.SetActiveTag("vIdDiR").ok());
  ASSERT_TRUE(t.Open().ok());
  EXPECT_EQ(t.Tags().size(), 4u);
  t.Close();
  ASSERT_TRUE(t.SetActiveTag("Dop").ok());
  EXPECT_EQ(t.Open().code(), platform::ErrorCode::kNotFound);
  EXPECT_FALSE(t.IsOpen());

  // The .mdx found in another letter case; then made unreadable.
  std::filesystem::rename(Mdx(), dir_ / "instal.mdx");
  ASSERT_TRUE(t.SetActiveTag("Vid").ok());
  ASSERT_TRUE(t.Open().ok());
  t.Close();
  WriteAll(dir_ / "instal.mdx", std::string(100, 'x'));
  EXPECT_EQ(t.Open().code(), platform::ErrorCode::kCorrupt);
  ASSERT_TRUE(t.SetActiveTag("").ok());
  ASSERT_TRUE(t.Open().ok());
  EXPECT_TRUE(t.Tags().empty());
}

TEST_F(IndexTest, AddTagNeedsExclusiveAccessAndCharacterColumns) {
  auto shared = OpenTable(path_);
  ASSERT_TRUE(shared);
  EXPECT_EQ(shared->AddTag(Tag("Dir", "DIR")).code(), platform::ErrorCode::kInvalidArgument);
  shared.reset();
  auto t = OpenTable(path_, true);
  ASSERT_TRUE(t);
  EXPECT_FALSE(t->AddTag(Tag("Yes", "YES")).ok());
  EXPECT_FALSE(t->AddTag(Tag("X", "NOSUCH")).ok());
  EXPECT_FALSE(t->AddTag(Tag("TooLongName", "DIR")).ok());
  ASSERT_TRUE(t->AddTag(Tag("NAIM", "DIR")).ok());  // rebuilds the existing tag
  EXPECT_EQ(t->Tags().size(), 4u);
  EXPECT_EQ(FileKeys("NAIM")[0].first, "C:\\B1\\      ");
}

TEST_F(IndexTest, RefreshTagDefsWhileClosedReadsTheFile) {
  Table t;
  t.SetDatabaseName(dir_.path().string());
  t.SetTableName("INSTAL.DBF");
  ASSERT_TRUE(t.RefreshTagDefs().ok());
  EXPECT_TRUE(t.HasTag("bAz_"));
  EXPECT_FALSE(t.HasTag("Dop"));
  // AddTag on a closed table opens it exclusively for the time of the call.
  ASSERT_TRUE(t.AddTag(TagDef{"Dop", "DIR", engine::kExpression, "DIR"}).ok());
  EXPECT_FALSE(t.IsOpen());
  ASSERT_TRUE(t.RefreshTagDefs().ok());
  EXPECT_TRUE(t.HasTag("DOP"));
}

std::filesystem::path DataDir() {
  return std::filesystem::path(testing_support::SourceDir()) / "tests" / "engine" / "data";
}

TEST(SampleTables, DiscoOpensWithItsTagInTheFilesOrder) {
  TempDir dir;
  for (const char* f : {"disco.DBF", "disco.mdx"}) {
    std::filesystem::copy_file(DataDir() / f, dir / f);
  }
  auto fileKeys = engine::mdx::ReadKeys(engine::CurrentEnv(), dir / "disco.mdx", "AUTHOR");
  ASSERT_TRUE(fileKeys.ok()) << fileKeys.status().ToString();
  Table t;
  t.SetDatabaseName(dir.path().string());
  t.SetTableName("disco.DBF");
  ASSERT_TRUE(t.SetActiveTag("author").ok());
  ASSERT_TRUE(t.Open().ok());
  EXPECT_EQ(t.RecordCount(), 1560u);
  std::vector<uint32_t> order;
  for (bool ok = t.First(); ok; ok = t.Next()) order.push_back(t.RecNo());
  std::vector<uint32_t> expected;
  for (const auto& k : *fileKeys) {
    if (k.second != 0 && std::find(order.begin(), order.end(), k.second) != order.end()) {
      expected.push_back(k.second);
    }
  }
  EXPECT_EQ(order, expected);
  ASSERT_TRUE(t.MoveTo(700));
  std::string author = t.GetString("AUTHOR");
  ASSERT_TRUE(t.First());
  EXPECT_EQ(*t.Seek(author), true);
  EXPECT_EQ(t.GetString("AUTHOR"), author);
  ASSERT_TRUE(t.Position().has_value());
  EXPECT_LE(*t.Position(), 700u);
  if (*t.Position() > 0) {  // the first row of that key in the view
    ASSERT_TRUE(t.Prior());
    EXPECT_NE(t.GetString("AUTHOR"), author);
  }
}

TEST(SampleTables, TdbfDemoReadsWithItsMemoColumnCarried) {
  TempDir dir;
  for (const char* f : {"TDBF_DEMO.DBF", "tdbf_demo.mdx"}) {
    std::filesystem::copy_file(DataDir() / f, dir / f);
  }
  Table t;
  t.SetDatabaseName(dir.path().string());
  t.SetTableName("TDBF_DEMO.DBF");
  ASSERT_TRUE(t.SetActiveTag("ID").ok());
  ASSERT_TRUE(t.Open().ok());
  EXPECT_EQ(t.LanguageDriver(), 0x58);
  EXPECT_EQ(t.ProductionIndexFlag(), 1);
  ASSERT_TRUE(t.First());
  EXPECT_EQ(t.GetString("ID"), "a5");
  EXPECT_EQ(t.GetString("TITLE"), "Welcome");
  ASSERT_EQ(t.Fields().size(), 4u);
  EXPECT_EQ(t.Fields()[2].type, 'M');
  EXPECT_EQ(*t.Seek("e5"), true);
  EXPECT_EQ(t.GetString("TITLE"), "How to filter data *");
}

}  // namespace
