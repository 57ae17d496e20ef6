#include "framework/platform/InstanceLock.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

namespace Vesk::Platform
{

InstanceLock::~InstanceLock()
{
    Release();
}

bool InstanceLock::Acquire(const std::string& name, const std::filesystem::path& fallbackFolder)
{
    Release();
    std::filesystem::path folder = fallbackFolder;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && runtime[0] == '/')
        folder = runtime;
    std::string safeName;
    for (char c : name)
        safeName += (c == '/' || c == '\\' || c == ' ') ? '_' : c;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    file = folder / (safeName + ".lock");
    int handle = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (handle < 0)
        return true;
    if (::flock(handle, LOCK_EX | LOCK_NB) != 0)
    {
        ::close(handle);
        return false;
    }
    fd = handle;
    return true;
}

void InstanceLock::Release()
{
    if (fd >= 0)
    {
        ::flock(fd, LOCK_UN);
        ::close(fd);
    }
    fd = -1;
}

} // namespace Vesk::Platform
