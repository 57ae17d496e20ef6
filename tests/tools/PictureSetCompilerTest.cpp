// The picture-set mode of the page compiler: a mini-game page's pictures drawn as one SVG in
// screen space become one PNG per pic- group and a picture.cfg whose places follow each
// picture's origin; a faulty set names the file and every faulty id and writes nothing.
#include "pagecompile/PictureSetCompiler.h"

#include "app/PictureListReader.h"
#include "framework/appbase/Buffer.h"
#include "framework/platform/FileSystem.h"
#include "support/BuiltPicture.h"
#include "support/PngFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::BuiltPicture;
using TestSupport::PngFile;
using TestSupport::TempFolder;

std::string Set(const std::string& content)
{
    return R"svg(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" width="800" height="600" viewBox="0 0 800 600">
  <defs><symbol id="dot"><rect width="8" height="6" fill="#204080"/></symbol></defs>
  <rect x="0" y="0" width="800" height="600" fill="#ff00ff"/>
)svg" + content +
           "</svg>\n";
}

BuiltPicture ReadPng(const std::filesystem::path& path)
{
    BuiltPicture picture;
    EXPECT_TRUE(PngFile::Read(path.string(), picture.pixels, picture.width, picture.height)) << path;
    return picture;
}

TEST(PictureSetCompilerTest, WritesEachGroupAloneWithItsCropAndOrigin)
{
    TempFolder folder;
    // A magenta guide under everything and outside every group must show in no picture.
    folder.WriteFile("set.svg", Set(R"svg(
  <g id="pic-b1_map" data-crop="16 6 767 532"><rect x="100" y="100" width="50" height="40" fill="#c0a070"/></g>
  <g id="pic-d1_key"><rect x="116" y="56" width="20" height="10" fill="#806040"/></g>
  <g id="pic-p1_key" data-origin="screen"><use xlink:href="#dot" x="300" y="500"/></g>
  <g id="pic-c_1_1" data-origin="board"><rect x="400" y="100" width="60" height="40" fill="#503020"/></g>
  <g id="pic-m_1_1key" data-origin="pic-c_1_1"><rect x="410" y="120" width="12" height="12" fill="#e0e0e0"/></g>
  <g id="pic-p_wait" data-offset="900, -4"><rect x="650" y="84" width="16" height="16" fill="#e0e0e0"/></g>
)svg"));
    std::filesystem::create_directories(folder / "out");
    folder.WriteFile("out/d1_gone.png", "an old picture");

    PictureSetCompiler compiler(16, 6);
    ASSERT_TRUE(compiler.Compile(folder / "set.svg", folder / "out")) << ::testing::PrintToString(compiler.Errors());
    EXPECT_EQ(folder.ReadFile("out/picture.cfg"), "pic-b1_map\n1\nb1_map.png\n767x532\n0\n0\n"
                                                  "pic-d1_key\n2\nd1_key.png\n20x10\n100\n50\n"
                                                  "pic-p1_key\n3\np1_key.png\n8x6\n300\n500\n"
                                                  "pic-c_1_1\n4\nc_1_1.png\n60x40\n384\n94\n"
                                                  "pic-m_1_1key\n5\nm_1_1key.png\n12x12\n10\n20\n"
                                                  "pic-p_wait\n6\np_wait.png\n16x16\n1534\n74\n");
    EXPECT_FALSE(folder.Exists("out/d1_gone.png")) << "a picture the set no longer has is removed";

    // Read back as the game does: six words per picture, x and y the fifth and sixth.
    std::istringstream words(folder.ReadFile("out/picture.cfg"));
    std::vector<std::string> tokens{std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
    ASSERT_EQ(tokens.size(), 36u);
    EXPECT_EQ(tokens[8], "d1_key.png");
    EXPECT_EQ(tokens[10], "100");
    EXPECT_EQ(tokens[11], "50");
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(Platform::ReadWholeFile(folder / "out/picture.cfg", bytes));
    Buffer list(bytes);
    const std::vector<PictureListEntry> entries = PictureListReader::ReadObjects(list);
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[4].fileName, "m_1_1key.png");

    // The background keeps its crop's size; only its own ink is drawn, the rest is clear.
    const BuiltPicture map = ReadPng(folder / "out/b1_map.png");
    ASSERT_EQ(map.width, 767);
    ASSERT_EQ(map.height, 532);
    EXPECT_EQ(map.At(100 - 16, 100 - 6), 0xFFC0A070u);
    EXPECT_EQ(map.Alpha(10, 10), 0);
    const BuiltPicture dot = ReadPng(folder / "out/p1_key.png");
    ASSERT_EQ(dot.width, 8);
    EXPECT_EQ(dot.At(0, 0), 0xFF204080u) << "a <use> of a symbol inside the group is drawn";

    // The same source gives the same bytes.
    const std::string first = folder.ReadFile("out/b1_map.png");
    ASSERT_TRUE(compiler.Compile(folder / "set.svg", folder / "out"));
    EXPECT_EQ(folder.ReadFile("out/b1_map.png"), first);
}

TEST(PictureSetCompilerTest, NamesEveryFaultAndWritesNothing)
{
    TempFolder folder;
    folder.WriteFile("set.svg", Set(R"svg(
  <g id="pic-d1_anchor"><rect x="100" y="100" width="20" height="20" fill="#000"/></g>
  <g id="pic-d1_anchor"><rect x="200" y="100" width="20" height="20" fill="#000"/></g>
  <g id="pic-d1_ghost"><rect x="300" y="100" width="20" height="20" fill="none"/></g>
  <g id="pic-m_1_1cup" data-origin="pic-c_1_1"><rect x="400" y="100" width="20" height="20" fill="#000"/></g>
  <g id="pic-c_1_1"><rect x="400" y="80" width="60" height="60" fill="#000"/></g>
  <g id="pic-p1_sea-horse"><rect x="500" y="100" width="20" height="20" fill="#000"/></g>
  <g id="pic-b1_map" data-crop="16 6 800 532"><rect x="20" y="20" width="20" height="20" fill="#000"/></g>
  <g id="pic-p_far" data-offset="900"><rect x="600" y="100" width="20" height="20" fill="#000"/></g>
)svg"));
    PictureSetCompiler compiler(16, 6);
    EXPECT_FALSE(compiler.Compile(folder / "set.svg", folder / "out"));
    const std::vector<std::string>& errors = compiler.Errors();
    ASSERT_EQ(errors.size(), 6u) << ::testing::PrintToString(errors);
    const std::string file = (folder / "set.svg").string();
    for (const std::string& error : errors)
        EXPECT_EQ(error.rfind(file + ": pic-", 0), 0u) << error;
    EXPECT_NE(errors[0].find("pic-d1_anchor: the name d1_anchor is used twice"), std::string::npos);
    EXPECT_NE(errors[1].find("pic-d1_ghost: draws nothing"), std::string::npos);
    EXPECT_NE(errors[2].find("pic-m_1_1cup: data-origin"), std::string::npos);
    EXPECT_NE(errors[3].find("pic-p1_sea-horse: the name"), std::string::npos);
    EXPECT_NE(errors[4].find("pic-b1_map: data-crop"), std::string::npos);
    EXPECT_NE(errors[5].find("pic-p_far: data-offset"), std::string::npos);
    EXPECT_FALSE(folder.Exists("out"));
}

} // namespace
} // namespace Vesk
