// The resource manager end to end in a running application: a manifest of real files (PNG
// pictures, alpha companions, a WAV sound, image fonts and a system font) loaded through the
// application's own loader, the shared-image cache and the sound manager.
#include "framework/appbase/VeskAppBase.h"
#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/ImageSet.h"
#include "framework/graphics/SysFont.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/LoadedFont.h"
#include "framework/resources/LoadedImage.h"
#include "framework/resources/ResourceManager.h"
#include "framework/resources/ResourceManagerException.h"
#include "framework/sound/SoundInstance.h"
#include "framework/sound/SoundManager.h"
#include "support/PngFile.h"
#include "support/TestApp.h"
#include "support/TestDriver.h"
#include "support/TestSounds.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::PngFile;
using TestSupport::TestApp;
using TestSupport::TestDriver;
using TestSupport::TestSounds;

// A tiny image font: two glyphs of 4 x 6 side by side, and a second layer only for the tag
// "bold".
constexpr const char* kDescriptor = "SetDefaultPointSize 10;\n"
                                    "CreateLayer Main;\n"
                                    "LayerSetImage Main 'atlas.png';\n"
                                    "LayerSetImageMap Main ('A' 'B') ((0 0 4 6) (4 0 4 6));\n"
                                    "LayerSetCharWidths Main ('A' 'B') (5 5);\n"
                                    "LayerSetAscent Main 6;\n"
                                    "CreateLayerFrom Bold Main;\n"
                                    "LayerRequireTags Bold ('bold');\n";

class AppResourceLoaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app = &driver.Create<TestApp>();
        ASSERT_TRUE(driver.Init());
        manager = app->resourceManager.get();
    }

    void Picture(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels)
    {
        std::filesystem::path file = driver.Folder() / path;
        std::filesystem::create_directories(file.parent_path());
        ASSERT_TRUE(PngFile::Write(file.string(), pixels.data(), width, height)) << path;
    }

    void Picture(const std::string& path, int width, int height, uint32_t pixel)
    {
        Picture(path, width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, pixel));
    }

    void Manifest(const std::string& groups)
    {
        driver.Folder().WriteFile("resources.xml", "<ResourceManifest>\n" + groups + "</ResourceManifest>\n");
        ASSERT_TRUE(manager->ReadManifest("resources.xml")) << manager->GetErrorText();
    }

    MemoryImage* ImageOf(const std::string& id)
    {
        return static_cast<MemoryImage*>(manager->RequireImage(id)->GetImage());
    }

    TestDriver driver;
    TestApp* app = nullptr;
    ResourceManager* manager = nullptr;
};

