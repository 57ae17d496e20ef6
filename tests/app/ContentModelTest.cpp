#include "app/ContentModel.h"

#include "app/PictureListReader.h"
#include "framework/appbase/Buffer.h"
#include "framework/appbase/RandomGenerator.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using Attributes = ContentModel::Attributes;

// The model is large (fixed tables); keep it off the stack and collect its log lines.
struct Model
{
    Model()
    {
        content = std::make_unique<ContentModel>();
        content->SetLog([this](const std::string& line) { log.push_back(line); });
    }
    ContentModel* operator->() { return content.get(); }
    std::unique_ptr<ContentModel> content;
    std::vector<std::string> log;
};

void AddSet(Model& model, int n, int a, int b, int c)
{
    model->ApplyStartTag("Gameplay", "Set" + std::to_string(n),
                         {{"a", std::to_string(a)}, {"b", std::to_string(b)}, {"c", std::to_string(c)}});
}

Buffer TextBuffer(const std::string& text)
{
    return Buffer(std::vector<uint8_t>(text.begin(), text.end()));
}

TEST(ContentModelTest, SetsOpenAfterThePreviousSetInOrder)
{
    Model model;
    AddSet(model, 1, 3, 4, 5);
    EXPECT_EQ(model->openRuleCount, 0) << "the first set has no predecessor";
    AddSet(model, 2, 6, 7, 8);
    ASSERT_EQ(model->setCount, 2);
    EXPECT_EQ(model->sets[1].a, 5);
    EXPECT_EQ(model->sets[1].c, 7);
    ASSERT_EQ(model->openRuleCount, 9);
    // a requires prev.a, prev.b, prev.c; then b; then c (rows, 0-based).
    const int expected[9][2] = {{2, 5}, {3, 5}, {4, 5}, {2, 6}, {3, 6}, {4, 6}, {2, 7}, {3, 7}, {4, 7}};
    for (int i = 0; i < 9; ++i)
    {
        EXPECT_EQ(model->openRules[static_cast<size_t>(i)].requiredPage, expected[i][0]) << "rule " << i;
        EXPECT_EQ(model->openRules[static_cast<size_t>(i)].targetPage, expected[i][1]) << "rule " << i;
    }
}

TEST(ContentModelTest, ToOpenKeyMakesTheTargetRequireThePage)
{
    Model model;
    EXPECT_TRUE(model->ApplyOpenRuleKey("Gameplay/ToOpen5", "3"));
    ASSERT_EQ(model->openRuleCount, 1);
    EXPECT_EQ(model->openRules[0].requiredPage, 2);
    EXPECT_EQ(model->openRules[0].targetPage, 4);

    // Each occurrence adds a rule, so one page can wait for several.
    EXPECT_TRUE(model->ApplyOpenRuleKey("Gameplay/ToOpen20", "15"));
    EXPECT_TRUE(model->ApplyOpenRuleKey("Gameplay/ToOpen20", "16"));
    EXPECT_EQ(model->openRuleCount, 3);

    EXPECT_FALSE(model->ApplyOpenRuleKey("Gameplay/ToOpenX", "3"));
    EXPECT_FALSE(model->ApplyOpenRuleKey("Pages/ToOpen5", "3"));
    EXPECT_FALSE(model->ApplyOpenRuleKey("Gameplay/ToOpen05", "3"));
    EXPECT_TRUE(model->ApplyOpenRuleKey("Gameplay/ToOpen128", "3")) << "recognised, but beyond the pages";
    EXPECT_EQ(model->openRuleCount, 3);
    EXPECT_EQ(model.log.size(), 1u);
}

