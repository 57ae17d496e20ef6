// The scanner conveyor on a set of pictures made in the test: keys and rounds read from the
// file names, the queue entering the belt, clicks on either half of the screen, a smuggler let
// through, the round end once the catches have faded, the rounds to the done sequence, and sets
// with faults in them.
#include "minigames/MG5.h"

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

constexpr int kPage = 15;

struct ScannerApp : TestGameApp
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
    int width = 40;
    int height = 30;
    bool absent = false;
};

class MG5Test : public ::testing::Test
{
protected:
    MG5Test()
    {
        Clock::UseVirtualClock();
        app.SetAppDataFolder((folder / "share").string());
        app.config.common.BoardX = 16;
        app.config.common.BoardY = 6;
        app.config.pages.BlurAmplitude = 14;
        app.config.pages.BlurTransparency = 60;
        auto& c = app.config.miniGame5;
        c.rounds = 2;
        c.items1 = 2;
        c.items2 = 1;
        c.mV1 = c.mV2 = 4;
        c.mDV1 = c.mDV2 = 0;
        c.fromY = 110;
        c.toY = 450;
        c.deltaX = 100;
        c.deltaDX = 20;
        c.CS = 0.25;
        c.CUS = 120;
        c.SLX = 340;
        c.SLy = 110;
        c.SLY = 450;
        c.SLdY = 3;
        c.CDY = 30;
        app.content.pageCount = 20;
        app.content.pages[kPage].type = "MG5";
        host.page = kPage;
        SOUND_MG_FIND = 1;
        SOUND_NO_OBJ = 2;
        SOUND_MG_LIFE = 3;
        SOUND_MG_FAIL = 4;
        SOUND_MG_ROUND = 5;
        SOUND_MG5_SCANER = 6;
        game = std::make_unique<MG5>(app);
        game->host = &host;
    }
    ~MG5Test() override
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
                    std::to_string(line.width) + "x" + std::to_string(line.height) + "\n0\n0\n";
            if (!line.absent)
                app.pictures["p16/" + line.name + ".png"] = {
                    line.width, line.height,
                    std::vector<uint32_t>(size_t(line.width * line.height),
                                          line.name[0] == 'c' ? 0xFF20C0F0u : 0xFF804020u)};
        }
        folder.WriteFile("p16/picture.cfg", list);
    }

    // Round 1: a harmless crate between two suspicious cases; round 2: one suspicious keg.
    void WriteStandardSet()
    {
        WriteSet({{"b_1_page", 767, 532},
                  {"o_1_case"},
                  {"c_1_case"},
                  {"o_1_crate"},
                  {"o_1_bag"},
                  {"c_1_bag"},
                  {"b_2_placard", 50, 20},
                  {"o_2_keg"},
                  {"c_2_keg"}});
    }

    void Enter()
    {
        game->StartGame(300, 10);
        game->LoadPicture("p16/");
        game->StartGame(300, 10);
        game->SetShown(true);
    }

    std::vector<MG5::Object>& Objects(int r)
    {
        return const_cast<std::vector<MG5::Object>&>(game->Rounds()[size_t(r)].objects);
    }
    MG5::Object& Piece(const std::string& key)
    {
        for (auto& object : Objects(MG5::RoundOfKey(key)))
            if (object.key == key + ".png")
                return object;
        ADD_FAILURE() << key;
        static MG5::Object none;
        return none;
    }
    void Ticks(int count)
    {
        for (int tick = 0; tick < count; ++tick)
        {
            Clock::AdvanceFrame(10);
            game->Tick();
        }
    }
    // Runs the belt until the piece's middle lies at x or beyond.
    void RunUntil(MG5::Object& object, double x)
    {
        for (int tick = 0; tick < 2000 && object.x + object.width / 2.0 < x && !game->finished; ++tick)
            Ticks(1);
    }
    void ClickMiddle(const MG5::Object& object)
    {
        game->OnPress(int(object.x) + object.width / 2, int(object.y) + object.height / 2, 1);
    }
    // Runs the belt until the round is counted: won, lost and placed again, or the game over.
    void RunRoundOut()
    {
        const int r = game->round;
        for (int tick = 0; tick < 3000 && game->round == r && !game->finished && !game->RoundChangeDue(); ++tick)
        {
            std::vector<double> before;
            for (const MG5::Object& object : Objects(r))
                before.push_back(object.x);
            Ticks(1);
            for (size_t i = 0; i < before.size(); ++i)
                if (Objects(r)[i].x < before[i])
                    return;
        }
    }

    TempFolder folder;
    ScannerApp app;
    FakePublication host;
    std::unique_ptr<MG5> game;
};

