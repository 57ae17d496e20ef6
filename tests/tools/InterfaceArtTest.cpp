// The interface pictures the art build renders (buttons, menu pictures, dialog windows,
// frames, stamps): each exists in the built data tree with the size the screens are laid out
// for.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace Vesk
{
namespace
{

struct PictureSize
{
    const char* file;
    uint32_t width;
    uint32_t height;
};

constexpr PictureSize kPictures[] = {
    {"bch_add", 48, 25},    {"bcn_add", 48, 25},    {"blh_simple", 48, 34},
    {"bln_simple", 48, 34}, {"brg_delete", 24, 22}, {"brh_delete", 24, 22},
    {"brh_simple", 48, 34}, {"brn_delete", 24, 22}, {"brn_simple", 48, 34},
};

uint32_t BigEndian(const std::array<unsigned char, 24>& bytes, size_t at)
{
    return (uint32_t(bytes[at]) << 24) | (uint32_t(bytes[at + 1]) << 16) | (uint32_t(bytes[at + 2]) << 8) |
           uint32_t(bytes[at + 3]);
}

TEST(InterfaceArtTest, PicturesExistWithTheirLaidOutSizes)
{
    const std::filesystem::path folder = std::filesystem::path(ORLO_BUILT_DATA_DIR) / "images" / "interface";
    for (const PictureSize& picture : kPictures)
    {
        const std::filesystem::path path = folder / (std::string(picture.file) + ".png");
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << "build the data target first: " << path;
        std::array<unsigned char, 24> header{};
        in.read(reinterpret_cast<char*>(header.data()), header.size());
        ASSERT_EQ(in.gcount(), 24) << path;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(header.data()) + 1, 3), "PNG") << path;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(header.data()) + 12, 4), "IHDR") << path;
        EXPECT_EQ(BigEndian(header, 16), picture.width) << path;
        EXPECT_EQ(BigEndian(header, 20), picture.height) << path;
    }
}

} // namespace
} // namespace Vesk
