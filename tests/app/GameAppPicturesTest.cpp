#include "app/GameApp.h"
#include "app/Resources.h"
#include "framework/graphics/MemoryImage.h"
#include "support/FakeFont.h"
#include "support/MessageBoxRecorder.h"
#include "support/PngFile.h"
#include "support/TempFolder.h"
#include "support/TestGameApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::FakeFont;
using TestSupport::PngFile;
using TestSupport::TempFolder;
using TestSupport::TestGameApp;

// Eight pages. Page 3 has a done face of its own, page 4's done face is the contents face and
// page 5's done face is page 4's face (both shared); page 6's picture is missing.
const char* kConfig = R"(<?xml version="1.0" encoding="utf-8"?>
<Pages><PagesNumber>8</PagesNumber><TitlesNumber>1</TitlesNumber></Pages>
<Desktop>
  <STAMPX>300</STAMPX><STAMPY>200</STAMPY>
  <STAMP_WX>320</STAMP_WX><STAMP_WY>260</STAMP_WY>
  <STAMP_Wr>40</STAMP_Wr><STAMP_Wg>50</STAMP_Wg><STAMP_Wb>120</STAMP_Wb>
  <ItemsCount>2</ItemsCount>
</Desktop>
<Pages>
  <Page1 face="f/cover" type="Cover" open="true"/>
  <Page2 face="f/contents" type="Contents" open="true"/>
  <Page3 face="f/p3" done_face="f/p3done" dir="pages/p03/" type="Game" open="true"/>
  <Page4 face="f/p4" done_face="f/contents" type="MG1" open="true"/>
  <Page5 face="f/p5" done_face="f/p4" type="Game" open="true"/>
  <Page6 face="f/missing" type="NGame"/>
  <Page7 face="f/p7" type="MGList" open="true"/>
  <Page8 face="f/p8" type="Credits" open="true"/>
  <Title3 page="3" pn="3" nX="40" nY="40"/>
  <Bonus1 x="1" y="2" bitmap="b/1"/>
  <Bonus2 x="3" y="4" bitmap="b/missing"/>
</Pages>
<Desktop><Item1 x="5" y="6" image="desk/cup"/><Item2 image="desk/missing"/></Desktop>
)";

const char* kLocal = R"(<?xml version="1.0" encoding="utf-8"?>
<Common><default_name>Traveller</default_name></Common>
)";

constexpr uint32_t kOverlay = 0xFF2E2118;
constexpr uint32_t kStamp = 0xFFA33A2C;
constexpr uint32_t kNameColour = 0xFF283278; // (40, 50, 120)
constexpr int kFaceWidth = 40;
constexpr int kFaceHeight = 30;

// The colour of each page's face picture (0: no picture), and of page 3's done face.
const uint32_t kFaceColours[8] = {0xFFF4EBD6, 0xFFE9DCBD, 0xFF2F6E6A, 0xFF6B7F3A,
                                  0xFFC9A24A, 0,          0xFF7FA6B8, 0xFFF6E7A1};
constexpr uint32_t kDoneColour = 0xFFDDE8B9;

std::unique_ptr<MemoryImage> SolidImage(int width, int height, uint32_t pixel)
{
    auto image = std::make_unique<MemoryImage>();
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), pixel);
    image->SetBits(pixels.data(), width, height);
    return image;
}

uint32_t PixelAt(DDImage* image, int x, int y)
{
    if (image == nullptr || x < 0 || y < 0 || x >= image->GetWidth() || y >= image->GetHeight())
        return 0xDEADBEEF;
    return image->GetBits()[static_cast<size_t>(y) * static_cast<size_t>(image->GetWidth()) + static_cast<size_t>(x)];
}

int CountPixels(DDImage* image, int left, int top, int width, int height, uint32_t pixel)
{
    int count = 0;
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x)
            if (PixelAt(image, x, y) == pixel)
                ++count;
    return count;
}

class GameAppPicturesTest : public ::testing::Test
{
protected:
    GameAppPicturesTest()
    {
        folder.WriteFile("properties/config.xml", kConfig);
        folder.WriteFile("properties/local.xml", kLocal);
        static const char* const faces[8] = {"f/cover", "f/contents", "f/p3", "f/p4", "f/p5", "", "f/p7", "f/p8"};
        for (int row = 0; row < 8; ++row)
            if (kFaceColours[row] != 0)
                WritePicture(faces[row], kFaceWidth, kFaceHeight, kFaceColours[row]);
        WritePicture("f/p3done", kFaceWidth, kFaceHeight, kDoneColour);
        WritePicture("images/contents/3_on", 8, 6, 0xFF5A4030);
        WritePicture("b/1", 5, 5, 0xFFF2D0C4);
        WritePicture("desk/cup", 7, 3, 0xFFCFE0E6);
        BindTestResources();
    }
    ~GameAppPicturesTest() override { ResetResourceIdentifiers(); }

