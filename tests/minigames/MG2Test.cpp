// The container sorting game: its picture set read by name (bad lines left out), drops that
// cost a try or none, items taken with a click, rounds ending on the page's count, the page-turn
// blur, and sets too poor to be won that can still be left.
#include "minigames/MG2.h"

#include "app/Resources.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/platform/Clock.h"
#include "support/FakePublication.h"
#include "support/TempFolder.h"
#include "support/TestGameApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Vesk
{
namespace
{

using Platform::Clock;
using TestSupport::FakePublication;
using TestSupport::TempFolder;
using TestSupport::TestGameApp;

constexpr int kPage = 6;
constexpr uint32_t kDeck = 0xFF204060u;
constexpr uint32_t kCrate = 0xFFC08020u;
constexpr uint32_t kCargo = 0xFF30A030u;

// The game application with scenes, sounds and log lines recorded.
struct RecordingApp : TestGameApp
{
    void PlayScene(const std::string& event) override { scenes.push_back(event); }
    std::string SceneState() const override { return sceneState; }
    void PlaySample(int soundId) override { sounds.push_back(soundId); }
    void Log(const std::string& text) override
    {
        logs.push_back(text);
        TestGameApp::Log(text);
    }
    bool Logged(const std::string& part) const
    {
        return std::any_of(logs.begin(), logs.end(), [&](const auto& line) { return line.find(part) != line.npos; });
    }
    int Count(int soundId) const { return int(std::count(sounds.begin(), sounds.end(), soundId)); }

    std::vector<std::string> scenes;
    std::string sceneState;
    std::vector<int> sounds;
    std::vector<std::string> logs;
};

std::unique_ptr<DDImage> Solid(int width, int height, uint32_t pixel)
{
    std::vector<uint32_t> pixels(size_t(width) * size_t(height), pixel);
    auto image = std::make_unique<DDImage>();
    image->SetBits(pixels.data(), width, height);
    return image;
}

// Two rounds of five 40 x 40 containers and a borrowed look-alike each; three items a round
// (for containers 1, 2 and 3), resting on the notes.
std::vector<PictureListEntry> TwoRounds()
{
    std::vector<PictureListEntry> entries = {{"b_deck.png", 0, 0}};
    const int places[5][2] = {{100, 100}, {200, 100}, {300, 100}, {400, 100}, {100, 250}};
    for (char r : {'1', '2'})
        for (int c = 0; c < 5; ++c)
            entries.push_back({std::string("c_") + r + "_" + char('1' + c) + "_box.png", places[c][0], places[c][1]});
    entries.push_back({"c_1_6_borrowed.png", 500, 250});
    entries.push_back({"c_2_6_borrowed.png", 500, 250});
    for (char r : {'1', '2'})
        for (int c = 0; c < 3; ++c)
        {
            std::string key = std::string(1, char('1' + c)) + "thing.png";
            entries.push_back({std::string("p_") + r + "_" + key, 230 + 116 * c, 500});
            entries.push_back({std::string("m_") + r + "_" + key, 5, 6});
        }
    return entries;
}

class MG2Test : public ::testing::Test
{
protected:
    MG2Test()
    {
        Clock::UseVirtualClock();
        app.SetAppDataFolder((folder / "share").string());
        auto& common = app.config.common;
        common.BoardX = 16;
        common.BoardY = 6;
        common.ListX1 = 230;
        common.ListX3 = 590;
        common.ListY = 478;
        common.ListTX1 = 10;
        common.ListTX3 = 330;
        common.ListTY = 478;
        common.ClickTreshold = 6;
        common.RetSpeed = 10;
        app.config.pages.BlurAmplitude = 14;
        app.config.pages.BlurTransparency = 60;
        auto& section = app.config.miniGame2;
        section.CS = 0.25;
        section.rounds = 2;
        section.ListX1 = 214;
        section.ListX2 = 330;
        section.ListX3 = 446;
        section.ListX4 = 562;
        section.ListX5 = 678;
        app.content.pageCount = 8;
        app.content.pages[kPage].type = "MG2";
        SOUND_MG_FIND = 101;
        SOUND_MG_LIFE = 102;
        SOUND_MG_ROUND = 103;
        SOUND_MG_FAIL = 104;
        note = Solid(100, 90, 0xFFF7E98Au);
        IMAGE_POST_1 = IMAGE_POST_2 = IMAGE_POST_3 = IMAGE_POST_4 = IMAGE_POST_5 = note.get();
        host.page = kPage;
        host.mode = 2;
        game = std::make_unique<MG2>(app);
        game->host = &host;
    }
    ~MG2Test() override
    {
        game.reset();
        ResetResourceIdentifiers();
        Clock::UseRealClock();
    }

    // Builds the set with pictures made here; names in missing load as nothing.
    void Build(const std::vector<PictureListEntry>& entries, const std::vector<std::string>& missing = {})
    {
        game->BuildSet(entries,
                       [&](const std::string& name) -> std::unique_ptr<DDImage>
                       {
                           if (std::find(missing.begin(), missing.end(), name) != missing.end())
                               return nullptr;
                           if (name[0] == 'b')
                               return Solid(767, 532, kDeck);
                           if (name[0] == 'c')
                               return Solid(40, 40, kCrate);
                           return Solid(20, 20, kCargo);
                       });
    }
    void Start(int itemCount)
    {
        game->StartGame(300, itemCount);
        game->SetShown(true);
        Updates(1);
    }
    void Updates(int count)
    {
        for (int i = 0; i < count; ++i)
        {
            Clock::AdvanceFrame(10);
            game->Tick();
        }
    }
    MG2::Item& ItemOf(int r, int index) { return game->rounds[size_t(r)].items[size_t(index)]; }
    // The middle of the container an item of the current round belongs in.
    std::pair<int, int> HomeOf(int index)
    {
        int c = ItemOf(game->round, index).container;
        return {game->ContainerScreenX(game->round, c) + 20, game->ContainerScreenY(game->round, c) + 20};
    }
    // Takes an item of the current round and drags it to (x, y) with enough moves to be a drag.
    void DragTo(int index, int x, int y)
    {
        const MG2::Item& item = ItemOf(game->round, index);
        game->OnPress(item.x + 10, item.y + 10, 1);
        for (int move = 1; move <= 8; ++move)
            game->OnPointerDrag(item.x + 10 + (x - item.x - 10) * move / 8, item.y + 10 + (y - item.y - 10) * move / 8);
        game->OnRelease(x, y, 1);
    }

    TempFolder folder;
    RecordingApp app;
    FakePublication host;
    std::unique_ptr<DDImage> note;
    std::unique_ptr<MG2> game;
};

TEST_F(MG2Test, PictureSetIsReadByNameAndBadLinesAreLeftOut)
{
    auto entries = TwoRounds();
    // An item whose put-away picture is listed first is still one item.
    entries.insert(entries.begin() + 1, {"m_1_4late.png", 7, 8});
    entries.push_back({"p_1_4late.png", 600, 510});
    for (const char* bad : {"c_0_1_zero.png", "p_9_1nine.png", "p_1_xodd.png", "q_1_1what.png", "c_", "p_1_"})
        entries.push_back({bad, 1, 1});
    Build(entries);

    for (int r = 0; r < 2; ++r)
    {
        const MG2::Round& round = game->rounds[size_t(r)];
        EXPECT_EQ(round.containerCount, 5) << "the borrowed container is not counted";
        // The shuffle moves containers among the places listed, the look-alike among the first three.
        std::vector<std::pair<int, int>> places;
        for (int c = 0; c <= MG2::kBorrowedContainer; ++c)
            places.emplace_back(round.containers[size_t(c)].x, round.containers[size_t(c)].y);
        std::sort(places.begin(), places.end());
        EXPECT_EQ(places, (std::vector<std::pair<int, int>>{
                              {100, 100}, {100, 250}, {200, 100}, {300, 100}, {400, 100}, {500, 250}}));
        const MG2::Container& borrowed = round.containers[MG2::kBorrowedContainer];
        EXPECT_TRUE(std::any_of(round.containers.begin(), round.containers.begin() + 3,
                                [](const MG2::Container& c) { return c.x == 500 && c.y == 250; }))
            << "the look-alike's place went to one of the first three";
        // Its picture is one of the other round's first three containers.
        const MG2::Round& other = game->rounds[size_t(1 - r)];
        EXPECT_TRUE(borrowed.image == other.containers[0].image || borrowed.image == other.containers[1].image ||
                    borrowed.image == other.containers[2].image);
        EXPECT_NE(borrowed.image, nullptr);
    }

    const auto& items = game->rounds[0].items;
    ASSERT_EQ(items.size(), 4u);
    const MG2::Item& late = items[0];
    EXPECT_EQ(late.key, "4late.png");
    EXPECT_EQ(late.container, 3);
    EXPECT_EQ(std::make_pair(late.homeX, late.homeY), std::make_pair(600, 510));
    EXPECT_EQ(std::make_pair(late.placedX, late.placedY), std::make_pair(7, 8));
    EXPECT_NE(late.pieceImage, nullptr);
    EXPECT_NE(late.placedImage, nullptr);
    EXPECT_EQ(items[1].container, 0);
    EXPECT_EQ(items[2].note, 1) << "an item rides with the note it lies on";
    EXPECT_TRUE(game->rounds[2].items.empty() && game->rounds[8 - 1].items.empty());
    for (const char* bad : {"c_0_1_zero.png", "p_9_1nine.png", "p_1_xodd.png", "q_1_1what.png"})
        EXPECT_TRUE(app.Logged(bad)) << bad;

    // Loading again starts from an empty set; a round holds 64 items at most.
    std::vector<PictureListEntry> crowded = TwoRounds();
    for (int i = 0; i < 70; ++i)
        crowded.push_back({"p_1_1extra" + std::to_string(i) + ".png", 230, 500});
    Build(crowded);
    EXPECT_EQ(game->rounds[0].items.size(), size_t(MG2::kMaxItems));
    EXPECT_EQ(game->rounds[1].items.size(), 3u);
    EXPECT_TRUE(app.Logged("p_1_1extra69.png"));
}

TEST_F(MG2Test, DropsOffTheNotesCostATryAndTheFifthFails)
{
    Build(TwoRounds());
    Start(3);
    ASSERT_EQ(app.scenes, std::vector<std::string>{"open"});

    // Another item's container.
    auto [wrongX, wrongY] = HomeOf(1);
    DragTo(0, wrongX, wrongY);
    EXPECT_EQ(game->tries, 4);
    EXPECT_EQ(app.Count(SOUND_MG_LIFE), 1);
    EXPECT_EQ(game->heldPiece, -1);
    EXPECT_EQ(ItemOf(0, 0).found, 0);

    // Back on either note row, or let go with the right button: no cost, and the item goes home.
    DragTo(0, 600, 520);
    DragTo(0, 40, 520);
    game->OnPress(ItemOf(0, 0).x + 10, ItemOf(0, 0).y + 10, 1);
    game->OnPointerDrag(600, 300);
    game->OnRelease(600, 300, -1);
    EXPECT_EQ(game->tries, 4);
    Updates(100);
    EXPECT_EQ(std::make_pair(ItemOf(0, 0).x, ItemOf(0, 0).y), std::make_pair(ItemOf(0, 0).homeX, ItemOf(0, 0).homeY));

    // Four more drops on the open page: the last one fails the game, which then takes nothing.
    for (int wrong = 0; wrong < 4; ++wrong)
        DragTo(0, 600, 60);
    EXPECT_EQ(game->tries, 0);
    EXPECT_TRUE(game->finished);
    EXPECT_EQ(app.Count(SOUND_MG_LIFE), 4);
    EXPECT_EQ(app.Count(SOUND_MG_FAIL), 1);
    EXPECT_EQ(app.scenes.back(), "fail");
    EXPECT_EQ(host.pageActions, 1);
    auto [rightX, rightY] = HomeOf(0);
    DragTo(0, rightX, rightY);
    EXPECT_EQ(game->heldPiece, -1);
    EXPECT_EQ(ItemOf(0, 0).found, 0);
    EXPECT_FALSE(app.content.pages[kPage].done);
}

TEST_F(MG2Test, AClickTakesAnItemThatFollowsThePointerIntoItsContainer)
{
    Build(TwoRounds());
    Start(3);
    MG2::Item& item = ItemOf(0, 2);
    game->OnPress(item.x + 5, item.y + 5, 1);
    game->OnRelease(item.x + 5, item.y + 5, 1);
    EXPECT_EQ(game->heldPiece, 2) << "a click keeps the item in hand";
    auto [x, y] = HomeOf(2);
    game->OnPointerMove(x, y);
    EXPECT_EQ(std::make_pair(item.x, item.y), std::make_pair(x - 5, y - 5));
    game->OnPress(x, y, 1);
    game->OnRelease(x, y, 1);
    EXPECT_EQ(game->heldPiece, -1);
    EXPECT_DOUBLE_EQ(item.found, 0.01);
    EXPECT_EQ(app.Count(SOUND_MG_FIND), 1);
    EXPECT_EQ(game->tries, 5);
    Updates(5);
    EXPECT_EQ(item.found, 1);
    EXPECT_EQ(game->PlacedInRound(0), 1);
}

TEST_F(MG2Test, RoundsEndOnThePagesCountAndTheLastEndsThePageWithoutARoundWord)
{
    Build(TwoRounds());
    Start(2);
    for (int index : {0, 1})
    {
        auto [x, y] = HomeOf(index);
        DragTo(index, x, y);
    }
    Updates(5);
    EXPECT_EQ(app.Count(SOUND_MG_ROUND), 1);
    EXPECT_EQ(app.scenes.back(), "round_1");
    Updates(1);
    EXPECT_EQ(game->round, 1);
    EXPECT_FALSE(game->finished);

    for (int index : {2, 0})
    {
        auto [x, y] = HomeOf(index);
        DragTo(index, x, y);
    }
    Updates(5);
    EXPECT_TRUE(game->finished);
    EXPECT_EQ(std::count(app.scenes.begin(), app.scenes.end(), "round_1"), 1);
    EXPECT_EQ(app.scenes.back(), "done");
    EXPECT_TRUE(app.content.pages[kPage].done);
    EXPECT_TRUE(host.pageComplete);
    EXPECT_EQ(host.pageActions, 1);
    EXPECT_EQ(app.Count(SOUND_MG_ROUND), 1);
}

TEST_F(MG2Test, ARoundAskingForMoreItemsThanItHasEndsWithAllOfThem)
{
    Build(TwoRounds());
    Start(6);
    EXPECT_TRUE(app.Logged("round 1 asks for 6 items and has 3"));
    EXPECT_EQ(game->NeededInRound(0), 3);
    game->CompleteRound();
    Updates(2);
    EXPECT_EQ(game->round, 1);
}

TEST_F(MG2Test, BrokenSetsLeaveAGameThatCanStillBeLeft)
{
    // Three rounds asked for and two present; round 2's containers and the background missing.
    app.config.miniGame2.rounds = 3;
    std::vector<std::string> missing = {"b_deck.png"};
    for (char c = '1'; c <= '5'; ++c)
        missing.push_back(std::string("c_2_") + c + "_box.png");
    Build(TwoRounds(), missing);
    EXPECT_TRUE(app.Logged("3 rounds asked for, the picture set has 1"));
    EXPECT_EQ(game->RoundCount(), 1);
    Start(3);

    // Nothing at all: the game never ends on its own, but "open" comes and the back button works.
    Build({{"c_1_1_box.png", 10, 10}, {"p_1_7lost.png", 230, 500}, {"m_1_1alone.png", 0, 0}});
    Start(6);
    EXPECT_TRUE(app.Logged("no item that fits a container"));
    EXPECT_EQ(game->NeededInRound(0), 0);
    Updates(50);
    EXPECT_FALSE(game->finished);
    EXPECT_EQ(std::count(app.scenes.begin(), app.scenes.end(), "open"), 2);
    game->OnButtonReleased(MG2::kBackButtonId);
    EXPECT_EQ(host.pageActions, 1);

    // A container listed again after a look-alike borrowed its picture keeps its first picture;
    // pictures of any size are drawn.
    auto twice = TwoRounds();
    twice.push_back({"c_2_1_box.png", 600, 300});
    twice.push_back({"c_2_2_box.png", 600, 300});
    twice.push_back({"c_2_3_box.png", 600, 300});
    game->BuildSet(twice,
                   [](const std::string& name)
                   {
                       if (name[0] == 'b')
                           return Solid(1, 1, kDeck);
                       return name[0] == 'c' ? Solid(900, 700, kCrate) : Solid(1, 1, kCargo);
                   });
    EXPECT_TRUE(app.Logged("c_2_3_box.png was listed before"));
    Start(3);
    EXPECT_NE(game->rounds[0].containers[MG2::kBorrowedContainer].image, nullptr);

    // Drawn at rest and during the blur with pictures of any size or none.
    MemoryImage screen;
    screen.Create(800, 600);
    Graphics graphics(&screen);
    for (double blur : {0.0, 0.5, 1.0})
    {
        host.blur = blur;
        game->Paint(graphics);
    }
    Build({{"c_1_1_box.png", 10, 10}, {"p_1_7lost.png", 230, 500}, {"m_1_1alone.png", 0, 0}});
    Start(6);
    for (double blur : {0.0, 0.5, 1.0})
    {
        host.blur = blur;
        game->Paint(graphics);
    }
    game->FreePictures();
    game->Paint(graphics);
}

TEST_F(MG2Test, ThePageTurnBringsTheContainersOutOfTheDeck)
{
    Build(TwoRounds());
    Start(3);
    MemoryImage screen;
    screen.Create(800, 600);
    const int x = game->ContainerScreenX(0, 0) + 20;
    const int y = game->ContainerScreenY(0, 0) + 20;
    auto pixelAt = [&](double blur)
    {
        host.blur = blur;
        Graphics graphics(&screen);
        game->Paint(graphics);
        return screen.GetBits()[y * 800 + x] & 0xFFFFFFu;
    };
    EXPECT_EQ(pixelAt(1.0), kDeck & 0xFFFFFFu) << "the turn starts with the deck alone";
    uint32_t mid = pixelAt(0.3);
    EXPECT_NE(mid, kDeck & 0xFFFFFFu);
    EXPECT_NE(mid, kCrate & 0xFFFFFFu);
    EXPECT_EQ(pixelAt(0.0), kCrate & 0xFFFFFFu);
}

} // namespace
} // namespace Vesk
