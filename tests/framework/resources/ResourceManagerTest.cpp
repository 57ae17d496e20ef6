#include "framework/resources/ResourceManager.h"

#include "framework/resources/ResourceManagerException.h"
#include "support/FakeResourceLoader.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::FakeLoadedFont;
using TestSupport::FakeLoadedImage;
using TestSupport::FakeResourceLoader;
using TestSupport::TempFolder;

class ResourceManagerTest : public ::testing::Test
{
protected:
    ResourceManagerTest()
    {
        auto fake = std::make_unique<FakeResourceLoader>();
        loader = fake.get();
        manager = std::make_unique<ResourceManager>(std::move(fake));
    }

    // Reads a manifest made of the given groups.
    void Declare(const std::string& groups)
    {
        folder.WriteFile("resources.xml", "<ResourceManifest>\n" + groups + "</ResourceManifest>\n");
        ASSERT_TRUE(manager->ReadManifest("resources.xml")) << manager->GetErrorText();
    }
    static std::string Group(const std::string& name, const std::string& entries)
    {
        return "<Resources id=\"" + name + "\">\n" + entries + "</Resources>\n";
    }
    FakeLoadedImage& Image(const std::string& id) { return static_cast<FakeLoadedImage&>(*manager->RequireImage(id)); }
    FakeLoadedFont& Font(const std::string& id) { return static_cast<FakeLoadedFont&>(*manager->RequireFont(id)); }
    bool Logged(const std::string& line) const
    {
        return std::find(loader->log.begin(), loader->log.end(), line) != loader->log.end();
    }
    // The error a lookup throws, or "" when it throws nothing.
    template <typename Lookup> static std::string Thrown(Lookup lookup)
    {
        try
        {
            lookup();
        }
        catch (const ResourceManagerException& exception)
        {
            return exception.what();
        }
        return "";
    }

    TempFolder folder;
    FakeResourceLoader* loader = nullptr;
    std::unique_ptr<ResourceManager> manager;
};

TEST_F(ResourceManagerTest, LoadGroupLoadsEveryKindInDeclarationOrder)
{
    loader->AddPicture("images/a", 2, 2);
    loader->AddSound("sounds/click");
    loader->AddFontDescriptor("fonts/main.txt");
    Declare(Group("Common", R"(<SetDefaults path="images" idprefix="IMAGE_"/>
<Image path="a" id="A"/>
<SetDefaults path="sounds" idprefix="SOUND_"/>
<Sound path="click" id="CLICK"/>
<SetDefaults path="fonts" idprefix="FONT_"/>
<Font path="main.txt" id="MAIN"/>
)") + Group("Later", "<Image path=\"images/later\" id=\"LATER\"/>\n"));

    EXPECT_FALSE(manager->IsGroupLoaded("Common"));
    ASSERT_TRUE(manager->LoadGroup("Common")) << manager->GetErrorText();
    EXPECT_TRUE(manager->IsGroupLoaded("Common"));
    EXPECT_FALSE(manager->HadError());
    std::vector<std::string> expected = {"alpha color FFFFFF", "shared image images/a", "alpha color FFFFFF",
                                         "sound 0 sounds/click", "image font fonts/main.txt"};
    EXPECT_EQ(loader->log, expected);

    EXPECT_EQ(Image("IMAGE_A").path, "images/a");
    EXPECT_EQ(manager->RequireImage("IMAGE_A"), loader->CachedImage("images/a"));
    EXPECT_EQ(manager->RequireSound("SOUND_CLICK"), 0);
    EXPECT_EQ(Font("FONT_MAIN").description, "image font fonts/main.txt");
    EXPECT_EQ(manager->FindFont("FONT_MAIN"), manager->RequireFont("FONT_MAIN"));
    EXPECT_FALSE(manager->IsGroupLoaded("Later")) << "other groups are not touched";
}

