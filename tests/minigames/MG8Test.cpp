// The magnifier search on a set of pictures made in the test: the strip's order, wrong and right
// insects, the end on the page's count or on the fifth wrong insect, the idle hint, the glass
// and its enlarged view, the pointer over it, and sets with faults in them.
#include "minigames/MG8.h"

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
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using Platform::Clock;
using TestSupport::FakePublication;
using TestSupport::TempFolder;
using TestSupport::TestGameApp;

constexpr int kPage = 13;
constexpr int kBoardX = 16;
constexpr int kBoardY = 6;
constexpr uint32_t kLeafColour = 0xFF80A040u;

struct SearchApp : TestGameApp
{
    void PlayScene(const std::string& event) override { scenes.push_back(event); }
    std::string SceneState() const override { return sceneState; }
    void ResumeFromPlaytime() override { ++resumes; }
    void Log(const std::string& text) override { log.push_back(text); }
    void PlaySample(int sound) override { sounds.push_back(sound); }
    std::unique_ptr<DDImage> GetImage(const std::string& path, bool) override
    {
        auto found = pictures.find(path);
        if (found == pictures.end())
            return nullptr;
        auto image = std::make_unique<DDImage>();
        image->SetBits(found->second.pixels.data(), found->second.width, found->second.height);
        return image;
    }
    bool Logged(const std::string& part) const
    {
        return std::any_of(log.begin(), log.end(),
                           [&](const std::string& line) { return line.find(part) != line.npos; });
    }
    int Count(const std::vector<std::string>& list, const std::string& what) const
    {
        return int(std::count(list.begin(), list.end(), what));
    }
    int Played(int sound) const { return int(std::count(sounds.begin(), sounds.end(), sound)); }

    struct Pixels
    {
        int width = 0;
        int height = 0;
        std::vector<uint32_t> pixels;
    };
    std::map<std::string, Pixels> pictures;
    std::vector<std::string> scenes;
    std::vector<std::string> log;
    std::vector<int> sounds;
    std::string sceneState;
    int resumes = 0;
};

struct Line
{
    std::string name;
    int width = 20;
    int height = 20;
    int x = 0;
    int y = 0;
    uint32_t colour = 0xFF000000u;
    bool absent = false;
};

class MG8Test : public ::testing::Test
{
protected:
    MG8Test()
    {
        Clock::UseVirtualClock();
        app.SetAppDataFolder((folder / "share").string());
        app.config.common.BoardX = kBoardX;
        app.config.common.BoardY = kBoardY;
        app.config.common.ListY = 478;
        app.config.pages.BlurAmplitude = 14;
        app.config.pages.BlurTransparency = 60;
        auto& config = app.config.miniGame8;
        config.SCL = 2;
        config.CS = 0.25;
        config.PS = 40;
        config.Gx = 16;
        config.Gy = 6;
        config.GX = 783;
        config.GY = 470;
        config.GD = 60;
        config.LHDX = 34;
        config.LHDY = 34;
        config.n1_ = 1000;
        config.m1_ = 500;
        config.n2_ = 3000;
        config.m2_ = 500;
        config.n3_ = 6000;
        config.hT = 0.01;
        config.hX = 3;
        config.hY = 2;
        app.content.pageCount = 20;
        app.content.pages[kPage].type = "MG8";
        host.page = kPage;
        // The glass: a frame round a clear 90 x 90 window.
        std::vector<uint32_t> frame(120 * 120, 0xFF604020u);
        for (int y = 15; y < 105; ++y)
            for (int x = 15; x < 105; ++x)
                frame[size_t(y * 120 + x)] = 0;
        glass = std::make_unique<DDImage>();
        glass->SetBits(frame.data(), 120, 120);
        IMAGE_GLASS8 = glass.get();
        SOUND_MG8_OBJ = 1;
        SOUND_MG_LIFE = 2;
        SOUND_MG_FAIL = 3;
        SOUND_HINT = 4;
        game = std::make_unique<MG8>(app);
        game->host = &host;
    }
    ~MG8Test() override
    {
        ResetResourceIdentifiers();
        Clock::UseRealClock();
    }

    void WriteSet(const std::vector<Line>& lines)
    {
        std::string list;
        int number = 1;
        for (const Line& line : lines)
        {
            list += "pic-" + line.name + "\n" + std::to_string(number++) + "\n" + line.name + ".png\n" +
                    std::to_string(line.width) + "x" + std::to_string(line.height) + "\n" + std::to_string(line.x) +
                    "\n" + std::to_string(line.y) + "\n";
            if (!line.absent)
                app.pictures["p14/" + line.name + ".png"] = {
                    line.width, line.height, std::vector<uint32_t>(size_t(line.width * line.height), line.colour)};
        }
        folder.WriteFile("p14/picture.cfg", list);
    }

