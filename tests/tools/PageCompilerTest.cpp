// The page compiler: a hidden-object page drawn as one SVG becomes the folder the board plays,
// whose background with every object drawn over it is the face to the pixel; faulty objects
// stop the build with their ids. The built publication's hidden-object pages are checked the
// same way, through the game's own reader of their object lists.
#include "pagecompile/PageCompiler.h"

#include "app/ContentModel.h"
#include "app/PictureListReader.h"
#include "framework/appbase/Buffer.h"
#include "framework/platform/FileSystem.h"
#include "support/BuiltPicture.h"
#include "support/PngFile.h"
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

using TestSupport::BuiltPicture;
using TestSupport::PngFile;
using TestSupport::TempFolder;

constexpr int kFaceWidth = 767;
constexpr int kFaceHeight = 588;
constexpr int kBoardHeight = 532;

std::string Page(const std::string& scene)
{
    return R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="767" height="588">
  <rect width="767" height="532" fill="#f4ebd6"/>
  <g id="scene">)svg" +
           scene + "</g>\n</svg>\n";
}

// Cups of one kind twice (a group), an apple half behind a crate that is on no list, a key with
// a display name of its own, an object whose blur spreads past its shapes, and a spoon lying
// across the first cup.
const std::string kGoodScene = R"svg(
    <g id="obj-01_cup"><circle cx="100" cy="100" r="14" fill="#a05030"/></g>
    <g id="obj-02_red_apple"><circle cx="200" cy="150" r="20" fill="#c02020"/></g>
    <rect id="crate" x="200" y="120" width="40" height="60" fill="#806040"/>
    <g id="obj-03_cup" transform="rotate(20 300 300)"><rect x="290" y="290" width="24" height="18" fill="#a05030"/></g>
    <g id="obj-04_key" data-name="Brass key &amp; ring"><path d="M400 200 l60 15 l-4 12 l-60 -15 z" fill="#c8a040"/></g>
    <filter id="soft"><feGaussianBlur stdDeviation="2"/></filter>
    <g id="obj-05_jar"><rect x="500" y="300" width="30" height="40" fill="#3050a0" filter="url(#soft)"/></g>
    <rect x="90" y="95" width="5" height="5" fill="#203040"/>
    <g id="obj-06_spoon"><rect x="95" y="105" width="30" height="12" fill="#909090"/></g>)svg";

// Reads a compiled picture; the pixels are 0xAARRGGBB with straight alpha.
BuiltPicture ReadPng(const std::filesystem::path& path)
{
    BuiltPicture picture;
    EXPECT_TRUE(PngFile::Read(path.string(), picture.pixels, picture.width, picture.height)) << path;
    return picture;
}

std::unique_ptr<ContentModel> LoadItems(const std::string& listFile, const std::string& namesFile,
                                        const std::string& dir)
{
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(Platform::ReadWholeFile(listFile, bytes)) << listFile;
    Buffer list(bytes);
    bytes.clear();
    EXPECT_TRUE(Platform::ReadWholeFile(namesFile, bytes)) << namesFile;
    Buffer names(bytes);
    auto content = std::make_unique<ContentModel>();
    content->LoadPageItems(dir, PictureListReader::ReadObjects(list), PictureListReader::ReadDisplayNames(names));
    return content;
}

// The background comes last in the list, at the board's origin, with a name the list never shows.
// Drawing every object over it as the board does must give the face's board area. Objects are
// opaque or clear pixel by pixel, so any drawing order and any blending gives the same picture;
// a pixel in between is itself a failure.
void ExpectFaceRebuilt(const ContentModel& content, const std::filesystem::path& folder, const BuiltPicture& face)
{
    ASSERT_GE(content.pictureItemCount, 1);
    const PictureItem& last = content.pictureItems[static_cast<size_t>(content.pictureItemCount - 1)];
    EXPECT_EQ(last.fileName, "background_00.png");
    EXPECT_EQ(last.x, 0);
    EXPECT_EQ(last.y, 0);
    EXPECT_TRUE(last.name.empty() || last.name.back() < ':') << "\"" << last.name << "\" could be listed";
    BuiltPicture board = ReadPng(folder / last.fileName);
    ASSERT_EQ(board.width, kFaceWidth);
    ASSERT_EQ(board.height, kBoardHeight);
    for (int index = content.pictureItemCount - 2; index >= 0; --index)
    {
        const PictureItem& item = content.pictureItems[static_cast<size_t>(index)];
        SCOPED_TRACE(item.fileName);
        const BuiltPicture picture = ReadPng(folder / item.fileName);
        ASSERT_GE(item.x, 0);
        ASSERT_GE(item.y, 0);
        ASSERT_LE(item.x + picture.width, board.width);
        ASSERT_LE(item.y + picture.height, board.height);
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
            {
                const int alpha = picture.Alpha(x, y);
                ASSERT_TRUE(alpha == 0 || alpha == 255) << "alpha " << alpha << " at " << x << ", " << y;
                if (alpha == 255)
                    board.pixels[static_cast<size_t>((item.y + y) * board.width + item.x + x)] = picture.At(x, y);
            }
    }
    int wrong = 0;
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kFaceWidth; ++x)
            if (board.At(x, y) != face.At(x, y) && wrong++ < 3)
                ADD_FAILURE() << "the board differs from the face at " << x << ", " << y;
    EXPECT_EQ(wrong, 0);
}

