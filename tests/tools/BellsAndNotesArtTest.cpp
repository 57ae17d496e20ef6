// The built picture sets of page 11 (the bell-ringer's sequence) and page 18 (the final game's
// notes), checked against what their games do with them. The bell-ringer's items come in the
// game's rounds (round 1's items copied into the later ones), each a strip of FC cels the size
// of the placing effect's cels, waiting apart and clear of the tray, the buttons and the signs,
// lying inside the tray once placed, and told apart at a glance; the round-end pictures line up
// with the background, and the face is the game's first look. Every page the final game stamps
// has exactly one note naming it, the notes of a strip page lie apart on the strip, whole on a
// page face clear of the name stamp, solid enough to be taken anywhere, and are also where the
// game reads them in images/local/.
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
constexpr int kFaceHeight = 588;
constexpr int kPlacingCels = 22;

struct Picture
{
    PictureListEntry entry;
    BuiltPicture picture;
};

struct Rect
{
    int x, y, width, height;
    bool Overlaps(const Rect& o) const
    {
        return x < o.x + o.width && o.x < x + width && y < o.y + o.height && o.y < y + height;
    }
    bool Holds(const Rect& o) const
    {
        return o.x >= x && o.y >= y && o.x + o.width <= x + width && o.y + o.height <= y + height;
    }
};

std::string BuiltConfig()
{
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(Platform::ReadWholeFile(BuiltPicture::PathOf("properties/config.xml"), bytes))
        << "build the data target first";
    return std::string(bytes.begin(), bytes.end());
}

int ConfigInt(const std::string& config, const std::string& opening, size_t from = 0)
{
    const size_t at = config.find(opening, from);
    EXPECT_NE(at, std::string::npos) << opening;
    return at == std::string::npos ? 0 : std::atoi(config.c_str() + at + opening.size());
}

std::map<std::string, Picture> LoadSet(const std::string& folder, std::vector<std::string>& order)
{
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(Platform::ReadWholeFile(BuiltPicture::PathOf(folder + "picture.cfg"), bytes)) << folder;
    Buffer list(bytes);
    std::map<std::string, Picture> pictures;
    for (const PictureListEntry& entry : PictureListReader::ReadObjects(list))
    {
        Picture picture{entry, {}};
        EXPECT_TRUE(picture.picture.Load(folder + entry.fileName)) << entry.fileName;
        const std::string name = entry.fileName.substr(0, entry.fileName.size() - 4);
        order.push_back(name);
        pictures[name] = picture;
    }
    return pictures;
}

// Cel `index` of a strip of `cels` equal cels side by side.
BuiltPicture Cel(const BuiltPicture& strip, int index, int cels)
{
    BuiltPicture cel;
    cel.width = strip.width / cels;
    cel.height = strip.height;
    for (int y = 0; y < cel.height; ++y)
        for (int x = 0; x < cel.width; ++x)
            cel.pixels.push_back(strip.At(index * cel.width + x, y));
    return cel;
}

int Solid(const BuiltPicture& picture)
{
    int count = 0;
    for (uint32_t pixel : picture.pixels)
        count += (pixel >> 24) > 20 ? 1 : 0;
    return count;
}

// Draws `top` over `page` at (x, y), blending by its alpha.
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

// The share of pixels solid in only one of two pictures of one size: how far their shapes differ.
double ShapeDifference(const BuiltPicture& a, const BuiltPicture& b)
{
    int either = 0, one = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
        {
            const bool inA = a.Alpha(x, y) > 20;
            const bool inB = b.Alpha(x, y) > 20;
            either += inA || inB ? 1 : 0;
            one += inA != inB ? 1 : 0;
        }
    return either == 0 ? 0 : static_cast<double>(one) / either;
}

