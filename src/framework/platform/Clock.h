#pragma once

#include <cstdint>

namespace Vesk::Platform
{

// The program's one clock, in milliseconds. Nothing else reads a system clock.
//
// Two readings exist. GetTickCount is the time the game sees (scene timings, page clocks,
// the log): on the real clock it is the monotonic time; on a frame-driven clock it moves by
// exactly one frame time per fixed update (the application calls AdvanceFrame), so a run sees
// the same times at the same update counts whatever the machine does, which is what lets a
// demo play back exactly as it was recorded. LoopNow is the time the main loop paces itself
// by: the monotonic time, or, with simulated waits, a counter that only LoopSleep moves, so a
// headless run never waits and goes as fast as the machine allows.
//
// The virtual clock is both: frame-driven and with simulated waits. Tests and demo playback use
// it; demo recording keeps the game's time frame-driven but paces on real time.
class Clock
{
public:
    // Back to the real clock (the state at program start).
    static void UseRealClock();
    // Frame-driven game time and simulated waits; both start at startMs.
    static void UseVirtualClock(uint32_t startMs = kVirtualStart);
    // Frame-driven game time, real waits (demo recording). The game time starts at startMs.
    static void UseFrameDrivenTime(uint32_t startMs = kVirtualStart);

    static bool IsFrameDriven();
    static bool HasSimulatedWaits();

    // The game's time (timeGetTime, GetTickCount).
    static uint32_t GetTickCount();
    // Called once per fixed update; moves the frame-driven time by ms (nothing on the real clock).
    static void AdvanceFrame(uint32_t ms);

    // The main loop's pacing time and its waits.
    static uint32_t LoopNow();
    static void LoopSleep(uint32_t ms);
    // Simulated waits only: lets time pass as if the program had stalled (tests use it).
    static void AdvanceLoop(uint32_t ms);

    // Real monotonic milliseconds and a real wait, whatever the mode (statistics, threads).
    static uint32_t RealNow();
    static void RealSleep(uint32_t ms);

    // Where the virtual clocks start: far enough from 0 that "time - 0" reads as long ago.
    static constexpr uint32_t kVirtualStart = 100000;
};

} // namespace Vesk::Platform
