#include "framework/platform/SettingsStore.h"

#include "framework/platform/FileSystem.h"
#include "support/KilledWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>

namespace Vesk::Platform
{

namespace
{

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

} // namespace

TEST(SettingsStoreTest, KeepsTypedValuesAndSubkeysAcrossInstances)
{
    TestSupport::TempFolder temp;
    std::filesystem::path file = SettingsStore::FileForKey("Dranvik Games\\Vellinor");
    EXPECT_EQ(file, temp.Path() / "config" / "Dranvik Games" / "Vellinor");

    SettingsStore store(file);
    ASSERT_TRUE(store.Write("PlayerName", SettingType::String, Bytes("Anna \\ \"Tab\"\t\xe9")));
    ASSERT_TRUE(store.Write("MusicVolume", SettingType::Integer, {85, 0, 0, 0}));
    ASSERT_TRUE(store.Write("Test3D\\Result", SettingType::Binary, {0, 1, 0xFF}));
    ASSERT_TRUE(store.Write("Negative", SettingType::Integer, {0xFF, 0xFF, 0xFF, 0xFF}));

    SettingsStore again(file);
    SettingType type;
    std::vector<uint8_t> data;
    ASSERT_TRUE(again.Read("playername", type, data)); // names compare without case
    EXPECT_EQ(type, SettingType::String);
    EXPECT_EQ(data, Bytes("Anna \\ \"Tab\"\t\xe9"));
    ASSERT_TRUE(again.Read("MusicVolume", type, data));
    EXPECT_EQ(type, SettingType::Integer);
    EXPECT_EQ(data, (std::vector<uint8_t>{85, 0, 0, 0}));
    ASSERT_TRUE(again.Read("TEST3D\\result", type, data));
    EXPECT_EQ(type, SettingType::Binary);
    EXPECT_EQ(data, (std::vector<uint8_t>{0, 1, 0xFF}));
    ASSERT_TRUE(again.Read("Negative", type, data));
    EXPECT_EQ(data, (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));

    EXPECT_TRUE(again.Erase("MusicVolume"));
    EXPECT_FALSE(again.Erase("MusicVolume"));
    EXPECT_FALSE(store.Read("MusicVolume", type, data));
    EXPECT_FALSE(store.Read("Missing", type, data));
}

TEST(SettingsStoreTest, DamagedFileReadsAsEmptyAndIsKeptBesideBeforeAWrite)
{
    TestSupport::TempFolder temp;
    temp.WriteFile("settings", "# header\nsz\tPlayerName\tAnna\ndword\tBroken\tnot-a-number\n");
    SettingsStore store(temp / "settings");
    SettingType type;
    std::vector<uint8_t> data;
    EXPECT_FALSE(store.Read("PlayerName", type, data));

    ASSERT_TRUE(store.Write("SfxVolume", SettingType::Integer, {50, 0, 0, 0}));
    EXPECT_EQ(temp.ReadFile("settings.damaged"), "# header\nsz\tPlayerName\tAnna\ndword\tBroken\tnot-a-number\n");
    EXPECT_TRUE(store.Read("SfxVolume", type, data));
    EXPECT_FALSE(store.Read("PlayerName", type, data));
}

TEST(SettingsStoreTest, TruncatedFileCountsAsDamaged)
{
    TestSupport::TempFolder temp;
    temp.WriteFile("settings", "sz\tPlayerName\tAnna\nsz\tAllPla");
    SettingsStore store(temp / "settings");
    SettingType type;
    std::vector<uint8_t> data;
    EXPECT_FALSE(store.Read("PlayerName", type, data));
}

// A damaged file is replaced by the first write after it; a kill at any moment of that write
// or of the next must leave the damaged file, or a whole new one with the damaged file kept.
TEST(SettingsStoreTest, WriterKilledAtAnyMomentLeavesTheOldOrTheNewSettingsWhole)
{
    TestSupport::TempFolder temp;
    const std::string damaged = "sz\tPlayerName\tAnna\nsz\tAllPla";
    std::vector<uint8_t> first(1 << 20, 0x5A);
    std::vector<uint8_t> second(1 << 20, 0xA5);

    // The two whole files the writer produces, and how long the first write takes.
    std::string firstText;
    std::string secondText;
    std::chrono::microseconds oneWrite{};
    {
        temp.WriteFile("sample", damaged);
        SettingsStore sample(temp / "sample");
        auto started = std::chrono::steady_clock::now();
        ASSERT_TRUE(sample.Write("Blob", SettingType::Binary, first));
        oneWrite = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
        firstText = temp.ReadFile("sample");
        ASSERT_TRUE(sample.Write("Blob", SettingType::Binary, second));
        secondText = temp.ReadFile("sample");
    }

    for (int moment = 0; moment < 6; ++moment)
    {
        std::filesystem::path folder = temp / ("run" + std::to_string(moment));
        std::filesystem::path file = folder / "settings";
        temp.WriteFile("run" + std::to_string(moment) + "/settings", damaged);
        auto write = [&]
        {
            SettingsStore store(file);
            (void)store.Write("Blob", SettingType::Binary, first);
            (void)store.Write("Blob", SettingType::Binary, second);
        };
        ASSERT_TRUE(TestSupport::KillWriterAfter(write, oneWrite * moment / 4));

        std::vector<uint8_t> bytes;
        ASSERT_TRUE(ReadWholeFile(file, bytes)) << "moment " << moment << ": the settings file is gone";
        std::string now(bytes.begin(), bytes.end());
        if (now == damaged)
            continue;
        EXPECT_TRUE(now == firstText || now == secondText) << "moment " << moment << ": " << now.size() << " bytes";
        std::vector<uint8_t> kept;
        EXPECT_TRUE(ReadWholeFile(folder / "settings.damaged", kept));
        EXPECT_EQ(std::string(kept.begin(), kept.end()), damaged) << "moment " << moment;
    }
}

} // namespace Vesk::Platform
