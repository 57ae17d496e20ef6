#include "framework/platform/SettingsStore.h"

#include "framework/platform/FileSystem.h"

#include <cctype>
#include <cstdio>
#include <system_error>

namespace Vesk::Platform
{

namespace
{

const char* const kHeader = "# Orlo settings: one value a line (type, name, data). Written by the game.";

std::string UpperCase(const std::string& text)
{
    std::string upper = text;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// Text fields escape backslash, tab, line ends and every byte outside printable ASCII.
void AppendEscaped(std::string& out, const uint8_t* data, size_t size)
{
    static const char* const hex = "0123456789abcdef";
    for (size_t i = 0; i < size; ++i)
    {
        uint8_t c = data[i];
        if (c == '\\')
            out += "\\\\";
        else if (c >= 0x20 && c < 0x7F)
            out += static_cast<char>(c);
        else
        {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool Unescape(const std::string& text, std::vector<uint8_t>& out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i)
    {
        char c = text[i];
        if (c != '\\')
        {
            out.push_back(static_cast<uint8_t>(c));
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '\\')
        {
            out.push_back('\\');
            i += 1;
            continue;
        }
        if (i + 3 < text.size() && text[i + 1] == 'x')
        {
            int high = HexDigit(text[i + 2]);
            int low = HexDigit(text[i + 3]);
            if (high < 0 || low < 0)
                return false;
            out.push_back(static_cast<uint8_t>(high * 16 + low));
            i += 3;
            continue;
        }
        return false;
    }
    return true;
}

bool ParseHex(const std::string& text, std::vector<uint8_t>& out)
{
    if (text.size() % 2 != 0)
        return false;
    out.clear();
    for (size_t i = 0; i < text.size(); i += 2)
    {
        int high = HexDigit(text[i]);
        int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        out.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return true;
}

bool ParseInteger(const std::string& text, std::vector<uint8_t>& out)
{
    if (text.empty() || text.size() > 11)
        return false;
    size_t start = text[0] == '-' ? 1 : 0;
    if (start == text.size())
        return false;
    long long value = 0;
    for (size_t i = start; i < text.size(); ++i)
    {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
        value = value * 10 + (text[i] - '0');
    }
    if (start == 1)
        value = -value;
    if (value < INT32_MIN || value > UINT32_MAX)
        return false;
    uint32_t bits = static_cast<uint32_t>(value);
    out = {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits >> 16),
           static_cast<uint8_t>(bits >> 24)};
    return true;
}

} // namespace

SettingsStore::SettingsStore(std::filesystem::path file) : file(std::move(file)) {}

std::filesystem::path SettingsStore::FileForKey(const std::string& registryKey)
{
    std::filesystem::path path = ConfigHome();
    std::string part;
    for (char c : registryKey + "\\")
    {
        if (c == '\\' || c == '/')
        {
            if (!part.empty() && part != "." && part != "..")
                path /= part;
            part.clear();
        }
        else
            part += c;
    }
    return path;
}

SettingsStore::LoadResult SettingsStore::Load(ValueMap& values) const
{
    values.clear();
    std::error_code error;
    if (!std::filesystem::exists(file, error))
        return LoadResult::Missing;

    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(file, bytes))
        return LoadResult::Damaged;

    std::string text(bytes.begin(), bytes.end());
    size_t pos = 0;
    while (pos < text.size())
    {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
        {
            values.clear();
            return LoadResult::Damaged; // every line of a whole file ends with a line feed
        }
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.empty() || line[0] == '#')
            continue;

        size_t tab1 = line.find('\t');
        size_t tab2 = tab1 == std::string::npos ? std::string::npos : line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos || line.find('\t', tab2 + 1) != std::string::npos)
        {
            values.clear();
            return LoadResult::Damaged;
        }
        std::string typeText = line.substr(0, tab1);
        std::vector<uint8_t> nameBytes;
        Value value;
        bool ok = Unescape(line.substr(tab1 + 1, tab2 - tab1 - 1), nameBytes) && !nameBytes.empty();
        std::string dataText = line.substr(tab2 + 1);
        if (ok && typeText == "sz")
        {
            value.type = SettingType::String;
            ok = Unescape(dataText, value.data);
        }
        else if (ok && typeText == "dword")
        {
            value.type = SettingType::Integer;
            ok = ParseInteger(dataText, value.data);
        }
        else if (ok && typeText == "binary")
        {
            value.type = SettingType::Binary;
            ok = ParseHex(dataText, value.data);
        }
        else
            ok = false;
        if (!ok)
        {
            values.clear();
            return LoadResult::Damaged;
        }
        value.name.assign(nameBytes.begin(), nameBytes.end());
        values[UpperCase(value.name)] = std::move(value);
    }
    return LoadResult::Loaded;
}

bool SettingsStore::Save(const ValueMap& values, LoadResult previous)
{
    // The damaged file stays where it is until the new one replaces it whole.
    if (previous == LoadResult::Damaged && !KeepBeside(file, ".damaged"))
        return false;

    std::string text = kHeader;
    text += '\n';
    for (const auto& [key, value] : values)
    {
        switch (value.type)
        {
        case SettingType::String:
            text += "sz\t";
            break;
        case SettingType::Integer:
            text += "dword\t";
            break;
        case SettingType::Binary:
            text += "binary\t";
            break;
        }
        AppendEscaped(text, reinterpret_cast<const uint8_t*>(value.name.data()), value.name.size());
        text += '\t';
        if (value.type == SettingType::String)
            AppendEscaped(text, value.data.data(), value.data.size());
        else if (value.type == SettingType::Integer && value.data.size() == 4)
        {
            uint32_t bits = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                            (static_cast<uint32_t>(value.data[3]) << 24);
            text += std::to_string(static_cast<int32_t>(bits));
        }
        else
        {
            static const char* const hex = "0123456789abcdef";
            for (uint8_t b : value.data)
            {
                text += hex[b >> 4];
                text += hex[b & 15];
            }
        }
        text += '\n';
    }
    return WriteFileAtomically(file, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

bool SettingsStore::Read(const std::string& name, SettingType& type, std::vector<uint8_t>& data) const
{
    ValueMap values;
    Load(values);
    auto found = values.find(UpperCase(name));
    if (found == values.end())
        return false;
    type = found->second.type;
    data = found->second.data;
    return true;
}

bool SettingsStore::Write(const std::string& name, SettingType type, const std::vector<uint8_t>& data)
{
    if (name.empty())
        return false;
    // An integer that is not 4 bytes cannot be stored as one; keep it as binary.
    if (type == SettingType::Integer && data.size() != 4)
        type = SettingType::Binary;
    ValueMap values;
    LoadResult previous = Load(values);
    values[UpperCase(name)] = Value{name, type, data};
    return Save(values, previous);
}

bool SettingsStore::Erase(const std::string& name)
{
    ValueMap values;
    LoadResult previous = Load(values);
    if (values.erase(UpperCase(name)) == 0)
        return false;
    return Save(values, previous);
}

} // namespace Vesk::Platform
