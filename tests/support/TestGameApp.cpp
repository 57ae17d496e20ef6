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
#include <typeinfo>

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
    auto* dialog = widgetManager ? dynamic_cast<Dialog*>(widgetManager->modalBase) : nullptr;
    if (dialog != nullptr && std::find(dialogsSeen.begin(), dialogsSeen.end(), dialog) == dialogsSeen.end())
    {
        dialogsSeen.push_back(dialog);
        stepsUnderDialog = 0;
        // A dialog the handler took may be gone by now.
        if (onDialog && onDialog(*dialog))
            return GameApp::UpdateAppStep(updated);
        const bool answerable = dynamic_cast<Profile::ExitDialog*>(dialog) != nullptr ||
                                dynamic_cast<Profile::FirstInputDialog*>(dialog) != nullptr;
        if (answerOnItsOwn && answerable)
        {
            dialog->OnButtonReleased(Dialog::kYesButtonId);
            return GameApp::UpdateAppStep(updated);
        }
    }
    else if (dialog != nullptr && ++stepsUnderDialog == 100000)
    {
        ADD_FAILURE() << "a dialog stayed open unanswered (" << typeid(*dialog).name() << "); it is taken away";
        KillDialog(dialog);
    }
    return GameApp::UpdateAppStep(updated);
}

bool TestGameApp::KillDialog(int id, bool removeWidget, bool deleteWidget)
{
    // Forgotten as it goes: a dialog made later may be given the same address.
    std::erase(dialogsSeen, GetDialog(id));
    return GameApp::KillDialog(id, removeWidget, deleteWidget);
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
