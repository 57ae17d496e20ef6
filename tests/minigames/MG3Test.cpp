// The sequence memory game on a picture set made in the test: the set read into rounds (round
// 1's items shared by the later rounds, what cannot be used left out), the order rule, the
// replay button's price, the round end with its whirl and tray, and the failure.
#include "minigames/MG3.h"

#include "app/Resources.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/platform/Clock.h"
#include "support/FakeFont.h"
#include "support/FakePublication.h"
#include "support/TempFolder.h"
#include "support/TestGameApp.h"

#include <gtest/gtest.h>

#include <algorithm>
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

constexpr int kBoardX = 16;
constexpr int kBoardY = 6;
constexpr int kPage = 10;
constexpr int kCels = 4;
constexpr int kItem = 20;
constexpr int kRoundEnd = 40;
constexpr int kClick = 701, kLife = 702, kFail = 703, kRound = 704, kDish = 705, kMix = 706, kSign = 707;

struct SetApp : TestSupport::TestGameApp
{
    std::unique_ptr<DDImage> GetImage(const std::string& path, bool commitBits) override
    {
        auto found = sizes.find(path);
        if (found == sizes.end())
            return nullptr;
        auto [width, height] = found->second;
        std::vector<uint32_t> pixels(size_t(width) * size_t(height), 0xFF8060A0u);
        auto image = std::make_unique<DDImage>();
        image->SetBits(pixels.data(), width, height);
        return image;
    }
    void PlayScene(const std::string& event) override { scenes.push_back(event); }
    void PlaySample(int soundId) override { samples.push_back(soundId); }
    void Log(const std::string& text) override { logs.push_back(text); }

    int Count(int sound) const { return int(std::count(samples.begin(), samples.end(), sound)); }
    int Scenes(const std::string& event) const { return int(std::count(scenes.begin(), scenes.end(), event)); }
    bool Logged(const std::string& part) const
    {
        return std::any_of(logs.begin(), logs.end(), [&](auto& line) { return line.find(part) != std::string::npos; });
    }

    std::map<std::string, std::pair<int, int>> sizes;
    std::vector<std::string> scenes;
    std::vector<int> samples;
    std::vector<std::string> logs;
};

struct Line
{
    std::string name;
    int x, y, width, height;
    bool fileExists = true;
};

class MG3Test : public ::testing::Test
{
protected:
    MG3Test()
    {
        Clock::UseVirtualClock();
        auto& common = app.config.common;
        common.BoardX = kBoardX;
        common.BoardY = kBoardY;
        common.ListY = 478;
        common.ClickTreshold = 3;
        auto& config = app.config.miniGame3;
        config.rounds = 3;
        config.items1 = 3;
        config.items2 = 4;
        config.items3 = 4;
        config.pause1 = config.pause2 = config.pause3 = 100;
        config.P1 = 50;
        config.P2 = 50;
        config.P3 = 50;
        config.P4 = 50;
        config.BD = 20;
        config.FC = kCels;
        config.CS = 0.25;
        config.RS = 1000;
        config.RCT = kRoundEnd;
        config.EP = 0.5;
        config.ES = 0.1;
        app.config.pages.CSS = 100;
        app.content.pageCount = kPage + 1;
        app.content.pages[kPage].type = "MG3";
        app.texts.objectives.MG3 = "in order";
        FONT_POST_IT_21 = &font;
        SOUND_CLICK = kClick;
        SOUND_MG_LIFE = kLife;
        SOUND_MG_FAIL = kFail;
        SOUND_MG_ROUND = kRound;
        SOUND_MG3_DISH = kDish;
        SOUND_MG3_MIX = kMix;
        SOUND_MG3_SMS = kSign;
        host.page = kPage;
        host.mode = 3;
        game = std::make_unique<MG3>(app);
        game->host = &host;
    }
    ~MG3Test() override
    {
        game.reset();
        ResetResourceIdentifiers();
        Clock::UseRealClock();
    }

