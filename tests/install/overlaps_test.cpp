// Identifiers that several bases share: the start-up check, and the check
// that refuses a taken identifier on add and edit.
#include <array>

#include "install_fixture.h"

namespace install_test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

struct OverlapCase {
  const char* name;
  // Base rows: name, directory, stored identifier.
  std::vector<std::array<const char*, 3>> bases;
  std::vector<ScriptedChooser::Answer> answers;
  bool started;
  std::vector<size_t> dialogSizes;       // entries per dialog shown
  std::vector<std::string> remainingDirs;  // base rows left, in natural order
};

class OverlapTest : public InstallTest, public ::testing::WithParamInterface<OverlapCase> {};

TEST_P(OverlapTest, UserKeepsOneBasePerIdentifier) {
  const OverlapCase& c = GetParam();
  DefaultTable();
  for (const auto& b : c.bases) builder.Table().Base(b[0], b[1], b[2]);
  for (const auto& a : c.answers) chooser.answers.push_back(a);

  EXPECT_EQ(Start(), c.started);

  std::vector<size_t> sizes;
  for (const auto& d : chooser.shown) sizes.push_back(d.size());
  EXPECT_THAT(sizes, ElementsAreArray(c.dialogSizes));
  std::vector<std::string> warnings(c.dialogSizes.size(), install::kOverlapsFound);
  EXPECT_THAT(ui.Texts(), ElementsAreArray(warnings));
  for (const auto& m : ui.messages) {
    EXPECT_EQ(m.title, install::kOverlapsTitle);
    EXPECT_EQ(m.icon, platform::Icon::Warning);
    EXPECT_EQ(m.modality, platform::Modality::Task);
  }
  EXPECT_THAT(OracleColumn("b", "DIR"), ElementsAreArray(c.remainingDirs));
  if (c.started) {
    // The status bar counts the bases that stayed, not the rows shown while
    // one identifier was being resolved.
    EXPECT_EQ(session->BaseCount(), static_cast<int>(c.remainingDirs.size()));
    EXPECT_EQ(session->tableChanged(), !c.dialogSizes.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Overlaps, OverlapTest,
    ::testing::Values(
        OverlapCase{"KeepOneOfThree",
                    {{"A", "C:\\NB\\GESN2001\\", "N200"},
                     {"B", "D:\\NB\\GESN2001\\", "N200"},
                     {"C", "E:\\GESN2001\\", "N200"},
                     {"T", "C:\\NB\\TER\\", "TER"}},
                    {ScriptedChooser::Keep(1)},
                    true,
                    {3},
                    {"D:\\NB\\GESN2001\\", "C:\\NB\\TER\\"}},
        OverlapCase{"CancelInTheSecondOfTwoDialogs",
                    {{"A", "C:\\A\\GESN2001\\", "N200"},
                     {"B", "C:\\B\\GESN2001\\", "N200"},
                     {"C", "C:\\A\\FER2001\\", "R200"},
                     {"D", "C:\\B\\FER2001\\", "R200"}},
                    {ScriptedChooser::Keep(0), ScriptedChooser::Cancel()},
                    false,
                    {2, 2},
                    // N200 comes first in byte order; its deletion stays.
                    {"C:\\A\\GESN2001\\", "C:\\A\\FER2001\\", "C:\\B\\FER2001\\"}},
        OverlapCase{"TwoEmptyIdentifiers",
                    {{"A", "C:\\NB_\\", ""}, {"B", "D:\\NB_\\", ""}, {"T", "C:\\TER\\", "TER"}},
                    {ScriptedChooser::Keep(1)},
                    true,
                    {2},
                    {"D:\\NB_\\", "C:\\TER\\"}},
        OverlapCase{"SameBaseTwice",
                    {{"A", "C:\\NB\\TER\\", "TER"}, {"A", "C:\\NB\\TER\\", "TER"}},
                    {ScriptedChooser::Keep(1)},
                    true,
                    {2},
                    {"C:\\NB\\TER\\"}},
        OverlapCase{"ApostropheInTheIdentifier",
                    {{"A", "C:\\X_O'NE\\", "O'NE"}, {"B", "D:\\Y_O'NE\\", "O'NE"}},
                    {ScriptedChooser::Keep(0)},
                    true,
                    {2},
                    {"C:\\X_O'NE\\"}},
        OverlapCase{"AnswerThatKeepsNothingIsNotResolved",
                    {{"A", "C:\\A\\TER\\", "TER"}, {"B", "C:\\B\\TER\\", "TER"}},
                    {[](std::vector<install::ErrorStruct>&) { return true; }},
                    false,
                    {2},
                    {"C:\\A\\TER\\", "C:\\B\\TER\\"}},
        OverlapCase{"NoOverlapShowsNothing",
                    {{"A", "C:\\A\\TER\\", "TER"}, {"B", "C:\\B\\FER\\", "FER"}},
                    {},
                    true,
                    {},
                    {"C:\\A\\TER\\", "C:\\B\\FER\\"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstallTest, OverlapDialogEntriesCarryTheAnsiFormOfNameAndDirectory) {
  DefaultTable();
  builder.Table()
      .Base("Сметная база", "C:\\Базы\\GESN2001\\", "N200")
      .Base("Вторая", "C:\\Другие\\GESN2001\\", "N200");
  chooser.answers.push_back(ScriptedChooser::Keep(0));
  ASSERT_TRUE(Start());
  ASSERT_EQ(chooser.shown.size(), 1u);
  EXPECT_EQ(chooser.shown[0][0].Name, "Сметная база");
  EXPECT_EQ(chooser.shown[0][0].Path, "C:\\Базы\\GESN2001\\");
  EXPECT_EQ(chooser.shown[0][1].Name, "Вторая");
  EXPECT_FALSE(chooser.shown[0][1].Keep);
  // After the check the table shows the base rows again.
  EXPECT_EQ(table().FilterText(), "VID = 'b'");
  EXPECT_TRUE(table().Filtered());
}

TEST_F(InstallTest, TakenIdentifierIsFoundAndWarnedAbout) {
  DefaultTable();
  builder.Table().Base("GESN", "C:\\NB\\GESN\\", "GESN").Base("Quote", "C:\\NB\\X_O'NE\\", "O'NE");
  ASSERT_TRUE(Start());
  struct Case {
    const char* dir;
    bool taken;
  };
  for (const Case& c : {Case{"D:\\NB_GESN\\", true}, Case{"D:\\Z_O'NE\\", true},
                        Case{"D:\\NB_GES\\", false}, Case{"D:\\NB_GESNX\\", true},
                        Case{"D:\\nb_gesn\\", false}}) {
    SCOPED_TRACE(c.dir);
    ui.messages.clear();
    EXPECT_EQ(dm().BaseIdentExists({"new", "G", c.dir}), c.taken);
    if (!c.taken) {
      EXPECT_TRUE(ui.messages.empty());
      continue;
    }
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string folder = std::string(c.dir).substr(3, std::string(c.dir).size() - 4);
    EXPECT_EQ(ui.messages[0].text, "Нормативная база с таким идентификатором уже существует\n"
                                   "Поменяйте идентификатор у папки " + folder + "\n");
    EXPECT_EQ(ui.messages[0].title, install::kCaption);
    EXPECT_EQ(ui.messages[0].icon, platform::Icon::Warning);
    // The row that holds the identifier is current, under the base filter.
    EXPECT_EQ(testing_support::FromCp866(dm().GetFieldText("BAZ_")),
              folder.find('\'') != std::string::npos ? "O'NE" : "GESN");
    EXPECT_EQ(table().ActiveTag(), "");
  }
}

}  // namespace
}  // namespace install_test
