#pragma once

#include "framework/appbase/VeskAppBase.h"
#include "support/RecordingWidget.h"

#include <cstdint>
#include <memory>

namespace Vesk::TestSupport
{

// A small application for driving the framework in tests: 800 x 600, its own settings key,
// and one RecordingWidget covering the screen with the keyboard focus.
class TestApp : public VeskAppBase
{
public:
    TestApp();
    ~TestApp() override;

    void InitHook() override;
    void LoadingThreadProc() override;
    // Stays in the test's own folder instead of changing to the program's.
    bool ChangeDirHook(const std::string& folder) override { return true; }
    void LoadingThreadCompleted() override { ++loadingCompletedCalls; }

    // Paints the whole screen image one colour and marks the screen dirty.
    void Fill(uint32_t color);

    std::unique_ptr<RecordingWidget> board;
    // How long the loading thread works (real milliseconds).
    int loadingMilliseconds = 0;
    int loadingCompletedCalls = 0;
};

} // namespace Vesk::TestSupport