    // The identifiers the pictures are drawn with; an application's destructor resets them.
    void BindTestResources()
    {
        IMAGE_PAGES = overlay.get();
        IMAGE_STAMP = stamp.get();
        FONT_SCRIPT = &scriptFont;
    }

    void WritePicture(const std::string& name, int width, int height, uint32_t pixel)
    {
        WritePicture(name, width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, pixel));
    }
    void WritePicture(const std::string& name, int width, int height, const std::vector<uint32_t>& pixels)
    {
        std::filesystem::path path = folder / (name + ".png");
        std::filesystem::create_directories(path.parent_path());
        ASSERT_TRUE(PngFile::Write(path.string(), pixels.data(), width, height));
    }
    std::unique_ptr<TestGameApp> MakeApp()
    {
        auto app = std::make_unique<TestGameApp>();
        app->SetAppDataFolder((folder / "share").string());
        return app;
    }

    TempFolder folder;
    TestSupport::MessageBoxRecorder boxes;
    // The page-edge overlay: a small corner is enough to see where it went.
    std::unique_ptr<MemoryImage> overlay = SolidImage(4, 4, kOverlay);
    std::unique_ptr<MemoryImage> stamp = SolidImage(10, 10, kStamp);
    FakeFont scriptFont{2};
};

TEST_F(GameAppPicturesTest, PagesGetRenderedFacesWithTheOverlayOnEveryPageButTheCover)
{
    auto app = MakeApp();
    app->LoadConfiguration();
    EXPECT_FALSE(app->isShutdown) << "a missing face does not stop the game";
    const ContentModel& content = app->content;

    for (int row = 0; row < 8; ++row)
    {
        SCOPED_TRACE("row " + std::to_string(row));
        DDImage* face = content.pages[static_cast<size_t>(row)].faceImage.get();
        ASSERT_NE(face, nullptr);
        EXPECT_EQ(face->GetWidth(), 767);
        EXPECT_EQ(face->GetHeight(), 588);
        EXPECT_EQ(PixelAt(face, 1, 1), row == 0 ? kFaceColours[0] : kOverlay);
        EXPECT_EQ(PixelAt(face, kFaceWidth - 1, kFaceHeight - 1), kFaceColours[row]) << "the picture at (0, 0)";
        EXPECT_EQ(PixelAt(face, kFaceWidth, 0), 0u) << "beyond the picture the face is empty";
        EXPECT_EQ(PixelAt(face, 766, 587), 0u);
    }

    // The missing picture is reported each time the pages are read (a new player: at start-up
    // and again when the game loads).
    std::vector<std::string> expected(2, "Pages error: f/missing not found");
    EXPECT_EQ(boxes.shown, expected);
}

TEST_F(GameAppPicturesTest, DoneFacesAreTheFaceAnEqualFaceOrTheirOwn)
{
    auto app = MakeApp();
    app->LoadConfiguration();
    const auto& pages = app->content.pages;

    EXPECT_EQ(pages[0].doneFaceImage, pages[0].faceImage) << "no done face: the face itself";
    EXPECT_EQ(pages[3].doneFaceImage, pages[1].faceImage) << "the contents face, shared";
    EXPECT_EQ(pages[4].doneFaceImage, pages[3].faceImage) << "page 4's face, shared";
    ASSERT_NE(pages[2].doneFaceImage, nullptr);
    EXPECT_NE(pages[2].doneFaceImage, pages[2].faceImage);
    EXPECT_EQ(PixelAt(pages[2].doneFaceImage.get(), 10, 10), kDoneColour) << "rendered from its own picture";
    EXPECT_EQ(PixelAt(pages[2].doneFaceImage.get(), 1, 1), kOverlay) << "rendered like a face";

    // The contents picture is kept as it was loaded, without the overlay.
    const std::unique_ptr<DDImage>& background = app->content.contentsBackground;
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(background->GetWidth(), kFaceWidth);
    EXPECT_EQ(PixelAt(background.get(), 1, 1), kFaceColours[1]);

    // Loading the game again renders fresh faces and shares them anew.
    pages[1].faceImage->GetBits()[0] = 0xFF000000;
    pages[1].faceImage->BitsChanged();
    app->LoadGame();
    EXPECT_EQ(PixelAt(pages[1].faceImage.get(), 0, 0), kOverlay);
    EXPECT_EQ(pages[3].doneFaceImage, pages[1].faceImage);
    EXPECT_EQ(pages[4].doneFaceImage, pages[3].faceImage);
}

