#include "support/TestGameApp.h"

#include "framework/resources/ResourceManager.h"
#include "scenes/UCD.h"
#include "support/FakeResourceLoader.h"

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
