#pragma once

#include "framework/widgets/Widget.h"

#include <memory>
#include <string>

namespace Vesk
{

class ButtonListener;
class Font;
class Image;

// A push button, drawn from images (normal, hover, pressed, disabled; separate images or cells
// of buttonImage) or, without images, in the default raised look with a text label. It tells
// its listener about presses, the click (a release while the pointer is still over it), every
// tick it is held down, and the pointer entering, leaving and moving. The hover image can fade
// in and out (overAlpha).
//
// The creator owns it and its listener; the button owns its font. Palette: 0 text, 1 hover
// text, 2 outline, 3 light edge, 4 dark edge, 5 face.
class ButtonWidget : public Widget
{
public:
    ButtonWidget(int id, ButtonListener* listener);
    ~ButtonWidget() override;

    // Draws rect of buttonImage when rect has a width, else image, at (x, y).
    virtual void DrawButtonImage(Graphics& graphics, Image* image, const Rect& rect, int x, int y);
    // Keeps a copy of font (none: the default face is made when needed).
    virtual void SetFont(Font* font);
    // Pressed, still under the pointer, and enabled.
    virtual bool IsButtonDown();
    // Paints a button whose screen draws it itself (noDraw set, so the widget tree skips it) at
    // its place, at the moment of the screen's painting order that suits it.
    void PaintInPlace(Graphics& graphics);

    void SetDisabled(bool disabled) override;
    void Tick() override;
    void Paint(Graphics& graphics) override;
    void OnButtonPress(int x, int y, int buttonNumber, int clickCount) override;
    void OnButtonRelease(int x, int y, int buttonNumber, int clickCount) override;
    void OnPointerEnter() override;
    void OnPointerLeave() override;
    void OnPointerMove(int x, int y) override;

    // Whether the hover, pressed and disabled looks exist (a separate image or a cell).
    bool HasOverLook() const { return overImage != nullptr || overRect.width != 0; }
    bool HasDownLook() const { return downImage != nullptr || downRect.width != 0; }
    bool HasDisabledLook() const { return disabledImage != nullptr || disabledRect.width != 0; }

    int id;
    std::string label;
    // 0 centred, 1 right, -1 left.
    int labelJustify = 0;
    std::unique_ptr<Font> font;
    Image* buttonImage = nullptr;
    Image* overImage = nullptr;
    Image* downImage = nullptr;
    Image* disabledImage = nullptr;
    Rect normalRect;
    Rect overRect;
    Rect downRect;
    Rect disabledRect;
    // Draws the pressed look when not pressed and the other way round.
    bool inverted = false;
    bool noDraw = false;
    // The default look draws no face and no frame.
    bool frameNoDraw = false;
    // The strength of the hover image, 0..1, and its change per tick (0: at once).
    double overAlpha = 0;
    double overAlphaFadeOutSpeed = 0;
    double overAlphaFadeInSpeed = 0;
    ButtonListener* listener;

protected:
    // The label's font, made ("Arial Unicode MS", pointSize) when the button has none.
    Font* EnsureFont(int pointSize);
    // Whether entering or leaving changes what is drawn.
    bool HoverChangesLook();
    // The default frame: raised, or sunken while pressed.
    void DrawDefaultFrame(Graphics& graphics, bool down);
};

} // namespace Vesk
