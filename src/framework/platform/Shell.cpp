#include "framework/platform/Shell.h"

#include <SDL.h>

#include <cstdint>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace Vesk::Platform
{

namespace
{

// The game's texts are Latin-1 bytes; the system clipboard holds UTF-8. Characters beyond
// Latin-1 and broken sequences are dropped on the way in.
std::string Latin1FromUtf8(const std::string& text)
{
    std::string result;
    size_t i = 0;
    while (i < text.size())
    {
        auto lead = static_cast<unsigned char>(text[i]);
        size_t count = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (count == 0 || i + count > text.size())
        {
            ++i;
            continue;
        }
        uint32_t code = count == 1 ? lead : count == 2 ? (lead & 0x1Fu) : count == 3 ? (lead & 0x0Fu) : (lead & 0x07u);
        bool valid = true;
        for (size_t k = 1; k < count; ++k)
        {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                valid = false;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (!valid)
        {
            ++i;
            continue;
        }
        i += count;
        if (code <= 0xFF)
            result += static_cast<char>(code);
    }
    return result;
}

std::string Utf8FromLatin1(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text)
    {
        auto code = static_cast<unsigned char>(c);
        if (code < 0x80)
            result += c;
        else
        {
            result += static_cast<char>(0xC0 | (code >> 6));
            result += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return result;
}

} // namespace

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
    std::string result = Latin1FromUtf8(text);
    SDL_free(text);
    return result;
}

bool SetClipboardText(const std::string& text)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return false;
    return SDL_SetClipboardText(Utf8FromLatin1(text).c_str()) == 0;
}

} // namespace Vesk::Platform
