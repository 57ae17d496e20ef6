// The magnifying-glass capture on a set of pictures made in the test: captures under the glass's
// centre (two at once where objects overlap), waiting objects dropping into freed places, the
// last ones caught at once, misses costing tries, the lamps, the hint, the glass's sharp view,
// and sets with faults in them.
#include "minigames/MG9.h"

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

constexpr int kPage = 16;
constexpr int kBoardX = 16;
constexpr int kBoardY = 6;
constexpr uint32_t kMeadow = 0xFF203040u;
constexpr uint32_t kTaken = 0xFF405060u;

struct CaptureApp : TestGameApp
{
    void PlayScene(const std::string& event) override { scenes.push_back(event); }
    std::string SceneState() const override { return ""; }
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
    int Scenes(const std::string& what) const { return int(std::count(scenes.begin(), scenes.end(), what)); }
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
    int resumes = 0;
};

struct Line
{
    std::string name;
    int width = 48;
    int height = 48;
    int x = 0;
    int y = 0;
    uint32_t colour = 0xFFF0E060u;
};

class MG9Test : public ::testing::Test
{
protected:
    MG9Test()
    {
        Clock::UseVirtualClock();
        app.SetAppDataFolder((folder / "share").string());
        app.config.common.BoardX = kBoardX;
        app.config.common.BoardY = kBoardY;
        app.config.common.ListY = 478;
        app.config.pages.BlurAmplitude = 14;
        app.config.pages.BlurTransparency = 60;
        auto& config = app.config.miniGame9;
        config.Lx = 60;
        config.LX = 628;
        config.Ly = 60;
        config.LY = 440;
        config.BX = 98;
        config.BY = 14;
        config.SCL = 3;
        config.draw_objects = true;
        config.CS = 0.25;
        config.SANIMDX = 16;
        config.SANIMDY = 23;
        config.RELOADT = 4;
        config.RELOADY = 80;
        config.LIX = 24;
        config.LIY = 60;
        config.LIDY = 24;
        config.LISP = 30;
        config.LIt = 100;
        config.LIT = 300;
        config.LIQ = 7;
        config.n1_ = 1000;
        config.m1_ = 500;
        config.n2_ = 3000;
        config.m2_ = 500;
        config.n3_ = 6000;
        config.hT = 0.01;
        config.hX = 3;
        config.hY = 2;
        app.content.pageCount = 20;
        app.content.pages[kPage].type = "MG9";
        host.page = kPage;
        // The glass: a frame round a clear 90 x 90 window; its button a small square.
        std::vector<uint32_t> frame(120 * 120, 0xFF604020u);
        for (int y = 15; y < 105; ++y)
            for (int x = 15; x < 105; ++x)
                frame[size_t(y * 120 + x)] = 0;
        glass = std::make_unique<DDImage>();
        glass->SetBits(frame.data(), 120, 120);
        std::vector<uint32_t> square(20 * 20, 0xFFA08060u);
        button = std::make_unique<DDImage>();
        button->SetBits(square.data(), 20, 20);
        IMAGE_GLASS = glass.get();
        IMAGE_GLASS_BTN = button.get();
        SOUND_MG9_BUTTON = 1;
        SOUND_MG_LIFE = 2;
        SOUND_MG_FAIL = 3;
        SOUND_HINT = 4;
        SOUND_MG9_LIGHT = 5;
        game = std::make_unique<MG9>(app);
        game->host = &host;
    }
    ~MG9Test() override
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
            app.pictures["p17/" + line.name + ".png"] = {
                line.width, line.height, std::vector<uint32_t>(size_t(line.width * line.height), line.colour)};
        }
        folder.WriteFile("p17/picture.cfg", list);
    }

    // A meadow with five fireflies: a and b overlap, c lies apart, d and e wait beyond the
    // screen for a place in the box.
    void WriteStandardSet()
    {
        std::vector<Line> lines = {{"b_meadow", 767, 532, 0, 0, kMeadow}, {"s_1", 30, 30, 10, 10, 0xFF102010u}};
        const struct
        {
            const char* key;
            int x, y, slotX, slotY;
        } flies[] = {{"a", 100, 100, 636, 78},
                     {"b", 104, 104, 688, 78},
                     {"c", 300, 200, 636, 150},
                     {"d", 400, 300, 1536, 294},
                     {"e", 200, 300, 1588, 294}};
        for (const auto& fly : flies)
        {
            lines.push_back({std::string("o_") + fly.key, 48, 48, fly.x, fly.y, 0xFFF0E060u});
            lines.push_back({std::string("p_") + fly.key, 48, 62, fly.slotX, fly.slotY, 0xFF24324Au});
            lines.push_back({std::string("g_") + fly.key, 48, 48, fly.x, fly.y, kTaken});
        }
        WriteSet(lines);
    }

    void Enter(int itemCount)
    {
        game->StartGame(300, itemCount);
        game->LoadPicture("p17/");
        game->StartGame(300, itemCount);
        game->SetShown(true);
    }

    int IndexOf(const std::string& key) const
    {
        for (int index = 0; index < int(game->Objects().size()); ++index)
            if (At(index).key == key)
                return index;
        return -1;
    }
    const MG9::Object& At(int index) const { return game->Objects()[size_t(index)]; }
    const MG9::Object& Fly(const std::string& key) const { return At(IndexOf(key)); }

    // Takes the glass by its middle and lets it go with its centre over (x, y) on the screen.
    void MoveGlass(int x, int y)
    {
        const int fromX = game->GlassX();
        const int fromY = game->GlassY();
        game->OnPress(fromX, fromY, 1);
        game->OnPointerDrag(x, y);
        game->OnRelease(x, y, 1);
    }
    // The glass over a board point, then its button pressed and let go.
    void CaptureAt(int boardX, int boardY)
    {
        MoveGlass(kBoardX + boardX, kBoardY + boardY);
        const int x = game->ButtonX() + 10;
        const int y = game->ButtonY() + 10;
        game->OnPress(x, y, 1);
        game->OnRelease(x, y, 1);
    }

    void Ticks(int count, uint32_t msEach = 10)
    {
        for (int tick = 0; tick < count; ++tick)
        {
            Clock::AdvanceFrame(msEach);
            game->Tick();
        }
    }

    uint32_t PaintedAt(int x, int y)
    {
        MemoryImage screen;
        screen.Create(800, 600);
        Graphics graphics(&screen);
        game->Paint(graphics);
        return screen.GetBits()[y * 800 + x] & 0xFFFFFFu;
    }

    TempFolder folder;
    CaptureApp app;
    FakePublication host;
    std::unique_ptr<DDImage> glass;
    std::unique_ptr<DDImage> button;
    std::unique_ptr<MG9> game;
};

