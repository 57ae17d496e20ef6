#include "app/GameApp.h"
#include "app/StringConversion.h"
#include "framework/platform/MessageBox.h"
#include "support/TempFolder.h"
#include "support/TestGameApp.h"
#include "support/XmlTextScanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <variant>

namespace Vesk
{
namespace
{

using TestSupport::TempFolder;
using TestSupport::TestGameApp;

// The shipped publication, Vellinor, read as the game reads it: the page plan of data/README.md.
class PublicationDataTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::copy(ORLO_DATA_SOURCE_DIR, folder.Path(), std::filesystem::copy_options::recursive);
        folder.WriteFile("log.txt", "");
        app = std::make_unique<TestGameApp>();
        app->SetAppDataFolder((folder / "share").string());
        app->LoadConfiguration();
        ASSERT_FALSE(app->isShutdown);
    }

    TempFolder folder;
    std::unique_ptr<TestGameApp> app;
};

TEST_F(PublicationDataTest, PagesFollowThePagePlan)
{
    const ContentModel& content = app->content;
    ASSERT_EQ(content.pageCount, 20);
    const char* kinds[20] = {"Cover", "Contents", "Game", "MG1", "Game", "Game", "MG2", "NGame",  "Game",   "MG6",
                             "MG3",   "Game",     "MG4",  "MG8", "Game", "MG5",  "MG9", "MGLast", "MGList", "Credits"};
    for (int row = 0; row < 20; ++row)
    {
        const PageRecord& page = content.pages[static_cast<size_t>(row)];
        EXPECT_EQ(page.type, kinds[row]) << "row " << row;
        EXPECT_FALSE(page.face.empty()) << "row " << row;
        bool playable = row >= 2 && row != 18 && row != 19;
        EXPECT_EQ(page.dir.empty(), !playable) << "row " << row;
        if (playable)
        {
            EXPECT_EQ(page.dir.back(), '/') << "row " << row;
            EXPECT_GT(page.timeLimit, 0) << "row " << row;
            EXPECT_GT(page.itemCount, 0) << "row " << row;
        }
        bool initiallyOpen = row <= 4 || row == 18 || row == 19;
        EXPECT_EQ(content.initialOpen[static_cast<size_t>(row)], initiallyOpen) << "row " << row;
    }
    EXPECT_TRUE(content.miniGamesAvailable);
}

TEST_F(PublicationDataTest, SetsRulesAndEntriesAreComplete)
{
    const ContentModel& content = app->content;
    ASSERT_EQ(content.setCount, 5);
    // Each set is three pages in a row; its third sticker carries the mini-game mark, so the first
    // two sets, which hold two hidden-object pages, list the mini-game last.
    for (int set = 0; set < 5; ++set)
    {
        const PageSet& pages = content.sets[static_cast<size_t>(set)];
        EXPECT_EQ(std::min({pages.a, pages.b, pages.c}), 2 + set * 3);
        EXPECT_EQ(pages.a + pages.b + pages.c, 3 * (3 + set * 3));
        if (set < 2)
        {
            EXPECT_NE(content.pages[static_cast<size_t>(pages.c)].type.find("MG"), std::string::npos) << set;
        }
    }
    // Nine rules for each set after the first, and the last page waits for the fifth set.
    ASSERT_EQ(content.openRuleCount, 4 * 9 + 3);
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(content.openRules[static_cast<size_t>(36 + i)].targetPage, 17);
        EXPECT_EQ(content.openRules[static_cast<size_t>(36 + i)].requiredPage, 14 + i);
    }

    EXPECT_EQ(app->config.pages.TitlesNumber, 15);
    for (int row = 0; row < 15; ++row)
    {
        const ContentsEntry& title = content.titles[static_cast<size_t>(row)];
        EXPECT_EQ(title.page, row + 2);
        EXPECT_FALSE(title.titleText.empty()) << "title " << row + 3;
        EXPECT_FALSE(title.bodyText.empty()) << "title " << row + 3;
        EXPECT_GT(title.w, 0);
        EXPECT_LT(title.x + title.w, 767) << "inside the page";
        EXPECT_LT(title.y, 532);
    }
    EXPECT_EQ(app->config.pages.MGNumber, 8);
    for (int row = 0; row < 8; ++row)
    {
        const MiniGameEntry& entry = content.miniGameEntries[static_cast<size_t>(row)];
        ASSERT_TRUE(ContentModel::IsPage(entry.page));
        EXPECT_EQ(content.pages[static_cast<size_t>(entry.page)].type.compare(0, 2, "MG"), 0) << "entry " << row;
        EXPECT_FALSE(entry.titleText.empty());
    }
    EXPECT_GE(content.bonusCount, 3);
    for (int spot = 0; spot < content.bonusCount; ++spot)
        EXPECT_FALSE(content.bonuses[static_cast<size_t>(spot)].bitmap.empty());
    ASSERT_GT(app->config.desktop.ItemsCount, 0);
    for (int item = 0; item < app->config.desktop.ItemsCount; ++item)
        EXPECT_FALSE(content.deskItems[static_cast<size_t>(item)].imagePath.empty()) << "item " << item + 1;
}

