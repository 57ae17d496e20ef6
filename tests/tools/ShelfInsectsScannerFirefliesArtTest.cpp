// The built picture sets of pages 13 (arranging the apothecary shelf), 14 (insects under the
// lens), 16 (the customs scanner) and 17 (fireflies under the glass), checked against what the
// four games do with them: every jar has a target inside its round's drop area and a click mask
// centred on it, the insects' cards lie in one pile and their close-ups are exact enlargements,
// the scanner's cover leaves the belt open and every round has enough smuggled goods, and every
// firefly can be reached by the glass, caught at its middle and painted over once caught, some
// waiting beyond the screen for a freed compartment. The
// faces of the shelf and the insects pages are their games' first look, so the zoom does not jump.
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

struct Rect
{
    int x, y, width, height;
};

bool Overlap(const Picture& a, const Picture& b)
{
    return a.entry.x < b.Right() && b.entry.x < a.Right() && a.entry.y < b.Bottom() && b.entry.y < a.Bottom();
}

bool Inside(const Picture& p, const Rect& r)
{
    return p.entry.x >= r.x && p.entry.y >= r.y && p.Right() <= r.x + r.width && p.Bottom() <= r.y + r.height;
}

bool Touches(const Picture& p, const Rect& r)
{
    return p.entry.x < r.x + r.width && r.x < p.Right() && p.entry.y < r.y + r.height && r.y < p.Bottom();
}

std::string BuiltConfig()
{
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(Platform::ReadWholeFile(BuiltPicture::PathOf("properties/config.xml"), bytes))
        << "build the data target first";
    return std::string(bytes.begin(), bytes.end());
}

// A number of config.xml: the text after "<tag>" (or after `attribute="`), searched from `from`.
double ConfigNumber(const std::string& config, const std::string& opening, size_t from = 0)
{
    const size_t at = config.find(opening, from);
    EXPECT_NE(at, std::string::npos) << opening;
    return at == std::string::npos ? 0 : std::atof(config.c_str() + at + opening.size());
}

// The set's pictures in file order, each loaded, by file name without ".png".
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

void ExpectWholeBoard(const Picture& background)
{
    EXPECT_EQ(background.entry.x, 0);
    EXPECT_EQ(background.entry.y, 0);
    EXPECT_EQ(background.picture.width, kBoardWidth);
    EXPECT_EQ(background.picture.height, kBoardHeight);
}

