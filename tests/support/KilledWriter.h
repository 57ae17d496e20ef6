#pragma once

#include <chrono>
#include <functional>

namespace Vesk::TestSupport
{

// Runs write over and over in a child process (a fork of the test) and ends the child with
// SIGKILL once it has been writing for `after`, as a crash or a power cut would end the game in
// the middle of saving. Returns when the child is gone; false when it could not be started.
// The child never returns into the test: write must not report through GoogleTest.
bool KillWriterAfter(const std::function<void()>& write, std::chrono::microseconds after);

} // namespace Vesk::TestSupport
