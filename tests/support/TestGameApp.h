#pragma once

#include "app/GameApp.h"
#include "framework/sound/MusicInterface.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Vesk::TestSupport
{

class FakeResourceLoader;

// The game application for tests: it stays in the test's working directory (the TempFolder)
// instead of moving to the program's folder, reads a command line of its own (not the test
// program's), records the exit codes it asks for instead of ending the process, records the
// web links it would open and the programs it would start instead of handing them to the
// desktop, and loads its resources through a FakeResourceLoader on which every file loads (a
// test may change that). Once started, it closes as a player would as soon as its start-up is
// complete (the screens made and the intro asked for), unless stopWhenStarted is cleared.
class TestGameApp : public GameApp
{
public:
    // With realResources the game loads its pictures, sounds and fonts as the shipped game
    // does (from main.pak or loose files), not through the fake loader.
    explicit TestGameApp(bool realResources = false);

    bool ChangeDirHook(const std::string& folder) override { return true; }
    bool OpenURL(const std::string& url, bool shutdownAfter) override;
    void LoadingThreadCompleted() override;
    // Asks the scene player as the game does; unless playScenes, the scene is skipped at once
    // (as its skip button would), so that tests of other screens are not held up by the story.
    void PlayScene(const std::string& event) override;

    // Each modal dialog that comes up is handed once to onDialog, inside the dialog's own
    // modal loop, so that the test can play it there (its clicks and steps run nested); it
    // returns whether it took the dialog. With answerOnItsOwn, what nobody took is answered
    // as a player in a hurry would: the question to quit "yes" (so that a game can always be
    // ended without a person), the first player's name OK as offered.
    bool UpdateAppStep(bool& updated) override;
    bool KillDialog(int id, bool removeWidget, bool deleteWidget) override;
    using GameApp::KillDialog;
    std::function<bool(Dialog&)> onDialog;
    bool answerOnItsOwn = true;
    // Off: the painted frames are not handed to the (offscreen) window. The game still paints
    // every frame into its screen image, which screenshots and pixel checks read; only the copy
    // to a window nobody sees is saved, a good part of a frame's cost in a long headless run.
    bool presentFrames = true;
    void Redraw(const void* rect = nullptr) override
    {
        if (presentFrames)
            GameApp::Redraw(rect);
    }

    // Replaces the music interface, as Init would create it.
    void UseMusicInterface(std::unique_ptr<MusicInterface> music) { musicInterface = std::move(music); }

    // "url <address>" and "program <path>" in the order they happened.
    std::vector<std::string> events;
    // The exit codes asked for, in order.
    std::vector<int> exitCodes;
    bool stopWhenStarted = true;
    bool playScenes = false;
    // The resource manager's fake loader (owned by the manager); null with real resources.
    FakeResourceLoader* resourceLoader = nullptr;

protected:
    void StartCompanionProgram(const std::string& path) override;

private:
    // The dialogs already handed over, while they are open.
    std::vector<Dialog*> dialogsSeen;
    // Steps run under the same unanswered dialog, to end a test that forgot one.
    int stepsUnderDialog = 0;
};

} // namespace Vesk::TestSupport