TEST(ShelfInsectsScannerFirefliesArtTest, EveryJarHasItsPlaceInTheDropAreaAndAMaskCentredOnIt)
{
    const std::string config = BuiltConfig();
    const size_t section = config.find("<MiniGame4>");
    ASSERT_NE(section, std::string::npos);
    const int rounds = static_cast<int>(ConfigNumber(config, "<rounds>", section));
    const int boardX = static_cast<int>(ConfigNumber(config, "<BoardX>"));
    const int boardY = static_cast<int>(ConfigNumber(config, "<BoardY>"));
    const double normD = ConfigNumber(config, "<normD>", section);
    // The check and reset buttons (70 x 40) and the objective panel (200 x 122), on the board.
    const Rect covered[] = {{static_cast<int>(ConfigNumber(config, "<RBX>", section)) - boardX,
                             static_cast<int>(ConfigNumber(config, "<RBY>", section)) - boardY, 70, 40},
                            {static_cast<int>(ConfigNumber(config, "<SBX>", section)) - boardX,
                             static_cast<int>(ConfigNumber(config, "<SBY>", section)) - boardY, 70, 40},
                            {static_cast<int>(ConfigNumber(config, "<BPPX>", section)) - boardX,
                             static_cast<int>(ConfigNumber(config, "<BPPY>", section)) - boardY, 200, 122}};
    ASSERT_EQ(rounds, 2);

    std::vector<std::string> order;
    const std::map<std::string, Picture> set = LoadSet("images/pages/p13/", order);
    BuiltPicture firstLook;
    for (int round = 1; round <= rounds; ++round)
    {
        const std::string number = std::to_string(round);
        SCOPED_TRACE("round " + number);
        const std::string prefix = "_" + number + "_";
        // Its backgrounds in file order: the first one, then the drop area ('d' fifth).
        std::vector<const Picture*> backgrounds;
        std::vector<std::string> keys;
        for (const std::string& name : order)
            if (name.substr(1, 3) == prefix && name[0] == 'b')
                backgrounds.push_back(&set.at(name));
            else if (name.substr(1, 3) == prefix && name[0] == 'i')
                keys.push_back(name.substr(4));
        ASSERT_EQ(backgrounds.size(), 2u);
        ASSERT_NE(backgrounds[0]->entry.fileName[4], 'd');
        ASSERT_EQ(backgrounds[1]->entry.fileName[4], 'd');
        const Picture& drop = *backgrounds[1];
        const Rect dropArea{drop.entry.x, drop.entry.y, drop.picture.width, drop.picture.height};
        EXPECT_EQ(static_cast<int>(keys.size()),
                  static_cast<int>(ConfigNumber(config, "<items" + number + ">", section)))
            << "a check measures the round's first items pieces";

        std::vector<const Picture*> homes, targets;
        for (const std::string& key : keys)
        {
            SCOPED_TRACE(key);
            ASSERT_EQ(set.count("m" + prefix + key), 1u) << "no target";
            ASSERT_EQ(set.count("s" + prefix + key), 1u) << "no click mask";
            const Picture& piece = set.at("i" + prefix + key);
            const Picture& target = set.at("m" + prefix + key);
            const Picture& mask = set.at("s" + prefix + key);
            // The check compares corners: the target is cut the size of the piece.
            EXPECT_EQ(target.picture.width, piece.picture.width);
            EXPECT_EQ(target.picture.height, piece.picture.height);
            EXPECT_TRUE(Inside(target, dropArea)) << "its place lies outside the drop area";
            EXPECT_GT(std::abs(target.entry.x - piece.entry.x) + std::abs(target.entry.y - piece.entry.y), 4 * normD)
                << "it starts where it belongs";
            EXPECT_FALSE(Touches(piece, dropArea)) << "it waits inside the drop area";
            EXPECT_TRUE(piece.entry.x >= 0 && piece.entry.y >= 0 && piece.Right() <= kBoardWidth &&
                        piece.Bottom() <= kBoardHeight);
            for (const Rect& r : covered)
                EXPECT_FALSE(Touches(piece, r)) << "it waits under a button or the objective panel";
            // The game centres the mask on the piece: the same rim on every side, and the piece's
            // middle takes it (green), its rim only when it was taken last (red, no green).
            const int rimX = mask.picture.width - piece.picture.width;
            const int rimY = mask.picture.height - piece.picture.height;
            EXPECT_TRUE(rimX >= 0 && rimX == rimY && rimX % 2 == 0) << "mask not centred: rim " << rimX << ", " << rimY;
            const int my = mask.picture.height / 2;
            EXPECT_GT(mask.picture.Channel(mask.picture.width / 2, my, 8), 20) << "its middle cannot be taken";
            int edge = 0;
            while (edge < mask.picture.width && mask.picture.Alpha(edge, my) == 0)
                ++edge;
            ASSERT_LT(edge + 1, mask.picture.width) << "an empty mask";
            EXPECT_LE(mask.picture.Channel(edge + 1, my, 8), 20) << "the rim takes it even when not taken last";
            EXPECT_GT(mask.picture.Channel(edge + 1, my, 16), 20) << "the rim never takes it";
            for (const Picture* other : homes)
                EXPECT_FALSE(Overlap(piece, *other)) << "waits on " << other->entry.fileName;
            for (const Picture* other : targets)
                EXPECT_FALSE(Overlap(target, *other)) << "its place overlaps " << other->entry.fileName;
            homes.push_back(&piece);
            targets.push_back(&target);
        }
        if (round == 1)
        {
            ExpectWholeBoard(*backgrounds[0]);
            firstLook = backgrounds[0]->picture;
            DrawOver(firstLook, drop.picture, drop.entry.x, drop.entry.y);
            for (const Picture* piece : homes)
                DrawOver(firstLook, piece->picture, piece->entry.x, piece->entry.y);
        }
        else
        {
            // The next round's background lifts in over the solved shelf: it must leave it clear.
            const Picture& next = *backgrounds[0];
            for (const std::string& name : order)
                if (name.substr(0, 3) == "m_1")
                {
                    const Picture& solved = set.at(name);
                    for (int y = 0; y < solved.picture.height; y += 4)
                        for (int x = 0; x < solved.picture.width; x += 4)
                        {
                            const int nx = solved.entry.x + x - next.entry.x;
                            const int ny = solved.entry.y + y - next.entry.y;
                            if (nx >= 0 && ny >= 0 && nx < next.picture.width && ny < next.picture.height)
                            {
                                ASSERT_EQ(next.picture.Alpha(nx, ny), 0) << "round 2 covers " << name;
                            }
                        }
                }
        }
    }
    ExpectFaceIs(firstLook, "images/pages/page13.png");
}

