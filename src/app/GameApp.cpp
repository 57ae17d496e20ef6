#include "app/GameApp.h"

#include <cstdio>

namespace Vesk
{

GameApp* gGameApp = nullptr;

GameApp::GameApp()
{
    gGameApp = this;
    productName = "Orlo";
    productVersion = "1.0";
    title = productName;
    registryKey = "Dranvik Games\\Vellinor";
    width = 800;
    height = 600;
    fullScreenColorDepth = 32;
    vsyncLockedUpdates = true;
    waitForVSync = true;
    autoEnable3D = true;
}

GameApp::~GameApp()
{
    if (gGameApp == this)
        gGameApp = nullptr;
}

void GameApp::Init()
{
    VeskAppBase::Init();
    Log("Init");
}

void GameApp::Log(const std::string& text)
{
    if (!FileExists("log.txt"))
        return;
    FILE* file = std::fopen("log.txt", "ab");
    if (file == nullptr)
        return;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fwrite("\r\n", 1, 2, file);
    std::fclose(file);
}

} // namespace Vesk
