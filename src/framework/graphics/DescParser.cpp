#include "framework/graphics/DescParser.h"

#include "framework/graphics/ListDataElement.h"
#include "framework/graphics/SingleDataElement.h"
#include "framework/resources/PakInterface.h"

#include <cctype>
#include <cstdio>

namespace Vesk
{

namespace
{

bool IsQuote(char character)
{
    return character == '\'' || character == '"';
}

} // namespace

DescParser::DescParser() = default;
DescParser::~DescParser() = default;

bool DescParser::Error(const std::string& text)
{
    errorText = text;
    return false;
}

const DataElement* DescParser::GetDefine(const std::string& name) const
{
    auto found = defines.find(ToUpper(name));
    return found == defines.end() ? nullptr : found->second.get();
}

bool DescParser::LoadDescriptor(const std::string& fileName)
{
    errorText.clear();
    currentLine = 0;
    PFILE* file = p_fopen(fileName.c_str(), "rb");
    if (file == nullptr)
        return false;
    const bool ok = ReadDescriptor([file] { return p_fgetc(file); });
    p_fclose(file);
    return ok;
}

bool DescParser::LoadDescriptorText(const std::string& text)
{
    errorText.clear();
    currentLine = 0;
    size_t position = 0;
    return ReadDescriptor([&] { return position < text.size() ? static_cast<unsigned char>(text[position++]) : EOF; });
}

bool DescParser::ReadDescriptor(const std::function<int()>& nextCharacter)
{
    currentCommand.clear();
    int lineNumber = 1;
    bool atLineStart = true;
    bool inComment = false;
    bool inSingleQuotes = false;
    bool inDoubleQuotes = false;
    bool escaped = false;
    bool lineIndented = false;

    auto finishCommand = [&]()
    {
        if (!currentCommand.empty() && !ParseCommand(currentCommand))
            return false;
        currentCommand.clear();
        return true;
    };
    auto append = [&](char character)
    {
        if (currentCommand.empty())
            currentLine = lineNumber;
        currentCommand += character;
    };

    for (int read = nextCharacter(); read != EOF; read = nextCharacter())
    {
        const char character = static_cast<char>(read);
        if (character == '\r')
            continue;
        if (inComment)
        {
            if (character == '\n')
            {
                inComment = false;
                ++lineNumber;
                atLineStart = true;
                lineIndented = false;
            }
            continue;
        }
        const bool quoted = inSingleQuotes || inDoubleQuotes;
        if (atLineStart && !quoted)
        {
            if (character == ' ' || character == '\t')
            {
                lineIndented = true;
                continue;
            }
            if (character == '\n')
            {
                ++lineNumber;
                lineIndented = false;
                continue;
            }
            atLineStart = false;
            if (character == '#')
            {
                inComment = true;
                continue;
            }
            if ((flags & kLineStartEndsCommand) != 0 && !lineIndented && !finishCommand())
                return false;
        }
        if (character == '\n')
        {
            ++lineNumber;
            atLineStart = true;
            lineIndented = false;
        }

        // Blanks between commands are not part of the next one, so its line is where it starts.
        if (currentCommand.empty() && !quoted && (character == '\n' || character == ' ' || character == '\t'))
            continue;
        if (escaped)
        {
            escaped = false;
            append(character);
            continue;
        }
        if (quoted && character == '\\')
        {
            escaped = true;
            append(character);
            continue;
        }
        if (character == '\'' && !inDoubleQuotes)
            inSingleQuotes = !inSingleQuotes;
        else if (character == '"' && !inSingleQuotes)
            inDoubleQuotes = !inDoubleQuotes;
        else if (character == ';' && !quoted && (flags & kSemicolonEndsCommand) != 0)
        {
            if (!finishCommand())
                return false;
            continue;
        }
        append(character);
    }
    if (!finishCommand())
        return false;
    currentCommand.clear();
    currentLine = 0;
    return true;
}

bool DescParser::ParseCommand(const std::string& text)
{
    valueErrorReported = false;
    ListDataElement params;
    size_t position = 0;
    if (!ParseToList(text, params, false, position))
        return false;
    if (params.elements.empty())
        return true;
    if (params.elements[0]->isList)
        return Error(kMissingCommand);
    return HandleCommand(params);
}

bool DescParser::ParseToList(const std::string& text, ListDataElement& list, bool isSubList, size_t& position)
{
    std::string token;
    bool inSingleQuotes = false;
    bool inDoubleQuotes = false;
    bool escaped = false;
    auto flush = [&]()
    {
        if (!token.empty())
            list.elements.push_back(std::make_unique<SingleDataElement>(std::move(token)));
        token.clear();
    };

    while (position < text.size())
    {
        const char character = text[position++];
        if (escaped)
        {
            escaped = false;
            token += character;
            continue;
        }
        if (character == '\\')
        {
            escaped = true;
            continue;
        }
        if (inSingleQuotes || inDoubleQuotes)
        {
            if ((character == '\'' && inSingleQuotes) || (character == '"' && inDoubleQuotes))
                inSingleQuotes = inDoubleQuotes = false;
            token += character;
            continue;
        }
        switch (character)
        {
        case '\'':
            inSingleQuotes = true;
            token += character;
            break;
        case '"':
            inDoubleQuotes = true;
            token += character;
            break;
        case ' ':
        case '\t':
        case '\n':
        case ',':
            flush();
            break;
        case '(':
        {
            if (!token.empty())
                return Error(kUnexpectedListStart);
            auto subList = std::make_unique<ListDataElement>();
            if (!ParseToList(text, *subList, true, position))
                return false;
            list.elements.push_back(std::move(subList));
            break;
        }
        case ')':
            if (!isSubList)
                return Error(kUnexpectedListEnd);
            flush();
            return true;
        default:
            token += character;
            break;
        }
    }
    if (inSingleQuotes)
        return Error(kUnterminatedSingleQuotes);
    if (inDoubleQuotes)
        return Error(kUnterminatedDoubleQuotes);
    if (isSubList)
        return Error(kUnterminatedList);
    flush();
    return true;
}

bool DescParser::IsImmediate(const std::string& token)
{
    if (token.empty())
        return false;
    const char first = token[0];
    return std::isdigit(static_cast<unsigned char>(first)) || first == '-' || first == '+' || IsQuote(first);
}

std::string DescParser::Unquote(const std::string& token)
{
    if (token.empty() || !IsQuote(token[0]))
        return token;
    const char quote = token[0];
    size_t end = token.size();
    if (end >= 2 && token[end - 1] == quote)
        --end;
    std::string text;
    for (size_t i = 1; i < end; ++i)
    {
        text += token[i];
        if (token[i] == quote && i + 1 < end && token[i + 1] == quote)
            ++i; // a doubled quote stands for one
    }
    return text;
}

std::string DescParser::ToUpper(std::string text)
{
    for (char& character : text)
        character = static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
    return text;
}

bool DescParser::StringToInt(const std::string& text, int& value)
{
    value = 0;
    uint32_t result = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    {
        for (size_t i = 2; i < text.size(); ++i)
        {
            const char digit = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
            if (digit >= '0' && digit <= '9')
                result = result * 16 + uint32_t(digit - '0');
            else if (digit >= 'a' && digit <= 'f')
                result = result * 16 + uint32_t(digit - 'a' + 10);
            else
                return false;
        }
        value = static_cast<int>(result);
        return true;
    }
    const bool negative = !text.empty() && text[0] == '-';
    const size_t start = negative ? 1 : 0;
    if (start >= text.size())
        return false;
    for (size_t i = start; i < text.size(); ++i)
    {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
        result = result * 10 + uint32_t(text[i] - '0');
    }
    value = static_cast<int>(negative ? 0u - result : result);
    return true;
}

bool DescParser::StringToDouble(const std::string& text, double& value)
{
    value = 0;
    const bool negative = !text.empty() && text[0] == '-';
    size_t i = negative ? 1 : 0;
    if (i >= text.size())
        return false;
    double result = 0;
    bool digits = false;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i, digits = true)
        result = result * 10 + (text[i] - '0');
    if (i < text.size() && text[i] == '.')
    {
        double factor = 0.1;
        for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i, digits = true)
        {
            result += (text[i] - '0') * factor;
            factor *= 0.1;
        }
    }
    if (i != text.size() || !digits)
        return false;
    value = negative ? -result : result;
    return true;
}