    // Round 1's three items in a row at the bottom; round 2 adds one, round 3 has the same four.
    static std::vector<Line> ThreeRounds()
    {
        std::vector<Line> lines{{"b_tray.png", 300, 100, 100, 60},  {"b_room.png", 0, 0, 767, 532},
                                {"m_dish.png", 300, 250, 200, 100}, {"s_sparkle.png", 0, 0, 22 * kItem, kItem},
                                {"t_1lid.png", 20, 20, 100, 60},    {"t_2lid.png", 620, 20, 100, 60}};
        auto item = [&](const std::string& key, int index)
        {
            lines.push_back({"i_" + key + ".png", 100 + 60 * index, 450, kCels * kItem, kItem});
            lines.push_back({"c_" + key + ".png", 350, 30, 40, 40});
            lines.push_back({"a_" + key + ".png", 320 + 30 * index, 270, kItem, kItem});
        };
        for (int index = 0; index < 3; ++index)
            item("1bell" + std::to_string(index), index);
        item("2horn", 3);
        return lines;
    }

    void Load(const std::vector<Line>& lines)
    {
        std::string list;
        int id = 0;
        for (const Line& line : lines)
        {
            list += std::to_string(++id) + "\n1\n" + line.name + "\n" + std::to_string(line.width) + "x" +
                    std::to_string(line.height) + "\n" + std::to_string(line.x) + "\n" + std::to_string(line.y) + "\n";
            if (line.fileExists)
                app.sizes["p11/" + line.name] = {line.width, line.height};
        }
        folder.WriteFile("p11/picture.cfg", list);
        game->StartGame(300, 6);
        game->LoadPicture("p11/");
        game->StartGame(300, 6);
        game->SetShown(true);
    }

    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i)
        {
            Clock::AdvanceFrame(10);
            game->Tick();
        }
    }

    const MG3::Item& Item(int index) const { return game->CurrentRound().items[size_t(index)]; }
    int Sequence(int step) const { return game->CurrentRound().sequence[size_t(step)]; }

    // Drags item index onto the middle of the dish (or to (toX, toY)).
    void Drop(int index, int toX = kBoardX + 400, int toY = kBoardY + 300)
    {
        // Near its right edge: the one place no earlier item covers, however wide the cels are.
        const int fromX = kBoardX + int(Item(index).x) + Item(index).width - 5;
        const int fromY = kBoardY + int(Item(index).y) + kItem / 2;
        game->OnPress(fromX, fromY, 1);
        for (int move = 1; move <= 5; ++move)
            game->OnPointerDrag(fromX + (toX - fromX) * move / 5, fromY + (toY - fromY) * move / 5);
        game->OnRelease(toX, toY, 1);
    }

    // Watches the show to its end, noting the order it presents.
    std::vector<int> WatchShow()
    {
        std::vector<int> seen;
        while (game->ShowClock() < game->ShowEnd())
        {
            const int shown = game->ShownItem();
            if (shown >= 0 && (seen.empty() || seen.back() != shown))
                seen.push_back(shown);
            Ticks(1);
        }
        return seen;
    }

    // Puts the round's items in, in the order shown, and waits for them to settle.
    void PlayRound()
    {
        for (int item : WatchShow())
        {
            Drop(item);
            Ticks(6);
        }
    }

    TestSupport::TempFolder folder;
    SetApp app;
    TestSupport::FakePublication host;
    TestSupport::FakeFont font;
    std::unique_ptr<MG3> game;
};

