#include "framework/platform/SettingsStore.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

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

TEST(SettingsStoreTest, DamagedFileReadsAsEmptyAndIsMovedAsideBeforeAWrite)
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

} // namespace Vesk::Platform
