#include "app/SaveFile.h"

#include "framework/appbase/Buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

uint32_t LongAt(const std::vector<uint8_t>& bytes, size_t offset)
{
    return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) |
           (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

SaveData SampleData(int pageCount)
{
    SaveData data;
    data.pages.resize(static_cast<size_t>(pageCount));
    for (int i = 0; i < pageCount; ++i)
    {
        PageProgress& page = data.pages[static_cast<size_t>(i)];
        page.open = i % 2 == 0;
        page.done = i % 3 == 0;
        page.notePrepared = i == 4;
        page.stamped = i == 5;
        page.openScenePlayed = i == 6;
        for (int k = 0; k < kListSlotCount; ++k)
            page.listSlots[static_cast<size_t>(k)] = i * 100 + k;
        page.itemFound[static_cast<size_t>(i)] = 1.0;
    }
    data.pages[2].listSlots[11] = -1;
    data.pages[3].itemFound[127] = 0.4;
    data.pages[3].itemFound[126] = -0.5;
    data.flags = {false, true, false, true, 0x01020304, false, true, false};
    return data;
}

TEST(SaveFileTest, EveryFieldSitsAtItsOffset)
{
    Buffer buffer = SaveFile::Write(SampleData(20));
    const std::vector<uint8_t>& bytes = buffer.GetData();
    ASSERT_EQ(bytes.size(), 3631u) << "20 x 181 + 11";

    for (size_t i = 0; i < 20; ++i)
    {
        size_t block = i * SaveFile::kPageBlockSize;
        EXPECT_EQ(bytes[block + 0], i % 2 == 0 ? 1 : 0) << "open of page " << i;
        EXPECT_EQ(bytes[block + 1], i % 3 == 0 ? 1 : 0) << "done of page " << i;
        EXPECT_EQ(bytes[block + 2], i == 4 ? 1 : 0);
        EXPECT_EQ(bytes[block + 3], i == 5 ? 1 : 0);
        EXPECT_EQ(bytes[block + 4], i == 6 ? 1 : 0);
        EXPECT_EQ(LongAt(bytes, block + 5), i * 100);
        EXPECT_EQ(LongAt(bytes, block + 5 + 4 * 10), i * 100 + 10);
        EXPECT_EQ(bytes[block + 53 + i], 1) << "found byte of object " << i;
    }
    EXPECT_EQ(LongAt(bytes, 2 * 181 + 5 + 4 * 11), 0xFFFFFFFFu);
    EXPECT_EQ(bytes[3 * 181 + 53 + 127], 1) << "a found value of 0.4 is saved as found";
    EXPECT_EQ(bytes[3 * 181 + 53 + 126], 0);
    EXPECT_EQ(bytes[3 * 181 + 53 + 1], 0);

    size_t trailer = 20 * 181;
    EXPECT_EQ(bytes[trailer + 0], 0); // tutorialPending
    EXPECT_EQ(bytes[trailer + 1], 1); // introPending
    EXPECT_EQ(bytes[trailer + 2], 0); // sceneOption
    EXPECT_EQ(bytes[trailer + 3], 1); // warningPending
    EXPECT_EQ(LongAt(bytes, trailer + 4), 0x01020304u);
    EXPECT_EQ(bytes[trailer + 8], 0);  // spareFlag1
    EXPECT_EQ(bytes[trailer + 9], 1);  // spareFlag2
    EXPECT_EQ(bytes[trailer + 10], 0); // firstPagePending
}

TEST(SaveFileTest, ReadsBackWhatWasWritten)
{
    Buffer buffer = SaveFile::Write(SampleData(20));
    SaveData read = SaveFile::Read(buffer, 20);
    ASSERT_EQ(read.pages.size(), 20u);
    SaveData expected = SampleData(20);
    for (size_t i = 0; i < 20; ++i)
    {
        EXPECT_EQ(read.pages[i].open, expected.pages[i].open);
        EXPECT_EQ(read.pages[i].done, expected.pages[i].done);
        EXPECT_EQ(read.pages[i].notePrepared, expected.pages[i].notePrepared);
        EXPECT_EQ(read.pages[i].stamped, expected.pages[i].stamped);
        EXPECT_EQ(read.pages[i].openScenePlayed, expected.pages[i].openScenePlayed);
        EXPECT_EQ(read.pages[i].listSlots, expected.pages[i].listSlots);
    }
    EXPECT_EQ(read.pages[2].listSlots[11], -1);
    EXPECT_EQ(read.pages[3].itemFound[127], 1.0) << "0.4 comes back as 1.0";
    EXPECT_EQ(read.pages[3].itemFound[126], 0.0);
    EXPECT_EQ(read.pages[3].itemFound[3], 1.0);
    EXPECT_FALSE(read.flags.tutorialPending);
    EXPECT_TRUE(read.flags.introPending);
    EXPECT_EQ(read.flags.bonusesTaken, 0x01020304);
    EXPECT_TRUE(read.flags.spareFlag2);
    EXPECT_FALSE(read.flags.firstPagePending);

    // Any non-zero byte reads as true.
    std::vector<uint8_t> bytes = buffer.GetData();
    bytes[0] = 0x80;
    Buffer altered(bytes);
    EXPECT_TRUE(SaveFile::Read(altered, 20).pages[0].open);
}

TEST(SaveFileTest, ShortAndOversizedFilesReadWithinTheData)
{
    std::vector<uint8_t> full = SaveFile::Write(SampleData(20)).GetData();

    // 200 bytes: page 0 whole, page 1 cut inside its list slots, the rest missing.
    Buffer shortFile(std::vector<uint8_t>(full.begin(), full.begin() + 200));
    SaveData read = SaveFile::Read(shortFile, 20);
    ASSERT_EQ(read.pages.size(), 20u);
    EXPECT_TRUE(read.pages[0].open);
    EXPECT_EQ(read.pages[1].listSlots[2], 102);
    EXPECT_EQ(read.pages[1].listSlots[11], 0);
    EXPECT_FALSE(read.pages[2].open);
    EXPECT_EQ(read.pages[19].listSlots[0], 0);
    EXPECT_FALSE(read.flags.introPending) << "missing flags read as false";
    EXPECT_EQ(read.flags.bonusesTaken, 0);

    Buffer empty;
    EXPECT_EQ(SaveFile::Read(empty, 20).pages.size(), 20u);

    // More pages saved than configured: the extra bytes are not applied anywhere.
    Buffer longer(full);
    SaveData fewer = SaveFile::Read(longer, 3);
    EXPECT_EQ(fewer.pages.size(), 3u);
    EXPECT_EQ(fewer.pages[2].listSlots[11], -1);

    Buffer none(full);
    EXPECT_TRUE(SaveFile::Read(none, -5).pages.empty());
}

TEST(SaveFileTest, SaveForAnotherPageCountTakesItsFlagsFromItsLastBytes)
{
    Buffer twenty = SaveFile::Write(SampleData(20));
    ASSERT_EQ(SaveFile::SizeFor(20), twenty.GetDataLen());

    // The publication now has 12 pages: the first 12 blocks, then the file's own flags.
    SaveData fewer = SaveFile::Read(twenty, 12);
    ASSERT_EQ(fewer.pages.size(), 12u);
    EXPECT_EQ(fewer.pages[11].listSlots[0], 1100);
    EXPECT_FALSE(fewer.flags.tutorialPending);
    EXPECT_TRUE(fewer.flags.introPending);
    EXPECT_EQ(fewer.flags.bonusesTaken, 0x01020304);
    EXPECT_TRUE(fewer.flags.spareFlag2);
    EXPECT_FALSE(fewer.flags.firstPagePending);

    // A save of 12 pages read for 20: the pages it lacks are zeros, the flags stay the file's.
    Buffer twelve = SaveFile::Write(fewer);
    SaveData more = SaveFile::Read(twelve, 20);
    ASSERT_EQ(more.pages.size(), 20u);
    EXPECT_EQ(more.pages[11].listSlots[0], 1100);
    EXPECT_FALSE(more.pages[12].open);
    EXPECT_EQ(more.pages[19].listSlots[0], 0);
    EXPECT_FALSE(more.flags.tutorialPending);
    EXPECT_EQ(more.flags.bonusesTaken, 0x01020304);

    // The flags alone (a save written while the publication had no pages).
    const std::vector<uint8_t>& bytes = twenty.GetData();
    Buffer flagsOnly(std::vector<uint8_t>(bytes.end() - 11, bytes.end()));
    EXPECT_EQ(SaveFile::Read(flagsOnly, 20).flags.bonusesTaken, 0x01020304);
}

TEST(SaveFileTest, PlayerNamesBecomeSafeFolderNames)
{
    EXPECT_EQ(SaveFile::EscapePlayerName("a.b"), "a_fb");
    EXPECT_EQ(SaveFile::EscapePlayerName("a_b"), "a__b");
    EXPECT_EQ(SaveFile::EscapePlayerName("Anna Lind"), "Anna Lind");
    EXPECT_EQ(SaveFile::EscapePlayerName("\\/:*?\"',<>|@!#$%^~&()+;._"),
              "_s_b_c_m_q_w_v_y_l_g_i_a_o_r_u_p_h_t_n_j_k_x_z_f__");
    EXPECT_EQ(SaveFile::EscapePlayerName("..\\.."), "_f_f_s_f_f");
    EXPECT_EQ(SaveFile::PathFor("/data/Orlo/", "a.b"), "/data/Orlo/players/a_fb/save.dat");
}

} // namespace
} // namespace Vesk
