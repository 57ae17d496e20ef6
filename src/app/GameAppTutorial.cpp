#include "app/GameApp.h"
#include "app/Resources.h"
#include "publication/Tutorial.h"

namespace Vesk
{

bool GameApp::NeedsEraseTutorial() const
{
    return sceneOption && firstPagePending;
}

bool GameApp::OfferEraseTutorial()
{
    if (!firstPagePending)
        return false;
    bool wanted = NeedsEraseTutorial();
    firstPagePending = false;
    if (!wanted || !tutorial)
        return false;
    if (!tutorial->Begin(IMAGE_TUTOR_OBJ))
    {
        Log("No picture for the erase tutorial");
        return false;
    }
    Log("Erase tutorial shown");
    return true;
}

} // namespace Vesk
