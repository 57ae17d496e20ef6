#include "framework/appbase/ImageDump.h"

#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageSet.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/platform/WindowMessage.h"
#include "framework/resources/ImageLib.h"
#include "support/PngFile.h"
#include "support/TestApp.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace Vesk
{

using namespace Platform;
using TestSupport::PngFile;
using TestSupport::TestApp;
using TestSupport::TestDriver;
namespace fs = std::filesystem;

namespace
{

std::vector<uint32_t> Pattern(int width, int height, bool withAlpha)
{
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            uint32_t alpha = withAlpha ? uint32_t((x * 255) / std::max(width - 1, 1)) : 255u;
            pixels[size_t(y) * size_t(width) + size_t(x)] =
                alpha << 24 | uint32_t(x * 7 % 256) << 16 | uint32_t(y * 5 % 256) << 8 | uint32_t((x + y) % 256);
        }
    return pixels;
}

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Files named prefix + four digits + suffix.
int CountFiles(const fs::path& folder, const std::string& prefix, const std::string& suffix)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder))
    {
        std::string name = entry.path().filename().string();
        bool numbered = name.size() == prefix.size() + 4 + suffix.size() && name.rfind(prefix, 0) == 0 &&
                        name.compare(prefix.size() + 4, suffix.size(), suffix) == 0 &&
                        std::all_of(name.begin() + long(prefix.size()), name.begin() + long(prefix.size()) + 4,
                                    [](char c) { return c >= '0' && c <= '9'; });
        count += numbered ? 1 : 0;
    }
    return count;
}

} // namespace

TEST(ImageDumpTest, ShiftF11WritesEveryLiveImageWithAThumbnailAndAnIndexThatNamesThem)
{
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch());
    app.debugKeysEnabled = true;
    app.Fill(0xFF336699u);

    DDImage photo(&app.GetImageSet());
    photo.filePath = "images\\photo <1>.png";
    std::vector<uint32_t> photoPixels = Pattern(300, 200, true);
    photo.SetBits(photoPixels.data(), 300, 200);
    MemoryImage icon(&app.GetImageSet());
    icon.filePath = "images\\icon.gif";
    std::vector<uint32_t> iconPixels(16 * 16, 0xFFA33A2Cu);
    for (int i = 0; i < 16; ++i)
        iconPixels[size_t(i) * 16 + size_t(i)] = 0x00000000u;
    icon.SetBits(iconPixels.data(), 16, 16);
    ASSERT_TRUE(icon.Palletize());
    MemoryImage empty(&app.GetImageSet());
    empty.filePath = "images\\empty";
    size_t live = app.GetImageSet().Count();
    ASSERT_GE(live, 4u); // the screen, the three above

    driver.PressKey(KEYCODE_F11, TestDriver::Shift);
    driver.Pump();
    fs::path dump = fs::path(app.GetAppDataFolder()) / "_dump";
    std::string html = ReadText(dump / "imagelist.html");
    ASSERT_FALSE(html.empty());

    // One row per image; a picture and a thumbnail for each image that has pixels, and the
    // index names every file.
    int withPixels = int(live) - 1;
    EXPECT_EQ(CountFiles(dump, "img", ".png"), withPixels);
    EXPECT_EQ(CountFiles(dump, "thumb", ".jpg"), withPixels);
    for (int i = 0; i < withPixels; ++i)
    {
        char picture[32], thumbnail[32];
        std::snprintf(picture, sizeof(picture), "img%04d.png", i);
        std::snprintf(thumbnail, sizeof(thumbnail), "thumb%04d.jpg", i);
        EXPECT_NE(html.find(std::string("href=\"") + picture + "\""), std::string::npos) << picture;
        EXPECT_NE(html.find(std::string("src=\"") + thumbnail + "\""), std::string::npos) << thumbnail;
    }
    EXPECT_NE(html.find("images\\photo &lt;1&gt;.png"), std::string::npos);
    EXPECT_NE(html.find("300 x 200"), std::string::npos);
    EXPECT_NE(html.find("800 x 600"), std::string::npos);
    EXPECT_NE(html.find("16 x 16"), std::string::npos);
    EXPECT_NE(html.find("0 x 0"), std::string::npos);
    EXPECT_NE(html.find("Palette8"), std::string::npos);
    EXPECT_NE(html.find("HasAlpha HasTrans"), std::string::npos);
    size_t screenBytes = 800 * 600 * 4;
    size_t total = screenBytes + 300 * 200 * 4 + (16 * 16 + 2 * 4);
    EXPECT_NE(html.find("Total Image Allocation: " + std::to_string(total) + " bytes"), std::string::npos);

    // The pictures are the images' pixels (alpha kept); the thumbnails fit 128 x 128.
    bool foundPhoto = false, foundIcon = false;
    for (int i = 0; i < withPixels; ++i)
    {
        char name[32];
        std::snprintf(name, sizeof(name), "img%04d.png", i);
        std::vector<uint32_t> pixels;
        int width = 0, height = 0;
        ASSERT_TRUE(PngFile::Read((dump / name).string(), pixels, width, height)) << name;
        foundPhoto = foundPhoto || pixels == photoPixels;
        foundIcon = foundIcon || pixels == iconPixels;
        std::snprintf(name, sizeof(name), "thumb%04d.jpg", i);
        std::unique_ptr<ImageData> thumbnail = ImageLib::GetImage((dump / name).string(), false);
        ASSERT_NE(thumbnail, nullptr) << name;
        EXPECT_LE(std::max(thumbnail->width, thumbnail->height), 128);
    }
    EXPECT_TRUE(foundPhoto);
    EXPECT_TRUE(foundIcon);
    // Dumping changed no image's form.
    EXPECT_TRUE(icon.IsPalettized());

    // A later dump with fewer images leaves no stale files behind.
    icon.Create(0, 0);
    photo.Create(0, 0);
    ASSERT_TRUE(app.DumpImages());
    EXPECT_EQ(CountFiles(dump, "img", ".png"), withPixels - 2);
    EXPECT_EQ(CountFiles(dump, "thumb", ".jpg"), withPixels - 2);
}

