#pragma once

#include "framework/appbase/DemoReader.h"
#include "framework/appbase/DemoWriter.h"
#include "framework/appbase/RandomGenerator.h"
#include "framework/graphics/SharedImageRef.h"
#include "framework/platform/WindowMessage.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/DialogListener.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace Vesk
{

class Buffer;
class DebugOverlay;
class Dialog;
class Image;
class AudioOutput;
class Mixer;
class MusicInterface;
class DDImage;
class ImageSet;
class MemoryImage;
struct SharedImage;
class SoundManager;
class Widget;
class WidgetManager;
class ResourceManager;

namespace Platform
{
class InstanceLock;
class SettingsStore;
class Window;
enum class CursorShape;
} // namespace Platform

// The framework's application object: one per process, reachable through gAppBase. It owns
// the window and the display, the widget manager, the sound manager and the music interface,
// keeps the settings, and runs the single-threaded main loop that updates the game in fixed
// steps of frameTime milliseconds and draws it when something changed. The game's
// application derives from it and overrides a handful of its operations.
//
// The entry point constructs it, calls Init, then Start (returns when the application has
// shut down), then destroys it.
//
// Window messages from the platform layer go through WindowProc into a deferred queue that
// the main loop drains between updates, in order; a demo recording sees each of them at a
// known update count and can replay the run exactly (the game's clock is then frame-driven).
class VeskAppBase : public ButtonListener, public DialogListener
{
public:
    VeskAppBase();
    ~VeskAppBase() override;
    VeskAppBase(const VeskAppBase&) = delete;
    VeskAppBase& operator=(const VeskAppBase&) = delete;

    // --- The loop and its hooks -------------------------------------------------------------

    // One timing step of the main loop: update, draw or wait. False when it did nothing and
    // waiting was not allowed.
    virtual bool Process(bool allowSleep);
    // One fixed update.
    virtual void UpdateFrames();
    // The gate around UpdateFrames (idle pause, loading thread, demo end); false when no update
    // may run now.
    virtual bool DoUpdateFrames();
    // Smooth mode only: the widgets' TickSmooth with the fraction of an update this frame carries.
    virtual void DoUpdateFramesF(float fraction);
    virtual void MakeWindow();
    virtual void EnforceCursor();
    virtual void ReInitImages() {}
    virtual void DeleteNativeImageData() {}
    virtual void DeleteExtraImageData() {}
    virtual void LoadingThreadCompleted() {}
    virtual MusicInterface* CreateMusicInterface();
    virtual void InitHook() {}
    virtual void PreTerminate() {}
    virtual void MainLoopEnded() {}
    // Runs on the loading thread.
    virtual void LoadingThreadProc() {}
    virtual void WriteToRegistry();
    virtual void ReadFromRegistry();
    // A standard dialog (not yet added anywhere).
    virtual Dialog* NewDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                              const std::string& footer, int buttonMode);
    virtual void PreMakeWindow() {}
    virtual void BeginPopup();
    virtual void EndPopup();
    // Message boxes: the answer chosen (Platform::IDOK ...).
    virtual int MsgBox(const std::string& text, const std::string& caption, int flags);
    // An error box with the caption "FATAL ERROR"; shows nothing once shut down.
    virtual int Popup(const std::string& text);
    virtual void LogScreenSaverError(const std::string& text);
    // One line of the application's log. The framework keeps no log of its own: the base writes
    // the line to the developer output (VESK_DEBUG_OUTPUT); the game appends it to its log file.
    virtual void Log(const std::string& text);
    virtual void SafeDeleteWidget(Widget* widget);
    virtual void URLOpenFailed(const std::string& url);
    virtual void URLOpenSucceeded(const std::string& url);
    // Opens a web address in the browser; with shutdownAfter the game ends once it has opened.
    virtual bool OpenURL(const std::string& url, bool shutdownAfter = false);
    virtual std::string GetProductVersion(const std::string& path);
    virtual void HideApp();
    virtual std::string GetCrashInfo();
    virtual void Shutdown();
    virtual void ParseCommandLine();
    virtual void ParseCommandLine(const std::string& commandLine);
    virtual void HandleCmdLineParam(const std::string& name, const std::string& value);
    virtual void HandleNotifyMessage(uint64_t wParam);
    virtual void HandleSecondInstance();
    // Runs the application until it shuts down: StartRunning, MainLoop, FinishRunning.
    virtual void Start();
    // What Start does around the loop (the loading thread, showing the window; then waiting for
    // the loading thread, the statistics and the settings). A test driver steps the loop itself
    // between the two.
    void StartRunning();
    void FinishRunning();
    // Start-up: settings, the data folder, the working directory, the archive, the window.
    virtual void Init();
    virtual void PreDisplayHook() {}
    virtual void PostDisplayHook() {}
    // Return true to keep the current working directory instead of the program folder.
    virtual bool ChangeDirHook(const std::string& folder) { return false; }
    virtual void PlaySample(int soundId, int pan);
    virtual void PlaySample(int soundId);
    virtual double GetMasterVolume();
    virtual double GetMusicVolume() { return musicVolume; }
    virtual double GetSfxVolume() { return sfxVolume; }
    virtual bool IsMuted() { return muteCount > 0; }
    virtual void SetMasterVolume(double volume);
    virtual void SetMusicVolume(double volume);
    virtual void SetSfxVolume(double volume);
    virtual void Mute(bool autoMute = false);
    virtual void Unmute(bool autoMute = false);
    virtual double GetLoadingThreadProgress();
    // Loads an image file (any format the image library reads, alpha companions merged) into a
    // new display image named after path, owned by the caller. Null when the file is missing or
    // unreadable; nothing is reported, callers say what failed.
    virtual std::unique_ptr<DDImage> GetImage(const std::string& path, bool commitBits = true);
    // The image shared by every user of (fileName, variant), both compared without case: the
    // entry of the shared image map, created when missing (created tells). A new entry's image is
    // made outside the display lock: a name starting with "!" gives a new empty display image,
    // any other is loaded with GetImage (fileName, false). The reference holds no image when the
    // file could not be loaded. Entries nobody refers to any more are deleted by the next fixed
    // update. Safe on the loading thread.
    virtual SharedImageRef GetSharedImage(const std::string& fileName, const std::string& variant, bool& created);
    virtual void SwitchScreenMode(bool wantWindowed, bool is3D, bool force = false);
    virtual void SwitchScreenMode(bool wantWindowed);
    virtual void SwitchScreenMode();
    virtual void SetAlphaDisabled(bool disabled);
    virtual Dialog* DoDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                             const std::string& footer, int buttonMode);
    virtual Dialog* GetDialog(int id);
    virtual void AddDialog(Dialog* dialog);
    virtual void AddDialog(int id, Dialog* dialog);
    virtual bool KillDialog(Dialog* dialog);
    virtual bool KillDialog(int id);
    virtual bool KillDialog(int id, bool removeWidget, bool deleteWidget);
    virtual int GetDialogCount() { return static_cast<int>(dialogList.size()); }
    virtual void ModalOpen() {}
    virtual void ModalClose() {}
    virtual void GotFocus() {}
    virtual void LostFocus() {}
    virtual bool IsAltKeyUsed(int character);
    virtual bool DebugKeyDown(int keyCode);
    virtual bool DebugKeyDownEx(int keyCode, bool ctrl, bool alt) { return false; }
    virtual void CloseRequestAsync() {}
    virtual bool DrawDirtyStuff();
    // Presents the screen image (the whole screen; a partial present is not needed).
    virtual void Redraw(const void* rect = nullptr);
    virtual void EarlyInitHook() {}
    virtual void MainLoop();
    // One step of the loop's state machine (messages, update, draw). False only while updates
    // are paused (after Shutdown). Modal loops call it themselves.
    virtual bool UpdateAppStep(bool& updated);
    // Steps until an update ran (true) or the loop is paused (false).
    virtual bool UpdateApp();
    virtual bool AppCanRestore() { return !windowDisabled; }

    void OnDialogButtonPressed(int dialogId, int buttonId) override {}
    void OnDialogButtonReleased(int dialogId, int buttonId) override;

    // --- Window messages ------------------------------------------------------------------------

    // The window procedure: every message of the platform layer (and of the test driver) enters
    // here; input is queued for the main loop. Returns the message's result.
    int64_t WindowProc(const Platform::WindowMessage& message);
    // Handles the oldest queued message; true when more are queued.
    bool ProcessDeferredMessages();
    void RehupFocus();
    const std::deque<Platform::WindowMessage>& GetDeferredMessages() const { return deferredMessages; }

    // --- Cursors ------------------------------------------------------------------------------

    void SetCursor(int cursorNumber);
    int GetCursor() const { return cursorNumber; }
    void EnableCustomCursors(bool enabled);
    // A picture drawn as the cursor for this number (0..12) with its hot spot (the pixel that
    // lies on the pointer) at (hotX, hotY); null removes it. The image stays its owner's (the
    // resource manager's for manifest pictures) and must live while it is set.
    void SetCursorImage(int cursorNumber, Image* image, int hotX = 0, int hotY = 0);
    Image* GetCursorImage(int cursorNumber) const;
    // A system shape shown for every cursor number, or none (std::nullopt).
    void SetOverrideCursor(std::optional<Platform::CursorShape> shape);

    // --- Display ------------------------------------------------------------------------------

    int InitDisplay();
    void Set3DAcceleration(bool is3D, bool reinit = true);
    bool Is3DAccelerated() const { return is3DAccelerated; }
    bool Is3DAccelerationSupported() const { return hardwareTestRan && hardwareFailureReason.empty(); }
    bool Is3DAccelerationRecommended() const
    {
        return hardwareTestRan && hardwareFailureReason.empty() && hardwareWarning.empty();
    }
    void ResetTiming();
    void ProcessSafeDeleteList();
    // The picture the widgets paint into and the window presents (width x height, opaque).
    DDImage* GetScreenImage() { return screenImage.get(); }
    // Every memory image made for this application registers here.
    ImageSet& GetImageSet() { return *imageSet; }
    // The number of entries in the shared image map (swept or not).
    size_t GetSharedImageCount() const;
    WidgetManager* GetWidgetManager() { return widgetManager.get(); }
    Platform::Window* GetWindow() { return window.get(); }
    MusicInterface* GetMusicInterface() { return musicInterface.get(); }
    SoundManager* GetSoundManager() { return soundManager.get(); }
    // The presented cursor position (logical coordinates).
    int GetCursorX() const { return cursorX; }
    int GetCursorY() const { return cursorY; }

    // --- Settings, files, strings ---------------------------------------------------------------

    // The string table: every message of the framework has a key and an English default.
    std::string GetString(const std::string& key, const std::string& defaultText) const;
    void SetString(const std::string& key, const std::string& text);

    // Settings under the registry key (nothing is read or written while the key is empty).
    // A value name with backslashes names a subkey. Types: 1 string, 3 binary, 4 integer.
    // Results are recorded into demos and replayed from them.
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
    // creates the missing folders and replaces the file atomically. Results are recorded into
    // demos and replayed from them. Anything at the path exists, even what cannot be opened;
    // a read that cannot get every byte fails.
    bool FileExists(const std::string& path);
    bool ReadBufferFromFile(const std::string& path, Buffer& buffer);
    bool WriteBufferToFile(const std::string& path, const Buffer& buffer);
    // Before the first write over a file that must not be lost: keeps it beside itself as
    // path + suffix (numbered when that name is taken), never replacing or deleting anything.
    // True when it was kept or there is nothing at path; nothing happens during playback.
    bool KeepFileBeside(const std::string& path, const std::string& suffix);

    // The per-user folder for saves, caches, screenshots and demos, ending in "/".
    const std::string& GetAppDataFolder() const { return dataFolder; }
    void SetAppDataFolder(const std::string& folder);

    RandomGenerator& Random() { return random; }

    // --- Demos ----------------------------------------------------------------------------------

    // Synchronised data: recorded as it is while recording; replaced by the recorded data while
    // playing back.
    void DemoSyncBuffer(Buffer& buffer);
    void DemoSyncString(std::string& text);
    void DemoSyncBool(bool& value);
    // A named point of the recording, listed by the playback's marker list.
    void DemoAddMarker(const std::string& name);
    // Playback: run ahead to an update count (or to seconds before the end) as fast as possible.
    void DemoJumpToUpdate(int updateCount);
    void DemoJumpToTime(int secondsBeforeEnd);
    // The controls typed during playback ("+", "-", "=", "0", "4".."9", "J", "L", "M", "N",
    // "P", "S"); true when the character was one.
    bool DemoPlaybackControl(int character);
    bool IsRecordingDemo() const { return recordingDemo; }
    bool IsPlayingDemo() const { return playingDemo; }
    // The demo file's path (resolved against the data folder) and its recorded total.
    std::string GetDemoFilePath() const;
    int GetDemoTotalUpdates() const { return demoTotalUpdates; }
    const std::vector<DemoFile::Marker>& GetDemoMarkers() const { return demoMarkers; }
    // Writes the recording now (also done at destruction); false when it cannot be written.
    bool WriteDemoFile();
    // The playback's "Jump To Time" ("J") and "Marker List" ("L") dialogs. While one is open the
    // playback stands still (nothing is updated or replayed, the screen still draws) and live
    // input goes to the dialog instead of being ignored.
    static constexpr int kDemoJumpDialogId = 0x7D4A0001;
    static constexpr int kDemoMarkerDialogId = 0x7D4A0002;
    bool IsDemoDialogOpen() const;
    // The "Jump To Time" dialog's answer: the text is kept in "DemoJumpTime" and the playback
    // runs ahead to that many seconds before the end.
    void DemoJumpToTimeEntered(const std::string& text, int seconds);
    // Closes a playback dialog; the key states and the pointer return to the recorded ones.
    void CloseDemoDialog(int id);

    // --- Debugging aids -----------------------------------------------------------------------

    // Saves the screen as "_screenshots/image<n>.png" in the data folder; the path, or empty.
    std::string TakeScreenshot();
    // Writes "_dump/imagelist.html" (and the images) into the data folder.
    bool DumpImages();

    // --- Window placement -----------------------------------------------------------------------

    // Where a window of the given outer size goes in the work area: at the preferred position
    // kept 4 pixels inside the work area, or (no preferred position: both -1) centred
    // horizontally and at 38.2 % of the free height.
    static void PlaceWindow(int workX, int workY, int workWidth, int workHeight, int outerWidth, int outerHeight,
                            int preferredX, int preferredY, int& x, int& y);

    // --- Resources ----------------------------------------------------------------------------

    // The resource manifest: the resource manager reads "properties\\resources.xml"; when that
    // fails the error is shown (ShowResourceError) and the application shuts down. True when
    // the manifest was read.
    bool LoadResourceManifest();
    // Shows the resource manager's error text in a popup; with doExit the application then
    // shuts down, so that Start returns at once and the program ends with exit code 0.
    void ShowResourceError(bool doExit = false);

    // --- State ------------------------------------------------------------------------------------

    // Application identity and state (the game sets several of these in its constructor).
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
    double savedMusicVolume = 0;
    double savedSfxVolume = 0;

    bool windowed = true;
    bool physicallyWindowed = true;
    bool isShutdown = false;
    bool updateAppPaused = false;
    bool hidden = false;
    bool initialized = false;
    std::thread::id mainThreadId;

    // Timing.
    int frameTime = 10;
    double updateSpeed = 1.0;
    bool vsyncLockedUpdates = false;
    int refreshRate = 100;
    bool vsyncBroken = false;
    bool waitForVSync = false;
    int updateCount = 0;
    int drawCount = 0;
    int sleepCount = 0;
    int redrawCount = 0;
    int updateState = 0;
    int updateNestingDepth = 0;
    int consecutiveUpdates = 0;
    bool updatedSinceDraw = true;
    bool lastDrawFailed = false;
    double timeAccumulator = 0;
    uint32_t lastTime = 0;
    bool lastTimeSet = false;
    double updateFractionAccumulator = 0;
    uint32_t lastPresentTime = 0;
    uint32_t nextAllowedPresent = 0;
    bool forcePresent = false;
    bool insideDraw = false;
    bool displayLost = false;
    int vsyncStrikes = 0;
    int vsyncCheckUpdates = 0;
    bool vsyncCheckStarted = false;
    uint32_t lastVSyncCheckTime = 0;
    // Updates in which the widget tree reported a change.
    int changedUpdateCount = 0;
    int drawTimeTotal = 0;
    int presentTimeTotal = 0;
    int framesThisSecond = 0;
    int framesPerSecond = 0;
    uint32_t lastStatisticsTime = 0;

    // Idle pause: the desktop's screen-saver timeout in seconds, read every 10 s (0: none, and no
    // pause). While windowed, 2 s less than that without input pauses updates and drawing until
    // the next input.
    int idleLimitSeconds = 0;
    bool idlePaused = false;
    uint32_t lastInputTime = 0;
    uint32_t lastIdleLimitRead = 0;
    bool idleLimitRead = false;

    // Sound.
    int muteCount = 0;
    int autoMuteCount = 0;
    bool muteOnLostFocus = true;
    bool noSound = false;
    bool useFMod = false;
    bool allow8BitCharacters = true;

    // The loading thread.
    bool autoStartLoadingThread = true;
    std::atomic<bool> loadingThreadStarted{false};
    std::atomic<bool> loadingThreadDone{false};
    bool loadingThreadCompleted = false;
    std::atomic<bool> loadingThreadThrottle{false};
    std::atomic<int> loadingProgressTotal{0};
    std::atomic<int> loadingProgressCurrent{0};

    // Opening web addresses.
    bool openingURL = false;
    bool shutdownAfterURL = false;
    std::string openingURLText;
    uint32_t urlOpenTime = 0;
    uint32_t urlWatchStart = 0;
    uint32_t lastTimerTime = 0;

    bool onlyOneInstance = true;
    std::array<uint8_t, 512> saturationTable{};

    // Window and input state.
    int preferredX = -1;
    int preferredY = -1;
    bool forceFullScreen = false;
    bool forceWindowed = false;
    bool hasFocus = true;
    bool minimized = false;
    bool minimizedShadow = false;
    bool lastFocusState = true;
    bool mouseInWindow = false;
    bool windowDisabled = false;
    bool inPopup = false;
    bool heldCtrl = false;
    bool heldAlt = false;
    bool mouseCaptured = false;
    int heldMouseButtons = 0; // 1 left, 2 right, 4 middle
    bool closing = false;
    bool customCursorsEnabled = false;
    bool autoEnable3D = false;
    bool test3D = false;
    int minVideoMemory = 6;
    int recommendedVideoMemory = 14;
    bool changed3DSetting = false;
    bool failed3DFrame = false;
    bool debugKeysEnabled = false;
    bool showOverlay = false;
    int overlayMode = 0;
    bool alphaDisabled = false;
    bool allowMonitorPowerOff = true;

    // Settings state.
    bool lastRunEndedCleanly = true;
    bool readRegistry = false;

    // Command line and demos.
    bool commandLineParsed = false;
    bool screenSaverMode = false;
    std::string changeDirTo;
    bool recordingDemo = false;
    bool playingDemo = false;
    std::string demoFileName = "demo.dmo";
    std::string demoPrefix = "demo";
    bool demoPaused = false;
    bool demoFastForward = false;
    bool demoSingleStep = false;
    bool demoJumpMuted = false;
    int demoJumpTarget = 0;
    uint32_t lastJumpPresent = 0;
    // The exit code asked for (-1 while running normally).
    int exitCode = -1;
    // When set, an exit calls this instead of ending the process, and the application shuts
    // down instead (tests).
    std::function<void(int)> exitHandler;
    // When set, the command line ParseCommandLine reads instead of the process's own (program
    // name first).
    std::optional<std::string> processCommandLine;
    // The game's images, sounds and fonts by identifier; created with the application.
    std::unique_ptr<ResourceManager> resourceManager;

