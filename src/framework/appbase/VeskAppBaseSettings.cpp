// Settings: the registry-style values in the settings store, recorded into demos.
#include "framework/appbase/VeskAppBase.h"
#include "framework/platform/SettingsStore.h"

namespace Vesk
{

std::unique_ptr<Platform::SettingsStore> VeskAppBase::OpenSettings()
{
    std::string key = GetString("RegistryKey", registryKey);
    if (key.empty())
        return nullptr;
    return std::make_unique<Platform::SettingsStore>(Platform::SettingsStore::FileForKey(key));
}

bool VeskAppBase::RegistryWrite(const std::string& valueName, uint32_t type, const uint8_t* data, uint32_t length)
{
    bool inDemo = demoSuspended == 0;
    DemoEvent recorded;
    if (playingDemo && inDemo)
        return TakeDemoResult(DEMO_REGISTRY_WRITE, recorded) && recorded.flag;
    bool success = false;
    auto settings = OpenSettings();
    if (settings && (type == 1 || type == 3 || type == 4))
    {
        std::vector<uint8_t> bytes(data, data + length);
        success = settings->Write(valueName, static_cast<Platform::SettingType>(type), bytes);
    }
    if (recordingDemo && inDemo)
    {
        DemoEvent event;
        event.code = DEMO_REGISTRY_WRITE;
        event.flag = success;
        RecordEvent(event);
    }
    return success;
}

bool VeskAppBase::RegistryWriteString(const std::string& valueName, const std::string& value)
{
    return RegistryWrite(valueName, 1, reinterpret_cast<const uint8_t*>(value.data()),
                         static_cast<uint32_t>(value.size()));
}

bool VeskAppBase::RegistryWriteInteger(const std::string& valueName, int value)
{
    uint32_t bits = static_cast<uint32_t>(value);
    uint8_t bytes[4] = {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits >> 16),
                        static_cast<uint8_t>(bits >> 24)};
    return RegistryWrite(valueName, 4, bytes, 4);
}

bool VeskAppBase::RegistryWriteBoolean(const std::string& valueName, bool value)
{
    return RegistryWriteInteger(valueName, value ? 1 : 0);
}

bool VeskAppBase::RegistryRead(const std::string& valueName, uint32_t& type, std::vector<uint8_t>& data)
{
    bool inDemo = demoSuspended == 0;
    DemoEvent recorded;
    if (playingDemo && inDemo)
    {
        if (!TakeDemoResult(DEMO_REGISTRY_READ, recorded) || !recorded.flag)
            return false;
        type = recorded.type;
        data = recorded.data;
        return true;
    }
    bool success = false;
    auto settings = OpenSettings();
    Platform::SettingType settingType = Platform::SettingType::String;
    if (settings && settings->Read(valueName, settingType, data))
    {
        type = static_cast<uint32_t>(settingType);
        success = true;
    }
    if (recordingDemo && inDemo)
    {
        DemoEvent event;
        event.code = DEMO_REGISTRY_READ;
        event.flag = success;
        if (success)
        {
            event.type = type;
            event.data = data;
        }
        RecordEvent(event);
    }
    return success;
}

bool VeskAppBase::RegistryReadString(const std::string& valueName, std::string& value)
{
    uint32_t type = 0;
    std::vector<uint8_t> data;
    if (!RegistryRead(valueName, type, data) || type != 1 || data.size() > 1023)
        return false;
    value.assign(data.begin(), data.end());
    return true;
}

bool VeskAppBase::RegistryReadInteger(const std::string& valueName, int& value)
{
    uint32_t type = 0;
    std::vector<uint8_t> data;
    if (!RegistryRead(valueName, type, data) || type != 4 || data.size() != 4)
        return false;
    value = static_cast<int>(data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<uint32_t>(data[3]) << 24));
    return true;
}

bool VeskAppBase::RegistryReadBoolean(const std::string& valueName, bool& value)
{
    int integer = 0;
    if (!RegistryReadInteger(valueName, integer))
        return false;
    value = integer != 0;
    return true;
}

bool VeskAppBase::RegistryEraseValue(const std::string& valueName)
{
    if (playingDemo && demoSuspended == 0)
        return true;
    auto settings = OpenSettings();
    return settings && settings->Erase(valueName);
}

void VeskAppBase::ReadFromRegistry()
{
    readRegistry = true;
    int value = 0;
    bool flag = false;
    if (RegistryReadInteger("MusicVolume", value))
        musicVolume = value / 100.0;
    if (RegistryReadInteger("SfxVolume", value))
        sfxVolume = value / 100.0;
    if (RegistryReadInteger("Muted", value))
        muteCount = value;
    if (RegistryReadInteger("ScreenMode", value))
        windowed = value == 0;
    if (RegistryReadInteger("PreferredX", value))
        preferredX = value;
    if (RegistryReadInteger("PreferredY", value))
        preferredY = value;
    if (RegistryReadBoolean("CustomCursors", flag))
        customCursorsEnabled = flag;
    if (RegistryReadBoolean("WaitForVSync", flag))
        waitForVSync = flag;
    if (RegistryReadInteger("InProgress", value))
        lastRunEndedCleanly = value == 0;
    if (!screenSaverMode)
        RegistryWriteInteger("InProgress", 1);
}

void VeskAppBase::WriteToRegistry()
{
    RegistryWriteInteger("MusicVolume", static_cast<int>(musicVolume * 100));
    RegistryWriteInteger("SfxVolume", static_cast<int>(sfxVolume * 100));
    RegistryWriteInteger("Muted", muteCount - autoMuteCount > 0 ? 1 : 0);
    RegistryWriteInteger("ScreenMode", windowed ? 0 : 1);
    RegistryWriteInteger("PreferredX", preferredX);
    RegistryWriteInteger("PreferredY", preferredY);
    RegistryWriteBoolean("CustomCursors", customCursorsEnabled);
    RegistryWriteBoolean("WaitForVSync", waitForVSync);
    RegistryWriteInteger("InProgress", 0);
}

} // namespace Vesk