TEST(ImageDumpTest, ThumbnailsAverageOverWhiteAndAnUnwritableFolderFails)
{
    // Half transparent, half opaque black: the left becomes white, the right black.
    ImageData picture(256, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x)
            picture.At(x, y) = x < 128 ? 0x00FF0000u : 0xFF000000u;
    ImageData thumbnail = ImageDump::Thumbnail(picture, 128);
    ASSERT_EQ(thumbnail.width, 128);
    ASSERT_EQ(thumbnail.height, 32);
    EXPECT_EQ(thumbnail.At(10, 10), 0xFFFFFFFFu);
    EXPECT_EQ(thumbnail.At(63, 31), 0xFFFFFFFFu); // transparent red shows as white
    EXPECT_EQ(thumbnail.At(64, 0), 0xFF000000u);
    EXPECT_EQ(thumbnail.At(127, 31), 0xFF000000u);
    // A picture smaller than the thumbnail keeps its size; a seam averages.
    ImageData small(3, 1);
    small.pixels = {0xFF000000u, 0x80000000u, 0xFFFFFFFFu};
    ImageData same = ImageDump::Thumbnail(small, 128);
    ASSERT_EQ(same.width, 3);
    EXPECT_EQ(same.At(1, 0), 0xFF7F7F7Fu);
    ImageData seam(2, 1);
    seam.pixels = {0xFF000000u, 0xFFFFFFFFu};
    EXPECT_EQ(ImageDump::Thumbnail(seam, 1).At(0, 0), 0xFF808080u);

    TestDriver driver;
    driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch());
    fs::path blocked = fs::path(driver.App().GetAppDataFolder()) / "_dump";
    fs::create_directories(blocked.parent_path());
    std::ofstream(blocked) << "a file where the folder should be";
    EXPECT_FALSE(driver.App().DumpImages());
    EXPECT_EQ(ReadText(blocked), "a file where the folder should be");
}

} // namespace Vesk
