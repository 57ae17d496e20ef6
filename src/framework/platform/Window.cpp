#include "framework/platform/Window.h"

#include "framework/platform/Clock.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace Vesk::Platform
{

namespace
{

struct PointerOverride
{
    bool active = false;
    bool inside = false;
    int x = 0;
    int y = 0;
};
PointerOverride pointerOverride;

SDL_SystemCursor SystemCursorFor(CursorShape shape)
{
    switch (shape)
    {
    case CursorShape::Hand:
        return SDL_SYSTEM_CURSOR_HAND;
    case CursorShape::Dragging:
        return SDL_SYSTEM_CURSOR_SIZEALL;
    case CursorShape::TextBeam:
        return SDL_SYSTEM_CURSOR_IBEAM;
    case CursorShape::No:
        return SDL_SYSTEM_CURSOR_NO;
    case CursorShape::SizeAll:
        return SDL_SYSTEM_CURSOR_SIZEALL;
    case CursorShape::SizeNESW:
        return SDL_SYSTEM_CURSOR_SIZENESW;
    case CursorShape::SizeNS:
        return SDL_SYSTEM_CURSOR_SIZENS;
    case CursorShape::SizeNWSE:
        return SDL_SYSTEM_CURSOR_SIZENWSE;
    case CursorShape::SizeWE:
        return SDL_SYSTEM_CURSOR_SIZEWE;
    case CursorShape::Wait:
        return SDL_SYSTEM_CURSOR_WAIT;
    default:
        return SDL_SYSTEM_CURSOR_ARROW;
    }
}

constexpr size_t kShapeCount = static_cast<size_t>(CursorShape::None) + 1;

// The dummy and offscreen drivers: no display, no window system, no cursors of their own.
bool HeadlessDriver()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0);
}

// Latin-1 code points of a UTF-8 text; characters above 255 and broken sequences are dropped.
std::vector<int> Latin1FromUtf8(const char* text)
{
    std::vector<int> result;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t i = 0;
    size_t length = std::strlen(text);
    while (i < length)
    {
        unsigned char lead = bytes[i];
        int count = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (count == 0 || i + count > length)
        {
            ++i;
            continue;
        }
        uint32_t code = count == 1 ? lead : count == 2 ? (lead & 0x1F) : count == 3 ? (lead & 0x0F) : (lead & 0x07);
        bool valid = true;
        for (int k = 1; k < count; ++k)
        {
            if ((bytes[i + k] & 0xC0) != 0x80)
                valid = false;
            code = (code << 6) | (bytes[i + k] & 0x3F);
        }
        i += valid ? count : 1;
        if (valid && code <= 255)
            result.push_back(static_cast<int>(code));
    }
    return result;
}

} // namespace