TEST_F(GameAppPicturesTest, DoneFaceOfAPageReadLaterIsRenderedAfresh)
{
    // The contents page's tag follows page 4's, whose done face is the contents face: page 4
    // cannot share a face that is not rendered yet, nor one left from an earlier reading.
    std::string config = kConfig;
    std::string contentsTag = "<Page2 face=\"f/contents\" type=\"Contents\" open=\"true\"/>";
    size_t at = config.find(contentsTag);
    ASSERT_NE(at, std::string::npos);
    config.erase(at, contentsTag.size());
    config.insert(config.find("<Page5 "), contentsTag);
    folder.WriteFile("properties/config.xml", config);

    auto app = MakeApp();
    app->LoadConfiguration(); // reads the pages twice
    const auto& pages = app->content.pages;
    ASSERT_NE(pages[3].doneFaceImage, nullptr);
    EXPECT_NE(pages[3].doneFaceImage, pages[1].faceImage);
    EXPECT_NE(pages[3].doneFaceImage, pages[3].faceImage);
    EXPECT_EQ(PixelAt(pages[3].doneFaceImage.get(), 10, 10), kFaceColours[1]);
    EXPECT_EQ(PixelAt(pages[3].doneFaceImage.get(), 1, 1), kOverlay);
}

TEST_F(GameAppPicturesTest, TitlesBonusesAndDeskItemsLoadTheirPictures)
{
    auto app = MakeApp();
    app->LoadConfiguration();
    const ContentModel& content = app->content;

    ASSERT_NE(content.titles[0].onImage, nullptr);
    EXPECT_EQ(content.titles[0].onImage->GetWidth(), 8);
    EXPECT_EQ(PixelAt(content.titles[0].onImage.get(), 7, 5), 0xFF5A4030u);
    EXPECT_EQ(content.titles[0].offImage, nullptr) << "images/contents/3_off is missing";

    ASSERT_NE(content.bonuses[0].image, nullptr);
    EXPECT_EQ(content.bonuses[0].image->GetHeight(), 5);
    EXPECT_EQ(content.bonuses[1].image, nullptr);

    ASSERT_NE(content.deskItems[0].image, nullptr);
    EXPECT_EQ(content.deskItems[0].image->GetWidth(), 7);
    EXPECT_EQ(content.deskItems[1].image, nullptr);
    EXPECT_EQ(boxes.shown.size(), 2u) << "only the missing face is reported";
}

TEST_F(GameAppPicturesTest, PageObjectsLoadTheirPicturesAndCountOpaqueSamples)
{
    // 19 x 19: the samples lie on the even columns and rows. Columns 0..5 are opaque, column 6
    // has alpha 21 (counts), column 8 alpha 20 (does not), the rest is transparent.
    std::vector<uint32_t> cup(19 * 19, 0x00000000);
    for (int y = 0; y < 19; ++y)
    {
        for (int x = 0; x < 6; ++x)
            cup[static_cast<size_t>(y * 19 + x)] = 0xFF8C6A48;
        cup[static_cast<size_t>(y * 19 + 6)] = 0x158C6A48;
        cup[static_cast<size_t>(y * 19 + 8)] = 0x148C6A48;
    }
    WritePicture("pages/p03/01_cup", 19, 19, cup);
    WritePicture("images/404", 4, 4, 0xFFFF00FF);
    folder.WriteFile("pages/p03/picture.cfg", "o\n1\n01_cup.png\n-\n10\n20\n"
                                              "o\n2\n02_lost.png\n-\n30\n40\n");
    folder.WriteFile("log.txt", "");

    auto app = MakeApp();
    app->LoadConfiguration();
    boxes.shown.clear();
    app->LoadPageItems("pages/p03/", 2);
    const ContentModel& content = app->content;
    ASSERT_EQ(content.pictureItemCount, 2);

    const PictureItem& found = content.pictureItems[0];
    ASSERT_NE(found.image, nullptr);
    EXPECT_EQ(found.image->GetWidth(), 19);
    EXPECT_TRUE(found.image->IsPalettized()) << "scene pictures are palettized when they can be";
    EXPECT_EQ(found.opaqueSamples, 40) << "three opaque sample columns and the one with alpha 21";

    // A missing picture is reported as the scene player reports it, and its stand-in is used.
    const PictureItem& lost = content.pictureItems[1];
    std::vector<std::string> expected = {"Scene error: Image pages/p03/02_lost.png not found."};
    EXPECT_EQ(boxes.shown, expected);
    ASSERT_NE(lost.image, nullptr);
    EXPECT_EQ(lost.image->GetWidth(), 4);
    EXPECT_EQ(lost.opaqueSamples, 100);

    std::string log = folder.ReadFile("log.txt");
    EXPECT_NE(log.find("Loading game data\r\n   Loading pages/p03/01_cup.png\r\n   Loading pages/p03/02_lost.png\r\n"
                       "Game data loaded\r\n"),
              std::string::npos)
        << log;

    // Without the stand-in the object has no picture and no known pixels.
    std::filesystem::remove(folder / "images/404.png");
    app->LoadPageItems("pages/p03/", 2);
    EXPECT_EQ(app->content.pictureItems[1].image, nullptr);
    EXPECT_EQ(app->content.pictureItems[1].opaqueSamples, -1);
    EXPECT_EQ(app->content.pictureItems[0].opaqueSamples, 40);
}

