#include "app/RunGame.h"

#include "app/GameApp.h"
#include "support/MessageBoxRecorder.h"
#include "support/TempFolder.h"
#include "support/TestGameApp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::TempFolder;
using TestSupport::TestGameApp;

TEST(RunGameTest, WithoutPlayUrlTheGameRefusesToStart)
{
    TempFolder folder;
    TestSupport::MessageBoxRecorder boxes;
    bool created = false;
    int result = RunGame(
        [&created]
        {
            created = true;
            return std::make_unique<TestGameApp>();
        });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(created) << "no application is created";
    std::vector<std::string> expected = {
        "Error: Some files are corrupt. The game may not run. Please reinstall the game."};
    EXPECT_EQ(boxes.shown, expected);
    EXPECT_EQ(boxes.flags, std::vector<int>{0});
}

// The built game as a player gets it: main.pak and the two link files beside the program.
void CopyBuiltGame(const TempFolder& folder)
{
    const std::filesystem::path built(ORLO_BUILT_DATA_DIR);
    for (const char* file : {"main.pak", "play.url", "website.url"})
        std::filesystem::copy_file(built / file, folder.Path() / file);
}

TEST(RunGameTest, StartsAndStopsOnTheShippedData)
{
    TempFolder folder;
    TestSupport::MessageBoxRecorder boxes;
    CopyBuiltGame(folder);

    int result = RunGame([] { return std::make_unique<TestGameApp>(true); });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown[0];
    EXPECT_FALSE(folder.Exists("log.txt")) << "no log unless the player asked for one";

    // The application saved the new player's progress when it was destroyed.
    EXPECT_EQ(folder.ReadFile("share/Orlo/players/Traveller/save.dat").size(), 20u * 181u + 11u);
    TestGameApp reader;
    std::string player;
    EXPECT_TRUE(reader.RegistryReadString("PlayerName", player));
    EXPECT_EQ(player, "Traveller");

    // A second run with a log file restarts it and logs the whole start-up.
    folder.WriteFile("log.txt", "an old run\r\n");
    EXPECT_EQ(RunGame([] { return std::make_unique<TestGameApp>(true); }), 0);
    std::string log = folder.ReadFile("log.txt");
    EXPECT_EQ(log.rfind("New game\r\nLoading config\r\n", 0), 0u) << log;
    EXPECT_NE(log.find("Loading game\r\n"), std::string::npos);
    EXPECT_NE(log.find("Config loaded\r\nCreating widgets\r\nTrying to change set\r\nSets changed\r\n"
                       "PlayScene intro\r\nWidgets created\r\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("an old run"), std::string::npos);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown[0];
}

} // namespace
} // namespace Vesk
