#include "framework/resources/PakInterface.h"

#include "framework/resources/PakDirectory.h"
#include "support/ScopedPakInterface.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::ReadThroughPak;
using TestSupport::ScopedPakInterface;
using TestSupport::TempFolder;
using TestSupport::WritePakFile;

std::vector<int> ReadCharacters(PFILE* file)
{
    std::vector<int> characters;
    int c;
    while ((c = p_fgetc(file)) != -1)
        characters.push_back(c);
    return characters;
}

// The bytes of an archive as stored, for building damaged copies.
std::vector<uint8_t> Stored(const std::vector<uint8_t>& plain)
{
    std::vector<uint8_t> bytes = plain;
    for (uint8_t& byte : bytes)
        byte ^= PakDirectory::kKey;
    return bytes;
}

TEST(PakInterfaceTest, NamesMatchWithoutCaseSeparatorsOrCurrentFolderPrefix)
{
    TempFolder folder;
    ScopedPakInterface pak;
    WritePakFile(folder / "main.pak", {{"Images\\Cover.png", "packed cover"}});
    folder.WriteFile("Images/Cover.png", "loose cover");
    ASSERT_TRUE(pak->AddPakFile("main.pak"));

    std::string absolute = (std::filesystem::current_path() / "images/cover.png").string();
    for (std::string name : {"Images\\Cover.png", "images/cover.PNG", "IMAGES\\\\COVER.PNG", "images//Cover.png",
                             "./images/cover.png", "images/../images/cover.png", "other/../Images/Cover.png"})
    {
        std::string content;
        ASSERT_TRUE(ReadThroughPak(name, content)) << name;
        EXPECT_EQ(content, "packed cover") << name;
    }
    std::string content;
    ASSERT_TRUE(ReadThroughPak(absolute, content));
    EXPECT_EQ(content, "packed cover");
    EXPECT_EQ(PakInterface::NormalizeName(absolute), "IMAGES\\COVER.PNG");
    EXPECT_EQ(PakInterface::NormalizeName("/elsewhere/x.png"), "\\ELSEWHERE\\X.PNG");
    EXPECT_EQ(PakInterface::NormalizeName("..\\a\\..\\..\\b"), "..\\..\\B");

    // Names the archive lacks come from the disk, found without case there as well.
    folder.WriteFile("Sounds/Bell.OGG", "loose bell");
    ASSERT_TRUE(ReadThroughPak("sounds\\bell.ogg", content));
    EXPECT_EQ(content, "loose bell");
    EXPECT_FALSE(ReadThroughPak("sounds\\missing.ogg", content));
}

TEST(PakInterfaceTest, WriteModesNeverLookInTheArchive)
{
    TempFolder folder;
    ScopedPakInterface pak;
    WritePakFile(folder / "main.pak", {{"save.txt", "packed"}});
    ASSERT_TRUE(pak->AddPakFile("main.pak"));

    EXPECT_EQ(p_fopen("save.txt", "r+"), nullptr); // not on disk yet
    PFILE* file = p_fopen("SAVE.TXT", "w");
    ASSERT_NE(file, nullptr);
    p_fclose(file);
    EXPECT_TRUE(folder.Exists("SAVE.TXT"));

    // Reading still prefers the archive; "r+" is not a read mode and opens the disk file.
    std::string content;
    ASSERT_TRUE(ReadThroughPak("save.txt", content));
    EXPECT_EQ(content, "packed");
    file = p_fopen("save.txt", "r+");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(p_fgetc(file), -1);
    p_fclose(file);
    for (const char* mode : {"RB", "rT", "r"})
    {
        file = p_fopen("save.txt", mode);
        ASSERT_NE(file, nullptr) << mode;
        EXPECT_EQ(p_fgetc(file), 'p') << mode;
        p_fclose(file);
    }
}

