#include "framework/appbase/VeskAppBase.h"

#include "framework/appbase/AppResourceLoader.h"
#include "framework/appbase/Buffer.h"
#include "framework/platform/FileSystem.h"
#include "framework/platform/MessageBox.h"
#include "framework/platform/SettingsStore.h"
#include "framework/platform/Shell.h"
#include "framework/resources/PakInterface.h"
#include "framework/resources/ResourceManager.h"

#include <filesystem>
#include <system_error>

namespace Vesk
{

VeskAppBase* gAppBase = nullptr;

VeskAppBase::VeskAppBase()
{
    gAppBase = this;
    programFolder = Platform::ProgramFolder().string();
    random.Seed(5489u);
    resourceManager = std::make_unique<ResourceManager>(std::make_unique<AppResourceLoader>(this));

    SetString("DIALOG_BUTTON_OK", "OK");
    SetString("DIALOG_BUTTON_CANCEL", "CANCEL");
    SetString("UPDATE_CHECK_TITLE", "Update Check");
    SetString("UPDATE_CHECK_BODY", "Checking if there are any updates available for this product ...");
    SetString("UP_TO_DATE_TITLE", "Up to Date");
    SetString("UP_TO_DATE_BODY", "There are no updates available for this product at this time.");
    SetString("NEW_VERSION_TITLE", "New Version");
    SetString("NEW_VERSION_BODY",
              "There is an update available for this product.  Would you like to visit the web site to download it?");
}

VeskAppBase::~VeskAppBase()
{
    // Resources go first: unloading them releases sounds in the sound manager.
    resourceManager.reset();
    if (gAppBase == this)
        gAppBase = nullptr;
}

void VeskAppBase::Init()
{
    if (isShutdown)
        return;
    ReadFromRegistry();

    if (dataFolder.empty())
    {
        std::filesystem::path folder = Platform::DataHome();
        if (!dataFolderName.empty())
            folder /= dataFolderName;
        folder /= productName;
        SetAppDataFolder(folder.string());
    }
    (void)Platform::CreateFolders(dataFolder);

    if (!ChangeDirHook(programFolder) && !programFolder.empty())
    {
        std::error_code error;
        std::filesystem::current_path(programFolder, error);
    }
    (void)AddPakFile("main.pak");
    initialized = true;
}

void VeskAppBase::Start()
{
    if (isShutdown)
        return;
    LoadingThreadProc();
    LoadingThreadCompleted();
    WriteToRegistry();
}

void VeskAppBase::Shutdown()
{
    if (isShutdown)
        return;
    isShutdown = true;
    updateAppPaused = true;
    if (readRegistry)
        WriteToRegistry();
}

bool VeskAppBase::LoadResourceManifest()
{
    if (resourceManager->ReadManifest("properties\\resources.xml"))
        return true;
    ShowResourceError(true);
    return false;
}

void VeskAppBase::ShowResourceError(bool doExit)
{
    Popup(resourceManager->GetErrorText());
    if (doExit)
        VeskAppBase::Shutdown();
}

int VeskAppBase::MsgBox(const std::string& text, const std::string& caption, int flags)
{
    return Platform::ShowMessageBox(text, caption, flags);
}

int VeskAppBase::Popup(const std::string& text)
{
    if (isShutdown)
        return Platform::IDOK;
    return MsgBox(text, GetString("FATAL_ERROR", "FATAL ERROR"), Platform::MB_OK | Platform::MB_ICONERROR);
}

bool VeskAppBase::OpenURL(const std::string& url, bool shutdownAfter)
{
    if (!Platform::OpenURL(url))
        return false;
    if (shutdownAfter)
        Shutdown();
    return true;
}

std::string VeskAppBase::GetString(const std::string& key, const std::string& defaultText) const
{
    auto found = stringTable.find(key);
    return found == stringTable.end() ? defaultText : found->second;
}

void VeskAppBase::SetString(const std::string& key, const std::string& text)
{
    stringTable[key] = text;
}

void VeskAppBase::SetAppDataFolder(const std::string& folder)
{
    dataFolder = folder;
    if (!dataFolder.empty() && dataFolder.back() != '/')
        dataFolder += '/';
}

// ---------------------------------------------------------------------------------------
// Settings

std::unique_ptr<Platform::SettingsStore> VeskAppBase::OpenSettings()
{
    std::string key = GetString("RegistryKey", registryKey);
    if (key.empty())
        return nullptr;
    return std::make_unique<Platform::SettingsStore>(Platform::SettingsStore::FileForKey(key));
}

bool VeskAppBase::RegistryWrite(const std::string& valueName, uint32_t type, const uint8_t* data, uint32_t length)
{
    auto settings = OpenSettings();
    if (!settings || (type != 1 && type != 3 && type != 4))
        return false;
    std::vector<uint8_t> bytes(data, data + length);
    return settings->Write(valueName, static_cast<Platform::SettingType>(type), bytes);
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
    auto settings = OpenSettings();
    if (!settings)
        return false;
    Platform::SettingType settingType;
    if (!settings->Read(valueName, settingType, data))
        return false;
    type = static_cast<uint32_t>(settingType);
    return true;
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

// ---------------------------------------------------------------------------------------
// Files

bool VeskAppBase::FileExists(const std::string& path)
{
    PFILE* file = p_fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    p_fclose(file);
    return true;
}

bool VeskAppBase::ReadBufferFromFile(const std::string& path, Buffer& buffer)
{
    PFILE* file = p_fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = p_fread(chunk, 1, sizeof(chunk), file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    p_fclose(file);
    buffer = Buffer(std::move(bytes));
    return true;
}

bool VeskAppBase::WriteBufferToFile(const std::string& path, const Buffer& buffer)
{
    return Platform::WriteFileAtomically(path, buffer.GetData());
}

} // namespace Vesk
