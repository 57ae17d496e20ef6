#include "framework/resources/ResourceManifestReader.h"

#include "framework/resources/XMLParser.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace Vesk
{

namespace
{

using Attributes = std::map<std::string, std::string>;

bool Has(const Attributes& attributes, const char* name)
{
    return attributes.find(name) != attributes.end();
}

std::string Get(const Attributes& attributes, const char* name)
{
    auto found = attributes.find(name);
    return found == attributes.end() ? std::string() : found->second;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A decimal integer at the start of text (blanks, then an optional sign and digits); 0 when
// there is none. Values beyond int are clamped.
int ToInt(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
    {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// A decimal fraction ("0.75", "-1", ".5"); 0 when there is none.
double ToDouble(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    double value = 0.0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        value = value * 10.0 + (text[i] - '0');
    if (i < text.size() && text[i] == '.')
    {
        double scale = 0.1;
        for (++i; i < text.size() && IsDigit(text[i]); ++i)
        {
            value += (text[i] - '0') * scale;
            scale *= 0.1;
        }
    }
    return negative ? -value : value;
}

// A hexadecimal number with an optional "0x"; 0 when there is none.
uint32_t ToHex(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X'))
        i += 2;
    uint32_t value = 0;
    for (; i < text.size(); ++i)
    {
        char c = text[i];
        int digit = 0;
        if (IsDigit(c))
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return value;
}

// "4,4,8" as integers: the text at the start and after each comma.
std::vector<int> ToIntList(const std::string& text)
{
    std::vector<int> values;
    size_t start = 0;
    for (;;)
    {
        size_t comma = text.find(',', start);
        values.push_back(ToInt(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (comma == std::string::npos)
            return values;
        start = comma + 1;
    }
}

std::string ToLower(std::string text)
{
    for (char& c : text)
    {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// One trailing "/" or "\" removed.
std::string WithoutTrailingSeparator(std::string text)
{
    if (!text.empty() && (text.back() == '/' || text.back() == '\\'))
        text.pop_back();
    return text;
}

int CellCount(const Attributes& attributes, const char* name)
{
    if (!Has(attributes, name))
        return 1;
    return std::clamp(ToInt(Get(attributes, name)), 1, ResourceManifestReader::kMaxCells);
}

} // namespace

ResourceManifestReader::ResourceManifestReader() = default;

ResourceManifestReader::~ResourceManifestReader() = default;

std::string ResourceManifestReader::IdFromPath(const std::string& path)
{
    size_t separator = path.find_last_of("/\\");
    std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

bool ResourceManifestReader::Fail(const std::string& message)
{
    if (hasFailed)
        return false;
    hasFailed = true;
    errorText = message;
    if (parser)
    {
        if (parser->GetCurrentLineNum() > 0)
            errorText += " on Line " + std::to_string(parser->GetCurrentLineNum());
        if (!parser->GetFileName().empty())
            errorText += " in File '" + parser->GetFileName() + "'";
    }
    return false;
}

bool ResourceManifestReader::ParserFailed()
{
    if (parser->HasFailed())
        Fail(parser->GetErrorText());
    return hasFailed;
}

bool ResourceManifestReader::Read(const std::string& fileName, ResourceManifest& manifest)
{
    errorText.clear();
    hasFailed = false;
    redefinitionSeen = false;
    currentGroup.clear();
    working = manifest;
    for (std::set<std::string>& ids : declaredIds)
        ids.clear();
    for (const ResourceGroup& group : working.groups)
    {
        for (const ResourceDeclaration& declaration : group.resources)
            declaredIds[static_cast<int>(declaration.kind)].insert(declaration.id);
    }

    // The reader exists from here on, so even a manifest that cannot be opened is reported
    // like every other reading error, with the file name appended.
    parser = std::make_unique<XMLParser>();
    if (!parser->OpenFile(fileName))
    {
        Fail("Resource file not found: " + fileName);
        parser.reset();
        return false;
    }

    XMLElement element;
    bool started = false;
    while (parser->NextElement(element))
    {
        if (element.type == XMLElement::TYPE_START)
        {
            started = true;
            break;
        }
    }
    if (!ParserFailed())
    {
        if (started && element.value == "ResourceManifest")
            ReadManifestBody();
        else
            Fail("Expecting ResourceManifest tag");
    }
    ParserFailed();
    parser.reset();

    if (hasFailed)
        return false;
    manifest = std::move(working);
    working = ResourceManifest();
    return true;
}

bool ResourceManifestReader::ReadManifestBody()
{
    XMLElement element;
    while (parser->NextElement(element))
    {
        if (element.type == XMLElement::TYPE_START)
        {
            if (element.value != "Resources")
                return Fail("Invalid Section '" + element.value + "'");
            std::string id = Get(element.attributes, "id");
            if (id.empty())
                return Fail("No id specified.");
            currentGroup = id;
            if (working.FindGroup(id) == nullptr)
                working.groups.push_back(ResourceGroup{id, {}});
            if (!ReadGroupBody())
                return false;
        }
        else if (element.type == XMLElement::TYPE_END)
            return true;
        else if (element.type == XMLElement::TYPE_ELEMENT)
            return Fail("Element Not Expected '" + element.value + "'");
    }
    return !ParserFailed();
}

bool ResourceManifestReader::ReadGroupBody()
{
    XMLElement element;
    while (parser->NextElement(element))
    {
        if (element.type == XMLElement::TYPE_START)
        {
            bool declared = false;
            if (element.value == "Image")
                declared = ReadImageEntry(element);
            else if (element.value == "Sound")
                declared = ReadSoundEntry(element);
            else if (element.value == "Font")
                declared = ReadFontEntry(element);
            else if (element.value == "SetDefaults")
                declared = ReadDefaults(element);
            else
                return Fail("Invalid Section '" + element.value + "'");
            if (!declared || !ExpectEnd())
                return false;
        }
        else if (element.type == XMLElement::TYPE_END)
            return true;
        else if (element.type == XMLElement::TYPE_ELEMENT)
            return Fail("Element Not Expected '" + element.value + "'");
    }
    return !ParserFailed();
}

bool ResourceManifestReader::ExpectEnd()
{
    XMLElement element;
    if (!parser->NextElement(element))
        return !ParserFailed() && Fail("Unexpected element found.");
    if (element.type != XMLElement::TYPE_END)
        return Fail("Unexpected element found.");
    return true;
}

bool ResourceManifestReader::ReadCommonAttributes(const XMLElement& element, ResourceDeclaration& declaration)
{
    redefinitionSeen = false;
    std::string path = Get(element.attributes, "path");
    if (path.empty())
        return Fail("No path specified.");
    declaration.attributes = element.attributes;
    declaration.path = path[0] == '!' ? path : working.defaultPath + path;
    declaration.fromProgram = path == "!program";

    std::string id = Get(element.attributes, "id");
    declaration.id = working.defaultIdPrefix + (id.empty() ? IdFromPath(declaration.path) : id);
    declaration.group = currentGroup;

    if (declaredIds[static_cast<int>(declaration.kind)].count(declaration.id) > 0)
    {
        redefinitionSeen = true;
        return Fail("Resource already defined.");
    }
    return true;
}

void ResourceManifestReader::AddDeclaration(ResourceDeclaration declaration)
{
    declaredIds[static_cast<int>(declaration.kind)].insert(declaration.id);
    ResourceGroup* group = working.FindGroup(currentGroup);
    if (group == nullptr)
    {
        working.groups.push_back(ResourceGroup{currentGroup, {}});
        group = &working.groups.back();
    }
    group->resources.push_back(std::move(declaration));
}

bool ResourceManifestReader::ReadSoundEntry(const XMLElement& element)
{
    ResourceDeclaration declaration;
    declaration.kind = ResourceKind::Sound;
    if (!ReadCommonAttributes(element, declaration))
        return false;
    const Attributes& attributes = element.attributes;
    SoundOptions& options = declaration.soundOptions;
    if (Has(attributes, "volume"))
        options.volume = ToDouble(Get(attributes, "volume"));
    if (Has(attributes, "pan"))
        options.pan = ToInt(Get(attributes, "pan"));
    AddDeclaration(std::move(declaration));
    return true;
}

bool ResourceManifestReader::ReadImageEntry(const XMLElement& element)
{
    ResourceDeclaration declaration;
    declaration.kind = ResourceKind::Image;
    if (!ReadCommonAttributes(element, declaration))
        return false;
    const Attributes& attributes = element.attributes;
    ImageOptions& options = declaration.imageOptions;

    if (Has(attributes, "alphaimage"))
        options.alphaImagePath = working.defaultPath + Get(attributes, "alphaimage");
    if (Has(attributes, "alphagrid"))
        options.alphaGridPath = working.defaultPath + Get(attributes, "alphagrid");
    options.variant = Get(attributes, "variant");
    options.findAlpha = !Has(attributes, "noalpha");
    options.palettize = !Has(attributes, "nopal");
    options.format4444 = Has(attributes, "a4r4g4b4");
    options.format8888 = Has(attributes, "a8r8g8b8");
    options.hardwareSurface = Has(attributes, "ddsurface");
    options.discardBits = Has(attributes, "nobits") || Has(attributes, hardwareAccelerated ? "nobits3d" : "nobits2d");
    options.fewerSubdivisions = Has(attributes, "minsubdivide");
    options.rows = CellCount(attributes, "rows");
    options.cols = CellCount(attributes, "cols");
    if (Has(attributes, "alphacolor"))
        options.alphaColor = ToHex(Get(attributes, "alphacolor")) & 0xFFFFFF;

    if (Has(attributes, "anim"))
    {
        std::string type = ToLower(Get(attributes, "anim"));
        AnimDescription& anim = options.anim;
        if (type == "none")
            anim.animType = AnimDescription::AnimNone;
        else if (type == "once")
            anim.animType = AnimDescription::AnimOnce;
        else if (type == "pingpong")
            anim.animType = AnimDescription::AnimPingPong;
        else if (type == "loop")
            anim.animType = AnimDescription::AnimLoop;
        else
            return Fail("Invalid animation type.");

        if (anim.animType != AnimDescription::AnimNone)
        {
            if (Has(attributes, "framedelay"))
                anim.frameDelay = ToInt(Get(attributes, "framedelay"));
            int beginDelay = ToInt(Get(attributes, "begindelay"));
            int endDelay = ToInt(Get(attributes, "enddelay"));
            if (Has(attributes, "perframedelay"))
                anim.perFrameDelay = ToIntList(Get(attributes, "perframedelay"));
            if (Has(attributes, "framemap"))
                anim.frameMap = ToIntList(Get(attributes, "framemap"));
            anim.Compute(std::max(options.rows, options.cols), beginDelay, endDelay);
        }
    }
    AddDeclaration(std::move(declaration));
    return true;
}

bool ResourceManifestReader::ReadFontEntry(const XMLElement& element)
{
    ResourceDeclaration declaration;
    declaration.kind = ResourceKind::Font;
    if (!ReadCommonAttributes(element, declaration))
        return false;
    const Attributes& attributes = element.attributes;
    FontOptions& options = declaration.fontOptions;

    options.imagePath = Get(attributes, "image");
    options.tags = Get(attributes, "tags");
    options.size = ToInt(Get(attributes, "size"));
    options.bold = Has(attributes, "bold");
    options.italic = Has(attributes, "italic");
    options.underline = Has(attributes, "underline");
    options.shadow = Has(attributes, "shadow");

    static const std::string kSystemPrefix = "!sys:";
    if (declaration.path.compare(0, kSystemPrefix.size(), kSystemPrefix) == 0)
    {
        options.systemFont = true;
        declaration.path.erase(0, kSystemPrefix.size());
        if (options.size < 1)
            return Fail("SysFont needs point size");
    }
    AddDeclaration(std::move(declaration));
    return true;
}

bool ResourceManifestReader::ReadDefaults(const XMLElement& element)
{
    const Attributes& attributes = element.attributes;
    if (Has(attributes, "path"))
    {
        // An empty path means no prefix at all (not the root folder "/").
        std::string path = WithoutTrailingSeparator(Get(attributes, "path"));
        working.defaultPath = path.empty() ? std::string() : path + "/";
    }
    if (Has(attributes, "idprefix"))
        working.defaultIdPrefix = WithoutTrailingSeparator(Get(attributes, "idprefix"));
    return true;
}

} // namespace Vesk