TEST_F(ResourceManagerTest, LoadingInStepsSkipsWhatNeedsNoLoading)
{
    loader->loadEverything = true;
    Declare(Group("G", R"(<Image path="a"/>
<Image path="!program" id="SCREEN"/>
<Image path="b"/>
<Sound path="c"/>
)"));
    ASSERT_TRUE(manager->LoadGroup("G"));
    manager->UnloadGroup("G");
    // "a" is loaded again by hand, so only "b" and "c" are left for the steps.
    manager->BeginGroupLoad("G");
    ASSERT_TRUE(manager->LoadNext());
    manager->UnloadGroup("G");
    manager->BeginGroupLoad("G");
    EXPECT_TRUE(manager->LoadNext());
    EXPECT_TRUE(manager->LoadNext());
    EXPECT_TRUE(manager->LoadNext());
    EXPECT_FALSE(manager->LoadNext()) << "the group is done";
    EXPECT_FALSE(manager->HadError());
    EXPECT_FALSE(manager->IsGroupLoaded("G")) << "only LoadGroup marks a group loaded";

    // The program's own picture is never loaded, so it can never be looked up.
    EXPECT_EQ(Thrown([this] { manager->RequireImage("SCREEN"); }), "Image resource not found: SCREEN");
    EXPECT_FALSE(Logged("shared image !program"));

    // Steps through a group nobody declared end at once without an error.
    manager->BeginGroupLoad("Nowhere");
    EXPECT_FALSE(manager->LoadNext());
    EXPECT_FALSE(manager->HadError());
}

TEST_F(ResourceManagerTest, LoadingAGroupTwiceLoadsNothingTheSecondTime)
{
    loader->loadEverything = true;
    Declare(Group("G", "<Image path=\"a\"/>\n<Sound path=\"s\"/>\n<Font path=\"f.txt\"/>\n"));
    ASSERT_TRUE(manager->LoadGroup("G"));
    size_t loads = loader->log.size();
    std::shared_ptr<LoadedImage> image = manager->RequireImage("a");
    EXPECT_TRUE(manager->LoadGroup("G"));
    EXPECT_EQ(loader->log.size(), loads);
    EXPECT_EQ(manager->RequireImage("a"), image);
    EXPECT_EQ(*loader->liveFonts, 1);
}

TEST_F(ResourceManagerTest, TheFirstErrorWinsUntilTheNextGroupLoad)
{
    loader->AddPicture("ok", 1, 1);
    Declare(Group("G", "<Image path=\"ok\"/>\n<Image path=\"missing1\"/>\n<Image path=\"missing2\"/>\n"));

    EXPECT_FALSE(manager->LoadGroup("G"));
    EXPECT_EQ(manager->GetErrorText(), "Failed to load image: missing1");
    EXPECT_FALSE(manager->IsGroupLoaded("G"));
    EXPECT_FALSE(Logged("shared image missing2")) << "loading stops at the first failure";
    EXPECT_FALSE(manager->LoadNext()) << "no more steps after an error";

    // A failed lookup throws its own text but keeps the first error.
    EXPECT_EQ(Thrown([this] { manager->RequireSound("NOISE"); }), "Sound resource not found: NOISE");
    EXPECT_EQ(manager->GetErrorText(), "Failed to load image: missing1");

    // The next group load starts afresh and fails on what is still missing.
    loader->AddPicture("missing1", 1, 1);
    EXPECT_FALSE(manager->LoadGroup("G"));
    EXPECT_EQ(manager->GetErrorText(), "Failed to load image: missing2");
    loader->AddPicture("missing2", 1, 1);
    EXPECT_TRUE(manager->LoadGroup("G"));
    EXPECT_TRUE(manager->GetErrorText().empty());
}

TEST_F(ResourceManagerTest, LookupsOfUnloadedOrUnknownIdentifiersThrow)
{
    loader->loadEverything = true;
    Declare(Group("A", "<Image path=\"pic\" id=\"IMAGE_PIC\"/>\n") +
            Group("B", "<Sound path=\"snd\" id=\"SOUND_SND\"/>\n<Font path=\"f.txt\" id=\"FONT_F\"/>\n"));

    EXPECT_EQ(Thrown([this] { manager->RequireImage("IMAGE_PIC"); }), "Image resource not found: IMAGE_PIC");
    EXPECT_EQ(manager->GetErrorText(), "Image resource not found: IMAGE_PIC");
    ASSERT_TRUE(manager->LoadGroup("A"));
    EXPECT_EQ(Thrown([this] { manager->RequireImage("IMAGE_PIC"); }), "");
    EXPECT_EQ(Thrown([this] { manager->RequireSound("SOUND_SND"); }), "Sound resource not found: SOUND_SND");
    EXPECT_EQ(Thrown([this] { manager->RequireFont("FONT_F"); }), "Font resource not found: FONT_F");
    EXPECT_EQ(Thrown([this] { manager->RequireImage("IMAGE_NONE"); }), "Image resource not found: IMAGE_NONE");
    EXPECT_EQ(Thrown([this] { manager->RequireImage("SOUND_SND"); }), "Image resource not found: SOUND_SND")
        << "identifiers are looked up within their kind";
    EXPECT_EQ(manager->FindFont("FONT_F"), nullptr);
    EXPECT_EQ(manager->GetErrorText(), "Sound resource not found: SOUND_SND") << "the first lookup error is kept";
}

TEST_F(ResourceManagerTest, UnloadingReleasesWhatAGroupLoaded)
{
    loader->loadEverything = true;
    Declare(Group("A", "<Image path=\"a\"/>\n<Sound path=\"s\"/>\n<Font path=\"f.txt\"/>\n"
                       "<Font path=\"!sys:Serif\" size=\"10\" id=\"serif\"/>\n") +
            Group("B", "<Image path=\"b\"/>\n<Sound path=\"t\"/>\n"));
    ASSERT_TRUE(manager->LoadGroup("A"));
    ASSERT_TRUE(manager->LoadGroup("B"));
    EXPECT_EQ(*loader->liveFonts, 2);
    EXPECT_EQ(loader->soundIdsInUse.size(), 2u);

    manager->UnloadGroup("A");
    EXPECT_FALSE(manager->IsGroupLoaded("A"));
    EXPECT_TRUE(manager->IsGroupLoaded("B"));
    EXPECT_EQ(loader->CachedImage("a"), nullptr) << "the manager let go of the picture";
    EXPECT_NE(loader->CachedImage("b"), nullptr);
    EXPECT_EQ(*loader->liveFonts, 0);
    EXPECT_TRUE(Logged("release sound 0"));
    EXPECT_EQ(loader->soundIdsInUse, (std::set<int>{1}));
    EXPECT_EQ(Thrown([this] { manager->RequireSound("s"); }), "Sound resource not found: s");

    // Loading again gives the group fresh objects; an empty name unloads every group.
    ASSERT_TRUE(manager->LoadGroup("A"));
    EXPECT_EQ(manager->RequireSound("s"), 0);
    manager->UnloadGroup("");
    EXPECT_FALSE(manager->IsGroupLoaded("A"));
    EXPECT_FALSE(manager->IsGroupLoaded("B"));
    EXPECT_TRUE(loader->soundIdsInUse.empty());
    EXPECT_EQ(loader->CachedImage("b"), nullptr);
}

TEST_F(ResourceManagerTest, DestroyingTheManagerReleasesEverything)
{
    loader->loadEverything = true;
    Declare(Group("A", "<Image path=\"a\"/>\n<Font path=\"f.txt\"/>\n"));
    ASSERT_TRUE(manager->LoadGroup("A"));
    std::shared_ptr<int> liveFonts = loader->liveFonts;
    std::weak_ptr<LoadedImage> image = manager->RequireImage("a");
    manager.reset();
    EXPECT_EQ(*liveFonts, 0);
    EXPECT_TRUE(image.expired());
}

TEST_F(ResourceManagerTest, AlphaImageReplacesTheAlphaOfEveryPixel)
{
    loader->AddPicture("img/a", 2, 2, std::vector<uint32_t>{0xFF112233, 0xFF445566, 0x80778899, 0xFFAABBCC});
    loader->AddPicture("img/a_alpha", 2, 2, std::vector<uint32_t>{0xFF000000, 0xFF0000FF, 0xFFFFFF40, 0x00000080});
    loader->AddPicture("img/small", 1, 2);
    Declare(Group("G", R"(<SetDefaults path="img"/>
<Image path="a" alphaimage="a_alpha" alphacolor="FF00FF"/>
)") + Group("Mismatch", "<Image path=\"a2\" alphaimage=\"small\"/>\n") +
            Group("Missing", "<Image path=\"a3\" alphaimage=\"none\"/>\n"));

    ASSERT_TRUE(manager->LoadGroup("G")) << manager->GetErrorText();
    FakeLoadedImage& image = Image("a");
    EXPECT_EQ(image.bits, (std::vector<uint32_t>{0x00112233, 0xFF445566, 0x40778899, 0x80AABBCC}));
    EXPECT_EQ(image.calls.front(), "bits changed");
    EXPECT_TRUE(image.hasAlpha) << "the pixels are committed after the alpha is applied";
    std::vector<std::string> order(loader->log.begin(), loader->log.begin() + 4);
    EXPECT_EQ(order, (std::vector<std::string>{"alpha color FF00FF", "shared image img/a", "alpha color FFFFFF",
                                               "pixels img/a_alpha"}));

    loader->AddPicture("img/a2", 2, 2);
    EXPECT_FALSE(manager->LoadGroup("Mismatch"));
    EXPECT_EQ(manager->GetErrorText(), "AlphaImage size mismatch between img/a2 and img/small");
    loader->AddPicture("img/a3", 2, 2);
    EXPECT_FALSE(manager->LoadGroup("Missing"));
    EXPECT_EQ(manager->GetErrorText(), "Failed to load image: img/none");
}

