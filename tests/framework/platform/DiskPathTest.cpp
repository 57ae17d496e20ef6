#include "framework/platform/DiskPath.h"

#include "framework/platform/DirectoryFind.h"
#include "framework/platform/MappedFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Vesk::Platform
{
namespace
{

using TestSupport::TempFolder;

TEST(DiskPathTest, ComponentsAreFoundWithoutCase)
{
    TempFolder folder;
    folder.WriteFile("Images/Local/Page3.lng", "x");

    EXPECT_EQ(ToDiskPath("Images/Local/Page3.lng"), "Images/Local/Page3.lng");
    EXPECT_EQ(ToDiskPath("images\\local\\PAGE3.LNG"), "Images/Local/Page3.lng");
    EXPECT_EQ(ToDiskPath("./IMAGES//local/page3.lng"), "./Images/Local/Page3.lng");
    std::string absolute = folder.Path().string() + "/images/LOCAL/page3.lng";
    EXPECT_EQ(ToDiskPath(absolute), folder.Path().string() + "/Images/Local/Page3.lng");
    // What does not exist keeps its spelling below the folders that do.
    EXPECT_EQ(ToDiskPath("images\\NEW\\File.txt"), "Images/NEW/File.txt");
    EXPECT_EQ(ToDiskPath(""), "");
}

TEST(DiskPathTest, DirectoryFindMatchesWildcardsInNameOrder)
{
    TempFolder folder;
    folder.WriteFile("Levels/b.TXT", "bb");
    folder.WriteFile("Levels/a.txt", "a");
    folder.WriteFile("Levels/readme", "r");
    folder.WriteFile("Levels/Sub/c.txt", "c");

    auto names = [](const std::string& pattern)
    {
        std::vector<std::string> found;
        DirectoryFind find;
        if (!find.First(pattern))
            return found;
        do
            found.push_back(find.Current().name + (find.Current().isFolder ? "/" : ""));
        while (find.Next());
        return found;
    };
    EXPECT_EQ(names("levels\\*.txt"), (std::vector<std::string>{"a.txt", "b.TXT"}));
    EXPECT_EQ(names("LEVELS/*"), (std::vector<std::string>{"Sub/", "a.txt", "b.TXT", "readme"}));
    EXPECT_EQ(names("levels/*.*"), (std::vector<std::string>{"Sub/", "a.txt", "b.TXT", "readme"}));
    EXPECT_EQ(names("levels/?.txt"), (std::vector<std::string>{"a.txt", "b.TXT"}));
    EXPECT_EQ(names("levels/README"), (std::vector<std::string>{"readme"}));
    EXPECT_EQ(names("levels/*.png"), std::vector<std::string>{});
    EXPECT_EQ(names("missing/*"), std::vector<std::string>{});

    DirectoryFind find;
    ASSERT_TRUE(find.First("levels/b.txt"));
    EXPECT_EQ(find.Current().size, 2u);
    EXPECT_GT(find.Current().writeTime, 116444736000000000ULL); // after 1970
    EXPECT_FALSE(find.Next());
}

TEST(DiskPathTest, MappedFilesShowTheWholeFile)
{
    TempFolder folder;
    folder.WriteFile("data.bin", std::string("abc\0def", 7));
    folder.WriteFile("empty.bin", "");

    MappedFile file;
    ASSERT_TRUE(file.Open("data.bin"));
    ASSERT_EQ(file.Size(), 7u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.Data()), file.Size()), std::string("abc\0def", 7));

    MappedFile moved = std::move(file);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(moved.Size(), 7u);

    ASSERT_TRUE(file.Open("empty.bin"));
    EXPECT_EQ(file.Size(), 0u);
    EXPECT_FALSE(file.Open("missing.bin"));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Open(".")); // a folder
}

} // namespace
} // namespace Vesk::Platform