TEST_F(MG9Test, TheSetIsReadWithWaitingObjectsAndBadLinesLeftOut)
{
    WriteStandardSet();
    std::string list = folder.ReadFile("p17/picture.cfg");
    for (const char* bad : {"s_0", "s_x", "s_12", "x_odd", "o_blind", "p_lonely", "b_second"})
    {
        list += std::string("pic-") + bad + "\n1\n" + bad + ".png\n48x48\n5\n5\n";
        app.pictures[std::string("p17/") + bad + ".png"] = {48, 48, std::vector<uint32_t>(48 * 48, 0xFF000000u)};
    }
    list += "pic-o_gone\n1\no_gone.png\n48x48\n5\n5\npic-p_gone\n1\np_gone.png\n48x62\n636\n222\n";
    folder.WriteFile("p17/picture.cfg", list);
    Enter(12);

    ASSERT_EQ(game->Objects().size(), 5u);
    ASSERT_EQ(game->Extras().size(), 1u);
    EXPECT_EQ(game->Background()->GetWidth(), 767) << "the first background counts";
    for (const char* part : {"s_0", "s_x", "s_12", "x_odd", "'blind'", "'lonely'", "b_second", "'gone'", "asks for 12"})
        EXPECT_TRUE(app.Logged(part)) << part;
    EXPECT_EQ(game->RequiredFinds(), 5) << "twelve asked for, five can be";
    EXPECT_TRUE(Fly("a").Wanted());
    EXPECT_FALSE(Fly("d").Wanted()) << "a portrait beyond the screen waits";
    EXPECT_EQ(game->GlassX(), 628);
    EXPECT_EQ(game->GlassY(), 440);

    // Entering again empties the previous set first; leaving frees it but keeps the snapshot.
    Enter(5);
    EXPECT_EQ(game->Objects().size(), 5u);
    game->SetShown(false);
    ASSERT_NE(game->Snapshot(), nullptr);
    game->FreePictures();
    EXPECT_EQ(game->Background(), nullptr);
    EXPECT_TRUE(game->Objects().empty());
    EXPECT_NE(game->Snapshot(), nullptr);
}

