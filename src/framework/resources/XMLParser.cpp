#include "framework/resources/XMLParser.h"

#include "framework/resources/PakInterface.h"

namespace Vesk
{

namespace
{

constexpr size_t kReadChunk = 4096;

bool IsSpace(char32_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void AppendUtf8(std::string& text, char32_t c)
{
    if (c < 0x80)
        text += static_cast<char>(c);
    else if (c < 0x800)
    {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

template <typename String> String DecodeEntities(const String& text)
{
    using Char = typename String::value_type;
    struct Entity
    {
        const char* name;
        char replacement;
    };
    static const Entity kEntities[] = {
        {"lt", '<'}, {"amp", '&'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", ' '}, {"cr", '\n'},
    };

    String out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size())
    {
        if (text[i] != Char('&'))
        {
            out += text[i++];
            continue;
        }
        size_t semicolon = text.find(Char(';'), i + 1);
        if (semicolon == String::npos)
        {
            // No entity can follow: the rest is plain text.
            out.append(text, i, String::npos);
            break;
        }
        String name = text.substr(i + 1, semicolon - i - 1);
        Char replacement = Char('&');
        for (const Entity& entity : kEntities)
        {
            String entityName;
            for (const char* c = entity.name; *c != '\0'; ++c)
                entityName += Char(*c);
            if (name == entityName)
            {
                replacement = Char(entity.replacement);
                break;
            }
        }
        out += replacement;
        i = semicolon + 1;
    }
    return out;
}

// Where the reader stands inside a start tag's attribute list.
enum class AttributeState
{
    None,      // between attributes
    Name,      // reading a name
    AfterName, // whitespace after a name: '=' or the next name follows
    Equals,    // after '=', before the value
    Value,     // reading a value
};

} // namespace

XMLParser::XMLParser() = default;

XMLParser::~XMLParser()
{
    Close();
}

void XMLParser::Close()
{
    if (file != nullptr)
        p_fclose(file);
    file = nullptr;
}

void XMLParser::Fail(const std::string& text)
{
    hasFailed = true;
    errorText = text;
}

std::string XMLParser::XMLDecodeString(const std::string& text)
{
    return DecodeEntities(text);
}

std::u16string XMLParser::XMLDecodeString(const std::u16string& text)
{
    return DecodeEntities(text);
}

bool XMLParser::OpenFile(const std::string& name)
{
    Close();
    fileName = name;
    errorText.clear();
    hasFailed = false;
    pushBack.clear();
    section.clear();
    pendingEndTag.clear();
    hasPendingEndTag = false;
    encoding = Encoding::Bits8;
    atFirstCharacter = true;
    byteSwapped = false;
    hasHeldUnit = false;
    readBuffer.clear();
    readPosition = 0;
    fileEnded = false;

    file = p_fopen(name.c_str(), "rt");
    if (file == nullptr)
    {
        lineNum = 0;
        Fail("Unable to open file " + name);
        return false;
    }
    lineNum = 1;

    // The byte-order mark chooses the reader; the reader then skips it as its first character.
    readBuffer.resize(kReadChunk);
    size_t got = 0;
    while (got < 3)
    {
        size_t more = p_fread(readBuffer.data() + got, 1, readBuffer.size() - got, file);
        if (more == 0)
            break;
        got += more;
    }
    readBuffer.resize(got);
    if (got >= 2 &&
        ((readBuffer[0] == 0xFF && readBuffer[1] == 0xFE) || (readBuffer[0] == 0xFE && readBuffer[1] == 0xFF)))
        encoding = Encoding::Utf16;
    else if (got >= 3 && readBuffer[0] == 0xEF && readBuffer[1] == 0xBB && readBuffer[2] == 0xBF)
        encoding = Encoding::Utf8;
    return true;
}

bool XMLParser::ReadByte(uint8_t& byte)
{
    if (readPosition >= readBuffer.size())
    {
        if (fileEnded || file == nullptr)
            return false;
        readBuffer.resize(kReadChunk);
        size_t got = p_fread(readBuffer.data(), 1, readBuffer.size(), file);
        readBuffer.resize(got);
        readPosition = 0;
        if (got == 0)
        {
            fileEnded = true;
            return false;
        }
    }
    byte = readBuffer[readPosition++];
    return true;
}

bool XMLParser::ReadUtf8(char32_t& character)
{
    uint8_t lead = 0;
    if (!ReadByte(lead))
        return false;
    if (lead < 0x80)
    {
        character = lead;
        return true;
    }

    int continuationCount = 0;
    char32_t value = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0)
    {
        continuationCount = 1;
        value = lead & 0x1F;
        smallest = 0x80;
    }
    else if ((lead & 0xF0) == 0xE0)
    {
        continuationCount = 2;
        value = lead & 0x0F;
        smallest = 0x800;
    }
    else if ((lead & 0xF8) == 0xF0)
    {
        continuationCount = 3;
        value = lead & 0x07;
        smallest = 0x10000;
    }
    else if ((lead & 0xFC) == 0xF8)
    {
        continuationCount = 4;
        value = lead & 0x03;
        smallest = 0x200000;
    }
    else if ((lead & 0xFE) == 0xFC)
    {
        continuationCount = 5;
        value = lead & 0x01;
        smallest = 0x4000000;
    }
    else
    {
        // A continuation byte, or 0xFE/0xFF, cannot start a character.
        Fail("Illegal Character");
        return false;
    }

    for (int i = 0; i < continuationCount; ++i)
    {
        uint8_t next = 0;
        if (!ReadByte(next) || (next & 0xC0) != 0x80)
        {
            Fail("Illegal Character");
            return false;
        }
        value = (value << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates, the non-characters FFFE/FFFF and values beyond Unicode.
    if (value < smallest || (value >= 0xD800 && value <= 0xDFFF) || value == 0xFFFE || value == 0xFFFF ||
        value > 0x10FFFF)
    {
        Fail("Illegal Character");
        return false;
    }
    character = value;
    return true;
}

bool XMLParser::ReadUtf16Unit(char16_t& unit)
{
    if (hasHeldUnit)
    {
        hasHeldUnit = false;
        unit = heldUnit;
        return true;
    }
    uint8_t low = 0;
    uint8_t high = 0;
    if (!ReadByte(low))
        return false;
    if (!ReadByte(high))
    {
        // Half a character at the end of the file.
        Fail("Illegal Character");
        return false;
    }
    if (byteSwapped)
        std::swap(low, high);
    unit = static_cast<char16_t>(low | (high << 8));
    return true;
}

bool XMLParser::ReadUtf16(char32_t& character)
{
    char16_t unit = 0;
    if (!ReadUtf16Unit(unit))
        return false;
    if (atFirstCharacter && (unit == 0xFEFF || unit == 0xFFFE))
    {
        // The byte-order mark; read the wrong way round it means big-endian.
        byteSwapped = unit == 0xFFFE;
        atFirstCharacter = false;
        if (!ReadUtf16Unit(unit))
            return false;
    }

    if (unit >= 0xD800 && unit <= 0xDBFF)
    {
        char16_t next = 0;
        if (ReadUtf16Unit(next))
        {
            if (next >= 0xDC00 && next <= 0xDFFF)
            {
                character = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (next - 0xDC00);
                return true;
            }
            heldUnit = next;
            hasHeldUnit = true;
        }
        else if (hasFailed)
            return false;
        character = 0xFFFD; // a lone surrogate
        return true;
    }
    character = (unit >= 0xDC00 && unit <= 0xDFFF) ? 0xFFFD : unit;
    return true;
}

bool XMLParser::ReadChar(char32_t& character)
{
    if (!pushBack.empty())
    {
        character = pushBack.back();
        pushBack.pop_back();
        return true;
    }
    if (hasFailed)
        return false;
    for (;;)
    {
        bool read = false;
        switch (encoding)
        {
        case Encoding::Bits8:
        {
            uint8_t byte = 0;
            read = ReadByte(byte);
            character = byte;
            break;
        }
        case Encoding::Utf8:
            read = ReadUtf8(character);
            break;
        case Encoding::Utf16:
            read = ReadUtf16(character);
            break;
        }
        if (!read)
            return false;

        bool first = atFirstCharacter;
        atFirstCharacter = false;
        if (first && encoding == Encoding::Utf8 && character == 0xFEFF)
            continue;
        if (character == '\n')
            ++lineNum;
        // Files are read in text mode: a line ends with its line feed.
        if (character == '\r')
            continue;
        return true;
    }
}

void XMLParser::Append(std::string& text, char32_t character) const
{
    if (encoding == Encoding::Bits8)
        text += static_cast<char>(character);
    else
        AppendUtf8(text, character);
}

bool XMLParser::NextElement(XMLElement& element)
{
    if (file == nullptr || hasFailed)
        return false;

    for (;;)
    {
        element.type = XMLElement::TYPE_NONE;
        element.section = section;
        element.value.clear();
        element.instruction.clear();
        element.attributes.clear();

        if (hasPendingEndTag)
        {
            // The end tag implied by the self-closing tag just handed out.
            hasPendingEndTag = false;
            element.type = XMLElement::TYPE_END;
            element.value = XMLDecodeString(pendingEndTag);
            size_t slash = section.rfind('/');
            section.erase(slash == std::string::npos ? 0 : slash);
            return true;
        }

        std::string name; // a tag's name as read
        bool inQuotes = false;
        bool inAttributes = false;
        bool pendingSpace = false;
        bool selfClosing = false;
        AttributeState attributeState = AttributeState::None;
        std::string attributeName;
        std::string attributeValue;

        auto storeAttribute = [&]()
        {
            if (!attributeName.empty())
                element.attributes[attributeName] = XMLDecodeString(attributeValue);
            attributeName.clear();
            attributeValue.clear();
            attributeState = AttributeState::None;
        };
        auto readOrFinish = [&](char32_t& c)
        {
            if (ReadChar(c))
                return true;
            if (!hasFailed && element.type != XMLElement::TYPE_NONE)
                Fail("Unexpected End of File");
            return false;
        };

        bool complete = false;
        while (!complete)
        {
            char32_t c = 0;
            if (!readOrFinish(c))
                return false;

            if (element.type == XMLElement::TYPE_COMMENT)
            {
                std::string& text = element.instruction;
                if (c == '>' && text.size() >= 2 && text.compare(text.size() - 2, 2, "--") == 0)
                {
                    text.resize(text.size() - 2);
                    complete = true;
                }
                else
                    Append(text, c);
                continue;
            }
            if (element.type == XMLElement::TYPE_INSTRUCTION)
            {
                std::string& text = element.instruction;
                if (c == '>' && !text.empty() && text.back() == '?')
                {
                    text.pop_back();
                    complete = true;
                }
                else
                    Append(text, c);
                continue;
            }

            if (c < ' ' && !IsSpace(c))
            {
                Fail("Illegal Character");
                return false;
            }

            bool inTag = element.type == XMLElement::TYPE_START || element.type == XMLElement::TYPE_END;
            if (c == '"')
            {
                inQuotes = !inQuotes;
                if (element.type == XMLElement::TYPE_NONE)
                    element.type = XMLElement::TYPE_ELEMENT;
                if (element.type == XMLElement::TYPE_ELEMENT)
                {
                    if (pendingSpace)
                        element.value += ' ';
                    pendingSpace = false;
                    element.value += '"';
                }
                else if (element.type == XMLElement::TYPE_START && inAttributes && inQuotes)
                {
                    // An opening quote begins a value after '=', or a quoted name.
                    if (attributeState == AttributeState::Equals)
                        attributeState = AttributeState::Value;
                    else if (attributeState == AttributeState::AfterName)
                    {
                        storeAttribute();
                        attributeState = AttributeState::Name;
                    }
                    else if (attributeState == AttributeState::None)
                        attributeState = AttributeState::Name;
                }
                continue;
            }

            if (!inQuotes)
            {
                if (c == '<')
                {
                    if (element.type == XMLElement::TYPE_ELEMENT)
                    {
                        PushBack(c);
                        complete = true;
                    }
                    else if (element.type == XMLElement::TYPE_NONE)
                        element.type = XMLElement::TYPE_START;
                    else
                    {
                        Fail("Unexpected '<'");
                        return false;
                    }
                    continue;
                }
                if (c == '>')
                {
                    if (!inTag)
                    {
                        Fail("Unexpected '>'");
                        return false;
                    }
                    if (element.type == XMLElement::TYPE_START)
                    {
                        if (attributeState != AttributeState::None)
                            storeAttribute();
                        if (selfClosing)
                        {
                            pendingEndTag = name;
                            hasPendingEndTag = true;
                        }
                        if (!section.empty())
                            section += '/';
                        section += name;
                    }
                    else
                    {
                        size_t slash = section.rfind('/');
                        std::string component = slash == std::string::npos ? section : section.substr(slash + 1);
                        if (section.empty())
                        {
                            Fail("Unexpected End");
                            return false;
                        }
                        if (component != name)
                        {
                            Fail("End '" + name + "' Doesn't Match Start '" + component + "'");
                            return false;
                        }
                        section.erase(slash == std::string::npos ? 0 : slash);
                    }
                    element.value = name;
                    complete = true;
                    continue;
                }
                if (IsSpace(c))
                {
                    if (element.type == XMLElement::TYPE_ELEMENT)
                        pendingSpace = !element.value.empty();
                    else if (inTag && !inAttributes)
                    {
                        if (element.type == XMLElement::TYPE_START && name == "!--")
                            element.type = XMLElement::TYPE_COMMENT;
                        else
                            inAttributes = true;
                    }
                    else if (inTag)
                    {
                        if (attributeState == AttributeState::Name)
                            attributeState = AttributeState::AfterName;
                        else if (attributeState == AttributeState::Value)
                            storeAttribute();
                    }
                    continue;
                }
                if (element.type == XMLElement::TYPE_START && name.empty() && !inAttributes)
                {
                    if (c == '/')
                    {
                        element.type = XMLElement::TYPE_END;
                        continue;
                    }
                    if (c == '?')
                    {
                        element.type = XMLElement::TYPE_INSTRUCTION;
                        continue;
                    }
                }
                if (element.type == XMLElement::TYPE_START && c == '/')
                {
                    // "/>" closes the tag at once; a '/' anywhere else is part of a name or value.
                    char32_t next = 0;
                    if (!readOrFinish(next))
                        return false;
                    PushBack(next);
                    if (next == '>')
                    {
                        selfClosing = true;
                        continue;
                    }
                }
                if (element.type == XMLElement::TYPE_START && inAttributes && c == '=')
                {
                    if (attributeState == AttributeState::Equals || attributeState == AttributeState::Value)
                    {
                        attributeValue += '=';
                        attributeState = AttributeState::Value;
                    }
                    else
                        attributeState = AttributeState::Equals;
                    continue;
                }
            }

            // An ordinary character.
            switch (element.type)
            {
            case XMLElement::TYPE_NONE:
                element.type = XMLElement::TYPE_ELEMENT;
                Append(element.value, c);
                break;
            case XMLElement::TYPE_ELEMENT:
                if (pendingSpace)
                    element.value += ' ';
                pendingSpace = false;
                Append(element.value, c);
                break;
            case XMLElement::TYPE_START:
                if (!inAttributes)
                    Append(name, c);
                else
                {
                    switch (attributeState)
                    {
                    case AttributeState::AfterName:
                        storeAttribute();
                        [[fallthrough]];
                    case AttributeState::None:
                        attributeState = AttributeState::Name;
                        [[fallthrough]];
                    case AttributeState::Name:
                        Append(attributeName, c);
                        break;
                    case AttributeState::Equals:
                    case AttributeState::Value:
                        attributeState = AttributeState::Value;
                        Append(attributeValue, c);
                        break;
                    }
                }
                break;
            case XMLElement::TYPE_END:
                if (!inAttributes)
                    Append(name, c);
                break;
            default:
                break;
            }
        }

        element.value = XMLDecodeString(element.value);
        if (element.type == XMLElement::TYPE_COMMENT && !allowComments)
            continue;
        return true;
    }
}

} // namespace Vesk