TEST_F(AppResourceLoaderTest, PicturesWithTheirCompanionsGridsAndAnimations)
{
    std::vector<uint32_t> plain(8 * 4);
    for (size_t i = 0; i < plain.size(); ++i)
        plain[i] = 0xFF000000u | static_cast<uint32_t>(i * 7);
    Picture("images/pic.png", 8, 4, plain);
    Picture("images/masked.png", 4, 4, 0xFFFF0000u);
    Picture("images/masked_a.png", 4, 4, 0xFF000080u);
    Picture("images/strip.png", 8, 4, 0xFF00FF00u);
    std::vector<uint32_t> cell(4 * 4);
    for (size_t i = 0; i < cell.size(); ++i)
        cell[i] = i % 4 < 2 ? 0xFF0000FFu : 0xFF000000u;
    Picture("images/cell.png", 4, 4, cell);
    Picture("images/walk.png", 12, 4, 0xFF123456u);
    Picture("images/_ghost.png", 2, 2, 0xFF000040u); // an alpha picture alone
    Manifest(R"(<Resources id="Pictures">
<SetDefaults path="images" idprefix="IMAGE_"/>
<Image path="pic" cols="2"/>
<Image id="PIC_AGAIN" path="PIC" cols="2"/>
<Image id="PIC_DIM" path="pic" variant="dim" rows="2"/>
<Image path="masked" alphaimage="masked_a"/>
<Image path="strip" cols="2" alphagrid="cell"/>
<Image path="walk" cols="3" anim="pingpong" framedelay="40"/>
<Image path="ghost" alphacolor="FF0000" nopal=""/>
<Image path="scratch"/>
</Resources>
)");
    // "scratch" has no file yet: the load stops there, and a later load retries it.
    ASSERT_FALSE(manager->LoadGroup("Pictures"));
    EXPECT_EQ(manager->GetErrorText(), "Failed to load image: images/scratch");
    Picture("images/scratch.png", 1, 1, 0xFFFFFFFFu);
    ASSERT_TRUE(manager->LoadGroup("Pictures")) << manager->GetErrorText();

    MemoryImage* pic = ImageOf("IMAGE_pic");
    ASSERT_NE(pic, nullptr);
    EXPECT_NE(dynamic_cast<DDImage*>(pic), nullptr);
    EXPECT_EQ(pic->GetWidth(), 8);
    EXPECT_EQ(pic->GetHeight(), 4);
    EXPECT_EQ(pic->columns, 2);
    EXPECT_EQ(pic->rows, 1);
    EXPECT_EQ(pic->GetCelWidth(), 4);
    EXPECT_EQ(pic->GetBits()[9], plain[9]);
    EXPECT_TRUE(app->GetImageSet().Contains(pic));
    // The same file under another identifier is the same shared picture (its grid is the one
    // of the last declaration loaded); a variant is a picture of its own.
    EXPECT_EQ(ImageOf("IMAGE_PIC_AGAIN"), pic);
    MemoryImage* dim = ImageOf("IMAGE_PIC_DIM");
    EXPECT_NE(dim, pic);
    EXPECT_EQ(dim->rows, 2);

    MemoryImage* masked = ImageOf("IMAGE_masked");
    EXPECT_EQ(masked->GetBits()[5], 0x80FF0000u);
    EXPECT_TRUE(masked->HasAlpha());

    MemoryImage* strip = ImageOf("IMAGE_strip");
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(strip->GetBits()[8 + x], x % 4 < 2 ? 0xFF00FF00u : 0x0000FF00u) << x;

    MemoryImage* walk = ImageOf("IMAGE_walk");
    ASSERT_NE(walk->animInfo, nullptr);
    EXPECT_EQ(walk->animInfo->animType, AnimInfo::AnimPingPong);
    EXPECT_EQ(walk->animInfo->frameMap, (std::vector<int>{0, 1, 2, 1}));
    EXPECT_EQ(walk->animInfo->totalAnimTime, 160);
    EXPECT_EQ(walk->columns, 3);
    EXPECT_EQ(pic->animInfo, nullptr);

    // The alpha colour is in force for that one load only.
    EXPECT_EQ(ImageOf("IMAGE_ghost")->GetBits()[0], 0x40FF0000u);
    EXPECT_EQ(ImageLib::GetAlphaImageColor(), 0xFFFFFFu);

    // Unloading lets the cache sweep the pictures on the next update.
    size_t before = app->GetSharedImageCount();
    EXPECT_EQ(before, 7u);
    manager->UnloadGroup("Pictures");
    app->UpdateFrames();
    EXPECT_EQ(app->GetSharedImageCount(), 0u);
    EXPECT_THROW(manager->RequireImage("IMAGE_pic"), ResourceManagerException);
}

TEST_F(AppResourceLoaderTest, SoundsGoToTheSoundManager)
{
    driver.Folder().WriteFile("sounds/click.wav", std::vector<unsigned char>(TestSounds::Wav16(
                                                      1, 22050, TestSounds::Sine(1, 22050, 440, 0.5, 2205))));
    Manifest(R"(<Resources id="Sounds">
<Sound id="SOUND_CLICK" path="sounds/click" volume="0.5" pan="-300"/>
</Resources>
<Resources id="Missing">
<Sound id="SOUND_NONE" path="sounds/none"/>
</Resources>
)");
    ASSERT_TRUE(manager->LoadGroup("Sounds")) << manager->GetErrorText();
    int id = manager->RequireSound("SOUND_CLICK");
    EXPECT_GE(id, 0);
    SoundManager* sounds = app->GetSoundManager();
    ASSERT_NE(sounds, nullptr);
    SoundInstance* play = sounds->GetSoundInstance(id);
    ASSERT_NE(play, nullptr);
    play->Release();
    EXPECT_NE(sounds->GetFreeSoundId(), id);

    EXPECT_FALSE(manager->LoadGroup("Missing"));
    EXPECT_EQ(manager->GetErrorText(), "Failed to load sound: sounds/none");

    // Unloading gives the id back.
    manager->UnloadGroup("Sounds");
    EXPECT_EQ(sounds->GetFreeSoundId(), id);
}

