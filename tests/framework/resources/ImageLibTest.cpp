#include "framework/resources/ImageLib.h"

#include "support/ImageBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <openjpeg.h>

#include <algorithm>

namespace Vesk
{

using TestSupport::BuildGif;
using TestSupport::BuildTga;
using TestSupport::TempFolder;

namespace
{

ImageData Filled(int width, int height, uint32_t color)
{
    ImageData image(width, height);
    image.pixels.assign(size_t(width) * size_t(height), color);
    return image;
}

void WriteBytes(const TempFolder& folder, const std::string& name, const std::vector<uint8_t>& bytes)
{
    folder.WriteFile(name, std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

// Encodes a small RGB picture losslessly with OpenJPEG as a code stream or a JP2 file (which
// goes back to fill in box lengths, so the output is seekable).
struct Output
{
    std::vector<uint8_t> bytes;
    size_t position = 0;
};

OPJ_SIZE_T WriteToOutput(void* buffer, OPJ_SIZE_T count, void* userData)
{
    auto* output = static_cast<Output*>(userData);
    if (output->bytes.size() < output->position + count)
        output->bytes.resize(output->position + count);
    std::copy_n(static_cast<uint8_t*>(buffer), count, output->bytes.begin() + long(output->position));
    output->position += count;
    return count;
}

OPJ_OFF_T SkipOutput(OPJ_OFF_T count, void* userData)
{
    static_cast<Output*>(userData)->position += size_t(count);
    return count;
}

OPJ_BOOL SeekOutput(OPJ_OFF_T position, void* userData)
{
    static_cast<Output*>(userData)->position = size_t(position);
    return OPJ_TRUE;
}

std::vector<uint8_t> EncodeJpeg2000(const ImageData& picture, OPJ_CODEC_FORMAT format)
{
    opj_image_cmptparm_t parameters[3] = {};
    for (auto& component : parameters)
    {
        component.dx = component.dy = 1;
        component.w = OPJ_UINT32(picture.width);
        component.h = OPJ_UINT32(picture.height);
        component.prec = 8;
    }
    opj_image_t* image = opj_image_create(3, parameters, OPJ_CLRSPC_SRGB);
    image->x1 = OPJ_UINT32(picture.width);
    image->y1 = OPJ_UINT32(picture.height);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        for (int c = 0; c < 3; ++c)
            image->comps[c].data[i] = OPJ_INT32(picture.pixels[i] >> (16 - 8 * c) & 0xFF);

    opj_cparameters_t settings;
    opj_set_default_encoder_parameters(&settings);
    settings.numresolution = 2;
    opj_codec_t* codec = opj_create_compress(format);
    opj_setup_encoder(codec, &settings, image);
    Output output;
    opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE);
    opj_stream_set_user_data(stream, &output, nullptr);
    opj_stream_set_write_function(stream, WriteToOutput);
    opj_stream_set_skip_function(stream, SkipOutput);
    opj_stream_set_seek_function(stream, SeekOutput);
    const bool ok =
        opj_start_compress(codec, image, stream) && opj_encode(codec, stream) && opj_end_compress(codec, stream);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    return ok ? output.bytes : std::vector<uint8_t>();
}

} // namespace

TEST(ImageLibTest, ExtensionsAreFoundOnlyInTheFileName)
{
    EXPECT_EQ(ImageLib::GetExtension("images/pic.png"), ".png");
    EXPECT_EQ(ImageLib::GetExtension("images\\sub.d/pic"), "");
    EXPECT_EQ(ImageLib::GetExtension("images/sub.d\\pic"), "");
    EXPECT_EQ(ImageLib::GetExtension("a.b/c.JPG"), ".JPG");
    EXPECT_EQ(ImageLib::GetExtension("noext"), "");
}

TEST(ImageLibTest, NamesWithoutExtensionTryEachFormatInTurn)
{
    TempFolder folder;
    ASSERT_TRUE(ImageLib::WritePNG("art.v2/pic.png", Filled(2, 2, 0xFF0000FF)));
    WriteBytes(folder, "art.v2/pic.gif", BuildGif(2, 2, {0x00FF00}, {0, 0, 0, 0}));

    // Only the folder name has a dot: no extension, so ".tga" and ".jpg" are tried, then ".png".
    auto image = ImageLib::GetImage("art.v2/pic");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->At(1, 1), 0xFF0000FFu);

    // A TGA comes first of all.
    WriteBytes(folder, "art.v2/pic.tga", BuildTga(1, 1, {0x80FFFFFF}));
    image = ImageLib::GetImage("art.v2/pic");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, std::vector<uint32_t>{0x80FFFFFF});

    // An explicit extension reads only that file with that format's reader.
    image = ImageLib::GetImage("art.v2/pic.gif");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->At(0, 0), 0xFF00FF00u);
    EXPECT_FALSE(ImageLib::GetImage("art.v2/pic.bmp"));
    EXPECT_FALSE(ImageLib::GetImage("art.v2/missing"));

    // A GIF saved under a ".png" name is not a PNG.
    WriteBytes(folder, "wrong.png", BuildGif(1, 1, {0}, {0}));
    EXPECT_FALSE(ImageLib::GetImage("wrong.png"));
}

