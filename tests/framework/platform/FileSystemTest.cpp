#include "framework/platform/FileSystem.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace Vesk::Platform
{

namespace
{

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

int ModeOf(const std::filesystem::path& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 0777) : -1;
}

} // namespace

TEST(FileSystemTest, AtomicWriteCreatesFoldersReplacesContentAndKeepsTheMode)
{
    TestSupport::TempFolder temp;
    std::filesystem::path file = temp / "players/anna/save.dat";
    ASSERT_TRUE(WriteFileAtomically(file, Bytes("first")));
    EXPECT_EQ(temp.ReadFile("players/anna/save.dat"), "first");
    EXPECT_EQ(ModeOf(file), 0644);

    ::chmod(file.c_str(), 0600);
    ASSERT_TRUE(WriteFileAtomically(file, Bytes("second, longer")));
    EXPECT_EQ(temp.ReadFile("players/anna/save.dat"), "second, longer");
    EXPECT_EQ(ModeOf(file), 0600);

    // Nothing but the file is left in its folder.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(file.parent_path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(FileSystemTest, FailedAtomicWriteKeepsThePreviousFileAndLeavesNoTemporary)
{
    TestSupport::TempFolder temp;
    temp.WriteFile("data/save.dat", "precious");
    // A folder where the file should go cannot be replaced by a file.
    std::filesystem::create_directories(temp / "data/blocked");
    EXPECT_FALSE(WriteFileAtomically(temp / "data/blocked", Bytes("new")));
    EXPECT_EQ(temp.ReadFile("data/save.dat"), "precious");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(temp / "data"))
        ++entries;
    EXPECT_EQ(entries, 2);

    // A path below a file cannot be created at all.
    EXPECT_FALSE(WriteFileAtomically(temp / "data/save.dat/inner", Bytes("new")));
    EXPECT_EQ(temp.ReadFile("data/save.dat"), "precious");
}

TEST(FileSystemTest, XdgHomesFollowTheEnvironment)
{
    TestSupport::TempFolder temp;
    EXPECT_EQ(ConfigHome(), temp / "config");
    EXPECT_EQ(DataHome(), temp / "share");
    const char* home = std::getenv("HOME");
    std::string previousHome = home != nullptr ? home : "";
    ::setenv("XDG_DATA_HOME", "relative/is/ignored", 1);
    ::setenv("HOME", "/home/tester", 1);
    EXPECT_EQ(DataHome(), std::filesystem::path("/home/tester/.local/share"));
    ::setenv("HOME", previousHome.c_str(), 1);
}

} // namespace Vesk::Platform