TEST_F(AppResourceLoaderTest, ImageFontsSystemFontsAndDuplicates)
{
    std::vector<uint32_t> atlas(8 * 6, 0xFFFFFFFFu);
    Picture("fonts/atlas.png", 8, 6, atlas);
    driver.Folder().WriteFile("fonts/tiny.txt", kDescriptor);
    Picture("fonts/old.png", 9, 7, 0xFFFFFFFFu);
    driver.Folder().WriteFile("fonts/old.txt", "3 6\nA 4\nB 5\n");
    Manifest(R"(<Resources id="Fonts">
<SetDefaults idprefix="FONT_"/>
<Font id="TINY" path="fonts/tiny.txt"/>
<Font id="TINY_BOLD" path="fonts/tiny.txt" tags="bold"/>
<Font id="COPY" path="!ref:FONT_TINY_BOLD"/>
<Font id="OLD" path="fonts/old.txt" image="fonts/old.png"/>
<Font id="SANS" path="!sys:DejaVu Sans" size="12" bold="" shadow=""/>
</Resources>
)");
    ASSERT_TRUE(manager->LoadGroup("Fonts")) << manager->GetErrorText();

    auto* tiny = dynamic_cast<ImageFont*>(manager->RequireFont("FONT_TINY")->GetFont());
    ASSERT_NE(tiny, nullptr);
    EXPECT_TRUE(tiny->IsLoaded());
    EXPECT_EQ(tiny->StringWidth("AB"), 10);
    EXPECT_EQ(tiny->activeLayers.size(), 1u);

    auto* bold = dynamic_cast<ImageFont*>(manager->RequireFont("FONT_TINY_BOLD")->GetFont());
    ASSERT_NE(bold, nullptr);
    EXPECT_TRUE(bold->HasTag("bold"));
    EXPECT_EQ(bold->activeLayers.size(), 2u);

    auto* copy = dynamic_cast<ImageFont*>(manager->RequireFont("FONT_COPY")->GetFont());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, bold);
    EXPECT_TRUE(copy->HasTag("bold"));
    EXPECT_EQ(copy->fontData, bold->fontData);

    auto* old = dynamic_cast<ImageFont*>(manager->RequireFont("FONT_OLD")->GetFont());
    ASSERT_NE(old, nullptr);
    EXPECT_TRUE(old->IsLoaded());
    EXPECT_EQ(old->StringWidth("AB "), 12);

    auto* sans = dynamic_cast<SysFont*>(manager->RequireFont("FONT_SANS")->GetFont());
    ASSERT_NE(sans, nullptr);
    EXPECT_TRUE(sans->IsLoaded());
    EXPECT_TRUE(sans->shadow);
    EXPECT_GT(sans->StringWidth("Vellinor"), 20);
    EXPECT_LT(sans->StringWidth("Vellinor"), 200);
}

TEST_F(AppResourceLoaderTest, FailuresNameWhatFailed)
{
    Picture("images/c2.png", 4, 4, 0xFFFFFFFFu);
    Picture("images/c3.png", 8, 4, 0xFFFFFFFFu);
    Picture("images/small.png", 2, 2, 0xFFFFFFFFu);
    Picture("images/c4.png", 4, 4, 0xFFFFFFFFu);
    driver.Folder().WriteFile("fonts/old.txt", "3 6\nA 4\n");
    driver.Folder().WriteFile("fonts/broken.txt", "CreateLayer Main; LayerSetImage Main 'nothere.png';\n");
    Manifest(R"(<Resources id="NoImage"><Image id="A" path="images/nothere"/></Resources>
<Resources id="NoAlpha"><Image id="B" path="images/c4" alphaimage="images/nomask"/></Resources>
<Resources id="AlphaSize"><Image id="C" path="images/c2" alphaimage="images/small"/></Resources>
<Resources id="GridSize"><Image id="D" path="images/c3" cols="2" alphagrid="images/small"/></Resources>
<Resources id="NoDescriptor"><Font id="E" path="fonts/none.txt"/></Resources>
<Resources id="BrokenDescriptor"><Font id="F" path="fonts/broken.txt"/></Resources>
<Resources id="NoFontImage"><Font id="G" path="fonts/old.txt" image="fonts/noimage.png"/></Resources>
<Resources id="NoRef"><Font id="H" path="!ref:FONT_NOPE"/></Resources>
)");
    const std::pair<const char*, const char*> cases[] = {
        {"NoImage", "Failed to load image: images/nothere"},
        {"NoAlpha", "Failed to load image: images/nomask"},
        {"AlphaSize", "AlphaImage size mismatch between images/c2 and images/small"},
        {"GridSize", "GridAlphaImage size mismatch between images/c3 and images/small"},
        {"NoDescriptor", "Failed to load font: fonts/none.txt"},
        {"BrokenDescriptor", "Failed to load font: fonts/broken.txt"},
        {"NoFontImage", "Failed to load image: fonts/noimage.png"},
        {"NoRef", "Ref font not found: FONT_NOPE"},
    };
    for (const auto& [group, message] : cases)
    {
        EXPECT_FALSE(manager->LoadGroup(group)) << group;
        EXPECT_EQ(manager->GetErrorText(), message) << group;
    }
    // A failed load leaves nothing bound.
    EXPECT_THROW(manager->RequireImage("C"), ResourceManagerException);
}

} // namespace
} // namespace Vesk