TEST_F(ResourceManagerTest, AlphaGridRepeatsOneCellMaskOverTheGrid)
{
    // Two cells side by side, each 2 x 1; the mask gives the left pixel alpha 0x10, the right 0x20.
    loader->AddPicture("strip", 4, 1, 0xFF000000);
    loader->AddPicture("mask", 2, 1, std::vector<uint32_t>{0xFF000010, 0xFF000020});
    loader->AddPicture("wide", 4, 1);
    Declare(Group("G", "<Image path=\"strip\" cols=\"2\" alphagrid=\"mask\"/>\n") +
            Group("Bad", "<Image path=\"strip2\" cols=\"2\" alphagrid=\"wide\"/>\n") +
            Group("None", "<Image path=\"strip3\" alphagrid=\"gone\"/>\n"));
    ASSERT_TRUE(manager->LoadGroup("G")) << manager->GetErrorText();
    EXPECT_EQ(Image("strip").bits, (std::vector<uint32_t>{0x10000000, 0x20000000, 0x10000000, 0x20000000}));
    EXPECT_EQ(Image("strip").columns, 2);

    loader->AddPicture("strip2", 4, 1);
    EXPECT_FALSE(manager->LoadGroup("Bad"));
    EXPECT_EQ(manager->GetErrorText(), "GridAlphaImage size mismatch between strip2 and wide");
    loader->AddPicture("strip3", 4, 1);
    EXPECT_FALSE(manager->LoadGroup("None"));
    EXPECT_EQ(manager->GetErrorText(), "Failed to load image: gone");
}