int KeyCodeFromSdl(int32_t sdlKey)
{
    if (sdlKey >= 'a' && sdlKey <= 'z')
        return sdlKey - 'a' + 'A';
    if (sdlKey >= '0' && sdlKey <= '9')
        return sdlKey;
    switch (sdlKey)
    {
    case SDLK_BACKSPACE:
        return KEYCODE_BACK;
    case SDLK_TAB:
        return KEYCODE_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
    case SDLK_RETURN2:
        return KEYCODE_RETURN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return KEYCODE_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return KEYCODE_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
        return KEYCODE_MENU;
    case SDLK_PAUSE:
        return KEYCODE_PAUSE;
    case SDLK_CAPSLOCK:
        return KEYCODE_CAPITAL;
    case SDLK_ESCAPE:
        return KEYCODE_ESCAPE;
    case SDLK_SPACE:
        return KEYCODE_SPACE;
    case SDLK_PAGEUP:
        return KEYCODE_PRIOR;
    case SDLK_PAGEDOWN:
        return KEYCODE_NEXT;
    case SDLK_END:
        return KEYCODE_END;
    case SDLK_HOME:
        return KEYCODE_HOME;
    case SDLK_LEFT:
        return KEYCODE_LEFT;
    case SDLK_UP:
        return KEYCODE_UP;
    case SDLK_RIGHT:
        return KEYCODE_RIGHT;
    case SDLK_DOWN:
        return KEYCODE_DOWN;
    case SDLK_PRINTSCREEN:
        return KEYCODE_SNAPSHOT;
    case SDLK_INSERT:
        return KEYCODE_INSERT;
    case SDLK_DELETE:
        return KEYCODE_DELETE;
    case SDLK_LGUI:
        return KEYCODE_LWIN;
    case SDLK_RGUI:
        return KEYCODE_RWIN;
    case SDLK_APPLICATION:
        return KEYCODE_APPS;
    case SDLK_KP_0:
        return KEYCODE_NUMPAD0;
    case SDLK_KP_1:
    case SDLK_KP_2:
    case SDLK_KP_3:
    case SDLK_KP_4:
    case SDLK_KP_5:
    case SDLK_KP_6:
    case SDLK_KP_7:
    case SDLK_KP_8:
    case SDLK_KP_9:
        return KEYCODE_NUMPAD0 + 1 + (sdlKey - SDLK_KP_1);
    case SDLK_KP_MULTIPLY:
        return KEYCODE_MULTIPLY;
    case SDLK_KP_PLUS:
        return KEYCODE_ADD;
    case SDLK_KP_MINUS:
        return KEYCODE_SUBTRACT;
    case SDLK_KP_PERIOD:
        return KEYCODE_DECIMAL;
    case SDLK_KP_DIVIDE:
        return KEYCODE_DIVIDE;
    case SDLK_NUMLOCKCLEAR:
        return KEYCODE_NUMLOCK;
    case SDLK_SCROLLLOCK:
        return KEYCODE_SCROLL;
    case SDLK_SEMICOLON:
        return KEYCODE_OEM_1;
    case SDLK_EQUALS:
        return KEYCODE_OEM_PLUS;
    case SDLK_COMMA:
        return KEYCODE_OEM_COMMA;
    case SDLK_MINUS:
        return KEYCODE_OEM_MINUS;
    case SDLK_PERIOD:
        return KEYCODE_OEM_PERIOD;
    case SDLK_SLASH:
        return KEYCODE_OEM_2;
    case SDLK_BACKQUOTE:
        return KEYCODE_OEM_3;
    case SDLK_LEFTBRACKET:
        return KEYCODE_OEM_4;
    case SDLK_BACKSLASH:
        return KEYCODE_OEM_5;
    case SDLK_RIGHTBRACKET:
        return KEYCODE_OEM_6;
    case SDLK_QUOTE:
        return KEYCODE_OEM_7;
    default:
        break;
    }
    if (sdlKey >= SDLK_F1 && sdlKey <= SDLK_F12)
        return KEYCODE_F1 + (sdlKey - SDLK_F1);
    return KEYCODE_UNKNOWN;
}

Window::Window() : cursors(kShapeCount, nullptr) {}