TEST(PageCompilerTest, CompilesObjectsGroupsAndNamesAndReportsEveryFault)
{
    TempFolder folder;
    folder.WriteFile("page.svg", Page(kGoodScene));
    folder.WriteFile("p07/99_old_object.png", "stale");
    PageCompiler compiler;
    ASSERT_TRUE(
        compiler.Compile(folder / "page.svg", folder / "p07", folder / "local/page7.lng", folder / "faces/page07.png"))
        << (compiler.Errors().empty() ? "" : compiler.Errors().front());
    EXPECT_TRUE(compiler.Warnings().empty());
    EXPECT_FALSE(folder.Exists("p07/99_old_object.png")) << "pictures of objects no longer drawn are removed";

    std::unique_ptr<ContentModel> content =
        LoadItems((folder / "p07/picture.cfg").string(), (folder / "local/page7.lng").string(), "p07/");
    ASSERT_EQ(content->pictureItemCount, 7) << "six objects and the background";
    const auto& items = content->pictureItems;
    EXPECT_EQ(items[0].fileName, "01_cup.png");
    EXPECT_EQ(items[1].name, "red apple");
    EXPECT_EQ(items[1].displayName, "red apple");
    EXPECT_EQ(items[3].displayName, "Brass key & ring");
    EXPECT_TRUE(items[0].isGroupMember);
    EXPECT_EQ(items[0].groupLeader, 2);
    EXPECT_EQ(items[2].linkedCount, 1);
    // The cup is cut to its circle (radius 14 around 100, 100), less the square drawn over it.
    EXPECT_EQ(items[0].x, 86);
    EXPECT_EQ(items[0].y, 86);
    const BuiltPicture cup = ReadPng(folder / "p07/01_cup.png");
    EXPECT_EQ(cup.width, 28);
    EXPECT_EQ(cup.At(14, 14), 0xFFA05030u);
    EXPECT_EQ(cup.Alpha(6, 11), 0) << "the square over the cup is not part of it";
    EXPECT_EQ(cup.Alpha(14, 22), 0) << "where the spoon covers the cup, a press finds the spoon";
    const BuiltPicture spoon = ReadPng(folder / "p07/06_spoon.png");
    EXPECT_EQ(items[5].x, 95);
    EXPECT_EQ(spoon.At(5, 3), 0xFF909090u);
    // The apple keeps only what the crate leaves of it.
    const BuiltPicture apple = ReadPng(folder / "p07/02_red_apple.png");
    EXPECT_EQ(items[1].x, 180);
    EXPECT_EQ(apple.width, 20);

    SvgRenderer renderer;
    ASSERT_TRUE(renderer.Load(folder / "page.svg"));
    std::optional<SvgImage> rendered = renderer.RenderDocument();
    ASSERT_TRUE(rendered);
    BuiltPicture face;
    face.width = kFaceWidth;
    face.height = kFaceHeight;
    for (int y = 0; y < kFaceHeight; ++y)
        for (int x = 0; x < kFaceWidth; ++x)
            face.pixels.push_back(rendered->PixelAt(x, y));
    EXPECT_TRUE(ReadPng(folder / "faces/page07.png").pixels == face.pixels) << "the face written is the whole page";
    ExpectFaceRebuilt(*content, folder / "p07", face);

    // Every kind of fault, each named with its object; nothing is written.
    folder.WriteFile("bad.svg", Page(R"svg(
    <g id="obj-10_anchor"><rect x="300" y="520" width="30" height="30" fill="#333"/></g>
    <g id="obj-11_hidden_coin"><circle cx="100" cy="100" r="8" fill="#d0b000"/></g>
    <g id="obj-12_lid"><rect x="80" y="80" width="40" height="40" fill="#604020"/></g>
    <g id="obj-13"><rect x="400" y="100" width="30" height="30"/></g>
    <g id="obj-14_speck"><rect x="500" y="100" width="6" height="30"/></g>
    <g id="obj-15_shell"><rect x="600" y="100" width="30" height="30"/></g>
    <g id="obj-15_pearl"><rect x="600" y="200" width="30" height="30"/></g>
    <g id="obj-16_rope"><rect x="200" y="480" width="40" height="12" fill="#e0d0a0"/></g>
    <g id="obj-17_knot"><rect x="100" y="300" width="30" height="30"/></g>)svg"));
    EXPECT_FALSE(compiler.Compile(folder / "bad.svg", folder / "p09", folder / "local/page9.lng"));
    EXPECT_FALSE(folder.Exists("p09/picture.cfg"));
    EXPECT_FALSE(folder.Exists("local/page9.lng"));
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"obj-10_anchor", "outside the board area"},
        {"obj-11_hidden_coin", "completely covered"},
        {"obj-13", "no name"},
        {"obj-14_speck", "smaller than 10 x 10"},
        {"obj-15_pearl", "used twice"},
    };
    EXPECT_EQ(compiler.Errors().size(), expected.size());
    for (const auto& [id, fault] : expected)
    {
        auto reported = std::find_if(compiler.Errors().begin(), compiler.Errors().end(),
                                     [&](const std::string& error)
                                     {
                                         return error.find(id + ": ") != std::string::npos &&
                                                error.find("bad.svg: ") != std::string::npos &&
                                                error.find(fault) != std::string::npos;
                                     });
        EXPECT_NE(reported, compiler.Errors().end()) << id << ": " << fault;
    }
    ASSERT_EQ(compiler.Warnings().size(), 1u);
    EXPECT_NE(compiler.Warnings()[0].find("obj-16_rope: reaches into the list notes"), std::string::npos);

    // A page without objects gets empty lists and a warning.
    folder.WriteFile("empty.svg", Page(""));
    EXPECT_TRUE(compiler.Compile(folder / "empty.svg", folder / "p11", folder / "local/page11.lng"));
    EXPECT_EQ(folder.ReadFile("p11/picture.cfg"), "");
    ASSERT_EQ(compiler.Warnings().size(), 1u);
    EXPECT_NE(compiler.Warnings()[0].find("no obj-NN_name groups"), std::string::npos);
}