TEST(PakInterfaceTest, CharacterAndLineReadsSkipCarriageReturnsButBlockReadsKeepThem)
{
    TempFolder folder;
    ScopedPakInterface pak;
    const std::string text = "ab\r\nc\r\r\n\r";
    WritePakFile(folder / "main.pak", {{"packed.txt", text}});
    folder.WriteFile("loose.txt", text);
    ASSERT_TRUE(pak->AddPakFile("main.pak"));

    // Packed and loose files read alike.
    for (const char* name : {"packed.txt", "loose.txt"})
    {
        PFILE* file = p_fopen(name, "rt");
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(ReadCharacters(file), (std::vector<int>{'a', 'b', '\n', 'c', '\n'})) << name;
        EXPECT_NE(p_feof(file), 0);

        ASSERT_EQ(p_fseek(file, 0, SEEK_SET), 0);
        char line[8];
        ASSERT_NE(p_fgets(line, sizeof(line), file), nullptr);
        EXPECT_STREQ(line, "ab\n");
        ASSERT_NE(p_fgets(line, sizeof(line), file), nullptr);
        EXPECT_STREQ(line, "c\n");
        EXPECT_EQ(p_fgets(line, sizeof(line), file), nullptr) << name; // only a CR is left

        ASSERT_EQ(p_fseek(file, 0, SEEK_SET), 0);
        char small[3];
        ASSERT_NE(p_fgets(small, sizeof(small), file), nullptr);
        EXPECT_STREQ(small, "ab"); // stops at length - 1 characters

        ASSERT_EQ(p_fseek(file, 0, SEEK_SET), 0);
        char block[32] = {};
        EXPECT_EQ(p_fread(block, 1, sizeof(block), file), text.size());
        EXPECT_EQ(std::string(block, text.size()), text);
        p_fclose(file);
    }
}

