#include "framework/appbase/Buffer.h"

#include <gtest/gtest.h>

namespace Vesk
{

TEST(BufferTest, BitFieldsAreWrittenLeastSignificantFirstAndReadBack)
{
    Buffer buffer;
    buffer.WriteNumBits(15, 4); // a delta of 15
    buffer.WriteNumBits(0, 1);  // kind 0
    buffer.WriteNumBits(31, 5); // filler code
    ASSERT_EQ(buffer.GetBitLength(), 10u);
    ASSERT_EQ(buffer.GetDataLen(), 2u);
    EXPECT_EQ(buffer.GetData()[0], 0x0F | (0x1F << 5 & 0xFF));
    EXPECT_EQ(buffer.GetData()[1], 0x03);

    buffer.WriteNumBits(static_cast<uint32_t>(-5), 6); // signed dx
    buffer.WriteByte(0xA7);                            // an unaligned byte
    buffer.WriteLong(0x12345678);
    buffer.WriteString("hello");
    buffer.WriteBoolean(true);

    EXPECT_EQ(buffer.ReadNumBits(4), 15u);
    EXPECT_EQ(buffer.ReadNumBits(1), 0u);
    EXPECT_EQ(buffer.ReadNumBits(5), 31u);
    EXPECT_EQ(static_cast<int32_t>(buffer.ReadNumBits(6, true)), -5);
    EXPECT_EQ(buffer.ReadByte(), 0xA7);
    EXPECT_EQ(buffer.ReadLong(), 0x12345678u);
    EXPECT_EQ(buffer.ReadString(), "hello");
    EXPECT_TRUE(buffer.ReadBoolean());
    EXPECT_TRUE(buffer.AtEnd());
}

TEST(BufferTest, ReadingPastTheEndYieldsZeros)
{
    Buffer buffer(std::vector<uint8_t>{0x01, 0x02});
    EXPECT_EQ(buffer.ReadLong(), 0x0201u);
    EXPECT_EQ(buffer.ReadByte(), 0u);
    uint8_t bytes[4] = {9, 9, 9, 9};
    buffer.ReadBytes(bytes, 4);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[3], 0);
    EXPECT_EQ(buffer.ReadString(), "");
}

TEST(BufferTest, LinesDropCarriageReturnsAndTheLastLineNeedsNoLineFeed)
{
    Buffer buffer;
    buffer.WriteBytes(std::string("first\r\n\nthird"));
    EXPECT_EQ(buffer.ReadLine(), "first");
    EXPECT_EQ(buffer.ReadLine(), "");
    EXPECT_FALSE(buffer.AtEnd());
    EXPECT_EQ(buffer.ReadLine(), "third");
    EXPECT_TRUE(buffer.AtEnd());
    EXPECT_EQ(buffer.ReadLine(), "");
}

} // namespace Vesk