Window::~Window()
{
    Destroy();
    for (auto& [number, cursor] : pictureCursors)
        SDL_FreeCursor(cursor);
    pictureCursors.clear();
    for (SDL_Cursor*& cursor : cursors)
    {
        if (cursor != nullptr)
            SDL_FreeCursor(cursor);
        cursor = nullptr;
    }
    if (videoInitialised)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

int Window::Create(const WindowRequest& request)
{
    errorText.clear();
    if (!videoInitialised)
    {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        {
            errorText = SDL_GetError();
            return RESULT_DD_CREATE_FAIL;
        }
        videoInitialised = true;
    }
    logicalWidth = request.width;
    logicalHeight = request.height;
    linearFiltering = request.linearFiltering;

    if (window == nullptr)
    {
        Uint32 flags = SDL_WINDOW_HIDDEN;
        if (!request.windowed)
            flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        window = SDL_CreateWindow(request.title.c_str(), request.x, request.y, request.width, request.height, flags);
        if (window == nullptr)
        {
            errorText = SDL_GetError();
            return RESULT_DD_CREATE_FAIL;
        }
        if (!MakeRenderer(request.vsync))
        {
            SDL_DestroyWindow(window);
            window = nullptr;
            return RESULT_SURFACE_FAIL;
        }
    }
    else
    {
        SDL_SetWindowTitle(window, request.title.c_str());
        if (SDL_SetWindowFullscreen(window, request.windowed ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP) != 0)
        {
            errorText = SDL_GetError();
            return request.windowed ? RESULT_FAIL : RESULT_DISPCHANGE_FAIL;
        }
        if (request.windowed)
            SDL_SetWindowSize(window, request.width, request.height);
    }
    fullScreen = !request.windowed;
    if (request.windowed)
        SetPosition(request.x, request.y);
    if (texture != nullptr)
        SDL_SetTextureScaleMode(texture, linearFiltering ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    return RESULT_OK;
}

bool Window::MakeRenderer(bool withVSync)
{
    // Without a display there is nothing to accelerate: the software renderer is the fastest.
    if (!HeadlessDriver())
        renderer =
            SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | (withVSync ? SDL_RENDERER_PRESENTVSYNC : 0));
    if (renderer == nullptr)
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE | (withVSync ? SDL_RENDERER_PRESENTVSYNC : 0));
    if (renderer == nullptr)
    {
        errorText = SDL_GetError();
        return false;
    }
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) == 0)
    {
        accelerated = (info.flags & SDL_RENDERER_ACCELERATED) != 0;
        vsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    }
    return true;
}

void Window::Destroy()
{
    if (texture != nullptr)
        SDL_DestroyTexture(texture);
    if (renderer != nullptr)
        SDL_DestroyRenderer(renderer);
    if (window != nullptr)
        SDL_DestroyWindow(window);
    texture = nullptr;
    renderer = nullptr;
    window = nullptr;
    textureWidth = textureHeight = 0;
}

bool Window::StartVideo(std::string& error)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    {
        error = SDL_GetError();
        return false;
    }
    return true;
}

void Window::StopVideo()
{
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

IntRect Window::GetWorkArea()
{
    SDL_Rect rect{0, 0, 0, 0};
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetDisplayUsableBounds(0, &rect) != 0)
        return GetDesktopBounds();
    return {rect.x, rect.y, rect.w, rect.h};
}

IntRect Window::GetDesktopBounds()
{
    SDL_Rect rect{0, 0, 0, 0};
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetDisplayBounds(0, &rect) != 0)
        return {0, 0, 1024, 768};
    return {rect.x, rect.y, rect.w, rect.h};
}

int Window::GetRefreshRate()
{
    SDL_DisplayMode mode{};
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetCurrentDisplayMode(0, &mode) != 0)
        return 0;
    return mode.refresh_rate;
}

int Window::GetScreenSaverTimeout()
{
    const char* text = std::getenv("VESK_SCREENSAVER_TIMEOUT");
    if (text == nullptr)
        return 0;
    char* end = nullptr;
    long seconds = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || seconds <= 0)
        return 0;
    return static_cast<int>(std::min(seconds, 86400L));
}

IntRect Window::GetBorders() const
{
    int top = 0, left = 0, bottom = 0, right = 0;
    if (window == nullptr || fullScreen || SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) != 0)
        return {};
    return {left, top, right, bottom};
}

void Window::Show(bool activate)
{
    if (window == nullptr)
        return;
    SDL_ShowWindow(window);
    if (activate)
        SDL_RaiseWindow(window);
}

void Window::Hide()
{
    if (window != nullptr)
        SDL_HideWindow(window);
}

void Window::Restore()
{
    if (window == nullptr)
        return;
    if (IsMinimized())
        SDL_RestoreWindow(window);
    SDL_RaiseWindow(window);
}

bool Window::IsShown() const
{
    return window != nullptr && (SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) != 0;
}

bool Window::IsMinimized() const
{
    return window != nullptr && (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) != 0;
}