TEST_F(MG3Test, SetIsReadIntoRoundsSharingRoundOnesItemsAndLeavingOutWhatItCannotUse)
{
    std::vector<Line> lines = ThreeRounds();
    lines.push_back({"i_9ghost.png", 0, 0, 10, 10});
    lines.push_back({"x_what.png", 0, 0, 10, 10});
    lines.push_back({"i_", 0, 0, 10, 10});
    lines.push_back({"i_2lost.png", 0, 0, kCels * kItem, kItem});
    lines.push_back({"c_2lost.png", 0, 0, 10, 10, false});
    lines.push_back({"a_2lost.png", 0, 0, 10, 10});
    Load(lines);

    EXPECT_EQ(game->RoundCount(), 3);
    ASSERT_EQ(game->RoundAt(0).items.size(), 3u);
    ASSERT_EQ(game->RoundAt(1).items.size(), 4u);
    ASSERT_EQ(game->RoundAt(2).items.size(), 3u);
    EXPECT_EQ(game->RoundAt(1).items[0].key, "1bell0");
    EXPECT_EQ(game->RoundAt(1).items[3].key, "2horn");
    EXPECT_EQ(game->RoundAt(2).items[2].homeX, 220);
    EXPECT_EQ(Item(1).width, kItem) << "one cel of the item's strip";
    // Round 3 has three of its four items: three are played.
    EXPECT_TRUE(app.Logged("round 3 of p11/ has 3 of 4 items"));
    for (const char* name : {"i_9ghost.png", "x_what.png", "'i_'", "'2lost' of round 2 has no show picture"})
        EXPECT_TRUE(app.Logged(name)) << name;
    // The show's order is a shuffle of the round's items.
    std::vector<int> order = game->CurrentRound().sequence;
    std::sort(order.begin(), order.end());
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));

    // Entering again replaces the set; freeing it keeps the snapshot for the zoom out.
    Load(ThreeRounds());
    EXPECT_EQ(game->RoundAt(1).items.size(), 4u);
    game->BuildSnapshot();
    game->FreePictures();
    EXPECT_TRUE(game->RoundAt(0).items.empty());
    EXPECT_NE(game->Snapshot(), nullptr);
    Ticks(3);
    EXPECT_EQ(game->RoundCount(), 0);

    // A set without items or dish leaves a game that does nothing but can still be left.
    Load({{"b_room.png", 0, 0, 767, 532}});
    EXPECT_EQ(game->RoundCount(), 0);
    EXPECT_TRUE(app.Logged("no dish"));
    EXPECT_TRUE(app.Logged("has items for 0 of 3 rounds"));
    Ticks(400);
    game->OnPress(400, 300, 1);
    game->OnButtonReleased(MG3::kReplayButtonId);
    EXPECT_FALSE(game->finished);
    EXPECT_EQ(game->tries, MG3::kStartTries);
    game->OnButtonReleased(MG3::kBackButtonId);
    EXPECT_EQ(host.pageActions, 1);
}

TEST_F(MG3Test, AnItemPutInBeforeAnEarlierOneCostsATryAndElsewhereNothing)
{
    Load(ThreeRounds());
    const std::vector<int> shown = WatchShow();
    ASSERT_EQ(shown, game->CurrentRound().sequence);
    EXPECT_EQ(app.Count(kSign), 1);

    // Let go beside the dish: the item goes home, free of charge.
    Drop(shown[1], kBoardX + 200, kBoardY + 300);
    Ticks(3);
    EXPECT_EQ(game->heldPiece, -1);
    EXPECT_EQ(Item(shown[1]).x, Item(shown[1]).homeX);
    EXPECT_EQ(game->tries, MG3::kStartTries);

    // The second item before the first: a try and the fail script, and it stays out.
    Drop(shown[1]);
    EXPECT_EQ(game->tries, MG3::kStartTries - 1);
    EXPECT_EQ(app.Count(kLife), 1);
    EXPECT_EQ(app.Scenes("fail"), 1);
    EXPECT_EQ(Item(shown[1]).found, 0);

    // The first goes in; a click takes the second, it follows the pointer and a press on the
    // dish lays it in.
    Drop(shown[0]);
    EXPECT_GT(Item(shown[0]).found, 0);
    EXPECT_EQ(app.Count(kDish), 1);
    const int x = kBoardX + int(Item(shown[1]).x) + kItem / 2;
    const int y = kBoardY + int(Item(shown[1]).y) + kItem / 2;
    game->OnPress(x, y, 1);
    game->OnRelease(x, y, 1);
    ASSERT_EQ(game->heldPiece, shown[1]);
    game->OnPointerMove(kBoardX + 380, kBoardY + 290);
    EXPECT_EQ(int(Item(shown[1]).x), 380 - kItem / 2);
    game->OnPress(kBoardX + 380, kBoardY + 290, 1);
    EXPECT_GT(Item(shown[1]).found, 0);
    EXPECT_EQ(game->tries, MG3::kStartTries - 1);

    // Four more wrong orders: the fifth try fails the game once, and nothing moves after that.
    for (int wrong = 0; wrong < 4; ++wrong)
        game->OnButtonReleased(MG3::kReplayButtonId);
    EXPECT_TRUE(game->finished);
    EXPECT_EQ(game->tries, 0);
    EXPECT_EQ(app.Count(kFail), 1);
    EXPECT_EQ(app.Scenes("fail"), 5);
    EXPECT_TRUE(host.pageComplete);
    Drop(shown[2]);
    EXPECT_EQ(Item(shown[2]).found, 0);
}

