// Page 4's built picture set (the torn-map mending game): each round has its map, six holes in
// the part of the board the panel and the notes leave free, and for each hole a piece in place
// and a loose twin on a note of its own (never note 1, where a drop costs nothing). The first
// round's map with its pieces in place is the page's face, so the zoom into the game does not jump.
#include "app/PictureListReader.h"
#include "framework/appbase/Buffer.h"
#include "framework/platform/FileSystem.h"
#include "support/BuiltPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::BuiltPicture;

constexpr int kBoardWidth = 767;
constexpr int kBoardHeight = 532;
// Holes below this board row would lie under the objective panel or the notes.
constexpr int kFreeBoardHeight = 430;
constexpr int kNoteStrip = 70; // the part of a note the next one leaves visible

// A number of the built config.xml: the text between <tag> and the next '<'.
int ConfigNumber(const std::string& config, const std::string& tag, size_t from = 0)
{
    const size_t at = config.find("<" + tag + ">", from);
    EXPECT_NE(at, std::string::npos) << tag;
    return at == std::string::npos ? 0 : std::atoi(config.c_str() + at + tag.size() + 2);
}

struct Piece
{
    PictureListEntry entry;
    BuiltPicture picture;
};

TEST(MendingMapArtTest, EveryRoundHasItsMapAndSixMatchingPiecesInFreePlaces)
{
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(Platform::ReadWholeFile(BuiltPicture::PathOf("properties/config.xml"), bytes))
        << "build the data target first";
    const std::string config(bytes.begin(), bytes.end());
    const size_t miniGame1 = config.find("<MiniGame1>");
    ASSERT_NE(miniGame1, std::string::npos);
    std::vector<int> noteX;
    for (int note = 1; note <= 8; ++note)
        noteX.push_back(ConfigNumber(config, "ListX" + std::to_string(note), miniGame1));
    const int listY = ConfigNumber(config, "ListY");
    const size_t page4 = config.find("<Page4 ");
    ASSERT_NE(page4, std::string::npos);
    const int items = std::atoi(config.c_str() + config.find("items=\"", page4) + 7);

    bytes.clear();
    ASSERT_TRUE(Platform::ReadWholeFile(BuiltPicture::PathOf("images/pages/p04/picture.cfg"), bytes));
    Buffer list(bytes);
    std::map<char, std::map<std::string, Piece>> rounds[3]; // kind ('b', 'd', 'p') -> key -> piece
    for (const PictureListEntry& entry : PictureListReader::ReadObjects(list))
    {
        ASSERT_GE(entry.fileName.size(), 4u);
        const int round = entry.fileName[1] - '1';
        ASSERT_TRUE(round >= 0 && round < 3 && entry.fileName[2] == '_') << entry.fileName;
        Piece piece{entry, {}};
        ASSERT_TRUE(piece.picture.Load("images/pages/p04/" + entry.fileName)) << entry.fileName;
        rounds[round][entry.fileName[0]][entry.fileName.substr(3)] = piece;
    }

    for (int round = 0; round < 3; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round + 1));
        auto& kinds = rounds[round];
        ASSERT_EQ(kinds['b'].size(), 1u);
        const Piece& map = kinds['b'].begin()->second;
        EXPECT_EQ(map.picture.width, kBoardWidth);
        EXPECT_EQ(map.picture.height, kBoardHeight);
        EXPECT_EQ(map.entry.x, 0);
        EXPECT_EQ(map.entry.y, 0);
        ASSERT_EQ(static_cast<int>(kinds['d'].size()), items);
        ASSERT_EQ(kinds['p'].size(), kinds['d'].size());

        std::set<int> notesUsed;
        std::vector<const Piece*> holes;
        for (const auto& [key, hole] : kinds['d'])
        {
            SCOPED_TRACE(key);
            ASSERT_EQ(kinds['p'].count(key), 1u) << "a hole without its loose piece";
            const Piece& loose = kinds['p'].at(key);
            for (const Piece* piece : {&hole, &loose})
            {
                EXPECT_GE(std::min(piece->picture.width, piece->picture.height), 50);
                EXPECT_LE(std::max(piece->picture.width, piece->picture.height), 90);
            }
            const PictureListEntry& at = hole.entry;
            EXPECT_TRUE(at.x > 0 && at.y > 0 && at.x + hole.picture.width < kBoardWidth &&
                        at.y + hole.picture.height <= kFreeBoardHeight)
                << "hole at " << at.x << ", " << at.y;
            for (const Piece* other : holes)
                EXPECT_FALSE(
                    at.x < other->entry.x + other->picture.width && other->entry.x < at.x + hole.picture.width &&
                    at.y < other->entry.y + other->picture.height && other->entry.y < at.y + hole.picture.height)
                    << "overlaps " << other->entry.fileName;
            holes.push_back(&hole);

            // The loose piece lies on the note row, its middle over the visible strip of one
            // note, never note 1.
            const int middle = loose.entry.x + loose.picture.width / 2;
            EXPECT_GE(loose.entry.y, listY);
            EXPECT_LE(loose.entry.y + loose.picture.height, 600);
            int note = -1;
            for (int n = 0; n < 8; ++n)
                if (middle >= noteX[n] && middle < noteX[n] + kNoteStrip)
                    note = n;
            EXPECT_GT(note, 0) << "middle x " << middle;
            EXPECT_TRUE(notesUsed.insert(note).second) << "two pieces on note " << note + 1;
        }

        // The map with every piece in its hole: no pale hole shows through. For round 1 that
        // is the page's face.
        BuiltPicture mended = map.picture;
        for (const Piece* hole : holes)
            for (int y = 0; y < hole->picture.height; ++y)
                for (int x = 0; x < hole->picture.width; ++x)
                    if (hole->picture.Alpha(x, y) == 255)
                        mended.pixels[static_cast<size_t>((hole->entry.y + y) * kBoardWidth + hole->entry.x + x)] =
                            hole->picture.At(x, y);
        if (round == 0)
        {
            BuiltPicture face;
            ASSERT_TRUE(face.Load("images/pages/page04.png"));
            long long difference = 0;
            int far = 0;
            for (int y = 0; y < kBoardHeight; ++y)
                for (int x = 0; x < kBoardWidth; ++x)
                {
                    int d = 0;
                    for (int shift = 0; shift < 24; shift += 8)
                        d += std::abs(mended.Channel(x, y, shift) - face.Channel(x, y, shift));
                    difference += d;
                    far += d > 48 ? 1 : 0;
                }
            EXPECT_LT(difference / (kBoardWidth * kBoardHeight), 2) << "mean channel difference";
            EXPECT_LT(far, kBoardWidth * kBoardHeight / 500) << "pixels far from the face";
        }
    }
}

} // namespace
} // namespace Vesk
