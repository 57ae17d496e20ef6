#include "app/GameApp.h"

#include "app/SaveFile.h"
#include "framework/appbase/Buffer.h"
#include "support/MessageBoxRecorder.h"
#include "support/PngFile.h"
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

using TestSupport::PngFile;
using TestSupport::TempFolder;
using TestSupport::TestGameApp;

// Ten pages: cover, contents, two sets of three, then the mini-game list and the credits.
const char* kConfig = R"(<?xml version="1.0" encoding="utf-8"?>
<Common><default_fullscreen>true</default_fullscreen></Common>
<Pages><PagesNumber>10</PagesNumber><TitlesNumber>2</TitlesNumber><AfterSet1>2</AfterSet1></Pages>
<!-- Content records: pages, titles, mini-game entries, bonuses, sets, desk items, camera paths. -->
<Pages>
  <Page1 face="f/cover" type="Cover" open="true"/>
  <Page2 face="f/contents" type="Contents" open="true"/>
  <Page3 face="f/p3" done_face="f/contents" dir="pages/p03/" type="Game" open="true" time="600" items="3"/>
  <Page4 face="f/p4" dir="pages/p04/" type="MG1" open="true" time="300" items="6"/>
  <Page5 face="f/p5" dir="pages/p05/" type="Game" open="true"/>
  <Page6 face="f/p6" dir="pages/p06/" type="Game"/>
  <Page7 face="f/p7" dir="pages/p07/" type="MG2"/>
  <Page8 face="f/p8" dir="pages/p08/" type="NGame"/>
  <Page9 face="f/p9" type="MGList" open="true"/>
  <Page10 face="f/p10" type="Credits" open="true"/>
  <Title3 page="3" x="10" pn="3"/>
  <MG1 page="4" x="70"/>
  <Bonus1 x="10" y="20" bitmap="b/1"/>
  <Bonus2 x="30" y="40" bitmap="b/2"/>
</Pages>
<Gameplay>
  <Set1 a="3" b="4" c="5"/>
  <Set2 a="6" b="7" c="8"/>
  <ToOpen9>8</ToOpen9>
</Gameplay>
<Desktop><TriPoint4 x1="5" y1="5" x2="10" y2="10" x3="15" y3="5" z1="1" z2="1"/></Desktop>
)";

const char* kLocal = R"(<?xml version="1.0" encoding="utf-8"?>
<Titles><Title3>The Harbour</Title3><Text3>Nets and ropes.</Text3></Titles>
<MG_Titles><Title1>The Map</Title1></MG_Titles>
<Common><default_name>Traveller</default_name></Common>
)";

class GameAppTest : public ::testing::Test
{
protected:
    void WriteData()
    {
        folder.WriteFile("properties/config.xml", kConfig);
        folder.WriteFile("properties/local.xml", kLocal);
        std::filesystem::copy_file(std::filesystem::path(ORLO_DATA_SOURCE_DIR) / "properties" / "resources.xml",
                                   folder / "properties" / "resources.xml");
        // Every page has its face picture.
        std::filesystem::create_directories(folder / "f");
        const uint32_t paper[4] = {0xFFF4EBD6, 0xFFF4EBD6, 0xFFF4EBD6, 0xFFF4EBD6};
        for (const char* face : {"cover", "contents", "p3", "p4", "p5", "p6", "p7", "p8", "p9", "p10"})
            ASSERT_TRUE(PngFile::Write((folder / "f" / (std::string(face) + ".png")).string(), paper, 2, 2));
    }
    std::unique_ptr<TestGameApp> MakeApp()
    {
        auto app = std::make_unique<TestGameApp>();
        app->SetAppDataFolder((folder / "share").string());
        return app;
    }
    std::string SavePath(const std::string& player) { return "share/players/" + player + "/save.dat"; }

    TempFolder folder;
    TestSupport::MessageBoxRecorder boxes;
};

