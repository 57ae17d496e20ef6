// JPEG through libjpeg: a source manager over any ImageStream (4096-byte reads) and a
// destination that collects the compressed bytes in memory. libjpeg's fatal errors unwind to
// the reader with longjmp; the functions that call setjmp keep no objects with destructors
// of their own.
#include "framework/platform/FileSystem.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/ImageStream.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <jerror.h>

namespace Vesk::ImageLib
{

namespace
{

constexpr size_t kReadChunk = 4096;
constexpr int kWriteQuality = 80;
// Large progressive pictures keep all their coefficients in memory; more than this is refused.
constexpr long kMaxDecoderMemory = 512L << 20;

struct ErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void OnErrorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void OnMessage(j_common_ptr) {}

void InstallErrorManager(ErrorManager& errors)
{
    jpeg_std_error(&errors.base);
    errors.base.error_exit = OnErrorExit;
    errors.base.output_message = OnMessage;
}

struct StreamSource
{
    jpeg_source_mgr base;
    ImageStream* stream;
    bool atStart;
    JOCTET buffer[kReadChunk];
};

void InitSource(j_decompress_ptr info)
{
    reinterpret_cast<StreamSource*>(info->src)->atStart = true;
}

boolean FillInputBuffer(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<StreamSource*>(info->src);
    size_t count = source->stream->Read(source->buffer, kReadChunk);
    if (count == 0)
    {
        if (source->atStart)
            ERREXIT(info, JERR_INPUT_EMPTY);
        // A file cut short still shows what it has: pretend the image ends here.
        WARNMS(info, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        count = 2;
    }
    source->base.next_input_byte = source->buffer;
    source->base.bytes_in_buffer = count;
    source->atStart = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    auto* source = reinterpret_cast<StreamSource*>(info->src);
    while (size_t(count) > source->base.bytes_in_buffer)
    {
        count -= long(source->base.bytes_in_buffer);
        FillInputBuffer(info);
    }
    source->base.next_input_byte += count;
    source->base.bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

uint32_t Opaque(int red, int green, int blue)
{
    return 0xFF000000 | uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue);
}

bool DecodeJpeg(jpeg_decompress_struct& info, ErrorManager& errors, StreamSource& source, ImageData& image,
                std::vector<JSAMPLE>& row)
{
    if (setjmp(errors.jump) != 0)
        return false;

    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = kMaxDecoderMemory;
    info.src = &source.base;
    jpeg_read_header(&info, TRUE);
    if (!ImageData::SizeAllowed(info.image_width, info.image_height))
        return false;
    switch (info.jpeg_color_space)
    {
    case JCS_GRAYSCALE:
        info.out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        info.out_color_space = JCS_CMYK;
        break;
    default:
        info.out_color_space = JCS_RGB;
        break;
    }
    jpeg_start_decompress(&info);

    const int width = int(info.output_width);
    const int height = int(info.output_height);
    const int components = info.output_components;
    if (!ImageData::SizeAllowed(width, height) || (components != 1 && components != 3 && components != 4))
        return false;
    image.width = width;
    image.height = height;
    image.pixels.assign(size_t(width) * size_t(height), 0);
    row.resize(size_t(width) * size_t(components));
    JSAMPROW rowPointer = row.data();
    while (info.output_scanline < info.output_height)
    {
        const int y = int(info.output_scanline);
        if (jpeg_read_scanlines(&info, &rowPointer, 1) != 1)
            return false;
        uint32_t* out = &image.At(0, y);
        for (int x = 0; x < width; ++x)
        {
            const JSAMPLE* sample = &row[size_t(x) * size_t(components)];
            if (components == 1)
            {
                out[x] = Opaque(sample[0], sample[0], sample[0]);
            }
            else if (components == 3)
            {
                out[x] = Opaque(sample[0], sample[1], sample[2]);
            }
            else // Adobe CMYK, stored inverted
            {
                const int black = sample[3];
                out[x] = Opaque(sample[0] * black / 255, sample[1] * black / 255, sample[2] * black / 255);
            }
        }
    }
    jpeg_finish_decompress(&info);
    return true;
}

struct VectorDestination
{
    jpeg_destination_mgr base;
    std::vector<uint8_t>* output;
    JOCTET buffer[kReadChunk];
};

void InitDestination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<VectorDestination*>(info->dest);
    destination->base.next_output_byte = destination->buffer;
    destination->base.free_in_buffer = kReadChunk;
}

boolean EmptyOutputBuffer(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<VectorDestination*>(info->dest);
    destination->output->insert(destination->output->end(), destination->buffer, destination->buffer + kReadChunk);
    destination->base.next_output_byte = destination->buffer;
    destination->base.free_in_buffer = kReadChunk;
    return TRUE;
}

void TermDestination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<VectorDestination*>(info->dest);
    const size_t used = kReadChunk - destination->base.free_in_buffer;
    destination->output->insert(destination->output->end(), destination->buffer, destination->buffer + used);
}

bool EncodeJpeg(jpeg_compress_struct& info, ErrorManager& errors, VectorDestination& destination,
                const ImageData& image, std::vector<JSAMPLE>& row)
{
    if (setjmp(errors.jump) != 0)
        return false;

    jpeg_create_compress(&info);
    info.dest = &destination.base;
    info.image_width = JDIMENSION(image.width);
    info.image_height = JDIMENSION(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kWriteQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    row.resize(size_t(image.width) * 3);
    JSAMPROW rowPointer = row.data();
    for (int y = 0; y < image.height; ++y)
    {
        for (int x = 0; x < image.width; ++x)
        {
            const uint32_t pixel = image.At(x, y);
            row[size_t(x) * 3] = JSAMPLE(pixel >> 16);
            row[size_t(x) * 3 + 1] = JSAMPLE(pixel >> 8);
            row[size_t(x) * 3 + 2] = JSAMPLE(pixel);
        }
        jpeg_write_scanlines(&info, &rowPointer, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}

} // namespace

std::unique_ptr<ImageData> ReadJPEG(ImageStream& stream)
{
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    InstallErrorManager(errors);
    info.err = &errors.base;

    StreamSource source{};
    source.stream = &stream;
    source.base.init_source = InitSource;
    source.base.fill_input_buffer = FillInputBuffer;
    source.base.skip_input_data = SkipInputData;
    source.base.resync_to_restart = jpeg_resync_to_restart;
    source.base.term_source = TermSource;

    auto image = std::make_unique<ImageData>();
    std::vector<JSAMPLE> row;
    const bool ok = DecodeJpeg(info, errors, source, *image, row);
    jpeg_destroy_decompress(&info);
    if (!ok)
        return nullptr;
    return image;
}

bool WriteJPEG(const std::string& fileName, const ImageData& image)
{
    if (!ImageData::SizeAllowed(image.width, image.height) ||
        image.pixels.size() != size_t(image.width) * size_t(image.height))
        return false;

    jpeg_compress_struct info{};
    ErrorManager errors{};
    InstallErrorManager(errors);
    info.err = &errors.base;

    std::vector<uint8_t> output;
    VectorDestination destination{};
    destination.output = &output;
    destination.base.init_destination = InitDestination;
    destination.base.empty_output_buffer = EmptyOutputBuffer;
    destination.base.term_destination = TermDestination;

    std::vector<JSAMPLE> row;
    const bool ok = EncodeJpeg(info, errors, destination, image, row);
    jpeg_destroy_compress(&info);
    return ok && Platform::WriteFileAtomically(fileName, output);
}

} // namespace Vesk::ImageLib
