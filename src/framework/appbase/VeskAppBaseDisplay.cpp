// The window and display: creating the window, switching screen modes, 3D acceleration.
#include "framework/appbase/VeskAppBase.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/platform/Clock.h"
#include "framework/platform/MessageBox.h"
#include "framework/platform/Window.h"
#include "framework/resources/ImageData.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>

namespace Vesk
{

using Platform::Clock;

namespace
{

std::string ResultName(int result)
{
    switch (result)
    {
    case Platform::RESULT_OK:
        return "RESULT_OK";
    case Platform::RESULT_FAIL:
        return "RESULT_FAIL";
    case Platform::RESULT_DD_CREATE_FAIL:
        return "RESULT_DD_CREATE_FAIL";
    case Platform::RESULT_SURFACE_FAIL:
        return "RESULT_SURFACE_FAIL";
    case Platform::RESULT_EXCLUSIVE_FAIL:
        return "RESULT_EXCLUSIVE_FAIL";
    case Platform::RESULT_DISPCHANGE_FAIL:
        return "RESULT_DISPCHANGE_FAIL";
    case Platform::RESULT_INVALID_COLORDEPTH:
        return "RESULT_INVALID_COLORDEPTH";
    default:
        return "RESULT_UNKNOWN";
    }
}

// Counts a scope in which settings bypass the demo.
class DemoSuspension
{
public:
    explicit DemoSuspension(int& count) : count(count) { ++count; }
    ~DemoSuspension() { --count; }
    DemoSuspension(const DemoSuspension&) = delete;
    DemoSuspension& operator=(const DemoSuspension&) = delete;

private:
    int& count;
};

} // namespace

void VeskAppBase::PlaceWindow(int workX, int workY, int workWidth, int workHeight, int outerWidth, int outerHeight,
                              int preferredX, int preferredY, int& x, int& y)
{
    if (preferredX == -1 && preferredY == -1)
    {
        x = workX + (workWidth - outerWidth) / 2;
        y = workY + static_cast<int>((workHeight - outerHeight) * 0.382);
        return;
    }
    x = std::max(preferredX, workX + 4);
    y = std::max(preferredY, workY + 4);
    x = std::min(x, workX + workWidth - 4 - outerWidth);
    y = std::min(y, workY + workHeight - 4 - outerHeight);
}

int VeskAppBase::InitDisplay()
{
    PreDisplayHook();
    DeleteNativeImageData();
    Platform::WindowRequest request;
    request.title = title;
    request.width = width;
    request.height = height;
    request.windowed = windowed || playingDemo;
    request.linearFiltering = is3DAccelerated;
    // A run on the virtual clock never waits, not even for the display.
    request.vsync = !Clock::HasSimulatedWaits();
    Platform::IntRect work = Platform::Window::GetWorkArea();
    PlaceWindow(work.x, work.y, work.width, work.height, width, height, preferredX, preferredY, request.x, request.y);
    int result = window->Create(request);
    PostDisplayHook();
    if (result != Platform::RESULT_OK)
        return result;

    physicallyWindowed = request.windowed;
    if (physicallyWindowed)
    {
        Platform::IntRect borders = window->GetBorders();
        int x = 0;
        int y = 0;
        PlaceWindow(work.x, work.y, work.width, work.height, width + borders.x + borders.width,
                    height + borders.y + borders.height, preferredX, preferredY, x, y);
        window->SetPosition(x, y);
    }
    Platform::IntRect picture = window->GetPictureRect();
    widgetManager->ResizeDisplay({0, 0, width, height}, {picture.x, picture.y, picture.width, picture.height});

    int rate = Platform::Window::GetRefreshRate();
    if (rate < 60 || rate > 100)
    {
        refreshRate = 60;
        vsyncBroken = true;
    }
    else
        refreshRate = rate;

    if (!displayInitialised)
    {
        displayInitialised = true;
        if ((autoEnable3D || test3D) && !playingDemo)
        {
            RunHardwareTest();
            if (autoEnable3D && Is3DAccelerationRecommended())
                is3DAccelerated = true;
            if (!hardwareFailureReason.empty())
                is3DAccelerated = false;
            if (hardwareTestFresh && (!hardwareFailureReason.empty() || !hardwareWarning.empty()))
                is3DAccelerated = false;
            if (hardwareTestFresh)
                RegistryEraseValue("Is3D");
        }
    }
    window->SetLinearFiltering(is3DAccelerated);
    return Platform::RESULT_OK;
}

void VeskAppBase::RunHardwareTest()
{
    // The display's identity: its renderer, standing in for a device identifier.
    std::string renderer = window ? window->GetRendererName() : std::string();
    std::vector<uint8_t> identity(16, 0);
    uint64_t hash = 1469598103934665603ull;
    for (char c : renderer)
        hash = (hash ^ static_cast<uint8_t>(c)) * 1099511628211ull;
    for (int i = 0; i < 8; ++i)
        identity[static_cast<size_t>(i)] = static_cast<uint8_t>(hash >> (8 * i));
    identity[8] = window && window->IsAccelerated() ? 1 : 0;

    int cachedVersion = 0;
    int cachedMin = 0;
    int cachedRecommended = 0;
    uint32_t type = 0;
    std::vector<uint8_t> cachedIdentity;
    std::string failure;
    std::string warning;
    if (RegistryReadInteger("Test3D\\Version", cachedVersion) && cachedVersion == 2 &&
        RegistryReadInteger("Test3D\\MinVidMemory", cachedMin) && cachedMin == minVideoMemory &&
        RegistryReadInteger("Test3D\\RecVidMemory", cachedRecommended) && cachedRecommended == recommendedVideoMemory &&
        RegistryRead("Test3D\\DisplayGUID", type, cachedIdentity) && cachedIdentity == identity &&
        RegistryReadString("Test3D\\FailureReason", failure) && RegistryReadString("Test3D\\Warning", warning))
    {
        hardwareFailureReason = failure;
        hardwareWarning = warning;
        hardwareTestRan = true;
        hardwareTestFresh = false;
        return;
    }

    hardwareFailureReason = window && window->IsAccelerated() ? "" : "No accelerated renderer.";
    hardwareWarning.clear();
    hardwareTestRan = true;
    hardwareTestFresh = true;
    RegistryWriteInteger("Test3D\\Version", 2);
    RegistryWriteInteger("Test3D\\MinVidMemory", minVideoMemory);
    RegistryWriteInteger("Test3D\\RecVidMemory", recommendedVideoMemory);
    RegistryWrite("Test3D\\DisplayGUID", 3, identity.data(), static_cast<uint32_t>(identity.size()));
    RegistryWriteString("Test3D\\FailureReason", hardwareFailureReason);
    RegistryWriteString("Test3D\\Warning", hardwareWarning);
}

void VeskAppBase::MakeWindow()
{
    DemoSuspension suspension(demoSuspended);
    if (!window)
        window = std::make_unique<Platform::Window>();
    if (!displayInitialised)
    {
        bool stored = false;
        if (RegistryReadBoolean("Is3D", stored))
        {
            is3DAccelerated = stored;
            if (autoEnable3D)
            {
                autoEnable3D = false;
                test3D = true;
            }
            if (stored)
                test3D = true;
        }
    }

    bool asWindow = windowed || playingDemo;
    int result = InitDisplay();
    if (result == Platform::RESULT_INVALID_COLORDEPTH && asWindow)
    {
        if (forceWindowed)
        {
            Popup(GetString("PLEASE_SET_COLOR_DEPTH", "Please set your desktop color depth to 16 bit."));
            ExitWithCode(1);
            return;
        }
        forceFullScreen = true;
        SwitchScreenMode(false);
        return;
    }
    if (!asWindow && (result == Platform::RESULT_EXCLUSIVE_FAIL || result == Platform::RESULT_DISPCHANGE_FAIL))
    {
        forceWindowed = true;
        SwitchScreenMode(true);
        return;
    }
    if (result == Platform::RESULT_3D_FAIL)
    {
        Set3DAcceleration(false, true);
        return;
    }
    if (result != Platform::RESULT_OK)
    {
        if (is3DAccelerated)
        {
            is3DAccelerated = false;
            MakeWindow();
            return;
        }
        Popup(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") + ResultName(result) + " " +
              window->GetErrorText());
        ExitWithCode(1);
        return;
    }

    // The focus is the desktop's: whether the new window is the active one. A playback keeps the
    // recorded focus.
    if (!playingDemo)
        hasFocus = window->HasInputFocus();
    if (minimized)
    {
        minimized = false;
        if (muteOnLostFocus)
            Unmute(true);
    }
    RehupFocus();
    ReInitImages();
    widgetManager->screenImage = screenImage.get();
    widgetManager->InvalidateAll();
    window->SetTimer(static_cast<uint32_t>(frameTime));
    // The cursor pictures are made again at the new mode's scale.
    for (CustomCursor& custom : cursorImages)
        custom.systemCursor = 0;
    EnforceCursor();
}

bool VeskAppBase::ShowCursorPicture()
{
    if (!window || cursorNumber < 0 || cursorNumber >= static_cast<int>(cursorImages.size()))
        return false;
    CustomCursor& custom = cursorImages[static_cast<size_t>(cursorNumber)];
    if (custom.systemCursor == 0)
    {
        auto* picture = dynamic_cast<MemoryImage*>(custom.image);
        bool made = picture != nullptr && picture->GetBits() != nullptr &&
                    window->SetPictureCursor(cursorNumber, picture->GetBits(), picture->GetWidth(),
                                             picture->GetHeight(), custom.hotX, custom.hotY);
        custom.systemCursor = made ? 1 : -1;
    }
    return custom.systemCursor == 1 && window->ShowPictureCursor(cursorNumber);
}

void VeskAppBase::Set3DAcceleration(bool is3D, bool reinit)
{
    DemoSuspension suspension(demoSuspended);
    if (is3DAccelerated == is3D)
        return;
    changed3DSetting = true;
    is3DAccelerated = is3D;
    if (!reinit || !window)
        return;
    int result = InitDisplay();
    if (result != Platform::RESULT_OK)
    {
        if (is3D)
        {
            Set3DAcceleration(false, reinit);
            return;
        }
        Popup(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") + ResultName(result) + " " +
              window->GetErrorText());
        ExitWithCode(1);
        return;
    }
    ReInitImages();
    widgetManager->screenImage = screenImage.get();
    widgetManager->InvalidateAll();
}

void VeskAppBase::SwitchScreenMode(bool wantWindowed, bool is3D, bool force)
{
    if (forceFullScreen)
        wantWindowed = false;
    if (wantWindowed == windowed && !force)
    {
        Set3DAcceleration(is3D, true);
        return;
    }
    Set3DAcceleration(is3D, false);
    windowed = wantWindowed;
    MakeWindow();
    if (exitCode >= 0 || !window)
        return;
    window->Show(!openingURL);
    if (soundManager)
        soundManager->SetCooperativeWindow(window.get(), windowed);
    ResetTiming();
}

void VeskAppBase::SwitchScreenMode(bool wantWindowed)
{
    SwitchScreenMode(wantWindowed, is3DAccelerated, false);
}

void VeskAppBase::SwitchScreenMode()
{
    SwitchScreenMode(windowed, is3DAccelerated, true);
}

void VeskAppBase::SetAlphaDisabled(bool disabled)
{
    if (alphaDisabled == disabled)
        return;
    alphaDisabled = disabled;
    widgetManager->screenImage = screenImage.get();
    widgetManager->InvalidateAll();
}

void VeskAppBase::HideApp()
{
    if (musicInterface)
        musicInterface->SetVolume(0);
    if (window)
        window->Hide();
    hidden = true;
    EnforceCursor();
}

void VeskAppBase::AskHardwareAccelerationQuestions()
{
    DemoSuspension suspension(demoSuspended);
    std::string caption =
        productName + " " + GetString("HARDWARE_ACCEL_CONFIRMATION", "Hardware Acceleration Confirmation");
    bool askSecond = true;
    if (changed3DSetting)
    {
        bool stored = false;
        if (RegistryReadBoolean("Is3D", stored) || Is3DAccelerationRecommended())
            RegistryWriteBoolean("Is3D", is3DAccelerated);
        else if (is3DAccelerated)
        {
            int answer = MsgBox(GetString("HARDWARE_ACCEL_SWITCHED_ON",
                                          "Hardware Acceleration was switched on during this session.\r\n"
                                          "If this resulted in slower performance, it should be switched off.\r\n"
                                          "Would you like to keep Hardware Acceleration switched on?"),
                                caption, Platform::MB_YESNO | Platform::MB_ICONQUESTION);
            is3DAccelerated = answer == Platform::IDYES;
            if (is3DAccelerated)
                RegistryWriteBoolean("Is3D", true);
            askSecond = false;
        }
    }
    if (askSecond && failed3DFrame && !screenSaverMode)
    {
        int answer =
            MsgBox(GetString("HARDWARE_ACCEL_NOT_WORKING",
                             "Hardware Acceleration may not have been working correctly during this session.\r\n"
                             "If you noticed graphics problems, you may want to turn off Hardware "
                             "Acceleration.\r\n"
                             "Would you like to keep Hardware Acceleration switched on?"),
                   caption, Platform::MB_YESNO | Platform::MB_ICONQUESTION);
        if (answer == Platform::IDNO)
            RegistryWriteBoolean("Is3D", false);
    }
}

} // namespace Vesk
