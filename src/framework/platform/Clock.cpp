#include "framework/platform/Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace Vesk::Platform
{

namespace
{

const std::chrono::steady_clock::time_point clockStart = std::chrono::steady_clock::now();

// The loading thread reads the clock too, so the state is atomic.
std::atomic<bool> frameDriven{false};
std::atomic<bool> simulatedWaits{false};
std::atomic<uint32_t> frameTime{0};
std::atomic<uint32_t> loopTime{0};

} // namespace

uint32_t Clock::RealNow()
{
    auto elapsed = std::chrono::steady_clock::now() - clockStart;
    // Starts at 1000 so that a zero "last time" never looks recent.
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()) + 1000u;
}

void Clock::RealSleep(uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void Clock::UseRealClock()
{
    frameDriven = false;
    simulatedWaits = false;
}

void Clock::UseVirtualClock(uint32_t startMs)
{
    frameTime = startMs;
    loopTime = startMs;
    frameDriven = true;
    simulatedWaits = true;
}

void Clock::UseFrameDrivenTime(uint32_t startMs)
{
    frameTime = startMs;
    frameDriven = true;
    simulatedWaits = false;
}

bool Clock::IsFrameDriven()
{
    return frameDriven;
}

bool Clock::HasSimulatedWaits()
{
    return simulatedWaits;
}

uint32_t Clock::GetTickCount()
{
    return frameDriven ? frameTime.load() : RealNow();
}

void Clock::AdvanceFrame(uint32_t ms)
{
    if (frameDriven)
        frameTime += ms;
}

uint32_t Clock::LoopNow()
{
    return simulatedWaits ? loopTime.load() : RealNow();
}

void Clock::LoopSleep(uint32_t ms)
{
    if (simulatedWaits)
        loopTime += ms;
    else
        RealSleep(ms);
}

void Clock::AdvanceLoop(uint32_t ms)
{
    if (simulatedWaits)
        loopTime += ms;
}

} // namespace Vesk::Platform
