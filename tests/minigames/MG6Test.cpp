// The differences game on a set of pictures made in the test: which patch finds what, rounds
// ending on their share of finds, the misclick lock-out, and sets with faults in them.
#include "minigames/MG6.h"

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

constexpr int kPage = 9;
constexpr int kBoardX = 16;
constexpr int kBoardY = 6;
constexpr uint32_t kPatchColour = 0xFFC03020u;

// The game application with scenes, log lines and pictures of the test: a picture is found
// when the test made one under its path.
struct DifferencesApp : TestGameApp
{
    void PlayScene(const std::string& event) override { scenes.push_back(event); }
    std::string SceneState() const override { return sceneState; }
    void ResumeFromPlaytime() override { ++resumes; }
    void Log(const std::string& text) override { log.push_back(text); }
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

    struct Pixels
    {
        int width = 0;
        int height = 0;
        std::vector<uint32_t> pixels;
    };
    std::map<std::string, Pixels> pictures;
    std::vector<std::string> scenes;
    std::vector<std::string> log;
    std::string sceneState;
    int resumes = 0;
};

// One line of picture.cfg: name, its size (the picture made with it unless absent) and place.
struct Line
{
    std::string name;
    int width = 20;
    int height = 20;
    int x = 0;
    int y = 0;
    bool absent = false;
};

class MG6Test : public ::testing::Test
{
protected:
    MG6Test()
    {
        Clock::UseVirtualClock();
        app.SetAppDataFolder((folder / "share").string());
        app.config.common.BoardX = kBoardX;
        app.config.common.BoardY = kBoardY;
        app.config.common.ListY = 440;
        app.config.pages.BlurAmplitude = 14;
        app.config.pages.BlurTransparency = 60;
        auto& config = app.config.miniGame6;
        config.CS = 0.25;
        config.rounds = 2;
        config.items1 = 2;
        config.items2 = 1;
        config.MIS = 3;
        app.config.ispy.PENALTY = 30;
        app.config.ispy.PENALTY_FADE = 5;
        app.content.pageCount = 12;
        app.content.pages[kPage].type = "MG6";
        host.page = kPage;
        game = std::make_unique<MG6>(app);
        game->host = &host;
    }
    ~MG6Test() override
    {
        ResetResourceIdentifiers();
        Clock::UseRealClock();
    }

    // Writes the set's picture.cfg and makes its pictures: patches opaque but for a
    // transparent top-left quarter, everything else opaque.
    void WriteSet(const std::vector<Line>& lines)
    {
        std::string list;
        int number = 1;
        for (const Line& line : lines)
        {
            list += "pic-" + line.name + "\n" + std::to_string(number++) + "\n" + line.name + ".png\n" +
                    std::to_string(line.width) + "x" + std::to_string(line.height) + "\n" + std::to_string(line.x) +
                    "\n" + std::to_string(line.y) + "\n";
            if (line.absent)
                continue;
            DifferencesApp::Pixels pixels{line.width, line.height,
                                          std::vector<uint32_t>(size_t(line.width * line.height), kPatchColour)};
            if (line.name[0] == 'l' || line.name[0] == 'r')
                for (int y = 0; y < line.height / 2; ++y)
                    for (int x = 0; x < line.width / 2; ++x)
                        pixels.pixels[size_t(y * line.width + x)] = 0;
            app.pictures["p10/" + line.name + ".png"] = pixels;
        }
        folder.WriteFile("p10/picture.cfg", list);
    }

    // Enters the page as the publication does.
    void Enter()
    {
        game->StartGame(300, 7);
        game->LoadPicture("p10/");
        game->StartGame(300, 7);
        game->SetShown(true);
    }

    // A release at a point of the board.
    void ClickBoard(int x, int y) { game->OnRelease(kBoardX + x, kBoardY + y, 1); }

    void Ticks(int count)
    {
        for (int tick = 0; tick < count; ++tick)
            game->Tick();
    }