protected:
    // Ends the process with a code. Tests replace it to note the code; callers return at once.
    virtual void ExitWithCode(int code);
    // The sound manager on the mixer (silent when there is no mixer).
    virtual SoundManager* CreateSoundManager();
    // The process command line (program name first), for ParseCommandLine.
    virtual std::string GetProcessCommandLine();

    void ApplyVolumes();
    void StartLoadingThread();
    void HandleMouseMessage(const Platform::WindowMessage& message);
    void CheckMouseInWindow();
    void WatchURLOpen(uint32_t now);
    void ClearKeyStates();
    void ShowPerformanceResults();
    void ShowVideoStats();
    void RunHardwareTest();
    void AskHardwareAccelerationQuestions();
    bool ScreenSaverHandleMessage(const Platform::WindowMessage& message);
    void UpdateIdlePause(uint32_t now);
    void PointerToManager(int64_t lParam, int& x, int& y);
    void HandleSizeChange(bool nowMinimized, bool maximize);
    void HandleActivation();
    // The pointer moved to (x, y) in manager coordinates (live or replayed).
    void MovePointer(int x, int y);
    void PressButton(int x, int y, int clickCode, bool down);

    // Demos.
    bool ReadDemoFile();
    void StartDemoClock();
    void RecordEvent(const DemoEvent& event);
    void RecordMessage(const Platform::WindowMessage& message);
    void RecordPointer(int x, int y);
    // Replays every record due at the current update count.
    void ReplayDueDemoEvents();
    void ReplayEvent(const DemoEvent& event);
    // Takes the next record when it has this code (playback sync points).
    bool TakeDemoRecord(int code, DemoEvent& event);
    // A settings, file or synchronised-data result during playback: the next record, which must
    // be of this kind. Another record there means this run has left the recorded one: that is
    // reported and false returned, and the caller then fails the request rather than take a
    // live value. The record stays for a later request of its own kind.
    bool TakeDemoResult(int code, DemoEvent& event);
    // Logs, once per playback, that the run no longer follows the recording.
    void ReportDemoDesync(const std::string& what);
    bool DemoJumping() const;
    bool ProcessDemoJump();
    // Shows a playback dialog (with the keyboard focus on focus); the recorded key states are
    // kept for CloseDemoDialog.
    void OpenDemoDialog(Dialog* dialog, Widget* focus);

    std::unique_ptr<WidgetManager> widgetManager;
    std::unique_ptr<Platform::Window> window;
    // The image set outlives every image in it, the screen image included.
    std::unique_ptr<ImageSet> imageSet;
    std::unique_ptr<DDImage> screenImage;
    // The shared image map by upper-cased (file name, variant), guarded by the image set's lock.
    std::map<std::pair<std::string, std::string>, std::unique_ptr<SharedImage>> sharedImages;
    std::unique_ptr<AudioOutput> audioOutput;
    std::shared_ptr<Mixer> mixer;
    std::unique_ptr<MusicInterface> musicInterface;
    std::unique_ptr<SoundManager> soundManager;
    std::unique_ptr<Platform::InstanceLock> instanceLock;
    bool videoStarted = false;
    bool mainLoopRunning = false;
    uint32_t lastMonitorPowerTime = 0;
    // While above 0, settings are read and written live, outside any demo (the display's own
    // bookkeeping, which a playback does differently).
    int demoSuspended = 0;
    // This application put the clock on frame-driven time (and puts it back at the end).
    bool switchedClock = false;

    std::deque<Platform::WindowMessage> deferredMessages;
    std::vector<std::pair<int, Widget*>> safeDeleteList;
    std::map<int, Dialog*> dialogMap;
    std::vector<Dialog*> dialogList;

    // A custom cursor picture and the pixel of it that lies on the pointer.
    struct CustomCursor
    {
        Image* image = nullptr;
        int hotX = 0;
        int hotY = 0;
        // The window's colour cursor made from the picture: 0 not tried yet, 1 made, -1 the
        // platform cannot (the game then draws the picture into its frames).
        int systemCursor = 0;
    };

    // Shows the current cursor number's picture as the window's colour cursor, making it first;
    // false when the platform cannot.
    bool ShowCursorPicture();
    // The software cursor is shown and has moved since the last present.
    bool SoftwareCursorMoved() const;

    // Deletes the shared images nobody refers to when a reference let go since the last sweep.
    void SweepSharedImages();
    // Deletes every shared image (shutdown).
    void DeleteSharedImages();

    int cursorNumber = 0;
    std::array<CustomCursor, 13> cursorImages;
    std::optional<Platform::CursorShape> overrideCursor;
    bool softwareCursorShown = false;
    int cursorX = 0;
    int cursorY = 0;
    // The pointer position the last presented frame shows.
    int presentedCursorX = -100000;
    int presentedCursorY = -100000;
    int screenSaverMoves = 0;
    int screenSaverLastX = -100000;
    int screenSaverLastY = -100000;

    bool hardwareTestRan = false;
    bool hardwareTestFresh = false;
    std::string hardwareFailureReason;
    std::string hardwareWarning;
    bool is3DAccelerated = false;
    bool displayInitialised = false;

    std::thread loadingThread;
    std::atomic<bool> shutdownRequested{false};
    uint32_t constructionTime = 0;
    uint32_t runStartTime = 0;
    uint32_t lastRedrawAttempt = 0;
    bool perfTimerRunning = false;
    uint32_t perfTimerStart = 0;
    int perfTimerUpdates = 0;
    int perfTimerDraws = 0;
    bool screenSaverLogStarted = false;
    // The F3 overlay's text pictures (made when first shown).
    std::unique_ptr<DebugOverlay> debugOverlay;

    // Demo state.
    DemoWriter demoWriter;
    DemoReader demoReader;
    uint32_t demoSeed = 0;
    int demoTotalUpdates = 0;
    std::vector<DemoFile::Marker> demoMarkers;
    int demoLastPointerX = 0;
    int demoLastPointerY = 0;
    bool demoPointerKnown = false;
    bool demoHasVideoData = false;
    bool demoWindowed = true;
    int demoRefreshRate = 0;
    std::array<bool, 255> demoKeyStates{};
    bool demoDesyncReported = false;

private:
    std::unique_ptr<Platform::SettingsStore> OpenSettings();

    RandomGenerator random;
    std::map<std::string, std::string> stringTable;
    std::string dataFolder;
};

// The one application object of the process (null when none exists).
extern VeskAppBase* gAppBase;

} // namespace Vesk