TEST_F(MG5Test, KeysNameTheirRoundsAndTheQueueWaitsLeftOfTheScreenInAlternateHalves)
{
    EXPECT_EQ(MG5::RoundOfKey("1_case.png"), 0);
    EXPECT_EQ(MG5::RoundOfKey("8_case.png"), 7);
    EXPECT_EQ(MG5::RoundOfKey("12case.png"), 1);
    EXPECT_EQ(MG5::RoundOfKey("0_case.png"), -1);
    EXPECT_EQ(MG5::RoundOfKey("10case.png"), -1);
    EXPECT_EQ(MG5::RoundOfKey("case.png"), -1);

    WriteStandardSet();
    Enter();
    ASSERT_EQ(Objects(0).size(), 3u);
    ASSERT_EQ(Objects(1).size(), 1u);
    EXPECT_EQ(game->Rounds()[0].covers.size(), 1u);
    EXPECT_EQ(game->RequiredCatches(0), 2);
    EXPECT_TRUE(Piece("1_case").Suspicious());
    EXPECT_FALSE(Piece("1_crate").Suspicious());
    EXPECT_EQ(Objects(0)[0].x, -40);
    for (size_t j = 1; j < Objects(0).size(); ++j)
    {
        EXPECT_LE(Objects(0)[j].x, -(100.0 * double(j)) - 40);
        EXPECT_GT(Objects(0)[j].x, -(100.0 * double(j)) - 60);
    }
    // Even places in the upper half of the belt, odd ones in the lower.
    EXPECT_LT(Objects(0)[0].y, 110 + 155);
    EXPECT_GE(Objects(0)[1].y, 110 + 155);
    EXPECT_TRUE(app.log.empty());
}

TEST_F(MG5Test, ClicksCountOnlyRightOfTheMiddleAndEveryHarmlessClickCostsATry)
{
    WriteStandardSet();
    Enter();
    MG5::Object& caseObject = Piece("1_case");
    RunUntil(caseObject, 300);
    ClickMiddle(caseObject);
    EXPECT_EQ(caseObject.found, 0) << "the left half of the screen takes no clicks";

    RunUntil(caseObject, 450);
    ClickMiddle(caseObject);
    EXPECT_GT(caseObject.found, 0);
    EXPECT_EQ(app.Played(SOUND_MG_FIND), 1);
    Ticks(4);
    EXPECT_EQ(caseObject.found, 1);
    EXPECT_EQ(app.resumes, 1);

    MG5::Object& crate = Piece("1_crate");
    RunUntil(crate, 450);
    ClickMiddle(crate);
    ClickMiddle(crate);
    EXPECT_EQ(game->tries, MG5::kStartTries - 2);
    EXPECT_EQ(crate.found, 0) << "a harmless piece rides on";
    EXPECT_EQ(app.Played(SOUND_NO_OBJ), 2);
    EXPECT_EQ(app.Scenes("fail"), 2);
}

TEST_F(MG5Test, TheBeltWaitsAndTakesNoClicksWhileThePageTurnsOrThePauseIsOpen)
{
    WriteStandardSet();
    Enter();
    MG5::Object& caseObject = Piece("1_case");
    RunUntil(caseObject, 450);
    const double x = caseObject.x;
    host.blur = 0.5;
    Ticks(20);
    ClickMiddle(caseObject);
    EXPECT_EQ(caseObject.x, x);
    EXPECT_EQ(caseObject.found, 0);
    host.blur = 0;
    host.pauseOpen = true;
    Ticks(20);
    ClickMiddle(caseObject);
    EXPECT_EQ(caseObject.x, x);
    EXPECT_EQ(caseObject.found, 0);
    host.pauseOpen = false;
    Ticks(1);
    EXPECT_GT(caseObject.x, x);
    ClickMiddle(caseObject);
    EXPECT_GT(caseObject.found, 0);
}

TEST_F(MG5Test, ASmugglerLetThroughCostsATryAndTheRoundStartsAgain)
{
    WriteStandardSet();
    Enter();
    MG5::Object& caseObject = Piece("1_case");
    RunUntil(caseObject, 450);
    ClickMiddle(caseObject);
    RunRoundOut();
    // The bag left uncaught: one try for it, one for the round short of its catches.
    EXPECT_EQ(game->tries, MG5::kStartTries - 2);
    EXPECT_EQ(game->round, 0);
    EXPECT_FALSE(game->RoundChangeDue());
    EXPECT_TRUE(Piece("1_bag").missed == false && Piece("1_bag").found == 0) << "placed again";
    EXPECT_LT(Piece("1_case").x, 0);
    EXPECT_EQ(game->CaughtCount(), 0);
}

