// Registering the INSTALL.APP list writes the production index once, at the
// end of the list: the index on disk must still hold every row registered.
#include <filesystem>

#include "engine/env.h"
#include "engine/mdx.h"
#include "install_fixture.h"

namespace install_test {
namespace {

TEST_F(InstallTest, BasesRegisteredInOneBatchAreInTheIndexOnDisk) {
  DefaultTable();
  const std::vector<std::string> dirs = {"C:\\NB\\B_0001\\", "C:\\NB\\B_0002\\",
                                         "C:\\NB\\B_0003\\"};
  std::vector<AppEntry> entries;
  for (const auto& dir : dirs) {
    builder.MakeBase(dir);
    entries.push_back({"Base", "G", dir});
  }
  builder.WriteInstallApp(entries);
  ASSERT_TRUE(Start({kRoot}));
  ASSERT_EQ(dm().GetRecordCount(), 3);

  // The keys of tag VidDir as the .mdx holds them.
  std::filesystem::path mdx;
  for (const auto& e : std::filesystem::directory_iterator(package.Host("C:\\VEM\\SM_R")))
    if (e.path().extension() == ".mdx" || e.path().extension() == ".MDX") mdx = e.path();
  ASSERT_FALSE(mdx.empty());
  auto keys = engine::mdx::ReadKeys(engine::CurrentEnv(), mdx, "VidDir");
  ASSERT_TRUE(keys.ok()) << keys.status().message();
  std::vector<std::string> baseKeys;
  for (const auto& [key, record] : *keys) {
    const std::string trimmed = key.substr(0, key.find_last_not_of(' ') + 1);
    if (trimmed[0] == 'b') baseKeys.push_back(trimmed.substr(1));
  }
  EXPECT_THAT(baseKeys, ::testing::UnorderedElementsAreArray(dirs));
}

}  // namespace
}  // namespace install_test