// The colour an eye names a picture by: the hue (degrees) most of its coloured pixels share, within
// 10 degrees; -1 for a grey or silver picture. The ink outlines and other dark pixels do not count.
constexpr int kGrey = -1;
int MainHue(const BuiltPicture& picture)
{
    int hues[360] = {};
    int grey = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
        {
            if (picture.Alpha(x, y) <= 20)
                continue;
            const int r = picture.Channel(x, y, 16), g = picture.Channel(x, y, 8), b = picture.Channel(x, y, 0);
            const int high = std::max({r, g, b});
            const int chroma = high - std::min({r, g, b});
            if (high < 60)
                continue;
            if (chroma < 40)
            {
                ++grey;
                continue;
            }
            double hue = high == r   ? 60.0 * (g - b) / chroma
                         : high == g ? 120 + 60.0 * (b - r) / chroma
                                     : 240 + 60.0 * (r - g) / chroma;
            hues[(static_cast<int>(hue) + 360) % 360]++;
        }
    int best = 0, bestCount = 0;
    for (int h = 0; h < 360; ++h)
    {
        int count = 0;
        for (int d = -10; d <= 10; ++d)
            count += hues[(h + d + 360) % 360];
        if (count > bestCount)
        {
            bestCount = count;
            best = h;
        }
    }
    return grey > bestCount ? kGrey : best;
}

int HueDistance(int a, int b)
{
    if (a == kGrey || b == kGrey)
        return a == b ? 0 : 180;
    const int d = std::abs(a - b) % 360;
    return std::min(d, 360 - d);
}