TEST_F(GameAppTest, LogAppendsOnlyToAnExistingFile)
{
    auto app = MakeApp();
    app->Log("Init");
    EXPECT_FALSE(folder.Exists("log.txt")) << "no log file is ever created";

    folder.WriteFile("log.txt", "earlier\r\n");
    app->Log("Init");
    app->Log(" Starting page 3 of type 'Game'");
    EXPECT_EQ(folder.ReadFile("log.txt"), "earlier\r\nInit\r\n Starting page 3 of type 'Game'\r\n");
}

TEST_F(GameAppTest, InitRestartsAnExistingLog)
{
    WriteData();
    folder.WriteFile("log.txt", "the previous run\r\n");
    {
        auto app = MakeApp();
        app->Init();
        EXPECT_FALSE(app->isShutdown);
    }
    EXPECT_EQ(folder.ReadFile("log.txt"), "New game\r\n"
                                          "Loading config\r\n"
                                          "Extracting XML data\r\n"
                                          "XML data extracted\r\n"
                                          "XML local data extracting\r\n"
                                          "XML local data extracted\r\n"
                                          "Extracting pages data\r\n"
                                          "Pages data extracted\r\n"
                                          "Redrawing contents page\r\n"
                                          "Redrawing MGList\r\n"
                                          "Redrawing MGList done\r\n"
                                          "Redrawing contents page done\r\n"
                                          "Loading game\r\n"
                                          "Extracting pages data\r\n"
                                          "Pages data extracted\r\n"
                                          "Redrawing contents page\r\n"
                                          "Redrawing MGList\r\n"
                                          "Redrawing MGList done\r\n"
                                          "Redrawing contents page done\r\n"
                                          "Game loaded\r\n"
                                          "Config loaded\r\n");
}