    // The standard set: two rounds of two windows, round 1 with three differences (one of them
    // with its right patch only), round 2 with one.
    void WriteStandardSet()
    {
        WriteSet({{"b_table", 767, 532, 0, 0},
                  {"p_1left", 300, 300, 20, 20},
                  {"p_1right", 300, 300, 400, 20},
                  {"l_1pane", 20, 20, 100, 100},
                  {"r_1pane", 20, 20, 480, 100},
                  {"l_1bird", 30, 30, 150, 200},
                  {"r_1bird", 30, 30, 530, 200},
                  {"r_1rose", 20, 20, 600, 50},
                  {"p_2left", 300, 300, 20, 20},
                  {"l_2moon", 20, 20, 60, 60},
                  {"r_2moon", 20, 20, 440, 60}});
    }

    TempFolder folder;
    DifferencesApp app;
    FakePublication host;
    std::unique_ptr<MG6> game;
};

TEST_F(MG6Test, TheSetIsReadIntoRoundsWithPatchesPairedByKeyAndBadLinesSkipped)
{
    WriteSet({{"b_table", 767, 532, 0, 0},
              {"b_second", 10, 10, 0, 0},
              {"p_1window", 300, 300, 20, 20},
              {"l_1pane", 20, 20, 100, 100},
              {"r_1pane", 20, 20, 480, 100},
              {"l_0zero", 20, 20, 1, 1},
              {"r_9nine", 20, 20, 1, 1},
              {"l_", 20, 20, 1, 1},
              {"x_1odd", 20, 20, 1, 1},
              {"l_1gone", 20, 20, 1, 1, true},
              {"r_1gone", 20, 20, 1, 1, true},
              {"l_1half", 20, 20, 200, 200},
              {"l_1pane", 20, 20, 5, 5},
              {"l_2moon", 20, 20, 60, 60},
              {"r_2moon", 20, 20, 440, 60}});
    app.config.miniGame6.rounds = 12;
    Enter();

    ASSERT_NE(game->Background(), nullptr);
    EXPECT_EQ(game->Background()->GetWidth(), 767) << "the first background counts";
    EXPECT_EQ(game->RoundCount(), 2) << "twelve rounds asked, the set has two";
    const MG6::Round& first = game->RoundAt(0);
    ASSERT_EQ(first.differences.size(), 2u) << "pane and half; gone has no picture";
    EXPECT_EQ(first.extras.size(), 1u);
    EXPECT_EQ(first.differences[0].key, "1pane.png");
    EXPECT_EQ(first.differences[0].left.x, 100) << "a second left patch of the same key is ignored";
    EXPECT_EQ(first.differences[0].right.x, 480);
    EXPECT_EQ(first.differences[1].right.image, nullptr);
    EXPECT_EQ(game->RoundAt(1).differences.size(), 1u);
    for (const char* part : {"l_0zero", "r_9nine", "x_1odd", "gone", "one patch only", "b_second"})
        EXPECT_TRUE(app.Logged(part)) << part;

    // Entering again empties the previous set first.
    Enter();
    EXPECT_EQ(game->RoundAt(0).differences.size(), 2u);
    game->FreePictures();
    EXPECT_EQ(game->Background(), nullptr);
    EXPECT_TRUE(game->RoundAt(0).differences.empty());
}