    // A leaf-litter page with three insects on it and a fourth lying off the page; the ant has
    // an enlarged picture of its own for the glass.
    void WriteStandardSet()
    {
        WriteSet({{"b_litter", 767, 532, 0, 0, kLeafColour},
                  {"s_ant", 20, 20, 100, 100, 0xFF201010u},
                  {"p_ant", 16, 16, 330, 480, 0xFF201011u},
                  {"v_ant", 40, 40, 0, 0, 0xFF301818u},
                  {"s_bee", 20, 20, 200, 100, 0xFFC0A020u},
                  {"p_bee", 16, 16, 300, 480, 0xFFC0A021u},
                  {"s_moth", 30, 20, 300, 200, 0xFFD0D0C0u},
                  {"p_moth", 16, 16, 360, 480, 0xFFD0D0C1u},
                  {"s_spare", 20, 20, -40, 100, 0xFF0000FFu},
                  {"p_spare", 16, 16, 390, 480, 0xFF0000FEu}});
    }

    // Enters the page as the publication does.
    void Enter(int itemCount)
    {
        game->StartGame(300, itemCount);
        game->LoadPicture("p14/");
        game->StartGame(300, itemCount);
        game->SetShown(true);
    }

    const MG8::Object& At(int index) const { return game->Objects()[size_t(index)]; }
    // A click on the middle of an insect as it lies now.
    void ClickObject(int index)
    {
        const MG8::Object& object = At(index);
        game->OnRelease(kBoardX + object.x + object.width / 2, kBoardY + object.y + object.height / 2, 1);
    }
    int IndexOf(const std::string& key) const
    {
        for (int index = 0; index < int(game->Objects().size()); ++index)
            if (At(index).key == key)
                return index;
        return -1;
    }

    void Ticks(int count, uint32_t msEach = 10)
    {
        for (int tick = 0; tick < count; ++tick)
        {
            Clock::AdvanceFrame(msEach);
            game->Tick();
        }
    }

    TempFolder folder;
    SearchApp app;
    FakePublication host;
    std::unique_ptr<DDImage> glass;
    std::unique_ptr<MG8> game;
};

TEST_F(MG8Test, TheSetIsReadIntoInsectsWithTheStripInWantedOrderAndBadLinesLeftOut)
{
    WriteSet({{"b_litter", 767, 532, 0, 0, kLeafColour},
              {"b_second", 10, 10, 0, 0},
              {"s_ant", 20, 20, 100, 100},
              {"p_ant", 16, 16, 330, 480},
              {"s_bee", 20, 20, 200, 100},
              {"p_bee", 16, 16, 300, 480},
              {"s_lonely", 20, 20, 300, 100},
              {"p_blind", 16, 16, 400, 480},
              {"s_gone", 20, 20, 300, 300, 0, true},
              {"p_gone", 16, 16, 420, 480},
              {"v_bee", 7, 7, 0, 0},
              {"s_wide", 3000, 4, 10, 10},
              {"p_wide", 16, 16, 450, 480},
              {"x_odd", 5, 5, 1, 1},
              {"sbroken", 5, 5, 1, 1},
              {"s_ant", 20, 20, 5, 5}});
    Enter(8);

    ASSERT_NE(game->Background(), nullptr);
    EXPECT_EQ(game->Background()->GetWidth(), 767) << "the first background counts";
    ASSERT_EQ(game->Objects().size(), 3u);
    EXPECT_EQ(At(IndexOf("ant.png")).homeX, 100) << "a second scene picture of the same insect is left out";
    EXPECT_EQ(game->RequiredFinds(), 3) << "eight asked for, three can be";
    EXPECT_EQ(game->Wanted(), 3);
    // A close-up of the wrong size is not used: the glass enlarges the insect's own picture.
    ASSERT_NE(At(IndexOf("bee.png")).enlarged, nullptr);
    EXPECT_EQ(At(IndexOf("bee.png")).enlarged->GetWidth(), 40);
    // An insect far too wide for the glass to enlarge is still in the game.
    EXPECT_EQ(At(IndexOf("wide.png")).enlarged, nullptr);
    for (const char* part : {"b_second", "lonely", "blind", "gone", "x_odd", "sbroken", "asks for 8", "too large"})
        EXPECT_TRUE(app.Logged(part)) << part;

    // The strip's places from left to right go to the insects in their wanted order, so the one
    // to click is always the rightmost.
    int x = 0;
    int y = 0;
    game->StripPlace(0, x, y);
    EXPECT_EQ(x, 300);
    game->StripPlace(1, x, y);
    EXPECT_EQ(x, 330);
    game->StripPlace(2, x, y);
    EXPECT_EQ(x, 450);
    game->StripPlace(3, x, y);
    EXPECT_EQ(x, 0) << "past the strip: no place";
    EXPECT_EQ(game->WantedObject(), game->Order()[2]);

    // Entering again empties the previous set first; leaving frees it but keeps the snapshot.
    Enter(8);
    EXPECT_EQ(game->Objects().size(), 3u);
    game->SetShown(false);
    ASSERT_NE(game->Snapshot(), nullptr);
    game->FreePictures();
    EXPECT_EQ(game->Background(), nullptr);
    EXPECT_TRUE(game->Objects().empty());
    EXPECT_NE(game->Snapshot(), nullptr);
}

