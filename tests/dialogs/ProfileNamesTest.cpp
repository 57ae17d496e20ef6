#include "dialogs/ProfileNames.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace Vesk::Profile
{
namespace
{

using Names = std::vector<std::string>;
using TestSupport::TempFolder;

TEST(ProfileNames, TypedNamesAreTrimmedCutAndKeptFreeOfTheSeparator)
{
    EXPECT_EQ(ProfileNames::CleanName("  Anna \t", 20), "Anna");
    EXPECT_EQ(ProfileNames::CleanName("Annabelle", 5), "Annab");
    EXPECT_EQ(ProfileNames::CleanName("Ann  belle", 5), "Ann") << "no blank left at the cut";
    EXPECT_EQ(ProfileNames::CleanName("   ", 5), "");
    EXPECT_EQ(ProfileNames::CleanName("Zo\xE9", 0), "Zo\xE9");
    EXPECT_TRUE(ProfileNames::IsAcceptable("a.b/c"));
    EXPECT_FALSE(ProfileNames::IsAcceptable("A|B"));
    EXPECT_FALSE(ProfileNames::IsAcceptable(""));
}

TEST(ProfileNames, TheStoredListDropsItsIndexEmptyFieldsAndAnUnfinishedName)
{
    EXPECT_EQ(ProfileNames::Parse("1|Anna|Ben|"), (Names{"Anna", "Ben"}));
    EXPECT_EQ(ProfileNames::Parse("0||Anna||"), (Names{"Anna"})) << "a nameless player would own players/";
    EXPECT_EQ(ProfileNames::Parse("0|Anna|Ben"), (Names{"Anna"}));
    EXPECT_EQ(ProfileNames::Parse(""), Names{});
    EXPECT_EQ(ProfileNames::Format(1, {"Anna", "Ben"}), "1|Anna|Ben|");
    EXPECT_EQ(ProfileNames::Format(-1, {}), "-1|");

    // "9|" and 1013 characters of names with their separators: 1015 in all, and the index can
    // reach two digits.
    Names names(9, std::string(111, 'x'));
    names.push_back(std::string(ProfileNames::kLongestList - 3 - 9 * 112 - 1, 'y'));
    EXPECT_EQ(ProfileNames::Format(int(names.size()), names).size(), ProfileNames::kLongestList);
    EXPECT_TRUE(ProfileNames::Fits(names));
    names.back() += 'y';
    EXPECT_FALSE(ProfileNames::Fits(names));
}

TEST(ProfileNames, DeletingAPlayerRemovesOnlyThatPlayersFolder)
{
    TempFolder folder;
    const std::string data = folder.Path().string() + "/";
    for (const char* player : {"players/a_fb/save.dat", "players/a_bb/save.dat", "players/Ben/save.dat",
                               "players/__f/save.dat", "outside/keep.txt"})
        folder.WriteFile(player, "progress");
    std::filesystem::create_directory_symlink(folder / "outside", folder / "players/Linked");
    folder.WriteFile("players/Ben/inner/file", "x");
    std::filesystem::create_directory_symlink(folder / "outside", folder / "players/Ben/inner/out");

    for (const char* dangerous : {"", ".", "..", "/", "Nobody"})
        EXPECT_FALSE(ProfileNames::DeletePlayerFolder(data, dangerous, {})) << '"' << dangerous << '"';
    EXPECT_FALSE(ProfileNames::DeletePlayerFolder(data, "Ben", {"Ben"})) << "a folder another player still uses";

    EXPECT_TRUE(ProfileNames::DeletePlayerFolder(data, "a/b", {"a.b"}));
    EXPECT_FALSE(folder.Exists("players/a_bb"));
    EXPECT_TRUE(folder.Exists("players/a_fb/save.dat"));
    EXPECT_TRUE(folder.Exists("players/__f/save.dat")) << "\"_.\" is not \"a.b\"";

    EXPECT_TRUE(ProfileNames::DeletePlayerFolder(data, "Linked", {}));
    EXPECT_TRUE(ProfileNames::DeletePlayerFolder(data, "Ben", {}));
    EXPECT_FALSE(folder.Exists("players/Ben"));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(folder / "players/Linked")));
    EXPECT_EQ(folder.ReadFile("outside/keep.txt"), "progress") << "links are never followed";
    EXPECT_TRUE(folder.Exists("players/a_fb/save.dat"));
}

} // namespace
} // namespace Vesk::Profile
