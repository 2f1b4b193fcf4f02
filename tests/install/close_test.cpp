// The close of the main window: the question, saving the working
// directories, tidying and packing the table, putting the start-up copy back.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "install_fixture.h"

namespace install_test {
namespace {

using ::testing::ElementsAre;
using platform::Answer;

std::string ReadBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class CloseTest : public InstallTest {
 protected:
  void StartPackage() {
    DefaultTable();
    builder.MakeWorkDirs();
    builder.MakeBase("C:\\NB\\GESN2001\\");
    builder.Table().Base("GESN", "C:\\NB\\GESN2001\\", "N200");
    builder.WriteTable();
    startBytes = ReadBytes(builder.TableHost());
    builder.WriteInstallApp({});
    ASSERT_TRUE(Start({kRoot}, false));
    ASSERT_TRUE(ui.messages.empty());
  }
  bool HasMdx() { return std::filesystem::exists(package.Host("C:\\VEM\\SM_R\\INSTAL.MDX")) ||
                         std::filesystem::exists(package.Host("C:\\VEM\\SM_R\\INSTAL.mdx")); }
  bool HasInstallApp() { return std::filesystem::exists(package.Host("C:\\VEM\\SM_R\\INSTALL.APP")); }
  uint8_t HeaderFlag() { return static_cast<uint8_t>(ReadBytes(builder.TableHost()).at(28)); }

  std::string startBytes;
};

TEST_F(CloseTest, NothingUnsavedClosesWithoutAQuestion) {
  StartPackage();
  EXPECT_TRUE(HasMdx());  // while open
  dirs.texts[install::WorkDir::Archive] = "C:\\АРХИВ\\";
  EXPECT_TRUE(session->FormClose());
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(dm().Table(), nullptr);
  EXPECT_FALSE(HasInstallApp());
  EXPECT_FALSE(HasMdx());
  EXPECT_EQ(HeaderFlag(), 0);
  // The working directories were written back from the edits.
  EXPECT_THAT(OracleColumn("i", "DIR"), ElementsAre("C:\\АРХИВ\\"));
  EXPECT_THAT(OracleColumn("b", "NBDATE"), ElementsAre("20100405"));
  // A second close does nothing.
  EXPECT_TRUE(session->FormClose());
}

TEST_F(CloseTest, AnswerYesKeepsTheChanges) {
  StartPackage();
  ASSERT_TRUE(dm().DeleteBase());
  ui.Script({Answer::Yes});
  EXPECT_TRUE(session->FormClose());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Остались несохраненные изменения\n\tСохранить?");
  EXPECT_EQ(ui.messages[0].title, install::kCaption);
  EXPECT_EQ(ui.messages[0].icon, platform::Icon::Question);
  EXPECT_EQ(ui.messages[0].buttons, platform::Buttons::YesNoCancel);
  EXPECT_TRUE(OracleColumn("b", "DIR").empty());
  EXPECT_FALSE(HasInstallApp());
  EXPECT_FALSE(HasMdx());
}

TEST_F(CloseTest, AnswerNoPutsTheStartUpBytesBack) {
  StartPackage();
  ASSERT_TRUE(dm().DeleteBase());
  session->Save();  // Save does not refresh the start-up copy
  session->SetBaseChanged(true);
  ui.Script({Answer::No});
  EXPECT_TRUE(session->FormClose());
  EXPECT_EQ(ReadBytes(builder.TableHost()), startBytes);
  EXPECT_FALSE(HasInstallApp());
  EXPECT_TRUE(session->BackupCopy().CopyName().empty());
}

TEST_F(CloseTest, AnswerCancelKeepsTheWindowOnTheBaseRows) {
  StartPackage();
  session->SetWorkDirsChanged(true);
  dm().SaveWorkDirs(true);  // as the dialog does: the filter is off afterwards
  ASSERT_FALSE(table().Filtered());
  ui.Script({Answer::Cancel});
  EXPECT_FALSE(session->FormClose());
  ASSERT_NE(dm().Table(), nullptr);
  EXPECT_TRUE(table().Filtered());
  EXPECT_THAT(Shown("DIR"), ElementsAre("C:\\NB\\GESN2001\\"));
  EXPECT_TRUE(HasInstallApp());
  // Closing again asks again.
  ui.Script({Answer::Yes});
  EXPECT_TRUE(session->FormClose());
  EXPECT_EQ(ui.messages.size(), 2u);
}

TEST_F(CloseTest, FailedRestoreTellsWhereTheCopyIsKept) {
  StartPackage();
  ASSERT_TRUE(dm().DeleteBase());
  const std::string copy = session->BackupCopy().CopyName();
  ASSERT_FALSE(copy.empty());
  const std::string aside = copy + ".aside";
  // Once the user has answered No, the copy cannot be read back: a folder
  // stands in its place.
  ui.onShow = [&](const platform::Message& m, Answer& answer) {
    if (m.buttons != platform::Buttons::YesNoCancel) return false;
    std::filesystem::rename(copy, aside);
    std::filesystem::create_directory(copy);
    answer = Answer::No;
    return true;
  };
  EXPECT_TRUE(session->FormClose());
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].text, "Не удалось восстановить файл:\nC:\\VEM\\SM_R\\INSTAL.DBF\n"
                                 "Копия файла на момент запуска программы сохранена:\n" + copy);
  EXPECT_EQ(ui.messages[1].title, install::kCaption);
  EXPECT_EQ(ui.messages[1].icon, platform::Icon::Error);
  EXPECT_TRUE(session->Closed());
  EXPECT_TRUE(session->BackupCopy().RestoreFailed());
  session.reset();
  // The copy the message names outlives the session.
  EXPECT_TRUE(std::filesystem::exists(copy));
  std::filesystem::remove(copy);
  EXPECT_EQ(ReadBytes(aside), startBytes);
  std::filesystem::remove(aside);
}

