#pragma once

#include "framework/platform/WindowMessage.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Cursor;

namespace Vesk::Platform
{

struct IntRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Outcome of a display initialisation; the numbers are the framework's result codes.
enum DisplayResult : int
{
    RESULT_OK = 0,
    RESULT_FAIL = 1,
    RESULT_DD_CREATE_FAIL = 2,
    RESULT_SURFACE_FAIL = 3,
    RESULT_EXCLUSIVE_FAIL = 4,
    RESULT_DISPCHANGE_FAIL = 5,
    RESULT_INVALID_COLORDEPTH = 6,
    RESULT_3D_FAIL = 7,
};

// System cursor shapes; Hand and Dragging are the project's own bitmaps (SetBuiltInCursor).
enum class CursorShape
{
    Arrow,
    Hand,
    Dragging,
    TextBeam,
    No,
    SizeAll,
    SizeNESW,
    SizeNS,
    SizeNWSE,
    SizeWE,
    Wait,
    None,
};

// A cursor image drawn into the presented frame at a position in logical coordinates
// (its top-left corner; the caller has already subtracted the hot spot).
struct SoftwareCursor
{
    const uint32_t* pixels = nullptr; // 0xAARRGGBB, straight alpha, width x height
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
};

// What MakeWindow asks for.
struct WindowRequest
{
    std::string title;
    int width = 800; // the logical picture
    int height = 600;
    bool windowed = true;
    int x = 64; // outer top-left of a window
    int y = 64;
    bool linearFiltering = false;
    // Present in step with the display's refresh where the driver can.
    bool vsync = true;
};

// The main window and the display on it: an SDL window showing the logical picture (800 x 600)
// through a streaming texture, 1:1 in a window and scaled and centred (letterboxed) in desktop
// full screen. It also turns SDL events into window messages, keeps the cursors and offers the
// desktop facts the application places its window by. Main thread only.
class Window
{
public:
    Window();
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Creates the window, or switches the existing one to the requested mode and size. The
    // window stays hidden until Show. Returns a DisplayResult.
    int Create(const WindowRequest& request);
    void Destroy();
    bool IsOpen() const { return window != nullptr; }
    bool IsFullScreen() const { return fullScreen; }
    const std::string& GetErrorText() const { return errorText; }

    // Starts the video layer for the process (counted; StopVideo undoes one start). False with
    // the reason in error when there is no usable video driver.
    static bool StartVideo(std::string& error);
    static void StopVideo();

    // The desktop: its usable area (without panels) and size, and its refresh rate (0: unknown).
    static IntRect GetWorkArea();
    static IntRect GetDesktopBounds();
    static int GetRefreshRate();
    // How many seconds without input the desktop waits before its screen saver starts; 0 when
    // it has none or none is known. SDL tells no such time (and keeps the screen saver off while
    // the game runs), so only the environment variable VESK_SCREENSAVER_TIMEOUT gives one: a
    // player who wants the game to pause when left alone sets it, and tests use it.
    static int GetScreenSaverTimeout();
    // The window frame's thickness around the client area (left, top, right, bottom).
    IntRect GetBorders() const;

    void Show(bool activate);
    void Hide();
    void Restore();
    bool IsShown() const;
    bool IsMinimized() const;
    // Whether this is the desktop's active window. Without a window system (the dummy and
    // offscreen drivers) there is no other window to be active, so an open window is.
    bool HasInputFocus() const;
    // The outer top-left corner of the window.
    void GetPosition(int& x, int& y) const;
    void SetPosition(int x, int y);
    void SetTitle(const std::string& title);

    // Presents the picture (width x height 32-bit pixels) with an optional cursor drawn over it.
    // False when the display is lost or the window is missing.
    bool Present(const uint32_t* pixels, int width, int height, const SoftwareCursor* cursor);
    void SetLinearFiltering(bool linear);
    bool IsAccelerated() const { return accelerated; }
    bool HasVSync() const { return vsync; }
    std::string GetRendererName() const;
    // Where the picture lies in window coordinates (used to remap the pointer).
    IntRect GetPictureRect() const;

    // Cursors. The built-in shapes come as 32 rows of 32 characters: 'X' black, '.' white,
    // anything else transparent.
    void SetBuiltInCursor(CursorShape shape, const char* const* rows, int hotX, int hotY);
    void SetCursorShape(CursorShape shape);
    // A colour cursor made from a picture (0xAARRGGBB, straight alpha, width x height, the hot
    // spot in picture pixels) and kept under a number of the caller's; the system then moves it
    // with the pointer at the display's own pace. In full screen the picture is scaled as the
    // game's picture is. Null pixels forget the number. False when the video driver has no colour
    // cursors (the headless drivers): the caller then draws the cursor into the presented frames.
    bool SetPictureCursor(int number, const uint32_t* pixels, int width, int height, int hotX, int hotY);
    // Shows the picture cursor kept under the number; false when there is none.
    bool ShowPictureCursor(int number);
    // The number of the picture cursor shown, or -1 while a system shape (or none) is shown.
    int GetShownPictureCursor() const { return shownPictureCursor; }
    void CaptureMouse(bool capture);
    // Whether the pointer is over this window's client area, with its window coordinates.
    bool QueryPointer(int& x, int& y) const;

    // The next message for the window procedure, or false when none is waiting. A timer
    // message arrives whenever the timer period has passed on the loop clock.
    bool PollMessage(WindowMessage& message);
    void SetTimer(uint32_t periodMs);
    void KillTimer() { timerPeriod = 0; }

    // Tests: keep a copy of every presented frame (picture plus cursor), and pretend where the
    // pointer is (inside = false: outside the window).
    void SetKeepPresentedFrame(bool keep) { keepPresentedFrame = keep; }
    const std::vector<uint32_t>& GetPresentedFrame() const { return presentedFrame; }
    static void SetPointerOverride(bool active, bool inside = false, int x = 0, int y = 0);
    // Tests: puts a key press or release (an SDL key code and SDL modifier bits) or typed text
    // (UTF-8) into the event queue, as the keyboard would.
    static bool SimulateKey(int32_t sdlKey, bool down, int sdlModifiers = 0);
    static bool SimulateText(const std::string& utf8);

private:
    bool MakeRenderer(bool withVSync);
    void TranslateEvent(const void* event);
    void QueueKey(bool down, int keyCode, bool repeat);

    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
    int logicalWidth = 800;
    int logicalHeight = 600;
    bool fullScreen = false;
    bool accelerated = false;
    bool vsync = false;
    bool linearFiltering = false;
    std::string errorText;
    bool videoInitialised = false;

    std::vector<SDL_Cursor*> cursors;
    CursorShape currentShape = CursorShape::Arrow;
    std::map<int, SDL_Cursor*> pictureCursors;
    int shownPictureCursor = -1;

    std::deque<WindowMessage> pending;
    uint32_t timerPeriod = 0;
    uint32_t lastTimer = 0;
    bool altHeld = false;
    bool ctrlHeld = false;

    std::vector<uint32_t> composed;
    bool keepPresentedFrame = false;
    std::vector<uint32_t> presentedFrame;
};

// Maps an SDL key code (SDL_Keycode) to the framework's key code; 0 when it has none.
int KeyCodeFromSdl(int32_t sdlKey);

} // namespace Vesk::Platform
