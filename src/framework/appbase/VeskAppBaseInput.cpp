// The application's window procedure, the deferred message queue, focus, cursors, the debug
// keys, the screen-saver mode and the command line.
#include "framework/appbase/VeskAppBase.h"
#include "framework/graphics/Image.h"
#include "framework/platform/Clock.h"
#include "framework/platform/MessageBox.h"
#include "framework/platform/Window.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace Vesk
{

using namespace Platform;

namespace
{

bool IsMouseMessage(uint32_t message)
{
    return message >= WM_MOUSEMOVE && message <= WM_MBUTTONDBLCLK;
}

bool IsQueuedMessage(uint32_t message)
{
    switch (message)
    {
    case WM_MOVE:
    case WM_SIZE:
    case WM_CLOSE:
    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_TIMER:
    case WM_MOUSEWHEEL:
    case WM_ACTIVATEAPP:
        return true;
    default:
        return IsMouseMessage(message);
    }
}

CursorShape ShapeForNumber(int number)
{
    switch (number)
    {
    case 1:
        return CursorShape::Hand;
    case 2:
        return CursorShape::Dragging;
    case 3:
        return CursorShape::TextBeam;
    case 4:
        return CursorShape::No;
    case 5:
        return CursorShape::SizeAll;
    case 6:
        return CursorShape::SizeNESW;
    case 7:
        return CursorShape::SizeNS;
    case 8:
        return CursorShape::SizeNWSE;
    case 9:
        return CursorShape::SizeWE;
    case 10:
        return CursorShape::Wait;
    case 11:
    case 12:
        return CursorShape::None;
    default:
        return CursorShape::Arrow;
    }
}

// The numbers n of the files "<prefix><n>.dmo" beside the prefix.
std::vector<int> NumberedDemoFiles(const std::filesystem::path& prefixPath)
{
    std::vector<int> numbers;
    std::filesystem::path folder = prefixPath.parent_path();
    std::string prefix = prefixPath.filename().string();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder.empty() ? "." : folder, error))
    {
        std::string name = entry.path().filename().string();
        if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - 4, 4, ".dmo") != 0)
            continue;
        std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        if (digits.empty() || digits.size() > 9 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        numbers.push_back(std::atoi(digits.c_str()));
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

} // namespace

// ---------------------------------------------------------------------------------------
// The window procedure

int64_t VeskAppBase::WindowProc(const WindowMessage& message)
{
    if (screenSaverMode && ScreenSaverHandleMessage(message))
        return 0;

    switch (message.message)
    {
    case WM_DESTROY:
        return 0;
    case WM_ENABLE:
        windowDisabled = message.wParam == 0;
        return 0;
    case WM_PAINT:
        if (initialized && !displayLost && !hidden && mainLoopRunning)
            Redraw(nullptr);
        return 0;
    case WM_QUERYOPEN:
        return AppCanRestore() ? 1 : 0;
    case WM_ENDSESSION:
        Shutdown();
        return 0;
    case WM_SETCURSOR:
        if (!hidden)
            EnforceCursor();
        return 1;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCLBUTTONDOWN:
        ResetTiming();
        return 0;
    case WM_SYSCHAR:
        // Alt+character: swallowed when the game uses it, otherwise nothing happens either.
        return IsAltKeyUsed(static_cast<int>(message.wParam)) ? 0 : 1;
    case WM_SYSCOMMAND:
        if (message.wParam == SC_SCREENSAVE)
            return (!loadingThreadCompleted || !physicallyWindowed) ? 0 : 1;
        if (message.wParam == SC_MONITORPOWER)
        {
            lastMonitorPowerTime = Clock::LoopNow();
            return (!loadingThreadCompleted || !allowMonitorPowerOff) ? 0 : 1;
        }
        return 1;
    case WM_APP_NOTIFY:
        HandleNotifyMessage(message.wParam);
        return 0;
    case WM_ACTIVATEAPP:
        if (!playingDemo && message.window == 0)
            hasFocus = message.wParam != 0;
        break;
    default:
        break;
    }
    if (!IsQueuedMessage(message.message) || inPopup)
        return 0;

    bool keyDown = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
    bool keyUp = message.message == WM_KEYUP || message.message == WM_SYSKEYUP;
    if (keyDown || keyUp)
    {
        if (message.wParam == KEYCODE_CONTROL)
            heldCtrl = keyDown;
        if (message.wParam == KEYCODE_MENU)
            heldAlt = keyDown;
    }
    if (keyDown && DebugKeyDownEx(static_cast<int>(message.wParam), heldCtrl, heldAlt))
        return 0;
    if (playingDemo)
    {
        // A control character is taken here (it must not reach the dialog it opens).
        if (message.message == WM_CHAR && DemoPlaybackControl(static_cast<int>(message.wParam & 0xFF)))
            return 0;
        if (keyDown)
            DebugKeyDown(static_cast<int>(message.wParam));
    }

    bool drop = std::any_of(deferredMessages.begin(), deferredMessages.end(),
                            [](const WindowMessage& queued) { return queued.message == WM_CLOSE; });
    if (message.message == WM_TIMER && !deferredMessages.empty() && deferredMessages.back().message == WM_TIMER)
        drop = true;
    if (message.message == WM_SYSCOLORCHANGE || message.message == WM_DISPLAYCHANGE)
    {
        drop = drop || std::any_of(deferredMessages.begin(), deferredMessages.end(),
                                   [](const WindowMessage& queued) {
                                       return queued.message == WM_SYSCOLORCHANGE || queued.message == WM_DISPLAYCHANGE;
                                   });
    }
    if (drop)
        return 0;
    deferredMessages.push_back(message);

    if (message.message == WM_SIZE)
        minimizedShadow = message.wParam == SIZE_MINIMIZED;
    if (message.message == WM_SYSKEYDOWN)
    {
        // Alt+F4 goes on to the system, which asks the window to close.
        if (message.wParam == KEYCODE_F4)
            WindowProc({message.window, WM_CLOSE, 0, 0});
        return 0;
    }
    if (message.message == WM_CLOSE)
        CloseRequestAsync();
    return 0;
}