TEST(ContentModelTest, CameraPathReproducesItsThreePoints)
{
    Model model;
    auto filled = model->ApplyStartTag("Desktop", "TriPoint4",
                                       {{"x1", "1100"},
                                        {"y1", "700"},
                                        {"x2", "1550.5"},
                                        {"y2", "595"},
                                        {"x3", "2000"},
                                        {"y3", "-650"},
                                        {"z1", "1.0"},
                                        {"z2", "0.75"}});
    EXPECT_EQ(filled.table, ContentModel::Table::TriPoint);
    ASSERT_EQ(filled.row, 3);
    const TriPointRow& path = model->triPoints[3];
    EXPECT_TRUE(path.valid);
    EXPECT_NEAR(path.X(1), 1100.0, 1e-9);
    EXPECT_NEAR(path.Y(1), 700.0, 1e-9);
    EXPECT_NEAR(path.X(2), 1550.5, 1e-9);
    EXPECT_NEAR(path.Y(2), 595.0, 1e-9);
    EXPECT_NEAR(path.X(3), 2000.0, 1e-9);
    EXPECT_NEAR(path.Y(3), -650.0, 1e-9);
    EXPECT_DOUBLE_EQ(path.endX, 2000.0);
    EXPECT_DOUBLE_EQ(path.endY, -650.0);
    EXPECT_DOUBLE_EQ(path.z1, 1.0);
    EXPECT_DOUBLE_EQ(path.z2, 0.75);
    // The coefficients are those of the scaled points.
    EXPECT_NEAR(path.ax, (1100.0 - 2 * 1550.5 + 2000.0) / 10.0, 1e-9);

    EXPECT_EQ(model->ApplyStartTag("Desktop", "TriPointA", {}).row, 0);
    EXPECT_EQ(model->ApplyStartTag("Desktop", "TriPointB", {}).row, 1);
    EXPECT_EQ(model->ApplyStartTag("Desktop", "TriPointS", {}).row, 127);
    EXPECT_EQ(model->ApplyStartTag("Desktop", "TriPoint127", {}).row, 126);
    EXPECT_EQ(model->ApplyStartTag("Pages", "TriPoint4", {}).table, ContentModel::Table::None);
    EXPECT_TRUE(model.log.empty());
    EXPECT_EQ(model->ApplyStartTag("Desktop", "TriPoint2", {}).table, ContentModel::Table::None);
    EXPECT_EQ(model->ApplyStartTag("Desktop", "TriPoint128", {}).table, ContentModel::Table::None);
    EXPECT_EQ(model.log.size(), 2u);
}

TEST(ContentModelTest, TitlesEntriesBonusesAndDeskItemsReadTheirAttributes)
{
    Model model;
    auto filled = model->ApplyStartTag("Pages", "Title3",
                                       {{"page", "3"},
                                        {"x", "108"},
                                        {"y", "74"},
                                        {"w", "236"},
                                        {"il", "13"},
                                        {"IL", "17"},
                                        {"nX", "42"},
                                        {"nY", "60"},
                                        {"lX", "94"},
                                        {"lY", "12px"},
                                        {"pn", "7"}});
    EXPECT_EQ(filled.table, ContentModel::Table::Title);
    EXPECT_EQ(filled.row, 0);
    const ContentsEntry& title = model->titles[0];
    EXPECT_EQ(title.page, 2);
    EXPECT_EQ(title.x, 108);
    EXPECT_EQ(title.IL, 17);
    EXPECT_EQ(title.il, 13);
    EXPECT_EQ(title.lY, 0) << "a malformed number reads as 0";
    EXPECT_EQ(title.onImagePath, "images/contents/7_on");
    EXPECT_EQ(title.offImagePath, "images/contents/7_off");

    model->ApplyStartTag("Pages", "Title130", {});
    EXPECT_EQ(model->titles[127].page, -1) << "a missing page attribute reads as 0, stored as -1";

    filled = model->ApplyStartTag("Pages", "MG8", {{"page", "17"}, {"x", "450"}, {"w", "260"}, {"IL", "19"}});
    EXPECT_EQ(filled.table, ContentModel::Table::MiniGame);
    EXPECT_EQ(model->miniGameEntries[7].page, 16);
    EXPECT_EQ(model->miniGameEntries[7].x, 450);
    EXPECT_EQ(model->miniGameEntries[7].IL, 19);

    model->ApplyStartTag("Pages", "Bonus3", {{"x", "5"}, {"y", "6"}, {"bitmap", "images/bonus/b3"}});
    model->ApplyStartTag("Pages", "Bonus1", {{"x", "1"}});
    EXPECT_EQ(model->bonusCount, 3) << "the highest number read";
    EXPECT_EQ(model->bonuses[2].bitmap, "images/bonus/b3");
    EXPECT_EQ(model->bonuses[2].y, 6);

    filled = model->ApplyStartTag("Desktop", "Item10", {{"x", "380"}, {"y", "-20"}, {"image", "images/desk/cup"}});
    EXPECT_EQ(filled.table, ContentModel::Table::DeskItem);
    EXPECT_EQ(model->deskItems[9].y, -20);
    EXPECT_EQ(model->deskItems[9].imagePath, "images/desk/cup");

    // Tags in the wrong section, or not written as "%d" writes them, are not content.
    EXPECT_EQ(model->ApplyStartTag("Desktop", "Title3", {}).table, ContentModel::Table::None);
    EXPECT_EQ(model->ApplyStartTag("Pages", "Title03", {}).table, ContentModel::Table::None);
    EXPECT_EQ(model->ApplyStartTag("Pages", "MGList", {}).table, ContentModel::Table::None);
    EXPECT_EQ(model->ApplyStartTag("Pages", "Page3", {}).table, ContentModel::Table::None);
    EXPECT_TRUE(model.log.empty());
}

