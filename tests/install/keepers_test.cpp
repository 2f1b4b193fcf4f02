// The scoped keepers of the active tag and of the current row.
#include "install/keepers.h"

#include "install_fixture.h"

namespace install_test {
namespace {

TEST(KeepersTest, NullTableAndUnboundKeepersRaiseTheirMessages) {
  install::TKeeperIndex keeper;
  try {
    keeper.KeepIndex(nullptr);
    FAIL() << "no exception";
  } catch (const install::ExNullTable& e) {
    EXPECT_STREQ(e.what(), "ExNullTable : Pointer to TTable is NULL");
  }
  keeper.RestoreIndex();  // nothing remembered: nothing happens

  install::TKeepBookMark mark;
  try {
    mark.SaveMark();
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "KeepBookMark Ошибка при сохранении метки");
  }
  try {
    mark.GotoMark();
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "KeepBookMark Ошибка при восстановлении метки");
  }
}

TEST_F(InstallTest, KeeperPutsTheTagBackAlsoWhenTheGuardedWorkRaises) {
  DefaultTable();
  builder.Table().Base("b", "C:\\B\\", "B").Base("a", "C:\\A\\", "A");
  ASSERT_TRUE(Start());
  ASSERT_TRUE(dm().SetSortIndex("Naim"));
  try {
    install::TKeeperIndex keeper;
    keeper.KeepAndSetIndex(&table(), "BAZ_");
    EXPECT_EQ(table().ActiveTag(), "BAZ_");
    throw std::runtime_error("stop");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(table().ActiveTag(), "Naim");
  install::TKeeperIndex missing;
  EXPECT_THROW(missing.KeepAndSetIndex(&table(), "NoSuchTag"), engine::EngineError);
  EXPECT_EQ(table().ActiveTag(), "Naim");
}

TEST_F(InstallTest, BookmarkFindsTheRowByItsIdentifierOrEndsOnTheLastRow) {
  DefaultTable();
  builder.Table().Base("1", "C:\\A\\", "A").Base("2", "C:\\B\\", "B").Base("3", "C:\\C\\", "C");
  ASSERT_TRUE(Start());
  install::TKeepBookMark mark(&table());
  ASSERT_TRUE(table().MoveTo(1));
  mark.SaveMark();
  EXPECT_EQ(mark.Mark(), "B");
  table().First();
  mark.GotoMark();
  EXPECT_EQ(table().Position(), 1u);
  // The row with the mark is deleted: the walk ends on the last row.
  ASSERT_TRUE(dm().DeleteBase());
  table().First();
  mark.GotoMark();
  EXPECT_EQ(table().Position(), 1u);
  EXPECT_EQ(table().GetString("BAZ_"), "C");
}

}  // namespace
}  // namespace install_test
