#include "framework/platform/Shell.h"

#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

namespace Vesk::Platform
{

bool OpenURL(const std::string& url)
{
    return SDL_OpenURL(url.c_str()) == 0;
}

bool StartProgram(const std::string& path)
{
    std::string program = path;
    std::replace(program.begin(), program.end(), '\\', '/');
    if (program.empty() || ::access(program.c_str(), X_OK) != 0)
        return false;

    // Two forks, so that the program is not our child and needs no waiting for.
    pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0)
    {
        ::setsid();
        pid_t grandchild = ::fork();
        if (grandchild == 0)
        {
            char* const arguments[] = {program.data(), nullptr};
            ::execv(program.c_str(), arguments);
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
    {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace Vesk::Platform