TEST_F(GameAppTest, InitWithoutLogCreatesNone)
{
    WriteData();
    auto app = MakeApp();
    app->Init();
    EXPECT_FALSE(folder.Exists("log.txt"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(GameAppTest, MissingConfigurationIsReportedAndStopsTheGame)
{
    {
        auto app = MakeApp();
        app->LoadConfiguration();
        EXPECT_TRUE(app->isShutdown);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0], "Error: Couldn't open properties/config.xml. Error returned:\n\"Unable to open file "
                                  "properties/config.xml\"");
    }
    folder.WriteFile("properties/config.xml", kConfig);
    {
        auto app = MakeApp();
        app->LoadConfiguration();
        EXPECT_TRUE(app->isShutdown);
        ASSERT_EQ(boxes.shown.size(), 2u);
        EXPECT_EQ(boxes.shown[1], "Error: Couldn't open properties/local.xml. Error returned:\n\"Unable to open file "
                                  "properties/local.xml\"");
    }
    EXPECT_FALSE(folder.Exists("share/players")) << "nothing was loaded, so nothing is saved";
}

TEST_F(GameAppTest, FailedStartUpDoesNotOverwriteTheSave)
{
    WriteData();
    {
        auto app = MakeApp();
        app->LoadConfiguration();
        app->content.pages[2].done = true;
        app->SaveGame();
    }
    std::string saved = folder.ReadFile(SavePath("Traveller"));
    ASSERT_EQ(saved.size(), 10u * 181u + 11u);

    std::filesystem::remove(folder / "properties/local.xml");
    {
        auto app = MakeApp();
        app->LoadConfiguration();
        EXPECT_TRUE(app->isShutdown);
    }
    EXPECT_EQ(folder.ReadFile(SavePath("Traveller")), saved);
}

TEST_F(GameAppTest, ContentComesFromBothFiles)
{
    WriteData();
    auto app = MakeApp();
    app->LoadConfiguration();
    const ContentModel& content = app->content;
    EXPECT_EQ(content.pageCount, 10);
    EXPECT_EQ(content.pages[2].type, "Game");
    EXPECT_EQ(content.pages[2].dir, "pages/p03/");
    EXPECT_EQ(content.pages[2].timeLimit, 600);
    EXPECT_EQ(content.pages[2].doneFaceSource, 1);
    EXPECT_EQ(content.titles[0].page, 2);
    EXPECT_EQ(content.titles[0].titleText, "The Harbour");
    EXPECT_EQ(content.titles[0].bodyText, "Nets and ropes.");
    EXPECT_EQ(content.miniGameEntries[0].titleText, "The Map");
    EXPECT_EQ(content.bonusCount, 2);
    EXPECT_EQ(content.setCount, 2);
    ASSERT_EQ(content.openRuleCount, 10) << "nine from the second set, one ToOpen";
    EXPECT_EQ(content.openRules[9].requiredPage, 7);
    EXPECT_EQ(content.openRules[9].targetPage, 8);
    EXPECT_TRUE(content.triPoints[3].valid);
    EXPECT_TRUE(content.miniGamesAvailable) << "page 4 is an open mini-game";
    EXPECT_EQ(app->config.pages.AfterSet[1], 2);

    // A board reload reads everything again without doubling the rules.
    app->LoadConfiguration();
    EXPECT_EQ(app->content.setCount, 2);
    EXPECT_EQ(app->content.openRuleCount, 10);
}

TEST_F(GameAppTest, NewPlayerStartsFullScreenWithTheDefaultName)
{
    WriteData();
    auto app = MakeApp();
    app->LoadConfiguration();
    EXPECT_TRUE(app->isNewPlayer);
    EXPECT_EQ(app->playerName, "Traveller");
    EXPECT_FALSE(app->windowed) << "default_fullscreen applies to a new player";

    std::string saved = folder.ReadFile(SavePath("Traveller"));
    ASSERT_EQ(saved.size(), 10u * 181u + 11u) << "a new game is saved at once";
    EXPECT_EQ(saved[2 * 181], 1) << "page 3 opens initially";
    EXPECT_EQ(saved[5 * 181], 0);
    EXPECT_EQ(saved[2 * 181 + 5 + 4 * 7], 7) << "list slot k starts as k";
    EXPECT_EQ(saved.substr(10 * 181), std::string("\x01\x01\x01\x01\0\0\0\0\x01\x01\x01", 11));

    std::string name;
    EXPECT_TRUE(app->RegistryReadString("PlayerName", name));
    EXPECT_EQ(name, "Traveller");
}

TEST_F(GameAppTest, KnownPlayerKeepsTheWindowAndTheirProgress)
{
    WriteData();
    {
        auto app = MakeApp();
        app->RegistryWriteString("PlayerName", "a.b");
        app->RegistryWriteString("AllPlayers", "0|a.b|");
        app->LoadConfiguration();
        EXPECT_FALSE(app->isNewPlayer);
        EXPECT_TRUE(app->windowed);
        EXPECT_EQ(app->allPlayers, "0|a.b|");
        for (int page = 0; page < 10; ++page)
            app->content.pages[static_cast<size_t>(page)].done = true;
        app->content.pages[3].itemFound[5] = 0.4;
        app->content.pages[3].listSlots[0] = 42;
        app->content.pages[7].openScenePlayed = true;
        app->bonusesTaken = 3;
        app->tutorialPending = false;
    } // the destructor saves
    ASSERT_TRUE(folder.Exists(SavePath("a_fb")));

    auto app = MakeApp();
    app->LoadConfiguration();
    EXPECT_EQ(app->playerName, "a.b");
    const ContentModel& content = app->content;
    EXPECT_TRUE(content.pages[6].done);
    EXPECT_EQ(content.pages[3].itemFound[5], 1.0);
    EXPECT_EQ(content.pages[3].listSlots[0], 42);
    EXPECT_TRUE(content.pages[7].openScenePlayed);
    EXPECT_EQ(app->bonusesTaken, 3);
    EXPECT_FALSE(app->tutorialPending);
    EXPECT_TRUE(app->introPending);
    // Which done faces carry the player's name: GameAppPicturesTest.
}

TEST_F(GameAppTest, ShortSaveFileLoadsWhatItHolds)
{
    WriteData();
    std::string shortSave(181 + 2, '\0');
    shortSave[0] = 1;       // page 1 open
    shortSave[181 + 1] = 1; // page 2 done
    folder.WriteFile(SavePath("Traveller"), shortSave);
    auto app = MakeApp();
    app->RegistryWriteString("PlayerName", "Traveller");
    app->LoadConfiguration();
    EXPECT_TRUE(app->content.pages[0].open);
    EXPECT_TRUE(app->content.pages[1].done);
    EXPECT_FALSE(app->content.pages[5].open) << "missing pages read as closed, and the first set is not done";
    EXPECT_FALSE(app->introPending) << "missing flags read as false";
    EXPECT_EQ(folder.ReadFile(SavePath("Traveller")), shortSave) << "loading alone writes nothing";

    app->SaveGame();
    EXPECT_EQ(folder.ReadFile(SavePath("Traveller")).size(), 10u * 181u + 11u);
    EXPECT_EQ(folder.ReadFile(SavePath("Traveller") + ".old"), shortSave) << "the cut file is kept";
}

TEST_F(GameAppTest, SaveOfAnotherPageCountWasReplacedWithoutACopy)
{
    WriteData();
    SaveData twenty;
    twenty.pages.resize(20);
    twenty.pages[4].done = true;
    twenty.pages[15].open = true;
    twenty.flags.bonusesTaken = 3;
    twenty.flags.introPending = false;
    std::vector<uint8_t> original = SaveFile::Write(twenty).GetData();
    folder.WriteFile(SavePath("Traveller"), original);

    auto app = MakeApp();
    app->RegistryWriteString("PlayerName", "Traveller");
    app->LoadConfiguration();
    EXPECT_TRUE(app->content.pages[4].done);
    EXPECT_EQ(app->bonusesTaken, 3) << "the flags come from the end of the file";
    EXPECT_FALSE(app->introPending);
    EXPECT_TRUE(app->tutorialPending);

    app->SaveGame();
    app->SaveGame();
    EXPECT_EQ(folder.ReadFile(SavePath("Traveller")).size(), 10u * 181u + 11u);
    std::string kept = folder.ReadFile(SavePath("Traveller") + ".old");
    EXPECT_EQ(std::vector<uint8_t>(kept.begin(), kept.end()), original);
    EXPECT_FALSE(folder.Exists(SavePath("Traveller") + ".old.2")) << "kept once, before the first overwrite";
}

TEST_F(GameAppTest, UnreadableSaveWasReplacedByANewGame)
{
    WriteData();
    // Saves that exist but cannot be read: a folder in the file's place, a link to nothing
    // (as a file the player may not open), a file whose reading fails.
    std::vector<std::string> players = {"Folder", "Dangling", "Failing"};
    std::filesystem::create_directories(folder / "share/players/Folder/save.dat");
    folder.WriteFile("share/players/Folder/save.dat/progress", "precious");
    std::filesystem::create_directories(folder / "share/players/Dangling");
    std::filesystem::create_symlink(folder / "elsewhere/save.dat", folder / SavePath("Dangling"));
    std::filesystem::create_directories(folder / "share/players/Failing");
    std::filesystem::create_symlink("/proc/self/mem", folder / SavePath("Failing"));

    for (const std::string& player : players)
    {
        folder.WriteFile("log.txt", "");
        auto app = MakeApp();
        app->RegistryWriteString("PlayerName", player);
        app->LoadConfiguration();
        EXPECT_TRUE(app->content.pages[2].open) << player << ": a new game is played";
        EXPECT_TRUE(app->introPending) << player;
        EXPECT_NE(folder.ReadFile("log.txt").find("Couldn't read " + app->SaveFilePath()), std::string::npos) << player;
        EXPECT_NE(std::filesystem::symlink_status(folder / SavePath(player)).type(),
                  std::filesystem::file_type::regular)
            << player << ": left untouched";

        app->SaveGame();
        EXPECT_EQ(folder.ReadFile(SavePath(player)).size(), 10u * 181u + 11u) << player;
    }
    EXPECT_EQ(folder.ReadFile(SavePath("Folder") + ".unreadable/progress"), "precious");
    EXPECT_TRUE(std::filesystem::is_symlink(folder / (SavePath("Dangling") + ".unreadable")));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / (SavePath("Failing") + ".unreadable")));
}