TEST(ShelfInsectsScannerFirefliesArtTest, TheInsectsLieApartUnderTheGlassWithOneCardPileAndExactCloseUps)
{
    const std::string config = BuiltConfig();
    const size_t section = config.find("<MiniGame8>");
    ASSERT_NE(section, std::string::npos);
    const int boardX = static_cast<int>(ConfigNumber(config, "<BoardX>"));
    const int boardY = static_cast<int>(ConfigNumber(config, "<BoardY>"));
    const double scale = ConfigNumber(config, "<SCL>", section);
    const int slide = static_cast<int>(ConfigNumber(config, "<PS>", section));
    const Rect glass{static_cast<int>(ConfigNumber(config, "<Gx>", section)) - boardX,
                     static_cast<int>(ConfigNumber(config, "<Gy>", section)) - boardY,
                     static_cast<int>(ConfigNumber(config, "<GX>", section) - ConfigNumber(config, "<Gx>", section)),
                     static_cast<int>(ConfigNumber(config, "<GY>", section) - ConfigNumber(config, "<Gy>", section))};
    const int items = static_cast<int>(ConfigNumber(config, "items=\"", config.find("<Page14 ")));

    std::vector<std::string> order;
    const std::map<std::string, Picture> set = LoadSet("images/pages/p14/", order);
    ASSERT_FALSE(order.empty());
    ASSERT_EQ(order.front().substr(0, 2), "b_");
    ExpectWholeBoard(set.at(order.front()));
    BuiltPicture firstLook = set.at(order.front()).picture;

    std::vector<const Picture*> insects;
    const Picture* pile = nullptr;
    for (const std::string& name : order)
    {
        if (name[0] != 's')
            continue;
        const std::string key = name.substr(2);
        SCOPED_TRACE(key);
        const Picture& insect = set.at(name);
        ASSERT_EQ(set.count("p_" + key), 1u) << "no card";
        ASSERT_EQ(set.count("v_" + key), 1u) << "no close-up";
        const Picture& card = set.at("p_" + key);
        const Picture& closeUp = set.at("v_" + key);
        EXPECT_GE(std::min(insect.picture.width, insect.picture.height), 20) << "too small to click";
        EXPECT_LE(std::max(insect.picture.width, insect.picture.height), 50) << "too large to search for";
        EXPECT_TRUE(Inside(insect, glass)) << "the glass does not reach it";
        // The strip draws the wanted cards in order, the wanted one last: one pile shows it alone.
        if (pile == nullptr)
            pile = &card;
        EXPECT_EQ(card.entry.x, pile->entry.x);
        EXPECT_EQ(card.entry.y, pile->entry.y);
        EXPECT_EQ(card.picture.width, pile->picture.width);
        EXPECT_EQ(card.picture.height, pile->picture.height);
        EXPECT_LE(boardX + card.Right() + slide, 800) << "a found card slides off the screen";
        EXPECT_FALSE(Overlap(card, insect)) << "the pile hides it";
        // The glass shows the close-up instead of an enlargement only at the glass's scale.
        EXPECT_NEAR(closeUp.picture.width, insect.picture.width * scale, 1.0);
        EXPECT_NEAR(closeUp.picture.height, insect.picture.height * scale, 1.0);
        for (const Picture* other : insects)
            EXPECT_FALSE(Overlap(insect, *other)) << "a click could take " << other->entry.fileName;
        insects.push_back(&insect);
        DrawOver(firstLook, insect.picture, insect.entry.x, insect.entry.y);
    }
    EXPECT_GT(static_cast<int>(insects.size()), items) << "the page asks for more insects than hide";
    ASSERT_NE(pile, nullptr);
    DrawOver(firstLook, pile->picture, pile->entry.x, pile->entry.y);
    ExpectFaceIs(firstLook, "images/pages/page14.png");
}

