#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace Vesk::Platform
{

// Value types of the settings store; the numbers are the ones demo files record.
enum class SettingType : uint32_t
{
    String = 1,
    Binary = 3,
    Integer = 4,
};

// The game's settings as typed values in one small text file per application, standing in for
// a registry key. A value name containing backslashes addresses a subkey ("Test3D\Mode").
// Names are compared without case.
//
// Every operation reads the file afresh, so two running copies see each other's writes.
// Writes replace the file atomically. A damaged or unreadable file reads as empty; before
// the first write over a damaged file it is kept beside it as "<file>.damaged" (KeepBeside),
// so nothing in it is lost and the new file is whole.
class SettingsStore
{
public:
    explicit SettingsStore(std::filesystem::path file);

    // The file for a registry key such as "Dranvik Games\Vellinor": under the config home,
    // with backslashes turned into folder separators.
    static std::filesystem::path FileForKey(const std::string& registryKey);

    [[nodiscard]] bool Read(const std::string& name, SettingType& type, std::vector<uint8_t>& data) const;
    [[nodiscard]] bool Write(const std::string& name, SettingType type, const std::vector<uint8_t>& data);
    // False when there was no such value or the file could not be rewritten.
    [[nodiscard]] bool Erase(const std::string& name);

    const std::filesystem::path& GetFile() const { return file; }

private:
    struct Value
    {
        std::string name;
        SettingType type = SettingType::String;
        std::vector<uint8_t> data;
    };
    using ValueMap = std::map<std::string, Value>; // keyed by the upper-cased name

    enum class LoadResult
    {
        Loaded,
        Missing,
        Damaged,
    };

    LoadResult Load(ValueMap& values) const;
    bool Save(const ValueMap& values, LoadResult previous);

    std::filesystem::path file;
};

} // namespace Vesk::Platform