bool VeskAppBase::ProcessDeferredMessages()
{
    if (deferredMessages.empty())
        return false;
    WindowMessage message = deferredMessages.front();
    deferredMessages.pop_front();
    bool live = !playingDemo;
    // A playback dialog takes the live keys and the pointer; window events stay the recording's.
    bool liveInput = live || IsDemoDialogOpen();

    switch (message.message)
    {
    case WM_MOVE:
        if (windowed && physicallyWindowed && window && window->IsShown() && !window->IsMinimized())
            window->GetPosition(preferredX, preferredY);
        break;
    case WM_SIZE:
        if (recordingDemo && (message.wParam == SIZE_MINIMIZED) != minimized)
        {
            DemoEvent event;
            event.code = DEMO_SIZE;
            event.flag = message.wParam == SIZE_MINIMIZED;
            RecordEvent(event);
        }
        if (live)
            HandleSizeChange(message.wParam == SIZE_MINIMIZED, message.wParam == SIZE_MAXIMIZED);
        break;
    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:
        widgetManager->SystemColorsChangedTree();
        widgetManager->InvalidateAll();
        break;
    case WM_ACTIVATEAPP:
        if (recordingDemo)
        {
            DemoEvent event;
            event.code = DEMO_ACTIVATE_APP;
            event.flag = hasFocus;
            RecordEvent(event);
        }
        if (live)
            HandleActivation();
        break;
    case WM_MOUSEWHEEL:
    {
        int notches = static_cast<int16_t>(static_cast<uint16_t>((message.wParam >> 16) & 0xFFFF)) / 120;
        if (recordingDemo)
        {
            DemoEvent event;
            event.code = DEMO_MOUSE_WHEEL;
            event.notches = notches;
            RecordEvent(event);
        }
        if (liveInput)
        {
            lastInputTime = Clock::LoopNow();
            widgetManager->WheelTurned(notches);
        }
        break;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    {
        // Every press is recorded, the ones Alt+Enter and the debug keys take as well: a playback
        // hands them on the same way (see ReplayEvent).
        int key = static_cast<int>(message.wParam);
        if (recordingDemo)
        {
            DemoEvent event;
            event.code = DEMO_KEY_DOWN;
            event.key = key;
            RecordEvent(event);
        }
        if (liveInput)
        {
            lastInputTime = Clock::LoopNow();
            if (message.message == WM_SYSKEYDOWN && key == KEYCODE_RETURN && !forceFullScreen && !forceWindowed)
            {
                SwitchScreenMode(!windowed);
                ClearKeyStates();
                // The mode it switched to follows the key: the mark of an Alt+Enter in a demo.
                if (recordingDemo)
                {
                    DemoEvent mode;
                    mode.code = DEMO_VIDEO_DATA;
                    mode.flag = windowed;
                    mode.refreshRate = refreshRate;
                    RecordEvent(mode);
                }
            }
            else if (!(debugKeysEnabled && !playingDemo && DebugKeyDown(key)))
                widgetManager->KeyPressed(key);
        }
        break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (recordingDemo)
        {
            DemoEvent event;
            event.code = DEMO_KEY_UP;
            event.key = static_cast<int>(message.wParam);
            RecordEvent(event);
        }
        if (liveInput)
            widgetManager->KeyReleased(static_cast<int>(message.wParam));
        break;
    case WM_CHAR:
        if (recordingDemo)
        {
            DemoEvent event;
            event.code = DEMO_KEY_CHAR;
            event.character = static_cast<int>(message.wParam & 0xFF);
            RecordEvent(event);
        }
        if (liveInput)
            widgetManager->CharTyped(static_cast<int>(message.wParam & 0xFF));
        break;
    case WM_TIMER:
        if (live)
            CheckMouseInWindow();
        WatchURLOpen(Clock::LoopNow());
        break;
    case WM_CLOSE:
        // A recorded close ends a playback as well; a live close ends it early (the window can
        // always be closed).
        if (recordingDemo)
        {
            DemoEvent event;
            event.code = DEMO_CLOSE;
            RecordEvent(event);
        }
        closing = true;
        Shutdown();
        break;
    default:
        if (IsMouseMessage(message.message))
        {
            if (recordingDemo && !hidden)
                RecordMessage(message);
            if (liveInput)
                HandleMouseMessage(message);
        }
        break;
    }
    return !deferredMessages.empty();
}

void VeskAppBase::HandleSizeChange(bool nowMinimized, bool maximize)
{
    bool wasMinimized = minimized;
    minimized = nowMinimized;
    if (minimized != wasMinimized)
    {
        if (minimized)
        {
            if (muteOnLostFocus)
                Mute(true);
        }
        else
        {
            if (muteOnLostFocus)
                Unmute(true);
            widgetManager->InvalidateAll();
        }
    }
    RehupFocus();
    if (maximize)
        SwitchScreenMode(false);
}

void VeskAppBase::HandleActivation()
{
    RehupFocus();
    if (hasFocus && !windowed)
        widgetManager->InvalidateAll();
    if (openingURL && !hasFocus)
        URLOpenSucceeded(openingURLText);
}

void VeskAppBase::PointerToManager(int64_t lParam, int& x, int& y)
{
    if (window)
    {
        IntRect picture = window->GetPictureRect();
        widgetManager->ResizeDisplay({0, 0, width, height}, {picture.x, picture.y, picture.width, picture.height});
    }
    x = PointParamX(lParam);
    y = PointParamY(lParam);
    widgetManager->RemapPointer(x, y);
    // A captured pointer can go far outside the window. Nothing uses a position a demo cannot
    // hold, so a playback sees the positions the recorded run saw.
    x = std::clamp(x, kDemoPositionMin, kDemoPositionMax);
    y = std::clamp(y, kDemoPositionMin, kDemoPositionMax);
}

void VeskAppBase::MovePointer(int x, int y)
{
    lastInputTime = Clock::LoopNow();
    if (softwareCursorShown && (x != cursorX || y != cursorY))
        forcePresent = true;
    cursorX = x;
    cursorY = y;
    widgetManager->PointerMoved(x, y);
    if (!mouseInWindow)
    {
        mouseInWindow = true;
        EnforceCursor();
    }
}

void VeskAppBase::PressButton(int x, int y, int clickCode, bool down)
{
    int bit = clickCode < 0 ? 2 : clickCode == 3 ? 4 : 1;
    if (down)
    {
        if (window)
            window->CaptureMouse(true);
        mouseCaptured = true;
        heldMouseButtons |= bit;
        widgetManager->ButtonPressed(x, y, clickCode);
        return;
    }
    heldMouseButtons &= ~bit;
    if (heldMouseButtons == 0)
    {
        if (window)
            window->CaptureMouse(false);
        mouseCaptured = false;
    }
    widgetManager->ButtonReleased(x, y, clickCode);
}

void VeskAppBase::HandleMouseMessage(const WindowMessage& message)
{
    if (hidden)
        return;
    int x = 0;
    int y = 0;
    PointerToManager(message.lParam, x, y);
    MovePointer(x, y);
    switch (message.message)
    {
    case WM_LBUTTONDOWN:
        PressButton(x, y, 1, true);
        break;
    case WM_LBUTTONDBLCLK:
        PressButton(x, y, 2, true);
        break;
    case WM_RBUTTONDOWN:
        PressButton(x, y, -1, true);
        break;
    case WM_RBUTTONDBLCLK:
        PressButton(x, y, -2, true);
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        PressButton(x, y, 3, true);
        break;
    case WM_LBUTTONUP:
        PressButton(x, y, 1, false);
        break;
    case WM_RBUTTONUP:
        PressButton(x, y, -1, false);
        break;
    case WM_MBUTTONUP:
        PressButton(x, y, 3, false);
        break;
    default:
        break;
    }
}

void VeskAppBase::CheckMouseInWindow()
{
    int windowX = 0;
    int windowY = 0;
    bool inside = window && window->QueryPointer(windowX, windowY);
    if (inside)
    {
        int x = 0;
        int y = 0;
        PointerToManager(MakePointParam(windowX, windowY), x, y);
        inside = x >= 0 && y >= 0 && x < width && y < height;
    }
    if (inside == mouseInWindow)
        return;
    mouseInWindow = inside;
    if (recordingDemo)
    {
        DemoEvent event;
        event.code = inside ? DEMO_MOUSE_ENTER : DEMO_MOUSE_EXIT;
        RecordEvent(event);
    }
    if (!inside)
        widgetManager->PointerLeftWindow();
    EnforceCursor();
}

void VeskAppBase::WatchURLOpen(uint32_t now)
{
    if (!openingURL)
    {
        urlWatchStart = 0;
        lastTimerTime = now;
        return;
    }
    if (urlWatchStart == 0 || now - lastTimerTime >= 500)
        urlWatchStart = now;
    lastTimerTime = now;
    if (now - urlWatchStart < 5000)
        return;
    if (!hasFocus && now - urlOpenTime >= 8000)
        URLOpenSucceeded(openingURLText);
    else if (hasFocus && now - urlOpenTime >= 12000)
        URLOpenFailed(openingURLText);
}

void VeskAppBase::RehupFocus()
{
    bool focus = hasFocus && !minimized;
    if (focus == lastFocusState)
        return;
    lastFocusState = focus;
    if (focus)
    {
        if (muteOnLostFocus)
            Unmute(true);
        widgetManager->AppFocusGained();
        GotFocus();
        return;
    }
    if (muteOnLostFocus)
        Mute(true);
    widgetManager->AppFocusLost();
    LostFocus();
    if (window)
        window->CaptureMouse(false);
    mouseCaptured = false;
    heldMouseButtons = 0;
    widgetManager->ReleaseCapture();
}

bool VeskAppBase::IsAltKeyUsed(int character)
{
    return character == '\r' || character == 'r' || character == 'R';
}

// ---------------------------------------------------------------------------------------
// Cursors

void VeskAppBase::SetCursor(int number)
{
    cursorNumber = number;
    EnforceCursor();
}

void VeskAppBase::EnableCustomCursors(bool enabled)
{
    customCursorsEnabled = enabled;
    EnforceCursor();
}

void VeskAppBase::SetCursorImage(int number, Image* image, int hotX, int hotY)
{
    if (number < 0 || number >= static_cast<int>(cursorImages.size()))
        return;
    CustomCursor& slot = cursorImages[static_cast<size_t>(number)];
    slot = CustomCursor();
    if (image != nullptr && image->GetWidth() > 0 && image->GetHeight() > 0)
        slot = CustomCursor{image, hotX, hotY};
    forcePresent = true; // the picture under the pointer may have changed
    EnforceCursor();
}

Image* VeskAppBase::GetCursorImage(int number) const
{
    if (number < 0 || number >= static_cast<int>(cursorImages.size()))
        return nullptr;
    return cursorImages[static_cast<size_t>(number)].image;
}

void VeskAppBase::SetOverrideCursor(std::optional<CursorShape> shape)
{
    overrideCursor = shape;
    EnforceCursor();
}

void VeskAppBase::EnforceCursor()
{
    auto showSoftware = [&](bool show)
    {
        if (show != softwareCursorShown)
            forcePresent = true;
        softwareCursorShown = show;
    };
    if (hidden || !mouseInWindow)
    {
        showSoftware(false);
        if (window)
            window->SetCursorShape(CursorShape::Arrow);
        return;
    }
    bool hasImage = cursorNumber >= 0 && cursorNumber < static_cast<int>(cursorImages.size()) &&
                    cursorImages[static_cast<size_t>(cursorNumber)].image != nullptr;
    if (hasImage && (customCursorsEnabled || playingDemo || cursorNumber == 12))
    {
        // The system moves a colour cursor made from the picture at the display's own pace; the
        // game draws the picture itself only where the platform cannot, and for a playback's
        // recorded pointer.
        if (!playingDemo && ShowCursorPicture())
        {
            showSoftware(false);
            return;
        }
        showSoftware(true);
        if (window)
            window->SetCursorShape(playingDemo ? CursorShape::No : CursorShape::None);
        return;
    }
    showSoftware(false);
    if (!window)
        return;
    if (overrideCursor)
        window->SetCursorShape(*overrideCursor);
    else
        window->SetCursorShape(ShapeForNumber(cursorNumber));
}

// ---------------------------------------------------------------------------------------
// Debug keys

bool VeskAppBase::DebugKeyDown(int keyCode)
{
    bool shift = widgetManager->keyDown[KEYCODE_SHIFT];
    switch (keyCode)
    {
    case KEYCODE_F2:
        if (!perfTimerRunning)
        {
            perfTimerRunning = true;
            perfTimerStart = Clock::RealNow();
            perfTimerUpdates = updateCount;
            perfTimerDraws = drawCount;
        }
        else
        {
            perfTimerRunning = false;
            ShowPerformanceResults();
        }
        return true;
    case KEYCODE_F3:
        if (shift)
        {
            showOverlay = true;
            overlayMode = (overlayMode + 1) % 2;
        }
        else
            showOverlay = !showOverlay;
        forcePresent = true;
        return true;
    case KEYCODE_F8:
        if (shift)
        {
            Set3DAcceleration(!is3DAccelerated);
            MsgBox(std::string("3D-Mode: ") + (is3DAccelerated ? "ON" : "OFF"), "Mode Switch", MB_OK);
        }
        else
            ShowVideoStats();
        return true;
    case KEYCODE_F10:
        return true;
    case KEYCODE_F11:
        if (shift)
            DumpImages();
        else
            TakeScreenshot();
        return true;
    default:
        return false;
    }
}

void VeskAppBase::ShowPerformanceResults()
{
    uint32_t elapsed = std::max<uint32_t>(Clock::RealNow() - perfTimerStart, 1);
    char text[256];
    std::snprintf(text, sizeof(text), "Time: %u ms\r\nUpdates: %d\r\nFrames presented: %d\r\nFrames per second: %.1f",
                  elapsed, updateCount - perfTimerUpdates, drawCount - perfTimerDraws,
                  (drawCount - perfTimerDraws) * 1000.0 / elapsed);
    MsgBox(text, "Perf Results", MB_OK);
}

void VeskAppBase::ShowVideoStats()
{
    char text[512];
    std::snprintf(text, sizeof(text),
                  "3D-Mode is %s (3D is %s on this system)\r\nRenderer: %s\r\nImages: 1 (screen, %d x %d, "
                  "A8R8G8B8: %d bytes)\r\nSounds: 0",
                  is3DAccelerated ? "ON" : "OFF", Is3DAccelerationSupported() ? "supported" : "not supported",
                  window ? window->GetRendererName().c_str() : "none", width, height, width * height * 4);
    MsgBox(text, "Video Stats", MB_OK);
}

// ---------------------------------------------------------------------------------------
// Screen-saver mode

bool VeskAppBase::ScreenSaverHandleMessage(const WindowMessage& message)
{
    bool end = false;
    switch (message.message)
    {
    case WM_ACTIVATEAPP:
        end = message.wParam == 0;
        break;
    case WM_CLOSE:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        end = true;
        break;
    case WM_MOUSEMOVE:
    {
        int x = PointParamX(message.lParam);
        int y = PointParamY(message.lParam);
        if (x != screenSaverLastX || y != screenSaverLastY)
        {
            screenSaverLastX = x;
            screenSaverLastY = y;
            end = ++screenSaverMoves > 3;
        }
        break;
    }
    case WM_SYSCOMMAND:
        return message.wParam == SC_SCREENSAVE || message.wParam == SC_CLOSE || message.wParam == SC_NEXTWINDOW ||
               message.wParam == SC_PREVWINDOW || message.wParam == SC_TASKLIST;
    default:
        break;
    }
    if (!end)
        return false;
    Shutdown();
    return true;
}

// ---------------------------------------------------------------------------------------
// Command line

std::string VeskAppBase::GetProcessCommandLine()
{
    if (processCommandLine)
        return *processCommandLine;
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string line;
    size_t start = 0;
    while (start < raw.size())
    {
        size_t end = raw.find('\0', start);
        if (end == std::string::npos)
            end = raw.size();
        std::string argument = raw.substr(start, end - start);
        if (!line.empty())
            line += ' ';
        if (argument.empty() || argument.find(' ') != std::string::npos)
            line += '"' + argument + '"';
        else
            line += argument;
        start = end + 1;
    }
    return line;
}

void VeskAppBase::ParseCommandLine()
{
    commandLineParsed = true;
    std::string line = GetProcessCommandLine();
    size_t position = 0;
    if (!line.empty() && line[0] == '"')
    {
        size_t close = line.find('"', 1);
        position = close == std::string::npos ? line.size() : close + 1;
    }
    else
    {
        size_t space = line.find(' ');
        position = space == std::string::npos ? line.size() : space;
    }
    if (position >= line.size())
        return;
    ParseCommandLine(line.substr(position));
}

void VeskAppBase::ParseCommandLine(const std::string& commandLine)
{
    commandLineParsed = true;
    std::string name;
    std::string value;
    bool inValue = false;
    bool quoted = false;
    auto endPair = [&]()
    {
        if (!name.empty() && exitCode < 0)
            HandleCmdLineParam(name, value);
        name.clear();
        value.clear();
        inValue = false;
    };
    for (char c : commandLine)
    {
        if (exitCode >= 0)
            return;
        if (c == '"')
        {
            quoted = !quoted;
            if (!quoted)
                endPair();
            continue;
        }
        if (c == ' ' && !quoted)
        {
            endPair();
            continue;
        }
        if (c == '=' && !inValue)
        {
            inValue = true;
            continue;
        }
        (inValue ? value : name) += c;
    }
    endPair();
}

std::string VeskAppBase::GetDemoFilePath() const
{
    std::filesystem::path file(demoFileName);
    if (file.is_absolute() || dataFolder.empty())
        return file.string();
    return (std::filesystem::path(dataFolder) / file).string();
}

void VeskAppBase::HandleCmdLineParam(const std::string& name, const std::string& value)
{
    if (name == "-play")
    {
        playingDemo = true;
        recordingDemo = false;
    }
    else if (name == "-record")
    {
        recordingDemo = true;
        playingDemo = false;
    }
    else if (name == "-demofile")
        demoFileName = value;
    else if (name == "-recnum" || name == "-playnum")
    {
        std::filesystem::path prefix(demoPrefix);
        if (!prefix.is_absolute() && !dataFolder.empty())
            prefix = std::filesystem::path(dataFolder) / prefix;
        std::vector<int> numbers = NumberedDemoFiles(prefix);
        int highest = numbers.empty() ? 0 : numbers.back();
        int count = std::atoi(value.c_str());
        auto fileFor = [&](int number) { return prefix.string() + std::to_string(number) + ".dmo"; };
        if (name == "-recnum")
        {
            if (count <= 0)
                count = 5;
            if (static_cast<int>(numbers.size()) >= count)
            {
                std::error_code error;
                std::filesystem::remove(fileFor(numbers.front()), error);
            }
            demoFileName = fileFor(highest + 1);
            recordingDemo = true;
            playingDemo = false;
        }
        else
        {
            demoFileName = fileFor(count <= 1 ? highest : highest - (count - 1));
            playingDemo = true;
            recordingDemo = false;
        }
    }
    else if (name == "-screensaver")
    {
        screenSaverMode = true;
        windowed = false;
    }
    else if (name == "-changedir")
        changeDirTo = value;
    else if (name == "-crash")
    {
        // Exercises the crash report, which this build does not have: accepted and ignored.
    }
    else
    {
        Popup(GetString("INVALID_COMMANDLINE_PARAM", "Invalid command line parameter: ") + name);
        ExitWithCode(0);
    }
}

} // namespace Vesk
