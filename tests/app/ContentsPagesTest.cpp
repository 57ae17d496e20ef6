// The contents page, the cover face and the mini-game list as the game prints them onto the
// page faces, and the opening of pages that decides which titles are printed as open.
#include "app/ContentModel.h"
#include "app/GameApp.h"
#include "app/Resources.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "support/PngFile.h"
#include "support/ScopedPakInterface.h"
#include "support/TestDriver.h"
#include "support/TestGameApp.h"
#include "support/TestOutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::PngFile;
using TestSupport::TestDriver;
using TestSupport::TestGameApp;
using TestSupport::TestOutput;

TEST(ContentsPagesTest, PagesOpenByRulesAndTheLastReachablePageFollows)
{
    ContentModel content;
    content.pageCount = 6;
    for (int page : {0, 1, 2})
        content.pages[static_cast<size_t>(page)].open = true;
    // Pages 3 and 4 wait for page 2; page 5 waits for pages 3 and 4.
    content.openRules[0] = {2, 3};
    content.openRules[1] = {2, 4};
    content.openRules[2] = {3, 5};
    content.openRules[3] = {4, 5};
    content.openRuleCount = 4;
    // A page beyond the publication's pages neither opens nor counts as reachable.
    content.pages[6].open = false;
    content.pages[9].open = true;

    EXPECT_TRUE(content.OpenPages().empty());
    EXPECT_EQ(content.LastReachablePage(), 2);
    EXPECT_FALSE(content.pages[6].open);

    content.pages[2].done = true;
    EXPECT_EQ(content.OpenPages(), (std::vector<int>{3, 4}));
    EXPECT_EQ(content.LastReachablePage(), 4);
    content.pages[3].done = true;
    EXPECT_TRUE(content.OpenPages().empty()) << "page 5 still waits for page 4";
    content.pages[4].done = true;
    EXPECT_EQ(content.OpenPages(), (std::vector<int>{5}));
    EXPECT_EQ(content.LastReachablePage(), 5);

    // A rule naming a page outside the table holds its target back for good.
    content.pages[5].open = false;
    content.openRules[4] = {-1, 5};
    content.openRuleCount = 5;
    EXPECT_TRUE(content.OpenPages().empty());
    EXPECT_EQ(content.LastReachablePage(), 4);
}

// How many pixels of the rectangle are within a few levels of the ink in every channel.
int InkPixels(DDImage& face, const Rect& rect, const Color& ink)
{
    const uint32_t* bits = face.GetBits();
    int count = 0;
    for (int y = std::max(rect.y, 0); y < std::min(rect.y + rect.height, face.GetHeight()); ++y)
        for (int x = std::max(rect.x, 0); x < std::min(rect.x + rect.width, face.GetWidth()); ++x)
        {
            uint32_t pixel = bits[y * face.GetWidth() + x];
            int r = static_cast<int>((pixel >> 16) & 0xFF);
            int g = static_cast<int>((pixel >> 8) & 0xFF);
            int b = static_cast<int>(pixel & 0xFF);
            if (std::abs(r - ink.red) <= 6 && std::abs(g - ink.green) <= 6 && std::abs(b - ink.blue) <= 6)
                ++count;
        }
    return count;
}

// The lower part of the first line of an entry's title, clear of the text above it.
Rect TitleBand(const ContentsEntry& entry)
{
    return {entry.x, entry.y - 8, entry.w, 9};
}

void WriteFace(DDImage& face, const std::string& name)
{
    EXPECT_TRUE(PngFile::Write(TestOutput::Path(name), face.GetBits(), face.GetWidth(), face.GetHeight()));
}

