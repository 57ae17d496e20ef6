// The main loop: the fixed 10 ms update step, sleeping between frames, the safe-delete list.
#include "framework/appbase/VeskAppBase.h"
#include "framework/graphics/SharedImage.h"
#include "framework/platform/Clock.h"
#include "framework/platform/Window.h"
#include "framework/sound/MusicInterface.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cmath>

namespace Vesk
{

using Platform::Clock;

namespace
{

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
            // A moved software cursor is presented once a display refresh has passed since the
            // last present, without waiting for the next update.
            if (SoftwareCursorMoved() && !minimized && !idlePaused && !displayLost)
            {
                int due = static_cast<int>(lastPresentTime + 1000u / static_cast<uint32_t>(rate) - now);
                if (due <= 0)
                {
                    DrawDirtyStuff();
                    ms = 0;
                }
                else
                    ms = std::min(ms, due);
            }
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
    {
        // Nothing is drawn during the pause, so it ends here: on input, or when the limit is
        // gone or has grown past the idle time.
        UpdateIdlePause(Clock::LoopNow());
        if (idlePaused)
            return false;
    }
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

} // namespace Vesk
