#include "app/PictureListReader.h"

#include "framework/appbase/Buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Vesk
{
namespace
{

Buffer TextBuffer(const std::string& text)
{
    return Buffer(std::vector<uint8_t>(text.begin(), text.end()));
}

TEST(PictureListReaderTest, ReadsSixLinesPerObject)
{
    Buffer buffer = TextBuffer("object\r\n1\r\n01_cup.png\r\n-\r\n120\r\n-35\r\n"
                               "object\n2\n02_red_apple.png\n-\n0x10\n7\n");
    std::vector<PictureListEntry> entries = PictureListReader::ReadObjects(buffer);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].fileName, "01_cup.png");
    EXPECT_EQ(entries[0].x, 120);
    EXPECT_EQ(entries[0].y, -35);
    EXPECT_EQ(entries[1].fileName, "02_red_apple.png");
    EXPECT_EQ(entries[1].x, 16);
    EXPECT_EQ(entries[1].y, 7);
}

TEST(PictureListReaderTest, ToleratesBlankEndsShortRecordsAndBadNumbers)
{
    Buffer trailing = TextBuffer("a\nb\n01_cup.png\nc\n1\n2\n\n\n");
    EXPECT_EQ(PictureListReader::ReadObjects(trailing).size(), 1u) << "blank lines at the end are no object";

    Buffer shortRecord = TextBuffer("a\nb\n01_cup.png\nc\n12px");
    std::vector<PictureListEntry> entries = PictureListReader::ReadObjects(shortRecord);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].x, 0);
    EXPECT_EQ(entries[0].y, 0);

    Buffer empty;
    EXPECT_TRUE(PictureListReader::ReadObjects(empty).empty());
    EXPECT_TRUE(PictureListReader::ReadDisplayNames(empty).empty());
}

TEST(PictureListReaderTest, ReadsNamePairsInThrees)
{
    Buffer buffer = TextBuffer("01_cup.png\nTea cup\n\n02_key.png\nKey");
    auto names = PictureListReader::ReadDisplayNames(buffer);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].first, "01_cup.png");
    EXPECT_EQ(names[0].second, "Tea cup");
    EXPECT_EQ(names[1].first, "02_key.png");
    EXPECT_EQ(names[1].second, "Key");
}

} // namespace
} // namespace Vesk
