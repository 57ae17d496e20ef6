#include "support/TestGameApp.h"

#include "dialogs/ProfileDialog.h"
#include "framework/resources/ResourceManager.h"
#include "framework/widgets/WidgetManager.h"
#include "scenes/UCD.h"
#include "support/FakeResourceLoader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace Vesk::TestSupport
{

TestGameApp::TestGameApp(bool realResources)
{
    // No test of the game looks at a real screen. SDL's offscreen video goes through EGL, whose
    // driver keeps allocations the leak checker of the sanitizer builds reports; the dummy
    // video driver opens a window without it.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (!realResources)
    {
        auto loader = std::make_unique<FakeResourceLoader>();
        loader->loadEverything = true;
        resourceLoader = loader.get();
        resourceManager->SetLoader(std::move(loader));
    }
    processCommandLine = "orlo";
    exitHandler = [this](int code) { exitCodes.push_back(code); };
}

void TestGameApp::LoadingThreadCompleted()
{
    GameApp::LoadingThreadCompleted();
    if (stopWhenStarted)
        Shutdown();
}

void TestGameApp::PlayScene(const std::string& event)
{
    GameApp::PlayScene(event);
    if (!playScenes && scenePlayer != nullptr)
        scenePlayer->Skip();
}

bool TestGameApp::UpdateAppStep(bool& updated)
{
    std::erase_if(dialogsSeen, [this](Dialog* seen) {
        return std::find(dialogList.begin(), dialogList.end(), seen) == dialogList.end();
    });
    auto* dialog = widgetManager ? dynamic_cast<Dialog*>(widgetManager->modalBase) : nullptr;
    if (dialog != nullptr && std::find(dialogsSeen.begin(), dialogsSeen.end(), dialog) == dialogsSeen.end())
    {
        dialogsSeen.push_back(dialog);
        stepsUnderDialog = 0;
        const bool taken = onDialog && onDialog(*dialog);
        const bool answerable = dynamic_cast<Profile::ExitDialog*>(dialog) != nullptr ||
                                dynamic_cast<Profile::FirstInputDialog*>(dialog) != nullptr;
        if (!taken && answerOnItsOwn && answerable)
        {
            dialog->OnButtonReleased(Dialog::kYesButtonId);
            return GameApp::UpdateAppStep(updated);
        }
    }
    else if (dialog != nullptr && ++stepsUnderDialog == 100000)
    {
        ADD_FAILURE() << "a dialog stayed open unanswered; it is taken away";
        KillDialog(dialog);
    }
    return GameApp::UpdateAppStep(updated);
}

bool TestGameApp::OpenURL(const std::string& url, bool shutdownAfter)
{
    events.push_back("url " + url);
    return true;
}

void TestGameApp::StartCompanionProgram(const std::string& path)
{
    events.push_back("program " + path);
}

} // namespace Vesk::TestSupport