class ContentsPagesOnTheBuiltGame : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::filesystem::path built(ORLO_BUILT_DATA_DIR);
        for (const char* file : {"main.pak", "play.url", "website.url"})
            std::filesystem::copy_file(built / file, driver.Folder().Path() / file);
        driver.Folder().WriteFile("log.txt", "");
        app = &driver.Create<TestGameApp>(true);
        ASSERT_TRUE(driver.Init());
        ASSERT_NE(app->content.pages[1].faceImage, nullptr);
        ASSERT_NE(FONT_SMALL_BOLD, nullptr);
    }

    Color OpenInk() const { return {app->config.pages.opr, app->config.pages.opg, app->config.pages.opb}; }
    Color ClosedInk() const { return {app->config.pages.cpr, app->config.pages.cpg, app->config.pages.cpb}; }

    // The game's archive stays with this test.
    TestSupport::ScopedPakInterface pak;
    TestDriver driver;
    TestGameApp* app = nullptr;
};

TEST_F(ContentsPagesOnTheBuiltGame, ANewPlayersTitlesAreInkedOpenOrClosedAndOpenWithTheNextSet)
{
    DDImage& face = *app->content.pages[1].faceImage;
    WriteFace(face, "contents-face-new-player.png");
    ASSERT_EQ(app->content.pages[18].type, "MGList");
    WriteFace(*app->content.pages[18].faceImage, "minigame-list-face.png");
    const std::string log = driver.Folder().ReadFile("log.txt");
    EXPECT_NE(log.find("Redrawing contents page\r\nRedrawing MGList\r\nRedrawing MGList done\r\n"
                       "Redrawing contents page done\r\n"),
              std::string::npos)
        << log;

    // The first set (pages 2 to 4) is open, the rest waits; the credits close the publication.
    EXPECT_EQ(app->lastReachablePage, 19);
    for (int row = 0; row < app->config.pages.TitlesNumber; ++row)
    {
        const ContentsEntry& entry = app->content.titles[static_cast<size_t>(row)];
        Graphics measure(&face);
        measure.SetFont(FONT_SMALL);
        EXPECT_EQ(entry.textHeight, measure.GetWordWrappedHeight(entry.w, entry.bodyText, entry.il)) << row;
        const bool open = entry.page <= 4;
        EXPECT_EQ(app->content.pages[static_cast<size_t>(entry.page)].open, open) << row;
        int openInk = InkPixels(face, TitleBand(entry), OpenInk());
        int closedInk = InkPixels(face, TitleBand(entry), ClosedInk());
        // Dark ink's anti-aliased edges pass through the light ink's colour, never the reverse.
        if (open)
        {
            EXPECT_GT(openInk, 4 * closedInk + 20) << "title " << row;
        }
        else
        {
            EXPECT_GT(closedInk, 20) << "title " << row;
            EXPECT_EQ(openInk, 0) << "title " << row;
        }
    }

    // Completing the first set opens the second: its titles are inked over in the open colour
    // and their text heights grow by IL.
    std::vector<int> heights;
    for (const ContentsEntry& entry : app->content.titles)
        heights.push_back(entry.textHeight);
    for (int page : {2, 3, 4})
        app->content.pages[static_cast<size_t>(page)].done = true;
    app->RedrawContentsPageLight(4);
    WriteFace(face, "contents-face-second-set.png");
    EXPECT_NE(driver.Folder().ReadFile("log.txt").find(
                  "Redrawing contents page ligth\r\nRedrawing light contents page done\r\n"),
              std::string::npos);
    for (int row = 0; row < app->config.pages.TitlesNumber; ++row)
    {
        const ContentsEntry& entry = app->content.titles[static_cast<size_t>(row)];
        const bool opened = entry.page >= 5 && entry.page <= 7;
        EXPECT_EQ(app->content.pages[static_cast<size_t>(entry.page)].open, entry.page <= 7) << row;
        EXPECT_EQ(entry.textHeight, heights[static_cast<size_t>(row)] + (opened ? entry.IL : 0)) << row;
        if (opened)
        {
            EXPECT_GT(InkPixels(face, TitleBand(entry), OpenInk()), 20) << "title " << row;
        }
        if (entry.page > 7)
        {
            EXPECT_EQ(InkPixels(face, TitleBand(entry), OpenInk()), 0) << "title " << row;
        }
    }
}