TEST(ContentModelTest, DataBeyondATableIsDroppedWithALogLine)
{
    Model model;
    EXPECT_EQ(model->ApplyPageTag("Pages", "Page200", {{"type", "Game"}}), -1);
    EXPECT_EQ(model->ApplyPageTag("Pages", "Page0", {}), -1);
    EXPECT_EQ(model->ApplyStartTag("Pages", "Title131", {}).table, ContentModel::Table::None);
    EXPECT_EQ(model->ApplyStartTag("Pages", "Title2", {}).table, ContentModel::Table::None);
    EXPECT_EQ(model->ApplyStartTag("Pages", "MG129", {}).table, ContentModel::Table::None);
    EXPECT_EQ(model->ApplyStartTag("Pages", "Bonus33", {}).table, ContentModel::Table::None);
    EXPECT_EQ(model->ApplyStartTag("Gameplay", "Set65", {}).table, ContentModel::Table::None);
    EXPECT_EQ(model->ApplyStartTag("Desktop", "Item129", {}).table, ContentModel::Table::None);
    EXPECT_EQ(model->ApplyStartTag("Pages", "Title99999999999", {}).table, ContentModel::Table::None);
    EXPECT_EQ(model.log.size(), 8u);
    EXPECT_EQ(model->bonusCount, 0);
    EXPECT_EQ(model->setCount, 0);

    // A 65th set element (numbers repeated) finds the table full.
    for (int i = 0; i < 70; ++i)
        AddSet(model, 1 + i % 64, 3, 4, 5);
    EXPECT_EQ(model->setCount, kMaxSets);
    EXPECT_EQ(model.log.size(), 8u + 6u);

    // More rules than the list holds.
    model.log.clear();
    int rulesBefore = model->openRuleCount;
    for (int i = 0; i < kMaxOpenRules; ++i)
        model->ApplyOpenRuleKey("Gameplay/ToOpen9", "3");
    EXPECT_EQ(model->openRuleCount, kMaxOpenRules);
    EXPECT_EQ(static_cast<int>(model.log.size()), rulesBefore);
    EXPECT_EQ(model->openRules[kMaxOpenRules - 1].targetPage, 8);
}

