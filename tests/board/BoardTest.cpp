#include "board/Board.h"

#include "app/PictureListReader.h"
#include "app/Resources.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/platform/Clock.h"
#include "framework/widgets/ButtonWidget.h"
#include "support/FakeFont.h"
#include "support/FakePublication.h"
#include "support/MessageBoxRecorder.h"
#include "support/TempFolder.h"
#include "support/TestGameApp.h"
#include "support/WidgetScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using Platform::Clock;
using TestSupport::FakeFont;
using TestSupport::TestGameApp;

constexpr int kBoardX = 16;
constexpr int kBoardY = 20;
constexpr int kPage = 2;
constexpr uint32_t kOpaque = 0xFF8A5A2Cu;

using FakeHost = TestSupport::FakePublication;

// The game application with the scene player's events recorded.
struct SceneRecordingApp : TestGameApp
{
    void PlayScene(const std::string& event) override { scenes.push_back(event); }
    std::vector<std::string> scenes;
};

std::unique_ptr<DDImage> Picture(int width, int height, const std::vector<uint32_t>& pixels)
{
    auto image = std::make_unique<DDImage>();
    image->SetBits(pixels.data(), width, height);
    return image;
}

std::unique_ptr<DDImage> Square(int size)
{
    return Picture(size, size, std::vector<uint32_t>(size_t(size * size), kOpaque));
}

// A 30 x 30 frame, 3 pixels wide, around a transparent middle.
std::unique_ptr<DDImage> Frame()
{
    std::vector<uint32_t> pixels(900, 0);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            if (x < 3 || y < 3 || x >= 27 || y >= 27)
                pixels[size_t(y * 30 + x)] = kOpaque;
    return Picture(30, 30, pixels);
}

class BoardTest : public ::testing::Test
{
protected:
    BoardTest()
    {
        Clock::UseVirtualClock();
        app.SetAppDataFolder((folder / "share").string());
        auto& common = app.config.common;
        common.BoardX = kBoardX;
        common.BoardY = kBoardY;
        common.ListX1 = 200;
        common.ListX2 = 340;
        common.ListX3 = 480;
        common.ListY = 440;
        common.ListTx = 40;
        common.ListTd = 24;
        common.COVERT = 0.05;
        app.config.pages.CSS = 100;
        app.config.pages.BlurAmplitude = 14;
        app.config.pages.BlurTransparency = 60;
        auto& ispy = app.config.ispy;
        ispy.EPSR = 12;
        ispy.EPC = 1.01;
        ispy.EPCa = 0;
        ispy.n1_ = 40000;
        ispy.m1_ = 2500;
        ispy.n2_ = 60000;
        ispy.m2_ = 2500;
        ispy.n3_ = 90000;
        ispy.hbn = 3000;
        ispy.hT = 0.025;
        ispy.hX = 3;
        ispy.hY = 2;
        ispy.DT = 0.02;
        ispy.MIS = 5;
        ispy.MIT = 600;
        ispy.PENALTY = 300;
        ispy.PENALTY_FADE = 40;
        ispy.SMul = 0.5;
        app.content.pages[kPage].type = "Game";

        // Item 0 a lamp, 1 a key drawn as a hollow frame, 2..4 three coins (4 leads the group),
        // 5 a cup, 6 a book; 7 a bolt whose name ends in a space, so it is never listed.
        std::vector<PictureListEntry> entries = {
            {"01_lamp.png", 100, 100}, {"02_key.png", 200, 100}, {"03_coin.png", 300, 100}, {"04_coin.png", 300, 200},
            {"05_coin.png", 300, 300}, {"06_cup.png", 400, 100}, {"07_book.png", 500, 100}, {"08_bolt_.png", 600, 100}};
        app.content.LoadPageItems("p03/", entries, {{"03_coin.png", "first coin"}, {"04_coin.png", "second coin"}});
        for (int index = 0; index < app.content.pictureItemCount; ++index)
        {
            PictureItem& item = app.content.pictureItems[size_t(index)];
            item.image = index == 1 ? Frame() : Square(20);
            item.opaqueSamples = ContentModel::CountOpaqueSamples(item.image->GetBits(), item.image->GetWidth(),
                                                                  item.image->GetHeight());
        }

        postNote = std::make_unique<MemoryImage>();
        postNote->Create(120, 150);
        stroke = Picture(40, 4, std::vector<uint32_t>(160, 0xFFFF0000u));
        IMAGE_POST_1 = postNote.get();
        IMAGE_POST_2 = postNote.get();
        IMAGE_POST_3 = postNote.get();
        IMAGE_STROKE = stroke.get();
        FONT_POST_IT_24 = &font;
        FONT_POST_IT_21 = &font;
        board.host = &host;
    }
    ~BoardTest() override
    {
        ResetResourceIdentifiers();
        Clock::UseRealClock();
    }

