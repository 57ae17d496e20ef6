// The built picture sets of page 7 (sorting the ferry's cargo into its containers) and page 10
// (two windows of coloured glass, the differences), checked against what the two games do with
// them: every piece of cargo has a container that takes it and lies on the note row clear of the
// objective panel, the borrowed container comes after the round it borrows from, every
// difference is a pair of opaque patches at the same place of the two windows that differ only
// inside, and each page's face is its game's first look, so the zoom into the game does not jump.
#include "app/PictureListReader.h"
#include "framework/appbase/Buffer.h"
#include "framework/platform/FileSystem.h"
#include "support/BuiltPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::BuiltPicture;

constexpr int kBoardWidth = 767;
constexpr int kBoardHeight = 532;

struct Picture
{
    PictureListEntry entry;
    BuiltPicture picture;
    int Right() const { return entry.x + picture.width; }
    int Bottom() const { return entry.y + picture.height; }
};

bool Overlap(const Picture& a, const Picture& b)
{
    return a.entry.x < b.Right() && b.entry.x < a.Right() && a.entry.y < b.Bottom() && b.entry.y < a.Bottom();
}

std::string BuiltConfig()
{
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(Platform::ReadWholeFile(BuiltPicture::PathOf("properties/config.xml"), bytes))
        << "build the data target first";
    return std::string(bytes.begin(), bytes.end());
}

// A number of config.xml: the text after "<tag>" (or after `attribute="`), searched from `from`.
int ConfigNumber(const std::string& config, const std::string& opening, size_t from = 0)
{
    const size_t at = config.find(opening, from);
    EXPECT_NE(at, std::string::npos) << opening;
    return at == std::string::npos ? 0 : std::atoi(config.c_str() + at + opening.size());
}

// The set's pictures in file order, each loaded.
std::vector<Picture> LoadSet(const std::string& folder)
{
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(Platform::ReadWholeFile(BuiltPicture::PathOf(folder + "picture.cfg"), bytes)) << folder;
    Buffer list(bytes);
    std::vector<Picture> pictures;
    for (const PictureListEntry& entry : PictureListReader::ReadObjects(list))
    {
        Picture picture{entry, {}};
        EXPECT_TRUE(picture.picture.Load(folder + entry.fileName)) << entry.fileName;
        pictures.push_back(picture);
    }
    return pictures;
}

// Two pixels an eye can tell apart (the renderer may round an edge differently by a step).
bool Differs(uint32_t a, uint32_t b)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 8)
            return true;
    return false;
}

// Draws `top` over `page` (board pixels) at (x, y), blending by its alpha.
void DrawOver(BuiltPicture& page, const BuiltPicture& top, int x, int y)
{
    for (int row = 0; row < top.height; ++row)
        for (int column = 0; column < top.width; ++column)
        {
            const int px = x + column;
            const int py = y + row;
            if (px < 0 || py < 0 || px >= page.width || py >= page.height)
                continue;
            const int alpha = top.Alpha(column, row);
            uint32_t& out = page.pixels[static_cast<size_t>(py) * static_cast<size_t>(page.width) + px];
            uint32_t mixed = 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8)
            {
                const int under = static_cast<int>((out >> shift) & 0xFF);
                const int over = top.Channel(column, row, shift);
                mixed |= static_cast<uint32_t>((over * alpha + under * (255 - alpha) + 127) / 255) << shift;
            }
            out = mixed;
        }
}

// The face seen through the game: the built face's board part against the composed board.
void ExpectFaceIs(const BuiltPicture& composed, const std::string& face)
{
    BuiltPicture built;
    ASSERT_TRUE(built.Load(face));
    long long difference = 0;
    int far = 0;
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x)
        {
            int d = 0;
            for (int shift = 0; shift < 24; shift += 8)
                d += std::abs(composed.Channel(x, y, shift) - built.Channel(x, y, shift));
            difference += d;
            far += d > 48 ? 1 : 0;
        }
    EXPECT_LT(difference / (kBoardWidth * kBoardHeight), 2) << face << ": mean channel difference";
    EXPECT_LT(far, kBoardWidth * kBoardHeight / 500) << face << ": pixels far from the game's first look";
}