TEST(PakInterfaceTest, SeekingIsClampedToTheEntry)
{
    TempFolder folder;
    ScopedPakInterface pak;
    WritePakFile(folder / "main.pak", {{"first.bin", "xyz"}, {"digits.bin", "0123456789"}, {"last.bin", "abc"}});
    ASSERT_TRUE(pak->AddPakFile("main.pak"));

    PFILE* file = p_fopen("digits.bin", "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(p_fseek(file, 0, SEEK_END), 0);
    EXPECT_EQ(p_ftell(file), 10);
    EXPECT_NE(p_feof(file), 0);
    EXPECT_EQ(p_fgetc(file), -1); // never runs into the next entry

    EXPECT_EQ(p_fseek(file, -5, SEEK_SET), 0);
    EXPECT_EQ(p_ftell(file), 0);
    EXPECT_EQ(p_fseek(file, 100, SEEK_CUR), 0);
    EXPECT_EQ(p_ftell(file), 10);
    EXPECT_EQ(p_fseek(file, -3, SEEK_END), 0);
    EXPECT_EQ(p_fgetc(file), '7');
    EXPECT_EQ(p_fseek(file, -100, SEEK_CUR), 0);
    EXPECT_EQ(p_ftell(file), 0);
    EXPECT_EQ(p_fseek(file, 1, 7), -1); // no such origin: the position stays
    EXPECT_EQ(p_ftell(file), 0);

    // Stepping back never goes before the start.
    EXPECT_EQ(p_ungetc('x', file), -1);
    EXPECT_EQ(p_fgetc(file), '0');
    EXPECT_EQ(p_ungetc('x', file), 'x');
    EXPECT_EQ(p_fgetc(file), '0'); // the character is not stored

    // Reads stop at the entry's end and count whole elements.
    EXPECT_EQ(p_fseek(file, 2, SEEK_SET), 0);
    char buffer[16] = {};
    EXPECT_EQ(p_fread(buffer, 3, 5, file), 2u); // 8 bytes left: two whole elements
    EXPECT_EQ(std::string(buffer, 8), "23456789");
    EXPECT_EQ(p_ftell(file), 10);
    EXPECT_EQ(p_fread(buffer, 1, sizeof(buffer), file), 0u);
    EXPECT_EQ(p_fread(buffer, 0, 4, file), 0u);
    p_fclose(file);
}

TEST(PakInterfaceTest, EmptyEntryOpensAndIsAtItsEnd)
{
    TempFolder folder;
    ScopedPakInterface pak;
    WritePakFile(folder / "main.pak", {{"empty.txt", ""}, {"after.txt", "after"}});
    ASSERT_TRUE(pak->AddPakFile("main.pak"));

    PFILE* file = p_fopen("empty.txt", "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_NE(p_feof(file), 0);
    char buffer[4];
    EXPECT_EQ(p_fread(buffer, 1, sizeof(buffer), file), 0u);
    EXPECT_EQ(p_fgetc(file), -1);
    EXPECT_EQ(p_fgets(buffer, sizeof(buffer), file), nullptr);
    p_fclose(file);

    std::string content;
    ASSERT_TRUE(ReadThroughPak("after.txt", content));
    EXPECT_EQ(content, "after");
}

TEST(PakInterfaceTest, FindListsArchiveFilesFirstThenDiskFiles)
{
    TempFolder folder;
    ScopedPakInterface pak;
    WritePakFile(folder / "main.pak",
                 {{"Levels\\b.txt", "b"}, {"levels\\A.txt", "a"}, {"levels\\sub\\c.dat", "cc"}, {"other\\x.txt", "x"}},
                 133485408000000000ULL);
    folder.WriteFile("levels/e.txt", "e");
    folder.WriteFile("levels/d.txt", "d");
    ASSERT_TRUE(pak->AddPakFile("main.pak"));

    auto find = [](const char* pattern)
    {
        std::vector<std::string> names;
        PFindData data;
        PFindHandle handle = p_FindFirstFile(pattern, &data);
        if (handle == kInvalidFindHandle)
            return names;
        do
            names.push_back(data.fileName);
        while (p_FindNextFile(handle, &data));
        EXPECT_TRUE(p_FindClose(handle));
        EXPECT_FALSE(p_FindNextFile(handle, &data)); // a closed handle finds nothing
        return names;
    };

    EXPECT_EQ(find("levels\\*.*"), (std::vector<std::string>{"A.txt", "b.txt", "c.dat", "d.txt", "e.txt"}));
    EXPECT_EQ(find("LEVELS/*"), (std::vector<std::string>{"A.txt", "b.txt", "c.dat", "d.txt", "e.txt"}));
    EXPECT_EQ(find("levels\\*.txt"), (std::vector<std::string>{"A.txt", "b.txt", "d.txt", "e.txt"}));
    // Without a '*' only the disk is searched.
    EXPECT_EQ(find("levels\\b.txt"), std::vector<std::string>{});
    EXPECT_EQ(find("levels\\d.txt"), std::vector<std::string>{"d.txt"});
    EXPECT_EQ(find("nothing\\*.txt"), std::vector<std::string>{});
    EXPECT_FALSE(p_FindClose(kInvalidFindHandle));

    PFindData data;
    PFindHandle handle = p_FindFirstFile("levels\\sub\\*", &data);
    ASSERT_NE(handle, kInvalidFindHandle);
    EXPECT_EQ(data.fileName, "c.dat");
    EXPECT_EQ(data.size, 2u);
    EXPECT_EQ(data.attributes, 0u);
    EXPECT_EQ(data.writeTime, 133485408000000000ULL);
    EXPECT_EQ(data.creationTime, data.writeTime);
    EXPECT_FALSE(p_FindNextFile(handle, &data));
    p_FindClose(handle);
}

TEST(PakInterfaceTest, LaterArchivesOverrideEarlierEntriesAndTheArchiveReadsDecoded)
{
    TempFolder folder;
    ScopedPakInterface pak;
    WritePakFile(folder / "base.pak", {{"a.txt", "base a"}, {"b.txt", "base b"}});
    WritePakFile(folder / "patch.pak", {{"A.TXT", "patched a"}});
    ASSERT_TRUE(pak->AddPakFile("base.pak"));
    ASSERT_TRUE(pak->AddPakFile("PATCH.PAK")); // found on disk without case too

    std::string content;
    ASSERT_TRUE(ReadThroughPak("a.txt", content));
    EXPECT_EQ(content, "patched a");
    ASSERT_TRUE(ReadThroughPak("b.txt", content));
    EXPECT_EQ(content, "base b");

    // The archive itself is an entry: read through the layer its bytes come out decoded.
    ASSERT_TRUE(ReadThroughPak("base.pak", content));
    ASSERT_GE(content.size(), 8u);
    EXPECT_EQ(content.substr(0, 8), std::string("\xC0\x4A\xC0\xBA\0\0\0\0", 8));
}

TEST(PakInterfaceTest, DamagedArchivesAreRefusedOrLoseOnlyTheirBadEntries)
{
    TempFolder folder;
    ScopedPakInterface pak;
    EXPECT_FALSE(pak->AddPakFile("missing.pak"));

    // Shorter than a header, a foreign file, another version: refused, and the file is then
    // read from disk as it is (not decoded as an archive).
    folder.WriteFile("short.pak", Stored({0xC0, 0x4A, 0xC0}));
    folder.WriteFile("foreign.pak", "PK\x03\x04 this is a zip file");
    folder.WriteFile("version.pak", Stored({0xC0, 0x4A, 0xC0, 0xBA, 1, 0, 0, 0, 0x80}));
    folder.WriteFile("empty.pak", "");
    for (const char* name : {"short.pak", "foreign.pak", "version.pak", "empty.pak"})
        EXPECT_FALSE(pak->AddPakFile(name)) << name;
    std::string content;
    ASSERT_TRUE(ReadThroughPak("foreign.pak", content));
    EXPECT_EQ(content, "PK\x03\x04 this is a zip file");

    // A name longer than the rest of the file, and a directory without its end mark.
    folder.WriteFile("longname.pak", Stored({0xC0, 0x4A, 0xC0, 0xBA, 0, 0, 0, 0, 0, 200, 'a', 'b'}));
    folder.WriteFile("noend.pak",
                     Stored({0xC0, 0x4A, 0xC0, 0xBA, 0, 0, 0, 0, 0, 1, 'a', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(pak->AddPakFile("longname.pak"));
    EXPECT_FALSE(pak->AddPakFile("noend.pak"));
    EXPECT_FALSE(ReadThroughPak("a", content));

    // An archive cut short inside its data keeps the files that are whole.
    WritePakFile(folder / "whole.pak", {{"one.txt", "first"}, {"empty.txt", ""}, {"two.txt", "second file"}});
    std::string whole = folder.ReadFile("whole.pak");
    folder.WriteFile("cut.pak", whole.substr(0, whole.size() - 4));
    ASSERT_TRUE(pak->AddPakFile("cut.pak"));
    ASSERT_TRUE(ReadThroughPak("one.txt", content));
    EXPECT_EQ(content, "first");
    EXPECT_TRUE(ReadThroughPak("empty.txt", content));
    EXPECT_FALSE(ReadThroughPak("two.txt", content));
}

TEST(PakInterfaceTest, WithoutAnInstalledLayerFilesComeFromTheDisk)
{
    TempFolder folder;
    folder.WriteFile("Data/Notes.txt", "one\r\ntwo");
    PakInterface* previous = PakInterface::SetInstance(nullptr);
    ASSERT_EQ(PakInterface::Get(), nullptr);

    EXPECT_FALSE(AddPakFile("main.pak"));
    PFILE* file = p_fopen("data\\notes.txt", "rb");
    ASSERT_NE(file, nullptr);
    char line[16];
    ASSERT_NE(p_fgets(line, sizeof(line), file), nullptr);
    EXPECT_STREQ(line, "one\n");
    EXPECT_EQ(p_fgetc(file), 't');
    EXPECT_EQ(p_ungetc('t', file), 't');
    EXPECT_EQ(p_ftell(file), 5);
    p_fclose(file);

    PFindData data;
    PFindHandle handle = p_FindFirstFile("data/*.txt", &data);
    ASSERT_NE(handle, kInvalidFindHandle);
    EXPECT_EQ(data.fileName, "Notes.txt");
    EXPECT_EQ(data.size, 8u);
    EXPECT_FALSE(p_FindNextFile(handle, &data));
    EXPECT_TRUE(p_FindClose(handle));

    PakInterface::SetInstance(previous);
    EXPECT_EQ(PakInterface::Get(), previous);
}

} // namespace
} // namespace Vesk