    PictureItem& Item(int index) { return app.content.pictureItems[size_t(index)]; }
    PageRecord& Record() { return app.content.pages[kPage]; }

    void Updates(int count)
    {
        for (int i = 0; i < count; ++i)
        {
            Clock::AdvanceFrame(10);
            board.Tick();
        }
    }
    // Presses and releases on a point of an item's picture (relative to its top-left corner).
    void ClickItem(int index, int dx = 2, int dy = 2)
    {
        int x = kBoardX + Item(index).x + dx;
        int y = kBoardY + Item(index).y + dy;
        board.OnPress(x, y, 1);
        board.OnRelease(x, y, 1);
    }
    void ClickEmpty()
    {
        board.OnPress(kBoardX + 50, kBoardY + 400, 1);
        board.OnRelease(kBoardX + 50, kBoardY + 400, 1);
    }
    std::vector<int> Listed() { return {board.listSlots.begin(), board.listSlots.begin() + board.slotCount}; }
    bool IsListed(int item)
    {
        auto list = Listed();
        return std::find(list.begin(), list.end(), item) != list.end();
    }

    TestSupport::TempFolder folder;
    TestSupport::MessageBoxRecorder boxes;
    SceneRecordingApp app;
    FakeHost host;
    FakeFont font;
    std::unique_ptr<MemoryImage> postNote;
    std::unique_ptr<DDImage> stroke;
    Board board{app};
};

TEST_F(BoardTest, ListIsDrawnUpFreshOrResumedWithItemZeroFirst)
{
    app.sceneOption = true;
    board.StartPage(300, false);
    // Five names can be listed (the coins once, through their leader); the list shrinks to them.
    ASSERT_EQ(board.slotCount, 5);
    EXPECT_EQ(board.listSlots[0], 0);
    for (int item : {0, 1, 4, 5, 6})
        EXPECT_TRUE(IsListed(item)) << item;
    EXPECT_FALSE(board.completed);
    EXPECT_EQ(board.timeLimitMs, 300000u);
    bool written = std::any_of(font.calls.begin(), font.calls.end(), [](auto& call) { return call.text == "lamp"; });
    EXPECT_TRUE(written);

    // A page left with two coins and the cup found comes back with the same list and finds;
    // the coins' leader knows two of its members are found.
    Record().listSlots = {6, 5, 4, 1, 0, -1, -1, -1, -1, -1, -1, -1};
    Record().itemFound[2] = 1;
    Record().itemFound[3] = 1;
    Record().itemFound[5] = 1;
    board.StartPage(300, false);
    EXPECT_EQ(board.listSlots[0], 6);
    EXPECT_EQ(board.listSlots[1], 5);
    EXPECT_EQ(board.listSlots[2], 4);
    EXPECT_EQ(Item(5).found, 1.0f);
    EXPECT_EQ(Item(4).remaining, 0);

    // Saved slots naming no item of the page give a fresh list.
    Record().listSlots[3] = 40;
    app.sceneOption = false;
    board.StartPage(300, false);
    for (int item : Listed())
        EXPECT_TRUE(item >= 0 && item < 8 && item != 7 && !Item(item).isGroupMember) << item;
    EXPECT_EQ(Item(5).found, 0.0f);
}