TEST_F(GameAppTest, ConfigurationWithoutPagesShrankEverySave)
{
    WriteData();
    {
        auto app = MakeApp();
        app->LoadConfiguration();
        app->content.pages[2].done = true;
    }
    std::string saved = folder.ReadFile(SavePath("Traveller"));
    ASSERT_EQ(saved.size(), 10u * 181u + 11u);

    // A syntax error before the number of pages.
    folder.WriteFile("properties/config.xml", "<Common><Broken</Common><Pages><PagesNumber>10</PagesNumber></Pages>");
    folder.WriteFile("log.txt", "");
    {
        auto app = MakeApp();
        app->LoadConfiguration();
        ASSERT_EQ(app->content.pageCount, 0);
        app->SaveGame();
    }
    EXPECT_EQ(folder.ReadFile(SavePath("Traveller")), saved);
    EXPECT_NE(folder.ReadFile("log.txt").find("No pages to save; "), std::string::npos);

    // Nor is a new player's empty save written.
    auto app = MakeApp();
    app->RegistryWriteString("PlayerName", "Newcomer");
    app->LoadConfiguration();
    app->SaveGame();
    EXPECT_FALSE(folder.Exists(SavePath("Newcomer")));
}

TEST_F(GameAppTest, CountsBeyondTheTablesAreClamped)
{
    folder.WriteFile("properties/config.xml", "<Pages><PagesNumber>500</PagesNumber><MGNumber>-3</MGNumber></Pages>"
                                              "<Desktop><ItemsCount>129</ItemsCount></Desktop>");
    folder.WriteFile("properties/local.xml", kLocal);
    folder.WriteFile("log.txt", "");
    auto app = MakeApp();
    app->LoadConfiguration();
    EXPECT_EQ(app->content.pageCount, 128);
    EXPECT_EQ(app->config.pages.PagesNumber, 128);
    EXPECT_EQ(app->config.pages.MGNumber, 0);
    EXPECT_EQ(app->config.desktop.ItemsCount, 128);
    std::string log = folder.ReadFile("log.txt");
    EXPECT_NE(log.find("Pages/PagesNumber 500 is outside 0..128; using 128"), std::string::npos);
    EXPECT_EQ(folder.ReadFile(SavePath("Traveller")).size(), 128u * 181u + 11u);
}

