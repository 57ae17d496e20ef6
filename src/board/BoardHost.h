#pragma once

namespace Vesk
{

class Graphics;

// What the hidden-object board and the mini-games read from and ask of the publication screen,
// which lies under them and enters and leaves their pages. The publication screen implements it
// and hands itself to each of them (their host); they work without one, as if the publication
// were hidden, at rest and at no page.
class BoardHost
{
public:
    virtual ~BoardHost() = default;

    // The publication is shown (the board then neither paints nor runs its page).
    virtual bool IsPublicationShown() = 0;
    // The page the publication lies open at: the page being played (0-based).
    virtual int CurrentPage() = 0;
    // The page-action tab: -1 sliding away, +1 sliding back, 0 at rest.
    virtual int OpenGate() = 0;
    // The pause dialog is open.
    virtual bool IsPauseOpen() = 0;
    // The list notes' slide (1 away, 0 in place) and its direction (-1 in, +1 away, 0 still).
    virtual double ListSlide() = 0;
    virtual int ListSlideDirection() = 0;
    virtual void SetListSlideDirection(int direction) = 0;
    virtual void SetListSlide(double slide) = 0;
    // The page-turn blur (0 none .. 1 full) and its direction.
    virtual double Blur() = 0;
    virtual void SetBlurDirection(int direction) = 0;
    // The camera zoom into the page of a mode (0 publication .. 1 zoomed in) and the mode now.
    virtual double ModeZoom(int mode) = 0;
    virtual int CurrentMode() = 0;
    // The final mini-game's widget is shown.
    virtual bool IsFinalGameShown() = 0;
    // The game has just ended its page: the next page action plays no click.
    virtual void SetPageComplete() = 0;
    // Runs the page action (the publication's button 3): leaves the page being played.
    virtual void RequestPageAction() = 0;
    // The contents page has just been redrawn lightly for a page just done: the screen stamps
    // the fresh contents note onto its copy of the contents face.
    virtual void RedrawContentsLight(int page) = 0;
    // Holds the three sticker fades at 0 (the contents tutorial is still to come).
    virtual void ClearStickerFades() = 0;
    // The inactivity veil's strength 0..1; shown while above 0.
    virtual double CoverAlpha() = 0;
    virtual void SetCoverAlpha(double alpha) = 0;
    // The publication's drawing the board paints under and over its page.
    virtual void DrawDeskBackground(Graphics& graphics) = 0;
    virtual void DrawOverlays(Graphics& graphics) = 0;
    virtual void PaintContentsNote(Graphics& graphics) = 0;
};

} // namespace Vesk
