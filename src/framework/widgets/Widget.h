#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/Insets.h"
#include "framework/widgets/WidgetContainer.h"

#include <string>
#include <vector>

namespace Vesk
{

class Font;
class Graphics;
class Image;
class VeskAppBase;

// A rectangle of the widget tree that can be shown, disabled, focused, pressed, hovered and
// painted, and that receives input: every screen, dialog and control of the game is one.
// Subclasses override the operations below; the base versions do nothing unless stated.
//
// Local coordinates are relative to the widget's own top-left corner. A widget removes itself
// from its parent when it is destroyed, so a deleted widget leaves no reference behind in the
// tree or the manager; still, creators should remove their widgets before deleting them.
//
// Click codes (OnPress, OnRelease): 1 left, 2 left double click, -1 right, -2 right double
// click, 3 middle. Button numbers (OnButtonPress, OnButtonRelease): 0 left, 1 right, 2 middle.
class Widget : public WidgetContainer
{
public:
    Widget() = default;
    ~Widget() override;

    virtual void OnStackingChanged();
    // Painted and hit only while shown; hidden widgets still tick.
    virtual void SetShown(bool shown);
    // Rows of four ints (red, green, blue, alpha); replaces the palette.
    virtual void SetPaletteRGBA(const int (*rows)[4], int count);
    // Rows of three ints, alpha 255; replaces the palette.
    virtual void SetPaletteRGB(const int (*rows)[3], int count);
    virtual void SetPaletteColor(int index, const Color& color);
    virtual Color GetPaletteColorOr(int index, const Color& fallback);
    // The entry, or opaque black when the palette is shorter.
    virtual Color GetPaletteColor(int index);
    // A disabled widget gets no input and hides what lies below it from the pointer.
    virtual void SetDisabled(bool disabled);
    // The hand cursor when show is true, else the arrow.
    virtual void ShowHandCursor(bool show);
    virtual void SetBoundsRect(const Rect& rect);
    virtual void SetBounds(int x, int y, int width, int height);
    virtual void MoveTo(int x, int y);
    virtual bool AcceptsFocus();
    virtual void PaintOverlayAt(Graphics& graphics, int priority);
    virtual void PaintOverlay(Graphics& graphics);
    virtual void OnFocusGained();
    virtual void OnFocusLost();
    // A typed character (Latin-1, 0..255).
    virtual void OnCharTyped(int character);
    // Tab moves the focus to tabNext, Shift+Tab to tabPrevious.
    virtual void OnKeyPressed(int keyCode);
    virtual void OnKeyReleased(int keyCode);
    virtual void OnPointerEnter();
    virtual void OnPointerLeave();
    virtual void OnPointerMove(int x, int y);
    virtual void OnButtonPress(int x, int y, int buttonNumber, int clickCount);
    // Maps the click code onto OnButtonPress.
    virtual void OnPress(int x, int y, int clickCode);
    virtual void OnButtonRelease(int x, int y, int buttonNumber, int clickCount);
    // OnReleaseAt, then the click code mapped onto OnButtonRelease.
    virtual void OnRelease(int x, int y, int clickCode);
    virtual void OnReleaseAt(int x, int y);
    // The pointer moved with a button held that went down on this widget.
    virtual void OnPointerDrag(int x, int y);
    virtual void OnWheel(int delta);
    // False where the widget is to be click-through (local coordinates).
    virtual bool AcceptsPointAt(int x, int y);

    // Text and number helpers; the font is the graphics' current font.
    // Draws shadowColor at offset, then color; returns the rectangle covered.
    virtual Rect DrawCenteredLineShadowed(Graphics& graphics, int y, const std::string& text, const Color& color,
                                          const Color& shadowColor, const Point& shadowOffset);
    // The text centred in the widget's width with its baseline at y; returns the rectangle.
    virtual Rect DrawCenteredLine(Graphics& graphics, int y, const std::string& text);
    // Graphics::WriteString with colour codes on.
    virtual int DrawTextRun(Graphics& graphics, const std::string& text, int x, int y, int width = -1,
                            int justification = -1, bool draw = true, int offset = 0, int length = -1);
    // Graphics::WriteWordWrapped with colour codes on; returns the height used.
    virtual int DrawWrappedText(Graphics& graphics, const Rect& rect, const std::string& text, int lineSpacing = -1,
                                int justification = -1);
    virtual int MeasureWrappedHeight(Graphics& graphics, int width, const std::string& text, int lineSpacing = -1);
    // The number of decimal digits of n (1 for 0 and below).
    virtual int CountDigits(int n);
    // Draws number with the digit cells of a strip image (ten cells 0..9 side by side).
    virtual void DrawNumberFromStrip(Graphics& graphics, int number, int x, int y, Image* stripImage, int spacing);
    // Whether (px, py), in the parent's coordinates, lies inside the bounds.
    virtual bool ContainsPoint(int px, int py);
    // The bounds less the insets (parent coordinates): the clickable area.
    virtual Rect GetInnerRect();

    // The application the widget belongs to: its manager's, else the process's (may be null).
    VeskAppBase* GetApp();

    bool shown = true;
    // The widget itself can be hit; when false only its children can.
    bool pointerVisible = true;
    bool disabled = false;
    bool hasFocus = false;
    bool isPressed = false;
    bool isHovered = false;
    // Cannot hide what lies under it.
    bool hasTransparentParts = false;
    std::vector<Color> palette;
    Insets insets;
    bool showHandOnHover = false;
    bool acceptsFocus = false;
    Widget* tabPrevious = nullptr;
    Widget* tabNext = nullptr;
};

} // namespace Vesk