TEST(ImageLibTest, UpperCaseExtensionsSelectTheirReader)
{
    TempFolder folder;
    ASSERT_TRUE(ImageLib::WriteJPEG("PHOTO.JPG", Filled(8, 8, 0xFF808080)));
    auto image = ImageLib::GetImage("PHOTO.JPG");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 8);
    EXPECT_NEAR(double(image->At(3, 3) & 0xFF), 128.0, 4.0);
}

TEST(ImageLibTest, AlphaCompanionsOfEqualSizeGiveTheAlphaFromTheirBlueChannel)
{
    TempFolder folder;
    ASSERT_TRUE(ImageLib::WritePNG("art/pic.png", Filled(2, 1, 0xFF102030)));
    ImageData alpha(2, 1);
    alpha.pixels = {0xFF000040, 0xFF0000C0};
    ASSERT_TRUE(ImageLib::WritePNG("art/_pic.png", alpha));

    auto image = ImageLib::GetImage("art/pic.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, (std::vector<uint32_t>{0x40102030, 0xC0102030}));
    // Without looking for it, the colour picture stays as it is.
    image = ImageLib::GetImage("art/pic.png", false);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, (std::vector<uint32_t>{0xFF102030, 0xFF102030}));

    // The second form: the whole name followed by "_", here without extension.
    ASSERT_TRUE(ImageLib::WritePNG("art/other.png", Filled(2, 1, 0xFF102030)));
    ASSERT_TRUE(ImageLib::WritePNG("art/other_.png", alpha));
    image = ImageLib::GetImage("art/other");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, (std::vector<uint32_t>{0x40102030, 0xC0102030}));
}

TEST(ImageLibTest, AnAlphaCompanionOfAnotherSizeIsIgnored)
{
    TempFolder folder;
    ASSERT_TRUE(ImageLib::WritePNG("pic.png", Filled(2, 2, 0xFF102030)));
    ASSERT_TRUE(ImageLib::WritePNG("_pic.png", Filled(3, 2, 0xFF000000)));
    auto image = ImageLib::GetImage("pic");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, std::vector<uint32_t>(4, 0xFF102030));
}

TEST(ImageLibTest, AnAlphaPictureAloneTakesTheAlphaImageColour)
{
    TempFolder folder;
    ImageData alpha(2, 1);
    alpha.pixels = {0xFF000000, 0xFFFFFF80};
    ASSERT_TRUE(ImageLib::WritePNG("glow/_spot.png", alpha));

    auto image = ImageLib::GetImage("glow/spot");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, (std::vector<uint32_t>{0x00FFFFFF, 0x80FFFFFF}));

    ImageLib::SetAlphaImageColor(0xFF123456);
    image = ImageLib::GetImage("glow/spot");
    ImageLib::SetAlphaImageColor(0xFFFFFF);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, (std::vector<uint32_t>{0x00123456, 0x80123456}));
    EXPECT_EQ(ImageLib::GetAlphaImageColor(), 0xFFFFFFu);
}

TEST(ImageLibTest, Jpeg2000CodeStreamsAndFilesDecodeOpaque)
{
    TempFolder folder;
    ImageData picture(6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            picture.At(x, y) = 0x10000000 | uint32_t(x * 40) << 16 | uint32_t(y * 60) << 8 | uint32_t(x * y * 9);
    const std::vector<uint8_t> codeStream = EncodeJpeg2000(picture, OPJ_CODEC_J2K);
    const std::vector<uint8_t> jp2 = EncodeJpeg2000(picture, OPJ_CODEC_JP2);
    ASSERT_FALSE(codeStream.empty());
    ASSERT_FALSE(jp2.empty());
    WriteBytes(folder, "deep/pic.j2k", codeStream);
    WriteBytes(folder, "other.jp2", jp2);

    std::vector<uint32_t> opaque = picture.pixels;
    for (uint32_t& pixel : opaque)
        pixel |= 0xFF000000;
    auto image = ImageLib::GetImage("deep/pic");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, opaque);
    image = ImageLib::GetImage("other.jp2");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, opaque);

    // What the codec rejects gives null: garbage and a cut stream. The content, not the
    // extension, tells a JP2 file from a code stream.
    WriteBytes(folder, "bad.j2k", {0xFF, 0x4F, 0xFF, 0x51, 0, 0, 0, 0});
    EXPECT_FALSE(ImageLib::GetImage("bad.j2k"));
    WriteBytes(folder, "cut.j2k", std::vector<uint8_t>(codeStream.begin(), codeStream.begin() + 60));
    EXPECT_FALSE(ImageLib::GetImage("cut.j2k"));
    WriteBytes(folder, "named.j2k", jp2);
    EXPECT_TRUE(ImageLib::GetImage("named.j2k"));
}

} // namespace Vesk
