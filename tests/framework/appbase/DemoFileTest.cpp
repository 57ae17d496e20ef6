#include "framework/appbase/DemoFile.h"

#include "framework/appbase/Buffer.h"
#include "framework/appbase/DemoReader.h"
#include "framework/appbase/DemoWriter.h"

#include <gtest/gtest.h>

#include <vector>

namespace Vesk
{

namespace
{

DemoEvent Event(int code)
{
    DemoEvent event;
    event.code = code;
    return event;
}

} // namespace

TEST(DemoFileTest, APauseOfFortyUpdatesIsTwoFillersOfFifteenThenADeltaOfTen)
{
    DemoWriter writer;
    DemoEvent key = Event(DEMO_KEY_DOWN);
    key.key = 65;
    writer.Write(key, 40);

    Buffer bits(writer.GetBuffer().GetData());
    for (int filler = 0; filler < 2; ++filler)
    {
        EXPECT_EQ(bits.ReadNumBits(4), 15u);
        EXPECT_EQ(bits.ReadNumBits(1), 0u);
        EXPECT_EQ(bits.ReadNumBits(5), 31u);
    }
    EXPECT_EQ(bits.ReadNumBits(4), 10u);
    EXPECT_EQ(bits.ReadNumBits(1), 0u);
    EXPECT_EQ(bits.ReadNumBits(5), 3u);
    EXPECT_EQ(bits.ReadByte(), 65u);
    EXPECT_EQ(writer.GetBuffer().GetBitLength(), 3u * 10u + 8u);

    DemoReader reader(writer.GetBuffer());
    EXPECT_EQ(reader.GetNextDue(), 40);
    DemoEvent read;
    ASSERT_TRUE(reader.Next(read));
    EXPECT_EQ(read.code, DEMO_KEY_DOWN);
    EXPECT_EQ(read.key, 65);
    EXPECT_FALSE(reader.Next(read));
    EXPECT_FALSE(reader.Failed());
}

TEST(DemoFileTest, EveryRecordKindReadsBackAtItsUpdateCount)
{
    std::vector<std::pair<DemoEvent, int>> events;
    auto add = [&](DemoEvent event, int update) { events.push_back({std::move(event), update}); };
    DemoEvent e = Event(DEMO_MOUSE_POSITION);
    e.x = 799;
    e.y = -5;
    add(e, 0);
    e = Event(DEMO_RELATIVE_MOVE);
    e.x = -31;
    e.y = 31;
    add(e, 0);
    e = Event(DEMO_MOUSE_BUTTON);
    e.down = true;
    e.button = -2;
    add(e, 3);
    e = Event(DEMO_MOUSE_BUTTON);
    e.button = 3;
    add(e, 3);
    e = Event(DEMO_ACTIVATE_APP);
    e.flag = true;
    add(e, 17);
    e = Event(DEMO_SIZE);
    e.flag = true;
    add(e, 100);
    e = Event(DEMO_KEY_UP);
    e.key = 255;
    add(e, 100);
    e = Event(DEMO_KEY_CHAR);
    e.character = 233;
    add(e, 101);
    add(Event(DEMO_CLOSE), 1000);
    add(Event(DEMO_MOUSE_ENTER), 1000);
    add(Event(DEMO_MOUSE_EXIT), 1001);
    add(Event(DEMO_LOADING_COMPLETE), 1001);
    e = Event(DEMO_REGISTRY_READ);
    e.flag = true;
    e.type = 4;
    e.data = {1, 2, 3, 4};
    add(e, 1002);
    e = Event(DEMO_REGISTRY_READ);
    add(e, 1002);
    e = Event(DEMO_REGISTRY_WRITE);
    e.flag = true;
    add(e, 1002);
    e = Event(DEMO_FILE_EXISTS);
    add(e, 1003);
    e = Event(DEMO_FILE_READ);
    e.flag = true;
    e.data = std::vector<uint8_t>(300, 7);
    add(e, 1003);
    e = Event(DEMO_FILE_WRITE);
    e.flag = true;
    add(e, 1004);
    e = Event(DEMO_SYNC);
    e.data = {9};
    add(e, 1004);
    e = Event(DEMO_MOUSE_WHEEL);
    e.notches = -3;
    add(e, 1005);
    e = Event(DEMO_VIDEO_DATA);
    e.flag = true;
    e.refreshRate = 60;
    add(e, 1005);

    DemoWriter writer;
    for (const auto& [event, update] : events)
        writer.Write(event, update);
    DemoReader reader(writer.GetBuffer());
    for (const auto& [expected, update] : events)
    {
        ASSERT_TRUE(reader.HasNext());
        EXPECT_EQ(reader.GetNextDue(), update);
        DemoEvent read;
        ASSERT_TRUE(reader.Next(read));
        EXPECT_EQ(read.code, expected.code);
        EXPECT_EQ(read.x, expected.x);
        EXPECT_EQ(read.y, expected.y);
        EXPECT_EQ(read.button, expected.button);
        EXPECT_EQ(read.down, expected.down);
        EXPECT_EQ(read.key, expected.key);
        EXPECT_EQ(read.character, expected.character);
        EXPECT_EQ(read.flag, expected.flag);
        EXPECT_EQ(read.type, expected.type);
        EXPECT_EQ(read.data, expected.data);
        EXPECT_EQ(read.notches, expected.notches);
        EXPECT_EQ(read.refreshRate, expected.refreshRate);
    }
    EXPECT_FALSE(reader.HasNext());
    EXPECT_FALSE(reader.Failed());
}

TEST(DemoFileTest, DamagedStreamsEndWithAnErrorInsteadOfReadingPastTheData)
{
    DemoWriter writer;
    DemoEvent read = Event(DEMO_FILE_READ);
    read.flag = true;
    read.data = std::vector<uint8_t>(64, 1);
    writer.Write(read, 5);
    std::vector<uint8_t> bytes = writer.GetBuffer().GetData();

    // Cut short anywhere: never a record, always an error.
    for (size_t length = 2; length < bytes.size(); ++length)
    {
        DemoReader reader(Buffer(std::vector<uint8_t>(bytes.begin(), bytes.begin() + length)));
        DemoEvent event;
        EXPECT_FALSE(reader.Next(event)) << length;
        EXPECT_TRUE(reader.Failed()) << length;
    }
    // A length far beyond the data.
    Buffer huge;
    huge.WriteNumBits(0, 4);
    huge.WriteNumBits(0, 1);
    huge.WriteNumBits(DEMO_SYNC, 5);
    huge.WriteLong(0xFFFFFFF0u);
    DemoReader reader(huge);
    DemoEvent event;
    EXPECT_FALSE(reader.Next(event));
    EXPECT_TRUE(reader.Failed());
    // An unknown record code.
    Buffer unknown;
    unknown.WriteNumBits(0, 4);
    unknown.WriteNumBits(0, 1);
    unknown.WriteNumBits(13, 5);
    unknown.WriteLong(0);
    DemoReader unknownReader(unknown);
    EXPECT_FALSE(unknownReader.Next(event));
    EXPECT_TRUE(unknownReader.Failed());
}

TEST(DemoFileTest, FilesRoundTripAndDamagedHeadersAreRefused)
{
    DemoFile file;
    file.randomSeed = 0xDEADBEEF;
    file.versionString = "1.0";
    file.markers = {{"start", 0}, {"page 3", 4200}};
    file.totalUpdates = 9000;
    DemoWriter writer;
    writer.Write(Event(DEMO_CLOSE), 9000);
    file.events = writer.GetBuffer();
    std::vector<uint8_t> bytes = file.Serialise();
    EXPECT_EQ(bytes[0], 0x78);
    EXPECT_EQ(bytes[3], 0x42);
    EXPECT_EQ(bytes[4], 2);

    DemoFile read;
    std::string error;
    ASSERT_TRUE(read.Parse(bytes, error));
    EXPECT_EQ(read.randomSeed, 0xDEADBEEFu);
    EXPECT_EQ(read.versionString, "1.0");
    ASSERT_EQ(read.markers.size(), 2u);
    EXPECT_EQ(read.markers[1].name, "page 3");
    EXPECT_EQ(read.markers[1].updateCount, 4200);
    EXPECT_EQ(read.totalUpdates, 9000);
    EXPECT_EQ(read.events.GetData(), file.events.GetData());

    // Version 1 has no marker block.
    file.version = 1;
    std::vector<uint8_t> old = file.Serialise();
    ASSERT_TRUE(read.Parse(old, error));
    EXPECT_TRUE(read.markers.empty());
    EXPECT_EQ(read.totalUpdates, 9000);

    // Everything up to the total is needed; a damaged file leaves the object as it was.
    size_t headerEnd = bytes.size() - file.events.GetDataLen();
    for (size_t length = 0; length < headerEnd; ++length)
    {
        DemoFile cut;
        cut.totalUpdates = 77;
        error.clear();
        EXPECT_FALSE(cut.Parse(std::vector<uint8_t>(bytes.begin(), bytes.begin() + length), error)) << length;
        EXPECT_EQ(error, "Invalid demo file.");
        EXPECT_EQ(cut.totalUpdates, 77);
    }
    std::vector<uint8_t> foreign = bytes;
    foreign[0] ^= 1;
    EXPECT_FALSE(read.Parse(foreign, error));
    std::vector<uint8_t> future = bytes;
    future[4] = 3;
    EXPECT_FALSE(read.Parse(future, error));
    std::vector<uint8_t> manyMarkers = bytes;
    manyMarkers[4 + 4 + 4 + 2 + 3 + 4] = 0xFF; // the marker count's low byte
    EXPECT_FALSE(read.Parse(manyMarkers, error));
}

} // namespace Vesk