TEST(CargoAndGlassArtTest, EveryPieceOfCargoHasItsContainerAndLiesOnTheNotes)
{
    const std::string config = BuiltConfig();
    const size_t section = config.find("<MiniGame2>");
    ASSERT_NE(section, std::string::npos);
    const int rounds = ConfigNumber(config, "<rounds>", section);
    const int panelRight = ConfigNumber(config, "<BPPX>", section) + 200;
    const int listY = ConfigNumber(config, "<ListY>");
    const int boardY = ConfigNumber(config, "<BoardY>");
    const int items = ConfigNumber(config, "items=\"", config.find("<Page7 "));
    ASSERT_EQ(rounds, 2);

    const std::vector<Picture> set = LoadSet("images/pages/p07/");
    ASSERT_FALSE(set.empty());
    const Picture& deck = set.front();
    ASSERT_EQ(deck.entry.fileName.substr(0, 2), "b_");
    EXPECT_EQ(deck.picture.width, kBoardWidth);
    EXPECT_EQ(deck.picture.height, kBoardHeight);

    // kind ('c', 'p', 'm') and round -> pictures; containers by their digit
    std::map<char, std::vector<const Picture*>> kinds[2];
    int containerLines[2] = {0, 0};
    for (size_t i = 1; i < set.size(); ++i)
    {
        const std::string& name = set[i].entry.fileName;
        ASSERT_GE(name.size(), 6u) << name;
        const int round = name[2] - '1';
        ASSERT_TRUE(round >= 0 && round < rounds && name[1] == '_') << name;
        const char digit = name[4];
        ASSERT_TRUE(digit >= '1' && digit <= '6') << name;
        if (name[0] == 'c' && digit == '6')
        {
            // The game copies one of the other round's first three containers when it reads this
            // line: they must have been read already.
            EXPECT_GE(containerLines[1 - round], 3) << name << " comes before what it borrows";
        }
        else if (name[0] == 'c')
            ++containerLines[round];
        else
            EXPECT_NE(digit, '6') << name << ": nothing fits the borrowed container";
        kinds[round][name[0]].push_back(&set[i]);
    }

    // Containers swap places when a game starts: each must fit any place.
    const Picture* first = kinds[0]['c'].front();
    for (int round = 0; round < rounds; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round + 1));
        const auto& containers = kinds[round]['c'];
        ASSERT_EQ(containers.size(), 6u) << "five containers and the borrowed one";
        for (size_t c = 0; c < containers.size(); ++c)
        {
            const Picture& container = *containers[c];
            EXPECT_EQ(container.picture.width, first->picture.width) << container.entry.fileName;
            EXPECT_EQ(container.picture.height, first->picture.height) << container.entry.fileName;
            EXPECT_TRUE(container.entry.x >= 0 && container.entry.y >= 0 && container.Right() <= kBoardWidth &&
                        container.Bottom() <= listY - boardY)
                << container.entry.fileName << " lies outside the board or under the notes";
            for (size_t other = 0; other < c; ++other)
                EXPECT_FALSE(Overlap(container, *containers[other]))
                    << container.entry.fileName << " overlaps " << containers[other]->entry.fileName;
        }

        const auto& loose = kinds[round]['p'];
        const auto& placed = kinds[round]['m'];
        EXPECT_EQ(static_cast<int>(loose.size()), items) << "the page's items end a round";
        ASSERT_EQ(loose.size(), placed.size());
        bool filled[5] = {};
        for (size_t i = 0; i < loose.size(); ++i)
        {
            const Picture& item = *loose[i];
            const std::string key = item.entry.fileName.substr(4);
            SCOPED_TRACE(key);
            const Picture* inside = nullptr;
            for (const Picture* m : placed)
                if (m->entry.fileName.substr(4) == key)
                    inside = m;
            ASSERT_NE(inside, nullptr) << "no picture of it put away";
            const int digit = key[0] - '1';
            filled[digit] = true;
            // Put away, it shows inside its container (the offset is from the container's corner).
            const Picture& container = *containers[static_cast<size_t>(digit)];
            const int middleX = inside->entry.x + inside->picture.width / 2;
            const int middleY = inside->entry.y + inside->picture.height / 2;
            EXPECT_TRUE(middleX > 0 && middleY > 0 && middleX < container.picture.width &&
                        middleY < container.picture.height)
                << "its middle lies outside the container, at " << middleX << ", " << middleY;
            // Loose, it rests on the note row (screen pixels) right of the objective panel.
            EXPECT_TRUE(item.entry.x >= panelRight && item.entry.y >= listY && item.Right() <= 800 &&
                        item.Bottom() <= 600)
                << "loose at " << item.entry.x << ", " << item.entry.y;
            EXPECT_GE(std::min(item.picture.width, item.picture.height), 40);
            for (size_t other = 0; other < i; ++other)
                EXPECT_FALSE(Overlap(item, *loose[other])) << "lies on " << loose[other]->entry.fileName;
        }
        for (int c = 0; c < 5; ++c)
            EXPECT_TRUE(filled[c]) << "container " << c + 1 << " takes nothing";
    }

    // The face: the deck with round 1's containers, the borrowed one in its first place.
    BuiltPicture composed = deck.picture;
    for (const Picture* container : kinds[0]['c'])
        DrawOver(composed, container->picture, container->entry.x, container->entry.y);
    ExpectFaceIs(composed, "images/pages/page07.png");
}

