#pragma once

#include "framework/widgets/Widget.h"

namespace Vesk
{

class Image;
class SliderListener;

// A value from 0 to 1 set by dragging a thumb along a track, or by clicking the track (the
// thumb jumps there; the new value is reported on release). Drawn from a track image cut in
// three cells (left cap, middle, right cap) and a thumb image; without images in a plain
// default look. Horizontal by default; the vertical form swaps x and y.
class Slider : public Widget
{
public:
    // Either image may be null.
    Slider(Image* trackImage, Image* thumbImage, int id, SliderListener* listener);

    // Clamps to 0..1 and stores; does not tell the listener.
    virtual void SetValue(double value);
    virtual bool HasTransparencies();

    void Paint(Graphics& graphics) override;
    void OnPress(int x, int y, int clickCode) override;
    void OnPointerMove(int x, int y) override;
    void OnPointerDrag(int x, int y) override;
    void OnReleaseAt(int x, int y) override;
    void OnPointerLeave() override;

    // The thumb's rectangle in local coordinates.
    Rect GetThumbRect();

    int id;
    SliderListener* listener;
    double value = 0;
    Image* trackImage;
    Image* thumbImage;
    bool dragging = false;
    // Where in the thumb it was grabbed.
    int relX = 0;
    int relY = 0;
    bool horizontal = true;

    // The thumb's size without a thumb image (length along the track).
    static constexpr int kDefaultThumbLength = 12;

private:
    void SetCursor(int cursor);
    void PaintTrack(Graphics& graphics);
};

} // namespace Vesk
