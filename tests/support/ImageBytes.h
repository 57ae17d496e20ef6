#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Vesk::TestSupport
{

// Hand-built image files for reader tests and fuzz seeds: every byte is laid out here, so a
// test can damage exactly the field it is about.

struct GifOptions
{
    int minCodeSize = 2;
    int transparentIndex = -1; // written in a graphic control extension when >= 0
    bool interlaced = false;
    bool localColorTable = false; // the palette goes with the image instead of the screen
    bool emitClearWhenFull = true;
    bool withComment = false; // a comment and a "NETSCAPE2.0" block before the image
    int stopAfterPixels = -1; // write the end code after this many pixels
};

// A one-image GIF89a. indices are in display order (top row first); an interlaced file
// stores the rows in the four-pass order. The LZW stream holds only literal codes (with the
// table growth a decoder expects), which is valid if not compact.
std::vector<uint8_t> BuildGif(int width, int height, const std::vector<uint32_t>& palette,
                              const std::vector<uint8_t>& indices, const GifOptions& options = {});

// The LZW code stream alone (as data sub-blocks, with the terminator) for the literals given.
std::vector<uint8_t> LzwLiteralBlocks(int minCodeSize, const std::vector<uint8_t>& literals, bool emitClearWhenFull,
                                      int stopAfter = -1);

// An 18-byte TGA header followed by the pixels as blue, green, red, alpha bytes.
std::vector<uint8_t> BuildTga(int width, int height, const std::vector<uint32_t>& pixels, int bitsPerPixel = 32,
                              int descriptor = 0x28, int imageType = 2, const std::string& identification = "");

// A PNG with stored (uncompressed) deflate blocks. rows are the raw scanlines without the
// filter byte; palette and transparency chunks are written when not empty.
std::vector<uint8_t> BuildPng(int width, int height, int bitDepth, int colorType,
                              const std::vector<std::vector<uint8_t>>& rows, const std::vector<uint8_t>& palette = {},
                              const std::vector<uint8_t>& transparency = {}, bool interlaced = false);

// Pixels of a recognisable test pattern (distinct colours and alphas).
std::vector<uint32_t> PatternPixels(int width, int height);

} // namespace Vesk::TestSupport
