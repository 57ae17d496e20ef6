#include "app/GameApp.h"
#include "publication/Page.h"
#include "scenes/UCD.h"

namespace Vesk
{

void GameApp::PlayScene(const std::string& event)
{
    Log("PlayScene " + event);
    if (scenePlayer != nullptr)
        scenePlayer->PlayScene(event);
    else if (event == "done")
        PrepareNameStamp();
}

std::string GameApp::SceneState() const
{
    return scenePlayer != nullptr ? scenePlayer->state : std::string();
}

void GameApp::ResumeFromPlaytime()
{
    if (scenePlayer != nullptr)
        scenePlayer->ResumeFromPlaytime();
}

void GameApp::PrepareNameStamp()
{
    if (pageScreen == nullptr)
        return;
    Page& page = *pageScreen;
    const int current = page.currentPage;
    if (!ContentModel::IsPage(current) || content.pages[static_cast<size_t>(current)].done)
        return;
    page.stampPending = true;
    if (page.CameraPath(current) == nullptr)
    {
        page.mode = Page::kModeNameStamp;
        page.modeZoom[Page::kModeNameStamp] = 0;
        page.modeZoomDirection[Page::kModeNameStamp] = +1;
    }
}

} // namespace Vesk
