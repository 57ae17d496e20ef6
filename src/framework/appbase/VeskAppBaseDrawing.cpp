// Drawing: the idle pause, painting what changed and presenting the screen.
#include "framework/appbase/DebugOverlay.h"
#include "framework/appbase/VeskAppBase.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/platform/Clock.h"
#include "framework/platform/Window.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cstdio>

namespace Vesk
{

using Platform::Clock;

void VeskAppBase::UpdateIdlePause(uint32_t now)
{
    if (!idleLimitRead || now - lastIdleLimitRead >= 10000)
    {
        idleLimitSeconds = Platform::Window::GetScreenSaverTimeout();
        lastIdleLimitRead = now;
        idleLimitRead = true;
    }
    // A playback never pauses: its input comes from the recording, only when updates run.
    if (!physicallyWindowed || screenSaverMode || playingDemo || idleLimitSeconds <= 0)
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

    bool cursorMoved = SoftwareCursorMoved();
    bool wanted = painted || now - lastPresentTime >= 1000 || forcePresent || overlayChanged || cursorMoved;
    bool held = static_cast<int32_t>(now - nextAllowedPresent) < 0;
    // The pointer is not held to the loading pace: a cursor the game draws itself moves at the
    // display's rate.
    if (held && cursorMoved && now - lastPresentTime >= 1000u / static_cast<uint32_t>(std::max(refreshRate, 1)))
        held = false;
    if (!wanted || held)
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

bool VeskAppBase::SoftwareCursorMoved() const
{
    return softwareCursorShown && (cursorX != presentedCursorX || cursorY != presentedCursorY);
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
        presentedCursorX = cursorX;
        presentedCursorY = cursorY;
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

} // namespace Vesk