TEST_F(MG9Test, CapturesFillTheBoxWaitingOnesDropInAndTheLastAreCaughtAtOnce)
{
    WriteStandardSet();
    Enter(5);
    Ticks(1);

    // A waiting firefly cannot be caught: the press costs a try and plays the fail scene.
    CaptureAt(Fly("d").x + 8, Fly("d").y + 8);
    EXPECT_EQ(game->tries, 4);
    EXPECT_EQ(app.Scenes("fail"), 1);
    EXPECT_EQ(app.Played(SOUND_MG_LIFE), 1);
    EXPECT_EQ(app.Played(SOUND_MG9_BUTTON), 1);
    EXPECT_EQ(Fly("d").found, 0);

    // Dragging the glass alone captures nothing and costs nothing; it stays in its limits.
    MoveGlass(2, 700);
    EXPECT_EQ(game->GlassX(), 60);
    EXPECT_EQ(game->GlassY(), 440);
    EXPECT_EQ(game->tries, 4);

    // a (100..116) and b (104..120) overlap at (110, 110): one press catches both.
    CaptureAt(110, 110);
    EXPECT_EQ(Fly("a").found, 0.01);
    EXPECT_EQ(Fly("b").found, 0.01);
    EXPECT_EQ(game->tries, 4);
    Ticks(1);
    EXPECT_GT(Fly("a").x, Fly("a").homeX) << "it flies toward the box";
    Ticks(4);
    EXPECT_EQ(game->FoundCount(), 2);
    EXPECT_EQ(app.resumes, 2);
    // Both places were freed at once: the first drop landed when the second began.
    ASSERT_GE(game->ReloadObject(), 0);
    Ticks(5);
    EXPECT_EQ(game->ReloadObject(), -1);
    EXPECT_TRUE(Fly("d").Wanted());
    EXPECT_TRUE(Fly("e").Wanted());
    EXPECT_EQ(Fly("d").slotY, 78);
    EXPECT_NE(Fly("d").slotX, Fly("e").slotX) << "each dropped into its own freed place";
    EXPECT_EQ(std::min(Fly("d").slotX, Fly("e").slotX), 636);

    // Caught objects are caught once: the same press again misses.
    CaptureAt(110, 110);
    EXPECT_EQ(game->tries, 3);

    // The third capture leaves two: once it has settled they are caught at once.
    CaptureAt(Fly("c").x + 8, Fly("c").y + 8);
    Ticks(3);
    EXPECT_EQ(Fly("d").found, 0);
    Ticks(2);
    EXPECT_GT(Fly("d").found, 0);
    EXPECT_GT(Fly("e").found, 0);
    Ticks(10);
    EXPECT_TRUE(game->finished);
    EXPECT_EQ(app.Scenes("done"), 1);
    EXPECT_TRUE(app.content.pages[kPage].done);
    EXPECT_EQ(host.pageActions, 1);
}

TEST_F(MG9Test, TheFifthMissFailsThePageOnceAndNothingMoreCounts)
{
    WriteStandardSet();
    Enter(5);
    for (int miss = 0; miss < MiniGame::kStartTries; ++miss)
        CaptureAt(600, 50);
    EXPECT_TRUE(game->finished);
    EXPECT_EQ(game->tries, 0);
    EXPECT_EQ(app.Scenes("fail"), MiniGame::kStartTries);
    EXPECT_EQ(app.Played(SOUND_MG_FAIL), 1);
    EXPECT_EQ(host.pageActions, 1);
    CaptureAt(110, 110);
    Ticks(20);
    EXPECT_EQ(game->FoundCount(), 0) << "a failed game takes no more presses";
    EXPECT_FALSE(app.content.pages[kPage].done);
}