TEST_F(MG3Test, ReplayCostsATryAndShowsTheOrderAgain)
{
    Load(ThreeRounds());
    const std::vector<int> shown = WatchShow();
    EXPECT_EQ(game->ShownItem(), -1);
    Ticks(50);
    game->OnButtonReleased(MG3::kReplayButtonId);
    EXPECT_EQ(app.Count(kClick), 1);
    EXPECT_EQ(game->tries, MG3::kStartTries - 1);
    EXPECT_EQ(app.Scenes("fail"), 1);
    EXPECT_EQ(game->ShowClock(), 0);
    EXPECT_EQ(WatchShow(), shown) << "the same order again";
    EXPECT_EQ(app.Count(kSign), 2);
}

TEST_F(MG3Test, RoundsEndWithTheWhirlAndTheTrayParkedAndTheLastEndsThePage)
{
    Load(ThreeRounds());
    PlayRound();
    ASSERT_EQ(game->PlacedInRound(), 3);
    ASSERT_TRUE(game->RoundEnding());
    EXPECT_EQ(app.Count(kMix), 1);

    // Painted through the end: the items whirl while the lid fades in, then the tray travels
    // to the first parking place.
    MemoryImage screen;
    screen.Create(800, 600);
    Graphics graphics(&screen);
    Ticks(kRoundEnd / 4);
    game->Paint(graphics);
    EXPECT_EQ(game->TrayX(), 300);
    Ticks(kRoundEnd / 2);
    game->Paint(graphics);
    EXPECT_LT(game->TrayX(), 300);
    EXPECT_GT(game->TrayX(), 20);
    // No press lands while the round ends.
    game->OnButtonReleased(MG3::kReplayButtonId);
    EXPECT_EQ(game->tries, MG3::kStartTries);

    Ticks(kRoundEnd / 4 + 1);
    EXPECT_EQ(game->round, 1);
    EXPECT_EQ(app.Count(kRound), 1);
    EXPECT_EQ(app.Scenes("round_1"), 1);
    EXPECT_EQ(game->Playable(), 4);
    EXPECT_LT(game->ShowClock(), 50) << "the next round's show begins";
    game->Paint(graphics);
    EXPECT_EQ(game->TrayX(), 300) << "a new round brings the tray back";

    PlayRound();
    Ticks(kRoundEnd + 1);
    EXPECT_EQ(game->round, 2);
    EXPECT_EQ(app.Scenes("round_2"), 1);

    // The third round ends without the travel; the page is done.
    PlayRound();
    ASSERT_TRUE(game->RoundEnding());
    Ticks(kRoundEnd / 2 + 2);
    EXPECT_TRUE(game->finished);
    EXPECT_EQ(app.Scenes("done"), 1);
    EXPECT_TRUE(app.content.pages[kPage].done);
    EXPECT_EQ(game->tries, MG3::kStartTries);
}

TEST_F(MG3Test, ZeroKeysNeitherHangNorReadPastTheStrips)
{
    auto& config = app.config.miniGame3;
    config.rounds = 0;
    config.FC = 0;
    config.RCT = 0;
    config.EP = 0;
    config.items1 = 40;
    Load(ThreeRounds());
    // Rounds 0 plays one round, of the three items the set has.
    ASSERT_EQ(game->RoundCount(), 1);
    ASSERT_EQ(game->Playable(), 3);
    MemoryImage screen;
    screen.Create(800, 600);
    Graphics graphics(&screen);
    for (int item : WatchShow())
    {
        Drop(item);
        game->Paint(graphics);
        Ticks(6);
    }
    EXPECT_TRUE(game->finished);
    EXPECT_EQ(app.Scenes("done"), 1);
}

} // namespace
} // namespace Vesk
