#pragma once

#include "app/SaveFile.h"
#include "framework/graphics/Point.h"
#include "support/ScopedPakInterface.h"
#include "support/TestDriver.h"
#include "support/TestGameApp.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Vesk::TestSupport
{

// Plays the built game (main.pak from the build's data folder) the way a player would, headless
// on the virtual clock, so that a test of a game feature reads as the player's actions:
//
//     GameDriver game;
//     ASSERT_TRUE(game.Launch());
//     ASSERT_TRUE(game.WaitUntil([&] { return ...; }, 500, "the desk is shown"));
//     game.Click(400, 300);
//     EXPECT_TRUE(game.ClickItem("Key"));
//     game.Screenshot("e2e/key-found.png");
//     ASSERT_TRUE(game.Relaunch());   // leave and come back
//
// Input goes through the game's message queue; each action runs the updates that let the game
// see it. Failures are reported with ADD_FAILURE and a false result, so a test may ASSERT them.
class GameDriver
{
public:
    // A fresh folder holding the built game's files and an empty log.txt, fresh settings and data
    // homes, and the game created (not launched).
    GameDriver();
    ~GameDriver();
    GameDriver(const GameDriver&) = delete;
    GameDriver& operator=(const GameDriver&) = delete;

    // Init (with the given command line, switches only) and Start, the loading waited for and its
    // completion run; false (and a failure) when the game exited or showed a message box on the way.
    bool Launch(const std::string& commandLine = "");
    // Destroys the game (which saves the player's progress), writes save over the player's
    // save.dat when given, then creates and launches the game again in the same folder.
    bool Relaunch(const std::optional<SaveData>& save = std::nullopt);

    TestGameApp& Game() { return *game; }
    TestDriver& Driver() { return driver; }

    // Runs count fixed updates of 10 ms each.
    void Step(int count = 1);
    // Runs the updates of the given number of seconds of game time.
    void Seconds(double seconds);
    // Steps until condition holds; false and a failure naming what after maxUpdates updates.
    bool WaitUntil(const std::function<bool()>& condition, int maxUpdates, const std::string& what);

    // The pointer (left button) and keys, in screen coordinates; each action is followed by an
    // update.
    void MoveTo(int x, int y);
    void MoveTo(Point point) { MoveTo(point.x, point.y); }
    // Moves there, presses, steps, releases, steps.
    void Click(int x, int y);
    void Click(Point point) { Click(point.x, point.y); }
    void Press(int x, int y);
    void Release(int x, int y);
    // Presses at from, moves to to in steps moves with an update after each, releases there.
    void Drag(Point from, Point to, int steps = 8);
    // A key pressed and released (key codes of framework/platform/WindowMessage.h).
    void Key(int keyCode);
    // Types text character by character.
    void Type(const std::string& text);
    void Escape();

    // The publication's own steps, as a player takes them.
    // Jumps to the end of the desk intro, as a player who has seen it would like.
    void SkipIntro();
    // Waits until no page turns and the publication is shown.
    bool WaitAtRest();
    // A point on the contents title of page, in screen coordinates.
    std::optional<Point> TitlePoint(int page);
    // From the cover (through the menu's play button) or the contents page: clicks the page's
    // title and waits until the page is entered (the publication hidden or zooming away).
    bool EnterFromContents(int page);
    // Relaunches with every set before the one holding page done, so that page's set is the
    // current one, and the first-start tutorials already seen; the intro is skipped.
    bool RelaunchAtSetOf(int page);

    // The index in the game's pictureItems of the first unfound item of the current page whose
    // name or display name is name; -1 when there is none.
    int FindItem(const std::string& name) const;
    // A screen point where a press hits exactly that item as the board probes: an opaque pixel
    // (alpha over 128) of its picture that no unfound item of a lower index covers (alpha over
    // 20), the one nearest the picture's centre. None for a found or pictureless item, or one
    // covered all over.
    std::optional<Point> ItemScreenPoint(int index) const;
    // Clicks the named item at its screen point; false (and a failure) when there is none.
    bool ClickItem(const std::string& name);
    // Rubs the erase tutorial's picture away with strokes across it and waits for the tutorial to
    // fade; true at once when it is not shown.
    bool RubAwayTutorial();

    // Writes the screen as a PNG under the build's test output (name like "e2e/desk.png").
    bool Screenshot(const std::string& name);
    // The screen's pixel (0xAARRGGBB) at x, y.
    uint32_t ScreenPixel(int x, int y);

    // The player's progress as the game reads it from their save.dat; none without the file.
    std::optional<SaveData> ReadSave() const;
    // The game's log.txt.
    std::string Log();
    const std::vector<TestDriver::MessageBoxRecord>& MessageBoxes() const { return driver.MessageBoxes(); }

private:
    void CreateGame();

    // The archive layer lives longer than the game that reads through it.
    std::unique_ptr<ScopedPakInterface> pak;
    TestDriver driver;
    TestGameApp* game = nullptr;
};

} // namespace Vesk::TestSupport
