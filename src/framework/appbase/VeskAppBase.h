#pragma once

#include "framework/appbase/RandomGenerator.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class Buffer;
class ResourceManager;

namespace Platform
{
class SettingsStore;
}

// The framework's application object: one per process, reachable through gAppBase. It owns
// the settings, the files of the player's data folder, and (as they arrive) the window, the
// display, the widget manager, the sound manager and the music interface, and runs the main
// loop. The game's application derives from it and overrides a handful of its operations.
//
// The entry point constructs it, calls Init, then Start (returns when the application has
// shut down), then destroys it.
class VeskAppBase
{
public:
    VeskAppBase();
    virtual ~VeskAppBase();
    VeskAppBase(const VeskAppBase&) = delete;
    VeskAppBase& operator=(const VeskAppBase&) = delete;

    // Start-up: settings, the data folder, the working directory, the archive.
    virtual void Init();
    // Runs the application until it shuts down.
    virtual void Start();
    virtual void Shutdown();
    virtual void LoadingThreadProc() {}
    virtual void LoadingThreadCompleted() {}
    // Return true to keep the current working directory instead of the program folder.
    virtual bool ChangeDirHook(const std::string& folder) { return false; }
    virtual void ReadFromRegistry();
    virtual void WriteToRegistry();

    // Message boxes: the answer chosen (Platform::IDOK ...).
    virtual int MsgBox(const std::string& text, const std::string& caption, int flags);
    // An error box with the caption "FATAL ERROR"; shows nothing once shut down.
    virtual int Popup(const std::string& text);
    // Opens a web address in the browser; with shutdownAfter the application then shuts down.
    // False when it could not be opened.
    virtual bool OpenURL(const std::string& url, bool shutdownAfter);

    // The string table: every message of the framework has a key and an English default.
    std::string GetString(const std::string& key, const std::string& defaultText) const;
    void SetString(const std::string& key, const std::string& text);

    // Settings under the registry key (nothing is read or written while the key is empty).
    // A value name with backslashes names a subkey. Types: 1 string, 3 binary, 4 integer.
    bool RegistryWrite(const std::string& valueName, uint32_t type, const uint8_t* data, uint32_t length);
    bool RegistryWriteString(const std::string& valueName, const std::string& value);
    bool RegistryWriteInteger(const std::string& valueName, int value);
    bool RegistryWriteBoolean(const std::string& valueName, bool value);
    bool RegistryRead(const std::string& valueName, uint32_t& type, std::vector<uint8_t>& data);
    // False unless the value is a string of at most 1023 characters.
    bool RegistryReadString(const std::string& valueName, std::string& value);
    // False unless the value is an integer of exactly 4 bytes.
    bool RegistryReadInteger(const std::string& valueName, int& value);
    bool RegistryReadBoolean(const std::string& valueName, bool& value);
    bool RegistryEraseValue(const std::string& valueName);

    // Files: existence and whole reads go through the file layer (archive or disk); a write
    // creates the missing folders and replaces the file atomically.
    bool FileExists(const std::string& path);
    bool ReadBufferFromFile(const std::string& path, Buffer& buffer);
    bool WriteBufferToFile(const std::string& path, const Buffer& buffer);

    // The per-user folder for saves, caches, screenshots and demos, ending in "/".
    const std::string& GetAppDataFolder() const { return dataFolder; }
    void SetAppDataFolder(const std::string& folder);

    RandomGenerator& Random() { return random; }

    // The resource manifest: the resource manager reads "properties\\resources.xml"; when that
    // fails the error is shown (ShowResourceError) and the application shuts down. True when
    // the manifest was read.
    bool LoadResourceManifest();
    // Shows the resource manager's error text in a popup; with doExit the application then
    // shuts down, so that Start returns at once and the program ends with exit code 0.
    void ShowResourceError(bool doExit = false);

    // Application state. The game sets several of these in its constructor.
    std::string title = "VeskApp";
    std::string productName = "Product";
    std::string productVersion = ORLO_VERSION;
    std::string registryKey;
    std::string dataFolderName;
    std::string programFolder;
    int width = 640;
    int height = 480;
    int fullScreenColorDepth = 16;
    double musicVolume = 0.85;
    double sfxVolume = 0.85;
    bool windowed = true;
    bool isShutdown = false;
    bool updateAppPaused = false;
    bool initialized = false;
    bool vsyncLockedUpdates = false;
    bool waitForVSync = false;
    bool autoEnable3D = false;
    bool customCursorsEnabled = false;
    int preferredX = -1;
    int preferredY = -1;
    int muteCount = 0;
    int autoMuteCount = 0;
    bool lastRunEndedCleanly = true;
    bool readRegistry = false;

    // The game's images, sounds and fonts by identifier; created with the application.
    std::unique_ptr<ResourceManager> resourceManager;

protected:
    // TODO(main loop): the window, display, widget manager, sound, music, loading thread and
    // the fixed-rate loop join the application here; until then Start runs the loading
    // procedure and its completion once and returns.

private:
    std::unique_ptr<Platform::SettingsStore> OpenSettings();

    RandomGenerator random;
    std::map<std::string, std::string> stringTable;
    std::string dataFolder;
};

// The one application object of the process (null when none exists).
extern VeskAppBase* gAppBase;

} // namespace Vesk
