// JPEG 2000 through OpenJPEG: raw code streams (".j2k") and JP2 files (".jp2"), read through
// an OpenJPEG stream whose callbacks use the ImageStream. The pixels always come out opaque.
#include "framework/resources/ImageLib.h"
#include "framework/resources/ImageStream.h"

#include <openjpeg.h>

#include <algorithm>
#include <cstring>

namespace Vesk::ImageLib
{

namespace
{

constexpr uint8_t kJp2Signature[] = {0x00, 0x00, 0x00, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
constexpr uint8_t kCodeStreamSignature[] = {0xFF, 0x4F, 0xFF, 0x51};

struct CodecDeleter
{
    void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct StreamDeleter
{
    void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
struct ImageDeleter
{
    void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};

// The codec's messages are dropped: a picture that fails to decode is simply not loaded.
void Quiet(const char*, void*) {}

OPJ_SIZE_T ReadCallback(void* buffer, OPJ_SIZE_T count, void* userData)
{
    const size_t read = static_cast<ImageStream*>(userData)->Read(buffer, count);
    return read == 0 ? OPJ_SIZE_T(-1) : read;
}

OPJ_OFF_T SkipCallback(OPJ_OFF_T count, void* userData)
{
    auto* stream = static_cast<ImageStream*>(userData);
    if (count < 0)
    {
        if (uint64_t(-count) > stream->Tell() || !stream->Seek(stream->Tell() - uint64_t(-count)))
            return -1;
        return count;
    }
    const uint64_t step = std::min<uint64_t>(uint64_t(count), stream->Remaining());
    return stream->Seek(stream->Tell() + step) ? OPJ_OFF_T(step) : -1;
}

OPJ_BOOL SeekCallback(OPJ_OFF_T position, void* userData)
{
    return position >= 0 && static_cast<ImageStream*>(userData)->Seek(uint64_t(position)) ? OPJ_TRUE : OPJ_FALSE;
}

// One component's sample at an image pixel, scaled to 8 bits. Subsampled components are
// stretched over the whole picture.
int Sample(const opj_image_comp_t& component, int x, int y, int width, int height)
{
    const int cx = std::min(int(int64_t(x) * component.w / width), int(component.w) - 1);
    const int cy = std::min(int(int64_t(y) * component.h / height), int(component.h) - 1);
    int64_t value = component.data[size_t(cy) * component.w + size_t(cx)];
    if (component.sgnd != 0)
        value += int64_t{1} << (component.prec - 1);
    if (component.prec > 8)
        value >>= component.prec - 8;
    else if (component.prec < 8)
        value = value * 255 / ((int64_t{1} << component.prec) - 1);
    return int(std::clamp<int64_t>(value, 0, 255));
}

bool ComponentUsable(const opj_image_comp_t& component)
{
    return component.data != nullptr && component.w > 0 && component.h > 0 && component.prec >= 1 &&
           component.prec <= 31;
}

} // namespace

std::unique_ptr<ImageData> ReadJPEG2000(ImageStream& stream)
{
    const uint64_t start = stream.Tell();
    uint8_t head[sizeof kJp2Signature] = {};
    const size_t headLength = stream.Read(head, sizeof head);
    if (!stream.Seek(start))
        return nullptr;
    OPJ_CODEC_FORMAT format = OPJ_CODEC_UNKNOWN;
    if (headLength >= sizeof kJp2Signature && std::memcmp(head, kJp2Signature, sizeof kJp2Signature) == 0)
        format = OPJ_CODEC_JP2;
    else if (headLength >= sizeof kCodeStreamSignature &&
             std::memcmp(head, kCodeStreamSignature, sizeof kCodeStreamSignature) == 0)
        format = OPJ_CODEC_J2K;
    else
        return nullptr;

    std::unique_ptr<opj_codec_t, CodecDeleter> codec(opj_create_decompress(format));
    std::unique_ptr<opj_stream_t, StreamDeleter> input(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE));
    if (!codec || !input)
        return nullptr;
    opj_set_error_handler(codec.get(), Quiet, nullptr);
    opj_set_warning_handler(codec.get(), Quiet, nullptr);
    opj_set_info_handler(codec.get(), Quiet, nullptr);
    opj_stream_set_user_data(input.get(), &stream, nullptr);
    opj_stream_set_user_data_length(input.get(), stream.Remaining());
    opj_stream_set_read_function(input.get(), ReadCallback);
    opj_stream_set_skip_function(input.get(), SkipCallback);
    opj_stream_set_seek_function(input.get(), SeekCallback);

    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    // A code stream cut short is an error, not a blurrier picture.
    if (!opj_setup_decoder(codec.get(), &parameters) || !opj_decoder_set_strict_mode(codec.get(), OPJ_TRUE))
        return nullptr;

    opj_image_t* rawImage = nullptr;
    if (!opj_read_header(input.get(), codec.get(), &rawImage))
    {
        opj_image_destroy(rawImage);
        return nullptr;
    }
    std::unique_ptr<opj_image_t, ImageDeleter> decoded(rawImage);
    const int64_t width = int64_t(decoded->x1) - int64_t(decoded->x0);
    const int64_t height = int64_t(decoded->y1) - int64_t(decoded->y0);
    if (!ImageData::SizeAllowed(width, height) || decoded->numcomps == 0)
        return nullptr;
    if (!opj_decode(codec.get(), input.get(), decoded.get()) || !opj_end_decompress(codec.get(), input.get()))
        return nullptr;

    const OPJ_UINT32 colorComponents = decoded->numcomps >= 3 ? 3 : 1;
    for (OPJ_UINT32 i = 0; i < colorComponents; ++i)
        if (!ComponentUsable(decoded->comps[i]))
            return nullptr;

    auto image = std::make_unique<ImageData>(int(width), int(height));
    for (int y = 0; y < image->height; ++y)
    {
        for (int x = 0; x < image->width; ++x)
        {
            const int red = Sample(decoded->comps[0], x, y, image->width, image->height);
            const int green = colorComponents == 3 ? Sample(decoded->comps[1], x, y, image->width, image->height) : red;
            const int blue = colorComponents == 3 ? Sample(decoded->comps[2], x, y, image->width, image->height) : red;
            image->At(x, y) = 0xFF000000 | uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue);
        }
    }
    return image;
}

} // namespace Vesk::ImageLib