TEST(ContentModelTest, PageTagsFillRecordsAndShareDoneFaces)
{
    Model model;
    EXPECT_EQ(model->ApplyPageTag("Pages", "Page1", {{"face", "images/pages/page01"}, {"open", "true"}}), 0);
    int row = model->ApplyPageTag("Pages", "Page3",
                                  {{"face", "images/pages/page03"},
                                   {"done_face", "images/pages/page01"},
                                   {"dir", "images/pages/p03/"},
                                   {"type", "Game"},
                                   {"open", "True"},
                                   {"time", "600"},
                                   {"items", "15"}});
    ASSERT_EQ(row, 2);
    const PageRecord& page = model->pages[2];
    EXPECT_EQ(page.dir, "images/pages/p03/");
    EXPECT_EQ(page.type, "Game");
    EXPECT_FALSE(page.open) << "only the exact text \"true\" opens a page";
    EXPECT_EQ(page.timeLimit, 600);
    EXPECT_EQ(page.itemCount, 15);
    EXPECT_EQ(page.doneFaceSource, 0) << "the done face is page 1's rendered face";
    EXPECT_TRUE(model->pages[0].open);
    EXPECT_TRUE(model->initialOpen[0]);
    EXPECT_EQ(model->pages[0].doneFaceSource, 0) << "no done face: the face itself";

    model->ApplyPageTag("Pages", "Page4", {{"face", "a"}, {"done_face", "images/pages/page04_done"}});
    EXPECT_EQ(model->pages[3].doneFaceSource, -1) << "a picture of its own";

    // Reading the pages again starts their progress afresh.
    model->pages[2].done = true;
    model->pages[2].stamped = true;
    model->ApplyPageTag("Pages", "Page3", {{"open", "true"}});
    EXPECT_FALSE(model->pages[2].done);
    EXPECT_FALSE(model->pages[2].stamped);
    EXPECT_TRUE(model->initialOpen[2]);
    EXPECT_EQ(model->ApplyPageTag("Desktop", "Page3", {}), -1);
}

TEST(ContentModelTest, EntryTextsFillTitlesAndMiniGameLines)
{
    Model model;
    EXPECT_TRUE(model->ApplyEntryText("Titles/Title3", "The Harbour"));
    EXPECT_TRUE(model->ApplyEntryText("Titles/Text130", "Last body"));
    EXPECT_TRUE(model->ApplyEntryText("MG_Titles/Title1", "Map"));
    EXPECT_TRUE(model->ApplyEntryText("MG_Titles/Text8", "Fireflies"));
    EXPECT_FALSE(model->ApplyEntryText("Titles/Title2", "x"));
    EXPECT_FALSE(model->ApplyEntryText("Interface/exit", "x"));
    EXPECT_EQ(model->titles[0].titleText, "The Harbour");
    EXPECT_EQ(model->titles[127].bodyText, "Last body");
    EXPECT_EQ(model->miniGameEntries[0].titleText, "Map");
    EXPECT_EQ(model->miniGameEntries[7].bodyText, "Fireflies");
}

TEST(ContentModelTest, MiniGamesAreAvailableWhenAnOpenPageIsAMiniGame)
{
    Model model;
    model->pageCount = 20;
    const char* types[] = {"Cover", "MG1", "Game", "MGList", "MGLast", "MG9"};
    for (int i = 0; i < 6; ++i)
        model->pages[static_cast<size_t>(i)].type = types[i];
    model->pages[1].open = true;
    model->pages[2].open = true;
    model->pages[3].open = true;
    model->pages[4].open = true;
    model->UpdateMiniGamesAvailable();
    EXPECT_FALSE(model->miniGamesAvailable) << "row 1 does not count, nor the list and the final game";

    model->pages[5].open = true;
    model->UpdateMiniGamesAvailable();
    EXPECT_TRUE(model->miniGamesAvailable);

    model->pageCount = 5;
    model->UpdateMiniGamesAvailable();
    EXPECT_FALSE(model->miniGamesAvailable) << "pages beyond the page count do not count";
}

TEST(ContentModelTest, AdvanceSetOpensTheNextSetOnceAllThreeAreDone)
{
    Model model;
    model->pageCount = 12;
    AddSet(model, 1, 3, 4, 5);
    AddSet(model, 2, 6, 7, 8);
    AddSet(model, 3, 9, 10, 11);
    model->pages[2].done = true;
    model->pages[3].done = true;
    EXPECT_EQ(model->AdvanceSet(0), 0);
    EXPECT_FALSE(model->pages[5].open);

    model->pages[4].done = true;
    EXPECT_EQ(model->AdvanceSet(0), 1);
    EXPECT_TRUE(model->pages[5].open);
    EXPECT_TRUE(model->pages[7].open);
    EXPECT_FALSE(model->pages[8].open);

    for (int page : {5, 6, 7, 8, 9, 10})
        model->pages[static_cast<size_t>(page)].done = true;
    EXPECT_EQ(model->AdvanceSet(1), 2) << "never past the last set";
    EXPECT_EQ(model->AdvanceSet(-1), -1);

    AddSet(model, 4, 0, 200, 12);
    EXPECT_FALSE(model->SetDone(3)) << "a set naming a page outside the table is never done";
}