TEST_F(GameAppPicturesTest, LoadGameStampsTheDoneFacesOfPlayablePages)
{
    {
        auto app = MakeApp();
        app->RegistryWriteString("PlayerName", "Ann");
        app->LoadConfiguration();
        for (int page = 0; page < 8; ++page)
            app->content.pages[static_cast<size_t>(page)].done = true;
    } // the destructor saves

    BindTestResources();
    auto app = MakeApp();
    app->LoadConfiguration();
    ASSERT_EQ(app->playerName, "Ann");
    const auto& pages = app->content.pages;

    // Every done page but the cover, the contents, the mini-game list and the credits.
    for (int row = 0; row < 8; ++row)
    {
        SCOPED_TRACE("row " + std::to_string(row));
        bool stamped = row >= 2 && row <= 5;
        DDImage* done = pages[static_cast<size_t>(row)].doneFaceImage.get();
        EXPECT_EQ(CountPixels(done, 300, 200, 10, 10, kStamp), stamped ? 100 : 0);
        EXPECT_EQ(PixelAt(done, 299, 199), 0u) << "the stamp lies at (STAMPX, STAMPY)";
        // The name in the script font and the stamp colour, its baseline at STAMP_WY.
        int namePixels = CountPixels(done, 320, 260 - scriptFont.ascent, 40, scriptFont.ascent, kNameColour);
        if (stamped)
            EXPECT_GT(namePixels, 0);
        else
            EXPECT_EQ(namePixels, 0);
    }
    ASSERT_EQ(scriptFont.calls.size(), 4u);
    EXPECT_EQ(scriptFont.calls[0].text, "Ann");
    EXPECT_EQ(scriptFont.calls[0].x, 320);
    EXPECT_EQ(scriptFont.calls[0].y, 260);

    // Done faces shared with other pages were copied before the stamp: the contents face and
    // page 4's own face stay clean, while pages 4 and 5 show their stamps.
    EXPECT_EQ(CountPixels(pages[1].faceImage.get(), 300, 200, 10, 10, kStamp), 0);
    EXPECT_EQ(CountPixels(pages[3].faceImage.get(), 300, 200, 10, 10, kStamp), 0);
    EXPECT_NE(pages[3].doneFaceImage, pages[1].faceImage);
    EXPECT_NE(pages[4].doneFaceImage, pages[3].faceImage);
    EXPECT_EQ(PixelAt(pages[3].doneFaceImage.get(), 10, 10), kFaceColours[1]) << "still the contents picture";
    // A page without a done face of its own shows the stamp on its face.
    EXPECT_EQ(CountPixels(pages[5].faceImage.get(), 300, 200, 10, 10, kStamp), 100);
}

TEST_F(GameAppPicturesTest, LogosAreAvailableOnlyWhenBothLoad)
{
    std::filesystem::copy_file(std::filesystem::path(ORLO_DATA_SOURCE_DIR) / "properties" / "resources.xml",
                               folder / "properties" / "resources.xml");
    {
        auto app = MakeApp();
        app->Init();
        ASSERT_FALSE(app->isShutdown);
        EXPECT_FALSE(app->logosAvailable);
        EXPECT_EQ(app->logoNa, nullptr);
    }
    WritePicture("fsdata/logo_na", 12, 9, 0xFF2F6E6A);
    {
        auto app = MakeApp();
        app->Init();
        EXPECT_FALSE(app->logosAvailable) << "only one of the two";
        EXPECT_NE(app->logoNa, nullptr);
    }
    WritePicture("fsdata/logo_a", 12, 9, 0xFFC9A24A);
    {
        auto app = MakeApp();
        app->Init();
        EXPECT_TRUE(app->logosAvailable);
        ASSERT_NE(app->logoA, nullptr);
        EXPECT_EQ(app->logoA->GetWidth(), 12);
        // The bound overlay is the resource manager's picture; the faces were drawn with it.
        EXPECT_NE(IMAGE_PAGES, nullptr);
        EXPECT_NE(app->content.pages[1].faceImage, nullptr);
    }
    EXPECT_TRUE(std::all_of(boxes.shown.begin(), boxes.shown.end(),
                            [](const std::string& box) { return box == "Pages error: f/missing not found"; }))
        << "missing logos are not reported";
}

} // namespace
} // namespace Vesk
