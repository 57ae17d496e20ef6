// Checks of the desk group's built pictures (the desk and its items, the cursors and the other
// common pictures, the faces of the pages that are not played, the logos and the bonus
// pictures): each has the size the screens are laid out for, the page pictures leave the margin
// below the page clear, the desk tile joins seamlessly, and the desk items and the cover's logo
// lie where config.xml places them without covering the journal.
#include "support/BuiltPicture.h"
#include "support/BuiltPictureSizes.h"
#include "support/XmlTextScanner.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::BuiltPicture;
using TestSupport::BuiltPictureSizes;
using TestSupport::XmlTextScanner;

std::string ReadConfig()
{
    std::ifstream file(std::string(ORLO_DATA_SOURCE_DIR) + "/properties/config.xml", std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

int ConfigInt(const XmlTextScanner& scan, const std::string& path)
{
    for (const XmlTextScanner::TextElement& element : scan.Elements())
    {
        if (element.path == path)
            return std::atoi(element.text.c_str());
    }
    ADD_FAILURE() << "config.xml has no " << path;
    return 0;
}

struct Rect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool Overlaps(const Rect& other) const
    {
        return x < other.x + other.width && other.x < x + width && y < other.y + other.height && other.y < y + height;
    }
};

TEST(DeskArtTest, BuiltPicturesHaveTheSizesTheScreensExpect)
{
    for (const BuiltPictureSizes::Entry& entry : BuiltPictureSizes::Group("desk"))
    {
        BuiltPicture picture;
        ASSERT_TRUE(picture.Load(entry.path)) << "build the data target first: " << entry.path;
        EXPECT_EQ(picture.width, entry.width) << entry.path;
        EXPECT_EQ(picture.height, entry.height) << entry.path;
    }
}

// The sticker tabs are drawn under the faces and must show below the page, and the page-edge
// overlay is drawn over every played page: both are clear where they must not hide anything.
TEST(DeskArtTest, PagePicturesLeaveTheMarginBelowThePageClear)
{
    for (const char* path :
         {"images/pages/page01.png", "images/pages/page02.png", "images/pages/page19.png", "images/pages/page20.png"})
    {
        BuiltPicture face;
        ASSERT_TRUE(face.Load(path)) << path;
        ASSERT_EQ(face.height, 588) << path;
        int marginOpaque = 0;
        for (int y = 532; y < 588; ++y)
        {
            for (int x = 0; x < face.width; ++x)
                marginOpaque += face.Alpha(x, y) != 0 ? 1 : 0;
        }
        EXPECT_EQ(marginOpaque, 0) << path;
        EXPECT_EQ(face.Alpha(383, 266), 255) << path << ": the page itself is opaque";
        EXPECT_EQ(face.Alpha(100, 500), 255) << path;
    }

    BuiltPicture overlay;
    ASSERT_TRUE(overlay.Load("images/common/pages.png"));
    ASSERT_EQ(overlay.height, 588);
    int coveredInside = 0;
    for (int y = 0; y < 515; ++y)
    {
        for (int x = 0; x < 750; ++x)
            coveredInside += overlay.Alpha(x, y) != 0 ? 1 : 0;
    }
    EXPECT_EQ(coveredInside, 0) << "the overlay covers the page's picture";
    for (int y = 540; y < 588; ++y)
        EXPECT_EQ(overlay.Alpha(300, y), 0) << "margin row " << y;
    EXPECT_EQ(overlay.Alpha(762, 260), 255) << "page edges at the right";
    EXPECT_EQ(overlay.Alpha(380, 527), 255) << "page edges at the bottom";
}

// The desk is tiled 5 x 5: the step from the tile's last column (row) to its first must look
// like any step inside the tile.
TEST(DeskArtTest, DeskTileJoinsSeamlessly)
{
    BuiltPicture tile;
    ASSERT_TRUE(tile.Load("images/common/bgtile.png"));
    ASSERT_EQ(tile.width, 600);
    ASSERT_EQ(tile.height, 400);
    auto columnStep = [&](int a, int b)
    {
        double sum = 0;
        for (int y = 0; y < tile.height; ++y)
        {
            for (int shift : {0, 8, 16})
                sum += std::abs(tile.Channel(a, y, shift) - tile.Channel(b, y, shift));
        }
        return sum / (tile.height * 3);
    };
    auto rowStep = [&](int a, int b)
    {
        double sum = 0;
        for (int x = 0; x < tile.width; ++x)
        {
            for (int shift : {0, 8, 16})
                sum += std::abs(tile.Channel(x, a, shift) - tile.Channel(x, b, shift));
        }
        return sum / (tile.width * 3);
    };
    double insideColumns = 0;
    for (int x = 50; x < 550; x += 50)
        insideColumns += columnStep(x, x + 1);
    insideColumns /= 10;
    EXPECT_LE(columnStep(599, 0), 2.0 * insideColumns + 1.0);
    // The last row meets the first at a plank seam, as row 98 meets the seam of row 99 inside.
    EXPECT_LE(rowStep(399, 0), 1.5 * rowStep(98, 99) + 1.0);
    for (int x = 0; x < tile.width; x += 37)
        EXPECT_EQ(tile.Alpha(x, 200), 255) << "the desk is opaque";
}

// The desk items are drawn centred at their records in a world where the journal lies at
// (1100 + BoardX, 700 + BoardY): none may reach onto its page.
TEST(DeskArtTest, DeskItemsLieBesideTheJournal)
{
    const std::string config = ReadConfig();
    const XmlTextScanner scan(config);
    ASSERT_EQ(scan.Error(), "");
    const Rect journal{1100 + ConfigInt(scan, "Common/BoardX"), 700 + ConfigInt(scan, "Common/BoardY"), 767, 532};

    // The records read "<ItemN x=".." y=".." image=".."/>", one per line.
    const auto attribute = [](const std::string& record, const std::string& name)
    {
        const size_t start = record.find(" " + name + "=\"");
        if (start == std::string::npos)
            return std::string();
        const size_t valueStart = start + name.size() + 3;
        return record.substr(valueStart, record.find('"', valueStart) - valueStart);
    };
    int items = 0;
    for (size_t at = config.find("<Item"); at != std::string::npos; at = config.find("<Item", at + 1))
    {
        if (at + 5 >= config.size() || !std::isdigit(static_cast<unsigned char>(config[at + 5])))
            continue;
        const std::string record = config.substr(at, config.find("/>", at) - at);
        const std::string image = attribute(record, "image") + ".png";
        BuiltPicture picture;
        ASSERT_TRUE(picture.Load(image)) << image;
        const Rect place{std::stoi(attribute(record, "x")) - picture.width / 2,
                         std::stoi(attribute(record, "y")) - picture.height / 2, picture.width, picture.height};
        EXPECT_FALSE(place.Overlaps(journal)) << image << " covers the journal";
        EXPECT_TRUE(place.x >= 0 && place.y >= 0 && place.x + place.width <= 3000 && place.y + place.height <= 2000)
            << image << " lies off the desk";
        ++items;
    }
    EXPECT_EQ(items, ConfigInt(scan, "Desktop/ItemsCount"));
}

// The cover shows the logo at (MPCX, MPCY) on the screen; both logo pictures share one size so
// the hover swap does not jump, and the logo stays on the cover's page and off the menu column.
TEST(DeskArtTest, CoverLogoFitsOnTheCover)
{
    BuiltPicture plain;
    BuiltPicture highlighted;
    ASSERT_TRUE(plain.Load("fsdata/logo_na.png"));
    ASSERT_TRUE(highlighted.Load("fsdata/logo_a.png"));
    EXPECT_EQ(plain.width, highlighted.width);
    EXPECT_EQ(plain.height, highlighted.height);
    EXPECT_EQ(plain.Alpha(0, 0), 0) << "the logo's ground is transparent";
    EXPECT_NE(plain.pixels, highlighted.pixels) << "the highlight changes the logo";

    const XmlTextScanner scan(ReadConfig());
    ASSERT_EQ(scan.Error(), "");
    const int boardX = ConfigInt(scan, "Common/BoardX");
    const int boardY = ConfigInt(scan, "Common/BoardY");
    const Rect logo{ConfigInt(scan, "Pages/MPCX"), ConfigInt(scan, "Pages/MPCY"), plain.width, plain.height};
    EXPECT_GE(logo.x, boardX);
    EXPECT_LE(logo.x + logo.width, boardX + 767);
    EXPECT_LE(logo.y + logo.height, boardY + 532) << "the logo hangs below the cover";
    const Rect menuColumn{boardX + ConfigInt(scan, "Pages/PlayX"), boardY + ConfigInt(scan, "Pages/PlayY"), 220,
                          ConfigInt(scan, "Pages/ExitY") + 44 - ConfigInt(scan, "Pages/PlayY")};
    EXPECT_FALSE(logo.Overlaps(menuColumn)) << "the logo lies under the menu";
}

} // namespace
} // namespace Vesk