TEST_F(GameAppTest, ChangeSetOpensTheNextSetAndDrawsBonusPicks)
{
    WriteData();
    folder.WriteFile("log.txt", "");
    auto app = MakeApp();
    app->LoadConfiguration();
    ASSERT_EQ(app->currentSet, 0);

    app->content.pages[2].done = true;
    app->content.pages[3].done = true;
    app->ChangeSet(true);
    EXPECT_EQ(app->currentSet, 0);
    EXPECT_FALSE(app->content.pages[5].open);

    app->content.pages[4].done = true;
    app->ChangeSet(true);
    EXPECT_EQ(app->currentSet, 1);
    EXPECT_TRUE(app->content.pages[5].open);
    EXPECT_TRUE(app->content.pages[6].open);
    EXPECT_TRUE(app->content.pages[7].open);
    ASSERT_EQ(app->bonusPickCount, 2) << "Pages/AfterSet1 picks";
    EXPECT_NE(app->bonusPicks[0].page, app->bonusPicks[1].page);
    for (int i = 0; i < 2; ++i)
    {
        int page = app->bonusPicks[static_cast<size_t>(i)].page;
        EXPECT_TRUE(page >= 2 && page <= 4) << "picks lie on done pages";
        EXPECT_LT(app->bonusPicks[static_cast<size_t>(i)].spot, 2);
    }

    app->currentSet = -1;
    app->ChangeSet(false);
    std::string log = folder.ReadFile("log.txt");
    EXPECT_NE(log.find("Trying to change set\r\nPlayScene newtri\r\nSets changed\r\n"), std::string::npos);
    EXPECT_NE(log.find("Trying to change set\r\n  Sets changing failed!\r\n"), std::string::npos);
}

