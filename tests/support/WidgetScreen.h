#pragma once

#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/WidgetManager.h"

#include <cstdint>

namespace Vesk::TestSupport
{

// A widget manager without an application, painting into an 800 x 600 memory image: the screen
// of the widget tests. Widgets added to the manager are taken off again when it goes.
struct WidgetScreen
{
    WidgetScreen();
    ~WidgetScreen();
    WidgetScreen(const WidgetScreen&) = delete;
    WidgetScreen& operator=(const WidgetScreen&) = delete;

    // The pointer moves to (x, y) and the left button goes down and up there.
    void Click(int x, int y);
    uint32_t Pixel(int x, int y);
    // Clears the screen and paints every widget again.
    void Repaint();

    WidgetManager manager{nullptr};
    MemoryImage image;
};

} // namespace Vesk::TestSupport