TEST(ShelfInsectsScannerFirefliesArtTest, TheScannerCoverLeavesTheBeltOpenAndEveryRoundHasSmuggledGoods)
{
    const std::string config = BuiltConfig();
    const size_t section = config.find("<MiniGame5>");
    ASSERT_NE(section, std::string::npos);
    const int rounds = static_cast<int>(ConfigNumber(config, "<rounds>", section));
    const int boardY = static_cast<int>(ConfigNumber(config, "<BoardY>"));
    const int fromY = static_cast<int>(ConfigNumber(config, "<fromY>", section));
    const int toY = static_cast<int>(ConfigNumber(config, "<toY>", section));
    ASSERT_EQ(rounds, 3);

    std::vector<std::string> order;
    const std::map<std::string, Picture> set = LoadSet("images/pages/p16/", order);
    ASSERT_GE(order.size(), 2u);
    // The belt lies first, under everything; the page's cover with its window over the goods.
    ASSERT_EQ(order[0].substr(0, 2), "u_");
    ASSERT_EQ(order[1].substr(0, 3), "b_1");
    const Picture& belt = set.at(order[0]);
    const Picture& cover = set.at(order[1]);
    ExpectWholeBoard(cover);

    // The goods are drawn under the covers: between the flaps the belt must show. The scanner's
    // field is a light tint and its posts are thin, so nearly every point of the belt is clear.
    int samples = 0;
    int open = 0;
    for (int y = fromY + 20 - boardY; y < toY - 16 - boardY; y += 7)
        for (int x = 70; x < 690; x += 5)
        {
            ++samples;
            open += cover.picture.Alpha(x, y) <= 60 ? 1 : 0;
        }
    EXPECT_GT(open, samples * 95 / 100) << "the cover hides the belt";
    // Where the cover is open the belt is solid: the desk under the page never shows through.
    for (int y = fromY + 20 - boardY; y < toY - 16 - boardY; y += 7)
        for (int x = 70; x < 690; x += 5)
            ASSERT_EQ(belt.picture.Alpha(x - belt.entry.x, y - belt.entry.y), 255) << "at board " << x << ", " << y;
    EXPECT_EQ(cover.picture.Alpha(400, 30), 255) << "the goods show through the title band";

    for (int round = 1; round <= rounds; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string digit = std::to_string(round);
        int goods = 0;
        int suspicious = 0;
        for (const std::string& name : order)
        {
            const Picture& picture = set.at(name);
            if (name.substr(0, 3) == "b_" + digit && round > 1)
            {
                EXPECT_TRUE(picture.Bottom() <= fromY - boardY || picture.entry.y >= toY - boardY)
                    << name << " covers the belt";
            }
            if (name.substr(0, 4) != "o_" + digit + "_")
                continue;
            ++goods;
            const std::string key = name.substr(2);
            EXPECT_LE(picture.picture.height, toY - fromY) << key << " is taller than the belt";
            if (set.count("c_" + key) == 0)
                continue;
            ++suspicious;
            const Picture& inside = set.at("c_" + key);
            ASSERT_EQ(inside.picture.width, picture.picture.width) << key;
            ASSERT_EQ(inside.picture.height, picture.picture.height) << key;
            // Past the scanner a suspicious piece must look plainly different.
            int changed = 0;
            for (int y = 0; y < picture.picture.height; ++y)
                for (int x = 0; x < picture.picture.width; ++x)
                    changed += std::abs(inside.picture.Channel(x, y, 16) - picture.picture.Channel(x, y, 16)) > 40;
            EXPECT_GT(changed, picture.picture.width * picture.picture.height / 4) << key << " hardly changes";
        }
        for (const std::string& name : order)
        {
            if (name.substr(0, 4) == "c_" + digit + "_")
            {
                EXPECT_EQ(set.count("o_" + name.substr(2)), 1u) << name << " has no piece of luggage";
            }
        }
        EXPECT_GE(suspicious, static_cast<int>(ConfigNumber(config, "<items" + digit + ">", section)))
            << "the round cannot be won";
        EXPECT_LT(suspicious, goods) << "nothing harmless rides the belt";
    }
}

