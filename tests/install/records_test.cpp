// Base rows after the start: add, edit, delete, delete missing, and the
// list's data source.
#include <filesystem>

#include "install_fixture.h"

namespace install_test {
namespace {

using ::testing::ElementsAre;

class RecordsTest : public InstallTest {
 protected:
  void StartWithBases() {
    DefaultTable();
    builder.MakeBase("C:\\NB\\GESN2001\\");
    builder.MakeBase("C:\\NB\\TER\\");
    builder.Table()
        .Base("ГЭСН", "C:\\NB\\GESN2001\\", "N200")
        .Base("ТЕР", "C:\\NB\\TER\\", "TER");
    ASSERT_TRUE(Start());
    ASSERT_FALSE(session->HasUnsavedChanges());
  }
  bool GoTo(const std::string& ident) {
    auto& ds = dm().DS();
    for (size_t i = 0; i < ds.RowCount(); ++i)
      if (ds.FieldText(i, "BAZ_") == ident) return ds.SetCurrentRow(i);
    return false;
  }
};

TEST_F(RecordsTest, AddedBaseIsStoredInOemFormAndCountsAsAChange) {
  StartWithBases();
  builder.MakeBase("C:\\Базы\\FER2001\\");
  const std::string dir = "C:\\Базы\\FER2001\\";
  nsBase::SRecord record{"b", testing_support::ToCp866("Федеральные"), testing_support::ToCp866(dir),
                         "G", install::TdmInstall::IdentOf(dir), "20100405"};
  ASSERT_TRUE(dm().ApplyRecord(record, install::TAR_INSERT));
  EXPECT_TRUE(session->tableChanged());
  EXPECT_EQ(session->BaseCount(), 3);
  EXPECT_EQ(session->Identifier(), "R200");
  EXPECT_EQ(testing_support::FromCp866(dm().GetFieldText("NAIM")), "Федеральные");
  EXPECT_THAT(OracleColumn("b", "DIR"),
              ElementsAre("C:\\NB\\GESN2001\\", "C:\\NB\\TER\\", "C:\\Базы\\FER2001\\"));
  EXPECT_THAT(OracleColumn("b", "NBDATE"), ElementsAre("20100405", "20100405", "20100405"));
}

TEST_F(RecordsTest, EditRewritesTheRowAndEmptiesItsDate) {
  StartWithBases();
  ASSERT_TRUE(GoTo("TER"));
  builder.MakeBase("C:\\NB\\TSN\\");
  EXPECT_TRUE(dm().EditBase({"Новое имя", "M", "C:\\NB\\TSN\\"}, true));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_THAT(OracleColumn("b", "NAIM"), ElementsAre("ГЭСН", "Новое имя"));
  EXPECT_THAT(OracleColumn("b", "BAZ_"), ElementsAre("N200", "TSN"));
  EXPECT_THAT(OracleColumn("b", "NBDATE"), ElementsAre("20100405", ""));
  EXPECT_EQ(testing_support::FromCp866(dm().GetFieldText("NAIM")), "Новое имя");
}

TEST_F(RecordsTest, EditIsRefusedForItsOwnIdentifier) {
  StartWithBases();
  ASSERT_TRUE(GoTo("TER"));
  // A new directory whose folder has the same name keeps the identifier,
  // which the check finds in the row itself.
  EXPECT_FALSE(dm().EditBase({"X", "G", "D:\\OTHER\\TER\\"}, true));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            "Нормативная база с таким идентификатором уже существует\nПоменяйте идентификатор у папки TER\n");
  EXPECT_EQ(dm().GetFieldText("BAZ_"), "TER");
  EXPECT_THAT(OracleColumn("b", "DIR"), ElementsAre("C:\\NB\\GESN2001\\", "C:\\NB\\TER\\"));
  // Without the check (name or type only) the edit goes through.
  EXPECT_TRUE(dm().EditBase({"X", "G", "C:\\NB\\TER\\"}, false));
  EXPECT_THAT(OracleColumn("b", "NAIM"), ElementsAre("ГЭСН", "X"));
}

TEST_F(RecordsTest, EditWithoutACurrentRowWritesNothing) {
  DefaultTable();
  ASSERT_TRUE(Start());  // no base rows: the filtered view is empty
  const auto before = Oracle().rows;
  EXPECT_FALSE(dm().EditBase({"X", "G", "C:\\NB\\X\\"}, false));
  EXPECT_FALSE(dm().ApplyRecord({"b", "X", "C:\\X\\", "G", "X", ""}, install::TAR_EDIT));
  EXPECT_FALSE(dm().DeleteBase());
  EXPECT_EQ(Oracle().rows, before);
  EXPECT_FALSE(session->HasUnsavedChanges());
}

TEST_F(RecordsTest, DeleteMissingBasesRemovesConsecutiveGoneDirectories) {
  DefaultTable();
  builder.MakeBase("C:\\NB\\KEEP1\\");
  builder.MakeBase("C:\\NB\\KEEP2\\");
  builder.Table()
      .Base("k1", "C:\\NB\\KEEP1\\", "EEP1")
      .Base("g1", "C:\\NB\\GONE1\\", "ONE1")
      .Base("g2", "C:\\NB\\GONE2\\", "ONE2")
      .Base("g3", "C:\\NB\\GONE3\\", "ONE3")
      .Base("k2", "C:\\NB\\KEEP2\\", "EEP2")
      .Base("g4", "C:\\NB\\GONE4\\", "ONE4");  // the last row goes too
  ASSERT_TRUE(Start());
  ASSERT_TRUE(GoTo("EEP2"));
  dm().DeleteMissingBases();
  EXPECT_THAT(Shown("NAIM"), ElementsAre("k1", "k2"));
  EXPECT_EQ(dm().DS().CurrentRow(), 0u);
  EXPECT_TRUE(session->tableChanged());
  EXPECT_EQ(session->BaseCount(), 2);
  // Other kinds are not examined.
  EXPECT_EQ(OracleColumn("a", "DIR").size(), 1u);
}

TEST_F(RecordsTest, DeleteBaseLeavesTheFolderOnDisk) {
  StartWithBases();
  ASSERT_TRUE(GoTo("N200"));
  ASSERT_TRUE(dm().DeleteBase());
  EXPECT_THAT(Shown("BAZ_"), ElementsAre("TER"));
  EXPECT_TRUE(std::filesystem::exists(package.Host("C:\\NB\\GESN2001\\NB.INI")));
  EXPECT_TRUE(session->tableChanged());
}

TEST_F(RecordsTest, DataSourceReadsRowsInTheActiveOrderWithoutMovingTheCursor) {
  DefaultTable();
  builder.Table()
      .Base("Яблоко", "C:\\NB\\A\\", "A")
      .Base("Абрикос", "C:\\NB\\B\\", "B")
      .Base("Вишня", "C:\\NB\\C\\", "C");
  ASSERT_TRUE(Start());
  auto& ds = dm().DS();
  int resets = 0, moves = 0;
  ds.Subscribe([&](install::DataSource::Change c) {
    (c == install::DataSource::Change::kReset ? resets : moves)++;
  });
  ASSERT_TRUE(ds.SetCurrentRow(0));
  EXPECT_EQ(session->Identifier(), "A");
  const int before = moves;
  ASSERT_TRUE(ds.SetCurrentRow(2));
  EXPECT_EQ(session->Identifier(), "C");
  EXPECT_EQ(moves, before + 1);

  dm().KeepPosition();
  ASSERT_TRUE(dm().SetSortIndex("Naim"));
  dm().RestorePosition();
  EXPECT_GE(resets, 1);
  EXPECT_THAT(Shown("NAIM"), ElementsAre("Абрикос", "Вишня", "Яблоко"));
  EXPECT_EQ(ds.CurrentRow(), 1u);  // still "Вишня"
  const int scrolled = moves;
  EXPECT_EQ(testing_support::FromCp866(ds.FieldText(2, "NAIM")), "Яблоко");
  EXPECT_EQ(ds.CurrentRow(), 1u);
  EXPECT_EQ(moves, scrolled);
  EXPECT_EQ(ds.FieldText(7, "NAIM"), "");
  EXPECT_EQ(ds.FieldText(0, "NOSUCH"), "");

  ASSERT_TRUE(dm().SetSortIndex(""));
  EXPECT_THAT(Shown("NAIM"), ElementsAre("Яблоко", "Абрикос", "Вишня"));
  EXPECT_FALSE(dm().SetSortIndex("Missing"));
}

}  // namespace
}  // namespace install_test
