#pragma once

#include "framework/widgets/Widget.h"

#include <string>
#include <vector>

namespace Vesk::TestSupport
{

// A widget that writes down every input call it receives, one line each: "press 10,20 -2",
// "release 10,20 1", "move 5,6", "drag 7,8", "enter", "leave", "key 65", "keyup 65", "char 97",
// "wheel -1", "focus+", "focus-". Ticks are counted, not listed.
class RecordingWidget : public Widget
{
public:
    RecordingWidget();

    void Tick() override;
    void TickSmooth(float fraction) override { ++smoothTicks; }
    void OnFocusGained() override;
    void OnFocusLost() override;
    void OnCharTyped(int character) override;
    void OnKeyPressed(int keyCode) override;
    void OnKeyReleased(int keyCode) override;
    void OnPointerEnter() override;
    void OnPointerLeave() override;
    void OnPointerMove(int x, int y) override;
    void OnPress(int x, int y, int clickCode) override;
    void OnRelease(int x, int y, int clickCode) override;
    void OnPointerDrag(int x, int y) override;
    void OnWheel(int delta) override;

    // The lines that start with the given word ("press", "char", ...), or all of them.
    std::vector<std::string> Lines(const std::string& word = "") const;
    void Clear() { log.clear(); }

    std::vector<std::string> log;
    int ticks = 0;
    int smoothTicks = 0;
    // Marks itself dirty on every tick (something is painted each frame).
    bool invalidateEachTick = false;
};

} // namespace Vesk::TestSupport
