#include "app/GameApp.h"
#include "publication/Page.h"

namespace Vesk
{

void GameApp::PlayScene(const std::string& event)
{
    Log("PlayScene " + event);
    // TODO(scenes): the scene player plays the event; until it exists only the "done" event's
    // effect on the publication takes place.
    if (event == "done")
        PrepareNameStamp();
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