TEST_F(ResourceManagerTest, APictureAlreadyInTheCacheGetsItsAlphaOnlyOnce)
{
    loader->AddPicture("pic", 1, 1, 0xFFFFFFFF);
    loader->AddPicture("pic_a", 1, 1, 0xFF000080);
    Declare(Group("G", "<Image path=\"pic\" id=\"ONE\" alphaimage=\"pic_a\"/>\n"
                       "<Image path=\"pic\" id=\"TWO\" alphaimage=\"pic_a\" rows=\"1\" cols=\"1\"/>\n"));
    ASSERT_TRUE(manager->LoadGroup("G"));
    EXPECT_EQ(manager->RequireImage("ONE"), manager->RequireImage("TWO"));
    EXPECT_EQ(std::count(loader->log.begin(), loader->log.end(), "pixels pic_a"), 1);
    EXPECT_EQ(Image("ONE").bits[0], 0x80FFFFFFu);
}

TEST_F(ResourceManagerTest, PicturesArePreparedAsTheManifestAsks)
{
    loader->AddPicture("plain", 2, 2);
    loader->AddPicture("nobits", 2, 2);
    loader->AddPicture("surface", 2, 2);
    loader->AddPicture("translucent", 2, 2, 0x80FFFFFF);
    loader->AddPicture("nopal", 2, 2);
    loader->AddPicture("flags", 2, 2);
    loader->AddPicture("anim", 8, 2);
    Declare(Group("G", R"(<Image path="plain"/>
<Image path="nobits" nobits/>
<Image path="surface" ddsurface/>
<Image path="translucent" ddsurface/>
<Image path="nopal" nopal=""/>
<Image path="flags" a4r4g4b4 a8r8g8b8 minsubdivide/>
<Image path="anim" anim="pingpong" cols="4" rows="2" framedelay="20"/>
)"));
    ASSERT_TRUE(manager->LoadGroup("G")) << manager->GetErrorText();

    FakeLoadedImage& plain = Image("plain");
    EXPECT_EQ(plain.calls, (std::vector<std::string>{"commit", "palletize"}));
    EXPECT_FALSE(plain.purgeBits);
    EXPECT_EQ(plain.textureFlags, 0);
    EXPECT_FALSE(plain.anim.has_value());
    EXPECT_EQ(plain.rows, 1);
    EXPECT_EQ(plain.columns, 1);

    EXPECT_EQ(Image("nobits").calls, (std::vector<std::string>{"commit", "palletize", "purge"}));

    // An opaque picture that asks for a display surface gets one and drops its memory copy.
    FakeLoadedImage& surface = Image("surface");
    EXPECT_TRUE(surface.wantsDisplaySurface);
    EXPECT_TRUE(surface.purgeBits);
    EXPECT_EQ(surface.calls, (std::vector<std::string>{"commit", "commit", "palletize", "purge"}));
    FakeLoadedImage& translucent = Image("translucent");
    EXPECT_FALSE(translucent.wantsDisplaySurface);
    EXPECT_FALSE(translucent.purgeBits);

    EXPECT_EQ(Image("nopal").calls, (std::vector<std::string>{"commit"}));
    EXPECT_EQ(Image("flags").textureFlags, 4 | 8 | 1);

    FakeLoadedImage& anim = Image("anim");
    ASSERT_TRUE(anim.anim.has_value());
    EXPECT_EQ(anim.anim->frameMap, (std::vector<int>{0, 1, 2, 3, 2, 1}));
    EXPECT_EQ(anim.rows, 2);
    EXPECT_EQ(anim.columns, 4);

    // A picture already on the display keeps a palette for later instead of palettizing now.
    loader->AddPicture("shown", 1, 1);
    Declare(Group("H", "<Image path=\"shown\"/>\n"));
    bool created = false;
    std::shared_ptr<LoadedImage> cached = loader->GetSharedImage("shown", "", created);
    static_cast<FakeLoadedImage&>(*cached).hasDisplaySurface = true;
    ASSERT_TRUE(manager->LoadGroup("H"));
    EXPECT_TRUE(Image("shown").wantPalette);
    EXPECT_EQ(Image("shown").calls, (std::vector<std::string>{"commit"}));
}

TEST_F(ResourceManagerTest, SoundsTakeFreeIdsAndTheirLevels)
{
    loader->AddSound("s/plain");
    loader->AddSound("s/tuned");
    Declare(Group("G", R"(<SetDefaults path="s"/>
<Sound path="plain"/>
<Sound path="tuned" volume="0.5" pan="-200"/>
)") + Group("Missing", "<Sound path=\"gone\"/>\n") +
            Group("Full", "<Sound path=\"more\"/>\n"));
    ASSERT_TRUE(manager->LoadGroup("G"));
    EXPECT_EQ(manager->RequireSound("plain"), 0);
    EXPECT_EQ(manager->RequireSound("tuned"), 1);
    EXPECT_TRUE(Logged("volume 1 0.5"));
    EXPECT_TRUE(Logged("pan 1 -200"));
    EXPECT_FALSE(Logged("volume 0 -1")) << "a sound without a volume keeps its own";

    EXPECT_FALSE(manager->LoadGroup("Missing"));
    EXPECT_EQ(manager->GetErrorText(), "Failed to load sound: s/gone");

    loader->AddSound("s/more");
    loader->soundIdCount = 2;
    EXPECT_FALSE(manager->LoadGroup("Full"));
    EXPECT_EQ(manager->GetErrorText(), "Out of free sound ids");
}

