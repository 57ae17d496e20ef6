#pragma once

#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"

#include <memory>

namespace Vesk
{

class ScrollListener;
class ScrollbuttonWidget;

// A scrollbar: two arrow buttons at its ends and a thumb on the track between them, for a value
// from 0 to maxValue - pageSize (a list's first visible line, say). The arrows step by 1 and
// repeat while held; a press on the track pages and repeats while held; the thumb can be
// dragged. Without anything to scroll (maxValue at most pageSize) it is disabled, and hidden
// with invisIfNoScroll. It tells its listener every change of the value.
//
// Owns its two arrow buttons (children of it) and listens to them.
class ScrollbarWidget : public Widget, public ButtonListener
{
public:
    ScrollbarWidget(int id, ScrollListener* listener);
    ~ScrollbarWidget() override;

    virtual void SetInvisIfNoScroll(bool invisible);
    virtual void SetMaxValue(double value);
    virtual void SetPageSize(double value);
    // Stores and clamps the value and always tells the listener.
    virtual void SetValue(double value);
    virtual void SetHorizontal(bool horizontal);
    // Sets the bounds and places the arrow buttons, square, at the two ends.
    virtual void ResizeScrollbar(int x, int y, int width, int height);
    virtual bool AtBottom();
    virtual void GoToBottom();
    virtual void DrawThumb(Graphics& graphics, int x, int y, int width, int height);
    // Lengths and positions along the bar, in pixels.
    virtual int GetTrackSize();
    virtual int GetThumbSize();
    virtual int GetThumbPosition();
    // Limits the value to 0..maxValue - pageSize, disables (and hides) the bar without
    // anything to scroll, and tells the listener when the value changed.
    virtual void ClampValue();
    // Moves the thumb to pos (pixels along the bar) and the value with it.
    virtual void SetThumbPosition(int position);
    // Where a local point lies: -1 before the thumb, 0 on it, 1 after it.
    virtual int ThumbCompare(int x, int y);

    void SetBounds(int x, int y, int width, int height) override;
    void Tick() override;
    void Paint(Graphics& graphics) override;
    void OnButtonPress(int x, int y, int buttonNumber, int clickCount) override;
    void OnButtonRelease(int x, int y, int buttonNumber, int clickCount) override;
    void OnPointerDrag(int x, int y) override;

    using ButtonListener::OnButtonPressed;
    void OnButtonPressed(int buttonId) override;
    void OnButtonHeldTick(int buttonId) override;

    int id;
    ScrollListener* listener;
    std::unique_ptr<ScrollbuttonWidget> upButton;
    std::unique_ptr<ScrollbuttonWidget> downButton;
    double value = 0;
    double maxValue = 0;
    double pageSize = 0;
    bool horizontal = false;
    bool invisIfNoScroll = false;
    bool pressedOnThumb = false;
    int mouseDownThumbPos = 0;
    int mouseDownX = 0;
    int mouseDownY = 0;
    int lastMouseX = 0;
    int lastMouseY = 0;
    // 0 none, 1 backward, 2 forward.
    int pagingState = 0;
    int repeatCount = 0;
    // False once the scrollbar is destroyed: lets a list linked to it find out.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);

private:
    // Applies a new value: clamps and tells the listener when it changed.
    void MoveValue(double newValue);
    int UpButtonSize();
    void LayoutButtons();
};

} // namespace Vesk