bool Window::HasInputFocus() const
{
    if (window == nullptr)
        return false;
    return HeadlessDriver() || (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void Window::GetPosition(int& x, int& y) const
{
    x = y = 0;
    if (window == nullptr)
        return;
    SDL_GetWindowPosition(window, &x, &y);
    IntRect borders = GetBorders();
    x -= borders.x;
    y -= borders.y;
}

void Window::SetPosition(int x, int y)
{
    if (window == nullptr || fullScreen)
        return;
    IntRect borders = GetBorders();
    SDL_SetWindowPosition(window, x + borders.x, y + borders.y);
}

void Window::SetTitle(const std::string& title)
{
    if (window != nullptr)
        SDL_SetWindowTitle(window, title.c_str());
}

IntRect Window::GetPictureRect() const
{
    int windowWidth = logicalWidth;
    int windowHeight = logicalHeight;
    if (window != nullptr)
        SDL_GetWindowSize(window, &windowWidth, &windowHeight);
    if (windowWidth <= 0 || windowHeight <= 0 || logicalWidth <= 0 || logicalHeight <= 0)
        return {0, 0, logicalWidth, logicalHeight};
    // The largest picture of the logical proportions that fits, centred.
    int width = windowWidth;
    int height = static_cast<int>(static_cast<int64_t>(windowWidth) * logicalHeight / logicalWidth);
    if (height > windowHeight)
    {
        height = windowHeight;
        width = static_cast<int>(static_cast<int64_t>(windowHeight) * logicalWidth / logicalHeight);
    }
    return {(windowWidth - width) / 2, (windowHeight - height) / 2, width, height};
}

void Window::SetLinearFiltering(bool linear)
{
    linearFiltering = linear;
    if (texture != nullptr)
        SDL_SetTextureScaleMode(texture, linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
}

std::string Window::GetRendererName() const
{
    SDL_RendererInfo info{};
    if (renderer == nullptr || SDL_GetRendererInfo(renderer, &info) != 0 || info.name == nullptr)
        return std::string();
    return info.name;
}

bool Window::Present(const uint32_t* pixels, int width, int height, const SoftwareCursor* cursor)
{
    if (renderer == nullptr || pixels == nullptr || width <= 0 || height <= 0)
        return false;
    if (texture == nullptr || textureWidth != width || textureHeight != height)
    {
        if (texture != nullptr)
            SDL_DestroyTexture(texture);
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (texture == nullptr)
        {
            errorText = SDL_GetError();
            textureWidth = textureHeight = 0;
            return false;
        }
        textureWidth = width;
        textureHeight = height;
        SDL_SetTextureScaleMode(texture, linearFiltering ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    }

    const uint32_t* source = pixels;
    if (cursor != nullptr && cursor->pixels != nullptr && cursor->width > 0 && cursor->height > 0)
    {
        composed.assign(pixels, pixels + static_cast<size_t>(width) * height);
        int x0 = std::max(cursor->x, 0);
        int y0 = std::max(cursor->y, 0);
        int x1 = std::min(cursor->x + cursor->width, width);
        int y1 = std::min(cursor->y + cursor->height, height);
        for (int y = y0; y < y1; ++y)
        {
            const uint32_t* from = cursor->pixels + static_cast<size_t>(y - cursor->y) * cursor->width;
            uint32_t* to = composed.data() + static_cast<size_t>(y) * width;
            for (int x = x0; x < x1; ++x)
            {
                uint32_t s = from[x - cursor->x];
                uint32_t alpha = s >> 24;
                if (alpha == 0)
                    continue;
                uint32_t d = to[x];
                uint32_t out = 0xFF000000u;
                for (int shift = 0; shift < 24; shift += 8)
                {
                    uint32_t sc = (s >> shift) & 0xFF;
                    uint32_t dc = (d >> shift) & 0xFF;
                    out |= ((sc * alpha + dc * (255 - alpha) + 127) / 255) << shift;
                }
                to[x] = out;
            }
        }
        source = composed.data();
    }
    if (keepPresentedFrame)
        presentedFrame.assign(source, source + static_cast<size_t>(width) * height);

    if (SDL_UpdateTexture(texture, nullptr, source, width * 4) != 0)
    {
        errorText = SDL_GetError();
        return false;
    }
    int outputWidth = 0;
    int outputHeight = 0;
    if (SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight) != 0)
    {
        errorText = SDL_GetError();
        return false;
    }
    SDL_Rect destination{0, 0, outputWidth, outputHeight};
    int scaledHeight = static_cast<int>(static_cast<int64_t>(outputWidth) * height / width);
    if (scaledHeight <= outputHeight)
    {
        destination.h = scaledHeight;
        destination.y = (outputHeight - scaledHeight) / 2;
    }
    else
    {
        destination.w = static_cast<int>(static_cast<int64_t>(outputHeight) * width / height);
        destination.x = (outputWidth - destination.w) / 2;
    }
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    if (SDL_RenderCopy(renderer, texture, nullptr, &destination) != 0)
    {
        errorText = SDL_GetError();
        return false;
    }
    SDL_RenderPresent(renderer);
    return true;
}

void Window::SetBuiltInCursor(CursorShape shape, const char* const* rows, int hotX, int hotY)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return;
    Uint8 data[32 * 4] = {};
    Uint8 mask[32 * 4] = {};
    for (int y = 0; y < 32; ++y)
    {
        const char* row = rows[y];
        for (int x = 0; x < 32 && row[x] != '\0'; ++x)
        {
            Uint8 bit = static_cast<Uint8>(0x80 >> (x % 8));
            if (row[x] == 'X')
            {
                data[y * 4 + x / 8] |= bit;
                mask[y * 4 + x / 8] |= bit;
            }
            else if (row[x] == '.')
                mask[y * 4 + x / 8] |= bit;
        }
    }
    SDL_Cursor* cursor = SDL_CreateCursor(data, mask, 32, 32, hotX, hotY);
    if (cursor == nullptr)
        return;
    size_t index = static_cast<size_t>(shape);
    if (cursors[index] != nullptr)
        SDL_FreeCursor(cursors[index]);
    cursors[index] = cursor;
    if (shape == currentShape && shownPictureCursor < 0)
        SDL_SetCursor(cursor);
}

bool Window::SetPictureCursor(int number, const uint32_t* pixels, int width, int height, int hotX, int hotY)
{
    if (auto kept = pictureCursors.find(number); kept != pictureCursors.end())
    {
        // Freeing the shown cursor puts the system's default in its place.
        if (shownPictureCursor == number)
            shownPictureCursor = -1;
        SDL_FreeCursor(kept->second);
        pictureCursors.erase(kept);
    }
    if (pixels == nullptr || width <= 0 || height <= 0 || SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return false;

    // In full screen the pointer is as large as the scaled picture makes the game's own cursor.
    int scaledWidth = width;
    int scaledHeight = height;
    IntRect picture = GetPictureRect();
    if (fullScreen && logicalWidth > 0 && picture.width > logicalWidth)
    {
        scaledWidth = static_cast<int>(static_cast<int64_t>(width) * picture.width / logicalWidth);
        scaledHeight = static_cast<int>(static_cast<int64_t>(height) * picture.width / logicalWidth);
    }
    std::vector<uint32_t> scaled(static_cast<size_t>(scaledWidth) * scaledHeight);
    for (int y = 0; y < scaledHeight; ++y)
    {
        const uint32_t* row = pixels + static_cast<size_t>(y * height / scaledHeight) * width;
        for (int x = 0; x < scaledWidth; ++x)
            scaled[static_cast<size_t>(y) * scaledWidth + x] = row[x * width / scaledWidth];
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(scaled.data(), scaledWidth, scaledHeight, 32,
                                                              scaledWidth * 4, SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr)
        return false;
    int spotX = std::clamp(hotX * scaledWidth / width, 0, scaledWidth - 1);
    int spotY = std::clamp(hotY * scaledHeight / height, 0, scaledHeight - 1);
    SDL_Cursor* cursor = SDL_CreateColorCursor(surface, spotX, spotY);
    SDL_FreeSurface(surface);
    if (cursor == nullptr)
        return false;
    pictureCursors[number] = cursor;
    return true;
}

bool Window::ShowPictureCursor(int number)
{
    auto kept = pictureCursors.find(number);
    if (kept == pictureCursors.end())
        return false;
    SDL_SetCursor(kept->second);
    SDL_ShowCursor(SDL_ENABLE);
    shownPictureCursor = number;
    return true;
}

void Window::SetCursorShape(CursorShape shape)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return;
    currentShape = shape;
    shownPictureCursor = -1;
    if (shape == CursorShape::None)
    {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    size_t index = static_cast<size_t>(shape);
    if (cursors[index] == nullptr)
        cursors[index] = SDL_CreateSystemCursor(SystemCursorFor(shape));
    if (cursors[index] != nullptr)
        SDL_SetCursor(cursors[index]);
    SDL_ShowCursor(SDL_ENABLE);
}

void Window::CaptureMouse(bool capture)
{
    if (window != nullptr)
        SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
}

void Window::SetPointerOverride(bool active, bool inside, int x, int y)
{
    pointerOverride = {active, inside, x, y};
}

bool Window::SimulateKey(int32_t sdlKey, bool down, int sdlModifiers)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return false;
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = sdlKey;
    event.key.keysym.mod = static_cast<Uint16>(sdlModifiers);
    return SDL_PushEvent(&event) == 1;
}

bool Window::SimulateText(const std::string& utf8)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || utf8.size() >= sizeof(SDL_TextInputEvent::text))
        return false;
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::memcpy(event.text.text, utf8.data(), utf8.size());
    return SDL_PushEvent(&event) == 1;
}

bool Window::QueryPointer(int& x, int& y) const
{
    if (pointerOverride.active)
    {
        x = pointerOverride.x;
        y = pointerOverride.y;
        return pointerOverride.inside;
    }
    x = y = 0;
    if (window == nullptr || SDL_GetMouseFocus() != window)
        return false;
    SDL_GetMouseState(&x, &y);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window, &width, &height);
    return x >= 0 && y >= 0 && x < width && y < height;
}