TEST_F(ResourceManagerTest, FontsOfEveryForm)
{
    loader->AddFontDescriptor("fonts/main.txt");
    loader->AddFontDescriptor("fonts/pic.txt");
    loader->AddPicture("images/glyphs", 16, 16);
    Declare(Group("G", R"(<SetDefaults path="fonts" idprefix="FONT_"/>
<Font id="SYS" path="!sys:Serif" size="12" bold italic underline shadow/>
<Font id="MAIN" path="main.txt"/>
<Font id="PIC" path="pic.txt" image="images/glyphs"/>
<Font id="BIG" path="!ref:FONT_MAIN" tags="BIG, shadow	outline&#10;"/>
)"));
    ASSERT_TRUE(manager->LoadGroup("G")) << manager->GetErrorText();

    FakeLoadedFont& sys = Font("FONT_SYS");
    EXPECT_EQ(sys.description, "sys Serif 12 bold italic underline");
    EXPECT_TRUE(sys.shadow);
    EXPECT_EQ(Font("FONT_PIC").description, "image font fonts/pic.txt on images/glyphs");
    EXPECT_TRUE(Logged("image images/glyphs"));

    FakeLoadedFont& big = Font("FONT_BIG");
    EXPECT_TRUE(big.duplicate);
    EXPECT_NE(&big, &Font("FONT_MAIN"));
    EXPECT_EQ(big.tags, (std::vector<std::string>{"BIG", "shadow", "outline&"}));
    EXPECT_EQ(big.rebuilds, 1);
    EXPECT_TRUE(Font("FONT_MAIN").tags.empty());
    EXPECT_EQ(*loader->liveFonts, 4);
}

TEST_F(ResourceManagerTest, FontFailuresNameWhatIsMissing)
{
    loader->AddFontDescriptor("broken.txt", false);
    loader->AddFontDescriptor("fine.txt");
    Declare(Group("Broken", "<Font path=\"broken.txt\" id=\"BROKEN\"/>\n") +
            Group("NoImage", "<Font path=\"fine.txt\" id=\"NOIMAGE\" image=\"images/none\"/>\n") +
            Group("NoRef", "<Font path=\"!ref:FONT_NONE\" id=\"NOREF\"/>\n") +
            Group("Later", "<Font path=\"fine.txt\" id=\"LATER\"/>\n") +
            Group("RefToUnloaded", "<Font path=\"!ref:LATER\" id=\"EARLY\"/>\n"));

    EXPECT_FALSE(manager->LoadGroup("Broken"));
    EXPECT_EQ(manager->GetErrorText(), "Failed to load font: broken.txt");
    EXPECT_EQ(*loader->liveFonts, 0) << "the broken font is not kept";
    EXPECT_EQ(manager->FindFont("BROKEN"), nullptr);

    EXPECT_FALSE(manager->LoadGroup("NoImage"));
    EXPECT_EQ(manager->GetErrorText(), "Failed to load image: images/none");
    EXPECT_FALSE(manager->LoadGroup("NoRef"));
    EXPECT_EQ(manager->GetErrorText(), "Ref font not found: FONT_NONE");
    EXPECT_FALSE(manager->LoadGroup("RefToUnloaded"));
    EXPECT_EQ(manager->GetErrorText(), "Ref font not found: LATER");
    ASSERT_TRUE(manager->LoadGroup("Later"));
    EXPECT_TRUE(manager->LoadGroup("RefToUnloaded"));
}

TEST_F(ResourceManagerTest, ManifestErrorsDeclareNothing)
{
    folder.WriteFile("bad.xml", "<ResourceManifest>\n<Resources id=\"G\">\n<Image path=\"a\"/>\n"
                                "<Image path=\"b\" anim=\"wobble\"/>\n</Resources>\n</ResourceManifest>\n");
    EXPECT_FALSE(manager->ReadManifest("bad.xml"));
    EXPECT_EQ(manager->GetErrorText(), "Invalid animation type. on Line 4 in File 'bad.xml'");
    EXPECT_EQ(manager->GetManifest().ResourceCount(), 0u);
    loader->loadEverything = true;
    EXPECT_TRUE(manager->LoadGroup("G")) << "nothing of the failed file was declared";
    EXPECT_EQ(Thrown([this] { manager->RequireImage("a"); }), "Image resource not found: a");

    EXPECT_FALSE(manager->ReadManifest("absent.xml"));
    EXPECT_EQ(manager->GetErrorText(), "Image resource not found: a") << "the first error is kept";
}

TEST_F(ResourceManagerTest, SeveralManifestsAddUp)
{
    loader->loadEverything = true;
    Declare(Group("G", "<Image path=\"a\"/>\n"));
    Declare(Group("G", "<Image path=\"b\"/>\n") + Group("H", "<Sound path=\"a\"/>\n"));
    ASSERT_TRUE(manager->LoadGroup("G"));
    EXPECT_EQ(Image("a").path, "a");
    EXPECT_EQ(Image("b").path, "b");
    EXPECT_TRUE(manager->LoadGroup("H"));

    folder.WriteFile("clash.xml", "<ResourceManifest><Resources id=\"H\"><Image path=\"x/b\"/>"
                                  "</Resources></ResourceManifest>");
    manager->BeginGroupLoad("G"); // resets the error
    EXPECT_FALSE(manager->ReadManifest("clash.xml"));
    EXPECT_TRUE(manager->RedefinitionSeen());
    EXPECT_EQ(manager->GetErrorText(), "Resource already defined. on Line 1 in File 'clash.xml'");
}

} // namespace
} // namespace Vesk