TEST_F(MG5Test, ACatchFadingAsItLeavesStillCountsAndTheRoundsEndInTheDoneSequence)
{
    app.config.miniGame5.CS = 0.02;
    game = std::make_unique<MG5>(app);
    game->host = &host;
    WriteStandardSet();
    Enter();
    // The case caught at once; the bag caught just before it leaves, so it is still fading when
    // the last piece is off the screen.
    MG5::Object& caseObject = Piece("1_case");
    RunUntil(caseObject, 450);
    ClickMiddle(caseObject);
    MG5::Object& bag = Piece("1_bag");
    RunUntil(bag, 700);
    ASSERT_FALSE(bag.Left());
    ClickMiddle(bag);
    ASSERT_GT(bag.found, 0);
    RunRoundOut();
    EXPECT_EQ(game->tries, MG5::kStartTries);
    EXPECT_FALSE(bag.missed);
    EXPECT_TRUE(game->RoundChangeDue());
    EXPECT_EQ(app.Scenes("round_1"), 1);
    EXPECT_EQ(app.Played(SOUND_MG_ROUND), 1);
    Ticks(1);
    EXPECT_EQ(game->round, 1);

    MG5::Object& keg = Piece("2_keg");
    RunUntil(keg, 500);
    ClickMiddle(keg);
    RunRoundOut();
    EXPECT_TRUE(game->finished);
    EXPECT_EQ(app.Scenes("done"), 1);
    EXPECT_TRUE(app.content.pages[kPage].done);
    EXPECT_TRUE(host.pageComplete);
    EXPECT_GE(app.Played(SOUND_MG5_SCANER), 1);
}

TEST_F(MG5Test, TheFifthTryFailsThePageOnceAndNothingMoreCounts)
{
    WriteStandardSet();
    Enter();
    MG5::Object& crate = Piece("1_crate");
    RunUntil(crate, 450);
    for (int click = 0; click < 5; ++click)
        ClickMiddle(crate);
    EXPECT_TRUE(game->finished);
    EXPECT_EQ(game->tries, 0);
    EXPECT_EQ(app.Played(SOUND_MG_FAIL), 1);
    EXPECT_EQ(app.Scenes("fail"), 5);
    EXPECT_EQ(host.pageActions, 1);
    ClickMiddle(crate);
    Ticks(600);
    EXPECT_EQ(app.Played(SOUND_MG_FAIL), 1);
    EXPECT_EQ(app.Played(SOUND_NO_OBJ), 5);
    EXPECT_EQ(app.Scenes("fail"), 5);
}

TEST_F(MG5Test, ASetWithFaultsIsLoggedPlaysWhatItCanAndDrawsWithoutReadingPastItsPictures)
{
    app.config.miniGame5.rounds = 12;
    app.config.miniGame5.items1 = 5;
    WriteSet({{"b_1_page", 767, 532},
              {"o_1_case"},
              {"c_1_case", 20, 10},
              {"o_1_ghost", 40, 30, true},
              {"c_1_stray"},
              {"o_0_bad"},
              {"o_10bad"},
              {"x_1_what"},
              {"b_9_far"}});
    Enter();
    EXPECT_EQ(game->RoundCount(), MG5::kMaxRounds);
    ASSERT_EQ(Objects(0).size(), 1u);
    EXPECT_EQ(game->RequiredCatches(0), 1) << "the round asks no more than it carries";
    ASSERT_NE(Piece("1_case").xrayImage, nullptr);
    EXPECT_EQ(Piece("1_case").xrayImage->GetWidth(), 40);
    EXPECT_TRUE(app.Logged("fitted"));
    EXPECT_TRUE(app.Logged("1_ghost.png"));
    EXPECT_TRUE(app.Logged("1_stray.png"));
    EXPECT_TRUE(app.Logged("o_0_bad"));
    EXPECT_TRUE(app.Logged("o_10bad"));
    EXPECT_TRUE(app.Logged("x_1_what"));
    EXPECT_TRUE(app.Logged("asks for 5"));

    // Drawn halfway through the scanner and at the page turn, then played to its catch.
    MemoryImage screen;
    screen.Create(800, 600);
    MG5::Object& caseObject = Piece("1_case");
    RunUntil(caseObject, game->ScannerLine());
    {
        Graphics graphics(&screen);
        game->Paint(graphics);
        host.blur = 0.5;
        game->Paint(graphics);
        host.blur = 0;
    }
    RunUntil(caseObject, 450);
    ClickMiddle(caseObject);
    RunRoundOut();
    EXPECT_EQ(game->tries, MG5::kStartTries);

    // No luggage at all: nothing ends the page, the back button still leaves it.
    WriteSet({{"b_1_page", 767, 532}});
    Enter();
    Ticks(2000);
    EXPECT_FALSE(game->finished);
    EXPECT_TRUE(app.Logged("no luggage to scan"));
    const int actions = host.pageActions;
    game->OnButtonReleased(MG5::kBackButtonId);
    EXPECT_EQ(host.pageActions, actions + 1);
}

} // namespace
} // namespace Vesk