TEST(ShelfInsectsScannerFirefliesArtTest, EveryFireflyCanBeReachedCaughtAtItsMiddleAndPaintedOver)
{
    const std::string config = BuiltConfig();
    const size_t section = config.find("<MiniGame9>");
    ASSERT_NE(section, std::string::npos);
    const int boardX = static_cast<int>(ConfigNumber(config, "<BoardX>"));
    const int boardY = static_cast<int>(ConfigNumber(config, "<BoardY>"));
    const int scale = static_cast<int>(ConfigNumber(config, "<SCL>", section));
    const int restX = static_cast<int>(ConfigNumber(config, "<SANIMDX>", section));
    const int restY = static_cast<int>(ConfigNumber(config, "<SANIMDY>", section));
    const int lx = static_cast<int>(ConfigNumber(config, "<Lx>", section));
    const int hx = static_cast<int>(ConfigNumber(config, "<LX>", section));
    const int ly = static_cast<int>(ConfigNumber(config, "<Ly>", section));
    const int hy = static_cast<int>(ConfigNumber(config, "<LY>", section));
    const int items = static_cast<int>(ConfigNumber(config, "items=\"", config.find("<Page17 ")));
    ASSERT_EQ(scale, 3) << "the scene pictures are drawn at three times their size";

    std::vector<std::string> order;
    const std::map<std::string, Picture> set = LoadSet("images/pages/p17/", order);
    ASSERT_FALSE(order.empty());
    ASSERT_EQ(order.front().substr(0, 2), "b_");
    ExpectWholeBoard(set.at(order.front()));

    int extras = 0;
    std::vector<const Picture*> slots;
    std::vector<const Picture*> waiting;
    int flies = 0;
    for (const std::string& name : order)
    {
        const Picture& picture = set.at(name);
        if (name[0] == 's')
        {
            EXPECT_EQ(name, "s_" + std::to_string(++extras)) << "extra scene pictures are numbered 1, 2, 3 ...";
            EXPECT_TRUE(picture.picture.width % scale == 0 && picture.picture.height % scale == 0) << name;
            continue;
        }
        if (name[0] != 'o')
            continue;
        ++flies;
        const std::string key = name.substr(2);
        SCOPED_TRACE(key);
        ASSERT_EQ(set.count("p_" + key), 1u) << "no portrait among the wanted";
        ASSERT_EQ(set.count("g_" + key), 1u) << "nothing to paint over it once caught";
        const Picture& slot = set.at("p_" + key);
        const Picture& taken = set.at("g_" + key);
        const int w = picture.picture.width;
        const int h = picture.picture.height;
        ASSERT_TRUE(w % scale == 0 && h % scale == 0);
        // The glass centre must get over its middle, and a press there catches it.
        const int middleX = boardX + picture.entry.x + w / scale / 2;
        const int middleY = boardY + picture.entry.y + h / scale / 2;
        EXPECT_TRUE(middleX >= lx && middleX <= hx && middleY >= ly && middleY <= hy)
            << "the glass cannot reach " << middleX << ", " << middleY;
        EXPECT_GT(picture.picture.Alpha(w / 2, h / 2), 20) << "its middle does not catch it";
        // Once caught the glass shows the meadow behind it: opaque, the same size.
        ASSERT_EQ(taken.picture.width, w);
        ASSERT_EQ(taken.picture.height, h);
        int clear = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                clear += taken.picture.Alpha(x, y) < 255 ? 1 : 0;
        EXPECT_EQ(clear, 0) << "the caught firefly still shows through";
        // It comes to rest inside its compartment, wherever it is wanted.
        EXPECT_TRUE(restX >= 0 && restY >= 0 && restX + w / scale <= slot.picture.width &&
                    restY + h / scale <= slot.picture.height)
            << "a caught firefly settles outside its compartment";
        // A portrait placed beyond the screen waits: it drops into the compartment of a caught
        // firefly, so it must fill one exactly.
        if (slot.entry.x > 800)
        {
            waiting.push_back(&slot);
            continue;
        }
        EXPECT_GE(slot.entry.x, hx - boardX) << "its compartment lies where the glass goes";
        for (const Picture* other : slots)
            EXPECT_FALSE(Overlap(slot, *other)) << "shares its compartment with " << other->entry.fileName;
        slots.push_back(&slot);
    }
    EXPECT_GT(extras, 0);
    EXPECT_GE(flies, items) << "the page asks for more fireflies than fly";
    ASSERT_FALSE(slots.empty()) << "no firefly is wanted from the start";
    EXPECT_FALSE(waiting.empty()) << "no firefly waits for a freed compartment";
    for (const Picture* portrait : waiting)
        EXPECT_TRUE(portrait->picture.width == slots.front()->picture.width &&
                    portrait->picture.height == slots.front()->picture.height)
            << portrait->entry.fileName << " does not fill a compartment";
}

} // namespace
} // namespace Vesk
