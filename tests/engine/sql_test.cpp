// Local SQL: the parser's accepted and refused texts, and the statements of
// a column restructuring run against tables with values.
#include <gtest/gtest.h>

#include "common/temp_package.h"
#include "engine/mdx.h"
#include "engine/sql.h"
#include "engine/table.h"
#include "engine_test_util.h"

namespace {

using engine::ExecuteSql;
using engine_test::OpenTable;
using engine_test::ReadAll;
using engine_test::Rows;
using engine_test::WriteAll;
using platform::ErrorCode;

struct ParseCase {
  const char* name;
  const char* text;
  bool ok;
  const char* errorPart = "";  // a piece of the error text
};

class SqlParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(SqlParseTest, AcceptsOrNamesTheProblem) {
  auto parsed = engine::sql::Parse(GetParam().text);
  EXPECT_EQ(parsed.ok(), GetParam().ok) << (parsed.ok() ? "" : parsed.status().message());
  if (!parsed.ok()) {
    EXPECT_NE(parsed.status().message().find(GetParam().errorPart), std::string::npos)
        << parsed.status().message();
    EXPECT_NE(parsed.status().message().find(GetParam().text), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SqlParseTest,
    ::testing::Values(
        ParseCase{"AddChar", "ALTER TABLE 'C:\\VEM\\SM_R\\INSTAL.DBF' ADD TEMP CHAR(4)", true},
        ParseCase{"DoubleQuotedLowerCase", "alter table \"/tmp/x.dbf\" add NBDATE char(8)", true},
        ParseCase{"DropAndAdd", "ALTER TABLE 'x' DROP BAZ_, ADD BAZ_ CHAR(4)", true},
        ParseCase{"OtherTypes", "ALTER TABLE 'x' ADD A NUMERIC(6,1), ADD B BOOLEAN, ADD C BLOB", true},
        ParseCase{"CastWithBlank", "UPDATE 'x' SET TEMP = CAST (BAZ_ AS CHAR(4))", true},
        ParseCase{"CastNoBlank", "update 'x' set TEMP=cast(BAZ_ as char(4));", true},
        ParseCase{"SetColumn", "UPDATE 'x' SET BAZ_ = TEMP", true},
        ParseCase{"QuoteInPath", "UPDATE 'C:\\O''NE\\X.DBF' SET A = B", true},
        ParseCase{"UnknownType", "ALTER TABLE 'x' ADD A TEXT", false, "column type"},
        ParseCase{"WidthZero", "ALTER TABLE 'x' ADD A CHAR(0)", false, "between 1 and 254"},
        ParseCase{"WidthTooLarge", "ALTER TABLE 'x' ADD A CHAR(300)", false, "between 1 and 254"},
        ParseCase{"UnquotedTable", "ALTER TABLE x ADD A CHAR(1)", false, "quoted table"},
        ParseCase{"UnclosedQuote", "ALTER TABLE 'x ADD A CHAR(1)", false, "not closed"},
        ParseCase{"LongName", "ALTER TABLE 'x' ADD ABCDEFGHIJK CHAR(1)", false, "10 characters"},
        ParseCase{"TrailingWords", "UPDATE 'x' SET A = B WHERE C", false, "end of the statement"},
        ParseCase{"CastToNumber", "UPDATE 'x' SET A = CAST(B AS NUMERIC(4))", false, "CHAR"},
        ParseCase{"Select", "SELECT NAIM FROM 'x'", false, "ALTER TABLE or UPDATE"},
        ParseCase{"StrayCharacter", "UPDATE 'x' SET A = B * 2", false, "unexpected character"},
        ParseCase{"Empty", "", false, "ALTER TABLE or UPDATE"}),
    [](const auto& info) { return info.param.name; });

class SqlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_test::DbfSpec spec = engine_test::InstalSpec();
    spec.columns[3].length = 2;  // BAZ_ CHAR(2), as an old table has it
    spec.languageDriver = 0x65;
    spec.rows[1].deleted = true;
    pkg_.MakeDir("C:\\VEM\\SM_R");
    path_ = pkg_.Host("C:\\VEM\\SM_R\\INSTAL.DBF");
    WriteAll(path_, engine_test::MakeDbf(spec));
  }
  std::string Quoted() const { return "'C:\\VEM\\SM_R\\INSTAL.DBF'"; }
  testing_support::TempPackage pkg_;
  std::filesystem::path path_;
};

TEST_F(SqlTest, ResizeSequenceKeepsValuesAndHeaderByte29) {
  {
    auto t = OpenTable(path_, true);
    ASSERT_TRUE(t);
    ASSERT_TRUE(t->AddTag([] { engine::TagDef d; d.name = "VidDir"; d.expression = "VID+DIR"; return d; }()).ok());
    ASSERT_TRUE(t->AddTag([] { engine::TagDef d; d.name = "BAZ_"; d.expression = "BAZ_"; return d; }()).ok());
  }
  const std::string f = Quoted();
  for (const std::string& stmt : {
           "ALTER TABLE " + f + " ADD TEMP CHAR(4)",
           "UPDATE " + f + " SET TEMP = CAST (BAZ_ AS CHAR(4))",
           "ALTER TABLE " + f + " DROP BAZ_, ADD BAZ_ CHAR(4)",
           "UPDATE " + f + " SET BAZ_ = TEMP",
           "ALTER TABLE \"" + pkg_.Host("C:\\VEM\\SM_R\\INSTAL.DBF").string() + "\" DROP TEMP"}) {
    engine::Status st = ExecuteSql(stmt);
    ASSERT_TRUE(st.ok()) << stmt << ": " << st.ToString();
  }
  auto t = OpenTable(path_);
  ASSERT_TRUE(t);
  std::vector<std::string> names;
  for (const auto& fd : t->Fields()) names.push_back(fd.name + std::to_string(fd.length));
  EXPECT_EQ(names, (std::vector<std::string>{"VID1", "NAIM20", "DIR12", "YES1", "BAZ_4"}));
  EXPECT_EQ(Rows(*t, {"NAIM", "BAZ_", "YES"}),
            (std::vector<std::string>{"Base one|B1|F", "Base two|O'|T", "Base three|B3|F"}));
  EXPECT_EQ(t->LanguageDriver(), 0x65);
  // The production index was rebuilt for the new layout, keeping both tags.
  EXPECT_EQ(t->ProductionIndexFlag(), 1);
  ASSERT_TRUE(t->SetActiveTag("baz_").ok());
  EXPECT_EQ(*t->Seek("B3"), true);
  EXPECT_EQ(t->GetString("NAIM"), "Base three");
  auto keys = engine::mdx::ReadKeys(engine::CurrentEnv(), pkg_.Host("C:\\VEM\\SM_R\\INSTAL.MDX"), "BAZ_");
  ASSERT_TRUE(keys.ok());
  EXPECT_EQ(keys->size(), 4u);  // the deleted row included
  EXPECT_EQ((*keys)[0], (engine::mdx::Key{"    ", 2}));
  EXPECT_EQ((*keys)[1], (engine::mdx::Key{"B1  ", 1}));
  std::string bytes = ReadAll(path_);
  EXPECT_EQ(bytes[32 + 32 * 4 + 31], 1);  // BAZ_ field flag, now the fifth column
}

TEST_F(SqlTest, FailingStatementChangesNothing) {
  const std::string before = ReadAll(path_);
  const std::string f = Quoted();
  struct Case {
    std::string stmt;
    ErrorCode code;
    std::string part;
  };
  for (const Case& c : std::vector<Case>{
           {"ALTER TABLE " + f + " ADD X CHAR(3), DROP NOSUCH", ErrorCode::kInvalidArgument,
            "no column NOSUCH"},
           {"ALTER TABLE " + f + " ADD NAIM CHAR(3)", ErrorCode::kInvalidArgument, "already exists"},
           {"ALTER TABLE " + f + " DROP VID, DROP NAIM, DROP DIR, DROP BAZ_, DROP YES",
            ErrorCode::kInvalidArgument, "at least one column"},
           {"UPDATE " + f + " SET YES = NAIM", ErrorCode::kInvalidArgument, "row 1"},
           {"UPDATE " + f + " SET NOSUCH = NAIM", ErrorCode::kInvalidArgument, "NOSUCH"},
           {"UPDATE 'C:\\VEM\\SM_R\\NOSUCH.DBF' SET A = B", ErrorCode::kNotFound, "NOSUCH.DBF"},
       }) {
    engine::Status st = ExecuteSql(c.stmt);
    EXPECT_EQ(st.code(), c.code) << c.stmt << ": " << st.ToString();
    EXPECT_NE(st.message().find(c.part), std::string::npos) << st.message();
    EXPECT_EQ(ReadAll(path_), before) << c.stmt;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path_.parent_path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(SqlTest, AddsOtherColumnTypesBlank) {
  ASSERT_TRUE(ExecuteSql("ALTER TABLE " + Quoted() +
                         " ADD N NUMERIC(6,1), ADD B BOOLEAN, ADD M BLOB, ADD NBDATE CHAR(8)")
                  .ok());
  auto t = OpenTable(path_);
  ASSERT_TRUE(t);
  ASSERT_EQ(t->Fields().size(), 9u);
  EXPECT_EQ(t->Fields()[5].type, 'N');
  EXPECT_EQ(t->Fields()[5].length, 6);
  EXPECT_EQ(t->Fields()[5].decimals, 1);
  EXPECT_EQ(t->Fields()[6].type, 'L');
  EXPECT_EQ(t->Fields()[7].type, 'M');
  EXPECT_EQ(t->Fields()[7].length, 10);
  ASSERT_TRUE(t->First());
  EXPECT_EQ(t->GetString("M"), "");
  EXPECT_EQ(t->GetBool("B"), std::nullopt);
  EXPECT_EQ(ReadAll(path_)[0], '\x83');  // memo bit set; an empty memo file beside it
  EXPECT_EQ(ReadAll(pkg_.Host("C:\\VEM\\SM_R\\INSTAL.DBT")).size(), 512u);
  t->Close();
  ASSERT_TRUE(ExecuteSql("UPDATE " + Quoted() + " SET N = '12.5', NBDATE = CAST(NAIM AS CHAR(4))").ok());
  ASSERT_TRUE(t->Open().ok());
  ASSERT_TRUE(t->First());
  EXPECT_EQ(t->GetString("N"), "12.5");
  EXPECT_EQ(t->GetString("NBDATE"), "Base");
}

TEST_F(SqlTest, PackRemovesDeletedRowsAndRenumbersTheIndex) {
  {
    auto t = OpenTable(path_, true);
    ASSERT_TRUE(t);
    engine::TagDef d;
    d.name = "Naim";
    d.expression = "NAIM";
    ASSERT_TRUE(t->AddTag(d).ok());
  }
  ASSERT_TRUE(engine::PackTable("C:\\VEM\\SM_R\\INSTAL.DBF").ok());
  std::string bytes = ReadAll(path_);
  EXPECT_EQ(bytes[4], 3);
  EXPECT_EQ(bytes[29], 0x65);
  EXPECT_EQ(bytes.size(), 32 + 32 * 5 + 1 + 3 * 37 + 1u);
  auto keys = engine::mdx::ReadKeys(engine::CurrentEnv(), pkg_.Host("C:\\VEM\\SM_R\\INSTAL.MDX"), "NAIM");
  ASSERT_TRUE(keys.ok());
  ASSERT_EQ(keys->size(), 3u);
  EXPECT_EQ((*keys)[1].second, 3u);  // "Base three" was row 4
  EXPECT_EQ(engine::PackTable("C:\\VEM\\SM_R\\NOSUCH.DBF").code(), ErrorCode::kNotFound);
}

}  // namespace
