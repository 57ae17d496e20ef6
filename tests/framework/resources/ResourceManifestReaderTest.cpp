#include "framework/resources/ResourceManifestReader.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::TempFolder;

// A manifest with one group "G" whose entries start on line 3.
std::string InGroup(const std::string& entries)
{
    return "<ResourceManifest>\n<Resources id=\"G\">\n" + entries + "</Resources>\n</ResourceManifest>\n";
}

class ResourceManifestReaderTest : public ::testing::Test
{
protected:
    bool Read(const std::string& text, const std::string& name = "m.xml")
    {
        folder.WriteFile(name, text);
        return reader.Read(name, manifest);
    }
    // The declaration of an identifier; fails the test when there is none.
    const ResourceDeclaration& Declared(ResourceKind kind, const std::string& id)
    {
        const ResourceDeclaration* declaration = manifest.Find(kind, id);
        if (declaration == nullptr)
        {
            ADD_FAILURE() << "not declared: " << id;
            static const ResourceDeclaration none;
            return none;
        }
        return *declaration;
    }
    const ResourceDeclaration& Image(const std::string& id) { return Declared(ResourceKind::Image, id); }

    TempFolder folder;
    ResourceManifestReader reader;
    ResourceManifest manifest;
};

TEST_F(ResourceManifestReaderTest, IdentifiersComeFromTheFileNameUnderThePrefix)
{
    ASSERT_TRUE(Read(InGroup(R"(<SetDefaults idprefix="IMAGE_"/>
<Image path="images/a.png"/>
<Image path="plain"/>
<Image path="art.v2\b"/>
<Image path="x/y.tar.gz"/>
<Image path="images/c.png" id="CHOSEN"/>
<Image path="images/d.png" id=""/>
)"))) << reader.GetErrorText();
    EXPECT_EQ(Image("IMAGE_a").path, "images/a.png");
    EXPECT_EQ(Image("IMAGE_plain").path, "plain");
    EXPECT_EQ(Image("IMAGE_b").path, "art.v2\\b");
    EXPECT_EQ(Image("IMAGE_y.tar").path, "x/y.tar.gz");
    EXPECT_EQ(Image("IMAGE_CHOSEN").path, "images/c.png");
    EXPECT_EQ(Image("IMAGE_d").path, "images/d.png") << "an empty id counts as none";

    EXPECT_EQ(ResourceManifestReader::IdFromPath("images/a.png"), "a");
    EXPECT_EQ(ResourceManifestReader::IdFromPath("a\\b/c"), "c");
    EXPECT_EQ(ResourceManifestReader::IdFromPath("a/b\\c.d"), "c");
}

TEST_F(ResourceManifestReaderTest, DefaultsPrefixPathsAndStayAcrossGroups)
{
    ASSERT_TRUE(Read(R"(<?xml version="1.0"?>
<!-- comments are skipped -->
<ResourceManifest>
  <Resources id="First">
    <SetDefaults path="images\" idprefix="IMAGE_/"/>
    <Image path="a"/>
    <Image path="!program" id="SCREEN"/>
    <Sound path="!ref:elsewhere" id="ODD"/>
  </Resources>
  <Resources id="Second">
    <Image path="sub/b"/>
    <SetDefaults path="sounds/"/>
    <Sound path="c"/>
    <SetDefaults path="" idprefix=""/>
    <Image path="d"/>
  </Resources>
  <Resources id="First">
    <Image path="e"/>
  </Resources>
</ResourceManifest>
)")) << reader.GetErrorText();

    ASSERT_EQ(manifest.groups.size(), 2u);
    EXPECT_EQ(manifest.groups[0].name, "First");
    EXPECT_EQ(manifest.groups[1].name, "Second");
    std::vector<std::string> first;
    for (const ResourceDeclaration& declaration : manifest.groups[0].resources)
        first.push_back(declaration.id + "=" + declaration.path + "@" + declaration.group);
    EXPECT_EQ(first, (std::vector<std::string>{"IMAGE_a=images/a@First", "IMAGE_SCREEN=!program@First",
                                               "IMAGE_ODD=!ref:elsewhere@First", "e=e@First"}));
    EXPECT_TRUE(Image("IMAGE_SCREEN").fromProgram);
    EXPECT_FALSE(Image("IMAGE_a").fromProgram);
    EXPECT_EQ(Image("IMAGE_b").path, "images/sub/b");
    EXPECT_EQ(Declared(ResourceKind::Sound, "IMAGE_c").path, "sounds/c");
    EXPECT_EQ(Image("d").path, "d") << "an empty default path is no prefix, not the root folder";
    EXPECT_EQ(manifest.defaultPath, "");
    EXPECT_EQ(manifest.ResourceCount(), 7u);
}

TEST_F(ResourceManifestReaderTest, ImageOptionsAndTheirDefaults)
{
    ASSERT_TRUE(Read(InGroup(R"(<SetDefaults path="img"/>
<Image path="plain" id="PLAIN"/>
<Image path="all" id="ALL" nopal="" noalpha a4r4g4b4 a8r8g8b8 ddsurface nobits minsubdivide
       rows="2" cols="3" alphacolor="FF8000" alphaimage="all_a" alphagrid="cell_a" variant="small"/>
<Image path="hex" id="HEX" alphacolor="0x00ff00" rows="0" cols="-4"/>
<Image path="two" id="TWO_D" nobits2d/>
<Image path="three" id="THREE_D" nobits3d/>
)"))) << reader.GetErrorText();

    const ImageOptions& plain = Image("PLAIN").imageOptions;
    EXPECT_TRUE(plain.findAlpha);
    EXPECT_TRUE(plain.palettize);
    EXPECT_FALSE(plain.format4444 || plain.format8888 || plain.hardwareSurface || plain.discardBits ||
                 plain.fewerSubdivisions);
    EXPECT_EQ(plain.rows, 1);
    EXPECT_EQ(plain.cols, 1);
    EXPECT_EQ(plain.alphaColor, 0xFFFFFFu);
    EXPECT_TRUE(plain.alphaImagePath.empty());
    EXPECT_EQ(plain.anim.animType, AnimDescription::AnimNone);

    const ResourceDeclaration& all = Image("ALL");
    const ImageOptions& options = all.imageOptions;
    EXPECT_FALSE(options.palettize) << "an empty value still counts";
    EXPECT_FALSE(options.findAlpha);
    EXPECT_TRUE(options.format4444 && options.format8888 && options.hardwareSurface && options.discardBits &&
                options.fewerSubdivisions);
    EXPECT_EQ(options.rows, 2);
    EXPECT_EQ(options.cols, 3);
    EXPECT_EQ(options.alphaColor, 0xFF8000u);
    EXPECT_EQ(options.alphaImagePath, "img/all_a");
    EXPECT_EQ(options.alphaGridPath, "img/cell_a");
    EXPECT_EQ(options.variant, "small");
    EXPECT_EQ(all.attributes.size(), 15u);
    EXPECT_EQ(all.attributes.at("nopal"), "");

    EXPECT_EQ(Image("HEX").imageOptions.alphaColor, 0x00FF00u);
    EXPECT_EQ(Image("HEX").imageOptions.rows, 1) << "every picture has at least one cell";
    EXPECT_EQ(Image("HEX").imageOptions.cols, 1);

    // Software drawing drops the bits with "nobits2d"; hardware drawing with "nobits3d".
    EXPECT_TRUE(Image("TWO_D").imageOptions.discardBits);
    EXPECT_FALSE(Image("THREE_D").imageOptions.discardBits);
    ResourceManifest accelerated;
    reader.SetHardwareAccelerated(true);
    ASSERT_TRUE(reader.Read("m.xml", accelerated));
    EXPECT_FALSE(accelerated.Find(ResourceKind::Image, "TWO_D")->imageOptions.discardBits);
    EXPECT_TRUE(accelerated.Find(ResourceKind::Image, "THREE_D")->imageOptions.discardBits);
}

TEST_F(ResourceManifestReaderTest, AnimationsOfEveryKind)
{
    ASSERT_TRUE(Read(InGroup(R"(<Image path="loop" anim="LOOP" framedelay="40" cols="3"/>
<Image path="ping" anim="PingPong" framedelay="30" rows="4"/>
<Image path="once" anim="once" cols="3" begindelay="500" enddelay="900" perframedelay="10,x,20"/>
<Image path="mapped" anim="loop" framemap="2, 0,,1" cols="3"/>
<Image path="still" anim="none" framedelay="40" framemap="1,2" cols="3"/>
)"))) << reader.GetErrorText();

    const AnimDescription& loop = Image("loop").imageOptions.anim;
    EXPECT_EQ(loop.animType, AnimDescription::AnimLoop);
    EXPECT_EQ(loop.numCels, 3);
    EXPECT_EQ(loop.totalAnimTime, 120);

    const AnimDescription& ping = Image("ping").imageOptions.anim;
    EXPECT_EQ(ping.animType, AnimDescription::AnimPingPong);
    EXPECT_EQ(ping.frameMap, (std::vector<int>{0, 1, 2, 3, 2, 1}));
    EXPECT_EQ(ping.totalAnimTime, 180);

    const AnimDescription& once = Image("once").imageOptions.anim;
    EXPECT_EQ(once.animType, AnimDescription::AnimOnce);
    EXPECT_EQ(once.perFrameDelay, (std::vector<int>{500, 1, 900})) << "a non-number is 0, then the frame delay";

    EXPECT_EQ(Image("mapped").imageOptions.anim.frameMap, (std::vector<int>{2, 0, 0, 1}));
    EXPECT_EQ(Image("mapped").imageOptions.anim.numCels, 4);

    const AnimDescription& still = Image("still").imageOptions.anim;
    EXPECT_EQ(still.animType, AnimDescription::AnimNone);
    EXPECT_TRUE(still.frameMap.empty()) << "without an animation the delays are ignored";
    EXPECT_EQ(still.frameDelay, 1);
}

TEST_F(ResourceManifestReaderTest, SoundsAndFonts)
{
    ASSERT_TRUE(Read(InGroup(R"(<SetDefaults path="sounds" idprefix="SOUND_"/>
<Sound path="plain"/>
<Sound path="tuned" volume="0.75" pan="-300"/>
<SetDefaults path="fonts" idprefix="FONT_"/>
<Font id="SYS" path="!sys:DejaVu Sans" size="14" bold italic underline shadow/>
<Font id="IMG" path="main.txt" image="images/glyphs" tags="BIG, shadow	outline"/>
<Font id="COPY" path="!ref:FONT_IMG" tags="SMALL"/>
)"))) << reader.GetErrorText();

    EXPECT_EQ(Declared(ResourceKind::Sound, "SOUND_plain").soundOptions.volume, -1.0);
    EXPECT_EQ(Declared(ResourceKind::Sound, "SOUND_plain").soundOptions.pan, 0);
    EXPECT_DOUBLE_EQ(Declared(ResourceKind::Sound, "SOUND_tuned").soundOptions.volume, 0.75);
    EXPECT_EQ(Declared(ResourceKind::Sound, "SOUND_tuned").soundOptions.pan, -300);

    const ResourceDeclaration& sys = Declared(ResourceKind::Font, "FONT_SYS");
    EXPECT_TRUE(sys.fontOptions.systemFont);
    EXPECT_EQ(sys.path, "DejaVu Sans");
    EXPECT_EQ(sys.fontOptions.size, 14);
    EXPECT_TRUE(sys.fontOptions.bold && sys.fontOptions.italic && sys.fontOptions.underline && sys.fontOptions.shadow);

    const ResourceDeclaration& image = Declared(ResourceKind::Font, "FONT_IMG");
    EXPECT_FALSE(image.fontOptions.systemFont);
    EXPECT_EQ(image.path, "fonts/main.txt");
    EXPECT_EQ(image.fontOptions.imagePath, "images/glyphs") << "the image is taken as written";
    EXPECT_EQ(image.fontOptions.tags, "BIG, shadow\toutline");
    EXPECT_FALSE(image.fontOptions.bold);

    EXPECT_EQ(Declared(ResourceKind::Font, "FONT_COPY").path, "!ref:FONT_IMG");
}

TEST_F(ResourceManifestReaderTest, IdentifiersAreUniquePerKind)
{
    EXPECT_TRUE(Read(InGroup(R"(<Image path="a" id="SAME"/>
<Sound path="a" id="SAME"/>
<Font path="a.txt" id="SAME"/>
)"))) << "an image, a sound and a font may share an identifier";
    EXPECT_FALSE(reader.RedefinitionSeen());

    ResourceManifest before = manifest;
    EXPECT_FALSE(Read(InGroup(R"(<Image path="b" id="NEW"/>
<Image path="a" id="TWICE"/>

<Image path="c" id="TWICE"/>
)"),
                      "n.xml"));
    EXPECT_EQ(reader.GetErrorText(), "Resource already defined. on Line 6 in File 'n.xml'");
    EXPECT_TRUE(reader.RedefinitionSeen());
    EXPECT_EQ(manifest.ResourceCount(), before.ResourceCount()) << "a failed read adds nothing";
    EXPECT_EQ(manifest.Find(ResourceKind::Image, "NEW"), nullptr);

    // A later file may not redeclare what an earlier one declared, in any group.
    EXPECT_FALSE(Read("<ResourceManifest><Resources id=\"Other\"><Sound path=\"x\" id=\"SAME\"/>"
                      "</Resources></ResourceManifest>",
                      "later.xml"));
    EXPECT_EQ(reader.GetErrorText(), "Resource already defined. on Line 1 in File 'later.xml'");
    EXPECT_TRUE(Read("<ResourceManifest><Resources id=\"Other\"><Sound path=\"x\" id=\"ELSE\"/>"
                     "</Resources></ResourceManifest>",
                     "later.xml"));
    EXPECT_EQ(manifest.groups.size(), 2u);
    EXPECT_FALSE(reader.HadError());
}

TEST_F(ResourceManifestReaderTest, EveryMistakeIsNamedWithItsLine)
{
    struct Case
    {
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"", "Expecting ResourceManifest tag on Line 1 in File 'm.xml'"},
        {"<?xml version=\"1.0\"?>\n<Resources id=\"G\"/>", "Expecting ResourceManifest tag on Line 2 in File 'm.xml'"},
        {"<ResourceManifest>\n<Group/>", "Invalid Section 'Group' on Line 2 in File 'm.xml'"},
        {"<ResourceManifest>\nstray words\n<Resources/>",
         "Element Not Expected 'stray words' on Line 3 in File 'm.xml'"},
        {"<ResourceManifest>\n<Resources>", "No id specified. on Line 2 in File 'm.xml'"},
        {"<ResourceManifest>\n<Resources id=\"\">", "No id specified. on Line 2 in File 'm.xml'"},
        {InGroup("<Picture path=\"a\"/>\n"), "Invalid Section 'Picture' on Line 3 in File 'm.xml'"},
        {InGroup("hello\n<Image path=\"a\"/>\n"), "Element Not Expected 'hello' on Line 4 in File 'm.xml'"},
        {InGroup("<Image path=\"a\">\n<Image path=\"b\"/>\n</Image>\n"),
         "Unexpected element found. on Line 4 in File 'm.xml'"},
        {InGroup("<Image path=\"a\">text</Image>\n"), "Unexpected element found. on Line 3 in File 'm.xml'"},
        {InGroup("<Image id=\"A\"/>\n"), "No path specified. on Line 3 in File 'm.xml'"},
        {InGroup("\n\n<Sound path=\"\"/>\n"), "No path specified. on Line 5 in File 'm.xml'"},
        {InGroup("<Image path=\"a\" anim=\"bounce\"/>\n"), "Invalid animation type. on Line 3 in File 'm.xml'"},
        {InGroup("<Font path=\"!sys:Serif\"/>\n"), "SysFont needs point size on Line 3 in File 'm.xml'"},
        {InGroup("<Font path=\"!sys:Serif\" size=\"0\"/>\n"), "SysFont needs point size on Line 3 in File 'm.xml'"},
        // The XML reader's own errors, with the line they happened on.
        {"<ResourceManifest>\n<Resources id=\"G\">\n</Image>",
         "End 'Image' Doesn't Match Start 'Resources' on Line 3 in File 'm.xml'"},
        {"<ResourceManifest>\n<Resources id=\"G\">\n<Image path=\"a\"",
         "Unexpected End of File on Line 3 in File 'm.xml'"},
        {InGroup("<Image path=\"a\" <b/>\n"), "Unexpected '<' on Line 3 in File 'm.xml'"},
    };
    for (const Case& test : cases)
    {
        ResourceManifest fresh;
        folder.WriteFile("m.xml", test.text);
        EXPECT_FALSE(reader.Read("m.xml", fresh)) << test.text;
        EXPECT_TRUE(reader.HadError());
        EXPECT_EQ(reader.GetErrorText(), test.error) << test.text;
        EXPECT_TRUE(fresh.groups.empty()) << test.text;
    }

    ResourceManifest untouched;
    EXPECT_FALSE(reader.Read("missing.xml", untouched));
    EXPECT_EQ(reader.GetErrorText(), "Resource file not found: missing.xml in File 'missing.xml'");
}

TEST_F(ResourceManifestReaderTest, OnlyTheFirstErrorIsKept)
{
    // The bad animation fails the declaration; the unclosed element after it is never reached.
    EXPECT_FALSE(Read(InGroup("<Image path=\"a\" anim=\"spin\">\n<Image path=\"b\"/>\n</Image>\n")));
    EXPECT_EQ(reader.GetErrorText(), "Invalid animation type. on Line 3 in File 'm.xml'");
    // A new read starts afresh.
    EXPECT_TRUE(Read(InGroup("<Image path=\"a\"/>\n")));
    EXPECT_TRUE(reader.GetErrorText().empty());
}

TEST_F(ResourceManifestReaderTest, ReadsThroughTheFileLayerWithEitherSeparator)
{
    folder.WriteFile("properties/resources.xml", InGroup("<Image path=\"a\"/>\n"));
    EXPECT_TRUE(reader.Read("properties\\resources.xml", manifest)) << reader.GetErrorText();
    EXPECT_NE(manifest.Find(ResourceKind::Image, "a"), nullptr);
}

} // namespace
} // namespace Vesk