TEST_F(MG9Test, LampsFlickerOnAfterTheOpeningAndAnIdlePlayerSeesAWantedObjectJiggle)
{
    WriteStandardSet();
    Enter(5);
    Ticks(2);
    EXPECT_EQ(app.Scenes("open"), 1);
    EXPECT_EQ(app.Played(SOUND_MG9_LIGHT), 1);
    for (const MG9::Light& light : game->Lights())
        EXPECT_TRUE(light.countdown >= 99 && light.countdown < 300);
    Ticks(300);
    for (const MG9::Light& light : game->Lights())
        EXPECT_TRUE(light.on && light.countdown == 0) << "once the flicker is over the lamps stay lit";

    // Idle past the first window: a wanted firefly jiggles, never a waiting one.
    MoveGlass(300, 300);
    const int hints = app.Played(SOUND_HINT);
    Ticks(95, 10);
    for (const MG9::Object& object : game->Objects())
        EXPECT_TRUE(object.x == object.homeX && object.y == object.homeY) << "a press puts the hint away";
    EXPECT_EQ(app.Played(SOUND_HINT), hints);
    Ticks(10, 10);
    const int target = game->HintTarget();
    ASSERT_GE(target, 0);
    EXPECT_TRUE(At(target).Wanted());
    EXPECT_EQ(app.Played(SOUND_HINT), hints + 1);
    Ticks(10, 10);
    EXPECT_TRUE(At(target).x != At(target).homeX || At(target).y != At(target).homeY);
    // Its capture clears the hint; a press is activity.
    CaptureAt(At(target).homeX + 8, At(target).homeY + 8);
    EXPECT_EQ(game->HintTarget(), -1);
}

TEST_F(MG9Test, TheGlassShowsTheSceneAsDrawnAndTheMeadowOverACaughtObject)
{
    WriteStandardSet();
    Enter(5);
    Ticks(1);
    const MG9::Object& c = Fly("c");
    MoveGlass(kBoardX + c.x + 8, kBoardY + c.y + 8);
    const int x = game->GlassX();
    const int y = game->GlassY();
    // The 16-pixel firefly fills 48 pixels of the window; the meadow lies beyond.
    EXPECT_EQ(PaintedAt(x + 20, y), 0xF0E060u);
    EXPECT_EQ(PaintedAt(x + 30, y), kMeadow & 0xFFFFFFu);
    EXPECT_EQ(PaintedAt(x + 55, y), 0x604020u) << "the glass's frame";

    game->OnPress(game->ButtonX() + 10, game->ButtonY() + 10, 1);
    EXPECT_TRUE(game->ButtonDown());
    game->OnRelease(game->ButtonX() + 10, game->ButtonY() + 10, 1);
    EXPECT_FALSE(game->ButtonDown());
    EXPECT_EQ(PaintedAt(x + 20, y), kTaken & 0xFFFFFFu) << "once caught the glass shows the meadow behind it";
}

TEST_F(MG9Test, ASetWithNothingToCaptureCanStillBeLeftAndBadKeysAreHeldIn)
{
    WriteSet({{"o_a", 48, 48, 100, 100}, {"p_a", 48, 62, 636, 78}, {"o_dot", 2, 2, 10, 10}, {"p_dot", 4, 4, 1, 1}});
    auto& config = app.config.miniGame9;
    config.SCL = 50;
    config.LIQ = 0;
    config.RELOADT = 0;
    config.CS = 0;
    Enter(8);
    EXPECT_EQ(game->Scale(), MG9::kMaxScale);
    EXPECT_TRUE(app.Logged("no background"));
    EXPECT_TRUE(app.Logged("'dot' has no usable scene picture"));
    EXPECT_TRUE(app.Logged("no picture for once it is caught"));
    Ticks(3);
    for (const MG9::Light& light : game->Lights())
        EXPECT_TRUE(light.on) << "lamps that cannot flicker come on";
    (void)PaintedAt(400, 300);
    EXPECT_FALSE(game->finished);
    game->OnButtonReleased(MG9::kBackButtonId);
    EXPECT_EQ(host.pageActions, 1);

    WriteSet({});
    Enter(8);
    EXPECT_TRUE(app.Logged("no objects to capture"));
    CaptureAt(300, 300);
    Ticks(5);
    (void)PaintedAt(400, 300);
    EXPECT_FALSE(game->finished) << "nothing to capture is not a page done";
    config.SCL = 0;
    EXPECT_EQ(game->Scale(), 1);
}

} // namespace
} // namespace Vesk
