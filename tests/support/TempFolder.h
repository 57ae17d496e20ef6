#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace Vesk::TestSupport
{

// A fresh temporary folder for one test. While it lives it is the working directory, and the
// settings and data homes (XDG_CONFIG_HOME, XDG_DATA_HOME) point into it, so a test never
// touches the real user's files. Everything is removed and restored on destruction.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path; }
    std::filesystem::path operator/(const std::string& name) const { return path / name; }

    // Writes a file below the folder, creating its folders.
    void WriteFile(const std::string& relativePath, const std::string& content) const;
    void WriteFile(const std::string& relativePath, const std::vector<unsigned char>& content) const;
    std::string ReadFile(const std::string& relativePath) const;
    bool Exists(const std::string& relativePath) const;

private:
    std::filesystem::path path;
    std::filesystem::path previousDirectory;
    std::string previousConfigHome;
    std::string previousDataHome;
    bool hadConfigHome = false;
    bool hadDataHome = false;
};

} // namespace Vesk::TestSupport
