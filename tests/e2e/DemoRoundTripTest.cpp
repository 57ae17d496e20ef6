#include "framework/appbase/Buffer.h"
#include "framework/appbase/DemoFile.h"
#include "framework/appbase/DemoWriter.h"
#include "framework/platform/Clock.h"
#include "framework/platform/FileSystem.h"
#include "framework/platform/WindowMessage.h"
#include "framework/sound/MusicInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "support/TestApp.h"
#include "support/TestDriver.h"
#include "support/TestGameApp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace Vesk
{

using namespace Platform;
using TestSupport::RecordingWidget;
using TestSupport::TestApp;
using TestSupport::TestDriver;
using TestSupport::TestGameApp;

namespace
{

// A board whose state depends on everything a demo must reproduce: input, the random
// generator, the game clock, settings and files.
struct ScoringBoard : RecordingWidget
{
    VeskAppBase* app = nullptr;
    uint64_t score = 0;
    std::string typed;
    std::vector<uint32_t> pressTimes;

    void Tick() override
    {
        RecordingWidget::Tick();
        if (tickCount % 37 == 0)
            score = score * 31 + static_cast<uint64_t>(app->Random().NextIndex(1000));
    }
    void OnPress(int x, int y, int clickCode) override
    {
        RecordingWidget::OnPress(x, y, clickCode);
        pressTimes.push_back(Clock::GetTickCount());
        score = score * 7 + static_cast<uint64_t>(x * 1000 + y) + app->Random().Next() % 97;
    }
    void OnKeyPressed(int keyCode) override
    {
        RecordingWidget::OnKeyPressed(keyCode);
        int counter = 0;
        app->RegistryReadInteger("Counter", counter);
        app->RegistryWriteInteger("Counter", counter + 1);
        score += static_cast<uint64_t>(counter) * 1000003u;
    }
    void OnCharTyped(int character) override
    {
        RecordingWidget::OnCharTyped(character);
        typed += static_cast<char>(character);
    }
    void OnWheel(int delta) override
    {
        RecordingWidget::OnWheel(delta);
        Buffer notes;
        if (app->FileExists("notes.txt") && app->ReadBufferFromFile("notes.txt", notes))
            typed += "[" + std::string(notes.GetData().begin(), notes.GetData().end()) + "]";
        std::string synced = "live-" + std::to_string(score % 1000);
        app->DemoSyncString(synced);
        typed += synced;
    }
};

struct ScriptedApp : TestApp
{
    ScriptedApp()
    {
        auto scoring = std::make_unique<ScoringBoard>();
        scoring->app = this;
        board = std::move(scoring);
    }
    ScoringBoard& Board() { return static_cast<ScoringBoard&>(*board); }
};

struct Outcome
{
    std::vector<std::string> log;
    uint64_t score = 0;
    std::string typed;
    std::vector<uint32_t> pressTimes;
    int updateCount = 0;
    int ticks = 0;
};

Outcome Capture(ScriptedApp& app)
{
    return {app.board->log,         app.Board().score, app.Board().typed,
            app.Board().pressTimes, app.updateCount,   app.board->ticks};
}

void PlayScript(TestDriver& driver)
{
    driver.RunUpdates(23);
    driver.MoveTo(100, 100);
    driver.MoveTo(110, 95);
    driver.RunUpdates(3);
    driver.Click(110, 95);
    driver.RunUpdates(41);
    driver.Drag(200, 200, 420, 330, 6);
    driver.RunUpdates(7);
    driver.DoubleClick(421, 331, -1);
    driver.PressKey('A');
    driver.Type("Orlo!");
    driver.RunUpdates(60);
    driver.Wheel(2);
    driver.SetFocus(false);
    driver.RunUpdates(12);
    driver.SetFocus(true);
    driver.Minimize(true);
    driver.RunUpdates(30);
    driver.Minimize(false);
    driver.PressKey(KEYCODE_RETURN);
    driver.PointerLeaves();
    driver.RunUpdates(5);
    driver.MoveTo(5, 590);
    driver.Click(5, 590, 3);
    driver.RunUpdates(120);
    driver.Close();
    driver.Pump();
}

struct VolumeLog : MusicInterface
{
    explicit VolumeLog(std::vector<double>& volumes) : volumes(volumes) {}
    void SetVolume(double volume) override { volumes.push_back(volume); }
    std::vector<double>& volumes;
};

struct VolumeApp : TestApp
{
    std::vector<double> musicVolumes;
    MusicInterface* CreateMusicInterface() override { return new VolumeLog(musicVolumes); }
};

// The game with the debug keys on and a widget over its screens that notes every input it gets;
// it keeps running after its start-up.
struct WatchedGame : TestGameApp
{
    WatchedGame()
    {
        stopWhenStarted = false;
        debugKeysEnabled = true;
    }
    ~WatchedGame() override
    {
        if (GetWidgetManager() != nullptr)
            GetWidgetManager()->RemoveChild(&watcher);
    }
    void LoadingThreadCompleted() override
    {
        TestGameApp::LoadingThreadCompleted();
        watcher.SetBounds(0, 0, width, height);
        GetWidgetManager()->AddChild(&watcher);
        GetWidgetManager()->SetFocusWidget(&watcher);
    }
    RecordingWidget watcher;
};

struct GameEnding
{
    bool windowed = true;
    bool overlay = false;
    int pointerX = 0;
    int pointerY = 0;
    std::vector<std::string> input;
    // Written to the settings when the game ends.
    std::string player;
};

GameEnding Ending(WatchedGame& game)
{
    return {game.windowed, game.showOverlay, game.GetCursorX(), game.GetCursorY(), game.watcher.log, game.playerName};
}

} // namespace

TEST(DemoRoundTripTest, KeysTakenBeforeTheWidgetsADragOutsideTheWindowAndTheLogFileReplayAsRecorded)
{
    TestDriver driver;
    TestSupport::TempFolder& folder = driver.Folder();
    folder.WriteFile("properties/config.xml", "<?xml version=\"1.0\"?>\n<Common></Common>\n");
    folder.WriteFile("properties/local.xml",
                     "<?xml version=\"1.0\"?>\n<Common><default_name>Traveller</default_name></Common>\n");
    std::filesystem::copy_file(std::filesystem::path(ORLO_DATA_SOURCE_DIR) / "properties" / "resources.xml",
                               folder / "properties" / "resources.xml");
    folder.WriteFile("log.txt", "the previous run\r\n");
    auto setPlayer = [](const std::string& name)
    {
        TestGameApp settings;
        ASSERT_TRUE(settings.RegistryWriteString("PlayerName", name));
    };
    setPlayer("Mira");

    GameEnding recorded;
    {
        auto& game = driver.Create<WatchedGame>();
        ASSERT_TRUE(driver.Launch("-record -demofile=game.dmo"));
        driver.RunUpdates(10);
        // The button is held while the pointer leaves the window, far beyond its edges.
        driver.Drag(400, 300, 2600, -2300, 3);
        driver.RunUpdates(5);
        driver.PressKey(KEYCODE_F3);
        driver.PressKey(KEYCODE_RETURN, TestDriver::Alt);
        driver.RunUpdates(5);
        driver.Close();
        ASSERT_TRUE(driver.RunUntilShutdown());
        recorded = Ending(game);
        driver.Destroy();
    }
    ASSERT_FALSE(recorded.windowed);
    ASSERT_TRUE(recorded.overlay);
    ASSERT_GT(recorded.pointerX, 800);
    ASSERT_EQ(recorded.player, "Mira");

    // Played back without a log file, and with another player in the settings.
    std::filesystem::remove(folder / "log.txt");
    setPlayer("Someone");
    auto& player = driver.Create<WatchedGame>();
    ASSERT_TRUE(driver.Launch("-play -demofile=game.dmo"));
    ASSERT_TRUE(driver.RunUntilShutdown());
    GameEnding played = Ending(player);
    EXPECT_EQ(played.windowed, recorded.windowed);
    EXPECT_EQ(played.overlay, recorded.overlay);
    EXPECT_EQ(played.pointerX, recorded.pointerX);
    EXPECT_EQ(played.pointerY, recorded.pointerY);
    EXPECT_EQ(played.input, recorded.input);
    EXPECT_EQ(played.player, recorded.player);
    EXPECT_FALSE(folder.Exists("log.txt"));
}

TEST(DemoRoundTripTest, APlayedBackSessionEndsInTheRecordedState)
{
    TestDriver driver;
    driver.Folder().WriteFile("notes.txt", "recorded notes");

    Outcome recorded;
    {
        auto& app = driver.Create<ScriptedApp>();
        ASSERT_TRUE(driver.Launch("-record -demofile=session.dmo"));
        ASSERT_TRUE(app.IsRecordingDemo());
        app.RegistryWriteInteger("Counter", 10);
        app.DemoAddMarker("after start");
        PlayScript(driver);
        ASSERT_TRUE(app.isShutdown);
        recorded = Capture(app);
        driver.Destroy();
    }
    ASSERT_FALSE(recorded.log.empty());
    ASSERT_FALSE(recorded.pressTimes.empty());
    std::string demoPath = driver.Folder().Path() / "share" / "TestApp" / "session.dmo";
    ASSERT_TRUE(driver.Folder().Exists("share/TestApp/session.dmo"));

    // The world changes between the runs; the playback must not notice.
    driver.Folder().WriteFile("notes.txt", "other notes");
    {
        VeskAppBase settings;
        settings.registryKey = "Vesk Tests\\TestApp";
        settings.RegistryWriteInteger("Counter", 500);
        settings.readRegistry = false;
    }

    auto& player = driver.Create<ScriptedApp>();
    ASSERT_TRUE(driver.Launch("-play -demofile=session.dmo"));
    ASSERT_TRUE(player.IsPlayingDemo());
    EXPECT_EQ(player.GetDemoMarkers().size(), 1u);
    // Live input is ignored during playback.
    driver.Click(700, 500);
    ASSERT_TRUE(driver.RunUntilShutdown());
    Outcome played = Capture(player);

    EXPECT_EQ(played.log, recorded.log);
    EXPECT_EQ(played.score, recorded.score);
    EXPECT_EQ(played.typed, recorded.typed);
    EXPECT_EQ(played.pressTimes, recorded.pressTimes);
    EXPECT_EQ(played.updateCount, recorded.updateCount);
    EXPECT_EQ(played.ticks, recorded.ticks);
    EXPECT_NE(played.typed.find("[recorded notes]"), std::string::npos);

    // The playback wrote nothing: the settings keep the value set between the runs.
    int counter = 0;
    driver.Destroy();
    VeskAppBase settings;
    settings.registryKey = "Vesk Tests\\TestApp";
    ASSERT_TRUE(settings.RegistryReadInteger("Counter", counter));
    EXPECT_EQ(counter, 500);
    settings.readRegistry = false;
}

TEST(DemoRoundTripTest, BadDemoFilesAreRefusedWithTheirMessages)
{
    TestDriver driver;
    auto refused = [&](const std::string& file, const std::string& message)
    {
        driver.ClearMessageBoxes();
        auto& app = driver.Create<TestApp>();
        EXPECT_FALSE(driver.Init("-play -demofile=" + file));
        EXPECT_FALSE(app.IsPlayingDemo());
        ASSERT_FALSE(driver.MessageBoxes().empty());
        EXPECT_EQ(driver.MessageBoxes().back().text.rfind(message, 0), 0u) << driver.MessageBoxes().back().text;
        EXPECT_EQ(driver.MessageBoxes().back().caption, "FATAL ERROR");
        EXPECT_EQ(driver.ExitCodes().back(), 0);
        driver.Destroy();
    };

    refused("missing.dmo", "Demo file not found: ");

    DemoFile file;
    file.versionString = "0.9";
    file.totalUpdates = 100;
    DemoWriter writer;
    DemoEvent close;
    close.code = DEMO_CLOSE;
    writer.Write(close, 100);
    file.events = writer.GetBuffer();
    ASSERT_TRUE(WriteFileAtomically(driver.Folder().Path() / "share/TestApp/old.dmo", file.Serialise()));
    refused("old.dmo", "This demo file appears to be for '0.9'");

    driver.Folder().WriteFile("share/TestApp/foreign.dmo", "GIF89a not a demo at all");
    refused("foreign.dmo", "Invalid demo file.");

    // A stream cut inside a record, and one whose records run past the recorded end.
    file.versionString = "1.0";
    DemoWriter longWriter;
    DemoEvent read;
    read.code = DEMO_FILE_READ;
    read.flag = true;
    read.data = std::vector<uint8_t>(40, 1);
    longWriter.Write(read, 10);
    file.events = longWriter.GetBuffer();
    std::vector<uint8_t> bytes = file.Serialise();
    bytes.resize(bytes.size() - 10);
    ASSERT_TRUE(WriteFileAtomically(driver.Folder().Path() / "share/TestApp/cut.dmo", bytes));
    refused("cut.dmo", "Invalid demo file.");

    file.events = writer.GetBuffer();
    file.totalUpdates = 50;
    ASSERT_TRUE(WriteFileAtomically(driver.Folder().Path() / "share/TestApp/late.dmo", file.Serialise()));
    refused("late.dmo", "Invalid demo file.");
}

TEST(DemoRoundTripTest, PlaybackControlsPauseStepJumpAndChangeSpeed)
{
    TestDriver driver;
    {
        auto& app = driver.Create<TestApp>();
        ASSERT_TRUE(driver.Launch("-record -demofile=long.dmo"));
        for (int i = 0; i < 30; ++i)
        {
            driver.Click(10 + i, 20 + i);
            driver.RunUpdates(100);
        }
        driver.Close();
        driver.Pump();
        ASSERT_TRUE(app.isShutdown);
        driver.Destroy();
    }

    auto& app = driver.Create<VolumeApp>();
    ASSERT_TRUE(driver.Launch("-play -demofile=long.dmo"));
    int total = app.GetDemoTotalUpdates();
    EXPECT_GE(total, 3000);
    driver.RunUpdates(50);

    driver.Character('+');
    driver.Pump();
    EXPECT_DOUBLE_EQ(app.updateSpeed, 1.5);
    driver.Character('-');
    driver.Character('-');
    driver.Pump();
    EXPECT_NEAR(app.updateSpeed, 1.0 / 1.5, 1e-9);
    driver.Character('=');
    driver.Pump();
    EXPECT_DOUBLE_EQ(app.updateSpeed, 1.0);

    // Pause: nothing runs; a single step runs exactly one update.
    driver.Character('p');
    driver.Pump();
    int paused = app.updateCount;
    for (int i = 0; i < 200; ++i)
    {
        bool updated = false;
        app.UpdateAppStep(updated);
    }
    EXPECT_EQ(app.updateCount, paused);
    driver.Character('n');
    for (int i = 0; i < 50; ++i)
    {
        bool updated = false;
        app.UpdateAppStep(updated);
    }
    EXPECT_EQ(app.updateCount, paused + 1);
    driver.Character('P');
    driver.Pump();

    // "9": jump to five seconds before the end, muted while jumping.
    app.board->Clear();
    app.musicVolumes.clear();
    driver.Character('9');
    driver.Pump();
    for (int i = 0; i < 100000 && app.updateCount < total - 500; ++i)
    {
        bool updated = false;
        app.UpdateAppStep(updated);
    }
    EXPECT_EQ(app.updateCount, total - 500);
    driver.RunUpdates(1);
    EXPECT_FALSE(app.IsMuted());
    EXPECT_EQ(app.musicVolumes, (std::vector<double>{0.0, 0.85}));
    // Every click recorded before the jump target was replayed on the way.
    EXPECT_GE(app.board->Lines("press").size(), 25u);

    // "S" silences and restores the volumes.
    driver.Character('s');
    driver.Pump();
    EXPECT_EQ(app.musicVolume, 0.0);
    driver.Character('s');
    driver.Pump();
    EXPECT_DOUBLE_EQ(app.musicVolume, 0.85);

    // "0" runs to the end, where the recorded close ends the playback.
    driver.Character('0');
    EXPECT_TRUE(driver.RunUntilShutdown(10000));
    EXPECT_EQ(app.updateCount, total);
}

} // namespace Vesk