TEST_F(MG6Test, EitherPatchFindsItsDifferenceAndTheRoundsEndOnTheirShareOfFinds)
{
    WriteStandardSet();
    Enter();
    EXPECT_EQ(game->DifferencesLeft(), 3);
    EXPECT_EQ(game->RequiredFinds(), 2);

    ClickBoard(102, 102);
    EXPECT_EQ(game->DifferencesLeft(), 3) << "a transparent pixel of a patch finds nothing";
    EXPECT_EQ(game->missCount, 1) << "but is a misclick on the picture";
    ClickBoard(100 + 15, 100 + 15);
    EXPECT_EQ(game->CurrentRound().differences[0].found, 0.01) << "the left patch";
    EXPECT_EQ(game->missCount, 0) << "a find resets the misclicks";
    ClickBoard(530 + 25, 200 + 25);
    EXPECT_GT(game->CurrentRound().differences[1].found, 0) << "the right patch";
    EXPECT_EQ(game->DifferencesLeft(), 1);

    // The outlines play in; the round ends once two are complete, the change comes a tick later.
    Ticks(3);
    EXPECT_EQ(game->round, 0);
    EXPECT_TRUE(app.scenes.empty() || app.scenes.back() != "round_1");
    Ticks(1);
    EXPECT_EQ(app.resumes, 2) << "each completed find lets a waiting scene go on";
    EXPECT_EQ(app.scenes.back(), "round_1");
    EXPECT_EQ(game->round, 0);
    ClickBoard(480 + 15, 100 + 15);
    ClickBoard(5, 5);
    EXPECT_EQ(game->missCount, 0) << "no clicks count between the rounds";
    Ticks(1);
    EXPECT_EQ(game->round, 1);
    EXPECT_EQ(game->DifferencesLeft(), 1);

    ClickBoard(440 + 15, 60 + 15);
    Ticks(5);
    EXPECT_TRUE(game->finished);
    EXPECT_TRUE(app.content.pages[kPage].done);
    EXPECT_EQ(host.pageActions, 1);
    EXPECT_EQ(game->tries, MiniGame::kStartTries) << "no tries are ever lost";

    // A finished game takes no clicks; a new start begins at round 1 with nothing found.
    ClickBoard(60 + 15, 60 + 15);
    EXPECT_EQ(host.pageActions, 1);
    game->StartGame(300, 7);
    EXPECT_EQ(game->round, 0);
    EXPECT_EQ(game->DifferencesLeft(), 3);
}

TEST_F(MG6Test, MisclicksInARowOnThePictureLockThePointerOut)
{
    WriteStandardSet();
    Enter();
    game->OnRelease(kBoardX - 1, 300, 1);
    game->OnRelease(300, kBoardY + 533, 1);
    EXPECT_EQ(game->missCount, 0) << "outside the board no click is a misclick";
    ClickBoard(0, 0);
    ClickBoard(767, 532);
    EXPECT_EQ(game->missCount, 2) << "the board's edges count";
    EXPECT_FALSE(game->LockedOut());
    ClickBoard(300, 400);
    EXPECT_TRUE(game->LockedOut());
    EXPECT_EQ(game->missCount, 0);
    EXPECT_EQ(app.GetCursor(), 11);

    ClickBoard(100 + 15, 100 + 15);
    EXPECT_EQ(game->DifferencesLeft(), 3) << "no find during the lock-out";
    // The pause dialog over a lock-out shows the pointer and holds the lock-out's clock.
    host.pauseOpen = true;
    Ticks(50);
    EXPECT_EQ(app.GetCursor(), 0);
    EXPECT_EQ(game->penaltyTime, 30);
    host.pauseOpen = false;
    Ticks(29);
    EXPECT_TRUE(game->LockedOut());
    EXPECT_EQ(app.GetCursor(), 11) << "the lock-out keeps the pointer hidden";
    Ticks(1);
    EXPECT_FALSE(game->LockedOut());
    EXPECT_EQ(app.GetCursor(), 0);
    ClickBoard(100 + 15, 100 + 15);
    EXPECT_EQ(game->DifferencesLeft(), 2);

    // A page left during a lock-out gives the pointer back.
    for (int click = 0; click < 3; ++click)
        ClickBoard(300, 400);
    ASSERT_TRUE(game->LockedOut());
    game->SetShown(false);
    EXPECT_FALSE(game->LockedOut());
    EXPECT_EQ(app.GetCursor(), 0);
    game->SetShown(true);

    // No lock-out at all when the count of misclicks is not set.
    app.config.miniGame6.MIS = 0;
    for (int click = 0; click < 10; ++click)
        ClickBoard(300, 400);
    EXPECT_FALSE(game->LockedOut());
}

TEST_F(MG6Test, ARoundAskingForMoreDifferencesThanItHasEndsWhenAllAreFound)
{
    WriteStandardSet();
    app.config.miniGame6.items1 = 9;
    app.config.miniGame6.items2 = 0;
    Enter();
    EXPECT_EQ(game->RequiredFinds(), 3);
    game->CompleteRound();
    Ticks(2);
    EXPECT_EQ(game->round, 1);
    EXPECT_EQ(game->RequiredFinds(), 1) << "no count set: every difference of the round";
    game->CompleteRound();
    Ticks(1);
    EXPECT_TRUE(game->finished);
}

