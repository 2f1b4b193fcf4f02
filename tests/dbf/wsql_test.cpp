#include "dbf/wsql.h"

#include <gtest/gtest.h>

#include "common/strict.h"

#include <filesystem>
#include <string>
#include <vector>

#include "common/recording_ui.h"
#include "common/temp_package.h"
#include "dbf/dbf_singletons.h"
#include "dbf_test_helpers.h"

namespace {

namespace fs = std::filesystem;
using dbf_test::Column;
using dbf_test::Row;

const std::string kTable = "C:\\VEM\\SM_R\\INSTAL.DBF";

const std::vector<Column> kColumns = {{"VID", 'C', 1}, {"NAIM", 'C', 10}, {"NBDATE", 'N', 8}};
const std::vector<Row> kRows = {{{"b", "One", "20240101"}}, {{"a", "Two", ""}}};

class WSQLTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host = pkg.Host(kTable);
    dbf_test::WriteBytes(host, dbf_test::DbfBytes(kColumns, kRows));
    table.SetDatabaseName("C:\\VEM\\SM_R");
    table.SetTableName("INSTAL.DBF");
    WSQL::SetStatementObserver(
        [this](const std::string& s, bool ok) { statements.push_back(ok ? s : "FAILED " + s); });
  }
  void TearDown() override { WSQL::SetStatementObserver({}); }

  testing_support::TempPackage pkg;
  testing_support::RecordingUi ui;
  fs::path host;
  engine::Table table;
  WSQL sql;
  std::vector<std::string> statements;
};

TEST_F(WSQLTest, SingleInstance) { EXPECT_EQ(&SingleSQL::Instance(), &SingleSQL::Instance()); }

struct KindCase {
  const char* name;
  int kind;
  const char* width;
  const char* typeText;  // the statement's end
  const char* field;     // the new field as dbfread reports it
};

class AddColumnKindTest : public WSQLTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(AddColumnKindTest, AddsTheKindsTypeAsLastColumn) {
  const KindCase& c = GetParam();
  ASSERT_TRUE(sql.AddColumn(table, "EXTRA", c.width, c.kind));
  EXPECT_FALSE(table.IsOpen());
  ASSERT_EQ(statements.size(), 1u);
  EXPECT_EQ(statements[0], "ALTER TABLE \"C:\\VEM\\SM_R\\INSTAL.DBF\" ADD EXTRA" +
                               std::string(c.typeText));

  if (!dbf_test::DbfreadAvailable()) VEM_SKIP_UNLESS_STRICT("dbfread not installed");
  const dbf_test::ReadBack back = dbf_test::ReadWithDbfread(host);
  ASSERT_TRUE(back.ok) << back.error;
  EXPECT_EQ(back.fields, (std::vector<std::string>{"VID C 1 0", "NAIM C 10 0", "NBDATE N 8 0",
                                                   c.field}));
  ASSERT_EQ(back.rows.size(), 2u);
  EXPECT_EQ(back.rows[0][1], "One") << "existing values stay";
  EXPECT_EQ(back.rows[0][2], "20240101");
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, AddColumnKindTest,
    ::testing::Values(KindCase{"Char", kColumnChar, "8", " CHAR(8)", "EXTRA C 8 0"},
                      KindCase{"Numeric", kColumnNumeric, "5", " NUMERIC(5,0)", "EXTRA N 5 0"},
                      KindCase{"Numeric61IgnoresWidth", kColumnNumeric61, "99", " NUMERIC(6,1)",
                               "EXTRA N 6 1"},
                      KindCase{"Boolean", kColumnBoolean, "8", " BOOLEAN", "EXTRA L 1 0"},
                      KindCase{"Blob", kColumnBlob, "8", " BLOB", "EXTRA M 10 0"}),
    [](const auto& info) { return std::string(info.param.name); });

struct NoStatementCase {
  const char* name;
  const char* column;
  int kind;
  bool result;
};

class AddColumnNoStatementTest
    : public WSQLTest,
      public ::testing::WithParamInterface<std::tuple<NoStatementCase, bool>> {};

TEST_P(AddColumnNoStatementTest, KeepsTableAndOpenState) {
  const auto& [c, wasOpen] = GetParam();
  if (wasOpen) {
    ASSERT_TRUE(table.Open().ok());
  }
  const std::string before = dbf_test::ReadBytes(host);
  EXPECT_EQ(sql.AddColumn(table, c.column, "8", c.kind), c.result);
  EXPECT_TRUE(statements.empty());
  EXPECT_EQ(table.IsOpen(), wasOpen);
  EXPECT_EQ(dbf_test::ReadBytes(host), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddColumnNoStatementTest,
    ::testing::Combine(
        ::testing::Values(
            // NBDATE exists as NUMERIC; asking for CHAR changes nothing.
            NoStatementCase{"ExistingColumnOfOtherType", "NBDATE", kColumnChar, true},
            NoStatementCase{"ExistingColumnOtherCase", "nbdate", kColumnChar, true},
            NoStatementCase{"KindZero", "EXTRA", 0, false},
            NoStatementCase{"KindSix", "EXTRA", 6, false}),
        ::testing::Bool()),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) +
             (std::get<1>(info.param) ? "_Open" : "_Closed");
    });

TEST_F(WSQLTest, OpenTableIsOpenAgainAndShowsTheNewColumn) {
  ASSERT_TRUE(table.Open().ok());
  ASSERT_TRUE(sql.AddColumn(table, "EXTRA", "4", kColumnChar));
  EXPECT_TRUE(table.IsOpen());
  EXPECT_TRUE(table.HasField("EXTRA"));
  EXPECT_EQ(table.RecordCount(), 2u);
}

TEST_F(WSQLTest, TableThatCannotBeOpenedRaises) {
  engine::Table missing;
  missing.SetDatabaseName("C:\\VEM\\SM_R");
  missing.SetTableName("NOSUCH.DBF");
  EXPECT_THROW(sql.AddColumn(missing, "EXTRA", "4", kColumnChar), engine::EngineError);
  EXPECT_TRUE(statements.empty());
}

TEST_F(WSQLTest, FailedStatementLeavesTheQueryUsable) {
  SqlQuery query;
  const std::string bad = "ALTER TABLE \"C:\\VEM\\SM_R\\NOSUCH.DBF\" ADD EXTRA CHAR(4)";
  const std::string good = "ALTER TABLE \"" + kTable + "\" ADD EXTRA CHAR(4)";

  EXPECT_FALSE(sql.RunSQL(query, bad, false));
  EXPECT_FALSE(query.Active());
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.cursorResets, 1);

  EXPECT_TRUE(sql.RunSQL(query, good, false));
  EXPECT_EQ(query.Sql(), std::vector<std::string>{good}) << "the old text is replaced";
  ASSERT_TRUE(table.Open().ok());
  EXPECT_TRUE(table.HasField("EXTRA"));
}

TEST_F(WSQLTest, StatementsThatReturnRowsAreNotRun) {
  SqlQuery query;
  EXPECT_FALSE(sql.RunSQL(query, "SELECT * FROM \"" + kTable + "\"", true));
  EXPECT_FALSE(query.Active());
  EXPECT_FALSE(sql.RunSQL(query, "   ", false)) << "an empty statement fails";
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
