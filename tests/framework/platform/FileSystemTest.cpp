#include "framework/platform/FileSystem.h"

#include "support/KilledWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
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

TEST(FileSystemTest, WriterKilledAtAnyMomentLeavesTheOldOrTheNewFileWhole)
{
    TestSupport::TempFolder temp;
    std::filesystem::path file = temp / "players/anna/save.dat";
    std::vector<uint8_t> first(2 << 20);
    std::vector<uint8_t> second(first.size());
    for (size_t i = 0; i < first.size(); ++i)
    {
        first[i] = static_cast<uint8_t>(i * 7 + 1);
        second[i] = static_cast<uint8_t>(~first[i]);
    }
    auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(WriteFileAtomically(file, first));
    auto oneWrite = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);

    for (int moment = 0; moment < 6; ++moment)
    {
        // Kills land across the first write and into the second.
        auto write = [&]
        {
            (void)WriteFileAtomically(file, second);
            (void)WriteFileAtomically(file, first);
        };
        ASSERT_TRUE(TestSupport::KillWriterAfter(write, oneWrite * moment / 4));
        std::vector<uint8_t> now;
        ASSERT_TRUE(ReadWholeFile(file, now)) << "moment " << moment;
        EXPECT_TRUE(now == first || now == second) << "moment " << moment << ": " << now.size() << " bytes";
    }

    // What the kills left behind are temporaries of names of their own, never save.dat.
    int temporariesLeft = 0;
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path()))
    {
        std::string name = entry.path().filename().string();
        if (name == "save.dat")
            continue;
        EXPECT_EQ(name.rfind("save.dat.", 0), 0u) << name;
        ++temporariesLeft;
    }
    EXPECT_GT(temporariesLeft, 0) << "some kill should have caught a write half done";
}

TEST(FileSystemTest, KeepBesideKeepsEveryEarlierCopy)
{
    TestSupport::TempFolder temp;
    EXPECT_TRUE(NothingAt(temp / "save.dat"));
    EXPECT_TRUE(NothingAt(temp / "save.dat/inner"));
    EXPECT_TRUE(KeepBeside(temp / "save.dat", ".old")) << "nothing to keep";
    EXPECT_FALSE(temp.Exists("save.dat.old"));

    temp.WriteFile("save.dat", "first");
    ASSERT_TRUE(KeepBeside(temp / "save.dat", ".old"));
    EXPECT_EQ(temp.ReadFile("save.dat"), "first") << "the file stays until it is replaced";
    ASSERT_TRUE(WriteFileAtomically(temp / "save.dat", Bytes("second")));
    ASSERT_TRUE(KeepBeside(temp / "save.dat", ".old"));
    EXPECT_EQ(temp.ReadFile("save.dat.old"), "first");
    EXPECT_EQ(temp.ReadFile("save.dat.old.2"), "second");

    // A folder cannot be linked: it is moved aside.
    std::filesystem::create_directories(temp / "blocked/inner");
    EXPECT_FALSE(NothingAt(temp / "blocked"));
    ASSERT_TRUE(KeepBeside(temp / "blocked", ".unreadable"));
    EXPECT_TRUE(std::filesystem::is_directory(temp / "blocked.unreadable/inner"));
    EXPECT_TRUE(NothingAt(temp / "blocked"));
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