bool DescParser::GetValues(const ListDataElement& list, ListDataElement& values)
{
    for (const auto& element : list.elements)
    {
        if (element->isList)
        {
            auto subList = std::make_unique<ListDataElement>();
            if (!GetValues(static_cast<const ListDataElement&>(*element), *subList))
                return false;
            values.elements.push_back(std::move(subList));
            continue;
        }
        const std::string& token = static_cast<const SingleDataElement&>(*element).value;
        if (IsImmediate(token))
        {
            values.elements.push_back(std::make_unique<SingleDataElement>(Unquote(token)));
            continue;
        }
        const DataElement* define = GetDefine(token);
        if (define == nullptr)
        {
            valueErrorReported = true;
            return Error("Unable to Dereference \"" + token + "\"");
        }
        // A single define keeps its quotes when stored; in a list it stands for its text.
        if (define->isList)
            values.elements.push_back(define->Duplicate());
        else
            values.elements.push_back(
                std::make_unique<SingleDataElement>(Unquote(static_cast<const SingleDataElement&>(*define).value)));
    }
    return true;
}

bool DescParser::DataToString(const DataElement& element, std::string& value)
{
    if (element.isList)
        return false;
    const std::string& token = static_cast<const SingleDataElement&>(element).value;
    if (!IsImmediate(token))
    {
        const DataElement* define = GetDefine(token);
        if (define != nullptr && !define->isList)
        {
            value = Unquote(static_cast<const SingleDataElement&>(*define).value);
            return true;
        }
    }
    value = Unquote(token);
    return true;
}