TEST(ContentModelTest, BonusPicksAreDistinctDonePagesOtherThanTheShownOne)
{
    Model model;
    model->pageCount = 10;
    std::array<BonusPick, kMaxBonusPicks> picks{};
    RandomGenerator random(7);
    for (int page : {2, 3, 4})
        model->pages[static_cast<size_t>(page)].done = true;
    EXPECT_EQ(model->DrawBonusPicks(3, -1, random, picks), 0) << "no bonus spots, no picks";

    model->ApplyStartTag("Pages", "Bonus2", {});
    int count = model->DrawBonusPicks(5, 3, random, picks);
    ASSERT_EQ(count, 2) << "only pages 2 and 4 can be picked";
    EXPECT_NE(picks[0].page, picks[1].page);
    for (int i = 0; i < count; ++i)
    {
        EXPECT_TRUE(picks[static_cast<size_t>(i)].page == 2 || picks[static_cast<size_t>(i)].page == 4);
        EXPECT_GE(picks[static_cast<size_t>(i)].spot, 0);
        EXPECT_LT(picks[static_cast<size_t>(i)].spot, 2);
    }

    // The same seed draws the same picks.
    RandomGenerator again(11);
    RandomGenerator same(11);
    std::array<BonusPick, kMaxBonusPicks> first{};
    std::array<BonusPick, kMaxBonusPicks> second{};
    model->DrawBonusPicks(2, -1, again, first);
    model->DrawBonusPicks(2, -1, same, second);
    EXPECT_EQ(first[0].page, second[0].page);
    EXPECT_EQ(first[1].spot, second[1].spot);

    // Asking for more picks than the list holds draws a full list.
    model->pageCount = 40;
    for (int page = 0; page < 40; ++page)
        model->pages[static_cast<size_t>(page)].done = true;
    EXPECT_EQ(model->DrawBonusPicks(1000, -1, random, picks), kMaxBonusPicks);
}

TEST(ContentModelTest, ItemNamesComeFromTheFileName)
{
    EXPECT_EQ(ContentModel::DeriveItemName("p05/03_red_apple.png"), "red apple");
    EXPECT_EQ(ContentModel::DeriveItemName("images/pages/p03/01_cup.png"), "cup");
    EXPECT_EQ(ContentModel::DeriveItemName("images/pages/p03/12_brass_key.tga"), "brass key");
    EXPECT_EQ(ContentModel::DeriveItemName("dir/cup"), "dir/cup") << "no digits, nothing cut";
    EXPECT_EQ(ContentModel::DeriveItemName(""), "");
}

TEST(ContentModelTest, EqualNamesFormAGroupLedByTheLastObject)
{
    Model model;
    std::vector<PictureListEntry> entries = {
        {"01_cup.png", 10, 20}, {"02_cup.png", 30, 40}, {"03_red_apple.png", 50, 60}, {"04_cup.png", -5, 7}};
    model->LoadPageItems("images/pages/p05/", entries, {});
    ASSERT_EQ(model->pictureItemCount, 4);
    const auto& items = model->pictureItems;
    EXPECT_EQ(items[0].name, "cup");
    EXPECT_EQ(items[2].name, "red apple");
    EXPECT_EQ(items[2].displayName, "red apple") << "no names file: the derived name";
    EXPECT_EQ(items[3].homeX, -5);
    EXPECT_EQ(items[3].y, 7);
    EXPECT_EQ(items[1].imagePath, "images/pages/p05/02_cup.png");

    EXPECT_EQ(items[3].linkedCount, 2);
    EXPECT_EQ(items[3].remaining, 2);
    EXPECT_EQ(items[3].linked[0], 0);
    EXPECT_EQ(items[3].linked[1], 1);
    EXPECT_FALSE(items[3].isGroupMember);
    for (int member : {0, 1})
    {
        EXPECT_TRUE(items[static_cast<size_t>(member)].isGroupMember);
        EXPECT_EQ(items[static_cast<size_t>(member)].groupLeader, 3);
        EXPECT_EQ(items[static_cast<size_t>(member)].linkedCount, 0) << "only the leader keeps its links";
        EXPECT_EQ(items[static_cast<size_t>(member)].remaining, 0);
    }
    EXPECT_EQ(items[2].groupLeader, -1);
    EXPECT_EQ(items[2].opaqueSamples, -1);

    // Loading another page starts from scratch.
    model->LoadPageItems("p/", {{"01_cup.png", 0, 0}}, {});
    EXPECT_EQ(model->pictureItemCount, 1);
    EXPECT_EQ(model->pictureItems[0].linkedCount, 0);
    EXPECT_FALSE(model->pictureItems[0].isGroupMember);
}

