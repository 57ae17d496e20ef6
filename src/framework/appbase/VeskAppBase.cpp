#include "framework/appbase/VeskAppBase.h"

#include "framework/appbase/AppResourceLoader.h"
#include "framework/appbase/Buffer.h"
#include "framework/appbase/CursorArt.h"
#include "framework/appbase/DebugOverlay.h"
#include "framework/appbase/ImageDump.h"
#include "framework/appbase/PngWriter.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageSet.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SharedImage.h"
#include "framework/platform/Clock.h"
#include "framework/platform/FileSystem.h"
#include "framework/platform/InstanceLock.h"
#include "framework/platform/MessageBox.h"
#include "framework/platform/SettingsStore.h"
#include "framework/platform/Shell.h"
#include "framework/platform/Window.h"
#include "framework/resources/ImageData.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/PakInterface.h"
#include "framework/resources/ResourceManager.h"
#include "framework/sound/AudioOutput.h"
#include "framework/sound/Mixer.h"
#include "framework/sound/MixerSoundManager.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundInstance.h"
#include "framework/sound/SoundManager.h"
#include "framework/sound/StreamingMusicInterface.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace Vesk
{

VeskAppBase* gAppBase = nullptr;

namespace
{

using Platform::Clock;

// Developer output (the statistics at exit, loading times): shown when VESK_DEBUG_OUTPUT is set.
void DebugOutput(const char* format, ...)
{
    static const bool enabled = std::getenv("VESK_DEBUG_OUTPUT") != nullptr;
    if (!enabled)
        return;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
}

std::string ResultName(int result)
{
    switch (result)
    {
    case Platform::RESULT_OK:
        return "RESULT_OK";
    case Platform::RESULT_FAIL:
        return "RESULT_FAIL";
    case Platform::RESULT_DD_CREATE_FAIL:
        return "RESULT_DD_CREATE_FAIL";
    case Platform::RESULT_SURFACE_FAIL:
        return "RESULT_SURFACE_FAIL";
    case Platform::RESULT_EXCLUSIVE_FAIL:
        return "RESULT_EXCLUSIVE_FAIL";
    case Platform::RESULT_DISPCHANGE_FAIL:
        return "RESULT_DISPCHANGE_FAIL";
    case Platform::RESULT_INVALID_COLORDEPTH:
        return "RESULT_INVALID_COLORDEPTH";
    default:
        return "RESULT_UNKNOWN";
    }
}

// Counts a scope in which settings bypass the demo.
class DemoSuspension
{
public:
    explicit DemoSuspension(int& count) : count(count) { ++count; }
    ~DemoSuspension() { --count; }
    DemoSuspension(const DemoSuspension&) = delete;
    DemoSuspension& operator=(const DemoSuspension&) = delete;

private:
    int& count;
};

// Keeps the nesting depth of UpdateAppStep right on every return.
class DepthGuard
{
public:
    explicit DepthGuard(int& depth) : depth(depth) { ++depth; }
    ~DepthGuard() { --depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth;
};

} // namespace

VeskAppBase::VeskAppBase()
{
    gAppBase = this;
    programFolder = Platform::ProgramFolder().string();
    constructionTime = Clock::RealNow();
    lastPresentTime = nextAllowedPresent = Clock::LoopNow();
    random.Seed(5489u);
    for (size_t i = 0; i < saturationTable.size(); ++i)
        saturationTable[i] = static_cast<uint8_t>(std::min<size_t>(i, 255));
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

    widgetManager = std::make_unique<WidgetManager>(this);
    imageSet = std::make_unique<ImageSet>();
    screenImage = std::make_unique<DDImage>(imageSet.get());
}

VeskAppBase::~VeskAppBase()
{
    // Resources go first: unloading them releases sounds in the sound manager.
    resourceManager.reset();
    Shutdown();
    AskHardwareAccelerationQuestions();

    for (Dialog* dialog : std::vector<Dialog*>(dialogList))
    {
        if (widgetManager)
            widgetManager->RemoveChild(dialog);
        safeDeleteList.erase(std::remove_if(safeDeleteList.begin(), safeDeleteList.end(),
                                            [&](const auto& entry) { return entry.second == dialog; }),
                             safeDeleteList.end());
        delete dialog;
    }
    dialogList.clear();
    dialogMap.clear();
    updateNestingDepth = 0;
    ProcessSafeDeleteList();

    widgetManager.reset();
    musicInterface.reset();
    soundManager.reset();
    mixer.reset();
    audioOutput.reset();
    DeleteSharedImages();
    screenImage.reset();
    window.reset();
    if (loadingThread.joinable())
        loadingThread.join();

    if (gAppBase == this)
        gAppBase = nullptr;
    if (recordingDemo)
        (void)WriteDemoFile();
    if (switchedClock)
        Clock::UseRealClock();
    instanceLock.reset();
    if (videoStarted)
        Platform::Window::StopVideo();
}

// ---------------------------------------------------------------------------------------
// Lifecycle

void VeskAppBase::Init()
{
    mainThreadId = std::this_thread::get_id();
    if (isShutdown)
        return;

    std::string videoError;
    if (!Platform::Window::StartVideo(videoError))
    {
        MsgBox(GetString("APP_REQUIRES_DIRECTX",
                         "This game needs a working display to run, and none could be started (" + videoError +
                             "). Please make sure the SDL2 library and a video driver are installed."),
               GetString("YOU_NEED_DIRECTX", "You need DirectX"), Platform::MB_OK | Platform::MB_ICONERROR);
        ExitWithCode(0);
        return;
    }
    videoStarted = true;

    EarlyInitHook();
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

    if (!commandLineParsed)
        ParseCommandLine();
    if (exitCode >= 0 || isShutdown)
        return;
    if (screenSaverMode)
        onlyOneInstance = false;

    std::string folder = changeDirTo.empty() ? programFolder : changeDirTo;
    if (!ChangeDirHook(folder) && !folder.empty())
    {
        std::error_code error;
        std::filesystem::current_path(folder, error);
    }
    (void)AddPakFile("main.pak");

    if (onlyOneInstance)
    {
        instanceLock = std::make_unique<Platform::InstanceLock>();
        if (!instanceLock->Acquire(productName + "Mutex", dataFolder))
        {
            HandleSecondInstance();
            if (exitCode >= 0)
                return;
        }
    }

    uint32_t seed = Clock::GetTickCount();
    random.Seed(seed);
    std::srand(seed);
    if (playingDemo)
    {
        if (!ReadDemoFile())
            return;
        random.Seed(demoSeed);
        std::srand(demoSeed);
        savedMusicVolume = musicVolume;
        savedSfxVolume = sfxVolume;
        StartDemoClock();
    }
    else if (recordingDemo)
    {
        demoSeed = seed;
        demoWriter.Clear();
        StartDemoClock();
    }

    window = std::make_unique<Platform::Window>();
    CursorArt hand = CursorArt::Hand();
    CursorArt dragging = CursorArt::Dragging();
    window->SetBuiltInCursor(Platform::CursorShape::Hand, hand.rows, hand.hotX, hand.hotY);
    window->SetBuiltInCursor(Platform::CursorShape::Dragging, dragging.rows, dragging.hotX, dragging.hotY);
    PreMakeWindow();
    screenImage->CreateScreen(width, height);
    widgetManager->screenImage = screenImage.get();
    widgetManager->ResizeDisplay({0, 0, width, height}, {0, 0, width, height});

    Platform::IntRect work = Platform::Window::GetWorkArea();
    if (windowed && (width >= work.width || height >= work.height))
    {
        windowed = false;
        forceFullScreen = true;
    }
    if (playingDemo)
    {
        DemoEvent video;
        if (TakeDemoRecord(DEMO_VIDEO_DATA, video))
        {
            demoHasVideoData = true;
            demoWindowed = video.flag;
            demoRefreshRate = video.refreshRate;
        }
    }
    MakeWindow();
    if (exitCode >= 0 || isShutdown)
        return;
    if (playingDemo && demoHasVideoData)
    {
        windowed = demoWindowed;
        if (demoRefreshRate > 0)
            refreshRate = demoRefreshRate;
    }
    if (recordingDemo)
    {
        DemoEvent video;
        video.code = DEMO_VIDEO_DATA;
        video.flag = windowed;
        video.refreshRate = refreshRate;
        RecordEvent(video);
    }

    // Sound: one output device and its mixer, shared by the effects and the music. Without a
    // device (or with sound switched off) both managers stay silent.
    audioOutput = std::make_unique<AudioOutput>();
    if (!noSound && audioOutput->Open())
        mixer = audioOutput->GetMixer();
    soundManager.reset(CreateSoundManager());
    SetSfxVolume(sfxVolume);
    musicInterface.reset(CreateMusicInterface());
    SetMusicVolume(musicVolume);
    if (screenSaverMode)
        SetCursor(11);

    InitHook();
    initialized = true;
}

void VeskAppBase::StartDemoClock()
{
    // Recording and playback both start the game's time at the same value and move it one
    // frame per update, so the played-back run sees the recorded times.
    if (Clock::HasSimulatedWaits())
        Clock::UseVirtualClock();
    else
    {
        Clock::UseFrameDrivenTime();
        switchedClock = true;
    }
    // The draw pacing counts on the loop clock, which may have started again.
    lastPresentTime = nextAllowedPresent = lastStatisticsTime = Clock::LoopNow();
}

void VeskAppBase::Start()
{
    if (isShutdown)
        return;
    StartRunning();
    MainLoop();
    FinishRunning();
}

void VeskAppBase::StartRunning()
{
    if (autoStartLoadingThread)
        StartLoadingThread();
    if (window)
    {
        window->Show(true);
        window->SetTimer(static_cast<uint32_t>(frameTime));
    }
    ResetTiming();
    runStartTime = Clock::RealNow();
    mainLoopRunning = true;
}

void VeskAppBase::FinishRunning()
{
    mainLoopRunning = false;
    ProcessSafeDeleteList();
    while (loadingThreadStarted && !loadingThreadDone)
        Clock::RealSleep(20);
    if (loadingThread.joinable())
        loadingThread.join();

    double seconds = (Clock::RealNow() - runStartTime) / 1000.0;
    DebugOutput("Seconds       = %g\r\n", seconds);
    DebugOutput("Sleep Count   = %d\r\n", sleepCount);
    DebugOutput("Update Count  = %d\r\n", updateCount);
    DebugOutput("Draw Count    = %d\r\n", drawCount);
    DebugOutput("Draw Time     = %d\r\n", drawTimeTotal);
    DebugOutput("Screen Blt    = %d\r\n", presentTimeTotal);
    if (drawTimeTotal + presentTimeTotal > 0)
        DebugOutput("Avg FPS       = %d\r\n", drawCount * 1000 / (drawTimeTotal + presentTimeTotal));
    MainLoopEnded();
    WriteToRegistry();
}

void VeskAppBase::Shutdown()
{
    if (mainThreadId != std::thread::id() && std::this_thread::get_id() != mainThreadId)
    {
        shutdownRequested = true;
        return;
    }
    if (isShutdown)
        return;
    updateAppPaused = true;
    isShutdown = true;
    PreTerminate();
    if (playingDemo)
    {
        musicVolume = savedMusicVolume;
        sfxVolume = savedSfxVolume;
    }
    if (musicInterface)
        musicInterface->StopAllMusic();
    if (window)
        window->Hide();
    if (readRegistry)
        WriteToRegistry();
}

void VeskAppBase::ExitWithCode(int code)
{
    exitCode = code;
    if (exitHandler)
    {
        exitHandler(code);
        isShutdown = true;
        updateAppPaused = true;
        return;
    }
    std::exit(code);
}

void VeskAppBase::HandleSecondInstance()
{
    if (!onlyOneInstance)
        return;
    // The first copy keeps running; asking it to come to the front is not worth a channel of
    // its own here, so this copy only leaves.
    ExitWithCode(0);
}

void VeskAppBase::HandleNotifyMessage(uint64_t wParam)
{
    if (wParam == 0 && window)
        window->Restore();
}

void VeskAppBase::StartLoadingThread()
{
    if (loadingThreadStarted)
        return;
    loadingThreadThrottle = true;
    loadingThreadStarted = true;
    loadingThread = std::thread(
        [this]()
        {
            LoadingThreadProc();
            DebugOutput("Resource Loading Time: %d\r\n", static_cast<int>(Clock::RealNow() - constructionTime));
            loadingThreadDone = true;
        });
}

std::unique_ptr<DDImage> VeskAppBase::GetImage(const std::string& path, bool commitBits)
{
    std::unique_ptr<ImageData> data = ImageLib::GetImage(path);
    if (!data)
        return nullptr;
    auto image = std::make_unique<DDImage>(imageSet.get());
    image->filePath = path;
    image->SetBits(data->pixels.data(), data->width, data->height, commitBits);
    return image;
}

namespace
{

std::string UpperCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

SharedImageRef VeskAppBase::GetSharedImage(const std::string& fileName, const std::string& variant, bool& created)
{
    SharedImageRef reference;
    SharedImage* entry = nullptr;
    std::unique_lock<std::mutex> loading;
    {
        std::lock_guard guard(imageSet->Lock());
        auto [found, inserted] = sharedImages.try_emplace({UpperCase(fileName), UpperCase(variant)});
        if (inserted)
        {
            found->second = std::make_unique<SharedImage>();
            found->second->imageSet = imageSet.get();
            loading = std::unique_lock(found->second->loadLock);
        }
        entry = found->second.get();
        created = inserted;
        // Counted under the lock, so a sweep can never take the entry from under us.
        reference = entry;
    }
    if (!created)
    {
        // Another thread may still be loading the picture: wait for it.
        std::lock_guard wait(entry->loadLock);
        return reference;
    }

    // Loading may take a while; the map stays free for other users meanwhile.
    std::unique_ptr<MemoryImage> image;
    if (!fileName.empty() && fileName[0] == '!')
        image = std::make_unique<DDImage>(imageSet.get());
    else
        image = GetImage(fileName, false);
    std::lock_guard guard(imageSet->Lock());
    entry->image = std::move(image);
    loading.unlock();
    if (entry->image)
        return reference;
    // Nothing to share: the entry goes at once unless another user already holds it (the
    // sweep takes it then), so that a later request tries the file again.
    reference.Release();
    auto found = sharedImages.find({UpperCase(fileName), UpperCase(variant)});
    if (found != sharedImages.end() && found->second.get() == entry && entry->refCount == 0)
        sharedImages.erase(found);
    return SharedImageRef();
}

size_t VeskAppBase::GetSharedImageCount() const
{
    std::lock_guard guard(imageSet->Lock());
    return sharedImages.size();
}

void VeskAppBase::SweepSharedImages()
{
    std::lock_guard guard(imageSet->Lock());
    if (!imageSet->TakeChanged())
        return;
    for (auto it = sharedImages.begin(); it != sharedImages.end();)
    {
        if (it->second->refCount == 0)
            it = sharedImages.erase(it);
        else
            ++it;
    }
}

void VeskAppBase::DeleteSharedImages()
{
    std::lock_guard guard(imageSet->Lock());
    sharedImages.clear();
}

double VeskAppBase::GetLoadingThreadProgress()
{
    if (loadingThreadCompleted)
        return 1.0;
    int total = loadingProgressTotal;
    if (!loadingThreadStarted || total == 0)
        return 0.0;
    return std::min(static_cast<double>(loadingProgressCurrent) / total, 1.0);
}

// ---------------------------------------------------------------------------------------
// The main loop

void VeskAppBase::MainLoop()
{
    while (!isShutdown)
    {
        updateAppPaused = false;
        UpdateApp();
    }
}

bool VeskAppBase::UpdateApp()
{
    bool updated = false;
    do
    {
        if (!UpdateAppStep(updated))
            return false;
    } while (!updated);
    return true;
}

bool VeskAppBase::UpdateAppStep(bool& updated)
{
    updated = false;
    if (updateAppPaused)
        return false;
    if (updateState == 3)
        updateState = 0;
    DepthGuard depth(updateNestingDepth);

    if (updateState == 0)
    {
        Platform::WindowMessage message;
        while (!isShutdown && window && window->PollMessage(message))
            WindowProc(message);
        if (playingDemo)
            ReplayDueDemoEvents();
        if (!ProcessDeferredMessages())
            updateState = 1;
        return true;
    }

    int before = updateCount;
    Process(true);
    updated = updateCount != before;
    return true;
}

void VeskAppBase::ResetTiming()
{
    timeAccumulator = 0;
    lastTime = Clock::LoopNow();
    lastTimeSet = true;
}

bool VeskAppBase::Process(bool allowSleep)
{
    if (shutdownRequested.exchange(false))
        Shutdown();

    bool smooth = !playingDemo && vsyncLockedUpdates && !lastDrawFailed && !vsyncBroken && !physicallyWindowed;
    double target = 0;
    double share = 1.0;
    int rate = std::max(refreshRate, 1);
    if (smooth)
    {
        target = 1000.0 / rate / updateSpeed;
        share = static_cast<float>(1000.0 / (frameTime * rate));
    }
    else
        target = frameTime / std::max(updateSpeed, 0.0001);

    if (playingDemo && DemoJumping())
    {
        ProcessDemoJump();
        ProcessSafeDeleteList();
        return true;
    }

    if ((playingDemo && (demoPaused || IsDemoDialogOpen())) || updateSpeed <= 0)
    {
        // Nothing runs; wait a frame instead of spinning. The window's messages are still taken
        // (the next step pumps them), so that the playback can be resumed, and what changed on
        // screen (a playback dialog, the overlay) is still drawn.
        updateState = 3;
        if (!allowSleep)
            return false;
        if (playingDemo)
            DrawDirtyStuff();
        Clock::LoopSleep(static_cast<uint32_t>(frameTime));
        ProcessSafeDeleteList();
        return true;
    }

    uint32_t now = Clock::LoopNow();
    uint32_t sleptMs = 0;
    if (!smooth)
    {
        if (!lastTimeSet)
        {
            lastTime = now;
            lastTimeSet = true;
        }
        else
        {
            timeAccumulator = std::min(timeAccumulator + static_cast<double>(now - lastTime), 200.0);
            lastTime = now;
        }
    }

    bool drawStep = false;
    if (updateState == 1)
    {
        ++consecutiveUpdates;
        if (consecutiveUpdates >= static_cast<int>(std::ceil(updateSpeed * 10)) && loadingThreadCompleted)
            drawStep = true;
        else
        {
            bool due = smooth ? (!updatedSinceDraw || static_cast<int>(target * 0.75) <= timeAccumulator)
                              : target <= timeAccumulator;
            if (!due)
                drawStep = true;
            else
            {
                if (!playingDemo && updateSpeed == 1.0)
                {
                    int interval = (frameTime + 999) / frameTime;
                    if (++vsyncCheckUpdates >= interval)
                    {
                        vsyncCheckUpdates = 0;
                        if (vsyncCheckStarted)
                        {
                            if (now - lastVSyncCheckTime <= 800)
                            {
                                if (++vsyncStrikes >= 3)
                                    vsyncBroken = true;
                            }
                            else
                                vsyncStrikes = 0;
                        }
                        vsyncCheckStarted = true;
                        lastVSyncCheckTime = now;
                    }
                }
                if (DoUpdateFrames())
                {
                    updateState = 2;
                    updatedSinceDraw = true;
                }
                else
                {
                    // Nothing may run now (idle pause, waiting for the loading thread, the end of a
                    // demo): the owed time is dropped and the loop waits a frame.
                    timeAccumulator = 0;
                    drawStep = true;
                    if (Clock::HasSimulatedWaits() && loadingThreadStarted && !loadingThreadDone)
                        Clock::RealSleep(1);
                }
            }
        }
    }
    else if (updateState == 2)
    {
        updateState = 3;
        updateFractionAccumulator += share - 1.0;
        ProcessSafeDeleteList();
        while (updateFractionAccumulator >= 1.0)
        {
            if (playingDemo)
                ReplayDueDemoEvents();
            ++consecutiveUpdates;
            if (!DoUpdateFrames())
            {
                updateFractionAccumulator = 0;
                break;
            }
            ProcessSafeDeleteList();
            updateFractionAccumulator -= 1.0;
        }
        DoUpdateFramesF(static_cast<float>(share));
        ProcessSafeDeleteList();
        timeAccumulator -= target;
        if (smooth)
            timeAccumulator = std::max(timeAccumulator - 0.2, 0.0);
    }
    else
        drawStep = true;

    if (drawStep)
    {
        updateState = 3;
        consecutiveUpdates = 0;
        if (updatedSinceDraw)
            DrawDirtyStuff();
        else
        {
            int ms = static_cast<int>(target - timeAccumulator);
            if (ms > 0)
            {
                if (!allowSleep)
                    return false;
                ++sleepCount;
                Clock::LoopSleep(static_cast<uint32_t>(ms));
                sleptMs = static_cast<uint32_t>(ms);
            }
        }
    }

    if (loadingThreadThrottle)
    {
        int busy = static_cast<int>(Clock::LoopNow() - sleptMs - now);
        int ms = std::min(2 * busy - static_cast<int>(sleptMs), 250);
        if (ms >= 0)
        {
            if (!allowSleep)
                return false;
            Clock::LoopSleep(static_cast<uint32_t>(ms));
        }
    }

    ProcessSafeDeleteList();
    return true;
}

void VeskAppBase::UpdateFrames()
{
    ++updateCount;
    Clock::AdvanceFrame(static_cast<uint32_t>(frameTime));
    if (!minimized && widgetManager->TickFrame())
        ++changedUpdateCount;
    if (musicInterface)
        musicInterface->Update();
    SweepSharedImages();
}

bool VeskAppBase::DoUpdateFrames()
{
    if (idlePaused)
        return false;
    if (playingDemo && updateCount >= demoTotalUpdates)
        return false;

    if (loadingThreadStarted && loadingThreadDone && !loadingThreadCompleted)
    {
        bool complete = true;
        if (playingDemo)
        {
            complete = false;
            DemoEvent event;
            if (demoReader.PeekCode() == DEMO_LOADING_COMPLETE && demoReader.GetNextDue() <= updateCount)
                complete = demoReader.Next(event);
        }
        if (complete)
        {
            loadingThreadCompleted = true;
            loadingThreadThrottle = false;
            if (recordingDemo)
            {
                DemoEvent event;
                event.code = DEMO_LOADING_COMPLETE;
                RecordEvent(event);
            }
            LoadingThreadCompleted();
        }
    }
    // A recording whose loading had finished by now waits for this run's loading.
    if (playingDemo && !loadingThreadCompleted && demoReader.PeekCode() == DEMO_LOADING_COMPLETE &&
        demoReader.GetNextDue() <= updateCount)
        return false;

    UpdateFrames();
    return true;
}

void VeskAppBase::DoUpdateFramesF(float fraction)
{
    bool smooth = !playingDemo && vsyncLockedUpdates && !lastDrawFailed && !vsyncBroken && !physicallyWindowed;
    if (smooth && !minimized)
        widgetManager->TickFrameSmooth(fraction);
}

void VeskAppBase::ProcessSafeDeleteList()
{
    std::vector<Widget*> doomed;
    std::vector<std::pair<int, Widget*>> kept;
    for (const auto& [depth, widget] : safeDeleteList)
    {
        if (depth >= updateNestingDepth)
        {
            if (std::find(doomed.begin(), doomed.end(), widget) == doomed.end())
                doomed.push_back(widget);
        }
        else
            kept.push_back({depth, widget});
    }
    if (doomed.empty())
        return;
    safeDeleteList = std::move(kept);
    for (Widget* widget : doomed)
    {
        if (widget->parent != nullptr)
            widget->parent->RemoveChild(widget);
        delete widget;
    }
}

void VeskAppBase::SafeDeleteWidget(Widget* widget)
{
    if (widget == nullptr)
        return;
    for (const auto& entry : safeDeleteList)
    {
        if (entry.second == widget)
            return;
    }
    safeDeleteList.push_back({updateNestingDepth, widget});
}

// ---------------------------------------------------------------------------------------
// Drawing

void VeskAppBase::UpdateIdlePause(uint32_t now)
{
    if (!physicallyWindowed || screenSaverMode || idleLimitSeconds <= 0)
    {
        if (idlePaused)
        {
            idlePaused = false;
            widgetManager->InvalidateAll();
        }
        return;
    }
    uint32_t limit = static_cast<uint32_t>(std::max(idleLimitSeconds - 2, 1)) * 1000u;
    bool idle = now - lastInputTime > limit;
    if (!idlePaused && idle)
        idlePaused = true;
    else if (idlePaused && !idle)
    {
        idlePaused = false;
        widgetManager->InvalidateAll();
    }
}

bool VeskAppBase::DrawDirtyStuff()
{
    if (displayLost)
    {
        Redraw(nullptr);
        return false;
    }
    uint32_t now = Clock::LoopNow();
    bool overlayChanged = false;
    if (showOverlay)
    {
        if (!debugOverlay)
            debugOverlay = std::make_unique<DebugOverlay>();
        char mainText[32];
        if (overlayMode == 0)
            std::snprintf(mainText, sizeof(mainText), "FPS: %d", framesPerSecond);
        else
            std::snprintf(mainText, sizeof(mainText), "%d,%d", cursorX, cursorY);
        char timeText[48] = "";
        if (playingDemo)
        {
            long long seconds = static_cast<long long>(updateCount) * frameTime / 1000;
            std::snprintf(timeText, sizeof(timeText), "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                          seconds % 60);
        }
        overlayChanged = debugOverlay->Prepare(mainText, timeText);
    }
    if (now - lastStatisticsTime >= 1000)
    {
        framesPerSecond = framesThisSecond;
        framesThisSecond = 0;
        lastStatisticsTime = now;
        UpdateIdlePause(now);
    }
    if (idlePaused || minimized)
    {
        updatedSinceDraw = false;
        lastDrawFailed = true;
        return false;
    }

    uint32_t paintStart = Clock::RealNow();
    insideDraw = true;
    bool painted = widgetManager->PaintScreen();
    insideDraw = false;
    drawTimeTotal += static_cast<int>(Clock::RealNow() - paintStart);

    bool wanted = painted || now - lastPresentTime >= 1000 || forcePresent || overlayChanged;
    if (!wanted || static_cast<int32_t>(now - nextAllowedPresent) < 0)
    {
        lastDrawFailed = true;
        updatedSinceDraw = false;
        return false;
    }

    ++drawCount;
    ++framesThisSecond;
    lastDrawFailed = false;
    if (physicallyWindowed && waitForVSync && window && !window->HasVSync() && !Clock::HasSimulatedWaits())
    {
        uint32_t period = 1000u / static_cast<uint32_t>(std::max(refreshRate, 1));
        uint32_t since = Clock::LoopNow() - lastPresentTime;
        if (since < period)
            Clock::LoopSleep(period - since);
    }
    uint32_t presentStart = Clock::LoopNow();
    lastPresentTime = presentStart;
    // The overlay goes onto the presented frame only: what it covers is put back right after.
    uint32_t* screenBits = showOverlay && debugOverlay && screenImage ? screenImage->GetBits() : nullptr;
    if (screenBits != nullptr)
        debugOverlay->Draw(screenBits, screenImage->GetWidth(), screenImage->GetHeight());
    Redraw(nullptr);
    if (screenBits != nullptr)
        debugOverlay->Restore(screenBits, screenImage->GetWidth(), screenImage->GetHeight());
    uint32_t after = Clock::LoopNow();
    presentTimeTotal += static_cast<int>(after - presentStart);
    if (lastTimeSet)
    {
        timeAccumulator = std::min(timeAccumulator + static_cast<double>(after - lastTime), 200.0);
        lastTime = after;
    }
    if (loadingThreadStarted && !loadingThreadDone)
    {
        nextAllowedPresent += std::max<uint32_t>(after - presentStart, 15) + 35;
        if (static_cast<int32_t>(nextAllowedPresent - after) < 0)
            nextAllowedPresent = after;
    }
    else
        nextAllowedPresent = after;
    updatedSinceDraw = false;
    forcePresent = false;
    return true;
}

void VeskAppBase::Redraw(const void* rect)
{
    if (insideDraw || isShutdown || idlePaused)
        return;
    ++redrawCount;
    Platform::SoftwareCursor cursor;
    const Platform::SoftwareCursor* drawnCursor = nullptr;
    if (softwareCursorShown && cursorNumber >= 0 && cursorNumber < static_cast<int>(cursorImages.size()))
    {
        const CustomCursor& custom = cursorImages[static_cast<size_t>(cursorNumber)];
        if (auto* picture = dynamic_cast<MemoryImage*>(custom.image); picture != nullptr && picture->GetBits())
        {
            cursor.pixels = picture->GetBits();
            cursor.width = picture->GetWidth();
            cursor.height = picture->GetHeight();
            cursor.x = cursorX - custom.hotX;
            cursor.y = cursorY - custom.hotY;
            drawnCursor = &cursor;
        }
    }
    if (window && screenImage && screenImage->GetBits() != nullptr &&
        window->Present(screenImage->GetBits(), screenImage->GetWidth(), screenImage->GetHeight(), drawnCursor))
    {
        displayLost = false;
        return;
    }

    displayLost = true;
    uint32_t now = Clock::LoopNow();
    bool attempt = (hasFocus || (physicallyWindowed && now - lastRedrawAttempt >= 1000)) && !minimized;
    if (!attempt || !window)
        return;
    lastRedrawAttempt = now;

    Platform::IntRect desktop = Platform::Window::GetWorkArea();
    if ((width >= desktop.width || height >= desktop.height) && windowed)
    {
        if (!forceWindowed)
        {
            forceFullScreen = true;
            SwitchScreenMode(false);
        }
        else
        {
            Popup(GetString("PLEASE_SET_COLOR_DEPTH", "Please set your desktop color depth to 16 bit."));
            Shutdown();
        }
        return;
    }
    int result = InitDisplay();
    if (result == Platform::RESULT_INVALID_COLORDEPTH && windowed)
    {
        if (hasFocus)
        {
            forceFullScreen = true;
            SwitchScreenMode(false);
        }
    }
    else if (result == Platform::RESULT_3D_FAIL)
        is3DAccelerated = false;
    else if (result == Platform::RESULT_OK)
    {
        ReInitImages();
        widgetManager->screenImage = screenImage.get();
        widgetManager->InvalidateAll();
    }
}

// ---------------------------------------------------------------------------------------
// Window and display

void VeskAppBase::PlaceWindow(int workX, int workY, int workWidth, int workHeight, int outerWidth, int outerHeight,
                              int preferredX, int preferredY, int& x, int& y)
{
    if (preferredX == -1 && preferredY == -1)
    {
        x = workX + (workWidth - outerWidth) / 2;
        y = workY + static_cast<int>((workHeight - outerHeight) * 0.382);
        return;
    }
    x = std::max(preferredX, workX + 4);
    y = std::max(preferredY, workY + 4);
    x = std::min(x, workX + workWidth - 4 - outerWidth);
    y = std::min(y, workY + workHeight - 4 - outerHeight);
}

int VeskAppBase::InitDisplay()
{
    PreDisplayHook();
    DeleteNativeImageData();
    Platform::WindowRequest request;
    request.title = title;
    request.width = width;
    request.height = height;
    request.windowed = windowed || playingDemo;
    request.linearFiltering = is3DAccelerated;
    // A run on the virtual clock never waits, not even for the display.
    request.vsync = !Clock::HasSimulatedWaits();
    Platform::IntRect work = Platform::Window::GetWorkArea();
    PlaceWindow(work.x, work.y, work.width, work.height, width, height, preferredX, preferredY, request.x, request.y);
    int result = window->Create(request);
    PostDisplayHook();
    if (result != Platform::RESULT_OK)
        return result;

    physicallyWindowed = request.windowed;
    if (physicallyWindowed)
    {
        Platform::IntRect borders = window->GetBorders();
        int x = 0;
        int y = 0;
        PlaceWindow(work.x, work.y, work.width, work.height, width + borders.x + borders.width,
                    height + borders.y + borders.height, preferredX, preferredY, x, y);
        window->SetPosition(x, y);
    }
    Platform::IntRect picture = window->GetPictureRect();
    widgetManager->ResizeDisplay({0, 0, width, height}, {picture.x, picture.y, picture.width, picture.height});

    int rate = Platform::Window::GetRefreshRate();
    if (rate < 60 || rate > 100)
    {
        refreshRate = 60;
        vsyncBroken = true;
    }
    else
        refreshRate = rate;

    if (!displayInitialised)
    {
        displayInitialised = true;
        if ((autoEnable3D || test3D) && !playingDemo)
        {
            RunHardwareTest();
            if (autoEnable3D && Is3DAccelerationRecommended())
                is3DAccelerated = true;
            if (!hardwareFailureReason.empty())
                is3DAccelerated = false;
            if (hardwareTestFresh && (!hardwareFailureReason.empty() || !hardwareWarning.empty()))
                is3DAccelerated = false;
            if (hardwareTestFresh)
                RegistryEraseValue("Is3D");
        }
    }
    window->SetLinearFiltering(is3DAccelerated);
    return Platform::RESULT_OK;
}

void VeskAppBase::RunHardwareTest()
{
    // The display's identity: its renderer, standing in for a device identifier.
    std::string renderer = window ? window->GetRendererName() : std::string();
    std::vector<uint8_t> identity(16, 0);
    uint64_t hash = 1469598103934665603ull;
    for (char c : renderer)
        hash = (hash ^ static_cast<uint8_t>(c)) * 1099511628211ull;
    for (int i = 0; i < 8; ++i)
        identity[static_cast<size_t>(i)] = static_cast<uint8_t>(hash >> (8 * i));
    identity[8] = window && window->IsAccelerated() ? 1 : 0;

    int cachedVersion = 0;
    int cachedMin = 0;
    int cachedRecommended = 0;
    uint32_t type = 0;
    std::vector<uint8_t> cachedIdentity;
    std::string failure;
    std::string warning;
    if (RegistryReadInteger("Test3D\\Version", cachedVersion) && cachedVersion == 2 &&
        RegistryReadInteger("Test3D\\MinVidMemory", cachedMin) && cachedMin == minVideoMemory &&
        RegistryReadInteger("Test3D\\RecVidMemory", cachedRecommended) && cachedRecommended == recommendedVideoMemory &&
        RegistryRead("Test3D\\DisplayGUID", type, cachedIdentity) && cachedIdentity == identity &&
        RegistryReadString("Test3D\\FailureReason", failure) && RegistryReadString("Test3D\\Warning", warning))
    {
        hardwareFailureReason = failure;
        hardwareWarning = warning;
        hardwareTestRan = true;
        hardwareTestFresh = false;
        return;
    }

    hardwareFailureReason = window && window->IsAccelerated() ? "" : "No accelerated renderer.";
    hardwareWarning.clear();
    hardwareTestRan = true;
    hardwareTestFresh = true;
    RegistryWriteInteger("Test3D\\Version", 2);
    RegistryWriteInteger("Test3D\\MinVidMemory", minVideoMemory);
    RegistryWriteInteger("Test3D\\RecVidMemory", recommendedVideoMemory);
    RegistryWrite("Test3D\\DisplayGUID", 3, identity.data(), static_cast<uint32_t>(identity.size()));
    RegistryWriteString("Test3D\\FailureReason", hardwareFailureReason);
    RegistryWriteString("Test3D\\Warning", hardwareWarning);
}

void VeskAppBase::MakeWindow()
{
    DemoSuspension suspension(demoSuspended);
    if (!window)
        window = std::make_unique<Platform::Window>();
    if (!displayInitialised)
    {
        bool stored = false;
        if (RegistryReadBoolean("Is3D", stored))
        {
            is3DAccelerated = stored;
            if (autoEnable3D)
            {
                autoEnable3D = false;
                test3D = true;
            }
            if (stored)
                test3D = true;
        }
    }

    bool asWindow = windowed || playingDemo;
    int result = InitDisplay();
    if (result == Platform::RESULT_INVALID_COLORDEPTH && asWindow)
    {
        if (forceWindowed)
        {
            Popup(GetString("PLEASE_SET_COLOR_DEPTH", "Please set your desktop color depth to 16 bit."));
            ExitWithCode(1);
            return;
        }
        forceFullScreen = true;
        SwitchScreenMode(false);
        return;
    }
    if (!asWindow && (result == Platform::RESULT_EXCLUSIVE_FAIL || result == Platform::RESULT_DISPCHANGE_FAIL))
    {
        forceWindowed = true;
        SwitchScreenMode(true);
        return;
    }
    if (result == Platform::RESULT_3D_FAIL)
    {
        Set3DAcceleration(false, true);
        return;
    }
    if (result != Platform::RESULT_OK)
    {
        if (is3DAccelerated)
        {
            is3DAccelerated = false;
            MakeWindow();
            return;
        }
        Popup(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") + ResultName(result) + " " +
              window->GetErrorText());
        ExitWithCode(1);
        return;
    }

    if (minimized)
    {
        minimized = false;
        if (muteOnLostFocus)
            Unmute(true);
    }
    RehupFocus();
    ReInitImages();
    widgetManager->screenImage = screenImage.get();
    widgetManager->InvalidateAll();
    window->SetTimer(static_cast<uint32_t>(frameTime));
}

void VeskAppBase::Set3DAcceleration(bool is3D, bool reinit)
{
    DemoSuspension suspension(demoSuspended);
    if (is3DAccelerated == is3D)
        return;
    changed3DSetting = true;
    is3DAccelerated = is3D;
    if (!reinit || !window)
        return;
    int result = InitDisplay();
    if (result != Platform::RESULT_OK)
    {
        if (is3D)
        {
            Set3DAcceleration(false, reinit);
            return;
        }
        Popup(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") + ResultName(result) + " " +
              window->GetErrorText());
        ExitWithCode(1);
        return;
    }
    ReInitImages();
    widgetManager->screenImage = screenImage.get();
    widgetManager->InvalidateAll();
}

void VeskAppBase::SwitchScreenMode(bool wantWindowed, bool is3D, bool force)
{
    if (forceFullScreen)
        wantWindowed = false;
    if (wantWindowed == windowed && !force)
    {
        Set3DAcceleration(is3D, true);
        return;
    }
    Set3DAcceleration(is3D, false);
    windowed = wantWindowed;
    MakeWindow();
    if (exitCode >= 0 || !window)
        return;
    window->Show(!openingURL);
    if (soundManager)
        soundManager->SetCooperativeWindow(window.get(), windowed);
    ResetTiming();
}

void VeskAppBase::SwitchScreenMode(bool wantWindowed)
{
    SwitchScreenMode(wantWindowed, is3DAccelerated, false);
}

void VeskAppBase::SwitchScreenMode()
{
    SwitchScreenMode(windowed, is3DAccelerated, true);
}

void VeskAppBase::SetAlphaDisabled(bool disabled)
{
    if (alphaDisabled == disabled)
        return;
    alphaDisabled = disabled;
    widgetManager->screenImage = screenImage.get();
    widgetManager->InvalidateAll();
}

void VeskAppBase::HideApp()
{
    if (musicInterface)
        musicInterface->SetVolume(0);
    if (window)
        window->Hide();
    hidden = true;
    EnforceCursor();
}

void VeskAppBase::AskHardwareAccelerationQuestions()
{
    DemoSuspension suspension(demoSuspended);
    std::string caption =
        productName + " " + GetString("HARDWARE_ACCEL_CONFIRMATION", "Hardware Acceleration Confirmation");
    bool askSecond = true;
    if (changed3DSetting)
    {
        bool stored = false;
        if (RegistryReadBoolean("Is3D", stored) || Is3DAccelerationRecommended())
            RegistryWriteBoolean("Is3D", is3DAccelerated);
        else if (is3DAccelerated)
        {
            int answer = MsgBox(GetString("HARDWARE_ACCEL_SWITCHED_ON",
                                          "Hardware Acceleration was switched on during this session.\r\n"
                                          "If this resulted in slower performance, it should be switched off.\r\n"
                                          "Would you like to keep Hardware Acceleration switched on?"),
                                caption, Platform::MB_YESNO | Platform::MB_ICONQUESTION);
            is3DAccelerated = answer == Platform::IDYES;
            if (is3DAccelerated)
                RegistryWriteBoolean("Is3D", true);
            askSecond = false;
        }
    }
    if (askSecond && failed3DFrame && !screenSaverMode)
    {
        int answer =
            MsgBox(GetString("HARDWARE_ACCEL_NOT_WORKING",
                             "Hardware Acceleration may not have been working correctly during this session.\r\n"
                             "If you noticed graphics problems, you may want to turn off Hardware "
                             "Acceleration.\r\n"
                             "Would you like to keep Hardware Acceleration switched on?"),
                   caption, Platform::MB_YESNO | Platform::MB_ICONQUESTION);
        if (answer == Platform::IDNO)
            RegistryWriteBoolean("Is3D", false);
    }
}

// ---------------------------------------------------------------------------------------
// Sound

void VeskAppBase::ApplyVolumes()
{
    if (musicInterface)
        musicInterface->SetVolume(IsMuted() ? 0.0 : musicVolume);
    if (soundManager)
        soundManager->SetVolume(IsMuted() ? 0.0 : sfxVolume);
}

MusicInterface* VeskAppBase::CreateMusicInterface()
{
    if (!mixer)
        return new MusicInterface();
    return new StreamingMusicInterface(mixer);
}

SoundManager* VeskAppBase::CreateSoundManager()
{
    auto manager = std::make_unique<MixerSoundManager>(mixer, GetAppDataFolder());
    manager->SetMp3Enabled(useFMod);
    manager->SetClock([] { return static_cast<uint64_t>(Platform::Clock::GetTickCount()); });
    return manager.release();
}

void VeskAppBase::PlaySample(int soundId, int pan)
{
    if (!soundManager)
        return;
    SoundInstance* instance = soundManager->GetSoundInstance(soundId);
    if (instance == nullptr)
        return;
    instance->SetPan(pan);
    instance->Play(false, true);
}

void VeskAppBase::PlaySample(int soundId)
{
    if (!soundManager)
        return;
    SoundInstance* instance = soundManager->GetSoundInstance(soundId);
    if (instance != nullptr)
        instance->Play(false, true);
}

double VeskAppBase::GetMasterVolume()
{
    return soundManager ? soundManager->GetMasterVolume() : 1.0;
}

void VeskAppBase::SetMasterVolume(double volume)
{
    sfxVolume = volume;
    if (soundManager)
        soundManager->SetMasterVolume(volume);
}

void VeskAppBase::SetMusicVolume(double volume)
{
    musicVolume = volume;
    if (musicInterface)
        musicInterface->SetVolume(IsMuted() ? 0.0 : volume);
}

void VeskAppBase::SetSfxVolume(double volume)
{
    sfxVolume = volume;
    if (soundManager)
        soundManager->SetVolume(IsMuted() ? 0.0 : volume);
}

void VeskAppBase::Mute(bool autoMute)
{
    ++muteCount;
    if (autoMute)
        ++autoMuteCount;
    ApplyVolumes();
}

void VeskAppBase::Unmute(bool autoMute)
{
    if (muteCount > 0)
    {
        --muteCount;
        if (autoMute && autoMuteCount > 0)
            --autoMuteCount;
    }
    ApplyVolumes();
}

// ---------------------------------------------------------------------------------------
// Dialogs

Dialog* VeskAppBase::NewDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                               const std::string& footer, int buttonMode)
{
    return new Dialog(nullptr, nullptr, id, isModal, header, lines, footer, buttonMode);
}

Dialog* VeskAppBase::DoDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                              const std::string& footer, int buttonMode)
{
    KillDialog(id);
    Dialog* dialog = NewDialog(id, isModal, header, lines, footer, buttonMode);
    AddDialog(id, dialog);
    return dialog;
}

Dialog* VeskAppBase::GetDialog(int id)
{
    auto found = dialogMap.find(id);
    return found == dialogMap.end() ? nullptr : found->second;
}

void VeskAppBase::AddDialog(Dialog* dialog)
{
    if (dialog != nullptr)
        AddDialog(dialog->id, dialog);
}

void VeskAppBase::AddDialog(int id, Dialog* dialog)
{
    if (dialog == nullptr)
        return;
    KillDialog(id);
    if (dialog->width == 0)
    {
        int dialogWidth = width / 2;
        dialog->SetBounds((width - dialogWidth) / 2, height / 5, dialogWidth, dialog->GetPreferredHeight(dialogWidth));
    }
    dialogMap[id] = dialog;
    dialogList.push_back(dialog);
    widgetManager->AddChild(dialog);
    if (dialog->IsModal())
    {
        widgetManager->PushModal(dialog);
        ModalOpen();
    }
}

bool VeskAppBase::KillDialog(Dialog* dialog)
{
    for (const auto& [id, known] : dialogMap)
    {
        if (known == dialog)
            return KillDialog(id, true, true);
    }
    return false;
}

bool VeskAppBase::KillDialog(int id)
{
    return KillDialog(id, true, true);
}

bool VeskAppBase::KillDialog(int id, bool removeWidget, bool deleteWidget)
{
    auto found = dialogMap.find(id);
    if (found == dialogMap.end())
        return false;
    Dialog* dialog = found->second;
    dialogMap.erase(found);
    dialogList.erase(std::remove(dialogList.begin(), dialogList.end(), dialog), dialogList.end());
    if (removeWidget || deleteWidget)
        widgetManager->RemoveChild(dialog);
    if (dialog->IsModal())
    {
        ModalClose();
        widgetManager->PopModal(dialog);
    }
    if (deleteWidget)
        SafeDeleteWidget(dialog);
    return true;
}

void VeskAppBase::OnDialogButtonReleased(int dialogId, int buttonId)
{
    KillDialog(dialogId);
}

// ---------------------------------------------------------------------------------------
// Messages, web addresses, misc

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
    if (screenSaverMode)
    {
        LogScreenSaverError(text);
        return Platform::IDOK;
    }
    BeginPopup();
    int answer = Platform::ShowMessageBox(text, caption, flags);
    EndPopup();
    return answer;
}

int VeskAppBase::Popup(const std::string& text)
{
    if (isShutdown)
        return Platform::IDOK;
    return MsgBox(text, GetString("FATAL_ERROR", "FATAL ERROR"), Platform::MB_OK | Platform::MB_ICONERROR);
}

void VeskAppBase::BeginPopup()
{
    // A system box shows over the desktop full-screen window as it is; messages that arrive
    // meanwhile are not queued.
    inPopup = true;
}

void VeskAppBase::EndPopup()
{
    inPopup = false;
    ResetTiming();
    ClearKeyStates();
    if (widgetManager && (widgetManager->heldButtons != 0 || widgetManager->physicalButtons != 0))
    {
        widgetManager->ReleaseCapture();
        if (window)
            window->CaptureMouse(false);
        mouseCaptured = false;
        heldMouseButtons = 0;
    }
}

void VeskAppBase::ClearKeyStates()
{
    if (widgetManager)
        widgetManager->keyDown.fill(false);
    heldCtrl = false;
    heldAlt = false;
}

void VeskAppBase::LogScreenSaverError(const std::string& text)
{
    FILE* file = std::fopen("ScrError.txt", screenSaverLogStarted ? "ab" : "wb");
    screenSaverLogStarted = true;
    if (file == nullptr)
        return;
    std::time_t now = std::time(nullptr);
    char clock[32] = "";
    if (std::tm* local = std::localtime(&now))
        std::strftime(clock, sizeof(clock), "%H:%M:%S", local);
    std::fprintf(file, "%s %s %u\n", text.c_str(), clock, Clock::GetTickCount());
    std::fclose(file);
}

void VeskAppBase::URLOpenFailed(const std::string& url)
{
    openingURL = false;
}

void VeskAppBase::URLOpenSucceeded(const std::string& url)
{
    openingURL = false;
    if (shutdownAfterURL)
        Shutdown();
}

bool VeskAppBase::OpenURL(const std::string& url, bool shutdownAfter)
{
    if (openingURL && url == openingURLText)
        return true;
    openingURLText = url;
    shutdownAfterURL = shutdownAfter;
    urlOpenTime = Clock::LoopNow();
    urlWatchStart = 0;
    openingURL = true;
    if (Platform::OpenURL(url) < 33)
    {
        URLOpenFailed(url);
        return false;
    }
    return true;
}

std::string VeskAppBase::GetProductVersion(const std::string& path)
{
    return ORLO_VERSION;
}

std::string VeskAppBase::GetCrashInfo()
{
    std::time_t loaded = std::time(nullptr) - static_cast<std::time_t>((Clock::RealNow() - constructionTime) / 1000);
    char clock[32] = "";
    if (std::tm* local = std::localtime(&loaded))
        std::snprintf(clock, sizeof(clock), "%02d:%02d:%02d", local->tm_hour, local->tm_min, local->tm_sec);
    std::string info;
    info += "Product: " + productName + "\r\n";
    info += "Version: " + productVersion + "\r\n";
    info += std::string("Time Loaded: ") + clock + "\r\n";
    info += std::string("Fullscreen: ") + (windowed ? "No" : "Yes") + "\r\n";
    info += "Primary ThreadId: " + std::to_string(std::hash<std::thread::id>()(mainThreadId)) + "\r\n";
    return info;
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
    bool inDemo = demoSuspended == 0;
    DemoEvent recorded;
    if (playingDemo && inDemo && TakeDemoRecord(DEMO_REGISTRY_WRITE, recorded))
        return recorded.flag;
    bool success = false;
    if (!playingDemo || !inDemo)
    {
        auto settings = OpenSettings();
        if (settings && (type == 1 || type == 3 || type == 4))
        {
            std::vector<uint8_t> bytes(data, data + length);
            success = settings->Write(valueName, static_cast<Platform::SettingType>(type), bytes);
        }
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
    if (playingDemo && inDemo && TakeDemoRecord(DEMO_REGISTRY_READ, recorded))
    {
        if (!recorded.flag)
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

// ---------------------------------------------------------------------------------------
// Files

bool VeskAppBase::FileExists(const std::string& path)
{
    DemoEvent recorded;
    if (playingDemo && TakeDemoRecord(DEMO_FILE_EXISTS, recorded))
        return recorded.flag;
    bool exists = false;
    if (PFILE* file = p_fopen(path.c_str(), "rb"))
    {
        p_fclose(file);
        exists = true;
    }
    if (recordingDemo)
    {
        DemoEvent event;
        event.code = DEMO_FILE_EXISTS;
        event.flag = exists;
        RecordEvent(event);
    }
    return exists;
}

bool VeskAppBase::ReadBufferFromFile(const std::string& path, Buffer& buffer)
{
    DemoEvent recorded;
    if (playingDemo && TakeDemoRecord(DEMO_FILE_READ, recorded))
    {
        if (recorded.flag)
            buffer = Buffer(std::move(recorded.data));
        return recorded.flag;
    }
    bool success = false;
    std::vector<uint8_t> bytes;
    if (PFILE* file = p_fopen(path.c_str(), "rb"))
    {
        uint8_t chunk[65536];
        size_t got;
        while ((got = p_fread(chunk, 1, sizeof(chunk), file)) > 0)
            bytes.insert(bytes.end(), chunk, chunk + got);
        p_fclose(file);
        success = true;
    }
    if (recordingDemo)
    {
        DemoEvent event;
        event.code = DEMO_FILE_READ;
        event.flag = success;
        if (success)
            event.data = bytes;
        RecordEvent(event);
    }
    if (success)
        buffer = Buffer(std::move(bytes));
    return success;
}

bool VeskAppBase::WriteBufferToFile(const std::string& path, const Buffer& buffer)
{
    DemoEvent recorded;
    if (playingDemo && TakeDemoRecord(DEMO_FILE_WRITE, recorded))
        return recorded.flag;
    bool success = !playingDemo && Platform::WriteFileAtomically(path, buffer.GetData());
    if (recordingDemo)
    {
        DemoEvent event;
        event.code = DEMO_FILE_WRITE;
        event.flag = success;
        RecordEvent(event);
    }
    return success;
}

// ---------------------------------------------------------------------------------------
// Debugging aids

std::string VeskAppBase::TakeScreenshot()
{
    if (!screenImage || screenImage->GetBits() == nullptr)
        return std::string();
    std::filesystem::path folder = std::filesystem::path(dataFolder) / "_screenshots";
    if (!Platform::CreateFolders(folder))
        return std::string();
    int highest = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    {
        std::string name = entry.path().filename().string();
        int number = 0;
        char tail[8] = "";
        if (std::sscanf(name.c_str(), "image%d.%4s", &number, tail) == 2 && std::string(tail) == "png")
            highest = std::max(highest, number);
    }
    std::filesystem::path file = folder / ("image" + std::to_string(highest + 1) + ".png");
    if (!PngWriter::Write(file, screenImage->GetBits(), screenImage->GetWidth(), screenImage->GetHeight(), false))
        return std::string();
    return file.string();
}

bool VeskAppBase::DumpImages()
{
    if (!imageSet)
        return false;
    ImageDump dump(std::filesystem::path(dataFolder) / "_dump");
    // The set's lock is held throughout, so that no image leaves while it is written.
    std::lock_guard guard(imageSet->Lock());
    std::vector<MemoryImage*> images;
    imageSet->ForEach([&](MemoryImage& image) { images.push_back(&image); });
    // A stable order: by name, then by size.
    std::stable_sort(images.begin(), images.end(),
                     [](const MemoryImage* a, const MemoryImage* b)
                     {
                         if (a->filePath != b->filePath)
                             return a->filePath < b->filePath;
                         return int64_t(a->GetWidth()) * a->GetHeight() > int64_t(b->GetWidth()) * b->GetHeight();
                     });
    bool written = true;
    for (MemoryImage* image : images)
        written = dump.Add(*image) && written;
    return dump.Finish() && written;
}

} // namespace Vesk