bool DescParser::DataToInt(const DataElement& element, int& value)
{
    value = 0;
    return !element.isList && StringToInt(static_cast<const SingleDataElement&>(element).value, value);
}

bool DescParser::DataToList(const DataElement& element, ListDataElement& values)
{
    if (element.isList)
        return GetValues(static_cast<const ListDataElement&>(element), values);
    const std::string& token = static_cast<const SingleDataElement&>(element).value;
    if (IsImmediate(token))
        return false;
    const DataElement* define = GetDefine(token);
    if (define == nullptr || !define->isList)
        return false;
    for (const auto& item : static_cast<const ListDataElement&>(*define).elements)
        values.elements.push_back(item->Duplicate());
    return true;
}

bool DescParser::DataToStringVector(const DataElement& element, std::vector<std::string>& values)
{
    values.clear();
    ListDataElement list;
    if (!DataToList(element, list))
        return false;
    for (const auto& item : list.elements)
    {
        if (item->isList)
            return false;
        values.push_back(static_cast<const SingleDataElement&>(*item).value);
    }
    return true;
}

bool DescParser::DataToIntVector(const DataElement& element, std::vector<int>& values)
{
    values.clear();
    std::vector<std::string> texts;
    if (!DataToStringVector(element, texts))
        return false;
    for (const std::string& text : texts)
    {
        int value = 0;
        if (!StringToInt(text, value))
            return false;
        values.push_back(value);
    }
    return true;
}

bool DescParser::DataToDoubleVector(const DataElement& element, std::vector<double>& values)
{
    values.clear();
    std::vector<std::string> texts;
    if (!DataToStringVector(element, texts))
        return false;
    for (const std::string& text : texts)
    {
        double value = 0;
        if (!StringToDouble(text, value))
            return false;
        values.push_back(value);
    }
    return true;
}

bool DescParser::DataToColor(const DataElement& element, uint32_t& color)
{
    bool isListValue = element.isList;
    if (!isListValue)
    {
        const std::string& token = static_cast<const SingleDataElement&>(element).value;
        const DataElement* define = IsImmediate(token) ? nullptr : GetDefine(token);
        isListValue = define != nullptr && define->isList;
    }
    if (isListValue)
    {
        std::vector<double> channels;
        if (!DataToDoubleVector(element, channels) || channels.size() != 4)
            return false;
        color = 0;
        static constexpr int kShift[] = {16, 8, 0, 24};
        for (size_t i = 0; i < 4; ++i)
        {
            const double scaled = channels[i] * 255;
            const uint32_t channel = scaled <= 0 ? 0 : scaled >= 255 ? 255 : uint32_t(scaled);
            color |= channel << kShift[i];
        }
        return true;
    }
    int value = 0;
    if (!StringToInt(static_cast<const SingleDataElement&>(element).value, value))
        return false;
    color = static_cast<uint32_t>(value);
    if ((color & 0xFF000000) == 0)
        color |= 0xFF000000;
    return true;
}

} // namespace Vesk