TEST_F(BoardTest, PressOnOpaquePixelFindsAndStrikesButTransparentPixelDoesNot)
{
    app.sceneOption = true;
    board.StartPage(300, false);
    Updates(1);
    EXPECT_EQ(app.scenes, std::vector<std::string>{"open"});

    // The middle of the key's frame is transparent even at every probe offset.
    ClickItem(1, 15, 15);
    EXPECT_EQ(board.pressedItem, -1);
    EXPECT_EQ(Item(1).found, 0.0f);
    // Two pixels beside the frame's outer edge a probe offset still reaches it.
    ClickItem(1, -2, 15);
    EXPECT_EQ(board.pressedItem, 1);
    EXPECT_GT(Item(1).found, 0.0f);
    // An unlisted item is never taken.
    ClickItem(7);
    EXPECT_EQ(Item(7).found, 0.0f);

    Updates(60);
    EXPECT_EQ(Item(1).found, 1.0f);
    EXPECT_EQ(board.pressedItem, -1);

    // The strike lies across the key's row on its note (entry s: note s mod 3, row s div 3).
    int entry = int(std::find(board.listSlots.begin(), board.listSlots.end(), 1) - board.listSlots.begin());
    MemoryImage screen;
    screen.Create(800, 600);
    Graphics graphics(&screen);
    board.Paint(graphics);
    int noteX[3] = {200, 340, 480};
    int x = noteX[entry % 3] + 60;
    int y = 440 + 40 + (entry / 3) * 24 - 2;
    uint32_t pixel = screen.GetBits()[size_t(y * 800 + x)];
    EXPECT_GT((pixel >> 16) & 0xFF, 200u) << std::hex << pixel;
    EXPECT_LT((pixel >> 8) & 0xFF, 80u) << std::hex << pixel;
}

TEST_F(BoardTest, ObjectsFadeInFromASmearOverTheSharpBackground)
{
    board.StartPage(300, false);
    MemoryImage screen;
    screen.Create(800, 600);
    auto pixelAfterPaint = [&](double blur, int item)
    {
        host.blur = blur;
        Graphics graphics(&screen);
        graphics.ClearRect(0, 0, 800, 600);
        board.Paint(graphics);
        int x = kBoardX + Item(item).x + 10;
        int y = kBoardY + Item(item).y + 10;
        return screen.GetBits()[size_t(y * 800 + x)];
    };
    // The last item is the page's background: sharp throughout the turn.
    EXPECT_EQ(pixelAfterPaint(0.999, 7), kOpaque);
    EXPECT_LT(pixelAfterPaint(0.999, 0) >> 24, 8u);
    uint32_t widest = pixelAfterPaint(0.5, 0);
    EXPECT_GT(widest >> 24, 8u);
    EXPECT_LT(widest >> 24, 250u);
    EXPECT_GT(pixelAfterPaint(0.01, 0) >> 24, 240u);
}

TEST_F(BoardTest, GroupEntryNeedsAllItsMembers)
{
    board.StartPage(300, false);
    Updates(1);
    ClickItem(2);
    Updates(60);
    EXPECT_EQ(Item(4).remaining, 1);
    EXPECT_EQ(board.StrikeEntry(2, 255), 1000.0);
    EXPECT_EQ(Item(4).displayName, "second coin");
    ClickItem(4);
    Updates(60);
    ClickItem(3);
    Updates(60);
    EXPECT_EQ(Item(4).remaining, 0);
    EXPECT_NE(board.StrikeEntry(4, 255), 1000.0);
    EXPECT_FALSE(board.completed);
}

TEST_F(BoardTest, MisclickSeriesBringsThePenaltyWhichLocksInputUntilItRunsOut)
{
    board.StartPage(300, false);
    Updates(1);
    // A gap of MIT or more restarts the series.
    for (int i = 0; i < 4; ++i)
        ClickEmpty();
    Updates(61);
    ClickEmpty();
    EXPECT_EQ(board.missCount, 1);
    Updates(1);
    EXPECT_EQ(board.penaltyTime, 0.0f);

    for (int i = 0; i < 4; ++i)
        ClickEmpty();
    Updates(1);
    EXPECT_EQ(board.penaltyTime, 300.0f);
    EXPECT_FALSE(app.warningPending);
    EXPECT_EQ(app.scenes.back(), "scenes/is_warning.scr");

    ClickItem(0);
    EXPECT_EQ(Item(0).found, 0.0f);
    Updates(300);
    EXPECT_EQ(board.penaltyTime, 0.0f);
    ClickItem(0);
    EXPECT_GT(Item(0).found, 0.0f);
}