TEST_F(CloseTest, InvalidRowsGoAndTheFileIsPacked) {
  DefaultTable();
  builder.MakeBase("C:\\NB\\GESN2001\\");
  builder.Table()
      .Base("ok", "C:\\NB\\GESN2001\\", "N200")
      .Row({{"VID", ""}, {"NAIM", "empty kind 1"}})
      .Row({{"VID", ""}, {"NAIM", "empty kind 2"}})
      .Base("net", "\\\\server\\share\\NB\\", "NB1")
      .Base("rel", "NB\\REL\\", "REL")
      .Row({{"VID", "z"}, {"NAIM", "other program"}, {"DIR", "no colon"}})
      .Row({{"VID", "b"}, {"NAIM", "deleted"}, {"DIR", "C:\\D\\"}}, true);
  ASSERT_TRUE(Start());
  EXPECT_EQ(dm().GetRecordCount(), 3);  // the deleted row is not seen
  ASSERT_TRUE(session->FormClose());
  auto t = Oracle();
  std::vector<std::string> names;
  for (const auto& r : t.rows) names.push_back(r.at("NAIM"));
  EXPECT_EQ(names.size(), 8u);  // six default rows, ok, z
  EXPECT_THAT(OracleColumn("b", "NAIM"), ElementsAre("ok"));
  EXPECT_THAT(OracleColumn("z", "NAIM"), ElementsAre("other program"));
  // Packed: the record count is the number of live rows, nothing marked.
  const std::string bytes = ReadBytes(builder.TableHost());
  const uint32_t count = static_cast<uint8_t>(bytes[4]) | static_cast<uint8_t>(bytes[5]) << 8;
  EXPECT_EQ(count, 8u);
  EXPECT_EQ(static_cast<uint8_t>(bytes[28]), 0);
  EXPECT_FALSE(std::filesystem::exists(package.Host("C:\\VEM\\SM_R\\INSTAL.MDX")));
  EXPECT_FALSE(std::filesystem::exists(package.Host("C:\\VEM\\SM_R\\INSTAL.mdx")));
}

TEST_F(CloseTest, CloseWithNoAnswerDeletesOnlyInvalidBaseRows) {
  // On the close that restores, the view still shows base rows only; what
  // it deletes is thrown away by the restore anyway.
  DefaultTable();
  builder.Table().Base("rel", "NB\\REL\\", "REL");
  builder.WriteTable();
  startBytes = ReadBytes(builder.TableHost());
  ASSERT_TRUE(Start({}, false));
  session->SetBaseChanged(true);
  ui.Script({Answer::No});
  ASSERT_TRUE(session->FormClose());
  EXPECT_EQ(ReadBytes(builder.TableHost()), startBytes);
}

}  // namespace
}  // namespace install_test
