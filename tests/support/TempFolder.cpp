#include "support/TempFolder.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace Vesk::TestSupport
{

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orlo-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    path = pattern;
    previousDirectory = std::filesystem::current_path();
    std::filesystem::current_path(path);

    if (const char* value = std::getenv("XDG_CONFIG_HOME"))
    {
        hadConfigHome = true;
        previousConfigHome = value;
    }
    if (const char* value = std::getenv("XDG_DATA_HOME"))
    {
        hadDataHome = true;
        previousDataHome = value;
    }
    ::setenv("XDG_CONFIG_HOME", (path / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (path / "share").c_str(), 1);
}

TempFolder::~TempFolder()
{
    std::error_code error;
    std::filesystem::current_path(previousDirectory, error);
    if (hadConfigHome)
        ::setenv("XDG_CONFIG_HOME", previousConfigHome.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    if (hadDataHome)
        ::setenv("XDG_DATA_HOME", previousDataHome.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    std::filesystem::remove_all(path, error);
}

void TempFolder::WriteFile(const std::string& relativePath, const std::string& content) const
{
    WriteFile(relativePath, std::vector<unsigned char>(content.begin(), content.end()));
}

void TempFolder::WriteFile(const std::string& relativePath, const std::vector<unsigned char>& content) const
{
    std::filesystem::path file = path / relativePath;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
}

std::string TempFolder::ReadFile(const std::string& relativePath) const
{
    std::ifstream in(path / relativePath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempFolder::Exists(const std::string& relativePath) const
{
    std::error_code error;
    return std::filesystem::exists(path / relativePath, error);
}

} // namespace Vesk::TestSupport
