#pragma once

#include <filesystem>
#include <string>

namespace Vesk::Platform
{

// Keeps a second copy of the game from running: an exclusive lock (flock) on a file named after
// the product in $XDG_RUNTIME_DIR (or the given fallback folder). The lock goes with the process,
// so a crash never leaves a stale lock behind.
class InstanceLock
{
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this process now holds the lock; false when another process holds it. When the
    // lock file cannot be made at all the game runs anyway (true).
    bool Acquire(const std::string& name, const std::filesystem::path& fallbackFolder);
    void Release();
    bool IsHeld() const { return fd >= 0; }
    const std::filesystem::path& GetFile() const { return file; }

private:
    int fd = -1;
    std::filesystem::path file;
};

} // namespace Vesk::Platform