TEST_F(GameAppTest, LoadPageItemsReadsTheObjectListAndNames)
{
    WriteData();
    folder.WriteFile("pages/p03/picture.cfg", "o\n1\n01_cup.png\n-\n10\n20\n"
                                              "o\n2\n02_cup.png\n-\n30\n40\n"
                                              "o\n3\n03_red_apple.png\n-\n50\n60\n");
    folder.WriteFile("images/local/page3.lng", "03_red_apple.png\nRosy apple\n\n");
    auto app = MakeApp();
    app->LoadConfiguration();
    app->LoadPageItems("pages/p03/", 2);
    const ContentModel& content = app->content;
    ASSERT_EQ(content.pictureItemCount, 3);
    EXPECT_EQ(content.pictureItems[0].name, "cup");
    EXPECT_EQ(content.pictureItems[1].linkedCount, 1);
    EXPECT_EQ(content.pictureItems[2].displayName, "Rosy apple");
    EXPECT_EQ(content.pictureItems[2].imagePath, "pages/p03/03_red_apple.png");
    EXPECT_EQ(content.pictureItems[2].y, 60);
    EXPECT_FALSE(content.gameDataLoading);

    app->LoadPageItems("pages/p05/", 4);
    EXPECT_EQ(app->content.pictureItemCount, 0) << "a page without picture.cfg has no objects";
}

TEST_F(GameAppTest, ShutdownOpensTheWebLinksThenTheCompanionProgram)
{
    folder.WriteFile("play.url", "[InternetShortcut]\r\n"
                                 "URL=http://vellinor.example.org/play\r\n"
                                 "no link here\r\n"
                                 "Secure=https://vellinor.example.org/news\r\n");
    auto app = MakeApp();
    app->Shutdown();
    EXPECT_TRUE(app->isShutdown);
    std::vector<std::string> expected = {"url http://vellinor.example.org/play",
                                         "url https://vellinor.example.org/news", "program fscommand\\wgame.exe"};
    EXPECT_EQ(app->events, expected);

    app->Shutdown();
    EXPECT_EQ(app->events.size(), 3u) << "a second shutdown opens nothing";

    auto other = MakeApp();
    other->OpenURLsFromFile("website.url");
    EXPECT_TRUE(other->events.empty()) << "a missing link file opens nothing";
    EXPECT_FALSE(other->isShutdown);
}

// The loading thread loads the five tunes under the numbers the screens play them by.
TEST_F(GameAppTest, LoadingThreadLoadsTheFiveTunesByNumber)
{
    struct RecordingMusic : MusicInterface
    {
        bool LoadMusic(int songId, const std::string& fileName) override
        {
            loaded.push_back(std::to_string(songId) + " " + fileName);
            return true;
        }
        std::vector<std::string> loaded;
    };
    auto app = MakeApp();
    auto music = std::make_unique<RecordingMusic>();
    RecordingMusic* recorder = music.get();
    app->UseMusicInterface(std::move(music));
    app->LoadingThreadProc();
    std::vector<std::string> expected = {"1 sounds/intro.ogg", "2 sounds/Game_Theme_1.ogg", "3 sounds/Game_Theme_2.ogg",
                                         "4 sounds/Vellinor_Theme.ogg", "5 sounds/Dialog_Theme.ogg"};
    EXPECT_EQ(recorder->loaded, expected);
}

} // namespace
} // namespace Vesk