TEST_F(ContentsPagesOnTheBuiltGame, LightRedrawFindsTheTitlesOfOpenedPagesByTheirPageNotTheirRow)
{
    // Rows 4 and 5 name pages 7 and 6, the other way round from the page order.
    auto& titles = app->content.titles;
    ASSERT_EQ(titles[4].page, 6);
    std::swap(titles[4].page, titles[5].page);
    std::swap(titles[4].onImage, titles[5].onImage);
    std::swap(titles[4].offImage, titles[5].offImage);
    app->RedrawContentsPage();
    for (int page : {2, 3, 4})
        app->content.pages[static_cast<size_t>(page)].done = true;
    // Page 7 alone waits, for page 6.
    app->content.openRules[0] = {6, 7};
    app->content.openRuleCount = 1;
    const int heightOfRow4 = titles[4].textHeight;
    const int heightOfRow5 = titles[5].textHeight;

    app->RedrawContentsPageLight(4);
    DDImage& face = *app->content.pages[1].faceImage;
    EXPECT_TRUE(app->content.pages[6].open);
    EXPECT_FALSE(app->content.pages[7].open);
    EXPECT_GT(InkPixels(face, TitleBand(titles[5]), OpenInk()), 20) << "page 6's title, in row 5";
    EXPECT_EQ(titles[5].textHeight, heightOfRow5 + titles[5].IL);
    EXPECT_EQ(InkPixels(face, TitleBand(titles[4]), OpenInk()), 0) << "page 7's title, in row 4";
    EXPECT_EQ(titles[4].textHeight, heightOfRow4);
}

TEST_F(ContentsPagesOnTheBuiltGame, EveryContentsTitleIsOneLineAndItsTextStaysClearOfTheNext)
{
    Graphics measure(app->content.pages[1].faceImage.get());
    for (int row = 0; row < app->config.pages.TitlesNumber; ++row)
    {
        const ContentsEntry& entry = app->content.titles[static_cast<size_t>(row)];
        measure.SetFont(FONT_SMALL_BOLD);
        EXPECT_EQ(measure.GetWordWrappedHeight(entry.w, entry.titleText, entry.IL),
                  measure.GetWordWrappedHeight(entry.w, "Title", entry.IL))
            << entry.titleText;
        // The next title down the same column, or the page numbers at the foot of the page.
        int limit = 500;
        for (int other = 0; other < app->config.pages.TitlesNumber; ++other)
        {
            const ContentsEntry& below = app->content.titles[static_cast<size_t>(other)];
            if (below.x == entry.x && below.y > entry.y)
                limit = std::min(limit, below.y - FONT_SMALL_BOLD->GetAscent());
        }
        EXPECT_LE(entry.y + entry.IL + entry.textHeight - FONT_SMALL->GetAscent(), limit) << entry.titleText;
    }
}

TEST_F(ContentsPagesOnTheBuiltGame, TheCoverCarriesThePlayersNameRightAlignedAtNameX)
{
    DDImage& face = *app->content.pages[0].faceImage;
    WriteFace(face, "cover-face.png");
    const std::vector<uint32_t> named(face.GetBits(), face.GetBits() + face.GetWidth() * face.GetHeight());
    const std::string name = app->playerName;
    ASSERT_FALSE(name.empty());
    app->playerName = "";
    app->RedrawCoverFace();

    // The name is where the two faces differ.
    int left = face.GetWidth();
    int right = -1;
    const uint32_t* bits = face.GetBits();
    for (int y = 0; y < face.GetHeight(); ++y)
        for (int x = 0; x < face.GetWidth(); ++x)
            if (bits[y * face.GetWidth() + x] != named[static_cast<size_t>(y * face.GetWidth() + x)])
            {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    const int nameX = app->config.common.NameX;
    EXPECT_LE(right, nameX);
    EXPECT_GE(right, nameX - 4);
    EXPECT_NEAR(left, nameX - FONT_DEFAULT->StringWidth(name), 4);
}

} // namespace
} // namespace Vesk