TEST(ContentModelTest, DisplayNamesComeFromTheNamesFile)
{
    Model model;
    Buffer names = TextBuffer("01_cup.png\r\nTea cup\r\n\r\n03_key.png\r\nBrass key\r\n\r\n"
                              "01_cup.png\r\nChina cup\r\n\r\n");
    model->LoadPageItems("d/", {{"01_cup.png", 0, 0}, {"02_jar.png", 0, 0}, {"03_key.png", 0, 0}},
                         PictureListReader::ReadDisplayNames(names));
    EXPECT_EQ(model->pictureItems[0].displayName, "China cup") << "the last match wins";
    EXPECT_EQ(model->pictureItems[1].displayName, "jar");
    EXPECT_EQ(model->pictureItems[2].displayName, "Brass key");
    EXPECT_EQ(model->pictureItems[0].name, "cup") << "grouping still uses the derived name";

    // Lines out of step (a missing third line) give wrong names only; every object still loads.
    Buffer skewed = TextBuffer("01_cup.png\nTea cup\n03_key.png\nBrass key\n\n02_jar.png\nJar\n\n");
    model->LoadPageItems("d/", {{"01_cup.png", 0, 0}, {"02_jar.png", 0, 0}, {"03_key.png", 0, 0}},
                         PictureListReader::ReadDisplayNames(skewed));
    EXPECT_EQ(model->pictureItemCount, 3);
    EXPECT_EQ(model->pictureItems[0].displayName, "Tea cup");
    EXPECT_EQ(model->pictureItems[2].displayName, "key") << "its entry was swallowed by the skew";
}

TEST(ContentModelTest, ObjectListsBeyondTheTablesAreCut)
{
    Model model;
    std::vector<PictureListEntry> many;
    for (int i = 0; i < 130; ++i)
        many.push_back({std::to_string(100 + i) + "_coin.png", i, i});
    model->LoadPageItems("d/", many, {});
    EXPECT_EQ(model->pictureItemCount, kMaxPictureItems);
    EXPECT_EQ(model->pictureItems[127].x, 127);
    // 128 coins: the last one links the 100 earlier ones the table can hold.
    EXPECT_EQ(model->pictureItems[127].linkedCount, kMaxLinkedItems);
    EXPECT_EQ(model->pictureItems[127].linked[99], 99);
    EXPECT_GE(model.log.size(), 2u);
    EXPECT_NE(model.log[0].find("130 objects"), std::string::npos);
}

TEST(ContentModelTest, OpaqueSamplesCountTheTenByTenGrid)
{
    // 19 x 19: the samples lie on every second column and row; the left ten columns are clear.
    std::vector<uint32_t> pixels(19 * 19, 0xFF000000u);
    for (int y = 0; y < 19; ++y)
        for (int x = 0; x < 10; ++x)
            pixels[static_cast<size_t>(y * 19 + x)] = 0x14FFFFFFu; // alpha 20: not opaque
    EXPECT_EQ(ContentModel::CountOpaqueSamples(pixels.data(), 19, 19), 50);

    std::vector<uint32_t> one = {0x15000000u};
    EXPECT_EQ(ContentModel::CountOpaqueSamples(one.data(), 1, 1), 100) << "a 1 x 1 picture samples one pixel";
    EXPECT_EQ(ContentModel::CountOpaqueSamples(nullptr, 0, 0), -1);
}

} // namespace
} // namespace Vesk
