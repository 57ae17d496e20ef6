#pragma once

#include "framework/graphics/DescParser.h"
#include "framework/graphics/FontLayer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class VeskAppBase;
struct ImageData;

// The parsed description of an image font: its layers, character map, default point size and
// defines, read from a font descriptor (or an older metrics file). Loaded once, then only
// read; every copy of the font shares it (ImageFont holds it through a shared pointer).
class FontData : public DescParser
{
public:
    static constexpr const char* kUndefinedLayer = "Undefined Layer";
    static constexpr const char* kLayerAlreadyExists = "Layer Already Exists";
    static constexpr const char* kFailedToLoadImage = "Failed to Load Image";
    static constexpr const char* kImageRectOutOfBounds = "Image rectangle out of bounds";
    static constexpr const char* kLayerImageNotSet = "Layer image not set";

    // How layer pictures are found: a path in, a picture (or null) out.
    using ImageLoader = std::function<std::shared_ptr<const ImageData>(const std::string& path)>;

    FontData();
    ~FontData() override;

    // Reads a descriptor through the file layer. False when already loaded, when the file
    // cannot be opened (no message) or when a command fails (message through app's Popup).
    [[nodiscard]] bool Load(VeskAppBase* app, const std::string& fileName);
    // The same over descriptor text in memory; fileName names it in messages and is the base
    // of the layer pictures' paths.
    [[nodiscard]] bool LoadFromText(VeskAppBase* app, const std::string& fileName, const std::string& text);
    // The older form: one layer with the given picture, character widths from a metrics file
    // on disk (space width, ascent, then pairs of a character and its width).
    [[nodiscard]] bool LoadLegacy(std::shared_ptr<const ImageData> image, const std::string& metricsFile);

    // Shows errorPrefix + text (+ the line and text of the command being read) through the
    // application's Popup when there is an application. Always false.
    bool Error(const std::string& text) override;
    bool HandleCommand(const ListDataElement& params) override;

    // The layer of that name in any letter case, or null.
    FontLayer* GetLayer(const std::string& name) const;

    bool loaded = false;
    VeskAppBase* app = nullptr;
    int defaultPointSize = 0;
    std::array<uint8_t, 256> charMap{}; // every character is mapped through it first
    std::vector<std::unique_ptr<FontLayer>> layers;
    std::map<std::string, FontLayer*> layersByName;
    std::string sourceFile;
    std::string errorPrefix;
    // The whole text of the last error report, as the pop-up shows it.
    std::string errorReport;
    // Loads layer pictures; by default through the image library, sharing one picture among
    // all fonts that use the same file while any of them lives.
    ImageLoader imageLoader;

private:
    bool InvalidType();
    FontLayer* LayerParam(const DataElement& element);
    bool CharList(const DataElement& element, std::vector<uint8_t>& characters, bool& wrongLength);
    FontLayer* AddLayer(const std::string& name, std::unique_ptr<FontLayer> layer);

    bool Define(const ListDataElement& params);
    bool CreateHorzSpanRectList(const ListDataElement& params);
    bool SetDefaultPointSize(const ListDataElement& params);
    bool SetCharMap(const ListDataElement& params);
    bool CreateLayer(const ListDataElement& params);
    bool CreateLayerFrom(const ListDataElement& params);
    bool LayerTags(const ListDataElement& params, bool required);
    bool LayerPointRange(const ListDataElement& params);
    bool LayerSetInteger(const ListDataElement& params, int FontLayer::*field);
    bool LayerSetImage(const ListDataElement& params);
    bool LayerSetDrawMode(const ListDataElement& params);
    bool LayerSetColor(const ListDataElement& params, uint32_t FontLayer::*field);
    bool LayerSetOffset(const ListDataElement& params);
    bool LayerSetCharInts(const ListDataElement& params, int CharData::*field);
    bool LayerSetImageMap(const ListDataElement& params);
    bool LayerSetCharOffsets(const ListDataElement& params);
    bool LayerSetKerningPairs(const ListDataElement& params);
};

} // namespace Vesk
