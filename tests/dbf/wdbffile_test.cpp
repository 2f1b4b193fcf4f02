#include "dbf/wdbffile.h"

#include <gtest/gtest.h>

#include "common/strict.h"
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/recording_ui.h"
#include "common/temp_package.h"
#include "dbf/dbf_singletons.h"
#include "dbf/wsql.h"
#include "dbf_test_helpers.h"
#include "platform/fs.h"

namespace {

namespace fs = std::filesystem;
using dbf_test::Column;
using dbf_test::Row;
using platform::Icon;
using platform::Modality;

const std::string kTable = "C:\\VEM\\SM_R\\INSTAL.DBF";
const char kCaption[] = "Класс WDbfFile";
const char kHeaderCaption[] = "Удаление индексов";

const std::vector<Column> kColumns = {
    {"VID", 'C', 1}, {"NAIM", 'C', 20}, {"DIR", 'C', 30}, {"DOP", 'C', 1}, {"BAZ_", 'C', 3},
    {"YES", 'L', 1}};

const std::vector<Row> kRows = {
    {{"b", "Base one", "C:\\BASES\\ONE\\", "G", "ONE", "F"}},
    {{"a", "Archive", "C:\\VEM\\SM_A\\", "", "", "F"}},
    {{"b", "Base two", "C:\\BASES\\TWO\\", "4", "TWO", "F"}},
};

const std::vector<IndexDef> kDefs = {
    {"Naim", "NAIM", "NAIM"}, {"Vid", "VID", "VID"}, {"VidDir", "VID+DIR", "DIR"},
    {"NULL", "NULL", "NULL"}};

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), ::toupper);
  return s;
}

std::vector<std::string> TagNames(const engine::Table& table) {
  std::vector<std::string> names;
  // Tag names are matched without regard to case; compare them upper-cased.
  for (const engine::TagDef& t : table.Tags()) names.push_back(Upper(t.name));
  std::sort(names.begin(), names.end());
  return names;
}

// Production index files in a folder, whatever their case.
std::vector<std::string> MdxFiles(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) {
    std::string ext = e.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
    if (ext == ".mdx") names.push_back(e.path().filename().string());
  }
  return names;
}

class WDbfFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WDbfFile::ResetStats();
    WSQL::SetStatementObserver(
        [this](const std::string& s, bool ok) { statements.push_back(ok ? s : "FAILED " + s); });
  }
  void TearDown() override { WSQL::SetStatementObserver({}); }

  fs::path Host(const std::string& win) { return pkg.Host(win); }
  fs::path WriteTable(const std::vector<Column>& columns = kColumns,
                      const std::vector<Row>& rows = kRows, uint8_t flag = 0,
                      const std::string& win = kTable) {
    const fs::path host = Host(win);
    dbf_test::WriteBytes(host, dbf_test::DbfBytes(columns, rows, flag));
    return host;
  }
  bool OpenWithTags(TableRef& ref, const std::vector<IndexDef>& defs = kDefs,
                    const std::string& active = "") {
    return service.OpenTable(ref, kTable, false, true, defs.data(), defs.size(), active);
  }
  // Opens the file with the service's tags, then leaves it closed with its
  // production index on disk.
  void BuildIndex() {
    TableRef ref;
    ASSERT_TRUE(OpenWithTags(ref));
    service.CloseTable(ref);
    WDbfFile::ResetStats();
  }
  void ExpectMessage(size_t i, const std::string& text, const std::string& caption,
                     Icon icon = Icon::Warning) {
    ASSERT_LT(i, ui.messages.size());
    EXPECT_EQ(ui.messages[i].text, text);
    EXPECT_EQ(ui.messages[i].title, caption);
    EXPECT_EQ(ui.messages[i].icon, icon);
    EXPECT_EQ(ui.messages[i].modality, Modality::Task);
  }

  testing_support::TempPackage pkg;
  testing_support::RecordingUi ui;
  WDbfFile service;
  std::vector<std::string> statements;
};

TEST_F(WDbfFileTest, DescriptionAndSingleInstance) {
  EXPECT_EQ(service.Description(), "Класс WDbfFile");
  EXPECT_EQ(&SingleDbfFile::Instance(), &SingleDbfFile::Instance());
  EXPECT_EQ(SingleDbfFile::Instance().Description(), "Класс WDbfFile");
}

