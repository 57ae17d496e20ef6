#include "ContactSheet.h"

#include "FontBaker.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageData.h"
#include "framework/resources/ImageLib.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace Vesk
{

namespace
{

constexpr uint32_t kWaxRed = 0xFFA33A2C;
constexpr uint32_t kInk = 0xFF2E2118;

void WritePicture(const std::string& path, int width, int height, uint32_t color)
{
    ImageData picture(width, height);
    std::fill(picture.pixels.begin(), picture.pixels.end(), color);
    ASSERT_TRUE(ImageLib::WritePNG(path, picture));
}

// A small data tree: a baked font, a missing font, pictures of several sizes (one too big for
// a cell, one cut into cells) and a missing picture.
void WriteTinyDataTree(const TestSupport::TempFolder& folder)
{
    FontBaker::Options font;
    font.face = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    font.pointSize = 14;
    font.outputFolder = "fonts";
    font.name = "body";
    std::string error;
    ASSERT_TRUE(FontBaker::Bake(font, error)) << error;
    std::filesystem::create_directories("images");
    WritePicture("images/red.png", 40, 30, 0xFF0000FF);
    WritePicture("images/strip.png", 90, 20, 0xFF00FF00);
    WritePicture("images/huge.png", 1200, 900, 0xFFFF00FF);
    folder.WriteFile("properties/resources.xml", R"(<?xml version="1.0"?>
<ResourceManifest>
  <Resources id="Common">
    <SetDefaults path="fonts" idprefix="FONT_"/>
    <Font id="BODY" path="body.txt"/>
    <Font id="GONE" path="gone.txt"/>
    <SetDefaults path="images" idprefix="IMAGE_"/>
    <Image id="RED" path="red"/>
    <Image id="GONE" path="gone"/>
  </Resources>
  <Resources id="Interface">
    <SetDefaults path="images" idprefix="IMAGE_"/>
    <Image id="STRIP" path="strip" cols="3"/>
    <Image id="HUGE" path="huge"/>
  </Resources>
</ResourceManifest>
)");
}

const ContactSheet::Entry* FindEntry(const ContactSheet& sheet, const std::string& id)
{
    for (const ContactSheet::Entry& entry : sheet.GetEntries())
        if (entry.id == id)
            return &entry;
    return nullptr;
}

uint32_t PixelAt(const ContactSheet& sheet, int x, int y)
{
    auto* image = const_cast<MemoryImage*>(sheet.GetSheet());
    return image->GetBits()[y * image->GetWidth() + x];
}

int CountPixels(const ContactSheet& sheet, const Rect& rect, uint32_t color)
{
    int count = 0;
    for (int y = rect.y; y < rect.y + rect.height; ++y)
        for (int x = rect.x; x < rect.x + rect.width; ++x)
            count += PixelAt(sheet, x, y) == color ? 1 : 0;
    return count;
}

bool Inside(const Rect& inner, const Rect& outer)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

bool Overlap(const Rect& a, const Rect& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

} // namespace

TEST(ContactSheetTest, EveryPictureAndFontGetsALabelledCellAndTheMissingOnesPlaceholders)
{
    TestSupport::TempFolder folder;
    WriteTinyDataTree(folder);
    ContactSheet sheet;
    ContactSheet::Options options;
    options.width = 700;
    options.maxPictureWidth = 300;
    options.maxPictureHeight = 200;
    std::string error;
    ASSERT_TRUE(sheet.Make(options, error)) << error;

    ASSERT_EQ(sheet.GetEntries().size(), 6u);
    EXPECT_EQ(sheet.GetMissing(), (std::vector<std::string>{"FONT_GONE (fonts/gone.txt)", "IMAGE_GONE (images/gone)"}));
    const MemoryImage& image = *sheet.GetSheet();
    EXPECT_EQ(image.GetWidth(), 700);
    const Rect whole(0, 0, image.GetWidth(), image.GetHeight());
    for (const ContactSheet::Entry& a : sheet.GetEntries())
    {
        EXPECT_TRUE(Inside(a.frame, whole)) << a.id;
        EXPECT_TRUE(Inside(a.sample, a.frame)) << a.id;
        for (const ContactSheet::Entry& b : sheet.GetEntries())
        {
            EXPECT_TRUE(&a == &b || !Overlap(a.frame, b.frame)) << a.id << " " << b.id;
        }
    }

    // A picture that fits is drawn at its own size.
    const ContactSheet::Entry* red = FindEntry(sheet, "IMAGE_RED");
    ASSERT_NE(red, nullptr);
    EXPECT_FALSE(red->missing);
    EXPECT_EQ(red->sample.width, 40);
    EXPECT_EQ(red->sample.height, 30);
    EXPECT_EQ(CountPixels(sheet, red->sample, 0xFF0000FF), 40 * 30);
    // A big one is scaled down into the cell, keeping its proportions.
    const ContactSheet::Entry* huge = FindEntry(sheet, "IMAGE_HUGE");
    ASSERT_NE(huge, nullptr);
    EXPECT_EQ(huge->sample.height, 200);
    EXPECT_NEAR(huge->sample.width, 266, 1);
    EXPECT_GT(CountPixels(sheet, huge->sample, 0xFFFF00FF), huge->sample.width * huge->sample.height * 9 / 10);
    // A picture in cells shows the cell boundaries over it.
    const ContactSheet::Entry* strip = FindEntry(sheet, "IMAGE_STRIP");
    ASSERT_NE(strip, nullptr);
    EXPECT_NE(PixelAt(sheet, strip->sample.x + 30, strip->sample.y + 10), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(sheet, strip->sample.x + 15, strip->sample.y + 10), 0xFF00FF00u);
    // A missing picture gets a crossed-out placeholder.
    const ContactSheet::Entry* gone = FindEntry(sheet, "IMAGE_GONE");
    ASSERT_NE(gone, nullptr);
    EXPECT_TRUE(gone->missing);
    EXPECT_GT(CountPixels(sheet, gone->sample, kWaxRed), gone->sample.width * 2);

    // The font's sample line is written in ink through the font itself; a missing font's band
    // holds a placeholder and no sample.
    const ContactSheet::Entry* body = FindEntry(sheet, "FONT_BODY");
    ASSERT_NE(body, nullptr);
    EXPECT_FALSE(body->missing);
    EXPECT_GT(CountPixels(sheet, body->sample, kInk), 200);
    const ContactSheet::Entry* goneFont = FindEntry(sheet, "FONT_GONE");
    ASSERT_NE(goneFont, nullptr);
    EXPECT_TRUE(goneFont->missing);
    EXPECT_EQ(CountPixels(sheet, goneFont->sample, kInk), 0);
    EXPECT_GT(CountPixels(sheet, goneFont->sample, kWaxRed), 0);

    // Written as a PNG of the same pixels.
    ASSERT_TRUE(sheet.WritePNG("sheet.png"));
    std::unique_ptr<ImageData> written = ImageLib::GetImage("sheet.png");
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(written->width, image.GetWidth());
    EXPECT_EQ(written->height, image.GetHeight());
    EXPECT_EQ(written->At(red->sample.x + 5, red->sample.y + 5), 0xFF0000FFu);
}

TEST(ContactSheetTest, AManifestThatCannotBeReadFailsWithItsName)
{
    TestSupport::TempFolder folder;
    ContactSheet sheet;
    std::string error;
    EXPECT_FALSE(sheet.Make({}, error));
    EXPECT_NE(error.find("properties/resources.xml"), std::string::npos) << error;
    EXPECT_FALSE(sheet.WritePNG("sheet.png"));
    EXPECT_FALSE(folder.Exists("sheet.png"));

    folder.WriteFile("properties/resources.xml", "<ResourceManifest><Resources id=\"Common\"><Image/>");
    EXPECT_FALSE(sheet.Make({}, error));
    EXPECT_FALSE(error.empty());
}

} // namespace Vesk
