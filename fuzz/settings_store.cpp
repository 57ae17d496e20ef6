// Any bytes as the settings file. Reading it must not crash; writing a value over it must keep
// every value that read before (or, over a damaged file, keep the file whole beside the new
// one as "<file>.damaged"), and the value written must read back as it was given.
#include "ScratchFile.h"
#include "framework/platform/SettingsStore.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

using Vesk::Platform::SettingsStore;
using Vesk::Platform::SettingType;

struct Reading
{
    bool found = false;
    SettingType type = SettingType::String;
    std::vector<uint8_t> data;

    bool operator==(const Reading&) const = default;
};

Reading ReadValue(const SettingsStore& store, const std::string& name)
{
    Reading reading;
    reading.found = store.Read(name, reading.type, reading.data);
    return reading;
}

std::vector<uint8_t> FileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const char* const kNames[] = {"MusicVolume", "SfxVolume", "Muted", "ScreenMode", "PlayerName", "Test3D\\Mode"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Vesk::Fuzz::ScratchFile file("settings.txt");
    const std::filesystem::path damaged = file.Path() + ".damaged";
    std::error_code error;
    std::filesystem::remove(damaged, error);
    file.Write(data, size);

    SettingsStore store(file.Path());
    std::vector<Reading> before;
    for (const char* name : kNames)
        before.push_back(ReadValue(store, name));

    const std::vector<uint8_t> written(data, data + std::min<size_t>(size, 24));
    if (!store.Write("FuzzCheck", SettingType::Binary, written))
        std::abort();
    Reading check = ReadValue(store, "fuzzcheck");
    if (!check.found || check.type != SettingType::Binary || check.data != written)
        std::abort();

    const bool wasDamaged = std::filesystem::exists(damaged, error);
    if (wasDamaged && FileBytes(damaged) != std::vector<uint8_t>(data, data + size))
        std::abort(); // the damaged file must be kept as it was
    for (size_t i = 0; i < std::size(kNames); ++i)
    {
        const Reading after = ReadValue(store, kNames[i]);
        if (wasDamaged ? (before[i].found || after.found) : !(after == before[i]))
            std::abort();
    }

    if (before[0].found && (!store.Erase(kNames[0]) || ReadValue(store, kNames[0]).found))
        std::abort();
    return 0;
}
