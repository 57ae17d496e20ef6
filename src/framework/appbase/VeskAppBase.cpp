// The application object's lifecycle: construction, start-up, shutdown, the loading thread and shared images.
#include "framework/appbase/VeskAppBase.h"

#include "framework/appbase/AppResourceLoader.h"
#include "framework/appbase/CursorArt.h"
#include "framework/appbase/DebugOverlay.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageSet.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SharedImage.h"
#include "framework/platform/Clock.h"
#include "framework/platform/FileSystem.h"
#include "framework/platform/InstanceLock.h"
#include "framework/platform/MessageBox.h"
#include "framework/platform/Window.h"
#include "framework/resources/ImageData.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/PakInterface.h"
#include "framework/resources/ResourceManager.h"
#include "framework/sound/AudioOutput.h"
#include "framework/sound/Mixer.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
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
    // The loading thread uses the resources, sounds and music: it ends before any of them goes.
    // (Start always waits for it; this covers an application destroyed without running.)
    if (loadingThread.joinable())
        loadingThread.join();
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
    lastInputTime = Clock::LoopNow();
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
    const std::pair<std::string, std::string> key(UpperCase(fileName), UpperCase(variant));
    SharedImageRef reference;
    SharedImage* entry = nullptr;
    {
        std::lock_guard guard(imageSet->Lock());
        auto found = sharedImages.find(key);
        if (found != sharedImages.end())
        {
            entry = found->second.get();
            // Counted under the lock, so a sweep can never take the entry from under us.
            reference = entry;
        }
    }
    // A new entry enters the map already locked by its loader, so that its users wait for the
    // picture. An entry's lock is always taken before the display lock, never while holding it
    // (the loader takes the display lock again to register the picture).
    std::unique_lock<std::mutex> loading;
    created = false;
    if (entry == nullptr)
    {
        auto fresh = std::make_unique<SharedImage>();
        fresh->imageSet = imageSet.get();
        loading = std::unique_lock(fresh->loadLock);
        std::lock_guard guard(imageSet->Lock());
        auto [found, inserted] = sharedImages.try_emplace(key);
        if (inserted)
            found->second = std::move(fresh);
        else
            loading.unlock(); // another thread made the entry meanwhile
        entry = found->second.get();
        created = inserted;
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
    auto found = sharedImages.find(key);
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

} // namespace Vesk
