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
    {"bch_add", 48, 25},         {"bcn_add", 48, 25},           {"blh_simple", 48, 34},
    {"bln_simple", 48, 34},      {"brg_delete", 24, 22},        {"brh_delete", 24, 22},
    {"brh_simple", 48, 34},      {"brn_delete", 24, 22},        {"brn_simple", 48, 34},
    {"but_change", 220, 44},     {"but_change_sh", 220, 44},    {"but_credits", 220, 44},
    {"but_credits_sh", 220, 44}, {"but_exit", 220, 44},         {"but_exit_sh", 220, 44},
    {"but_mgames", 220, 44},     {"but_mgames_c", 220, 44},     {"but_mgames_sh", 220, 44},
    {"but_options", 220, 44},    {"but_options_sh", 220, 44},   {"but_play", 220, 44},
    {"but_play_sh", 220, 44},    {"checkbox", 56, 28},          {"decor_o", 120, 60},
    {"decor_p", 120, 60},        {"decor_q", 160, 50},          {"slider_thumb", 24, 24},
    {"w_name", 420, 240},        {"w_options", 440, 380},       {"w_profile", 460, 360},
    {"w_simple", 420, 220},      {"w_warning", 420, 220},       {"candy", 800, 600},
    {"check", 28, 28},           {"shad_l", 40, 590},           {"shad_r", 40, 590},
    {"post_cont", 120, 160},     {"postit_contents", 120, 160}, {"stamp", 180, 120},
    {"stamp_replay", 160, 100},  {"tutor_back", 520, 320},      {"tutor_obj", 120, 120},
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