TEST(BellsAndNotesArtTest, TheBellRingersItemsComeInRoundsAndAreToldApartAtAGlance)
{
    const std::string config = BuiltConfig();
    const size_t section = config.find("<MiniGame3>");
    ASSERT_NE(section, std::string::npos);
    const int rounds = ConfigInt(config, "<rounds>", section);
    const int cels = ConfigInt(config, "<FC>", section);
    const int boardX = ConfigInt(config, "<BoardX>");
    const int boardY = ConfigInt(config, "<BoardY>");
    ASSERT_EQ(rounds, 3);
    ASSERT_GT(cels, 1);
    // What lies over the board while the items wait: the two signs (160 x 60), the replay button
    // (70 x 40) and the objective panel (200 x 120), in screen positions.
    const Rect covered[] = {
        {ConfigInt(config, "<MX>", section) - boardX, ConfigInt(config, "<MY>", section) - boardY, 160, 60},
        {ConfigInt(config, "<MDX>", section) - boardX, ConfigInt(config, "<MDY>", section) - boardY, 160, 60},
        {ConfigInt(config, "<PBX>", section) - boardX, ConfigInt(config, "<PBY>", section) - boardY, 70, 40},
        {ConfigInt(config, "<BPPX>", section) - boardX, ConfigInt(config, "<BPPY>", section) - boardY, 200, 120}};

    std::vector<std::string> order;
    const std::map<std::string, Picture> set = LoadSet("images/pages/p11/", order);
    std::vector<std::string> backgrounds;
    for (const std::string& name : order)
        if (name.rfind("b_", 0) == 0)
            backgrounds.push_back(name);
    ASSERT_EQ(backgrounds.size(), 1u) << "the first background travels at a round's end; another would cover it";
    const Picture& background = set.at(backgrounds[0]);
    // The round-end pictures are drawn at the background's place and parked at their own.
    for (const std::string name : {"t_1", "t_2"})
    {
        ASSERT_EQ(set.count(name), 1u) << name;
        const Picture& parking = set.at(name);
        EXPECT_EQ(parking.entry.x, background.entry.x) << name;
        EXPECT_EQ(parking.entry.y, background.entry.y) << name;
        EXPECT_EQ(parking.picture.width, background.picture.width) << name;
        EXPECT_GT(Solid(parking.picture), 0) << name;
    }
    EXPECT_EQ(background.entry.x, 0);
    EXPECT_EQ(background.entry.y, 0);
    EXPECT_EQ(background.picture.width, kBoardWidth);
    EXPECT_EQ(background.picture.height, kBoardHeight);
    const int pivotX = background.entry.x + ConfigInt(config, "<RX>", section);
    const int pivotY = background.entry.y + ConfigInt(config, "<RY>", section);
    EXPECT_TRUE(pivotX > 0 && pivotY > 0 && pivotX < kBoardWidth && pivotY < kBoardHeight)
        << "the whirl leaves the board";

    ASSERT_EQ(set.count("m_tray"), 1u);
    ASSERT_EQ(set.count("s_place"), 1u);
    const Picture& tray = set.at("m_tray");
    const Rect trayRect{tray.entry.x, tray.entry.y, tray.picture.width, tray.picture.height};
    const BuiltPicture& placing = set.at("s_place").picture;
    ASSERT_EQ(placing.width % kPlacingCels, 0) << "the placing effect is 22 equal cels";
    EXPECT_GT(Solid(Cel(placing, kPlacingCels - 1, kPlacingCels)), 0) << "a placed item would show nothing";

    // Each round's items: round 1's first (copied into every later round), then the round's own.
    std::vector<std::string> keys[4];
    for (const std::string& name : order)
        if (name.rfind("i_", 0) == 0)
        {
            const int round = name[2] - '0';
            ASSERT_TRUE(round >= 1 && round <= rounds) << name;
            ASSERT_TRUE(round == 1 || !keys[1].empty()) << "round 1's items must come first: " << name;
            keys[round].push_back(name.substr(2));
        }
    std::vector<std::string> played[4];
    BuiltPicture firstLook = background.picture;
    DrawOver(firstLook, tray.picture, tray.entry.x, tray.entry.y);
    std::set<std::pair<int, int>> traySlots;
    for (int round = 1; round <= rounds; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        played[round] = keys[1];
        if (round > 1)
            played[round].insert(played[round].end(), keys[round].begin(), keys[round].end());
        ASSERT_EQ(static_cast<int>(played[round].size()),
                  ConfigInt(config, "<items" + std::to_string(round) + ">", section));
        std::vector<Rect> homes, places;
        std::vector<BuiltPicture> looks;
        for (const std::string& key : played[round])
        {
            SCOPED_TRACE(key);
            ASSERT_EQ(set.count("c_" + key), 1u) << "not shown in the sequence";
            ASSERT_EQ(set.count("a_" + key), 1u) << "nothing lies in the tray";
            const Picture& item = set.at("i_" + key);
            const Picture& shown = set.at("c_" + key);
            const Picture& lying = set.at("a_" + key);
            ASSERT_EQ(item.picture.width % cels, 0) << "not a strip of " << cels << " cels";
            // The placing effect is drawn at the item's corner: the two are cut the same.
            EXPECT_EQ(item.picture.width / cels, placing.width / kPlacingCels);
            EXPECT_EQ(item.picture.height, placing.height);
            const BuiltPicture first = Cel(item.picture, 0, cels);
            const BuiltPicture last = Cel(item.picture, cels - 1, cels);
            EXPECT_GT(Solid(first), first.width * first.height / 4) << "too thin to take";
            EXPECT_LT(Solid(last), Solid(first)) << "the item does not sink into the tray";
            const Rect home{item.entry.x, item.entry.y, first.width, first.height};
            EXPECT_TRUE(Rect({0, 0, kBoardWidth, kBoardHeight}).Holds(home));
            EXPECT_FALSE(home.Overlaps(trayRect)) << "it waits on the tray";
            for (const Rect& r : covered)
                EXPECT_FALSE(home.Overlaps(r)) << "it waits under a sign, a button or the panel";
            for (const Rect& other : homes)
                EXPECT_FALSE(home.Overlaps(other)) << "two items wait on one place";
            const Rect place{lying.entry.x, lying.entry.y, lying.picture.width, lying.picture.height};
            EXPECT_TRUE(trayRect.Holds(place)) << "it lies beyond the tray";
            EXPECT_GT(
                tray.picture.Alpha(place.x + place.width / 2 - tray.entry.x, place.y + place.height / 2 - tray.entry.y),
                20);
            for (const Rect& other : places)
                EXPECT_FALSE(place.Overlaps(other)) << "two items lie on one place in the tray";
            const Picture& firstShown = set.at("c_" + played[round][0]);
            EXPECT_TRUE(shown.entry.x == firstShown.entry.x && shown.entry.y == firstShown.entry.y &&
                        shown.picture.width == firstShown.picture.width)
                << "the show jumps between items";
            for (size_t k = 0; k < looks.size(); ++k)
            {
                const double shape = ShapeDifference(first, looks[k]);
                const int hues = HueDistance(MainHue(first), MainHue(looks[k]));
                EXPECT_TRUE(shape > 0.1 && hues >= 12) << "looks like " << played[round][k] << " (shape " << shape
                                                       << ", hues " << hues << " degrees apart)";
            }
            homes.push_back(home);
            places.push_back(place);
            looks.push_back(first);
            if (round == 1)
                DrawOver(firstLook, first, home.x, home.y);
        }
    }
    BuiltPicture face;
    ASSERT_TRUE(face.Load("images/pages/page11.png"));
    long long difference = 0;
    int far = 0;
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x)
        {
            int d = 0;
            for (int shift = 0; shift < 24; shift += 8)
                d += std::abs(firstLook.Channel(x, y, shift) - face.Channel(x, y, shift));
            difference += d;
            far += d > 48 ? 1 : 0;
        }
    EXPECT_LT(difference / (kBoardWidth * kBoardHeight), 2) << "the face is not the game's first look";
    EXPECT_LT(far, kBoardWidth * kBoardHeight / 500) << "the face is not the game's first look";
}

