#include "framework/graphics/FontData.h"

#include "framework/appbase/VeskAppBase.h"
#include "framework/graphics/ListDataElement.h"
#include "framework/graphics/SingleDataElement.h"
#include "framework/resources/ImageLib.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <fstream>
#include <mutex>

namespace Vesk
{

namespace
{

// Layer pictures shared among fonts by path while any font holds them.
std::shared_ptr<const ImageData> LoadSharedPicture(const std::string& path)
{
    static std::mutex mutex;
    static std::map<std::string, std::weak_ptr<const ImageData>> pictures;
    std::lock_guard<std::mutex> lock(mutex);
    if (auto shared = pictures[path].lock())
        return shared;
    std::shared_ptr<const ImageData> picture = ImageLib::GetImage(path);
    if (picture)
        pictures[path] = picture;
    return picture;
}

const std::string& Token(const DataElement& element)
{
    return static_cast<const SingleDataElement&>(element).value;
}

} // namespace

FontData::FontData()
{
    for (size_t i = 0; i < charMap.size(); ++i)
        charMap[i] = uint8_t(i);
    imageLoader = LoadSharedPicture;
}

FontData::~FontData() = default;

bool FontData::Load(VeskAppBase* application, const std::string& fileName)
{
    if (loaded)
        return false;
    app = application;
    errorPrefix = "Font Descriptor Error in " + fileName + "\r\n";
    sourceFile = fileName;
    loaded = LoadDescriptor(fileName);
    return loaded;
}

bool FontData::LoadFromText(VeskAppBase* application, const std::string& fileName, const std::string& text)
{
    if (loaded)
        return false;
    app = application;
    errorPrefix = "Font Descriptor Error in " + fileName + "\r\n";
    sourceFile = fileName;
    loaded = LoadDescriptorText(text);
    return loaded;
}

bool FontData::LoadLegacy(std::shared_ptr<const ImageData> image, const std::string& metricsFile)
{
    if (loaded || !image)
        return false;
    std::ifstream file(metricsFile);
    if (!file)
        return false;
    int spaceWidth = 0;
    int ascent = 0;
    if (!(file >> spaceWidth >> ascent))
        return false;

    auto layer = std::make_unique<FontLayer>();
    layer->fontData = this;
    layer->image = image;
    layer->imageFile = metricsFile;
    layer->defaultHeight = image->height;
    layer->ascent = ascent;
    layer->chars[' '].width = spaceWidth;
    int64_t x = 0;
    char character = 0;
    int width = 0;
    // Pairs of one character and its width; the glyphs lie side by side in the picture. A
    // glyph that would reach past the picture keeps its width but shows nothing.
    while (file >> character >> width)
    {
        CharData& data = layer->chars[static_cast<unsigned char>(character)];
        if (width >= 0 && x + width <= image->width)
            data.imageRect = FontRect{int(x), 0, width, image->height};
        data.width = width;
        x += width;
    }
    for (int upper = 'A'; upper <= 'Z'; ++upper)
    {
        const int lower = std::tolower(upper);
        if (layer->chars[size_t(upper)].width == 0 && layer->chars[size_t(lower)].width != 0)
            charMap[size_t(upper)] = uint8_t(lower);
        else if (layer->chars[size_t(lower)].width == 0 && layer->chars[size_t(upper)].width != 0)
            charMap[size_t(lower)] = uint8_t(upper);
    }
    AddLayer("", std::move(layer));
    loaded = true;
    return true;
}

bool FontData::Error(const std::string& text)
{
    DescParser::Error(text);
    errorReport = errorPrefix + text;
    if (!currentCommand.empty())
        errorReport += " on Line " + std::to_string(currentLine) + ":\r\n\r\n" + currentCommand;
    if (app != nullptr)
        app->Popup(errorReport);
    return false;
}

FontLayer* FontData::GetLayer(const std::string& name) const
{
    auto found = layersByName.find(ToUpper(name));
    return found == layersByName.end() ? nullptr : found->second;
}

bool FontData::HandleCommand(const ListDataElement& params)
{
    using Handler = std::function<bool(FontData&, const ListDataElement&)>;
    struct Command
    {
        const char* word; // upper case
        size_t parameters;
        Handler handler;
    };
    static const Command kCommands[] = {
        {"DEFINE", 2, &FontData::Define},
        {"CREATEHORZSPANRECTLIST", 3, &FontData::CreateHorzSpanRectList},
        {"SETDEFAULTPOINTSIZE", 1, &FontData::SetDefaultPointSize},
        {"SETCHARMAP", 2, &FontData::SetCharMap},
        {"CREATELAYER", 1, &FontData::CreateLayer},
        {"CREATELAYERFROM", 2, &FontData::CreateLayerFrom},
        {"LAYERREQUIRETAGS", 2, [](FontData& data, const ListDataElement& p) { return data.LayerTags(p, true); }},
        {"LAYEREXCLUDETAGS", 2, [](FontData& data, const ListDataElement& p) { return data.LayerTags(p, false); }},
        {"LAYERPOINTRANGE", 3, &FontData::LayerPointRange},
        {"LAYERSETPOINTSIZE", 2,
         [](FontData& data, const ListDataElement& p) { return data.LayerSetInteger(p, &FontLayer::pointSize); }},
        {"LAYERSETHEIGHT", 2,
         [](FontData& data, const ListDataElement& p) { return data.LayerSetInteger(p, &FontLayer::height); }},
        {"LAYERSETIMAGE", 2, &FontData::LayerSetImage},
        {"LAYERSETDRAWMODE", 2, &FontData::LayerSetDrawMode},
        {"LAYERSETCOLORMULT", 2,
         [](FontData& data, const ListDataElement& p) { return data.LayerSetColor(p, &FontLayer::colorMult); }},
        {"LAYERSETCOLORADD", 2,
         [](FontData& data, const ListDataElement& p) { return data.LayerSetColor(p, &FontLayer::colorAdd); }},
        {"LAYERSETASCENT", 2,
         [](FontData& data, const ListDataElement& p) { return data.LayerSetInteger(p, &FontLayer::ascent); }},
        {"LAYERSETASCENTPADDING", 2,
         [](FontData& data, const ListDataElement& p) { return data.LayerSetInteger(p, &FontLayer::ascentPadding); }},
        {"LAYERSETLINESPACINGOFFSET", 2,
         [](FontData& data, const ListDataElement& p)
         { return data.LayerSetInteger(p, &FontLayer::lineSpacingOffset); }},
        {"LAYERSETOFFSET", 2, &FontData::LayerSetOffset},
        {"LAYERSETCHARWIDTHS", 3,
         [](FontData& data, const ListDataElement& p) { return data.LayerSetCharInts(p, &CharData::width); }},
        {"LAYERSETSPACING", 2,
         [](FontData& data, const ListDataElement& p) { return data.LayerSetInteger(p, &FontLayer::spacing); }},
        {"LAYERSETIMAGEMAP", 3, &FontData::LayerSetImageMap},
        {"LAYERSETCHAROFFSETS", 3, &FontData::LayerSetCharOffsets},
        {"LAYERSETKERNINGPAIRS", 3, &FontData::LayerSetKerningPairs},
        {"LAYERSETBASEORDER", 2,
         [](FontData& data, const ListDataElement& p) { return data.LayerSetInteger(p, &FontLayer::baseOrder); }},
        {"LAYERSETCHARORDERS", 3,
         [](FontData& data, const ListDataElement& p) { return data.LayerSetCharInts(p, &CharData::order); }},
    };

    const std::string word = ToUpper(Token(*params.elements[0]));
    for (const Command& command : kCommands)
    {
        if (word != command.word)
            continue;
        if (params.elements.size() - 1 != command.parameters)
            return Error(kInvalidParameterCount);
        return command.handler(*this, params);
    }
    return Error(kUnknownCommand);
}

bool FontData::InvalidType()
{
    if (valueErrorReported)
        return false;
    return Error(kInvalidParameterType);
}

FontLayer* FontData::LayerParam(const DataElement& element)
{
    FontLayer* layer = element.isList ? nullptr : GetLayer(Token(element));
    if (layer == nullptr)
        Error(kUndefinedLayer);
    return layer;
}

bool FontData::CharList(const DataElement& element, std::vector<uint8_t>& characters, bool& wrongLength)
{
    std::vector<std::string> texts;
    if (!DataToStringVector(element, texts))
        return false;
    characters.clear();
    for (const std::string& text : texts)
    {
        // A string of the wrong length keeps its place (as character 0) so that the paired
        // list still lines up; the command reports it after the others are done.
        if (text.size() != 1)
            wrongLength = true;
        characters.push_back(text.size() == 1 ? static_cast<uint8_t>(text[0]) : 0);
    }
    return true;
}

FontLayer* FontData::AddLayer(const std::string& name, std::unique_ptr<FontLayer> layer)
{
    layer->fontData = this;
    FontLayer* added = layer.get();
    layers.push_back(std::move(layer));
    const std::string key = ToUpper(name);
    if (layersByName.count(key) != 0)
    {
        Error(kLayerAlreadyExists); // reported, but the command goes on: the new layer stays unnamed
        return added;
    }
    layersByName[key] = added;
    return added;
}

bool FontData::Define(const ListDataElement& params)
{
    const DataElement& name = *params.elements[1];
    const DataElement& value = *params.elements[2];
    if (name.isList || IsImmediate(Token(name)))
        return InvalidType();
    std::unique_ptr<DataElement> stored;
    if (value.isList)
    {
        auto list = std::make_unique<ListDataElement>();
        if (!GetValues(static_cast<const ListDataElement&>(value), *list))
            return InvalidType();
        stored = std::move(list);
    }
    else if (const DataElement* other = IsImmediate(Token(value)) ? nullptr : GetDefine(Token(value)))
    {
        stored = other->Duplicate();
    }
    else
    {
        stored = value.Duplicate();
    }
    defines[ToUpper(Token(name))] = std::move(stored);
    return true;
}

bool FontData::CreateHorzSpanRectList(const ListDataElement& params)
{
    const DataElement& name = *params.elements[1];
    std::vector<int> rect;
    std::vector<int> widths;
    if (name.isList || IsImmediate(Token(name)) || !DataToIntVector(*params.elements[2], rect) || rect.size() != 4 ||
        !DataToIntVector(*params.elements[3], widths))
        return InvalidType();
    auto list = std::make_unique<ListDataElement>();
    int64_t x = rect[0];
    for (int width : widths)
    {
        auto item = std::make_unique<ListDataElement>();
        for (int64_t value : {x, int64_t(rect[1]), int64_t(width), int64_t(rect[3])})
            item->elements.push_back(std::make_unique<SingleDataElement>(std::to_string(value)));
        list->elements.push_back(std::move(item));
        x += width;
    }
    defines[ToUpper(Token(name))] = std::move(list);
    return true;
}

bool FontData::SetDefaultPointSize(const ListDataElement& params)
{
    int size = 0;
    if (!DataToInt(*params.elements[1], size))
        return InvalidType();
    defaultPointSize = size;
    return true;
}

bool FontData::SetCharMap(const ListDataElement& params)
{
    std::vector<uint8_t> from;
    std::vector<uint8_t> to;
    bool wrongLength = false;
    if (!CharList(*params.elements[1], from, wrongLength) || !CharList(*params.elements[2], to, wrongLength))
        return InvalidType();
    if (from.size() != to.size())
        return Error(kListSizeMismatch);
    if (wrongLength)
        return InvalidType();
    for (size_t i = 0; i < from.size(); ++i)
        charMap[from[i]] = to[i];
    return true;
}

bool FontData::CreateLayer(const ListDataElement& params)
{
    const DataElement& name = *params.elements[1];
    if (name.isList)
        return InvalidType();
    AddLayer(Token(name), std::make_unique<FontLayer>());
    return true;
}

bool FontData::CreateLayerFrom(const ListDataElement& params)
{
    const DataElement& name = *params.elements[1];
    if (name.isList)
        return InvalidType();
    FontLayer* source = LayerParam(*params.elements[2]);
    if (source == nullptr)
        return InvalidType();
    AddLayer(Token(name), std::make_unique<FontLayer>(*source));
    return true;
}

bool FontData::LayerTags(const ListDataElement& params, bool required)
{
    FontLayer* layer = LayerParam(*params.elements[1]);
    std::vector<std::string> tags;
    if (layer == nullptr || !DataToStringVector(*params.elements[2], tags))
        return InvalidType();
    std::vector<std::string>& list = required ? layer->requiredTags : layer->excludedTags;
    for (const std::string& tag : tags)
        list.push_back(ToUpper(tag));
    return true;
}

bool FontData::LayerPointRange(const ListDataElement& params)
{
    FontLayer* layer = LayerParam(*params.elements[1]);
    int minimum = 0;
    int maximum = 0;
    if (layer == nullptr || !DataToInt(*params.elements[2], minimum) || !DataToInt(*params.elements[3], maximum))
        return InvalidType();
    layer->minPointSize = minimum;
    layer->maxPointSize = maximum;
    return true;
}

bool FontData::LayerSetInteger(const ListDataElement& params, int FontLayer::*field)
{
    FontLayer* layer = LayerParam(*params.elements[1]);
    int value = 0;
    if (layer == nullptr || !DataToInt(*params.elements[2], value))
        return InvalidType();
    layer->*field = value;
    return true;
}

bool FontData::LayerSetImage(const ListDataElement& params)
{
    FontLayer* layer = LayerParam(*params.elements[1]);
    std::string fileName;
    if (layer == nullptr || !DataToString(*params.elements[2], fileName))
        return InvalidType();
    const size_t separator = sourceFile.find_last_of("\\/");
    const std::string path =
        (separator == std::string::npos ? std::string() : sourceFile.substr(0, separator + 1)) + fileName;
    std::shared_ptr<const ImageData> image = imageLoader ? imageLoader(path) : nullptr;
    if (!image)
        return Error(kFailedToLoadImage);
    layer->image = std::move(image);
    layer->imageFile = path;
    return true;
}

bool FontData::LayerSetDrawMode(const ListDataElement& params)
{
    FontLayer* layer = LayerParam(*params.elements[1]);
    int mode = 0;
    if (layer == nullptr || !DataToInt(*params.elements[2], mode) || (mode != 0 && mode != 1))
        return InvalidType();
    layer->drawMode = mode;
    return true;
}

bool FontData::LayerSetColor(const ListDataElement& params, uint32_t FontLayer::*field)
{
    FontLayer* layer = LayerParam(*params.elements[1]);
    uint32_t color = 0;
    if (layer == nullptr || !DataToColor(*params.elements[2], color))
        return InvalidType();
    layer->*field = color;
    return true;
}

bool FontData::LayerSetOffset(const ListDataElement& params)
{
    FontLayer* layer = LayerParam(*params.elements[1]);
    std::vector<int> offset;
    if (layer == nullptr || !DataToIntVector(*params.elements[2], offset) || offset.size() != 2)
        return InvalidType();
    layer->offsetX = offset[0];
    layer->offsetY = offset[1];
    return true;
}

bool FontData::LayerSetCharInts(const ListDataElement& params, int CharData::*field)
{
    FontLayer* layer = LayerParam(*params.elements[1]);
    std::vector<uint8_t> characters;
    std::vector<int> values;
    bool wrongLength = false;
    if (layer == nullptr || !CharList(*params.elements[2], characters, wrongLength) ||
        !DataToIntVector(*params.elements[3], values))
        return InvalidType();
    if (characters.size() != values.size())
        return Error(kListSizeMismatch);
    for (size_t i = 0; i < characters.size(); ++i)
        layer->chars[characters[i]].*field = values[i];
    return wrongLength ? InvalidType() : true;
}

bool FontData::LayerSetImageMap(const ListDataElement& params)
{
    FontLayer* layer = LayerParam(*params.elements[1]);
    std::vector<uint8_t> characters;
    ListDataElement rects;
    bool wrongLength = false;
    if (layer == nullptr || !CharList(*params.elements[2], characters, wrongLength) ||
        !DataToList(*params.elements[3], rects))
        return InvalidType();
    if (!layer->image)
        return Error(kLayerImageNotSet);
    if (characters.size() != rects.elements.size())
        return Error(kListSizeMismatch);

    bool badRect = false;
    bool outOfBounds = false;
    for (size_t i = 0; i < characters.size(); ++i)
    {
        std::vector<int> rect;
        if (!rects.elements[i]->isList || !DataToIntVector(*rects.elements[i], rect) || rect.size() != 4)
        {
            badRect = true;
            continue;
        }
        const FontRect area{rect[0], rect[1], rect[2], rect[3]};
        if (area.x < 0 || area.y < 0 || area.width < 0 || area.height < 0 ||
            int64_t(area.x) + area.width > layer->image->width || int64_t(area.y) + area.height > layer->image->height)
        {
            outOfBounds = true;
            continue;
        }
        layer->chars[characters[i]].imageRect = area;
    }
    int64_t tallest = 0;
    for (const CharData& data : layer->chars)
        tallest = std::max(tallest, int64_t(data.imageRect.height) + data.offsetY);
    layer->defaultHeight = int(std::min<int64_t>(tallest, INT32_MAX));

    if (outOfBounds)
        return Error(kImageRectOutOfBounds);
    if (badRect || wrongLength)
        return InvalidType();
    return true;
}

bool FontData::LayerSetCharOffsets(const ListDataElement& params)
{
    FontLayer* layer = LayerParam(*params.elements[1]);
    std::vector<uint8_t> characters;
    ListDataElement offsets;
    bool wrongLength = false;
    if (layer == nullptr || !CharList(*params.elements[2], characters, wrongLength) ||
        !DataToList(*params.elements[3], offsets))
        return InvalidType();
    if (characters.size() != offsets.elements.size())
        return Error(kListSizeMismatch);
    bool badOffset = false;
    for (size_t i = 0; i < characters.size(); ++i)
    {
        std::vector<int> offset;
        if (!offsets.elements[i]->isList || !DataToIntVector(*offsets.elements[i], offset) || offset.size() != 2)
        {
            badOffset = true;
            continue;
        }
        layer->chars[characters[i]].offsetX = offset[0];
        layer->chars[characters[i]].offsetY = offset[1];
    }
    return badOffset || wrongLength ? InvalidType() : true;
}

bool FontData::LayerSetKerningPairs(const ListDataElement& params)
{
    FontLayer* layer = LayerParam(*params.elements[1]);
    std::vector<std::string> pairs;
    std::vector<int> values;
    if (layer == nullptr || !DataToStringVector(*params.elements[2], pairs) ||
        !DataToIntVector(*params.elements[3], values))
        return InvalidType();
    if (pairs.size() != values.size())
        return Error(kListSizeMismatch);
    bool badPair = false;
    for (size_t i = 0; i < pairs.size(); ++i)
    {
        if (pairs[i].size() != 2)
        {
            badPair = true;
            continue;
        }
        const auto first = static_cast<unsigned char>(pairs[i][0]);
        const auto second = static_cast<unsigned char>(pairs[i][1]);
        layer->chars[first].kerning[second] = static_cast<int8_t>(values[i]);
    }
    return badPair ? InvalidType() : true;
}

} // namespace Vesk
