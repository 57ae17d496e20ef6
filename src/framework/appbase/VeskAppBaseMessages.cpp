// Message boxes, web addresses, the string table and other small services of the application.
#include "framework/appbase/VeskAppBase.h"
#include "framework/platform/Clock.h"
#include "framework/platform/MessageBox.h"
#include "framework/platform/Shell.h"
#include "framework/platform/Window.h"
#include "framework/resources/ResourceManager.h"
#include "framework/widgets/WidgetManager.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace Vesk
{

using Platform::Clock;

bool VeskAppBase::LoadResourceManifest()
{
    if (resourceManager->ReadManifest("properties\\resources.xml"))
        return true;
    ShowResourceError(true);
    return false;
}

void VeskAppBase::ShowResourceError(bool doExit)
{
    Popup(resourceManager->GetErrorText());
    if (doExit)
        VeskAppBase::Shutdown();
}

int VeskAppBase::MsgBox(const std::string& text, const std::string& caption, int flags)
{
    if (screenSaverMode)
    {
        LogScreenSaverError(text);
        return Platform::IDOK;
    }
    BeginPopup();
    int answer = Platform::ShowMessageBox(text, caption, flags);
    EndPopup();
    return answer;
}

int VeskAppBase::Popup(const std::string& text)
{
    if (isShutdown)
        return Platform::IDOK;
    return MsgBox(text, GetString("FATAL_ERROR", "FATAL ERROR"), Platform::MB_OK | Platform::MB_ICONERROR);
}

void VeskAppBase::BeginPopup()
{
    // A system box shows over the desktop full-screen window as it is; messages that arrive
    // meanwhile are not queued.
    inPopup = true;
}

void VeskAppBase::EndPopup()
{
    inPopup = false;
    ResetTiming();
    ClearKeyStates();
    if (widgetManager && (widgetManager->heldButtons != 0 || widgetManager->physicalButtons != 0))
    {
        widgetManager->ReleaseCapture();
        if (window)
            window->CaptureMouse(false);
        mouseCaptured = false;
        heldMouseButtons = 0;
    }
}

void VeskAppBase::ClearKeyStates()
{
    if (widgetManager)
        widgetManager->keyDown.fill(false);
    heldCtrl = false;
    heldAlt = false;
}

void VeskAppBase::LogScreenSaverError(const std::string& text)
{
    FILE* file = std::fopen("ScrError.txt", screenSaverLogStarted ? "ab" : "wb");
    screenSaverLogStarted = true;
    if (file == nullptr)
        return;
    std::time_t now = std::time(nullptr);
    char clock[32] = "";
    if (std::tm* local = std::localtime(&now))
        std::strftime(clock, sizeof(clock), "%H:%M:%S", local);
    std::fprintf(file, "%s %s %u\n", text.c_str(), clock, Clock::GetTickCount());
    std::fclose(file);
}

void VeskAppBase::Log(const std::string& text)
{
    static const bool enabled = std::getenv("VESK_DEBUG_OUTPUT") != nullptr;
    if (enabled)
        std::fprintf(stderr, "%s\r\n", text.c_str());
}

void VeskAppBase::URLOpenFailed(const std::string& url)
{
    openingURL = false;
}

void VeskAppBase::URLOpenSucceeded(const std::string& url)
{
    openingURL = false;
    if (shutdownAfterURL)
        Shutdown();
}

bool VeskAppBase::OpenURL(const std::string& url, bool shutdownAfter)
{
    if (openingURL && url == openingURLText)
        return true;
    openingURLText = url;
    shutdownAfterURL = shutdownAfter;
    urlOpenTime = Clock::LoopNow();
    urlWatchStart = 0;
    openingURL = true;
    if (Platform::OpenURL(url) < 33)
    {
        URLOpenFailed(url);
        return false;
    }
    return true;
}

std::string VeskAppBase::GetProductVersion(const std::string& path)
{
    return ORLO_VERSION;
}

std::string VeskAppBase::GetCrashInfo()
{
    std::time_t loaded = std::time(nullptr) - static_cast<std::time_t>((Clock::RealNow() - constructionTime) / 1000);
    char clock[32] = "";
    if (std::tm* local = std::localtime(&loaded))
        std::snprintf(clock, sizeof(clock), "%02d:%02d:%02d", local->tm_hour, local->tm_min, local->tm_sec);
    std::string info;
    info += "Product: " + productName + "\r\n";
    info += "Version: " + productVersion + "\r\n";
    info += std::string("Time Loaded: ") + clock + "\r\n";
    info += std::string("Fullscreen: ") + (windowed ? "No" : "Yes") + "\r\n";
    info += "Primary ThreadId: " + std::to_string(std::hash<std::thread::id>()(mainThreadId)) + "\r\n";
    return info;
}

std::string VeskAppBase::GetString(const std::string& key, const std::string& defaultText) const
{
    auto found = stringTable.find(key);
    return found == stringTable.end() ? defaultText : found->second;
}

void VeskAppBase::SetString(const std::string& key, const std::string& text)
{
    stringTable[key] = text;
}

void VeskAppBase::SetAppDataFolder(const std::string& folder)
{
    dataFolder = folder;
    if (!dataFolder.empty() && dataFolder.back() != '/')
        dataFolder += '/';
}

} // namespace Vesk