// Every hidden-object page of the publication ("Game" and "NGame" in config.xml) has its
// folder, its object list reads through the game's loader and background plus objects give back
// the face.
TEST(PageCompilerTest, BuiltHiddenObjectPagesRebuildTheirFaces)
{
    for (int page : {3, 5, 6, 8, 9, 12, 15})
    {
        SCOPED_TRACE("page " + std::to_string(page));
        std::string number = std::to_string(page);
        if (number.size() < 2)
            number.insert(number.begin(), '0');
        const std::string dir = "images/pages/p" + number + "/";
        const std::filesystem::path folder = BuiltPicture::PathOf(dir);
        ASSERT_TRUE(std::filesystem::exists(folder / "picture.cfg")) << "build the data target first: " << folder;
        std::unique_ptr<ContentModel> content =
            LoadItems((folder / "picture.cfg").string(),
                      BuiltPicture::PathOf("images/local/page" + std::to_string(page) + ".lng"), dir);
        if (content->pictureItemCount == 0)
            continue; // not drawn yet: the compiler warned
        for (int index = 0; index < content->pictureItemCount - 1; ++index)
        {
            const PictureItem& item = content->pictureItems[static_cast<size_t>(index)];
            EXPECT_FALSE(item.name.empty()) << item.fileName;
            EXPECT_FALSE(item.displayName.empty()) << item.fileName;
        }
        BuiltPicture face;
        ASSERT_TRUE(face.Load("images/pages/page" + number + ".png"));
        ExpectFaceRebuilt(*content, folder, face);
    }
}

} // namespace
} // namespace Vesk
