#include "framework/platform/MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace Vesk::Platform
{

namespace
{

std::mutex handlerMutex;
MessageBoxHandler installedHandler;

bool DisplayAvailable()
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0))
        return false;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && x11[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
}

} // namespace

void SetMessageBoxHandler(MessageBoxHandler handler)
{
    std::lock_guard<std::mutex> lock(handlerMutex);
    installedHandler = std::move(handler);
}

int DefaultMessageBoxAnswer(int flags)
{
    int buttons = flags & 0xF;
    int defaultIndex = (flags & MB_DEFBUTTON3) ? 2 : (flags & MB_DEFBUTTON2) ? 1 : 0;
    switch (buttons)
    {
    case MB_OKCANCEL:
        return defaultIndex == 0 ? IDOK : IDCANCEL;
    case MB_YESNO:
        return defaultIndex == 0 ? IDYES : IDNO;
    case MB_YESNOCANCEL:
        return defaultIndex == 0 ? IDYES : defaultIndex == 1 ? IDNO : IDCANCEL;
    default:
        return IDOK;
    }
}

int ShowMessageBox(const std::string& text, const std::string& caption, int flags)
{
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);

    MessageBoxHandler handler;
    {
        std::lock_guard<std::mutex> lock(handlerMutex);
        handler = installedHandler;
    }
    if (handler)
        return handler(text, caption, flags);
    if (!DisplayAvailable())
        return DefaultMessageBoxAnswer(flags);

    std::vector<SDL_MessageBoxButtonData> buttons;
    int defaultAnswer = DefaultMessageBoxAnswer(flags);
    auto add = [&](int id, const char* label)
    {
        Uint32 buttonFlags = 0;
        if (id == defaultAnswer)
            buttonFlags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (id == IDCANCEL || (id == IDNO && (flags & 0xF) == MB_YESNO))
            buttonFlags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        buttons.push_back({buttonFlags, id, label});
    };
    switch (flags & 0xF)
    {
    case MB_OKCANCEL:
        add(IDOK, "OK");
        add(IDCANCEL, "Cancel");
        break;
    case MB_YESNO:
        add(IDYES, "Yes");
        add(IDNO, "No");
        break;
    case MB_YESNOCANCEL:
        add(IDYES, "Yes");
        add(IDNO, "No");
        add(IDCANCEL, "Cancel");
        break;
    default:
        add(IDOK, "OK");
        break;
    }

    Uint32 kind = SDL_MESSAGEBOX_INFORMATION;
    int icon = flags & 0xF0;
    if (icon == MB_ICONERROR)
        kind = SDL_MESSAGEBOX_ERROR;
    else if (icon == MB_ICONWARNING)
        kind = SDL_MESSAGEBOX_WARNING;

    SDL_MessageBoxData data{};
    data.flags = kind;
    data.window = nullptr;
    data.title = caption.c_str();
    data.message = text.c_str();
    data.numbuttons = static_cast<int>(buttons.size());
    data.buttons = buttons.data();
    int answer = defaultAnswer;
    if (SDL_ShowMessageBox(&data, &answer) != 0)
        return defaultAnswer;
    return answer < 0 ? defaultAnswer : answer;
}

} // namespace Vesk::Platform
