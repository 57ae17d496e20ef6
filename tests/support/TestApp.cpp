#include "support/TestApp.h"

#include "framework/graphics/DDImage.h"
#include "framework/platform/Clock.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>

namespace Vesk::TestSupport
{

TestApp::TestApp()
{
    productName = "TestApp";
    title = "Test App";
    registryKey = "Vesk Tests\\TestApp";
    width = 800;
    height = 600;
    fullScreenColorDepth = 32;
    board = std::make_unique<RecordingWidget>();
}

TestApp::~TestApp()
{
    if (GetWidgetManager() != nullptr)
        GetWidgetManager()->RemoveChild(board.get());
}

void TestApp::InitHook()
{
    board->SetBounds(0, 0, width, height);
    GetWidgetManager()->AddChild(board.get());
    GetWidgetManager()->SetFocusWidget(board.get());
}

void TestApp::LoadingThreadProc()
{
    if (loadingMilliseconds > 0)
        Platform::Clock::RealSleep(static_cast<uint32_t>(loadingMilliseconds));
}

void TestApp::Fill(uint32_t color)
{
    DDImage* screen = GetScreenImage();
    if (uint32_t* bits = screen->GetBits())
    {
        std::fill_n(bits, size_t(screen->GetWidth()) * size_t(screen->GetHeight()), color);
        screen->BitsChanged();
    }
    board->Invalidate();
}

} // namespace Vesk::TestSupport