void Window::SetTimer(uint32_t periodMs)
{
    timerPeriod = periodMs;
    lastTimer = Clock::LoopNow();
}

void Window::QueueKey(bool down, int keyCode, bool repeat)
{
    bool system = altHeld && !ctrlHeld;
    if (keyCode == KEYCODE_MENU || keyCode == KEYCODE_F10)
        system = true;
    WindowMessage message;
    message.message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    message.wParam = static_cast<uint64_t>(keyCode);
    message.lParam = (repeat ? (1LL << 30) : 0) | (down ? 0 : (3LL << 30)) | 1;
    pending.push_back(message);
    if (!down)
        return;

    // Characters the window system types for keys that give no text.
    int character = 0;
    if (keyCode == KEYCODE_BACK || keyCode == KEYCODE_TAB || keyCode == KEYCODE_RETURN || keyCode == KEYCODE_ESCAPE)
        character = keyCode;
    else if (ctrlHeld && !altHeld && keyCode >= 'A' && keyCode <= 'Z')
        character = keyCode - 'A' + 1;
    if (character != 0)
        pending.push_back({0, system ? WM_SYSCHAR : WM_CHAR, static_cast<uint64_t>(character), 1});
}

void Window::TranslateEvent(const void* data)
{
    const SDL_Event& event = *static_cast<const SDL_Event*>(data);
    auto buttonsParam = [&]()
    {
        Uint32 state = SDL_GetMouseState(nullptr, nullptr);
        uint64_t bits = 0;
        if (state & SDL_BUTTON_LMASK)
            bits |= MK_LBUTTON;
        if (state & SDL_BUTTON_RMASK)
            bits |= MK_RBUTTON;
        if (state & SDL_BUTTON_MMASK)
            bits |= MK_MBUTTON;
        SDL_Keymod mods = SDL_GetModState();
        if (mods & KMOD_SHIFT)
            bits |= MK_SHIFT;
        if (mods & KMOD_CTRL)
            bits |= MK_CONTROL;
        return bits;
    };

    switch (event.type)
    {
    case SDL_QUIT:
        pending.push_back({0, WM_CLOSE, 0, 0});
        break;
    case SDL_WINDOWEVENT:
        switch (event.window.event)
        {
        case SDL_WINDOWEVENT_MOVED:
            pending.push_back({0, WM_MOVE, 0, MakePointParam(event.window.data1, event.window.data2)});
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            pending.push_back({0, WM_SIZE, SIZE_MINIMIZED, 0});
            break;
        case SDL_WINDOWEVENT_MAXIMIZED:
            pending.push_back({0, WM_SIZE, SIZE_MAXIMIZED, 0});
            break;
        case SDL_WINDOWEVENT_RESTORED:
            pending.push_back({0, WM_SIZE, SIZE_RESTORED, MakePointParam(logicalWidth, logicalHeight)});
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            pending.push_back({0, WM_ACTIVATEAPP, 1, 0});
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            altHeld = ctrlHeld = false;
            pending.push_back({0, WM_ACTIVATEAPP, 0, 0});
            break;
        case SDL_WINDOWEVENT_CLOSE:
            pending.push_back({0, WM_CLOSE, 0, 0});
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            pending.push_back({0, WM_PAINT, 0, 0});
            break;
        default:
            break;
        }
        break;
    case SDL_DISPLAYEVENT:
        pending.push_back({0, WM_DISPLAYCHANGE, 32, 0});
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    {
        bool down = event.type == SDL_KEYDOWN;
        int keyCode = KeyCodeFromSdl(event.key.keysym.sym);
        if (keyCode == KEYCODE_MENU)
            altHeld = down;
        if (keyCode == KEYCODE_CONTROL)
            ctrlHeld = down;
        if (keyCode != KEYCODE_UNKNOWN)
            QueueKey(down, keyCode, event.key.repeat != 0);
        break;
    }
    case SDL_TEXTINPUT:
        for (int character : Latin1FromUtf8(event.text.text))
            pending.push_back({0, (altHeld && !ctrlHeld) ? WM_SYSCHAR : WM_CHAR, static_cast<uint64_t>(character), 1});
        break;
    case SDL_MOUSEMOTION:
        pending.push_back({0, WM_MOUSEMOVE, buttonsParam(), MakePointParam(event.motion.x, event.motion.y)});
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    {
        bool down = event.type == SDL_MOUSEBUTTONDOWN;
        bool twice = down && event.button.clicks >= 2 && event.button.clicks % 2 == 0;
        uint32_t message = 0;
        switch (event.button.button)
        {
        case SDL_BUTTON_LEFT:
            message = down ? (twice ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP;
            break;
        case SDL_BUTTON_RIGHT:
            message = down ? (twice ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN) : WM_RBUTTONUP;
            break;
        case SDL_BUTTON_MIDDLE:
            message = down ? (twice ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN) : WM_MBUTTONUP;
            break;
        default:
            return;
        }
        pending.push_back({0, message, buttonsParam(), MakePointParam(event.button.x, event.button.y)});
        break;
    }
    case SDL_MOUSEWHEEL:
    {
        int notches = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            notches = -notches;
        if (notches == 0)
            break;
        int x = 0;
        int y = 0;
        SDL_GetMouseState(&x, &y);
        uint64_t delta = static_cast<uint16_t>(static_cast<int16_t>(std::clamp(notches * 120, -32768, 32767)));
        pending.push_back({0, WM_MOUSEWHEEL, (delta << 16) | buttonsParam(), MakePointParam(x, y)});
        break;
    }
    default:
        break;
    }
}

bool Window::PollMessage(WindowMessage& message)
{
    if (pending.empty() && SDL_WasInit(SDL_INIT_VIDEO) != 0)
    {
        SDL_Event event;
        while (pending.empty() && SDL_PollEvent(&event))
            TranslateEvent(&event);
    }
    if (pending.empty() && timerPeriod > 0)
    {
        uint32_t now = Clock::LoopNow();
        if (now - lastTimer >= timerPeriod)
        {
            lastTimer = now;
            pending.push_back({0, WM_TIMER, 100, 0});
        }
    }
    if (pending.empty())
        return false;
    message = pending.front();
    pending.pop_front();
    return true;
}

} // namespace Vesk::Platform