TEST(BellsAndNotesArtTest, EveryStampedPageHasOneNoteThatLiesWholeOnTheStripAndOnItsFace)
{
    const std::string config = BuiltConfig();
    // The pages the final game stamps: every playable page, hidden-object and mini-game, but itself.
    std::set<int> pages;
    int notesWanted = 0;
    std::string finalFolder;
    for (size_t at = config.find("<Page"); at != std::string::npos; at = config.find("<Page", at + 1))
    {
        const int page = std::atoi(config.c_str() + at + 5);
        const size_t end = config.find('>', at);
        const std::string line = config.substr(at, end - at);
        const size_t type = line.find("type=\"");
        if (page == 0 || type == std::string::npos)
            continue;
        const std::string kind = line.substr(type + 6, line.find('"', type + 6) - type - 6);
        if (kind == "MGLast")
        {
            notesWanted = ConfigInt(line, "items=\"");
            const size_t dir = line.find("dir=\"") + 5;
            finalFolder = line.substr(dir, line.find('"', dir) - dir);
        }
        else if (kind == "Game" || kind == "NGame" || (kind.rfind("MG", 0) == 0 && kind != "MGList"))
            pages.insert(page);
    }
    ASSERT_FALSE(finalFolder.empty());
    ASSERT_EQ(static_cast<int>(pages.size()), notesWanted) << "the final game's page asks for another count";

    const size_t section = config.find("<MiniGameLast>");
    ASSERT_NE(section, std::string::npos);
    // The strip (IMAGE_MGLAST_NOTE, 200 x 420) at (NX, NY) holds four notes a strip page, shown
    // by the four cels of the page indicator.
    const Rect strip{ConfigInt(config, "<NX>", section), ConfigInt(config, "<NY>", section), 200, 420};
    // The game draws each note onto its page's face at the note's place; every page is done by
    // then and carries the player's name stamp (IMAGE_STAMP, 180 x 120), which it must not hide.
    const Rect nameStamp{ConfigInt(config, "<STAMPX>"), ConfigInt(config, "<STAMPY>"), 180, 120};
    std::vector<std::string> order;
    const std::map<std::string, Picture> notes = LoadSet(finalFolder, order);
    ASSERT_EQ(order.size(), pages.size());
    EXPECT_LE((order.size() + 3) / 4, 4u) << "more strip pages than the indicator shows";
    std::set<int> named;
    for (size_t i = 0; i < order.size(); ++i)
    {
        const std::string& name = order[i];
        SCOPED_TRACE(name);
        const Picture& note = notes.at(name);
        const int page = std::atoi(name.c_str());
        EXPECT_TRUE(name.size() > 2 && name[0] >= '0' && name[0] <= '9' && name[2] == '_') << "no page number first";
        EXPECT_EQ(pages.count(page), 1u) << "names no stamped page";
        EXPECT_TRUE(named.insert(page).second) << "a second note for page " << page;
        const Rect rect{note.entry.x, note.entry.y, note.picture.width, note.picture.height};
        EXPECT_TRUE(strip.Holds(rect)) << "lies beyond the strip";
        EXPECT_TRUE(Rect({0, 0, kBoardWidth, kFaceHeight}).Holds(rect)) << "cut where the face shows its place";
        EXPECT_FALSE(rect.Overlaps(nameStamp)) << "its place on the face hides the name stamp";
        EXPECT_GT(Solid(note.picture), note.picture.width * note.picture.height * 9 / 10) << "not taken everywhere";
        for (size_t k = i - i % 4; k < i; ++k)
        {
            const Picture& other = notes.at(order[k]);
            EXPECT_FALSE(rect.Overlaps({other.entry.x, other.entry.y, other.picture.width, other.picture.height}))
                << "lies on " << order[k];
        }
        BuiltPicture local;
        ASSERT_TRUE(local.Load("images/local/" + note.entry.fileName)) << "the game reads it from images/local/";
        EXPECT_EQ(local.pixels, note.picture.pixels);
    }
}

} // namespace
} // namespace Vesk