TEST_F(MG8Test, TheLastOnTheStripIsFoundWrongInsectsCostATryAndThePageEndsOnItsCount)
{
    WriteStandardSet();
    Enter(2);
    ASSERT_EQ(game->Order().size(), 3u) << "the insect off the page is never wanted";
    EXPECT_EQ(std::count(game->Order().begin(), game->Order().end(), IndexOf("spare.png")), 0);
    ASSERT_EQ(game->RequiredFinds(), 2);
    const int first = game->WantedObject();
    const int second = game->Order()[0];
    ASSERT_EQ(first, game->Order()[1]);

    game->OnRelease(kBoardX + 700, kBoardY + 300, 1);
    EXPECT_EQ(game->tries, MiniGame::kStartTries) << "the bare page costs nothing";
    ClickObject(second);
    EXPECT_EQ(game->tries, 4) << "an insect wanted later is a wrong one";
    EXPECT_EQ(app.Count(app.scenes, "fail"), 1);
    EXPECT_EQ(app.Played(SOUND_MG_LIFE), 1);
    EXPECT_FALSE(game->finished);

    ClickObject(first);
    EXPECT_EQ(At(first).found, 0.01);
    EXPECT_EQ(app.Played(SOUND_MG8_OBJ), 1);
    ClickObject(first);
    EXPECT_EQ(app.Played(SOUND_MG8_OBJ), 1) << "a second click while it slides away does nothing";
    Ticks(4);
    EXPECT_EQ(At(first).found, 1);
    EXPECT_EQ(game->Wanted(), 1);
    EXPECT_EQ(app.resumes, 1);
    EXPECT_EQ(game->WantedObject(), second);
    ClickObject(first);
    EXPECT_EQ(game->tries, 4) << "an insect already found is no longer in the way";

    // The pointer over the page hides the cursor; the glass is the pointer there.
    game->OnPointerMove(kBoardX + At(second).x + 5, kBoardY + At(second).y + 5);
    EXPECT_EQ(app.GetCursor(), MG8::kCursorHidden);
    ClickObject(second);
    Ticks(5);
    EXPECT_TRUE(game->finished) << "two finds complete the page although a third insect is left";
    EXPECT_TRUE(app.content.pages[kPage].done);
    EXPECT_EQ(host.pageActions, 1);
    EXPECT_EQ(app.GetCursor(), 0) << "the pointer comes back once the game has ended";
}

TEST_F(MG8Test, TheFifthWrongInsectFailsThePageOnceAndNothingMoreCounts)
{
    WriteStandardSet();
    Enter(3);
    const int later = game->Order()[0];
    for (int wrong = 0; wrong < MiniGame::kStartTries; ++wrong)
        ClickObject(later);
    EXPECT_TRUE(game->finished);
    EXPECT_EQ(game->tries, 0);
    EXPECT_EQ(app.Count(app.scenes, "fail"), MiniGame::kStartTries) << "one fail scene a wrong insect";
    EXPECT_EQ(app.Played(SOUND_MG_FAIL), 1);
    EXPECT_EQ(host.pageActions, 1);
    ClickObject(later);
    ClickObject(game->WantedObject());
    Ticks(10);
    EXPECT_EQ(game->FoundCount(), 0);
    EXPECT_EQ(host.pageActions, 1);
    EXPECT_FALSE(app.content.pages[kPage].done);
}

