#include "framework/resources/PakDirectory.h"

#include "framework/resources/PakWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Vesk
{
namespace
{

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

TEST(PakDirectoryTest, WrittenArchivesReadBack)
{
    PakWriter writer;
    ASSERT_TRUE(writer.AddFile("properties\\config.xml", Bytes("<Common/>"), 111));
    ASSERT_TRUE(writer.AddFile("images\\empty.png", {}, 222));
    ASSERT_TRUE(writer.AddFile(std::string(255, 'n'), Bytes("\r\n\x80\xff"), 333));
    std::vector<uint8_t> archive = writer.Build();

    // Every byte is stored with the key applied, the header included.
    ASSERT_GE(archive.size(), 8u);
    EXPECT_EQ(archive[0], 0xC0 ^ PakDirectory::kKey);
    EXPECT_EQ(archive[3], 0xBA ^ PakDirectory::kKey);
    EXPECT_EQ(archive[4], PakDirectory::kKey);

    PakDirectory directory;
    ASSERT_TRUE(directory.Read(archive.data(), archive.size())) << directory.GetErrorText();
    EXPECT_EQ(directory.GetSkippedCount(), 0u);
    const std::vector<PakDirectoryEntry>& entries = directory.GetEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "properties\\config.xml");
    EXPECT_EQ(entries[1].name, "images\\empty.png");
    EXPECT_EQ(entries[2].name, std::string(255, 'n'));
    EXPECT_EQ(entries[0].start, directory.GetDataStart());
    EXPECT_EQ(entries[1].start, entries[0].start + 9);
    EXPECT_EQ(entries[2].start, entries[1].start);
    EXPECT_EQ(entries[2].start + entries[2].size, archive.size());
    EXPECT_EQ(entries[1].fileTime, 222u);

    std::string last;
    for (uint64_t i = 0; i < entries[2].size; ++i)
        last += static_cast<char>(archive[entries[2].start + i] ^ PakDirectory::kKey);
    EXPECT_EQ(last, "\r\n\x80\xff");

    // An archive without files is valid too.
    std::vector<uint8_t> empty = PakWriter().Build();
    EXPECT_EQ(empty.size(), 9u);
    ASSERT_TRUE(directory.Read(empty.data(), empty.size()));
    EXPECT_TRUE(directory.GetEntries().empty());
}

TEST(PakDirectoryTest, WriterRefusesWhatTheFormatCannotHold)
{
    PakWriter writer;
    EXPECT_FALSE(writer.AddFile("", Bytes("x"), 0));
    EXPECT_FALSE(writer.AddFile(std::string(256, 'n'), Bytes("x"), 0));
    EXPECT_EQ(writer.GetFileCount(), 0u);
}

TEST(PakDirectoryTest, EveryTruncationIsRefusedOrLosesOnlyCutFiles)
{
    PakWriter writer;
    ASSERT_TRUE(writer.AddFile("a.txt", Bytes("first file"), 1));
    ASSERT_TRUE(writer.AddFile("folder\\b.txt", Bytes("second"), 2));
    ASSERT_TRUE(writer.AddFile("c.txt", {}, 3));
    std::vector<uint8_t> archive = writer.Build();
    PakDirectory whole;
    ASSERT_TRUE(whole.Read(archive.data(), archive.size()));
    const size_t dataStart = whole.GetDataStart();

    for (size_t length = 0; length < archive.size(); ++length)
    {
        // A copy of exactly this length, so reading past it is caught by the sanitizers.
        std::vector<uint8_t> cut(archive.begin(), archive.begin() + static_cast<std::ptrdiff_t>(length));
        PakDirectory directory;
        bool read = directory.Read(cut.data(), cut.size());
        if (length < dataStart)
        {
            EXPECT_FALSE(read) << length;
            EXPECT_FALSE(directory.GetErrorText().empty());
            EXPECT_TRUE(directory.GetEntries().empty());
            continue;
        }
        ASSERT_TRUE(read) << length;
        for (const PakDirectoryEntry& entry : directory.GetEntries())
            EXPECT_LE(entry.start + entry.size, length);
        EXPECT_EQ(directory.GetEntries().size() + directory.GetSkippedCount(), 3u);
    }
}

TEST(PakDirectoryTest, ForeignHeadersAreRefused)
{
    auto stored = [](std::vector<uint8_t> plain)
    {
        for (uint8_t& byte : plain)
            byte ^= PakDirectory::kKey;
        return plain;
    };
    PakDirectory directory;
    std::vector<uint8_t> plainMagic = {0xC0, 0x4A, 0xC0, 0xBA, 0, 0, 0, 0, 0x80};
    EXPECT_FALSE(directory.Read(plainMagic.data(), plainMagic.size())); // the key was not applied
    EXPECT_EQ(directory.GetErrorText(), "not an archive");
    std::vector<uint8_t> version = stored({0xC0, 0x4A, 0xC0, 0xBA, 0, 1, 0, 0, 0x80});
    EXPECT_FALSE(directory.Read(version.data(), version.size()));
    EXPECT_EQ(directory.GetErrorText(), "unknown archive version 256");
    EXPECT_FALSE(directory.Read(nullptr, 0));
    EXPECT_EQ(directory.GetErrorText(), "too short for an archive");

    // Any flags byte with the top bit set ends the directory; other bits mean nothing.
    std::vector<uint8_t> flags =
        stored({0xC0, 0x4A, 0xC0, 0xBA, 0, 0, 0, 0, 0x7F, 1, 'x', 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 'X'});
    ASSERT_TRUE(directory.Read(flags.data(), flags.size()));
    ASSERT_EQ(directory.GetEntries().size(), 1u);
    EXPECT_EQ(directory.GetEntries()[0].name, "x");
    EXPECT_EQ(directory.GetEntries()[0].start, 24u);
}

} // namespace
} // namespace Vesk