TEST_F(WDbfFileTest, ShortFormReplacesTheReferenceAndCloseTableFreesIt) {
  WriteTable();
  TableRef ref = std::make_unique<engine::Table>();
  ref->SetTableName("OTHER.DBF");
  ref->SetExclusive(true);
  ASSERT_TRUE(service.OpenTable(ref, kTable, true));
  ASSERT_TRUE(ref);
  EXPECT_TRUE(ref->IsOpen());
  EXPECT_FALSE(ref->Exclusive());
  EXPECT_EQ(ref->DatabaseName(), "C:\\VEM\\SM_R");
  EXPECT_EQ(ref->TableName(), "INSTAL.DBF");
  EXPECT_EQ(ref->RecordCount(), 3u);
  EXPECT_TRUE(MdxFiles(Host(kTable).parent_path()).empty()) << "the short form makes no index";
  EXPECT_EQ(WDbfFile::Stats().attempts, 1);

  EXPECT_TRUE(service.CloseTable(ref));
  EXPECT_FALSE(ref);
  EXPECT_FALSE(service.CloseTable(ref));
  EXPECT_TRUE(ui.messages.empty());
}

class MissingFileTest : public WDbfFileTest, public ::testing::WithParamInterface<bool> {};

TEST_P(MissingFileTest, LeavesTheReferenceAndWarnsOnlyWhenAsked) {
  const bool report = GetParam();
  TableRef ref = std::make_unique<engine::Table>();
  const engine::Table* old = ref.get();
  EXPECT_FALSE(service.OpenTable(ref, kTable, report, true, kDefs.data(), kDefs.size(), ""));
  EXPECT_EQ(ref.get(), old);
  EXPECT_EQ(WDbfFile::Stats().attempts, 0);
  if (report) {
    ASSERT_EQ(ui.messages.size(), 1u);
    ExpectMessage(0, "Файл:" + kTable + "\nне найден!", kCaption);
    EXPECT_EQ(ui.cursorResets, 1);
  } else {
    EXPECT_TRUE(ui.messages.empty());
  }
}
INSTANTIATE_TEST_SUITE_P(Report, MissingFileTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "On" : "Off"; });

// A production index that cannot be trusted before the first attempt is
// removed and the tags are built from the definition list in that attempt.
struct RepairCase {
  const char* name;
  uint8_t flag;            // header byte 28 as found
  const char* junkIndex;   // a file of garbage beside the table, or nullptr
};

class IndexRepairTest : public WDbfFileTest, public ::testing::WithParamInterface<RepairCase> {};