TEST_F(MG8Test, AnIdlePlayerSeesTheWantedInsectJiggleUntilThePointerComesNear)
{
    WriteStandardSet();
    Enter(3);
    const int target = game->WantedObject();
    Ticks(90, 10);
    EXPECT_EQ(At(target).x, At(target).homeX);
    EXPECT_EQ(app.Played(SOUND_HINT), 0);

    Ticks(20, 10);
    EXPECT_TRUE(At(target).x != At(target).homeX || At(target).y != At(target).homeY) << "it jiggles";
    Ticks(5, 10);
    EXPECT_EQ(app.Played(SOUND_HINT), 1) << "the hint sound plays once a window";
    for (int index = 0; index < int(game->Objects().size()); ++index)
        EXPECT_TRUE(index == target || At(index).x == At(index).homeX) << "only the wanted insect jiggles";

    // The pointer near the insect: the player has seen it, the idle clock starts again.
    game->OnPointerMove(kBoardX + At(target).homeX - 30, kBoardY + At(target).homeY);
    Ticks(1);
    EXPECT_EQ(At(target).x, At(target).homeX);
    EXPECT_EQ(At(target).y, At(target).homeY);

    // A pause is not idleness.
    host.pauseOpen = true;
    Ticks(200, 10);
    host.pauseOpen = false;
    Ticks(1);
    EXPECT_EQ(At(target).x, At(target).homeX);
    EXPECT_EQ(app.Played(SOUND_HINT), 1);
}

TEST_F(MG8Test, TheGlassEnlargesThePageUnderItAndFadesOutsideItsRectangle)
{
    WriteStandardSet();
    Enter(3);
    Ticks(1);
    EXPECT_NE(std::find(host.blurRequests.begin(), host.blurRequests.end(), -1), host.blurRequests.end())
        << "the page turns in when the game opens, so that the back button works";
    EXPECT_EQ(game->GlassAlpha(game->GlassX(), game->GlassY()), 0) << "the glass waits below the page";

    game->OnPointerMove(2, 3);
    EXPECT_EQ(game->GlassX(), 60) << "the glass stays on the screen";
    EXPECT_EQ(game->GlassY(), 60);
    EXPECT_EQ(app.GetCursor(), 0) << "outside the glass's rectangle the pointer shows";
    EXPECT_EQ(game->GlassAlpha(400, 300), 255);
    EXPECT_EQ(game->GlassAlpha(400, 500), 127) << "half way through the fade";
    EXPECT_EQ(game->GlassAlpha(400, 530), 0);

    // Over the ant (screen 116..136 x 106..126) the window shows it twice as large, in its own
    // enlarged picture: 15 pixels right of the centre is still ant, though the page there is leaf.
    const MG8::Object& ant = At(IndexOf("ant.png"));
    const int centreX = kBoardX + ant.x + 10;
    const int centreY = kBoardY + ant.y + 10;
    game->OnPointerMove(centreX, centreY);
    MemoryImage screen;
    screen.Create(800, 600);
    Graphics graphics(&screen);
    auto pixelAt = [&](int x, int y) { return screen.GetBits()[y * 800 + x] & 0xFFFFFFu; };
    game->Paint(graphics);
    EXPECT_EQ(pixelAt(centreX, centreY), 0x301818u);
    EXPECT_EQ(pixelAt(centreX + 15, centreY), 0x301818u);
    EXPECT_EQ(pixelAt(centreX + 25, centreY), kLeafColour & 0xFFFFFFu);
    EXPECT_EQ(pixelAt(centreX + 55, centreY), 0x604020u) << "the glass's frame";

    // During the page turn the glass is away and clicks count for nothing.
    host.blur = 0.5;
    game->Paint(graphics);
    EXPECT_NE(pixelAt(centreX + 55, centreY), 0x604020u);
    ClickObject(game->Order()[0]);
    EXPECT_EQ(game->tries, MiniGame::kStartTries);
}

TEST_F(MG8Test, ASetWithNothingToFindCanStillBeLeftAndAWildScaleIsHeldIn)
{
    WriteSet({{"s_ant", 20, 20, 100, 100}, {"v_ant", 40, 40, 0, 0}});
    app.config.miniGame8.SCL = 50;
    Enter(8);
    EXPECT_EQ(game->Scale(), MG8::kMaxScale);
    EXPECT_TRUE(app.Logged("no background"));
    EXPECT_TRUE(app.Logged("no insects to find"));
    EXPECT_EQ(game->WantedObject(), -1);
    game->OnPointerMove(400, 300);
    game->OnRelease(400, 300, 1);
    Ticks(5);
    MemoryImage screen;
    screen.Create(800, 600);
    Graphics graphics(&screen);
    game->Paint(graphics);
    EXPECT_FALSE(game->finished) << "nothing to find is not a page done";
    game->OnButtonReleased(MG8::kBackButtonId);
    EXPECT_EQ(host.pageActions, 1);

    app.config.miniGame8.SCL = 0;
    EXPECT_EQ(game->Scale(), 1);
}

} // namespace
} // namespace Vesk
