#include "app/GameApp.h"

namespace Vesk
{

// Answered by the scene player once it exists: it maps the event to the page's script.
void GameApp::PlayScene(const std::string& event)
{
    Log("PlayScene " + event);
}

} // namespace Vesk