TEST_F(PublicationDataTest, CameraPathsLeadFromTheJournalToEachZoomingGame)
{
    const ContentModel& content = app->content;
    EXPECT_TRUE(content.triPoints[kTriPointDeskFirst].valid);
    EXPECT_TRUE(content.triPoints[kTriPointDeskSecond].valid);
    EXPECT_TRUE(content.triPoints[kTriPointStamp].valid);
    // The desk flight ends with the journal at rest.
    const TriPointRow& last = content.triPoints[kTriPointDeskSecond];
    EXPECT_NEAR(last.X(3), 1100.0, 1e-6);
    EXPECT_NEAR(last.Y(3), 700.0, 1e-6);
    EXPECT_DOUBLE_EQ(last.z2, 1.0);

    for (int row = 2; row < 20; ++row)
    {
        const std::string& type = content.pages[static_cast<size_t>(row)].type;
        bool zooms = type == "MG1" || type == "MG3" || type == "MG4" || type == "MG5" || type == "MG8" || type == "MG9";
        const TriPointRow& path = content.triPoints[static_cast<size_t>(row)];
        EXPECT_EQ(path.valid, zooms) << "row " << row << " " << type;
        if (!zooms)
            continue;
        EXPECT_NEAR(path.X(1), 1100.0, 1e-6) << "starts at the journal at rest";
        EXPECT_NEAR(path.Y(1), 700.0, 1e-6);
        EXPECT_DOUBLE_EQ(path.z2, 1.0) << "the game's snapshot fills the screen at the end";
        // The game's table must not lie under the journal (world 1100..1900 x 700..1300).
        bool apart = path.endX + 800 <= 1116 || path.endX >= 1883 || path.endY + 600 <= 706 || path.endY >= 1294;
        EXPECT_TRUE(apart) << "row " << row;
    }
    EXPECT_TRUE(folder.ReadFile("log.txt").find("ignored") == std::string::npos) << folder.ReadFile("log.txt");
}

} // namespace
} // namespace Vesk

namespace Vesk
{
namespace
{

// Every typed key of the shipped config.xml, read through the game's own reader, lands in its
// field with the value the file gives it.
TEST_F(PublicationDataTest, EveryConfigKeyOfTheShippedFileLandsInItsField)
{
    std::ifstream in(std::string(ORLO_DATA_SOURCE_DIR) + "/properties/config.xml");
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TestSupport::XmlTextScanner scanner(content);
    ASSERT_EQ(scanner.Error(), "");

    std::map<std::string, std::string> lastValue;
    for (const auto& element : scanner.Elements())
        lastValue[element.path] = element.text;

    int checked = 0;
    for (const GameConfig::Key& key : GameConfig::Catalogue())
    {
        auto found = lastValue.find(std::string(key.path));
        ASSERT_NE(found, lastValue.end()) << key.path;
        GameConfig::FieldRef field = key.field(app->config);
        const std::string& text = found->second;
        if (auto* integer = std::get_if<int*>(&field))
        {
            int expected = 0;
            ASSERT_TRUE(StringToInt(text, expected)) << key.path;
            EXPECT_EQ(**integer, expected) << key.path;
        }
        else if (auto* real = std::get_if<double*>(&field))
        {
            double expected = 0;
            ASSERT_TRUE(StringToDouble(text, expected)) << key.path;
            EXPECT_EQ(**real, expected) << key.path;
        }
        else
            EXPECT_EQ(*std::get<bool*>(field), text == "true") << key.path;
        ++checked;
    }
    EXPECT_EQ(checked, 772);
}

} // namespace
} // namespace Vesk
