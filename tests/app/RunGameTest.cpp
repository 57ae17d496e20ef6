#include "app/RunGame.h"

#include "app/GameApp.h"
#include "framework/platform/MessageBox.h"
#include "support/MissingPictures.h"
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

using TestSupport::MissingPictures;
using TestSupport::TempFolder;
using TestSupport::TestGameApp;

struct MessageBoxes
{
    MessageBoxes()
    {
        Platform::SetMessageBoxHandler(
            [this](const std::string& text, const std::string& caption, int flags)
            {
                shown.push_back(caption + ": " + text + " (" + std::to_string(flags) + ")");
                return Platform::IDOK;
            });
    }
    ~MessageBoxes() { Platform::SetMessageBoxHandler({}); }
    std::vector<std::string> shown;
};

TEST(RunGameTest, WithoutPlayUrlTheGameRefusesToStart)
{
    TempFolder folder;
    MessageBoxes boxes;
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
        "Error: Some files are corrupt. The game may not run. Please reinstall the game. (0)"};
    EXPECT_EQ(boxes.shown, expected);
}

TEST(RunGameTest, StartsAndStopsOnTheShippedData)
{
    TempFolder folder;
    MessageBoxes boxes;
    std::filesystem::copy(ORLO_DATA_SOURCE_DIR, folder.Path(), std::filesystem::copy_options::recursive);
    ASSERT_TRUE(folder.Exists("play.url"));

    int result = RunGame([] { return std::make_unique<TestGameApp>(); });
    EXPECT_EQ(result, 0);
    // Page faces still being drawn are reported as missing, and the game goes on; nothing else.
    std::vector<std::string> others = MissingPictures::OtherMessages(boxes.shown, folder.Path());
    EXPECT_TRUE(others.empty()) << (others.empty() ? "" : others[0]);
    EXPECT_FALSE(folder.Exists("log.txt")) << "no log unless the player asked for one";

    // The application saved the new player's progress when it was destroyed.
    EXPECT_EQ(folder.ReadFile("share/Orlo/players/Traveller/save.dat").size(), 20u * 181u + 11u);
    TestGameApp reader;
    std::string player;
    EXPECT_TRUE(reader.RegistryReadString("PlayerName", player));
    EXPECT_EQ(player, "Traveller");

    // A second run with a log file restarts it and logs the whole start-up.
    folder.WriteFile("log.txt", "an old run\r\n");
    EXPECT_EQ(RunGame([] { return std::make_unique<TestGameApp>(); }), 0);
    std::string log = folder.ReadFile("log.txt");
    EXPECT_EQ(log.rfind("New game\r\nLoading config\r\n", 0), 0u) << log;
    EXPECT_NE(log.find("Loading game\r\n"), std::string::npos);
    EXPECT_NE(log.find("Config loaded\r\nCreating widgets\r\nTrying to change set\r\nSets changed\r\n"
                       "Widgets created\r\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("an old run"), std::string::npos);
    EXPECT_TRUE(MissingPictures::OtherMessages(boxes.shown, folder.Path()).empty());
}

} // namespace
} // namespace Vesk