TEST(CargoAndGlassArtTest, EveryDifferenceIsAPairOfPatchesAtTheSamePlaceOfTheTwoWindows)
{
    const std::string config = BuiltConfig();
    const size_t section = config.find("<MiniGame6>");
    ASSERT_NE(section, std::string::npos);
    const int rounds = ConfigNumber(config, "<rounds>", section);
    const int listY = ConfigNumber(config, "<ListY>");
    const int boardY = ConfigNumber(config, "<BoardY>");
    ASSERT_EQ(rounds, 2);

    const std::vector<Picture> set = LoadSet("images/pages/p10/");
    ASSERT_FALSE(set.empty());
    const Picture& table = set.front();
    ASSERT_EQ(table.entry.fileName.substr(0, 2), "b_");
    EXPECT_EQ(table.picture.width, kBoardWidth);
    EXPECT_EQ(table.picture.height, kBoardHeight);
    BuiltPicture firstLook;

    for (int round = 0; round < rounds; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round + 1));
        const std::string digit = std::to_string(round + 1);
        const Picture* windows[2] = {};
        std::map<std::string, const Picture*> patches[2]; // left, right: key -> patch
        for (const Picture& p : set)
        {
            const std::string& name = p.entry.fileName;
            if (name == "p_" + digit + "_left.png" || name == "p_" + digit + "_right.png")
                windows[name.find("right") != std::string::npos ? 1 : 0] = &p;
            else if ((name[0] == 'l' || name[0] == 'r') && name.substr(1, 2) == "_" + digit)
                patches[name[0] == 'r' ? 1 : 0][name.substr(2)] = &p;
        }
        ASSERT_TRUE(windows[0] && windows[1]);
        EXPECT_EQ(windows[0]->picture.width, windows[1]->picture.width);
        EXPECT_EQ(windows[0]->picture.height, windows[1]->picture.height);
        EXPECT_LE(windows[0]->Right(), kBoardWidth / 2) << "the left window reaches the right half";
        EXPECT_GE(windows[1]->entry.x, kBoardWidth / 2) << "the right window reaches the left half";
        for (const Picture* window : windows)
            EXPECT_LE(window->Bottom(), listY - boardY - 30) << "the notes would hide the window";

        const int wanted = ConfigNumber(config, "<items" + digit + ">", section);
        EXPECT_EQ(static_cast<int>(patches[0].size()), wanted);
        ASSERT_EQ(patches[0].size(), patches[1].size());
        std::vector<const Picture*> seen;
        for (const auto& [key, left] : patches[0])
        {
            SCOPED_TRACE(key);
            ASSERT_EQ(patches[1].count(key), 1u) << "a left patch without its right one";
            const Picture* sides[2] = {left, patches[1].at(key)};
            EXPECT_EQ(sides[1]->entry.x - sides[0]->entry.x, windows[1]->entry.x - windows[0]->entry.x);
            EXPECT_EQ(sides[1]->entry.y - sides[0]->entry.y, windows[1]->entry.y - windows[0]->entry.y);
            int differing = 0;
            for (int side = 0; side < 2; ++side)
            {
                const Picture& patch = *sides[side];
                const Picture& window = *windows[side];
                EXPECT_GE(std::min(patch.picture.width, patch.picture.height), 30);
                EXPECT_LE(std::max(patch.picture.width, patch.picture.height), 70);
                const int dx = patch.entry.x - window.entry.x;
                const int dy = patch.entry.y - window.entry.y;
                ASSERT_TRUE(dx >= 0 && dy >= 0 && patch.Right() <= window.Right() && patch.Bottom() <= window.Bottom())
                    << "the patch leaves its window";
                // Clickable all over (the game wants alpha above 20), and seamless: its edge is
                // the window's own pixels. The left one is the window itself; the right one
                // differs inside.
                int seeThrough = 0;
                int astray = 0;
                for (int y = 0; y < patch.picture.height; ++y)
                    for (int x = 0; x < patch.picture.width; ++x)
                    {
                        seeThrough += patch.picture.Alpha(x, y) <= 20 ? 1 : 0;
                        const bool differs = Differs(patch.picture.At(x, y), window.picture.At(dx + x, dy + y));
                        const bool edge =
                            x == 0 || y == 0 || x == patch.picture.width - 1 || y == patch.picture.height - 1;
                        astray += differs && (side == 0 || edge) ? 1 : 0;
                        differing += differs ? 1 : 0;
                    }
                EXPECT_EQ(seeThrough, 0) << patch.entry.fileName;
                EXPECT_EQ(astray, 0) << patch.entry.fileName
                                     << (side == 0 ? ": not the window's pixels" : ": a seam on its edge");
            }
            EXPECT_GE(differing, 60) << "too small a difference to find without a pixel hunt";
            for (const Picture* other : seen)
                EXPECT_FALSE(Overlap(*left, *other)) << "overlaps " << other->entry.fileName;
            seen.push_back(left);
        }
        if (round == 0)
        {
            // The face: the bench, round 1's windows and then their patches, as the game draws them.
            firstLook = table.picture;
            for (const Picture* window : windows)
                DrawOver(firstLook, window->picture, window->entry.x, window->entry.y);
            for (const auto& side : patches)
                for (const auto& [key, patch] : side)
                    DrawOver(firstLook, patch->picture, patch->entry.x, patch->entry.y);
        }
    }
    ExpectFaceIs(firstLook, "images/pages/page10.png");
}

} // namespace
} // namespace Vesk