TEST_P(IndexRepairTest, BuildsTheListedTagsInTheFirstAttempt) {
  const RepairCase& c = GetParam();
  const fs::path host = WriteTable(kColumns, kRows, c.flag);
  if (c.junkIndex)
    dbf_test::WriteBytes(host.parent_path() / c.junkIndex, std::string(4096, '\x55'));

  TableRef ref;
  ASSERT_TRUE(OpenWithTags(ref));
  EXPECT_TRUE(ref->IsOpen());
  EXPECT_FALSE(ref->Exclusive());
  EXPECT_EQ(ref->ActiveTag(), "");
  EXPECT_EQ(TagNames(*ref), (std::vector<std::string>{"NAIM", "VID", "VIDDIR"}));
  EXPECT_EQ(WDbfFile::Stats().attempts, 1);
  EXPECT_EQ(WDbfFile::Stats().tagRepairs, 1);
  EXPECT_EQ(WDbfFile::Stats().indexRemovals, 0);
  service.CloseTable(ref);

  // One production index, claimed by the header, usable by a fresh table.
  EXPECT_EQ(MdxFiles(host.parent_path()).size(), 1u);
  EXPECT_NE(dbf_test::HeaderByte(host, 28), 0);
  engine::Table again;
  again.SetDatabaseName("C:\\VEM\\SM_R");
  again.SetTableName("INSTAL.DBF");
  ASSERT_TRUE(again.SetActiveTag("VIDDIR").ok());
  ASSERT_TRUE(again.Open().ok());
  ASSERT_TRUE(again.First());
  EXPECT_EQ(again.GetString("DIR"), "C:\\VEM\\SM_A\\");  // "a" sorts before "b"
  EXPECT_TRUE(ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IndexRepairTest,
    ::testing::Values(RepairCase{"FlagWithoutMdx", 1, nullptr},
                      RepairCase{"MdxWithoutFlag", 0, "INSTAL.mdx"},
                      RepairCase{"UpperCaseMdxWithoutFlag", 0, "INSTAL.MDX"},
                      RepairCase{"NeitherFlagNorMdx", 0, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// Foreign index files of other programs: the production index goes when
// one of them was written after it.
struct ForeignCase {
  const char* name;
  const char* file;  // on disk, beside INSTAL.DBF
  int age;           // seconds relative to now; the .mdx is 100 s old
  bool rebuilt;
};

class ForeignIndexTest : public WDbfFileTest, public ::testing::WithParamInterface<ForeignCase> {};

TEST_P(ForeignIndexTest, NewerForeignIndexCausesRebuild) {
  const ForeignCase& c = GetParam();
  const fs::path host = WriteTable();
  BuildIndex();
  const std::vector<std::string> mdx = MdxFiles(host.parent_path());
  ASSERT_EQ(mdx.size(), 1u);
  dbf_test::SetMtime(host.parent_path() / mdx[0], -100);
  dbf_test::WriteBytes(host.parent_path() / c.file, "foreign index");
  dbf_test::SetMtime(host.parent_path() / c.file, c.age);

  TableRef ref;
  ASSERT_TRUE(OpenWithTags(ref));
  EXPECT_EQ(TagNames(*ref), (std::vector<std::string>{"NAIM", "VID", "VIDDIR"}));
  EXPECT_EQ(WDbfFile::Stats().attempts, 1);
  EXPECT_EQ(WDbfFile::Stats().tagRepairs, c.rebuilt ? 1 : 0);
  EXPECT_EQ(WDbfFile::Stats().tagChecks, c.rebuilt ? 0 : 1);
  EXPECT_TRUE(fs::exists(host.parent_path() / c.file)) << "foreign files are never touched";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ForeignIndexTest,
    ::testing::Values(ForeignCase{"NtxNewer", "INSTAL.ntx", 50, true},
                      ForeignCase{"OneNtxNewer", "INSTAL1.ntx", 50, true},
                      ForeignCase{"TwoNtxNewerUpperCase", "INSTAL2.NTX", 50, true},
                      ForeignCase{"OneNtxOlder", "INSTAL1.ntx", -200, false},
                      ForeignCase{"OtherNameNewer", "INSTAL3.ntx", 50, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WDbfFileTest, AllTagsPresentOpensSharedInOnePass) {
  const fs::path host = WriteTable();
  BuildIndex();
  // Another program reading the table: an exclusive open would fail now.
  dbf_test::ForeignLock reader(host, false);
  ASSERT_TRUE(reader.held());

  TableRef ref;
  ASSERT_TRUE(OpenWithTags(ref, kDefs, "vid"));
  EXPECT_EQ(WDbfFile::Stats().attempts, 1);
  EXPECT_EQ(WDbfFile::Stats().tagChecks, 1);
  EXPECT_EQ(WDbfFile::Stats().tagRepairs, 0);
  EXPECT_FALSE(ref->Exclusive());
  ASSERT_TRUE(ref->First());
  EXPECT_EQ(ref->GetString("VID"), "a") << "the requested tag orders the rows";
}

TEST_F(WDbfFileTest, RequestedTagOutsideTheListFailsAllAttempts) {
  WriteTable();
  TableRef ref;
  EXPECT_FALSE(OpenWithTags(ref, kDefs, "NoSuchTag"));
  EXPECT_FALSE(ref);
  EXPECT_EQ(WDbfFile::Stats().attempts, 3);
}

// Which rows of a definition list count.
struct ListCase {
  const char* name;
  std::vector<IndexDef> defs;
  std::vector<std::string> tags;
};

class DefinitionListTest : public WDbfFileTest, public ::testing::WithParamInterface<ListCase> {};

TEST_P(DefinitionListTest, ReadsUpToTheEndMark) {
  WriteTable();
  TableRef ref;
  ASSERT_TRUE(OpenWithTags(ref, GetParam().defs));
  EXPECT_EQ(TagNames(*ref), GetParam().tags);
}

std::vector<IndexDef> LongList() {
  // 300 rows without an end mark: rows 1 to 256 name one tag, row 257 another.
  std::vector<IndexDef> defs(300, IndexDef{"Naim", "NAIM", "NAIM"});
  defs[256] = {"Vid", "VID", "VID"};
  return defs;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DefinitionListTest,
    ::testing::Values(
        ListCase{"NullNameInSecondRow",
                 {{"Naim", "NAIM", "NAIM"}, {"NULL", "VID", "VID"}, {"Dir", "DIR", "DIR"}},
                 {"NAIM"}},
        ListCase{"NullExpressionInSecondRow",
                 {{"Naim", "NAIM", "NAIM"}, {"Vid", "NULL", "VID"}, {"Dir", "DIR", "DIR"}},
                 {"NAIM"}},
        ListCase{"NullDescendingInSecondRow",
                 {{"Naim", "NAIM", "NAIM"}, {"Vid", "VID", "NULL"}, {"Dir", "DIR", "DIR"}},
                 {"NAIM"}},
        ListCase{"NoEndMarkStopsAt256Rows", LongList(), {"NAIM"}},
        ListCase{"EmptyList", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WDbfFileTest, TagDifferingOnlyInCaseIsNotAddedAgain) {
  WriteTable();
  TableRef ref;
  const std::vector<IndexDef> first = {{"NAIM_IND", "NAIM", "NAIM"}};
  ASSERT_TRUE(OpenWithTags(ref, first));
  service.CloseTable(ref);

  // "Vid" is missing, so the repair runs; "naim_ind" must match NAIM_IND
  // and keep its key rather than be rebuilt on DIR.
  const std::vector<IndexDef> second = {{"naim_ind", "DIR", "DIR"}, {"Vid", "VID", "VID"}};
  ASSERT_TRUE(OpenWithTags(ref, second, "naim_ind"));
  EXPECT_EQ(WDbfFile::Stats().tagRepairs, 2);
  const std::vector<engine::TagDef> tags = ref->Tags();
  ASSERT_EQ(tags.size(), 2u);
  for (const engine::TagDef& t : tags)
    if (Upper(t.name) == "NAIM_IND") {
      EXPECT_EQ(t.expression, "NAIM");
    }
  ASSERT_TRUE(ref->First());
  EXPECT_EQ(ref->GetString("NAIM"), "Archive");
}

class UnreadableTableTest : public WDbfFileTest, public ::testing::WithParamInterface<bool> {};

TEST_P(UnreadableTableTest, CostsExactlyThreeAttempts) {
  const bool report = GetParam();
  // The header claims field descriptors beyond the end of the file.
  const fs::path host = Host(kTable);
  dbf_test::WriteBytes(host, dbf_test::DbfBytes(kColumns, kRows, 1).substr(0, 48));

  TableRef ref = std::make_unique<engine::Table>();
  EXPECT_FALSE(service.OpenTable(ref, kTable, report, true, kDefs.data(), kDefs.size(), ""));
  EXPECT_FALSE(ref);
  EXPECT_EQ(WDbfFile::Stats().attempts, 3);
  EXPECT_EQ(WDbfFile::Stats().indexRemovals, 1);
  EXPECT_EQ(WDbfFile::Stats().configResets, 1);
  if (report) {
    ASSERT_EQ(ui.messages.size(), 1u);
    ExpectMessage(0, "Ошибка при чтении файла: " + kTable, kCaption);
    EXPECT_EQ(ui.cursorResets, 1);
  } else {
    EXPECT_TRUE(ui.messages.empty());
  }
}
INSTANTIATE_TEST_SUITE_P(Report, UnreadableTableTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "On" : "Off"; });

TEST_F(WDbfFileTest, ReadOnlyTableBecomesWritableAtOpen) {
  const fs::path host = WriteTable();
  fs::permissions(host, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  ASSERT_TRUE(platform::IsReadOnly(kTable));
  TableRef ref;
  ASSERT_TRUE(service.OpenTable(ref, kTable, false));
  EXPECT_FALSE(platform::IsReadOnly(kTable));
}

// --- the header flag and the production index file ---

struct HasIndexCase {
  const char* name;
  uint8_t flag;
  const char* mdx;  // file beside the table, or nullptr
  bool expected;
};

class HasProductionIndexTest : public WDbfFileTest,
                               public ::testing::WithParamInterface<HasIndexCase> {};

TEST_P(HasProductionIndexTest, NeedsBothFileAndFlag) {
  const HasIndexCase& c = GetParam();
  const fs::path host = WriteTable(kColumns, kRows, c.flag);
  if (c.mdx) dbf_test::WriteBytes(host.parent_path() / c.mdx, "index");
  EXPECT_EQ(service.HasProductionIndex(kTable, true), c.expected);
  EXPECT_TRUE(ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, HasProductionIndexTest,
                         ::testing::Values(HasIndexCase{"FlagAndMdx", 1, "INSTAL.mdx", true},
                                           HasIndexCase{"FlagAndUpperCaseMdx", 1, "INSTAL.MDX", true},
                                           HasIndexCase{"FlagWithoutMdx", 1, nullptr, false},
                                           HasIndexCase{"MdxWithoutFlag", 0, "INSTAL.mdx", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Which file RemoveProductionIndex deletes: <name>.mdx for a .dbf table in
// any case, else the full name followed by "x".
struct NameRuleCase {
  const char* name;
  const char* table;
  const char* deleted;
  const char* kept;
};

class IndexNameRuleTest : public WDbfFileTest, public ::testing::WithParamInterface<NameRuleCase> {};

TEST_P(IndexNameRuleTest, RemovesTheRightFileAndClearsTheFlag) {
  const NameRuleCase& c = GetParam();
  const std::string win = std::string("C:\\DATA\\") + c.table;
  const fs::path host = WriteTable(kColumns, kRows, 1, win);
  dbf_test::WriteBytes(host.parent_path() / c.deleted, "index");
  dbf_test::WriteBytes(host.parent_path() / c.kept, "index");

  EXPECT_TRUE(service.RemoveProductionIndex(win, true));
  EXPECT_FALSE(fs::exists(host.parent_path() / c.deleted));
  EXPECT_TRUE(fs::exists(host.parent_path() / c.kept));
  EXPECT_EQ(dbf_test::HeaderByte(host, 28), 0);
  EXPECT_TRUE(ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IndexNameRuleTest,
    ::testing::Values(NameRuleCase{"MixedCaseDbf", "T.DbF", "T.mdx", "T.DbFx"},
                      NameRuleCase{"UpperCaseMdxOnDisk", "T.DBF", "T.MDX", "T.DBFx"},
                      NameRuleCase{"OtherExtension", "T.DAT", "T.DATx", "T.mdx"}),
    [](const auto& info) { return std::string(info.param.name); });

class HeldTableTest : public WDbfFileTest, public ::testing::WithParamInterface<bool> {};

TEST_P(HeldTableTest, HeaderEditChangesNothingWhileAnotherHolderHasTheTable) {
  const fs::path host = WriteTable(kColumns, kRows, 1);
  const fs::path mdx = host.parent_path() / "INSTAL.MDX";
  dbf_test::WriteBytes(mdx, "index");
  const std::string before = dbf_test::ReadBytes(host);
  dbf_test::ForeignLock other(host, /*exclusive=*/GetParam());
  ASSERT_TRUE(other.held());

  EXPECT_FALSE(service.RemoveProductionIndex(kTable, false));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(service.RemoveProductionIndex(kTable, true));
  ASSERT_EQ(ui.messages.size(), 1u);
  ExpectMessage(0,
                "Ошибка при открытии файла:\n" + kTable +
                    "!\nВозможно он используется другой программой.",
                kHeaderCaption);
  EXPECT_EQ(ui.cursorResets, 1);
  EXPECT_EQ(dbf_test::ReadBytes(host), before);
  EXPECT_TRUE(fs::exists(mdx)) << "the index of a table in use is not deleted";
}
INSTANTIATE_TEST_SUITE_P(
    OtherLock, HeldTableTest, ::testing::Bool(),
    [](const auto& info) { return info.param ? "Exclusive" : "Shared"; });

TEST_F(WDbfFileTest, ShortFileIsNeitherExtendedNorTrusted) {
  const fs::path host = Host(kTable);
  dbf_test::WriteBytes(host, "tiny");
  dbf_test::WriteBytes(host.parent_path() / "INSTAL.mdx", "index");

  EXPECT_FALSE(service.HasProductionIndex(kTable, true));
  EXPECT_FALSE(service.RemoveProductionIndex(kTable, true));
  EXPECT_EQ(dbf_test::ReadBytes(host), "tiny");
  ASSERT_EQ(ui.messages.size(), 2u);
  ExpectMessage(0, "Ошибка при чтении файла:\n" + kTable + "!", kHeaderCaption);
  ExpectMessage(1, "Ошибка при записи в файл:\n" + kTable + "!", kHeaderCaption);
}

// --- packing ---

TEST_F(WDbfFileTest, PackOfMissingFileSucceedsAndTouchesNothing) {
  const fs::path dir = Host("C:\\VEM\\SM_R");
  fs::create_directories(dir);
  EXPECT_TRUE(service.PackTable(kTable, true));
  EXPECT_TRUE(fs::is_empty(dir));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(WDbfFile::Stats().attempts, 0);
}

TEST_F(WDbfFileTest, PackRemovesDeletedRows) {
  std::vector<Row> rows = kRows;
  rows[1].deleted = true;
  const fs::path host = WriteTable(kColumns, rows);
  ASSERT_TRUE(service.PackTable(kTable, true));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(dbf_test::HeaderByte(host, 4), 2);  // record count
  if (!dbf_test::DbfreadAvailable()) VEM_SKIP_UNLESS_STRICT("dbfread not installed");
  const dbf_test::ReadBack back = dbf_test::ReadWithDbfread(host);
  ASSERT_TRUE(back.ok) << back.error;
  EXPECT_EQ(back.deleted, 0);
  ASSERT_EQ(back.rows.size(), 2u);
  EXPECT_EQ(back.rows[0][1], "Base one");
  EXPECT_EQ(back.rows[1][1], "Base two");
}

TEST_F(WDbfFileTest, PackRefusedWhileAnotherProgramReadsTheTable) {
  std::vector<Row> rows = kRows;
  rows[1].deleted = true;
  const fs::path host = WriteTable(kColumns, rows);
  const std::string before = dbf_test::ReadBytes(host);
  dbf_test::ForeignLock reader(host, false);
  ASSERT_TRUE(reader.held());

  EXPECT_FALSE(service.PackTable(kTable, true));
  ASSERT_EQ(ui.messages.size(), 1u);
  ExpectMessage(0, "Ошибка при упаковке файла: " + kTable, kCaption, Icon::Error);
  EXPECT_EQ(dbf_test::ReadBytes(host), before);
}

// --- widening a character column ---

struct NoOpResizeCase {
  const char* name;
  const char* column;
  int width;
  bool fileExists;
};

class ResizeNoOpTest : public WDbfFileTest, public ::testing::WithParamInterface<NoOpResizeCase> {};

TEST_P(ResizeNoOpTest, RunsNoStatement) {
  const NoOpResizeCase& c = GetParam();
  fs::path host;
  std::string before;
  if (c.fileExists) {
    host = WriteTable();
    before = dbf_test::ReadBytes(host);
  }
  EXPECT_TRUE(service.ResizeCharColumn(kTable, c.column, c.width));
  EXPECT_TRUE(statements.empty());
  if (c.fileExists) {
    EXPECT_EQ(dbf_test::ReadBytes(host), before);
  }
  EXPECT_TRUE(ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, ResizeNoOpTest,
                         ::testing::Values(NoOpResizeCase{"CurrentWidth", "BAZ_", 3, true},
                                           NoOpResizeCase{"CurrentWidthOtherCase", "baz_", 3, true},
                                           NoOpResizeCase{"MissingColumn", "NOSUCH", 8, true},
                                           NoOpResizeCase{"MissingFile", "BAZ_", 4, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ResizeCase {
  const char* name;
  bool leftoverTemp;
  const char* column;
  int width;
  std::vector<std::string> expectedFields;  // as dbfread reports them
  std::vector<std::string> expectedValues;  // of the resized column, per row
};

class ResizeTest : public WDbfFileTest, public ::testing::WithParamInterface<ResizeCase> {};

TEST_P(ResizeTest, KeepsValuesAndMovesTheColumnLast) {
  const ResizeCase& c = GetParam();
  std::vector<Column> columns = kColumns;
  std::vector<Row> rows = kRows;
  if (c.leftoverTemp) {
    columns.push_back({"TEMP", 'C', 5});
    for (Row& r : rows) r.values.push_back("junk");
  }
  const fs::path host = WriteTable(columns, rows);

  ASSERT_TRUE(service.ResizeCharColumn(kTable, c.column, c.width));
  ASSERT_EQ(statements.size(), c.leftoverTemp ? 6u : 5u);
  if (c.leftoverTemp) {
    EXPECT_EQ(statements[0], "ALTER TABLE '" + kTable + "' DROP TEMP");
  }
  for (const std::string& s : statements) EXPECT_NE(s.rfind("FAILED", 0), 0u) << s;

  if (!dbf_test::DbfreadAvailable()) VEM_SKIP_UNLESS_STRICT("dbfread not installed");
  const dbf_test::ReadBack back = dbf_test::ReadWithDbfread(host);
  ASSERT_TRUE(back.ok) << back.error;
  EXPECT_EQ(back.fields, c.expectedFields);
  ASSERT_EQ(back.rows.size(), c.expectedValues.size());
  for (size_t i = 0; i < back.rows.size(); ++i) {
    EXPECT_EQ(back.rows[i].back(), c.expectedValues[i]) << "row " << i;
    EXPECT_EQ(back.rows[i][0], kRows[i].values[0]) << "other columns keep their values";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResizeTest,
    ::testing::Values(
        ResizeCase{"Widen",
                   false,
                   "BAZ_",
                   4,
                   {"VID C 1 0", "NAIM C 20 0", "DIR C 30 0", "DOP C 1 0", "YES L 1 0",
                    "BAZ_ C 4 0"},
                   {"ONE", "", "TWO"}},
        ResizeCase{"NarrowCuts",
                   false,
                   "NAIM",
                   4,
                   {"VID C 1 0", "DIR C 30 0", "DOP C 1 0", "BAZ_ C 3 0", "YES L 1 0",
                    "NAIM C 4 0"},
                   {"Base", "Arch", "Base"}},
        ResizeCase{"LeftoverTempDroppedFirst",
                   true,
                   "BAZ_",
                   6,
                   {"VID C 1 0", "NAIM C 20 0", "DIR C 30 0", "DOP C 1 0", "YES L 1 0",
                    "BAZ_ C 6 0"},
                   {"ONE", "", "TWO"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WDbfFileTest, FailingDropOfLeftoverTempStopsTheSequence) {
  std::vector<Column> columns = kColumns;
  columns.push_back({"TEMP", 'C', 5});
  const fs::path host = WriteTable(columns, {});
  const std::string before = dbf_test::ReadBytes(host);
  // Another program reads the table: it can be opened, not restructured.
  dbf_test::ForeignLock reader(host, false);
  ASSERT_TRUE(reader.held());

  EXPECT_FALSE(service.ResizeCharColumn(kTable, "BAZ_", 4));
  ASSERT_EQ(statements.size(), 1u);
  EXPECT_EQ(statements[0], "FAILED ALTER TABLE '" + kTable + "' DROP TEMP");
  EXPECT_EQ(dbf_test::ReadBytes(host), before);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(WDbfFileTest, ResizeQuotesAnApostropheInTheFileName) {
  const std::string win = "C:\\VEM\\O'NEIL\\INSTAL.DBF";
  WriteTable(kColumns, kRows, 0, win);
  ASSERT_TRUE(service.ResizeCharColumn(win, "BAZ_", 4));
  TableRef ref;
  ASSERT_TRUE(service.OpenTable(ref, win, false));
  ASSERT_TRUE(ref->FindField("BAZ_"));
  EXPECT_EQ(ref->FindField("BAZ_")->length, 4);
  ASSERT_TRUE(ref->First());
  EXPECT_EQ(ref->GetString("BAZ_"), "ONE");
}

// --- filtering ---

TEST_F(WDbfFileTest, ApplyFilterCountsAndMovesToTheFirstMatch) {
  WriteTable();
  TableRef ref;
  ASSERT_TRUE(service.OpenTable(ref, kTable, false));
  EXPECT_EQ(service.ApplyFilter(nullptr, "VID = 'b'"), 0);

  ref->Last();
  EXPECT_EQ(service.ApplyFilter(ref.get(), "VID = 'b'"), 2);
  EXPECT_TRUE(ref->Filtered());
  EXPECT_EQ(ref->GetString("NAIM"), "Base one");
  EXPECT_EQ(service.ApplyFilter(ref.get(), "VID = 'a'"), 1);
  EXPECT_EQ(ref->GetString("NAIM"), "Archive");
  EXPECT_EQ(service.ApplyFilter(ref.get(), "VID = 'z'"), 0);

  EXPECT_THROW(service.ApplyFilter(ref.get(), "VID = "), engine::EngineError);
  EXPECT_THROW(service.ApplyFilter(ref.get(), "NOSUCH = 'b'"), engine::EngineError);
}

}  // namespace