TEST_F(MG6Test, AGameWithoutPicturesCanOnlyBeLeftAndNeverCompletes)
{
    Enter();
    EXPECT_TRUE(app.Logged("picture.cfg"));
    EXPECT_TRUE(app.Logged("no differences"));
    game->CompleteRound();
    ClickBoard(300, 300);
    Ticks(20);
    EXPECT_FALSE(game->finished);
    EXPECT_FALSE(app.content.pages[kPage].done);
    MemoryImage screen;
    screen.Create(800, 600);
    Graphics graphics(&screen);
    host.blur = 0.5;
    game->Paint(graphics);
    host.blur = 0;
    game->Paint(graphics);
    game->OnButtonReleased(MG6::kBackButtonId);
    EXPECT_EQ(host.pageActions, 1) << "the back button leaves the page";
}

TEST_F(MG6Test, OversizedAndMisplacedPicturesAreDrawnAndTurnedWithinTheScreen)
{
    WriteSet({{"b_table", 1200, 900, -40, -30},
              {"p_1window", 900, 700, 500, 300},
              {"l_1edge", 20, 20, -15, -15},
              {"r_1edge", 20, 20, 760, 525},
              {"l_1far", 20, 20, 4000, 4000},
              {"r_1far", 20, 20, -4000, 9000},
              {"l_1flat", 1, 1, 10, 10},
              {"r_1flat", 1, 1, 20, 10}});
    Enter();
    ASSERT_EQ(game->CurrentRound().differences.size(), 3u);
    MemoryImage screen;
    screen.Create(800, 600);
    Graphics graphics(&screen);
    for (double blur : {1.0, 0.7, 0.3, 0.0})
    {
        host.blur = blur;
        game->Paint(graphics);
    }
    // The patch lying over the board's corner is found where it shows.
    game->OnRelease(kBoardX - 15 + 15, kBoardY - 15 + 15, 1);
    EXPECT_GT(game->CurrentRound().differences[0].found, 0);
    game->CompleteRound();
    Ticks(3);
    host.blur = 0.5;
    game->Paint(graphics);
    EXPECT_TRUE(game->finished);
}

TEST_F(MG6Test, PatchesAreDrawnWhereTheyAreHitAndFadeInWithThePageTurn)
{
    WriteStandardSet();
    // A plain background of its own colour, so that the patches stand out.
    app.pictures["p10/b_table.png"].pixels.assign(767 * 532, 0xFF204060u);
    app.pictures["p10/p_1left.png"].pixels.assign(300 * 300, 0xFF204060u);
    app.pictures["p10/p_1right.png"].pixels.assign(300 * 300, 0xFF204060u);
    Enter();
    MemoryImage screen;
    screen.Create(800, 600);
    Graphics graphics(&screen);
    auto pixelAt = [&](int x, int y) { return screen.GetBits()[y * 800 + x] & 0xFFFFFFu; };
    const int patchX = kBoardX + 480 + 15;
    const int patchY = kBoardY + 100 + 15;

    host.blur = 1;
    game->Paint(graphics);
    EXPECT_EQ(pixelAt(patchX, patchY), 0x204060u) << "at the start of the turn only the background";
    host.blur = 0.5;
    game->Paint(graphics);
    EXPECT_NE(pixelAt(patchX, patchY), 0x204060u) << "half way the patches show";
    host.blur = 0;
    game->Paint(graphics);
    EXPECT_EQ(pixelAt(patchX, patchY), kPatchColour & 0xFFFFFFu);
    EXPECT_EQ(pixelAt(patchX - 10, patchY - 10), 0x204060u) << "the transparent quarter";

    game->OnRelease(patchX, patchY, 1);
    EXPECT_GT(game->CurrentRound().differences[0].found, 0) << "the pixel drawn is the pixel hit";
}

} // namespace
} // namespace Vesk
