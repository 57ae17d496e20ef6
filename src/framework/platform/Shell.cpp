#include "framework/platform/Shell.h"

#include <SDL.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace Vesk::Platform
{

int OpenURL(const std::string& url)
{
    if (url.empty())
        return 2;
    return SDL_OpenURL(url.c_str()) == 0 ? 42 : 2;
}

bool StartProgram(const std::string& path)
{
    std::string file = path;
    for (char& c : file)
    {
        if (c == '\\')
            c = '/';
    }
    if (file.empty() || ::access(file.c_str(), X_OK) != 0)
        return false;
    pid_t pid = 0;
    char* argv[] = {file.data(), nullptr};
    if (::posix_spawn(&pid, file.c_str(), nullptr, nullptr, argv, environ) != 0)
        return false;
    // Not waited for: the program runs on after the game has ended.
    return true;
}

std::string GetClipboardText()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return std::string();
    char* text = SDL_GetClipboardText();
    if (text == nullptr)
        return std::string();
    std::string result = text;
    SDL_free(text);
    return result;
}

bool SetClipboardText(const std::string& text)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return false;
    return SDL_SetClipboardText(text.c_str()) == 0;
}

} // namespace Vesk::Platform