TEST_F(BoardTest, IdlePlayerGetsAJiggleThatEndsAtHome)
{
    board.StartPage(300, false);
    // A paused page neither hints nor runs its clock.
    uint32_t started = board.pageStartTime;
    host.pauseOpen = true;
    Updates(5000);
    host.pauseOpen = false;
    Updates(1);
    EXPECT_EQ(board.hintTarget, -1);
    EXPECT_EQ(board.pageStartTime, started + 50000u);

    Updates(3999);
    EXPECT_EQ(board.hintTarget, -1);
    Updates(10);
    int target = board.hintTarget;
    ASSERT_GE(target, 0);
    EXPECT_EQ(target, board.listSlots[0]);
    bool moved = false;
    for (int i = 0; i < 100; ++i)
    {
        Updates(1);
        moved = moved || Item(target).x != Item(target).homeX || Item(target).y != Item(target).homeY;
    }
    EXPECT_TRUE(moved);
    Updates(250);
    EXPECT_EQ(Item(target).x, Item(target).homeX);

    // Taking another item while the target is away puts the target back in its place.
    Updates(1800);
    ASSERT_TRUE(Item(target).x != Item(target).homeX || Item(target).y != Item(target).homeY);
    int other = board.listSlots[1];
    ClickItem(other);
    EXPECT_EQ(board.hintTarget, -1);
    EXPECT_EQ(Item(target).x, Item(target).homeX);
    EXPECT_EQ(Item(target).y, Item(target).homeY);
}

TEST_F(BoardTest, HintButtonNeedsItsCharge)
{
    TestSupport::WidgetScreen screen;
    screen.manager.AddChild(&board);
    ASSERT_NE(board.hintButton, nullptr);
    EXPECT_FALSE(board.hintButton->shown) << "no page is played yet";
    board.StartPage(300, false);
    Updates(100);
    EXPECT_TRUE(board.hintButton->disabled);
    EXPECT_TRUE(board.hintButton->shown);
    board.OnButtonReleased(Board::kHintButtonId);
    Updates(1);
    EXPECT_EQ(board.hintTarget, -1);

    Updates(200);
    EXPECT_FALSE(board.hintButton->disabled);
    board.OnButtonReleased(Board::kHintButtonId);
    EXPECT_EQ(board.hintCharge, 0.0f);
    Updates(1);
    EXPECT_EQ(board.hintTarget, board.listSlots[0]);
    // Over the publication the buttons are hidden.
    host.shown = true;
    Updates(1);
    EXPECT_FALSE(board.backButton->shown);
    screen.manager.RemoveChild(&board);
}

TEST_F(BoardTest, LastFindCompletesThePageAndMarksItDone)
{
    board.StartPage(300, false);
    Updates(1);
    for (int item : {0, 1, 2, 3, 4, 5})
    {
        ClickItem(item);
        Updates(60);
    }
    EXPECT_FALSE(board.completed);
    ClickItem(6);
    Updates(60);
    EXPECT_TRUE(board.completed);
    EXPECT_EQ(app.scenes.back(), "done");
    EXPECT_TRUE(Record().done);
    EXPECT_EQ(host.redrawnPage, kPage);
    EXPECT_TRUE(host.pageComplete);
    EXPECT_EQ(host.pageActions, 1);

    // A single-entry page completes with its one entry.
    Record().done = false;
    host.pageActions = 0;
    for (int index = 0; index < 8; ++index)
        Item(index).found = 0;
    board.StartPage(60, true);
    ASSERT_EQ(board.slotCount, 1);
    Updates(1);
    int listed = board.listSlots[0];
    for (int index = 0; index < 8; ++index)
        if (index == listed || Item(index).groupLeader == listed)
        {
            ClickItem(index);
            Updates(60);
        }
    EXPECT_TRUE(board.completed);
    EXPECT_EQ(host.pageActions, 1);
}

} // namespace
} // namespace Vesk
